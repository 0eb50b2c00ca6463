#!/usr/bin/env python3
"""Builds a book folder's three RTF documents from its text sources.

    python3 tools/booktext/build_docs.py content

Reads <bookdir>/book.meta and writes, under the names it gives:
    book       <- <bookdir>/text/book/*.txt in name order
    author_page    <- <bookdir>/text/author.txt   (may embed text/portrait.bmp)
    copyright_page <- <bookdir>/text/copyright.txt
Each document is checked with check_rtf before it is written.
"""

import glob
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import booktext  # noqa: E402
import check_rtf  # noqa: E402


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: build_docs.py BOOKDIR")
    bookdir = argv[1]
    meta = booktext.read_meta(bookdir)
    textdir = os.path.join(bookdir, "text")
    jobs = [
        (meta.get("book", "book.rtf"), sorted(glob.glob(os.path.join(textdir, "book", "*.txt"))), 12),
        (meta.get("author_page", "author.rtf"), [os.path.join(textdir, "author.txt")], 10),
        (meta.get("copyright_page", "copyright.rtf"), [os.path.join(textdir, "copyright.txt")], 9),
    ]
    failed = False
    for name, sources, size in jobs:
        if not sources or not all(os.path.exists(s) for s in sources):
            sys.exit("build_docs: missing sources for %s" % name)
        try:
            data = booktext.build(sources, textdir, base_size=size)
        except booktext.BookTextError as e:
            sys.exit("build_docs: %s" % e)
        problems = check_rtf.problems(data.encode("ascii"))
        if problems:
            failed = True
            for p in problems:
                print("build_docs: %s: %s" % (name, p), file=sys.stderr)
            continue
        out = os.path.join(bookdir, name)
        with open(out, "w", encoding="ascii", newline="\r\n") as f:
            f.write(data)
        words = len(check_rtf.plain_text(data.encode("ascii")).split())
        print("%s: %d bytes, %d words" % (out, os.path.getsize(out), words))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
