#!/usr/bin/python3
"""Draws an 8 x 8 glyph sheet for BitmapFont from a hand-drawn glyph source and a palette: the
demo's blue demo1/OLMFontBlue.png and the asset pak's tarvo/font8.png.

16 cells of 8 x 8 per row from character 32 to 255 (128 x 112 pixels), on the palette's
background colour (magenta, BitmapFont's transparent colour). Each glyph is inked with the
palette's eight-colour ramp from top to bottom and gets a one-pixel drop shadow. Codes without
a drawing show a hollow box. The formats are in docs/generators.md.
"""
import argparse
import sys

from PIL import Image

# Installed, the modules below lie in a system folder: compiling them there would leave a
# __pycache__ that no package owns.
sys.dont_write_bytecode = True
import palette  # noqa: E402
import pixelfont  # noqa: E402

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


def check_palette(path, colours):
    needed = {"row": CELL, "shadow": 1, "placeholder": 1, "background": 1}
    for name, count in needed.items():
        if len(colours.get(name, [])) != count:
            raise palette.PaletteError(f"{path}: needs {count} '{name}' colour(s)")


def main():
    parser = argparse.ArgumentParser(
        description="Draws a 128 x 112 sheet of 8 x 8 glyphs, characters 32 to 255 in 16 "
                    "columns, for BitmapFont (formats: share/doc/tarvo/generators.md).")
    parser.add_argument("glyphs", help="the glyph drawings, e.g. share/tarvo/sources/glyphs.txt")
    parser.add_argument("palette", help="the colours: eight 'row', 'shadow', 'placeholder', "
                                        "'background'")
    parser.add_argument("out", help="the PNG file to write")
    args = parser.parse_args()
    try:
        colours = palette.load(args.palette)
        check_palette(args.palette, colours)
        make_sheet(pixelfont.load(args.glyphs), colours).save(args.out)
    except (pixelfont.GlyphSourceError, palette.PaletteError) as error:
        sys.exit(f"{parser.prog}: {error}")
    except OSError as error:
        sys.exit(f"{parser.prog}: {error.filename}: {error.strerror}")


if __name__ == "__main__":
    main()
