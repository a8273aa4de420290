#!/usr/bin/env python3
"""Writes tamiru.ico: a mahjong tile (ivory face, green back, a red circle
and its ring), drawn per pixel at 16, 32 and 48 pixels, 32-bit with alpha.
The same script gives the same bytes, so the release zip stays the same."""
import struct
import sys

IVORY = (0xF6, 0xF1, 0xDE)
EDGE = (0x5A, 0x4E, 0x3A)
GREEN = (0x1F, 0x7A, 0x4C)
RED = (0xC8, 0x22, 0x2A)
BLUE = (0x23, 0x4C, 0x9A)


def inside_rounded(x, y, left, top, right, bottom, radius):
    """Whether the pixel centre lies in the rounded rectangle."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def pixel(size, px, py):
    """The colour (r, g, b, a) of one pixel, or None for transparent."""
    s = size / 16.0
    x, y = (px + 0.5) / s, (py + 0.5) / s  # in 16-pixel units
    left, top, right, bottom, radius = 2.0, 0.5, 14.0, 15.5, 2.0
    if not inside_rounded(x, y, left, top, right, bottom, radius):
        return None
    edge = 1.0 / s if size > 16 else 0.9
    if not inside_rounded(x, y, left + edge, top + edge, right - edge, bottom - edge, radius - edge):
        return EDGE
    if y > 12.5:  # the tile's green back seen below its face
        return GREEN
    dx, dy = x - 8.0, y - 6.6
    distance = (dx * dx + dy * dy) ** 0.5
    if distance <= 2.0:
        return RED
    if 3.2 <= distance <= 4.4:
        return BLUE
    return IVORY


def image(size):
    rows = []
    mask_rows = []
    for py in reversed(range(size)):  # bottom-up
        row = bytearray()
        mask = 0
        bits = []
        for px in range(size):
            colour = pixel(size, px, py)
            if colour is None:
                row += bytes((0, 0, 0, 0))
                bits.append(1)
            else:
                r, g, b = colour
                row += bytes((b, g, r, 255))
                bits.append(0)
        rows.append(bytes(row))
        stride = ((size + 31) // 32) * 4
        packed = bytearray(stride)
        for i, bit in enumerate(bits):
            if bit:
                packed[i // 8] |= 0x80 >> (i % 8)
        mask_rows.append(bytes(packed))
    pixels = b"".join(rows)
    masks = b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(masks), 0, 0, 0, 0)
    return header + pixels + masks


def main(path):
    sizes = (16, 32, 48)
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
