"""The audio step of start-up in the cases the engine's start-up test leaves out: one option
without the other, and no audio driver."""

import os
import unittest

import engine


def audio_step(options, env=None):
    with engine.Workdir() as workdir:
        result = engine.run(workdir, options, env=env)
    lines = result.lines
    assert result.status == 0 and "Exiting Tarvo Engine." in lines, result.stdout + result.stderr
    start = lines.index("Initializing Audio...") + 1
    return lines[start:lines.index("Initializing PhysicsFS Library...", start)]


@unittest.skipUnless(os.path.exists(engine.ENGINE), "the engine %r is not built" % engine.ENGINE)
class StartupAudioTest(unittest.TestCase):
    def test_music_option_leaves_effects_on(self):
        self.assertEqual(audio_step(["-nomusic"]), [
            "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)",
            "* Allocated 16 digital sound channels", "* Music is disabled (-nomusic)"])

    def test_unavailable_driver_leaves_audio_off(self):
        step = audio_step([], {"SDL_AUDIODRIVER": "nonexistent"})
        self.assertEqual(len(step), 1, step)
        self.assertRegex(step[0], r"^\* Warning: Couldn't initialize SDL audio \(.+\)$")


if __name__ == "__main__":
    unittest.main()
