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
ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -L core

# Fuzz the workbook readers for a few seconds each (clang, libFuzzer), seeded with the
# workbook fixtures and a fixed random seed, so that a run repeats the last one. An input
# that makes a target fail is left in build-fuzz/artifacts/; once the fault is mended it
# belongs in tests/data/fuzz-regressions/.
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANE_FUZZ=ON -DORVANE_SANITIZE=ON -DORVANE_GUI=OFF -DORVANE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target orvane_fuzz_xls orvane_fuzz_xlsx orvane_fuzz_text
mkdir -p build-fuzz/artifacts
for reader in xls xlsx text; do
    mkdir -p "build-fuzz/corpus/$reader"
    seeds=(tests/data/workbooks examples)
    [ -d "tests/data/fuzz-regressions/$reader" ] && seeds+=("tests/data/fuzz-regressions/$reader")
    # FreeXL runs in child processes whose own faults are expected and reported by the
    # sanitizer there; skipping symbolisation keeps those reports cheap.
    options=()
    [ "$reader" = xls ] && options=(ASAN_OPTIONS=symbolize=0)
    echo "Fuzzing the $reader reader for 10 s"
    if ! env "${options[@]}" "build-fuzz/fuzz/orvane_fuzz_$reader" -max_total_time=10 -seed=1 -timeout=90 \
        -artifact_prefix="build-fuzz/artifacts/$reader-" "build-fuzz/corpus/$reader" \
        "${seeds[@]}" >"build-fuzz/fuzz-$reader.log" 2>&1; then
        tail -n 60 "build-fuzz/fuzz-$reader.log"
        echo "The $reader fuzz target failed; see build-fuzz/fuzz-$reader.log" >&2
        exit 1
    fi
done
