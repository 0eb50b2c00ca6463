#!/usr/bin/env bash
# Making the sample book with codexia-make against building it through the
# compiler, side by side on this machine:
#   A  codexia-make under Wine: the folder checked, the layouts compiled, the
#      template copied and its resources replaced (scripts/wine-tool.sh);
#   B  the compile route a new book folder took before the template: a fresh
#      build folder configured and the reader program built with the book's
#      resources, with the compiler cache (B warm) and without it (B cold).
#   bench/maker/bench_maker.sh <build dir> [runs of A] [cold]
# The build dir is a built x86_64 or i686 build (its bin/codexia-make.exe and
# bin/codexia-reader.exe). Prints min, median and max of each side in
# seconds and the ratio of the medians; B cold runs only when asked (minutes).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build dir}" && pwd)
runs=${2:-5}
cold=${3:-}
. "$root/scripts/wine-env.sh"
. "$root/scripts/build-env.sh"
arch=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE.*toolchain-\(.*\)-w64-mingw32.cmake$/\1/p' "$build/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

stats() {  # name, seconds...
    local name=$1
    shift
    printf '%s\n' "$@" | sort -n | awk -v n="$name" '{v[NR]=$1} END {
        m = NR % 2 ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2
        printf "%-34s runs %d  min %.2f s  median %.2f s  max %.2f s\n", n, NR, v[1], m, v[NR]; print m > "/dev/stderr" }'
}
timed() {  # command... -> seconds on stdout
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", b - a }'
}

# A warm-up: Wine's tool prefix made, the files in the page cache.
"$root/scripts/wine-tool.sh" "$build/bin/codexia-make.exe" "$root/content" -o "$work/warm.Exe" \
    --template "$build/bin/codexia-reader.exe" >/dev/null
a=()
for ((k = 0; k < runs; ++k)); do
    a+=("$(timed "$root/scripts/wine-tool.sh" "$build/bin/codexia-make.exe" "$root/content" -o "$work/a$k.Exe" \
        --template "$build/bin/codexia-reader.exe")")
done
stats "A codexia-make" "${a[@]}" 2>"$work/ma"
ma=$(cat "$work/ma")

route() {  # the compile route into a fresh build folder
    local dir=$work/b-$1
    rm -rf "$dir"
    configure_build "$dir" "$arch" -DCODEXIA_TESTS=OFF -DCODEXIA_HOST_TOOLS_DIR="$build/host" &&
        cmake --build "$dir" --target reader codexia_resources
}
mb=$(timed route warm)
stats "B compile route, compiler cache" "$mb" 2>/dev/null
echo "ratio B warm / A: $(awk -v b="$mb" -v a="$ma" 'BEGIN { printf "%.1f", b / a }')"
if [ -n "$cold" ]; then
    mc=$(CCACHE_DISABLE=1 timed route cold)
    stats "B compile route, no compiler cache" "$mc" 2>/dev/null
    echo "ratio B cold / A: $(awk -v b="$mc" -v a="$ma" 'BEGIN { printf "%.1f", b / a }')"
fi
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
