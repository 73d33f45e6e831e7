// LSB-first bit reader over an entry's byte source, shared by the decoders.
#pragma once

#include <cstdint>
#include <cstring>

#include "ziplib/entry_io.h"

namespace zipvault {

struct BitReader {
  explicit BitReader(EntryIO& src) : io(src) {}

  EntryIO& io;
  uint64_t bb = 0;     // bits, next one lowest
  unsigned bk = 0;     // valid bits in bb
  unsigned pad = 0;    // zero bits appended past the end of the data (the top of bb)

  // Tops bb up to at least 56 bits. With 8 input bytes at hand this is one unaligned load: the
  // bytes above the ones counted land in bb as well, but they are the very bytes the next load
  // ORs in again, so they do no harm.
  void fill() {
    if (io.in_end - io.in_next >= 8) {
      uint64_t v;
      std::memcpy(&v, io.in_next, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      v = __builtin_bswap64(v);
#endif
      bb |= v << bk;
      io.in_next += (63 - bk) >> 3;
      bk |= 56;
    } else {
      fill_slow();
    }
  }

  // Byte by byte across a refill; past the end of the data, zero bytes that count as padding.
  // Decoders look at padding only while peeking; consuming it (overrun()) is premature end.
  void fill_slow() {
    while (bk <= 56) {
      int c = io.next_byte();
      if (c < 0) {
        c = 0;
        pad += 8;
      }
      bb |= uint64_t(c) << bk;
      bk += 8;
    }
  }

  void need(unsigned n) {
    if (bk < n) fill();
  }
  uint32_t peek(unsigned n) const { return static_cast<uint32_t>(bb & ((uint64_t{1} << n) - 1)); }
  void drop(unsigned n) {
    bb >>= n;
    bk -= n;
  }
  uint32_t get(unsigned n) {
    need(n);
    uint32_t v = peek(n);
    drop(n);
    return v;
  }

  // True once bits past the end of the data have been consumed.
  bool overrun() const { return bk < pad; }

  // Drops bits to the next byte boundary.
  void align() { drop(bk & 7); }

  // Compressed bytes consumed: fetched minus whole bytes still unread in bb.
  uint64_t used() const {
    unsigned real = bk >= pad ? bk - pad : 0;
    return io.bytes_fetched() - (real >> 3);
  }
};

}  // namespace zipvault
