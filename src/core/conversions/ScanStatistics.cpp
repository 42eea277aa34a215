#include "conversions/ScanStatistics.h"

#include <algorithm>
#include <cmath>

#include "common/Kml_baseclass.h"
#include "conversions/Conversion.h"

namespace orvane {

namespace {

// Whether the scan kept its counts and allows the legend's kind.
bool Countable(const ThematicLegend& legend) {
    const ThemeFieldScan& scan = legend.scan;
    const bool kindAllowed =
        legend.kind == LegendKind::Classification ? scan.canClassify : scan.canGrade;
    return kindAllowed && !scan.distinctValues.empty() &&
           scan.valueCounts.size() == scan.distinctValues.size();
}

size_t BarOf(double value, double minimum, double width, size_t bars) {
    if (width <= 0) {
        return 0;
    }
    const double position = std::floor((value - minimum) / width);
    return std::min(static_cast<size_t>(std::max(position, 0.0)), bars - 1);
}

}  // namespace

LegendStatistics CountScannedValues(const ThematicLegend& legend, NumberTest isNumber) {
    if (!Countable(legend)) {
        return {};
    }
    const LegendClassifier classifier(legend);
    LegendTally tally(legend, false, isNumber);
    const ThemeFieldScan& scan = legend.scan;
    for (size_t i = 0; i < scan.distinctValues.size(); ++i) {
        const std::string& value = scan.distinctValues[i];
        tally.AddValue(classifier.EntryOf(value), value, scan.valueCounts[i]);
    }
    return tally.Statistics();
}

std::vector<HistogramBar> ScannedHistogram(const ThematicLegend& legend, int barCount) {
    if (!Countable(legend)) {
        return {};
    }
    const LegendClassifier classifier(legend);
    const LegendTally rows(legend, false, DtNumberTest);
    const size_t rowCount = rows.Statistics().rows.size();
    const ThemeFieldScan& scan = legend.scan;
    std::vector<HistogramBar> bars;
    if (legend.kind == LegendKind::Classification) {
        for (size_t i = 0; i < scan.distinctValues.size(); ++i) {
            HistogramBar bar;
            bar.label = scan.distinctValues[i];
            bar.rowCounts.assign(rowCount, 0);
            bar.rowCounts[rows.RowOf(classifier.EntryOf(bar.label))] = scan.valueCounts[i];
            bars.push_back(std::move(bar));
        }
        return bars;
    }
    // A field of one value has one bar.
    const bool oneValue = !(scan.maximum > scan.minimum);
    const size_t count = oneValue ? 1 : static_cast<size_t>(std::clamp(barCount, 1, 1000));
    const double width = (scan.maximum - scan.minimum) / static_cast<double>(count);
    bars.resize(count);
    for (size_t i = 0; i < count; ++i) {
        bars[i].left = scan.minimum + width * static_cast<double>(i);
        bars[i].right = i + 1 == count ? scan.maximum : bars[i].left + width;
        bars[i].label = FormatNumber(RoundToHundredths(bars[i].left));
        bars[i].rowCounts.assign(rowCount, 0);
    }
    for (size_t i = 0; i < scan.distinctValues.size(); ++i) {
        const std::string& value = scan.distinctValues[i];
        HistogramBar& bar = bars[BarOf(ParseNumber(value), scan.minimum, width, count)];
        bar.rowCounts[rows.RowOf(classifier.EntryOf(value))] += scan.valueCounts[i];
    }
    return bars;
}

}  // namespace orvane
