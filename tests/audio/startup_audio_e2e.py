"""The audio step of start-up as the log reports it, for each way audio can be configured,
switched off or unavailable. Runs build/morwenfall headless in its own working directory."""

import os
import re
import unittest

import engine

AUDIO_LINE = "Initializing Audio..."
NEXT_STEP = "Initializing PhysicsFS Library..."
DEVICE = "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)"


def channels(count):
    return "* Allocated %d digital sound channels" % count


SFX_OFF_OPTION = "* Sound effects are disabled (-nosfx)"
SFX_OFF_CONFIG = "* Sound effects are disabled (config)"
MUSIC_ON = "* Music enabled"
MUSIC_OFF_OPTION = "* Music is disabled (-nomusic)"
MUSIC_OFF_CONFIG = "* Music is disabled (config)"

CASES = [
    # name, kelda.cfg, options, extra environment, the audio step's lines after its first
    ("defaults", "", [], {}, [DEVICE, channels(16), MUSIC_ON]),
    ("eight channels", "numsfxchannels = 8\n", [], {}, [DEVICE, channels(8), MUSIC_ON]),
    ("channels above the limit", "numsfxchannels = 100\n", [], {},
     [DEVICE, channels(64), MUSIC_ON]),
    ("-nosfx", "", ["-nosfx"], {}, [DEVICE, SFX_OFF_OPTION, MUSIC_ON]),
    ("-nomusic", "", ["-nomusic"], {}, [DEVICE, channels(16), MUSIC_OFF_OPTION]),
    ("-nosfx -nomusic", "", ["-nosfx", "-nomusic"], {},
     [DEVICE, SFX_OFF_OPTION, MUSIC_OFF_OPTION]),
    # The option wins over a configuration that allows everything.
    ("-nosfx over enablesfx", "enablesfx = true\n", ["-nosfx"], {},
     [DEVICE, SFX_OFF_OPTION, MUSIC_ON]),
    ("enablesfx false", "enablesfx = false\n", [], {}, [DEVICE, SFX_OFF_CONFIG, MUSIC_ON]),
    ("enablemusic false", "enablemusic = false\n", [], {},
     [DEVICE, channels(16), MUSIC_OFF_CONFIG]),
    ("-noaudio", "", ["-noaudio"], {}, ["* Audio is disabled (-noaudio)"]),
    # -noaudio stops the step before the configuration is looked at.
    ("-noaudio with audio configured off", "enablesfx = false\nenablemusic = false\n",
     ["-noaudio", "-nosfx"], {}, ["* Audio is disabled (-noaudio)"]),
]

# SDL picks the audio driver when its audio subsystem starts, so that is the step that fails.
FAILED_DEVICE = re.compile(r"\* Warning: Couldn't initialize SDL audio \(.+\)$")


def audio_step(lines):
    """The lines from the audio announcement up to the next step's."""
    start = lines.index(AUDIO_LINE)
    return lines[start:lines.index(NEXT_STEP, start)]


@unittest.skipUnless(engine.ENGINE and os.path.exists(engine.ENGINE),
                     "the engine %r has not been built" % engine.ENGINE)
class StartupAudioTest(unittest.TestCase):
    def run_engine(self, config, options, env):
        with engine.Workdir(config=config) as workdir:
            result = engine.run(workdir, options, env=env)
        self.assertEqual(result.status, 0, result.stdout + result.stderr)
        self.assertIn(AUDIO_LINE, result.lines, result.stdout)
        self.assertIn(NEXT_STEP, result.lines, result.stdout)
        # Whatever happened to audio, the engine came up and shut down cleanly.
        self.assertIn("Exiting Tarvo Engine.", result.lines, result.stdout)
        return result

    def test_audio_step_lines(self):
        for name, config, options, env, expected in CASES:
            with self.subTest(name):
                result = self.run_engine(config, options, env)
                lines = result.lines
                self.assertEqual(audio_step(lines), [AUDIO_LINE] + expected, result.stdout)
                self.assertEqual(lines[lines.index(AUDIO_LINE) - 1], "Initializing SDL Library...")

    def test_unavailable_driver_leaves_audio_off(self):
        result = self.run_engine("", [], {"SDL_AUDIODRIVER": "nonexistent"})
        step = audio_step(result.lines)
        self.assertEqual(len(step), 2, result.stdout)
        self.assertRegex(step[1], FAILED_DEVICE)


if __name__ == "__main__":
    unittest.main()
