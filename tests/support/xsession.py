"""Runs build/morwenfall on a private Xvfb display and drives it with xdotool.

Each session gets its own X server, working directory and game directory, and always tears
down every process it started, also when a test fails half-way.
"""

import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import zipfile

WINDOW_NAME = "Morwenfall"
SCREENSHOT = "kelda.bmp"
DEFAULT_TIMEOUT = 20.0


class SessionError(AssertionError):
    """The program or the X server did not do what the session waited for."""


def program_path():
    path = os.environ.get("MORWENFALL")
    if not path:
        raise SessionError("MORWENFALL is not set")
    return path


def pak_path():
    path = os.environ.get("TARVO_PAK")
    if not path:
        raise SessionError("TARVO_PAK is not set")
    return path


def write_pak_subset(pak, names, target):
    """Writes a copy of the archive pak holding only the listed virtual names."""
    with zipfile.ZipFile(pak) as source, zipfile.ZipFile(target, "w") as dest:
        for name in names:
            dest.writestr(name, source.read(name))


def read_bmp(path):
    """Decodes an uncompressed 24- or 32-bit BMP into (width, height, rows of (r, g, b))."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise SessionError("%s is not a BMP file" % path)
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits not in (24, 32) or compression not in (0, 3):
        raise SessionError("unsupported BMP: %d bits, compression %d" % (bits, compression))
    bottom_up = height > 0
    height = abs(height)
    step = bits // 8
    pitch = (width * step + 3) & ~3
    rows = []
    for y in range(height):
        source_row = height - 1 - y if bottom_up else y
        start = offset + source_row * pitch
        row = []
        for x in range(width):
            b, g, r = data[start + x * step:start + x * step + 3]
            row.append((r, g, b))
        rows.append(row)
    return width, height, rows


class GlyphSheet:
    """The demo's bitmap font, read from the pak, rendered the way the engine lays text out.

    Sixteen cells per row starting at character 32; magenta pixels are transparent. render()
    gives the opaque pixels {(x, y): (r, g, b)} a text drawn at (x, y) covers.
    """

    SHEET = "demo1/OLMFontBlue.png"

    def __init__(self, pak=None, cell_width=8, cell_height=8):
        import io
        from PIL import Image  # only the picture tests need PIL

        with zipfile.ZipFile(pak or pak_path()) as archive:
            image = Image.open(io.BytesIO(archive.read(self.SHEET)))
            image.load()
        self.image = image.convert("RGBA")
        self.cell_width = cell_width
        self.cell_height = cell_height

    def line_width(self, line):
        return sum(self.cell_width for c in line if ord(c) >= 32 or c == "\t")

    def text_width(self, text):
        return max(self.line_width(line) for line in text.split("\n"))

    def glyph_pixels(self, code):
        """Opaque pixels of one glyph cell, relative to its top-left corner."""
        column, row = code % 16, (code - 32) // 16
        left, top = column * self.cell_width, row * self.cell_height
        pixels = {}
        for y in range(self.cell_height):
            for x in range(self.cell_width):
                if left + x >= self.image.width or top + y >= self.image.height:
                    continue
                r, g, b, a = self.image.getpixel((left + x, top + y))
                if (r, g, b) != (255, 0, 255) and a == 255:
                    pixels[(x, y)] = (r, g, b)
        return pixels

    def render(self, text, x, y, centered=False):
        widest = self.text_width(text)
        pixels = {}
        for row, line in enumerate(text.split("\n")):
            pen = x + ((widest - self.line_width(line)) >> 1 if centered else 0)
            top = y + row * (self.cell_height + 1)
            for c in line.replace("\t", " "):
                if ord(c) < 32:
                    continue
                for (gx, gy), rgb in self.glyph_pixels(ord(c)).items():
                    pixels[(pen + gx, top + gy)] = rgb
                pen += self.cell_width
        return pixels


# The demo's stages in order, each with its title text, title row and centring.
STAGES = [
    ("title", "Morwenfall\nTech Demo One", 200, True),
    ("rotate-scale", "Rotation and Scaling Demo", 1, False),
    ("polygons", "Polygon Demo", 1, False),
    ("tiles", "Tile Engine Demo", 232, False),
    ("sound", "Sound Demo\nPress X to Exit", 92, True),
]


def title_pixels(font, stage):
    """The opaque pixels of a stage's title, placed as the stage machine places them."""
    _, text, y, centered = next(entry for entry in STAGES if entry[0] == stage)
    return font.render(text, (320 - font.text_width(text)) >> 1, y, centered)


def matches(shot, pixels):
    """True when every given pixel of the screenshot has exactly the given colour."""
    width, height, rows = shot
    return all(0 <= x < width and 0 <= y < height and rows[y][x] == rgb
               for (x, y), rgb in pixels.items())


def stages_shown(font, shot):
    """Names of the stages whose title the screenshot shows."""
    return [stage for stage, *_ in STAGES if matches(shot, title_pixels(font, stage))]


class XSession:
    """A context manager: Xvfb plus one morwenfall process in a temporary directory.

    game_dir_setup, when given, is called with the path of the (empty) game directory and
    fills it; by default the game directory holds the project's pak000.zip.
    """

    def __init__(self, args=(), env=None, game_dir_setup=None, screen="640x480x24",
                 audio_driver="dummy", timeout=DEFAULT_TIMEOUT):
        self.args = list(args)
        self.extra_env = dict(env or {})
        self.game_dir_setup = game_dir_setup
        self.screen = screen
        self.audio_driver = audio_driver
        self.timeout = timeout
        self.xvfb = None
        self.game = None
        self.display = None
        self.window = None
        self.workdir = None
        self._stdout = None
        self._stderr = None

    # --- set-up and tear-down ------------------------------------------------------------

    def __enter__(self):
        try:
            self.workdir = tempfile.mkdtemp(prefix="morwenfall-")
            self._start_xvfb()
            self._start_game()
            self._find_window()
            self.focus()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        for process in (self.game, self.xvfb):
            if process is not None and process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()
        for stream in (self._stdout, self._stderr):
            if stream is not None:
                stream.close()
        self.game = self.xvfb = None
        self._stdout = self._stderr = None
        if self.workdir and not os.environ.get("TARVO_KEEP_SESSION"):
            shutil.rmtree(self.workdir, ignore_errors=True)

    def _start_xvfb(self):
        # Xvfb picks a free display itself and writes its number once it accepts clients.
        read_end, write_end = os.pipe()
        try:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + self.timeout
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self.xvfb.poll() is not None:
                    raise SessionError("Xvfb did not start")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise SessionError("Xvfb closed its display pipe")
                number += chunk
            self.display = ":" + number.decode().strip()
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)

    def game_dir(self):
        return os.path.join(self.workdir, "base")

    def _start_game(self):
        os.makedirs(self.game_dir())
        if self.game_dir_setup:
            self.game_dir_setup(self.game_dir())
        else:
            # A copy, not a symlink: PhysicsFS does not follow symbolic links by default.
            shutil.copy(pak_path(), os.path.join(self.game_dir(), "pak000.zip"))
        env = dict(os.environ)
        env.update({"DISPLAY": self.display, "SDL_AUDIODRIVER": self.audio_driver})
        # Sanitized builds: the GL driver X brings in leaks beyond any suppression's reach.
        if os.environ.get("TARVO_XSESSION_ASAN_OPTIONS"):
            env["ASAN_OPTIONS"] = os.environ["TARVO_XSESSION_ASAN_OPTIONS"]
        env.pop("SDL_VIDEODRIVER", None)
        env.update(self.extra_env)
        self._stdout = open(os.path.join(self.workdir, "stdout.txt"), "wb")
        self._stderr = open(os.path.join(self.workdir, "stderr.txt"), "wb")
        self.game = subprocess.Popen([program_path()] + self.args, cwd=self.workdir, env=env,
                                     stdin=subprocess.DEVNULL, stdout=self._stdout,
                                     stderr=self._stderr, start_new_session=True)

    def _xdotool(self, *args, timeout=None):
        env = dict(os.environ, DISPLAY=self.display)
        try:
            result = subprocess.run(["xdotool"] + list(args), env=env, capture_output=True,
                                    timeout=timeout or self.timeout)
        except subprocess.TimeoutExpired:
            raise SessionError("xdotool %s timed out%s" % (" ".join(args), self._context()))
        if result.returncode != 0:
            raise SessionError("xdotool %s failed: %s%s"
                               % (" ".join(args), result.stderr.decode(), self._context()))
        return result.stdout.decode()

    def _find_window(self):
        # The search waits for the window; a program that dies on start-up never shows one.
        deadline = time.monotonic() + self.timeout
        while time.monotonic() < deadline:
            if self.game.poll() is not None:
                raise SessionError("morwenfall exited with %d before showing its window%s"
                                   % (self.game.returncode, self._context()))
            env = dict(os.environ, DISPLAY=self.display)
            result = subprocess.run(["xdotool", "search", "--name", "^%s$" % WINDOW_NAME],
                                    env=env, capture_output=True)
            ids = result.stdout.split()
            if ids:
                self.window = ids[0].decode()
                return
            time.sleep(0.05)
        raise SessionError("no window named %s%s" % (WINDOW_NAME, self._context()))

    def _context(self):
        return "\n--- log ---\n%s\n--- stderr ---\n%s" % (self.log(), self.stderr())

    # --- input ---------------------------------------------------------------------------

    def focus(self):
        # Bare Xvfb has no window manager, so the input focus is set directly.
        self._xdotool("windowfocus", "--sync", self.window)

    def hide_and_show(self, hidden_seconds=0.5):
        """Unmaps and maps the window again, which SDL reports as iconify and restore; the
        window gets the focus back afterwards.

        The program reads the window state afresh when it handles the events, so it must get
        to run a tick while the window is hidden; nothing can be observed from outside then,
        hence the wait.
        """
        self._xdotool("windowunmap", "--sync", self.window)
        time.sleep(hidden_seconds)
        self._xdotool("windowmap", "--sync", self.window)
        self.focus()

    def key(self, *names):
        """Presses and releases each key, in order, through XTEST into the focused window."""
        for name in names:
            self._xdotool("key", "--clearmodifiers", name)

    # --- observing -----------------------------------------------------------------------

    def path(self, name):
        return os.path.join(self.workdir, name)

    def log(self):
        try:
            with open(self.path("stdout.txt"), "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            return ""

    def stderr(self):
        try:
            with open(self.path("stderr.txt"), "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            return ""

    def wait_for(self, predicate, what, timeout=None):
        deadline = time.monotonic() + (timeout or self.timeout)
        while time.monotonic() < deadline:
            if predicate():
                return
            if self.game.poll() is not None and not predicate():
                raise SessionError("morwenfall exited with %d while waiting for %s%s"
                                   % (self.game.returncode, what, self._context()))
            time.sleep(0.02)
        raise SessionError("timed out waiting for %s%s" % (what, self._context()))

    def wait_for_log(self, text, timeout=None):
        self.wait_for(lambda: text in self.log(), "log line %r" % text, timeout)

    def wait_for_file(self, name, timeout=None):
        """Waits until the file exists and, for a BMP, is as long as its header says."""
        path = self.path(name)

        def complete():
            try:
                with open(path, "rb") as f:
                    head = f.read(6)
                    size = os.fstat(f.fileno()).st_size
            except OSError:
                return False
            if name.lower().endswith(".bmp"):
                return len(head) == 6 and struct.unpack_from("<I", head, 2)[0] == size
            return size > 0

        self.wait_for(complete, "file %s" % name, timeout)
        return path

    def screenshot(self):
        """Presses s and returns the decoded kelda.bmp as (width, height, rows)."""
        path = self.path(SCREENSHOT)
        if os.path.exists(path):
            os.remove(path)
        self.key("s")
        self.wait_for_file(SCREENSHOT)
        return read_bmp(path)

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
