"""The monkey: random keys, focus changes and iconify/restore against the demo under Xvfb,
an eighth of the time in each stage and the rest in the sound stage. Judged from its recording
replayed headless: key events in every stage, one logo warning per restore (the loose logo is
removed once loaded, and the pak holds none), x's exit status, no sanitizer report; with
max_rss_growth, the resident memory's growth from the warm-up (a tenth of the time into the
sound stage) to the end. A failed run keeps its recording and prints how to replay it.
"""

import io
import os
import random
import re
import shutil
import tempfile
import time
import zipfile

from . import replayfile as rf
from . import xsession
from .engine import play, resident_kib

LOGO = "demo1/OLM Logo.png"
WARNING = "Warning: Couldn't open image file '%s'." % LOGO
STAGES = ["title", "rotatescale", "polygons", "tiles", "sound"]  # as -benchmark names them
SHOWN_AS = ["title", "rotate-scale", "polygons", "tiles", "sound"]  # as xsession names them
# x ends the run, so only its shifted form is random; Right would leave a stage early; F9 and
# F12 are capture keys.
LETTERS = list("abcdefghijklmnopqrstuvwyz")
KEYS = (["Left", "Up", "Down"] + LETTERS + ["shift+" + c for c in LETTERS + ["x"]]
        + ["F%d" % n for n in range(1, 12) if n != 9])
APP_ACTIVE = 0x04
SANITIZER_REPORT = re.compile(r"ERROR: \w+Sanitizer|runtime error:|LeakSanitizer")


class MonkeyFailure(AssertionError):
    pass


def pak_without_logo(pak):
    """The pak's bytes without the logo, and the logo's."""
    without = io.BytesIO()
    with zipfile.ZipFile(pak) as source, zipfile.ZipFile(without, "w") as target:
        for entry in (e for e in source.infolist() if e.filename != LOGO):
            target.writestr(entry, source.read(entry))
        logo = source.read(LOGO)
    return without.getvalue(), logo  # once closed: the directory comes last


class Monkey:
    def __init__(self, session, rng, font):
        self.session, self.rng, self.font = session, rng, font
        self.keys = self.focus_changes = self.restores = 0
        self.rss = []  # (seconds since start, KiB)
        self.start = self.last_sample = time.monotonic()

    def sample(self):
        now = time.monotonic()
        if now - self.last_sample >= 1.0:
            kib = resident_kib(self.session.game.pid)
            self.rss += [(now - self.start, kib)] if kib is not None else []
            self.last_sample = now

    def play(self, until, keys):
        """Random input until the given monotonic time, starting with a restore so that every
        stage has one; the window is shown and focused after."""
        s, rng = self.session, self.rng
        roll = 0
        while time.monotonic() < until:
            if roll < 0.03:
                s.hide_and_show(rng.uniform(0.2, 0.5))
                self.restores += 1
            elif roll < 0.06:
                s.focus_elsewhere()
                lost = rng.choices(keys, k=rng.randint(1, 3))
                s.key(*lost)  # to the root window: the demo never sees them
                s.focus()
                self.focus_changes, self.keys = self.focus_changes + 1, self.keys + len(lost)
            else:
                s.key(rng.choice(keys))
                self.keys += 1
            self.sample()
            roll = rng.random()

    def advance(self, stage):
        """Right until the stage shows; a paused demo drops the arrow, so p is tried too."""
        for attempt in range(4):
            self.session.key(*(["p", "Right"] if attempt % 2 else ["Right"]))
            self.keys += 1 + attempt % 2
            if xsession.stages_shown(self.font, self.session.settled_screenshot()) == [stage]:
                return
        raise MonkeyFailure("stage %s never shown" % stage)


def stage_of_ticks(program, pak, recording):
    """Replays the recording headless; returns [(first tick, stage)] from its frame list and
    its benchmark table, which counts the frames of each stage in order."""
    out, frames = play(program, pak, ["-replay", recording, "-frames", "out", "-benchmark"],
                       "out/frames.txt")
    ticks = [int(line.split()[0]) for line in frames.splitlines()]
    starts, frame = [], 0
    for stage, count in re.findall(r"^(%s) (\d+) " % "|".join(STAGES), out, re.M):
        starts.append((ticks[frame], stage))
        frame += int(count)
    return starts


def judge(program, pak, recording, log, restores_sent):
    """Everything the recording and the log must show; returns the summary lines."""
    with open(recording, "rb") as f:
        records = rf.read(f.read())[1]
    starts = stage_of_ticks(program, pak, recording)
    per_stage = dict.fromkeys(STAGES, 0)
    restores, shown = 0, True
    for tick, kind, *fields in records:
        if kind == rf.KEY_DOWN:
            # Handled before tick `tick` runs, so in the stage its previous frame showed.
            per_stage[(starts[:1] + [s for s in starts if s[0] < tick])[-1][1]] += 1
        elif kind == rf.STATE:
            restores += not shown and bool(fields[0] & APP_ACTIVE)
            shown = bool(fields[0] & APP_ACTIVE)
    warnings = log.splitlines().count(WARNING)
    summary = ["ticks %d" % records[-1][0], "key events per stage %s" % per_stage,
               "restores sent %d, recorded %d, logo warnings %d"
               % (restores_sent, restores, warnings)]
    if not all(per_stage.values()):
        raise MonkeyFailure("a stage without key events: %s" % per_stage)
    if restores == 0 or warnings != restores:
        raise MonkeyFailure("%d restores but %d logo warnings" % (restores, warnings))
    return summary


def run(program, pak, seconds, seed, max_rss_growth=None, keep=None):
    """One monkey run; raises MonkeyFailure (after keeping the recording) when it fails."""
    rng = random.Random(seed)
    print("monkey: seed %d, %g s" % (seed, seconds), flush=True)
    os.environ.update(MORWENFALL=program, TARVO_PAK=pak)
    without, logo = pak_without_logo(pak)
    env = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": "/dev/null"}
    session = xsession.XSession(["-record", "monkey.replay"], env=env,
                                files={"pak000.zip": without, LOGO: logo})
    session.timeout = 60.0
    try:
        session.__enter__()
        monkey = Monkey(session, rng, xsession.GlyphSheet())
        session.screenshot()  # a pass of the loop has run, so the logo is loaded
        os.remove(session.path("base/" + LOGO))
        phase = seconds / 8
        for shown_as in SHOWN_AS[1:]:
            monkey.play(time.monotonic() + phase, KEYS)
            monkey.advance(shown_as)
        sound = time.monotonic()
        monkey.play(sound + seconds / 2, KEYS + ["Right"])
        session.key("x")
        status = session.wait_exit()
        if status != 0 or SANITIZER_REPORT.search(session.stderr()):
            raise MonkeyFailure("exit status %d\n%s" % (status, session.stderr()))
        minutes = (time.monotonic() - monkey.start) / 60
        summary = judge(program, pak, session.path("monkey.replay"), session.log(),
                        monkey.restores)
        warm = [kib for at, kib in monkey.rss if at >= sound - monkey.start + seconds / 20]
        summary[:0] = ["%.1f minutes, keys sent %d, focus changes %d"
                       % (minutes, monkey.keys, monkey.focus_changes)]
        summary.append("VmRSS warm-up %d KiB, end %d KiB" % (warm[0], warm[-1]))
        print("\n".join("monkey: " + line for line in summary), flush=True)
        if max_rss_growth is not None and warm[-1] - warm[0] > max_rss_growth:
            raise MonkeyFailure("resident memory grew by %d KiB" % (warm[-1] - warm[0]))
    except Exception as failure:  # noqa: B902 -- whatever failed, the recording is kept
        kept = keep or tempfile.mkdtemp(prefix="monkey-failed-")
        os.makedirs(kept, exist_ok=True)
        recording = os.path.join(kept, "monkey-%d.replay" % seed)
        if os.path.exists(session.path("monkey.replay")):
            shutil.copy(session.path("monkey.replay"), recording)
        raise MonkeyFailure("%s\nmonkey: seed %d failed; replay it with:\n"
                            "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy %s -game %s -replay %s"
                            % (failure, seed, os.path.abspath(program),
                               os.path.dirname(os.path.abspath(pak)), recording)) from None
    finally:
        session.close()
