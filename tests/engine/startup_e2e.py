"""Start-up and shutdown of build/morwenfall, observed through its log, its reports and its
exit status."""
import os
import signal
import unittest

from engine import Workdir, run

AUDIO = [
    "Initializing Audio...",
    "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)",
    "* Allocated 16 digital sound channels",
    "* Music enabled",
]


def startup(defaults_line="Warning: couldn't read defaults from kelda.cfg", audio=AUDIO,
            game=("* Added data file base/pak000.zip",)):
    lines = ["Now Playing: \"Morwenfall\"", "Reading defaults..."]
    if defaults_line:
        lines.append(defaults_line)
    return lines + ["Initializing SDL Library..."] + audio + [
        "Initializing PhysicsFS Library...", *game, "Initializing video mode..."]


class LogTest(unittest.TestCase):
    def test_console_log_of_a_default_start(self):
        with Workdir() as work:
            result = run(work)
        self.assertEqual(result.status, 0, result.stderr)
        self.assertEqual(result.lines, ["Tarvo Engine v1.1.0 Startup"] + startup()
                         + ["Exiting Tarvo Engine."])
        self.assertEqual(result.stderr, "")

    def test_log_file_replaces_the_console(self):
        cases = [
            (["-logfile", "game.log"], "game.log"),
            (["-logfile"], "logfile.txt"),
            (["-logfile", "-window"], "-window"),  # the value is simply the next word
        ]
        for args, name in cases:
            with self.subTest(args=args), Workdir() as work:
                result = run(work, args, until=None, settle=1.5)
                self.assertEqual(result.status, 0, result.stderr)
                self.assertEqual(result.stdout, "")
                lines = work.read(name).decode().splitlines()
                self.assertEqual(lines, ["Tarvo Engine log file opened."] + startup()
                                 + ["Exiting Tarvo Engine."])

    def test_unopenable_log_file_is_reported_on_the_console(self):
        with Workdir() as work:
            result = run(work, ["-logfile", "no/such/dir/game.log"])
        self.assertEqual(result.status, 0)
        self.assertEqual(result.lines, ["Warning: couldn't open log file no/such/dir/game.log"]
                         + startup() + ["Exiting Tarvo Engine."])


class OptionsTest(unittest.TestCase):
    def test_audio_options(self):
        cases = [
            (["-noaudio"], ["Initializing Audio...", "* Audio is disabled (-noaudio)"]),
            (["-nosfx", "-nomusic"], [
                "Initializing Audio...",
                "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)",
                "* Sound effects are disabled (-nosfx)",
                "* Music is disabled (-nomusic)"]),
        ]
        for args, audio in cases:
            with self.subTest(args=args), Workdir() as work:
                result = run(work, args)
                self.assertEqual(result.status, 0, result.stderr)
                self.assertEqual(result.lines[1:-1], startup(audio=audio))
                self.assertEqual(result.lines[-1], "Exiting Tarvo Engine.")

    def test_missing_game_directory_only_warns(self):
        with Workdir(game=None) as work:
            result = run(work, ["-game", "nowhere"], until="Exiting Tarvo Engine.")
        self.assertEqual(result.lines[1:13], startup(game=(
            "* Warning: specified game 'nowhere' is invalid",
            "* Warning: no game data files were found")))
        self.assertEqual(result.lines[-1], "Exiting Tarvo Engine.")

    def test_signals_end_the_program_cleanly(self):
        for stop in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=stop), Workdir() as work:
                result = run(work, ["-fasttime"], stop=stop)
                self.assertEqual(result.status, 0)
                self.assertEqual(result.lines[-1], "Exiting Tarvo Engine.")


class ConfigTest(unittest.TestCase):
    def test_defaults_file_through_the_log(self):
        sfx = "* Allocated %d digital sound channels"
        cases = [
            ("", None, sfx % 16, "* Music enabled"),
            ("numsfxchannels = 100\n", None, sfx % 64, "* Music enabled"),
            ("NumSfxChannels = 0\n", None, sfx % 1, "* Music enabled"),
            ("numsfxchannels = 0x20\nenablemusic = Off\n", None, sfx % 32,
             "* Music is disabled (config)"),
            ("EnableSfx = FALSE\n", None, "* Sound effects are disabled (config)",
             "* Music enabled"),
            # One bad line spoils the whole file: the good line before it is not applied.
            ("enablesfx = false\nvolume = 3\n", "Warning: error parsing cfg file kelda.cfg",
             sfx % 16, "* Music enabled"),
            ("numsfxchannels = lots\n", "Warning: error parsing cfg file kelda.cfg", sfx % 16,
             "* Music enabled"),
            (b"\x00\xff\xfe garbage \x01\x02", "Warning: error parsing cfg file kelda.cfg",
             sfx % 16, "* Music enabled"),
        ]
        for text, warning, sfx_line, music_line in cases:
            with self.subTest(config=text), Workdir(config=text) as work:
                result = run(work)
                audio = ["Initializing Audio...", AUDIO[1], sfx_line, music_line]
                self.assertEqual(result.lines[1:-1], startup(warning, audio))
                self.assertEqual(result.status, 0)

    def test_unreadable_defaults_file_is_a_missing_one(self):
        with Workdir() as work:
            os.mkdir(os.path.join(work.path, "kelda.cfg"))  # a directory cannot be read
            result = run(work)
        self.assertIn("Warning: couldn't read defaults from kelda.cfg", result.lines)


class FatalTest(unittest.TestCase):
    def test_failed_sdl_start_is_reported_with_status_one(self):
        with Workdir() as work:
            result = run(work, env={"SDL_VIDEODRIVER": "no-such-driver"}, until=None)
        self.assertEqual(result.status, 1)
        self.assertEqual(result.stderr, "General Exception.\n"
                                        "Message: Failed to init SDL library.\n"
                                        "Warning: Failed to deinit PhysicsFS.\n"
                                        "Error: not initialized\n")
        self.assertEqual(result.lines, ["Tarvo Engine v1.1.0 Startup", "Now Playing: \"Morwenfall\"",
                                        "Reading defaults...",
                                        "Warning: couldn't read defaults from kelda.cfg",
                                        "Initializing SDL Library...", "Exiting Tarvo Engine."])

    def test_fatal_report_goes_to_stderr_even_with_a_log_file(self):
        with Workdir() as work:
            result = run(work, ["-logfile", "game.log"],
                         env={"SDL_VIDEODRIVER": "no-such-driver"}, until=None)
            log = work.read("game.log").decode().splitlines()
        self.assertEqual(result.status, 1)
        self.assertTrue(result.stderr.startswith("General Exception.\n"))
        self.assertEqual(log[-1], "Exiting Tarvo Engine.")


if __name__ == "__main__":
    unittest.main()
