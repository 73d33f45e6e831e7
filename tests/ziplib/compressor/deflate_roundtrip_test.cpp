// Round trips of the compressor through zlib's raw inflate at every level, on inputs that reach
// the corners of the match finder and the block builder.
#include <gtest/gtest.h>

#include <string>

#include "tests/ziplib/compressor/compressor_test_util.h"
#include "ziplib/consts.h"

using namespace ztest;
using zipvault::Deflater;
using zipvault::METHOD_DEFLATED;
using zipvault::METHOD_STORED;

namespace {

struct Input {
  const char* name;
  Bytes data;
};

std::vector<Input> inputs() {
  std::vector<Input> v;
  v.push_back({"empty", {}});
  v.push_back({"one_byte", {'x'}});
  v.push_back({"three_bytes", {'a', 'b', 'c'}});
  v.push_back({"equal_bytes_100000", Bytes(100000, 'z')});
  {
    Bytes b;
    for (int i = 0; i < 20000; ++i)
      for (char c : std::string("abcabcabd")) b.push_back(static_cast<uint8_t>(c));
    v.push_back({"repetitive", b});
  }
  v.push_back({"text_200k", make_text(200000)});
  v.push_back({"random_50k", make_random(50000)});
  v.push_back({"random_1m", make_random(1 << 20, 11)});
  {
    // A random block repeated: matches at the far end of the window, and runs of 258.
    Bytes blk = make_random(32768, 5), b;
    for (int i = 0; i < 5; ++i) b.insert(b.end(), blk.begin(), blk.end());
    v.push_back({"repeat_32768", b});
    Bytes blk2 = make_random(32506, 6), c;
    for (int i = 0; i < 4; ++i) c.insert(c.end(), blk2.begin(), blk2.end());
    v.push_back({"repeat_at_max_distance", c});
    Bytes blk3 = make_random(258, 8), d;
    for (int i = 0; i < 2000; ++i) d.insert(d.end(), blk3.begin(), blk3.end());
    v.push_back({"repeat_258", d});
  }
  {
    Bytes b;
    for (int r = 0; r < 64; ++r)
      for (int i = 0; i < 256; ++i) b.push_back(static_cast<uint8_t>(i));
    v.push_back({"all_byte_values", b});
  }
  {
    // Text mixed with random stretches: blocks of different kinds within one file.
    Bytes t = make_text(300000, 9), r = make_random(300000, 10), b;
    for (size_t i = 0; i < 300000; i += 30000) {
      b.insert(b.end(), t.begin() + i, t.begin() + i + 30000);
      b.insert(b.end(), r.begin() + i, r.begin() + i + 7000);
    }
    v.push_back({"text_and_random", b});
  }
  v.push_back({"board_bitmap", make_board_bitmap(640, 400)});
  {
    // Short matches at large distances (the too-far rule), many distance codes.
    std::mt19937 g(21);
    Bytes b = make_random(40000, 22);
    for (int i = 0; i < 60000; ++i) {
      size_t d = 1 + g() % 32000, n = 3 + g() % 3;
      for (size_t k = 0; k < n; ++k) b.push_back(b[b.size() - d]);
      b.push_back(static_cast<uint8_t>(g()));
    }
    v.push_back({"far_short_matches", b});
  }
  {
    // Inputs ending at and around the top of the window and the point where it slides: the
    // last matches run into the end of the data.
    Bytes text = make_text(140000, 13);
    for (size_t n : {65274u, 65535u, 65536u, 65537u, 65798u, 98042u, 131072u}) {
      v.push_back({"run_to_window_edge", Bytes(n, 'q')});
      v.push_back({"text_to_window_edge", Bytes(text.begin(), text.begin() + n)});
    }
  }
  return v;
}

const std::vector<Input>& all_inputs() {
  static const std::vector<Input> v = inputs();
  return v;
}

}  // namespace

// Every input at every level, with and without a stream that allows the stored fallback.
TEST(DeflateRoundTrip, EveryInputEveryLevelDecodesWithZlib) {
  auto d = std::make_unique<Deflater>();
  for (const Input& in : all_inputs()) {
    for (int level = 0; level <= 9; ++level) {
      for (bool seekable : {false, true}) {
        SCOPED_TRACE(std::string(in.name) + " level " + std::to_string(level) +
                     (seekable ? " seekable" : " stream"));
        Compressed c = compress(*d, in.data, level, seekable);
        ASSERT_EQ(c.r.code, zipvault::ZE_OK) << c.r.text;
        EXPECT_EQ(c.r.usize, in.data.size());
        EXPECT_EQ(c.r.csize, c.data.size());
        EXPECT_EQ(c.r.crc, zlib_crc(in.data));
        if (c.r.method == METHOD_STORED) {
          // Level 0, or the whole file did not compress (only when the header can be rewritten).
          EXPECT_TRUE(level == 0 || seekable);
          EXPECT_EQ(c.data, in.data);
          continue;
        }
        ASSERT_EQ(c.r.method, METHOD_DEFLATED);
        Bytes back;
        ASSERT_TRUE(zlib_inflate_raw(c.data, back, in.data.size()));
        EXPECT_EQ(back, in.data);
      }
    }
  }
}

// The general purpose flag bits of the level, and level 0 as store.
TEST(DeflateRoundTrip, LevelFlagsAndMethod) {
  Bytes text = make_text(5000);
  const uint16_t expected[10] = {0, 4, 4, 0, 0, 0, 0, 0, 2, 2};
  for (int level = 0; level <= 9; ++level) {
    Compressed c = compress(text, level);
    EXPECT_EQ(c.r.flags, expected[level]) << level;
    EXPECT_EQ(c.r.method, level == 0 ? METHOD_STORED : METHOD_DEFLATED) << level;
  }
}

// A file that does not compress goes out whole as stored data when the header can be rewritten,
// and as stored blocks otherwise.
TEST(DeflateRoundTrip, IncompressibleFileFallsBackToStore) {
  Bytes r = make_random(20000);
  Compressed seek = compress(r, 6, true);
  EXPECT_EQ(seek.r.method, METHOD_STORED);
  EXPECT_EQ(seek.r.csize, r.size());
  EXPECT_EQ(seek.data, r);

  Compressed stream = compress(r, 6, false);
  EXPECT_EQ(stream.r.method, METHOD_DEFLATED);
  // One stored block: 3 header bits padded to a byte, LEN and NLEN, the data.
  EXPECT_EQ(stream.data.size(), r.size() + 5);
  EXPECT_EQ(stream.data[0] & 7, 1);  // final, stored

  // An empty file through deflate: nothing to store, or the smallest fixed block.
  Compressed empty_seek = compress(Bytes{}, 9, true);
  EXPECT_EQ(empty_seek.r.method, METHOD_STORED);
  EXPECT_TRUE(empty_seek.data.empty());
  Compressed empty_stream = compress(Bytes{}, 9, false);
  EXPECT_EQ(empty_stream.data, (Bytes{0x03, 0x00}));

  // A large incompressible file spans several blocks, so it stays deflated with stored blocks.
  Bytes big = make_random(300000);
  Compressed b = compress(big, 6, true);
  EXPECT_EQ(b.r.method, METHOD_DEFLATED);
  EXPECT_LT(b.data.size(), big.size() + big.size() / 1000);
}

// A run of one byte: a single distance code in use, so the distance tree gets a forced second
// code; the stream still decodes.
TEST(DeflateRoundTrip, SingleRepeatedByteUsesCodedBlock) {
  Bytes b(100000, 0x41);
  for (int level = 1; level <= 9; ++level) {
    Compressed c = compress(b, level, true);
    ASSERT_EQ(c.r.method, METHOD_DEFLATED);
    int type = (c.data[0] >> 1) & 3;
    EXPECT_TRUE(type == 1 || type == 2) << level;
    EXPECT_LT(c.data.size(), 1000u) << level;
    Bytes back;
    ASSERT_TRUE(zlib_inflate_raw(c.data, back, b.size()));
    EXPECT_EQ(back, b);
  }
}

// The text guess of the first block.
TEST(DeflateRoundTrip, FileTypeGuess) {
  Compressed t = compress(make_text(10000), 6);
  EXPECT_EQ(t.r.att, zipvault::FILE_ASCII);
  Bytes high(10000);
  for (size_t i = 0; i < high.size(); ++i) high[i] = static_cast<uint8_t>(128 + (i * 7) % 128);
  Compressed h = compress(high, 6);
  EXPECT_EQ(h.r.att, zipvault::FILE_BINARY);
  Compressed s = compress(make_text(1000), 0);
  EXPECT_EQ(s.r.att, 0);
}

// The same input gives the same bytes: again on the same engine after other files, on a fresh
// engine, and whatever the pieces the input arrives in.
TEST(DeflateRoundTrip, Deterministic) {
  Bytes text = make_text(150000, 4);
  Bytes mixed = all_inputs()[12].data;
  for (int level : {1, 3, 4, 6, 9}) {
    SCOPED_TRACE(level);
    auto fresh = std::make_unique<Deflater>();
    Compressed a = compress(*fresh, text, level);
    auto used = std::make_unique<Deflater>();
    compress(*used, make_random(70000), level);
    compress(*used, mixed, level);
    Compressed b = compress(*used, text, level);
    EXPECT_EQ(a.data, b.data);
    for (size_t piece : {1u, 333u, 4096u, 70000u}) {
      Compressed p = compress(*used, text, level, false, piece);
      EXPECT_EQ(p.data, a.data) << "piece " << piece;
    }
  }
}

// The block builder's choices keep the stream within a few percent of zlib's at the same level.
TEST(DeflateRoundTrip, SizesCloseToZlibAtTheSameLevel) {
  struct Case {
    const char* name;
    Bytes data;
    double tolerance;
  };
  std::vector<Case> cases;
  cases.push_back({"text", make_text(1 << 20, 2), 0.02});
  cases.push_back({"board_bitmap", make_board_bitmap(1920, 1032), 0.03});
  cases.push_back({"text_and_random", all_inputs()[12].data, 0.02});
  for (const Case& c : cases) {
    for (int level = 1; level <= 9; ++level) {
      Compressed ours = compress(c.data, level);
      Bytes theirs = zlib_deflate_raw(c.data, level);
      double ratio = static_cast<double>(ours.data.size()) / static_cast<double>(theirs.size());
      EXPECT_NEAR(ratio, 1.0, c.tolerance) << c.name << " level " << level << ": " << ours.data.size()
                                           << " against zlib's " << theirs.size();
    }
  }
}
