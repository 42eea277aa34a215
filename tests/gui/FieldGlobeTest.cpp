// The real Marble globe for field work, under Xvfb: the sample log graded by 场强 shows whole
// in its colours at the zoom that opening it chooses, the view comes down to street level
// with every field theme, "可加载文件" hides, shows and removes the route, and the serving
// cells of the route show with it.

#include <marble/MarbleWidget.h>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QWhatsThis>
#include <QWheelEvent>
#include <QtTest>
#include <cmath>
#include <memory>

#include "app/Desktop.h"
#include "app/LoadableFileList.h"
#include "app/Mainform.h"
#include "common/GeoMeasure.h"
#include "common/Kml_baseclass.h"
#include "earth/FeaturePainter.h"
#include "earth/MarbleGlobe.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "windows/FrmDT.h"
#include "windows/FrmServingReport.h"
#include "windows/ServingCellGroup.h"

using namespace orvane;
using namespace orvane::test;

namespace {

struct RouteLine {
    QColor colour;
    QList<QPointF> points;  // longitude, latitude in degrees
};

// The lines of a drive-test KML file as written: each placemark's style colour and points.
// Read with plain text matching, apart from the map's own reader.
QList<RouteLine> ReadRoute(const QString& path) {
    const QString text = QString::fromUtf8(FileBytes(path));
    QHash<QString, QColor> styles;
    const QRegularExpression style(
        R"re(<Style id="(\w+)" >\s*<LineStyle>\s*<color>\s*ff([0-9A-Fa-f]{2})([0-9A-Fa-f]{2})([0-9A-Fa-f]{2}))re");
    for (auto match = style.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        // KML colours run alpha, blue, green, red.
        styles.insert(m.captured(1),
                      QColor(m.captured(4).toInt(nullptr, 16), m.captured(3).toInt(nullptr, 16),
                             m.captured(2).toInt(nullptr, 16)));
    }
    QList<RouteLine> lines;
    const QRegularExpression placemark(
        R"re(<styleUrl>\s*#(\w+)\s*</styleUrl>\s*<LineString>\s*<coordinates>([^<]*)</coordinates>)re");
    for (auto match = placemark.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        RouteLine line{styles.value(m.captured(1)), {}};
        for (const QString& point :
             m.captured(2).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)) {
            const QStringList parts = point.split(',');
            line.points << QPointF(parts[0].toDouble(), parts[1].toDouble());
        }
        lines << line;
    }
    return lines;
}

bool BalloonShown() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        return window->inherits("QWhatsThat") && window->isVisible();
    });
}

bool Near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) < 60 && qAbs(a.green() - b.green()) < 60 &&
           qAbs(a.blue() - b.blue()) < 60;
}

bool ColourAround(const QImage& image, const QPointF& at, const QColor& colour) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p(qRound(at.x()) + dx, qRound(at.y()) + dy);
            if (image.rect().contains(p) && Near(image.pixelColor(p), colour)) {
                return true;
            }
        }
    }
    return false;
}

// The share of the route's length on screen that the map shows in the line's own colour.
double CoveredShare(Marble::MarbleWidget& map, const QList<RouteLine>& route) {
    const QImage image = map.grab().toImage();
    double total = 0.0;
    double covered = 0.0;
    for (const RouteLine& line : route) {
        QList<QPointF> screen;
        for (const QPointF& point : line.points) {
            qreal x = 0.0;
            qreal y = 0.0;
            map.screenCoordinates(point.x(), point.y(), x, y);
            screen << QPointF(x, y);
        }
        for (int i = 1; i < screen.size(); ++i) {
            const QPointF step = screen[i] - screen[i - 1];
            const double length = std::hypot(step.x(), step.y());
            const int samples = std::max(1, static_cast<int>(std::ceil(length)));
            for (int s = 0; s < samples; ++s) {
                const QPointF at = screen[i - 1] + step * ((s + 0.5) / samples);
                total += length / samples;
                if (ColourAround(image, at, line.colour)) {
                    covered += length / samples;
                }
            }
        }
    }
    return total > 0.0 ? covered / total : 0.0;
}

int RoutePixels(Marble::MarbleWidget& map, const QList<RouteLine>& route) {
    QSet<QRgb> colours;
    for (const RouteLine& line : route) {
        colours.insert(line.colour.rgb());
    }
    const QImage image = map.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += std::any_of(colours.begin(), colours.end(),
                                 [&](QRgb colour) { return Near(pixel, QColor(colour)); });
        }
    }
    return count;
}

// The ground distance across the middle of the view, in metres.
double ViewWidth(TApplicationGE& globe) {
    const IPointOnTerrainGE west = globe.GetPointOnTerrainFromScreenCoords(-1.0, 0.0);
    const IPointOnTerrainGE east = globe.GetPointOnTerrainFromScreenCoords(1.0, 0.0);
    return GeoDistance(west.Longitude, west.Latitude, east.Longitude, east.Latitude);
}

}  // namespace

class FieldGlobeTest : public QObject {
    Q_OBJECT
  public:
    explicit FieldGlobeTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

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

    // What a new user does: colour the sample log by 场强 in five grades, open it on the
    // globe and see the whole route in its five colours.
    void gradedSampleRouteShowsWholeInItsColours() {
        const QString path = GradeSampleRoute();
        const QList<RouteLine> route = ReadRoute(path);
        QVERIFY(route.size() > 900);
        QTest::mouseClick(Child<QToolButton>(desktop_->FrmDT(), "SpeedButton6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(globe_->Map()->parentWidget(), Child<QWidget>(Main(), "Panel01"));
        QTest::qWait(300);
        const double share = CoveredShare(*globe_->Map(), route);
        QVERIFY2(share >= 0.9, qPrintable(QString::number(share)));

        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(2);
        TakeScreenIfAsked();
    }

    // The serving-cell analysis of the sample route: the lines and problem cells with the
    // route on the globe, and a double-click in "小区统计" that centres the globe on the cell.
    void servingCellsOfTheSampleRouteShowOnTheGlobe() {
        TFrmDT& dt = desktop_->FrmDT();
        Child<ServingCellGroup>(dt, "GroupServing")->setChecked(true);
        dialogs_.openPaths = {QStringLiteral(ORVANE_EXAMPLES "/serving-cells.csv")};
        QTest::mouseClick(
            Child<QToolButton>(Child<ServingCellGroup>(dt, "GroupServing"), "BtnOpenCells"),
            Qt::LeftButton);
        GradeSampleRoute();
        QTest::mouseClick(Child<QToolButton>(dt, "SpeedButton6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());

        TFrmServingReport& report = *Child<TFrmServingReport>(dt, "FrmServingReport");
        QVERIFY(QTest::qWaitForWindowExposed(&report));
        report.move(0, Main().frameGeometry().bottom() + 8);
        QTableView& rows = *Child<QTableView>(report, "GridCells");
        const QModelIndex crossed =
            rows.model()
                ->match(rows.model()->index(0, 11), Qt::DisplayRole, "疑似天馈接反")
                .value(0);
        QVERIFY(crossed.isValid());
        const QPoint centre = rows.visualRect(crossed.siblingAtColumn(0)).center();
        QTest::mouseClick(rows.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(rows.viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(dialogs_.errors, QStringList());
        const ICameraInfoGE camera = Main().AppGE0().GetCamera(1);
        QVERIFY(std::abs(camera.FocusPointLongitude - 112.985) < 1e-3);
        QVERIFY(std::abs(camera.FocusPointLatitude - 25.822) < 1e-3);

        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(2);
        TakeScreenIfAsked();
    }

    void streetLevelWithEveryFieldTheme() {
        const QList<MapTheme> themes = Main().AppGE0().MapThemes();
        QVERIFY(themes.size() >= 2);
        QCOMPARE(themes[0].id, QString("earth/bluemarble/bluemarble.dgml"));
        QCOMPARE(themes[1].id, QString("earth/openstreetmap/openstreetmap.dgml"));
        QCOMPARE(Main().AppGE0().CurrentMapTheme(), themes[0].id);

        Main().EmbedGoogleEarth();
        TApplicationGE& globe = Main().AppGE0();
        Marble::MarbleWidget& map = *globe_->Map();
        for (const QString& theme :
             {themes[0].id, themes[1].id, QString("earth/plain/plain.dgml")}) {
            globe.SetMapTheme(theme);
            globe.SetCameraParams(25.8, 113.0, 0.0, AltitudeModeGE::RelativeToGround, 50000.0, 0.0,
                                  0.0, 5.0);
            // The wheel brings the view down to street level and no further than ~35 m.
            for (int turn = 0; turn < 80; ++turn) {
                const QPoint centre(map.width() / 2, map.height() / 2);
                QWheelEvent wheel(QPointF(centre), QPointF(map.mapToGlobal(centre)), QPoint(),
                                  QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                                  false);
                QApplication::sendEvent(&map, &wheel);
            }
            QTest::qWait(100);
            const double closest = ViewWidth(globe);
            QVERIFY2(closest < 100.0 && closest > 20.0,
                     qPrintable(theme + QString::number(closest)));

            // A camera range of a 100 m view gives one.
            // The view's width follows the camera's range.
            const double range = map.distance() * 1000.0 * 100.0 / closest;
            globe.SetCameraParams(25.8, 113.0, 0.0, AltitudeModeGE::RelativeToGround, range, 0.0,
                                  0.0, 5.0);
            QVERIFY2(qAbs(ViewWidth(globe) - 100.0) < 5.0,
                     qPrintable(QString::number(ViewWidth(globe))));
        }
    }

    // The layer's own projection puts points where the map's does, turned or not.
    void featuresAreDrawnWhereTheMapPutsThem() {
        Main().EmbedGoogleEarth();
        Marble::MarbleWidget& map = *globe_->Map();
        for (const double heading : {0.0, 35.0}) {
            Main().AppGE0().SetCameraParams(25.8, 113.0, 0.0, AltitudeModeGE::RelativeToGround,
                                            3000000.0, 0.0, heading, 5.0);
            ScreenProjection projection(*map.viewport());
            for (double lon = 100.0; lon <= 126.0; lon += 6.5) {
                for (double lat = 10.0; lat <= 40.0; lat += 7.5) {
                    QPointF ours;
                    QVERIFY(
                        projection.Project({qDegreesToRadians(lon), qDegreesToRadians(lat)}, ours));
                    qreal x = 0.0;
                    qreal y = 0.0;
                    map.screenCoordinates(lon, lat, x, y);
                    QVERIFY2(qAbs(ours.x() - x) < 0.01 && qAbs(ours.y() - y) < 0.01,
                             qPrintable(QString("%1,%2: %3,%4 against %5,%6")
                                            .arg(lon)
                                            .arg(lat)
                                            .arg(ours.x())
                                            .arg(ours.y())
                                            .arg(x)
                                            .arg(y)));
                }
            }
        }
    }

    // A click on a feature names it, with its description, in a balloon; a click beside it
    // does not.
    void aClickOnAFeatureShowsItsBalloon() {
        const QString path = dir_.filePath("site.kml");
        WriteFile(path,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<kml xmlns=\"http://earth.google.com/kml/2.1\"><Document>"
                  "<Placemark><name>Site A</name><description><![CDATA[<TABLE><TR><TD>CI</TD>"
                  "<TD>10000</TD></TR></TABLE>]]></description><Point><coordinates>113.04,25.77,0"
                  "</coordinates></Point></Placemark>"
                  "<Placemark><name>Edge</name><Point><coordinates>113.05,25.78,0</coordinates>"
                  "</Point></Placemark></Document></kml>\n");
        Main().AddLoadableFile(path);
        Main().OpenOnGlobe(path);
        Marble::MarbleWidget& map = *globe_->Map();
        qreal x = 0.0;
        qreal y = 0.0;
        QVERIFY(map.screenCoordinates(113.04, 25.77, x, y));
        QTest::mouseClick(&map, Qt::LeftButton, {}, QPoint(qRound(x), qRound(y)) + QPoint(30, 40));
        QTest::qWait(100);
        QVERIFY(!BalloonShown());
        QTest::mouseClick(&map, Qt::LeftButton, {}, QPoint(qRound(x), qRound(y)));
        QTRY_VERIFY(BalloonShown());
        QWhatsThis::hideText();
    }

    // The tools on the real map: the ruler snaps to a site and measures as GeoDistance does,
    // "定位…" finds the site by name and opens its balloon, and the wheel zooms about the
    // pointer.
    void theRulerGoToAndWheelWorkOnTheMap() {
        const QString path = QStringLiteral(ORVANE_TEST_DATA "/bs/bs-table.kml");
        Main().OpenOnGlobe(path);
        Marble::MarbleWidget& map = *globe_->Map();
        Main().AppGE0().SetCameraParams(24.6811, 113.6042, 0.0, AltitudeModeGE::RelativeToGround,
                                        3000.0, 0.0, 0.0, 5.0);
        qreal x = 0.0;
        qreal y = 0.0;
        QVERIFY(map.screenCoordinates(113.6042, 24.6811, x, y));
        const QPoint site(qRound(x), qRound(y));

        auto* ruler = Child<QAction>(Main(), "RulerAction");
        ruler->trigger();
        QTest::mouseClick(&map, Qt::LeftButton, {}, site + QPoint(3, -2));
        const QPoint elsewhere = site + QPoint(200, 120);
        qreal longitude = 0.0;
        qreal latitude = 0.0;
        QVERIFY(map.geoCoordinates(elsewhere.x(), elsewhere.y(), longitude, latitude,
                                   Marble::GeoDataCoordinates::Degree));
        QTest::mouseClick(&map, Qt::LeftButton, {}, elsewhere);
        const QString metres = QString::fromStdString(
            DistanceText(GeoDistance(113.6042, 24.6811, longitude, latitude)));
        QCOMPARE(Child<QLabel>(Main(), "StatusPane")->text(), "测距：" + metres);
        TakeScreenIfAsked();
        QTest::mouseClick(&map, Qt::RightButton, {}, elsewhere);
        QVERIFY(!ruler->isChecked());

        Child<QAction>(Main(), "GoToAction")->trigger();
        Child<QLineEdit>(Main(), "GoToField")->setText("曲江");
        QTest::keyClick(Child<QLineEdit>(Main(), "GoToField"), Qt::Key_Return);
        QTRY_VERIFY(BalloonShown());
        QWhatsThis::hideText();
        // The site's folder is found too, after the site; it fits the view to the site.
        auto* matches = Child<QListWidget>(Main(), "GoToMatches");
        QCOMPARE(matches->count(), 2);
        QVERIFY(matches->item(1)->text().contains("/  —  bs-table.kml"));
        map.setDistance(2000.0);
        matches->setCurrentRow(1);
        QTest::keyClick(Child<QLineEdit>(Main(), "GoToField"), Qt::Key_Return);
        QVERIFY(map.distance() < 100.0);
        Child<QDialog>(Main(), "GoToDialog")->close();

        const QPoint pointer = site + QPoint(150, -90);
        QVERIFY(map.geoCoordinates(pointer.x(), pointer.y(), longitude, latitude,
                                   Marble::GeoDataCoordinates::Degree));
        const qreal distance = map.distance();
        QWheelEvent wheel(pointer, map.mapToGlobal(pointer), {}, {0, 120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&map, &wheel);
        QVERIFY(map.distance() < distance);
        qreal nowLongitude = 0.0;
        qreal nowLatitude = 0.0;
        QVERIFY(map.geoCoordinates(pointer.x(), pointer.y(), nowLongitude, nowLatitude,
                                   Marble::GeoDataCoordinates::Degree));
        QVERIFY(qAbs(nowLongitude - longitude) < 2e-5 && qAbs(nowLatitude - latitude) < 2e-5);
    }

    void aShortRouteOpensAtStreetLevel() {
        const QString path = dir_.filePath("short.kml");
        WriteFile(path,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<kml xmlns=\"http://earth.google.com/kml/2.1\"><Document><Placemark>"
                  "<LineString><coordinates>113.041320,25.773105,0 113.041440,25.773100,0"
                  "</coordinates></LineString></Placemark></Document></kml>\n");
        Main().AddLoadableFile(path);
        Main().OpenOnGlobe(path);
        QVERIFY2(ViewWidth(Main().AppGE0()) < 100.0,
                 qPrintable(QString::number(ViewWidth(Main().AppGE0()))));
    }

    void theFileListHidesShowsReloadsAndRemovesTheRoute() {
        const QString path = GradeSampleRoute();
        const QList<RouteLine> route = ReadRoute(path);
        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(2);
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), path, true);
        Marble::MarbleWidget& map = *globe_->Map();
        QTreeWidgetItem* item = Child<QTreeWidget>(Main(), "TreeView2")->topLevelItem(0);
        QCOMPARE(item->checkState(0), Qt::Checked);
        const int shown = RoutePixels(map, route);
        QVERIFY(shown > 1000);

        item->setCheckState(0, Qt::Unchecked);
        // The map may still be fetching the tiles under the route.
        QTRY_VERIFY(RoutePixels(map, route) < shown / 100);
        item->setCheckState(0, Qt::Checked);
        QCOMPARE(RoutePixels(map, route), shown);

        // Written again and opened again: one entry, one copy on the globe.
        QTest::mouseClick(Child<QPushButton>(desktop_->FrmDT(), "Button6"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(desktop_->FrmDT(), "SpeedButton6"), Qt::LeftButton);
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 1);
        QCOMPARE(Main().AppGE0().LoadedKmlFiles().size(), 1);
        QCOMPARE(RoutePixels(map, route), shown);

        Child<QTreeWidget>(Main(), "TreeView2")->setCurrentItem(item);
        Main().LoadableFiles().Remove->trigger();
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
        QVERIFY(Main().AppGE0().LoadedKmlFiles().isEmpty());
        QVERIFY(RoutePixels(map, route) < shown / 100);
    }

    // A large file is read off the interface thread: it is listed at once with its progress
    // in its entry and the status bar, and shows on the globe when read.
    void aLargeFileIsReadInTheBackgroundWithProgress() {
        const QString path = dir_.filePath("large.kml");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml><Document><Style id=\"r\">"
            "<LineStyle><color>ff0000ff</color><width>4</width></LineStyle></Style>\n");
        RouteLine line{QColor(255, 0, 0), {}};
        for (int i = 0; i < 50000; ++i) {
            const double lon = 113.0 + (i % 500) * 0.0002;
            const double lat = 25.7 + (i / 500) * 0.0002;
            file.write(QString("<Placemark><styleUrl>#r</styleUrl><LineString><coordinates>%1,%2,0 "
                               "%3,%2,0</coordinates></LineString></Placemark>\n")
                           .arg(lon, 0, 'f', 6)
                           .arg(lat, 0, 'f', 6)
                           .arg(lon + 0.0001, 0, 'f', 6)
                           .toUtf8());
            line.points << QPointF(lon, lat);
        }
        file.write("</Document></kml>\n");
        file.close();

        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(2);
        Main().OpenLoadableFile(path);
        const QList<LoadedKmlFile> reading = Main().AppGE0().LoadedKmlFiles();
        QCOMPARE(reading.size(), 1);
        QVERIFY(reading[0].loadingPercent >= 0);
        QVERIFY(Child<QWidget>(Main(), "LoadProgress")->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(Main().AppGE0().LoadedKmlFiles().value(0).loadingPercent, -1,
                                  60000);
        QVERIFY(!Child<QWidget>(Main(), "LoadProgress")->isVisible());
        QTest::qWait(300);
        QVERIFY(RoutePixels(*globe_->Map(), {line}) > 1000);
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }

    // The sample log coloured by 场强 in five grades in the drive-test window.
    QString GradeSampleRoute() {
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "DT数据->KML");
        TFrmDT& dt = desktop_->FrmDT();
        dt.move(Main().frameGeometry().right() + 8, 0);
        dialogs_.openPaths = {QStringLiteral(ORVANE_EXAMPLES "/dt-route.txt")};
        QTest::mouseClick(Child<QToolButton>(dt, "SpeedButton3"), Qt::LeftButton);
        Child<QComboBox>(dt, "CBoxFNList")
            ->setCurrentIndex(Child<QComboBox>(dt, "CBoxFNList")->findText("场强"));
        dt.findChild<QSpinBox*>("CSpinEdit1")->setValue(5);
        QTest::mouseClick(dt.findChild<QPushButton*>("Button2"), Qt::LeftButton);
        const QString path = dir_.filePath("level.kml");
        dialogs_.savePaths = {path};
        QTest::mouseClick(Child<QToolButton>(dt, "SpeedButton4"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(dt, "Button6"), Qt::LeftButton);
        [&] { QCOMPARE(dialogs_.messages, QStringList({"导出完成."})); }();
        dialogs_.messages.clear();
        return path;
    }

    ScriptedDialogs& dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<MarbleGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(FieldGlobeTest)
#include "FieldGlobeTest.moc"
