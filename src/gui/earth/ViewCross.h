#pragma once

// The red cross that marks the centre of the view during playback. The map draws itself
// whenever it likes, so the cross lies on a transparent overlay above it rather than on the
// map's own picture: it stays visible between steps and never hides the map from the mouse.

#include <QPointer>
#include <QWidget>

namespace orvane {

// Covers its map widget and follows its size; draws the cross around the centre
// (width / 2, height / 2), the centre itself left clear.
class ViewCrossOverlay : public QWidget {
  public:
    explicit ViewCrossOverlay(QWidget* map);

    // Stroke ends measured from the centre, and the stroke width, in pixels.
    static constexpr int kOuter = 15;
    static constexpr int kInner = 4;
    static constexpr int kWidth = 3;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The cross of one main window. The overlay belongs to the map it covers (it goes where the
// map goes, and away with it); the cross takes it off the map when it ends itself.
class ViewCross {
  public:
    ViewCross() = default;
    ~ViewCross();
    ViewCross(const ViewCross&) = delete;
    ViewCross& operator=(const ViewCross&) = delete;

    // Shows the cross above this map, moving it from another map if needed.
    void Draw(QWidget* map);
    void Hide();
    // The overlay while one exists (for tests).
    QWidget* Overlay() const { return overlay_; }

  private:
    QPointer<ViewCrossOverlay> overlay_;
};

}  // namespace orvane
