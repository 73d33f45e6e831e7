// The rectangle a bitmap tells as changed since a stamp: it holds every pixel any drawing call
// changed, is empty when nothing changed, and is the whole bitmap where the change had no
// rectangle.
#include <functional>
#include <string>
#include <vector>

#include "gdi_test_util.h"
#include "winplat_gdi.h"

namespace {

constexpr int kW = 120, kH = 80;

std::vector<uint32_t> Pixels(const TestCanvas& c) {
  const auto* p = static_cast<const uint32_t*>(c.bits);
  return std::vector<uint32_t>(p, p + kW * kH);
}

// The bounding box of the pixels that differ, in top-down coordinates (the canvas is bottom-up).
RECT Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  RECT r{kW, kH, 0, 0};
  for (int row = 0; row < kH; ++row)
    for (int x = 0; x < kW; ++x)
      if (a[row * kW + x] != b[row * kW + x]) {
        const int y = kH - 1 - row;
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
  return r.left < r.right ? r : RECT{0, 0, 0, 0};
}

bool Inside(const RECT& inner, const RECT& outer) {
  if (inner.left >= inner.right) return true;
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::string Str(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

TEST(BitmapChanges, EveryDrawingCallTellsARectangleHoldingWhatItChanged) {
  TestCanvas src(40, 30, 24, RGB(200, 10, 10));
  const struct Case {
    const char* what;
    std::function<void(HDC)> draw;
  } kCases[] = {
      {"SetPixel", [](HDC dc) { SetPixel(dc, 7, 9, RGB(255, 255, 255)); }},
      {"wide line",
       [](HDC dc) {
         ScopedPen pen(dc, PS_SOLID, 7, RGB(255, 255, 0));
         MoveToEx(dc, 10, 10, nullptr);
         LineTo(dc, 90, 50);
       }},
      {"line off the edge",
       [](HDC dc) {
         ScopedPen pen(dc, PS_SOLID, 3, RGB(255, 0, 255));
         MoveToEx(dc, -20, 60, nullptr);
         LineTo(dc, 40, 100);
       }},
      {"FillRect",
       [](HDC dc) {
         HBRUSH b = CreateSolidBrush(RGB(0, 255, 0));
         RECT r{30, 20, 60, 45};
         FillRect(dc, &r, b);
         DeleteObject(b);
       }},
      {"Ellipse",
       [](HDC dc) {
         ScopedBrush brush(dc, CreateSolidBrush(RGB(0, 0, 255)));
         Ellipse(dc, 50, 5, 100, 40);
       }},
      {"Polygon",
       [](HDC dc) {
         ScopedBrush brush(dc, CreateSolidBrush(RGB(0, 128, 255)));
         const POINT p[] = {{10, 60}, {60, 75}, {15, 78}};
         Polygon(dc, p, 3);
       }},
      {"TextOut",
       [](HDC dc) {
         SetTextColor(dc, RGB(255, 255, 255));
         SetBkMode(dc, TRANSPARENT);
         TextOutA(dc, 20, 30, "Wg", 2);
       }},
      {"BitBlt", [&src](HDC dc) { BitBlt(dc, 70, 40, 40, 30, src.dc, 0, 0, SRCCOPY); }},
      {"StretchBlt", [&src](HDC dc) { StretchBlt(dc, 5, 5, 80, 15, src.dc, 0, 0, 40, 30, SRCCOPY); }},
      {"PatBlt", [](HDC dc) { PatBlt(dc, 100, 0, 20, 80, DSTINVERT); }},
  };
  for (const Case& c : kCases) {
    TestCanvas canvas(kW, kH, 32, RGB(0, 0, 0));
    const uint64_t stamp = winplat::BitmapChangeStamp(canvas.bitmap);
    const std::vector<uint32_t> before = Pixels(canvas);
    c.draw(canvas.dc);
    RECT told{};
    const uint64_t now = winplat::BitmapChangesSince(canvas.bitmap, stamp, &told);
    const RECT changed = Differing(before, Pixels(canvas));
    ASSERT_GT(changed.right, changed.left) << c.what << " changed nothing";
    EXPECT_NE(now, stamp) << c.what;
    EXPECT_TRUE(Inside(changed, told)) << c.what << ": changed " << Str(changed) << ", told " << Str(told);
    RECT again{1, 1, 2, 2};
    EXPECT_EQ(winplat::BitmapChangesSince(canvas.bitmap, now, &again), now) << c.what;
    EXPECT_EQ(Str(again), "0,0-0,0") << c.what << ": nothing since";
  }
}

TEST(BitmapChanges, ChangesAddUpOverStampsAndWithoutRectanglesAreWhole) {
  TestCanvas canvas(kW, kH, 32, RGB(0, 0, 0));
  HDC dc = canvas.dc;
  RECT r{};
  const uint64_t first = winplat::BitmapChangeStamp(canvas.bitmap);
  SetPixel(dc, 3, 4, RGB(1, 2, 3));
  const uint64_t second = winplat::BitmapChangeStamp(canvas.bitmap);
  SetPixel(dc, 50, 60, RGB(1, 2, 3));
  SetPixel(dc, 20, 10, RGB(1, 2, 3));  // joins the one before: nobody asked between
  winplat::BitmapChangesSince(canvas.bitmap, first, &r);
  EXPECT_EQ(Str(r), "3,4-51,61");
  winplat::BitmapChangesSince(canvas.bitmap, second, &r);
  EXPECT_EQ(Str(r), "20,10-51,61");

  // Many looks between many changes: the oldest are joined (an answer may grow), never lost.
  uint64_t stamp = winplat::BitmapChangeStamp(canvas.bitmap);
  const uint64_t start = stamp;
  for (int i = 0; i < 40; ++i) {
    SetPixel(dc, i * 2, i, RGB(9, 9, 9));
    winplat::BitmapChangesSince(canvas.bitmap, stamp, &r);
    EXPECT_EQ(Str(r), Str(RECT{i * 2, i, i * 2 + 1, i + 1})) << i;
    stamp = winplat::BitmapChangeStamp(canvas.bitmap);
  }
  winplat::BitmapChangesSince(canvas.bitmap, start, &r);
  EXPECT_TRUE(Inside(RECT{0, 0, 79, 40}, r)) << Str(r);

  // Writes GDI cannot see, and SetDIBits: all of it.
  stamp = winplat::BitmapChangeStamp(canvas.bitmap);
  winplat::MarkBitmapChanged(canvas.bitmap);
  winplat::BitmapChangesSince(canvas.bitmap, stamp, &r);
  EXPECT_EQ(Str(r), Str(RECT{0, 0, kW, kH}));
  stamp = winplat::BitmapChangeStamp(canvas.bitmap);
  SetPixel(dc, 1, 1, RGB(5, 5, 5));
  winplat::BitmapChangesSince(canvas.bitmap, stamp, &r);
  EXPECT_EQ(Str(r), "1,1-2,2");
  Info bi = MakeInfo(kW, kH, 32);
  std::vector<uint32_t> bits(kW * kH, 0x123456);
  stamp = winplat::BitmapChangeStamp(canvas.bitmap);
  SetDIBits(dc, canvas.bitmap, 0, kH, bits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  SetPixel(dc, 1, 1, RGB(5, 5, 5));
  winplat::BitmapChangesSince(canvas.bitmap, stamp, &r);
  EXPECT_EQ(Str(r), Str(RECT{0, 0, kW, kH}));

  // A stamp from before the bitmap was made: all of it.
  TestCanvas later(kW, kH, 32, RGB(0, 0, 0));
  winplat::BitmapChangesSince(later.bitmap, first, &r);
  EXPECT_EQ(Str(r), Str(RECT{0, 0, kW, kH}));
  EXPECT_EQ(winplat::BitmapChangesSince(nullptr, first, &r), 0u);
  EXPECT_EQ(Str(r), "0,0-0,0");
}

}  // namespace
