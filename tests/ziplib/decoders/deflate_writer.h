// A small deflate writer for crafted streams: fixed and dynamic blocks with any code lengths,
// literals and matches as given, and raw stored blocks.
#pragma once

#include <cstdint>
#include <vector>

namespace ztest {

class BitWriter {
 public:
  std::vector<uint8_t> bytes;
  void put(uint32_t value, unsigned n) {  // LSB first
    for (unsigned i = 0; i < n; ++i) {
      if (bit_ == 0) bytes.push_back(0);
      bytes.back() |= ((value >> i) & 1) << bit_;
      bit_ = (bit_ + 1) & 7;
    }
  }
  void put_code(uint32_t code, unsigned len) {  // Huffman codes go MSB first
    for (unsigned i = len; i-- > 0;) put((code >> i) & 1, 1);
  }
  void align() { bit_ = 0; }

 private:
  unsigned bit_ = 0;
};

// Canonical codes of the given lengths.
inline std::vector<uint32_t> canonical(const std::vector<uint8_t>& len) {
  unsigned count[17] = {}, next[17] = {};
  for (auto l : len) count[l]++;
  count[0] = 0;
  for (unsigned b = 1, code = 0; b <= 16; ++b) next[b] = code = (code + count[b - 1]) << 1;
  std::vector<uint32_t> codes(len.size());
  for (size_t i = 0; i < len.size(); ++i)
    if (len[i]) codes[i] = next[len[i]]++;
  return codes;
}

struct Sym {
  unsigned lit_or_len;  // without a distance: 0..255 literal, 256 end; with one: a length 3..258
  unsigned dist = 0;
  int raw_len_code = -1;   // emit this literal/length code as is (crafted)
  int raw_dist_code = -1;  // emit this distance code as is (crafted)
};

inline void length_code(unsigned len, unsigned& code, unsigned& extra, unsigned& ebits) {
  static const unsigned base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const unsigned eb[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  unsigned i = 28;
  while (base[i] > len) --i;
  code = 257 + i;
  extra = len - base[i];
  ebits = eb[i];
}

inline void dist_code(unsigned d, unsigned& code, unsigned& extra, unsigned& ebits) {
  static const unsigned base[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                    33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  unsigned i = 29;
  while (base[i] > d) --i;
  code = i;
  extra = d - base[i];
  ebits = i < 4 ? 0 : i / 2 - 1;
}

// Writes symbols with the given literal/length and distance codes (lengths per symbol).
inline void write_symbols(BitWriter& w, const std::vector<Sym>& syms, const std::vector<uint8_t>& ll,
                          const std::vector<uint8_t>& dl) {
  auto lc = canonical(ll), dc = canonical(dl);
  for (const Sym& s : syms) {
    if (s.raw_len_code >= 0) {
      w.put_code(lc[s.raw_len_code], ll[s.raw_len_code]);
      if (s.dist == 0 && s.raw_dist_code < 0) continue;
    } else if (s.dist == 0 && s.raw_dist_code < 0) {
      w.put_code(lc[s.lit_or_len], ll[s.lit_or_len]);
      continue;
    } else {
      unsigned c, e, eb;
      length_code(s.lit_or_len, c, e, eb);
      w.put_code(lc[c], ll[c]);
      w.put(e, eb);
    }
    if (s.raw_dist_code >= 0) {
      w.put_code(dc[s.raw_dist_code], dl[s.raw_dist_code]);
    } else {
      unsigned c, e, eb;
      dist_code(s.dist, c, e, eb);
      w.put_code(dc[c], dl[c]);
      w.put(e, eb);
    }
  }
}

inline std::vector<uint8_t> fixed_ll() {
  std::vector<uint8_t> l(288);
  for (int i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
  return l;
}
inline std::vector<uint8_t> fixed_dl() { return std::vector<uint8_t>(32, 5); }

inline void fixed_block(BitWriter& w, const std::vector<Sym>& syms, bool last = true) {
  w.put(last, 1);
  w.put(1, 2);
  write_symbols(w, syms, fixed_ll(), fixed_dl());
}

// A dynamic block whose code lengths are sent with a code-length code of sixteen 4-bit codes
// (symbols 0..15), so that any lengths can be written, valid or not. `clen` overrides the
// code-length code's own lengths (19 values in symbol order) for crafted headers.
inline void dynamic_block(BitWriter& w, const std::vector<Sym>& syms, const std::vector<uint8_t>& ll,
                          const std::vector<uint8_t>& dl, bool last = true,
                          std::vector<uint8_t> clen = {}) {
  static const unsigned order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  w.put(last, 1);
  w.put(2, 2);
  w.put(static_cast<uint32_t>(ll.size() - 257), 5);
  w.put(static_cast<uint32_t>(dl.size() - 1), 5);
  w.put(19 - 4, 4);
  if (clen.empty()) {
    clen.assign(19, 4);
    clen[16] = clen[17] = clen[18] = 0;
  }
  for (unsigned i = 0; i < 19; ++i) w.put(clen[order[i]], 3);
  auto cc = canonical(clen);
  for (auto l : ll) w.put_code(cc[l], clen[l]);
  for (auto l : dl) w.put_code(cc[l], clen[l]);
  write_symbols(w, syms, ll, dl);
}

inline void stored_block(BitWriter& w, const std::vector<uint8_t>& data, bool last = true,
                         int nlen_override = -1) {
  w.put(last, 1);
  w.put(0, 2);
  w.align();
  uint32_t len = static_cast<uint32_t>(data.size());
  uint32_t nlen = nlen_override >= 0 ? static_cast<uint32_t>(nlen_override) : (~len & 0xFFFF);
  w.put(len, 16);
  w.put(nlen, 16);
  for (auto b : data) w.put(b, 8);
}

}  // namespace ztest
