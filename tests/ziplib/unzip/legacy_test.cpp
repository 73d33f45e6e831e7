// The legacy methods through the whole engine: archives of old archivers and of the generator.
#include "unzip_test_util.h"

using namespace utest;

namespace {

std::string legacy(const std::string& n) { return std::string(TEST_DATA_DIR) + "/ziplib/legacy/" + n; }

TEST_F(UnzipTest, LegacyFixturesExtractByteForByte) {
  struct Case {
    const char* archive;
    std::vector<std::pair<const char*, const char*>> members;   // member, plain file
  } cases[] = {
      {"shrink-first.zip", {{"FIRST.TXT", "first.txt"}}},
      {"reduce4-first.zip", {{"first.txt", "first.txt"}}},
      {"implode-first.zip", {{"first.txt", "first.txt"}}},
      {"shrink-testdat.zip", {{"TESTDAT1.TXT", "TESTDAT1.TXT"}, {"TESTDAT2.TXT", "TESTDAT2.TXT"}, {"TESTDAT3.TXT", "TESTDAT3.TXT"}}},
      {"reduce4-testdat.zip", {{"TESTDAT1.TXT", "TESTDAT1.TXT"}, {"TESTDAT2.TXT", "TESTDAT2.TXT"}, {"TESTDAT3.TXT", "TESTDAT3.TXT"}}},
      {"implode8k-testdat.zip", {{"TESTDAT1.TXT", "TESTDAT1.TXT"}, {"TESTDAT2.TXT", "TESTDAT2.TXT"}, {"TESTDAT3.TXT", "TESTDAT3.TXT"}}},
  };
  for (const auto& c : cases) {
    std::string dest = fresh("legacy");
    EXPECT_EQ(unzip("-x \"" + legacy(c.archive) + "\" " + dest + "/"), 0) << c.archive;
    for (auto& [member, plain] : c.members)
      EXPECT_EQ(read_file(dest + "/" + member), read_file(legacy(plain))) << c.archive << " " << member;
  }
  // The 2048-byte member: by CRC (checked by the engine) and by agreement of the three archives.
  std::string first;
  for (auto [archive, member] : {std::pair{"shrink-bin2048.zip", "S.BIN"}, std::pair{"reduce4-bin2048.zip", "R.BIN"},
                                 std::pair{"implode-bin2048.zip", "I.BIN"}}) {
    HGLOBAL block = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(UnzipExtractToMem(nullptr, legacy(archive).c_str(), member, &block, &size), 0) << archive;
    std::string data(static_cast<const char*>(GlobalLock(block)), size);
    GlobalUnlock(block);
    GlobalFree(block);
    EXPECT_EQ(data.size(), 2048u);
    if (first.empty()) first = data;
    EXPECT_EQ(data, first) << archive;
  }
}

TEST_F(UnzipTest, GeneratedLegacyArchivesTestClean) {
  for (const char* n : {"reduce1-gen.zip", "reduce2-gen.zip", "reduce3-gen.zip", "reduce4-gen.zip",
                        "implode4k-lit-gen.zip", "implode4k-nolit-gen.zip", "implode8k-lit-gen.zip",
                        "implode8k-nolit-gen.zip"}) {
    std::string path = std::string(TEST_DATA_DIR) + "/ziplib/legacy-gen/" + n;
    EXPECT_EQ(unzip("-t \"" + path + "\""), 0) << n;
    std::string dest = fresh("gen");
    EXPECT_EQ(unzip("-x \"" + path + "\" " + dest), 0) << n;
    EXPECT_EQ(read_file(dest + "/edge.bin"), read_file(std::string(TEST_DATA_DIR) + "/ziplib/legacy-gen/edge.bin")) << n;
  }
}

}  // namespace
