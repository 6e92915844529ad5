"""The demo walked through every stage by a replay cut at a record boundary, headless: titles,
counter, gear, camera text, level dump, benchmark table, and no frames while hidden."""

import os
import pathlib
import re
import unittest

from tarvotest import replayfile as rf
from tarvotest import xsession
from PIL import Image
from tarvotest.engine import Workdir, run

LEVEL = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "data", "levels", "blk301a.tmx")
WHITE, BLOCK = (255, 255, 255), (200, 40, 10)
TEXT_ROWS = set(range(1, 9)) | set(range(232, 240))
# Hidden for ticks 10 to 19; Right at these ticks; x in the sound stage, whose key up is cut.
HIDDEN, ADVANCES, EXIT = range(10, 20), (30, 170, 200, 240), 260
SHOTS = {20: "title", 59: "rotate-scale", 60: "rotate-scale", 100: "rotate-scale",
         130: "rotate-scale", 160: "rotate-scale", 190: "polygons", 230: "tiles", 250: "sound"}


def open_lines(*path):
    return pathlib.Path(*path).read_text().splitlines()


def first_layer_size():
    """Width and height in tiles of the demo level's first layer, from its source."""
    size = re.search(r'name="first" width="(\d+)" height="(\d+)"', pathlib.Path(LEVEL).read_text())
    return int(size[1]), int(size[2])


def found(shot, rgb):
    return [(x, y) for y, row in enumerate(shot[2]) if y not in TEXT_ROWS
            for x, pixel in enumerate(row) if pixel == rgb]


def lit_counter(pixels):
    """The lit pixels of the counter's box, x 0 to 79 and y 232 to 239."""
    return {(x, y): rgb for (x, y), rgb in pixels.items() if x < 80 and y >= 232 and any(rgb)}


class StageWalk(unittest.TestCase):
    def test_replay_walks_every_stage_and_x_exits(self):
        width, height = first_layer_size()
        font = xsession.GlyphSheet()
        # The arrow pressed while hidden, without input focus, is dropped.
        walk = rf.Replay().add(HIDDEN[0], rf.STATE, 0).keys((15, "Right"))
        walk.add(HIDDEN[-1] + 1, rf.STATE, rf.SHOWN)
        walk.keys(*[(tick, "Right") for tick in ADVANCES], (EXIT, "x"))
        with Workdir() as work:
            # A loose gear takes precedence over the archive's.
            gear = Image.new("RGB", (48, 20), WHITE)
            gear.paste(BLOCK, (12, 5, 36, 15))
            gear.save(work.write("base/demo1/GEAR5.PNG", b""))
            work.write("walk", walk.bytes()[:-11])
            result = run(work, ["-replay", "walk", "-frames", "out", "-benchmark", "-record",
                                "no/such", "-shot", ",".join(map(str, SHOTS))], until="Exiting")
            shots = {tick: xsession.read_picture(os.path.join(work.path, "out", "%d.png" % tick))
                     for tick in SHOTS}
            rows = open_lines(work.path, "mapdump.dat")
            frames = open_lines(work.path, "out", "frames.txt")
        self.assertEqual(result.status, 0)
        self.assertEqual(result.lines[4], "Warning: replay walk has no end record")
        video = result.lines.index("Initializing video mode...")
        self.assertEqual(result.lines[video + 1], "Warning: couldn't open no/such for recording")
        self.assertEqual(result.lines[-8], "stage frames median_ms min_ms max_ms")
        for line, row in zip(result.lines[-7:-2], ["title 20", "rotatescale 140", "polygons 30",
                                                   "tiles 40", "sound 20"]):
            self.assertRegex(line, "^%s( \\d+\\.\\d{3}){3}$" % row)
        self.assertRegex(result.lines[-2], r"^whole run: 250 frames, \d+\.\d frames/s$")
        self.assertEqual([int(line.split()[0]) for line in frames],
                         [tick for tick in range(EXIT) if tick not in HIDDEN])
        for tick, stage in SHOTS.items():
            self.assertEqual(xsession.stages_shown(font, shots[tick]), [stage], tick)
            self.assertTrue(xsession.matches(shots[tick], font.render("FPS: ", 0, 232)), tick)
            if tick >= 100 and stage == "rotate-scale":
                # The gear, keyed and centred at several angles and sizes.
                self.assertEqual(found(shots[tick], WHITE), [])
                xs, ys = zip(*found(shots[tick], BLOCK))
                self.assertAlmostEqual((min(xs) + max(xs)) / 2, 159.5, delta=1.5)
                self.assertAlmostEqual((min(ys) + max(ys)) / 2, 119.5, delta=1.5)
        for tick, counter in ((59, "FPS: 0"), (60, "FPS: 60")):
            shot = {(x, y): rgb for y, row in enumerate(shots[tick][2])
                    for x, rgb in enumerate(row)}
            self.assertEqual(lit_counter(shot), lit_counter(font.render(counter, 0, 232)))
        self.assertTrue(xsession.matches(shots[230], font.render("Camera pos: ", 0, 0)))
        # One line per row and one number per cell; the values are the loader's.
        self.assertEqual([len(row.split()) for row in rows], [width] * height)
