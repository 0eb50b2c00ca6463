#!/usr/bin/env bash
# The benchmarks build, and the startup benchmark takes the book by any path
# a person types: relative to the current folder, as a Windows path, and as
# the Linux path.
#   bench_paths_test.sh <build dir> <book identifier>
# Runs inside a test session (scripts/test.sh): its display and prefix (its
# desktop lane's, under CTest).
set -u
build=$(cd "$1" && pwd) identifier=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
codexia_lane
: "${WINEPREFIX:?run through scripts/test.sh}"
# Every benchmark builds (nothing else builds them): the figures in
# bench/README.md must stay reproducible.
out=$(cmake --build "$build" --target benchmarks 2>&1) || { echo "FAILED: the benchmarks did not build:"; grep -E "error|FAILED" <<<"$out" | head -n 20; exit 1; }
exe=$build/bin/$identifier.Exe
loader=$(wine_loader_for "$exe")
failures=0
winpath="Z:${exe//\//\\}"
for book in "$exe" "$winpath" "../bin/$identifier.Exe"; do
    out=$(cd "$build/bench" && "$loader" bench_startup.exe "$book" bench_minimal_window.exe 1 2>&1)
    if ! grep -q "^ratio of medians" <<<"$out"; then
        echo "FAILED: bench_startup with $book said:"; echo "$out"; failures=$((failures + 1))
    fi
done
# A path with nothing there: one line that names it, and no timing.
out=$(cd "$build/bench" && "$loader" bench_startup.exe /no/such/book.Exe bench_minimal_window.exe 1 2>&1)
status=$?
[ $status = 2 ] && grep -q "^no file at /no/such/book.Exe" <<<"$out" ||
    { echo "FAILED: a missing book: status $status, said: $out"; failures=$((failures + 1)); }
[ $failures = 0 ] && echo "bench_startup: every path form works"
exit $((failures > 0))
