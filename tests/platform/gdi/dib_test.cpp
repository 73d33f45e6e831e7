// DIB sections at every depth: memory layout, pixels in and out, GetDIBits/SetDIBits.
#include <cstring>
#include "gdi_test_util.h"

namespace {

struct DepthCase {
  const char* name;
  int bpp;
  uint32_t masks[3];  // BI_BITFIELDS when set
  std::vector<COLORREF> colours;  // exactly representable at this depth
};

TEST(GdiDib, EveryDepthReadsBackWhatSetPixelWrote) {
  const std::vector<DepthCase> cases = {
      {"1", 1, {0, 0, 0}, {RGB(0, 0, 0), RGB(255, 255, 255)}},
      {"4", 4, {0, 0, 0}, {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255), RGB(128, 128, 128)}},
      {"8", 8, {0, 0, 0}, {RGB(0, 0, 0), RGB(255, 0, 0), RGB(10, 20, 30), RGB(255, 255, 255)}},
      {"555", 16, {0, 0, 0}, {RGB(0, 0, 0), RGB(255, 0, 0), RGB(8, 16, 24), RGB(255, 255, 255)}},
      {"565", 16, {0xF800, 0x07E0, 0x001F}, {RGB(0, 0, 0), RGB(0, 4, 0), RGB(132, 130, 8), RGB(255, 255, 255)}},
      {"24", 24, {0, 0, 0}, {RGB(1, 2, 3), RGB(255, 252, 30), RGB(233, 135, 193), RGB(255, 255, 255)}},
      {"32", 32, {0, 0, 0}, {RGB(1, 2, 3), RGB(0, 80, 0), RGB(30, 30, 40), RGB(255, 255, 255)}},
  };
  // Channels narrower than 8 bits widen by repeating their high bits (31 -> 255).
  for (const DepthCase& c : cases) {
    const int w = 5, h = 3;
    Info bi = MakeInfo(w, h, c.bpp, c.masks[0] ? BI_BITFIELDS : BI_RGB);
    if (c.masks[0]) std::memcpy(bi.colors, c.masks, sizeof(c.masks));
    if (c.bpp <= 8) {
      // The colours themselves, then greys.
      for (int i = 0; i < (1 << c.bpp); ++i) bi.colors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
      for (size_t i = 0; i < c.colours.size(); ++i)
        bi.colors[i] = RGBQUAD{GetBValue(c.colours[i]), GetGValue(c.colours[i]), GetRValue(c.colours[i]), 0};
    }
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bm, nullptr) << c.name;
    // New pixel memory is zeroed; rows are DWORD-aligned.
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(bm, sizeof(ds), &ds), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(ds.dsBm.bmWidthBytes, ((w * c.bpp + 31) / 32) * 4) << c.name;
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBmih.biSizeImage, static_cast<DWORD>(ds.dsBm.bmWidthBytes * h));
    if (c.bpp == 16) EXPECT_EQ(ds.dsBitfields[1], c.masks[0] ? 0x07E0u : 0x03E0u) << c.name;
    for (int i = 0; i < ds.dsBm.bmWidthBytes * h; ++i) ASSERT_EQ(static_cast<uint8_t*>(bits)[i], 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bm);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const COLORREF col = c.colours[static_cast<size_t>(x + y) % c.colours.size()];
        EXPECT_EQ(SetPixel(dc, x, y, col), col) << c.name;
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        EXPECT_EQ(GetPixel(dc, x, y), c.colours[static_cast<size_t>(x + y) % c.colours.size()]) << c.name << " " << x << "," << y;
    // GetDIBits as a 32-bit top-down image gives the same colours.
    Info out = MakeInfo(w, -h, 32);
    std::vector<uint32_t> px(static_cast<size_t>(w * h));
    EXPECT_EQ(GetDIBits(dc, bm, 0, h, px.data(), reinterpret_cast<BITMAPINFO*>(&out), DIB_RGB_COLORS), h) << c.name;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const COLORREF col = c.colours[static_cast<size_t>(x + y) % c.colours.size()];
        const uint32_t want = (uint32_t{GetRValue(col)} << 16) | (uint32_t{GetGValue(col)} << 8) | GetBValue(col);
        EXPECT_EQ(px[static_cast<size_t>(y * w + x)] & 0xFFFFFF, want) << c.name << " " << x << "," << y;
      }
    // SetDIBits back from the same buffer changes nothing; from a shifted one, everything.
    for (auto& p : px) p = 0x00FFFFFF;
    EXPECT_EQ(SetDIBits(dc, bm, 0, h, px.data(), reinterpret_cast<BITMAPINFO*>(&out), DIB_RGB_COLORS), h);
    EXPECT_EQ(GetPixel(dc, 2, 1), GetNearestColor(dc, RGB(255, 255, 255))) << c.name;
    SelectObject(dc, old);
    DeleteObject(bm);
    DeleteDC(dc);
  }
}

TEST(GdiDib, TrueColourBitsMoveBetweenTwentyFourAndThirtyTwoBits) {
  // Every byte value in every channel, over widths with and without row padding, a band of rows
  // in either direction: each pixel keeps its three bytes, 32-bit ones get a zero fourth byte
  // and lose theirs.
  struct Case {
    int sectionBpp, bufferBpp, w;
    bool topDown;
  } cases[] = {{24, 32, 1, false}, {24, 32, 5, true}, {24, 32, 160, false},
               {32, 24, 3, false}, {32, 24, 7, true}, {32, 24, 160, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sectionBpp << " -> " << c.bufferBpp << " w " << c.w << (c.topDown ? " top-down" : ""));
    const int h = 6, first = 1, rows = 4;
    Info bi = MakeInfo(c.w, c.topDown ? -h : h, c.sectionBpp);
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bm, nullptr);
    const size_t sectionStride = ((static_cast<size_t>(c.w) * c.sectionBpp + 31) / 32) * 4;
    auto* p = static_cast<uint8_t*>(bits);
    for (size_t i = 0; i < sectionStride * h; ++i) p[i] = static_cast<uint8_t>(i * 37 + 11);
    // The section's pixel at (x, stored row r) and the buffer's, as their bytes.
    auto sectionPixel = [&](int x, int r) { return p + r * sectionStride + static_cast<size_t>(x) * (c.sectionBpp / 8); };
    Info out = MakeInfo(c.w, h, c.bufferBpp);
    const size_t bufferStride = ((static_cast<size_t>(c.w) * c.bufferBpp + 31) / 32) * 4;
    std::vector<uint8_t> buffer(bufferStride * rows, 0xEE);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_EQ(GetDIBits(dc, bm, first, rows, buffer.data(), reinterpret_cast<BITMAPINFO*>(&out), DIB_RGB_COLORS), rows);
    // Scan line n of the call is the n-th row from the bottom, whatever the section's order.
    auto storedRow = [&](int scan) { return c.topDown ? h - 1 - scan : scan; };
    for (int n = 0; n < rows; ++n)
      for (int x = 0; x < c.w; ++x) {
        const uint8_t* s = sectionPixel(x, storedRow(first + n));
        const uint8_t* b = buffer.data() + n * bufferStride + static_cast<size_t>(x) * (c.bufferBpp / 8);
        ASSERT_EQ(std::vector<uint8_t>(b, b + 3), std::vector<uint8_t>(s, s + 3)) << x << "," << n;
        if (c.bufferBpp == 32) ASSERT_EQ(b[3], 0) << x << "," << n;
      }
    // And back: a changed buffer written into the same band, the rows around it untouched.
    const std::vector<uint8_t> before(p, p + sectionStride * h);
    for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(buffer[i] ^ 0x5A);
    ASSERT_EQ(SetDIBits(dc, bm, first, rows, buffer.data(), reinterpret_cast<BITMAPINFO*>(&out), DIB_RGB_COLORS), rows);
    for (int r = 0; r < h; ++r) {
      const int scan = c.topDown ? h - 1 - r : r;
      const bool inBand = scan >= first && scan < first + rows;
      for (int x = 0; x < c.w; ++x) {
        const uint8_t* s = sectionPixel(x, r);
        const uint8_t* want = inBand ? buffer.data() + (scan - first) * bufferStride + static_cast<size_t>(x) * (c.bufferBpp / 8)
                                     : before.data() + (s - p);
        ASSERT_EQ(std::vector<uint8_t>(s, s + 3), std::vector<uint8_t>(want, want + 3)) << x << "," << r;
        if (c.sectionBpp == 32 && inBand) ASSERT_EQ(s[3], 0) << x << "," << r;
      }
    }
    DeleteDC(dc);
    DeleteObject(bm);
  }
}

TEST(GdiDib, BottomUpRowsAndSixteenBitLayouts) {
  Info bi = MakeInfo(2, 2, 16);
  void* bits = nullptr;
  HBITMAP b555 = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b555);
  SetPixel(dc, 0, 0, RGB(0, 255, 0));  // top row: stored last
  const uint16_t* p = static_cast<const uint16_t*>(bits);
  EXPECT_EQ(p[2], 0x03E0);
  EXPECT_EQ(p[0], 0);
  SelectObject(dc, old);
  const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
  bi = MakeInfo(2, -2, 16, BI_BITFIELDS);  // top-down
  std::memcpy(bi.colors, masks, sizeof(masks));
  HBITMAP b565 = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
  SelectObject(dc, b565);
  SetPixel(dc, 0, 0, RGB(0, 255, 0));
  SetPixel(dc, 1, 1, RGB(255, 0, 0));
  p = static_cast<const uint16_t*>(bits);
  EXPECT_EQ(p[0], 0x07E0);
  EXPECT_EQ(p[3], 0xF800);
  // Copying 565 into 555 converts by colour.
  TestCanvas dst(2, 2, 16);
  BitBlt(dst.dc, 0, 0, 2, 2, dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(dst.At(1, 1), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteObject(b555);
  DeleteObject(b565);
  DeleteDC(dc);
}

TEST(GdiDib, ColourTablesAndNearestColourMatching) {
  Info bi = MakeInfo(4, 1, 8);
  bi.h.biClrUsed = 3;
  bi.colors[0] = RGBQUAD{0, 0, 0, 0};
  bi.colors[1] = RGBQUAD{0, 0, 200, 0};  // red 200
  bi.colors[2] = RGBQUAD{250, 250, 250, 0};
  HBITMAP bm = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, nullptr, nullptr, 0);
  ASSERT_NE(bm, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  EXPECT_EQ(SetPixel(dc, 0, 0, RGB(255, 0, 0)), RGB(200, 0, 0));
  EXPECT_EQ(GetNearestColor(dc, RGB(240, 255, 255)), RGB(250, 250, 250));
  RGBQUAD table[4];
  EXPECT_EQ(GetDIBColorTable(dc, 0, 4, table), 3u);  // the table made holds three
  EXPECT_EQ(table[1].rgbRed, 200);
  const RGBQUAD green{0, 255, 0, 0};
  EXPECT_EQ(SetDIBColorTable(dc, 1, 1, &green), 1u);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0));  // same index, new colour
  EXPECT_EQ(SetPixel(dc, 1, 0, RGB(0, 250, 0)), RGB(0, 255, 0));
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
  // Palettes.
  struct {
    WORD version, count;
    PALETTEENTRY e[3];
  } lp{0x300, 3, {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}}};
  HPALETTE pal = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
  ASSERT_NE(pal, nullptr);
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(10, 10, 240)), 2u);
  PALETTEENTRY e[3];
  EXPECT_EQ(GetPaletteEntries(pal, 1, 5, e), 2u);
  EXPECT_EQ(e[0].peRed, 255);
  WORD n = 0;
  EXPECT_EQ(GetObjectA(pal, sizeof(n), &n), 2);
  EXPECT_EQ(n, 3);
  HDC pdc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectPalette(pdc, pal, FALSE), GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(pdc), 0u);
  DeleteDC(pdc);
  EXPECT_TRUE(DeleteObject(pal));
}

TEST(GdiDib, DeviceBitmapsBitsAndDescription) {
  // CreateBitmap takes WORD-aligned top-down rows.
  const uint8_t rows[] = {0x80, 0x00, 0x40, 0x00};  // 3 x 2 monochrome
  HBITMAP mono = CreateBitmap(3, 2, 1, 1, rows);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
  uint8_t back[4] = {};
  EXPECT_EQ(GetBitmapBits(mono, sizeof(back), back), 4);
  EXPECT_EQ(std::memcmp(back, rows, 4), 0);
  // GetDIBits with a zero bit count describes the bitmap.
  Info bi{};
  bi.h.biSize = sizeof(BITMAPINFOHEADER);
  EXPECT_NE(GetDIBits(dc, mono, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS), 0);
  EXPECT_EQ(bi.h.biWidth, 3);
  EXPECT_EQ(bi.h.biHeight, 2);
  EXPECT_EQ(bi.h.biBitCount, 1);
  SelectObject(dc, old);
  // A colour DC makes colour compatible bitmaps: device bitmaps with WORD-aligned rows when it
  // holds one (a DC holding a DIB section makes DIB sections).
  HBITMAP ddb = CreateBitmap(2, 2, 1, 24, nullptr);
  old = SelectObject(dc, ddb);
  HBITMAP compat = CreateCompatibleBitmap(dc, 7, 3);
  SelectObject(dc, old);
  BITMAP b{};
  GetObjectA(compat, sizeof(b), &b);
  EXPECT_EQ(b.bmBitsPixel, 24);
  EXPECT_EQ(b.bmWidthBytes, 22);
  EXPECT_EQ(b.bmBits, nullptr);
  DeleteObject(ddb);
  DeleteObject(compat);
  DeleteObject(mono);
  DeleteDC(dc);
}

TEST(GdiDc, SaveAndRestoreStates) {
  TestCanvas cv(4, 4);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  SetTextColor(cv.dc, RGB(1, 1, 1));
  const int level = SaveDC(cv.dc);
  EXPECT_EQ(level, 1);
  HGDIOBJ old = SelectObject(cv.dc, red);
  SetTextColor(cv.dc, RGB(2, 2, 2));
  IntersectClipRect(cv.dc, 0, 0, 1, 1);
  EXPECT_EQ(SaveDC(cv.dc), 2);
  SetBkMode(cv.dc, TRANSPARENT);
  EXPECT_TRUE(RestoreDC(cv.dc, -1));
  EXPECT_EQ(GetBkMode(cv.dc), OPAQUE);
  EXPECT_EQ(GetCurrentObject(cv.dc, OBJ_PEN), red);
  EXPECT_TRUE(RestoreDC(cv.dc, 1));
  EXPECT_EQ(GetCurrentObject(cv.dc, OBJ_PEN), old);
  EXPECT_EQ(GetTextColor(cv.dc), RGB(1, 1, 1));
  EXPECT_EQ(SetPixel(cv.dc, 3, 3, RGB(9, 9, 9)), RGB(9, 9, 9));  // the clip came back off
  EXPECT_FALSE(RestoreDC(cv.dc, 1));
  // A pen deleted while a saved state holds it lives until the state is dropped.
  SelectObject(cv.dc, red);
  SaveDC(cv.dc);
  SelectObject(cv.dc, old);
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_EQ(GetObjectType(red), static_cast<DWORD>(OBJ_PEN));
  RestoreDC(cv.dc, -1);
  EXPECT_EQ(GetCurrentObject(cv.dc, OBJ_PEN), red);
  SelectObject(cv.dc, old);
  EXPECT_EQ(GetObjectType(red), 0u);
  // Origins shift logical coordinates.
  SetViewportOrgEx(cv.dc, 1, 1, nullptr);
  SetPixel(cv.dc, 0, 0, RGB(7, 7, 7));
  SetViewportOrgEx(cv.dc, 0, 0, nullptr);
  EXPECT_EQ(GetPixel(cv.dc, 1, 1), RGB(7, 7, 7));
}

}  // namespace
