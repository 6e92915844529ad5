"""Turns an input plan (one event a line: TICK ACTION down|up) into a replay of the game's
default inputs: keys, or with --pad the buttons of pad 0 (a version 2 replay with one pad).

usage: planreplay.py PLAN OUT [--pad] [--ticks N]   (--ticks: end the replay at tick N)
"""
import sys

from tarvotest import replayfile as rf

# The first default input of each action: its key symbol and its pad button.
KEYS = {"left": 276, "right": 275, "down": 274, "jump": 32, "pause": 112, "back": 27}
BUTTONS = {"left": 13, "right": 14, "down": 12, "jump": 0, "pause": 6, "back": 4}
# The results show for at least two seconds after the last event before the replay ends.
TAIL = 30


def events(text):
    for line in text.splitlines():
        tick, action, edge = line.split()
        yield int(tick), action, edge == "down"


def replay(text, pad=False, ticks=None):
    made = rf.Replay(pads=1 if pad else None)
    last = 0
    for tick, action, down in events(text):
        if ticks is not None and tick >= ticks:
            break
        if pad:
            made.add(tick, rf.PAD_DOWN if down else rf.PAD_UP, 0, BUTTONS[action])
        else:
            sym = KEYS[action]
            made.add(tick, rf.KEY_DOWN if down else rf.KEY_UP, sym, 0, sym if sym == 32 else 0)
        last = tick
    made.add(ticks if ticks is not None else last + TAIL, rf.END)
    return made.bytes()


def main(argv):
    ticks = int(argv[argv.index("--ticks") + 1]) if "--ticks" in argv else None
    with open(argv[1]) as plan, open(argv[2], "wb") as out:
        out.write(replay(plan.read(), "--pad" in argv, ticks))


if __name__ == "__main__":
    main(sys.argv)
