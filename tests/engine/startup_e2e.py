"""Start-up and shutdown of build/morwenfall, observed through its log, its reports and its
exit status."""
import os
import pathlib
import shutil
import signal
import tempfile
import unittest
from collections import namedtuple
from types import SimpleNamespace

from tarvotest import replayfile as rf
from tarvotest.engine import ENGINE, PAK, Workdir, run

DEVICE = "* Configured audio device: 16-bit 44.1 KHz stereo (1024 bytes/slice)"
AUDIO = [DEVICE, "* Allocated 16 digital sound channels", "* Music enabled"]
MISSING = "Warning: couldn't read defaults from kelda.cfg"
NO_MUSIC = "* Music is disabled (config)"


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


Audio = namedtuple("Audio", "name args config step")


class AudioTest(unittest.TestCase):
    """The lines between "Initializing Audio..." and the file system's step."""

    def audio_step(self, args=(), config=None, env=None):
        with Workdir(config=config) as work:
            result = run(work, args, env=env)
        self.assertEqual(result.status, 0, result.stderr)
        return result.lines[result.lines.index("Initializing Audio...") + 1:
                            result.lines.index("Initializing PhysicsFS Library...")]

    def test_options_and_defaults_file_decide_what_starts(self):
        # The parser's own rules are unit-tested; here start-up must act on what it read.
        rows = [
            Audio("no audio", ["-noaudio"], None, ["* Audio is disabled (-noaudio)"]),
            Audio("no music", ["-nomusic"], None,
                  [DEVICE, AUDIO[1], "* Music is disabled (-nomusic)"]),
            Audio("channels and music from the file", [],
                  "numsfxchannels = 0x20\nenablemusic = Off\n",
                  [DEVICE, "* Allocated 32 digital sound channels", NO_MUSIC]),
        ]
        for row in rows:
            with self.subTest(row.name):
                self.assertEqual(self.audio_step(row.args, row.config), row.step)

    def test_unavailable_driver_leaves_audio_off(self):
        step = self.audio_step(env={"SDL_AUDIODRIVER": "nonexistent"})
        self.assertEqual(len(step), 1, step)
        self.assertRegex(step[0], r"^\* Warning: Couldn't initialize SDL audio \(.+\)$")


Place = namedtuple("Place", "name tree work args lines")  # tree and work: {file: bytes}
CHOSEN = ("Warning: couldn't read defaults", "* Allocated", "* Sound effects", "* Music",
          "* Added data file", "* Warning: specified game")
ADDED = "* Added data file %s/pak000.zip"


class InstalledTest(unittest.TestCase):
    def test_an_unpacked_tree_finds_its_data_and_defaults_beside_its_program(self):
        """TREE/games/morwenfall started in another directory. The tree's defaults turn the
        music off, the working directory's the effects; without data the demo cannot start."""
        pak = pathlib.Path(PAK).read_bytes()
        data = {"share/games/morwenfall/base/pak000.zip": pak,
                "share/games/morwenfall/kelda.cfg": b"enablemusic = false"}
        rows = [
            Place("the tree's", data, {}, [],
                  [AUDIO[1], NO_MUSIC, ADDED % "{tree}/share/games/morwenfall/base"]),
            Place("the working directory's first", data,
                  {"base/pak000.zip": pak, "kelda.cfg": b"enablesfx = false"}, [],
                  ["* Sound effects are disabled (config)", AUDIO[2], ADDED % "base"]),
            Place("-game's first", data, {"other/pak000.zip": pak}, ["-game", "other"],
                  [AUDIO[1], NO_MUSIC, ADDED % "other"]),
            Place("none anywhere", {}, {}, [],
                  [MISSING, *AUDIO[1:], "* Warning: specified game 'base' is invalid"]),
        ]
        for row in rows:
            with self.subTest(row.name), tempfile.TemporaryDirectory() as root:
                tree, work = os.path.realpath(root + "/tree"), root + "/work"
                files = {**{tree + "/" + name: content for name, content in row.tree.items()},
                         **{work + "/" + name: content for name, content in row.work.items()},
                         work + "/r": rf.Replay().add(1, rf.END).bytes()}
                for name, content in files.items():
                    os.makedirs(os.path.dirname(name), exist_ok=True)
                    pathlib.Path(name).write_bytes(content)
                os.makedirs(tree + "/games")
                program = shutil.copy(ENGINE, tree + "/games/morwenfall")
                result = run(SimpleNamespace(path=work), ["-replay", "r", *row.args],
                             until="Exiting", program=program)
                self.assertEqual([line for line in result.lines if line.startswith(CHOSEN)],
                                 [line.format(tree=tree) for line in row.lines], result.stderr)


class SignalTest(unittest.TestCase):
    def test_interrupt_ends_the_program_cleanly(self):
        # SIGTERM ends the other runs here.
        with Workdir() as work:
            result = run(work, ["-fasttime"], stop=signal.SIGINT)
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

