// Region algebra and queries.
#include "gdi/gdi_internal.h"
#include "gdi_test_util.h"

namespace {

using winplat::gdi::Region;

int Area(const Region& r) {
  int a = 0;
  for (const RECT& q : r.rects) a += (q.right - q.left) * (q.bottom - q.top);
  return a;
}

// Band invariants: sorted, same top/bottom within a band, no touching rectangles in a band.
void ExpectBanded(const Region& r) {
  for (size_t i = 0; i < r.rects.size(); ++i) {
    const RECT& q = r.rects[i];
    EXPECT_LT(q.left, q.right);
    EXPECT_LT(q.top, q.bottom);
    if (i == 0) continue;
    const RECT& p = r.rects[i - 1];
    if (p.top == q.top) {
      EXPECT_EQ(p.bottom, q.bottom);
      EXPECT_LT(p.right, q.left);
    } else {
      EXPECT_LE(p.bottom, q.top);
    }
  }
}

TEST(GdiRegions, CombineModesAgreeWithSetAlgebra) {
  struct Case {
    int mode;
    bool (*f)(bool, bool);
    int area;
    int complexity;
  };
  const Case cases[] = {
      {RGN_AND, [](bool a, bool b) { return a && b; }, 25, SIMPLEREGION},
      {RGN_OR, [](bool a, bool b) { return a || b; }, 175, COMPLEXREGION},
      {RGN_XOR, [](bool a, bool b) { return a != b; }, 150, COMPLEXREGION},
      {RGN_DIFF, [](bool a, bool b) { return a && !b; }, 75, COMPLEXREGION},
      {RGN_COPY, [](bool a, bool) { return a; }, 100, SIMPLEREGION},
  };
  HRGN a = CreateRectRgn(0, 0, 10, 10);
  HRGN b = CreateRectRgn(5, 5, 15, 15);
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  for (const Case& c : cases) {
    EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.complexity) << c.mode;
    auto r = winplat::gdi::LookupRegion(out);
    ASSERT_TRUE(r);
    EXPECT_EQ(Area(r->region), c.area) << c.mode;
    ExpectBanded(r->region);
    for (int y = -1; y < 17; ++y)
      for (int x = -1; x < 17; ++x) {
        const bool inA = x >= 0 && x < 10 && y >= 0 && y < 10, inB = x >= 5 && x < 15 && y >= 5 && y < 15;
        EXPECT_EQ(PtInRegion(out, x, y) != 0, c.f(inA, inB)) << c.mode << " " << x << "," << y;
      }
  }
  // Disjoint pieces come back together: (A xor B) or (A and B) = A or B.
  HRGN x = CreateRectRgn(0, 0, 0, 0), y = CreateRectRgn(0, 0, 0, 0), u = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(x, a, b, RGN_XOR);
  CombineRgn(y, a, b, RGN_AND);
  CombineRgn(x, x, y, RGN_OR);
  CombineRgn(u, a, b, RGN_OR);
  EXPECT_TRUE(EqualRgn(x, u));
  // Empty results.
  EXPECT_EQ(CombineRgn(out, a, a, RGN_DIFF), NULLREGION);
  RECT box;
  EXPECT_EQ(GetRgnBox(out, &box), NULLREGION);
  EXPECT_EQ(box.right, 0);
  for (HRGN h : {a, b, out, x, y, u}) DeleteObject(h);
}

TEST(GdiRegions, OffsetBoxPointAndRectangleTests) {
  POINT hex[] = {{0, 0}, {10, 0}, {15, 5}, {10, 10}, {0, 10}, {-5, 5}};
  HRGN r = CreatePolygonRgn(hex, 6, WINDING);
  RECT box;
  EXPECT_EQ(GetRgnBox(r, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, -5);  // centre -4.5 lies on the left edge: inside
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 14);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_EQ(OffsetRgn(r, 100, -3), COMPLEXREGION);
  GetRgnBox(r, &box);
  EXPECT_EQ(box.left, 95);
  EXPECT_EQ(box.top, -3);
  EXPECT_TRUE(PtInRegion(r, 105, 0));
  EXPECT_FALSE(PtInRegion(r, 5, 0));
  RECT in{100, 0, 101, 1}, out{0, 0, 5, 5};
  EXPECT_TRUE(RectInRegion(r, &in));
  EXPECT_FALSE(RectInRegion(r, &out));
  EXPECT_TRUE(SetRectRgn(r, 3, 4, 1, 2));  // corners in any order
  GetRgnBox(r, &box);
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.bottom, 4);
  // A degenerate polygon (all points on a line) is empty, as is a one-point one.
  POINT line[] = {{0, 0}, {10, 10}, {20, 20}};
  HRGN e = CreatePolygonRgn(line, 3, ALTERNATE);
  EXPECT_EQ(GetRgnBox(e, &box), NULLREGION);
  EXPECT_EQ(CreatePolygonRgn(line, 1, ALTERNATE), nullptr);
  EXPECT_EQ(CreatePolygonRgn(line, 3, 7), nullptr);
  DeleteObject(r);
  DeleteObject(e);
}

TEST(GdiRegions, PaintFillAndFrameRegions) {
  TestCanvas cv(30, 30);
  // The eraser's tray-dust step: a polygon region moved and painted black with the DC brush.
  cv.Fill(RGB(255, 255, 255));
  POINT hexagon[] = {{2, 2}, {12, 2}, {20, 10}, {20, 20}, {10, 20}, {2, 12}};
  HRGN rgn = CreatePolygonRgn(hexagon, 6, WINDING);
  OffsetRgn(rgn, 3, 1);
  {
    ScopedBrush black(cv.dc, CreateSolidBrush(RGB(0, 0, 0)));
    ASSERT_TRUE(PaintRgn(cv.dc, rgn));
  }
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) EXPECT_EQ(cv.At(x, y) == RGB(0, 0, 0), PtInRegion(rgn, x, y) != 0);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  ASSERT_TRUE(FillRgn(cv.dc, rgn, red));
  EXPECT_EQ(cv.At(12, 12), RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  ASSERT_TRUE(FrameRgn(cv.dc, rgn, blue, 1, 1));
  EXPECT_EQ(cv.At(12, 12), RGB(255, 0, 0));
  EXPECT_EQ(cv.At(10, 3), RGB(0, 0, 255));  // top edge
  EXPECT_FALSE(FillRgn(cv.dc, reinterpret_cast<HRGN>(red), red));
  DeleteObject(red);
  DeleteObject(blue);
  DeleteObject(rgn);
  // A stale region handle fails everywhere.
  EXPECT_FALSE(PaintRgn(cv.dc, rgn));
  EXPECT_EQ(OffsetRgn(rgn, 1, 1), ERROR);
  EXPECT_EQ(SelectClipRgn(cv.dc, rgn), ERROR);
}

TEST(GdiRegions, EllipticRegionIsSymmetricAndInsideItsBox) {
  HRGN e = CreateEllipticRgn(0, 0, 21, 11);
  RECT box;
  GetRgnBox(e, &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.right, 21);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.bottom, 11);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 21; ++x) {
      EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, 20 - x, y));
      EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, x, 10 - y));
    }
  EXPECT_FALSE(PtInRegion(e, 0, 0));
  EXPECT_TRUE(PtInRegion(e, 10, 5));
  DeleteObject(e);
}

}  // namespace

namespace {

TEST(GdiRegions, OffsetToTheCoordinateLimitsStaysValid) {
  HRGN r = CreateRectRgn(0, 0, 10, 10);
  HRGN u = CreateRectRgn(20, 5, 30, 15);
  CombineRgn(r, r, u, RGN_OR);
  EXPECT_EQ(OffsetRgn(r, 0x7FFFFFFF, 0), NULLREGION);  // pushed past the limit: nothing left
  SetRectRgn(r, 0, 0, 10, 10);
  EXPECT_EQ(OffsetRgn(r, -5, 7), SIMPLEREGION);
  RECT box;
  GetRgnBox(r, &box);
  EXPECT_EQ(box.left, -5);
  EXPECT_EQ(box.top, 7);
  auto obj = winplat::gdi::LookupRegion(r);
  ExpectBanded(obj->region);
  DeleteObject(r);
  DeleteObject(u);
}

}  // namespace

namespace {

TEST(GdiRegions, AbsurdShapesStayAffordable) {
  // Slanted edges 2^28 rows tall would make a rectangle per row; rows far out are cut off.
  POINT tall[] = {{-100000000, -100000000}, {100000000, -99999999}, {0, 100000000}};
  HRGN r = CreatePolygonRgn(tall, 3, ALTERNATE);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(PtInRegion(r, 0, 0));
  auto obj = winplat::gdi::LookupRegion(r);
  EXPECT_LE(obj->region.rects.size(), size_t{1} << 20);
  DeleteObject(r);
  HRGN e = CreateEllipticRgn(-100000000, -100000000, 100000000, 100000000);
  EXPECT_TRUE(PtInRegion(e, 0, 0));
  DeleteObject(e);
  TestCanvas cv(8, 8);
  ScopedBrush brush(cv.dc, CreateSolidBrush(RGB(255, 255, 255)));
  EXPECT_TRUE(Ellipse(cv.dc, -100000000, -100000000, 100000000, 100000000));
  EXPECT_EQ(cv.At(3, 3), RGB(255, 255, 255));
}

}  // namespace

TEST(GdiRegions, CombiningShapesAgreesPixelByPixel) {
  // Shapes of many bands (where clipping by one rectangle and the merge of band edges take their
  // own paths), each way round, against the set algebra of their pixels.
  const POINT star[] = {{10, 0}, {13, 18}, {0, 6}, {20, 6}, {7, 18}};
  const POINT slant[] = {{2, 1}, {17, 4}, {15, 19}, {-1, 12}};
  auto twoBoxes = [] {
    HRGN a = CreateRectRgn(1, 1, 6, 9), b = CreateRectRgn(9, 4, 19, 16);
    CombineRgn(a, a, b, RGN_OR);
    DeleteObject(b);
    return a;
  };
  struct Shape {
    const char* name;
    HRGN rgn;
  };
  const Shape shapes[] = {
      {"ellipse", CreateEllipticRgn(0, 2, 19, 17)},
      {"star", CreatePolygonRgn(star, 5, ALTERNATE)},
      {"slant", CreatePolygonRgn(slant, 4, WINDING)},
      {"two boxes", twoBoxes()},
      {"inside rect", CreateRectRgn(4, 3, 12, 11)},
      {"wide rect", CreateRectRgn(-5, 7, 30, 9)},
      {"far rect", CreateRectRgn(40, 40, 50, 50)},
      {"empty", CreateRectRgn(0, 0, 0, 0)},
  };
  const int modes[] = {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF};
  HRGN out = CreateRectRgn(0, 0, 0, 0);
  for (const Shape& a : shapes)
    for (const Shape& b : shapes)
      for (int mode : modes) {
        CombineRgn(out, a.rgn, b.rgn, mode);
        auto r = winplat::gdi::LookupRegion(out);
        ASSERT_TRUE(r);
        ExpectBanded(r->region);
        for (int y = -6; y < 52; ++y)
          for (int x = -6; x < 52; ++x) {
            const bool inA = PtInRegion(a.rgn, x, y) != 0, inB = PtInRegion(b.rgn, x, y) != 0;
            const bool want = mode == RGN_AND ? inA && inB : mode == RGN_OR ? inA || inB
                              : mode == RGN_XOR ? inA != inB : inA && !inB;
            ASSERT_EQ(PtInRegion(out, x, y) != 0, want)
                << a.name << " " << mode << " " << b.name << " at " << x << "," << y;
          }
      }
  for (const Shape& s : shapes) DeleteObject(s.rgn);
  DeleteObject(out);
}
