# Sourced by the drive-test option benchmarks, after `build` and `records` are set: builds
# orvane-convert and the generator, and generates the log of `records` records in a temporary
# folder removed at exit. Sets convert, work and log.
cmake --build "$build" --target orvane-convert orvane-bench-generate >/dev/null
convert=$build/src/cli/orvane-convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/orvane-bench-generate" dt "$records" "$work"
log=$work/dt-$records.txt
