"""Start-up and shutdown of build/morwenfall, observed through its log, its reports and its
exit status."""
import os
import shutil
import signal
import tempfile
import unittest
from collections import namedtuple
from types import SimpleNamespace

import replayfile as rf
from engine import ENGINE, PAK, Workdir, run

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


Place = namedtuple("Place", "name installed local args lines")
CHOSEN = ("Warning: couldn't read defaults", "* Allocated", "* Sound effects", "* Music",
          "* Added data file", "* Warning: specified game")


class InstalledTest(unittest.TestCase):
    def test_an_unpacked_tree_finds_its_data_and_defaults_beside_its_executable(self):
        """TREE/games/morwenfall started from another directory; the tree's defaults disable the
        music, the working directory's the effects. Without data the demo cannot start."""
        rows = [
            Place("the tree's", True, [], [], [AUDIO[1], "* Music is disabled (config)",
                                           "* Added data file {tree}/share/games/morwenfall/"
                                           "base/pak000.zip"]),
            Place("the working directory's first", True, ["base", "kelda.cfg"], [],
                  ["* Sound effects are disabled (config)", AUDIO[2],
                   "* Added data file base/pak000.zip"]),
            Place("-game's first", True, ["other"], ["-game", "other"],
                  [AUDIO[1], "* Music is disabled (config)", "* Added data file other/pak000.zip"]),
            Place("none anywhere", False, [], [],
                  [MISSING, *AUDIO[1:], "* Warning: specified game 'base' is invalid"]),
        ]
        for row in rows:
            with self.subTest(row.name), tempfile.TemporaryDirectory() as tree, \
                    tempfile.TemporaryDirectory() as work:
                os.mkdir(os.path.join(tree, "games"))
                program = shutil.copy(ENGINE, os.path.join(tree, "games", "morwenfall"))
                data = os.path.join(tree, "share", "games", "morwenfall")
                if row.installed:
                    self.place(data, "enablemusic = false", ["base", "kelda.cfg"])
                self.place(work, "enablesfx = false", row.local)
                with open(os.path.join(work, "r"), "wb") as f:
                    f.write(rf.Replay().add(1, rf.END).bytes())
                result = run(SimpleNamespace(path=work), ["-replay", "r", *row.args],
                             until="Exiting", program=program)
                expected = [line.format(tree=os.path.realpath(tree)) for line in row.lines]
                self.assertEqual([line for line in result.lines if line.startswith(CHOSEN)],
                                 expected, result.stderr)

    @staticmethod
    def place(folder, config, entries):
        """Each of entries in folder: kelda.cfg holding config, or a folder with pak000.zip."""
        for entry in entries:
            if entry == "kelda.cfg":
                with open(os.path.join(folder, entry), "w") as f:
                    f.write(config + "\n")
            else:
                os.makedirs(os.path.join(folder, entry))
                shutil.copyfile(PAK, os.path.join(folder, entry, "pak000.zip"))


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
