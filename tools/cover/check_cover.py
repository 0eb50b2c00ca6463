#!/usr/bin/env python3
"""Checks that a book's cover picture is one the skin window can use.

    python3 tools/cover/check_cover.py content/cover.bmp

The skin window shows the cover at 400 x 400 and cuts its fuchsia pixels out of
the window's outline; the outline stored with the window is the single
rectangle left 17, top 17, right 385, bottom 384.  So the picture must be:

  * a BMP of exactly 400 x 400 pixels, 24 bits per pixel, uncompressed
    (BI_RGB), stored bottom-up, 5905 pixels per metre both ways, with a
    40-byte BITMAPINFOHEADER and no palette: 54 + 1200 * 400 bytes in all;
  * fuchsia (255, 0, 255) in every pixel of the margin: columns 0..16 and
    385..399, rows 0..16 and 384..399;
  * free of fuchsia in every pixel inside that margin, or the window would
    get holes (antialiased text can land on pure fuchsia by accident);
  * framed: the page's outer two pixels on each side (columns 17-18 and
    383-384, rows 17-18 and 382-383) dark grey (64, 64, 64);
  * labelled: each of the four click areas along the bottom (rows 344..362;
    Read 68..116, About 132..183, Minimize 196..274, Close 288..336) has
    dark ink in it, and the rest of that strip, between the areas, has none,
    so no word runs outside the area that answers to it.

Prints every problem found and exits 1, or prints nothing and exits 0.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import bmp24  # noqa: E402

SIZE = 400
FUCHSIA = (255, 0, 255)
FRAME = (64, 64, 64)
OPAQUE = (17, 17, 385, 384)            # left, top, right, bottom (right and bottom exclusive)
PIXELS_PER_METRE = 5905
FILE_SIZE = 54 + SIZE * 3 * SIZE
LABEL_ROWS = (344, 362)                # inclusive
LABELS = [("Read", 68, 116), ("About", 132, 183), ("Minimize", 196, 274), ("Close", 288, 336)]
INK = 100                              # luma below this counts as ink
MAX_REPORTED = 5                       # pixel problems of one kind listed before a summary


def luma(rgb):
    r, g, b = rgb
    return (299 * r + 587 * g + 114 * b) // 1000


def header_problems(data):
    out = []
    if len(data) != FILE_SIZE:
        out.append("file is %d bytes, expected %d (54 + 1200 * 400)" % (len(data), FILE_SIZE))
    try:
        h = bmp24.Header(data)
    except ValueError as e:
        return out + [str(e)]
    expect = [
        ("signature", h.type, b"BM"),
        ("bfSize", h.file_size, FILE_SIZE),
        ("bfOffBits", h.offset, 54),
        ("biSize (header length)", h.info_size, 40),
        ("biWidth", h.width, SIZE),
        ("biHeight (positive: bottom-up)", h.height, SIZE),
        ("biPlanes", h.planes, 1),
        ("biBitCount", h.bit_count, 24),
        ("biCompression (BI_RGB)", h.compression, 0),
        ("biXPelsPerMeter", h.x_ppm, PIXELS_PER_METRE),
        ("biYPelsPerMeter", h.y_ppm, PIXELS_PER_METRE),
        ("biClrUsed (no palette)", h.colours_used, 0),
    ]
    for name, found, wanted in expect:
        if found != wanted:
            out.append("%s is %r, expected %r" % (name, found, wanted))
    if h.image_size not in (0, SIZE * SIZE * 3):
        out.append("biSizeImage is %d, expected 0 or %d" % (h.image_size, SIZE * SIZE * 3))
    return out


def _collect(out, what, points):
    if points:
        shown = ", ".join("(%d, %d)" % p for p in points[:MAX_REPORTED])
        more = " and %d more" % (len(points) - MAX_REPORTED) if len(points) > MAX_REPORTED else ""
        out.append("%s at %s%s" % (what, shown, more))


def pixel_problems(img):
    out = []
    left, top, right, bottom = OPAQUE
    margin_bad, inside_fuchsia, frame_bad = [], [], []
    for y in range(SIZE):
        for x in range(SIZE):
            px = img.get(x, y)
            inside = left <= x < right and top <= y < bottom
            if not inside:
                if px != FUCHSIA:
                    margin_bad.append((x, y))
                continue
            if px == FUCHSIA:
                inside_fuchsia.append((x, y))
            on_frame = (x < left + 2 or x >= right - 2 or y < top + 2 or y >= bottom - 2)
            if on_frame and px != FRAME:
                frame_bad.append((x, y))
    _collect(out, "margin pixel that is not fuchsia", margin_bad)
    _collect(out, "fuchsia pixel inside the page (would be a hole in the window)", inside_fuchsia)
    _collect(out, "frame pixel that is not (64, 64, 64)", frame_bad)

    y0, y1 = LABEL_ROWS
    for word, x0, x1 in LABELS:
        if not any(luma(img.get(x, y)) < INK for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)):
            out.append("no ink in the %s area (x %d..%d, y %d..%d)" % (word, x0, x1, y0, y1))
    stray = []
    for y in range(y0, y1 + 1):
        for x in range(left + 2, right - 2):
            if any(x0 <= x <= x1 for _, x0, x1 in LABELS):
                continue
            if luma(img.get(x, y)) < INK:
                stray.append((x, y))
    _collect(out, "ink in the button row outside the four click areas", stray)
    return out


def problems(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        return ["cannot read %s: %s" % (path, e)]
    out = header_problems(data)
    if out:
        return out
    return pixel_problems(bmp24.decode(data))


def main(argv):
    if len(argv) != 2:
        print("usage: check_cover.py COVER.bmp", file=sys.stderr)
        return 2
    found = problems(argv[1])
    for p in found:
        print("%s: %s" % (argv[1], p), file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
