#pragma once

// "可加载文件" beyond its double-click: a check box per file that shows its features on the
// globe or hides them, and a context menu that brings a file into view ("定位"), reads it
// again ("重新载入") or takes it off the globe and the list ("从地球移除"). The boxes follow
// the globe: a file that any window opens there is ticked, one that leaves it is not.
// Under a file on the globe its folders show as a tree, each with its box; the file's box is
// partly ticked while some of its folders are hidden, and a folder the user hid stays hidden
// when the file is read again. A file read in the background shows its progress beside its
// entry and in the status bar, where it can be cancelled, as from the context menu.

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <map>
#include <optional>

#include "earth/ApplicationGE.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvane {

class Dialogs;

class LoadableFileList : public QObject {
  public:
    // openOnGlobe shows a file on the globe, embedding the globe first when needed.
    LoadableFileList(QTreeWidget& tree, TApplicationGE& globe, Dialogs& dialogs,
                     std::function<void(const QString&)> openOnGlobe);
    ~LoadableFileList() override;
    LoadableFileList(const LoadableFileList&) = delete;
    LoadableFileList& operator=(const LoadableFileList&) = delete;

    // A new entry of the list gets its check box.
    void Added(QTreeWidgetItem& item);
    // A listed file was written again: if it is on the globe, the globe shows it as it is now.
    void Rewritten(const QString& path);
    // Shows the progress of background readings in this status bar.
    void ShowProgressIn(QStatusBar& bar);
    // Told the files on the globe after every change, once the list shows it.
    void SetFilesListener(std::function<void(const QList<LoadedKmlFile>&)> listener) {
        filesListener_ = std::move(listener);
    }

    // The context menu's commands, on the current entry.
    void LocateClick();
    void ReloadClick();
    void RemoveClick();
    void CancelLoadClick();

    QMenu* PopupMenu;
    QAction* Locate;
    QAction* Reload;
    QAction* Remove;
    QAction* CancelLoad;

  private:
    void ShowPopupMenu(const QPoint& position);
    void ItemChanged(QTreeWidgetItem* item);
    // Ticks the entries of the files shown on the globe.
    void Synchronise();
    void SynchroniseFile(QTreeWidgetItem& item, const LoadedKmlFile* file);
    // Hides again the folders hidden before the file was read again.
    bool HideRememberedFolders(const QList<LoadedKmlFile>& files);
    void ShowProgress(const QList<LoadedKmlFile>& files);
    std::optional<LoadedKmlFile> OnGlobe(const QString& path) const;
    // The file entry of an entry (itself, or the file a folder belongs to).
    QTreeWidgetItem* FileItem(QTreeWidgetItem* item) const;
    void FolderChanged(QTreeWidgetItem& item);

    QTreeWidget& tree_;
    TApplicationGE& globe_;
    Dialogs& dialogs_;
    std::function<void(const QString&)> openOnGlobe_;
    // Per file (absolute path): the folders the user hid, by their names from the file down.
    std::map<QString, QSet<QString>> hiddenFolders_;
    std::function<void(const QList<LoadedKmlFile>&)> filesListener_;
    bool synchronising_ = false;
    bool synchroniseAgain_ = false;
    QLabel* progressText_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QToolButton* cancelButton_ = nullptr;
};

}  // namespace orvane
