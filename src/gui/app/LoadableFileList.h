#pragma once

// "可加载文件" beyond its double-click: a check box per file that shows its features on the
// globe or hides them, and a context menu that brings a file into view ("定位"), reads it
// again ("重新载入") or takes it off the globe and the list ("从地球移除"). The boxes follow
// the globe: a file that any window opens there is ticked, one that leaves it is not.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "earth/ApplicationGE.h"

class QAction;
class QMenu;
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

    // The context menu's commands, on the current entry.
    void LocateClick();
    void ReloadClick();
    void RemoveClick();

    QMenu* PopupMenu;
    QAction* Locate;
    QAction* Reload;
    QAction* Remove;

  private:
    void ShowPopupMenu(const QPoint& position);
    void ItemChanged(QTreeWidgetItem* item);
    // Ticks the entries of the files shown on the globe.
    void Synchronise();
    std::optional<LoadedKmlFile> OnGlobe(const QString& path) const;

    QTreeWidget& tree_;
    TApplicationGE& globe_;
    Dialogs& dialogs_;
    std::function<void(const QString&)> openOnGlobe_;
};

}  // namespace orvane
