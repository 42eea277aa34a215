#include <gtest/gtest.h>

#include "TestFiles.h"
#include "common/Errors.h"
#include "conversions/Pt2kml.h"

using namespace orvane;

namespace {
constexpr auto kLatLon = CoordinateFormat::LatitudeLongitude;
constexpr auto kLonLat = CoordinateFormat::LongitudeLatitude;
constexpr auto kLonSpaceLat = CoordinateFormat::LongitudeSpaceLatitude;

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) {
        ++count;
    }
    return count;
}
}  // namespace

TEST(ConvertCoordinateLine, SwapsLatitudeAndLongitude) {
    EXPECT_EQ(ConvertCoordinateLine("25.745336,113.068899", kLatLon), "113.068899,25.745336,0 ");
    EXPECT_EQ(ConvertCoordinateLine(" 25.7 , 113.1 ", kLatLon), "113.1,25.7,0 ");
    EXPECT_EQ(ConvertCoordinateLine("25.7,113.1,12", kLatLon), "113.1,12,25.7,0 ");
    EXPECT_EQ(ConvertCoordinateLine("25.7", kLatLon), "25.7,,0 ");
    EXPECT_EQ(ConvertCoordinateLine("", kLatLon), ",,0 ");
}

TEST(ConvertCoordinateLine, CopiesLongitudeLatitudeLinesAsTheyStand) {
    EXPECT_EQ(ConvertCoordinateLine("113.1,25.7", kLonLat), "113.1,25.7,0  ");
    EXPECT_EQ(ConvertCoordinateLine(" 113.1, 25.7", kLonLat), " 113.1, 25.7,0  ");
    EXPECT_EQ(ConvertCoordinateLine("abc", kLonLat), "abc,0  ");
    EXPECT_EQ(ConvertCoordinateLine("", kLonLat), ",0  ");
}

TEST(ConvertCoordinateLine, SplitsAtTheFirstSpace) {
    EXPECT_EQ(ConvertCoordinateLine("113.1   25.7", kLonSpaceLat), "113.1,25.7,0 ");
    EXPECT_EQ(ConvertCoordinateLine("113.1\t25.7", kLonSpaceLat), ",113.1\t25.7,0 ");
    EXPECT_EQ(ConvertCoordinateLine("113.1", kLonSpaceLat), ",113.1,0 ");
}

TEST(PointConversion, WritesPointLineAndPolygonFiles) {
    test::TempDir dir;
    const std::vector<std::string_view> lines = {"25.1,113.1", "25.2,113.2", "25.3,113.3"};

    WritePointFile(lines, kLatLon, dir.File("p.kml"));
    const std::string points = test::ReadBytes(dir.File("p.kml"));
    EXPECT_EQ(Count(points, "<Placemark>"), 3u);
    for (const char* name : {"        Point0\r\n", "        Point1\r\n", "        Point2\r\n"}) {
        EXPECT_NE(points.find(name), std::string::npos);
    }
    EXPECT_NE(points.find("<Style id=\"Pt_STYLE\" >"), std::string::npos);
    EXPECT_EQ(Count(points, "      <styleUrl>\r\n      </styleUrl>\r\n"), 3u);

    WriteLineFile(lines, kLatLon, dir.File("l.kml"));
    const std::string line = test::ReadBytes(dir.File("l.kml"));
    EXPECT_NE(line.find("          113.1,25.1,0 113.2,25.2,0 113.3,25.3,0 \r\n"),
              std::string::npos);
    EXPECT_EQ(line.find("styleUrl"), std::string::npos);
    EXPECT_EQ(line.find("<Style"), std::string::npos);

    WritePolygonFile(lines, kLatLon, dir.File("g.kml"));
    const std::string polygon = test::ReadBytes(dir.File("g.kml"));
    EXPECT_NE(polygon.find("113.1,25.1,0 113.2,25.2,0 113.3,25.3,0 113.1,25.1,0 \r\n"),
              std::string::npos);
    EXPECT_NE(polygon.find("        #OUTLINE_RED\r\n"), std::string::npos);
    EXPECT_EQ(Count(polygon, "<Style id="), 5u);
}

TEST(PointConversion, ClosesARingOfOneLine) {
    test::TempDir dir;
    const std::vector<std::string_view> one = {"113.1 25.7"};
    WritePolygonFile(one, kLonSpaceLat, dir.File("g.kml"));
    EXPECT_NE(test::ReadBytes(dir.File("g.kml")).find("  113.1,25.7,0 113.1,25.7,0 \r\n"),
              std::string::npos);
    WriteLineFile(one, kLonSpaceLat, dir.File("l.kml"));
    EXPECT_NE(test::ReadBytes(dir.File("l.kml")).find("  113.1,25.7,0 \r\n"), std::string::npos);
}

TEST(PointConversion, ReportsAnOutputThatCannotBeCreated) {
    test::TempDir dir;
    const std::vector<std::string_view> lines = {"25.1,113.1"};
    const std::string path = dir.File("no/such/folder/out.kml");
    try {
        WritePointFile(lines, kLatLon, path);
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + path);
    }
}
