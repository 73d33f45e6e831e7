#!/usr/bin/env python3
"""Checks the image data of a PNG file with Python's zlib (an independent inflater):

    check_idat.py FILTERS CHUNKSIZE FILE...

FILTERS is "sub", "up", "none" (every row must carry that filter type) or "adaptive" (every
row must carry the filter, of all five, whose filtered bytes repeat most: positions j >= 2 whose
byte equals the one at j - 1 or j - 2; the earliest on a tie; None when no filter scores).
Every IDAT chunk but the last must hold CHUNKSIZE bytes, the last at most that. Prints one line
per file, "FILE: ok" or the file's first problem; the exit code is 1 when any file fails.
"""
import struct
import sys
import zlib

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ADAM7 = [(0, 0, 8, 8), (0, 4, 8, 8), (4, 0, 8, 4), (0, 2, 4, 4), (2, 0, 4, 2), (0, 1, 2, 2), (1, 0, 2, 1)]


def chunks(data):
    pos = 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def predictor(kind, row, prev, i, bpp):
    left = row[i - bpp] if i >= bpp else 0
    up = prev[i]
    upleft = prev[i - bpp] if i >= bpp else 0
    return [0, left, up, (left + up) // 2, paeth(left, up, upleft)][kind]


def score(row):
    return sum(1 for j in range(2, len(row)) if row[j] == row[j - 1] or row[j] == row[j - 2])


def check(path, mode, chunk_size):
    data = open(path, "rb").read()
    parts = list(chunks(data))
    w, h, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", parts[0][1])
    idats = [d for k, d in parts if k == b"IDAT"]
    for n, d in enumerate(idats):
        if (n < len(idats) - 1 and len(d) != chunk_size) or len(d) > chunk_size or not d:
            return "IDAT chunk %d holds %d bytes" % (n, len(d))
    raw = zlib.decompress(b"".join(idats))
    bpp = max(1, CHANNELS[ctype] * depth // 8)
    pos = 0
    wanted = {"none": 0, "sub": 1, "up": 2}.get(mode)
    for row0, col0, rstep, cstep in (ADAM7 if interlace else [(0, 0, 1, 1)]):
        pw = (w + cstep - col0 - 1) // cstep
        length = (pw * depth * CHANNELS[ctype] + 7) // 8
        if pw == 0:
            continue
        prev = bytes(length)
        for y in range(row0, h, rstep):
            kind, filtered = raw[pos], raw[pos + 1:pos + 1 + length]
            pos += 1 + length
            row = bytearray(filtered)
            for i in range(length):
                row[i] = (filtered[i] + predictor(kind, row, prev, i, bpp)) & 0xFF
            if wanted is not None and kind != wanted:
                return "row %d: filter %d" % (y, kind)
            if mode == "adaptive":
                best, best_score = 0, 0
                for f in range(5):
                    candidate = bytes((row[i] - predictor(f, row, prev, i, bpp)) & 0xFF for i in range(length))
                    s = score(candidate)
                    if s > best_score:
                        best, best_score = f, s
                if kind != best:
                    return "row %d: filter %d, expected %d" % (y, kind, best)
            prev = bytes(row)
    if pos != len(raw):
        return "%d bytes of image data left over" % (len(raw) - pos)
    return "ok"


def main():
    mode, chunk_size = sys.argv[1], int(sys.argv[2])
    failed = False
    for path in sys.argv[3:]:
        result = check(path, mode, chunk_size)
        failed |= result != "ok"
        print("%s: %s" % (path, result))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
