"""Start-up and shutdown of build/morwenfall, observed through its log, its reports and its
exit status."""
import signal
import unittest

from engine import Workdir, run

DEVICE = "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)"
AUDIO = [DEVICE, "* Allocated 16 digital sound channels", "* Music enabled"]


MISSING = "Warning: couldn't read defaults from kelda.cfg"


def startup(defaults_line=MISSING, audio=AUDIO,
            game=("* Added data file base/pak000.zip",)):
    lines = ["Now Playing: \"Morwenfall\"", "Reading defaults..."]
    if defaults_line:
        lines.append(defaults_line)
    return lines + ["Initializing SDL Library...", "Initializing Audio...", *audio,
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
        for args, name in [(["-logfile", "game.log"], "game.log"), (["-logfile"], "logfile.txt")]:
            with self.subTest(args=args), Workdir() as work:
                result = run(work, args, until=None, settle=1.5)
                self.assertEqual((result.status, result.stdout), (0, ""), result.stderr)
                self.assertEqual(work.read(name).decode().splitlines(),
                                 ["Tarvo Engine log file opened."] + startup()
                                 + ["Exiting Tarvo Engine."])

    def test_unopenable_log_file_is_reported_on_the_console(self):
        with Workdir() as work:
            result = run(work, ["-logfile", "no/such/dir/game.log"])
        self.assertEqual(result.status, 0)
        self.assertEqual(result.lines, ["Warning: couldn't open log file no/such/dir/game.log"]
                         + startup() + ["Exiting Tarvo Engine."])


class OptionsTest(unittest.TestCase):
    def test_audio_settings_from_the_options_and_the_defaults_file(self):
        # The parser's own rules are unit-tested; here start-up must act on what it read.
        cases = [
            (["-noaudio"], None, ["* Audio is disabled (-noaudio)"]),
            ([], "numsfxchannels = 0x20\nenablemusic = Off\n",
             [DEVICE, "* Allocated 32 digital sound channels", "* Music is disabled (config)"]),
            ([], "EnableSfx = FALSE\n",
             [DEVICE, "* Sound effects are disabled (config)", "* Music enabled"]),
        ]
        for args, config, audio in cases:
            with self.subTest(args=args, config=config), Workdir(config=config) as work:
                result = run(work, args)
                self.assertEqual(result.status, 0, result.stderr)
                self.assertEqual(result.lines[1:], startup(None if config else MISSING, audio)
                                 + ["Exiting Tarvo Engine."])

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


class FatalTest(unittest.TestCase):
    def test_failed_start_is_reported_on_stderr_with_status_one(self):
        broken = {"SDL_VIDEODRIVER": "no-such-driver"}
        with Workdir() as work:
            result = run(work, env=broken, until=None)
            logged = run(work, ["-logfile", "game.log"], env=broken, until=None)
            log = work.read("game.log").decode().splitlines()
        self.assertEqual((result.status, logged.status), (1, 1))
        for report in (result.stderr, logged.stderr):
            self.assertEqual(report, "General Exception.\nMessage: Failed to init SDL library.\n"
                                     "Warning: Failed to deinit PhysicsFS.\n"
                                     "Error: not initialized\n")
        self.assertEqual(result.lines, ["Tarvo Engine v1.1.0 Startup", *startup()[:4],
                                        "Exiting Tarvo Engine."])
        self.assertEqual(log[-1], "Exiting Tarvo Engine.")


if __name__ == "__main__":
    unittest.main()
