#include "app/InputFiles.h"

#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <exception>

#include "app/Mainform.h"
#include "common/ErrorTexts.h"

namespace orvane {

namespace {

void BringToFront(QWidget& window) {
    if (window.isMinimized()) {
        window.showNormal();
    }
    window.show();
    window.raise();
    window.activateWindow();
}

std::optional<QString> ProblemOpening(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return QStringLiteral("找不到文件：%1").arg(path);
    }
    if (info.isDir()) {
        return QStringLiteral("不是文件，是文件夹：%1").arg(path);
    }
    if (QFile file(path); !file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("无法读取文件：%1").arg(path);
    }
    return std::nullopt;
}

// Clears a flag when the work that set it ends, also by an error.
class FlagGuard {
  public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    bool& flag_;
};

}  // namespace

InputFileKind KindOfInputFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "kml" || suffix == "kmz") {
        return InputFileKind::Kml;
    }
    if (suffix == "mif") {
        return InputFileKind::Mif;
    }
    if (suffix == "txt") {
        return InputFileKind::DriveTest;
    }
    if (suffix == "xls" || suffix == "xlsx" || suffix == "csv") {
        return InputFileKind::Table;
    }
    return InputFileKind::Unknown;
}

InputFileOpener::InputFileOpener(TFrmMain& frmMain, InputFileWindows windows, Dialogs& dialogs,
                                 TableKindQuestion askTableKind)
    : frmMain_(frmMain),
      windows_(std::move(windows)),
      dialogs_(dialogs),
      askTableKind_(std::move(askTableKind)) {
    frmMain_.setAcceptDrops(true);
    frmMain_.installEventFilter(this);
}

void InputFileOpener::Open(const QStringList& paths) {
    pending_ << paths;
    if (!opening_) {
        OpenPending();
    }
}

void InputFileOpener::OpenHandedOver(const QStringList& paths) {
    BringToFront(frmMain_);
    Open(paths);
}

void InputFileOpener::OpenPending() {
    const FlagGuard opening(opening_);
    QStringList problems;
    while (!pending_.isEmpty()) {
        const QString path = pending_.takeFirst();
        // One file's error is reported like any handler's and does not keep the others closed.
        try {
            if (const std::optional<QString> problem = OpenOne(path)) {
                problems << *problem;
            }
        } catch (const std::exception& error) {
            dialogs_.ErrorBox(&frmMain_, DesktopErrorText(error));
        } catch (...) {
            dialogs_.ErrorBox(&frmMain_, {});
        }
    }
    if (!problems.isEmpty()) {
        dialogs_.Message(&frmMain_, problems.join('\n'));
    }
}

std::optional<QString> InputFileOpener::OpenOne(const QString& path) {
    if (std::optional<QString> problem = ProblemOpening(path)) {
        return problem;
    }
    switch (KindOfInputFile(path)) {
        case InputFileKind::Kml:
            frmMain_.OpenLoadableFile(path);
            return std::nullopt;
        case InputFileKind::Mif:
            return OpenInWindow(windows_.FrmMIF2KML, path);
        case InputFileKind::DriveTest:
            return OpenInWindow(windows_.FrmDT, path);
        case InputFileKind::Table:
            return OpenTable(path);
        case InputFileKind::Unknown:
            break;
    }
    return QStringLiteral("不能打开此类文件：%1（可打开 KML、KMZ、MIF、TXT、XLS、XLSX、CSV 文件）")
        .arg(path);
}

std::optional<QString> InputFileOpener::OpenTable(const QString& path) {
    if (windows_.FrmBS.window == nullptr && windows_.FrmCQT.window == nullptr) {
        return QStringLiteral("暂不支持打开基站表和CQT数据表：%1").arg(path);
    }
    const std::optional<TableKind> kind = askTableKind_(&frmMain_, path);
    if (!kind) {
        return std::nullopt;
    }
    if (*kind == TableKind::BaseStation) {
        if (windows_.FrmBS.window == nullptr) {
            return QStringLiteral("暂不支持打开基站表：%1").arg(path);
        }
        return OpenInWindow(windows_.FrmBS, path);
    }
    if (windows_.FrmCQT.window == nullptr) {
        return QStringLiteral("暂不支持打开CQT数据表：%1").arg(path);
    }
    return OpenInWindow(windows_.FrmCQT, path);
}

std::optional<QString> InputFileOpener::OpenInWindow(const InputFileWindow& target,
                                                     const QString& path) {
    if (target.modal) {
        target.choose(path);
        auto* dialog = qobject_cast<QDialog*>(target.window);
        if (dialog != nullptr && !dialog->isVisible()) {
            dialog->exec();
        } else {
            BringToFront(*target.window);
        }
        return std::nullopt;
    }
    // Shown first, so that an error in reading the file appears over the window that read it.
    BringToFront(*target.window);
    target.choose(path);
    return std::nullopt;
}

bool InputFileOpener::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &frmMain_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData() == nullptr ||
                LocalFilesFromMimeData(*drag->mimeData()).isEmpty()) {
                return false;
            }
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = drop->mimeData() != nullptr
                                          ? LocalFilesFromMimeData(*drop->mimeData())
                                          : QStringList();
            if (files.isEmpty()) {
                return false;
            }
            drop->acceptProposedAction();
            // The drag source waits until the drop returns: questions and modal windows come
            // after it.
            QTimer::singleShot(0, this, [this, files] { Open(files); });
            return true;
        }
        default:
            return false;
    }
}

QStringList LocalFilesFromArguments(const QStringList& arguments) {
    QStringList files;
    for (const QString& argument : arguments) {
        if (argument.isEmpty()) {
            continue;
        }
        const QUrl url(argument);
        const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
        files << QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    }
    return files;
}

QStringList LocalFilesFromMimeData(const QMimeData& data) {
    QStringList files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            files << QDir::cleanPath(url.toLocalFile());
        }
    }
    return files;
}

}  // namespace orvane
