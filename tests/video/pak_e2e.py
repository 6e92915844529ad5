"""Checks the built game archive base/pak000.zip: every demo file is there, each decodes with
the size and format its user needs, and the data pipeline gives the same bytes every time."""
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
BUILD = os.environ.get("TARVO_BUILD_DIR", "")
PAK = os.environ.get("TARVO_PAK", os.path.join(SOURCE, "base", "pak000.zip"))
TOOLS = os.path.join(SOURCE, "tools", "data")
DATA = os.path.join(SOURCE, "data")

DEMO_FILES = ["demo1/OLMFontBlue.png", "demo1/OLM Logo.png", "demo1/GEAR5.PNG", "demo1/Axe.wav",
              "demo1/OLM- Meridel2.mid", "demo1/test.png", "demo1/testa.png"]
MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)


def read_pak():
    with zipfile.ZipFile(PAK) as pak:
        return {info.filename: pak.read(info) for info in pak.infolist()}


def image(files, name):
    return Image.open(io.BytesIO(files[name]))


def cell_ink(sheet, code):
    """The set of non-magenta pixels of a glyph cell, as (x, y) inside the cell."""
    left, top = code % 16 * 8, (code - 32) // 16 * 8
    return frozenset((x, y) for y in range(8) for x in range(8)
                     if sheet.getpixel((left + x, top + y))[:3] != MAGENTA)


def midi_events(data):
    """(track index, absolute tick, status, data bytes) for every channel and meta event, plus
    the header's format and division."""
    if data[:4] != b"MThd":
        raise ValueError("no MThd chunk")
    _, form, tracks, division = struct.unpack(">IHHH", data[4:14])
    events = []
    at = 14
    for track in range(tracks):
        if data[at:at + 4] != b"MTrk":
            raise ValueError(f"track {track} has no MTrk chunk")
        length = struct.unpack(">I", data[at + 4:at + 8])[0]
        body, at = data[at + 8:at + 8 + length], at + 8 + length
        tick, pos, status = 0, 0, 0
        while pos < len(body):
            delta = 0
            while True:
                byte = body[pos]
                pos += 1
                delta = delta << 7 | byte & 0x7F
                if byte < 0x80:
                    break
            tick += delta
            if body[pos] >= 0x80:
                status = body[pos]
                pos += 1
            if status == 0xFF:
                kind, size = body[pos], body[pos + 1]
                events.append((track, tick, 0xFF, body[pos:pos + 2 + size]))
                pos += 2 + size
            else:
                size = 1 if status & 0xF0 in (0xC0, 0xD0) else 2
                events.append((track, tick, status, body[pos:pos + size]))
                pos += size
    return form, division, events


class PakContentTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.files = read_pak()

    def test_holds_every_demo_file_under_its_virtual_name(self):
        for name in DEMO_FILES:
            self.assertIn(name, self.files)
        for name in self.files:
            self.assertTrue(name.startswith("demo1/") and not name.endswith("/"), name)

    def test_images_have_the_size_and_format_their_users_need(self):
        for name, width, height in (("demo1/test.png", 32, 32), ("demo1/testa.png", 32, 32),
                                    ("demo1/OLMFontBlue.png", 128, 112)):
            self.assertEqual(image(self.files, name).size, (width, height), name)
        for name in ("demo1/test.png", "demo1/testa.png"):
            self.assertEqual(image(self.files, name).mode, "RGBA", name)
        logo = image(self.files, "demo1/OLM Logo.png").convert("RGB")
        self.assertEqual(logo.width, 320)
        self.assertLessEqual(logo.height, 190)
        # drawn from the top-left corner onto a black screen, so its margins are black
        for corner in ((0, 0), (319, 0), (0, logo.height - 1), (319, logo.height - 1)):
            self.assertEqual(logo.getpixel(corner), (0, 0, 0))
        gear = image(self.files, "demo1/GEAR5.PNG")
        self.assertLessEqual(gear.width, 120)
        self.assertLessEqual(gear.height, 120)

    def test_glyph_sheet_has_a_distinct_glyph_for_every_printable_character(self):
        sheet = image(self.files, "demo1/OLMFontBlue.png").convert("RGB")
        self.assertEqual(sheet.getpixel((0, 0)), MAGENTA)  # the space cell is background
        printable = {code: cell_ink(sheet, code) for code in range(33, 127)}
        for code, ink in printable.items():
            self.assertTrue(ink, f"character {code} is blank")
        self.assertEqual(len(set(printable.values())), len(printable),
                         "two printable characters share a glyph")
        for code in range(128, 256):
            self.assertTrue(code == 160 or cell_ink(sheet, code), f"character {code} is blank")
        # blue ink: over all glyph pixels blue outweighs red
        ink = [sheet.getpixel((x, y)) for y in range(112) for x in range(128)
               if sheet.getpixel((x, y)) != MAGENTA]
        self.assertGreater(sum(p[2] for p in ink), 1.5 * sum(p[0] for p in ink))

    def test_gear_body_keeps_clear_of_white(self):
        gear = image(self.files, "demo1/GEAR5.PNG").convert("RGB")
        pixels = [gear.getpixel((x, y)) for y in range(gear.height) for x in range(gear.width)]
        self.assertEqual(gear.getpixel((0, 0)), WHITE)
        body = [p for p in pixels if p != WHITE]
        self.assertGreater(len(body), len(pixels) // 3)
        # nothing pale enough to show as a fringe once the white is keyed out
        self.assertEqual([p for p in body if min(p) >= 240], [])

    def test_textures_are_opaque_and_translucent(self):
        opaque = image(self.files, "demo1/test.png")
        self.assertEqual({p[3] for p in opaque.getdata()}, {255})
        translucent = list(image(self.files, "demo1/testa.png").getdata())
        alphas = [p[3] for p in translucent]
        self.assertIn(0, alphas)
        self.assertIn(255, alphas)
        self.assertTrue(any(96 <= a <= 160 for a in alphas))
        # clear texels are all zero, so the renderer's zero-texel masking skips them as well
        self.assertEqual({p for p in translucent if p[3] == 0}, {(0, 0, 0, 0)})

    def test_sound_is_short_audible_cd_quality_pcm(self):
        with wave.open(io.BytesIO(self.files["demo1/Axe.wav"])) as sound:
            self.assertEqual(sound.getsampwidth(), 2)
            self.assertEqual(sound.getframerate(), 44100)
            self.assertIn(sound.getnchannels(), (1, 2))
            self.assertLessEqual(sound.getnframes() / sound.getframerate(), 0.5)
            frames = sound.readframes(sound.getnframes())
        samples = struct.unpack(f"<{len(frames) // 2}h", frames)
        self.assertGreater(max(abs(s) for s in samples), 8000)

    def test_music_is_a_general_midi_piece_of_half_a_minute(self):
        form, division, events = midi_events(self.files["demo1/OLM- Meridel2.mid"])
        self.assertIn(form, (0, 1))
        tempos = [e for e in events if e[2] == 0xFF and e[3][0] == 0x51]
        self.assertEqual(len(tempos), 1)
        microseconds = int.from_bytes(tempos[0][3][2:5], "big")
        end = max(tick for _, tick, _, _ in events)
        self.assertGreaterEqual(end / division * microseconds / 1e6, 30.0)
        notes = [e for e in events if e[2] & 0xF0 == 0x90 and e[3][1] > 0]
        channels = {e[2] & 0x0F for e in notes}
        self.assertIn(9, channels)  # drums
        self.assertGreaterEqual(len(channels), 3)
        programs = {e[2] & 0x0F for e in events if e[2] & 0xF0 == 0xC0}
        self.assertEqual(channels - {9}, programs)
        # every note that starts also stops, so nothing hangs when the piece loops
        held = {}
        for _, _, status, data in sorted(events, key=lambda e: e[1]):
            key = (status & 0x0F, data[0]) if status & 0xE0 == 0x80 else None
            if key and status & 0xF0 == 0x90 and data[1] > 0:
                held[key] = held.get(key, 0) + 1
            elif key:
                held[key] = held.get(key, 0) - 1
        self.assertEqual({k: v for k, v in held.items() if v}, {})

    def test_readme_pictures_match_the_archive(self):
        copies = {"glyphs.png": "demo1/OLMFontBlue.png", "logo.png": "demo1/OLM Logo.png",
                  "gear.png": "demo1/GEAR5.PNG", "texture.png": "demo1/test.png",
                  "texture-alpha.png": "demo1/testa.png"}
        for copy, name in copies.items():
            with open(os.path.join(SOURCE, "docs", "data", copy), "rb") as picture:
                self.assertEqual(picture.read(), self.files[name],
                                 f"docs/data/{copy} is stale: build the data_docs target")


class PipelineTest(unittest.TestCase):
    def run_generators(self, staging):
        demo1 = os.path.join(staging, "demo1")
        os.makedirs(demo1)
        palettes = os.path.join(DATA, "palettes")
        glyphs = os.path.join(DATA, "font", "glyphs.txt")
        runs = [
            ["makefont.py", glyphs, f"{palettes}/fontblue.txt", f"{demo1}/OLMFontBlue.png"],
            ["makelogo.py", glyphs, f"{palettes}/logo.txt", f"{demo1}/OLM Logo.png"],
            ["makegear.py", f"{palettes}/gear.txt", f"{demo1}/GEAR5.PNG"],
            ["maketextures.py", f"{palettes}/textures.txt", f"{demo1}/test.png",
             f"{demo1}/testa.png"],
            ["makesound.py", f"{demo1}/Axe.wav"],
            ["makemusic.py", os.path.join(DATA, "music", "meridel.txt"),
             f"{demo1}/OLM- Meridel2.mid"],
        ]
        for script, *args in runs:
            subprocess.run([sys.executable, "-B", os.path.join(TOOLS, script), *args],
                           check=True)

    def pack(self, staging, out):
        subprocess.run([sys.executable, "-B", os.path.join(TOOLS, "makepak.py"), staging, out],
                       check=True)
        with open(out, "rb") as pak:
            return pak.read()

    def test_two_runs_give_identical_bytes(self):
        with tempfile.TemporaryDirectory() as temp:
            first, second = os.path.join(temp, "a"), os.path.join(temp, "b")
            self.run_generators(first)
            self.run_generators(second)
            a = self.pack(first, os.path.join(temp, "a.zip"))
            b = self.pack(second, os.path.join(temp, "b.zip"))
            self.assertEqual(a, b)
            built = read_pak()
            with zipfile.ZipFile(io.BytesIO(a)) as fresh:
                for name in DEMO_FILES:
                    self.assertEqual(fresh.read(name), built[name], f"{name} is out of date")

    @unittest.skipUnless(BUILD, "needs the build directory")
    def test_built_archive_is_the_packed_staging_directory(self):
        staging = os.path.join(BUILD, "data", "pak")
        with tempfile.TemporaryDirectory() as temp:
            packed = self.pack(staging, os.path.join(temp, "pak000.zip"))
        with open(PAK, "rb") as built:
            self.assertEqual(packed, built.read())


if __name__ == "__main__":
    unittest.main()
