"""Screenshots and GIF recordings, decoded by PIL: pictures against the replay's own frames,
their timing, the fault warnings, bounded memory, and the live keys under Xvfb."""
import os
import pathlib
import resource
import signal
import subprocess
import unittest

import replayfile as rf
from PIL import Image, ImageChops, ImageStat
from engine import ENGINE, Workdir, run
from xsession import XSession

END = "Exiting Tarvo Engine."
WALK = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "tests", "golden", "walk.replay")
F9, F12 = 290, 293


def cs(tick):
    """Centiseconds from the start of a recording to tick: round(100 tick / 60), never a tie."""
    return (100 * tick + 30) // 60


def polygons(end, *records):
    """A replay into the polygon stage (spinning from tick 3) that ends at tick end."""
    replay = rf.Replay().keys((1, "Right"), (2, "Right"))
    for record in records:
        replay.add(*record)
    return replay.add(end, rf.END).bytes()


def pictures(path):
    """Each picture of a GIF as a viewer shows it (composed over the ones before) and its
    duration in ms."""
    with Image.open(path) as gif:
        shown = []
        for index in range(gif.n_frames):
            gif.seek(index)
            shown.append((gif.convert("RGB"), gif.info["duration"]))
    return shown


def frame_list(path):
    return dict(map(str.split, pathlib.Path(path).read_text().splitlines()))


class Recordings(unittest.TestCase):
    def test_pictures_match_the_frames_of_their_ticks(self):
        start, end = 300, 1224  # the walk from the paused title to its x; -to is its last frame
        even = ",".join(str(tick) for tick in range(start, end, 2))
        with Workdir() as work:
            result = run(work, ["-replay", WALK, "-frames", "d", "-shot", even, "-gif", "w.gif",
                                "-from", str(start)], until=END, timeout=120)
            crcs, shown = frame_list(work.path + "/d/frames.txt"), pictures(work.path + "/w.gif")
            # The expected pictures: one per two ticks, equal neighbours and a last picture
            # shorter than 2 cs merged into the one before.
            ticks = [0]
            for tick in range(2, end - start, 2):
                if crcs[str(start + tick)] != crcs[str(start + ticks[-1])]:
                    ticks.append(tick)
            if cs(end - start) - cs(ticks[-1]) < 2:
                ticks.pop()
            self.assertEqual(result.lines[-3:], [
                "Recording w.gif", "Saved recording w.gif (%d pictures, %d ticks)"
                % (len(ticks), end - start), END])
            self.assertEqual([ms for _, ms in shown],
                             [10 * (cs(b) - cs(a)) for a, b in zip(ticks, ticks[1:] + [end - start])])
            for tick, (picture, _) in zip(ticks, shown):
                frame = Image.open("%s/d/%d.png" % (work.path, start + tick)).convert("RGB")
                difference = ImageChops.difference(picture, frame)
                worst = max(high for _, high in difference.getextrema())
                mean = sum(ImageStat.Stat(difference).mean) / 3
                if frame.getcolors(255):
                    self.assertEqual(worst, 0, start + tick)
                else:
                    self.assertLessEqual((mean, worst), (3.5, 32), start + tick)

    def test_gif_range_is_f9_at_its_ends_and_a_pause_is_one_picture(self):
        keys = [(tick, kind, F9, 0, 0) for tick in (100, 180) for kind in (rf.KEY_DOWN, rf.KEY_UP)]
        cases = [  # replay, -gif arguments, the recording's file, pictures, ticks
            (polygons(200, *keys), [], "kelda-0001.gif", None, 81),
            (polygons(200), ["-gif", "g.gif", "-from", "100", "-to", "180"], "g.gif", None, 81),
            (polygons(400, (10, rf.KEY_DOWN, ord("p"), 0, ord("p"))),
             ["-gif", "p.gif", "-from", "61"], "p.gif", 1, 339),
        ]
        files = []
        for replay, args, name, count, ticks in cases:
            with self.subTest(name), Workdir() as work:
                work.write("r", replay)
                result = run(work, ["-replay", "r", *args], until=END)
                files.append(work.read(name))
                count = count or len(pictures(os.path.join(work.path, name)))
                self.assertEqual(result.lines[-3:], ["Recording " + name, "Saved recording %s (%d "
                                 "pictures, %d ticks)" % (name, count, ticks), END])
                shown = pictures(os.path.join(work.path, name))
                self.assertEqual((len(shown), sum(ms for _, ms in shown)), (count, 10 * cs(ticks)))
        self.assertEqual(files[0], files[1])

    def test_write_faults_warn_once_and_the_demo_runs_on(self):
        def small_files():
            resource.setrlimit(resource.RLIMIT_FSIZE, (60000, 60000))
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)

        cases = [("missing/out.gif", None), ("out.gif", small_files)]  # cannot create; disk full
        for path, limit in cases:
            with self.subTest(path), Workdir() as work:
                work.write("r", polygons(300))
                result = run(work, ["-replay", "r", "-gif", path], until=END, preexec=limit)
                self.assertEqual(result.status, 0, result.stderr)
                self.assertEqual([line for line in result.lines if "out.gif" in line and
                                  not line.startswith("Recording")],
                                 ["Warning: couldn't write %s; recording stopped" % path])
                self.assertEqual(result.lines[-1], END)
                self.assertFalse(os.path.exists(os.path.join(work.path, path)))

    @unittest.skipIf(os.environ.get("TARVO_SANITIZE"), "the sanitizers' own memory hides it")
    def test_twenty_seconds_of_changing_pictures_keep_memory_bounded(self):
        peaks = []
        with Workdir() as work:
            work.write("r", polygons(1270))
            for args in ([], ["-gif", "m.gif", "-from", "60"]):
                with open(work.path + "/log", "wb") as log:
                    process = subprocess.Popen(
                        [ENGINE, "-replay", "r", *args], cwd=work.path, stdout=log,
                        env=dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy"))
                    _, status, usage = os.wait4(process.pid, 0)
                process.returncode = os.waitstatus_to_exitcode(status)
                peaks.append((process.returncode, usage.ru_maxrss))  # KiB
            saved = work.read("log").decode().splitlines()[-2]
        self.assertEqual((peaks[0][0], peaks[1][0]), (0, 0))
        # The cubes spin: no two pictures are alike, so none merge.
        self.assertEqual(saved, "Saved recording m.gif (605 pictures, 1210 ticks)")
        self.assertLess(peaks[1][1] - peaks[0][1], 8 * 1024)


class LiveKeys(unittest.TestCase):
    def test_keys_number_files_and_stay_out_of_the_recording(self):
        session = XSession(["-record", "live"])
        pathlib.Path(session.path("kelda.cfg")).write_text("gifmaxseconds = 1\n")
        with session:
            session.key("F9")
            session.wait_for(lambda: "Saved recording kelda-0001.gif" in session.log(), "limit")
            for key in ("Right", "Right", "p"):  # the paused polygon stage stands still
                session.key(key)
                session.settled_screenshot()
            session.key("F12")
            shot = session.screenshot()  # the same paused frame, but for the FPS counter
            session._xdotool("key", "--delay", "5", *["F9"] * 6)
            session.wait_for(lambda: session.log().count("Saved recording") == 4, "three GIFs")
            session.key("F9", "x")
            self.assertEqual(session.wait_exit(), 0)
            log = session.log().splitlines()
            names = ["kelda-%04d.gif" % number for number in range(1, 6)]
            counts = [len(pictures(session.path(name))) for name in names]
            png = Image.open(session.path("kelda-0001.png")).convert("RGB")
            data = pathlib.Path(session.path("live")).read_bytes()
        # A stop and a start in one tick: the next recording begins before this one's end.
        self.assertEqual({name: [line.split(" (")[0] for line in log if " %s" % name in line]
                          for name in names},
                         {name: ["Recording " + name] + (["Stopped recording %s after 1 s" % name]
                                 if name == names[0] else []) + ["Saved recording " + name]
                          for name in names})
        saved = [line for line in log if line.startswith("Saved recording")]
        self.assertEqual(sorted(line.rsplit(", ", 1)[0] for line in saved),
                         ["Saved recording %s (%d pictures" % pair for pair in zip(names, counts)])
        self.assertTrue(saved[0].endswith(", 60 ticks)"), saved[0])
        self.assertEqual((log[-1], [line for line in log if "screenshot" in line]),
                         (END, ["Saved screenshot kelda-0001.png"]))
        self.assertEqual([r for r in rf.read(data)[1] if r[1] in (rf.KEY_DOWN, rf.KEY_UP)
                          and r[2] in (F9, F12)], [])
        self.assertEqual([(x, y) for x in range(320) for y in range(240) if (x >= 80 or y < 232)
                          and png.getpixel((x, y)) != shot[2][y][x]], [])
