#pragma once

// The bar under the globe that replays timed files: it shows while a file on the globe holds
// times, and the globe then draws only the placemarks whose time meets the window that ends
// at the slider's time. "播放" moves the slider on by itself; the window is the whole time so
// far ("全部") or the last minutes.

#include <QTimer>
#include <QWidget>
#include <optional>

#include "earth/ApplicationGE.h"

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace orvane {

class TimeSlider : public QWidget {
  public:
    TimeSlider(TApplicationGE& globe, QWidget* parent);

    // Called whenever the files on the globe change.
    void FilesChanged(const QList<LoadedKmlFile>& files);
    // The window the globe draws, empty while no file holds times.
    std::optional<KmlTimeWindow> Window() const;

  private:
    void PlayClick();
    void Step();
    void Apply();
    std::int64_t SliderTime() const;

    TApplicationGE& globe_;
    QToolButton* play_;
    QSlider* slider_;
    QComboBox* width_;
    QLabel* text_;
    QTimer timer_;
    std::optional<KmlTimeWindow> extent_;
};

}  // namespace orvane
