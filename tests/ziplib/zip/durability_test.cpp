// A replaced archive reaches the disk before it takes the old one's place, and -l warns when the
// file it translates is binary.
#include "winplat_kernel.h"
#include "zip_test_util.h"

namespace ztest {
namespace {

class Durability : public ZipTest {};

TEST_F(Durability, TheNewArchiveIsFlushedBeforeTheRenameThatReachesTheDisk) {
  write_file("a.txt", text_bytes(5000));
  ASSERT_EQ(zip("board.zip a.txt"), 0);
  write_file("b.txt", text_bytes(7000));
  std::vector<std::string> steps;
  winplat::SetFileTraceHook([&](const std::string& s) { steps.push_back(s); });
  ASSERT_EQ(zip("-u board.zip b.txt"), 0);
  winplat::SetFileTraceHook({});
  const std::string archive = fs::canonical("board.zip").string();
  // The temporary archive: flushed, renamed over the archive, then the folder synced.
  ASSERT_EQ(steps.size(), 3u) << ::testing::PrintToString(steps);
  ASSERT_EQ(steps[0].rfind("flush ", 0), 0u) << steps[0];
  const std::string temp = steps[0].substr(6);
  EXPECT_EQ(fs::path(temp).parent_path(), fs::path(archive).parent_path());
  EXPECT_EQ(steps[1], "rename " + temp + " " + archive);
  EXPECT_EQ(steps[2], "sync-folder " + fs::path(archive).parent_path().string());
  EXPECT_FALSE(fs::exists(temp));
  verify("board.zip");
}

TEST_F(Durability, LineEndTranslationOfABinaryFileWarns) {
  write_file("bin.dat", random_bytes(20000));
  write_file("text.txt", text_bytes(20000));
  const std::u16string warning = u"zip warning: -l used on binary file\n";
  ASSERT_EQ(zip("-l t.zip text.txt"), 0);
  EXPECT_FALSE(shown(warning));
  ASSERT_EQ(zip("-l b.zip bin.dat"), 0);
  EXPECT_TRUE(shown(warning));
  // Stored files are not translated by the compressor's guess: no warning for them.
  answers_ = winplat::screen::InstallScriptedAnswerer();
  ASSERT_EQ(zip("-l -0 s.zip bin.dat"), 0);
  EXPECT_FALSE(shown(warning));
}

}  // namespace
}  // namespace ztest
