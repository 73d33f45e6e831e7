// Archives the Zip command writes, read back by Python's zipfile and by bsdtar.
#include "zip_test_util.h"

namespace ztest {
namespace {

class Interop : public ZipTest {};

// Every level over the data shapes that take different paths through the compressor: empty,
// one byte, text, random (falls back to stored), a long run (slides the window), window edges.
TEST_F(Interop, EveryLevelEveryShapeReadsBackByteForByte) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"empty.txt", ""},
      {"one.bin", "x"},
      {"text.txt", text_bytes(70000)},
      {"random.bin", random_bytes(100 * 1024)},
      {"run.bin", std::string(100000, 'a')},
      {"w32768.bin", text_bytes(32768)},
      {"w65536.bin", random_bytes(65536, 3).substr(0, 30000) + text_bytes(35536)},
  };
  for (auto& [n, d] : files) write_file("in/" + n, d);
  fs::current_path("in");
  for (int level = 0; level <= 9; ++level) {
    std::string arc = "../l" + std::to_string(level) + ".zip";
    std::string cmd = "-" + std::to_string(level) + " \"" + arc + "\"";
    for (auto& f : files) cmd += " \"" + f.first + "\"";
    ASSERT_EQ(zip(cmd), 0) << level;
    auto lines = verify(arc);
    ASSERT_EQ(lines.size(), files.size() + 1);
    for (const std::string& l : lines) {
      if (l == "OK") continue;
      std::istringstream s(l);
      std::string name;
      int method, flags, needed, made;
      long size;
      s >> name >> method >> flags >> needed >> made >> size;
      const bool empty = size == 0;
      // Data that does not compress may go out stored (a one-block file) or in stored blocks.
      if ((name == hex("random.bin") || name == hex("one.bin")) && level > 0 && method == 8) continue;
      if (level == 0 || empty || name == hex("random.bin") || name == hex("one.bin")) {
        EXPECT_EQ(method, 0) << l;
        EXPECT_EQ(needed, 10) << l;
        EXPECT_EQ(flags, 0) << l;
      } else {
        EXPECT_EQ(method, 8) << l;
        EXPECT_EQ(needed, 20) << l;
        EXPECT_EQ(flags, level <= 2 ? 4 : level >= 8 ? 2 : 0) << l;
      }
      EXPECT_EQ(made, 0x0B15) << l;
    }
    std::string out;
    ASSERT_EQ(run("python3 -m zipfile -t " + arc, &out), 0) << out;
    fs::create_directories("../x" + std::to_string(level));
    ASSERT_EQ(run("bsdtar -xf " + arc + " -C ../x" + std::to_string(level), &out), 0) << out;
    for (auto& [n, d] : files) EXPECT_EQ(read_file("../x" + std::to_string(level) + "/" + n), d) << n << level;
  }
  fs::current_path("..");
  // The same input gives the same archive.
  fs::current_path("in");
  ASSERT_EQ(zip("-6 \"../again.zip\" text.txt run.bin"), 0);
  ASSERT_EQ(zip("-6 \"../again2.zip\" text.txt run.bin"), 0);
  fs::current_path("..");
  EXPECT_EQ(read_file("again.zip"), read_file("again2.zip"));
  EXPECT_TRUE(boxes().empty());
}

// The board's command: the archive deleted first, "-ru", bare names from the working folder,
// a trailing blank and double blanks.
TEST_F(Interop, BoardSaveCommandStoresBareNamesDeflated) {
  write_file("page/1.bmp", std::string(3000, 'G') + text_bytes(5000));
  write_file("page/1g.bmp", std::string(4000, 'g'));
  write_file("page/1.dat", "dust");
  fs::current_path("page");
  const std::string arc = (dir_ / "A.zip").string();
  ASSERT_EQ(zip("-ru  \"" + arc + "\" \"1.bmp\" \"1g.bmp\" \"1.dat\" "), 0);
  EXPECT_EQ(fs::current_path(), dir_ / "page");
  auto lines = verify(arc);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, lines[0].find(' ')), hex("1.bmp"));
  EXPECT_EQ(lines[0].substr(lines[0].find(' ') + 1, 4), "8 0 ");
  std::string out;
  ASSERT_EQ(run("bsdtar -tf " + arc, &out), 0);
  EXPECT_EQ(out, "1.bmp\n1g.bmp\n1.dat\n");
}

// A folder token with a trailing backslash becomes the working folder for the run only.
TEST_F(Interop, FolderTokenIsTheWorkingFolderOfTheRun) {
  write_file("tmp/1.bmp", "bitmap");
  write_file("tmp/sub/2.bmp", "two");
  const std::string arc = (dir_ / "x.zip").string();
  const std::string folder = (dir_ / "tmp").string() + "\\";
  ASSERT_EQ(zip("-ru \"" + arc + "\" \"" + folder + "\" \"1.bmp\" sub\\2.bmp"), 0);
  EXPECT_EQ(fs::current_path(), dir_);
  std::string out;
  ASSERT_EQ(run("bsdtar -tf x.zip", &out), 0);
  EXPECT_EQ(out, "1.bmp\nsub/2.bmp\n");
}

// A missing ".zip" gets ".ZIP"; -A keeps the name as given.
TEST_F(Interop, ArchiveNameGetsZipSuffixUnlessAdjusting) {
  write_file("a.txt", "a");
  ASSERT_EQ(zip("board a.txt"), 0);
  EXPECT_TRUE(fs::exists("board.ZIP"));
  ASSERT_EQ(zip("-A plain a.txt"), 0);
  EXPECT_TRUE(fs::exists("plain"));
  verify("plain");
}

// Recursion: folders first, then files; -j stores bare names and no folders; -D no folders;
// hidden files only with -S.
TEST_F(Interop, RecursionJunkPathsAndHiddenFiles) {
  write_file("sub/a.txt", "a");
  write_file("sub/deep/b.txt", "b");
  write_file("sub/.hidden", "h");
  write_file("other/a2.txt", "c");
  struct Case {
    const char* opts;
    const char* listing;
  } cases[] = {
      {"-r", "sub/\nsub/deep/\nsub/deep/b.txt\nsub/a.txt\n"},
      {"-rD", "sub/deep/b.txt\nsub/a.txt\n"},
      {"-rj", "b.txt\na.txt\n"},
      {"-rS", "sub/\nsub/deep/\nsub/deep/b.txt\nsub/.hidden\nsub/a.txt\n"},
  };
  int i = 0;
  for (const Case& c : cases) {
    std::string arc = "r" + std::to_string(i++) + ".zip";
    ASSERT_EQ(zip(std::string(c.opts) + " " + arc + " sub"), 0) << c.opts;
    std::string out;
    ASSERT_EQ(run("bsdtar -tf " + arc, &out), 0);
    EXPECT_EQ(out, c.listing) << c.opts;
    if (std::string(c.opts) != "-rj") verify(arc);
  }
}

// Wildcards and @list files: "*.BMP" picks 1.bmp; a list file's lines are split again.
TEST_F(Interop, WildcardsAndListFiles) {
  write_file("1.bmp", "one");
  write_file("2.bmp", "two");
  write_file("note.txt", "note");
  write_file("list.txt", "  note.txt  \r\n\"2.bmp\"\r\n");
  ASSERT_EQ(zip("w.zip *.BMP"), 0);
  std::string out;
  run("bsdtar -tf w.zip", &out);
  EXPECT_EQ(out, "1.bmp\n2.bmp\n");
  ASSERT_EQ(zip("l.zip @list.txt @missing.txt"), 0);
  run("bsdtar -tf l.zip", &out);
  EXPECT_EQ(out, "note.txt\n2.bmp\n");
}

// Names in the ANSI code page: the trail byte 0x5C of 表 is not a separator, neither in the
// command line nor in the stored name.
TEST_F(Interop, Cp932NamesKeepTheirTrailBytes) {
  write_file(u8"表/表示.txt", "shown");
  write_file(u8"ソ.txt", "so");
  ASSERT_EQ(zip("-r j.zip \"表\" \"ソ.txt\""), 0);
  auto lines = verify("j.zip");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, lines[0].find(' ')), hex("表/"));
  EXPECT_EQ(lines[1].substr(0, lines[1].find(' ')), hex("表/表示.txt"));
  EXPECT_EQ(lines[2].substr(0, lines[2].find(' ')), hex("ソ.txt"));
}

// Suffixes stored by default; -9 clears the list; -n sets another.
TEST_F(Interop, SuffixListChoosesStore) {
  write_file("a.ZIP", text_bytes(5000));
  write_file("b.txt", text_bytes(5000));
  ASSERT_EQ(zip("s1.zip a.ZIP b.txt"), 0);
  auto l1 = verify("s1.zip");
  EXPECT_EQ(l1[0].substr(l1[0].find(' ') + 1, 1), "0");
  EXPECT_EQ(l1[1].substr(l1[1].find(' ') + 1, 1), "8");
  ASSERT_EQ(zip("-9 s2.zip a.ZIP"), 0);
  auto l2 = verify("s2.zip");
  EXPECT_EQ(l2[0].substr(l2[0].find(' ') + 1, 1), "8");
  ASSERT_EQ(zip("-n .txt s3.zip a.ZIP b.txt"), 0);
  auto l3 = verify("s3.zip");
  EXPECT_EQ(l3[0].substr(l3[0].find(' ') + 1, 1), "8");
  EXPECT_EQ(l3[1].substr(l3[1].find(' ') + 1, 1), "0");
}

// -l turns LF into CR LF; the CRC is over what was stored.
TEST_F(Interop, LineEndTranslation) {
  write_file("t.txt", "a\nb");
  ASSERT_EQ(zip("-l -0 t.zip t.txt"), 0);
  std::string out;
  ASSERT_EQ(python("import zipfile,sys\nz=zipfile.ZipFile('t.zip')\nassert z.testzip() is None\nsys.stdout.write(z.read('t.txt').hex())", "", &out), 0) << out;
  EXPECT_EQ(out, "610d0a62");
}

}  // namespace
}  // namespace ztest
