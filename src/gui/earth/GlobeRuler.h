#pragma once

// The globe's ruler: a layer that draws the measured legs with their lengths, and the clicks
// on the map that place its points. Lengths come from GeoDistance, as the drive-test
// conversion measures its gaps.

#include <marble/LayerInterface.h>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <vector>

#include "common/GeoMeasure.h"
#include "earth/ApplicationGE.h"

namespace Marble {
class MarbleWidget;
}

namespace orvane {

class KmlFileLayer;

// The status text of a measurement: every leg and the total.
QString RulerText(const RulerLengths& lengths);

class GlobeRuler : public QObject, public Marble::LayerInterface {
  public:
    explicit GlobeRuler(const KmlFileLayer& files) : files_(files) {}

    void Attach(Marble::MarbleWidget& map);
    void Detach();

    bool IsActive() const { return active_; }
    void SetActive(bool active);
    void SetListener(RulerListener listener) { listener_ = std::move(listener); }
    // Adds a point at a view position, snapped to a drawn vertex nearby.
    void AddPointAt(const QPoint& position);
    const std::vector<GeoPosition>& Points() const { return points_; }

    QStringList renderPosition() const override;
    bool render(Marble::GeoPainter* painter, Marble::ViewportParams* viewport,
                const QString& renderPos, Marble::GeoSceneLayer* layer) override;
    qreal zValue() const override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void End(bool keepDrawing);
    void Report();

    const KmlFileLayer& files_;
    QPointer<Marble::MarbleWidget> map_;
    RulerListener listener_;
    std::vector<GeoPosition> points_;
    QPoint pressedAt_;
    bool active_ = false;
};

}  // namespace orvane
