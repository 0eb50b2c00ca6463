#!/usr/bin/env python3
"""Writes a large RTF book for load and scrolling benchmarks.

    python3 bench/gen_large_book.py OUTPUT.rtf [SIZE_MB] [--seed N]

SIZE_MB is the target size in megabytes (default 5; the file ends at the first
paragraph that reaches it).  The same seed always gives the same file.

The document is plain RichEdit-loadable RTF 1.x in code page 1252, 7-bit with
\\'xx escapes: a font table, a colour table, a stylesheet (Normal, three
heading levels, a block quotation and a list entry), chapters and sections
under styled headings, and body paragraphs whose character formatting varies
(bold, italic, underline, small caps, colours, typewriter and sans runs,
larger and smaller sizes), with accented words, curly quotes and dashes, and
plain web addresses for the control's automatic link detection.
"""

import argparse
import random
import sys

WORDS = """
harbour lantern tide quay breakwater ferry gull rope mast anchor lamp wick horn tin solder
window shop ledger name winter night fog rain wind swell island seal chapel bell clock pendulum
letter envelope stamp kettle bread saffron bun oven counter drawer bench stove shelf label string
morning evening afternoon midnight dawn dusk light shadow glow spark flame ember smoke ash candle
old young patient quiet slow careful bright soft warm cold grey gold amber green blue white dark
walk carry hold lift light hang mend wait listen remember forget write read open close turn
boat skipper crew net herring pot line knot bowline hitch cleat bollard slipway steps wall arm
street lane alley hill cobble gutter roof slate chimney door step sill pane frame glass brass
map chart sounding fathom compass bearing course mouth rocks channel mooring buoy beacon signal
""".split()

ACCENTED = ["caf\\'e9", "na\\'efve", "fa\\'e7ade", "r\\'e9sum\\'e9", "se\\'f1or", "M\\'fcller",
            "\\'c5lesund", "fj\\'f8rd", "cr\\'e8me", "d\\'e9j\\'e0 vu", "pi\\'f1ata", "Bj\\'f6rk"]

HEAD = (r"{\rtf1\ansi\ansicpg1252\deff0\deflang2057"
        r"{\fonttbl{\f0\froman\fcharset0\fprq2 Times New Roman;}{\f1\fswiss\fcharset0\fprq2 Arial;}"
        r"{\f2\fmodern\fcharset0\fprq1 Courier New;}{\f3\froman\fcharset0\fprq2 Georgia;}}" "\n"
        r"{\colortbl ;\red31\green53\blue80;\red176\green106\blue20;\red150\green32\blue32;"
        r"\red36\green96\blue88;\red96\green96\blue96;}" "\n"
        r"{\stylesheet{\s0\ql\sa60\f0\fs24 Normal;}"
        r"{\s1\qc\sb480\sa240\keepn\b\f1\fs36\cf1\sbasedon0\snext0 heading 1;}"
        r"{\s2\ql\sb360\sa120\keepn\b\f1\fs28\cf1\sbasedon0\snext0 heading 2;}"
        r"{\s3\ql\sb240\sa60\keepn\b\i\f0\fs24\sbasedon0\snext0 heading 3;}"
        r"{\s4\ql\li1080\ri1080\sb60\sa120\i\f3\fs22\cf4\sbasedon0\snext0 Block Quotation;}"
        r"{\s5\ql\li720\fi-360\sa40\f0\fs24\sbasedon0\snext5 List Entry;}}" "\n"
        r"\viewkind4\uc1" "\n")

STYLE_PARA = {
    0: r"\pard\plain\s0\ql\fi360\sa60\f0\fs24 ",
    1: r"\pard\plain\s1\qc\sb480\sa240\keepn\b\f1\fs36\cf1 ",
    2: r"\pard\plain\s2\ql\sb360\sa120\keepn\b\f1\fs28\cf1 ",
    3: r"\pard\plain\s3\ql\sb240\sa60\keepn\b\i\f0\fs24 ",
    4: r"\pard\plain\s4\ql\li1080\ri1080\sb60\sa120\i\f3\fs22\cf4 ",
    5: r"\pard\plain\s5\ql\li720\fi-360\sa40\f0\fs24 ",
}

# (opening control words, closing control words) for formatted runs
RUNS = [
    (r"\b ", r"\b0 "), (r"\i ", r"\i0 "), (r"\ul ", r"\ulnone "), (r"\scaps ", r"\scaps0 "),
    (r"\cf1 ", r"\cf0 "), (r"\cf2 ", r"\cf0 "), (r"\cf3 ", r"\cf0 "), (r"\f2 ", r"\f0 "),
    (r"\f1 ", r"\f0 "), (r"\fs32 ", r"\fs24 "), (r"\fs18 ", r"\fs24 "), (r"\b\i ", r"\b0\i0 "),
    (r"\strike ", r"\strike0 "), (r"\super ", r"\nosupersub "),
]


class Book:
    def __init__(self, seed):
        self.rnd = random.Random(seed)
        self.links = 0

    def word(self):
        r = self.rnd.random()
        if r < 0.01:
            return self.rnd.choice(ACCENTED)
        return self.rnd.choice(WORDS)

    def sentence(self, formatted=True):
        n = self.rnd.randint(5, 22)
        words = [self.word() for _ in range(n)]
        words[0] = words[0][:1].upper() + words[0][1:]
        out = []
        i = 0
        while i < len(words):
            r = self.rnd.random()
            if formatted and r < 0.06 and i + 2 < len(words):
                on, off = self.rnd.choice(RUNS)
                span = self.rnd.randint(1, 3)
                out.append(on + " ".join(words[i:i + span]) + off + " ")
                i += span
                continue
            last = i == len(words) - 1
            if r < 0.08 and not last:
                out.append(words[i] + r"\emdash ")
            elif r < 0.12 and not last:
                out.append(words[i] + ", ")
            else:
                out.append(words[i] + " ")
            i += 1
        text = "".join(out).rstrip().rstrip(",")
        end = self.rnd.choice([".", ".", ".", "?", "!", r"\'85"])
        if self.rnd.random() < 0.15:
            return r"\ldblquote " + text + end + r"\rdblquote  "
        return text + end + " "

    def paragraph(self):
        parts = [self.sentence() for _ in range(self.rnd.randint(2, 9))]
        if self.rnd.random() < 0.08:
            self.links += 1
            host = self.rnd.choice(["www.example.org", "www.example.com", "harbour.example.net"])
            parts.insert(self.rnd.randint(0, len(parts)),
                         "See http://%s/lanterns/%d.html for more. " % (host, self.links))
        return "".join(parts).rstrip()

    def generate(self, target_bytes, out):
        out.write(HEAD)
        size = len(HEAD)
        chapter = 0
        while size < target_bytes:
            chapter += 1
            chunks = [STYLE_PARA[1] + "Chapter %d: %s\\par\n" % (chapter, self.sentence(False).rstrip(" .!?"))]
            for section in range(1, self.rnd.randint(3, 6)):
                chunks.append(STYLE_PARA[2] + "%d.%d %s\\par\n" % (chapter, section, self.sentence(False).rstrip()))
                for _ in range(self.rnd.randint(6, 18)):
                    r = self.rnd.random()
                    if r < 0.05:
                        chunks.append(STYLE_PARA[3] + self.sentence(False).rstrip() + "\\par\n")
                    elif r < 0.10:
                        chunks.append(STYLE_PARA[4] + self.paragraph() + "\\par\n")
                    elif r < 0.14:
                        for _ in range(self.rnd.randint(2, 5)):
                            chunks.append(STYLE_PARA[5] + "\\bullet\\tab " + self.sentence() + "\\par\n")
                    else:
                        chunks.append(STYLE_PARA[0] + self.paragraph() + "\\par\n")
            text = "".join(chunks)
            out.write(text)
            size += len(text)
        out.write("}\n")
        return size + 2


def main(argv):
    ap = argparse.ArgumentParser(description="Generate a large RTF book for benchmarks.")
    ap.add_argument("output", help="RTF file to write")
    ap.add_argument("size_mb", nargs="?", type=float, default=5.0, help="target size in MB (default 5)")
    ap.add_argument("--seed", type=int, default=20011220, help="random seed (default 20011220)")
    args = ap.parse_args(argv[1:])
    target = int(args.size_mb * 1024 * 1024)
    with open(args.output, "w", encoding="ascii", newline="\n") as f:
        written = Book(args.seed).generate(target, f)
    print("%s: %d bytes" % (args.output, written))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
