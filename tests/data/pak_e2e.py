"""Checks the built base/pak000.zip: every demo file is there in the form its user needs, and the
data tools give the same bytes every time."""
import io
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import wave
import zipfile

from PIL import Image

SOURCE = os.environ.get("TARVO_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
PAK = os.environ.get("TARVO_PAK", os.path.join(SOURCE, "base", "pak000.zip"))
TOOLS = os.path.join(SOURCE, "tools", "data")
DATA = os.path.join(SOURCE, "data")
DEMO_FILES = ["demo1/OLMFontBlue.png", "demo1/OLM Logo.png", "demo1/GEAR5.PNG", "demo1/Axe.wav",
              "demo1/OLM- Meridel2.mid", "demo1/test.png", "demo1/testa.png"]


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

    @classmethod
    def setUpClass(cls):
        with zipfile.ZipFile(PAK) as pak:
            cls.files = {info.filename: pak.read(info) for info in pak.infolist()}

    def image(self, name):
        picture = Image.open(io.BytesIO(self.files[name]))
        picture.load()
        return picture

    def test_images_have_the_size_and_format_their_users_need(self):
        for name, alpha in (("demo1/test.png", (255, 255)), ("demo1/testa.png", (0, 255))):
            texture = self.image(name)
            self.assertEqual((texture.size, texture.mode), ((32, 32), "RGBA"), name)
            self.assertEqual(texture.getchannel("A").getextrema(), alpha, name)
        self.assertEqual(self.image("demo1/OLMFontBlue.png").size, (128, 112))
        logo = self.image("demo1/OLM Logo.png")
        self.assertEqual(logo.width, 320)
        self.assertLessEqual(logo.height, 190)
        self.assertLessEqual(max(self.image("demo1/GEAR5.PNG").size), 120)

    def test_sound_is_a_short_cd_quality_pcm_effect(self):
        with wave.open(io.BytesIO(self.files["demo1/Axe.wav"])) as sound:
            self.assertEqual((sound.getsampwidth(), sound.getframerate()), (2, 44100))
            self.assertIn(sound.getnchannels(), (1, 2))
            self.assertTrue(0 < sound.getnframes() <= 44100 // 2, sound.getnframes())

    def test_music_lasts_at_least_half_a_minute(self):
        self.assertGreaterEqual(midi_seconds(self.files["demo1/OLM- Meridel2.mid"]), 30.0)


class PipelineTest(unittest.TestCase):
    def build(self, staging, out):
        demo1, palettes = os.path.join(staging, "demo1"), os.path.join(DATA, "palettes")
        glyphs = os.path.join(DATA, "font", "glyphs.txt")
        os.makedirs(demo1)
        for script, *args in [
                ["makefont.py", glyphs, f"{palettes}/fontblue.txt", f"{demo1}/OLMFontBlue.png"],
                ["makelogo.py", glyphs, f"{palettes}/logo.txt", f"{demo1}/OLM Logo.png"],
                ["makegear.py", f"{palettes}/gear.txt", f"{demo1}/GEAR5.PNG"],
                ["maketextures.py", f"{palettes}/textures.txt", f"{demo1}/test.png",
                 f"{demo1}/testa.png"],
                ["makesound.py", f"{demo1}/Axe.wav"],
                ["makemusic.py", f"{DATA}/music/meridel.txt", f"{demo1}/OLM- Meridel2.mid"],
                ["makepak.py", staging, out]]:
            subprocess.run([sys.executable, "-B", os.path.join(TOOLS, script), *args], check=True)
        with open(out, "rb") as pak:
            return pak.read()

    def test_two_builds_give_identical_bytes(self):
        with tempfile.TemporaryDirectory() as temp:
            first = self.build(os.path.join(temp, "a"), os.path.join(temp, "a.zip"))
            second = self.build(os.path.join(temp, "b"), os.path.join(temp, "b.zip"))
        self.assertEqual(first, second)
        with zipfile.ZipFile(io.BytesIO(first)) as pak:
            self.assertEqual(sorted(pak.namelist()), sorted(DEMO_FILES))


if __name__ == "__main__":
    unittest.main()
