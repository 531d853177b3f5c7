#!/usr/bin/env bash
# Exports from the command line into folders that hold what users and other programs
# leave there, and exports that are raced, killed or interrupted.
# Usage: check-files.sh <dendrova> <tests/data folder> <check>
#   links      an export onto a symbolic link replaces the file it points to and keeps the
#              link; links and a FIFO planted at "<out>.part" are left alone
#   modes      a replaced file keeps its permission bits, a new one gets 0666 less the umask
#   refused    a FIFO or a folder as the output is refused at once; a 255-byte name exports
#   race       two exports racing to one name leave one complete file
#   kill       SIGKILL at any moment of a long export leaves no file behind
#   interrupt  SIGINT or SIGTERM stops a long export within a second: exit 130 or 143,
#              one line on stderr, no file left, also in a script's background job; an
#              ignored SIGHUP (nohup) stays ignored
#   interrupt-variants  SIGINT between the trees of --variants leaves none of them
set -uo pipefail
program=$1
data=$2
check=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail=0
report() { echo "FAILED: $*"; fail=1; }
# Started in the background as `$launch "$program" ... &`, $! is the program itself (a shell
# function would put a shell between the two, and the signals would reach that shell).
launch="env -u DISPLAY -u WAYLAND_DISPLAY"
run() { $launch "$program" "$@" || report "dendrova $* exited with $?"; }
# The names in the current folder, hidden ones included, on one line.
names() { ls -A | sort | paste -sd' ' -; }

case $check in
links)
    run --seed 1 --export clean.glb
    echo old >kept.glb
    ln -s kept.glb link.glb
    mkdir sub && ln -s ../kept.glb sub/chain.glb && ln -s sub/chain.glb chain.glb
    run --seed 1 --export link.glb
    [ -L link.glb ] || report "link.glb is no longer a link"
    cmp -s kept.glb clean.glb || report "the file link.glb points to does not hold the export"
    echo old >kept.glb
    run --seed 1 --export chain.glb
    [ -L chain.glb ] && [ -L sub/chain.glb ] || report "a link of the chain was replaced"
    cmp -s kept.glb clean.glb || report "a chain of links does not lead the export to its end"
    # A dangling link the user named: the file it names is created.
    ln -s made.glb dangling.glb
    run --seed 1 --export dangling.glb
    [ -L dangling.glb ] && cmp -s made.glb clean.glb || report "dangling.glb did not create made.glb"

    # Names a writer through "<out>.part" would have opened: none is touched.
    mkdir planted && cd planted
    echo victim >victim
    ln -s victim a.glb.part
    ln -s absent b.glb.part
    ln ../clean.glb c.glb.part
    mkfifo d.glb.part
    for out in a b c d; do
        timeout 60 "$program" --seed 2 --export $out.glb || report "export to $out.glb: exit $?"
    done
    echo victim | cmp -s - victim || report "the victim behind a.glb.part was written"
    [ ! -e absent ] || report "the dangling link b.glb.part created its target"
    cmp -s c.glb.part ../clean.glb || report "the hard link c.glb.part was written through"
    [ -p d.glb.part ] || report "the FIFO d.glb.part is gone"
    [ "$(names)" = "a.glb a.glb.part b.glb b.glb.part c.glb c.glb.part d.glb d.glb.part victim" ] ||
        report "planted folder holds: $(names)"
    cd ..
    ;;
modes)
    echo old >private.glb
    chmod 600 private.glb
    run --seed 1 --export private.glb
    [ "$(stat -c %a private.glb)" = 600 ] || report "private.glb: mode $(stat -c %a private.glb)"
    (umask 027 && run --seed 1 --export fresh.obj)
    for f in fresh.obj fresh.mtl fresh-bark.png fresh-leaf.png; do
        [ "$(stat -c %a $f)" = 640 ] || report "$f: mode $(stat -c %a $f) under umask 027"
    done
    ;;
refused)
    mkfifo pipe.glb
    mkdir folder.png
    timeout 20 env -u DISPLAY "$program" --seed 1 --export pipe.glb 2>err.txt
    code=$?
    [ $code -eq 1 ] || report "export to a FIFO: exit $code"
    grep -q "cannot write 'pipe.glb': it is not a regular file" err.txt && [ "$(wc -l <err.txt)" -eq 1 ] ||
        report "export to a FIFO said: $(cat err.txt)"
    timeout 20 env -u DISPLAY "$program" --seed 1 --render folder.png --size 8x8 2>/dev/null
    [ $? -eq 1 ] || report "render onto a folder did not fail"
    [ -p pipe.glb ] && [ -d folder.png ] && [ "$(names)" = "err.txt folder.png pipe.glb" ] ||
        report "the folder holds: $(names)"
    long=$(printf 'l%.0s' $(seq 251)).glb
    run --seed 1 --export "$long"
    [ -s "$long" ] || report "no file under the 255-byte name"
    ;;
race)
    run --seed 1 --params "$data/depth25.cfg" --export clean.glb
    for pair in 1 2 3 4 5; do
        $launch "$program" --seed 1 --params "$data/depth25.cfg" --export tree.glb & first=$!
        $launch "$program" --seed 1 --params "$data/depth25.cfg" --export tree.glb & second=$!
        wait $first || report "pair $pair: the first export exited with $?"
        wait $second || report "pair $pair: the second export exited with $?"
        cmp -s tree.glb clean.glb || report "pair $pair: tree.glb is not the clean export"
        [ "$(names)" = "clean.glb tree.glb" ] || report "pair $pair left: $(names)"
    done
    ;;
kill)
    for delay in 0.2 0.6 1.2 2.0; do
        $launch "$program" --seed 1 --params "$data/capped.cfg" --export capped.obj 2>/dev/null &
        pid=$!
        sleep $delay
        kill -KILL $pid
        wait $pid 2>/dev/null
        [ -z "$(names)" ] || report "SIGKILL after ${delay}s left: $(names)"
        rm -rf ./* ./.[!.]*
    done
    ;;
interrupt)
    # Job control gives background jobs the signals' default actions, as in a terminal.
    set -m
    for sig in INT TERM; do
        $launch "$program" --seed 1 --params "$data/capped.cfg" --export capped.obj 2>err.txt &
        pid=$!
        # Signalled once the writing has begun, the longest part of the run.
        for _ in $(seq 600); do grep -q writing err.txt 2>/dev/null && break; sleep 0.05; done
        start=$(date +%s%N)
        kill -$sig $pid
        while kill -0 $pid 2>/dev/null && [ $(($(date +%s%N) - start)) -lt 1000000000 ]; do
            sleep 0.01
        done
        kill -0 $pid 2>/dev/null && report "SIG$sig: still running after a second"
        wait $pid 2>/dev/null
        code=$?
        echo "SIG$sig: stopped after $((($(date +%s%N) - start) / 1000000)) ms, exit $code"
        expected=$([ $sig = INT ] && echo 130 || echo 143)
        [ $code -eq $expected ] || report "SIG$sig: exit $code, expected $expected"
        [ "$(wc -l <err.txt)" -le 2 ] &&
            tail -1 err.txt | grep -q "^dendrova: interrupted; nothing was written$" ||
            report "SIG$sig: stderr says: $(cat err.txt)"
        rm err.txt
        [ -z "$(names)" ] || report "SIG$sig left: $(names)"
    done
    # The largest tree drawn at the largest size takes seconds to draw; a stop while it
    # draws ends the run at once, the export written before it dropped.
    $launch "$program" --seed 1 --params "$data/capped.cfg" --export both.glb \
        --render both.png --size 4096x4096 2>err.txt &
    pid=$!
    # Growth, mesh and export take under a second; the drawing about ten.
    sleep 3
    start=$(date +%s%N)
    kill -INT $pid
    wait $pid 2>/dev/null
    code=$?
    took=$((($(date +%s%N) - start) / 1000000))
    echo "SIGINT while drawing: stopped after $took ms, exit $code"
    [ $code -eq 130 ] && [ $took -lt 1000 ] || report "SIGINT while drawing: exit $code after $took ms"
    rm err.txt
    [ -z "$(names)" ] || report "SIGINT while drawing left: $(names)"
    # A background job of a script without job control starts with SIGINT ignored; the
    # program still stops on it. Under nohup (SIGHUP ignored) it goes on.
    set +m
    exe=$(readlink -f "$program")
    # Signalled once it is the program that runs, not the shell's child before its exec.
    started() { for _ in $(seq 200); do [ "$(readlink /proc/$1/exe)" = "$exe" ] && break; sleep 0.01; done; }
    $launch "$program" --seed 1 --params "$data/capped.cfg" --export capped.glb 2>/dev/null &
    pid=$!
    started $pid
    sleep 0.1
    kill -INT $pid
    wait $pid
    code=$?
    [ $code -eq 130 ] || report "a background job's SIGINT: exit $code, expected 130"
    [ -z "$(names)" ] || report "a background job's SIGINT left: $(names)"
    (trap '' HUP && exec $launch "$program" --seed 1 --export default.glb 2>/dev/null) &
    pid=$!
    started $pid
    kill -HUP $pid
    wait $pid || report "an export under nohup exited with $? on SIGHUP"
    [ -s default.glb ] || report "an export under nohup wrote nothing"
    ;;
interrupt-variants)
    set -m
    # Each of the largest trees takes most of a second to grow and export; the stop comes
    # once some are written and waiting for the others.
    $launch "$program" --seed 1 --params "$data/capped.cfg" --variants 6 --export v.glb \
        --render v.png --size 64x48 2>err.txt &
    pid=$!
    sleep 2.5
    start=$(date +%s%N)
    kill -INT $pid
    wait $pid 2>/dev/null
    code=$?
    took=$((($(date +%s%N) - start) / 1000000))
    echo "SIGINT between variants: stopped after $took ms, exit $code"
    [ $code -eq 130 ] && [ $took -lt 1500 ] || report "SIGINT between variants: exit $code after $took ms"
    tail -1 err.txt | grep -q "^dendrova: interrupted; nothing was written$" ||
        report "SIGINT between variants: stderr says: $(cat err.txt)"
    rm err.txt
    [ -z "$(names)" ] || report "SIGINT between variants left: $(names)"
    ;;
*)
    echo "unknown check $check"
    exit 2
    ;;
esac
[ $fail -eq 0 ] && echo "ok: $check"
exit $fail
