#include "kml/Tkmldocument.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include "common/Kml_baseclass.h"
#include "common/SafeFile.h"

namespace orvane {

namespace {

// Element names the builders use, interned in this order by every document.
enum NameId : std::uint16_t {
    kKml,
    kDocument,
    kStyle,
    kLineStyle,
    kColor,
    kWidth,
    kPolyStyle,
    kFill,
    kIconStyle,
    kScale,
    kIcon,
    kHref,
    kLabelStyle,
    kPlacemark,
    kName,
    kDescription,
    kStyleUrl,
    kPoint,
    kCoordinates,
    kPolygon,
    kOuterBoundaryIs,
    kLinearRing,
    kLineString,
    kFolder,
    kBuiltInNameCount
};

constexpr std::string_view kBuiltInNames[kBuiltInNameCount] = {
    "kml",         "Document",   "Style",
    "LineStyle",   "color",      "width",
    "PolyStyle",   "fill",       "IconStyle",
    "scale",       "Icon",       "href",
    "LabelStyle",  "Placemark",  "name",
    "description", "styleUrl",   "Point",
    "coordinates", "Polygon",    "outerBoundaryIs",
    "LinearRing",  "LineString", "Folder"};

constexpr std::string_view kSiteIcon = "http://maps.google.com/mapfiles/kml/pal3/icon52.png";
constexpr std::string_view kSquareIcon = "http://maps.google.com/mapfiles/kml/shapes/square.png";
constexpr std::string_view kDescriptionStart = "<![CDATA[<TABLE BORDER=1>";
constexpr std::string_view kDescriptionEnd = "</TABLE> ]]>";

constexpr size_t kChunkSize = size_t{8} << 20;

bool NeedsEscaping(std::string_view text) {
    // memchr runs at memory speed; coordinate texts reach hundreds of megabytes.
    const auto has = [&](char c) { return std::memchr(text.data(), c, text.size()) != nullptr; };
    return !text.empty() && (has('&') || has('<') || has('>'));
}

// Names, style references and coordinates are element content: "&", "<" and ">" must
// not reach the file as they are.
std::string EscapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
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

// ---- Tree ------------------------------------------------------------------------------

TKMLDocument::TKMLDocument() {
    names_.assign(std::begin(kBuiltInNames), std::end(kBuiltInNames));
    lastTextOfName_.resize(names_.size());
    attributes_.emplace_back();
    CreateRoot();
    AddNodeById(Root(), kDocument);
}

TKMLDocument::~TKMLDocument() = default;

TKMLNode& TKMLDocument::NewNode() {
    if (nodeCount_ == nodeBlocks_.size() * kNodesPerBlock) {
        nodeBlocks_.emplace_back(kNodesPerBlock * sizeof(TKMLNode));
    }
    TKMLNode* node = &Node(nodeCount_);
    std::construct_at(node);
    node->Index = static_cast<std::int32_t>(nodeCount_++);
    return *node;
}

TKMLNode& TKMLDocument::CreateRoot() {
    TKMLNode& root = NewNode();
    root.NameId = kKml;
    SetAttributes(root, std::string("xmlns=\"") + std::string(Namespace) + "\"");
    return root;
}

TKMLNode& TKMLDocument::AddNodeById(TKMLNode& parent, std::uint16_t nameId) {
    TKMLNode& node = NewNode();
    const std::int32_t index = node.Index;
    node.Level = static_cast<std::int16_t>(parent.Level + 2);
    node.NameId = nameId;
    node.ParentIndex = parent.Index;
    if (parent.FirstChildIndex == -1) {
        parent.FirstChildIndex = index;
    } else {
        Node(static_cast<size_t>(parent.LastChildIndex)).NextSiblingIndex = index;
    }
    parent.LastChildIndex = index;
    return node;
}

std::uint16_t TKMLDocument::NameIdOf(std::string_view name) {
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found != names_.end()) {
        return static_cast<std::uint16_t>(found - names_.begin());
    }
    if (names_.size() > std::numeric_limits<std::uint16_t>::max()) {
        throw std::length_error("Too many element names in one KML document");
    }
    names_.emplace_back(name);
    lastTextOfName_.emplace_back();
    return static_cast<std::uint16_t>(names_.size() - 1);
}

TKMLNode& TKMLDocument::AddNode(TKMLNode& parent, std::string_view name) {
    return AddNodeById(parent, NameIdOf(name));
}

void TKMLDocument::SetAttributes(TKMLNode& node, std::string_view attributes) {
    if (node.AttributesId == 0) {
        node.AttributesId = static_cast<std::uint32_t>(attributes_.size());
        attributes_.emplace_back();
    }
    attributes_[node.AttributesId] = StoreText(attributes);
}

void TKMLDocument::SetText(TKMLNode& node, std::string_view text) {
    node.Text = StoreElementText(node.NameId, text);
}

TKMLText TKMLDocument::StoreElementText(std::uint16_t nameId, std::string_view text) {
    TKMLText& last = lastTextOfName_[nameId];
    if (last.Length == text.size() && TextOf(last) == text) {
        return last;
    }
    last = StoreText(text);
    return last;
}

TKMLText TKMLDocument::StoreText(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    if (chunks_.empty() || chunks_.back().size() - chunkUsed_ < text.size()) {
        chunks_.emplace_back(std::max(kChunkSize, text.size()));
        chunkUsed_ = 0;
    }
    std::memcpy(chunks_.back().data() + chunkUsed_, text.data(), text.size());
    const TKMLText stored{static_cast<std::uint32_t>(chunks_.size() - 1),
                          static_cast<std::uint32_t>(chunkUsed_),
                          static_cast<std::uint32_t>(text.size())};
    chunkUsed_ += text.size();
    return stored;
}

std::string_view TKMLDocument::TextOf(const TKMLText& text) const {
    if (text.Length == 0) {
        return {};
    }
    return std::string_view(chunks_[text.Chunk].data() + text.Offset, text.Length);
}

// ---- Writing ---------------------------------------------------------------------------

// Lays the tree out line by line into a buffer, which it hands to the file whenever it
// grows large (or keeps whole, without a file).
class TKMLDocument::Writer {
  public:
    Writer(const TKMLDocument& document, std::string& out, AtomicFileWriter* file)
        : document_(document), out_(out), file_(file) {}

    void WriteLine(std::string_view text) {
        out_ += text;
        out_ += "\r\n";
    }

    // One node, its subtree and the chain of its following siblings. Recursion goes into
    // children only, so its depth is the nesting depth, not the number of siblings.
    void WriteNode(const TKMLNode* node) {
        for (;;) {
            const std::string_view name = document_.Name(*node);
            const std::string_view attributes = document_.Attributes(*node);
            Indent(node->Level);
            out_ += '<';
            out_ += name;
            if (!attributes.empty()) {
                out_ += ' ';
                WriteContent(attributes);
                out_ += ' ';
            }
            out_ += ">\r\n";
            if (node->FirstChildIndex != -1) {
                WriteNode(&document_.Node(static_cast<size_t>(node->FirstChildIndex)));
            }
            const std::string_view text = document_.Text(*node);
            if (!text.empty()) {
                Indent(node->Level + 2);
                WriteContent(text);
                out_ += "\r\n";
            }
            Indent(node->Level);
            out_ += "</";
            out_ += name;
            out_ += ">\r\n";
            if (file_ != nullptr) {
                file_->FlushIfFull();
            }
            if (node->NextSiblingIndex == -1) {
                return;
            }
            node = &document_.Node(static_cast<size_t>(node->NextSiblingIndex));
        }
    }

  private:
    void Indent(std::int32_t level) { out_.append(static_cast<size_t>(level), ' '); }

    // Every line feed reaches the file as CR LF, also inside a text.
    void WriteContent(std::string_view text) {
        size_t lineFeed = text.find('\n');
        while (lineFeed != std::string_view::npos) {
            out_ += text.substr(0, lineFeed);
            out_ += "\r\n";
            text.remove_prefix(lineFeed + 1);
            lineFeed = text.find('\n');
        }
        out_ += text;
    }

    const TKMLDocument& document_;
    std::string& out_;
    AtomicFileWriter* file_;
};

void TKMLDocument::OpenFile(std::string fileName) {
    fileName_ = std::move(fileName);
}

void TKMLDocument::SaveAndClose() {
    AtomicFileWriter file(fileName_);
    if (!file.ok()) {
        saved_ = false;
        return;
    }
    Writer writer(*this, file.buffer(), &file);
    writer.WriteLine(Header);
    writer.WriteNode(&Node(0));
    saved_ = file.Commit();
}

std::string TKMLDocument::ToText() const {
    std::string text;
    Writer writer(*this, text, nullptr);
    writer.WriteLine(Header);
    writer.WriteNode(&Node(0));
    return text;
}

// ---- Builders --------------------------------------------------------------------------

TKMLNode& TKMLDocument::AddTextNode(TKMLNode& parent, std::uint16_t nameId, std::string_view text) {
    TKMLNode& node = AddNodeById(parent, nameId);
    node.Text = StoreElementText(nameId, text);
    return node;
}

TKMLNode& TKMLDocument::AddEscapedTextNode(TKMLNode& parent, std::uint16_t nameId,
                                           std::string_view text) {
    if (NeedsEscaping(text)) {
        return AddTextNode(parent, nameId, EscapeMarkup(text));
    }
    return AddTextNode(parent, nameId, text);
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
}

void TKMLDocument::AddPtStyle() {
    AddIconStyle("Pt_STYLE", "1");
}

void TKMLDocument::AddLineStyles(const std::vector<std::string>& colours, std::int32_t width) {
    const std::string widthText = std::to_string(width);
    for (size_t i = 0; i < colours.size(); ++i) {
        const std::string colourText = KmlColorText(ParseInteger(colours[i]));
        TKMLNode& style = AddStyle("LINESTYLE" + std::to_string(i));
        TKMLNode& lineStyle = AddNodeById(style, kLineStyle);
        AddTextNode(lineStyle, kColor, colourText);
        AddTextNode(lineStyle, kWidth, widthText);
    }
}

void TKMLDocument::AddPointStyles(const std::vector<std::string>& colours) {
    for (size_t i = 0; i < colours.size(); ++i) {
        const std::string colourText = KmlColorText(ParseInteger(colours[i]));
        TKMLNode& style = AddStyle("POINTSTYLE" + std::to_string(i));
        TKMLNode& iconStyle = AddNodeById(style, kIconStyle);
        AddTextNode(iconStyle, kColor, colourText);
        AddTextNode(iconStyle, kScale, "0.5");
        TKMLNode& icon = AddNodeById(iconStyle, kIcon);
        AddTextNode(icon, kHref, kSquareIcon);
        TKMLNode& labelStyle = AddNodeById(style, kLabelStyle);
        AddTextNode(labelStyle, kColor, "40ffffff");
    }
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
    AddEscapedTextNode(node, kStyleUrl, styleUrl);
    TKMLNode& point = AddNodeById(node, kPoint);
    AddEscapedTextNode(point, kCoordinates, placemark.Coordinates);
}

void TKMLDocument::AddPointPlacemark(const TPointPlacemark& placemark) {
    AddDescribedPoint(DocumentNode(), placemark, placemark.StyleUrl);
}

void TKMLDocument::AddRingPlacemark(TKMLNode& parent, const std::string* name,
                                    std::string_view styleUrl, std::string_view coordinates) {
    TKMLNode& node = AddNodeById(parent, kPlacemark);
    if (name != nullptr) {
        AddEscapedTextNode(node, kName, *name);
    }
    AddEscapedTextNode(node, kStyleUrl, styleUrl);
    TKMLNode& polygon = AddNodeById(node, kPolygon);
    TKMLNode& boundary = AddNodeById(polygon, kOuterBoundaryIs);
    TKMLNode& ring = AddNodeById(boundary, kLinearRing);
    AddEscapedTextNode(ring, kCoordinates, coordinates);
}

void TKMLDocument::AddPolygonPlacemark(const TPolygonPlacemark& placemark) {
    AddRingPlacemark(DocumentNode(), &placemark.Name, placemark.StyleUrl, placemark.Coordinates);
}

void TKMLDocument::AddLinePlacemark(const TLinePlacemark& placemark) {
    TKMLNode& node = AddNodeById(DocumentNode(), kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    if (!placemark.StyleUrl.empty()) {
        AddEscapedTextNode(node, kStyleUrl, placemark.StyleUrl);
    }
    TKMLNode& line = AddNodeById(node, kLineString);
    AddEscapedTextNode(line, kCoordinates, placemark.Coordinates);
}

void TKMLDocument::AddSiteFolder(TSitePlacemark& site, std::int32_t radiusSeconds) {
    AddSiteFolder(site,
                  [&site, radiusSeconds](std::string& ring, std::int32_t, std::int32_t azimuth) {
                      AppendSectorRing(ring, site.Longitude, site.Latitude, azimuth, radiusSeconds);
                  });
}

void TKMLDocument::AddSiteFolder(TSitePlacemark& site, const SectorRingDrawer& drawRing) {
    TKMLNode& folder = AddNodeById(DocumentNode(), kFolder);
    AddEscapedTextNode(folder, kName, site.Name);
    AddDescribedPoint(folder, site, "#BS_STYLE");
    // Azimuths are cut from a view and the rest stored once: a site of many sectors must
    // not move the remaining text for every one.
    std::string_view azimuths = site.Azimuths;
    std::string ring;
    for (std::int32_t k = 0; k < site.SectorCount; ++k) {
        const std::int32_t azimuth = ParseInteger(CutToken(azimuths, '\t'));
        ring.clear();
        drawRing(ring, k, azimuth);
        AddRingPlacemark(folder, nullptr, SectorStyle(azimuth), ring);  // sectors have no name
    }
    site.Azimuths = std::string(azimuths);
}

}  // namespace orvane
