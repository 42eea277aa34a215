#include "kml/Tkmldocument.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include "common/Kml_baseclass.h"
#include "common/XmlText.h"
#include "kml/KmlOutput.h"

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
// Laid-out bytes go to the output in pieces of about this size.
constexpr size_t kHandOverSize = size_t{1} << 20;

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

// ---- Tree ------------------------------------------------------------------------------

TKMLDocument::TKMLDocument(KmlLayout layout) : layout_(layout) {
    names_.assign(std::begin(kBuiltInNames), std::end(kBuiltInNames));
    lastTextOfName_.resize(names_.size());
    attributes_.emplace_back();
    CreateRoot();
    AddNodeById(Root(), kDocument);
}

TKMLDocument::~TKMLDocument() = default;

TKMLNode& TKMLDocument::NewNode() {
    if (nodeCount_ == static_cast<size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::length_error("Too many elements in one KML document");
    }
    if (nodeCount_ == nodeBlocks_.size() * kNodesPerBlock) {
        nodeBlocks_.push_back(TakeNodeBlock());
    }
    TKMLNode* node = &Node(nodeCount_);
    std::construct_at(node);
    node->Index = static_cast<std::int32_t>(nodeCount_++);
    return *node;
}

PageBlock TKMLDocument::TakeNodeBlock() {
    if (spareNodeBlocks_.empty()) {
        return PageBlock(kNodesPerBlock * sizeof(TKMLNode));
    }
    PageBlock block = std::move(spareNodeBlocks_.back());
    spareNodeBlocks_.pop_back();
    return block;
}

TKMLNode& TKMLDocument::CreateRoot() {
    TKMLNode& root = NewNode();
    root.NameId = kKml;
    const std::string_view uri = layout_ == KmlLayout::Standard ? StandardNamespace : Namespace;
    StoreAttributes(root, std::string("xmlns=\"") + std::string(uri) + "\"");
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
    } else if (const auto last = static_cast<size_t>(parent.LastChildIndex);
               last < 2 || last >= writtenBelow_) {
        Node(last).NextSiblingIndex = index;  // a written sibling is gone and needs no link
    }
    parent.LastChildIndex = index;
    if (parent.Index == 1 && nextPart_ == -1) {
        nextPart_ = index;
    }
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
    holding_ = true;
    return AddNodeById(parent, NameIdOf(name));
}

void TKMLDocument::SetAttributes(TKMLNode& node, std::string_view attributes) {
    if (started_ && node.Index < 2) {
        throw std::logic_error("The start tags of kml and Document are written already");
    }
    StoreAttributes(node, attributes);
}

void TKMLDocument::StoreAttributes(TKMLNode& node, std::string_view attributes) {
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

// Lays elements out line by line in the document's layout.
class TKMLDocument::Writer {
  public:
    Writer(const TKMLDocument& document, std::string& out)
        : document_(document),
          out_(out),
          standard_(document.layout_ == KmlLayout::Standard),
          lineEnd_(standard_ ? "\n" : "\r\n") {}

    // The header and the start tags of the root and of Document.
    void Start() {
        out_ += Header;
        out_ += lineEnd_;
        StartTag(document_.Node(0));
        StartTag(document_.Node(1));
    }

    // One element with everything under it.
    void WriteElement(const TKMLNode& node) {
        if (standard_ && node.FirstChildIndex == -1) {
            WriteInline(node);
            return;
        }
        StartTag(node);
        if (node.FirstChildIndex != -1) {
            WriteChain(document_.Node(static_cast<size_t>(node.FirstChildIndex)));
        }
        EndTag(node);
    }

    // After the last part: the ends of Document and of the root, with whatever was added
    // under the root after Document.
    void Finish() {
        const TKMLNode& documentNode = document_.Node(1);
        EndTag(documentNode);
        if (documentNode.NextSiblingIndex != -1) {
            WriteChain(document_.Node(static_cast<size_t>(documentNode.NextSiblingIndex)));
        }
        EndTag(document_.Node(0));
    }

  private:
    // A node and its following siblings. Recursion goes into children only, so its depth is
    // the nesting depth, not the number of siblings.
    void WriteChain(const TKMLNode& first) {
        for (const TKMLNode* node = &first;;) {
            WriteElement(*node);
            if (node->NextSiblingIndex == -1) {
                return;
            }
            node = &document_.Node(static_cast<size_t>(node->NextSiblingIndex));
        }
    }

    void StartTag(const TKMLNode& node) {
        const std::string_view attributes = document_.Attributes(node);
        Indent(node.Level);
        out_ += '<';
        out_ += document_.Name(node);
        if (!attributes.empty()) {
            out_ += ' ';
            WriteContent(attributes);
            if (!standard_) {
                out_ += ' ';
            }
        }
        out_ += '>';
        out_ += lineEnd_;
    }

    // The text, on a line of its own in the fixed layout, then the end tag.
    void EndTag(const TKMLNode& node) {
        const std::string_view text = document_.Text(node);
        if (!text.empty()) {
            Indent(node.Level + 2);
            WriteContent(text);
            out_ += lineEnd_;
        }
        Indent(node.Level);
        out_ += "</";
        out_ += document_.Name(node);
        out_ += '>';
        out_ += lineEnd_;
    }

    // An element without children on one line: <name>text</name>.
    void WriteInline(const TKMLNode& node) {
        const std::string_view name = document_.Name(node);
        const std::string_view attributes = document_.Attributes(node);
        Indent(node.Level);
        out_ += '<';
        out_ += name;
        if (!attributes.empty()) {
            out_ += ' ';
            out_ += attributes;
        }
        out_ += '>';
        out_ += document_.Text(node);
        out_ += "</";
        out_ += name;
        out_ += '>';
        out_ += lineEnd_;
    }

    void Indent(std::int32_t level) { out_.append(static_cast<size_t>(level), ' '); }

    // In the fixed layout every line feed reaches the file as CR LF, also inside a text.
    void WriteContent(std::string_view text) {
        if (standard_) {
            out_ += text;
            return;
        }
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
    bool standard_;
    std::string_view lineEnd_;
};

void TKMLDocument::OpenFile(std::string fileName) {
    if (handedOver_) {
        throw std::logic_error("The output of a KML document is chosen after it was written to");
    }
    fileName_ = std::move(fileName);
    output_ = OpenKmlOutput(fileName_);
    if (laidOut_.size() >= kHandOverSize) {
        HandOver();
    }
}

void TKMLDocument::CompleteParts() {
    if (holding_ || nextPart_ == -1) {
        return;
    }
    Writer writer(*this, laidOut_);
    LayOutPendingParts(writer);
    writtenBelow_ = nodeCount_;
    LetGoOfWrittenNodes();
    LetGoOfTexts();
}

void TKMLDocument::LayOutPendingParts(Writer& writer) {
    if (!started_) {
        writer.Start();
        started_ = true;
    }
    while (nextPart_ != -1) {
        const TKMLNode& part = Node(static_cast<size_t>(nextPart_));
        writer.WriteElement(part);
        nextPart_ = part.NextSiblingIndex;
        if (laidOut_.size() >= kHandOverSize) {
            HandOver();
        }
    }
}

void TKMLDocument::HandOver() {
    if (output_ == nullptr) {
        return;  // kept until a file is opened, or for ToText
    }
    output_->Write(laidOut_);
    handedOver_ = true;
    if (laidOut_.capacity() > 4 * kHandOverSize) {
        laidOut_ = std::string();  // one huge part does not keep its room for ever
    }
    laidOut_.clear();
}

void TKMLDocument::LetGoOfWrittenNodes() {
    // Blocks below the one new nodes go to hold written nodes only.
    const size_t end = nodeCount_ / kNodesPerBlock;
    for (; firstKeptNodeBlock_ < end; ++firstKeptNodeBlock_) {
        PageBlock& block = nodeBlocks_[firstKeptNodeBlock_];
        if (spareNodeBlocks_.size() < 2) {
            spareNodeBlocks_.push_back(std::move(block));
        }
        block = PageBlock();
    }
}

void TKMLDocument::LetGoOfTexts() {
    // Every text belongs to written nodes now, except those of the root and Document: start
    // the text store afresh with only them, once it has grown.
    if (chunks_.size() < 2 && chunkUsed_ < kChunkSize / 2) {
        return;
    }
    const std::string kept[2][2] = {{std::string(Attributes(Node(0))), std::string(Text(Node(0)))},
                                    {std::string(Attributes(Node(1))), std::string(Text(Node(1)))}};
    if (!chunks_.empty() && chunks_.front().size() == kChunkSize) {
        chunks_.resize(1);
    } else {
        chunks_.clear();
    }
    chunkUsed_ = 0;
    std::fill(lastTextOfName_.begin(), lastTextOfName_.end(), TKMLText{});
    attributes_.resize(1);
    for (size_t index = 0; index < 2; ++index) {
        TKMLNode& node = Node(index);
        node.AttributesId = 0;
        if (!kept[index][0].empty()) {
            StoreAttributes(node, kept[index][0]);
        }
        node.Text = StoreText(kept[index][1]);
    }
}

void TKMLDocument::SaveAndClose() {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (output_ == nullptr) {
        return;  // never opened: nothing to save
    }
    Writer writer(*this, laidOut_);
    LayOutPendingParts(writer);
    writer.Finish();
    output_->Write(laidOut_);
    laidOut_.clear();
    saved_ = output_->ok() && output_->Commit();
    output_.reset();
}

std::string TKMLDocument::ToText() const {
    // Laid out from the nodes while they are all there, else after what was laid out of them.
    const bool fromNodes = writtenBelow_ == 2;
    if (!fromNodes && handedOver_) {
        throw std::logic_error("Parts of the KML document went to its file already");
    }
    std::string text = fromNodes ? std::string() : laidOut_;
    Writer writer(*this, text);
    if (fromNodes || !started_) {
        writer.Start();
    }
    for (std::int32_t part = fromNodes ? Node(1).FirstChildIndex : nextPart_; part != -1;) {
        const TKMLNode& node = Node(static_cast<size_t>(part));
        writer.WriteElement(node);
        part = node.NextSiblingIndex;
    }
    writer.Finish();
    return text;
}

size_t TKMLDocument::HeldBytes() const {
    size_t bytes = laidOut_.capacity() + attributes_.capacity() * sizeof(TKMLText);
    for (const std::vector<PageBlock>* blocks : {&nodeBlocks_, &spareNodeBlocks_, &chunks_}) {
        for (const PageBlock& block : *blocks) {
            bytes += block.size();
        }
    }
    return bytes;
}

// ---- Builders --------------------------------------------------------------------------

TKMLNode& TKMLDocument::AddTextNode(TKMLNode& parent, std::uint16_t nameId, std::string_view text) {
    TKMLNode& node = AddNodeById(parent, nameId);
    node.Text = StoreElementText(nameId, text);
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

void TKMLDocument::AddLineStyles(const std::vector<std::string>& colours, std::int32_t width) {
    const std::string widthText = std::to_string(width);
    for (size_t i = 0; i < colours.size(); ++i) {
        const std::string colourText = KmlColorText(ParseInteger(colours[i]));
        TKMLNode& style = AddStyle("LINESTYLE" + std::to_string(i));
        TKMLNode& lineStyle = AddNodeById(style, kLineStyle);
        AddTextNode(lineStyle, kColor, colourText);
        AddTextNode(lineStyle, kWidth, widthText);
    }
    CompleteParts();
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
    CompleteParts();
}

}  // namespace orvane
