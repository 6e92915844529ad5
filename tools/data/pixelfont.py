"""Reads the hand-drawn glyph source (data/font/glyphs.txt) into 5 x 8 bitmaps by character code.

Shared by the glyph-sheet and logo generators, so the title lettering and the on-screen text
come from the same drawings.
"""

GLYPH_WIDTH = 5
GLYPH_HEIGHT = 8
CAP_ROWS = 7  # capitals and digits stand on rows 0-6


class GlyphSourceError(Exception):
    pass


def _parse_rows(rows, count, where):
    """Splits eight text rows of `count` space-separated groups into `count` bitmaps."""
    glyphs = [[] for _ in range(count)]
    for line in rows:
        groups = line.split(" ")
        if len(groups) != count:
            raise GlyphSourceError(f"{where}: expected {count} glyphs in row '{line}'")
        for index, group in enumerate(groups):
            if len(group) != GLYPH_WIDTH or set(group) - {"#", "."}:
                raise GlyphSourceError(f"{where}: bad glyph row '{group}'")
            glyphs[index].append([c == "#" for c in group])
    return glyphs


def _shorten(bitmap):
    """Fits a capital's seven rows into five by dropping two rows that repeat a neighbour,
    starting from the middle, so an accent fits above it."""
    rows = [list(r) for r in bitmap[:CAP_ROWS]]
    for _ in range(2):
        order = sorted(range(1, len(rows)), key=lambda i: abs(i - len(rows) / 2))
        drop = next((i for i in order if rows[i] == rows[i - 1]), None)
        if drop is None:
            drop = len(rows) // 2
        del rows[drop]
    return rows


def _compose(base, mark, capital):
    blank = [False] * GLYPH_WIDTH
    if capital:
        body = [list(blank), list(blank)] + _shorten(base) + [list(base[7])]
    else:
        body = [list(blank), list(blank)] + [list(r) for r in base[2:]]
    for row in range(len(mark)):
        body[row] = [a or b for a, b in zip(body[row], mark[row])]
    return body


def load(path):
    """Returns {code: bitmap} where a bitmap is GLYPH_HEIGHT rows of GLYPH_WIDTH bools."""
    with open(path, encoding="utf-8") as source:
        lines = [line.rstrip("\n") for line in source]
    glyphs = {32: [[False] * GLYPH_WIDTH for _ in range(GLYPH_HEIGHT)]}
    accents = {}
    number = 0
    while number < len(lines):
        line = lines[number]
        where = f"{path}:{number + 1}"
        number += 1
        if not line.strip() or line.startswith("#"):
            continue
        keyword, _, rest = line.partition(" ")
        if keyword == "chars":
            rows = lines[number:number + GLYPH_HEIGHT]
            number += GLYPH_HEIGHT
            for char, bitmap in zip(rest, _parse_rows(rows, len(rest), where)):
                glyphs[ord(char)] = bitmap
        elif keyword == "accent":
            rows = lines[number:number + 2]
            number += 2
            accents[rest] = [[c == "#" for c in row] for row in rows]
        elif keyword == "compose":
            char, base, mark = rest.split(" ")
            if ord(base) not in glyphs or mark not in accents:
                raise GlyphSourceError(f"{where}: unknown base or accent")
            glyphs[ord(char)] = _compose(glyphs[ord(base)], accents[mark], base.isupper())
        else:
            raise GlyphSourceError(f"{where}: unknown keyword '{keyword}'")
    for code, bitmap in glyphs.items():
        if code > 255 or len(bitmap) != GLYPH_HEIGHT:
            raise GlyphSourceError(f"{path}: glyph {code} is malformed")
    return glyphs
