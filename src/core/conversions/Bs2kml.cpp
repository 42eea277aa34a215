#include "conversions/Bs2kml.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "kml/Tkmldocument.h"
#include "workbooks/WorksheetSource.h"

namespace orvane {

namespace {

constexpr double kEarthRadiusMetres = 6371008.8;  // mean radius
constexpr double kMetresPerDegree = kEarthRadiusMetres * std::numbers::pi / 180;
// Longitude offsets grow as 1 / cos(latitude); near the poles they stop growing here
// (about 89.4 degrees), so that no coordinate becomes infinite.
constexpr double kSmallestLongitudeCosine = 0.01;
// Distinct (azimuth, width) shapes kept; tables with more draw the rest without keeping them.
constexpr size_t kMaxKeptShapes = 4096;

// A cell text in a description table: markup characters must not reach the balloon's HTML.
void AppendCellText(std::string& out, std::string_view text) {
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
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
}

// The next field of a TAB-joined text, taken front to back. Without a TAB the whole text is
// the field and stays as it is.
std::string_view NextField(std::string_view& text) {
    const size_t tab = text.find('\t');
    if (tab == std::string_view::npos) {
        return text;
    }
    const std::string_view field = text.substr(0, tab);
    text.remove_prefix(tab + 1);
    return field;
}

// The cell texts of columns 1 ... columnCount of a row, each followed by a TAB.
void AppendRowText(std::string& out, const WorksheetSource& source, std::int32_t row) {
    for (std::int32_t column = 1; column <= source.columnCount(); ++column) {
        out += source.CellText(row, column);
        out += '\t';
    }
}

// A beamwidth cell: a whole number of degrees from 1 to 360, else nothing.
std::optional<std::int32_t> BeamwidthOf(std::string_view text) {
    const std::optional<double> value = TryParseNumber(text);
    if (!value || *value != std::floor(*value) || *value < kMinBeamwidth ||
        *value > kMaxBeamwidth) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

class ProgressReporter {
  public:
    ProgressReporter(const ConversionObserver& observer, std::int32_t rowCount)
        : observer_(observer), rowCount_(rowCount) {}

    // Row r of rowCount: r / (rowCount - 1) x 100, truncated and held within 0 ... 100.
    void AtRow(std::int32_t row) {
        const double share = static_cast<double>(row) / (rowCount_ - 1) * 100;
        const int percent = static_cast<int>(std::clamp(share, 0.0, 100.0));
        if (percent != shown_) {
            shown_ = percent;
            observer_.Progress(percent);
        }
    }

  private:
    const ConversionObserver& observer_;
    std::int32_t rowCount_;
    int shown_ = -1;
};

// The rows of the site being collected.
struct SiteGroup {
    std::string rowTexts;                  // every row's text, one after the other
    std::vector<size_t> rowEnds;           // where each row's text ends in rowTexts
    std::string names;                     // site-name texts, each followed by a TAB
    std::string azimuths;                  // azimuth texts, each followed by a TAB
    std::vector<std::int32_t> beamwidths;  // one per row when a beamwidth column is bound
    std::string lonText;
    std::string latText;

    bool empty() const { return rowEnds.empty(); }
    void clear() {
        rowTexts.clear();
        rowEnds.clear();
        names.clear();
        azimuths.clear();
        beamwidths.clear();
    }
};

class BsConverter {
  public:
    BsConverter(const BsConversionRequest& request, const ConversionObserver& observer)
        : request_(request), observer_(observer), source_(*request.source) {
        radiusDegrees_ = request.radiusMetres ? *request.radiusMetres / kMetresPerDegree
                                              : request.sectorRadius * (1.0 / 3600);
    }

    std::int32_t Run() {
        CheckColumns();
        TKMLDocument document;
        document_ = &document;
        document.OpenFile(request_.outPath);
        document.AddBsStyle();
        document.AddOutlineStyles();
        AppendRowText(headerLine_, source_, 1);

        const std::int32_t rowCount = source_.rowCount();
        ProgressReporter progress(observer_, rowCount);
        for (std::int32_t row = WorksheetSource::FirstDataRow; row <= rowCount; ++row) {
            progress.AtRow(row);
            TakeRow(row);
        }
        if (!group_.empty()) {
            FinishGroup();
        }

        document.SaveAndClose();
        if (!document.Saved()) {
            throw CannotCreateFileError(request_.outPath);
        }
        return siteCount_;
    }

  private:
    void CheckColumns() const {
        for (const std::int32_t column : {request_.siteNameColumn, request_.lonColumn,
                                          request_.latColumn, request_.azimuthColumn}) {
            CheckColumn(column);
        }
        if (request_.beamwidthColumn != 0) {
            CheckColumn(request_.beamwidthColumn);
        }
    }

    void CheckColumn(std::int32_t column) const {
        if (column < 1 || column > source_.columnCount()) {
            throw ListIndexError(column);
        }
    }

    void TakeRow(std::int32_t row) {
        const std::string_view name = source_.CellText(row, request_.siteNameColumn);
        const std::string_view lon = source_.CellText(row, request_.lonColumn);
        const std::string_view lat = source_.CellText(row, request_.latColumn);
        const std::string_view azimuth = source_.CellText(row, request_.azimuthColumn);
        if (name.empty() || lon.empty() || lat.empty() || azimuth.empty()) {
            ReportSkipped(row, name, lon, lat, azimuth);
            return;  // a skipped row inside a site does not split it
        }
        if (!group_.empty() && (lon != group_.lonText || lat != group_.latText)) {
            FinishGroup();
        }
        AppendRowText(group_.rowTexts, source_, row);
        group_.rowEnds.push_back(group_.rowTexts.size());
        group_.lonText = lon;
        group_.latText = lat;
        group_.names += name;
        group_.names += '\t';
        group_.azimuths += azimuth;
        group_.azimuths += '\t';
        if (request_.beamwidthColumn != 0) {
            group_.beamwidths.push_back(RowBeamwidth(row));
        }
    }

    std::int32_t RowBeamwidth(std::int32_t row) {
        if (const auto width = BeamwidthOf(source_.CellText(row, request_.beamwidthColumn))) {
            return *width;
        }
        observer_.Info("第" + std::to_string(row) + "行波束宽度 :" + request_.beamwidthEntry +
                       "无有效值!按" + std::to_string(kDefaultBeamwidth) + "度绘制.");
        return kDefaultBeamwidth;
    }

    void ReportSkipped(std::int32_t row, std::string_view name, std::string_view lon,
                       std::string_view lat, std::string_view azimuth) const {
        observer_.Info("第" + std::to_string(row) + "行数据未导入,原因:");
        const auto reason = [this](std::string_view label, const std::string& entry) {
            observer_.Info("  " + std::string(label) + " :" + entry + "无有效值!");
        };
        if (name.empty()) {
            reason("站名", request_.siteNameEntry);
        }
        if (lon.empty()) {
            reason("经度", request_.lonEntry);
        }
        if (lat.empty()) {
            reason("纬度", request_.latEntry);
        }
        if (azimuth.empty()) {
            reason("方向角", request_.azimuthEntry);
        }
    }

    // One table row per worksheet column: the header text, then that column's text of every
    // row of the site. Fields are taken front to back, so a TAB inside a cell shifts the
    // rest of its row by one.
    std::string DescriptionTable() const {
        std::string_view header = headerLine_;
        std::vector<std::string_view> rows;
        rows.reserve(group_.rowEnds.size());
        size_t begin = 0;
        for (const size_t end : group_.rowEnds) {
            rows.push_back(std::string_view(group_.rowTexts).substr(begin, end - begin));
            begin = end;
        }
        std::string table;
        table.reserve(group_.rowTexts.size() * 2 + headerLine_.size() * 2);
        for (std::int32_t column = 1; column <= source_.columnCount(); ++column) {
            table += "<TR><TD>";
            AppendCellText(table, NextField(header));
            table += "</TD>";
            for (std::string_view& row : rows) {
                table += "<TD>";
                AppendCellText(table, NextField(row));
                table += "</TD>";
            }
            table += "</TR>";
        }
        return table;
    }

    void FinishGroup() {
        const std::string lon = FormatNumber(ParseNumber(group_.lonText, 0));
        const std::string lat = FormatNumber(ParseNumber(group_.latText, 0));
        site_.Name = group_.names;
        site_.SectorCount = static_cast<std::int32_t>(group_.rowEnds.size());
        site_.Description = DescriptionTable();
        site_.Coordinates = lon + "," + lat + ",0 ";
        site_.Longitude = ParseNumber(lon, 0);
        site_.Latitude = ParseNumber(lat, 0);
        site_.Azimuths = group_.azimuths;
        document_->AddSiteFolder(
            site_, [this](std::string& ring, std::int32_t sector, std::int32_t azimuth) {
                DrawSector(ring, sector, azimuth);
            });
        ++siteCount_;
        group_.clear();
    }

    void DrawSector(std::string& ring, std::int32_t sector, std::int32_t azimuth) {
        const std::int32_t width = group_.beamwidths.empty()
                                       ? kDefaultBeamwidth
                                       : group_.beamwidths[static_cast<size_t>(sector)];
        double longitudeScale = 1;
        if (request_.radiusMetres) {
            const double cosine = std::abs(std::cos(site_.Latitude * std::numbers::pi / 180));
            longitudeScale = 1 / std::max(cosine, kSmallestLongitudeCosine);
        }
        AppendSectorRing(ring, site_.Longitude, site_.Latitude, ShapeOf(azimuth, width),
                         longitudeScale);
    }

    // The wedges of a table face few directions: each shape is computed once.
    const SectorShape& ShapeOf(std::int32_t azimuth, std::int32_t width) {
        const std::uint64_t key = (std::uint64_t{static_cast<std::uint32_t>(azimuth)} << 32) |
                                  static_cast<std::uint32_t>(width);
        if (const auto found = shapes_.find(key); found != shapes_.end()) {
            return found->second;
        }
        SectorShape shape = MakeSectorShape(azimuth, width, radiusDegrees_);
        if (shapes_.size() >= kMaxKeptShapes) {
            passingShape_ = std::move(shape);
            return passingShape_;
        }
        return shapes_.emplace(key, std::move(shape)).first->second;
    }

    const BsConversionRequest& request_;
    const ConversionObserver& observer_;
    const WorksheetSource& source_;
    TKMLDocument* document_ = nullptr;
    double radiusDegrees_ = 0;
    std::string headerLine_;
    SiteGroup group_;
    TSitePlacemark site_;
    std::int32_t siteCount_ = 0;
    std::unordered_map<std::uint64_t, SectorShape> shapes_;
    SectorShape passingShape_;
};

}  // namespace

std::string BsSummary(std::int32_t siteCount) {
    return "导出完成,共导入" + std::to_string(siteCount) + "行数据.";
}

std::int32_t ConvertBsToKml(const BsConversionRequest& request,
                            const ConversionObserver& observer) {
    if (request.source == nullptr) {
        throw std::invalid_argument("ConvertBsToKml: no worksheet source");
    }
    BsConverter converter(request, observer);
    const std::int32_t sites = converter.Run();
    observer.Progress(0);
    return sites;
}

}  // namespace orvane
