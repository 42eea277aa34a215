// The style, placemark and site builders of the KML document: each adds one part under
// Document from a typed record and hands it to the layout at once.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "common/Kml_baseclass.h"
#include "common/XmlText.h"
#include "kml/KmlIcons.h"
#include "kml/KmlOutput.h"
#include "kml/Tkmldocument.h"
#include "legend/ThematicLegend.h"

namespace orvane {

namespace {

constexpr std::string_view kSiteIcon = kSiteIconHref;
constexpr std::string_view kSquareIcon = kSquareIconHref;
constexpr std::string_view kDotIcon = kDotIconHref;
constexpr std::string_view kDescriptionStart = "<![CDATA[<TABLE BORDER=1>";
constexpr std::string_view kDescriptionEnd = "</TABLE> ]]>";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A coordinate field rounded to `digits` decimals; a field that is no plain number stays as
// it is.
void AppendRoundedField(std::string& out, std::string_view field, int digits) {
    double value = 0;
    const char* end = field.data() + field.size();
    const auto [parsed, error] = std::from_chars(field.data(), end, value);
    if (field.empty() || error != std::errc() || parsed != end || !(std::abs(value) < 1e15)) {
        out += field;
        return;
    }
    AppendRoundedNumber(out, value, digits);
}

// A coordinate tuple with its comma-separated fields rounded.
void AppendRoundedTuple(std::string& out, std::string_view tuple, int digits) {
    for (size_t comma = tuple.find(','); comma != std::string_view::npos; comma = tuple.find(',')) {
        AppendRoundedField(out, tuple.substr(0, comma), digits);
        out += ',';
        tuple.remove_prefix(comma + 1);
    }
    AppendRoundedField(out, tuple, digits);
}

// The coordinate text with its fields rounded (digits > 0) and, for the standard layout, its
// tuples separated by single blanks without blanks around them.
void AppendCoordinateText(std::string& out, std::string_view text, int digits, bool singleBlanks) {
    out.reserve(out.size() + text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t blanks = i;
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        const size_t begin = i;
        while (i < text.size() && !IsBlank(text[i])) {
            ++i;
        }
        if (!singleBlanks) {
            out.append(text.substr(blanks, begin - blanks));
        } else if (i > begin && !out.empty()) {
            out += ' ';
        }
        const std::string_view tuple = text.substr(begin, i - begin);
        if (digits > 0) {
            AppendRoundedTuple(out, tuple, digits);
        } else {
            out += tuple;
        }
    }
}

void AppendSchemaName(std::string& out, std::string_view name) {
    out += "name=\"";
    AppendXmlText(out, name, XmlQuotes::Escaped);
    out += '"';
}

std::string_view FieldTypeText(KmlFieldType type) {
    switch (type) {
        case KmlFieldType::Int:
            return "int";
        case KmlFieldType::Double:
            return "double";
        case KmlFieldType::String:
            break;
    }
    return "string";
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits without a leading zero (but "0" itself), after an optional minus.
bool IsPlainDigits(std::string_view text) {
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
    return digits && (text.size() == 1 || text.front() != '0');
}

// "-12", "3.25", "1.": most numbers of a log, told without converting them (a log's values
// are typed one by one).
bool IsShortDecimal(std::string_view text) {
    text.remove_prefix(text.starts_with('-') ? 1 : 0);
    const size_t point = std::min(text.find('.'), text.size());
    const std::string_view fraction = text.substr(std::min(point + 1, text.size()));
    return point <= 15 && IsPlainDigits(text.substr(0, point)) &&
           std::all_of(fraction.begin(), fraction.end(), IsDigit);
}

// A number as GIS programs read one: "-12", "3.25", "1.5e-3"; not "007", "+1", " 2" or "1,5",
// whose texts a number would change.
bool IsPlainNumber(std::string_view text) {
    if (IsShortDecimal(text)) {
        return true;
    }
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [parsed, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || parsed != end) {
        return false;
    }
    std::string_view whole = text.substr(text.starts_with('-') ? 1 : 0);
    whole = whole.substr(0, whole.find_first_of(".eE"));
    return IsPlainDigits(whole) && !std::isinf(value) && !std::isnan(value);
}

bool TryParseWholeNumber(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [parsed, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && parsed == end &&
           IsPlainDigits(text.substr(text.starts_with('-') ? 1 : 0));
}

constexpr std::int32_t kOutOfLegendGrey = 0x808080;

// The standard layout's colours are 24-bit, opaque: larger colour numbers lose their upper
// bits, which would make the colour text longer than KML allows.
std::string StyleColourText(std::int32_t colour, KmlLayout layout) {
    return KmlColorText(layout == KmlLayout::Standard ? colour & 0xFFFFFF : colour);
}

std::string StyleIdAttribute(std::string_view id) {
    std::string attribute = "id=\"";
    attribute += id;
    attribute += '"';
    return attribute;
}

}  // namespace

std::string_view SectorStyleUrl(std::int32_t azimuth) {
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
    return AddTextNode(parent, nameId, EscapedText(text));
}

std::string_view TKMLDocument::EscapedText(std::string_view text) {
    // Names, style references and coordinates are element content: markup characters and
    // what XML cannot hold must not reach the file as they are. Almost every text is plain.
    if (IsPlainXmlText(text)) {
        return text;
    }
    escaped_.clear();
    AppendXmlText(escaped_, text);
    return escaped_;
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

void TKMLDocument::AddIcon(TKMLNode& iconStyle, KmlIcon icon, std::string_view link) {
    TKMLNode& iconNode = AddNodeById(iconStyle, kIcon);
    if (layout_ == KmlLayout::Fixed) {
        AddTextNode(iconNode, kHref, link);
        return;
    }
    icons_.insert(icon);
    AddEscapedTextNode(iconNode, kHref, KmlFileReference(fileName_, KmlIconFileName(icon)));
}

void TKMLDocument::AddIconStyle(std::string_view id, std::string_view scale) {
    TKMLNode& style = AddStyle(id);
    TKMLNode& iconStyle = AddNodeById(style, kIconStyle);
    AddTextNode(iconStyle, kScale, scale);
    AddIcon(iconStyle, KmlIcon::Site, kSiteIcon);
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
        const std::string colourText = StyleColourText(colours[i], layout_);
        TKMLNode& style = AddStyle("LINESTYLE" + std::to_string(i));
        TKMLNode& lineStyle = AddNodeById(style, kLineStyle);
        AddTextNode(lineStyle, kColor, colourText);
        AddTextNode(lineStyle, kWidth, widthText);
    }
    AddOutOfLegendLineStyles(width);
    CompleteParts();
}

// Icons of a style's colour, half their size: test points and samples.
struct TKMLDocument::TintedIcon {
    std::string_view stylePrefix;
    KmlIcon icon;
    std::string_view link;
    std::uint16_t labelNameId;  // and its text: the label's colour or scale
    std::string_view labelText;
};

void TKMLDocument::AddPointStyles(std::span<const std::int32_t> colours) {
    AddTintedIconStyles(colours, {"POINTSTYLE", KmlIcon::Square, kSquareIcon, kColor, "40ffffff"});
}

void TKMLDocument::AddSampleStyles(std::span<const std::int32_t> colours) {
    AddTintedIconStyles(colours, {"SAMPLESTYLE", KmlIcon::Dot, kDotIcon, kScale, "0"});
}

void TKMLDocument::AddTintedIconStyles(std::span<const std::int32_t> colours,
                                       const TintedIcon& icon) {
    const std::string prefix(icon.stylePrefix);
    for (size_t i = 0; i < colours.size(); ++i) {
        AddTintedIconStyle(prefix + std::to_string(i), StyleColourText(colours[i], layout_), icon);
    }
    if (layout_ == KmlLayout::Standard) {
        for (const std::int32_t entry : {NoEntry, kUnscannedClassEntry}) {
            AddTintedIconStyle(prefix + std::to_string(entry), KmlColorText(kOutOfLegendGrey),
                               icon);
        }
    }
    CompleteParts();
}

void TKMLDocument::AddTintedIconStyle(std::string_view id, std::string_view colour,
                                      const TintedIcon& icon) {
    TKMLNode& style = AddStyle(id);
    TKMLNode& iconStyle = AddNodeById(style, kIconStyle);
    AddTextNode(iconStyle, kColor, colour);
    AddTextNode(iconStyle, kScale, "0.5");
    AddIcon(iconStyle, icon.icon, icon.link);
    TKMLNode& labelStyle = AddNodeById(style, kLabelStyle);
    AddTextNode(labelStyle, icon.labelNameId, icon.labelText);
}

void TKMLDocument::AddOutOfLegendLineStyles(std::int32_t width) {
    if (layout_ != KmlLayout::Standard) {
        return;
    }
    const std::string grey = KmlColorText(kOutOfLegendGrey);
    for (const std::int32_t entry : {NoEntry, kUnscannedClassEntry}) {
        TKMLNode& lineStyle =
            AddNodeById(AddStyle("LINESTYLE" + std::to_string(entry)), kLineStyle);
        AddTextNode(lineStyle, kColor, grey);
        AddTextNode(lineStyle, kWidth, std::to_string(width));
    }
}

std::string_view TKMLDocument::DescriptionTable(std::string_view rows) {
    description_.assign(kDescriptionStart);
    description_ += rows;
    description_ += kDescriptionEnd;
    return description_;
}

void TKMLDocument::AddDescriptionTable(TKMLNode& placemark, std::string_view rows) {
    AddTextNode(placemark, kDescription, DescriptionTable(rows));
}

void TKMLDocument::AddDescribedPoint(TKMLNode& parent, const TPointPlacemark& placemark,
                                     std::string_view styleUrl) {
    TKMLNode& node = AddNodeById(parent, kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    AddDescriptionTable(node, placemark.Description);
    AddStyleUrl(node, styleUrl);
    AddExtendedData(node, placemark);
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

void TKMLDocument::AddCoordinates(TKMLNode& parent, std::string_view coordinates,
                                  CoordinateText form) {
    AddEscapedTextNode(parent, kCoordinates, CoordinateTextOf(coordinates, form));
}

std::string_view TKMLDocument::CoordinateTextOf(std::string_view coordinates, CoordinateText form) {
    const bool standard = layout_ == KmlLayout::Standard;
    if (!standard && digits_ == 0) {
        return coordinates;
    }
    if (form == CoordinateText::Computed) {
        // single blanks and rounded already: only the final blank goes
        return coordinates.substr(0, coordinates.find_last_not_of(' ') + 1);
    }
    coordinates_.clear();
    AppendCoordinateText(coordinates_, coordinates, digits_, standard);
    return coordinates_;
}

void TKMLDocument::AddSchema(const KmlSchema& schema) {
    if (layout_ != KmlLayout::Standard) {
        return;
    }
    TKMLNode& node = AddNodeById(DocumentNode(), kSchema);
    attribute_.clear();
    AppendSchemaName(attribute_, schema.Id);
    attribute_ += " id=\"";
    AppendXmlText(attribute_, schema.Id, XmlQuotes::Escaped);
    attribute_ += '"';
    store_.StoreAttributes(node, attribute_);
    std::vector<std::string>& names = dataNames_[&schema];
    names.clear();
    for (const KmlField& field : schema.Fields) {
        TKMLNode& simpleField = AddNodeById(node, kSimpleField);
        attribute_.clear();
        AppendSchemaName(attribute_, field.Name);
        names.push_back(attribute_);
        attribute_ += " type=\"";
        attribute_ += FieldTypeText(field.Type);
        attribute_ += '"';
        store_.StoreAttributes(simpleField, attribute_);
    }
    CompleteParts();
}

void TKMLDocument::AddExtendedData(TKMLNode& placemark, const TPlacemark& record) {
    if (layout_ != KmlLayout::Standard || record.Schema == nullptr) {
        return;
    }
    TKMLNode& data = AddNodeById(AddNodeById(placemark, kExtendedData), kSchemaData);
    store_.StoreAttributes(data, SchemaDataAttribute(*record.Schema));
    const std::vector<std::string>& names = DataNamesOf(*record.Schema);
    const size_t count = std::min(names.size(), record.Data.size());
    for (size_t i = 0; i < count; ++i) {
        if (record.Data[i].empty()) {
            continue;  // no value: GIS programs read a null, not a zero
        }
        TKMLNode& value = AddEscapedTextNode(data, kSimpleData, record.Data[i]);
        store_.StoreAttributes(value, names[i]);
    }
}

std::string_view TKMLDocument::SchemaDataAttribute(const KmlSchema& schema) {
    attribute_ = "schemaUrl=\"#";
    AppendXmlText(attribute_, schema.Id, XmlQuotes::Escaped);
    attribute_ += '"';
    return attribute_;
}

const std::vector<std::string>& TKMLDocument::DataNamesOf(const KmlSchema& schema) const {
    const auto found = dataNames_.find(&schema);
    if (found == dataNames_.end()) {
        throw std::logic_error("Placemark data refers to a schema the document lacks");
    }
    return found->second;
}

void TKMLDocument::AddTime(TKMLNode& placemark, const TPlacemark& record) {
    if (record.TimeBegin.empty()) {
        return;
    }
    if (record.TimeEnd.empty()) {
        AddTextNode(AddNodeById(placemark, kTimeStamp), kTimeWhen, record.TimeBegin);
        return;
    }
    TKMLNode& span = AddNodeById(placemark, kTimeSpan);
    AddTextNode(span, kTimeBegin, record.TimeBegin);
    AddTextNode(span, kTimeEnd, record.TimeEnd);
}

void TKMLDocument::AddPointPlacemark(const TPointPlacemark& placemark) {
    AddDescribedPoint(FolderOrDocument(), placemark, placemark.StyleUrl);
    CompleteParts();
}

void TKMLDocument::AddRingPlacemark(TKMLNode& parent, const std::string* name,
                                    std::string_view styleUrl, std::string_view coordinates,
                                    CoordinateText form) {
    TKMLNode& node = AddNodeById(parent, kPlacemark);
    if (name != nullptr) {
        AddEscapedTextNode(node, kName, *name);
    }
    AddStyleUrl(node, styleUrl);
    TKMLNode& polygon = AddNodeById(node, kPolygon);
    AddBoundary(polygon, kOuterBoundaryIs, coordinates, form);
}

void TKMLDocument::AddBoundary(TKMLNode& polygon, std::uint16_t nameId, std::string_view ring,
                               CoordinateText form) {
    TKMLNode& boundary = AddNodeById(polygon, nameId);
    TKMLNode& linearRing = AddNodeById(boundary, kLinearRing);
    AddCoordinates(linearRing, ring, form);
}

void TKMLDocument::AddPolygonPlacemark(const TPolygonPlacemark& placemark) {
    AddRingPlacemark(FolderOrDocument(), &placemark.Name, placemark.StyleUrl,
                     placemark.Coordinates);
    CompleteParts();
}

void TKMLDocument::AddPolygon(TKMLNode& parent, const TRingPolygon& polygon) {
    TKMLNode& node = AddNodeById(parent, kPolygon);
    AddBoundary(node, kOuterBoundaryIs, polygon.Outer);
    for (const std::string_view hole : polygon.Holes) {
        AddBoundary(node, kInnerBoundaryIs, hole);
    }
}

void TKMLDocument::AddRegionPlacemark(const TRegionPlacemark& placemark) {
    TKMLNode& node = AddNodeById(FolderOrDocument(), kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    AddStyleUrl(node, placemark.StyleUrl);
    AddExtendedData(node, placemark);
    if (placemark.Polygons.size() == 1) {
        AddPolygon(node, placemark.Polygons.front());
    } else {
        TKMLNode& geometries = AddNodeById(node, kMultiGeometry);
        for (const TRingPolygon& polygon : placemark.Polygons) {
            AddPolygon(geometries, polygon);
        }
    }
    CompleteParts();
}

void TKMLDocument::AddSectorPlacemark(const TPlacemark& sector, std::string_view ring) {
    TKMLNode& node = AddNodeById(FolderOrDocument(), kPlacemark);
    AddEscapedTextNode(node, kName, sector.Name);
    AddStyleUrl(node, sector.StyleUrl);
    AddExtendedData(node, sector);
    TKMLNode& polygon = AddNodeById(node, kPolygon);
    AddBoundary(polygon, kOuterBoundaryIs, ring, CoordinateText::Computed);
    CompleteParts();
}

void TKMLDocument::AddLinePlacemark(const TLinePlacemark& placemark) {
    TKMLNode& node = AddNodeById(FolderOrDocument(), kPlacemark);
    AddEscapedTextNode(node, kName, placemark.Name);
    AddTime(node, placemark);
    if (!placemark.StyleUrl.empty()) {
        AddEscapedTextNode(node, kStyleUrl, placemark.StyleUrl);
    }
    AddExtendedData(node, placemark);
    TKMLNode& line = AddNodeById(node, kLineString);
    AddCoordinates(line, placemark.Coordinates);
    CompleteParts();
}

void TKMLDocument::AddSiteFolder(const TSitePlacemark& site, std::int32_t radiusSeconds) {
    std::vector<std::string> rings(site.Azimuths.size());
    for (size_t k = 0; k < rings.size(); ++k) {
        AppendSectorRing(rings[k], site.Longitude, site.Latitude, site.Azimuths[k], radiusSeconds,
                         digits_);
    }
    AddSiteFolder(site, rings);
}

void TKMLDocument::AddSiteFolder(const TSitePlacemark& site, std::span<const std::string> rings) {
    TKMLNode& folder = AddNodeById(FolderOrDocument(), kFolder);
    AddEscapedTextNode(folder, kName, site.Name);
    AddDescribedPoint(folder, site, "#BS_STYLE");
    for (size_t k = 0; k < rings.size(); ++k) {
        // sectors have no name
        AddRingPlacemark(folder, nullptr, SectorStyleUrl(site.Azimuths[k]), rings[k],
                         CoordinateText::Computed);
    }
    CompleteParts();
}

void KmlFieldTypeScan::Add(std::string_view value) {
    if (value.empty() || type_ == KmlFieldType::String) {
        return;
    }
    seen_ = true;
    if (type_ == KmlFieldType::Int && TryParseWholeNumber(value)) {
        return;
    }
    type_ = IsPlainNumber(value) ? KmlFieldType::Double : KmlFieldType::String;
}

void TKMLDocument::AddScreenOverlay(const TScreenOverlay& overlay) {
    // KML 2.2 orders them so: the feature's name, the overlay's Icon, then the placement.
    TKMLNode& node = AddNodeById(DocumentNode(), store_.NameIdOf("ScreenOverlay"));
    AddEscapedTextNode(node, kName, overlay.Name);
    TKMLNode& icon = AddNodeById(node, kIcon);
    AddEscapedTextNode(icon, kHref, KmlFileReference(fileName_, overlay.FileName));
    constexpr std::string_view kLowerLeft = R"(x="0" y="0" xunits="fraction" yunits="fraction")";
    SetAttributes(AddNodeById(node, store_.NameIdOf("overlayXY")), kLowerLeft);
    SetAttributes(AddNodeById(node, store_.NameIdOf("screenXY")), kLowerLeft);
    SetAttributes(AddNodeById(node, store_.NameIdOf("size")),
                  "x=\"" + std::to_string(overlay.Width) + "\" y=\"" +
                      std::to_string(overlay.Height) + R"(" xunits="pixels" yunits="pixels")");
    files_.emplace_back(overlay.FileName, overlay.Image);
    CompleteParts();
}

}  // namespace orvane
