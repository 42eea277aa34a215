#include "earth/LoadedKmlFiles.h"

#include <marble/GeoDataDocument.h>
#include <marble/GeoDataLatLonAltBox.h>
#include <marble/GeoDataTreeModel.h>
#include <marble/MarbleModel.h>
#include <marble/MarbleWidget.h>
#include <marble/ParsingRunnerManager.h>
#include <QDateTime>
#include <QFileInfo>
#include <QMouseEvent>
#include <QWhatsThis>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "common/Errors.h"
#include "common/WaitCursor.h"
#include "earth/FeaturePainter.h"
#include "earth/KmlStreamReader.h"

namespace orvane {

namespace {

// A press and release closer than this is a click, not a drag of the map.
constexpr int kClickSlack = 3;
// Files this large (about 30 000 drive-test records) are read while the user goes on working.
constexpr qint64 kReadInBackgroundFrom = 4 << 20;
constexpr int kProgressInterval = 200;

QString StampOf(const QString& path) {
    const QFileInfo info(path);
    return QString::number(info.size()) + ':' +
           QString::number(info.lastModified().toMSecsSinceEpoch());
}

// The map's document of a large file is millions of small objects. Once they are freed, the
// C library sorts its free lists at the next large request, which stalled the first pan after
// opening a million-record route for most of a second; here it happens while the user waits.
void ReturnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

Marble::GeoDataLatLonBox BoxOf(const GeoBox& box) {
    return Marble::GeoDataLatLonBox(box.north, box.south, box.east, box.west,
                                    Marble::GeoDataCoordinates::Radian);
}

}  // namespace

LoadedKmlFiles::LoadedKmlFiles() {
    progress_.setInterval(kProgressInterval);
    connect(&progress_, &QTimer::timeout, this, [this] { ReportProgress(); });
}

LoadedKmlFiles::~LoadedKmlFiles() {
    Detach();
}

void LoadedKmlFiles::Attach(Marble::MarbleWidget& map) {
    map_ = &map;
    map.addLayer(&layer_);
    map.installEventFilter(this);
}

void LoadedKmlFiles::Detach() {
    const bool hadFiles = !layer_.Files().empty() || !loads_.empty();
    for (auto& [path, reading] : loads_) {
        reading.worker.request_stop();
    }
    loads_.clear();
    retired_.clear();
    reported_.clear();
    progress_.stop();
    if (map_) {
        for (Extra& extra : extras_) {
            ForgetOthers(extra);
        }
        map_->removeEventFilter(this);
        map_->removeLayer(&layer_);
    }
    map_ = nullptr;
    extras_.clear();
    layer_.Clear();
    if (hadFiles) {
        Changed();
    }
}

void LoadedKmlFiles::Load(const QString& absolutePath, bool evenIfUnchanged,
                          std::function<void()> shown) {
    if (!map_) {
        return;
    }
    if (!evenIfUnchanged && layer_.Find(absolutePath) != nullptr && !IsLoading(absolutePath) &&
        extras_.value(absolutePath).stamp == StampOf(absolutePath)) {
        SetVisible(absolutePath, true);
        if (shown) {
            shown();
        }
        return;
    }
    CancelLoad(absolutePath);
    if (QFileInfo(absolutePath).size() >= kReadInBackgroundFrom) {
        StartReading(absolutePath, std::move(shown));
        return;
    }
    std::shared_ptr<KmlFeatures> features;
    {
        const WaitCursor wait;
        try {
            features = std::make_shared<KmlFeatures>(*ReadKmlFeatures(absolutePath));
        } catch (const Error&) {
            // The map's reader knows more encodings; it has the last word.
        }
    }
    Show(absolutePath, std::move(features));
    if (shown) {
        shown();
    }
}

void LoadedKmlFiles::StartReading(const QString& absolutePath, std::function<void()> shown) {
    Reading& reading = loads_[absolutePath];
    reading.id = ++lastReading_;
    reading.permille = std::make_shared<std::atomic<int>>(0);
    reading.shown = std::move(shown);
    reading.worker = std::jthread([this, absolutePath, id = reading.id,
                                   permille = reading.permille](std::stop_token stop) {
        std::shared_ptr<KmlFeatures> features;
        try {
            std::optional<KmlFeatures> read =
                ReadKmlFeatures(absolutePath, stop,
                                [&](double share) { *permille = static_cast<int>(share * 1000); });
            if (read) {
                features = std::make_shared<KmlFeatures>(std::move(*read));
            }
        } catch (const std::exception&) {
            // Left to the map's reader on the interface thread.
        }
        QMetaObject::invokeMethod(
            this, [this, absolutePath, id, features] { ReadingEnded(absolutePath, id, features); },
            Qt::QueuedConnection);
    });
    progress_.start();
    Changed();
}

void LoadedKmlFiles::ReadingEnded(const QString& absolutePath, std::uint64_t id,
                                  std::shared_ptr<KmlFeatures> features) {
    retired_.erase(id);
    const auto found = loads_.find(absolutePath);
    if (found == loads_.end() || found->second.id != id) {
        return;
    }
    std::function<void()> shown = std::move(found->second.shown);
    found->second.worker.join();
    loads_.erase(found);
    reported_.erase(absolutePath);
    if (loads_.empty()) {
        progress_.stop();
    }
    try {
        const WaitCursor wait;
        Show(absolutePath, std::move(features));
    } catch (const std::exception& error) {
        Changed();
        if (failureListener_) {
            failureListener_(QString::fromStdString(error.what()));
        }
        return;
    }
    if (shown) {
        shown();
    }
}

void LoadedKmlFiles::CancelLoad(const QString& absolutePath) {
    const auto found = loads_.find(absolutePath);
    if (found == loads_.end()) {
        return;
    }
    found->second.worker.request_stop();
    retired_.emplace(found->second.id, std::move(found->second.worker));
    loads_.erase(found);
    reported_.erase(absolutePath);
    Changed();
}

void LoadedKmlFiles::ReportProgress() {
    bool changed = false;
    for (const auto& [path, reading] : loads_) {
        const int percent = *reading.permille / 10;
        int& reported = reported_[path];
        changed = changed || reported != percent;
        reported = percent;
    }
    if (changed) {
        Changed();
    }
}

std::unique_ptr<Marble::GeoDataDocument> LoadedKmlFiles::ReadWithMap(
    const QString& absolutePath) const {
    // The map's own loader drops a file it cannot read without a word; reading it here lets
    // the user hear about it.
    Marble::ParsingRunnerManager parser(map_->model()->pluginManager());
    std::unique_ptr<Marble::GeoDataDocument> document(parser.openFile(absolutePath));
    if (!document) {
        throw CannotOpenFileError(QFile::encodeName(absolutePath).toStdString());
    }
    return document;
}

void LoadedKmlFiles::Show(const QString& absolutePath, std::shared_ptr<KmlFeatures> features) {
    if (!map_) {
        return;
    }
    std::unique_ptr<Marble::GeoDataDocument> document;
    if (!features) {
        document = ReadWithMap(absolutePath);
        features = std::make_shared<KmlFeatures>(KmlFeatures::FromDocument(*document));
        if (!features->LeftOthers()) {
            document.reset();
            ReturnFreedMemory();
        }
    } else if (features->LeftOthers()) {
        // The map draws the overlays and the like; what this layer draws is hidden from it.
        document = ReadWithMap(absolutePath);
        KmlFeatures::FromDocument(*document);
    }

    Extra& extra = extras_[absolutePath];
    ForgetOthers(extra);
    extra.stamp = StampOf(absolutePath);
    extra.extent = features->IsEmpty() ? Marble::GeoDataLatLonBox() : BoxOf(features->Extent());
    if (document) {
        const Marble::GeoDataLatLonBox others = document->latLonAltBox();
        extra.extent = extra.extent.isEmpty() ? others : extra.extent.united(others);
        document->setFileName(absolutePath);
        extra.others = document.release();
        map_->model()->treeModel()->addDocument(extra.others);
    }
    layer_.Put(absolutePath, std::move(features));
    map_->update();
    Changed();
}

bool LoadedKmlFiles::Contains(const QString& absolutePath) const {
    return layer_.Find(absolutePath) != nullptr;
}

Marble::GeoDataLatLonBox LoadedKmlFiles::Extent(const QString& absolutePath) const {
    return extras_.value(absolutePath).extent;
}

QList<LoadedKmlFile> LoadedKmlFiles::List() const {
    QList<LoadedKmlFile> files;
    for (const KmlFileLayer::File& file : layer_.Files()) {
        LoadedKmlFile listed{file.path, file.visible, -1, {}, std::nullopt};
        const std::vector<FeatureFolder>& folders = file.features->Folders();
        for (size_t i = 0; i < folders.size(); ++i) {
            listed.folders.append(
                {folders[i].name,
                 folders[i].parent == kNoFolder ? -1 : static_cast<int>(folders[i].parent),
                 file.folderShown[i]});
        }
        if (!file.features->Times().empty()) {
            listed.times =
                KmlTimeWindow{file.features->TimeExtent().begin, file.features->TimeExtent().end};
        }
        files.append(listed);
    }
    for (const auto& [path, reading] : loads_) {
        const int percent = *reading.permille / 10;
        const auto on = std::find_if(files.begin(), files.end(),
                                     [&](const LoadedKmlFile& file) { return file.path == path; });
        if (on != files.end()) {
            on->loadingPercent = percent;
        } else {
            files.append({path, true, percent, {}, std::nullopt});
        }
    }
    return files;
}

void LoadedKmlFiles::SetFolderVisible(const QString& absolutePath, int folder, bool visible) {
    if (folder < 0 ||
        !layer_.SetFolderVisible(absolutePath, static_cast<std::uint32_t>(folder), visible)) {
        return;
    }
    if (map_) {
        map_->update();
    }
    Changed();
}

Marble::GeoDataLatLonBox LoadedKmlFiles::FolderExtent(const QString& absolutePath,
                                                      int folder) const {
    const KmlFileLayer::File* file = layer_.Find(absolutePath);
    if (file == nullptr || folder < 0 ||
        static_cast<size_t>(folder) >= file->features->Folders().size()) {
        return {};
    }
    const FeatureFolder& found = file->features->Folders()[static_cast<size_t>(folder)];
    return found.hasFeatures ? BoxOf(found.box) : Marble::GeoDataLatLonBox();
}

void LoadedKmlFiles::SetTimeWindow(std::optional<KmlTimeWindow> window) {
    layer_.SetTimeWindow(window ? std::optional<TimeRange>(TimeRange{window->begin, window->end})
                                : std::nullopt);
    if (map_) {
        map_->update();
    }
}

void LoadedKmlFiles::SetVisible(const QString& absolutePath, bool visible) {
    if (!layer_.SetVisible(absolutePath, visible)) {
        return;
    }
    if (Marble::GeoDataDocument* others = extras_.value(absolutePath).others; others && map_) {
        others->setVisible(visible);
        map_->model()->treeModel()->updateFeature(others);
    }
    if (map_) {
        map_->update();
    }
    Changed();
}

void LoadedKmlFiles::Remove(const QString& absolutePath) {
    CancelLoad(absolutePath);
    if (!layer_.Remove(absolutePath)) {
        return;
    }
    ForgetOthers(extras_[absolutePath]);
    extras_.remove(absolutePath);
    if (map_) {
        map_->update();
    }
    Changed();
}

void LoadedKmlFiles::ForgetOthers(Extra& extra) {
    if (extra.others == nullptr) {
        return;
    }
    if (map_) {
        map_->model()->treeModel()->removeDocument(extra.others);
    }
    delete extra.others;
    extra.others = nullptr;
}

void LoadedKmlFiles::Changed() {
    if (listener_) {
        listener_();
    }
}

bool LoadedKmlFiles::eventFilter(QObject* watched, QEvent* event) {
    if (watched == map_ && (event->type() == QEvent::MouseButtonPress ||
                            event->type() == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && balloonsShown_) {
            if (event->type() == QEvent::MouseButtonPress) {
                pressedAt_ = mouse->pos();
            } else if ((mouse->pos() - pressedAt_).manhattanLength() <= kClickSlack) {
                ShowBalloon(mouse->pos());
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void LoadedKmlFiles::ShowBalloon(const QPoint& position) {
    const std::optional<PlacemarkTexts> placemark =
        layer_.PlacemarkAt(*map_->viewport(), QPointF(position));
    if (placemark) {
        ShowBalloon(position, *placemark);
    }
}

void LoadedKmlFiles::ShowBalloon(const QPoint& position, const PlacemarkTexts& placemark) {
    if (!map_ || (placemark.name.isEmpty() && placemark.description.isEmpty())) {
        return;
    }
    QString text = QStringLiteral("<b>%1</b>").arg(LabelText(placemark.name).toHtmlEscaped());
    if (!placemark.description.isEmpty()) {
        text += QStringLiteral("<br>") + placemark.description;
    }
    QWhatsThis::showText(map_->mapToGlobal(position), text, map_);
}

}  // namespace orvane
