"""Runs build/morwenfall on a private Xvfb display and drives it with xdotool. Each session
gets its own X server, working and game directories, and tears down every process it started,
also when a test fails half-way."""

import io
import os
import pathlib
import shutil
import signal
import struct
import subprocess
import time
import zipfile

from .engine import Workdir


class SessionError(AssertionError):
    """The program or the X server did not do what the session waited for."""


def pak_path():  # read late: scripts set it after importing this module
    return os.environ["TARVO_PAK"]


def read_picture(path):
    """Decodes a BMP or PNG into (width, height, rows of (r, g, b))."""
    from PIL import Image  # only the picture tests need PIL

    with Image.open(path) as image:
        width, height = image.size
        pixels = list(image.convert("RGB").getdata())
    return width, height, [pixels[y * width:(y + 1) * width] for y in range(height)]


class GlyphSheet:
    """The demo's bitmap font, read from the pak, rendered the way the engine lays text out:
    sixteen 8 x 8 cells per row from character 32, magenta transparent. render() gives the
    opaque pixels {(x, y): (r, g, b)} a text drawn at (x, y) covers."""

    def __init__(self):
        from PIL import Image  # only the picture tests need PIL

        with zipfile.ZipFile(pak_path()) as archive:
            image = Image.open(io.BytesIO(archive.read("demo1/OLMFontBlue.png"))).convert("RGBA")
        self.glyphs = {}  # code: {(x, y) in the cell: (r, g, b)} of its opaque pixels
        for code in range(32, 32 + image.width // 8 * (image.height // 8)):
            left, top = code % 16 * 8, (code - 32) // 16 * 8
            cell = ((x, y, image.getpixel((left + x, top + y))) for y in range(8) for x in range(8))
            self.glyphs[code] = {(x, y): (r, g, b) for x, y, (r, g, b, a) in cell
                                 if (r, g, b) != (255, 0, 255) and a == 255}

    @staticmethod
    def line_width(line):
        return 8 * sum(1 for c in line if ord(c) >= 32 or c == "\t")

    def text_width(self, text):
        return max(self.line_width(line) for line in text.split("\n"))

    def render(self, text, x, y, centered=False):
        widest, pixels = self.text_width(text), {}
        for row, line in enumerate(text.split("\n")):
            pen = x + ((widest - self.line_width(line)) >> 1 if centered else 0)
            for c in line.replace("\t", " "):
                if ord(c) >= 32:
                    for (gx, gy), rgb in self.glyphs.get(ord(c), {}).items():
                        pixels[(pen + gx, y + row * 9 + gy)] = rgb
                    pen += 8
        return pixels


# The demo's stages in order, each with its title text, title row and centring.
STAGES = [
    ("title", "Morwenfall\nTech Demo One", 200, True),
    ("rotate-scale", "Rotation and Scaling Demo", 1, False),
    ("polygons", "Polygon Demo", 1, False),
    ("tiles", "Tile Engine Demo", 232, False),
    ("sound", "Sound Demo\nPress X to Exit", 92, True),
]


def matches(shot, pixels):
    """True when every given pixel of the screenshot has exactly the given colour."""
    width, height, rows = shot
    return all(0 <= x < width and 0 <= y < height and rows[y][x] == rgb
               for (x, y), rgb in pixels.items())


def stages_shown(font, shot):
    """Names of the stages whose title, placed as the stage machine places it, the screenshot
    shows."""
    return [stage for stage, text, y, centered in STAGES
            if matches(shot, font.render(text, (320 - font.text_width(text)) >> 1, y, centered))]


class XSession:
    """A context manager: Xvfb plus one morwenfall process in an engine.Workdir, whose game
    directory holds a copy of the project's pak000.zip (or of `pak`), and any `files` given as
    {path in the game directory: bytes}."""

    timeout = 20.0

    def __init__(self, args=(), env=None, screen="640x480x24", pak=None, files=None):
        self.args, self.extra_env, self.screen = list(args), dict(env or {}), screen
        self.xvfb = self.game = None
        self.work = Workdir(pak=pak or pak_path())
        self.workdir = self.work.path
        for name, data in (files or {}).items():
            self.work.write(os.path.join("base", name), data)

    def __enter__(self):
        try:
            self._start_xvfb()
            self._start_game()
            self.window = self.wait_for(lambda: self._xdotool(
                "search", "--name", "^Morwenfall$", check=False).split(), "the window")[0]
            self.focus()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        for process in (self.game, self.xvfb):
            if process is not None and process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        if not os.environ.get("TARVO_KEEP_SESSION"):
            shutil.rmtree(self.workdir, ignore_errors=True)

    def _start_xvfb(self):
        # Xvfb picks a free display itself and writes its number once it accepts clients.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-nolisten",
             "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()  # empty when Xvfb dies first
        if not number:
            raise SessionError("Xvfb did not start")
        self.display = ":" + number.decode()

    def _start_game(self):
        env = dict(os.environ, DISPLAY=self.display, SDL_AUDIODRIVER="dummy")
        # Sanitized builds: the GL driver X brings in leaks beyond any suppression's reach.
        if os.environ.get("TARVO_XSESSION_ASAN_OPTIONS"):
            env["ASAN_OPTIONS"] = os.environ["TARVO_XSESSION_ASAN_OPTIONS"]
        env.pop("SDL_VIDEODRIVER", None)
        env.update(self.extra_env)
        with open(self.path("stdout.txt"), "wb") as out, open(self.path("stderr.txt"), "wb") as err:
            self.game = subprocess.Popen([os.environ["MORWENFALL"]] + self.args, cwd=self.workdir,
                                         env=env, stdin=subprocess.DEVNULL, stdout=out,
                                         stderr=err, start_new_session=True)

    def _xdotool(self, *args, check=True):
        what = "xdotool " + " ".join(args)
        try:
            result = subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.display),
                                    capture_output=True, timeout=self.timeout)
        except subprocess.TimeoutExpired:
            raise SessionError("%s timed out%s" % (what, self._context()))
        if check and result.returncode != 0:
            raise SessionError("%s failed: %s%s" % (what, result.stderr.decode(), self._context()))
        return result.stdout.decode()

    def _context(self):
        return "\n--- log ---\n%s\n--- stderr ---\n%s" % (self.log(), self.stderr())

    def focus(self):
        # Bare Xvfb has no window manager, so the input focus is set directly.
        self._xdotool("windowfocus", "--sync", self.window)

    def focus_elsewhere(self):
        """Gives the input focus to the root window, which SDL reports as focus lost."""
        root = self._xdotool("search", "--maxdepth", "0", "--name", "").split()[0]
        self._xdotool("windowfocus", "--sync", root)

    def hide_and_show(self, hidden_seconds=0.5):
        """Unmaps and maps the window again (iconify and restore to SDL), then focuses it. The
        program reads the window state afresh when it handles the events, so it must run a tick
        while hidden, and nothing outside shows when: hence the wait."""
        self._xdotool("windowunmap", "--sync", self.window)
        time.sleep(hidden_seconds)
        self._xdotool("windowmap", "--sync", self.window)
        self.focus()

    def key(self, *names, delay_ms=None):
        """Presses and releases each key, in order, through XTEST into the focused window; with
        delay_ms, in one burst with that many milliseconds between keys."""
        if delay_ms is not None:
            self._xdotool("key", "--clearmodifiers", "--delay", str(delay_ms), *names)
            return
        for name in names:
            self._xdotool("key", "--clearmodifiers", name)

    def path(self, name):
        return os.path.join(self.workdir, name)

    def log(self, name="stdout.txt"):
        path = self.path(name)
        return pathlib.Path(path).read_bytes().decode("latin-1") if os.path.exists(path) else ""

    def stderr(self):
        return self.log("stderr.txt")

    def wait_for(self, probe, what, timeout=None):
        """probe()'s first true result, tried until the timeout or the program's exit."""
        deadline = time.monotonic() + (timeout or self.timeout)
        while time.monotonic() < deadline:
            exited = self.game.poll() is not None
            result = probe()  # after the exit check, so a last word before exiting counts
            if result:
                return result
            if exited:
                raise SessionError("morwenfall exited with %d while waiting for %s%s"
                                   % (self.game.returncode, what, self._context()))
            time.sleep(0.02)
        raise SessionError("timed out waiting for %s%s" % (what, self._context()))

    def screenshot(self):
        """Presses s and returns the decoded kelda.bmp as (width, height, rows), once the file
        is as long as its header says."""
        path = self.path("kelda.bmp")
        if os.path.exists(path):
            os.remove(path)
        self.key("s")

        def complete():
            try:
                with open(path, "rb") as f:
                    head, size = f.read(6), os.fstat(f.fileno()).st_size
            except OSError:
                return False
            return len(head) == 6 and struct.unpack_from("<I", head, 2)[0] == size

        self.wait_for(complete, "file kelda.bmp")
        return read_picture(path)

    def wait_for_stage(self, font, stage, timeout=None):
        """Takes screenshots until one shows the stage's title; returns that screenshot."""
        deadline = time.monotonic() + (timeout or self.timeout)
        seen = None
        while time.monotonic() < deadline:
            shot = self.screenshot()
            seen = stages_shown(font, shot)
            if seen == [stage]:
                return shot
        raise SessionError("stage %s never shown (last seen: %s)%s"
                           % (stage, seen, self._context()))

    def settled_screenshot(self):
        """A screenshot taken at least one tick after every key sent before it."""
        self.screenshot()
        return self.screenshot()

    def wait_exit(self, timeout=None):
        try:
            return self.game.wait(timeout=timeout or self.timeout)
        except subprocess.TimeoutExpired:
            raise SessionError("morwenfall did not exit%s" % self._context())
