"""Tests of the book text converter and the RTF checker.

    python3 -m unittest discover -s tools/booktext -p "test_*.py"
"""

import contextlib
import glob
import io
import os
import re
import shutil
import struct
import sys
import tempfile
import unittest
from unittest import mock

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import booktext  # noqa: E402
import check_rtf  # noqa: E402
import manuscript  # noqa: E402

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


class UnicodeTest(unittest.TestCase):
    def test_any_character_round_trips_as_signed_escapes(self):
        source = "\u03b8\u03ac\u03bb\u03b1\u03c3\u03c3\u03b1 \u043c\u0430\u044f\u043a caf\u00e9 \ufb01 \U0001f600 \u2603"
        doc = booktext.Document()
        doc.add_source(source, "test")
        rtf = doc.rtf()
        self.assertEqual(check_rtf.problems(rtf.encode("ascii")), [])
        self.assertEqual(check_rtf.plain_text(rtf.encode("ascii")).strip(), source)
        for escape in ("\\u952?", "\\u1084?", "caf\\'e9", "\\u-1279?", "\\u-10179?\\u-8704?", "\\u9731?"):
            self.assertIn(escape, rtf)

    def test_decoder_skips_the_fallback_a_reader_skips(self):
        data = b"{\\rtf1\\ansi\\ansicpg1252\\uc1 a\\u952?b {\\uc2\\u955 xyc\\u945\\'3f\\'3fd}\\u963 ?e}"
        self.assertEqual(check_rtf.plain_text(data), "a\u03b8b \u03bbc\u03b1d\u03c3e")

    def test_pandoc_escapes_become_signed_with_one_question_mark(self):
        self.assertEqual(manuscript.escape_unicode("a\\u8212-b\\u55357?\\u56832?{\\uc0\\u952 c}\u00e9"),
                         "a\\u8212?b\\u-10179?\\u-8704?{\\u952?c}\\u233?")


class PictureTest(unittest.TestCase):
    def test_bitmap_is_stored_as_a_32_bit_dib_the_checker_accepts(self):
        w, h = 5, 3
        stride = (w * 3 + 3) & ~3
        rows = [bytes(range(y * 16, y * 16 + w * 3)) for y in range(h)]
        bits = b"".join(r + b"\xee" * (stride - w * 3) for r in rows)
        info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(bits), 0, 0, 0, 0)
        with tempfile.NamedTemporaryFile(suffix=".bmp", delete=False) as f:
            f.write(struct.pack("<2sIHHI", b"BM", 54 + len(bits), 0, 0, 54) + info + bits)
            path = f.name
        try:
            rtf = booktext.picture_rtf(path, 2304, 2160)
        finally:
            os.unlink(path)
        self.assertTrue(rtf.startswith("{\\pict\\dibitmap0\\picw5\\pich3\\picwgoal2304\\pichgoal2160\n"))
        dib = bytes.fromhex("".join(rtf[rtf.index("\n") + 1:-1].split()))
        self.assertEqual(struct.unpack_from("<IiiHHI", dib), (40, w, h, 1, 32, 0))
        # each pixel keeps its blue, green and red; the row padding is gone
        pixels = dib[40:]
        self.assertEqual(len(pixels), w * h * 4)
        self.assertEqual(pixels[4 * (w + 2):4 * (w + 2) + 3], rows[1][6:9])
        doc = "{\\rtf1\\ansi\\ansicpg1252 %s}" % rtf
        self.assertEqual(check_rtf.problems(doc.encode("ascii")), [])


class CheckRtfTest(unittest.TestCase):
    GOOD = b"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Times;}}\\uc1\\pard caf\\'e9 \\u-3?\\u952?\\par}"

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
            b"{\\rtf1\\ansi\\ansicpg1252 {\\pict\\dibitmap0 0102030}}": "hex",
            b"{\\rtf1\\ansi\\ansicpg1252 {\\pict\\wmetafile8 0100}}": "\\wmetafile",
            b"{\\rtf1\\ansi\\ansicpg1252 {\\pict\\pngblip 0100}}": "\\pngblip",
            b"{\\rtf1\\ansi\\ansicpg1252 {\\pict\\dibitmap0 %s}}"
            % (struct.pack("<IiiHHI", 40, 1, 1, 1, 24, 0) + bytes(24)).hex().encode(): "24 bits",
            b"{\\rtf1\\ansi\\ansicpg1252 a\\u70000?}": "16-bit",
            self.GOOD[:-20]: "left open",
        }
        for data, words in cases.items():
            found = check_rtf.problems(data)
            self.assertTrue(any(words in p for p in found), "%r: %r" % (data, found))


@unittest.skipUnless(shutil.which("pandoc"), "pandoc is not installed")
class ManuscriptTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir)

    def make(self, source):
        out = os.path.join(self.dir, "book.rtf")
        err = io.StringIO()
        with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(err):
            rc = manuscript.main(["manuscript.py", source, out])
        return rc, out, err.getvalue()

    def test_sample_manuscript_makes_a_clean_book_page(self):
        rc, out, err = self.make(os.path.join(HERE, "sample-manuscript.md"))
        self.assertEqual((rc, err), (0, ""))
        with open(out, "rb") as f:
            data = f.read()
        self.assertEqual(check_rtf.problems(data), [])
        self.assertIn(b"Times New Roman", data)
        self.assertRegex(data, rb"\\b \\fs3\d The Keeper")
        for n, fallback in re.findall(rb"\\u(-?\d+)(.)", data):
            self.assertTrue(-32768 <= int(n) < 32768 and fallback == b"?", (n, fallback))
        text = check_rtf.plain_text(data)
        for word in ("\u03b8\u03ac\u03bb\u03b1\u03c3\u03c3\u03b1", "\u043c\u0430\u044f\u043a", "\u2019s Words"):
            self.assertIn(word, text)

    def test_failures_leave_nothing_behind(self):
        broken = os.path.join(self.dir, "broken.docx")
        with open(broken, "wb") as f:
            f.write(b"not a zip")
        rc, out, err = self.make(broken)
        self.assertEqual(rc, 1)
        self.assertIn("broken.docx", err)
        self.assertEqual(os.listdir(self.dir), ["broken.docx"])
        with mock.patch("shutil.which", return_value=None):
            rc, out, err = self.make(os.path.join(HERE, "sample-manuscript.md"))
        self.assertEqual((rc, err.count("\n")), (1, 1))
        self.assertIn("apt-get install pandoc", err)


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
