// The legacy decoders on damaged and hostile streams: every one ends with a non-zero code,
// reads nothing outside its input and stops at the end of it.
#include <gtest/gtest.h>

#include "decoder_test_util.h"
#include "deflate_writer.h"
#include "ziplib/consts.h"

using namespace ztest;
using namespace zipvault;

namespace {

std::string text(const Decoded& d) { return std::string(d.out.begin(), d.out.end()); }

// ---- unshrink -----------------------------------------------------------------------------

Bytes shrink_codes(std::initializer_list<std::pair<unsigned, unsigned>> codes) {
  BitWriter w;
  for (auto [code, bits] : codes) w.put(code, bits);
  return w.bytes;
}

TEST(Unshrink, KwKwKAndWidening) {
  // 'a', then 257 before it is defined: "a" + "aa".
  Decoded d = decode(METHOD_SHRUNK, shrink_codes({{'a', 9}, {257, 9}}), 3);
  ASSERT_EQ(d.rc, 0);
  EXPECT_EQ(text(d), "aaa");
  // Widening to 10 bits, then a code of 10 bits.
  d = decode(METHOD_SHRUNK, shrink_codes({{'x', 9}, {'y', 9}, {256, 9}, {1, 9}, {257, 10}}), 4);
  ASSERT_EQ(d.rc, 0);
  EXPECT_EQ(text(d), "xyxy");
}

TEST(Unshrink, PartialClearFreesLeavesOnly) {
  // a b c ab c: 257=ab 258=bc 259=ca 260=abc. The clear frees the leaves 258, 259 and 260; 257
  // stays, being the parent of 260. Then: 257 "ab" (258 := "ca", the lowest free code), 258 "ca"
  // (259 := "abc"), 259 "abc".
  Bytes s = shrink_codes({{'a', 9}, {'b', 9}, {'c', 9}, {257, 9}, {'c', 9}, {256, 9}, {2, 9},
                          {257, 9}, {258, 9}, {259, 9}});
  Decoded d = decode(METHOD_SHRUNK, s, 13);
  ASSERT_EQ(d.rc, 0);
  EXPECT_EQ(text(d), "abcabcabcaabc");

  // a b c ab: every code above 256 is a leaf and the clear frees them all, the previous code
  // 257 too. The next string would then hang off a freed code and link to itself.
  Bytes loop = shrink_codes({{'a', 9}, {'b', 9}, {'c', 9}, {257, 9}, {256, 9}, {2, 9}, {'d', 9},
                             {257, 9}});
  Decoded l = decode(METHOD_SHRUNK, loop, 100);
  EXPECT_EQ(l.rc, PK_ERR);
}

struct ShrinkBad {
  const char* name;
  Bytes stream;
  uint64_t ucsize;
};

TEST(Unshrink, DamagedStreams) {
  std::vector<ShrinkBad> cases = {
      {"empty", {}, 5},
      {"first_code_escape", shrink_codes({{256, 9}, {1, 9}, {'a', 10}}), 5},
      {"first_code_undefined", shrink_codes({{300, 9}}), 5},
      {"undefined_code_not_next", shrink_codes({{'a', 9}, {300, 9}}), 5},
      {"unknown_subcode", shrink_codes({{'a', 9}, {256, 9}, {3, 9}, {'b', 9}}), 5},
      {"subcode_zero", shrink_codes({{'a', 9}, {256, 9}, {0, 9}, {'b', 9}}), 5},
      {"width_past_13", shrink_codes({{'a', 9}, {256, 9}, {1, 9}, {256, 10}, {1, 10}, {256, 11},
                                      {1, 11}, {256, 12}, {1, 12}, {256, 13}, {1, 13}, {'b', 14}}),
       5},
      {"ends_before_the_size", shrink_codes({{'a', 9}, {'b', 9}}), 1000},
      {"escape_at_the_end", shrink_codes({{'a', 9}, {256, 9}}), 5},
  };
  for (const auto& c : cases) {
    for (size_t piece : {size_t{8192}, size_t{1}}) {
      Decoded d = decode(METHOD_SHRUNK, c.stream, c.ucsize, 0, piece);
      EXPECT_EQ(d.rc, PK_ERR) << c.name;
    }
  }
}

// A long chain of self-extending strings and random codes: never more than the stack holds,
// never a read outside the dictionary.
TEST(Unshrink, RandomCodesNeverEscape) {
  for (uint32_t seed = 0; seed < 200; ++seed) {
    Bytes s = random_bytes(2000, seed);
    Decoded d = decode(METHOD_SHRUNK, s, 1u << 20);
    EXPECT_NE(d.rc, 0);
  }
}

// ---- unreduce -----------------------------------------------------------------------------

// Follower sets given per byte (the rest empty), then the bytes of `body` through the state
// machine with the sets unused (every byte plain).
Bytes reduce_stream(const std::vector<std::pair<int, std::vector<uint8_t>>>& sets,
                    const std::vector<uint8_t>& plain, int count_override = -1) {
  BitWriter w;
  for (int j = 255; j >= 0; --j) {
    const std::vector<uint8_t>* set = nullptr;
    for (const auto& [k, s] : sets)
      if (k == j) set = &s;
    unsigned n = set ? static_cast<unsigned>(set->size()) : 0;
    w.put(set && count_override >= 0 ? count_override : n, 6);
    if (set)
      for (auto c : *set) w.put(c, 8);
  }
  for (auto c : plain) w.put(c, 8);  // empty follower sets throughout: 8 plain bits each
  return w.bytes;
}

TEST(Unreduce, EmptyFollowerSetsGivePlainBytes) {
  Bytes s = reduce_stream({}, {'h', 'e', 'l', 'l', 'o'});
  for (int method = 2; method <= 5; ++method) {
    Decoded d = decode(method, s, 5);
    ASSERT_EQ(d.rc, 0) << method;
    EXPECT_EQ(text(d), "hello");
  }
}

TEST(Unreduce, DleEscapesAndMatches) {
  // Factor 4: "abc", DLE 0 (a literal 144), then DLE V=0x02 C=2: length 2 + 3, distance 3.
  Bytes s = reduce_stream({}, {'a', 'b', 'c', 144, 0, 144, 0x02, 2});
  Decoded d = decode(5, s, 9);
  ASSERT_EQ(d.rc, 0);
  EXPECT_EQ(d.out, (Bytes{'a', 'b', 'c', 144, 'b', 'c', 144, 'b', 'c'}));
  // A match reaching before the output start copies zeros, never earlier window contents.
  Bytes far = reduce_stream({}, {'z', 144, 0x01, 200});
  Decoded z = decode(5, far, 5);
  ASSERT_EQ(z.rc, 0);
  EXPECT_EQ(z.out, (Bytes{'z', 0, 0, 0, 0}));
}

// Index widths: a set of 1 still takes 1 bit, a set of 2 one bit, a set of 32 five; a flag bit
// of 1 in front of a non-empty set means a plain byte, and an empty set has no flag bit.
TEST(Unreduce, FollowerSetIndexWidths) {
  BitWriter w;
  for (int j = 255; j >= 0; --j) {
    if (j == 0) {
      w.put(1, 6), w.put('q', 8);
    } else if (j == 'q') {
      w.put(2, 6), w.put('r', 8), w.put('s', 8);
    } else if (j == 's') {
      w.put(32, 6);
      for (int k = 0; k < 32; ++k) w.put('A' + k, 8);
    } else {
      w.put(0, 6);
    }
  }
  w.put(0, 1), w.put(0, 1);   // 'q': set of byte 0, index 0 in 1 bit
  w.put(0, 1), w.put(1, 1);   // 's': set of 'q', index 1
  w.put(0, 1), w.put(31, 5);  // '`': set of 's', index 31
  w.put('z', 8);              // set of '`' is empty: 8 plain bits
  w.put('s', 8);              // set of 'z' is empty too
  w.put(1, 1), w.put('!', 8); // set of 's' is not empty: flag 1, then a plain byte
  Decoded d = decode(5, w.bytes, 6);
  ASSERT_EQ(d.rc, 0);
  EXPECT_EQ(text(d), "qs`zs!");
}

TEST(Unreduce, DamagedStreams) {
  struct Case {
    const char* name;
    Bytes stream;
    int method;
    uint64_t ucsize;
  } cases[] = {
      {"follower_set_of_33", reduce_stream({{255, Bytes(33, 'x')}}, {}), 5, 10},
      {"follower_set_of_63", reduce_stream({{7, Bytes(40, 'x')}}, {}, 63), 5, 10},
      {"ends_before_the_size", reduce_stream({}, {'a', 'b'}), 5, 1000},
      {"ends_in_the_sets", Bytes(100, 0), 5, 10},
      {"empty", {}, 2, 10},
      {"method_6", reduce_stream({}, {'a'}), 6, 1},
      {"method_1", reduce_stream({}, {'a'}), 1, 1},
  };
  for (const auto& c : cases) {
    zipvault::MemoryEntryIO io(c.stream);
    io.method = static_cast<uint16_t>(c.method);
    io.ucsize = c.ucsize;
    EXPECT_EQ(unreduce(io), PK_ERR) << c.name;
  }
  // An index outside a set of three (indexes take 2 bits; 3 is outside).
  BitWriter w;
  for (int j = 255; j >= 0; --j) {
    if (j == 0) {
      w.put(3, 6);
      w.put('p', 8), w.put('q', 8), w.put('r', 8);
    } else {
      w.put(0, 6);
    }
  }
  w.put(0, 1);  // use the set of byte 0 (the last byte starts as 0)
  w.put(3, 2);
  Decoded d = decode(5, w.bytes, 4);
  EXPECT_EQ(d.rc, PK_ERR);
}

// ---- explode ------------------------------------------------------------------------------

TEST(Explode, DamagedTreesAndStreams) {
  // 64 lengths as one byte: repeat 16 x 4 bytes would be exact; five bytes give 80: too many.
  Bytes many = {4, 0xF5, 0xF5, 0xF5, 0xF5, 0xF5};
  Bytes few = {0, 0xF5};  // 16 lengths for a tree of 64
  struct Case {
    const char* name;
    Bytes stream;
    uint16_t flags;
    int rc;
  } cases[] = {
      {"too_many_lengths", many, 0, EXPLODE_BAD_TREE},
      {"too_few_lengths", few, 0, EXPLODE_BAD_TREE},
      {"empty", {}, 0, INFLATE_BAD},
      {"literal_tree_cut", {255, 0x11}, FLAG_IMPLODE_LITTREE, INFLATE_BAD},
  };
  for (const auto& c : cases) {
    Decoded d = decode(METHOD_IMPLODED, c.stream, 100, c.flags);
    EXPECT_EQ(d.rc, c.rc) << c.name;
  }
  // Over-subscribed: 64 codes of one bit.
  Bytes over = {3, 0xF0, 0xF0, 0xF0, 0xF0};
  Decoded d = decode(METHOD_IMPLODED, over, 100);
  EXPECT_EQ(d.rc, HUFT_BAD);
}

// ---- all three: cut points and bit flips of the fixtures ---------------------------------

TEST(LegacyHostile, FixturesCutAtEveryPointFailCleanly) {
  for (const char* a : {"shrink-first.zip", "reduce4-first.zip", "implode-first.zip",
                        "implode-bin2048.zip", "shrink-bin2048.zip", "reduce4-bin2048.zip"}) {
    Bytes zip = read_file(legacy_dir() + a);
    Member m = read_members(zip).at(0);
    Bytes data = member_data(zip, m);
    for (size_t cut = 0; cut < data.size(); ++cut) {
      Bytes part(data.begin(), data.begin() + cut);
      Decoded d = decode(m.method, part, m.ucsize, m.flags, cut % 3 ? 8192 : 5);
      EXPECT_NE(d.rc, 0) << a << " cut at " << cut;
      EXPECT_LE(d.out.size(), m.ucsize);
    }
  }
}

TEST(LegacyHostile, FlippedBitsNeverOverrunTheStatedSize) {
  for (const char* a : {"shrink-first.zip", "reduce4-first.zip", "implode-first.zip",
                        "implode-bin2048.zip"}) {
    Bytes zip = read_file(legacy_dir() + a);
    Member m = read_members(zip).at(0);
    Bytes data = member_data(zip, m);
    for (size_t bit = 0; bit < data.size() * 8; bit += 7) {
      Bytes f = data;
      f[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
      Decoded d = decode(m.method, f, m.ucsize, m.flags);
      EXPECT_LE(d.out.size(), m.ucsize);
      if (d.rc == 0 && d.out.size() == m.ucsize) continue;  // damage shows in the CRC
      EXPECT_NE(d.rc, 0) << a << " bit " << bit;
    }
  }
}

// Explode reports data left over after the stated size with 5 and the count it used.
TEST(LegacyHostile, ExplodeReportsUnusedData) {
  Bytes zip = read_file(legacy_dir() + "implode-first.zip");
  Member m = read_members(zip).at(0);
  Bytes data = member_data(zip, m);
  data.insert(data.end(), {0xAA, 0xBB, 0xCC});
  Decoded d = decode(m.method, data, m.ucsize, m.flags);
  EXPECT_EQ(d.rc, EXPLODE_SIZE);
  EXPECT_EQ(d.used, m.csize);
  EXPECT_EQ(d.crc, m.crc);
}

}  // namespace

namespace {

// An entry of no bytes needs no data: every decoder ends at once with an empty output.
TEST(LegacyEdge, EmptyEntries) {
  for (int method : {1, 2, 5, 6}) {
    Decoded d = decode(method, {}, 0);
    EXPECT_EQ(d.rc, 0) << method;
    EXPECT_TRUE(d.out.empty());
    EXPECT_EQ(d.crc, 0u);
  }
}

}  // namespace
