// The command line, the option letters, the exported constants and the guard against nested calls.
#include <cstring>

#include "unzip_test_util.h"

using namespace utest;

namespace {

TEST_F(UnzipTest, OptionLettersAndNegation) {
  struct Case {
    const char* cmd;
    int lflag, tflag, jflag, xflag, zflag, never, all0, all1, process_all;
  } cases[] = {
      {"-x  \"a.zip\" \"dir\\\" ", 0, 0, 0, 1, 0, 0, 0, 0, 1},
      {"-x --i a.zip d", 0, 0, 0, 1, 0, 0, 0, 0, 1},
      {"--n -o a.zip", 0, 0, 0, 0, 0, 0, 1, 1, 1},
      {"-n -o a.zip", 0, 0, 0, 0, 0, 1, 0, 1, 1},
      {"a.zip d n1 -vl -t", 3, 1, 0, 0, 0, 0, 0, 0, 0},
      {"-l -v -ll a.zip", 0 + 1 + 1 + 2, 0, 0, 0, 0, 0, 0, 0, 1},
      {"-lll --l -jz -z a.zip", 2, 0, 1, 0, 2, 0, 0, 0, 1},
      {"-x- -j a.zip", 0, 0, 0, 1, 0, 0, 0, 0, 1},
      {"-q? a.zip", 0, 0, 0, 0, 0, 0, 0, 0, 1},
  };
  for (const auto& c : cases) {
    reset_globals();
    zipvault::CUnZip z;
    EXPECT_TRUE(z.split_command_line(c.cmd)) << c.cmd;
    const auto& o = z.options();
    EXPECT_EQ(o.lflag, c.lflag) << c.cmd;
    EXPECT_EQ(o.tflag, c.tflag) << c.cmd;
    EXPECT_EQ(o.jflag, c.jflag) << c.cmd;
    EXPECT_EQ(o.xflag, c.xflag) << c.cmd;
    EXPECT_EQ(o.zflag, c.zflag) << c.cmd;
    EXPECT_EQ(zipvault::unzip_globals().overwrite_never, c.never) << c.cmd;
    EXPECT_EQ(zipvault::unzip_globals().overwrite_all[0], c.all0) << c.cmd;
    EXPECT_EQ(zipvault::unzip_globals().overwrite_all[1], c.all1) << c.cmd;
    EXPECT_EQ(o.process_all, c.process_all) << c.cmd;
  }
  zipvault::CUnZip z;
  ASSERT_TRUE(z.split_command_line("-x  \"C:\\a b\\arc.zip\" \"C:\\tmp dir\\\" "));
  ASSERT_EQ(z.names().size(), 2u);
  EXPECT_EQ(z.names()[0], "C:\\a b\\arc.zip");
  EXPECT_EQ(z.names()[1], "C:\\tmp dir\\");
}

TEST_F(UnzipTest, ListFiles) {
  write_file("names.lst", "  \"hello.txt\"  \r\nbig.bin\n");
  fresh("lst");
  EXPECT_EQ(unzip(arc("py_basic.zip") + " lst/ @names.lst"), 0);
  EXPECT_TRUE(fs::exists("lst/hello.txt"));
  EXPECT_TRUE(fs::exists("lst/big.bin"));
  EXPECT_FALSE(fs::exists("lst/empty.txt"));
  zipvault::CUnZip z;
  write_file("blank.lst", "  \"a name\"  \n");
  ASSERT_TRUE(z.split_command_line("x.zip d @blank.lst"));
  EXPECT_EQ(z.names().back(), "a name");
  // An unreadable list, an empty line, or no name at all: an error, nothing done.
  write_file("empty_line.lst", "a\n\nb\n");
  fresh("lst2");
  EXPECT_NE(unzip(arc("py_basic.zip") + " lst2/ @nothere.lst"), 0);
  EXPECT_NE(unzip(arc("py_basic.zip") + " lst2/ @empty_line.lst"), 0);
  EXPECT_FALSE(fs::exists("lst2/hello.txt"));
  EXPECT_EQ(unzip("-x"), 9);
  EXPECT_EQ(unzip(""), 9);
  EXPECT_EQ(Unzip(nullptr, nullptr, nullptr, 0), 9);
}

TEST_F(UnzipTest, DestinationThatCannotBeMade) {
  write_file("afile", "x");
  EXPECT_EQ(unzip("-x " + arc("py_basic.zip") + " afile/sub/"), -1);
  ASSERT_FALSE(answerer->Shown().empty());
  EXPECT_NE(answerer->Shown()[0].text.find(u"すでにディレクトリ以外の属性で存在しています。"), std::u16string::npos);
  EXPECT_EQ(answerer->Shown()[0].type & 0xF0u, static_cast<UINT>(MB_ICONHAND));
}

TEST_F(UnzipTest, ExtractAllCommand) {
  struct Case {
    uint32_t flags;
    const char* cmd;
  } cases[] = {
      {0, "-u \"a.zip\" \"d/\""},          {0x2, "-u -o \"a.zip\" \"d/\""},
      {0x4 | 0x8, "-f \"a.zip\" \"d/\""},  {0x8 | 0x10 | 0x2 | 0x1, "-x -j -o -n \"a.zip\" \"d/\""},
  };
  for (const auto& c : cases) {
    std::string cmd;
    ASSERT_TRUE(zipvault::build_extract_all_command("a.zip", "d/", c.flags, &cmd));
    EXPECT_EQ(cmd, c.cmd);
  }
  std::string cmd;
  EXPECT_FALSE(zipvault::build_extract_all_command("a\"b.zip", "d/", 0, &cmd));
  fresh("all");
  EXPECT_EQ(UnzipExtractAll(nullptr, arc("py_basic.zip").c_str(), "all", 0x8), 0);
  EXPECT_EQ(read_file("all/hello.txt").size(), 18u);
}

TEST_F(UnzipTest, ConstantsAndAliases) {
  EXPECT_EQ(UnzipGetVersion(), 131);
  EXPECT_EQ(UnzipGetRunning(), 0);
  EXPECT_EQ(UnzipGetBackGroundMode(), 0);
  EXPECT_EQ(UnzipSetCursorMode(0), 1);
  EXPECT_EQ(UnzipSetBackGroundMode(7), 1);
  EXPECT_EQ(DllEntryPoint(nullptr, 1, nullptr), 1);
  EXPECT_EQ(reinterpret_cast<void*>(&UnzipGetRunning), reinterpret_cast<void*>(&UnzipGetBackGroundMode));
  EXPECT_EQ(reinterpret_cast<void*>(&UnzipSetCursorMode), reinterpret_cast<void*>(&UnzipSetBackGroundMode));
}

TEST_F(UnzipTest, NestedCallWhileOneRunsIsRefused) {
  // The password prompt of one call makes the calls a pumped message could make.
  std::vector<int> nested;
  winplat::screen::SetMessageBoxAnswerer([&](const winplat::screen::MessageBoxRequest&) {
    nested.push_back(unzip("-t " + arc("py_basic.zip")));
    nested.push_back(UnzipCheckArchive(arc("py_basic.zip").c_str(), 0));
    nested.push_back(UnzipOpenArchive(nullptr, arc("py_basic.zip").c_str(), 0) == nullptr);
    HGLOBAL b = nullptr;
    uint32_t s = 0;
    nested.push_back(UnzipExtractToMem(nullptr, arc("py_basic.zip").c_str(), "hello.txt", &b, &s));
    nested.push_back(UnzipExtractAll(nullptr, arc("py_basic.zip").c_str(), "nested", 0x8));
    return IDCANCEL;
  });
  EXPECT_EQ(unzip("-t " + arc("encrypted_one.zip")), 1);
  EXPECT_EQ(nested, (std::vector<int>{-1, 0, 1, -1, -1}));
  EXPECT_FALSE(fs::exists("nested"));
  // Afterwards the library runs again.
  EXPECT_EQ(unzip("-t " + arc("py_basic.zip")), 0);
}

TEST_F(UnzipTest, SizeTextsOfTheOverwriteQuestion) {
  EXPECT_EQ(zipvault::overwrite_size_text(999999), "999,999 バイト");
  EXPECT_EQ(zipvault::overwrite_size_text(1000000), "976KB");
  EXPECT_EQ(zipvault::overwrite_size_text(1234567), "1.17MB");
  EXPECT_EQ(zipvault::overwrite_size_text(150ull * 1048576), "150MB");
  EXPECT_EQ(zipvault::overwrite_size_text(0), "0 バイト");
}

TEST(UnzipRatio, Values) {
  EXPECT_EQ(zipvault::unzip_ratio(0, 5), 0);
  EXPECT_EQ(zipvault::unzip_ratio(1000, 400), 600);
  EXPECT_EQ(zipvault::unzip_ratio(100, 110), -100);
  EXPECT_EQ(zipvault::unzip_ratio(4000000000ull, 1000000000ull), 750);
  EXPECT_EQ(zipvault::unzip_ratio(3000000000ull, 4000000000ull), -333);
}

}  // namespace
