#!/usr/bin/env bash
# CTest's emulator for the Windows test programs: runs one under Wine, in the
# test prefix and on the test display the test command set up.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/wine-env.sh"
exe=$1
shift
codexia_lane
if [ -z "${WINEPREFIX:-}" ]; then
    echo "wine-run: WINEPREFIX is not set; run the tests through scripts/test.sh" >&2
    exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "wine-run: no DISPLAY; run the tests through scripts/test.sh" >&2
    exit 2
fi
loader=$(wine_loader_for "$exe")
export WINELOADER=$loader
exec timeout --kill-after=10 "${CODEXIA_TEST_TIMEOUT:-600}" "$loader" "$exe" "$@"
