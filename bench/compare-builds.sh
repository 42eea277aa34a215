#!/usr/bin/env bash
# One orvane-convert command run by two builds in turns (so that both meet the same load on a
# shared machine), ROUNDS times each: the best and the median wall and user seconds of each,
# and whether both wrote the same bytes. OUTPUT in the arguments is the output path.
#   [ROUNDS=7] bench/compare-builds.sh BASE_BUILD BUILD COMMAND ARGUMENTS...
# Example: bench/compare-builds.sh ../main/build build mif regions.mif /dev/shm/out.kml
set -euo pipefail
base=$1/src/cli/orvane-convert
ours=$2/src/cli/orvane-convert
shift 2
rounds=${ROUNDS:-7}
times=$(mktemp)
trap 'rm -f "$times"' EXIT
# The output is the argument after the input: the third word.
output=$3

for _ in $(seq "$rounds"); do
    for build in base ours; do
        program=$base
        [ "$build" = ours ] && program=$ours
        rm -f "$output"
        /usr/bin/time -a -o "$times" -f "$build %e %U" "$program" "$@" >/dev/null 2>&1
        md5sum <"$output" | sed "s/^/$build-sum /" >>"$times"
    done
done
for build in base ours; do
    grep "^$build " "$times" | awk -v build="$build" '
        { wall[NR] = $2; user[NR] = $3 }
        END {
            n = NR
            for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) {
                if (wall[j] < wall[i]) { t = wall[i]; wall[i] = wall[j]; wall[j] = t }
                if (user[j] < user[i]) { t = user[i]; user[i] = user[j]; user[j] = t }
            }
            m = int((n + 1) / 2)
            printf "%s: wall best %.2f s, median %.2f s; user best %.2f s, median %.2f s (%d runs)\n",
                build, wall[1], wall[m], user[1], user[m], n
        }'
done
sums=$(grep -- "-sum " "$times" | cut -d' ' -f2 | sort -u | wc -l)
[ "$sums" -eq 1 ] && echo "both wrote the same bytes" || echo "WARNING: the builds wrote other bytes"
