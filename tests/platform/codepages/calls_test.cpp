#include <gtest/gtest.h>
#include <cstring>
#include "support.h"

TEST(Conversion, LengthsAndBufferRules) {
  // -1 counts the terminator; a zero size asks for the size; a short buffer fails.
  EXPECT_EQ(MultiByteToWideChar(932, 0, "a\x95\x5C", -1, nullptr, 0), 3);
  char16_t w[3] = {1, 1, 1};
  EXPECT_EQ(MultiByteToWideChar(932, 0, "a\x95\x5C", -1, w, 3), 3);
  EXPECT_EQ(w[0], u'a');
  EXPECT_EQ(w[1], u'表');
  EXPECT_EQ(w[2], 0);
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(932, 0, "a\x95\x5C", -1, w, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  EXPECT_EQ(WideCharToMultiByte(932, 0, u"a表", -1, nullptr, 0, nullptr, nullptr), 4);
  char s[4];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"a表", -1, s, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"a表", -1, s, 4, nullptr, nullptr), 4);
  EXPECT_STREQ(s, "a\x95\x5C");
}

TEST(Conversion, InvalidArguments) {
  struct Case {
    int result;
    DWORD error;
  };
  char16_t w[4];
  char s[4];
  BOOL used;
  const Case cases[] = {
      {MultiByteToWideChar(932, 0, nullptr, 1, w, 4), ERROR_INVALID_PARAMETER},
      {MultiByteToWideChar(932, 0, "a", 0, w, 4), ERROR_INVALID_PARAMETER},
      {MultiByteToWideChar(932, 0, "a", 1, nullptr, 4), ERROR_INVALID_PARAMETER},
      {MultiByteToWideChar(12345, 0, "a", 1, w, 4), ERROR_INVALID_PARAMETER},
      {MultiByteToWideChar(932, 0x100, "a", 1, w, 4), ERROR_INVALID_FLAGS},
      {MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, w, 4), ERROR_INVALID_FLAGS},
      {WideCharToMultiByte(932, 0, nullptr, 1, s, 4, nullptr, nullptr), ERROR_INVALID_PARAMETER},
      {WideCharToMultiByte(CP_UTF8, 0, u"a", 1, s, 4, nullptr, &used), ERROR_INVALID_PARAMETER},
      {WideCharToMultiByte(CP_UTF7, 0, u"a", 1, s, 4, "?", nullptr), ERROR_INVALID_PARAMETER},
      {WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, u"a", 1, s, 4, nullptr, nullptr), ERROR_INVALID_FLAGS},
  };
  int i = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, 0) << i;
    ++i;
  }
  // Each call above leaves its own error; check them one by one.
  SetLastError(0);
  MultiByteToWideChar(932, 0x100, "a", 1, w, 4);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  SetLastError(0);
  WideCharToMultiByte(CP_UTF8, 0, u"a", 1, s, 4, nullptr, &used);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(IsValidCodePage(932));
  EXPECT_TRUE(IsValidCodePage(1252));
  EXPECT_TRUE(IsValidCodePage(CP_UTF8));
  EXPECT_TRUE(IsValidCodePage(CP_UTF7));
  EXPECT_FALSE(IsValidCodePage(CP_ACP));
  EXPECT_FALSE(IsValidCodePage(12345));
}

TEST(Cp1252, SpecialsOfTheC1Range) {
  const char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                             0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                             0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const char16_t expect = (b >= 0x80 && b < 0xA0) ? high[b - 0x80] : static_cast<char16_t>(b);
    EXPECT_EQ(Widen(1252, byte), std::u16string(1, expect)) << b;
    BOOL used = TRUE;
    EXPECT_EQ(Narrow(1252, std::u16string(1, expect), &used), byte) << b;
    EXPECT_FALSE(used);
  }
  BOOL used = FALSE;
  EXPECT_EQ(Narrow(1252, u"\u0100表\u0080", &used), "A??");  // best fit; U+0080 is not the euro's byte
  EXPECT_TRUE(used);
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {"\xC0\x80", u"\uFFFD\uFFFD"},                  // overlong NUL
      {"\xC1\xBF", u"\uFFFD\uFFFD"},                  // overlong
      {"\xE0\x80\x80", u"\uFFFD\uFFFD"},              // overlong three-byte
      {"\xF0\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD"},              // encoded surrogate
      {"\xED\xB0\x80", u"\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},    // above U+10FFFF
      {"\xF5\x80", u"\uFFFD\uFFFD"},
      {"\xFF", u"\uFFFD"},
      {"\x80" "a", u"\uFFFD" "a"},                    // lone continuation
      {"\xE3\x81" "A", u"\uFFFD" "A"},                // truncated: one replacement
      {"\xF0\x9F\x98", u"\uFFFD"},
      {"a\xE3", u"a\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(Widen(CP_UTF8, c.bytes), c.wide);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes.data(), static_cast<int>(c.bytes.size()),
                                  nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  }
}

TEST(Utf8, ValidFormsAndSurrogatePairs) {
  struct Case {
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {"\x7F", u"\u007F"},
      {"\xC2\x80", u"\u0080"},
      {"\xDF\xBF", u"\u07FF"},
      {"\xE0\xA0\x80", u"\u0800"},
      {"\xED\x9F\xBF", u"\uD7FF"},
      {"\xEE\x80\x80", u"\uE000"},
      {"\xEF\xBF\xBF", u"\uFFFF"},
      {"\xF0\x90\x80\x80", u"\U00010000"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"\xE9\xBB\x92\xE6\x9D\xBF", u"黒板"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Widen(CP_UTF8, c.bytes, MB_ERR_INVALID_CHARS), c.wide);
    EXPECT_EQ(Narrow(CP_UTF8, c.wide), c.bytes);
  }
}

TEST(Utf8, LoneSurrogatesNarrowToReplacementCharacters) {
  const std::u16string cases[] = {std::u16string(1, char16_t(0xD800)), std::u16string(1, char16_t(0xDFFF)),
                                  std::u16string({char16_t(0xDC00), char16_t(0xD800)}),
                                  std::u16string({char16_t(0xD83D), u'x'})};
  const std::string expected[] = {"\xEF\xBF\xBD", "\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD", "\xEF\xBF\xBDx"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(Narrow(CP_UTF8, cases[i]), expected[i]) << i;
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, cases[i].data(), static_cast<int>(cases[i].size()),
                                  nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  }
}

TEST(Utf7, DecodesTheFormsOfTheStandard) {
  struct Case {
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {"A+ImIDkQ.", u"A\u2262\u0391."},
      {"Hi Mom -+Jjo--!", u"Hi Mom -\u263A-!"},
      {"+ZeVnLIqe-", u"日本語"},
      {"+ZeVnLIqe", u"日本語"},
      {"1 +- 1", u"1 + 1"},
      {"+AGEAYgBj-", u"abc"},
      {"+2D3eAA-", u"\U0001F600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Widen(CP_UTF7, c.bytes), c.wide);
  }
}

TEST(Utf7, RoundTrips) {
  const std::u16string cases[] = {
      u"", u"plain text, (with) punctuation: 'ok'? /-.", u"日本語", u"a+b=c", u"++", u"!\"#$%&*;<=>@[]^_`{|}",
      u"\U0001F600 and \U0010FFFF", u"黒板-A", u"黒板A", u"end in shift 黒", u"tab\tcr\rlf\n",
      std::u16string(1, char16_t(0xD800)) + u"z", u"~\\",
  };
  for (const std::u16string& w : cases) {
    if (w.empty()) continue;
    const std::string b = Narrow(CP_UTF7, w);
    for (char ch : b) EXPECT_LT(static_cast<unsigned char>(ch), 0x80u);
    EXPECT_EQ(Widen(CP_UTF7, b), w) << b;
  }
  EXPECT_EQ(Narrow(CP_UTF7, u"A\u2262\u0391."), "A+ImIDkQ-.");
  EXPECT_EQ(Narrow(CP_UTF7, u"1 + 1"), "1 +- 1");
  EXPECT_EQ(Narrow(CP_UTF7, u"黒板A"), "+ntJnfw-A");
}

TEST(OemCodePage, FollowsTheSystem) {
  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  EXPECT_EQ(GetOEMCP(), 932u);
  EXPECT_EQ(Widen(CP_OEMCP, "\x95\x5C"), u"表");
  winplat::SetAnsiCodePage(1252);
  EXPECT_EQ(GetOEMCP(), 437u);
  EXPECT_EQ(Widen(CP_OEMCP, "\x80\xB0"), u"\u00C7\u2591");
  EXPECT_EQ(Narrow(437, u"\u00C7\u2591"), "\x80\xB0");
  EXPECT_EQ(MultiByteToWideChar(CP_MACCP, 0, "a", 1, nullptr, 0), 0);  // no Macintosh tables
}
