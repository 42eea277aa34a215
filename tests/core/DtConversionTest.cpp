#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <tuple>

#include "TestFiles.h"
#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"

using namespace orvane;

namespace {

// ---- Segmenting with a distance the test decides --------------------------------------

struct Segment {
    int entry;
    std::string name;
    std::vector<std::string> points;  // longitude texts
    bool operator==(const Segment&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Segment& s) {
    out << "{" << s.entry << " '" << s.name << "'";
    for (const auto& p : s.points) {
        out << " " << p;
    }
    return out << "}";
}

// Records as (longitude text, entry, theme); the distance between two points is the
// difference of their longitude numbers, so a test states its gaps directly.
std::vector<Segment> Segments(const std::vector<std::tuple<std::string, int, std::string>>& records,
                              double breakDistance = 20) {
    std::vector<Segment> segments;
    TrackSegmenter segmenter(
        breakDistance,
        [&](int entry, std::string_view name, std::span<const TrackPoint> points) {
            Segment segment{entry, std::string(name), {}};
            for (const TrackPoint& point : points) {
                segment.points.emplace_back(point.longitude);
            }
            segments.push_back(segment);
        },
        [](const TrackPoint& a, const TrackPoint& b) {
            return std::abs(ParseNumber(a.longitude) - ParseNumber(b.longitude));
        });
    for (const auto& [longitude, entry, theme] : records) {
        segmenter.Add({longitude, "0", std::nullopt}, entry, theme);
    }
    segmenter.End();
    return segments;
}

}  // namespace

TEST(TrackSegmenter, CarriesThePointOverWhereTheEntryChanges) {
    // A, A, B, B, B close together.
    EXPECT_EQ(
        Segments({{"1", 0, "a1"}, {"2", 0, "a2"}, {"3", 1, "b3"}, {"4", 1, "b4"}, {"5", 1, "b5"}}),
        (std::vector<Segment>{{0, "a2", {"1", "2"}}, {1, "b5", {"2", "3", "4", "5"}}}))
        << "each line is named by its own last record";
    // A, B, B: the lone A point starts B's line.
    EXPECT_EQ(Segments({{"1", 0, "a1"}, {"2", 1, "b2"}, {"3", 1, "b3"}}),
              (std::vector<Segment>{{1, "b3", {"1", "2", "3"}}}));
}

TEST(TrackSegmenter, CutsAtGapsLongerThanTheBreakDistance) {
    EXPECT_EQ(Segments({{"0", 0, "x"}, {"19.9", 0, "y"}, {"39.9", 0, "z"}, {"60", 0, "w"}}),
              (std::vector<Segment>{{0, "z", {"0", "19.9", "39.9"}}}))
        << "19.9 and exactly 20 keep the line joined; 20.1 cuts and drops the lone point";
    EXPECT_EQ(Segments({{"0", 0, "x"}, {"20.1", 0, "y"}, {"40", 0, "z"}}),
              (std::vector<Segment>{{0, "z", {"20.1", "40"}}}));
}

TEST(TrackSegmenter, CarriesOverOnlyBelowTheBreakDistance) {
    EXPECT_EQ(Segments({{"0", 0, "a"}, {"10", 0, "a"}, {"30", 1, "b"}, {"40", 1, "b"}}),
              (std::vector<Segment>{{0, "a", {"0", "10"}}, {1, "b", {"30", "40"}}}))
        << "a gap of exactly 20 at an entry change is not bridged";
    EXPECT_EQ(Segments({{"0", 0, "a"}, {"10", 0, "a"}, {"29", 1, "b"}, {"40", 1, "b"}}),
              (std::vector<Segment>{{0, "a", {"0", "10"}}, {1, "b", {"10", "29", "40"}}}));
    // A lone point left by a gap joins the next entry's line only below the break distance.
    EXPECT_EQ(Segments({{"0", 0, "a"}, {"1000", 1, "b"}, {"1010", 1, "b"}}),
              (std::vector<Segment>{{1, "b", {"1000", "1010"}}}));
    EXPECT_EQ(Segments({{"0", 0, "a"}, {"10", 1, "b"}, {"20", 1, "b"}}),
              (std::vector<Segment>{{1, "b", {"0", "10", "20"}}}));
}

TEST(TrackSegmenter, NeverWritesALonePoint) {
    EXPECT_TRUE(Segments({{"0", 0, "a"}}).empty());
    EXPECT_TRUE(Segments({{"0", 0, "a"}, {"100", 0, "a"}, {"200", 0, "a"}}).empty());
    EXPECT_EQ(
        Segments({{"0", 0, "a"}, {"1", 0, "a"}, {"100", 1, "b"}, {"200", 2, "c"}, {"201", 2, "c"}}),
        (std::vector<Segment>{{0, "a", {"0", "1"}}, {2, "c", {"200", "201"}}}))
        << "a lone point does not join the next entry's line across a gap";
}

// ---- Whole conversions ----------------------------------------------------------------

namespace {

class DtConversion : public ::testing::Test {
  protected:
    // Converts a log written from `text` (UTF-8 unless `bytes` are given) with a legend
    // scanned from the file itself.
    DtConversionRequest Request(const std::string& log, int themeColumn, LegendKind kind) {
        test::WriteBytes(dir_.File("log.txt"), log);
        const DtTextFile file = DtTextFile::Read(dir_.File("log.txt"));
        const PositionColumns columns = DetectPositionColumns(file.HeaderNames());
        DtConversionRequest request;
        request.dtPath = dir_.File("log.txt");
        request.outPath = dir_.File("out.kml");
        request.lonColumn = static_cast<int>(columns.longitude);
        request.latColumn = static_cast<int>(columns.latitude);
        request.themeColumn = themeColumn;
        request.legend.kind = kind;
        request.legend.scan =
            ScanThemeField(file.Values(static_cast<size_t>(themeColumn)), DtNumberTest);
        request.legend.classEntries = FillClassification(request.legend.scan);
        request.legend.gradeEntries = ComputeDefaultGrading(request.legend.scan, 4);
        return request;
    }

    std::string Convert(const DtConversionRequest& request) {
        ConvertDtToKml(request);
        return test::ReadBytes(request.outPath);
    }

    // (style, name, coordinates) of every placemark.
    static std::vector<std::string> Placemarks(const std::string& kml) {
        std::vector<std::string> found;
        for (size_t p = kml.find("<Placemark>"); p != std::string::npos;
             p = kml.find("<Placemark>", p + 1)) {
            // The text line after a tag line, without its indentation (two more spaces).
            const auto textAfter = [&](const std::string& tag) {
                const size_t tagAt = kml.find(tag, p);
                const size_t indent = tagAt - (kml.rfind('\n', tagAt) + 1);
                const size_t begin = tagAt + tag.size() + 2 + indent + 2;
                return kml.substr(begin, kml.find("\r\n", begin) - begin);
            };
            found.push_back(textAfter("<styleUrl>") + "|" + textAfter("<name>") + "|" +
                            textAfter("<coordinates>"));
        }
        return found;
    }

    test::TempDir dir_;
};

const std::string kHeader = "Time\tLONGITUDE\tLATITUDE\tLevel\n";

}  // namespace

TEST_F(DtConversion, WritesStylesAndLinesOfAClassification) {
    const std::string kml = Convert(Request(kHeader + "t1\t113.0000\t25.0000\tA\n"
                                                      "t2\t113.0001\t25.0000\tA\n"
                                                      "t3\t113.0002\t25.0000\tB\n"
                                                      "t4\t113.0003\t25.0000\tB\n",
                                            3, LegendKind::Classification));
    EXPECT_NE(kml.find("<Style id=\"LINESTYLE1\" >"), std::string::npos);
    EXPECT_EQ(Placemarks(kml),
              (std::vector<std::string>{
                  "#LINESTYLE0|A| 113.0000,25.0000,0  113.0001,25.0000,0 ",
                  "#LINESTYLE1|B| 113.0001,25.0000,0  113.0002,25.0000,0  113.0003,25.0000,0 "}));
}

TEST_F(DtConversion, MeasuresGapsOnTheGround) {
    // 0.0001788 degrees of longitude on the equator are 19.90 m, 0.0001806 are 20.10 m.
    const std::string kml = Convert(Request(kHeader + "t1\t0.0000000\t0\t1\n"
                                                      "t2\t0.0001788\t0\t1\n"
                                                      "t3\t0.0003594\t0\t1\n"
                                                      "t4\t0.0005382\t0\t1\n",
                                            3, LegendKind::Classification));
    EXPECT_EQ(Placemarks(kml),
              (std::vector<std::string>{"#LINESTYLE0|1| 0.0000000,0,0  0.0001788,0,0 ",
                                        "#LINESTYLE0|1| 0.0003594,0,0  0.0005382,0,0 "}));
}

TEST_F(DtConversion, GradesByValueRanges) {
    DtConversionRequest request = Request(kHeader +
                                              "t1\t113.0000\t25\t-80\n"
                                              "t2\t113.0001\t25\t-80\n"
                                              "t3\t113.0002\t25\t-60\n"
                                              "t4\t113.0003\t25\t-60\n",
                                          3, LegendKind::Grading);
    // Four ranges from -80 to -60: the last one holds -60 under the left-inclusive mode too.
    EXPECT_EQ(Placemarks(Convert(request)),
              (std::vector<std::string>{"#LINESTYLE0|-80| 113.0000,25,0  113.0001,25,0 ",
                                        "#LINESTYLE3|-60| 113.0001,25,0  113.0002,25,0  "
                                        "113.0003,25,0 "}));
    request.legend.boundaryMode = BoundaryMode::BothInclusive;
    EXPECT_EQ(Placemarks(Convert(request)).back().substr(0, 13), "#LINESTYLE3|-");
}

TEST_F(DtConversion, WritesCoordinatesAsTheyStandAndMeasuresNoValueSpecially) {
    // -999999 is a coordinate like any other: far from its neighbours, so the lines break.
    const std::string kml = Convert(Request(kHeader + "t1\t-999999\t-999999\tA\n"
                                                      "t2\t-999999\t-999999\tA\n"
                                                      "t3\t113.0\t25.0\tA\n",
                                            3, LegendKind::Classification));
    EXPECT_EQ(Placemarks(kml),
              (std::vector<std::string>{"#LINESTYLE0|A| -999999,-999999,0  -999999,-999999,0 "}));
}

TEST_F(DtConversion, WritesOnlyStylesForAHeaderOnlyFile) {
    const std::string kml = Convert(Request(kHeader, 3, LegendKind::Grading));
    EXPECT_TRUE(Placemarks(kml).empty());
    EXPECT_NE(kml.find("<Style id=\"LINESTYLE3\" >"), std::string::npos);
}

TEST_F(DtConversion, GivesUnscannedClassesNoStyle) {
    DtConversionRequest request =
        Request(kHeader + "t1\t113.0\t25\tA\n", 3, LegendKind::Classification);
    // The log changes after the field was scanned: its new class matches no entry.
    test::WriteBytes(request.dtPath, kHeader + "t1\t113.0000\t25\tC\nt2\t113.0001\t25\tc\n");
    EXPECT_EQ(Placemarks(Convert(request)),
              (std::vector<std::string>{"#LINESTYLE-1|c| 113.0000,25,0  113.0001,25,0 "}));
}

TEST_F(DtConversion, ReadsGbkAndUtf8LogsAlike) {
    const std::string utf8 =
        "时间\t经度\t纬度\t小区\n1\t113.0\t25.0\t城东\n2\t113.0001\t25.0\t城东\n";
    const std::string gbk =
        "\xCA\xB1\xBC\xE4\t\xBE\xAD\xB6\xC8\t\xCE\xB3\xB6\xC8\t\xD0\xA1\xC7\xF8\n"
        "1\t113.0\t25.0\t\xB3\xC7\xB6\xAB\n2\t113.0001\t25.0\t\xB3\xC7\xB6\xAB\n";
    const std::string fromUtf8 = Convert(Request(utf8, 3, LegendKind::Classification));
    const std::string fromGbk = Convert(Request(gbk, 3, LegendKind::Classification));
    EXPECT_EQ(fromUtf8, fromGbk);
    EXPECT_NE(fromUtf8.find("        城东\r\n"), std::string::npos);
}

TEST_F(DtConversion, StopsAtABoundThatIsNoNumberBeforeTouchingTheOutput) {
    DtConversionRequest request = Request(kHeader + "t1\t113\t25\t1\n", 3, LegendKind::Grading);
    request.legend.gradeEntries[1].left = "-";
    test::WriteBytes(request.outPath, "previous");
    std::vector<std::string> info;
    try {
        ConvertDtToKml(request, {{}, [&](std::string_view line) { info.emplace_back(line); }, {}});
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "'-' is not a valid floating point value");
    }
    EXPECT_TRUE(info.empty()) << "nothing has started";
    EXPECT_EQ(test::ReadBytes(request.outPath), "previous");
}

TEST_F(DtConversion, StopsAtACoordinateThatIsNoNumberWhenMeasuring) {
    DtConversionRequest request = Request(kHeader +
                                              "t1\t113.0\t25\tA\n"
                                              "t2\t113.0\t25\tB\n"
                                              "t3\t113.0\tx25\tB\n",
                                          3, LegendKind::Classification);
    test::WriteBytes(request.outPath, "previous");
    try {
        ConvertDtToKml(request);
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "'x25' is not a valid floating point value");
    }
    EXPECT_EQ(test::ReadBytes(request.outPath), "previous");
    EXPECT_EQ(dir_.EntryCount(), 2u);
}

TEST_F(DtConversion, ConvertsALogReadBeforeWithoutReadingItAgain) {
    const std::string log = kHeader + "t1\t113.0000\t25.0000\tA\nt2\t113.0001\t25.0000\tA\n";
    DtConversionRequest request = Request(log, 3, LegendKind::Classification);
    const std::string expected = Convert(request);
    const DtTextFile file = DtTextFile::Read(request.dtPath);
    std::filesystem::remove(request.dtPath);  // as a pipe that was read to its end
    std::filesystem::remove(request.outPath);
    request.log = &file;
    ConvertDtToKml(request);
    EXPECT_EQ(test::ReadBytes(request.outPath), expected);
}

TEST_F(DtConversion, ReportsItsStepsAndAnOutputThatCannotBeCreated) {
    DtConversionRequest request =
        Request(kHeader + "t1\t113\t25\t1\nt2\t113\t25\t1\n", 3, LegendKind::Classification);
    std::vector<std::string> info;
    std::vector<int> progress;
    ConvertDtToKml(request, {[&](int percent) { progress.push_back(percent); },
                             [&](std::string_view line) { info.emplace_back(line); },
                             {}});
    EXPECT_EQ(info, (std::vector<std::string>{"生成KML文件开始...",
                                              "生成KML文件完成：" + request.outPath}));
    EXPECT_EQ(progress, (std::vector<int>{50, 100, 0}));

    request.outPath = dir_.File("missing/out.kml");
    EXPECT_THROW(ConvertDtToKml(request), Error);
    request.dtPath = dir_.File("none.txt");
    try {
        ConvertDtToKml(request);
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + request.dtPath);
    }
}

// ---- Legend statistics ----------------------------------------------------------------

// Six samples 0.0001° apart on the equator, where GeoDistance is the Krasovsky ellipsoid's
// equatorial radius times the angle: 11.1319852 m a step. Ranges -100 … -80 and -80 … -60
// (left bounds included); -50 lies outside. The lines: [r0 r1] in range 0, [r1 r2 r3] in
// range 1, [r3 r4] outside, [r4 r5] in range 0, five steps in all.
TEST_F(DtConversion, CountsSamplesSharesAndKilometresPerLegendEntry) {
    DtConversionRequest request = Request(kHeader +
                                              "t0\t0.0000\t0\t-90\n"
                                              "t1\t0.0001\t0\t-85\n"
                                              "t2\t0.0002\t0\t-70\n"
                                              "t3\t0.0003\t0\t-65\n"
                                              "t4\t0.0004\t0\t-50\n"
                                              "t5\t0.0005\t0\t-90\n",
                                          3, LegendKind::Grading);
    request.legend.gradeEntries = {{"255", "", "-100", "-80"}, {"65280", "", "-80", "-60"}};
    LegendStatistics statistics;
    request.statistics = &statistics;
    ConvertDtToKml(request);

    const double step = 6378245 * 0.0001 * std::numbers::pi / 180 / 1000;
    ASSERT_EQ(statistics.rows.size(), 3u);
    const auto& [first, second, outside] =
        std::tie(statistics.rows[0], statistics.rows[1], statistics.rows[2]);
    EXPECT_EQ(first.label, "-100 ≤ x < -80");
    EXPECT_EQ(second.label, "-80 ≤ x ≤ -60") << "the last range holds its right bound";
    EXPECT_EQ(outside.label, "不在图例范围内");
    EXPECT_EQ(statistics.total, 6);
    EXPECT_EQ(std::vector<std::int64_t>({first.count, second.count, outside.count}),
              std::vector<std::int64_t>({3, 2, 1}));
    EXPECT_NEAR(statistics.Share(first) + statistics.Share(second) + statistics.Share(outside), 100,
                1e-9);
    // Within a millimetre: the formula's arc cosine of so small an angle is that coarse.
    EXPECT_NEAR(first.kilometres, 2 * step, 1e-6);
    EXPECT_NEAR(second.kilometres, 2 * step, 1e-6);
    EXPECT_NEAR(outside.kilometres, step, 1e-6);
    EXPECT_NEAR(first.kilometres + second.kilometres + outside.kilometres, 5 * step, 1e-6)
        << "the rows add up to the route";
    EXPECT_EQ(std::vector<double>({first.minimum, first.Mean(), first.maximum}),
              std::vector<double>({-90, (-90 - 85 - 90) / 3.0, -85}));
    EXPECT_EQ(outside.Mean(), -50);

    EXPECT_EQ(LegendRowReport(statistics, first),
              "-100 ≤ x < -80：3个点，50.0%，0.0 km，最小-90，平均-88.3，最大-85");
    EXPECT_EQ(LegendStatisticsCsv(statistics),
              "\xEF\xBB\xBF图例项,数量,占比(%),里程(km),最小值,平均值,最大值\r\n"
              "-100 ≤ x < -80,3,50.0,0.022,-90,-88.3,-85\r\n"
              "-80 ≤ x ≤ -60,2,33.3,0.022,-70,-67.5,-65\r\n"
              "不在图例范围内,1,16.7,0.011,-50,-50,-50\r\n");
}

TEST(LegendStatistics, LabelsRangesAsTheirBoundaryModeClosesThem) {
    ThematicLegend legend;
    legend.gradeEntries = {{"1", "", "0", "10"}, {"2", "", "10", "20"}, {"3", "", "20", "30"}};
    const auto labels = [&](BoundaryMode mode) {
        legend.boundaryMode = mode;
        return std::vector<std::string>{RangeLabel(legend, 0), RangeLabel(legend, 1),
                                        RangeLabel(legend, 2)};
    };
    EXPECT_EQ(labels(BoundaryMode::LeftInclusive),
              (std::vector<std::string>{"0 ≤ x < 10", "10 ≤ x < 20", "20 ≤ x ≤ 30"}));
    EXPECT_EQ(labels(BoundaryMode::RightInclusive),
              (std::vector<std::string>{"0 ≤ x ≤ 10", "10 < x ≤ 20", "20 < x ≤ 30"}));
    EXPECT_EQ(labels(BoundaryMode::BothInclusive),
              (std::vector<std::string>{"0 ≤ x ≤ 10", "10 ≤ x ≤ 20", "20 ≤ x ≤ 30"}));
}
