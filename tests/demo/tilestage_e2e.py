"""The tile stage under Xvfb: walking to it writes mapdump.dat from the demo level's first
layer, the camera position is shown, pause holds the camera, and a damaged level file sends
the demo straight to the sound stage."""

import os
import time
import unittest
import zipfile

import xsession
from xsession import XSession

SOURCE = os.environ.get("TARVO_SOURCE_DIR", "")
LEVEL_SOURCE = os.path.join(SOURCE, "data", "levels", "blk301a.txt")
LEVEL_NAME = "demo1/levels/blk301a"


def expected_dump(source_path):
    """mapdump.dat as it must be for the level source: the first layer translated through
    the table (runs take entry 0, missing entries are -1), each value in at least two
    characters and followed by a space."""
    with open(source_path) as f:
        lines = f.read().splitlines()
    table = [int(line.split()[2]) for line in lines if line.startswith("translation ")]
    start = next(i for i, line in enumerate(lines) if line.startswith("layer 1 "))
    rows = int(lines[start].split()[3])
    out = ""
    for line in lines[start + 1:start + 1 + rows]:
        values = []
        for cell in line.split("#")[0].split()[1:]:
            index = 0 if cell == "." else int(cell)
            values.append(table[index] if index < len(table) else -1)
        out += "".join("%2d " % v for v in values) + "\n"
    return out


def walk_to_polygons(session, font):
    session.wait_for_stage(font, "title")
    session.key("Right")
    session.wait_for_stage(font, "rotate-scale")
    session.key("Right")
    session.wait_for_stage(font, "polygons")


def picture(shot):
    """The rows above the title and FPS line, which change with every frame."""
    return shot[2][:232]


class TileStage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.font = xsession.GlyphSheet()

    def test_stage_dumps_the_first_layer_and_pause_holds_the_camera(self):
        expected = expected_dump(LEVEL_SOURCE)
        self.assertGreaterEqual(expected.count("\n"), 20)
        with XSession() as session:
            walk_to_polygons(session, self.font)
            self.assertFalse(os.path.exists(session.path("mapdump.dat")))
            session.key("Right")
            shot = session.wait_for_stage(self.font, "tiles")
            with open(session.path("mapdump.dat")) as f:
                self.assertEqual(f.read(), expected)
            self.assertTrue(xsession.matches(shot, self.font.render("Camera pos: ", 0, 0)))

            session.key("p")
            held = picture(session.settled_screenshot())
            time.sleep(1.5)
            self.assertEqual(picture(session.screenshot()), held)

            session.key("p")
            session.wait_for(lambda: picture(session.screenshot()) != held,
                             "the camera to move again")

    def test_damaged_level_skips_to_the_sound_stage(self):
        def damaged_pak(game_dir):
            with zipfile.ZipFile(xsession.pak_path()) as source, \
                    zipfile.ZipFile(os.path.join(game_dir, "pak000.zip"), "w") as dest:
                for name in source.namelist():
                    data = source.read(name)
                    dest.writestr(name, data[:40] if name == LEVEL_NAME else data)

        with XSession(game_dir_setup=damaged_pak) as session:
            walk_to_polygons(session, self.font)
            session.key("Right")
            session.wait_for_stage(self.font, "sound")
            self.assertEqual(session.log().splitlines()[-1], "Initializing video mode...")
            self.assertFalse(os.path.exists(session.path("mapdump.dat")))


if __name__ == "__main__":
    unittest.main()
