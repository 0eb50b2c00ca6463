#!/usr/bin/env python3
"""Converts a manuscript in Markdown, DOCX, ODT or EPUB to a book's RTF document.

    python3 tools/booktext/manuscript.py MANUSCRIPT OUTPUT.rtf

pandoc (https://pandoc.org) turns the manuscript into an RTF fragment, which is
wrapped here in the header the book's own documents use: code page 1252, Times
New Roman for the text (12 pt unless a heading says otherwise; pandoc makes
headings bold and larger), Courier New for code, an A4 page.  Every character
outside ASCII is written as \\uN? with N a signed 16-bit UTF-16 code unit and a
single "?" fallback, under one \\uc1 for the whole document.  The result is
checked with check_rtf and written through a temporary file, so a failure
leaves no output behind.
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import booktext  # noqa: E402
import check_rtf  # noqa: E402

FORMATS = {".md": "markdown", ".markdown": "markdown", ".docx": "docx",
           ".odt": "odt", ".epub": "epub"}

HEADER = ("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057"
          "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}"
          "{\\f1\\fmodern\\fcharset0\\fprq1 Courier New;}}\n"
          "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\n"
          "\\paperw11906\\paperh16838\\margl1440\\margr1440\\margt1440\\margb1440"
          "\\viewkind4\\uc1\\widowctrl\\f0\\fs24\n")

NO_PANDOC = ("manuscript.py: pandoc is not installed; install it with "
             "'sudo apt-get install pandoc' (Debian/Ubuntu) or from https://pandoc.org (Windows)")


class ManuscriptError(Exception):
    pass


def escape_unicode(fragment):
    """pandoc's RTF with every \\uN as a signed \\uN? and every \\ucN dropped.

    pandoc writes code units above 32767 unsigned and follows each \\u with an
    ASCII look-alike ("-" for a dash); the fallback it wrote is skipped as a
    reader would skip it, and "?" written instead.
    """
    text = "".join(c if ord(c) < 128 else booktext.unicode_escape(c) for c in fragment)
    out = []
    uc = [1]        # fallback length in force, per group
    skip = 0        # fallback characters of the last \u still to drop
    for m in check_rtf.TOKEN.finditer(text.encode("ascii")):
        word, number, _hexesc, _sym, brace, chars = m.groups()
        if brace is not None:
            skip = 0
            if brace == b"{":
                uc.append(uc[-1])
            elif len(uc) > 1:
                uc.pop()
            out.append(brace)
            continue
        if skip and chars is None:
            skip -= 1                   # a control word or symbol is one fallback character
            continue
        if skip:
            i = 0
            while skip and i < len(chars):
                skip -= chars[i:i + 1] not in (b"\r", b"\n")
                i += 1
            out.append(chars[i:])
            continue
        if word == b"uc":
            uc[-1] = int(number) if number else 1
            continue
        if word == b"u":
            n = int(number) if number else None
            if n is None or not -32768 <= n <= 65535:
                raise ManuscriptError("pandoc wrote a bad escape %r" % m.group(0).decode())
            out.append(b"\\u%d?" % (n - 65536 if n > 32767 else n))
            skip = uc[-1]
            continue
        out.append(m.group(0))
    return b"".join(out).decode("ascii")


def convert(source, pandoc="pandoc"):
    """The book's RTF text for one manuscript file."""
    fmt = FORMATS.get(os.path.splitext(source)[1].lower())
    if fmt is None:
        raise ManuscriptError("%s: unknown kind of manuscript; expected a .md, .markdown, "
                              ".docx, .odt or .epub file" % source)
    if not os.path.isfile(source):
        raise ManuscriptError("%s: no such file" % source)
    run = subprocess.run([pandoc, "-f", fmt, "-t", "rtf", source],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    err = run.stderr.decode("utf-8", "replace").strip()
    if run.returncode != 0:
        raise ManuscriptError("%s: pandoc could not read it as %s: %s"
                              % (source, fmt, err.splitlines()[0] if err else "exit %d" % run.returncode))
    for line in err.splitlines():
        print("manuscript.py: %s: pandoc: %s" % (source, line), file=sys.stderr)
    try:
        fragment = run.stdout.decode("utf-8")
    except UnicodeDecodeError as e:
        raise ManuscriptError("%s: pandoc's output is not UTF-8 (%s)" % (source, e))
    try:
        body = escape_unicode(fragment)
    except ManuscriptError as e:
        raise ManuscriptError("%s: %s" % (source, e))
    if not check_rtf.plain_text(body.encode("ascii")).strip():
        raise ManuscriptError("%s: the manuscript has no text" % source)
    data = HEADER + body.strip("\r\n") + "\n}\n"
    problems = check_rtf.problems(data.encode("ascii"))
    if problems:
        raise ManuscriptError("%s: the RTF made from it is broken: %s" % (source, "; ".join(problems)))
    return data


def write_atomically(path, data):
    """Writes data (CRLF line ends, as the book's other documents) or leaves path untouched."""
    folder = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(folder):
        raise ManuscriptError("%s: the folder %s does not exist" % (path, folder))
    fd, tmp = tempfile.mkstemp(prefix=".manuscript-", suffix=".rtf", dir=folder)
    try:
        with os.fdopen(fd, "w", encoding="ascii", newline="\r\n") as f:
            f.write(data)
        os.replace(tmp, path)
    except BaseException:
        os.unlink(tmp)
        raise


def main(argv):
    if len(argv) != 3:
        print("usage: manuscript.py MANUSCRIPT(.md .docx .odt .epub) OUTPUT.rtf", file=sys.stderr)
        return 2
    source, target = argv[1], argv[2]
    if not target.lower().endswith(".rtf"):
        print("manuscript.py: %s: the output must be an .rtf file" % target, file=sys.stderr)
        return 1
    pandoc = shutil.which("pandoc")
    if pandoc is None:
        print(NO_PANDOC, file=sys.stderr)
        return 1
    try:
        data = convert(source, pandoc)
        write_atomically(target, data)
    except (ManuscriptError, OSError) as e:
        print("manuscript.py: %s" % e, file=sys.stderr)
        return 1
    words = len(check_rtf.plain_text(data.encode("ascii")).split())
    print("%s: %d bytes, %d words" % (target, os.path.getsize(target), words))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
