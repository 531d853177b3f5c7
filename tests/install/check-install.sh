#!/usr/bin/env bash
# Installs the built program into a staging folder as `make install` does, checks the
# installed files with the desktop's own validators, reads the manual page, starts the
# program through its menu entry as a desktop would, then uninstalls and checks that
# nothing is left. Runs on the X server of this test (xvfb-run).
# Usage: check-install.sh <build folder> <source folder> <version>
set -euo pipefail
build=$1
source=$2
version=$3
stage=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$stage" "$home"' EXIT

fail=0
check() { # description, condition
    if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
share=$stage/usr/share
desktop=$share/applications/dendrova.desktop
metainfo=$(ls "$share"/metainfo/*.metainfo.xml)

check "the menu entry is valid" "desktop-file-validate '$desktop'"
check "the metainfo is valid" "appstreamcli validate --no-net '$metainfo' >/dev/null"
check "metainfo, menu entry and icon agree" "appstreamcli validate-tree --no-net '$stage' >/dev/null"
for size in 16 32 48 64 128 256; do
    icon=$share/icons/hicolor/${size}x${size}/apps/dendrova.png
    check "the ${size}px icon" "[ \"\$(identify -format %wx%h '$icon')\" = ${size}x${size} ]"
done
check "the scalable icon" "[ -s '$share/icons/hicolor/scalable/apps/dendrova.svg' ]"

page=$share/man/man1/dendrova.1.gz
man_text=$(MANWIDTH=80 man --warnings -l "$page" 2>"$home/man-warnings")
check "the manual page renders without warnings" "[ ! -s '$home/man-warnings' ]"
for heading in NAME SYNOPSIS OPTIONS KEYS FILES "EXIT STATUS"; do
    check "the manual page has $heading" "grep -q '^$heading' <<<\"\$man_text\""
done
check "the manual page lists --version" "grep -q -- --version <<<\"\$man_text\""

program=$stage/usr/bin/dendrova
check "the installed program tells its version" "timeout 20 '$program' --version | grep -q '$version'"
check "the metainfo names this release" "grep -q 'release version=\"$version\"' '$metainfo'"
check "the changelog names this release" \
    "zcat '$share/doc/dendrova/changelog.gz' | head -n 1 | grep -q '($version)'"

# The menu entry starts the launcher, which runs the program in the configuration folder:
# the settings land there, not in the folder a desktop starts programs in (home).
launcher=$stage$(sed -n 's/^Exec=//p' "$desktop")
(cd "$home" && HOME=$home XDG_CONFIG_HOME="$home/my config" "$launcher") &
pid=$!
window=""
for _ in $(seq 1 150); do
    window=$(xdotool search --name "Dendrova on" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
check "the menu entry opens the viewer" "[ -n '$window' ]"
# Escape closes the window on the key press, so sending the release may fail: ignored.
[ -n "$window" ] && xdotool key --window "$window" Escape 2>/dev/null || true
for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
check "Escape closes it" "! kill -0 $pid 2>/dev/null"
kill "$pid" 2>/dev/null || true
wait "$pid" || true
check "the settings land in the configuration folder" \
    "[ \"\$(stat -c %s '$home/my config/dendrova/TreeModl.Cfg' 2>/dev/null)\" = 96 ]"
check "and not in the home folder" "[ ! -e '$home/TreeModl.Cfg' ]"
# Without XDG_CONFIG_HOME, or with a relative one, the folder is ~/.config/dendrova.
(cd "$home" && HOME=$home XDG_CONFIG_HOME=relative timeout 20 "$launcher" --version >/dev/null)
check "the default configuration folder is made" "[ -d '$home/.config/dendrova' ]"
check "a relative XDG_CONFIG_HOME is ignored" "[ ! -e '$home/relative' ]"

DESTDIR=$stage cmake -DRECORDS="$build/installed" -DPREFIX=/usr \
    -P "$source/packaging/Uninstall.cmake" >/dev/null
check "uninstalling leaves nothing, not even an empty folder" "[ -z \"\$(ls -A '$stage')\" ]"
exit $fail
