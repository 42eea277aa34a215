#include "earth/KmlStreamReader.h"

#include <expat.h>
#include <zip.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QUrl>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/Errors.h"

namespace orvane {

namespace {

constexpr size_t kChunkBytes = 1 << 20;
// An icon larger than this is no icon; it is not read.
constexpr zip_uint64_t kLargestPicture = 4 << 20;
constexpr double kRadiansPerDegree = M_PI / 180.0;

// Elements whose text the reader keeps.
enum class Text {
    None,
    Name,
    Description,
    StyleUrl,
    Key,
    Color,
    Width,
    Fill,
    Outline,
    Scale,
    Coordinates,
    Visibility,
    Begin,
    End,
    When,
    Href
};

// The part of a style that a colour or scale belongs to.
enum class SubStyle { None, Line, Poly, Icon, Label };

enum class Shape { None, Point, Line, Ring, Polygon };

std::string_view LocalName(const char* name) {
    std::string_view text(name);
    const size_t colon = text.find(':');
    // Extension elements (gx:Track) are not KML's own: their prefix stays.
    if (colon != std::string_view::npos && text.substr(0, colon) != "gx") {
        text.remove_prefix(colon + 1);
    }
    return text;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

QString QText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// KML colours are aabbggrr in hexadecimal.
std::optional<QRgb> ColourOf(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return qRgba(static_cast<int>(value & 0xff), static_cast<int>((value >> 8) & 0xff),
                 static_cast<int>((value >> 16) & 0xff), static_cast<int>(value >> 24));
}

std::optional<double> NumberOf(std::string_view text) {
    text = Trimmed(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    return value;
}

bool FlagOf(std::string_view text) {
    text = Trimmed(text);
    return text != "0" && text != "false";
}

// A coordinate as from_chars reads it (the longest number at the start, else 0). The usual
// form, a sign and at most 15 digits with a decimal point, is read here: its digits make an
// integer that a double holds exactly, and one division by an exact power of ten rounds as
// from_chars does, in a fraction of its time.
double NumberOf(const char* start, const char* end) {
    static constexpr std::array<double, 16> kPowersOfTen = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* at = start;
    const bool negative = at < end && *at == '-';
    at += negative ? 1 : 0;
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = -1;  // none before a point
    for (; at < end && count <= 15; ++at) {
        if (*at >= '0' && *at <= '9') {
            digits = digits * 10 + static_cast<std::uint64_t>(*at - '0');
            ++count;
            decimals += decimals >= 0 ? 1 : 0;
        } else if (*at == '.' && decimals < 0 && count > 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (at != end || count == 0 || count > 15 || decimals == 0) {
        double value = 0.0;
        std::from_chars(start, end, value);
        return value;
    }
    const double value =
        static_cast<double>(digits) / kPowersOfTen[static_cast<size_t>(std::max(0, decimals))];
    return negative ? -value : value;
}

// Whitespace-separated tuples "longitude,latitude[,altitude]"; as the map reads them, space
// around a comma stays in the tuple and a value that is no number counts as 0.
void AppendCoordinates(std::string_view text, std::vector<GeoPoint>& points) {
    const char* at = text.data();
    const char* const end = at + text.size();
    const auto field = [&] {
        const char* const start = at;
        while (at < end && *at != ',' && !IsSpace(*at)) {
            ++at;
        }
        return NumberOf(start, at);
    };
    const auto nextField = [&] {
        const char* comma = at;
        while (comma < end && IsSpace(*comma)) {
            ++comma;
        }
        if (comma == end || *comma != ',') {
            return false;
        }
        at = comma + 1;
        while (at < end && IsSpace(*at)) {
            ++at;
        }
        return true;
    };
    while (at < end) {
        while (at < end && IsSpace(*at)) {
            ++at;
        }
        if (at == end) {
            break;
        }
        double lon = field();
        if (!nextField()) {
            continue;
        }
        double lat = field();
        int fields = 2;
        for (; nextField(); ++fields) {
            field();
        }
        // A tuple of more than three values is no position: the map puts it at 0,0.
        if (fields > 3) {
            lon = 0.0;
            lat = 0.0;
        }
        points.push_back({lon * kRadiansPerDegree, lat * kRadiansPerDegree});
    }
}

struct StyleDraft {
    FeatureStyle style;
    SubStyle part = SubStyle::None;
    QString iconHref;
};

// What the map's reader takes from a style: absent values keep their defaults, a line keeps
// at least a pixel, and black names show white on the satellite view.
FeatureStyle Finished(FeatureStyle style) {
    style.lineWidth = std::max(1.0f, style.lineWidth);
    if (style.label == qRgb(0, 0, 0)) {
        style.label = qRgb(255, 255, 255);
    }
    return style;
}

FeatureStyle DefaultStyle() {
    FeatureStyle style;
    style.label = qRgb(0, 0, 0);
    return style;
}

class Handler {
  public:
    // Icons given by a relative address are looked for in `directory`.
    Handler(KmlFeatures::Assembler& out, QDir directory)
        : out_(out), directory_(std::move(directory)) {}

    // In a KMZ, relative addresses name entries of the archive.
    void SetArchivedPictures(std::function<QImage(const QString&)> pictures) {
        archivedPictures_ = std::move(pictures);
    }

    void Start(const char* rawName, const char** attributes) {
        const std::string_view name = LocalName(rawName);
        text_ = Text::None;
        if (name == "Placemark") {
            StartPlacemark();
        } else if (name == "Folder" || name == "Document") {
            StartContainer(name == "Document");
        } else if (name == "Style") {
            StartStyle(attributes);
        } else if (name == "StyleMap") {
            styleMapId_ = IdOf(attributes);
            inStyleMap_ = true;
        } else if (name == "Pair") {
            pairKey_.clear();
            pairUrl_.clear();
        } else if (name == "LineStyle" || name == "PolyStyle" || name == "IconStyle" ||
                   name == "LabelStyle") {
            if (draft_) {
                draft_->part = name == "LineStyle"   ? SubStyle::Line
                               : name == "PolyStyle" ? SubStyle::Poly
                               : name == "IconStyle" ? SubStyle::Icon
                                                     : SubStyle::Label;
            }
        } else if (name == "Point" || name == "LineString" || name == "LinearRing") {
            StartShape(name == "Point"        ? Shape::Point
                       : name == "LineString" ? Shape::Line
                                              : Shape::Ring);
        } else if (name == "Polygon") {
            if (inPlacemark_) {
                geometries_.push_back({Shape::Polygon, PartCount(), 0});
                polygonDepth_ = 1;
            }
        } else if (name == "MultiGeometry") {
            // Its members are taken one by one.
            multiGeometry_ = multiGeometry_ || inPlacemark_;
        } else if (name == "ScreenOverlay" && !inPlacemark_) {
            screen_.emplace();
            screen_->visible = Visible();
        } else if (screen_ && (name == "overlayXY" || name == "screenXY")) {
            TakeScreenPoint(attributes, name == "overlayXY");
        } else if (name == "GroundOverlay" || name == "ScreenOverlay" || name == "PhotoOverlay" ||
                   name == "NetworkLink" || name == "Model" || name == "gx:Track" ||
                   name == "gx:MultiTrack") {
            out_.SetLeftOthers();
            otherGeometry_ = otherGeometry_ || inPlacemark_;
        } else {
            text_ = TextOf(name);
            buffer_.clear();
        }
    }

    void End(const char* rawName) {
        const std::string_view name = LocalName(rawName);
        if (text_ != Text::None) {
            TakeText();
            text_ = Text::None;
            return;
        }
        if (name == "Placemark") {
            EndPlacemark();
        } else if (name == "ScreenOverlay" && screen_) {
            EndScreenOverlay();
        } else if (name == "Folder" || name == "Document") {
            containers_.pop_back();
        } else if (name == "Style") {
            EndStyle();
        } else if (name == "StyleMap") {
            inStyleMap_ = false;
        } else if (name == "Pair") {
            if (inStyleMap_ && pairKey_ == "normal") {
                styleMaps_[styleMapId_] = pairUrl_;
            }
        } else if (name == "LineStyle" || name == "PolyStyle" || name == "IconStyle" ||
                   name == "LabelStyle") {
            if (draft_) {
                draft_->part = SubStyle::None;
            }
        } else if (name == "Point" || name == "LineString" || name == "LinearRing") {
            EndShape();
        } else if (name == "Polygon") {
            polygonDepth_ = 0;
        }
    }

    void Characters(const char* text, int length) {
        if (text_ != Text::None) {
            buffer_.append(text, static_cast<size_t>(length));
        }
    }

  private:
    struct Container {
        std::uint32_t folder = kNoFolder;
        bool visible = true;
    };

    struct Run {
        std::uint32_t first;  // in points_
        std::uint32_t count;
    };

    // Its parts are `partCount` runs of parts_ from `firstPart`.
    struct Geometry {
        Shape shape;
        std::uint32_t firstPart;
        std::uint32_t partCount;
    };

    static std::string IdOf(const char** attributes) {
        for (int i = 0; attributes[i] != nullptr; i += 2) {
            if (std::string_view(attributes[i]) == "id") {
                return attributes[i + 1];
            }
        }
        return {};
    }

    static Text TextOf(std::string_view name) {
        static const std::array<std::pair<std::string_view, Text>, 15> kTexts{{
            {"name", Text::Name},
            {"description", Text::Description},
            {"styleUrl", Text::StyleUrl},
            {"key", Text::Key},
            {"color", Text::Color},
            {"width", Text::Width},
            {"fill", Text::Fill},
            {"outline", Text::Outline},
            {"scale", Text::Scale},
            {"coordinates", Text::Coordinates},
            {"visibility", Text::Visibility},
            {"begin", Text::Begin},
            {"end", Text::End},
            {"when", Text::When},
            {"href", Text::Href},
        }};
        for (const auto& [tag, text] : kTexts) {
            if (tag == name) {
                return text;
            }
        }
        return Text::None;
    }

    std::uint32_t PartCount() const { return static_cast<std::uint32_t>(parts_.size()); }
    bool Visible() const { return containers_.empty() || containers_.back().visible; }
    std::uint32_t Folder() const {
        return containers_.empty() ? kNoFolder : containers_.back().folder;
    }

    void StartContainer(bool document) {
        Container container{Folder(), Visible()};
        // The outermost document is the file itself; every other container is a folder.
        if (!(document && !sawDocument_)) {
            container.folder = out_.AddFolder(QString(), Folder());
        }
        sawDocument_ = sawDocument_ || document;
        containers_.push_back(container);
        containerNamed_ = false;
    }

    void StartPlacemark() {
        inPlacemark_ = true;
        otherGeometry_ = false;
        placemarkVisible_ = true;
        texts_ = {};
        time_ = {};
        style_ = {};
        inlineStyle_.reset();
        multiGeometry_ = false;
        geometries_.clear();
        parts_.clear();
        points_.clear();
    }

    void EndPlacemark() {
        inPlacemark_ = false;
        // A placemark without a geometry the reader knows has nothing for this layer to draw.
        if (otherGeometry_ || geometries_.empty() || !placemarkVisible_ || !Visible()) {
            return;
        }
        const StyleDraft& draft = inlineStyle_ ? *inlineStyle_ : Resolve(style_);
        FeatureStyle style = draft.style;
        // Only a placemark that is a single point shows an icon, as the map's reader gives it.
        if (!multiGeometry_ && geometries_.size() == 1 &&
            geometries_.front().shape == Shape::Point) {
            style.iconImage = IconPicture(draft.iconHref, style.icon);
        }
        out_.BeginPlacemark(std::move(texts_), out_.AddStyle(Finished(style)), Folder(), time_);
        for (const Geometry& geometry : geometries_) {
            out_.BeginGeometry(geometry.shape == Shape::Point  ? FeatureKind::Point
                               : geometry.shape == Shape::Line ? FeatureKind::Line
                               : geometry.shape == Shape::Ring ? FeatureKind::Ring
                                                               : FeatureKind::Polygon);
            for (std::uint32_t p = geometry.firstPart; p < geometry.firstPart + geometry.partCount;
                 ++p) {
                out_.AddPart(
                    std::span<const GeoPoint>(points_).subspan(parts_[p].first, parts_[p].count));
            }
            out_.EndGeometry();
        }
    }

    const StyleDraft& Resolve(std::string url) const {
        if (url.empty()) {
            return defaultStyle_;
        }
        if (url.front() == '#') {
            url.erase(0, 1);
        }
        if (const auto map = styleMaps_.find(url); map != styleMaps_.end()) {
            url = map->second;
            if (!url.empty() && url.front() == '#') {
                url.erase(0, 1);
            }
        }
        const auto found = styles_.find(url);
        return found == styles_.end() ? defaultStyle_ : found->second;
    }

    void StartStyle(const char** attributes) {
        draft_ = StyleDraft{DefaultStyle(), SubStyle::None, QString()};
        draftId_ = IdOf(attributes);
        draftInline_ = inPlacemark_;
    }

    void EndStyle() {
        if (!draft_) {
            return;
        }
        if (draftInline_) {
            inlineStyle_ = *draft_;
        } else if (!inStyleMap_ && !draftId_.empty()) {
            styles_[draftId_] = *draft_;
        }
        draft_.reset();
    }

    QImage IconPicture(const QString& href, QRgb colour) {
        return icons_.For(href, colour, [&] { return LocalPicture(href); });
    }

    // Only pictures on this computer: the reader runs away from the interface thread and
    // never waits for the network. A one-letter scheme is a drive.
    QImage LocalPicture(const QString& href) const {
        const QUrl url(href);
        if (url.isLocalFile()) {
            return QImage(url.toLocalFile());
        }
        if (url.scheme().size() > 1) {
            return QImage();
        }
        return archivedPictures_ ? archivedPictures_(href)
                                 : QImage(directory_.absoluteFilePath(href));
    }

    // overlayXY or screenXY: fractions or pixels (the picture's insetPixels from its far edge).
    void TakeScreenPoint(const char** attributes, bool anchor) {
        QPointF& point = anchor ? screen_->anchor : screen_->place;
        for (int i = 0; attributes[i] != nullptr; i += 2) {
            const std::string_view key(attributes[i]);
            const std::string_view value(attributes[i + 1]);
            const int axis = key.front() == 'x' ? 0 : 1;
            if (key == "x" || key == "y") {
                (axis == 0 ? point.rx() : point.ry()) =
                    QString::fromUtf8(attributes[i + 1]).toDouble();
            } else if (key == "xunits" || key == "yunits") {
                screen_->units[anchor ? axis : axis + 2] = std::string(value);
            }
        }
    }

    // A screen overlay whose picture is on this computer is drawn by this layer; one whose
    // picture is on the web is left to the map.
    void EndScreenOverlay() {
        ScreenDraft draft = std::move(*screen_);
        screen_.reset();
        if (!draft.visible) {
            return;
        }
        ScreenPicture picture;
        picture.image = LocalPicture(draft.href);
        if (picture.image.isNull()) {
            out_.SetLeftOthers();
            return;
        }
        const QSizeF size = picture.image.size();
        const auto fraction = [](double value, const std::string& units, double extent) {
            return units == "pixels"        ? value / extent
                   : units == "insetPixels" ? 1.0 - value / extent
                                            : value;
        };
        picture.anchor = {fraction(draft.anchor.x(), draft.units[0], size.width()),
                          fraction(draft.anchor.y(), draft.units[1], size.height())};
        picture.place = draft.place;
        for (int axis = 0; axis < 2; ++axis) {
            picture.placeInPixels[axis] =
                draft.units[axis + 2] == "pixels" || draft.units[axis + 2] == "insetPixels";
        }
        out_.AddScreenPicture(std::move(picture));
    }

    void StartShape(Shape shape) {
        if (!inPlacemark_) {
            return;
        }
        if (polygonDepth_ > 0 && shape == Shape::Ring) {
            shape_ = Shape::Polygon;
        } else {
            geometries_.push_back({shape, PartCount(), 0});
            shape_ = shape;
        }
        partFirst_ = static_cast<std::uint32_t>(points_.size());
    }

    void EndShape() {
        if (!inPlacemark_ || geometries_.empty()) {
            return;
        }
        const auto count = static_cast<std::uint32_t>(points_.size()) - partFirst_;
        if (count > 0) {
            parts_.push_back({partFirst_, shape_ == Shape::Point ? 1 : count});
            ++geometries_.back().partCount;
        }
        shape_ = Shape::None;
    }

    void TakeText() {
        switch (text_) {
            case Text::Name:
                TakeName();
                break;
            case Text::Description:
                if (inPlacemark_ && !draft_) {
                    texts_.description = QText(Trimmed(buffer_));
                }
                break;
            case Text::StyleUrl:
                if (inStyleMap_) {
                    pairUrl_ = Trimmed(buffer_);
                } else if (inPlacemark_) {
                    style_ = Trimmed(buffer_);
                    inlineStyle_.reset();
                }
                break;
            case Text::Key:
                pairKey_ = Trimmed(buffer_);
                break;
            case Text::Color:
                TakeColour();
                break;
            case Text::Width:
                if (draft_ && draft_->part == SubStyle::Line) {
                    draft_->style.lineWidth = static_cast<float>(NumberOf(buffer_).value_or(0.0));
                }
                break;
            case Text::Fill:
                if (draft_ && draft_->part == SubStyle::Poly) {
                    draft_->style.filled = FlagOf(buffer_);
                }
                break;
            case Text::Outline:
                if (draft_ && draft_->part == SubStyle::Poly) {
                    draft_->style.outlined = FlagOf(buffer_);
                }
                break;
            case Text::Scale:
                if (draft_ && draft_->part == SubStyle::Icon) {
                    const double scale = NumberOf(buffer_).value_or(0.0);
                    draft_->style.iconScale = scale > 0.0 ? static_cast<float>(scale) : 1.0f;
                }
                break;
            case Text::Coordinates:
                if (inPlacemark_ && shape_ != Shape::None) {
                    AppendCoordinates(buffer_, points_);
                }
                break;
            case Text::Href:
                if (draft_ && draft_->part == SubStyle::Icon) {
                    draft_->iconHref = QText(Trimmed(buffer_));
                } else if (screen_) {
                    screen_->href = QText(Trimmed(buffer_));
                }
                break;
            case Text::Visibility:
                TakeVisibility(FlagOf(buffer_));
                break;
            case Text::Begin:
            case Text::End:
            case Text::When:
                TakeTime();
                break;
            case Text::None:
                break;
        }
    }

    void TakeName() {
        if (draft_ || screen_) {
            return;
        }
        if (inPlacemark_) {
            texts_.name = QText(Trimmed(buffer_));
        } else if (!containerNamed_ && !containers_.empty() &&
                   containers_.back().folder != kNoFolder) {
            out_.SetFolderName(containers_.back().folder, QText(Trimmed(buffer_)));
            containerNamed_ = true;
        }
    }

    void TakeColour() {
        // The colour each sub-style's <color> sets, in the order of SubStyle.
        static constexpr std::array<QRgb FeatureStyle::*, 5> kColours = {
            nullptr, &FeatureStyle::line, &FeatureStyle::fill, &FeatureStyle::icon,
            &FeatureStyle::label};
        const std::optional<QRgb> colour = ColourOf(buffer_);
        if (draft_ && colour && draft_->part != SubStyle::None) {
            draft_->style.*kColours[static_cast<size_t>(draft_->part)] = *colour;
        }
    }

    void TakeVisibility(bool visible) {
        if (inPlacemark_) {
            placemarkVisible_ = visible;
        } else if (!containers_.empty()) {
            containers_.back().visible =
                visible && (containers_.size() < 2 || containers_[containers_.size() - 2].visible);
        }
    }

    void TakeTime() {
        if (!inPlacemark_) {
            return;
        }
        const std::optional<std::int64_t> time = ParseKmlTime(Trimmed(buffer_));
        if (!time) {
            return;
        }
        if (text_ != Text::End) {
            time_.begin = *time;
        }
        if (text_ != Text::Begin) {
            time_.end = *time;
        }
    }

    KmlFeatures::Assembler& out_;
    QDir directory_;
    std::function<QImage(const QString&)> archivedPictures_;
    IconPictures icons_;
    Text text_ = Text::None;
    std::string buffer_;
    std::vector<Container> containers_;
    bool sawDocument_ = false;
    bool containerNamed_ = false;

    const StyleDraft defaultStyle_{DefaultStyle(), SubStyle::None, QString()};
    std::unordered_map<std::string, StyleDraft> styles_;
    std::unordered_map<std::string, std::string> styleMaps_;
    std::optional<StyleDraft> draft_;
    // The screen overlay being read: its picture and where it sits.
    struct ScreenDraft {
        QString href;
        QPointF anchor;
        QPointF place;
        std::array<std::string, 4> units;  // anchor x, y; place x, y
        bool visible = true;
    };
    std::optional<ScreenDraft> screen_;
    std::string draftId_;
    bool draftInline_ = false;
    bool inStyleMap_ = false;
    std::string styleMapId_;
    std::string pairKey_;
    std::string pairUrl_;

    bool inPlacemark_ = false;
    bool placemarkVisible_ = true;
    bool otherGeometry_ = false;
    PlacemarkTexts texts_;
    TimeRange time_;
    std::string style_;
    std::optional<StyleDraft> inlineStyle_;
    bool multiGeometry_ = false;
    // The placemark's geometries, their parts and points, in flat arrays reused from
    // placemark to placemark: a merged route has hundreds of thousands of lines.
    std::vector<Geometry> geometries_;
    std::vector<Run> parts_;
    std::vector<GeoPoint> points_;
    Shape shape_ = Shape::None;
    int polygonDepth_ = 0;
    std::uint32_t partFirst_ = 0;
};

struct ParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using Parser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

constexpr std::string_view kCoordinatesStart = "<coordinates>";
constexpr std::string_view kCoordinatesEnd = "</coordinates>";
constexpr std::string_view kLineStringStart = "<LineString>";
constexpr std::string_view kLineStringEnd = "</LineString>";
// Where "<coordinates>" is only text, up to the terminator.
constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kTextSections = {
    {{"<![CDATA[", "]]>"}, {"<!--", "-->"}}};
// The longest opening the scan looks for, less one: what a chunk's end may cut.
constexpr size_t kLongestCut = kCoordinatesStart.size();
// Text of coordinates longer than this that a chunk cuts is left to the parser.
constexpr size_t kLongestHeldBack = 1 << 20;

constexpr std::array<bool, 256> CoordinateCharacters() {
    std::array<bool, 256> allowed{};
    for (const char c : std::string_view("0123456789.,+-eE \t\r\n")) {
        allowed[static_cast<unsigned char>(c)] = true;
    }
    return allowed;
}
constexpr std::array<bool, 256> kCoordinateCharacters = CoordinateCharacters();

// Feeds the parser chunk by chunk. Coordinates are most of a route's bytes and the parser
// takes far longer over them than reading the numbers does: the plain text of a coordinates
// element (digits, signs, separators and white space, nothing the parser would change) is
// taken out of the stream and handed to the handler when the parser reports the element's
// end, at the very position where it was taken out.
class Feeder {
  public:
    Feeder(const QString& path, Handler& handler)
        : path_(path), handler_(handler), parser_(XML_ParserCreate(nullptr)) {
        XML_SetUserData(parser_.get(), this);
        XML_SetElementHandler(
            parser_.get(),
            [](void* data, const XML_Char* name, const XML_Char** attributes) {
                static_cast<Feeder*>(data)->handler_.Start(name, attributes);
            },
            [](void* data, const XML_Char* name) { static_cast<Feeder*>(data)->End(name); });
        XML_SetCharacterDataHandler(
            parser_.get(), [](void* data, const XML_Char* text, int length) {
                static_cast<Feeder*>(data)->handler_.Characters(text, length);
            });
    }

    void Feed(const char* bytes, size_t size, bool last) {
        if (held_.empty()) {
            FeedScanned(std::string_view(bytes, size), last);
            return;
        }
        held_.append(bytes, size);
        const std::string chunk = std::move(held_);
        held_.clear();
        FeedScanned(chunk, last);
    }

    [[noreturn]] void Fail() const {
        throw CannotOpenFileError(QFile::encodeName(path_).toStdString());
    }

  private:
    // The texts of one or more coordinates elements taken out of the stream (one per line of
    // a multi-geometry, whose line strings hold nothing else), and where the end tag of the
    // last sits in what the parser was given. Kept as a copy: the end tag may reach the
    // parser with the next chunk.
    struct TakenTexts {
        std::string texts;
        std::vector<size_t> ends;
        XML_Index endTag = -1;

        void Add(std::string_view text) {
            texts.append(text);
            ends.push_back(texts.size());
        }
    };

    void End(const XML_Char* name) {
        if (taken_.endTag >= 0 && XML_GetCurrentByteIndex(parser_.get()) == taken_.endTag) {
            taken_.endTag = -1;
            ReplayTaken();
        }
        handler_.End(name);
    }

    // What the parser would have reported for the text taken out, but the last end tag.
    void ReplayTaken() {
        const char* noAttributes[] = {nullptr};
        size_t begin = 0;
        for (size_t i = 0; i < taken_.ends.size(); ++i) {
            if (i > 0) {
                handler_.End("coordinates");
                handler_.End("LineString");
                handler_.Start("LineString", noAttributes);
                handler_.Start("coordinates", noAttributes);
            }
            handler_.Characters(taken_.texts.data() + begin,
                                static_cast<int>(taken_.ends[i] - begin));
            begin = taken_.ends[i];
        }
    }

    // Where the plain text of coordinates from `text` ends.
    static size_t PlainTextEnd(std::string_view chunk, size_t text) {
        while (text < chunk.size() &&
               kCoordinateCharacters[static_cast<unsigned char>(chunk[text])]) {
            ++text;
        }
        return text;
    }

    // After the end tag of coordinates at `end`: the start of the next line's text when the
    // next line string of a multi-geometry follows with nothing but white space between.
    static std::optional<size_t> NextLineText(std::string_view chunk, size_t end) {
        size_t at = end + kCoordinatesEnd.size();
        for (const std::string_view tag : {kLineStringEnd, kLineStringStart, kCoordinatesStart}) {
            while (at < chunk.size() && IsSpace(chunk[at])) {
                ++at;
            }
            if (!chunk.substr(at).starts_with(tag)) {
                return std::nullopt;
            }
            at += tag.size();
        }
        return at;
    }

    // Takes out the text from `text` to `end`, and that of the line strings that follow it.
    size_t Take(std::string_view chunk, size_t text, size_t end) {
        taken_.texts.clear();
        taken_.ends.clear();
        taken_.Add(chunk.substr(text, end - text));
        while (const std::optional<size_t> next = NextLineText(chunk, end)) {
            const size_t nextEnd = PlainTextEnd(chunk, *next);
            if (!chunk.substr(nextEnd).starts_with(kCoordinatesEnd)) {
                break;
            }
            taken_.Add(chunk.substr(*next, nextEnd - *next));
            end = nextEnd;
        }
        taken_.endTag = given_;
        return end;
    }

    void Parse(std::string_view bytes, bool last) {
        if (XML_Parse(parser_.get(), bytes.data(), static_cast<int>(bytes.size()), last ? 1 : 0) !=
            XML_STATUS_OK) {
            Fail();
        }
        given_ += static_cast<XML_Index>(bytes.size());
    }

    // Gives the parser what is left of the chunk from `from`, but its last `cut` bytes, which
    // are looked at again with the next chunk.
    void GiveRest(std::string_view chunk, size_t from, size_t cut, bool last) {
        const size_t keep = last ? 0 : std::min(chunk.size() - from, cut);
        Parse(chunk.substr(from, chunk.size() - from - keep), last);
        held_.assign(chunk.substr(chunk.size() - keep));
    }

    // The next start of coordinates from `at`, or of a CDATA section or comment: then its
    // terminator is kept in `closing_` and `at` moves past its opening.
    size_t NextMarkup(std::string_view chunk, size_t& at) {
        for (size_t open = chunk.find('<', at); open != std::string_view::npos;
             open = chunk.find('<', open + 1)) {
            const std::string_view rest = chunk.substr(open);
            if (rest.starts_with(kCoordinatesStart)) {
                return open;
            }
            for (const auto& [opening, closing] : kTextSections) {
                if (rest.starts_with(opening)) {
                    closing_ = closing;
                    at = open + opening.size();
                    return open;
                }
            }
        }
        return std::string_view::npos;
    }

    // Gives the parser the chunk without the plain text of its coordinates; what may be the
    // start of an element cut by the chunk's end is held back for the next chunk. Text of a
    // CDATA section or a comment is never taken out, whatever it holds.
    void FeedScanned(std::string_view chunk, bool last) {
        size_t from = 0;  // not yet given to the parser
        size_t at = 0;    // where to look for the next coordinates
        for (;;) {
            if (!closing_.empty()) {
                const size_t close = chunk.find(closing_, at);
                if (close == std::string_view::npos) {
                    GiveRest(chunk, from, closing_.size() - 1, last);
                    return;
                }
                at = close + closing_.size();
                closing_ = {};
            }
            const size_t start = NextMarkup(chunk, at);
            if (start == std::string_view::npos) {
                GiveRest(chunk, from, kLongestCut, last);
                return;
            }
            if (!closing_.empty()) {
                continue;
            }
            const size_t text = start + kCoordinatesStart.size();
            const size_t end = PlainTextEnd(chunk, text);
            const std::string_view rest = chunk.substr(end);
            if (rest.starts_with(kCoordinatesEnd)) {
                Parse(chunk.substr(from, text - from), false);
                from = Take(chunk, text, end);
                at = from;
            } else if (!last && kCoordinatesEnd.starts_with(rest) &&
                       chunk.size() - start <= kLongestHeldBack) {
                // The text goes on in the next chunk.
                Parse(chunk.substr(from, start - from), false);
                held_.assign(chunk.substr(start));
                return;
            } else {
                at = end;
            }
        }
    }

    QString path_;
    Handler& handler_;
    Parser parser_;
    std::string held_;
    std::string_view closing_;  // inside a CDATA section or a comment: its terminator
    TakenTexts taken_;
    XML_Index given_ = 0;
};

bool IsKmz(QFile& file) {
    char magic[4] = {};
    const bool zip = file.peek(magic, 4) == 4 && magic[0] == 'P' && magic[1] == 'K' &&
                     magic[2] == 3 && magic[3] == 4;
    return zip;
}

// Reads through `read` (bytes into the buffer; negative on failure, 0 at the end) until the
// end or a stop, reporting the share of `size` read.
using ReadChunk = std::function<std::int64_t(char*, size_t)>;

bool FeedAll(const ReadChunk& read, double size, Feeder& feeder, std::stop_token stop,
             const ReadProgress& progress) {
    size = std::max(1.0, size);
    std::vector<char> chunk(kChunkBytes);
    double done = 0.0;
    for (;;) {
        if (stop.stop_requested()) {
            return false;
        }
        const std::int64_t got = read(chunk.data(), chunk.size());
        if (got < 0) {
            feeder.Fail();
        }
        feeder.Feed(chunk.data(), static_cast<size_t>(got), got == 0);
        if (got == 0) {
            return true;
        }
        done += static_cast<double>(got);
        if (progress) {
            progress(done / size);
        }
    }
}

bool ReadPlain(QFile& file, Feeder& feeder, std::stop_token stop, const ReadProgress& progress) {
    return FeedAll(
        [&file](char* bytes, size_t size) { return file.read(bytes, static_cast<qint64>(size)); },
        static_cast<double>(file.size()), feeder, stop, progress);
}

struct ZipClose {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// The archive's doc.kml, else its first KML file, as the map reads a KMZ.
QImage ArchivedPicture(zip_t* archive, const QString& name) {
    const QByteArray entry = name.toUtf8();
    zip_stat_t stat;
    if (zip_stat(archive, entry.constData(), 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0 ||
        stat.size > kLargestPicture) {
        return {};
    }
    const std::unique_ptr<zip_file_t, ZipFileClose> file(zip_fopen(archive, entry.constData(), 0));
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    if (!file || zip_fread(file.get(), bytes.data(), stat.size) != bytes.size()) {
        return {};
    }
    return QImage::fromData(bytes);
}

bool ReadKmz(const QString& path, Handler& handler, Feeder& feeder, std::stop_token stop,
             const ReadProgress& progress) {
    int error = 0;
    std::unique_ptr<zip_t, ZipClose> archive(
        zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error));
    if (!archive) {
        feeder.Fail();
    }
    handler.SetArchivedPictures(
        [zip = archive.get()](const QString& name) { return ArchivedPicture(zip, name); });
    zip_int64_t entry = zip_name_locate(archive.get(), "doc.kml", ZIP_FL_NOCASE);
    for (zip_int64_t i = 0; entry < 0 && i < zip_get_num_entries(archive.get(), 0); ++i) {
        const std::string_view name(zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0));
        if (name.size() > 4 && (name.ends_with(".kml") || name.ends_with(".KML"))) {
            entry = i;
        }
    }
    zip_stat_t stat;
    if (entry < 0 ||
        zip_stat_index(archive.get(), static_cast<zip_uint64_t>(entry), 0, &stat) != 0) {
        feeder.Fail();
    }
    std::unique_ptr<zip_file_t, ZipFileClose> file(
        zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(entry), 0));
    if (!file) {
        feeder.Fail();
    }
    return FeedAll([&file](char* bytes, size_t size) { return zip_fread(file.get(), bytes, size); },
                   static_cast<double>(stat.size), feeder, stop, progress);
}

int DigitsOf(std::string_view text, size_t at, size_t count, bool& good) {
    int value = 0;
    if (at + count > text.size()) {
        good = false;
        return 0;
    }
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            good = false;
            return 0;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<std::int64_t> ParseKmlTime(std::string_view text) {
    using namespace std::chrono;
    bool good = true;
    const int year = DigitsOf(text, 0, 4, good);
    const bool dashes = text.size() >= 10 && text[4] == '-' && text[7] == '-';
    const int month = DigitsOf(text, 5, 2, good);
    const int day = DigitsOf(text, 8, 2, good);
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    if (!good || !dashes || !date.ok()) {
        return std::nullopt;
    }
    std::int64_t ms = duration_cast<milliseconds>(sys_days(date).time_since_epoch()).count();
    if (text.size() == 10) {
        return ms;
    }
    if (text[10] != 'T' || text.size() < 19 || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const int hour = DigitsOf(text, 11, 2, good);
    const int minute = DigitsOf(text, 14, 2, good);
    const int second = DigitsOf(text, 17, 2, good);
    if (!good || hour > 24 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    ms += ((hour * 60 + minute) * 60 + second) * 1000LL;
    size_t at = 19;
    if (at < text.size() && text[at] == '.') {
        std::int64_t scale = 100;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, scale /= 10) {
            ms += (text[at] - '0') * scale;
        }
    }
    const std::string_view zone = text.substr(at);
    if (zone.empty() || zone == "Z") {
        return ms;
    }
    if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':') {
        return std::nullopt;
    }
    const int offset = (DigitsOf(zone, 1, 2, good) * 60 + DigitsOf(zone, 4, 2, good)) * 60000;
    if (!good) {
        return std::nullopt;
    }
    return zone[0] == '+' ? ms - offset : ms + offset;
}

std::optional<KmlFeatures> ReadKmlFeatures(const QString& path, std::stop_token stop,
                                           const ReadProgress& progress) {
    KmlFeatures::Assembler assembler;
    Handler handler(assembler, QFileInfo(path).absoluteDir());
    Feeder feeder(path, handler);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        feeder.Fail();
    }
    bool finished = false;
    if (IsKmz(file)) {
        file.close();
        finished = ReadKmz(path, handler, feeder, stop, progress);
    } else {
        finished = ReadPlain(file, feeder, stop, progress);
    }
    if (!finished) {
        return std::nullopt;
    }
    return assembler.Finish();
}

}  // namespace orvane
