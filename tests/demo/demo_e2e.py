"""The demo under Xvfb, walked through every stage with real key presses and watched through
its screenshots: titles, counter, the restored window's images, the gear, the level dump."""

import os
import re
import unittest

import xsession
from xsession import XSession

LEVEL = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "data", "levels", "blk301a.tmx")
GREEN, WHITE, BLOCK = (0, 255, 0), (255, 255, 255), (200, 40, 10)
TEXT_ROWS = set(range(1, 9)) | set(range(232, 240))


def first_layer_size():
    """Width and height in tiles of the demo level's first layer, from its source."""
    with open(LEVEL) as f:
        size = re.search(r'name="first" width="(\d+)" height="(\d+)"', f.read())
    return int(size[1]), int(size[2])


def found(shot, rgb):
    return [(x, y) for y, row in enumerate(shot[2]) if y not in TEXT_ROWS
            for x, pixel in enumerate(row) if pixel == rgb]


class StageWalk(unittest.TestCase):
    def test_keys_walk_every_stage_and_x_exits(self):
        from PIL import Image

        width, height = first_layer_size()
        font = xsession.GlyphSheet()
        fps_label = font.render("FPS: ", 0, 232)
        with XSession(["-fasttime"]) as session:
            session.wait_for_stage(font, "title")  # s wrote kelda.bmp
            # Loose files take precedence over the archive, so only a reload picks them up.
            folder = os.path.join(session.game_dir(), "demo1")
            os.makedirs(folder)
            Image.new("RGB", (320, 150), GREEN).save(os.path.join(folder, "OLM Logo.png"))
            gear = Image.new("RGB", (48, 20), WHITE)
            gear.paste(BLOCK, (12, 5, 36, 15))
            gear.save(os.path.join(folder, "GEAR5.PNG"))
            self.assertEqual(found(session.settled_screenshot(), GREEN), [])
            session.hide_and_show()
            shot = session.settled_screenshot()
            self.assertEqual(xsession.stages_shown(font, shot), ["title"])
            self.assertGreater(len(found(shot, GREEN)), 1000)

            session.key("Right")
            session.wait_for_stage(font, "rotate-scale")
            # The reloaded gear, past a dot, keyed and centred at several angles and sizes.
            session.wait_for(lambda: len(found(session.screenshot(), BLOCK)) >= 20, "the gear")
            for _ in range(3):
                shot = session.settled_screenshot()
                self.assertEqual(found(shot, WHITE), [])
                xs, ys = zip(*found(shot, BLOCK))
                self.assertAlmostEqual((min(xs) + max(xs)) / 2, 159.5, delta=1.5)
                self.assertAlmostEqual((min(ys) + max(ys)) / 2, 119.5, delta=1.5)

            for stage in ("polygons", "tiles", "sound"):
                self.assertEqual(os.path.exists(session.path("mapdump.dat")), stage == "sound")
                session.key("Right")
                shot = session.wait_for_stage(font, stage)
                self.assertTrue(xsession.matches(shot, fps_label), stage)
                if stage == "tiles":
                    self.assertTrue(xsession.matches(shot, font.render("Camera pos: ", 0, 0)))
                    # One line per row and one number per cell; the values are the loader's.
                    with open(session.path("mapdump.dat")) as f:
                        rows = [row.split() for row in f.read().splitlines()]
                    self.assertEqual([len(row) for row in rows], [width] * height)
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            self.assertEqual(session.log().splitlines()[-1], "Exiting Tarvo Engine.")
            self.assertNotIn("General Exception", session.stderr())


if __name__ == "__main__":
    unittest.main()
