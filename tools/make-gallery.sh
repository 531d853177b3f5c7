#!/usr/bin/env bash
# Draws every built-in preset with the same seed and viewpoint into docs/presets/, one
# PNG per preset named after it ("Round Crown" -> round-crown.png):
#   tools/make-gallery.sh [build/dendrova] [docs/presets]
# Uses the program's own --render, so it needs no X server.
set -euo pipefail
program=$(realpath "${1:-build/dendrova}")
out=${2:-docs/presets}
seed=${GALLERY_SEED:-7}
mkdir -p "$out"

# Further back and a little higher than the start-up view, so the tallest and widest
# presets fit into the picture.
view=$(mktemp --suffix=.json)
trap 'rm -f "$view"' EXIT
cat >"$view" <<'JSON'
{"camera": {"x": 0, "y": -10, "z": -24, "elevation": 2, "azimuth": 30}}
JSON

"$program" --list-presets | while IFS= read -r name; do
    file=$(tr 'A-Z ' 'a-z-' <<<"$name").png
    "$program" --params "$view" --preset "$name" --seed "$seed" --size 360x270 --no-overlay \
        --render "$out/$file"
    echo "$name -> $out/$file"
done
