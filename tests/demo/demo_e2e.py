"""The demo walked through every stage by a replay, headless, and watched through the frames
it draws: titles, counter, the gear, the camera text, the level dump, the exit."""

import os
import unittest

import replayfile
import xsession
from engine import Workdir, run

LEVEL = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "data", "levels", "blk301a.txt")
WHITE, BLOCK = (255, 255, 255), (200, 40, 10)
TEXT_ROWS = set(range(1, 9)) | set(range(232, 240))
# Right at these ticks; x in the sound stage. The frame of each shot and the stage it shows.
ADVANCES, EXIT = (30, 170, 200, 240), 260
SHOTS = {20: "title", 100: "rotate-scale", 130: "rotate-scale", 160: "rotate-scale",
         190: "polygons", 230: "tiles", 250: "sound"}


def first_layer_size():
    """Width and height in tiles of the demo level's first layer, from its source."""
    with open(LEVEL) as f:
        header = next(line.split() for line in f if line.startswith("layer 1 "))
    return int(header[2]), int(header[3])


def read_png(path):
    """A frame as (width, height, rows of (r, g, b)), like xsession.read_bmp."""
    from PIL import Image

    image = Image.open(path).convert("RGB")
    pixels = list(image.getdata())
    return image.width, image.height, [pixels[y * 320:(y + 1) * 320] for y in range(240)]


def found(shot, rgb):
    return [(x, y) for y, row in enumerate(shot[2]) if y not in TEXT_ROWS
            for x, pixel in enumerate(row) if pixel == rgb]


class StageWalk(unittest.TestCase):
    def test_keys_walk_every_stage_and_x_exits(self):
        from PIL import Image

        width, height = first_layer_size()
        font = xsession.GlyphSheet()
        fps_label = font.render("FPS: ", 0, 232)
        walk = replayfile.Replay().keys(*[(tick, "Right") for tick in ADVANCES], (EXIT, "x"))
        with Workdir() as work:
            # A loose gear takes precedence over the archive's.
            gear = Image.new("RGB", (48, 20), WHITE)
            gear.paste(BLOCK, (12, 5, 36, 15))
            gear.save(work.write("base/demo1/GEAR5.PNG", b""))
            work.write("walk", walk.bytes())
            result = run(work, ["-replay", "walk", "-frames", "out",
                                "-shot", ",".join(map(str, SHOTS))], until="Exiting")
            self.assertEqual(result.status, 0)
            self.assertEqual(result.lines[-1], "Exiting Tarvo Engine.")
            shots = {tick: read_png(os.path.join(work.path, "out", "%d.png" % tick))
                     for tick in SHOTS}
            with open(os.path.join(work.path, "mapdump.dat")) as f:
                rows = [row.split() for row in f.read().splitlines()]
        for tick, stage in SHOTS.items():
            self.assertEqual(xsession.stages_shown(font, shots[tick]), [stage], tick)
            self.assertTrue(xsession.matches(shots[tick], fps_label), tick)
            if stage == "rotate-scale":
                # The gear, keyed and centred at several angles and sizes.
                self.assertEqual(found(shots[tick], WHITE), [])
                xs, ys = zip(*found(shots[tick], BLOCK))
                self.assertAlmostEqual((min(xs) + max(xs)) / 2, 159.5, delta=1.5)
                self.assertAlmostEqual((min(ys) + max(ys)) / 2, 119.5, delta=1.5)
        self.assertTrue(xsession.matches(shots[230], font.render("Camera pos: ", 0, 0)))
        # One line per row and one number per cell; the values are the loader's.
        self.assertEqual([len(row) for row in rows], [width] * height)


if __name__ == "__main__":
    unittest.main()
