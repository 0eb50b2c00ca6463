#!/usr/bin/env bash
# Makes a book from a book folder with codexia-make under Wine: the folder is
# checked whole and put into a copy of the reader template, in seconds.
#   scripts/make-book.sh <book folder> [-o <file>.Exe]
# The book goes to <identifier>.Exe in the current directory unless -o names
# another file. The first run installs what is missing and builds the
# template and codexia-make (build/<arch>: the 32-bit ones where this machine
# runs 32-bit programs, else the 64-bit ones); later runs only make books.
#   CODEXIA_BUILD_ROOT  where the builds are (default: build in the checkout)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: make-book.sh <book folder> [-o <file>.Exe]" >&2; exit 2; }
# Paths the caller gave are relative to the caller's directory.
caller=$PWD
args=()
for a in "$@"; do
    case $a in
        -*|/*) ;;
        *) a=$caller/$a ;;
    esac
    args+=("$a")
done

(
    cd "$root"
    ./scripts/install-deps.sh
) >&2
. "$root/scripts/wine-env.sh"
. "$root/scripts/build-env.sh"
build_root=${CODEXIA_BUILD_ROOT:-$root/build}
case $build_root in /*) ;; *) build_root=$caller/$build_root ;; esac
dir=$build_root/$(codexia_arch)
if ! build_dir_ready "$dir"; then
    configure_build "$dir" "$(codexia_arch)" >/dev/null || { echo "make-book: the build could not be set up" >&2; exit 1; }
fi
cmake --build "$dir" --target codexia-make reader >&2 || { echo "make-book: codexia-make did not build" >&2; exit 1; }
cd "$caller"
exec "$root/scripts/wine-tool.sh" "$dir/bin/codexia-make.exe" --template "$dir/bin/codexia-reader.exe" "${args[@]}"
