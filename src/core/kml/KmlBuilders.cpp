// The style, placemark and site builders of the KML document: each adds one part under
// Document from a typed record and hands it to the layout at once.

#include <algorithm>

#include "common/Kml_baseclass.h"
#include "common/XmlText.h"
#include "kml/Tkmldocument.h"

namespace orvane {

namespace {

constexpr std::string_view kSiteIcon = "http://maps.google.com/mapfiles/kml/pal3/icon52.png";
constexpr std::string_view kSquareIcon = "http://maps.google.com/mapfiles/kml/shapes/square.png";
constexpr std::string_view kDescriptionStart = "<![CDATA[<TABLE BORDER=1>";
constexpr std::string_view kDescriptionEnd = "</TABLE> ]]>";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Coordinate tuples separated by single blanks, without blanks around them.
std::string SingleBlankTuples(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        const size_t begin = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        if (i > begin) {
            if (!out.empty()) {
                out += ' ';
            }
            out.append(text.substr(begin, i - begin));
        }
    }
    return out;
}

std::string StyleIdAttribute(std::string_view id) {
    std::string attribute = "id=\"";
    attribute += id;
    attribute += '"';
    return attribute;
}

// The style a sector gets from the quadrant its antenna faces.
std::string_view SectorStyle(std::int32_t azimuth) {
    const std::int32_t folded = azimuth % 360;
    if (folded == -1) {
        return "#OUTLINE_AQUA";
    }
    if (folded < 90) {
        return "#OUTLINE_RED";
    }
    if (folded < 180) {
        return "#OUTLINE_GREEN";
    }
    if (folded < 270) {
        return "#OUTLINE_YELLOW";
    }
    return "#OUTLINE_BLUE";
}

}  // namespace

std::string KmlColorText(std::int32_t colour) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto value = static_cast<std::uint32_t>(colour);
    char digits[8];
    int count = 0;
    do {
        digits[count++] = kHex[value & 0xF];
        value >>= 4;
    } while (value != 0);
    std::string text = "ff";
    text.append(static_cast<size_t>(std::max(0, 6 - count)), '0');
    while (count > 0) {
        text += digits[--count];
    }
    return text;
}

TKMLNode& TKMLDocument::AddTextNode(TKMLNode& parent, std::uint16_t nameId, std::string_view text) {
    TKMLNode& node = AddNodeById(parent, nameId);
    store_.StoreElementText(node, text);
    return node;
}

TKMLNode& TKMLDocument::AddEscapedTextNode(TKMLNode& parent, std::uint16_t nameId,
                                           std::string_view text) {
    // Names, style references and coordinates are element content: markup characters and
    // what XML cannot hold must not reach the file as they are. Almost every text is plain.
    if (IsPlainXmlText(text)) {
        return AddTextNode(parent, nameId, text);
    }
    std::string escaped;
    escaped.reserve(text.size() + 16);
    AppendXmlText(escaped, text);
    return AddTextNode(parent, nameId, escaped);
}

TKMLNode& TKMLDocument::AddStyle(std::string_view id) {
    TKMLNode& style = AddNodeById(DocumentNode(), kStyle);
    SetAttributes(style, StyleIdAttribute(id));
    return style;
}

void TKMLDocument::AddOutlineStyles() {
    static constexpr std::string_view kOutlines[][2] = {{"OUTLINE_RED", "ff0000ff"},
                                                        {"OUTLINE_GREEN", "ff00ff00"},
                                                        {"OUTLINE_YELLOW", "ff00ffff"},
                                                        {"OUTLINE_BLUE", "ffff0000"},
                                                        {"OUTLINE_AQUA", "ffffff00"}};
    for (const auto& [id, colour] : kOutlines) {
        TKMLNode& style = AddStyle(id);
        TKMLNode& lineStyle = AddNodeById(style, kLineStyle);
        AddTextNode(lineStyle, kColor, colour);
        AddTextNode(lineStyle, kWidth, "2");
        TKMLNode& polyStyle = AddNodeById(style, kPolyStyle);
        AddTextNode(polyStyle, kFill, "0");
    }
    CompleteParts();
}

void TKMLDocument::AddIconStyle(std::string_view id, std::string_view scale) {
    TKMLNode& style = AddStyle(id);
    TKMLNode& iconStyle = AddNodeById(style, kIconStyle);
    AddTextNode(iconStyle, kScale, scale);
    TKMLNode& icon = AddNodeById(iconStyle, kIcon);
    AddTextNode(icon, kHref, kSiteIcon);
}

void TKMLDocument::AddBsStyle() {
    AddIconStyle("BS_STYLE", "0.5");
    CompleteParts();
}

void TKMLDocument::AddPtStyle() {
    AddIconStyle("Pt_STYLE", "1");
    CompleteParts();
}

void TKMLDocument::AddLineStyles(std::span<const std::int32_t> colours, std::int32_t width) {
    const std::string widthText = std::to_string(width);
    for (size_t i = 0; i < colours.size(); ++i) {
        const std::string colourText = KmlColorText(colours[i]);
        TKMLNode& style = AddStyle("LINESTYLE" + std::to_string(i));
        TKMLNode& lineStyle = AddNodeById(style, kLineStyle);
        AddTextNode(lineStyle, kColor, colourText);
        AddTextNode(lineStyle, kWidth, widthText);
    }
    CompleteParts();
}

void TKMLDocument::AddPointStyles(std::span<const std::int32_t> colours) {
    for (size_t i = 0; i < colours.size(); ++i) {
        const std::string colourText = KmlColorText(colours[i]);
        TKMLNode& style = AddStyle("POINTSTYLE" + std::to_string(i));
        TKMLNode& iconStyle = AddNodeById(style, kIconStyle);
        AddTextNode(iconStyle, kColor, colourText);
        AddTextNode(iconStyle, kScale, "0.5");
        TKMLNode& icon = AddNodeById(iconStyle, kIcon);
        AddTextNode(icon, kHref, kSquareIcon);
        TKMLNode& labelStyle = AddNodeById(style, kLabelStyle);
        AddTextNode(labelStyle, kColor, "40ffffff");
    }
    CompleteParts();
}

void TKMLDocument::AddDescribedPoint(TKMLNode& parent, const TPointPlacemark& placemark,
                                     std::string_view styleUrl) {
    TKMLNode& node = AddNodeById(parent, kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    std::string description;
    description.reserve(kDescriptionStart.size() + placemark.Description.size() +
                        kDescriptionEnd.size());
    description += kDescriptionStart;
    description += placemark.Description;
    description += kDescriptionEnd;
    AddTextNode(node, kDescription, description);
    AddStyleUrl(node, styleUrl);
    TKMLNode& point = AddNodeById(node, kPoint);
    AddCoordinates(point, placemark.Coordinates);
}

void TKMLDocument::AddStyleUrl(TKMLNode& placemark, std::string_view styleUrl) {
    // KML 2.2 has no use for an empty reference: GIS programs would look for a style "".
    if (layout_ == KmlLayout::Standard && styleUrl.empty()) {
        return;
    }
    AddEscapedTextNode(placemark, kStyleUrl, styleUrl);
}

void TKMLDocument::AddCoordinates(TKMLNode& parent, std::string_view coordinates) {
    if (layout_ == KmlLayout::Standard) {
        AddEscapedTextNode(parent, kCoordinates, SingleBlankTuples(coordinates));
    } else {
        AddEscapedTextNode(parent, kCoordinates, coordinates);
    }
}

void TKMLDocument::AddPointPlacemark(const TPointPlacemark& placemark) {
    AddDescribedPoint(DocumentNode(), placemark, placemark.StyleUrl);
    CompleteParts();
}

void TKMLDocument::AddRingPlacemark(TKMLNode& parent, const std::string* name,
                                    std::string_view styleUrl, std::string_view coordinates) {
    TKMLNode& node = AddNodeById(parent, kPlacemark);
    if (name != nullptr) {
        AddEscapedTextNode(node, kName, *name);
    }
    AddStyleUrl(node, styleUrl);
    TKMLNode& polygon = AddNodeById(node, kPolygon);
    TKMLNode& boundary = AddNodeById(polygon, kOuterBoundaryIs);
    TKMLNode& ring = AddNodeById(boundary, kLinearRing);
    AddCoordinates(ring, coordinates);
}

void TKMLDocument::AddPolygonPlacemark(const TPolygonPlacemark& placemark) {
    AddRingPlacemark(DocumentNode(), &placemark.Name, placemark.StyleUrl, placemark.Coordinates);
    CompleteParts();
}

void TKMLDocument::AddLinePlacemark(const TLinePlacemark& placemark) {
    TKMLNode& node = AddNodeById(DocumentNode(), kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    if (!placemark.StyleUrl.empty()) {
        AddEscapedTextNode(node, kStyleUrl, placemark.StyleUrl);
    }
    TKMLNode& line = AddNodeById(node, kLineString);
    AddCoordinates(line, placemark.Coordinates);
    CompleteParts();
}

void TKMLDocument::AddSiteFolder(const TSitePlacemark& site, std::int32_t radiusSeconds) {
    std::vector<std::string> rings(site.Azimuths.size());
    for (size_t k = 0; k < rings.size(); ++k) {
        AppendSectorRing(rings[k], site.Longitude, site.Latitude, site.Azimuths[k], radiusSeconds);
    }
    AddSiteFolder(site, rings);
}

void TKMLDocument::AddSiteFolder(const TSitePlacemark& site, std::span<const std::string> rings) {
    TKMLNode& folder = AddNodeById(DocumentNode(), kFolder);
    AddEscapedTextNode(folder, kName, site.Name);
    AddDescribedPoint(folder, site, "#BS_STYLE");
    for (size_t k = 0; k < rings.size(); ++k) {
        // sectors have no name
        AddRingPlacemark(folder, nullptr, SectorStyle(site.Azimuths[k]), rings[k]);
    }
    CompleteParts();
}

}  // namespace orvane
