// Folders under Document that are written placemark by placemark, and the styles of what
// they hold.

#include <algorithm>
#include <stdexcept>

#include "common/Kml_baseclass.h"
#include "kml/Tkmldocument.h"

namespace orvane {

namespace {}  // namespace

TKMLNode& TKMLDocument::PartParent() {
    if (!folder_) {
        throw std::logic_error("No folder of the KML document is open");
    }
    return *folder_;
}

void TKMLDocument::BeginFolder(std::string_view name) {
    if (holding_ || folder_) {
        throw std::logic_error("A KML folder is streamed alone and only while nothing is held");
    }
    CompleteParts();
    TKMLNode& folder = AddNodeById(DocumentNode(), kFolder);
    const TKMLNode& nameNode = AddEscapedTextNode(folder, kName, name);
    // The folder is laid out here and its children one by one, not as one part.
    nextPart_ = -1;
    KmlLayoutWriter writer(store_, layout_, laidOut_);
    LayOutPendingParts(writer);
    writer.StartElement(folder);
    writer.WriteElement(nameNode);
    folder_ = folder;
    nextFolderPart_ = -1;
    writtenBelow_ = NodeCount();
    store_.ReleaseNodesBelow(writtenBelow_);
}

void TKMLDocument::EndFolder() {
    const TKMLNode folder = PartParent();
    CompleteParts();
    KmlLayoutWriter writer(store_, layout_, laidOut_);
    writer.EndElement(folder);
    folder_.reset();
}

void TKMLDocument::AddFolderLine(const TLinePlacemark& placemark) {
    TKMLNode& node = AddNodeById(PartParent(), kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    AddStyleUrl(node, placemark.StyleUrl);
    TKMLNode& line = AddNodeById(node, kLineString);
    AddCoordinates(line, placemark.Coordinates);
    CompleteParts();
}

void TKMLDocument::AddFolderMultiLine(const TLinePlacemark& placemark,
                                      std::span<const std::string> lines) {
    TKMLNode& node = AddNodeById(PartParent(), kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    AddTime(node, placemark);
    AddStyleUrl(node, placemark.StyleUrl);
    TKMLNode& geometry = AddNodeById(node, kMultiGeometry);
    for (const std::string& coordinates : lines) {
        TKMLNode& line = AddNodeById(geometry, kLineString);
        AddCoordinates(line, coordinates);
    }
    CompleteParts();
}

void TKMLDocument::AddFolderWedge(const TPointPlacemark& placemark) {
    TKMLNode& node = AddNodeById(PartParent(), kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    AddDescriptionTable(node, placemark.Description);
    AddStyleUrl(node, placemark.StyleUrl);
    TKMLNode& polygon = AddNodeById(node, kPolygon);
    TKMLNode& boundary = AddNodeById(polygon, kOuterBoundaryIs);
    TKMLNode& ring = AddNodeById(boundary, kLinearRing);
    AddCoordinates(ring, placemark.Coordinates);
    CompleteParts();
}

// A route has many samples: each is laid out at once from its texts, without nodes, its data
// on one line per value.
void TKMLDocument::AddFolderSample(const TSamplePlacemark& placemark) {
    const std::int32_t level = PartParent().Level + 2;
    CompleteParts();
    KmlLayoutWriter writer(store_, layout_, laidOut_);
    writer.StartTag(level, "Placemark");
    WriteSample(writer, level + 2, placemark);
    writer.EndTag(level, "Placemark");
    HandOverWhenLarge();
}

void TKMLDocument::WriteSample(KmlLayoutWriter& writer, std::int32_t level,
                               const TSamplePlacemark& sample) {
    writer.WriteTextElement(level, "name", EscapedText(sample.Name));
    writer.WriteTextElement(level, "description", DescriptionTable(sample.Description));
    WriteTime(writer, level, sample);
    // KML 2.2 has no use for an empty reference: GIS programs would look for a style "".
    if (layout_ == KmlLayout::Fixed || !sample.StyleUrl.empty()) {
        writer.WriteTextElement(level, "styleUrl", EscapedText(sample.StyleUrl));
    }
    writer.StartTag(level, "ExtendedData");
    if (layout_ == KmlLayout::Standard && sample.Schema != nullptr) {
        WriteSchemaData(writer, level + 2, sample);
    } else {
        const size_t count = std::min(sample.DataNames.size(), sample.Data.size());
        for (size_t i = 0; i < count; ++i) {
            writer.WriteOneLine(level + 2, "Data", sample.DataNames[i], "value",
                                EscapedText(sample.Data[i]));
        }
    }
    writer.EndTag(level, "ExtendedData");
    writer.StartTag(level, "Point");
    writer.WriteTextElement(
        level + 2, "coordinates",
        EscapedText(CoordinateTextOf(sample.Coordinates, CoordinateText::Given)));
    writer.EndTag(level, "Point");
}

void TKMLDocument::WriteTime(KmlLayoutWriter& writer, std::int32_t level,
                             const TPlacemark& record) {
    if (record.TimeBegin.empty()) {
        return;
    }
    if (record.TimeEnd.empty()) {
        writer.StartTag(level, "TimeStamp");
        writer.WriteTextElement(level + 2, "when", record.TimeBegin);
        writer.EndTag(level, "TimeStamp");
        return;
    }
    writer.StartTag(level, "TimeSpan");
    writer.WriteTextElement(level + 2, "begin", record.TimeBegin);
    writer.WriteTextElement(level + 2, "end", record.TimeEnd);
    writer.EndTag(level, "TimeSpan");
}

// Empty values are left out: GIS programs read a null, not a zero.
void TKMLDocument::WriteSchemaData(KmlLayoutWriter& writer, std::int32_t level,
                                   const TPlacemark& record) {
    const std::vector<std::string>& names = DataNamesOf(*record.Schema);
    const size_t count = std::min(names.size(), record.Data.size());
    writer.StartTag(level, "SchemaData", SchemaDataAttribute(*record.Schema));
    for (size_t i = 0; i < count; ++i) {
        if (!record.Data[i].empty()) {
            writer.WriteTextElement(level + 2, "SimpleData", EscapedText(record.Data[i]), names[i]);
        }
    }
    writer.EndTag(level, "SchemaData");
}

void TKMLDocument::AddServingLineStyles(std::span<const std::int32_t> colours, std::int32_t width) {
    const std::string widthText = std::to_string(width);
    for (size_t i = 0; i < colours.size(); ++i) {
        TKMLNode& style = AddStyle("SERVINGSTYLE" + std::to_string(i));
        TKMLNode& lineStyle = AddNodeById(style, kLineStyle);
        AddTextNode(lineStyle, kColor, KmlColorText(colours[i]));
        AddTextNode(lineStyle, kWidth, widthText);
    }
    CompleteParts();
}

void TKMLDocument::AddProblemCellStyles() {
    // Outline opaque, fill a quarter opaque (aabbggrr).
    static constexpr std::string_view kProblems[][3] = {{"PROBLEM_RED", "ff0000ff", "400000ff"},
                                                        {"PROBLEM_ORANGE", "ff0080ff", "400080ff"}};
    for (const auto& [id, outline, fill] : kProblems) {
        TKMLNode& style = AddStyle(id);
        TKMLNode& lineStyle = AddNodeById(style, kLineStyle);
        AddTextNode(lineStyle, kColor, outline);
        AddTextNode(lineStyle, kWidth, "2");
        TKMLNode& polyStyle = AddNodeById(style, kPolyStyle);
        AddTextNode(polyStyle, kColor, fill);
    }
    CompleteParts();
}

}  // namespace orvane
