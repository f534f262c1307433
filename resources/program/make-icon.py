#!/usr/bin/env python3
"""Writes one of the program's icons: a 32x32 and a 16x16 image, 32 bits per pixel, a
rounded square in the bank's blue with a white shield-like mark; the tray variant (142)
is drawn on a lighter ground so it stays readable on a dark task bar.
usage: make-icon.py OUTPUT.ico window|tray"""
import struct
import sys


def pixels(size, ground, mark):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            cx, cy = x - (size - 1) / 2, y - (size - 1) / 2
            r = size / 2 - 0.5
            corner = max(abs(cx) - r * 0.6, 0) ** 2 + max(abs(cy) - r * 0.6, 0) ** 2
            inside = corner <= (r * 0.4) ** 2
            shield = abs(cx) <= size * 0.22 and -size * 0.3 <= cy <= size * 0.3 - abs(cx)
            if not inside:
                row.append((0, 0, 0, 0))
            elif shield:
                row.append(mark + (255,))
            else:
                row.append(ground + (255,))
        rows.append(row)
    return rows


def image(size, ground, mark):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    body = bytearray()
    for row in reversed(pixels(size, ground, mark)):  # bottom-up
        for r, g, b, a in row:
            body += bytes((b, g, r, a))
    mask = bytes(((size + 31) // 32) * 4 * size)
    return header + bytes(body) + mask


def main():
    output, kind = sys.argv[1], sys.argv[2]
    ground = (0x1E, 0x5A, 0xA8) if kind == "window" else (0x3C, 0x8C, 0xDC)
    mark = (0xFF, 0xFF, 0xFF)
    images = [image(s, ground, mark) for s in (32, 16)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, blob in zip((32, 16), images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(output, "wb") as out:
        out.write(data + b"".join(images))


if __name__ == "__main__":
    main()
