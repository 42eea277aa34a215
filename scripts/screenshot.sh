#!/usr/bin/env bash
# Makes docs/screenshot.png under Xvfb: the globe test walks a new user's first steps (points
# window, polygon file, double-click in "可加载文件") and takes the screen when the red outline
# shows. Needs a configured build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j "$(nproc)" --target GlobeTest
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"
ORVANE_SCREENSHOT="$PWD/docs/screenshot.png" \
    xvfb-run -a -s "-screen 0 1480x690x24" ./build/tests/GlobeTest \
    polygonFromThePointsWindowShowsOnTheGlobe
