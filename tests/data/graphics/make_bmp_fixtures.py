#!/usr/bin/env python3
"""Writes the BMP fixtures of the graphics tests into bmp/ beside this script.

Every good file shows the same W x H picture so the tests can check it from the formulas below:
  indexed files: index(x, y) = (x + 3*y) % n, y = 0 the top row, n the colour count;
    palette entry i = (r, g, b) = ((i*20 + 5) % 256, (255 - i*10) % 256, (i*37) % 256)
  true colour:   (r, g, b) = (x*30 + 10, y*50 + 20, (x*y*9 + 7) % 256)
  16 bits:       the raw word (x*4) << 10 | (y*7) << 5 | (x + y)   (5-5-5),
                 (x*4) << 11 | (y*9) << 5 | (x + y)                (5-6-5)
Bad files are cut, oversized or inconsistent in one way each (the file name says which).
"""
import os
import struct

W, H = 7, 4
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bmp")


def pal(i):
    return ((i * 20 + 5) % 256, (255 - i * 10) % 256, (i * 37) % 256)


def rgb(x, y):
    return (x * 30 + 10, y * 50 + 20, (x * y * 9 + 7) % 256)


def index(x, y, n):
    return (x + 3 * y) % n


def stride(w, bpp):
    return ((w * bpp + 31) // 32) * 4


def file_header(total, offset):
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset)


def info_header(w, h, bpp, comp=0, size_image=0, clr_used=0, size=40, masks=None, planes=1):
    hdr = struct.pack("<IiiHHIIiiII", size, w, h, planes, bpp, comp, size_image, 2835, 2835, clr_used, 0)
    if size > 40:
        m = list(masks or (0, 0, 0, 0)) + [0] * 4
        extra = struct.pack("<IIII", *m[:4])
        hdr += extra[: size - 40] if size < 56 else extra
        hdr += b"\0" * (size - len(hdr))
    return hdr


def pack_rows(rows, bpp, w, top_down=False):
    out = b""
    order = rows if top_down else list(reversed(rows))
    for r in order:
        if bpp in (1, 4, 8):
            bits = 0
            nbits = 0
            data = bytearray()
            for v in r:
                bits = (bits << bpp) | v
                nbits += bpp
                if nbits == 8:
                    data.append(bits)
                    bits = nbits = 0
            if nbits:
                data.append(bits << (8 - nbits))
        elif bpp == 16:
            data = b"".join(struct.pack("<H", v) for v in r)
        elif bpp == 24:
            data = b"".join(bytes((b, g, rr)) for (rr, g, b) in r)
        else:
            data = b"".join(struct.pack("<I", v) for v in r)
        data = bytes(data)
        out += data + b"\0" * (stride(w, bpp) - len(data))
    return out


def palette_bytes(n, core=False):
    if core:
        return b"".join(bytes((pal(i)[2], pal(i)[1], pal(i)[0])) for i in range(n))
    return b"".join(bytes((pal(i)[2], pal(i)[1], pal(i)[0], 0)) for i in range(n))


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def bmp(header, table, pixels, gap=b""):
    offset = 14 + len(header) + len(table) + len(gap)
    return file_header(offset + len(pixels), offset) + header + table + gap + pixels


def indexed(bpp, n, clr_used=0, top_down=False):
    rows = [[index(x, y, n) for x in range(W)] for y in range(H)]
    h = -H if top_down else H
    return bmp(info_header(W, h, bpp, clr_used=clr_used), palette_bytes(n), pack_rows(rows, bpp, W, top_down))


def true24(top_down=False, core=False):
    rows = [[rgb(x, y) for x in range(W)] for y in range(H)]
    if core:
        hdr = struct.pack("<IHHHH", 12, W, H, 1, 24)
    else:
        hdr = info_header(W, -H if top_down else H, 24)
    return bmp(hdr, b"", pack_rows(rows, 24, W, top_down))


def word555(x, y):
    return (x * 4) << 10 | (y * 7) << 5 | (x + y)


def word565(x, y):
    return (x * 4) << 11 | (y * 9) << 5 | (x + y)


def rle8_encode(rows):
    """Runs for repeats, absolute runs for the rest, an end of line per row, end of bitmap."""
    out = bytearray()
    for r in reversed(rows):
        i = 0
        while i < len(r):
            j = i
            while j < len(r) and r[j] == r[i] and j - i < 255:
                j += 1
            if j - i >= 2:
                out += bytes((j - i, r[i]))
                i = j
                continue
            j = i
            while j < len(r) and (j + 1 >= len(r) or r[j + 1] != r[j]) and j - i < 255:
                j += 1
            n = j - i
            if n < 3:
                for k in range(i, j):
                    out += bytes((1, r[k]))
            else:
                out += bytes((0, n)) + bytes(r[i:j]) + (b"\0" if n % 2 else b"")
            i = j
        out += b"\0\0"
    out += b"\0\1"
    return bytes(out)


def rle4_encode(rows):
    """Two-pixel runs of (a, b) nibbles where the pattern allows, else absolute runs."""
    out = bytearray()
    for r in reversed(rows):
        # One absolute run of the whole row when it is long enough, else single-pixel runs.
        if len(r) >= 3:
            n = len(r)
            data = bytearray()
            for k in range(0, n, 2):
                hi = r[k]
                lo = r[k + 1] if k + 1 < n else 0
                data.append((hi << 4) | lo)
            if len(data) % 2:
                data.append(0)
            out += bytes((0, n)) + data
        else:
            for v in r:
                out += bytes((1, v << 4))
        out += b"\0\0"
    out += b"\0\1"
    return bytes(out)


def main():
    os.makedirs(OUT, exist_ok=True)
    # ---- good ----
    write("good_1bit.bmp", indexed(1, 2))
    write("good_4bit.bmp", indexed(4, 16))
    write("good_4bit_short_table.bmp", indexed(4, 6, clr_used=6))
    write("good_8bit.bmp", indexed(8, 256))
    write("good_8bit_short_table.bmp", indexed(8, 12, clr_used=12))
    write("good_8bit_topdown.bmp", indexed(8, 256, top_down=True))
    write("good_24bit.bmp", true24())
    write("good_24bit_topdown.bmp", true24(top_down=True))
    write("good_24bit_core.bmp", true24(core=True))
    # 8 bits, core header (RGB triples in the table)
    rows = [[index(x, y, 256) for x in range(W)] for y in range(H)]
    write("good_8bit_core.bmp", bmp(struct.pack("<IHHHH", 12, W, H, 1, 8), palette_bytes(256, core=True), pack_rows(rows, 8, W)))
    # 32 bits BI_RGB: the fourth byte is kept as it is (0x80 here)
    rows32 = [[(0x80 << 24) | (rgb(x, y)[0] << 16) | (rgb(x, y)[1] << 8) | rgb(x, y)[2] for x in range(W)] for y in range(H)]
    write("good_32bit.bmp", bmp(info_header(W, H, 32), b"", pack_rows(rows32, 32, W)))
    # 16 bits
    write("good_16bit_555.bmp", bmp(info_header(W, H, 16), b"", pack_rows([[word555(x, y) for x in range(W)] for y in range(H)], 16, W)))
    write("good_16bit_565.bmp", bmp(info_header(W, H, 16, comp=3), struct.pack("<III", 0xF800, 0x07E0, 0x001F),
                                    pack_rows([[word565(x, y) for x in range(W)] for y in range(H)], 16, W)))
    # 16 bits 4-4-4 bit fields: converted; channel value v -> round(v * 255 / 15)
    w444 = [[((x * 2) << 8) | ((y * 3) << 4) | (x + y) for x in range(W)] for y in range(H)]
    write("good_16bit_444.bmp", bmp(info_header(W, H, 16, comp=3), struct.pack("<III", 0x0F00, 0x00F0, 0x000F), pack_rows(w444, 16, W)))
    # 32 bits with red in the low byte (bit fields), V4 and V5 headers with the masks inside
    rows_abgr = [[(rgb(x, y)[2] << 16) | (rgb(x, y)[1] << 8) | rgb(x, y)[0] for x in range(W)] for y in range(H)]
    write("good_32bit_fields_rgba.bmp", bmp(info_header(W, H, 32, comp=3), struct.pack("<III", 0xFF, 0xFF00, 0xFF0000), pack_rows(rows_abgr, 32, W)))
    write("good_32bit_v4.bmp", bmp(info_header(W, H, 32, comp=3, size=108, masks=(0xFF, 0xFF00, 0xFF0000, 0)), b"", pack_rows(rows_abgr, 32, W)))
    write("good_32bit_v5.bmp", bmp(info_header(W, H, 32, comp=3, size=124, masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000)), b"", pack_rows(rows32, 32, W)))
    write("good_24bit_v5.bmp", bmp(info_header(W, H, 24, size=124), b"", pack_rows([[rgb(x, y) for x in range(W)] for y in range(H)], 24, W)))
    # The pixel offset is honoured: 10 junk bytes between the header and the pixels
    write("good_24bit_gap.bmp", bmp(info_header(W, H, 24), b"", pack_rows([[rgb(x, y) for x in range(W)] for y in range(H)], 24, W), gap=b"\xAB" * 10))
    # Run-length files of the same picture
    rows8 = [[index(x, y, 256) for x in range(W)] for y in range(H)]
    rows8[1] = [5] * W  # a row of one run
    data = rle8_encode(rows8)
    write("good_rle8.bmp", bmp(info_header(W, H, 8, comp=1, size_image=len(data)), palette_bytes(256), data))
    rows4 = [[index(x, y, 16) for x in range(W)] for y in range(H)]
    data = rle4_encode(rows4)
    write("good_rle4.bmp", bmp(info_header(W, H, 4, comp=2, size_image=len(data)), palette_bytes(16), data))
    # RLE8 with a delta: bottom row "run of 3 x 7", delta (2, 1), run of 2 x 9, end of bitmap.
    # Expected (bottom-up rows): row 0 = 7 7 7 0 0 0 0, row 1 = 0 0 0 0 0 9 9, rows 2, 3 = 0.
    data = bytes((3, 7, 0, 2, 2, 1, 2, 9, 0, 1))
    write("good_rle8_delta.bmp", bmp(info_header(W, H, 8, comp=1, size_image=len(data)), palette_bytes(256), data))
    # Runs past the end of the row are clipped: bottom row "run 10 x 4" then end of line,
    # row 1 "absolute 9 pixels" then end of bitmap.
    data = bytes((10, 4, 0, 0, 0, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 1))
    write("clip_rle8_run_past_row.bmp", bmp(info_header(W, H, 8, comp=1, size_image=len(data)), palette_bytes(256), data))
    # A delta beyond the image ends it; the pixels before stay.
    data = bytes((2, 3, 0, 2, 0, 200, 4, 4, 0, 1))
    write("clip_rle8_delta_past_image.bmp", bmp(info_header(W, H, 8, comp=1, size_image=len(data)), palette_bytes(256), data))
    # RLE4 runs past the row, several rows of end-of-line past the top
    data = bytes((20, 0x12, 0, 0) + (0, 0) * 10 + (3, 0x34, 0, 1))
    write("clip_rle4_run_past_row.bmp", bmp(info_header(W, H, 4, comp=2, size_image=len(data)), palette_bytes(16), data))

    # ---- bad ----
    good24 = true24()
    write("bad_empty_header.bmp", good24[:10])
    write("bad_truncated_header.bmp", good24[:30])
    write("bad_truncated_pixels.bmp", good24[:len(good24) - stride(W, 24) - 5])
    write("bad_signature.bmp", b"BN" + good24[2:])
    def hdr24(**kw):
        args = dict(w=W, h=H, bpp=24)
        args.update(kw)
        return info_header(args.pop("w"), args.pop("h"), args.pop("bpp"), **args)
    px = pack_rows([[rgb(x, y) for x in range(W)] for y in range(H)], 24, W)
    write("bad_huge_width.bmp", bmp(hdr24(w=100000), b"", px))
    write("bad_huge_area.bmp", bmp(hdr24(w=30000, h=30000), b"", px))
    write("bad_huge_rle.bmp", bmp(info_header(32768, 32768, 8, comp=1, size_image=2), palette_bytes(256), b"\0\1"))
    write("bad_zero_width.bmp", bmp(hdr24(w=0), b"", px))
    write("bad_zero_height.bmp", bmp(hdr24(h=0), b"", px))
    write("bad_negative_width.bmp", bmp(hdr24(w=-7), b"", px))
    write("bad_min_height.bmp", bmp(hdr24(h=-2**31), b"", px))
    write("bad_planes.bmp", bmp(hdr24(planes=2), b"", px))
    write("bad_bitcount.bmp", bmp(hdr24(bpp=7), b"", px))
    write("bad_compression_jpeg.bmp", bmp(hdr24(comp=4), b"", px))
    write("bad_header_size.bmp", bmp(info_header(W, H, 24, size=64), b"", px))
    d = bytearray(good24)
    struct.pack_into("<I", d, 10, len(d) + 100)
    write("bad_offset_past_end.bmp", bytes(d))
    d = bytearray(good24)
    struct.pack_into("<I", d, 10, 20)
    write("bad_offset_inside_header.bmp", bytes(d))
    data = rle8_encode(rows8)
    write("bad_rle_size_past_end.bmp", bmp(info_header(W, H, 8, comp=1, size_image=len(data) + 50), palette_bytes(256), data))
    write("bad_rle_truncated_absolute.bmp", bmp(info_header(W, H, 8, comp=1, size_image=6), palette_bytes(256), bytes((0, 9, 1, 2, 3, 4))))
    write("bad_rle_truncated_delta.bmp", bmp(info_header(W, H, 8, comp=1, size_image=3), palette_bytes(256), bytes((0, 2, 1))))
    write("bad_rle_topdown.bmp", bmp(info_header(W, -H, 8, comp=1, size_image=2), palette_bytes(256), b"\0\1"))
    write("bad_rle8_bitcount.bmp", bmp(info_header(W, H, 4, comp=1, size_image=2), palette_bytes(16), b"\0\1"))
    write("bad_fields_overlap.bmp", bmp(info_header(W, H, 16, comp=3), struct.pack("<III", 0xFF00, 0x0FF0, 0x000F), pack_rows(w444, 16, W)))
    write("bad_fields_gappy.bmp", bmp(info_header(W, H, 16, comp=3), struct.pack("<III", 0x0D00, 0x00F0, 0x000F), pack_rows(w444, 16, W)))
    write("bad_fields_24bit.bmp", bmp(info_header(W, H, 24, comp=3), struct.pack("<III", 0xFF0000, 0xFF00, 0xFF), px))
    write("bad_fields_truncated_masks.bmp", (file_header(14 + 40 + 4, 14 + 40 + 4) + info_header(W, H, 16, comp=3) + b"\0\xF8\0\0"))
    write("bad_palette_missing.bmp", bmp(info_header(W, H, 8), b"", b"")[:14 + 40] )
    d = bytearray(indexed(8, 256))
    struct.pack_into("<I", d, 10, 14 + 40)  # pixels start right after the header: no colour table
    write("bad_palette_none.bmp", bytes(d))


if __name__ == "__main__":
    main()
