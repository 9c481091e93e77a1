#!/usr/bin/env python3
"""Writes the program's error sound (a short falling double tone) into res/CmdError.wav."""
import math, struct, sys

RATE = 22050

def tone(freq, ms, volume=0.45):
    n = RATE * ms // 1000
    fade = RATE * 8 // 1000  # 8 ms in and out, so that the tone does not click
    out = []
    for i in range(n):
        envelope = min(1.0, i / fade, (n - 1 - i) / fade)
        out.append(volume * envelope * math.sin(2 * math.pi * freq * i / RATE))
    return out

def silence(ms):
    return [0.0] * (RATE * ms // 1000)

samples = tone(660, 70) + silence(25) + tone(440, 90)
data = b"".join(struct.pack("<h", int(s * 32767)) for s in samples)
header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
header += b"data" + struct.pack("<I", len(data))
path = sys.argv[1] if len(sys.argv) > 1 else "res/CmdError.wav"
with open(path, "wb") as f:
    f.write(header + data)
