#pragma once

// A globe that records every call and answers with values the test sets. It has a real
// top-level window and render widget, so that embedding, popping out and closing can be
// watched in tests without a map.

#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "earth/ApplicationGE.h"
#include "earth/GlobeWindow.h"

namespace orvane {

// The one recorded globe shared by all connections of a test, as the real globe is shared.
class RecordedGlobe {
  public:
    QStringList calls;                // "Connect", "OpenKmlFile(<path>,1)", ...
    std::optional<long> initialized;  // IsInitialized; by default 1 while the render is visible
    ICameraInfoGE camera;
    IPointOnTerrainGE pointOnTerrain;
    // When set, answers ground-point queries by view position instead of pointOnTerrain.
    std::function<IPointOnTerrainGE(double screenX, double screenY)> pointOnTerrainAt;
    MapProjection projection = MapProjection::Spherical;
    double elevationExaggeration = 1.0;
    QString mapTheme = "earth/plain/plain.dgml";
    QList<MapTheme> mapThemes = {{"earth/plain/plain.dgml", "Plain Map"},
                                 {"earth/bluemarble/bluemarble.dgml", "Blue Marble"}};
    std::optional<QString> failure;  // when set, Connect throws an error with this text
    QList<LoadedKmlFile> files;      // opened files (absolute paths) and their visibility
    std::function<void()> filesListener;
    std::function<void(const QString&)> loadFailureListener;
    std::optional<KmlTimeWindow> timeWindow;  // as last set
    bool rulerActive = false;
    RulerListener rulerListener;
    QList<PlacemarkMatch> placemarks;  // what FindPlacemarks searches by name
    QStringList floatItems = {"overviewmap", "compass", "navigation", "license", "scalebar"};

    ~RecordedGlobe();
    void Start();
    bool IsRunning() const { return window_ != nullptr; }
    GlobeWindow* Window() const { return window_; }
    QWidget* Render() const { return render_; }
    LoadedKmlFile* FindFile(const QString& path);
    void FilesChanged();

  private:
    QPointer<GlobeWindow> window_;
    QPointer<QWidget> render_;
};

class RecordingApplicationGE : public TApplicationGE {
  public:
    explicit RecordingApplicationGE(RecordedGlobe& globe) : globe_(globe) {}

    void Connect() override;
    void Disconnect() override;
    long IsInitialized() override;
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
    QWidget* FindMainWindow() const override;
    QList<MapTheme> MapThemes() const override;
    QString CurrentMapTheme() const override;
    void SetMapTheme(const QString& id) override;
    void SetRulerActive(bool active) override;
    void SetRulerListener(RulerListener listener) override;
    QList<PlacemarkMatch> FindPlacemarks(const QString& text, int most) const override;
    void ShowPlacemark(const PlacemarkMatch& match) override;
    QStringList HideFloatItems(bool keepScaleBar) override;
    void ShowFloatItems(const QStringList& ids) override;
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
    MapProjection Projection() const override;
    void SetProjection(MapProjection projection) override;

  private:
    void EnsureConnected();
    RecordedGlobe& globe_;
    bool connected_ = false;
};

}  // namespace orvane
