"""Checks that Kelda's Climb's map keeps the rules of a fair level, from the map itself.

usage: checkmap.py MAP.tmx [--quiet]

Reads the map, its tileset's properties and its objects, and fails (status 1, one line per
broken rule, `checkmap: MAP: message`) unless:

- it has three tile layers, at least two image layers with parallax, tiles flagged solid,
  oneway and hazard, animated hazard, coin and flag tiles, and at least eight screens of area;
- it has one start and one goal, at least 30 coins (none inside a solid tile, each within a
  full jump of ground reachable from the start, at least three away from the main route), at
  least six enemies, and checkpoints numbered 1, 2, ... with at least four;
- the main route exists: from the start through each checkpoint in turn to the goal, walking
  and jumps that each need at most 80 % of the full jump's height and of its reach at the
  height climbed (computed from the physics table below, as docs/climb.md shows);
- a checkpoint (or the start, or the goal) follows another within two screens, counting
  sideways screens of 320 pixels and upward ones of 240 as one each;
- the first screen has no enemy or hazard; the first screen on the route holding a one-way
  platform, a hazard or an enemy holds none of the other two; the route turns into a climb
  (the goal at least two screens above the start) whose first steps have safe ground below.

Standing is on the top of a solid or one-way cell of the collision layer with no solid cell in
the two cells above it (the player is 22 pixels tall) and no hazard there. The jump's reach is
measured from the edge of the ground left to the edge of the ground reached, so it needs no
width of the player; the 20 % kept back covers it and the player's own slack.
"""
import sys
import xml.etree.ElementTree as ElementTree
from collections import deque, namedtuple
from os import path

# The starting physics table, in 1/256 pixel and ticks (docs/climb.md).
JUMP_SPEED, GRAVITY_HELD, GRAVITY, TOP_SPEED, FALL_CAP = -1408, 46, 96, 512, 1536
SHARE = 0.8
TILE, SCREEN_W, SCREEN_H = 24, 320, 240
PLAYER_ROWS = 2  # cells kept free above a standing place: more than the player needs
PLAYER_HEIGHT = 22  # the game's player box is 12 x 22 pixels

Surface = namedtuple("Surface", "row col0 col1")
Item = namedtuple("Item", "id type x y width height properties")


def full_jump():
    """The full jump, held to the apex and run at top speed: (x, height) in pixels per tick.
    Each tick adds gravity to the speed, caps it, then moves."""
    points, x, y, vy = [(0.0, 0.0)], 0, 0, JUMP_SPEED
    while y < 40 * TILE * 256:
        vy = min(vy + (GRAVITY_HELD if vy < 0 else GRAVITY), FALL_CAP)
        y += vy
        x += TOP_SPEED
        points.append((x / 256, -y / 256))
    return points


JUMP = full_jump()
APEX = max(height for _, height in JUMP)


def reach(rise):
    """How far the full jump carries sideways before it falls below rise pixels up."""
    return max(x for x, height in JUMP if height >= rise)


class Map:
    def __init__(self, filename):
        self.name = filename
        root = ElementTree.parse(filename).getroot()
        self.width, self.height = int(root.get("width")), int(root.get("height"))
        tileset = root.find("tileset")
        self.firstgid = int(tileset.get("firstgid"))
        if tileset.get("source"):
            tileset = ElementTree.parse(
                path.join(path.dirname(filename), tileset.get("source"))).getroot()
        self.flags, self.animated = {}, set()
        for tile in tileset.findall("tile"):
            number = int(tile.get("id"))
            for prop in tile.findall("properties/property"):
                if prop.get("type") == "bool" and prop.get("value") == "true":
                    self.flags.setdefault(number, set()).add(prop.get("name"))
            if tile.find("animation") is not None:
                self.animated.add(number)
        self.layers = {}
        for layer in root.findall("layer"):
            cells = [int(v) for v in layer.find("data").text.replace("\n", "").split(",")]
            self.layers[layer.get("name")] = [
                [cells[r * self.width + c] - self.firstgid if cells[r * self.width + c] else -1
                 for c in range(self.width)] for r in range(self.height)]
        self.images = root.findall("imagelayer")
        collision = 2
        for prop in root.findall("properties/property"):
            if prop.get("name") == "collisionlayer":
                collision = int(prop.get("value"))
        self.collision = self.layers.get(["first", "second", "third"][collision - 1])
        self.items = []
        for obj in root.iter("object"):
            properties = {p.get("name"): p.get("value") for p in obj.findall("properties/property")}
            height = int(obj.get("height", 0))
            top = int(obj.get("y")) - (height if obj.get("gid") else 0)  # a tile's is its bottom
            self.items.append(Item(int(obj.get("id")), obj.get("type") or obj.get("class"),
                                   int(obj.get("x")), top, int(obj.get("width", 0)), height,
                                   properties))

    def has(self, row, col, flag):
        if not (0 <= row < self.height and 0 <= col < self.width):
            return False
        return flag in self.flags.get(self.collision[row][col], ())

    def standable(self, row, col):
        if not (self.has(row, col, "solid") or self.has(row, col, "oneway")):
            return False
        above = range(row - PLAYER_ROWS, row)
        return not any(self.has(r, col, "solid") or self.has(r, col, "hazard") for r in above)

    def of_type(self, kind):
        return [item for item in self.items if item.type == kind]


def surfaces(level):
    found = []
    for row in range(level.height):
        col = 0
        while col < level.width:
            if level.standable(row, col):
                start = col
                while col + 1 < level.width and level.standable(row, col + 1):
                    col += 1
                found.append(Surface(row, start, col))
            col += 1
    return found


def clear(level, rows, cols):
    return not any(level.has(r, c, "solid") for r in rows for c in cols)


def jump_share(level, a, b):
    """The share of the full jump's height or reach that going from surface a to surface b
    needs at the least, or None when no jump does it (a wall in the way)."""
    rise = (a.row - b.row) * TILE
    if rise > APEX:
        return None
    overlap = range(max(a.col0, b.col0), min(a.col1, b.col1) + 1)
    if rise > 0 and any(level.has(b.row, c, "oneway") and
                        clear(level, range(b.row + 1, a.row), [c]) for c in overlap):
        return rise / APEX  # straight up through a one-way platform
    best = None
    for take_off, near in ((a.col0, b.col1), (a.col1, b.col0)):
        step = 1 if take_off == a.col1 else -1
        if (near - take_off) * step <= 0:
            continue  # b does not lie beyond this end of a
        between = range(take_off + step, near, step)
        landing = near if not between else between[-1]
        if not clear(level, range(min(a.row, b.row) - PLAYER_ROWS, max(a.row, b.row)),
                     list(between) + ([take_off] if rise > 0 else [landing])):
            continue
        share = max(rise / APEX if rise > 0 else 0, len(between) * TILE / reach(rise))
        best = share if best is None else min(best, share)
    return best


def graph(level, found, limit):
    edges = {i: [] for i in range(len(found))}
    for i, a in enumerate(found):
        for j, b in enumerate(found):
            if i != j:
                share = jump_share(level, a, b)
                if share is not None and share <= limit:
                    edges[i].append(j)
    return edges


def route_leg(edges, start, goal):
    before, queue = {start: None}, deque([start])
    while queue:
        node = queue.popleft()
        if node == goal:
            leg = []
            while node is not None:
                leg.append(node)
                node = before[node]
            return leg[::-1]
        for after in edges[node]:
            if after not in before:
                before[after] = node
                queue.append(after)
    return None


def reachable(edges, start):
    seen, queue = {start}, deque([start])
    while queue:
        for after in edges[queue.popleft()]:
            if after not in seen:
                seen.add(after)
                queue.append(after)
    return seen


def surface_under(level, found, item):
    col = (item.x + item.width // 2) // TILE
    row = (item.y + item.height) // TILE
    for index, s in enumerate(found):
        if s.row in (row, row + 1) and s.col0 <= col <= s.col1:
            return index
    return None


def coin_share(s, coin):
    """The share of the full jump that touching a coin from surface s needs, None for more
    than its height or ground above the coin: the player's top must reach the coin's bottom
    row."""
    if s.row * TILE < coin.y + coin.height:
        return None
    need = max(0, s.row * TILE - (coin.y + coin.height) - PLAYER_HEIGHT + 1)
    col = (coin.x + coin.width // 2) // TILE
    cols = max(0, s.col0 - col, col - s.col1)
    gap = max(0, cols - 1) * TILE
    if need > APEX:
        return None
    return max(need / APEX, gap / reach(need))


def screen_of(x, y):
    return (x // SCREEN_W, y // SCREEN_H)


def check(level):
    errors, facts = [], {}
    fail = errors.append

    # What the map is made of.
    if len(level.layers) != 3:
        fail(f"{len(level.layers)} tile layers, not 3")
    if level.collision is None:
        fail("no collision layer")
        return errors, facts
    if sum(1 for image in level.images if float(image.get("parallaxx", 1)) != 0) < 2:
        fail("fewer than two parallax image layers")
    for flag in ("solid", "oneway", "hazard"):
        if not any(flag in flags for flags in level.flags.values()):
            fail(f"no tile is {flag}")
    hazards = {n for n, flags in level.flags.items() if "hazard" in flags}
    if not hazards & level.animated:
        fail("no animated hazard tile")
    decoration = {n for layer in level.layers.values() for row in layer for n in row} - {-1}
    if len(level.animated & decoration) < 2:
        fail("fewer than two animated tiles in the layers (hazard and flags)")
    screens = level.width * level.height * TILE * TILE / (SCREEN_W * SCREEN_H)
    facts["screens"] = screens
    if screens < 8:
        fail(f"{screens:.1f} screens of area, fewer than 8")

    # The objects.
    known = {"start", "coin", "checkpoint", "enemy", "goal"}
    for item in level.items:
        if item.type not in known:
            fail(f'object {item.id}: unknown type "{item.type}"')
    starts, goals = level.of_type("start"), level.of_type("goal")
    coins, enemies = level.of_type("coin"), level.of_type("enemy")
    checkpoints = sorted(level.of_type("checkpoint"),
                         key=lambda item: int(item.properties.get("number", 0)))
    facts.update(coins=len(coins), enemies=len(enemies), checkpoints=len(checkpoints))
    if len(starts) != 1 or len(goals) != 1:
        fail(f"{len(starts)} starts and {len(goals)} goals, not one each")
        return errors, facts
    if len(coins) < 30:
        fail(f"{len(coins)} coins, fewer than 30")
    if len(enemies) < 6:
        fail(f"{len(enemies)} enemies, fewer than 6")
    numbers = [int(item.properties.get("number", 0)) for item in checkpoints]
    if len(checkpoints) < 4 or numbers != list(range(1, len(checkpoints) + 1)):
        fail(f"checkpoints numbered {numbers}, not 1 up with at least 4")
    for coin in coins:
        cells = {((coin.y + dy) // TILE, (coin.x + dx) // TILE)
                 for dx in (0, coin.width - 1) for dy in (0, coin.height - 1)}
        if any(level.has(r, c, "solid") for r, c in cells):
            fail(f"object {coin.id}: coin inside a solid tile")

    # The main route, with jumps of at most 80 % only.
    found = surfaces(level)
    easy, full = graph(level, found, SHARE), graph(level, found, 1.0)
    stops = [starts[0]] + checkpoints + [goals[0]]
    places = [surface_under(level, found, item) for item in stops]
    for item, place in zip(stops, places):
        if place is None:
            fail(f"object {item.id}: {item.type} stands on no ground")
    for item in enemies:
        if surface_under(level, found, item) is None:
            fail(f"object {item.id}: enemy stands on no ground")
    if errors:
        return errors, facts
    route = [places[0]]
    for item, (a, b) in zip(stops[1:], zip(places, places[1:])):
        leg = route_leg(easy, a, b)
        if leg is None:
            fail(f"object {item.id}: the {item.type} is beyond the main route's jumps")
            return errors, facts
        route += leg[1:]
    facts["route surfaces"] = len(route)
    facts["hardest step %"] = round(100 * max(
        jump_share(level, found[a], found[b]) for a, b in zip(route, route[1:])))

    # Checkpoints within two screens of each other.
    for a, b in zip(stops, stops[1:]):
        apart = abs(b.x - a.x) / SCREEN_W + abs(b.y - a.y) / SCREEN_H
        if apart > 2:
            fail(f"object {b.id}: the {b.type} is {apart:.2f} screens after object {a.id}")

    # Coins: each within a full jump of ground the player can reach, and some only so or only
    # from ground off the main route.
    able, on_route, off_route = reachable(full, places[0]), set(route), 0
    for coin in coins:
        shares = {i: coin_share(s, coin) for i, s in enumerate(found)}
        if not any(shares[i] is not None and shares[i] <= 1 for i in able):
            fail(f"object {coin.id}: coin out of reach of a full jump")
        if not any(shares[i] is not None and shares[i] <= SHARE for i in on_route):
            off_route += 1
    facts["coins off the route"] = off_route
    if off_route < 3:
        fail(f"{off_route} coins off the main route, fewer than 3")

    # Each element met alone first; the first screen without enemies or hazards.
    def kinds_in(screen):
        x0, y0 = screen[0] * SCREEN_W, screen[1] * SCREEN_H
        cols = range(x0 // TILE, min(level.width, (x0 + SCREEN_W - 1) // TILE + 1))
        rows = range(y0 // TILE, min(level.height, (y0 + SCREEN_H - 1) // TILE + 1))
        kinds = {flag for flag in ("oneway", "hazard")
                 if any(level.has(r, c, flag) for r in rows for c in cols)}
        if any(screen_of(e.x, e.y) == screen for e in enemies):
            kinds.add("enemy")
        return kinds

    first = screen_of(starts[0].x, starts[0].y)
    if kinds_in(first) & {"enemy", "hazard"}:
        fail(f"the first screen holds {sorted(kinds_in(first) & {'enemy', 'hazard'})}")
    order = []
    for previous, index in zip([None] + route, route):
        s = found[index]
        cols = range(s.col0, s.col1 + 1)
        if previous is not None and found[previous].col0 > s.col1:
            cols = reversed(cols)
        for col in cols:
            screen = screen_of(col * TILE, (s.row - 1) * TILE)
            if screen not in order:
                order.append(screen)
    met = {}
    for screen in order:
        for kind in kinds_in(screen):
            met.setdefault(kind, screen)
    for kind, screen in met.items():
        others = kinds_in(screen) - {kind}
        if others:
            fail(f"the {kind} is first met beside {sorted(others)} in screen {screen}")
    if len(met) < 3:
        fail(f"the route meets only {sorted(met)}")

    # A run that turns into a climb, over safe ground at first.
    rise = (starts[0].y - goals[0].y) / SCREEN_H
    facts["climb in screens"] = rise
    if rise < 2:
        fail(f"the goal is {rise:.2f} screens above the start, not a climb")
    # The climb leaves the start's floor for good after the route's last surface on it.
    floor = found[places[0]].row
    last = max(n for n, i in enumerate(route) if found[i].row == floor)
    steps = [found[i] for i in route[last + 1:last + 4]]
    for s in steps:
        for col in range(s.col0, s.col1 + 1):
            row = s.row + 1
            while row < level.height and not (level.has(row, col, "solid") or
                                               level.has(row, col, "oneway") or
                                               level.has(row, col, "hazard")):
                row += 1
            if row >= level.height or level.has(row, col, "hazard"):
                fail(f"no safe ground under the climb's first steps at column {col}")
                break
    return errors, facts


def main(argv):
    if len(argv) < 2:
        sys.exit("usage: checkmap.py MAP.tmx [--quiet]")
    errors, facts = check(Map(argv[1]))
    for error in errors:
        print(f"checkmap: {argv[1]}: {error}", file=sys.stderr)
    if "--quiet" not in argv:
        print(f"checkmap: full jump {APEX:.1f} px high, {reach(0):.0f} px long; "
              + ", ".join(f"{name} {value:g}" for name, value in facts.items()))
    sys.exit(1 if errors else 0)


if __name__ == "__main__":
    main(sys.argv)
