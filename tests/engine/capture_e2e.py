"""F9, F12 and -gif from outside: GIFs decoded by PIL against the frames of their replay, the
two kinds of recording side by side, recordings that fail or have no picture, and the names."""
import os
import re
import resource
import subprocess
import unittest
from collections import namedtuple

import replayfile as rf
from PIL import Image, ImageChops, ImageStat
from engine import ENGINE, Workdir
from replayfile import F9, F12
from xsession import XSession

END = "Exiting Tarvo Engine."
WALK = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "tests", "golden", "walk.replay")
SANITIZED = os.environ.get("TARVO_SANITIZE")  # slow, and its allocator hides the memory measure
SAVED = re.compile(r"Saved recording (\S+) \((\d+) pictures, (\d+) ticks\)")
NO_PICTURES = "Warning: recording %s has no pictures; nothing saved"
NOT_WRITTEN = "Error: -gif: %s was not written\n"
STOPPED = "Warning: couldn't write %s; recording stopped"
GIF = ["-gif", "g.gif"]

Run = namedtuple("Run", "status lines stderr peak_kib")


def cs(tick):  # round(100 tick / 60): 5 tick / 3 is never a tie
    return (100 * tick + 30) // 60


def polygons(end, *keys, states=()):
    """A replay into the polygon stage (spinning from tick 3) that ends at tick end, with keys
    as (tick, name or symbol) and window states as (tick, state)."""
    replay = rf.Replay().keys((1, "Right"), (2, "Right"), *keys)
    for tick, state in states:
        replay.add(tick, rf.STATE, state)
    replay.records.sort(key=lambda r: r.tick)
    return replay.add(end, rf.END).bytes()


def pictures(path):
    """Each picture of a GIF as a viewer composes it, and its duration in ms."""
    with Image.open(path) as gif:
        return [(gif.seek(i) or gif.convert("RGB"), gif.info["duration"])
                for i in range(gif.n_frames)]


def saved(lines):
    """{name: (pictures, ticks)} of the recordings the log says were saved."""
    return {m[1]: (int(m[2]), int(m[3])) for m in map(SAVED.fullmatch, lines) if m}


def replay(work, data, args=(), limit=None):
    """Writes the replay data as r and runs it to its end."""
    work.write("r", data)
    with open(work.path + "/log", "wb") as log, open(work.path + "/err", "wb") as err:
        child = subprocess.Popen([ENGINE, "-replay", "r", *args], cwd=work.path, stdout=log,
                                 stderr=err, preexec_fn=limit,
                                 env=dict(os.environ, SDL_VIDEODRIVER="dummy",
                                          SDL_AUDIODRIVER="dummy"))
        status, usage = os.wait4(child.pid, 0)[1:]
        child.returncode = status  # reaped here, for its resource usage
    return Run(os.waitstatus_to_exitcode(status), work.read("log").decode().splitlines(),
               work.read("err").decode(), usage.ru_maxrss)


class Pictures(unittest.TestCase):
    def test_pictures_match_the_frames_of_their_ticks(self):
        start, end = 500, 1224  # the walk from the title to its x; -to is its last frame
        with Workdir() as work:
            with open(WALK, "rb") as f:
                run = replay(work, f.read(), ["-frames", "d", *GIF, "-from", str(start),
                                              "-shot", ",".join(map(str, range(start, end, 2)))])
            crcs = dict(map(str.split, work.read("d/frames.txt").decode().splitlines()))
            shown = pictures(work.path + "/g.gif")
            # A picture per two ticks; equal neighbours and a last one under 2 cs merge.
            ticks = [0] + [t for t in range(2, end - start, 2)
                           if crcs[str(start + t)] != crcs[str(start + t - 2)]]
            if cs(end - start) - cs(ticks[-1]) < 2:
                ticks.pop()
            self.assertEqual(saved(run.lines), {"g.gif": (len(ticks), end - start)})
            self.assertEqual([ms for _, ms in shown], [10 * (cs(b) - cs(a)) for a, b in
                                                       zip(ticks, ticks[1:] + [end - start])])
            for tick, (picture, _) in zip(ticks, shown):
                frame = Image.open("%s/d/%d.png" % (work.path, start + tick)).convert("RGB")
                error = ImageChops.difference(picture, frame)
                exact = frame.getcolors(255) is not None  # quantised pictures may differ a little
                with self.subTest(tick=start + tick):
                    self.assertLessEqual(sum(ImageStat.Stat(error).mean) / 3, 0 if exact else 3.5)
                    self.assertLessEqual(max(high for _, high in error.getextrema()),
                                         0 if exact else 32)

    def test_picture_shows_for_as_long_as_the_game_ran_it(self):
        # Paused from tick 10: every frame of the range is the same picture.
        with Workdir() as work:
            run = replay(work, polygons(400, (10, "p")), [*GIF, "-from", "61"])
            shown = pictures(work.path + "/g.gif")
        self.assertEqual(saved(run.lines), {"g.gif": (1, 339)})
        self.assertEqual([ms for _, ms in shown], [10 * cs(339)])

    @unittest.skipIf(SANITIZED, "the sanitizers' allocator hides the measure")
    def test_memory_while_recording_stays_as_without(self):
        # 20 s of spinning cubes, every picture different.
        peaks = []
        for args in ([], [*GIF, "-from", "60"]):
            with Workdir() as work:
                run = replay(work, polygons(1270), args)
                peaks.append(run.peak_kib)
        self.assertEqual(saved(run.lines), {"g.gif": (605, 1210)})
        self.assertLess(peaks[1] - peaks[0], 8 * 1024)


class F9InAReplay(unittest.TestCase):
    """F9 at 100 and 180, F12 and s at 150 (the same screen, the dot on it), against -gif over
    the same ticks."""

    @classmethod
    def setUpClass(cls):
        cls.work = Workdir()
        cls.addClassCleanup(cls.work.__exit__)
        with Workdir() as work:
            cls.gif = replay(work, polygons(200), [*GIF, "-from", "100", "-to", "180"])
            cls.gif_bytes = work.read("g.gif")
        cls.f9 = replay(cls.work, polygons(200, (100, F9), (150, F12), (150, "s"), (180, F9)))

    def test_gif_range_is_byte_for_byte_the_f9_recording(self):
        self.assertEqual(saved(self.f9.lines), {"kelda-0001.gif": saved(self.gif.lines)["g.gif"]})
        self.assertEqual(self.work.read("kelda-0001.gif"), self.gif_bytes)

    def test_recording_lasts_from_its_first_frame_to_its_stop(self):
        shown = pictures(self.work.path + "/kelda-0001.gif")
        self.assertEqual(saved(self.f9.lines)["kelda-0001.gif"], (len(shown), 81))
        self.assertEqual(sum(ms for _, ms in shown), 10 * cs(81))

    def test_screenshot_is_the_frame_without_the_dot(self):
        png = Image.open(self.work.path + "/kelda-0001.png")
        bmp = Image.open(self.work.path + "/kelda.bmp").convert("RGB")
        self.assertEqual(png.tobytes(), bmp.tobytes())
        self.assertEqual(png.getpixel((312, 4)), (0, 0, 0))


Apart = namedtuple("Apart", "name keys saved")


class F9AndGif(unittest.TestCase):
    def test_each_keeps_its_own_name_and_range(self):
        rows = [
            Apart("F9 inside the range", [(100, F9), (120, F9)],
                  {"g.gif": 101, "kelda-0001.gif": 21}),
            Apart("F9 running at -from and stopped after -to", [(40, F9), (160, F9)],
                  {"g.gif": 101, "kelda-0001.gif": 121}),
        ]
        for row in rows:
            with self.subTest(row.name), Workdir() as work:
                run = replay(work, polygons(200, *row.keys), [*GIF, "-from", "50", "-to", "150"])
                self.assertEqual({name: ticks for name, (_, ticks) in saved(run.lines).items()},
                                 row.saved)


Empty = namedtuple("Empty", "name file replay args status stderr")


class Failures(unittest.TestCase):
    def test_recording_without_pictures_saves_nothing(self):
        rows = [
            Empty("F9 and x in one tick", "kelda-0001.gif", polygons(200, (100, F9), (100, "x")),
                  [], 0, ""),
            Empty("a range spent iconified", "g.gif", polygons(200, states=[(40, 0), (120, 7)]),
                  [*GIF, "-from", "50", "-to", "100"], 1, NOT_WRITTEN % "g.gif"),
            Empty("F9 at the end record's tick", "kelda-0001.gif", polygons(200, (200, F9)), [], 0,
                  ""),
            Empty("-from at the end record's tick", "g.gif", polygons(200), [*GIF, "-from", "200"],
                  1, NOT_WRITTEN % "g.gif"),
            Empty("-from past the end", "g.gif", polygons(200), [*GIF, "-from", "300"], 1,
                  NOT_WRITTEN % "g.gif"),
        ]
        for row in rows:
            with self.subTest(row.name), Workdir() as work:
                run = replay(work, row.replay, row.args)
                self.assertIn(NO_PICTURES % row.file, run.lines)
                self.assertFalse(os.path.exists(os.path.join(work.path, row.file)))
                self.assertEqual(run.status, row.status)
                self.assertEqual(run.stderr, row.stderr)

    def test_write_failure_stops_the_recording_and_the_run_goes_on(self):
        Failure = namedtuple("Failure", "name path limit")
        rows = [
            Failure("a file-size limit", "g.gif", lambda: resource.setrlimit(
                resource.RLIMIT_FSIZE, (60000, 60000))),
            Failure("a missing folder", "no/g.gif", None),
        ]
        for row in rows:
            with self.subTest(row.name), Workdir() as work:
                run = replay(work, polygons(300), ["-gif", row.path], row.limit)
                self.assertEqual(run.lines[-2:], [STOPPED % row.path, END])
                self.assertFalse(os.path.exists(os.path.join(work.path, row.path)))
                self.assertEqual(run.stderr, NOT_WRITTEN % row.path)

    def test_numbered_names_pass_over_any_entry(self):
        with Workdir() as work:
            os.symlink("/nonexistent/folder/x", work.path + "/kelda-0001.gif")  # dangling
            os.symlink("kelda-0001.png", work.path + "/kelda-0001.png")  # a loop
            run = replay(work, polygons(200, (50, F9), (60, F9), (100, F12)))
            links = [os.path.islink(work.path + "/kelda-0001." + kind) for kind in ("gif", "png")]
        self.assertEqual(saved(run.lines), {"kelda-0002.gif": (5, 11)})
        self.assertIn("Saved screenshot kelda-0002.png", run.lines)
        self.assertEqual(links, [True, True])


class LiveKeys(unittest.TestCase):
    def test_keys_number_files_and_stay_out_of_the_recording(self):
        session = XSession(["-record", "live"])
        session.work.write("kelda.cfg", b"gifmaxseconds = 1\n")
        names = ["kelda-%04d.gif" % number for number in range(1, 6)]
        with session:
            session.key("F9")
            session.wait_for(lambda: "Saved recording kelda-0001.gif" in session.log(), "limit")
            session.key("p", "F12")
            session.key(*["F9"] * 6, delay_ms=5)
            session.wait_for(lambda: session.log().count("Saved recording") == 4, "three GIFs")
            session.key("F9", "x")  # may land in one tick: then its recording has no picture
            self.assertEqual(session.wait_exit(), 0)
            log = session.log().splitlines()
            counts = {name: len(pictures(session.path(name))) for name in names
                      if os.path.exists(session.path(name))}
            Image.open(session.path("kelda-0001.png")).load()
            recorded = rf.read(session.work.read("live")).records
        self.assertEqual({name: count for name, (count, _) in saved(log).items()}, counts)
        self.assertEqual(sorted(counts)[:4], names[:4])
        if names[4] not in counts:
            self.assertIn(NO_PICTURES % names[4], log)
        self.assertEqual([line for line in log if line.startswith("Recording")],
                         ["Recording " + name for name in names])
        self.assertEqual(saved(log)["kelda-0001.gif"][1], 60)
        self.assertIn("Stopped recording kelda-0001.gif after 1 s", log)
        self.assertIn("Saved screenshot kelda-0001.png", log)
        self.assertEqual(log[-1], END)
        self.assertEqual([r for r in recorded if r.kind in (rf.KEY_DOWN, rf.KEY_UP)
                          and r.sym in (F9, F12)], [])
