"""Measures what audio_capture really plays into SDL's disk driver (s16le stereo, 44.1 kHz)."""

import array
import math
import os
import struct
import subprocess
import tempfile
import unittest
import wave

CAPTURE = os.path.join(os.environ.get("TARVO_BUILD_DIR", ""), "tests", "audio", "audio_capture")
PAK = os.environ.get("TARVO_PAK", "")
RATE = 44100
TONE_RMS = 12000 / math.sqrt(2)  # of the full-volume test tone on each side it reaches


def frames(ms):
    return RATE * ms // 1000


class CaptureTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory(prefix="tarvo-capture-") as workdir:
            with wave.open(os.path.join(workdir, "tone.wav"), "wb") as out:
                out.setparams((1, 2, RATE, 0, "NONE", None))
                out.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(
                    2 * math.pi * 440 * i / RATE))) for i in range(RATE)))
            music = ["demo1/OLM- Meridel2.mid", PAK] if os.path.exists(PAK) else []
            raw_path = os.path.join(workdir, "out.raw")
            # The disk driver's default pacing keeps the file size close to what has been heard.
            env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=raw_path)
            env.pop("SDL_DISKAUDIODELAY", None)
            done = subprocess.run([CAPTURE, "tone.wav", *music, workdir], cwd=workdir, env=env,
                                  capture_output=True, text=True, timeout=60)
            assert done.returncode == 0, "audio_capture failed: " + done.stdout + done.stderr
            cls.marks = {w[1]: int(w[2]) // 4 for w in map(str.split, done.stdout.splitlines())
                         if len(w) == 3 and w[0] == "mark"}
            with open(raw_path, "rb") as f:
                raw = f.read()
        cls.samples = array.array("h", raw[: len(raw) // 4 * 4])

    def rms(self, step, from_ms, to_ms):
        """Left and right RMS between from_ms and to_ms after step began."""
        start, length = self.marks[step] + frames(from_ms), frames(to_ms - from_ms)
        self.assertTrue(0 <= start and start + length <= len(self.samples) // 2, "out of range")
        sides = (self.samples[2 * start + side: 2 * (start + length): 2] for side in (0, 1))
        return [math.sqrt(sum(s * s for s in part) / length) for part in sides]

    def level(self, step, from_ms, to_ms):
        return max(self.rms(step, from_ms, to_ms))

    def test_panned_effect_reaches_only_the_chosen_sides(self):
        self.assertLess(self.level("left", -100, 0), 1, "sound before the effect")
        for step, sides_on in (("left", (True, False)), ("right", (False, True)),
                               ("both", (True, True))):
            # The first mixed buffer may precede the panning call, so measure from 50 ms on.
            rms = self.rms(step, 50, 250)
            print("pan %-5s RMS left %7.1f right %7.1f" % (step, *rms))
            for side, value, on in zip(("left", "right"), rms, sides_on):
                with self.subTest(step=step, side=side):
                    if on:
                        self.assertGreater(value, TONE_RMS / 2)
                    else:
                        self.assertLess(value, TONE_RMS / 100)
        self.assertLess(self.level("effects-end", -40, 0), 1, "halting left the tone on")

    @unittest.skipUnless(os.path.exists(PAK), "the game archive %r has not been built" % PAK)
    def test_music_sounds_only_once_started(self):
        before, faded_in = self.level("music", -250, 0), self.level("fadein", 500, 1000)
        print("music RMS before play %.1f, after play(-1, 500) %.1f" % (before, faded_in))
        self.assertLess(before, 1, "music sounds before play")
        self.assertGreater(faded_in, 100, "the MIDI music is silent")

    @unittest.skipUnless(os.path.exists(PAK), "the game archive %r has not been built" % PAK)
    def test_fade_in_ramps_up_over_half_a_second(self):
        # The piece played from its start with and without the fade: their ratio is the fade.
        ratios = [(ms, self.level("fadein", ms, ms + 100) / self.level("music", ms, ms + 100))
                  for ms in range(0, 800, 100) if self.level("music", ms, ms + 100) > 50]
        print("fade-in gain per 100 ms: " + ", ".join("%d ms %.2f" % r for r in ratios))
        gain = dict(ratios)
        self.assertTrue(gain.keys() & {0, 100} and gain.keys() & {600, 700}, ratios)
        self.assertTrue(all(gain.get(ms, 0) < 0.5 for ms in (0, 100)), "no fade-in: %r" % ratios)
        self.assertTrue(0.3 < gain.get(200, 0.5) < 0.7, "fade not 500 ms long: %r" % ratios)
        self.assertTrue(all(abs(gain.get(ms, 1) - 1) < 0.25 for ms in (600, 700)), ratios)


if __name__ == "__main__":
    unittest.main()
