// A second start of the program hands its files to the running one. This test is the running
// program; the second start is the real orvane, started in a process of its own.

#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "app/Desktop.h"
#include "app/InputFiles.h"
#include "app/Mainform.h"
#include "app/SingleInstance.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmDT.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kExamples = QStringLiteral(ORVANE_EXAMPLES);

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstanceTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void initTestCase() {
        // The socket lives in the runtime folder: this test's own, not the user's.
        QVERIFY(runtime_.isValid());
        qRegisterMetaType<QProcess::ExitStatus>();
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
        QVERIFY(SingleInstance::DefaultSocketPath().startsWith(runtime_.path() + "/orvane-"));
    }

    void aSecondStartHandsItsFilesToTheFirstAndEnds() {
        RecordedGlobe globe;
        const Desktop desktop(dialogs_,
                              [&globe] { return std::make_unique<RecordingApplicationGE>(globe); });
        InputFileOpener opener(desktop.FrmMain(), desktop.InputWindows(), dialogs_);
        SingleInstance instance(SingleInstance::DefaultSocketPath());
        QCOMPARE(instance.HandOverOrListen({}), SingleInstance::Start::Listening);
        connect(&instance, &SingleInstance::FilesReceived, &opener,
                &InputFileOpener::OpenHandedOver);

        // Named relative to the second start's own folder.
        QCOMPARE(RunSecondStart({"regions.kml", "dt-route.txt"}), 0);
        const QString kml = kExamples + "/regions.kml";
        QTRY_COMPARE(TopLevelTexts(*Child<QTreeWidget>(desktop.FrmMain(), "TreeView2")),
                     QStringList({kml}));
        QVERIFY(globe.calls.contains("OpenKmlFile(" + kml + ",1)"));
        QVERIFY(desktop.FrmMain().isVisible());
        QCOMPARE(Child<QLineEdit>(desktop.FrmDT(), "EdtDtFName")->text(),
                 kExamples + "/dt-route.txt");
        QVERIFY(desktop.FrmDT().isVisible());

        // Started without files, it only brings the running program forward.
        QSignalSpy received(&instance, &SingleInstance::FilesReceived);
        QCOMPARE(RunSecondStart({}), 0);
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.first().first().toStringList(), QStringList());
        QVERIFY(dialogs_.messages.isEmpty());
        QVERIFY(dialogs_.errors.isEmpty());

        // Once the main window has closed, a later start becomes the running program itself.
        instance.StopListening();
        SingleInstance later(instance.SocketPath());
        QCOMPARE(later.HandOverOrListen({kml}), SingleInstance::Start::Listening);
    }

    void aSocketLeftBehindIsReplacedAndStrangersAreTurnedAway() {
        const QString path = runtime_.filePath("left-behind");
        WriteFile(path, "not a socket");
        SingleInstance instance(path);
        QCOMPARE(instance.HandOverOrListen({}), SingleInstance::Start::Listening);

        QSignalSpy received(&instance, &SingleInstance::FilesReceived);
        for (const QByteArray& message :
             {QByteArray("\0\0\0\5hello", 9), QByteArray("\xff\xff\xff\xff", 4)}) {
            QLocalSocket stranger;
            stranger.connectToServer(path);
            QVERIFY(stranger.waitForConnected(2000));
            stranger.write(message);
            QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        }
        QCOMPARE(received.count(), 0);
    }

  private:
    static int RunSecondStart(const QStringList& arguments) {
        QProcess second;
        second.setWorkingDirectory(kExamples);
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        QSignalSpy finished(&second, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
        second.start(QStringLiteral(ORVANE_EXECUTABLE), arguments);
        // The running program answers from this event loop, which the spy keeps turning.
        if (!finished.wait(60000) || second.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return second.exitCode();
    }

    ScriptedDialogs& dialogs_;
    QTemporaryDir runtime_;
};

ORVANE_GUI_TEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
