// CRC-32 against zlib's, and the decoding-table builder's verdicts on code sets.
#include <gtest/gtest.h>
#include <zlib.h>

#include "decoder_test_util.h"
#include "ziplib/crc32.h"
#include "ziplib/decode_table.h"

using namespace ztest;
using namespace zipvault;

namespace {

TEST(Crc32, MatchesZlibForEveryLengthAndSplit) {
  Bytes b = random_bytes(4096 + 13, 21);
  // Every length up to 300 at every alignment: the short tail, the 64-byte folding, the mix.
  for (size_t off = 0; off < 16; ++off)
    for (size_t n = 0; n < 300; ++n)
      ASSERT_EQ(zipvault::crc32(b.data() + off, n), ::crc32(0, b.data() + off, static_cast<uInt>(n)))
          << off << " " << n;
  uint32_t whole = static_cast<uint32_t>(::crc32(0, b.data(), static_cast<uInt>(b.size())));
  EXPECT_EQ(zipvault::crc32(b.data(), b.size()), whole);
  // Fed in uneven pieces, through the register.
  uint32_t reg = 0xFFFFFFFFu;
  for (size_t at = 0, step = 1; at < b.size(); at += step, step = step * 3 % 61 + 1)
    reg = crc32_update(reg, b.data() + at, std::min(step, b.size() - at));
  EXPECT_EQ(~reg, whole);
  EXPECT_EQ(zipvault::crc32("123456789", 9), 0xCBF43926u);
  // The byte step used by the decryption keys.
  uint32_t r = 0xFFFFFFFFu;
  for (char c : std::string("123456789")) r = crc32_byte(r, static_cast<uint8_t>(c));
  EXPECT_EQ(~r, 0xCBF43926u);
}

TEST(DecodeTable, VerdictsOnCodeSets) {
  struct Case {
    const char* name;
    std::vector<uint8_t> lengths;
    int rc;
  } cases[] = {
      {"complete", {1, 2, 3, 3}, HUFT_COMPLETE},
      {"single_one_bit", {0, 1, 0}, HUFT_INCOMPLETE},
      {"none", {0, 0, 0}, HUFT_INCOMPLETE},
      {"incomplete", {2, 2, 2}, HUFT_INCOMPLETE},
      {"oversubscribed", {1, 1, 1}, HUFT_BAD},
      {"oversubscribed_deep", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 16, 16},
       HUFT_BAD},
      {"complete_to_16_bits", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 16},
       HUFT_COMPLETE},
      {"length_17", {17, 1}, HUFT_BAD},
  };
  for (const auto& c : cases) {
    DecodeTable t;
    unsigned bits = 7;
    EXPECT_EQ(build_decode_table(c.lengths.data(), static_cast<unsigned>(c.lengths.size()),
                                 256, nullptr, nullptr, t, bits),
              c.rc)
        << c.name;
    free_decode_table(t);
  }
}

// Every code of a complete set decodes to its value, through the sub-tables where it is long.
TEST(DecodeTable, EveryCodeLeadsToItsValue) {
  std::vector<uint8_t> len = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 16};
  DecodeTable t;
  unsigned bits = 9;
  ASSERT_EQ(build_decode_table(len.data(), 17, 256, nullptr, nullptr, t, bits), HUFT_COMPLETE);
  EXPECT_EQ(bits, 9u);
  // Canonical codes: value v (< 16) is v ones then a zero; sent MSB first, read LSB first.
  for (unsigned v = 0; v < 17; ++v) {
    unsigned l = len[v];
    uint32_t code = v < 16 ? ((1u << v) - 1) << 1 : (1u << 16) - 1;  // MSB-first pattern
    uint32_t rev = 0;
    for (unsigned i = 0; i < l; ++i) rev |= ((code >> (l - 1 - i)) & 1) << i;
    const huft* h = &t.t[rev & ((1u << bits) - 1)];
    unsigned used = 0;
    if (h->e > 16 && h->e != OP_INVALID) {
      used = h->b;
      h = &t.t[h->n + ((rev >> used) & ((1u << (h->e - 16)) - 1))];
    }
    ASSERT_EQ(h->e, OP_LITERAL) << v;
    EXPECT_EQ(h->n, v);
    EXPECT_EQ(used + h->b, l) << v;
  }
}

}  // namespace
