"""The golden run: the committed plan played as keys must draw the committed frames and log the
level's events, and the same plan as pad 0's buttons must draw the same first 600 frames. Under
the sanitizers only the first 1,800 ticks are played."""
import os
import re
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


def read(name):
    with open(os.path.join(HERE, name)) as f:
        return f.read()


def play(replay_name, data):
    """Writes the replay into the build tree, plays it and returns (log, frame lines)."""
    replay = os.path.join(BUILD, replay_name)
    with open(replay, "wb") as out:
        out.write(data)
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        done = subprocess.run([CLIMB, "-game", GAME_DIR, "-savedir", work, "-replay", replay,
                               "-frames", os.path.join(work, "frames")], cwd=work, env=env,
                              capture_output=True, text=True, timeout=240)
        if done.returncode:
            raise AssertionError(done.stdout + done.stderr)
        return done.stdout, read_frames(os.path.join(work, "frames", "frames.txt"))


def read_frames(path):
    with open(path) as f:
        return f.read().splitlines()


class GoldenRun(unittest.TestCase):
    def test_keys_draw_the_golden_frames(self):
        ticks = SANITIZED_TICKS if SANITIZED else None
        log, frames = play("climb.replay", planreplay.replay(read("golden.plan"), ticks=ticks))
        golden = read("golden.frames").splitlines()
        self.assertEqual(frames, golden[:len(frames)] if SANITIZED else golden)
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

    def test_pad_buttons_draw_the_golden_frames(self):
        plan = planreplay.replay(read("golden.plan"), pad=True, ticks=PAD_TICKS)
        _, frames = play("climb-pad.replay", plan)
        self.assertEqual(frames, read("golden.frames").splitlines()[:PAD_TICKS])


if __name__ == "__main__":
    unittest.main()
