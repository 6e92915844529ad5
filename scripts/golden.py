#!/usr/bin/env python3
"""The golden walk: a committed replay through every stage and key, and the frames it draws.

    scripts/golden.py [--program build/morwenfall] [--pak build/base/pak000.zip] [--record]

Replays tests/golden/walk.replay headless and writes its frame list, tests/golden/walk.frames,
saying loudly whether it changed: a changed list is a changed picture. With --record, first
records walk.replay afresh under Xvfb with real key presses. Needs Xvfb and xdotool for that.
"""

import argparse
import os
import sys
import time

from tarvotest import replayfile
from tarvotest.engine import play
from tarvotest.xsession import XSession

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GOLDEN = os.path.join(ROOT, "tests", "golden")

MAX_TICKS = 1500
# Keys and the seconds to wait after each: every stage and every key of the demo.
WALK = [(None, 1.0), ("p", 0.4), ("Right", 0.4), ("p", 0.5), ("Right", 1.2),  # title
        ("Right", 1.0),  # rotate-scale
        ("e", 0.4), ("r", 0.4), ("r", 0.4), ("t", 0.4), ("r", 0.4), ("s", 0.3), ("e", 0.4),
        ("r", 0.4), ("t", 0.4), ("p", 0.4), ("r", 0.4), ("p", 0.4), ("Right", 2.5),  # polygons
        ("Right", 1.0),  # tiles
        ("x", 0)]  # sound


def record(program, pak):
    os.environ.update(MORWENFALL=program, TARVO_PAK=pak)
    with XSession(["-record", "walk.replay"]) as session:
        for key, seconds in WALK:
            if key:
                session.key(key)
            time.sleep(seconds)
        if session.wait_exit() != 0:
            sys.exit("golden: the recording run failed:\n" + session.stderr())
        with open(session.path("walk.replay"), "rb") as f:
            data = f.read()
    end = replayfile.read(data)[1][-1]
    if end[1] != replayfile.END or end[0] > MAX_TICKS:
        sys.exit("golden: the walk took %d ticks, more than %d; not kept" % (end[0], MAX_TICKS))
    with open(os.path.join(GOLDEN, "walk.replay"), "wb") as f:
        f.write(data)
    print("golden: recorded walk.replay, %d ticks" % end[0])


def frames(program, pak):
    walk = os.path.join(GOLDEN, "walk.replay")
    return play(program, pak, ["-replay", walk, "-frames", "out"], "out/frames.txt")[1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default="build/morwenfall")
    parser.add_argument("--pak", default="build/base/pak000.zip")
    parser.add_argument("--record", action="store_true")
    args = parser.parse_args()
    program, pak = os.path.abspath(args.program), os.path.abspath(args.pak)
    if args.record:
        record(program, pak)
    listed = frames(program, pak)
    path = os.path.join(GOLDEN, "walk.frames")
    old = open(path).read() if os.path.exists(path) else ""
    with open(path, "w") as f:
        f.write(listed)
    if listed == old:
        print("golden: walk.frames unchanged (%d frames)" % listed.count("\n"))
    else:
        print("golden: *** walk.frames CHANGED: the walk's pictures are different now ***\n"
              "golden: look at the frames (-shot) before committing the new list")


if __name__ == "__main__":
    main()
