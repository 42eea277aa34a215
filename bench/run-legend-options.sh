#!/usr/bin/env bash
# The drive-test conversion with everything written about the legend beside the plain one, on
# the same generated log graded in five ranges: whole-process time (best of three, the two
# runs taking turns), peak memory, output size and placemarks, and the ratio of the times.
#   bench/run-legend-options.sh [BUILD_DIR] [RECORDS]   (default: build 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
records=${2:-1000000}
# shellcheck source=bench/generated-dt-log.sh
. bench/generated-dt-log.sh
common=(dt "$log")
grading=(--theme RxLev --grades 5)
all=(--legend-folders --merge-lines --stats "$work/stats.csv" --legend-overlay)

# "seconds peak-KiB" of one run; its output is removed first.
run() {
    local output=$1
    shift
    rm -f "$output"
    /usr/bin/time -o "$work/time" -f "%e %M" "$convert" "${common[@]}" "$output" "$@" \
        >/dev/null 2>&1
    tail -n 1 "$work/time"
}

faster() { awk -v a="${1% *}" -v b="${2% *}" 'BEGIN{exit !(a<b)}'; }

best_plain="" best_all=""
for _ in 1 2 3; do
    line=$(run "$work/plain.kml" "${grading[@]}")
    if [ -z "$best_plain" ] || faster "$line" "$best_plain"; then best_plain=$line; fi
    line=$(run "$work/all.kml" "${grading[@]}" "${all[@]}")
    if [ -z "$best_all" ] || faster "$line" "$best_all"; then best_all=$line; fi
done

report() {  # name best output
    local size placemarks
    size=$(awk -v b="$(stat -c %s "$3")" 'BEGIN{printf "%.1f", b/1048576}')
    placemarks=$(grep -c "<Placemark>" "$3" || true)
    printf "| %s | %s | %s | %s | %s |\n" "$1" "${2% *}" "$(( ${2#* } / 1024 ))" "$size" \
        "$placemarks"
}

echo "dt, $records records, --theme RxLev --grades 5"
echo "| conversion | s | peak MB | output MB | placemarks |"
echo "|---|---|---|---|---|"
report "plain" "$best_plain" "$work/plain.kml"
report "${all[*]/#$work\//}" "$best_all" "$work/all.kml"
awk -v a="${best_all% *}" -v p="${best_plain% *}" \
    'BEGIN{printf "all options / plain: %.2f (at most 1.5 wanted)\n", a / p}'
ls -l "$work"/all-legend.png | awk '{print "legend image:", $5, "bytes"}'
