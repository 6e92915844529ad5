"""Replay files for the tests: a writer to build them inline (format version 1, or 2 with pads)
and a reader to check recordings."""
import struct
from collections import namedtuple

KEY_DOWN, KEY_UP, STATE, QUIT, END = 1, 2, 3, 4, 5
PAD_AXIS, PAD_DOWN, PAD_UP, PAD_HAT = 6, 7, 8, 9  # version 2 only
# After each record's u32 tick and u8 type.
FIELDS = {KEY_DOWN: "HHH", KEY_UP: "HHH", STATE: "B", PAD_AXIS: "BBh", PAD_DOWN: "BB",
          PAD_UP: "BB", PAD_HAT: "BBB"}
SHOWN = 0x07  # mouse focus, input focus, not iconified
RIGHT = 275  # SDLK_RIGHT; its key event has no character
F9, F12 = 290, 293

# The records, one shape per kind: still tuples, so (tick, kind, *fields) unpacks them.
Key = namedtuple("Key", "tick kind sym modifiers unicode")
State = namedtuple("State", "tick kind state")
Mark = namedtuple("Mark", "tick kind")  # quit and end
Axis = namedtuple("Axis", "tick kind pad axis value")
Button = namedtuple("Button", "tick kind pad button")
Hat = namedtuple("Hat", "tick kind pad hat value")  # SDL_HAT_UP 1, RIGHT 2, DOWN 4, LEFT 8
Recording = namedtuple("Recording", "seed records")
SHAPES = {KEY_DOWN: Key, KEY_UP: Key, STATE: State, PAD_AXIS: Axis, PAD_DOWN: Button,
          PAD_UP: Button, PAD_HAT: Hat}


def make(tick, kind, *fields):
    return SHAPES.get(kind, Mark)(tick, kind, *fields)


def header(seed=1, state=SHOWN, version=1, flags=0, scale=0, pads=0):
    """Version 2 and later hold the pad count."""
    head = struct.pack("<HBBBBHIB", version, 1, 1, 0, flags, scale, seed, state)
    return b"TRVREPLY" + head + (bytes([pads]) if version >= 2 else b"")


def record(tick, kind, *fields):
    return struct.pack("<IB" + FIELDS.get(kind, ""), tick, kind, *fields)


class Replay:
    """Records in the order added; pads makes it a version 2 file with that many pads."""

    def __init__(self, seed=1, pads=None):
        version = 1 if pads is None else 2
        self.head, self.records = header(seed, version=version, pads=pads or 0), []

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
    records, offset = [], 21 if struct.unpack_from("<H", data, 8)[0] == 1 else 22
    while offset < len(data):
        tick, kind = struct.unpack_from("<IB", data, offset)
        fields = "<" + FIELDS.get(kind, "")
        records.append(make(tick, kind, *struct.unpack_from(fields, data, offset + 5)))
        offset += 5 + struct.calcsize(fields)
    return Recording(struct.unpack_from("<I", data, 16)[0], records)
