"""Runs the demo headless (SDL's dummy drivers) for the scripts that replay it."""

import os
import shutil
import subprocess
import tempfile


def play(program, pak, args, read=None):
    """Runs program with args in a scratch directory whose base/ holds pak; returns its
    standard output and, when asked, the text of the file `read` it wrote there."""
    work = tempfile.mkdtemp(prefix="tarvo-replay-")
    try:
        os.mkdir(os.path.join(work, "base"))
        shutil.copy(pak, os.path.join(work, "base", "pak000.zip"))
        env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
        out = subprocess.run([program, *args], cwd=work, env=env, check=True,
                             capture_output=True, text=True).stdout
        if read:
            with open(os.path.join(work, read)) as f:
                return out, f.read()
        return out
    finally:
        shutil.rmtree(work, ignore_errors=True)
