#!/usr/bin/env python3
# Synthesizes the short notification sounds (record, shutter, timer end) into resources/sounds/.
"""Run from anywhere: python3 tools/make-sounds.py

Writes mono, 16-bit, 22050 Hz WAV files. Uses only the standard library, and
the output is byte-for-byte reproducible (fixed random seed for the noise).
"""

import math
import os
import random
import struct
import wave

RATE = 22050
PEAK = 0.55          # never above 0.6 of full scale
FADE_S = 0.005       # 5 ms fade in and out on every file

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(ROOT, "resources", "sounds")


def silence(seconds):
    return [0.0] * int(round(seconds * RATE))


def tone(freq, seconds, attack=0.004, decay=None, harmonics=((1.0, 1.0),)):
    """A sine tone (plus optional harmonics) with a short attack.

    decay=None keeps a flat sustain with a short release; otherwise the
    envelope falls exponentially with the given time constant in seconds.
    """
    n = int(round(seconds * RATE))
    out = []
    for i in range(n):
        t = i / RATE
        v = 0.0
        for mult, amp in harmonics:
            v += amp * math.sin(2.0 * math.pi * freq * mult * t)
        if t < attack:
            env = t / attack
        elif decay is None:
            env = 1.0
            rel = 0.012
            if t > seconds - rel:
                env = max(0.0, (seconds - t) / rel)
        else:
            env = math.exp(-(t - attack) / decay)
        out.append(v * env)
    return out


def sweep(f0, f1, seconds):
    """A sine whose pitch glides from f0 to f1 (used for a rising beep)."""
    n = int(round(seconds * RATE))
    out = []
    phase = 0.0
    rel = 0.012
    for i in range(n):
        t = i / RATE
        f = f0 + (f1 - f0) * (i / max(1, n - 1))
        phase += 2.0 * math.pi * f / RATE
        env = 1.0
        if t < 0.004:
            env = t / 0.004
        elif t > seconds - rel:
            env = max(0.0, (seconds - t) / rel)
        out.append(math.sin(phase) * env)
    return out


def noise_burst(rng, seconds, decay, lowpass, highpass):
    """White noise through a one-pole low-pass and high-pass, fast decay."""
    n = int(round(seconds * RATE))
    out = []
    lp = 0.0
    hp_prev_in = 0.0
    hp = 0.0
    a_lp = 1.0 - math.exp(-2.0 * math.pi * lowpass / RATE)
    a_hp = math.exp(-2.0 * math.pi * highpass / RATE)
    for i in range(n):
        t = i / RATE
        x = rng.uniform(-1.0, 1.0)
        lp += a_lp * (x - lp)
        hp = a_hp * (hp + lp - hp_prev_in)
        hp_prev_in = lp
        env = math.exp(-t / decay)
        if t < 0.0008:
            env *= t / 0.0008
        out.append(hp * env)
    return out


def mix(base, other, offset_s):
    """Add `other` into `base` starting at offset_s, growing base if needed."""
    start = int(round(offset_s * RATE))
    need = start + len(other)
    if need > len(base):
        base.extend([0.0] * (need - len(base)))
    for i, v in enumerate(other):
        base[start + i] += v
    return base


def finish(samples):
    """Normalise to PEAK and apply the 5 ms fade in/out."""
    top = max(abs(v) for v in samples) or 1.0
    gain = PEAK / top
    out = [v * gain for v in samples]
    fade = int(round(FADE_S * RATE))
    n = len(out)
    for i in range(min(fade, n)):
        k = i / fade
        out[i] *= k
        out[n - 1 - i] *= k
    return out


def write_wav(name, samples):
    path = os.path.join(OUT_DIR, name)
    frames = b"".join(
        struct.pack("<h", int(round(max(-1.0, min(1.0, v)) * 32767)))
        for v in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)
    print("wrote %s (%.3f s)" % (os.path.relpath(path, ROOT), len(samples) / RATE))


def make_record():
    # Two short rising beeps, ~0.35 s in all.
    s = []
    s += sweep(880.0, 1040.0, 0.11)
    s += silence(0.06)
    s += sweep(1175.0, 1400.0, 0.13)
    s += silence(0.05)
    return finish(s)


def make_shutter():
    # Two clicks of filtered noise: the blade opening, then closing.
    rng = random.Random(20240611)
    s = silence(0.2)
    first = noise_burst(rng, 0.07, decay=0.012, lowpass=5200.0, highpass=700.0)
    second = noise_burst(rng, 0.11, decay=0.018, lowpass=3800.0, highpass=400.0)
    # a little body under each click
    body1 = tone(310.0, 0.05, attack=0.001, decay=0.010)
    body2 = tone(240.0, 0.07, attack=0.001, decay=0.014)
    mix(s, first, 0.004)
    mix(s, [0.35 * v for v in body1], 0.004)
    mix(s, [0.9 * v for v in second], 0.085)
    mix(s, [0.35 * v for v in body2], 0.085)
    return finish(s[:int(0.2 * RATE)])


def make_timer_end():
    # Three descending chime tones with decaying envelopes, ~0.9 s.
    partials = ((1.0, 1.0), (2.0, 0.35), (3.01, 0.12))
    s = silence(0.9)
    for k, f in enumerate((1318.5, 1046.5, 784.0)):  # E6, C6, G5
        mix(s, tone(f, 0.5, attack=0.003, decay=0.13, harmonics=partials),
            0.005 + 0.22 * k)
    return finish(s[:int(0.9 * RATE)])


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    write_wav("record.wav", make_record())
    write_wav("shutter.wav", make_shutter())
    write_wav("timer_end.wav", make_timer_end())


if __name__ == "__main__":
    main()
