#pragma once

// The arithmetic of the globe's ruler and of its go-to field: positions typed as text, leg
// lengths measured the way the drive-test conversion measures its gaps, and the snapping of a
// click to a nearby vertex.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct GeoPosition {
    double longitude = 0.0;
    double latitude = 0.0;
};

// Two angles, each decimal degrees ("113.25") or degrees, minutes and seconds
// ("113°15'30.5\"E", "23 06 N" is not one: the marks are needed), separated by a comma (also
// the Chinese "，") or by spaces. The longitude comes first unless the hemisphere letters
// (E/W, N/S) or the ranges say otherwise: an angle beyond 90 degrees is the longitude. No
// position when the text holds anything else or an angle lies out of range.
std::optional<GeoPosition> ParsePositionText(std::string_view text);

struct RulerLengths {
    std::vector<double> legs;  // metres, one per pair of consecutive points
    double total = 0.0;
};

// Legs measured by GeoDistance, so that the ruler agrees with the drive-test breaks.
RulerLengths MeasureLegs(std::span<const GeoPosition> points);

// "850 m" below a kilometre (one decimal below 10 m), else kilometres with two decimals:
// "1.25 km".
std::string DistanceText(double metres);

struct ScreenPoint {
    double x = 0.0;
    double y = 0.0;
};

// The candidate nearest to the click, when it lies within `tolerance` pixels of it.
std::optional<std::size_t> NearestWithin(const ScreenPoint& click,
                                         std::span<const ScreenPoint> candidates, double tolerance);

}  // namespace orvane
