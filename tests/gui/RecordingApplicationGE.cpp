#include "tests/gui/RecordingApplicationGE.h"

#include <algorithm>

#include <QFileInfo>

#include "common/Errors.h"

namespace orvane {

RecordedGlobe::~RecordedGlobe() {
    delete window_.data();
}

void RecordedGlobe::Start() {
    if (window_) {
        return;
    }
    window_ = new GlobeWindow("Recorded globe");
    render_ = new QWidget(window_);
    render_->setObjectName("RecordedRender");
    QObject::connect(window_, &GlobeWindow::Closed, window_, [this] {
        calls << "Closed";
        window_->deleteLater();
        window_ = nullptr;
        files.clear();
        FilesChanged();
    });
}

LoadedKmlFile* RecordedGlobe::FindFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (LoadedKmlFile& file : files) {
        if (file.path == absolute) {
            return &file;
        }
    }
    return nullptr;
}

void RecordedGlobe::FilesChanged() {
    if (filesListener) {
        filesListener();
    }
}

void RecordingApplicationGE::EnsureConnected() {
    if (!connected_) {
        Connect();
    }
}

void RecordingApplicationGE::Connect() {
    globe_.calls << "Connect";
    if (globe_.failure) {
        throw Error(globe_.failure->toStdString());
    }
    globe_.Start();
    connected_ = true;
}

void RecordingApplicationGE::Disconnect() {
    globe_.calls << "Disconnect";
    connected_ = false;
}

long RecordingApplicationGE::IsInitialized() {
    globe_.calls << "IsInitialized";
    if (globe_.initialized) {
        return *globe_.initialized;
    }
    return globe_.Render() && globe_.Render()->isVisible() ? 1 : 0;
}

void RecordingApplicationGE::OpenKmlFile(const QString& path, long suppressMessages) {
    EnsureConnected();
    globe_.calls << QString("OpenKmlFile(%1,%2)").arg(path).arg(suppressMessages);
    if (LoadedKmlFile* file = globe_.FindFile(path)) {
        file->visible = true;
    } else {
        globe_.files.append({QFileInfo(path).absoluteFilePath(), true, -1, {}, std::nullopt});
    }
    globe_.FilesChanged();
}

QWidget* RecordingApplicationGE::GetMainHwnd() {
    EnsureConnected();
    globe_.calls << "GetMainHwnd";
    return globe_.Window();
}

QWidget* RecordingApplicationGE::GetRenderHwnd() {
    EnsureConnected();
    globe_.calls << "GetRenderHwnd";
    return globe_.Render();
}

ICameraInfoGE RecordingApplicationGE::GetCamera(long considerTerrain) {
    EnsureConnected();
    globe_.calls << QString("GetCamera(%1)").arg(considerTerrain);
    return globe_.camera;
}

void RecordingApplicationGE::SetCamera(const ICameraInfoGE& camera, double speed) {
    EnsureConnected();
    globe_.calls << QString("SetCamera(%1)").arg(speed);
    globe_.camera = camera;
}

void RecordingApplicationGE::SetCameraParams(double latitude, double longitude, double altitude,
                                             AltitudeModeGE altitudeMode, double range, double tilt,
                                             double azimuth, double speed) {
    EnsureConnected();
    globe_.calls << QString("SetCameraParams(%1,%2,%3,%4,%5,%6,%7,%8)")
                        .arg(latitude)
                        .arg(longitude)
                        .arg(altitude)
                        .arg(static_cast<int>(altitudeMode))
                        .arg(range)
                        .arg(tilt)
                        .arg(azimuth)
                        .arg(speed);
    globe_.camera = {latitude, longitude, altitude, altitudeMode, range, tilt, azimuth};
}

void RecordingApplicationGE::SetElevationExaggeration(double exaggeration) {
    EnsureConnected();
    globe_.calls << QString("SetElevationExaggeration(%1)").arg(exaggeration);
    globe_.elevationExaggeration = exaggeration;
}

IPointOnTerrainGE RecordingApplicationGE::GetPointOnTerrainFromScreenCoords(double screenX,
                                                                            double screenY) {
    EnsureConnected();
    globe_.calls << QString("GetPointOnTerrainFromScreenCoords(%1,%2)").arg(screenX).arg(screenY);
    if (globe_.pointOnTerrainAt) {
        return globe_.pointOnTerrainAt(screenX, screenY);
    }
    return globe_.pointOnTerrain;
}

QWidget* RecordingApplicationGE::FindMainWindow() const {
    return globe_.Window();
}

QList<MapTheme> RecordingApplicationGE::MapThemes() const {
    return globe_.mapThemes;
}

QString RecordingApplicationGE::CurrentMapTheme() const {
    return globe_.mapTheme;
}

void RecordingApplicationGE::SetMapTheme(const QString& id) {
    globe_.calls << QString("SetMapTheme(%1)").arg(id);
    globe_.mapTheme = id;
}

void RecordingApplicationGE::SetRulerActive(bool active) {
    globe_.calls << QString("SetRulerActive(%1)").arg(active);
    globe_.rulerActive = active;
}

void RecordingApplicationGE::SetRulerListener(RulerListener listener) {
    globe_.rulerListener = std::move(listener);
}

QList<PlacemarkMatch> RecordingApplicationGE::FindPlacemarks(const QString& text, int most) const {
    QList<PlacemarkMatch> found;
    for (const PlacemarkMatch& match : globe_.placemarks) {
        if (found.size() < most && !text.trimmed().isEmpty() &&
            match.name.contains(text.trimmed(), Qt::CaseInsensitive)) {
            found << match;
        }
    }
    return found;
}

void RecordingApplicationGE::ShowPlacemark(const PlacemarkMatch& match) {
    globe_.calls << QString("ShowPlacemark(%1)").arg(match.name);
}

QStringList RecordingApplicationGE::HideFloatItems(bool keepScaleBar) {
    globe_.calls << QString("HideFloatItems(%1)").arg(keepScaleBar);
    QStringList hidden = globe_.floatItems;
    if (keepScaleBar) {
        hidden.removeAll("scalebar");
    }
    for (const QString& id : hidden) {
        globe_.floatItems.removeAll(id);
    }
    return hidden;
}

void RecordingApplicationGE::ShowFloatItems(const QStringList& ids) {
    globe_.calls << QString("ShowFloatItems(%1)").arg(ids.join(','));
    globe_.floatItems << ids;
}

MapProjection RecordingApplicationGE::Projection() const {
    return globe_.projection;
}

void RecordingApplicationGE::SetProjection(MapProjection projection) {
    globe_.calls << QString("SetProjection(%1)")
                        .arg(projection == MapProjection::Flat ? "Flat" : "Spherical");
    globe_.projection = projection;
}

}  // namespace orvane

namespace orvane {

QList<LoadedKmlFile> RecordingApplicationGE::LoadedKmlFiles() const {
    return globe_.files;
}

void RecordingApplicationGE::SetKmlFileVisible(const QString& path, bool visible) {
    globe_.calls << QString("SetKmlFileVisible(%1,%2)").arg(path).arg(visible ? 1 : 0);
    if (LoadedKmlFile* file = globe_.FindFile(path)) {
        file->visible = visible;
        globe_.FilesChanged();
    }
}

void RecordingApplicationGE::ReloadKmlFile(const QString& path) {
    globe_.calls << QString("ReloadKmlFile(%1)").arg(path);
    // Read again, the file shows with all its folders.
    if (LoadedKmlFile* file = globe_.FindFile(path)) {
        file->visible = true;
        for (KmlFolder& folder : file->folders) {
            folder.visible = true;
        }
        globe_.FilesChanged();
    }
}

void RecordingApplicationGE::SetKmlLoadFailureListener(
    std::function<void(const QString&)> listener) {
    globe_.loadFailureListener = std::move(listener);
}

void RecordingApplicationGE::CancelKmlFileLoad(const QString& path) {
    globe_.calls << QString("CancelKmlFileLoad(%1)").arg(path);
    const QString absolute = QFileInfo(path).absoluteFilePath();
    globe_.files.erase(std::remove_if(globe_.files.begin(), globe_.files.end(),
                                      [&](const LoadedKmlFile& file) {
                                          return file.path == absolute && file.loadingPercent >= 0;
                                      }),
                       globe_.files.end());
    globe_.FilesChanged();
}

void RecordingApplicationGE::SetKmlFolderVisible(const QString& path, int folder, bool visible) {
    globe_.calls << QString("SetKmlFolderVisible(%1,%2,%3)").arg(path).arg(folder).arg(visible);
    LoadedKmlFile* file = globe_.FindFile(path);
    if (file != nullptr && folder >= 0 && folder < file->folders.size()) {
        file->folders[folder].visible = visible;
        globe_.FilesChanged();
    }
}

void RecordingApplicationGE::FlyToKmlFolder(const QString& path, int folder) {
    globe_.calls << QString("FlyToKmlFolder(%1,%2)").arg(path).arg(folder);
}

void RecordingApplicationGE::SetKmlTimeWindow(std::optional<KmlTimeWindow> window) {
    globe_.timeWindow = window;
}

void RecordingApplicationGE::RemoveKmlFile(const QString& path) {
    globe_.calls << QString("RemoveKmlFile(%1)").arg(path);
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < globe_.files.size(); ++i) {
        if (globe_.files[i].path == absolute) {
            globe_.files.removeAt(i);
            globe_.FilesChanged();
            return;
        }
    }
}

void RecordingApplicationGE::FlyToKmlFile(const QString& path) {
    globe_.calls << QString("FlyToKmlFile(%1)").arg(path);
}

void RecordingApplicationGE::SetLoadedKmlFilesListener(std::function<void()> listener) {
    globe_.filesListener = std::move(listener);
}

}  // namespace orvane
