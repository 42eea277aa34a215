#!/usr/bin/env bash
# Writes the base-station tables the bs benchmark reads: SECTORS rows of sectors, three per
# site (the last site may have fewer), 11 columns with Chinese names and texts, a header row
# first. Each size is written as CSV; the sizes up to XLSX_MAX are also saved by LibreOffice
# as .xlsx (with a shared string table, as spreadsheet programs write it).
# Needs LibreOffice (libreoffice-calc-nogui) for the .xlsx files.
# Usage: bench/make-bs-inputs.sh [FOLDER] [SECTORS...]   (default: build/bench-data 100000)
set -euo pipefail
folder=${1:-build/bench-data}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000)
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)

make_csv() {  # sectors, file
    awk -v sectors="$1" 'BEGIN {
        printf "站名,小区名,经度,纬度,方向角,波束宽度,CI,LAC,频段,天线高,覆盖类型\n"
        split("市区,郊区,农村,高速,景区", kinds, ",")
        split("GSM900,DCS1800,LTE1800,NR3500", bands, ",")
        srand(11)
        for (s = 0; s * 3 < sectors; ++s) {
            lon = 108 + rand() * 10
            lat = 20 + rand() * 10
            kind = kinds[1 + s % 5]
            band = bands[1 + s % 4]
            for (k = 0; k < 3 && s * 3 + k < sectors; ++k) {
                printf "基站%d,基站%d_%d,%.6f,%.6f,%d,%d,%d,%d,%s,%.1f,%s\n",
                    s, s, k + 1, lon, lat, (k * 120 + s % 40) % 360, 65, 10000 + s * 3 + k,
                    9500 + s % 97, band, 20 + rand() * 30, kind
            }
        }
    }' > "$2"
}

to_xlsx() {  # csv, target
    local work profile
    work=$(mktemp -d)
    profile=$(mktemp -d)
    soffice "-env:UserInstallation=file://$profile" --headless --infilter="CSV:44,34,76,1" \
        --convert-to "xlsx:Calc MS Excel 2007 XML" --outdir "$work" "$1" >/dev/null 2>&1
    mv "$work"/*.xlsx "$2"
    rm -rf "$work" "$profile"
}

for n in "${sizes[@]}"; do
    csv="$folder/bs-$n.csv"
    [ -f "$csv" ] || make_csv "$n" "$csv"
    if [ "$n" -le "${XLSX_MAX:-100000}" ] && [ ! -f "$folder/bs-$n.xlsx" ]; then
        to_xlsx "$csv" "$folder/bs-$n.xlsx"
    fi
done
ls -l "$folder"/bs-*
