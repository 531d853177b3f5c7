#!/usr/bin/env bash
# Exports trees from the command line, with no X server, and checks them with programs
# other than ours.
# Usage: check-exports.sh <dendrova> <tests/data folder> <check>
#   validator      the Khronos glTF validator finds no error and no warning (NODE_PATH
#                  must lead to the gltf-validator package)
#   counts         assimp reads the .glb and the .obj with the expected vertex and face
#                  counts
#   capped         the largest tree the growth allows exports within 512 MiB of memory
#   reproducible   the same seed gives the same bytes, another seed other bytes, and the
#                  working folder's parameter file is neither read nor written
#   variants       --variants N writes N files, no two alike, each the single export of its
#                  seed; without --seed the first seed is said and grows them again
#   levels         --lods and --wind: the level nodes, their triangle counts (each level at
#                  most half the one before, the impostor at most 32), the wind on every
#                  level, the same bytes from two runs, and assimp reads the file
#   capped_levels  the largest tree with --lods 4 --wind passes the validator and keeps
#                  its levels' promises (NODE_PATH as for validator)
set -uo pipefail
program=$1
data=$2
check=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail=0
report() { echo "FAILED: $*"; fail=1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$@" || report "dendrova $* exited with $?"; }

# Vertices and faces of each mesh as assimp reports them without post-processing:
# "<vertices> <faces>" per line.
assimp_counts() {
    assimp info "$1" -r 2>/dev/null | sed -n 's/^ *[0-9]* (.*): \[\([0-9]*\) \/ [0-9]* \/ \([0-9]*\) |.*/\1 \2/p'
}

case $check in
validator)
    run --seed 1 --export default.glb
    run --seed 1 --params "$data/depth25.cfg" --export depth25.glb
    run --seed 1 --lods 4 --wind --export default-levels.glb
    run --seed 1 --params "$data/depth25.cfg" --lods 4 --wind --export depth25-levels.glb
    run --seed 1 --lods 2 --export two.glb
    run --seed 1 --wind --export wind.glb
    node "$here/validate-gltf.js" default.glb depth25.glb default-levels.glb depth25-levels.glb \
        two.glb wind.glb || report "the validator found problems"
    ;;
levels)
    for lods in 2 3 4 6; do
        run --seed 1 --lods $lods --wind --export "oak$lods.glb"
        node "$here/glb-levels.js" "oak$lods.glb" $lods wind || report "oak$lods.glb: its levels"
    done
    run --seed 1 --params "$data/depth25.cfg" --lods 4 --wind --export depth25.glb
    node "$here/glb-levels.js" depth25.glb 4 wind || report "depth25.glb: its levels"
    # One level is the plain file's single node "tree", with the wind when asked.
    run --seed 1 --wind --export wind.glb
    node "$here/glb-levels.js" wind.glb 1 wind || report "wind.glb: its level"
    mkdir again
    (cd again && run --seed 1 --lods 4 --wind --export oak4.glb)
    cmp -s oak4.glb again/oak4.glb || report "two runs of --lods 4 --wind differ"
    # assimp reads every level: the full tree's bark and leaves as in the plain file, two
    # parts for each thinned level and one for the impostor.
    counts=$(assimp_counts oak4.glb | paste -sd' ')
    read -r -a numbers <<<"$counts"
    [ "${#numbers[@]}" -eq 14 ] && [ "${numbers[*]:0:4}" = "16646 14268 3436 1718" ] &&
        [ "${numbers[13]}" -le 32 ] || report "assimp reads oak4.glb as '$counts'"
    ;;
capped_levels)
    run --seed 1 --params "$data/capped.cfg" --lods 4 --wind --export capped.glb 2>/dev/null
    echo "capped export with --lods 4 --wind: $(stat -c %s capped.glb) bytes"
    node "$here/glb-levels.js" capped.glb 4 wind || report "capped.glb: its levels"
    node "$here/validate-gltf.js" capped.glb || report "the validator found problems"
    ;;
counts)
    # The default tree has 1,189 segments and 859 leaves; "Tree Total Depth" 25 has 5,636
    # segments. A tube is 14 vertices and 12 triangles, a leaf 4 vertices and 2 triangles.
    run --seed 1 --export default.glb
    run --seed 1 --export default.obj
    run --seed 1 --params "$data/depth25.cfg" --export depth25.glb
    glb=$(assimp_counts default.glb | paste -sd' ')
    [ "$glb" = "16646 14268 3436 1718" ] || report "default.glb: meshes '$glb'"
    # The OBJ reader makes a vertex for every corner of every face.
    obj=$(assimp_counts default.obj | paste -sd' ')
    [ "$obj" = "42804 14268 5154 1718" ] || report "default.obj: meshes '$obj'"
    read -r barkVertices barkFaces _ <<<"$(assimp_counts depth25.glb | head -1)"
    [ "$barkVertices" -eq $((14 * 5636)) ] && [ "$barkFaces" -eq $((12 * 5636)) ] ||
        report "depth25.glb: bark $barkVertices vertices, $barkFaces faces"
    materials=$(assimp info default.obj 2>/dev/null | sed -n 's/^Materials: *//p')
    [ "$materials" = 2 ] || report "default.obj: '$materials' materials, expected 2"
    ;;
capped)
    /usr/bin/time -f "%M" -o rss.txt env -u DISPLAY "$program" --seed 1 \
        --params "$data/capped.cfg" --export capped.glb 2>/dev/null || report "the export failed"
    rss=$(tail -1 rss.txt)
    echo "capped export: $(stat -c %s capped.glb) bytes, peak $rss KiB"
    # A sanitizer build's shadow memory and red zones say nothing of the program's own need.
    if [ -z "${DENDROVA_SANITIZED:-}" ]; then
        [ "$rss" -lt $((512 * 1024)) ] || report "peak memory $rss KiB"
    fi
    ;;
reproducible)
    mkdir again
    run --seed 7 --export a.glb
    run --seed 7 --export a.obj
    (cd again && run --seed 7 --export a.glb && run --seed 7 --export a.obj)
    for f in a.glb a.obj a.mtl a-bark.png a-leaf.png; do
        cmp -s "$f" "again/$f" || report "$f differs between two runs with the same seed"
    done
    run --seed 8 --export b.glb
    cmp -s a.glb b.glb && report "seeds 7 and 8 give the same tree"
    # A parameter file in the working folder is not the one --export reads, and stays
    # as it was.
    mkdir folder
    cp "$data/depth25.cfg" folder/TreeModl.Cfg
    (cd folder && run --seed 7 --export a.glb)
    cmp -s a.glb folder/a.glb || report "--export read the working folder's TreeModl.Cfg"
    cmp -s "$data/depth25.cfg" folder/TreeModl.Cfg || report "--export changed TreeModl.Cfg"
    ;;
variants)
    run --seed 11 --variants 3 --export v.glb
    run --seed 4294967294 --variants 2 --preset Fountain --export w.obj
    mkdir single
    for seed in 11 12 13; do (cd single && run --seed $seed --export v-$seed.glb); done
    for seed in 4294967294 4294967295; do
        (cd single && run --seed $seed --preset Fountain --export w-$seed.obj)
    done
    written=$(ls -p | grep -v / | paste -sd' ')
    [ "$written" = "$(ls single | paste -sd' ')" ] || report "--variants wrote: $written"
    for f in single/*; do
        cmp -s "$f" "${f#single/}" || report "${f#single/} is not the single export of its seed"
    done
    for pair in "v-11.glb v-12.glb" "v-12.glb v-13.glb" "v-11.glb v-13.glb" \
        "w-4294967294.obj w-4294967295.obj"; do
        # shellcheck disable=SC2086
        cmp -s $pair && report "$pair are alike"
    done
    # Seeds from the clock: the line that names the first grows the same trees again.
    mkdir clock && cd clock
    env -u DISPLAY -u WAYLAND_DISPLAY "$program" --variants 2 --export c.glb 2>err.txt ||
        report "--variants from the clock exited with $?"
    first=$(sed -nE 's/^dendrova: seeds ([0-9]+) to [0-9]+ from the clock; --seed \1 grows the same trees again$/\1/p' err.txt)
    if [ -z "$first" ] || [ "$(wc -l <err.txt)" -ne 1 ]; then
        report "the clock's seeds were said as: $(cat err.txt)"
    else
        mkdir again
        (cd again && run --seed "$first" --variants 2 --export c.glb)
        for seed in "$first" $((first + 1)); do
            cmp -s "c-$seed.glb" "again/c-$seed.glb" || report "c-$seed.glb did not come again"
        done
    fi
    cd ..
    ;;
*)
    echo "unknown check $check"
    exit 2
    ;;
esac
[ $fail -eq 0 ] && echo "ok: $check"
exit $fail
