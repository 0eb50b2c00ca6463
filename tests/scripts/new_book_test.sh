#!/usr/bin/env bash
# The README's "Make your own book" recipe, word for word, in a fresh copy of
# the checkout: a second book folder made from content/ with another
# identifier, title, author and year (and, where pandoc is installed, the
# book replaced by the sample Markdown manuscript in Greek, Cyrillic and
# English), made by make-book.sh into <identifier>.Exe and by dist.sh into
# dist/ with a zip and the authors' kit, then shown by run-book.sh. Checks
# the string table (the launcher's metadata), the cover in the screenshot of
# the window captioned with the new identifier, and then, from outside on the
# made book: the caption, a second copy refused, the text, the close command.
#   new_book_test.sh <maker_tests.exe>
set -u
. "$(dirname "$0")/case-lib.sh"
. "$root/scripts/wine-env.sh"
# A Wine session of its own (a copy of the test prefix): the book it shows
# must not take the foreground from the tests that drive a desktop beside it.
copy_prefix "${WINEPREFIX:?run through scripts/test.sh}" "$tmp/prefix"
export CODEXIA_WINEPREFIX=$tmp/prefix
trap 'WINEPREFIX=$tmp/prefix "$WINESERVER" -k >/dev/null 2>&1; rm -rf "$tmp"' EXIT
export CODEXIA_START_TIMEOUT=120
unset DISPLAY CODEXIA_BOOK_DIR CODEXIA_BUILD_DIR

identifier=Codexia-Second_Tester-A_Second_Book
title="A Second Book"
author="Tester Second"
year=2026
maker_tests=${1:?the maker test program}

# The checkout as a fresh clone holds it: the files git knows, as they are now.
clone=$tmp/clone
mkdir -p "$clone"
(cd "$root" && git ls-files -co --exclude-standard -z | tar --null -T - -cf -) | tar -C "$clone" -xf -

# The author's editor: the names change; with pandoc at hand the book is
# replaced by the sample manuscript, as an author replaces the documents.
word=
if command -v pandoc >/dev/null 2>&1; then word=θάλασσα; fi
cat >"$tmp/edit-meta" <<SH
#!/bin/sh
sed -i -e 's/^identifier *=.*/identifier = $identifier/' -e 's/^title *=.*/title = $title/' \\
    -e 's/^author *=.*/author = $author/' -e 's/^year *=.*/year = $year/' "\$1"
if [ -n "$word" ]; then
    python3 tools/booktext/manuscript.py tools/booktext/sample-manuscript.md "\$(dirname "\$1")/book.rtf"
fi
SH
chmod +x "$tmp/edit-meta"

# The recipe: the code block under the heading, as the README has it.
sed -n '/^## Make your own book/,/^## /p' "$root/README.md" |
    sed -n '/^```$/,/^```$/p' | sed '1d;$d' >"$tmp/recipe.sh"
[ "$(grep -c . "$tmp/recipe.sh")" -ge 4 ] || bad "the README's recipe was not found: $(cat "$tmp/recipe.sh")"
# The other architecture's book, built by scripts/test.sh beside the tests,
# is waited for before dist.sh builds that architecture in the copy: its
# objects are then in the compiler cache, not compiled twice side by side.
if [ -n "${CODEXIA_OTHER_BOOK_BUILD:-}" ]; then
    { printf 'while kill -0 %s 2>/dev/null; do sleep 1; done\n' "$CODEXIA_OTHER_BOOK_BUILD"; } >"$tmp/wait-other"
    sed -i "/scripts\/dist.sh/i . $tmp/wait-other" "$tmp/recipe.sh"
fi
# Its builds run at a lower priority (scripts/test.sh): the tests beside it
# that drive a desktop wait for windows against the clock.
nice=${CODEXIA_BUILD_NICE:-5}
(cd "$clone" && EDITOR=$tmp/edit-meta nice -n "$nice" bash -e "$tmp/recipe.sh") >"$tmp/recipe.out" 2>&1 ||
    { bad "the recipe failed:"; tail -n 30 "$tmp/recipe.out"; }

exe=$clone/dist/$identifier.Exe
[ -f "$clone/$identifier.Exe" ] || bad "make-book.sh left no $identifier.Exe in the current folder"
grep -q "codexia-make: made .*$identifier.Exe" "$tmp/recipe.out" || bad "make-book.sh did not say what it made"
if [ ! -f "$exe" ] || [ ! -f "$clone/dist/$identifier.zip" ]; then
    bad "dist/ holds no $identifier.Exe and .zip: $(ls "$clone/dist" 2>&1)"
else
    # The zip holds the executable under its bare name.
    unzipped=$(cd "$tmp" && cmake -E tar tf "$clone/dist/$identifier.zip")
    [ "$unzipped" = "$identifier.Exe" ] || bad "the zip holds '$unzipped'"
    # The string table, read back from both executables.
    for made in "$exe" "$clone/$identifier.Exe"; do
        # The resource reader of the executable's own architecture.
        windres=i686-w64-mingw32-windres
        [ "$(wine_loader_for "$made")" = "$WINE64" ] && windres=x86_64-w64-mingw32-windres
        "$windres" -i "$made" -O rc 2>/dev/null >"$tmp/res.rc"
        for line in "5, \"\\[TIT\\] $title\"" "6, \"\\[NAM\\] $identifier.Exe\"" "4, \"\\[AUT\\] $author\"" \
                "7, \"\\[YEA\\] $year\"" \
                "11, \"\\[FEA\\] \\[AUT\\] $author \\[BOO\\] $title \\[YEA\\] $year \\[RAT\\] G\""; do
            grep -q "^ *$line\$" "$tmp/res.rc" || bad "$(basename "$made"): the string table has no line $line"
        done
    done
fi
# The authors' kit.
kit=$(cd "$tmp" && cmake -E tar tf "$clone/dist/codexia-kit.zip" 2>&1 | sort | tr '\n' ' ')
for f in codexia-kit/codexia-make.exe codexia-kit/codexia-reader.exe codexia-kit/AUTHORS.txt codexia-kit/sample/book.meta; do
    [[ " $kit" == *" $f "* ]] || bad "the kit has no $f: $kit"
done

# Shown first, as the README says next: its cover under its own caption.
(cd "$clone" && CODEXIA_SHOT=$tmp/shot.png CODEXIA_BOOK_DIR=mybook nice -n "$nice" ./scripts/run-book.sh) >"$tmp/run.out" 2>&1
status=$?
geometry=$(sed -n 's/^window: //p' "$tmp/run.out")
if [ $status != 0 ] || [[ ! $geometry =~ ^400x400\+[0-9]+\+[0-9]+$ ]]; then
    bad "run-book.sh on the new folder exited with $status:"; tail -n 20 "$tmp/run.out"
else
    "$(dirname "$0")/cover_shown.py" "$tmp/shot.png" "$geometry" "$clone/mybook/cover.bmp" || bad "the screenshot does not show the cover at $geometry"
fi

# The made book from outside, on a display of its own (the Wine session
# run-book.sh left is ended first: it keeps the display it started with).
WINEPREFIX=$tmp/prefix "$WINESERVER" -k >/dev/null 2>&1
WINEPREFIX=$tmp/prefix "$WINESERVER" -w >/dev/null 2>&1
start_display
made_dir=$(mktemp -d)
cp "$clone/$identifier.Exe" "$made_dir/"
WINEPREFIX=$tmp/prefix CODEXIA_MADE_BOOK=$made_dir/$identifier.Exe CODEXIA_MADE_ID=$identifier CODEXIA_MADE_WORD=$(printf %s "$word" | od -An -tx1 | tr -d ' \n') \
    "$(dirname "$0")/../wine-run.sh" "$maker_tests" --gtest_also_run_disabled_tests --gtest_filter='MadeBook.*' >"$tmp/made.out" 2>&1 ||
    { bad "the made book failed its checks:"; tail -n 30 "$tmp/made.out"; }
grep -q "PASSED.*1 test" "$tmp/made.out" || bad "the made book's checks did not run: $(tail -n 5 "$tmp/made.out")"
kill "$CODEXIA_XVFB_PID" >/dev/null 2>&1
rm -rf "$made_dir"

finish "new book"
