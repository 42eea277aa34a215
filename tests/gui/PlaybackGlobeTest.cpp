// Track playback on the real Marble globe, run under Xvfb: the sample drive-test log and its
// KML file are loaded through "GPS轨迹回放", and the view follows the logged positions under
// the red cross.

#include <marble/MarbleWidget.h>
#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBox>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "common/Kml_baseclass.h"
#include "conversions/Dt2kml.h"
#include "conversions/DtTextFile.h"
#include "earth/MarbleGlobe.h"
#include "gui/WindowControls.h"
#include "tests/gui/GuiTestMain.h"
#include "windows/FrmGPS.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kLog = QStringLiteral(ORVANE_EXAMPLES "/dt-route.txt");
constexpr int kCellField = 5;  // 小区

bool IsCrossRed(QRgb pixel) {
    return qRed(pixel) > 230 && qGreen(pixel) < 25 && qBlue(pixel) < 25;
}

// The sample log as route lines classified by serving cell, in the default colours or with
// every cell green, so that nothing on the map but the cross is red.
QString WriteRoute(const QString& path, bool allGreen) {
    const DtTextFile log = DtTextFile::Read(kLog.toStdString());
    DtConversionRequest request;
    request.dtPath = kLog.toStdString();
    request.outPath = path.toStdString();
    request.lonColumn = 1;
    request.latColumn = 2;
    request.themeColumn = kCellField;
    request.legend.kind = LegendKind::Classification;
    request.legend.scan = ScanThemeField(log.Values(kCellField), DtNumberTest);
    request.legend.classEntries = FillClassification(request.legend.scan);
    if (allGreen) {
        for (LegendEntry& entry : request.legend.classEntries) {
            entry.color = std::to_string(0x00FF00);
        }
    }
    ConvertDtToKml(request);
    return path;
}

}  // namespace

class PlaybackGlobeTest : public QObject {
    Q_OBJECT
  public:
    explicit PlaybackGlobeTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        globe_ = std::make_unique<MarbleGlobe>();
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<TMarbleApplicationGE>(*globe_); });
        Main().move(0, 0);
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
    }

    void viewFollowsTheLogUnderTheCross() {
        LoadAndStart(WriteRoute(dir_.filePath("cells.kml"), true));
        QTRY_VERIFY_WITH_TIMEOUT(Main().Playback().Position() >= 5, 10000);
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnPause"), Qt::LeftButton);
        ExpectCentreOnCurrentLine();

        // The cross lies on the panel's centre with the centre itself clear: there the panel
        // shows the map as the map alone draws it.
        QTest::qWait(500);
        const QImage panel = Child<QWidget>(Main(), "Panel01")->grab().toImage();
        QPixmap mapAlone(globe_->Map()->size());
        globe_->Map()->render(&mapAlone, {}, {}, QWidget::DrawWindowBackground);
        const QImage map = mapAlone.toImage();
        const int cx = Child<QWidget>(Main(), "Panel01")->width() / 2;
        const int cy = Child<QWidget>(Main(), "Panel01")->height() / 2;
        for (int d : {5, 9, 14}) {
            for (int across : {-1, 0, 1}) {
                QVERIFY(IsCrossRed(panel.pixel(cx - d, cy + across)));
                QVERIFY(IsCrossRed(panel.pixel(cx + d, cy + across)));
                QVERIFY(IsCrossRed(panel.pixel(cx + across, cy - d)));
                QVERIFY(IsCrossRed(panel.pixel(cx + across, cy + d)));
            }
        }
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                QCOMPARE(panel.pixel(cx + dx, cy + dy), map.pixel(cx + dx, cy + dy));
                QVERIFY(!IsCrossRed(panel.pixel(cx + dx, cy + dy)));
            }
        }

        // Zooming out while paused carries over to the next steps.
        globe_->Map()->setDistance(30.0);
        const int before = Main().Playback().Position();
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnPause"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(Main().Playback().Position() >= before + 2, 10000);
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnEnd"), Qt::LeftButton);
        ExpectCentreOnCurrentLine();
        QVERIFY(qAbs(globe_->Map()->distance() - 30.0) < 1e-3);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(Child<QLabel>(Main(), "StatusPane")->text(), QString());
    }

    // The picture for the README: a playback running over the route coloured by serving
    // cell, the user having zoomed out to see the whole route.
    void aRunningPlaybackAsTheUserSeesIt() {
        const QString shot = qEnvironmentVariable("ORVANE_SCREENSHOT");
        if (shot.isEmpty()) {
            QSKIP("ORVANE_SCREENSHOT names no file to write");
        }
        LoadAndStart(WriteRoute(dir_.filePath("dt-route.kml"), false));
        QTRY_VERIFY_WITH_TIMEOUT(Main().Playback().Position() >= 3, 10000);
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnPause"), Qt::LeftButton);
        globe_->Map()->setDistance(22.0);
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnPause"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(Main().Playback().Position() >= 40, 30000);
        QTest::qWait(2500);  // let the map finish drawing before the screen is taken
        QCOMPARE(QProcess::execute("import", {"-window", "root", shot}), 0);
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }

    // What the user does: the globe shows, "GPS轨迹回放" with the log and its KML file,
    // the playback group, "开始" at the fastest pace.
    void LoadAndStart(const QString& kml) {
        Main().EmbedGoogleEarth();
        TFrmGPS& gps = desktop_->FrmGPS();
        QTimer::singleShot(0, &gps, [this, &gps, kml] {
            dialogs_.openPaths = {kLog, kml};
            gps.SpeedButton3Click();
            gps.SpeedButton1Click();
            QCOMPARE(Child<QComboBox>(gps, "CBox_Long")->currentText(), QString("经度"));
            QCOMPARE(Child<QComboBox>(gps, "CBox_Lat")->currentText(), QString("纬度"));
            QTest::mouseClick(Child<QPushButton>(gps, "Button3"), Qt::LeftButton);
        });
        Child<QAction>(Main(), "GPS1")->trigger();
        QCOMPARE(dialogs_.messages, QStringList());
        QCOMPARE(Main().Playback().Lines().size(), size_t(3001));
        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(1);
        Child<QSlider>(Main(), "TrackBar1")
            ->setValue(Child<QSlider>(Main(), "TrackBar1")->minimum());
        QTest::mouseClick(Child<QPushButton>(Main(), "BtnStart"), Qt::LeftButton);
    }

    void ExpectCentreOnCurrentLine() {
        std::vector<std::string> fields;
        SplitTabFields(
            Main().Playback().Lines()[static_cast<size_t>(Main().Playback().Position() - 1)],
            fields);
        QVERIFY(qAbs(globe_->Map()->centerLongitude() - ParseNumber(fields[1])) < 1e-6);
        QVERIFY(qAbs(globe_->Map()->centerLatitude() - ParseNumber(fields[2])) < 1e-6);
    }

    ScriptedDialogs& dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<MarbleGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(PlaybackGlobeTest)
#include "PlaybackGlobeTest.moc"
