#!/usr/bin/env python3
"""Synthesises assets/Burp.wav: a short, low, rough burp.

Run it again to remake the file byte for byte (fixed seed, integer output):
    python3 assets/make_burp.py assets/Burp.wav
The sound is a jittery glottal pulse train with a falling pitch, shaped by two throat-like
resonances, a fast attack and a ragged decay. Standard library only.
"""
import math
import random
import struct
import sys
import wave

RATE = 22050
SECONDS = 0.55


def glottal_pulses(rng, count):
    """Rosenberg-style pulses at a low, wandering, falling pitch."""
    out = []
    phase = 0.0
    for n in range(count):
        t = n / count
        pitch = 96.0 - 34.0 * t + rng.uniform(-9.0, 9.0)  # the jitter makes it rough
        phase += pitch / RATE
        if phase >= 1.0:
            phase -= 1.0
        if phase < 0.4:
            x = phase / 0.4
            out.append(3 * x * x - 2 * x * x * x)
        elif phase < 0.56:
            x = (phase - 0.4) / 0.16
            out.append(1.0 - x * x)
        else:
            out.append(0.0)
    return out


def resonate(signal, freq, bandwidth):
    """Two-pole resonator: one formant of the throat."""
    r = math.exp(-math.pi * bandwidth / RATE)
    a1 = 2 * r * math.cos(2 * math.pi * freq / RATE)
    a2 = -r * r
    gain = 1 - r
    y1 = y2 = 0.0
    out = []
    for x in signal:
        y = gain * x + a1 * y1 + a2 * y2
        out.append(y)
        y2, y1 = y1, y
    return out


def high_pass(signal, cutoff):
    """One-pole high-pass: keeps the waveform centred on zero."""
    a = math.exp(-2 * math.pi * cutoff / RATE)
    x1 = y1 = 0.0
    out = []
    for x in signal:
        y = a * (y1 + x - x1)
        out.append(y)
        x1, y1 = x, y
    return out


def envelope(n, count, rng_value):
    t = n / count
    attack = min(1.0, t / 0.04)
    decay = (1.0 - t) ** 1.6
    flutter = 0.8 + 0.2 * rng_value  # the gurgle
    return attack * decay * flutter


def main(path):
    rng = random.Random(20261207)
    count = int(RATE * SECONDS)
    source = glottal_pulses(rng, count)
    source = [s - 0.3 for s in source]  # take out the pulses' mean, keep the edges
    voiced = [a + b for a, b in zip(resonate(source, 380, 120), resonate(source, 820, 180))]
    flutter = [rng.random() for _ in range(count // 256 + 2)]
    shaped = [
        (v + 0.02 * rng.uniform(-1, 1)) * envelope(n, count, flutter[n // 256])
        for n, v in enumerate(voiced)
    ]
    shaped = high_pass(shaped, 45)
    peak = max(abs(s) for s in shaped)
    scale = 0.7 * 32767 / peak
    frames = b"".join(struct.pack("<h", int(round(s * scale))) for s in shaped)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Burp.wav")
