#!/usr/bin/env bash
# Writes the workbooks the workbook benchmarks read, made by a real spreadsheet program:
# a CSV of generated survey rows saved by LibreOffice as .xlsx (100 000 rows) and .xls
# (65 000 rows), 20 columns each, a header row first.
# Needs LibreOffice (libreoffice-calc-nogui), which only the benchmarks use.
# Usage: bench/make-workbook-inputs.sh [FOLDER]   (default: build/bench-data)
set -euo pipefail
folder=${1:-build/bench-data}
mkdir -p "$folder"
folder=$(cd "$folder" && pwd)

make_csv() {  # rows, file
    awk -v rows="$1" 'BEGIN {
        printf "站名,经度,纬度,方向角,CI,LAC,BCCH,BSIC,RxLev,RxQual,C/I,TA,速度,高度,时间,小区,频段,功率,天线高,备注\n"
        srand(7)
        for (r = 1; r <= rows; ++r) {
            printf "站点%d,%.6f,%.6f,%d,%d,%d,%d,%d,%d,%d,%.1f,%d,%.2f,%.1f,%d,小区%d,GSM900,%d,%.1f,第%d行\n",
                r % 500, 113 + rand(), 24 + rand(), int(rand() * 360), 10000 + r, 9501 + r % 7,
                int(rand() * 124), int(rand() * 64), -110 + int(rand() * 70), int(rand() * 8),
                rand() * 30, int(rand() * 64), rand() * 120, rand() * 500, 80000 + r, r % 3000,
                int(rand() * 40), 20 + rand() * 30, r
        }
    }' > "$2"
}

convert() {  # csv, filter, target
    local work profile
    work=$(mktemp -d)
    profile=$(mktemp -d)
    soffice "-env:UserInstallation=file://$profile" --headless --infilter="CSV:44,34,76,1" \
        --convert-to "$2" --outdir "$work" "$1" >/dev/null 2>&1
    mv "$work"/*."${2%%:*}" "$3"
    rm -rf "$work" "$profile"
}

if [ ! -f "$folder/rows-100000.xlsx" ]; then
    make_csv 99999 "$folder/rows-100000.csv"
    convert "$folder/rows-100000.csv" "xlsx:Calc MS Excel 2007 XML" "$folder/rows-100000.xlsx"
fi
if [ ! -f "$folder/rows-65000.xls" ]; then
    make_csv 64999 "$folder/rows-65000.csv"
    convert "$folder/rows-65000.csv" "xls:MS Excel 97" "$folder/rows-65000.xls"
fi
ls -l "$folder"
