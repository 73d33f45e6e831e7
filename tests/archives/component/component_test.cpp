// The archive component through the real Zipvault: the board's save and open, the component's own
// selection, listings, progress notices, and failed packs that must leave the previous archive as
// it was. Python's zipfile and bsdtar read and write the archives independently.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>

#include "archive_test_support.h"
#include "winplat_screen.h"

using namespace archtest;

// A copy of a field of a packed record (no reference to an unaligned field).
template <class T>
T Copy(T v) {
  return v;
}

namespace {

std::string PageBytes(int seed, size_t size = 40000) {
  // A small 24-bit BMP-like picture: a header and rows of chalk-like noise over a green board.
  std::mt19937 g(seed);
  std::string s = "BM";
  s.resize(54, '\0');
  while (s.size() < size) {
    const bool chalk = g() % 17 == 0;
    s += chalk ? '\xF0' : '\x20';
    s += chalk ? '\xF0' : '\x50';
    s += chalk ? '\xE8' : '\x30';
  }
  s.resize(size);
  return s;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 g(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(g());
  return s;
}

class Component : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = Scratch(std::string(info->test_suite_name()) + "_" + info->name());
    tmp_ = root_ + "/tmp";
    boards_ = root_ + "/blackboards";
    mkdir(tmp_.c_str(), 0755);
    mkdir(boards_.c_str(), 0755);
    GetCurrentDirectoryA(sizeof saved_, saved_);
    answers_ = winplat::screen::InstallScriptedAnswerer();
    libs_.reset(new LibraryFolder({{"zipvault", "libzipvault.so"}}));
  }
  void TearDown() override {
    winplat::SetFileFaultHook({});
    SetCurrentDirectoryA(saved_);
    libs_.reset();
    winplat::screen::SetMessageBoxAnswerer({});
  }
  void Pages(const std::string& dir, const std::vector<std::string>& names) {
    int seed = 1;
    for (const std::string& n : names) WriteFile(dir + "/" + n, PageBytes(seed++));
  }
  // Python's sorted list of member names and each member's bytes, one "name size crc" per line.
  std::string PythonList(const std::string& archive) {
    WriteFile(root_ + "/list.py",
              "import sys, zipfile, zlib\n"
              "z = zipfile.ZipFile(sys.argv[1])\n"
              "assert z.testzip() is None\n"
              "for i in sorted(z.infolist(), key=lambda i: i.filename):\n"
              "    d = z.read(i)\n"
              "    print(i.filename, len(d), '%08x' % zlib.crc32(d))\n");
    return Shell("python3 '" + root_ + "/list.py' '" + archive + "' 2>&1");
  }
  std::string BsdtarList(const std::string& archive) {
    return Shell("bsdtar -tf '" + archive + "' | LC_ALL=C sort 2>&1");
  }
  std::string Expected(const std::string& dir, std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::string out;
    for (const std::string& n : names) {
      const std::string d = ReadFile(dir + "/" + n);
      char crc[16];
      std::snprintf(crc, sizeof crc, "%08x", Crc(d));
      out += n + " " + std::to_string(d.size()) + " " + crc + "\n";
    }
    return out;
  }
  static uint32_t Crc(const std::string& d) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : d) {
      c ^= b;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
  }
  static std::string Lines(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    std::string s;
    for (auto& n : names) s += n + "\n";
    return s;
  }

  std::string root_, tmp_, boards_;
  char saved_[4096];
  std::shared_ptr<winplat::screen::ScriptedAnswerer> answers_;
  std::unique_ptr<LibraryFolder> libs_;
};

const std::vector<std::string> kBoard = {"1.bmp", "1g.bmp", "1.dat", "2.bmp", "2g.bmp", "2.dat", "3.bmp", "3.dat"};

TEST_F(Component, TheBoardIsSavedAndOpenedWithTheCommandsOfTheProgram) {
  Pages(tmp_, kBoard);
  ASSERT_TRUE(SetCurrentDirectoryA(tmp_.c_str()));
  TArchiveFile arc(nullptr);
  const std::string archive = boards_ + "/2026-12-11 8-05-03.zip";
  arc.SetFileName(archive);
  ASSERT_EQ(arc.ArchiverType(), atZip);
  TStringList items;  // the file list box's order
  for (const char* n : {"3.dat", "2g.bmp", "1.bmp", "2.bmp", "1g.bmp", "3.bmp", "1.dat", "2.dat"}) items.Add(n);
  EXPECT_EQ(arc.Pack(nullptr, arc.Options(), "", {&items}), 0);
  EXPECT_EQ(arc.LastCommandLine(), "-ru  \"" + archive +
                                       "\" \"1.bmp\" \"1.dat\" \"1g.bmp\" \"2.bmp\" \"2.dat\" \"2g.bmp\" \"3.bmp\" "
                                       "\"3.dat\" ");
  EXPECT_EQ(PythonList(archive), Expected(tmp_, kBoard));
  EXPECT_EQ(BsdtarList(archive), Lines(kBoard));
  // bsdtar extracts the same bytes.
  const std::string check = root_ + "/bsdtar";
  mkdir(check.c_str(), 0755);
  Shell("bsdtar -xf '" + archive + "' -C '" + check + "'");
  for (const std::string& n : kBoard) EXPECT_EQ(ReadFile(check + "/" + n), ReadFile(tmp_ + "/" + n)) << n;

  // Open: the working folder is emptied, then every member comes back.
  const std::string saved = tmp_ + "/../saved";
  Shell("cp -r '" + tmp_ + "' '" + saved + "' && rm -f '" + tmp_ + "'/*");
  arc.SetFileName(archive);
  arc.SetArchiverType(atZip);
  EXPECT_EQ(arc.Extract(nullptr, arc.Options(), tmp_, {nullptr}), 0);
  EXPECT_EQ(arc.LastCommandLine(), "-x  \"" + archive + "\" \"" + tmp_ + "\\\" ");
  for (const std::string& n : kBoard) EXPECT_EQ(ReadFile(tmp_ + "/" + n), ReadFile(saved + "/" + n)) << n;
  EXPECT_TRUE(answers_->Shown().empty());
}

TEST_F(Component, PackingAgainHoldsOnlyTheNewSelection) {
  Pages(tmp_, kBoard);
  ASSERT_TRUE(SetCurrentDirectoryA(tmp_.c_str()));
  TArchiveFile arc(nullptr);
  const std::string archive = boards_ + "/b.zip";
  arc.SetFileName(archive);
  ASSERT_EQ(arc.Pack(nullptr, nullptr, "", {"*.*"}), 0);
  EXPECT_EQ(BsdtarList(archive), Lines(kBoard));
  ASSERT_EQ(arc.Pack(nullptr, nullptr, "", {"1.bmp", "1.dat"}), 0);
  EXPECT_EQ(PythonList(archive), Expected(tmp_, {"1.bmp", "1.dat"}));
  // No temporary archive is left beside it.
  EXPECT_EQ(Shell("ls '" + boards_ + "'"), "b.zip\n");
}

TEST_F(Component, TheBaseFolderIsZipvaultsWorkingFolder) {
  Pages(tmp_, kBoard);
  TArchiveFile arc(nullptr);
  const std::string archive = boards_ + "/base.zip";
  arc.SetFileName(archive);
  ASSERT_TRUE(SetCurrentDirectoryA(root_.c_str()));
  ASSERT_EQ(arc.Pack(nullptr, nullptr, tmp_, {"*.bmp"}), 0);
  EXPECT_EQ(arc.LastCommandLine(), "-ru  \"" + archive + "\" \"" + tmp_ +
                                       "\\\" \"1.bmp\" \"1g.bmp\" \"2.bmp\" \"2g.bmp\" \"3.bmp\" ");
  EXPECT_EQ(PythonList(archive), Expected(tmp_, {"1.bmp", "1g.bmp", "2.bmp", "2g.bmp", "3.bmp"}));
  char cwd[4096];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_EQ(std::string(cwd), root_);
  // The library's own selection with the caller's names unchanged.
  TArchiverOptions o;
  o.SetPackFilter(pfArchiver);
  ASSERT_EQ(arc.Pack(nullptr, &o, tmp_, {"1.dat", "2.dat"}), 0);
  EXPECT_EQ(arc.LastCommandLine(), "-ru  \"" + archive + "\" \"" + tmp_ + "\\\" \"1.dat\" \"2.dat\" ");
  EXPECT_EQ(BsdtarList(archive), Lines({"1.dat", "2.dat"}));
}

TEST_F(Component, SelectionWindowsExclusionsAndFolders) {
  Pages(tmp_, {"old.bmp", "new.bmp", "mid.bmp", "skip.bmp", "a.bmp", "A.bmp", ".hidden.bmp"});
  mkdir((tmp_ + "/sub").c_str(), 0755);
  Pages(tmp_ + "/sub", {"deep.bmp", "deep.txt"});
  Shell("cd '" + tmp_ + "' && touch -d '2023-06-01 12:00' old.bmp && touch -d '2024-01-01 00:00:00' mid.bmp"
      " && ln -s .. sub/loop && mkfifo pipe.bmp");
  ASSERT_TRUE(SetCurrentDirectoryA(tmp_.c_str()));
  const std::string archive = boards_ + "/sel.zip";
  TArchiveFile arc(nullptr);
  arc.SetFileName(archive);
  std::vector<std::string> seen;
  arc.OnProgress = [&](TObject* Sender, int State, LPEXTRACTINGINFOEX lpEis, bool&) {
    EXPECT_EQ(Sender, &arc);
    EXPECT_EQ(State, 2053);
    seen.push_back(lpEis->szSourceFileName);
  };
  TArchiverOptions o;
  o.Setjo("20240101");      // from 2024-01-01 00:00:00
  o.Setjob("l751231");      // up to 2075-12-31 23:59:59 (two-digit years: 1976 to 2075)
  o.jx()->Add("skip.bmp");
  o.Setr(1);                // into subfolders, for a pattern with a wildcard
  ASSERT_EQ(arc.Pack(nullptr, &o, "", {"*.bmp"}), 0);
  // Both cases of a.bmp, no hidden file, no pipe, no loop through the link; sorted regardless of case.
  auto sorted = seen;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<std::string>{"A.bmp", "a.bmp", "mid.bmp", "new.bmp", "sub\\deep.bmp"}));
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                             [](const std::string& x, const std::string& y) { return AnsiCompareText(x, y) < 0; }));
  EXPECT_EQ(BsdtarList(archive), Lines({"A.bmp", "a.bmp", "mid.bmp", "new.bmp", "sub/deep.bmp"}));
  // The caller's options are not changed by the selection.
  EXPECT_EQ(o.r(), 1);
  EXPECT_EQ(o.jo(), "20240101");
  // Hidden files with a >= 1.
  o.Seta(1);
  o.Setr(-1);
  seen.clear();
  ASSERT_EQ(arc.Pack(nullptr, &o, "", {".hidden.bmp"}), 0);
  EXPECT_EQ(seen, std::vector<std::string>{".hidden.bmp"});
}

TEST_F(Component, ProgressNoticesOwnerWindowAndAbort) {
  Pages(tmp_, kBoard);
  ASSERT_TRUE(SetCurrentDirectoryA(tmp_.c_str()));
  const std::string archive = boards_ + "/p.zip";
  TArchiveFile arc(nullptr);
  arc.SetFileName(archive);
  int notices = 0;
  arc.OnProgress = [&](TObject*, int, LPEXTRACTINGINFOEX, bool& Abort) {
    if (++notices == 3) Abort = true;
  };
  EXPECT_EQ(arc.Pack(nullptr, nullptr, "", {"*.*"}), kPackAborted);
  EXPECT_EQ(notices, 3);
  EXPECT_FALSE(Exists(archive));
  EXPECT_EQ(arc.LastCommandLine(), "");
  // Zipvault takes no owner window: none is claimed on the command line.
  arc.OnProgress = [&](TObject*, int, LPEXTRACTINGINFOEX, bool&) {};
  ASSERT_EQ(arc.Pack(nullptr, nullptr, "", {"1.bmp"}), 0);
  EXPECT_FALSE(arc.Archiver()->HasOwnerWindow());
  EXPECT_EQ(arc.Extract(nullptr, nullptr, root_ + "/out", {nullptr}), 0);
  EXPECT_EQ(arc.LastCommandLine(), "-x  \"" + archive + "\" \"" + root_ + "/out\\\" ");
  EXPECT_EQ(ReadFile(root_ + "/out/1.bmp"), ReadFile(tmp_ + "/1.bmp"));
}

TEST_F(Component, AnEmptySelectionCallsNoLibrary) {
  ASSERT_TRUE(SetCurrentDirectoryA(tmp_.c_str()));
  const std::string archive = boards_ + "/e.zip";
  TArchiveFile arc(nullptr);
  arc.SetFileName(archive);
  arc.SetOutputSize(10);
  EXPECT_EQ(arc.OutputSize(), 10);
  EXPECT_EQ(arc.Pack(nullptr, nullptr, "", {"*.bmp"}), 0);
  EXPECT_EQ(arc.Output()[0], '\0');
  EXPECT_EQ(arc.LastCommandLine(), "");
  EXPECT_FALSE(Exists(archive));
  arc.SetOutputSize(-5);
  EXPECT_EQ(arc.OutputSize(), 0);
}

TEST_F(Component, ArchivesMadeByPythonExtractAndList) {
  const std::string archive = boards_ + "/py.zip";
  WriteFile(root_ + "/make.py",
            "import sys, zipfile\n"
            "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
            "i = zipfile.ZipInfo('1.bmp', (2024, 3, 5, 14, 30, 20)); i.compress_type = zipfile.ZIP_DEFLATED\n"
            "z.writestr(i, b'BM' + bytes(range(256)) * 300)\n"
            "i = zipfile.ZipInfo('sub/2.dat', (2025, 12, 31, 23, 59, 58))\n"
            "z.writestr(i, b'12345678')\n"
            "z.close()\n");
  ASSERT_EQ(Shell("python3 '" + root_ + "/make.py' '" + archive + "' && echo ok"), "ok\n");
  TArchiveFile arc(nullptr);
  arc.SetFileName(archive);
  EXPECT_EQ(arc.Extract(nullptr, nullptr, tmp_, {nullptr}), 0);
  std::string bm = "BM";
  for (int k = 0; k < 300; ++k)
    for (int b = 0; b < 256; ++b) bm += static_cast<char>(b);
  EXPECT_EQ(ReadFile(tmp_ + "/1.bmp"), bm);
  EXPECT_EQ(ReadFile(tmp_ + "/sub/2.dat"), "12345678");

  // The listing through the ZIP archiver: names, sizes, and times from the DOS stamps.
  auto* zip = arc.Archiver();
  HARC h = zip->OpenArchive(nullptr, archive, 8388610);
  ASSERT_NE(h, nullptr);
  TArchiveEntryInfoEx info{};
  ASSERT_EQ(zip->FindFirst(h, "", &info), 0);
  EXPECT_STREQ(info.Info.szFileName, "1.bmp");
  EXPECT_EQ(Copy(info.llOriginalSize), bm.size());
  EXPECT_EQ(Copy(info.llCompressedSize), Copy(info.Info.dwCompressedSize));
  EXPECT_EQ(Copy(info.Info.wDate), ((2024 - 1980) << 9) | (3 << 5) | 5);
  EXPECT_EQ(Copy(info.Info.wTime), (14 << 11) | (30 << 5) | 10);
  FILETIME local, utc;
  ASSERT_TRUE(DosDateTimeToFileTime(info.Info.wDate, info.Info.wTime, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  EXPECT_EQ(Copy(info.ftWriteTime.dwLowDateTime), utc.dwLowDateTime);
  EXPECT_EQ(Copy(info.ftWriteTime.dwHighDateTime), utc.dwHighDateTime);
  EXPECT_EQ(Copy(info.ftCreateTime.dwLowDateTime), utc.dwLowDateTime);
  ASSERT_EQ(zip->FindNext(h, &info), 0);
  EXPECT_STREQ(info.Info.szFileName, "sub/2.dat");
  EXPECT_EQ(Copy(info.llOriginalSize), 8u);
  EXPECT_EQ(zip->FindNext(h, &info), -1);
  EXPECT_EQ(zip->CloseArchive(h), 0);
  EXPECT_TRUE(IsZipArchive(archive));
  EXPECT_EQ(DetectArchiverType(archive, false), atZip);
}

TEST_F(Component, MemberNamesThatLeaveTheFolderAreNotWritten) {
  const std::string archive = boards_ + "/evil.zip";
  WriteFile(root_ + "/make.py",
            "import sys, zipfile\n"
            "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
            "z.writestr('../evil.txt', b'x')\n"
            "z.writestr('/abs-evil.txt', b'x')\n"
            "z.writestr('good.txt', b'good')\n"
            "z.close()\n");
  ASSERT_EQ(Shell("python3 '" + root_ + "/make.py' '" + archive + "' && echo ok"), "ok\n");
  TArchiveFile arc(nullptr);
  arc.SetFileName(archive);
  EXPECT_EQ(arc.Extract(nullptr, nullptr, tmp_, {nullptr}), 1);  // Zipvault's warning, passed on
  EXPECT_EQ(ReadFile(tmp_ + "/good.txt"), "good");
  EXPECT_FALSE(Exists(root_ + "/evil.txt"));
  EXPECT_FALSE(Exists("/abs-evil.txt"));
}

TEST_F(Component, NamesTheCommandLineWouldMisreadAreRefused) {
  Pages(tmp_, {"-rf.bmp", "ok.bmp"});
  ASSERT_TRUE(SetCurrentDirectoryA(tmp_.c_str()));
  const std::string archive = boards_ + "/n.zip";
  TArchiveFile arc(nullptr);
  arc.SetFileName(archive);
  ASSERT_EQ(arc.Pack(nullptr, nullptr, "", {"ok.bmp"}), 0);
  const std::string before = ReadFile(archive);
  EXPECT_THROW(arc.Pack(nullptr, nullptr, "", {"*.bmp"}), EArchiver);
  EXPECT_EQ(ReadFile(archive), before);
  EXPECT_THROW(arc.Extract(nullptr, nullptr, tmp_, {"-rf.bmp"}), EArchiver);
}

// ---------------------------------------------------------------- failed packs

class FailedPack : public Component {
 protected:
  // Packs the board once, then changes a page, so that a second pack would differ.
  void Prepare() {
    Pages(tmp_, kBoard);
    ASSERT_TRUE(SetCurrentDirectoryA(tmp_.c_str()));
    archive_ = boards_ + "/keep.zip";
    arc_.SetFileName(archive_);
    ASSERT_EQ(arc_.Pack(nullptr, nullptr, "", {"*.*"}), 0);
    before_ = ReadFile(archive_);
    ASSERT_FALSE(before_.empty());
    WriteFile(tmp_ + "/4.bmp", RandomBytes(300000, 4));
  }
  void ExpectKept() {
    EXPECT_EQ(ReadFile(archive_), before_);
    EXPECT_EQ(Shell("ls '" + boards_ + "'"), "keep.zip\n");  // nothing left beside it
  }
  TArchiveFile arc_{nullptr};
  std::string archive_, before_;
};

TEST_F(FailedPack, AFullDiskKeepsThePreviousArchive) {
  Prepare();
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 200000;
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int r = arc_.Pack(nullptr, nullptr, "", {"*.*"});
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_NE(r, 0);
  ExpectKept();
}

TEST_F(FailedPack, ASourceThatVanishesKeepsThePreviousArchive) {
  Prepare();
  // The selection opens the file to look for its streams; it vanishes before Zipvault opens it.
  int opens = 0;
  winplat::SetFileFaultHook([&](const char* call, const std::string& path) -> DWORD {
    if (std::string(call) == "CreateFile" && path.size() > 6 && path.compare(path.size() - 6, 6, "/2.bmp") == 0 &&
        ++opens == 2)
      unlink(path.c_str());
    return 0;
  });
  EXPECT_EQ(arc_.Pack(nullptr, nullptr, "", {"*.*"}), 18);  // Zipvault's code for a file it could not read
  ExpectKept();
}

TEST_F(FailedPack, ASourceThatCannotBeOpenedKeepsThePreviousArchive) {
  Prepare();
  winplat::SetFileFaultHook([](const char* call, const std::string& path) -> DWORD {
    if (std::string(call) == "CreateFile" && path.size() > 7 && path.compare(path.size() - 7, 7, "/1g.bmp") == 0)
      return ERROR_ACCESS_DENIED;
    return 0;
  });
  EXPECT_EQ(arc_.Pack(nullptr, nullptr, "", {"*.*"}), 18);
  ExpectKept();
  winplat::SetFileFaultHook({});
  // Once the file can be read again the pack goes through.
  EXPECT_EQ(arc_.Pack(nullptr, nullptr, "", {"*.*"}), 0);
  std::vector<std::string> all = kBoard;
  all.push_back("4.bmp");
  EXPECT_EQ(PythonList(archive_), Expected(tmp_, all));
}

TEST_F(FailedPack, AReadOnlyArchiveStaysAsItWas) {
  Prepare();
  chmod(archive_.c_str(), 0444);
  EXPECT_NE(arc_.Pack(nullptr, nullptr, "", {"*.*"}), 0);
  ExpectKept();
  struct stat st;
  ASSERT_EQ(stat(archive_.c_str(), &st), 0);
  EXPECT_FALSE(st.st_mode & S_IWUSR);
}

TEST_F(FailedPack, ExtractingOverAReadOnlyFilePassesZipvaultsError) {
  Prepare();
  const std::string out = root_ + "/out";
  mkdir(out.c_str(), 0755);
  WriteFile(out + "/1.bmp", "mine");
  chmod((out + "/1.bmp").c_str(), 0444);
  const int r = arc_.Extract(nullptr, nullptr, out, {nullptr});
  EXPECT_NE(r, 0);
  EXPECT_EQ(ReadFile(out + "/1.bmp"), "mine");
  EXPECT_EQ(ReadFile(out + "/2.bmp"), ReadFile(tmp_ + "/2.bmp"));
}

}  // namespace
