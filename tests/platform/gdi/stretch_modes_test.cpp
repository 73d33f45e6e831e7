// Stretching: what each stretch mode does with the pixels a shrink puts together, and how
// StretchDIBits reads its source rectangle.
#include <vector>
#include "gdi_test_util.h"

namespace {

// Four colours whose ANDs and ORs are all different from each other and from the colours.
const COLORREF kS[4] = {RGB(0xF0, 0x0F, 0xFF), RGB(0x3C, 0xFF, 0x0F), RGB(0xAA, 0x55, 0xFF), RGB(0x0F, 0xF0, 0x33)};

COLORREF And(COLORREF a, COLORREF b) { return a & b; }
COLORREF Or(COLORREF a, COLORREF b) { return a | b; }
COLORREF Avg(COLORREF a, COLORREF b) {
  return RGB((GetRValue(a) + GetRValue(b) + 1) / 2, (GetGValue(a) + GetGValue(b) + 1) / 2,
             (GetBValue(a) + GetBValue(b) + 1) / 2);
}

TEST(GdiStretchModes, ShrinkingCombinesAsTheModeSays) {
  struct Case {
    const char* name;
    int mode;  // 0: the DC's default
    int dx, dw;
    int sx, sw;
    std::vector<COLORREF> want;  // destination columns 0..3
  };
  const COLORREF U = RGB(1, 2, 3);  // untouched
  const Case cases[] = {
      {"default is BLACKONWHITE", 0, 0, 2, 0, 4, {And(kS[0], kS[1]), And(kS[2], kS[3]), U, U}},
      {"BLACKONWHITE ANDs", BLACKONWHITE, 0, 2, 0, 4, {And(kS[0], kS[1]), And(kS[2], kS[3]), U, U}},
      {"WHITEONBLACK ORs", WHITEONBLACK, 0, 2, 0, 4, {Or(kS[0], kS[1]), Or(kS[2], kS[3]), U, U}},
      {"COLORONCOLOR keeps one of each pair", COLORONCOLOR, 0, 2, 0, 4, {kS[1], kS[3], U, U}},
      {"HALFTONE averages", HALFTONE, 0, 2, 0, 4, {Avg(kS[0], kS[1]), Avg(kS[2], kS[3]), U, U}},
      {"three onto two: the second takes two", BLACKONWHITE, 0, 2, 0, 3, {kS[0], And(kS[1], kS[2]), U, U}},
      {"four onto one", BLACKONWHITE, 0, 1, 0, 4, {And(And(kS[0], kS[1]), And(kS[2], kS[3])), U, U, U}},
      {"four onto one ORed", WHITEONBLACK, 0, 1, 0, 4, {Or(Or(kS[0], kS[1]), Or(kS[2], kS[3])), U, U, U}},
      {"mirrored destination", BLACKONWHITE, 1, -2, 0, 4, {And(kS[2], kS[3]), And(kS[0], kS[1]), U, U}},
      {"mirrored source", WHITEONBLACK, 0, 2, 3, -4, {Or(kS[2], kS[3]), Or(kS[0], kS[1]), U, U}},
      {"enlarging repeats in every mode", BLACKONWHITE, 0, 4, 1, 2, {kS[1], kS[1], kS[2], kS[2]}},
      {"same size copies", WHITEONBLACK, 0, 4, 0, 4, {kS[0], kS[1], kS[2], kS[3]}},
  };
  for (int bpp : {32, 24}) {
    TestCanvas src(4, 1, bpp);
    for (int x = 0; x < 4; ++x) SetPixel(src.dc, x, 0, kS[x]);
    for (const Case& c : cases) {
      TestCanvas dst(4, 1, bpp, U);
      if (c.mode) SetStretchBltMode(dst.dc, c.mode);
      ASSERT_TRUE(StretchBlt(dst.dc, c.dx, 0, c.dw, 1, src.dc, c.sx, 0, c.sw, 1, SRCCOPY)) << c.name;
      for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.At(x, 0), c.want[x]) << c.name << " " << bpp << " bpp, column " << x;
    }
  }
}

TEST(GdiStretchModes, RowsCombineLikeColumns) {
  // A 2 x 4 source onto 2 x 2 and a 4 x 4 source onto 2 x 2: every group of pixels together.
  TestCanvas src(4, 4, 32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) SetPixel(src.dc, x, y, kS[(x + y) % 4]);
  struct Case {
    int mode;
    int sw;
    COLORREF (*op)(COLORREF, COLORREF);
  };
  for (const Case& c : {Case{BLACKONWHITE, 2, And}, Case{WHITEONBLACK, 2, Or}, Case{BLACKONWHITE, 4, And},
                        Case{WHITEONBLACK, 4, Or}}) {
    TestCanvas dst(2, 2, 32);
    SetStretchBltMode(dst.dc, c.mode);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, c.sw, 4, SRCCOPY));
    const int gw = c.sw / 2;
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) {
        COLORREF want = src.At(x * gw, y * 2);
        for (int yy = y * 2; yy < y * 2 + 2; ++yy)
          for (int xx = x * gw; xx < x * gw + gw; ++xx) want = c.op(want, src.At(xx, yy));
        EXPECT_EQ(dst.At(x, y), want) << c.mode << " " << c.sw << " at " << x << "," << y;
      }
  }
}

TEST(GdiStretchModes, MonochromeShrinksKeepTheirColour) {
  // White is 1 in a monochrome bitmap: ANDing keeps black lines, ORing keeps white ones.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  const COLORREF W = RGB(255, 255, 255), K = RGB(0, 0, 0);
  const COLORREF row[4] = {W, K, W, W};
  for (int x = 0; x < 4; ++x) SetPixel(dc, x, 0, row[x]);
  struct Case {
    int mode;
    COLORREF first, second;
  };
  for (const Case& c : {Case{BLACKONWHITE, K, W}, Case{WHITEONBLACK, W, W}}) {
    HDC out = CreateCompatibleDC(nullptr);
    HBITMAP ob = CreateBitmap(2, 1, 1, 1, nullptr);
    HGDIOBJ o = SelectObject(out, ob);
    SetStretchBltMode(out, c.mode);
    ASSERT_TRUE(StretchBlt(out, 0, 0, 2, 1, dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(GetPixel(out, 0, 0), c.first) << c.mode;
    EXPECT_EQ(GetPixel(out, 1, 0), c.second) << c.mode;
    SelectObject(out, o);
    DeleteObject(ob);
    DeleteDC(out);
  }
  SelectObject(dc, old);
  DeleteObject(mono);
  DeleteDC(dc);
}

// A 1 x 4 32-bit DIB whose rows, from the top of the picture, are red, green, blue, white.
struct Column {
  BITMAPINFO bi{};
  uint32_t bits[4];
  explicit Column(bool topDown) {
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 1;
    bi.bmiHeader.biHeight = topDown ? -4 : 4;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    const uint32_t fromTop[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (int i = 0; i < 4; ++i) bits[i] = fromTop[topDown ? i : 3 - i];
  }
};
const COLORREF kFromTop[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};

TEST(GdiStretchModes, StretchDIBitsCountsSourceRowsFromTheBottom) {
  struct Case {
    int ySrc, srcHeight;
    std::vector<int> rowsFromTop;  // picture rows drawn at destination rows 0, 1, ...
  };
  const Case cases[] = {
      {0, 4, {0, 1, 2, 3}}, {0, 2, {2, 3}}, {2, 2, {0, 1}}, {1, 1, {2}}, {3, 1, {0}}, {1, 3, {0, 1, 2}},
  };
  const COLORREF U = RGB(1, 2, 3);
  for (bool topDown : {false, true}) {
    Column col(topDown);
    for (const Case& c : cases) {
      TestCanvas cv(1, 4, 32, U);
      SetStretchBltMode(cv.dc, COLORONCOLOR);
      EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 1, c.srcHeight, 0, c.ySrc, 1, c.srcHeight, col.bits, &col.bi,
                              DIB_RGB_COLORS, SRCCOPY),
                4);
      for (int y = 0; y < 4; ++y) {
        const COLORREF want = y < static_cast<int>(c.rowsFromTop.size()) ? kFromTop[c.rowsFromTop[y]] : U;
        EXPECT_EQ(cv.At(0, y), want) << (topDown ? "top-down" : "bottom-up") << " ySrc " << c.ySrc << " height "
                                     << c.srcHeight << " row " << y;
      }
    }
  }
}

TEST(GdiStretchModes, StretchDIBitsRefusesNegativeSourceExtentsAndShrinksByMode) {
  const COLORREF U = RGB(1, 2, 3);
  for (bool topDown : {false, true}) {
    Column col(topDown);
    struct Case {
      int xSrc, ySrc, w, h;
    };
    for (const Case& c : {Case{0, 3, 1, -4}, Case{0, 0, -1, 4}, Case{0, 3, -1, -4}}) {
      TestCanvas cv(1, 4, 32, U);
      EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 1, 4, c.xSrc, c.ySrc, c.w, c.h, col.bits, &col.bi, DIB_RGB_COLORS, SRCCOPY),
                0);
      EXPECT_EQ(cv.CountNot(U), 0);
    }
    // Mirroring is the destination's: the picture upside down.
    TestCanvas cv(1, 4, 32, U);
    SetStretchBltMode(cv.dc, COLORONCOLOR);
    EXPECT_EQ(StretchDIBits(cv.dc, 0, 3, 1, -4, 0, 0, 1, 4, col.bits, &col.bi, DIB_RGB_COLORS, SRCCOPY), 4);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(cv.At(0, y), kFromTop[3 - y]) << y;
    // Four rows onto two in the default mode: each pair ANDed, as StretchBlt does.
    TestCanvas two(1, 2, 32, U);
    EXPECT_EQ(StretchDIBits(two.dc, 0, 0, 1, 2, 0, 0, 1, 4, col.bits, &col.bi, DIB_RGB_COLORS, SRCCOPY), 4);
    EXPECT_EQ(two.At(0, 0), kFromTop[0] & kFromTop[1]);
    EXPECT_EQ(two.At(0, 1), kFromTop[2] & kFromTop[3]);
  }
}

}  // namespace
