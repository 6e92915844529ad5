"""Draws the 32 x 32 polygon textures demo1/test.png and demo1/testa.png.

test.png is opaque: rows of bricks inside a two-pixel frame, so the cube faces show their
perspective. testa.png is a leaded glass window with per-texel alpha: the lead and frame are
opaque, the panes half transparent, and four open panes fully transparent (stored as 0, which
the renderer's zero-texel masking also skips).

usage: maketextures.py PALETTE.txt OUT_OPAQUE.png OUT_ALPHA.png
"""
import sys

from PIL import Image

import palette

SIZE = 32


def jitter(x, y, seed):
    """A small repeatable per-texel shade, -8..7, from an integer hash."""
    h = (x * 374761393 + y * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h >> 16) & 15) - 8


def shade(colour, amount):
    return tuple(max(0, min(255, c + amount)) for c in colour)


def frame_colour(x, y, colours):
    edge = min(x, y, SIZE - 1 - x, SIZE - 1 - y)
    if edge == 0:
        return colours["frame"][0]
    if edge == 1:
        return colours["frame_light"][0]
    return None


def brick_texel(x, y, colours):
    framed = frame_colour(x, y, colours)
    if framed:
        return framed + (255,)
    row = (y - 2) // 7
    offset = 0 if row % 2 == 0 else 6
    if (y - 2) % 7 == 6 or (x - 2 + offset) % 12 == 11:
        return shade(colours["mortar"][0], jitter(x, y, 1) // 2) + (255,)
    brick = (x - 2 + offset) // 12 + row * 3
    base = colours["brick"][brick % len(colours["brick"])]
    return shade(base, jitter(x, y, 2)) + (255,)


def glass_texel(x, y, colours):
    framed = frame_colour(x, y, colours)
    if framed:
        return framed + (255,)
    # a 3 x 3 grid of panes between lead cames two texels wide
    cell_x, inner_x = divmod(x - 2, 10)
    cell_y, inner_y = divmod(y - 2, 10)
    if inner_x >= 8 or inner_y >= 8:
        return colours["lead"][0] + (255,)
    pane = cell_x + cell_y * 3
    if pane in (0, 2, 6, 8):
        return (0, 0, 0, 0)
    colour = colours["glass"][pane % len(colours["glass"])]
    # a highlight across the upper left of each pane
    glint = 40 if inner_x + inner_y < 4 else 0
    return shade(colour, glint + jitter(x, y, 3) // 2) + (128,)


def make_texture(texel, colours):
    image = Image.new("RGBA", (SIZE, SIZE))
    image.putdata([texel(x, y, colours) for y in range(SIZE) for x in range(SIZE)])
    return image


def main(argv):
    colours = palette.load(argv[1])
    make_texture(brick_texel, colours).save(argv[2])
    make_texture(glass_texel, colours).save(argv[3])


if __name__ == "__main__":
    main(sys.argv)
