#!/usr/bin/env python3
"""Exits with 0 when two PNG pictures (8-bit RGB or RGBA, not interlaced) hold the same
pixels, whatever their compression; otherwise prints where they first differ."""
import struct
import sys
import zlib


def pixels(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    at, idat = 8, b""
    while at < len(data):
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + size]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                sys.exit(f"{path}: only 8-bit RGB or RGBA pictures are compared")
        elif kind == b"IDAT":
            idat += body
        at += 12 + size
    channels = 3 if colour == 2 else 4
    stride = width * channels
    raw = zlib.decompress(idat)
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = row[x - channels] if x >= channels else 0
            up = previous[x]
            corner = previous[x - channels] if x >= channels else 0
            if kind == 1:
                row[x] = (row[x] + left) & 255
            elif kind == 2:
                row[x] = (row[x] + up) & 255
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                row[x] = (row[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rgb = bytes(b for i, b in enumerate(row) if i % channels < 3)
        rows.append(rgb)
        previous = row
    return width, height, rows


def main():
    first, second = sys.argv[1], sys.argv[2]
    if open(first, "rb").read() == open(second, "rb").read():
        return 0
    a, b = pixels(first), pixels(second)
    if a[:2] != b[:2]:
        print(f"sizes differ: {a[0]}x{a[1]} and {b[0]}x{b[1]}")
        return 1
    for y, (ra, rb) in enumerate(zip(a[2], b[2])):
        if ra != rb:
            x = next(i for i in range(len(ra)) if ra[i] != rb[i]) // 3
            print(f"first difference at pixel ({x}, {y})")
            return 1
    return 0


sys.exit(main())
