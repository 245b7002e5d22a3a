#!/usr/bin/env python3
"""Writes a procedural oak texture (256 x 256 RGB PNG) for the example
scene: rings that wobble along the board, with fine grain. Usage:
make-oak.py OUT.png"""
import math
import struct
import sys
import zlib

W = H = 256


def pixel(x, y):
    # Rings across y, bent by a slow wave along x; fine grain on top.
    ring = (y / 9.0 + 1.8 * math.sin(x / 37.0) + 0.6 * math.sin(x / 11.0 + y / 23.0)) % 1.0
    t = 0.5 + 0.5 * math.cos(2 * math.pi * ring)
    grain = 0.06 * math.sin(x * 1.7 + y * 0.31) * math.sin(y * 2.3)
    shade = 0.78 + 0.22 * t + grain
    base = (0.62, 0.43, 0.24)
    return tuple(max(0, min(255, int(255 * c * shade))) for c in base)


def main():
    rows = b"".join(b"\0" + bytes(v for x in range(W) for v in pixel(x, y)) for y in range(H))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")
    with open(sys.argv[1], "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
