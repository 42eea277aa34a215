#pragma once

namespace Marble {
class MarbleWidget;
}

namespace orvane {

// The closest view every map theme allows: about 35 m across a map 1000 pixels wide. Marble
// zoom values are 200 times the natural logarithm of the globe's radius in pixels.
inline constexpr int kStreetLevelZoom = 3800;

// The map themes stop far from street level (the offline satellite view at a scale bar of
// about 12 km). This raises the current theme's limit to kStreetLevelZoom; beyond its last
// tiles the map shows them enlarged. Call it again after every change of theme.
void AllowStreetLevel(Marble::MarbleWidget& map);

}  // namespace orvane
