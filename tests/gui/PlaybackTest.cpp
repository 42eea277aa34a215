// Track playback offscreen, against the recording globe and scripted dialogs: the playback
// dialog, the "GPS轨迹回放" menu, the controls of "回放控制" and the steps of Timer1.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmGPS.h"

using namespace orvane;
using namespace orvane::test;

namespace {

QStringList Column(const QTableWidget& grid, int column) {
    QStringList texts;
    for (int row = 0; row < grid.rowCount(); ++row) {
        const QTableWidgetItem* item = grid.item(row, column);
        texts << (item ? item->text() : QString());
    }
    return texts;
}

}  // namespace

class PlaybackTest : public QObject {
    Q_OBJECT
  public:
    explicit PlaybackTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        globe_ = std::make_unique<RecordedGlobe>();
        // What the user left the view at: playback keeps all of it but the focus point,
        // and the range, which loading sets to 1000 m.
        globe_->camera = {10.0, 20.0, 7.0, AltitudeModeGE::Absolute, 5000.0, 30.0, 45.0};
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<RecordingApplicationGE>(*globe_); });
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
        dir_ = std::make_unique<QTemporaryDir>();
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
        dir_.reset();
    }

    void menuAndStartSayWhatIsMissing() {
        Child<QAction>(Main(), "GPS1")->trigger();
        QCOMPARE(dialogs_.messages, QStringList({"请先启动或加载GoogleEarth!"}));
        QVERIFY(!Gps().isVisible());

        QTest::mouseClick(Child<QPushButton>(Main(), "BtnStart"), Qt::LeftButton);
        Main().EmbedGoogleEarth();
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnStart"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages.mid(1),
                 QStringList({"GE进程未启动或无回放数据!", "GE进程未启动或无回放数据!"}));
        QVERIFY(!Main().Timer1.isActive());
        QVERIFY(!Child<QPushButton>(Main(), "BtnPause")->isEnabled());
    }

    void dialogNeedsBothFilesAndAnExistingKmlFile() {
        Gps().Button3Click();
        const QString log = Write("log.txt", "Lon\tLat\n1\t2\n");
        ChooseLog(log);
        QCOMPARE(Child<QLineEdit>(Gps(), "EdtKmlFName")->text(), dir_->filePath("log.kml"));
        Gps().Button3Click();
        QCOMPARE(dialogs_.messages, QStringList({"请选择相关文件.", "没有相关KML文件."}));
        QCOMPARE(Gps().result(), int(QDialog::Rejected));

        const FileDialogOptions dtDialog = dialogs_.fileDialogs.value(0);
        QCOMPARE(dtDialog.title, QString("打开DT文本记录文件"));
        QCOMPARE(dtDialog.filter, QString("文本文件(*.txt)|*.txt"));
        const QString kml = Write("other.kml", "<kml/>");
        dialogs_.openPaths = {kml};
        Gps().SpeedButton1Click();
        QCOMPARE(dialogs_.fileDialogs.value(1).title, QString("打开KML文件"));
        QCOMPARE(dialogs_.fileDialogs.value(1).filter, QString("文本文件(*.kml)|*.kml"));
        QCOMPARE(Child<QLineEdit>(Gps(), "EdtKmlFName")->text(), kml);
        Gps().Button3Click();
        QCOMPARE(Gps().result(), int(QDialog::Accepted));
        QCOMPARE(dialogs_.messages.size(), 2);
    }

    void dialogDetectsPositionColumnsByName() {
        // No position field: both columns stay where they were, 0 at first.
        ChooseLog(Write("plain.txt", "Time\tLevel\tQuality\n"));
        QCOMPARE(Items(*Child<QComboBox>(Gps(), "CBox_Long")),
                 QStringList({"Time", "Level", "Quality"}));
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Long")->currentIndex(), 0);
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Lat")->currentIndex(), 0);

        // GPS_LON does not begin with LON; Latency after the latitude field begins with LAT.
        ResetChoices();
        ChooseLog(Write("a.txt", "Time\tLongitude\tGPS_LON\tLatitude\tLatency\n"));
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Long")->currentText(), QString("Longitude"));
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Lat")->currentText(), QString("Latency"));

        // The later LONG_2 wins over LON.
        ResetChoices();
        ChooseLog(Write("b.txt", "LON\tLAT\tLONG_2\n"));
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Long")->currentIndex(), 2);
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Lat")->currentIndex(), 1);
        Gps().SpeedButton1Click();  // cancelled
        WriteFile(dir_->filePath("b.kml"), "<kml/>");
        Gps().Button3Click();
        QCOMPARE(Gps().Choice().columns.longitude, 2);
        QCOMPARE(Gps().Choice().columns.latitude, 1);

        // Without a match the columns in use are proposed again; one past the new header
        // selects nothing, and OK then gives -1.
        ResetChoices();
        ChooseLog(Write("c.txt", "Time\tLevel\n"));
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Long")->currentIndex(), -1);
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Lat")->currentText(), QString("Level"));
        WriteFile(dir_->filePath("c.kml"), "<kml/>");
        Gps().Button3Click();
        QCOMPARE(Gps().Choice().columns.longitude, -1);
        QCOMPARE(Gps().Choice().columns.latitude, 1);
    }

    void chosenNamesStayChosenInTheNextLog() {
        ChooseLog(Write("first.txt", "Time\tx_lon\tx_lat\tLON\tLAT\n"));
        Child<QComboBox>(Gps(), "CBox_Long")->setCurrentIndex(1);
        Child<QComboBox>(Gps(), "CBox_Lat")->setCurrentIndex(2);
        // The names come back at their new places, in other letter case too; the detected
        // columns would have been 4 and 3.
        ChooseLog(Write("second.txt", "LAT\tTime\tLON\tX_LAT\tx_lon\n"));
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Long")->currentIndex(), 4);
        QCOMPARE(Child<QComboBox>(Gps(), "CBox_Lat")->currentText(), QString("X_LAT"));

        // A typed name that names no field gives -1.
        WriteFile(dir_->filePath("second.kml"), "<kml/>");
        Child<QComboBox>(Gps(), "CBox_Lat")->setEditText("nowhere");
        Child<QComboBox>(Gps(), "CBox_Long")->setEditText("X_LON");
        Gps().Button3Click();
        QCOMPARE(Gps().Choice().columns.longitude, 4);
        QCOMPARE(Gps().Choice().columns.latitude, -1);
    }

    void cancellingTheDialogKeepsTheColumnsPlayed() {
        const QString log = Write("log.txt", "Lon\tLat\n113.1\t22.5\n");
        WriteFile(dir_->filePath("log.kml"), "<kml/>");
        Load(log);
        QCOMPARE(Gps().Choice().columns.longitude, 0);
        QCOMPARE(Gps().Choice().columns.latitude, 1);

        Main().EmbedGoogleEarth();
        QTimer::singleShot(0, &Gps(), [this] {
            ChooseLog(Write("other.txt", "Time\tLat\tLon\n"));
            QCOMPARE(Child<QComboBox>(Gps(), "CBox_Long")->currentIndex(), 2);
            QTest::mouseClick(Child<QPushButton>(Gps(), "Button1"), Qt::LeftButton);
        });
        Child<QAction>(Main(), "GPS1")->trigger();
        QCOMPARE(Gps().Choice().columns.longitude, 0);
        QCOMPARE(Gps().Choice().columns.latitude, 1);
    }

    void loadingOpensTheKmlFileAndTakesASnapshot() {
        const QString log = Write("two.txt", "Time\tLon\tLat\n08:00\t113.5\t22.25\n");
        const QString kml = Write("two.kml", "<kml/>");
        Main().EmbedGoogleEarth();
        globe_->calls.clear();
        Load(log);
        QCOMPARE(globe_->calls, QStringList({"OpenKmlFile(" + kml + ",1)", "GetCamera(1)"}));
        QCOMPARE(Main().Playback().Lines().size(), size_t(2));
        QCOMPARE(Main().PlaybackCamera->Range, 1000.0);
        QVERIFY(!Main().Timer1.isActive());  // playback does not start by itself
    }

    void twoLinesPlayTheOneDataLineAtEveryStep() {
        StartPlayback("Time\tLon\tLat\n08:00\t113.5\t22.25\n");
        QVERIFY(Main().Timer1.isActive());
        QVERIFY(Child<QPushButton>(Main(), "BtnPause")->isEnabled());
        QVERIFY(Child<QPushButton>(Main(), "BtnEnd")->isEnabled());
        QCOMPARE(Column(*Child<QTableWidget>(Main(), "StringGrid1"), 0),
                 QStringList({"Time", "Lon", "Lat"}));
        for (int step = 0; step < 3; ++step) {
            globe_->calls.clear();
            Main().Timer1Timer();
            QCOMPARE(globe_->calls,
                     QStringList({"IsInitialized", "SetCameraParams(22.25,113.5,7,2,1000,30,45,5)",
                                  "GetRenderHwnd"}));
            QCOMPARE(Main().Playback().Position(), 2);
        }
        QCOMPARE(Column(*Child<QTableWidget>(Main(), "StringGrid1"), 1),
                 QStringList({"08:00", "113.5", "22.25"}));
        QCOMPARE(Main().Playback().Fields(), QStringList({"08:00", "113.5", "22.25"}));
    }

    void fourLinesLoopOverTheDataLines() {
        StartPlayback(
            "Lon\tLat\tLevel\n"
            "113.041320\t25.773105\t-80.7\n"
            "113.04144\t25.7731\t-72\n"
            "113.1\t25.8\t-60\n");
        const QList<QPair<double, double>> positions = {
            {113.04132, 25.773105}, {113.04144, 25.7731}, {113.1, 25.8}};
        QStringList levels;
        for (int step = 0; step < 6; ++step) {
            Main().Timer1Timer();
            const QPair<double, double> wanted = positions[step % 3];
            QCOMPARE(globe_->camera.FocusPointLongitude, wanted.first);
            QCOMPARE(globe_->camera.FocusPointLatitude, wanted.second);
            QCOMPARE(globe_->camera.FocusPointAltitude, 7.0);
            QCOMPARE(globe_->camera.FocusPointAltitudeMode, AltitudeModeGE::Absolute);
            QCOMPARE(globe_->camera.Range, 1000.0);
            QCOMPARE(globe_->camera.Tilt, 30.0);
            QCOMPARE(globe_->camera.Azimuth, 45.0);
            levels << Child<QTableWidget>(Main(), "StringGrid1")->item(2, 1)->text();
        }
        QCOMPARE(levels, QStringList({"-80.7", "-72", "-60", "-80.7", "-72", "-60"}));
        const QStringList moves = globe_->calls.filter("SetCameraParams");
        QCOMPARE(moves.size(), 6);
        for (const QString& move : moves) {
            QVERIFY2(move.endsWith(",5)"), qPrintable(move));  // speed 5.0
        }

        // Starting again restarts from the first data line.
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnStart"), Qt::LeftButton);
        Main().Timer1Timer();
        QCOMPARE(globe_->camera.FocusPointLongitude, 113.04132);
    }

    void stepsWaitWhileTheGlobeIsNotShown() {
        StartPlayback("Lon\tLat\n1\t2\n3\t4\n");
        globe_->initialized = 0;
        globe_->calls.clear();
        Main().Timer1Timer();
        QCOMPARE(globe_->calls, QStringList({"IsInitialized"}));
        QCOMPARE(Main().Playback().Position(), 0);
    }

    void pauseAndResumeTakeTheViewAsTheUserLeftIt() {
        StartPlayback("Lon\tLat\n1\t2\n3\t4\n5\t6\n");
        Main().Timer1Timer();
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnPause"), Qt::LeftButton);
        QCOMPARE(Child<QPushButton>(Main(), "BtnPause")->text(), QString("继续"));
        QVERIFY(!Main().Timer1.isActive());
        QCOMPARE(Main().Playback().Position(), 2);

        // The user zooms and turns the view meanwhile.
        globe_->camera.Range = 250.0;
        globe_->camera.Azimuth = 90.0;
        globe_->calls.clear();
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnPause"), Qt::LeftButton);
        QCOMPARE(globe_->calls, QStringList({"GetCamera(1)"}));
        QCOMPARE(Child<QPushButton>(Main(), "BtnPause")->text(), QString("暂停"));
        QVERIFY(Main().Timer1.isActive());
        QCOMPARE(Main().Playback().Position(), 2);

        Main().Timer1Timer();
        QCOMPARE(globe_->camera.FocusPointLongitude, 3.0);
        QCOMPARE(globe_->camera.Range, 250.0);  // not set back to 1000
        QCOMPARE(globe_->camera.Azimuth, 90.0);
    }

    void endKeepsTheGridAndThePauseCaption() {
        StartPlayback("Lon\tLat\n1\t2\n3\t4\n");
        Main().Timer1Timer();
        QVERIFY(Main().findChild<QWidget*>("ViewCross")->isVisible());
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnPause"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnEnd"), Qt::LeftButton);
        QVERIFY(!Main().Timer1.isActive());
        QVERIFY(!Child<QPushButton>(Main(), "BtnPause")->isEnabled());
        QVERIFY(!Child<QPushButton>(Main(), "BtnEnd")->isEnabled());
        QVERIFY(Child<QPushButton>(Main(), "BtnStart")->isEnabled());
        QCOMPARE(Child<QPushButton>(Main(), "BtnPause")->text(), QString("继续"));
        QCOMPARE(Column(*Child<QTableWidget>(Main(), "StringGrid1"), 1), QStringList({"1", "2"}));
        QCOMPARE(Main().Playback().Position(), 2);
        QVERIFY(!Main().findChild<QWidget*>("ViewCross")->isVisible());
    }

    void speedBarSetsTheInterval() {
        QCOMPARE(Child<QSlider>(Main(), "TrackBar1")->minimum(), 3);
        QCOMPARE(Child<QSlider>(Main(), "TrackBar1")->maximum(), 13);
        QCOMPARE(Child<QSlider>(Main(), "TrackBar1")->value(), 5);
        QCOMPARE(Main().Timer1.interval(), 500);
        Child<QSlider>(Main(), "TrackBar1")->setValue(13);
        QCOMPARE(Main().Timer1.interval(), 1300);
        Child<QSlider>(Main(), "TrackBar1")->setValue(3);
        QCOMPARE(Main().Timer1.interval(), 300);
    }

    void unplayableLinesAreSkippedAndReportedOnce() {
        StartPlayback(
            "Lon\tLat\tLevel\n"
            "1\t2\t-70\n"
            "east\t4\t-71\n"
            "5\n"
            "7\t8\t-73\n");
        QStringList longitudes;
        QStringList statusTexts;
        for (int step = 0; step < 8; ++step) {
            Main().Timer1Timer();
            longitudes << QString::number(globe_->camera.FocusPointLongitude);
            statusTexts << Child<QLabel>(Main(), "StatusPane")->text();
        }
        // The view stays at the last good line over the skipped ones.
        QCOMPARE(longitudes, QStringList({"1", "1", "1", "7", "1", "1", "1", "7"}));
        QCOMPARE(globe_->calls.filter("SetCameraParams").size(), 4);
        const QString report = "回放跳过第3行：经度“east”不是数字。其后无法回放的行也将跳过。";
        QCOMPARE(statusTexts,
                 QStringList({"", report, report, report, report, report, report, report}));
        // The line without the position still shows what it holds, nothing of the line before.
        Main().Timer1Timer();
        Main().Timer1Timer();
        Main().Timer1Timer();
        QCOMPARE(Column(*Child<QTableWidget>(Main(), "StringGrid1"), 1),
                 QStringList({"5", "", ""}));
        QVERIFY(dialogs_.errors.isEmpty());

        // A new playback reports again; a column of -1 names no field.
        QTimer::singleShot(0, &Gps(), [this] {
            Child<QComboBox>(Gps(), "CBox_Lat")->setEditText("nowhere");
            QTest::mouseClick(Child<QPushButton>(Gps(), "Button3"), Qt::LeftButton);
        });
        Child<QAction>(Main(), "GPS1")->trigger();
        QCOMPARE(Main().Playback().Columns().latitude, -1);
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnStart"), Qt::LeftButton);
        QCOMPARE(Child<QLabel>(Main(), "StatusPane")->text(), QString());
        Main().Timer1Timer();
        QCOMPARE(Child<QLabel>(Main(), "StatusPane")->text(),
                 QString("回放跳过第2行：没有纬度字段。其后无法回放的行也将跳过。"));
    }

    void aFailingGlobeCallSkipsTheLineQuietly() {
        StartPlayback("Lon\tLat\n1\t2\n3\t4\n");
        globe_->failure = "Globe failed";
        // The next globe call connects anew and fails there.
        Main().AppGE0().Disconnect();
        Main().Timer1Timer();
        Main().Timer1Timer();
        QCOMPARE(Main().Playback().Position(), 3);
        QCOMPARE(Child<QLabel>(Main(), "StatusPane")->text(),
                 QString("回放跳过第2行：Globe failed。其后无法回放的行也将跳过。"));
        QVERIFY(dialogs_.errors.isEmpty());
    }

    void aLogThatCannotBeReadKeepsTheLinesBefore() {
        StartPlayback("Lon\tLat\n1\t2\n");
        const QString gone = Write("gone.txt", "Lon\tLat\n5\t6\n");
        WriteFile(dir_->filePath("gone.kml"), "<kml/>");
        globe_->calls.clear();
        // From the event loop, like a click on the menu, so the error reaches the error box.
        QTimer::singleShot(0, Child<QAction>(Main(), "GPS1"), &QAction::trigger);
        QTimer::singleShot(0, &Gps(), [this, gone] {
            ChooseLog(gone);
            QFile::remove(gone);
            QTest::mouseClick(Child<QPushButton>(Gps(), "Button3"), Qt::LeftButton);
        });
        QTRY_COMPARE(dialogs_.errors, QStringList({"Cannot open file " + gone}));
        QCOMPARE(globe_->calls, QStringList({"OpenKmlFile(" + dir_->filePath("gone.kml") + ",1)"}));
        QCOMPARE(Main().Playback().Lines()[1], std::string_view("1\t2"));
    }

    void aNewLogReplacesTheLinesOfARunningPlayback() {
        StartPlayback("Lon\tLat\n1\t2\n3\t4\n5\t6\n");
        Main().Timer1Timer();
        Main().Timer1Timer();
        Load(Write("next.txt", "Level\tLat\tLon\n-70\t20\t10\n-71\t40\t30\n"));
        QVERIFY(Main().Timer1.isActive());
        QCOMPARE(Column(*Child<QTableWidget>(Main(), "StringGrid1"), 0),
                 QStringList({"Level", "Lat", "Lon"}));
        Main().Timer1Timer();  // position 3 lies past the new last line: back to the first
        QCOMPARE(globe_->camera.FocusPointLongitude, 10.0);
        QCOMPARE(globe_->camera.Range, 1000.0);
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }
    TFrmGPS& Gps() { return desktop_->FrmGPS(); }

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_->filePath(name);
        WriteFile(path, bytes);
        return path;
    }

    void ChooseLog(const QString& path) {
        dialogs_.openPaths = {path};
        Gps().SpeedButton3Click();
    }

    void ResetChoices() {
        Child<QComboBox>(Gps(), "CBox_Long")->clear();
        Child<QComboBox>(Gps(), "CBox_Lat")->clear();
    }

    // Loads the log and the KML file beside it through the menu and the dialog.
    void Load(const QString& log) {
        const QString kml = log.left(log.lastIndexOf('.')) + ".kml";
        if (!QFile::exists(kml)) {
            WriteFile(kml, "<kml/>");
        }
        if (!globe_->IsRunning()) {
            Main().EmbedGoogleEarth();
        }
        QTimer::singleShot(0, &Gps(), [this, log] {
            ChooseLog(log);
            QTest::mouseClick(Child<QPushButton>(Gps(), "Button3"), Qt::LeftButton);
            if (Gps().isVisible()) {
                Gps().reject();
            }
        });
        Child<QAction>(Main(), "GPS1")->trigger();
    }

    void StartPlayback(const QByteArray& log) {
        Load(Write("log.txt", log));
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnStart"), Qt::LeftButton);
        QVERIFY(dialogs_.messages.isEmpty());
        globe_->calls.clear();
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(PlaybackTest)
#include "PlaybackTest.moc"
