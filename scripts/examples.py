#!/usr/bin/env python3
"""The examples' replays, frame lists and pictures, made afresh (make examples-golden).

    scripts/examples.py [--build build] [NAME ...]

Writes each example's replay, examples/NAME/NAME.replay, from the keys below. Then installs
BUILD into a temporary prefix, builds each example against it as a user would, replays it
headless and writes the frames it drew, NAME.frames, and one of them, NAME.png, the picture in
examples/README.md. Says loudly when a frame list changed: that is a changed picture.
"""

import argparse
import os
import shutil
import subprocess
import tempfile
from collections import namedtuple

from tarvotest import replayfile
from tarvotest.replayfile import END, KEY_DOWN, KEY_UP, PAD_AXIS, PAD_DOWN, PAD_UP

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLES = os.path.join(ROOT, "examples")

# SDL's key symbols the examples read.
BACKSPACE, ESCAPE, SPACE = 8, 27, 32
UP, DOWN, RIGHT, LEFT = 273, 274, 275, 276


def hold(replay, sym, down, up):
    """The key held from tick down until tick up."""
    return replay.add(down, KEY_DOWN, sym, 0, 0).add(up, KEY_UP, sym, 0, 0)


def typed(first, text, every=8):
    """Each character of text pressed in turn, from tick first."""
    return [(first + i * every, c) for i, c in enumerate(text)]


def tilemap():
    replay = replayfile.Replay()
    for sym, down, up in [(RIGHT, 30, 250), (DOWN, 90, 122), (UP, 200, 210), (LEFT, 270, 300)]:
        hold(replay, sym, down, up)
    replay.records.sort(key=lambda record: record.tick)  # records go in tick order
    return replay.keys((330, ESCAPE))


def platformer():
    """Keys, and pad 0's left stick (axis 0) and A button (0) for the second run."""
    replay = replayfile.Replay(pads=1)
    for sym, down, up in [(RIGHT, 30, 205), (SPACE, 63, 100), (DOWN, 460, 500),
                          (RIGHT, 510, 1200), (UP, 540, 580), (UP, 604, 640), (SPACE, 770, 810),
                          (SPACE, 836, 870), (SPACE, 1000, 1040), (SPACE, 1084, 1120),
                          (LEFT, 1210, 1240)]:
        hold(replay, sym, down, up)
    replay.add(240, PAD_AXIS, 0, 0, 32767).add(448, PAD_AXIS, 0, 0, 0)
    replay.add(373, PAD_DOWN, 0, 0).add(408, PAD_UP, 0, 0)
    replay.records.sort(key=lambda record: record.tick)
    return replay.keys((1250, ESCAPE))


# game: the example's game directory in its build folder, or None for the engine's assets;
# shot: the tick of its picture; replay: the keys it plays, ending with Escape. An end record
# follows one tick later, which only a game that failed to quit reaches.
Example = namedtuple("Example", "name game shot replay")
ALL = [
    Example("hello", None, 170, lambda: replayfile.Replay().keys(
        *typed(40, "Hello"), (90, BACKSPACE), *typed(100, "o world"), (200, ESCAPE))),
    Example("sprites", None, 100, lambda: replayfile.Replay().keys(
        (60, RIGHT), (80, RIGHT), (140, SPACE), (180, SPACE), (200, LEFT), (210, LEFT),
        (300, ESCAPE))),
    Example("polygons", None, 250, lambda: replayfile.Replay().keys(
        (40, LEFT), (60, LEFT), (120, SPACE), (160, SPACE), (200, RIGHT), (220, RIGHT),
        (240, RIGHT), (300, ESCAPE))),
    Example("tilemap", "game", 240, tilemap),
    Example("sound", None, 100, lambda: replayfile.Replay().keys(
        (30, LEFT), (60, SPACE), (90, RIGHT), (95, RIGHT), (150, "m"), (220, "m"), (240, LEFT),
        (280, ESCAPE))),
    Example("platformer", "game", 390, platformer),
]


def sh(*command, **kwargs):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, **kwargs)


def remake(example, prefix, scratch):
    folder = os.path.join(EXAMPLES, example.name)
    replay = os.path.join(folder, example.name + ".replay")
    with open(replay, "wb") as f:
        keys = example.replay()
        f.write(keys.add(keys.records[-1].tick + 1, END).bytes())

    build = os.path.join(scratch, example.name)
    sh("cmake", "-S", folder, "-B", build, "-DCMAKE_PREFIX_PATH=" + prefix)
    sh("cmake", "--build", build, "-j2")
    game = (os.path.join(build, example.game) if example.game
            else os.path.join(prefix, "share", "tarvo", "assets"))
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    sh(os.path.join(build, example.name), "-game", game, "-replay", replay, "-frames", "out",
       "-shot", str(example.shot), cwd=build, env=env)

    frames = os.path.join(folder, example.name + ".frames")
    old = open(frames).read() if os.path.exists(frames) else ""
    shutil.copy(os.path.join(build, "out", "frames.txt"), frames)
    shutil.copy(os.path.join(build, "out", f"{example.shot}.png"),
                os.path.join(folder, example.name + ".png"))
    if open(frames).read() == old:
        print(f"examples: {example.name}.frames unchanged")
    else:
        print(f"examples: *** {example.name}.frames CHANGED: look at {example.name}.png ***")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("names", nargs="*", help="only these examples")
    args = parser.parse_args()
    scratch = tempfile.mkdtemp(prefix="tarvo-examples-")
    try:
        prefix = os.path.join(scratch, "prefix")
        sh("cmake", "--install", args.build, "--prefix", prefix)
        for example in ALL:
            if not args.names or example.name in args.names:
                remake(example, prefix, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
