#pragma once

// Placemark records: filled by a conversion and read by one builder of the KML document.
// Their values are typed: numbers stay numbers until a builder writes them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// How GIS programs read a field of placemark data.
enum class KmlFieldType { Int, Double, String };

struct KmlField {
    std::string Name;
    KmlFieldType Type = KmlFieldType::String;
};

// The fields of one kind of placemark: a Schema of the standard layout.
struct KmlSchema {
    std::string Id;
    std::vector<KmlField> Fields;
};

// The narrowest type that holds every value given: int for whole numbers of 32 bits, double
// for numbers, else string. Empty values say nothing; with none at all the type is string.
class KmlFieldTypeScan {
  public:
    void Add(std::string_view value);
    KmlFieldType Type() const { return seen_ ? type_ : KmlFieldType::String; }
    // No further value can change the type.
    bool Settled() const { return seen_ && type_ == KmlFieldType::String; }

  private:
    KmlFieldType type_ = KmlFieldType::Int;
    bool seen_ = false;
};

struct TPlacemark {
    std::string Name;
    std::string StyleUrl;
    // The standard layout writes these as the placemark's data: one value per field of
    // `Schema`, in field order; empty values are left out.
    const KmlSchema* Schema = nullptr;
    std::vector<std::string_view> Data;
};

struct TPointPlacemark : TPlacemark {
    std::string Coordinates;
    std::string Description;  // table rows, each starting with "<TR>"
};

struct TLinePlacemark : TPlacemark {
    std::string Coordinates;
};

struct TPolygonPlacemark : TPlacemark {
    std::string Coordinates;
};

// One polygon of a region: its outer ring and its holes, as coordinate texts.
struct TRingPolygon {
    std::string_view Outer;
    std::vector<std::string_view> Holes;
};

// Polygons that are one feature: a Polygon, or a MultiGeometry of several.
struct TRegionPlacemark : TPlacemark {
    std::vector<TRingPolygon> Polygons;
};

// A site: its icon and one wedge per sector, the sectors' antennas facing `Azimuths`.
struct TSitePlacemark : TPointPlacemark {
    std::vector<std::int32_t> Azimuths;
    double Longitude = 0;
    double Latitude = 0;
};

// A picture fixed to the view, its lower left corner at the view's lower left: the file
// `FileName`, which the document adds to its output, shown at its own size in pixels.
struct TScreenOverlay {
    std::string Name;
    std::string FileName;  // beside a KML file, under files/ in a KMZ archive
    std::string Image;     // the file's bytes
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// "ff" and the colour number (00BBGGRR) in upper-case hexadecimal, at least six digits.
std::string KmlColorText(std::int32_t colour);

// The outline style of a sector, from the quadrant its antenna faces ("#OUTLINE_RED").
std::string_view SectorStyleUrl(std::int32_t azimuth);

// The legend entry of values outside every range, or not met when the legend was made: their
// style is defined in grey by the standard layout and carries this text.
inline constexpr std::string_view kOutOfLegendText = "不在图例范围内";
inline constexpr std::int32_t kUnscannedClassEntry = -1;

}  // namespace orvane
