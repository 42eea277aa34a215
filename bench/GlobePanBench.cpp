// Opening a KML file on the real globe (read in the background, until it shows), beside the
// map's own reader as the globe used it before; then frame times while the user pans, with the
// file shown and hidden: at the view that opening the file chooses, and at street level (a
// view 100 m wide) on the file's first feature. Needs an X server.
//
// Run: xvfb-run -a -s "-screen 0 1600x900x24" build/bench/orvane_globe_pan_bench FILE.kml
//      [FRAMES]   (as root also QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu")
// or   ... orvane_globe_pan_bench FILE.kml OTHER.kml [ROUNDS]
//      opens the two files in turn on one globe, each until its first frame is drawn, and
//      prints the best time of each over the rounds and how many times faster the second opens.
// or   QT_QPA_PLATFORM=offscreen build/bench/orvane_globe_pan_bench FILE.kml read
//      times the program's reader alone, in processor time (fair on a busy machine).

#include <marble/GeoDataDocument.h>
#include <marble/GeoPainter.h>
#include <marble/MarbleModel.h>
#include <marble/MarbleWidget.h>
#include <marble/ParsingRunnerManager.h>
#include <marble/ViewportParams.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <vector>

#include "earth/KmlFeatures.h"
#include "earth/KmlFileLayer.h"
#include "earth/KmlStreamReader.h"
#include "earth/MarbleGlobe.h"

namespace {

constexpr int kPanPixels = 20;
constexpr double kStreetWidthMetres = 100.0;

struct FrameTimes {
    double median;
    double slowest;
};

// Moves the view by a few pixels per frame, as a drag does, and times each full repaint.
FrameTimes Pan(Marble::MarbleWidget& map, int frames) {
    // The first frames of a new view wait for the map's tiles.
    for (int i = 0; i < 3; ++i) {
        map.repaint();
        QTest::qWait(50);
    }
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const int direction = (i / 10) % 2 == 0 ? 1 : -1;
        qreal lon = 0.0;
        qreal lat = 0.0;
        map.geoCoordinates(map.width() / 2 + direction * kPanPixels, map.height() / 2, lon, lat);
        map.centerOn(lon, lat, false);
        QElapsedTimer timer;
        timer.start();
        map.repaint();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

// The ground distance across the middle of the view.
double ViewWidthKm(const Marble::MarbleWidget& map) {
    qreal west = 0.0;
    qreal east = 0.0;
    qreal lat = 0.0;
    map.geoCoordinates(0, map.height() / 2, west, lat);
    map.geoCoordinates(map.width() - 1, map.height() / 2, east, lat);
    return (east - west) * M_PI / 180.0 * std::cos(lat * M_PI / 180.0) * 6371.0;
}

// The loaded files' own layer alone, drawn on an image of the map's size: its share of a frame.
double LayerTime(orvane::MarbleGlobe& globe, const QString& path, int frames) {
    orvane::KmlFileLayer layer;
    layer.Put(path, globe.Files().Layer().Find(path)->features);
    Marble::ViewportParams* viewport = globe.Map()->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        Marble::GeoPainter painter(&image, viewport, Marble::NormalQuality);
        painter.setRenderHint(QPainter::Antialiasing, true);
        QElapsedTimer timer;
        timer.start();
        layer.render(&painter, viewport, QString(), nullptr);
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Report(const char* view, orvane::MarbleGlobe& globe, orvane::TApplicationGE& ge,
            const QString& path, int frames) {
    Marble::MarbleWidget& map = *globe.Map();
    const FrameTimes shown = Pan(map, frames);
    ge.SetKmlFileVisible(path, false);
    const FrameTimes hidden = Pan(map, frames);
    ge.SetKmlFileVisible(path, true);
    std::printf(
        "%-14s view %7.3f km wide: frame %6.1f ms (slowest %6.1f) with the file, %6.1f ms "
        "(slowest %6.1f) without; the file's layer alone %5.1f ms\n",
        view, ViewWidthKm(map), shown.median, shown.slowest, hidden.median, hidden.slowest,
        LayerTime(globe, path, frames));
}

double ProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

int TimeReader(const QString& path) {
    QElapsedTimer wall;
    wall.start();
    const double start = ProcessorSeconds();
    const std::optional<orvane::KmlFeatures> features = orvane::ReadKmlFeatures(path);
    std::printf(
        "the program's reader: %.2f s processor time, %.2f s wall; %zu features, %zu "
        "points, %zu simplified levels\n",
        ProcessorSeconds() - start, static_cast<double>(wall.elapsed()) / 1000.0,
        features->Full().features.size(), features->Full().points.size(),
        features->Levels().size());
    wall.restart();
    const double before = ProcessorSeconds();
    Marble::MarbleModel model;
    Marble::ParsingRunnerManager parser(model.pluginManager());
    std::unique_ptr<Marble::GeoDataDocument> document(parser.openFile(path));
    const orvane::KmlFeatures old = orvane::KmlFeatures::FromDocument(*document);
    std::printf(
        "the map's own reader and its document: %.2f s processor time of this thread "
        "(the map parses on another), %.2f s wall\n",
        ProcessorSeconds() - before, static_cast<double>(wall.elapsed()) / 1000.0);
    return 0;
}

struct Opening {
    double loaded;  // seconds from the request until the layer has the file
    double shown;   // until the first frame with the file is drawn
    int progressReports;
};

Opening Open(orvane::MarbleGlobe& globe, orvane::TApplicationGE& ge, const QString& path) {
    QElapsedTimer load;
    load.start();
    ge.OpenKmlFile(path, 1);
    Opening opening{0.0, 0.0, 0};
    while (globe.Files().IsLoading(path)) {
        QTest::qWait(10);
        ++opening.progressReports;
    }
    opening.loaded = static_cast<double>(load.nsecsElapsed()) / 1e9;
    globe.Map()->repaint();
    opening.shown = static_cast<double>(load.nsecsElapsed()) / 1e9;
    return opening;
}

bool IsKmlPath(std::string_view text) {
    return text.ends_with(".kml") || text.ends_with(".kmz") || text.ends_with(".KML") ||
           text.ends_with(".KMZ");
}

int CompareOpening(orvane::MarbleGlobe& globe, orvane::TApplicationGE& ge,
                   const std::array<QString, 2>& paths, int rounds) {
    std::array<double, 2> best = {1e9, 1e9};
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < paths.size(); ++i) {
            const Opening opening = Open(globe, ge, paths[i]);
            best[i] = std::min(best[i], opening.shown);
            std::printf("round %d: opening %s: %.2f s, shown after %.2f s\n", round + 1,
                        qPrintable(QFileInfo(paths[i]).fileName()), opening.loaded, opening.shown);
            ge.RemoveKmlFile(paths[i]);
            QTest::qWait(300);
        }
    }
    std::printf(
        "shown after, best of %d: %s %.2f s, %s %.2f s; the second opens %.2f times faster\n",
        rounds, qPrintable(QFileInfo(paths[0]).fileName()), best[0],
        qPrintable(QFileInfo(paths[1]).fileName()), best[1], best[0] / best[1]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.kml [FRAMES]\n", argv[0]);
        return 2;
    }
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    if (argc > 2 && std::string_view(argv[2]) == "read") {
        return TimeReader(path);
    }
    const bool compare = argc > 2 && IsKmlPath(argv[2]);
    const int frames = argc > 2 && !compare ? std::max(10, std::atoi(argv[2])) : 60;

    orvane::MarbleGlobe globe;
    orvane::TMarbleApplicationGE ge(globe);
    ge.Connect();
    QWidget* window = ge.GetMainHwnd();
    window->resize(1000, 700);
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "the globe window did not show\n");
        return 1;
    }
    if (compare) {
        const QString other = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
        return CompareOpening(globe, ge, {path, other},
                              argc > 3 ? std::max(1, std::atoi(argv[3])) : 3);
    }
    const Opening opening = Open(globe, ge, path);
    std::printf(
        "opening %s: %.2f s (the interface answered %d times meanwhile), shown after "
        "%.2f s\n",
        argv[1], opening.loaded, opening.progressReports, opening.shown);
    {
        QElapsedTimer before;
        before.start();
        Marble::ParsingRunnerManager parser(globe.Map()->model()->pluginManager());
        std::unique_ptr<Marble::GeoDataDocument> document(parser.openFile(path));
        const orvane::KmlFeatures features = orvane::KmlFeatures::FromDocument(*document);
        std::printf("the map's own reader and its document: %.2f s\n",
                    static_cast<double>(before.elapsed()) / 1000.0);
    }
    QTest::qWait(500);

    Report("opened view", globe, ge, path, frames);

    // Street level on the first feature of the file.
    const orvane::KmlFeatures* features = globe.Files().Layer().Find(path)->features.get();
    const orvane::GeoPoint first = features->Full().points.front();
    Marble::MarbleWidget& map = *globe.Map();
    map.centerOn(first.lon * 180.0 / M_PI, first.lat * 180.0 / M_PI, false);
    // The view spans width / radius radians of the globe.
    map.setRadius(static_cast<int>(map.width() * 6371000.0 / kStreetWidthMetres));
    Report("street level", globe, ge, path, frames);
    return 0;
}
