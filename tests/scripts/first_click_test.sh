#!/usr/bin/env bash
# One click of the X server's own pointer on "Read", right after a fresh start,
# opens the reading window: every start, with the skin window active and with
# another program's window holding the focus at the moment of the click.
#   first_click_test.sh <build dir> <book identifier> [starts per case, default 5]
# Runs inside a test session (scripts/test.sh): its display and prefix (its
# desktop lane's, under CTest).
set -u
build=$(cd "$1" && pwd) identifier=$2 starts=${3:-5}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
codexia_lane
: "${WINEPREFIX:?run through scripts/test.sh}"
: "${DISPLAY:?run through scripts/test.sh}"
exe=$build/bin/$identifier.Exe
loader=$(wine_loader_for "$exe")
tmp=$(mktemp -d)
book=
other=
cleanup() {
    [ -n "$book" ] && kill "$book" >/dev/null 2>&1
    [ -n "$other" ] && kill "$other" >/dev/null 2>&1
    wait >/dev/null 2>&1
    rm -rf "$tmp"
}
trap cleanup EXIT
failures=0

# Waits (up to 60 s) for a visible window with exactly this caption; prints its id.
wait_window() {
    local name=$1 deadline=$((SECONDS + 60)) w
    while [ $SECONDS -lt $deadline ]; do
        w=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -n 1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.05
    done
    return 1
}

# The reading window's caption is the book's title and author: any second
# visible window of the book with a caption other than the skin's.
reading_opened() {
    local deadline=$((SECONDS + 10)) w n
    while [ $SECONDS -lt $deadline ]; do
        for w in $(xdotool search --onlyvisible --pid "$book" --name '.' 2>/dev/null); do
            n=$(xdotool getwindowname "$w" 2>/dev/null)
            [ -n "$n" ] && [ "$n" != "$identifier" ] && [ "$n" != "Notepad" ] && [[ $n != *" - Notepad" ]] && return 0
        done
        sleep 0.1
    done
    return 1
}

np=
for focus in skin other; do
    for ((i = 1; i <= starts; i++)); do
        mkdir -p "$tmp/run$i-$focus"
        (cd "$tmp/run$i-$focus" && exec "$loader" "$exe") >/dev/null 2>&1 &
        book=$!
        if ! skin=$(wait_window "$identifier"); then
            echo "FAILED: start $i ($focus): no skin window"; failures=$((failures + 1))
            kill "$book" 2>/dev/null; wait "$book" 2>/dev/null; book=; continue
        fi
        if [ $focus = other ]; then
            # Another program's window takes the focus away from the cover.
            (cd "$tmp" && exec "$(wine_loader_for "$WINEPREFIX/drive_c/windows/system32/notepad.exe")" notepad) >/dev/null 2>&1 &
            other=$!
            np=$(wait_window "Untitled - Notepad") || np=
            # Shown after the cover, it is the active window (its caret blinks).
            [ -n "$np" ] && xdotool windowmove "$np" 0 0 windowsize "$np" 300 200 >/dev/null 2>&1
        fi
        eval "$(xdotool getwindowgeometry --shell "$skin")"
        xdotool mousemove $((X + 92)) $((Y + 353)) click 1
        if ! reading_opened; then
            echo "FAILED: start $i ($focus): one click on Read did not open the reading window"
            import -window root "$tmp/../first-click-fail-$i-$focus.png" 2>/dev/null
            failures=$((failures + 1))
        fi
        # The loader may have handed the process on: end it through its X
        # connection, which ends every window of the book at once.
        xdotool windowkill "$skin" >/dev/null 2>&1
        wait "$book" 2>/dev/null; book=
        if [ -n "$other" ]; then
            [ -n "$np" ] && xdotool windowkill "$np" >/dev/null 2>&1
            wait "$other" 2>/dev/null; other=
        fi
        # The next start must not find this copy still running.
        while xdotool search --onlyvisible --name "^$identifier\$" >/dev/null 2>&1; do sleep 0.05; done
    done
done
echo "$((2 * starts - failures)) of $((2 * starts)) first clicks opened the reading window"
[ $failures = 0 ]
