#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files.

The picture: a blue rounded tile with a white ">" and an orange "_" - a
prompt that waits for a few typed letters. Each image is drawn from the same
shape function with 4x4 supersampling; the 16-colour images take the nearest
colour of the standard palette. Run from anywhere; writes beside this script.
The generated files are committed, so building needs no Python.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

TILE_TOP = (52, 120, 206)
TILE_BOTTOM = (24, 70, 150)
CHEVRON = (255, 255, 255)
CURSOR = (255, 164, 28)


def inside_rounded_square(x, y, margin=0.03, radius=0.22):
    lo, hi = margin, 1.0 - margin
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    qx, qy = ax + t * dx, ay + t * dy
    return ((px - qx) ** 2 + (py - qy) ** 2) ** 0.5


def sample(x, y):
    """Colour (r, g, b, a) of the picture at (x, y) in the unit square, y down."""
    if not inside_rounded_square(x, y):
        return (0, 0, 0, 0)
    stroke = 0.085
    chevron = min(distance_to_segment(x, y, 0.24, 0.26, 0.52, 0.50),
                  distance_to_segment(x, y, 0.52, 0.50, 0.24, 0.74))
    if chevron <= stroke:
        return CHEVRON + (255,)
    if 0.56 <= x <= 0.80 and 0.64 <= y <= 0.78:
        return CURSOR + (255,)
    t = y
    r, g, b = (round(TILE_TOP[i] + (TILE_BOTTOM[i] - TILE_TOP[i]) * t) for i in range(3))
    return (r, g, b, 255)


def render(size, ss=4):
    """Rows top to bottom of (r, g, b, a), premultiplication left to the reader."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(ss):
                for sx in range(ss):
                    r, g, b, a = sample((px + (sx + 0.5) / ss) / size, (py + (sy + 0.5) / ss) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = ss * ss
            alpha = acc[3] / n
            if acc[3]:
                colour = tuple(round(acc[i] / acc[3]) for i in range(3))
            else:
                colour = (0, 0, 0)
            row.append(colour + (round(alpha),))
        rows.append(row)
    return rows


def mask_bits(rows, size):
    """The AND mask, bottom-up, 1 = transparent, rows padded to 32 bits."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_header(size, bit_count, colours_used):
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bit_count, 0, 0, 0, 0,
                       colours_used, 0)


def image_32bpp(size):
    rows = render(size)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    return bitmap_header(size, 32, 0) + bytes(pixels) + mask_bits(rows, size), 0, 32


def nearest_vga(colour):
    # Plain nearest colour turns the tile teal or grey; keep it blue and let
    # only the marks take the nearest of the light colours.
    r, g, b = colour
    if b > r + 60 and b > g + 40:
        return 12
    return min((7, 8, 11, 15), key=lambda i: sum((colour[c] - VGA16[i][c]) ** 2 for c in range(3)))


def image_4bpp(size):
    rows = render(size)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in VGA16)
    stride = ((size * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            index = nearest_vga((r, g, b)) if a >= 128 else 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += line
    return bitmap_header(size, 4, 16) + palette + bytes(pixels) + mask_bits(rows, size), 16, 4


def write_ico(name, images):
    """images: list of (size, (data, colour_count, bit_count))."""
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b'', b''
    for size, (data, colours, bits) in images:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bits,
                               len(data), offset)
        blobs += data
        offset += len(data)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(header + entries + blobs)


def main():
    # The program's icon: every size the shell asks for.
    write_ico('velnor.ico', [(16, image_4bpp(16)), (32, image_4bpp(32)), (16, image_32bpp(16)),
                             (32, image_32bpp(32)), (48, image_32bpp(48))])
    # The tray icon: 16x16 in 16 colours, plus full colour for modern shells
    # and the system's default size for the fallback load.
    write_ico('tray.ico', [(16, image_4bpp(16)), (16, image_32bpp(16)), (32, image_32bpp(32))])


if __name__ == '__main__':
    main()
