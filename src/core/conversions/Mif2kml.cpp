#include "conversions/Mif2kml.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "common/TextFile.h"
#include "conversions/MidFile.h"
#include "kml/Tkmldocument.h"
#include "legend/ThematicLegend.h"

namespace orvane {

namespace {

constexpr std::string_view kRegionName = "Region";

// Passes the lines before the "Data" line and the line itself, reading the table's columns
// from them; throws when there is none.
MifHeader ReadToDataSection(LineCursor& lines) {
    MifHeaderReader header;
    for (std::string_view line = lines.NextOrThrow(); Trim(line) != "Data";
         line = lines.NextOrThrow()) {
        header.Take(line);
    }
    return header.header();
}

// The vertices of one polygon: `count` lines of x and y, copied as they stand.
void ReadPolygon(LineCursor& lines, std::int32_t count, std::string& out) {
    out.clear();
    for (std::int32_t k = 0; k < count; ++k) {
        std::string_view rest = lines.NextOrThrow();
        const std::string_view x = CutTrimmedToken(rest, ' ');
        const std::string_view y = CutTrimmedToken(rest, ' ');
        out += x;
        out += ',';
        out += y;
        out += ",0 ";
    }
}

// A ring's vertices as numbers (a text that is no number counts as 0), with its bounds.
struct RingShape {
    std::vector<std::pair<double, double>> points;
    double minX = std::numeric_limits<double>::max();
    double minY = std::numeric_limits<double>::max();
    double maxX = std::numeric_limits<double>::lowest();
    double maxY = std::numeric_limits<double>::lowest();
};

RingShape ShapeOf(std::string_view coordinates) {
    RingShape shape;
    while (!coordinates.empty()) {
        std::string_view tuple = Trim(CutToken(coordinates, ' '));
        if (tuple.empty()) {
            continue;
        }
        const double x = TryParseNumber(CutToken(tuple, ',')).value_or(0);
        const double y = TryParseNumber(CutToken(tuple, ',')).value_or(0);
        shape.points.emplace_back(x, y);
        shape.minX = std::min(shape.minX, x);
        shape.maxX = std::max(shape.maxX, x);
        shape.minY = std::min(shape.minY, y);
        shape.maxY = std::max(shape.maxY, y);
    }
    return shape;
}

// Whether the point lies inside the ring (crossings of a ray to the right).
bool Contains(const RingShape& ring, std::pair<double, double> point) {
    const auto [x, y] = point;
    if (x < ring.minX || x > ring.maxX || y < ring.minY || y > ring.maxY) {
        return false;
    }
    bool inside = false;
    const auto& p = ring.points;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].second > y) != (p[j].second > y) &&
            x < (p[j].first - p[i].first) * (y - p[i].second) / (p[j].second - p[i].second) +
                    p[i].first) {
            inside = !inside;
        }
    }
    return inside;
}

// The rings of one region as polygons with holes: a ring inside an odd number of the other
// rings is a hole of the innermost ring around it; the others are outer rings.
std::vector<TRingPolygon> NestRings(const std::vector<std::string>& rings, size_t count) {
    std::vector<TRingPolygon> polygons;
    if (count == 1) {
        polygons.push_back({rings[0], {}});
        return polygons;
    }
    std::vector<RingShape> shapes;
    shapes.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        shapes.push_back(ShapeOf(rings[i]));
    }
    std::vector<int> depth(count, 0);
    std::vector<std::vector<size_t>> around(count);
    for (size_t i = 0; i < count; ++i) {
        for (size_t j = 0; j < count; ++j) {
            if (i != j && !shapes[i].points.empty() && shapes[j].points.size() >= 3 &&
                Contains(shapes[j], shapes[i].points.front())) {
                ++depth[i];
                around[i].push_back(j);
            }
        }
    }
    std::vector<size_t> polygonOf(count, count);
    for (size_t i = 0; i < count; ++i) {
        if (depth[i] % 2 == 0) {
            polygonOf[i] = polygons.size();
            polygons.push_back({rings[i], {}});
        }
    }
    // A hole belongs to the deepest outer ring around it; rings that cross each other may
    // leave none, and such a ring is a polygon of its own.
    for (size_t i = 0; i < count; ++i) {
        if (depth[i] % 2 == 0) {
            continue;
        }
        size_t parent = count;
        for (const size_t j : around[i]) {
            if (depth[j] % 2 == 0 && (parent == count || depth[j] > depth[parent])) {
                parent = j;
            }
        }
        if (parent == count) {
            polygons.push_back({rings[i], {}});
        } else {
            polygons[polygonOf[parent]].Holes.push_back(rings[i]);
        }
    }
    return polygons;
}

// The regions of the standard layout: one placemark each, with the object's .mid row.
class RegionWriter {
  public:
    RegionWriter(const MifConversionRequest& request, const MifHeader& header,
                 TKMLDocument& document, const ConversionObserver& observer)
        : request_(request), header_(header), document_(document), observer_(observer) {
        region_.StyleUrl = "#OUTLINE_RED";
        nameColumn_ = NameColumn();
        if (header.columns.empty()) {
            return;
        }
        const auto mid = MidPathBeside(request.mifPath);
        if (!mid) {
            std::filesystem::path expected(request.mifPath);
            observer.Info("没有找到" + expected.replace_extension(".mid").string() +
                          ",对象没有属性,名称为Region.");
            return;
        }
        midPath_ = *mid;
        rows_.emplace(*mid, header.delimiter);
        schema_.Id = "MifObject";
        for (const MifColumn& column : header.columns) {
            schema_.Fields.push_back({column.name, column.type});
        }
        document.AddSchema(schema_);
    }

    // A line that starts an object takes the next .mid row (parts of a collection do not).
    void AtObject(std::string_view keyword, std::string_view rest) {
        if (partsLeft_ > 0) {
            --partsLeft_;
            return;
        }
        if (CompareIgnoringCase(keyword, "Collection") == 0) {
            partsLeft_ = std::max(TryParseInteger(Trim(rest)).value_or(0), 0);
        }
        ++objects_;
        haveRow_ = rows_ && rows_->Next(fields_);
        if (rows_ && !haveRow_ && rowsRead_ == objects_ - 1) {
            observer_.Info(midPath_ + "只有" + std::to_string(rowsRead_) + "行数据,第" +
                           std::to_string(objects_) + "个对象起没有属性,名称为Region.");
        }
        rowsRead_ += haveRow_ ? 1 : 0;
    }

    // Reads the region's polygons after its "Region N" line and writes it.
    void Region(LineCursor& lines, std::int32_t polygonCount) {
        size_t count = 0;
        for (std::int32_t polygon = 0; polygon < polygonCount; ++polygon) {
            const std::int32_t pointCount = ParseInteger(lines.NextOrThrow());
            if (count == rings_.size()) {
                rings_.emplace_back();
            }
            ReadPolygon(lines, pointCount, rings_[count++]);
        }
        if (count == 0) {
            return;
        }
        region_.Polygons = NestRings(rings_, count);
        region_.Name = kRegionName;
        region_.Schema = nullptr;
        region_.Data.clear();
        if (haveRow_ && !schema_.Fields.empty()) {
            region_.Schema = &schema_;
            region_.Data.assign(fields_.begin(), fields_.end());
            if (nameColumn_ < fields_.size() && !fields_[nameColumn_].empty()) {
                region_.Name = fields_[nameColumn_];
            }
        }
        document_.AddRegionPlacemark(region_);
        ++written_;
    }

    std::int64_t written() const { return written_; }

  private:
    // The column that names the regions; past the columns when none does.
    size_t NameColumn() const {
        const auto& columns = header_.columns;
        if (request_.nameColumn.empty()) {
            return DefaultNameColumn(columns);
        }
        for (const bool exact : {true, false}) {
            for (size_t i = 0; i < columns.size(); ++i) {
                if (exact ? columns[i].name == request_.nameColumn
                          : CompareIgnoringCase(columns[i].name, request_.nameColumn) == 0) {
                    return i;
                }
            }
        }
        throw Error("The MIF file has no column \"" + request_.nameColumn + "\"");
    }

    const MifConversionRequest& request_;
    const MifHeader& header_;
    TKMLDocument& document_;
    const ConversionObserver& observer_;
    KmlSchema schema_;
    size_t nameColumn_ = 0;
    std::string midPath_;
    std::optional<MidRows> rows_;
    std::vector<std::string> fields_;
    bool haveRow_ = false;
    std::int64_t objects_ = 0;
    std::int64_t rowsRead_ = 0;
    std::int32_t partsLeft_ = 0;
    std::vector<std::string> rings_;
    TRegionPlacemark region_;
    std::int64_t written_ = 0;
};

}  // namespace

ConversionSummary ConvertMifToKml(const MifConversionRequest& request,
                                  const ConversionObserver& observer) {
    LineCursor lines = LineCursor::OfFile(request.mifPath);
    observer.Started();
    TKMLDocument document(request.layout);
    document.SetCoordinateDigits(request.digits);
    TPolygonPlacemark placemark;
    placemark.Name = "Region";
    placemark.StyleUrl = "#OUTLINE_RED";
    document.OpenFile(request.outPath);
    document.AddOutlineStyles();

    // The file is read line by line once; an object cut short meets the end of the file.
    // Every line after "Data" is looked at, so a region right after it, or right after a
    // region without its optional pen, brush and centre lines, is not lost.
    const MifHeader header = ReadToDataSection(lines);
    std::optional<RegionWriter> regions;
    if (request.layout == KmlLayout::Standard) {
        regions.emplace(request, header, document, observer);
    }
    ProgressTicker progress(observer);
    ConversionSummary summary{.outputPath = request.outPath};
    while (const auto line = lines.Next()) {
        std::string_view rest = *line;
        const std::string_view keyword = CutTrimmedToken(rest, ' ');
        if (regions && IsMifObjectKeyword(keyword)) {
            regions->AtObject(keyword, rest);
        }
        if (keyword != "Region") {
            continue;
        }
        const std::int32_t polygonCount = ParseInteger(CutTrimmedToken(rest, ' '));
        ++summary.recordsRead;
        if (regions) {
            regions->Region(lines, polygonCount);
            progress.AtPercent(lines.Percent());
            continue;
        }
        for (std::int32_t polygon = 0; polygon < polygonCount; ++polygon) {
            const std::int32_t pointCount = ParseInteger(lines.NextOrThrow());
            ReadPolygon(lines, pointCount, placemark.Coordinates);
            document.AddPolygonPlacemark(placemark);
            ++summary.featuresWritten;
        }
        progress.AtPercent(lines.Percent());
    }
    if (regions) {
        summary.featuresWritten = regions->written();
    }
    SaveOrThrow(document);
    progress.Finish();
    return summary;
}

}  // namespace orvane
