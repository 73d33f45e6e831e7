#!/usr/bin/env python3
"""Writes ZIP archives with reduced (methods 2-5) and imploded (method 6) members, for the
combinations the DOS-made fixtures lack: reduce factors 1 to 3 and implode with a 4K dictionary
and a literal tree or an 8K dictionary without one. The encoders follow the ZIP application note
(sections on reducing and imploding); they are simple greedy encoders, not good ones.

They also write the combinations the fixtures have (reduce factor 4, implode 8K with a literal
tree, 4K without): our decoders decode the fixtures made by the old archivers, so those prove that
these encoders read the format the same way before their other output is trusted.

Usage: make_legacy_zips.py OUTDIR   (inputs: the plain files of tests/data/ziplib/legacy)
"""
import heapq
import os
import random
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
LEGACY = os.path.join(HERE, '..', '..', 'data', 'ziplib', 'legacy')


class Bits:
    """LSB-first bit writer."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, value, count):
        self.acc |= (value & ((1 << count) - 1)) << self.n
        self.n += count
        while self.n >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.n -= 8

    def put_msb_first(self, code, length):
        for i in range(length - 1, -1, -1):
            self.put((code >> i) & 1, 1)

    def bytes(self):
        if self.n:
            self.out.append(self.acc & 0xFF)
            self.acc = self.n = 0
        return bytes(self.out)


def find_matches(data, min_len, max_len, max_dist):
    """Greedy LZ77: a list of ('lit', byte) and ('match', length, distance)."""
    heads = {}
    i = 0
    out = []
    while i < len(data):
        best_len = best_dist = 0
        key = data[i:i + 3]
        if len(key) == 3:
            for j in reversed(heads.get(key, [])[-64:]):
                d = i - j
                if d > max_dist:
                    break
                k = 0
                while k < max_len and i + k < len(data) and data[j + k] == data[i + k]:
                    k += 1
                if k > best_len:
                    best_len, best_dist = k, d
        step = 1
        if best_len >= min_len:
            out.append(('match', best_len, best_dist))
            step = best_len
        else:
            out.append(('lit', data[i]))
        for p in range(i, min(i + step, len(data) - 2)):
            heads.setdefault(data[p:p + 3], []).append(p)
        i += step
    return out


# ---- reduce ---------------------------------------------------------------------------------

DLE = 144


def reduce_encode(data, factor):
    lmask = (0x7F, 0x3F, 0x1F, 0x0F)[factor - 1]
    shift = 8 - factor
    max_dist = ((0x01, 0x03, 0x07, 0x0F)[factor - 1] + 1) * 256
    # The byte sequence the state machine of the decoder reads.
    seq = []
    for item in find_matches(data, 4, 3 + lmask + 255, max_dist):
        if item[0] == 'lit':
            seq += [DLE, 0] if item[1] == DLE else [item[1]]
            continue
        _, length, dist = item
        field = min(length - 3, lmask)
        v = ((dist - 1) >> 8) << shift | field
        seq += [DLE, v]
        if field == lmask:
            seq.append(length - 3 - lmask)
        seq.append((dist - 1) & 0xFF)
    # Follower sets: the most frequent successors of each byte, up to 32; sizes vary by design.
    succ = [dict() for _ in range(256)]
    last = 0
    for c in seq:
        succ[last][c] = succ[last].get(c, 0) + 1
        last = c
    sets = []
    for j in range(256):
        ranked = sorted(succ[j], key=lambda c: (-succ[j][c], c))
        sets.append(ranked[:(1, 2, 3, 5, 32, 17)[j % 6]])
    w = Bits()
    for j in range(255, -1, -1):
        w.put(len(sets[j]), 6)
        for c in sets[j]:
            w.put(c, 8)
    last = 0
    for c in seq:
        s = sets[last]
        if not s:
            w.put(c, 8)
        elif c in s:
            w.put(0, 1)
            w.put(s.index(c), max(1, (len(s) - 1).bit_length()))
        else:
            w.put(1, 1)
            w.put(c, 8)
        last = c
    return w.bytes()


# ---- implode --------------------------------------------------------------------------------

def huffman_lengths(freqs, limit=16):
    freqs = [f + 1 for f in freqs]  # every value gets a code: the stored trees list them all
    while True:
        heap = [(f, i, [i]) for i, f in enumerate(freqs)]
        heapq.heapify(heap)
        lengths = [0] * len(freqs)
        uid = len(freqs)
        while len(heap) > 1:
            f1, _, a = heapq.heappop(heap)
            f2, _, b = heapq.heappop(heap)
            for s in a + b:
                lengths[s] += 1
            heapq.heappush(heap, (f1 + f2, uid, a + b))
            uid += 1
        if max(lengths) <= limit:
            return lengths
        freqs = [(f + 1) // 2 for f in freqs]


def shannon_fano_codes(lengths):
    """The application note's assignment: sorted by bit length, codes given from the end."""
    order = sorted(range(len(lengths)), key=lambda i: (lengths[i], i))
    codes = [0] * len(lengths)
    code = increment = last_len = 0
    for i in reversed(order):
        code += increment
        if lengths[i] != last_len:
            last_len = lengths[i]
            increment = 1 << (16 - last_len)
        codes[i] = code >> (16 - lengths[i])
    return codes


def put_tree(w, lengths):
    runs = []
    for ln in lengths:
        if runs and runs[-1][0] == ln and runs[-1][1] < 16:
            runs[-1][1] += 1
        else:
            runs.append([ln, 1])
    w.put(len(runs) - 1, 8)
    for ln, rep in runs:
        w.put((rep - 1) << 4 | (ln - 1), 8)


def implode_encode(data, big, littree):
    min_len = 3 if littree else 2
    dbits = 7 if big else 6
    items = find_matches(data, min_len, min_len + 63 + 255, 8192 if big else 4096)
    lit_f, len_f, dist_f = [0] * 256, [0] * 64, [0] * 64
    for it in items:
        if it[0] == 'lit':
            lit_f[it[1]] += 1
        else:
            len_f[min(it[1] - min_len, 63)] += 1
            dist_f[(it[2] - 1) >> dbits] += 1
    w = Bits()
    trees = []
    if littree:
        trees.append(huffman_lengths(lit_f))
    trees += [huffman_lengths(len_f), huffman_lengths(dist_f)]
    for t in trees:
        put_tree(w, t)
    codes = [shannon_fano_codes(t) for t in trees]
    lit = (trees[0], codes[0]) if littree else None
    ln_t, ln_c = trees[-2], codes[-2]
    ds_t, ds_c = trees[-1], codes[-1]
    for it in items:
        if it[0] == 'lit':
            w.put(1, 1)
            if lit:
                w.put_msb_first(lit[1][it[1]], lit[0][it[1]])
            else:
                w.put(it[1], 8)
            continue
        _, length, dist = it
        w.put(0, 1)
        w.put((dist - 1) & ((1 << dbits) - 1), dbits)
        hi = (dist - 1) >> dbits
        w.put_msb_first(ds_c[hi], ds_t[hi])
        code = min(length - min_len, 63)
        w.put_msb_first(ln_c[code], ln_t[code])
        if code == 63:
            w.put(length - min_len - 63, 8)
    return w.bytes()


# ---- archives -------------------------------------------------------------------------------

def write_zip(path, members):
    """members: (name, method, flags, compressed, plain)."""
    out = bytearray()
    central = bytearray()
    for name, method, flags, comp, plain in members:
        crc = zlib.crc32(plain)
        nb = name.encode()
        off = len(out)
        out += struct.pack('<IHHHHHIIIHH', 0x04034b50, 10, flags, method, 0, 0x21, crc,
                           len(comp), len(plain), len(nb), 0) + nb + comp
        central += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 10, 10, flags, method, 0, 0x21,
                               crc, len(comp), len(plain), len(nb), 0, 0, 0, 0, 0x20, off) + nb
    cd = len(out)
    out += central + struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, len(members), len(members),
                                 len(central), cd, 0)
    with open(path, 'wb') as f:
        f.write(out)


def edge_data():
    """Bytes that reach the edge paths: DLE bytes, long runs (the length extension and code 63),
    matches at the largest distances, a binary stretch."""
    rnd = random.Random(8)
    parts = [bytes([DLE]) * 5, b'x' * 600, bytes([DLE, 0, DLE, DLE, 1]) * 10]
    block = bytes(rnd.randrange(256) for _ in range(300))
    # The block again after 4000 bytes (4K dictionary) and after 4300 more (8K only).
    parts += [block, bytes(rnd.randrange(256) for _ in range(3700)), block,
              bytes(rnd.randrange(256) for _ in range(4000)), block]
    parts += [b'ab' * 400, bytes(range(256)) * 3]
    return b''.join(parts)


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, '..', '..', 'data', 'ziplib',
                                                                'legacy-gen')
    os.makedirs(outdir, exist_ok=True)
    inputs = [('first.txt', open(os.path.join(LEGACY, 'first.txt'), 'rb').read()),
              ('TESTDAT1.TXT', open(os.path.join(LEGACY, 'TESTDAT1.TXT'), 'rb').read()),
              ('edge.bin', edge_data())]
    with open(os.path.join(outdir, 'edge.bin'), 'wb') as f:
        f.write(inputs[2][1])
    for factor in (1, 2, 3, 4):
        write_zip(os.path.join(outdir, 'reduce%d-gen.zip' % factor),
                  [(n, 1 + factor, 0, reduce_encode(d, factor), d) for n, d in inputs])
    for big in (False, True):
        for littree in (False, True):
            flags = (2 if big else 0) | (4 if littree else 0)
            name = 'implode%s-%s-gen.zip' % ('8k' if big else '4k', 'lit' if littree else 'nolit')
            write_zip(os.path.join(outdir, name),
                      [(n, 6, flags, implode_encode(d, big, littree), d) for n, d in inputs])


if __name__ == '__main__':
    main()
