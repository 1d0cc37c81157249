#!/usr/bin/env python3
"""Draws the launcher's 128 x 128 window icon and writes it as raw RGBA (512 bytes a row).

The icon is a rounded square in the launcher's night blue with a warm glow and a bold ring with a
tail: a "Q" for Quillmarch. Run it again after changing the drawing; the build embeds the output.
Usage: make_icon.py OUT.rgba [PREVIEW.png]
"""
import math
import struct
import sys
import zlib

SIZE = 128


def clamp(v, lo=0.0, hi=1.0):
    return max(lo, min(hi, v))


def rounded_rect_alpha(x, y, inset, radius):
    # Signed distance to a rounded square, turned into 1-pixel antialiased coverage.
    cx = cy = SIZE / 2
    half = SIZE / 2 - inset
    qx = abs(x - cx) - (half - radius)
    qy = abs(y - cy) - (half - radius)
    outside = math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius
    return clamp(0.5 - outside)


def pixel(px, py):
    x, y = px + 0.5, py + 0.5
    a = rounded_rect_alpha(x, y, 4, 26)
    if a <= 0:
        return (0, 0, 0, 0)
    # Background: vertical gradient with a red-orange glow from the lower right.
    t = y / SIZE
    r, g, b = 0.07 + 0.05 * t, 0.08 + 0.04 * t, 0.16 + 0.10 * t
    glow = math.exp(-(((x - 92) ** 2 + (y - 96) ** 2) / (2 * 30.0 ** 2)))
    r, g, b = r + 0.75 * glow, g + 0.22 * glow, b + 0.12 * glow
    # The "Q": a ring and a diagonal tail, both in warm white.
    d = math.hypot(x - 60, y - 58)
    ring = clamp(0.5 - abs(d - 30) + 8)
    tx, ty = x - 84, y - 84
    along = (tx + ty) / math.sqrt(2)
    across = abs(tx - ty) / math.sqrt(2)
    tail = clamp(0.5 - across + 7) * clamp(0.5 - abs(along) + 16)
    q = max(ring, tail)
    r, g, b = (r * (1 - q) + 1.0 * q, g * (1 - q) + 0.93 * q, b * (1 - q) + 0.86 * q)
    return tuple(int(round(clamp(c) * 255)) for c in (r, g, b)) + (int(round(a * 255)),)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    rows = [b"".join(bytes(pixel(x, y)) for x in range(SIZE)) for y in range(SIZE)]
    with open(sys.argv[1], "wb") as out:
        out.write(b"".join(rows))
    if len(sys.argv) == 3:
        raw = b"".join(b"\0" + row for row in rows)
        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
        with open(sys.argv[2], "wb") as out:
            out.write(png)


if __name__ == "__main__":
    main()
