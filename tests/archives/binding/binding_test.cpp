// Binding the archiver libraries: loading by name, required and optional entries, one look-up,
// the ZIP binding's three libraries, the listing's time and size fallbacks, the YZ1 password
// retry, self-extractors, and choosing the format of an archive.
#include <climits>
#include <cstring>

#include "archive_test_support.h"

using namespace archtest;

// A copy of a field of a packed record (no reference to an unaligned field).
template <class T>
T Copy(T v) {
  return v;
}

namespace {

std::string RealPath(const std::string& p) {
  char buf[PATH_MAX];
  return realpath(p.c_str(), buf) ? buf : p;
}

std::string ProgramFile() {
  char file[257] = {};
  GetModuleFileNameA(nullptr, file, sizeof file);
  return file;
}

TArchiveEntryInfo Member(const char* name, uint32_t size, uint16_t date, uint16_t time) {
  TArchiveEntryInfo e{};
  e.dwOriginalSize = size;
  e.dwCompressedSize = size / 2;
  e.wDate = date;
  e.wTime = time;
  std::strcpy(e.szFileName, name);
  return e;
}

uint64_t Ticks(FILETIME t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

TEST(Binding, AMissingLibraryNamesFormatAndFile) {
  LibraryFolder libs({});
  TArchiverDll dll("LHA 形式書庫", "Unlha", "UNLHA32.DLL");
  try {
    dll.LoadDLL();
    ADD_FAILURE();
  } catch (const ENoArchiverDLL& e) {
    EXPECT_EQ(e.Message(), "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。");
  }
  // Every operation that loads first raises it again.
  EXPECT_THROW(dll.OpenArchive(nullptr, "a.lzh", 0), ENoArchiverDLL);
  EXPECT_THROW(TLha32(), ENoArchiverDLL);
  try {
    TYZ1 yz1;
    ADD_FAILURE();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "Yz1 形式書庫を扱うには YYZ32.DLL か YZ1.DLL が必要です。");
  }
}

TEST(Binding, RequiredEntriesNameTheModule) {
  LibraryFolder libs({{"unlha32-command", "libunlha32.so"}});
  TArchiverDll dll("LHA 形式書庫", "Unlha", "UNLHA32.DLL");
  EXPECT_EQ(dll.Command(nullptr, "x a.lzh", nullptr, 0), 0);
  try {
    dll.OpenArchive(nullptr, "a.lzh", 0);
    ADD_FAILURE();
  } catch (const EEntryNotFound& e) {
    EXPECT_EQ(e.Message(), RealPath(FakeDir() + "/libunlha32-command.so") + " に UnlhaOpenArchive のエントリが見つかりません。");
  }
  // Optional entries that are missing answer 0.
  EXPECT_EQ(dll.SetOwnerWindowEx(reinterpret_cast<HWND>(1), nullptr), 0);
  EXPECT_EQ(dll.SetEnumMembersProc64(nullptr, 1094), 0);
  // Module 0 is the program, which has no entries: nothing is looked up in the process.
  void* entry = nullptr;
  EXPECT_FALSE(TCustomArchiverDll::GetEntry(entry, nullptr, "main", false));
  EXPECT_EQ(entry, nullptr);
  try {
    TCustomArchiverDll::GetEntry(entry, nullptr, "UnlhaFindFirst", true);
    ADD_FAILURE();
  } catch (const EEntryNotFound& e) {
    EXPECT_EQ(e.Message(), ProgramFile() + " に UnlhaFindFirst のエントリが見つかりません。");
  }
  // A bound entry is kept: no second look-up.
  void* bound = reinterpret_cast<void*>(&ProgramFile);
  EXPECT_TRUE(TCustomArchiverDll::GetEntry(bound, nullptr, "anything", true));
  EXPECT_EQ(bound, reinterpret_cast<void*>(&ProgramFile));
}

TEST(Binding, ListingFillsTimesAndSizesOrFallsBack) {
  // DOS 2024-03-05 14:30:20, local time.
  const uint16_t date = ((2024 - 1980) << 9) | (3 << 5) | 5, time = (14 << 11) | (30 << 5) | 10;
  FILETIME local, utc;
  ASSERT_TRUE(DosDateTimeToFileTime(date, time, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  for (const char* lib : {"unlha32", "unlha32-bare"}) {
    const bool bare = std::string(lib) == "unlha32-bare";
    LibraryFolder libs({{lib, "libunlha32.so"}});
    TLha32 lha;
    Fake fake("UNLHA32.DLL");
    fake.AddMember(Member("a.bmp", 5000, date, time));
    fake.AddMember(Member("b.bmp", 0, 0, 0));
    HARC h = lha.OpenArchive(nullptr, "a.lzh", 0);
    ASSERT_NE(h, nullptr);
    TArchiveEntryInfoEx info{};
    ASSERT_EQ(lha.FindFirst(h, "*", &info), 0);
    EXPECT_STREQ(info.Info.szFileName, "a.bmp");
    if (bare) {
      EXPECT_EQ(Ticks(info.ftWriteTime), Ticks(utc));
      EXPECT_EQ(Ticks(info.ftAccessTime), Ticks(utc));
      EXPECT_EQ(Ticks(info.ftCreateTime), Ticks(utc));
      EXPECT_EQ(Copy(info.llOriginalSize), 5000u);
      EXPECT_EQ(Copy(info.llCompressedSize), 2500u);
    } else {
      EXPECT_EQ(Ticks(info.ftWriteTime), 1u);
      EXPECT_EQ(Ticks(info.ftAccessTime), 2u);
      EXPECT_EQ(Ticks(info.ftCreateTime), 3u);
      EXPECT_EQ(Copy(info.llOriginalSize), 0x100000005u);
      EXPECT_EQ(Copy(info.llCompressedSize), 0x100000003u);
    }
    ASSERT_EQ(lha.FindNext(h, &info), 0);
    if (bare) EXPECT_EQ(Ticks(info.ftWriteTime), 0u);  // a DOS stamp of 0 is time 0
    EXPECT_EQ(lha.FindNext(h, &info), -1);
    EXPECT_EQ(lha.CloseArchive(h), 0);
  }
}

TEST(Binding, DosStampsThatNameNoMomentGiveTimeZero) {
  const uint16_t time = (10 << 11);
  for (uint16_t date : {uint16_t((44 << 9) | (13 << 5) | 1), uint16_t((44 << 9) | (2 << 5) | 30),
                        uint16_t((44 << 9) | (0 << 5) | 1), uint16_t((44 << 9) | (1 << 5) | 0)})
    EXPECT_EQ(Ticks(DosToUtcFileTime(date, time)), 0u) << date;
  EXPECT_EQ(Ticks(DosToUtcFileTime((44 << 9) | (1 << 5) | 1, (24 << 11))), 0u);
  EXPECT_NE(Ticks(DosToUtcFileTime((44 << 9) | (2 << 5) | 29, time)), 0u);  // 2024 is a leap year
}

TEST(Binding, FreeDLLClearsEveryEntry) {
  const std::string dir = Scratch("swap");
  winplat::SetLibraryFolder(dir);
  auto place = [&](const char* lib) {
    unlink((dir + "/libunlha32.so").c_str());
    ASSERT_EQ(symlink((FakeDir() + "/lib" + lib + ".so").c_str(), (dir + "/libunlha32.so").c_str()), 0);
  };
  place("unlha32");
  TArchiverDll dll("LHA 形式書庫", "Unlha", "UNLHA32.DLL");
  EXPECT_EQ(dll.SetEnumMembersProc64(nullptr, 1094), 1);
  EXPECT_EQ(dll.ClearEnumMembersProc64(), 1);
  dll.FreeDLL();
  // A library without the enumeration entries: the old pointers must not be called.
  place("unlha32-command");
  EXPECT_EQ(dll.SetEnumMembersProc64(nullptr, 1094), 0);
  EXPECT_EQ(dll.ClearEnumMembersProc64(), 0);
  dll.FreeDLL();
  winplat::SetLibraryFolder("");
}

// ---------------------------------------------------------------- ZIP binding

TEST(ZipBinding, ZipvaultAloneServesExtractPackAndListing) {
  LibraryFolder libs({{"zipvault", "libzipvault.so"}});
  TZip32 zip;
  TZipDll* dll = zip.ZipDll();
  EXPECT_EQ(dll->Unzip32Module(), nullptr);
  EXPECT_EQ(dll->Zip32JModule(), nullptr);
  ASSERT_NE(dll->ZipvaultModule(), nullptr);
  EXPECT_FALSE(dll->UnzipFromUnzip32());
  // "UnZipOpenArchive" is asked as "UnzipOpenArchive" of Zipvault; a missing archive answers 0.
  EXPECT_EQ(dll->OpenArchive(nullptr, "/no/such.zip", 8388610), nullptr);
  try {
    dll->ExtractMem(nullptr, "x", nullptr, 0, nullptr, nullptr, nullptr);
    ADD_FAILURE();
  } catch (const EEntryNotFound& e) {
    EXPECT_EQ(e.Message(), "UnZipExtractMem のエントリが DLL に見つかりませんでした。");
  }
  try {
    dll->SetOwnerWindowEx(reinterpret_cast<HWND>(1), nullptr);
    ADD_FAILURE();
  } catch (const EEntryNotFound& e) {
    EXPECT_EQ(e.Message(), ProgramFile() + " に UnZipSetOwnerWindowEx のエントリが見つかりません。");
  }
  // The owner window is cleared when the library cannot take it.
  EXPECT_THROW(zip.SetOwnerWindow(reinterpret_cast<HWND>(1), nullptr), EEntryNotFound);
  EXPECT_FALSE(zip.HasOwnerWindow());
}

TEST(ZipBinding, OutsideLibrariesComeFirstForTheirCommandsOnly) {
  LibraryFolder libs({{"unzip32", "libunzip32.so"}, {"zip32j", "libzip32j.so"}, {"zipvault", "libzipvault.so"}});
  TZip32 zip;
  Fake unzip("UNZIP32.DLL"), zip32j("ZIP32J.DLL");
  TArchiverOptions o;
  AnsiString out(16, ' '), cmd;
  out[0] = 0;
  unzip.SetAnswer("Command", 7);
  EXPECT_EQ(zip.Extract(nullptr, "A.zip", out, cmd, false, {nullptr}, "D", &o), 7);  // the answer, unchanged
  EXPECT_EQ(unzip.CallLog(), "Command buf 16;");
  EXPECT_STREQ(out.c_str(), "fake output");
  EXPECT_EQ(zip.Pack(nullptr, "A.zip", out, cmd, false, {"f"}, "", &o), 0);
  EXPECT_EQ(zip32j.CallLog(), "Command buf 16;");
  // The listing goes to Zipvault first, the check to UNZIP32 first.
  unzip.SetAnswer("CheckArchive", 1);
  EXPECT_TRUE(zip.CheckArchive("A.zip", 24, 0));
  EXPECT_EQ(zip.OpenArchive(nullptr, "/no/such.zip", 0), nullptr);
  EXPECT_EQ(unzip.CallLog(), "Command buf 16;CheckArchive A.zip 24;");
  // The owner window entries come from UNZIP32.
  EXPECT_TRUE(zip.SetOwnerWindow(reinterpret_cast<HWND>(5), nullptr));
  EXPECT_TRUE(zip.HasOwnerWindow());
  zip.KillOwnerWindow(reinterpret_cast<HWND>(5));
  EXPECT_FALSE(zip.HasOwnerWindow());
  DWORD written = 0;
  EXPECT_EQ(zip.ExtractMem(nullptr, "A.zip", cmd, nullptr, 0, &written, "-m.txt", &o), 0);
  EXPECT_EQ(written, 7u);
  EXPECT_EQ(cmd, "  \"A.zip\" \"[-]m.txt\" ");
}

TEST(ZipBinding, NoLibraryAtAll) {
  LibraryFolder libs({});
  TZip32 zip;  // loading raises nothing
  TArchiverOptions o;
  AnsiString out, cmd;
  try {
    zip.Extract(nullptr, "A.zip", out, cmd, false, {nullptr}, "D", &o);
    ADD_FAILURE();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "ZIP 形式書庫の解凍には UNZIP32.DLL または ZIPVAULT.DLL が必要です。");
  }
  try {
    zip.Pack(nullptr, "A.zip", out, cmd, false, {"f"}, "", &o);
    ADD_FAILURE();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "ZIP 形式書庫の作成には ZIP32J.DLL または ZIPVAULT.DLL が必要です。");
  }
  try {
    zip.Delete(nullptr, "A.zip", out, cmd, false, {"f"}, "", &o);
    ADD_FAILURE();
  } catch (const EEntryNotFound& e) {
    EXPECT_EQ(e.Message(), "Zip のエントリが DLL に見つかりませんでした。");
  }
  EXPECT_FALSE(IsZipArchive("A.zip"));
}

// ---------------------------------------------------------------- YZ1

TEST(Yz1Binding, PasswordRetry) {
  struct Case {
    int tries;           // SetDefaultPassword calls after which the listing opens
    int dialogAnswer;
    int want;
    const char* log;
  } cases[] = {
      {2, 0, 0,
       "OpenArchive a.yz1 0;FindFirst *;PasswordDialog 256;SetDefaultPassword secret;FindFirst *;"
       "PasswordDialog 256;SetDefaultPassword secret;FindFirst *;"},
      {1000, 0, 32778,
       "OpenArchive a.yz1 0;FindFirst *;PasswordDialog 256;SetDefaultPassword secret;FindFirst *;"
       "PasswordDialog 256;SetDefaultPassword secret;FindFirst *;PasswordDialog 256;SetDefaultPassword secret;"
       "FindFirst *;"},
      {1, -1, 32778, "OpenArchive a.yz1 0;FindFirst *;PasswordDialog 256;"},
  };
  for (const Case& c : cases) {
    LibraryFolder libs({{"yyz32", "libyyz32.so"}});
    TYZ1 yz1;
    Fake fake("YYZ32.DLL");
    fake.AddMember(Member("a.txt", 1, 0, 0));
    fake.SetAnswer("FindFirst", 32778);
    fake.SetAnswer("PasswordTries", c.tries);
    fake.SetAnswer("PasswordDialog", c.dialogAnswer);
    HARC h = yz1.GetDll()->OpenArchive(reinterpret_cast<HWND>(3), "a.yz1", 0);
    TArchiveEntryInfoEx info{};
    EXPECT_EQ(yz1.GetDll()->FindFirst(h, "*", &info), c.want);
    std::string log = fake.CallLog();
    EXPECT_EQ(log.substr(log.find("OpenArchive")), std::string(c.log)) << c.tries;
  }
}

TEST(Yz1Binding, FallsBackToTheSecondLibrary) {
  LibraryFolder libs({{"yz1", "libyz1.so"}});
  TYZ1 yz1;
  EXPECT_EQ(static_cast<TArchiverDll*>(yz1.GetDll())->DllName(), "YZ1.DLL");
}

// ---------------------------------------------------------------- self-extractors

class Sfx : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = Scratch("sfx");
    GetCurrentDirectoryA(sizeof saved_, saved_);
    SetCurrentDirectoryA(dir_.c_str());
    WriteFile("A.tar", "ARCHIVE");
  }
  void TearDown() override { SetCurrentDirectoryA(saved_); }
  template <class F>
  std::string Message(F f) {
    try {
      f();
    } catch (const EArchiver& e) {
      return e.Message();
    }
    return "(nothing raised)";
  }
  std::string dir_;
  char saved_[4096];
};

TEST_F(Sfx, StubsErrorsAndOutputs) {
  LibraryFolder libs({{"tar32", "libtar32.so"}, {"yyz32", "libyyz32.so"}, {"7-zip32", "lib7-zip32.so"},
                      {"zipvault", "libzipvault.so"}});
  TTar32 tar;
  TBZ232 bz2;
  TYZ1 yz1;
  TSevenZip32 sz;
  TZip32 zip;
  TArchiverOptions o;
  AnsiString out, cmd;
  EXPECT_EQ(Message([&] { tar.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }),
            "tar/tgz 書庫からの自己解凍書庫の作成には 'kmtarsef.exe' ファイルが必要です。");
  EXPECT_EQ(Message([&] { bz2.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }),
            "BZ2 形式書庫は自己解凍形式にできません。");
  EXPECT_EQ(Message([&] { yz1.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }),
            "yz1 書庫からのDOS自己解凍書庫の作成には yzdos16.sfx が必要です。");
  EXPECT_EQ(Message([&] { sz.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }), "16bit SFX を作成することはできません。");
  EXPECT_EQ(Message([&] { zip.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }),
            "zip 書庫からの自己解凍書庫の作成には 'ZIP32J.DLL' ファイルが必要です。");
  o.Setgw(1);
  EXPECT_EQ(Message([&] { yz1.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }),
            "yz1 書庫からのWin32自己解凍書庫の作成には yzw32cui.sfx か yzdec.exe が必要です。");
  EXPECT_EQ(Message([&] { sz.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }),
            "7z 書庫からの自己解凍書庫の作成には '7z.sfx' ファイルが必要です。");
  // With the stubs in the current folder: stub, then archive.
  WriteFile("kmtarsef.exe", "TARSTUB");
  WriteFile("yzdec.exe", "YZSTUB");
  WriteFile("7z.sfx", "7ZSTUB");
  mkdir("out", 0755);
  EXPECT_EQ(tar.MakeSfx(nullptr, "A.tar", out, cmd, "", &o), 0);
  EXPECT_EQ(ReadFile("A.EXE"), "TARSTUBARCHIVE");
  EXPECT_EQ(tar.MakeSfx(nullptr, "A.tar", out, cmd, "out", &o), 0);
  EXPECT_EQ(ReadFile("out/A.EXE"), "TARSTUBARCHIVE");
  // "A.exe" names the "A.EXE" made above (names match without regard to case): it is replaced.
  EXPECT_EQ(yz1.MakeSfx(nullptr, "A.tar", out, cmd, "", &o), 0);
  EXPECT_EQ(ReadFile("A.EXE"), "YZSTUBARCHIVE");
  EXPECT_EQ(sz.MakeSfx(nullptr, "A.tar", out, cmd, "out", &o), 0);
  EXPECT_EQ(ReadFile("out/A.EXE"), "7ZSTUBARCHIVE");
}

TEST_F(Sfx, ZipNeedsTheOutsideZipLibraryAndItsStub) {
  LibraryFolder libs({{"zip32j", "libzip32j.so"}, {"zipvault", "libzipvault.so"}});
  TZip32 zip;
  Fake zip32j("ZIP32J.DLL");
  TArchiverOptions o;
  AnsiString out, cmd;
  EXPECT_EQ(Message([&] { zip.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }),
            "zip 書庫からのDOS自己解凍書庫の作成には 'sfx16.dat' ファイルが必要です。");
  o.Setgw(1);
  EXPECT_EQ(Message([&] { zip.MakeSfx(nullptr, "A.tar", out, cmd, "", &o); }),
            "zip 書庫からのWin32自己解凍書庫の作成には 'sfx32gui.dat' ファイルが必要です。");
  WriteFile("sfx32gui.dat", "GUI");
  EXPECT_EQ(zip.MakeSfx(nullptr, "A.tar", out, cmd, "", &o), 0);
  EXPECT_EQ(ReadFile("A.EXE"), "GUIARCHIVE");
  EXPECT_EQ(zip32j.LastCommand(), "-A A.EXE");
  // -A works on the archive itself: it is never removed first.
  EXPECT_EQ(ReadFile("A.tar"), "ARCHIVE");
}

// ---------------------------------------------------------------- detection

TEST(Detection, ByExtension) {
  const std::pair<const char*, TArchiverType> cases[] = {
      {"a.lzh", atLha}, {"a.CAB", atCab}, {"a.zip", atZip}, {"a.jar", atZip}, {"a.ear", atZip}, {"a.War", atZip},
      {"a.arj", atArj}, {"a.rar", atRar}, {"a.yz1", atYz1}, {"a.gca", atGCA}, {"a.gza", atBga}, {"a.bza", atBga},
      {"a.bz2", atBZ2}, {"a.a", atTar},   {"a.lib", atTar}, {"a.tar", atTar}, {"a.deb", atTar}, {"a.rpm", atTar},
      {"a.cpio", atTar}, {"a.Z", atTgz},  {"a.gz", atTgz},  {"a.tgz", atTgz}, {"a.taz", atTgz}, {"a.7z", at7z},
      {"a.txt", atNone}, {"noext", atNone},
  };
  for (auto& [name, type] : cases) EXPECT_EQ(DetectArchiverType(name, true), type) << name;
}

TEST(Detection, ByContentTheLastPositiveTestWins) {
  const std::string dir = Scratch("detect");
  const std::string file = dir + "/x.exe";
  WriteFile(file, "not really an archive");
  {
    LibraryFolder libs({});
    EXPECT_EQ(DetectArchiverType(file, true), atNone);
  }
  {
    LibraryFolder libs({{"tar32", "libtar32.so"}, {"unrar32", "libunrar32.so"}});
    Fake tar("TAR32.DLL");
    tar.SetAnswer("GetArchiveType", 6);
    Fake rar("UNRAR32.DLL");
    rar.SetAnswer("OpenArchive", 0);
    EXPECT_EQ(DetectArchiverType(file, false), atBZ2);
    rar.SetAnswer("OpenArchive", 1);
    EXPECT_EQ(DetectArchiverType(file, false), atRar);
  }
  {
    LibraryFolder libs({{"unrar32", "libunrar32.so"}, {"bga32", "libbga32.so"}, {"cab32", "libcab32.so"},
                        {"unlha32", "libunlha32.so"}});
    EXPECT_EQ(DetectArchiverType(file, false), atCab);  // LHA's check answers no
    Fake lha("UNLHA32.DLL");
    lha.SetAnswer("CheckArchive", 1);
    EXPECT_EQ(DetectArchiverType(file, false), atLha);
  }
}

TEST(Detection, TheComponentKeepsItsTypeWhenNothingIsFound) {
  LibraryFolder libs({{"zipvault", "libzipvault.so"}});
  TArchiveFile arc(nullptr);
  EXPECT_EQ(arc.ArchiverType(), atAutoDetect);
  EXPECT_EQ(arc.FileName(), kNotGiven);
  arc.SetFileName("board.zip");
  EXPECT_EQ(arc.ArchiverType(), atZip);
  TArchiver* zip = arc.Archiver();
  arc.SetFileName("program.exe");
  EXPECT_EQ(arc.ArchiverType(), atZip);
  EXPECT_EQ(arc.Archiver(), zip);
  EXPECT_EQ(arc.FileName(), "program.exe");
  // The same type again makes a new archiver.
  arc.SetArchiverType(atZip);
  EXPECT_NE(arc.Archiver(), nullptr);
  // A missing library keeps type, archiver and name.
  TArchiver* current = arc.Archiver();
  try {
    arc.SetFileName("a.lzh");
    ADD_FAILURE();
  } catch (const ENoArchiverDLL& e) {
    EXPECT_EQ(e.Message(), "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。");
  }
  EXPECT_EQ(arc.ArchiverType(), atZip);
  EXPECT_EQ(arc.Archiver(), current);
  EXPECT_EQ(arc.FileName(), "program.exe");
  try {
    arc.SetArchiverType(atGCA);
    ADD_FAILURE();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "書庫の形式を特定できませんでした。");
  }
  arc.SetReading(true);
  arc.SetArchiverType(atBel);
  EXPECT_EQ(arc.ArchiverType(), atBel);
  arc.SetReading(false);
  arc.SetArchiverType(atNone);
  EXPECT_EQ(arc.ArchiverType(), atBel);
  TArchiveFile none(nullptr);
  try {
    none.Extract(nullptr, nullptr, "", {nullptr});
    ADD_FAILURE();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "書庫の形式を判別できません。");
  }
}

}  // namespace
