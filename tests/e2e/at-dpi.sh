#!/usr/bin/env bash
# usage: at-dpi.sh <dpi> <test program> [arguments]
# Runs a Windows test program as tests/wine-run.sh does, but in a copy of the
# test prefix whose desktop is set to <dpi> (the user's LogPixels), so the
# shared prefix keeps 96 DPI for every other test.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/scripts/wine-env.sh"
dpi=$1
shift
codexia_lane
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
    echo "at-dpi: WINEPREFIX and DISPLAY must be set; run the tests through scripts/test.sh" >&2
    exit 2
fi
prefix="${WINEPREFIX%/}-dpi$dpi"
copy_prefix "$WINEPREFIX" "$prefix"
export WINEPREFIX=$prefix
current=$(grep -m1 -i '^"LogPixels"=dword:' "$prefix/user.reg" 2>/dev/null | sed 's/.*dword://')
if [ "$((16#${current:-0}))" != "$dpi" ]; then
    WINELOADER=$WINE64 "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    "$WINESERVER" -w
fi
# The lane is chosen already: wine-run.sh must not choose the shared prefix again.
unset CTEST_RESOURCE_GROUP_0_DESKTOP
exec "$here/tests/wine-run.sh" "$@"
