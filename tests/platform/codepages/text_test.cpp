#include <gtest/gtest.h>
#include "internal/text.h"
#include "winplat_mode.h"

using namespace winplat;

namespace {
struct AcpGuard {
  UINT saved = AnsiCodePage();
  ~AcpGuard() { SetAnsiCodePage(saved); }
};
}  // namespace

TEST(InternalText, Cp932TrailBytesSurviveTheTripToUtf8) {
  AcpGuard g;
  SetAnsiCodePage(932);
  // "表" 95 5C and "ポ" 83 7C: trail bytes that look like '\' and '|'.
  const std::string ansi = "\x95\x5C\\\x83\x7C|";
  EXPECT_EQ(AnsiToWide(ansi), u"表\\ポ|");
  EXPECT_EQ(AnsiToUtf8(ansi), "\xE8\xA1\xA8\\\xE3\x83\x9D|");
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(ansi)), ansi);
  EXPECT_EQ(WideToAnsi(u"\uFF5E"), "\x81\x60");
}

TEST(InternalText, FollowsTheAnsiCodePage) {
  AcpGuard g;
  SetAnsiCodePage(1252);
  EXPECT_EQ(AnsiToWide("\x80\xE9"), u"\u20AC\u00E9");
  EXPECT_EQ(WideToAnsi(u"\u20AC表"), "\x80?");
  EXPECT_EQ(AnsiToWide("\x80", 932), u"\u0080");
}

TEST(InternalText, Utf8BothWays) {
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8ToWide("a\xFFz"), u"a\uFFFDz");
  EXPECT_EQ(WideToUtf8(u""), "");
}
