"""The polygon stage seen from outside: its keys under Xvfb, its textures' failures headless."""

import io
import os
import unittest
import zipfile

import engine
import xsession
from xsession import XSession

# Rows the stage titles and the counter never reach; the counter changes while paused.
PICTURE_ROWS = range(10, 232)

# Both cubes are centred on row 120, the large one left of the screen centre and the small one
# right of it. Whatever their turn, the large cube alone covers (110, 120) and the small cube
# alone covers (210, 120): each cube's inscribed sphere covers its point, and the other cube's
# bounding sphere stays clear of it.
LARGE_ONLY = (110, 120)
SMALL_ONLY = (210, 120)

FLAT_SHADES = (0x20, 0x60, 0xA0, 0xE0)
SHADES = range(0x20, 0xE1)


def picture(shot):
    """The rows that show the cubes, as one comparable value."""
    return [shot[2][y] for y in PICTURE_ROWS]


def lit(shot):
    return {(x, y) for y in PICTURE_ROWS for x, rgb in enumerate(shot[2][y])
            if rgb != (0, 0, 0)}


def colours(shot):
    return {shot[2][y][x] for x, y in lit(shot)}


def at(shot, point):
    x, y = point
    return shot[2][y][x]


def only_channel(rgb, channel):
    """True when rgb is lit in the given channel (0 red, 1 green, 2 blue) and in no other."""
    return rgb[channel] != 0 and all(v == 0 for i, v in enumerate(rgb) if i != channel)


def texture_colours(name):
    from PIL import Image

    with zipfile.ZipFile(xsession.pak_path()) as pak:
        image = Image.open(io.BytesIO(pak.read(name))).convert("RGBA")
    return {rgba[:3] for rgba in image.getdata()}


def mean_of(texel, shade):
    return tuple((t + s) >> 1 for t, s in zip(texel, shade))


class PolygonKeys(unittest.TestCase):
    """One paused session walks the three keys: each changes the picture in its own way, and
    each returns it exactly when pressed round its cycle."""

    @classmethod
    def setUpClass(cls):
        cls.font = xsession.GlyphSheet()
        cls.texels = texture_colours("demo1/test.png")

    def assert_same_picture(self, shot, reference, what):
        self.assertTrue(picture(shot) == picture(reference), what)

    def check_flat(self, flat):
        # Each face takes one of the four vertex shades: blue for the small cube, green for
        # the large one.
        for rgb in colours(flat):
            self.assertTrue(only_channel(rgb, 1) or only_channel(rgb, 2), rgb)
            self.assertIn(max(rgb), FLAT_SHADES, rgb)
        self.assertTrue(only_channel(at(flat, LARGE_ONLY), 1))
        self.assertTrue(only_channel(at(flat, SMALL_ONLY), 2))

    def check_translucent(self, translucent, flat):
        self.assertNotEqual(picture(translucent), picture(flat))
        # Green blended only with green and black stays pure green, at another value.
        before, after = at(flat, LARGE_ONLY), at(translucent, LARGE_ONLY)
        self.assertTrue(only_channel(after, 1), after)
        self.assertNotEqual(after, before)
        # Every pixel a face covered is still covered: half of a shade is never black.
        self.assertLessEqual(lit(flat), lit(translucent))
        # Back faces now show: the blends give values no single flat face has.
        self.assertTrue(any(max(rgb) not in FLAT_SHADES for rgb in colours(translucent)))

    def check_gouraud(self, gouraud, flat):
        self.assertEqual(lit(gouraud), lit(flat))
        for rgb in colours(gouraud):
            self.assertTrue(only_channel(rgb, 1) or only_channel(rgb, 2), rgb)
            self.assertTrue(0x20 <= max(rgb) <= 0xE0, rgb)
        # Shading spreads each face over many values where flat gave each one.
        self.assertGreater(len(colours(gouraud)), 4 * len(colours(flat)))

    def check_textured(self, textured, flat):
        self.assertEqual(lit(textured), lit(flat))
        shown = colours(textured)
        self.assertLessEqual(shown, self.texels)
        self.assertGreater(len(shown), len(self.texels) // 2)

    def check_shaded_texture(self, shaded, textured):
        # The small cube's texels are averaged with red, so green and blue are halved texels;
        # the large cube's with one grey for all three channels.
        self.assertNotEqual(picture(shaded), picture(textured))
        small = at(shaded, SMALL_ONLY)
        self.assertTrue(any(small == mean_of(t, (r, 0, 0))
                            for t in self.texels for r in SHADES), small)
        large = at(shaded, LARGE_ONLY)
        self.assertTrue(any(large == mean_of(t, (g, g, g))
                            for t in self.texels for g in SHADES), large)

    def check_second_texture(self, glass, textured):
        self.assertNotEqual(picture(glass), picture(textured))
        # The pane's clear texels leave black holes inside the cubes' outline, and its
        # half-clear ones blend into colours that neither texture holds.
        panes = texture_colours("demo1/testa.png")
        self.assertTrue(lit(textured) - lit(glass))
        self.assertTrue(colours(glass) - self.texels - panes)

    def test_keys_change_the_picture_and_come_back_round(self):
        with XSession(["-fasttime"]) as session:
            session.wait_for_stage(self.font, "title")
            for stage in ("rotate-scale", "polygons"):
                session.key("Right")
                session.wait_for_stage(self.font, stage)
            session.key("p")
            flat = session.settled_screenshot()
            self.assert_same_picture(session.screenshot(), flat, "paused picture moved")
            self.check_flat(flat)

            steps = []
            for _ in range(4):
                session.key("r")
                steps.append(session.settled_screenshot())
            gouraud, textured, shaded, again = steps
            self.check_gouraud(gouraud, flat)
            self.check_textured(textured, flat)
            self.check_shaded_texture(shaded, textured)
            self.assert_same_picture(again, flat, "four presses of r")

            session.key("e")
            self.check_translucent(session.settled_screenshot(), flat)
            session.key("e")
            self.assert_same_picture(session.settled_screenshot(), flat, "two presses of e")

            session.key("r", "r")
            self.assert_same_picture(session.settled_screenshot(), textured, "r back to PTEX")
            session.key("t")
            self.check_second_texture(session.settled_screenshot(), textured)
            session.key("t")
            self.assert_same_picture(session.settled_screenshot(), textured, "two presses of t")

            session.key("x")
            self.assertEqual(session.wait_exit(), 0)

    def test_missing_second_texture_ends_the_program_at_t(self):
        def game_dir_setup(game):
            with zipfile.ZipFile(xsession.pak_path()) as pak:
                names = [n for n in pak.namelist() if n != "demo1/testa.png"]
            xsession.write_pak_subset(xsession.pak_path(), names,
                                      os.path.join(game, "pak000.zip"))

        with XSession(["-fasttime"], game_dir_setup=game_dir_setup) as session:
            session.wait_for_stage(self.font, "title")
            for stage in ("rotate-scale", "polygons"):
                session.key("Right")
                session.wait_for_stage(self.font, stage)
            # The stage runs on the first texture; only the t key hands over the second.
            session.key("t")
            self.assertEqual(session.wait_exit(), 1)
            self.assertEqual(session.stderr(), "General Exception.\nMessage: "
                             "Polygon3d::setTexture: invalid texture format\n")
            self.assertEqual(session.log().splitlines()[-1], "Exiting Tarvo Engine.")


def png(width, height):
    from PIL import Image

    out = io.BytesIO()
    Image.new("RGBA", (width, height), (200, 100, 50, 255)).save(out, "PNG")
    return out.getvalue()


def pak_with(workdir, replaced):
    """Writes base/pak000.zip as the project's pak with the given entries replaced; None as
    content drops the entry."""
    os.makedirs(os.path.join(workdir.path, "base"), exist_ok=True)
    target = os.path.join(workdir.path, "base", "pak000.zip")
    with zipfile.ZipFile(xsession.pak_path()) as source, zipfile.ZipFile(target, "w") as dest:
        for name in source.namelist():
            content = replaced.get(name, source.read(name))
            if content is not None:
                dest.writestr(name, content)


class TextureFailures(unittest.TestCase):
    """A texture the renderer cannot take ends the program through main's report, with the
    shutdown routine run; one it can take starts the demo as usual."""

    CASES = [
        ("first texture missing", "demo1/test.png", None,
         "Polygon3d::setTexture: invalid texture format"),
        ("width not a power of two", "demo1/test.png", png(48, 32),
         "Polygon3d::setTexture: invalid texture dimensions"),
        ("height not a power of two", "demo1/test.png", png(32, 48),
         "Polygon3d::setTexture: invalid texture dimensions"),
        ("one texel", "demo1/test.png", png(1, 1), None),
        ("wide and flat", "demo1/test.png", png(64, 16), None),
        # The second texture is only handed to the polygon by the t key.
        ("second texture missing", "demo1/testa.png", None, None),
    ]

    def test_textures(self):
        for what, name, content, message in self.CASES:
            with self.subTest(what), engine.Workdir(game=None) as workdir:
                pak_with(workdir, {name: content})
                result = engine.run(workdir, until="Exiting Tarvo Engine." if message else
                                    engine.VIDEO_LINE, settle=0.5)
                self.assertEqual(result.lines[-1], "Exiting Tarvo Engine.")
                if message:
                    self.assertEqual(result.stderr,
                                     "General Exception.\nMessage: %s\n" % message)
                    self.assertEqual(result.status, 1)
                else:
                    self.assertNotIn("Exception", result.stderr)
                    self.assertEqual(result.status, 0)


if __name__ == "__main__":
    unittest.main()
