#!/usr/bin/env bash
# Whole-process time of orvane-convert cqt: on a 100 000-point .xlsx of 12 columns (written by
# LibreOffice, with a shared string table) beside ogr2ogr merely reading the same workbook, and
# on CSV tables of 1 000 to 1 000 000 points for linearity; best of five runs each, wall time
# and CPU time (the .xlsx reader parses large sheets with two threads). Then the theme scan
# and the conversion alone (orvane_cqt_bench).
# Needs LibreOffice (libreoffice-calc-nogui) and gdal-bin, which only the benchmarks use.
# Inputs are kept in build/bench-data.
#   bench/run-cqt.sh [BUILD_DIR] [SIZES...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 100000 1000000)
data=$build/bench-data
mkdir -p "$data"
cmake --build "$build" --target orvane-convert >/dev/null
convert=$build/src/cli/orvane-convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_csv() {  # points, file
    awk -v rows="$1" 'BEGIN {
        printf "测试点,经度,纬度,RxLev,RxQual,通话结果,时间,小区,CI,LAC,速度,备注\n"
        split("正常,正常,正常,正常,掉话,未接通", results, ",")
        srand(11)
        for (r = 1; r <= rows; ++r) {
            printf "测试点%d,%.6f,%.6f,%d,%d,%s,2024-05-%02d %02d:%02d,小区%d,%d,%d,%.1f,第%d次测试\n",
                r, 113 + rand(), 24 + rand(), -110 + int(rand() * 70), int(rand() * 8),
                results[1 + int(rand() * 6)], 1 + r % 28, r % 24, r % 60, r % 3000,
                10000 + r % 3000, 9501 + r % 7, rand() * 60, r
        }
    }' > "$2"
}

if [ ! -f "$data/cqt-100000.xlsx" ]; then
    make_csv 100000 "$data/cqt-100000.csv"
    profile=$(mktemp -d)
    soffice "-env:UserInstallation=file://$profile" --headless --infilter="CSV:44,34,76,1" \
        --convert-to "xlsx:Calc MS Excel 2007 XML" --outdir "$work" "$data/cqt-100000.csv" \
        >/dev/null 2>&1
    rm -rf "$profile"
    mv "$work/cqt-100000.xlsx" "$data/cqt-100000.xlsx"
fi

# "wall cpu" in seconds (cpu = user + system, all threads) of one run.
run() {
    rm -f "$work/out.kml"
    /usr/bin/time -o "$work/time" -f "%e %U %S" "$@" >/dev/null 2>&1
    tail -n 1 "$work/time" | awk '{printf "%s %.2f", $1, $2 + $3}'
}

# The best wall time and the best CPU time of five runs.
best() {
    local wall="" cpu="" line
    for _ in 1 2 3 4 5; do
        line=$(run "$@")
        if [ -z "$wall" ] || awk -v a="${line% *}" -v b="$wall" 'BEGIN{exit !(a<b)}'; then wall=${line% *}; fi
        if [ -z "$cpu" ] || awk -v a="${line#* }" -v b="$cpu" 'BEGIN{exit !(a<b)}'; then cpu=${line#* }; fi
    done
    echo "$wall $cpu"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a/b}'; }

columns=(--name 测试点 --lon 经度 --lat 纬度)
xlsx=$data/cqt-100000.xlsx
echo "Workbook: $(du -k --apparent-size "$xlsx" | cut -f1) KiB, parts: $(unzip -Z1 "$xlsx" | tr '\n' ' ')"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| work on cqt-100000.xlsx | wall s | cpu s | wall / ogr2ogr | cpu / ogr2ogr |"
echo "|---|---|---|---|---|"
ogr=$(best ogr2ogr -f CSV /vsistdout/ "$xlsx")
graded=$(best "$convert" cqt "$xlsx" "$work/out.kml" "${columns[@]}" --theme RxLev)
classed=$(best "$convert" cqt "$xlsx" "$work/out.kml" "${columns[@]}" --theme 通话结果)
echo "| ogr2ogr -f CSV /vsistdout/ (reading only) | ${ogr% *} | ${ogr#* } | 1 | 1 |"
for row in "graded by RxLev:$graded" "classified by 通话结果:$classed"; do
    t=${row#*:}
    echo "| orvane-convert cqt, ${row%%:*} | ${t% *} | ${t#* } | $(ratio "${t% *}" "${ogr% *}") | $(ratio "${t#* }" "${ogr#* }") |"
done

echo
echo "| CSV points | wall s | cpu s | cpu microseconds per point | output MB |"
echo "|---|---|---|---|---|"
for n in "${sizes[@]}"; do
    csv=$data/cqt-$n.csv
    [ -f "$csv" ] || make_csv "$n" "$csv"
    t=$(best "$convert" cqt "$csv" "$work/out.kml" "${columns[@]}" --theme RxLev)
    "$convert" cqt "$csv" "$work/out.kml" "${columns[@]}" --theme RxLev >/dev/null
    echo "| $n | ${t% *} | ${t#* } | $(awk -v t="${t#* }" -v n="$n" 'BEGIN{printf "%.2f", t*1e6/n}') | $(du -m --apparent-size "$work/out.kml" | cut -f1) |"
done
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
cmake --build "$build" --target orvane_cqt_bench >/dev/null
ORVANE_CQT_WORKBOOK=$xlsx "$build/bench/orvane_cqt_bench"
