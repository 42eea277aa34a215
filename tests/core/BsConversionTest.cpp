#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "TestFiles.h"
#include "common/Kml_baseclass.h"
#include "conversions/Bs2kml.h"
#include "workbooks/WorksheetSource.h"

using namespace orvane;

namespace {

const std::string kData = std::string(ORVANE_TEST_DATA) + "/bs/";
using Texts = std::vector<std::string>;

// A site folder as the file holds it.
struct Folder {
    std::string name;
    std::string description;
    std::string coordinates;
    Texts styles;  // of the wedges
    Texts rings;
};

// Reads the folders back from the file's layout: a tag per line, a text on the line after.
std::vector<Folder> Folders(const std::string& kml) {
    std::vector<Folder> folders;
    Texts path;
    size_t begin = 0;
    while (begin < kml.size()) {
        size_t end = kml.find("\r\n", begin);
        std::string line = kml.substr(begin, end - begin);
        line.erase(0, line.find_first_not_of(' '));  // the indentation, not a name's TABs
        begin = end + 2;
        if (line.starts_with("</")) {
            path.pop_back();
        } else if (line.starts_with("<") && !line.starts_with("<![CDATA[")) {
            const std::string tag = line.substr(1, line.find_first_of(" >") - 1);
            if (tag == "Folder") {
                folders.emplace_back();
            }
            if (!tag.starts_with("?")) {
                path.push_back(tag);
            }
        } else if (!folders.empty() &&
                   std::find(path.begin(), path.end(), "Folder") != path.end()) {
            Folder& folder = folders.back();
            const std::string& tag = path.back();
            const bool inPolygon = std::find(path.begin(), path.end(), "Polygon") != path.end();
            if (tag == "name" && path[path.size() - 2] == "Folder") {
                folder.name = line;
            } else if (tag == "description") {
                folder.description = line;
            } else if (tag == "coordinates") {
                (inPolygon ? folder.rings.emplace_back() : folder.coordinates) = line;
            } else if (tag == "styleUrl" && line != "#BS_STYLE") {
                folder.styles.push_back(line);
            }
        }
    }
    return folders;
}

size_t VertexCount(const std::string& ring) {
    return static_cast<size_t>(std::count(ring.begin(), ring.end(), ' '));
}

struct Outcome {
    ConversionSummary summary;
    std::int64_t sites = -1;
    std::string kml;
    std::vector<Folder> folders;
    Texts info;
    std::vector<int> progress;
};

// Converts a sheet of a case workbook with columns A to D bound to site name, longitude,
// latitude and azimuth, as the window binds them.
Outcome Convert(const std::string& sheet, std::int32_t beamwidthColumn = 0,
                std::optional<double> metres = std::nullopt,
                const std::string& workbook = "bs-cases.xlsx") {
    WorksheetSource source;
    source.OpenWorkbook(kData + workbook);
    const auto& names = source.sheetNames();
    source.SelectSheet(
        static_cast<std::int32_t>(std::find(names.begin(), names.end(), sheet) - names.begin()));
    const test::TempDir dir;
    BsConversionRequest request;
    request.source = &source;
    request.siteNameColumn = 1;
    request.lonColumn = 2;
    request.latColumn = 3;
    request.azimuthColumn = 4;
    request.siteNameEntry = source.columnEntries()[0];
    request.lonEntry = source.columnEntries()[1];
    request.latEntry = source.columnEntries()[2];
    request.azimuthEntry = source.columnEntries()[3];
    request.outPath = dir.File("out.kml");
    request.beamwidthColumn = beamwidthColumn;
    if (beamwidthColumn != 0) {
        request.beamwidthEntry = source.columnEntries()[beamwidthColumn - 1];
    }
    request.radiusMetres = metres;
    Outcome outcome;
    ConversionObserver observer;
    observer.info = [&](std::string_view line) { outcome.info.emplace_back(line); };
    observer.progress = [&](int percent) { outcome.progress.push_back(percent); };
    outcome.summary = ConvertBsToKml(request, observer);
    outcome.sites = outcome.summary.featuresWritten;
    outcome.kml = test::ReadBytes(request.outPath);
    outcome.folders = Folders(outcome.kml);
    return outcome;
}

// The coordinates of a ring's vertices.
std::vector<std::pair<double, double>> Points(const std::string& ring) {
    std::vector<std::pair<double, double>> points;
    std::string_view rest = ring;
    while (!Trim(rest).empty()) {
        std::string_view vertex = CutTrimmedToken(rest, ' ');
        const double x = ParseNumber(CutToken(vertex, ','));
        const double y = ParseNumber(CutToken(vertex, ','));
        points.emplace_back(x, y);
    }
    return points;
}

}  // namespace

TEST(BsConversion, OneSiteOfThreeRowsInBothWorkbookKinds) {
    for (const std::string workbook : {"bs-cases.xlsx", "bs-cases.xls"}) {
        const Outcome outcome = Convert("三扇区", 0, std::nullopt, workbook);
        EXPECT_EQ(outcome.sites, 1);
        ASSERT_EQ(outcome.folders.size(), 1u) << workbook;
        const Folder& site = outcome.folders[0];
        EXPECT_EQ(site.name, "A1\tA2\tA3\t");
        EXPECT_EQ(site.coordinates, "120.1,30.2,0 ");
        EXPECT_EQ(site.styles, (Texts{"#OUTLINE_RED", "#OUTLINE_GREEN", "#OUTLINE_YELLOW"}));
        EXPECT_EQ(site.description,
                  "<![CDATA[<TABLE BORDER=1>"
                  "<TR><TD>站名</TD><TD>A1</TD><TD>A2</TD><TD>A3</TD></TR>"
                  "<TR><TD>经度</TD><TD>120.1</TD><TD>120.1</TD><TD>120.1</TD></TR>"
                  "<TR><TD>纬度</TD><TD>30.2</TD><TD>30.2</TD><TD>30.2</TD></TR>"
                  "<TR><TD>方向角</TD><TD>0</TD><TD>120</TD><TD>240</TD></TR>"
                  "<TR><TD>CI</TD><TD>101</TD><TD>102</TD><TD>103</TD></TR>"
                  "<TR><TD>备注</TD><TD>主站</TD><TD></TD><TD>x</TD></TR>"
                  "</TABLE> ]]>");
        // The wedges are the usual 45-degree sector rings of 2 seconds.
        ASSERT_EQ(site.rings.size(), 3u);
        EXPECT_EQ(site.rings[1], SectorRing(120.1, 30.2, 120, 2));
        EXPECT_TRUE(outcome.info.empty());
        EXPECT_EQ(ImportedRowsMessage(outcome.summary), "导出完成,共导入1行数据.");
    }
}

TEST(BsConversion, SitesAreRunsOfEqualCoordinateTexts) {
    const Outcome around = Convert("重复坐标");
    EXPECT_EQ(around.sites, 3);
    ASSERT_EQ(around.folders.size(), 3u);
    EXPECT_EQ(around.folders[0].name, "B1\t");
    EXPECT_EQ(around.folders[1].name, "C1\tC2\t");
    EXPECT_EQ(around.folders[2].name, "B2\t");
    EXPECT_EQ(around.folders[0].coordinates, around.folders[2].coordinates);
    EXPECT_EQ(around.progress, (std::vector<int>{50, 75, 100, 0}));

    // 120.1 and 120.10 are different texts of the same number; abc is placed at 0.
    const Outcome texts = Convert("文本坐标");
    ASSERT_EQ(texts.folders.size(), 3u);
    EXPECT_EQ(texts.folders[0].coordinates, "120.1,30.2,0 ");
    EXPECT_EQ(texts.folders[1].coordinates, "120.1,30.2,0 ");
    EXPECT_EQ(texts.folders[2].coordinates, "0,30.5,0 ");
    EXPECT_EQ(Points(texts.folders[2].rings[0]).front(), std::make_pair(0.0, 30.5));
    EXPECT_EQ(texts.progress, (std::vector<int>{66, 100, 0}));
}

TEST(BsConversion, ReportsSkippedRowsWithoutSplittingSites) {
    const Outcome outcome = Convert("跳过行");
    EXPECT_EQ(outcome.info, (Texts{"第3行数据未导入,原因:", "  方向角 :D:方向角无有效值!",
                                   "第5行数据未导入,原因:", "  站名 :A:站名无有效值!",
                                   "第7行数据未导入,原因:", "  纬度 :C:纬度无有效值!"}));
    EXPECT_EQ(outcome.sites, 2);
    ASSERT_EQ(outcome.folders.size(), 2u);
    EXPECT_EQ(outcome.folders[0].name, "D1\tD3\t");
    EXPECT_EQ(outcome.folders[0].styles, (Texts{"#OUTLINE_RED", "#OUTLINE_YELLOW"}));
    EXPECT_NE(outcome.folders[0].description.find("<TD>方向角</TD><TD>0</TD><TD>240</TD>"),
              std::string::npos);
    // The last row is left out; the site before it keeps its own place.
    EXPECT_EQ(outcome.folders[1].name, "E1\t");
    EXPECT_EQ(outcome.folders[1].coordinates, "114,24,0 ");
}

TEST(BsConversion, ColoursWedgesByTheQuadrantTheyFace) {
    const Outcome outcome = Convert("方向角颜色");
    ASSERT_EQ(outcome.folders.size(), 1u);
    const Folder& site = outcome.folders[0];
    EXPECT_EQ(site.styles,
              (Texts{"#OUTLINE_GREEN", "#OUTLINE_YELLOW", "#OUTLINE_BLUE", "#OUTLINE_BLUE",
                     "#OUTLINE_RED", "#OUTLINE_GREEN", "#OUTLINE_AQUA", "#OUTLINE_RED"}));
    EXPECT_EQ(VertexCount(site.rings[6]), 721u);  // omnidirectional: a circle, no centre
    EXPECT_EQ(VertexCount(site.rings[7]), 93u);
    EXPECT_NE(site.rings[6].substr(0, 9), "113,25,0 ");
}

TEST(BsConversion, HeaderOnlyWritesNoSite) {
    const Outcome outcome = Convert("仅表头");
    EXPECT_EQ(outcome.sites, 0);
    EXPECT_TRUE(outcome.folders.empty());
    EXPECT_NE(outcome.kml.find("OUTLINE_AQUA"), std::string::npos);
    EXPECT_EQ(ImportedRowsMessage(outcome.summary), "导出完成,共导入0行数据.");
}

TEST(BsConversion, TabsInsideCellsShiftTheirRowsDescription) {
    const Outcome outcome = Convert("TAB");
    ASSERT_EQ(outcome.folders.size(), 1u);
    EXPECT_NE(outcome.folders[0].description.find(
                  "<TR><TD>说</TD><TD>a</TD></TR><TR><TD>明</TD><TD>b</TD></TR></TABLE>"),
              std::string::npos)
        << outcome.folders[0].description;
}

TEST(BsConversion, EscapesNamesAndCells) {
    const Outcome outcome = Convert("转义");
    ASSERT_EQ(outcome.folders.size(), 1u);
    EXPECT_EQ(outcome.folders[0].name, "A&amp;B&lt;1&gt;\t");
    EXPECT_NE(outcome.folders[0].description.find(
                  "<TR><TD>备注&quot;</TD><TD>&lt;5 &amp; &quot;x&quot;&gt;</TD></TR>"),
              std::string::npos)
        << outcome.folders[0].description;
}

TEST(BsConversion, StopsWithoutTouchingTheOutput) {
    WorksheetSource source;
    source.OpenWorkbook(kData + "bs-cases.xlsx");
    source.SelectSheet(7);  // 非整数方向角
    const test::TempDir dir;
    BsConversionRequest request;
    request.source = &source;
    request.siteNameColumn = 1;
    request.lonColumn = 2;
    request.latColumn = 3;
    request.azimuthColumn = 4;
    request.outPath = dir.File("kept.kml");
    EXPECT_EQ(test::MessageOf([&] { ConvertBsToKml(request); }),
              "'120.5' is not a valid integer value");
    EXPECT_EQ(dir.EntryCount(), 0u) << "no empty file is left behind";
    test::WriteBytes(request.outPath, "kept");
    EXPECT_EQ(test::MessageOf([&] { ConvertBsToKml(request); }),
              "'120.5' is not a valid integer value");
    EXPECT_EQ(test::ReadBytes(request.outPath), "kept");
    EXPECT_EQ(dir.EntryCount(), 1u);

    // An output that cannot be created is an error, not a success.
    request.outPath = dir.File("no-folder/out.kml");
    source.SelectSheet(0);
    EXPECT_EQ(test::MessageOf([&] { ConvertBsToKml(request); }),
              "Cannot create file " + request.outPath);
    // A column the sheet does not have is never read.
    request.azimuthColumn = 7;
    EXPECT_EQ(test::MessageOf([&] { ConvertBsToKml(request); }), "List index out of bounds (7)");
}

TEST(BsConversion, DrawsEachSectorWithItsOwnBeamwidth) {
    const Outcome outcome = Convert("波束宽度", 5);
    EXPECT_EQ(outcome.info, (Texts{"第3行波束宽度 :E:波束宽度无有效值!按45度绘制.",
                                   "第4行波束宽度 :E:波束宽度无有效值!按45度绘制.",
                                   "第6行波束宽度 :E:波束宽度无有效值!按45度绘制."}));
    ASSERT_EQ(outcome.folders.size(), 3u);
    const Folder& site = outcome.folders[0];
    ASSERT_EQ(site.rings.size(), 5u);
    EXPECT_EQ(VertexCount(site.rings[0]), 123u);  // 60 degrees: 121 arc points
    EXPECT_EQ(VertexCount(site.rings[1]), 93u);   // empty: 45
    EXPECT_EQ(VertexCount(site.rings[2]), 93u);   // abc: 45
    EXPECT_EQ(VertexCount(site.rings[3]), 721u);  // 360: the full circle
    EXPECT_EQ(VertexCount(site.rings[4]), 93u);   // 400: 45
    EXPECT_EQ(site.styles[3], "#OUTLINE_RED");    // coloured by its azimuth still
    // Azimuth 90 with 60 degrees: the arc runs from bearing 60 to bearing 120.
    const auto points = Points(site.rings[0]);
    const double r = 2.0 / 3600;
    const auto at = [r](double bearing) {
        const double t = (90 - bearing) * std::numbers::pi / 180;
        return std::make_pair(113 + std::cos(t) * r, 25 + std::sin(t) * r);
    };
    EXPECT_NEAR(points[1].first, at(60).first, 1e-12);
    EXPECT_NEAR(points[1].second, at(60).second, 1e-12);
    EXPECT_NEAR(points[121].first, at(120).first, 1e-12);
    EXPECT_NEAR(points[121].second, at(120).second, 1e-12);

    // Without the column every wedge is the usual one, as before.
    const Outcome plain = Convert("波束宽度");
    EXPECT_TRUE(plain.info.empty());
    EXPECT_EQ(plain.folders[0].rings[0], SectorRing(113, 25, 90, 2));
}

TEST(BsConversion, DrawsWedgesOfTrueSizeInMetres) {
    const Outcome outcome = Convert("波束宽度", 5, 500);
    ASSERT_EQ(outcome.folders.size(), 3u);
    const auto extent = [](const std::string& ring) {
        double west = 1e9, east = -1e9, south = 1e9, north = -1e9;
        for (const auto& [x, y] : Points(ring)) {
            west = std::min(west, x);
            east = std::max(east, x);
            south = std::min(south, y);
            north = std::max(north, y);
        }
        return std::make_pair(east - west, north - south);
    };
    const auto [wide60, high60] = extent(outcome.folders[1].rings[0]);  // latitude 60
    const auto [wide0, high0] = extent(outcome.folders[2].rings[0]);    // the equator
    EXPECT_NEAR(wide60 / wide0, 2, 1e-9);
    EXPECT_NEAR(high60 / high0, 1, 1e-9);
    // 500 m on the ground, east of the site at the equator and north of it at 60 degrees.
    const auto equator = Points(outcome.folders[2].rings[0]);
    EXPECT_NEAR(GeoDistance(113, 0, equator[61].first, equator[61].second), 500, 5);
    const auto circle = Points(outcome.folders[0].rings[3]);  // 360 degrees at latitude 25
    for (const size_t k : {0u, 180u, 360u, 540u}) {
        EXPECT_NEAR(GeoDistance(113, 25, circle[k].first, circle[k].second), 500, 5) << k;
    }
}

TEST(BsConversion, LargeTablesGiveTheSameWedgesAsTheBuilder) {
    // 4,500 sites facing 4,500 directions: batches drawn on two threads, and more shapes
    // than are kept for the whole table.
    const test::TempDir dir;
    std::string table = "站名,经度,纬度,方向角\n";
    for (int i = 0; i < 4500; ++i) {
        table += 'S';
        table += std::to_string(i);
        table += ',';
        table += FormatNumber(100 + i * 0.001);
        table += ",25,";
        table += std::to_string(i - 1);
        table += '\n';
    }
    test::WriteBytes(dir.File("sites.csv"), table);
    WorksheetSource source;
    source.OpenWorkbook(dir.File("sites.csv"));
    BsConversionRequest request;
    request.source = &source;
    request.siteNameColumn = 1;
    request.lonColumn = 2;
    request.latColumn = 3;
    request.azimuthColumn = 4;
    request.outPath = dir.File("sites.kml");
    EXPECT_EQ(ConvertBsToKml(request).featuresWritten, 4500);
    const std::vector<Folder> folders = Folders(test::ReadBytes(request.outPath));
    ASSERT_EQ(folders.size(), 4500u);
    for (int i = 0; i < 4500; ++i) {
        ASSERT_EQ(folders[static_cast<size_t>(i)].rings.at(0),
                  SectorRing(ParseNumber(FormatNumber(100 + i * 0.001)), 25, i - 1, 2))
            << i;
    }
}
