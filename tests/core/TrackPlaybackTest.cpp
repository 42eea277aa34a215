#include <gtest/gtest.h>

#include "TestFiles.h"
#include "conversions/TrackPlayback.h"

using namespace orvane;

namespace {
using Names = std::vector<std::string>;
}  // namespace

TEST(TrackPlayback, DetectsPositionColumnsLaterMatchesWinningAndKeepsUnmatchedOnes) {
    const auto expectColumns = [](const Names& names, PlaybackColumns previous,
                                  PlaybackColumns wanted) {
        const PlaybackColumns columns = DetectPlaybackColumns(names, previous);
        EXPECT_EQ(columns.longitude, wanted.longitude) << ::testing::PrintToString(names);
        EXPECT_EQ(columns.latitude, wanted.latitude) << ::testing::PrintToString(names);
    };
    // GPS_LON does not begin with LON; LONG_2 comes after LON; Latency begins with LAT.
    expectColumns({"Time", "Longitude", "GPS_LON", "Latitude"}, {}, {1, 3});
    expectColumns({"LON", "LAT", "LONG_2"}, {}, {2, 1});
    expectColumns({"Lon", "Lat", "Latency", "Level"}, {}, {0, 2});
    expectColumns({"时间", "GPS经度", "GPS纬度"}, {}, {1, 2});
    expectColumns({"gps_longitude_deg", "x", "my latitude"}, {}, {0, 2});
    // Without a match a column stays where it was, also at -1 or past the new header.
    expectColumns({"Time", "Level"}, {}, {0, 0});
    expectColumns({"Time", "Level"}, {7, -1}, {7, -1});
    expectColumns({"Time", "Lat"}, {4, 0}, {4, 1});
    expectColumns({}, {2, 3}, {2, 3});
}

TEST(TrackPlayback, ReadsThePositionAtTheChosenColumnsOrSaysWhyNot) {
    const Names fields = {"08:30:00", " 113.04132 ", "25.773105", "", "n/a"};
    const auto read = [&fields](std::int32_t longitude, std::int32_t latitude) {
        return ReadTrackPosition(fields, {longitude, latitude});
    };
    const TrackPosition good = read(1, 2);
    ASSERT_TRUE(good.Playable());
    EXPECT_DOUBLE_EQ(good.longitude, 113.04132);
    EXPECT_DOUBLE_EQ(good.latitude, 25.773105);
    EXPECT_DOUBLE_EQ(read(2, 1).longitude, 25.773105);

    EXPECT_EQ(read(-1, 2).fault, TrackPositionFault::NoLongitudeField);
    EXPECT_EQ(read(5, 2).fault, TrackPositionFault::NoLongitudeField);
    EXPECT_EQ(read(1, -1).fault, TrackPositionFault::NoLatitudeField);
    EXPECT_EQ(read(1, 9).fault, TrackPositionFault::NoLatitudeField);
    EXPECT_EQ(read(0, 2).fault, TrackPositionFault::LongitudeNotNumber);
    EXPECT_EQ(read(1, 3).fault, TrackPositionFault::LatitudeNotNumber);  // empty field
    EXPECT_EQ(read(1, 4).fault, TrackPositionFault::LatitudeNotNumber);
    EXPECT_EQ(ReadTrackPosition({}, {0, 0}).fault, TrackPositionFault::NoLongitudeField);
}

TEST(TrackPlayback, ReadsTheHeaderAsEveryFieldOfTheFirstLine) {
    test::TempDir dir;
    const auto header = [&dir](const std::string& bytes) {
        const std::string path = dir.File("log.txt");
        test::WriteBytes(path, bytes);
        return ReadPlaybackHeader(path);
    };
    // Empty fields keep their places; a final TAB adds no field.
    EXPECT_EQ(header("A\t\tLon\tLat\t\r\n1\t2\t3\t4\r\n"), (Names{"A", "", "Lon", "Lat"}));
    EXPECT_EQ(header("\xEF\xBB\xBFLon\tLat\nx"), (Names{"Lon", "Lat"}));
    EXPECT_EQ(header("Lon\rLat"), (Names{"Lon"}));
    // "经度\t纬度" in GBK, with a GBK record below.
    EXPECT_EQ(header("\xBE\xAD\xB6\xC8\t\xCE\xB3\xB6\xC8\n\xD6\xD0\t1\n"), (Names{"经度", "纬度"}));
    // A header that is valid UTF-8 above GBK records is read as GBK, like the whole file.
    EXPECT_EQ(header("\xE4\xB8\xAD\n\xD6\xD0\n"), (Names{"涓\xEF\xBF\xBD"}));
    EXPECT_EQ(header(""), Names{});
    EXPECT_EQ(header("\r\nLon\tLat"), Names{});
    EXPECT_EQ(ReadPlaybackHeader(dir.File("absent.txt")), Names{});
    EXPECT_EQ(ReadPlaybackHeader(dir.path().string()), Names{});
}

TEST(TrackPlayback, CutsALongHeaderAt1022Characters) {
    test::TempDir dir;
    const std::string path = dir.File("wide.txt");
    // 1020 characters, then a TAB and "经度纬度": the cut leaves one character of the last name.
    const std::string first(1020, 'a');
    test::WriteBytes(path, first + "\t经度纬度\nx\n");
    EXPECT_EQ(ReadPlaybackHeader(path), (Names{first, "经"}));

    EXPECT_EQ(FirstCharacters("经度ab", 0), "");
    EXPECT_EQ(FirstCharacters("经度ab", 1), "经");
    EXPECT_EQ(FirstCharacters("经度ab", 3), "经度a");
    EXPECT_EQ(FirstCharacters("经度ab", 10), "经度ab");
}
