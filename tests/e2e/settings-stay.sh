#!/usr/bin/env bash
# The remembered geometry through the real program, with a window manager giving the
# windows their frames (run by with-window-manager.sh): the viewer's outer size and the
# control panel's corner come back exactly run after run, maximized too; the first start
# centres the frame; stored sizes beyond the screen are fitted to it instead of crashing;
# and Escape still closes the program after it hid the control panel.
# Usage: settings-stay.sh <dendrova executable>
set -uo pipefail
program=$1
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

fail=0
check() { # description, condition
    if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}
# Polls `condition` every 0.1 s for up to `tenths` tenths of a second.
wait_until() { # tenths, condition
    local i
    for ((i = 0; i < $1; i++)); do
        eval "$2" && return 0
        sleep 0.1
    done
    eval "$2"
}

# Outer frame of a window as "x y width height": the client rectangle grown by the frame
# extents the window manager announces.
frame_of() {
    local info l r t b
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null |
        sed -n 's/.*= //; s/,//gp')
    [ -n "${b:-}" ] || return 1
    awk -v l="$l" -v r="$r" -v t="$t" -v b="$b" '
        /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF}
        END {print x - l, y - t, w + l + r, h + t + b}' <<<"$info"
}
# Reads the frame of window $1 into x, y, w and h until `condition` holds on them, for up
# to 15 s (the program places its windows after the window manager has framed them).
frame_until() { # window, condition
    local i
    for ((i = 0; i < 150; i++)); do
        if read -r x y w h < <(frame_of "$1") && eval "$2"; then
            return 0
        fi
        sleep 0.1
    done
    read -r x y w h < <(frame_of "$1") || true
}
near() { [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ]; }

viewer=""
start() {
    "$program" 2>>"$work/stderr" &
    pid=$!
    viewer=""
    wait_until 300 'viewer=$(xdotool search --all --onlyvisible --pid "$pid" --name "^ Dendrova on " 2>/dev/null | head -n 1); [ -n "$viewer" ]'
}
panel_window() {
    xdotool search --all --onlyvisible --pid "$pid" --name "Control Panel" 2>/dev/null | head -n 1
}
# Escape in the viewer; the program must end by itself, cleanly.
close() {
    xdotool windowactivate --sync "$viewer" 2>/dev/null || true
    xdotool key Escape
    if ! wait_until 150 '! kill -0 "$pid" 2>/dev/null'; then
        echo "FAILED: Escape did not close the program"
        fail=1
        kill "$pid"
    fi
    wait "$pid" || { echo "FAILED: the program ended with an error"; fail=1; }
    pid=""
    xdotool keyup Escape
}
record() { od -An -td4 -N24 TreeModl.Cfg | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
# Writes the geometry fields of the parameter file, keeping the rest of the last one.
store() { # width height maximized panelLeft panelTop autoClose
    local v h
    for v in "$@"; do
        printf -v h '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $(((v >> 8) & 255)) \
            $(((v >> 16) & 255)) $(((v >> 24) & 255))
        printf "$h"
    done >geometry.bin
    cat geometry.bin <(tail -c +25 TreeModl.Cfg) >TreeModl.new && mv TreeModl.new TreeModl.Cfg
}

# Three runs from no file: each shows and hides the control panel, then closes with Escape.
for run in 1 2 3; do
    start || { echo "FAILED: run $run: the viewer did not appear"; exit 1; }
    centred='[ $w -eq 540 ] && [ $h -eq 350 ] && near $x 370 && near $y 337'
    frame_until "$viewer" "$centred"
    check "run $run: the viewer's outer frame is 540 x 350, centred (got $w x $h at $x, $y)" "$centred"
    xdotool windowactivate --sync "$viewer" 2>/dev/null
    xdotool key t
    panel=""
    wait_until 100 'panel=$(panel_window); [ -n "$panel" ]'
    frame_until "$panel" '[ $x -eq 100 ] && [ $y -eq 100 ]'
    check "run $run: the panel's frame corner is at 100, 100 (got $x, $y)" '[ $x -eq 100 ] && [ $y -eq 100 ]'
    wait_until 50 '[ "$(xdotool getactivewindow)" = "$panel" ]'
    xdotool key Escape # hides the panel; its key-up reaches the viewer
    wait_until 50 '[ -z "$(panel_window)" ]'
    wait_until 50 '[ "$(xdotool getactivewindow)" = "$viewer" ]'
    close
    check "run $run: the file holds 540 350 0 100 100 0 (got $(record))" '[ "$(record)" = "540 350 0 100 100 0" ]'
done

# A maximized viewer keeps its restored size; a panel corner off the screen is fitted.
store 700 500 1 -40 30 0
for run in 1 2; do
    start || { echo "FAILED: maximized run $run: the viewer did not appear"; exit 1; }
    check "maximized run $run: the viewer is maximized" "wait_until 100 'xprop -id \$viewer _NET_WM_STATE | grep -q MAXIMIZED_VERT'"
    close
    check "maximized run $run: the file holds 700 500 1 0 30 0 (got $(record))" '[ "$(record)" = "700 500 1 0 30 0" ]'
done

# Sizes far beyond the screen: no crash, the window on the screen, a size that fits saved.
for size in 32767 10000; do
    store $size $size 0 100 100 0
    start || { echo "FAILED: stored $size: the viewer did not appear"; exit 1; }
    onscreen='[ $x -ge 0 ] && [ $y -ge 0 ] && [ $((x + w)) -le 1280 ] && [ $((y + h)) -le 1024 ]'
    frame_until "$viewer" "$onscreen"
    check "stored $size x $size: the frame lies on the 1280 x 1024 screen (got $w x $h at $x, $y)" "$onscreen"
    check "stored $size x $size: the program is still running" 'kill -0 "$pid" 2>/dev/null'
    close
    check "stored $size x $size: the saved size fits the screen (got $(record))" \
        '[ "$(record | cut -d" " -f1)" -le 1280 ] && [ "$(record | cut -d" " -f2)" -le 1024 ]'
done
exit $fail
