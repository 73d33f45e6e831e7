// Code-page conversions, locale and keyboard code pages, byte swapping, resource strings and
// the wide command line.
#include <gtest/gtest.h>

#include "UcSystem.h"
#include "UcWindows.h"
#include "winplat_mode.h"
#include "winplat_resource.h"

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int x : b) s.push_back(static_cast<char>(x));
  return s;
}

struct Case { UINT codePage; std::string bytes; std::u16string wide; };

TEST(CodePages, BothWays) {
  const Case cases[] = {
      {932, Bytes({0x95, 0x5C}), u"表"},              // trail byte 0x5C is no backslash
      {932, Bytes({0x83, 0x5C, 0x83, 0x7C}), u"ソポ"},  // 0x7C no bar
      {932, Bytes({0x81, 0x60}), u"\uFF5E"},          // the Windows table's tilde
      {932, Bytes({0x41, 0xB1, 0x5C}), u"A\uFF71\\"},
      {65001, "\xE6\x97\xA5\xE6\x9C\xAC", u"日本"},
      {65001, "\xF0\x9F\x98\x80", u"\U0001F600"},     // four bytes and a surrogate pair
      {65001, "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {65000, "+ZeVnLIqe", u"日本語"},
      {65000, "A+-B", u"A+B"},
      {1252, "caf\xE9", u"caf\u00E9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BytesToWide(c.bytes, c.codePage), c.wide) << c.codePage;
    EXPECT_EQ(WideToBytes(c.wide, c.codePage), c.bytes) << c.codePage;
  }
  EXPECT_EQ(BytesToWide("", 932), u"");
  EXPECT_EQ(WideToBytes(u"", 65001), "");
}

TEST(CodePages, MalformedAndUnmappable) {
  // Malformed UTF-8: a replacement character where a sequence breaks, the rest kept.
  const Case decode[] = {
      {65001, "A\x80" "B", u"A\uFFFDB"},
      {65001, "A\xC3", u"A\uFFFD"},
      {65001, "\xFF\xFE" "ok", u"\uFFFD\uFFFDok"},
      {65001, "\xE6\x97\xA5\x80\xE6\x9C\xAC", u"日\uFFFD本"},
  };
  for (const auto& c : decode) EXPECT_EQ(BytesToWide(c.bytes, c.codePage), c.wide);
  // A lone surrogate cannot be UTF-8: it gives a replacement, not an empty text.
  EXPECT_EQ(BytesToWide(WideToBytes(u"a\xD800" "b", 65001), 65001), u"a\uFFFDb");
  // A character outside the code page comes out as the platform's substitute.
  EXPECT_EQ(WideToBytes(u"a\u0E01b", 932), "a?b");
  // A lone lead byte at the end yields one character, never the byte's half of one.
  const std::u16string lone = BytesToWide(Bytes({0x41, 0x81}), 932);
  ASSERT_EQ(lone.size(), 2u);
  EXPECT_EQ(lone[0], u'A');
  EXPECT_TRUE(lone[1] == u'\u30FB' || lone[1] == u'\uFFFD' || lone[1] == u'?') << int(lone[1]);
}

TEST(CodePages, InvalidUtf7Raises) {
  EXPECT_THROW(BytesToWide("+.", 65000), EUcGeneralError);
}

TEST(CodePages, LocaleAndKeyboard) {
  EXPECT_EQ(LocaleAnsiCodePage(0x0411), 932u);
  EXPECT_EQ(LocaleAnsiCodePage(0x0409), 1252u);
  EXPECT_EQ(LocaleAnsiCodePage(0x7777), GetACP());  // no answer: the ANSI code page
  EXPECT_EQ(KeyboardLayoutCodePage(), 932u);
}

TEST(CodePages, KeyCharToWide) {
  struct K { Word key; char16_t wide; };
  const K cases[] = {
      {0x41, u'A'},
      {0xB1, u'\uFF71'},  // half-width katakana
      {0x5C, u'\\'},
      {0x81, 0},          // a lead byte alone is no character
      {0x9F, 0},
      {0x3042, u'\u3042'},  // 256 and above unchanged
      {0x100, 0x100},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyCharToWide(c.key), c.wide) << std::hex << c.key;
}

TEST(CodePages, SwapWideBytesStopsAtTheTerminator) {
  char16_t text[] = {0x3042, 0x0041, 0, 0x1234};
  SwapWideBytes(text);
  EXPECT_EQ(text[0], 0x4230);
  EXPECT_EQ(text[1], 0x4100);
  EXPECT_EQ(text[3], 0x1234);
}

TEST(ResourceStrings, FromTheProgramAndFromTheTable) {
  static const char utf8[] = "\xEF\xBB\xBF\xE9\xBB\x92\xE6\x9D\xBF \xE2\x82\xAC";
  static const char ansi[] = "リスト";
  static const char bomOnly[] = "\xEF\xBB\xBF";
  TResStringRec fromUtf8{nullptr, reinterpret_cast<uintptr_t>(utf8)};
  TResStringRec fromAnsi{nullptr, reinterpret_cast<uintptr_t>(ansi)};
  TResStringRec shortBom{nullptr, reinterpret_cast<uintptr_t>(bomOnly)};
  EXPECT_EQ(LoadWideResourceString(&fromUtf8), u"黒板 \u20AC");
  EXPECT_EQ(LoadWideResourceString(&fromAnsi), u"リスト");
  EXPECT_NE(LoadWideResourceString(&shortBom), u"");  // three bytes: widened as ANSI text
  TResStringRec none{nullptr, 0};
  EXPECT_EQ(LoadWideResourceString(&none), u"");

  std::vector<char16_t> block;
  for (int i = 0; i < 16; ++i) {
    const std::u16string s = i == 2 ? u"表の文字列" : u"";
    block.push_back(static_cast<char16_t>(s.size()));
    block.insert(block.end(), s.begin(), s.end());
  }
  HMODULE module = GetModuleHandleA(nullptr);
  winplat::RegisterModuleResource(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(8), block.data(),
                                  static_cast<DWORD>(block.size() * 2));
  TResStringRec fromTable{&module, 7 * 16 + 2};
  EXPECT_EQ(LoadWideResourceString(&fromTable), u"表の文字列");
  winplat::SetAnsiOnlyPlatform(true);
  InitPlatformFlags();
  EXPECT_EQ(LoadWideResourceString(&fromTable), u"表の文字列");
  winplat::SetAnsiOnlyPlatform(false);
  InitPlatformFlags();
  winplat::UnregisterModuleResources(module);
}

TEST(CommandLine, Parameters) {
  const char16_t* line = u"  \"C:\\prog dir\\prog.exe\" \"a b\" plain \"\"  x\"y z\"w";
  std::u16string p;
  const char16_t* at = line;
  std::vector<std::u16string> params;
  for (;;) {
    at = NextCommandLineParam(at, p);
    if (p.empty()) break;
    params.push_back(p);
  }
  EXPECT_EQ(params, (std::vector<std::u16string>{u"C:\\prog dir\\prog.exe", u"a b", u"plain", u"xy zw"}));
  EXPECT_EQ(WideCommandLineParam(0), WideModuleFileName(nullptr));
  EXPECT_EQ(WideCommandLineParam(1000), u"");
}

}  // namespace
