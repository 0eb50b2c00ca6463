#!/usr/bin/env bash
# How crisply the reading window draws its body text: a text recogniser
# (tesseract) reads a screenshot of the book view at 8, 15 and 30 points, and,
# in the same run, the platform's own drawing of the same text at the same
# size (bench_crisp_text.exe: DrawText in the body's face); prints the
# character accuracy of both against the text itself.
#   bench/crisp/crisp.sh BUILD_DIR [BOOK.EXE [SIZES...]]
# Needs an X display and a Wine prefix (as the tests have: scripts/wine-env.sh),
# tesseract (Debian: tesseract-ocr) and ImageMagick. The book opens at a body
# paragraph of the sample book's first chapter (its reading position, in a
# fresh folder's settings file).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/wine-env.sh"
build=${1:?usage: crisp.sh BUILD_DIR [BOOK.EXE [SIZES...]]}
book=${2:-$(ls "$build"/bin/Codexia-*.Exe | head -n 1)}
shift $(( $# > 2 ? 2 : $# ))
build=$(cd "$build" && pwd)
book=$(realpath "$book")
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(8 15 30)
command -v tesseract >/dev/null || { echo "crisp: tesseract is not installed (Debian: apt-get install tesseract-ocr)" >&2; exit 2; }
: "${DISPLAY:?crisp: no DISPLAY}"
loader=$(wine_loader_for "$book")
ident=$(basename "$book" .Exe)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
position=5131   # "It was smaller than she remembered...", chapter 1
python3 -c '
import sys, os
sys.path.insert(0, os.path.join(sys.argv[1], "tools/booktext"))
import check_rtf
t = check_rtf.plain_text(open(os.path.join(sys.argv[1], "content/book.rtf"), "rb").read())
sys.stdout.write(t[int(sys.argv[2]):int(sys.argv[2]) + 6000])
' "$root" "$position" > "$work/text.txt"

window_geometry() {  # name pattern -> "X Y W H" of the first visible match
    local w
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || return 1
    [ -n "$w" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$w")"
    echo "$X $Y $WIDTH $HEIGHT"
}

wait_for() {  # name pattern, seconds
    local k
    for ((k = 0; k < $2 * 10; ++k)); do window_geometry "$1" >/dev/null && return 0; sleep 0.1; done
    return 1
}

accuracy() {  # ocr.txt reference.txt
    python3 - "$1" "$2" <<'PY'
import sys, re, difflib
ocr = re.sub(r"\s+", " ", open(sys.argv[1], encoding="utf-8").read()).strip()
ref = re.sub(r"\s+", " ", open(sys.argv[2], encoding="utf-8").read()).strip()
ref = ref.replace("\u2019", "'").replace("\u2018", "'").replace("\u201c", '"').replace("\u201d", '"')
ocr = ocr.replace("\u2019", "'").replace("\u2018", "'").replace("\u201c", '"').replace("\u201d", '"')
if not ocr:
    print("0.0"); sys.exit()
# The stretch of the text the page shows: where the reading's long matches
# lie in the text, stretched by what the reading has before the first and
# after the last (a line cut at the page's foot matches little).
m = difflib.SequenceMatcher(None, ocr, ref, autojunk=False)
blocks = [b for b in m.get_matching_blocks() if b.size >= 10] or [b for b in m.get_matching_blocks() if b.size]
if blocks:
    start = max(0, blocks[0].b - blocks[0].a)
    end = min(len(ref), blocks[-1].b + blocks[-1].size + len(ocr) - blocks[-1].a - blocks[-1].size)
else:
    start, end = 0, len(ocr)
seg = ref[start:end]
# Levenshtein distance between the reading and that stretch
prev = list(range(len(seg) + 1))
for i, c in enumerate(ocr, 1):
    cur = [i] + [0] * len(seg)
    for j, d in enumerate(seg, 1):
        cur[j] = min(prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (c != d))
    prev = cur
print("%.1f" % (100.0 * max(0, len(seg) - prev[-1]) / max(1, len(seg))))
PY
}

printf '%-6s %-22s %-22s\n' size "book view accuracy %" "platform drawing %"
for pt in "${sizes[@]}"; do
    dir=$work/book$pt
    mkdir -p "$dir"
    printf '[CodexiaBook]\r\nSaveSettings=True\r\nReadingFontSize=%s\r\nReadingBookmark=%s\r\n' "$pt" "$position" \
        > "$dir/$ident.Ini"
    (cd "$dir" && exec "$loader" "$book" >/dev/null 2>&1) &
    pid=$!
    wait_for "^$ident\$" 60 || { echo "crisp: the book's skin did not show" >&2; kill $pid; exit 1; }
    sleep 1
    read -r sx sy _ _ < <(window_geometry "^$ident\$")
    xdotool mousemove $((sx + 92)) $((sy + 353)) click 1
    wait_for " by " 30 || { echo "crisp: the reading window did not show" >&2; kill $pid; exit 1; }
    sleep 3
    read -r rx ry _ _ < <(window_geometry " by ")
    # The book view: the reading window's client area from its top left
    # (frame 4, caption 23), inside its border and left of its scroll bar.
    import -window root -crop 390x326+$((rx + 6))+$((ry + 25)) +repage "$work/book$pt.png"
    kill $pid; wait $pid 2>/dev/null || true

    "$loader" "$build/bench/bench_crisp_text.exe" "Z:${work//\//\\}\\text.txt" "$pt" 390 326 >/dev/null 2>&1 &
    pid=$!
    wait_for "^Crisp text\$" 30 || { echo "crisp: the platform drawing did not show" >&2; kill $pid; exit 1; }
    sleep 1
    import -window root -crop 390x326+0+0 +repage "$work/plain$pt.png"
    kill $pid; wait $pid 2>/dev/null || true

    for side in book plain; do
        convert "$work/$side$pt.png" -resize 300% "$work/$side$pt-x3.png"
        tesseract "$work/$side$pt-x3.png" "$work/$side$pt" --psm 6 >/dev/null 2>&1
    done
    printf '%-6s %-22s %-22s\n' "$pt" "$(accuracy "$work/book$pt.txt" "$work/text.txt")" \
        "$(accuracy "$work/plain$pt.txt" "$work/text.txt")"
    [ -z "${CRISP_KEEP:-}" ] || cp "$work"/{book,plain}$pt.{png,txt} "$work/text.txt" "$CRISP_KEEP"/
done
