#pragma once

// The drawable features of one KML file in a compact form: the points, lines and polygons of
// its placemarks with their resolved styles, plus simplified copies for distant views, so
// that a route of a million records can be drawn whole at every zoom without delay.

#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
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

// The pictures of point icons, once per address and colour, tinted by the colour: the system's
// own icons are drawn by the program, whatever the network; others come from `other`.
class IconPictures {
  public:
    QImage For(const QString& href, QRgb colour, const std::function<QImage()>& other);

  private:
    QHash<QString, QImage> pictures_;
};

enum class FeatureKind : std::uint8_t { Point, Line, Ring, Polygon };

// A run of points: a line, a ring of a polygon, or the one point of a point feature. Its box
// lets a view skip the lines of a merged route that it does not show.
struct FeaturePart {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    GeoBox box;
};

// Features directly in the document belong to no folder.
constexpr std::uint32_t kNoFolder = std::numeric_limits<std::uint32_t>::max();

// The lines (or rings) of one placemark's multi-geometry are one feature with a part each.
struct Feature {
    FeatureKind kind = FeatureKind::Point;
    std::uint32_t style = 0;
    std::uint32_t placemark = 0;  // index of the placemark's texts
    std::uint32_t firstPart = 0;  // a polygon's first part is its outer ring
    std::uint32_t partCount = 0;
    std::uint32_t folder = kNoFolder;  // innermost folder holding the placemark
    GeoBox box;
};

// Consecutive features, so that a view skips the parts of a file it does not show at once.
struct FeatureBlock {
    std::uint32_t firstFeature = 0;
    std::uint32_t featureCount = 0;
    GeoBox box;
};

// Parts are also boxed in groups of this many in a row, so that a street view skips most of
// the hundreds of thousands of lines of a merged route at once.
constexpr std::uint32_t kPartsPerGroup = 64;

// One resolution of a file's features.
struct FeatureLevel {
    double cellSize = 0.0;  // radians; points closer than a cell are merged; 0: full detail
    std::vector<Feature> features;
    std::vector<FeaturePart> parts;
    std::vector<GeoPoint> points;
    std::vector<FeatureBlock> blocks;
    std::vector<GeoBox> partGroups;  // group i: parts from i * kPartsPerGroup

    size_t Size() const { return features.size() + points.size(); }
};

struct PlacemarkTexts {
    QString name;
    QString description;
};

// A folder of the file; parents come before their children.
struct FeatureFolder {
    QString name;
    std::uint32_t parent = kNoFolder;
    GeoBox box;  // of the features in it and in its subfolders
    bool hasFeatures = false;
};

// When a placemark happens, in milliseconds since 1970 (UTC); a time stamp is a span of one
// instant, an open end reaches as far as time does.
struct TimeRange {
    std::int64_t begin = std::numeric_limits<std::int64_t>::min();
    std::int64_t end = std::numeric_limits<std::int64_t>::max();

    bool IsAlways() const { return *this == TimeRange{}; }
    bool Overlaps(const TimeRange& other) const { return begin <= other.end && other.begin <= end; }
    bool operator==(const TimeRange&) const = default;
};

// A picture fixed to the view, such as a legend: its point `anchor` (in fractions of the
// picture, from its lower left) sits at `place` in the view (from the view's lower left, in
// fractions of the view or, where `placeInPixels` says so, in pixels).
struct ScreenPicture {
    QImage image;
    QPointF anchor;
    QPointF place;
    std::array<bool, 2> placeInPixels = {false, false};
};

class KmlFeatures {
  public:
    // Collects features placemark by placemark, from whatever reads the file.
    class Assembler;

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
    const std::vector<FeatureFolder>& Folders() const { return folders_; }
    // Per placemark; empty when no placemark of the file carries a time.
    const std::vector<TimeRange>& Times() const { return times_; }
    // From the earliest begin to the latest end of the placemarks' times.
    const TimeRange& TimeExtent() const { return timeExtent_; }
    const FeatureLevel& Full() const { return full_; }
    const std::vector<ScreenPicture>& ScreenPictures() const { return screenPictures_; }
    // The coarsest resolution whose cells are no wider than a pixel, or than half the usual
    // line where lines are wider: a dot of such a line still covers its cell.
    const FeatureLevel& LevelFor(double radiansPerPixel) const;
    const std::vector<FeatureLevel>& Levels() const { return levels_; }

  private:
    class Builder;
    void BuildLevels();

    std::vector<FeatureStyle> styles_;
    std::vector<PlacemarkTexts> placemarks_;
    std::vector<FeatureFolder> folders_;
    std::vector<TimeRange> times_;
    TimeRange timeExtent_;
    FeatureLevel full_;
    std::vector<FeatureLevel> levels_;  // from fine to coarse
    std::vector<ScreenPicture> screenPictures_;
    GeoBox extent_;
    double cellPixels_ = 1.0;
    bool leftOthers_ = false;
};

class KmlFeatures::Assembler {
  public:
    Assembler() = default;

    std::uint32_t AddFolder(QString name, std::uint32_t parent);
    void SetFolderName(std::uint32_t folder, QString name) {
        out_.folders_[folder].name = std::move(name);
    }
    // The index of an equal style already added, else of this one.
    std::uint32_t AddStyle(const FeatureStyle& style);
    void BeginPlacemark(PlacemarkTexts texts, std::uint32_t style, std::uint32_t folder,
                        const TimeRange& time);
    void BeginGeometry(FeatureKind kind);
    // Segments longer than about 30 km are followed along the great circle.
    void AddPart(std::span<const GeoPoint> points);
    void EndGeometry();
    void SetLeftOthers() { out_.leftOthers_ = true; }
    void AddScreenPicture(ScreenPicture picture) {
        out_.screenPictures_.push_back(std::move(picture));
    }
    KmlFeatures Finish();

  private:
    bool JoinsLastFeature() const;
    void Append(const GeoPoint& point, FeaturePart& part);
    void FollowGreatCircle(const GeoPoint& from, const GeoPoint& to, FeaturePart& part);

    KmlFeatures out_;
    Feature feature_;
    bool firstPoint_ = true;
    bool timed_ = false;
    std::uint32_t style_ = 0;
    std::uint32_t lastStyle_ = 0;
    std::uint32_t placemark_ = 0;
    std::uint32_t folder_ = kNoFolder;
};

}  // namespace orvane
