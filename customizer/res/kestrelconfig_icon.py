#!/usr/bin/env python3
"""Draws the customizer's program icon (icon group 128) and writes kestrelconfig.ico.

A handheld seen from the front: its screen shows a slider, below it three hardware
buttons, the middle one lit - the one being given its assignments. Two images: 16 x 16
in 16 colours and 32 x 32 in 256 colours. Run it again after changing the drawing:
    python3 customizer/res/kestrelconfig_icon.py
"""
import os
import struct

# The sixteen standard colours; the small image uses only these.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def inside_rounded(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour)


def sample(u, v, rich):
    """Colour at (u, v) in a 32-unit square, or None where the icon is transparent."""
    if not inside_rounded(u, v, 4, 1, 28, 31, 4):
        return None
    body = (52, 64, 96)
    if not inside_rounded(u, v, 5, 2, 27, 30, 3):
        return (16, 20, 40) if rich else VGA[0]
    # Screen with a slider on it.
    if 7 <= u <= 25 and 4 <= v <= 18:
        if u < 7.8 or u > 24.2 or v < 4.8 or v > 17.2:
            return (20, 24, 32) if rich else VGA[0]
        if 14 <= u <= 18 and 7 <= v <= 15:
            return ((255, 160, 32) if u < 17 else (200, 110, 16)) if rich else VGA[11]
        if 9 <= u <= 23 and 10.5 <= v <= 11.9:
            return (40, 48, 72) if rich else VGA[4]
        if rich:
            return shade((200, 228, 255), 1.0 - (v - 4) * 0.02)
        return VGA[14]
    # Three hardware buttons; the middle one is lit.
    for cx, lit in ((10, False), (16, True), (22, False)):
        d2 = (u - cx) ** 2 + (v - 24.5) ** 2
        if d2 <= 2.9 ** 2:
            if d2 > 2.2 ** 2:
                return (16, 20, 40) if rich else VGA[0]
            if lit:
                return shade((255, 150, 24), 1.15 - (v - 22) * 0.08) if rich else VGA[9]
            return shade((200, 204, 212), 1.1 - (v - 22) * 0.06) if rich else VGA[7]
    if rich:
        return shade(body, 1.35 - v * 0.02)
    return VGA[8] if v < 20 else VGA[4]


def draw(size, rich):
    scale = 32.0 / size
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            row.append(sample((x + 0.5) * scale, (y + 0.5) * scale, rich))
        pixels.append(row)
    return pixels


def palette_of(pixels, bits):
    if bits == 4:
        palette = list(VGA)
    else:
        palette = list(VGA)
        for row in pixels:
            for colour in row:
                if colour is not None and colour not in palette:
                    palette.append(colour)
        if len(palette) > 256:
            raise SystemExit("too many colours for a 256-colour image")
        palette += [(0, 0, 0)] * (256 - len(palette))
    return palette


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def image_bytes(size, bits, rich):
    pixels = draw(size, rich)
    palette = palette_of(pixels, bits)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        indices = [palette.index(c) if c is not None else 0 for c in row]
        line = bytearray()
        if bits == 4:
            for i in range(0, size, 2):
                line.append((indices[i] << 4) | indices[i + 1])
        else:
            line.extend(indices)
        line.extend(b"\0" * (row_bytes(bits, size) - len(line)))
        xor += line
        bitsline = bytearray(row_bytes(1, size))
        for x, colour in enumerate(row):
            if colour is None:
                bitsline[x // 8] |= 0x80 >> (x % 8)
        mask += bitsline
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(mask),
                         0, 0, 1 << bits, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + table + bytes(xor) + bytes(mask)


def main():
    images = [(16, 4, False), (32, 8, True)]
    blobs = [image_bytes(size, bits, rich) for size, bits, rich in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits, _), blob in zip(images, blobs):
        colours = 16 if bits == 4 else 0
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kestrelconfig.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
