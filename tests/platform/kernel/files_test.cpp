#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <set>
#include <vector>

#include "scratch.h"
#include "winbase.h"
#include "winplat_mode.h"

namespace {
template <class F>
F ProcAs(FARPROC p) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

std::set<std::string> Listing(const std::string& dir = ".") {
  std::set<std::string> out;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") out.insert(e->d_name);
    closedir(d);
  }
  return out;
}

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

HANDLE OpenA(const char* name, DWORD access, DWORD disposition, DWORD share = FILE_SHARE_READ) {
  return CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
HANDLE OpenW(const char16_t* name, DWORD access, DWORD disposition, DWORD share = FILE_SHARE_READ) {
  return CreateFileW(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE h, const std::string& s) {
  DWORD n = 0;
  return WriteFile(h, s.data(), static_cast<DWORD>(s.size()), &n, nullptr) && n == s.size();
}
std::string ReadAll(HANDLE h) {
  std::string out;
  char buf[256];
  DWORD n;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  return out;
}

}  // namespace

class Files : public ScratchTest {};

TEST_F(Files, AnsiNamesAreShiftJisAndNeverSplitAtTrailBytes) {
  // "表" is 0x95 0x5C and "ソ" is 0x83 0x5C in code page 932: the 0x5C is not a separator.
  ASSERT_EQ(std::string("表"), "\x95\x5C");
  ASSERT_TRUE(CreateDirectoryA("ソフト", nullptr));
  HANDLE h = OpenA("ソフト\\表.txt", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
  EXPECT_TRUE(WriteAll(h, "chalk"));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(Listing(), std::set<std::string>{U8(u8"ソフト")});
  EXPECT_EQ(Listing(U8(u8"ソフト")), std::set<std::string>{U8(u8"表.txt")});
  h = OpenA("ソフト/表.txt", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(h), "chalk");
  CloseHandle(h);
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA("ソフト\\*.txt", &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(fd.cFileName, "表.txt");
  EXPECT_EQ(fd.nFileSizeLow, 5u);
  FindClose(f);
}

TEST_F(Files, WideNamesOutsideTheBasicPlaneRoundTrip) {
  const char16_t* name = u"\U0001F58D chalk \U00020B9F.txt";  // a crayon and a CJK extension-B character
  HANDLE h = OpenW(name, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_TRUE(WriteAll(h, "abc"));
  CloseHandle(h);
  EXPECT_EQ(Listing(), std::set<std::string>{U8(u8"\U0001F58D chalk \U00020B9F.txt")});
  WIN32_FIND_DATAW fd;
  HANDLE f = FindFirstFileW(u"*.TXT", &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(fd.cFileName), name);
  EXPECT_EQ(fd.cAlternateFileName[0], 0);
  FindClose(f);
  // Opened again with CREATE_ALWAYS: truncated, and the last error says it existed.
  h = OpenW(name, GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(GetFileSize(h, nullptr), 0u);
  CloseHandle(h);
}

TEST_F(Files, OpenFallsBackToAnotherCaseAndBothSeparators) {
  std::filesystem::create_directories("Chalks");
  WriteBytes("Chalks/settings.ini", "[Board]\n");
  for (const char* name : {"chalks\\SETTINGS.INI", "CHALKS/Settings.Ini", ".\\chalks\\.\\settings.ini"}) {
    HANDLE h = OpenA(name, GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << name;
    EXPECT_EQ(ReadAll(h), "[Board]\n");
    CloseHandle(h);
  }
  // Rewriting through another case keeps the one file.
  HANDLE h = OpenA("CHALKS\\SETTINGS.INI", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  WriteAll(h, "new");
  CloseHandle(h);
  EXPECT_EQ(Listing("Chalks"), std::set<std::string>{"settings.ini"});
  EXPECT_EQ(ReadBytes("Chalks/settings.ini"), "new");
}

TEST_F(Files, SeeksPastFourGigabytesOnASparseFile) {
  HANDLE h = OpenA("big.bin", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const LONGLONG far = 0x100000010LL;  // 4 GiB + 16
  LARGE_INTEGER d, pos;
  d.QuadPart = far;
  ASSERT_TRUE(SetFilePointerEx(h, d, &pos, FILE_BEGIN));
  EXPECT_EQ(pos.QuadPart, far);
  EXPECT_TRUE(WriteAll(h, "Z"));
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, far + 1);
  DWORD high = 0;
  EXPECT_EQ(GetFileSize(h, &high), 0x11u);
  EXPECT_EQ(high, 1u);
  // The 32-bit call with a high part.
  LONG hi = 1;
  EXPECT_EQ(SetFilePointer(h, 0x10, &hi, FILE_BEGIN), 0x10u);
  EXPECT_EQ(hi, 1);
  char c = 0;
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(h, &c, 1, &n, nullptr));
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(c, 'Z');
  // Without a high part the answer cannot hold the position: the call fails.
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  // Back before the start.
  EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  // A distance that would overflow the position is refused.
  d.QuadPart = INT64_MAX;
  EXPECT_FALSE(SetFilePointerEx(h, d, &pos, FILE_END));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // Cut the file at 3 bytes.
  EXPECT_EQ(SetFilePointer(h, 3, nullptr, FILE_BEGIN), 3u);
  EXPECT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h, &high), 3u);
  EXPECT_EQ(high, 0u);
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_EQ(GetFileType(h), static_cast<DWORD>(FILE_TYPE_DISK));
  CloseHandle(h);
}

TEST_F(Files, DispositionsAndAccess) {
  EXPECT_EQ(OpenA("none.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenA("none.txt", GENERIC_WRITE, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  HANDLE h = OpenA("a.txt", GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  WriteAll(h, "12345");
  char buf[4];
  DWORD n = 7;
  EXPECT_FALSE(ReadFile(h, buf, 4, &n, nullptr));  // opened for writing only
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(n, 0u);
  CloseHandle(h);
  EXPECT_EQ(OpenA("a.txt", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  h = OpenA("a.txt", GENERIC_READ, OPEN_ALWAYS);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(WriteAll(h, "x"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadAll(h), "12345");
  CloseHandle(h);
  h = OpenA("a.txt", GENERIC_WRITE, TRUNCATE_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(h, nullptr), 0u);
  CloseHandle(h);
  // A folder opens only with backup semantics.
  CreateDirectoryA("dir", nullptr);
  EXPECT_EQ(OpenA("dir", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  h = CreateFileA("dir", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  BY_HANDLE_FILE_INFORMATION info;
  ASSERT_TRUE(GetFileInformationByHandle(h, &info));
  EXPECT_TRUE(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(h);
}

TEST_F(Files, SharingBetweenHandlesOfTheProcess) {
  HANDLE w = OpenA("s.txt", GENERIC_WRITE, CREATE_NEW, FILE_SHARE_READ);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  HANDLE r = OpenA("s.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_NE(r, INVALID_HANDLE_VALUE);  // reading is shared, and the reader lets the writer write
  EXPECT_EQ(OpenA("s.txt", GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);  // the first handle denies writing
  EXPECT_EQ(OpenA("s.txt", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);  // a writer is open, this one denies writing
  EXPECT_FALSE(DeleteFileA("s.txt"));  // open without FILE_SHARE_DELETE
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(r);
  CloseHandle(w);
  EXPECT_TRUE(DeleteFileA("s.txt"));
}

TEST_F(Files, ErrorsTable) {
  std::filesystem::create_directories("there/full");
  WriteBytes("there/file.txt", "x");
  WriteBytes("there/full/f", "x");
  auto open = [](const char* n, DWORD access, DWORD disp) {
    return [=] {
      HANDLE h = OpenA(n, access, disp);
      if (h == INVALID_HANDLE_VALUE) return FALSE;
      CloseHandle(h);
      return TRUE;
    };
  };
  struct Case {
    const char* what;
    std::function<BOOL()> call;
    DWORD error;
  };
  const Case cases[] = {
      {"open missing file", open("there\\nofile", GENERIC_READ, OPEN_EXISTING), ERROR_FILE_NOT_FOUND},
      {"open in missing folder", open("nofolder\\file", GENERIC_READ, OPEN_EXISTING), ERROR_PATH_NOT_FOUND},
      {"create in missing folder", open("nofolder\\file", GENERIC_WRITE, CREATE_ALWAYS), ERROR_PATH_NOT_FOUND},
      {"open below a file", open("there\\file.txt\\x", GENERIC_READ, OPEN_EXISTING), ERROR_PATH_NOT_FOUND},
      {"open empty name", open("", GENERIC_READ, OPEN_EXISTING), ERROR_PATH_NOT_FOUND},
      {"delete missing file", [] { return DeleteFileA("there\\nofile"); }, ERROR_FILE_NOT_FOUND},
      {"delete in missing folder", [] { return DeleteFileA("nofolder\\nofile"); }, ERROR_PATH_NOT_FOUND},
      {"delete a folder", [] { return DeleteFileA("there"); }, ERROR_ACCESS_DENIED},
      {"attributes of missing", [] { return BOOL(GetFileAttributesA("there\\nofile") != INVALID_FILE_ATTRIBUTES); },
       ERROR_FILE_NOT_FOUND},
      {"attributes in missing folder", [] { return BOOL(GetFileAttributesA("no\\f") != INVALID_FILE_ATTRIBUTES); },
       ERROR_PATH_NOT_FOUND},
      {"create existing folder", [] { return CreateDirectoryA("there", nullptr); }, ERROR_ALREADY_EXISTS},
      {"create folder in missing", [] { return CreateDirectoryA("nofolder\\sub", nullptr); }, ERROR_PATH_NOT_FOUND},
      {"remove full folder", [] { return RemoveDirectoryA("there\\full"); }, ERROR_DIR_NOT_EMPTY},
      {"remove a file", [] { return RemoveDirectoryA("there\\file.txt"); }, static_cast<DWORD>(ERROR_DIRECTORY)},
      {"remove missing folder", [] { return RemoveDirectoryA("there\\nodir"); }, ERROR_FILE_NOT_FOUND},
      {"chdir missing", [] { return SetCurrentDirectoryA("nofolder"); }, ERROR_FILE_NOT_FOUND},
      {"move missing", [] { return MoveFileA("there\\nofile", "x"); }, ERROR_FILE_NOT_FOUND},
      {"move onto existing", [] { return MoveFileA("there\\file.txt", "there\\full\\f"); }, ERROR_ALREADY_EXISTS},
      {"copy onto existing", [] { return CopyFileA("there\\file.txt", "there\\full\\f", TRUE); }, ERROR_FILE_EXISTS},
      {"copy missing", [] { return CopyFileA("there\\nofile", "x", FALSE); }, ERROR_FILE_NOT_FOUND},
      {"copy onto itself", [] { return CopyFileA("there\\file.txt", "THERE\\FILE.TXT", FALSE); },
       ERROR_SHARING_VIOLATION},
      // Characters no file name holds (a "?" is what the ANSI conversion leaves for a character
      // outside the code page): refused, never made under that name.
      {"create with ?", open("there\\?.log", GENERIC_WRITE, CREATE_ALWAYS), ERROR_INVALID_NAME},
      {"create with *", open("there\\a*b", GENERIC_WRITE, CREATE_NEW), ERROR_INVALID_NAME},
      {"create with <", open("there\\a<b", GENERIC_WRITE, CREATE_ALWAYS), ERROR_INVALID_NAME},
      {"create with |", open("there\\a|b", GENERIC_WRITE, CREATE_ALWAYS), ERROR_INVALID_NAME},
      {"create with quote", open("there\\a\"b", GENERIC_WRITE, CREATE_ALWAYS), ERROR_INVALID_NAME},
      {"open with ?", open("there\\file.tx?", GENERIC_READ, OPEN_EXISTING), ERROR_INVALID_NAME},
      {"folder with ?", [] { return CreateDirectoryA("there\\d?", nullptr); }, ERROR_INVALID_NAME},
      {"move to ?", [] { return MoveFileA("there\\file.txt", "there\\f?"); }, ERROR_INVALID_NAME},
      {"copy to >", [] { return CopyFileA("there\\file.txt", "there\\f>", FALSE); }, ERROR_INVALID_NAME},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(ReadBytes("there/file.txt"), "x");
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator("there")) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"file.txt", "full"}));
}

TEST_F(Files, StaleAndForgedHandlesAreRejected) {
  HANDLE h = OpenA("x.txt", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
  char buf[4];
  DWORD n = 9;
  const std::vector<HANDLE> bad = {h, nullptr, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x1234),
                                   reinterpret_cast<HANDLE>(uintptr_t{0xDEADBEEF00})};
  for (HANDLE b : bad) {
    SetLastError(0);
    EXPECT_FALSE(ReadFile(b, buf, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(WriteFile(b, buf, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetFilePointer(b, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetFileSize(b, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetFileType(b), static_cast<DWORD>(FILE_TYPE_UNKNOWN));
    EXPECT_FALSE(CloseHandle(b));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindClose(b));
    WIN32_FIND_DATAA fd;
    EXPECT_FALSE(FindNextFileA(b, &fd));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
  // A find handle is not a file handle.
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA("*", &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFile(f, buf, 4, &n, nullptr));
  EXPECT_FALSE(CloseHandle(f));
  EXPECT_TRUE(FindClose(f));
}

TEST_F(Files, MoveReplacesAtomicallyAndCopies) {
  WriteBytes("new.zip", "NEW");
  WriteBytes("old.zip", "OLD");
  EXPECT_FALSE(MoveFileExA("new.zip", "OLD.ZIP", 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(MoveFileExA("new.zip", "OLD.ZIP", MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(Listing(), std::set<std::string>{"old.zip"});  // replaced the case variant
  EXPECT_EQ(ReadBytes("old.zip"), "NEW");
  // A read-only target is not replaced.
  WriteBytes("ro.txt", "RO");
  ASSERT_TRUE(SetFileAttributesA("ro.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(MoveFileExA("old.zip", "ro.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadBytes("ro.txt"), "RO");
  // Renaming to another case of the same name.
  EXPECT_TRUE(MoveFileA("old.zip", "Old.Zip"));
  EXPECT_EQ(Listing().count("Old.Zip"), 1u);
  // Copy keeps the source and its write time; refuses to overwrite when asked.
  EXPECT_TRUE(CopyFileA("Old.Zip", "copy.zip", TRUE));
  EXPECT_EQ(ReadBytes("copy.zip"), "NEW");
  struct stat a, b;
  stat("Old.Zip", &a);
  stat("copy.zip", &b);
  EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec);
  EXPECT_FALSE(CopyFileA("Old.Zip", "copy.zip", TRUE));
  EXPECT_TRUE(CopyFileA("ro.txt", "copy.zip", FALSE));
  EXPECT_EQ(ReadBytes("copy.zip"), "RO");
  // No temporary file is left behind.
  EXPECT_EQ(Listing(), (std::set<std::string>{"Old.Zip", "copy.zip", "ro.txt"}));
}

namespace {
struct ProgressLog {
  std::vector<std::pair<int64_t, int64_t>> calls;
  DWORD answer = PROGRESS_CONTINUE;
};
DWORD CALLBACK OnProgress(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE,
                          HANDLE, LPVOID data) {
  auto* log = static_cast<ProgressLog*>(data);
  log->calls.emplace_back(total.QuadPart, done.QuadPart);
  return log->answer;
}
}  // namespace

TEST_F(Files, MoveWithProgressReportsTheWholeFile) {
  WriteBytes("a.bin", std::string(1000, 'a'));
  ProgressLog log;
  ASSERT_TRUE(MoveFileWithProgressA("a.bin", "b.bin", &OnProgress, &log, MOVEFILE_COPY_ALLOWED));
  ASSERT_FALSE(log.calls.empty());
  EXPECT_EQ(log.calls.back(), std::make_pair(int64_t{1000}, int64_t{1000}));
  EXPECT_EQ(ReadBytes("b.bin"), std::string(1000, 'a'));
  EXPECT_EQ(GetFileAttributesA("a.bin"), INVALID_FILE_ATTRIBUTES);
  // Through the export table, as a caller that looks the call up by name.
  using MoveProc = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPPROGRESS_ROUTINE, LPVOID, DWORD);
  auto proc = ProcAs<MoveProc>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileWithProgressA"));
  ASSERT_NE(proc, nullptr);
  EXPECT_TRUE(proc("b.bin", "c.bin", nullptr, nullptr, MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadBytes("c.bin").size(), 1000u);
}

TEST_F(Files, AttributesAndReadOnly) {
  CreateDirectoryA("d", nullptr);
  WriteBytes("f.txt", "x");
  WriteBytes(".hidden", "x");
  EXPECT_EQ(GetFileAttributesA("d"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA("F.TXT"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(GetFileAttributesA(".hidden"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA("f.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(GetFileAttributesA("f.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
  struct stat st;
  stat("f.txt", &st);
  EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
  // Read-only holds for every user (also where Linux would let root write or delete).
  EXPECT_EQ(OpenA("f.txt", GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileA("f.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE h = OpenA("f.txt", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  ASSERT_TRUE(SetFileAttributesA("f.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileA("f.txt"));
  WIN32_FILE_ATTRIBUTE_DATA data;
  WriteBytes("g.txt", "12345");
  ASSERT_TRUE(GetFileAttributesExA("G.txt", GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
}

TEST_F(Files, FileTimesSetAndRead) {
  HANDLE h = OpenA("t.txt", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SYSTEMTIME st{2001, 9, 0, 9, 12, 34, 56, 0};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  FILETIME back{}, access{};
  EXPECT_TRUE(GetFileTime(h, nullptr, &access, &back));
  EXPECT_EQ(CompareFileTime(&ft, &back), 0);
  CloseHandle(h);
  struct stat s;
  stat("t.txt", &s);
  EXPECT_EQ(s.st_mtim.tv_sec, 1000038896);  // 2001-09-09 12:34:56 UTC
  // A handle without write access cannot set times.
  h = OpenA("t.txt", GENERIC_READ, OPEN_EXISTING);
  EXPECT_FALSE(SetFileTime(h, nullptr, nullptr, &ft));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(h);
}

TEST_F(Files, FindWithMasks) {
  for (const char* n : {"1.bmp", "1g.bmp", "2.BMP", "10.dat", "README", "a.b.c", "x.bmp.bak"}) WriteBytes(n, "x");
  CreateDirectoryA("Sub", nullptr);
  auto find = [](const char* mask) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA(mask, &fd);
    if (f == INVALID_HANDLE_VALUE) return names;
    do names.push_back(fd.cFileName);
    while (FindNextFileA(f, &fd));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    FindClose(f);
    return names;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(find("*.*"), (V{".", "..", "1.bmp", "10.dat", "1g.bmp", "2.BMP", "a.b.c", "README", "Sub", "x.bmp.bak"}));
  EXPECT_EQ(find("*.bmp"), (V{"1.bmp", "1g.bmp", "2.BMP"}));
  EXPECT_EQ(find("?.BMP"), (V{"1.bmp", "2.BMP"}));
  EXPECT_EQ(find("*g.bmp"), (V{"1g.bmp"}));
  EXPECT_EQ(find("*."), (V{".", "..", "README", "Sub"}));
  EXPECT_EQ(find("readme"), (V{"README"}));
  EXPECT_EQ(find(".\\SUB\\*"), (V{".", ".."}));
  EXPECT_EQ(find("*.zip"), V{});
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  WIN32_FIND_DATAA fd;
  EXPECT_EQ(FindFirstFileA("nofolder\\*.*", &fd), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  HANDLE f = FindFirstFileA("sub", &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_EQ(fd.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  FindClose(f);
}

TEST_F(Files, CurrentFolderFullPathAndTempNames) {
  CreateDirectoryA("Work", nullptr);
  ASSERT_TRUE(SetCurrentDirectoryA("work"));
  char buf[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
  EXPECT_EQ(std::string(buf, n), Dir() + "/Work");
  EXPECT_EQ(GetCurrentDirectoryA(3, buf), n + 1);  // too small: the size needed
  char* part = nullptr;
  n = GetFullPathNameA("..\\x\\..\\file.txt", MAX_PATH, buf, &part);
  EXPECT_EQ(std::string(buf, n), Dir() + "/file.txt");
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "file.txt");
  n = GetFullPathNameA("C:\\tmp\\", MAX_PATH, buf, &part);
  EXPECT_EQ(std::string(buf, n), "/tmp/");
  EXPECT_EQ(part, nullptr);
  ASSERT_TRUE(SetCurrentDirectoryA(".."));

  n = GetTempPathA(MAX_PATH, buf);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(buf[n - 1], '/');
  char t1[MAX_PATH], t2[MAX_PATH];
  UINT u1 = GetTempFileNameA(".", "ZVTX", 0, t1);
  UINT u2 = GetTempFileNameA("WORK\\", "ZVT", 0, t2);
  ASSERT_NE(u1, 0u);
  ASSERT_NE(u2, 0u);
  const std::string s1 = t1, s2 = t2;
  EXPECT_EQ(s1.rfind(Dir() + "/ZVT", 0), 0u) << s1;
  EXPECT_EQ(s2.rfind(Dir() + "/Work/ZVT", 0), 0u) << s2;
  EXPECT_EQ(s1.substr(s1.size() - 4), ".tmp");
  EXPECT_EQ(GetFileAttributesA(t1), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));  // created, empty
  // Names in one folder never repeat while their files exist.
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    char t[MAX_PATH];
    ASSERT_NE(GetTempFileNameA(".", "ZVT", 0, t), 0u);
    EXPECT_TRUE(names.insert(t).second);
  }
  // With a number given, the name is only built.
  char t3[MAX_PATH];
  EXPECT_EQ(GetTempFileNameA(".", "abc", 0x1A2B, t3), 0x1A2Bu);
  EXPECT_EQ(std::string(t3), Dir() + "/abc1A2B.tmp");
  EXPECT_EQ(GetFileAttributesA(t3), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetTempFileNameA("nofolder", "abc", 0, t3), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST_F(Files, VolumeInformation) {
  char name[32], fs[32];
  DWORD serial = 0, maxLen = 0, flags = 0;
  ASSERT_TRUE(GetVolumeInformationA("C:\\", name, sizeof name, &serial, &maxLen, &flags, fs, sizeof fs));
  EXPECT_EQ(maxLen, 255u);
  EXPECT_STREQ(name, "");
  EXPECT_TRUE(flags & FILE_CASE_PRESERVED_NAMES);
  char16_t wfs[32];
  ASSERT_TRUE(GetVolumeInformationW(nullptr, nullptr, 0, nullptr, &maxLen, nullptr, wfs, 32));
  EXPECT_EQ(maxLen, 255u);
}

TEST_F(Files, WideCallsFailOnTheAnsiOnlyPlatform) {
  winplat::SetAnsiOnlyPlatform(true);
  EXPECT_EQ(OpenW(u"w.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_CALL_NOT_IMPLEMENTED);
  EXPECT_EQ(GetFileAttributesW(u"."), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_CALL_NOT_IMPLEMENTED);
  WIN32_FIND_DATAW fd;
  EXPECT_EQ(FindFirstFileW(u"*", &fd), INVALID_HANDLE_VALUE);
  char16_t buf[MAX_PATH];
  EXPECT_EQ(GetFullPathNameW(u"x", MAX_PATH, buf, nullptr), 0u);
  EXPECT_EQ(GetModuleFileNameW(nullptr, buf, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), ERROR_CALL_NOT_IMPLEMENTED);
  // The A calls still work.
  HANDLE h = OpenA("a.txt", GENERIC_WRITE, CREATE_ALWAYS);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  winplat::SetAnsiOnlyPlatform(false);
  EXPECT_NE(GetFileAttributesW(u"a.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Files, SearchPathLooksInTheGivenFoldersThenTheDefaultOnes) {
  CreateDirectoryA("Stubs", nullptr);
  WriteBytes("Stubs/sfx32gui.dat", "stub");
  char buf[512];
  char* part = nullptr;
  const std::string where = Dir() + "/Stubs/sfx32gui.dat";
  DWORD n = SearchPathA("nowhere;stubs", "SFX32GUI.DAT", nullptr, sizeof buf, buf, &part);
  EXPECT_EQ(std::string(buf, n), where);
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "sfx32gui.dat");
  n = SearchPathA("stubs", "sfx32gui", ".dat", sizeof buf, buf, nullptr);  // the extension is added
  EXPECT_EQ(std::string(buf, n), where);
  EXPECT_EQ(SearchPathA("stubs", "sfx32gui.dat", nullptr, 4, buf, nullptr), where.size() + 1);
  ASSERT_TRUE(SetCurrentDirectoryA("Stubs"));
  n = SearchPathA(nullptr, "sfx32gui.dat", nullptr, sizeof buf, buf, nullptr);  // the current folder
  EXPECT_EQ(std::string(buf, n), where);
  ASSERT_TRUE(SetCurrentDirectoryA(".."));
  EXPECT_EQ(SearchPathA(nullptr, "kmtarsef.exe", nullptr, sizeof buf, buf, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  DWORD handle = 7;
  EXPECT_EQ(GetFileVersionInfoSizeA("Stubs\\sfx32gui.dat", &handle), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(GetFileVersionInfoSizeA("missing.exe", &handle), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, LinksAndSpecialFiles) {
  CreateDirectoryA("real", nullptr);
  WriteBytes("real/f.txt", "x");
  ASSERT_EQ(symlink("real", "loop"), 0);
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  EXPECT_EQ(GetFileAttributesA("loop"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA("loop", &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  FindClose(f);
  // A pipe is refused at once instead of blocking the caller.
  EXPECT_EQ(OpenA("pipe", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE h = OpenA("loop\\f.txt", GENERIC_READ, OPEN_EXISTING);  // links are followed when opened
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}
