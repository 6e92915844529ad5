"""Writes the first draft of Kelda's Climb's map, data/climb.tmx, and its tileset, climb.tsx.

The committed map is the source from then on: it is edited in Tiled, and this script is kept
only to show how the draft was laid out (it overwrites the files it is given). The build never
runs it; checkmap.py checks whatever the map has become.

usage: makemap.py OUT.tmx    (writes OUT.tmx and climb.tsx beside it)
"""
import os
import random
import sys

import makeart

WIDTH, HEIGHT = 92, 50
TILE = {name: number for number, name in enumerate(makeart.TILES)}

# Tile properties and animations of the tileset, by the first frame's name.
SOLID = ["grass_left", "grass", "grass_right", "dirt", "stone", "stone_top", "crate"]
ONEWAY = ["plank_left", "plank", "plank_right"]
HAZARD = ["lava_top0", "lava_top1", "lava_top2", "lava_top3", "lava0", "lava1", "lava2",
          "lava3"]
ANIMATIONS = {  # first frame: (frame names, milliseconds a frame)
    "lava_top0": (["lava_top0", "lava_top1", "lava_top2", "lava_top3"], 180),
    "lava0": (["lava0", "lava1", "lava2", "lava3"], 180),
    "coin0": (["coin0", "coin1", "coin2", "coin3", "coin2", "coin1"], 100),
    "flag0": (["flag0", "flag1", "flag2"], 200),
    "flag_reached0": (["flag_reached0", "flag_reached1", "flag_reached2"], 150),
    "goal0": (["goal0", "goal1", "goal2"], 150),
}

# The collision layer drawn as characters: '#' ground, 'S' stone, 'B' crate, '=' one-way plank,
# '~' lava. Rows and columns count from 0.
grid = [[" "] * WIDTH for _ in range(HEIGHT)]
objects = []  # (type, column, row of the surface it stands on or its own row, properties)


def fill(row0, row1, col0, col1, char):
    for row in range(row0, row1 + 1):
        for col in range(col0, col1 + 1):
            grid[row][col] = char


def stands(kind, col, surface, **properties):
    objects.append((kind, col, surface, properties))


def coins(row, col0, col1):
    for col in range(col0, col1 + 1):
        objects.append(("coin", col, row, {}))


GROUND = 45
fill(GROUND, HEIGHT - 1, 0, WIDTH - 1, "#")
fill(0, GROUND - 1, 0, 0, "S")  # the world's left edge

# Screen 0: start, flat ground, a one-tile step. Nothing that hurts.
stands("start", 2, GROUND)
fill(44, 44, 8, 11, "#")
coins(42, 5, 7)
coins(41, 9, 10)
# Screen 1: one-way planks alone, the only way over a wall four tiles high.
fill(43, 43, 16, 19, "=")
fill(41, 44, 21, 22, "S")
coins(41, 16, 18)
fill(38, 38, 20, 23, "=")  # off the path: a full jump from the wall's top
coins(36, 20, 23)
stands("checkpoint", 25, GROUND, number=1)
# Screen 2: lava alone, two pits to jump.
fill(GROUND, HEIGHT - 1, 29, 30, "~")
fill(GROUND, HEIGHT - 1, 34, 36, "~")
coins(42, 29, 30)
coins(41, 34, 36)
stands("checkpoint", 38, GROUND, number=2)
# Screen 3: beetles alone, between two stone blocks.
fill(44, 44, 41, 41, "S")
fill(44, 44, 52, 52, "S")
stands("enemy", 45, GROUND)
stands("enemy", 49, GROUND)
coins(42, 44, 47)
stands("checkpoint", 54, GROUND, number=3)
# Screen 4: together: a lava lake with one plank over it, a beetle beyond.
fill(GROUND, HEIGHT - 1, 56, 62, "~")
fill(43, 43, 58, 60, "=")
coins(41, 58, 60)
coins(44, 57, 57)  # off the path, low over the lava
coins(44, 61, 61)
stands("enemy", 65, GROUND)

# The tower: walls, a safe floor under its first steps, then planks and ledges two tiles apart.
fill(2, 40, 68, 68, "S")
fill(0, GROUND - 1, 91, 91, "S")
stands("checkpoint", 71, GROUND, number=4)
fill(43, 43, 73, 76, "=")
fill(41, 41, 78, 81, "=")
fill(39, 39, 84, 90, "S")
coins(38, 86, 89)
fill(37, 37, 79, 82, "=")
fill(35, 35, 86, 89, "=")  # off the path: a full jump from the plank below
coins(34, 86, 89)
fill(35, 35, 73, 76, "=")
coins(34, 73, 75)
fill(33, 33, 69, 72, "S")
stands("checkpoint", 70, 33, number=5)
fill(31, 31, 74, 78, "=")
fill(29, 29, 80, 90, "S")
stands("enemy", 86, 29)
coins(27, 82, 84)
fill(27, 27, 75, 78, "=")
fill(25, 25, 73, 76, "=")
coins(24, 74, 75)
fill(23, 23, 69, 71, "S")
stands("checkpoint", 70, 23, number=6)
fill(21, 21, 74, 90, "S")
fill(21, 21, 80, 82, "~")
stands("enemy", 87, 21)
coins(18, 80, 82)
fill(19, 19, 84, 87, "=")
fill(17, 17, 78, 81, "=")
fill(15, 15, 72, 75, "=")
coins(14, 72, 73)
fill(13, 13, 69, 70, "S")
stands("checkpoint", 69, 13, number=7)
fill(11, 11, 73, 77, "=")
stands("enemy", 76, 11)
fill(9, 9, 79, 82, "=")
coins(8, 80, 81)
fill(7, 7, 69, 76, "S")
stands("enemy", 73, 7)
coins(5, 70, 71)
stands("goal", 70, 7)


def collision_tile(row, col):
    char = grid[row][col]
    above = grid[row - 1][col] if row > 0 else " "
    if char == "#":
        if above in "#~":
            return "dirt"
        left = grid[row][col - 1] if col > 0 else "#"
        right = grid[row][col + 1] if col + 1 < WIDTH else "#"
        if left not in "#S" and grid[row - 1][col - 1] != "#":
            return "grass_left"
        if right not in "#S" and grid[row - 1][col + 1] != "#":
            return "grass_right"
        return "grass"
    if char == "S":
        return "stone" if above in "#S" else "stone_top"
    if char == "B":
        return "crate"
    if char == "=":
        left = col > 0 and grid[row][col - 1] == "="
        right = col + 1 < WIDTH and grid[row][col + 1] == "="
        return "plank" if left and right else ("plank_right" if left else "plank_left")
    if char == "~":
        return "lava0" if above == "~" else "lava_top0"
    return None


def layers():
    first = [[None] * WIDTH for _ in range(HEIGHT)]
    second = [[collision_tile(r, c) for c in range(WIDTH)] for r in range(HEIGHT)]
    third = [[None] * WIDTH for _ in range(HEIGHT)]
    # Behind the tower, its brick wall with a few windows and moss.
    rnd = random.Random(2612)
    for row in range(0, GROUND):
        for col in range(69, 91):
            pick = rnd.random()
            third[row][col] = "window" if pick < 0.02 else "moss" if pick < 0.06 else "brick_back"
    # Grass tufts, flowers, rocks and bushes on open grass, in front and behind.
    for col in range(1, 67):
        row = GROUND if grid[44][col] == " " else 44
        if grid[row][col] != "#" or grid[row - 1][col] != " ":
            continue
        pick = rnd.random()
        if pick < 0.18:
            first[row - 1][col] = "tuft"
        elif pick < 0.26:
            first[row - 1][col] = "flowers"
        elif pick < 0.32:
            third[row - 1][col] = "bush"
        elif pick < 0.36:
            third[row - 1][col] = "rock"
    for row in range(3, 40, 7):  # vines down the tower's outer wall
        third[row][67] = "vine"
        third[row + 1][67] = "vine"
    # Poles and flags where the checkpoints and the goal stand.
    for kind, col, surface, _ in objects:
        if kind in ("checkpoint", "goal"):
            third[surface - 1][col] = "pole"
            third[surface - 2][col] = "flag0" if kind == "checkpoint" else "goal0"
            first[surface - 1][col] = None
    return first, second, third


def csv(layer):
    rows = []
    for row in layer:
        rows.append(",".join(str(TILE[name] + 1) if name else "0" for name in row))
    return ",\n".join(rows)


def object_xml(number, kind, col, row, properties):
    # Coins fill their cell; what stands is one tile wide and stands on its surface row:
    # enemies one tile high, the start, checkpoints and the goal two.
    # Coins are tile objects showing the coin, whose y is their bottom edge as Tiled has it.
    height = {"coin": 24, "enemy": 24}.get(kind, 48)
    y = (row + 1) * 24 if kind == "coin" else row * 24 - height
    gid = f' gid="{TILE["coin0"] + 1}"' if kind == "coin" else ""
    xml = f'  <object id="{number}" type="{kind}"{gid} x="{col * 24}" y="{y}" width="24" ' \
          f'height="{height}"'
    if not properties:
        return xml + "/>\n"
    xml += ">\n   <properties>\n"
    for name, value in properties.items():
        xml += f'    <property name="{name}" type="int" value="{value}"/>\n'
    return xml + "   </properties>\n  </object>\n"


def tileset_xml():
    rows = (len(makeart.TILES) + makeart.COLUMNS - 1) // makeart.COLUMNS
    xml = ('<?xml version="1.0" encoding="UTF-8"?>\n'
           '<tileset version="1.8" tiledversion="1.8.2" name="climb" tilewidth="24" '
           f'tileheight="24" tilecount="{len(makeart.TILES)}" columns="{makeart.COLUMNS}">\n'
           f' <image source="tiles.png" trans="ffffff" width="{makeart.COLUMNS * 24}" '
           f'height="{rows * 24}"/>\n')
    for number, name in enumerate(makeart.TILES):
        flags = [flag for flag, names in (("hazard", HAZARD), ("oneway", ONEWAY),
                                          ("solid", SOLID)) if name in names]
        animation = ANIMATIONS.get(name)
        if not flags and not animation:
            continue
        xml += f' <tile id="{number}">\n'
        if flags:
            xml += "  <properties>\n"
            for flag in flags:
                xml += f'   <property name="{flag}" type="bool" value="true"/>\n'
            xml += "  </properties>\n"
        if animation:
            frames, milliseconds = animation
            xml += "  <animation>\n"
            for frame in frames:
                xml += f'   <frame tileid="{TILE[frame]}" duration="{milliseconds}"/>\n'
            xml += "  </animation>\n"
        xml += " </tile>\n"
    return xml + "</tileset>\n"


def map_xml():
    first, second, third = layers()
    xml = ('<?xml version="1.0" encoding="UTF-8"?>\n'
           f'<map version="1.8" tiledversion="1.8.2" orientation="orthogonal" '
           f'renderorder="right-down" width="{WIDTH}" height="{HEIGHT}" tilewidth="24" '
           f'tileheight="24" infinite="0" nextlayerid="8" '
           f'nextobjectid="{len(objects) + 1}">\n'
           ' <tileset firstgid="1" source="climb.tsx"/>\n'
           ' <imagelayer id="1" name="sky" parallaxx="0" parallaxy="0">\n'
           '  <image source="bg/BG0000.PNG" width="320" height="240"/>\n'
           ' </imagelayer>\n'
           ' <imagelayer id="2" name="mountains" offsety="240" parallaxx="0.25" '
           'parallaxy="0.25" repeatx="1">\n'
           '  <image source="bg/BG0001.PNG" trans="ffffff" width="320" height="240"/>\n'
           ' </imagelayer>\n'
           ' <imagelayer id="3" name="hills" offsety="560" parallaxx="0.5" parallaxy="0.5" '
           'repeatx="1">\n'
           '  <image source="bg/BG0002.PNG" trans="ffffff" width="320" height="160"/>\n'
           ' </imagelayer>\n')
    for number, (name, layer) in enumerate((("third", third), ("second", second),
                                            ("first", first)), start=4):
        xml += (f' <layer id="{number}" name="{name}" width="{WIDTH}" height="{HEIGHT}">\n'
                f'  <data encoding="csv">\n{csv(layer)}\n</data>\n </layer>\n')
    xml += ' <objectgroup id="7" name="objects">\n'
    for number, (kind, col, row, properties) in enumerate(objects, start=1):
        xml += object_xml(number, kind, col, row, properties)
    return xml + " </objectgroup>\n</map>\n"


def main(argv):
    out = argv[1]
    with open(out, "w", encoding="utf-8") as f:
        f.write(map_xml())
    with open(os.path.join(os.path.dirname(out), "climb.tsx"), "w", encoding="utf-8") as f:
        f.write(tileset_xml())


if __name__ == "__main__":
    main(sys.argv)
