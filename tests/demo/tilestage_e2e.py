"""The tile stage under Xvfb: walking to it writes mapdump.dat from the demo level's first
layer, and a damaged level file sends the demo straight to the sound stage."""

import os
import subprocess
import unittest
import zipfile

import xsession
from xsession import XSession

BUILD = os.environ.get("TARVO_BUILD_DIR", "")


def expected_dump():
    """Layer 1 through the translation table (runs are entry 0, entries past it -1), each
    value in at least two characters and followed by a space."""
    level = os.path.join(BUILD, "data", "pak", "demo1", "levels", "blk301a")
    lines = subprocess.run([os.path.join(BUILD, "leveldump"), level], capture_output=True,
                           check=True, text=True).stdout.splitlines()
    table = [int(line.split()[2]) for line in lines if line.startswith("translation ")]
    start = next(i for i, line in enumerate(lines) if line.startswith("layer 1 "))
    out = ""
    for line in lines[start + 1:start + 1 + int(lines[start].split()[3])]:
        cells = [0 if cell == "." else int(cell) for cell in line.split("#")[0].split()[1:]]
        out += "".join("%2d " % (table[i] if i < len(table) else -1) for i in cells) + "\n"
    return out


def damaged_pak(game_dir):
    with zipfile.ZipFile(xsession.pak_path()) as source, \
            zipfile.ZipFile(os.path.join(game_dir, "pak000.zip"), "w") as dest:
        for name in source.namelist():
            data = source.read(name)
            dest.writestr(name, data[:40] if name == "demo1/levels/blk301a" else data)


class TileStage(unittest.TestCase):
    def walk_to_tiles(self, session, font):
        session.wait_for_stage(font, "title")
        for stage in ("rotate-scale", "polygons"):
            session.key("Right")
            session.wait_for_stage(font, stage)
        self.assertFalse(os.path.exists(session.path("mapdump.dat")))
        session.key("Right")

    def test_stage_dumps_the_first_layer(self):
        expected = expected_dump()
        self.assertGreaterEqual(expected.count("\n"), 20)
        font = xsession.GlyphSheet()
        with XSession() as session:
            self.walk_to_tiles(session, font)
            shot = session.wait_for_stage(font, "tiles")
            with open(session.path("mapdump.dat")) as f:
                self.assertEqual(f.read(), expected)
            self.assertTrue(xsession.matches(shot, font.render("Camera pos: ", 0, 0)))

    def test_damaged_level_skips_to_the_sound_stage(self):
        font = xsession.GlyphSheet()
        with XSession(game_dir_setup=damaged_pak) as session:
            self.walk_to_tiles(session, font)
            session.wait_for_stage(font, "sound")
            self.assertEqual(session.log().splitlines()[-1], "Initializing video mode...")
            self.assertFalse(os.path.exists(session.path("mapdump.dat")))


if __name__ == "__main__":
    unittest.main()
