#pragma once

// The files that place a saved picture of the map on the ground: the MapInfo raster table
// (.TAB) and the world file read by GDAL-based programs. Both are made from the ground
// points under the picture's four outer corners.

#include <string>
#include <string_view>

namespace orvane {

struct GroundPoint {
    double longitude = 0.0;
    double latitude = 0.0;
};

// Pixel (0, 0) is the outer corner of the top-left pixel; (width, height) the outer corner
// beyond the bottom-right one.
struct PictureCorners {
    GroundPoint topLeft;
    GroundPoint bottomLeft;
    GroundPoint topRight;
    GroundPoint bottomRight;
};

// Degrees as the raster table writes them: "0.00000000", rounded, "." as decimal point.
std::string FormatDegrees(double degrees);

// The path with the extension of its file name replaced ("D:/maps/area.bmp", ".TAB" gives
// "D:/maps/area.TAB"); a name without extension gets one.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// The MapInfo raster table of a picture: the bitmap is named without its folder, in GBK,
// lines end with CR LF.
std::string MapInfoRasterTable(std::string_view bitmapPath, int width, int height,
                               const PictureCorners& corners);

// The six lines of a world file (pixel size and rotation terms, then the centre of the
// top-left pixel), fitted to all four corners.
std::string WorldFile(int width, int height, const PictureCorners& corners);

}  // namespace orvane
