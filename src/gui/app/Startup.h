#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/Application.h"
#include "earth/ApplicationGE.h"

namespace orvane {

class SingleInstance;

// What the program was started with: the files named on its command line, and the channel
// through which later starts hand their files over (none when it runs alone).
struct StartRequest {
    QStringList files;
    SingleInstance* instance = nullptr;
};

// The web engine that the globe loads ends the whole process, without a word, when it starts
// as root with its sandbox on. Run as root, the program turns the sandbox off through the
// engine's own flags (QTWEBENGINE_CHROMIUM_FLAGS), which it reads once, when the first web
// view is made; this must happen before the application object exists. Returns the line for
// the log when the flags were changed.
std::optional<QString> AllowWebEngineAsRoot(bool runsAsRoot);

// Reads the command line (--help and --version answer and end the program) and hands its
// files to the program already running for this user and display, if any: then nothing is
// returned and this start ends. Otherwise this becomes the running program when it can.
std::optional<StartRequest> ReadStartRequest(OrvaneApplication& app, SingleInstance& instance);

// Creates every window, runs the event loop until the main window closes and then, when the
// user kept the globe open, until the globe window closes too. Returns the exit status: 0,
// or 1 after a start-up error, which is shown in the error box. The files of the start
// request, and those that later starts hand over while the main window is open, are opened as
// files dropped on the main window are.
int RunDesktop(OrvaneApplication& app, const GlobeConnector& connectGlobe,
               const std::function<bool()>& globeRuns, const StartRequest& start = {});

}  // namespace orvane
