#!/usr/bin/env bash
# Whole-process time of orvane-convert dt on the generated log (DateTime, graded RxLev in five
# ranges) plain, with --samples 50 and with --time DateTime, run in turns so that a busy machine
# slows each alike. Per variant: the best wall time and the best processor time (user + system)
# of ROUNDS turns, the peak memory, the output's size and the ratios to the plain conversion.
#   [ROUNDS=3] [LAYOUT=fixed|standard] bench/run-dt-options.sh [BUILD_DIR] [RECORDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
records=${2:-1000000}
rounds=${ROUNDS:-3}
cmake --build "$build" --target orvane-convert orvane-bench-generate >/dev/null
convert=$build/src/cli/orvane-convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/orvane-bench-generate" dt "$records" "$work"
log=$work/dt-$records.txt

names=(plain "--samples 50" "--time DateTime")
options=("" "--samples 50" "--time DateTime")
declare -A wall cpu peak size
for _ in $(seq "$rounds"); do
    for i in "${!names[@]}"; do
        rm -f "$work/out.kml"
        # shellcheck disable=SC2086
        /usr/bin/time -o "$work/time" -f "%e %U %S %M" "$convert" dt "$log" "$work/out.kml" \
            --theme RxLev --grades 5 --layout "${LAYOUT:-fixed}" ${options[$i]} >/dev/null
        read -r e u s m <"$work/time"
        c=$(awk -v u="$u" -v s="$s" 'BEGIN{printf "%.2f", u+s}')
        if [ -z "${wall[$i]:-}" ] || awk -v a="$e" -v b="${wall[$i]}" 'BEGIN{exit !(a<b)}'; then
            wall[$i]=$e
        fi
        if [ -z "${cpu[$i]:-}" ] || awk -v a="$c" -v b="${cpu[$i]}" 'BEGIN{exit !(a<b)}'; then
            cpu[$i]=$c
        fi
        peak[$i]=$((m / 1024))
        size[$i]=$(($(stat -c %s "$work/out.kml") / 1048576))
    done
done

echo "| dt $records records | wall s | x plain | cpu s | x plain | peak MB | output MB |"
echo "|---|---|---|---|---|---|---|"
for i in "${!names[@]}"; do
    printf "| %s | %s | %s | %s | %s | %s | %s |\n" "${names[$i]}" "${wall[$i]}" \
        "$(awk -v a="${wall[$i]}" -v b="${wall[0]}" 'BEGIN{printf "%.2f", a/b}')" "${cpu[$i]}" \
        "$(awk -v a="${cpu[$i]}" -v b="${cpu[0]}" 'BEGIN{printf "%.2f", a/b}')" "${peak[$i]}" \
        "${size[$i]}"
done
