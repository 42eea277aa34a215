// The globe's tools without a map window, offscreen: a site's icon and label open its
// balloon, the system's icons are drawn without a network, names are found in a loaded file
// and the ruler snaps to drawn vertices.

#include <marble/GeoDataDocument.h>
#include <marble/GeoPainter.h>
#include <marble/ParsingRunnerManager.h>
#include <marble/PluginManager.h>
#include <marble/ViewportParams.h>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <memory>

#include "earth/FeaturePainter.h"
#include "earth/KmlFileLayer.h"
#include "earth/PlacemarkSearch.h"
#include "kml/KmlIcons.h"
#include "tests/gui/GuiTestMain.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// The site 韶关曲江 of the base-station table: three sectors, the wedges starting at its icon.
constexpr double kSiteLon = 113.6042;
constexpr double kSiteLat = 24.6811;

std::shared_ptr<const KmlFeatures> ReadBaseStations() {
    Marble::PluginManager plugins;
    Marble::ParsingRunnerManager parser(&plugins);
    std::unique_ptr<Marble::GeoDataDocument> document(
        parser.openFile(QStringLiteral(ORVANE_TEST_DATA "/bs/bs-table.kml")));
    return document ? std::make_shared<KmlFeatures>(KmlFeatures::FromDocument(*document)) : nullptr;
}

Marble::ViewportParams SiteView() {
    // About 2 km across 600 pixels, centred on the site.
    return Marble::ViewportParams(Marble::Spherical, qDegreesToRadians(kSiteLon),
                                  qDegreesToRadians(kSiteLat), 1900000, QSize(600, 400));
}

}  // namespace

class GlobeToolsTest : public QObject {
    Q_OBJECT
  public:
    explicit GlobeToolsTest(ScriptedDialogs&) {}

  private slots:
    void aSitesIconAndLabelOpenItsBalloonAndTheRulerSnapsToIt() {
        const std::shared_ptr<const KmlFeatures> features = ReadBaseStations();
        QVERIFY(features);
        KmlFileLayer layer;
        layer.Put("bs-table.kml", features);
        Marble::ViewportParams viewport = SiteView();
        QImage image(viewport.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        FeaturePainter drawing(painter, viewport);
        drawing.Paint(*features);
        drawing.PaintLabels();
        const QPointF centre(300, 200);

        // The icon is the program's own site icon, not a blank square.
        QImage own;
        const std::string png = KmlIconPng(KmlIcon::Site);
        own.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()));
        const FeatureStyle& siteStyle = features->Styles()[features->Full().features.front().style];
        QCOMPARE(siteStyle.iconImage.size(), own.size());
        bool mast = false;
        for (int y = -4; y < 4; ++y) {
            for (int x = -4; x < 4; ++x) {
                const QColor pixel = image.pixelColor(centre.toPoint() + QPoint(x, y));
                mast = mast || (pixel.red() > 150 && pixel.green() < 100);
            }
        }
        QVERIFY(mast);

        // One label a site, its first sector's name; it and the icon open the whole table.
        const auto label = std::find_if(drawing.Labels().begin(), drawing.Labels().end(),
                                        [&](const DrawnLabel& l) { return l.box.left() > 300; });
        QVERIFY(label != drawing.Labels().end());
        QCOMPARE(LabelText(features->Placemarks()[label->placemark].name), QString("韶关曲江"));
        QImage mapImage(viewport.size(), QImage::Format_ARGB32_Premultiplied);
        Marble::GeoPainter mapPainter(&mapImage, &viewport, Marble::NormalQuality);
        layer.render(&mapPainter, &viewport, {}, nullptr);
        for (const QPointF& at : {centre + QPointF(2, 1), label->box.center()}) {
            const std::optional<PlacemarkTexts> site = layer.PlacemarkAt(viewport, at);
            QVERIFY(site);
            QVERIFY(site->name.startsWith("韶关曲江\t"));
            QCOMPARE(site->description.count("<TD>韶关曲江</TD>"), 3);
        }

        const std::optional<GeoPoint> snapped =
            VertexNear(*features, viewport, centre + QPointF(3, -2), 6.0);
        QVERIFY(snapped);
        QCOMPARE(qRadiansToDegrees(snapped->lon), kSiteLon);
        QVERIFY(!VertexNear(*features, viewport, QPointF(20, 20), 6.0));
    }

    void namesAreFoundInALoadedFile() {
        const std::shared_ptr<const KmlFeatures> features = ReadBaseStations();
        QVERIFY(features);
        const std::vector<FoundPlacemark> found = FindPlacemarks(*features, " 曲江 ", 10);
        QCOMPARE(found.size(), size_t{1});
        QVERIFY(features->Placemarks()[found[0].placemark].name.startsWith("韶关曲江"));
        QCOMPARE(qRadiansToDegrees(found[0].box.west), kSiteLon);
        QCOMPARE(FindPlacemarks(*features, "韶关", 10).size(), size_t{3});
        QCOMPARE(FindPlacemarks(*features, "韶关", 2).size(), size_t{2});
        QVERIFY(FindPlacemarks(*features, "", 10).empty());
        const std::vector<FoundFolder> folders = FindFolders(*features, "曲江", 10);
        QCOMPARE(folders.size(), size_t{1});
        const GeoBox& box = folders[0].box;
        QVERIFY(box.west <= qDegreesToRadians(kSiteLon) && qDegreesToRadians(kSiteLon) <= box.east);
    }
};

ORVANE_GUI_TEST_MAIN(GlobeToolsTest)
#include "GlobeToolsTest.moc"
