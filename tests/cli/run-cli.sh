#!/usr/bin/env bash
# Runs the program once as a user would from a shell, in an empty folder of its own and
# without an X server, and checks what a command-line user relies on.
# Usage: run-cli.sh <dendrova> <expected exit code> <expected files, comma-separated or
#        "-"> [arguments...]
# - the exit code is the expected one;
# - a usage error (exit 2) prints exactly one line on stderr and nothing on stdout;
# - the folder afterwards holds exactly the expected files (nothing half-written).
# With EXPECT_OUTPUT set, stdout or stderr must match that extended regular expression;
# with EXPECT_STDERR_LINES set, stderr holds that many lines.
# SETUP, when set, is a shell command run in the folder first to make input files (they
# are not counted as written); CHECK one run afterwards that must succeed.
# The word @DATA@ in an argument, SETUP or CHECK is replaced by this script's folder (test
# inputs).
set -uo pipefail
program=$1
expected=$2
files=$3
shift 3
data=$(cd "$(dirname "$0")" && pwd)
args=()
for a in "$@"; do args+=("${a//@DATA@/$data}"); done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
if [ -n "${SETUP:-}" ]; then
    eval "${SETUP//@DATA@/$data}" || { echo "FAILED: the set-up '$SETUP' failed"; exit 1; }
fi
inputs=$(ls -A)
env -u DISPLAY -u WAYLAND_DISPLAY "$program" "${args[@]}" >stdout.txt 2>stderr.txt
code=$?
fail=0
report() { echo "FAILED: $*"; fail=1; }

[ "$code" -eq "$expected" ] || report "exit code $code, expected $expected"
if [ "$expected" -eq 2 ]; then
    [ "$(wc -l <stderr.txt)" -eq 1 ] || report "stderr holds $(wc -l <stderr.txt) lines, expected one"
    [ ! -s stdout.txt ] || report "stdout is not empty"
fi
if [ -n "${EXPECT_STDERR_LINES:-}" ] && [ "$(wc -l <stderr.txt)" -ne "$EXPECT_STDERR_LINES" ]; then
    report "stderr holds $(wc -l <stderr.txt) lines, expected $EXPECT_STDERR_LINES"
fi
if [ "$expected" -ne 0 ] && [ ! -s stderr.txt ]; then
    report "a failure that says nothing on stderr"
fi

if [ -n "${EXPECT_OUTPUT:-}" ] && ! cat stdout.txt stderr.txt | grep -q -E -e "$EXPECT_OUTPUT"; then
    report "the output does not match '$EXPECT_OUTPUT'"
fi

if [ -n "${CHECK:-}" ] && ! eval "${CHECK//@DATA@/$data}"; then
    report "the check '$CHECK' failed"
fi

actual=$(ls -A | grep -v -x -e stdout.txt -e stderr.txt | sort | comm -23 - <(sort <<<"$inputs") |
    paste -sd, -)
wanted=$(if [ "$files" != "-" ]; then tr ',' '\n' <<<"$files" | sort | paste -sd, -; fi)
[ "$actual" = "$wanted" ] || report "files written: '$actual', expected '$wanted'"

echo "--- stdout"; head -c 2000 stdout.txt
echo "--- stderr"; cat stderr.txt
exit $fail
