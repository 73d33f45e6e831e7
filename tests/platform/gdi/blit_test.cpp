// Blits: raster operations, monochrome rules, stretching and mirroring, DIB calls.
#include "gdi/gdi_internal.h"
#include "gdi_test_util.h"

namespace {

const COLORREF W = RGB(255, 255, 255), K = RGB(0, 0, 0);

TEST(GdiBlit, EveryNamedRasterOperationOnATwoByTwoTable) {
  // Destination D = K K / W W, source S = K W / K W, and a pattern P of either colour.
  struct Rop {
    DWORD code;
    bool (*f)(bool p, bool s, bool d);
  };
  const Rop rops[] = {
      {SRCCOPY, [](bool, bool s, bool) { return s; }},
      {SRCAND, [](bool, bool s, bool d) { return s && d; }},
      {SRCPAINT, [](bool, bool s, bool d) { return s || d; }},
      {SRCINVERT, [](bool, bool s, bool d) { return s != d; }},
      {SRCERASE, [](bool, bool s, bool d) { return s && !d; }},
      {NOTSRCCOPY, [](bool, bool s, bool) { return !s; }},
      {NOTSRCERASE, [](bool, bool s, bool d) { return !(s || d); }},
      {MERGECOPY, [](bool p, bool s, bool) { return p && s; }},
      {MERGEPAINT, [](bool, bool s, bool d) { return !s || d; }},
      {PATCOPY, [](bool p, bool, bool) { return p; }},
      {PATPAINT, [](bool p, bool s, bool d) { return p || !s || d; }},
      {PATINVERT, [](bool p, bool, bool d) { return p != d; }},
      {DSTINVERT, [](bool, bool, bool d) { return !d; }},
      {BLACKNESS, [](bool, bool, bool) { return false; }},
      {WHITENESS, [](bool, bool, bool) { return true; }},
      {0x00B8074Au, [](bool p, bool s, bool d) { return s ? d : p; }},  // a generic one (PSDPxax)
  };
  TestCanvas src(2, 2);
  SetPixel(src.dc, 1, 0, W);
  SetPixel(src.dc, 1, 1, W);
  for (int bpp : {32, 24, 16, 8}) {
    for (const Rop& rop : rops) {
      for (bool pat : {false, true}) {
        TestCanvas dst(2, 2, bpp);
        SetPixel(dst.dc, 0, 1, W);
        SetPixel(dst.dc, 1, 1, W);
        ScopedBrush brush(dst.dc, CreateSolidBrush(pat ? W : K));
        ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, rop.code));
        for (int y = 0; y < 2; ++y)
          for (int x = 0; x < 2; ++x) {
            const bool s = x == 1, d = y == 1;
            EXPECT_EQ(dst.At(x, y), rop.f(pat, s, d) ? W : K)
                << std::hex << rop.code << " bpp " << std::dec << bpp << " pat " << pat << " at " << x << "," << y;
          }
      }
    }
  }
}

TEST(GdiBlit, PatBltUsesTheBrushAndRefusesSourceOperations) {
  TestCanvas cv(4, 4);
  ScopedBrush brush(cv.dc, CreateSolidBrush(RGB(10, 20, 30)));
  EXPECT_TRUE(PatBlt(cv.dc, 1, 1, 2, 2, PATCOPY));
  EXPECT_EQ(cv.At(1, 1), RGB(10, 20, 30));
  EXPECT_EQ(cv.At(3, 3), K);
  EXPECT_TRUE(PatBlt(cv.dc, 0, 0, 4, 4, DSTINVERT));
  EXPECT_EQ(cv.At(1, 1), RGB(245, 235, 225));
  EXPECT_FALSE(PatBlt(cv.dc, 0, 0, 4, 4, SRCCOPY));
}

TEST(GdiBlit, ColourToMonochromeTakesTheSourceBackgroundAsWhite) {
  TestCanvas colour(3, 1);
  SetPixel(colour.dc, 0, 0, RGB(255, 0, 255));
  SetPixel(colour.dc, 1, 0, RGB(255, 255, 255));
  SetPixel(colour.dc, 2, 0, RGB(255, 0, 254));
  SetBkColor(colour.dc, RGB(255, 0, 255));
  HDC monoDC = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateBitmap(3, 1, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(monoDC, mono);
  ASSERT_TRUE(BitBlt(monoDC, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(monoDC, 0, 0), W);  // the background colour: white
  EXPECT_EQ(GetPixel(monoDC, 1, 0), K);  // even white itself is not the background
  EXPECT_EQ(GetPixel(monoDC, 2, 0), K);
  // Monochrome to colour: 0 bits take the text colour, 1 bits the background colour.
  TestCanvas dst(3, 1);
  SetTextColor(dst.dc, RGB(200, 0, 0));
  SetBkColor(dst.dc, RGB(0, 0, 200));
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 3, 1, monoDC, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), RGB(0, 0, 200));
  EXPECT_EQ(dst.At(1, 0), RGB(200, 0, 0));
  EXPECT_EQ(dst.At(2, 0), RGB(200, 0, 0));
  SelectObject(monoDC, old);
  DeleteObject(mono);
  DeleteDC(monoDC);
}

TEST(GdiBlit, BlackKeyedTransparencyThroughAMask) {
  // The classic mask blit: mask from the black key, then AND the mask and OR the picture.
  TestCanvas pic(4, 1);
  SetPixel(pic.dc, 1, 0, RGB(10, 200, 30));
  SetPixel(pic.dc, 3, 0, RGB(1, 1, 1));
  TestCanvas board(4, 1, 32, RGB(0, 80, 0));
  HDC maskDC = CreateCompatibleDC(nullptr);
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(maskDC, mask);
  SetBkColor(pic.dc, RGB(0, 0, 0));
  BitBlt(maskDC, 0, 0, 4, 1, pic.dc, 0, 0, SRCCOPY);  // black -> 1, visible -> 0
  SetTextColor(board.dc, RGB(0, 0, 0));
  SetBkColor(board.dc, RGB(255, 255, 255));
  BitBlt(board.dc, 0, 0, 4, 1, maskDC, 0, 0, SRCAND);
  BitBlt(board.dc, 0, 0, 4, 1, pic.dc, 0, 0, SRCPAINT);
  EXPECT_EQ(board.At(0, 0), RGB(0, 80, 0));
  EXPECT_EQ(board.At(1, 0), RGB(10, 200, 30));
  EXPECT_EQ(board.At(2, 0), RGB(0, 80, 0));
  EXPECT_EQ(board.At(3, 0), RGB(1, 1, 1));
  SelectObject(maskDC, old);
  DeleteObject(mask);
  DeleteDC(maskDC);
}

TEST(GdiBlit, StretchMirrorsWithNegativeExtentsAndScalesNearest) {
  const COLORREF row[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
  TestCanvas src(4, 2, 24);
  for (int x = 0; x < 4; ++x) {
    SetPixel(src.dc, x, 0, row[x]);
    SetPixel(src.dc, x, 1, RGB(x, x, x));
  }
  TestCanvas dst(8, 4);
  SetStretchBltMode(dst.dc, COLORONCOLOR);
  // A negative extent runs back from its anchor pixel: columns 3 down to 0.
  ASSERT_TRUE(StretchBlt(dst.dc, 3, 0, -4, 1, src.dc, 0, 0, 4, 1, SRCCOPY));
  for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.At(x, 0), row[3 - x]) << x;
  EXPECT_EQ(dst.At(4, 0), K);
  // Mirrored by the source extents (rows 1 and 0), and vertically.
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 1, 4, 2, src.dc, 0, 1, 4, -2, SRCCOPY));
  EXPECT_EQ(dst.At(2, 1), RGB(2, 2, 2));
  EXPECT_EQ(dst.At(2, 2), row[2]);
  // Doubling repeats each pixel.
  dst.Fill(K);
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 8, 2, src.dc, 0, 0, 4, 1, SRCCOPY));
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(dst.At(x, 0), row[x / 2]);
    EXPECT_EQ(dst.At(x, 1), row[x / 2]);
  }
  // Halving in COLORONCOLOR picks every other pixel.
  TestCanvas half(2, 1);
  SetStretchBltMode(half.dc, COLORONCOLOR);
  ASSERT_TRUE(StretchBlt(half.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 1, SRCCOPY));
  EXPECT_TRUE(half.At(0, 0) == row[0] || half.At(0, 0) == row[1]);
  EXPECT_TRUE(half.At(1, 0) == row[2] || half.At(1, 0) == row[3]);
}

TEST(GdiBlit, OverlappingCopyWithinOneBitmap) {
  TestCanvas cv(6, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) SetPixel(cv.dc, x, y, RGB(x * 10, y * 10, 0));
  ASSERT_TRUE(BitBlt(cv.dc, 1, 1, 5, 5, cv.dc, 0, 0, SRCCOPY));
  for (int y = 1; y < 6; ++y)
    for (int x = 1; x < 6; ++x) EXPECT_EQ(cv.At(x, y), RGB((x - 1) * 10, (y - 1) * 10, 0));
  ASSERT_TRUE(BitBlt(cv.dc, 0, 0, 5, 5, cv.dc, 1, 1, SRCCOPY));
  EXPECT_EQ(cv.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(cv.At(4, 4), RGB(40, 40, 0));
}

TEST(GdiBlit, SourceOutsideItsBitmapLeavesTheDestination) {
  TestCanvas src(4, 4, 32, W);
  TestCanvas dst(8, 8, 32, RGB(9, 9, 9));
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 8, 8, src.dc, -2, -2, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), RGB(9, 9, 9));
  EXPECT_EQ(dst.At(2, 2), W);
  EXPECT_EQ(dst.At(5, 5), W);
  EXPECT_EQ(dst.At(6, 6), RGB(9, 9, 9));
}

TEST(GdiBlit, StretchDIBitsAndSetDIBitsToDeviceReadBottomUpRows) {
  // A 2 x 2 24-bit bottom-up DIB: the first stored row is the bottom one.
  const uint8_t bits[] = {0, 0, 255, 0, 255, 0, 0, 0,  // bottom: red, green (+ padding)
                          255, 0, 0, 255, 255, 255, 0, 0};  // top: blue, white
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = 2;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  TestCanvas cv(4, 4);
  EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, &bi, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(cv.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(cv.At(1, 0), W);
  EXPECT_EQ(cv.At(0, 1), RGB(255, 0, 0));
  EXPECT_EQ(cv.At(1, 1), RGB(0, 255, 0));
  // Only the bottom row (ySrc counts from the bottom).
  cv.Fill(K);
  StretchDIBits(cv.dc, 0, 0, 2, 1, 0, 0, 2, 1, bits, &bi, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(cv.At(0, 0), RGB(255, 0, 0));
  cv.Fill(K);
  EXPECT_EQ(SetDIBitsToDevice(cv.dc, 1, 1, 2, 2, 0, 0, 0, 2, bits, &bi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(cv.At(1, 1), RGB(0, 0, 255));
  EXPECT_EQ(cv.At(2, 2), RGB(0, 255, 0));
  EXPECT_EQ(cv.At(0, 0), K);
  // Compressed or malformed headers are refused.
  bi.bmiHeader.biCompression = BI_RLE8;
  EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, &bi, DIB_RGB_COLORS, SRCCOPY), 0);
  bi.bmiHeader.biCompression = BI_RGB;
  bi.bmiHeader.biBitCount = 7;
  EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 2, 2, 0, 0, 2, 2, bits, &bi, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(GdiBlit, ClipRegionLimitsEveryDrawingCall) {
  TestCanvas cv(40, 40);
  POINT tri[] = {{0, 0}, {40, 0}, {0, 40}};
  HRGN clip = CreatePolygonRgn(tri, 3, WINDING);
  ASSERT_EQ(SelectClipRgn(cv.dc, clip), COMPLEXREGION);
  TestCanvas src(40, 40, 32, W);
  BitBlt(cv.dc, 0, 0, 40, 40, src.dc, 0, 0, SRCCOPY);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(cv.At(x, y) == W, PtInRegion(clip, x, y) != 0) << x << "," << y;
  // Outside the clip GetPixel and SetPixel fail.
  EXPECT_EQ(GetPixel(cv.dc, 39, 39), CLR_INVALID);
  EXPECT_EQ(SetPixel(cv.dc, 39, 39, W), CLR_INVALID);
  RECT box;
  EXPECT_EQ(GetClipBox(cv.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.bottom, 39);  // the last row holds no pixel centre of the triangle
  // A wide line and a fill respect it too; then the clip goes away.
  SelectClipRgn(cv.dc, nullptr);
  cv.Fill(K);
  SelectClipRgn(cv.dc, clip);
  {
    ScopedPen pen(cv.dc, PS_SOLID, 9, W);
    MoveToEx(cv.dc, 0, 39, nullptr);
    LineTo(cv.dc, 39, 0);
    ScopedBrush brush(cv.dc, CreateSolidBrush(W));
    Ellipse(cv.dc, 20, 20, 40, 40);
  }
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      if (cv.At(x, y) == W) ASSERT_TRUE(PtInRegion(clip, x, y)) << x << "," << y;
  EXPECT_EQ(IntersectClipRect(cv.dc, 0, 0, 10, 10), SIMPLEREGION);
  EXPECT_EQ(ExcludeClipRect(cv.dc, 0, 0, 5, 5), COMPLEXREGION);
  EXPECT_EQ(SelectClipRgn(cv.dc, nullptr), SIMPLEREGION);
  EXPECT_EQ(SetPixel(cv.dc, 39, 39, W), W);
  DeleteObject(clip);
}

TEST(GdiBlit, MaskBlendAndDeviceFillForTextDrawing) {
  for (int bpp : {32, 24, 16, 8}) {
    TestCanvas cv(4, 2, bpp);
    auto dc = winplat::gdi::LookupDC(cv.dc);
    ASSERT_TRUE(dc);
    winplat::gdi::FillDeviceRect(*dc, RECT{0, 0, 4, 2}, RGB(0, 0, 0));
    const uint8_t mask[] = {0, 255, 128, 255, 255, 0, 0, 0};
    winplat::gdi::BlendMask(*dc, 1, 0, 4, 2, mask, 4, RGB(255, 255, 255));  // partly outside
    EXPECT_EQ(cv.At(0, 0), K);
    EXPECT_EQ(cv.At(2, 0), W) << bpp;
    if (bpp >= 24) EXPECT_EQ(cv.At(3, 0), RGB(128, 128, 128)) << bpp;
    EXPECT_EQ(cv.At(1, 1), W);
    EXPECT_EQ(cv.At(2, 1), K);
    // Both honour the clip.
    IntersectClipRect(cv.dc, 0, 0, 1, 1);
    winplat::gdi::FillDeviceRect(*dc, RECT{0, 0, 4, 2}, RGB(255, 255, 255));
    SelectClipRgn(cv.dc, nullptr);
    EXPECT_EQ(cv.At(0, 0), W);
    EXPECT_EQ(cv.At(0, 1), K);
  }
}

}  // namespace

namespace {

TEST(GdiBlit, HalftoneAveragesWhenShrinking) {
  TestCanvas src(4, 2, 24);
  SetPixel(src.dc, 0, 0, RGB(255, 255, 255));  // one white pixel in each 2 x 2 block's corner
  SetPixel(src.dc, 2, 0, RGB(255, 255, 255));
  TestCanvas dst(2, 1, 24);
  SetStretchBltMode(dst.dc, HALFTONE);
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), RGB(64, 64, 64));
  EXPECT_EQ(dst.At(1, 0), RGB(64, 64, 64));
  // Mirrored, and growing stays nearest.
  SetPixel(src.dc, 2, 0, RGB(0, 0, 0));
  ASSERT_TRUE(StretchBlt(dst.dc, 1, 0, -2, 1, src.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(dst.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(dst.At(1, 0), RGB(64, 64, 64));
  TestCanvas big(8, 4, 24);
  SetStretchBltMode(big.dc, HALFTONE);
  ASSERT_TRUE(StretchBlt(big.dc, 0, 0, 8, 4, src.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(big.At(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(big.At(2, 1), RGB(0, 0, 0));
}

TEST(GdiBlit, DeletedDCsFailEveryCall) {
  TestCanvas live(2, 2);
  HDC dead = CreateCompatibleDC(nullptr);
  ASSERT_TRUE(DeleteDC(dead));
  SetLastError(0);
  EXPECT_FALSE(BitBlt(live.dc, 0, 0, 1, 1, dead, 0, 0, SRCCOPY));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(BitBlt(dead, 0, 0, 1, 1, live.dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(StretchBlt(dead, 0, 0, 1, 1, live.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_FALSE(PatBlt(dead, 0, 0, 1, 1, PATCOPY));
  EXPECT_FALSE(LineTo(dead, 1, 1));
  EXPECT_FALSE(MoveToEx(dead, 1, 1, nullptr));
  EXPECT_FALSE(Rectangle(dead, 0, 0, 1, 1));
  EXPECT_FALSE(Ellipse(dead, 0, 0, 1, 1));
  POINT pts[] = {{0, 0}, {1, 1}, {0, 1}};
  EXPECT_FALSE(Polygon(dead, pts, 3));
  EXPECT_EQ(SetBkColor(dead, 0), CLR_INVALID);
  EXPECT_EQ(SetTextColor(dead, 0), CLR_INVALID);
  EXPECT_EQ(SetROP2(dead, R2_XORPEN), 0);
  EXPECT_EQ(SelectClipRgn(dead, nullptr), ERROR);
  EXPECT_EQ(GetDIBits(dead, nullptr, 0, 0, nullptr, nullptr, 0), 0);
  RECT r{0, 0, 1, 1};
  EXPECT_EQ(FillRect(dead, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  // A stale brush on a live DC.
  HBRUSH b = CreateSolidBrush(0);
  DeleteObject(b);
  EXPECT_EQ(FillRect(live.dc, &r, b), 0);
  EXPECT_EQ(SelectObject(live.dc, b), nullptr);
}

}  // namespace

namespace {

TEST(GdiBlit, WholeRowCopiesBetweenLikeBitmaps) {
  for (int bpp : {32, 24, 16, 8}) {
    TestCanvas src(4, 5, bpp), dst(4, 5, bpp);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 4; ++x) SetPixel(src.dc, x, y, y % 2 ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SetPixel(src.dc, 3, 1, RGB(0, 0, 0));
    ASSERT_TRUE(BitBlt(dst.dc, 0, 2, 4, 2, src.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 4; ++x) {
        const COLORREF want = (y == 3 && x != 3) ? RGB(255, 255, 255) : RGB(0, 0, 0);
        EXPECT_EQ(dst.At(x, y), want) << bpp << " " << x << "," << y;
      }
  }
}

}  // namespace

namespace {

TEST(GdiBlit, RunLengthDibsDrawAndBadRunsStayInside) {
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } bi{};
  bi.h.biSize = sizeof(BITMAPINFOHEADER);
  bi.h.biWidth = 4;
  bi.h.biHeight = 2;
  bi.h.biPlanes = 1;
  bi.h.biBitCount = 8;
  bi.h.biCompression = BI_RLE8;
  bi.colors[1] = RGBQUAD{0, 0, 255, 0};    // red
  bi.colors[2] = RGBQUAD{255, 0, 0, 0};    // blue
  // Bottom row: 3 x red, then end of line; top row: absolute run blue, red, blue; end.
  const uint8_t rle[] = {3, 1, 0, 0, 0, 3, 2, 1, 2, 0, 0, 1};
  bi.h.biSizeImage = sizeof(rle);
  TestCanvas cv(4, 2);
  ASSERT_EQ(StretchDIBits(cv.dc, 0, 0, 4, 2, 0, 0, 4, 2, rle, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                          SRCCOPY),
            2);
  EXPECT_EQ(cv.At(0, 1), RGB(255, 0, 0));
  EXPECT_EQ(cv.At(2, 1), RGB(255, 0, 0));
  EXPECT_EQ(cv.At(3, 1), RGB(0, 0, 0));
  EXPECT_EQ(cv.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(cv.At(1, 0), RGB(255, 0, 0));
  // Runs longer than the row, deltas beyond the image and a cut-off absolute run are harmless.
  const uint8_t bad[] = {255, 1, 0, 2, 200, 200, 0, 40, 1, 2};
  bi.h.biSizeImage = sizeof(bad);
  EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 4, 2, 0, 0, 4, 2, bad, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                          SRCCOPY),
            2);
  EXPECT_EQ(cv.At(3, 1), RGB(255, 0, 0));
  // RLE4 packs two pixels per byte.
  bi.h.biBitCount = 4;
  bi.h.biCompression = BI_RLE4;
  const uint8_t rle4[] = {4, 0x12, 0, 1};
  bi.h.biSizeImage = sizeof(rle4);
  cv.Fill(RGB(0, 0, 0));
  EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 4, 2, 0, 0, 4, 2, rle4, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                          SRCCOPY),
            2);
  EXPECT_EQ(cv.At(0, 1), RGB(255, 0, 0));
  EXPECT_EQ(cv.At(1, 1), RGB(0, 0, 255));
  EXPECT_EQ(cv.At(2, 1), RGB(255, 0, 0));
  // Without a size, or top-down, run-length data is refused.
  bi.h.biSizeImage = 0;
  EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 4, 2, 0, 0, 4, 2, rle4, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                          SRCCOPY),
            0);
}

}  // namespace

namespace {

TEST(GdiBlit, CopiesBetweenTwentyFourAndThirtyTwoBits) {
  TestCanvas src24(7, 2, 24);
  for (int x = 0; x < 7; ++x) {
    SetPixel(src24.dc, x, 0, RGB(x * 30 + 1, 255 - x, x * 7));
    SetPixel(src24.dc, x, 1, RGB(x, x * 2, x * 3));
  }
  TestCanvas dst32(9, 2, 32, RGB(9, 9, 9));
  ASSERT_TRUE(BitBlt(dst32.dc, 1, 0, 7, 2, src24.dc, 0, 0, SRCCOPY));
  TestCanvas back24(7, 2, 24);
  ASSERT_TRUE(BitBlt(back24.dc, 0, 0, 7, 2, dst32.dc, 1, 0, SRCCOPY));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 7; ++x) {
      EXPECT_EQ(dst32.At(x + 1, y), src24.At(x, y)) << x << "," << y;
      EXPECT_EQ(back24.At(x, y), src24.At(x, y)) << x << "," << y;
    }
  EXPECT_EQ(dst32.At(0, 0), RGB(9, 9, 9));
  EXPECT_EQ(dst32.At(8, 1), RGB(9, 9, 9));
  // The unused byte of 32-bit pixels is written as zero.
  const uint32_t* px = static_cast<const uint32_t*>(dst32.bits);
  EXPECT_EQ(px[1] >> 24, 0u);
}

}  // namespace

namespace {

TEST(GdiBlit, SetDIBitsToDeviceWithABandOfScans) {
  // A 1 x 4 bottom-up image whose buffer holds only scans 1 and 2 (counted from the bottom).
  const uint32_t band[] = {0x00FF0000, 0x0000FF00};  // scan 1 red, scan 2 green
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 1;
  bi.bmiHeader.biHeight = 4;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  TestCanvas cv(1, 6, 32, RGB(9, 9, 9));
  EXPECT_EQ(SetDIBitsToDevice(cv.dc, 0, 1, 1, 4, 0, 0, 1, 2, band, &bi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(cv.At(0, 1), RGB(9, 9, 9));    // scan 3: not in the buffer
  EXPECT_EQ(cv.At(0, 2), RGB(0, 255, 0));  // scan 2
  EXPECT_EQ(cv.At(0, 3), RGB(255, 0, 0));  // scan 1
  EXPECT_EQ(cv.At(0, 4), RGB(9, 9, 9));    // scan 0
}

}  // namespace
