#!/usr/bin/python3
"""Synthesises a sound effect from a recipe: layers of tones and noise, summed, written as a
16-bit mono WAV at 44.1 kHz. The noise comes from a seeded generator, so a recipe gives the same
file on every run. The recipe format is in docs/generators.md; data/sounds/axe.txt is the demo's
axe, data/assets/chime.txt the asset pak's chime.
"""
import argparse
import math
import random
import struct
import sys
import wave

RATE = 44100
KINDS = ("sine", "square", "noise")
SETTINGS = {"length": None, "volume": 1.0, "seed": 1, "fade": 0.02}


class RecipeError(Exception):
    pass


class Layer:
    """One line of the recipe: a wave between start and end, shaped by its options."""

    def __init__(self, kind, start, end, gain):
        self.kind, self.start, self.end, self.gain = kind, start, end, gain
        self.freq = None
        self.glide = None  # (target Hz, rate per second)
        self.decay = None
        self.swell = False
        self.lowpass = None  # (coefficient at the start, at the end)
        self.state = 0.0  # the low-pass filter's output so far

    def wave(self, t, noise):
        if self.kind == "noise":
            return noise
        freq = self.freq
        if self.glide:
            target, rate = self.glide
            freq = target + (freq - target) * math.exp(-t * rate)
        if self.kind == "sine":
            return math.sin(2 * math.pi * freq * t)
        return 1.0 if (freq * t) % 1.0 < 0.5 else -1.0

    def sample(self, t, noise):
        """The layer's value at t seconds into the sound; 0 outside its time."""
        if t < self.start or (self.end is not None and t >= self.end):
            return 0.0
        t -= self.start
        progress = t / (self.end - self.start) if self.end is not None else 0.0
        value = self.wave(t, noise)
        if self.lowpass:
            first, last = self.lowpass
            self.state += (first + (last - first) * progress * progress) * (value - self.state)
            value = self.state
        if self.decay is not None:
            value *= math.exp(-t * self.decay)
        if self.swell:
            value *= math.sin(math.pi * progress) ** 2
        return self.gain * value


def number(text, where, what):
    try:
        return float(text)
    except ValueError:
        raise RecipeError(f"{where}: {what} must be a number, not '{text}'") from None


def parse_layer(words, where):
    """KIND START END GAIN [option ...]; END '-' runs to the end of the sound."""
    if len(words) < 4:
        raise RecipeError(f"{where}: a layer needs KIND START END GAIN")
    kind, start, end, gain = words[:4]
    end = None if end == "-" else number(end, where, "END")
    layer = Layer(kind, number(start, where, "START"), end, number(gain, where, "GAIN"))
    if layer.end is not None and layer.end <= layer.start:
        raise RecipeError(f"{where}: the layer ends before it starts")
    options = words[4:]
    arity = {"freq": 1, "glide": 2, "decay": 1, "swell": 0, "lowpass": 2}
    while options:
        name, options = options[0], options[1:]
        if name not in arity:
            raise RecipeError(f"{where}: unknown option '{name}'")
        if len(options) < arity[name]:
            raise RecipeError(f"{where}: {name} needs {arity[name]} value(s)")
        values = [number(v, where, name) for v in options[:arity[name]]]
        options = options[arity[name]:]
        if name == "swell":
            layer.swell = True
        elif name in ("glide", "lowpass"):
            setattr(layer, name, tuple(values))
        else:
            setattr(layer, name, values[0])
    if (layer.swell or layer.lowpass) and layer.end is None:
        raise RecipeError(f"{where}: swell and lowpass need the layer's END")
    if kind != "noise" and layer.freq is None:
        raise RecipeError(f"{where}: a {kind} layer needs freq")
    return layer


def parse(path):
    """Returns (settings, layers) of the recipe file."""
    settings, layers = dict(SETTINGS), []
    with open(path, encoding="utf-8") as source:
        for line_number, line in enumerate(source, 1):
            words = line.split("#", 1)[0].split()
            where = f"{path}:{line_number}"
            if not words:
                continue
            if words[0] in SETTINGS:
                if len(words) != 2:
                    raise RecipeError(f"{where}: {words[0]} takes one value")
                settings[words[0]] = number(words[1], where, words[0])
            elif words[0] in KINDS:
                layers.append(parse_layer(words, where))
            else:
                raise RecipeError(f"{where}: unknown keyword '{words[0]}'")
    if settings["length"] is None or settings["length"] <= 0:
        raise RecipeError(f"{path}: the recipe needs a length above 0")
    return settings, layers


def samples(settings, layers):
    """The mix in [-1, 1]; every noise layer hears the same noise, one value per sample."""
    rng = random.Random(int(settings["seed"]))
    count = int(RATE * settings["length"])
    fade_samples = RATE * settings["fade"]
    for n in range(count):
        t = n / RATE
        noise = rng.uniform(-1.0, 1.0)
        value = sum(layer.sample(t, noise) for layer in layers)
        fade = min(1.0, (count - n) / fade_samples) if fade_samples > 0 else 1.0
        yield max(-1.0, min(1.0, settings["volume"] * value * fade))


def write_wav(path, mix):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(round(s * 32767))) for s in mix))


def main():
    parser = argparse.ArgumentParser(
        description="Synthesises a 16-bit mono 44.1 kHz WAV sound effect from a recipe of "
                    "tone and noise layers (format: share/doc/tarvo/generators.md).")
    parser.add_argument("recipe", help="the recipe text file")
    parser.add_argument("out", help="the WAV file to write")
    parser.add_argument("--seed", type=int,
                        help="the noise generator's seed, in place of the recipe's")
    args = parser.parse_args()
    try:
        settings, layers = parse(args.recipe)
        if args.seed is not None:
            settings["seed"] = args.seed
        write_wav(args.out, samples(settings, layers))
    except RecipeError as error:
        sys.exit(f"{parser.prog}: {error}")
    except OSError as error:
        sys.exit(f"{parser.prog}: {error.filename}: {error.strerror}")


if __name__ == "__main__":
    main()
