#!/usr/bin/env bash
# Takes the README's screenshots of the running program on a private X server:
#   tools/make-screenshots.sh [build/dendrova] [docs]
# Needs xvfb-run, xdotool, ImageMagick, f3d and python3.
set -euo pipefail
program=$(realpath "${1:-build/dendrova}")
out=$(realpath "${2:-docs}")
here=$(dirname "$(realpath "$0")")
if [ -z "${DISPLAY_FOR_SHOTS:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" env DISPLAY_FOR_SHOTS=1 "$0" "$program" "$out"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A parameter file: viewer 760 x 520, panel at (x, y), camera defaults, depth as given.
config() { # depth panelLeft panelTop
    python3 - "$@" <<'PY'
import struct, sys
depth, left, top = float(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
params = [depth, 26.4, 0.83, 0.75, 61.02, 58.8, 0.81, 0.93, 1.97, 26.4, 0.98, 0.3, 0.25]
rec = struct.pack('<6i', 760, 520, 0, left, top, 0)
rec += struct.pack('<5f', 0.0, -11.7872, -8.04298, -10.0, 19346.0)
rec += struct.pack('<13f', *params)
open('TreeModl.Cfg', 'wb').write(rec)
PY
}

shoot() { # name, keys..., then the geometry to crop ("viewer" or "viewer+panel")
    local name=$1 crop=$2
    shift 2
    "$program" &
    local pid=$!
    local window=""
    for _ in $(seq 1 100); do
        window=$(xdotool search --name "^ Dendrova on " 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    sleep 1.5
    for key in "$@"; do
        # "panel:KEY" goes to the control panel, anything else to the viewer.
        local target=$window
        if [ "${key#panel:}" != "$key" ]; then
            target=$(xdotool search --name "^ Control Panel$" | head -n 1)
            key=${key#panel:}
        fi
        xdotool key --window "$target" "$key"
        sleep 0.8
    done
    eval "$(xdotool getwindowgeometry --shell "$window")"
    if [ "$crop" = viewer ]; then
        import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$name.png"
    else
        import -window root -crop "$((WIDTH + 230))x${HEIGHT}+${X}+${Y}" +repage "$out/$name.png"
    fi
    xdotool key --window "$window" Escape
    wait "$pid" || true
}

mkdir -p "$out"
config 19.29 0 0
shoot scene-default viewer
shoot scene-help viewer h
config 25 0 0
shoot scene-depth25 viewer
# The panel just right of the viewer (the viewer is centred on the 1280-pixel screen).
config 19.29 $(((1280 + 760) / 2 + 6)) $(((800 - 520) / 2))
shoot viewer-and-panel viewer+panel t panel:Down panel:Down
# The exported tree as another program shows it.
"$program" --seed 1 --export tree.glb
f3d --output "$out/export-f3d.png" --resolution 640,640 --grid --bg-color 0.78,0.86,0.95 tree.glb
echo "screenshots written to $out"
