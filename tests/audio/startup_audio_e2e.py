"""The audio step of start-up: what it reports for the options, the defaults file and a missing
audio driver. The default start's report is checked with the whole log in the engine's tests."""

import os
import unittest

from tarvotest import engine

DEVICE = "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)"


def audio_step(options, config=None, env=None):
    with engine.Workdir(config=config) as workdir:
        result = engine.run(workdir, options, env=env)
    lines = result.lines
    assert result.status == 0 and "Exiting Tarvo Engine." in lines, result.stdout + result.stderr
    start = lines.index("Initializing Audio...") + 1
    return lines[start:lines.index("Initializing PhysicsFS Library...", start)]


@unittest.skipUnless(os.path.exists(engine.ENGINE), "the engine %r is not built" % engine.ENGINE)
class StartupAudioTest(unittest.TestCase):
    def test_options_and_defaults_file_decide_what_starts(self):
        # The parser's own rules are unit-tested; here start-up must act on what it read.
        cases = [
            (["-noaudio"], None, ["* Audio is disabled (-noaudio)"]),
            (["-nomusic"], None, [DEVICE, "* Allocated 16 digital sound channels",
                                  "* Music is disabled (-nomusic)"]),
            ([], "numsfxchannels = 0x20\nenablemusic = Off\n",
             [DEVICE, "* Allocated 32 digital sound channels", "* Music is disabled (config)"]),
            ([], "EnableSfx = FALSE\n",
             [DEVICE, "* Sound effects are disabled (config)", "* Music enabled"]),
        ]
        for args, config, expected in cases:
            with self.subTest(args=args, config=config):
                self.assertEqual(audio_step(args, config), expected)

    def test_unavailable_driver_leaves_audio_off(self):
        step = audio_step([], env={"SDL_AUDIODRIVER": "nonexistent"})
        self.assertEqual(len(step), 1, step)
        self.assertRegex(step[0], r"^\* Warning: Couldn't initialize SDL audio \(.+\)$")


if __name__ == "__main__":
    unittest.main()
