#include "earth/KmlFeatures.h"

#include <marble/GeoDataContainer.h>
#include <marble/GeoDataDocument.h>
#include <marble/GeoDataIconStyle.h>
#include <marble/GeoDataLabelStyle.h>
#include <marble/GeoDataLineString.h>
#include <marble/GeoDataLineStyle.h>
#include <marble/GeoDataLinearRing.h>
#include <marble/GeoDataMultiGeometry.h>
#include <marble/GeoDataPlacemark.h>
#include <marble/GeoDataPoint.h>
#include <marble/GeoDataPolyStyle.h>
#include <marble/GeoDataPolygon.h>
#include <marble/GeoDataStyle.h>
#include <QColor>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "kml/KmlIcons.h"

namespace orvane {

namespace {

using Marble::GeoDataGeometry;

// Features per block: small enough for a street view to skip nearly all of a long route,
// large enough for a distant view to test few blocks.
constexpr std::uint32_t kBlockFeatures = 64;
constexpr std::uint32_t kBlockPoints = 1024;
// Segments longer than this (radians, about 30 km) are followed along the great circle, so
// that they bend with the globe as the outside globe draws them.
constexpr double kLongestSegment = 0.005;
// Files this small draw fast enough in full detail at every zoom.
constexpr size_t kLevelsFrom = 20000;
// Cell sizes from 2^-26 rad (about 10 cm) to 2^-3 rad; a level is kept when it has at most
// this share of the finer data it replaces.
constexpr int kFinestLevel = 26;
constexpr int kCoarsestLevel = 3;
constexpr double kWorthwhileShare = 0.75;

bool IsDrawable(const GeoDataGeometry& geometry) {
    switch (geometry.geometryId()) {
        case Marble::GeoDataPointId:
        case Marble::GeoDataLineStringId:
        case Marble::GeoDataLinearRingId:
        case Marble::GeoDataPolygonId:
            return true;
        case Marble::GeoDataMultiGeometryId: {
            const auto& multi = static_cast<const Marble::GeoDataMultiGeometry&>(geometry);
            for (int i = 0; i < multi.size(); ++i) {
                if (!IsDrawable(multi.at(i))) {
                    return false;
                }
            }
            return true;
        }
        default:
            return false;
    }
}

// The icon's colours multiplied by the style's colour, as the outside globe tints icons.
QImage Tinted(const QImage& image, QRgb colour) {
    if (image.isNull() || colour == qRgb(255, 255, 255)) {
        return image;
    }
    QImage tinted = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < tinted.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(tinted.scanLine(y));
        for (int x = 0; x < tinted.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(qRed(p) * qRed(colour) / 255, qGreen(p) * qGreen(colour) / 255,
                            qBlue(p) * qBlue(colour) / 255, qAlpha(p) * qAlpha(colour) / 255);
        }
    }
    return tinted;
}

FeatureStyle StyleOf(const Marble::GeoDataPlacemark& placemark, IconPictures* icons) {
    FeatureStyle style;
    const QSharedPointer<const Marble::GeoDataStyle> source = placemark.style();
    if (!source) {
        return style;
    }
    style.line = source->lineStyle().paintedColor().rgba();
    // A line of width 0 would vanish; every feature keeps at least one pixel.
    style.lineWidth = std::max(1.0f, source->lineStyle().width());
    style.fill = source->polyStyle().paintedColor().rgba();
    style.filled = source->polyStyle().fill();
    style.outlined = source->polyStyle().outline();
    style.icon = source->iconStyle().paintedColor().rgba();
    style.iconScale = source->iconStyle().scale() > 0.0f ? source->iconStyle().scale() : 1.0f;
    if (icons != nullptr) {
        const Marble::GeoDataIconStyle& icon = source->iconStyle();
        style.iconImage = icons->For(icon.iconPath(), style.icon, [&] { return icon.icon(); });
    }
    // Names show white on the map, as the outside globe shows them, unless the file gives them
    // a colour of its own (the map's default is black, unreadable on the satellite view).
    const QRgb label = source->labelStyle().paintedColor().rgba();
    style.label = label == qRgb(0, 0, 0) ? qRgb(255, 255, 255) : label;
    return style;
}

GeoPoint PointOf(const Marble::GeoDataCoordinates& coordinates) {
    return {coordinates.longitude(), coordinates.latitude()};
}

struct UnitVector {
    double x, y, z;
};

UnitVector VectorOf(const GeoPoint& p) {
    return {std::cos(p.lat) * std::cos(p.lon), std::cos(p.lat) * std::sin(p.lon), std::sin(p.lat)};
}

GeoPoint PointOf(const UnitVector& v) {
    return {std::atan2(v.y, v.x), std::atan2(v.z, std::hypot(v.x, v.y))};
}

struct CellKey {
    std::int64_t x;
    std::int64_t y;
    // Dots of different folders never merge, so that hiding a folder leaves the others whole.
    std::uint32_t folder = kNoFolder;
    bool operator==(const CellKey&) const = default;
};

CellKey CellOf(const GeoPoint& p, double cellSize) {
    return {static_cast<std::int64_t>(std::floor(p.lon / cellSize)),
            static_cast<std::int64_t>(std::floor(p.lat / cellSize)), kNoFolder};
}

struct CellKeyHash {
    size_t operator()(const CellKey& key) const {
        const size_t x = std::hash<std::int64_t>{}(key.x);
        return x ^ (std::hash<std::int64_t>{}(key.y) + key.folder + 0x9e3779b97f4a7c15ULL +
                    (x << 6) + (x >> 2));
    }
};

bool FitsInCell(const GeoBox& box, double cellSize) {
    if (box.north - box.south > cellSize) {
        return false;
    }
    // Narrower in longitude than a cell: narrower on the ground too, without the cosine.
    const double width = box.east - box.west;
    return width <= cellSize ||
           width * std::cos(std::max(std::abs(box.north), std::abs(box.south))) <= cellSize;
}

// The cells that already hold a dot of one feature. A small table that forgets a cell when
// another takes its slot: a forgotten cell only costs a second dot, never a missing one.
class DotCells {
  public:
    DotCells() : slots_(kSlots) {}

    // True the first time (as far as the table remembers) that the feature puts a dot there.
    bool Take(const CellKey& cell, std::uint32_t feature) {
        Slot& slot = slots_[CellKeyHash{}(cell) & (kSlots - 1)];
        if (slot.feature == feature && slot.cell == cell) {
            return false;
        }
        slot = {cell, feature};
        return true;
    }

  private:
    static constexpr size_t kSlots = 4096;
    struct Slot {
        CellKey cell{};
        std::uint32_t feature = std::numeric_limits<std::uint32_t>::max();
    };
    std::vector<Slot> slots_;
};

// A feature no larger than a cell is drawn as a dot; the cell of its first point holds it.
std::optional<CellKey> DotCellOf(const FeatureLevel& level, const Feature& feature,
                                 double cellSize) {
    if (!FitsInCell(feature.box, cellSize)) {
        return std::nullopt;
    }
    CellKey cell = CellOf(level.points[level.parts[feature.firstPart].first], cellSize);
    cell.folder = feature.folder;
    return cell;
}

void MakeBlocks(FeatureLevel& level) {
    level.partGroups.clear();
    for (size_t p = 0; p < level.parts.size(); ++p) {
        if (p % kPartsPerGroup == 0) {
            level.partGroups.push_back(level.parts[p].box);
        } else {
            level.partGroups.back().Include(level.parts[p].box);
        }
    }
    level.blocks.clear();
    FeatureBlock block;
    std::uint32_t blockPoints = 0;
    for (std::uint32_t i = 0; i < level.features.size(); ++i) {
        const Feature& feature = level.features[i];
        if (block.featureCount == 0) {
            block = {i, 0, feature.box};
            blockPoints = 0;
        }
        block.box.Include(feature.box);
        ++block.featureCount;
        for (std::uint32_t p = 0; p < feature.partCount; ++p) {
            blockPoints += level.parts[feature.firstPart + p].count;
        }
        if (block.featureCount == kBlockFeatures || blockPoints >= kBlockPoints) {
            level.blocks.push_back(block);
            block.featureCount = 0;
        }
    }
    if (block.featureCount > 0) {
        level.blocks.push_back(block);
    }
}

// The parts of a feature of many lines (a merged route) that are no larger than a cell
// become dots, one per cell: they share the feature's colour, and a full drawing shows them
// together. Longer parts keep the points that fall outside the cell of the point kept before.
void SimplifyParts(const FeatureLevel& source, std::uint32_t index, double cellSize,
                   DotCells& dotCells, FeatureLevel& level, Feature& simplified) {
    const Feature& feature = source.features[index];
    simplified.partCount = 0;
    for (std::uint32_t p = feature.firstPart; p < feature.firstPart + feature.partCount; ++p) {
        const FeaturePart& part = source.parts[p];
        FeaturePart kept{static_cast<std::uint32_t>(level.points.size()), 0, part.box};
        if (feature.partCount > 1 && FitsInCell(part.box, cellSize)) {
            const GeoPoint& point = source.points[part.first];
            if (!dotCells.Take(CellOf(point, cellSize), index)) {
                continue;
            }
            level.points.push_back(point);
            level.parts.push_back({kept.first, 1, GeoBox::Of(point)});
            ++simplified.partCount;
            continue;
        }
        CellKey last{};
        for (std::uint32_t k = part.first; k < part.first + part.count; ++k) {
            const CellKey cell = CellOf(source.points[k], cellSize);
            if (kept.count == 0 || !(cell == last)) {
                level.points.push_back(source.points[k]);
                ++kept.count;
                last = cell;
            }
        }
        level.parts.push_back(kept);
        ++simplified.partCount;
    }
}

// The same features for a view where a cell is at most a pixel wide: the points of a part
// that fall in the cell of the point kept before them are left out, and a feature no larger
// than a cell becomes a dot. Of the dots in a cell only the last one is kept, the one that a
// full drawing would leave on top.
FeatureLevel Simplify(const FeatureLevel& source, double cellSize) {
    std::vector<std::optional<CellKey>> oneCell(source.features.size());
    std::unordered_map<CellKey, std::uint32_t, CellKeyHash> lastDot;
    lastDot.reserve(source.features.size());
    for (std::uint32_t i = 0; i < source.features.size(); ++i) {
        oneCell[i] = DotCellOf(source, source.features[i], cellSize);
        if (oneCell[i]) {
            lastDot[*oneCell[i]] = i;
        }
    }

    FeatureLevel level;
    level.cellSize = cellSize;
    // At most the source's size: no copying as the level grows.
    level.points.reserve(source.points.size());
    level.parts.reserve(source.parts.size());
    DotCells dotCells;
    for (std::uint32_t i = 0; i < source.features.size(); ++i) {
        const Feature& feature = source.features[i];
        Feature simplified = feature;
        simplified.firstPart = static_cast<std::uint32_t>(level.parts.size());
        if (oneCell[i]) {
            if (lastDot[*oneCell[i]] != i) {
                continue;
            }
            const std::uint32_t first = source.parts[feature.firstPart].first;
            level.parts.push_back({static_cast<std::uint32_t>(level.points.size()), 1,
                                   GeoBox::Of(source.points[first])});
            level.points.push_back(source.points[first]);
            simplified.partCount = 1;
            level.features.push_back(simplified);
            continue;
        }
        SimplifyParts(source, i, cellSize, dotCells, level, simplified);
        level.features.push_back(simplified);
    }
    MakeBlocks(level);
    return level;
}

// The finest level worth building: cells narrower than twice the usual distance between
// neighbouring points merge too few of them to be worth a level.
int FinestUsefulLevel(const FeatureLevel& full) {
    std::vector<double> gaps;
    const size_t step = std::max<size_t>(1, full.parts.size() / 4096);
    for (size_t p = 0; p < full.parts.size(); p += step) {
        const FeaturePart& part = full.parts[p];
        for (std::uint32_t i = part.first + 1; i < part.first + part.count; ++i) {
            const GeoPoint& a = full.points[i - 1];
            const GeoPoint& b = full.points[i];
            gaps.push_back(std::hypot((b.lon - a.lon) * std::cos(a.lat), b.lat - a.lat));
        }
    }
    if (gaps.empty()) {
        return kCoarsestLevel;
    }
    auto middle = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2);
    std::nth_element(gaps.begin(), middle, gaps.end());
    if (*middle <= 0.0) {
        return kFinestLevel;
    }
    const int level = static_cast<int>(std::floor(std::log2(0.5 / *middle)));
    return std::clamp(level, kCoarsestLevel, kFinestLevel);
}

}  // namespace

void GeoBox::Include(const GeoPoint& point) {
    west = std::min(west, point.lon);
    east = std::max(east, point.lon);
    south = std::min(south, point.lat);
    north = std::max(north, point.lat);
}

void GeoBox::Include(const GeoBox& box) {
    west = std::min(west, box.west);
    east = std::max(east, box.east);
    south = std::min(south, box.south);
    north = std::max(north, box.north);
}

QImage IconPictures::For(const QString& href, QRgb colour, const std::function<QImage()>& other) {
    const QString key = href + '#' + QString::number(colour, 16);
    if (const auto found = pictures_.constFind(key); found != pictures_.cend()) {
        return *found;
    }
    QImage picture;
    if (const std::optional<KmlIcon> own = KmlIconOfHref(href.toStdString())) {
        const std::string png = KmlIconPng(*own);
        picture.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                             static_cast<int>(png.size()), "PNG");
    } else if (!href.isEmpty() && other) {
        picture = other();
    }
    picture = Tinted(picture, colour);
    pictures_.insert(key, picture);
    return picture;
}

std::uint32_t KmlFeatures::Assembler::AddFolder(QString name, std::uint32_t parent) {
    out_.folders_.push_back({std::move(name), parent, {}, false});
    return static_cast<std::uint32_t>(out_.folders_.size() - 1);
}

std::uint32_t KmlFeatures::Assembler::AddStyle(const FeatureStyle& style) {
    if (!out_.styles_.empty() && out_.styles_[lastStyle_] == style) {
        return lastStyle_;
    }
    const auto found = std::find(out_.styles_.begin(), out_.styles_.end(), style);
    if (found != out_.styles_.end()) {
        lastStyle_ = static_cast<std::uint32_t>(found - out_.styles_.begin());
    } else {
        lastStyle_ = static_cast<std::uint32_t>(out_.styles_.size());
        out_.styles_.push_back(style);
    }
    return lastStyle_;
}

void KmlFeatures::Assembler::BeginPlacemark(PlacemarkTexts texts, std::uint32_t style,
                                            std::uint32_t folder, const TimeRange& time) {
    placemark_ = static_cast<std::uint32_t>(out_.placemarks_.size());
    out_.placemarks_.push_back(std::move(texts));
    style_ = style;
    folder_ = folder;
    if (!time.IsAlways() && !timed_) {
        timed_ = true;
        out_.times_.resize(placemark_);
        out_.timeExtent_ = time;
    }
    if (timed_) {
        out_.times_.push_back(time);
        if (!time.IsAlways()) {
            out_.timeExtent_.begin = std::min(out_.timeExtent_.begin, time.begin);
            out_.timeExtent_.end = std::max(out_.timeExtent_.end, time.end);
        }
    }
}

void KmlFeatures::Assembler::BeginGeometry(FeatureKind kind) {
    feature_ = Feature{};
    feature_.kind = kind;
    feature_.style = style_;
    feature_.placemark = placemark_;
    feature_.folder = folder_;
    feature_.firstPart = static_cast<std::uint32_t>(out_.full_.parts.size());
    firstPoint_ = true;
}

// Consecutive lines (or rings) of one placemark are parts of one feature: a merged route of
// hundreds of thousands of lines is a handful of features to simplify, walk and draw.
bool KmlFeatures::Assembler::JoinsLastFeature() const {
    if (out_.full_.features.empty() ||
        (feature_.kind != FeatureKind::Line && feature_.kind != FeatureKind::Ring)) {
        return false;
    }
    const Feature& last = out_.full_.features.back();
    return last.placemark == feature_.placemark && last.kind == feature_.kind &&
           last.firstPart + last.partCount == feature_.firstPart;
}

void KmlFeatures::Assembler::EndGeometry() {
    if (feature_.partCount > 0 && !firstPoint_) {
        if (JoinsLastFeature()) {
            Feature& last = out_.full_.features.back();
            last.partCount += feature_.partCount;
            last.box.Include(feature_.box);
        } else {
            out_.full_.features.push_back(feature_);
        }
        for (std::uint32_t f = feature_.folder; f != kNoFolder; f = out_.folders_[f].parent) {
            FeatureFolder& folder = out_.folders_[f];
            if (folder.hasFeatures) {
                folder.box.Include(feature_.box);
            } else {
                folder.box = feature_.box;
                folder.hasFeatures = true;
            }
        }
    } else {
        out_.full_.parts.resize(feature_.firstPart);
    }
}

void KmlFeatures::Assembler::AddPart(std::span<const GeoPoint> points) {
    FeaturePart part{static_cast<std::uint32_t>(out_.full_.points.size()), 0, {}};
    for (const GeoPoint& point : points) {
        if (part.count > 0) {
            FollowGreatCircle(out_.full_.points.back(), point, part);
        }
        Append(point, part);
    }
    if (part.count > 0) {
        out_.full_.parts.push_back(part);
        ++feature_.partCount;
    }
}

void KmlFeatures::Assembler::Append(const GeoPoint& point, FeaturePart& part) {
    out_.full_.points.push_back(point);
    if (part.count == 0) {
        part.box = GeoBox::Of(point);
    } else {
        part.box.Include(point);
    }
    ++part.count;
    if (firstPoint_) {
        feature_.box = GeoBox::Of(point);
        firstPoint_ = false;
    } else {
        feature_.box.Include(point);
    }
}

void KmlFeatures::Assembler::FollowGreatCircle(const GeoPoint& from, const GeoPoint& to,
                                               FeaturePart& part) {
    // The great-circle distance is at most the sum of the differences: most segments of a
    // route are found short without trigonometry.
    if (std::abs(to.lat - from.lat) + std::abs(to.lon - from.lon) <= kLongestSegment) {
        return;
    }
    const UnitVector a = VectorOf(from);
    const UnitVector b = VectorOf(to);
    const double dot = std::clamp(a.x * b.x + a.y * b.y + a.z * b.z, -1.0, 1.0);
    const double angle = std::acos(dot);
    if (angle <= kLongestSegment || std::sin(angle) < 1e-12) {
        return;
    }
    const int steps = static_cast<int>(std::ceil(angle / kLongestSegment));
    for (int s = 1; s < steps; ++s) {
        const double t = static_cast<double>(s) / steps;
        const double wa = std::sin((1.0 - t) * angle) / std::sin(angle);
        const double wb = std::sin(t * angle) / std::sin(angle);
        Append(PointOf(UnitVector{wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z}),
               part);
    }
}

KmlFeatures KmlFeatures::Assembler::Finish() {
    MakeBlocks(out_.full_);
    if (!out_.full_.features.empty()) {
        out_.extent_ = out_.full_.blocks.front().box;
        for (const FeatureBlock& block : out_.full_.blocks) {
            out_.extent_.Include(block.box);
        }
    }
    out_.BuildLevels();
    return std::move(out_);
}

// Takes a Marble document's placemarks into an assembler.
class KmlFeatures::Builder {
  public:
    void Walk(const Marble::GeoDataContainer& container, std::uint32_t folder) {
        for (const Marble::GeoDataFeature* feature : container.featureList()) {
            if (const auto* placemark = dynamic_cast<const Marble::GeoDataPlacemark*>(feature)) {
                const GeoDataGeometry* geometry = placemark->geometry();
                if (geometry != nullptr && IsDrawable(*geometry)) {
                    // A placemark the file hides stays hidden, as the outside globe starts it.
                    if (placemark->isGloballyVisible()) {
                        assembler_.BeginPlacemark({placemark->name(), placemark->description()},
                                                  StyleIndex(*placemark, *geometry), folder, {});
                        AddGeometry(*geometry);
                    }
                    taken_.push_back(const_cast<Marble::GeoDataPlacemark*>(placemark));
                } else {
                    leftOthers_ = true;
                }
            } else if (const auto* inner = dynamic_cast<const Marble::GeoDataContainer*>(feature)) {
                Walk(*inner, assembler_.AddFolder(inner->name(), folder));
            } else {
                leftOthers_ = true;
            }
        }
    }

    // What the layer draws is hidden from the map's own drawing of what remains.
    void HideTaken() {
        if (leftOthers_) {
            for (Marble::GeoDataPlacemark* placemark : taken_) {
                placemark->setVisible(false);
            }
        }
    }

    KmlFeatures Finish() {
        if (leftOthers_) {
            assembler_.SetLeftOthers();
        }
        return assembler_.Finish();
    }

  private:
    std::uint32_t StyleIndex(const Marble::GeoDataPlacemark& placemark,
                             const GeoDataGeometry& geometry) {
        // Only points show icons: lines and shapes never load one.
        const bool point = geometry.geometryId() == Marble::GeoDataPointId;
        return assembler_.AddStyle(StyleOf(placemark, point ? &icons_ : nullptr));
    }

    void AddGeometry(const GeoDataGeometry& geometry) {
        switch (geometry.geometryId()) {
            case Marble::GeoDataPointId: {
                const GeoPoint point =
                    PointOf(static_cast<const Marble::GeoDataPoint&>(geometry).coordinates());
                assembler_.BeginGeometry(FeatureKind::Point);
                assembler_.AddPart({&point, 1});
                assembler_.EndGeometry();
                break;
            }
            case Marble::GeoDataLineStringId:
                assembler_.BeginGeometry(FeatureKind::Line);
                AddPart(static_cast<const Marble::GeoDataLineString&>(geometry));
                assembler_.EndGeometry();
                break;
            case Marble::GeoDataLinearRingId:
                assembler_.BeginGeometry(FeatureKind::Ring);
                AddPart(static_cast<const Marble::GeoDataLineString&>(geometry));
                assembler_.EndGeometry();
                break;
            case Marble::GeoDataPolygonId: {
                const auto& polygon = static_cast<const Marble::GeoDataPolygon&>(geometry);
                assembler_.BeginGeometry(FeatureKind::Polygon);
                AddPart(polygon.outerBoundary());
                for (const Marble::GeoDataLinearRing& ring : polygon.innerBoundaries()) {
                    AddPart(ring);
                }
                assembler_.EndGeometry();
                break;
            }
            case Marble::GeoDataMultiGeometryId: {
                const auto& multi = static_cast<const Marble::GeoDataMultiGeometry&>(geometry);
                for (int i = 0; i < multi.size(); ++i) {
                    AddGeometry(multi.at(i));
                }
                break;
            }
            default:
                break;
        }
    }

    void AddPart(const Marble::GeoDataLineString& line) {
        points_.clear();
        // Indexed: the line's const iterators fail in this Marble release.
        for (int i = 0; i < line.size(); ++i) {
            points_.push_back(PointOf(line.at(i)));
        }
        assembler_.AddPart(points_);
    }

    Assembler assembler_;
    IconPictures icons_;
    std::vector<Marble::GeoDataPlacemark*> taken_;
    std::vector<GeoPoint> points_;
    bool leftOthers_ = false;
};

KmlFeatures KmlFeatures::FromDocument(Marble::GeoDataDocument& document) {
    Builder builder;
    builder.Walk(document, kNoFolder);
    builder.HideTaken();
    return builder.Finish();
}

void KmlFeatures::BuildLevels() {
    if (full_.Size() < kLevelsFrom) {
        return;
    }
    // The usual line decides: a rare thinner one (a value no grade holds, drawn in the default
    // style) may sit a pixel off its place at a distance, but is still drawn.
    std::vector<float> widths;
    widths.reserve(full_.features.size());
    for (const Feature& feature : full_.features) {
        widths.push_back(styles_[feature.style].lineWidth);
    }
    auto middle = widths.begin() + static_cast<std::ptrdiff_t>(widths.size() / 2);
    std::nth_element(widths.begin(), middle, widths.end());
    cellPixels_ = std::max(1.0, *middle / 2.0);
    // Each level comes from the one before it, which is finer: the cells nest, so merging
    // again gives what merging the full data would.
    levels_.reserve(kFinestLevel - kCoarsestLevel + 1);
    const FeatureLevel* source = &full_;
    size_t replaced = full_.Size();
    for (int k = FinestUsefulLevel(full_); k >= kCoarsestLevel; --k) {
        FeatureLevel level = Simplify(*source, std::ldexp(1.0, -k));
        if (static_cast<double>(level.Size()) <= kWorthwhileShare * static_cast<double>(replaced)) {
            replaced = level.Size();
            level.points.shrink_to_fit();
            level.parts.shrink_to_fit();
            levels_.push_back(std::move(level));
            source = &levels_.back();
        }
    }
}

const FeatureLevel& KmlFeatures::LevelFor(double radiansPerPixel) const {
    for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
        if (level->cellSize <= radiansPerPixel * cellPixels_) {
            return *level;
        }
    }
    return full_;
}

}  // namespace orvane
