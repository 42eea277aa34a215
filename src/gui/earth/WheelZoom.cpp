#include "earth/WheelZoom.h"

#include <marble/MarbleWidget.h>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// The map's own zoom units per wheel notch, as its own wheel handling takes them.
constexpr double kZoomPerNotch = 40.0;
constexpr double kDegreesPerNotch = 120.0 / 8.0;
// The centre is moved until the ground point lies this close to the pointer (pixels).
constexpr int kCorrections = 4;

}  // namespace

void ZoomAbout(Marble::MarbleWidget& map, const QPoint& at, double notches) {
    const int zoom = std::clamp(static_cast<int>(std::lround(map.zoom() + notches * kZoomPerNotch)),
                                map.minimumZoom(), map.maximumZoom());
    qreal longitude = 0.0;
    qreal latitude = 0.0;
    const bool onGlobe =
        map.geoCoordinates(at.x(), at.y(), longitude, latitude, Marble::GeoDataCoordinates::Degree);
    map.setZoom(zoom);
    if (!onGlobe) {
        return;
    }
    // Moving the centre by the ground point's offset is exact on the flat map and converges
    // within a few steps on the globe.
    for (int step = 0; step < kCorrections; ++step) {
        qreal nowLongitude = 0.0;
        qreal nowLatitude = 0.0;
        if (!map.geoCoordinates(at.x(), at.y(), nowLongitude, nowLatitude,
                                Marble::GeoDataCoordinates::Degree)) {
            return;
        }
        const double centreLatitude =
            std::clamp(map.centerLatitude() + latitude - nowLatitude, -89.9, 89.9);
        map.centerOn(map.centerLongitude() + longitude - nowLongitude, centreLatitude);
    }
}

WheelZoom::WheelZoom(Marble::MarbleWidget& map) : map_(map) {
    map.installEventFilter(this);
}

bool WheelZoom::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &map_ && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const double notches = wheel->angleDelta().y() / 8.0 / kDegreesPerNotch;
        if (notches != 0.0) {
            ZoomAbout(map_, wheel->position().toPoint(), notches);
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace orvane
