#!/usr/bin/env bash
# The processor time a start costs, the book against the minimal window, side
# by side: each run starts a fresh Wine session, starts the program, leaves it
# alone for a while (the book streams its documents in idle time behind the
# cover) and reads the processor time of the program and of the Wine server
# the start took. A test run starts the book a hundred times and more, and
# every reader's start pays the same.
#   bench/startup/start_cpu.sh <build dir> [runs [seconds [book.Exe]]]
# The build dir is a built x86_64 build with its benchmarks (cmake --build
# <dir> --target benchmarks). Needs an X display (DISPLAY) and a Wine prefix
# (WINEPREFIX), as the benchmarks' programs do. Another book (an earlier
# build's, to compare) can be given after the seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build dir}" && pwd)
runs=${2:-3}
wait_s=${3:-8}
. "$root/scripts/wine-env.sh"
: "${DISPLAY:?an X display}" "${WINEPREFIX:?a Wine prefix}"
book=${4:-$(ls "$build"/bin/*-*.Exe | head -n 1)}
book=$(cd "$(dirname "$book")" && pwd)/$(basename "$book")
minimal=$build/bench/bench_minimal_window.exe
[ -f "$minimal" ] || { echo "start_cpu: build $minimal first (--target benchmarks)" >&2; exit 1; }

ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
hz=$(getconf CLK_TCK)

# One start: "<program ms> <server ms>".
start_once() {
    local exe=$1 server s0 pid name
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    "$WINESERVER" -p >/dev/null 2>&1
    WINELOADER=$WINE64 "$WINE64" cmd /c exit >/dev/null 2>&1 </dev/null || true
    sleep 1
    server=$(pgrep -n -x wineserver64 || pgrep -n -x wineserver)
    s0=$(ticks "$server")
    name=$(basename "$exe")
    (cd "$(dirname "$exe")" && WINELOADER=$WINE64 exec "$WINE64" "./$name" >/dev/null 2>&1 </dev/null) &
    sleep "$wait_s"
    pid=$(pgrep -x "${name:0:15}" | head -n 1 || true)
    [ -n "$pid" ] || { echo "start_cpu: $name did not stay running" >&2; exit 1; }
    echo "$(( $(ticks "$pid") * 1000 / hz )) $(( ($(ticks "$server") - s0) * 1000 / hz ))"
    "$WINESERVER" -k >/dev/null 2>&1 || true
    wait 2>/dev/null || true
}

book_runs=() minimal_runs=()
for ((k = 0; k < runs; ++k)); do
    book_runs+=("$(start_once "$book")")
    minimal_runs+=("$(start_once "$minimal")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
# report NAME "program server"...: one line; the median of both in $both.
report() {
    local name=$1 p=() s=() t=() pair
    shift
    for pair in "$@"; do
        p+=("${pair% *}") s+=("${pair#* }") t+=($(( ${pair% *} + ${pair#* } )))
    done
    both=$(median "${t[@]}")
    printf '%-16s program median %5d ms  server median %5d ms  both median %5d ms (runs: %s)\n' "$name" \
        "$(median "${p[@]}")" "$(median "${s[@]}")" "$both" "$(IFS=,; echo "${t[*]}")"
}
report book "${book_runs[@]}"
b=$both
report "minimal window" "${minimal_runs[@]}"
echo "processor time of a start, $runs runs of ${wait_s} s a side: ratio of the medians $(awk -v b="$b" -v m="$both" 'BEGIN {printf "%.2f", (m > 0 ? b / m : 0)}')"
