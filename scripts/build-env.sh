# Sourced by the scripts that build. Keeps the compiler cache outside the
# checkout, shared by every clone on the machine, and offers:
#   build_dir_ready DIR         true when DIR is a configured build
#   configure_build DIR ARCH [cmake arguments...]
#   codexia_arch                i686 where this machine runs 32-bit programs, else x86_64
# Needs $root (the checkout) and scripts/wine-env.sh sourced first.
#   CCACHE_DIR  the cache (default /var/cache/codexia-ccache where it can be
#               written, else ccache's own default in the home folder)

# Paths under the checkout are hashed relative to the build folder, so a
# fresh clone in another folder (a CI run) reuses what an earlier clone
# compiled, and so does any build folder at the same depth (build/<name>).
if command -v ccache >/dev/null 2>&1; then
    if [ -z "${CCACHE_DIR:-}" ] && mkdir -p /var/cache/codexia-ccache 2>/dev/null \
            && [ -w /var/cache/codexia-ccache ]; then
        export CCACHE_DIR=/var/cache/codexia-ccache
    fi
    export CCACHE_BASEDIR=$root
fi

build_dir_ready() { [ -f "$1/build.ninja" ] && [ -f "$1/CMakeCache.txt" ] && maker_ready "$1"; }

# False for a 32-bit build configured before it was told which codexia-make
# runs here (see configure_build).
maker_ready() {
    can_run_32bit || ! grep -q "^CMAKE_TOOLCHAIN_FILE.*i686" "$1/CMakeCache.txt" ||
        grep -q "^CODEXIA_MAKE_BUILD:PATH=." "$1/CMakeCache.txt"
}

codexia_arch() { if can_run_32bit; then echo i686; else echo x86_64; fi; }

# A build's book is made by running its codexia-make under Wine; where this
# machine cannot run 32-bit programs, a 32-bit build's book is made by the
# 64-bit codexia-make of the x86_64 build beside it (configured here when
# missing, built by the 32-bit build when needed), which also lends it its
# build-time tools.
configure_build() {
    local dir=$1 arch=$2
    shift 2
    local maker=()
    if [ "$arch" = i686 ] && ! can_run_32bit; then
        local other
        other=$(dirname "$dir")/x86_64
        build_dir_ready "$other" || configure_build "$other" x86_64 >/dev/null
        maker=(-DCODEXIA_MAKE_BUILD="$other")
        # Its build-time tools too: they run on this machine, whatever the target.
        [[ " $* " == *" -DCODEXIA_HOST_TOOLS_DIR="* ]] || maker+=(-DCODEXIA_HOST_TOOLS_DIR="$other/host")
    fi
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" ${CODEXIA_CMAKE_ARGS:-} "${maker[@]}" "$@"
}
