// The block builder driven directly with chosen symbol statistics.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/ziplib/compressor/compressor_test_util.h"
#include "ziplib/bits.h"
#include "ziplib/consts.h"
#include "ziplib/trees.h"

using namespace ztest;

namespace {

struct Sink : zipvault::ZipEntryIO {
  Bytes out;
  ptrdiff_t file_read(uint8_t*, size_t) override { return 0; }
  bool write_out(const uint8_t* b, size_t n) override {
    out.insert(out.end(), b, b + n);
    return true;
  }
};

}  // namespace

// Literal frequencies of the Fibonacci series make the optimal code deeper than 15 bits: the
// length limit must hand out lengths that still form a complete code, or no decoder takes it.
TEST(Trees, CodeLengthsAreLimitedToFifteenBits) {
  Bytes lits;
  uint32_t f0 = 1, f1 = 1;
  for (int sym = 0; sym < 21; ++sym) {
    lits.insert(lits.end(), f0, static_cast<uint8_t>(sym * 12 + 3));
    uint32_t f2 = f0 + f1;
    f0 = f1, f1 = f2;
  }
  std::shuffle(lits.begin(), lits.end(), std::mt19937(5));
  ASSERT_LT(lits.size(), zipvault::LIT_BUFSIZE - 1);

  Sink sink;
  auto bits = std::make_unique<zipvault::BitWriter>();
  auto trees = std::make_unique<zipvault::Trees>(*bits);
  uint16_t att = zipvault::FILE_UNKNOWN, method = zipvault::METHOD_DEFLATED;
  bits->bi_init(&sink);
  trees->ct_init(&att, &method, 6, false);
  for (size_t i = 0; i < lits.size(); ++i) ASSERT_FALSE(trees->huffman_tally(0, lits[i], i + 1));
  uint64_t clen = trees->flush_block(lits.data(), lits.size(), true);

  EXPECT_EQ(clen, sink.out.size());
  EXPECT_EQ((sink.out[0] >> 1) & 3, 2);  // dynamic trees
  EXPECT_LT(sink.out.size(), lits.size() / 2);
  Bytes back;
  ASSERT_TRUE(zlib_inflate_raw(sink.out, back, lits.size()));
  EXPECT_EQ(back, lits);
}
