"""levelc and leveldump on the command line: the compiled demo level dumps to text that compiles
back to it, and the error reports name the file and offset or line of a malformed level or bad
source."""

import os
import subprocess
import tempfile
import unittest

LEVEL = os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "data", "levels", "blk301a.tmx")


def run(tool, *args):
    tool = os.path.join(os.environ.get("TARVO_BUILD_DIR", ""), tool)
    return subprocess.run([tool, *args], capture_output=True, timeout=60)


class LevelTools(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)
        self.binary = self.path("blk301a")
        self.assertEqual(run("levelc", LEVEL, self.binary).returncode, 0)

    def path(self, name, data=None):
        path = os.path.join(self.dir.name, name)
        if data is not None:
            with open(path, "wb") as f:
                f.write(data)
        return path

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def test_demo_level_round_trips_through_text(self):
        # Any level's text and binary round trip is unit-tested; here the two programs meet.
        dumped = run("leveldump", self.binary)
        again = self.path("again")
        self.assertEqual(run("levelc", self.path("again.txt", dumped.stdout), again).returncode, 0)
        self.assertEqual(self.read(again), self.read(self.binary))

    def test_malformed_level_reports_file_and_offset(self):
        # Header 12 bytes, tile count at 12, first tile record at 14: one byte of it is there.
        for data, expected in ((self.read(self.binary)[:15], "offset 14: "), (b"", "offset 0: ")):
            with self.subTest(size=len(data)):
                path = self.path("bad", data)
                result = run("leveldump", path)
                self.assertEqual((result.returncode, result.stdout), (1, b""))
                self.assertTrue(result.stderr.decode().startswith(path + ": " + expected),
                                result.stderr)

    def test_bad_source_reports_file_and_line(self):
        source = self.path("bad.txt", b"# a level\nheader 00 00\n")
        result = run("levelc", source, self.path("out"))
        self.assertEqual(result.returncode, 1)
        self.assertTrue(result.stderr.decode().startswith(source + ":2: "), result.stderr)
        self.assertFalse(os.path.exists(self.path("out")))


if __name__ == "__main__":
    unittest.main()
