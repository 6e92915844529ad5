"""F9 and F12 from outside: GIFs decoded by PIL against the frames of their replay."""
import os
import pathlib
import resource
import signal
import subprocess
import unittest

import replayfile as rf
from PIL import Image, ImageChops, ImageStat
from engine import ENGINE, Workdir
from xsession import XSession

END = "Exiting Tarvo Engine."
WALK = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "tests", "golden", "walk.replay")
F9, F12 = 290, 293


def cs(tick):  # round(100 tick / 60): 5 tick / 3 is never a tie
    return (100 * tick + 30) // 60


def polygons(end, *records):
    """A replay into the polygon stage (spinning from tick 3) that ends at tick end."""
    replay = rf.Replay().keys((1, "Right"), (2, "Right"))
    replay.records += records
    return replay.add(end, rf.END).bytes()


def pictures(path):
    """Each picture of a GIF as a viewer composes it, and its duration in ms."""
    with Image.open(path) as gif:
        return [(gif.seek(i) or gif.convert("RGB"), gif.info["duration"])
                for i in range(gif.n_frames)]


def replay(work, args, limit=None):
    """Runs to the replay's end: wait status, log lines and peak resident memory (KiB)."""
    with open(work.path + "/log", "wb") as log:
        process = subprocess.Popen([ENGINE, "-replay", *args], cwd=work.path, stdout=log,
                                   preexec_fn=limit, env=dict(os.environ, SDL_VIDEODRIVER="dummy",
                                                              SDL_AUDIODRIVER="dummy"))
        process.returncode, usage = os.wait4(process.pid, 0)[1:]
    return process.returncode, work.read("log").decode().splitlines(), usage.ru_maxrss


class Recordings(unittest.TestCase):
    def test_pictures_match_the_frames_of_their_ticks(self):
        start, end = 500, 1224  # the walk from the title to its x; -to is its last frame
        with Workdir() as work:
            lines = replay(work, [WALK, "-frames", "d", "-gif", "w.gif", "-from", str(start),
                                  "-shot", ",".join(map(str, range(start, end, 2)))])[1]
            crcs = dict(map(str.split, work.read("d/frames.txt").decode().splitlines()))
            shown = pictures(work.path + "/w.gif")
            # A picture per two ticks; equal neighbours and a last one under 2 cs merge.
            ticks = [0] + [t for t in range(2, end - start, 2)
                           if crcs[str(start + t)] != crcs[str(start + t - 2)]]
            if cs(end - start) - cs(ticks[-1]) < 2:
                ticks.pop()
            self.assertEqual(lines[-2], "Saved recording w.gif (%d pictures, %d ticks)"
                             % (len(ticks), end - start))
            self.assertEqual([ms for _, ms in shown], [10 * (cs(b) - cs(a)) for a, b in
                                                       zip(ticks, ticks[1:] + [end - start])])
            for tick, (picture, _) in zip(ticks, shown):
                frame = Image.open("%s/d/%d.png" % (work.path, start + tick)).convert("RGB")
                error = ImageChops.difference(picture, frame)
                self.assertLessEqual((sum(ImageStat.Stat(error).mean) / 3,
                                      max(high for _, high in error.getextrema())),
                                     (0, 0) if frame.getcolors(255) else (3.5, 32), start + tick)

    def test_gif_is_f9_in_a_replay_faults_warn_and_memory_stays_bounded(self):
        # F9 at 100 and 180; F12 and s at 150, which see the same screen, without the dot.
        f9 = [(tick, kind, key, 0, key if key < 256 else 0) for tick, key in [
            (100, F9), (150, F12), (150, ord("s")), (180, F9)] for kind in (rf.KEY_DOWN, rf.KEY_UP)]
        pause = (10, rf.KEY_DOWN, ord("p"), 0, ord("p"))
        warning = "Warning: couldn't write %s; recording stopped"
        sanitized = os.environ.get("TARVO_SANITIZE")  # slow, and its allocator hides the measure
        end = 300 if sanitized else 1270
        cases = [  # replay, arguments, file, pictures (None: any), ticks or the warning, limit
            (polygons(200, *f9), [], "kelda-0001.gif", None, 81, None),
            (polygons(200), ["-gif", "g.gif", "-from", "100", "-to", "180"], "g.gif", None, 81,
             None),
            (polygons(400, pause), ["-gif", "g.gif", "-from", "61"], "g.gif", 1, 339, None),
            (polygons(300), ["-gif", "g.gif"], "g.gif", 0, warning % "g.gif", lambda: (  # full
                resource.setrlimit(resource.RLIMIT_FSIZE, (60000, 60000)),
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN))),
            (polygons(end), ["-gif", "no/g.gif"], "no/g.gif", 0, warning % "no/g.gif", None),
            # 20 s of spinning cubes, every picture different: memory as without recording.
            (polygons(end), ["-gif", "g.gif", "-from", "60"], "g.gif", (end - 60) // 2, end - 60,
             None),
        ]
        files, peaks = [], []
        for data, args, name, count, ticks, limit in cases:
            with self.subTest(args), Workdir() as work:
                work.write("r", data)
                status, lines, peak = replay(work, ["r", *args], limit)
                peaks.append(peak)
                self.assertEqual((status, lines[-1]), (0, END))  # it ran on
                lines = [line for line in lines if name in line]
                if count == 0:
                    self.assertEqual(lines[-1:], [ticks])
                    self.assertFalse(os.path.exists(os.path.join(work.path, name)))
                    continue
                files.append(work.read(name))
                if not args:
                    png = Image.open(work.path + "/kelda-0001.png")
                    self.assertEqual((png.tobytes(), png.getpixel((312, 4))), (Image.open(
                        work.path + "/kelda.bmp").convert("RGB").tobytes(), (0, 0, 0)))
                shown = pictures(os.path.join(work.path, name))
                self.assertEqual(lines, ["Recording " + name, "Saved recording %s (%d pictures, "
                                         "%d ticks)" % (name, len(shown), ticks)])
                self.assertEqual((count or len(shown), sum(ms for _, ms in shown)),
                                 (len(shown), 10 * cs(ticks)))
        self.assertEqual(files[0], files[1])
        if not sanitized:
            self.assertLess(peaks[-1] - peaks[-2], 8 * 1024)


class LiveKeys(unittest.TestCase):
    def test_keys_number_files_and_stay_out_of_the_recording(self):
        session = XSession(["-record", "live"])
        pathlib.Path(session.path("kelda.cfg")).write_text("gifmaxseconds = 1\n")
        with session:
            session.key("F9")
            session.wait_for(lambda: "Saved recording kelda-0001.gif" in session.log(), "limit")
            session.key("p", "F12")
            session._xdotool("key", "--delay", "5", *["F9"] * 6)
            session.wait_for(lambda: session.log().count("Saved recording") == 4, "three GIFs")
            session.key("F9", "x")
            self.assertEqual(session.wait_exit(), 0)
            log = session.log().splitlines()
            names = ["kelda-%04d.gif" % number for number in range(1, 6)]
            counts = [len(pictures(session.path(name))) for name in names]
            Image.open(session.path("kelda-0001.png")).load()
            data = pathlib.Path(session.path("live")).read_bytes()
        # A stop and a start in one tick may log the next Recording before the Saved line.
        saved = ["Saved recording %s (%d pictures" % pair for pair in zip(names, counts)]
        self.assertEqual(sorted(line.split(", ")[0] for line in log if "ecording kelda" in line),
                         sorted(saved + ["Recording " + name for name in names] +
                                ["Stopped recording kelda-0001.gif after 1 s"]))
        self.assertEqual((log[-1], [line for line in log if "screenshot" in line or "60 t" in
                                    line]),
                         (END, [saved[0] + ", 60 ticks)", "Saved screenshot kelda-0001.png"]))
        self.assertEqual([r for r in rf.read(data)[1] if r[1] in (rf.KEY_DOWN, rf.KEY_UP)
                          and r[2] in (F9, F12)], [])
