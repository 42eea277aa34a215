// Every conversion writes well-formed XML whatever bytes its input holds: control
// characters, the noncharacters U+FFFE and U+FFFF, bytes that are no UTF-8, markup.

#include <expat.h>
#include <gtest/gtest.h>

#include <functional>

#include "TestFiles.h"
#include "common/Errors.h"
#include "common/TextFile.h"
#include "conversions/Bs2kml.h"
#include "conversions/Cqt2kml.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"
#include "conversions/Mif2kml.h"
#include "conversions/Pt2kml.h"
#include "workbooks/WorksheetSource.h"

using namespace orvane;

namespace {

// The expat error of a document that is not well-formed, or "".
std::string XmlError(const std::string& xml) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    std::string error;
    if (XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) != XML_STATUS_OK) {
        error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                std::to_string(XML_GetCurrentLineNumber(parser));
    }
    XML_ParserFree(parser);
    return error;
}

// What the text files hold inside their texts: each control character other than TAB, LF
// and CR (the formats' own separators), U+FFFE and U+FFFF. Markup is escaped besides.
std::vector<std::string> HostileTexts() {
    std::vector<std::string> texts;
    for (int c = 0; c < 0x20; ++c) {
        if (c != '\t' && c != '\n' && c != '\r') {
            texts.push_back(std::string(1, static_cast<char>(c)) + "]]>&<");
        }
    }
    texts.emplace_back("\xEF\xBF\xBE");
    texts.emplace_back("\xEF\xBF\xBF");
    return texts;
}

std::string Shown(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        shown += std::to_string(static_cast<unsigned char>(c)) + " ";
    }
    return shown;
}

class WellFormedOutput : public ::testing::TestWithParam<KmlLayout> {
  protected:
    // Runs the conversion, which writes dir_/out.kml, and checks what it wrote.
    // The texts with what XML cannot hold are written with U+FFFD in its place.
    void Check(const std::string& what, const std::function<void()>& convert) {
        const std::string output = dir_.File("out.kml");
        std::filesystem::remove(output);
        ASSERT_NO_THROW(convert()) << what;
        const std::string kml = test::ReadBytes(output);
        EXPECT_EQ(XmlError(kml), "") << what;
        EXPECT_NE(kml.find("\xEF\xBF\xBD"), std::string::npos) << what;
    }

    std::string Input(const std::string& name, const std::string& bytes) const {
        test::WriteBytes(dir_.File(name), bytes);
        return dir_.File(name);
    }

    test::TempDir dir_;
};

}  // namespace

TEST_P(WellFormedOutput, FromTypedCoordinatesAndMifRegions) {
    const KmlLayout layout = GetParam();
    for (const std::string& bad : HostileTexts()) {
        const std::string points = Input("points.txt", "25.7,113" + bad + ".1\n25.8,113.2\n");
        const auto convert = [&](auto write) {
            const TextLines text = ReadTextLines(points);
            const std::vector<std::string_view> lines = {text[0], text[1]};
            write(lines, CoordinateFormat::LatitudeLongitude, dir_.File("out.kml"), layout);
        };
        const std::string byte = " with " + Shown(bad);
        Check("points" + byte, [&] { convert(WritePointFile); });
        Check("line" + byte, [&] { convert(WriteLineFile); });
        Check("polygon" + byte, [&] { convert(WritePolygonFile); });
        const std::string mif = Input("regions.mif", "Version 300\nData\nRegion 1\n  3\n113" + bad +
                                                         " 25\n113.1 25\n113 25.1\n");
        Check("mif" + byte, [&] { ConvertMifToKml({mif, dir_.File("out.kml"), layout}); });
    }
}

TEST_P(WellFormedOutput, FromDriveTestLogs) {
    for (const std::string& bad : HostileTexts()) {
        const std::string path = Input("log.txt", "时间\t经度\t纬度\t小区\n1\t113.0\t25.0\tA" +
                                                      bad + "\n2\t113.0001\t25.0\tA" + bad + "\n");
        const DtTextFile log = DtTextFile::Read(path);
        DtConversionRequest request;
        request.dtPath = path;
        request.outPath = dir_.File("out.kml");
        request.layout = GetParam();
        request.lonColumn = 1;
        request.latColumn = 2;
        request.themeColumn = 3;
        request.legend.kind = LegendKind::Classification;
        request.legend.scan = ScanThemeField(log.Values(3), DtNumberTest);
        request.legend.classEntries = FillClassification(request.legend.scan);
        Check("dt with " + Shown(bad), [&] {
            request.log = &log;
            ConvertDtToKml(request);
        });
    }
}

TEST_P(WellFormedOutput, FromBaseStationAndCqtTables) {
    // A workbook carries every control character (a text table holding them is no table):
    // one site for each, in its name and its remark, and one in a header.
    WorksheetSource source;
    source.OpenWorkbook(std::string(ORVANE_TEST_DATA) + "/workbooks/hostile.xls");
    ASSERT_EQ(source.rowCount(), 35);
    BsConversionRequest bs;
    bs.source = &source;
    bs.siteNameColumn = 1;
    bs.lonColumn = 2;
    bs.latColumn = 3;
    bs.azimuthColumn = 4;
    bs.outPath = dir_.File("out.kml");
    bs.layout = GetParam();
    Check("bs", [&] { EXPECT_EQ(ConvertBsToKml(bs).featuresWritten, 34); });

    CqtConversionRequest cqt;
    cqt.source = &source;
    cqt.nameColumn = 1;
    cqt.lonColumn = 2;
    cqt.latColumn = 3;
    cqt.themeColumn = 4;
    cqt.outPath = dir_.File("out.kml");
    cqt.layout = GetParam();
    cqt.legend.kind = LegendKind::Classification;
    cqt.legend.scan = ScanCqtThemeColumn(source, 4);
    cqt.legend.classEntries = FillClassification(cqt.legend.scan);
    Check("cqt", [&] { EXPECT_EQ(ConvertCqtToKml(cqt).featuresWritten, 34); });
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, WellFormedOutput,
                         ::testing::Values(KmlLayout::Fixed, KmlLayout::Standard));
