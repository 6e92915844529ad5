#!/usr/bin/env python3
"""Walks the tech demo under Xvfb with real key presses and saves one picture per stage.

    scripts/screenshots.py [--program build/morwenfall] [--pak base/pak000.zip]
                           [--out docs/screenshots]

Writes NN-stage.png (01-title.png ... 05-sound.png) from the demo's own screenshot key (s),
taken a moment after each stage begins so that its motion is under way. Needs Xvfb, xdotool
and Python's PIL.
"""

import argparse
import os
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import xsession  # noqa: E402
from xsession import XSession  # noqa: E402

# Stage, seconds to let it run before the picture.
WALK = [("title", 1.5), ("rotate-scale", 1.6), ("polygons", 1.5), ("tiles", 3.0),
        ("sound", 0.5)]


def save_png(bmp_path, png_path):
    from PIL import Image

    with Image.open(bmp_path) as image:
        image.convert("RGB").save(png_path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "morwenfall"))
    parser.add_argument("--pak", default=os.path.join(ROOT, "base", "pak000.zip"))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "screenshots"))
    options = parser.parse_args()
    os.environ["MORWENFALL"] = os.path.abspath(options.program)
    os.environ["TARVO_PAK"] = os.path.abspath(options.pak)
    os.makedirs(options.out, exist_ok=True)

    font = xsession.GlyphSheet()
    with XSession(timeout=30) as session:
        for number, (stage, settle) in enumerate(WALK, start=1):
            if number > 1:
                session.key("Right")
            try:
                session.wait_for_stage(font, stage, timeout=10)
            except xsession.SessionError:
                # Without a level the demo goes from the polygons straight to the sound.
                print("warning: stage %s not shown, skipped" % stage, file=sys.stderr)
                continue
            time.sleep(settle)
            session.screenshot()
            target = os.path.join(options.out, "%02d-%s.png" % (number, stage))
            save_png(session.path(xsession.SCREENSHOT), target)
            print(target)
        session.key("x")
        if session.wait_exit() != 0:
            sys.exit("morwenfall did not exit cleanly")


if __name__ == "__main__":
    main()
