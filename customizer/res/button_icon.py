#!/usr/bin/env python3
"""Draws the button list's own images and writes button_default.ico and mouse_button.ico.

Icon 131 stands for every button whose own icon cannot be had: a round grey key with a
dark rim and a light top edge, seen from above. Icon 151 stands for a mouse button the
user added: a grey mouse seen from above, its wheel marked. Two images each, 16 x 16 and
32 x 32, in the sixteen standard colours. Run it again after changing a drawing:
    python3 customizer/res/button_icon.py
"""
import os
import struct

# The sixteen standard colours, as (red, green, blue).
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREY, LIGHT_GREY, WHITE, NAVY = 0, 8, 7, 15, 4


def sample(u, v):
    """Palette index at (u, v) in a 16-unit square, or None where the icon is transparent."""
    dx, dy = u - 8.0, v - 8.0
    d2 = dx * dx + dy * dy
    if d2 > 7.4 ** 2:
        return None
    if d2 > 6.3 ** 2:
        return BLACK  # rim
    if d2 > 5.2 ** 2:
        return WHITE if dy < -1.5 else DARK_GREY  # bevel: lit from above
    if d2 < 1.6 ** 2:
        return NAVY  # the dot that marks a key
    return LIGHT_GREY


def sample_mouse(u, v):
    """The mouse: an upright oval, its two buttons parted by a line, the wheel between them."""
    dx, dy = (u - 8.0) / 5.2, (v - 8.5) / 7.2
    d2 = dx * dx + dy * dy
    if d2 > 1.0:
        return None
    if d2 > 0.72:
        return BLACK  # rim
    if abs(u - 8.0) < 1.1 and 2.5 < v < 7.0:
        return NAVY  # the wheel
    if abs(v - 7.5) < 0.5 or (abs(u - 8.0) < 0.5 and v < 7.5):
        return DARK_GREY  # the parting of the buttons
    return WHITE if v < 7.0 else LIGHT_GREY


def image(size, sample=sample):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit pixels, 1-bit mask (bottom-up)."""
    scale = 16.0 / size
    rows = [[sample((x + 0.5) * scale, (y + 0.5) * scale) for x in range(size)]
            for y in range(size)]
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    pixels = b""
    mask = b""
    for row in reversed(rows):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, index in enumerate(row):
            if index is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                index = 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += bytes(line)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(pixels) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in VGA)
    return header + palette + pixels + mask


def write(name, sample):
    images = [(16, image(16, sample)), (32, image(32, sample))]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    data = b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        data += blob
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), name)
    with open(target, "wb") as out:
        out.write(directory + entries + data)


def main():
    write("button_default.ico", sample)
    write("mouse_button.ico", sample_mouse)


if __name__ == "__main__":
    main()
