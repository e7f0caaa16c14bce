#!/usr/bin/env python3
"""Writes a 32 x 32 program icon (a PNG inside an ICO file) in the given colour.

    make_icon.py OUTPUT.ico RRGGBB
"""
import struct
import sys
import zlib

SIZE = 32


def in_rounded_square(x, y, radius=5):
    nearest_x = min(max(x, radius), SIZE - 1 - radius)
    nearest_y = min(max(y, radius), SIZE - 1 - radius)
    return (x - nearest_x) ** 2 + (y - nearest_y) ** 2 <= radius ** 2


def on_check_mark(x, y):
    short_stroke = 8 <= x <= 14 and abs((y - 17) - (x - 8)) <= 2
    long_stroke = 13 <= x <= 25 and abs((y - 23) + (x - 14)) <= 2
    return short_stroke or long_stroke


def pixel(x, y, colour):
    """RGBA of one pixel: a rounded square in the colour with a white check mark."""
    if not in_rounded_square(x, y):
        return (0, 0, 0, 0)
    if on_check_mark(x, y):
        return (255, 255, 255, 255)
    return colour + (255,)


def png(colour):
    rows = b''.join(b'\0' + b''.join(bytes(pixel(x, y, colour)) for x in range(SIZE)) for y in range(SIZE))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    header = struct.pack('>IIBBBBB', SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(rows, 9))
            + chunk(b'IEND', b''))


def main():
    output, hex_colour = sys.argv[1], sys.argv[2]
    colour = tuple(int(hex_colour[i:i + 2], 16) for i in (0, 2, 4))
    image = png(colour)
    # ICONDIR, one ICONDIRENTRY, then the PNG itself.
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(output, 'wb') as f:
        f.write(directory + entry + image)


if __name__ == '__main__':
    main()
