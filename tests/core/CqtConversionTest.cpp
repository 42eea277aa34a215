#include <expat.h>
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "common/Errors.h"
#include "conversions/Cqt2kml.h"
#include "workbooks/WorksheetSource.h"

using namespace orvane;

namespace {

const std::string kData = std::string(ORVANE_TEST_DATA) + "/workbooks/";
using Texts = std::vector<std::string>;

// Sheets of cqt-cases: 等级 (classes), 分级 (grades), 表头 (header only), 复测 (the columns of
// 等级 with other rows). Columns: A 测试点, B 经度, C 纬度, D 质量 or RxLev, E 备注.
constexpr std::int32_t kClassesSheet = 0;
constexpr std::int32_t kGradesSheet = 1;
constexpr std::int32_t kHeaderOnlySheet = 2;
constexpr std::int32_t kRetestSheet = 3;

struct Written {
    ConversionSummary summary;
    std::int64_t points = 0;
    Texts info;
    std::vector<int> progress;
    std::string kml;
};

class CqtConversionTest : public ::testing::Test {
  protected:
    void Open(const std::string& file, std::int32_t sheet) {
        source_.OpenWorkbook(kData + file);
        source_.SelectSheet(sheet);
    }

    CqtConversionRequest Request(const ThematicLegend& legend) const {
        CqtConversionRequest request;
        request.source = &source_;
        request.nameColumn = 1;
        request.lonColumn = 2;
        request.latColumn = 3;
        request.themeColumn = 4;
        request.outPath = dir_.File("out.kml");
        request.legend = legend;
        return request;
    }

    Written Convert(const ThematicLegend& legend) const {
        Written written;
        ConversionObserver observer;
        observer.info = [&](std::string_view line) { written.info.emplace_back(line); };
        observer.progress = [&](int percent) { written.progress.push_back(percent); };
        written.summary = ConvertCqtToKml(Request(legend), observer);
        written.points = written.summary.featuresWritten;
        written.kml = test::ReadBytes(dir_.File("out.kml"));
        return written;
    }

    // The legend the window offers for the theme column of the current sheet.
    ThematicLegend ScannedLegend(LegendKind kind) const {
        ThematicLegend legend;
        legend.kind = kind;
        legend.scan = ScanCqtThemeColumn(source_, 4);
        legend.classEntries = FillClassification(legend.scan);
        legend.gradeEntries = ComputeDefaultGrading(legend.scan, legend.gradeCount);
        return legend;
    }

    WorksheetSource source_;
    test::TempDir dir_;
};

ThematicLegend TenTwenty(BoundaryMode mode) {
    ThematicLegend legend;
    legend.kind = LegendKind::Grading;
    legend.gradeEntries = {{"255", "", "0", "10"}, {"65280", "", "10", "20"}};
    legend.boundaryMode = mode;
    return legend;
}

// Every text of the named element, in document order.
Texts ElementTexts(const std::string& kml, const std::string& element) {
    Texts texts;
    const std::string open = "<" + element + ">";
    const std::string close = "</" + element + ">";
    for (size_t at = kml.find(open); at != std::string::npos; at = kml.find(open, at + 1)) {
        const size_t begin = kml.find_first_not_of("\r\n ", at + open.size());
        const size_t end = kml.find(close, begin);
        const size_t last = kml.find_last_not_of("\r\n ", end - 1);
        texts.push_back(kml.substr(begin, last + 1 - begin));
    }
    return texts;
}

Texts StyleUrls(const std::string& kml) {
    return ElementTexts(kml, "styleUrl");
}

bool WellFormed(const std::string& xml) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    const bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
}

}  // namespace

TEST_F(CqtConversionTest, ClassifiesAgainstTheScanOfTheLastThemeChoice) {
    Open("cqt-cases.xlsx", kClassesSheet);
    const ThematicLegend legend = ScannedLegend(LegendKind::Classification);
    // Text order; the empty theme cell of row 5 is a value of the column too.
    ASSERT_EQ(legend.scan.distinctValues, (Texts{"", "优", "差", "良"}));
    EXPECT_EQ(StyleUrls(Convert(legend).kml),
              (Texts{"#POINTSTYLE1", "#POINTSTYLE3", "#POINTSTYLE2", "#POINTSTYLE3"}));

    // Another sheet with the same column entries, chosen after the theme: its rows are matched
    // against the legend of the first; 中, in no class, is still written.
    source_.SelectSheet(kRetestSheet);
    const Written retest = Convert(legend);
    EXPECT_EQ(ElementTexts(retest.kml, "name"), (Texts{"复1", "复2", "复3"}));
    EXPECT_EQ(StyleUrls(retest.kml), (Texts{"#POINTSTYLE3", "#POINTSTYLE-1", "#POINTSTYLE1"}));
    EXPECT_EQ(retest.points, 3);
    EXPECT_EQ(ElementTexts(retest.kml, "color"),
              (Texts{"ff00FF00", "40ffffff", "ffFF0000", "40ffffff", "ff00FFFF", "40ffffff",
                     "ff0000FF", "40ffffff"}))
        << "one point style per class, in entry order";
}

TEST_F(CqtConversionTest, GradesUnderEachBoundaryMode) {
    Open("cqt-cases.xlsx", kGradesSheet);  // RxLev 0, 5, 10, 15, 20
    EXPECT_EQ(
        StyleUrls(Convert(TenTwenty(BoundaryMode::LeftInclusive)).kml),
        (Texts{"#POINTSTYLE0", "#POINTSTYLE0", "#POINTSTYLE1", "#POINTSTYLE1", "#POINTSTYLE1"}));
    EXPECT_EQ(
        StyleUrls(Convert(TenTwenty(BoundaryMode::RightInclusive)).kml),
        (Texts{"#POINTSTYLE0", "#POINTSTYLE0", "#POINTSTYLE0", "#POINTSTYLE1", "#POINTSTYLE1"}));
    EXPECT_EQ(
        StyleUrls(Convert(TenTwenty(BoundaryMode::BothInclusive)).kml),
        (Texts{"#POINTSTYLE0", "#POINTSTYLE0", "#POINTSTYLE0", "#POINTSTYLE1", "#POINTSTYLE1"}));
    const ThematicLegend scanned = ScannedLegend(LegendKind::Grading);
    EXPECT_TRUE(scanned.scan.canGrade);
    EXPECT_EQ(scanned.scan.minimum, 0);
    EXPECT_EQ(scanned.scan.maximum, 20);
}

TEST_F(CqtConversionTest, ReportsRowsWithAnEmptyBoundTextAndPlacesTheOthers) {
    for (const char* file : {"cqt-cases.xlsx", "cqt-cases.xls", "cqt-cases-openpyxl.xlsx"}) {
        SCOPED_TRACE(file);
        Open(file, kClassesSheet);
        const Written written = Convert(ScannedLegend(LegendKind::Classification));
        EXPECT_EQ(written.points, 4);
        EXPECT_EQ(written.info, (Texts{"第5行数据为无效数据,原因:", "  专题字段 :D:质量无有效值!",
                                       "第6行数据为无效数据,原因:", "  标识名称 :A:测试点无有效值!",
                                       "  经度 :B:经度无有效值!"}));
        // 120.50 as text gives 120.5; abc gives 0.
        EXPECT_EQ(ElementTexts(written.kml, "coordinates"),
                  (Texts{"113.5,24.8,0", "120.5,25,0", "0,25.125,0", "113.7,24.6,0"}));
        // Each percentage once: the last two rows both stand at 100.
        EXPECT_EQ(written.progress, (std::vector<int>{33, 50, 66, 83, 100}));
    }
}

TEST_F(CqtConversionTest, EscapesCellTextsAndNames) {
    Open("cqt-cases.xlsx", kClassesSheet);
    const std::string kml = Convert(ScannedLegend(LegendKind::Classification)).kml;
    EXPECT_TRUE(WellFormed(kml));
    EXPECT_EQ(ElementTexts(kml, "name")[0], "A&amp;B站");
    const Texts descriptions = ElementTexts(kml, "description");
    ASSERT_EQ(descriptions.size(), 4u);
    EXPECT_EQ(descriptions[0],
              "<![CDATA[<TABLE BORDER=1><TR><TD>测试点</TD><TD>A&amp;B站</TD></TR>"
              "<TR><TD>经度</TD><TD>113.5</TD></TR><TR><TD>纬度</TD><TD>24.8</TD></TR>"
              "<TR><TD>质量</TD><TD>优</TD></TR><TR><TD>备注</TD><TD>&lt;5</TD></TR></TABLE> ]]>");
    EXPECT_NE(descriptions[1].find("<TD>A&amp;B</TD>"), std::string::npos);
    EXPECT_NE(descriptions[3].find("<TD>&quot;quoted&quot; ]]&gt;</TD>"), std::string::npos);
}

TEST_F(CqtConversionTest, HeaderOnlySheetGivesTheStylesAlone) {
    Open("cqt-cases.xls", kHeaderOnlySheet);
    ThematicLegend legend = TenTwenty(BoundaryMode::LeftInclusive);
    const Written written = Convert(legend);
    EXPECT_EQ(written.points, 0);
    EXPECT_EQ(ImportedRowsMessage(written.summary), "导出完成,共导入0行数据.");
    EXPECT_EQ(ElementTexts(written.kml, "color"),
              (Texts{"ff0000FF", "40ffffff", "ff00FF00", "40ffffff"}));
    EXPECT_EQ(written.kml.find("<Placemark>"), std::string::npos);
    EXPECT_TRUE(written.progress.empty());
}

TEST_F(CqtConversionTest, StopsWithoutTouchingAnExistingFile) {
    Open("cqt-cases.xlsx", kGradesSheet);
    test::WriteBytes(dir_.File("out.kml"), "kept");
    int calls = 0;
    ConversionObserver observer;
    observer.info = [&](std::string_view) { ++calls; };
    observer.progress = [&](int) { ++calls; };

    ThematicLegend badBound = TenTwenty(BoundaryMode::LeftInclusive);
    badBound.gradeEntries[1].right = "-";
    EXPECT_EQ(test::MessageOf([&] { ConvertCqtToKml(Request(badBound), observer); }),
              "'-' is not a valid floating point value");

    ThematicLegend badColour = TenTwenty(BoundaryMode::LeftInclusive);
    badColour.gradeEntries[0].color = "1.5";
    EXPECT_EQ(test::MessageOf([&] { ConvertCqtToKml(Request(badColour), observer); }),
              "'1.5' is not a valid integer value");

    // Graded against text values: stops at the first one, after some points were built.
    source_.SelectSheet(kClassesSheet);
    EXPECT_EQ(test::MessageOf([&] {
                  ConvertCqtToKml(Request(TenTwenty(BoundaryMode::LeftInclusive)), observer);
              }),
              "'优' is not a valid floating point value");
    EXPECT_EQ(calls, 1) << "the progress of the first row only";
    EXPECT_EQ(test::ReadBytes(dir_.File("out.kml")), "kept");
    EXPECT_EQ(dir_.EntryCount(), 1u) << "no temporary file left behind";

    CqtConversionRequest unbound = Request(badBound);
    unbound.latColumn = 0;  // a choice whose entry is not on the sheet
    EXPECT_EQ(test::MessageOf([&] { ConvertCqtToKml(unbound); }), "List index out of bounds (-1)");

    source_.SelectSheet(kGradesSheet);
    CqtConversionRequest nowhere = Request(TenTwenty(BoundaryMode::LeftInclusive));
    nowhere.outPath = dir_.File("missing/out.kml");
    EXPECT_EQ(test::MessageOf([&] { ConvertCqtToKml(nowhere); }),
              "Cannot create file " + nowhere.outPath);
}

TEST(CqtThemeScan, UsesTheWorksheetNumberTest) {
    WorksheetSource source;
    source.OpenWorkbook(kData + "cqt-cases.xlsx");
    // 经度: 113.5, 120.50 (text), abc, 113.6, "", 113.7.
    const ThemeFieldScan longitude = ScanCqtThemeColumn(source, 2);
    EXPECT_FALSE(longitude.canGrade);
    EXPECT_TRUE(longitude.canClassify);
    EXPECT_EQ(longitude.distinctValues, (Texts{"", "113.5", "113.6", "113.7", "120.50", "abc"}));
    const ThemeFieldScan latitude = ScanCqtThemeColumn(source, 3);
    EXPECT_TRUE(latitude.canGrade);
    EXPECT_EQ(latitude.minimum, 24.6);
    EXPECT_EQ(latitude.maximum, 25.125);
    // A column past the used range holds empty texts only.
    EXPECT_EQ(ScanCqtThemeColumn(source, 9).distinctValues, (Texts{""}));
}
