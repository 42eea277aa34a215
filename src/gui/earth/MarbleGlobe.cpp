#include "earth/MarbleGlobe.h"

#include <marble/AbstractFloatItem.h>
#include <marble/GeoDataLatLonBox.h>
#include <marble/MapThemeManager.h>
#include <marble/MarbleWidget.h>
#include <QFileInfo>
#include <QLabel>
#include <QStandardItemModel>
#include <QTimer>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "common/ErrorTexts.h"
#include "common/Errors.h"
#include "earth/FeaturePainter.h"
#include "earth/PlacemarkSearch.h"
#include "earth/StreetLevelZoom.h"

namespace orvane {

namespace {

// Both ship with marble-qt-data and need no network.
constexpr const char* kOfflineTheme = "earth/bluemarble/bluemarble.dgml";
constexpr const char* kFallbackTheme = "earth/plain/plain.dgml";
constexpr const char* kStreetTheme = "earth/openstreetmap/openstreetmap.dgml";
constexpr double kMetresPerKilometre = 1000.0;
constexpr int kTileWaitMilliseconds = 6000;
// A placemark found by name is shown at least this close (metres across the view's height).
constexpr double kPlacemarkRange = 3000.0;
// The float item that may stay on an exported picture.
constexpr double kMetresPerDegree = 111000.0;
constexpr const char* kScaleBar = "scalebar";

// The two maps of field work: the satellite view that needs no network, and the streets
// (tiles downloaded and cached by Marble when a network is there).
struct FieldTheme {
    const char* id;
    const char* name;
};
constexpr FieldTheme kFieldThemes[] = {
    {kOfflineTheme, "卫星影像（离线）"},
    {kStreetTheme, "街道地图 OpenStreetMap（需联网）"},
};

Marble::Projection MarbleProjection(MapProjection projection) {
    return projection == MapProjection::Flat ? Marble::Equirectangular : Marble::Spherical;
}

QString DefaultMapTheme() {
    for (const MapTheme& theme : MarbleGlobe::InstalledMapThemes()) {
        if (theme.id == kOfflineTheme) {
            return theme.id;
        }
    }
    return kFallbackTheme;
}

}  // namespace

MarbleGlobe::MarbleGlobe() : mapThemeId_(DefaultMapTheme()) {
    // While the ruler measures, its clicks open no balloons.
    ruler_.SetListener([this](const QString& text, bool active) {
        files_.SetBalloonsShown(!active);
        if (rulerListener_) {
            rulerListener_(text, active);
        }
    });
}

MarbleGlobe::~MarbleGlobe() {
    ruler_.Detach();
    files_.Detach();
    delete window_.data();
}

void MarbleGlobe::Start() {
    if (window_) {
        return;
    }
    try {
        CreateWindow();
    } catch (const std::exception& error) {
        ruler_.Detach();
        files_.Detach();
        delete window_.data();
        throw Error(
            QStringLiteral("地球窗口无法启动：%1").arg(DesktopErrorText(error)).toStdString());
    }
}

void MarbleGlobe::CreateWindow() {
    window_ = new GlobeWindow(QStringLiteral("Orvane 地球"));
    map_ = new Marble::MarbleWidget(window_);
    map_->setObjectName("GlobeMap");
    map_->setProjection(MarbleProjection(projection_));
    map_->setMapThemeId(mapThemeId_);
    AllowStreetLevel(*map_);
    QObject::connect(map_, &Marble::MarbleWidget::themeChanged, map_,
                     [map = map_.data()] { AllowStreetLevel(*map); });
    files_.Attach(*map_);
    ruler_.Attach(*map_);
    wheelZoom_ = std::make_unique<WheelZoom>(*map_);
    tileHint_ =
        new QLabel(QStringLiteral("无法连接地图服务器，请检查网络或改用离线卫星影像"), map_);
    tileHint_->setObjectName("TileServerHint");
    tileHint_->setStyleSheet(
        QStringLiteral("background: rgba(255, 255, 224, 230); color: black; padding: 6px;"));
    tileHint_->adjustSize();
    tileHint_->move(12, 12);
    tileHint_->hide();
    QObject::connect(map_, &Marble::MarbleWidget::renderStatusChanged, tileHint_,
                     [hint = tileHint_.data()](Marble::RenderStatus status) {
                         if (status == Marble::Complete) {
                             hint->hide();
                         }
                     });
    WatchStreetTiles();
    // The window is the running globe: closing it ends the globe, as quitting would.
    QObject::connect(window_, &GlobeWindow::Closed, window_, [this] {
        ruler_.SetActive(false);
        ruler_.Detach();
        wheelZoom_.reset();
        files_.Detach();
        window_->deleteLater();
        window_ = nullptr;
        map_ = nullptr;
    });
}

Marble::MarbleWidget* MarbleGlobe::Map() const {
    return map_;
}

bool MarbleGlobe::ShowsMap() const {
    return map_ && map_->isVisible();
}

QString MarbleGlobe::AbsolutePath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

void MarbleGlobe::Open(const QString& path) {
    const QString absolute = AbsolutePath(path);
    // A file written again under the same name is shown as it is now, in place of the old.
    files_.Load(absolute, false, [this, absolute] { BringIntoView(files_.Extent(absolute)); });
}

void MarbleGlobe::Reload(const QString& path) {
    if (files_.Contains(AbsolutePath(path))) {
        files_.Load(AbsolutePath(path), true);
    }
}

void MarbleGlobe::FlyTo(const QString& path) {
    if (files_.Contains(AbsolutePath(path))) {
        BringIntoView(files_.Extent(AbsolutePath(path)));
    }
}

void MarbleGlobe::FlyToFolder(const QString& path, int folder) {
    BringIntoView(files_.FolderExtent(AbsolutePath(path), folder));
}

void MarbleGlobe::BringIntoView(const Marble::GeoDataLatLonBox& extent) {
    // A file without features leaves the view where it is; a single point is centred without
    // zooming in to the limit, as fitting its empty extent would. Anything larger is fitted,
    // down to street level.
    if (extent.isEmpty()) {
        return;
    }
    if (extent.isNull()) {
        map_->centerOn(extent.center(), false);
    } else {
        map_->centerOn(extent, false);
    }
}

namespace {

PlacemarkMatch MatchOf(const QString& path, const QString& name, const QString& description,
                       const GeoBox& box) {
    PlacemarkMatch match{path, name, description};
    match.west = qRadiansToDegrees(box.west);
    match.south = qRadiansToDegrees(box.south);
    match.east = qRadiansToDegrees(box.east);
    match.north = qRadiansToDegrees(box.north);
    match.longitude = (match.west + match.east) / 2.0;
    match.latitude = (match.south + match.north) / 2.0;
    return match;
}

}  // namespace

QList<PlacemarkMatch> MarbleGlobe::FindPlacemarks(const QString& text, int most) const {
    QList<PlacemarkMatch> matches;
    const auto left = [&] {
        return static_cast<size_t>(std::max(0, most - static_cast<int>(matches.size())));
    };
    for (const KmlFileLayer::File& file : files_.Layer().Files()) {
        if (!file.visible) {
            continue;
        }
        for (const FoundPlacemark& found : orvane::FindPlacemarks(*file.features, text, left())) {
            const PlacemarkTexts& texts = file.features->Placemarks()[found.placemark];
            matches.append(MatchOf(file.path, texts.name, texts.description, found.box));
        }
        // A folder is listed after the placemarks: a base-station file names a site's folder as
        // the site, and the site's balloon is what Enter should open.
        for (const FoundFolder& found : orvane::FindFolders(*file.features, text, left())) {
            PlacemarkMatch match = MatchOf(file.path, file.features->Folders()[found.folder].name,
                                           QString(), found.box);
            match.folder = static_cast<int>(found.folder);
            matches.append(match);
        }
    }
    return matches;
}

void MarbleGlobe::ShowPlacemark(const PlacemarkMatch& match) {
    if (!map_) {
        return;
    }
    if (match.folder >= 0) {
        FlyToFolder(match.path, match.folder);
        return;
    }
    map_->centerOn(match.longitude, match.latitude, false);
    // A large feature (a route) is fitted; a site or a point is shown close enough to read.
    const double across = std::max(match.north - match.south, match.east - match.west);
    if (across * kMetresPerDegree > kPlacemarkRange) {
        map_->centerOn(Marble::GeoDataLatLonBox(match.north, match.south, match.east, match.west,
                                                Marble::GeoDataCoordinates::Degree),
                       false);
    } else if (map_->distance() * kMetresPerKilometre > kPlacemarkRange) {
        map_->setDistance(kPlacemarkRange / kMetresPerKilometre);
    }
    qreal x = 0.0;
    qreal y = 0.0;
    map_->screenCoordinates(match.longitude, match.latitude, x, y);
    files_.ShowBalloon(QPoint(static_cast<int>(x), static_cast<int>(y)),
                       {match.name, match.description});
}

QStringList MarbleGlobe::HideFloatItems(bool keepScaleBar) {
    QStringList hidden;
    if (!map_) {
        return hidden;
    }
    for (Marble::AbstractFloatItem* item : map_->floatItems()) {
        if (item->visible() && !(keepScaleBar && item->nameId() == kScaleBar)) {
            item->setVisible(false);
            hidden << item->nameId();
        }
    }
    map_->repaint();
    return hidden;
}

void MarbleGlobe::ShowFloatItems(const QStringList& ids) {
    if (!map_) {
        return;
    }
    for (Marble::AbstractFloatItem* item : map_->floatItems()) {
        if (ids.contains(item->nameId())) {
            item->setVisible(true);
        }
    }
    map_->update();
}

ICameraInfoGE MarbleGlobe::Camera() const {
    ICameraInfoGE camera;
    camera.FocusPointLatitude = map_->centerLatitude();
    camera.FocusPointLongitude = map_->centerLongitude();
    camera.FocusPointAltitude = altitude_;
    camera.FocusPointAltitudeMode = altitudeMode_;
    camera.Range = map_->distance() * kMetresPerKilometre;
    camera.Tilt = tilt_;
    camera.Azimuth = map_->heading();
    return camera;
}

void MarbleGlobe::MoveCamera(const ICameraInfoGE& camera) {
    altitude_ = camera.FocusPointAltitude;
    altitudeMode_ = camera.FocusPointAltitudeMode;
    tilt_ = camera.Tilt;
    map_->centerOn(camera.FocusPointLongitude, camera.FocusPointLatitude, false);
    if (camera.Range > 0.0) {
        map_->setDistance(camera.Range / kMetresPerKilometre);
    }
    map_->setHeading(camera.Azimuth);
}

IPointOnTerrainGE MarbleGlobe::PointOnTerrain(double screenX, double screenY) const {
    // -1 and +1 are the outer edges of the view: pixel positions 0 and width (or height).
    const double x = (screenX + 1.0) / 2.0 * map_->width();
    const double y = (1.0 - screenY) / 2.0 * map_->height();
    if (projection_ == MapProjection::Flat) {
        // The flat map places a point at (width / 2 + (longitude - centre) * pixels per degree,
        // height / 2 - (latitude - centre) * pixels per degree), radius pixels to 90 degrees.
        // Reading that back exactly, without rounding to whole pixels or folding the longitude
        // into -180..180, keeps a registered picture exact to the last pixel, also across the
        // date line.
        const double degreesPerPixel = 90.0 / map_->radius();
        return {map_->centerLatitude() - (y - map_->height() / 2.0) * degreesPerPixel,
                map_->centerLongitude() + (x - map_->width() / 2.0) * degreesPerPixel};
    }
    qreal longitude = 0.0;
    qreal latitude = 0.0;
    // Off the globe (space around a distant view) the point stays at 0, 0.
    map_->geoCoordinates(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)),
                         longitude, latitude, Marble::GeoDataCoordinates::Degree);
    return {latitude, longitude};
}

QList<MapTheme> MarbleGlobe::InstalledMapThemes() {
    Marble::MapThemeManager manager;
    const QStandardItemModel* model = manager.mapThemeModel();
    QList<MapTheme> themes;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        const QString id = model->data(index, Qt::UserRole + 1).toString();
        // KML files hold places on the Earth; other planets' maps would only confuse.
        if (!id.startsWith("earth/")) {
            continue;
        }
        MapTheme theme{id, model->data(index).toString()};
        for (const FieldTheme& field : kFieldThemes) {
            if (id == field.id) {
                theme.name = QString::fromUtf8(field.name);
                theme.forFieldWork = true;
            }
        }
        themes.append(theme);
    }
    std::stable_sort(themes.begin(), themes.end(), [](const MapTheme& a, const MapTheme& b) {
        return a.forFieldWork && !b.forFieldWork;
    });
    return themes;
}

void MarbleGlobe::SetMapThemeId(const QString& id) {
    mapThemeId_ = id;
    if (map_) {
        map_->setMapThemeId(id);
        AllowStreetLevel(*map_);
        WatchStreetTiles();
    }
}

void MarbleGlobe::WatchStreetTiles() {
    tileHint_->hide();
    const int watch = ++tileWatch_;
    if (mapThemeId_ == kStreetTheme) {
        QTimer::singleShot(kTileWaitMilliseconds, tileHint_,
                           [this, watch] { ShowTileHintIfStillEmpty(watch); });
    }
}

void MarbleGlobe::ShowTileHintIfStillEmpty(int watch) {
    // A later theme change started its own watch.
    if (watch == tileWatch_ && map_ && map_->renderStatus() != Marble::Complete) {
        tileHint_->show();
        tileHint_->raise();
    }
}

void MarbleGlobe::SetProjection(MapProjection projection) {
    projection_ = projection;
    if (map_) {
        map_->setProjection(MarbleProjection(projection));
    }
}

void TMarbleApplicationGE::Connect() {
    globe_.Start();
    connected_ = true;
}

void TMarbleApplicationGE::EnsureConnected() {
    // A connection that the globe outlived (its window was closed) starts it again.
    if (!connected_ || !globe_.IsRunning()) {
        Connect();
    }
}

void TMarbleApplicationGE::OpenKmlFile(const QString& path, long /*suppressMessages*/) {
    EnsureConnected();
    globe_.Open(path);
}

QWidget* TMarbleApplicationGE::GetMainHwnd() {
    EnsureConnected();
    return globe_.Window();
}

QWidget* TMarbleApplicationGE::GetRenderHwnd() {
    EnsureConnected();
    return globe_.Map();
}

ICameraInfoGE TMarbleApplicationGE::GetCamera(long /*considerTerrain*/) {
    EnsureConnected();
    return globe_.Camera();
}

void TMarbleApplicationGE::SetCamera(const ICameraInfoGE& camera, double /*speed*/) {
    EnsureConnected();
    globe_.MoveCamera(camera);
}

void TMarbleApplicationGE::SetCameraParams(double latitude, double longitude, double altitude,
                                           AltitudeModeGE altitudeMode, double range, double tilt,
                                           double azimuth, double /*speed*/) {
    EnsureConnected();
    globe_.MoveCamera({latitude, longitude, altitude, altitudeMode, range, tilt, azimuth});
}

void TMarbleApplicationGE::SetElevationExaggeration(double exaggeration) {
    EnsureConnected();
    globe_.SetElevationExaggeration(exaggeration);
}

QList<LoadedKmlFile> TMarbleApplicationGE::LoadedKmlFiles() const {
    return globe_.Files().List();
}

void TMarbleApplicationGE::SetKmlFileVisible(const QString& path, bool visible) {
    globe_.Files().SetVisible(MarbleGlobe::AbsolutePath(path), visible);
}

void TMarbleApplicationGE::ReloadKmlFile(const QString& path) {
    globe_.Reload(path);
}

void TMarbleApplicationGE::RemoveKmlFile(const QString& path) {
    globe_.Files().Remove(MarbleGlobe::AbsolutePath(path));
}

void TMarbleApplicationGE::FlyToKmlFile(const QString& path) {
    globe_.FlyTo(path);
}

void TMarbleApplicationGE::ShowPlacemark(const PlacemarkMatch& match) {
    EnsureConnected();
    globe_.ShowPlacemark(match);
}

void TMarbleApplicationGE::SetLoadedKmlFilesListener(std::function<void()> listener) {
    globe_.Files().SetListener(std::move(listener));
}

void TMarbleApplicationGE::SetKmlLoadFailureListener(std::function<void(const QString&)> listener) {
    globe_.Files().SetFailureListener(std::move(listener));
}

void TMarbleApplicationGE::CancelKmlFileLoad(const QString& path) {
    globe_.Files().CancelLoad(MarbleGlobe::AbsolutePath(path));
}

void TMarbleApplicationGE::SetKmlFolderVisible(const QString& path, int folder, bool visible) {
    globe_.Files().SetFolderVisible(MarbleGlobe::AbsolutePath(path), folder, visible);
}

void TMarbleApplicationGE::FlyToKmlFolder(const QString& path, int folder) {
    globe_.FlyToFolder(path, folder);
}

void TMarbleApplicationGE::SetKmlTimeWindow(std::optional<KmlTimeWindow> window) {
    globe_.Files().SetTimeWindow(window);
}

IPointOnTerrainGE TMarbleApplicationGE::GetPointOnTerrainFromScreenCoords(double screenX,
                                                                          double screenY) {
    EnsureConnected();
    return globe_.PointOnTerrain(screenX, screenY);
}

}  // namespace orvane
