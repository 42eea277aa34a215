#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "TestFiles.h"
#include "common/Errors.h"
#include "conversions/ServingCells.h"
#include "workbooks/WorksheetSource.h"

using namespace orvane;

namespace {

constexpr double kMetresPerDegree = 6371008.8 * std::numbers::pi / 180;

CellSector Sector(std::string key, double longitude, double latitude,
                  std::optional<double> azimuth = std::nullopt) {
    CellSector sector;
    const std::string_view text = key;
    sector.key = CellKeyOf({&text, 1});
    sector.keyText = key;
    sector.site = "S" + key;
    sector.longitudeText = std::to_string(longitude);
    sector.latitudeText = std::to_string(latitude);
    sector.longitude = longitude;
    sector.latitude = latitude;
    sector.azimuth = azimuth;
    return sector;
}

// A point `metres` from (longitude, latitude) along `bearing`.
std::pair<double, double> Towards(double longitude, double latitude, double bearing,
                                  double metres) {
    const double radians = bearing * std::numbers::pi / 180;
    const double north = metres * std::cos(radians) / kMetresPerDegree;
    const double east =
        metres * std::sin(radians) / kMetresPerDegree / std::cos(latitude * std::numbers::pi / 180);
    return {longitude + east, latitude + north};
}

ServingSample AddAt(ServingCellAnalysis& analysis, std::string_view key,
                    std::pair<double, double> at, std::string_view theme = "-70") {
    return analysis.Add({&key, 1}, at.first, at.second, theme);
}

}  // namespace

// ---- Keys --------------------------------------------------------------------------------

TEST(ServingCells, KeysMatchAsTrimmedTextsOrAsWholeNumbersOfEqualValue) {
    const auto key = [](std::initializer_list<std::string_view> texts) {
        return CellKeyOf(std::span(texts.begin(), texts.size()));
    };
    EXPECT_EQ(key({" 城东1 "}), key({"城东1"}));
    EXPECT_EQ(key({"0123"}), key({"123"}));
    EXPECT_EQ(key({"+7"}), key({"007"}));
    EXPECT_EQ(key({"-0"}), key({"0"}));
    EXPECT_NE(key({"12a"}), key({"12"}));
    EXPECT_NE(key({"1.0"}), key({"1"}));
    EXPECT_EQ(key({"0101", "1825"}), key({"101", " 1825"}));
    EXPECT_NE(key({"101", "1825"}), key({"1011", "825"}));
    const std::string_view parts[] = {" 101", "1825 "};
    EXPECT_EQ(CellKeyText(parts), "101/1825");
}

TEST(ServingCells, SamplesWhoseKeyTheTableLacksAreCountedOnceWithFiveKeys) {
    const CellTable table({Sector("0123", 113, 25, 0)});
    ServingCellAnalysis analysis(table, 0, 3);
    EXPECT_NE(AddAt(analysis, "123", {113, 25.01}).cell, nullptr);
    EXPECT_EQ(AddAt(analysis, "", {113, 25.01}).cell, nullptr);  // no serving cell: not counted
    for (const char* key : {"A", "B", "A", "C", "D", "E", "F", "G"}) {
        const ServingSample sample = AddAt(analysis, key, {113, 25.01});
        EXPECT_EQ(sample.cell, nullptr);
        EXPECT_FALSE(sample.line);
    }
    const ServingCellReport report = analysis.Report();
    EXPECT_EQ(report.samples, 10);
    EXPECT_EQ(report.unmatchedSamples, 8);
    EXPECT_EQ(UnmatchedCellsMessage(report), "8个采样点的服务小区不在基站表中:A,B,C,D,E,...");
    EXPECT_EQ(report.rows.size(), 1u);
}

// ---- Checks ------------------------------------------------------------------------------

TEST(ServingCells, OutOfBeamBeyondHalfTheBeamwidthPlusFifteenAcrossNorth) {
    CellSector narrow = Sector("N", 113, 25, 350);  // 65 degrees: in beam within 47.5
    CellSector wide = Sector("W", 113.5, 25, 350);
    wide.beamwidth = 120;  // in beam within 75
    const CellTable table({narrow, wide, Sector("O", 114, 25)});
    ServingCellAnalysis analysis(table, 0, 3);
    const ServingSample north = AddAt(analysis, "N", Towards(113, 25, 20, 500));
    EXPECT_NEAR(north.bearing, 20, 0.01);
    EXPECT_NEAR(north.distance, 500, 2);  // GeoDistance on its own ellipsoid
    EXPECT_FALSE(north.outOfBeam);
    EXPECT_FALSE(AddAt(analysis, "N", Towards(113, 25, 310, 500)).outOfBeam);
    EXPECT_TRUE(AddAt(analysis, "N", Towards(113, 25, 40, 500)).outOfBeam);
    EXPECT_TRUE(AddAt(analysis, "N", Towards(113, 25, 200, 500)).outOfBeam);
    EXPECT_FALSE(AddAt(analysis, "W", Towards(113.5, 25, 60, 500)).outOfBeam);
    EXPECT_TRUE(AddAt(analysis, "W", Towards(113.5, 25, 70, 500)).outOfBeam);
    for (const double bearing : {0.0, 90.0, 180.0, 270.0}) {
        EXPECT_FALSE(AddAt(analysis, "O", Towards(114, 25, bearing, 500)).outOfBeam);
    }
}

TEST(ServingCells, OvershootingWhenTheRankthNearestSiteIsNearerThanTheServingOne) {
    // Sites 1, 2, 3, 4 km east of the sample; two sectors share the first site.
    const auto site = [](double kilometres) { return Towards(113, 25, 90, kilometres * 1000); };
    std::vector<CellSector> sectors;
    for (int k = 1; k <= 4; ++k) {
        sectors.push_back(Sector("C" + std::to_string(k), site(k).first, site(k).second, 270));
    }
    sectors.push_back(Sector("C1b", site(1).first, site(1).second, 90));
    const CellTable table(sectors);
    EXPECT_EQ(table.SiteCount(), 4u);
    EXPECT_EQ(table.CountSitesCloser(113, 25, 3500, 10), 3);
    EXPECT_EQ(table.CountSitesCloser(113, 25, 3500, 2), 2);
    ServingCellAnalysis rank3(table, 0, 3);
    EXPECT_FALSE(AddAt(rank3, "C3", {113, 25}).overshooting);  // two distinct sites nearer
    EXPECT_TRUE(AddAt(rank3, "C4", {113, 25}).overshooting);
    ServingCellAnalysis rank1(table, 0, 1);
    EXPECT_FALSE(AddAt(rank1, "C1b", {113, 25}).overshooting);
    EXPECT_TRUE(AddAt(rank1, "C2", {113, 25}).overshooting);
}

TEST(ServingCells, TheSiteGridFindsTheSameSitesAsCountingEverySite) {
    std::vector<CellSector> sectors;
    for (int i = 0; i < 400; ++i) {
        // A spiral of sites, denser near its middle.
        const double angle = i * 0.7;
        const double radius = 20.0 * i;
        const auto at = Towards(113, 25, angle * 57.3, radius);
        sectors.push_back(Sector(std::to_string(i), at.first, at.second));
    }
    const CellTable table(sectors);
    for (int probe = 0; probe < 50; ++probe) {
        const auto at = Towards(113, 25, probe * 37.0, probe * 200.0);
        const double metres = 300.0 + probe * 100;
        int expected = 0;
        for (const CellSector& sector : sectors) {
            expected +=
                LocalDistance(at.first, at.second, sector.longitude, sector.latitude) < metres;
        }
        EXPECT_EQ(table.CountSitesCloser(at.first, at.second, metres, 1000), expected) << probe;
    }
}

TEST(ServingCells, LinesAtMostOncePerSpacingAndAtEveryChangeOfCell) {
    const CellTable table({Sector("A", 113, 25.1, 0), Sector("B", 113.1, 25.1, 0)});
    ServingCellAnalysis analysis(table, 50, 3);
    std::string drawn;
    const auto drive = [&](std::string_view key, double metresEast) {
        const ServingSample sample = AddAt(analysis, key, Towards(113, 25, 90, metresEast));
        drawn += sample.line ? "|" : ".";
    };
    for (const double x : {0, 20, 40, 55, 60, 110, 150}) {
        drive("A", x);  // lines at 0, 55 and 110 m
    }
    drive("B", 160);  // a change
    drive("B", 170);
    drive("X", 200);  // unknown: no line, but the route goes on
    drive("B", 215);
    drive("A", 220);  // a change again
    EXPECT_EQ(drawn, "|..|.|.|..||");
    ServingCellAnalysis every(table, 0, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(AddAt(every, "A", {113, 25}).line);
    }
}

// ---- Report ------------------------------------------------------------------------------

TEST(ServingCells, TheReportSumsUpEachCellWithItsVerdict) {
    // Crossed: 20 samples behind a cell facing north. Overshooting: 15 of 60 samples (25 %)
    // served across three nearer sites. Small: 19 samples behind, too few to judge.
    std::vector<CellSector> sectors = {Sector("X", 113, 25, 0), Sector("O", 113.2, 25, 270),
                                       Sector("S", 113.4, 25, 0)};
    for (int k = 0; k < 3; ++k) {
        const auto at = Towards(113.2, 25, 270, 2000 + 100 * k);
        sectors.push_back(Sector("N" + std::to_string(k), at.first, at.second));
    }
    const CellTable table(sectors);
    ServingCellAnalysis analysis(table, 0, 3);
    for (int i = 0; i < 20; ++i) {
        AddAt(analysis, "X", Towards(113, 25, 180, 100 + i), i % 2 == 0 ? "-80" : "-60");
    }
    for (int i = 0; i < 60; ++i) {
        AddAt(analysis, "O", Towards(113.2, 25, 270, i < 15 ? 3000 : 500), "弱");
    }
    for (int i = 0; i < 19; ++i) {
        AddAt(analysis, "S", Towards(113.4, 25, 180, 300));
    }
    ServingCellReport report = analysis.Report();
    report.themeName = "场强";
    ASSERT_EQ(report.rows.size(), 3u);
    EXPECT_EQ(report.rows[0].cell->keyText, "O");  // most samples first
    EXPECT_EQ(report.rows[0].verdict, kOvershootingVerdict);
    EXPECT_DOUBLE_EQ(report.rows[0].overshootingPercent, 25);
    EXPECT_FALSE(report.rows[0].themeMean.has_value());
    EXPECT_EQ(report.rows[1].verdict, kCrossedFeederVerdict);
    EXPECT_EQ(report.rows[2].verdict, "");
    EXPECT_DOUBLE_EQ(report.rows[2].outOfBeamPercent, 100);

    const std::vector<std::string> crossed = ServingReportFields(report.rows[1]);
    EXPECT_EQ(crossed, (std::vector<std::string>{"X", "SX", "20", "20.2", "-80", "-70", "-60",
                                                 "109", "119", "100", "0", "疑似天馈接反"}));
    const std::string csv = ServingReportCsv(report);
    EXPECT_TRUE(
        csv.starts_with("\xEF\xBB\xBF小区,站名,采样点数,占比(%),场强最小值,场强平均值,"
                        "场强最大值,距离中位数(m),最大距离(m),波束外(%),越区(%),结论\r\n"));
    EXPECT_NE(csv.find("\r\nX,SX,20,20.2,-80,-70,-60,109,119,100,0,疑似天馈接反\r\n"),
              std::string::npos);
}

TEST(ServingCells, CsvFieldsAreQuotedWhereTheyHoldCommasQuotesOrLineBreaks) {
    CellSector sector = Sector("a,b", 113, 25);
    sector.site = "say \"hi\"";
    const CellTable table({sector});
    ServingCellAnalysis analysis(table, 0, 3);
    AddAt(analysis, "a,b", {113, 25});
    const std::string csv = ServingReportCsv(analysis.Report());
    EXPECT_NE(csv.find("\r\n\"a,b\",\"say \"\"hi\"\"\",1,100,"), std::string::npos);
}

// ---- The table ---------------------------------------------------------------------------

TEST(ServingCells, TheTableLeavesOutUnusableRowsAndKeepsTheFirstOfEachKey) {
    test::TempDir dir;
    test::WriteBytes(dir.File("cells.csv"),
                     "站名,小区,经度,纬度,方向角,波束宽度\n"
                     "A,1,113,25,0,30\n"
                     "A,2,113,25,,abc\n"      // omnidirectional, default beamwidth
                     "B,,113.1,25,0,\n"       // no key
                     "B,3,x,25,0,\n"          // no longitude
                     "B,4,113.1,25,north,\n"  // no azimuth
                     "C,01,113.2,25,90,\n");  // the key of row 2 again
    WorksheetSource source;
    source.OpenWorkbook(dir.File("cells.csv"));
    const CellTable table = CellTable::Read(
        source,
        {.site = 1, .longitude = 3, .latitude = 4, .azimuth = 5, .beamwidth = 6, .keys = {2}});
    EXPECT_EQ(table.sectors().size(), 3u);
    EXPECT_EQ(table.RowsLeftOut(), 3);
    EXPECT_EQ(table.DuplicateKeys(), 1);
    EXPECT_EQ(table.SiteCount(), 2u);
    EXPECT_EQ(table.Find("1")->site, "A");
    EXPECT_EQ(table.Find("1")->beamwidth, 30);
    EXPECT_FALSE(table.Find("2")->azimuth.has_value());
    EXPECT_EQ(table.Find("2")->beamwidth, kDefaultCellBeamwidth);

    test::WriteBytes(dir.File("empty.csv"), "站名,小区,经度,纬度,方向角\nA,,113,25,0\n");
    source.OpenWorkbook(dir.File("empty.csv"));
    EXPECT_THROW(CellTable::Read(
                     source, {.site = 1, .longitude = 3, .latitude = 4, .azimuth = 5, .keys = {2}}),
                 Error);
    EXPECT_THROW(CellTable::Read(
                     source, {.site = 1, .longitude = 3, .latitude = 4, .azimuth = 5, .keys = {9}}),
                 Error);
}
