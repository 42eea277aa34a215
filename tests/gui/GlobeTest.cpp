// The real Marble globe, run under Xvfb: a polygon written by the points window shows on the
// map, and the camera and ground-point operations agree with what the map shows.

#include <marble/MarbleWidget.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "common/DesktopSettings.h"
#include "earth/MarbleGlobe.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "windows/FrmBS.h"
#include "windows/FrmCQT.h"
#include "windows/FrmDT.h"
#include "windows/FrmPoint.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// Pixels close to a pure colour: each channel within 60 of the wanted one.
int PixelsOf(const QImage& image, const QColor& wanted) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (qAbs(colour.red() - wanted.red()) < 60 &&
                qAbs(colour.green() - wanted.green()) < 60 &&
                qAbs(colour.blue() - wanted.blue()) < 60) {
                ++count;
            }
        }
    }
    return count;
}

int RedPixels(const QImage& image) {
    return PixelsOf(image, QColor(255, 0, 0));
}

}  // namespace

class GlobeTest : public QObject {
    Q_OBJECT
  public:
    explicit GlobeTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

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

    // What a new user does: write a polygon in the points window, double-click it in the
    // list of loadable files, and see the red outline.
    void polygonFromThePointsWindowShowsOnTheGlobe() {
        const QString path = dir_.filePath("area.kml");
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "离散点数据->KML");
        TFrmPoint& point = desktop_->FrmPoint();
        QVERIFY(point.isVisible());
        dialogs_.savePaths = {path};
        QTest::mouseClick(Child<QToolButton>(point, "SpeedButton5"), Qt::LeftButton);
        Child<QPlainTextEdit>(point, "Memo1")
            ->setPlainText(Child<QPlainTextEdit>(point, "MemoDemo")->toPlainText());
        QTest::mouseClick(Child<QPushButton>(point, "Button4"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages, QStringList({"完成！"}));

        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(2);
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), path, true);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(globe_->Map()->parentWidget(), Child<QWidget>(Main(), "Panel01"));
        QVERIFY(Main().AppGE0().IsInitialized() != 0);

        // The view is brought to the polygon: its centre lies inside the ring.
        const ICameraInfoGE camera = Main().AppGE0().GetCamera(0);
        QVERIFY(camera.FocusPointLongitude > 112.978279 && camera.FocusPointLongitude < 113.068899);
        QVERIFY(camera.FocusPointLatitude > 25.745336 && camera.FocusPointLatitude < 25.844481);
        QTRY_VERIFY_WITH_TIMEOUT(RedPixels(globe_->Map()->grab().toImage()) > 200, 20000);

        point.move(Main().frameGeometry().right() + 8, 0);
        TakeScreenIfAsked();
    }

    // The same polygon as a KMZ archive in the standard layout: Marble reads it too.
    void aKmzArchiveInTheStandardLayoutShowsOnTheGlobe() {
        const QString path = dir_.filePath("area.kmz");
        DesktopSettings().SetLayout(KmlLayout::Standard);
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "离散点数据->KML");
        TFrmPoint& point = desktop_->FrmPoint();
        dialogs_.savePaths = {path};
        QTest::mouseClick(Child<QToolButton>(point, "SpeedButton5"), Qt::LeftButton);
        Child<QPlainTextEdit>(point, "Memo1")
            ->setPlainText(Child<QPlainTextEdit>(point, "MemoDemo")->toPlainText());
        QTest::mouseClick(Child<QPushButton>(point, "Button4"), Qt::LeftButton);
        DesktopSettings().SetLayout(KmlLayout::Fixed);
        QCOMPARE(dialogs_.messages, QStringList({"完成！"}));

        QTest::mouseClick(Child<QToolButton>(point, "SpeedButton8"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        const ICameraInfoGE camera = Main().AppGE0().GetCamera(0);
        QVERIFY(camera.FocusPointLongitude > 112.978279 && camera.FocusPointLongitude < 113.068899);
        QTRY_VERIFY_WITH_TIMEOUT(RedPixels(globe_->Map()->grab().toImage()) > 200, 20000);
    }

    // The sample log coloured by serving cell in the drive-test window, opened on the globe
    // from the window's view button: the lines of the cells show in their colours.
    void driveTestRouteFromTheDtWindowShowsOnTheGlobe() {
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "DT数据->KML");
        TFrmDT& dt = desktop_->FrmDT();
        QVERIFY(dt.isVisible());
        dt.move(Main().frameGeometry().right() + 8, 0);
        dialogs_.openPaths = {QStringLiteral(ORVANE_EXAMPLES "/dt-route.txt")};
        QTest::mouseClick(Child<QToolButton>(dt, "SpeedButton3"), Qt::LeftButton);
        Child<QComboBox>(dt, "CBoxFNList")
            ->setCurrentIndex(Child<QComboBox>(dt, "CBoxFNList")->findText("小区"));
        const QString path = dir_.filePath("cells.kml");
        dialogs_.savePaths = {path};
        QTest::mouseClick(Child<QToolButton>(dt, "SpeedButton4"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(dt, "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(dialogs_.messages, QStringList({"导出完成."}));

        QTest::mouseClick(Child<QToolButton>(dt, "SpeedButton6"), Qt::LeftButton);
        QCOMPARE(globe_->Map()->parentWidget(), Child<QWidget>(Main(), "Panel01"));
        // The first cells take the first palette colours: green, blue, yellow.
        for (const QColor& colour : {QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 0)}) {
            QTRY_VERIFY_WITH_TIMEOUT(PixelsOf(globe_->Map()->grab().toImage(), colour) > 30, 20000);
        }
        TakeScreenIfAsked();
    }

    // The sample base-station table in the base-station window, wedges of each sector's
    // beamwidth and 2500 m on the ground, opened on the globe from the window's view button:
    // the wedges show in their quadrant colours.
    void baseStationSitesFromTheBsWindowShowOnTheGlobe() {
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "基站表->KML");
        TFrmBS& bs = desktop_->FrmBS();
        QVERIFY(bs.isVisible());
        bs.move(Main().frameGeometry().right() + 8, 0);
        dialogs_.openPaths = {QStringLiteral(ORVANE_EXAMPLES "/bs-table.xlsx")};
        QTest::mouseClick(Child<QToolButton>(bs, "SpeedButton2"), Qt::LeftButton);
        const auto choose = [](ColumnChoice* choice, const QString& entry) {
            choice->onDropDown();
            choice->setCurrentIndex(choice->findText(entry));
        };
        choose(Child<ColumnChoice>(bs, "CBBox_Sitename"), "A:站名");
        choose(Child<ColumnChoice>(bs, "CBBox_Lon"), "B:经度");
        choose(Child<ColumnChoice>(bs, "CBBox_Lat"), "C:纬度");
        choose(Child<ColumnChoice>(bs, "CBBox_Direct"), "D:方向角");
        choose(Child<ColumnChoice>(bs, "CBBox_Beamwidth"), "H:波束宽度");
        Child<QComboBox>(bs, "CBoxRadiusUnit")->setCurrentIndex(1);
        Child<QSpinBox>(bs, "CSpinEdit1")->setValue(2500);
        const QString path = dir_.filePath("sites.kml");
        dialogs_.savePaths = {path};
        QTest::mouseClick(Child<QToolButton>(bs, "SpeedButton1"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(bs, "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(dialogs_.messages, QStringList({"导出完成,共导入6行数据."}));

        QTest::mouseClick(Child<QToolButton>(bs, "SpeedButton7"), Qt::LeftButton);
        QCOMPARE(globe_->Map()->parentWidget(), Child<QWidget>(Main(), "Panel01"));
        // Closer than the whole file's view, so that the wedges are large enough to see.
        Main().AppGE0().SetCameraParams(24.85, 113.65, 0.0, AltitudeModeGE::RelativeToGround,
                                        28000.0, 0.0, 0.0, 5.0);
        for (const QColor& colour :
             {QColor(255, 0, 0), QColor(0, 255, 0), QColor(255, 255, 0), QColor(0, 255, 255)}) {
            QTRY_VERIFY_WITH_TIMEOUT(PixelsOf(globe_->Map()->grab().toImage(), colour) > 30, 20000);
        }
        TakeScreenIfAsked();
    }

    // The sample CQT table graded by RxLev in the CQT window; with the globe embedded, the
    // window's view button shows the test points in the main window's view.
    void cqtPointsFromTheCqtWindowShowOnTheEmbeddedGlobe() {
        QTest::mouseClick(Child<QPushButton>(Main(), "Button2"), Qt::LeftButton);  // "载入GE窗口"
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "CQT数据->KML");
        TFrmCQT& cqt = desktop_->FrmCQT();
        QVERIFY(cqt.isVisible());
        cqt.move(Main().frameGeometry().right() + 8, 0);
        dialogs_.openPaths = {QStringLiteral(ORVANE_EXAMPLES "/cqt-table.xlsx")};
        QTest::mouseClick(Child<QToolButton>(cqt, "SpeedButton9"), Qt::LeftButton);
        const std::array<std::pair<QComboBox*, QString>, 4> bindings = {
            std::pair{static_cast<QComboBox*>(Child<ColumnChoice>(cqt, "CBBox_Name1")),
                      QString("A:测试点")},
            {Child<ColumnChoice>(cqt, "CBBox_Lon1"), "B:经度"},
            {Child<ColumnChoice>(cqt, "CBBox_Lat1"), "C:纬度"},
            {Child<ColumnChoice>(cqt, "CBBox_Theme"), "D:RxLev"}};
        for (const auto& [choice, entry] : bindings) {
            choice->showPopup();
            choice->setCurrentIndex(choice->findText(entry));
            choice->hidePopup();
            emit choice->activated(choice->currentIndex());
        }
        cqt.findChild<QGroupBox*>("RadioGroup3")->findChildren<QAbstractButton*>().at(2)->click();
        const QString path = dir_.filePath("rxlev.kml");
        dialogs_.savePaths = {path};
        QTest::mouseClick(Child<QToolButton>(cqt, "SpeedButton10"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(cqt, "Button7"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(dialogs_.messages, QStringList({"导出完成,共导入6行数据."}));

        QTest::mouseClick(Child<QToolButton>(cqt, "SpeedButton11"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(globe_->Map()->parentWidget(), Child<QWidget>(Main(), "Panel01"));
        const ICameraInfoGE camera = Main().AppGE0().GetCamera(0);
        QVERIFY(camera.FocusPointLongitude > 113.3 && camera.FocusPointLongitude < 114.4);
        QVERIFY(camera.FocusPointLatitude > 24.6 && camera.FocusPointLatitude < 25.2);
        TakeScreenIfAsked();
    }

    void cameraGoesWhereItIsSentAndTheCornersSurroundIt() {
        Main().EmbedGoogleEarth();
        TApplicationGE& globe = Main().AppGE0();
        globe.SetCameraParams(30.5, 114.3, 0.0, AltitudeModeGE::RelativeToGround, 50000.0, 0.0, 0.0,
                              5.0);
        const ICameraInfoGE camera = globe.GetCamera(1);
        QVERIFY(qAbs(camera.FocusPointLatitude - 30.5) < 1e-6);
        QVERIFY(qAbs(camera.FocusPointLongitude - 114.3) < 1e-6);
        QVERIFY(qAbs(camera.Range - 50000.0) < 1.0);

        const IPointOnTerrainGE topLeft = globe.GetPointOnTerrainFromScreenCoords(-1, 1);
        const IPointOnTerrainGE bottomLeft = globe.GetPointOnTerrainFromScreenCoords(-1, -1);
        const IPointOnTerrainGE topRight = globe.GetPointOnTerrainFromScreenCoords(1, 1);
        const IPointOnTerrainGE bottomRight = globe.GetPointOnTerrainFromScreenCoords(1, -1);
        for (const IPointOnTerrainGE& left : {topLeft, bottomLeft}) {
            QVERIFY(left.Longitude < 114.3);
        }
        for (const IPointOnTerrainGE& right : {topRight, bottomRight}) {
            QVERIFY(right.Longitude > 114.3);
        }
        for (const IPointOnTerrainGE& top : {topLeft, topRight}) {
            QVERIFY(top.Latitude > 30.5);
        }
        for (const IPointOnTerrainGE& bottom : {bottomLeft, bottomRight}) {
            QVERIFY(bottom.Latitude < 30.5);
        }
    }

    void aFileWithoutFeaturesLeavesTheViewWhereItIs() {
        const QString path = dir_.filePath("empty.kml");
        WriteFile(path,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<kml xmlns=\"http://earth.google.com/kml/2.1\"><Document></Document></kml>\n");
        TApplicationGE& globe = Main().AppGE0();
        Main().EmbedGoogleEarth();
        globe.SetCameraParams(30.5, 114.3, 0.0, AltitudeModeGE::RelativeToGround, 50000.0, 0.0, 0.0,
                              5.0);
        globe.OpenKmlFile(path, 1);
        QVERIFY(qAbs(globe.GetCamera(0).FocusPointLongitude - 114.3) < 1e-6);
        QVERIFY(qAbs(globe.GetCamera(0).FocusPointLatitude - 30.5) < 1e-6);
    }

    void aFileTheMapCannotReadIsReported() {
        const QString path = dir_.filePath("broken.kml");
        WriteFile(path, "this is no KML");
        Main().AddLoadableFile(path);
        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(2);
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), path, true);
        QCOMPARE(dialogs_.errors, QStringList({"Cannot open file " + path}));
    }

    void answeringNoKeepsTheGlobeWindowWithItsMap() {
        Main().EmbedGoogleEarth();
        dialogs_.answers = {false};
        Main().close();
        Main().FormDestroy();
        QVERIFY(globe_->IsRunning());
        QVERIFY(globe_->Window()->isVisible());
        QCOMPARE(globe_->Map()->parentWidget(), globe_->Window());
        globe_->Window()->close();
        QVERIFY(!globe_->IsRunning());
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }

    ScriptedDialogs& dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<MarbleGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(GlobeTest)
#include "GlobeTest.moc"
