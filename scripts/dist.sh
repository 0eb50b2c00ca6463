#!/usr/bin/env bash
# Builds for readers and authors, 32-bit (it runs on 32- and 64-bit Windows):
# the sample book's executable and zip, and the authors' kit (codexia-kit.zip:
# codexia-make, the reader template, the sample folder and the guide), left
# in dist/ with their sizes and SHA-256.
#   scripts/dist.sh [book folder]
# With a book folder, that book is made from the template as well, into
# dist/<identifier>.Exe and its zip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
book_dir=
if [ $# -gt 0 ]; then
    book_dir=$(cd "$1" 2>/dev/null && pwd) || { echo "dist: book folder $1 not found" >&2; exit 1; }
    [ -f "$book_dir/book.meta" ] || { echo "dist: $book_dir has no book.meta" >&2; exit 1; }
fi

cd "$root"
./scripts/install-deps.sh
. scripts/wine-env.sh
. scripts/build-env.sh

dir=$root/build/i686
build_dir_ready "$dir" || configure_build "$dir" i686 >/dev/null
cmake --build "$dir" --target dist
if [ -n "$book_dir" ] && [ "$book_dir" != "$root/content" ]; then
    # The 32-bit template, filled by a codexia-make this machine runs.
    maker=$dir/bin/codexia-make.exe
    can_run_32bit || maker=$(sed -n 's/^CODEXIA_MAKE_BUILD:PATH=//p' "$dir/CMakeCache.txt")/bin/codexia-make.exe
    identifier=$(sed -n 's/^[ \t]*identifier[ \t]*=[ \t]*\([^ \t]*\).*/\1/p' "$book_dir/book.meta")
    made=$(mktemp -d)
    trap 'rm -rf "$made"' EXIT
    ./scripts/wine-tool.sh "$maker" "$book_dir" -o "$made/${identifier:-book}.Exe" --template "$dir/bin/codexia-reader.exe"
    cmake -DEXE="$made/$identifier.Exe" -DDIST_DIR="$root/dist" -P cmake/Dist.cmake
fi
