// Lines, polygons, rectangles and ellipses: which pixels they cover.
#include <cmath>
#include "gdi_test_util.h"

namespace {

const COLORREF kInk = RGB(255, 255, 255);
const COLORREF kBg = RGB(0, 0, 0);

struct ThinCase {
  POINT from, to;
  std::vector<POINT> expected;
};

TEST(GdiLines, WidthOneCoversStartToOneBeforeEnd) {
  const std::vector<ThinCase> cases = {
      {{2, 5}, {8, 5}, {{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}}},
      {{8, 5}, {2, 5}, {{8, 5}, {7, 5}, {6, 5}, {5, 5}, {4, 5}, {3, 5}}},
      {{4, 1}, {4, 5}, {{4, 1}, {4, 2}, {4, 3}, {4, 4}}},
      {{4, 5}, {4, 1}, {{4, 5}, {4, 4}, {4, 3}, {4, 2}}},
      {{2, 2}, {6, 6}, {{2, 2}, {3, 3}, {4, 4}, {5, 5}}},
      {{6, 2}, {2, 6}, {{6, 2}, {5, 3}, {4, 4}, {3, 5}}},
      {{7, 7}, {3, 3}, {{7, 7}, {6, 6}, {5, 5}, {4, 4}}},
      {{3, 3}, {3, 3}, {}},
  };
  for (const auto& c : cases) {
    TestCanvas cv(12, 12);
    ScopedPen pen(cv.dc, PS_SOLID, 1, kInk);
    MoveToEx(cv.dc, c.from.x, c.from.y, nullptr);
    ASSERT_TRUE(LineTo(cv.dc, c.to.x, c.to.y));
    EXPECT_EQ(cv.CountNot(kBg), static_cast<int>(c.expected.size())) << c.from.x << "," << c.from.y;
    for (const POINT& p : c.expected) EXPECT_EQ(cv.At(p.x, p.y), kInk) << p.x << "," << p.y;
    POINT pos;
    GetCurrentPositionEx(cv.dc, &pos);
    EXPECT_EQ(pos.x, c.to.x);
    EXPECT_EQ(pos.y, c.to.y);
  }
}

TEST(GdiLines, SlopedLineIsConnectedAndEndsBeforeEnd) {
  TestCanvas cv(40, 40);
  ScopedPen pen(cv.dc, PS_SOLID, 1, kInk);
  MoveToEx(cv.dc, 3, 5, nullptr);
  LineTo(cv.dc, 30, 17);
  // One pixel per column from 3 to 29, each within half a pixel of the ideal line.
  EXPECT_EQ(cv.CountNot(kBg), 27);
  for (int x = 3; x < 30; ++x) {
    int hits = 0;
    for (int y = 0; y < 40; ++y)
      if (cv.At(x, y) == kInk) {
        ++hits;
        EXPECT_LE(std::fabs(y - (5 + (x - 3) * 12.0 / 27)), 0.5 + 1e-9);
      }
    EXPECT_EQ(hits, 1) << x;
  }
  EXPECT_EQ(cv.At(30, 17), kBg);
}

// Distance from (px, py) to the segment a-b.
double SegDist(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
  double t = l2 == 0 ? 0 : ((px - ax) * dx + (py - ay) * dy) / l2;
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

TEST(GdiLines, WidePensCoverTheRoundCappedSegment) {
  struct Case {
    int width;
    POINT a, b;
  };
  const Case cases[] = {{2, {10, 10}, {30, 10}}, {7, {10, 10}, {30, 10}}, {7, {12, 30}, {33, 14}},
                        {3, {20, 20}, {21, 28}}, {10, {15, 15}, {15, 15}}, {7, {25, 25}, {25, 25}}};
  for (const Case& c : cases) {
    TestCanvas cv(48, 48);
    ScopedPen pen(cv.dc, PS_SOLID, c.width, kInk);
    MoveToEx(cv.dc, c.a.x, c.a.y, nullptr);
    LineTo(cv.dc, c.b.x, c.b.y);
    const double off = (c.width & 1) ? 0.5 : 0.0, r = c.width / 2.0;
    int painted = 0;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x) {
        const double d = SegDist(x + 0.5, y + 0.5, c.a.x + off, c.a.y + off, c.b.x + off, c.b.y + off);
        const bool ink = cv.At(x, y) == kInk;
        painted += ink;
        if (d < r - 1e-6) EXPECT_TRUE(ink) << "width " << c.width << " missing " << x << "," << y;
        if (d > r + 1e-6) EXPECT_FALSE(ink) << "width " << c.width << " extra " << x << "," << y;
      }
    EXPECT_GT(painted, 0);
  }
  // A horizontal line of even width covers exactly `width` rows.
  TestCanvas cv(40, 20);
  ScopedPen pen(cv.dc, PS_SOLID, 2, kInk);
  MoveToEx(cv.dc, 10, 10, nullptr);
  LineTo(cv.dc, 20, 10);
  for (int y = 0; y < 20; ++y) EXPECT_EQ(cv.At(15, y) == kInk, y == 9 || y == 10) << y;
}

TEST(GdiLines, DashedPensLeaveGapsInBackgroundModeColours) {
  TestCanvas cv(60, 4);
  ScopedPen pen(cv.dc, PS_DASH, 1, kInk);
  SetBkMode(cv.dc, TRANSPARENT);
  MoveToEx(cv.dc, 0, 1, nullptr);
  LineTo(cv.dc, 60, 1);
  int on = 0;
  for (int x = 0; x < 60; ++x) on += cv.At(x, 1) == kInk;
  EXPECT_GT(on, 20);
  EXPECT_LT(on, 60);
  EXPECT_EQ(cv.At(0, 1), kInk);
  // Opaque mode fills the gaps with the background colour.
  SetBkMode(cv.dc, OPAQUE);
  SetBkColor(cv.dc, RGB(0, 0, 255));
  MoveToEx(cv.dc, 0, 2, nullptr);
  LineTo(cv.dc, 60, 2);
  for (int x = 0; x < 60; ++x) EXPECT_TRUE(cv.At(x, 2) == kInk || cv.At(x, 2) == RGB(0, 0, 255));
  // The null pen draws nothing.
  ScopedPen none(cv.dc, PS_NULL, 1, kInk);
  MoveToEx(cv.dc, 0, 3, nullptr);
  LineTo(cv.dc, 60, 3);
  for (int x = 0; x < 60; ++x) EXPECT_EQ(cv.At(x, 3), kBg);
}

TEST(GdiLines, HugeCoordinatesAreClippedQuickly) {
  TestCanvas cv(32, 32);
  ScopedPen pen(cv.dc, PS_SOLID, 1, kInk);
  MoveToEx(cv.dc, -2000000000, 10, nullptr);
  LineTo(cv.dc, 2000000000, 10);
  for (int x = 0; x < 32; ++x) EXPECT_EQ(cv.At(x, 10), kInk);
  ScopedPen wide(cv.dc, PS_SOLID, 5, kInk);
  MoveToEx(cv.dc, 16, -2000000000, nullptr);
  LineTo(cv.dc, 16, 2000000000);
  EXPECT_EQ(cv.At(16, 0), kInk);
  POINT huge[] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
  EXPECT_TRUE(Polygon(cv.dc, huge, 3));
}

TEST(GdiPolygons, StarFillsItsCentreOnlyWithWinding) {
  // A five-pointed star drawn as one self-intersecting path.
  POINT star[5];
  for (int i = 0; i < 5; ++i) {
    const double a = -M_PI / 2 + i * 4 * M_PI / 5;
    star[i] = POINT{static_cast<LONG>(std::lround(50 + 45 * std::cos(a))), static_cast<LONG>(std::lround(50 + 45 * std::sin(a)))};
  }
  for (int mode : {ALTERNATE, WINDING}) {
    TestCanvas cv(100, 100);
    ScopedPen pen(cv.dc, PS_NULL, 1, 0);
    ScopedBrush brush(cv.dc, CreateSolidBrush(kInk));
    EXPECT_EQ(SetPolyFillMode(cv.dc, mode), ALTERNATE);
    ASSERT_TRUE(Polygon(cv.dc, star, 5));
    EXPECT_EQ(cv.At(50, 50) == kInk, mode == WINDING);
    EXPECT_EQ(cv.At(50, 12), kInk);  // inside the top point
    EXPECT_EQ(cv.At(5, 95), kBg);
    // The region of the same path agrees pixel for pixel.
    HRGN rgn = CreatePolygonRgn(star, 5, mode);
    for (int y = 0; y < 100; y += 3)
      for (int x = 0; x < 100; x += 3) EXPECT_EQ(cv.At(x, y) == kInk, PtInRegion(rgn, x, y) != 0) << x << "," << y;
    DeleteObject(rgn);
  }
}

TEST(GdiPolygons, FillRuleTakesPixelCentresTopLeft) {
  TestCanvas cv(20, 20);
  ScopedPen pen(cv.dc, PS_NULL, 1, 0);
  ScopedBrush brush(cv.dc, CreateSolidBrush(kInk));
  POINT square[] = {{2, 3}, {12, 3}, {12, 9}, {2, 9}};
  Polygon(cv.dc, square, 4);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(cv.At(x, y) == kInk, x >= 2 && x < 12 && y >= 3 && y < 9) << x << "," << y;
  // With a pen the outline covers the vertices too.
  TestCanvas c2(20, 20);
  ScopedPen p2(c2.dc, PS_SOLID, 1, RGB(255, 0, 0));
  ScopedBrush b2(c2.dc, CreateSolidBrush(kInk));
  Polygon(c2.dc, square, 4);
  EXPECT_EQ(c2.At(12, 9), RGB(255, 0, 0));
  EXPECT_EQ(c2.At(2, 3), RGB(255, 0, 0));
  EXPECT_EQ(c2.At(5, 5), kInk);
}

TEST(GdiShapes, RectangleAndFillRectExcludeRightAndBottom) {
  TestCanvas cv(12, 12);
  HBRUSH white = CreateSolidBrush(kInk);
  RECT r{2, 3, 6, 7};
  FillRect(cv.dc, &r, white);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(cv.At(x, y) == kInk, x >= 2 && x < 6 && y >= 3 && y < 7);
  cv.Fill(kBg);
  {
    ScopedPen pen(cv.dc, PS_SOLID, 1, RGB(255, 0, 0));
    ScopedBrush brush(cv.dc, CreateSolidBrush(RGB(0, 0, 255)));
    Rectangle(cv.dc, 2, 3, 6, 7);
  }
  const std::vector<std::string> expect = {"........", "........", "........", "..RRRR..", "..RBBR..",
                                           "..RBBR..", "..RRRR..", "........"};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const char e = expect[static_cast<size_t>(y)][static_cast<size_t>(x)];
      const COLORREF want = e == 'R' ? RGB(255, 0, 0) : e == 'B' ? RGB(0, 0, 255) : kBg;
      EXPECT_EQ(cv.At(x, y), want) << x << "," << y;
    }
  // FrameRect and InvertRect.
  cv.Fill(kBg);
  FrameRect(cv.dc, &r, white);
  EXPECT_EQ(cv.CountNot(kBg), 12);
  InvertRect(cv.dc, &r);
  EXPECT_EQ(cv.At(3, 4), kInk);
  EXPECT_EQ(cv.At(2, 3), kBg);
  DeleteObject(white);
}

TEST(GdiShapes, EllipseStaysInsideItsBox) {
  for (int width : {1, 3}) {
    TestCanvas cv(40, 30);
    ScopedPen pen(cv.dc, PS_INSIDEFRAME, width, RGB(255, 0, 0));
    ScopedBrush brush(cv.dc, CreateSolidBrush(kInk));
    Ellipse(cv.dc, 5, 4, 35, 24);
    int left = 99, right = -1, top = 99, bottom = -1;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        if (cv.At(x, y) != kBg) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    EXPECT_EQ(left, 5);
    EXPECT_EQ(right, 34);
    EXPECT_EQ(top, 4);
    EXPECT_EQ(bottom, 23);
    EXPECT_EQ(cv.At(20, 14), kInk);          // interior: brush
    EXPECT_EQ(cv.At(5, 14), RGB(255, 0, 0));  // outline: pen
    EXPECT_EQ(cv.At(5, 4), kBg);              // corner of the box
    // The outline is closed: every row between top and bottom has pen at both sides.
    for (int y = 4; y < 24; ++y) {
      int first = -1, last = -1;
      for (int x = 0; x < 40; ++x)
        if (cv.At(x, y) != kBg) {
          if (first < 0) first = x;
          last = x;
        }
      EXPECT_EQ(cv.At(first, y), RGB(255, 0, 0)) << y;
      EXPECT_EQ(cv.At(last, y), RGB(255, 0, 0)) << y;
    }
  }
  // The chalk tap: a width-3 pen around a 2 x 2 box gives a small filled disc.
  TestCanvas cv(10, 10);
  ScopedPen pen(cv.dc, PS_SOLID, 3, kInk);
  ScopedBrush brush(cv.dc, CreateSolidBrush(kInk));
  Ellipse(cv.dc, 4, 4, 6, 6);
  EXPECT_EQ(cv.At(4, 4), kInk);
  EXPECT_EQ(cv.At(5, 5), kInk);
  EXPECT_EQ(cv.At(3, 4), kInk);
  EXPECT_EQ(cv.At(0, 0), kBg);
  EXPECT_LE(cv.CountNot(kBg), 16);
}

TEST(GdiBrushes, PatternBrushTilesFromTheBrushOrigin) {
  // A 2 x 2 pattern: red green / blue white.
  TestCanvas pat(2, 2, 24);
  SetPixel(pat.dc, 0, 0, RGB(255, 0, 0));
  SetPixel(pat.dc, 1, 0, RGB(0, 255, 0));
  SetPixel(pat.dc, 0, 1, RGB(0, 0, 255));
  SetPixel(pat.dc, 1, 1, RGB(255, 255, 255));
  HBRUSH brush = CreatePatternBrush(pat.bitmap);
  ASSERT_NE(brush, nullptr);
  const COLORREF tile[2][2] = {{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), RGB(255, 255, 255)}};
  TestCanvas cv(10, 10, 24);
  RECT r{1, 1, 9, 9};
  FillRect(cv.dc, &r, brush);
  for (int y = 1; y < 9; ++y)
    for (int x = 1; x < 9; ++x) EXPECT_EQ(cv.At(x, y), tile[y % 2][x % 2]);
  SetBrushOrgEx(cv.dc, 1, 0, nullptr);
  FillRect(cv.dc, &r, brush);
  for (int y = 1; y < 9; ++y)
    for (int x = 1; x < 9; ++x) EXPECT_EQ(cv.At(x, y), tile[y % 2][(x + 1) % 2]);
  // A polygon with the pattern brush and no outline, as the side of a chalk.
  cv.Fill(kBg);
  SetBrushOrgEx(cv.dc, 0, 0, nullptr);
  {
    ScopedPen none(cv.dc, PS_NULL, 1, 0);
    HGDIOBJ old = SelectObject(cv.dc, brush);
    POINT quad[] = {{1, 1}, {9, 1}, {9, 9}, {1, 9}};
    Polygon(cv.dc, quad, 4);
    SelectObject(cv.dc, old);
  }
  EXPECT_EQ(cv.At(3, 4), tile[0][1]);
  DeleteObject(brush);
  // Hatched brushes paint only their lines in transparent mode.
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, kInk);
  SetBkMode(cv.dc, TRANSPARENT);
  cv.Fill(RGB(1, 2, 3));
  RECT all{0, 0, 10, 10};
  FillRect(cv.dc, &all, hatch);
  int ink = 0, kept = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      ink += cv.At(x, y) == kInk;
      kept += cv.At(x, y) == RGB(1, 2, 3);
    }
  EXPECT_GT(ink, 10);
  EXPECT_EQ(ink + kept, 100);
  DeleteObject(hatch);
}

TEST(GdiRop2, AllSixteenMixModesOnLines) {
  // Pen bits P = 1100, destination bits D = 1010 give the truth table of each mode.
  for (int mode = R2_BLACK; mode <= R2_WHITE; ++mode) {
    TestCanvas cv(4, 2);
    SetPixel(cv.dc, 0, 0, RGB(255, 255, 255));
    SetPixel(cv.dc, 2, 0, RGB(255, 255, 255));
    SetPixel(cv.dc, 0, 1, RGB(255, 255, 255));
    SetPixel(cv.dc, 2, 1, RGB(255, 255, 255));
    SetROP2(cv.dc, mode);
    {
      ScopedPen white(cv.dc, PS_SOLID, 1, RGB(255, 255, 255));
      MoveToEx(cv.dc, 0, 0, nullptr);
      LineTo(cv.dc, 2, 0);
    }
    {
      ScopedPen black(cv.dc, PS_SOLID, 1, RGB(0, 0, 0));
      MoveToEx(cv.dc, 2, 0, nullptr);
      LineTo(cv.dc, 4, 0);
    }
    // Columns: (P=1,D=1), (P=1,D=0), (P=0,D=1), (P=0,D=0).
    const int table = mode - 1;
    const int bits[4] = {(table >> 3) & 1, (table >> 2) & 1, (table >> 1) & 1, table & 1};
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(cv.At(x, 0), bits[x] ? RGB(255, 255, 255) : RGB(0, 0, 0)) << "mode " << mode << " x " << x;
  }
}

}  // namespace

namespace {

TEST(GdiLines, WideXorPolylinePaintsEachPixelOnce) {
  // Painting a wide path twice with XOR restores the picture only if joins are painted once.
  TestCanvas cv(40, 40);
  ScopedPen pen(cv.dc, PS_SOLID, 5, RGB(255, 255, 255));
  SetROP2(cv.dc, R2_XORPEN);
  POINT path[] = {{5, 5}, {30, 8}, {20, 30}, {6, 20}};
  ASSERT_TRUE(Polyline(cv.dc, path, 4));
  const int painted = cv.CountNot(RGB(0, 0, 0));
  EXPECT_GT(painted, 150);
  // Every painted pixel is white: none was flipped twice inside a join.
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const COLORREF c = cv.At(x, y);
      EXPECT_TRUE(c == RGB(0, 0, 0) || c == RGB(255, 255, 255));
    }
  // The join pixel at a vertex is painted.
  EXPECT_EQ(cv.At(30, 8), RGB(255, 255, 255));
  ASSERT_TRUE(Polyline(cv.dc, path, 4));
  EXPECT_EQ(cv.CountNot(RGB(0, 0, 0)), 0);
  // PolylineTo starts at the current position and moves it.
  MoveToEx(cv.dc, 5, 5, nullptr);
  ASSERT_TRUE(PolylineTo(cv.dc, path + 1, 3));
  EXPECT_EQ(cv.CountNot(RGB(0, 0, 0)), painted);
  POINT pos;
  GetCurrentPositionEx(cv.dc, &pos);
  EXPECT_EQ(pos.x, 6);
  EXPECT_EQ(pos.y, 20);
}

}  // namespace

namespace {

TEST(GdiShapes, FocusRectAndInvertedRegionsUndoThemselves) {
  TestCanvas cv(12, 10, 24, RGB(0, 80, 0));
  RECT r{1, 1, 11, 9};
  ASSERT_TRUE(DrawFocusRect(cv.dc, &r));
  const int dots = cv.CountNot(RGB(0, 80, 0));
  EXPECT_GT(dots, 10);
  EXPECT_LT(dots, 32);  // every other pixel of the 32-pixel frame
  EXPECT_EQ(cv.At(5, 5), RGB(0, 80, 0));
  DrawFocusRect(cv.dc, &r);
  EXPECT_EQ(cv.CountNot(RGB(0, 80, 0)), 0);
  HRGN rgn = CreateEllipticRgn(0, 0, 12, 10);
  ASSERT_TRUE(InvertRgn(cv.dc, rgn));
  EXPECT_EQ(cv.At(6, 5), RGB(255, 175, 255));
  InvertRgn(cv.dc, rgn);
  EXPECT_EQ(cv.CountNot(RGB(0, 80, 0)), 0);
  DeleteObject(rgn);
}

TEST(GdiShapes, WidePenRectangleCentresItsOutlineOnTheEdge) {
  TestCanvas cv(20, 20);
  ScopedPen pen(cv.dc, PS_SOLID, 3, RGB(255, 0, 0));
  ScopedBrush brush(cv.dc, CreateSolidBrush(RGB(0, 0, 255)));
  Rectangle(cv.dc, 5, 5, 15, 15);
  EXPECT_EQ(cv.At(4, 10), RGB(255, 0, 0));   // one pixel outside the left edge
  EXPECT_EQ(cv.At(6, 10), RGB(255, 0, 0));   // one inside
  EXPECT_EQ(cv.At(7, 10), RGB(0, 0, 255));
  EXPECT_EQ(cv.At(3, 10), RGB(0, 0, 0));
  EXPECT_EQ(cv.At(15, 10), RGB(255, 0, 0));  // right edge pixel 14 plus one
  EXPECT_EQ(cv.At(16, 10), RGB(0, 0, 0));
  // PS_INSIDEFRAME keeps the outline inside the box.
  cv.Fill(RGB(0, 0, 0));
  ScopedPen inside(cv.dc, PS_INSIDEFRAME, 3, RGB(255, 0, 0));
  Rectangle(cv.dc, 5, 5, 15, 15);
  EXPECT_EQ(cv.At(4, 10), RGB(0, 0, 0));
  EXPECT_EQ(cv.At(7, 10), RGB(255, 0, 0));
  EXPECT_EQ(cv.At(8, 10), RGB(0, 0, 255));
  EXPECT_EQ(cv.At(14, 10), RGB(255, 0, 0));
  EXPECT_EQ(cv.At(15, 10), RGB(0, 0, 0));
}

}  // namespace
