#!/usr/bin/env python3
"""Draws the pictures of the About box: banner.bmp, the product's banner, and
hand.cur, the pointing hand shown over it.

The banner (468 x 60, 24 bits) shows the prompt tile of make_icons.py beside
the program's name, its tagline and the hot key that opens it, on a pale
wash with an orange rule along the bottom like the tile's cursor. Text is set
in DejaVu Sans by ImageMagick (`convert`), which only rasterises each line
into a grey coverage mask; the layout and the colours are done here.

The hand is a 1-bit cursor drawn from the character grid below: '#' black,
'-' white, anything else transparent. Its hot spot is the fingertip.
ImageMagick would write a cursor as an icon, so the file is written here.

Run from anywhere; writes beside this script. The generated files are
committed, so building needs neither Python nor ImageMagick.
"""
import os
import struct
import subprocess

import make_icons
from make_folder_pictures import write_bmp

WIDTH, HEIGHT = 468, 60
FONT_DIR = '/usr/share/fonts/truetype/dejavu'
BOLD = os.path.join(FONT_DIR, 'DejaVuSans-Bold.ttf')
BOOK = os.path.join(FONT_DIR, 'DejaVuSans.ttf')

WASH_LEFT = (255, 255, 255)
WASH_RIGHT = (226, 236, 250)
NAME = (20, 48, 96)
TAGLINE = (84, 100, 126)
RULE = make_icons.CURSOR
KEY_FACE = (255, 255, 255)
KEY_EDGE = (150, 166, 192)
KEY_SHADOW = (196, 208, 226)
KEY_TEXT = (44, 66, 104)
PLUS = (120, 136, 160)

HAND = """
      ##
     #--#
     #--#
     #--#
     #--#
     #--###
     #--#--###
     #--#--#--##
     #--#--#--#-#
  ## #--#--#--#--#
 #--##--------#--#
 #---#-----------#
  #--------------#
   #-------------#
   #------------#
    #-----------#
    #----------#
     #---------#
     #---------#
     ###########
"""
HOT_SPOT = (7, 0)


def text_mask(text, font, size):
    """Coverage rows (0..255) of `text` set in `font` at `size` pixels."""
    pgm = subprocess.run(['convert', '-background', 'black', '-fill', 'white', '-font', font,
                          '-pointsize', str(size), '-density', '72', 'label:' + text,
                          '-depth', '8', 'pgm:-'], check=True, capture_output=True).stdout
    # P5 header: magic, width, height, maximum, each ended by white space.
    fields, pos = [], 0
    while len(fields) < 4:
        while pgm[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not pgm[pos:pos + 1].isspace():
            pos += 1
        fields.append(pgm[start:pos])
    width, height = int(fields[1]), int(fields[2])
    data = pgm[pos + 1:]
    return [list(data[y * width:(y + 1) * width]) for y in range(height)]


def blend(under, over, coverage):
    return tuple(round(u + (o - u) * coverage) for u, o in zip(under, over))


def paint_mask(canvas, mask, left, top, colour):
    for y, row in enumerate(mask):
        for x, value in enumerate(row):
            if value and 0 <= top + y < HEIGHT and 0 <= left + x < WIDTH:
                canvas[top + y][left + x] = blend(canvas[top + y][left + x], colour, value / 255)


def ink_box(mask):
    """Left, top, right, bottom of the inked part of a mask (right and bottom past the end)."""
    rows = [y for y, row in enumerate(mask) if any(row)]
    cols = [x for x in range(len(mask[0])) if any(row[x] for row in mask)]
    return cols[0], rows[0], cols[-1] + 1, rows[-1] + 1


def paint_text(canvas, text, font, size, left, top, colour):
    """Sets `text` with its ink's top-left corner at (left, top); returns its ink box."""
    mask = text_mask(text, font, size)
    ink_left, ink_top, ink_right, ink_bottom = ink_box(mask)
    paint_mask(canvas, mask, left - ink_left, top - ink_top, colour)
    return left, top, left + ink_right - ink_left, top + ink_bottom - ink_top


def rounded_coverage(x, y, box, radius, ss=4):
    left, top, right, bottom = box
    inside = 0
    for sy in range(ss):
        for sx in range(ss):
            px, py = x + (sx + 0.5) / ss, y + (sy + 0.5) / ss
            cx = min(max(px, left + radius), right - radius)
            cy = min(max(py, top + radius), bottom - radius)
            if left <= px <= right and top <= py <= bottom and (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2:
                inside += 1
    return inside / (ss * ss)


def paint_rounded(canvas, box, radius, colour):
    left, top, right, bottom = box
    for y in range(int(top), int(bottom) + 1):
        for x in range(int(left), int(right) + 1):
            coverage = rounded_coverage(x, y, box, radius)
            if coverage and 0 <= y < HEIGHT and 0 <= x < WIDTH:
                canvas[y][x] = blend(canvas[y][x], colour, coverage)


def paint_key(canvas, label, right, middle):
    """A key cap ending at `right`, centred on `middle`; returns its left edge."""
    mask = text_mask(label, BOLD, 11)
    ink_left, ink_top, ink_right, ink_bottom = ink_box(mask)
    width = max(ink_right - ink_left + 14, 22)
    box = (right - width, middle - 11, right, middle + 10)
    paint_rounded(canvas, (box[0], box[1] + 2, box[2], box[3] + 2), 4, KEY_SHADOW)
    paint_rounded(canvas, box, 4, KEY_EDGE)
    paint_rounded(canvas, (box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1), 3, KEY_FACE)
    text_left = round((box[0] + box[2]) / 2 - (ink_right - ink_left) / 2)
    paint_mask(canvas, mask, text_left - ink_left, middle - 4 - ink_top, KEY_TEXT)
    return box[0]


def banner():
    canvas = [[blend(WASH_LEFT, WASH_RIGHT, (x / (WIDTH - 1)) ** 1.5) for x in range(WIDTH)]
              for _ in range(HEIGHT)]
    # The program's tile, composited by its own coverage.
    tile, tile_left, tile_top = 44, 10, 6
    for y, row in enumerate(make_icons.render(tile)):
        for x, (r, g, b, a) in enumerate(row):
            if a:
                canvas[tile_top + y][tile_left + x] = blend(canvas[tile_top + y][tile_left + x], (r, g, b), a / 255)
    # The name's cap height and the tagline's x-height share the tile's top
    # and bottom thirds.
    paint_text(canvas, 'Plovant Velnor', BOLD, 24, 66, 9, NAME)
    paint_text(canvas, 'Type a few letters. Open any file.', BOOK, 12, 67, 37, TAGLINE)
    # The hot key, right-aligned: Ctrl + Alt + R.
    right, middle = WIDTH - 12, 27
    for index, label in enumerate(reversed(['Ctrl', 'Alt', 'R'])):
        if index:
            plus = text_mask('+', BOLD, 11)
            ink_left, ink_top, ink_right, ink_bottom = ink_box(plus)
            paint_mask(canvas, plus, right - 4 - ink_right, middle - (ink_bottom - ink_top) // 2 - ink_top, PLUS)
            right -= 4 + (ink_right - ink_left) + 4
        right = paint_key(canvas, label, right, middle) - 0
    for y in range(HEIGHT - 3, HEIGHT):
        for x in range(WIDTH):
            canvas[y][x] = RULE
    return canvas


def write_cursor(name):
    grid = [line for line in HAND.split('\n')[1:-1]]
    size = 32
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        line = grid[y] if y < len(grid) else ''
        xor_row, mask_row = bytearray(4), bytearray(4)
        for x in range(size):
            mark = line[x] if x < len(line) else ' '
            bit = 0x80 >> (x % 8)
            if mark == '-':
                xor_row[x // 8] |= bit
            elif mark != '#':
                mask_row[x // 8] |= bit
        xor += xor_row
        mask += mask_row
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + bytes(xor) + bytes(mask)
    # Type 2: a cursor, whose directory entry holds the hot spot where an
    # icon's holds planes and bit count.
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    with open(os.path.join(make_icons.HERE, name), 'wb') as f:
        f.write(header + entry + image)


def main():
    write_bmp('banner.bmp', banner())
    write_cursor('hand.cur')


if __name__ == '__main__':
    main()
