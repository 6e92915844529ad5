"""Reads the small palette files under data/palettes: one 'name r g b' entry per line."""


class PaletteError(Exception):
    pass


def load(path):
    """Returns {name: [(r, g, b), ...]} in file order; repeated names collect a ramp."""
    entries = {}
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, *values = line.split()
            try:
                colour = tuple(int(v) for v in values)
            except ValueError:
                colour = ()
            if len(colour) != 3 or not all(0 <= c <= 255 for c in colour):
                raise PaletteError(f"{path}:{number}: expected 'name r g b' with values 0-255")
            entries.setdefault(name, []).append(colour)
    return entries
