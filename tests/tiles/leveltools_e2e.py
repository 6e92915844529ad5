"""levelc and leveldump on the command line: the demo level's round trip both ways, and the
error reports for a malformed level and a bad source."""

import os
import subprocess
import tempfile
import unittest

BUILD = os.environ.get("TARVO_BUILD_DIR", "")
SOURCE = os.environ.get("TARVO_SOURCE_DIR", "")
LEVEL_SOURCE = os.path.join(SOURCE, "data", "levels", "blk301a.txt")


def run(tool, *args):
    return subprocess.run([os.path.join(BUILD, tool)] + list(args), capture_output=True,
                          timeout=60)


def layer_rows(text, number):
    lines = text.splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("layer %d " % number))
    rows = int(lines[start].split()[3])
    return [line.split("#")[0].split()[1:] for line in lines[start + 1:start + 1 + rows]]


class LevelTools(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.binary = os.path.join(self.dir.name, "blk301a")
        result = run("levelc", LEVEL_SOURCE, self.binary)
        self.assertEqual(result.returncode, 0, result.stderr)

    def tearDown(self):
        self.dir.cleanup()

    def write(self, name, data):
        path = os.path.join(self.dir.name, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def test_demo_level_round_trips_both_ways(self):
        with open(LEVEL_SOURCE, "rb") as f:
            source = f.read()
        dumped = run("leveldump", self.binary)
        self.assertEqual(dumped.returncode, 0, dumped.stderr)
        self.assertEqual(dumped.stdout, source)

        again = os.path.join(self.dir.name, "again")
        self.assertEqual(run("levelc", self.write("again.txt", dumped.stdout), again).returncode, 0)
        with open(self.binary, "rb") as a, open(again, "rb") as b:
            self.assertEqual(a.read(), b.read())

        # The demo level: 100 x 20 tiles or more, every layer in use, backgrounds at two or
        # more horizontal speeds.
        text = source.decode()
        first = layer_rows(text, 1)
        self.assertGreaterEqual(len(first), 20)
        self.assertGreaterEqual(len(first[0]), 100)
        for number in (1, 2, 3):
            self.assertTrue(any(cell != "." for row in layer_rows(text, number) for cell in row))
        divisors = {int(line.split()[3]) for line in text.splitlines()
                    if line.startswith("background ")}
        self.assertGreaterEqual(len(divisors - {0}), 2)

    def test_malformed_level_reports_file_and_offset(self):
        with open(self.binary, "rb") as f:
            level = f.read()
        # Header 12 bytes, tile count at 12, first tile record at 14: one byte of it is there.
        for data, expected in ((level[:15], "offset 14: "), (b"", "offset 0: ")):
            with self.subTest(size=len(data)):
                path = self.write("bad", data)
                result = run("leveldump", path)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stdout, b"")
                self.assertTrue(result.stderr.decode().startswith(path + ": " + expected),
                                result.stderr)

    def test_bad_source_reports_file_and_line(self):
        source = self.write("bad.txt", b"# a level\nheader 00 00\n")
        out = os.path.join(self.dir.name, "out")
        result = run("levelc", source, out)
        self.assertEqual(result.returncode, 1)
        self.assertTrue(result.stderr.decode().startswith(source + ":2: "), result.stderr)
        self.assertFalse(os.path.exists(out))


if __name__ == "__main__":
    unittest.main()
