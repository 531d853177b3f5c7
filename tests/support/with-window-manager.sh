#!/usr/bin/env bash
# Runs a command on the X server of this test (xvfb-run) with a window manager (openbox)
# in charge, so that windows get real frames, placement and activation.
# Usage: with-window-manager.sh <command> [arguments...]
set -euo pipefail

log=$(mktemp)
openbox --sm-disable >"$log" 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; rm -f "$log"' EXIT

# The window manager is up once it has announced itself on the root window.
for _ in $(seq 1 300); do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        break
    fi
    if ! kill -0 "$wm" 2>/dev/null; then
        echo "with-window-manager: openbox did not start on $DISPLAY:" >&2
        cat "$log" >&2
        exit 1
    fi
    sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    echo "with-window-manager: openbox did not come up within 30 s" >&2
    exit 1
fi

"$@"
