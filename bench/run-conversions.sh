#!/usr/bin/env bash
# Whole-process time and peak memory of orvane-convert points, mif and dt on generated
# inputs, beside the floor (reading the input once and copying a file of the output's size
# with cat) and GDAL's ogr2ogr doing the same work (points and MIF regions; drive-test
# routes have no peer). The same conversion to a .kmz archive is measured too (time, size,
# peak). BASE_BUILD names the build folder of another version (today's main, say) whose
# orvane-convert runs the same conversions beside it. Inputs go to a temporary folder.
#   [KINDS="points mif dt"] [BASE_BUILD=DIR] [OGR=no] bench/run-conversions.sh [BUILD_DIR] [SIZES...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 100000 1000000)

if [ "${OGR:-yes}" != no ] && ! command -v ogr2ogr >/dev/null; then
    echo "Installing gdal-bin for the comparison"
    apt-get install -y -qq gdal-bin >/dev/null
fi
cmake --build "$build" --target orvane-convert orvane-bench-generate >/dev/null
convert=$build/src/cli/orvane-convert
base=${BASE_BUILD:+$BASE_BUILD/src/cli/orvane-convert}
generate=$build/bench/orvane-bench-generate
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Best of three runs: "seconds peak-KiB". The file named first is removed before each run,
# so that no run pays for deleting the previous run's output.
measure() {
    local output=$1 best="" line
    shift
    for _ in 1 2 3; do
        rm -f "$output"
        /usr/bin/time -o "$work/time" -f "%e %M" "$@" >/dev/null 2>&1
        line=$(tail -n 1 "$work/time")
        if [ -z "$best" ] || awk -v a="${line% *}" -v b="${best% *}" 'BEGIN{exit !(a<b)}'; then
            best=$line
        fi
    done
    echo "$best"
}

seconds() { echo "${1% *}"; }
megabytes() { echo "$(( ${1#* } / 1024 ))"; }

row() {  # kind count input output orvane-command... -- ogr-command...
    local kind=$1 count=$2 input=$3 output=$4
    shift 4
    local ours=() theirs=()
    while [ "$1" != "--" ]; do ours+=("$1"); shift; done
    shift
    theirs=("$@")
    local t_ours t_base="- -" t_kmz t_ogr="- -" t_floor in_mb out_mb kmz_mb
    t_ours=$(measure "$output" "${ours[@]}")
    in_mb=$(du -m --apparent-size "$input" | cut -f1)
    out_mb=$(du -m --apparent-size "$output" | cut -f1)
    t_floor=$(measure "$work/copy" bash -c "cat '$input' >/dev/null; cat '$output' > '$work/copy'")
    if [ -n "$base" ]; then
        local sum
        sum=$(md5sum <"$output")
        t_base=$(measure "$output" "$base" "${ours[@]:1}")
        [ "$(md5sum <"$output")" = "$sum" ] || echo "WARNING: $kind $count: the base build writes other bytes" >&2
    fi
    local kmz="${output%.kml}.kmz"
    t_kmz=$(measure "$kmz" "${ours[@]/#$output/$kmz}")
    kmz_mb=$(awk -v b="$(stat -c %s "$kmz")" 'BEGIN{printf "%.1f", b/1048576}')
    if [ ${#theirs[@]} -gt 0 ] && [ "${OGR:-yes}" != no ]; then
        t_ogr=$(measure "$work/ogr.kml" "${theirs[@]}")
    fi
    local base_peak="-"
    [ -n "$base" ] && base_peak=$(megabytes "$t_base")
    printf "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n" "$kind" "$count" \
        "$in_mb" "$out_mb" "$(seconds "$t_ours")" "$(megabytes "$t_ours")" "$(seconds "$t_base")" \
        "$base_peak" "$(seconds "$t_kmz")" "$kmz_mb" "$(megabytes "$t_kmz")" \
        "$(seconds "$t_floor")" "$(seconds "$t_ogr")"
    rm -f "$kmz"
}

echo "| kind | records | input MB | output MB | orvane s | orvane peak MB | base s | base peak MB | .kmz s | .kmz MB | .kmz peak MB | floor s | ogr2ogr s |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
kinds=${KINDS:-points mif dt}
for n in "${sizes[@]}"; do
    [[ " $kinds " == *" points "* ]] || break
    "$generate" points "$n" "$work"
    row points "$n" "$work/points-$n.txt" "$work/points-$n.kml" \
        "$convert" points "$work/points-$n.txt" "$work/points-$n.kml" -- \
        ogr2ogr -f KML "$work/ogr.kml" "$work/points-$n.csv" -oo X_POSSIBLE_NAMES=X -oo Y_POSSIBLE_NAMES=Y
    rm -f "$work"/points-* "$work/copy" "$work/ogr.kml"
done
# ogr2ogr needs minutes for a million regions; it is compared up to OGR_MIF_MAX regions.
for n in "${sizes[@]}"; do
    [[ " $kinds " == *" mif "* ]] || break
    "$generate" mif "$n" "$work"
    peer=()
    if [ "$n" -le "${OGR_MIF_MAX:-100000}" ]; then
        peer=(ogr2ogr -f KML "$work/ogr.kml" "$work/regions-$n.mif")
    fi
    row mif "$n" "$work/regions-$n.mif" "$work/regions-$n.kml" \
        "$convert" mif "$work/regions-$n.mif" "$work/regions-$n.kml" -- "${peer[@]}"
    rm -f "$work"/regions-* "$work/ogr.kml" "$work/copy"
done
for n in "${sizes[@]}"; do
    [[ " $kinds " == *" dt "* ]] || break
    "$generate" dt "$n" "$work"
    row dt "$n" "$work/dt-$n.txt" "$work/dt-$n.kml" \
        "$convert" dt "$work/dt-$n.txt" "$work/dt-$n.kml" --theme RxLev --
    rm -f "$work"/dt-* "$work/copy"
done
