"""levelc and leveldump, with Tiled itself: levels survive leveldump --tmx, Tiled's JSON and TMX
re-exports and levelc; Tiled's encodings compile; every importer error has its message, and a
malformed level or level text names its file and offset or line; a failed run leaves no files."""

import base64
import collections
import gzip
import os
import re
import subprocess
import zlib

from PIL import Image
from tarvotest.engine import BUILD, ScratchTest, tool as run

DEMO = os.path.join(BUILD, "data", "pak", "demo1", "levels", "blk301a")


def tiled(*args):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run(["tiled", "--export-map", *args], env=env, check=True, capture_output=True,
                   timeout=60)


def layer_text(number, rows):
    return "layer %d %d %d\n" % (number, len(rows[0]) if rows else 0, len(rows)) + "".join(
        "|" + "".join(" %3s" % cell for cell in row) + "\n" for row in rows)


def sparse(cols, rows, literals):
    grid = [["."] * cols for _ in range(rows)]
    for (col, row), value in literals.items():
        grid[row][col] = value
    return grid


# Every field and skipped block non-zero; runs of length 0, across rows, of exactly 32767 and
# a final one too long for an int16; a table whose entry 0 is a tile, with an unused entry.
FULL = ("header 01 02 03 04 05 06 07 08 09 0a 0b 0c\ntile 0 1\ntile 1 -3\ntile 2 7\ntile 3 1\n"
        "block1 aa bb cc\nreserved1 01 02 03 04 05 06 07 08\nvalues -5 70000 -2 3 4 -32768\n"
        "chunk 01 02 03 04 05 06 07 08 09 0a\nchunkdata de ad\nchunk 0a 09 08 07 06 05 04 03 02 01\n"
        "record2 01 02 03 04 05 06 07 08 09 0a\n"
        "translation 0 2 01 02 03 04 05 06\ntranslation 1 -1 00 00 00 00 00 07\n"
        "translation 2 0 00 00 00 00 00 00\ntranslation 3 3 00 00 00 00 00 00\n"
        "translation 4 99 00 00 00 00 00 00\nreserved2 34 12\n"
        + layer_text(1, [["1", ".", "2", "3"], [".", ".", ".", "."], ["3", "3", ".", "1"]])
        + layer_text(2, sparse(200, 200, {(0, 0): 3, (1, 0): 0}))
        + "background -999999 999999 3 -7 3 0 01 02 03 04 05 06\n"
          "background 12 -34 -10 20 0 1 00 00 00 00 00 00\n"
          "background 0 0 0 0 255 2 00 00 00 00 00 00\nbackground 5 6 80 0 1 255 00 00 00 00 00 00\n"
          "background 1 2 10 10 2 200 00 00 00 00 00 00\n"
          "record3 " + " 0c" * 12 + "\nrecord4 " + " 1b" * 27 + "\nrecord5 " + " 0d" * 13 +
        "\nreserved3 0d 0e 0f\nrecord6 " + " 0a" * 10 + "\nrecord7 " + " 09" * 9 +
        "\nrecord8 " + " 06" * 6 + "\n"
        + layer_text(3, sparse(200, 200, {(0, 0): 1, (5, 163): 2})) + "trailer 01 02\n")
# A table the importer derives from the cells, so only its extra bytes travel in a property.
PLAIN = ("header" + " 00" * 12 + "\ntile 0 5\ntile 1 6\ntile 2 9\nreserved1" + " 00" * 8 +
         "\nvalues 0 0 0 0 0 0\ntranslation 0 -1 00 00 00 00 00 00\n"
         "translation 1 0 00 00 00 00 00 09\ntranslation 2 2 00 00 00 00 00 00\nreserved2 00 00\n"
         + layer_text(1, [["2", ".", "1"]]) + layer_text(2, []) + "reserved3 00 00 00\n"
         + layer_text(3, [["1"], ["."]]))
# Every part of the extension block, in texts that need quoting.
EXTENSION = PLAIN + (
    'collisionlayer 3\ntileprop 1 solid\ntileprop 1 hp int -3\ntileprop 2 hazard\n'
    'tileprop 2 "a label" string "a # \\"b\\""\ntileprop 2 speed float 0.25\n'
    'animation 0 1 100 2 17\nobject 4 coin coin 24 48 24 24 -1\nobjectprop on bool true\n'
    'object 9 "" "" -8 0 24 24 2\n')

MAP = """<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" orientation="orthogonal" width="3" height="2" tilewidth="24" tileheight="24" infinite="0">
 <properties><property name="V1" type="int" value="5"/></properties>
 <tileset firstgid="1" name="t" tilewidth="24" tileheight="24" tilecount="3" columns="0">
  <tile id="0"><image width="24" height="24" source="tiles/TILE0001.PNG"/></tile>
  <tile id="1"><image width="24" height="24" source="tiles/TILE-003.PNG"/></tile>
  <tile id="2"><image width="24" height="24" source="tiles/TILE0007.PNG"/></tile>
 </tileset>
 <imagelayer id="1" name="sky" offsetx="4" offsety="-2" parallaxx="0.5"><image source="bg/BG0003.PNG" trans="ffffff"/></imagelayer>
 <layer id="2" name="third" width="3" height="2">{third}</layer>
 <layer id="3" name="second" width="2" height="1">{second}</layer>
 <layer id="4" name="first" width="3" height="2"><properties><property name="translation" value="-1 2 0"/></properties>{first}</layer>
</map>
"""
GIDS = {"third": [1, 0, 2, 0, 3, 0], "second": [3, 1], "first": [0, 3, 1, 1, 0, 0]}
EXPECTED_LAYERS = (layer_text(1, [[".", "1", "2"], ["2", ".", "."]]).replace(
    "|   .   1   2", "|   .   1   2  #  -1   2   0").replace("|   2   .   .", "|   2   .   .  #   0  -1  -1")
    + layer_text(2, [["2", "0"]]))


# A levelc run that fails with --cut-tiles FOLDER on a map holding gid, writing to OUT.
CutFailure = collections.namedtuple("CutFailure", "name gid folder out message")


def encoded(gids, encoding, compression):
    if encoding == "csv":
        return '<data encoding="csv">%s</data>' % ",".join(map(str, gids))
    raw = b"".join(gid.to_bytes(4, "little") for gid in gids)
    packed = {"": raw, "zlib": zlib.compress(raw), "gzip": gzip.compress(raw)}[compression]
    return '<data encoding="base64" compression="%s">%s</data>' % (
        compression, base64.b64encode(packed).decode())


def tiled_map(encoding="csv", compression=""):
    return MAP.format(**{name: encoded(gids, encoding, compression)
                         for name, gids in GIDS.items()})


class Tiled(ScratchTest):
    def compile(self, source, *options):
        out = source + ".level"
        result = run("levelc", *options, source, out)
        self.assertEqual(result.returncode, 0, result.stderr)
        return run("leveldump", out).stdout, open(out, "rb").read()

    def reexports(self, source):
        """Tiled's JSON and TMX re-exports of a map, with and without embedded tilesets."""
        for embed in ([], ["--embed-tilesets"]):
            name = self.path("embed" if embed else "external")
            tiled(*embed, "json", source, name + ".json")
            tiled(*embed, "tmx", name + ".json", name + ".tmx")
            yield name + ".json"
            yield name + ".tmx"

    def test_levels_survive_tiled_round_trips(self):
        # How tables and cells become maps is checked on random levels by the unit tests; here
        # Tiled reads and writes them, with an extension block too. One level goes out as JSON,
        # named in upper case: a .tmj too is a map Tiled reads.
        for name, text, out in (("demo", None, "map.tmx"), ("full", FULL, "map.TMJ"),
                                ("extension", EXTENSION, "map.tmj")):
            with self.subTest(name):
                level = DEMO if text is None else self.path(name + ".level")
                if text is not None:
                    self.assertEqual(run("levelc", self.path(name + ".txt", text), level)
                                     .returncode, 0)
                self.assertEqual(run("leveldump", "--tmx", level, self.path(out)).returncode, 0)
                for source in (self.path(out), *self.reexports(self.path(out))):
                    self.assertEqual(self.compile(source)[1], open(level, "rb").read(), source)

    def test_edits_in_tiled_map_change_only_that_cell_and_offset(self):
        self.assertEqual(run("leveldump", "--tmx", DEMO, self.path("map.tmx")).returncode, 0)
        tiled("tmx", self.path("map.tmx"), self.path("tiled.tmx"))
        text = open(self.path("tiled.tmx")).read()
        start = text.index('name="second"')
        end = text.index("</data>", start)
        rows = text[start:end].split("\n")
        cells = rows[6].split(",")  # rows[2] holds the layer's row 0
        cells[7] = "2"
        rows[6] = ",".join(cells)
        text = text[:start] + "\n".join(rows) + text[end:]
        edited = self.path("edited.tmx", text.replace('offsety="12"', 'offsety="13"', 1))
        before = run("leveldump", DEMO).stdout.decode().splitlines()
        after = self.compile(edited)[0].decode().splitlines()
        changed = [(old, new) for old, new in zip(before, after) if old != new]
        self.assertEqual(len(before), len(after))
        self.assertEqual([new.split()[8] for old, new in changed[:1]], ["1"])
        self.assertEqual(changed[1], ("background 0 12 80 0 1 1 00 00 00 00 00 00",
                                      "background 0 13 80 0 1 1 00 00 00 00 00 00"))
        self.assertEqual(len(changed), 2)

    def test_every_encoding_tiled_writes_compiles_to_the_cells(self):
        reference = self.compile(self.path("csv.tmx", tiled_map()))[0].decode()
        self.assertIn(EXPECTED_LAYERS, reference)
        # Without the names the tile layers count from the front (the end of the file).
        unnamed = re.sub(r'name="(first|second|third)"', r'name="\1 one"', tiled_map())
        self.assertEqual(self.compile(self.path("unnamed.tmx", unnamed))[0].decode(), reference)
        for encoding, compression in (("base64", ""), ("base64", "zlib"), ("base64", "gzip")):
            source = self.path(compression + ".tmx", tiled_map(encoding, compression))
            for form in ("json", "tmx"):
                written = self.path(compression + "-tiled." + form)
                tiled(form, source, written)
                self.assertIn(compression or "base64", open(written).read())
                self.assertEqual(self.compile(written)[0].decode(), reference, written)

    def files(self):
        """Every folder and file under the test's directory."""
        return sorted(os.path.relpath(os.path.join(top, name), self.dir.name)
                      for top, folders, files in os.walk(self.dir.name) for name in folders + files)

    def cut_map(self, gid=1):
        """A map whose tileset is cut from sheet.png (margin 1, spacing 2), with gid in layer 2."""
        sheet = Image.new("RGBA", (52, 52), (0, 0, 0, 0))
        for tile, (x, y) in enumerate(((1, 1), (27, 1), (1, 27))):
            sheet.paste((40 * tile, 200, 0, 255), (x, y, x + 24, y + 24))
            sheet.putpixel((x + 23, y + 23), (1, 2, 3, 128))
        sheet.save(self.path("sheet.png"))
        return sheet, self.path("cut.tmx", re.sub(
            r'tilecount="3" columns="0">.*</tileset>',
            'tilecount="3" columns="2" margin="1" spacing="2"><image source="sheet.png"/>'
            "</tileset>", tiled_map(), flags=re.S).replace(">3,1<", ">3,%d<" % gid))

    def test_cut_tiles_honours_margin_and_spacing(self):
        sheet, source = self.cut_map()
        dump = self.compile(source, "--cut-tiles", self.path("cut"))[0].decode()
        self.assertIn("tile 0 0\ntile 1 1\ntile 2 2\n", dump)
        for tile, (x, y) in enumerate(((1, 1), (27, 1), (1, 27))):
            cut = Image.open(self.path("cut/TILE%04d.PNG" % tile))
            self.assertEqual(list(cut.getdata()), list(sheet.crop((x, y, x + 24, y + 24)).getdata()))

    def test_failed_compile_leaves_no_files_behind(self):
        file, kept, out = self.path("file", "x"), self.path("kept"), self.path("no/out")
        os.mkdir(kept)
        self.path("kept/other", "x")
        for row in (
                CutFailure("later error", 9, self.path("new"), self.path("out"),
                           "cut.tmx:7: gid 9 is in no tileset"),
                CutFailure("folder is a file", 1, file, self.path("out"),
                           "file: cannot create the folder (File exists)"),
                CutFailure("output not writable", 1, self.path("new/deeper"), out,
                           "no/out: cannot write the level"),
                CutFailure("output not writable, folder there", 1, kept, out,
                           "no/out: cannot write the level")):
            with self.subTest(row.name):
                source = self.cut_map(row.gid)[1]
                before = self.files()
                result = run("levelc", "--cut-tiles", row.folder, source, row.out)
                self.assertEqual((result.returncode, result.stderr.decode()),
                                 (1, self.path(row.message) + "\n"))
                self.assertEqual(self.files(), before)

    def test_leveldump_writes_nothing_for_a_game_that_is_no_folder_or_pak(self):
        game = self.path("game.txt", "not a pak")
        before = self.files()
        result = run("leveldump", "--tmx", DEMO, self.path("out/map.tmx"), "--game", game)
        self.assertEqual((result.returncode, result.stderr.decode()),
                         (1, game + ": not a game folder or pak\n"))
        self.assertEqual(self.files(), before)

    def test_errors_name_file_place_and_cause(self):
        # Checks shared with Tiled's JSON form are seen with the JSON maps of the unit tests.
        base = tiled_map()
        tiles = lambda count: "".join('<tile id="%d"><image source="TILE%04d.PNG"/></tile>' % (i, i)
                                      for i in range(count))
        many = re.sub(r"  <tile id=.*</tile>\n", lambda m: "  " + tiles(300) + "\n", base, flags=re.S)
        layer4 = '<layer id="5" name="x" width="1" height="1"><data encoding="csv">0</data></layer>\n'
        cases = [
            (base.replace('"orthogonal"', '"isometric"'), 2,
             'orientation "isometric" is not supported'),
            (base.replace(">1,0,2,0,3,0<", ">1,0,2,0,2147483651,0<"), 10,
             "flipped or rotated tile at column 1 row 1"),
            (base.replace("TILE0007.PNG", "TILE7.PNG"), 7,
             'tile image "TILE7.PNG" is not named TILE%04d.PNG'),
            (base.replace('"csv">1,0,2', '"xml">1,0,2'), 10, 'encoding "xml" is not supported'),
            (base.replace('"csv">1,0,2,0,3,0', '"base64" compression="zstd">AAAA'), 10,
             'compression "zstd" is not supported'),
            (base.replace("</map>", layer4 + "</map>"), 13, "more than three tile layers"),
            (base.replace("</map>", '<group id="6" name="g"/>\n</map>'), 13,
             "group layers are not supported"),
            (re.sub(r"( <imagelayer.*</imagelayer>)", lambda m: m.group(1) * 256, base), 9,
             "more than 255 backgrounds"),
            (base.replace("BG0003", "BG0256"), 9,
             'background image "BG0256.PNG" is not named BG%04d.PNG with a number 0 to 255'),
            (re.sub(r"  <tile id=.*</tile>\n", lambda m: "  " + tiles(32768) + "\n", base,
                    flags=re.S), 4, "more than 32767 tiles"),
            (many.replace(">3,1<", ">258,1<"), 9, "tile number 257 in layer 2 is beyond 255"),
            (re.sub(r'name="first" width="3" height="2">.*</layer>',
                    'name="first" width="256" height="1"><data encoding="csv">%s</data></layer>'
                    % ",".join(map(str, range(1, 257))), many), 10,
             "more than 255 tiles used in the first layer"),
            (base.replace('width="3" height="2">', 'width="1025" height="1024">', 1), 10,
             "layer 3 is larger than 1048576 cells"),
            (base.replace('width="3" height="2"><data encoding="csv">1,0,2,0,3,0',
                          'width="200" height="200"><data encoding="csv">' + "0," * 39999 + "1"),
             10, "layer 3: more than 32767 empty cells before column 199 row 199"),
            (base.replace(" <imagelayer", ' <tileset firstgid="9" name="u"/>\n <imagelayer'),
             9, "more than one tileset"),
            (base.replace('tile id="2"', 'tile id="3"'), 7, "tile ids must run from 0 without gaps"),
            (base.replace('name="second"', 'name="middle"'), 2,
             "tile layers must all be named first, second, third or none"),
            (base.replace('name="third"', 'name="third" offsetx="3"'), 10,
             'tile layer "third" has an offset or parallax'),
            (re.sub(r"  <tile id=.*</tile>\n", '  <image source="sheet.png"/>\n', base, flags=re.S),
             4, "single-image tilesets need --cut-tiles DIR"),
            (base.replace('value="5"', 'value="x"'), 3, "property V1 is not valid: not an int"),
            (base.replace('"-1 2 0"', '"-1 2 1"'), 12,
             "property translation does not match the layers"),
            (base[:200], 3, "syntax error"),
        ]
        for text, line, message in cases:
            with self.subTest(message):
                source = self.path("bad.tmx", text)
                result = run("levelc", source, self.path("out"))
                self.assertEqual((result.returncode, result.stderr.decode()),
                                 (1, "%s:%d: %s\n" % (source, line, message)))
                self.assertFalse(os.path.exists(self.path("out")))

    def test_malformed_level_reports_file_and_offset(self):
        # Header 12 bytes, tile count at 12, first tile record at 14: one byte of it is there.
        demo = open(DEMO, "rb").read()
        for data, expected in ((demo[:15], "offset 14: "), (b"", "offset 0: ")):
            with self.subTest(size=len(data)):
                path = self.path("bad", data)
                result = run("leveldump", path)
                self.assertEqual((result.returncode, result.stdout), (1, b""))
                self.assertTrue(result.stderr.decode().startswith(path + ": " + expected),
                                result.stderr)

    def test_bad_level_text_reports_file_and_line(self):
        source = self.path("bad.txt", b"# a level\nheader 00 00\n")
        result = run("levelc", source, self.path("out"))
        self.assertEqual(result.returncode, 1)
        self.assertTrue(result.stderr.decode().startswith(source + ":2: "), result.stderr)
        self.assertFalse(os.path.exists(self.path("out")))

