// The legacy decoders on archives written by our own encoders (tests/ziplib/tools/
// make_legacy_zips.py) for the reduce factors and implode variants the old archivers' fixtures
// do not cover. The encoders' factor-4 and 8K/literal-tree output must decode like the rest:
// that ties them to the fixtures.
#include <gtest/gtest.h>

#include "decoder_test_util.h"
#include "ziplib/crc32.h"

using namespace ztest;

namespace {

std::string gen_dir() { return std::string(TEST_DATA_DIR) + "/ziplib/legacy-gen/"; }

struct GenCase {
  const char* archive;
  int method;
  uint16_t flags;
};

class LegacyGenerated : public ::testing::TestWithParam<GenCase> {};

TEST_P(LegacyGenerated, MembersDecodeToThePlainFiles) {
  const GenCase& gc = GetParam();
  Bytes zip = read_file(gen_dir() + gc.archive);
  auto members = read_members(zip);
  ASSERT_EQ(members.size(), 3u) << gc.archive;
  for (const Member& m : members) {
    EXPECT_EQ(m.method, gc.method);
    EXPECT_EQ(m.flags, gc.flags);
    Bytes plain = read_file((m.name == "edge.bin" ? gen_dir() : legacy_dir()) + m.name);
    ASSERT_EQ(plain.size(), m.ucsize) << m.name;
    for (size_t piece : {size_t{8192}, size_t{3}}) {
      Decoded d = decode(m.method, member_data(zip, m), m.ucsize, m.flags, piece);
      ASSERT_EQ(d.rc, 0) << gc.archive << " " << m.name;
      EXPECT_EQ(d.crc, m.crc) << m.name;
      EXPECT_TRUE(d.out == plain) << gc.archive << " " << m.name;
      EXPECT_EQ(d.used, m.csize) << m.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Archives, LegacyGenerated,
                         ::testing::Values(GenCase{"reduce1-gen.zip", 2, 0},
                                           GenCase{"reduce2-gen.zip", 3, 0},
                                           GenCase{"reduce3-gen.zip", 4, 0},
                                           GenCase{"reduce4-gen.zip", 5, 0},
                                           GenCase{"implode4k-nolit-gen.zip", 6, 0},
                                           GenCase{"implode4k-lit-gen.zip", 6, 4},
                                           GenCase{"implode8k-nolit-gen.zip", 6, 2},
                                           GenCase{"implode8k-lit-gen.zip", 6, 6}),
                         [](const auto& info) {
                           std::string n = info.param.archive;
                           for (auto& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
