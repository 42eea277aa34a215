// orvane: the desktop program.

#include <QCoreApplication>
#include <cstdio>
#include <memory>
#include <optional>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "app/Application.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "common/Dialogs.h"
#include "common/TemporaryFiles.h"
#include "earth/MarbleGlobe.h"

namespace {

bool RunsAsRoot() {
#ifdef _WIN32
    return false;
#else
    return geteuid() == 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // A conversion cut short by the session's end (SIGTERM, SIGHUP) leaves no temporary file.
    orvane::RemoveTemporaryFilesOnSignals();
    // Marble's balloons use the web engine, which needs shared OpenGL contexts from the start.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (const std::optional<QString> note = orvane::AllowWebEngineAsRoot(RunsAsRoot())) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(*note));
    }
    orvane::DesktopDialogs dialogs;
    orvane::OrvaneApplication app(argc, argv, dialogs);
    QCoreApplication::setApplicationVersion(ORVANE_VERSION);
    orvane::SingleInstance instance(orvane::SingleInstance::DefaultSocketPath());
    const std::optional<orvane::StartRequest> start = orvane::ReadStartRequest(app, instance);
    if (!start) {
        return 0;  // a running Orvane took the files
    }
    orvane::MarbleGlobe globe;
    return orvane::RunDesktop(
        app, [&globe] { return std::make_unique<orvane::TMarbleApplicationGE>(globe); },
        [&globe] { return globe.IsRunning(); }, *start);
}
