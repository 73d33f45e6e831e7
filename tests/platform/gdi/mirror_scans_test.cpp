// Mirrored blits and bands of scan lines: which pixels and rows the calls touch, at the edges
// of the bitmaps, with buffers sized exactly for what the caller promised (ASan sees overruns).
#include <cstring>
#include <memory>
#include <vector>
#include "gdi_test_util.h"

namespace {

const COLORREF kUntouched = RGB(1, 2, 3);

// A distinct colour for every pixel of an 8 x 8 source.
COLORREF Unique(int x, int y) { return RGB(10 + x * 20, 10 + y * 20, 77); }

struct Sign {
  int x, y;  // +1 or -1
};

// A rectangle of `n` pixels starting at `low` as a call names it: a negative extent is anchored
// at its last pixel.
int Anchor(int low, int n, int sign) { return sign > 0 ? low : low + n - 1; }

TEST(GdiMirror, EverySignCombinationAtTheBitmapEdges) {
  const int kSize = 8;
  const Sign signs[] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
  for (int bpp : {32, 24}) {
    TestCanvas src(kSize, kSize, bpp);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) SetPixel(src.dc, x, y, Unique(x, y));
    TestCanvas dst(kSize, kSize, bpp);
    for (int w = 1; w <= kSize; ++w)
      for (int h = 1; h <= kSize; ++h)
        for (const Sign& ss : signs)
          for (const Sign& ds : signs)
            // Both rectangles at the low edges, then both at the high edges.
            for (bool highEdge : {false, true}) {
              const int sx = highEdge ? kSize - w : 0, sy = highEdge ? kSize - h : 0;
              const int dx = highEdge ? kSize - w : 0, dy = highEdge ? kSize - h : 0;
              dst.Fill(kUntouched);
              ASSERT_TRUE(StretchBlt(dst.dc, Anchor(dx, w, ds.x), Anchor(dy, h, ds.y), ds.x * w, ds.y * h, src.dc,
                                     Anchor(sx, w, ss.x), Anchor(sy, h, ss.y), ss.x * w, ss.y * h, SRCCOPY));
              const bool flipX = ss.x != ds.x, flipY = ss.y != ds.y;
              for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x) {
                  const bool inside = x >= dx && x < dx + w && y >= dy && y < dy + h;
                  COLORREF want = kUntouched;
                  if (inside) {
                    const int i = x - dx, j = y - dy;
                    want = Unique(sx + (flipX ? w - 1 - i : i), sy + (flipY ? h - 1 - j : j));
                  }
                  ASSERT_EQ(dst.At(x, y), want) << bpp << " bpp " << w << "x" << h << " src signs " << ss.x << ","
                                                << ss.y << " dst signs " << ds.x << "," << ds.y << " high edge "
                                                << highEdge << " at " << x << "," << y;
                }
            }
  }
}

TEST(GdiMirror, NegativeSourceExtentsCoverTheAnchorPixel) {
  TestCanvas src(4, 4, 32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) SetPixel(src.dc, x, y, Unique(x, y));
  struct Case {
    int sx, sy, sw, sh;  // source rectangle as passed
    int dw, dh;          // destination (0, 0, dw, dh)
    std::vector<std::pair<int, int>> columnsRows;  // source (column, row) of each destination pixel, by rows
  };
  const Case cases[] = {
      // src(1, 1, -2, -2): columns 1 and 0, rows 1 and 0.
      {1, 1, -2, -2, 2, 2, {{1, 1}, {0, 1}, {1, 0}, {0, 0}}},
      // A mirrored doubling repeats each source pixel.
      {3, 0, -4, 1, 8, 1, {{3, 0}, {3, 0}, {2, 0}, {2, 0}, {1, 0}, {1, 0}, {0, 0}, {0, 0}}},
      // Anchored on the last row, mirrored upwards over the whole height.
      {0, 3, 1, -4, 1, 4, {{0, 3}, {0, 2}, {0, 1}, {0, 0}}},
  };
  for (const Case& c : cases) {
    TestCanvas dst(8, 4, 32, kUntouched);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, c.dw, c.dh, src.dc, c.sx, c.sy, c.sw, c.sh, SRCCOPY));
    size_t k = 0;
    for (int y = 0; y < c.dh; ++y)
      for (int x = 0; x < c.dw; ++x, ++k)
        EXPECT_EQ(dst.At(x, y), Unique(c.columnsRows[k].first, c.columnsRows[k].second))
            << c.sx << "," << c.sy << "," << c.sw << "," << c.sh << " at " << x << "," << y;
    EXPECT_EQ(dst.At(c.dw, 0), c.dw < 8 ? kUntouched : dst.At(c.dw, 0));
  }
  // A mirrored rectangle hanging over the source's edge draws only what exists.
  TestCanvas dst(4, 4, 32, kUntouched);
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, -2, 1, SRCCOPY));  // columns 0 and -1
  EXPECT_EQ(dst.At(0, 0), Unique(0, 0));
  EXPECT_EQ(dst.At(1, 0), kUntouched);
  // PatBlt keeps an ordinary rectangle for negative extents.
  TestCanvas pat(4, 1, 32, kUntouched);
  ScopedBrush brush(pat.dc, CreateSolidBrush(RGB(0, 0, 0)));
  ASSERT_TRUE(PatBlt(pat.dc, 3, 0, -2, 1, PATCOPY));
  EXPECT_EQ(pat.Map(RGB(0, 0, 0)), std::vector<std::string>{".##."});
}

// ---- Bands of scan lines ------------------------------------------------------------------------

constexpr uint32_t kSentinel = 0xA5A5A5A5u;

uint32_t RowColour(int row) { return 0x00100000u * static_cast<uint32_t>(row + 1) + 0x3Cu; }

BITMAPINFO Header32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  return bi;
}

// A buffer of exactly `lines` rows of `width` 32-bit pixels on the heap.
std::unique_ptr<uint32_t[]> Band(UINT lines, int width, uint32_t fill) {
  const size_t n = static_cast<size_t>(lines) * static_cast<size_t>(width);
  auto p = std::make_unique<uint32_t[]>(n == 0 ? 1 : n);
  for (size_t i = 0; i < n; ++i) p[i] = fill;
  return p;
}

struct ScanCase {
  int bitmapHeight;
  int headerHeight;  // negative: top-down
  UINT start, lines;
  int copied;        // the answer
};

// Scan k of an image counts from its bottom row when bottom-up and from its top row when
// top-down; the bitmap row (from the top) that holds it.
int RowOfScan(int k, bool topDown, int height) { return topDown ? k : height - 1 - k; }

const ScanCase kScanCases[] = {
    {8, 8, 0, 8, 8},     {8, 8, 3, 4, 4},     {8, 8, 5, 12, 3},  {8, 8, 8, 1, 0},   {8, 8, 7, 1, 1},
    {12, 12, 5, 12, 7},  {8, 12, 2, 10, 6},   {8, 4, 2, 4, 2},   {8, -8, 1, 3, 3},  {8, -8, 6, 5, 2},
    {8, -8, 0, 1, 1},    {8, -12, 4, 9, 4},   {1, 1, 0, 1, 1},   {1, -1, 1, 1, 0},  {8, 8, 0, 0, 0},
};

struct BitmapKind {
  const char* name;
  int sectionHeight;  // 0: a device bitmap; negative: a top-down section
};
const BitmapKind kBitmapKinds[] = {{"bottom-up section", 1}, {"top-down section", -1}, {"device bitmap", 0}};

HBITMAP MakeBitmap(const BitmapKind& kind, int width, int height) {
  if (kind.sectionHeight == 0) return CreateBitmap(width, height, 1, 32, nullptr);
  BITMAPINFO bi = Header32(width, kind.sectionHeight * height);
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

TEST(GdiScans, GetDIBitsFillsBufferRowZeroWithTheFirstScan) {
  const int kWidth = 3;
  HDC dc = CreateCompatibleDC(nullptr);
  for (const BitmapKind& kind : kBitmapKinds)
    for (const ScanCase& c : kScanCases) {
      HBITMAP bm = MakeBitmap(kind, kWidth, c.bitmapHeight);
      ASSERT_NE(bm, nullptr);
      HGDIOBJ old = SelectObject(dc, bm);
      for (int y = 0; y < c.bitmapHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
          const uint32_t v = RowColour(y);
          SetPixel(dc, x, y, RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
        }
      SelectObject(dc, old);
      BITMAPINFO bi = Header32(kWidth, c.headerHeight);
      auto buf = Band(c.lines, kWidth, kSentinel);
      EXPECT_EQ(GetDIBits(dc, bm, c.start, c.lines, buf.get(), &bi, DIB_RGB_COLORS), c.copied)
          << kind.name << " " << c.bitmapHeight << "/" << c.headerHeight << " from " << c.start << " x " << c.lines;
      const bool topDown = c.headerHeight < 0;
      for (UINT i = 0; i < c.lines; ++i) {
        const int scan = static_cast<int>(c.start + i);
        const uint32_t want =
            static_cast<int>(i) < c.copied ? RowColour(RowOfScan(scan, topDown, c.bitmapHeight)) : kSentinel;
        for (int x = 0; x < kWidth; ++x)
          EXPECT_EQ(buf[i * kWidth + x] & (want == kSentinel ? ~0u : 0xFFFFFFu), want)
              << kind.name << " " << c.bitmapHeight << "/" << c.headerHeight << " from " << c.start << " x "
              << c.lines << " buffer row " << i;
      }
      DeleteObject(bm);
    }
  DeleteDC(dc);
}

TEST(GdiScans, SetDIBitsTakesBufferRowZeroAsTheFirstScan) {
  const int kWidth = 3;
  HDC dc = CreateCompatibleDC(nullptr);
  for (const BitmapKind& kind : kBitmapKinds)
    for (const ScanCase& c : kScanCases) {
      HBITMAP bm = MakeBitmap(kind, kWidth, c.bitmapHeight);
      ASSERT_NE(bm, nullptr);
      HGDIOBJ old = SelectObject(dc, bm);
      HBRUSH b = CreateSolidBrush(kUntouched);
      RECT all{0, 0, kWidth, c.bitmapHeight};
      FillRect(dc, &all, b);
      DeleteObject(b);
      SelectObject(dc, old);
      // Buffer row i holds the colour of scan start + i.
      auto buf = Band(c.lines, kWidth, 0);
      for (UINT i = 0; i < c.lines; ++i)
        for (int x = 0; x < kWidth; ++x) buf[i * kWidth + x] = RowColour(static_cast<int>(c.start + i));
      BITMAPINFO bi = Header32(kWidth, c.headerHeight);
      EXPECT_EQ(SetDIBits(dc, bm, c.start, c.lines, buf.get(), &bi, DIB_RGB_COLORS), c.copied)
          << kind.name << " " << c.bitmapHeight << "/" << c.headerHeight << " from " << c.start << " x " << c.lines;
      old = SelectObject(dc, bm);
      const bool topDown = c.headerHeight < 0;
      for (int y = 0; y < c.bitmapHeight; ++y) {
        // The scan this bitmap row holds, in the header's direction.
        const int scan = RowOfScan(y, topDown, c.bitmapHeight);
        const bool set = scan >= static_cast<int>(c.start) && scan < static_cast<int>(c.start) + c.copied;
        const uint32_t v = RowColour(scan);
        const COLORREF want = set ? RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) : kUntouched;
        for (int x = 0; x < kWidth; ++x)
          EXPECT_EQ(GetPixel(dc, x, y), want) << kind.name << " " << c.bitmapHeight << "/" << c.headerHeight
                                              << " from " << c.start << " x " << c.lines << " row " << y;
      }
      SelectObject(dc, old);
      DeleteObject(bm);
    }
  DeleteDC(dc);
}

TEST(GdiScans, SetDIBitsToDeviceDrawsTheBandInsideTheSourceRectangle) {
  struct Case {
    int imageHeight;       // negative: top-down
    UINT start, lines;
    int ySrc;
    DWORD height;          // of the source and destination rectangles
    int copied;
  };
  const Case cases[] = {
      {16, 4, 12, 0, 11, 7},  {16, 6, 4, 0, 9, 3},  {8, 0, 8, 0, 8, 8},   {8, 2, 3, 0, 8, 3},
      {8, 2, 3, 3, 2, 2},     {8, 5, 10, 0, 8, 3},  {8, 0, 2, 4, 4, 0},   {-8, 1, 3, 0, 8, 3},
      {-8, 4, 6, 2, 3, 1},    {-8, 6, 4, 0, 8, 2},  {8, 8, 1, 0, 8, 0},   {8, 0, 8, 0, 0, 0},
      // Top-down bands under a source rectangle that starts below the first scan.
      {-8, 2, 4, 3, 4, 3},    {-8, 3, 5, 1, 2, 0},  {-16, 5, 20, 4, 10, 9}, {-8, 0, 8, 5, 3, 3},
      {-8, 7, 1, 7, 1, 1},    {-8, 7, 3, 6, 2, 1},  {-8, 2, 2, 2, 8, 2},    {-8, 8, 2, 0, 8, 0},
  };
  const int kWidth = 2;
  for (const Case& c : cases) {
    const bool topDown = c.imageHeight < 0;
    const int full = topDown ? -c.imageHeight : c.imageHeight;
    TestCanvas cv(kWidth, 20, 32, kUntouched);
    auto buf = Band(c.lines, kWidth, 0);
    for (UINT i = 0; i < c.lines; ++i)
      for (int x = 0; x < kWidth; ++x) buf[i * kWidth + x] = RowColour(static_cast<int>(c.start + i));
    BITMAPINFO bi = Header32(kWidth, c.imageHeight);
    EXPECT_EQ(SetDIBitsToDevice(cv.dc, 0, 1, kWidth, c.height, 0, c.ySrc, c.start, c.lines, buf.get(), &bi,
                                DIB_RGB_COLORS),
              c.copied)
        << c.imageHeight << " from " << c.start << " x " << c.lines << " ySrc " << c.ySrc << " height " << c.height;
    for (int y = 0; y < 20; ++y) {
      // Destination row 1 + j shows scan ySrc + j (top-down) or ySrc + height - 1 - j (bottom-up).
      const int j = y - 1;
      COLORREF want = kUntouched;
      if (j >= 0 && j < static_cast<int>(c.height)) {
        const int k = topDown ? c.ySrc + j : c.ySrc + static_cast<int>(c.height) - 1 - j;
        const int bufEnd = std::min<int>(static_cast<int>(c.start + c.lines), full);
        if (k >= static_cast<int>(c.start) && k < bufEnd) {
          const uint32_t v = RowColour(k);
          want = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        }
      }
      EXPECT_EQ(cv.At(0, y), want) << c.imageHeight << " from " << c.start << " x " << c.lines << " ySrc " << c.ySrc
                                   << " row " << y;
    }
  }
}

}  // namespace
