"""Checks the built base/pak000.zip and assets/pak000.zip: every file is there in the form its
user needs, the data tools give the same bytes every time, and the generators' command lines."""
import io
import os
import pathlib
import struct
import subprocess
import sys
import unittest
import wave
import zipfile
from collections import namedtuple
from xml.etree import ElementTree

from PIL import Image
from tarvotest.engine import ScratchTest

SOURCE = os.environ.get("TARVO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
PAK = os.environ.get("TARVO_PAK", os.path.join(SOURCE, "base", "pak000.zip"))
TOOLS = os.path.join(SOURCE, "tools", "data")
DATA = os.path.join(SOURCE, "data")
GLYPHS = os.path.join(DATA, "font", "glyphs.txt")
BUILD = os.environ.get("TARVO_BUILD_DIR", SOURCE)
ASSETS = os.path.join(BUILD, "assets", "pak000.zip")
STAGED = os.path.join(BUILD, "data", "pak")  # the files the build packs into PAK
DEMO_FILES = ["demo1/OLMFontBlue.png", "demo1/OLM Logo.png", "demo1/GEAR5.PNG", "demo1/Axe.wav",
              "demo1/OLM- Meridel2.mid", "demo1/test.png", "demo1/testa.png"]


def pak_files(path):
    with zipfile.ZipFile(path) as pak:
        return {info.filename: pak.read(info) for info in pak.infolist()}


def picture(data):
    return Image.open(io.BytesIO(data))


def midi_seconds(data):
    """Time of the last event of a MIDI file, at its first tempo (120 bpm if none)."""
    def number(pos):  # a variable-length quantity: (value, position after it)
        value = 0
        while data[pos] & 0x80:
            value, pos = value << 7 | data[pos] & 0x7F, pos + 1
        return value << 7 | data[pos], pos + 1

    tracks, division = struct.unpack(">HH", data[10:14])
    pos, end, tempo = 14, 0, None
    for _ in range(tracks):
        stop, tick, status = pos + 8 + struct.unpack(">I", data[pos + 4:pos + 8])[0], 0, 0
        pos += 8
        while pos < stop:
            delta, pos = number(pos)
            tick += delta
            if data[pos] >= 0x80:
                status, pos = data[pos], pos + 1
            if status == 0xFF:
                kind, (size, pos) = data[pos], number(pos + 1)
                if kind == 0x51 and tempo is None:
                    tempo = int.from_bytes(data[pos:pos + 3], "big")
                pos += size
            else:
                pos += 1 if status & 0xF0 in (0xC0, 0xD0) else 2
        end = max(end, tick)
    return end / division * (tempo or 500000) / 1e6


class PakContentTest(unittest.TestCase):
    """Each demo file is read under its virtual name, so a missing one fails here."""

    files = pak_files(PAK)

    def test_images_have_the_size_and_format_their_users_need(self):
        image = lambda name: picture(self.files[name])
        for name, alpha in (("demo1/test.png", (255, 255)), ("demo1/testa.png", (0, 255))):
            self.assertEqual((image(name).size, image(name).mode), ((32, 32), "RGBA"), name)
            self.assertEqual(image(name).getchannel("A").getextrema(), alpha, name)
        self.assertEqual(image("demo1/OLMFontBlue.png").size, (128, 112))
        self.assertEqual(image("demo1/OLM Logo.png").width, 320)
        self.assertLessEqual(image("demo1/OLM Logo.png").height, 190)
        self.assertLessEqual(max(image("demo1/GEAR5.PNG").size), 120)

    def test_sound_is_a_short_cd_quality_pcm_effect(self):
        with wave.open(io.BytesIO(self.files["demo1/Axe.wav"])) as sound:
            self.assertEqual((sound.getsampwidth(), sound.getframerate()), (2, 44100))
            self.assertIn(sound.getnchannels(), (1, 2))
            self.assertTrue(0 < sound.getnframes() <= 44100 // 2, sound.getnframes())

    def test_every_image_the_demo_map_names_is_packed(self):
        named = {image.get("source")
                 for name in ("blk301a.tmx", "blk301a.tsx")
                 for image in ElementTree.parse(os.path.join(DATA, "levels", name)).iter("image")}
        self.assertEqual(len(named), 34)
        self.assertLessEqual({"demo1/" + source for source in named}, set(self.files))

    def test_music_lasts_at_least_half_a_minute(self):
        self.assertGreaterEqual(midi_seconds(self.files["demo1/OLM- Meridel2.mid"]), 30.0)


def run_tool(script, *args):
    return subprocess.run([sys.executable, "-B", os.path.join(TOOLS, script), *args],
                          capture_output=True, text=True)


# key: the transparent colour of an RGB picture (RGBA ones use alpha 0); clear: whether some
# pixels are transparent; cell: the frame size, every frame of which must show something.
Picture = namedtuple("Picture", "name size mode key clear cell")
ASSET_PICTURES = [
    Picture("tarvo/font8.png", (128, 112), "RGB", (255, 0, 255), True, None),
    Picture("tarvo/sprites-key.png", (128, 64), "RGB", (255, 0, 255), True, 32),
    Picture("tarvo/sprites-alpha.png", (128, 64), "RGBA", None, True, 32),
    Picture("tarvo/texture-bricks.png", (32, 32), "RGBA", None, False, None),
    Picture("tarvo/texture-glass.png", (32, 32), "RGBA", None, True, None),
    Picture("tarvo/tiles24.png", (144, 120), "RGB", (255, 255, 255), True, 24),
    Picture("tarvo/bg-sky.png", (320, 240), "RGB", None, False, None),
    Picture("tarvo/bg-mountains.png", (320, 150), "RGB", (255, 255, 255), True, None)]


class AssetPakTest(unittest.TestCase):
    files = pak_files(ASSETS)

    def clear(self, asset, box):
        """Whether each pixel of box is transparent."""
        image = picture(self.files[asset.name]).crop(box)
        if asset.mode == "RGBA":
            return [a == 0 for a in image.getchannel("A").getdata()]
        return [rgb == asset.key for rgb in image.getdata()]

    def test_pictures_have_the_size_format_and_transparency_promised(self):
        self.assertEqual(set(self.files), {p.name for p in ASSET_PICTURES}
                         | {"tarvo/chime.wav", "tarvo/tune.mid"})
        for asset in ASSET_PICTURES:
            image = picture(self.files[asset.name])
            self.assertEqual((image.size, image.mode), (asset.size, asset.mode), asset.name)
            width, height = asset.size
            self.assertEqual(any(self.clear(asset, (0, 0, width, height))), asset.clear, asset.name)
            step = asset.cell or max(width, height)
            for box in ((x, y, x + step, y + step) for y in range(0, height, step)
                        for x in range(0, width, step)):
                self.assertFalse(all(self.clear(asset, box)), (asset.name, box))

    def test_font_draws_the_apostrophe(self):
        font = picture(self.files["tarvo/font8.png"])
        cell = lambda code: font.crop((code % 16 * 8, (code - 32) // 16 * 8,
                                       code % 16 * 8 + 8, (code - 32) // 16 * 8 + 8)).tobytes()
        self.assertNotEqual(cell(ord("'")), cell(ord(" ")))
        self.assertNotEqual(cell(ord("'")), cell(127))  # the box of characters without a drawing

    def test_effect_and_tune_play_as_promised(self):
        with wave.open(io.BytesIO(self.files["tarvo/chime.wav"])) as sound:
            self.assertEqual((sound.getsampwidth(), sound.getframerate(), sound.getnchannels()),
                             (2, 44100, 1))
            self.assertEqual(sound.getnframes(), int(0.6 * 44100))
        self.assertEqual(midi_seconds(self.files["tarvo/tune.mid"]), 16.0)


class GeneratorCommandLineTest(ScratchTest):
    def output(self, script, *args):
        result = run_tool(script, *args, self.path("out"))
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.path("out"), "rb") as f:
            return f.read()

    def test_bad_input_names_file_line_and_cause(self):
        Case = namedtuple("Case", "script source text message")
        ramp = "".join(f"row {n} {n} {n}\n" for n in range(7))
        for case in [
                Case("makefont.py", "colours.txt", ramp + "shadow 0 0 0\nplaceholder 9 9 9\n"
                     "background 255 0 255\n", "colours.txt: needs 8 'row' colour(s)"),
                Case("makesound.py", "fx.txt", "length 0.1\nsine 0 - 1 freq 440 wobble 3\n",
                     "fx.txt:2: unknown option 'wobble'"),
                Case("makemusic.py", "song.txt", "chords C\nmelody C5:4 D5:2\n",
                     "song.txt:2: bar does not hold four beats")]:
            args = [GLYPHS] if case.script == "makefont.py" else []
            result = run_tool(case.script, *args, self.path(case.source, case.text),
                              self.path("out"))
            self.assertEqual(result.returncode, 1, case.script)
            self.assertTrue(result.stderr.strip().endswith(case.message), result.stderr)
            self.assertFalse(os.path.exists(self.path("out")), case.script)

    def test_levelimages_stages_the_drawn_images_a_map_names(self):
        self.path("map.tmx", '<map><tileset firstgid="1" source="set/set.tsx"/><imagelayer>'
                  '<image source="bg/BG0009.PNG"/></imagelayer></map>')
        os.makedirs(self.path("set"))
        self.path("set/set.tsx", '<tileset><tile id="0"><image source="../tiles/TILE0001.PNG"/>'
                  '</tile><tile id="1"><image source="TILE0031.PNG"/></tile></tileset>')
        self.path("set/TILE0031.PNG", "tile")
        args = [self.path("map.tmx"), self.path("out"), self.path("list"), "tiles/TILE0001.PNG"]
        result = run_tool("levelimages.py", *args)
        self.assertEqual((result.returncode, result.stderr), (1, self.path("map.tmx") +
                         ": the image bg/BG0009.PNG is neither painted nor beside the map\n"))
        self.assertFalse(os.path.exists(self.path("out")))
        os.makedirs(self.path("bg"))
        self.path("bg/BG0009.PNG", "background")
        self.assertEqual(run_tool("levelimages.py", *args).returncode, 0)
        staged = {os.path.relpath(os.path.join(top, name), self.path("out")):
                  pathlib.Path(top, name).read_text()
                  for top, _, files in os.walk(self.path("out")) for name in files}
        self.assertEqual(staged, {"bg/BG0009.PNG": "background", "set/TILE0031.PNG": "tile"})

    def test_makesound_seed_option_replaces_the_recipes_seed(self):
        recipe = "length 0.05\nnoise 0 - 0.5\n"
        by_option = self.output("makesound.py", "--seed", "7", self.path("a.txt", recipe))
        self.assertEqual(by_option, self.output("makesound.py",
                                                self.path("b.txt", recipe + "seed 7\n")))
        self.assertNotEqual(by_option, self.output("makesound.py", self.path("a.txt")))

    def test_makemusic_titles_from_the_file_name_and_leaves_out_parts_without_program(self):
        midi = self.output("makemusic.py", self.path("song.txt", "program melody 0\nchords C\n"
                                                      "melody C5:1\n"))
        self.assertEqual(struct.unpack(">H", midi[10:12])[0], 3)  # tempo, melody and drums
        self.assertIn(b"\xff\x03\x04Song", midi)


class PipelineTest(ScratchTest):
    """The generators run afresh write the build's bytes: nothing they make depends on the run."""

    def generate(self, steps):
        for script, *args in steps:
            result = run_tool(script, *args)
            self.assertEqual(result.returncode, 0, result.stderr)

    def test_demo_files_made_afresh_match_the_build(self):
        demo1, palettes = self.path("demo1"), os.path.join(DATA, "palettes")
        os.mkdir(demo1)
        self.generate([
            ["makefont.py", GLYPHS, f"{palettes}/fontblue.txt", f"{demo1}/OLMFontBlue.png"],
            ["makelogo.py", GLYPHS, f"{palettes}/logo.txt", f"{demo1}/OLM Logo.png"],
            ["makegear.py", f"{palettes}/gear.txt", f"{demo1}/GEAR5.PNG"],
            ["maketextures.py", f"{palettes}/textures.txt", f"{demo1}/test.png",
             f"{demo1}/testa.png"],
            ["makesound.py", f"{DATA}/sounds/axe.txt", f"{demo1}/Axe.wav"],
            ["makemusic.py", f"{DATA}/music/meridel.txt", f"{demo1}/OLM- Meridel2.mid"]])
        for name in DEMO_FILES:
            self.assertEqual(pathlib.Path(self.dir.name, name).read_bytes(),
                             pathlib.Path(STAGED, name).read_bytes(), name)

    def test_asset_pak_made_afresh_matches_the_build(self):
        sources, tarvo = os.path.join(DATA, "assets"), self.path("pak/tarvo")
        os.makedirs(tarvo)
        self.generate([
            ["makefont.py", GLYPHS, f"{sources}/font8.txt", f"{tarvo}/font8.png"],
            ["maketextures.py", f"{sources}/textures.txt", f"{tarvo}/texture-bricks.png",
             f"{tarvo}/texture-glass.png"],
            ["makesound.py", f"{sources}/chime.txt", f"{tarvo}/chime.wav"],
            ["makemusic.py", f"{sources}/tune.txt", f"{tarvo}/tune.mid"],
            ["makeassets.py", self.path("pak")],
            ["makepak.py", self.path("pak"), self.path("pak000.zip")]])
        self.assertEqual(pathlib.Path(self.path("pak000.zip")).read_bytes(),
                         pathlib.Path(ASSETS).read_bytes())

