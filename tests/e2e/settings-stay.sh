#!/usr/bin/env bash
# The remembered geometry through the real program, under a window manager that gives the
# windows their frames (with-window-manager.sh): the viewer's outer size and the panel's
# corner come back exactly run after run, maximized too; the first start centres the frame;
# sizes beyond the screen are fitted to it, sizes beyond 16384 not taken; Escape still
# closes after hiding the panel.
# Usage: settings-stay.sh <dendrova executable>
set -uo pipefail
program=$1
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
# Polls `condition` every 0.1 s for up to `tenths` tenths of a second.
wait_until() { for ((i = 0; i < $1; i++)); do eval "$2" && return 0; sleep 0.1; done; eval "$2"; }
# x, y, w, h of window $1's outer frame: the client grown by the announced frame extents.
read_frame() {
    local l r t b
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //; s/,//gp')
    [ -n "${b:-}" ] || return 1
    read -r x y w h < <(xwininfo -id "$1" 2>/dev/null | awk -v l="$l" -v r="$r" -v t="$t" -v b="$b" '
        /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x - l, y - t, w + l + r, h + t + b}')
}
# The program places its windows once the window manager has framed them: wait for it.
frame_check() { # description, window, condition on x y w h
    wait_until 150 "read_frame $2 && $3"
    check "$1 (got $w x $h at $x, $y)" "$3"
}
find_window() { xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n 1; }
start() {
    "$program" 2>/dev/null &
    pid=$!
    wait_until 300 'viewer=$(find_window "^ Dendrova on "); [ -n "$viewer" ]' ||
        { echo "FAILED: the viewer did not appear"; exit 1; }
}
close() { # Escape in the viewer: the program must end by itself, cleanly
    xdotool windowactivate --sync "$viewer" 2>/dev/null
    xdotool key Escape
    wait_until 150 '! kill -0 "$pid" 2>/dev/null' || { echo "FAILED: Escape did not close"; fail=1; kill "$pid"; }
    wait "$pid" || { echo "FAILED: the program ended with an error"; fail=1; }
    pid=""
}
record() { od -An -td4 -N24 TreeModl.Cfg | xargs; }
store() { # the six geometry fields over those of the last file
    for v in "$@"; do printf "\\x$(printf %02x $((v & 255)))\\x$(printf %02x $((v >> 8 & 255)))\\x$(printf %02x $((v >> 16 & 255)))\\x$(printf %02x $((v >> 24 & 255)))"; done >new
    tail -c +25 TreeModl.Cfg >>new && mv new TreeModl.Cfg
}

for run in 1 2 3; do # from no file; each run shows and hides the panel
    start
    frame_check "run $run: the viewer's frame is 540 x 350, centred" "$viewer" \
        '[ $w -eq 540 ] && [ $h -eq 350 ] && [ $((x - 370)) -ge -1 ] && [ $((x - 370)) -le 1 ] && [ $((y - 337)) -ge -1 ] && [ $((y - 337)) -le 1 ]'
    xdotool windowactivate --sync "$viewer" key t
    wait_until 100 'panel=$(find_window "Control Panel"); [ -n "$panel" ]'
    frame_check "run $run: the panel's frame corner is at 100, 100" "$panel" '[ $x -eq 100 ] && [ $y -eq 100 ]'
    wait_until 50 '[ "$(xdotool getactivewindow)" = "$panel" ]'
    xdotool key Escape # hides the panel; the key-up reaches the viewer
    wait_until 50 '[ -z "$(find_window "Control Panel")" ]'
    close
    check "run $run: the file holds 540 350 0 100 100 0 (got $(record))" '[ "$(record)" = "540 350 0 100 100 0" ]'
done

store 700 500 1 -40 30 0 # maximized; the panel's corner partly off the screen
for run in 1 2; do
    start
    check "maximized run $run: the viewer is maximized" "wait_until 100 'xprop -id $viewer _NET_WM_STATE | grep -q MAXIMIZED_VERT'"
    close
    check "maximized run $run: the file holds 700 500 1 0 30 0 (got $(record))" '[ "$(record)" = "700 500 1 0 30 0" ]'
done

for size in 16384 10000; do # far beyond the 1280 x 1024 screen, 16384 the largest taken
    store $size $size 0 100 100 0
    start
    frame_check "stored $size x $size: the frame lies on the screen" "$viewer" \
        '[ $x -ge 0 ] && [ $y -ge 0 ] && [ $((x + w)) -le 1280 ] && [ $((y + h)) -le 1024 ]'
    close
    check "stored $size x $size: the saved size fits the screen (got $(record))" '[ "$(record)" = "1280 1024 0 100 100 0" ]'
done

# Larger than any screen or OpenGL viewport: not taken, the default size stays.
store 32767 32767 0 100 100 0
start
frame_check "stored 32767 x 32767: the default frame" "$viewer" '[ $w -eq 540 ] && [ $h -eq 350 ]'
close
check "stored 32767 x 32767: the default size is saved (got $(record))" '[ "$(record)" = "540 350 0 100 100 0" ]'
exit $fail
