#pragma once

// How a conversion's features fall into the legend: per entry the samples or points it
// holds, their share of all, the route length it colours and the range of its theme values,
// then one row for the values no entry holds. The same figures name the legend folders.

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "legend/ThematicLegend.h"

namespace orvane {

struct TrackPoint;

inline constexpr std::string_view kOutsideLegend = "不在图例范围内";

struct LegendStatisticsRow {
    std::string label;  // the range ("-85 ≤ x < -75") or class text, or "不在图例范围内"
    std::int64_t count = 0;
    double kilometres = 0;
    std::int64_t numbers = 0;  // theme values that are numbers, of which:
    double sum = 0;
    double minimum = std::numeric_limits<double>::infinity();
    double maximum = -std::numeric_limits<double>::infinity();

    double Mean() const { return sum / static_cast<double>(numbers); }
};

struct LegendStatistics {
    std::vector<LegendStatisticsRow> rows;  // legend order, then the values outside it
    std::int64_t total = 0;
    bool hasRoute = false;  // a drive test: the rows carry kilometres

    // Percent of all, 0 when there is nothing.
    double Share(const LegendStatisticsRow& row) const;
};

// "12,345": a count as the figures show it, thousands grouped.
std::string CountText(std::int64_t count);
// "23.4%": a row's share as the figures show it.
std::string ShareText(const LegendStatistics& statistics, const LegendStatisticsRow& row);

// The text of a range entry as its boundary mode closes it: the outermost ranges are closed
// at their outer ends.
std::string RangeLabel(const ThematicLegend& legend, size_t entry);

// Adds up the figures as a conversion meets its features. Entries are as LegendClassifier
// answers them: any position outside the legend counts in the last row. Theme values enter
// the minimum, mean and maximum when the source's number test passes them, so that a log's
// -999999 for "no value" is counted but not averaged.
class LegendTally {
  public:
    LegendTally(const ThematicLegend& legend, bool hasRoute, NumberTest isNumber);

    // `times` features of the same value at once (the counts of a scan).
    void AddValue(int entry, std::string_view theme, std::int64_t times = 1);
    // The length of a line written in the entry's colour.
    void AddLine(int entry, std::span<const TrackPoint> points);
    // The row of an entry: its position, or the last row.
    size_t RowOf(int entry) const;
    const LegendStatistics& Statistics() const { return statistics_; }

  private:
    LegendStatistics statistics_;
    NumberTest isNumber_;
};

// "-85 ≤ x < -75：12,345个点，23.4%，56.7 km" (no km without a route): a folder's name.
std::string LegendRowSummary(const LegendStatistics& statistics, const LegendStatisticsRow& row);
// The summary and, where the entry holds numbers, "，最小…，平均…，最大…": a line of the
// command line's report.
std::string LegendRowReport(const LegendStatistics& statistics, const LegendStatisticsRow& row);
// The figures as CSV with a byte-order mark: 图例项, 数量, 占比(%), 里程(km) (drive tests),
// 最小值, 平均值, 最大值.
std::string LegendStatisticsCsv(const LegendStatistics& statistics);

}  // namespace orvane
