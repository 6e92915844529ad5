"""Record and replay from outside: misuse and damaged replays, the golden walk's frames, a
recording ended by a signal, a live recording replayed (the demo's walk sees the rest)."""
import os
import pathlib
import unittest
import zlib

import replayfile as rf
from PIL import Image
from engine import Workdir, run
from xsession import XSession

END = "Exiting Tarvo Engine."
NO_DEFAULTS = "Warning: couldn't read defaults from kelda.cfg"
GOLDEN = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "tests", "golden")
OUT = os.path.join(os.environ.get("TARVO_BUILD_DIR", ""), "golden-walk")


def frames(directory, name="frames.txt"):
    lines = pathlib.Path(directory, name).read_text().splitlines()
    return [(int(tick), crc) for tick, crc in map(str.split, lines)]


class Errors(unittest.TestCase):
    def test_misuse_and_damaged_replays_stop_before_sdl(self):
        good, head = rf.Replay().keys((3, "Right")).add(9, rf.END).bytes(), rf.header()
        damaged = [
            (b"TRVREPLX" + head[8:], "not a replay file at byte 0"),
            (b"TRW", "not a replay file at byte 0"),
            (head[:20], "truncated header at byte 20"),
            (rf.header(version=2), "format version 2 is newer than 1 at byte 8"),
            (rf.header(version=0), "format version 0 is not 1 at byte 8"),
            (good[:-7], "truncated record at byte 32"),
            (head + rf.record(0, 6), "unknown record type 6 at byte 21"),
            (head + rf.record(5, rf.QUIT) + rf.record(4, rf.END), "tick goes backwards at byte 26"),
            (good + b"\0", "data after the end record at byte 48"),
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
        ]
        cases = [(data, "-replay r", "replay r: " + error) for data, error in damaged]
        for data, args, error in cases + [(good, args, error) for args, error in misuse]:
            with self.subTest(error), Workdir() as work:
                work.write("r", data)
                result = run(work, args.split(), until=END)
                self.assertEqual(result.status, 1)
                self.assertEqual(result.stderr.splitlines()[0], "Error: " + error)
                self.assertEqual(result.lines[-3:], ["Reading defaults...", NO_DEFAULTS, END])


class Playback(unittest.TestCase):
    def test_golden_walk_draws_its_committed_frames(self):
        shots = [0, 300, 700, 1100]
        args = ["-replay", os.path.join(GOLDEN, "walk.replay"), "-frames", OUT, "-shot"]
        with Workdir() as work:
            status = run(work, args + ["0,300,700,1100"], until=END, timeout=240).status
            got, expected = frames(OUT), frames(GOLDEN, "walk.frames")
            self.assertEqual(status, 0)
            if got != expected:
                tick = next((a[0] for a, b in zip(got, expected) if a != b), len(got))
                run(work, args + [str(tick)], until=END, timeout=240)
                self.fail("the walk's frames differ from tick %d on; see %s/%d.png"
                          % (tick, OUT, tick))
        for tick in shots:
            rgb = Image.open("%s/%d.png" % (OUT, tick)).convert("RGB").tobytes()
            self.assertEqual("%08x" % zlib.crc32(rgb), dict(got)[tick], tick)
        self.assertGreater(len(set(crc for _, crc in got)), 100)

    def test_signal_while_recording_ends_with_quit_and_end_at_its_tick(self):
        # The golden walk without its x, so it runs on until the signal: a second replay.
        with open(os.path.join(GOLDEN, "walk.replay"), "rb") as f:
            seed, records = rf.read(f.read())
        replay = rf.Replay(seed)
        replay.records = [r for r in records if r[0] < records[-1][0]]
        with Workdir() as work:
            work.write("r", replay.add(10 ** 7, rf.END).bytes())
            result = run(work, ["-replay", "r", "-record", "out", "-frames", "d"], settle=1.0)
            recorded, shown = rf.read(work.read("out")), frames(work.path + "/d")
        tick = recorded[1][-1][0]
        self.assertEqual((result.status, recorded), (0, (seed, [
            r for r in replay.records if r[0] <= tick] + [(tick, rf.QUIT), (tick, rf.END)])))
        golden = frames(GOLDEN, "walk.frames")  # beyond it, the sound stage runs on
        self.assertEqual(shown[:len(golden)], golden[:tick])
        self.assertEqual((len(shown), tick > 0), (tick, True))

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
            data = pathlib.Path(session.path("live")).read_bytes()
        self.assertGreater(sum(row.count((0, 255, 0)) for row in shot[2]), 1000)
        tick = [r[0] for r in rf.read(data)[1] if r[1] == rf.KEY_DOWN and r[4] == ord("s")][-1]
        with Workdir() as work:
            green.save(work.write("base/demo1/OLM Logo.png", b""))
            work.write("r", data)
            run(work, ["-replay", "r", "-frames", "d", "-shot", str(tick - 1)], until=END)
            frame = Image.open("%s/d/%d.png" % (work.path, tick - 1)).convert("RGB")
        self.assertEqual([(x, y) for x in range(320) for y in range(240) if (x >= 80 or y < 232)
                          and frame.getpixel((x, y)) != shot[2][y][x]], [])
