#!/usr/bin/env bash
# Draws, for each of the thirteen parameters, a strip of five trees from its minimum to its
# maximum (the other parameters at their defaults, the same seed and viewpoint), each
# labelled with its value, into docs/params/, one PNG per parameter named after it
# ("Leaf Size" -> leaf-size.png):
#   tools/make-param-strips.sh [build/dendrova] [docs/params]
# The names and ranges come from the parameter table itself; the pictures from the
# program's own --render, so it needs no X server. Joins and labels them with ImageMagick.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
program=$(realpath "${1:-build/dendrova}")
out=${2:-docs/params}
seed=${GALLERY_SEED:-7}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Rows of the table: {rebuild, minimum, maximum, &TreeParams::member, "Name",
sed -nE 's/^ *\{(true|false), *([0-9.]+)f, *([0-9.]+)f, *&TreeParams::[A-Za-z]+, *"([^"]+)".*/\2 \3 \4/p' \
    "$here/../src/model/TreeParams.cpp" >"$work/rows"
[ "$(wc -l <"$work/rows")" -eq 13 ] || { echo "expected 13 parameter rows" >&2; exit 1; }

while read -r minimum maximum name; do
    file=$(tr 'A-Z ' 'a-z-' <<<"${name//./}")
    cells=()
    for step in 0 1 2 3 4; do
        value=$(awk -v a="$minimum" -v b="$maximum" -v k="$step" \
            'BEGIN { v = a + (b - a) * k / 4; printf "%.4g", v }')
        # Close enough that the default tree fills most of a cell.
        cat >"$work/p.json" <<JSON
{"$name": $value, "camera": {"x": 0, "y": -9, "z": -13, "elevation": 0, "azimuth": 30}}
JSON
        "$program" --params "$work/p.json" --seed "$seed" --size 240x180 --no-overlay \
            --render "$work/$step.png" 2>/dev/null
        convert "$work/$step.png" -gravity south -fill white -undercolor '#00000080' \
            -font DejaVu-Sans -pointsize 15 -annotate +0+4 " $value " "$work/$step.png"
        cells+=("$work/$step.png")
    done
    convert "${cells[@]}" +append "$out/$file.png"
    echo "$name ($minimum to $maximum) -> $out/$file.png"
done <"$work/rows"
