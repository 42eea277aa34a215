#include <gtest/gtest.h>

#include <vector>

#include "common/GeoMeasure.h"
#include "common/Kml_baseclass.h"

using namespace orvane;

namespace {
void ExpectPosition(std::string_view text, double longitude, double latitude) {
    const std::optional<GeoPosition> position = ParsePositionText(text);
    ASSERT_TRUE(position) << text;
    EXPECT_NEAR(position->longitude, longitude, 1e-9) << text;
    EXPECT_NEAR(position->latitude, latitude, 1e-9) << text;
}
}  // namespace

TEST(ParsePositionText, ReadsDecimalAndSexagesimalPositionsInEitherOrder) {
    ExpectPosition("113.25,23.1", 113.25, 23.1);
    ExpectPosition(" 113.25 ， 23.1 ", 113.25, 23.1);
    ExpectPosition("23.1 113.25", 113.25, 23.1);  // beyond 90: the longitude
    ExpectPosition("-0.5,51.5", -0.5, 51.5);      // both within 90: longitude first
    ExpectPosition("113°15'30.5\"E, 23°6'N", 113 + 15 / 60.0 + 30.5 / 3600.0, 23.1);
    ExpectPosition("23° 6′ N 113° 15′ 30.5″ E", 113 + 15 / 60.0 + 30.5 / 3600.0, 23.1);
    ExpectPosition("N23.1 E113.25", 113.25, 23.1);
    ExpectPosition("10°30'S,20°W", -20.0, -10.5);
    ExpectPosition("113度15分 23度6分", 113.25, 23.1);
    for (const char* bad : {"", "113.25", "1,2,3", "200,10", "113,95,", "韶关曲江", "113.2.5,23",
                            "113°75'E,23N", "23N,24N", "113,23 x"}) {
        EXPECT_FALSE(ParsePositionText(bad)) << bad;
    }
}

TEST(MeasureLegs, AgreesWithGeoDistanceAndSnapsToNearbyVertices) {
    const std::vector<GeoPosition> points = {{113.0, 23.0}, {113.01, 23.0}, {113.01, 23.02}};
    const RulerLengths lengths = MeasureLegs(points);
    ASSERT_EQ(lengths.legs.size(), 2u);
    EXPECT_DOUBLE_EQ(lengths.legs[0], GeoDistance(113.0, 23.0, 113.01, 23.0));
    EXPECT_DOUBLE_EQ(lengths.legs[1], GeoDistance(113.01, 23.0, 113.01, 23.02));
    EXPECT_DOUBLE_EQ(lengths.total, lengths.legs[0] + lengths.legs[1]);
    EXPECT_TRUE(MeasureLegs(std::vector<GeoPosition>{{1, 2}}).legs.empty());

    EXPECT_EQ(DistanceText(4.25), "4.2 m");
    EXPECT_EQ(DistanceText(850.4), "850 m");
    EXPECT_EQ(DistanceText(1234.0), "1.23 km");

    const std::vector<ScreenPoint> vertices = {{10, 10}, {14, 10}, {100, 100}};
    EXPECT_EQ(NearestWithin({13, 11}, vertices, 5.0), 1u);
    EXPECT_EQ(NearestWithin({50, 50}, vertices, 5.0), std::nullopt);
}
