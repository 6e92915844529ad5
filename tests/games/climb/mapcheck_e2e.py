"""The map checks from the command line: `climb --check-map MAP` as the build runs it, and
`-level MAP`, which refuses the same maps at start-up before drawing anything and plays a good
one without keeping records."""
import os
import subprocess
import tempfile
import unittest

from PIL import Image
from tarvotest import replayfile

CLIMB = os.environ.get("CLIMB", "")
GAME_DIR = os.environ.get("CLIMB_GAME_DIR", "")

# A 4 x 3 map whose middle layer is solid at column 2 of row 1 and along row 2; the objects
# go last.
MAP = """<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" orientation="orthogonal" renderorder="right-down" width="4" height="3" \
tilewidth="24" tileheight="24" infinite="0" nextlayerid="5" nextobjectid="9">
 <tileset firstgid="1" name="t" tilewidth="24" tileheight="24" tilecount="1" columns="1">
  <image source="t.png" width="24" height="24"/>
  <tile id="0"><properties><property name="solid" type="bool" value="true"/></properties></tile>
 </tileset>
 <layer id="1" name="front" width="4" height="3"><data encoding="csv">0,0,0,0,0,0,0,0,0,0,0,0</data></layer>
 <layer id="2" name="solid" width="4" height="3"><data encoding="csv">0,0,0,0,0,0,1,0,1,1,1,1</data></layer>
 <layer id="3" name="back" width="4" height="3"><data encoding="csv">0,0,0,0,0,0,0,0,0,0,0,0</data></layer>
 <objectgroup id="4" name="objects">
%s
 </objectgroup>
</map>
"""
START = '  <object id="1" type="start" x="0" y="24" width="24" height="24"/>'
SECOND = MAP[:MAP.index("%s")].count("\n") + 2  # the line of the object after START


class MapChecks(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        Image.new("RGB", (24, 24), (90, 90, 90)).save(os.path.join(self.dir.name, "t.png"))

    def climb(self, objects, *args):
        path = os.path.join(self.dir.name, "m.tmx")
        with open(path, "w") as f:
            f.write(MAP % "\n".join(objects))
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        return subprocess.run([CLIMB, *[path if a == "MAP" else a for a in args]],
                              cwd=self.dir.name, env=env, capture_output=True, text=True,
                              timeout=60), path

    def test_a_bad_map_fails_the_check_and_the_start_alike(self):
        objects = [START, '  <object id="5" type="spike" x="0" y="0"/>']
        message = ':%d: object 5: unknown type "spike"\n' % SECOND
        checked, path = self.climb(objects, "--check-map", "MAP")
        self.assertEqual((checked.returncode, checked.stderr), (1, "Error: " + path + message))
        frames, replay = (os.path.join(self.dir.name, name) for name in ("frames", "r"))
        with open(replay, "wb") as out:
            out.write(replayfile.Replay().add(10, replayfile.END).bytes())
        started, _ = self.climb(objects, "-game", GAME_DIR, "-level", "MAP", "-replay", replay,
                                "-frames", frames)
        self.assertEqual(started.returncode, 1)
        self.assertIn("Error: -level: " + path + message, started.stderr)
        listed = os.path.join(frames, "frames.txt")
        self.assertEqual(open(listed).read() if os.path.exists(listed) else "", "")

    def test_a_good_map_passes_and_plays_without_records(self):
        objects = [START, '  <object id="2" type="goal" x="12" y="24" width="24" height="24"/>']
        checked, path = self.climb(objects, "--check-map", "MAP")
        self.assertEqual((checked.returncode, checked.stderr), (0, ""))
        replay = os.path.join(self.dir.name, "r")
        with open(replay, "wb") as out:  # jump on the title: the level's first tick finishes it
            out.write(replayfile.Replay().keys((0, " ")).add(10, replayfile.END).bytes())
        saves = os.path.join(self.dir.name, "saves")
        played, _ = self.climb(objects, "-game", GAME_DIR, "-level", "MAP", "-replay", replay,
                               "-savedir", saves)
        self.assertIn("Level complete at tick 1: 0 of 0 coins, 0 deaths\n", played.stdout)
        self.assertFalse(os.path.exists(os.path.join(saves, "climb.sav")))


if __name__ == "__main__":
    unittest.main()
