#!/usr/bin/env python3
"""Checks that RTF files are the plain, 7-bit, code page 1252 RTF the book carries.

    python3 tools/booktext/check_rtf.py FILE.rtf [...]

Checks: only 7-bit bytes; starts with {\\rtf1\\ansi and declares \\ansicpg1252;
braces balance and the document group closes exactly at the end; every \\'xx
escape has two hex digits; picture data is an even run of hex digits; a
\\wmetafile picture parses as a metafile whose records fill it exactly.
Prints each problem and exits 1 if there is any.
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


def _check_wmf(data):
    """Problems of a memory metafile's bytes (header, records, EOF record)."""
    if len(data) < 18:
        return ["metafile shorter than its header"]
    mtype, hsize, version, size_words, _objs, max_rec, _members = struct.unpack_from("<HHHIHIH", data)
    out = []
    if mtype not in (1, 2) or hsize != 9:
        out.append("metafile header: type %d, header size %d" % (mtype, hsize))
    if size_words * 2 != len(data):
        out.append("metafile header says %d bytes, picture has %d" % (size_words * 2, len(data)))
    pos = 18
    biggest = 0
    functions = []
    while pos + 6 <= len(data):
        size, func = struct.unpack_from("<IH", data, pos)
        if size < 3 or pos + size * 2 > len(data):
            out.append("metafile record at byte %d has a bad size %d" % (pos, size))
            return out
        biggest = max(biggest, size)
        functions.append(func)
        pos += size * 2
        if func == 0:
            break
    if not functions or functions[-1] != 0:
        out.append("metafile has no end record")
    if pos != len(data):
        out.append("metafile has %d bytes after its end record" % (len(data) - pos))
    if biggest != max_rec:
        out.append("metafile header's largest record %d, found %d" % (max_rec, biggest))
    return out


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
    pict_wmf = False
    for m in TOKEN.finditer(data):
        word, _, hexesc, sym, brace, text = m.groups()
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
                elif pict_wmf:
                    out.extend(_check_wmf(bytes.fromhex(hexdata.decode())))
                pict_depth = None
                pict_wmf = False
                pict_hex = []
            depth -= 1
            if depth < 0:
                out.append("unbalanced } at offset %d" % m.start())
                break
            if depth == 0:
                closed_at = m.end()
        elif word == b"pict":
            pict_depth = depth
        elif word == b"wmetafile" and pict_depth is not None:
            pict_wmf = True
        elif text is not None and pict_depth is not None:
            pict_hex.append(text)
        elif sym == b"'":
            out.append("bad \\' escape at offset %d" % m.start())
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
    for m in TOKEN.finditer(data):
        word, _, hexesc, sym, brace, text = m.groups()
        if brace == b"{":
            stack.append(skipping)
            continue
        if brace == b"}":
            skipping = stack.pop() if stack else False
            continue
        if sym == b"*":
            skipping = True
            continue
        if word is not None:
            if word in SKIP_DESTINATIONS:
                skipping = True
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
    return "".join(out)


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
