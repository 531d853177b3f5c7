#!/usr/bin/env bash
# Input files and checks for the command-line tests.
#   test-files.sh record OUT WIDTH HEIGHT   a valid 96-byte record (the depth-25 tree) that
#                                           stores the window size WIDTH x HEIGHT
#   test-files.sh set FILE OFFSET VALUE     writes the 32-bit VALUE (an unsigned number, the
#                                           bits of a float as well) at byte OFFSET of FILE
#   test-files.sh png-size FILE WxH         succeeds when the PNG FILE is W x H pixels
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# The four little-endian bytes of a 32-bit integer, as printf escapes.
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) \
    $(($1 >> 24 & 255)); }

case $1 in
record)
    cp "$here/../data/depth25.cfg" "$2"
    chmod u+w "$2"
    "$0" set "$2" 0 "$3"
    "$0" set "$2" 4 "$4"
    ;;
set)
    # shellcheck disable=SC2059
    printf "$(le32 "$4")" | dd of="$2" bs=1 seek="$3" conv=notrunc status=none
    ;;
png-size)
    # The width and height are the first two fields of the IHDR chunk, at byte 16.
    actual=$(od -An -tu1 -j16 -N8 "$2" | awk '{ printf "%dx%d", $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$actual" = "$3" ] || { echo "$2 is $actual, expected $3"; exit 1; }
    ;;
*)
    echo "unknown command $1" >&2
    exit 2
    ;;
esac
