#include <gtest/gtest.h>

#include "conversions/ScanStatistics.h"

using namespace orvane;

namespace {

using Counts = std::vector<std::int64_t>;

// -100 and -95 twice (first range), -80 (second), -60 outside both.
ThematicLegend RsrpLegend() {
    ThematicLegend legend;
    legend.scan = ScanThemeField(
        std::vector<std::string>{"-100", "-95", "-80", "-95", "-60", "-100"}, DtNumberTest);
    legend.gradeEntries = {{"255", "", "-100", "-90"}, {"65280", "", "-90", "-70"}};
    return legend;
}

Counts RowCounts(const LegendStatistics& statistics) {
    Counts counts;
    for (const LegendStatisticsRow& row : statistics.rows) {
        counts.push_back(row.count);
    }
    return counts;
}

}  // namespace

TEST(ScanStatistics, CountsTheScannedValuesPerEntryAndInBars) {
    ThematicLegend legend = RsrpLegend();
    const LegendStatistics statistics = CountScannedValues(legend, DtNumberTest);
    EXPECT_EQ(RowCounts(statistics), (Counts{4, 1, 1}));
    EXPECT_EQ(statistics.total, 6);
    EXPECT_DOUBLE_EQ(statistics.rows[0].Mean(), -97.5);
    EXPECT_EQ(LegendRowSummary(statistics, statistics.rows[2]), "不在图例范围内：1个点，16.7%");

    // Four bars of 10 from -100 to -60: the last holds its right bound.
    const std::vector<HistogramBar> bars = ScannedHistogram(legend, 4);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0].rowCounts, (Counts{4, 0, 0}));
    EXPECT_EQ(bars[1].rowCounts, (Counts{0, 0, 0}));
    EXPECT_EQ(bars[2].rowCounts, (Counts{0, 1, 0}));
    EXPECT_EQ(bars[3].rowCounts, (Counts{0, 0, 1}));
    EXPECT_EQ(bars[2].label, "-80");

    legend.kind = LegendKind::Classification;
    legend.classEntries = FillClassification(legend.scan);
    EXPECT_EQ(RowCounts(CountScannedValues(legend, DtNumberTest)), (Counts{2, 1, 1, 2, 0}));
    EXPECT_EQ(ScannedHistogram(legend, 4).size(), 4u);

    // A scan made without counts, or a legend its field does not allow, has no figures.
    legend.scan.valueCounts.clear();
    EXPECT_TRUE(CountScannedValues(legend, DtNumberTest).rows.empty());
    EXPECT_TRUE(ScannedHistogram(legend, 4).empty());
}
