"""The picture on a desktop: whole-number window scaling with nearest-neighbour pixels, while
everything the engine draws and saves stays 320 x 240."""
import os
import subprocess
import unittest

from PIL import ImageGrab
from tarvotest.xsession import GlyphSheet, XSession


def window_picture(session):
    """What the window shows, read off the X screen."""
    out = subprocess.run(["xwininfo", "-id", session.window], capture_output=True,
                         env=dict(os.environ, DISPLAY=session.display), check=True).stdout
    fields = dict(line.strip().split(":", 1) for line in out.decode().splitlines() if ":" in line)
    x, y, width, height = (int(fields[name]) for name in (
        "Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
    return ImageGrab.grab((x, y, x + width, y + height), xdisplay=session.display).convert("RGB")


class WindowScalingTest(unittest.TestCase):
    def test_full_hd_desktop_shows_every_game_pixel_as_a_three_by_three_block(self):
        with XSession(screen="1920x1080x24") as session:
            font = GlyphSheet()
            session.wait_for_stage(font, "title")
            session.key("Right")
            session.wait_for_stage(font, "rotate-scale")
            session.key("p")
            width, height, shot = session.settled_screenshot()
            self.assertEqual((width, height), (320, 240))
            window = window_picture(session)
        self.assertEqual(window.size, (960, 720))
        # The FPS counter below row 232 may change between the two pictures.
        mismatches = [(x, y) for y in range(232) for x in range(320)
                      if {window.getpixel((3 * x + dx, 3 * y + dy)) for dy in range(3)
                          for dx in range(3)} != {shot[y][x]}]
        self.assertEqual(len(mismatches), 0, mismatches[:10])

    def test_users_own_scaling_wins_over_the_desktops(self):
        # The factor the desktop gives is checked by the display unit test.
        with XSession(screen="1920x1080x24", env={"SDL12COMPAT_WINDOW_SCALING": "2"}) as session:
            self.assertEqual(window_picture(session).size, (640, 480))

    def test_fullscreen_keeps_a_320_by_240_screen_and_the_log_is_unchanged(self):
        logs = []
        for args in ([], ["-fullscreen"]):
            with XSession(args=args, screen="1920x1080x24") as session:
                width, height, _ = session.screenshot()
                self.assertEqual((width, height), (320, 240))
                logs.append(session.log().splitlines()[:12])
        self.assertEqual(logs[0], logs[1])
        self.assertEqual(logs[0][-1], "Initializing video mode...")

