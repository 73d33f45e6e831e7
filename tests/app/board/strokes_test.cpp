// Chalk lines, taps, the side of the chalk, the erasers and the finger.
#include <algorithm>
#include <ctime>

#include "board_support.h"

namespace boardtest {
namespace {

constexpr TColor kRed = 0x0000FF;

class Strokes : public ProgramFolderFixture {
 protected:
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    WriteTwoChalks();
    b = std::make_unique<TBlackBoard>();
    b->Options = obChalkKasure;
    b->LoadChalks("chalks\\option.ini", 48);
    b->SetScreenWidth(1024);
    b->SetScreenHeight(768);
  }
  void FillPage(TColor c) {
    b->Board->Canvas()->Brush()->SetColor(c);
    b->Board->Canvas()->FillRect(Rect(0, 0, b->Board->Width(), b->Board->Height()));
  }
  // Pixels of colour c inside r, and their bounding box.
  int Count(TColor c, TRect r, TRect* box = nullptr) {
    int n = 0;
    TRect bb{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int y = Max<int>(r.top, 0); y < Min<int>(r.bottom, b->Board->Height()); ++y)
      for (int x = Max<int>(r.left, 0); x < Min<int>(r.right, b->Board->Width()); ++x)
        if (PixelAt(b->Board.get(), x, y) == c) {
          ++n;
          bb = Rect(Min<int>(bb.left, x), Min<int>(bb.top, y), Max<int>(bb.right, x + 1), Max<int>(bb.bottom, y + 1));
        }
    if (box) *box = bb;
    return n;
  }
  TRect Page() const { return Rect(0, 0, b->Board->Width(), b->Board->Height()); }
  std::unique_ptr<TBlackBoard> b;
};

TEST(DarkenColor, Cases) {
  struct Case { TColor colour; int16_t dr, dg, db; TColor expected; };
  const Case cases[] = {
      {0x030303, 4, 4, 4, 0x000000},
      {0x1EFCFF, 40, 200, 0, 0x1E50D7},   // yellow: green 52 raised to 80 -> RGB(215,80,30)
      {0xC187E9, 0, 100, 0, 0xC150E9},    // pink: green 35 raised to 80
      {0xC187E9, 0, 10, 0, 0xC17DE9},     // pink above 80 stays
      {0x646464, 0, 90, 0, 0x640A64},     // other colours are not raised
      {0xFAFAFA, -10, -3, 0, 0xFAFDFF},   // negative amounts brighten, clamped at 255
      {0x112233, 0, 0, 0, 0x112233},
      {0x112233, 300, 300, 300, 0x000000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DarkenColor(c.colour, c.dr, c.dg, c.db), c.expected) << std::hex << c.colour;
}

TEST(ArmLengths, AnglesUseTheirMagnitude) {
  struct Case { int deg, cos, sin; };
  const Case cases[] = {{0, 26, 0}, {45, 18, 18}, {-45, 18, 18}, {90, 0, 26}, {-90, 0, 26},
                        {-95, -3, 26}, {30, 23, 13}};
  for (const Case& c : cases) {
    EXPECT_EQ(ArmCos(26, c.deg), c.cos) << c.deg;
    EXPECT_EQ(ArmSin(26, c.deg), c.sin) << c.deg;
  }
}

TEST_F(Strokes, FlatTextureOfTheYellowChalk) {
  // Range 0: every shade is the colour darkened by the shade alone, green raised to 80.
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(b->ChalkShade(1), 0x1E50D7);
  FillPage(kRed);
  b->Chalk->Index = 1;
  b->Chalk->Angle = 0;
  b->Chalk->LastX = 200;
  b->Chalk->LastY = 200;
  b->Chalk->Corner1 = Point(174, 200);
  b->Chalk->Corner2 = Point(226, 200);
  b->SideChalkStroke(200, 260);  // the horizontal side moved down paints a 52-wide band
  // The band is the yellow texture, scratched here and there with the board colour.
  TRect box;
  const int yellow = Count(0x1E50D7, Page(), &box);
  EXPECT_GT(yellow, 52 * 60 / 2);
  const int scratched = Count(b->BackColor, Page());
  EXPECT_EQ(yellow + scratched + Count(kRed, Page()), b->Board->Width() * b->Board->Height());
  EXPECT_EQ(box.left, 174);
  EXPECT_GE(box.right, 224);  // the scratch may run along the right edge
  EXPECT_LE(box.right, 226);
  EXPECT_EQ(box.top, 200);
  EXPECT_EQ(box.bottom, 260);
}

TEST_F(Strokes, ZeroLengthScratchyLinePunchesOneGap) {
  for (uint32_t k = 0; k < 4; ++k) {
    FillPage(kRed);
    ScriptedRandom rnd;
    rnd.Want(2, 5).Want(k, 4);
    b->Chalk->LastX = 300;
    b->Chalk->LastY = 300;
    b->ChalkLine(300, 300, true);
    EXPECT_EQ(rnd.Left(), 0u);
    TRect box;
    EXPECT_EQ(Count(b->BackColor, Rect(290, 290, 310, 310), &box), 1) << k;
    EXPECT_EQ(R(box), R(Rect(300, 300 + int(k) - 2, 301, 300 + int(k) - 1))) << k;
  }
}

TEST_F(Strokes, ChalkLineIsDarkenedChalkWithGapsAlongIt) {
  FillPage(b->BackColor);
  b->Chalk->Index = 0;
  b->Chalk->LastX = 100;
  b->Chalk->LastY = 100;
  b->ChalkLine(400, 160, false);
  // Without gaps every pixel near the line is the chalk darkened by 0..4.
  int chalk = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 500; ++x) {
      const TColor c = PixelAt(b->Board.get(), x, y);
      if (c == b->BackColor) continue;
      ++chalk;
      const int r = c & 0xFF;
      ASSERT_TRUE(r >= 246 && r <= 250 && c == DarkenColor(0xFAFAFA, 250 - r, 250 - r, 250 - r)) << std::hex << c;
      // Within the pen's reach of the segment.
      const double t = ((x - 100) * 300.0 + (y - 100) * 60.0) / (300.0 * 300 + 60 * 60);
      const double px = 100 + 300 * t, py = 100 + 60 * t;
      ASSERT_LE(std::hypot(x - px, y - py), 2.5) << x << "," << y;
    }
  EXPECT_GT(chalk, 3 * 290);
  // With gaps, some of the line is board colour again, one draw per column.
  FillPage(kRed);
  b->Chalk->LastX = 100;
  b->Chalk->LastY = 100;
  b->ChalkLine(400, 160, true);
  const int gaps = Count(b->BackColor, Page());
  EXPECT_GT(gaps, 150);
  EXPECT_LE(gaps, 301);
}

TEST_F(Strokes, HugeSegmentsEndQuickly) {
  const std::clock_t start = std::clock();
  struct Seg { int32_t x0, y0, x1, y1; };
  const Seg segs[] = {{INT32_MIN, 5, INT32_MAX, 700},
                      {5, INT32_MIN, 700, INT32_MAX},
                      {INT32_MIN, 300, INT32_MAX, 300},
                      {300, INT32_MAX, 300, INT32_MIN},
                      {-40000, -40000, 40000, 40000}};
  for (const Seg& s : segs) {
    b->Chalk->LastX = s.x0;
    b->Chalk->LastY = s.y0;
    b->ChalkLine(s.x1, s.y1, true);
  }
  EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 20.0);
}

TEST_F(Strokes, TapLeavesADot) {
  FillPage(kRed);
  b->Chalk->LastX = 500;
  b->Chalk->LastY = 400;
  b->ChalkTap(500, 400);
  TRect box;
  const int n = 1024 * 720 - Count(kRed, Page());
  EXPECT_GT(n, 0);
  Count(DarkenColor(0xFAFAFA, 0, 0, 0), Page(), &box);
  for (int d = 1; d < 5; ++d) {
    TRect bd;
    if (Count(DarkenColor(0xFAFAFA, d, d, d), Page(), &bd) > 0)
      box = Rect(Min(box.left, bd.left), Min(box.top, bd.top), Max(box.right, bd.right), Max(box.bottom, bd.bottom));
  }
  EXPECT_GE(box.left, 498);
  EXPECT_LE(box.right, 502);
  EXPECT_GE(box.top, 398);
  EXPECT_LE(box.bottom, 402);
}

TEST_F(Strokes, SideCornersForPositiveAndNegativeAngles) {
  struct Case { int8_t angle; TPoint c1, c2; };
  const Case cases[] = {{0, {474, 300}, {526, 300}},
                        {45, {482, 282}, {518, 318}},
                        {-45, {482, 282}, {518, 318}},
                        {90, {500, 274}, {500, 326}}};
  for (const Case& c : cases) {
    b->Chalk->Angle = c.angle;
    b->Chalk->LastX = 450;
    b->Chalk->LastY = 300;
    b->Chalk->Corner1 = Point(430, 300);
    b->Chalk->Corner2 = Point(470, 300);
    b->SideChalkStroke(500, 300);
    EXPECT_EQ(b->Chalk->LastX, 500);
    EXPECT_EQ(b->Chalk->LastY, 300);
    EXPECT_EQ(b->Chalk->Corner1.x, c.c1.x) << int(c.angle);
    EXPECT_EQ(b->Chalk->Corner1.y, c.c1.y) << int(c.angle);
    EXPECT_EQ(b->Chalk->Corner2.x, c.c2.x) << int(c.angle);
    EXPECT_EQ(b->Chalk->Corner2.y, c.c2.y) << int(c.angle);
  }
}

TEST_F(Strokes, NegativeAnglesDrawTheMirroredBand) {
  // +45 runs from top left to bottom right; -45 from bottom left to top right.
  for (int8_t angle : {int8_t(45), int8_t(-45)}) {
    FillPage(kRed);
    b->Chalk->Angle = angle;
    b->Chalk->LastX = 300;
    b->Chalk->LastY = 300;
    b->Chalk->Corner1 = Point(300 - 18, 300 - 18);
    b->Chalk->Corner2 = Point(300 + 18, 300 + 18);
    b->SideChalkStroke(300, 360);
    // Both bands cover the middle; the corner on the left top only for +45, on the right top
    // only for -45.
    EXPECT_NE(PixelAt(b->Board.get(), 300, 330), kRed) << int(angle);
    EXPECT_EQ(PixelAt(b->Board.get(), 290, 300) != kRed, angle > 0) << int(angle);
    EXPECT_EQ(PixelAt(b->Board.get(), 310, 300) != kRed, angle < 0) << int(angle);
  }
}

TEST_F(Strokes, EraserClickWipesExactly128By54) {
  FillPage(kRed);
  b->EraseStroke(500, 300, 300, 500);
  TRect box;
  EXPECT_EQ(Count(b->BackColor, Page(), &box), 128 * 54);
  EXPECT_EQ(R(box), R(Rect(436, 282, 564, 336)));
  FillPage(kRed);
  b->LongEraseStroke(100, 0, 0, 100);
  EXPECT_EQ(Count(b->BackColor, Page(), &box), 88 * 640);
  EXPECT_EQ(R(box), R(Rect(100, 0, 188, 640)));
}

TEST_F(Strokes, EraserSweepsTheHexagonBetweenItsPoints) {
  struct Case { int x0, y0, x1, y1; };
  const Case cases[] = {{500, 300, 400, 200}, {500, 300, 400, 380}, {500, 300, 600, 380},
                        {500, 300, 600, 220}, {500, 300, 600, 300}};
  for (const Case& c : cases) {
    FillPage(kRed);
    b->EraseStroke(c.x1, c.y1, c.y0, c.x0);
    // Both end rectangles and the middle are wiped; nothing beyond the union's box is.
    const int mx = (c.x0 + c.x1) / 2, my = (c.y0 + c.y1) / 2;
    for (TPoint p : {Point(c.x0, c.y0), Point(c.x1, c.y1), Point(mx, my), Point(c.x0 - 63, c.y0 + 35),
                     Point(c.x1 + 63, c.y1 - 18)})
      EXPECT_EQ(PixelAt(b->Board.get(), p.x, p.y), b->BackColor) << p.x << "," << p.y;
    TRect box;
    const int wiped = Count(b->BackColor, Page(), &box);
    EXPECT_EQ(R(box), R(Rect(Min(c.x0, c.x1) - 64, Min(c.y0, c.y1) - 18, Max(c.x0, c.x1) + 64,
                             Max(c.y0, c.y1) + 36)));
    // The area is the hull of the two rectangles: the box less the two corner triangles that the
    // diagonal edges cut off (none when the movement is level).
    const int dx = std::abs(c.x1 - c.x0), dy = std::abs(c.y1 - c.y0);
    const int hull = (128 + dx) * (54 + dy) - dx * dy;
    EXPECT_NEAR(wiped, hull, dx + dy + 2) << c.x1 << "," << c.y1;
  }
}

TEST_F(Strokes, SmearColourSaturates) {
  struct Case { TColor back; bool smear; TColor wipe; };
  const Case cases[] = {{0x005000, false, 0x005000}, {0x005000, true, 0x045404},
                        {0xFFFCFA, true, 0xFFFFFE}, {0x28FE1E, true, 0x2CFF22}};
  for (const Case& c : cases) {
    b->BackColor = c.back;
    b->Options = c.smear ? (obYogore | obChalkKasure) : obChalkKasure;
    EXPECT_EQ(b->WipeColor(c.smear), c.wipe);
    FillPage(kRed);
    b->EraseStroke(500, 300, 300, 500);
    EXPECT_EQ(PixelAt(b->Board.get(), 500, 300), c.wipe) << std::hex << c.back;
    b->FingerStroke(100, 100, 100, 200);
    EXPECT_EQ(PixelAt(b->Board.get(), 150, 100), c.wipe) << std::hex << c.back;
  }
}

TEST_F(Strokes, WipesDoNotDependOnTheLastStroke) {
  FillPage(kRed);
  b->EraseStroke(500, 300, 300, 500);
  std::vector<TColor> fresh;
  for (int y = 270; y < 350; ++y)
    for (int x = 420; x < 580; ++x) fresh.push_back(PixelAt(b->Board.get(), x, y));
  FillPage(kRed);
  b->Chalk->Angle = 30;
  b->Chalk->LastX = 100;
  b->Chalk->LastY = 100;
  for (int i = 0; i < 10; ++i) b->SideChalkStroke(100 + 5 * i, 100);  // psClear pens, width-2 scratches
  b->Board->Canvas()->FillRect(Rect(400, 250, 600, 370));
  FillPage(kRed);
  b->EraseStroke(500, 300, 300, 500);
  size_t i = 0;
  for (int y = 270; y < 350; ++y)
    for (int x = 420; x < 580; ++x) ASSERT_EQ(PixelAt(b->Board.get(), x, y), fresh[i++]) << x << "," << y;
}

TEST_F(Strokes, EraserNearTheTrayWipesTheTrayDust) {
  const int H = b->ScreenHeight;  // the page's last row is H - 49, the tray dust's row 0
  struct Case { int y; int clearedRows; };
  const Case cases[] = {{H - 85, 0}, {H - 84, 1}, {H - 81, 4}, {H - 49, 5}, {H - 31, 5}};
  for (const Case& c : cases) {
    TBitmap* dust = b->Dust->TrayDust;
    dust->Canvas()->Brush()->SetColor(clWhite);
    dust->Canvas()->FillRect(Rect(0, 0, dust->Width(), dust->Height()));
    b->EraseStroke(300, c.y, c.y, 300);
    for (int row = 0; row < 5; ++row) {
      const bool cleared = PixelAt(dust, 300, row) == clBlack;
      EXPECT_EQ(cleared, row < c.clearedRows) << "y " << c.y << " row " << row;
      EXPECT_EQ(PixelAt(dust, 700, row), clWhite);
    }
    // The finger leaves the tray dust alone.
    b->FingerStroke(600, c.y, c.y, 800);
    EXPECT_EQ(PixelAt(dust, 700, 0), clWhite);
  }
}

// The area an eraser sweeps is the convex hull of its rectangle at the two ends; the tray dust
// loses exactly the pixels of that hull's region (shifted: the tray dust's row 0 is the page's
// last row), however far the ends lie from the screen (a log brings them to within 32768).
std::vector<POINT> Hull(std::vector<POINT> pts) {
  std::sort(pts.begin(), pts.end(), [](POINT a, POINT b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  auto cross = [](POINT o, POINT a, POINT b) {
    return int64_t{a.x - o.x} * (b.y - o.y) - int64_t{a.y - o.y} * (b.x - o.x);
  };
  std::vector<POINT> h;
  for (int pass = 0; pass < 2; ++pass) {
    const size_t base = h.size();
    for (const POINT& q : pts) {
      while (h.size() >= base + 2 && cross(h[h.size() - 2], h.back(), q) <= 0) h.pop_back();
      h.push_back(q);
    }
    h.pop_back();
    std::reverse(pts.begin(), pts.end());
  }
  return h;
}

TEST_F(Strokes, SweepsWipeTheirHullOffTheTrayDust) {
  const int W = b->ScreenWidth, H = b->ScreenHeight, M = 32768;
  struct Case { bool longEraser; int x0, y0, x1, y1; };
  const Case cases[] = {
      {false, 300, H - 60, 340, H - 40},   {false, 340, H - 40, 300, H - 60}, {false, 300, H - 60, 260, H - 30},
      {false, 260, H - 30, 300, H - 60},   {false, 100, H - 50, 700, H - 50}, {true, 500, H - 700, 420, H - 600},
      {false, -M, -M, W + M, H + M},       {false, W + M, -M, -M, H + M},     {true, -M, H + M, W + M, -M},
      {true, W + M, H + M, -M, -M},        {false, 400, -M, 410, H + M},      {false, -M, H - 45, W + M, H - 47},
      {true, -M, H - 600, W + M, H - 650}, {false, 20, -M, 780, -M + 5},
  };
  TBitmap* dust = b->Dust->TrayDust;
  TBitmap expected;
  expected.SetPixelFormat(dust->PixelFormat());
  expected.SetSize(dust->Width(), dust->Height());
  int clearing = 0;
  for (const Case& c : cases) {
    const TRect r0 = c.longEraser ? Rect(c.x0, c.y0, c.x0 + 88, c.y0 + 640) : Rect(c.x0 - 64, c.y0 - 18, c.x0 + 64, c.y0 + 36);
    const TRect r1 = c.longEraser ? Rect(c.x1, c.y1, c.x1 + 88, c.y1 + 640) : Rect(c.x1 - 64, c.y1 - 18, c.x1 + 64, c.y1 + 36);
    const int dy = b->TrayHeight - H + 1;
    std::vector<POINT> hull = Hull({{r0.left, r0.top + dy}, {r0.right, r0.top + dy}, {r0.left, r0.bottom + dy},
                                    {r0.right, r0.bottom + dy}, {r1.left, r1.top + dy}, {r1.right, r1.top + dy},
                                    {r1.left, r1.bottom + dy}, {r1.right, r1.bottom + dy}});
    for (TBitmap* t : {dust, &expected}) {
      t->Canvas()->Brush()->SetColor(clWhite);
      t->Canvas()->FillRect(Rect(0, 0, t->Width(), t->Height()));
    }
    HRGN rgn = CreatePolygonRgn(hull.data(), static_cast<int>(hull.size()), WINDING);
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRgn(expected.Canvas()->Handle(), rgn, black);
    DeleteObject(black);
    DeleteObject(rgn);
    if (c.longEraser) b->LongEraseStroke(c.x1, c.y1, c.y0, c.x0);
    else b->EraseStroke(c.x1, c.y1, c.y0, c.x0);
    int cleared = 0;
    for (int y = 0; y < dust->Height(); ++y)
      for (int x = 0; x < dust->Width(); ++x) {
        ASSERT_EQ(PixelAt(dust, x, y), PixelAt(&expected, x, y)) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1 << " at " << x << "," << y;
        cleared += PixelAt(dust, x, y) == clBlack;
      }
    clearing += cleared > 0;
  }
  EXPECT_EQ(clearing, 13);  // all but the sweep far above the screen
}

}  // namespace
}  // namespace boardtest
