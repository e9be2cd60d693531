#!/usr/bin/env python3
"""Draws file.ico, the icon a launcher row shows until the shell's own icon
for the file has been fetched: a plain white page with a folded corner and a
few grey lines of text. Uses make_icons.py's renderer and .ico writer with a
shape of its own. The generated file is committed.
"""
import make_icons

PAGE = (255, 255, 255)
EDGE = (96, 96, 96)
LINES = (150, 150, 150)
FOLD = (200, 200, 200)


def sample(x, y):
    left, right, top, bottom, fold = 0.18, 0.82, 0.06, 0.94, 0.24
    if not (left <= x <= right and top <= y <= bottom):
        return (0, 0, 0, 0)
    # The folded corner: cut off beyond the diagonal, drawn as a triangle.
    corner_x, corner_y = right - fold, top + fold
    if x > corner_x and y < corner_y:
        if (x - corner_x) > (y - top):
            return (0, 0, 0, 0)
        return FOLD + (255,)
    edge = 0.06
    if x < left + edge or x > right - edge or y > bottom - edge or y < top + edge:
        return EDGE + (255,)
    if abs(x - corner_x) < edge / 2 and y < corner_y:
        return EDGE + (255,)
    for line_y in (0.42, 0.58, 0.74):
        if abs(y - line_y) < 0.04 and left + 0.14 <= x <= right - 0.14:
            return LINES + (255,)
    return PAGE + (255,)


def main():
    make_icons.sample = sample
    make_icons.write_ico('file.ico', [(16, make_icons.image_4bpp(16)), (16, make_icons.image_32bpp(16)),
                                      (32, make_icons.image_32bpp(32))])


if __name__ == '__main__':
    main()
