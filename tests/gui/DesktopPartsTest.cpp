// The parts the desktop's windows share: running a conversion, the settings and the course
// of a playback.

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QtTest>
#include <stdexcept>

#include "app/PlaybackController.h"
#include "common/DesktopSettings.h"
#include "common/ErrorTexts.h"
#include "common/RunConversion.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"

using namespace orvane;
using namespace orvane::test;

class DesktopPartsTest : public QObject {
    Q_OBJECT
  public:
    explicit DesktopPartsTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() { dialogs_ = ScriptedDialogs{}; }

    void aConversionReportsIntoItsWindowAndEndsAtZero() {
        QProgressBar bar;
        QPlainTextEdit info;
        info.setPlainText("before");
        QList<int> seen;
        connect(&bar, &QProgressBar::valueChanged, [&seen](int value) { seen << value; });
        const auto summary = RunConversion(&info, dialogs_, {&bar, &info, true},
                                           [](const ConversionObserver& observer) {
                                               observer.Started();
                                               observer.Info("one");
                                               observer.Progress(100);
                                               observer.Info("two");
                                               ConversionSummary done;
                                               done.featuresWritten = 2;
                                               return done;
                                           });
        QVERIFY(summary);
        QCOMPARE(summary->featuresWritten, 2);
        QCOMPARE(Lines(info), QStringList({"one", "two"}));
        QCOMPARE(seen, QList<int>({100, 0}));
        QVERIFY(dialogs_.errors.isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void anErrorIsShownWhereItIsRaised() {
        QProgressBar bar;
        QPlainTextEdit info;
        info.setPlainText("kept");
        const auto summary =
            RunConversion(nullptr, dialogs_, {&bar, &info, true},
                          [](const ConversionObserver& observer) -> ConversionSummary {
                              observer.Progress(40);
                              throw std::runtime_error("Cannot open file x");
                          });
        QVERIFY(!summary);
        QCOMPARE(dialogs_.errors, QStringList({"Cannot open file x"}));
        QCOMPARE(bar.value(), 0);
        QCOMPARE(Lines(info), QStringList({"kept"}));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(!ReportErrors(nullptr, dialogs_, [] { throw 7; }));
        QCOMPARE(dialogs_.errors.last(), QString());
    }

    void theCoresOwnTextsAreShownInChineseAndTheFixedTextsStay() {
        const QString folder = QDir::tempPath();
        for (const auto& [english, shown] : std::initializer_list<std::pair<QString, QString>>{
                 {"Cannot read workbook /d/a.xls: it is not an Excel workbook",
                  "无法读取表格文件 /d/a.xls：它不是Excel表格文件"},
                 {"Cannot read workbook /d/a.xlsx: the file is damaged (no sheets)",
                  "无法读取表格文件 /d/a.xlsx：文件已损坏 (no sheets)"},
                 {"Cannot read file /d/big.txt: it is larger than 64 MB, the most Orvane reads",
                  "无法读取文件 /d/big.txt：文件过大，超过Orvane在本机上能读取的大小"},
                 {"Cannot create file /d/out.kml: the output file is read-only",
                  "Cannot create file /d/out.kml：输出文件是只读文件"},
                 {"Cannot create file " + folder,
                  "Cannot create file " + folder + "：输出文件是一个目录"},
                 {"Cell (3, 0) lies outside the sheet", "单元格（3, 0）不在工作表内"},
                 {"Cannot open file /d/a.txt", "Cannot open file /d/a.txt"},
                 {"'1.5' is not a valid integer value", "'1.5' is not a valid integer value"},
                 {"List index out of bounds (0)", "List index out of bounds (0)"},
             }) {
            QCOMPARE(DesktopErrorText(english.toStdString()), shown);
        }
        // The error box of a window shows the desktop's words.
        ReportErrors(nullptr, dialogs_, [] { throw std::bad_alloc(); });
        QCOMPARE(dialogs_.errors, QStringList({"内存不足"}));
    }

    void theBreakDistanceHoldsForTheRunWithinItsLimits() {
        DesktopSettings settings;
        QCOMPARE(settings.BreakDistance(), 20);
        settings.SetBreakDistance(500);
        QCOMPARE(settings.BreakDistance(), kMaxBreakDistance);
        settings.SetBreakDistance(0);
        QCOMPARE(settings.BreakDistance(), kMinBreakDistance);
        QCOMPARE(DesktopSettings().BreakDistance(), 20);
    }

    void playbackGoesThroughItsStatesAndLines() {
        PlaybackController playback;
        QVERIFY(playback.CurrentState() == PlaybackController::State::Stopped);
        playback.Pause();
        QVERIFY(playback.CurrentState() == PlaybackController::State::Stopped);
        playback.Load(TextLines(TextBuffer("Lon\tLat\n1\t2\n3\tx\n")), {0, 1});
        QVERIFY(playback.HasLines());
        QCOMPARE(playback.FieldNames(), QStringList({"Lon", "Lat"}));
        playback.Start();
        playback.Pause();
        QVERIFY(playback.CurrentState() == PlaybackController::State::Paused);
        playback.Resume();
        QVERIFY(playback.CurrentState() == PlaybackController::State::Playing);

        const PlayedLine first = playback.Step();
        QCOMPARE(first.line, 1);
        QVERIFY(first.position.Playable());
        QCOMPARE(first.position.longitude, 1.0);
        const PlayedLine second = playback.Step();
        QVERIFY(!second.position.Playable());
        QCOMPARE(playback.Fields(), QStringList({"3", "x"}));
        QCOMPARE(playback.Step().line, 1);  // from the first again after the last
        QVERIFY(playback.FirstFault());
        QVERIFY(!playback.FirstFault());
        playback.Stop();
        QVERIFY(playback.CurrentState() == PlaybackController::State::Stopped);
    }

  private:
    ScriptedDialogs& dialogs_;
};

ORVANE_GUI_TEST_MAIN(DesktopPartsTest)
#include "DesktopPartsTest.moc"
