#pragma once

// Typed coordinate lines to point, line or polygon KML files.

#include <span>
#include <string>
#include <string_view>

#include "conversions/Conversion.h"
#include "kml/Tkmldocument.h"

namespace orvane {

enum class CoordinateFormat {
    LatitudeLongitude = 0,       // "纬度，经度": latitude "," longitude
    LongitudeLatitude = 1,       // "经度，纬度": longitude "," latitude
    LongitudeSpaceLatitude = 2,  // "经度 纬度": longitude " " latitude
};

// The KML coordinate text of one typed line. The parts are rearranged as text, never read
// as numbers, so any line gives a coordinate text.
std::string ConvertCoordinateLine(std::string_view line, CoordinateFormat format);
void AppendCoordinateLine(std::string& out, std::string_view line, CoordinateFormat format);

enum class PtGeometry { Point, Line, Polygon };

struct PtConversionRequest {
    std::span<const std::string_view> lines;  // one typed coordinate line each
    CoordinateFormat format = CoordinateFormat::LatitudeLongitude;
    PtGeometry geometry = PtGeometry::Point;
    std::string outPath;  // a .kmz path writes a KMZ archive
    // The standard layout gives points the style Pt_STYLE and their line number as data.
    KmlLayout layout = KmlLayout::Fixed;
    int digits = 0;  // coordinate decimals; 0: as typed
};

// Writes the lines as one point each, or as one line or one polygon. Throws "Cannot create
// file %s" when the file cannot be written.
ConversionSummary ConvertPtToKml(const PtConversionRequest& request,
                                 const ConversionObserver& observer = {});

// Each writes one KML file (a KMZ archive for a .kmz path); they throw "Cannot create file
// %s" when it cannot be written.
void WritePointFile(std::span<const std::string_view> lines, CoordinateFormat format,
                    const std::string& path, KmlLayout layout = KmlLayout::Fixed);
void WriteLineFile(std::span<const std::string_view> lines, CoordinateFormat format,
                   const std::string& path, KmlLayout layout = KmlLayout::Fixed);
void WritePolygonFile(std::span<const std::string_view> lines, CoordinateFormat format,
                      const std::string& path, KmlLayout layout = KmlLayout::Fixed);

}  // namespace orvane
