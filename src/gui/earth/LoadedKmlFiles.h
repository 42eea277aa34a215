#pragma once

// The KML files shown on the globe's map: read once, drawn by their own layer, hidden, shown
// and removed one by one, and named in a balloon when the user clicks one of their features.

#include <marble/GeoDataLatLonBox.h>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>

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

    // Reads the file and shows it, in place of an earlier reading, then calls `shown`. A file
    // read before and not changed since is only shown again, unless `evenIfUnchanged`. A small
    // file is read at once, and raises "Cannot open file" when it cannot be read; a large one
    // is read in the background (listed with its progress meanwhile) and its failure goes to
    // the failure listener. What was shown of a file stays when reading it again fails.
    void Load(const QString& absolutePath, bool evenIfUnchanged, std::function<void()> shown = {});
    // Stops a background reading; what was shown of the file before stays.
    void CancelLoad(const QString& absolutePath);
    bool IsLoading(const QString& absolutePath) const { return loads_.count(absolutePath) > 0; }
    bool Contains(const QString& absolutePath) const;
    // The area of the file's features; empty when it has none.
    Marble::GeoDataLatLonBox Extent(const QString& absolutePath) const;
    QList<LoadedKmlFile> List() const;
    void SetVisible(const QString& absolutePath, bool visible);
    void SetFolderVisible(const QString& absolutePath, int folder, bool visible);
    Marble::GeoDataLatLonBox FolderExtent(const QString& absolutePath, int folder) const;
    void SetTimeWindow(std::optional<KmlTimeWindow> window);
    void Remove(const QString& absolutePath);
    // Called after every change of the list or of a file's visibility.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }
    void SetFailureListener(std::function<void(const QString&)> listener) {
        failureListener_ = std::move(listener);
    }

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

    // A reading in the background.
    struct Reading {
        std::uint64_t id = 0;
        std::shared_ptr<std::atomic<int>> permille;
        std::function<void()> shown;
        std::jthread worker;
    };

    void StartReading(const QString& absolutePath, std::function<void()> shown);
    void ReadingEnded(const QString& absolutePath, std::uint64_t id,
                      std::shared_ptr<KmlFeatures> features);
    // Reads with the map's own reader, for what the program's reader cannot read or draw.
    std::unique_ptr<Marble::GeoDataDocument> ReadWithMap(const QString& absolutePath) const;
    void Show(const QString& absolutePath, std::shared_ptr<KmlFeatures> features);
    void ReportProgress();
    void ForgetOthers(Extra& extra);
    void ShowBalloon(const QPoint& position);
    void Changed();

    QPointer<Marble::MarbleWidget> map_;
    KmlFileLayer layer_;
    QHash<QString, Extra> extras_;
    std::function<void()> listener_;
    std::function<void(const QString&)> failureListener_;
    QPoint pressedAt_;
    std::map<QString, Reading> loads_;
    // Readings cancelled or replaced, still finishing their work.
    std::map<std::uint64_t, std::jthread> retired_;
    std::uint64_t lastReading_ = 0;
    QTimer progress_;
    std::map<QString, int> reported_;
    bool balloonsShown_ = true;
};

}  // namespace orvane
