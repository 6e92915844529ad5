"""Draws the title logo demo1/OLM Logo.png: 320 pixels wide, on black.

An emblem (a crescent moon over a mountain with a waterfall, in a gold ring) above the word
"Morwenfall" in the engine's own glyphs, enlarged four times with two passes of the EPX
(Scale2x) rule so the diagonals stay smooth, then filled with a gold ramp, outlined and given
a shadow. A rule with a diamond closes it underneath.

usage: makelogo.py GLYPHS.txt PALETTE.txt OUT.png
"""
import math
import sys

from PIL import Image

import palette
import pixelfont

WIDTH = 320
HEIGHT = 170
TITLE = "Morwenfall"
LETTER_GAP = 2  # glyph columns; room for each letter's own outline
EMBLEM_CENTRE = (160, 48)
EMBLEM_RADIUS = 45
TITLE_TOP = 108
RULE_Y = 152


def word_mask(glyphs, text):
    """The word as rows of bools, LETTER_GAP columns of space between the five-wide glyphs;
    only the rows that hold ink are kept."""
    columns = []
    for index, char in enumerate(text):
        bitmap = glyphs[ord(char)]
        if index:
            columns += [[False] * pixelfont.GLYPH_HEIGHT] * LETTER_GAP
        for x in range(pixelfont.GLYPH_WIDTH):
            columns.append([bitmap[y][x] for y in range(pixelfont.GLYPH_HEIGHT)])
    rows = [[column[y] for column in columns] for y in range(pixelfont.GLYPH_HEIGHT)]
    while rows and not any(rows[-1]):
        rows.pop()
    return rows


def scale2x(mask):
    """EPX: doubles a bit mask, rounding off staircase corners instead of copying blocks."""
    height, width = len(mask), len(mask[0])
    at = lambda x, y: mask[y][x] if 0 <= x < width and 0 <= y < height else False
    out = [[False] * (2 * width) for _ in range(2 * height)]
    for y in range(height):
        for x in range(width):
            p = mask[y][x]
            up, right, left, down = at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            out[2 * y][2 * x] = up if left == up and left != down and up != right else p
            out[2 * y][2 * x + 1] = right if up == right and up != left and right != down else p
            out[2 * y + 1][2 * x] = left if down == left and down != right and left != up else p
            out[2 * y + 1][2 * x + 1] = (down if right == down and right != up and down != left
                                         else p)
    return out


def ramp(colours, t):
    """Linear blend along a list of colours, t in 0..1."""
    t = min(1.0, max(0.0, t)) * (len(colours) - 1)
    index = min(int(t), len(colours) - 2)
    f = t - index
    a, b = colours[index], colours[index + 1]
    return tuple(int(round(a[i] + (b[i] - a[i]) * f)) for i in range(3))


def near(mask, x, y, radius):
    height, width = len(mask), len(mask[0])
    for dy in range(-radius, radius + 1):
        for dx in range(-radius, radius + 1):
            if dx * dx + dy * dy <= radius * radius + 1:
                xx, yy = x + dx, y + dy
                if 0 <= xx < width and 0 <= yy < height and mask[yy][xx]:
                    return True
    return False


def draw_title(pixels, glyphs, colours):
    mask = scale2x(scale2x(word_mask(glyphs, TITLE)))
    height, width = len(mask), len(mask[0])
    left = (WIDTH - width) // 2
    margin = 4
    for y in range(-margin, height + margin):
        for x in range(-margin, width + margin):
            px, py = left + x, TITLE_TOP + y
            inside = 0 <= x < width and 0 <= y < height and mask[y][x]
            if inside:
                # the ramp, with a bright band a third of the way down like polished metal
                t = y / max(1, height - 1)
                colour = ramp(colours["letter"], t)
                if abs(t - 0.3) < 0.04:
                    colour = ramp(colours["letter"], 0.0)
                pixels[px, py] = colour
            elif near(mask, x, y, 2):
                pixels[px, py] = colours["outline"][0]
            elif near(mask, x - 3, y - 3, 2):
                pixels[px, py] = colours["shadow"][0]
            elif near(mask, x, y, 3):
                pixels[px, py] = colours["glow"][0]


def crescent(x, y, radius):
    return math.hypot(x, y) <= radius and math.hypot(x - radius * 0.45, y + radius * 0.2) > radius


# The emblem's scene, in offsets from its centre: two peaks with a cleft between them, a range
# further back, and the waterfall dropping from the cleft into a pool.
SCENE_SCALE = EMBLEM_RADIUS / 35  # the outlines below were drawn for a radius of 35


def scaled(points):
    return [(x * SCENE_SCALE, y * SCENE_SCALE) for x, y in points]


BACK_RANGE = scaled([(-40, 14), (-30, -2), (-22, 4), (-12, -8), (-4, 0), (6, -10), (16, -1),
                     (26, -6), (40, 8), (40, 40), (-40, 40)])
LEFT_PEAK = scaled([(-40, 30), (-17, -16), (-9, -6), (-3, -2), (-3, 40), (-40, 40)])
RIGHT_PEAK = scaled([(3, -3), (9, -8), (19, -19), (40, 24), (40, 40), (3, 40)])
LEFT_SNOW = scaled([(-23, -8), (-17, -16), (-11, -8), (-14, -10), (-17, -7), (-20, -10)])
RIGHT_SNOW = scaled([(13, -12), (19, -19), (25, -10), (22, -12), (19, -9), (16, -12)])
APEXES = (-17 * SCENE_SCALE, 19 * SCENE_SCALE)
STARS = [(15, -31), (31, -21), (-15, -33), (8, -19), (-35, -8), (36, -3), (-26, -24), (22, -36)]
MOON = (-1 * SCENE_SCALE, -21 * SCENE_SCALE, 6 * SCENE_SCALE)
WATER_TOP = -4 * SCENE_SCALE
POOL_TOP = round(22 * SCENE_SCALE)
FALL_HALF_WIDTH = 4


def inside(point, polygon):
    """Even-odd rule for the pixel centre `point`."""
    x, y = point
    hit = False
    for (x1, y1), (x2, y2) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def scene_colour(x, y, colours):
    if y >= POOL_TOP:
        # the pool, with a line of spray where the water lands
        return colours["water_light" if y == POOL_TOP or (x + y) % 7 == 0 else "water"][0]
    if abs(x) <= FALL_HALF_WIDTH and y > WATER_TOP:
        stripe = (y - abs(x) * 2) % 5 < 2
        return colours["water_light" if stripe else "water"][0]
    for snow, peak, apex in ((LEFT_SNOW, LEFT_PEAK, APEXES[0]), (RIGHT_SNOW, RIGHT_PEAK, APEXES[1])):
        if inside((x, y), snow):
            return colours["snow"][0]
        if inside((x, y), peak):
            # moonlight falls on the slopes left of each summit
            return colours["mountain_light" if x < apex else "mountain"][0]
    if inside((x, y), BACK_RANGE):
        return colours["range"][0]
    if crescent(x - MOON[0], y - MOON[1], MOON[2]):
        return colours["moon"][0]
    if (x, y) in STARS:
        return colours["star"][0]
    return ramp([colours["sky_top"][0], colours["sky_bottom"][0]],
                (y + EMBLEM_RADIUS) / (2 * EMBLEM_RADIUS))


def emblem_colour(x, y, colours):
    """Colour of the emblem at offset (x, y) from its centre, or None outside it."""
    r = math.hypot(x, y)
    radius = EMBLEM_RADIUS
    if r > radius + 0.5:
        return None
    if r > radius - 1.5 or radius - 6.5 < r <= radius - 5.5:
        return colours["ring_dark"][0]
    if r > radius - 5.5:
        # the ring, lit from above
        return ramp([colours["ring"][0], colours["ring_dark"][0]], (y + radius) / (2 * radius))
    return scene_colour(x, y, colours)


def draw_emblem(pixels, colours):
    cx, cy = EMBLEM_CENTRE
    for y in range(-EMBLEM_RADIUS - 1, EMBLEM_RADIUS + 2):
        for x in range(-EMBLEM_RADIUS - 1, EMBLEM_RADIUS + 2):
            colour = emblem_colour(x, y, colours)
            if colour:
                pixels[cx + x, cy + y] = colour


def draw_rule(pixels, colours):
    """A gold line fading out toward both ends, with a diamond in the middle."""
    rule = colours["rule"][0]
    for x in range(40, WIDTH - 40):
        fade = 1.0 - abs(x - WIDTH / 2) / (WIDTH / 2 - 40)
        pixels[x, RULE_Y] = tuple(int(c * fade) for c in rule)
    for dy in range(-4, 5):
        for dx in range(-4 + abs(dy), 5 - abs(dy)):
            edge = abs(dx) + abs(dy) == 4
            pixels[WIDTH // 2 + dx, RULE_Y + dy] = colours["ring_dark" if edge else "ring"][0]


def make_logo(glyphs, colours):
    image = Image.new("RGB", (WIDTH, HEIGHT), (0, 0, 0))
    pixels = image.load()
    draw_emblem(pixels, colours)
    draw_title(pixels, glyphs, colours)
    draw_rule(pixels, colours)
    return image


def main(argv):
    glyph_path, palette_path, out_path = argv[1:4]
    make_logo(pixelfont.load(glyph_path), palette.load(palette_path)).save(out_path)


if __name__ == "__main__":
    main(sys.argv)
