#!/usr/bin/env bash
# Whole-process time and peak memory of orvane-convert bs on generated base-station tables
# (bench/make-bs-inputs.sh: three sectors per site, 11 columns with Chinese texts):
#   1. the 100,000-sector .xlsx beside GDAL's ogr2ogr merely reading it
#      (ogr2ogr -f CSV /vsistdout/ IN.xlsx) and beside the I/O floor (reading the input once
#      and copying a file of the output's size with cat), the three measured in turns in one
#      run, best of ROUNDS;
#   2. the same with --beamwidth and --metres;
#   3. CSV tables of growing size, for linearity.
# Peak memory is compared with input + output size.
#   [ROUNDS=5] bench/run-bs.sh [BUILD_DIR] [SIZES...]   (default sizes 1000 10000 100000 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 100000 1000000)
rounds=${ROUNDS:-5}

if ! command -v ogr2ogr >/dev/null; then
    echo "Installing gdal-bin for the comparison"
    apt-get install -y -qq gdal-bin >/dev/null
fi
cmake --build "$build" --target orvane-convert >/dev/null
convert=$build/src/cli/orvane-convert
data=$build/bench-data
bench/make-bs-inputs.sh "$data" "${sizes[@]}" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
columns=(--site 站名 --lon 经度 --lat 纬度 --azimuth 方向角)

# One run: "seconds peak-KiB"; the file named first is removed before it.
once() {
    local output=$1
    shift
    rm -f "$output"
    /usr/bin/time -o "$work/time" -f "%e %M" "$@" >/dev/null 2>&1
    tail -n 1 "$work/time"
}

# The smaller of two "seconds peak-KiB" results by time.
better() {
    if [ -z "$1" ] || awk -v a="${2% *}" -v b="${1% *}" 'BEGIN{exit !(a<b)}'; then
        echo "$2"
    else
        echo "$1"
    fi
}

mb() { du -m --apparent-size "$1" | cut -f1; }

# Orvane, ogr2ogr and the floor in turns, so that a busy machine slows all three alike.
side_by_side() {  # label input orvane-arguments...
    local label=$1 input=$2
    shift 2
    local ours="" ogr="" floor="" r
    for ((r = 0; r < rounds; ++r)); do
        ours=$(better "$ours" "$(once "$work/out.kml" "$convert" bs "$input" "$work/out.kml" "$@")")
        ogr=$(better "$ogr" "$(once "$work/ogr.csv" bash -c "ogr2ogr -f CSV /vsistdout/ '$input' > '$work/ogr.csv'")")
        floor=$(better "$floor" "$(once "$work/copy" bash -c "cat '$input' >/dev/null; cat '$work/out.kml' > '$work/copy'")")
    done
    local in_mb out_mb
    in_mb=$(mb "$input")
    out_mb=$(mb "$work/out.kml")
    awk -v label="$label" -v i="$in_mb" -v o="$out_mb" -v t="${ours% *}" -v m="${ours#* }" \
        -v g="${ogr% *}" -v f="${floor% *}" 'BEGIN {
        printf "| %s | %d | %d | %.2f | %.2f | %.2f | %.2f | %.2f | %d |\n",
            label, i, o, t, g, t / g, f, t / f, m / 1024 }'
}

echo "Side by side, best of $rounds ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg) at start):"
echo
echo "| run | input MB | output MB | orvane s | ogr2ogr s | ratio | floor s | x floor | peak MB |"
echo "|---|---|---|---|---|---|---|---|---|"
side_by_side "bs 100,000 sectors .xlsx" "$data/bs-100000.xlsx" "${columns[@]}"
side_by_side "bs ... --beamwidth --metres 500" "$data/bs-100000.xlsx" "${columns[@]}" \
    --beamwidth 波束宽度 --metres 500
echo
echo "Growing CSV tables, best of $rounds:"
echo
echo "| sectors | input MB | output MB | orvane s | us per sector | floor s | x floor | peak MB |"
echo "|---|---|---|---|---|---|---|---|"
for n in "${sizes[@]}"; do
    best=""
    floor=""
    for ((r = 0; r < rounds; ++r)); do
        best=$(better "$best" "$(once "$work/out.kml" "$convert" bs "$data/bs-$n.csv" "$work/out.kml" "${columns[@]}")")
        floor=$(better "$floor" "$(once "$work/copy" bash -c "cat '$data/bs-$n.csv' >/dev/null; cat '$work/out.kml' > '$work/copy'")")
    done
    awk -v n="$n" -v i="$(mb "$data/bs-$n.csv")" -v o="$(mb "$work/out.kml")" \
        -v t="${best% *}" -v m="${best#* }" -v f="${floor% *}" 'BEGIN {
        printf "| %d | %d | %d | %.2f | %.1f | %.2f | %.2f | %d |\n",
            n, i, o, t, t * 1e6 / n, f, t / f, m / 1024 }'
    rm -f "$work/out.kml" "$work/copy"
done
