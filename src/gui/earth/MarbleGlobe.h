#pragma once

// The globe of the program: a top-level window holding a Marble map. There is one per
// process, like the outside application it stands for; every TMarbleApplicationGE is a
// connection to it.

#include <QPointer>
#include <QString>
#include <memory>

class QLabel;

#include "earth/ApplicationGE.h"
#include "earth/GlobeRuler.h"
#include "earth/GlobeWindow.h"
#include "earth/LoadedKmlFiles.h"
#include "earth/WheelZoom.h"

namespace Marble {
class GeoDataLatLonBox;
class MarbleWidget;
}  // namespace Marble

namespace orvane {

class MarbleGlobe {
  public:
    MarbleGlobe();
    ~MarbleGlobe();
    MarbleGlobe(const MarbleGlobe&) = delete;
    MarbleGlobe& operator=(const MarbleGlobe&) = delete;

    // Creates the globe window once; it stays hidden until someone shows it. A failure is an
    // error in the desktop's words, and leaves no half-made window.
    void Start();
    bool IsRunning() const { return window_ != nullptr; }
    GlobeWindow* Window() const { return window_; }
    Marble::MarbleWidget* Map() const;

    bool ShowsMap() const;
    // Shows a KML file and brings its features into view.
    void Open(const QString& path);
    void Reload(const QString& path);
    void FlyTo(const QString& path);
    // Fits the view to what a folder of a file holds.
    void FlyToFolder(const QString& path, int folder);
    LoadedKmlFiles& Files() { return files_; }
    const LoadedKmlFiles& Files() const { return files_; }
    void SetRulerActive(bool active) { ruler_.SetActive(active); }
    void SetRulerListener(RulerListener listener) { rulerListener_ = std::move(listener); }
    QList<PlacemarkMatch> FindPlacemarks(const QString& text, int most) const;
    void ShowPlacemark(const PlacemarkMatch& match);
    QStringList HideFloatItems(bool keepScaleBar);
    void ShowFloatItems(const QStringList& ids);
    static QString AbsolutePath(const QString& path);
    ICameraInfoGE Camera() const;
    void MoveCamera(const ICameraInfoGE& camera);
    void SetElevationExaggeration(double exaggeration) { elevationExaggeration_ = exaggeration; }
    IPointOnTerrainGE PointOnTerrain(double screenX, double screenY) const;

    static QList<MapTheme> InstalledMapThemes();
    QString MapThemeId() const { return mapThemeId_; }
    void SetMapThemeId(const QString& id);
    MapProjection Projection() const { return projection_; }
    void SetProjection(MapProjection projection);

  private:
    void CreateWindow();
    // The street map needs its tile server: a view still without tiles a few seconds after
    // the theme was chosen says so on the map, instead of staying black.
    void WatchStreetTiles();
    void ShowTileHintIfStillEmpty(int watch);
    void BringIntoView(const Marble::GeoDataLatLonBox& extent);

    LoadedKmlFiles files_;
    GlobeRuler ruler_{files_.Layer()};
    RulerListener rulerListener_;
    std::unique_ptr<WheelZoom> wheelZoom_;
    QPointer<GlobeWindow> window_;
    QPointer<Marble::MarbleWidget> map_;
    QPointer<QLabel> tileHint_;
    int tileWatch_ = 0;
    QString mapThemeId_;
    MapProjection projection_ = MapProjection::Spherical;
    // What the flat map cannot show is kept so that a camera read back equals the one set.
    double altitude_ = 0.0;
    AltitudeModeGE altitudeMode_ = AltitudeModeGE::RelativeToGround;
    double tilt_ = 0.0;
    double elevationExaggeration_ = 1.0;
};

class TMarbleApplicationGE : public TApplicationGE {
  public:
    explicit TMarbleApplicationGE(MarbleGlobe& globe) : globe_(globe) {}

    void Connect() override;
    void Disconnect() override { connected_ = false; }
    long IsInitialized() override { return globe_.ShowsMap() ? 1 : 0; }
    void OpenKmlFile(const QString& path, long suppressMessages) override;
    QWidget* GetMainHwnd() override;
    QWidget* GetRenderHwnd() override;
    ICameraInfoGE GetCamera(long considerTerrain) override;
    void SetCamera(const ICameraInfoGE& camera, double speed) override;
    void SetCameraParams(double latitude, double longitude, double altitude,
                         AltitudeModeGE altitudeMode, double range, double tilt, double azimuth,
                         double speed) override;
    void SetElevationExaggeration(double exaggeration) override;
    IPointOnTerrainGE GetPointOnTerrainFromScreenCoords(double screenX, double screenY) override;
    QWidget* FindMainWindow() const override { return globe_.Window(); }
    QList<MapTheme> MapThemes() const override { return MarbleGlobe::InstalledMapThemes(); }
    QString CurrentMapTheme() const override { return globe_.MapThemeId(); }
    void SetMapTheme(const QString& id) override { globe_.SetMapThemeId(id); }
    void SetRulerActive(bool active) override { globe_.SetRulerActive(active); }
    void SetRulerListener(RulerListener listener) override {
        globe_.SetRulerListener(std::move(listener));
    }
    QList<PlacemarkMatch> FindPlacemarks(const QString& text, int most) const override {
        return globe_.FindPlacemarks(text, most);
    }
    void ShowPlacemark(const PlacemarkMatch& match) override;
    QStringList HideFloatItems(bool keepScaleBar) override {
        return globe_.HideFloatItems(keepScaleBar);
    }
    void ShowFloatItems(const QStringList& ids) override { globe_.ShowFloatItems(ids); }
    QList<LoadedKmlFile> LoadedKmlFiles() const override;
    void SetKmlFileVisible(const QString& path, bool visible) override;
    void ReloadKmlFile(const QString& path) override;
    void RemoveKmlFile(const QString& path) override;
    void FlyToKmlFile(const QString& path) override;
    void SetLoadedKmlFilesListener(std::function<void()> listener) override;
    void SetKmlLoadFailureListener(std::function<void(const QString&)> listener) override;
    void CancelKmlFileLoad(const QString& path) override;
    void SetKmlFolderVisible(const QString& path, int folder, bool visible) override;
    void FlyToKmlFolder(const QString& path, int folder) override;
    void SetKmlTimeWindow(std::optional<KmlTimeWindow> window) override;
    MapProjection Projection() const override { return globe_.Projection(); }
    void SetProjection(MapProjection projection) override { globe_.SetProjection(projection); }

  private:
    void EnsureConnected();
    MarbleGlobe& globe_;
    bool connected_ = false;
};

}  // namespace orvane
