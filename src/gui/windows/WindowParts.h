#pragma once

// Small pieces that the converter windows build their controls from.

#include <QComboBox>
#include <QString>
#include <QStyle>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QProgressBar;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace orvane {

class Dialogs;
class WorksheetSource;

// The workbook kinds the worksheet source reads, for the open dialogs of the base-station
// and CQT windows; all of them first, so that no table is hidden by default.
inline const QString kWorkbookFilter = QStringLiteral(
    "表格文件(*.xls *.xlsx *.csv *.txt)|*.xls;*.xlsx;*.csv;*.txt|"
    "MicroSoft Excel Files(*.xls)|*.xls|MicroSoft Excel 2007 Files(*.xlsx)|*.xlsx|"
    "CSV/TXT(*.csv;*.txt)|*.csv;*.txt");

// The path with the extension of its file name replaced by `extension` (".KML"), or with
// `extension` appended when the name has none.
QString WithExtension(const QString& path, const QString& extension);

// A path as the core opens it: in the file system's encoding.
std::string LocalPath(const QString& path);

// A label with its component name.
QLabel* Caption(const QString& text, const QString& name, QWidget* parent);

// A button with a picture and a tool tip.
QToolButton* PictureButton(const QString& name, QStyle::StandardPixmap icon, const QString& hint,
                           QWidget* parent);

// A read-only box that shows a chosen path.
QLineEdit* PathBox(const QString& name, QWidget* parent);

// A drop-down of a log's field names; an editable one takes a typed name too.
QComboBox* FieldBox(const QString& name, bool editable, QWidget* parent);

// The field a drop-down names: the item whose text it shows, else the first one naming it in
// other letter case (typed by the user), else -1.
int ChosenField(const QComboBox& box);

// A push button that the Enter key does not press by itself.
QPushButton* CommandButton(const QString& text, const QString& name, QWidget* parent);

// The blue progress bar of a conversion, 0 to 100.
QProgressBar* ProgressGauge(const QString& name, QWidget* parent);

// The information box "信息栏" (GroupBox4) around a read-only Memo0, which `memo` receives.
QGroupBox* InformationBox(QPlainTextEdit*& memo, QWidget* parent);

// The controls of a converter window's output rows, as the window's members.
struct OutputControls {
    QLabel*& caption;
    QLineEdit*& path;
    QToolButton*& save;
    QToolButton*& view;
    QProgressBar*& gauge;
};

// Adds to `layout` the rows "KML文件输出：", the output path with its save and view buttons,
// and the progress gauge, creating `controls` under `parent` with `names` in that order.
void AddOutputRows(QVBoxLayout* layout, QWidget* parent, const OutputControls& controls,
                   const std::array<const char*, 5>& names);

// Asks where to write the KML file, starting from the path shown, and shows the path chosen.
void ChooseKmlOutput(QWidget* window, Dialogs& dialogs, QLineEdit& path);

// Asks for a file to open, starting in the current directory.
std::optional<QString> AskForFile(QWidget* window, Dialogs& dialogs, const QString& title,
                                  const QString& filter);

// Asks for a table to open and hands the path chosen to `open`, reporting its errors.
void ChooseWorkbook(QWidget* window, Dialogs& dialogs,
                    const std::function<void(const QString&)>& open);

// Lists the workbook's sheets, the current one chosen, without signalling a change.
void ShowSheetNames(QComboBox& box, const WorksheetSource& source);

// A row of buttons pushed to its right end.
QHBoxLayout* ButtonsAtRight(std::initializer_list<QWidget*> buttons);

// The column of a converter window: its rows of controls from top to bottom, the
// information box taking the room left, and the generate and close buttons at the right of
// the last line.
QLayout* ConverterColumn(std::initializer_list<QWidget*> rows, QGroupBox* information,
                         QPushButton* generate, QPushButton* close);

// A column choice and the headers that usually name its column ("经度", "LON").
struct UsualHeaders {
    QComboBox* choice;
    QStringList names;
};

// Shows in each choice that shows nothing yet the column whose header is one of its usual
// names; failing that, the column whose header contains one. A column is taken by one choice
// only, and a column the user chose stays chosen. `newWorkbook`: a choice showing an entry
// the sheet lacks (made for another file) is open to the usual names too; on another sheet
// of the same workbook it stays as the user left it.
void PreselectColumns(const std::vector<std::string>& entries,
                      const std::vector<UsualHeaders>& choices, bool newWorkbook);

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
