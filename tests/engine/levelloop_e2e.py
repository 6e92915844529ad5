"""-level and F5 from outside: a level that does not load ends the start, the demo starts in its
tile stage with the level given, and F5 is the engine's key: live in a replay, never recorded,
and noted once in a recording's log."""
import unittest

from tarvotest import replayfile as rf
from tarvotest.engine import Workdir, run

F5 = 286  # SDLK_F5
# Two tiles whose images are not beside the map: they come from the game's pak.
MAP = """<?xml version="1.0"?>
<map orientation="orthogonal" tilewidth="24" tileheight="24" infinite="0">
 <tileset firstgid="1" name="set" tilewidth="24" tileheight="24" tilecount="2" columns="0">
  <tile id="0"><image source="tiles/TILE0001.PNG"/></tile>
  <tile id="1"><image source="tiles/TILE0002.PNG"/></tile>
 </tileset>
 <layer id="1" name="first" width="3" height="1"><data encoding="csv">2,0,1</data></layer>
</map>
"""


class LevelLoop(unittest.TestCase):
    def test_a_level_that_does_not_load_ends_the_start(self):
        with Workdir() as work:
            result = run(work, ["-level", "missing.tmx"], until=None)
        self.assertEqual((result.status, result.stderr),
                         (1, "Error: -level: missing.tmx: cannot open the file\n"))

    def test_f5_in_a_replay_reloads_unrecorded_and_is_noted_once(self):
        replay = rf.Replay().keys((2, F5), (3, "p"), (4, F5)).add(6, rf.END)
        with Workdir() as work:
            work.write("map.tmx", MAP.encode())
            source = work.write("in.replay", replay.bytes())
            result = run(work, ["-replay", source, "-record", "out.replay", "-level", "map.tmx"],
                         until="Exiting Tarvo Engine.")
            self.assertEqual(result.status, 0, result.stderr)
            self.assertEqual(result.lines.count("Warning: level reloaded during a recording"), 1)
            recorded = rf.read(work.read("out.replay")).records
            self.assertEqual([record.tick for record in recorded], [3, 3, 6])
            # The tile stage was entered with the map: it dumps its first layer.
            self.assertEqual(work.read("mapdump.dat"), b" 1 -1  0 \n")


if __name__ == "__main__":
    unittest.main()
