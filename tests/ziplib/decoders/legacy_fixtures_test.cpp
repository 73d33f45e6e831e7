// The legacy decoders against archives made by old DOS archivers.
#include <gtest/gtest.h>

#include "decoder_test_util.h"
#include "ziplib/crc32.h"

using namespace ztest;

namespace {

struct FixtureCase {
  const char* archive;
  int method;
  uint16_t flags;
};

class LegacyFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(LegacyFixture, EveryMemberDecodesToItsSizeAndCrc) {
  const FixtureCase& fc = GetParam();
  Bytes zip = read_file(legacy_dir() + fc.archive);
  ASSERT_FALSE(zip.empty()) << fc.archive;
  std::vector<Member> members = read_members(zip);
  ASSERT_FALSE(members.empty());
  int seen = 0;
  for (const Member& m : members) {
    if (m.method == 0) continue;  // a member the archiver kept stored
    ++seen;
    EXPECT_EQ(m.method, fc.method) << m.name;
    EXPECT_EQ(m.flags, fc.flags) << m.name;
    // Small input pieces too, so that codes straddle refills.
    for (size_t piece : {size_t{8192}, size_t{1}, size_t{7}}) {
      Decoded d = decode(m.method, member_data(zip, m), m.ucsize, m.flags, piece);
      ASSERT_EQ(d.rc, 0) << fc.archive << " " << m.name << " piece " << piece;
      EXPECT_EQ(d.out.size(), m.ucsize) << m.name;
      EXPECT_EQ(d.crc, m.crc) << m.name;
      EXPECT_EQ(zipvault::crc32(d.out.data(), d.out.size()), m.crc) << m.name;
      EXPECT_EQ(d.used, m.csize) << m.name;
    }
  }
  EXPECT_GT(seen, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Archives, LegacyFixture,
    ::testing::Values(FixtureCase{"shrink-first.zip", 1, 0}, FixtureCase{"shrink-bin2048.zip", 1, 0},
                      FixtureCase{"shrink-testdat.zip", 1, 0},
                      FixtureCase{"reduce4-first.zip", 5, 0}, FixtureCase{"reduce4-bin2048.zip", 5, 0},
                      FixtureCase{"reduce4-testdat.zip", 5, 0},
                      FixtureCase{"implode-first.zip", 6, 6}, FixtureCase{"implode-bin2048.zip", 6, 0},
                      FixtureCase{"implode8k-testdat.zip", 6, 6}),
    [](const auto& info) {
      std::string n = info.param.archive;
      for (auto& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

// The plain files beside the archives, byte for byte.
TEST(LegacyFixtures, MembersEqualThePlainFiles) {
  struct {
    const char* archive;
    const char* member;
    const char* plain;
  } cases[] = {
      {"shrink-first.zip", "FIRST.TXT", "first.txt"},
      {"reduce4-first.zip", "first.txt", "first.txt"},
      {"implode-first.zip", "first.txt", "first.txt"},
      {"shrink-testdat.zip", "TESTDAT1.TXT", "TESTDAT1.TXT"},
      {"shrink-testdat.zip", "TESTDAT2.TXT", "TESTDAT2.TXT"},
      {"shrink-testdat.zip", "TESTDAT3.TXT", "TESTDAT3.TXT"},
      {"reduce4-testdat.zip", "TESTDAT1.TXT", "TESTDAT1.TXT"},
      {"reduce4-testdat.zip", "TESTDAT3.TXT", "TESTDAT3.TXT"},
      {"implode8k-testdat.zip", "TESTDAT1.TXT", "TESTDAT1.TXT"},
      {"implode8k-testdat.zip", "TESTDAT2.TXT", "TESTDAT2.TXT"},
      {"implode8k-testdat.zip", "TESTDAT3.TXT", "TESTDAT3.TXT"},
  };
  for (const auto& c : cases) {
    Bytes zip = read_file(legacy_dir() + c.archive);
    Bytes plain = read_file(legacy_dir() + c.plain);
    ASSERT_FALSE(plain.empty()) << c.plain;
    bool found = false;
    for (const Member& m : read_members(zip)) {
      if (m.name != c.member) continue;
      found = true;
      Decoded d = decode(m.method, member_data(zip, m), m.ucsize, m.flags);
      ASSERT_EQ(d.rc, 0) << c.archive << " " << c.member;
      EXPECT_TRUE(d.out == plain) << c.archive << " " << c.member;
    }
    EXPECT_TRUE(found) << c.archive << " " << c.member;
  }
}

// The 2048-byte member has no plain file: the three methods must agree on it.
TEST(LegacyFixtures, TheThreeMethodsAgreeOnTheBinaryMember) {
  std::vector<Bytes> outs;
  for (const char* a : {"shrink-bin2048.zip", "reduce4-bin2048.zip", "implode-bin2048.zip"}) {
    Bytes zip = read_file(legacy_dir() + a);
    auto ms = read_members(zip);
    ASSERT_EQ(ms.size(), 1u);
    Decoded d = decode(ms[0].method, member_data(zip, ms[0]), ms[0].ucsize, ms[0].flags);
    ASSERT_EQ(d.rc, 0) << a;
    EXPECT_EQ(d.crc, 0x8314ddd9u) << a;
    outs.push_back(d.out);
  }
  EXPECT_EQ(outs[0], outs[1]);
  EXPECT_EQ(outs[0], outs[2]);
}

}  // namespace
