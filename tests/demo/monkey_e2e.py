"""The monkey's short form: random keys, focus changes and restores for 16 seconds."""

import os
import random
import unittest

from tarvotest import monkey


class Monkey(unittest.TestCase):
    def test_random_input_reaches_every_stage_and_each_restore_reloads_the_logo(self):
        monkey.run(os.environ["MORWENFALL"], os.environ["TARVO_PAK"], 16,
                   random.randrange(1 << 31))
