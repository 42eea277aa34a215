#pragma once

// Small pieces that the converter windows build their controls from.

#include <QComboBox>
#include <QString>
#include <QStyle>
#include <functional>
#include <initializer_list>
#include <string>

class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QProgressBar;
class QToolButton;
class QWidget;

namespace orvane {

// The workbook kinds the worksheet source reads, for the open dialogs of the base-station
// and CQT windows; the first is the one those windows have always offered.
inline const QString kWorkbookFilter = QStringLiteral(
    "MicroSoft Excel Files(*.xls)|*.xls|MicroSoft Excel 2007 Files(*.xlsx)|*.xlsx|"
    "CSV/TXT(*.csv;*.txt)|*.csv;*.txt");

// A path as the core opens it: in the file system's encoding.
std::string LocalPath(const QString& path);

// A label with its component name.
QLabel* Caption(const QString& text, const QString& name, QWidget* parent);

// A button with a picture and a tool tip.
QToolButton* PictureButton(const QString& name, QStyle::StandardPixmap icon, const QString& hint,
                           QWidget* parent);

// A read-only box that shows a chosen path.
QLineEdit* PathBox(const QString& name, QWidget* parent);

// A push button that the Enter key does not press by itself.
QPushButton* CommandButton(const QString& text, const QString& name, QWidget* parent);

// The blue progress bar of a conversion, 0 to 100.
QProgressBar* ProgressGauge(const QString& name, QWidget* parent);

// The information box "信息栏" (GroupBox4) around a read-only Memo0, which `memo` receives.
QGroupBox* InformationBox(QPlainTextEdit*& memo, QWidget* parent);

// The column of a converter window: its rows of controls from top to bottom, the
// information box taking the room left, and the generate and close buttons at the right of
// the last line.
QLayout* ConverterColumn(std::initializer_list<QWidget*> rows, QGroupBox* information,
                         QPushButton* generate, QPushButton* close);

// A drop-down list of worksheet columns that is filled again each time it opens (its
// DropDown event), so that it offers what the other choices leave.
class ColumnChoice : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    std::function<void()> onDropDown;

    void showPopup() override;
};

}  // namespace orvane
