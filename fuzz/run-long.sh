#!/usr/bin/env bash
# Fuzzes every target (or the ones named) for a chosen time each, then makes the committed
# corpus (fuzz/corpus/TARGET) a small set of inputs that reaches every branch that it and
# this run reached, so that the next run, here or on another machine, starts where this one
# left off. Commit fuzz/corpus/ afterwards.
# Usage: fuzz/run-long.sh [SECONDS_EACH (default 600)] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
[ $# -gt 0 ] && shift
build=build-fuzz

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANE_FUZZ=ON -DORVANE_SANITIZE=ON -DORVANE_GUI=OFF -DORVANE_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target orvane_fuzz

targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(xls xlsx text mif points dt colcfg)
fuzz/run.sh "$build" "$seconds" -- "${targets[@]}"

for target in "${targets[@]}"; do
    minimized=$build/minimized/$target
    rm -rf "$minimized"
    mkdir -p "$minimized"
    environment=()
    [ "$target" = xls ] && environment=(ASAN_OPTIONS=symbolize=0)
    # Branches, not how often they run, and inputs of at most 4 KB: a corpus of a few dozen
    # small files per target.
    env "${environment[@]}" "$build/fuzz/orvane_fuzz_$target" -set_cover_merge=1 \
        -use_counters=0 -max_len=4096 -timeout=90 "$minimized" "fuzz/corpus/$target" \
        "$build/corpus/$target" >"$build/merge-$target.log" 2>&1
    rm -rf "fuzz/corpus/$target"
    cp -r "$minimized" "fuzz/corpus/$target"
    echo "$target: fuzz/corpus/$target holds $(find "fuzz/corpus/$target" -type f | wc -l) inputs"
done
