#!/usr/bin/env python3
"""Exits with 0 when two PNG pictures (8-bit RGB or RGBA, not interlaced) hold the same
pixels, whatever their compression; otherwise prints where they first differ. The web
page's test decodes pictures with the same png_rgb."""
import struct
import sys
import zlib


def png_rgb(data):
    """The rows of an 8-bit RGB or RGBA PNG as RGB, decoded with every filter type."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat, width, height, channels = 8, b"", 0, 0, 3
    while at < len(data):
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + size]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, "8-bit RGB or RGBA"
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        at += 12 + size
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        filter_type = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = row[x - channels] if x >= channels else 0
            up = previous[x]
            corner = previous[x - channels] if x >= channels else 0
            if filter_type == 1:
                row[x] = (row[x] + left) & 255
            elif filter_type == 2:
                row[x] = (row[x] + up) & 255
            elif filter_type == 3:
                row[x] = (row[x] + (left + up) // 2) & 255
            elif filter_type == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                nearest = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                row[x] = (row[x] + nearest) & 255
        rows.append(bytes(row) if channels == 3 else rgb_of_rgba(row))
        previous = row
    return width, height, b"".join(rows)


def rgb_of_rgba(rgba):
    rgb = bytearray(rgba)
    del rgb[3::4]  # every fourth byte, the alpha
    return bytes(rgb)


def main():
    first, second = (open(path, "rb").read() for path in sys.argv[1:3])
    if first == second:
        return 0
    a, b = png_rgb(first), png_rgb(second)
    if a[:2] != b[:2]:
        print(f"sizes differ: {a[0]}x{a[1]} and {b[0]}x{b[1]}")
        return 1
    if a[2] != b[2]:
        at = next(i for i in range(len(a[2])) if a[2][i] != b[2][i]) // 3
        print(f"first difference at pixel ({at % a[0]}, {at // a[0]})")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
