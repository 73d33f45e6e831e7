// Archives of this library's own Zip command extracted again: every level, stored and deflated,
// folders, and the blackboard's own save and open command lines.
#include <random>

#include "unzip_test_util.h"
#include "ziplib/zip.h"

using namespace utest;

namespace {

TEST_F(UnzipTest, OwnZipArchivesExtractByteForByte) {
  fs::remove_all("rt");
  std::mt19937 g(3);
  std::string rnd(70000, '\0');
  for (char& c : rnd) c = static_cast<char>(g());
  std::string txt;
  while (txt.size() < 120000) txt += "the teacher draws a green line on the board\n";
  const std::pair<const char*, std::string> files[] = {
      {"rt/src/a.txt", txt}, {"rt/src/sub/r.bin", rnd}, {"rt/src/e.txt", ""}, {"rt/src/one.txt", "1"}};
  for (auto& [n, d] : files) write_file(n, d);
  for (const char* level : {"-0", "-1", "-6", "-9"}) {
    SCOPED_TRACE(level);
    fs::remove("rt/out.zip");
    zipvault::CZip z;
    ASSERT_EQ(z.run_command(nullptr, (std::string("-r ") + level + " rt/out.zip rt/src").c_str()), 0);
    EXPECT_EQ(unzip("-t rt/out.zip"), 0);
    fs::remove_all("rt/x");
    EXPECT_EQ(unzip("-x  \"rt/out.zip\" \"rt/x\\\" "), 0);
    for (auto& [n, d] : files) EXPECT_EQ(read_file(std::string("rt/x/") + n), d) << n;
  }
}

}  // namespace
