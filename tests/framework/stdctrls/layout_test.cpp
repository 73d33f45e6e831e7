// The pure placements: a bit button's glyph and caption, and a radio group's buttons.
#include <gtest/gtest.h>

#include "Buttons.h"
#include "ExtCtrls.h"
#include "wintext.h"

namespace {

bool Same(const TRect& a, const TRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A memory DC with the fixed-metric test font, 10 pixels: "OK" is 10 x 10.
struct TestDC {
  HDC dc = CreateCompatibleDC(nullptr);
  bool was = winplat::gdi::UseTestFontForAll(true);
  HFONT font = CreateFontW(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"VSE Test Fixed");
  HGDIOBJ old = SelectObject(dc, font);
  ~TestDC() {
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    winplat::gdi::UseTestFontForAll(was);
  }
};

TEST(BitButtonLayout, PlacesGlyphAndCaptionByLayoutMarginAndSpacing) {
  TestDC t;
  const TPoint glyph{16, 16}, none{0, 0};
  struct Case {
    const char* what;
    TRect client;
    TPoint offset;
    const char* caption;
    TPoint glyphSize;
    TButtonLayout layout;
    int margin, spacing;
    UINT flags;
    TPoint wantGlyph;
    TRect wantText;
  } cases[] = {
      // No glyph: the spacing goes and the caption is centred, margin (75 - 10 + 1) div 2.
      {"caption only", {0, 0, 75, 25}, {0, 0}, "OK", none, blGlyphLeft, -1, 4, 0, {33, 13}, {33, 8, 43, 18}},
      {"glyph only", {0, 0, 75, 25}, {0, 0}, "", glyph, blGlyphLeft, -1, 4, 0, {30, 5}, {46, 13, 46, 13}},
      // Both automatic: three equal gaps, edge to glyph, glyph to caption, caption to edge.
      {"both automatic", {0, 0, 75, 25}, {0, 0}, "OK", glyph, blGlyphLeft, -1, -1, 0, {16, 5}, {48, 8, 58, 18}},
      {"margin given", {0, 0, 75, 25}, {0, 0}, "OK", glyph, blGlyphLeft, 4, -1, 0, {4, 5}, {42, 8, 52, 18}},
      {"spacing given", {0, 0, 75, 25}, {0, 0}, "OK", glyph, blGlyphLeft, -1, 4, 0, {23, 5}, {43, 8, 53, 18}},
      {"glyph right", {0, 0, 75, 25}, {0, 0}, "OK", glyph, blGlyphRight, -1, 4, 0, {36, 5}, {22, 8, 32, 18}},
      // Right-aligned text puts a left glyph on the right of the caption.
      {"right alignment swaps", {0, 0, 75, 25}, {0, 0}, "OK", glyph, blGlyphLeft, -1, 4, DT_RIGHT, {36, 5}, {22, 8, 32, 18}},
      {"glyph on top", {0, 0, 75, 60}, {0, 0}, "OK", glyph, blGlyphTop, -1, 4, 0, {30, 15}, {33, 35, 43, 45}},
      {"glyph below", {0, 0, 75, 60}, {0, 0}, "OK", glyph, blGlyphBottom, -1, 4, 0, {30, 29}, {33, 15, 43, 25}},
      // Too small: negative room divides toward zero.
      {"too small", {0, 0, 20, 10}, {0, 0}, "OK", glyph, blGlyphLeft, -1, -1, 0, {-2, -2}, {12, 0, 22, 10}},
      // The client's corner and the offset move both.
      {"moved", {10, 5, 85, 30}, {1, 1}, "OK", none, blGlyphLeft, -1, 4, 0, {44, 19}, {44, 14, 54, 24}},
  };
  for (const Case& c : cases) {
    TPoint p{-99, -99};
    TRect r{-99, -99, -99, -99};
    CalcButtonLayout(t.dc, c.client, c.offset, c.caption, c.layout, c.margin, c.spacing, c.glyphSize, c.flags, p, r);
    EXPECT_EQ(p.x, c.wantGlyph.x) << c.what;
    EXPECT_EQ(p.y, c.wantGlyph.y) << c.what;
    EXPECT_TRUE(Same(r, c.wantText)) << c.what << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

TEST(RadioGroupArrangement, FillsColumnsTopToBottomBelowTheCaption) {
  struct Case {
    const char* what;
    int count, columns, width, height, textHeight;
    std::vector<TRect> want;
  } cases[] = {
      {"one column", 3, 1, 185, 105, 10, {{8, 11, 183, 41}, {8, 41, 183, 71}, {8, 71, 183, 101}}},
      // The rows' leftover height is split above and below them: (92 mod 3) div 2 = 1.
      {"leftover", 3, 1, 185, 107, 10, {{8, 12, 183, 42}, {8, 42, 183, 72}, {8, 72, 183, 102}}},
      // Five in two columns: three rows, the second column from the fourth item.
      {"two columns", 5, 2, 185, 105, 10,
       {{8, 11, 95, 41}, {8, 41, 95, 71}, {8, 71, 95, 101}, {95, 11, 182, 41}, {95, 41, 182, 71}}},
      {"no buttons", 0, 1, 185, 105, 10, {}},
  };
  for (const Case& c : cases) {
    std::vector<TRect> got = ArrangeRadioButtons(c.count, c.columns, c.width, c.height, c.textHeight);
    ASSERT_EQ(got.size(), c.want.size()) << c.what;
    for (size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(Same(got[i], c.want[i])) << c.what << " button " << i;
  }
}

}  // namespace
