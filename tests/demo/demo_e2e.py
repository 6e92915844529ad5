"""The demo under Xvfb, driven with real key presses and watched through its screenshots."""

import io
import os
import unittest
import zipfile

import xsession
from xsession import XSession


def lit_pixels(shot, skip_rows=()):
    return [(x, y) for y, row in enumerate(shot[2]) if y not in skip_rows
            for x, rgb in enumerate(row) if rgb != (0, 0, 0)]


def count(shot, rgb):
    return sum(row.count(rgb) for row in shot[2])


def quit_cleanly(test, session):
    session.key("x")
    test.assertEqual(session.wait_exit(), 0)
    test.assertEqual(session.log().splitlines()[-1], "Exiting Tarvo Engine.")
    test.assertNotIn("General Exception", session.stderr())


class StageWalk(unittest.TestCase):
    def test_keys_walk_every_stage_and_x_exits(self):
        font = xsession.GlyphSheet()
        fps_label = font.render("FPS: ", 0, 232)
        with XSession(["-fasttime"]) as session:
            shot = session.wait_for_stage(font, "title")  # s wrote kelda.bmp
            self.assertEqual(shot[:2], (320, 240))
            self.assertTrue(xsession.matches(shot, fps_label))
            # Paused, an arrow is dropped; resumed, the title stays.
            session.key("p", "Right")
            session.settled_screenshot()
            session.key("p")
            self.assertEqual(xsession.stages_shown(font, session.settled_screenshot()), ["title"])
            # A shifted P does not pause, so the arrow after it advances.
            session.key("shift+p", "Right")
            session.wait_for_stage(font, "rotate-scale")
            for stage in ("polygons", "tiles", "sound"):
                session.key("Right")
                shot = session.wait_for_stage(font, stage)
                self.assertTrue(xsession.matches(shot, fps_label), stage)
            session.key("Right")
            shot = session.settled_screenshot()
            # Two lines, 80 and 120 pixels wide, centred on each other and on the screen.
            lines = font.render("Sound Demo", 120, 92)
            lines.update(font.render("Press X to Exit", 100, 101))
            self.assertTrue(xsession.matches(shot, lines))
            self.assertEqual([p for p in lit_pixels(shot, range(232, 240)) if p not in lines], [])
            quit_cleanly(self, session)

    def test_restore_reloads_logo_and_gear(self):
        from PIL import Image

        font = xsession.GlyphSheet()
        green, red = (0, 255, 0), (255, 0, 0)
        with XSession(["-fasttime"]) as session:
            session.wait_for_stage(font, "title")
            # Loose files take precedence over the archive, so only a reload picks them up.
            folder = os.path.join(session.game_dir(), "demo1")
            os.makedirs(folder)
            Image.new("RGB", (320, 150), green).save(os.path.join(folder, "OLM Logo.png"))
            Image.new("RGB", (40, 40), red).save(os.path.join(folder, "GEAR5.PNG"))
            self.assertEqual(count(session.settled_screenshot(), green), 0)
            session.hide_and_show()
            shot = session.settled_screenshot()
            self.assertEqual(xsession.stages_shown(font, shot), ["title"])
            self.assertGreater(count(shot, green), 1000)
            session.key("Right")
            session.wait_for_stage(font, "rotate-scale")
            self.assertGreater(count(session.settled_screenshot(), red), 0)
            quit_cleanly(self, session)

    def test_rotated_gear_is_centred_without_white(self):
        from PIL import Image

        def game_dir_setup(game_dir):
            gear = Image.new("RGB", (48, 20), (255, 255, 255))
            gear.paste((200, 40, 10), (12, 5, 36, 15))
            data = io.BytesIO()
            gear.save(data, "PNG")
            with zipfile.ZipFile(xsession.pak_path()) as source, \
                    zipfile.ZipFile(os.path.join(game_dir, "pak000.zip"), "w") as pak:
                for name in source.namelist():
                    if name != "demo1/GEAR5.PNG":
                        pak.writestr(name, source.read(name))
                pak.writestr("demo1/GEAR5.PNG", data.getvalue())

        font = xsession.GlyphSheet()
        text_rows = set(range(1, 9)) | set(range(232, 240))
        with XSession(["-fasttime"], game_dir_setup=game_dir_setup) as session:
            session.wait_for_stage(font, "title")
            session.key("Right")
            session.wait_for_stage(font, "rotate-scale")
            for _ in range(4):  # several angles and sizes as the gear turns and grows
                rows = session.settled_screenshot()[2]
                found = {(255, 255, 255): [], (200, 40, 10): []}
                for y, row in enumerate(rows):
                    for x, rgb in enumerate(row):
                        if y not in text_rows and rgb in found:
                            found[rgb].append((x, y))
                self.assertEqual(found[(255, 255, 255)], [])
                block = found[(200, 40, 10)]
                if len(block) >= 20:  # not still a dot
                    xs, ys = [x for x, _ in block], [y for _, y in block]
                    self.assertAlmostEqual((min(xs) + max(xs)) / 2, 159.5, delta=1.5)
                    self.assertAlmostEqual((min(ys) + max(ys)) / 2, 119.5, delta=1.5)
            quit_cleanly(self, session)

    def test_only_the_two_textures_still_walks_every_stage(self):
        def game_dir_setup(game_dir):
            xsession.write_pak_subset(xsession.pak_path(), ["demo1/test.png", "demo1/testa.png"],
                                      os.path.join(game_dir, "pak000.zip"))

        with XSession(["-fasttime"], game_dir_setup=game_dir_setup) as session:
            # No font, logo or gear: the title and rotate-scale stages are black.
            self.assertEqual(lit_pixels(session.settled_screenshot()), [])
            session.key("Right")
            self.assertEqual(lit_pixels(session.settled_screenshot()), [])
            session.key("Right")
            session.wait_for(lambda: lit_pixels(session.screenshot()), "the polygon stage")
            # No level: straight on to the sound stage, which draws nothing.
            session.key("Right")
            session.wait_for(lambda: not lit_pixels(session.screenshot()), "the sound stage")
            quit_cleanly(self, session)
            self.assertIn('Failed to load sound effect "demo1/Axe.wav":', session.log())


if __name__ == "__main__":
    unittest.main()
