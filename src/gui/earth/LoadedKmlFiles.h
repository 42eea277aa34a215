#pragma once

// The KML files shown on the globe's map: read once, drawn by their own layer, hidden, shown
// and removed one by one, and named in a balloon when the user clicks one of their features.

#include <marble/GeoDataLatLonBox.h>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "earth/ApplicationGE.h"
#include "earth/KmlFileLayer.h"

namespace Marble {
class GeoDataDocument;
class MarbleWidget;
}  // namespace Marble

namespace orvane {

class LoadedKmlFiles : public QObject {
  public:
    LoadedKmlFiles();
    ~LoadedKmlFiles() override;
    LoadedKmlFiles(const LoadedKmlFiles&) = delete;
    LoadedKmlFiles& operator=(const LoadedKmlFiles&) = delete;

    // Draws on this map from now on.
    void Attach(Marble::MarbleWidget& map);
    // The map goes away, and the files with it.
    void Detach();

    // Reads the file and shows it, in place of an earlier reading. A file read before and not
    // changed since is only shown again, unless `evenIfUnchanged`. Raises "Cannot open file"
    // when the map cannot read it; what was shown of it stays then.
    void Load(const QString& absolutePath, bool evenIfUnchanged);
    bool Contains(const QString& absolutePath) const;
    // The area of the file's features; empty when it has none.
    Marble::GeoDataLatLonBox Extent(const QString& absolutePath) const;
    QList<LoadedKmlFile> List() const;
    void SetVisible(const QString& absolutePath, bool visible);
    void Remove(const QString& absolutePath);
    // Called after every change of the list or of a file's visibility.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

    const KmlFileLayer& Layer() const { return layer_; }
    // A click on a feature opens its balloon unless another tool takes the clicks.
    void SetBalloonsShown(bool shown) { balloonsShown_ = shown; }
    void ShowBalloon(const QPoint& position, const PlacemarkTexts& placemark);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Extra {
        QString stamp;                              // size and time of the file read
        Marble::GeoDataLatLonBox extent;            // of everything in the file
        Marble::GeoDataDocument* others = nullptr;  // what the map draws itself
    };

    void ForgetOthers(Extra& extra);
    void ShowBalloon(const QPoint& position);
    void Changed();

    QPointer<Marble::MarbleWidget> map_;
    KmlFileLayer layer_;
    QHash<QString, Extra> extras_;
    std::function<void()> listener_;
    QPoint pressedAt_;
    bool balloonsShown_ = true;
};

}  // namespace orvane
