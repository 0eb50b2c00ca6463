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
. scripts/build-env.sh

build_root=$(mkdir -p "${CODEXIA_BUILD_ROOT:-build}" && cd "${CODEXIA_BUILD_ROOT:-build}" && pwd)
arch=${CODEXIA_TEST_ARCH:-}
if [ -z "$arch" ]; then
    arch=$(codexia_arch)
    [ "$arch" = i686 ] || echo "note: this machine cannot run 32-bit programs; the tests run on the x86_64 build"
fi
case $arch in i686) other=x86_64 ;; x86_64) other=i686 ;; *) echo "unknown arch $arch" >&2; exit 2 ;; esac

# The build the tests run on compiles everything (the book and every test
# program, with -Werror). The other architecture builds the book, all of its
# units with -Werror, and takes its build-time tools from the first build;
# its test programs are built on demand (cmake --build <dir>).
if [ "$arch" = i686 ] && ! can_run_32bit; then
    echo "test: the 32-bit build was asked for, but this machine cannot run 32-bit programs (is wine32:i386 installed?)" >&2
    exit 1
fi
build_dir_ready "$build_root/$arch" || configure_build "$build_root/$arch" "$arch"
cmake --build "$build_root/$arch"
build_dir_ready "$build_root/$other" ||
    configure_build "$build_root/$other" "$other" -DCODEXIA_HOST_TOOLS_DIR="$build_root/$arch/host" >/dev/null
# The other book builds while the tests run, at the lowest priority: the
# tests mostly wait for windows, and take the processor when they need it.
other_log=$build_root/$other-book.log
nice -n 19 cmake --build "$build_root/$other" --target book >"$other_log" 2>&1 &
other_build=$!

start_display
# A server left on the prefix by an earlier run (or a session by hand) would
# keep its own display and refuse a second one: end it, then start ours.
export WINEPREFIX="$build_root/wineprefix"
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
ensure_prefix "$WINEPREFIX"
"$WINESERVER" -p
# Wine's background processes start with the first program; start them here,
# outside CTest's output pipes, which they would otherwise hold open.
WINELOADER=$WINE64 "$WINE64" cmd /c exit >/dev/null 2>&1 </dev/null || true
cleanup() {
    kill "$other_build" >/dev/null 2>&1 || true
    "$WINESERVER" -k >/dev/null 2>&1 || true
    kill "$CODEXIA_XVFB_PID" >/dev/null 2>&1 || true
}
trap cleanup EXIT

status=0
ctest --test-dir "$build_root/$arch" --output-on-failure -j2 ${CODEXIA_TEST_REGEX:+-R "$CODEXIA_TEST_REGEX"} || status=$?
if wait "$other_build"; then
    echo "the $other book built: $(tail -n 1 "$other_log")"
else
    echo "the $other book did not build:"
    tail -n 40 "$other_log"
    status=1
fi
exit $status
