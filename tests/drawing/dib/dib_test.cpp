// TDIB: BMP streams of every depth and compression, hostile headers, copy-on-write, pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "DIB.h"

namespace {

const int W = 7, H = 4;

std::string Fixture(const char* name) { return std::string(TEST_DATA_DIR) + "/graphics/bmp/" + name; }

std::vector<uint8_t> ReadFile(const std::string& path) {
  TMemoryStream s;
  s.LoadFromFile(path.c_str());
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(p, p + s.Size());
}

void LoadBytes(TDIB& dib, const std::vector<uint8_t>& bytes) {
  TMemoryStream s;
  if (!bytes.empty()) s.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  s.SetPosition(0);
  dib.LoadFromStream(&s);
}

std::vector<uint8_t> SaveBytes(TDIB& dib) {
  TMemoryStream s;
  dib.SaveToStream(&s);
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(p, p + s.Size());
}

// The pictures the fixture script draws.
uint32_t Index(int x, int y, int n) { return static_cast<uint32_t>((x + 3 * y) % n); }
uint32_t Rgb(int x, int y) {
  const uint32_t r = x * 30 + 10, g = y * 50 + 20, b = (x * y * 9 + 7) % 256;
  return (r << 16) | (g << 8) | b;
}
// A 24-bit pixel as TDIB.Pixels reads it: the bytes in memory order (blue, green, red) from the
// high byte down.
uint32_t Bgr(int x, int y) {
  const uint32_t v = Rgb(x, y);
  return ((v & 0xFF) << 16) | (v & 0xFF00) | (v >> 16);
}
RGBQUAD Pal(int i) {
  return RGBQUAD{static_cast<uint8_t>((i * 37) % 256), static_cast<uint8_t>((255 - i * 10) % 256 & 0xFF),
                 static_cast<uint8_t>((i * 20 + 5) % 256), 0};
}

enum Kind { Indexed, True24, True32, Word555, Word565, Fields32, BadGraphic, BadOperation, Loads };

struct Case {
  const char* file;
  Kind kind;
  int bits;
  int colors;
};

const Case kCases[] = {
    {"good_1bit.bmp", Indexed, 1, 2},
    {"good_4bit.bmp", Indexed, 4, 16},
    {"good_4bit_short_table.bmp", Indexed, 4, 6},
    {"good_8bit.bmp", Indexed, 8, 256},
    {"good_8bit_short_table.bmp", Indexed, 8, 12},
    {"good_8bit_topdown.bmp", Indexed, 8, 256},
    {"good_8bit_core.bmp", Indexed, 8, 256},
    {"good_24bit.bmp", True24, 24, 0},
    {"good_24bit_topdown.bmp", True24, 24, 0},
    {"good_24bit_core.bmp", True24, 24, 0},
    {"good_32bit.bmp", True32, 32, 0},
    {"good_16bit_555.bmp", Word555, 16, 0},
    {"good_16bit_565.bmp", Word565, 16, 0},
    {"good_32bit_fields_rgba.bmp", BadOperation, 0, 0},  // red in the low byte: not a DIB format
    {"good_16bit_444.bmp", BadOperation, 0, 0},
    {"good_32bit_v4.bmp", BadGraphic, 0, 0},  // only the 12- and 40-byte headers are read
    {"good_32bit_v5.bmp", BadGraphic, 0, 0},
    {"good_24bit_v5.bmp", BadGraphic, 0, 0},
    {"bad_empty_header.bmp", BadGraphic, 0, 0},
    {"bad_truncated_header.bmp", BadGraphic, 0, 0},
    {"bad_truncated_pixels.bmp", BadGraphic, 0, 0},
    {"bad_signature.bmp", BadGraphic, 0, 0},
    {"bad_huge_width.bmp", BadGraphic, 0, 0},
    {"bad_huge_area.bmp", BadGraphic, 0, 0},
    {"bad_huge_rle.bmp", BadGraphic, 0, 0},
    {"bad_zero_width.bmp", BadGraphic, 0, 0},
    {"bad_zero_height.bmp", BadGraphic, 0, 0},
    {"bad_negative_width.bmp", BadGraphic, 0, 0},
    {"bad_min_height.bmp", BadGraphic, 0, 0},
    {"bad_bitcount.bmp", BadGraphic, 0, 0},  // 7 bits: its 128-entry table runs past the data
    {"bad_compression_jpeg.bmp", BadGraphic, 0, 0},
    {"bad_header_size.bmp", BadGraphic, 0, 0},
    {"bad_rle_size_past_end.bmp", BadGraphic, 0, 0},
    {"bad_rle_topdown.bmp", BadGraphic, 0, 0},
    {"bad_rle8_bitcount.bmp", BadGraphic, 0, 0},
    {"bad_fields_overlap.bmp", BadOperation, 0, 0},
    {"bad_fields_gappy.bmp", BadOperation, 0, 0},
    {"bad_fields_truncated_masks.bmp", BadGraphic, 0, 0},
    {"bad_palette_missing.bmp", BadGraphic, 0, 0},
    // The pixel offset of the file header is not used: these read the data that follows the table.
    {"bad_offset_past_end.bmp", Loads, 0, 0},
    {"bad_offset_inside_header.bmp", Loads, 0, 0},
    {"bad_planes.bmp", Loads, 0, 0},
    {"bad_rle_truncated_absolute.bmp", Loads, 0, 0},
    {"bad_rle_truncated_delta.bmp", Loads, 0, 0},
};

void ExpectPicture(TDIB& dib, const Case& c) {
  ASSERT_EQ(dib.Width(), W);
  ASSERT_EQ(dib.Height(), H);
  ASSERT_EQ(dib.BitCount(), c.bits);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint32_t want = 0;
      switch (c.kind) {
        case Indexed: want = Index(x, y, c.colors); break;
        case True24: want = Bgr(x, y); break;
        case True32: want = 0x80000000u | Rgb(x, y); break;
        case Word555: want = (x * 4) << 10 | (y * 7) << 5 | (x + y); break;
        case Word565: want = (x * 4) << 11 | (y * 9) << 5 | (x + y); break;
        default: break;
      }
      EXPECT_EQ(dib.Pixels(x, y), want) << c.file << " at " << x << "," << y;
    }
  for (int i = 0; i < c.colors; ++i) {
    const RGBQUAD p = Pal(i);
    EXPECT_EQ(std::memcmp(&dib.ColorTable[i], &p, 3), 0) << c.file << " colour " << i;
  }
}

// A DIB holding something, so that a refused stream can be seen to leave it alone.
void MakeMarker(TDIB& dib) {
  dib.SetSize(2, 3, 24);
  dib.SetPixels(1, 2, 0x123456);
}

TEST(DIBStream, FixturesLoadOrAreRefusedLeavingTheDIBAsItWas) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    TDIB dib;
    MakeMarker(dib);
    const auto bytes = ReadFile(Fixture(c.file));
    switch (c.kind) {
      case BadGraphic:
        EXPECT_THROW(LoadBytes(dib, bytes), EInvalidGraphic);
        break;
      case BadOperation:
        EXPECT_THROW(LoadBytes(dib, bytes), EInvalidGraphicOperation);
        break;
      case Loads:
        EXPECT_NO_THROW(LoadBytes(dib, bytes));
        EXPECT_EQ(dib.Width(), W);
        continue;
      default:
        ASSERT_NO_THROW(LoadBytes(dib, bytes));
        ExpectPicture(dib, c);
        continue;
    }
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(dib.Height(), 3);
    EXPECT_EQ(dib.Pixels(1, 2), 0x123456u);
  }
}

TEST(DIBStream, InvalidMessageIsTheDIBOne) {
  TDIB dib;
  try {
    LoadBytes(dib, ReadFile(Fixture("bad_zero_width.bmp")));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), AnsiString("不正な DIB です"));
  }
  dib.SetSize(1, 1, 8);
  try {
    dib.SetSize(1, 1, 7);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), AnsiString("不正なビット数です (7)"));
  }
}

TEST(DIBStream, RunLengthFilesStayCompressedAndDecodeWhenTouched) {
  struct Rle {
    const char* file;
    int bits;
    std::vector<std::vector<uint32_t>> rows;  // top row first
  };
  std::vector<std::vector<uint32_t>> rle8(H), rle4(H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      rle8[y].push_back(y == 1 ? 5 : Index(x, y, 256));
      rle4[y].push_back(Index(x, y, 16));
    }
  const Rle cases[] = {
      {"good_rle8.bmp", 8, rle8},
      {"good_rle4.bmp", 4, rle4},
      {"good_rle8_delta.bmp", 8, {{0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 9, 9}, {7, 7, 7, 0, 0, 0, 0}}},
      // Runs past the row's end are cut there, not carried into the next row.
      {"clip_rle8_run_past_row.bmp", 8, {{0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7}, {4, 4, 4, 4, 4, 4, 4}}},
      {"clip_rle8_delta_past_image.bmp", 8, {{0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {3, 3, 0, 0, 0, 0, 0}}},
      {"clip_rle4_run_past_row.bmp", 4, {{0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}, {1, 2, 1, 2, 1, 2, 1}}},
  };
  for (const Rle& c : cases) {
    SCOPED_TRACE(c.file);
    const auto bytes = ReadFile(Fixture(c.file));
    TDIB dib;
    ASSERT_NO_THROW(LoadBytes(dib, bytes));
    EXPECT_TRUE(dib.Image()->Compressed);
    // Saved as read: still run-length data.
    const auto saved = SaveBytes(dib);
    const size_t dataStart = 14 + 40 + (c.bits == 8 ? 1024 : 64);
    ASSERT_EQ(saved.size(), bytes.size());
    EXPECT_EQ(saved[14 + 16], c.bits == 8 ? BI_RLE8 : BI_RLE4);
    EXPECT_TRUE(std::equal(saved.begin() + dataStart, saved.end(), bytes.begin() + dataStart));
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) EXPECT_EQ(dib.Pixels(x, y), c.rows[y][x]) << x << "," << y;
    EXPECT_FALSE(dib.Image()->Compressed);
  }
}

TEST(DIBStream, CompressedImagesDrawWithoutBeingDecodedFirst) {
  TDIB dib;
  LoadBytes(dib, ReadFile(Fixture("good_rle8.bmp")));
  ASSERT_TRUE(dib.Image()->Compressed);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(W, H);
  bmp.Canvas()->Draw(0, 0, &dib);
  EXPECT_TRUE(dib.Image()->Compressed);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const RGBQUAD p = Pal(y == 1 ? 5 : static_cast<int>(Index(x, y, 256)));
      EXPECT_EQ(bmp.Canvas()->Pixels(x, y), static_cast<TColor>(p.rgbRed | (p.rgbGreen << 8) | (p.rgbBlue << 16)))
          << x << "," << y;
    }
}

// Headers written here, so each hostile field is on its own.
std::vector<uint8_t> Header(int32_t w, int32_t h, uint16_t bits, uint32_t comp, uint32_t sizeImage, uint32_t used = 0) {
  std::vector<uint8_t> v(14 + 40, 0);
  v[0] = 'B';
  v[1] = 'M';
  BITMAPINFOHEADER bi{};
  bi.biSize = 40;
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = bits;
  bi.biCompression = comp;
  bi.biSizeImage = sizeImage;
  bi.biClrUsed = used;
  std::memcpy(v.data() + 14, &bi, 40);
  return v;
}

void Append(std::vector<uint8_t>& v, std::initializer_list<uint8_t> bytes) { v.insert(v.end(), bytes); }

TEST(DIBStream, HostileHeadersAreRefusedBeforeAnythingIsAllocated) {
  struct Bad {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  auto rle = [](int32_t w, int32_t h, uint32_t sizeImage, std::initializer_list<uint8_t> data) {
    auto v = Header(w, h, 8, BI_RLE8, sizeImage, 1);
    Append(v, {0, 0, 0, 0});
    Append(v, data);
    return v;
  };
  const Bad cases[] = {
      {"width 0", Header(0, 4, 24, BI_RGB, 0)},
      {"negative width", Header(-1, 4, 24, BI_RGB, 0)},
      {"height 0", Header(4, 0, 24, BI_RGB, 0)},
      {"negative height with RLE8", rle(4, -4, 2, {0, 1})},
      {"RLE size 0", rle(4, 4, 0, {0, 1})},
      {"RLE size past the data", rle(4, 4, 3, {0, 1})},
      {"RLE size far past the data", rle(4, 4, 0xFFFFFFFFu, {0, 1})},
      // 0x7FFFFFFF * 32 bits overflows 32-bit arithmetic; the 64-bit size is refused.
      {"row overflows 32 bits", Header(0x7FFFFFFF, 1, 32, BI_RGB, 0)},
      {"area overflows 32 bits", Header(0x10000, 0x10000, 32, BI_RGB, 0)},
      {"rows past the data", Header(1000, 1000, 8, BI_RGB, 0, 1)},
      {"top-down rows past the data", Header(1000, -1000, 24, BI_RGB, 0)},
      {"unknown compression", Header(4, 4, 24, 7, 0)},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.what);
    TDIB dib;
    EXPECT_THROW(LoadBytes(dib, c.bytes), EInvalidGraphic);
    EXPECT_TRUE(dib.Empty());
  }
}

TEST(DIBStream, ZeroMaskGivesNoBitsAndABadFormat) {
  auto v = Header(2, 2, 16, BI_BITFIELDS, 0);
  Append(v, {0, 0, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});
  v.resize(v.size() + 8, 0);
  TDIB dib;
  EXPECT_THROW(LoadBytes(dib, v), EInvalidGraphicOperation);
  const TDIBPixelFormat f = MakeDIBPixelFormatMask(0, 0x7E0, 0x1F);
  EXPECT_EQ(f.RBitCount, 0u);
  EXPECT_EQ(f.GBitCount, 6u);
  EXPECT_EQ(f.GShift, 5u);
}

TEST(DIBStream, EveryDepthSurvivesASaveAndALoad) {
  struct Depth {
    int bits;
    TDIBPixelFormat format;
  };
  const Depth depths[] = {{1, MakeDIBPixelFormat(8, 8, 8)},  {4, MakeDIBPixelFormat(8, 8, 8)},
                          {8, MakeDIBPixelFormat(8, 8, 8)},  {16, MakeDIBPixelFormat(5, 5, 5)},
                          {16, MakeDIBPixelFormat(5, 6, 5)}, {24, MakeDIBPixelFormat(8, 8, 8)},
                          {32, MakeDIBPixelFormat(8, 8, 8)}};
  for (const Depth& d : depths) {
    SCOPED_TRACE(d.bits);
    TDIB dib;
    dib.SetPixelFormat(d.format);
    for (int i = 0; i < 256; ++i) dib.ColorTable[i] = RGBQUAD{static_cast<uint8_t>(i), 7, static_cast<uint8_t>(255 - i), 0};
    dib.SetSize(13, 5, d.bits);
    const uint32_t mask = d.bits == 32 ? 0xFFFFFFFFu : (1u << d.bits) - 1;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 13; ++x) dib.SetPixels(x, y, (x * 2654435761u + y * 40503u) & mask);
    const auto bytes = SaveBytes(dib);
    TDIB back;
    LoadBytes(back, bytes);
    ASSERT_EQ(back.BitCount(), d.bits);
    EXPECT_TRUE(SameMasks(back.PixelFormat(), d.format));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 13; ++x) EXPECT_EQ(back.Pixels(x, y), (x * 2654435761u + y * 40503u) & mask);
    if (d.bits <= 8) {
      for (int i = 0; i < (1 << d.bits); ++i) EXPECT_EQ(back.ColorTable[i].rgbRed, 255 - i);
    }
    // File header: type, file size, pixel offset.
    uint32_t fileSize, offset;
    std::memcpy(&fileSize, bytes.data() + 2, 4);
    std::memcpy(&offset, bytes.data() + 10, 4);
    EXPECT_EQ(fileSize, bytes.size());
    EXPECT_EQ(offset, 14u + back.Image()->BitmapInfoSize);
  }
}

TEST(DIBStream, EmptyStreamLeavesTheDIBAsItWasAndEmptyDIBWritesNothing) {
  TDIB dib;
  MakeMarker(dib);
  LoadBytes(dib, {});
  EXPECT_EQ(dib.Pixels(1, 2), 0x123456u);
  TDIB empty;
  EXPECT_TRUE(SaveBytes(empty).empty());
}

TEST(DIBStream, MutatedFilesNeverReadOutsideTheirData) {
  const char* seeds[] = {"good_rle8.bmp", "good_rle4.bmp", "good_8bit_topdown.bmp", "good_16bit_565.bmp",
                         "good_24bit_core.bmp"};
  std::mt19937 rng(12345);
  for (const char* seed : seeds) {
    const auto base = ReadFile(Fixture(seed));
    for (int round = 0; round < 400; ++round) {
      auto bytes = base;
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int e = 0; e < edits; ++e) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
      if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
      TDIB dib;
      try {
        LoadBytes(dib, bytes);
        for (int y = 0; y < dib.Height() && y < 64; ++y)
          for (int x = 0; x < dib.Width() && x < 64; ++x) dib.Pixels(x, y);
      } catch (const Exception&) {
      }
    }
  }
}

TEST(DIBImage, StridesColourTablesAndPixelLayout) {
  TDIB one;
  one.SetSize(1, 1, 8);
  EXPECT_EQ(one.WidthBytes(), 4);
  EXPECT_EQ(one.Image()->ColorTableCount, 256);
  EXPECT_EQ(one.Image()->BitmapInfoSize, 40 + 1024);
  TDIB three;
  three.SetSize(3, 2, 24);
  EXPECT_EQ(three.WidthBytes(), 12);
  EXPECT_EQ(three.NextLine(), -12);

  TDIB four;
  four.SetSize(4, 3, 4);
  four.SetPixels(1, 0, 0xAB);
  uint8_t* bits = four.PBits();
  // The top row is the last one in memory; pixel 1 is the low nibble.
  EXPECT_EQ(bits[2 * four.WidthBytes()], 0x0B);
  EXPECT_EQ(bits[0], 0);
  EXPECT_EQ(four.TopPBits(), bits + 2 * four.WidthBytes());
  four.SetPixels(4, 0, 1);  // outside: ignored
  four.SetPixels(0, -1, 1);
  EXPECT_EQ(bits[2 * four.WidthBytes()], 0x0B);

  TDIB mono;
  mono.SetSize(9, 1, 1);
  mono.SetPixels(0, 0, 1);
  mono.SetPixels(8, 0, 3);
  EXPECT_EQ(mono.PBits()[0], 0x80);
  EXPECT_EQ(mono.PBits()[1], 0x80);
}

TEST(DIBImage, NewPixelsAreZeroAndBadFormatsAreRefused) {
  TDIB dib;
  dib.SetSize(64, 64, 32);
  for (int i = 0; i < dib.Size(); ++i) ASSERT_EQ(dib.PBits()[i], 0);
  dib.SetPixelFormat(MakeDIBPixelFormat(5, 6, 5));
  EXPECT_THROW(dib.SetSize(8, 8, 24), EInvalidGraphicOperation);
  EXPECT_EQ(dib.Width(), 64);  // a failed resize leaves the DIB as it was
  dib.SetSize(8, 8, 16);
  EXPECT_EQ(dib.BitCount(), 16);
  dib.SetSize(0, 5, 16);
  EXPECT_TRUE(dib.Empty());
  dib.SetWidth(5);  // from empty: 8 bits
  EXPECT_EQ(dib.Width(), 5);
  EXPECT_EQ(dib.Height(), 1);
  EXPECT_EQ(dib.BitCount(), 8);
}

TEST(DIBImage, SharedImagesStayIndependent) {
  TDIB a;
  a.SetSize(4, 4, 24);
  a.SetPixels(0, 0, 0x112233);
  TDIB b;
  b.Assign(&a);
  EXPECT_EQ(a.Image(), b.Image());
  // Drawing on b's canvas first gives b pixels of its own.
  b.Canvas()->Brush()->SetColor(TColorOf(0x0000FF));
  b.Canvas()->FillRect(Rect(0, 0, 4, 4));
  EXPECT_NE(a.Image(), b.Image());
  EXPECT_EQ(a.Pixels(0, 0), 0x112233u);
  EXPECT_EQ(b.Pixels(0, 0), 0x0000FFu);  // red, as a 24-bit pixel value
  // Pixel writes copy as well.
  TDIB c;
  c.Assign(&a);
  c.SetPixels(1, 1, 0x445566);
  EXPECT_EQ(a.Pixels(1, 1), 0u);
  EXPECT_EQ(c.Pixels(0, 0), 0x112233u);
}

TEST(DIBImage, PaletteFollowsTheColourTable) {
  TDIB dib;
  dib.SetSize(2, 2, 8);
  dib.ColorTable[3] = RGBQUAD{10, 20, 30, 0};
  dib.UpdatePalette();
  HPALETTE p = dib.Palette();
  ASSERT_NE(p, nullptr);
  PALETTEENTRY e{};
  GetPaletteEntries(p, 3, 1, &e);
  EXPECT_EQ(e.peRed, 30);
  EXPECT_EQ(e.peBlue, 10);
  // Two DIBs of the same table share one palette.
  TDIB other;
  other.ColorTable = dib.ColorTable;
  other.SetSize(3, 3, 8);
  EXPECT_EQ(other.Palette(), p);
  TDIB rgb;
  rgb.SetSize(2, 2, 24);
  EXPECT_EQ(rgb.Palette(), nullptr);
}

TEST(DIBImage, DrawsOntoCanvasesAndTakesBitmaps) {
  TDIB dib;
  dib.SetSize(2, 1, 8);
  dib.ColorTable[0] = RGBQUAD{0, 0, 255, 0};  // red
  dib.ColorTable[1] = RGBQUAD{255, 0, 0, 0};  // blue
  dib.UpdatePalette();
  dib.SetPixels(1, 0, 1);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(4, 2);
  bmp.Canvas()->StretchDraw(Rect(0, 0, 4, 2), &dib);
  EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(bmp.Canvas()->Pixels(3, 1), clBlue);

  TDIB back;
  back.Assign(&bmp);
  EXPECT_EQ(back.BitCount(), 24);
  EXPECT_EQ(back.Pixels(0, 0), 0x0000FFu);  // red
  EXPECT_EQ(back.Pixels(3, 1), 0xFF0000u);  // blue

  // A picture holding a DIB, and the "dib" extension.
  EXPECT_NE(TPicture::FileFormatClass("dib"), nullptr);
  TPicture pic;
  pic.SetGraphic(&dib);
  ASSERT_NE(dynamic_cast<TDIB*>(pic.Graphic()), nullptr);
  TDIB fromPicture;
  fromPicture.Assign(&pic);
  EXPECT_EQ(fromPicture.Pixels(1, 0), 1u);
}

TEST(DIBImage, TwentyFourBitPixelsTakeTheValuesBytesHighFirst) {
  TDIB dib;
  dib.SetSize(3, 2, 24);
  dib.SetPixels(1, 0, 0x123456);
  const uint8_t* top = dib.ScanLine(0);
  EXPECT_EQ(top[3], 0x12);
  EXPECT_EQ(top[4], 0x34);
  EXPECT_EQ(top[5], 0x56);
  EXPECT_EQ(dib.Pixels(1, 0), 0x123456u);
  // So a TColor lands as that colour: red in the low byte is the pixel's red.
  dib.SetPixels(0, 1, static_cast<uint32_t>(clRed));
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(3, 2);
  bmp.Canvas()->Draw(0, 0, &dib);
  EXPECT_EQ(bmp.Canvas()->Pixels(0, 1), clRed);
  EXPECT_EQ(bmp.Canvas()->Pixels(1, 0), static_cast<TColor>(0x123456));
  // Other depths keep the little-endian word.
  TDIB wide;
  wide.SetSize(2, 1, 32);
  wide.SetPixels(1, 0, 0x00123456);
  EXPECT_EQ(wide.ScanLine(0)[4], 0x56);
  EXPECT_EQ(wide.Pixels(1, 0), 0x00123456u);
}

TEST(DIBImage, ClipboardBlockRoundTrips) {
  TDIB dib;
  dib.SetSize(3, 2, 32);
  dib.SetPixels(2, 1, 0xABCDEF);
  uint16_t format = 0;
  std::vector<uint8_t> data;
  HPALETTE pal = reinterpret_cast<HPALETTE>(1);
  dib.SaveToClipboardFormat(format, data, pal);
  EXPECT_EQ(format, 8);
  EXPECT_EQ(pal, nullptr);
  TDIB back;
  back.LoadFromClipboardFormat(format, data, nullptr);
  EXPECT_EQ(back.Pixels(2, 1), 0xABCDEFu);
}

}  // namespace
