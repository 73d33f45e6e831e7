// Whole frames of a drawn-on board with the program's own pictures, one per tool cursor, at two
// screen sizes, saved as frame_<width>_<cursor>.png in the test's scratch folder for a look.
#include <cmath>

#include "pages_support.h"
#include "test_support.h"

namespace pagestest {
namespace {

class Screenshots : public BoardOnScreen, public testing::WithParamInterface<std::pair<int, int>> {};

// Writing, loops, hatching, side strokes, taps, a ruled triangle and wipes, spread over the page.
void DrawLesson(TBlackBoard& b, int W, int H) {
  LiveHand h{b};
  const int n = b.Chalks->Count();
  const double sx = W / 1024.0, sy = (H - 48) / 720.0;
  auto X = [&](int x) { return static_cast<int>(std::lround(x * sx)); };
  auto Y = [&](int y) { return static_cast<int>(std::lround(y * sy)); };
  b.Chalk->Mode = 0;
  for (int c = 0; c < n; ++c) {
    b.Chalk->Index = c;
    const int y0 = 70 + 50 * c;
    h.Press(X(40), Y(y0));
    for (int x = 48; x <= 430; x += 6) h.Move(X(x), Y(y0 + static_cast<int>(std::lround(14 * std::sin(x / 28.0 + c)))));
  }
  b.Chalk->Index = 0;
  h.Press(X(640), Y(190));
  for (int a = 0; a <= 360; a += 5)
    h.Move(X(540 + static_cast<int>(std::lround(100 * std::cos(a * M_PI / 180)))),
           Y(190 + static_cast<int>(std::lround(100 * std::sin(a * M_PI / 180)))));
  b.Chalk->Mode = 1;
  b.Chalk->Index = 3 % n;
  for (int i = 0; i < 8; ++i) {
    h.Press(X(690 + 12 * i), Y(80));
    h.Move(X(690 + 12 * i + 60), Y(200));
  }
  b.Chalk->Mode = 2;
  const int8_t angles[] = {0, 30, 60, 90, -30, -60};
  for (int i = 0; i < 6; ++i) {
    b.Chalk->Index = (i + 1) % n;
    b.Chalk->Angle = angles[i];
    h.Press(X(60 + 140 * i), Y(420));
    for (int s = 1; s <= 10; ++s) h.Move(X(60 + 140 * i + 8 * s), Y(420 + 9 * s));
  }
  b.Chalk->Mode = 3;
  b.Chalk->Index = 1 % n;
  for (int i = 0; i < 20; ++i) {
    h.Press(X(480 + 12 * i), Y(340));
    h.Tap();
  }
  b.Chalk->Mode = 0;
  b.Chalk->Index = 0;
  h.Ruler(X(560), Y(670), X(900), Y(670));
  h.Ruler(X(900), Y(670), X(730), Y(540));
  h.Ruler(X(730), Y(540), X(560), Y(670));
  b.Tool = tlEraser;
  b.Options = obChalkKasure | obYogore;
  h.Press(X(100), Y(450));
  h.Move(X(330), Y(480));
  b.Tool = tlFinger;
  h.Press(X(460), Y(230));
  for (int i = 1; i <= 10; ++i) h.Move(X(460 + 8 * i), Y(230 + (i % 2 ? 50 : 0)));
  b.Tool = tlChalk;
  b.Options = obChalkKasure;
  // Dust: settled in the tray, and some still falling.
  for (int x = 80; x < W - 80; x += 5) b.Dust->Spawn(x, H - 120 + x % 60, b.Chalks->Get((x / 5) % n)->Color, 2, 5);
  for (int i = 0; i < 40; ++i) b.Dust->Step();
  for (int x = X(560); x < X(900); x += 4) b.Dust->Spawn(x, Y(672), clWhite, 2, 5);
  for (int i = 0; i < 4; ++i) b.Dust->Step();
}

// A small photograph-like picture waiting to be stamped.
void MakeWaitingPicture(TBitmap* b) {
  FillBitmap(b, 160, 110, clBlack);
  for (int y = 0; y < 110; ++y) {
    uint8_t* row = b->ScanLine(y);
    for (int x = 0; x < 160; ++x) {
      const bool sky = y < 60 + 10 * std::sin(x / 20.0);
      row[3 * x] = static_cast<uint8_t>(sky ? 230 - y : 40 + x / 4);
      row[3 * x + 1] = static_cast<uint8_t>(sky ? 180 - y / 2 : 140 - y / 3);
      row[3 * x + 2] = static_cast<uint8_t>(sky ? 120 + y : 60 + x / 5);
    }
  }
}

TEST_P(Screenshots, EveryToolCursorOnAFullBoard) {
  const auto [w, h] = GetParam();
  if (!Start(w, h, true)) GTEST_SKIP() << "the program folder's assets are not built";
  ASSERT_TRUE(draw->CanDraw());
  RandSeed = 2026;
  DrawLesson(*board, W, H);
  board->GridName = "方眼";
  board->LoadGrid();
  board->GridOn = 1;
  board->Today = [] { return EncodeDate(2026, 12, 10); };
  board->StampDate(W - 72, 8);
  board->CurrentPage = 12;
  board->PageCount = 12;
  board->LastPageDrawn = 1;
  // The mouse was last over the right arrow: the page number shows there.
  board->Chalk->LastX = W - 12;
  board->Chalk->LastY = H - 20;
  MakeWaitingPicture(Item("DragPic")->Picture()->Bitmap());
  images->Items()->Restore();

  struct Cursor {
    const char* name;
    uint8_t tool, mode, anchored, waiting;
    int8_t angle;
    TPoint at;
  } const cursors[] = {
      {"chalk", tlChalk, 0, 0, 0, 0, Point(W * 2 / 3, H / 2)},
      {"side", tlChalk, 2, 0, 0, 40, Point(W * 2 / 3, H / 2)},
      {"eraser", tlEraser, 0, 0, 0, 0, Point(W * 2 / 3, H / 2)},
      {"long_eraser", tlLongEraser, 0, 0, 0, 0, Point(W * 3 / 4, 60)},
      {"finger", tlFinger, 0, 0, 0, 0, Point(W * 2 / 3, H / 2)},
      {"ruler", tlRuler, 0, 0, 0, 0, Point(W * 2 / 3, H / 3)},
      {"ruler_anchored", tlRuler, 0, 1, 0, 0, Point(W * 2 / 3 + 260, H / 3 + 150)},
      {"picture", tlChalk, 0, 0, 1, 0, Point(W * 2 / 3, H / 2)},
  };
  for (const Cursor& c : cursors) {
    SCOPED_TRACE(c.name);
    board->Tool = c.tool;
    board->Chalk->Mode = c.mode;
    board->Chalk->Angle = c.angle;
    board->RulerAnchored = c.anchored;
    board->PictureWaiting = c.waiting;
    board->UpdateNowTool();
    const TPoint hint = Point(board->Chalk->LastX, board->Chalk->LastY);
    if (c.anchored) {
      // The anchor is where the ruler was clicked; the page number then does not show.
      board->Chalk->LastX = W * 2 / 3;
      board->Chalk->LastY = H / 3;
    }
    board->PaintFrame();
    board->DrawToolCursor(c.at);
    draw->Flip();
    board->Chalk->LastX = hint.x;
    board->Chalk->LastY = hint.y;
    const std::string file = "frame_" + std::to_string(W) + "_" + c.name + ".png";
    ASSERT_TRUE(test_support::WriteScreenshotPng(file));
    // What every frame must hold: the page colour, chalk, the wooden tray, the grid's lines.
    int ground = 0, tray = 0, bright = 0;
    int sw = 0, sh = 0;
    const std::vector<uint32_t> px = backend->Screenshot(&sw, &sh);
    ASSERT_EQ(sw, W);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; x += 2) {
        const uint32_t v = px[static_cast<size_t>(y) * W + x];
        const int r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
        if (y < H - 48 && v == Dev(board->BackColor)) ++ground;
        if (y >= H - 40 && r > g && g > b && r > 60) ++tray;  // brown wood
        if (y < H - 48 && r > 180 && g > 180 && b > 150) ++bright;
      }
    EXPECT_GT(ground, W * (H - 48) / 2 / 3);
    EXPECT_GT(tray, W * 30 / 2 / 2);
    EXPECT_GT(bright, 2000);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Screenshots, testing::Values(std::pair{1024, 768}, std::pair{1920, 1080}),
                         [](const auto& info) { return std::to_string(info.param.first); });

}  // namespace
}  // namespace pagestest
