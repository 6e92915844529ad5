"""Synthesises demo1/Axe.wav: an axe swung through the air and biting into wood.

A band of noise that sweeps upward (the swing), then a low thump with a short, bright, ringing
knock (the hit), all in 16-bit mono at 44.1 kHz and under half a second. A fixed seed keeps the
noise, and so the file, the same on every build.

usage: makesound.py OUT.wav
"""
import math
import random
import struct
import sys
import wave

RATE = 44100
LENGTH = 0.42  # seconds
HIT_AT = 0.16  # seconds


def swing(t, noise, state):
    """Noise through a one-pole low-pass whose cut-off rises as the blade speeds up."""
    if t >= HIT_AT:
        return 0.0
    progress = t / HIT_AT
    cutoff = 0.02 + 0.25 * progress * progress
    state[0] += cutoff * (noise - state[0])
    envelope = math.sin(math.pi * progress) ** 2
    return 1.6 * envelope * state[0]


def hit(t, noise):
    if t < HIT_AT:
        return 0.0
    dt = t - HIT_AT
    # the thump: a sine dropping from 140 Hz to 60 Hz
    frequency = 60 + 80 * math.exp(-dt * 30)
    thump = math.sin(2 * math.pi * frequency * dt) * math.exp(-dt * 18)
    # the knock: a few inharmonic partials of a struck block, dying fast
    knock = sum(amplitude * math.sin(2 * math.pi * partial * dt) * math.exp(-dt * decay)
                for partial, amplitude, decay in ((620, 0.45, 40), (1137, 0.3, 55),
                                                  (1883, 0.2, 70), (2711, 0.12, 90)))
    crack = noise * math.exp(-dt * 120)
    return 0.9 * thump + 0.6 * knock + 0.5 * crack


def samples():
    rng = random.Random(1723)
    state = [0.0]
    count = int(RATE * LENGTH)
    for n in range(count):
        t = n / RATE
        noise = rng.uniform(-1.0, 1.0)
        value = swing(t, noise, state) + hit(t, noise)
        fade = min(1.0, (count - n) / (RATE * 0.02))  # no click at the end
        yield max(-1.0, min(1.0, 0.62 * value * fade))


def main(argv):
    with wave.open(argv[1], "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples()))


if __name__ == "__main__":
    main(sys.argv)
