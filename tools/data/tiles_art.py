"""Paints the tile and background images of the demo level.

Tiles are 24 x 24 PNGs where pure white (255, 255, 255) is transparent, so the art never uses
pure white itself; backgrounds are 320 pixels wide and repeat horizontally. Everything is drawn
from a fixed seed, so every run writes the same files.

usage: tiles_art.py OUTDIR    (writes OUTDIR/tiles/TILE%04d.PNG and OUTDIR/bg/BG%04d.PNG)
"""
import math
import os
import random
import sys

from PIL import Image, ImageDraw

T = 24
CLEAR = (255, 255, 255)
OFFWHITE = (250, 250, 246)

# Image numbers, in the order the level file lists them.
TILES = [
    "grass", "grass_left", "grass_right", "dirt", "dirt_deep", "stone", "plank_left",
    "plank_mid", "plank_right", "water_top", "water", "bush", "flowers", "trunk",
    "canopy_tl", "canopy_tc", "canopy_tr", "canopy_bl", "canopy_bc", "canopy_br", "boulder",
    "crate", "fence", "sign", "mushroom", "cave_wall", "torch", "vine", "grass_tuft",
    "dirt_grass_under",
]
BACKGROUNDS = ["sky", "clouds", "mountains", "hills"]


def clamp(v):
    return max(0, min(254, int(v)))


def shade(colour, amount):
    return tuple(clamp(c + amount) for c in colour)


def mix(a, b, t):
    return tuple(clamp(a[i] + (b[i] - a[i]) * t) for i in range(3))


def blank():
    return Image.new("RGB", (T, T), CLEAR)


def speckle(img, rnd, base, count, spread, box=(0, 0, T, T)):
    px = img.load()
    for _ in range(count):
        x = rnd.randrange(box[0], box[2])
        y = rnd.randrange(box[1], box[3])
        px[x, y] = shade(base, rnd.randint(-spread, spread))


def dirt_fill(img, rnd, top=0, base=(122, 82, 48)):
    d = ImageDraw.Draw(img)
    d.rectangle([0, top, T - 1, T - 1], fill=base)
    speckle(img, rnd, base, 90, 22, (0, top, T, T))
    px = img.load()
    for _ in range(3):  # pebbles
        x, y = rnd.randrange(1, T - 3), rnd.randrange(max(top, 1), T - 2)
        for dx, dy in ((0, 0), (1, 0), (0, 1), (1, 1)):
            px[x + dx, y + dy] = (150, 140, 128) if dy == 0 else (110, 102, 94)


def grass_top(img, rnd, left_round=False, right_round=False):
    dirt_fill(img, rnd, 5)
    px = img.load()
    green, dark, light = (76, 160, 52), (46, 112, 38), (128, 204, 84)
    for x in range(T):
        height = 5 + rnd.choice((0, 0, 1, 1, 2)) + (x % 5 == 2)
        for y in range(height):
            px[x, y] = light if y == 0 else green
        px[x, height] = dark
        if rnd.random() < 0.3:
            px[x, height + 1] = dark
    for x in range(T):  # blades above the turf line
        if rnd.random() < 0.35:
            px[x, 0] = light
    if left_round or right_round:
        for y in range(8):
            cut = [7, 5, 3, 2, 1, 1, 0, 0][y]
            for i in range(cut):
                if left_round:
                    px[i, y] = CLEAR
                if right_round:
                    px[T - 1 - i, y] = CLEAR
    return img


def stone(img, rnd):
    d = ImageDraw.Draw(img)
    mortar, base = (86, 84, 92), (138, 136, 146)
    d.rectangle([0, 0, T - 1, T - 1], fill=mortar)
    for row, y in enumerate((0, 12)):
        offset = 0 if row == 0 else 6
        for x in range(-12 + offset, T, 12):
            tone = shade(base, rnd.randint(-14, 10))
            d.rectangle([x + 1, y + 1, x + 10, y + 10], fill=tone)
            d.line([x + 1, y + 1, x + 10, y + 1], fill=shade(tone, 24))
            d.line([x + 1, y + 10, x + 10, y + 10], fill=shade(tone, -26))
    speckle(img, rnd, base, 30, 18)
    return img


def plank(img, rnd, part):
    d = ImageDraw.Draw(img)
    wood, dark, light = (170, 110, 58), (112, 68, 32), (206, 150, 88)
    x0 = 2 if part == "left" else 0
    x1 = T - 3 if part == "right" else T - 1
    d.rectangle([x0, 2, x1, 11], fill=wood)
    d.line([x0, 2, x1, 2], fill=light)
    d.line([x0, 11, x1, 11], fill=dark)
    d.line([x0, 6, x1, 6], fill=dark)
    for x in range(x0, x1, 3):
        if rnd.random() < 0.4:
            d.point([x, rnd.choice((4, 8, 9))], fill=shade(wood, -20))
    for nx in (x0 + 2, x1 - 2):
        d.point([nx, 4], fill=(60, 60, 66))
        d.point([nx, 9], fill=(60, 60, 66))
    if part in ("left", "right"):  # a bracket under the end
        bx = x0 + 3 if part == "left" else x1 - 3
        d.line([bx, 12, bx + (4 if part == "left" else -4), 18], fill=dark, width=2)
    return img


def water(img, rnd, top):
    d = ImageDraw.Draw(img)
    deep, mid, light = (34, 90, 170), (52, 120, 200), (150, 200, 240)
    start = 6 if top else 0
    for y in range(start, T):
        d.line([0, y, T - 1, y], fill=mix(mid, deep, (y - start) / T))
    if top:
        for x in range(T):
            y = 6 + int(round(1.5 * math.sin(x / T * 2 * math.pi * 2)))
            d.point([x, y], fill=light)
            d.point([x, y - 1], fill=mix(light, CLEAR, 0.5) if x % 3 else light)
    for _ in range(4):
        x, y = rnd.randrange(2, T - 6), rnd.randrange(start + 3, T - 1)
        d.line([x, y, x + 4, y], fill=shade(mid, 40))
    return img


def blob(d, cx, cy, r, colour, rnd, rough=1):
    for a in range(0, 360, 6):
        rr = r + rnd.uniform(-rough, rough)
        x = cx + rr * math.cos(math.radians(a))
        y = cy + rr * math.sin(math.radians(a))
        d.line([cx, cy, x, y], fill=colour, width=2)
    d.ellipse([cx - r + 1, cy - r + 1, cx + r - 1, cy + r - 1], fill=colour)


def bush(img, rnd):
    d = ImageDraw.Draw(img)
    dark, mid, light = (38, 104, 40), (60, 142, 52), (104, 184, 76)
    for cx, cy, r in ((7, 16, 6), (16, 15, 7), (11, 11, 6)):
        blob(d, cx, cy, r, dark, rnd)
    for cx, cy, r in ((8, 15, 4), (16, 14, 5), (11, 10, 4)):
        blob(d, cx, cy, r, mid, rnd)
    for _ in range(10):
        d.point([rnd.randrange(5, 20), rnd.randrange(7, 15)], fill=light)
    d.rectangle([0, 22, T - 1, T - 1], fill=CLEAR)
    return img


def flowers(img, rnd):
    d = ImageDraw.Draw(img)
    colours = [(220, 60, 70), (240, 200, 60), (180, 90, 210), (240, 140, 40)]
    for i, x in enumerate((3, 8, 13, 19)):
        top = rnd.randrange(10, 16)
        d.line([x, top, x, T - 1], fill=(60, 140, 50))
        d.point([x + 1, top + 4], fill=(80, 170, 60))
        c = colours[i % 4]
        d.rectangle([x - 1, top - 1, x + 1, top + 1], fill=c)
        d.point([x, top], fill=(250, 236, 120))
    return img


def trunk(img, rnd):
    d = ImageDraw.Draw(img)
    bark, dark, light = (110, 74, 44), (74, 48, 28), (140, 98, 60)
    d.rectangle([8, 0, 15, T - 1], fill=bark)
    d.line([8, 0, 8, T - 1], fill=dark)
    d.line([15, 0, 15, T - 1], fill=dark)
    for y in range(0, T, 4):
        x = rnd.randrange(10, 14)
        d.line([x, y, x, y + 2], fill=light if y % 8 else dark)
    return img


def canopy(rnd):
    """A 3 x 2 tile tree crown, cut into six tiles."""
    img = Image.new("RGB", (3 * T, 2 * T), CLEAR)
    d = ImageDraw.Draw(img)
    dark, mid, light = (30, 92, 40), (50, 130, 50), (96, 176, 72)
    for cx, cy, r in ((36, 24, 22), (20, 30, 15), (52, 30, 15), (36, 14, 14)):
        blob(d, cx, cy, r, dark, rnd, 2)
    for cx, cy, r in ((34, 22, 17), (21, 28, 11), (50, 28, 11), (36, 13, 10)):
        blob(d, cx, cy, r, mid, rnd, 2)
    for _ in range(60):
        a, r = rnd.uniform(0, 2 * math.pi), rnd.uniform(0, 16)
        x, y = 32 + r * math.cos(a), 18 + r * 0.8 * math.sin(a)
        d.point([x, y], fill=light)
    d.rectangle([32, 40, 39, 47], fill=(110, 74, 44))  # where the trunk meets the crown
    tiles = []
    for ty in range(2):
        for tx in range(3):
            tiles.append(img.crop((tx * T, ty * T, tx * T + T, ty * T + T)))
    return tiles


def boulder(img, rnd):
    d = ImageDraw.Draw(img)
    d.ellipse([2, 8, 21, 25], fill=(112, 110, 118))
    d.ellipse([4, 9, 18, 20], fill=(140, 138, 146))
    d.ellipse([6, 10, 11, 14], fill=(170, 168, 176))
    d.rectangle([0, T - 1, T - 1, T - 1], fill=CLEAR)
    return img


def crate(img, rnd):
    d = ImageDraw.Draw(img)
    wood, dark = (180, 126, 66), (110, 70, 34)
    d.rectangle([1, 1, 22, 22], fill=wood, outline=dark)
    d.rectangle([3, 3, 20, 20], outline=dark)
    d.line([3, 3, 20, 20], fill=dark, width=2)
    d.line([4, 1, 4, 1], fill=shade(wood, 30))
    speckle(img, rnd, wood, 20, 14, (4, 4, 20, 20))
    return img


def fence(img, rnd):
    d = ImageDraw.Draw(img)
    wood, dark = (196, 160, 112), (120, 90, 56)
    for x in (3, 15):
        d.rectangle([x, 6, x + 4, T - 1], fill=wood, outline=dark)
        d.polygon([(x, 6), (x + 2, 3), (x + 4, 6)], fill=wood, outline=dark)
    for y in (10, 17):
        d.rectangle([0, y, T - 1, y + 2], fill=wood)
        d.line([0, y + 2, T - 1, y + 2], fill=dark)
    return img


def sign(img, rnd):
    d = ImageDraw.Draw(img)
    wood, dark = (176, 124, 70), (100, 64, 32)
    d.rectangle([10, 10, 13, T - 1], fill=dark)
    d.polygon([(2, 3), (18, 3), (22, 8), (18, 13), (2, 13)], fill=wood, outline=dark)
    d.line([5, 7, 15, 7], fill=dark)
    d.line([5, 10, 12, 10], fill=dark)
    return img


def mushroom(img, rnd):
    d = ImageDraw.Draw(img)
    d.rectangle([9, 14, 14, T - 1], fill=(236, 226, 200), outline=(180, 168, 140))
    d.pieslice([3, 5, 20, 24], 180, 360, fill=(200, 40, 40), outline=(130, 20, 20))
    for x, y in ((7, 10), (12, 8), (16, 11)):
        d.ellipse([x - 1, y - 1, x + 1, y + 1], fill=OFFWHITE)
    return img


def cave_wall(img, rnd):
    d = ImageDraw.Draw(img)
    base = (58, 46, 40)
    d.rectangle([0, 0, T - 1, T - 1], fill=base)
    speckle(img, rnd, base, 80, 12)
    for _ in range(3):
        x, y = rnd.randrange(0, T - 6), rnd.randrange(0, T - 4)
        d.line([x, y, x + 5, y + 2], fill=shade(base, -18))
    return img


def torch(img, rnd):
    d = ImageDraw.Draw(img)
    d.rectangle([10, 10, 13, T - 1], fill=(96, 64, 36))
    d.rectangle([8, 8, 15, 11], fill=(70, 70, 76))
    d.ellipse([8, 0, 15, 9], fill=(240, 140, 30))
    d.ellipse([10, 3, 13, 8], fill=(254, 230, 110))
    return img


def vine(img, rnd):
    d = ImageDraw.Draw(img)
    green, leaf = (50, 120, 46), (84, 168, 64)
    x = 11
    for y in range(T):
        x += rnd.choice((-1, 0, 0, 1))
        x = max(6, min(17, x))
        d.point([x, y], fill=green)
        d.point([x + 1, y], fill=green)
        if y % 5 == 2:
            d.ellipse([x - 4, y - 1, x, y + 2], fill=leaf)
        if y % 5 == 4:
            d.ellipse([x + 2, y - 1, x + 6, y + 2], fill=leaf)
    return img


def grass_tuft(img, rnd):
    d = ImageDraw.Draw(img)
    for i in range(9):
        x = 3 + i * 2
        h = rnd.randrange(4, 10)
        d.line([x, T - 1, x + rnd.choice((-1, 0, 1)), T - 1 - h], fill=(70, 150, 50))
    return img


def make_tiles(rnd):
    crown = canopy(rnd)
    painters = {
        "grass": lambda: grass_top(blank(), rnd),
        "grass_left": lambda: grass_top(blank(), rnd, left_round=True),
        "grass_right": lambda: grass_top(blank(), rnd, right_round=True),
        "dirt": lambda: (lambda i: (dirt_fill(i, rnd), i)[1])(blank()),
        "dirt_deep": lambda: (lambda i: (dirt_fill(i, rnd, 0, (88, 58, 36)), i)[1])(blank()),
        "stone": lambda: stone(blank(), rnd),
        "plank_left": lambda: plank(blank(), rnd, "left"),
        "plank_mid": lambda: plank(blank(), rnd, "mid"),
        "plank_right": lambda: plank(blank(), rnd, "right"),
        "water_top": lambda: water(blank(), rnd, True),
        "water": lambda: water(blank(), rnd, False),
        "bush": lambda: bush(blank(), rnd),
        "flowers": lambda: flowers(blank(), rnd),
        "trunk": lambda: trunk(blank(), rnd),
        "boulder": lambda: boulder(blank(), rnd),
        "crate": lambda: crate(blank(), rnd),
        "fence": lambda: fence(blank(), rnd),
        "sign": lambda: sign(blank(), rnd),
        "mushroom": lambda: mushroom(blank(), rnd),
        "cave_wall": lambda: cave_wall(blank(), rnd),
        "torch": lambda: torch(blank(), rnd),
        "vine": lambda: vine(blank(), rnd),
        "grass_tuft": lambda: grass_tuft(blank(), rnd),
        "dirt_grass_under": lambda: (lambda i: (dirt_fill(i, rnd, 0, (104, 70, 42)), i)[1])(blank()),
    }
    for i, part in enumerate(("tl", "tc", "tr", "bl", "bc", "br")):
        painters["canopy_" + part] = (lambda tile: lambda: tile)(crown[i])
    return [painters[name]() for name in TILES]


def sky():
    img = Image.new("RGB", (320, 240))
    d = ImageDraw.Draw(img)
    top, horizon = (60, 110, 200), (200, 226, 246)
    for y in range(240):
        d.line([0, y, 319, y], fill=mix(top, horizon, (y / 239) ** 1.3))
    for r, c in ((22, (252, 240, 200)), (16, (254, 248, 214)), (11, (254, 252, 236))):
        d.ellipse([250 - r, 50 - r, 250 + r, 50 + r], fill=mix(c, (220, 230, 240), 0.1))
    return img


def clouds(rnd):
    img = Image.new("RGB", (320, 80), CLEAR)
    d = ImageDraw.Draw(img)
    for cx, cy, w in ((50, 30, 60), (170, 50, 80), (275, 22, 50)):
        for _ in range(7):
            x = cx + rnd.randint(-w // 2, w // 2)
            y = cy + rnd.randint(-6, 6)
            r = rnd.randint(8, 15)
            d.ellipse([x - r, y - r * 0.7, x + r, y + r * 0.7], fill=(236, 240, 246))
        d.ellipse([cx - w // 2, cy + 2, cx + w // 2, cy + 12], fill=(214, 222, 236))
    return img


def ridge(width, base, waves, phases):
    """Heights of a skyline made of whole sine periods, so the image repeats seamlessly."""
    heights = []
    for x in range(width):
        t = x / width * 2 * math.pi
        h = base
        for (amp, freq), phase in zip(waves, phases):
            h += amp * math.sin(freq * t + phase)
        heights.append(h)
    return heights


def mountains(rnd):
    w, h = 320, 150
    img = Image.new("RGB", (w, h), CLEAR)
    px = img.load()
    phases = [rnd.uniform(0, 6.28) for _ in range(4)]
    heights = ridge(w, 60, [(28, 2), (14, 5), (7, 11), (3, 23)], phases)
    body, shadow, snow = (120, 128, 168), (96, 102, 146), (236, 240, 250)
    for x in range(w):
        top = int(heights[x])
        slope = heights[(x + 1) % w] - heights[x - 1]
        for y in range(max(0, top), h):
            depth = y - top
            colour = shadow if slope > 0 else body
            if depth < 10 and top < 48:
                colour = snow if depth < 6 or (x * 7 + y) % 5 else colour
            px[x, y] = mix(colour, (170, 190, 220), min(0.4, (y - 20) / 300))
    return img


def hills(rnd):
    w, h = 320, 140
    img = Image.new("RGB", (w, h), CLEAR)
    px = img.load()
    phases = [rnd.uniform(0, 6.28) for _ in range(3)]
    heights = ridge(w, 50, [(18, 3), (8, 7), (3, 13)], phases)
    light, dark = (96, 160, 84), (64, 126, 66)
    for x in range(w):
        top = int(heights[x])
        for y in range(max(0, top), h):
            px[x, y] = mix(light, dark, min(1.0, (y - top) / 60))
    d = ImageDraw.Draw(img)
    for x in range(12, w, 37):  # small distant trees on the ridge
        top = int(heights[x]) + 2
        d.rectangle([x, top - 2, x + 1, top + 2], fill=(70, 60, 40))
        d.ellipse([x - 4, top - 12, x + 5, top - 1], fill=(44, 100, 52))
    return img


def paint():
    """(tiles in TILES order, backgrounds in BACKGROUNDS order), all from one fixed seed; the
    asset pak's tileset and backgrounds are these same pictures."""
    rnd = random.Random(301)
    tiles = make_tiles(rnd)
    return tiles, [sky(), clouds(rnd), mountains(rnd), hills(rnd)]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "tiles"), exist_ok=True)
    os.makedirs(os.path.join(out, "bg"), exist_ok=True)
    tiles, backgrounds = paint()
    for number, tile in enumerate(tiles, start=1):
        tile.save(os.path.join(out, "tiles", "TILE%04d.PNG" % number), optimize=False)
    for number, image in enumerate(backgrounds):
        image.save(os.path.join(out, "bg", "BG%04d.PNG" % number), optimize=False)


if __name__ == "__main__":
    main()
