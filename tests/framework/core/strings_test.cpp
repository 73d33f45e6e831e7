// String and path helpers on code page 932 text. "表" is 95 5C and "ソ" is 83 5C: their trail
// byte is the byte of "\"; "ポ" (83 7C) has the byte of "|".
#include <gtest/gtest.h>

#include "SysUtils.h"
#include "winplat_mode.h"

namespace {

const AnsiString kHyo = "表";  // 95 5C
const AnsiString kSo = "ソ";   // 83 5C

TEST(Strings, LiteralsAreCodePage932) {
  ASSERT_EQ(kHyo, "\x95\x5C");
  ASSERT_EQ(kSo, "\x83\x5C");
}

TEST(Strings, TrimAndAsciiCase) {
  EXPECT_EQ(Trim("  \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  x "), "x ");
  EXPECT_EQ(TrimRight("  x "), "  x");
  EXPECT_EQ(Trim(" 表 "), "表");
  EXPECT_EQ(UpperCase("abcXyz1"), "ABCXYZ1");
  EXPECT_EQ(LowerCase("ABCxYZ1"), "abcxyz1");
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_GT(CompareStr("abc", "ABC"), 0);
  EXPECT_TRUE(SameText("General", "GENERAL"));
}

TEST(Strings, AnsiCaseNeverTouchesTrailBytes) {
  AnsiString s = "ソab表";
  EXPECT_EQ(AnsiUpperCase(s), "ソAB表");
  EXPECT_EQ(AnsiLowerCase("ソAB表"), s);
  // Trail bytes in the range of ASCII letters.
  AnsiString trail = "\x83\x61\x83\x7A";  // two characters whose trail bytes are 'a' and 'z'
  EXPECT_EQ(AnsiUpperCase(trail), trail);
  EXPECT_EQ(AnsiUpperCase(trail).substr(1, 1), "a");
  EXPECT_EQ(AnsiUpperCase(trail).substr(3, 1), "z");
  EXPECT_EQ(AnsiCompareText("abc", "ABC"), 0);
  EXPECT_LT(AnsiCompareText("abc", "abd"), 0);
  EXPECT_GT(AnsiCompareStr("b", "a"), 0);
  EXPECT_TRUE(AnsiSameText("黒板X", "黒板x"));
}

TEST(Strings, PositionsAtCharacterBoundaries) {
  // "\" inside "表" is not found; a real one after it is.
  EXPECT_EQ(AnsiPos("\\", kHyo), 0);
  EXPECT_EQ(AnsiPos("\\", kHyo + "\\"), 3);
  EXPECT_EQ(Pos("\\", kHyo), 2);  // the byte search does see it
  EXPECT_EQ(AnsiPos("", "abc"), 0);
  EXPECT_EQ(ByteType(kHyo + "a", 1), mbLeadByte);
  EXPECT_EQ(ByteType(kHyo + "a", 2), mbTrailByte);
  EXPECT_EQ(ByteType(kHyo + "a", 3), mbSingleByte);
  EXPECT_EQ(LastDelimiter("\\", "a\\" + kSo), 2);
  EXPECT_EQ(LastDelimiter("\\", kSo), 0);
  EXPECT_FALSE(IsPathDelimiter(kSo, 2));
  EXPECT_TRUE(IsPathDelimiter("a/", 2));
}

TEST(Strings, StringReplaceKeepsDoubleByteCharacters) {
  // Replacing "\" in a title made of "表" and "ソ" leaves them whole.
  AnsiString title = kHyo + "\\" + kSo;
  EXPECT_EQ(StringReplace(title, "\\", "-", {rfReplaceAll}), kHyo + "-" + kSo);
  EXPECT_EQ(StringReplace("a|ポ|", "|", "-", {rfReplaceAll}), "a-ポ-");
  EXPECT_EQ(StringReplace("aXbxc", "x", "_", {rfReplaceAll, rfIgnoreCase}), "a_b_c");
  EXPECT_EQ(StringReplace("aXbxc", "x", "_", {}), "aXb_c");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", {rfReplaceAll}), "aaaaaa");
  EXPECT_EQ(StringReplace("abc", "", "x", {rfReplaceAll}), "abc");
}

TEST(Strings, Quoting) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
  EXPECT_EQ(AnsiDequotedStr("\"a\"\"b\"", '"'), "a\"b");
  EXPECT_EQ(AnsiDequotedStr("\"ab", '"'), "\"ab");
  EXPECT_EQ(AnsiDequotedStr("ab", '"'), "ab");
  EXPECT_EQ(AnsiDequotedStr("\"\"", '"'), "");
  const char* p = "'x''y' rest";
  EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), "x'y");
  EXPECT_STREQ(p, " rest");
  EXPECT_TRUE(IsValidIdent("_Button1"));
  EXPECT_FALSE(IsValidIdent("1Button"));
  EXPECT_FALSE(IsValidIdent("Button 1"));
}

struct PathCase {
  AnsiString name, path, dir, file, ext;
};

TEST(Paths, ExtractPartsOfCodePage932Names) {
  const PathCase cases[] = {
      {"C:\\dir\\file.txt", "C:\\dir\\", "C:\\dir", "file.txt", ".txt"},
      {"/work/bin/VelSlatoraEdu", "/work/bin/", "/work/bin", "VelSlatoraEdu", ""},
      {"tmp\\1.bmp", "tmp\\", "tmp", "1.bmp", ".bmp"},
      {"a/b\\c.d.e", "a/b\\", "a/b", "c.d.e", ".e"},
      {"dir.x\\noext", "dir.x\\", "dir.x", "noext", ""},
      {kHyo + ".txt", "", "", kHyo + ".txt", ".txt"},
      {"C:\\" + kSo + "\\" + kHyo, "C:\\" + kSo + "\\", "C:\\" + kSo, kHyo, ""},
      {"C:\\", "C:\\", "C:\\", "", ""},
      {"C:x", "C:", "C:", "x", ""},
      {"/", "/", "/", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << c.name;
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
  }
}

TEST(Paths, TrailingDelimitersAndExtensions) {
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\dir"), "C:\\dir\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\dir\\"), "C:\\dir\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/work/bin/"), "/work/bin/");  // an existing "/" stays
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "\\");
  // "ソ" ends in 5C but is no delimiter.
  EXPECT_EQ(IncludeTrailingPathDelimiter("dir" + kSo), "dir" + kSo + "\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("dir" + kSo), "dir" + kSo);
  EXPECT_EQ(ExcludeTrailingPathDelimiter("dir/"), "dir");
  EXPECT_EQ(IncludeTrailingBackslash("a"), "a\\");
  EXPECT_EQ(ChangeFileExt("a\\b.txt", ".bak"), "a\\b.bak");
  EXPECT_EQ(ChangeFileExt("a.d\\b", ".bak"), "a.d\\b.bak");
  EXPECT_EQ(ChangeFileExt(kHyo + ".zip", ""), kHyo);
  EXPECT_EQ(ExtractFileDrive("C:\\x"), "C:");
  EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\x"), "\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive("/usr/x"), "");
}

TEST(Paths, RelativePaths) {
  EXPECT_EQ(ExtractRelativePath("C:\\a\\b\\", "C:\\a\\c\\f.txt"), "..\\c\\f.txt");
  EXPECT_EQ(ExtractRelativePath("C:\\a\\", "C:\\a\\f.txt"), "f.txt");
  EXPECT_EQ(ExtractRelativePath("C:\\A\\", "c:\\a\\sub\\f.txt"), "sub\\f.txt");
  EXPECT_EQ(ExtractRelativePath("C:\\a\\", "D:\\a\\f.txt"), "D:\\a\\f.txt");
  EXPECT_EQ(ExtractRelativePath("/w/tmp/", "/w/tmp/" + kSo + "/x.bmp"), kSo + "\\x.bmp");
}

}  // namespace

namespace {

// Under code page 1252 there are no lead bytes: 95 5C is two characters and 5C a delimiter.
TEST(Strings, FollowTheCurrentAnsiCodePage) {
  ASSERT_TRUE(winplat::SetAnsiCodePage(1252));
  AnsiString twoChars = "\x95\x5C";
  EXPECT_EQ(ByteType(twoChars, 2), mbSingleByte);
  EXPECT_EQ(ExtractFileName("a" + twoChars + "b"), "b");
  EXPECT_EQ(AnsiUpperCase("\xE9t\xE9"), "\xC9T\xC9");  // é to É
  winplat::SetAnsiCodePage(932);
  EXPECT_EQ(ExtractFileName("a" + twoChars + "b"), "a" + twoChars + "b");
}

}  // namespace

namespace {

TEST(WideStrings, CompareCaseAndUtf8) {
  EXPECT_EQ(WideCompareText(u"abc", u"ABC"), 0);
  EXPECT_LT(WideCompareStr(u"a", u"b"), 0);
  EXPECT_TRUE(WideSameText(u"黒板X", u"黒板x"));
  EXPECT_FALSE(WideSameStr(u"x", u"X"));
  EXPECT_EQ(WideUpperCase(u"abc黒"), u"ABC黒");
  EXPECT_EQ(WideLowerCase(u"ABC"), u"abc");
  EXPECT_EQ(UTF8Encode(u"黒\U0001F600"), "\xE9\xBB\x92\xF0\x9F\x98\x80");
  EXPECT_EQ(UTF8Decode("\xE9\xBB\x92\xF0\x9F\x98\x80"), u"黒\U0001F600");
  EXPECT_EQ(UTF8Decode("a\xFF" "b"), u"a\uFFFDb");  // malformed bytes are not dropped
}

TEST(WideStrings, AnsiOnlyPlatformFallsBackToAnsiComparison) {
  winplat::SetAnsiOnlyPlatform(true);
  EXPECT_EQ(WideCompareText(u"abc", u"ABC"), 0);
  EXPECT_LT(WideCompareStr(u"a", u"b"), 0);
  EXPECT_EQ(WideUpperCase(u"abc"), u"abc");  // the case calls do nothing there
  winplat::SetAnsiOnlyPlatform(false);
}

}  // namespace
