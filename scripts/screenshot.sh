#!/usr/bin/env bash
# Makes the pictures in docs/ under Xvfb. The globe tests walk a new user's steps and take the
# screen when the map shows the result:
#   docs/screenshot.png  points window, polygon file, double-click in "可加载文件";
#   docs/dt-window.png   drive-test window with the sample log coloured by 场强 in five grades,
#                        opened on the globe from the window's view button;
#   docs/bs-window.png   base-station window with the sample table, wedges of each sector's
#                        beamwidth and 2500 m, opened on the globe from the view button;
#   docs/cqt-window.png  CQT window with the sample table graded by RxLev, opened on the
#                        embedded globe from the window's view button;
#   docs/playback.png    a playback of the sample log running, the view zoomed out meanwhile;
#   docs/serving-cells.png  drive-test window with "服务小区分析" on the sample table, the
#                        report "小区统计" below, the globe flown to the crossed-feeder cell.
# Needs a configured build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j "$(nproc)" --target GlobeTest FieldGlobeTest PlaybackGlobeTest
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"
ORVANE_SCREENSHOT="$PWD/docs/screenshot.png" \
    xvfb-run -a -s "-screen 0 1480x690x24" ./build/tests/GlobeTest \
    polygonFromThePointsWindowShowsOnTheGlobe
ORVANE_SCREENSHOT="$PWD/docs/dt-window.png" \
    xvfb-run -a -s "-screen 0 1720x670x24" ./build/tests/FieldGlobeTest \
    gradedSampleRouteShowsWholeInItsColours
ORVANE_SCREENSHOT="$PWD/docs/serving-cells.png" \
    xvfb-run -a -s "-screen 0 1760x1130x24" ./build/tests/FieldGlobeTest \
    servingCellsOfTheSampleRouteShowOnTheGlobe
ORVANE_SCREENSHOT="$PWD/docs/bs-window.png" \
    xvfb-run -a -s "-screen 0 1460x690x24" ./build/tests/GlobeTest \
    baseStationSitesFromTheBsWindowShowOnTheGlobe
ORVANE_SCREENSHOT="$PWD/docs/cqt-window.png" \
    xvfb-run -a -s "-screen 0 1760x700x24" ./build/tests/GlobeTest \
    cqtPointsFromTheCqtWindowShowOnTheEmbeddedGlobe
ORVANE_SCREENSHOT="$PWD/docs/playback.png" \
    xvfb-run -a -s "-screen 0 987x668x24" ./build/tests/PlaybackGlobeTest \
    aRunningPlaybackAsTheUserSeesIt
