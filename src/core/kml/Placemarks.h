#pragma once

// Placemark records: filled by a conversion and read by one builder of the KML document.
// Their values are typed: numbers stay numbers until a builder writes them.

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

struct TPlacemark {
    std::string Name;
    std::string StyleUrl;
};

struct TPointPlacemark : TPlacemark {
    std::string Coordinates;
    std::string Description;  // table rows, each starting with "<TR>"
};

struct TLinePlacemark : TPlacemark {
    std::string Coordinates;
};

struct TPolygonPlacemark : TPlacemark {
    std::string Coordinates;
};

// A site: its icon and one wedge per sector, the sectors' antennas facing `Azimuths`.
struct TSitePlacemark : TPointPlacemark {
    std::vector<std::int32_t> Azimuths;
    double Longitude = 0;
    double Latitude = 0;
};

// "ff" and the colour number (00BBGGRR) in upper-case hexadecimal, at least six digits.
std::string KmlColorText(std::int32_t colour);

}  // namespace orvane
