// TBitmap: sizes, pixel formats, ScanLine, BMP files through streams and files.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Graphics.h"
#include "Graphics_BmpCodec.h"

namespace {

constexpr int W = 7, H = 4;

std::string Fixture(const std::string& name) { return std::string(TEST_DATA_DIR) + "/graphics/bmp/" + name; }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

TColor Pal(int i) { return static_cast<TColor>(RGB((i * 20 + 5) % 256, (255 - i * 10 + 2560) % 256, (i * 37) % 256)); }
TColor TrueColour(int x, int y) { return static_cast<TColor>(RGB(x * 30 + 10, y * 50 + 20, (x * y * 9 + 7) % 256)); }

void Fill(TBitmap* b, TColor c) {
  b->Canvas()->Brush()->SetColor(c);
  b->Canvas()->FillRect(Rect(0, 0, b->Width(), b->Height()));
}

}  // namespace

TEST(Bitmap, LoadsEveryGoodFixtureWithItsPixelFormat) {
  struct Case {
    const char* file;
    TPixelFormat format;
    int colours;  // indexed files: entries used; 0 for true colour
  } cases[] = {
      {"good_1bit.bmp", pf1bit, 2},          {"good_4bit.bmp", pf4bit, 16},
      {"good_4bit_short_table.bmp", pf4bit, 6}, {"good_8bit.bmp", pf8bit, 256},
      {"good_8bit_topdown.bmp", pf8bit, 256}, {"good_8bit_core.bmp", pf8bit, 256},
      {"good_rle4.bmp", pf4bit, 16},         {"good_24bit.bmp", pf24bit, 0},
      {"good_24bit_topdown.bmp", pf24bit, 0}, {"good_24bit_core.bmp", pf24bit, 0},
      {"good_24bit_v5.bmp", pf24bit, 0},     {"good_32bit.bmp", pf32bit, 0},
      {"good_32bit_v4.bmp", pf32bit, 0},     {"good_16bit_444.bmp", pf24bit, -1},
      {"good_16bit_555.bmp", pf15bit, -1},   {"good_16bit_565.bmp", pf16bit, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TBitmap b;
    b.LoadFromFile(Fixture(c.file));
    ASSERT_EQ(b.Width(), W);
    ASSERT_EQ(b.Height(), H);
    EXPECT_EQ(b.PixelFormat(), c.format);
    if (c.colours < 0) continue;  // 16-bit pixels are checked on their words below
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const TColor want = c.colours ? Pal((x + 3 * y) % c.colours) : TrueColour(x, y);
        EXPECT_EQ(b.Canvas()->Pixels(x, y), want) << x << "," << y;
      }
  }
  // 16 bits: ScanLine gives the file's words in top-down row order.
  TBitmap b;
  b.LoadFromFile(Fixture("good_16bit_565.bmp"));
  for (int y = 0; y < H; ++y) {
    const uint8_t* row = b.ScanLine(y);
    for (int x = 0; x < W; ++x) EXPECT_EQ(row[2 * x] | (row[2 * x + 1] << 8), (x * 4) << 11 | (y * 9) << 5 | (x + y));
  }
}

TEST(Bitmap, BadFilesRaiseInvalidGraphicAndLeaveTheBitmapAlone) {
  const char* files[] = {
      "bad_empty_header.bmp", "bad_truncated_header.bmp", "bad_truncated_pixels.bmp", "bad_signature.bmp",
      "bad_huge_width.bmp", "bad_huge_area.bmp", "bad_huge_rle.bmp", "bad_zero_width.bmp", "bad_zero_height.bmp",
      "bad_min_height.bmp", "bad_planes.bmp", "bad_bitcount.bmp", "bad_compression_jpeg.bmp", "bad_header_size.bmp",
      "bad_offset_past_end.bmp", "bad_offset_inside_header.bmp", "bad_rle_size_past_end.bmp",
      "bad_rle_truncated_absolute.bmp", "bad_rle_truncated_delta.bmp", "bad_rle_topdown.bmp",
      "bad_fields_overlap.bmp", "bad_palette_none.bmp",
  };
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(3, 2);
  Fill(&b, clRed);
  for (const char* f : files) {
    SCOPED_TRACE(f);
    try {
      b.LoadFromFile(Fixture(f));
      ADD_FAILURE() << "loaded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "ビットマップ イメージは無効です");
    }
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(b.Canvas()->Pixels(2, 1), clRed);
  }
  // Runs past the row are clipped, not refused.
  TBitmap clipped;
  clipped.LoadFromFile(Fixture("clip_rle8_run_past_row.bmp"));
  EXPECT_EQ(clipped.Canvas()->Pixels(6, H - 1), Pal(4));
  EXPECT_EQ(clipped.Canvas()->Pixels(6, H - 2), Pal(7));
  // An empty stream is an empty bitmap, as in the framework.
  TMemoryStream empty;
  clipped.LoadFromStream(&empty);
  EXPECT_TRUE(clipped.Empty());
}

TEST(Bitmap, SaveWritesA24BitFileTheWayTheFrameworkDoes) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) b.Canvas()->SetPixels(x, y, static_cast<TColor>(RGB(x * 40, y * 80, 7)));
  b.SaveToFile("page.bmp");
  const std::vector<uint8_t> f = ReadFile("page.bmp");
  auto u32 = [&](size_t o) { return f[o] | (f[o + 1] << 8) | (f[o + 2] << 16) | (uint32_t(f[o + 3]) << 24); };
  const size_t stride = 16;  // 5 * 3 = 15 bytes padded to 16
  ASSERT_EQ(f.size(), 54 + stride * 3);
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[1], 'M');
  EXPECT_EQ(u32(2), f.size());
  EXPECT_EQ(u32(10), 54u);
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(static_cast<int32_t>(u32(22)), 3);  // positive height: rows bottom-up
  EXPECT_EQ(f[28], 24);
  EXPECT_EQ(u32(30), 0u);  // BI_RGB
  // The first row in the file is the bottom row (y = 2): blue, green, red bytes.
  EXPECT_EQ(f[54 + 0], 7);
  EXPECT_EQ(f[54 + 1], 160);
  EXPECT_EQ(f[54 + 2], 0);
  EXPECT_EQ(f[54 + 3 * 4 + 2], 160);
  EXPECT_EQ(f[54 + 15], 0);  // padding

  TBitmap back;
  back.LoadFromFile("page.bmp");
  EXPECT_EQ(back.PixelFormat(), pf24bit);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(std::memcmp(back.ScanLine(y), b.ScanLine(y), 15), 0) << y;
}

TEST(Bitmap, EveryPixelFormatSurvivesASaveAndALoad) {
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice}) {
    SCOPED_TRACE(static_cast<int>(pf));
    TBitmap b;
    b.SetPixelFormat(pf);
    b.SetSize(13, 5);
    Fill(&b, clWhite);
    b.Canvas()->SetPixels(0, 0, clBlack);
    b.Canvas()->SetPixels(12, 4, clBlack);
    b.Canvas()->SetPixels(6, 2, pf == pf1bit ? clBlack : clRed);
    TMemoryStream s;
    b.SaveToStream(&s);
    s.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(&s);
    EXPECT_EQ(back.PixelFormat(), pf == pfDevice ? pf32bit : pf);
    ASSERT_EQ(back.Width(), 13);
    ASSERT_EQ(back.Height(), 5);
    const size_t rowBytes = (13 * back.BitCount() + 7) / 8;
    for (int y = 0; y < 5; ++y) EXPECT_EQ(std::memcmp(back.ScanLine(y), b.ScanLine(y), rowBytes), 0) << y;
    EXPECT_EQ(back.Canvas()->Pixels(12, 4), clBlack);
    EXPECT_EQ(back.Canvas()->Pixels(1, 1), clWhite);
  }
}

TEST(Bitmap, StreamsHoldingSeveralPicturesLoadOneAtATime) {
  TBitmap a, b;
  a.SetPixelFormat(pf24bit);
  a.SetSize(3, 3);
  Fill(&a, clRed);
  b.SetPixelFormat(pf8bit);
  b.SetSize(2, 5);
  Fill(&b, clBlue);
  TMemoryStream s;
  a.SaveToStream(&s);
  b.SaveToStream(&s);
  const int64_t end = s.Position();
  s.SetPosition(0);
  TBitmap x, y;
  x.LoadFromStream(&s);
  y.LoadFromStream(&s);
  EXPECT_EQ(s.Position(), end);
  EXPECT_EQ(x.Width(), 3);
  EXPECT_EQ(y.Height(), 5);
  EXPECT_EQ(y.PixelFormat(), pf8bit);
  EXPECT_EQ(y.Canvas()->Pixels(1, 4), clBlue);
}

TEST(Bitmap, ScanLineAddressesRowsTopDown) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(4, 3);
  // Storage is bottom-up: the top row lies highest in memory.
  EXPECT_EQ(b.ScanLine(0) - b.ScanLine(1), static_cast<ptrdiff_t>(b.Stride()));
  b.ScanLine(0)[0] = 0x11;  // blue of (0, 0)
  b.ScanLine(2)[3 * 3 + 2] = 0x22;  // red of (3, 2)
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), static_cast<TColor>(RGB(0, 0, 0x11)));
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), static_cast<TColor>(RGB(0x22, 0, 0)));
  try {
    b.ScanLine(3);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "スキャン ラインのインデックスが範囲を超えています");
  }
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
  // A device bitmap is 32 bits a pixel and becomes a DIB on direct access.
  TBitmap d;
  d.SetSize(2, 2);
  EXPECT_EQ(d.PixelFormat(), pfDevice);
  EXPECT_EQ(d.HandleType(), bmDDB);
  d.ScanLine(0);
  EXPECT_EQ(d.PixelFormat(), pf32bit);
  EXPECT_EQ(d.HandleType(), bmDIB);
}

TEST(Bitmap, WidthThenHeightMakesABitmap) {
  TBitmap b;
  b.SetWidth(5);
  EXPECT_EQ(b.Width(), 5);
  EXPECT_TRUE(b.Empty());
  b.SetPixelFormat(pf24bit);
  b.SetHeight(3);
  EXPECT_FALSE(b.Empty());
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Height(), 3);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(b.Canvas()->Pixels(4, 2), clBlack);  // new pixel memory is black
  b.SetHeight(0);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Width(), 5);
  TBitmap c;
  c.Assign(&b);
  EXPECT_EQ(c.Width(), 5);
  EXPECT_TRUE(c.Empty());
}

TEST(Bitmap, ResizingKeepsTheTopLeftAndBlackensTheRest) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(4, 4);
  Fill(&b, clYellow);
  b.SetSize(6, 5);
  EXPECT_EQ(b.Canvas()->Pixels(3, 3), clYellow);
  EXPECT_EQ(b.Canvas()->Pixels(4, 0), clBlack);
  EXPECT_EQ(b.Canvas()->Pixels(0, 4), clBlack);
  // Stretching a bitmap over itself after it grew (the tray is made so).
  TCanvas* c = b.Canvas();
  StretchBlt(c->Handle(), 0, 0, 6, 5, c->Handle(), 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(b.Canvas()->Pixels(5, 4), clYellow);
  b.SetSize(2, 1);
  EXPECT_EQ(b.Canvas()->Pixels(1, 0), clYellow);
  b.SetSize(0, 0);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Handle(), nullptr);
}

TEST(Bitmap, PixelFormatConversions) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(3, 1);
  b.Canvas()->SetPixels(0, 0, static_cast<TColor>(RGB(250, 10, 10)));
  b.Canvas()->SetPixels(1, 0, static_cast<TColor>(RGB(200, 200, 200)));
  b.Canvas()->SetPixels(2, 0, static_cast<TColor>(RGB(0, 0, 100)));
  TBitmap c;
  c.Assign(&b);
  c.SetPixelFormat(pf8bit);  // the nearest colours of the default table
  EXPECT_EQ(c.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(c.Canvas()->Pixels(2, 0), static_cast<TColor>(RGB(0, 0, 102)));
  c.SetPixelFormat(pf24bit);
  EXPECT_EQ(c.Canvas()->Pixels(0, 0), clRed);
  c.Assign(&b);
  c.SetMonochrome(true);
  EXPECT_EQ(c.PixelFormat(), pf1bit);
  EXPECT_EQ(c.Canvas()->Pixels(0, 0), clBlack);
  EXPECT_EQ(c.Canvas()->Pixels(1, 0), clWhite);
  EXPECT_EQ(c.TransparentColor(), clWhite);  // a monochrome bitmap's automatic colour
  c.Assign(&b);
  c.SetPixelFormat(pf16bit);
  const uint8_t* row = c.ScanLine(0);
  EXPECT_EQ(row[2] | (row[3] << 8), (25 << 11) | (50 << 5) | 25);  // 200, 200, 200 in 5-6-5
  EXPECT_THROW(c.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST(Bitmap, AssignCopiesAndTransparencySettingsFollow) {
  TBitmap a;
  a.SetPixelFormat(pf8bit);
  a.SetSize(4, 4);
  Fill(&a, clTeal);
  a.SetTransparent(true);
  a.SetTransparentColor(clTeal);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  EXPECT_EQ(b.TransparentColor(), clTeal);
  EXPECT_EQ(b.Canvas()->Pixels(3, 3), clTeal);
  Fill(&a, clRed);  // a copy, not a share
  EXPECT_EQ(b.Canvas()->Pixels(3, 3), clTeal);
  b.SetTransparentMode(tmAuto);
  EXPECT_EQ(b.TransparentColor(), clTeal);  // the bottom-left pixel
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, HandlesCanBeAdoptedAndReleased) {
  TBitmap a;
  a.SetPixelFormat(pf24bit);
  a.SetSize(3, 2);
  Fill(&a, clLime);
  HBITMAP h = a.ReleaseHandle();
  EXPECT_TRUE(a.Empty());
  TBitmap b;
  b.SetHandle(h);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(b.Canvas()->Pixels(2, 1), clLime);
  // A device bitmap is copied into a section of its own.
  HDC screen = CreateCompatibleDC(nullptr);
  HBITMAP ddb = CreateBitmap(5, 5, 1, 1, nullptr);
  TBitmap m;
  m.SetHandle(ddb);
  EXPECT_EQ(m.PixelFormat(), pf1bit);
  EXPECT_EQ(m.Width(), 5);
  DeleteDC(screen);
  // Sections report a positive height whichever way their rows run: a top-down one keeps its
  // picture the right way up, and a bottom-up one is adopted as it is.
  for (int height : {-2, 2}) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 1;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    uint8_t* px = static_cast<uint8_t*>(bits);
    px[2] = 255;      // first stored row: red
    px[4 + 1] = 255;  // second stored row: green
    TBitmap t;
    t.SetHandle(section);
    EXPECT_EQ(t.Canvas()->Pixels(0, 0), height < 0 ? clRed : clLime) << height;
    EXPECT_EQ(t.Canvas()->Pixels(0, 1), height < 0 ? clLime : clRed) << height;
    EXPECT_EQ(t.Handle() == section, height > 0) << height;
  }
  // Rows whose colours look alike (a table of one colour) go by the section's own direction too.
  for (int height : {-3, 3}) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 1;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 8;
    bi.bmiHeader.biClrUsed = 1;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    uint8_t* px = static_cast<uint8_t*>(bits);
    px[0] = 7;       // first stored row
    px[2 * 4] = 11;  // last stored row
    TBitmap t;
    t.SetHandle(section);
    EXPECT_EQ(t.Height(), 3) << height;
    EXPECT_EQ(t.Handle() == section, height > 0) << height;
    if (height > 0) EXPECT_EQ(t.ScanLine(0)[0], 11);  // the top row is stored last
  }
}

TEST(Bitmap, PaletteOfAnIndexedBitmap) {
  TBitmap b;
  b.LoadFromFile(Fixture("good_4bit_short_table.bmp"));
  HPALETTE p = b.Palette();
  ASSERT_NE(p, nullptr);
  PALETTEENTRY e[16]{};
  ASSERT_EQ(GetPaletteEntries(p, 0, 16, e), 16u);
  EXPECT_EQ(RGB(e[3].peRed, e[3].peGreen, e[3].peBlue), static_cast<COLORREF>(Pal(3)));
  // Setting a palette replaces the colour table; the indices stay.
  TBitmap c;
  c.SetPixelFormat(pf4bit);
  c.SetSize(2, 1);
  c.SetPalette(p);
  EXPECT_EQ(c.Canvas()->Pixels(0, 0), Pal(0));
  TBitmap t;
  t.SetPixelFormat(pf24bit);
  t.SetSize(1, 1);
  EXPECT_EQ(t.Palette(), nullptr);
}

namespace {

// The file SaveToStream writes is the codec's layout byte for byte, whether the rows go out as
// they lie (no padding) or are padded to 4 bytes; LoadFromStream reads both back.
TEST(BitmapFile, SavedBytesAreTheCodecLayoutWithAndWithoutPadding) {
  const struct Case {
    TPixelFormat pf;
    int w, bpp;
  } kCases[] = {{pf24bit, 4, 24}, {pf24bit, 5, 24}, {pf24bit, 1920, 24}, {pf32bit, 3, 32}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.w);
    TBitmap b;
    b.SetPixelFormat(c.pf);
    b.SetSize(c.w, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < c.w; ++x) b.Canvas()->SetPixels(x, y, TrueColour(x % 8, y));
    TMemoryStream s;
    b.SaveToStream(&s);
    vse::bmp::Format f;
    f.width = c.w;
    f.height = 3;
    f.bitCount = static_cast<uint16_t>(c.bpp);
    std::vector<uint8_t> rows(f.Stride() * 3, 0);  // bottom-up, padding zero
    const size_t rowBytes = static_cast<size_t>(c.w) * c.bpp / 8;
    for (int y = 0; y < 3; ++y) std::memcpy(rows.data() + (2 - y) * f.Stride(), b.ScanLine(y), rowBytes);
    const std::vector<uint8_t> want = vse::bmp::Encode(f, rows.data(), f.Stride());
    ASSERT_EQ(s.Size(), static_cast<int64_t>(want.size()));
    EXPECT_EQ(std::memcmp(s.Memory(), want.data(), want.size()), 0);
    // Read back from a stream holding the file twice: each read stops at its file's end.
    b.SaveToStream(&s);
    s.SetPosition(0);
    for (int copy = 0; copy < 2; ++copy) {
      TBitmap back;
      back.LoadFromStream(&s);
      EXPECT_EQ(s.Position(), static_cast<int64_t>(want.size()) * (copy + 1));
      ASSERT_EQ(back.Width(), c.w);
      ASSERT_EQ(back.Height(), 3);
      for (int y = 0; y < 3; ++y) EXPECT_EQ(std::memcmp(back.ScanLine(y), b.ScanLine(y), rowBytes), 0) << copy << y;
    }
  }
}

}  // namespace
