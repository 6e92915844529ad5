"""Paints every picture of Kelda's Climb from a fixed seed, so each run writes the same files.

usage: makeart.py OUTDIR

writes, under OUTDIR:
  tiles.png         the map's tileset: 24 x 24 tiles, 8 a row, white (255, 255, 255) clear;
                    tile ids as TILES below (the map's climb.tsx names the same ids)
  bg/BG0000.PNG     the sky, 320 x 240, opaque, fixed behind everything
  bg/BG0001.PNG     far mountains and clouds, 320 x 240, white clear, repeats sideways
  bg/BG0002.PNG     near hills, 320 x 160, white clear, repeats sideways
  kelda.png         Kelda, 24 x 32 frames in one row, alpha clear (frame list below)
  enemy.png         the beetle, 24 x 24 frames in one row, alpha clear (frame list below)
  icon.png          the desktop icon, 64 x 64, alpha clear
"""
import math
import os
import random
import sys

from PIL import Image, ImageDraw

T = 24
COLUMNS = 8
CLEAR = (255, 255, 255)

# Tile ids in the tileset, row by row. Animations (in climb.tsx) start at the first frame.
TILES = [
    "grass_left", "grass", "grass_right", "dirt", "stone", "stone_top", "brick_back", "crate",
    "plank_left", "plank", "plank_right", "lava_top0", "lava_top1", "lava_top2", "lava_top3",
    "lava0",
    "lava1", "lava2", "lava3", "coin0", "coin1", "coin2", "coin3", "pole",
    "flag0", "flag1", "flag2", "flag_reached0", "flag_reached1", "flag_reached2", "goal0",
    "goal1",
    "goal2", "bush", "tuft", "flowers", "rock", "vine", "window", "moss",
]
# Kelda's frames, left to right; she faces right (the game mirrors her to face left).
KELDA = ["idle0", "idle1", "run0", "run1", "run2", "run3", "run4", "run5", "jump", "fall",
         "hurt0", "hurt1"]
ENEMY = ["walk0", "walk1", "walk2", "walk3", "squashed"]

GRASS = (86, 170, 62)
GRASS_DARK = (52, 122, 44)
DIRT = (128, 86, 50)
STONE = (118, 116, 128)
BRICK = (70, 66, 86)
WOOD = (160, 108, 58)
LAVA = (236, 92, 28)
GOLD = (248, 200, 40)


def clamp(v):
    return max(0, min(254, int(v)))


def shade(colour, amount):
    return tuple(clamp(c + amount) for c in colour)


def mix(a, b, t):
    return tuple(clamp(a[i] + (b[i] - a[i]) * t) for i in range(3))


def speckle(draw, rnd, base, count, spread, box):
    for _ in range(count):
        x = rnd.randrange(box[0], box[2])
        y = rnd.randrange(box[1], box[3])
        draw.point((x, y), fill=shade(base, rnd.randint(-spread, spread)))


def dirt(d, rnd, top):
    d.rectangle([0, top, T - 1, T - 1], fill=DIRT)
    speckle(d, rnd, DIRT, 80, 24, (0, top, T, T))


def grass(d, rnd, left, right):
    dirt(d, rnd, 0)
    d.rectangle([0, 0, T - 1, 5], fill=GRASS)
    for x in range(T):  # a ragged edge of blades over the dirt
        d.line([x, 6, x, 6 + rnd.randint(0, 3)], fill=GRASS_DARK if x % 3 else GRASS)
    d.line([0, 0, T - 1, 0], fill=shade(GRASS, 40))
    if left:
        d.rectangle([0, 0, 2, T - 1], fill=GRASS_DARK)
    if right:
        d.rectangle([T - 3, 0, T - 1, T - 1], fill=GRASS_DARK)


def stone(d, rnd, top):
    d.rectangle([0, 0, T - 1, T - 1], fill=STONE)
    speckle(d, rnd, STONE, 60, 14, (0, 0, T, T))
    dark = shade(STONE, -42)
    d.line([0, 11, T - 1, 11], fill=dark)
    d.line([0, T - 1, T - 1, T - 1], fill=dark)
    d.line([12, 0, 12, 11], fill=dark)
    d.line([5, 12, 5, T - 1], fill=dark)
    d.line([18, 12, 18, T - 1], fill=dark)
    if top:
        d.rectangle([0, 0, T - 1, 3], fill=shade(STONE, 36))
        d.line([0, 4, T - 1, 4], fill=dark)


def brick_back(d, rnd):
    d.rectangle([0, 0, T - 1, T - 1], fill=BRICK)
    speckle(d, rnd, BRICK, 40, 10, (0, 0, T, T))
    dark = shade(BRICK, -22)
    for y in (7, 15, 23):
        d.line([0, y, T - 1, y], fill=dark)
    for x, y0 in ((6, 0), (18, 0), (0, 8), (12, 8), (6, 16), (18, 16)):
        d.line([x, y0, x, y0 + 6], fill=dark)


def crate(d):
    d.rectangle([1, 1, T - 2, T - 2], fill=WOOD, outline=shade(WOOD, -70))
    d.line([3, 3, T - 4, T - 4], fill=shade(WOOD, -40), width=2)
    d.line([3, T - 4, T - 4, 3], fill=shade(WOOD, -40), width=2)
    d.rectangle([3, 3, T - 4, T - 4], outline=shade(WOOD, -55))


def plank(d, part):
    d.rectangle([0, 0, T - 1, 7], fill=WOOD)
    d.line([0, 0, T - 1, 0], fill=shade(WOOD, 45))
    d.line([0, 7, T - 1, 7], fill=shade(WOOD, -60))
    for x in (5, 17):
        d.point((x, 3), fill=shade(WOOD, -80))
    if part == 0:
        d.line([0, 0, 0, 7], fill=shade(WOOD, -60))
        d.line([4, 8, 10, 16], fill=shade(WOOD, -30), width=2)  # a bracket under the end
    if part == 2:
        d.line([T - 1, 0, T - 1, 7], fill=shade(WOOD, -60))
        d.line([T - 5, 8, T - 11, 16], fill=shade(WOOD, -30), width=2)


def lava(d, frame, top):
    d.rectangle([0, 0, T - 1, T - 1], fill=LAVA)
    for y in range(T):
        for x in range(T):
            glow = math.sin((x + frame * 6) * 0.52) + math.sin((y * 0.7 - frame * 1.57))
            if glow > 1.2:
                d.point((x, y), fill=(252, 196, 64))
            elif glow < -1.1:
                d.point((x, y), fill=(190, 48, 22))
    if top:  # a crust line that waves, over a little glow of air
        d.rectangle([0, 0, T - 1, 3], fill=CLEAR)
        for x in range(T):
            crest = 4 + round(1.5 + 1.5 * math.sin((x + frame * 6) * 2 * math.pi / T))
            d.line([x, 3, x, crest], fill=CLEAR)
            d.point((x, crest + 1), fill=(254, 224, 96))


def coin(d, frame):
    width = [9, 6, 2, 6][frame]
    box = [12 - width, 4, 11 + width, 19]
    d.ellipse(box, fill=GOLD, outline=(176, 120, 20))
    if width > 3:
        d.ellipse([box[0] + 3, 7, box[2] - 3, 16], outline=(254, 236, 120))
        d.line([12, 8, 12, 15], fill=(200, 144, 24))


def pole(d):
    d.rectangle([3, 0, 5, T - 1], fill=(140, 140, 150))
    d.line([3, 0, 3, T - 1], fill=(200, 200, 210))
    d.rectangle([1, T - 3, 8, T - 1], fill=(90, 86, 96))


def flag(d, frame, colour, top_knob):
    pole(d)
    d.rectangle([1, 0, 8, T - 1], fill=CLEAR)
    d.rectangle([3, 0, 5, T - 1], fill=(140, 140, 150))
    if top_knob:
        d.ellipse([2, 0, 6, 4], fill=GOLD)
    for x in range(6, 22):
        wave = round(2 * math.sin((x - 6) * 0.45 - frame * 2.1))
        d.line([x, 4 + wave, x, 13 + wave], fill=colour if x < 21 else shade(colour, -50))


def bush(d):
    for box, tone in (([1, 9, 13, 23], -20), ([9, 6, 23, 23], 0), ([5, 4, 17, 20], 20)):
        d.ellipse(box, fill=shade(GRASS_DARK, tone))


def tuft(d, rnd):
    for x in range(4, 20, 3):
        d.line([x, 23, x + rnd.randint(-2, 2), 16 + rnd.randint(0, 3)], fill=GRASS_DARK)


def flowers(d):
    tuft(d, random.Random(5))
    for x, colour in ((6, (232, 80, 120)), (13, (250, 220, 90)), (19, (150, 120, 240))):
        d.ellipse([x - 2, 14, x + 2, 18], fill=colour)
        d.point((x, 16), fill=(254, 240, 200))


def rock(d):
    d.ellipse([3, 12, 21, 23], fill=STONE, outline=shade(STONE, -50))
    d.ellipse([7, 14, 12, 17], fill=shade(STONE, 30))


def vine(d):
    for y in range(T):
        x = 12 + round(3 * math.sin(y * 0.4))
        d.point((x, y), fill=GRASS_DARK)
        d.point((x + 1, y), fill=GRASS)
        if y % 6 == 2:
            d.ellipse([x - 4, y - 1, x, y + 2], fill=GRASS)


def window(d):
    brick_back(d, random.Random(7))
    d.rectangle([7, 4, 16, 20], fill=(30, 28, 48))
    d.pieslice([7, 0, 16, 9], 180, 360, fill=(30, 28, 48))
    d.line([11, 4, 11, 20], fill=BRICK)


def moss(d, rnd):
    brick_back(d, rnd)
    for _ in range(30):
        x, y = rnd.randrange(T), rnd.randrange(8)
        d.point((x, y), fill=GRASS_DARK)


def tileset():
    rnd = random.Random(26)
    rows = (len(TILES) + COLUMNS - 1) // COLUMNS
    sheet = Image.new("RGB", (COLUMNS * T, rows * T), CLEAR)
    for number, name in enumerate(TILES):
        tile = Image.new("RGB", (T, T), CLEAR)
        d = ImageDraw.Draw(tile)
        frame = int(name[-1]) if name[-1].isdigit() else 0
        if name.startswith("grass"):
            grass(d, rnd, name == "grass_left", name == "grass_right")
        elif name == "dirt":
            dirt(d, rnd, 0)
        elif name.startswith("stone"):
            stone(d, rnd, name == "stone_top")
        elif name == "brick_back":
            brick_back(d, rnd)
        elif name == "crate":
            crate(d)
        elif name.startswith("plank"):
            plank(d, {"plank_left": 0, "plank": 1, "plank_right": 2}[name])
        elif name.startswith("lava"):
            lava(d, frame, name.startswith("lava_top"))
        elif name.startswith("coin"):
            coin(d, frame)
        elif name == "pole":
            pole(d)
        elif name.startswith("flag_reached"):
            flag(d, frame, (220, 40, 48), False)
        elif name.startswith("flag"):
            flag(d, frame, (150, 150, 160), False)
        elif name.startswith("goal"):
            flag(d, frame, GOLD, True)
        elif name == "bush":
            bush(d)
        elif name == "tuft":
            tuft(d, rnd)
        elif name == "flowers":
            flowers(d)
        elif name == "rock":
            rock(d)
        elif name == "vine":
            vine(d)
        elif name == "window":
            window(d)
        elif name == "moss":
            moss(d, rnd)
        sheet.paste(tile, ((number % COLUMNS) * T, (number // COLUMNS) * T))
    return sheet


def sky():
    image = Image.new("RGB", (320, 240))
    d = ImageDraw.Draw(image)
    top, bottom = (58, 96, 178), (250, 196, 150)
    for y in range(240):
        d.line([0, y, 319, y], fill=mix(top, bottom, (y / 239) ** 1.4))
    d.ellipse([236, 30, 276, 70], fill=(254, 236, 170))
    return image


def ridge(width, height, rnd, base, amplitude, wavelengths):
    """A ridge line: the height of the land at each column, repeating after width columns."""
    phases = [rnd.uniform(0, 2 * math.pi) for _ in wavelengths]
    line = []
    for x in range(width):
        y = base
        for (count, weight), phase in zip(wavelengths, phases):
            y += amplitude * weight * math.sin(2 * math.pi * count * x / width + phase)
        line.append(int(min(height - 1, max(0, y))))
    return line


def mountains():
    rnd = random.Random(261)
    image = Image.new("RGB", (320, 240), CLEAR)
    d = ImageDraw.Draw(image)
    for cx, cy in ((40, 40), (150, 24), (250, 56)):  # clouds
        for dx, dy, r in ((0, 0, 14), (14, 4, 11), (-14, 5, 10), (6, -6, 10)):
            d.ellipse([cx + dx - r, cy + dy - r // 2, cx + dx + r, cy + dy + r // 2],
                      fill=(246, 244, 250))
    line = ridge(320, 240, rnd, 150, 40, [(2, 1.0), (5, 0.5), (11, 0.2)])
    for x, y in enumerate(line):
        d.line([x, y, x, 239], fill=mix((112, 110, 160), (150, 140, 180), (y - 100) / 120))
        if y < 132:  # snow on the tops
            d.line([x, y, x, min(239, y + (132 - y) // 2 + 2)], fill=(236, 236, 246))
    return image


def hills():
    rnd = random.Random(262)
    image = Image.new("RGB", (320, 160), CLEAR)
    d = ImageDraw.Draw(image)
    line = ridge(320, 160, rnd, 70, 28, [(1, 1.0), (3, 0.6), (7, 0.2)])
    for x, y in enumerate(line):
        d.line([x, y, x, 159], fill=mix((72, 140, 70), (40, 96, 52), (y - 40) / 120))
    for x in range(10, 320, 37):  # small trees along the crest
        y = line[x]
        d.polygon([(x - 5, y + 2), (x + 5, y + 2), (x, y - 12)], fill=(34, 84, 46))
    return image


SKIN = (240, 196, 160)
HAIR = (196, 84, 36)
TUNIC = (52, 110, 196)
BOOT = (80, 52, 36)
OUTLINE = (28, 24, 36, 255)


def kelda_frame(name):
    """Kelda facing right in a 24 x 32 frame, her feet on the bottom row."""
    image = Image.new("RGBA", (24, 32), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    bob, stride, arms, crouch = 0, 0, 0, 0
    if name.startswith("idle"):
        bob = int(name[-1])
    elif name.startswith("run"):
        phase = int(name[-1]) * math.pi / 3
        stride = round(4 * math.sin(phase))
        bob = 1 if int(name[-1]) % 3 == 0 else 0
        arms = -stride
    elif name == "jump":
        stride, arms = 3, -5
    elif name == "fall":
        stride, arms = -2, 4
    if name.startswith("hurt"):
        crouch = 3 + int(name[-1])
    top = 3 + bob + crouch
    legs = 22 + bob
    # Legs and boots.
    for offset in (stride, -stride):
        d.line([12, legs, 12 + offset, 29], fill=BOOT, width=3)
        d.rectangle([11 + offset, 29, 14 + offset, 31], fill=BOOT)
    # Tunic with a belt, arms.
    d.polygon([(8, top + 10), (16, top + 10), (18, legs + 1), (6, legs + 1)], fill=TUNIC,
              outline=shade(TUNIC, -60))
    d.line([7, top + 16, 17, top + 16], fill=(120, 80, 40), width=2)
    d.line([9, top + 12, 9 - arms // 2, top + 18], fill=SKIN, width=2)
    d.line([15, top + 12, 16 + arms // 2, top + 18], fill=SKIN, width=2)
    # Head, hair in a braid behind (to the left), an eye looking right.
    d.ellipse([7, top, 17, top + 10], fill=SKIN, outline=OUTLINE)
    d.pieslice([6, top - 1, 18, top + 9], 180, 360, fill=HAIR)
    d.line([7, top + 4, 3, top + 12], fill=HAIR, width=3)
    eye = (14, top + 5)
    if name.startswith("hurt"):
        d.line([eye[0] - 1, eye[1] - 1, eye[0] + 1, eye[1] + 1], fill=OUTLINE)
        d.line([eye[0] - 1, eye[1] + 1, eye[0] + 1, eye[1] - 1], fill=OUTLINE)
    else:
        d.point(eye, fill=OUTLINE)
    return image


def enemy_frame(name):
    """The beetle facing right in a 24 x 24 frame, its feet on the bottom row."""
    image = Image.new("RGBA", (24, 24), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    shell, dark = (140, 60, 160), (80, 30, 96)
    if name == "squashed":
        d.ellipse([1, 17, 22, 23], fill=shell, outline=dark)
        return image
    step = int(name[-1])
    lift = [0, 1, 0, 1][step]
    for x, phase in ((6, 0), (11, 1), (16, 0)):
        reach = 2 if (step + phase) % 2 else -2
        d.line([x, 18, x + reach, 23], fill=OUTLINE, width=2)
    d.pieslice([2, 6 - lift, 20, 30 - lift], 180, 360, fill=shell, outline=dark)
    d.line([11, 7 - lift, 11, 17 - lift], fill=dark)
    d.ellipse([16, 11 - lift, 23, 18 - lift], fill=(60, 40, 60))
    d.point((21, 13 - lift), fill=(250, 230, 90, 255))
    return image


def strip(frames):
    width, height = frames[0].size
    image = Image.new("RGBA", (width * len(frames), height), (0, 0, 0, 0))
    for i, frame in enumerate(frames):
        image.paste(frame, (i * width, 0))
    return image


def icon():
    image = Image.new("RGBA", (64, 64), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle([0, 0, 63, 63], 12, fill=(58, 96, 178, 255))
    d.polygon([(0, 63), (20, 26), (34, 44), (46, 18), (63, 50), (63, 63)],
              fill=(110, 108, 150, 255))
    d.polygon([(40, 28), (46, 18), (52, 29)], fill=(236, 236, 246, 255))
    kelda = kelda_frame("jump").resize((36, 48), Image.NEAREST)
    image.alpha_composite(kelda, (14, 10))
    return image


def main(argv):
    out = argv[1]
    os.makedirs(os.path.join(out, "bg"), exist_ok=True)
    tileset().save(os.path.join(out, "tiles.png"))
    sky().save(os.path.join(out, "bg", "BG0000.PNG"))
    mountains().save(os.path.join(out, "bg", "BG0001.PNG"))
    hills().save(os.path.join(out, "bg", "BG0002.PNG"))
    strip([kelda_frame(name) for name in KELDA]).save(os.path.join(out, "kelda.png"))
    strip([enemy_frame(name) for name in ENEMY]).save(os.path.join(out, "enemy.png"))
    icon().save(os.path.join(out, "icon.png"))


if __name__ == "__main__":
    main(sys.argv)
