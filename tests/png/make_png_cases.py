#!/usr/bin/env python3
"""Writes PNG test files and the pixels they must decode to, from this script's own arrays
(standard library only: struct and zlib; no decoder is involved in the expected values).

    make_png_cases.py OUTDIR

OUTDIR receives NAME.png and NAME.expected for every case, and cases.txt listing the names.
An expected file holds the plain form of tests/png/png_dump.h, or "ERROR <exception class>"
for a file the codec must refuse.

Cases: every colour type and bit depth pair PNG allows, at 1 x 1, 3 x 3, 7 x 5 and 33 x 17,
plain and Adam7, with every row filter used in turn, some with a transparency chunk, the largest
with the image data split into chunks of 1, 1 and the remaining bytes; then malformed files.
"""
import os
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
PAIRS = [(0, 1), (0, 2), (0, 4), (0, 8), (0, 16), (2, 8), (2, 16), (3, 1), (3, 2), (3, 4), (3, 8),
         (4, 8), (4, 16), (6, 8), (6, 16)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
SIZES = [(1, 1), (3, 3), (7, 5), (33, 17)]
ADAM7 = [(0, 0, 8, 8), (0, 4, 8, 8), (4, 0, 8, 4), (0, 2, 4, 4), (2, 0, 4, 2), (0, 1, 2, 2), (1, 0, 2, 1)]


def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def ihdr(w, h, depth, ctype, compression=0, filt=0, interlace=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, ctype, compression, filt, interlace))


class Random:
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0xFFFFFFFF
        return (self.state >> 8) % n


def pack_row(pixels, depth):
    """Samples of a row (tuples) into bytes."""
    if depth == 8:
        return bytes(s for p in pixels for s in p)
    if depth == 16:
        return b"".join(struct.pack(">H", s) for p in pixels for s in p)
    out, acc, bits = bytearray(), 0, 0
    for p in pixels:
        for s in p:
            acc = (acc << depth) | s
            bits += depth
            if bits == 8:
                out.append(acc)
                acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(kind, raw, prev, bpp):
    out = bytearray(len(raw))
    for i, x in enumerate(raw):
        left = raw[i - bpp] if i >= bpp else 0
        up = prev[i]
        upleft = prev[i - bpp] if i >= bpp else 0
        pred = [0, left, up, (left + up) // 2, paeth(left, up, upleft)][kind]
        out[i] = (x - pred) & 0xFF
    return bytes([kind]) + bytes(out)


def unfilter_row(kind, data, prev, bpp):
    out = bytearray(len(data))
    for i, x in enumerate(data):
        left = out[i - bpp] if i >= bpp else 0
        up = prev[i]
        upleft = prev[i - bpp] if i >= bpp else 0
        pred = [0, left, up, (left + up) // 2, paeth(left, up, upleft)][kind]
        out[i] = (x + pred) & 0xFF
    return bytes(out)


def scanlines(image, w, h, ctype, depth, interlace, first_filter=0, filter_step=1):
    """The filtered scanlines, the filter type changing from row to row (by filter_step)."""
    bpp = max(1, CHANNELS[ctype] * depth // 8)
    passes = ADAM7 if interlace else [(0, 0, 1, 1)]
    data, n = bytearray(), first_filter
    for row0, col0, rstep, cstep in passes:
        cols = list(range(col0, w, cstep))
        if not cols:
            continue
        prev = None
        for y in range(row0, h, rstep):
            raw = pack_row([image[y][x] for x in cols], depth)
            if prev is None:
                prev = bytes(len(raw))
            data += filter_row(n % 5, raw, prev, bpp)
            n += filter_step
            prev = raw
    return bytes(data)


def make_image(w, h, ctype, depth, seed):
    rnd = Random(seed)
    top = 1 << depth
    if ctype == 3:
        top = min(top, 1 << depth)
    return [[tuple(rnd.next(top) for _ in range(CHANNELS[ctype])) for _ in range(w)] for _ in range(h)]


def make_palette(depth, seed):
    rnd = Random(seed)
    return [(rnd.next(256), rnd.next(256), rnd.next(256)) for _ in range(1 << depth)]


def expected_form(image, w, h, ctype, depth, palette=None, trns=None, gamma=None):
    """The plain form of png_dump.h for the samples."""
    wide = depth == 16
    g = gamma if gamma is not None else list(range(256))

    def c16(v):  # a 16-bit colour sample through the gamma table, byte by byte
        return (g[v >> 8] << 8) | g[v & 0xFF]

    lines = ["PNG %d %d %d" % (w, h, 16 if wide else 8)]
    for y in range(h):
        cells = []
        for x in range(w):
            p = image[y][x]
            a = 255
            if ctype == 0:
                v = p[0]
                if trns is not None and v == trns[0]:
                    a = 0
                if wide:
                    grey = (g[v >> 8] << 8) | (v & 0xFF)
                    rgb = (grey, grey, grey)
                else:
                    grey = g[v * 255 // ((1 << depth) - 1)]
                    rgb = (grey, grey, grey)
            elif ctype == 2:
                if trns is not None and tuple(p) == tuple(trns):
                    a = 0
                rgb = tuple(c16(s) for s in p) if wide else tuple(g[s] for s in p)
            elif ctype == 3:
                rgb = tuple(g[s] for s in palette[p[0]]) if p[0] < len(palette) else (0, 0, 0)
                if trns is not None and p[0] < len(trns):
                    a = trns[p[0]]
            elif ctype == 4:
                rgb = (p[0],) * 3
                a = p[1] >> 8 if wide else p[1]
            else:
                rgb = tuple(c16(s) for s in p[:3]) if wide else tuple(g[s] for s in p[:3])
                a = p[3] >> 8 if wide else p[3]
            fmt = "%04X%04X%04X%02X" if wide else "%02X%02X%02X%02X"
            cells.append(fmt % (rgb + (a,)))
        lines.append(" ".join(cells))
    return "\n".join(lines) + "\n"


def idat_chunks(compressed, split):
    if split and len(compressed) >= 3:
        parts = [compressed[:1], compressed[1:2], compressed[2:]]
    else:
        parts = [compressed]
    return b"".join(chunk(b"IDAT", p) for p in parts)


def trns_data(ctype, depth, image, palette):
    if ctype == 0:
        return struct.pack(">H", image[0][0][0]), [image[0][0][0]]
    if ctype == 2:
        return struct.pack(">HHH", *image[0][0]), list(image[0][0])
    values = [0, 128, 255, 64][: len(palette)]
    return bytes(values), values


def png_file(w, h, ctype, depth, interlace, image, palette=None, trns=None, split=False, extra=b"",
             first_filter=0, level=6, filter_step=1):
    body = ihdr(w, h, depth, ctype, interlace=interlace) + extra
    if palette is not None:
        body += chunk(b"PLTE", bytes(c for e in palette for c in e))
    if trns is not None:
        body += chunk(b"tRNS", trns)
    data = zlib.compress(scanlines(image, w, h, ctype, depth, interlace, first_filter, filter_step), level)
    body += idat_chunks(data, split)
    return SIGNATURE + body + chunk(b"IEND", b"")


class Writer:
    def __init__(self, out):
        self.out = out
        self.names = []

    def add(self, name, data, expected):
        with open(os.path.join(self.out, name + ".png"), "wb") as f:
            f.write(data)
        with open(os.path.join(self.out, name + ".expected"), "w") as f:
            f.write(expected)
        self.names.append(name)

    def error(self, name, data, exception):
        self.add(name, data, "ERROR %s\n" % exception)

    def finish(self):
        with open(os.path.join(self.out, "cases.txt"), "w") as f:
            f.write("\n".join(self.names) + "\n")


def matrix(wr):
    seed = 1
    for ctype, depth in PAIRS:
        for w, h in SIZES:
            for interlace in (0, 1):
                seed += 1
                image = make_image(w, h, ctype, depth, seed)
                palette = make_palette(depth, seed) if ctype == 3 else None
                with_trns = (w, h) == (7, 5) and ctype in (0, 2, 3)
                trns_bytes, trns_values = trns_data(ctype, depth, image, palette) if with_trns else (None, None)
                data = png_file(w, h, ctype, depth, interlace, image, palette, trns_bytes, split=(w == 33),
                                first_filter=seed % 5)
                name = "t%dd%02d_%dx%d_%s" % (ctype, depth, w, h, "adam7" if interlace else "plain")
                wr.add(name, data, expected_form(image, w, h, ctype, depth, palette, trns_values))


def base_parts():
    """A 3 x 3 RGB image: its header, image data and the expected form."""
    image = make_image(3, 3, 2, 8, 99)
    data = zlib.compress(scanlines(image, 3, 3, 2, 8, 0))
    return image, data, expected_form(image, 3, 3, 2, 8)


def malformed(wr):
    image, data, expected = base_parts()
    head = ihdr(3, 3, 8, 2)
    good = SIGNATURE + head + chunk(b"IDAT", data) + chunk(b"IEND", b"")
    end = chunk(b"IEND", b"")

    wr.error("bad_signature", b"\x89PNG\r\n\x1a\x0b" + good[8:], "EPNGInvalidFileHeader")
    wr.error("short_signature", SIGNATURE[:5], "EPNGInvalidFileHeader")
    wr.error("ihdr_not_first", SIGNATURE + chunk(b"tEXt", b"a\0b") + good[8:], "EPNGIHDRNotFirst")
    text = chunk(b"tEXt", b"Title\0Hello")
    wr.error("crc_text", SIGNATURE + head + text[:-1] + bytes([text[-1] ^ 1]) + chunk(b"IDAT", data) + end,
             "EPngInvalidCRC")
    idat = bytearray(chunk(b"IDAT", data))
    idat[-5] ^= 0x40  # the last byte of the zlib check value, CRC left as it was
    wr.error("idat_byte_changed", SIGNATURE + head + bytes(idat) + end, "EPngInvalidCRC")
    idat = bytearray(chunk(b"IDAT", data))
    idat[-1] ^= 1
    wr.error("idat_crc_wrong", SIGNATURE + head + bytes(idat) + end, "EPngInvalidCRC")
    short_head = chunk(b"IHDR", struct.pack(">IIBBBB", 3, 3, 8, 2, 0, 0))
    wr.error("ihdr_12_bytes", SIGNATURE + short_head + chunk(b"IDAT", data) + end, "EPngInvalidIHDR")
    wr.error("width_65536", SIGNATURE + ihdr(65536, 3, 8, 2) + chunk(b"IDAT", data) + end, "EPNGSizeExceeds")
    wr.error("height_4294967295", SIGNATURE + ihdr(3, 0xFFFFFFFF, 8, 2) + chunk(b"IDAT", data) + end,
             "EPNGSizeExceeds")
    wr.error("interlace_2", SIGNATURE + ihdr(3, 3, 8, 2, interlace=2) + chunk(b"IDAT", data) + end,
             "EPNGUnknownInterlace")
    wr.error("compression_1", SIGNATURE + ihdr(3, 3, 8, 2, compression=1) + chunk(b"IDAT", data) + end,
             "EPNGUnknownCompression")
    wr.error("filter_method_1", SIGNATURE + ihdr(3, 3, 8, 2, filt=1) + chunk(b"IDAT", data) + end,
             "EPngInvalidIHDR")
    wr.error("width_0", SIGNATURE + ihdr(0, 3, 8, 2) + chunk(b"IDAT", data) + end, "EPngInvalidIHDR")
    for ctype, depth in [(2, 4), (3, 16), (1, 8), (4, 4), (6, 1), (0, 3), (7, 8)]:
        wr.error("pair_t%dd%d" % (ctype, depth), SIGNATURE + ihdr(3, 3, depth, ctype) + chunk(b"IDAT", data) + end,
                 "EPngInvalidIHDR")
    wr.error("second_ihdr", SIGNATURE + head + head + chunk(b"IDAT", data) + end, "EPngInvalidIHDR")

    pimage = make_image(3, 3, 3, 8, 7)
    pdata = zlib.compress(scanlines(pimage, 3, 3, 3, 8, 0))
    phead = ihdr(3, 3, 8, 3)
    for n in (769, 770, 771):
        wr.error("plte_%d" % n, SIGNATURE + phead + chunk(b"PLTE", bytes(n)) + chunk(b"IDAT", pdata) + end,
                 "EPNGInvalidPalette")
    wr.error("trns_257", SIGNATURE + phead + chunk(b"PLTE", bytes(768)) + chunk(b"tRNS", bytes(257)) +
             chunk(b"IDAT", pdata) + end, "EPNGInvalidPalette")

    wr.error("idat_text_idat", SIGNATURE + head + chunk(b"IDAT", data[:8]) + text + chunk(b"IDAT", data[8:]) + end,
             "EPNGMissingMultipleIDAT")
    wr.error("unknown_critical", SIGNATURE + head + chunk(b"ABCD", b"xyz") + chunk(b"IDAT", data) + end,
             "EPNGUnknownCriticalChunk")
    wr.error("no_image_data", SIGNATURE + head + end, "EPNGNoImageData")
    wr.error("bad_zlib", SIGNATURE + head + chunk(b"IDAT", b"\x78\x9c\xff\xff\xff\xff\xff") + end, "EPNGZLIBError")

    # Truncations and lengths that reach past the file: refused before anything is allocated.
    for name, cut in [("cut_after_signature", 8), ("cut_in_length", 10), ("cut_in_ihdr", 8 + 8 + 5),
                      ("cut_in_ihdr_crc", 8 + 25 - 2), ("cut_in_idat", len(good) - 12 - 6),
                      ("cut_before_iend", len(good) - 12)]:
        wr.error(name, good[:cut], "EPngUnexpectedEnd")
    huge = struct.pack(">I", 0xFFFFFFF4)
    wr.error("length_fffffff4_ancillary", SIGNATURE + head + huge + b"teSt" + bytes(16) + chunk(b"IDAT", data) + end,
             "EPngUnexpectedEnd")
    wr.error("length_fffffff4_chrm", SIGNATURE + head + huge + b"cHRM" + bytes(16) + chunk(b"IDAT", data) + end,
             "EPngUnexpectedEnd")
    wr.error("length_80000000_text", SIGNATURE + head + struct.pack(">I", 0x80000000) + b"tEXt" + bytes(8) + end,
             "EPngUnexpectedEnd")
    wr.error("length_ffffffff_idat", SIGNATURE + head + struct.pack(">I", 0xFFFFFFFF) + b"IDAT" + bytes(8) + end,
             "EPngUnexpectedEnd")
    wr.error("second_idat_too_long", SIGNATURE + head + chunk(b"IDAT", data[:8]) + struct.pack(">I", 1000) + b"IDAT" +
             data[8:] + end, "EPngUnexpectedEnd")

    # Files that load.
    wr.add("trailing_after_zlib", SIGNATURE + head + chunk(b"IDAT", data + b"\0\0\0junk") + end, expected)
    wr.add("text_without_nul", SIGNATURE + head + chunk(b"tEXt", b"abcdef") + chunk(b"IDAT", data) + end, expected)
    wr.add("text_two_bytes", SIGNATURE + head + chunk(b"tEXt", b"ab") + chunk(b"IDAT", data) + end, expected)
    wr.add("ztxt_no_method", SIGNATURE + head + chunk(b"zTXt", b"keyword\0") + chunk(b"IDAT", data) + end, expected)
    bomb = zlib.compress(bytes(8 << 20), 9)
    wr.add("ztxt_bomb", SIGNATURE + head + chunk(b"zTXt", b"Comment\0\0" + bomb) + chunk(b"IDAT", data) + end,
           expected)
    wr.add("unknown_ancillary", SIGNATURE + head + chunk(b"abCD", b"xyz") + chunk(b"IDAT", data) + end, expected)
    wr.add("chrm_and_second_run", SIGNATURE + head + chunk(b"cHRM", bytes(32)) + chunk(b"IDAT", data) +
           chunk(b"tEXt", b"a\0b") + chunk(b"IDAT", b"not zlib at all") + end, expected)
    wr.add("empty_idat_between", SIGNATURE + head + chunk(b"IDAT", data[:5]) + chunk(b"IDAT", b"") +
           chunk(b"IDAT", data[5:]) + end, expected)
    wr.add("gamma_0", SIGNATURE + head + chunk(b"gAMA", struct.pack(">I", 0)) + chunk(b"IDAT", data) + end, expected)
    e = 1.0 / (0x80000000 / 100000 * 2.2)
    table = [0] + [min(255, round(255 * (i / 255) ** e)) for i in range(1, 256)]
    wr.add("gamma_80000000", SIGNATURE + head + chunk(b"gAMA", struct.pack(">I", 0x80000000)) +
           chunk(b"IDAT", data) + end, expected_form(image, 3, 3, 2, 8, gamma=table))
    # The data ends after the first row: that row is kept, the rest stays zero.
    first_row = zlib.compress(scanlines(image, 3, 3, 2, 8, 0)[:10])
    short = [list(image[0]), [(0, 0, 0)] * 3, [(0, 0, 0)] * 3]
    wr.add("data_ends_early", SIGNATURE + head + chunk(b"IDAT", first_row) + end, expected_form(short, 3, 3, 2, 8))
    bad_check = first_row[:-4] + struct.pack(">I", zlib.adler32(first_row[:-4]) & 0xFFFFFFFF)
    wr.error("data_ends_early_bad_check", SIGNATURE + head + chunk(b"IDAT", bad_check) + end, "EPNGZLIBError")
    # Palette transparency: one clear entry is a colour key; anything else is partial.
    keyed = [[(i % 4,) for i in range(y * 4, y * 4 + 4)] for y in range(4)]
    kpal = [(200, 10, 10), (10, 200, 10), (10, 10, 200), (250, 250, 250)]
    for name, values in [("trns_255_0_255", [255, 0, 255]), ("trns_0_0", [0, 0]), ("trns_128", [128])]:
        wr.add(name, png_file(4, 4, 3, 8, 0, keyed, kpal, bytes(values)),
               expected_form(keyed, 4, 4, 3, 8, kpal, values))
    # An image-data chunk of 65539 bytes whose last 4 bytes (the zlib check value) come after
    # every row has been decoded, in a block of their own.
    w, h = 8190, 8
    big = [[((x * 7 + y * 13) & 0xFF,) for x in range(w)] for y in range(h)]
    raw = scanlines(big, w, h, 0, 8, 0)
    assert len(raw) == 65528
    stored = b"\x78\x01" + b"\x01" + struct.pack("<HH", len(raw), len(raw) ^ 0xFFFF) + raw + \
        struct.pack(">I", zlib.adler32(raw))
    assert len(stored) == 65539 and zlib.decompress(stored) == raw
    wr.add("idat_65539", SIGNATURE + ihdr(w, h, 8, 0) + chunk(b"IDAT", stored) + end,
           expected_form(big, w, h, 0, 8))


def large(wr):
    """Image data far longer than the decoder inflates at a time, its rows straddling the refills."""
    w, h = 401, 260  # RGB rows of 1 + 1203 bytes, 312,780 bytes in all
    image = make_image(w, h, 2, 8, 4242)
    for interlace in (0, 1):
        wr.add("large_rgb_%s" % ("adam7" if interlace else "plain"), png_file(w, h, 2, 8, interlace, image, first_filter=3),
               expected_form(image, w, h, 2, 8))
    # Every row against the one above it, across every refill.
    for kind in (2, 4):
        wr.add("large_rgb_filter%d" % kind, png_file(w, h, 2, 8, 0, image, first_filter=kind, filter_step=0),
               expected_form(image, w, h, 2, 8))
    wide = make_image(151, 300, 6, 16, 4243)  # rows of 1 + 1208 bytes
    wr.add("large_rgba16_plain", png_file(151, 300, 6, 16, 0, wide), expected_form(wide, 151, 300, 6, 16))

    # The data ends well past the first refill: within a Paeth row (its missing bytes taken as
    # zero before unfiltering), or where a row ends; the rows after it stay zero.
    head = ihdr(w, h, 8, 2)
    end = chunk(b"IEND", b"")
    stride = 3 * w + 1
    data = scanlines(image, w, h, 2, 8, 0, first_filter=4)
    for name, cut in [("large_ends_in_row", stride * 230 + 700), ("large_ends_after_row", stride * 240)]:
        rows, prev = [], bytes(stride - 1)
        for y in range(h):
            part = data[y * stride:(y + 1) * stride][: max(0, cut - y * stride)]
            if not part:
                rows.append([(0, 0, 0)] * w)
                continue
            raw = unfilter_row(part[0], part[1:] + bytes(stride - len(part)), prev, 3)
            rows.append([tuple(raw[3 * x:3 * x + 3]) for x in range(w)])
            prev = raw
        wr.add(name, SIGNATURE + head + chunk(b"IDAT", zlib.compress(data[:cut])) + end, expected_form(rows, w, h, 2, 8))
    # Where the data ends early its check value is compared (wrong: the zlib error), also when
    # the value is split over image-data chunks.
    short = zlib.compress(data[:cut])
    wrong = short[:-1] + bytes([short[-1] ^ 1])
    wr.error("large_ends_bad_check", SIGNATURE + head + chunk(b"IDAT", wrong) + end, "EPNGZLIBError")
    for name, parts, expect in [("split_check", [short[:-3], short[-3:-1], short[-1:]], True),
                                ("split_check_bad", [wrong[:-2], wrong[-2:]], False)]:
        body = SIGNATURE + head + b"".join(chunk(b"IDAT", q) for q in parts) + end
        if expect:
            wr.add("large_" + name, body, expected_form(rows, w, h, 2, 8))
        else:
            wr.error("large_" + name, body, "EPNGZLIBError")
    # A damaged block after many good rows: the zlib error is raised.
    z = zlib.compressobj(6)
    bad = z.compress(data[:stride * 250 + 100]) + z.flush(zlib.Z_FULL_FLUSH) + b"\x07" + bytes(16)
    wr.error("large_bad_block", SIGNATURE + head + chunk(b"IDAT", bad) + end, "EPNGZLIBError")


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    wr = Writer(out)
    matrix(wr)
    malformed(wr)
    large(wr)
    wr.finish()


if __name__ == "__main__":
    main()
