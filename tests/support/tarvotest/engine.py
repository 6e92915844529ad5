"""Runs build/morwenfall headless (SDL's dummy drivers) in a temporary working directory, and
the built tools; play() runs any build of it to its end, for the scripts that replay it.

The demo runs until it is told to stop, so a run waits for a log line and then sends SIGTERM,
which SDL turns into the window's quit event.
"""
import os
import pathlib
import re
import resource
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from types import SimpleNamespace

ENGINE = os.environ.get("MORWENFALL", "")
PAK = os.environ.get("TARVO_PAK", "")
BUILD = os.environ.get("TARVO_BUILD_DIR", "")


def file_size_limit(size):
    """For run's limit: writes past size bytes fail with EFBIG."""
    return lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))


def tool(name, *args):
    """Runs the built program name to its end, capturing what it prints."""
    return subprocess.run([os.path.join(BUILD, name), *args], capture_output=True, timeout=60)


class ScratchTest(unittest.TestCase):
    """A test with a temporary directory; path() names a file in it, written when data is given."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def path(self, name, data=None):
        path = os.path.join(self.dir.name, name)
        if data is not None:
            pathlib.Path(path).write_bytes(data.encode() if isinstance(data, str) else data)
        return path


class Result(SimpleNamespace):
    """status, stdout and stderr of a finished run."""

    @property
    def lines(self):
        return self.stdout.splitlines()


class Workdir:
    """A temporary working directory whose base/ holds a copy of the built pak (or of `pak`),
    with kelda.cfg holding config when it is given."""

    def __init__(self, config=None, pak=None):
        self.path = tempfile.mkdtemp(prefix="tarvo-e2e-")
        os.mkdir(os.path.join(self.path, "base"))
        # A copy, not a link: PhysicsFS does not follow symbolic links by default.
        shutil.copyfile(pak or PAK, os.path.join(self.path, "base", "pak000.zip"))
        if config is not None:
            with open(os.path.join(self.path, "kelda.cfg"), "w") as f:
                f.write(config)

    def write(self, name, content):
        full = os.path.join(self.path, name)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        pathlib.Path(full).write_bytes(content)
        return full

    def read(self, name):
        with open(os.path.join(self.path, name), "rb") as f:
            return f.read()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)


def run(workdir, args=(), env=None, until="Initializing video mode...", settle=0.3,
        stop=signal.SIGTERM, timeout=20, limit=None, program=ENGINE):
    """Starts the engine, waits until `until` shows in its output (or it exits; with no
    `until`, not at all), gives it `settle` seconds more, sends `stop` if it still runs, and
    returns what it printed and its exit status. `limit` runs in the child before the engine
    starts (to set a resource limit). `program` is started instead of the built engine."""
    environment = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    environment.pop("DISPLAY", None)
    environment.update(env or {})
    out_path = os.path.join(workdir.path, ".stdout")
    err_path = os.path.join(workdir.path, ".stderr")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        process = subprocess.Popen([program, *args], cwd=workdir.path, env=environment,
                                   stdout=out, stderr=err, start_new_session=True,
                                   preexec_fn=limit)
        try:
            deadline = time.monotonic() + timeout
            while until is not None and process.poll() is None and time.monotonic() < deadline:
                if until in _read(out_path) + _read(err_path):
                    break
                time.sleep(0.05)
            try:
                process.wait(timeout=settle)
            except subprocess.TimeoutExpired:
                process.send_signal(stop)
            status = process.wait(timeout=timeout)
        finally:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
    return Result(status=status, stdout=_read(out_path), stderr=_read(err_path))


def play(program, pak, args, read=None):
    """Runs program with args to its end in a Workdir holding pak; returns its standard output
    and, when asked, the text of the file `read` it wrote there."""
    with Workdir(pak=pak) as work:
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        out = subprocess.run([program, *args], cwd=work.path, env=env, check=True,
                             capture_output=True, text=True).stdout
        return (out, work.read(read).decode()) if read else out


def _read(path):
    with open(path, "rb") as f:
        return f.read().decode("latin-1")


def resident_kib(pid):
    """The process's resident memory in KiB, or None once it has gone."""
    try:
        with open("/proc/%d/status" % pid) as f:
            return int(re.search(r"^VmRSS:\s+(\d+) kB", f.read(), re.M)[1])
    except (OSError, TypeError):
        return None
