#include <gtest/gtest.h>

#include "common/Encoding.h"
#include "common/ImageRegistration.h"

using namespace orvane;

namespace {
const PictureCorners kCorners = {
    .topLeft = {113.25, 25.875},
    .bottomLeft = {113.25, -0.5},
    .topRight = {-0.5, 25.875},
    .bottomRight = {114.123456789, -25.999999996},
};
}  // namespace

TEST(ImageRegistration, DegreesHaveEightDecimalsAndAPoint) {
    EXPECT_EQ(FormatDegrees(0.0), "0.00000000");
    EXPECT_EQ(FormatDegrees(-0.5), "-0.50000000");
    EXPECT_EQ(FormatDegrees(113.0), "113.00000000");
    EXPECT_EQ(FormatDegrees(-179.123456789), "-179.12345679");
    EXPECT_EQ(FormatDegrees(0.000000004), "0.00000000");
    // A value that rounds to zero carries no sign.
    EXPECT_EQ(FormatDegrees(-0.000000004), "0.00000000");
    EXPECT_EQ(FormatDegrees(-0.0), "0.00000000");
}

TEST(ImageRegistration, RegistrationFilesLieBesideTheBitmap) {
    EXPECT_EQ(ReplaceExtension("D:/maps/area.bmp", ".TAB"), "D:/maps/area.TAB");
    EXPECT_EQ(ReplaceExtension("/home/me/area.BMP", ".bpw"), "/home/me/area.bpw");
    EXPECT_EQ(ReplaceExtension("area.bmp", ".TAB"), "area.TAB");
    EXPECT_EQ(ReplaceExtension("/tmp/my.maps/area", ".TAB"), "/tmp/my.maps/area.TAB");
    EXPECT_EQ(ReplaceExtension("/tmp/area.v2.bmp", ".TAB"), "/tmp/area.v2.TAB");
}

TEST(ImageRegistration, RasterTableLineByLine) {
    EXPECT_EQ(MapInfoRasterTable("D:/maps/area.bmp", 800, 600, kCorners),
              "!table\r\n"
              "!version 300\r\n"
              "!charset WindowsSimpChinese\r\n"
              "\r\n"
              "Definition Table\r\n"
              "  File \"area.bmp\"\r\n"
              "  Type \"RASTER\"\r\n"
              "  (113.25000000,25.87500000) (0,0) Label \"Pt 1\",\r\n"
              "  (113.25000000,-0.50000000) (0,600) Label \"Pt 2\",\r\n"
              "  (-0.50000000,25.87500000) (800, 0) Label \"Pt 3\",\r\n"
              "  (114.12345679,-26.00000000) (800,600) Label \"Pt 4\"\r\n"
              "  CoordSys Earth Projection 1, 104\r\n"
              "  Units \"degree\"\r\n");
}

TEST(ImageRegistration, RasterTableNamesTheBitmapInGbk) {
    const std::string table = MapInfoRasterTable("/home/测试/区域图.BMP", 1, 2, kCorners);
    EXPECT_NE(table.find("\r\n  File \"\xC7\xF8\xD3\xF2\xCD\xBC.BMP\"\r\n"), std::string::npos);
    // A character that GBK lacks is kept in its GB18030 form rather than lost.
    EXPECT_NE(MapInfoRasterTable("map\xF0\x9F\x98\x80.bmp", 1, 2, kCorners)
                  .find("  File \"map\x94\x39\xFC\x36.bmp\"\r\n"),
              std::string::npos);
    EXPECT_EQ(EncodeGbk("区域 € x"), "\xC7\xF8\xD3\xF2 \x80 x");
}

TEST(ImageRegistration, WorldFileGivesPixelSizeAndTheFirstPixelCentre) {
    // 512 x 256 pixels from longitude -1 to 1 and latitude 0.5 to -0.5: 1/256 degree a pixel.
    const PictureCorners flat = {{-1.0, 0.5}, {-1.0, -0.5}, {1.0, 0.5}, {1.0, -0.5}};
    EXPECT_EQ(WorldFile(512, 256, flat),
              "0.00390625\r\n0\r\n0\r\n-0.00390625\r\n-0.998046875\r\n0.498046875\r\n");

    // A turned picture keeps its rotation terms; each corner maps back onto itself.
    const PictureCorners turned = {{0.0, 0.0}, {-2.0, -4.0}, {8.0, -4.0}, {6.0, -8.0}};
    const std::string lines = WorldFile(4, 2, turned);
    EXPECT_EQ(lines, "2\r\n-1\r\n-1\r\n-2\r\n0.5\r\n-1.5\r\n");
}
