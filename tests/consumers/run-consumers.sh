#!/usr/bin/env bash
# Shows exported levels of detail with wind to the programs that scene and game users
# import them with: Blender (headless), f3d and assimp. Not part of `make test` or CI:
# Blender is a large install. Installs what is missing from Debian's packages first.
# Usage: run-consumers.sh <dendrova> <tests/data folder>
set -uo pipefail
program=$(realpath "$1")
data=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)

missing=()
for package in blender python3-numpy f3d assimp-utils xvfb xauth; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
    $sudo apt-get install -y --no-install-recommends "${missing[@]}" || exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail=0
report() { echo "FAILED: $*"; fail=1; }
export_tree() { env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$@" || report "dendrova $* exited with $?"; }

export_tree --seed 1 --lods 4 --wind --export default.glb
export_tree --seed 1 --params "$data/depth25.cfg" --lods 4 --wind --export depth25.glb
ls -l default.glb depth25.glb

echo "== Blender"
blender -b --factory-startup --python-exit-code 1 --python "$here/blender_levels.py" -- \
    default.glb 4 depth25.glb 4 2>&1 | grep -v '^Blender quit$' || report "Blender's checks"

echo "== f3d"
for f in default depth25; do
    xvfb-run -a f3d --output "$f-f3d.png" --resolution 300,400 "$f.glb" >f3d.log 2>&1 ||
        { cat f3d.log; report "f3d could not show $f.glb"; continue; }
    # The picture shows something besides the background: more than one colour.
    colours=$(convert "$f-f3d.png" -format %k info: 2>/dev/null)
    echo "$f.glb: f3d drew $(identify -format %wx%h "$f-f3d.png"), $colours colours"
    [ "${colours:-0}" -gt 16 ] || report "f3d's picture of $f.glb is blank"
done

echo "== assimp"
for f in default depth25; do
    meshes=$(assimp info "$f.glb" 2>/dev/null | sed -n 's/^Meshes: *\([0-9]*\)$/\1/p' | head -1)
    faces=$(assimp info "$f.glb" 2>/dev/null | sed -n 's/^Faces: *\([0-9]*\)$/\1/p' | head -1)
    echo "$f.glb: assimp reads $meshes meshes, $faces faces"
    [ "${meshes:-0}" -ge 5 ] || report "assimp reads $f.glb as ${meshes:-no} meshes"
done

[ $fail -eq 0 ] && echo "consumers: ok"
exit $fail
