#include <gtest/gtest.h>
#include <cstring>
#include "support.h"

namespace {
int Cmp(DWORD flags, const std::u16string& a, const std::u16string& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size()));
}
char16_t Upper(char16_t c) {
  CharUpperBuffW(&c, 1);
  return c;
}
}  // namespace

TEST(CaseMapping, CompareStringAgreesWithCharUpperBuffW) {
  // Ignoring case means: equal after CharUpperBuffW, ordered by the upper-cased code units.
  for (uint32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const char16_t x = static_cast<char16_t>(c);
    const char16_t lower = static_cast<char16_t>(reinterpret_cast<uintptr_t>(CharLowerW(reinterpret_cast<LPWSTR>(c))));
    ASSERT_EQ(Cmp(NORM_IGNORECASE, std::u16string(1, x), std::u16string(1, lower)), CSTR_EQUAL) << c;
    ASSERT_EQ(Cmp(NORM_IGNORECASE, std::u16string(1, x), std::u16string(1, Upper(x))), CSTR_EQUAL) << c;
  }
  // Ignoring case, a letter and its other case are one; otherwise lower case sorts first.
  const char16_t pairs[][2] = {{u'a', u'A'}, {u'é', u'É'}, {u'ÿ', u'Ÿ'}, {u'ａ', u'Ａ'}, {u'ω', u'Ω'}};
  for (const auto& p : pairs) {
    EXPECT_EQ(Cmp(0, std::u16string(1, p[0]), std::u16string(1, p[1])), CSTR_LESS_THAN) << int(p[0]);
    EXPECT_EQ(Cmp(NORM_IGNORECASE, std::u16string(1, p[0]), std::u16string(1, p[1])), CSTR_EQUAL) << int(p[0]);
  }
}

TEST(CaseMapping, NonAsciiLettersNeverFoldToAscii) {
  EXPECT_EQ(Upper(u'\u0131'), u'\u0131');  // dotless i
  EXPECT_EQ(Upper(u'\u017F'), u'\u017F');  // long s
  EXPECT_NE(Cmp(NORM_IGNORECASE, u"K", u"\u212A"), CSTR_EQUAL);  // Kelvin sign
  EXPECT_EQ(Upper(u'\u00E4'), u'\u00C4');
  EXPECT_EQ(Upper(u'\uFF41'), u'\uFF21');  // full-width a
  EXPECT_EQ(Upper(u'\u00DF'), u'\u00DF');  // sharp s has no one-unit capital
}

TEST(CompareString, OrderLengthsAndFlags) {
  EXPECT_EQ(Cmp(0, u"abc", u"abd"), CSTR_LESS_THAN);
  EXPECT_EQ(Cmp(0, u"abc", u"ab"), CSTR_GREATER_THAN);
  EXPECT_EQ(Cmp(0, u"Abc", u"abc"), CSTR_GREATER_THAN);
  EXPECT_EQ(Cmp(NORM_IGNORECASE, u"Settings", u"SETTINGS"), CSTR_EQUAL);
  EXPECT_EQ(Cmp(NORM_IGNOREWIDTH | NORM_IGNORECASE, u"ａｂｃ", u"ABC"), CSTR_EQUAL);
  EXPECT_EQ(Cmp(NORM_IGNOREKANATYPE, u"あいう", u"アイウ"), CSTR_EQUAL);
  EXPECT_EQ(Cmp(NORM_IGNORESYMBOLS, u"a-b c", u"abc"), CSTR_EQUAL);
  EXPECT_EQ(Cmp(NORM_IGNORENONSPACE, u"e\u0301", u"e"), CSTR_EQUAL);
  // -1 reads to the terminator; explicit counts compare exactly that many units.
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"abc", -1, u"abX", 2), CSTR_GREATER_THAN);
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"abc", 2, u"abX", 2), CSTR_EQUAL);
  SetLastError(0);
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, nullptr, -1, u"a", -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0x80000000, u"a", -1, u"a", -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));

  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "\x95\x5C" "abc", -1, "\x95\x5C" "ABC", -1), CSTR_EQUAL);
  EXPECT_EQ(lstrcmpiA("\x83\x7C" "x", "\x83\x7C" "X"), 0);
  EXPECT_LT(lstrcmpA("a", "b"), 0);
  EXPECT_GT(lstrcmpW(u"b", u"a"), 0);
  EXPECT_EQ(lstrcmpiW(u"\u00C4", u"\u00E4"), 0);
  EXPECT_LT(lstrcmpA(nullptr, "a"), 0);
}

TEST(CharUpperA, LeavesTrailBytesAlone) {
  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  // 82 61 is 'Ｂ' with a trail byte 'a'; 83 41 is 'ア' with a trail byte 'A'.
  char s[] = "\x82\x61" "a\x83\x41" "B";
  CharUpperA(s);
  EXPECT_STREQ(s, "\x82\x61" "A\x83\x41" "B");
  CharLowerA(s);
  EXPECT_STREQ(s, "\x82\x61" "a\x83\x41" "b");
  char t[] = "\x82\x61" "zz";
  EXPECT_EQ(CharUpperBuffA(t, 3), 3u);
  EXPECT_STREQ(t, "\x82\x61" "Zz");
  EXPECT_EQ(reinterpret_cast<uintptr_t>(CharUpperA(reinterpret_cast<LPSTR>(uintptr_t{'q'}))), uintptr_t{'Q'});

  winplat::SetAnsiCodePage(1252);
  char l[] = "\xE0\xFF\x9A\x9C" "x";
  CharUpperA(l);
  EXPECT_STREQ(l, "\xC0\x9F\x8A\x8C" "X");
}

TEST(CharNextPrev, StepOverDoubleByteCharacters) {
  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  const char s[] = "a\x95\x5C" "b";
  EXPECT_EQ(CharNextA(s), s + 1);
  EXPECT_EQ(CharNextA(s + 1), s + 3);
  EXPECT_EQ(CharNextA(s + 4), s + 4);  // at the terminator
  EXPECT_EQ(CharPrevA(s, s + 4), s + 3);
  EXPECT_EQ(CharPrevA(s, s + 3), s + 1);
  EXPECT_EQ(CharPrevA(s, s + 1), s);
  EXPECT_EQ(CharPrevA(s, s), s);
  const char lone[] = "\x81";
  EXPECT_EQ(CharNextA(lone), lone + 1);  // a lead byte before the terminator stands alone
}

TEST(Lstr, CopiesAndLengths) {
  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  char buf[8];
  EXPECT_STREQ(lstrcpynA(buf, "a\x95\x5C", 3), "a");  // the character is not split
  EXPECT_STREQ(lstrcpynA(buf, "a\x95\x5C", 4), "a\x95\x5C");
  EXPECT_STREQ(lstrcpynA(buf, "abcdef", 4), "abc");
  EXPECT_STREQ(lstrcatA(lstrcpyA(buf, "ab"), "cd"), "abcd");
  EXPECT_EQ(lstrlenA("a\x95\x5C"), 3);
  EXPECT_EQ(lstrlenA(nullptr), 0);
  char16_t w[8];
  EXPECT_EQ(std::u16string(lstrcpynW(w, u"黒板です", 3)), u"黒板");
  EXPECT_EQ(std::u16string(lstrcatW(lstrcpyW(w, u"黒"), u"板")), u"黒板");
  EXPECT_EQ(lstrlenW(u"黒板"), 2);
  EXPECT_EQ(lstrlenW(nullptr), 0);
}

TEST(AnsiOnlyPlatform, WideStubsFailButConversionsWork) {
  PlatformGuard g;
  winplat::SetAnsiOnlyPlatform(true);
  char16_t w[] = u"abc";
  SetLastError(0);
  EXPECT_EQ(CharUpperW(w), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  EXPECT_EQ(CharUpperBuffW(w, 3), 0u);
  EXPECT_EQ(CharLowerBuffW(w, 3), 0u);
  EXPECT_EQ(std::u16string(w), u"abc");
  SetLastError(0);
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"a", -1, u"a", -1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
  wchar_t unused;
  (void)unused;
  char16_t info[8];
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, info, 8), 0);
  // What a Windows 9x system has.
  EXPECT_EQ(Widen(932, "\x95\x5C"), u"表");
  EXPECT_EQ(Narrow(932, u"表"), "\x95\x5C");
  EXPECT_EQ(lstrlenW(u"abc"), 3);
  char a[] = "abc";
  EXPECT_STREQ(CharUpperA(a), "ABC");
  EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, "abc", -1, "ABC", -1), CSTR_EQUAL);
}

TEST(LocaleInfo, CodePagesAndUserLocale) {
  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  char buf[6];
  struct Case {
    LCID lcid;
    const char* cp;
  } cases[] = {{0x0411, "932"}, {0x0409, "1252"}, {0x0804, "936"}, {0x0412, "949"}, {0x0404, "950"},
               {LOCALE_USER_DEFAULT, "932"}, {LOCALE_SYSTEM_DEFAULT, "932"}};
  for (const Case& c : cases) {
    EXPECT_EQ(GetLocaleInfoA(c.lcid, LOCALE_IDEFAULTANSICODEPAGE, buf, 6), static_cast<int>(std::strlen(c.cp)) + 1);
    EXPECT_STREQ(buf, c.cp);
  }
  EXPECT_EQ(GetUserDefaultLCID(), 0x0411u);
  EXPECT_EQ(GetThreadLocale(), 0x0411u);
  EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SSHORTDATE, nullptr, 0), 11);
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoA(0x0411, LOCALE_SSHORTDATE, buf, 6), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char day[16];
  ASSERT_GT(GetLocaleInfoA(0x0411, LOCALE_SDAYNAME1 + 6, day, 16), 0);
  EXPECT_STREQ(day, "\x93\xFA\x97\x6A\x93\xFA");  // 日曜日 in code page 932
  char16_t wmonth[8];
  ASSERT_GT(GetLocaleInfoW(0x0411, LOCALE_SMONTHNAME1 + 11, wmonth, 8), 0);
  EXPECT_EQ(std::u16string(wmonth), u"12月");
  DWORD number = 0;
  EXPECT_EQ(GetLocaleInfoW(0x0411, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                           reinterpret_cast<LPWSTR>(&number), 2), 2);
  EXPECT_EQ(number, 932u);
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoA(0x0999, LOCALE_IDEFAULTANSICODEPAGE, buf, 6), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  winplat::SetAnsiCodePage(1252);
  EXPECT_EQ(GetUserDefaultLCID(), 0x0409u);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, buf, 6), 5);
  EXPECT_STREQ(buf, "1252");
}
