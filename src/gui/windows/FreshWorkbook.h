#pragma once

// The workbook of a table window as its file stands when a conversion starts. A window reads
// its workbook when the user opens it; a file changed on disk since then (its size or its
// modification time) is read again before converting, so the KML holds what the file holds
// now.

#include <QDateTime>
#include <QStringList>
#include <vector>

class QComboBox;
class QWidget;

namespace orvane {

class Dialogs;
class WorksheetSource;

class FreshWorkbook {
  public:
    // Notes the state of the file just read into `source`.
    void Read(const WorksheetSource& source);
    // Reads the workbook of `source` again when its file changed, and makes the same sheet
    // current. Each choice keeps its column: by its entry, or by its header when the column
    // moved. Returns what is gone (the sheet's name, or the texts of the choices whose
    // header the sheet no longer holds); nothing is changed in the choices then. Throws
    // "Cannot open file %s" when the file is gone.
    QStringList Refresh(WorksheetSource& source, const std::vector<QComboBox*>& choices);

    // The checks before a conversion, each failure told to the user: a workbook is open
    // (`opened`), it still holds the chosen columns (refreshed, its sheets listed again in
    // `sheets`), and each of the `required` first choices binds a column of the sheet.
    bool ReadyToConvert(QWidget* window, Dialogs& dialogs, WorksheetSource& source, bool opened,
                        const std::vector<QComboBox*>& choices, size_t required, QComboBox& sheets);

  private:
    qint64 size_ = -1;
    QDateTime modified_;
};

// The message for a refresh that found chosen columns gone.
QString ColumnsGoneMessage(const QStringList& gone);

}  // namespace orvane
