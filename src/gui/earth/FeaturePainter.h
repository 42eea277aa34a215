#pragma once

// Draws the features of loaded KML files through the view's own projection. Nothing is left
// out for being small: a line of two points a few metres apart, a polygon smaller than a
// pixel and a point are all drawn at least a pixel wide in their colour and width.

#include <marble/GeoDataCoordinates.h>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <optional>
#include <span>
#include <vector>

#include "earth/KmlFeatures.h"

class QPainter;

namespace Marble {
class ViewportParams;
}

namespace orvane {

// Which features of a file are drawn: those outside hidden folders whose placemark's time
// meets the window. An empty filter passes everything.
struct FeatureFilter {
    const std::vector<bool>* hiddenFolders = nullptr;
    const std::vector<TimeRange>* times = nullptr;
    TimeRange window;

    bool IsEmpty() const { return hiddenFolders == nullptr && times == nullptr; }
    bool Passes(const Feature& feature) const {
        return (hiddenFolders == nullptr || feature.folder == kNoFolder ||
                !(*hiddenFolders)[feature.folder]) &&
               (times == nullptr || (*times)[feature.placemark].Overlaps(window));
    }
};

// Geographic to view positions, with the quick tests that spare work on what is not shown.
class ScreenProjection {
  public:
    explicit ScreenProjection(const Marble::ViewportParams& viewport);

    // False when the globe hides the point (its far side).
    bool Project(const GeoPoint& point, QPointF& position);
    // Whether any of the box may show (generous near the edges).
    bool MayShow(const GeoBox& box) const;
    double RadiansPerPixel() const { return radiansPerPixel_; }
    const QRectF& Rect() const { return rect_; }
    // The part's points in view positions, cut where the globe hides them; valid until the
    // next call.
    std::span<const QPolygonF> Runs(const FeatureLevel& level, const FeaturePart& part);

  private:
    const Marble::ViewportParams& viewport_;
    bool spherical_;
    QPointF centre_;
    double radius_;
    // Where the globe's rotation takes the three axes.
    double rotation_[3][3] = {};
    Marble::GeoDataCoordinates scratch_;
    QRectF rect_;
    double radiansPerPixel_;
    GeoBox view_;
    bool viewCrossesDateLine_;
    std::vector<QPolygonF> runs_;
};

// A label drawn on the map, so that a click on it opens its placemark's balloon.
struct DrawnLabel {
    QRectF box;
    const KmlFeatures* features = nullptr;
    std::uint32_t placemark = 0;
};

// What a point's label shows: a site's name is its sectors' names joined by TAB, and the
// label shows the first of them.
QString LabelText(const QString& name);

class FeaturePainter {
  public:
    FeaturePainter(QPainter& painter, const Marble::ViewportParams& viewport);

    void Paint(const KmlFeatures& features, const FeatureFilter& filter = {});
    // Names of points after all files are drawn, where they do not cover each other.
    // Where two would overlap, the label of the larger icon stays, else the one drawn first.
    void PaintLabels();
    const std::vector<DrawnLabel>& Labels() const { return drawnLabels_; }
    int FeaturesDrawn() const { return drawn_; }

  private:
    struct Label {
        QPointF at;
        QString text;
        QRgb colour;
        double priority;
        const KmlFeatures* features;
        std::uint32_t placemark;
    };

    void PaintLine(const Feature& feature, const FeatureLevel& level, bool closed);
    void PaintPolygon(const Feature& feature, const FeatureLevel& level, const FeatureStyle& style);
    void PaintPoint(const Feature& feature, const FeatureLevel& level, const FeatureStyle& style,
                    const KmlFeatures& features);
    // In the line style: a run shorter than a pixel becomes a dot as wide as the line.
    void DrawPolyline(const QPolygonF& run, bool closed, std::uint32_t style);
    // Dots of one style in a row are drawn at once.
    void DrawDot(const QPointF& at, std::uint32_t style, double width);
    void FlushDots();
    // Before anything else is drawn.
    void EndDots();
    void UsePen(const QPen& pen);

    QPainter& painter_;
    ScreenProjection projection_;
    std::vector<QPen> pens_;
    std::optional<QPen> currentPen_;
    std::vector<Label> labels_;
    std::vector<DrawnLabel> drawnLabels_;
    std::vector<QBrush> dotBrushes_;
    std::vector<QRect> dots_;
    std::uint32_t dotStyle_ = 0;
    bool drawingDots_ = false;
    bool antialiased_ = false;
    int drawn_ = 0;
    int pointsDrawn_ = 0;
};

// The placemark (an index into features.Placemarks()) drawn topmost within `tolerance`
// pixels of a view position, if any.
std::optional<std::uint32_t> PlacemarkAt(const KmlFeatures& features,
                                         const Marble::ViewportParams& viewport,
                                         const QPointF& position, double tolerance,
                                         const FeatureFilter& filter = {});

// The drawn vertex nearest to a view position within `tolerance` pixels, for the ruler to
// snap to.
std::optional<GeoPoint> VertexNear(const KmlFeatures& features,
                                   const Marble::ViewportParams& viewport, const QPointF& position,
                                   double tolerance);

// Liang-Barsky: trims the segment to the rectangle; false when nothing of it is inside.
bool ClipSegment(QPointF& a, QPointF& b, const QRectF& rect);
// The pieces of a polyline inside the rectangle.
std::vector<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& rect);
// Sutherland-Hodgman: the part of a ring inside the rectangle.
QPolygonF ClipRing(const QPolygonF& ring, const QRectF& rect);

}  // namespace orvane
