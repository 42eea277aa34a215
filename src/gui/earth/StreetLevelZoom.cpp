#include "earth/StreetLevelZoom.h"

#include <marble/MarbleModel.h>
#include <marble/MarbleWidget.h>

// Debian's libmarble-dev installs no headers for map themes. These three classes are declared
// here with only the member functions used, as the Marble library exports them.
namespace Marble {
class GeoSceneZoom {
  public:
    int maximum() const;
    void setMaximum(int maximum);
};
class GeoSceneHead {
  public:
    GeoSceneZoom* zoom();
};
class GeoSceneDocument {
  public:
    GeoSceneHead* head();
};
}  // namespace Marble

namespace orvane {

void AllowStreetLevel(Marble::MarbleWidget& map) {
    Marble::GeoSceneDocument* theme = map.model()->mapTheme();
    if (theme == nullptr || theme->head() == nullptr || theme->head()->zoom() == nullptr) {
        return;
    }
    Marble::GeoSceneZoom& zoom = *theme->head()->zoom();
    if (zoom.maximum() < kStreetLevelZoom) {
        zoom.setMaximum(kStreetLevelZoom);
    }
}

}  // namespace orvane
