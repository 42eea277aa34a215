#pragma once

// The small dialog that asks what a table opened from outside holds: base stations or CQT
// results. The file's extension cannot tell the two apart.

#include <QDialog>
#include <optional>

class QRadioButton;

namespace orvane {

enum class TableKind { BaseStation, Cqt };

class TableKindDialog : public QDialog {
    Q_OBJECT
  public:
    TableKindDialog(const QString& path, QWidget* parent);

    TableKind Chosen() const;

  private:
    QRadioButton* BaseStationChoice;
    QRadioButton* CqtChoice;
};

// Shows the dialog for the file; nothing when the user cancels.
std::optional<TableKind> AskTableKind(QWidget* parent, const QString& path);

}  // namespace orvane
