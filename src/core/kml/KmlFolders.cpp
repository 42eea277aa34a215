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

void TKMLDocument::AddFolderSample(const TSamplePlacemark& placemark) {
    TKMLNode& node = AddNodeById(PartParent(), kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    AddDescriptionTable(node, placemark.Description);
    AddTime(node, placemark);
    AddStyleUrl(node, placemark.StyleUrl);
    if (layout_ == KmlLayout::Standard && placemark.Schema != nullptr) {
        AddExtendedData(node, placemark);
    } else {
        TKMLNode& data = AddNodeById(node, kExtendedData);
        const size_t count = std::min(placemark.DataNames.size(), placemark.Data.size());
        for (size_t i = 0; i < count; ++i) {
            TKMLNode& field = AddNodeById(data, kUntypedData);
            store_.StoreAttributes(field, placemark.DataNames[i]);
            AddEscapedTextNode(field, kDataValue, placemark.Data[i]);
        }
    }
    TKMLNode& point = AddNodeById(node, kPoint);
    AddCoordinates(point, placemark.Coordinates);
    CompleteParts();
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
