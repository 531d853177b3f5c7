#!/usr/bin/env bash
# End to end: starts the built program on the X server of this test (xvfb-run), takes a
# screenshot of the screen, checks what a user must see, closes the program with Escape
# and checks the parameter file it writes.
# Usage: run-viewer.sh <dendrova executable> <folder for the screenshot>
set -euo pipefail
program=$1
shots=$2
mkdir -p "$shots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Waits up to 15 s for the viewer window; sets `window` to its id (empty if it never came).
wait_for_window() {
    window=""
    for _ in $(seq 1 150); do
        window=$(xdotool search --name "^ Dendrova on " 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && return
        sleep 0.1
    done
}

"$program" &
pid=$!
wait_for_window
if [ -z "$window" ]; then
    echo "the viewer window did not appear"
    kill "$pid" 2>/dev/null || true
    exit 1
fi
sleep 1.5
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y, WIDTH, HEIGHT
import -window root "$shots/viewer.png"

# Mean colour of a region of the screenshot as "r g b" in 0..255.
mean() { # x y w h
    convert "$shots/viewer.png" -crop "$3x$4+$1+$2" +repage -resize 1x1\! \
        -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}
fail=0
check() { # description, condition
    if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}

read -r sr sg sb <<<"$(mean $((X + WIDTH - 70)) $((Y + 25)) 40 20)"           # upper right: sky
read -r gr gg gb <<<"$(mean $((X + WIDTH / 2 - 90)) $((Y + HEIGHT - 14)) 30 8)" # bottom, left of the trunk: ground
read -r tr tg tb <<<"$(mean $((X + WIDTH / 2 - 2)) $((Y + HEIGHT - 14)) 5 8)"   # bottom centre: the trunk
echo "sky $sr $sg $sb; ground $gr $gg $gb; trunk $tr $tg $tb"
check "the sky is blue" "[ $sb -gt $sr ] && [ $sb -gt 80 ]"
check "the ground is green or earthy, not blue" "[ $gg -ge $gb ] && [ $gg -gt 60 ]"
check "the trunk is darker than the ground beside it" "[ $tg -lt $((gg - 30)) ]"
# The overlay's button bar at the bottom right is drawn over the scene.
read -r br bg bb <<<"$(mean $((X + WIDTH - 150)) $((Y + HEIGHT - 50)) 8 8)"
check "the Spin button shows in the bottom right corner" "[ $br -gt 0 ] || [ $bg -gt 0 ] || [ $bb -gt 0 ]"

xdotool key --window "$window" Escape || true
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "FAILED: Escape did not close the program"
    kill "$pid"
    exit 1
fi
wait "$pid" || { echo "FAILED: the program exited with an error"; fail=1; }
size=$(stat -c %s TreeModl.Cfg 2>/dev/null || echo 0)
check "the parameter file has 96 bytes" "[ $size -eq 96 ]"

# Asked to end by a signal, the program still closes properly and keeps the settings.
rm -f TreeModl.Cfg
"$program" &
pid=$!
wait_for_window
kill -TERM "$pid"
wait "$pid" || { echo "FAILED: the program ended with an error after SIGTERM"; fail=1; }
size=$(stat -c %s TreeModl.Cfg 2>/dev/null || echo 0)
check "SIGTERM still writes the parameter file" "[ $size -eq 96 ]"

# A signal during the start-up, before the event loop runs, ends the program cleanly: the
# close sequence runs and the settings read at start are written back.
put() { printf "$2" | dd of=TreeModl.Cfg bs=1 seek="$1" conv=notrunc status=none; }
put 40 '\x00\x00\x85\x43' # azimuth 266
put 44 '\x00\x00\xc8\x41' # "Tree Total Depth" 25
cp TreeModl.Cfg before.cfg
# Whether process $1 runs the program (not the shell's child before its exec, which carries
# this shell's own handlers) and has its SIGTERM handler in place (bit 15 of the
# caught-signal mask).
target=$(readlink -f "$program")
catches_term() {
    local mask
    [ "$(readlink "/proc/$1/exe" 2>/dev/null)" = "$target" ] || return 1
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) || return 1
    [ -n "$mask" ] && (((16#$mask >> 14) & 1))
}
# The signal comes at once when the handler is in (long before the event loop runs), or
# so many seconds later. Before the handler exists, a signal ends any process at once.
for delay in 0 0.05 0.2; do
    "$program" &
    pid=$!
    for _ in $(seq 1 5000); do catches_term "$pid" && break; done
    sleep "$delay"
    kill -TERM "$pid" || echo "the program had ended before the signal"
    code=0
    wait "$pid" || code=$?
    echo "exit code $code"
    check "SIGTERM during the start-up (+$delay s) ends the program with 0" "[ $code -eq 0 ]"
    check "... and keeps the settings" "cmp -s before.cfg TreeModl.Cfg"
done

# A save that fails says so once on stderr and leaves what is in the way alone: a folder
# under the settings' name is read as no file and is never replaced.
rm TreeModl.Cfg
mkdir TreeModl.Cfg
echo kept >TreeModl.Cfg/inside
"$program" 2>stderr.txt &
pid=$!
wait_for_window
kill -TERM "$pid"
wait "$pid" || true
cat stderr.txt
check "a failed save is reported in one line" \
    "[ \$(grep -c \"settings were not saved: cannot write 'TreeModl.Cfg': it is not a regular file\" stderr.txt) -eq 1 ]"
check "... and the folder in the way stays as it was" \
    "[ -d TreeModl.Cfg ] && [ \"\$(ls -A TreeModl.Cfg)\" = inside ] && grep -qx kept TreeModl.Cfg/inside"
exit $fail
