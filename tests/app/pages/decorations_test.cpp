// The grid overlay built from its tile, the board colour swap and the date stamp.
#include "pages_support.h"

namespace pagestest {
namespace {

class Decorations : public BoardOnScreen {
 protected:
  void SetUp() override {
    BoardOnScreen::SetUp();
    Start();
  }
};

TEST_F(Decorations, TileIsRepeatedOverThePageAndCutAtItsEdges) {
  // A 100 x 100 tile with one marked pixel at its top left: 11 columns (the last cut at 24
  // pixels) and 8 rows (the last cut at 20) on a 1024 x 720 page.
  TBitmap tile;
  FillBitmap(&tile, 100, 100, clBlack);
  tile.Canvas()->SetPixels(0, 0, clWhite);
  tile.Canvas()->SetPixels(99, 99, clAqua);
  fs::create_directories(File("overlay"));
  tile.SaveToFile(File("overlay/squares.bmp").string());
  board->GridName = "squares";
  board->GridOn = 1;
  board->LoadGrid();
  EXPECT_EQ(board->GridOn, 1);
  TPictureCollectionItem* grid = Item("Grid");
  TBitmap* g = grid->Picture()->Bitmap();
  ASSERT_EQ(g->Width(), 1024);
  ASSERT_EQ(g->Height(), 720);
  int marks = 0, corners = 0;
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1024; ++x) {
      const TColor c = PixelAt(g, x, y);
      if (c == clWhite) {
        ++marks;
        EXPECT_TRUE(x % 100 == 0 && y % 100 == 0) << x << "," << y;
      } else if (c == clAqua) {
        ++corners;
      } else {
        EXPECT_EQ(c, clBlack);
      }
    }
  EXPECT_EQ(marks, 11 * 8);
  EXPECT_EQ(corners, 10 * 7);  // the cut tiles lose their bottom right corner
  EXPECT_TRUE(grid->Transparent());
  EXPECT_EQ(grid->TransparentColor(), clBlack);
  ASSERT_EQ(grid->PatternCount(), 1);
}

TEST_F(Decorations, MissingUnreadableOrEmptyTileTurnsTheGridOff) {
  fs::create_directories(File("overlay"));
  // A BMP header of a 0 x 5 picture, and bytes that are no picture.
  std::string empty("BM\x36\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00", 18);
  empty += std::string("\x00\x00\x00\x00\x05\x00\x00\x00\x01\x00\x18\x00", 12) + std::string(24, '\0');
  WriteText(File("overlay/empty.bmp"), empty);
  WriteText(File("overlay/broken.bmp"), "BM?");
  WriteBmp(File("overlay/lines.bmp"), 64, 48, clWhite);
  for (const char* name : {"missing", "broken", "empty"}) {
    SCOPED_TRACE(name);
    board->GridName = "lines";
    board->LoadGrid();
    ASSERT_EQ(PixelAt(Item("Grid")->Picture()->Bitmap(), 5, 5), clWhite);
    board->GridOn = 1;
    board->GridName = name;
    ASSERT_NO_THROW(board->LoadGrid());
    EXPECT_EQ(board->GridOn, 0);
    TBitmap* g = Item("Grid")->Picture()->Bitmap();
    EXPECT_EQ(PixelAt(g, 5, 5), clBlack);
    EXPECT_EQ(PixelAt(g, 1000, 700), clBlack);
  }
}

TEST_F(Decorations, DateStampLaysMonthDayAndWeekdayGlyphsDownThePage) {
  struct Glyph {
    int x, y;  // centre of the cell, from the stamp's corner
    TColor color;
  };
  struct Case {
    int month, day;
    std::vector<Glyph> glyphs;
    std::vector<std::pair<int, int>> empty;
  } cases[] = {
      // 9 March 2026, a Monday: single digits centred at X + 16.
      {3, 9,
       {{32, 32, DigitColor(3)}, {32, 92, kMonthSign}, {32, 156, DigitColor(9)}, {32, 216, kDaySign},
        {32, 280, WeekdayColor(2)}},
       {{8, 32}, {56, 32}, {8, 156}, {56, 156}}},
      // 10 December 2026, a Thursday: two digits at X and X + 32.
      {12, 10,
       {{16, 32, DigitColor(1)}, {48, 32, DigitColor(2)}, {32, 92, kMonthSign}, {16, 156, DigitColor(1)},
        {48, 156, DigitColor(0)}, {32, 216, kDaySign}, {32, 280, WeekdayColor(5)}},
       {}},
  };
  const int X = 400, Y = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.month);
    board->Board->Canvas()->Brush()->SetColor(board->BackColor);
    board->Board->Canvas()->FillRect(Rect(0, 0, W, H - 48));
    board->Today = [&c] { return EncodeDate(2026, static_cast<Word>(c.month), static_cast<Word>(c.day)); };
    board->StampDate(X, Y);
    for (const Glyph& g : c.glyphs) EXPECT_EQ(PixelAt(board->Board.get(), X + g.x, Y + g.y), g.color) << g.x << "," << g.y;
    for (const auto& e : c.empty) EXPECT_EQ(PixelAt(board->Board.get(), X + e.first, Y + e.second), board->BackColor);
    // Nothing outside (X, Y) - (X + 64, Y + 312); the glyphs' black stays the board.
    for (int y = Y - 2; y < Y + 316; ++y) {
      EXPECT_EQ(PixelAt(board->Board.get(), X - 1, y), board->BackColor);
      EXPECT_EQ(PixelAt(board->Board.get(), X + 64, y), board->BackColor);
    }
    EXPECT_EQ(PixelAt(board->Board.get(), X + 32, Y + 312), board->BackColor);
    EXPECT_EQ(PixelAt(board->Board.get(), X + 1, Y + 1), board->BackColor);
  }
}

TEST_F(Decorations, ReplaceColorSwapsExactlyTheOldColour) {
  const TColor back = board->BackColor, chalk = 0xF0F0F0, smear = board->WipeColor(true);
  auto paint = [&] {
    TCanvas* c = board->Board->Canvas();
    c->Brush()->SetColor(back);
    c->FillRect(Rect(0, 0, W, H - 48));
    c->Brush()->SetColor(chalk);
    c->FillRect(Rect(10, 10, 20, 20));
    c->Brush()->SetColor(smear);
    c->FillRect(Rect(30, 10, 40, 20));
  };
  struct Case {
    const char* name;
    TColor oldColor, newColor;
    bool changes;
  } cases[] = {
      {"same colour", back, back, false},
      {"system colour", clBtnFace, clRed, false},
      {"colour not on the page", 0x123456, clRed, false},
      {"the board colour", back, 0x281E1E, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    paint();
    const std::vector<uint8_t> before = PageBytes(board->Board.get());
    board->ReplaceColor(c.oldColor, c.newColor);
    if (!c.changes) {
      EXPECT_EQ(PageBytes(board->Board.get()), before);
      continue;
    }
    EXPECT_EQ(PixelAt(board->Board.get(), 0, 0), c.newColor);
    EXPECT_EQ(PixelAt(board->Board.get(), W - 1, H - 49), c.newColor);
    EXPECT_EQ(PixelAt(board->Board.get(), 15, 15), chalk);
    EXPECT_EQ(PixelAt(board->Board.get(), 35, 15), smear);
  }
}

}  // namespace
}  // namespace pagestest
