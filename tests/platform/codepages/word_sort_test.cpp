// CompareString and lstrcmp follow the platform's word sort in the user's locale.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "support.h"

namespace {

int Cmp(DWORD flags, const std::u16string& a, const std::u16string& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size()));
}

struct Case {
  DWORD flags;
  std::u16string a, b;
  int expect;
};

}  // namespace

TEST(WordSort, PairsInTheUserLocale) {
  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  const Case cases[] = {
      // Case breaks a tie only: lower case first, but letters decide before case does.
      {0, u"aaa", u"AAA", CSTR_LESS_THAN},
      {0, u"aa", u"AB", CSTR_LESS_THAN},
      {0, u"Abc", u"abd", CSTR_LESS_THAN},
      {0, u"a", u"A", CSTR_LESS_THAN},
      {NORM_IGNORECASE, u"aaa", u"AAA", CSTR_EQUAL},
      // Hyphen and apostrophe are ignored until the last level.
      {0, u"-o", u"/m", CSTR_GREATER_THAN},
      {0, u"'o", u"/m", CSTR_GREATER_THAN},
      {0, u"coop", u"co-op", CSTR_LESS_THAN},
      {0, u"co-op", u"cop", CSTR_LESS_THAN},
      {0, u"it's", u"its", CSTR_GREATER_THAN},
      {SORT_STRINGSORT, u"-o", u"/m", CSTR_LESS_THAN},
      {SORT_STRINGSORT, u"co-op", u"coop", CSTR_LESS_THAN},
      // Punctuation before symbols before digits before letters.
      {0, u"{", u"a", CSTR_LESS_THAN},
      {0, u"_", u"a", CSTR_LESS_THAN},
      {0, u"~", u"0", CSTR_LESS_THAN},
      {0, u"!", u"+", CSTR_LESS_THAN},
      {0, u"=", u"0", CSTR_LESS_THAN},
      {0, u"9", u"a", CSTR_LESS_THAN},
      {0, u"Z", u"a", CSTR_GREATER_THAN},
      {0, u"a b", u"ab", CSTR_LESS_THAN},
      // Accents after letters, before case; composed and decomposed forms are equal.
      {0, u"a", u"\u00E4", CSTR_LESS_THAN},
      {0, u"\u00E4", u"b", CSTR_LESS_THAN},
      {0, u"\u00E4", u"a\u0308", CSTR_EQUAL},
      {0, u"r\u00E9sum\u00E9", u"Resume", CSTR_GREATER_THAN},
      {0, u"resume", u"R\u00E9sum\u00E9", CSTR_LESS_THAN},
      {NORM_IGNORENONSPACE, u"r\u00E9sum\u00E9", u"resume", CSTR_EQUAL},
      // NUL and control characters never count; a count stops the string.
      {0, u"a", std::u16string(u"a\0\0\0", 4), CSTR_EQUAL},
      {0, u"a\u0001b", u"ab", CSTR_EQUAL},
      // Kana: hiragana before katakana, then width; voiced after plain.
      {0, u"\u3042", u"\u30A2", CSTR_LESS_THAN},
      {NORM_IGNOREKANATYPE, u"\u3042\u3044", u"\u30A2\u30A4", CSTR_EQUAL},
      {0, u"\u304B", u"\u304C", CSTR_LESS_THAN},
      {0, u"\u304C", u"\u304D", CSTR_LESS_THAN},
      {0, u"\u30AB", u"\uFF76", CSTR_LESS_THAN},
      {NORM_IGNOREWIDTH, u"\u30AC", u"\uFF76\uFF9E", CSTR_EQUAL},
      {NORM_IGNOREWIDTH | NORM_IGNORECASE, u"\uFF41\uFF42\uFF43", u"ABC", CSTR_EQUAL},
      {NORM_IGNORESYMBOLS, u"a-b c", u"abc", CSTR_EQUAL},
      // Kanji in code page order on a Japanese system: 亜 (88 9F) before 一 (88 EA).
      {0, u"\u4E9C", u"\u4E00", CSTR_LESS_THAN},
      {0, u"\u6F22", u"\u5B57", CSTR_LESS_THAN},
      {0, u"z", u"\u3042", CSTR_LESS_THAN},
      {0, u"\u3093", u"\u4E9C", CSTR_LESS_THAN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags << " " << testing::PrintToString(c.a) << " "
                                    << testing::PrintToString(c.b));
    EXPECT_EQ(Cmp(c.flags, c.a, c.b), c.expect);
    EXPECT_EQ(Cmp(c.flags, c.b, c.a), 4 - c.expect);  // the mirror
  }
  // An English system orders kanji by code point.
  winplat::SetAnsiCodePage(1252);
  EXPECT_EQ(Cmp(0, u"\u4E9C", u"\u4E00"), CSTR_GREATER_THAN);
}

TEST(WordSort, SortsAListAsTheSystemDoes) {
  std::vector<std::u16string> list = {u"banana", u"Apple", u"apple", u"_tmp", u"co-op", u"coop", u"10",
                                       u"9", u"Zebra", u"\u00E9t\u00E9", u"ete", u"{x}", u"apples"};
  std::sort(list.begin(), list.end(), [](const std::u16string& a, const std::u16string& b) {
    return Cmp(0, a, b) == CSTR_LESS_THAN;
  });
  const std::vector<std::u16string> expect = {u"_tmp", u"{x}", u"10", u"9", u"apple", u"Apple", u"apples",
                                              u"banana", u"coop", u"co-op", u"ete", u"\u00E9t\u00E9", u"Zebra"};
  EXPECT_EQ(list, expect);
}

TEST(WordSort, AnsiCallsAndLstrcmp) {
  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  struct AnsiCase {
    const char* a;
    int na;
    const char* b;
    int nb;
    DWORD flags;
    int expect;
  } cases[] = {
      {"aaa", -1, "AAA", -1, 0, CSTR_LESS_THAN},
      {"a", 1, "a\0\0\0", 4, 0, CSTR_EQUAL},
      {"abc", 2, "abX", 2, 0, CSTR_EQUAL},       // nothing after the count is read
      {"abc", -5, "abc", -1, 0, CSTR_EQUAL},     // any negative count reads to the NUL
      {"\x82\xA0", -1, "\x83\x41", -1, NORM_IGNOREKANATYPE, CSTR_EQUAL},
      {"\x95\x5C" "abc", -1, "\x95\x5C" "ABC", -1, NORM_IGNORECASE, CSTR_EQUAL},
      {"a", -1, "a", -1, LOCALE_USE_CP_ACP, CSTR_EQUAL},
  };
  for (const AnsiCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.a)));
    EXPECT_EQ(CompareStringA(LOCALE_USER_DEFAULT, c.flags, c.a, c.na, c.b, c.nb), c.expect);
  }
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, LOCALE_USE_CP_ACP, u"a", -1, u"a", -1), CSTR_EQUAL);
  // lstrcmp: word sort; a null string before all others.
  struct Lstr {
    const char* a;
    const char* b;
    int cmp, cmpi;
  } lcases[] = {
      {"", nullptr, 1, 1},   {nullptr, "", -1, -1}, {nullptr, nullptr, 0, 0}, {"aaa", "AAA", -1, 0},
      {"aa", "AB", -1, -1},  {"-o", "/m", 1, 1},    {"{", "a", -1, -1},
  };
  for (const Lstr& c : lcases) {
    SCOPED_TRACE(testing::Message() << (c.a ? c.a : "(null)") << " " << (c.b ? c.b : "(null)"));
    EXPECT_EQ(lstrcmpA(c.a, c.b), c.cmp);
    EXPECT_EQ(lstrcmpiA(c.a, c.b), c.cmpi);
    std::u16string wa, wb;
    if (c.a) wa = Widen(932, c.a);
    if (c.b) wb = Widen(932, c.b);
    EXPECT_EQ(lstrcmpW(c.a ? wa.c_str() : nullptr, c.b ? wb.c_str() : nullptr), c.cmp);
    EXPECT_EQ(lstrcmpiW(c.a ? wa.c_str() : nullptr, c.b ? wb.c_str() : nullptr), c.cmpi);
  }
}
