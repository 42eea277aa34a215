// The image export on the real Marble globe, run under Xvfb: the red marks of a KML file are
// found in the saved bitmap where its .TAB and its world file say their places lie.

#include <marble/MarbleWidget.h>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
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

// Two marks, north-west and south-east of the view's centre.
const Place kCentre{114.30, 30.56};
const std::array<Place, 2> kMarks = {{{114.22, 30.61}, {114.37, 30.50}}};
constexpr double kHalfMark = 0.002;  // degrees

// A small red square around each mark.
QByteArray MarksKml() {
    QByteArray kml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://earth.google.com/kml/2.1\"><Document>\n"
        "<Style id=\"RED\"><LineStyle><color>ff0000ff</color><width>1</width></LineStyle>"
        "<PolyStyle><color>ff0000ff</color></PolyStyle></Style>\n";
    for (const Place& mark : kMarks) {
        QByteArray ring;
        for (const auto& [dx, dy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}}) {
            ring += QByteArray::number(mark.longitude + dx * kHalfMark, 'f', 6) + "," +
                    QByteArray::number(mark.latitude + dy * kHalfMark, 'f', 6) + ",0 ";
        }
        kml +=
            "<Placemark><styleUrl>#RED</styleUrl><Polygon><outerBoundaryIs><LinearRing>"
            "<coordinates>" +
            ring + "</coordinates></LinearRing></outerBoundaryIs></Polygon></Placemark>\n";
    }
    return kml + "</Document></kml>\n";
}

bool IsRed(const QColor& colour) {
    return colour.red() > 200 && colour.green() < 80 && colour.blue() < 80;
}

// The centre of the red pixels in one half of the picture, in pixel positions (a pixel's
// centre lies half a pixel inside its outer corner).
std::optional<QPointF> RedCentre(const QImage& picture, bool leftHalf) {
    const int from = leftHalf ? 0 : picture.width() / 2;
    const int to = leftHalf ? picture.width() / 2 : picture.width();
    double sumX = 0.0;
    double sumY = 0.0;
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = from; x < to; ++x) {
            if (IsRed(picture.pixelColor(x, y))) {
                sumX += x + 0.5;
                sumY += y + 0.5;
                ++count;
            }
        }
    }
    if (count < 20) {
        return std::nullopt;
    }
    return QPointF(sumX / count, sumY / count);
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

// gdalinfo's "Upper Left  ( 114.1234567,  30.1234567)" style corner.
std::optional<Place> GdalCorner(const QString& report, const QString& name) {
    const QRegularExpression corner(name + R"(\s*\(\s*(-?[\d.]+),\s*(-?[\d.]+)\))");
    const QRegularExpressionMatch match = corner.match(report);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return Place{match.captured(1).toDouble(), match.captured(2).toDouble()};
}

// The pixel position (x to the right, y down, from the picture's outer top-left corner) of a
// place, by the six lines of a world file.
std::optional<QPointF> PixelByWorldFile(const QByteArray& worldFile, const Place& place) {
    const QList<QByteArray> lines = worldFile.trimmed().split('\n');
    if (lines.size() != 6) {
        return std::nullopt;
    }
    std::array<double, 6> terms{};
    for (int i = 0; i < 6; ++i) {
        terms[i] = lines[i].trimmed().toDouble();
    }
    const auto [lonPerColumn, latPerColumn, lonPerRow, latPerRow, firstLon, firstLat] = terms;
    if (latPerColumn != 0.0 || lonPerRow != 0.0) {
        return std::nullopt;  // a north-up picture has no rotation
    }
    return QPointF((place.longitude - firstLon) / lonPerColumn + 0.5,
                   (place.latitude - firstLat) / latPerRow + 0.5);
}

// A red pixel within one pixel of the position.
bool RedNear(const QImage& picture, const QPointF& position) {
    const int cx = static_cast<int>(std::floor(position.x()));
    const int cy = static_cast<int>(std::floor(position.y()));
    for (int y = cy - 1; y <= cy + 1; ++y) {
        for (int x = cx - 1; x <= cx + 1; ++x) {
            if (picture.valid(x, y) && IsRed(picture.pixelColor(x, y))) {
                return true;
            }
        }
    }
    return false;
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

    // Every pixel lands where it belongs: each mark's red square is found in the bitmap
    // within one pixel of where the .TAB's corners put the mark's longitude and latitude.
    void marksLieInTheBitmapWhereTheTableAndWorldFileSay() {
        const QString kml = dir_.filePath("marks.kml");
        WriteFile(kml, MarksKml());
        main_->OpenOnGlobe(kml);
        TApplicationGE& globe = main_->AppGE0();
        // Turned and tilted: the export brings the map north up.
        globe.SetCameraParams(kCentre.latitude, kCentre.longitude, 0.0,
                              AltitudeModeGE::RelativeToGround, 10000.0, 30.0, 25.0, 5.0);
        QTRY_VERIFY_WITH_TIMEOUT(RedCentre(globe_->Map()->grab().toImage(), true).has_value(),
                                 20000);

        const QString path = dir_.filePath("area.bmp");
        dialogs_.savePaths = {path};
        main_->N9Click();
        QCOMPARE(globe_->Map()->projection(), Marble::Equirectangular);
        QCOMPARE(globe_->Map()->heading(), 0.0);

        const QImage picture(path);
        QCOMPARE(picture.size(), main_->Panel01->size());
        const QList<Place> corners = ControlPoints(FileBytes(dir_.filePath("area.TAB")));
        QCOMPARE(corners.size(), 4);
        const Place topLeft = corners[0];
        const Place bottomRight = corners[3];
        // North up and flat: the corners form an upright rectangle.
        QCOMPARE(corners[1].longitude, topLeft.longitude);
        QCOMPARE(corners[2].latitude, topLeft.latitude);
        const double lonPerPixel = (bottomRight.longitude - topLeft.longitude) / picture.width();
        const double latPerPixel = (topLeft.latitude - bottomRight.latitude) / picture.height();
        QVERIFY(lonPerPixel > 0.0 && qAbs(lonPerPixel / latPerPixel - 1.0) < 1e-5);

        for (const bool left : {true, false}) {
            const Place& mark = kMarks[left ? 0 : 1];
            const std::optional<QPointF> red = RedCentre(picture, left);
            QVERIFY(red.has_value());
            const double longitude = topLeft.longitude + red->x() * lonPerPixel;
            const double latitude = topLeft.latitude - red->y() * latPerPixel;
            QVERIFY2(qAbs(longitude - mark.longitude) <= lonPerPixel &&
                         qAbs(latitude - mark.latitude) <= latPerPixel,
                     qPrintable(QString("mark %1,%2 found at %3,%4 (a pixel is %5 degrees)")
                                    .arg(mark.longitude)
                                    .arg(mark.latitude)
                                    .arg(longitude, 0, 'f', 7)
                                    .arg(latitude, 0, 'f', 7)
                                    .arg(lonPerPixel)));
        }

        // GDAL finds the same corners in the world file beside the bitmap (its BMP driver reads
        // no .TAB), and in the .TAB beside a GeoTIFF copy made without the world file, where
        // it also reads the datum.
        CheckGdalCorners(path, topLeft, bottomRight);
        QVERIFY(QDir(dir_.path()).mkdir("copy"));
        QVERIFY(QFile::copy(path, dir_.filePath("copy/area.bmp")));
        QCOMPARE(QProcess::execute("gdal_translate",
                                   {"-q", "-of", "GTiff", dir_.filePath("copy/area.bmp"),
                                    dir_.filePath("copy/area.tif")}),
                 0);
        QVERIFY(QFile::copy(dir_.filePath("area.TAB"), dir_.filePath("copy/area.tab")));
        QVERIFY(CheckGdalCorners(dir_.filePath("copy/area.tif"), topLeft, bottomRight)
                    .contains("World Geodetic System 1984"));
    }

    // What a new user does with the sample regions: the corners of their red outlines lie in
    // the bitmap where the world file puts the MIF file's vertices.
    void sampleRegionsLieOnTheirOutlines() {
        const QString kml = dir_.filePath("regions.kml");
        ConvertMifToKml(ORVANE_EXAMPLES "/regions.mif", kml.toStdString());
        main_->OpenOnGlobe(kml);
        // The regions fill the middle of the view, clear of the map's own controls.
        main_->AppGE0().SetCameraParams(25.7825, 113.02, 0.0, AltitudeModeGE::RelativeToGround,
                                        4000.0, 0.0, 0.0, 5.0);
        QTRY_VERIFY_WITH_TIMEOUT(RedCentre(globe_->Map()->grab().toImage(), true).has_value(),
                                 20000);

        const QString path = dir_.filePath("area.bmp");
        dialogs_.savePaths = {path};
        main_->N9Click();
        const QImage picture(path);
        const QByteArray world = FileBytes(dir_.filePath("area.bpw"));
        const std::array<Place, 6> vertices = {{{113.0012, 25.7503},
                                                {113.0220, 25.7688},
                                                {113.0400, 25.7600},
                                                {113.0500, 25.7800},
                                                {112.9800, 25.7900},
                                                {113.0100, 25.8000}}};
        for (const Place& vertex : vertices) {
            const std::optional<QPointF> pixel = PixelByWorldFile(world, vertex);
            QVERIFY(pixel.has_value());
            QVERIFY2(RedNear(picture, *pixel), qPrintable(QString("no red at %1,%2 (pixel %3,%4)")
                                                              .arg(vertex.longitude)
                                                              .arg(vertex.latitude)
                                                              .arg(pixel->x())
                                                              .arg(pixel->y())));
        }
        const QString shot = qEnvironmentVariable("ORVANE_SCREENSHOT");
        if (!shot.isEmpty()) {
            picture.save(shot);
        }
    }

  private:
    // gdalinfo's report on the raster, whose corners must be those of the .TAB.
    static QString CheckGdalCorners(const QString& raster, const Place& topLeft,
                                    const Place& bottomRight) {
        QProcess gdalinfo;
        gdalinfo.start("gdalinfo", {raster});
        if (!gdalinfo.waitForFinished(30000)) {
            QTest::qFail("gdalinfo did not finish", __FILE__, __LINE__);
            return {};
        }
        const QString report = QString::fromUtf8(gdalinfo.readAllStandardOutput());
        const std::optional<Place> upperLeft = GdalCorner(report, "Upper Left");
        const std::optional<Place> lowerRight = GdalCorner(report, "Lower Right");
        const bool same = upperLeft && lowerRight &&
                          qAbs(upperLeft->longitude - topLeft.longitude) < 1e-6 &&
                          qAbs(upperLeft->latitude - topLeft.latitude) < 1e-6 &&
                          qAbs(lowerRight->longitude - bottomRight.longitude) < 1e-6 &&
                          qAbs(lowerRight->latitude - bottomRight.latitude) < 1e-6;
        if (!same) {
            QTest::qFail(qPrintable("other corners: " + report), __FILE__, __LINE__);
        }
        return report;
    }

    ScriptedDialogs& dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<MarbleGlobe> globe_;
    std::unique_ptr<TFrmMain> main_;
};

ORVANE_GUI_TEST_MAIN(ImageExportGlobeTest)
#include "ImageExportGlobeTest.moc"
