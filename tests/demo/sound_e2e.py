"""The sound stage heard through SDL's disk audio driver: the axe effect's pan cycle."""

import array
import os
import sys
import unittest

import xsession
from xsession import XSession

RATE = 44100
FRAME = RATE // 100  # 10 ms of samples per channel


def read_stereo(path):
    """The disk driver's file: interleaved signed 16-bit little-endian stereo at 44.1 kHz."""
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    return samples[0::2], samples[1::2]


def energy(channel, start, end):
    """Mean square of the samples in [start, end)."""
    part = channel[max(start, 0):end]
    return sum(s * s for s in part) / len(part) if part else 0.0


def onsets(left, right):
    """Sample positions where the louder side jumps to three times its recent median level.

    The music underneath plays at a fraction of full volume, so only the effect makes such a
    jump; a jump less than half a second after the previous one belongs to the same effect.
    """
    frames = min(len(left), len(right)) // FRAME
    levels = [max(energy(left, i * FRAME, (i + 1) * FRAME), energy(right, i * FRAME,
                                                                  (i + 1) * FRAME)) ** 0.5
              for i in range(frames)]
    found = []
    for i in range(30, frames):
        recent = sorted(levels[i - 30:i])[15]
        if levels[i] > 1500 and levels[i] > 3 * recent:
            position = i * FRAME
            if not found or position - found[-1] > RATE // 2:
                found.append(position)
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
            entered = os.path.getsize(session.path("audio.raw"))
            # Four seconds of sound after the stage began hold the first three effects.
            wanted = entered + 4 * RATE * 4
            session.wait_for(lambda: os.path.getsize(session.path("audio.raw")) > wanted,
                             "four seconds of sound")
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            left, right = read_stereo(session.path("audio.raw"))

        effects = onsets(left, right)
        self.assertGreaterEqual(len(effects), 3, effects)
        heard = []
        for onset in effects[:3]:
            # The effect's level above the music measured just before it, on each side.
            window = (onset + RATE // 20, onset + RATE // 4)
            before = (onset - RATE // 4, onset - RATE // 20)
            extra_left = energy(left, *window) - energy(left, *before)
            extra_right = energy(right, *window) - energy(right, *before)
            loudest = max(extra_left, extra_right)
            self.assertGreater(loudest, 0)
            heard.append((extra_left > 0.2 * loudest, extra_right > 0.2 * loudest))
        self.assertEqual(heard, [(True, False), (True, True), (False, True)])


if __name__ == "__main__":
    unittest.main()
