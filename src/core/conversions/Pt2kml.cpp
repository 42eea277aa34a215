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

namespace {

TKMLDocument& Opened(TKMLDocument& document, const PtConversionRequest& request) {
    document.SetCoordinateDigits(request.digits);
    document.OpenFile(request.outPath);
    return document;
}

void WritePoints(const PtConversionRequest& request) {
    const bool standard = request.layout == KmlLayout::Standard;
    TKMLDocument document(request.layout);
    Opened(document, request).AddPtStyle();
    const KmlSchema schema{"Point", {{"行号", KmlFieldType::Int}}};
    document.AddSchema(schema);
    TPointPlacemark placemark;
    placemark.StyleUrl = standard ? "#Pt_STYLE" : "";
    placemark.Schema = &schema;
    std::string lineNumber;
    for (size_t i = 0; i < request.lines.size(); ++i) {
        placemark.Name = "Point";
        placemark.Name += std::to_string(i);
        placemark.Coordinates.clear();
        AppendCoordinateLine(placemark.Coordinates, request.lines[i], request.format);
        lineNumber = std::to_string(i + 1);
        placemark.Data = {lineNumber};
        document.AddPointPlacemark(placemark);
    }
    SaveOrThrow(document);
}

void WriteLine(const PtConversionRequest& request) {
    TKMLDocument document(request.layout);
    TLinePlacemark placemark;
    placemark.Name = "Line1";
    placemark.Coordinates = JoinedCoordinates(request.lines, request.format);
    Opened(document, request).AddLinePlacemark(placemark);
    SaveOrThrow(document);
}

void WritePolygon(const PtConversionRequest& request) {
    TKMLDocument document(request.layout);
    Opened(document, request).AddOutlineStyles();
    TPolygonPlacemark placemark;
    placemark.Name = "Polygon1";
    placemark.StyleUrl = "#OUTLINE_RED";
    placemark.Coordinates = JoinedCoordinates(request.lines, request.format);
    if (!request.lines.empty()) {
        // closes the ring
        AppendCoordinateLine(placemark.Coordinates, request.lines.front(), request.format);
    }
    document.AddPolygonPlacemark(placemark);
    SaveOrThrow(document);
}

PtConversionRequest FileRequest(std::span<const std::string_view> lines, CoordinateFormat format,
                                const std::string& path, KmlLayout layout) {
    return {.lines = lines, .format = format, .outPath = path, .layout = layout};
}

}  // namespace

void WritePointFile(std::span<const std::string_view> lines, CoordinateFormat format,
                    const std::string& path, KmlLayout layout) {
    WritePoints(FileRequest(lines, format, path, layout));
}

void WriteLineFile(std::span<const std::string_view> lines, CoordinateFormat format,
                   const std::string& path, KmlLayout layout) {
    WriteLine(FileRequest(lines, format, path, layout));
}

void WritePolygonFile(std::span<const std::string_view> lines, CoordinateFormat format,
                      const std::string& path, KmlLayout layout) {
    WritePolygon(FileRequest(lines, format, path, layout));
}

ConversionSummary ConvertPtToKml(const PtConversionRequest& request,
                                 const ConversionObserver& observer) {
    observer.Started();
    ConversionSummary summary{.recordsRead = static_cast<std::int64_t>(request.lines.size()),
                              .featuresWritten = 1,
                              .outputPath = request.outPath};
    switch (request.geometry) {
        case PtGeometry::Point:
            WritePoints(request);
            summary.featuresWritten = summary.recordsRead;
            break;
        case PtGeometry::Line:
            WriteLine(request);
            break;
        case PtGeometry::Polygon:
            WritePolygon(request);
            break;
    }
    return summary;
}

}  // namespace orvane
