#!/usr/bin/env bash
# Runs one reader of stored data under clang's coverage-guided fuzzer, with
# the address and undefined-behaviour sanitizers, for a given time:
#   scripts/fuzz.sh <layout|picture|region|document|all> <seconds>
# Inputs are at most 64 KiB; one allocation above 64 MiB counts as a finding,
# and so does a process grown past 256 MiB (the sanitizers' own shadow memory
# and the fuzzer's corpus take some 40 to 70 MiB of that by themselves). Seeds come from
# fuzz/corpus/<target>/ (made from the real layouts by fuzz/MakeSeeds.cpp);
# what the fuzzer learns stays in build/fuzz/corpus/<target>/; inputs that
# fail are written to fuzz/crashes/<target>/, which the test suite replays.
# The compiler and its fuzzing runtime are installed here when missing (the
# tests do not need them). The run is niced: the machine is shared.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
target=${1:?usage: scripts/fuzz.sh <layout|picture|region|document|all> <seconds>}
seconds=${2:?usage: scripts/fuzz.sh <target> <seconds>}
targets=(layout picture region document)
if [ "$target" = all ]; then
    for t in "${targets[@]}"; do "$0" "$t" "$seconds"; done
    exit 0
fi
case " ${targets[*]} " in *" $target "*) ;; *) echo "unknown target: $target" >&2; exit 2 ;; esac

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
need=()
for p in clang libclang-rt-14-dev; do have_pkg "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
    echo "installing: ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

out=$root/build/fuzz
mkdir -p "$out/obj" "$out/corpus/$target" "fuzz/crashes/$target"
cxx="clang++"
command -v ccache >/dev/null && cxx="ccache clang++"
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined
       -Wall -Wextra -Werror -Isrc/framework -Isrc/framework/core -Isrc/components/imageform/core)
sources=(fuzz/Targets.cpp src/framework/Classes.cpp src/framework/core/LayoutStream.cpp
         src/framework/core/Convert.cpp src/framework/core/BmpFile.cpp src/components/imageform/core/RegionBands.cpp
         src/framework/core/StoredData.cpp)
objects=()
for s in "${sources[@]}"; do
    o=$out/obj/$(echo "$s" | tr / _).o
    if [ ! -f "$o" ] || [ "$s" -nt "$o" ] || [ -n "$(find src/framework src/components/imageform/core fuzz -name '*.h' -newer "$o" -print -quit)" ]; then
        nice -n 19 $cxx "${flags[@]}" -fsanitize=fuzzer-no-link -c "$s" -o "$o"
    fi
    objects+=("$o")
done
exe=$out/fuzz_$target
nice -n 19 $cxx "${flags[@]}" -fsanitize=fuzzer -DCODEXIA_FUZZ_TARGET="\"$target\"" fuzz/FuzzMain.cpp "${objects[@]}" -o "$exe"

# A smaller quarantine of freed memory keeps the process's size near what
# the readers themselves use.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
log=$out/$target.log
echo "fuzzing $target for $seconds s (log: $log)"
set +e
nice -n 19 "$exe" -max_len=65536 -rss_limit_mb=256 -malloc_limit_mb=64 -timeout=10 \
    -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="fuzz/crashes/$target/" "$out/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1
rc=$?
set -e
grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|Done )" "$log" || true
grep -E "ERROR: |runtime error|SUMMARY" "$log" | head -20 || true
ls "fuzz/crashes/$target" 2>/dev/null | sed 's/^/finding: /'
exit $rc
