"""Draws the desktop icon of the Morwenfall package: the demo's brass gear, made smaller, on a
transparent background.

The gear is drawn at its own size by makegear.py and scaled down with its alpha premultiplied,
so the smoothed edge fades into the transparency instead of taking on the white around it.

usage: makeicon.py PALETTE.txt SIZE OUT.png
"""
import sys

from PIL import Image

import makegear
import palette


def make_icon(colours, size):
    gear = makegear.make_gear(colours).convert("RGBA")
    white = colours["background"][0] + (255,)
    gear.putdata([(0, 0, 0, 0) if pixel == white else pixel for pixel in gear.getdata()])
    return gear.convert("RGBa").resize((size, size), Image.LANCZOS).convert("RGBA")


def main(argv):
    make_icon(palette.load(argv[1]), int(argv[2])).save(argv[3])


if __name__ == "__main__":
    main(sys.argv)
