#!/usr/bin/env bash
# orvane-convert on outputs that are no plain new file, and conversions cut short.
# Usage: outputs.sh PROGRAM DATA_DIR WORK_DIR CASE
#   refused   a folder, a named pipe, a device or a read-only file is refused before the
#             input is read, and left as it was
#   paths     a symbolic link writes the file it points to; an existing file keeps its
#             permission bits and owner; a hard link keeps the old content; a 250-byte name
#   signals   SIGINT, SIGTERM and SIGHUP end a conversion without a temporary file; the one
#             SIGKILL leaves is recognisable and in nobody's way
#   fsize     a file-size limit gives "Cannot create file", not a killed process
set -u
# shellcheck source=cases.sh
source "$(dirname "$0")/cases.sh" "$@" outputs-

expect_error() {  # NAME TEXT: standard error of the run NAME is the line TEXT
    grep -qxF "$2" "$1.err" || fail "$1: '$(cat "$1.err")', expected '$2'"
}

no_temporary_file() {  # NAME
    local left
    left=$(find . -name '*.orvane-tmp')
    [ -z "$left" ] || fail "$1: left $left"
}

points=$data/points/latlon.txt
"$program" points "$points" reference.kml >/dev/null || fail "the reference conversion failed"

case $kase in
refused)
    # The input is a pipe that nobody writes: reading it first would hang.
    mkfifo silent.txt pipe.kml
    mkdir folder.kml
    for output in folder.kml pipe.kml /dev/null; do
        name=refused-$(basename "$output")
        run "$name" 1 "$program" points silent.txt "$output"
    done
    expect_error refused-folder.kml "Cannot create file folder.kml: the output file is a folder"
    expect_error refused-pipe.kml "Cannot create file pipe.kml: the output file is a named pipe"
    expect_error refused-null "Cannot create file /dev/null: the output file is a device"
    [ -c /dev/null ] || fail "/dev/null is no longer a device"
    [ -p pipe.kml ] && [ -d folder.kml ] || fail "a refused output was replaced"
    # A read-only file, as a user who may not write it (root may write any file).
    shared=$(mktemp -d)
    chmod 777 "$shared"
    printf 'kept' >"$shared/read-only.kml"
    chmod 444 "$shared/read-only.kml"
    as_user=()
    [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    run refused-read-only 1 "${as_user[@]}" "$program" points silent.txt "$shared/read-only.kml"
    expect_error refused-read-only \
        "Cannot create file $shared/read-only.kml: the output file is read-only"
    [ "$(cat "$shared/read-only.kml")" = kept ] || fail "the read-only file was replaced"
    [ -z "$(find "$shared" -name '*.orvane-tmp')" ] || fail "refused-read-only left a file"
    rm -rf "$shared"
    ;;
paths)
    # A symbolic link, also one to a file not there yet, writes its target and stays.
    printf 'old' >target.kml
    ln -s target.kml link.kml
    ln -s new-target.kml dangling.kml
    run link 0 "$program" points "$points" link.kml
    run dangling 0 "$program" points "$points" dangling.kml
    [ -L link.kml ] && [ -L dangling.kml ] || fail "a symbolic link was replaced"
    cmp -s target.kml reference.kml || fail "the link's target was not written"
    cmp -s new-target.kml reference.kml || fail "the dangling link's target was not created"
    # An existing file keeps its permission bits, and its owner where the program may set it.
    printf 'old' >private.kml
    chmod 640 private.kml
    owner=$(id -un):$(id -gn)
    if [ "$(id -u)" -eq 0 ]; then
        owner=nobody:nogroup
        chown "$owner" private.kml
    fi
    run private 0 "$program" points "$points" private.kml
    [ "$(stat -c %a private.kml)" = 640 ] || fail "permissions $(stat -c %a private.kml)"
    [ "$(stat -c %U:%G private.kml)" = "$owner" ] || fail "owner $(stat -c %U:%G private.kml)"
    # The new file replaces the name: another hard link keeps the old content.
    printf 'old' >first.kml
    ln first.kml second.kml
    run hard-link 0 "$program" points "$points" first.kml
    cmp -s first.kml reference.kml && [ "$(cat second.kml)" = old ] ||
        fail "hard links: first.kml and second.kml hold other texts than expected"
    # A name of 250 bytes, whatever the temporary name adds.
    long=$(printf 'n%.0s' $(seq 246)).kml
    run long-name 0 "$program" points "$points" "$long"
    cmp -s "$long" reference.kml || fail "the 250-byte name was not written"
    no_temporary_file paths
    ;;
signals)
    # A signal a program starts with ignored stays ignored (background commands of a script
    # start so with SIGINT, and everything under nohup with SIGHUP): start with the defaults.
    yes 25.123456,113.123456 | head -n 4000000 >large.txt
    # interrupt SIGNAL: starts a long conversion, sends the signal once its temporary file
    # exists and gives the exit status.
    interrupt() {
        printf 'kept' >large.kml
        env --default-signal=INT,TERM,HUP "$program" points large.txt large.kml >/dev/null 2>&1 &
        local pid=$! tries=0
        until [ -n "$(find . -name '.large.kml.*.orvane-tmp')" ] || [ $tries -ge 3000 ]; do
            sleep 0.01
            tries=$((tries + 1))
        done
        kill -s "$1" "$pid"
        wait "$pid"
    }
    for signal in INT TERM HUP; do
        interrupt "$signal"
        status=$?
        [ "$status" -eq $((128 + $(kill -l "$signal"))) ] ||
            fail "SIG$signal: exit status $status, not ended by the signal"
        [ "$(cat large.kml)" = kept ] || fail "SIG$signal: the output changed"
        no_temporary_file "SIG$signal"
    done
    # SIGKILL cannot be caught: its leftover is hidden, named after the output and marked,
    # and the next run neither takes it for output nor trips over it.
    interrupt KILL
    left=$(find . -name '.large.kml.*.orvane-tmp')
    [ -n "$left" ] || fail "SIGKILL: no leftover to look at"
    [ "$(cat large.kml)" = kept ] || fail "SIGKILL: the output changed"
    run after-kill 0 "$program" points "$points" large.kml
    cmp -s large.kml reference.kml || fail "after SIGKILL: the next run wrote other bytes"
    [ -f "$left" ] || fail "after SIGKILL: the leftover was taken"
    ;;
fsize)
    # 100 KiB at most per file: the output stops short of it.
    printf 'kept' >large.kml
    yes 25.123456,113.123456 | head -n 100000 >large.txt
    (ulimit -f 100 && exec timeout 60 "$program" points large.txt large.kml) \
        >fsize.out 2>fsize.err
    status=$?
    [ "$status" -eq 1 ] || fail "file-size limit: exit status $status, expected 1"
    expect_error fsize "Cannot create file large.kml"
    [ "$(cat large.kml)" = kept ] || fail "file-size limit: the output changed"
    no_temporary_file fsize
    ;;
*)
    fail "unknown case $kase"
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "all $kase cases passed"
