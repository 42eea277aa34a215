#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/Kml_baseclass.h"

using namespace orvane;

namespace {
std::vector<std::string> Vertices(const std::string& ring) {
    std::vector<std::string> vertices;
    size_t begin = 0;
    size_t end;
    while ((end = ring.find(' ', begin)) != std::string::npos) {
        vertices.push_back(ring.substr(begin, end - begin));
        begin = end + 1;
    }
    EXPECT_EQ(begin, ring.size()) << "a ring ends with a space";
    return vertices;
}
}  // namespace

TEST(SectorRing, DrawsA45DegreeWedgeFromTheCentre) {
    const auto vertices = Vertices(SectorRing(113, 25, 0, 100));
    ASSERT_EQ(vertices.size(), 93u);
    EXPECT_EQ(vertices.front(), "113,25,0");
    EXPECT_EQ(vertices[1], "112.989369904657,25.0256633203475,0");
    EXPECT_EQ(vertices[46], "113,25.0277777777778,0");  // bearing 0 points north
    EXPECT_EQ(vertices[91], "113.010630095343,25.0256633203475,0");
    EXPECT_EQ(vertices.back(), "113,25,0");
}

TEST(SectorRing, KeepsAzimuthsOutsideTheCircleAsTheyAre) {
    // 350 runs from bearing 327.5 to 372.5; the arc's last point lies east of north.
    const auto vertices = Vertices(SectorRing(113, 25, 350, 100));
    ASSERT_EQ(vertices.size(), 93u);
    const auto wrapped = Vertices(SectorRing(113, 25, -10, 100));
    EXPECT_EQ(vertices[1], wrapped[1]);
    EXPECT_EQ(vertices[91], wrapped[91]);
}

TEST(SectorRing, DrawsAFullCircleForOmnidirectionalCells) {
    const auto vertices = Vertices(SectorRing(113, 25, -1, 100));
    ASSERT_EQ(vertices.size(), 721u);
    EXPECT_EQ(vertices.front(), "113,25.0277777777778,0");
    EXPECT_EQ(vertices.front(), vertices.back());
    EXPECT_EQ(vertices[180], "113.027777777778,25,0");  // bearing 90 points east
}

TEST(SectorShape, SpansItsWidthAndScalesLongitudes) {
    // A 60-degree wedge facing east: centre, 121 arc points from bearing 60 to 120, centre.
    const double r = 100.0 / 3600;
    std::string ring;
    AppendSectorRing(ring, 113, 25, MakeSectorShape(90, 60, r));
    auto vertices = Vertices(ring);
    ASSERT_EQ(vertices.size(), 123u);
    EXPECT_EQ(vertices[1], FormatNumber(113 + std::sin(M_PI / 3) * r) + "," +
                               FormatNumber(25 + std::cos(M_PI / 3) * r) + ",0");
    EXPECT_EQ(vertices[61], "113.027777777778,25,0");
    EXPECT_EQ(vertices[121], FormatNumber(113 + std::sin(M_PI / 3) * r) + "," +
                                 FormatNumber(25 - std::cos(M_PI / 3) * r) + ",0");
    // The 45-degree shape draws the usual wedge; 360 degrees draw the full circle.
    ring.clear();
    AppendSectorRing(ring, 113, 25, MakeSectorShape(0, 45, r));
    EXPECT_EQ(ring, SectorRing(113, 25, 0, 100));
    ring.clear();
    AppendSectorRing(ring, 113, 25, MakeSectorShape(200, 360, r));
    EXPECT_EQ(ring, SectorRing(113, 25, -1, 100));
    // Longitude offsets are scaled, latitude offsets are not.
    ring.clear();
    AppendSectorRing(ring, 113, 25, MakeSectorShape(90, 60, r), 2);
    vertices = Vertices(ring);
    EXPECT_EQ(vertices[61], "113.055555555556,25,0");
    EXPECT_EQ(vertices[1], FormatNumber(113 + std::sin(M_PI / 3) * r * 2) + "," +
                               FormatNumber(25 + std::cos(M_PI / 3) * r) + ",0");
}

TEST(GeoDistance, MeasuresOnTheKrassowskyEllipsoid) {
    EXPECT_NEAR(GeoDistance(0, 0, 1, 0), 111321.376, 0.001);
    EXPECT_NEAR(GeoDistance(0, 0, 0, 1), 110571.254, 0.001);
    EXPECT_NEAR(GeoDistance(113, 25, 113.01, 25), 1009.522, 0.001);
    EXPECT_EQ(GeoDistance(113.5, 25.5, 113.5, 25.5), 0);
}

TEST(GeoDistance, GivesZeroWhenTheCentralAngleVanishes) {
    // Different points whose central angle rounds to 0 would otherwise divide by zero.
    const double d = GeoDistance(113.0, 25.0, 113.0 + 1e-13, 25.0);
    EXPECT_TRUE(std::isfinite(d));
    EXPECT_GE(d, 0);
    EXPECT_LT(d, 1);
    EXPECT_TRUE(std::isfinite(GeoDistance(0, 0, 180, 0)));
}
