"""Draws the gear demo1/GEAR5.PNG: a brass gear with spokes on a white background.

The rotate-and-scale stage keys out pure white after rotating, so the background, the spoke
windows and the axle hole are exactly white, and the metal never reaches near-white. There is
no antialiasing: an edge pixel blended toward white would show as a pale fringe.

usage: makegear.py PALETTE.txt OUT.png
"""
import math
import sys

from PIL import Image

import palette

SIZE = 112
CENTRE = (SIZE - 1) / 2
TEETH = 14
OUTER = 53.0  # tip of a tooth
ROOT = 44.0  # bottom of the gaps between teeth
RIM = 33.0  # inner edge of the toothed ring
HUB = 13.0
AXLE = 5.0
SPOKES = 5
SPOKE_HALF_WIDTH = 4.5
LIGHT = (-0.6, -0.8)  # from the upper left


def edge_radius(theta):
    """Radius of the toothed outline at angle theta: trapezoid teeth with sloped flanks."""
    phase = (theta * TEETH / (2 * math.pi)) % 1.0
    distance = abs(phase - 0.5)  # 0 at a tooth's centre, 0.5 in the middle of a gap
    rise = min(1.0, max(0.0, (0.32 - distance) / 0.1))
    return ROOT + (OUTER - ROOT) * rise


def on_spoke(x, y):
    for spoke in range(SPOKES):
        angle = spoke * 2 * math.pi / SPOKES - math.pi / 2
        along = x * math.cos(angle) + y * math.sin(angle)
        across = -x * math.sin(angle) + y * math.cos(angle)
        if along > 0 and abs(across) <= SPOKE_HALF_WIDTH:
            return True
    return False


def region(px, py):
    """'metal', 'hub' or None (background) for the pixel centre (px, py)."""
    x, y = px - CENTRE, py - CENTRE
    r = math.hypot(x, y)
    if r <= AXLE:
        return None
    if r <= HUB:
        return "hub"
    if r > edge_radius(math.atan2(y, x)):
        return None
    if r >= RIM or on_spoke(x, y):
        return "metal"
    return None


def shade(px, py, kind, regions, colours):
    inside = lambda x, y: 0 <= x < SIZE and 0 <= y < SIZE and regions[y][x] is not None
    if not all(inside(px + dx, py + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
        return colours["outline"][0]
    # a bevel: pixels whose upper-left neighbour is open catch the light, lower-right ones
    # fall into shadow
    if not inside(px - 1, py - 1) or not inside(px - 2, py - 2):
        return colours["highlight"][0]
    if not inside(px + 1, py + 1) or not inside(px + 2, py + 2):
        return colours["shadow"][0]
    base = colours["hub" if kind == "hub" else "body"][0]
    x, y = px - CENTRE, py - CENTRE
    r = math.hypot(x, y) or 1.0
    # a soft radial sheen, brighter where the surface faces the light
    facing = (x * LIGHT[0] + y * LIGHT[1]) / r
    amount = int(18 * facing)
    return tuple(max(0, min(235, c + amount)) for c in base)


def make_gear(colours):
    regions = [[region(x, y) for x in range(SIZE)] for y in range(SIZE)]
    image = Image.new("RGB", (SIZE, SIZE), colours["background"][0])
    pixels = image.load()
    for y in range(SIZE):
        for x in range(SIZE):
            if regions[y][x] is not None:
                pixels[x, y] = shade(x, y, regions[y][x], regions, colours)
    return image


def main(argv):
    make_gear(palette.load(argv[1])).save(argv[2])


if __name__ == "__main__":
    main(sys.argv)
