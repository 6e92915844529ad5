#!/usr/bin/env python3
"""The whole-demo benchmark: replays bench/demo.replay as fast as frames can be drawn and puts
its table into docs/performance.md between the bench-demo markers.

    scripts/benchdemo.py [--program build-bench/morwenfall] [--pak build-bench/base/pak000.zip]
    scripts/benchdemo.py --write-replay    (makes bench/demo.replay afresh)

The replay visits every stage, and holds the polygon stage in each of its 16 combinations of
polygon type (r), translucency (e) and second texture (t) for 300 frames.
"""

import argparse
import os

from tarvotest import replayfile
from tarvotest.engine import play

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPLAY = os.path.join(ROOT, "bench", "demo.replay")
DOC = os.path.join(ROOT, "docs", "performance.md")
BEGIN, END = "<!-- bench-demo -->", "<!-- /bench-demo -->"

SEED = 2026
STAGE_TICKS = {"title": 240, "rotatescale": 240, "polygons": 300, "tiles": 600, "sound": 240}


def write_replay():
    replay, tick = replayfile.Replay(seed=SEED), 0
    for stage in ("title", "rotatescale"):
        tick += STAGE_TICKS[stage]
        replay.keys((tick, "Right"))
    # Types step fastest (r wraps after four), then translucency, then the second texture.
    for combination in range(1, 17):
        tick += STAGE_TICKS["polygons"]
        keys = "r" + ("e" if combination % 4 == 0 else "") + ("t" if combination % 8 == 0 else "")
        for key in keys if combination < 16 else "":
            replay.keys((tick, key))
    replay.keys((tick, "Right"))
    tick += STAGE_TICKS["tiles"]
    replay.keys((tick, "Right"))
    replay.add(tick + STAGE_TICKS["sound"], replayfile.END)
    with open(REPLAY, "wb") as f:
        f.write(replay.bytes())


def run(program, pak):
    out = play(program, pak, ["-replay", REPLAY, "-benchmark"]).splitlines()
    first = out.index("stage frames median_ms min_ms max_ms")
    return out[first:next(i for i, line in enumerate(out) if line.startswith("whole run:")) + 1]


def write_section(table):
    text = ("Release build, headless (SDL's dummy video driver), `make bench-demo`: milliseconds"
            " per main-loop pass (tick, draw and flip) by stage.\n\n```\n%s\n```\n"
            % "\n".join(table))
    doc = open(DOC).read() if os.path.exists(DOC) else "# Performance\n"
    if BEGIN in doc:
        doc = doc[:doc.index(BEGIN) + len(BEGIN)] + "\n" + text + doc[doc.index(END):]
    else:
        doc += "\n## The whole demo\n\n%s\n%s%s\n" % (BEGIN, text, END)
    with open(DOC, "w") as f:
        f.write(doc)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default="build-bench/morwenfall")
    parser.add_argument("--pak", default="build-bench/base/pak000.zip")
    parser.add_argument("--write-replay", action="store_true")
    args = parser.parse_args()
    if args.write_replay:
        write_replay()
        return
    table = run(os.path.abspath(args.program), os.path.abspath(args.pak))
    write_section(table)
    print("\n".join(table))


if __name__ == "__main__":
    main()
