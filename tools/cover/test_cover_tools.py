"""Tests of the cover checker, the BMP writer and the cover drawing.

    python3 -m unittest discover -s tools/cover -p "test_*.py"
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import bmp24  # noqa: E402
import check_cover  # noqa: E402

REPO = os.path.dirname(os.path.dirname(HERE))


def good_cover():
    """A minimal cover that meets every rule: margin, page, frame, ink in each click area."""
    img = bmp24.Image(400, 400, fill=check_cover.FUCHSIA)
    img.fill_rect(17, 17, 384, 383, (255, 255, 255))
    img.fill_rect(17, 17, 384, 18, check_cover.FRAME)
    img.fill_rect(17, 382, 384, 383, check_cover.FRAME)
    img.fill_rect(17, 17, 18, 383, check_cover.FRAME)
    img.fill_rect(383, 17, 384, 383, check_cover.FRAME)
    for _, x0, x1 in check_cover.LABELS:
        img.fill_rect(x0 + 5, 350, x1 - 5, 355, (20, 20, 20))
    return img


class CoverCheckTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        self.path = os.path.join(self.tmp, "cover.bmp")

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def problems_of(self, img=None, data=None):
        if data is None:
            data = bmp24.encode(img if img is not None else good_cover())
        with open(self.path, "wb") as f:
            f.write(data)
        return check_cover.problems(self.path)

    def assertProblem(self, problems, words):
        self.assertTrue(any(words in p for p in problems), "no problem mentioning %r in %r" % (words, problems))

    def test_good_cover_passes(self):
        self.assertEqual(self.problems_of(), [])

    def test_fuchsia_inside_page_is_a_hole(self):
        for x, y in ((17 + 2, 17 + 2), (200, 200), (382, 381)):
            img = good_cover()
            img.set(x, y, check_cover.FUCHSIA)
            self.assertProblem(self.problems_of(img), "fuchsia pixel inside")

    def test_near_fuchsia_inside_page_is_allowed(self):
        img = good_cover()
        img.set(200, 200, (254, 0, 255))
        self.assertEqual(self.problems_of(img), [])

    def test_margin_edges_are_exact(self):
        # last margin column/row on each side, and first page column/row beyond it
        for x, y in ((16, 100), (385, 100), (100, 16), (100, 384)):
            img = good_cover()
            img.set(x, y, (255, 255, 255))
            self.assertProblem(self.problems_of(img), "margin pixel")

    def test_frame_must_be_two_pixels_of_dark_grey(self):
        for x, y in ((18, 200), (383, 200), (200, 18), (200, 382)):
            img = good_cover()
            img.set(x, y, (65, 64, 64))
            self.assertProblem(self.problems_of(img), "frame pixel")

    def test_missing_word_is_reported(self):
        img = good_cover()
        img.fill_rect(196, 344, 274, 362, (255, 255, 255))
        self.assertProblem(self.problems_of(img), "Minimize")

    def test_word_spilling_out_of_its_area_is_reported(self):
        img = good_cover()
        img.fill_rect(117, 350, 118, 352, (20, 20, 20))       # just right of Read's area
        self.assertProblem(self.problems_of(img), "outside the four click areas")

    def test_header_fields(self):
        data = bytearray(bmp24.encode(good_cover()))
        cases = {
            "biXPelsPerMeter": (38, 3780),
            "biYPelsPerMeter": (42, 3780),
            "biCompression": (30, 1),
            "biClrUsed": (46, 16),
        }
        for name, (offset, value) in cases.items():
            bad = bytearray(data)
            struct.pack_into("<I", bad, offset, value)
            self.assertProblem(self.problems_of(data=bytes(bad)), name)

    def test_top_down_bitmap_is_rejected(self):
        data = bytearray(bmp24.encode(good_cover()))
        struct.pack_into("<i", data, 22, -400)
        self.assertProblem(self.problems_of(data=bytes(data)), "biHeight")

    def test_wrong_size_is_rejected(self):
        img = bmp24.Image(401, 400, fill=check_cover.FUCHSIA)
        problems = self.problems_of(img)
        self.assertProblem(problems, "biWidth")
        self.assertProblem(problems, "file is")

    def test_command_line_exit_codes(self):
        self.problems_of()
        ok = subprocess.run([sys.executable, os.path.join(HERE, "check_cover.py"), self.path],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(ok.returncode, 0, ok.stderr)
        img = good_cover()
        img.set(200, 200, check_cover.FUCHSIA)
        self.problems_of(img)
        bad = subprocess.run([sys.executable, os.path.join(HERE, "check_cover.py"), self.path],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(bad.returncode, 1)
        self.assertIn(b"(200, 200)", bad.stderr)


class BmpWriterTest(unittest.TestCase):
    def test_rows_are_stored_bottom_up_in_bgr(self):
        img = bmp24.Image(3, 2, fill=(0, 0, 0))
        img.set(0, 0, (10, 20, 30))      # top-left
        img.set(2, 1, (40, 50, 60))      # bottom-right
        data = bmp24.encode(img)
        stride = 12                      # 9 bytes padded to 4
        self.assertEqual(len(data), 54 + 2 * stride)
        bottom_row, top_row = data[54:54 + stride], data[54 + stride:54 + 2 * stride]
        self.assertEqual(bottom_row[6:9], bytes((60, 50, 40)))
        self.assertEqual(top_row[0:3], bytes((30, 20, 10)))
        self.assertEqual(bmp24.decode(data).rgb, img.rgb)


@unittest.skipUnless(shutil.which("convert"), "ImageMagick's convert is not installed")
class MakeCoverTest(unittest.TestCase):
    def test_other_book_gets_a_valid_cover_and_icon(self):
        tmp = tempfile.mkdtemp()
        try:
            with open(os.path.join(tmp, "book.meta"), "w") as f:
                f.write("title = The Extraordinarily Long Voyage of the Northern Schooner\n"
                        "author = Maximilian Featherstonehaugh-Everingham\n"
                        "cover = cover.bmp\nicon = book.ico\n")
            with open(os.path.join(tmp, "cover-quote.txt"), "w") as f:
                f.write("A quotation long enough to need wrapping over more than one line of the "
                        "cover, with 100% of its words kept.\nA Reviewer\n")
            run = subprocess.run([sys.executable, os.path.join(HERE, "make_cover.py"), tmp],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            self.assertEqual(run.returncode, 0, run.stderr.decode())
            self.assertEqual(check_cover.problems(os.path.join(tmp, "cover.bmp")), [])
            with open(os.path.join(tmp, "book.ico"), "rb") as f:
                ico = f.read()
            reserved, kind, count = struct.unpack_from("<HHH", ico)
            self.assertEqual((reserved, kind), (0, 1))
            sizes = sorted(ico[6 + 16 * i] for i in range(count))
            self.assertEqual(sizes, [16, 32, 48])
        finally:
            shutil.rmtree(tmp)

    def test_shipped_cover_is_valid(self):
        path = os.path.join(REPO, "content", "cover.bmp")
        self.assertEqual(check_cover.problems(path), [])


if __name__ == "__main__":
    unittest.main()
