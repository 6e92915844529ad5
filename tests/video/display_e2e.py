"""The picture on a desktop: whole-number window scaling with nearest-neighbour pixels, while
everything the engine draws and saves stays 320 x 240."""
import os
import struct
import subprocess
import unittest

from tarvotest.xsession import GlyphSheet, XSession


def window_size(session):
    out = subprocess.run(["xwininfo", "-id", session.window], capture_output=True,
                         env=dict(os.environ, DISPLAY=session.display), check=True).stdout
    fields = dict(line.strip().split(":", 1) for line in out.decode().splitlines()
                  if ":" in line)
    return int(fields["Width"]), int(fields["Height"])


def capture_window(session):
    """The window's pixels through xwd, as rows of (r, g, b)."""
    data = subprocess.run(["xwd", "-silent", "-id", session.window], capture_output=True,
                          env=dict(os.environ, DISPLAY=session.display), check=True).stdout
    header = struct.unpack_from(">25I", data, 0)
    if (header[2], header[11]) != (2, 32):  # ZPixmap, bits per pixel
        raise AssertionError("unexpected xwd format %d, %d bits" % (header[2], header[11]))
    width, height, byte_order, bytes_per_line = header[4], header[5], header[7], header[12]
    masks = header[14:17]  # red, green, blue
    shifts = [(mask & -mask).bit_length() - 1 for mask in masks]
    start = header[0] + header[19] * 12  # after the header and the colour map
    line = ("<" if byte_order == 0 else ">") + "%dI" % width
    return [[tuple((v & mask) >> shift for mask, shift in zip(masks, shifts))
             for v in struct.unpack_from(line, data, start + y * bytes_per_line)]
            for y in range(height)]


def walk_to_rotate_scale_and_pause(session):
    font = GlyphSheet()
    session.wait_for_stage(font, "title")
    session.key("Right")
    session.wait_for_stage(font, "rotate-scale")
    session.key("p")
    return session.settled_screenshot()


class WindowScalingTest(unittest.TestCase):
    def test_full_hd_desktop_shows_every_game_pixel_as_a_three_by_three_block(self):
        with XSession(screen="1920x1080x24") as session:
            self.assertEqual(window_size(session), (960, 720))
            width, height, shot = walk_to_rotate_scale_and_pause(session)
            self.assertEqual((width, height), (320, 240))
            window = capture_window(session)
        mismatches = 0
        for y in range(232):  # the FPS counter below may change between the two pictures
            for x in range(320):
                block = {window[3 * y + dy][3 * x + dx] for dy in range(3) for dx in range(3)}
                if block != {shot[y][x]}:
                    mismatches += 1
        self.assertEqual(mismatches, 0)

    def test_users_own_scaling_wins_over_the_desktops(self):
        # The factor the desktop gives is checked by the display unit test.
        with XSession(screen="1920x1080x24", env={"SDL12COMPAT_WINDOW_SCALING": "2"}) as session:
            self.assertEqual(window_size(session), (640, 480))

    def test_fullscreen_keeps_a_320_by_240_screen_and_the_log_is_unchanged(self):
        logs = []
        for args in ([], ["-fullscreen"]):
            with XSession(args=args, screen="1920x1080x24") as session:
                width, height, _ = session.screenshot()
                self.assertEqual((width, height), (320, 240))
                logs.append(session.log().splitlines()[:12])
        self.assertEqual(logs[0], logs[1])
        self.assertEqual(logs[0][-1], "Initializing video mode...")

