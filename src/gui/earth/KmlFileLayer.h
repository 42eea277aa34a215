#pragma once

// The map layer that draws the loaded KML files. The map's own drawing leaves out lines and
// shapes it finds too small for the zoom, and a drive-test route is mostly such pieces; this
// layer draws every feature of every shown file, in file order, above the map's surface.

#include <marble/LayerInterface.h>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "earth/FeaturePainter.h"
#include "earth/KmlFeatures.h"

namespace orvane {

class KmlFileLayer : public Marble::LayerInterface {
  public:
    struct File {
        QString path;
        bool visible = true;
        std::shared_ptr<const KmlFeatures> features;
        std::vector<bool> folderShown;   // as the user set each folder
        std::vector<bool> folderHidden;  // by itself or by a folder holding it
    };

    QStringList renderPosition() const override;
    bool render(Marble::GeoPainter* painter, Marble::ViewportParams* viewport,
                const QString& renderPos, Marble::GeoSceneLayer* layer) override;
    qreal zValue() const override;
    Marble::RenderState renderState() const override;
    QString runtimeTrace() const override;

    const std::vector<File>& Files() const { return files_; }
    const File* Find(const QString& path) const;
    // A file loaded again keeps its place among the others and is shown.
    void Put(const QString& path, std::shared_ptr<const KmlFeatures> features);
    bool SetVisible(const QString& path, bool visible);
    bool SetFolderVisible(const QString& path, std::uint32_t folder, bool visible);
    void SetTimeWindow(std::optional<TimeRange> window) { timeWindow_ = window; }
    const std::optional<TimeRange>& TimeWindow() const { return timeWindow_; }
    bool Remove(const QString& path);
    void Clear() {
        files_.clear();
        labels_.clear();
    }

    // The name and description of the label, or else of the feature, drawn topmost at a view
    // position; a point is preferred to the lines and shapes around it.
    std::optional<PlacemarkTexts> PlacemarkAt(const Marble::ViewportParams& viewport,
                                              const QPointF& position) const;

  private:
    FeatureFilter FilterOf(const File& file) const;

    struct Label {
        QRectF box;
        std::shared_ptr<const KmlFeatures> features;
        std::uint32_t placemark = 0;
    };

    std::vector<File> files_;
    std::optional<TimeRange> timeWindow_;
    // The labels of the last drawing: a click on a name opens its placemark like its icon.
    std::vector<Label> labels_;
    int lastDrawn_ = 0;
};

}  // namespace orvane
