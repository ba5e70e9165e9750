#!/usr/bin/env python3
"""Draws the agent's icon and writes it as agent/res/kestrel.ico: a round hardware button
in steel blue with a kestrel's raised wings in rust over it. Two images, as the resource
script expects: 16 x 16 in 16 colours and 32 x 32 in 256 colours.

Usage: python3 agent/res/kestrel_icon.py [output.ico]
"""
import math
import os
import struct
import sys

# The 16 colours of the classic VGA palette, which every display can show.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

RIM = (24, 48, 88)
RUST = (196, 88, 24)
DARK_RUST = (120, 48, 16)


def button_colour(dx, dy, radius):
    """Steel blue, lighter towards the upper left, as if lit from there."""
    light = max(0.0, min(1.0, 0.55 - (dx + dy) / (2.6 * radius)))
    return (int(40 + 110 * light), int(80 + 110 * light), int(140 + 100 * light))


def wing_distance(x, y, size):
    """Distance of a point from the wing line: a shallow V whose tips rise to the edges."""
    cx = size / 2.0
    base = size * 0.62
    tip_rise = size * 0.30
    line_y = base - tip_rise * (abs(x - cx) / (size * 0.42)) ** 1.3
    return y - line_y


def draw(size, flat=False):
    """A size x size picture: None for transparent, else an (r, g, b) colour. A flat
    picture keeps to a few plain colours, for the 16-colour image."""
    pixels = []
    radius = size * 0.46
    centre = (size - 1) / 2.0
    thickness = max(1.2, size * 0.09)
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - centre, y - centre
            dist = math.hypot(dx, dy)
            colour = None
            if dist <= radius:
                rim = dist > radius - max(1.0, size / 16.0)
                if flat:
                    colour = (0, 0, 128) if rim else (0, 128, 128)
                else:
                    colour = RIM if rim else button_colour(dx, dy, radius)
            d = wing_distance(x + 0.5, y + 0.5, size)
            if abs(x - centre) <= size * 0.42 and 0 <= d <= thickness:
                colour = RUST if d < thickness * 0.6 else DARK_RUST
                if flat:
                    colour = (255, 0, 0) if d < thickness * 0.6 else (128, 0, 0)
            # the body: a small drop under the middle of the wings
            if math.hypot(dx / 0.7, y - size * 0.68) <= size * 0.11:
                colour = (128, 0, 0) if flat else DARK_RUST
            row.append(colour)
        pixels.append(row)
    return pixels


def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def palette_for(pixels, bits):
    if bits == 4:
        return list(VGA16)
    used = sorted({c for row in pixels for c in row if c is not None})
    palette = [(0, 0, 0)] + [c for c in used if c != (0, 0, 0)]
    if len(palette) > 256:
        raise SystemExit("too many colours for 256")
    return palette + [(0, 0, 0)] * (256 - len(palette))


def padded(row_bytes):
    return row_bytes + b"\0" * ((4 - len(row_bytes) % 4) % 4)


def image(pixels, bits):
    size = len(pixels)
    palette = palette_for(pixels, bits)
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        indices = [0 if c is None else nearest(c, palette) for c in row]
        if bits == 4:
            data = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        else:
            data = bytes(indices)
        xor_rows.append(padded(data))
        mask = 0
        for c in row:
            mask = (mask << 1) | (1 if c is None else 0)
        and_rows.append(padded(mask.to_bytes(size // 8, "big")))
    body = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(body), 0, 0,
                         len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + body


def icon_file(entries):
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    blobs = []
    for size, bits, blob in entries:
        colour_count = 16 if bits == 4 else 0
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__),
                                                               "kestrel.ico")
    entries = [(16, 4, image(draw(16, flat=True), 4)), (32, 8, image(draw(32), 8))]
    with open(target, "wb") as f:
        f.write(icon_file(entries))


if __name__ == "__main__":
    main()
