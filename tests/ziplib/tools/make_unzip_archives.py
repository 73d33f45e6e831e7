#!/usr/bin/env python3
"""Writes the archives of the extraction tests into the given folder.

Archives made by Python's zipfile are the independent ones. The rest come from a small raw writer
here (names as given bytes, traditional encryption from the ZIP application note, crafted hostile
records). Every encrypted archive is read back by zipfile with pwd= as a check of the encryptor.
"""
import io
import os
import struct
import sys
import zipfile
import zlib

DT = (2007, 3, 1, 14, 5, 30)


def dos_time(dt):
    y, mo, d, h, mi, s = dt
    return ((h << 11) | (mi << 5) | (s // 2)), (((y - 1980) << 9) | (mo << 5) | d)


def crc_table():
    t = []
    for n in range(256):
        c = n
        for _ in range(8):
            c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
        t.append(c)
    return t


CRC = crc_table()


class Keys:
    def __init__(self, password):
        self.k = [0x12345678, 0x23456789, 0x34567890]
        for b in password:
            self.update(b)

    def update(self, b):
        k = self.k
        k[0] = CRC[(k[0] ^ b) & 0xFF] ^ (k[0] >> 8)
        k[1] = ((k[1] + (k[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k[2] = CRC[(k[2] ^ (k[1] >> 24)) & 0xFF] ^ (k[2] >> 8)

    def stream(self):
        t = (self.k[2] | 2) & 0xFFFF
        return ((t * (t ^ 1)) >> 8) & 0xFF

    def encrypt(self, data):
        out = bytearray()
        for b in data:
            out.append(b ^ self.stream())
            self.update(b)
        return bytes(out)


def raw_deflate(data, level=6):
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def write_zip(path, entries, prefix=b"", comment=b"", total=None, cd_offset_delta=0):
    """entries: dicts with name (bytes), data, method (0/8), password, descriptor, attr, made_by,
    comp (override compressed bytes), usize (override), flags_extra, version_needed."""
    out = bytearray(prefix)
    central = bytearray()
    for e in entries:
        data = e.get("data", b"")
        method = e.get("method", 8)
        comp = e.get("comp")
        if comp is None:
            comp = raw_deflate(data) if method == 8 else data
        crc = zlib.crc32(data) & 0xFFFFFFFF
        tm, dt = dos_time(e.get("dt", DT))
        flags = e.get("flags_extra", 0)
        desc = e.get("descriptor", False)
        if desc:
            flags |= 8
        pw = e.get("password")
        if pw is not None:
            flags |= 1
            keys = Keys(pw)
            check = (tm >> 8) if desc else (crc >> 24)
            header = bytes((i * 37 + 11) & 0xFF for i in range(11)) + bytes([check & 0xFF])
            comp = keys.encrypt(header + comp)
        usize = e.get("usize", len(data))
        need = e.get("version_needed", 20 if method == 8 else 10)
        name = e["name"]
        off = e["offset"] if "offset" in e else len(out) - len(prefix)
        lcrc, lcs, lus = (0, 0, 0) if desc else (crc, len(comp), usize)
        out += struct.pack("<IHHHHHIIIHH", 0x04034B50, need, flags, method, tm, dt, lcrc, lcs, lus, len(name), 0)
        out += name + comp
        if desc:
            out += struct.pack("<IIII", 0x08074B50, crc, len(comp), usize)
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, e.get("made_by", 20), need, flags, method, tm, dt,
                               crc, len(comp), usize, len(name), 0, 0, 0, 0, e.get("attr", 0x20), off)
        central += name
    cd_off = len(out) - len(prefix) + cd_offset_delta
    out += central
    n = len(entries) if total is None else total
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, n, n, len(central), cd_off, len(comment)) + comment
    with open(path, "wb") as f:
        f.write(out)


class NonSeekable(io.RawIOBase):
    def __init__(self, f):
        self.f = f

    def writable(self):
        return True

    def write(self, b):
        return self.f.write(b)

    def seekable(self):
        return False


def text(n):
    words = [b"chalk", b"board", b"the", b"green", b"line", b"of", b"page"]
    out = bytearray()
    i = 0
    while len(out) < n:
        out += words[(i * 7 + i // 3) % 7] + (b"\n" if i % 9 == 0 else b" ")
        i += 1
    return bytes(out[:n])


def pseudo_random(n, seed=1):
    x = seed
    out = bytearray()
    for _ in range(n):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    p = lambda n: os.path.join(folder, n)
    files = {
        "hello.txt": b"Hello, blackboard\n",
        "docs/a/b.txt": text(50000),
        "big.bin": pseudo_random(100000),
        "empty.txt": b"",
    }
    # Python's zipfile: stored, deflated, a folder entry, an empty file, a comment.
    with zipfile.ZipFile(p("py_basic.zip"), "w") as z:
        z.writestr(zipfile.ZipInfo("hello.txt", DT), files["hello.txt"], zipfile.ZIP_STORED)
        z.writestr(zipfile.ZipInfo("docs/", DT), b"")
        zi = zipfile.ZipInfo("docs/a/b.txt", DT)
        z.writestr(zi, files["docs/a/b.txt"], zipfile.ZIP_DEFLATED, 9)
        z.writestr(zipfile.ZipInfo("big.bin", DT), files["big.bin"], zipfile.ZIP_STORED)
        z.writestr(zipfile.ZipInfo("empty.txt", DT), b"", zipfile.ZIP_DEFLATED)
        z.comment = b"board comment"
    for name, data in files.items():
        full = os.path.join(folder, "plain", name)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
    # Data descriptors: zipfile writes them on a stream it cannot seek.
    with open(p("py_stream.zip"), "wb") as f:
        with zipfile.ZipFile(NonSeekable(f), "w", zipfile.ZIP_DEFLATED) as z:
            for level in range(0, 10):
                z.writestr(zipfile.ZipInfo("level%d.txt" % level, DT), text(20000 + level), zipfile.ZIP_DEFLATED, level)
    # Many entries (more than one block of 64), and 100 bytes in front.
    with zipfile.ZipFile(p("py_many.zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for i in range(150):
            z.writestr(zipfile.ZipInfo("many/f%03d.txt" % i, DT), text(100 + i))
    with open(p("py_many.zip"), "rb") as f:
        many = f.read()
    with open(p("prefixed.zip"), "wb") as f:
        f.write(b"\x00" * 100 + many)

    # Names in the ANSI code page.
    write_zip(p("cp932.zip"), [
        {"name": "黒板/ノート.txt".encode("cp932"), "data": "チョーク".encode("cp932") * 10},
        {"name": "表.txt".encode("cp932"), "data": b"table", "method": 0},
    ])

    # Traditional encryption: with and without descriptors, stored and deflated.
    enc = [
        {"name": b"secret1.txt", "data": text(3000), "password": b"chalk"},
        {"name": b"secret2.txt", "data": b"stored secret", "method": 0, "password": b"chalk"},
        {"name": b"secret3.txt", "data": text(5000), "password": b"chalk", "descriptor": True},
    ]
    write_zip(p("encrypted.zip"), enc)
    write_zip(p("encrypted_one.zip"), enc[:1])
    for n in ("encrypted.zip", "encrypted_one.zip"):
        with zipfile.ZipFile(p(n)) as z:
            for e in z.infolist():
                ok = z.read(e.filename, pwd=b"chalk")
                src = [x for x in enc if x["name"].decode() == e.filename][0]["data"]
                assert ok == src, "encryptor check failed"

    # Hostile names.
    bad_names = [b"../evil1.txt", b"a/../../evil2.txt", b"/abs/ok3.txt", b"//ok4.txt", b"..\\evil5.txt",
                 b"C:/ok6.txt", b"a/./ok7.txt", b"sub\\ok8.txt", b"/", b"..", b"ctl\x01name.txt", b"C:\\..\\evil9.txt"]
    write_zip(p("traversal.zip"), [{"name": n, "data": b"x" + n, "method": 0} for n in bad_names])
    write_zip(p("link.zip"), [{"name": b"link.txt", "data": b"replaced", "method": 0}])
    write_zip(p("readonly.zip"), [{"name": b"ro.txt", "data": b"ro", "method": 0, "attr": 0x21},
                                  {"name": b"setid.txt", "data": b"rw", "method": 0, "attr": 0x20,
                                   "made_by": 0x0300 | 20}])
    # Claims and sizes that do not hold.
    write_zip(p("huge_count.zip"), [{"name": b"one.txt", "data": b"one"}], total=65535)
    bomb = raw_deflate(b"\0" * 1000000)
    write_zip(p("bomb.zip"), [{"name": b"bomb.bin", "data": b"\0" * 100, "comp": bomb}])
    write_zip(p("huge_size.zip"), [{"name": b"huge.bin", "data": b"small", "usize": 0xFFFFFFF0}])
    write_zip(p("overlap.zip"), [{"name": b"first.txt", "data": b"same data"},
                                 {"name": b"second.txt", "data": b"same data", "offset": 0}])
    write_zip(p("methods.zip"), [{"name": b"bz.bin", "data": b"abc", "method": 12, "comp": b"xyz"},
                                 {"name": b"ok.txt", "data": b"ok", "method": 0}])
    write_zip(p("dup.zip"), [{"name": b"same.txt", "data": b"first"}, {"name": b"same.txt", "data": b"second"}])
    write_zip(p("empty.zip"), [])
    write_zip(p("baddeflate.zip"), [{"name": b"bad.txt", "data": b"text", "comp": b"\xff\xff\xff\xff"}])
    write_zip(p("longname.zip"), [{"name": b"n" * 300, "data": b"long", "method": 0},
                                  {"name": b"short.txt", "data": b"short", "method": 0}])
    write_zip(p("badoffset.zip"), [{"name": b"far.txt", "data": b"far", "offset": 0x7FFFFFF0}])
    # The end record starts 2 bytes before an 8192-byte boundary.
    write_zip(p("boundary.zip"), [{"name": b"b.bin", "data": b"q" * 8104, "method": 0}])
    assert os.path.getsize(p("boundary.zip")) == 8190 + 22
    write_zip(p("comment65000.zip"), [{"name": b"c.txt", "data": b"c", "method": 0}], comment=b"k" * 65000)
    write_zip(p("trailing70000.zip"), [{"name": b"t.txt", "data": b"t", "method": 0}])
    with open(p("trailing70000.zip"), "ab") as f:
        f.write(b"\0" * 70000)
    # Listing values: ratios, attributes, methods.
    write_zip(p("ratio.zip"), [
        {"name": b"r400.bin", "data": b"a" * 1000, "comp": b"c" * 400, "attr": 0x21},
        {"name": b"r600.bin", "data": b"b" * 1000, "comp": b"c" * 600, "attr": 0x00, "flags_extra": 2},
        {"name": b"grew.bin", "data": b"d" * 100, "comp": b"c" * 110, "method": 12},
    ], comment=b"")
    with open(p("tiny.zip"), "wb") as f:
        f.write(b"PK\x05\x06" + b"\0" * 17)   # 21 bytes: no room for an end record


if __name__ == "__main__":
    main(sys.argv[1])
