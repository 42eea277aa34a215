#!/usr/bin/env bash
# Whole-process time and peak memory of orvane-convert dt with the serving-cell analysis beside
# the same conversion without it, measured in turns (best of ROUNDS), on generated logs of
# growing size served by 30,000 sectors on 10,000 sites (orvane-bench-generate serving): sites
# on a jittered grid about 1 km apart, samples along wandering roads, each served by one of its
# three nearest sites, some stretches from behind the antenna or by a site four places away.
# The time per sample shows whether the analysis stays linear in the samples.
#   [ROUNDS=3] bench/run-serving.sh [BUILD_DIR] [SIZES...]   (default 10000 100000 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)
rounds=${ROUNDS:-3}

cmake --build "$build" --target orvane-convert orvane-bench-generate >/dev/null
convert=$build/src/cli/orvane-convert
generate=$build/bench/orvane-bench-generate
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
serving=(--cells "$work/cells.csv" --cells-site 站名 --cells-lon 经度 --cells-lat 纬度
         --cells-azimuth 方向角 --cells-beamwidth 波束宽度 --cell-key CI=CI
         --report "$work/report.csv")

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

echo "Best of $rounds in turns ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg) at start):"
echo
echo "| samples | route s | with serving s | ratio | us per sample | route MB | with serving MB | KML MB | report rows |"
echo "|---|---|---|---|---|---|---|---|---|"
for n in "${sizes[@]}"; do
    "$generate" serving "$n" "$work"
    log=$work/serving-$n.txt
    plain="" with=""
    for ((r = 0; r < rounds; ++r)); do
        plain=$(better "$plain" "$(once "$work/plain.kml" "$convert" dt "$log" "$work/plain.kml" --theme RxLev)")
        with=$(better "$with" "$(once "$work/serving.kml" "$convert" dt "$log" "$work/serving.kml" --theme RxLev "${serving[@]}")")
    done
    awk -v n="$n" -v p="${plain% *}" -v pm="${plain#* }" -v w="${with% *}" -v wm="${with#* }" \
        -v o="$(du -m --apparent-size "$work/serving.kml" | cut -f1)" \
        -v rows="$(($(wc -l <"$work/report.csv") - 1))" 'BEGIN {
        printf "| %d | %.2f | %.2f | %.2f | %.2f | %d | %d | %d | %d |\n",
            n, p, w, w / p, w * 1e6 / n, pm / 1024, wm / 1024, o, rows }'
    rm -f "$log" "$work/plain.kml" "$work/serving.kml"
done
