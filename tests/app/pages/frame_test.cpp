// One frame composed on the drawing control's back surface, read back pixel by pixel.
#include <cmath>
#include <cstring>
#include <functional>

#include "pages_support.h"

namespace pagestest {
namespace {

class Frame : public BoardOnScreen {
 protected:
  void SetUp() override {
    BoardOnScreen::SetUp();
    Start();
  }
  void Paint() {
    draw->Surface()->Fill(0);
    board->PaintFrame();
  }
  // The surface canvas's text height with the font the frame left on it.
  int32_t TextHeightOnSurface(const char* text) {
    const int32_t h = draw->Surface()->Canvas()->TextHeight(text);
    draw->Surface()->Canvas()->Release();
    return h;
  }
  int32_t TextWidthOnSurface(const char* text) {
    const int32_t w = draw->Surface()->Canvas()->TextWidth(text);
    draw->Surface()->Canvas()->Release();
    return w;
  }
};

TEST_F(Frame, ArrowsAreGreyWhereTheyLeadNowhere) {
  struct Case {
    uint32_t page, count;
    uint8_t drawn;
    TColor prev, next;
  } cases[] = {
      {1, 1, 0, kNonPrev, kNonNext},  // a fresh board
      {1, 1, 1, kNonPrev, kNext},     // after a stroke a new page may follow
      {2, 3, 0, kPrev, kNext},
      {3, 3, 0, kPrev, kNonNext},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.page << "/" << c.count << " drawn " << int(c.drawn));
    board->CurrentPage = c.page;
    board->PageCount = c.count;
    board->LastPageDrawn = c.drawn;
    Paint();
    EXPECT_EQ(At(16, H - 24), Dev(c.prev));
    EXPECT_EQ(At(W - 16, H - 24), Dev(c.next));
    EXPECT_EQ(At(W / 2, H - 24), Dev(kTray));
  }
}

TEST_F(Frame, PageNumberShowsAtTheArrowUnderTheMouse) {
  board->CurrentPage = 12;
  board->PageCount = 12;
  // Over the right arrow: "12/12" ends at the screen's right edge, on its black ground.
  board->Chalk->LastX = W - 10;
  board->Chalk->LastY = H - 20;
  Paint();
  const int32_t tw = TextWidthOnSurface("12/12");
  ASSERT_GT(tw, 32);
  const int y = H - 48 + 3;
  EXPECT_EQ(At(W - 1, y), 0u);
  EXPECT_EQ(At(W - tw, y), 0u);
  EXPECT_EQ(At(W - tw - 1, y), Dev(kTray));
  int white = 0;
  for (int x = W - tw; x < W; ++x)
    for (int yy = H - 48; yy < H - 30; ++yy) white += At(x, yy) == 0xFFFFFFu;
  EXPECT_GT(white, 20);
  // Over the left arrow: it starts at the screen's left edge.
  board->Chalk->LastX = 5;
  Paint();
  EXPECT_EQ(At(0, y), 0u);
  EXPECT_EQ(At(tw - 1, y), 0u);
  EXPECT_EQ(At(W - 16, H - 24), Dev(kNonNext));
  // Elsewhere: no page number.
  board->Chalk->LastX = W / 2;
  Paint();
  EXPECT_EQ(At(W - 16, y), Dev(kNonNext));
  EXPECT_EQ(At(16, y), Dev(kPrev));
}

TEST_F(Frame, ToolInUseIsMissingFromTheTray) {
  const TRect e = board->EraserRect;
  const int longX = e.left - (40 + 10), iconX = longX - 40 - 10;
  struct Case {
    uint8_t tool;
    bool eraser, longEraser, icon;
  } cases[] = {
      {tlChalk, true, true, true},
      {tlEraser, false, true, true},
      {tlLongEraser, true, false, true},
      {tlRuler, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.tool));
    board->Tool = c.tool;
    Paint();
    EXPECT_EQ(At(e.left + 30, e.top + 15), Dev(c.eraser ? kEraser : kTray));
    EXPECT_EQ(At(longX + 20, H - 24), Dev(c.longEraser ? kLongEraser : kTray));
    EXPECT_EQ(At(iconX + 20, H - 24), Dev(c.icon ? kRulerIcon : kTray));
  }
}

TEST_F(Frame, ChalkInHandIsLiftedOutOfTheTray) {
  const TRect r = board->Chalks->Get(0)->Rect;
  const TRect other = board->Chalks->Get(1)->Rect;
  board->Tool = tlChalk;
  Paint();
  EXPECT_EQ(At(r.left - 3, H - 46), Dev(kTrayStrip));
  EXPECT_EQ(At(r.left + 5, r.top + 5), Dev(0xFAFAFA));  // the chalk drawn again over the strip
  EXPECT_EQ(At(other.left - 3, H - 46), Dev(kTray));
  board->Tool = tlEraser;
  Paint();
  EXPECT_EQ(At(r.left - 3, H - 46), Dev(kTray));
}

TEST_F(Frame, EraserCursorIsCentredOnTheMouse) {
  board->Tool = tlEraser;
  Paint();
  const std::vector<uint8_t> page = PageBytes(board->Board.get());
  board->DrawToolCursor(Point(500, 300));
  // 60 x 30 with a clear one-pixel frame, at (470, 285).
  EXPECT_EQ(At(500, 300), Dev(kEraser));
  EXPECT_EQ(At(471, 286), Dev(kEraser));
  EXPECT_EQ(At(528, 313), Dev(kEraser));
  EXPECT_EQ(At(470, 300), Dev(board->BackColor));
  EXPECT_EQ(At(529, 300), Dev(board->BackColor));
  EXPECT_EQ(PageBytes(board->Board.get()), page);
  // Over the tray the cursor is the finger, its middle at the mouse.
  board->DrawToolCursor(Point(500, H - 40));
  EXPECT_EQ(At(500, H - 38), Dev(kFinger));
  EXPECT_EQ(At(490, H - 38), Dev(kTray));
}

TEST_F(Frame, RecordingAndPlayingMarkers) {
  board->LogState = 1;
  Paint();
  int32_t h = TextHeightOnSurface("R");
  ASSERT_GT(h, 20);
  EXPECT_EQ(At((h + 20) / 2, (h + 20) / 2), 0xFF0000u);  // the red dot
  EXPECT_EQ(At(5, 5), Dev(board->BackColor));
  board->LogState = 2;
  Paint();
  h = TextHeightOnSurface("P");
  EXPECT_EQ(At(14, h / 2 + 10), 0x00FF00u);  // the green triangle
  EXPECT_EQ(At(12, 12), 0x00FF00u);
  EXPECT_EQ(At((h + 20) / 2, (h + 20) / 2 - h / 3), Dev(board->BackColor));
  board->LogState = 0;
  Paint();
  EXPECT_EQ(At(14, h / 2 + 10), Dev(board->BackColor));
}

TEST_F(Frame, GridLiesOverTheChalkAndNeverInThePage) {
  TCanvas* page = board->Board->Canvas();
  page->Brush()->SetColor(clWhite);
  page->FillRect(Rect(100, 100, 150, 120));
  TBitmap grid;
  FillBitmap(&grid, W, H - 48, clBlack);
  grid.Canvas()->Brush()->SetColor(clAqua);
  grid.Canvas()->FillRect(Rect(0, 110, W, 111));
  Item("Grid")->Picture()->Assign(&grid);
  images->Items()->Restore();
  board->GridOn = 1;
  // Dust falling over the page and dust settled in the tray.
  auto* k = new TKona();
  k->X = 400;
  k->Y = 400;
  k->Color = clYellow;
  board->Dust->Add(k);
  board->Dust->TrayDust->Canvas()->SetPixels(200, 2, clWhite);
  const std::vector<uint8_t> before = PageBytes(board->Board.get());
  Paint();
  EXPECT_EQ(PageBytes(board->Board.get()), before);
  EXPECT_EQ(At(120, 110), Dev(clAqua));
  EXPECT_EQ(At(120, 105), Dev(clWhite));
  EXPECT_EQ(At(300, 110), Dev(clAqua));
  EXPECT_EQ(At(300, 300), Dev(board->BackColor));
  EXPECT_EQ(At(400, 400), Dev(clYellow));
  EXPECT_EQ(At(200, H - 48 - 1 + 2), 0xFFFFFFu);
  EXPECT_EQ(At(201, H - 48 - 1 + 2), Dev(kTray));
  board->GridOn = 0;
  Paint();
  EXPECT_EQ(At(120, 110), Dev(clWhite));
  EXPECT_EQ(At(300, 110), Dev(board->BackColor));
}

TEST_F(Frame, GridLiesOverTheDustAndTheMarkers) {
  TBitmap grid;
  FillBitmap(&grid, W, H - 48, clBlack);
  grid.Canvas()->Brush()->SetColor(clAqua);
  grid.Canvas()->FillRect(Rect(0, 110, W, 111));
  grid.Canvas()->FillRect(Rect(20, 0, 21, H - 48));
  Item("Grid")->Picture()->Assign(&grid);
  images->Items()->Restore();
  board->GridOn = 1;
  for (const TPoint p : {Point(300, 110), Point(300, 111), Point(20, 500)}) {
    auto* k = new TKona();
    k->X = p.x;
    k->Y = p.y;
    k->Color = clYellow;
    board->Dust->Add(k);
  }
  board->LogState = 1;
  for (int frame = 0; frame < 2; ++frame) {
    SCOPED_TRACE(frame);
    Paint();
    const int32_t h = TextHeightOnSurface("R");
    EXPECT_EQ(At(300, 110), Dev(clAqua));
    EXPECT_EQ(At(300, 111), Dev(clYellow));
    EXPECT_EQ(At(20, 500), Dev(clAqua));
    EXPECT_EQ(At(20, (h + 20) / 2), Dev(clAqua));  // over the red dot
    EXPECT_EQ(At((h + 20) / 2, (h + 20) / 2), 0xFF0000u);
  }
  // An opaque grid hides all of the dust within it.
  Item("Grid")->SetTransparent(false);
  images->Items()->Restore();
  Paint();
  EXPECT_EQ(At(300, 110), Dev(clAqua));
  EXPECT_EQ(At(300, 111), Dev(clBlack));
}

// A bitmap's pixels as 32-bit rows from the top, read without touching the bitmap's stamp.
std::vector<uint32_t> Pixels32(TBitmap* b) {
  const int w = b->Width(), h = b->Height();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  std::vector<uint32_t> out(static_cast<size_t>(w) * h);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDIBits(dc, b->Handle(), 0, h, out.data(), &bi, DIB_RGB_COLORS), h);
  DeleteDC(dc);
  for (uint32_t& p : out) p &= 0xFFFFFF;
  return out;
}

TEST_F(Frame, KeptPageFollowsEveryChangeOfPageGridAndColour) {
  const int rows = H - 48 - 1;  // above the tray and its dust
  // Rows 0 .. rows - 1 of the back surface against the page with the grid keyed over it.
  auto check = [&](const std::string& what) {
    Paint();
    const std::vector<uint32_t> page = Pixels32(board->Board.get());
    TPictureCollectionItem* gridItem = Item("Grid");
    std::vector<uint32_t> grid;
    int gw = 0, gh = 0;
    if (board->GridOn && !gridItem->Picture()->Bitmap()->Empty()) {
      grid = Pixels32(gridItem->Picture()->Bitmap());
      gw = gridItem->Picture()->Width();
      gh = gridItem->Picture()->Height();
    }
    const uint32_t key = Dev(gridItem->TransparentColor());
    DDSURFACEDESC2 d{};
    ASSERT_TRUE(draw->Surface()->Lock(nullptr, d));
    int wrong = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < rows; ++y) {
      const auto* shown = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch);
      for (int x = 0; x < W; ++x) {
        uint32_t want = page[static_cast<size_t>(y) * W + x];
        if (x < gw && y < gh) {
          const uint32_t g = grid[static_cast<size_t>(y) * gw + x];
          if (!gridItem->Transparent() || g != key) want = g;
        }
        if ((shown[x] & 0xFFFFFF) != want && wrong++ == 0) firstX = x, firstY = y;
      }
    }
    draw->Surface()->Unlock();
    EXPECT_EQ(wrong, 0) << what << ": first at " << firstX << "," << firstY;
  };
  board->Today = [] { return EncodeDate(2026, 3, 9); };
  TBitmap grid;
  FillBitmap(&grid, W, H - 48, clBlack);
  grid.Canvas()->Brush()->SetColor(clAqua);
  for (int x = 0; x < W; x += 40) grid.Canvas()->FillRect(Rect(x, 0, x + 1, H - 48));
  TBitmap picture;
  FillBitmap(&picture, 90, 70, clRed);
  const struct Case {
    const char* what;
    std::function<void()> change;
  } kCases[] = {
      {"nothing", [] {}},
      {"a chalk line",
       [&] {
         board->Chalk->LastX = 100;
         board->Chalk->LastY = 120;
         board->ChalkLine(500, 260, true);
       }},
      {"a thin line", [&] { board->ThinLine(40, 30); }},
      {"the eraser", [&] { board->EraseStroke(300, 200, 150, 250); }},
      {"a picture put on the page's handle",
       [&] { BitBlt(board->Board->Canvas()->Handle(), 600, 300, 90, 70, picture.Canvas()->Handle(), 0, 0, SRCCOPY); }},
      {"a scan line written", [&] { std::memset(board->Board->ScanLine(400) + 30, 0xC0, 300); }},
      {"the date stamped", [&] { board->StampDate(W - 72, 8); }},
      {"the board colour", [&] { board->ReplaceColor(board->BackColor, clNavy); }},
      {"the grid turned on",
       [&] {
         Item("Grid")->Picture()->Assign(&grid);
         images->Items()->Restore();
         board->GridOn = 1;
       }},
      {"a chalk line under the grid",
       [&] {
         board->Chalk->LastX = 30;
         board->Chalk->LastY = 500;
         board->ChalkLine(W - 30, 520, true);
       }},
      {"the grid drawn on",
       [&] {
         TCanvas* c = Item("Grid")->Picture()->Bitmap()->Canvas();
         c->Brush()->SetColor(clLime);
         c->FillRect(Rect(0, 300, W, 302));
         images->Items()->Restore();
       }},
      {"the grid's key colour", [&] { Item("Grid")->SetTransparentColor(clAqua); }},
      {"the grid made opaque", [&] { Item("Grid")->SetTransparent(false); }},
      {"the grid keyed again",
       [&] {
         Item("Grid")->SetTransparent(true);
         Item("Grid")->SetTransparentColor(clBlack);
       }},
      {"many changes, each looked at",
       [&] {
         for (int i = 0; i < 40; ++i) {
           board->Board->Canvas()->SetPixels(20 + i * 30, 600 + i, clYellow);
           board->Board->ContentStamp();
         }
       }},
      {"another picture assigned to the page",
       [&] {
         TBitmap other;
         FillBitmap(&other, W, H - 48, clMaroon);
         board->Board->Assign(&other);
       }},
      {"the grid turned off", [&] { board->GridOn = 0; }},
      {"a new page", [&] { ASSERT_TRUE(board->NextPage()); }},
      {"back to the page before", [&] { ASSERT_TRUE(board->PrevPage()); }},
      {"the grid on again",
       [&] {
         Item("Grid")->Picture()->Assign(&grid);
         images->Items()->Restore();
         board->GridOn = 1;
       }},
      {"forward to a page made before", [&] { ASSERT_TRUE(board->NextPage()); }},
      {"back to the page of the same grid", [&] { ASSERT_TRUE(board->PrevPage()); }},
      {"forward again", [&] { ASSERT_TRUE(board->NextPage()); }},
      {"and back again", [&] { ASSERT_TRUE(board->PrevPage()); }},
      {"the grid off again", [&] { board->GridOn = 0; }},
      {"a third page, drawn on",
       [&] {
         ASSERT_TRUE(board->NextPage());
         ASSERT_TRUE(board->NextPage());
         board->Chalk->LastX = 200;
         board->Chalk->LastY = 600;
         board->ChalkLine(700, 420, true);
       }},
      {"two pages back between two frames",
       [&] {
         ASSERT_TRUE(board->PrevPage());
         ASSERT_TRUE(board->PrevPage());
       }},
  };
  for (const Case& c : kCases) {
    Paint();
    c.change();
    check(c.what);
  }
}

// The back surface's pixels, read without changing its stamp.
std::vector<uint32_t> BackPixels(TDXDraw* draw) {
  TDirectDrawSurface* s = draw->Surface();
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  std::vector<uint32_t> out;
  if (s->IDDSurface()->Lock(nullptr, &d, DDLOCK_READONLY | DDLOCK_WAIT, nullptr) != DD_OK) return out;
  for (DWORD y = 0; y < d.dwHeight; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch);
    for (DWORD x = 0; x < d.dwWidth; ++x) out.push_back(row[x] & 0xFFFFFF);
  }
  s->IDDSurface()->Unlock(nullptr);
  return out;
}

// A frame puts back only what the frame before drew over the page; each frame of a run of
// changes must equal the same frame painted on a cleared surface.
TEST_F(Frame, EachFrameEqualsTheFramePaintedWhole) {
  auto addDust = [&](int x, int y, TColor c) {
    auto* k = new TKona();
    k->X = x;
    k->Y = y;
    k->Color = c;
    board->Dust->Add(k);
  };
  for (int i = 0; i < 60; ++i) addDust(30 + i * 16, 200 + (i * 37) % 300, clWhite);
  TBitmap grid;
  FillBitmap(&grid, W, H - 48, clBlack);
  grid.Canvas()->Brush()->SetColor(clAqua);
  for (int x = 0; x < W; x += 50) grid.Canvas()->FillRect(Rect(x, 0, x + 1, H - 48));
  TPoint mouse = Point(400, 300);
  bool cursor = true;
  const struct Step {
    const char* what;
    std::function<void()> change;
  } kSteps[] = {
      {"the first frame", [] {}},
      {"the same frame again", [] {}},
      {"the dust falls",
       [&] {
         for (int i = 0; i < board->Dust->Count(); ++i) board->Dust->Get(i)->Y += 7;
       }},
      {"dust gone", [&] { board->Dust->Clear(); }},
      {"the mouse moves", [&] { mouse = Point(700, 500); }},
      {"the eraser", [&] { board->Tool = tlEraser; }},
      {"the eraser moves", [&] { mouse = Point(10, 10); }},
      {"the long eraser", [&] { board->Tool = tlLongEraser; }},
      {"the finger", [&] { board->Tool = tlFinger; }},
      {"the mouse over the tray", [&] { mouse = Point(500, H - 20); }},
      {"the page number at the next arrow", [&] { mouse = Point(W - 5, H - 20); }},
      {"the ruler, loose", [&] {
         board->Tool = tlRuler;
         mouse = Point(300, 300);
       }},
      {"the ruler anchored", [&] {
         board->RulerAnchored = 1;
         board->Chalk->LastX = 300;
         board->Chalk->LastY = 300;
         mouse = Point(700, 600);
       }},
      {"the ruler turned", [&] { mouse = Point(50, 620); }},
      {"the ruler turned up and off the screen", [&] { mouse = Point(320, 2); }},
      {"the ruler turned all round", [&] {
         for (int i = 0; i < 24; ++i) {
           const double a = i * M_PI / 12;
           mouse = Point(300 + static_cast<int>(250 * std::cos(a)), 300 + static_cast<int>(250 * std::sin(a)));
           board->PaintFrame();
           board->DrawToolCursor(mouse);
         }
         mouse = Point(420, 560);
       }},
      {"the chalk's side", [&] {
         board->RulerAnchored = 0;
         board->Tool = tlChalk;
         board->Chalk->Mode = 2;
         board->Chalk->Angle = 75;
         mouse = Point(500, 400);
       }},
      {"the chalk's tip", [&] { board->Chalk->Mode = 1; }},
      {"recording", [&] { board->LogState = 1; }},
      {"playing", [&] { board->LogState = 2; }},
      {"neither", [&] { board->LogState = 0; }},
      {"a stroke", [&] {
         board->Chalk->LastX = 100;
         board->Chalk->LastY = 100;
         board->ChalkLine(600, 380, true);
       }},
      {"the grid on", [&] {
         Item("Grid")->Picture()->Assign(&grid);
         images->Items()->Restore();
         board->GridOn = 1;
         for (int i = 0; i < 20; ++i) addDust(25 + i * 50, 150 + i * 9, clYellow);
       }},
      {"a stroke under the grid and dust in the tray", [&] {
         board->ChalkLine(900, 100, true);
         board->Dust->TrayDust->Canvas()->SetPixels(40, 2, clWhite);
       }},
      {"the picture waiting", [&] { board->PictureWaiting = 1; }},
      {"the picture waiting moves", [&] { mouse = Point(20, 700); }},
      {"no cursor", [&] {
         board->PictureWaiting = 0;
         cursor = false;
       }},
      {"the cursor again", [&] { cursor = true; }},
      {"something else drawn on the frame", [&] {
         draw->Surface()->FillRectAlpha(Rect(0, 0, W, H), clBlack, 128);
       }},
      {"a new page", [&] { ASSERT_TRUE(board->NextPage()); }},
  };
  for (const Step& step : kSteps) {
    SCOPED_TRACE(step.what);
    step.change();
    board->PaintFrame();
    if (cursor) board->DrawToolCursor(mouse);
    const std::vector<uint32_t> shown = BackPixels(draw);
    draw->Surface()->Fill(0);
    board->PaintFrame();
    if (cursor) board->DrawToolCursor(mouse);
    const std::vector<uint32_t> whole = BackPixels(draw);
    ASSERT_EQ(shown.size(), whole.size());
    size_t wrong = 0, first = 0;
    for (size_t i = 0; i < shown.size(); ++i)
      if (shown[i] != whole[i] && wrong++ == 0) first = i;
    EXPECT_EQ(wrong, 0u) << "first at " << first % W << "," << first / W;
  }
}

TEST(RulerAngle, ShiftSnapsToEighthsOfATurn) {
  struct Case {
    double degrees, snapped;
  } cases[] = {{0, 0},      {22, 0},     {22.5, 45},  {30, 45},    {67, 45},   {67.5, 90},  {112, 90},
               {150, 135},  {157, 135},  {200, 180},  {202, 180},  {240, 225}, {247, 225}, {292, 270},
               {300, 315},  {337, 315},  {337.5, 360}, {359.5, 360}, {360, 360}};
  for (const Case& c : cases) EXPECT_EQ(SnapRulerDegrees(c.degrees), c.snapped) << c.degrees;
  // The direction from the anchor to the mouse, y downwards.
  const TPoint a = Point(300, 300);
  EXPECT_EQ(RulerDegrees(a, a, false), 0);
  EXPECT_EQ(RulerDegrees(a, Point(300, 400), false), 90);
  EXPECT_EQ(RulerDegrees(a, Point(300, 200), false), 270);
  EXPECT_NEAR(RulerDegrees(a, Point(300 - 100, 300), false), 180, 1e-9);
  // 30 degrees towards the lower right snaps to 45: drawing angle 32.
  EXPECT_NEAR(RulerDegrees(a, Point(300 + 173, 300 + 100), false), 30, 0.05);
  EXPECT_EQ(RulerDegrees(a, Point(300 + 173, 300 + 100), true), 45);
  EXPECT_EQ(DrawAngle256(45), 32);
  // Just above the rightward line: 359.5 degrees, snapped to 360, drawing angle 256: drawn as 0.
  EXPECT_NEAR(RulerDegrees(a, Point(300 + 115, 299), false), 359.5, 0.01);
  EXPECT_EQ(RulerDegrees(a, Point(300 + 115, 299), true), 360);
  EXPECT_EQ(DrawAngle256(360), 0);
  EXPECT_EQ(DrawAngle256(359.5), 0);
  EXPECT_EQ(DrawAngle256(-90), 192);
}

TEST_F(Frame, AnchoredRulerAtTheFullTurnIsDrawnAsAtNoTurn) {
  board->Tool = tlRuler;
  board->RulerAnchored = 1;
  board->Chalk->LastX = 300;
  board->Chalk->LastY = 300;
  auto ruler = [&](TPoint p) {
    Paint();
    board->DrawToolCursor(p);
    std::vector<uint32_t> rows;
    for (int y = 320; y < 420; ++y)
      for (int x = 250; x < 550; ++x) rows.push_back(At(x, y));
    return rows;
  };
  const std::vector<uint32_t> level = ruler(Point(415, 300));
  winplat::screen::SetKeyState(VK_SHIFT, true);
  const std::vector<uint32_t> fullTurn = ruler(Point(415, 299));
  winplat::screen::SetKeyState(VK_SHIFT, false);
  EXPECT_EQ(fullTurn, level);
  size_t ruled = 0;
  for (uint32_t v : level) ruled += v == Dev(kMarks);
  EXPECT_GT(ruled, 100u * 80u);  // the marks picture (200 x 100) lies right of and below the anchor
  // The chalk in hand at the mouse, and its faint twin at the anchor.
  const TColor chalk = 0xFAFAFA;
  EXPECT_EQ(At(420, 300), Dev(chalk));
  EXPECT_NE(At(305, 300), Dev(chalk));
  EXPECT_NE(At(305, 300), Dev(board->BackColor));
}

TEST_F(Frame, NothingIsDrawnWhileTheControlCannotDraw) {
  draw->Surface()->Fill(0x123456);
  board->DXDraw = nullptr;
  board->PaintFrame();
  board->DrawToolCursor(Point(10, 10));
  EXPECT_EQ(At(10, 10), 0x123456u);
  board->DXDraw = draw;
}

}  // namespace
}  // namespace pagestest
