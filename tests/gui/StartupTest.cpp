// The program's run from start-up to the end, with the recording globe.

#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "app/Mainform.h"
#include "app/Startup.h"
#include "common/Errors.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"

using namespace orvane;
using namespace orvane::test;

namespace {

TFrmMain* FindMainWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<TFrmMain*>(window)) {
            return main;
        }
    }
    return nullptr;
}

OrvaneApplication& App() {
    return *static_cast<OrvaneApplication*>(QCoreApplication::instance());
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
  public:
    explicit StartupTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        globe_ = std::make_unique<RecordedGlobe>();
    }

    void cleanup() { globe_.reset(); }

    void aStartUpErrorIsShownAndEndsWithStatusOne() {
        const int status = RunDesktop(
            App(),
            []() -> std::unique_ptr<TApplicationGE> { throw Error("The globe cannot start"); },
            [] { return false; });
        QCOMPARE(status, 1);
        QCOMPARE(dialogs_.errors, QStringList({"Orvane 无法启动：The globe cannot start"}));
        QVERIFY(FindMainWindow() == nullptr);
    }

    void asRootTheWebEngineRunsWithoutItsSandboxOtherwiseItsFlagsStay() {
        const QByteArray kept = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
        QVERIFY(!AllowWebEngineAsRoot(false));
        QCOMPARE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), QByteArray("--disable-gpu"));
        const std::optional<QString> note = AllowWebEngineAsRoot(true);
        QVERIFY(note && note->contains("--no-sandbox"));
        QCOMPARE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), QByteArray("--disable-gpu --no-sandbox"));
        QVERIFY(!AllowWebEngineAsRoot(true));  // said once
        qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        QVERIFY(AllowWebEngineAsRoot(true));
        QCOMPARE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), QByteArray("--no-sandbox"));
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", kept);
    }

    void theRunEndsWhenTheMainWindowCloses() {
        QTimer::singleShot(0, [] {
            TFrmMain* main = FindMainWindow();
            QVERIFY(main != nullptr && main->isVisible());
            main->close();
        });
        QCOMPARE(RunDesktop(App(), Connector(), [this] { return globe_->IsRunning(); }), 0);
        QVERIFY(dialogs_.questions.isEmpty());
        QVERIFY(dialogs_.errors.isEmpty());
        QVERIFY(FindMainWindow() == nullptr);
    }

    void theFilesOfTheCommandLineOpenOnceTheMainWindowShows() {
        const QString kml = QStringLiteral(ORVANE_EXAMPLES "/regions.kml");
        const QString missing = QStringLiteral(ORVANE_EXAMPLES "/missing.kml");
        QStringList listed;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            TFrmMain* main = FindMainWindow();
            if (main != nullptr && !dialogs_.messages.isEmpty()) {
                listed = TopLevelTexts(*Child<QTreeWidget>(main, "TreeView2"));
                main->close();
            }
        });
        watch.start(10);
        dialogs_.answers = {true};
        QCOMPARE(RunDesktop(App(), Connector(), [this] { return globe_->IsRunning(); },
                            {{kml, missing}}),
                 0);
        QCOMPARE(listed, QStringList({kml}));
        QVERIFY(globe_->calls.contains("OpenKmlFile(" + kml + ",1)"));
        QCOMPARE(dialogs_.messages, QStringList({"找不到文件：" + missing}));
    }

    void aGlobeKeptOpenRunsUntilItsWindowCloses() {
        QTimer::singleShot(0, [] {
            TFrmMain* main = FindMainWindow();
            QTest::mouseClick(Child<QPushButton>(main, "Button2"), Qt::LeftButton);
            main->close();
        });
        dialogs_.answers = {false};
        bool globeKeptOpen = false;
        const auto globeRuns = [this, &globeKeptOpen] {
            globeKeptOpen = globe_->IsRunning() && globe_->Window()->isVisible();
            if (globeKeptOpen) {
                QTimer::singleShot(0, globe_->Window(), [this] { globe_->Window()->close(); });
            }
            return globe_->IsRunning();
        };
        QCOMPARE(RunDesktop(App(), Connector(), globeRuns), 0);
        QCOMPARE(dialogs_.questions, QStringList({"同时也关闭GoogleEarth吗？"}));
        QVERIFY(globeKeptOpen);
        QVERIFY(!globe_->IsRunning());
    }

  private:
    GlobeConnector Connector() {
        return [this] { return std::make_unique<RecordingApplicationGE>(*globe_); };
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<RecordedGlobe> globe_;
};

ORVANE_GUI_TEST_MAIN(StartupTest)
#include "StartupTest.moc"
