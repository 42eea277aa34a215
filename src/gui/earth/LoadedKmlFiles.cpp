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

namespace orvane {

namespace {

// A press and release closer than this is a click, not a drag of the map.
constexpr int kClickSlack = 3;

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

LoadedKmlFiles::LoadedKmlFiles() = default;

LoadedKmlFiles::~LoadedKmlFiles() {
    Detach();
}

void LoadedKmlFiles::Attach(Marble::MarbleWidget& map) {
    map_ = &map;
    map.addLayer(&layer_);
    map.installEventFilter(this);
}

void LoadedKmlFiles::Detach() {
    const bool hadFiles = !layer_.Files().empty();
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

void LoadedKmlFiles::Load(const QString& absolutePath, bool evenIfUnchanged) {
    if (!map_) {
        return;
    }
    const QString stamp = StampOf(absolutePath);
    if (!evenIfUnchanged && layer_.Find(absolutePath) != nullptr &&
        extras_.value(absolutePath).stamp == stamp) {
        SetVisible(absolutePath, true);
        return;
    }
    std::unique_ptr<Marble::GeoDataDocument> document;
    std::shared_ptr<KmlFeatures> features;
    {
        const WaitCursor wait;
        // The map's own loader drops a file it cannot read without a word; reading it here
        // lets the user hear about it.
        Marble::ParsingRunnerManager parser(map_->model()->pluginManager());
        document.reset(parser.openFile(absolutePath));
        if (!document) {
            throw CannotOpenFileError(QFile::encodeName(absolutePath).toStdString());
        }
        features = std::make_shared<KmlFeatures>(KmlFeatures::FromDocument(*document));
        if (!features->LeftOthers()) {
            document.reset();
            ReturnFreedMemory();
        }
    }

    Extra& extra = extras_[absolutePath];
    ForgetOthers(extra);
    extra.stamp = stamp;
    extra.extent = features->IsEmpty() ? Marble::GeoDataLatLonBox() : BoxOf(features->Extent());
    if (features->LeftOthers()) {
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
        files.append({file.path, file.visible});
    }
    return files;
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
