"""A live run stopped for 3 s in the sound stage: once it goes on, the effects keep their
cadence, with no burst of the ticks it missed. Heard through the disk audio driver, without
music, so the only sounds are the axe's."""

import array
import signal
import time
import unittest

from xsession import XSession

PAN_CYCLE = [(1, 0), (1, 1), (0, 1)]  # left, both, right: each channel's level in axes
CHUNK = 441 * 4  # 10 ms of 16-bit stereo at 44.1 kHz
GAP = 10  # silent chunks that end a sound


def sounds(raw, finished=True):
    """The byte ranges of the output's sounds: runs of chunks holding a non-zero sample, apart
    by GAP silent chunks or more; when finished, the last only once its gap has followed."""
    found, quiet = [], GAP
    for start in range(0, len(raw) - CHUNK + 1, CHUNK):
        if raw.count(0, start, start + CHUNK) == CHUNK:
            quiet += 1
        elif quiet >= GAP:
            found.append([start, start + CHUNK])
            quiet = 0
        else:
            found[-1][1], quiet = start + CHUNK, 0
    return found if quiet >= GAP or not finished else found[:-1]


def energies(raw, start, end):
    """Sums of squared samples of the left and the right channel."""
    samples = array.array("h", raw[start:end])
    return [sum(value * value for value in samples[channel::2]) for channel in (0, 1)]


def count_sounds(path, finished=True):
    try:
        with open(path, "rb") as f:
            return len(sounds(f.read(), finished))
    except OSError:
        return 0


class Stall(unittest.TestCase):
    def test_stopped_process_resumes_without_a_burst_of_effects(self):
        env = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": "out.raw"}
        with XSession(["-nomusic"], env=env) as session:
            out = session.path("out.raw")
            # Spare arrows are harmless in the last stage and cover two landing in one tick.
            for _ in range(6):
                session.key("Right")
                time.sleep(0.15)
            session.wait_for(lambda: count_sounds(out, finished=False), "the first effect")
            # Three quarters into an effect's 120 ticks, so a stall of 180 ticks caught up
            # would fire two effects at once.
            time.sleep(1.5)
            session.game.send_signal(signal.SIGSTOP)
            time.sleep(3)
            session.game.send_signal(signal.SIGCONT)
            session.wait_for(lambda: count_sounds(out) >= 4, "three effects after the stall")
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            with open(out, "rb") as f:
                raw = f.read()
        heard = [energies(raw, start, end) for start, end in sounds(raw)]
        one = heard[0][0]  # the first effect: one axe, panned left
        levels = [tuple(round((energy / one) ** 0.5) for energy in pair) for pair in heard]
        self.assertEqual(levels, [PAN_CYCLE[k % 3] for k in range(len(levels))], heard)


if __name__ == "__main__":
    unittest.main()
