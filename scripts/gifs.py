#!/usr/bin/env python3
"""Renders the README's animations: one GIF per stage from the golden walk's replay.

    scripts/gifs.py [--program build/morwenfall] [--pak build/base/pak000.zip] [--out docs/anim]

Each NN-stage.gif is the walk's frames over a fixed tick range (-gif with -from and -to),
replayed headless, so the same build renders the same files. Fails when a file is longer than
4 s or larger than 1.5 MB, or all of them together larger than 6 MB.
"""

import argparse
import os
import sys

from tarvotest.engine import play

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WALK = os.path.join(ROOT, "tests", "golden", "walk.replay")

# Name, first and last tick of the walk shown: each stage while it moves, its keys included.
RANGES = [("01-title", 60, 299), ("02-rotate-scale", 523, 603), ("03-polygons", 605, 844),
          ("04-tiles", 1009, 1157), ("05-sound", 1159, 1223)]
MAX_TICKS = 240
MAX_BYTES = 1500 * 1000
MAX_TOTAL = 6000 * 1000


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "morwenfall"))
    parser.add_argument("--pak", default=os.path.join(ROOT, "build", "base", "pak000.zip"))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "anim"))
    options = parser.parse_args()
    program, pak = os.path.abspath(options.program), os.path.abspath(options.pak)
    os.makedirs(options.out, exist_ok=True)
    total = 0
    for name, first, last in RANGES:
        if last - first + 1 > MAX_TICKS:
            sys.exit("gifs: %s runs %d ticks, more than %d" % (name, last - first + 1, MAX_TICKS))
        path = os.path.join(os.path.abspath(options.out), name + ".gif")
        play(program, pak, ["-replay", WALK, "-gif", path, "-from", str(first), "-to", str(last)])
        size = os.path.getsize(path)
        total += size
        print("%s: %d ticks, %d bytes" % (path, last - first + 1, size))
        if size > MAX_BYTES:
            sys.exit("gifs: %s is larger than %d bytes" % (name, MAX_BYTES))
    if total > MAX_TOTAL:
        sys.exit("gifs: %d bytes together, more than %d" % (total, MAX_TOTAL))


if __name__ == "__main__":
    main()
