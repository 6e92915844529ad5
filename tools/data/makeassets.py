"""Draws the asset pak's sprite sheets and lays out its tileset and backgrounds.

    makeassets.py OUTDIR

writes OUTDIR/tarvo/sprites-key.png (four 32 x 32 frames of a spinning coin over four of a
hopping slime, on magenta, the colour key), OUTDIR/tarvo/sprites-alpha.png (four frames of a
pulsing glow over four of a spreading puff of smoke, with per-pixel alpha), OUTDIR/tarvo/
tiles24.png (the demo level's 30 tiles, 24 x 24 each, in six columns, white transparent) and
the level's sky and mountain backgrounds as OUTDIR/tarvo/bg-sky.png and bg-mountains.png.
Nothing is random but the tiles' own fixed seed, so every run writes the same files.
"""
import math
import os
import sys

from PIL import Image, ImageDraw

import tiles_art

FRAME = 32
FRAMES = 4
KEY = (255, 0, 255)
TILE_COLUMNS = 6

GOLD, GOLD_LIGHT = (236, 186, 52), (252, 230, 120)
GOLD_DARK, GOLD_EDGE = (176, 120, 24), (96, 60, 12)
SLIME, SLIME_LIGHT, SLIME_DARK = (84, 184, 72), (150, 224, 120), (36, 104, 44)
EYE, PUPIL = (248, 248, 240), (24, 28, 40)


def coin(draw, half_width):
    """A coin turned edge-on by half_width (its half width in pixels, 1 to 12)."""
    box = [16 - half_width, 4, 15 + half_width, 27]
    draw.ellipse(box, fill=GOLD_EDGE)
    inner = [box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1]
    if half_width > 3:
        draw.ellipse(inner, fill=GOLD)
        draw.arc(inner, 150, 300, fill=GOLD_LIGHT)  # lit from the upper left
        draw.arc(inner, 330, 120, fill=GOLD_DARK)
        if half_width > 8:  # the stamped mark shows only while the face is turned to us
            draw.rectangle([15, 11, 16, 20], fill=GOLD_DARK)
    else:
        draw.rectangle([box[0] + 1, 5, box[2] - 1, 26], fill=GOLD_DARK)


def slime(draw, width, height):
    """A slime standing on the frame's floor, squashed or stretched to width x height: the top
    half of an ellipse twice its height, its bottom row on the floor."""
    x0, x1 = 16 - width // 2, 15 + width - width // 2
    top, floor = FRAME - 1 - height, FRAME - 1
    draw.ellipse([x0, top, x1, floor + height], fill=SLIME_DARK)
    draw.ellipse([x0 + 1, top + 1, x1 - 1, floor + height - 1], fill=SLIME)
    draw.line([x0, floor, x1, floor], fill=SLIME_DARK)
    draw.ellipse([x0 + 3, top + 3, x0 + 6, top + 5], fill=SLIME_LIGHT)
    eye_y = top + height // 3
    for eye_x in (12, 18):
        draw.rectangle([eye_x, eye_y, eye_x + 2, eye_y + 3], fill=EYE)
        draw.point([eye_x + 1, eye_y + 2], fill=PUPIL)


def keyed_sheet():
    """Each frame is drawn on its own, so nothing spills into its neighbours."""
    image = Image.new("RGB", (FRAME * FRAMES, FRAME * 2), KEY)
    for frame in range(FRAMES):
        for row, paint in enumerate((
                lambda draw: coin(draw, (12, 8, 2, 8)[frame]),
                lambda draw: slime(draw, *((26, 12), (22, 16), (16, 24), (22, 16))[frame]))):
            cell = Image.new("RGB", (FRAME, FRAME), KEY)
            paint(ImageDraw.Draw(cell))
            image.paste(cell, (frame * FRAME, row * FRAME))
    return image


def glow(radius):
    """A white-hot core fading through orange to nothing at radius."""
    def texel(distance):
        t = min(1.0, distance / radius)
        alpha = int(round(255 * (1 - t) ** 1.5))
        return (255, int(250 - 110 * t), int(220 - 200 * t), alpha)
    return texel


def smoke(radius, opacity):
    """A grey puff, denser in the middle, its rim broken into lumps."""
    def texel(distance, angle):
        rim = radius * (0.9 + 0.06 * math.sin(3 * angle) + 0.04 * math.sin(7 * angle + 1))
        if distance >= rim:
            return (0, 0, 0, 0)
        shade = int(150 + 60 * (1 - distance / rim))
        return (shade, shade, shade + 6, int(round(opacity * (1 - (distance / rim) ** 2))))
    return texel


def alpha_sheet():
    image = Image.new("RGBA", (FRAME * FRAMES, FRAME * 2), (0, 0, 0, 0))
    pixels = image.load()
    centre = (FRAME - 1) / 2
    for frame in range(FRAMES):
        pulse = glow((9, 12, 15, 12)[frame])
        puff = smoke((6, 9, 12, 15)[frame], (230, 180, 120, 60)[frame])
        for y in range(FRAME):
            for x in range(FRAME):
                dx, dy = x - centre, y - centre
                distance = math.hypot(dx, dy)
                pixels[frame * FRAME + x, y] = pulse(distance)
                pixels[frame * FRAME + x, FRAME + y] = puff(distance, math.atan2(dy, dx))
    return image


def tileset(tiles):
    rows = -(-len(tiles) // TILE_COLUMNS)
    size = tiles_art.T
    sheet = Image.new("RGB", (TILE_COLUMNS * size, rows * size), tiles_art.CLEAR)
    for index, tile in enumerate(tiles):
        sheet.paste(tile, (index % TILE_COLUMNS * size, index // TILE_COLUMNS * size))
    return sheet


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = os.path.join(sys.argv[1], "tarvo")
    os.makedirs(out, exist_ok=True)
    tiles, backgrounds = tiles_art.paint()
    sky, mountains = (backgrounds[tiles_art.BACKGROUNDS.index(name)]
                      for name in ("sky", "mountains"))
    for name, image in (("sprites-key", keyed_sheet()), ("sprites-alpha", alpha_sheet()),
                        ("tiles24", tileset(tiles)), ("bg-sky", sky),
                        ("bg-mountains", mountains)):
        image.save(os.path.join(out, name + ".png"), optimize=False)


if __name__ == "__main__":
    main()
