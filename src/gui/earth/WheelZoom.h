#pragma once

// The mouse wheel zooms about the pointer, as in other map programs: the place under the
// pointer stays under it.

#include <QObject>
#include <QPoint>

namespace Marble {
class MarbleWidget;
}

namespace orvane {

// Zooms the map by `notches` wheel notches (positive: in) keeping the ground under the view
// position `at` where it is; off the globe the zoom goes about the centre.
void ZoomAbout(Marble::MarbleWidget& map, const QPoint& at, double notches);

class WheelZoom : public QObject {
  public:
    explicit WheelZoom(Marble::MarbleWidget& map);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Marble::MarbleWidget& map_;
};

}  // namespace orvane
