#!/usr/bin/env bash
# Command-line cases that need more than one run: how --params opens its file, file names
# that are not valid UTF-8, and values that must come back exactly.
# Usage: params-cases.sh <dendrova> <pipes | raw-names | negative-zero> <swap-fifo>
set -uo pipefail
program=$1
swapper_program=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
fail=0
report() { echo "FAILED: $*"; fail=1; }
run() { timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$@"; }

case $2 in
pipes)
    # A pipe is read once, as a whole.
    run --params <(cat "$here/shared-tree.json") --seed 3 --export pipe.glb 2>/dev/null ||
        report "--params from a pipe failed"
    run --params "$here/shared-tree.json" --seed 3 --export file.glb 2>/dev/null
    cmp -s pipe.glb file.glb || report "the tree from the pipe differs from the one from the file"
    # A FIFO nobody writes to reads as empty: refused at once.
    mkfifo lonely.json
    run --params lonely.json --export lonely.glb 2>err.txt
    code=$?
    [ "$code" -eq 2 ] || report "a FIFO without a writer: exit $code, expected 2"
    grep -q "not a parameter file" err.txt || report "a FIFO without a writer: $(cat err.txt)"
    rm lonely.json
    # The name switched between a regular file and a FIFO while the program reads it: it
    # must never wait for a writer. (The bad --export ends each run right after reading.)
    "$swapper_program" swapped.json '{"Leaf Size": 2}' &
    swapper=$!
    hung=0
    for _ in $(seq 80); do
        timeout 5 env -u DISPLAY "$program" --params swapped.json --export x.stl 2>/dev/null
        [ $? -ne 124 ] || hung=$((hung + 1))
    done
    kill "$swapper"
    wait "$swapper" 2>/dev/null
    [ "$hung" -eq 0 ] || report "$hung of 80 runs hung on a FIFO swapped in"
    ;;
raw-names)
    # The exact bytes of a name that is not valid UTF-8 are the name written, and a file
    # whose name is that name with U+FFFD in place of the byte stays as it was.
    echo "keep" > $'a\xef\xbf\xbd.glb'
    run --seed 1 --export $'a\xe9.glb' || report "the export to a\\xe9.glb failed"
    [ -s $'a\xe9.glb' ] || report "a\\xe9.glb was not written"
    [ "$(cat $'a\xef\xbf\xbd.glb')" = "keep" ] || report "a\\xef\\xbf\\xbd.glb was overwritten"
    cp "$here/shared-tree.json" $'b\xe9.json'
    run --params $'b\xe9.json' --export b.glb 2>/dev/null || report "--params b\\xe9.json failed"
    # A name in a message is shown with the byte escaped, on one line.
    run --params $'c\xe9\n.json' --export c.glb 2>err.txt
    [ "$(wc -l <err.txt)" -eq 1 ] || report "the message holds $(wc -l <err.txt) lines"
    grep -q -F "'c\\xe9\\n.json'" err.txt || report "the name is not shown escaped: $(cat err.txt)"
    ;;
negative-zero)
    # A record holding -0 and a JSON file holding the same values give the same tree.
    "$here/test-files.sh" record zero.cfg 540 350
    negative=2147483648 # the bits of -0.0f
    for offset in 24 36 60 80 92; do # camera x and elevation, twist, leaf angle, leaf shadow
        "$here/test-files.sh" set zero.cfg $offset $negative
    done
    cat > zero.json <<'JSON'
{"Tree Total Depth": 25, "SEG. Twist Angle": -0, "Leaf Expand Angle": -0,
 "Leaf Shadow Density": -0}
JSON
    run --params zero.cfg --seed 1 --export record.glb || report "the record was refused"
    run --params zero.json --seed 1 --export json.glb || report "the JSON file was refused"
    cmp -s record.glb json.glb || report "the record and the JSON file give different trees"
    ;;
*)
    report "unknown case $2"
    ;;
esac
exit $fail
