#include "common/ImageRegistration.h"

#include <array>
#include <charconv>

#include "common/Encoding.h"

namespace orvane {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A rounded value of zero is written without a sign.
std::string WithoutNegativeZero(std::string text) {
    if (text.starts_with('-') && text.find_first_not_of("0.", 1) == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

// The shortest text that reads back as the same double, never in exponent form.
std::string ExactNumber(double value) {
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value + 0.0,
                                      std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

void AppendControlPoint(std::string& out, const GroundPoint& point, std::string_view pixel,
                        std::string_view label, bool last) {
    out += "  (";
    out += FormatDegrees(point.longitude);
    out += ',';
    out += FormatDegrees(point.latitude);
    out += ") (";
    out += pixel;
    out += ") Label \"";
    out += label;
    out += '"';
    if (!last) {
        out += ',';
    }
    out += kLineEnd;
}

}  // namespace

std::string FormatDegrees(double degrees) {
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), degrees,
                                      std::chars_format::fixed, 8);
    return WithoutNegativeZero(std::string(buffer.data(), result.ptr));
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
    const size_t nameStart = path.size() - FileNameOf(path).size();
    const size_t dot = path.find_last_of('.');
    const size_t stemEnd = dot != std::string_view::npos && dot >= nameStart ? dot : path.size();
    std::string result(path.substr(0, stemEnd));
    result += extension;
    return result;
}

std::string MapInfoRasterTable(std::string_view bitmapPath, int width, int height,
                               const PictureCorners& corners) {
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    std::string out;
    for (const std::string_view line :
         {"!table", "!version 300", "!charset WindowsSimpChinese", "", "Definition Table"}) {
        out += line;
        out += kLineEnd;
    }
    out += "  File \"";
    out += EncodeGbk(FileNameOf(bitmapPath));
    out += '"';
    out += kLineEnd;
    out += "  Type \"RASTER\"";
    out += kLineEnd;
    AppendControlPoint(out, corners.topLeft, "0,0", "Pt 1", false);
    AppendControlPoint(out, corners.bottomLeft, "0," + h, "Pt 2", false);
    AppendControlPoint(out, corners.topRight, w + ", 0", "Pt 3", false);
    AppendControlPoint(out, corners.bottomRight, w + ',' + h, "Pt 4", true);
    out += "  CoordSys Earth Projection 1, 104";
    out += kLineEnd;
    out += "  Units \"degree\"";
    out += kLineEnd;
    return out;
}

std::string WorldFile(int width, int height, const PictureCorners& corners) {
    const auto& [topLeft, bottomLeft, topRight, bottomRight] = corners;
    const double w = width;
    const double h = height;
    // The least-squares affine fit to the four corners: exact when they form a parallelogram,
    // as they do for a flat north-up map.
    const double lonPerColumn =
        (topRight.longitude + bottomRight.longitude - topLeft.longitude - bottomLeft.longitude) /
        (2.0 * w);
    const double latPerColumn =
        (topRight.latitude + bottomRight.latitude - topLeft.latitude - bottomLeft.latitude) /
        (2.0 * w);
    const double lonPerRow =
        (bottomLeft.longitude + bottomRight.longitude - topLeft.longitude - topRight.longitude) /
        (2.0 * h);
    const double latPerRow =
        (bottomLeft.latitude + bottomRight.latitude - topLeft.latitude - topRight.latitude) /
        (2.0 * h);
    // The corners' mean lies under the picture's centre, (w / 2, h / 2); the top-left pixel's
    // centre is at (0.5, 0.5).
    const double meanLon =
        (topLeft.longitude + bottomLeft.longitude + topRight.longitude + bottomRight.longitude) /
        4.0;
    const double meanLat =
        (topLeft.latitude + bottomLeft.latitude + topRight.latitude + bottomRight.latitude) / 4.0;
    const double columns = 0.5 - w / 2.0;
    const double rows = 0.5 - h / 2.0;
    const double firstLon = meanLon + lonPerColumn * columns + lonPerRow * rows;
    const double firstLat = meanLat + latPerColumn * columns + latPerRow * rows;

    std::string out;
    for (const double value :
         {lonPerColumn, latPerColumn, lonPerRow, latPerRow, firstLon, firstLat}) {
        out += ExactNumber(value);
        out += kLineEnd;
    }
    return out;
}

}  // namespace orvane
