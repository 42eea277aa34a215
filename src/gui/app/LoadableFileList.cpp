#include "app/LoadableFileList.h"

#include "common/Dialogs.h"
#include "common/Named.h"
#include "common/RunConversion.h"

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace orvane {

namespace {

QString AbsolutePath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

// Entries of folders carry the folder's number in the file; file entries carry none.
constexpr int kFolderRole = Qt::UserRole;

std::optional<int> FolderOf(const QTreeWidgetItem& item) {
    const QVariant folder = item.data(0, kFolderRole);
    return folder.isValid() ? std::optional<int>(folder.toInt()) : std::nullopt;
}

// A folder is known again after a new reading by its names from the file down.
QString FolderKey(const QList<KmlFolder>& folders, int folder) {
    QStringList names;
    for (int f = folder; f >= 0 && f < folders.size(); f = folders[f].parent) {
        names.prepend(folders[f].name);
    }
    return names.join(QChar(0x1f));
}

Qt::CheckState FileState(const LoadedKmlFile* file) {
    if (file == nullptr || !file->visible) {
        return Qt::Unchecked;
    }
    const bool someHidden = std::any_of(file->folders.begin(), file->folders.end(),
                                        [](const KmlFolder& folder) { return !folder.visible; });
    return someHidden ? Qt::PartiallyChecked : Qt::Checked;
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
    PopupMenu = Named<QMenu>("PopupMenuFiles", &tree);
    Locate = PopupMenu->addAction(QStringLiteral("定位"));
    Reload = PopupMenu->addAction(QStringLiteral("重新载入"));
    Remove = PopupMenu->addAction(QStringLiteral("从地球移除"));
    CancelLoad = Named(PopupMenu->addAction(QStringLiteral("取消载入")), "CancelLoad");
    OnClick(Locate, this, dialogs_, &LoadableFileList::LocateClick);
    OnClick(Reload, this, dialogs_, &LoadableFileList::ReloadClick);
    OnClick(Remove, this, dialogs_, &LoadableFileList::RemoveClick);
    OnClick(CancelLoad, this, dialogs_, &LoadableFileList::CancelLoadClick);

    // The second column shows how much of a file being read is read.
    tree.setColumnCount(2);
    tree.header()->setStretchLastSection(false);
    tree.header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree.header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    tree.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&tree, &QWidget::customContextMenuRequested, this,
            Guarded(this, dialogs_, &LoadableFileList::ShowPopupMenu));
    connect(&tree, &QTreeWidget::itemChanged, this,
            Guarded(this, dialogs_, &LoadableFileList::ItemChanged));
    globe_.SetLoadedKmlFilesListener([this] { Synchronise(); });
    globe_.SetKmlLoadFailureListener([this](const QString& message) {
        Synchronise();
        dialogs_.ErrorBox(tree_.window(), message);
    });
}

LoadableFileList::~LoadableFileList() {
    globe_.SetLoadedKmlFilesListener({});
    globe_.SetKmlLoadFailureListener({});
}

void LoadableFileList::ShowProgressIn(QStatusBar& bar) {
    progressText_ = Named<QLabel>("LoadProgressText", &bar);
    progressBar_ = Named<QProgressBar>("LoadProgress", &bar);
    progressBar_->setRange(0, 100);
    progressBar_->setMaximumWidth(160);
    cancelButton_ = Named<QToolButton>("CancelLoadButton", &bar);
    cancelButton_->setText(QStringLiteral("取消"));
    bar.addPermanentWidget(progressText_);
    bar.addPermanentWidget(progressBar_);
    bar.addPermanentWidget(cancelButton_);
    connect(cancelButton_, &QToolButton::clicked, this, [this] {
        for (const LoadedKmlFile& file : globe_.LoadedKmlFiles()) {
            if (file.loadingPercent >= 0) {
                globe_.CancelKmlFileLoad(file.path);
            }
        }
    });
    Synchronise();
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
    // Hiding remembered folders tells the list again; that is taken after this round.
    if (synchronising_) {
        synchroniseAgain_ = true;
        return;
    }
    synchronising_ = true;
    do {
        synchroniseAgain_ = false;
        const QList<LoadedKmlFile> files = globe_.LoadedKmlFiles();
        if (HideRememberedFolders(files)) {
            continue;
        }
        const QSignalBlocker quiet(&tree_);
        for (int i = 0; i < tree_.topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tree_.topLevelItem(i);
            const QString absolute = AbsolutePath(item->text(0));
            const auto file = std::find_if(files.begin(), files.end(), [&](const LoadedKmlFile& f) {
                return f.path == absolute;
            });
            SynchroniseFile(*item, file == files.end() ? nullptr : &*file);
        }
        ShowProgress(files);
        tree_.viewport()->update();
        if (filesListener_) {
            filesListener_(files);
        }
    } while (synchroniseAgain_);
    synchronising_ = false;
}

bool LoadableFileList::HideRememberedFolders(const QList<LoadedKmlFile>& files) {
    bool hid = false;
    for (const LoadedKmlFile& file : files) {
        const auto remembered = hiddenFolders_.find(file.path);
        if (remembered == hiddenFolders_.end()) {
            continue;
        }
        for (int f = 0; f < file.folders.size(); ++f) {
            if (file.folders[f].visible &&
                remembered->second.contains(FolderKey(file.folders, f))) {
                globe_.SetKmlFolderVisible(file.path, f, false);
                hid = true;
            }
        }
    }
    return hid;
}

void LoadableFileList::SynchroniseFile(QTreeWidgetItem& item, const LoadedKmlFile* file) {
    item.setCheckState(0, FileState(file));
    item.setText(1, file != nullptr && file->loadingPercent >= 0
                        ? QStringLiteral("%1%").arg(file->loadingPercent)
                        : QString());
    const QList<KmlFolder> folders = file != nullptr ? file->folders : QList<KmlFolder>();
    // The same folders keep their entries (and whether they are open); others are made anew.
    bool same = item.childCount() > 0 || folders.isEmpty();
    std::vector<QTreeWidgetItem*> entries;
    for (QTreeWidgetItemIterator it(&item); *it != nullptr; ++it) {
        if (*it == &item) {
            continue;
        }
        if (FileItem(*it) != &item) {
            break;
        }
        entries.push_back(*it);
    }
    same = same && entries.size() == static_cast<size_t>(folders.size());
    for (size_t f = 0; same && f < entries.size(); ++f) {
        same = entries[f]->text(0) == folders[static_cast<int>(f)].name;
    }
    if (!same) {
        qDeleteAll(item.takeChildren());
        entries.clear();
        for (int f = 0; f < folders.size(); ++f) {
            QTreeWidgetItem* parent =
                folders[f].parent >= 0 ? entries[static_cast<size_t>(folders[f].parent)] : &item;
            auto* entry = new QTreeWidgetItem(parent, {folders[f].name});
            entry->setData(0, kFolderRole, f);
            entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
            entries.push_back(entry);
        }
    }
    for (size_t f = 0; f < entries.size(); ++f) {
        entries[f]->setCheckState(
            0, folders[static_cast<int>(f)].visible ? Qt::Checked : Qt::Unchecked);
    }
}

void LoadableFileList::ShowProgress(const QList<LoadedKmlFile>& files) {
    if (progressBar_ == nullptr) {
        return;
    }
    int loading = 0;
    int percent = 0;
    QString name;
    for (const LoadedKmlFile& file : files) {
        if (file.loadingPercent >= 0) {
            ++loading;
            percent += file.loadingPercent;
            name = QFileInfo(file.path).fileName();
        }
    }
    progressText_->setVisible(loading > 0);
    progressBar_->setVisible(loading > 0);
    cancelButton_->setVisible(loading > 0);
    if (loading > 0) {
        progressText_->setText(loading == 1 ? QStringLiteral("正在载入 %1").arg(name)
                                            : QStringLiteral("正在载入 %1 个文件").arg(loading));
        progressBar_->setValue(percent / loading);
    }
}

QTreeWidgetItem* LoadableFileList::FileItem(QTreeWidgetItem* item) const {
    while (item != nullptr && item->parent() != nullptr) {
        item = item->parent();
    }
    return item;
}

void LoadableFileList::ItemChanged(QTreeWidgetItem* item) {
    // An entry being made has no box yet.
    if (!item->data(0, Qt::CheckStateRole).isValid()) {
        return;
    }
    if (FolderOf(*item)) {
        FolderChanged(*item);
        return;
    }
    const QString path = item->text(0);
    const std::optional<LoadedKmlFile> file = OnGlobe(path);
    const Qt::CheckState state = item->checkState(0);
    // Other changes of an entry (its tool tip) leave the box as the globe has it.
    if (file ? state == FileState(&*file) : state == Qt::Unchecked) {
        return;
    }
    const SynchroniseAtEnd synchronise([this] { Synchronise(); });
    const bool ticked = state != Qt::Unchecked;
    if (!file) {
        openOnGlobe_(path);
        return;
    }
    // Ticking a partly shown file shows all of it.
    if (ticked) {
        hiddenFolders_.erase(file->path);
        for (int f = 0; f < file->folders.size(); ++f) {
            if (!file->folders[f].visible) {
                globe_.SetKmlFolderVisible(path, f, true);
            }
        }
    }
    if (ticked != file->visible) {
        globe_.SetKmlFileVisible(path, ticked);
    }
}

void LoadableFileList::FolderChanged(QTreeWidgetItem& item) {
    const QString path = FileItem(&item)->text(0);
    const std::optional<LoadedKmlFile> file = OnGlobe(path);
    const int folder = *FolderOf(item);
    if (!file || folder >= file->folders.size()) {
        return;
    }
    const SynchroniseAtEnd synchronise([this] { Synchronise(); });
    const bool ticked = item.checkState(0) == Qt::Checked;
    QSet<QString>& hidden = hiddenFolders_[file->path];
    const QString key = FolderKey(file->folders, folder);
    if (ticked) {
        hidden.remove(key);
    } else {
        hidden.insert(key);
    }
    globe_.SetKmlFolderVisible(path, folder, ticked);
}

void LoadableFileList::ShowPopupMenu(const QPoint& position) {
    QTreeWidgetItem* item = tree_.itemAt(position);
    if (item == nullptr) {
        return;
    }
    tree_.setCurrentItem(item);
    const std::optional<LoadedKmlFile> file = OnGlobe(FileItem(item)->text(0));
    CancelLoad->setVisible(file && file->loadingPercent >= 0);
    PopupMenu->popup(tree_.viewport()->mapToGlobal(position));
}

void LoadableFileList::LocateClick() {
    QTreeWidgetItem* item = tree_.currentItem();
    if (item == nullptr) {
        return;
    }
    const SynchroniseAtEnd synchronise([this] { Synchronise(); });
    const QString path = FileItem(item)->text(0);
    if (const std::optional<int> folder = FolderOf(*item)) {
        if (item->checkState(0) != Qt::Checked) {
            item->setCheckState(0, Qt::Checked);
        }
        if (const std::optional<LoadedKmlFile> file = OnGlobe(path); file && !file->visible) {
            globe_.SetKmlFileVisible(path, true);
        }
        globe_.FlyToKmlFolder(path, *folder);
        return;
    }
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
    QTreeWidgetItem* item = FileItem(tree_.currentItem());
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
    QTreeWidgetItem* item = FileItem(tree_.currentItem());
    if (item == nullptr) {
        return;
    }
    const QString path = item->text(0);
    hiddenFolders_.erase(AbsolutePath(path));
    delete item;
    if (OnGlobe(path)) {
        globe_.RemoveKmlFile(path);
    }
}

void LoadableFileList::CancelLoadClick() {
    const QTreeWidgetItem* item = FileItem(tree_.currentItem());
    if (item != nullptr) {
        globe_.CancelKmlFileLoad(item->text(0));
    }
}

}  // namespace orvane
