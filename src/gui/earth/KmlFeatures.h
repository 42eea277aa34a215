#pragma once

// The drawable features of one KML file in a compact form: the points, lines and polygons of
// its placemarks with their resolved styles, plus simplified copies for distant views, so
// that a route of a million records can be drawn whole at every zoom without delay.

#include <QImage>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <vector>

namespace Marble {
class GeoDataContainer;
class GeoDataDocument;
class GeoDataGeometry;
class GeoDataPlacemark;
}  // namespace Marble

namespace orvane {

// Longitude and latitude in radians.
struct GeoPoint {
    double lon = 0.0;
    double lat = 0.0;
};

// A longitude/latitude rectangle in radians; west > east never occurs (no date-line boxes).
struct GeoBox {
    double west = 0.0;
    double south = 0.0;
    double east = 0.0;
    double north = 0.0;

    static GeoBox Of(const GeoPoint& point) { return {point.lon, point.lat, point.lon, point.lat}; }
    void Include(const GeoPoint& point);
    void Include(const GeoBox& box);
};

struct FeatureStyle {
    QRgb line = 0xffffffff;
    float lineWidth = 1.0f;
    QRgb fill = 0xffffffff;
    bool filled = true;
    bool outlined = true;
    QRgb icon = 0xffffffff;
    float iconScale = 1.0f;
    // The picture of a point, tinted by `icon`; null: a square in that colour.
    QImage iconImage;
    QRgb label = 0xffffffff;

    bool operator==(const FeatureStyle&) const = default;
};

enum class FeatureKind : std::uint8_t { Point, Line, Ring, Polygon };

// A run of points: a line, a ring of a polygon, or the one point of a point feature.
struct FeaturePart {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

struct Feature {
    FeatureKind kind = FeatureKind::Point;
    std::uint32_t style = 0;
    std::uint32_t placemark = 0;  // index of the placemark's texts
    std::uint32_t firstPart = 0;  // a polygon's first part is its outer ring
    std::uint32_t partCount = 0;
    GeoBox box;
};

// Consecutive features, so that a view skips the parts of a file it does not show at once.
struct FeatureBlock {
    std::uint32_t firstFeature = 0;
    std::uint32_t featureCount = 0;
    GeoBox box;
};

// One resolution of a file's features.
struct FeatureLevel {
    double cellSize = 0.0;  // radians; points closer than a cell are merged; 0: full detail
    std::vector<Feature> features;
    std::vector<FeaturePart> parts;
    std::vector<GeoPoint> points;
    std::vector<FeatureBlock> blocks;

    size_t Size() const { return features.size() + points.size(); }
};

struct PlacemarkTexts {
    QString name;
    QString description;
};

class KmlFeatures {
  public:
    // Takes the placemarks with points, lines, rings and polygons of the document (those it
    // hides are left out). When the document holds anything else (overlays, tracks, models),
    // the placemarks taken are hidden in it, so that the map can show what remains.
    static KmlFeatures FromDocument(Marble::GeoDataDocument& document);

    bool IsEmpty() const { return full_.features.empty(); }
    // Whether the document held anything besides the features taken.
    bool LeftOthers() const { return leftOthers_; }
    const GeoBox& Extent() const { return extent_; }
    const std::vector<FeatureStyle>& Styles() const { return styles_; }
    const std::vector<PlacemarkTexts>& Placemarks() const { return placemarks_; }
    const FeatureLevel& Full() const { return full_; }
    // The coarsest resolution whose cells are no wider than a pixel, or than half the usual
    // line where lines are wider: a dot of such a line still covers its cell.
    const FeatureLevel& LevelFor(double radiansPerPixel) const;
    const std::vector<FeatureLevel>& Levels() const { return levels_; }

  private:
    class Builder;
    void BuildLevels();

    std::vector<FeatureStyle> styles_;
    std::vector<PlacemarkTexts> placemarks_;
    FeatureLevel full_;
    std::vector<FeatureLevel> levels_;  // from fine to coarse
    GeoBox extent_;
    double cellPixels_ = 1.0;
    bool leftOthers_ = false;
};

}  // namespace orvane
