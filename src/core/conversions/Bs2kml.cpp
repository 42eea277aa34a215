#include "conversions/Bs2kml.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>
#include <optional>
#include <span>
#include <stdexcept>
#include <thread>
#include <unordered_map>
#include <vector>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "common/XmlText.h"
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

// The rows of the site being collected.
struct SiteGroup {
    std::string rowTexts;         // every row's text, one after the other
    std::vector<size_t> rowEnds;  // where each row's text ends in rowTexts
    std::string names;            // site-name texts, each followed by a TAB
    std::vector<std::int32_t> azimuths;
    std::vector<std::int32_t> beamwidths;  // one per row when a beamwidth column is bound
    std::vector<std::int32_t> rows;        // the worksheet rows
    std::string lonText;
    std::string latText;

    bool empty() const { return rowEnds.empty(); }
    void clear() {
        rowTexts.clear();
        rowEnds.clear();
        names.clear();
        azimuths.clear();
        beamwidths.clear();
        rows.clear();
    }
};

// A finished site whose wedges are drawn ahead of its folder.
struct PendingSite {
    TSitePlacemark site;
    std::vector<std::int32_t> beamwidths;    // one per sector, or none: 45 degrees
    std::vector<const SectorShape*> shapes;  // one per sector
    std::vector<SectorShape> ownShapes;      // shapes beyond those kept for the whole table
    std::vector<std::string> rings;
    std::vector<std::int32_t> rows;  // one per sector
    double longitudeScale = 1;
};

constexpr std::string_view kSiteFolder = "基站";
constexpr std::string_view kSectorFolder = "扇区";

// The sector's name: its site's name, "-" and the azimuth in degrees, or "全向".
void NameSector(std::string& name, std::string_view site, std::int32_t azimuth) {
    name = site;
    name += '-';
    if (azimuth % 360 == -1) {
        name += "全向";
    } else {
        name += std::to_string(azimuth);
        name += "°";
    }
}

// Draws the wedges of finished sites. Their coordinate texts are most of a conversion's
// work, so a batch of many sites is drawn on two threads; the shapes are looked up first,
// on the calling thread, and only read while drawing.
class WedgePainter {
  public:
    WedgePainter(double radiusDegrees, bool trueShape, int digits)
        : radiusDegrees_(radiusDegrees), trueShape_(trueShape), digits_(digits) {}

    // Looks up the shapes of the site's sectors; the site's rings are emptied, keeping
    // their memory for the next batch.
    void Prepare(PendingSite& pending) {
        const TSitePlacemark& site = pending.site;
        pending.shapes.clear();
        pending.ownShapes.clear();
        pending.longitudeScale = 1;
        if (trueShape_) {
            const double cosine = std::abs(std::cos(site.Latitude * std::numbers::pi / 180));
            pending.longitudeScale = 1 / std::max(cosine, kSmallestLongitudeCosine);
        }
        pending.ownShapes.reserve(site.Azimuths.size());
        for (size_t k = 0; k < site.Azimuths.size(); ++k) {
            const std::int32_t width =
                pending.beamwidths.empty() ? kDefaultBeamwidth : pending.beamwidths[k];
            pending.shapes.push_back(&ShapeOf(site.Azimuths[k], width, pending));
        }
        pending.rings.resize(pending.shapes.size());
        for (std::string& ring : pending.rings) {
            ring.clear();
        }
    }

    void Draw(std::span<PendingSite> sites) const {
        const size_t half = sites.size() / 2;
        if (sites.size() < kParallelSites || std::thread::hardware_concurrency() < 2) {
            DrawRange(sites, 0, sites.size());
            return;
        }
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                DrawRange(sites, half, sites.size());
            } catch (...) {
                failure = std::current_exception();
            }
        });
        try {
            DrawRange(sites, 0, half);
        } catch (...) {
            worker.join();
            throw;
        }
        worker.join();
        if (failure) {
            std::rethrow_exception(failure);
        }
    }

  private:
    static constexpr size_t kParallelSites = 64;

    void DrawRange(std::span<PendingSite> sites, size_t begin, size_t end) const {
        for (size_t i = begin; i < end; ++i) {
            PendingSite& pending = sites[i];
            for (size_t k = 0; k < pending.shapes.size(); ++k) {
                AppendSectorRing(pending.rings[k], pending.site.Longitude, pending.site.Latitude,
                                 *pending.shapes[k], pending.longitudeScale, digits_);
            }
        }
    }

    // The wedges of a table face few directions: each shape is computed once.
    const SectorShape& ShapeOf(std::int32_t azimuth, std::int32_t width, PendingSite& pending) {
        const std::uint64_t key = (std::uint64_t{static_cast<std::uint32_t>(azimuth)} << 32) |
                                  static_cast<std::uint32_t>(width);
        if (const auto found = shapes_.find(key); found != shapes_.end()) {
            return found->second;
        }
        SectorShape shape = MakeSectorShape(azimuth, width, radiusDegrees_);
        if (shapes_.size() >= kMaxKeptShapes) {
            return pending.ownShapes.emplace_back(std::move(shape));
        }
        return shapes_.emplace(key, std::move(shape)).first->second;
    }

    double radiusDegrees_;
    bool trueShape_;
    int digits_;
    std::unordered_map<std::uint64_t, SectorShape> shapes_;
};

class BsConverter {
  public:
    BsConverter(const BsConversionRequest& request, const ConversionObserver& observer)
        : request_(request),
          observer_(observer),
          source_(OpenWorkbookOf(request.source)),
          painter_(request.radiusMetres ? *request.radiusMetres / kMetresPerDegree
                                        : request.sectorRadius * (1.0 / 3600),
                   request.radiusMetres.has_value(), request.digits) {
        pending_.reserve(kSitesPerBatch);  // sites keep pointers into their own shapes
    }

    ConversionSummary Run() {
        CheckColumns();
        observer_.Started();
        TKMLDocument document(request_.layout);
        document_ = &document;
        document.SetCoordinateDigits(request_.digits);
        document.OpenFile(request_.outPath);
        document.AddBsStyle();
        document.AddOutlineStyles();
        AppendRowText(headerLine_, source_, 1);

        const std::int32_t rowCount = source_.rowCount();
        ProgressTicker progress(observer_);
        if (request_.layout == KmlLayout::Standard) {
            WriteLayers(progress);
        } else {
            ReadRows(progress, 0, 100);
            WriteSites();
        }

        SaveOrThrow(document);
        progress.Finish();
        summary_.recordsRead = std::max(rowCount - WorksheetSource::FirstDataRow + 1, 0);
        summary_.outputPath = request_.outPath;
        return summary_;
    }

  private:
    // Every row, with progress from `firstPercent` over `percents`.
    void ReadRows(ProgressTicker& progress, int firstPercent, int percents) {
        const std::int32_t rowCount = source_.rowCount();
        for (std::int32_t row = WorksheetSource::FirstDataRow; row <= rowCount; ++row) {
            const double share = static_cast<double>(row) / static_cast<double>(rowCount - 1);
            progress.AtPercent(firstPercent +
                               static_cast<int>(std::clamp(share, 0.0, 1.0) * percents));
            TakeRow(row);
        }
        if (!group_.empty()) {
            FinishGroup();
        }
    }

    // The standard layout's two layers, each from a pass over the rows: the sites' points,
    // then the sectors' wedges (the rows are reported in the first pass only).
    void WriteLayers(ProgressTicker& progress) {
        siteSchema_ = {"Site", {{"站名", KmlFieldType::String}, {"扇区数", KmlFieldType::Int}}};
        sectorSchema_ = WorksheetSchema(source_, "Sector");
        document_->AddSchema(siteSchema_);
        document_->AddSchema(sectorSchema_);
        document_->BeginFolder(kSiteFolder);
        ReadRows(progress, 0, 50);
        document_->EndFolder();
        sectorPass_ = true;
        document_->BeginFolder(kSectorFolder);
        ReadRows(progress, 50, 50);
        WriteSites();
        document_->EndFolder();
    }

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
            if (!sectorPass_) {
                ReportSkipped(row, name, lon, lat, azimuth);
            }
            return;  // a skipped row inside a site does not split it
        }
        if (!group_.empty() && (lon != group_.lonText || lat != group_.latText)) {
            FinishGroup();
        }
        if (!sectorPass_) {  // the sectors need no balloon
            AppendRowText(group_.rowTexts, source_, row);
        }
        group_.rowEnds.push_back(group_.rowTexts.size());
        group_.lonText = lon;
        group_.latText = lat;
        group_.names += name;
        group_.names += '\t';
        group_.azimuths.push_back(ParseInteger(azimuth));
        group_.rows.push_back(row);
        if (request_.beamwidthColumn != 0) {
            group_.beamwidths.push_back(RowBeamwidth(row));
        }
    }

    std::int32_t RowBeamwidth(std::int32_t row) {
        if (const auto width = BeamwidthOf(source_.CellText(row, request_.beamwidthColumn))) {
            return *width;
        }
        if (sectorPass_) {
            return kDefaultBeamwidth;
        }
        observer_.Info("第" + std::to_string(row) + "行波束宽度 :" + request_.beamwidthEntry +
                       "无有效值!按" + std::to_string(kDefaultBeamwidth) + "度绘制.");
        return kDefaultBeamwidth;
    }

    void ReportSkipped(std::int32_t row, std::string_view name, std::string_view lon,
                       std::string_view lat, std::string_view azimuth) {
        ++summary_.rowsReported;
        ReportEmptyCells(observer_, "第" + std::to_string(row) + "行数据未导入,原因:",
                         {{"站名", name, request_.siteNameEntry},
                          {"经度", lon, request_.lonEntry},
                          {"纬度", lat, request_.latEntry},
                          {"方向角", azimuth, request_.azimuthEntry}});
    }

    // One table row per worksheet column: the header text, then that column's text of every
    // row of the site. Fields are taken front to back, so a TAB inside a cell shifts the
    // rest of its row by one. Cells are text in the balloon's HTML: a cell such as "<5" shows
    // as it stands, and what XML cannot hold becomes U+FFFD.
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
            AppendXmlText(table, NextField(header), XmlQuotes::Escaped);
            table += "</TD>";
            for (std::string_view& row : rows) {
                table += "<TD>";
                AppendXmlText(table, NextField(row), XmlQuotes::Escaped);
                table += "</TD>";
            }
            table += "</TR>";
        }
        return table;
    }

    void FinishGroup() {
        if (request_.layout == KmlLayout::Standard && !sectorPass_) {
            WriteSitePoint();
            return;
        }
        const std::string lon = FormatNumber(ParseNumber(group_.lonText, 0));
        const std::string lat = FormatNumber(ParseNumber(group_.latText, 0));
        if (pendingCount_ == pending_.size()) {
            pending_.emplace_back();
        }
        PendingSite& pending = pending_[pendingCount_++];
        TSitePlacemark& site = pending.site;
        site.Name = group_.names;
        if (!sectorPass_) {
            site.Description = DescriptionTable();
        }
        site.Coordinates = lon + "," + lat + ",0 ";
        site.Longitude = ParseNumber(lon, 0);
        site.Latitude = ParseNumber(lat, 0);
        site.Azimuths = group_.azimuths;
        pending.beamwidths = group_.beamwidths;
        pending.rows = group_.rows;
        painter_.Prepare(pending);
        group_.clear();
        if (pendingCount_ == kSitesPerBatch) {
            WriteSites();
        }
    }

    // The site's point in the standard layout: named once, its name and sector count as data.
    void WriteSitePoint() {
        TSitePlacemark& site = sitePoint_;
        const std::string_view names = group_.names;
        site.Name = names.substr(0, names.find('\t'));
        site.StyleUrl = "#BS_STYLE";
        site.Description = DescriptionTable();
        site.Coordinates.clear();
        AppendCoordinate(site.Coordinates, ParseNumber(group_.lonText, 0),
                         ParseNumber(group_.latText, 0));
        sectorCount_ = std::to_string(group_.rowEnds.size());
        site.Schema = &siteSchema_;
        site.Data = {site.Name, sectorCount_};
        document_->AddPointPlacemark(site);
        ++summary_.featuresWritten;
        group_.clear();
    }

    // The standard layout's sectors: one wedge each, named, with its row as data.
    void WriteSectors(const PendingSite& pending) {
        sector_.Schema = &sectorSchema_;
        for (size_t k = 0; k < pending.rings.size(); ++k) {
            const std::int32_t row = pending.rows[k];
            const std::int32_t azimuth = pending.site.Azimuths[k];
            NameSector(sector_.Name, source_.CellText(row, request_.siteNameColumn), azimuth);
            sector_.StyleUrl = SectorStyleUrl(azimuth);
            sector_.Data.clear();
            for (std::int32_t column = 1; column <= source_.columnCount(); ++column) {
                sector_.Data.push_back(source_.CellText(row, column));
            }
            document_->AddSectorPlacemark(sector_, pending.rings[k]);
        }
    }

    // Draws the wedges of the sites waiting and adds them to the document: each site's folder,
    // or in the standard layout its sectors.
    void WriteSites() {
        const std::span<PendingSite> sites(pending_.data(), pendingCount_);
        painter_.Draw(sites);
        for (PendingSite& pending : sites) {
            if (sectorPass_) {
                WriteSectors(pending);
                continue;
            }
            document_->AddSiteFolder(pending.site, pending.rings);
            ++summary_.featuresWritten;
        }
        pendingCount_ = 0;  // the sites' memory serves the next batch
    }

    static constexpr size_t kSitesPerBatch = 512;

    const BsConversionRequest& request_;
    const ConversionObserver& observer_;
    const WorksheetSource& source_;
    TKMLDocument* document_ = nullptr;
    WedgePainter painter_;
    std::string headerLine_;
    SiteGroup group_;
    std::vector<PendingSite> pending_;
    size_t pendingCount_ = 0;
    ConversionSummary summary_;
    // The standard layout's.
    bool sectorPass_ = false;
    KmlSchema siteSchema_;
    KmlSchema sectorSchema_;
    TSitePlacemark sitePoint_;
    std::string sectorCount_;
    TPlacemark sector_;
};

}  // namespace

ConversionSummary ConvertBsToKml(const BsConversionRequest& request,
                                 const ConversionObserver& observer) {
    return BsConverter(request, observer).Run();
}

}  // namespace orvane
