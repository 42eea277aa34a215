#pragma once

// What a window may ask of the desktop around it. The desktop wires these operations to the
// main window, its list of loadable files and the globe in one place (app/Desktop.cpp), so
// that no window knows the main window.

#include <QString>

namespace orvane {

class DesktopSettings;

class DesktopHost {
  public:
    virtual ~DesktopHost() = default;

    // A window wrote this KML file: it becomes loadable, or is shown again where loaded.
    virtual void FileWritten(const QString& path) = 0;
    // Shows an existing KML file on the globe, embedding the globe in the main window first
    // when it is not ready; a path with no file does nothing.
    virtual void ShowOnGlobe(const QString& path) = 0;
    // Shows an existing KML file on the globe as it stands: attaches to the running globe or
    // starts it, never embeds it; a globe started just now shows its own window.
    virtual void ShowOnGlobeAsItStands(const QString& path) = 0;
    virtual const DesktopSettings& Settings() const = 0;
};

}  // namespace orvane
