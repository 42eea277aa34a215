#!/usr/bin/env bash
# Installs what is missing, builds and runs every test; then the core tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_GUI=OFF \
    -DORVANE_BENCH=OFF >/dev/null
cmake --build build-sanitize -j "$jobs"
# Fontconfig, through which the legend image finds its fonts, keeps its configuration and font
# lists for the life of the process: not leaks of the program.
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -L core

# The Windows build (MinGW-w64) and its command-line tests under Wine.
if command -v x86_64-w64-mingw32-g++-posix >/dev/null && [ -x /usr/lib/wine/wine64 ]; then
    ./scripts/build-windows.sh --no-install
    ./scripts/test-windows.sh "$jobs"
else
    echo "Skipping the Windows tests: the MinGW-w64 cross compiler or Wine is missing" \
        "(scripts/install-deps.sh installs them)"
fi

# Fuzz every target for a few seconds (clang, libFuzzer) with a fixed random seed, starting
# from the committed corpus in fuzz/corpus/ and the test fixtures, and from what earlier runs
# on this machine found (build-fuzz/corpus/). An input that makes a target fail is left in
# build-fuzz/artifacts/; once the fault is mended it belongs in tests/data/fuzz-regressions/.
# fuzz/run-long.sh fuzzes longer and adds what it finds to fuzz/corpus/.
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANE_FUZZ=ON -DORVANE_SANITIZE=ON -DORVANE_GUI=OFF -DORVANE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target orvane_fuzz
fuzz/run.sh build-fuzz 5 -seed=1
