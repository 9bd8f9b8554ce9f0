#!/usr/bin/env python3
"""Draws the program icon (a shaded cube on a transparent ground) into src/res/orbelin.ico.

Run it again after changing the drawing; the .ico it writes is committed.
"""
import struct
import sys
from pathlib import Path

TOP = (0x5A, 0xB4, 0xF0)
LEFT = (0x2D, 0x78, 0xC8)
RIGHT = (0x1C, 0x4E, 0x96)
EDGE = (0x0C, 0x24, 0x48)


def inside(poly, x, y):
    result = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def draw(size):
    s = size / 32.0
    c = (16 * s, 16 * s)
    top = [(c[0], 2 * s), (30 * s, 9 * s), (c[0], c[1]), (2 * s, 9 * s)]
    left = [(2 * s, 9 * s), (c[0], c[1]), (c[0], 30 * s), (2 * s, 23 * s)]
    right = [(c[0], c[1]), (30 * s, 9 * s), (30 * s, 23 * s), (c[0], 30 * s)]
    pixels = []
    for row in range(size):
        for col in range(size):
            x, y = col + 0.5, row + 0.5
            colour, alpha = (0, 0, 0), 0
            for face, rgb in ((top, TOP), (left, LEFT), (right, RIGHT)):
                if inside(face, x, y):
                    colour, alpha = rgb, 255
            pixels.append((colour, alpha))
    # darken the outermost covered pixels so the cube keeps its shape on any background
    out = []
    for i, (colour, alpha) in enumerate(pixels):
        row, col = divmod(i, size)
        if alpha:
            for dr, dc in ((-1, 0), (1, 0), (0, -1), (0, 1)):
                r, k = row + dr, col + dc
                if not (0 <= r < size and 0 <= k < size) or pixels[r * size + k][1] == 0:
                    colour = EDGE
                    break
        out.append((colour, alpha))
    return out


def dib_entry(size):
    pixels = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(range(size)):  # bottom-up rows
        for col in range(size):
            (r, g, b), a = pixels[row * size + col]
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(range(size)):
        bits = bytearray(mask_stride)
        for col in range(size):
            if pixels[row * size + col][1] == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def main():
    sizes = (16, 32, 48)
    images = [dib_entry(size) for size in sizes]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / 'src/res/orbelin.ico'
    target.write_bytes(data)


if __name__ == '__main__':
    main()
