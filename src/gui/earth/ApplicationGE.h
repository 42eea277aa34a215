#pragma once

// The narrow interface to the globe. Every window that shows KML files, moves the camera or
// reads ground positions goes through it, so that windows run in tests against a recording
// double and in the program against the Marble globe.

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace orvane {

enum class AltitudeModeGE { RelativeToGround = 1, Absolute = 2 };

// A snapshot of the view. Writing a field changes only the snapshot; SetCamera applies it.
struct ICameraInfoGE {
    double FocusPointLatitude = 0.0;
    double FocusPointLongitude = 0.0;
    double FocusPointAltitude = 0.0;
    AltitudeModeGE FocusPointAltitudeMode = AltitudeModeGE::RelativeToGround;
    double Range = 0.0;  // metres from the focus point
    double Tilt = 0.0;
    double Azimuth = 0.0;  // heading in degrees
};

struct IPointOnTerrainGE {
    double Latitude = 0.0;
    double Longitude = 0.0;
};

// Spherical shows the globe; Flat the equirectangular map, where longitude runs linearly
// with the pixel column and latitude with the row.
enum class MapProjection { Spherical, Flat };

struct MapTheme {
    QString id;
    QString name;
    bool forFieldWork = false;  // the offline satellite view and the street map come first
};

// A folder of a file on the globe; parents come before their children.
struct KmlFolder {
    QString name;
    int parent = -1;  // -1: directly in the file
    bool visible = true;
};

// Times in milliseconds since 1970, UTC.
struct KmlTimeWindow {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    bool operator==(const KmlTimeWindow&) const = default;
};

// A placemark of a loaded file found by its name.
struct PlacemarkMatch {
    QString path;  // of the file
    QString name;
    QString description;
    double longitude = 0.0;  // the middle of its features, degrees
    double latitude = 0.0;
    double west = 0.0, south = 0.0, east = 0.0, north = 0.0;  // their extent, degrees
    int folder = -1;  // a folder of the file found by its name rather than a placemark
};

// What the ruler reports after each change: the text for the status bar, and whether it
// still takes clicks.
using RulerListener = std::function<void(const QString& text, bool active)>;

struct LoadedKmlFile {
    QString path;  // absolute
    bool visible = true;
    // While the file is read in the background: how much is read, 0 to 100; else -1.
    int loadingPercent = -1;
    QList<KmlFolder> folders;
    // From the earliest to the latest time of its placemarks, when they carry times.
    std::optional<KmlTimeWindow> times;
};

class TApplicationGE {
  public:
    virtual ~TApplicationGE() = default;

    // Attaches to the globe, starting it (creating its window) when it does not run yet.
    virtual void Connect() = 0;
    virtual void Disconnect() = 0;
    // Nonzero when the globe shows its map to the user (embedded or in its own window).
    virtual long IsInitialized() = 0;
    virtual void OpenKmlFile(const QString& path, long suppressMessages) = 0;
    // The globe's own top-level window and the map widget inside it.
    virtual QWidget* GetMainHwnd() = 0;
    virtual QWidget* GetRenderHwnd() = 0;
    virtual ICameraInfoGE GetCamera(long considerTerrain) = 0;
    virtual void SetCamera(const ICameraInfoGE& camera, double speed) = 0;
    virtual void SetCameraParams(double latitude, double longitude, double altitude,
                                 AltitudeModeGE altitudeMode, double range, double tilt,
                                 double azimuth, double speed) = 0;
    virtual void SetElevationExaggeration(double exaggeration) = 0;
    // View positions run from -1 to +1 on both axes; (-1, +1) is the top-left corner.
    virtual IPointOnTerrainGE GetPointOnTerrainFromScreenCoords(double screenX, double screenY) = 0;

    // The globe's top-level window when the globe runs, else null; never starts it.
    virtual QWidget* FindMainWindow() const = 0;
    // The map themes the user may choose from, and the one shown.
    virtual QList<MapTheme> MapThemes() const = 0;
    virtual QString CurrentMapTheme() const = 0;
    virtual void SetMapTheme(const QString& id) = 0;

    // The ruler: while active, clicks on the map add points (snapped to a drawn vertex within
    // a few pixels) and the map shows every leg and the total; Esc or a right click ends it.
    // Starting it again clears the last measurement. Never starts the globe.
    virtual void SetRulerActive(bool active) = 0;
    virtual void SetRulerListener(RulerListener listener) = 0;
    // The placemarks of the shown files whose name holds the text, letter case aside, in file
    // order, at most `most`.
    virtual QList<PlacemarkMatch> FindPlacemarks(const QString& text, int most) const = 0;
    // Brings a match into view and opens its balloon.
    virtual void ShowPlacemark(const PlacemarkMatch& match) = 0;
    // Hides the map's float items (overview map, compass, navigation, attribution ...) for a
    // picture of the data, the scale bar too unless asked to keep it; returns those hidden,
    // which ShowFloatItems shows again.
    virtual QStringList HideFloatItems(bool keepScaleBar) = 0;
    virtual void ShowFloatItems(const QStringList& ids) = 0;

    // The files on the globe, in the order they were first opened, and whether they show.
    // OpenKmlFile of a file already there replaces its features; none of these starts the
    // globe, and a path not on the globe is passed over.
    virtual QList<LoadedKmlFile> LoadedKmlFiles() const = 0;
    virtual void SetKmlFileVisible(const QString& path, bool visible) = 0;
    // Reads a file on the globe again; the view stays where it is.
    virtual void ReloadKmlFile(const QString& path) = 0;
    virtual void RemoveKmlFile(const QString& path) = 0;
    // Brings a file's features into view, as opening it does.
    virtual void FlyToKmlFile(const QString& path) = 0;
    // Told of every change of the files on the globe or of their visibility. There is one
    // listener per globe; an empty function ends listening.
    virtual void SetLoadedKmlFilesListener(std::function<void()> listener) = 0;
    // A large file is read in the background: it is listed at once with its progress, and
    // shown when read; a file that cannot be read then is reported to this listener.
    virtual void SetKmlLoadFailureListener(std::function<void(const QString&)> listener) = 0;
    virtual void CancelKmlFileLoad(const QString& path) = 0;
    // A hidden folder hides what it holds; a file read again keeps its folders hidden.
    virtual void SetKmlFolderVisible(const QString& path, int folder, bool visible) = 0;
    virtual void FlyToKmlFolder(const QString& path, int folder) = 0;
    // Only placemarks whose time meets the window are drawn; placemarks without a time
    // always are. Empty: every placemark is drawn.
    virtual void SetKmlTimeWindow(std::optional<KmlTimeWindow> window) = 0;
    virtual MapProjection Projection() const = 0;
    virtual void SetProjection(MapProjection projection) = 0;
};

// Makes a new connection to the one globe of the process.
using GlobeConnector = std::function<std::unique_ptr<TApplicationGE>()>;

}  // namespace orvane
