#include <gtest/gtest.h>
#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>
#include "windows.h"
#include "winplat_mode.h"

namespace fs = std::filesystem;

namespace {

struct PlatformGuard {
  UINT acp = winplat::AnsiCodePage();
  bool ansiOnly = winplat::IsAnsiOnlyPlatform();
  ~PlatformGuard() {
    winplat::SetAnsiCodePage(acp);
    winplat::SetAnsiOnlyPlatform(ansiOnly);
  }
};

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A fresh copy of a fixture in a folder of the test's own; names are ASCII.
class Profile : public testing::Test {
 protected:
  void SetUp() override {
    PlatformGuard* g = new PlatformGuard;
    guard_.reset(g);
    winplat::SetAnsiCodePage(932);
    dir_ = fs::current_path() / testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_ / "locked.ini", fs::perms::owner_all, ec);
  }
  std::u16string Fixture(const char* name) {
    fs::copy_file(fs::path(TEST_DATA_DIR) / "profile" / name, dir_ / name);
    return Path(name);
  }
  std::u16string Path(const std::string& name) {
    const std::string s = (dir_ / name).string();
    return std::u16string(s.begin(), s.end());
  }
  std::string PathA(const std::string& name) { return (dir_ / name).string(); }
  std::u16string GetW(const std::u16string& file, const char16_t* app, const char16_t* key,
                      const char16_t* def = u"<none>", DWORD size = 2048) {
    std::vector<char16_t> buf(size + 1, u'#');
    const DWORD n = GetPrivateProfileStringW(app, key, def, buf.data(), size, file.c_str());
    return std::u16string(buf.data(), n);
  }
  std::vector<std::u16string> ListW(const std::u16string& file, const char16_t* app, DWORD size = 2048) {
    std::vector<char16_t> buf(size, u'#');
    const DWORD n = app ? GetPrivateProfileStringW(app, nullptr, nullptr, buf.data(), size, file.c_str())
                        : GetPrivateProfileSectionNamesW(buf.data(), size, file.c_str());
    std::vector<std::u16string> out;
    for (DWORD i = 0; i < n;) {
      std::u16string item(buf.data() + i);
      i += static_cast<DWORD>(item.size()) + 1;
      out.push_back(item);
    }
    EXPECT_EQ(buf[n], 0);
    return out;
  }
  std::vector<std::string> Leftovers() {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir_))
      if (e.path().filename().string().rfind("~ini", 0) == 0) out.push_back(e.path().filename().string());
    return out;
  }
  std::unique_ptr<PlatformGuard> guard_;
  fs::path dir_;
};

}  // namespace

TEST_F(Profile, ReadsAnAnsiFile) {
  const std::u16string f = Fixture("ansi932.ini");
  struct Case {
    const char16_t* app;
    const char16_t* key;
    std::u16string value;
  } cases[] = {
      {u"General", u"Title", u"黒板 表示"},
      {u"GENERAL", u"title", u"黒板 表示"},          // case-insensitive
      {u"General", u" Width ", u"1024"},             // blanks trimmed
      {u"General", u"quoted", u"  spaced value  "},  // one pair of quotes stripped
      {u"General", u"single", u"x"},
      {u"General", u"unbalanced", u"\"abc"},
      {u"General", u"empty", u""},
      {u"General", u"NoEquals", u""},
      {u"General", u";commented", u"<none>"},        // comments are never keys
      {u"General", u"Extra", u"dup"},                // a repeated section adds to the first
      {u"表ポ", u"ソフト", u"表"},                  // trail bytes 5C and 7C in names
      {u"Colors", u"last", u"no newline"},
      {u"Colors", u"missing", u"<none>"},
      {u"Nowhere", u"Title", u"<none>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value.size());
    EXPECT_EQ(GetW(f, c.app, c.key), c.value);
  }
  char buf[64];
  EXPECT_EQ(GetPrivateProfileStringA("表ポ", "ソフト", "", buf, sizeof buf, PathA("ansi932.ini").c_str()), 2u);
  EXPECT_STREQ(buf, "\x95\x5C");
  EXPECT_EQ(GetPrivateProfileStringA("general", "TITLE", "", buf, sizeof buf, PathA("ansi932.ini").c_str()), 9u);
  EXPECT_STREQ(buf, "黒板 表示");
}

TEST_F(Profile, IntegersAndDefaults) {
  const std::u16string f = Fixture("ansi932.ini");
  EXPECT_EQ(GetPrivateProfileIntW(u"Colors", u"backcolor", 7, f.c_str()), 0xFF00u);
  EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntW(u"Colors", u"neg", 7, f.c_str())), -5);
  EXPECT_EQ(GetPrivateProfileIntW(u"Colors", u"junk", 7, f.c_str()), 12u);
  EXPECT_EQ(GetPrivateProfileIntW(u"General", u"Width", 7, f.c_str()), 1024u);
  EXPECT_EQ(GetPrivateProfileIntW(u"General", u"empty", 7, f.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileIntW(u"General", u"nokey", 7, f.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileIntA("General", "Title", 7, PathA("ansi932.ini").c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("General", "Width", 7, PathA("nofile.ini").c_str()), 7u);

  // The default loses trailing blanks; a missing file answers it with ERROR_FILE_NOT_FOUND.
  SetLastError(0);
  EXPECT_EQ(GetW(Path("nofile.ini"), u"a", u"b", u" def  "), u" def");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetW(f, u"a", u"b", nullptr), u"");
  // Too long: cut to the buffer less its terminator, and the count says so (size - 1), also when
  // the cut falls inside a double-byte character; callers then ask again with more room.
  EXPECT_EQ(GetW(f, u"General", u"Width", u"", 3), u"10");
  char buf[4];
  EXPECT_EQ(GetPrivateProfileStringA("General", "Title", "", buf, 4, PathA("ansi932.ini").c_str()), 3u);
  EXPECT_STREQ(buf, "\x8D\x95\x94");
}

TEST_F(Profile, ListsSectionsKeysAndLines) {
  const std::u16string f = Fixture("ansi932.ini");
  EXPECT_EQ(ListW(f, nullptr), (std::vector<std::u16string>{u"General", u"表ポ", u"Colors"}));
  EXPECT_EQ(ListW(f, u"general"), (std::vector<std::u16string>{u"Title", u"Width", u"quoted", u"single",
                                                               u"unbalanced", u"empty", u"Extra"}));
  EXPECT_TRUE(ListW(f, u"Nowhere").empty());
  EXPECT_TRUE(ListW(Path("nofile.ini"), nullptr).empty());

  // A list that does not fit is cut, ends with two NULs, and answers size - 2.
  char16_t small[12];
  EXPECT_EQ(GetPrivateProfileSectionNamesW(small, 12, f.c_str()), 10u);
  EXPECT_EQ(std::u16string(small, 12), std::u16string(u"General\0表ポ\0\0", 12));

  char16_t lines[256];
  const DWORD n = GetPrivateProfileSectionW(u"Colors", lines, 256, f.c_str());
  EXPECT_EQ(std::u16string(lines, n), std::u16string(u"backcolor=0x00FF00\0neg=-5\0junk=12abc\0last=no newline\0", n));
  EXPECT_EQ(lines[n], 0);
  char alines[64];
  const DWORD an = GetPrivateProfileSectionA("表ポ", alines, 64, PathA("ansi932.ini").c_str());
  EXPECT_EQ(std::string(alines, an), std::string("ソフト=表\0", an));
}

TEST_F(Profile, ReadsAUtf16File) {
  const std::u16string f = Fixture("utf16le.ini");
  EXPECT_EQ(GetW(f, u"language", u"38"), u"Vel 黒板 Qz");
  EXPECT_EQ(GetW(f, u"Language", u"1"), u"Caf\u00E9 \u263A \U0001F600");
  EXPECT_EQ(GetW(f, u"Other", u"key"), u"quoted");
  EXPECT_EQ(ListW(f, nullptr), (std::vector<std::u16string>{u"Language", u"Other"}));
  // The A form answers in the ANSI code page: what it cannot hold becomes a near character (best
  // fit) or '?', one per UTF-16 unit.
  char buf[32];
  GetPrivateProfileStringA("Language", "1", "", buf, sizeof buf, PathA("utf16le.ini").c_str());
  EXPECT_STREQ(buf, "Cafe ? ??");
  GetPrivateProfileStringA("Language", "38", "", buf, sizeof buf, PathA("utf16le.ini").c_str());
  EXPECT_STREQ(buf, "Vel 黒板 Qz");
}

TEST_F(Profile, WritesKeepTheEncodingCommentsAndOtherLines) {
  const std::u16string f = Fixture("utf16le.ini");
  ASSERT_TRUE(WritePrivateProfileStringW(u"LANGUAGE", u"38", u"新しい \U0001F600", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Language", u"2", u"two", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"New", u"k", u"v", f.c_str()));
  const std::u16string expect = u"[Language]\r\n38=新しい \U0001F600\r\n1=Caf\u00E9 \u263A \U0001F600\r\n2=two\r\n"
                                u"; a comment\r\n\r\n[Other]\r\nKey = \"quoted\"\r\n[New]\r\nk=v\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : expect) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  EXPECT_EQ(ReadBytes(dir_ / "utf16le.ini"), bytes);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(Profile, WritesIntoAnAnsiFile) {
  const std::u16string f = Fixture("ansi932.ini");
  const std::string a = PathA("ansi932.ini");
  std::string before = ReadBytes(dir_ / "ansi932.ini");
  ASSERT_TRUE(WritePrivateProfileStringW(u"general", u"WIDTH", u"800", f.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("表ポ", "新規", "値", a.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Colors", "neg", nullptr, a.c_str()));       // delete a key
  ASSERT_TRUE(WritePrivateProfileStringA("General", "nokey", nullptr, a.c_str()));    // nothing to delete
  ASSERT_TRUE(WritePrivateProfileStringW(u"Colors", u"added", u"\u0101", f.c_str()));  // not in 932
  std::string expect = before;
  auto replace = [&](const std::string& from, const std::string& to) {
    const size_t at = expect.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expect.replace(at, from.size(), to);
  };
  replace("  Width=  1024  \r\n", "Width=800\r\n");  // the key keeps its spelling in the file
  replace("ソフト=表\r\n", "ソフト=表\r\n新規=値\r\n");
  replace("neg=-5\r\n", "");
  replace("last=no newline", "last=no newline\r\nadded=?\r\n");
  EXPECT_EQ(ReadBytes(dir_ / "ansi932.ini"), expect);

  // A null key erases every part of the section, comments inside it too.
  ASSERT_TRUE(WritePrivateProfileStringA("GENERAL", nullptr, nullptr, a.c_str()));
  EXPECT_EQ(ListW(f, nullptr), (std::vector<std::u16string>{u"表ポ", u"Colors"}));
  EXPECT_EQ(ReadBytes(dir_ / "ansi932.ini").substr(0, 4), "; \x90\xDD");  // the leading comment stays
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(Profile, NewFilesAndBareNames) {
  // Deleting from a file that is not there succeeds and creates nothing.
  EXPECT_TRUE(WritePrivateProfileStringW(u"s", u"k", nullptr, Path("absent.ini").c_str()));
  EXPECT_TRUE(WritePrivateProfileStringW(u"s", nullptr, nullptr, Path("absent.ini").c_str()));
  EXPECT_FALSE(fs::exists(dir_ / "absent.ini"));
  // A new file is ANSI.
  ASSERT_TRUE(WritePrivateProfileStringW(u"黒板", u"色", u"緑", Path("new.ini").c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"黒板", u"幅", u"3", Path("new.ini").c_str()));
  EXPECT_EQ(ReadBytes(dir_ / "new.ini"), "[黒板]\r\n色=緑\r\n幅=3\r\n");
  // A name without a folder is in the current directory.
  const fs::path saved = fs::current_path();
  fs::current_path(dir_);
  EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "v", "bare.ini"));
  char buf[8];
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buf, 8, "bare.ini"), 1u);
  fs::current_path(saved);
  EXPECT_TRUE(fs::exists(dir_ / "bare.ini"));
  // A name near the longest a folder allows still gets its temporary file.
  const std::string longName = std::string(240, 'n') + ".ini";
  EXPECT_TRUE(WritePrivateProfileStringW(u"s", u"k", u"v", Path(longName).c_str()));
  EXPECT_TRUE(fs::exists(dir_ / longName));
  // Flushing answers FALSE, as the platform does; there is no cache to flush.
  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, Path("new.ini").c_str()));
}

TEST_F(Profile, WritesThatCannotSucceedFailCleanly) {
  // A folder that cannot exist: its parent is a regular file (root ignores permission bits).
  WriteBytes(dir_ / "plain", "not a folder");
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"s", u"k", u"v", Path("plain/settings.ini").c_str()));
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(ReadBytes(dir_ / "plain"), "not a folder");

  // A folder where nobody may create files, root included.
  if (fs::is_directory("/proc/self")) {
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(u"s", u"k", u"v", u"/proc/self/vse-profile.ini"));
    EXPECT_NE(GetLastError(), 0u);
  }

  // A read-only file stays as it was, even though a rename could replace it.
  const std::u16string f = Fixture("ansi932.ini");
  fs::rename(dir_ / "ansi932.ini", dir_ / "locked.ini");
  const std::string before = ReadBytes(dir_ / "locked.ini");
  fs::permissions(dir_ / "locked.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"General", u"Width", u"1", Path("locked.ini").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadBytes(dir_ / "locked.ini"), before);

  // A folder in place of the file.
  fs::create_directory(dir_ / "folder.ini");
  EXPECT_FALSE(WritePrivateProfileStringW(u"s", u"k", u"v", Path("folder.ini").c_str()));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.ini"));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(Profile, RefusesWhatCouldNotBeReadBack) {
  const std::u16string f = Fixture("utf16le.ini");
  const std::string before = ReadBytes(dir_ / "utf16le.ini");
  const struct {
    const char16_t* app;
    const char16_t* key;
    const char16_t* value;
  } cases[] = {
      {u"Language", u"38", u"two\r\n[Other]"}, {u"Language", u"a=b", u"v"}, {u"Lang]x", u"k", u"v"},
      {u"Lang\nx", u"k", u"v"}, {u"Language", u"k\r", u"v"}, {nullptr, u"k", u"v"},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringW(c.app, c.key, c.value, f.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(ReadBytes(dir_ / "utf16le.ini"), before);
}

TEST_F(Profile, WritesWholeSections) {
  const std::u16string f = Fixture("utf16le.ini");
  ASSERT_TRUE(WritePrivateProfileSectionW(u"language", u"a=1\0b = 2\0", f.c_str()));
  EXPECT_EQ(ListW(f, u"Language"), (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_EQ(GetW(f, u"Language", u"b"), u"2");
  EXPECT_EQ(GetW(f, u"Language", u"38"), u"<none>");
  ASSERT_TRUE(WritePrivateProfileSectionA("Fresh", "x=y\0", PathA("utf16le.ini").c_str()));
  EXPECT_EQ(GetW(f, u"fresh", u"x"), u"y");
  ASSERT_TRUE(WritePrivateProfileSectionW(u"Other", nullptr, f.c_str()));
  EXPECT_EQ(ListW(f, nullptr), (std::vector<std::u16string>{u"Language", u"Fresh"}));
  const std::string bytes = ReadBytes(dir_ / "utf16le.ini");
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::u16string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
  EXPECT_NE(text.find(u"; a comment"), std::u16string::npos);
}

TEST_F(Profile, ConcurrentWritersLoseNothing) {
  const std::u16string f = Path("shared.ini");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i) {
        const std::u16string key = u"k" + std::u16string(1, char16_t(u'a' + t)) + std::u16string(1, char16_t(u'A' + i));
        EXPECT_TRUE(WritePrivateProfileStringW(u"s", key.c_str(), u"1", f.c_str()));
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(ListW(f, u"s", 16384).size(), 100u);
}

TEST_F(Profile, AnsiOnlyPlatformHasOnlyTheACalls) {
  const std::u16string f = Fixture("ansi932.ini");
  winplat::SetAnsiOnlyPlatform(true);
  char16_t wbuf[16];
  SetLastError(0);
  EXPECT_EQ(GetPrivateProfileStringW(u"General", u"Width", u"", wbuf, 16, f.c_str()), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_FALSE(WritePrivateProfileStringW(u"General", u"Width", u"1", f.c_str()));
  EXPECT_EQ(GetPrivateProfileSectionNamesW(wbuf, 16, f.c_str()), 0u);
  char buf[16];
  EXPECT_EQ(GetPrivateProfileStringA("General", "Width", "", buf, 16, PathA("ansi932.ini").c_str()), 4u);
  EXPECT_TRUE(WritePrivateProfileStringA("General", "Width", "5", PathA("ansi932.ini").c_str()));
  EXPECT_EQ(GetPrivateProfileIntA("General", "Width", 0, PathA("ansi932.ini").c_str()), 5u);
}

TEST_F(Profile, AnsiFilesFollowTheAnsiCodePage) {
  winplat::SetAnsiCodePage(1252);
  WriteBytes(dir_ / "latin.ini", "[Caf\xE9]\r\nname=\x80 \xE9t\xE9\r\n");
  EXPECT_EQ(GetW(Path("latin.ini"), u"CAF\u00C9", u"name"), u"\u20AC \u00E9t\u00E9");
  ASSERT_TRUE(WritePrivateProfileStringW(u"caf\u00E9", u"other", u"\u0153", Path("latin.ini").c_str()));
  EXPECT_EQ(ReadBytes(dir_ / "latin.ini"), "[Caf\xE9]\r\nname=\x80 \xE9t\xE9\r\nother=\x9C\r\n");
}

TEST_F(Profile, FileNamesFollowThePathRules) {
  // Either separator, and a name that differs in case from the file on disk.
  Fixture("utf16le.ini");
  std::u16string upper = Path("UTF16LE.INI");
  for (char16_t& c : upper)
    if (c == u'/') c = u'\\';
  EXPECT_EQ(GetW(upper, u"Language", u"38"), u"Vel 黒板 Qz");
  ASSERT_TRUE(WritePrivateProfileStringW(u"Language", u"38", u"x", upper.c_str()));
  EXPECT_EQ(GetW(Path("utf16le.ini"), u"Language", u"38"), u"x");
  EXPECT_FALSE(fs::exists(dir_ / "UTF16LE.INI"));
  // File names beyond ASCII reach Linux as UTF-8.
  ASSERT_TRUE(WritePrivateProfileStringW(u"s", u"k", u"v", (Path("") + u"黒板.ini").c_str()));
  EXPECT_TRUE(fs::exists(dir_ / "\xE9\xBB\x92\xE6\x9D\xBF.ini"));
}

TEST_F(Profile, AnswersAsThePlatformDoesAtTheEdges) {
  // Key lists name only lines with "=" (an empty name would end the list); the section itself
  // still lists every line.
  WriteBytes(dir_ / "keys.ini", "[s]\r\na=1\r\nbare\r\n;c=1\r\n b = \r\n=x\r\n[]\r\n");
  EXPECT_EQ(ListW(Path("keys.ini"), u"s"), (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_EQ(ListW(Path("keys.ini"), nullptr), (std::vector<std::u16string>{u"s"}));
  char16_t lines[64];
  const DWORD n = GetPrivateProfileSectionW(u"s", lines, 64, Path("keys.ini").c_str());
  EXPECT_EQ(std::u16string(lines, n), std::u16string(u"a=1\0bare\0b=\0=x\0", n));

  // A NUL ends the text, in byte files and in UTF-16 files; a write keeps what follows it.
  struct NulCase {
    const char* name;
    std::string bytes;
    std::string tail;  // from the NUL on
  };
  const auto utf16 = [](std::u16string_view t, bool bom) {
    std::string b = bom ? "\xFF\xFE" : "";
    for (char16_t c : t) b += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return b;
  };
  const std::string text("[s]\r\na=1\r\nb=2\0c=3\r\n[t]\r\nd=4\r\n", 29);
  const std::u16string wide(u"[s]\r\na=1\r\nb=2\0c=3\r\n[t]\r\nd=4\r\n", 29);
  const NulCase nulCases[] = {
      {"nul.ini", text, text.substr(13)},
      {"nulbom.ini", "\xEF\xBB\xBF" + text, text.substr(13)},
      {"nul16.ini", utf16(wide, true), utf16(wide.substr(13), false)},
  };
  for (const NulCase& c : nulCases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir_ / c.name, c.bytes);
    const std::u16string f = Path(c.name);
    EXPECT_EQ(GetW(f, u"s", u"a"), u"1");
    EXPECT_EQ(GetW(f, u"s", u"b"), u"2");
    EXPECT_EQ(GetW(f, u"s", u"c"), u"<none>");
    EXPECT_EQ(GetW(f, u"t", u"d"), u"<none>");
    EXPECT_EQ(ListW(f, nullptr), (std::vector<std::u16string>{u"s"}));
    ASSERT_TRUE(WritePrivateProfileStringW(u"s", u"e", u"5", f.c_str()));
    EXPECT_EQ(GetW(f, u"s", u"e"), u"5");
    const std::string after = ReadBytes(dir_ / c.name);
    ASSERT_GE(after.size(), c.tail.size());
    EXPECT_EQ(after.substr(after.size() - c.tail.size()), c.tail);
  }

  // Section names: a buffer of exactly the names plus one answers size - 2, the names whole.
  WriteBytes(dir_ / "names.ini", "[ab]\r\n[c]\r\n");
  struct NamesCase {
    DWORD size;
    DWORD answer;
    std::u16string content;  // the first `size` units
  };
  const NamesCase namesCases[] = {
      {8, 5, std::u16string(u"ab\0c\0\0", 6)},
      {7, 5, std::u16string(u"ab\0c\0\0", 6)},
      {6, 4, std::u16string(u"ab\0c\0\0", 6)},  // exactly the names ("ab\0c\0") plus one
      {5, 3, std::u16string(u"ab\0\0\0", 5)},
      {4, 2, std::u16string(u"ab\0\0", 4)},
      {3, 1, std::u16string(u"a\0\0", 3)},
      {2, 0, std::u16string(u"\0\0", 2)},
  };
  for (const NamesCase& c : namesCases) {
    char16_t buf[16];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(GetPrivateProfileSectionNamesW(buf, c.size, Path("names.ini").c_str()), c.answer) << c.size;
    EXPECT_EQ(std::u16string(buf, c.content.size()), c.content) << c.size;
    char abuf[16];
    EXPECT_EQ(GetPrivateProfileSectionNamesA(abuf, c.size, PathA("names.ini").c_str()), c.answer) << c.size;
  }
  // The key list of GetPrivateProfileString fills an exact buffer whole.
  char16_t keys[6];
  WriteBytes(dir_ / "two.ini", "[s]\r\nab=1\r\nc=2\r\n");
  EXPECT_EQ(GetPrivateProfileStringW(u"s", nullptr, u"", keys, 6, Path("two.ini").c_str()), 5u);

  // Without a file name GetPrivateProfileInt answers 0, not the default.
  EXPECT_EQ(GetPrivateProfileIntW(u"s", u"a", 7, nullptr), 0u);
  EXPECT_EQ(GetPrivateProfileIntA("s", "a", 7, nullptr), 0u);
  EXPECT_EQ(GetPrivateProfileIntW(u"s", u"zz", 7, Path("keys.ini").c_str()), 7u);
}
