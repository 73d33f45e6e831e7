// DrawText layout with the test font (16 px: half-width 8, wide 16, line 16): exact numbers.
#include <gtest/gtest.h>

#include "gdi/text_layout.h"
#include "wintext.h"

using namespace winplat::gdi;

namespace {

std::shared_ptr<RealFont> TestFont16() {
  FontRequest r;
  r.faceName = kTestFontFace;
  r.height = -16;
  return RealiseFont(r);
}

std::u16string LineText(const LaidOutLine& l) {
  std::u16string s;
  for (char32_t c : l.codes) s += static_cast<char16_t>(c);
  return s;
}

std::vector<std::u16string> Lines(const TextLayout& t) {
  std::vector<std::u16string> out;
  for (const auto& l : t.lines) out.push_back(LineText(l));
  return out;
}

}  // namespace

TEST(DrawTextLayout, CalcRectTable) {
  auto font = TestFont16();
  struct Case {
    const char16_t* text;
    UINT format;
    RECT in;
    RECT out;
    int result;
  } cases[] = {
      {u"ABC", DT_SINGLELINE, {10, 20, 200, 100}, {10, 20, 34, 36}, 16},
      {u"ABC", 0, {10, 20, 200, 100}, {10, 20, 34, 36}, 16},
      {u"AB\r\nCDEF\nG", 0, {0, 0, 5, 5}, {0, 0, 32, 48}, 48},
      {u"AB\rCD", 0, {0, 0, 5, 5}, {0, 0, 16, 32}, 32},
      {u"AB\n", 0, {0, 0, 5, 5}, {0, 0, 16, 16}, 16},  // a final break adds no line
      {u"\n\n", 0, {0, 0, 5, 5}, {0, 0, 0, 32}, 32},
      {u"", 0, {10, 20, 50, 60}, {10, 20, 10, 20}, 0},
      {u"&", 0, {10, 20, 50, 60}, {10, 20, 10, 20}, 0},  // a lone prefix shows nothing
      {u"& ", 0, {0, 0, 50, 60}, {0, 0, 8, 16}, 16},
      {u"AB\r\nCD", DT_SINGLELINE, {0, 0, 5, 5}, {0, 0, 48, 16}, 16},  // breaks are characters
      {u"黒板 Qz", DT_SINGLELINE, {0, 0, 5, 5}, {0, 0, 56, 16}, 16},
      {u"\U00020B9F", DT_SINGLELINE, {0, 0, 5, 5}, {0, 0, 16, 16}, 16},
      {u"aaa bbb ccc", DT_WORDBREAK, {0, 0, 60, 0}, {0, 0, 56, 32}, 32},
      {u"abcdefghij", DT_WORDBREAK, {0, 0, 20, 0}, {0, 0, 80, 16}, 16},  // no break: overflows
      {u"ABC", DT_SINGLELINE | DT_VCENTER, {0, 0, 100, 40}, {0, 0, 24, 16}, 28},
      {u"&File", 0, {0, 0, 100, 40}, {0, 0, 32, 16}, 16},
      {u"&File", DT_NOPREFIX, {0, 0, 100, 40}, {0, 0, 40, 16}, 16},
      {u"A&&B", 0, {0, 0, 100, 40}, {0, 0, 24, 16}, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    TextLayout t = LayoutDrawText(c.text, c.in, c.format | DT_CALCRECT, *font);
    EXPECT_EQ(t.calcRect.left, c.out.left);
    EXPECT_EQ(t.calcRect.top, c.out.top);
    EXPECT_EQ(t.calcRect.right, c.out.right);
    EXPECT_EQ(t.calcRect.bottom, c.out.bottom);
    EXPECT_EQ(t.result, c.result);
  }
}

TEST(DrawTextLayout, AlignmentTable) {
  auto font = TestFont16();
  RECT r{10, 20, 110, 60};  // 100 x 40
  struct Case {
    UINT format;
    int x, y, result;
  } cases[] = {
      {DT_LEFT | DT_SINGLELINE, 10, 20, 16},
      {DT_CENTER | DT_SINGLELINE, 10 + (100 - 16) / 2, 20, 16},
      {DT_RIGHT | DT_SINGLELINE, 110 - 16, 20, 16},
      {DT_VCENTER | DT_SINGLELINE, 10, 20 + 12, 28},
      {DT_BOTTOM | DT_SINGLELINE, 10, 60 - 16, 40},
      {DT_CENTER | DT_VCENTER | DT_SINGLELINE, 52, 32, 28},
      {DT_VCENTER, 10, 20, 16},  // vertical placement needs a single line
      {DT_BOTTOM, 10, 20, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << std::hex << c.format);
    TextLayout t = LayoutDrawText(u"AB", r, c.format, *font);
    ASSERT_EQ(t.lines.size(), 1u);
    EXPECT_EQ(t.lines[0].x, c.x);
    EXPECT_EQ(t.lines[0].y, c.y);
    EXPECT_EQ(t.result, c.result);
  }
  // Wider than the rectangle: centring goes left of it, symmetrically.
  TextLayout wide = LayoutDrawText(u"ABCDEFGHIJKLMN", RECT{0, 0, 40, 16}, DT_CENTER | DT_SINGLELINE, *font);
  EXPECT_EQ(wide.lines[0].x, (40 - 112) / 2);
}

TEST(DrawTextLayout, WordBreakTable) {
  auto font = TestFont16();
  struct Case {
    const char16_t* text;
    int width;
    std::vector<std::u16string> lines;
  } cases[] = {
      {u"aaa bbb ccc", 60, {u"aaa bbb ", u"ccc"}},  // the blank at the break stays, unseen
      {u"aaa bbb ccc", 200, {u"aaa bbb ccc"}},
      {u"aaa   bbb", 40, {u"aaa   ", u"bbb"}},  // blanks hang at the end and are not drawn wider
      {u"あいうえお", 40, {u"あい", u"うえ", u"お"}},
      {u"あい。うえ", 32, {u"あ", u"い。", u"うえ"}},  // "。" never starts a line
      {u"「あい」", 64, {u"「あい」"}},
      {u"「あい」", 48, {u"「あ", u"い」"}},  // "」" never starts a line
      {u"あ「いう", 32, {u"あ", u"「い", u"う"}},  // "「" never ends one
      {u"abcあいう", 64, {u"abcあい", u"う"}},
      {u"one\ntwo three", 50, {u"one", u"two ", u"three"}},
      {u"abcdefghij klm", 20, {u"abcdefghij ", u"klm"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    TextLayout t = LayoutDrawText(c.text, RECT{0, 0, c.width, 100}, DT_WORDBREAK, *font);
    EXPECT_EQ(Lines(t), c.lines);
    for (size_t i = 0; i < t.lines.size(); ++i) EXPECT_EQ(t.lines[i].y, 16 * static_cast<int>(i));
  }
  TextLayout t = LayoutDrawText(u"aaa   bbb", RECT{0, 0, 40, 100}, DT_WORDBREAK | DT_RIGHT, *font);
  EXPECT_EQ(t.lines[0].width, 24);  // trailing blanks do not count for alignment
  EXPECT_EQ(t.lines[0].x, 40 - 24);
}

TEST(DrawTextLayout, PrefixTable) {
  auto font = TestFont16();
  struct Case {
    const char16_t* text;
    UINT format;
    std::u16string shown;
    std::vector<uint8_t> underline;
  } cases[] = {
      {u"&File", 0, u"File", {1, 0, 0, 0}},
      {u"Save &As", 0, u"Save As", {0, 0, 0, 0, 0, 1, 0}},
      {u"A&&B", 0, u"A&B", {0, 0, 0}},
      {u"AB&", 0, u"AB", {0, 0}},
      {u"&&&x", 0, u"&x", {0, 1}},
      {u"ファイル(&F)", 0, u"ファイル(F)", {0, 0, 0, 0, 0, 1, 0}},
      {u"&File", DT_NOPREFIX, u"&File", {0, 0, 0, 0, 0}},
      {u"&File", DT_HIDEPREFIX, u"File", {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    TextLayout t = LayoutDrawText(c.text, RECT{0, 0, 200, 20}, c.format | DT_SINGLELINE, *font);
    ASSERT_EQ(t.lines.size(), 1u);
    EXPECT_EQ(LineText(t.lines[0]), c.shown);
    EXPECT_EQ(t.lines[0].underline, c.underline);
  }
}

TEST(DrawTextLayout, Tabs) {
  auto font = TestFont16();
  RECT r{0, 0, 500, 20};
  TextLayout plain = LayoutDrawText(u"a\tb", r, DT_SINGLELINE, *font);
  EXPECT_EQ(plain.lines[0].width, 24);
  TextLayout expanded = LayoutDrawText(u"a\tb", r, DT_SINGLELINE | DT_EXPANDTABS, *font);
  EXPECT_EQ(expanded.lines[0].penX, (std::vector<int>{0, 8, 64}));
  EXPECT_EQ(expanded.lines[0].width, 72);
  // DT_TABSTOP: bits 8 to 15 count characters per tab and are no flags (4 << 8 is not DT_CALCRECT).
  UINT format = DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (4 << 8);
  EXPECT_EQ(EffectiveDrawTextFormat(format) & DT_CALCRECT, 0u);
  TextLayout stops = LayoutDrawText(u"a\tb\tc", r, format, *font);
  EXPECT_EQ(stops.lines[0].penX, (std::vector<int>{0, 8, 32, 40, 64}));
}
