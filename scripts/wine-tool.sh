#!/usr/bin/env bash
# Runs one of the build's Windows console programs (the book maker) under
# Wine, in a Wine prefix kept for such tools and without a display:
#   scripts/wine-tool.sh PROGRAM.exe [arguments...]
# Arguments that are absolute Linux paths are given as Wine's drive Z: paths.
#   CODEXIA_TOOL_PREFIX  the prefix (default: build/wineprefix-tool in the checkout)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
[ $# -ge 1 ] || { echo "usage: wine-tool.sh PROGRAM.exe [arguments...]" >&2; exit 2; }
exe=$1
shift
export WINEPREFIX=${CODEXIA_TOOL_PREFIX:-$root/build/wineprefix-tool}
unset DISPLAY
if [ ! -f "$WINEPREFIX/.codexia-tool-ready" ]; then
    # Made once, by whichever build gets here first.
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.codexia-tool-ready" ]; then
            rm -rf "$WINEPREFIX"
            mkdir -p "$WINEPREFIX"
            WINELOADER=$WINE64 "$WINE64" wineboot -i >/dev/null 2>&1 || true
            "$WINESERVER" -w
            touch "$WINEPREFIX/.codexia-tool-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi
loader=$(wine_loader_for "$exe")
args=()
for a in "$@"; do
    case $a in /*) a="Z:${a//\//\\}" ;; esac
    args+=("$a")
done
WINELOADER=$loader "$loader" "$exe" "${args[@]}"
