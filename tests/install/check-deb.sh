#!/usr/bin/env bash
# Builds the Debian package as `make deb` does, into a folder of its own, and checks it
# with lintian: no errors and no warnings.
# Usage: check-deb.sh <build folder>
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/dendrova_*.deb)
dpkg-deb -f "$deb" Package Version Section Maintainer Depends Recommends
# Qt's Wayland plugin is recommended: without it a Wayland desktop runs the viewer only
# through XWayland.
dpkg-deb -f "$deb" Recommends | grep -q -w qt6-wayland || { echo "qt6-wayland is not recommended"; exit 1; }
lintian --fail-on error,warning "$deb"
