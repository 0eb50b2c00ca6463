#!/usr/bin/env bash
# Saves the button and panel gallery as PNG for looking at:
#   tests/buttons/shoot.sh [build root] [output folder]
# The build root (default build) must hold a built x86_64/tests/buttons_tests.exe
# and a test prefix made by scripts/test.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
. scripts/wine-env.sh
build_root=${1:-build}
out=${2:-$build_root/shots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
export WINEPREFIX=$root/$build_root/wineprefix WINELOADER=$WINE64
start_display
"$WINESERVER" -p
trap '"$WINESERVER" -k >/dev/null 2>&1 || true; kill "$CODEXIA_XVFB_PID" >/dev/null 2>&1 || true' EXIT
CODEXIA_SHOT_DIR=$("$WINE64" winepath -w "$out" 2>/dev/null) \
    timeout 120 "$WINE64" "$build_root/x86_64/tests/buttons_tests.exe" --gtest_filter='Gallery.*'
convert "$out/buttons_gallery.bmp" "$out/buttons_gallery.png"
rm -f "$out/buttons_gallery.bmp"
echo "$out/buttons_gallery.png"
