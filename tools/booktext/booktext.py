"""Turns a book's plain-text sources into the RTF documents the executable carries.

The sources are UTF-8 text in a small markup of our own:

Blocks are separated by blank lines.  A block's first characters say what it is:

    % comment                  ignored (a whole line)
    # Label | Title            chapter heading (label in small caps, title large and bold)
    > text                     epigraph, centred and italic
    >> text                    source of an epigraph, centred, small caps
    | text                     letter: indented both sides (every line starts with "| ")
    |> text                    right-aligned line inside a letter (dates, signatures)
    : text                     typewriter block; line breaks are kept
    * * *                      section break
    = text                     centred lines (line breaks kept); "=18 text" sets 18 pt
    - text                     list entries with a hanging indent, one per "- " line
    !picture FILE W H          a 24-bit BMP, embedded as a 32-bit DIB picture W x H twips
    !space N                   an empty paragraph N points high
    anything else              body paragraph (first-line indent, none after a heading)

Inline:  *italic*  **bold**  ^small caps^  `typewriter`  {colour:text}
         "quotes" and 'quotes' become curly ones, -- or --- an em dash, ... an ellipsis,
         a backslash takes the next character literally.

Any Unicode character may be used, and the RTF written is 7-bit.  Characters of
Windows code page 1252 (the document's \\ansicpg1252) are written as ASCII, a
named control word or a \\'xx escape; every other character is a \\uN? escape,
N being the UTF-16 code unit as a signed 16-bit number (values above 32767 are
written negative), and a character beyond U+FFFF being its surrogate pair, two
escapes.  The document sets \\uc1: a reader that knows \\u skips the one "?"
after each escape, an older one shows it.  The fonts are declared \\fcharset0,
which governs only \\'xx bytes: RichEdit 2 and later take the character from \\uN
and draw it in the run's face (Times New Roman, Arial and Courier New have
Greek and Cyrillic), binding another font only where the face lacks the script.
"""

import os
import re
import struct

# ---------------------------------------------------------------------------
# Character level

CP1252_NAMED = {
    "\u2018": "\\lquote ",
    "\u2019": "\\rquote ",
    "\u201c": "\\ldblquote ",
    "\u201d": "\\rdblquote ",
    "\u2014": "\\emdash ",
    "\u2013": "\\endash ",
    "\u2022": "\\bullet ",
}

OPENERS = set(" \t\n([{\u2018\u201c")
CLOSE_NEXT = set(" \t\n,.;:!?)]}\u2019\u201d\u2014")


class BookTextError(Exception):
    pass


def rtf_char(ch):
    """RTF text for one character of running text."""
    if ch in "\\{}":
        return "\\" + ch
    if ch == "\t":
        return "\\tab "
    o = ord(ch)
    if 32 <= o < 127:
        return ch
    if ch in CP1252_NAMED:
        return CP1252_NAMED[ch]
    if ch == "\u00a0":
        return "\\~"
    try:
        b = ch.encode("cp1252")
    except UnicodeEncodeError:
        return unicode_escape(ch)
    return "\\'%02x" % b[0]


def unicode_escape(ch):
    """\\uN? for one character: signed UTF-16 code units, each with a "?" fallback."""
    o = ord(ch)
    units = [o] if o < 0x10000 else [0xD800 + ((o - 0x10000) >> 10), 0xDC00 + (o & 0x3FF)]
    return "".join("\\u%d?" % (u - 0x10000 if u > 0x7FFF else u) for u in units)


def typographic(text):
    """Straight quotes to curly ones, -- to an em dash, ... to an ellipsis.

    Backslash-escaped characters are left for the inline parser (the escape stays).
    """
    text = re.sub(r"-{2,3}", "\u2014", text.replace("...", "\u2026"))
    out = []
    n = len(text)
    i = 0
    while i < n:
        ch = text[i]
        if ch == "\\" and i + 1 < n:
            out.append(text[i:i + 2])
            i += 2
            continue
        if ch in "\"'":
            # markup characters are invisible for this decision
            j = len(out) - 1
            while j >= 0 and out[j][-1] in "*^`":
                j -= 1
            prev = out[j][-1] if j >= 0 else None
            k = i + 1
            while k < n and text[k] in "*^`":
                k += 1
            nxt = text[k] if k < n else None
            if ch == "'" and prev is not None and (prev.isalnum() or prev in ".,!?"):
                out.append("\u2019")
            elif prev is None or prev in OPENERS:
                out.append("\u201c" if ch == '"' else "\u2018")
            elif nxt is None or nxt in CLOSE_NEXT:
                out.append("\u201d" if ch == '"' else "\u2019")
            elif prev == "\u2014":
                out.append("\u201c" if ch == '"' else "\u2018")
            else:
                out.append("\u201d" if ch == '"' else "\u2019")
            i += 1
            continue
        out.append(ch)
        i += 1
    return "".join(out)


class Inline:
    """Converts one paragraph's inline markup to RTF, with toggled character formats."""

    def __init__(self, colours, base_font=0, mono_font=2):
        self.colours = colours
        self.base_font = base_font
        self.mono_font = mono_font

    def convert(self, text, where=""):
        text = typographic(text)
        out = []
        state = {"b": False, "i": False, "scaps": False, "mono": False}
        colour_stack = []
        i = 0
        n = len(text)
        while i < n:
            ch = text[i]
            if ch == "\\" and i + 1 < n:
                out.append(rtf_char(text[i + 1]))
                i += 2
                continue
            if text.startswith("**", i):
                state["b"] = not state["b"]
                out.append("\\b " if state["b"] else "\\b0 ")
                i += 2
                continue
            if ch == "*":
                state["i"] = not state["i"]
                out.append("\\i " if state["i"] else "\\i0 ")
                i += 1
                continue
            if ch == "^":
                state["scaps"] = not state["scaps"]
                out.append("\\scaps " if state["scaps"] else "\\scaps0 ")
                i += 1
                continue
            if ch == "`":
                state["mono"] = not state["mono"]
                out.append("\\f%d " % (self.mono_font if state["mono"] else self.base_font))
                i += 1
                continue
            if ch == "{":
                m = re.match(r"\{([a-z]+):", text[i:])
                if not m or m.group(1) not in self.colours:
                    raise BookTextError("%s: bad colour markup at %r" % (where, text[i:i + 20]))
                colour_stack.append(self.colours[m.group(1)])
                out.append("\\cf%d " % colour_stack[-1])
                i += len(m.group(0))
                continue
            if ch == "}":
                if not colour_stack:
                    raise BookTextError("%s: unmatched } in %r" % (where, text[:60]))
                colour_stack.pop()
                out.append("\\cf%d " % (colour_stack[-1] if colour_stack else 0))
                i += 1
                continue
            out.append(rtf_char(ch))
            i += 1
        open_ = [k for k, v in state.items() if v]
        if open_ or colour_stack:
            raise BookTextError("%s: unclosed %s in paragraph %r"
                                % (where, ", ".join(open_) or "colour", text[:70]))
        return "".join(out)


# ---------------------------------------------------------------------------
# Pictures: a 24-bit BMP stored as a device-independent bitmap (\dibitmap0) of
# 32 bits a pixel.  The rich edit draws that form under Wine as on Windows; a
# metafile or enhanced metafile picture only takes its space under Wine, PNG
# and \wbitmap pictures are dropped, and a 24-bit \dibitmap comes out with
# its colours shifted.

def read_bmp24(path):
    """Returns (width, height, pixel bytes) of a 24-bit BI_RGB BMP, bottom row first."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise BookTextError("%s is not a BMP file" % path)
    off = struct.unpack_from("<I", data, 10)[0]
    hsize, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    if hsize != 40 or bpp != 24 or comp != 0 or planes != 1:
        raise BookTextError("%s: need a 24-bit uncompressed BMP with a 40-byte header" % path)
    stride = (w * 3 + 3) & ~3
    bits = data[off:off + stride * abs(h)]
    if len(bits) != stride * abs(h):
        raise BookTextError("%s: pixel data cut short" % path)
    rows = [bits[y * stride:y * stride + w * 3] for y in range(abs(h))]
    if h < 0:
        rows.reverse()
    return w, abs(h), b"".join(rows)


def dib32(width, height, bgr):
    """A packed DIB (BITMAPINFOHEADER, then the pixels) of 32 bits a pixel from
    bottom-up rows of 3-byte blue-green-red pixels."""
    out = bytearray(width * height * 4)
    out[0::4], out[1::4], out[2::4] = bgr[0::3], bgr[1::3], bgr[2::3]
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, len(out), 3780, 3780, 0, 0)
    return header + bytes(out)


def picture_rtf(path, goal_w_twips, goal_h_twips):
    w, h, bgr = read_bmp24(path)
    hexed = dib32(w, h, bgr).hex()
    lines = [hexed[i:i + 128] for i in range(0, len(hexed), 128)]
    return ("{\\pict\\dibitmap0\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d\n%s}"
            % (w, h, goal_w_twips, goal_h_twips, "\n".join(lines)))


# ---------------------------------------------------------------------------
# Documents

FONTS = [
    ("froman", 2, "Times New Roman"),
    ("fswiss", 2, "Arial"),
    ("fmodern", 1, "Courier New"),
    ("froman", 2, "Georgia"),
]

COLOURS = [
    ("harbour", (31, 53, 80)),
    ("amber", (176, 106, 20)),
    ("red", (150, 32, 32)),
    ("sea", (36, 96, 88)),
    ("grey", (96, 96, 96)),
]


class Document:
    """Collects paragraphs and writes one RTF document."""

    def __init__(self, base_size=12, source_dir="."):
        self.base = base_size * 2          # half-points
        self.source_dir = source_dir
        self.colour_index = {name: i + 1 for i, (name, _) in enumerate(COLOURS)}
        self.inline = Inline(self.colour_index)
        self.parts = []
        self.after_heading = True

    # -- helpers
    def para(self, props, text, font=0, size=None, extra=""):
        size = self.base if size is None else size
        self.parts.append("\\pard\\plain %s\\f%d\\fs%d%s %s\\par\n"
                          % (props, font, size, extra, text))

    def ink(self, text, where):
        return self.inline.convert(text, where)

    # -- blocks
    def block(self, lines, where):
        first = lines[0]
        if first.startswith("!picture"):
            _, name, w, h = first.split()
            pict = picture_rtf(os.path.join(self.source_dir, name), int(w), int(h))
            self.parts.append("\\pard\\plain\\qc\\sb120\\sa60 %s\\par\n" % pict)
            return
        if first.startswith("!space"):
            pts = int(first.split()[1])
            self.parts.append("\\pard\\plain\\sl-%d\\slmult0\\fs%d \\par\n" % (pts * 20, pts * 2))
            return
        if first.startswith("# "):
            label, _, title = first[2:].partition("|")
            self.para("\\qc\\pagebb\\sb720\\sa60\\keepn", self.ink(label.strip(), where),
                      size=self.base, extra="\\scaps\\expndtw40\\cf%d" % self.colour_index["grey"])
            self.para("\\qc\\sb0\\sa360\\keepn", self.ink(title.strip(), where),
                      size=self.base + 12, extra="\\b\\cf%d" % self.colour_index["harbour"])
            self.after_heading = True
            return
        if first.startswith(">>"):
            text = " ".join(l[2:].strip() for l in lines)
            self.para("\\qc\\li1080\\ri1080\\sb0\\sa360", self.ink(text, where),
                      size=self.base - 4, extra="\\scaps\\cf%d" % self.colour_index["grey"])
            self.after_heading = True
            return
        if first.startswith(">"):
            text = " ".join(l[1:].strip() for l in lines)
            self.para("\\qc\\li1080\\ri1080\\sb120\\sa60", self.ink(text, where),
                      size=self.base - 2, extra="\\i")
            self.after_heading = True
            return
        if first.startswith("|>"):
            text = "\\line ".join(self.ink(l[2:].strip(), where) for l in lines)
            self.para("\\qr\\li1080\\ri1080\\sb60\\sa60", text, size=self.base - 2)
            return
        if first.startswith("|"):
            for l in lines:
                if not l.startswith("|"):
                    raise BookTextError("%s: letter line without '|': %r" % (where, l))
            text = " ".join(l[1:].strip() for l in lines)
            self.para("\\ql\\li1080\\ri1080\\fi0\\sb60\\sa120", self.ink(text, where),
                      font=3, size=self.base - 2, extra="\\cf%d" % self.colour_index["sea"])
            return
        if first.startswith(":"):
            text = "\\line ".join(self.ink(l[2:] if l.startswith(": ") else l[1:], where)
                                  for l in lines)
            self.para("\\ql\\li720\\ri720\\sb120\\sa120", text, font=2, size=self.base - 4)
            return
        if first.strip() == "* * *":
            self.parts.append("\\pard\\plain\\qc\\sb240\\sa240\\f0\\fs%d\\cf%d "
                              "*\\~\\~\\~\\~*\\~\\~\\~\\~*\\par\n"
                              % (self.base, self.colour_index["amber"]))
            self.after_heading = True
            return
        if first.startswith("="):
            m = re.match(r"=(\d*)\s?", first)
            size = int(m.group(1)) * 2 if m.group(1) else self.base
            texts = []
            for l in lines:
                mm = re.match(r"=(\d*)\s?", l)
                if not mm:
                    raise BookTextError("%s: centred block line without '=': %r" % (where, l))
                texts.append(self.ink(l[mm.end():], where))
            self.para("\\qc\\sb60\\sa60", "\\line ".join(texts), size=size)
            self.after_heading = True
            return
        if first.startswith("- "):
            entries = []
            for l in lines:
                if l.startswith("- "):
                    entries.append(l[2:].strip())
                else:
                    entries[-1] += " " + l.strip()
            for text in entries:
                self.para("\\ql\\li360\\fi-360\\sb0\\sa80", self.ink(text, where))
            return
        text = " ".join(l.strip() for l in lines)
        indent = "\\fi0" if self.after_heading else "\\fi360"
        self.para("\\ql%s\\sb0\\sa60\\sl276\\slmult1" % indent, self.ink(text, where))
        self.after_heading = False

    def add_source(self, text, where):
        block = []
        lineno = 0
        for lineno, line in enumerate(text.splitlines(), 1):
            if line.startswith("%"):
                continue
            if line.strip():
                block.append(line.rstrip())
            elif block:
                self.block(block, "%s:%d" % (where, lineno))
                block = []
        if block:
            self.block(block, "%s:%d" % (where, lineno))

    def rtf(self):
        fonts = "".join("{\\f%d\\%s\\fcharset0\\fprq%d %s;}" % (i, fam, pitch, name)
                        for i, (fam, pitch, name) in enumerate(FONTS))
        colours = ";".join("\\red%d\\green%d\\blue%d" % rgb for _, rgb in COLOURS)
        head = ("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057"
                "{\\fonttbl%s}\n{\\colortbl ;%s;}\n"
                "\\paperw11906\\paperh16838\\margl1440\\margr1440\\margt1440\\margb1440"
                "\\viewkind4\\uc1\n" % (fonts, colours))
        return head + "".join(self.parts) + "}\n"


def read_meta(bookdir):
    meta = {}
    with open(os.path.join(bookdir, "book.meta"), encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            key, sep, value = line.partition("=")
            if not sep:
                raise BookTextError("book.meta:%d: expected key = value" % n)
            meta[key.strip()] = value.strip()
    return meta


def build(source_files, source_dir, base_size=12):
    doc = Document(base_size=base_size, source_dir=source_dir)
    for path in source_files:
        with open(path, encoding="utf-8") as f:
            doc.add_source(f.read(), os.path.basename(path))
    data = doc.rtf()
    data.encode("ascii")  # every character was escaped above
    return data
