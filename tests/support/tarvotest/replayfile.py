"""Replay files for the tests: a writer to build them inline and a reader to check recordings."""
import struct
from collections import namedtuple

KEY_DOWN, KEY_UP, STATE, QUIT, END = 1, 2, 3, 4, 5
FIELDS = {KEY_DOWN: "HHH", KEY_UP: "HHH", STATE: "B"}  # after each record's u32 tick, u8 type
SHOWN = 0x07  # mouse focus, input focus, not iconified
RIGHT = 275  # SDLK_RIGHT; its key event has no character
F9, F12 = 290, 293

# The records, one shape per kind: still tuples, so (tick, kind, *fields) unpacks them.
Key = namedtuple("Key", "tick kind sym modifiers unicode")
State = namedtuple("State", "tick kind state")
Mark = namedtuple("Mark", "tick kind")  # quit and end
Recording = namedtuple("Recording", "seed records")


def make(tick, kind, *fields):
    return {KEY_DOWN: Key, KEY_UP: Key, STATE: State}.get(kind, Mark)(tick, kind, *fields)


def header(seed=1, state=SHOWN, version=1, flags=0, scale=0):
    return b"TRVREPLY" + struct.pack("<HBBBBHIB", version, 1, 1, 0, flags, scale, seed, state)


def record(tick, kind, *fields):
    return struct.pack("<IB" + FIELDS.get(kind, ""), tick, kind, *fields)


class Replay:
    """Records in the order added."""

    def __init__(self, seed=1):
        self.head, self.records = header(seed), []

    def keys(self, *ticks_and_names):
        """Each key is pressed and released within its tick: a name, or a key symbol."""
        for tick, name in ticks_and_names:
            if isinstance(name, int):
                sym, char = name, 0
            else:
                sym, char = (RIGHT, 0) if name == "Right" else (ord(name.lower()), ord(name))
            self.records += [Key(tick, KEY_DOWN, sym, 0, char), Key(tick, KEY_UP, sym, 0, char)]
        return self

    def add(self, tick, kind, *fields):
        self.records.append(make(tick, kind, *fields))
        return self

    def bytes(self):
        return self.head + b"".join(record(*r) for r in self.records)


def read(data):
    """The Recording of a well-formed replay, its records as Replay holds them."""
    records, offset = [], 21
    while offset < len(data):
        tick, kind = struct.unpack_from("<IB", data, offset)
        fields = "<" + FIELDS.get(kind, "")
        records.append(make(tick, kind, *struct.unpack_from(fields, data, offset + 5)))
        offset += 5 + struct.calcsize(fields)
    return Recording(struct.unpack_from("<I", data, 16)[0], records)
