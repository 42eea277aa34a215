#pragma once

// Shared helpers of the converters: number text, coordinate geometry and small text tools.
// None of them keeps state.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// ---- Number text -------------------------------------------------------------------------

// General number text: 15 significant digits, trailing zeros removed, fixed notation for
// magnitudes from 1E-4 up to (not including) 1E15, scientific notation ("1.5E20", "1E-5")
// otherwise.
std::string FormatNumber(double value);
void AppendNumber(std::string& out, double value);
// The value rounded to `digits` decimals (1 to 15) in fixed notation without trailing zeros
// ("-0" is "0"); magnitudes from 1E15 up, infinities and NaN as AppendNumber writes them.
void AppendRoundedNumber(std::string& out, double value, int digits);

// A number is: spaces, an optional sign, digits with an optional fraction, an optional
// exponent (whose digits may be missing), spaces. A lone "." reads as 0.
std::optional<double> TryParseNumber(std::string_view text);
// Throws "'%s' is not a valid floating point value".
double ParseNumber(std::string_view text);
double ParseNumber(std::string_view text, double defaultValue);

// Spaces, an optional sign, then decimal digits or "$"/"0x" and hexadecimal digits; the
// value must fit in 32 bits (signed).
std::optional<std::int32_t> TryParseInteger(std::string_view text);
// Throws "'%s' is not a valid integer value".
std::int32_t ParseInteger(std::string_view text);

// ---- Geometry ----------------------------------------------------------------------------

// One KML vertex: longitude "," latitude ",0 ", each rounded to `digits` decimals when that is
// above 0.
void AppendCoordinate(std::string& out, double longitude, double latitude, int digits = 0);

// The arc of a wedge as offsets in degrees from its centre (longitude, latitude), one per
// half degree of bearing: it depends only on azimuth, width and radius, so it is computed
// once and drawn around any number of sites.
struct SectorShape {
    std::vector<std::pair<double, double>> offsets;
    bool fullCircle = false;  // drawn without the centre
};
// A wedge `widthDegrees` wide centred on the azimuth, from bearing azimuth - width/2 to
// azimuth + width/2; azimuth -1 or a width of 360 gives the full circle from bearing 0 to 360.
SectorShape MakeSectorShape(std::int32_t azimuth, double widthDegrees, double radiusDegrees);
// The ring of the shape around a centre: the centre, the arc, the centre again (a full circle
// is the arc alone). The longitude offsets are multiplied by `longitudeScale`.
void AppendSectorRing(std::string& out, double longitude, double latitude, const SectorShape& shape,
                      double longitudeScale = 1, int digits = 0);

// A 45-degree wedge centred on the azimuth (centre, 91 arc vertices, centre), or for
// azimuth -1 a full circle of 721 vertices. The radius is in seconds of arc.
std::string SectorRing(double longitude, double latitude, std::int32_t azimuth,
                       double radiusSeconds);
void AppendSectorRing(std::string& out, double longitude, double latitude, std::int32_t azimuth,
                      double radiusSeconds, int digits = 0);

// Ground distance in metres on the Krassowsky ellipsoid.
double GeoDistance(double longitude1, double latitude1, double longitude2, double latitude2);

// ---- Text tools --------------------------------------------------------------------------

// True for the characters that trimming removes (code 32 and below).
constexpr bool IsTrimmable(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
std::string_view Trim(std::string_view text);

// Cuts the text before the first separator off `text` (the separator goes with it); with no
// separator, all of `text` is the token and `text` becomes empty.
std::string CutToken(std::string& text, char separator);
std::string_view CutToken(std::string_view& text, char separator);
// As CutToken after trimming `text` at both ends.
std::string CutTrimmedToken(std::string& text, char separator);
std::string_view CutTrimmedToken(std::string_view& text, char separator);

// Appends every TAB-separated field of the line; a final TAB adds no empty field.
void SplitTabFields(std::string_view line, std::vector<std::string>& fields);

// Spreadsheet column name of a 0-based column number: 0 "A", 26 "AA", 255 "IV", 702 "AAA",
// 16383 "XFD".
std::string ColumnLetters(std::int32_t column);

// Key filter of the number cells: anything but digits, "+", "-", "." and backspace becomes
// the character 0, which discards the keystroke.
void IsNumberKey(char32_t& key);

// The table a number cell check may write into.
class NumberCellTable {
  public:
    virtual ~NumberCellTable() = default;
    virtual void SetCellText(int column, int row, const std::string& text) = 0;
};

// Sets the cell to "0" when its text is no number, except while a sign is being typed.
void CheckNumberCell(NumberCellTable& table, int column, int row, std::string_view text);

}  // namespace orvane
