// Font realisation: the test font's exact metrics, the mapping of the system's face names onto the
// installed Japanese gothic, bold, and the glyph cache.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <thread>

#include "gdi/fonts_realise.h"
#include "windows.h"
#include "wintext.h"

using namespace winplat::gdi;

namespace {

FontRequest Req(std::u16string face, int height, int weight = 0) {
  FontRequest r;
  r.faceName = std::move(face);
  r.height = height;
  r.weight = weight;
  return r;
}

long CoverageSum(RealFont& f, char32_t c) {
  GlyphPtr g;
  f.Glyphs(&c, 1, &g);
  return std::accumulate(g->coverage.begin(), g->coverage.end(), 0L);
}

}  // namespace

TEST(TestFont, MetricsAreExactForEveryHeightForm) {
  struct Case { int height; int px; } cases[] = {{-16, 16}, {16, 16}, {0, 16}, {-12, 12}, {-1, 1},
                                                 {-25, 25}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    auto f = RealiseFont(Req(kTestFontFace, c.height));
    const FontMetrics& m = f->Metrics();
    EXPECT_EQ(m.height, c.px);
    EXPECT_EQ(m.descent, c.px / 4);
    EXPECT_EQ(m.ascent, c.px - c.px / 4);
    EXPECT_EQ(m.internalLeading, 0);
    EXPECT_EQ(m.externalLeading, 0);
    EXPECT_EQ(m.aveCharWidth, (c.px + 1) / 2);
    EXPECT_EQ(m.maxCharWidth, c.px);
    EXPECT_EQ(f->FaceName(), kTestFontFace);
    EXPECT_EQ(f->Advance(U'A'), (c.px + 1) / 2);
    EXPECT_EQ(f->Advance(U'あ'), c.px);
    EXPECT_EQ(f->Advance(U'ｱ'), (c.px + 1) / 2);  // half-width katakana
    EXPECT_EQ(f->Advance(U'Ａ'), c.px);  // full-width Latin
    EXPECT_EQ(f->Advance(0x20B9F), c.px);  // outside the BMP, wide
  }
}

TEST(TestFont, GlyphsAreBoxesAndBlanksAreEmpty) {
  auto f = RealiseFont(Req(kTestFontFace, -16));
  char32_t codes[] = {U'A', U'漢', U' ', 0x3000};
  GlyphPtr g[4];
  f->Glyphs(codes, 4, g);
  EXPECT_EQ(g[0]->width, 7);
  EXPECT_EQ(g[0]->height, 11);
  EXPECT_EQ(g[0]->top, 11);
  EXPECT_EQ(g[1]->width, 15);
  EXPECT_EQ(g[2]->width, 0);
  EXPECT_EQ(g[3]->width, 0);
  EXPECT_EQ(g[3]->advance, 16);
  for (uint8_t v : g[1]->coverage) EXPECT_EQ(v, 255);
  auto bold = RealiseFont(Req(kTestFontFace, -16, 700));
  EXPECT_EQ(bold->Advance(U'A'), 8);
  EXPECT_GT(CoverageSum(*bold, U'A'), CoverageSum(*f, U'A'));
  EXPECT_EQ(bold->Metrics().weight, 700);
}

TEST(TestFont, SwitchMakesEveryFaceTheTestFont) {
  bool before = UseTestFontForAll(true);
  auto f = RealiseFont(Req(u"MS UI ゴシック", -12, 700));
  EXPECT_EQ(f->FaceName(), kTestFontFace);
  EXPECT_EQ(f->Metrics().height, 12);
  EXPECT_EQ(f->Advance(U'x'), 6);
  EXPECT_EQ(f->Metrics().weight, 700);
  UseTestFontForAll(before);
  auto g = RealiseFont(Req(u"MS UI ゴシック", -12, 700));
  EXPECT_NE(g->FaceName(), kTestFontFace);
}

// Pictures painted once and kept take the installed faces while the switch is on; only on the
// thread that asks, and only while it asks: a font selected meanwhile is the test font again after.
TEST(TestFont, AnInstalledFontsScopeSetsTheSwitchAsideOnItsThreadAlone) {
  bool before = UseTestFontForAll(true);
  LOGFONTW lf{};
  lf.lfHeight = -20;
  lf.lfWeight = FW_BOLD;
  std::u16string(u"MS UI Gothic").copy(lf.lfFaceName, 12);
  HFONT font = CreateFontIndirectW(&lf);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  auto face = [&] {
    WCHAR name[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, name);
    return std::u16string(name);
  };
  auto faceOnAnotherThread = [] {
    std::u16string other;
    std::thread([&] { other = RealiseFont(Req(u"MS UI Gothic", -20, 700))->FaceName(); }).join();
    return other;
  };
  EXPECT_EQ(face(), kTestFontFace);
  {
    InstalledFontsOnly installed;
    EXPECT_NE(face(), kTestFontFace);
    EXPECT_NE(RealiseFont(Req(u"MS UI Gothic", -20, 700))->FaceName(), kTestFontFace);
    EXPECT_EQ(faceOnAnotherThread(), kTestFontFace);
    {
      InstalledFontsOnly nested;
    }
    EXPECT_NE(face(), kTestFontFace);  // still inside the outer scope
    // The test font asked for by name stays the test font.
    EXPECT_EQ(RealiseFont(Req(kTestFontFace, -20))->FaceName(), kTestFontFace);
  }
  EXPECT_EQ(face(), kTestFontFace);
  EXPECT_EQ(RealiseFont(Req(u"MS UI Gothic", -20, 700))->FaceName(), kTestFontFace);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  UseTestFontForAll(before);
}

TEST(InstalledFont, JapaneseFaceNamesMapToAJapaneseGothic) {
  const char16_t* names[] = {u"MS UI ゴシック", u"ＭＳ Ｐゴシック", u"ＭＳ ゴシック", u"MS Shell Dlg",
                             u"System", u"Tahoma", u"Arial", u"", u"No Such Face 123"};
  for (const char16_t* name : names) {
    SCOPED_TRACE(testing::PrintToString(std::u16string(name).size()));
    auto f = RealiseFont(Req(name, -16));
    ASSERT_NE(f->FaceName(), kTestFontFace) << "no installed font found";
    const FontMetrics& m = f->Metrics();
    EXPECT_EQ(m.charSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_EQ(m.internalLeading, m.height - 16);
    EXPECT_GT(m.ascent, m.descent);
    // Kana and kanji have real outlines inside the cell.
    for (char32_t c : {U'あ', U'黒', U'板'}) {
      GlyphPtr g;
      f->Glyphs(&c, 1, &g);
      EXPECT_GT(g->width, 6);
      EXPECT_GT(g->height, 6);
      EXPECT_LE(g->top, m.ascent);
      EXPECT_GE(g->top - g->height, -m.descent);
      EXPECT_GT(CoverageSum(*f, c), 255 * 10);
      EXPECT_GE(f->Advance(c), 14);
    }
  }
  // Known names report as asked; an unknown one reports the face that stands in.
  EXPECT_EQ(RealiseFont(Req(u"ＭＳ Ｐゴシック", -16))->FaceName(), u"ＭＳ Ｐゴシック");
  EXPECT_NE(RealiseFont(Req(u"No Such Face 123", -16))->FaceName(), u"No Such Face 123");
}

TEST(InstalledFont, ProportionalAndFixedGothic) {
  auto p = RealiseFont(Req(u"ＭＳ Ｐゴシック", -16));
  auto fixed = RealiseFont(Req(u"ＭＳ ゴシック", -16));
  EXPECT_LT(p->Advance(U'i'), p->Advance(U'M'));
  EXPECT_EQ(fixed->Advance(U'i'), fixed->Advance(U'M'));
  EXPECT_EQ(fixed->Advance(U'i') * 2, fixed->Advance(U'あ'));
  EXPECT_EQ(fixed->Metrics().pitchAndFamily & TMPF_FIXED_PITCH, 0);
  EXPECT_NE(p->Metrics().pitchAndFamily & TMPF_FIXED_PITCH, 0);
}

TEST(InstalledFont, PositiveHeightIsTheCellHeight) {
  for (int h : {12, 16, 20, 33, 100}) {
    SCOPED_TRACE(h);
    auto f = RealiseFont(Req(u"MS UI ゴシック", h));
    EXPECT_NEAR(f->Metrics().height, h, 1);
    EXPECT_GT(f->Metrics().internalLeading, 0);
  }
  auto def = RealiseFont(Req(u"MS UI ゴシック", 0));
  EXPECT_NEAR(def->Metrics().height, kDefaultCellHeight, 1);
}

TEST(InstalledFont, HugeHeightsAreBounded) {
  auto f = RealiseFont(Req(u"MS UI ゴシック", -1000000));
  EXPECT_LE(f->Metrics().height, kMaxPixelSize * 2);
  for (int h : {INT32_MIN, INT32_MIN + 1, INT32_MAX}) {
    auto g = RealiseFont(Req(u"MS UI ゴシック", h));
    EXPECT_LE(g->Metrics().height, kMaxPixelSize * 2);
    EXPECT_GT(g->Metrics().height, kMaxPixelSize / 2);
    auto t = RealiseFont(Req(kTestFontFace, h));
    EXPECT_EQ(t->Metrics().height, kMaxPixelSize);
  }
}

TEST(InstalledFont, BoldIsWiderAndDarker) {
  auto regular = RealiseFont(Req(u"MS UI ゴシック", -24));
  auto bold = RealiseFont(Req(u"MS UI ゴシック", -24, 700));
  EXPECT_GT(bold->Advance(U'黒'), regular->Advance(U'黒'));
  EXPECT_GT(bold->Metrics().aveCharWidth, regular->Metrics().aveCharWidth);
  EXPECT_GT(CoverageSum(*bold, U'黒'), CoverageSum(*regular, U'黒') * 11 / 10);
  EXPECT_EQ(bold->Metrics().weight, 700);
  auto semi = RealiseFont(Req(u"MS UI ゴシック", -24, 500));
  EXPECT_EQ(semi->Advance(U'黒'), regular->Advance(U'黒'));
}

TEST(InstalledFont, MissingCharacterStillShowsSomething) {
  auto f = RealiseFont(Req(u"MS UI ゴシック", -16));
  char32_t c = 0x10FFFD;  // private use, in no font
  GlyphPtr g;
  f->Glyphs(&c, 1, &g);
  EXPECT_GT(f->Advance(c), 0);
  EXPECT_GT(std::accumulate(g->coverage.begin(), g->coverage.end(), 0L), 0);
}

// A glyph that is only a hollow frame: the box of a character no font could draw.
static bool IsHollowFrame(const Glyph& g) {
  if (g.width < 3 || g.height < 3) return false;
  for (int y = 1; y + 1 < g.height; ++y)
    for (int x = 1; x + 1 < g.width; ++x)
      if (g.coverage[static_cast<size_t>(y) * g.width + x] != 0) return false;
  return true;
}

TEST(InstalledFont, ACharacterTheFaceLacksIsDrawnFromAnInstalledFaceThatHasIt) {
  // The Japanese gothic has no Hangul and no 𠮷 (CJK extension B); the installed Korean and
  // extension-B faces (the project's install step brings them) draw them at the same size.
  for (int weight : {0, 700}) {
    auto f = RealiseFont(Req(u"MS UI ゴシック", -16, weight));
    ASSERT_NE(f->FaceName(), kTestFontFace);
    for (char32_t c : {U'한', U'국', char32_t{0x20BB7}}) {
      SCOPED_TRACE(static_cast<unsigned>(c));
      GlyphPtr g;
      f->Glyphs(&c, 1, &g);
      EXPECT_FALSE(IsHollowFrame(*g));
      EXPECT_GT(g->width, 6);
      EXPECT_GT(g->height, 6);
      EXPECT_LE(g->height, f->Metrics().height + 2);  // the fallback face has the same pixel size
      EXPECT_GT(std::accumulate(g->coverage.begin(), g->coverage.end(), 0L), 255 * 10);
      EXPECT_GE(f->Advance(c), 12);
      EXPECT_LE(f->Advance(c), 24);
    }
    // The face's own characters still come from it.
    EXPECT_EQ(f->Advance(U'i') < f->Advance(U'M'), true);
  }
  auto regular = RealiseFont(Req(u"MS UI ゴシック", -24));
  auto bold = RealiseFont(Req(u"MS UI ゴシック", -24, 700));
  const char32_t hangul = 0xD55C;  // 한
  EXPECT_GT(CoverageSum(*bold, hangul), CoverageSum(*regular, hangul));
}

TEST(GlyphCache, HitsAfterFirstUseAndEvictsWithinItsBound) {
  auto f = RealiseFont(Req(u"MS UI ゴシック", -19));
  char32_t c = U'黒';
  GlyphPtr g1, g2;
  f->Glyphs(&c, 1, &g1);
  FontCacheStats before = GetFontCacheStats();
  f->Glyphs(&c, 1, &g2);
  FontCacheStats after = GetFontCacheStats();
  EXPECT_EQ(g1.get(), g2.get());
  EXPECT_EQ(after.glyphHits, before.glyphHits + 1);
  EXPECT_EQ(after.glyphMisses, before.glyphMisses);

  SetGlyphCacheLimit(64 * 1024);
  auto big = RealiseFont(Req(u"MS UI ゴシック", -200));
  for (char32_t k = U'あ'; k < U'あ' + 20; ++k) {
    GlyphPtr g;
    big->Glyphs(&k, 1, &g);
    EXPECT_GT(g->width, 50);  // a glyph stays valid while held, even when evicted
  }
  EXPECT_LE(GetFontCacheStats().glyphBytes, 64u * 1024 + 200 * 220);
  SetGlyphCacheLimit(0);
  // g1 was evicted meanwhile but still holds its bitmap.
  EXPECT_GT(g1->width, 0);
}

TEST(Utf16, SurrogatePairsDecodeAndLoneOnesStay) {
  std::vector<char32_t> codes;
  std::vector<uint32_t> index;
  DecodeUtf16(u"a\U00020B9Fb\xD800z\xDC00", &codes, &index);
  EXPECT_EQ(codes, (std::vector<char32_t>{U'a', 0x20B9F, U'b', 0xD800, U'z', 0xDC00}));
  EXPECT_EQ(index, (std::vector<uint32_t>{0, 1, 3, 4, 5, 6}));
}
