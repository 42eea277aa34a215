#pragma once

// Files that reach the program from outside its own file dialogs: the command line, the
// desktop's "open with", another start of the program and drops on the main window. KML and
// KMZ files are listed as loadable and shown on the globe; every other input opens the window
// that converts it, with the file chosen as that window's input.

#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/TableKindDialog.h"
#include "common/Dialogs.h"

class QMimeData;
class QWidget;

namespace orvane {

class TFrmMain;

enum class InputFileKind { Kml, Mif, DriveTest, Table, Unknown };

// The kind of input a file holds, by its extension (any letter case): .kml/.kmz, .mif,
// .txt (a drive-test log), .xls/.xlsx/.csv (a base-station or CQT table).
InputFileKind KindOfInputFile(const QString& path);

// A window that takes an input file handed over from outside. `choose` makes the file the
// window's chosen input, exactly as the window's own file dialog would; the opener then shows
// the window, modally when the main window's menu shows it modally. A window that does not
// exist yet has no `window`.
struct InputFileWindow {
    QWidget* window = nullptr;
    std::function<void(const QString& path)> choose;
    bool modal = false;
};

// The windows that take input files. Each window offers OpenInputFile(const QString&), which
// does what its open button does once the file dialog has returned the path.
struct InputFileWindows {
    InputFileWindow FrmMIF2KML;
    InputFileWindow FrmDT;
    InputFileWindow FrmBS;
    InputFileWindow FrmCQT;
};

template <typename Window>
InputFileWindow InputFileWindowOf(Window* window, bool modal = false) {
    return {window, [window](const QString& path) { window->OpenInputFile(path); }, modal};
}

// Asks whether a table is a base-station or a CQT table; nothing when the user cancels.
using TableKindQuestion = std::function<std::optional<TableKind>(QWidget*, const QString&)>;

class InputFileOpener : public QObject {
    Q_OBJECT
  public:
    // Files dropped on the main window are opened as well.
    InputFileOpener(TFrmMain& frmMain, InputFileWindows windows, Dialogs& dialogs,
                    TableKindQuestion askTableKind = AskTableKind);

    // Opens the files in order. Missing, unreadable and unknown files are reported together in
    // one message once the others are open. Files that arrive while a batch is still being
    // opened (a modal window or question is waiting for the user) follow when it is done.
    void Open(const QStringList& paths);
    // Another start of the program handed these over: the main window comes to the front and
    // the files open.
    void OpenHandedOver(const QStringList& paths);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OpenPending();
    // Opens one file; returns the problem to report, or nothing.
    std::optional<QString> OpenOne(const QString& path);
    std::optional<QString> OpenTable(const QString& path);
    std::optional<QString> OpenInWindow(const InputFileWindow& target, const QString& path);

    TFrmMain& frmMain_;
    InputFileWindows windows_;
    Dialogs& dialogs_;
    TableKindQuestion askTableKind_;
    QStringList pending_;
    bool opening_ = false;
};

// The local files among the program's arguments (without the program itself), as absolute
// paths; file: URLs are taken as their local paths.
QStringList LocalFilesFromArguments(const QStringList& arguments);
// The local files a drop carries.
QStringList LocalFilesFromMimeData(const QMimeData& data);

}  // namespace orvane
