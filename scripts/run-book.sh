#!/usr/bin/env bash
# Installs what is missing, builds the book (only what changed) and starts it
# in build/run, from any current directory. With a display the book runs in
# the foreground. Without one it runs on a private X server: the script waits
# until the skin window is on screen and painted, saves a screenshot, prints
# its path and the window's place, and ends the book; when the book does not
# start or shows nothing it says why on one line and exits non-zero.
#   CODEXIA_BOOK_DIR   another book folder to show instead of content/ (made
#                      with make-book.sh into build/books/<identifier>.Exe)
#   CODEXIA_BUILD_DIR  a configured build to take the book from
#   CODEXIA_SHOT       where the screenshot goes (default build/run/screenshot.png)
#   CODEXIA_START_TIMEOUT  seconds to wait for the window (default 60)
#   CODEXIA_WINEPREFIX  the Wine prefix (default build/wineprefix, made when missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "run-book: $*" >&2; exit 1; }

# Paths the caller gave are relative to the caller's directory.
book_dir=$root/content
if [ -n "${CODEXIA_BOOK_DIR:-}" ]; then
    book_dir=$(cd "$CODEXIA_BOOK_DIR" 2>/dev/null && pwd) || fail "book folder $CODEXIA_BOOK_DIR not found"
fi
[ -f "$book_dir/book.meta" ] || fail "$book_dir has no book.meta"
shot=${CODEXIA_SHOT:-$root/build/run/screenshot.png}
case $shot in /*) ;; *) shot=$PWD/$shot ;; esac
prefix=${CODEXIA_WINEPREFIX:-$root/build/wineprefix}
case $prefix in /*) ;; *) prefix=$PWD/$prefix ;; esac
build_dir=${CODEXIA_BUILD_DIR:-}
if [ -n "$build_dir" ]; then
    build_dir=$(cd "$build_dir" 2>/dev/null && pwd) || fail "build folder $CODEXIA_BUILD_DIR not found"
    # The book that build was made for.
    cached=$(sed -n 's/^CODEXIA_BOOK_DIR:PATH=//p' "$build_dir/CMakeCache.txt" 2>/dev/null || true)
    [ -n "$cached" ] && [ -f "$cached/book.meta" ] && book_dir=$cached
fi

cd "$root"
./scripts/install-deps.sh
. scripts/wine-env.sh
. scripts/build-env.sh

arch=$(codexia_arch)
identifier=$(sed -n 's/^[ \t]*identifier[ \t]*=[ \t]*\([^ \t]*\).*/\1/p' "$book_dir/book.meta")
if [ -n "$build_dir" ] || [ "$book_dir" = "$root/content" ]; then
    # The build's own book.
    build_dir=${build_dir:-$root/build/$arch}
    build_dir_ready "$build_dir" || configure_build "$build_dir" "$arch" >/dev/null ||
        fail "the build could not be set up (see above)"
    cmake --build "$build_dir" --target book || fail "the book did not build (see above)"
    exe=$build_dir/bin/$identifier.Exe
else
    # Another book folder: made from the build's reader template, as an
    # author makes it.
    mkdir -p "$root/build/books"
    exe=$root/build/books/$identifier.Exe
    ./scripts/make-book.sh "$book_dir" -o "$exe" || fail "the book could not be made from $book_dir (see above)"
fi
[ -f "$exe" ] || fail "no book was left at $exe"

headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    start_display
fi
ensure_prefix "$prefix"
export WINELOADER=$(wine_loader_for "$exe")
mkdir -p "$root/build/run"
cd "$root/build/run"
if [ $headless = 0 ]; then
    exec "$WINELOADER" "$exe" "$@"
fi

# Headless: the book on the private display, watched until its skin window
# (captioned with the identifier) is mapped and shows more than one colour.
log=$root/build/run/book.log
"$WINELOADER" "$exe" "$@" >"$log" 2>&1 &
book=$!
# Only the book is ended: the prefix's server may be serving other programs
# (a test session); Wine's own helpers end with the last program.
finish() {
    kill "$book" >/dev/null 2>&1 || true
    wait "$book" 2>/dev/null || true
    kill "$CODEXIA_XVFB_PID" >/dev/null 2>&1 || true
}
trap finish EXIT

mkdir -p "$(dirname "$shot")"
deadline=$((SECONDS + ${CODEXIA_START_TIMEOUT:-60}))
geometry=
while :; do
    if ! kill -0 "$book" 2>/dev/null; then
        status=0
        wait "$book" || status=$?
        last=$(grep -v '^$' "$log" | tail -n 1 || true)
        fail "the book ended (exit status $status) before its window was shown${last:+: $last}"
    fi
    if [ -z "$geometry" ]; then
        wid=$(xdotool search --onlyvisible --name "^$identifier\$" 2>/dev/null | head -n 1 || true)
        if [ -n "$wid" ]; then
            eval "$(xdotool getwindowgeometry --shell "$wid")"
            geometry=${WIDTH}x${HEIGHT}+${X}+${Y}
        fi
    fi
    if [ -n "$geometry" ]; then
        import -window root "$shot"
        # A window not yet painted is one flat colour.
        spread=$(convert "$shot" -crop "$geometry" +repage -format '%[fx:standard_deviation>0.02]' info:)
        [ "$spread" = 1 ] && break
    fi
    if [ $SECONDS -ge $deadline ]; then
        if [ -z "$geometry" ]; then
            fail "no window captioned $identifier appeared within ${CODEXIA_START_TIMEOUT:-60} s"
        fi
        fail "the window $identifier stayed blank for ${CODEXIA_START_TIMEOUT:-60} s (screenshot: $shot)"
    fi
    sleep 0.2
done
echo "screenshot: $shot"
echo "window: $geometry"
