#include "earth/KmlFileLayer.h"

#include <marble/GeoPainter.h>
#include <marble/RenderState.h>
#include <marble/ViewportParams.h>
#include <QStringList>
#include <algorithm>

#include "earth/FeaturePainter.h"

namespace orvane {

namespace {
// Above the map's own drawing of lines and shapes at the same position.
constexpr qreal kAboveMapGeometry = 100.0;
// How far from a feature a click still picks it, in pixels.
constexpr double kPickTolerance = 3.0;
}  // namespace

QStringList KmlFileLayer::renderPosition() const {
    return {QStringLiteral("HOVERS_ABOVE_SURFACE")};
}

qreal KmlFileLayer::zValue() const {
    return kAboveMapGeometry;
}

namespace {

// The map's scale bar takes the lowest pixels of the view; a picture placed on the lower
// edge (a legend) sits on top of it instead of under it.
constexpr double kScaleBarHeight = 48.0;

void PaintScreenPictures(QPainter& painter, const Marble::ViewportParams& viewport,
                         const KmlFeatures& features) {
    const QSizeF view(viewport.width(), viewport.height());
    for (const ScreenPicture& picture : features.ScreenPictures()) {
        const QSizeF size = picture.image.size();
        const double x =
            (picture.placeInPixels[0] ? picture.place.x() : picture.place.x() * view.width()) -
            picture.anchor.x() * size.width();
        const double fromBottom =
            (picture.placeInPixels[1] ? picture.place.y() : picture.place.y() * view.height()) -
            picture.anchor.y() * size.height();
        const double bottom =
            fromBottom < kScaleBarHeight && fromBottom >= 0.0 ? kScaleBarHeight : fromBottom;
        painter.drawImage(QPointF(x, view.height() - bottom - size.height()), picture.image);
    }
}

}  // namespace

bool KmlFileLayer::render(Marble::GeoPainter* painter, Marble::ViewportParams* viewport,
                          const QString& /*renderPos*/, Marble::GeoSceneLayer* /*layer*/) {
    painter->save();
    FeaturePainter features(*painter, *viewport);
    for (const File& file : files_) {
        if (file.visible) {
            features.Paint(*file.features, FilterOf(file));
        }
    }
    features.PaintLabels();
    for (const File& file : files_) {
        if (file.visible) {
            PaintScreenPictures(*painter, *viewport, *file.features);
        }
    }
    labels_.clear();
    for (const DrawnLabel& label : features.Labels()) {
        for (const File& file : files_) {
            if (file.features.get() == label.features) {
                labels_.push_back({label.box, file.features, label.placemark});
            }
        }
    }
    lastDrawn_ = features.FeaturesDrawn();
    painter->restore();
    return true;
}

Marble::RenderState KmlFileLayer::renderState() const {
    return Marble::RenderState(QStringLiteral("Loaded KML files"));
}

QString KmlFileLayer::runtimeTrace() const {
    return QStringLiteral("KML features drawn: %1").arg(lastDrawn_);
}

const KmlFileLayer::File* KmlFileLayer::Find(const QString& path) const {
    const auto found = std::find_if(files_.begin(), files_.end(),
                                    [&](const File& file) { return file.path == path; });
    return found == files_.end() ? nullptr : &*found;
}

void KmlFileLayer::Put(const QString& path, std::shared_ptr<const KmlFeatures> features) {
    const size_t folders = features->Folders().size();
    File put{path, true, std::move(features), std::vector<bool>(folders, true),
             std::vector<bool>(folders, false)};
    for (File& file : files_) {
        if (file.path == path) {
            file = std::move(put);
            return;
        }
    }
    files_.push_back(std::move(put));
}

bool KmlFileLayer::SetFolderVisible(const QString& path, std::uint32_t folder, bool visible) {
    for (File& file : files_) {
        if (file.path == path && folder < file.folderShown.size()) {
            file.folderShown[folder] = visible;
            // Parents come before their children.
            const std::vector<FeatureFolder>& folders = file.features->Folders();
            for (size_t i = 0; i < folders.size(); ++i) {
                file.folderHidden[i] =
                    !file.folderShown[i] ||
                    (folders[i].parent != kNoFolder && file.folderHidden[folders[i].parent]);
            }
            return true;
        }
    }
    return false;
}

FeatureFilter KmlFileLayer::FilterOf(const File& file) const {
    FeatureFilter filter;
    if (std::find(file.folderHidden.begin(), file.folderHidden.end(), true) !=
        file.folderHidden.end()) {
        filter.hiddenFolders = &file.folderHidden;
    }
    if (timeWindow_ && !file.features->Times().empty()) {
        filter.times = &file.features->Times();
        filter.window = *timeWindow_;
    }
    return filter;
}

bool KmlFileLayer::SetVisible(const QString& path, bool visible) {
    for (File& file : files_) {
        if (file.path == path) {
            file.visible = visible;
            return true;
        }
    }
    return false;
}

bool KmlFileLayer::Remove(const QString& path) {
    const auto found = std::find_if(files_.begin(), files_.end(),
                                    [&](const File& file) { return file.path == path; });
    if (found == files_.end()) {
        return false;
    }
    files_.erase(found);
    return true;
}

std::optional<PlacemarkTexts> KmlFileLayer::PlacemarkAt(const Marble::ViewportParams& viewport,
                                                        const QPointF& position) const {
    for (auto label = labels_.rbegin(); label != labels_.rend(); ++label) {
        if (label->box.contains(position)) {
            return label->features->Placemarks()[label->placemark];
        }
    }
    for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
        if (!file->visible) {
            continue;
        }
        if (const std::optional<std::uint32_t> placemark = orvane::PlacemarkAt(
                *file->features, viewport, position, kPickTolerance, FilterOf(*file))) {
            return file->features->Placemarks()[*placemark];
        }
    }
    return std::nullopt;
}

}  // namespace orvane
