#include "ziplib/inflate.h"

#include <algorithm>
#include <cstring>

#include "ziplib/bitreader.h"
#include "ziplib/decode_table.h"

namespace zipvault {
namespace {

constexpr unsigned LBITS = 9;        // literal/length lookup of dynamic blocks
constexpr unsigned DBITS = 6;        // distance lookup of dynamic blocks
constexpr unsigned FIXED_LBITS = 7;
constexpr unsigned FIXED_DBITS = 5;

struct FixedTables {
  DecodeTable tl, td;
  unsigned bl = FIXED_LBITS, bd = FIXED_DBITS;
  int status = INFLATE_OK;
};

// The fixed codes never change: built once, shared by every entry and thread.
const FixedTables& fixed_tables() {
  static const FixedTables tables = [] {
    FixedTables f;
    uint8_t l[288];
    std::fill(l, l + 144, 8);
    std::fill(l + 144, l + 256, 9);
    std::fill(l + 256, l + 280, 7);
    std::fill(l + 280, l + 288, 8);
    int r = build_decode_table(l, 288, 257, cplens, cplext, f.tl, f.bl);
    if (r == HUFT_COMPLETE) {
      std::fill(l, l + 30, 5);
      // 30 of the 32 five-bit codes: codes 30 and 31 stay invalid.
      r = build_decode_table(l, 30, 0, cpdist, cpdext, f.td, f.bd);
      if (r == HUFT_INCOMPLETE) r = HUFT_COMPLETE;
    }
    if (r != HUFT_COMPLETE) {
      free_decode_table(f.tl);
      free_decode_table(f.td);
      f.status = r;
    }
    return f;
  }();
  return tables;
}

class Inflater {
 public:
  Inflater(EntryIO& io, uint8_t* slide) : br_(io), slide_(slide) {}

  int run() {
    int last = 0;
    do {
      br_.need(3);
      last = br_.peek(1);
      unsigned type = (br_.bb >> 1) & 3;
      br_.drop(3);
      if (br_.overrun()) return INFLATE_BAD;
      int r;
      switch (type) {
        case 0: r = inflate_stored(); break;
        case 1: r = inflate_fixed(); break;
        case 2: r = inflate_dynamic(); break;
        default: r = INFLATE_STOP; break;
      }
      if (r) return r;
    } while (!last);
    br_.io.bytes_used = br_.used();
    return br_.io.flush_output_window(slide_, wp_);
  }

 private:
  BitReader br_;
  uint8_t* slide_;
  unsigned wp_ = 0;          // window position
  uint64_t out_base_ = 0;    // bytes of the entry flushed before the window's start

  int flush() {
    int r = br_.io.flush_output_window(slide_, WSIZE);
    out_base_ += WSIZE;
    wp_ = 0;
    return r;
  }

  int inflate_stored() {
    br_.align();
    br_.need(32);
    unsigned len = br_.peek(16);
    unsigned nlen = (br_.bb >> 16) & 0xFFFF;
    br_.drop(32);
    if (br_.overrun() || len != (~nlen & 0xFFFF)) return INFLATE_BAD;
    // Whole bytes still in the bit buffer come first.
    while (len && br_.bk >= 8) {
      if (br_.bk - 8 < br_.pad) return INFLATE_BAD;
      slide_[wp_++] = static_cast<uint8_t>(br_.bb);
      br_.drop(8);
      --len;
      if (wp_ == WSIZE)
        if (int r = flush()) return r;
    }
    if (br_.bk == 0) br_.bb = 0;  // forget the lookahead: the input is read directly below
    EntryIO& io = br_.io;
    while (len) {
      if (io.in_next == io.in_end && !io.refill()) return INFLATE_BAD;
      size_t n = std::min<size_t>({len, size_t(io.in_end - io.in_next), WSIZE - wp_});
      std::memcpy(slide_ + wp_, io.in_next, n);
      io.in_next += n;
      wp_ += n;
      len -= n;
      if (wp_ == WSIZE)
        if (int r = flush()) return r;
    }
    return INFLATE_OK;
  }

  int inflate_fixed() {
    const FixedTables& f = fixed_tables();
    if (f.status != INFLATE_OK) return f.status;
    return inflate_codes(f.tl, f.td, f.bl, f.bd);
  }

  int inflate_dynamic() {
    br_.need(14);
    unsigned nl = 257 + br_.peek(5);
    unsigned nd = 1 + ((br_.bb >> 5) & 0x1F);
    unsigned nb = 4 + ((br_.bb >> 10) & 0xF);
    br_.drop(14);
    if (br_.overrun() || nl > 286 || nd > 30) return INFLATE_BAD;

    uint8_t ll[286 + 30] = {};
    for (unsigned j = 0; j < nb; ++j) ll[border[j]] = static_cast<uint8_t>(br_.get(3));
    if (br_.overrun()) return INFLATE_BAD;

    DecodeTable tl, td;
    unsigned bl = 7;
    int r = build_decode_table(ll, 19, 19, nullptr, nullptr, tl, bl);
    if (r == HUFT_INCOMPLETE) r = INFLATE_BAD;  // a code-length code must be complete
    if (r) return r;

    // The code lengths of both alphabets, in one run: repeats may cross from one to the other.
    const unsigned n = nl + nd;
    const unsigned mask = (1u << bl) - 1;
    unsigned i = 0, prev = 0;
    while (i < n) {
      br_.need(bl + 7);
      const huft* h = &tl.t[br_.bb & mask];
      if (h->e == OP_INVALID) return INFLATE_BAD;
      br_.drop(h->b);
      unsigned sym = h->n, rep;
      uint8_t val;
      if (sym < 16) {
        ll[i++] = prev = static_cast<uint8_t>(sym);
        if (br_.overrun()) return INFLATE_BAD;
        continue;
      } else if (sym == 16) {
        if (i == 0) return INFLATE_BAD;  // nothing to repeat
        rep = 3 + br_.get(2);
        val = static_cast<uint8_t>(prev);
      } else if (sym == 17) {
        rep = 3 + br_.get(3);
        val = 0;
      } else {
        rep = 11 + br_.get(7);
        val = 0;
      }
      if (br_.overrun() || i + rep > n) return INFLATE_BAD;
      std::fill(ll + i, ll + i + rep, val);
      i += rep;
      if (val == 0) prev = 0;
    }
    free_decode_table(tl);

    if (ll[256] == 0) return INFLATE_BAD;  // no end-of-block code
    bl = LBITS;
    r = build_decode_table(ll, nl, 257, cplens, cplext, tl, bl);
    if (r == HUFT_INCOMPLETE) r = single_code(ll, nl) ? INFLATE_OK : INFLATE_BAD;
    if (r) return r;
    unsigned bd = DBITS;
    r = build_decode_table(ll + nl, nd, 0, cpdist, cpdext, td, bd);
    // Incomplete distance codes are legal in two forms only: no distance code at all (the block
    // is literals), or a single code of one bit.
    if (r == HUFT_INCOMPLETE)
      r = single_code(ll + nl, nd) || no_code(ll + nl, nd) ? INFLATE_OK : INFLATE_BAD;
    if (r) return r;
    return inflate_codes(tl, td, bl, bd);
  }

  static bool single_code(const uint8_t* l, unsigned n) {
    unsigned used = 0, ones = 0;
    for (unsigned i = 0; i < n; ++i) {
      used += l[i] != 0;
      ones += l[i] == 1;
    }
    return used == 1 && ones == 1;
  }
  static bool no_code(const uint8_t* l, unsigned n) {
    return std::all_of(l, l + n, [](uint8_t v) { return v == 0; });
  }

  // Decodes codes until the end of the block. A cancel or a write error comes back as its code;
  // anything else non-zero is damaged data.
  int inflate_codes(const DecodeTable& tl, const DecodeTable& td, unsigned bl, unsigned bd) {
    const huft* const lt = tl.t.data();
    const huft* const dt = td.t.data();
    const uint64_t lmask = (uint64_t{1} << bl) - 1, dmask = (uint64_t{1} << bd) - 1;
    // Locals, so the compiler keeps them in registers across the loop.
    uint64_t bb = br_.bb;
    unsigned bk = br_.bk;
    unsigned wp = wp_;
    unsigned pad = br_.pad;
    uint8_t* const slide = slide_;
    int rc = INFLATE_OK;

    for (;;) {
      // One refill covers a whole length/distance pair: at most 15 + 5 + 15 + 13 = 48 bits.
      if (bk < 48) {
        br_.bb = bb;
        br_.bk = bk;
        br_.fill();
        bb = br_.bb;
        bk = br_.bk;
        pad = br_.pad;
      }
      const huft* h = lt + (bb & lmask);
      unsigned op = h->e;
      while (op > 16) {
        if (op == OP_INVALID) { rc = INFLATE_BAD; goto done; }
        bb >>= h->b;
        bk -= h->b;
        h = lt + h->n + (bb & ((1u << (op - 16)) - 1));
        op = h->e;
      }
      bb >>= h->b;
      bk -= h->b;
      if (bk < pad) { rc = INFLATE_BAD; goto done; }  // read past the end of the data

      if (op == OP_LITERAL) {
        slide[wp++] = static_cast<uint8_t>(h->n);
        if (wp == WSIZE) {
          wp_ = wp;
          if ((rc = flush())) goto done;
          wp = 0;
        }
        continue;
      }
      if (op == OP_END) break;

      unsigned len = h->n + static_cast<unsigned>(bb & ((1u << op) - 1));
      bb >>= op;
      bk -= op;

      h = dt + (bb & dmask);
      op = h->e;
      while (op > 16) {
        if (op == OP_INVALID) { rc = INFLATE_BAD; goto done; }
        bb >>= h->b;
        bk -= h->b;
        h = dt + h->n + (bb & ((1u << (op - 16)) - 1));
        op = h->e;
      }
      bb >>= h->b;
      bk -= h->b;
      unsigned d = h->n + static_cast<unsigned>(bb & ((1u << op) - 1));
      bb >>= op;
      bk -= op;
      if (bk < pad) { rc = INFLATE_BAD; goto done; }
      // Before the start of this entry's output there is nothing to copy: whatever the window
      // holds there belongs to someone else.
      if (d > out_base_ + wp) { rc = INFLATE_BAD; goto done; }

      unsigned s = (wp - d) & (WSIZE - 1);
      if (s < wp && wp + len < WSIZE) {
        // The common case: source behind the destination, neither run reaches the window's end.
        copy_match(slide + wp, slide + s, len, d);
        wp += len;
        continue;
      }
      do {
        unsigned e = WSIZE - std::max(s, wp);
        if (e > len) e = len;
        if (s < wp)
          copy_match(slide + wp, slide + s, e, wp - s);
        else
          std::memmove(slide + wp, slide + s, e);  // source ahead: a forward copy equals memmove
        wp += e;
        s = (s + e) & (WSIZE - 1);
        len -= e;
        if (wp == WSIZE) {
          wp_ = wp;
          if ((rc = flush())) goto done;
          wp = 0;
        }
      } while (len);
    }
  done:
    br_.bb = bb;
    br_.bk = bk;
    wp_ = wp;
    return rc;
  }

  // Copies len bytes from dist bytes back. When the runs overlap (dist < len) the output repeats
  // with period dist; each memcpy then takes all that is already written, so the chunks double.
  static inline void copy_match(uint8_t* dst, const uint8_t* src, unsigned len, unsigned dist) {
    if (dist >= len) {
      std::memcpy(dst, src, len);
    } else if (dist == 1) {
      std::memset(dst, *src, len);
    } else {
      while (len) {
        unsigned n = std::min<unsigned>(len, static_cast<unsigned>(dst - src));
        std::memcpy(dst, src, n);
        dst += n;
        len -= n;
      }
    }
  }
};

}  // namespace

int inflate(EntryIO& io) {
  uint8_t* slide = io.window();
  if (!slide) return INFLATE_NOMEM;
  try {
    Inflater inf(io, slide);
    return inf.run();
  } catch (const std::bad_alloc&) {
    return INFLATE_NOMEM;
  }
}

}  // namespace zipvault
