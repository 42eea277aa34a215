#pragma once

// The icons the standard layout refers to, drawn by the program so that a file needs no
// network to show them: written beside a .kml file, packed under files/ in a .kmz.

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

enum class KmlIcon {
    Site,    // a base station or a typed point: a red mast on a white disc
    Square,  // a test point: white, so that a style's colour tints it
};

// The web addresses of the icons that the system's own layout refers to.
inline constexpr std::string_view kSiteIconHref =
    "http://maps.google.com/mapfiles/kml/pal3/icon52.png";
inline constexpr std::string_view kSquareIconHref =
    "http://maps.google.com/mapfiles/kml/shapes/square.png";
// The icon drawn for such an address, so that the globe shows it without a network.
std::optional<KmlIcon> KmlIconOfHref(std::string_view href);

// The icon's file name ("orvane-site.png").
std::string_view KmlIconFileName(KmlIcon icon);
// The icon's PNG bytes; the same on every run.
std::string KmlIconPng(KmlIcon icon);

}  // namespace orvane
