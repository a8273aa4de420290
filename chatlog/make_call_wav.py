#!/usr/bin/env python3
"""Writes call.wav, the keyword alert: a soft two-tone chime (E6 then C6),
16-bit mono, 22050 Hz, about half a second. Usage: make_call_wav.py OUT"""
import math
import struct
import sys
import wave

RATE = 22050


def bell(freq, start, length, total):
    """One struck tone: a 5 ms rise, then an exponential fade, with a quiet
    octave partial for a bell-like colour."""
    out = [0.0] * total
    first = int(start * RATE)
    count = int(length * RATE)
    for i in range(count):
        if first + i >= total:
            break
        t = i / RATE
        envelope = min(1.0, t / 0.005) * math.exp(-t * 7.0)
        tone = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(2 * math.pi * 2 * freq * t)
        out[first + i] = envelope * tone
    return out


def main():
    total = int(0.62 * RATE)
    first = bell(1318.51, 0.0, 0.6, total)
    second = bell(1046.50, 0.16, 0.46, total)
    mixed = [a + b for a, b in zip(first, second)]
    peak = max(abs(v) for v in mixed)
    scale = 0.45 * 32767 / peak
    # A 10 ms fade at the end so the sound stops without a click.
    tail = int(0.01 * RATE)
    for i in range(tail):
        mixed[total - 1 - i] *= i / tail
    frames = b"".join(struct.pack("<h", int(round(v * scale))) for v in mixed)
    with wave.open(sys.argv[1], "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


if __name__ == "__main__":
    main()
