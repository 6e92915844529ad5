#!/usr/bin/env python3
"""Walks the tech demo under Xvfb with real key presses and saves one picture per stage.

    scripts/screenshots.py [--program build/morwenfall] [--pak build/base/pak000.zip]
                           [--out docs/screenshots]

Writes NN-stage.png (01-title.png ... 05-sound.png) from the demo's own screenshot key (s),
taken a moment after each stage begins so that its motion is under way. A second run pauses
the polygon stage and switches its keys, so that 03a ... 03e show the same cubes as Gouraud
shaded, textured, textured and shaded, translucent (shaded) and with the second texture.
Needs Xvfb, xdotool and Python's PIL.
"""

import argparse
import os
import sys
import time

from tarvotest import xsession
from tarvotest.xsession import XSession

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Stage, seconds to let it run before the picture.
WALK = [("title", 1.5), ("rotate-scale", 1.6), ("polygons", 1.5), ("tiles", 3.0),
        ("sound", 0.5)]

# Polygon stage variants, each after its keys: r steps the type (flat, Gouraud, texture,
# texture and Gouraud), e toggles translucency, t the second texture.
POLYGON_VARIANTS = [
    ("03a-polygons-gouraud", ["r"]),
    ("03b-polygons-texture", ["r"]),
    ("03c-polygons-texture-shade", ["r"]),
    ("03d-polygons-translucent", ["r", "r", "e"]),
    ("03e-polygons-second-texture", ["e", "r", "t"]),
]


def save_png(bmp_path, png_path):
    from PIL import Image

    with Image.open(bmp_path) as image:
        image.convert("RGB").save(png_path)


def save_screenshot(session, target):
    save_png(session.path("kelda.bmp"), target)
    print(target)


def walk_stages(font, out):
    with XSession() as session:
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
            save_screenshot(session, os.path.join(out, "%02d-%s.png" % (number, stage)))
        session.key("x")
        if session.wait_exit() != 0:
            sys.exit("morwenfall did not exit cleanly")


def polygon_variants(font, out):
    with XSession() as session:
        for stage in ("title", "rotate-scale", "polygons"):
            if stage != "title":
                session.key("Right")
            session.wait_for_stage(font, stage, timeout=10)
        # Paused, every variant shows the cubes in the same turn.
        time.sleep(WALK[2][1])
        session.key("p")
        for name, keys in POLYGON_VARIANTS:
            session.key(*keys)
            # The first screenshot may still hold the frame drawn before the keys.
            session.settled_screenshot()
            save_screenshot(session, os.path.join(out, name + ".png"))
        session.key("x")
        if session.wait_exit() != 0:
            sys.exit("morwenfall did not exit cleanly")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "morwenfall"))
    parser.add_argument("--pak", default=os.path.join(ROOT, "base", "pak000.zip"))
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "screenshots"))
    options = parser.parse_args()
    os.environ["MORWENFALL"] = os.path.abspath(options.program)
    os.environ["TARVO_PAK"] = os.path.abspath(options.pak)
    os.makedirs(options.out, exist_ok=True)

    XSession.timeout = 30.0  # a walk under a loaded machine
    font = xsession.GlyphSheet()
    walk_stages(font, options.out)
    polygon_variants(font, options.out)


if __name__ == "__main__":
    main()
