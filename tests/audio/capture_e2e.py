"""Listens to what the audio code really plays: audio_capture drives SoundBank and MusicPlayer
into SDL's disk audio driver, and the captured stream (signed 16-bit little-endian stereo at
44.1 kHz) is measured per channel in windows placed after the steps the program marks."""

import array
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import wave

BUILD_DIR = os.environ.get("TARVO_BUILD_DIR", "")
CAPTURE = os.path.join(BUILD_DIR, "tests", "audio", "audio_capture")
PAK = os.environ.get("TARVO_PAK", "")
MUSIC = "demo1/OLM- Meridel2.mid"

RATE = 44100
TONE_AMPLITUDE = 12000
# A full-volume sine of that amplitude has an RMS of amplitude / sqrt(2) on every side it reaches.
TONE_RMS = TONE_AMPLITUDE / math.sqrt(2)


def frames(ms):
    return RATE * ms // 1000


class Capture:
    def __init__(self, raw, marks):
        self.samples = array.array("h")
        self.samples.frombytes(raw[: len(raw) // 4 * 4])
        if sys.byteorder == "big":
            self.samples.byteswap()
        self.marks = marks  # step name -> frame where it began

    def rms(self, start, length):
        """RMS of the left and right channel over length frames from start."""
        if start < 0 or start + length > len(self.samples) // 2:
            raise AssertionError("window %d+%d outside the capture" % (start, length))
        result = []
        for side in (0, 1):
            part = self.samples[2 * start + side : 2 * (start + length) : 2]
            result.append(math.sqrt(sum(s * s for s in part) / len(part)))
        return result

    def level(self, start, length):
        return max(self.rms(start, length))

    def after(self, step, from_ms, to_ms):
        """Left and right RMS between from_ms and to_ms after step began."""
        at = self.marks[step]
        return self.rms(at + frames(from_ms), frames(to_ms - from_ms))


def tone_wave(path, seconds=1):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(
            struct.pack("<h", int(TONE_AMPLITUDE * math.sin(2 * math.pi * 440 * i / RATE)))
            for i in range(RATE * seconds)))


def capture(mode, name, mounts):
    workdir = tempfile.mkdtemp(prefix="tarvo-capture-")
    try:
        raw_path = os.path.join(workdir, "out.raw")
        env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=raw_path)
        # By default the disk driver paces itself at about real time, so the file size the
        # program reads when it acts is close to where its action is heard; with no delay it
        # would race far ahead of the program between two looks at the file.
        env.pop("SDL_DISKAUDIODELAY", None)
        done = subprocess.run([CAPTURE, mode, name, *mounts], cwd=workdir, env=env,
                              capture_output=True, text=True, timeout=60)
        if done.returncode != 0:
            raise AssertionError("audio_capture failed (%d):\n%s%s"
                                 % (done.returncode, done.stdout, done.stderr))
        marks = {}
        for line in done.stdout.splitlines():
            words = line.split()
            if len(words) == 3 and words[0] == "mark":
                marks[words[1]] = int(words[2]) // 4
        with open(raw_path, "rb") as f:
            return Capture(f.read(), marks), done.stdout
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


class PanningTest(unittest.TestCase):
    def test_panned_effect_reaches_only_the_chosen_sides(self):
        workdir = tempfile.mkdtemp(prefix="tarvo-tone-")
        self.addCleanup(shutil.rmtree, workdir, True)
        tone_wave(os.path.join(workdir, "tone.wav"))
        audio, _ = capture("effects", "tone.wav", [workdir])

        self.assertLess(audio.level(0, audio.marks["left"]), 1, "sound before the first effect")
        loud = TONE_RMS / 2
        quiet = TONE_RMS / 100
        for step, left_on, right_on in (("left", True, False), ("right", False, True),
                                        ("both", True, True)):
            # The first mixed buffer may precede the panning call, so measure from 50 ms on.
            left, right = audio.after(step, 50, 250)
            print("pan %-5s RMS left %7.1f right %7.1f" % (step, left, right))
            with self.subTest(step=step):
                self.assertGreater(left, loud) if left_on else self.assertLess(left, quiet)
                self.assertGreater(right, loud) if right_on else self.assertLess(right, quiet)
        left, right = audio.after("both", 50, 250)
        self.assertAlmostEqual(left / right, 1, delta=0.1)
        # Halting the channel stops the tone.
        self.assertLess(audio.level(audio.marks["end"] - frames(40), frames(40)), 1)


@unittest.skipUnless(PAK and os.path.exists(PAK),
                     "the game archive %r has not been built, so the demo's music is missing" % PAK)
class MusicTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.audio, cls.output = capture("music", MUSIC, [PAK])

    def test_music_sounds_only_once_started(self):
        audio = self.audio
        start = audio.marks["music"]
        self.assertGreater(start, frames(250))
        before = audio.level(start - frames(250), frames(250))
        playing = audio.level(start + frames(50), audio.marks["reload"] - start - frames(50))
        print("music RMS before play %.1f, while playing %.1f" % (before, playing))
        self.assertLess(before, 1, "music sounds before play")
        self.assertGreater(playing, 100, "the MIDI music is silent:\n" + self.output)

    def test_fade_in_ramps_up_over_half_a_second(self):
        # The piece is played from its start twice, without and with a 500 ms fade-in; their
        # ratio, window by window, is the fade's gain curve whatever the music holds.
        audio = self.audio
        ratios = []
        for window in range(0, 800, 100):
            plain = audio.level(audio.marks["music"] + frames(window), frames(100))
            faded = audio.level(audio.marks["fadein"] + frames(window), frames(100))
            if plain > 50:
                ratios.append((window, faded / plain))
        print("fade-in gain per 100 ms window: "
              + ", ".join("%d ms %.2f" % (window, ratio) for window, ratio in ratios))
        early = [ratio for window, ratio in ratios if window < 200]
        late = [ratio for window, ratio in ratios if window >= 600]
        self.assertTrue(early and late, "too little music to compare: %r" % ratios)
        self.assertLess(max(early), 0.5, "no fade-in at the start")
        # A linear ramp over 500 ms averages a gain of 0.5 between 200 and 300 ms.
        middle = dict(ratios).get(200)
        if middle is not None:
            self.assertTrue(0.3 < middle < 0.7, "the fade does not last 500 ms: %r" % ratios)
        for ratio in late:
            self.assertAlmostEqual(ratio, 1, delta=0.25, msg="fade-in not over after 600 ms")
        rising = [ratio for window, ratio in ratios if window < 500]
        for first, second in zip(rising, rising[1:]):
            self.assertGreater(second, first - 0.05, "fade-in does not rise: %r" % ratios)

    def test_second_load_fades_the_playing_piece_out(self):
        audio = self.audio
        reload = audio.marks["reload"]
        just_after = audio.level(reload + frames(20), frames(100))
        after_fade = audio.level(audio.marks["reloaded"] - frames(50), frames(50))
        print("second load: RMS %.1f just after, %.1f once loaded" % (just_after, after_fade))
        self.assertGreater(just_after, 50, "the first piece was cut off, not faded out")
        self.assertLess(after_fade, 1, "the first piece still plays after the second load")
        # The load returns only once the fade-out has run its 500 ms.
        self.assertGreaterEqual(audio.marks["reloaded"] - reload, frames(450))


if __name__ == "__main__":
    unittest.main()
