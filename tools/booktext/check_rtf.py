#!/usr/bin/env python3
"""Checks that RTF files are the plain, 7-bit, code page 1252 RTF the book carries.

    python3 tools/booktext/check_rtf.py FILE.rtf [...]

Checks: only 7-bit bytes; starts with {\\rtf1\\ansi and declares \\ansicpg1252;
braces balance and the document group closes exactly at the end; every \\'xx
escape has two hex digits; every \\u escape (a character outside the code page,
as a UTF-16 code unit, signed or not) has a 16-bit number; picture data is an
even run of hex digits; every picture is a \\dibitmap0 of 32 bits a pixel whose
header and pixels fill it exactly (the one form the rich edit draws both under
Wine and on Windows: metafile and enhanced metafile pictures only take their
space under Wine, PNG, JPEG and \\wbitmap pictures are dropped, a 24-bit DIB
shows with shifted colours).  Prints each problem and exits 1 if there is any.
"""

import re
import struct
import sys

NAMED = {b"lquote": "\u2018", b"rquote": "\u2019", b"ldblquote": "\u201c",
         b"rdblquote": "\u201d", b"emdash": "\u2014", b"endash": "\u2013",
         b"bullet": "\u2022", b"tab": "\t", b"line": "\n", b"par": "\n"}
SKIP_DESTINATIONS = {b"fonttbl", b"colortbl", b"stylesheet", b"pict", b"info",
                     b"header", b"footer", b"object", b"listtable"}

TOKEN = re.compile(rb"\\([a-zA-Z]+)(-?\d+)? ?|\\'([0-9a-fA-F]{2})|\\(.)|([{}])|([^\\{}]+)", re.S)


PICTURE_FORMS = {b"wmetafile", b"emfblip", b"pngblip", b"jpegblip", b"wbitmap", b"dibitmap",
                 b"macpict", b"pmmetafile"}


def _check_picture(form, data):
    """Problems of one picture, given its form's control word and its bytes."""
    if form != b"dibitmap":
        what = "\\" + form.decode() if form else "no form"
        return ["a picture stored as %s does not show in the reader under Wine; "
                "store it as \\dibitmap0 of 32 bits a pixel (booktext's !picture)" % what]
    if len(data) < 40:
        return ["DIB picture shorter than its header"]
    hsize, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", data)
    if hsize != 40 or planes != 1 or comp != 0 or w <= 0 or h == 0:
        return ["DIB picture header: size %d, %d x %d, planes %d, compression %d"
                % (hsize, w, h, planes, comp)]
    if bpp != 32:
        return ["DIB picture has %d bits a pixel; under Wine only 32 show their true colours" % bpp]
    if len(data) != 40 + w * abs(h) * 4:
        return ["DIB picture of %d x %d needs %d bytes, has %d" % (w, abs(h), 40 + w * abs(h) * 4, len(data))]
    return []


def problems(data):
    out = []
    for i, b in enumerate(data):
        if b >= 128:
            out.append("byte 0x%02x at offset %d is not 7-bit" % (b, i))
            break
    if not data.startswith(b"{\\rtf1\\ansi"):
        out.append("does not start with {\\rtf1\\ansi")
    if b"\\ansicpg1252" not in data[:200]:
        out.append("no \\ansicpg1252 in the header")
    depth = 0
    closed_at = None
    pict_depth = None
    pict_hex = []
    pict_form = None
    for m in TOKEN.finditer(data):
        word, number, hexesc, sym, brace, text = m.groups()
        if closed_at is not None and not (text and not text.strip()):
            out.append("content after the document group closed (offset %d)" % m.start())
            break
        if brace == b"{":
            depth += 1
        elif brace == b"}":
            if pict_depth is not None and depth == pict_depth:
                hexdata = re.sub(rb"\s", b"", b"".join(pict_hex))
                if not re.fullmatch(rb"[0-9a-fA-F]*", hexdata) or len(hexdata) % 2:
                    out.append("picture data is not an even run of hex digits")
                else:
                    out.extend(_check_picture(pict_form, bytes.fromhex(hexdata.decode())))
                pict_depth = None
                pict_form = None
                pict_hex = []
            depth -= 1
            if depth < 0:
                out.append("unbalanced } at offset %d" % m.start())
                break
            if depth == 0:
                closed_at = m.end()
        elif word == b"pict":
            pict_depth = depth
        elif word in PICTURE_FORMS and pict_depth is not None:
            pict_form = word
        elif text is not None and pict_depth is not None:
            pict_hex.append(text)
        elif sym == b"'":
            out.append("bad \\' escape at offset %d" % m.start())
        elif word == b"u" and not (number and -32768 <= int(number) <= 65535):
            out.append("\\u without a 16-bit number at offset %d" % m.start())
    if depth > 0:
        out.append("%d group(s) left open at the end" % depth)
    if closed_at is None and depth == 0:
        out.append("no document group")
    return out


def plain_text(data):
    """The document's visible text (roughly as a reader sees it), for counting and checking."""
    out = []
    stack = []
    skipping = False
    uc = 1              # fallback characters after each \\u, set by \\ucN for its group
    fallback = 0        # fallback characters still to skip
    for m in TOKEN.finditer(data):
        word, number, hexesc, sym, brace, text = m.groups()
        if brace is not None:
            fallback = 0
            if brace == b"{":
                stack.append((skipping, uc))
            else:
                skipping, uc = stack.pop() if stack else (False, 1)
            continue
        if fallback and text is None:
            fallback -= 1           # a control word or symbol counts as one character
            continue
        if fallback:
            text = text.replace(b"\r", b"").replace(b"\n", b"")
            text, fallback = text[fallback:], max(0, fallback - len(text))
        if sym == b"*":
            skipping = True
            continue
        if word is not None:
            if word in SKIP_DESTINATIONS:
                skipping = True
            elif word == b"uc" and number is not None:
                uc = int(number)
            elif word == b"u" and number is not None and not skipping:
                out.append(chr(int(number) & 0xFFFF))
                fallback = uc
            elif not skipping and word in NAMED:
                out.append(NAMED[word])
            continue
        if skipping:
            continue
        if hexesc is not None:
            out.append(bytes([int(hexesc, 16)]).decode("cp1252", "replace"))
        elif sym is not None:
            out.append({b"~": "\u00a0", b"_": "-", b"-": ""}.get(sym, sym.decode("latin-1")))
        elif text is not None:
            out.append(text.replace(b"\r", b"").replace(b"\n", b"").decode("ascii", "replace"))
    # surrogate pairs, written as two \\u escapes, become one character
    return "".join(out).encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace")


def main(argv):
    if len(argv) < 2:
        sys.exit("usage: check_rtf.py FILE.rtf [...]")
    bad = 0
    for path in argv[1:]:
        with open(path, "rb") as f:
            found = problems(f.read())
        for p in found:
            print("%s: %s" % (path, p))
        bad += bool(found)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
