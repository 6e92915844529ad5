"""The polygon stage seen from outside: its keys under Xvfb, its textures' failures headless."""

import io
import os
import unittest
import zipfile

import engine
import xsession
from xsession import XSession

PICTURE_ROWS = range(10, 232)  # clear of the title and of the counter, which runs on paused
# Whatever their turn, only the large cube covers (110, 120) and only the small one (210, 120).
LARGE_ONLY, SMALL_ONLY = (110, 120), (210, 120)
FLAT_SHADES = (0x20, 0x60, 0xA0, 0xE0)


def picture(shot):
    return [shot[2][y] for y in PICTURE_ROWS]


def lit(shot):
    return {(x, y) for y in PICTURE_ROWS for x, rgb in enumerate(shot[2][y]) if rgb != (0, 0, 0)}


def colours(shot):
    return {shot[2][y][x] for x, y in lit(shot)}


def at(shot, point):
    return shot[2][point[1]][point[0]]


def only_channel(rgb, channel):
    return rgb[channel] != 0 and all(v == 0 for i, v in enumerate(rgb) if i != channel)


def green_or_blue(rgb):
    return only_channel(rgb, 1) or only_channel(rgb, 2)


def texture_colours(name):
    from PIL import Image

    with zipfile.ZipFile(xsession.pak_path()) as pak:
        image = Image.open(io.BytesIO(pak.read(name))).convert("RGBA")
    return {rgba[:3] for rgba in image.getdata()}


class PolygonKeys(unittest.TestCase):
    def test_keys_change_the_picture_and_come_back_round(self):
        font = xsession.GlyphSheet()
        texels = texture_colours("demo1/test.png")
        with XSession(["-fasttime"]) as session:
            session.wait_for_stage(font, "title")
            for stage in ("rotate-scale", "polygons"):
                session.key("Right")
                session.wait_for_stage(font, stage)
            session.key("p")
            flat = session.settled_screenshot()
            self.assertTrue(picture(session.screenshot()) == picture(flat), "paused, it moved")
            # Flat: one of four shades per face, green on the large cube, blue on the small.
            self.assertTrue(all(green_or_blue(c) and max(c) in FLAT_SHADES for c in colours(flat)))
            self.assertTrue(only_channel(at(flat, LARGE_ONLY), 1))
            self.assertTrue(only_channel(at(flat, SMALL_ONLY), 2))

            steps = []
            for _ in range(4):
                session.key("r")
                steps.append(session.settled_screenshot())
            gouraud, textured, shaded, again = steps
            # Gouraud spreads each face over many shades, still green or blue.
            self.assertEqual(lit(gouraud), lit(flat))
            self.assertTrue(all(green_or_blue(c) for c in colours(gouraud)))
            self.assertGreater(len(colours(gouraud)), 4 * len(colours(flat)))
            # Textured: nothing but the texture's own colours.
            self.assertEqual(lit(textured), lit(flat))
            self.assertLessEqual(colours(textured), texels)
            self.assertGreater(len(colours(textured)), len(texels) // 2)
            # Shaded texture: texels averaged with red on the small cube, grey on the large.
            small, large = at(shaded, SMALL_ONLY), at(shaded, LARGE_ONLY)
            self.assertTrue(any(small == (((t[0] + r) >> 1), t[1] >> 1, t[2] >> 1)
                                for t in texels for r in range(0x20, 0xE1)), small)
            self.assertTrue(any(large == tuple((v + g) >> 1 for v in t)
                                for t in texels for g in range(0x20, 0xE1)), large)
            self.assertTrue(picture(again) == picture(flat), "four presses of r")

            session.key("e")
            translucent = session.settled_screenshot()
            # Green over green and black stays green, at another value; back faces now show
            # through in blends no flat face has, and nothing a face covered turns black.
            self.assertTrue(only_channel(at(translucent, LARGE_ONLY), 1))
            self.assertNotEqual(at(translucent, LARGE_ONLY), at(flat, LARGE_ONLY))
            self.assertLessEqual(lit(flat), lit(translucent))
            self.assertTrue(any(max(c) not in FLAT_SHADES for c in colours(translucent)))
            session.key("e")
            self.assertTrue(picture(session.settled_screenshot()) == picture(flat), "e twice")

            session.key("r", "r")
            self.assertTrue(picture(session.settled_screenshot()) == picture(textured))
            session.key("t")
            glass = session.settled_screenshot()
            # The pane's clear texels leave holes; its half-clear ones blend into new colours.
            self.assertTrue(lit(textured) - lit(glass))
            self.assertTrue(colours(glass) - texels - texture_colours("demo1/testa.png"))
            session.key("t")
            self.assertTrue(picture(session.settled_screenshot()) == picture(textured), "t twice")
            session.key("x")
            self.assertEqual(session.wait_exit(), 0)


def png(width, height):
    from PIL import Image

    out = io.BytesIO()
    Image.new("RGBA", (width, height), (200, 100, 50, 255)).save(out, "PNG")
    return out.getvalue()


class TextureFailures(unittest.TestCase):
    def test_bad_first_texture_ends_the_program_through_main_after_shutdown(self):
        for what, content, message in [("missing", None, "invalid texture format"),
                                        ("width 48", png(48, 32), "invalid texture dimensions"),
                                        ("height 48", png(32, 48), "invalid texture dimensions")]:
            with self.subTest(what), engine.Workdir(game="empty") as workdir:
                with zipfile.ZipFile(xsession.pak_path()) as source, zipfile.ZipFile(
                        os.path.join(workdir.path, "base", "pak000.zip"), "w") as dest:
                    for name in source.namelist():
                        data = content if name == "demo1/test.png" else source.read(name)
                        if data is not None:
                            dest.writestr(name, data)
                result = engine.run(workdir, until="Exiting Tarvo Engine.", settle=0.5)
                self.assertEqual(result.lines[-1], "Exiting Tarvo Engine.")
                self.assertEqual(result.stderr, "General Exception.\nMessage: "
                                 "Polygon3d::setTexture: %s\n" % message)
                self.assertEqual(result.status, 1)


if __name__ == "__main__":
    unittest.main()
