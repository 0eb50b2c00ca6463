#!/usr/bin/env bash
# scripts/run-book.sh as a new user meets it, without a display:
#  - from the checkout root it shows the cover where the skin window is, in
#    the screenshot it saves;
#  - from another folder, with a book that ends at once, and with a book
#    folder that does not exist, it fails with one line that says why.
# The book comes from the build under test; nothing is installed or rebuilt
# when that build is up to date.
#   run_book_test.sh <build dir> <book identifier> <cover.bmp> <any Windows program that takes --gtest_list_tests>
set -u
build=$1 identifier=$2 cover=$3 quick_exe=$4
. "$(dirname "$0")/case-lib.sh"
. "$root/scripts/wine-env.sh"
codexia_lane
export CODEXIA_WINEPREFIX=${WINEPREFIX:?run through scripts/test.sh}
export CODEXIA_START_TIMEOUT=120
unset DISPLAY CODEXIA_BOOK_DIR

# 1. The README's first command, from the checkout root.
(cd "$root" && CODEXIA_BUILD_DIR=$build CODEXIA_SHOT=$tmp/shot.png ./scripts/run-book.sh) >"$tmp/out" 2>&1
status=$?
geometry=$(sed -n 's/^window: //p' "$tmp/out")
if [ $status != 0 ] || ! grep -qxF "screenshot: $tmp/shot.png" "$tmp/out" || [ ! -f "$tmp/shot.png" ]; then
    bad "run-book.sh exited with $status:"; tail -n 20 "$tmp/out"
elif [[ ! $geometry =~ ^400x400\+[0-9]+\+[0-9]+$ ]]; then
    bad "the skin window is not 400 x 400: '$geometry'"
else
    # The screenshot at the window's place against the cover picture, its cut
    # (fuchsia) pixels aside.
    "$(dirname "$0")/cover_shown.py" "$tmp/shot.png" "$geometry" "$cover" || bad "the screenshot does not show the cover at $geometry"
fi

# 2. From another folder, with a "book" that ends before showing a window:
# a stand-in build whose book is a program that lists its tests and exits.
mkdir -p "$tmp/standin/src" "$tmp/elsewhere"
cat >"$tmp/standin/src/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(standin NONE)
add_custom_target(book COMMAND \${CMAKE_COMMAND} -E make_directory "\${CMAKE_BINARY_DIR}/bin"
                  COMMAND \${CMAKE_COMMAND} -E copy "$quick_exe" "\${CMAKE_BINARY_DIR}/bin/$identifier.Exe")
CMAKE
cmake -S "$tmp/standin/src" -B "$tmp/standin/build" -G Ninja >/dev/null
(cd "$tmp/elsewhere" && CODEXIA_BUILD_DIR=../standin/build "$root/scripts/run-book.sh" --gtest_list_tests) \
    >/dev/null 2>"$tmp/err"
status=$?
if [ $status = 0 ] || [ "$(wc -l <"$tmp/err")" != 1 ] ||
        ! grep -q "^run-book: the book ended (exit status 0) before its window was shown" "$tmp/err"; then
    bad "a book that ends at once: exit $status, said:"; cat "$tmp/err"
fi

# 3. A book folder that is not there.
(cd "$tmp/elsewhere" && CODEXIA_BOOK_DIR=no-such-book "$root/scripts/run-book.sh") >/dev/null 2>"$tmp/err"
status=$?
if [ $status = 0 ] || [ "$(cat "$tmp/err")" != "run-book: book folder no-such-book not found" ]; then
    bad "a missing book folder: exit $status, said:"; cat "$tmp/err"
fi

finish "run-book.sh"
