#!/usr/bin/env bash
# Runs the command-line tests of the Windows build (scripts/build-windows.sh) under Wine, in a
# Wine prefix of their own (build-windows/wine), which the first run creates.
set -euo pipefail
cd "$(dirname "$0")/.."
readonly wine=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64
export WINEPREFIX=$PWD/build-windows/wine
# Console programs only: no debug output, no Mono or Gecko installers, no window.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=

# One Wine server serves all the tests (it would otherwise start anew with each program) and
# is ended however they end. The first start of a program creates the prefix.
mkdir -p "$WINEPREFIX"
"$server" -p
trap '"$server" -k 2>/dev/null || true' EXIT
"$wine" build-windows/build/src/cli/orvane-convert.exe --version >/dev/null 2>&1
ctest --test-dir build-windows/build --output-on-failure -j "${1:-2}"
