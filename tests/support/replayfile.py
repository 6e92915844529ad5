"""Replay files for the tests: a writer to build them inline and a reader to check recordings."""
import struct

MAGIC = b"TRVREPLY"
KEY_DOWN, KEY_UP, STATE, QUIT, END = 1, 2, 3, 4, 5
SHOWN = 0x07  # mouse focus, input focus, not iconified
RIGHT = 275  # SDLK_RIGHT; its key event has no character


def header(seed=1, state=SHOWN, version=1, flags=0, scale=0):
    return MAGIC + struct.pack("<HBBBBHIB", version, 1, 1, 0, flags, scale, seed, state)


def record(tick, kind, *fields):
    if kind in (KEY_DOWN, KEY_UP):
        return struct.pack("<IBHHH", tick, kind, *fields)
    if kind == STATE:
        return struct.pack("<IBB", tick, kind, *fields)
    return struct.pack("<IB", tick, kind)


class Replay:
    """Records in the order added; keys are pressed and released within their tick."""

    def __init__(self, seed=1, state=SHOWN):
        self.head = header(seed, state)
        self.records = []

    def key(self, tick, name):
        sym, char = (RIGHT, 0) if name == "Right" else (ord(name.lower()), ord(name))
        self.records += [(tick, KEY_DOWN, sym, 0, char), (tick, KEY_UP, sym, 0, char)]
        return self

    def keys(self, *ticks_and_names):
        for tick, name in ticks_and_names:
            self.key(tick, name)
        return self

    def state(self, tick, state):
        self.records.append((tick, STATE, state))
        return self

    def end(self, tick):
        self.records.append((tick, END))
        return self

    def bytes(self):
        return self.head + b"".join(record(*r) for r in self.records)


def read(data):
    """(seed, records as tuples like Replay's) of a well-formed replay."""
    seed = struct.unpack_from("<I", data, 16)[0]
    records, offset = [], 21
    while offset < len(data):
        tick, kind = struct.unpack_from("<IB", data, offset)
        size = {KEY_DOWN: 6, KEY_UP: 6, STATE: 1}.get(kind, 0)
        fields = struct.unpack_from({6: "<HHH", 1: "<B", 0: ""}[size], data, offset + 5)
        records.append((tick, kind, *fields))
        offset += 5 + size
    return seed, records

