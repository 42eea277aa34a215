#include "app/LoadableFileList.h"

#include "common/RunConversion.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace orvane {

namespace {

QString AbsolutePath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

// Runs at the end of a command, also when it stops with an error: the boxes show what the
// globe shows, whatever the command achieved.
class SynchroniseAtEnd {
  public:
    explicit SynchroniseAtEnd(std::function<void()> synchronise)
        : synchronise_(std::move(synchronise)) {}
    ~SynchroniseAtEnd() { synchronise_(); }
    SynchroniseAtEnd(const SynchroniseAtEnd&) = delete;
    SynchroniseAtEnd& operator=(const SynchroniseAtEnd&) = delete;

  private:
    std::function<void()> synchronise_;
};

}  // namespace

LoadableFileList::LoadableFileList(QTreeWidget& tree, TApplicationGE& globe, Dialogs& dialogs,
                                   std::function<void(const QString&)> openOnGlobe)
    : tree_(tree), globe_(globe), dialogs_(dialogs), openOnGlobe_(std::move(openOnGlobe)) {
    PopupMenu = new QMenu(&tree);
    PopupMenu->setObjectName("PopupMenuFiles");
    Locate = PopupMenu->addAction(QStringLiteral("定位"));
    Reload = PopupMenu->addAction(QStringLiteral("重新载入"));
    Remove = PopupMenu->addAction(QStringLiteral("从地球移除"));
    connect(Locate, &QAction::triggered, this,
            Guarded(this, dialogs_, &LoadableFileList::LocateClick));
    connect(Reload, &QAction::triggered, this,
            Guarded(this, dialogs_, &LoadableFileList::ReloadClick));
    connect(Remove, &QAction::triggered, this,
            Guarded(this, dialogs_, &LoadableFileList::RemoveClick));

    tree.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&tree, &QWidget::customContextMenuRequested, this,
            Guarded(this, dialogs_, &LoadableFileList::ShowPopupMenu));
    connect(&tree, &QTreeWidget::itemChanged, this,
            Guarded(this, dialogs_, &LoadableFileList::ItemChanged));
    globe_.SetLoadedKmlFilesListener([this] { Synchronise(); });
}

LoadableFileList::~LoadableFileList() {
    globe_.SetLoadedKmlFilesListener({});
}

void LoadableFileList::Added(QTreeWidgetItem& item) {
    {
        const QSignalBlocker quiet(&tree_);
        item.setFlags(item.flags() | Qt::ItemIsUserCheckable);
        item.setCheckState(0, Qt::Unchecked);
    }
    Synchronise();
}

void LoadableFileList::Rewritten(const QString& path) {
    if (OnGlobe(path)) {
        globe_.ReloadKmlFile(path);
    }
}

std::optional<LoadedKmlFile> LoadableFileList::OnGlobe(const QString& path) const {
    const QString absolute = AbsolutePath(path);
    for (const LoadedKmlFile& file : globe_.LoadedKmlFiles()) {
        if (file.path == absolute) {
            return file;
        }
    }
    return std::nullopt;
}

void LoadableFileList::Synchronise() {
    const QList<LoadedKmlFile> files = globe_.LoadedKmlFiles();
    const QSignalBlocker quiet(&tree_);
    for (int i = 0; i < tree_.topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree_.topLevelItem(i);
        const QString absolute = AbsolutePath(item->text(0));
        const bool shown = std::any_of(files.begin(), files.end(), [&](const LoadedKmlFile& file) {
            return file.path == absolute && file.visible;
        });
        item->setCheckState(0, shown ? Qt::Checked : Qt::Unchecked);
    }
    tree_.viewport()->update();
}

void LoadableFileList::ItemChanged(QTreeWidgetItem* item) {
    // An entry being made has no box yet.
    if (!item->data(0, Qt::CheckStateRole).isValid()) {
        return;
    }
    const QString path = item->text(0);
    const bool ticked = item->checkState(0) == Qt::Checked;
    const std::optional<LoadedKmlFile> file = OnGlobe(path);
    // Other changes of an entry (its tool tip) leave the box as the globe has it.
    if (ticked == (file && file->visible)) {
        return;
    }
    const SynchroniseAtEnd synchronise([this] { Synchronise(); });
    if (file) {
        globe_.SetKmlFileVisible(path, ticked);
    } else {
        openOnGlobe_(path);
    }
}

void LoadableFileList::ShowPopupMenu(const QPoint& position) {
    QTreeWidgetItem* item = tree_.itemAt(position);
    if (item == nullptr) {
        return;
    }
    tree_.setCurrentItem(item);
    PopupMenu->popup(tree_.viewport()->mapToGlobal(position));
}

void LoadableFileList::LocateClick() {
    const QTreeWidgetItem* item = tree_.currentItem();
    if (item == nullptr) {
        return;
    }
    const SynchroniseAtEnd synchronise([this] { Synchronise(); });
    const QString path = item->text(0);
    const std::optional<LoadedKmlFile> file = OnGlobe(path);
    // A file not on the globe, or a globe nobody sees, is opened as a double-click opens it.
    if (!file || globe_.IsInitialized() == 0) {
        openOnGlobe_(path);
        return;
    }
    if (!file->visible) {
        globe_.SetKmlFileVisible(path, true);
    }
    globe_.FlyToKmlFile(path);
}

void LoadableFileList::ReloadClick() {
    const QTreeWidgetItem* item = tree_.currentItem();
    if (item == nullptr) {
        return;
    }
    const SynchroniseAtEnd synchronise([this] { Synchronise(); });
    const QString path = item->text(0);
    if (OnGlobe(path)) {
        globe_.ReloadKmlFile(path);
    } else {
        openOnGlobe_(path);
    }
}

void LoadableFileList::RemoveClick() {
    QTreeWidgetItem* item = tree_.currentItem();
    if (item == nullptr) {
        return;
    }
    const QString path = item->text(0);
    delete item;
    if (OnGlobe(path)) {
        globe_.RemoveKmlFile(path);
    }
}

}  // namespace orvane
