// inflate against raw deflate streams made by zlib, and against crafted damaged streams.
#include <gtest/gtest.h>
#include <zlib.h>

#include "decoder_test_util.h"
#include "deflate_writer.h"
#include "ziplib/consts.h"

using namespace ztest;
using zipvault::METHOD_DEFLATED;

namespace {

Bytes zlib_deflate(const Bytes& in, int level, int strategy = Z_DEFAULT_STRATEGY, int mem = 8) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, mem, strategy), Z_OK);
  Bytes out(deflateBound(&z, in.size()) + 16);
  z.next_in = const_cast<uint8_t*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

uint32_t zcrc(const Bytes& b) { return static_cast<uint32_t>(::crc32(0, b.data(), static_cast<uInt>(b.size()))); }

Decoded run(const Bytes& stream, size_t piece = 8192) { return decode(METHOD_DEFLATED, stream, 0, 0, piece); }

// Data shapes that reach every path of the decoder: stored, fixed and dynamic blocks, runs,
// long matches, distances up to the window size, output across many window flushes.
struct Shape {
  const char* name;
  Bytes data;
};

std::vector<Shape> shapes() {
  std::vector<Shape> s;
  s.push_back({"empty", {}});
  s.push_back({"one_byte", {'x'}});
  s.push_back({"text_300k", text_bytes(300000, 1)});
  s.push_back({"random_100k", random_bytes(100000, 2)});
  s.push_back({"run_200k", Bytes(200000, 'a')});
  // A random block repeated at distances just under the window size.
  Bytes far = random_bytes(32000, 3);
  Bytes rep = far;
  for (int i = 0; i < 4; ++i) rep.insert(rep.end(), far.begin(), far.end());
  s.push_back({"repeat_far", rep});
  // Short-period patterns: overlapping copies with distances 2..9.
  Bytes pat;
  for (int p = 2; p < 10; ++p)
    for (int i = 0; i < 5000; ++i) pat.push_back(static_cast<uint8_t>('A' + i % p));
  s.push_back({"periods", pat});
  return s;
}

TEST(Inflate, ZlibStreamsOfEveryLevelAndStrategy) {
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  for (const Shape& sh : shapes()) {
    for (int level = 0; level <= 9; ++level) {
      for (int strategy : strategies) {
        if (level == 0 && strategy != Z_DEFAULT_STRATEGY) continue;
        Bytes z = zlib_deflate(sh.data, level, strategy);
        Decoded d = run(z);
        ASSERT_EQ(d.rc, 0) << sh.name << " level " << level << " strategy " << strategy;
        ASSERT_TRUE(d.out == sh.data) << sh.name << " level " << level << " strategy " << strategy;
        EXPECT_EQ(d.crc, zcrc(sh.data));
        EXPECT_EQ(d.used, z.size()) << sh.name;
      }
    }
  }
}

TEST(Inflate, InputInTinyPiecesAndTheWholeAtOnce) {
  Bytes data = text_bytes(100000, 7);
  Bytes z = zlib_deflate(data, 6);
  Bytes s = zlib_deflate(data, 0);
  for (size_t piece : {size_t{1}, size_t{3}, size_t{8}, size_t{9}, size_t{4096}, z.size()}) {
    Decoded d = run(z, piece);
    ASSERT_EQ(d.rc, 0) << piece;
    EXPECT_TRUE(d.out == data) << piece;
    Decoded ds = run(s, piece);
    ASSERT_EQ(ds.rc, 0) << piece;
    EXPECT_TRUE(ds.out == data) << piece;
  }
}

TEST(Inflate, OutputLeavesInWholeWindows) {
  // 100000 stored bytes: pieces of 32768, 32768, 32768 and 1696.
  Bytes data = random_bytes(100000, 9);
  struct Recorder : zipvault::MemoryEntryIO {
    using MemoryEntryIO::MemoryEntryIO;
    std::vector<size_t> sizes;
    int write_output(const uint8_t* b, size_t n) override {
      sizes.push_back(n);
      return MemoryEntryIO::write_output(b, n);
    }
  };
  Bytes z = zlib_deflate(data, 0);
  Recorder io(z);
  ASSERT_EQ(zipvault::inflate(io), 0);
  EXPECT_EQ(io.sizes, (std::vector<size_t>{32768, 32768, 32768, 1696}));
  EXPECT_TRUE(io.out == data);
}

TEST(Inflate, CancelAndWriteFailureStopTheDecoder) {
  Bytes data = text_bytes(200000, 4);
  Bytes z = zlib_deflate(data, 6);
  struct Cancelling : zipvault::MemoryEntryIO {
    using MemoryEntryIO::MemoryEntryIO;
    bool cancelled() const override { return flushes >= 2; }
  };
  Cancelling c(z);
  EXPECT_EQ(zipvault::inflate(c), zipvault::INFLATE_STOP);
  EXPECT_EQ(c.flushes, 2u);

  zipvault::MemoryEntryIO full(z);
  full.out_limit = 40000;
  EXPECT_EQ(zipvault::inflate(full), zipvault::PK_DISK);
}

// ---- crafted streams ------------------------------------------------------------------------

std::vector<Sym> lits(const char* s) {
  std::vector<Sym> v;
  for (; *s; ++s) v.push_back({static_cast<uint8_t>(*s)});
  return v;
}
std::vector<Sym> operator+(std::vector<Sym> a, const std::vector<Sym>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
const std::vector<Sym> END = {{256}};

Bytes fixed(const std::vector<Sym>& syms) {
  BitWriter w;
  fixed_block(w, syms);
  return w.bytes;
}

TEST(Inflate, CraftedValidStreams) {
  // Length code 285 copies 258 bytes with no extra bits.
  {
    Decoded d = run(fixed(lits("ab") + std::vector<Sym>{{258, 2}} + END));
    ASSERT_EQ(d.rc, 0);
    ASSERT_EQ(d.out.size(), 260u);
    for (size_t i = 0; i < d.out.size(); ++i) EXPECT_EQ(d.out[i], "ab"[i % 2]);
  }
  // A distance of exactly 32768, reaching back across the window's wrap point.
  {
    Bytes head = random_bytes(33000, 11);
    std::vector<Sym> syms;
    for (auto c : head) syms.push_back({c});
    syms.push_back({258, 32768});
    syms.push_back({100, 32768});
    syms = syms + END;
    Decoded d = run(fixed(syms));
    ASSERT_EQ(d.rc, 0);
    ASSERT_EQ(d.out.size(), 33000u + 358u);
    for (size_t i = 0; i < 358; ++i) ASSERT_EQ(d.out[33000 + i], d.out[33000 + i - 32768]) << i;
  }
  // A distance reaching over the wrap from just after it.
  {
    Bytes head = random_bytes(32770, 12);
    std::vector<Sym> syms;
    for (auto c : head) syms.push_back({c});
    syms.push_back({50, 10});
    Decoded d = run(fixed(syms + END));
    ASSERT_EQ(d.rc, 0);
    for (size_t i = 0; i < 50; ++i) ASSERT_EQ(d.out[32770 + i], d.out[32760 + i]);
  }
  // One distance code of one bit, and no distance code at all: both legal.
  {
    std::vector<uint8_t> ll(257, 0);
    ll['a'] = 1, ll[256] = 2, ll.push_back(2);  // 'a', end, length 3
    BitWriter w;
    dynamic_block(w, lits("aa") + std::vector<Sym>{{3, 1}} + END, ll, {1});
    Decoded d = run(w.bytes);
    ASSERT_EQ(d.rc, 0);
    EXPECT_EQ(std::string(d.out.begin(), d.out.end()), "aaaaa");

    std::vector<uint8_t> l2(257, 0);
    l2['x'] = 1, l2[256] = 1;
    BitWriter w2;
    dynamic_block(w2, lits("xxx") + END, l2, {0});
    Decoded d2 = run(w2.bytes);
    ASSERT_EQ(d2.rc, 0);
    EXPECT_EQ(std::string(d2.out.begin(), d2.out.end()), "xxx");
  }
  // A stored block of 0 bytes, then one of 65535, then fixed: blocks follow each other.
  {
    BitWriter w;
    stored_block(w, {}, false);
    Bytes big = random_bytes(65535, 13);
    stored_block(w, big, false);
    fixed_block(w, lits("end") + END);
    Decoded d = run(w.bytes);
    ASSERT_EQ(d.rc, 0);
    ASSERT_EQ(d.out.size(), 65538u);
    EXPECT_TRUE(std::equal(big.begin(), big.end(), d.out.begin()));
  }
}

struct BadCase {
  const char* name;
  Bytes stream;
  int rc;  // expected code
};

std::vector<BadCase> bad_cases() {
  std::vector<BadCase> v;
  v.push_back({"empty_input", {}, 1});
  v.push_back({"block_type_3", {0x07}, 2});
  {
    BitWriter w;
    stored_block(w, {1, 2, 3, 4, 5}, true, 0x0000);
    v.push_back({"stored_len_nlen_mismatch", w.bytes, 1});
  }
  {
    BitWriter w;
    stored_block(w, Bytes(100, 7));
    w.bytes.resize(w.bytes.size() - 1);
    v.push_back({"stored_short", w.bytes, 1});
  }
  v.push_back({"distance_before_start", fixed(lits("a") + std::vector<Sym>{{3, 2}} + END), 1});
  v.push_back({"distance_before_start_far",
               fixed(lits("abcdefgh") + std::vector<Sym>{{3, 32768}} + END), 1});
  {
    Sym s{0};
    s.raw_len_code = 286;
    v.push_back({"length_code_286", fixed(lits("a") + std::vector<Sym>{s} + END), 1});
    s.raw_len_code = 287;
    v.push_back({"length_code_287", fixed(lits("a") + std::vector<Sym>{s} + END), 1});
  }
  for (int code : {30, 31}) {
    Sym s{3};
    s.raw_dist_code = code;
    v.push_back({code == 30 ? "distance_code_30" : "distance_code_31",
                 fixed(lits("abc") + std::vector<Sym>{s} + END), 1});
  }
  std::vector<uint8_t> ok_ll(257, 0);
  ok_ll['a'] = 1, ok_ll[256] = 1;
  {
    std::vector<uint8_t> ll(286, 1);  // 286 codes of one bit
    BitWriter w;
    dynamic_block(w, END, ll, {1});
    v.push_back({"literal_lengths_oversubscribed", w.bytes, 2});
  }
  {
    BitWriter w;
    std::vector<uint8_t> clen(19, 1);
    dynamic_block(w, END, ok_ll, {1}, true, clen);
    v.push_back({"code_length_code_oversubscribed", w.bytes, 2});
  }
  {
    BitWriter w;
    std::vector<uint8_t> clen(19, 0);
    clen[0] = clen[1] = clen[2] = 3;  // three codes of three bits: incomplete
    dynamic_block(w, END, std::vector<uint8_t>(257, 0), {0}, true, clen);
    v.push_back({"code_length_code_incomplete", w.bytes, 1});
  }
  {
    std::vector<uint8_t> ll(257, 0);
    ll['a'] = 2, ll[256] = 2;  // two codes of two bits: incomplete, not the single-code case
    BitWriter w;
    dynamic_block(w, lits("a") + END, ll, {1});
    v.push_back({"literal_lengths_incomplete", w.bytes, 1});
  }
  {
    std::vector<uint8_t> dl(30, 0);
    dl[0] = 2, dl[1] = 2;
    BitWriter w;
    dynamic_block(w, END, ok_ll, dl);
    v.push_back({"distance_lengths_incomplete", w.bytes, 1});
  }
  {
    std::vector<uint8_t> ll(257, 0);
    ll['a'] = 1, ll['b'] = 1;  // no end-of-block code
    BitWriter w;
    dynamic_block(w, lits("ab"), ll, {1});
    v.push_back({"no_end_of_block_code", w.bytes, 1});
  }
  {
    BitWriter w;  // HLIT = 30: 287 literal/length codes
    w.put(1, 1), w.put(2, 2), w.put(30, 5), w.put(0, 5), w.put(15, 4);
    for (int i = 0; i < 19; ++i) w.put(4, 3);
    v.push_back({"hlit_287", w.bytes, 1});
  }
  {
    BitWriter w;  // HDIST = 31: 32 distance codes
    w.put(1, 1), w.put(2, 2), w.put(0, 5), w.put(31, 5), w.put(15, 4);
    for (int i = 0; i < 19; ++i) w.put(4, 3);
    v.push_back({"hdist_32", w.bytes, 1});
  }
  {
    // Code-length symbols written by hand: 16 first (nothing to repeat), and 18 running past the end.
    std::vector<uint8_t> clen(19, 0);
    clen[16] = clen[18] = clen[1] = clen[0] = 2;
    auto cc = canonical(clen);
    static const unsigned order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    auto header = [&](BitWriter& w) {
      w.put(1, 1), w.put(2, 2), w.put(0, 5), w.put(0, 5), w.put(15, 4);
      for (unsigned i = 0; i < 19; ++i) w.put(clen[order[i]], 3);
    };
    BitWriter a;
    header(a);
    a.put_code(cc[16], 2), a.put(0, 2);
    v.push_back({"repeat_with_nothing_before", a.bytes, 1});
    BitWriter b;
    header(b);
    for (int i = 0; i < 3; ++i) b.put_code(cc[18], 2), b.put(127, 7);  // 3 x 138 > 258
    v.push_back({"repeat_past_the_end", b.bytes, 1});
  }
  // A last block that is missing its end: input ends while codes are still expected.
  {
    Bytes z = fixed(lits("hello"));
    v.push_back({"no_end_code", z, 1});
  }
  return v;
}

TEST(Inflate, DamagedStreamsGiveTheirCodes) {
  for (const BadCase& c : bad_cases()) {
    for (size_t piece : {size_t{8192}, size_t{1}}) {
      Decoded d = run(c.stream, piece);
      EXPECT_EQ(d.rc, c.rc) << c.name << " piece " << piece;
    }
  }
}

// Every cut of valid streams (stored, fixed and dynamic blocks) ends with a non-zero code.
TEST(Inflate, TruncatedAtEveryCutPoint) {
  Bytes data = text_bytes(20000, 5);
  BitWriter w;
  stored_block(w, Bytes(data.begin(), data.begin() + 300), false);
  fixed_block(w, lits("fixed block between") + std::vector<Sym>{{20, 5}} + END, false);
  Bytes z = w.bytes;
  Bytes dyn = zlib_deflate(data, 9);
  // Make the stored and fixed blocks non-final prefix: zlib's stream starts on a byte boundary
  // only when the previous block ends on one, so join them with an empty stored block.
  BitWriter j;
  stored_block(j, Bytes(data.begin(), data.begin() + 300), false);
  fixed_block(j, lits("fixed block between") + std::vector<Sym>{{20, 5}} + END, false);
  stored_block(j, {}, false);
  Bytes joined = j.bytes;
  joined.insert(joined.end(), dyn.begin(), dyn.end());
  Decoded whole = run(joined);
  ASSERT_EQ(whole.rc, 0);
  for (size_t cut = 0; cut < joined.size(); ++cut) {
    Bytes part(joined.begin(), joined.begin() + cut);
    Decoded d = run(part, cut % 2 ? 1 : 8192);
    ASSERT_NE(d.rc, 0) << "cut at " << cut << " of " << joined.size();
  }
}

// A stream that has everything but a few of its last bits still fails; trailing bytes after the
// last block are left unused.
TEST(Inflate, TrailingBytesAreNotConsumed) {
  Bytes data = text_bytes(5000, 6);
  Bytes z = zlib_deflate(data, 6);
  Bytes more = z;
  more.insert(more.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  Decoded d = run(more);
  ASSERT_EQ(d.rc, 0);
  EXPECT_TRUE(d.out == data);
  EXPECT_EQ(d.used, z.size());
}

}  // namespace
