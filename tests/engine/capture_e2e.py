"""F9, F12 and -gif from outside: GIFs decoded by PIL against the frames of their replay, what
each run saves or says it could not, and the numbered names."""
import glob
import os
import re
import subprocess
import unittest
from collections import namedtuple

from tarvotest import replayfile as rf
from PIL import Image, ImageChops, ImageStat
from tarvotest.engine import ENGINE, Workdir, file_size_limit
from tarvotest.replayfile import F9, F12
from tarvotest.xsession import XSession

END = "Exiting Tarvo Engine."
WALK = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "tests", "golden", "walk.replay")
SAVED = re.compile(r"Saved recording (\S+) \((\d+) pictures, (\d+) ticks\)")
EMPTY = "Warning: recording %s has no pictures; nothing saved"
STOPPED = "Warning: couldn't write %s; recording stopped"
GIF = ["-gif", "g.gif"]

Run = namedtuple("Run", "status lines stderr peak_kib")
Case = namedtuple("Case", "name replay args limit saved warning")  # saved: {name: (pictures, ticks)}


def cs(tick):  # round(100 tick / 60): 5 tick / 3 is never a tie
    return (100 * tick + 30) // 60


def polygons(end, *keys, states=()):
    """A replay into the polygon stage (spinning from tick 3) that ends at tick end, with keys
    as (tick, name or symbol) and window states as (tick, state)."""
    replay = rf.Replay().keys((1, "Right"), (2, "Right"), *keys)
    replay.records += [rf.State(tick, rf.STATE, state) for tick, state in states]
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


class Recordings(unittest.TestCase):
    def test_pictures_match_the_frames_of_their_ticks(self):
        start, end = 500, 1224  # the walk from the title to its x; -to is its last frame
        with Workdir() as work, open(WALK, "rb") as walk:
            run = replay(work, walk.read(), ["-frames", "d", *GIF, "-from", str(start),
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
                exact = frame.getcolors(255) is not None  # else quantised: a little off
                with self.subTest(tick=start + tick):
                    self.assertLessEqual(sum(ImageStat.Stat(error).mean) / 3, 0 if exact else 3.5)
                    self.assertLessEqual(max(high for _, high in error.getextrema()),
                                         0 if exact else 32)

    def test_each_run_saves_its_recordings_or_says_why_not(self):
        span = [*GIF, "-from", "50", "-to", "150"]
        cases = [  # pictures None: any number
            Case("F9 inside the range", polygons(200, (100, F9), (120, F9)), span, None,
                 {"g.gif": (None, 101), "kelda-0001.gif": (None, 21)}, None),
            Case("F9 running at -from", polygons(200, (40, F9), (160, F9)), span, None,
                 {"g.gif": (None, 101), "kelda-0001.gif": (None, 121)}, None),
            Case("paused: one picture as long as the range", polygons(400, (10, "p")),
                 [*GIF, "-from", "61"], None, {"g.gif": (1, 339)}, None),
            Case("F9 and x in one tick", polygons(200, (100, F9), (100, "x")), [], None, {},
                 EMPTY % "kelda-0001.gif"),
            Case("F9 at the end record's tick", polygons(200, (200, F9)), [], None, {},
                 EMPTY % "kelda-0001.gif"),
            Case("a range spent iconified", polygons(200, states=[(40, 0), (120, rf.SHOWN)]),
                 [*GIF, "-from", "50", "-to", "100"], None, {}, EMPTY % "g.gif"),
            Case("-from at the end", polygons(200), [*GIF, "-from", "200"], None, {},
                 EMPTY % "g.gif"),
            Case("-from past the end", polygons(200), [*GIF, "-from", "300"], None, {},
                 EMPTY % "g.gif"),
            Case("a file-size limit", polygons(300), GIF, file_size_limit(60000), {},
                 STOPPED % "g.gif"),
            Case("a missing folder", polygons(300), ["-gif", "no/g.gif"], None, {},
                 STOPPED % "no/g.gif"),
        ]
        for case in cases:
            with self.subTest(case.name), Workdir() as work:
                run = replay(work, case.replay, case.args, case.limit)
                self.assertEqual(run.lines[-1], END)  # it ran on
                self.assertEqual({name: ticks for name, (_, ticks) in saved(run.lines).items()},
                                 {name: ticks for name, (_, ticks) in case.saved.items()})
                files = glob.glob("**/*.gif", root_dir=work.path, recursive=True)
                self.assertEqual(sorted(files), sorted(case.saved))
                for name, (count, ticks) in case.saved.items():
                    shown = pictures(os.path.join(work.path, name))
                    self.assertEqual(len(shown), saved(run.lines)[name][0])
                    if count is not None:
                        self.assertEqual(len(shown), count)
                    self.assertEqual(sum(ms for _, ms in shown), 10 * cs(ticks))
                if case.warning:
                    self.assertIn(case.warning, run.lines)
                gif = case.args[case.args.index("-gif") + 1] if "-gif" in case.args else None
                failed = gif is not None and gif not in case.saved
                self.assertEqual(run.stderr, "Error: -gif: %s was not written\n" % gif
                                 if failed else "")
                self.assertEqual(run.status, int(failed))

    def test_gif_range_is_byte_for_byte_the_f9_recording(self):
        with Workdir() as work:
            replay(work, polygons(200), [*GIF, "-from", "100", "-to", "180"])
            ranged = work.read("g.gif")
        with Workdir() as work:
            replay(work, polygons(200, (100, F9), (180, F9)))
            self.assertEqual(work.read("kelda-0001.gif"), ranged)

    def test_screenshot_while_recording_is_the_frame_without_the_dot(self):
        with Workdir() as work:  # F12 and s see the same screen
            replay(work, polygons(160, (100, F9), (150, F12), (150, "s")))
            png = Image.open(work.path + "/kelda-0001.png")
            bmp = Image.open(work.path + "/kelda.bmp").convert("RGB")
            self.assertEqual(png.tobytes(), bmp.tobytes())
            self.assertEqual(png.getpixel((312, 4)), (0, 0, 0))

    def test_numbered_names_pass_over_any_entry(self):
        with Workdir() as work:
            os.symlink("/nonexistent/folder/x", work.path + "/kelda-0001.gif")  # dangling
            os.symlink("kelda-0001.png", work.path + "/kelda-0001.png")  # a loop
            run = replay(work, polygons(200, (50, F9), (60, F9), (100, F12)))
            links = [os.path.islink(work.path + "/kelda-0001." + kind) for kind in ("gif", "png")]
        self.assertEqual(saved(run.lines), {"kelda-0002.gif": (5, 11)})
        self.assertIn("Saved screenshot kelda-0002.png", run.lines)
        self.assertEqual(links, [True, True])

    @unittest.skipIf(os.environ.get("TARVO_SANITIZE"), "its allocator hides the measure")
    def test_memory_while_recording_stays_as_without(self):
        peaks = []
        for args in ([], [*GIF, "-from", "60"]):  # 20 s of spinning cubes, every picture new
            with Workdir() as work:
                run = replay(work, polygons(1270), args)
                peaks.append(run.peak_kib)
        self.assertEqual(saved(run.lines), {"g.gif": (605, 1210)})
        self.assertLess(peaks[1] - peaks[0], 8 * 1024)


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
            session.key("F9", "x")  # in one tick, its recording has no picture
            self.assertEqual(session.wait_exit(), 0)
            log = session.log().splitlines()
            files = {name: len(pictures(session.path(name))) for name in names
                     if os.path.exists(session.path(name))}
            Image.open(session.path("kelda-0001.png")).load()
            recorded = rf.read(session.work.read("live")).records
        self.assertEqual({name: count for name, (count, _) in saved(log).items()}, files)
        self.assertEqual(sorted(files)[:4], names[:4])
        if names[4] not in files:
            self.assertIn(EMPTY % names[4], log)
        self.assertEqual([line for line in log if line.startswith("Recording")],
                         ["Recording " + name for name in names])
        self.assertEqual(saved(log)["kelda-0001.gif"][1], 60)
        self.assertIn("Stopped recording kelda-0001.gif after 1 s", log)
        self.assertIn("Saved screenshot kelda-0001.png", log)
        self.assertEqual(log[-1], END)
        self.assertEqual([r for r in recorded if isinstance(r, rf.Key) and r.sym in (F9, F12)], [])
