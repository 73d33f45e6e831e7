#!/usr/bin/env python3
"""Reads a 24/32-bit X window dump: writes it as PNG and prints the RRGGBB value of each x,y given."""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    f = struct.unpack(">25I", data[:100])
    header, width, height, order, bpp, line, ncolors = f[0], f[4], f[5], f[7], f[11], f[12], f[19]
    if bpp != 32:
        raise SystemExit(f"{bpp} bits per pixel is not read here")
    base = header + ncolors * 12
    fmt = "<I" if order == 0 else ">I"

    def pixel(x, y):
        return struct.unpack_from(fmt, data, base + y * line + x * 4)[0] & 0xFFFFFF

    return width, height, pixel


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            p = pixel(x, y)
            rows += bytes(((p >> 16) & 255, (p >> 8) & 255, p & 255))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


width, height, pixel = read_xwd(sys.argv[1])
write_png(sys.argv[2], width, height, pixel)
for point in sys.argv[3:]:
    x, y = (int(v) for v in point.split(","))
    print(f"{pixel(x, y):06x}")
