#include "app/Startup.h"

#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <exception>

#include "app/Desktop.h"
#include "app/InputFiles.h"
#include "app/Mainform.h"
#include "app/SingleInstance.h"
#include "common/ErrorTexts.h"

namespace orvane {

namespace {

void RunUntilMainWindowCloses(OrvaneApplication& app, const GlobeConnector& connectGlobe,
                              const StartRequest& start) {
    const Desktop desktop(app.dialogs(), connectGlobe);
    TFrmMain& main = desktop.FrmMain();
    InputFileOpener opener(main, desktop.InputWindows(), app.dialogs());
    if (start.instance != nullptr) {
        QObject::connect(start.instance, &SingleInstance::FilesReceived, &opener,
                         &InputFileOpener::OpenHandedOver);
    }
    app.setQuitOnLastWindowClosed(false);
    QObject::connect(&main, &TFrmMain::Closed, &app, &QCoreApplication::quit);
    main.show();
    if (!start.files.isEmpty()) {
        QTimer::singleShot(0, &opener, [&opener, &start] { opener.Open(start.files); });
    }
    app.exec();
    // A globe kept open after the main window has closed takes no more files.
    if (start.instance != nullptr) {
        start.instance->StopListening();
    }
    main.FormDestroy();
}

}  // namespace

std::optional<QString> AllowWebEngineAsRoot(bool runsAsRoot) {
    static constexpr char kFlags[] = "QTWEBENGINE_CHROMIUM_FLAGS";
    static constexpr char kNoSandbox[] = "--no-sandbox";
    const QByteArray flags = qgetenv(kFlags);
    if (!runsAsRoot || flags.split(' ').contains(kNoSandbox)) {
        return std::nullopt;
    }
    qputenv(kFlags, flags.isEmpty() ? QByteArray(kNoSandbox) : flags + ' ' + kNoSandbox);
    return QStringLiteral(
               "orvane: running as root, the globe's web engine runs without its "
               "sandbox (%1 in %2)")
        .arg(kNoSandbox, kFlags);
}

std::optional<StartRequest> ReadStartRequest(OrvaneApplication& app, SingleInstance& instance) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Orvane: mobile-network survey data to KML, shown on a globe.\n"
                       "KML and KMZ files open on the globe, other inputs in their windows;\n"
                       "a running Orvane takes the files of a later start."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral(".kml .kmz .mif .txt .xls .xlsx .csv"),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);

    StartRequest start{LocalFilesFromArguments(parser.positionalArguments())};
    switch (instance.HandOverOrListen(start.files)) {
        case SingleInstance::Start::HandedOver:
            return std::nullopt;
        case SingleInstance::Start::Listening:
            start.instance = &instance;
            break;
        case SingleInstance::Start::Alone:
            std::fprintf(stderr, "orvane: %s\n", qUtf8Printable(instance.ErrorText()));
            break;
    }
    return start;
}

int RunDesktop(OrvaneApplication& app, const GlobeConnector& connectGlobe,
               const std::function<bool()>& globeRuns, const StartRequest& start) {
    try {
        RunUntilMainWindowCloses(app, connectGlobe, start);
        if (globeRuns()) {
            app.setQuitOnLastWindowClosed(true);
            app.exec();
        }
    } catch (const std::exception& error) {
        app.dialogs().ErrorBox(nullptr,
                               QStringLiteral("Orvane 无法启动：") + DesktopErrorText(error));
        return 1;
    } catch (...) {
        app.dialogs().ErrorBox(nullptr, {});
        return 1;
    }
    return 0;
}

}  // namespace orvane
