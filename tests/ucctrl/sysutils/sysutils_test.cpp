// Wide buffers, wide string and path helpers, file helpers and the W-or-A call wrappers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstring>
#include <fstream>

#include "UcSysUtils.h"
#include "UcWideStrUtils.h"
#include "UcWindows.h"
#include "winplat_mode.h"
#include "winplat_resource.h"

namespace {

// Runs a test body on the ANSI-only platform, with the layer's flags following it.
struct AnsiOnlyPlatform {
  AnsiOnlyPlatform() {
    winplat::SetAnsiOnlyPlatform(true);
    InitPlatformFlags();
  }
  ~AnsiOnlyPlatform() {
    winplat::SetAnsiOnlyPlatform(false);
    InitPlatformFlags();
  }
};

void WriteFileBytes(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

TEST(UcSysUtils, PlatformFlagsFollowTheVersion) {
  EXPECT_TRUE(PlatformIsUnicode);
  EXPECT_TRUE(PlatformIsXPOrLater);
  {
    AnsiOnlyPlatform ansi;
    EXPECT_FALSE(PlatformIsUnicode);
    EXPECT_FALSE(PlatformIsXPOrLater);
  }
  EXPECT_TRUE(PlatformIsUnicode);
}

TEST(UcWideStrUtils, Buffers) {
  PWideChar b = WideBufAlloc(10);
  uint32_t size = 0;
  std::memcpy(&size, reinterpret_cast<uint8_t*>(b) - 4, 4);
  EXPECT_EQ(size, 24u);  // 2 per character plus the size word
  WideBufCopy(b, u"abc");
  EXPECT_EQ(WideBufLength(b), 3);
  EXPECT_EQ(WideBufEnd(b), b + 3);
  EXPECT_EQ(WideBufScan(b, u'b'), b + 1);
  EXPECT_EQ(WideBufScan(b, 0), b + 3);  // the terminator itself
  EXPECT_EQ(WideBufScan(b, u'z'), nullptr);
  WideBufCopyMax(b, u"abcdef", 2);
  EXPECT_EQ(std::u16string(b), u"ab");
  WideBufFromAnsiMax(b, "日本語", 2);  // CP932 bytes widened, then cut
  EXPECT_EQ(std::u16string(b), u"日本");
  PWideChar d = WideBufDuplicate(u"黒板");
  EXPECT_EQ(std::u16string(d), u"黒板");
  EXPECT_EQ(WideBufDuplicate(nullptr), nullptr);
  WideBufFree(d);
  WideBufFree(b);
}

TEST(UcSysUtils, PathHelpers) {
  struct Case { std::u16string path, name, ext; };
  const Case cases[] = {
      {u"C:\\dir\\file.txt", u"file.txt", u".txt"},
      {u"C:\\dir.d\\file", u"file", u""},      // the last "." lies before the last "\"
      {u"name.", u"name.", u"."},
      {u"C:file.ini", u"file.ini", u".ini"},
      {u"\\黒板\\設定.ini", u"設定.ini", u".ini"},
      {u"", u"", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideExtractFileName(c.path), c.name);
    EXPECT_EQ(WideExtractFileExt(c.path), c.ext);
  }
  EXPECT_EQ(LastDelimiterPos(std::u16string(u"\0x", 2), std::u16string(u"a\0b", 3)), 0);  // NUL never matches
  EXPECT_EQ(LastDelimiterPos(u"\\", u"a\\b\\c"), 4);
  EXPECT_TRUE(IsBackslashAt(u"a\\", 2));
  EXPECT_FALSE(IsBackslashAt(u"a\\", 3));
  EXPECT_FALSE(IsWideDelimiter(u",", u",", 0));
  EXPECT_TRUE(IsWideDelimiter(u",;", u"a;", 2));
  EXPECT_EQ(LastWideChar(u""), 0);
  EXPECT_EQ(LastWideChar(u"ab"), u'b');
  EXPECT_EQ(WideUpperCopy(u"abc\u00E9"), u"ABC\u00C9");
}

TEST(UcSysUtils, TokensAndSplitting) {
  const char16_t* cursor = u"a,bc,,d";
  EXPECT_EQ(NextToken(cursor, u','), u"a");
  EXPECT_EQ(NextToken(cursor, u','), u"bc");
  EXPECT_EQ(NextToken(cursor, u','), u"");
  EXPECT_EQ(NextToken(cursor, u','), u"d");
  EXPECT_EQ(*cursor, 0);  // on the terminator
  EXPECT_EQ(SplitToArray(u"x|y|z", u'|'), (std::vector<std::u16string>{u"x", u"y", u"z"}));
  EXPECT_EQ(SplitToArray(u"x||z", u'|'), (std::vector<std::u16string>{u"x"}));  // stops at an empty piece
  std::u16string many;
  for (int i = 0; i < 600; ++i) many += u"p|";
  EXPECT_EQ(SplitToArray(many.c_str(), u'|').size(), 600u);
}

TEST(UcSysUtils, FileAgeAndExistence) {
  WriteFileBytes("age.txt", "x");
  WriteFileBytes("old.txt", "x");
  utimbuf epoch{0, 0};  // 1970: no DOS date can hold it
  ASSERT_EQ(utime("old.txt", &epoch), 0);
  mkdir("agedir", 0755);
  for (bool ansi : {false, true}) {
    std::unique_ptr<AnsiOnlyPlatform> mode(ansi ? new AnsiOnlyPlatform : nullptr);
    SCOPED_TRACE(ansi ? "ANSI" : "Unicode");
    EXPECT_NE(WideFileAge(u"age.txt"), -1);
    EXPECT_TRUE(WideFileExists(u"age.txt"));
    EXPECT_TRUE(WideFileExists(u"AGE.TXT"));  // names match without case
    EXPECT_EQ(WideFileAge(u"old.txt"), -1);
    EXPECT_TRUE(WideFileExists(u"old.txt"));  // the date plays no part in existence
    EXPECT_EQ(WideFileAge(u"agedir"), -1);
    EXPECT_FALSE(WideFileExists(u"agedir"));
    EXPECT_EQ(WideFileAge(u"*.txt"), -1);
    EXPECT_FALSE(WideFileExists(u"*.txt"));
    EXPECT_FALSE(WideFileExists(u"a?e.txt"));
    EXPECT_FALSE(WideFileExists(u"missing.txt"));
  }
  // The packed DOS date of a known time.
  struct stat st{};
  ASSERT_EQ(stat("age.txt", &st), 0);
  const int32_t age = WideFileAge(u"age.txt");
  const int year = ((static_cast<uint32_t>(age) >> 25) & 0x7F) + 1980;
  EXPECT_GE(year, 2020);
}

TEST(UcSysUtils, FileOpenModes) {
  WriteFileBytes("modes.txt", "data");
  struct Case { uint32_t mode; bool opens; };
  const Case cases[] = {
      {0x00, true}, {0x01, true}, {0x02, true}, {0x03, false},  // access 3 has no meaning
      {0x10, true}, {0x20, true}, {0x30, true}, {0x40, true},
      {0x50, false}, {0xF2, false},                              // sharing beyond 4
  };
  for (const auto& c : cases) {
    HANDLE h = WideFileOpen(u"modes.txt", c.mode);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens) << std::hex << c.mode;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    else EXPECT_EQ(GetLastError(), c.opens ? 0u : static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  // No sharing: a second open fails while the first holds the file.
  HANDLE first = WideFileOpen(u"modes.txt", 0x10);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFileOpen(u"modes.txt", 0x00), INVALID_HANDLE_VALUE);
  CloseHandle(first);
  HANDLE created = WideFileCreate(u"新規.txt");
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  CloseHandle(created);
  EXPECT_TRUE(WideFileExists(u"新規.txt"));
}

TEST(UcWindows, AnsiResultToWideBuffer) {
  struct Case { DWORD size; int flags; DWORD result; std::u16string buffer; };
  const Case cases[] = {
      {10, kAnsiResultFullPath, 3, u"日本語"},
      {3, kAnsiResultFullPath, 4, u""},        // too small: length + 1 and an empty buffer
      {4, kAnsiResultModuleName, 3, u"日本語"},
      {2, kAnsiResultModuleName, 2, u"日本"},    // Size units, no NUL
  };
  for (const auto& c : cases) {
    char16_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), u'\0');
    EXPECT_EQ(AnsiResultToWideBuffer(c.size, buffer, "日本語", c.flags), c.result);
    EXPECT_EQ(std::u16string(buffer), c.buffer);
  }
  char16_t untouched[2] = {u'#', 0};
  EXPECT_EQ(AnsiResultToWideBuffer(0, untouched, "abc", kAnsiResultFullPath), 4u);
  EXPECT_EQ(untouched[0], u'#');  // Size 0: nothing is written
}

TEST(UcWindows, FullPathNameOnBothPaths) {
  char16_t wide[MAX_PATH];
  PWideChar widePart = nullptr;
  const DWORD n = WideGetFullPathName(u"黒板.ini", MAX_PATH, wide, &widePart);
  ASSERT_GT(n, 0u);
  ASSERT_NE(widePart, nullptr);
  EXPECT_EQ(std::u16string(widePart), u"黒板.ini");
  AnsiOnlyPlatform ansi;
  char16_t buffer[MAX_PATH];
  PWideChar part = nullptr;
  EXPECT_EQ(WideGetFullPathName(u"黒板.ini", MAX_PATH, buffer, &part), n);
  EXPECT_EQ(std::u16string(buffer), std::u16string(wide));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part - buffer, widePart - wide);  // counted in wide characters
  // Too small: the size needed, an empty buffer and no file part.
  EXPECT_EQ(WideGetFullPathName(u"黒板.ini", 4, buffer, &part), n + 1);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(part, nullptr);
  // A path past the 520 bytes of the ANSI call is answered whole, never cut.
  std::u16string longName(300, u'黒');
  std::u16string big(1024, u'\0');
  const DWORD m = WideGetFullPathName(longName.c_str(), 1024, big.data(), &part);
  ASSERT_GT(m, 300u);
  ASSERT_LT(m, 1024u);
  EXPECT_EQ(std::u16string(big.c_str()).substr(m - 300), longName);
  EXPECT_EQ(WideExpandFileName(longName), std::u16string(big.c_str()));
}

TEST(UcWindows, ModuleFileNameOnBothPaths) {
  const std::u16string unicode = WideModuleFileName(nullptr);
  ASSERT_FALSE(unicode.empty());
  AnsiOnlyPlatform ansi;
  EXPECT_EQ(WideModuleFileName(nullptr), unicode);
  char16_t small[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_EQ(WideGetModuleFileName(nullptr, small, 3), 3u);  // Size units without NUL
  EXPECT_EQ(std::u16string(small, 3), unicode.substr(0, 3));
  EXPECT_EQ(small[3], u'#');
}

TEST(UcWindows, UpperCaseOnBothPaths) {
  for (bool ansi : {false, true}) {
    std::unique_ptr<AnsiOnlyPlatform> mode(ansi ? new AnsiOnlyPlatform : nullptr);
    char16_t text[] = u"abc日本ｶ";
    EXPECT_EQ(WideCharUpperBuff(text, 6), 6u);
    EXPECT_EQ(std::u16string(text), u"ABC日本ｶ");
    char16_t text2[] = u"xyz";
    EXPECT_EQ(WideCharUpper(text2), text2);
    EXPECT_EQ(std::u16string(text2), u"XYZ");
    auto one = reinterpret_cast<uintptr_t>(WideCharUpper(reinterpret_cast<PWideChar>(uintptr_t{u'q'})));
    EXPECT_EQ(one, uintptr_t{u'Q'});
  }
  AnsiOnlyPlatform ansi;
  // A character the code page cannot hold stays as it is on the ANSI path.
  auto thai = reinterpret_cast<uintptr_t>(WideCharUpper(reinterpret_cast<PWideChar>(uintptr_t{0x0E01})));
  EXPECT_EQ(thai, uintptr_t{0x0E01});
}

TEST(UcWindows, FindFirstFileOnTheAnsiPath) {
  HANDLE file = WideFileCreate(u"検索.txt");  // a Japanese name reaches Linux as UTF-8
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "12345", 5, &written, nullptr));
  CloseHandle(file);
  AnsiOnlyPlatform ansi;
  WIN32_FIND_DATAW data{};
  HANDLE h = WideFindFirstFile(u"検索.txt", data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FindClose(h);
  EXPECT_EQ(std::u16string(data.cFileName), u"検索.txt");
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

class StringTable : public ::testing::Test {
 protected:
  void SetUp() override {
    // Block 1 holds strings 0..15: string 3 "三番目", string 5 "five".
    std::vector<char16_t> units;
    for (int i = 0; i < 16; ++i) {
      const std::u16string s = i == 3 ? u"三番目" : i == 5 ? u"five" : u"";
      units.push_back(static_cast<char16_t>(s.size()));
      units.insert(units.end(), s.begin(), s.end());
    }
    winplat::RegisterModuleResource(nullptr, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(1), units.data(),
                                    static_cast<DWORD>(units.size() * 2));
  }
  void TearDown() override { winplat::UnregisterModuleResources(nullptr); }
};

TEST_F(StringTable, ReadStringTableEntry) {
  char16_t buffer[16];
  EXPECT_EQ(ReadStringTableEntry(nullptr, 3, buffer, 16), 3);
  EXPECT_EQ(std::u16string(buffer), u"三番目");
  EXPECT_EQ(ReadStringTableEntry(nullptr, 3, nullptr, 0), 3);  // no buffer: the length
  buffer[0] = u'#';
  EXPECT_EQ(ReadStringTableEntry(nullptr, 3, buffer, 1), 0);  // only the NUL
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(ReadStringTableEntry(nullptr, 5, buffer, 3), 2);
  EXPECT_EQ(std::u16string(buffer), u"fi");
  EXPECT_EQ(ReadStringTableEntry(nullptr, static_cast<UINT>(-5), buffer, 16), 4);  // high word 0xFFFF
  EXPECT_EQ(ReadStringTableEntry(nullptr, 4, buffer, 16), 0);
  EXPECT_EQ(ReadStringTableEntry(nullptr, 40, buffer, 16), 0);  // no such block
  // WideLoadString takes LoadStringW, or this reader on the ANSI path: the same answers.
  for (bool ansi : {false, true}) {
    std::unique_ptr<AnsiOnlyPlatform> mode(ansi ? new AnsiOnlyPlatform : nullptr);
    EXPECT_EQ(WideLoadString(nullptr, 5, buffer, 16), 4);
    EXPECT_EQ(std::u16string(buffer), u"five");
  }
}

TEST(UcSysUtils, CheckOSResultRaisesTheLastError) {
  EXPECT_EQ(CheckOSResult(7), 7u);
  SetLastError(ERROR_FILE_NOT_FOUND);
  try {
    CheckOSResult(0);
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  }
}

}  // namespace
