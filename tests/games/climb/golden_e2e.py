"""The golden run: the committed plan played as keys must draw the committed frames, log the
level's events and replace a damaged climb.sav with its records; the same plan as pad 0's buttons
must draw the same first 600 frames; on a full disk the damaged file stays as it was. Under the
sanitizers only the first 1,800 ticks are played."""
import os
import re
import resource
import struct
import subprocess
import tempfile
import unittest

import planreplay

HERE = os.path.dirname(os.path.abspath(__file__))
CLIMB = os.environ.get("CLIMB", "")
GAME_DIR = os.environ.get("CLIMB_GAME_DIR", "")
BUILD = os.environ.get("CLIMB_BUILD_DIR", "")
SANITIZED = os.environ.get("TARVO_SANITIZE") == "1"
PAD_TICKS, SANITIZED_TICKS, LIMIT = 600, 1800, 14400
MAP = "../../../games/climb/data/climb.tmx"


def read(name, mode="r"):
    with open(os.path.join(HERE, name), mode) as f:
        return f.read()


DAMAGED = b"CLMB\x01\x00 not a record"
DAMAGED_WARNING = "Warning: climb.sav is damaged; records start afresh"


def play(replay_name, data, frames=True, limit=None):
    """Writes the replay into the build tree and plays it with a damaged climb.sav in the save
    folder; returns the log, the frame lines and the save file's bytes after the run."""
    replay = os.path.join(BUILD, replay_name)
    with open(replay, "wb") as out:
        out.write(data)
    with tempfile.TemporaryDirectory() as work:
        save = os.path.join(work, "climb.sav")
        with open(save, "wb") as out:
            out.write(DAMAGED)
        listed = ["-frames", os.path.join(work, "frames")] if frames else []
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        done = subprocess.run([CLIMB, "-game", GAME_DIR, "-savedir", work, "-replay", replay,
                               *listed], cwd=work, env=env, capture_output=True, text=True,
                              timeout=240, preexec_fn=limit)
        if done.returncode:
            raise AssertionError(done.stdout + done.stderr)
        lines = read(os.path.join(work, "frames", "frames.txt")) if frames else ""
        return done.stdout, lines.splitlines(), read(save, "rb")


class GoldenRun(unittest.TestCase):
    def test_keys_draw_the_golden_frames(self):
        ticks = SANITIZED_TICKS if SANITIZED else None
        log, frames, saved = play("climb.replay",
                                  planreplay.replay(read("golden.plan"), ticks=ticks))
        golden = read("golden.frames").splitlines()
        self.assertEqual(frames, golden[:ticks])
        if SANITIZED:
            return
        complete = re.search(r"^Level complete at tick (\d+): (\d+) of (\d+) coins, (\d+) deaths$",
                             log, re.M)
        self.assertTrue(complete, log)
        tick, coins, _, deaths = map(int, complete.groups())
        self.assertLessEqual(tick, LIMIT)
        self.assertGreaterEqual(coins, 25)
        self.assertGreaterEqual(deaths, 1)
        self.assertRegex(log, r"(?m)^Respawned at checkpoint \d+ at tick \d+$")
        self.assertRegex(log, r"(?m)^Enemy \d+ stomped at tick \d+$")
        reached = re.findall(r"(?m)^Checkpoint (\d+) reached at tick \d+$", log)
        checkpoints = read(MAP).count('type="checkpoint"')
        self.assertEqual(sorted(map(int, reached)), list(range(1, checkpoints + 1)))
        self.assertEqual(log.count(DAMAGED_WARNING), 1)
        # Version, best time (the results' 0:47.65), most coins, fewest deaths; the checksum is
        # the unit tests'.
        self.assertEqual(struct.unpack("<4sHIII", saved[:18])[1:], (1, 2859, coins, deaths))

    def test_pad_buttons_draw_the_golden_frames(self):
        plan = planreplay.replay(read("golden.plan"), pad=True, ticks=PAD_TICKS)
        _, frames, _ = play("climb-pad.replay", plan)
        self.assertEqual(frames, read("golden.frames").splitlines()[:PAD_TICKS])

    @unittest.skipIf(SANITIZED, "the whole level is played in the normal pass only")
    def test_a_full_disk_leaves_the_damaged_file_as_it_was(self):
        ten_bytes = lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (10, 10))
        plan = planreplay.replay(read("golden.plan"))
        log, _, saved = play("climb-full.replay", plan, frames=False, limit=ten_bytes)
        self.assertIn("Warning: couldn't save climb.sav (", log)
        self.assertEqual(saved, DAMAGED)


if __name__ == "__main__":
    unittest.main()
