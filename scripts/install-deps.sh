#!/usr/bin/env bash
# Installs everything the build, the program and the tests need on a Debian 12
# machine, and nothing that is already there. Safe to run again. Recommended
# packages are left out, so what Wine itself draws with is listed by name:
# fonts-wine carries the caption buttons' symbol font (Marlett) and Tahoma.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt_updated=0
fi

pkgs=(
    cmake ninja-build g++ make pkg-config
    ccache
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    googletest
    wine wine32:i386 wine64
    xvfb xauth x11-utils xdotool imagemagick
    fonts-liberation fonts-dejavu-core ghostscript
    fonts-wine
    python3
)
for p in "${pkgs[@]}"; do
    have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    echo "installing: ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
