#!/usr/bin/env python3
"""Draws the picture selection dialog's toolbar images into src/res/ui/picture_toolbar.bmp.

Five 24 x 24 images side by side, 32 bits per pixel with alpha: 0 remove (Reset and Delete),
1 one large picture ("[512]"), 2 four pictures ("[256]"), 3 nine pictures ("[128]"), 4 a list.
Run it again after changing the drawing; the bitmap it writes is committed.
"""
import struct
from pathlib import Path

SIDE = 24
COUNT = 5
FRAME = (0x30, 0x3C, 0x50)
PICTURE = (0x4A, 0x9A, 0xE0)
SKY = (0xBF, 0xE2, 0xFF)
HILL = (0x3C, 0xA0, 0x5A)
REMOVE = (0xD2, 0x32, 0x2D)


def blank():
    return [[((0, 0, 0), 0) for _ in range(SIDE)] for _ in range(SIDE)]


def fill(image, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(SIDE, y1)):
        for x in range(max(0, x0), min(SIDE, x1)):
            image[y][x] = (colour, 255)


def picture(image, x0, y0, size):
    """A small framed landscape: sky, a hill, a frame line."""
    fill(image, x0, y0, x0 + size, y0 + size, FRAME)
    fill(image, x0 + 1, y0 + 1, x0 + size - 1, y0 + size - 1, SKY)
    for x in range(x0 + 1, x0 + size - 1):
        t = (x - x0) / max(1, size - 2)
        top = y0 + size - 1 - int((size - 2) * 0.55 * (1 - abs(2 * t - 1)))
        fill(image, x, top, x + 1, y0 + size - 1, HILL)


def remove_image():
    image = blank()
    for i in range(4, 20):
        for w in (-1, 0, 1):
            fill(image, i + w, i, i + w + 1, i + 1, REMOVE)
            fill(image, 23 - i + w, i, 23 - i + w + 1, i + 1, REMOVE)
    return image


def grid_image(per_row):
    image = blank()
    gap = 1
    size = (22 - gap * (per_row - 1)) // per_row
    start = (SIDE - (size * per_row + gap * (per_row - 1))) // 2
    for row in range(per_row):
        for col in range(per_row):
            picture(image, start + col * (size + gap), start + row * (size + gap), size)
    return image


def list_image():
    image = blank()
    for row in range(4):
        y = 3 + row * 5
        fill(image, 2, y, 6, y + 4, PICTURE)
        fill(image, 8, y + 1, 22, y + 3, FRAME)
    return image


def write_bmp(path, images):
    width = SIDE * len(images)
    rows = []
    for y in range(SIDE - 1, -1, -1):  # bottom-up
        row = bytearray()
        for image in images:
            for x in range(SIDE):
                (r, g, b), a = image[y][x]
                row += bytes((b, g, r, a))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, SIDE, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    Path(path).write_bytes(file_header + header + pixels)


def main():
    out = Path(__file__).resolve().parent.parent / "src" / "res" / "ui" / "picture_toolbar.bmp"
    write_bmp(out, [remove_image(), grid_image(1), grid_image(2), grid_image(3), list_image()])
    print(out)


if __name__ == "__main__":
    main()
