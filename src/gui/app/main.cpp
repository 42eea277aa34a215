// orvane: the desktop program.

#include <QCoreApplication>
#include <memory>

#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/Startup.h"
#include "earth/MarbleGlobe.h"

int main(int argc, char** argv) {
    // Marble's balloons use the web engine, which needs shared OpenGL contexts from the start.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    orvane::DesktopDialogs dialogs;
    orvane::OrvaneApplication app(argc, argv, dialogs);
    orvane::MarbleGlobe globe;
    return orvane::RunDesktop(
        app, [&globe] { return std::make_unique<orvane::TMarbleApplicationGE>(globe); },
        [&globe] { return globe.IsRunning(); });
}
