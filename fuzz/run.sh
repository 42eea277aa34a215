#!/usr/bin/env bash
# Runs the fuzz targets of a build one after another.
# Usage: fuzz/run.sh BUILD_DIR SECONDS [LIBFUZZER_OPTION...] [-- TARGET...]
# Each target starts from its committed corpus (fuzz/corpus/TARGET), the test fixtures of its
# kind and what earlier runs in BUILD_DIR found (BUILD_DIR/corpus/TARGET, where new inputs
# go). A failing input is kept in BUILD_DIR/artifacts/; the run stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=$2
shift 2
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
done
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(xls xlsx text mif points dt colcfg)

# The test fixtures that seed each target.
fixtures() {
    case $1 in
    xls | xlsx | text) echo tests/data/workbooks examples ;;
    mif) echo tests/data/mif ;;
    points) echo tests/data/points ;;
    dt) echo tests/data/dt ;;
    colcfg) echo ;;
    esac
    [ -d "tests/data/fuzz-regressions/$1" ] && echo "tests/data/fuzz-regressions/$1"
    return 0
}

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target" "fuzz/corpus/$target"
    read -r -a seeds <<<"$(fixtures "$target" | tr '\n' ' ')"
    environment=()
    # FreeXL runs in child processes whose own faults are expected and reported by the
    # sanitizer there; skipping symbolisation keeps those reports cheap.
    [ "$target" = xls ] && environment=(ASAN_OPTIONS=symbolize=0)
    echo "Fuzzing $target for $seconds s"
    if ! env "${environment[@]}" "$build/fuzz/orvane_fuzz_$target" -max_total_time="$seconds" \
        -timeout=90 "${options[@]}" -artifact_prefix="$build/artifacts/$target-" \
        "$build/corpus/$target" "fuzz/corpus/$target" "${seeds[@]}" \
        >"$build/fuzz-$target.log" 2>&1; then
        tail -n 60 "$build/fuzz-$target.log"
        echo "The $target fuzz target failed; see $build/fuzz-$target.log" >&2
        exit 1
    fi
done
