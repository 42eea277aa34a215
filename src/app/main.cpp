// orvane: the desktop program.

#include <QCoreApplication>
#include <exception>
#include <memory>

#include "app/Application.h"
#include "app/Desktop.h"
#include "app/Dialogs.h"
#include "app/Mainform.h"
#include "earth/MarbleGlobe.h"

namespace {

// Runs the event loop until the main window closes, then lets it hand the map back and ask
// whether the globe closes too.
void RunDesktop(orvane::OrvaneApplication& app, orvane::Dialogs& dialogs,
                orvane::MarbleGlobe& globe) {
    orvane::Desktop desktop(
        dialogs, [&globe] { return std::make_unique<orvane::TMarbleApplicationGE>(globe); });
    orvane::TFrmMain& main = desktop.FrmMain();
    QObject::connect(&main, &orvane::TFrmMain::Closed, &app, &QCoreApplication::quit);
    main.show();
    app.exec();
    main.FormDestroy();
}

}  // namespace

int main(int argc, char** argv) {
    // Marble's balloons use the web engine, which needs shared OpenGL contexts from the start.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    orvane::DesktopDialogs dialogs;
    orvane::OrvaneApplication app(argc, argv, dialogs);
    try {
        orvane::MarbleGlobe globe;
        app.setQuitOnLastWindowClosed(false);
        RunDesktop(app, dialogs, globe);
        // A globe the user chose to keep open runs until its own window closes.
        if (globe.IsRunning()) {
            app.setQuitOnLastWindowClosed(true);
            app.exec();
        }
    } catch (const std::exception& error) {
        dialogs.ErrorBox(nullptr, QString::fromUtf8(error.what()));
        return 1;
    } catch (...) {
        dialogs.ErrorBox(nullptr, {});
        return 1;
    }
    return 0;
}
