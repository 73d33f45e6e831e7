// Files, folders and file streams, with names in code page 932 ("表" and "ソ" end in 5C).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include "Classes.h"

namespace {

void WriteBytes(const AnsiString& name, const std::string& bytes) {
  TFileStream f(name, fmCreate);
  f.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = "files_" + AnsiString(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ForceDirectories(root_);
    ASSERT_TRUE(DirectoryExists(root_));
  }
  AnsiString root_;
};

TEST_F(Files, ExistenceAndFolders) {
  AnsiString dir = root_ + "\\表\\ソ\\sub";
  EXPECT_TRUE(ForceDirectories(dir));
  EXPECT_TRUE(DirectoryExists(dir));
  EXPECT_TRUE(DirectoryExists(root_ + "/表/ソ"));  // both separators
  EXPECT_TRUE(ForceDirectories(dir + "\\"));          // already there
  AnsiString file = dir + "\\黒板.txt";
  EXPECT_FALSE(FileExists(file));
  WriteBytes(file, "x");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(dir));          // a folder is no file
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_FALSE(FileExists(dir + "\\*.txt"));  // wildcards never "exist"
  EXPECT_NE(FileAge(file), -1);
  EXPECT_EQ(FileAge(dir), -1);
  EXPECT_EQ(FileAge(dir + "\\*"), -1);
  EXPECT_TRUE(RenameFile(file, dir + "\\new.txt"));
  EXPECT_FALSE(FileExists(file));
  EXPECT_TRUE(DeleteFile(dir + "\\new.txt"));
  EXPECT_FALSE(DeleteFile(dir + "\\new.txt"));
  EXPECT_TRUE(RemoveDir(dir));
  EXPECT_FALSE(DirectoryExists(dir));
  EXPECT_TRUE(ForceDirectories("ab"));  // a short relative name is made too
  EXPECT_TRUE(DirectoryExists("ab"));
  EXPECT_THROW(ForceDirectories(""), EInOutError);
  // A folder under a file cannot be made.
  WriteBytes(root_ + "\\plain", "");
  EXPECT_FALSE(ForceDirectories(root_ + "\\plain\\sub"));
}

TEST_F(Files, FileAgeRoundTripsThroughDateTime) {
  AnsiString file = root_ + "\\a.txt";
  WriteBytes(file, "abc");
  int32_t age = FileAge(file);
  ASSERT_NE(age, -1);
  TDateTime t = FileDateToDateTime(age);
  EXPECT_LT(std::abs(t - Now()), 1.0 / 24 / 60 * 5);  // within five minutes
  EXPECT_EQ(DateTimeToFileDate(FileDateToDateTime(age)), age);
}

TEST_F(Files, FindFirstListsMatches) {
  for (const char* n : {"1.bmp", "2.bmp", "1.dat", "表.bmp"}) WriteBytes(root_ + "\\" + n, "12345");
  ForceDirectories(root_ + "\\sub.bmp");
  std::vector<AnsiString> names;
  TSearchRec sr;
  int r = FindFirst(root_ + "\\*.bmp", faAnyFile & ~faDirectory, sr);
  while (r == 0) {
    names.push_back(sr.Name);
    EXPECT_EQ(sr.Size, 5);
    EXPECT_EQ(sr.Attr & faDirectory, 0);
    r = FindNext(sr);
  }
  FindClose(sr);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<AnsiString>{"1.bmp", "2.bmp", "表.bmp"}));
  // Folders only when asked for.
  bool sawDir = false;
  r = FindFirst(root_ + "\\*.bmp", faDirectory, sr);
  while (r == 0) {
    if (sr.Attr & faDirectory) sawDir = sr.Name == "sub.bmp";
    r = FindNext(sr);
  }
  FindClose(sr);
  EXPECT_TRUE(sawDir);
  EXPECT_NE(FindFirst(root_ + "\\*.none", faAnyFile, sr), 0);
}

TEST_F(Files, CurrentDirectoryAndFullNames) {
  AnsiString cwd = GetCurrentDir();
  ASSERT_FALSE(cwd.empty());
  EXPECT_TRUE(SetCurrentDir(root_));
  EXPECT_EQ(ExtractFileName(ExcludeTrailingPathDelimiter(GetCurrentDir())), root_);
  AnsiString full = ExpandFileName("x.txt");
  EXPECT_EQ(ExtractFileName(full), "x.txt");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(ExtractFilePath(full)), GetCurrentDir());
  EXPECT_FALSE(SetCurrentDir("no such folder"));
  EXPECT_THROW(ChDir("no such folder"), EInOutError);
  ChDir(cwd);
  EXPECT_EQ(GetCurrentDir(), cwd);
}

TEST_F(Files, FileStreamRoundTrip) {
  AnsiString name = root_ + "\\表ソ.dat";
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("0123456789", 10);
    EXPECT_EQ(f.Size(), 10);
    f.SetPosition(2);
    f.WriteBuffer("ab", 2);
    EXPECT_EQ(f.Seek(0, soEnd), 10);
    f.SetSize(6);
    EXPECT_EQ(f.Size(), 6);
  }
  TFileStream f(name, fmOpenRead | fmShareDenyNone);
  char buf[16] = {};
  EXPECT_EQ(f.Read(buf, 16), 6);
  EXPECT_STREQ(buf, "01ab45");
  EXPECT_EQ(f.Read(buf, 16), 0);
  EXPECT_THROW(f.ReadBuffer(buf, 1), EReadError);
  EXPECT_EQ(f.Write("x", 1), 0);  // read-only
  EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
  // 64-bit positions.
  {
    TFileStream big(root_ + "\\big", fmCreate);
    EXPECT_EQ(big.Seek(INT64_C(5) << 30, soBeginning), INT64_C(5) << 30);
    EXPECT_EQ(big.Position(), INT64_C(5) << 30);
  }
}

TEST_F(Files, FileStreamErrors) {
  try {
    TFileStream f(root_ + "\\missing.txt", fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "ファイル " + root_ + "\\missing.txt は開けません");
  }
  try {
    TFileStream f(root_ + "\\no\\such\\dir\\x.txt", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "ファイル " + root_ + "\\no\\such\\dir\\x.txt を作成できません");
  }
  // No such access (3) or sharing (0x50 and up) modes.
  WriteBytes(root_ + "\\m", "m");
  EXPECT_THROW(TFileStream(root_ + "\\m", 3), EFOpenError);
  EXPECT_THROW(TFileStream(root_ + "\\m", fmOpenRead | 0x50), EFOpenError);
  EXPECT_EQ(FileOpen(root_ + "\\m", 0xF0), INVALID_HANDLE_VALUE);
  // A file held deny-write cannot be opened for writing.
  TFileStream holder(root_ + "\\m", fmOpenRead | fmShareDenyWrite);
  EXPECT_THROW(TFileStream(root_ + "\\m", fmOpenWrite), EFOpenError);
  TFileStream reader(root_ + "\\m", fmOpenRead | fmShareDenyNone);
  char c = 0;
  reader.ReadBuffer(&c, 1);
  EXPECT_EQ(c, 'm');
}

TEST_F(Files, ListsAndMemoryStreamsOnFiles) {
  TStringList l;
  l.Add("黒板");
  l.Add("表\\ソ");
  l.SaveToFile(root_ + "\\list.txt");
  TMemoryStream m;
  m.LoadFromFile(root_ + "\\list.txt");
  EXPECT_EQ(AnsiString(static_cast<char*>(m.Memory()), static_cast<size_t>(m.Size())),
            AnsiString("黒板\r\n表\\ソ\r\n"));
  TStringList back;
  back.LoadFromFile(root_ + "\\list.txt");
  EXPECT_TRUE(back.Equals(&l));
  m.SaveToFile(root_ + "\\copy.txt");
  TStringList copy;
  copy.LoadFromFile(root_ + "\\copy.txt");
  EXPECT_TRUE(copy.Equals(&l));
  EXPECT_THROW(back.LoadFromFile(root_ + "\\none.txt"), EFOpenError);
}

TEST(OSError, RaiseLastOSErrorCarriesCodeAndText) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  try {
    RaiseLastOSError();
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, 2u);
    EXPECT_EQ(e.Message(), "システム エラー。コード: 2。\r\n指定されたファイルが見つかりません。");
  }
  SetLastError(0);
  EXPECT_THROW(RaiseLastOSError(), EOSError);
  EXPECT_EQ(Win32Check(TRUE), TRUE);
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_THROW(Win32Check(FALSE), EOSError);
}

}  // namespace

namespace {

TEST(FileHandles, RawCallsReportFailure) {
  EXPECT_EQ(FileRead(INVALID_HANDLE_VALUE, nullptr, 1), -1);
  char c = 0;
  EXPECT_EQ(FileWrite(INVALID_HANDLE_VALUE, &c, 1), -1);
  EXPECT_EQ(FileSeek(INVALID_HANDLE_VALUE, 0, 0), -1);
  EXPECT_EQ(FileGetDate(INVALID_HANDLE_VALUE), -1);
  HANDLE h = FileCreate("raw.bin");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileWrite(h, "abcdef", 6), 6);
  EXPECT_EQ(FileSeek(h, -2, 2), 4);
  EXPECT_EQ(FileRead(h, &c, 1), 1);
  EXPECT_EQ(c, 'e');
  EXPECT_NE(FileGetDate(h), -1);
  THandleStream s(h);  // over the same handle, which it does not close
  EXPECT_EQ(s.Size(), 6);
  FileClose(h);
  EXPECT_EQ(FileSetAttr("raw.bin", faReadOnly), 0);
  EXPECT_NE(FileGetAttr("raw.bin") & faReadOnly, 0);
  EXPECT_EQ(FileSetAttr("raw.bin", 0), 0);
  EXPECT_EQ(FileGetAttr("missing.bin"), -1);
  EXPECT_NE(FileSetAttr("missing.bin", 0), 0);
}

}  // namespace
