#!/usr/bin/env bash
# Whole-process time of orvane-convert dt on the generated log (DateTime, graded RxLev in five
# ranges) plain, with --samples 50 and with --time DateTime, run in turns so that a busy machine
# slows each alike. Per variant: the best and the median processor time (user + system) of
# ROUNDS turns, the best wall time, the peak memory, the output's size and the ratios to the
# plain conversion. On a shared machine single runs swing widely; the medians compare best.
#   [ROUNDS=5] [LAYOUT=fixed|standard] bench/run-dt-options.sh [BUILD_DIR] [RECORDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
records=${2:-1000000}
rounds=${ROUNDS:-5}
# shellcheck source=bench/generated-dt-log.sh
. bench/generated-dt-log.sh

names=(plain "--samples 50" "--time DateTime")
options=("" "--samples 50" "--time DateTime")
declare -A cpus walls peak size
for _ in $(seq "$rounds"); do
    for i in "${!names[@]}"; do
        rm -f "$work/out.kml"
        # shellcheck disable=SC2086
        /usr/bin/time -o "$work/time" -f "%e %U %S %M" "$convert" dt "$log" "$work/out.kml" \
            --theme RxLev --grades 5 --layout "${LAYOUT:-fixed}" ${options[$i]} >/dev/null
        read -r e u s m <"$work/time"
        cpus[$i]+="$(awk -v u="$u" -v s="$s" 'BEGIN{printf "%.2f", u+s}') "
        walls[$i]+="$e "
        peak[$i]=$((m / 1024))
        size[$i]=$(($(stat -c %s "$work/out.kml") / 1048576))
    done
done

best() { tr ' ' '\n' <<<"$1" | grep . | sort -g | head -n 1; }
median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{v[NR]=$1} END{print v[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a/b}'; }

echo "| dt $records records | cpu s median | x plain | cpu s best | x plain | wall s best | peak MB | output MB |"
echo "|---|---|---|---|---|---|---|---|"
for i in "${!names[@]}"; do
    printf "| %s | %s | %s | %s | %s | %s | %s | %s |\n" "${names[$i]}" \
        "$(median "${cpus[$i]}")" "$(ratio "$(median "${cpus[$i]}")" "$(median "${cpus[0]}")")" \
        "$(best "${cpus[$i]}")" "$(ratio "$(best "${cpus[$i]}")" "$(best "${cpus[0]}")")" \
        "$(best "${walls[$i]}")" "${peak[$i]}" "${size[$i]}"
done
