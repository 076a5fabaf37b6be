#!/usr/bin/env python3
"""Draws the program's icons and writes them as 16-colour .ico files.

    python3 scripts/make-icons.py [OUTPUT_DIR]      (default: resources/)

Writes mainicon.ico (32x32, the program icon), vtform.ico (32x32, the pad
window's icon) and tray.ico (16x16, the notification area icon). Each file
holds one 4-bit image with the standard 16-colour palette and an AND mask, the
format every Windows version loads. Only the standard library is used; the
generated files are committed, so a build never needs Python.
"""
import os
import struct
import sys

# The standard 16-colour palette, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy (caption blue)
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver (button face)
    (0x80, 0x80, 0x80),  # 8 grey (button shadow)
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, NAVY, SILVER, GREY, YELLOW, WHITE = 0, 4, 7, 8, 11, 15
CLEAR = None  # transparent pixel


class Canvas:
    def __init__(self, size, fill=CLEAR):
        self.size = size
        self.px = [[fill] * size for _ in range(size)]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with inclusive corners (x0, y0) and (x1, y1)."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.px[y][x] = colour

    def keycap(self, x0, y0, x1, y1):
        """A raised key: black outline, white top-left edge, grey bottom-right edge."""
        self.rect(x0, y0, x1, y1, BLACK)
        self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, SILVER)
        self.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 1, WHITE)
        self.rect(x0 + 1, y0 + 1, x0 + 1, y1 - 1, WHITE)
        self.rect(x0 + 1, y1 - 1, x1 - 1, y1 - 1, GREY)
        self.rect(x1 - 1, y0 + 1, x1 - 1, y1 - 1, GREY)

    def art(self, x0, y0, rows, colour):
        """Paints every '#' of the text rows in the colour, starting at (x0, y0)."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == '#':
                    self.px[y0 + dy][x0 + dx] = colour


# The shift symbol: a hollow upward arrow.
ARROW_LARGE = [
    "......#......",
    ".....#.#.....",
    "....#...#....",
    "...#.....#...",
    "..#.......#..",
    ".#.........#.",
    "####.....####",
    "...#.....#...",
    "...#.....#...",
    "...#.....#...",
    "...#.....#...",
    "...#######...",
]
ARROW_SMALL = [
    "...#...",
    "..#.#..",
    ".#...#.",
    "##...##",
    ".#...#.",
    ".#####.",
]
LETTER_S = [
    ".###.",
    "#...#",
    "#....",
    ".###.",
    "....#",
    "#...#",
    ".###.",
]
LETTER_C = [
    ".###.",
    "#...#",
    "#....",
    "#....",
    "#....",
    "#...#",
    ".###.",
]


def main_icon():
    """Program icon: a shift key cap with its arrow on caption blue."""
    c = Canvas(32, NAVY)
    c.keycap(3, 3, 28, 28)
    c.rect(5, 5, 26, 26, SILVER)
    c.rect(4, 4, 27, 4, WHITE)
    c.rect(4, 4, 4, 27, WHITE)
    c.rect(4, 27, 27, 27, GREY)
    c.rect(27, 4, 27, 27, GREY)
    c.rect(5, 26, 26, 26, GREY)
    c.rect(26, 5, 26, 26, GREY)
    c.art(9, 9, ARROW_LARGE, BLACK)
    return c


def form_icon():
    """Pad window icon: a window whose caption bar carries a strip of two keys."""
    c = Canvas(32, CLEAR)
    # window body with a frame
    c.rect(1, 4, 30, 28, BLACK)
    c.rect(2, 5, 29, 27, SILVER)
    c.rect(3, 15, 28, 26, WHITE)
    # caption bar
    c.rect(3, 6, 28, 13, NAVY)
    # the docked strip: two latch keys, S and C, on a yellow base
    c.rect(11, 5, 28, 14, BLACK)
    c.rect(12, 6, 27, 13, YELLOW)
    c.rect(13, 6, 19, 13, SILVER)
    c.art(14, 6, LETTER_S, BLACK)
    c.rect(21, 6, 27, 13, SILVER)
    c.art(22, 6, LETTER_C, BLACK)
    c.rect(20, 6, 20, 13, BLACK)
    # a few text lines in the window body
    for y in (18, 21, 24):
        c.rect(5, y, 24, y, GREY)
    return c


def tray_icon():
    """Notification area icon: a small shift key, transparent around it."""
    c = Canvas(16, CLEAR)
    c.keycap(1, 1, 14, 14)
    c.art(4, 4, ARROW_SMALL, BLACK)
    return c


def ico_bytes(canvas):
    """Encodes the canvas as a one-image .ico (4-bit colour + 1-bit AND mask)."""
    n = canvas.size
    xor_stride = ((n * 4 + 31) // 32) * 4
    and_stride = ((n + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in range(n - 1, -1, -1):  # DIB rows are stored bottom-up
        row = canvas.px[y]
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, colour in enumerate(row):
            index = 0 if colour is CLEAR else colour
            if x % 2 == 0:
                line[x // 2] |= index << 4
            else:
                line[x // 2] |= index
            if colour is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", n % 256, n % 256, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    os.makedirs(out, exist_ok=True)
    for name, canvas in (("mainicon.ico", main_icon()),
                         ("vtform.ico", form_icon()),
                         ("tray.ico", tray_icon())):
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.write(ico_bytes(canvas))
        print(os.path.normpath(path))


if __name__ == "__main__":
    main()
