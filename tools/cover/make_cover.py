#!/usr/bin/env python3
"""Draws a book's cover picture and icon.

    python3 tools/cover/make_cover.py BOOKDIR

Reads BOOKDIR/book.meta (title, author; cover and icon file names) and
BOOKDIR/cover-quote.txt (first line: a quotation about the book; second line:
its source), and writes BOOKDIR/<cover> (400 x 400, 24-bit BMP, the layout the
skin window expects: see check_cover.py) and BOOKDIR/<icon> (16, 32 and 48
pixel images cut from the cover's picture panel).  The written cover is run
through check_cover's checks; any problem stops the script with exit code 1.

Needs Python 3 and ImageMagick's convert with the Liberation fonts.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import bmp24  # noqa: E402
import check_cover  # noqa: E402
import magick  # noqa: E402

# Page and frame (see check_cover for the fixed geometry)
FUCHSIA = check_cover.FUCHSIA
FRAME = check_cover.FRAME
LEFT, TOP, RIGHT, BOTTOM = check_cover.OPAQUE           # right, bottom exclusive
WHITE = (255, 255, 255)

NAVY = (28, 46, 74)
INK = (40, 44, 52)
SLATE = (84, 98, 116)
AMBER = (196, 128, 38)
RULE = (200, 188, 166)

PANEL = (44, 184, 314, 92)                              # left, top, width, height
SCALE = 3                                               # the panel is drawn large, then reduced


def read_meta(bookdir):
    meta = {}
    with open(os.path.join(bookdir, "book.meta"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#") and "=" in line:
                k, _, v = line.partition("=")
                meta[k.strip()] = v.strip()
    for key in ("title", "author"):
        if not meta.get(key):
            sys.exit("make_cover: book.meta has no %s" % key)
    return meta


def read_quote(bookdir):
    path = os.path.join(bookdir, "cover-quote.txt")
    with open(path, encoding="utf-8") as f:
        lines = [l.strip() for l in f if l.strip()]
    if len(lines) != 2:
        sys.exit("make_cover: %s must hold two lines: the quotation, then its source" % path)
    return lines[0], lines[1]


# ---------------------------------------------------------------------------
# Text

def centre_text(img, text, font_file, size, ink_top, colour, kerning=0.0, max_width=330,
                centre_x=(LEFT + RIGHT - 1) / 2):
    """Draws one line centred on centre_x with its ink's top row at ink_top; shrinks to fit."""
    while True:
        t = magick.TextMask(text, font_file, size, kerning)
        if t.ink_width <= max_width or size <= 6:
            break
        size -= 1
    left = int(round(centre_x - (t.ink_width - 1) / 2))
    return t.draw(img, left, ink_top - t.ink_top, colour)


def wrap(text, font_file, size, max_width):
    words = text.split()
    lines, current = [], []
    for w in words:
        trial = " ".join(current + [w])
        if current and magick.TextMask(trial, font_file, size).ink_width > max_width:
            lines.append(" ".join(current))
            current = [w]
        else:
            current.append(w)
    if current:
        lines.append(" ".join(current))
    return lines


def draw_labels(img, font_file, size, colour):
    """The four click-area words, each centred in its area, sharing one baseline."""
    y0, y1 = check_cover.LABEL_ROWS
    masks = [(magick.TextMask(word, font_file, size), x0, x1) for word, x0, x1 in check_cover.LABELS]
    # same font and size: the label boxes share a baseline, so one vertical offset fits all
    top = min(m.ink_top for m, _, _ in masks)
    bottom = max(m.ink_bottom for m, _, _ in masks)
    if bottom - top + 1 > y1 - y0 + 1:
        raise SystemExit("make_cover: label font too tall for the button row")
    line_top = y0 + ((y1 - y0 + 1) - (bottom - top + 1)) // 2 - top
    for m, x0, x1 in masks:
        if m.ink_width > x1 - x0 + 1:
            raise SystemExit("make_cover: label too wide for its area")
        left = x0 + ((x1 - x0 + 1) - m.ink_width) // 2
        box = m.draw(img, left, line_top, colour)
        assert x0 <= box[0] and box[2] <= x1 and y0 <= box[1] and box[3] <= y1, box


# ---------------------------------------------------------------------------
# The picture panel: lanterns strung mast to mast over a harbour at night

def panel_mvg(w, h):
    s = SCALE
    horizon = 60
    cmds = []

    def P(x, y):
        return "%.1f,%.1f" % (x * s, y * s)

    # island on the horizon and the town's hill on the left
    cmds.append("fill #24364f path 'M %s C %s %s %s L %s Z'"
                % (P(176, horizon), P(200, horizon - 9), P(262, horizon - 10), P(300, horizon),
                   P(176, horizon)))
    cmds.append("fill #101b2c path 'M %s L %s C %s %s %s L %s Z'"
                % (P(0, horizon + 1), P(0, 24), P(30, 18), P(70, 30), P(118, horizon + 1),
                   P(0, horizon + 1)))
    houses = [(6, 30, 8, 7), (16, 27, 9, 8), (28, 25, 7, 7), (38, 29, 10, 8), (50, 33, 8, 7),
              (60, 37, 9, 8), (72, 42, 8, 7), (82, 46, 10, 8), (95, 51, 8, 6), (8, 40, 9, 8),
              (22, 38, 8, 7), (34, 41, 10, 8), (48, 44, 8, 7), (62, 49, 9, 7), (76, 53, 8, 6)]
    for (x, y, hw, hh) in houses:
        cmds.append("fill #16243a polygon %s %s %s %s %s"
                    % (P(x, y + 3), P(x + hw / 2, y), P(x + hw, y + 3), P(x + hw, y + hh), P(x, y + hh)))
    lit = [(9, 34), (19, 32), (41, 33), (63, 41), (85, 50), (25, 42), (51, 48), (37, 45), (79, 57)]
    for (x, y) in lit:
        cmds.append("fill #f2b450 rectangle %s %s" % (P(x, y), P(x + 1.6, y + 1.6)))
    # chapel with its tower at the top of the hill
    cmds.append("fill #16243a rectangle %s %s" % (P(24, 14), P(29, 26)))
    cmds.append("fill #16243a polygon %s %s %s" % (P(23.5, 14.5), P(26.5, 9), P(29.5, 14.5)))
    # the breakwater and its light
    cmds.append("fill #0c1624 path 'M %s C %s %s %s L %s C %s %s %s Z'"
                % (P(314, horizon + 6), P(290, horizon + 2), P(250, horizon + 1), P(228, horizon + 1),
                   P(228, horizon - 1), P(252, horizon - 1.5), P(292, horizon - 1), P(314, horizon + 2)))
    cmds.append("fill #d8dde3 rectangle %s %s" % (P(229, horizon - 9), P(232, horizon - 1)))
    cmds.append("fill #0c1624 polygon %s %s %s" % (P(228.5, horizon - 9), P(230.5, horizon - 11.5), P(232.5, horizon - 9)))
    cmds.append("fill rgba(127,224,168,0.35) circle %s %s" % (P(230.5, horizon - 7), P(230.5, horizon - 3)))
    # stars
    for (x, y) in [(140, 8), (168, 14), (201, 6), (236, 18), (262, 9), (292, 15), (120, 19), (305, 5), (184, 26)]:
        cmds.append("fill rgba(223,230,240,0.8) circle %s %s" % (P(x, y), P(x + 0.45, y)))

    # boats moored in a line across the basin, masts up to the lantern lines
    masts = [(34, 22), (96, 18), (158, 15), (220, 18), (282, 22)]   # x, top of mast
    for i, (x, top) in enumerate(masts):
        hull_y = 76 + (i % 2) * 3
        cmds.append("fill #0a1320 path 'M %s L %s C %s %s %s Z'"
                    % (P(x - 14, hull_y - 3), P(x + 14, hull_y - 3), P(x + 12, hull_y + 3),
                       P(x - 10, hull_y + 3), P(x - 14, hull_y - 3)))
        cmds.append("fill #0a1320 rectangle %s %s" % (P(x - 5, hull_y - 7), P(x + 2, hull_y - 3)))
        cmds.append("stroke #0a1320 stroke-width %.1f line %s %s" % (0.9 * s, P(x, top), P(x, hull_y - 3)))
        cmds.append("stroke none")
    # two lines, mast to mast, sagging between; lanterns hang between them
    lanterns = []
    for row, dy in ((0, 0), (1, 5)):
        pts = [(0, masts[0][1] + 10 + dy)] + [(x, t + dy) for x, t in masts] + [(w, masts[-1][1] + 10 + dy)]
        for (x1, y1), (x2, y2) in zip(pts, pts[1:]):
            sag = 7
            cmds.append("fill none stroke rgba(201,180,142,0.75) stroke-width %.1f "
                        "path 'M %s Q %s %s'" % (0.6 * s, P(x1, y1), P((x1 + x2) / 2, (y1 + y2) / 2 + 2 * sag),
                                                  P(x2, y2)))
            inner = 0 < x1 and x2 < w
            if row == 0:
                for f in ((0.25, 0.5, 0.75) if inner else (0.5,)):
                    lx = x1 + (x2 - x1) * f
                    ly = (1 - f) ** 2 * y1 + 2 * f * (1 - f) * ((y1 + y2) / 2 + 2 * sag) + f * f * y2
                    lanterns.append((lx, ly))
    cmds.append("stroke none")
    # fog-glow over the basin
    cmds.append("fill rgba(255,199,102,0.07) ellipse %s %.1f,%.1f 0,360" % (P(157, 40), 150 * s, 26 * s))
    cmds.append("fill rgba(255,199,102,0.06) ellipse %s %.1f,%.1f 0,360" % (P(157, 38), 110 * s, 17 * s))
    for (x, y) in lanterns:
        cy = y + 5
        # reflection on the water
        for k in range(10):
            ry = 63.5 + k * 2.5 + (k * k) * 0.06
            half = 1.0 + 0.9 * ((k * 7 + int(x)) % 3) / 2
            shift = ((k * 5 + int(x) * 3) % 5 - 2) * 0.45
            cmds.append("fill rgba(240,176,80,%.2f) rectangle %s %s"
                        % (0.30 - k * 0.026, P(x - half + shift, ry), P(x + half + shift, ry + 1.1)))
        for r, op in ((9, 0.07), (6, 0.12), (3.8, 0.25)):
            cmds.append("fill rgba(255,190,85,%.2f) circle %s %s" % (op, P(x, cy), P(x + r, cy)))
        cmds.append("stroke #6a4a1a stroke-width %.1f fill none line %s %s" % (0.5 * s, P(x, y), P(x, cy - 2.6)))
        cmds.append("stroke none fill #3a2c16 polygon %s %s %s" % (P(x - 2.2, cy - 1.6), P(x, cy - 3.4), P(x + 2.2, cy - 1.6)))
        cmds.append("fill #ffd27a rectangle %s %s" % (P(x - 1.7, cy - 1.6), P(x + 1.7, cy + 2.6)))
        cmds.append("fill #e39a2e rectangle %s %s" % (P(x - 1.7, cy + 2.6), P(x + 1.7, cy + 3.2)))
    return "\n".join(cmds)


def draw_panel(w, h):
    s = SCALE
    horizon = 60
    mvg = panel_mvg(w, h)
    sky = ["-size", "%dx%d" % (w * s, horizon * s), "gradient:#131f33-#3d587c"]
    sea = ["-size", "%dx%d" % (w * s, (h - horizon) * s), "gradient:#1f3350-#0b1422"]
    return magick.render_rgb(["("] + sky + [")", "("] + sea + [")", "-append",
                              "-draw", mvg,
                              "-filter", "Lanczos", "-resize", "%dx%d!" % (w, h)])


# ---------------------------------------------------------------------------

def draw_cover(meta, quote, source):
    img = bmp24.Image(400, 400, fill=FUCHSIA)
    img.fill_rect(LEFT, TOP, RIGHT - 1, BOTTOM - 1, WHITE)

    serif = magick.font("LiberationSerif-Regular.ttf")
    serif_italic = magick.font("LiberationSerif-Italic.ttf")
    sans = magick.font("LiberationSans-Regular.ttf")

    # author, spaced capitals
    centre_text(img, meta["author"].upper(), serif, 13, 35, SLATE, kerning=3.2)
    # small ornament: rule, diamond, rule
    cx = (LEFT + RIGHT - 1) // 2
    img.fill_rect(cx - 46, 56, cx - 8, 56, RULE)
    img.fill_rect(cx + 8, 56, cx + 46, 56, RULE)
    for d in range(4):
        img.fill_rect(cx - 3 + d, 56 - d, cx + 3 - d, 56 - d, AMBER)
        img.fill_rect(cx - 3 + d, 56 + d, cx + 3 - d, 56 + d, AMBER)

    # title: the small joining words on their own smaller line, all fitted above the panel
    draw_title(img, meta["title"], serif_italic, top=68, bottom=PANEL[1] - 10)

    # picture panel
    px, py, pw, ph = PANEL
    panel = draw_panel(pw, ph)
    img.paste(panel, px, py)
    for (x0, y0, x1, y1) in ((px - 1, py - 1, px + pw, py - 1), (px - 1, py + ph, px + pw, py + ph),
                             (px - 1, py - 1, px - 1, py + ph), (px + pw, py - 1, px + pw, py + ph)):
        img.fill_rect(x0, y0, x1, y1, NAVY)

    # quotation and its source, between the panel and the button row
    draw_quote(img, quote, source, serif_italic, serif, top=py + ph + 10, bottom=332)

    # button row: a hairline above, the four words, small amber dots between areas
    img.fill_rect(LEFT + 24, 337, RIGHT - 25, 337, RULE)
    draw_labels(img, sans, 12.5, NAVY)
    labels = check_cover.LABELS
    for (_, _, a_right), (_, b_left, _) in zip(labels, labels[1:]):
        mid = (a_right + b_left) // 2
        for dx, dy, col in ((0, 0, AMBER), (1, 0, AMBER), (0, 1, AMBER), (1, 1, AMBER)):
            img.set(mid + dx, 353 + dy, col)

    # a hairline inside the frame
    inset = 7
    img.fill_rect(LEFT + inset, TOP + inset, RIGHT - 1 - inset, TOP + inset, RULE)
    img.fill_rect(LEFT + inset, BOTTOM - 1 - inset, RIGHT - 1 - inset, BOTTOM - 1 - inset, RULE)
    img.fill_rect(LEFT + inset, TOP + inset, LEFT + inset, BOTTOM - 1 - inset, RULE)
    img.fill_rect(RIGHT - 1 - inset, TOP + inset, RIGHT - 1 - inset, BOTTOM - 1 - inset, RULE)

    # the frame, two pixels, on the page's edge
    img.fill_rect(LEFT, TOP, RIGHT - 1, TOP + 1, FRAME)
    img.fill_rect(LEFT, BOTTOM - 2, RIGHT - 1, BOTTOM - 1, FRAME)
    img.fill_rect(LEFT, TOP, LEFT + 1, BOTTOM - 1, FRAME)
    img.fill_rect(RIGHT - 2, TOP, RIGHT - 1, BOTTOM - 1, FRAME)

    # an antialiased edge must never land on the transparent colour inside the page
    for y in range(TOP, BOTTOM):
        for x in range(LEFT, RIGHT):
            if img.get(x, y) == FUCHSIA:
                img.set(x, y, (254, 0, 255))
    return img


def draw_title(img, title, font_file, top, bottom):
    segments = split_title(title)
    if len(segments) > 3:
        segments = [(title, "big")]
    for big in range(42, 13, -2):
        small = max(11, round(big * 0.45))
        lines = []
        for text, style in segments:
            size = big if style == "big" else small
            kerning = 0.0 if style == "big" else 1.0
            colour = NAVY if style == "big" else SLATE
            for line in wrap(text, font_file, size, 330):
                lines.append((magick.TextMask(line, font_file, size, kerning), colour))
        gap = max(4, big // 5)
        height = sum(m.ink_height for m, _ in lines) + gap * (len(lines) - 1)
        if height <= bottom - top:
            break
    else:
        raise SystemExit("make_cover: the title does not fit on the cover")
    y = top + (bottom - top - height) // 2
    centre_x = (LEFT + RIGHT - 1) / 2
    for m, colour in lines:
        left = int(round(centre_x - (m.ink_width - 1) / 2))
        m.draw(img, left, y - m.ink_top, colour)
        y += m.ink_height + gap


def draw_quote(img, quote, source, italic, roman, top, bottom):
    text = "\u201c" + quote + "\u201d"
    for size in (12.5, 12, 11.5, 11, 10.5, 10, 9.5, 9):
        lines = [magick.TextMask(l, italic, size) for l in wrap(text, italic, size, 300)]
        src = magick.TextMask("\u2014 " + source, roman, size - 2, 0.6)
        pitch = round(size * 1.2)
        height = pitch * (len(lines) - 1) + lines[-1].ink_height + 6 + src.ink_height
        if len(lines) <= 3 and height <= bottom - top:
            break
    else:
        raise SystemExit("make_cover: the quotation is too long for the cover")
    centre_x = (LEFT + RIGHT - 1) / 2
    base = top - min(m.ink_top for m in lines)
    for i, m in enumerate(lines):
        left = int(round(centre_x - (m.ink_width - 1) / 2))
        m.draw(img, left, base + i * pitch, INK)
    y = base + (len(lines) - 1) * pitch + max(m.ink_bottom for m in lines) + 6
    src.draw(img, int(round(centre_x - (src.ink_width - 1) / 2)), y - src.ink_top, SLATE)


SMALL_WORDS = {"over", "the", "of", "and", "a", "an", "in", "on", "to", "at", "by", "for", "from", "under"}


def split_title(title):
    """Title lines: runs of small joining words become a small line between big ones."""
    words = title.split()
    out = []
    current, small = [], None
    for w in words:
        is_small = w.lower() in SMALL_WORDS and out + [current] != [[]]
        if small is None:
            small = is_small
        if is_small != small and current:
            out.append((" ".join(current), "small" if small else "big"))
            current = []
            small = is_small
        current.append(w)
    if current:
        out.append((" ".join(current), "small" if small else "big"))
    return [(t.lower() if s == "small" else t, s) for t, s in out]


def lantern_mvg(cx, top, scale):
    """One large horn lantern with its glow, as on the cover's lines, for the icon."""
    def P(x, y):
        return "%.1f,%.1f" % (cx + x * scale, top + y * scale)
    cmds = []
    for r, a in ((30, 0.10), (22, 0.16), (15, 0.28)):
        cmds.append("fill rgba(255,190,85,%.2f) circle %s %s" % (a, P(0, 22), P(r, 22)))
    cmds.append("fill none stroke #2a2010 stroke-width %.1f circle %s %s" % (1.6 * scale, P(0, 1.5), P(2.6, 1.5)))
    cmds.append("stroke none fill #3a2c16 polygon %s %s %s %s" % (P(-13, 12), P(-3, 4), P(3, 4), P(13, 12)))
    for (x, y) in ((-6, 9.5), (0, 8), (6, 9.5)):
        cmds.append("fill #ffcf70 circle %s %s" % (P(x, y), P(x + 0.9, y)))
    cmds.append("fill #ffd98a rectangle %s %s" % (P(-11, 12), P(11, 34)))
    cmds.append("fill #f4b040 rectangle %s %s" % (P(-11, 26), P(11, 34)))
    cmds.append("fill #fff1c2 ellipse %s %s 0,360" % (P(0, 22), "%.1f,%.1f" % (3.2 * scale, 5.5 * scale)))
    cmds.append("fill #3a2c16 rectangle %s %s" % (P(-12, 11), P(12, 13)))
    cmds.append("fill #3a2c16 rectangle %s %s" % (P(-12, 33), P(12, 36)))
    cmds.append("fill #3a2c16 rectangle %s %s" % (P(-12, 11), P(-10, 36)))
    cmds.append("fill #3a2c16 rectangle %s %s" % (P(10, 11), P(12, 36)))
    cmds.append("fill #3a2c16 rectangle %s %s" % (P(-0.8, 13), P(0.8, 33)))
    return "\n".join(cmds)


def write_icon(cover_path, icon_path):
    """The icon: the cover panel's night harbour with one large lantern over it."""
    px, py, pw, ph = PANEL
    side = ph
    left = px + (pw - side) // 2
    big = 192
    magick.convert([cover_path, "-crop", "%dx%d+%d+%d" % (side, side, left, py), "+repage",
                    "-filter", "Lanczos", "-resize", "%dx%d!" % (big, big),
                    "-draw", lantern_mvg(big / 2, 26, 3.6),
                    "-define", "icon:auto-resize=48,32,16", icon_path])


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_cover.py BOOKDIR")
    bookdir = argv[1]
    meta = read_meta(bookdir)
    quote, source = read_quote(bookdir)
    img = draw_cover(meta, quote, source)
    cover_path = os.path.join(bookdir, meta.get("cover", "cover.bmp"))
    bmp24.write(cover_path, img)
    problems = check_cover.problems(cover_path)
    if problems:
        for p in problems:
            print("make_cover: %s: %s" % (cover_path, p), file=sys.stderr)
        return 1
    icon_path = os.path.join(bookdir, meta.get("icon", "book.ico"))
    write_icon(cover_path, icon_path)
    print("make_cover: wrote %s and %s" % (cover_path, icon_path))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
