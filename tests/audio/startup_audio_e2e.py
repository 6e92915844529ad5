"""The audio step of start-up as the engine logs it, for settings the core start-up test lacks."""

import os
import unittest

import engine

DEVICE = "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)"


def audio_step(config, options, env=None):
    with engine.Workdir(config=config) as workdir:
        result = engine.run(workdir, options, env=env)
    lines = result.lines
    assert result.status == 0 and "Exiting Tarvo Engine." in lines, result.stdout + result.stderr
    start = lines.index("Initializing Audio...") + 1
    return lines[start:lines.index("Initializing PhysicsFS Library...", start)]


@unittest.skipUnless(os.path.exists(engine.ENGINE), "the engine %r is not built" % engine.ENGINE)
class StartupAudioTest(unittest.TestCase):
    def test_audio_step_lines(self):
        sfx_on, music_on = "* Allocated %d digital sound channels", "* Music enabled"
        for config, options, expected in [
            ("numsfxchannels = 8\n", [], [DEVICE, sfx_on % 8, music_on]),
            # The option wins over a configuration that allows effects.
            ("enablesfx = true\n", ["-nosfx"], [DEVICE, "* Sound effects are disabled (-nosfx)",
                                                music_on]),
            ("", ["-nomusic"], [DEVICE, sfx_on % 16, "* Music is disabled (-nomusic)"]),
        ]:
            with self.subTest(config=config, options=options):
                self.assertEqual(audio_step(config, options), expected)

    def test_unavailable_driver_leaves_audio_off(self):
        step = audio_step("", [], {"SDL_AUDIODRIVER": "nonexistent"})
        self.assertEqual(len(step), 1, step)
        self.assertRegex(step[0], r"^\* Warning: Couldn't initialize SDL audio \(.+\)$")


if __name__ == "__main__":
    unittest.main()
