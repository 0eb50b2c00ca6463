"""Tests of the book text converter and the RTF checker.

    python3 -m unittest discover -s tools/booktext -p "test_*.py"
"""

import glob
import os
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import booktext  # noqa: E402
import check_rtf  # noqa: E402

REPO = os.path.dirname(os.path.dirname(HERE))
CONTENT = os.path.join(REPO, "content")


def text_of(source, size=12):
    doc = booktext.Document(base_size=size)
    doc.add_source(source, "test")
    return check_rtf.plain_text(doc.rtf().encode("ascii"))


class TypographyTest(unittest.TestCase):
    def test_quotes_around_markup_and_interruptions(self):
        cases = {
            '"*Hello*," she said.': "\u201cHello,\u201d she said.",
            "The *Tern*'s deck.": "The Tern\u2019s deck.",
            '"I ---" Nell began.': "\u201cI \u2014\u201d Nell began.",
            'He said--"no."': "He said\u2014\u201cno.\u201d",
            "'Quiet,' she said; it wasn't.": "\u2018Quiet,\u2019 she said; it wasn\u2019t.",
            '^"Look,"^ said Teo.': "\u201cLook,\u201d said Teo.",
            "Wait...": "Wait\u2026",
        }
        for source, expected in cases.items():
            self.assertEqual(text_of(source).strip(), expected, source)

    def test_urls_survive_untouched(self):
        url = "http://www.example.org/harbour-lights"
        self.assertIn(url, text_of("See %s today." % url))

    def test_rtf_specials_are_escaped(self):
        self.assertEqual(text_of(r"a \{b\} c\\d").strip(), "a {b} c\\d")


class MarkupErrorTest(unittest.TestCase):
    def test_unclosed_formatting_is_an_error(self):
        for bad in ("an *unclosed italic", "a **bold", "^small caps", "a {amber:colour"):
            with self.assertRaises(booktext.BookTextError, msg=bad):
                text_of(bad)

    def test_unknown_colour_is_an_error(self):
        with self.assertRaises(booktext.BookTextError):
            text_of("{purple:no such colour}")

    def test_character_outside_cp1252_is_an_error(self):
        with self.assertRaises(booktext.BookTextError):
            text_of("a snowman \u2603")

    def test_cp1252_characters_become_escapes(self):
        doc = booktext.Document()
        doc.add_source("caf\u00e9 \u00a9 \u2014 \u2019", "test")
        rtf = doc.rtf()
        self.assertIn("caf\\'e9", rtf)
        self.assertIn("\\'a9", rtf)
        rtf.encode("ascii")

    def test_each_list_line_is_its_own_paragraph(self):
        text = text_of("- one\n- two\n  continued\n- three")
        self.assertEqual([l for l in text.split("\n") if l], ["one", "two continued", "three"])


class PictureTest(unittest.TestCase):
    def test_metafile_holds_one_stretchdib_of_the_bitmap(self):
        w, h = 5, 3
        stride = (w * 3 + 3) & ~3
        bits = bytes(range(stride * h))
        info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(bits), 0, 0, 0, 0)
        with tempfile.NamedTemporaryFile(suffix=".bmp", delete=False) as f:
            f.write(struct.pack("<2sIHHI", b"BM", 54 + len(bits), 0, 0, 54) + info + bits)
            path = f.name
        try:
            rtf = booktext.picture_rtf(path, 2304, 2160)
        finally:
            os.unlink(path)
        self.assertTrue(rtf.startswith("{\\pict\\wmetafile8\\picw4064\\pich3810\\picwgoal2304\\pichgoal2160"))
        wmf = bytes.fromhex("".join(rtf[rtf.index("\n") + 1:-1].split()))
        self.assertEqual(check_rtf._check_wmf(wmf), [])
        pos, records = 18, []
        while pos < len(wmf):
            size, func = struct.unpack_from("<IH", wmf, pos)
            records.append((func, wmf[pos + 6:pos + size * 2]))
            pos += size * 2
        funcs = [f for f, _ in records]
        self.assertEqual(funcs.count(0x0F43), 1)
        self.assertEqual(funcs[-1], 0)
        params = dict(records)[0x0F43]
        rop, usage, sh, sw, sy, sx, dh, dw, dy, dx = struct.unpack_from("<IHhhhhhhhh", params)
        self.assertEqual((rop, usage, sh, sw, dh, dw), (0x00CC0020, 0, h, w, h, w))
        self.assertEqual(params[22:42], info[:20])       # header size, width, height, planes, depth, BI_RGB
        self.assertEqual(params[62:62 + len(bits)], bits)


class CheckRtfTest(unittest.TestCase):
    GOOD = b"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Times;}}\\pard caf\\'e9\\par}"

    def test_good_document(self):
        self.assertEqual(check_rtf.problems(self.GOOD), [])

    def test_faults_are_found(self):
        cases = {
            b"{\\rtf1\\ansi\\ansicpg1252 {\\b open\\par}": "left open",
            b"{\\rtf1\\ansi\\ansicpg1252 a}}": "after the document",
            b"{\\rtf1\\ansi\\ansicpg1252 caf\xe9}": "7-bit",
            b"{\\rtf1\\ansi\\ansicpg1252 caf\\'g9}": "escape",
            b"{\\rtf1\\ansi a}": "ansicpg1252",
            b"{\\rtf1\\ansi\\ansicpg1252 a}{b}": "after the document",
            b"{\\rtf1\\ansi\\ansicpg1252 {\\pict\\wmetafile8 0102030}}": "hex",
        }
        for data, words in cases.items():
            found = check_rtf.problems(data)
            self.assertTrue(any(words in p for p in found), "%r: %r" % (data, found))


class ShippedContentTest(unittest.TestCase):
    """The RTF files in content/ are generated: they must match their sources."""

    def test_documents_match_their_sources(self):
        meta = booktext.read_meta(CONTENT)
        textdir = os.path.join(CONTENT, "text")
        jobs = [(meta["book"], sorted(glob.glob(os.path.join(textdir, "book", "*.txt"))), 12),
                (meta["author_page"], [os.path.join(textdir, "author.txt")], 10),
                (meta["copyright_page"], [os.path.join(textdir, "copyright.txt")], 9)]
        for name, sources, size in jobs:
            with open(os.path.join(CONTENT, name), "rb") as f:
                shipped = f.read()
            self.assertEqual(check_rtf.problems(shipped), [], name)
            built = booktext.build(sources, textdir, base_size=size).encode("ascii")
            self.assertEqual(shipped.replace(b"\r\n", b"\n"), built,
                             "%s is stale: run tools/booktext/build_docs.py content" % name)


if __name__ == "__main__":
    unittest.main()
