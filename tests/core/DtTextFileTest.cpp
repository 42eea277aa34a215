#include <gtest/gtest.h>

#include "TestFiles.h"
#include "common/Errors.h"
#include "conversions/DtTextFile.h"

using namespace orvane;

namespace {
using Names = std::vector<std::string>;

PositionColumns Detect(const Names& names) {
    return DetectPositionColumns(names);
}
}  // namespace

TEST(DtTextFile, HeaderNamesEndAtTheFirstEmptyName) {
    EXPECT_EQ(ReadHeaderNames("Time\tLon\tLat"), (Names{"Time", "Lon", "Lat"}));
    EXPECT_EQ(ReadHeaderNames("A\t\tB"), (Names{"A"}));
    EXPECT_EQ(ReadHeaderNames("A\tB\t"), (Names{"A", "B"}));
    EXPECT_EQ(ReadHeaderNames("\tA"), Names{});
    EXPECT_EQ(ReadHeaderNames(" A \t B"), (Names{" A ", " B"}));  // names are not trimmed
}

TEST(DtTextFile, DetectsPositionColumnsByNameLastMatchWinning) {
    auto expectColumns = [](const Names& names, size_t longitude, size_t latitude) {
        const PositionColumns columns = Detect(names);
        EXPECT_EQ(columns.longitude, longitude) << ::testing::PrintToString(names);
        EXPECT_EQ(columns.latitude, latitude) << ::testing::PrintToString(names);
    };
    expectColumns({"Time", "LONGITUDE", "LATITUDE", "Level"}, 1, 2);
    expectColumns({"Lon", "Lat", "Long2"}, 2, 1);
    expectColumns({"经度", "纬度"}, 0, 1);
    expectColumns({"LAT", "LON", "Latency"}, 1, 2);
    expectColumns({"Time", "Level"}, 0, 0);
    expectColumns({"GPS_Longitude", "GPS_Latitude", "x"}, 0, 1);  // contained anywhere
    expectColumns({"x", "GPS经度", "GPS纬度"}, 1, 2);
    expectColumns({"Along", "Plat"}, 0, 0);  // only the start counts for the short forms
}

TEST(DtTextFile, FindsFieldsByPositionWithoutTrimming) {
    const std::string_view record = "a\t b \t\tlast";
    EXPECT_EQ(RecordField(record, 0), "a");
    EXPECT_EQ(RecordField(record, 1), " b ");
    EXPECT_EQ(RecordField(record, 2), "");
    EXPECT_EQ(RecordField(record, 3), "last");
    EXPECT_EQ(RecordField(record, 4), "");
    EXPECT_EQ(RecordField("", 0), "");
    // A record with two fields under a header of four names.
    EXPECT_EQ(RecordField("1\t2", 2), "");
    EXPECT_EQ(RecordField("1\t2", 3), "");
    // The field is a view into the record, not a copy.
    EXPECT_EQ(RecordField(record, 3).data(), record.data() + 7);
}

TEST(DtTextFile, ReadsAFileWithHeaderAndRecords) {
    test::TempDir dir;
    const std::string path = dir.File("log.txt");
    test::WriteBytes(path, "Lon\tLat\tLevel\r\n113.1\t22.5\t-70\r\n\r\n113.2\t22.6\t-75\r\n");
    const DtTextFile file = DtTextFile::Read(path);
    EXPECT_EQ(file.HeaderNames(), (Names{"Lon", "Lat", "Level"}));
    ASSERT_EQ(file.RecordCount(), 3u);
    EXPECT_EQ(file.Field(0, 2), "-70");
    EXPECT_EQ(file.Field(1, 0), "");  // an empty line is a record of empty fields
    std::vector<std::string> levels;
    for (std::string_view value : file.Values(2)) {
        levels.emplace_back(value);
    }
    EXPECT_EQ(levels, (Names{"-70", "", "-75"}));
}

TEST(DtTextFile, ReadsGbkNamesAsUtf8) {
    test::TempDir dir;
    const std::string path = dir.File("gbk.txt");
    // "经度\t纬度\t场强" in GBK.
    test::WriteBytes(path,
                     "\xBE\xAD\xB6\xC8\t\xCE\xB3\xB6\xC8\t\xB3\xA1\xC7\xBF\n1\t2\t\xD6\xD0\n");
    const DtTextFile file = DtTextFile::Read(path);
    EXPECT_EQ(file.HeaderNames(), (Names{"经度", "纬度", "场强"}));
    EXPECT_EQ(file.Field(0, 2), "中");
}

TEST(DtTextFile, ReportsAMissingFileAndAMissingHeader) {
    test::TempDir dir;
    const std::string missing = dir.File("absent.txt");
    EXPECT_EQ(test::MessageOf([&] { DtTextFile::Read(missing); }), "Cannot open file " + missing);
    EXPECT_EQ(test::MessageOf([&] { DtTextFile::Read(dir.path().string()); }),
              "Cannot open file " + dir.path().string());

    const std::string empty = dir.File("empty.txt");
    test::WriteBytes(empty, "");
    const DtTextFile file = DtTextFile::Read(empty);
    EXPECT_EQ(file.RecordCount(), 0u);
    EXPECT_EQ(test::MessageOf([&] { file.HeaderNames(); }), "List index out of bounds (0)");
}
