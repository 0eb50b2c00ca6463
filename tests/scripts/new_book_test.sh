#!/usr/bin/env bash
# The README's "Make your own book" recipe, word for word, in a fresh copy of
# the checkout: a second book folder made from content/ with another
# identifier and title, built by dist.sh into dist/<identifier>.Exe and a zip,
# then shown by run-book.sh. Checks the executable's name, its string table
# (the launcher's metadata) and the cover in the screenshot of the window
# captioned with the new identifier.
#   new_book_test.sh
set -u
. "$(dirname "$0")/case-lib.sh"
export CODEXIA_WINEPREFIX=${WINEPREFIX:?run through scripts/test.sh}
export CODEXIA_START_TIMEOUT=120
unset DISPLAY CODEXIA_BOOK_DIR CODEXIA_BUILD_DIR

identifier=Codexia-Second_Tester-A_Second_Book
title="A Second Book"

# The checkout as a fresh clone holds it: the files git knows, as they are now.
clone=$tmp/clone
mkdir -p "$clone"
(cd "$root" && git ls-files -co --exclude-standard -z | tar --null -T - -cf -) | tar -C "$clone" -xf -

# The author's editor: the identifier and the title change.
cat >"$tmp/edit-meta" <<SH
#!/bin/sh
sed -i -e 's/^identifier *=.*/identifier = $identifier/' -e 's/^title *=.*/title = $title/' "\$1"
SH
chmod +x "$tmp/edit-meta"

# The recipe: the code block under the heading, as the README has it.
sed -n '/^## Make your own book/,/^## /p' "$root/README.md" |
    sed -n '/^```$/,/^```$/p' | sed '1d;$d' >"$tmp/recipe.sh"
[ "$(grep -c . "$tmp/recipe.sh")" -ge 4 ] || bad "the README's recipe was not found: $(cat "$tmp/recipe.sh")"
(cd "$clone" && EDITOR=$tmp/edit-meta bash -e "$tmp/recipe.sh") >"$tmp/recipe.out" 2>&1 ||
    { bad "the recipe failed:"; tail -n 30 "$tmp/recipe.out"; }

exe=$clone/dist/$identifier.Exe
if [ ! -f "$exe" ] || [ ! -f "$clone/dist/$identifier.zip" ]; then
    bad "dist/ holds no $identifier.Exe and .zip: $(ls "$clone/dist" 2>&1)"
else
    grep -qF "$identifier.Exe" "$tmp/recipe.out" || bad "ls dist/ did not list the book"
    # The zip holds the executable under its bare name.
    unzipped=$(cd "$tmp" && cmake -E tar tf "$clone/dist/$identifier.zip")
    [ "$unzipped" = "$identifier.Exe" ] || bad "the zip holds '$unzipped'"
    # The string table, read back from the executable.
    i686-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null >"$tmp/res.rc"
    for line in "5, \"\\[TIT\\] $title\"" "6, \"\\[NAM\\] $identifier.Exe\"" "4, \"\\[AUT\\] Ines Marlow\"" \
            "11, \"\\[FEA\\] \\[AUT\\] Ines Marlow \\[BOO\\] $title \\[YEA\\] 2001 \\[RAT\\] G\""; do
        grep -q "^ *$line\$" "$tmp/res.rc" || bad "the string table has no line $line"
    done
fi

# Shown first, as the README says next: its cover under its own caption.
(cd "$clone" && CODEXIA_SHOT=$tmp/shot.png CODEXIA_BOOK_DIR=mybook ./scripts/run-book.sh) >"$tmp/run.out" 2>&1
status=$?
geometry=$(sed -n 's/^window: //p' "$tmp/run.out")
if [ $status != 0 ] || [[ ! $geometry =~ ^400x400\+[0-9]+\+[0-9]+$ ]]; then
    bad "run-book.sh on the new folder exited with $status:"; tail -n 20 "$tmp/run.out"
else
    "$(dirname "$0")/cover_shown.py" "$tmp/shot.png" "$geometry" "$clone/mybook/cover.bmp" || bad "the screenshot does not show the cover at $geometry"
fi

finish "new book"
