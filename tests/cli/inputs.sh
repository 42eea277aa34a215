#!/usr/bin/env bash
# orvane-convert on inputs that are no regular files, and on outputs that name an input.
# Usage: inputs.sh PROGRAM DATA_DIR WORK_DIR CASE
#   fifo     points, mif and dt read a named pipe once, to its end
#   pipe     "-" and /dev/stdin read standard input once (a real pipe)
#   devices  /dev/zero and /dev/urandom end with an error at the size limit
#   links    an output that is the input, through a symbolic or a hard link, is refused
# The result of a stream equals the result of the same file read as a file.
set -u
shopt -s lastpipe # "cat FILE | run ..." counts failures in this shell
# shellcheck source=cases.sh
source "$(dirname "$0")/cases.sh" "$@" ''

mif=$data/mif/regions-gbk.mif
dt=$data/dt/route-gbk.txt
points=$data/points/latlon.txt
dt_options=(--theme 小区)

# The results of regular files, to compare with.
run ref-mif 0 "$program" mif "$mif" ref-mif.kml
run ref-dt 0 "$program" dt "$dt" ref-dt.kml "${dt_options[@]}"
run ref-points 0 "$program" points "$points" ref-points.kml

case $kase in
fifo)
    mkfifo pipe
    # The writer gives up when no reader comes.
    write() { timeout 60 sh -c 'cat "$1" >pipe' writer "$1" & }
    write "$mif"
    run fifo-mif 0 "$program" mif pipe fifo-mif.kml
    same fifo-mif.kml ref-mif.kml
    write "$dt"
    run fifo-dt 0 "$program" dt pipe fifo-dt.kml "${dt_options[@]}"
    same fifo-dt.kml ref-dt.kml
    write "$points"
    run fifo-points 0 "$program" points pipe fifo-points.kml
    same fifo-points.kml ref-points.kml
    wait
    ;;
pipe)
    cat "$mif" | run pipe-mif 0 "$program" mif - pipe-mif.kml
    same pipe-mif.kml ref-mif.kml
    cat "$dt" | run pipe-dt 0 "$program" dt - pipe-dt.kml "${dt_options[@]}"
    same pipe-dt.kml ref-dt.kml
    cat "$dt" | run pipe-dt-stdin 0 "$program" dt /dev/stdin pipe-dt-stdin.kml "${dt_options[@]}"
    same pipe-dt-stdin.kml ref-dt.kml
    cat "$points" | run pipe-points 0 "$program" points - pipe-points.kml
    same pipe-points.kml ref-points.kml
    # A log cut short in a pipe is named as standard input.
    printf '' | run pipe-empty 1 "$program" dt - pipe-empty.kml
    grep -qx '/dev/stdin: List index out of bounds (0)' pipe-empty.err ||
        fail "pipe-empty: $(cat pipe-empty.err)"
    ;;
devices)
    # A quarter of the address space allowed is the limit: a quick test whatever the
    # machine's memory.
    for device in /dev/zero /dev/urandom; do
        name=device-$(basename "$device")
        (ulimit -v 1000000 && exec timeout 60 "$program" mif "$device" "$name.kml") \
            >"$name.out" 2>"$name.err"
        status=$?
        [ "$status" -eq 1 ] || fail "$name: exit status $status, expected 1"
        grep -q "^Cannot read file $device: it is larger than [0-9]* MB" "$name.err" ||
            fail "$name: $(cat "$name.err")"
        [ ! -e "$name.kml" ] || fail "$name: an output was written"
    done
    ;;
links)
    cp "$mif" input.mif
    ln -s input.mif symbolic.kml
    ln input.mif hard.kml
    for output in input.mif symbolic.kml hard.kml; do
        run "same-$output" 1 "$program" mif input.mif "$output"
        grep -qx "Cannot create file $output: the output file is the input file" \
            "same-$output.err" || fail "same-$output: $(cat "same-$output.err")"
    done
    cp "$dt" input.txt
    run same-dt 1 "$program" dt input.txt input.txt "${dt_options[@]}"
    cp "$points" input-points.txt
    run same-points 1 "$program" points - input-points.txt <input-points.txt
    same input.mif "$mif"
    same input.txt "$dt"
    same input-points.txt "$points"
    [ -L symbolic.kml ] || fail "the symbolic link was replaced"
    ;;
*)
    fail "unknown case $kase"
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "all $kase cases passed"
