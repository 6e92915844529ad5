#!/usr/bin/python3
"""Writes a General MIDI file from a note list: a melody and one chord per bar, from which the
bass, pad and guitar parts are arranged, and drum patterns. The note-list format is in
docs/generators.md; data/music/meridel.txt is the demo's music, data/assets/tune.txt the asset
pak's tune.

The Standard MIDI File bytes are put together here (format 1, one tempo track and one track per
part); no MIDI library is needed. Melody on channel 1, bass 2, pad 3, guitar 4, drums 10.
"""
import argparse
import os
import struct
import sys

DIVISION = 480  # ticks per quarter note
BEATS_PER_BAR = 4
NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
CHORD_SHAPES = {"": (0, 4, 7), "m": (0, 3, 7)}
CHANNELS = {"melody": 0, "bass": 1, "pad": 2, "guitar": 3}
DRUM_CHANNEL = 9


class NoteListError(Exception):
    pass


def pitch(name):
    """'C#5' -> 73: MIDI number with C4 = 60."""
    step = NOTE_NAMES[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        step += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    number = (int(rest) + 1) * 12 + step
    if not 0 <= number <= 127:
        raise ValueError
    return number


def length_in_beats(text):
    dotted = text.endswith(".")
    beats = 4 / int(text.rstrip("."))
    return beats * 1.5 if dotted else beats


def chord(symbol):
    """'Dm' -> (root pitch class, intervals)."""
    root = NOTE_NAMES[symbol[0]]
    quality = symbol[1:]
    if quality.startswith(("#", "b")):
        root += 1 if quality[0] == "#" else -1
        quality = quality[1:]
    return root % 12, CHORD_SHAPES[quality]


def melody_bar(args):
    bar = []
    for item in args:
        try:
            note, length = item.split(":")
            bar.append((None if note == "r" else pitch(note), length_in_beats(length)))
        except (ValueError, KeyError, IndexError, ZeroDivisionError):
            raise ValueError(f"bad note '{item}': NOTE:LENGTH, MIDI notes 0 to 127") from None
    if abs(sum(beats for _, beats in bar) - BEATS_PER_BAR) > 1e-9:
        raise ValueError("bar does not hold four beats")
    return bar


def read_line(song, keyword, args):
    if keyword == "title":
        song["title"] = " ".join(args)
    elif keyword == "tempo":
        song["tempo"] = int(args[0])
    elif keyword == "program":
        if args[0] not in CHANNELS:
            raise ValueError(f"no part '{args[0]}'")
        song["programs"][args[0]] = int(args[1])
    elif keyword == "chords":
        for symbol in args:
            try:
                chord(symbol)  # an unknown chord fails here, at its line
            except (KeyError, IndexError):
                raise ValueError(f"unknown chord '{symbol}' (major 'D', minor 'Dm')") from None
        song["chords"] = args
    elif keyword == "melody":
        song["melody"].append(melody_bar(args))
    elif keyword == "hit":
        name, key, beat, velocity = args
        song["hits"].setdefault(name, []).append((int(key), float(beat), int(velocity)))
    elif keyword == "drums":
        first, _, last = args[1].partition("-")
        for bar in range(int(first), int(last or first) + 1):
            song["drums"][bar - 1] = args[0]
    else:
        raise ValueError(f"unknown keyword '{keyword}'")


def parse(path):
    # Without a title line the file's name names the tune: meridel.txt is "Meridel".
    title = os.path.splitext(os.path.basename(path))[0].capitalize()
    song = {"title": title, "tempo": 100, "programs": {}, "chords": [], "melody": [],
            "hits": {}, "drums": {}}
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            try:
                read_line(song, words[0], words[1:])
            except (ValueError, KeyError, IndexError) as error:
                detail = str(error) if isinstance(error, ValueError) else "malformed line"
                raise NoteListError(f"{path}:{number}: {detail}") from None
    if len(song["melody"]) != len(song["chords"]):
        raise NoteListError(f"{path}: {len(song['melody'])} melody bars but "
                            f"{len(song['chords'])} chords")
    for pattern in song["drums"].values():
        if pattern not in song["hits"]:
            raise NoteListError(f"{path}: drum pattern '{pattern}' has no hits")
    return song


def ticks(beats):
    return int(round(beats * DIVISION))


def melody_notes(song):
    notes = []
    start = 0.0
    for bar in song["melody"]:
        for note, beats in bar:
            if note is not None:
                # a little air between notes, like a breath on a flute
                notes.append((ticks(start), ticks(start + beats * 0.92), note, 96))
            start += beats
    return notes


def bass_notes(song):
    notes = []
    for index, symbol in enumerate(song["chords"]):
        root, shape = chord(symbol)
        low = 36 + root  # C2 and up
        fifth = low + shape[2]
        bar = index * BEATS_PER_BAR
        for beat, length, note, velocity in ((0, 1.4, low, 100), (1.5, 0.45, fifth, 80),
                                             (2, 0.9, low + 12, 90), (3, 0.9, fifth, 85)):
            notes.append((ticks(bar + beat), ticks(bar + beat + length), note, velocity))
    return notes


def voicing(symbol, base):
    """The chord's notes in close position starting at or above `base`."""
    root, shape = chord(symbol)
    lowest = base + (root - base) % 12
    return [lowest + interval for interval in shape]


def pad_notes(song):
    notes = []
    for index, symbol in enumerate(song["chords"]):
        bar = index * BEATS_PER_BAR
        for note in voicing(symbol, 53):
            notes.append((ticks(bar), ticks(bar + BEATS_PER_BAR) - 1, note, 58))
    return notes


def guitar_notes(song):
    notes = []
    for index, symbol in enumerate(song["chords"]):
        bar = index * BEATS_PER_BAR
        chord_notes = voicing(symbol, 55)
        for beat in (1, 2.5, 3):
            # a strum: strings sound a few ticks apart, low to high
            for order, note in enumerate(chord_notes):
                start = ticks(bar + beat) + order * 12
                notes.append((start, ticks(bar + beat + 0.45), note, 62))
    return notes


def drum_notes(song):
    notes = []
    for bar, pattern in sorted(song["drums"].items()):
        for key, beat, velocity in song["hits"][pattern]:
            start = ticks(bar * BEATS_PER_BAR + beat)
            notes.append((start, start + DIVISION // 8, key, velocity))
    return notes


def variable_length(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def track_chunk(events, end_tick):
    """events: (tick, order, bytes); order puts note-offs before note-ons at the same tick."""
    data = bytearray()
    now = 0
    for tick, _, message in sorted(events, key=lambda e: (e[0], e[1], e[2])):
        data += variable_length(tick - now) + message
        now = tick
    data += variable_length(end_tick - now) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def meta_name(text):
    raw = text.encode("ascii")
    return b"\xff\x03" + variable_length(len(raw)) + raw


def part_track(name, channel, program, notes, end_tick):
    events = [(0, 0, meta_name(name)),
              (0, 1, bytes([0xC0 | channel, program])) if program is not None else None,
              (0, 2, bytes([0xB0 | channel, 7, 100])),
              (0, 3, bytes([0xB0 | channel, 91, 40]))]
    events = [e for e in events if e]
    for start, stop, note, velocity in notes:
        events.append((start, 5, bytes([0x90 | channel, note, velocity])))
        events.append((stop, 4, bytes([0x80 | channel, note, 0])))
    return track_chunk(events, end_tick)


def make_midi(song):
    end_tick = ticks(len(song["chords"]) * BEATS_PER_BAR)
    tempo = 60_000_000 // song["tempo"]
    conductor = track_chunk([(0, 0, meta_name(song["title"])),
                             (0, 1, b"\xff\x58\x04\x04\x02\x18\x08"),
                             (0, 2, b"\xff\x51\x03" + tempo.to_bytes(3, "big"))], end_tick)
    # A part without a program line is left out.
    arranged = (("melody", melody_notes), ("bass", bass_notes), ("pad", pad_notes),
                ("guitar", guitar_notes))
    parts = [part_track(name.capitalize(), CHANNELS[name], song["programs"][name],
                        notes(song), end_tick)
             for name, notes in arranged if name in song["programs"]]
    parts.append(part_track("Drums", DRUM_CHANNEL, None, drum_notes(song), end_tick))
    header = b"MThd" + struct.pack(">IHHH", 6, 1, 1 + len(parts), DIVISION)
    return header + conductor + b"".join(parts)


def main():
    parser = argparse.ArgumentParser(
        description="Writes a General MIDI file (melody, bass, pad, guitar, drums) from a note "
                    "list (format: share/doc/tarvo/generators.md).")
    parser.add_argument("notes", help="the note list")
    parser.add_argument("out", help="the MIDI file to write")
    args = parser.parse_args()
    try:
        midi = make_midi(parse(args.notes))
        with open(args.out, "wb") as out:
            out.write(midi)
    except NoteListError as error:
        sys.exit(f"{parser.prog}: {error}")
    except OSError as error:
        sys.exit(f"{parser.prog}: {error.filename}: {error.strerror}")


if __name__ == "__main__":
    main()
