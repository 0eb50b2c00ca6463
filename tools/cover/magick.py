"""Small helpers over ImageMagick's convert: drawing, text coverage masks, fonts."""

import os
import shutil
import subprocess

import bmp24

FONT_DIRS = ["/usr/share/fonts/truetype/liberation", "/usr/share/fonts/truetype/dejavu"]


class MagickError(Exception):
    pass


def convert(args, stdin=None):
    exe = shutil.which("convert")
    if not exe:
        raise MagickError("ImageMagick's convert is not on PATH (Debian package imagemagick)")
    proc = subprocess.run([exe] + [str(a) for a in args], input=stdin,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if proc.returncode != 0:
        raise MagickError("convert %s failed: %s"
                          % (" ".join(str(a) for a in args[:6]), proc.stderr.decode(errors="replace")))
    return proc.stdout


def font(name):
    """Path of a TrueType font file by its file name, e.g. 'LiberationSerif-Italic.ttf'."""
    for d in FONT_DIRS:
        p = os.path.join(d, name)
        if os.path.exists(p):
            return p
    fc = shutil.which("fc-match")
    if fc:
        family = os.path.splitext(name)[0].replace("-", ":style=")
        out = subprocess.run([fc, "-f", "%{file}", family], stdout=subprocess.PIPE).stdout.decode()
        if out and os.path.exists(out):
            return out
    raise MagickError("font %s not found (Debian packages fonts-liberation, fonts-dejavu-core)" % name)


def _pnm(data):
    """Parses a binary PGM (P5) or PPM (P6): returns (kind, width, height, pixel bytes)."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    kind, w, h, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if maxval != 255 or kind not in (b"P5", b"P6"):
        raise MagickError("unexpected PNM output %r maxval %d" % (kind, maxval))
    n = w * h * (3 if kind == b"P6" else 1)
    return kind, w, h, data[pos:pos + n]


def render_rgb(args):
    """Runs convert with the given input and operations; returns the result as an Image."""
    data = convert(list(args) + ["-alpha", "off", "-depth", "8", "ppm:-"])
    kind, w, h, px = _pnm(data)
    if kind != b"P6":
        raise MagickError("expected a colour picture")
    return bmp24.Image(w, h, px)


class TextMask:
    """One line of text as an 8-bit coverage mask, with the box its ink fills."""

    def __init__(self, text, font_file, size, kerning=0.0):
        safe = text.replace("%", "%%")
        if safe.startswith("@"):
            safe = "\\" + safe
        data = convert(["-background", "black", "-fill", "white", "-font", font_file,
                        "-pointsize", size, "-kerning", kerning, "label:" + safe,
                        "-alpha", "off", "-colorspace", "gray", "-depth", "8", "pgm:-"])
        _, self.width, self.height, self.mask = _pnm(data)
        cols = [x for x in range(self.width) if any(self.mask[y * self.width + x] for y in range(self.height))]
        rows = [y for y in range(self.height) if any(self.mask[y * self.width:(y + 1) * self.width])]
        if not cols:
            raise MagickError("text %r rendered no ink" % text)
        self.ink_left, self.ink_right = cols[0], cols[-1]
        self.ink_top, self.ink_bottom = rows[0], rows[-1]

    @property
    def ink_width(self):
        return self.ink_right - self.ink_left + 1

    @property
    def ink_height(self):
        return self.ink_bottom - self.ink_top + 1

    def draw(self, img, ink_left, line_top, colour):
        """Paints the text so its ink starts at column ink_left; line_top is the label's top row."""
        left = ink_left - self.ink_left
        img.blend_mask(self.mask, self.width, self.height, left, line_top, colour)
        return (ink_left, line_top + self.ink_top, ink_left + self.ink_width - 1, line_top + self.ink_bottom)
