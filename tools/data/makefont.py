"""Draws the glyph sheet demo1/OLMFontBlue.png from the hand-drawn glyph source.

16 cells of 8 x 8 per row from character 32 to 255 (128 x 112 pixels), magenta background.
Each glyph is inked with a blue ramp from top to bottom and gets a one-pixel drop shadow.
Codes without a drawing (127 to 159) show a hollow box.

usage: makefont.py GLYPHS.txt PALETTE.txt OUT.png
"""
import sys

from PIL import Image

import palette
import pixelfont

CELL = 8
COLUMNS = 16
FIRST = 32
LAST = 255
GLYPH_X = 1  # centres the five-pixel glyph and its shadow in the cell


def placeholder():
    rows = ["#####", "#...#", "#...#", "#.#.#", "#...#", "#...#", "#####", "....."]
    return [[c == "#" for c in row] for row in rows]


def draw_glyph(pixels, left, top, bitmap, ink, shadow):
    inked = {(x, y) for y, row in enumerate(bitmap) for x, on in enumerate(row) if on}
    for x, y in inked:
        sx, sy = x + 1, y + 1
        if (sx, sy) not in inked and sx + GLYPH_X < CELL and sy < CELL:
            pixels[left + GLYPH_X + sx, top + sy] = shadow
    for x, y in inked:
        pixels[left + GLYPH_X + x, top + y] = ink[y]


def make_sheet(glyphs, colours):
    rows = (LAST - FIRST + 1) // COLUMNS
    background = colours["background"][0]
    image = Image.new("RGB", (COLUMNS * CELL, rows * CELL), background)
    pixels = image.load()
    missing = placeholder()
    for code in range(FIRST, LAST + 1):
        left = (code % COLUMNS) * CELL
        top = (code - FIRST) // COLUMNS * CELL
        if code in glyphs:
            draw_glyph(pixels, left, top, glyphs[code], colours["row"], colours["shadow"][0])
        elif code != 160:  # no-break space stays blank like space
            flat = [colours["placeholder"][0]] * CELL
            draw_glyph(pixels, left, top, missing, flat, colours["shadow"][0])
    return image


def main(argv):
    glyph_path, palette_path, out_path = argv[1:4]
    make_sheet(pixelfont.load(glyph_path), palette.load(palette_path)).save(out_path)


if __name__ == "__main__":
    main(sys.argv)
