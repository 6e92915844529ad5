"""The soak's short form: the long run's shape (scripts/soak.py) past the first move of the
spinning angle back by 2^20, with fewer frames shown, a quarter of a camera tour and ten
seconds of sound. Resident memory is checked in the normal build only."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.environ.get("TARVO_SOURCE_DIR", ""), "scripts"))
import soak  # noqa: E402

BUILD = os.environ.get("TARVO_BUILD_DIR", "")


def sanitized():
    with open(os.path.join(BUILD, "CMakeCache.txt")) as f:
        return "TARVO_SANITIZE:BOOL=ON" in f.read()


class ShortSoak(unittest.TestCase):
    def test_short_soak_ends_cleanly_with_flat_memory(self):
        run = soak.Soak(polygon_ticks=600000, shown=8, camera_loops=0.25, sound_ticks=600)
        status, stderr, seconds, samples = soak.run(os.environ["MORWENFALL"],
                                                    os.environ["TARVO_PAK"], run)
        self.assertEqual(soak.problems(run, status, stderr, samples, not sanitized()), [],
                         "%.1f s, samples %s" % (seconds, samples[::20]))


if __name__ == "__main__":
    unittest.main()
