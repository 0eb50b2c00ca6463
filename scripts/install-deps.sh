#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on a Debian 12
# machine, and nothing that is already there. Safe to run again. Recommended
# packages are left out, so what Wine itself draws with is listed by name:
# fonts-wine carries the caption buttons' symbol font (Marlett) and Tahoma.
#
# A package index that fails to update (a mirror in the middle of a sync) is
# named on one line and the lists already there are used. The 32-bit Wine
# packages are wanted, not needed: when they cannot be installed that is said
# on one line and the scripts run on the 64-bit build. Only a package that
# every build needs and that cannot be installed stops the script, with the
# reason on one line.
set -uo pipefail

say() { echo "install-deps: $*" >&2; }

# Needed by every build: the compilers, the 64-bit Wine, the display and the
# tools the tests use.
core=(
    cmake ninja-build g++ make pkg-config
    ccache lld
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    googletest
    wine wine64
    xvfb xauth x11-utils xdotool imagemagick
    fonts-liberation fonts-dejavu-core ghostscript
    fonts-wine
    python3 pandoc
)
# Runs the 32-bit book and tests where it can be had.
wanted=(wine32:i386)

# The packages of those named that are not installed, found with one query
# (every script runs this before it builds or starts anything). A name with
# an architecture (wine32:i386) matches only that architecture's package.
missing() {
    local installed p
    installed=" $(dpkg-query -W -f='${Package} ${Architecture} ${Status}\n' "$@" 2>/dev/null |
        awk '$NF == "installed" && $(NF-1) == "ok" { printf "%s %s:%s ", $1, $1, $2 }')"
    for p in "$@"; do [[ $installed == *" $p "* ]] || echo "$p"; done
}
mapfile -t need_core < <(missing "${core[@]}")
mapfile -t need_wanted < <(missing "${wanted[@]}")
# Wanted packages that could not be installed are tried again after a few
# hours, not at every build.
state=${CODEXIA_DEPS_STATE:-/var/tmp/codexia-deps-unavailable}
if [ ${#need_wanted[@]} -gt 0 ] && [ -n "$(find "$state" -mmin -360 2>/dev/null)" ]; then
    need_wanted=()
fi
[ ${#need_core[@]} -eq 0 ] && [ ${#need_wanted[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
if [ ${#need_wanted[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || say "the i386 architecture could not be added; going on without 32-bit Wine"
fi

echo "installing: ${need_core[*]} ${need_wanted[*]}"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! apt-get update -qq >"$log" 2>&1; then
    failed=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$log" | tr "\n" " " | sed "s/ $//")
    say "a package index could not be updated (${failed:-$(grep -m1 '^E:' "$log")}); going on with the lists there are"
fi

# One install: the reason apt gives, on one line, when it fails.
install() {
    apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1 && return 0
    reason=$(grep -m1 -E '^E: ' "$log" | sed 's/^E: //')
    return 1
}

reason=
if install "${need_core[@]}" "${need_wanted[@]}"; then
    rm -f "$state"
    exit 0
fi
if [ ${#need_wanted[@]} -gt 0 ]; then
    # Try the needed packages alone: the 32-bit ones may be what failed.
    if [ ${#need_core[@]} -eq 0 ] || install "${need_core[@]}"; then
        say "32-bit Wine (${need_wanted[*]}) cannot be installed (${reason:-see apt-get}); the scripts run on the 64-bit build"
        touch "$state" 2>/dev/null || true
        exit 0
    fi
fi
# Some needed package fails: install the others, and name what is missing.
for p in "${need_core[@]}"; do install "$p" >/dev/null 2>&1 || true; done
mapfile -t still < <(missing "${core[@]}")
if [ ${#still[@]} -gt 0 ]; then
    say "cannot install ${still[*]} (${reason:-see apt-get}), which every build needs"
    exit 1
fi
exit 0
