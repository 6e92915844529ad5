"""The sound stage heard through SDL's disk audio driver: the axe effect's pan cycle."""

import array
import os
import sys
import unittest

import xsession
from xsession import XSession

RATE = 44100
FRAME = RATE // 100  # 10 ms


def energy(channel, start, end):
    part = channel[max(start, 0):end]
    return sum(s * s for s in part) / len(part) if part else 0.0


def onsets(left, right):
    """Where the louder side jumps to three times its recent median level: only the effect
    does, over the quieter music; jumps within half a second belong to one effect."""
    levels = [max(energy(left, i, i + FRAME), energy(right, i, i + FRAME)) ** 0.5
              for i in range(0, min(len(left), len(right)) - FRAME + 1, FRAME)]
    found = []
    for i in range(30, len(levels)):
        if levels[i] > 1500 and levels[i] > 3 * sorted(levels[i - 30:i])[15]:
            if not found or i * FRAME - found[-1] > RATE // 2:
                found.append(i * FRAME)
    return found


class AxePanning(unittest.TestCase):
    def test_first_three_effects_left_both_right(self):
        font = xsession.GlyphSheet()
        # Twice the game speed: one effect per real second.
        with XSession(["-scaletime", "200"], audio_driver="disk",
                      env={"SDL_DISKAUDIOFILE": "audio.raw"}) as session:
            session.wait_for_stage(font, "title")
            for _ in range(4):
                session.key("Right")
                session.settled_screenshot()
            session.wait_for_stage(font, "sound")
            # Four seconds (16-bit stereo) after the stage began hold the first three effects.
            wanted = os.path.getsize(session.path("audio.raw")) + 4 * RATE * 4
            session.wait_for(lambda: os.path.getsize(session.path("audio.raw")) > wanted,
                             "four seconds of sound")
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            samples = array.array("h")  # the disk driver's little-endian stereo
            with open(session.path("audio.raw"), "rb") as f:
                samples.frombytes(f.read())
        if sys.byteorder != "little":
            samples.byteswap()
        left, right = samples[0::2], samples[1::2]

        effects = onsets(left, right)
        self.assertGreaterEqual(len(effects), 3, effects)
        heard = []
        for onset in effects[:3]:
            # Each side's level over the music measured just before the effect.
            extra = [energy(side, onset + RATE // 20, onset + RATE // 4)
                     - energy(side, onset - RATE // 4, onset - RATE // 20) for side in (left, right)]
            self.assertGreater(max(extra), 0)
            heard.append(tuple(e > 0.2 * max(extra) for e in extra))
        self.assertEqual(heard, [(True, False), (True, True), (False, True)])


if __name__ == "__main__":
    unittest.main()
