// Named streams ("file:name:$DATA") over extended attributes, backup reads of a file's streams,
// and the volume flag that tells a file system keeps them. Skipped where it keeps none.
#include <sys/xattr.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "scratch.h"
#include "windows.h"

namespace {

class NamedStreams : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    DWORD flags = 0;
    ASSERT_TRUE(GetVolumeInformationA(Dir().c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0));
    if (!(flags & FILE_NAMED_STREAMS)) GTEST_SKIP() << "no extended attributes here";
  }
  static std::string Attr(const char* file, const char* name) {
    char buf[4096];
    ssize_t n = getxattr(file, name, buf, sizeof buf);
    return n < 0 ? "(none)" : std::string(buf, static_cast<size_t>(n));
  }
  static bool WriteAll(HANDLE h, const std::string& s) {
    DWORD w = 0;
    return WriteFile(h, s.data(), static_cast<DWORD>(s.size()), &w, nullptr) && w == s.size();
  }
  static std::string ReadAll(HANDLE h) {
    char buf[4096];
    DWORD n = 0;
    std::string s;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) s.append(buf, n);
    return s;
  }
};

TEST_F(NamedStreams, CreateWriteReadAndTheirErrors) {
  WriteBytes("f.txt", "main");
  HANDLE h = CreateFileA("f.txt:\x05Info:$DATA", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
  EXPECT_TRUE(WriteAll(h, "stream data"));
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_EQ(Attr("f.txt", "user.\x05Info"), "stream data");
  EXPECT_TRUE(CloseHandle(h));
  // The stream exists now: CREATE_NEW refuses, OPEN_EXISTING reads it (the type may be left out).
  EXPECT_EQ(CreateFileA("f.txt:\x05Info:$DATA", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  h = CreateFileA("F.TXT:\x05Info", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(h), "stream data");
  CloseHandle(h);
  EXPECT_EQ(ReadBytes("f.txt"), "main");
  // Written on close too, and CREATE_ALWAYS empties it.
  h = CreateFileA("f.txt:other", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  WriteAll(h, "x");
  CloseHandle(h);
  EXPECT_EQ(Attr("f.txt", "user.other"), "x");
  h = CreateFileA("f.txt:other:$DATA", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(h);
  EXPECT_EQ(Attr("f.txt", "user.other"), "");
  // "::$DATA" is the main data.
  h = CreateFileA("f.txt::$DATA", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(h), "main");
  CloseHandle(h);
  struct Bad {
    const char* name;
    DWORD disposition;
    DWORD error;
  } bad[] = {
      {"f.txt:missing:$DATA", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
      {"nofile.txt:s:$DATA", CREATE_NEW, ERROR_FILE_NOT_FOUND},
      {"f.txt:s:$INDEX_ALLOCATION", CREATE_NEW, ERROR_INVALID_NAME},
  };
  for (const Bad& b : bad) {
    EXPECT_EQ(CreateFileA(b.name, GENERIC_WRITE, 0, nullptr, b.disposition, 0, nullptr), INVALID_HANDLE_VALUE) << b.name;
    EXPECT_EQ(GetLastError(), b.error) << b.name;
  }
  // A read-only file's streams cannot be written.
  WriteBytes("ro.txt", "r");
  SetFileAttributesA("ro.txt", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(CreateFileA("ro.txt:s", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(NamedStreams, BackupReadGivesEveryStreamInTurn) {
  WriteBytes("b.bin", std::string(3000, 'm'));
  ASSERT_EQ(setxattr("b.bin", "user.\x05Info", "12345", 5, 0), 0);
  ASSERT_EQ(setxattr("b.bin", "user.Zone", "zz", 2, 0), 0);
  HANDLE h = CreateFileA("b.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LPVOID ctx = nullptr;
  struct Seen {
    DWORD id;
    std::u16string name;
    uint64_t size;
    std::string data;
  };
  std::vector<Seen> seen;
  for (;;) {
    uint8_t head[20];
    DWORD n = 0;
    ASSERT_TRUE(BackupRead(h, head, 20, &n, FALSE, FALSE, &ctx));
    if (n == 0) break;
    ASSERT_EQ(n, 20u);
    Seen s;
    uint32_t nameSize;
    std::memcpy(&s.id, head, 4);
    std::memcpy(&s.size, head + 8, 8);
    std::memcpy(&nameSize, head + 16, 4);
    std::vector<char16_t> name(nameSize / 2);
    if (nameSize) ASSERT_TRUE(BackupRead(h, reinterpret_cast<LPBYTE>(name.data()), nameSize, &n, FALSE, FALSE, &ctx));
    s.name.assign(name.begin(), name.end());
    if (s.id == BACKUP_DATA) {
      // Skip the main data, all but its last 10 bytes, which are read.
      DWORD lo = 0, hi = 0;
      ASSERT_TRUE(BackupSeek(h, static_cast<DWORD>(s.size - 10), 0, &lo, &hi, &ctx));
      EXPECT_EQ(lo, s.size - 10);
      char tail[64];
      ASSERT_TRUE(BackupRead(h, reinterpret_cast<LPBYTE>(tail), sizeof tail, &n, FALSE, FALSE, &ctx));
      s.data.assign(tail, n);  // one read ends with its stream
    } else {
      char data[64];
      ASSERT_TRUE(BackupRead(h, reinterpret_cast<LPBYTE>(data), static_cast<DWORD>(s.size), &n, FALSE, FALSE, &ctx));
      s.data.assign(data, n);
    }
    seen.push_back(s);
  }
  // Seeking past the last stream fails.
  DWORD lo = 0, hi = 0;
  EXPECT_FALSE(BackupSeek(h, 5, 0, &lo, &hi, &ctx));
  EXPECT_TRUE(BackupRead(h, nullptr, 0, nullptr, TRUE, FALSE, &ctx));
  EXPECT_EQ(ctx, nullptr);
  CloseHandle(h);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].id, BACKUP_DATA);
  EXPECT_EQ(seen[0].name, u"");
  EXPECT_EQ(seen[0].size, 3000u);
  EXPECT_EQ(seen[0].data, std::string(10, 'm'));
  std::sort(seen.begin() + 1, seen.end(), [](const Seen& a, const Seen& b) { return a.name < b.name; });
  EXPECT_EQ(seen[1].id, BACKUP_ALTERNATE_DATA);
  EXPECT_EQ(seen[1].name, u":\x05Info:$DATA");
  EXPECT_EQ(seen[1].data, "12345");
  EXPECT_EQ(seen[2].name, u":Zone:$DATA");
  EXPECT_EQ(seen[2].data, "zz");
}

}  // namespace
