"""A live run stopped for 3 s in the sound stage goes on without a burst of the effects it
missed, heard through the disk audio driver without music: the axe alone."""

import array
import pathlib
import signal
import time
import unittest

from tarvotest.xsession import XSession

CHUNK, GAP = 441 * 4, 10  # 10 ms of 16-bit stereo; silent chunks between two sounds


def sounds(path, finished=True):
    """Byte ranges of the sounds in the output; the last, when finished, once its gap is out."""
    raw = pathlib.Path(path).read_bytes()
    found, quiet = [], GAP
    for start in range(0, len(raw) - CHUNK + 1, CHUNK):
        silent = raw.count(0, start, start + CHUNK) == CHUNK
        if not silent:
            found += [[start, 0]] if quiet >= GAP else []
            found[-1][1] = start + CHUNK
        quiet = quiet + 1 if silent else 0
    return raw, found if quiet >= GAP or not finished else found[:-1]


class Stall(unittest.TestCase):
    def test_stopped_process_resumes_without_a_burst_of_effects(self):
        env = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": "out.raw"}
        with XSession(["-nomusic"], env=env) as session:
            out = session.path("out.raw")
            # Arrows until the sound stage is heard: keys pumped in one tick advance one stage,
            # and spares do nothing in the last.
            session.wait_for(lambda: session.key("Right") or sounds(out, finished=False)[1],
                             "the first effect")
            # Most of the way to the next effect, so a caught-up stall would fire two at once.
            time.sleep(1.5)
            session.game.send_signal(signal.SIGSTOP)
            time.sleep(3)
            session.game.send_signal(signal.SIGCONT)
            session.wait_for(lambda: len(sounds(out)[1]) >= 3, "two effects after the stall")
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            raw, ranges = sounds(out)
        # Each channel's energy in axes: left, both, right in turn, never two axes at once.
        energies = [[sum(v * v for v in array.array("h", raw[a:b])[c::2]) for c in (0, 1)]
                    for a, b in ranges]
        levels = [tuple(round((e / energies[0][0]) ** 0.5) for e in pair) for pair in energies]
        self.assertEqual(levels, [[(1, 0), (1, 1), (0, 1)][k % 3] for k in range(len(levels))])
