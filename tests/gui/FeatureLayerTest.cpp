// The loaded files' layer without a map window, offscreen: what it takes from a document,
// what it draws of tiny features at a distance, its simplified copies for distant views and
// its clipping at the view's edge.

#include <marble/GeoDataDocument.h>
#include <marble/GeoDataGroundOverlay.h>
#include <marble/GeoDataLineString.h>
#include <marble/GeoDataLineStyle.h>
#include <marble/GeoDataPlacemark.h>
#include <marble/GeoDataPoint.h>
#include <marble/GeoDataStyle.h>
#include <marble/MarbleModel.h>
#include <marble/ParsingRunnerManager.h>
#include <marble/ViewportParams.h>
#include <zip.h>
#include <QDirIterator>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include "earth/FeaturePainter.h"
#include "earth/KmlFeatures.h"
#include "earth/KmlStreamReader.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"

using namespace orvane;
using namespace orvane::test;
using Marble::GeoDataCoordinates;

namespace {

constexpr double kLon = 113.04;
constexpr double kLat = 25.77;
// About ten metres, in degrees.
constexpr double kTenMetres = 0.0001;

Marble::GeoDataPlacemark* Line(const QString& name, const QColor& colour, double lon, double lat) {
    auto* placemark = new Marble::GeoDataPlacemark(name);
    auto* line = new Marble::GeoDataLineString;
    line->append(GeoDataCoordinates(lon, lat, 0, GeoDataCoordinates::Degree));
    line->append(GeoDataCoordinates(lon + kTenMetres, lat, 0, GeoDataCoordinates::Degree));
    placemark->setGeometry(line);
    auto style = QSharedPointer<Marble::GeoDataStyle>::create();
    Marble::GeoDataLineStyle lineStyle(colour);
    lineStyle.setWidth(4.0f);
    style->setLineStyle(lineStyle);
    placemark->setStyle(style);
    return placemark;
}

int PixelsOf(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == colour;
        }
    }
    return count;
}

QImage Draw(const KmlFeatures& features, double kmAcross, const FeatureFilter& filter = {}) {
    const int width = 400;
    const int radius = static_cast<int>(width * 6371.0 / kmAcross);
    const Marble::ViewportParams viewport(Marble::Spherical, qDegreesToRadians(kLon),
                                          qDegreesToRadians(kLat), radius, QSize(width, 300));
    QImage image(viewport.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    FeaturePainter features_(painter, viewport);
    features_.Paint(features, filter);
    features_.PaintLabels();
    return image;
}

QString KmzOf(const QString& kmlPath, const QString& kmzPath) {
    QFile kml(kmlPath);
    kml.open(QIODevice::ReadOnly);
    const QByteArray bytes = kml.readAll();
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(kmzPath).constData(), ZIP_CREATE, &error);
    zip_source_t* source = zip_source_buffer(archive, bytes.constData(), bytes.size(), 0);
    zip_file_add(archive, "doc.kml", source, ZIP_FL_ENC_UTF_8);
    zip_close(archive);
    return kmzPath;
}

// A merged route larger than the reader's chunks, as the drive-test conversion writes it,
// a point whose description holds coordinates as text, then a line of its own, longer than
// a chunk; `shift` moves where the chunks end.
QByteArray MergedRoute(int shift) {
    QByteArray kml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml "
        "xmlns=\"http://www.opengis.net/kml/2.2\"><Document><!--" +
        QByteArray(shift, ' ') +
        "-->\n<Style id=\"a\"><LineStyle><color>ff0000ff</color></LineStyle>"
        "</Style>\n<Placemark><styleUrl>#a</styleUrl><MultiGeometry>\n";
    const auto coordinates = [](int i) {
        return QByteArray::number(113.0 + i * 1e-5, 'f', 6) + ',' +
               QByteArray::number(25.0 - i * 1e-5, 'f', 6) + ",0 ";
    };
    for (int i = 0; i < 8000; ++i) {
        // Now and then a line string that holds more than coordinates.
        kml += i % 1000 == 999 ? "<LineString><tessellate>1</tessellate>\n<coordinates>"
                               : "  <LineString>\n    <coordinates>\n      ";
        kml += coordinates(i) + coordinates(i + 1) + "\n    </coordinates>\n  </LineString>\n";
    }
    // Coordinates inside a description's CDATA section or a comment are text and stay so.
    kml +=
        "</MultiGeometry></Placemark>\n<!-- <coordinates>9,9</coordinates> -->"
        "<Placemark><description><![CDATA[<b>x</b><coordinates>1,2</coordinates>]]>"
        "</description><Point><coordinates>113,25</coordinates></Point></Placemark>\n";
    // The long line's text is mostly white space, which the map reads quickly.
    return kml + "<Placemark><LineString><coordinates>" + coordinates(0) +
           QByteArray(1100000, ' ') + coordinates(1) +
           "</coordinates></LineString></Placemark></Document></kml>\n";
}

bool SameLevels(const FeatureLevel& read, const FeatureLevel& expected) {
    const auto sameFeature = [](const Feature& a, const Feature& b) {
        return a.kind == b.kind && a.style == b.style && a.partCount == b.partCount &&
               a.folder == b.folder;
    };
    const auto samePoint = [](const GeoPoint& a, const GeoPoint& b) {
        return std::abs(a.lon - b.lon) < 1e-12 && std::abs(a.lat - b.lat) < 1e-12;
    };
    return std::equal(read.features.begin(), read.features.end(), expected.features.begin(),
                      expected.features.end(), sameFeature) &&
           std::equal(read.points.begin(), read.points.end(), expected.points.begin(),
                      expected.points.end(), samePoint) &&
           read.parts.size() == expected.parts.size();
}

}  // namespace

class FeatureLayerTest : public QObject {
    Q_OBJECT
  public:
    explicit FeatureLayerTest(ScriptedDialogs&) {}

  private slots:
    // The program's own reader takes from every file the program writes, and from a KMZ
    // archive, what the map's reader gives: features, styles with their icon pictures, texts,
    // folders, coordinates, and what is left to the map (the legend's screen overlay).
    void theStreamingReaderReadsWhatTheMapReads() {
        // globe/varied.kml: shared styles through a style map, an inline style, a
        // multi-geometry, a polygon with a hole, a hidden placemark, nested folders; merged
        // routes cut by the reader's chunks at every place of a line string.
        QTemporaryDir dir;
        QStringList paths = {
            KmzOf(ORVANE_TEST_DATA "/bs/bs-table-standard.kml", dir.filePath("bs.kmz"))};
        for (const int shift : {0, 19, 38, 57, 76, 95, 114, 133}) {
            paths << dir.filePath(QStringLiteral("merged-%1.kml").arg(shift));
            WriteFile(paths.back(), MergedRoute(shift));
        }
        for (QDirIterator kml(ORVANE_TEST_DATA, {"*.kml"}, QDir::Files,
                              QDirIterator::Subdirectories);
             kml.hasNext();) {
            paths << kml.next();
        }
        Marble::MarbleModel model;
        for (const QString& path : paths) {
            Marble::ParsingRunnerManager parser(model.pluginManager());
            std::unique_ptr<Marble::GeoDataDocument> document(parser.openFile(path));
            QVERIFY2(document, qPrintable(path));
            const KmlFeatures expected = KmlFeatures::FromDocument(*document);
            const std::optional<KmlFeatures> read = ReadKmlFeatures(path);
            QVERIFY2(read && read->LeftOthers() == expected.LeftOthers(), qPrintable(path));
            QVERIFY2(SameLevels(read->Full(), expected.Full()), qPrintable(path));
            QVERIFY2(read->Styles() == expected.Styles(), qPrintable(path));
            QCOMPARE(read->Placemarks().size(), expected.Placemarks().size());
            for (size_t i = 0; i < read->Placemarks().size(); ++i) {
                QCOMPARE(read->Placemarks()[i].name, expected.Placemarks()[i].name);
                QCOMPARE(read->Placemarks()[i].description, expected.Placemarks()[i].description);
            }
            QCOMPARE(read->Folders().size(), expected.Folders().size());
            for (size_t i = 0; i < read->Folders().size(); ++i) {
                QCOMPARE(read->Folders()[i].name, expected.Folders()[i].name);
                QCOMPARE(read->Folders()[i].parent, expected.Folders()[i].parent);
            }
        }
        QCOMPARE(paths.size() > 30, true);
    }

    // The placemarks of a timed file are drawn only while their time meets the window; those
    // without a time always are. Times with Z, an offset or no zone read as UTC.
    void aTimeWindowDrawsOnlyThePlacemarksOfItsTime() {
        const std::optional<KmlFeatures> features =
            ReadKmlFeatures(ORVANE_TEST_DATA "/globe/timed.kml");
        QVERIFY(features);
        const std::int64_t start = *ParseKmlTime("2026-12-09T08:30:00Z");
        QCOMPARE(features->TimeExtent(), (TimeRange{start, start + 20 * 60000 + 500}));
        QCOMPARE(features->Times()[1].begin, start + 10 * 60000);
        const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), white(255, 255, 255);
        const auto drawn = [&](std::int64_t from, std::int64_t to) {
            FeatureFilter filter;
            filter.times = &features->Times();
            filter.window = {start + from * 60000, start + to * 60000};
            const QImage image = Draw(*features, 1.0, filter);
            QList<bool> shown;
            for (const QColor& colour : {red, green, blue, white}) {
                shown << (PixelsOf(image, colour) > 0);
            }
            return shown;
        };
        QCOMPARE(drawn(0, 5), QList<bool>({true, false, false, true}));
        QCOMPARE(drawn(11, 12), QList<bool>({false, true, false, true}));
        QCOMPARE(drawn(15, 25), QList<bool>({false, false, true, true}));
        QCOMPARE(drawn(0, 25), QList<bool>({true, true, true, true}));
    }

    // A ten-metre line seen from hundreds of kilometres is still a dot of its colour and
    // width; a hidden placemark is not drawn at all.
    void tinyFeaturesAreDrawnAtEveryDistance() {
        Marble::GeoDataDocument document;
        document.append(Line("red", Qt::red, kLon, kLat));
        Marble::GeoDataPlacemark* hidden = Line("hidden", Qt::green, kLon, kLat + 0.01);
        hidden->setVisible(false);
        document.append(hidden);
        const KmlFeatures features = KmlFeatures::FromDocument(document);
        QCOMPARE(features.Full().features.size(), size_t{1});
        QVERIFY(!features.LeftOthers());
        for (const double km : {0.1, 5.0, 500.0}) {
            const QImage image = Draw(features, km);
            QVERIFY2(PixelsOf(image, Qt::red) >= 16, qPrintable(QString::number(km)));
            QCOMPARE(PixelsOf(image, Qt::green), 0);
        }
    }

    // A legend beside the file is drawn by the layer where the overlay puts it, so that the
    // map never reads a large file for it; one on the web is left to the map.
    void screenOverlaysOnThisComputerAreTheLayers() {
        QTemporaryDir dir;
        QImage legend(40, 20, QImage::Format_ARGB32);
        legend.fill(Qt::blue);
        QVERIFY(legend.save(dir.filePath("legend.png")));
        const auto overlay = [&dir](const QString& href) {
            WriteFile(dir.filePath("o.kml"),
                      "<kml><Document><ScreenOverlay><Icon><href>" + href.toUtf8() +
                          "</href></Icon><overlayXY x=\"0\" y=\"20\" xunits=\"fraction\" "
                          "yunits=\"pixels\"/><screenXY x=\"0.5\" y=\"10\" "
                          "xunits=\"fraction\" yunits=\"pixels\"/></ScreenOverlay>"
                          "</Document></kml>");
            return ReadKmlFeatures(dir.filePath("o.kml"));
        };
        const std::optional<KmlFeatures> beside = overlay("legend.png");
        QVERIFY(beside && !beside->LeftOthers() && beside->ScreenPictures().size() == 1);
        const ScreenPicture& picture = beside->ScreenPictures().front();
        QCOMPARE(picture.image.size(), QSize(40, 20));
        QCOMPARE(picture.anchor, QPointF(0, 1));  // its upper left corner
        QCOMPARE(picture.place, QPointF(0.5, 10));
        QVERIFY(!picture.placeInPixels[0] && picture.placeInPixels[1]);
        const std::optional<KmlFeatures> web = overlay("http://example.com/legend.png");
        QVERIFY(web && web->LeftOthers() && web->ScreenPictures().empty());
    }

    // What the layer cannot draw stays for the map, and the placemarks it draws are hidden
    // from the map's own drawing.
    void otherContentIsLeftToTheMap() {
        Marble::GeoDataDocument document;
        Marble::GeoDataPlacemark* line = Line("line", Qt::red, kLon, kLat);
        document.append(line);
        document.append(new Marble::GeoDataGroundOverlay);
        const KmlFeatures features = KmlFeatures::FromDocument(document);
        QVERIFY(features.LeftOthers());
        QCOMPARE(features.Full().features.size(), size_t{1});
        QVERIFY(!line->isVisible());
    }

    // A long route keeps simplified copies: far fewer features far away, the full route
    // close by, and every colour of a crowded stretch still drawn from afar.
    void distantViewsDrawASimplifiedRoute() {
        Marble::GeoDataDocument document;
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
        for (int i = 0; i < 30000; ++i) {
            document.append(Line(QString::number(i), colours[(i / 100) % 3],
                                 kLon + (i % 3000) * kTenMetres, kLat + (i / 3000) * 0.01));
        }
        const KmlFeatures features = KmlFeatures::FromDocument(document);
        QCOMPARE(features.Full().features.size(), size_t{30000});
        QVERIFY(!features.Levels().empty());
        const double kmPerPixel = 1.0;
        const FeatureLevel& far = features.LevelFor(kmPerPixel / 6371.0);
        QVERIFY(far.features.size() < 3000);
        QCOMPARE(&features.LevelFor(0.001 / 6371.0), &features.Full());
        const QImage image = Draw(features, 400.0 * kmPerPixel);
        for (const QColor& colour : colours) {
            QVERIFY(PixelsOf(image, colour) > 0);
        }
    }

    void linesAndRingsAreCutAtTheViewsEdge() {
        const QRectF view(0, 0, 100, 100);
        QPointF a(-50, 50);
        QPointF b(150, 50);
        QVERIFY(ClipSegment(a, b, view));
        QCOMPARE(a, QPointF(0, 50));
        QCOMPARE(b, QPointF(100, 50));
        QPointF c(-50, -10);
        QPointF d(150, -10);
        QVERIFY(!ClipSegment(c, d, view));

        // In, out and in again: two pieces.
        const QPolygonF line(QVector<QPointF>{{10, 10}, {10, 200}, {50, 200}, {50, 10}});
        const std::vector<QPolygonF> pieces = ClipPolyline(line, view);
        QCOMPARE(pieces.size(), size_t{2});
        QCOMPARE(pieces[0], QPolygonF(QVector<QPointF>{{10, 10}, {10, 100}}));
        QCOMPARE(pieces[1], QPolygonF(QVector<QPointF>{{50, 100}, {50, 10}}));

        const QPolygonF ring(QVector<QPointF>{{-100, -100}, {200, -100}, {200, 200}, {-100, 200}});
        QCOMPARE(ClipRing(ring, view).boundingRect(), view);
    }
};

ORVANE_GUI_TEST_MAIN(FeatureLayerTest)
#include "FeatureLayerTest.moc"
