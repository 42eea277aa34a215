#include <gtest/gtest.h>

#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "legend/ThematicLegend.h"

using namespace orvane;

namespace {
using Texts = std::vector<std::string>;

ThemeFieldScan ScanDt(const Texts& values) {
    return ScanThemeField(values, DtNumberTest);
}
ThemeFieldScan ScanCqt(const Texts& values) {
    return ScanThemeField(values, CqtNumberTest);
}

ThemeFieldScan RangeScan(double minimum, double maximum) {
    ThemeFieldScan scan;
    scan.minimum = minimum;
    scan.maximum = maximum;
    return scan;
}

Texts Bounds(const std::vector<LegendEntry>& entries) {
    Texts bounds;
    for (const LegendEntry& entry : entries) {
        bounds.push_back(entry.left + "-" + entry.right);
    }
    return bounds;
}

Texts Colors(const std::vector<LegendEntry>& entries) {
    Texts colors;
    for (const LegendEntry& entry : entries) {
        colors.push_back(entry.color);
    }
    return colors;
}

Texts Numbered(int count) {
    Texts values;
    for (int i = 0; i < count; ++i) {
        values.push_back(std::to_string(i));
    }
    return values;
}
}  // namespace

TEST(ThemeFieldScan, ClassifiesAtMostSixteenDistinctValues) {
    EXPECT_TRUE(ScanDt(Numbered(16)).canClassify);
    EXPECT_FALSE(ScanDt(Numbered(17)).canClassify);
    // Repeats do not count.
    Texts repeated = Numbered(16);
    const Texts again = repeated;
    repeated.insert(repeated.end(), again.begin(), again.end());
    EXPECT_TRUE(ScanDt(repeated).canClassify);
}

TEST(ThemeFieldScan, FoldsLetterCaseKeepingTheFirstForm) {
    const ThemeFieldScan scan = ScanDt({"abc", "x", "ABC", "Abc"});
    EXPECT_EQ(scan.distinctValues, (Texts{"abc", "x"}));
    EXPECT_EQ(scan.valueCounts, (std::vector<std::int64_t>{3, 1}));
    EXPECT_EQ(ScanDt({"ABC", "abc"}).distinctValues, (Texts{"ABC"}));
    EXPECT_EQ(FindClassEntry(scan, "ABC"), 0);
    EXPECT_EQ(FindClassEntry(scan, "aBc"), 0);
    EXPECT_EQ(FindClassEntry(scan, "X"), 1);
    EXPECT_EQ(FindClassEntry(scan, "y"), -1);
    EXPECT_EQ(FindClassEntry(scan, ""), -1);
}

TEST(ThemeFieldScan, OrdersValuesAsTextNotAsNumbers) {
    const ThemeFieldScan scan = ScanDt({"9", "10", "-2", "b", "A", "中"});
    EXPECT_EQ(scan.distinctValues, (Texts{"-2", "10", "9", "A", "b", "中"}));
    for (size_t i = 0; i < scan.distinctValues.size(); ++i) {
        EXPECT_EQ(FindClassEntry(scan, scan.distinctValues[i]), static_cast<int>(i));
    }
}

TEST(ThemeFieldScan, DriveTestNumberTestRejectsTheNoNumberMarker) {
    EXPECT_TRUE(DtNumberTest("-75.5"));
    EXPECT_TRUE(DtNumberTest(" 1.50"));
    EXPECT_TRUE(DtNumberTest("-999998"));
    EXPECT_FALSE(DtNumberTest("-999999"));
    EXPECT_FALSE(DtNumberTest("-999999.0"));
    EXPECT_FALSE(DtNumberTest("-9.99999E5"));
    EXPECT_FALSE(DtNumberTest("abc"));
    EXPECT_FALSE(DtNumberTest(""));

    EXPECT_FALSE(ScanDt({"1", "-999999", "2"}).canGrade);
    EXPECT_TRUE(ScanDt({"1", "2.50"}).canGrade);
}

TEST(ThemeFieldScan, CqtNumberTestWantsTheGeneralNumberText) {
    EXPECT_TRUE(CqtNumberTest("1.5"));
    EXPECT_TRUE(CqtNumberTest(" 1.5 "));
    EXPECT_TRUE(CqtNumberTest("-999999"));
    EXPECT_FALSE(CqtNumberTest("1.50"));
    EXPECT_FALSE(CqtNumberTest("+1"));
    EXPECT_FALSE(CqtNumberTest("007"));
    EXPECT_FALSE(CqtNumberTest("abc"));

    EXPECT_TRUE(ScanCqt({"1", "-999999"}).canGrade);
    EXPECT_FALSE(ScanCqt({"1", "2.50"}).canGrade);
}

TEST(ThemeFieldScan, TakesTheRangeOfGradableValues) {
    const ThemeFieldScan scan = ScanDt({"-70", "-110.5", "-40", "-70"});
    EXPECT_TRUE(scan.canGrade);
    EXPECT_DOUBLE_EQ(scan.minimum, -110.5);
    EXPECT_DOUBLE_EQ(scan.maximum, -40);
    // Values above the starting minimum leave it in place.
    const ThemeFieldScan large = ScanDt({"3000000000", "4000000000"});
    EXPECT_DOUBLE_EQ(large.minimum, 2147483647.0);
    EXPECT_DOUBLE_EQ(large.maximum, 4000000000.0);
}

TEST(ThemeFieldScan, StopsReadingWhenNeitherKindIsPossible) {
    Texts values = Numbered(17);
    values.push_back("x");      // grading impossible from here
    values.push_back("later");  // never read
    const ThemeFieldScan scan = ScanDt(values);
    EXPECT_FALSE(scan.canClassify);
    EXPECT_FALSE(scan.canGrade);
    EXPECT_EQ(scan.distinctValues.size(), 18u);
    EXPECT_EQ(FindClassEntry(scan, "later"), -1);
}

TEST(ThemeFieldScan, ASourceWithoutRecordsGivesEmptyClassesAndDownwardBounds) {
    const ThemeFieldScan scan = ScanDt(Texts{});
    EXPECT_TRUE(scan.canClassify);
    EXPECT_TRUE(scan.canGrade);
    EXPECT_TRUE(FillClassification(scan).empty());
    const std::vector<LegendEntry> grades = ComputeDefaultGrading(scan, 2);
    EXPECT_EQ(Bounds(grades), (Texts{"2147483647-0", "0--2147483647"}));
}

TEST(Classification, TakesOnePaletteColourPerValueWrappingAfter27) {
    const std::vector<LegendEntry> entries = FillClassification(ScanDt({"b", "a", "c"}));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].value, "a");
    EXPECT_EQ(entries[2].value, "c");
    EXPECT_EQ(Colors(entries), (Texts{"65280", "16711680", "65535"}));
    EXPECT_EQ(PaletteColor(26), "8421504");
    EXPECT_EQ(PaletteColor(27), "65280");
}

TEST(Grading, DefaultBoundsAndColours) {
    const std::vector<LegendEntry> entries = ComputeDefaultGrading(RangeScan(0, 1), 4);
    EXPECT_EQ(Bounds(entries), (Texts{"0-0.25", "0.25-0.5", "0.5-0.75", "0.75-1"}));
    EXPECT_EQ(Colors(entries), (Texts{"65280", "16711680", "65535", "255"}));

    // Two decimals; each right bound is the next left bound.
    const std::vector<LegendEntry> thirds = ComputeDefaultGrading(RangeScan(-110, -40), 3);
    EXPECT_EQ(Bounds(thirds), (Texts{"-110--86.67", "-86.67--63.33", "-63.33--40"}));
}

TEST(Grading, BoundsOfValuesNearTheLargestDoubleReadBackAsNumbers) {
    // 1E307 / 0.01 overflows; a span from -1.79E308 to 1.79E308 overflows itself.
    for (const double extreme : {1e307, 1.7e308}) {
        ThematicLegend legend;
        legend.scan = ScanDt({FormatNumber(-extreme), "0", FormatNumber(extreme)});
        ASSERT_TRUE(legend.scan.canGrade);
        legend.gradeEntries = ComputeDefaultGrading(legend.scan, 4);
        const std::vector<GradeRange> ranges = LegendRanges(legend);
        EXPECT_EQ(ranges.front().left, -extreme);
        EXPECT_EQ(ranges.back().right, extreme);
        EXPECT_EQ(ranges[2].left, 0);
        for (size_t i = 1; i < ranges.size(); ++i) {
            EXPECT_EQ(ranges[i].left, ranges[i - 1].right);
        }
        EXPECT_EQ(FindGradeEntry(ranges, BoundaryMode::BothInclusive, extreme), 3);
    }
}

TEST(Grading, RoundsHalfHundredthsToEven) {
    const auto rounded = [](double value) { return FormatNumber(RoundToHundredths(value)); };
    EXPECT_EQ(rounded(0.005), "0");
    EXPECT_EQ(rounded(0.015), "0.02");
    EXPECT_EQ(rounded(0.025), "0.02");
    EXPECT_EQ(rounded(0.125), "0.12");
    EXPECT_EQ(rounded(-0.025), "-0.02");
    EXPECT_EQ(rounded(1.006), "1.01");
    EXPECT_EQ(rounded(-86.66666666666667), "-86.67");
}

TEST(Grading, ThirtyGradesWrapThePalette) {
    const std::vector<LegendEntry> entries = ComputeDefaultGrading(RangeScan(0, 30), 30);
    ASSERT_EQ(entries.size(), 30u);
    EXPECT_EQ(entries[27].color, "65280");
    EXPECT_EQ(entries[28].color, "16711680");
    EXPECT_EQ(entries[29].color, "65535");
    EXPECT_EQ(entries[29].right, "30");
}

TEST(Grading, HoldsTheGradeCountWithinItsLimits) {
    EXPECT_EQ(ComputeDefaultGrading(RangeScan(0, 1), 1).size(), 2u);
    EXPECT_EQ(ComputeDefaultGrading(RangeScan(0, 1), 0).size(), 2u);
    EXPECT_EQ(ComputeDefaultGrading(RangeScan(0, 1), 500).size(), 100u);
}

TEST(Grading, TheThreeBoundaryModes) {
    const std::vector<GradeRange> ranges = {{0, 0.25}, {0.25, 0.5}, {0.5, 0.75}, {0.75, 1}};
    const auto find = [&](BoundaryMode mode, std::string_view value) {
        return FindGradeEntry(ranges, mode, value);
    };
    EXPECT_EQ(find(BoundaryMode::LeftInclusive, "0"), 0);
    EXPECT_EQ(find(BoundaryMode::LeftInclusive, "0.25"), 1);
    // The outermost ranges are closed at their outer ends, whatever the mode.
    EXPECT_EQ(find(BoundaryMode::LeftInclusive, "1"), 3);
    EXPECT_EQ(find(BoundaryMode::LeftInclusive, "1.01"), NoEntry);
    EXPECT_EQ(find(BoundaryMode::RightInclusive, "0"), 0);
    EXPECT_EQ(find(BoundaryMode::RightInclusive, "-0.01"), NoEntry);
    EXPECT_EQ(find(BoundaryMode::RightInclusive, "0.25"), 0);
    EXPECT_EQ(find(BoundaryMode::RightInclusive, "1"), 3);
    EXPECT_EQ(find(BoundaryMode::BothInclusive, "0.25"), 0);
    EXPECT_EQ(find(BoundaryMode::BothInclusive, "1"), 3);
    EXPECT_EQ(find(BoundaryMode::BothInclusive, "1.5"), NoEntry);
    EXPECT_EQ(find(static_cast<BoundaryMode>(-1), "0.1"), NoEntry);
}

TEST(Grading, EqualBoundsHoldTheirValueInTheOutermostRange) {
    const std::vector<LegendEntry> entries = ComputeDefaultGrading(RangeScan(5, 5), 4);
    EXPECT_EQ(Bounds(entries), (Texts{"5-5", "5-5", "5-5", "5-5"}));
    ThematicLegend legend;
    legend.gradeEntries = entries;
    const std::vector<GradeRange> ranges = LegendRanges(legend);
    EXPECT_EQ(FindGradeEntry(ranges, BoundaryMode::LeftInclusive, "5"), 3);
    EXPECT_EQ(FindGradeEntry(ranges, BoundaryMode::RightInclusive, "5"), 0);
    EXPECT_EQ(FindGradeEntry(ranges, BoundaryMode::BothInclusive, "5"), 0);
}

TEST(Grading, DefaultOuterBoundsThatRoundingMovedInsideTheDataMoveOut) {
    // R(0.004) = 0 holds the minimum and R(1.016) = 1.02 the maximum: nothing moves.
    EXPECT_EQ(Bounds(ComputeDefaultGrading(RangeScan(0.004, 1.016), 2)),
              (Texts{"0-0.51", "0.51-1.02"}));
    // R(0.006) = 0.01 lies above 0.006 and R(1.014) = 1.01 below 1.014: both move out.
    EXPECT_EQ(Bounds(ComputeDefaultGrading(RangeScan(0.006, 1.014), 2)),
              (Texts{"0-0.51", "0.51-1.02"}));
    EXPECT_EQ(Bounds(ComputeDefaultGrading(RangeScan(-80.004, -59.996), 2)),
              (Texts{"-80.01--70", "-70--59.99"}));
}

TEST(Grading, OverlappingRangesLetTheEarlierEntryWinAndReversedOnesHoldNothing) {
    const std::vector<GradeRange> ranges = {{10, 0}, {0, 10}, {5, 15}};
    EXPECT_EQ(FindGradeEntry(ranges, BoundaryMode::LeftInclusive, "7"), 1);
    EXPECT_EQ(FindGradeEntry(ranges, BoundaryMode::BothInclusive, "12"), 2);
}

TEST(Grading, AValueThatIsNoNumberStopsTheMatch) {
    const std::vector<GradeRange> ranges = {{0, 10}};
    try {
        FindGradeEntry(ranges, BoundaryMode::LeftInclusive, "n/a");
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "'n/a' is not a valid floating point value");
    }
}

TEST(Legend, ColorsFollowTheKind) {
    ThematicLegend legend;
    legend.classEntries = {{.color = "1", .value = "a", .left = "", .right = ""}};
    legend.gradeEntries = {{.color = "2", .value = "", .left = "0", .right = "1"},
                           {.color = "1.5", .value = "", .left = "1", .right = "2"}};
    legend.kind = LegendKind::Classification;
    EXPECT_EQ(LegendColors(legend), (Texts{"1"}));
    legend.kind = LegendKind::Grading;
    EXPECT_EQ(LegendColors(legend), (Texts{"2", "1.5"}));
}

TEST(Legend, RangesRejectBlankOrSignOnlyBounds) {
    ThematicLegend legend;
    legend.gradeEntries = {{.color = "2", .value = "", .left = "0", .right = "1"},
                           {.color = "2", .value = "", .left = "1", .right = ""}};
    EXPECT_THROW(
        {
            try {
                LegendRanges(legend);
            } catch (const Error& error) {
                EXPECT_STREQ(error.what(), "'' is not a valid floating point value");
                throw;
            }
        },
        Error);
    legend.gradeEntries[1].right = "-";
    EXPECT_THROW(LegendRanges(legend), Error);
    legend.gradeEntries[1].right = " 2 ";
    const std::vector<GradeRange> ranges = LegendRanges(legend);
    EXPECT_DOUBLE_EQ(ranges[1].right, 2);
}

TEST(ThemeFieldScan, KeepsEveryDistinctValueOfALargeField) {
    Texts values;
    for (int i = 0; i < 5000; ++i) {
        values.push_back("cell" + std::to_string(i));
        values.push_back("CELL" + std::to_string(i % 100));
    }
    const ThemeFieldScan scan = ScanDt(values);
    EXPECT_FALSE(scan.canClassify);
    EXPECT_FALSE(scan.canGrade);
    // The scan stopped at the 17th distinct value, where neither kind was possible.
    EXPECT_EQ(scan.distinctValues.size(), 17u);

    Texts numbers;
    for (int i = 5000; i > 0; --i) {
        numbers.push_back(std::to_string(i));
        numbers.push_back(std::to_string(i % 7));
    }
    const ThemeFieldScan large = ScanDt(numbers);
    EXPECT_TRUE(large.canGrade);
    EXPECT_EQ(large.distinctValues.size(), 5001u);
    EXPECT_EQ(large.distinctValues.front(), "0");
    EXPECT_EQ(large.distinctValues[1], "1");
    EXPECT_EQ(large.distinctValues[2], "10");
    EXPECT_DOUBLE_EQ(large.minimum, 0);
    EXPECT_DOUBLE_EQ(large.maximum, 5000);
    EXPECT_EQ(FindClassEntry(large, "4999"),
              static_cast<int>(std::lower_bound(large.distinctValues.begin(),
                                                large.distinctValues.end(), "4999") -
                               large.distinctValues.begin()));
}
