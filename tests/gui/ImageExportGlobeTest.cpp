// The image export on the real Marble globe, run under Xvfb: the sample regions' red
// outlines are found in the saved bitmap where its .TAB puts their vertices, and GDAL reads
// the same corners from the world file and from the .TAB.

#include <marble/AbstractFloatItem.h>
#include <marble/MarbleWidget.h>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <cmath>
#include <memory>
#include <optional>

#include "app/Mainform.h"
#include "conversions/Mif2kml.h"
#include "earth/MarbleGlobe.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"

using namespace orvane;
using namespace orvane::test;

namespace {

struct Place {
    double longitude;
    double latitude;
};

// Vertices of the regions in examples/regions.mif.
const std::array<Place, 6> kVertices = {{{113.0012, 25.7503},
                                         {113.0220, 25.7688},
                                         {113.0400, 25.7600},
                                         {113.0500, 25.7800},
                                         {112.9800, 25.7900},
                                         {113.0100, 25.8000}}};

bool IsRed(const QColor& colour) {
    return colour.red() > 200 && colour.green() < 80 && colour.blue() < 80;
}

int RedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += IsRed(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// A red pixel within one pixel of the position (x right, y down from the outer corner).
bool RedNear(const QImage& picture, double px, double py) {
    const int cx = static_cast<int>(std::floor(px));
    const int cy = static_cast<int>(std::floor(py));
    for (int y = cy - 1; y <= cy + 1; ++y) {
        for (int x = cx - 1; x <= cx + 1; ++x) {
            if (picture.valid(x, y) && IsRed(picture.pixelColor(x, y))) {
                return true;
            }
        }
    }
    return false;
}

// The ground points of the .TAB's control points, Pt 1 to Pt 4.
QList<Place> ControlPoints(const QByteArray& table) {
    QList<Place> points;
    const QRegularExpression point(R"(^  \((-?\d+\.\d{8}),(-?\d+\.\d{8})\) \()");
    for (const QByteArray& line : table.split('\n')) {
        const QRegularExpressionMatch match = point.match(QString::fromLatin1(line));
        if (match.hasMatch()) {
            points << Place{match.captured(1).toDouble(), match.captured(2).toDouble()};
        }
    }
    return points;
}

// gdalinfo's report on a raster.
QString GdalInfo(const QString& raster) {
    QProcess gdalinfo;
    gdalinfo.start("gdalinfo", {raster});
    gdalinfo.waitForFinished(30000);
    return QString::fromUtf8(gdalinfo.readAllStandardOutput());
}

// A corner of the report, "Upper Left  ( 114.1234567,  30.1234567)", as far from the
// expected place as it lies; a large distance when there is none.
double CornerDistance(const QString& report, const QString& name, const Place& expected) {
    const QRegularExpression corner(name + R"(\s*\(\s*(-?[\d.]+),\s*(-?[\d.]+)\))");
    const QRegularExpressionMatch match = corner.match(report);
    if (!match.hasMatch()) {
        return 1e9;
    }
    return qMax(qAbs(match.captured(1).toDouble() - expected.longitude),
                qAbs(match.captured(2).toDouble() - expected.latitude));
}

}  // namespace

class ImageExportGlobeTest : public QObject {
    Q_OBJECT
  public:
    explicit ImageExportGlobeTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        globe_ = std::make_unique<MarbleGlobe>();
        main_ =
            std::make_unique<TFrmMain>(dialogs_, std::make_unique<TMarbleApplicationGE>(*globe_));
        main_->move(0, 0);
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }

    void cleanup() {
        main_.reset();
        globe_.reset();
    }

    // What a new user does with the sample regions: every pixel lands where it belongs.
    void sampleRegionsLieWhereTheTableAndTheWorldFileSay() {
        const QString kml = dir_.filePath("regions.kml");
        ConvertMifToKml({ORVANE_EXAMPLES "/regions.mif", kml.toStdString()});
        main_->OpenOnGlobe(kml);
        // Turned and tilted, the regions in the middle, clear of the map's own controls.
        main_->AppGE0().SetCameraParams(25.7825, 113.02, 0.0, AltitudeModeGE::RelativeToGround,
                                        4000.0, 30.0, 25.0, 5.0);
        QTRY_VERIFY_WITH_TIMEOUT(RedPixels(globe_->Map()->grab().toImage()) > 200, 20000);

        const QString path = dir_.filePath("area.bmp");
        dialogs_.savePaths = {path};
        main_->N9Click();
        QCOMPARE(globe_->Map()->projection(), Marble::Equirectangular);
        QCOMPARE(globe_->Map()->heading(), 0.0);

        const QImage picture(path);
        QCOMPARE(picture.size(), Child<QWidget>(main_, "Panel01")->size());
        const QList<Place> corners = ControlPoints(FileBytes(dir_.filePath("area.TAB")));
        QCOMPARE(corners.size(), 4);
        const Place topLeft = corners[0];
        const Place bottomRight = corners[3];
        // North up and flat: the corners form an upright rectangle of square pixels.
        QCOMPARE(corners[1].longitude, topLeft.longitude);
        QCOMPARE(corners[2].latitude, topLeft.latitude);
        const double lonPerPixel = (bottomRight.longitude - topLeft.longitude) / picture.width();
        const double latPerPixel = (topLeft.latitude - bottomRight.latitude) / picture.height();
        QVERIFY(lonPerPixel > 0.0 && qAbs(lonPerPixel / latPerPixel - 1.0) < 1e-5);
        for (const Place& vertex : kVertices) {
            const double x = (vertex.longitude - topLeft.longitude) / lonPerPixel;
            const double y = (topLeft.latitude - vertex.latitude) / latPerPixel;
            QVERIFY2(RedNear(picture, x, y), qPrintable(QString("no red at %1,%2 (pixel %3,%4)")
                                                            .arg(vertex.longitude)
                                                            .arg(vertex.latitude)
                                                            .arg(x)
                                                            .arg(y)));
        }

        // GDAL finds the same corners in the world file beside the bitmap (its BMP driver reads
        // no .TAB), and in the .TAB beside a GeoTIFF copy made without the world file, where
        // it also reads the datum.
        const QString fromWorldFile = GdalInfo(path);
        QVERIFY2(CornerDistance(fromWorldFile, "Upper Left", topLeft) < 1e-6 &&
                     CornerDistance(fromWorldFile, "Lower Right", bottomRight) < 1e-6,
                 qPrintable(fromWorldFile));
        QVERIFY(QDir(dir_.path()).mkdir("copy"));
        QVERIFY(QFile::copy(path, dir_.filePath("copy/area.bmp")));
        QCOMPARE(QProcess::execute("gdal_translate",
                                   {"-q", "-of", "GTiff", dir_.filePath("copy/area.bmp"),
                                    dir_.filePath("copy/area.tif")}),
                 0);
        QVERIFY(QFile::copy(dir_.filePath("area.TAB"), dir_.filePath("copy/area.tab")));
        const QString fromTable = GdalInfo(dir_.filePath("copy/area.tif"));
        QVERIFY2(CornerDistance(fromTable, "Upper Left", topLeft) < 1e-6 &&
                     CornerDistance(fromTable, "Lower Right", bottomRight) < 1e-6 &&
                     fromTable.contains("World Geodetic System 1984"),
                 qPrintable(fromTable));
    }

    // The picture holds the data, not the map's controls: where the compass was, it shows the
    // map; the compass is back on the map afterwards.
    void floatItemsStayOffThePicture() {
        main_->EmbedGoogleEarth();
        Marble::MarbleWidget& map = *globe_->Map();
        Marble::AbstractFloatItem* compass = map.floatItem("compass");
        QVERIFY(compass != nullptr && compass->visible());
        QTRY_VERIFY_WITH_TIMEOUT(
            map.grab().toImage().pixelColor(map.width() / 2, map.height() / 2) != QColor(Qt::black),
            20000);
        const QString path = dir_.filePath("clean.bmp");
        dialogs_.savePaths = {path};
        main_->N9Click();
        QVERIFY(compass->visible());
        // A negative position counts from the right or the bottom edge.
        const QPointF position = compass->position();
        const QRect where =
            QRectF(QPointF(position.x() < 0 ? map.width() + position.x() - compass->size().width()
                                            : position.x(),
                           position.y() < 0 ? map.height() + position.y() - compass->size().height()
                                            : position.y()),
                   compass->size())
                .toRect();
        const QImage withCompass = map.grab().toImage().copy(where);
        compass->setVisible(false);
        const QImage mapAlone = map.grab().toImage().copy(where);
        compass->setVisible(true);
        const QImage picture = QImage(path).copy(where);
        const auto differing = [](const QImage& a, const QImage& b) {
            int count = 0;
            for (int y = 0; y < a.height(); ++y) {
                for (int x = 0; x < a.width(); ++x) {
                    count += a.pixelColor(x, y) != b.pixelColor(x, y) ? 1 : 0;
                }
            }
            return count;
        };
        QVERIFY(differing(withCompass, mapAlone) > where.width() * where.height() / 10);
        QVERIFY(differing(picture, mapAlone) <= where.width() * where.height() / 50);
    }

  private:
    ScriptedDialogs& dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<MarbleGlobe> globe_;
    std::unique_ptr<TFrmMain> main_;
};

ORVANE_GUI_TEST_MAIN(ImageExportGlobeTest)
#include "ImageExportGlobeTest.moc"
