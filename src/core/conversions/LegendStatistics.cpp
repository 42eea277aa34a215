#include "conversions/LegendStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/CsvText.h"
#include "common/Kml_baseclass.h"
#include "conversions/Dt2kml.h"

namespace orvane {

namespace {

constexpr double kMetresPerKilometre = 1000;

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// "12,345": thousands grouped as a report reads best.
std::string Grouped(std::int64_t count) {
    const std::string digits = std::to_string(count);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0 && digits[i - 1] != '-') {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

std::string Tenths(double value) {
    return FormatNumber(std::round(value * 10) / 10);
}

size_t EntryCount(const ThematicLegend& legend) {
    return legend.kind == LegendKind::Classification ? legend.classEntries.size()
                                                     : legend.gradeEntries.size();
}

}  // namespace

double LegendStatistics::Share(const LegendStatisticsRow& row) const {
    return total == 0 ? 0 : static_cast<double>(row.count) * 100 / static_cast<double>(total);
}

std::string CountText(std::int64_t count) {
    return Grouped(count);
}

std::string ShareText(const LegendStatistics& statistics, const LegendStatisticsRow& row) {
    return Fixed(statistics.Share(row), 1) + "%";
}

std::string RangeLabel(const ThematicLegend& legend, size_t entry) {
    const LegendEntry& range = legend.gradeEntries[entry];
    const bool first = entry == 0;
    const bool last = entry + 1 == legend.gradeEntries.size();
    bool leftClosed = legend.boundaryMode != BoundaryMode::RightInclusive;
    bool rightClosed = legend.boundaryMode != BoundaryMode::LeftInclusive;
    leftClosed = leftClosed || (first && legend.boundaryMode == BoundaryMode::RightInclusive);
    rightClosed = rightClosed || (last && legend.boundaryMode == BoundaryMode::LeftInclusive);
    return range.left + (leftClosed ? " ≤ x " : " < x ") + (rightClosed ? "≤ " : "< ") +
           range.right;
}

LegendTally::LegendTally(const ThematicLegend& legend, bool hasRoute, NumberTest isNumber)
    : isNumber_(isNumber) {
    statistics_.hasRoute = hasRoute;
    const size_t entries = EntryCount(legend);
    statistics_.rows.resize(entries + 1);
    for (size_t i = 0; i < entries; ++i) {
        statistics_.rows[i].label = legend.kind == LegendKind::Classification
                                        ? legend.classEntries[i].value
                                        : RangeLabel(legend, i);
    }
    statistics_.rows.back().label = kOutsideLegend;
}

size_t LegendTally::RowOf(int entry) const {
    const size_t outside = statistics_.rows.size() - 1;
    return entry < 0 || static_cast<size_t>(entry) >= outside ? outside
                                                              : static_cast<size_t>(entry);
}

void LegendTally::AddValue(int entry, std::string_view theme, std::int64_t times) {
    LegendStatisticsRow& row = statistics_.rows[RowOf(entry)];
    row.count += times;
    statistics_.total += times;
    if (!isNumber_(theme)) {
        return;
    }
    if (const std::optional<double> value = TryParseNumber(theme)) {
        row.numbers += times;
        row.sum += *value * static_cast<double>(times);
        row.minimum = std::min(row.minimum, *value);
        row.maximum = std::max(row.maximum, *value);
    }
}

void LegendTally::AddLine(int entry, std::span<const TrackPoint> points) {
    double metres = 0;
    std::pair<double, double> previous;
    for (size_t i = 0; i < points.size(); ++i) {
        const std::pair<double, double> position =
            points[i].knownPosition ? *points[i].knownPosition : points[i].StoredPosition();
        if (i > 0) {
            metres += GeoDistance(previous.first, previous.second, position.first, position.second);
        }
        previous = position;
    }
    statistics_.rows[RowOf(entry)].kilometres += metres / kMetresPerKilometre;
}

std::string LegendRowSummary(const LegendStatistics& statistics, const LegendStatisticsRow& row) {
    std::string text =
        row.label + "：" + Grouped(row.count) + "个点，" + Fixed(statistics.Share(row), 1) + "%";
    if (statistics.hasRoute) {
        text += "，" + Fixed(row.kilometres, 1) + " km";
    }
    return text;
}

std::string LegendRowReport(const LegendStatistics& statistics, const LegendStatisticsRow& row) {
    std::string text = LegendRowSummary(statistics, row);
    if (row.numbers > 0) {
        text += "，最小" + FormatNumber(row.minimum) + "，平均" + Tenths(row.Mean()) + "，最大" +
                FormatNumber(row.maximum);
    }
    return text;
}

std::string LegendStatisticsCsv(const LegendStatistics& statistics) {
    std::string csv(kCsvByteOrderMark);
    std::vector<std::string> header = {"图例项", "数量", "占比(%)"};
    if (statistics.hasRoute) {
        header.emplace_back("里程(km)");
    }
    header.insert(header.end(), {"最小值", "平均值", "最大值"});
    AppendCsvLine(csv, header);
    for (const LegendStatisticsRow& row : statistics.rows) {
        std::vector<std::string> fields = {row.label, std::to_string(row.count),
                                           Fixed(statistics.Share(row), 1)};
        if (statistics.hasRoute) {
            fields.push_back(Fixed(row.kilometres, 3));
        }
        const bool numbers = row.numbers > 0;
        fields.push_back(numbers ? FormatNumber(row.minimum) : std::string());
        fields.push_back(numbers ? Tenths(row.Mean()) : std::string());
        fields.push_back(numbers ? FormatNumber(row.maximum) : std::string());
        AppendCsvLine(csv, fields);
    }
    return csv;
}

}  // namespace orvane
