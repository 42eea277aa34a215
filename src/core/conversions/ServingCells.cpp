#include "conversions/ServingCells.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/CsvText.h"
#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "workbooks/WorksheetSource.h"

namespace orvane {

namespace {

constexpr double kRadians = std::numbers::pi / 180;
constexpr double kMetresPerDegree = 6371008.8 * kRadians;  // on a sphere of the mean radius
constexpr size_t kShownUnmatchedKeys = 5;
constexpr std::string_view kKeySeparator = "\t";

// Digits with an optional sign, nothing else.
bool IsWholeNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void AppendKeyPart(std::string& key, std::string_view text) {
    text = Trim(text);
    if (!IsWholeNumber(text)) {
        key += text;
        return;
    }
    const bool negative = text.front() == '-';
    if (text.front() == '+' || negative) {
        text.remove_prefix(1);
    }
    const size_t significant = text.find_first_not_of('0');
    if (significant == std::string_view::npos) {
        key += '0';  // "-0" is 0
        return;
    }
    if (negative) {
        key += '-';
    }
    key += text.substr(significant);
}

bool AllEmpty(std::span<const std::string_view> texts) {
    return std::all_of(texts.begin(), texts.end(),
                       [](std::string_view text) { return Trim(text).empty(); });
}

// The difference of two directions, 0 … 180 degrees.
double AngleBetween(double a, double b) {
    const double difference = std::fmod(std::abs(a - b), 360.0);
    return difference > 180 ? 360 - difference : difference;
}

std::string Tenths(double value) {
    return FormatNumber(std::round(value * 10) / 10);
}

std::string_view VerdictOf(std::int64_t samples, std::int64_t outOfBeam,
                           std::int64_t overshooting) {
    if (samples < kMinJudgedSamples) {
        return {};
    }
    if (outOfBeam * 100 >= kCrossedFeederPercent * samples) {
        return kCrossedFeederVerdict;
    }
    if (overshooting * 100 >= kOvershootingPercent * samples) {
        return kOvershootingVerdict;
    }
    return {};
}

double Median(std::vector<float> values) {
    if (values.empty()) {
        return 0;
    }
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) {
        return upper;
    }
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
    return (lower + upper) / 2;
}

}  // namespace

std::string CellKeyOf(std::span<const std::string_view> texts) {
    std::string key;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            key += kKeySeparator;
        }
        AppendKeyPart(key, texts[i]);
    }
    return key;
}

std::string CellKeyText(std::span<const std::string_view> texts) {
    std::string text;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            text += '/';
        }
        text += Trim(texts[i]);
    }
    return text;
}

namespace {

// LocalDistance with the cosine of the first point's latitude.
double PlaneMetres(double longitude1, double latitude1, double cosine, double longitude2,
                   double latitude2) {
    const double east = (longitude2 - longitude1) * cosine;
    const double north = latitude2 - latitude1;
    return std::sqrt(east * east + north * north) * kMetresPerDegree;
}

}  // namespace

double LocalDistance(double longitude1, double latitude1, double longitude2, double latitude2) {
    return PlaneMetres(longitude1, latitude1, std::cos(latitude1 * kRadians), longitude2,
                       latitude2);
}

double Bearing(double longitude1, double latitude1, double longitude2, double latitude2) {
    const double p1 = latitude1 * kRadians;
    const double p2 = latitude2 * kRadians;
    const double dl = (longitude2 - longitude1) * kRadians;
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    const double degrees = std::atan2(y, x) / kRadians;
    return degrees < 0 ? degrees + 360 : degrees;
}

// ---- The sites in a grid -----------------------------------------------------------------

// Sites bucketed in cells of about two sites each, square on the ground at the table's middle
// latitude. A search walks rings of cells outwards from the point's cell and stops once the
// next ring lies wholly beyond the distance asked about.
class CellTable::SiteGrid {
  public:
    explicit SiteGrid(std::vector<std::pair<double, double>> sites) : sites_(std::move(sites)) {
        double west = sites_.front().first;
        double east = west;
        double south = sites_.front().second;
        double north = south;
        for (const auto& [longitude, latitude] : sites_) {
            west = std::min(west, longitude);
            east = std::max(east, longitude);
            south = std::min(south, latitude);
            north = std::max(north, latitude);
        }
        const double scale = std::max(std::cos((south + north) / 2 * kRadians), 0.01);
        const double width = (east - west) * scale;
        const double height = north - south;
        const double cells = std::max(1.0, static_cast<double>(sites_.size()) / 2);
        // A table along a line, or of one place, still gets cells of a sensible size.
        const double side =
            std::max({std::sqrt(width * height / cells), std::max(width, height) / cells, 1e-6});
        west_ = west;
        south_ = south;
        cellHeight_ = side;
        cellWidth_ = side / scale;
        columns_ = static_cast<std::int64_t>((east - west) / cellWidth_) + 1;
        rows_ = static_cast<std::int64_t>((north - south) / cellHeight_) + 1;
        Bucket();
    }

    size_t size() const { return sites_.size(); }

    int CountCloser(double longitude, double latitude, double scale, double metres,
                    int enough) const {
        const double limit = metres / kMetresPerDegree;
        const double limitSquared = limit * limit;
        // A site r + 1 cells away in either direction lies more than r cells away.
        const double ringStep = std::min(cellWidth_ * scale, cellHeight_);
        const std::int64_t column = ColumnOf(longitude);
        const std::int64_t row = RowOf(latitude);
        const std::int64_t lastRing =
            std::max({column, columns_ - 1 - column, row, rows_ - 1 - row, std::int64_t{0}});
        int count = 0;
        for (std::int64_t ring = 0; ring <= lastRing; ++ring) {
            if (ring > 0 && static_cast<double>(ring - 1) * ringStep >= limit) {
                break;
            }
            const auto countCell = [&](std::int64_t c, std::int64_t r) {
                if (c < 0 || c >= columns_ || r < 0 || r >= rows_) {
                    return;
                }
                const size_t cell = static_cast<size_t>(r * columns_ + c);
                for (std::int32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
                    const auto& [x, y] = sites_[static_cast<size_t>(siteOrder_[k])];
                    const double east = (x - longitude) * scale;
                    const double north = y - latitude;
                    if (east * east + north * north < limitSquared) {
                        ++count;
                    }
                }
            };
            for (std::int64_t r = row - ring; r <= row + ring && count < enough; ++r) {
                if (r == row - ring || r == row + ring) {
                    for (std::int64_t c = column - ring; c <= column + ring; ++c) {
                        countCell(c, r);
                    }
                } else {
                    countCell(column - ring, r);
                    countCell(column + ring, r);
                }
            }
            if (count >= enough) {
                return enough;
            }
        }
        return count;
    }

  private:
    std::int64_t ColumnOf(double longitude) const {
        return static_cast<std::int64_t>(std::floor((longitude - west_) / cellWidth_));
    }
    std::int64_t RowOf(double latitude) const {
        return static_cast<std::int64_t>(std::floor((latitude - south_) / cellHeight_));
    }

    void Bucket() {
        const auto cellCount = static_cast<size_t>(columns_ * rows_);
        cellStart_.assign(cellCount + 1, 0);
        std::vector<size_t> cellOf(sites_.size());
        for (size_t i = 0; i < sites_.size(); ++i) {
            cellOf[i] =
                static_cast<size_t>(RowOf(sites_[i].second) * columns_ + ColumnOf(sites_[i].first));
            ++cellStart_[cellOf[i] + 1];
        }
        for (size_t cell = 0; cell < cellCount; ++cell) {
            cellStart_[cell + 1] += cellStart_[cell];
        }
        siteOrder_.resize(sites_.size());
        std::vector<std::int32_t> next(cellStart_.begin(), cellStart_.end() - 1);
        for (size_t i = 0; i < sites_.size(); ++i) {
            siteOrder_[static_cast<size_t>(next[cellOf[i]]++)] = static_cast<std::int32_t>(i);
        }
    }

    std::vector<std::pair<double, double>> sites_;  // longitude, latitude
    double west_ = 0;
    double south_ = 0;
    double cellWidth_ = 1;  // degrees of longitude
    double cellHeight_ = 1;
    std::int64_t columns_ = 1;
    std::int64_t rows_ = 1;
    std::vector<std::int32_t> cellStart_;  // sites of cell c: siteOrder_[start[c] … start[c+1])
    std::vector<std::int32_t> siteOrder_;
};

// ---- The table ---------------------------------------------------------------------------

CellTable::CellTable(std::vector<CellSector> sectors) : sectors_(std::move(sectors)) {
    std::unordered_map<std::string, std::int32_t> siteOf;
    std::vector<std::pair<double, double>> sites;
    byKey_.reserve(sectors_.size());
    for (size_t i = 0; i < sectors_.size(); ++i) {
        CellSector& sector = sectors_[i];
        std::string position = FormatNumber(sector.longitude) + ',' + FormatNumber(sector.latitude);
        const auto [site, added] =
            siteOf.try_emplace(std::move(position), static_cast<std::int32_t>(sites.size()));
        if (added) {
            sites.emplace_back(sector.longitude, sector.latitude);
        }
        sector.siteIndex = site->second;
        if (!byKey_.try_emplace(sector.key, static_cast<std::int32_t>(i)).second) {
            ++duplicateKeys_;
        }
    }
    if (!sites.empty()) {
        grid_ = std::make_unique<SiteGrid>(std::move(sites));
    }
}

CellTable::~CellTable() = default;
CellTable::CellTable(CellTable&&) noexcept = default;
CellTable& CellTable::operator=(CellTable&&) noexcept = default;

size_t CellTable::SiteCount() const {
    return grid_ ? grid_->size() : 0;
}

const CellSector* CellTable::Find(const std::string& key) const {
    const auto found = byKey_.find(key);
    return found == byKey_.end() ? nullptr : &sectors_[static_cast<size_t>(found->second)];
}

int CellTable::CountSitesCloser(double longitude, double latitude, double metres,
                                int enough) const {
    return CountSitesCloser(longitude, latitude, std::cos(latitude * kRadians), metres, enough);
}

int CellTable::CountSitesCloser(double longitude, double latitude, double cosine, double metres,
                                int enough) const {
    return grid_ ? grid_->CountCloser(longitude, latitude, cosine, metres, enough) : 0;
}

namespace {

void CheckColumn(const WorksheetSource& source, std::int32_t column) {
    if (column < 1 || column > source.columnCount()) {
        throw ListIndexError(column);
    }
}

// A sector from a row, or nothing for a row that cannot serve.
std::optional<CellSector> SectorOfRow(const WorksheetSource& source,
                                      const CellTableColumns& columns, std::int32_t row) {
    std::vector<std::string_view> keys;
    for (const std::int32_t column : columns.keys) {
        keys.push_back(source.CellText(row, column));
    }
    const auto longitude = TryParseNumber(source.CellText(row, columns.longitude));
    const auto latitude = TryParseNumber(source.CellText(row, columns.latitude));
    const std::string_view azimuthText = Trim(source.CellText(row, columns.azimuth));
    const auto azimuth =
        azimuthText.empty() ? std::optional<double>(-1) : TryParseNumber(azimuthText);
    if (std::any_of(keys.begin(), keys.end(), [](auto key) { return Trim(key).empty(); }) ||
        !longitude || !latitude || !azimuth) {
        return std::nullopt;
    }
    CellSector sector;
    sector.key = CellKeyOf(keys);
    sector.keyText = CellKeyText(keys);
    sector.site = Trim(source.CellText(row, columns.site));
    sector.longitudeText = source.CellText(row, columns.longitude);
    sector.latitudeText = source.CellText(row, columns.latitude);
    sector.longitude = *longitude;
    sector.latitude = *latitude;
    if (*azimuth != -1) {
        sector.azimuth = *azimuth;
    }
    if (columns.beamwidth != 0) {
        const auto width = TryParseNumber(source.CellText(row, columns.beamwidth));
        if (width && *width >= 1 && *width <= 360) {
            sector.beamwidth = *width;
        }
    }
    return sector;
}

}  // namespace

CellTable CellTable::Read(const WorksheetSource& source, const CellTableColumns& columns) {
    for (const std::int32_t column :
         {columns.site, columns.longitude, columns.latitude, columns.azimuth}) {
        CheckColumn(source, column);
    }
    for (const std::int32_t column : columns.keys) {
        CheckColumn(source, column);
    }
    if (columns.beamwidth != 0) {
        CheckColumn(source, columns.beamwidth);
    }
    std::vector<CellSector> sectors;
    std::int64_t leftOut = 0;
    for (std::int32_t row = WorksheetSource::FirstDataRow; row <= source.rowCount(); ++row) {
        if (auto sector = SectorOfRow(source, columns, row)) {
            sectors.push_back(std::move(*sector));
        } else {
            ++leftOut;
        }
    }
    if (sectors.empty()) {
        throw Error("The cell table " + source.path() +
                    " has no row with a cell key, a longitude, a latitude and an azimuth");
    }
    CellTable table(std::move(sectors));
    table.rowsLeftOut_ = leftOut;
    return table;
}

// ---- The analysis ------------------------------------------------------------------------

ServingCellAnalysis::ServingCellAnalysis(const CellTable& cells, double spacing, int overshootRank)
    : cells_(cells),
      spacing_(spacing),
      overshootRank_(overshootRank),
      totals_(cells.sectors().size()) {}

ServingSample ServingCellAnalysis::Add(std::span<const std::string_view> keyTexts, double longitude,
                                       double latitude, std::string_view theme) {
    ++samples_;
    ServingSample sample;
    if (!AllEmpty(keyTexts)) {
        keyScratch_ = CellKeyOf(keyTexts);
        if (!looked_ || keyScratch_ != lastKey_) {
            lastCell_ = cells_.Find(keyScratch_);
            lastKey_.swap(keyScratch_);
            looked_ = true;
        }
        sample.cell = lastCell_;
        if (sample.cell == nullptr) {
            NoteUnmatched(keyTexts);
        }
    }
    const double cosine = std::cos(latitude * kRadians);
    if (sample.cell != nullptr) {
        Check(sample, longitude, latitude, cosine);
        Count(sample, theme);
    }
    Thin(sample, longitude, latitude, cosine);
    return sample;
}

void ServingCellAnalysis::Check(ServingSample& sample, double longitude, double latitude,
                                double cosine) const {
    const CellSector& cell = *sample.cell;
    sample.distance = GeoDistance(cell.longitude, cell.latitude, longitude, latitude);
    if (sample.distance > 0) {
        sample.bearing = Bearing(cell.longitude, cell.latitude, longitude, latitude);
        sample.outOfBeam = cell.azimuth && AngleBetween(sample.bearing, *cell.azimuth) >
                                               cell.beamwidth / 2 + kBeamTolerance;
    }
    // Farther than the rank-th nearest site: at least `rank` sites lie closer.
    const double served = PlaneMetres(longitude, latitude, cosine, cell.longitude, cell.latitude);
    sample.overshooting = cells_.CountSitesCloser(longitude, latitude, cosine, served,
                                                  overshootRank_) >= overshootRank_;
}

void ServingCellAnalysis::Count(const ServingSample& sample, std::string_view theme) {
    const auto sector = static_cast<size_t>(sample.cell - cells_.sectors().data());
    CellTotals& totals = totals_[sector];
    if (totals.samples++ == 0) {
        appearance_.push_back(static_cast<std::int32_t>(sector));
    }
    totals.outOfBeam += sample.outOfBeam ? 1 : 0;
    totals.overshooting += sample.overshooting ? 1 : 0;
    totals.distances.push_back(static_cast<float>(sample.distance));
    if (const auto value = TryParseNumber(theme)) {
        totals.themeMinimum =
            totals.themeNumbers == 0 ? *value : std::min(totals.themeMinimum, *value);
        totals.themeMaximum =
            totals.themeNumbers == 0 ? *value : std::max(totals.themeMaximum, *value);
        totals.themeSum += *value;
        ++totals.themeNumbers;
    }
}

void ServingCellAnalysis::Thin(ServingSample& sample, double longitude, double latitude,
                               double cosine) {
    if (previousPosition_) {
        sinceLastLine_ += PlaneMetres(longitude, latitude, cosine, previousPosition_->first,
                                      previousPosition_->second);
    }
    previousPosition_.emplace(longitude, latitude);
    if (sample.cell == nullptr) {
        return;
    }
    sample.line = sample.cell != previousCell_ || sinceLastLine_ >= spacing_;
    previousCell_ = sample.cell;
    if (sample.line) {
        sinceLastLine_ = 0;
    }
}

void ServingCellAnalysis::NoteUnmatched(std::span<const std::string_view> keyTexts) {
    ++unmatchedSamples_;
    const std::string text = CellKeyText(keyTexts);
    if (std::find(unmatchedKeys_.begin(), unmatchedKeys_.end(), text) != unmatchedKeys_.end()) {
        return;
    }
    if (unmatchedKeys_.size() < kShownUnmatchedKeys) {
        unmatchedKeys_.push_back(text);
    } else {
        moreUnmatchedKeys_ = true;
    }
}

ServingCellReport ServingCellAnalysis::Report() const {
    ServingCellReport report;
    report.samples = samples_;
    report.unmatchedSamples = unmatchedSamples_;
    report.unmatchedKeys = unmatchedKeys_;
    report.moreUnmatchedKeys = moreUnmatchedKeys_;
    for (const std::int32_t sector : appearance_) {
        const CellTotals& totals = totals_[static_cast<size_t>(sector)];
        ServingCellRow row;
        row.cell = &cells_.sectors()[static_cast<size_t>(sector)];
        row.samples = totals.samples;
        row.sharePercent = 100.0 * static_cast<double>(totals.samples) / samples_;
        if (totals.themeNumbers > 0) {
            row.themeMinimum = totals.themeMinimum;
            row.themeMean = totals.themeSum / static_cast<double>(totals.themeNumbers);
            row.themeMaximum = totals.themeMaximum;
        }
        row.medianDistance = Median(totals.distances);
        row.maxDistance = *std::max_element(totals.distances.begin(), totals.distances.end());
        row.outOfBeamPercent = 100.0 * static_cast<double>(totals.outOfBeam) / totals.samples;
        row.overshootingPercent = 100.0 * static_cast<double>(totals.overshooting) / totals.samples;
        row.verdict = VerdictOf(totals.samples, totals.outOfBeam, totals.overshooting);
        report.rows.push_back(row);
    }
    std::stable_sort(report.rows.begin(), report.rows.end(),
                     [](const auto& a, const auto& b) { return a.samples > b.samples; });
    return report;
}

// ---- Report texts ------------------------------------------------------------------------

std::string UnmatchedCellsMessage(const ServingCellReport& report) {
    if (report.unmatchedSamples == 0) {
        return {};
    }
    std::string message =
        std::to_string(report.unmatchedSamples) + "个采样点的服务小区不在基站表中:";
    for (size_t i = 0; i < report.unmatchedKeys.size(); ++i) {
        message += i == 0 ? "" : ",";
        message += report.unmatchedKeys[i];
    }
    if (report.moreUnmatchedKeys) {
        message += ",...";
    }
    return message;
}

std::vector<std::string> ServingReportHeader(std::string_view themeName) {
    const std::string theme(themeName);
    return {"小区",           "站名",           "采样点数",       "占比(%)",
            theme + "最小值", theme + "平均值", theme + "最大值", "距离中位数(m)",
            "最大距离(m)",    "波束外(%)",      "越区(%)",        "结论"};
}

std::vector<std::string> ServingReportFields(const ServingCellRow& row) {
    const auto optional = [](const std::optional<double>& value, bool tenths) {
        return !value ? std::string() : tenths ? Tenths(*value) : FormatNumber(*value);
    };
    return {row.cell->keyText,
            row.cell->site,
            std::to_string(row.samples),
            Tenths(row.sharePercent),
            optional(row.themeMinimum, false),
            optional(row.themeMean, true),
            optional(row.themeMaximum, false),
            FormatNumber(std::round(row.medianDistance)),
            FormatNumber(std::round(row.maxDistance)),
            Tenths(row.outOfBeamPercent),
            Tenths(row.overshootingPercent),
            std::string(row.verdict)};
}

std::string ServingReportCsv(const ServingCellReport& report) {
    std::string csv(kCsvByteOrderMark);
    AppendCsvLine(csv, ServingReportHeader(report.themeName));
    for (const ServingCellRow& row : report.rows) {
        AppendCsvLine(csv, ServingReportFields(row));
    }
    return csv;
}

void WriteServingReportCsv(const std::string& path, const ServingCellReport& report) {
    WriteCsvFile(path, ServingReportCsv(report));
}

}  // namespace orvane
