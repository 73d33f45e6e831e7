// DIB sections and DIB calls answering as the platform does: compatible bitmaps of a DIB
// section, GetObject, colour tables, the colour tables and headers of GetDIBits, run-length
// images, and which way a section's rows run.
#include <cstring>
#include <vector>
#include "gdi_test_util.h"
#include "winplat_gdi.h"

namespace {

HBITMAP Section(Info& bi, void** bits = nullptr) {
  void* b = nullptr;
  return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, bits ? bits : &b, nullptr, 0);
}

TEST(GdiDibAnswers, CompatibleBitmapsOfADibSectionAreDibSections) {
  struct Case {
    const char* name;
    int bpp;
    DWORD compression;
    uint32_t masks[3];
    int height;  // of the section selected (negative: top-down)
  };
  const Case cases[] = {
      {"1 bit", 1, BI_RGB, {}, 4},
      {"4 bits", 4, BI_RGB, {}, 4},
      {"8 bits top-down", 8, BI_RGB, {}, -4},
      {"16 bits 5-6-5", 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 4},
      {"16 bits 5-5-5", 16, BI_RGB, {}, 4},
      {"24 bits", 24, BI_RGB, {}, 4},
      {"32 bits top-down", 32, BI_RGB, {}, -4},
  };
  for (const Case& c : cases) {
    Info bi = MakeInfo(4, c.height, c.bpp, c.compression);
    if (c.compression == BI_BITFIELDS) std::memcpy(bi.colors, c.masks, sizeof(c.masks));
    if (c.bpp <= 8)
      for (int i = 0; i < (1 << c.bpp); ++i) bi.colors[i] = RGBQUAD{static_cast<BYTE>(i), 7, static_cast<BYTE>(255 - i), 0};
    HBITMAP section = Section(bi);
    ASSERT_NE(section, nullptr) << c.name;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    HBITMAP made = CreateCompatibleBitmap(dc, 5, 3);
    ASSERT_NE(made, nullptr) << c.name;
    DIBSECTION want{}, got{};
    ASSERT_EQ(GetObjectA(section, sizeof want, &want), static_cast<int>(sizeof(DIBSECTION))) << c.name;
    ASSERT_EQ(GetObjectA(made, sizeof got, &got), static_cast<int>(sizeof(DIBSECTION))) << c.name;
    EXPECT_NE(got.dsBm.bmBits, nullptr) << c.name;
    EXPECT_EQ(got.dsBm.bmWidth, 5) << c.name;
    EXPECT_EQ(got.dsBm.bmHeight, 3) << c.name;
    EXPECT_EQ(got.dsBm.bmBitsPixel, c.bpp) << c.name;
    EXPECT_EQ(got.dsBmih.biHeight, 3) << c.name;
    EXPECT_EQ(got.dsBmih.biCompression, want.dsBmih.biCompression) << c.name;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(got.dsBitfields[i], want.dsBitfields[i]) << c.name;
    if (c.bpp <= 8) {
      RGBQUAD a[256], b[256];
      const UINT n = GetDIBColorTable(dc, 0, 256, a);
      SelectObject(dc, made);
      ASSERT_EQ(GetDIBColorTable(dc, 0, 256, b), n) << c.name;
      EXPECT_EQ(std::memcmp(a, b, n * sizeof(RGBQUAD)), 0) << c.name;
    }
    SelectObject(dc, old);
    DeleteObject(made);
    DeleteObject(section);
    DeleteDC(dc);
  }
  // DCs holding a device bitmap, or nothing, make device bitmaps.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateCompatibleBitmap(dc, 3, 3);
  BITMAP bm{};
  EXPECT_EQ(GetObjectA(mono, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  ASSERT_EQ(GetObjectA(mono, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmBits, nullptr);
  HBITMAP ddb = CreateBitmap(2, 2, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, ddb);
  HBITMAP made = CreateCompatibleBitmap(dc, 3, 3);
  ASSERT_EQ(GetObjectA(made, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmBits, nullptr);
  SelectObject(dc, old);
  for (HBITMAP b : {mono, ddb, made}) DeleteObject(b);
  DeleteDC(dc);
}

TEST(GdiDibAnswers, GetObjectDescribesDibSections) {
  struct Case {
    const char* name;
    int bpp;
    int height;
    DWORD clrUsed;      // asked for
    DWORD wantClrUsed;  // reported
  };
  const Case cases[] = {
      {"8 bits top-down", 8, -3, 0, 256}, {"8 bits, 16 colours used", 8, 3, 16, 16}, {"4 bits", 4, -3, 0, 16},
      {"1 bit", 1, 3, 0, 2},              {"8 bits, too many used", 8, 3, 999, 256}, {"24 bits top-down", 24, -3, 0, 0},
      {"32 bits", 32, 3, 0, 0},
  };
  for (const Case& c : cases) {
    Info bi = MakeInfo(2, c.height, c.bpp);
    bi.h.biClrUsed = c.clrUsed;
    HBITMAP h = Section(bi);
    ASSERT_NE(h, nullptr) << c.name;
    DIBSECTION ds{};
    EXPECT_EQ(GetObjectA(h, 0, nullptr), static_cast<int>(sizeof(DIBSECTION))) << c.name;
    EXPECT_EQ(GetObjectW(h, 0, nullptr), static_cast<int>(sizeof(DIBSECTION))) << c.name;
    ASSERT_EQ(GetObjectA(h, sizeof ds, &ds), static_cast<int>(sizeof(DIBSECTION))) << c.name;
    EXPECT_EQ(ds.dsBm.bmHeight, 3) << c.name;
    EXPECT_EQ(ds.dsBmih.biHeight, 3) << c.name;
    EXPECT_EQ(ds.dsBmih.biClrUsed, c.wantClrUsed) << c.name;
    BITMAP bm{};
    EXPECT_EQ(GetObjectA(h, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP))) << c.name;
    EXPECT_EQ(bm.bmBits, ds.dsBm.bmBits) << c.name;
    DeleteObject(h);
  }
  // The size of what GetObject would write, for each kind of object.
  LOGBRUSH lb{BS_SOLID, RGB(1, 2, 3), 0};
  HGDIOBJ objects[] = {CreatePen(PS_SOLID, 1, 0), ExtCreatePen(PS_GEOMETRIC | PS_SOLID, 3, &lb, 0, nullptr),
                       CreateSolidBrush(0), CreateFontW(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u"x"),
                       GetStockObject(DEFAULT_PALETTE)};
  const int sizesA[] = {sizeof(LOGPEN), static_cast<int>(offsetof(EXTLOGPEN, elpStyleEntry)), sizeof(LOGBRUSH),
                        sizeof(LOGFONTA), sizeof(WORD)};
  const int sizesW[] = {sizeof(LOGPEN), static_cast<int>(offsetof(EXTLOGPEN, elpStyleEntry)), sizeof(LOGBRUSH),
                        sizeof(LOGFONTW), sizeof(WORD)};
  for (size_t i = 0; i < std::size(objects); ++i) {
    EXPECT_EQ(GetObjectA(objects[i], 0, nullptr), sizesA[i]) << i;
    EXPECT_EQ(GetObjectW(objects[i], 0, nullptr), sizesW[i]) << i;
  }
  for (size_t i = 0; i + 1 < std::size(objects); ++i) DeleteObject(objects[i]);
}

// The default tables of GetDIBits as the platform gives them (red, green, blue).
const BYTE kSixteen[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                              {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                              {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                              {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
struct Entry {
  int index;
  BYTE r, g, b;
};
const Entry kTwoFiftySix[] = {
    {0, 0, 0, 0},          {1, 128, 0, 0},        {2, 0, 128, 0},        {3, 128, 128, 0},
    {4, 0, 0, 128},        {5, 128, 0, 128},      {6, 0, 128, 128},      {7, 192, 192, 192},
    {8, 192, 220, 192},    {9, 166, 202, 240},    {10, 0x40, 0x20, 0},   {11, 0x60, 0x20, 0},
    {15, 0xE0, 0x20, 0},   {16, 0, 0x40, 0},      {63, 0xE0, 0xE0, 0},   {64, 0, 0, 0x40},
    {100, 0x80, 0x80, 0x40}, {200, 0, 0x20, 0xC0}, {245, 0xA0, 0xC0, 0xC0}, {246, 255, 251, 240},
    {247, 160, 160, 164},  {248, 128, 128, 128},  {249, 255, 0, 0},      {250, 0, 255, 0},
    {251, 255, 255, 0},    {252, 0, 0, 255},      {253, 255, 0, 255},    {254, 0, 255, 255},
    {255, 255, 255, 255},
};

TEST(GdiDibAnswers, GetDIBitsTablesAndHeaders) {
  HDC dc = CreateCompatibleDC(nullptr);
  Info src32 = MakeInfo(3, 2, 32);
  void* bits32 = nullptr;
  HBITMAP section32 = Section(src32, &bits32);
  std::fill_n(static_cast<uint32_t*>(bits32), 6, 0x00FFFFFFu);

  // The default tables, for results at another depth than the bitmap's.
  Info out = MakeInfo(3, 2, 4);
  std::vector<uint8_t> buf(64, 0xCC);
  ASSERT_EQ(GetDIBits(dc, section32, 0, 2, buf.data(), reinterpret_cast<BITMAPINFO*>(&out), DIB_RGB_COLORS), 2);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(out.colors[i].rgbRed, kSixteen[i][0]) << i;
    EXPECT_EQ(out.colors[i].rgbGreen, kSixteen[i][1]) << i;
    EXPECT_EQ(out.colors[i].rgbBlue, kSixteen[i][2]) << i;
  }
  out = MakeInfo(3, 2, 8);
  ASSERT_EQ(GetDIBits(dc, section32, 0, 2, buf.data(), reinterpret_cast<BITMAPINFO*>(&out), DIB_RGB_COLORS), 2);
  for (const Entry& e : kTwoFiftySix) {
    EXPECT_EQ(out.colors[e.index].rgbRed, e.r) << e.index;
    EXPECT_EQ(out.colors[e.index].rgbGreen, e.g) << e.index;
    EXPECT_EQ(out.colors[e.index].rgbBlue, e.b) << e.index;
  }

  // Row padding, and the unused bits after the last pixel, are zero.
  struct PadCase {
    int bpp;
    int stride;
    std::vector<uint8_t> row;  // one row of three white pixels
  };
  const PadCase pads[] = {
      {1, 4, {0xE0, 0, 0, 0}},
      {4, 4, {0xFF, 0xF0, 0, 0}},
      {8, 4, {0xFF, 0xFF, 0xFF, 0}},
      {24, 12, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0}},
  };
  for (const PadCase& p : pads) {
    out = MakeInfo(3, 2, p.bpp);
    out.h.biClrUsed = 77;
    std::fill(buf.begin(), buf.end(), 0xCC);
    ASSERT_EQ(GetDIBits(dc, section32, 0, 2, buf.data(), reinterpret_cast<BITMAPINFO*>(&out), DIB_RGB_COLORS), 2)
        << p.bpp;
    for (int r = 0; r < 2; ++r)
      for (int i = 0; i < p.stride; ++i) EXPECT_EQ(buf[r * p.stride + i], p.row[i]) << p.bpp << " row " << r << " byte " << i;
    EXPECT_EQ(buf[2 * p.stride], 0xCC) << p.bpp;
    EXPECT_EQ(out.h.biClrUsed, 0u) << p.bpp;
  }

  // A header query: null bits answer 1; 32-bit sections report their masks as BI_BITFIELDS.
  struct QueryCase {
    const char* name;
    HBITMAP bitmap;
    DWORD compression;
  };
  HBITMAP ddb32 = CreateBitmap(3, 2, 1, 32, nullptr);
  Info src24 = MakeInfo(3, 2, 24);
  HBITMAP section24 = Section(src24);
  const QueryCase queries[] = {
      {"32-bit section", section32, BI_BITFIELDS}, {"32-bit device bitmap", ddb32, BI_RGB}, {"24-bit section", section24, BI_RGB}};
  for (const QueryCase& q : queries) {
    Info query{};
    query.h.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(GetDIBits(dc, q.bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&query), DIB_RGB_COLORS), 1) << q.name;
    EXPECT_EQ(query.h.biCompression, q.compression) << q.name;
    EXPECT_EQ(query.h.biClrUsed, 0u) << q.name;
    if (q.compression == BI_BITFIELDS) {
      uint32_t masks[3];
      std::memcpy(masks, query.colors, sizeof masks);
      EXPECT_EQ(masks[0], 0xFF0000u);
      EXPECT_EQ(masks[1], 0x00FF00u);
      EXPECT_EQ(masks[2], 0x0000FFu);
      // The answer of the query can be handed back to read the bits.
      uint32_t px[6] = {};
      EXPECT_EQ(GetDIBits(dc, q.bitmap, 0, 2, px, reinterpret_cast<BITMAPINFO*>(&query), DIB_RGB_COLORS), 2);
      EXPECT_EQ(px[0], 0x00FFFFFFu);
    }
  }
  // Only the table, without bits: 1 too.
  out = MakeInfo(3, 2, 8);
  EXPECT_EQ(GetDIBits(dc, section32, 0, 2, nullptr, reinterpret_cast<BITMAPINFO*>(&out), DIB_RGB_COLORS), 1);
  EXPECT_EQ(out.colors[249].rgbRed, 255);
  for (HBITMAP b : {section32, ddb32, section24}) DeleteObject(b);
  DeleteDC(dc);
}

TEST(GdiDibAnswers, RunLengthImagesLeaveSkippedPixelsAlone) {
  // A 4 x 3 image, bottom row first. Row 0: 2 x index 1, then end of line. Row 1: a delta of
  // (1, 0) right, 1 x index 2, end of line. Row 2: 1 x index 1, end of bitmap.
  const uint8_t rle8[] = {2, 1, 0, 0, 0, 2, 1, 0, 1, 2, 0, 0, 1, 1, 0, 1};
  // The same image in RLE4.
  const uint8_t rle4[] = {2, 0x11, 0, 0, 0, 2, 1, 0, 1, 0x22, 0, 0, 1, 0x11, 0, 1};
  const COLORREF U = RGB(9, 9, 9), R = RGB(255, 0, 0), B = RGB(0, 0, 255);
  // Rows from the top of the picture: '.' untouched, 'r' index 1, 'b' index 2.
  const std::vector<std::string> picture = {"r...", ".b..", "rr.."};
  struct Case {
    const char* name;
    int bpp;
    DWORD compression;
    const uint8_t* data;
    size_t size;
  };
  const Case cases[] = {{"RLE8", 8, BI_RLE8, rle8, sizeof rle8}, {"RLE4", 4, BI_RLE4, rle4, sizeof rle4}};
  for (const Case& c : cases) {
    Info bi = MakeInfo(4, 3, c.bpp, c.compression);
    bi.h.biSizeImage = static_cast<DWORD>(c.size);
    bi.colors[0] = RGBQUAD{0, 255, 0, 0};
    bi.colors[1] = RGBQUAD{0, 0, 255, 0};
    bi.colors[2] = RGBQUAD{255, 0, 0, 0};
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(&bi);
    auto check = [&](const TestCanvas& cv, int ox, int oy, const char* call) {
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
          const char p = picture[y][x];
          EXPECT_EQ(cv.At(ox + x, oy + y), p == 'r' ? R : p == 'b' ? B : U) << c.name << " " << call << " " << x << "," << y;
        }
    };
    for (int mode : {BLACKONWHITE, COLORONCOLOR, HALFTONE}) {
      TestCanvas cv(4, 3, 32, U);
      SetStretchBltMode(cv.dc, mode);
      EXPECT_EQ(StretchDIBits(cv.dc, 0, 0, 4, 3, 0, 0, 4, 3, c.data, info, DIB_RGB_COLORS, SRCCOPY), 3) << c.name;
      check(cv, 0, 0, "StretchDIBits");
    }
    {
      // Start and lines do not apply to run-length data: the whole image is drawn.
      TestCanvas cv(5, 4, 32, U);
      EXPECT_EQ(SetDIBitsToDevice(cv.dc, 1, 1, 4, 3, 0, 0, 1, 1, c.data, info, DIB_RGB_COLORS), 3) << c.name;
      check(cv, 1, 1, "SetDIBitsToDevice");
      EXPECT_EQ(cv.At(0, 0), U);
    }
    for (int depth : {32, 8}) {
      TestCanvas cv(4, 3, depth, U);
      const COLORREF u = cv.At(0, 0);
      SelectObject(cv.dc, cv.old);
      EXPECT_EQ(SetDIBits(cv.dc, cv.bitmap, 2, 1, c.data, info, DIB_RGB_COLORS), 3) << c.name;
      SelectObject(cv.dc, cv.bitmap);
      if (depth == 32) {
        check(cv, 0, 0, "SetDIBits");
      } else {
        // Into a grey table: the set pixels become its nearest greys, the others stay.
        EXPECT_EQ(cv.At(1, 0), u) << c.name;
        EXPECT_EQ(cv.At(2, 2), u) << c.name;
        EXPECT_NE(cv.At(0, 0), u) << c.name;
      }
    }
  }
}


TEST(GdiDibAnswers, ColourTableCallsCountTheEntriesOfTheSectionsTable) {
  // The table is as long as the biClrUsed the section was made with (2^bpp for 0 or too many);
  // the calls copy from `start` to its end at most.
  struct Case {
    int bpp;
    DWORD clrUsed;
    UINT start, count;
    UINT copied;
  };
  const Case cases[] = {
      {8, 0, 0, 256, 256}, {8, 0, 250, 256, 6}, {8, 16, 0, 256, 16}, {8, 16, 10, 256, 6}, {8, 16, 16, 1, 0},
      {8, 16, 3, 4, 4},    {8, 3, 0, 4, 3},     {8, 999, 0, 300, 256}, {4, 0, 0, 256, 16}, {4, 5, 2, 9, 3},
      {1, 0, 0, 256, 2},   {1, 1, 0, 2, 1},     {1, 0, 2, 1, 0},
  };
  for (const Case& c : cases) {
    Info bi = MakeInfo(2, 2, c.bpp);
    bi.h.biClrUsed = c.clrUsed;
    for (int i = 0; i < 256; ++i) bi.colors[i] = RGBQUAD{static_cast<BYTE>(i), 1, 2, 0};
    HBITMAP h = Section(bi);
    ASSERT_NE(h, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, h);
    std::vector<RGBQUAD> got(300, RGBQUAD{9, 9, 9, 9});
    EXPECT_EQ(GetDIBColorTable(dc, c.start, c.count, got.data()), c.copied)
        << c.bpp << " bits, " << c.clrUsed << " used, from " << c.start << " x " << c.count;
    for (UINT i = 0; i < c.copied; ++i) EXPECT_EQ(got[i].rgbBlue, c.start + i) << c.bpp << " entry " << c.start + i;
    EXPECT_EQ(got[c.copied].rgbBlue, 9) << c.bpp << " bits: nothing past what was copied";
    const std::vector<RGBQUAD> white(300, RGBQUAD{255, 255, 255, 0});
    EXPECT_EQ(SetDIBColorTable(dc, c.start, c.count, white.data()), c.copied)
        << c.bpp << " bits, " << c.clrUsed << " used, from " << c.start << " x " << c.count;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(h);
  }
  // Nothing for a device bitmap or a true-colour section.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP ddb = CreateBitmap(2, 2, 1, 8, nullptr);
  Info tc = MakeInfo(2, 2, 24);
  HBITMAP section = Section(tc);
  RGBQUAD e[4];
  for (HBITMAP b : {ddb, section}) {
    HGDIOBJ old = SelectObject(dc, b);
    EXPECT_EQ(GetDIBColorTable(dc, 0, 4, e), 0u);
    EXPECT_EQ(SetDIBColorTable(dc, 0, 4, e), 0u);
    SelectObject(dc, old);
    DeleteObject(b);
  }
  DeleteDC(dc);
}

TEST(GdiDibAnswers, TheClassLibraryLearnsWhichWayASectionsRowsRun) {
  struct Case {
    const char* name;
    int bpp;
    int height;
  };
  const Case cases[] = {{"1 bit", 1, -3}, {"8 bits", 8, -1}, {"16 bits", 16, -4}, {"24 bits", 24, -2},
                        {"32 bits", 32, -5}, {"8 bits bottom-up", 8, 3}, {"32 bits bottom-up", 32, 1}};
  for (const Case& c : cases) {
    Info bi = MakeInfo(3, c.height, c.bpp);
    HBITMAP h = Section(bi);
    ASSERT_NE(h, nullptr) << c.name;
    EXPECT_EQ(winplat::DibSectionIsTopDown(h), c.height < 0) << c.name;
    // Bitmaps made like it are bottom-up sections.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, h);
    HBITMAP made = CreateCompatibleBitmap(dc, 2, 2);
    EXPECT_FALSE(winplat::DibSectionIsTopDown(made)) << c.name;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(made);
    DeleteObject(h);
    EXPECT_FALSE(winplat::DibSectionIsTopDown(h)) << c.name << ": deleted";
  }
  HBITMAP ddb = CreateBitmap(2, 2, 1, 32, nullptr);
  HBRUSH brush = CreateSolidBrush(0);
  EXPECT_FALSE(winplat::DibSectionIsTopDown(ddb));
  EXPECT_FALSE(winplat::DibSectionIsTopDown(reinterpret_cast<HBITMAP>(brush)));
  EXPECT_FALSE(winplat::DibSectionIsTopDown(nullptr));
  DeleteObject(ddb);
  DeleteObject(brush);
}

}  // namespace
