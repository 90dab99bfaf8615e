"""How fast a keystroke lands in a full Translate input of the running app.

Under the UI tests' private desktop, signed in against the sandbox with
English to Spanish chosen, the input is filled with 4,999 characters and
translated; then each round types one letter at the end and removes it
again. A round's time runs from the key press (xdotool, real X input) until
the app's accessibility tree reads the new text back, an upper bound on the
time the edit takes to reach the text the next frame draws. The same rounds
in a short input first give what xdotool and the accessibility round trip
cost by themselves; the difference is what the full input adds. Prints
medians, minimum and maximum beside the 16 ms of one frame at 60 Hz.

Usage: keystrokebench.py BUILD   (ROUNDS in the environment, default 20)
"""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "ui"))
from uiworld import World, wait  # noqa: E402

BUILD = os.path.abspath(sys.argv[1])
ROUNDS = int(os.environ.get("ROUNDS", "20"))
FRAME_MS = 1000 / 60


def keystrokes(world, source):
    """Milliseconds from each key press until the input reads it back; the
    first round, which warms the input up, is left out."""
    world.key("ctrl+End")
    samples = []
    for round_ in range(ROUNDS + 1):
        before = world.text(source)
        start = time.monotonic()
        world.key("abcdefghij"[round_ % 10])
        wait(lambda: world.text(source) != before, "the keystroke")
        samples.append((time.monotonic() - start) * 1000)
        world.key("BackSpace")
        wait(lambda: world.text(source) == before, "the deletion")
    return samples[1:]


def fill(world, source, text, counter):
    world.copy(text)
    world.click(source)
    world.key("ctrl+a", "ctrl+v")
    world.find("label", counter)
    world.find("label", "Translated", timeout=60)


def summary(samples):
    return (f"median {statistics.median(samples):.1f} ms, min {min(samples):.1f}, "
            f"max {max(samples):.1f}")


def main():
    with World(BUILD, "keystroke") as world:
        world.preferences({"preferences.sourceLanguageCode": "en",
                           "preferences.targetLanguageCode": "es"})
        world.save_session("keystroke@example.com")
        world.tolvan()
        source = world.find("text", "Text to translate", timeout=30)
        fill(world, source, "Lorem ipsum.", "12 / 5,000")
        short = keystrokes(world, source)
        fill(world, source, ("Lorem ipsum dolor sit amet. " * 200)[:4999], "4,999 / 5,000")
        full = keystrokes(world, source)
    added = statistics.median(full) - statistics.median(short)
    print(f"keystroke, {ROUNDS} rounds each")
    print(f"  in 12 characters:    {summary(short)}")
    print(f"  in 5,000 characters: {summary(full)}")
    print(f"  added by the full input: {added:.1f} ms against one frame of {FRAME_MS:.1f} ms: "
          f"{'met' if added <= FRAME_MS else 'not met'}")


if __name__ == "__main__":
    main()
