#!/usr/bin/env python3
"""Paints the author's portrait for the About window's Author page.

    python3 tools/cover/make_portrait.py BOOKDIR [--preview PNG]

Writes BOOKDIR/text/portrait.bmp: 154 x 144 pixels, 24 bits, uncompressed.
The portrait is a stylised painting of a woman by a harbour at dusk, drawn
four times larger with ImageMagick and reduced, with a light painterly pass.
tools/booktext/build_docs.py then embeds it in author.rtf as a 32-bit
device-independent bitmap (the "!picture" line of text/author.txt).
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import bmp24  # noqa: E402
import magick  # noqa: E402

W, H = 154, 144
S = 4


def P(x, y):
    return "%.1f,%.1f" % (x * S, y * S)


def portrait_mvg():
    c = []
    horizon = 80
    # sea glints and the far breakwater with its light
    for (x, y, w) in ((8, 86, 14), (30, 90, 10), (112, 88, 16), (132, 94, 12), (18, 100, 12), (120, 104, 14)):
        c.append("fill rgba(250,214,170,0.35) rectangle %s %s" % (P(x, y), P(x + w, y + 0.8)))
    c.append("fill #2b3d55 path 'M %s L %s L %s L %s Z'"
             % (P(0, horizon - 1), P(46, horizon - 2), P(46, horizon + 2), P(0, horizon + 3)))
    c.append("fill #f4f1ea rectangle %s %s" % (P(40, horizon - 12), P(44, horizon - 2)))
    c.append("fill #2b3d55 polygon %s %s %s" % (P(39.5, horizon - 12), P(42, horizon - 15), P(44.5, horizon - 12)))
    for r, a in ((7, 0.18), (4, 0.35), (2, 0.9)):
        c.append("fill rgba(255,214,120,%.2f) circle %s %s" % (a, P(42, horizon - 10), P(42 + r, horizon - 10)))
    # a line of lanterns behind her
    pts = [(0, 30), (40, 42), (77, 36), (115, 44), (154, 34)]
    for (x1, y1), (x2, y2) in zip(pts, pts[1:]):
        c.append("fill none stroke rgba(60,50,40,0.6) stroke-width 2 path 'M %s Q %s %s'"
                 % (P(x1, y1), P((x1 + x2) / 2, (y1 + y2) / 2 + 6), P(x2, y2)))
    c.append("stroke none")
    for (x, y) in ((14, 38), (30, 43), (94, 43), (130, 42), (144, 38)):
        for r, a in ((7, 0.15), (4.5, 0.3)):
            c.append("fill rgba(255,196,90,%.2f) circle %s %s" % (a, P(x, y + 4), P(x + r, y + 4)))
        c.append("fill #ffd37a rectangle %s %s" % (P(x - 1.8, y + 2), P(x + 1.8, y + 6.5)))
        c.append("fill #4a3518 polygon %s %s %s" % (P(x - 2.3, y + 2), P(x, y), P(x + 2.3, y + 2)))

    # hair, behind: falls to the shoulders
    hair = "#4b2b20"
    c.append("fill %s path 'M %s C %s %s %s C %s %s %s C %s %s %s C %s %s %s Z'"
             % (hair, P(56, 100), P(50, 80), P(52, 40), P(84, 34), P(116, 34), P(120, 78), P(114, 100),
                P(104, 106), P(94, 96), P(86, 96), P(76, 96), P(66, 106), P(56, 100)))
    # light catching the hair
    for (a, b, cc, d) in (((62, 90), (58, 70), (62, 48), (76, 38)), ((108, 92), (114, 72), (110, 50), (98, 40)),
                          ((66, 96), (62, 80), (64, 62), (70, 50))):
        c.append("fill none stroke rgba(150,90,60,0.55) stroke-width 3 path 'M %s C %s %s %s'"
                 % (P(*a), P(*b), P(*cc), P(*d)))
    c.append("stroke none")
    # neck
    skin = "#ecc3a5"
    c.append("fill %s rectangle %s %s" % (skin, P(78, 76), P(92, 102)))
    c.append("fill rgba(180,110,85,0.45) ellipse %s %s 0,360" % (P(85, 82), "%.1f,%.1f" % (8 * S, 5 * S)))
    # coat
    c.append("fill #2f4a4a path 'M %s C %s %s %s L %s C %s %s %s Z'"
             % (P(22, 144), P(24, 116), P(44, 104), P(70, 100), P(100, 100), P(124, 104), P(144, 116),
                P(146, 144)))
    c.append("fill none stroke rgba(20,34,34,0.8) stroke-width 3 path 'M %s C %s %s %s'"
             % (P(70, 112), P(72, 124), P(70, 136), P(68, 144)))
    c.append("stroke none")
    c.append("fill #27403f polygon %s %s %s" % (P(64, 102), P(76, 104), P(70, 122)))
    c.append("fill #27403f polygon %s %s %s" % (P(106, 102), P(94, 104), P(100, 122)))
    # scarf, wrapped, with a knot and a hanging end
    c.append("fill #b4582f path 'M %s C %s %s %s C %s %s %s C %s %s %s C %s %s %s Z'"
             % (P(66, 100), P(70, 94), P(98, 94), P(102, 100), P(106, 106), P(100, 112), P(84, 112),
                P(72, 112), P(62, 108), P(66, 100), P(66, 100), P(66, 100), P(66, 100)))
    c.append("fill #9c4726 path 'M %s C %s %s %s L %s C %s %s %s Z'"
             % (P(88, 108), P(92, 118), P(92, 128), P(90, 136), P(98, 134), P(100, 124), P(98, 114),
                P(96, 108)))
    c.append("fill none stroke rgba(120,50,25,0.7) stroke-width 2 path 'M %s C %s %s %s'"
             % (P(70, 104), P(80, 107), P(92, 107), P(100, 103)))
    c.append("stroke none")
    # face
    c.append("fill %s ellipse %s %s 0,360" % (skin, P(85, 62), "%.1f,%.1f" % (18.5 * S, 23.5 * S)))
    c.append("fill rgba(190,120,95,0.22) ellipse %s %s 0,360" % (P(72, 66), "%.1f,%.1f" % (6 * S, 15 * S)))
    c.append("fill rgba(255,236,220,0.35) ellipse %s %s 0,360" % (P(92, 56), "%.1f,%.1f" % (7 * S, 9 * S)))
    for x in (75, 95):
        c.append("fill rgba(226,128,118,0.30) circle %s %s" % (P(x, 70), P(x + 4.5, 70)))
    # ear and a small gold earring
    c.append("fill #e0b292 ellipse %s %s 0,360" % (P(103.5, 64), "%.1f,%.1f" % (2.6 * S, 4.2 * S)))
    c.append("fill #e6b94a circle %s %s" % (P(104, 70.5), P(105.2, 70.5)))
    # fringe and hair over the forehead, swept to one side
    c.append("fill %s path 'M %s C %s %s %s C %s %s %s C %s %s %s Z'"
             % (hair, P(64, 66), P(60, 40), P(84, 30), P(106, 44), P(108, 50), P(106, 58), P(104, 62),
                P(100, 48), P(80, 44), P(66, 58)))
    c.append("fill none stroke rgba(140,80,55,0.55) stroke-width 2 path 'M %s C %s %s %s'"
             % (P(70, 50), P(80, 40), P(94, 40), P(102, 47)))
    c.append("fill none stroke rgba(140,80,55,0.45) stroke-width 2 path 'M %s C %s %s %s'"
             % (P(60, 72), P(58, 84), P(58, 92), P(60, 100)))
    c.append("stroke none")
    # brows, eyes, nose, mouth
    c.append("fill none stroke #4b2b20 stroke-width 3 path 'M %s Q %s %s'" % (P(72, 56), P(77, 53.5), P(81.5, 56)))
    c.append("path 'M %s Q %s %s'" % (P(88.5, 56), P(93, 53.5), P(98, 56)))
    c.append("stroke none fill #fbf4ee ellipse %s %s 0,360" % (P(77, 61), "%.1f,%.1f" % (3.2 * S, 1.6 * S)))
    c.append("fill #fbf4ee ellipse %s %s 0,360" % (P(93, 61), "%.1f,%.1f" % (3.2 * S, 1.6 * S)))
    c.append("fill #4a3a2c circle %s %s" % (P(77.4, 61), P(79.1, 61)))
    c.append("fill #4a3a2c circle %s %s" % (P(93.4, 61), P(95.1, 61)))
    c.append("fill none stroke #3a2a22 stroke-width 2.4 path 'M %s Q %s %s'" % (P(73.5, 60.6), P(77, 58.4), P(80.8, 60.4)))
    c.append("path 'M %s Q %s %s'" % (P(89.5, 60.4), P(93, 58.4), P(96.6, 60.6)))
    c.append("stroke rgba(160,95,75,0.75) stroke-width 2 path 'M %s Q %s %s Q %s %s'"
             % (P(86, 62), P(87.5, 68), P(88.4, 70.2), P(86.8, 71.6), P(84, 71)))
    c.append("stroke none fill #b65a5c path 'M %s Q %s %s Q %s %s Z'"
             % (P(79, 77), P(85, 75.4), P(91, 77), P(85, 81.8), P(79, 77)))
    c.append("fill none stroke rgba(130,55,60,0.8) stroke-width 1.6 path 'M %s Q %s %s'"
             % (P(79.2, 77.2), P(85, 78.4), P(90.8, 77.2)))
    c.append("stroke none")
    return "\n".join(c)


def paint():
    horizon = 80
    sky = ["-size", "%dx%d" % (W * S, horizon * S), "gradient:#5d7397-#f0c29a"]
    sea = ["-size", "%dx%d" % (W * S, (H - horizon) * S), "gradient:#4d6a86-#22374c"]
    return magick.render_rgb(["("] + sky + [")", "("] + sea + [")", "-append",
                              "-draw", portrait_mvg(),
                              "-paint", "2", "-blur", "0x1.2",
                              "-filter", "Lanczos", "-resize", "%dx%d!" % (W, H),
                              "-unsharp", "0x0.6+0.6+0"])


def main(argv):
    args = argv[1:]
    preview = None
    if "--preview" in args:
        i = args.index("--preview")
        preview = args[i + 1]
        del args[i:i + 2]
    if len(args) != 1:
        sys.exit("usage: make_portrait.py BOOKDIR [--preview PNG]")
    out = os.path.join(args[0], "text", "portrait.bmp")
    img = paint()
    bmp24.write(out, img, pixels_per_metre=3780)
    if preview:
        magick.convert([out, "-filter", "point", "-resize", "300%", preview])
    print("make_portrait: wrote %s (%d x %d)" % (out, img.width, img.height))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
