"""Start-up and shutdown of build/morwenfall, observed through its log, its reports and its
exit status."""
import signal
import unittest

from tarvotest.engine import Workdir, run

DEVICE = "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)"
AUDIO = [DEVICE, "* Allocated 16 digital sound channels", "* Music enabled"]
MISSING = "Warning: couldn't read defaults from kelda.cfg"


def startup():
    """The log of a default start, up to the video mode."""
    return ["Now Playing: \"Morwenfall\"", "Reading defaults...", MISSING,
            "Initializing SDL Library...", "Initializing Audio...", *AUDIO,
            "Initializing PhysicsFS Library...", "* Added data file base/pak000.zip",
            "Initializing video mode..."]


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

    def test_unavailable_render_path_is_reported_at_start(self):
        with Workdir() as work:
            result = run(work, env={"TARVO_RENDER_PATH": "avx512"})
        self.assertRegex(result.lines[4], '^Warning: TARVO_RENDER_PATH "avx512" is not available '
                                          'here; drawing with (sse2|avx2)$')

    def test_unopenable_log_file_is_reported_on_the_console(self):
        with Workdir() as work:
            result = run(work, ["-logfile", "no/such/dir/game.log"])
        self.assertEqual(result.status, 0)
        self.assertEqual(result.lines, ["Warning: couldn't open log file no/such/dir/game.log"]
                         + startup() + ["Exiting Tarvo Engine."])


class SignalTest(unittest.TestCase):
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
