"""Record and replay from outside: misuse and damaged replays, outputs that cannot be written,
the golden walk's frames, a recording ended by a signal, a live recording replayed (the demo's
walk sees the rest)."""
import os
import pathlib
import unittest
import zlib
from collections import namedtuple

from tarvotest import replayfile as rf
from PIL import Image
from tarvotest.engine import Workdir, file_size_limit, run
from tarvotest.xsession import XSession

END = "Exiting Tarvo Engine."
NO_DEFAULTS = "Warning: couldn't read defaults from kelda.cfg"
GOLDEN = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "tests", "golden")
OUT = os.path.join(os.environ.get("TARVO_BUILD_DIR", ""), "golden-walk")
GOOD = rf.Replay().keys((3, "Right")).add(9, rf.END).bytes()
HEAD = rf.header()

Frame = namedtuple("Frame", "tick crc")
Refusal = namedtuple("Refusal", "replay args error")
Unwritable = namedtuple("Unwritable", "name prepare frames limit error left")


def frames(directory, name="frames.txt"):
    lines = pathlib.Path(directory, name).read_text().splitlines()
    return [Frame(int(tick), crc) for tick, crc in map(str.split, lines)]


class Errors(unittest.TestCase):
    def test_misuse_and_damaged_replays_stop_before_sdl(self):
        damaged = [
            (b"TRVREPLX" + HEAD[8:], "not a replay file at byte 0"),
            (b"TRW", "not a replay file at byte 0"),
            (HEAD[:20], "truncated header at byte 20"),
            (rf.header(version=3), "format version 3 is newer than 2 at byte 8"),
            (rf.header(version=0), "format version 0 is not 1 at byte 8"),
            (GOOD[:-7], "truncated record at byte 32"),
            (HEAD + rf.record(0, rf.PAD_AXIS, 0, 0, 0), "unknown record type 6 at byte 21"),
            (HEAD + rf.record(5, rf.QUIT) + rf.record(4, rf.END), "tick goes backwards at byte 26"),
            (GOOD + b"\0", "data after the end record at byte 48"),
        ]
        misuse = [
            ("-replay", "-replay needs a value"),
            ("-replay no", "replay no: cannot open (No such file or directory)"),
            ("-frames d", "-frames needs -replay"),
            ("-shot 1", "-shot needs -replay"),
            ("-benchmark", "-benchmark needs -replay"),
            ("-replay r -record", "-record needs a value"),
            ("-replay r -shot 1", "-shot needs -frames"),
            ("-replay r -frames", "-frames needs a value"),
            ("-replay r -frames d -shot", "-shot needs a value"),
            ("-replay r -frames d -shot 1,,2", '-shot: bad tick list "1,,2"'),
            ("-replay r -frames r/d", "-frames: cannot create r/d (Not a directory)"),
            ("-gif g", "-gif needs -replay"),
            ("-replay r -gif -from 1", "-gif needs a value"),
            ("-replay r -gif g -from 1x", '-from: bad tick "1x"'),
            ("-replay r -gif g -from 9 -to 5", '-to: bad tick "5"'),
            ("-savedir -replay r", "-savedir needs a value"),
        ]
        rows = ([Refusal(data, "-replay r", "replay r: " + error) for data, error in damaged]
                + [Refusal(GOOD, args, error) for args, error in misuse])
        for row in rows:
            with self.subTest(row.error), Workdir() as work:
                work.write("r", row.replay)
                result = run(work, row.args.split(), until=END)
                self.assertEqual(result.status, 1)
                self.assertEqual(result.stderr.splitlines()[0], "Error: " + row.error)
                self.assertEqual(result.lines[-3:], ["Reading defaults...", NO_DEFAULTS, END])


class Outputs(unittest.TestCase):
    def test_frames_that_cannot_be_written_end_the_run_and_leave_nothing(self):
        too_long = "a/" + "x" * 256
        rows = [  # left: what the first folder of -frames holds afterwards, None: no folder
            Unwritable("the list cannot be created", lambda work: os.makedirs(
                work.path + "/d/frames.txt"), "d", None,
                "cannot write d/frames.txt (Is a directory)", ["frames.txt"]),
            Unwritable("a full disk", lambda work: (os.mkdir(work.path + "/d"), os.symlink(
                "/dev/full", work.path + "/d/frames.txt")), "d", None,
                "cannot write d/frames.txt (No space left on device)", []),
            Unwritable("a shot's name taken by a folder", lambda work: os.makedirs(
                work.path + "/d/100.png"), "d -shot 100", None,
                "cannot write d/100.png (Is a directory)", ["100.png"]),
            Unwritable("a shot past a file-size limit", None, "a/b -shot 100",
                       file_size_limit(2000), "cannot write a/b/100.png (File too large)", None),
            Unwritable("a folder that cannot be created", None, too_long, None,
                       "cannot create %s (File name too long)" % too_long, None),
        ]
        replay = rf.Replay().keys((1, "Right"), (2, "Right")).add(200, rf.END).bytes()
        for row in rows:
            with self.subTest(row.name), Workdir() as work:
                if row.prepare:
                    row.prepare(work)
                work.write("r", replay)
                result = run(work, ["-replay", "r", "-frames", *row.frames.split()], until=END,
                             limit=row.limit)
                self.assertEqual(result.status, 1)
                self.assertEqual(result.stderr.splitlines()[0], "Error: -frames: " + row.error)
                folder = os.path.join(work.path, row.frames[0])
                self.assertEqual(os.listdir(folder) if os.path.exists(folder) else None, row.left)

    def test_recording_that_cannot_be_written_is_cut_to_whole_records_and_the_run_goes_on(self):
        replay = rf.Replay()
        for tick in range(3, 400):  # 6 bytes a record, far more than the limit holds
            replay.add(tick, rf.STATE, rf.SHOWN).add(tick, rf.STATE, rf.SHOWN)
        kept = 679  # the 680th record, at tick 342, fails after part of its bytes
        for room, end in [(5, [rf.Mark(342, rf.END)]), (4, [])]:  # an end record where it fits
            with self.subTest(room=room), Workdir() as work:
                work.write("r", replay.bytes() + rf.record(400, rf.END))
                result = run(work, ["-replay", "r", "-record", "out"], until=END,
                             limit=file_size_limit(len(rf.header(version=2)) + 6 * kept + room))
                self.assertEqual(result.status, 0)
                self.assertEqual(result.lines[-2:],
                                 ["Warning: couldn't write out; recording stopped", END])
                self.assertEqual(rf.read(work.read("out")).records, replay.records[:kept] + end)


class Playback(unittest.TestCase):
    def test_golden_walk_draws_its_committed_frames(self):
        shots = [0, 300, 700, 1100]
        args = ["-replay", os.path.join(GOLDEN, "walk.replay"), "-frames", OUT, "-shot"]
        with Workdir() as work:
            status = run(work, args + ["0,300,700,1100"], until=END, timeout=240).status
            got, expected = frames(OUT), frames(GOLDEN, "walk.frames")
            self.assertEqual(status, 0)
            if got != expected:
                tick = next((a.tick for a, b in zip(got, expected) if a != b), len(got))
                run(work, args + [str(tick)], until=END, timeout=240)
                self.fail("the walk's frames differ from tick %d on; see %s/%d.png"
                          % (tick, OUT, tick))
        crcs = dict(got)
        for tick in shots:
            rgb = Image.open("%s/%d.png" % (OUT, tick)).convert("RGB").tobytes()
            self.assertEqual("%08x" % zlib.crc32(rgb), crcs[tick], tick)
        self.assertGreater(len(set(crcs.values())), 100)

    def test_signal_while_recording_ends_with_quit_and_end_at_its_tick(self):
        # The golden walk without its x, so it runs on until the signal: a second replay.
        with open(os.path.join(GOLDEN, "walk.replay"), "rb") as f:
            walk = rf.read(f.read())
        replay = rf.Replay(walk.seed)
        replay.records = [r for r in walk.records if r.tick < walk.records[-1].tick]
        with Workdir() as work:
            work.write("r", replay.add(10 ** 7, rf.END).bytes())
            result = run(work, ["-replay", "r", "-record", "out", "-frames", "d"], settle=1.0)
            recorded, shown = rf.read(work.read("out")), frames(work.path + "/d")
        tick = recorded.records[-1].tick
        self.assertEqual(result.status, 0)
        self.assertGreater(tick, 0)
        self.assertEqual(recorded, (walk.seed, [r for r in replay.records if r.tick <= tick]
                                    + [rf.Mark(tick, rf.QUIT), rf.Mark(tick, rf.END)]))
        self.assertEqual(len(shown), tick)
        golden = frames(GOLDEN, "walk.frames")  # beyond it, the sound stage runs on
        self.assertEqual(shown[:len(golden)], golden[:tick])

    def test_live_screenshot_is_the_replayed_frame_before_its_tick(self):
        green = Image.new("RGB", (320, 150), (0, 255, 0))
        with XSession(["-fasttime", "-record", "live"]) as session:
            session.key("p", "p")
            session.settled_screenshot()
            # A loose logo takes precedence over the archive's: only the restore's reload sees it.
            green.save(session.work.write("base/demo1/OLM Logo.png", b""))
            session.hide_and_show()
            shot = session.settled_screenshot()
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)
            data = session.work.read("live")
        self.assertGreater(sum(row.count((0, 255, 0)) for row in shot[2]), 1000)
        tick = [r.tick for r in rf.read(data).records
                if r.kind == rf.KEY_DOWN and r.unicode == ord("s")][-1]
        with Workdir() as work:
            green.save(work.write("base/demo1/OLM Logo.png", b""))
            work.write("r", data)
            run(work, ["-replay", "r", "-frames", "d", "-shot", str(tick - 1)], until=END)
            frame = Image.open("%s/d/%d.png" % (work.path, tick - 1)).convert("RGB")
        self.assertEqual([(x, y) for x in range(320) for y in range(240) if (x >= 80 or y < 232)
                          and frame.getpixel((x, y)) != shot[2][y][x]], [])
