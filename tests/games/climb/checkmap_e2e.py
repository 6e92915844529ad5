"""The fair level's checker, games/climb/tools/checkmap.py: the committed map passes, and each
rule it keeps fails on a copy of the map broken in that one way."""
import os
import re
import subprocess
import sys
import tempfile
import unittest
from collections import namedtuple

GAME = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "games", "climb")
MAP = os.path.join(GAME, "data", "climb.tmx")
LAVA_TOP, LAVA, PLANK, EMPTY = 12, 16, 10, 0  # gids: tile id + 1


def read(path):
    with open(path) as f:
        return f.read()


def check(text):
    with tempfile.TemporaryDirectory() as folder:
        for name, content in (("m.tmx", text),
                              ("climb.tsx", read(os.path.join(GAME, "data", "climb.tsx")))):
            with open(os.path.join(folder, name), "w") as f:
                f.write(content)
        return subprocess.run([sys.executable, "-B", os.path.join(GAME, "tools", "checkmap.py"),
                               os.path.join(folder, "m.tmx"), "--quiet"],
                              capture_output=True, text=True)


def cells(*changes):
    """The map with cells of the collision layer changed: (row, first column, last column,
    gid) each."""
    text = read(MAP)
    head, data, tail = re.match(r'(.*name="second".*?<data encoding="csv">\n)(.*?)(\n</data>.*)',
                                text, re.S).groups()
    rows = [row.rstrip(",").split(",") for row in data.split("\n")]
    for row, first, last, gid in changes:
        rows[row][first:last + 1] = [str(gid)] * (last - first + 1)
    return head + ",\n".join(",".join(row) for row in rows) + tail


def objects(old, new):
    return read(MAP).replace(old, new)


Case = namedtuple("Case", "name map message")
CASES = [
    Case("a lava pit a tile wider than the main route may ask",
         cells((45, 33, 33, LAVA_TOP), (46, 33, 33, LAVA)), "beyond the main route's jumps"),
    Case("the wall's one-way plank gone", cells((43, 16, 19, EMPTY)),
         "beyond the main route's jumps"),
    Case("lava on the first screen", cells((44, 5, 5, LAVA_TOP)),
         "the first screen holds ['hazard']"),
    Case("a plank beside the first lava", cells((43, 31, 31, PLANK)),
         "the hazard is first met beside ['oneway']"),
    Case("lava under the climb's first steps", cells((45, 74, 75, LAVA_TOP)),
         "no safe ground under the climb's first steps"),
    Case("a checkpoint number skipped", objects('value="3"', 'value="9"'),
         "checkpoints numbered [1, 2, 4, 5, 6, 7, 9]"),
    Case("checkpoints three screens apart", objects('x="912" y="1032"', 'x="1632" y="1032"'),
         "screens after object"),
    Case("a coin in the ground", objects('x="120" y="1032"', 'x="120" y="1104"'),
         "coin inside a solid tile"),
]


class CheckMap(unittest.TestCase):
    def test_the_committed_map_keeps_every_rule(self):
        result = check(read(MAP))
        self.assertEqual((result.returncode, result.stderr), (0, ""))

    def test_each_broken_rule_fails_the_map(self):
        for case in CASES:
            with self.subTest(case.name):
                result = check(case.map)
                self.assertEqual(result.returncode, 1)
                self.assertIn(case.message, result.stderr)


if __name__ == "__main__":
    unittest.main()
