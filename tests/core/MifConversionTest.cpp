#include <gtest/gtest.h>

#include "TestFiles.h"
#include "common/Errors.h"
#include "conversions/MidFile.h"
#include "conversions/Mif2kml.h"

using namespace orvane;

namespace {

class MifConversion : public ::testing::Test {
  protected:
    // Converts a MIF text; returns the KML text.
    std::string Convert(const std::string& mif) {
        test::WriteBytes(dir_.File("in.mif"), mif);
        ConvertMifToKml({dir_.File("in.mif"), dir_.File("out.kml")});
        return test::ReadBytes(dir_.File("out.kml"));
    }
    // Converts a MIF text that must fail; returns the error and checks that an existing
    // output file is left as it was.
    std::string Failure(const std::string& mif) {
        test::WriteBytes(dir_.File("in.mif"), mif);
        test::WriteBytes(dir_.File("out.kml"), "previous");
        try {
            ConvertMifToKml({dir_.File("in.mif"), dir_.File("out.kml")});
        } catch (const Error& error) {
            EXPECT_EQ(test::ReadBytes(dir_.File("out.kml")), "previous");
            EXPECT_EQ(dir_.EntryCount(), 2u);
            return error.what();
        }
        ADD_FAILURE() << "no error";
        return {};
    }
    static std::vector<std::string> Rings(const std::string& kml) {
        std::vector<std::string> rings;
        const std::string start = "            <coordinates>\r\n              ";
        for (size_t p = kml.find(start); p != std::string::npos; p = kml.find(start, p + 1)) {
            const size_t begin = p + start.size();
            rings.push_back(kml.substr(begin, kml.find("\r\n", begin) - begin));
        }
        return rings;
    }
    static size_t Placemarks(const std::string& kml) {
        size_t count = 0;
        for (size_t p = kml.find("<Placemark>"); p != std::string::npos;
             p = kml.find("<Placemark>", p + 1)) {
            ++count;
        }
        return count;
    }

    test::TempDir dir_;
};

const std::string kHeader =
    "Version 300\r\nCharset \"WindowsSimpChinese\"\r\nColumns 1\r\n  ID Integer\r\n";

}  // namespace

TEST_F(MifConversion, ConvertsARegionToAnOutlinedPolygon) {
    const std::string kml = Convert(kHeader +
                                    "Data\r\n\r\nRegion  1\r\n  4\r\n113.1 25.7\r\n"
                                    "113.2 25.7\r\n113.2 25.8\r\n113.1 25.7\r\n"
                                    "    Pen (1,2,0)\r\n    Brush (1,0,16777215)\r\n"
                                    "    Center 113.15 25.75\r\n");
    EXPECT_EQ(Rings(kml),
              (std::vector<std::string>{"113.1,25.7,0 113.2,25.7,0 113.2,25.8,0 113.1,25.7,0 "}));
    EXPECT_NE(kml.find("      <name>\r\n        Region\r\n"), std::string::npos);
    EXPECT_NE(kml.find("      <styleUrl>\r\n        #OUTLINE_RED\r\n"), std::string::npos);
    EXPECT_NE(kml.find("<Style id=\"OUTLINE_AQUA\" >"), std::string::npos);
}

TEST_F(MifConversion, WritesOnePlacemarkPerPolygonInFileOrder) {
    const std::string kml =
        Convert(kHeader +
                "Data\n\nRegion 2\n2\n1 2\n3 4\n1\n5   6 0\nPen\nBrush\nCenter\n"
                "Region 1\n1\n7\t8\n");
    EXPECT_EQ(Rings(kml), (std::vector<std::string>{"1,2,0 3,4,0 ", "5,6,0 ", "7\t8,,0 "}));
}

TEST_F(MifConversion, PassesOverOtherObjectsAndOtherLetterCases) {
    EXPECT_EQ(Placemarks(Convert(kHeader + "Data\n\nPline 2\n1 2\n3 4\nPoint 1 2\n"
                                           "region 1\n1\n1 2\nREGION 1\n1\n1 2\n")),
              0u);
    EXPECT_EQ(Placemarks(Convert("  Data  \n\n  Region 1\n1\n1 2\n")), 1u);
}

TEST_F(MifConversion, FindsEveryRegionAfterTheDataLine) {
    // Right after the "Data" line, and right after a region without pen, brush and centre.
    EXPECT_EQ(Rings(Convert("Data\nRegion 1\n1\n1 2\n")), (std::vector<std::string>{"1,2,0 "}));
    EXPECT_EQ(Rings(Convert("Data\n\nRegion 1\n1\n1 2\nRegion 1\n1\n3 4\nPen (1,2,0)\n")),
              (std::vector<std::string>{"1,2,0 ", "3,4,0 "}));
}

TEST_F(MifConversion, ReadsGbkFiles) {
    const std::string kml = Convert(
        "Charset \"WindowsSimpChinese\"\n\xCA\xFD\xBE\xDD\n"
        "Data\n\nRegion 1\n1\n1 2\n");
    EXPECT_EQ(Rings(kml), (std::vector<std::string>{"1,2,0 "}));
}

TEST_F(MifConversion, StopsAtAFileWithoutDataOrCutShort) {
    EXPECT_EQ(Failure("Version 300\nColumns 1\n"), "List index out of bounds (2)");
    EXPECT_EQ(Failure(""), "List index out of bounds (0)");
    EXPECT_EQ(Failure("Data\n\nRegion 1\n4\n1 2\n3 4\n"), "List index out of bounds (6)");
    EXPECT_EQ(Failure("Data\n\nRegion 2000000000\n0\n"), "List index out of bounds (4)");
    EXPECT_EQ(Failure("Data\n\nRegion 1\n2000000000\n1 2\n"), "List index out of bounds (5)");
}

TEST_F(MifConversion, StopsAtACountThatIsNoInteger) {
    EXPECT_EQ(Failure("Data\n\nRegion\n"), "'' is not a valid integer value");
    EXPECT_EQ(Failure("Data\n\nRegion x\n"), "'x' is not a valid integer value");
    EXPECT_EQ(Failure("Data\n\nRegion 1\n4 \n"), "'4 ' is not a valid integer value");
}

TEST_F(MifConversion, SurvivesBinaryGarbage) {
    std::string garbage = "Data\n\n";
    for (int i = 0; i < 5000; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    EXPECT_EQ(Placemarks(Convert(garbage)), 0u);
}

TEST_F(MifConversion, ReportsMissingInputAndUnwritableOutput) {
    try {
        ConvertMifToKml({dir_.File("none.mif"), dir_.File("out.kml")});
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + dir_.File("none.mif"));
    }
    test::WriteBytes(dir_.File("in.mif"), "Data\n\n");
    const std::string output = dir_.File("no/out.kml");
    try {
        ConvertMifToKml({dir_.File("in.mif"), output});
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + output);
    }
}

TEST(MidFile, SplitsQuotedFieldsAtTheDelimiter) {
    std::vector<std::string> fields;
    SplitMidLine(R"(1,"城东,含""湖""", 12.5 ,"")", ',', fields);
    EXPECT_EQ(fields, (std::vector<std::string>{"1", "城东,含\"湖\"", "12.5", ""}));
    SplitMidLine("a\t\"b\tc\"", '\t', fields);
    EXPECT_EQ(fields, (std::vector<std::string>{"a", "b\tc"}));
}
