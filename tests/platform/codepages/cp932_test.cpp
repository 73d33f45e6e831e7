#include <gtest/gtest.h>
#include "support.h"

namespace {

struct Pair {
  const char* bytes;
  char16_t wide;
};

// Both directions: trail bytes that look like '\' and '|', the wave dash of the platform,
// half-width katakana, the NEC row 13, IBM extensions and the user-defined area.
const Pair kRoundTrip[] = {
    {"\x95\x5C", u'表'},      {"\x83\x5C", u'ソ'},      {"\x83\x7C", u'ポ'},
    {"\x81\x60", 0xFF5E},     {"\x5C", u'\\'},          {"\x7E", u'~'},
    {"\x7C", u'|'},           {"\xA1", 0xFF61},         {"\xDF", 0xFF9F},
    {"\x82\xA0", u'あ'},      {"\x88\x9F", u'亜'},      {"\x87\x40", 0x2460},
    {"\x87\x54", 0x2160},     {"\xFA\x40", 0x2170},     {"\xFA\x5C", 0x7E8A},
    {"\xFC\x4B", 0x9ED1},     {"\xF0\x40", 0xE000},     {"\xF9\xFC", 0xE757},
    {"\x81\xCA", 0xFFE2},     {"\x80", 0x0080},         {"\xA0", 0xF8F0},
    {"\xFD", 0xF8F1},         {"\xFF", 0xF8F3},         {"\x81\x40", 0x3000},
};

}  // namespace

TEST(Cp932, TableBothWays) {
  for (const Pair& p : kRoundTrip) {
    SCOPED_TRACE(testing::Message() << std::hex << static_cast<unsigned>(p.wide));
    EXPECT_EQ(Widen(932, p.bytes), std::u16string(1, p.wide));
    BOOL used = TRUE;
    EXPECT_EQ(Narrow(932, std::u16string(1, p.wide), &used), p.bytes);
    EXPECT_FALSE(used);
  }
}

TEST(Cp932, DuplicateCodesNarrowToThePreferredOne) {
  // NEC-selected IBM rows (ED, EE) read fine but narrow to the IBM rows or to JIS X 0208.
  EXPECT_EQ(Widen(932, "\xED\x40"), u"\u7E8A");
  EXPECT_EQ(Narrow(932, u"\u7E8A"), "\xFA\x5C");
  EXPECT_EQ(Widen(932, "\xEE\xF9"), u"\uFFE2");
  EXPECT_EQ(Widen(932, "\xFA\x54"), u"\uFFE2");
  EXPECT_EQ(Narrow(932, u"\uFFE2"), "\x81\xCA");
  EXPECT_EQ(Widen(932, "\xFA\x4A"), u"\u2160");  // IBM roman numeral one
  EXPECT_EQ(Narrow(932, u"\u2160"), "\x87\x54");
  EXPECT_EQ(Narrow(932, u"\u2235"), "\x81\xE6");
}

TEST(Cp932, MalformedBytes) {
  struct Case {
    std::string bytes;
    std::u16string wide;
  } cases[] = {
      {"A\x81", u"A\u30FB"},                      // lone lead byte at the end
      {std::string("\x81\n", 2), u"\u30FB\n"},    // lead before a byte that cannot trail
      {std::string("\x81\0", 2), std::u16string(u"\u30FB\0", 2)},
      {"\x85\x40" "A", u"\u30FB" "A"},            // an unassigned pair is one character
      {"\x81\x7F", u"\u30FB\u007F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Widen(932, c.bytes), c.wide);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, c.bytes.data(), static_cast<int>(c.bytes.size()),
                                  nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  }
}

TEST(Cp932, UnmappableCharactersReportTheDefaultCharacter) {
  BOOL used = FALSE;
  EXPECT_EQ(Narrow(932, u"a\u0100b", &used), "a?b");
  EXPECT_TRUE(used);
  used = FALSE;
  EXPECT_EQ(Narrow(932, u"\u0100", &used, "*"), "*");
  EXPECT_TRUE(used);
  EXPECT_EQ(Narrow(932, u"\u0100", nullptr, "\x81\x45"), "\x81\x45");  // a double-byte default
  used = FALSE;
  EXPECT_EQ(Narrow(932, u"x\U0001F600y", &used), "x??y");  // one default per unit of a surrogate pair
  EXPECT_TRUE(used);
  EXPECT_EQ(Narrow(932, u"\u301C"), "?");  // no best fit for the Unicode wave dash
  // Accented Latin best-fits unless the flag forbids it.
  char buf[8];
  BOOL u2 = TRUE;
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u00E9", 1, buf, 8, nullptr, &u2), 1);
  EXPECT_FALSE(u2);
  EXPECT_EQ(buf[0], 'e');
  EXPECT_EQ(WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, u"\u00E9", 1, buf, 8, nullptr, &u2), 1);
  EXPECT_TRUE(u2);
  EXPECT_EQ(buf[0], '?');
}

TEST(Cp932, CompositeCheckCanDropNonSpacingMarks) {
  const std::u16string text = u"e\u0301";
  char buf[8];
  EXPECT_EQ(WideCharToMultiByte(932, WC_COMPOSITECHECK | WC_DISCARDNS, text.data(), 2, buf, 8, nullptr, nullptr), 1);
  EXPECT_EQ(buf[0], 'e');
  BOOL used = TRUE;
  // The composed e-acute best-fits to "e".
  EXPECT_EQ(WideCharToMultiByte(932, WC_COMPOSITECHECK | WC_DEFAULTCHAR, text.data(), 2, buf, 8, nullptr, &used), 1);
  EXPECT_FALSE(used);
  EXPECT_EQ(buf[0], 'e');
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(932, WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS, text.data(), 2, buf, 8,
                                nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(Cp932, LeadBytesAndCodePageInfo) {
  PlatformGuard g;
  winplat::SetAnsiCodePage(932);
  for (int b = 0; b < 256; ++b) {
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    EXPECT_EQ(IsDBCSLeadByte(static_cast<BYTE>(b)) != 0, lead) << b;
    EXPECT_EQ(IsDBCSLeadByteEx(932, static_cast<BYTE>(b)) != 0, lead) << b;
  }
  CPINFO info;
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  EXPECT_EQ(info.MaxCharSize, 2u);
  EXPECT_EQ(info.DefaultChar[0], '?');
  const BYTE leads[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(info.LeadByte[i], leads[i]);
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_EQ(GetOEMCP(), 932u);
  winplat::SetAnsiCodePage(1252);
  EXPECT_FALSE(IsDBCSLeadByte(0x81));
  EXPECT_EQ(GetACP(), 1252u);
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  EXPECT_EQ(info.MaxCharSize, 1u);
  EXPECT_EQ(info.LeadByte[0], 0);
}

TEST(Cp932, EveryDoubleByteCharacterRoundTrips) {
  // Each pair that reads as a character narrows back to itself or to its preferred duplicate,
  // which reads as the same character.
  int mapped = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char16_t w[2];
      if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, 2, w, 2) != 1) continue;
      ++mapped;
      char back[2];
      ASSERT_EQ(WideCharToMultiByte(932, 0, w, 1, back, 2, nullptr, nullptr), 2) << lead << " " << trail;
      char16_t again;
      ASSERT_EQ(MultiByteToWideChar(932, 0, back, 2, &again, 1), 1);
      EXPECT_EQ(again, w[0]);
    }
  }
  // JIS X 0208, the NEC and IBM extensions and the 1,880 user-defined codes.
  EXPECT_GT(mapped, 7000 + 1880);
}
