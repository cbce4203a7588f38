#!/usr/bin/env python3
# Synthesizes Orbilux's three sounds (camera, startavi, endavi) into resources/sounds/viewer/.
"""Run from anywhere: python3 tools/make-viewer-sounds.py

Same format and building blocks as tools/make-sounds.py (mono, 16-bit, 22050 Hz,
reproducible), with sounds of the viewer's own.
"""

import importlib.util
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("make_sounds", os.path.join(HERE, "make-sounds.py"))
sounds = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(sounds)
sounds.OUT_DIR = os.path.join(sounds.ROOT, "resources", "sounds", "viewer")


def make_camera():
    # One short, bright click with a soft wooden knock under it, ~0.15 s.
    rng = random.Random(20250117)
    s = sounds.silence(0.15)
    click = sounds.noise_burst(rng, 0.05, decay=0.006, lowpass=7000.0, highpass=1500.0)
    knock = sounds.tone(520.0, 0.08, attack=0.001, decay=0.02,
                        harmonics=((1.0, 1.0), (2.7, 0.3)))
    sounds.mix(s, click, 0.003)
    sounds.mix(s, [0.5 * v for v in knock], 0.003)
    return sounds.finish(s[:int(0.15 * sounds.RATE)])


def make_start():
    # Two bell notes going up a fifth, ~0.45 s.
    partials = ((1.0, 1.0), (2.0, 0.25), (3.0, 0.08))
    s = sounds.silence(0.45)
    sounds.mix(s, sounds.tone(659.3, 0.3, attack=0.003, decay=0.09, harmonics=partials), 0.005)
    sounds.mix(s, sounds.tone(987.8, 0.3, attack=0.003, decay=0.11, harmonics=partials), 0.14)
    return sounds.finish(s[:int(0.45 * sounds.RATE)])


def make_end():
    # The same two notes going down, the last held a little longer, ~0.55 s.
    partials = ((1.0, 1.0), (2.0, 0.25), (3.0, 0.08))
    s = sounds.silence(0.55)
    sounds.mix(s, sounds.tone(987.8, 0.3, attack=0.003, decay=0.09, harmonics=partials), 0.005)
    sounds.mix(s, sounds.tone(659.3, 0.4, attack=0.003, decay=0.15, harmonics=partials), 0.14)
    return sounds.finish(s[:int(0.55 * sounds.RATE)])


def main():
    os.makedirs(sounds.OUT_DIR, exist_ok=True)
    sounds.write_wav("camera.wav", make_camera())
    sounds.write_wav("startavi.wav", make_start())
    sounds.write_wav("endavi.wav", make_end())


if __name__ == "__main__":
    main()
