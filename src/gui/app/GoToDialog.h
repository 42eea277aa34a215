#pragma once

// "定位…": a field that takes a position ("经度,纬度", either order, decimal degrees or degrees,
// minutes and seconds) or a name searched among the placemarks of the shown files. Matches
// are listed as the user types; Enter or a double click goes there.

#include <QDialog>
#include <QList>
#include <functional>
#include <optional>

#include "common/GeoMeasure.h"
#include "earth/ApplicationGE.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace orvane {

class GoToDialog : public QDialog {
  public:
    struct Actions {
        std::function<QList<PlacemarkMatch>(const QString& text)> find;
        std::function<void(const GeoPosition&)> flyTo;
        std::function<void(const PlacemarkMatch&)> show;
    };

    GoToDialog(QWidget* parent, Actions actions);

    // Goes to the chosen match, else the first one.
    void Go();

  private:
    void TextChanged(const QString& text);

    Actions actions_;
    QLineEdit* field_;
    QListWidget* matches_;
    QLabel* hint_;
    std::optional<GeoPosition> position_;
    QList<PlacemarkMatch> found_;
};

}  // namespace orvane
