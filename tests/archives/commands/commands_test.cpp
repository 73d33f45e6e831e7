// The command lines the archivers send, character for character: the builder's rules, the ZIP
// commands for Zipvault and for the outside libraries, and every other format's command against
// its fake library.
#include "archive_test_support.h"

using namespace archtest;

namespace {

// ---------------------------------------------------------------- the builder

TEST(CmdOpt, ItemsQuotesAndFolders) {
  struct Case {
    std::function<void(TCmdOpt&)> add;
    const char* want;
  } cases[] = {
      {[](TCmdOpt& c) { c.Add(""); }, " "},
      {[](TCmdOpt& c) { c.AddSwitch("o", true); c.AddSwitch("j", false); }, " -o"},
      {[](TCmdOpt& c) { c.AddNumber("a", 1); c.AddNumber("c", -1); c.AddNumber("", 0); }, " -a1 -0"},
      {[](TCmdOpt& c) { c.AddQuoted("w", ""); }, " \"-w\""},
      {[](TCmdOpt& c) { c.AddQuoted("w", kNotGiven); }, ""},
      {[](TCmdOpt& c) { c.AddQuoted("", "a b"); }, " \"a b\""},
      {[](TCmdOpt& c) { c.AddQuoted(" x", "v"); }, " \"xv\""},
      {[](TCmdOpt& c) { c.QuoteStyle = true; c.AddQuoted("f", "a.tar"); }, " -f \"a.tar\""},
      {[](TCmdOpt& c) { c.AddFolder("", "C:\\tmp"); }, " \"C:\\tmp\\\""},
      {[](TCmdOpt& c) { c.AddFolder("", "C:\\tmp\\"); }, " \"C:\\tmp\\\""},
      {[](TCmdOpt& c) { c.AddFolder("", ""); c.AddFolder("w", kNotGiven); }, ""},
      // The second byte of this character is 0x5C: it is no backslash.
      {[](TCmdOpt& c) { c.AddFolder("", "C:\\表"); }, " \"C:\\表\\\""},
      {[](TCmdOpt& c) { c.AddFolder("h", "W"); }, " \"-hW\\\""},
  };
  for (const Case& c : cases) {
    TCmdOpt cmd;
    c.add(cmd);
    EXPECT_EQ(cmd.Text(), c.want);
  }
}

TEST(CmdOpt, FileArgumentsOfEveryKind) {
  TStringList three;
  three.Add("c.txt");
  three.Add("a.txt");
  three.Add("b.txt");
  const char* const array[] = {"p1", "", "p2", nullptr};
  TCmdOpt cmd;
  EXPECT_EQ(cmd.AddFileList({&three, nullptr, array, "", AnsiString("t"), u"w"}), 7);
  EXPECT_EQ(cmd.Text(), " \"c.txt\" \"a.txt\" \"b.txt\" \"p1\" \"p2\" \"t\" \"w\"");
}

TEST(CmdOpt, ResponseFileHoldsOneQuotedNamePerLine) {
  const std::string dir = Scratch("resfile");
  TCmdOpt cmd;
  cmd.Escape = EscapeZipName;
  WriteFile(dir + "/r.txt", "old contents that must go");
  EXPECT_EQ(cmd.AddResponseFile({"a\\b.txt", "-c.txt"}, dir + "/r.txt"), 2);
  EXPECT_EQ(cmd.Text(), " \"@" + dir + "/r.txt\"");
  EXPECT_EQ(ReadFile(dir + "/r.txt"), "\"a/b.txt\"\r\n\"[-]c.txt\"\r\n");
  EXPECT_THROW(cmd.AddResponseFile({"x"}, dir + "/no/such/folder/r.txt"), EFCreateError);
}

TEST(ZipNames, EscapingAndRefusals) {
  EXPECT_EQ(EscapeZipName("-a\\b[1].bmp"), "[-]a/b[[]1].bmp");
  EXPECT_EQ(EscapeZipName("表[x]"), "表[[]x]");
  EXPECT_EQ(EscapeZipName("a-b"), "a-b");
  for (const char* bad : {"-x.txt", "@list", "a\"b", "dir/", "dir\\", "C:\\work\\*.*"})
    EXPECT_THROW(CheckZipvaultName(bad), EArchiver) << bad;
  for (const char* good : {"1.bmp", "a-b.txt", "sub\\1.bmp", "表", "x@y"}) EXPECT_NO_THROW(CheckZipvaultName(good)) << good;
}

// ---------------------------------------------------------------- options

TEST(ArchiverOptions, DefaultsAndAssign) {
  TArchiverOptions o;
  EXPECT_EQ(o.a(), -1);
  EXPECT_EQ(o.jyc(), -1);
  EXPECT_EQ(o.gyx(), -1);
  EXPECT_TRUE(IsNotGiven(o.w()));
  EXPECT_TRUE(IsNotGiven(o.gyw()));
  EXPECT_EQ(o.PackFilter(), pfComponent);
  EXPECT_TRUE(o.ResFileUsage() == (TResFileUsage{ruOnPack, ruOnUnpack, ruOnRemoveItem}));
  EXPECT_TRUE(o.IncludeExtraStreams());
  EXPECT_EQ(o.StreamSeparator(), ";#");
  o.Setc(1);
  o.Setjo("20240101");
  o.jx()->Add("*.tmp");
  o.SetResFileUsage({ruOnUpdate});
  o.SetIncludeExtraStreams(false);
  o.SetStreamSeparator("%%");
  o.SetUserOptions("-v");
  TArchiverOptions copy;
  copy.Assign(&o);
  EXPECT_EQ(copy.c(), 1);
  EXPECT_EQ(copy.jo(), "20240101");
  EXPECT_EQ(copy.jx()->Text(), "*.tmp\r\n");
  EXPECT_TRUE(copy.ResFileUsage() == TResFileUsage{ruOnUpdate});
  EXPECT_FALSE(copy.IncludeExtraStreams());
  EXPECT_EQ(copy.StreamSeparator(), "%%");
  EXPECT_EQ(copy.UserOptions(), "-v");
  // SetDefaults resets the switches but not the component's stream settings.
  copy.SetDefaults();
  EXPECT_EQ(copy.c(), -1);
  EXPECT_EQ(copy.jx()->Count(), 0);
  EXPECT_EQ(copy.StreamSeparator(), "%%");
  TStringList other;
  EXPECT_THROW(other.Assign(&o), EConvertError);
}

// ---------------------------------------------------------------- ZIP

struct ZipCase {
  const char* name;
  std::function<void(TArchiverOptions&)> set;
  TFileArgs files;
  const char* dir;
  const char* want;
};

class ZipCommands : public ::testing::Test {
 protected:
  std::string Extract(TZip32& zip, TArchiverOptions& o, const TFileArgs& files, const char* dir) {
    AnsiString out, cmd;
    zip.Extract(nullptr, "A.zip", out, cmd, false, files, dir, &o);
    return cmd;
  }
  std::string Pack(TZip32& zip, TArchiverOptions& o, const TFileArgs& files, const char* dir) {
    AnsiString out, cmd;
    zip.Pack(nullptr, dir_ + "/A.zip", out, cmd, false, files, dir, &o);
    return cmd;
  }
  std::string dir_ = Scratch("zipcmd");
};

TEST_F(ZipCommands, ExtractForZipvault) {
  LibraryFolder libs({{"zipvault", "libzipvault.so"}});
  TZip32 zip;
  const ZipCase cases[] = {
      {"defaults", [](TArchiverOptions&) {}, {nullptr}, "D", "-x  \"A.zip\" \"D\\\" "},
      {"c=1", [](TArchiverOptions& o) { o.Setc(1); }, {nullptr}, "D", "-x -o  \"A.zip\" \"D\\\" "},
      {"c=2", [](TArchiverOptions& o) { o.Setc(2); }, {nullptr}, "D", "-x  \"A.zip\" \"D\\\" "},
      {"n=1", [](TArchiverOptions& o) { o.Setn(1); }, {nullptr}, "D", "-x --i  \"A.zip\" \"D\\\" "},
      {"x=0", [](TArchiverOptions& o) { o.Setx(0); }, {nullptr}, "D/", "-x -j  \"A.zip\" \"D/\\\" "},
      {"members", [](TArchiverOptions&) {}, {"a\\b.txt", "[1].bmp"}, "", "-x  \"A.zip\" \"a\\b.txt\" \"[1].bmp\" "},
      {"user", [](TArchiverOptions& o) { o.SetUserOptions("-t"); o.SetUserFileList("x y"); }, {"m"}, "",
       "-x -t \"A.zip\" \"m\" x y"},
  };
  for (const ZipCase& c : cases) {
    TArchiverOptions o;
    c.set(o);
    EXPECT_EQ(Extract(zip, o, c.files, c.dir), c.want) << c.name;
  }
  TArchiverOptions o;
  for (const char* bad : {"-x.txt", "@list", "a\"b", "dir\\"})
    EXPECT_THROW(Extract(zip, o, {bad}, "D"), EArchiver) << bad;
}

TEST_F(ZipCommands, ExtractForTheOutsideUnzipEscapesNames) {
  LibraryFolder libs({{"unzip32", "libunzip32.so"}, {"zipvault", "libzipvault.so"}});
  TZip32 zip;
  Fake unzip("UNZIP32.DLL");
  TArchiverOptions o;
  EXPECT_EQ(Extract(zip, o, {"-x.txt", "a\\b.txt", "[1].bmp"}, "D"),
            "-x  \"A.zip\" \"D\\\" \"[-]x.txt\" \"a/b.txt\" \"[[]1].bmp\" ");
  EXPECT_EQ(unzip.LastCommand(), "-x  \"A.zip\" \"D\\\" \"[-]x.txt\" \"a/b.txt\" \"[[]1].bmp\" ");
  EXPECT_THROW(Extract(zip, o, {"a\"b"}, "D"), EArchiver);
}

TEST_F(ZipCommands, PackForZipvaultKeepsTheBaseFolderAndNames) {
  LibraryFolder libs({{"zipvault", "libzipvault.so"}});
  TZip32 zip;
  TStringList names;
  for (const char* n : {"1.bmp", "1.dat", "1g.bmp"}) names.Add(n);
  const std::string a = "\"" + dir_ + "/A.zip\"";
  const ZipCase cases[] = {
      {"board", [](TArchiverOptions&) {}, {&names}, "", nullptr},
      {"base", [](TArchiverOptions&) {}, {"a\\b.txt"}, "B", nullptr},
      {"c x", [](TArchiverOptions& o) { o.Setc(1); o.Setx(0); }, {"n"}, "", nullptr},
  };
  const std::string want[] = {
      "-ru  " + a + " \"1.bmp\" \"1.dat\" \"1g.bmp\" ",
      "-ru  " + a + " \"B\\\" \"a\\b.txt\" ",
      "-ru -o -j  " + a + " \"n\" ",
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    TArchiverOptions o;
    cases[i].set(o);
    EXPECT_EQ(Pack(zip, o, cases[i].files, cases[i].dir), want[i]) << cases[i].name;
  }
  TArchiverOptions o;
  EXPECT_THROW(Pack(zip, o, {"-d"}, ""), EArchiver);
  EXPECT_THROW(Pack(zip, o, {"x\\*.*"}, ""), EArchiver);
}

TEST_F(ZipCommands, TheOutsideZipLibraryCommands) {
  LibraryFolder libs({{"zip32j", "libzip32j.so"}, {"zipvault", "libzipvault.so"}});
  TZip32 zip;
  Fake zip32j("ZIP32J.DLL");
  const std::string a = "\"" + dir_ + "/A.zip\"";
  struct Case {
    std::function<void(TArchiverOptions&)> set;
    std::string want;
  } cases[] = {
      {[](TArchiverOptions&) {}, " -D  " + a + " \"B\\\" \"-x/y[1]\" "},
      {[](TArchiverOptions& o) { o.Seta(1); }, " -S -D  " + a + " \"B\\\" \"-x/y[1]\" "},
      {[](TArchiverOptions& o) { o.Seta(2); }, " -S  " + a + " \"B\\\" \"-x/y[1]\" "},
      {[](TArchiverOptions& o) { o.Setn(1); o.Setl(1); o.Setr(1); },
       " -D -v -q -r -o  " + a + " \"B\\\" \"-x/y[1]\" "},
      {[](TArchiverOptions& o) { o.Setu(1); o.Setx(0); o.Setjc(1); o.Setji(1); o.Setjm(0); o.Setgd(1); },
       " -D -u -j -FF -k -0 -J  " + a + " \"B\\\" \"-x/y[1]\" "},
  };
  for (auto& c : cases) {
    TArchiverOptions o;
    c.set(o);
    // Names are escaped for this library: -x\y[1] -> [-]x/y[[]1].
    std::string want = c.want;
    want.replace(want.find("\"-x/y[1]\""), 9, "\"[-]x/y[[]1]\"");
    EXPECT_EQ(Pack(zip, o, {"-x\\y[1]"}, "B"), want);
    EXPECT_EQ(zip32j.LastCommand(), want);
  }
  TArchiverOptions o;
  AnsiString out, cmd;
  zip.Delete(nullptr, dir_ + "/A.zip", out, cmd, false, {"a"}, "B", &o);
  EXPECT_EQ(cmd, "-d -D  " + a + " \"a\" ");
  zip.Update(nullptr, dir_ + "/A.zip", out, cmd, false, {"a"}, "B", &o);
  EXPECT_EQ(cmd, "-f -D  " + a + " \"B\\\" \"a\" ");
}

TEST_F(ZipCommands, ResponseFileItem) {
  LibraryFolder libs({{"zipvault", "libzipvault.so"}});
  TZip32 zip;
  TArchiverOptions o;
  o.SetResFileName(dir_ + "/list.txt");
  AnsiString out, cmd;
  zip.Extract(nullptr, "A.zip", out, cmd, true, {"one.txt", "two words.txt"}, "D", &o);
  EXPECT_EQ(cmd, "-x  \"A.zip\" \"D\\\" \"@" + dir_ + "/list.txt\" ");
  EXPECT_EQ(ReadFile(dir_ + "/list.txt"), "\"one.txt\"\r\n\"two words.txt\"\r\n");
  // Without the flag, or with no file name, the names go on the line.
  zip.Extract(nullptr, "A.zip", out, cmd, false, {"one.txt"}, "D", &o);
  EXPECT_EQ(cmd, "-x  \"A.zip\" \"D\\\" \"one.txt\" ");
  o.SetResFileName("");
  zip.Extract(nullptr, "A.zip", out, cmd, true, {"one.txt"}, "D", &o);
  EXPECT_EQ(cmd, "-x  \"A.zip\" \"D\\\" \"one.txt\" ");
}

// ---------------------------------------------------------------- other formats

template <class T>
std::string Command(T& arc, const char* op, TArchiverOptions& o, const TFileArgs& files, const char* name,
                const char* dir) {
  AnsiString out, cmd;
  if (std::string(op) == "extract")
    arc.Extract(nullptr, name, out, cmd, false, files, dir, &o);
  else
    arc.Pack(nullptr, name, out, cmd, false, files, dir, &o);
  return cmd;
}

TEST(FormatCommands, Lha) {
  LibraryFolder libs({{"unlha32", "libunlha32.so"}});
  TLha32 lha;
  Fake fake("UNLHA32.DLL");
  TArchiverOptions o;
  // At the defaults jso (and, for extraction, jse) are missing: the command is refused.
  try {
    Command(lha, "pack", o, {"f"}, "A.lzh", "");
    ADD_FAILURE();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message(), "jso オプションが設定されていません。");
  }
  o.Setjso(1);
  try {
    Command(lha, "extract", o, {"f"}, "A.lzh", "D");
    ADD_FAILURE();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message(), "jse オプションが設定されていません。");
  }
  EXPECT_EQ(Command(lha, "pack", o, {"f"}, "A.lzh", "B"), "u -+ -jso1  \"A.lzh\" \"B\\\" \"f\" ");
  o.Setjse(0);
  o.Seta(1);
  o.Setw("W");
  o.Setjo("");
  o.jx()->Add("*.tmp");
  o.Setgyx(2);
  EXPECT_EQ(Command(lha, "extract", o, {"f"}, "A.lzh", "D"),
            "x -+ -a1 \"-wW\\\" \"-jo\" -jse0 -jso1 \"-jx*.tmp\" -gyx2  \"A.lzh\" \"D\\\" \"f\" ");
  EXPECT_EQ(fake.LastCommand(), "x -+ -a1 \"-wW\\\" \"-jo\" -jse0 -jso1 \"-jx*.tmp\" -gyx2  \"A.lzh\" \"D\\\" \"f\" ");
  // An owner window makes n 1.
  ASSERT_TRUE(lha.SetOwnerWindow(reinterpret_cast<HWND>(1), nullptr));
  EXPECT_NE(Command(lha, "extract", o, {}, "A.lzh", "D").find(" -n1 "), std::string::npos);
  lha.KillOwnerWindow(reinterpret_cast<HWND>(1));
  EXPECT_FALSE(lha.HasOwnerWindow());
}

TEST(FormatCommands, CabRarBgaYz1) {
  LibraryFolder libs({{"cab32", "libcab32.so"}, {"unrar32", "libunrar32.so"}, {"bga32", "libbga32.so"},
                      {"yyz32", "libyyz32.so"}});
  TCab32 cab;
  TRar32 rar;
  TBGA32 bga;
  TYZ1 yz1;
  struct Case {
    TArchiver* arc;
    const char* op;
    std::function<void(TArchiverOptions&)> set;
    const char* want;
  } cases[] = {
      {&cab, "extract", [](TArchiverOptions&) {}, "-x  \"A\" \"D\\\" \"f\" "},
      {&cab, "pack", [](TArchiverOptions& o) { o.Setc(1); o.Setn(1); o.Setr(1); o.Setw("W"); o.Setx(0); o.Setji(1); },
       "-a -o -i -r \"-hW\\\" -j -q  \"A\" \"D\\\" \"f\" "},
      {&rar, "extract", [](TArchiverOptions&) {}, "-x -u  \"A\" \"D\\\" \"f\" "},
      {&rar, "extract", [](TArchiverOptions& o) { o.Setx(0); o.Setc(1); o.Setm(1); o.Setp(1); },
       "-e -y -s  \"A\" \"D\\\" \"f\" "},
      {&bga, "extract", [](TArchiverOptions&) {}, "x -n -j  \"A\" \"D\\\" \"f\" "},
      {&bga, "pack", [](TArchiverOptions& o) { o.Seta(1); o.Setc(1); o.Setx(1); o.Setjm(0); },
       "a -a -o -l0  \"A\" \"D\\\" \"f\" "},
      {&yz1, "extract", [](TArchiverOptions&) {}, "x -+  \"A\" \"D\\\" \"f\" "},
      {&yz1, "pack", [](TArchiverOptions& o) { o.Setm(0); o.Setc(5); }, "c -+ -c2 -y2  \"A\" \"D\\\" \"f\" "},
      {&yz1, "pack", [](TArchiverOptions& o) { o.Setm(1); o.Setc(5); o.Setp(3); o.Setx(1); o.Setn(1); },
       "c -+ -c5 -y1 -i -z3 -x1  \"A\" \"D\\\" \"f\" "},
      {&yz1, "pack", [](TArchiverOptions& o) { o.Setm(9); }, "c -+ -y0  \"A\" \"D\\\" \"f\" "},
  };
  for (auto& c : cases) {
    TArchiverOptions o;
    c.set(o);
    AnsiString out, cmd;
    if (std::string(c.op) == "extract")
      c.arc->Extract(nullptr, "A", out, cmd, false, {"f"}, "D", &o);
    else
      c.arc->Pack(nullptr, "A", out, cmd, false, {"f"}, "D", &o);
    EXPECT_EQ(cmd, c.want);
  }
  TArchiverOptions o;
  AnsiString out, cmd;
  EXPECT_THROW(rar.Pack(nullptr, "A", out, cmd, false, {"f"}, "D", &o), EArchiver);
  try {
    cab.Delete(nullptr, "A", out, cmd, false, {"f"}, "D", &o);
    ADD_FAILURE();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "この形式の書庫ではファイルの削除をサポートしておりません。");
  }
}

TEST(FormatCommands, TarFamilyQuotesValuesAfterTheirSwitch) {
  LibraryFolder libs({{"tar32", "libtar32.so"}});
  TTar32 tar;
  TTgz32 tgz;
  TBZ232 bz2;
  struct Case {
    TArchiver* arc;
    std::function<void(TArchiverOptions&)> set;
    const char* want;
  } cases[] = {
      {&tar, [](TArchiverOptions&) {}, "x  -f \"A\" -o \"D\\\" \"f\" "},
      {&tar, [](TArchiverOptions& o) { o.Seta(1); o.Setn(1); o.Seto(1); o.Setp(1); o.Setx(0); },
       "x -AH --display-dialog=0 -g --check-all-path=1 --use-directory=0  -f \"A\" -o \"D\\\" \"f\" "},
      {&tar, [](TArchiverOptions& o) { o.Seta(0); }, "x -I  -f \"A\" -o \"D\\\" \"f\" "},
      {&tgz, [](TArchiverOptions&) {}, "x -z  -f \"A\" -o \"D\\\" \"f\" "},
      {&tgz, [](TArchiverOptions& o) { o.Setjm(9); }, "x -z9  -f \"A\" -o \"D\\\" \"f\" "},
      {&bz2, [](TArchiverOptions& o) { o.Setjm(5); }, "x -B5  -f \"A\" -o \"D\\\" \"f\" "},
  };
  for (auto& c : cases) {
    TArchiverOptions o;
    c.set(o);
    AnsiString out, cmd;
    c.arc->Extract(nullptr, "A", out, cmd, false, {"f"}, "D", &o);
    EXPECT_EQ(cmd, c.want);
  }
  // With an owner window the library shows its own dialog: no "--display-dialog=0".
  TArchiverOptions o;
  o.Setn(1);
  ASSERT_TRUE(tar.SetOwnerWindow(reinterpret_cast<HWND>(1), nullptr));
  AnsiString out, cmd;
  tar.Pack(nullptr, "A", out, cmd, false, {"f"}, "", &o);
  EXPECT_EQ(cmd, "c  -f \"A\" \"f\" ");
}

TEST(FormatCommands, SevenZip) {
  LibraryFolder libs({{"7-zip32", "lib7-zip32.so"}});
  TSevenZip32 sz;
  struct Case {
    const char* op;
    std::function<void(TArchiverOptions&)> set;
    const char* want;
  } cases[] = {
      {"extract", [](TArchiverOptions&) {}, "x -ms=off \"-oD\\\"  \"A\" \"f\" "},
      {"extract", [](TArchiverOptions& o) { o.Setm(2); o.Setjn(1); o.Setc(1); }, "x -aou -ms=off \"-oD\\\"  \"A\" \"f\" "},
      {"extract", [](TArchiverOptions& o) { o.Setjn(1); o.Setc(1); }, "x -aos -ms=off \"-oD\\\"  \"A\" \"f\" "},
      {"extract", [](TArchiverOptions& o) { o.Setc(1); o.Setx(0); }, "e -aoa -ms=off \"-oD\\\"  \"A\" \"f\" "},
      {"pack", [](TArchiverOptions& o) { o.Setc(1); o.Setn(1); o.Setr(0); o.Sety(1); o.jx()->Add("*.tmp"); },
       "u -ms=off -hide -r- -y \"-x!*.tmp\" \"-oD\\\"  \"A\" \"f\" "},
      {"pack", [](TArchiverOptions& o) { o.Setr(2); o.Setw("T"); }, "u -ms=off -r \"-wT\\\" \"-oD\\\"  \"A\" \"f\" "},
  };
  for (auto& c : cases) {
    TArchiverOptions o;
    c.set(o);
    EXPECT_EQ(Command(sz, c.op, o, {"f"}, "A", "D"), c.want);
  }
}

}  // namespace
