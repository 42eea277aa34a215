#pragma once

// Serving-cell analysis: each drive-test sample names the cell that served it; the cell is
// looked up in a base-station table (one row per sector), and the sample is checked against
// it: how far and in which direction it lies from the site, whether it lies outside the
// cell's beam, and whether nearer sites should have served it. Per cell, the checks add up
// to a report row with a verdict.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvane {

class WorksheetSource;

inline constexpr double kDefaultServingSpacing = 50;  // metres along the route between lines
inline constexpr double kMaxServingSpacing = 100000;
inline constexpr int kDefaultOvershootRank = 3;
inline constexpr int kMaxOvershootRank = 100;
inline constexpr double kDefaultCellBeamwidth = 65;  // degrees, without a beamwidth column
inline constexpr double kBeamTolerance = 15;         // degrees beyond half the beamwidth
inline constexpr std::int64_t kMinJudgedSamples = 20;
inline constexpr int kCrossedFeederPercent = 50;  // out of beam, at least
inline constexpr int kOvershootingPercent = 20;   // overshooting, at least
inline constexpr std::string_view kCrossedFeederVerdict = "疑似天馈接反";
inline constexpr std::string_view kOvershootingVerdict = "越区覆盖";

// The key one or two texts make, so that keys match when their texts, trimmed, are equal or
// when both are whole numbers of equal value ("0123" = "123", "+7" = "7"): each text
// trimmed, a whole number written without sign and leading zeros, joined by TABs.
std::string CellKeyOf(std::span<const std::string_view> texts);
// The texts trimmed and joined by "/", as reports show a key.
std::string CellKeyText(std::span<const std::string_view> texts);

// Metres between two points on a plane laid on the earth at the first point (longitude
// scaled by the cosine of its latitude): for ranking sites near a sample and measuring along
// a route, where GeoDistance's precision is not needed.
double LocalDistance(double longitude1, double latitude1, double longitude2, double latitude2);
// Degrees clockwise from north of the great circle from the first point to the second.
double Bearing(double longitude1, double latitude1, double longitude2, double latitude2);

// One sector of the base-station table.
struct CellSector {
    std::string key;      // CellKeyOf the key columns
    std::string keyText;  // CellKeyText of the key columns
    std::string site;
    std::string longitudeText;  // as the table has them
    std::string latitudeText;
    double longitude = 0;
    double latitude = 0;
    std::optional<double> azimuth;  // none: an omnidirectional cell
    double beamwidth = kDefaultCellBeamwidth;
    std::int32_t siteIndex = 0;  // sectors at the same position share a site
};

// Columns of the base-station table, from 1; beamwidth 0 when there is none.
struct CellTableColumns {
    std::int32_t site = 0;
    std::int32_t longitude = 0;
    std::int32_t latitude = 0;
    std::int32_t azimuth = 0;
    std::int32_t beamwidth = 0;
    std::vector<std::int32_t> keys;  // one or two
};

// The sectors of a base-station table, found by key, and its sites (distinct positions) in a
// grid for finding the sites near a point.
class CellTable {
  public:
    // Rows 2 … rowCount of the current sheet. A row without a key, or whose longitude,
    // latitude or azimuth is no number, is left out and counted; azimuth -1 or empty is an
    // omnidirectional cell, a beamwidth outside 1 … 360 falls back to 65 degrees. Of rows
    // with the same key the first counts. Throws "List index out of bounds (%d)" for a column
    // outside the sheet and orvane::Error naming the workbook when no row is usable.
    static CellTable Read(const WorksheetSource& source, const CellTableColumns& columns);
    explicit CellTable(std::vector<CellSector> sectors);
    ~CellTable();
    CellTable(CellTable&&) noexcept;
    CellTable& operator=(CellTable&&) noexcept;

    const std::vector<CellSector>& sectors() const { return sectors_; }
    size_t SiteCount() const;
    // The sector of a CellKeyOf key, or none.
    const CellSector* Find(const std::string& key) const;
    std::int64_t RowsLeftOut() const { return rowsLeftOut_; }
    std::int64_t DuplicateKeys() const { return duplicateKeys_; }

    // How many sites lie closer than `metres` (LocalDistance from the point) to the point,
    // counting no further than `enough`. Looks only at the grid cells near enough.
    int CountSitesCloser(double longitude, double latitude, double metres, int enough) const;
    // As above, with the cosine of the point's latitude at hand.
    int CountSitesCloser(double longitude, double latitude, double cosine, double metres,
                         int enough) const;

  private:
    class SiteGrid;

    std::vector<CellSector> sectors_;
    std::unordered_map<std::string, std::int32_t> byKey_;
    std::unique_ptr<SiteGrid> grid_;
    std::int64_t rowsLeftOut_ = 0;
    std::int64_t duplicateKeys_ = 0;
};

// What the checks found for one sample.
struct ServingSample {
    const CellSector* cell = nullptr;  // none: no key, or a key the table does not have
    double distance = 0;               // metres, GeoDistance from the site
    double bearing = 0;                // from the site to the sample
    bool outOfBeam = false;
    bool overshooting = false;
    bool line = false;  // a serving line is drawn for it
};

// One row of the per-cell report.
struct ServingCellRow {
    const CellSector* cell = nullptr;
    std::int64_t samples = 0;
    double sharePercent = 0;             // of all samples of the log
    std::optional<double> themeMinimum;  // over the theme values that are numbers
    std::optional<double> themeMean;
    std::optional<double> themeMaximum;
    double medianDistance = 0;
    double maxDistance = 0;
    double outOfBeamPercent = 0;
    double overshootingPercent = 0;
    std::string_view verdict;  // "疑似天馈接反", "越区覆盖" or empty
};

struct ServingCellReport {
    std::string themeName;             // the theme field, which names three columns
    std::vector<ServingCellRow> rows;  // most samples first, then in order of appearance
    std::int64_t samples = 0;
    std::int64_t unmatchedSamples = 0;       // with a key the table does not have
    std::vector<std::string> unmatchedKeys;  // the first five, as the log has them
    bool moreUnmatchedKeys = false;
};

// Takes the samples of a log in order and checks each against its serving cell.
class ServingCellAnalysis {
  public:
    ServingCellAnalysis(const CellTable& cells, double spacing, int overshootRank);

    // keyTexts: the sample's key fields; an empty key means no serving cell. A serving line
    // is drawn for the first sample of a cell after a sample of another, and otherwise once
    // the route has gone `spacing` metres (LocalDistance, sample to sample) since the last
    // line; spacing 0 draws one for every sample.
    ServingSample Add(std::span<const std::string_view> keyTexts, double longitude, double latitude,
                      std::string_view theme);
    ServingCellReport Report() const;

  private:
    struct CellTotals {
        std::int64_t samples = 0;
        std::int64_t outOfBeam = 0;
        std::int64_t overshooting = 0;
        std::int64_t themeNumbers = 0;
        double themeSum = 0;
        double themeMinimum = 0;
        double themeMaximum = 0;
        std::vector<float> distances;
    };
    void Check(ServingSample& sample, double longitude, double latitude, double cosine) const;
    void Count(const ServingSample& sample, std::string_view theme);
    void Thin(ServingSample& sample, double longitude, double latitude, double cosine);
    void NoteUnmatched(std::span<const std::string_view> keyTexts);

    const CellTable& cells_;
    double spacing_;
    int overshootRank_;
    std::vector<CellTotals> totals_;        // one per sector of the table
    std::vector<std::int32_t> appearance_;  // sectors in order of their first sample
    std::int64_t samples_ = 0;
    std::int64_t unmatchedSamples_ = 0;
    std::vector<std::string> unmatchedKeys_;
    bool moreUnmatchedKeys_ = false;
    // The last key looked up: most samples repeat the one before.
    bool looked_ = false;
    std::string lastKey_;
    const CellSector* lastCell_ = nullptr;
    std::string keyScratch_;
    // Thinning.
    const CellSector* previousCell_ = nullptr;
    std::optional<std::pair<double, double>> previousPosition_;
    double sinceLastLine_ = 0;
};

// "N个采样点的服务小区不在基站表中:K1,K2" with up to five keys ("..." after them when there
// are more); empty when every key was found.
std::string UnmatchedCellsMessage(const ServingCellReport& report);

// The report's column names (the theme's three named after the theme field) and a row's
// texts in the same order: numbers as FormatNumber writes them, percentages and the mean to
// a tenth, distances in whole metres, empty theme values where no value was a number.
std::vector<std::string> ServingReportHeader(std::string_view themeName);
std::vector<std::string> ServingReportFields(const ServingCellRow& row);
// The report as CSV: UTF-8 with a byte-order mark, CR LF line ends, fields quoted where they
// hold a comma, a quote or a line break.
std::string ServingReportCsv(const ServingCellReport& report);
// Writes it through a temporary file; throws "Cannot create file %s".
void WriteServingReportCsv(const std::string& path, const ServingCellReport& report);

}  // namespace orvane
