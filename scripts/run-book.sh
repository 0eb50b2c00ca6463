#!/usr/bin/env bash
# Installs what is missing, builds the sample book and starts it. Without a
# display it runs under a private X server, saves a screenshot after a few
# seconds, prints its path and ends the book.
#   CODEXIA_BOOK_DIR  another book folder to build instead of content/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/install-deps.sh
. scripts/wine-env.sh

arch=i686
can_run_32bit || arch=x86_64
dir=build/$arch
if [ ! -f "$dir/build.ninja" ] || [ -n "${CODEXIA_BOOK_DIR:-}" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" \
        ${CODEXIA_BOOK_DIR:+-DCODEXIA_BOOK_DIR="$CODEXIA_BOOK_DIR"}
fi
cmake --build "$dir" --target book
exe=$(ls "$dir"/bin/*.Exe | head -n 1)

headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    start_display
fi
ensure_prefix "$root/build/wineprefix"
export WINELOADER=$(wine_loader_for "$exe")
mkdir -p build/run
cd build/run
if [ $headless = 0 ]; then
    exec "$WINELOADER" "$exe" "$@"
fi
"$WINELOADER" "$exe" "$@" &
sleep "${CODEXIA_SHOT_DELAY:-6}"
shot=$root/build/run/screenshot.png
import -window root "$shot"
"$WINESERVER" -k >/dev/null 2>&1 || true
kill "$CODEXIA_XVFB_PID" >/dev/null 2>&1 || true
echo "screenshot: $shot"
