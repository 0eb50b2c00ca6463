#!/usr/bin/env bash
# Installs what is missing, builds both Windows targets and runs every test:
# the platform-neutral tests natively, the rest under Wine on a private X display.
#   CODEXIA_BUILD_ROOT  where the builds go (default: build)
#   CODEXIA_TEST_ARCH   i686 or x86_64 (default: i686 where this machine runs
#                       32-bit programs, else x86_64)
#   CODEXIA_TEST_REGEX  run only the tests whose names match
#   CODEXIA_TEST_LANES  desktop lanes, tests that drive the desktop side by side (default 4)
#   CODEXIA_TEST_JOBS   tests at once (default: as many as the lanes)
#   CODEXIA_NO_SKIPS    1: a skipped test fails the run (the CI run sets it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/install-deps.sh
. scripts/wine-env.sh
. scripts/build-env.sh

# Where python3 is a version manager's shim (pyenv), every call starts a
# dozen shell processes before the interpreter: the tests call the
# interpreter it stands for, through a link of their own first on the PATH.
python=$(python3 -c 'import sys; print(sys.executable)' 2>/dev/null || true)
if [ -n "$python" ] && [ "$(command -v python3)" != "$python" ]; then
    shortcuts=$(mkdir -p "${CODEXIA_BUILD_ROOT:-build}/shortcuts" && cd "${CODEXIA_BUILD_ROOT:-build}/shortcuts" && pwd)
    ln -sf "$python" "$shortcuts/python3"
    export PATH=$shortcuts:$PATH
fi

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
# Tests that use the mouse, the keyboard or the foreground window take a
# desktop lane each (CTest's resource "desktop"): an X display and a Wine
# session of their own, so that they run side by side. Every other
# Windows test runs on one more display and session, where the windows it
# shows cannot take the foreground from a lane's menu or dialog.
lanes=${CODEXIA_TEST_LANES:-4}
start_display
xvfb_pids=("$CODEXIA_XVFB_PID")
common_display=$DISPLAY
prefixes=("$build_root/wineprefix")
displays=("$common_display")
mkdir -p "$build_root/$arch"
lanes_file=$build_root/$arch/desktop-lanes.json
entries=
for ((lane = 0; lane < lanes; ++lane)); do
    start_display
    xvfb_pids+=("$CODEXIA_XVFB_PID")
    prefix=$build_root/wineprefix-lane$lane
    prefixes+=("$prefix")
    displays+=("$DISPLAY")
    export "CODEXIA_LANE_${lane}_DISPLAY=$DISPLAY" "CODEXIA_LANE_${lane}_PREFIX=$prefix"
    entries+="${entries:+,}{\"id\":\"$lane\",\"slots\":1}"
done
printf '{"version":{"major":1,"minor":0},"local":[{"desktop":[%s]}]}\n' "$entries" >"$lanes_file"
# The prefixes and their Wine sessions are made ready while the programs
# build (a new prefix takes some fifteen seconds, a session a few): a server
# left on a prefix by an earlier run (or a session by hand) would keep its
# own display and refuse a second one, so it is ended first. Wine's
# background processes start with the first program; they start here,
# outside CTest's output pipes, which they would otherwise hold open: every
# session at once.
(
    for prefix in "${prefixes[@]}"; do
        (WINEPREFIX=$prefix "$WINESERVER" -k; WINEPREFIX=$prefix "$WINESERVER" -w) >/dev/null 2>&1 &
    done
    wait
    ensure_prefix "${prefixes[0]}" >/dev/null 2>&1
    for prefix in "${prefixes[@]:1}"; do copy_prefix "${prefixes[0]}" "$prefix"; done
    for ((i = ${#prefixes[@]} - 1; i >= 0; --i)); do
        (
            export WINEPREFIX=${prefixes[$i]} DISPLAY=${displays[$i]}
            "$WINESERVER" -p
            WINELOADER=$WINE64 "$WINE64" cmd /c exit >/dev/null 2>&1 </dev/null || true
        ) &
    done
    wait
) </dev/null >"$build_root/wine-sessions.log" 2>&1 &
sessions=$!
build_dir_ready "$build_root/$arch" || configure_build "$build_root/$arch" "$arch"
cmake --build "$build_root/$arch"
build_dir_ready "$build_root/$other" ||
    configure_build "$build_root/$other" "$other" -DCODEXIA_HOST_TOOLS_DIR="$build_root/$arch/host" >/dev/null
# The other book builds while the tests run, at a lower priority than the
# tests, which wait for windows against the clock; not the lowest, as the
# own-book test waits for this build and would hold up the end of the run
# (CODEXIA_BUILD_NICE, default 5, is the niceness of both). Where that book
# has not been built yet (a fresh clone), its whole compile builds first
# instead: beside four lanes of tests it left the machine so short of
# processor time that a test waiting for a window ran out of it.
export CODEXIA_BUILD_NICE=${CODEXIA_BUILD_NICE:-5}
other_log=$build_root/$other-book.log
if ! ls "$build_root/$other"/bin/*-*.Exe >/dev/null 2>&1; then
    echo "test: the $other book is built first (its build is new)"
    other_build=
    other_status=0
    cmake --build "$build_root/$other" --target book >"$other_log" 2>&1 || other_status=$?
else
    nice -n "$CODEXIA_BUILD_NICE" cmake --build "$build_root/$other" --target book >"$other_log" 2>&1 &
    other_build=$!
fi
# The test of the README's recipe builds both architectures' books in a copy
# of the checkout from the compiler cache: it waits for this build, so that
# the two do not compile the same sources side by side on a cold cache.
export CODEXIA_OTHER_BOOK_BUILD=$other_build

cleanup() {
    [ -z "$other_build" ] || kill "$other_build" >/dev/null 2>&1 || true
    kill "$sessions" >/dev/null 2>&1 || true
    local ending=()
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX=$prefix "$WINESERVER" -k >/dev/null 2>&1 &
        ending+=($!)
    done
    wait "${ending[@]}"
    kill "${xvfb_pids[@]}" >/dev/null 2>&1 || true
}
trap cleanup EXIT

wait "$sessions" || { echo "test: the Wine prefixes were not made ready:" >&2; tail -n 20 "$build_root/wine-sessions.log" >&2; exit 1; }
export WINEPREFIX=${prefixes[0]} DISPLAY=${displays[0]}

status=0
ctest_log=$build_root/$arch/ctest-output.log
ctest --test-dir "$build_root/$arch" --output-on-failure -j"${CODEXIA_TEST_JOBS:-$lanes}" --resource-spec-file "$lanes_file" ${CODEXIA_TEST_REGEX:+-R "$CODEXIA_TEST_REGEX"} 2>&1 |
    tee "$ctest_log" || status=$?
# A skipped test found something it needs missing (a printer, a tool). Each
# is named; where every test is needed (CODEXIA_NO_SKIPS=1, as the CI run
# sets it), a skip fails the run.
if grep -q "(Skipped)" "$ctest_log"; then
    echo "skipped: $(grep "(Skipped)" "$ctest_log" | sed 's/^[[:space:]]*[0-9]* - //; s/ (Skipped)//' | tr '\n' ' ')"
    if [ "${CODEXIA_NO_SKIPS:-0}" = 1 ]; then
        echo "test: every test is needed here (CODEXIA_NO_SKIPS=1), and some were skipped" >&2
        status=1
    fi
fi
if [ -n "$other_build" ]; then other_status=0; wait "$other_build" || other_status=$?; fi
if [ "$other_status" = 0 ]; then
    echo "the $other book built: $(tail -n 1 "$other_log")"
else
    echo "the $other book did not build:"
    tail -n 40 "$other_log"
    status=1
fi
exit $status
