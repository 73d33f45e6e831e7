#include <cstring>
#include <memory>
#include <new>

#include "ziplib/bitreader.h"
#include "ziplib/decode_table.h"
#include "ziplib/legacy.h"

namespace zipvault {
namespace {

// Lengths: code + minimum match (2 without a literal tree, 3 with one); code 63 adds 8 bits.
constexpr uint16_t cplen2[64] = {2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                                 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33,
                                 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49,
                                 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65};
constexpr uint16_t cplen3[64] = {3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                                 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34,
                                 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50,
                                 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66};
constexpr uint8_t extra[64] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8};

// Distances: the high part through the tree, times 64 (4K) or 128 (8K), plus the low bits + 1.
struct DistBases {
  uint16_t b4[64], b8[64];
  constexpr DistBases() : b4(), b8() {
    for (unsigned i = 0; i < 64; ++i) {
      b4[i] = static_cast<uint16_t>(i * 64 + 1);
      b8[i] = static_cast<uint16_t>(i * 128 + 1);
    }
  }
};
constexpr DistBases kDist;
constexpr uint8_t no_extra[64] = {};

class Exploder {
 public:
  Exploder(EntryIO& io, uint8_t* slide) : io_(io), br_(io), slide_(slide) {}

  int run() {
    if (io_.ucsize == 0 && io_.csize == 0) return io_.flush_output_window(slide_, 0);
    const bool littree = io_.flags & FLAG_IMPLODE_LITTREE;
    const bool big = io_.flags & FLAG_IMPLODE_8K;
    uint8_t l[256];
    int r;
    unsigned bb = 9, bl = 7, bd = io_.csize > 200000 ? 8 : 7;

    if (littree) {
      if ((r = get_tree(l, 256))) return r;
      if ((r = build_decode_table(l, 256, 256, nullptr, nullptr, tb_, bb))) return r;
    }
    if ((r = get_tree(l, 64))) return r;
    if ((r = build_decode_table(l, 64, 0, littree ? cplen3 : cplen2, extra, tl_, bl))) return r;
    if ((r = get_tree(l, 64))) return r;
    if ((r = build_decode_table(l, 64, 0, big ? kDist.b8 : kDist.b4, no_extra, td_, bd))) return r;

    const unsigned dbits = big ? 7 : 6;
    remaining_ = io_.ucsize;
    while (remaining_ > 0) {
      if (br_.get(1)) {
        unsigned c;
        if (littree) {
          const huft* h = decode(tb_);
          if (!h) return INFLATE_BAD;
          c = h->n;
        } else {
          c = br_.get(8);
        }
        if (br_.overrun()) return INFLATE_BAD;
        if ((r = put(static_cast<uint8_t>(c)))) return r;
      } else {
        unsigned d = br_.get(dbits);
        const huft* h = decode(td_);
        if (!h) return INFLATE_BAD;
        d += h->n;
        h = decode(tl_);
        if (!h) return INFLATE_BAD;
        unsigned n = h->n;
        if (h->e) n += br_.get(h->e);
        if (br_.overrun()) return INFLATE_BAD;
        if ((r = copy(d, n))) return r;
      }
    }
    if ((r = io_.flush_output_window(slide_, wp_))) return r;
    io_.bytes_used = br_.used();
    return io_.bytes_used == io_.csize ? 0 : EXPLODE_SIZE;
  }

 private:
  EntryIO& io_;
  BitReader br_;
  uint8_t* slide_;
  DecodeTable tb_, tl_, td_;
  unsigned wp_ = 0;
  uint64_t produced_ = 0;
  uint64_t remaining_ = 0;

  // A stored tree: a byte count - 1, then bytes of (repeat - 1) << 4 | (bit length - 1).
  int get_tree(uint8_t* l, unsigned n) {
    unsigned bytes = br_.get(8) + 1;
    unsigned k = 0;
    while (bytes--) {
      unsigned b = br_.get(8);
      unsigned len = (b & 0xF) + 1, rep = (b >> 4) + 1;
      if (br_.overrun()) return INFLATE_BAD;
      if (k + rep > n) return EXPLODE_BAD_TREE;
      std::memset(l + k, static_cast<int>(len), rep);
      k += rep;
    }
    return k == n ? 0 : EXPLODE_BAD_TREE;
  }

  // The codes of implode are the complement of the canonical codes of the same lengths, so the
  // tables are indexed with inverted bits.
  const huft* decode(const DecodeTable& t) {
    br_.need(16);
    const uint64_t inv = ~br_.bb;
    const huft* h = &t.t[inv & ((1u << t.bits) - 1)];
    if (h->e == OP_INVALID) return nullptr;
    if (h->e > 16) {
      unsigned sub = h->e - 16;
      const huft* s = &t.t[h->n + ((inv >> h->b) & ((1u << sub) - 1))];
      br_.drop(h->b);
      h = s;
      if (h->e == OP_INVALID) return nullptr;
    }
    br_.drop(h->b);
    return h;
  }

  int put(uint8_t c) {
    slide_[wp_++] = c;
    ++produced_;
    --remaining_;
    if (wp_ == WSIZE) {
      wp_ = 0;
      return io_.flush_output_window(slide_, WSIZE);
    }
    return 0;
  }

  int copy(unsigned dist, unsigned len) {
    if (len > remaining_) len = static_cast<unsigned>(remaining_);
    while (len--) {
      // Before the start of the output there is nothing: those bytes read as zero.
      uint8_t c = dist > produced_ ? 0 : slide_[(wp_ - dist) & (WSIZE - 1)];
      if (int r = put(c)) return r;
    }
    return 0;
  }
};

}  // namespace

int explode(EntryIO& io) {
  uint8_t* slide = io.window();
  if (!slide) return HUFT_NOMEM;
  try {
    Exploder e(io, slide);
    return e.run();
  } catch (const std::bad_alloc&) {
    return HUFT_NOMEM;
  }
}

}  // namespace zipvault
