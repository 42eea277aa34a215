#include "app/Startup.h"

#include <exception>

#include "app/Desktop.h"
#include "app/Mainform.h"

namespace orvane {

namespace {

void RunUntilMainWindowCloses(OrvaneApplication& app, const GlobeConnector& connectGlobe) {
    const Desktop desktop(app.dialogs(), connectGlobe);
    TFrmMain& main = desktop.FrmMain();
    app.setQuitOnLastWindowClosed(false);
    QObject::connect(&main, &TFrmMain::Closed, &app, &QCoreApplication::quit);
    main.show();
    app.exec();
    main.FormDestroy();
}

}  // namespace

int RunDesktop(OrvaneApplication& app, const GlobeConnector& connectGlobe,
               const std::function<bool()>& globeRuns) {
    try {
        RunUntilMainWindowCloses(app, connectGlobe);
        if (globeRuns()) {
            app.setQuitOnLastWindowClosed(true);
            app.exec();
        }
    } catch (const std::exception& error) {
        app.dialogs().ErrorBox(nullptr, QString::fromUtf8(error.what()));
        return 1;
    } catch (...) {
        app.dialogs().ErrorBox(nullptr, {});
        return 1;
    }
    return 0;
}

}  // namespace orvane
