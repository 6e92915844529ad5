#!/usr/bin/env python3
"""The monkey: random keys, focus changes and iconify/restore against the demo under Xvfb.

    scripts/monkey.py [--program build/morwenfall] [--pak build/base/pak000.zip]
                      [--seconds 300] [--seed N] [--max-rss-growth KIB] [--keep DIR]

What a run does and how it is judged: tests/support/tarvotest/monkey.py.
"""

import argparse
import os
import random
import sys

from tarvotest.monkey import MonkeyFailure, run


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default="build/morwenfall")
    parser.add_argument("--pak", default="build/base/pak000.zip")
    parser.add_argument("--seconds", type=float, default=300)
    parser.add_argument("--seed", type=int, default=random.randrange(1 << 31))
    parser.add_argument("--max-rss-growth", type=int, help="KiB")
    parser.add_argument("--keep", help="where a failed run's recording goes")
    args = parser.parse_args()
    try:
        run(os.path.abspath(args.program), os.path.abspath(args.pak), args.seconds, args.seed,
            args.max_rss_growth, args.keep)
    except MonkeyFailure as failure:
        sys.exit("monkey: %s" % failure)


if __name__ == "__main__":
    main()
