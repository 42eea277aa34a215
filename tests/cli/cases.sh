# Shared by the shell-level command-line tests (inputs.sh, outputs.sh), sourced with the
# test's arguments: PROGRAM DATA_DIR WORK_DIR CASE, and the prefix of its work folder.
# Sets program, data, kase and moves into a fresh work folder; offers fail, run and same.
program=$(realpath "$1")
data=$(realpath "$2")
kase=$4
work=$3/$5$4
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# run NAME EXPECTED_STATUS COMMAND...: runs with a time limit, so that a hang fails.
run() {
    local name=$1 expected=$2
    shift 2
    timeout 60 "$@" >"$name.out" 2>"$name.err"
    local status=$?
    [ "$status" -eq "$expected" ] ||
        fail "$name: exit status $status, expected $expected; $(cat "$name.err")"
}

same() {
    cmp -s "$1" "$2" || fail "$1 differs from $2"
}
