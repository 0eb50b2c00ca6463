#!/usr/bin/env bash
# Saves pictures for looking at (and for the documentation) as PNG files:
#   tests/shoot.sh <buttons|editor> [build root] [output folder]
#   buttons  the button and panel gallery (buttons_tests)
#   editor   the editor window, its menus and dialogs (editor_window_tests)
# The build root (default build) must hold the built x86_64 test program and
# a test prefix made by scripts/test.sh. The pictures are tests that only
# run when asked for, with the output folder in their environment.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/wine-env.sh
case ${1:-} in
buttons) program=buttons_tests filter='Gallery.*' ;;
editor) program=editor_window_tests filter='EditorWindowTest.DISABLED_Screenshots' ;;
*) echo "usage: tests/shoot.sh <buttons|editor> [build root] [output folder]" >&2; exit 2 ;;
esac
build_root=${2:-build}
out=${3:-$build_root/shots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
export WINEPREFIX=$root/$build_root/wineprefix WINELOADER=$WINE64
start_display
"$WINESERVER" -p
trap '"$WINESERVER" -k >/dev/null 2>&1 || true; kill "$CODEXIA_XVFB_PID" >/dev/null 2>&1 || true' EXIT
shots=$("$WINE64" winepath -w "$out" 2>/dev/null)
CODEXIA_SHOT_DIR=$shots CODEXIA_EDITOR_SHOTS=$shots \
    timeout 120 "$WINE64" "$build_root/x86_64/tests/$program.exe" --gtest_also_run_disabled_tests --gtest_filter="$filter"
for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png"
    rm -f "$bmp"
    echo "${bmp%.bmp}.png"
done
