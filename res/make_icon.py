#!/usr/bin/env python3
"""Writes Tintwright.ico: 32x32 and 16x16, 32 bits per pixel, drawn from code so it is reproducible.

A page with five colour bands, one per colour role of the default scheme, behind a tag bracket.
"""
import struct
import sys

BANDS = [(255, 235, 215), (0, 0, 0), (0, 130, 0), (85, 26, 139), (238, 0, 0)]


def pixel(x, y, size):
    """RGBA of the icon at (x, y), y counted from the top."""
    s = size / 32.0
    left, top, right, bottom = round(3 * s), round(2 * s), round(29 * s), round(30 * s)
    if not (left <= x < right and top <= y < bottom):
        return (0, 0, 0, 0)
    if x in (left, right - 1) or y in (top, bottom - 1):
        return (40, 40, 40, 255)  # page outline
    band = (y - top - 1) * len(BANDS) // (bottom - top - 2)
    r, g, b = BANDS[min(band, len(BANDS) - 1)]
    # A white "<" across the bands: the tag.
    cx, cy = (left + right) // 2, (top + bottom) // 2
    dx, dy = x - (cx - round(6 * s)), abs(y - cy)
    if 0 <= dx - dy <= max(1, round(2 * s)) and dx <= round(10 * s):
        return (255, 255, 255, 255)
    return (r, g, b, 255)


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a)
                             for r, g, b, a in (pixel(x, y, size) for x in range(size))))
    mask_row = ((size + 31) // 32) * 4
    mask = b"".join(bytes(
        sum((1 << (7 - bit)) for bit in range(8)
            if byte * 8 + bit < size and pixel(byte * 8 + bit, y, size)[3] == 0)
        for byte in range(mask_row)) for y in reversed(range(size)))
    return header + b"".join(rows) + mask


def main(path):
    images = [image(32), image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Tintwright.ico")
