"""Reads the small palette files under data/palettes: one 'name r g b' entry per line."""


def load(path):
    """Returns {name: [(r, g, b), ...]} in file order; repeated names collect a ramp."""
    entries = {}
    with open(path, encoding="utf-8") as source:
        for line in source:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, *values = line.split()
            entries.setdefault(name, []).append(tuple(int(v) for v in values))
    return entries
