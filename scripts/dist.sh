#!/usr/bin/env bash
# Builds a book for readers: the 32-bit executable (it runs on 32- and 64-bit
# Windows) and a zip of it, left in dist/ with their sizes and SHA-256.
#   scripts/dist.sh [book folder]    (default: the sample book, content/)
# Another book folder is built in build/i686-<folder name>.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
book_dir=$root/content
if [ $# -gt 0 ]; then
    book_dir=$(cd "$1" 2>/dev/null && pwd) || { echo "dist: book folder $1 not found" >&2; exit 1; }
fi
[ -f "$book_dir/book.meta" ] || { echo "dist: $book_dir has no book.meta" >&2; exit 1; }

cd "$root"
./scripts/install-deps.sh
. scripts/wine-env.sh
. scripts/build-env.sh

if [ "$book_dir" = "$root/content" ]; then
    dir=$root/build/i686
else
    dir=$root/build/i686-$(basename "$book_dir")
fi
if ! build_dir_ready "$dir" || ! grep -qxF "CODEXIA_BOOK_DIR:PATH=$book_dir" "$dir/CMakeCache.txt"; then
    extra=()
    [ "$book_dir" = "$root/content" ] || extra=(-DCODEXIA_TESTS=OFF)
    configure_build "$dir" i686 -DCODEXIA_BOOK_DIR="$book_dir" "${extra[@]}" >/dev/null
fi
cmake --build "$dir" --target dist
