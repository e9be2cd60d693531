#!/usr/bin/env python3
"""Draws the pictures of the folder settings dialog: five icons for its list
of folders and checks.bmp, the list's two check box states.

The icons use make_icons.py's renderer and .ico writer with shapes of their
own, laid out on a 16-unit grid with edges on whole units. The list shows them
at 16 px, so those images take one sample per pixel and come out crisp; at
32 px the round and pointed emblems are smoothed. The check boxes are set
pixel by pixel: red is the image list's transparent colour, so no pixel may
blend into it. Run from anywhere; writes beside this script. The generated
files are committed, so building needs no Python.
"""
import math
import os
import struct

import make_icons

# Colour -> index of the 16-colour palette. The 16-colour images take the
# index of the nearest listed colour, so smoothed edges stay in their family
# instead of drifting to grey.
INK = (40, 40, 40)
OUTLINE = (140, 96, 16)
BACK = (228, 176, 56)
FRONT = (255, 212, 92)
FRONT_LIGHT = (255, 236, 164)
WHITE = (255, 255, 255)
CLOCK_RIM = (0, 60, 160)
PAGE_EDGE = (96, 96, 96)
PAGE_FOLD = (200, 200, 200)
TEXT = (70, 110, 190)
STAR = (255, 170, 16)
STAR_EDGE = (176, 64, 0)
BEZEL = (196, 196, 196)
SCREEN = (0, 128, 128)
SCREEN_LIGHT = (96, 200, 200)
PALETTE_INDEX = {
    INK: 0, OUTLINE: 3, BACK: 11, FRONT: 11, FRONT_LIGHT: 15, WHITE: 15, CLOCK_RIM: 4,
    PAGE_EDGE: 8, PAGE_FOLD: 7, TEXT: 12, STAR: 11, STAR_EDGE: 1, BEZEL: 7, SCREEN: 6,
    SCREEN_LIGHT: 14,
}


def nearest_listed(colour):
    near = min(PALETTE_INDEX, key=lambda c: sum((colour[i] - c[i]) ** 2 for i in range(3)))
    return PALETTE_INDEX[near]


def in_box(u, v, box):
    left, top, right, bottom = box
    return left <= u < right and top <= v < bottom


def boxed(u, v, boxes, fill):
    """Rectangles drawn as one shape with a 1-unit outline; None when outside."""
    if not any(in_box(u, v, b) for b in boxes):
        return None
    if any(in_box(u, v, (l + 1, t + 1, r - 1, b - 1)) for l, t, r, b in boxes):
        return fill
    return OUTLINE if fill in (BACK, FRONT) else INK


def folder(u, v):
    """Manila with a tab at the top left; the front's upper edge catches the light."""
    front = boxed(u, v, [(1, 6, 15, 15)], FRONT)
    if front == FRONT and v < 8:
        return FRONT_LIGHT
    return front or boxed(u, v, [(1, 2, 7, 6), (1, 4, 15, 15)], BACK)


def clock(u, v):
    """White face, blue rim, hands at three o'clock."""
    r = math.hypot(u - 11.5, v - 11.5)
    if r > 3.6:
        return None
    if r > 2.6:
        return CLOCK_RIM
    if in_box(u, v, (11, 9, 12, 12)) or in_box(u, v, (11, 11, 14, 12)):
        return INK
    return WHITE


def page(u, v):
    """A white page with three lines of text and its top right corner folded."""
    if not in_box(u, v, (7, 6, 15, 16)):
        return None
    if u >= 12 and v < 9:
        if u - 12 > v - 6:
            return None
        return PAGE_EDGE if u - 12 >= v - 7 and u < 14 else PAGE_FOLD
    if not in_box(u, v, (8, 7, 14, 15)) or (11 <= u < 12 and v < 9):
        return PAGE_EDGE
    return TEXT if int(v) in (9, 11, 13) and 9 <= u < 13 else WHITE


STAR_POINTS = [(11.5 + r * math.cos(a), 11.0 + r * math.sin(a)) for r, a in
               ((4.6 if k % 2 == 0 else 1.9, -math.pi / 2 + k * math.pi / 5) for k in range(10))]
STAR_SIDES = list(zip(STAR_POINTS, STAR_POINTS[1:] + STAR_POINTS[:1]))

# Drawn by hand for 16 px, where sampling the outline above loses points; the
# edge is any star pixel beside a non-star one.
STAR_16 = ['....X....', '....X....', '...XXX...', 'XXXXXXXXX', '.XXXXXXX.',
           '..XXXXX..', '..XXXXX..', '.XXX.XXX.', '.XX...XX.']
pixel_exact = False


def star(u, v):
    """Orange with a darker edge."""
    if pixel_exact:
        def on(col, row):
            return 0 <= row < 9 and 0 <= col < 9 and STAR_16[row][col] == 'X'
        col, row = int(u) - 7, int(v) - 7
        if not on(col, row):
            return None
        inner = all(on(col + dc, row + dr) for dc, dr in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        return STAR if inner else STAR_EDGE
    inside = False
    for (ax, ay), (bx, by) in STAR_SIDES:
        if (ay > v) != (by > v) and u < ax + (v - ay) * (bx - ax) / (by - ay):
            inside = not inside
    edge = min(make_icons.distance_to_segment(u, v, ax, ay, bx, by) for (ax, ay), (bx, by) in STAR_SIDES)
    depth = edge if inside else -edge
    return STAR if depth > 0.8 else STAR_EDGE if depth > -0.2 else None


def monitor(u, v):
    """A grey screen on a stand, a glint at the top left of its teal glass."""
    if in_box(u, v, (4, 4, 12, 8)) and u - 4 < 3 - (v - 4) * 0.75:
        return SCREEN_LIGHT
    screen = boxed(u, v, [(3, 3, 13, 10)], SCREEN)
    if screen == SCREEN:
        return SCREEN
    stand = [(6, 11, 10, 14), (3, 13, 13, 16)]
    return boxed(u, v, [(1, 1, 15, 12)], BEZEL) or boxed(u, v, stand, BEZEL)


def layered(*layers):
    """A sample function for make_icons: the first layer that covers a point wins."""
    def sample(x, y):
        for layer in layers:
            colour = layer(x * 16, y * 16)
            if colour:
                return colour + (255,)
        return (0, 0, 0, 0)
    return sample


ICONS = [
    ('folder_recent.ico', layered(clock, folder)),
    ('folder_start_menu.ico', layered(folder)),
    ('folder_documents.ico', layered(page, folder)),
    ('folder_desktop.ico', layered(monitor)),
    ('folder_favorites.ico', layered(star, folder)),
]

BOX_EDGE = (96, 96, 96)
TICK = [(0, 2), (1, 3), (2, 4), (3, 3), (4, 2), (5, 1), (6, 0)]  # (column, top row), 3 rows each


def check_boxes():
    """Rows top to bottom of 32 x 16 (r, g, b): unchecked, then checked."""
    rows = [[(255, 0, 0)] * 32 for _ in range(16)]
    for image in (0, 1):
        left = image * 16
        for y in range(1, 14):
            for x in range(1, 14):
                rows[y][left + x] = BOX_EDGE if x in (1, 13) or y in (1, 13) else WHITE
        if image:
            for column, top in TICK:
                for y in range(top, top + 3):
                    rows[4 + y][left + 4 + column] = (0, 0, 0)
    return rows


def write_bmp(name, rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) // 4 * 4
    pixels = b''.join(b''.join(bytes((b, g, r)) for r, g, b in row).ljust(stride, b'\0')
                      for row in reversed(rows))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(os.path.join(make_icons.HERE, name), 'wb') as f:
        f.write(header + info + pixels)


def main():
    make_icons.nearest_vga = nearest_listed
    # At 16 px, sample pixel centres only: the list shows the icons at that
    # size, where smoothing the clock and the star only blurs them.
    smoothed = make_icons.render

    def render(size, ss=4):
        global pixel_exact
        pixel_exact = size <= 16
        return smoothed(size, 1 if pixel_exact else ss)
    make_icons.render = render
    for name, sample in ICONS:
        make_icons.sample = sample
        make_icons.write_ico(name, [(16, make_icons.image_4bpp(16)), (32, make_icons.image_4bpp(32)),
                                    (16, make_icons.image_32bpp(16)), (32, make_icons.image_32bpp(32))])
    write_bmp('checks.bmp', check_boxes())


if __name__ == '__main__':
    main()
