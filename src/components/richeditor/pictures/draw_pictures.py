#!/usr/bin/env python3
"""Draws the editor window's button and menu pictures as 16-colour bitmaps.

Each picture is a 16 x 16 grid of letters, one letter per palette colour
(below). The see-through colour is fuchsia ('.'): the speed buttons take the
colour of a picture's bottom-left pixel as see-through, the menu picture
list takes fuchsia, so every picture keeps its bottom-left pixel fuchsia.

Run it from anywhere; it rewrites the .bmp files beside itself:
    python3 src/components/richeditor/pictures/draw_pictures.py
"""
import os
import struct
import sys

# The platform's 16 standard colours, as (red, green, blue).
PALETTE = {
    'K': (0, 0, 0),        # black
    'M': (128, 0, 0),      # maroon
    'G': (0, 128, 0),      # green
    'O': (128, 128, 0),    # olive
    'N': (0, 0, 128),      # navy
    'P': (128, 0, 128),    # purple
    'T': (0, 128, 128),    # teal
    'D': (128, 128, 128),  # grey
    'S': (192, 192, 192),  # silver
    'R': (255, 0, 0),      # red
    'L': (0, 255, 0),      # lime
    'Y': (255, 255, 0),    # yellow
    'B': (0, 0, 255),      # blue
    '.': (255, 0, 255),    # fuchsia: see-through
    'A': (0, 255, 255),    # aqua
    'W': (255, 255, 255),  # white
}
ORDER = list(PALETTE)

PICTURES = {
    'new': [
        "................",
        "...KKKKKKKK.....",
        "...KWWWWWWKK....",
        "...KWWWWWWKWK...",
        "...KWWWWWWKKKK..",
        "...KWWWWWWWWWK..",
        "...KWWWWWWWWWK..",
        "...KWWWWWWWWWK..",
        "...KWWWWWWWWWK..",
        "...KWWWWWWWWWK..",
        "...KWWWWWWWWWK..",
        "...KWWWWWWWWWK..",
        "...KWWWWWWWWWK..",
        "...KWWWWWWWWWK..",
        "...KKKKKKKKKKK..",
        "................",
    ],
    'load': [
        "................",
        "..........KKK...",
        ".........K...K.K",
        "..............KK",
        ".KKKK........KKK",
        "KYYYYK..........",
        "KYYYYYKKKKKKK...",
        "KYYYYYYYYYYYK...",
        "KYYYYYYYYYYYK...",
        "KYYYYKKKKKKKKKKK",
        "KYYYKOOOOOOOOOK.",
        "KYYKOOOOOOOOOK..",
        "KYKOOOOOOOOOK...",
        "KKOOOOOOOOOK....",
        "KKKKKKKKKKK.....",
        "................",
    ],
    'saveas': [
        "................",
        ".KKKKKKKKKKKKKK.",
        ".KNKWWWWWWWWKNK.",
        ".KNKWWWWWWWWKNK.",
        ".KNKWKKKKKKWKNK.",
        ".KNKWWWWWWWWKNK.",
        ".KNKWKKKKKKWKNK.",
        ".KNNKKKKKKKKNNK.",
        ".KNNNNNNNNNNNNK.",
        ".KNNKKKKKKKKNNK.",
        ".KNNKSSSSKSSKNK.",
        ".KNNKSSSSKSSKNK.",
        ".KNNKSSSSKSSKNK.",
        "..KNKSSSSSSSKNK.",
        "...KKKKKKKKKKKK.",
        "................",
    ],
    'print': [
        "................",
        "....KKKKKKKK....",
        "....KWWWWWWK....",
        "....KWKKKKWK....",
        "....KWWWWWWK....",
        "..KKKKKKKKKKKK..",
        ".KSSSSSSSSSSSSK.",
        ".KSSSSSSSSSLLSK.",
        ".KSSSSSSSSSSSSK.",
        ".KDDDDDDDDDDDDK.",
        ".KKKKKKKKKKKKKK.",
        "...KWWWWWWWWK...",
        "...KWKKKKKKWK...",
        "...KWWWWWWWWK...",
        "...KKKKKKKKKK...",
        "................",
    ],
    'find': [
        "................",
        "...KKKKK........",
        "..KAWWAAK.......",
        ".KAWAAAAAK......",
        ".KWAAAAAAK......",
        ".KAAAAAAAK......",
        ".KAAAAAAAK......",
        ".KAAAAAAAK......",
        "..KAAAAAK.......",
        "...KKKKKKK......",
        "........KKK.....",
        ".........KKK....",
        "..........KKK...",
        "...........KKK..",
        "............KK..",
        "................",
    ],
    'spell': [
        "................",
        "..KK..KKK...KKK.",
        ".K..K.K..K.K....",
        ".KKKK.KKK..K....",
        ".K..K.K..K.K....",
        ".K..K.KKK...KKK.",
        "................",
        ".............GG.",
        "............GG..",
        "...........GG...",
        "..GG......GG....",
        "...GG....GG.....",
        "....GG..GG......",
        ".....GGGG.......",
        "......GG........",
        "................",
    ],
    'cut': [
        "................",
        "....K.....K.....",
        "....K.....K.....",
        "....KK...KK.....",
        ".....K...K......",
        ".....KK.KK......",
        "......KKK.......",
        ".......K........",
        "......NKN.......",
        "....NNN.NNN.....",
        "...N..N.N..N....",
        "...N..N.N..N....",
        "...N..N.N..N....",
        "....NN...NN.....",
        "................",
        "................",
    ],
    'copy': [
        "KKKKKKKKK.......",
        "KWWWWWWWK.......",
        "KWKKKKKWK.......",
        "KWWWWWWWK.......",
        "KWKKKKKWK.......",
        "KWWWWWKKKKKKKKKK",
        "KWKKKWKWWWWWWWWK",
        "KWWWWWKWKKKKKKWK",
        "KWKKKWKWWWWWWWWK",
        "KWWWWWKWKKKKKKWK",
        "KKKKKKKWWWWWWWWK",
        "......KWKKKKKKWK",
        "......KWWWWWWWWK",
        "......KWKKKKWWWK",
        "......KWWWWWWWWK",
        "......KKKKKKKKKK",
    ],
    'paste': [
        "................",
        ".....KKKKK......",
        ".KKKKKSSSKKKKK..",
        ".KOOOKKKKKOOOK..",
        ".KOOOOOOOOOOOK..",
        ".KOOOOOKKKKKKKK.",
        ".KOOOOOKWWWWWWK.",
        ".KOOOOOKWKKKKWK.",
        ".KOOOOOKWWWWWWK.",
        ".KOOOOOKWKKKKWK.",
        ".KOOOOOKWWWWWWK.",
        ".KOOOOOKWKKKWWK.",
        ".KOOOOOKWWWWWWK.",
        ".KKKKKKKKKKKKKK.",
        "................",
        "................",
    ],
    'undo': [
        "................",
        "................",
        "....N...........",
        "...NN...........",
        "..NNNNNNNNN.....",
        ".NNNNNNNNNNN....",
        "..NNNNNNNNNNN...",
        "...NN......NN...",
        "....N.......NN..",
        "............NN..",
        "............NN..",
        "...........NN...",
        ".........NNN....",
        "......NNNN......",
        "................",
        "................",
    ],
    'bold': [
        "................",
        "................",
        "..KKKKKKKK......",
        "...KKK..KKK.....",
        "...KKK...KKK....",
        "...KKK...KKK....",
        "...KKK..KKK.....",
        "...KKKKKKK......",
        "...KKK..KKK.....",
        "...KKK...KKK....",
        "...KKK...KKK....",
        "...KKK...KKK....",
        "...KKK..KKK.....",
        "..KKKKKKKK......",
        "................",
        "................",
    ],
    'italic': [
        "................",
        "................",
        "......KKKKKK....",
        "........KK......",
        "........KK......",
        ".......KK.......",
        ".......KK.......",
        "......KK........",
        "......KK........",
        ".....KK.........",
        ".....KK.........",
        "....KK..........",
        "....KK..........",
        "..KKKKKK........",
        "................",
        "................",
    ],
    'underline': [
        "................",
        "..KKKK..KKKK....",
        "...KK....KK.....",
        "...KK....KK.....",
        "...KK....KK.....",
        "...KK....KK.....",
        "...KK....KK.....",
        "...KK....KK.....",
        "...KK....KK.....",
        "....KK..KK......",
        ".....KKKK.......",
        "................",
        "..KKKKKKKKKK....",
        "................",
        "................",
        "................",
    ],
    'color': [
        "................",
        ".......K........",
        "......KKK.......",
        "......KKK.......",
        ".....KK.KK......",
        ".....KK.KK......",
        "....KK...KK.....",
        "....KKKKKKK.....",
        "...KK.....KK....",
        "...KK.....KK....",
        "..KKKK...KKKK...",
        "................",
        "..RRRRGGGGBBBB..",
        "..RRRRGGGGBBBB..",
        "..RRRRGGGGBBBB..",
        "................",
    ],
    'left': [
        "................",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "..KKKKKKKK......",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "..KKKKKKKK......",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "..KKKKKKKK......",
        "................",
        "................",
        "................",
    ],
    'center': [
        "................",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "....KKKKKKKK....",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "....KKKKKKKK....",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "....KKKKKKKK....",
        "................",
        "................",
        "................",
    ],
    'right': [
        "................",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "......KKKKKKKK..",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "......KKKKKKKK..",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "......KKKKKKKK..",
        "................",
        "................",
        "................",
    ],
    'justify': [
        "................",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "..KKKKKKKKKKKK..",
        "................",
        "..KKKKKKKK......",
        "................",
        "................",
        "................",
    ],
    'bullets': [
        "................",
        "................",
        "..NN..KKKKKKKK..",
        "..NN............",
        "................",
        "................",
        "..NN..KKKKKKKK..",
        "..NN............",
        "................",
        "................",
        "..NN..KKKKKKKK..",
        "..NN............",
        "................",
        "................",
        "................",
        "................",
    ],
    'highlight': [
        "................",
        "...........KK...",
        "..........KWWK..",
        ".........KWWK...",
        "........KYYK....",
        ".......KYYK.....",
        "......KYYK......",
        ".....KYYK.......",
        "....KYYK........",
        "...KKYK.........",
        "...KKK..........",
        "..KK............",
        "................",
        ".YYYYYYYYYYYY...",
        ".YYYYYYYYYYYY...",
        "................",
    ],
    'font': [
        "................",
        "....KK..........",
        "....KK..........",
        "...KKKK.........",
        "...K..K.........",
        "..KK..KK........",
        "..KK..KK........",
        ".KKKKKKKK.......",
        ".KK....KK..NNN..",
        "KK......KK...NN.",
        "KK......KK.NNNN.",
        "KKK....KKKNN.NN.",
        "...........NNNNN",
        "................",
        "................",
        "................",
    ],
    'paragraph': [
        "................",
        "....KKKKKKKK....",
        "...KKKKKK..K....",
        "..KKKKKKK..K....",
        "..KKKKKKK..K....",
        "..KKKKKKK..K....",
        "...KKKKKK..K....",
        "....KKKKK..K....",
        "........K..K....",
        "........K..K....",
        "........K..K....",
        "........K..K....",
        "........K..K....",
        ".......KK.KK....",
        "................",
        "................",
    ],
}
# Redo is Undo turned round.
PICTURES['redo'] = [row[::-1] for row in PICTURES['undo']]

# The main menu's pictures, in the order of their indexes.
MENU_STRIP = ['spell', 'load', 'saveas', 'print', 'undo', 'redo', 'paste', 'cut', 'copy', 'find', 'bullets',
              'font', 'paragraph']


def check(name, rows):
    if len(rows) != 16 or any(len(r) != 16 for r in rows):
        sys.exit(f"{name}: every picture is 16 rows of 16 letters")
    for r in rows:
        for ch in r:
            if ch not in PALETTE:
                sys.exit(f"{name}: unknown colour letter {ch!r}")
    if rows[-1][0] != '.':
        sys.exit(f"{name}: the bottom-left pixel must stay see-through")


def bitmap_file(rows):
    """A 4-bit bottom-up bitmap file of the rows."""
    h, w = len(rows), len(rows[0])
    stride = ((w * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, ch in enumerate(row):
            c = ORDER.index(ch)
            line[x // 2] |= c << 4 if x % 2 == 0 else c
        pixels += line
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE.values())
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(pixels), 3780, 3780, 16, 0)
    return header + info + palette + bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, rows in PICTURES.items():
        check(name, rows)
        with open(os.path.join(here, name + '.bmp'), 'wb') as f:
            f.write(bitmap_file(rows))
    strip = [''.join(PICTURES[n][y] for n in MENU_STRIP) for y in range(16)]
    with open(os.path.join(here, 'menu.bmp'), 'wb') as f:
        f.write(bitmap_file(strip))


if __name__ == '__main__':
    main()
