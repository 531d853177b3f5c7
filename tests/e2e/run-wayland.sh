#!/usr/bin/env bash
# The viewer on Wayland: starts a headless weston compositor of its own and runs, with
# Qt's Wayland plugin,
# - the given Qt Test programs (the whole application answering its keys and closing,
#   the viewer window's and its outputs' tests);
# - the built program as a user would start it: a screenshot of the compositor's output
#   shows the scene (sky, ground, green leaves), and SIGTERM ends it with 0 and its
#   settings written.
# Usage: run-wayland.sh <dendrova> <folder for the screenshot> [Qt Test program...]
set -uo pipefail
program=$1
shots=$2
shift 2
mkdir -p "$shots"
for tool in weston weston-screenshooter convert; do
    command -v "$tool" >/dev/null || { echo "FAILED: $tool is not installed"; exit 1; }
done
[ -n "$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-egl.so' 2>/dev/null)" ] ||
    { echo "FAILED: Qt's Wayland plugin (qt6-wayland) is not installed"; exit 1; }

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=dendrova-test-$$
export QT_QPA_PLATFORM=wayland
unset DISPLAY
# --debug lets weston-screenshooter take the picture; pixman draws without a GPU.
weston --backend=headless-backend.so --use-pixman --width=1280 --height=900 --debug \
    --socket="$WAYLAND_DISPLAY" --idle-time=0 >"$work/weston.log" 2>&1 &
weston_pid=$!
trap 'kill $weston_pid 2>/dev/null; wait $weston_pid 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 1 100); do
    [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || { echo "FAILED: weston did not start"; cat "$work/weston.log"; exit 1; }

fail=0
check() { # description, condition
    if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}

for test in "$@"; do
    (cd "$work" && timeout 300 "$test")
    status=$? # taken at once: the check's own arguments would reset it
    check "$(basename "$test") passes on Wayland" "[ $status -eq 0 ]"
done

cd "$work"
"$program" 2>stderr.txt &
pid=$!
sleep 4
check "the program runs on Wayland" "kill -0 $pid 2>/dev/null"
(cd "$shots" && rm -f wayland-screenshot-*.png && timeout 20 weston-screenshooter >/dev/null 2>&1)
shot=$(ls "$shots"/wayland-screenshot-*.png 2>/dev/null | head -n 1)
if [ -n "$shot" ]; then
    mv "$shot" "$shots/wayland.png"
    # Shares of the screen, in 1/10000: the sky's blue and the leaves' and ground's green
    # are far from weston's grey background; the screenshot keeps the alpha the window
    # handed to the compositor, which blends whatever is not opaque with what lies below.
    share() { convert "$shots/wayland.png" "$@" -format '%[fx:int(10000*mean)]' info:; }
    sky=$(share -fx 'b > 0.45 && b > r + 0.15 ? 1 : 0')
    green=$(share -fx 'g > r + 0.08 && g > b + 0.08 ? 1 : 0')
    translucent=$(share -alpha extract -fx 'u < 0.99 ? 1 : 0')
    echo "sky $sky, green $green, translucent $translucent (in 1/10000 of the screen)"
    check "the screenshot shows the sky" "[ $sky -gt 150 ]"
    check "... and green leaves and ground" "[ $green -gt 300 ]"
    check "... and the window is opaque" "[ $translucent -lt 5 ]"
else
    check "weston took a screenshot" false
fi
kill -TERM "$pid" 2>/dev/null
code=0
wait "$pid" || code=$?
cat stderr.txt
check "SIGTERM ends the program with 0" "[ $code -eq 0 ]"
check "... and writes the settings" "[ \"\$(stat -c %s TreeModl.Cfg 2>/dev/null)\" = 96 ]"
exit $fail
