"""The demo under Xvfb, driven with real key presses and watched through its screenshots."""

import io
import os
import unittest
import zipfile

import xsession
from xsession import XSession


def lit_pixels(shot, skip_rows=()):
    _, _, rows = shot
    return [(x, y) for y, row in enumerate(rows) if y not in skip_rows
            for x, rgb in enumerate(row) if rgb != (0, 0, 0)]


def count(shot, rgb):
    return sum(row.count(rgb) for row in shot[2])


class StageWalk(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.font = xsession.GlyphSheet()

    def assert_stage(self, shot, stage):
        self.assertEqual(xsession.stages_shown(self.font, shot), [stage])

    def test_keys_walk_every_stage_and_x_exits(self):
        fps_label = self.font.render("FPS: ", 0, 232)
        with XSession(["-fasttime"]) as session:
            shot = session.wait_for_stage(self.font, "title")
            self.assertEqual(shot[:2], (320, 240))
            self.assertTrue(xsession.matches(shot, fps_label))

            # Paused, an arrow is dropped; resumed, the title stays.
            session.key("p", "Right")
            session.settled_screenshot()
            session.key("p")
            self.assert_stage(session.settled_screenshot(), "title")

            # A shifted P does not pause, so the arrow after it advances.
            session.key("shift+p", "Right")
            session.wait_for_stage(self.font, "rotate-scale")
            for stage in ("polygons", "tiles", "sound"):
                session.key("Right")
                shot = session.wait_for_stage(self.font, stage)
                self.assertTrue(xsession.matches(shot, fps_label), stage)

            # The last stage keeps its place, paused or not.
            session.key("Right")
            self.assert_stage(session.settled_screenshot(), "sound")
            self.assertTrue(os.path.exists(session.path("mapdump.dat")))

            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            lines = session.log().splitlines()
            self.assertEqual(lines[-1], "Exiting Tarvo Engine.")
            self.assertNotIn("General Exception", session.stderr())

    def test_title_ripple_dies_down_to_the_plain_logo(self):
        from PIL import Image

        with zipfile.ZipFile(xsession.pak_path()) as pak:
            logo = Image.open(io.BytesIO(pak.read("demo1/OLM Logo.png"))).convert("RGB")
        expected = [[logo.getpixel((x, y)) for x in range(logo.width)]
                    for y in range(logo.height)]

        def plain_logo(shot):
            return [row[:logo.width] for row in shot[2][:logo.height]] == expected

        # At twice the game speed the 531 ticks of decay take under five seconds, long after
        # the first screenshot even on a slow machine.
        with XSession(["-scaletime", "200"]) as session:
            # Early on the rows are shifted; after 531 ticks every row lies at x 0.
            self.assertFalse(plain_logo(session.wait_for_stage(self.font, "title")))
            session.wait_for(lambda: plain_logo(session.screenshot()), "the settled logo")
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)

    def test_sound_stage_lines_are_centred(self):
        # The two lines are measured independently: 80 and 120 pixels wide, the block centred
        # at x 100, the first line centred within the second, the second 9 rows lower.
        expected = {}
        expected.update(self.font.render("Sound Demo", 120, 92))
        expected.update(self.font.render("Press X to Exit", 100, 101))
        with XSession(["-fasttime"]) as session:
            session.wait_for_stage(self.font, "title")
            # Whether or not the level loads, the arrow ends in the sound stage.
            for _ in range(4):
                session.key("Right")
                session.settled_screenshot()
            shot = session.wait_for_stage(self.font, "sound")
            self.assertTrue(xsession.matches(shot, expected))
            # Above the counter's row nothing else is drawn in the sound stage.
            stray = [p for p in lit_pixels(shot, skip_rows=range(232, 240)) if p not in expected]
            self.assertEqual(stray, [])
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)


class WindowRestore(unittest.TestCase):
    def test_restore_reloads_logo_and_gear_and_keeps_the_stage(self):
        from PIL import Image

        font = xsession.GlyphSheet()
        with XSession(["-fasttime"]) as session:
            session.wait_for_stage(font, "title")
            # Loose files in the game directory take precedence over the archive, so a
            # reload picks them up; the first load did not see them.
            folder = os.path.join(session.game_dir(), "demo1")
            os.makedirs(folder)
            Image.new("RGB", (320, 150), (0, 255, 0)).save(os.path.join(folder, "OLM Logo.png"))
            Image.new("RGB", (40, 40), (255, 0, 0)).save(os.path.join(folder, "GEAR5.PNG"))
            green, red = (0, 255, 0), (255, 0, 0)
            self.assertEqual(count(session.settled_screenshot(), green), 0)

            session.hide_and_show()
            shot = session.settled_screenshot()
            self.assertEqual(xsession.stages_shown(font, shot), ["title"])
            self.assertGreater(count(shot, green), 1000)
            session.key("Right")
            session.wait_for_stage(font, "rotate-scale")
            self.assertGreater(count(session.settled_screenshot(), red), 0)
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)


class RotatedGear(unittest.TestCase):
    """The demo's gear replaced by a picture whose centre is known."""

    WIDTH, HEIGHT = 48, 20

    def make_game_dir(self, game_dir):
        from PIL import Image

        gear = Image.new("RGB", (self.WIDTH, self.HEIGHT), (255, 255, 255))
        for x in range(12, 36):
            for y in range(5, 15):
                gear.putpixel((x, y), (200, 40, 10))
        data = io.BytesIO()
        gear.save(data, "PNG")
        with zipfile.ZipFile(xsession.pak_path()) as source, \
                zipfile.ZipFile(os.path.join(game_dir, "pak000.zip"), "w") as pak:
            for name in source.namelist():
                if name != "demo1/GEAR5.PNG":
                    pak.writestr(name, source.read(name))
            pak.writestr("demo1/GEAR5.PNG", data.getvalue())

    def test_gear_is_centred_without_white(self):
        font = xsession.GlyphSheet()
        text_rows = set(range(1, 9)) | set(range(232, 240))
        with XSession(["-fasttime"], game_dir_setup=self.make_game_dir) as session:
            session.wait_for_stage(font, "title")
            session.key("Right")
            session.wait_for_stage(font, "rotate-scale")
            # Several angles and sizes as the gear turns and grows.
            for _ in range(4):
                shot = session.settled_screenshot()
                _, _, rows = shot
                whites = [(x, y) for y, row in enumerate(rows) if y not in text_rows
                          for x, rgb in enumerate(row) if rgb == (255, 255, 255)]
                self.assertEqual(whites, [])
                block = [(x, y) for y, row in enumerate(rows) if y not in text_rows
                         for x, rgb in enumerate(row) if rgb == (200, 40, 10)]
                if len(block) < 20:
                    continue  # still a dot
                xs = [x for x, _ in block]
                ys = [y for _, y in block]
                self.assertAlmostEqual((min(xs) + max(xs)) / 2, 159.5, delta=1.5)
                self.assertAlmostEqual((min(ys) + max(ys)) / 2, 119.5, delta=1.5)
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)


class MissingDemoFiles(unittest.TestCase):
    """Only the two polygon textures, without which start-up cannot finish, are present."""

    def make_game_dir(self, game_dir):
        xsession.write_pak_subset(xsession.pak_path(), ["demo1/test.png", "demo1/testa.png"],
                                  os.path.join(game_dir, "pak000.zip"))

    def test_walks_every_stage_with_empty_pictures(self):
        with XSession(["-fasttime"], game_dir_setup=self.make_game_dir) as session:
            # No font and no logo: the title stage is black.
            self.assertEqual(lit_pixels(session.settled_screenshot()), [])
            session.key("Right")
            self.assertEqual(lit_pixels(session.settled_screenshot()), [])
            # The textured cubes show the polygon stage.
            session.key("Right")
            session.wait_for(lambda: lit_pixels(session.screenshot()), "the polygon stage")
            # No level: straight on to the sound stage, which draws nothing.
            session.key("Right")
            session.wait_for(lambda: not lit_pixels(session.screenshot()), "the sound stage")
            self.assertFalse(os.path.exists(session.path("mapdump.dat")))
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            log = session.log()
            for line in ("Warning: Couldn't open image file 'demo1/OLM Logo.png'.",
                         "Warning: Couldn't open image file 'demo1/GEAR5.PNG'.",
                         'Failed to load sound effect "demo1/Axe.wav":',
                         'Failed to load music "demo1/OLM- Meridel2.mid":'):
                self.assertIn(line, log)
            self.assertEqual(log.splitlines()[-1], "Exiting Tarvo Engine.")
            self.assertEqual(session.stderr().count("General Exception"), 0)


if __name__ == "__main__":
    unittest.main()
