// Glyph runs drawn onto memory: Japanese text really makes pixels of the text colour, inside the
// measured extent and the clip; bold makes more ink. Writes rendered_text.png to look at.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "gdi/text_layout.h"
#include "gdi/text_render.h"
#include "text_test_support.h"
#include "wintext.h"

using namespace winplat::gdi;
using texttest::MemoryTarget;

namespace {

std::shared_ptr<RealFont> Font(const char16_t* face, int height, int weight = 0) {
  FontRequest r;
  r.faceName = face;
  r.height = height;
  r.weight = weight;
  return RealiseFont(r);
}

// Draws text with its cell's top-left at (x, y); answers its measured width.
int Draw(MemoryTarget& t, RealFont& f, int x, int y, std::u16string_view text, COLORREF colour,
         const RECT* clip = nullptr) {
  std::vector<char32_t> codes;
  DecodeUtf16(text, &codes);
  std::vector<int> pen;
  int width = MeasureRun(f, codes, &pen, nullptr);
  DrawGlyphRun(t, f, x, y + f.Metrics().ascent, codes, pen, colour, clip);
  DrawDecorations(t, f.Metrics(), x, x + width, y + f.Metrics().ascent, colour, clip);
  return width;
}

}  // namespace

TEST(GlyphRun, JapaneseInkStaysInsideTheMeasuredCell) {
  const std::u16string text = u"左クリックで描画　右クリックで中止";
  for (int height : {-12, -16, -21, -32}) {
    SCOPED_TRACE(height);
    auto f = Font(u"MS UI ゴシック", height);
    MemoryTarget t(800, 100);
    int w = Draw(t, *f, 10, 20, text, RGB(0, 0, 255));
    RECT ink = t.InkBox(0xFFFFFF);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 10 + w + 1);
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.bottom, 20 + f->Metrics().height);
    EXPECT_GT(ink.right - ink.left, w * 9 / 10);
    // Text colour where coverage is high, blends of it elsewhere: never another hue.
    int full = 0;
    for (uint32_t p : t.pixels) {
      if ((p >> 16) <= 0x40) ++full;  // mostly text colour
      if (p != 0xFFFFFF) {
        EXPECT_EQ(p & 0xFF, 0xFFu);
      }
    }
    EXPECT_GT(full, static_cast<int>(text.size()) * 4);
  }
}

TEST(GlyphRun, ClipRectangleIsNeverCrossed) {
  auto f = Font(u"ＭＳ Ｐゴシック", -24);
  MemoryTarget t(400, 60);
  RECT clip{30, 10, 90, 30};
  Draw(t, *f, 10, 5, u"黒板に書く文字", RGB(0, 0, 0), &clip);
  RECT ink = t.InkBox(0xFFFFFF);
  EXPECT_GT(t.CountNot(0xFFFFFF), 50);
  EXPECT_GE(ink.left, clip.left);
  EXPECT_GE(ink.top, clip.top);
  EXPECT_LE(ink.right, clip.right);
  EXPECT_LE(ink.bottom, clip.bottom);
}

TEST(GlyphRun, BoldMakesMoreInkAndUnderlineSitsInTheDescent) {
  auto regular = Font(u"MS UI ゴシック", -16);
  auto bold = Font(u"MS UI ゴシック", -16, 700);
  MemoryTarget a(300, 40), b(300, 40);
  Draw(a, *regular, 0, 0, u"黒板 Qz", RGB(0, 0, 0));
  Draw(b, *bold, 0, 0, u"黒板 Qz", RGB(0, 0, 0));
  long inkA = 0, inkB = 0;
  for (uint32_t p : a.pixels) inkA += 255 - (p & 0xFF);
  for (uint32_t p : b.pixels) inkB += 255 - (p & 0xFF);
  EXPECT_GT(inkB, inkA * 12 / 10);

  FontRequest r;
  r.faceName = u"MS UI ゴシック";
  r.height = -16;
  r.underline = true;
  auto ul = RealiseFont(r);
  MemoryTarget u(300, 40);
  int w = Draw(u, *ul, 0, 0, u"  ", RGB(255, 0, 0));  // blanks: only the underline shows
  const FontMetrics& m = ul->Metrics();
  int row = m.ascent + m.underlineOffset;
  EXPECT_GT(row, m.ascent - 1);
  EXPECT_LT(row, m.height);
  for (int x = 0; x < w; ++x) EXPECT_EQ(u.At(x, row), 0xFF0000u);
  EXPECT_EQ(u.CountNot(0xFFFFFF), w * m.underlineThickness);
}

TEST(GlyphRun, WritesAPictureOfJapaneseText) {
  MemoryTarget t(640, 200, 0x203020);
  struct Line { const char16_t* face; int height; int weight; const char16_t* text; } lines[] = {
      {u"MS UI ゴシック", -16, 0, u"左クリックで描画　右クリックで中止  1/12"},
      {u"ＭＳ Ｐゴシック", -21, 700, u"Vel 黒板 Qz — 太字の見出し"},
      {u"ＭＳ ゴシック", -16, 0, u"固定幅: ABCabc123 あいうえお"},
      {u"MS UI ゴシック", -48, 0, u"チョーク 3"},
      {u"VSE Test Fixed", -16, 0, u"Test ﾃｽﾄ テスト"},
  };
  int y = 4;
  for (const auto& l : lines) {
    auto f = Font(l.face, l.height, l.weight);
    Draw(t, *f, 6, y, l.text, RGB(250, 250, 240));
    y += f->Metrics().height + 4;
  }
  ASSERT_TRUE(texttest::WritePng("rendered_text.png", t.width, t.height, t.pixels.data(), t.width));
}

TEST(GlyphRun, ItalicSlantsAndStrikeOutCrossesAboveTheBaseline) {
  FontRequest r;
  r.faceName = u"MS UI ゴシック";
  r.height = -64;
  auto upright = RealiseFont(r);
  r.italic = true;
  auto italic = RealiseFont(r);
  // Mean ink column of the top and bottom quarters of "I": equal upright, shifted right italic.
  auto lean = [](RealFont& f) {
    MemoryTarget t(100, 80);
    Draw(t, f, 20, 0, u"I", RGB(0, 0, 0));
    RECT box = t.InkBox(0xFFFFFF);
    auto meanX = [&](int y0, int y1) {
      double sum = 0, n = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = 0; x < t.width; ++x)
          if (t.At(x, y) != 0xFFFFFF) sum += x, n += 1;
      return n ? sum / n : 0.0;
    };
    int h = box.bottom - box.top;
    return meanX(box.top, box.top + h / 4) - meanX(box.bottom - h / 4, box.bottom);
  };
  EXPECT_NEAR(lean(*upright), 0.0, 1.0);
  EXPECT_GT(lean(*italic), 5.0);
  EXPECT_EQ(italic->Advance(U'I'), upright->Advance(U'I'));

  r.italic = false;
  r.strikeOut = true;
  auto struck = RealiseFont(r);
  MemoryTarget t(200, 80);
  int w = Draw(t, *struck, 0, 0, u"  ", RGB(0, 0, 0));
  const FontMetrics& m = struck->Metrics();
  int row = m.ascent - m.strikeOutOffset;
  EXPECT_GT(row, 0);
  EXPECT_LT(row, m.ascent);
  EXPECT_EQ(t.At(0, row), 0u);
  EXPECT_EQ(t.At(w - 1, row), 0u);
  EXPECT_EQ(t.CountNot(0xFFFFFF), w * m.strikeOutThickness);
}

TEST(GlyphRun, MeasuringOnAnotherThreadWhileDrawing) {
  // The hint thread measures while the GUI thread draws; the caches must hold.
  std::atomic<bool> stop{false};
  std::thread other([&] {
    for (int i = 0; i < 300 && !stop; ++i) {
      auto f = Font(u"MS UI ゴシック", -10 - i % 7);
      std::vector<char32_t> codes = {U'ヒ', U'ン', U'ト', static_cast<char32_t>(U'亜' + i)};
      MeasureRun(*f, codes, nullptr, nullptr);
      GlyphPtr g;
      f->Glyphs(&codes[3], 1, &g);
    }
  });
  MemoryTarget t(300, 40);
  for (int i = 0; i < 300; ++i) {
    auto f = Font(u"ＭＳ Ｐゴシック", -10 - i % 5);
    Draw(t, *f, 0, 0, u"描画中の文字列", RGB(0, 0, 0));
  }
  stop = true;
  other.join();
  EXPECT_GT(t.CountNot(0xFFFFFF), 0);
}
