#!/usr/bin/env python3
"""Draws Foldmark's logo (logo.bmp) and icon (foldmark.ico) without any
image library: a red page with a folded corner and a grid of desktop icons
on white, which the window leaves out when it draws the logo."""
import struct

WHITE = (255, 255, 255)
RED = (200, 16, 16)
DARK_RED = (130, 0, 0)
PINK = (245, 170, 170)


def page(width, height, left, top, right, bottom, fold, cell, gap):
    """Pixels of a red page with its top-right corner folded down."""
    pixels = [[WHITE] * width for _ in range(height)]
    for y in range(top, bottom):
        for x in range(left, right):
            dx, dy = x - (right - fold), y - top
            if dx >= 0 and dy < fold:
                if dx > dy:
                    continue  # cut away: the corner is folded
                pixels[y][x] = PINK if dx < dy else DARK_RED
            else:
                pixels[y][x] = RED
    # Desktop icons on the page: rows of small white squares.
    y = top + fold + gap
    while y + cell <= bottom - gap:
        x = left + gap
        while x + cell <= right - gap:
            for yy in range(y, y + cell):
                for xx in range(x, x + cell):
                    pixels[yy][xx] = WHITE
            x += cell + gap
        y += cell + gap
    return pixels


def dib_rows(pixels, with_alpha):
    """Bottom-up rows of a device-independent bitmap, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r, 255)) if with_alpha else bytes((b, g, r))
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def write_bmp(path, pixels):
    height, width = len(pixels), len(pixels[0])
    data = dib_rows(pixels, False)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_ico(path, pixels):
    height, width = len(pixels), len(pixels[0])
    colours = dib_rows(pixels, True)
    mask_line = ((width + 31) // 32) * 4
    mask = bytes(mask_line * height)  # every pixel drawn; alpha decides
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(colours) + len(mask), 0, 0, 0, 0)
    image = info + colours + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", width, height, 0, 0, 1, 32, len(image), 22)
    with open(path, "wb") as f:
        f.write(directory + image)


if __name__ == "__main__":
    write_bmp("logo.bmp", page(105, 74, 28, 4, 78, 70, 14, 8, 5))
    write_ico("foldmark.ico", page(32, 32, 4, 1, 28, 31, 8, 4, 3))
