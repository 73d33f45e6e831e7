#include "ziplib/decode_table.h"

#include <algorithm>
#include <new>

namespace zipvault {
namespace {

constexpr unsigned MAX_LEN = 16;

unsigned reverse_bits(unsigned code, unsigned len) {
  unsigned r = 0;
  for (unsigned i = 0; i < len; ++i, code >>= 1) r = (r << 1) | (code & 1);
  return r;
}

}  // namespace

void free_decode_table(DecodeTable& table) {
  std::vector<huft>().swap(table.t);
  table.bits = 0;
}

int build_decode_table(const uint8_t* lengths, unsigned n, unsigned s, const uint16_t* base,
                       const uint8_t* extra, DecodeTable& out, unsigned& bits) {
  free_decode_table(out);
  unsigned count[MAX_LEN + 1] = {};
  unsigned maxlen = 0;
  for (unsigned i = 0; i < n; ++i) {
    if (lengths[i] > MAX_LEN) return HUFT_BAD;
    count[lengths[i]]++;
    maxlen = std::max<unsigned>(maxlen, lengths[i]);
  }
  count[0] = 0;

  // Kraft sum: more codes than a length can hold is over-subscription.
  int left = 1;
  for (unsigned len = 1; len <= MAX_LEN; ++len) {
    left = (left << 1) - static_cast<int>(count[len]);
    if (left < 0) return HUFT_BAD;
  }

  if (bits == 0) bits = 1;
  if (maxlen != 0 && bits > maxlen) bits = maxlen;
  if (maxlen == 0) bits = 1;
  const unsigned root = bits;
  const unsigned rsize = 1u << root;

  // Canonical code of each length's first value.
  unsigned next[MAX_LEN + 2] = {};
  for (unsigned len = 1, code = 0; len <= MAX_LEN; ++len) {
    code = (code + count[len - 1]) << 1;
    next[len] = code;
  }

  try {
    // Sub-table width per primary slot: the longest code sharing that slot's root bits.
    std::vector<uint8_t> subbits(rsize, 0);
    std::vector<unsigned> codes(n, 0);
    {
      unsigned nx[MAX_LEN + 2];
      std::copy(std::begin(next), std::end(next), nx);
      for (unsigned v = 0; v < n; ++v) {
        unsigned len = lengths[v];
        if (!len) continue;
        codes[v] = reverse_bits(nx[len]++, len);
        if (len > root) {
          unsigned p = codes[v] & (rsize - 1);
          subbits[p] = std::max<uint8_t>(subbits[p], static_cast<uint8_t>(len - root));
        }
      }
    }
    size_t total = rsize;
    for (unsigned p = 0; p < rsize; ++p)
      if (subbits[p]) total += size_t{1} << subbits[p];
    if (total > 65535) return HUFT_BAD;

    out.t.assign(total, huft{OP_INVALID, static_cast<uint8_t>(root), 0});
    size_t at = rsize;
    for (unsigned p = 0; p < rsize; ++p) {
      if (!subbits[p]) continue;
      out.t[p] = huft{static_cast<uint8_t>(16 + subbits[p]), static_cast<uint8_t>(root),
                      static_cast<uint16_t>(at)};
      for (size_t i = 0; i < (size_t{1} << subbits[p]); ++i)
        out.t[at + i].b = subbits[p];
      at += size_t{1} << subbits[p];
    }

    for (unsigned v = 0; v < n; ++v) {
      unsigned len = lengths[v];
      if (!len) continue;
      huft h;
      if (v < s) {
        h.e = v == 256 ? OP_END : OP_LITERAL;
        h.n = static_cast<uint16_t>(v == 256 ? 0 : v);
      } else {
        h.e = extra[v - s];
        h.n = base[v - s];
      }
      unsigned r = codes[v];
      if (len <= root) {
        h.b = static_cast<uint8_t>(len);
        for (unsigned i = r; i < rsize; i += 1u << len) out.t[i] = h;
      } else {
        const huft& link = out.t[r & (rsize - 1)];
        unsigned sub = link.e - 16, step = len - root;
        h.b = static_cast<uint8_t>(step);
        for (unsigned i = r >> root; i < (1u << sub); i += 1u << step) out.t[link.n + i] = h;
      }
    }
  } catch (const std::bad_alloc&) {
    free_decode_table(out);
    return HUFT_NOMEM;
  }
  out.bits = root;
  return left > 0 ? HUFT_INCOMPLETE : HUFT_COMPLETE;
}

}  // namespace zipvault
