#!/usr/bin/env bash
# Installs what is missing, builds both Windows targets and runs every test:
# the platform-neutral tests natively, the rest under Wine on a private X display.
#   CODEXIA_BUILD_ROOT  where the builds go (default: build)
#   CODEXIA_TEST_ARCH   i686 or x86_64 (default: i686 where this machine runs
#                       32-bit programs, else x86_64)
#   CODEXIA_TEST_REGEX  run only the tests whose names match
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/install-deps.sh
. scripts/wine-env.sh

build_root=${CODEXIA_BUILD_ROOT:-build}
arch=${CODEXIA_TEST_ARCH:-}
if [ -z "$arch" ]; then
    if can_run_32bit; then arch=i686; else
        arch=x86_64
        echo "note: this machine cannot run 32-bit programs; the tests run on the x86_64 build"
    fi
fi

for a in i686 x86_64; do
    dir=$build_root/$a
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$a-w64-mingw32.cmake" ${CODEXIA_CMAKE_ARGS:-}
    fi
    cmake --build "$dir"
done

start_display
# A server left on the prefix by an earlier run (or a session by hand) would
# keep its own display and refuse a second one: end it, then start ours.
export WINEPREFIX="$root/$build_root/wineprefix"
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
ensure_prefix "$WINEPREFIX"
"$WINESERVER" -p
# Wine's background processes start with the first program; start them here,
# outside CTest's output pipes, which they would otherwise hold open.
WINELOADER=$WINE64 "$WINE64" cmd /c exit >/dev/null 2>&1 </dev/null || true
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    kill "$CODEXIA_XVFB_PID" >/dev/null 2>&1 || true
}
trap cleanup EXIT

ctest --test-dir "$build_root/$arch" --output-on-failure -j2 ${CODEXIA_TEST_REGEX:+-R "$CODEXIA_TEST_REGEX"}
