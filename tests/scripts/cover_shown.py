#!/usr/bin/env python3
"""Whether a screenshot shows a cover picture at a window's place.

    cover_shown.py <screenshot.png> <WxH+X+Y> <cover.bmp>

The window's part of the screenshot is compared with the cover, pixel by
pixel, its cut (fuchsia) pixels aside; exit status 0 when at least 97 % of
the kept pixels are shown (each channel within 8)."""
import subprocess
import sys


def rgb(path, *crop):
    return subprocess.run(["convert", path, *crop, "-depth", "8", "rgb:-"],
                          check=True, capture_output=True).stdout


shot, geometry, cover_path = sys.argv[1:4]
shown = rgb(shot, "-crop", geometry, "+repage")
cover = rgb(cover_path)
if len(shown) != len(cover):
    sys.exit(f"the window is {len(shown) // 3} pixels, the cover {len(cover) // 3}")
kept = same = 0
for i in range(0, len(cover), 3):
    c = cover[i:i + 3]
    if c == b"\xff\x00\xff":
        continue
    kept += 1
    same += all(abs(a - b) <= 8 for a, b in zip(c, shown[i:i + 3]))
print(f"cover pixels shown: {same} of {kept}")
sys.exit(0 if kept > 100000 and same >= 0.97 * kept else 1)
