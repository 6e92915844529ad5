"""Record and replay from outside: misuse and damaged replays, the golden walk's frames, the
benchmark table, a recording stopped by a signal, and a live recording replayed to its
screenshot."""
import os
import re
import unittest
import zlib

import replayfile as rf
from engine import Workdir, run
from xsession import GlyphSheet, XSession

END = "Exiting Tarvo Engine."
NO_DEFAULTS = "Warning: couldn't read defaults from kelda.cfg"
GOLDEN = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "tests", "golden")
OUT = os.path.join(os.environ.get("TARVO_BUILD_DIR", ""), "golden-walk")


def frames(directory, name="frames.txt"):
    with open(os.path.join(directory, name)) as f:
        return [(int(tick), crc) for tick, crc in (line.split() for line in f)]


def png_crc(path):
    from PIL import Image

    return "%08x" % zlib.crc32(Image.open(path).convert("RGB").tobytes())


def lit_box(picture):
    """The lit pixels of the counter's box (x 0 to 79, y 232 to 239), from a PNG or a text."""
    if isinstance(picture, str):
        from PIL import Image

        image = Image.open(picture).convert("RGB")
        picture = {(x, y): image.getpixel((x, y)) for x in range(80) for y in range(232, 240)}
    return {p: rgb for p, rgb in picture.items() if rgb != (0, 0, 0)}


def replay_run(work, data, args, **kwargs):
    work.write("r", data)
    return run(work, ["-replay", "r", *args], until=END, **kwargs)


class Errors(unittest.TestCase):
    def test_misuse_and_damaged_replays_stop_before_sdl(self):
        good, head = rf.Replay().keys((3, "Right")).end(9).bytes(), rf.header()
        damaged = [
            (b"TRVREPLX" + head[8:], "not a replay file at byte 0"),
            (b"TRW", "not a replay file at byte 0"),
            (head[:20], "truncated header at byte 20"),
            (rf.header(version=2), "format version 2 is newer than 1 at byte 8"),
            (rf.header(version=0), "format version 0 is not 1 at byte 8"),
            (good[:-7], "truncated record at byte 32"),
            (head + rf.record(0, 6), "unknown record type 6 at byte 21"),
            (head + rf.record(5, rf.STATE, 7) + rf.record(4, rf.QUIT),
             "tick goes backwards at byte 27"),
            (good + b"\0", "data after the end record at byte 48"),
        ]
        cases = [(["-replay", "r"], data, "replay r: " + error) for data, error in damaged] + [
            (["-replay"], None, "-replay needs a value"),
            (["-replay", "no"], None, "replay no: cannot open (No such file or directory)"),
            (["-frames", "d"], good, "-frames needs -replay"),
            (["-shot", "1"], good, "-shot needs -replay"),
            (["-benchmark"], good, "-benchmark needs -replay"),
            (["-replay", "r", "-record"], good, "-record needs a value"),
            (["-replay", "r", "-shot", "1"], good, "-shot needs -frames"),
            (["-replay", "r", "-frames"], good, "-frames needs a value"),
            (["-replay", "r", "-frames", "d", "-shot"], good, "-shot needs a value"),
            (["-replay", "r", "-frames", "d", "-shot", "1,,2"], good,
             '-shot: bad tick list "1,,2"'),
            (["-replay", "r", "-frames", "r/d"], good,
             "-frames: cannot create r/d (Not a directory)"),
        ]
        for args, data, error in cases:
            with self.subTest(error), Workdir() as work:
                if data is not None:
                    work.write("r", data)
                result = run(work, args, until=END)
                self.assertEqual(result.status, 1)
                self.assertEqual(result.stderr.splitlines()[0], "Error: " + error)
                self.assertEqual(result.lines[-3:], ["Reading defaults...", NO_DEFAULTS, END])


class Playback(unittest.TestCase):
    def test_golden_walk_draws_its_committed_frames(self):
        expected = frames(GOLDEN, "walk.frames")
        shots = [0, 300, 700, 1100]
        with Workdir() as work:
            walk = os.path.join(GOLDEN, "walk.replay")
            args = ["-replay", walk, "-frames", OUT, "-shot", ",".join(map(str, shots))]
            self.assertEqual(run(work, args, until=END, timeout=240).status, 0)
            got = frames(OUT)
            if got != expected:
                tick = next((a[0] for a, b in zip(got, expected) if a != b), len(got))
                run(work, args[:4] + ["-shot", str(tick)], until=END, timeout=240)
                self.fail("the walk's frames differ from tick %d on; see %s/%d.png"
                          % (tick, OUT, tick))
        listed = dict(got)
        for tick in shots:
            self.assertEqual(png_crc("%s/%d.png" % (OUT, tick)), listed[tick], tick)
        self.assertGreater(len(set(listed.values())), 100)

    def test_cut_file_plays_to_its_last_tick_drawing_only_while_shown(self):
        # Hidden for ticks 10 to 19; and a recording that cannot be made only warns.
        replay = rf.Replay().keys((2, "Right")).state(10, 0).state(20, rf.SHOWN).keys((70, "p"))
        with Workdir() as work:
            result = replay_run(work, replay.bytes()[:-11],  # cut after p's key down
                                ["-frames", "d", "-shot", "59,60", "-record", "no/such"])
            self.assertEqual(result.status, 0)
            self.assertEqual(result.lines[3:5],
                             [NO_DEFAULTS, "Warning: replay r has no end record"])
            self.assertEqual(result.lines[-3:], [
                "Initializing video mode...", "Warning: couldn't open no/such for recording", END])
            self.assertEqual([tick for tick, _ in frames(work.path + "/d")],
                             [tick for tick in range(70) if not 10 <= tick < 20])
            counters = [lit_box(work.path + "/d/%d.png" % tick) for tick in (59, 60)]
        font = GlyphSheet()
        self.assertEqual(counters, [lit_box(font.render(text, 0, 232))
                                    for text in ("FPS: 0", "FPS: 60")])

    def test_benchmark_table_counts_each_stage_frames(self):
        keys = rf.Replay().keys((30, "Right"), (50, "Right"), (80, "Right"), (85, "Right"))
        with Workdir() as work:
            result = replay_run(work, keys.end(100).bytes(), ["-benchmark"])
        table = result.lines[-8:]
        self.assertEqual(table[0], "stage frames median_ms min_ms max_ms")
        for line, row in zip(table[1:6], ["title 30", "rotatescale 20", "polygons 30", "tiles 5",
                                          "sound 15"]):
            self.assertRegex(line, "^%s( \\d+\\.\\d{3}){3}$" % row)
        self.assertRegex(table[6], r"^whole run: 100 frames, \d+\.\d frames/s$")
        self.assertEqual(table[7], END)

    def test_signal_while_recording_ends_with_quit_and_end_at_its_tick(self):
        # The golden walk without its x, so it runs on until the signal: a second replay.
        with open(os.path.join(GOLDEN, "walk.replay"), "rb") as f:
            walk = f.read()
        seed, records = rf.read(walk)
        kept = [r for r in records if r[0] < records[-1][0]]
        with Workdir() as work:
            work.write("r", walk[:21] + b"".join(rf.record(*r) for r in kept)
                       + rf.record(10 ** 7, rf.END))
            result = run(work, ["-replay", "r", "-record", "out", "-frames", "d"], settle=1.0)
            recorded = rf.read(work.read("out"))
            shown = frames(work.path + "/d")
        tick = recorded[1][-1][0]
        self.assertEqual(result.status, 0)
        self.assertEqual(recorded, (seed, [r for r in kept if r[0] <= tick]
                                    + [(tick, rf.QUIT), (tick, rf.END)]))
        self.assertEqual(shown, frames(GOLDEN, "walk.frames")[:tick])
        self.assertGreater(tick, 0)

    def test_live_screenshot_is_the_replayed_frame_before_its_tick(self):
        from PIL import Image

        green = Image.new("RGB", (320, 150), (0, 255, 0))
        with XSession(["-fasttime", "-record", "live"]) as session:
            session.key("p", "p")
            session.settled_screenshot()
            # Loose files take precedence over the archive, so only the restore's reload
            # picks this logo up.
            green.save(os.path.join(session.game_dir(), "logo.png"))
            os.renames(os.path.join(session.game_dir(), "logo.png"),
                       os.path.join(session.game_dir(), "demo1", "OLM Logo.png"))
            session.hide_and_show()
            shot = session.settled_screenshot()
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            with open(session.path("live"), "rb") as f:
                data = f.read()
        self.assertGreater(sum(row.count((0, 255, 0)) for row in shot[2]), 1000)
        tick = [r[0] for r in rf.read(data)[1] if r[1] == rf.KEY_DOWN and r[4] == ord("s")][-1]
        with Workdir() as work:
            green.save(work.write("base/demo1/OLM Logo.png", b""))
            replay_run(work, data, ["-frames", "d", "-shot", str(tick - 1)])
            frame = Image.open("%s/d/%d.png" % (work.path, tick - 1)).convert("RGB")
        outside_counter = [(x, y) for y in range(240) for x in range(320) if x >= 80 or y < 232]
        self.assertEqual([p for p in outside_counter
                          if frame.getpixel(p) != shot[2][p[1]][p[0]]], [])
