#include "conversions/Pt2kml.h"

#include "common/Kml_baseclass.h"
#include "kml/Tkmldocument.h"

namespace orvane {

namespace {

// Splits at the first separator: the part before and the part after it, both trimmed.
// Without a separator the first part is empty and the second is the whole line.
std::pair<std::string_view, std::string_view> SplitAtFirst(std::string_view line, char separator) {
    const size_t p = line.find(separator);
    if (p == std::string_view::npos) {
        return {{}, Trim(line)};
    }
    return {Trim(line.substr(0, p)), Trim(line.substr(p + 1))};
}

void AppendVertex(std::string& out, std::string_view longitude, std::string_view latitude) {
    out += longitude;
    out += ',';
    out += latitude;
    out += ",0 ";
}

std::string JoinedCoordinates(std::span<const std::string_view> lines, CoordinateFormat format) {
    std::string coordinates;
    size_t size = 0;
    for (const std::string_view line : lines) {
        size += line.size() + 4;
    }
    coordinates.reserve(size + 64);
    for (const std::string_view line : lines) {
        AppendCoordinateLine(coordinates, line, format);
    }
    return coordinates;
}

}  // namespace

void AppendCoordinateLine(std::string& out, std::string_view line, CoordinateFormat format) {
    switch (format) {
        case CoordinateFormat::LatitudeLongitude: {
            const auto [latitude, longitude] = SplitAtFirst(line, ',');
            AppendVertex(out, longitude, latitude);
            return;
        }
        case CoordinateFormat::LongitudeLatitude:
            out += line;
            out += ",0  ";
            return;
        case CoordinateFormat::LongitudeSpaceLatitude: {
            const auto [longitude, latitude] = SplitAtFirst(line, ' ');
            AppendVertex(out, longitude, latitude);
            return;
        }
    }
}

std::string ConvertCoordinateLine(std::string_view line, CoordinateFormat format) {
    std::string coordinates;
    AppendCoordinateLine(coordinates, line, format);
    return coordinates;
}

void WritePointFile(std::span<const std::string_view> lines, CoordinateFormat format,
                    const std::string& path, KmlLayout layout) {
    TKMLDocument document(layout);
    document.OpenFile(path);
    document.AddPtStyle();
    TPointPlacemark placemark;
    for (size_t i = 0; i < lines.size(); ++i) {
        placemark.Name = "Point";
        placemark.Name += std::to_string(i);
        placemark.Coordinates.clear();
        AppendCoordinateLine(placemark.Coordinates, lines[i], format);
        document.AddPointPlacemark(placemark);
    }
    SaveOrThrow(document);
}

void WriteLineFile(std::span<const std::string_view> lines, CoordinateFormat format,
                   const std::string& path, KmlLayout layout) {
    TKMLDocument document(layout);
    document.OpenFile(path);
    TLinePlacemark placemark;
    placemark.Name = "Line1";
    placemark.Coordinates = JoinedCoordinates(lines, format);
    document.AddLinePlacemark(placemark);
    SaveOrThrow(document);
}

void WritePolygonFile(std::span<const std::string_view> lines, CoordinateFormat format,
                      const std::string& path, KmlLayout layout) {
    TKMLDocument document(layout);
    document.OpenFile(path);
    document.AddOutlineStyles();
    TPolygonPlacemark placemark;
    placemark.Name = "Polygon1";
    placemark.StyleUrl = "#OUTLINE_RED";
    placemark.Coordinates = JoinedCoordinates(lines, format);
    if (!lines.empty()) {
        AppendCoordinateLine(placemark.Coordinates, lines.front(), format);  // closes the ring
    }
    document.AddPolygonPlacemark(placemark);
    SaveOrThrow(document);
}

ConversionSummary ConvertPtToKml(const PtConversionRequest& request,
                                 const ConversionObserver& observer) {
    observer.Started();
    ConversionSummary summary{.recordsRead = static_cast<std::int64_t>(request.lines.size()),
                              .featuresWritten = 1,
                              .outputPath = request.outPath};
    switch (request.geometry) {
        case PtGeometry::Point:
            WritePointFile(request.lines, request.format, request.outPath, request.layout);
            summary.featuresWritten = summary.recordsRead;
            break;
        case PtGeometry::Line:
            WriteLineFile(request.lines, request.format, request.outPath, request.layout);
            break;
        case PtGeometry::Polygon:
            WritePolygonFile(request.lines, request.format, request.outPath, request.layout);
            break;
    }
    return summary;
}

}  // namespace orvane
