#pragma once

// The figures of a theme field as soon as it is scanned, before any conversion: how its
// values fall into the legend and how they spread. The scan keeps how often each distinct
// value occurs, so neither needs the records again.

#include <cstdint>
#include <string>
#include <vector>

#include "conversions/LegendStatistics.h"
#include "legend/ThematicLegend.h"

namespace orvane {

// The scan's values counted per legend entry, as LegendTally counts a conversion's features
// (no route lengths). No rows when the scan kept no counts or allows no legend of the
// legend's kind. Throws "'%s' is not a valid floating point value" for a bound that is no
// number.
LegendStatistics CountScannedValues(const ThematicLegend& legend, NumberTest isNumber);

// One bar of the theme values' histogram: how many values it holds per legend row (the
// entries, then the values outside the legend).
struct HistogramBar {
    std::string label;  // a class value, or the bar's left bound
    double left = 0;    // grading: the values from left to right
    double right = 0;
    std::vector<std::int64_t> rowCounts;
};

// Grading: `barCount` bars of equal width from the scan's minimum to its maximum; a
// classification: one bar per class. Empty where CountScannedValues has no rows.
std::vector<HistogramBar> ScannedHistogram(const ThematicLegend& legend, int barCount);

}  // namespace orvane
