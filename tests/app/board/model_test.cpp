// The board's creation, its colour, the chalk set and the tray.
#include "board_support.h"

namespace boardtest {
namespace {

using BoardModel = ProgramFolderFixture;

TEST_F(BoardModel, BoardColourFromSettings) {
  struct Case { const char* settings; TColor expected; };
  const Case cases[] = {
      {nullptr, 0x005000},
      {"[general]\r\nbackcolor=0\r\n", 0x005000},
      {"[general]\r\nbackcolor=1\r\n", 0x281E1E},
      {"[general]\r\nbackcolor=2\r\n", clGreen},
      {"[general]\r\nbackcolor=2\r\nCustomBackColor=clNavy\r\n", clNavy},
      {"[general]\r\nbackcolor=2\r\nCustomBackColor=$00123456\r\n", 0x123456},
      {"[general]\r\nbackcolor=2\r\nCustomBackColor=chalky green\r\n", clGreen},
      {"[general]\r\nbackcolor=2\r\nCustomBackColor=clBtnFace\r\n", ColorToRGB(clBtnFace)},
      {"[general]\r\nbackcolor=3\r\n", 0x005000},
      {"[general]\r\nbackcolor=-1\r\n", 0x005000},
  };
  for (const Case& c : cases) {
    fs::remove(File("settings.ini"));
    if (c.settings) WriteText(File("settings.ini"), c.settings);
    TBlackBoard b;
    EXPECT_EQ(b.BackColor, c.expected) << (c.settings ? c.settings : "(none)");
    EXPECT_EQ(b.DefaultBackColor, c.expected);
    EXPECT_EQ(PixelAt(b.Board.get(), 0, 0), c.expected);
    EXPECT_EQ(PixelAt(b.Board.get(), b.Board->Width() - 1, b.Board->Height() - 1), c.expected);
  }
  EXPECT_GE(ColorToRGB(clBtnFace), 0);
}

TEST_F(BoardModel, CreationSizesAndFolders) {
  winplat::screen::Headless()->SetDisplaySize(800, 600);
  TBlackBoard b;
  EXPECT_EQ(b.ScreenWidth, 800);
  EXPECT_EQ(b.ScreenHeight, 600);
  EXPECT_EQ(b.Board->Width(), 800);
  EXPECT_EQ(b.Board->Height(), 600 - 48 + 1);
  EXPECT_EQ(b.Board->PixelFormat(), pf24bit);
  EXPECT_EQ(b.Options, 3);
  EXPECT_EQ(b.MouseState->Size(), 3);
  EXPECT_EQ(b.Chalk->Width, 3);
  EXPECT_EQ(b.CurrentPage, 1u);
  EXPECT_EQ(b.PageCount, 1u);
  EXPECT_TRUE(fs::is_directory(File("tmp")));
  EXPECT_EQ(b.TmpDir, folder_.string() + "/tmp\\");
  EXPECT_EQ(b.Dust->TrayDust->Width(), 800);
  EXPECT_EQ(b.Dust->TrayDust->Height(), 5);
  EXPECT_EQ(b.Dust->FloorY, 552);
  EXPECT_EQ(b.Dust->MaxX, 800);
  EXPECT_EQ(b.Dust->MaxY, 553);
  b.SetScreenWidth(1024);
  b.SetScreenHeight(768);
  EXPECT_EQ(b.Board->Width(), 1024);
  EXPECT_EQ(b.Board->Height(), 720);
}

TEST_F(BoardModel, TwoChalksLaidOutInTheTray) {
  WriteTwoChalks();
  TBlackBoard b;
  b.LoadChalks("chalks\\option.ini", b.TrayHeight);
  ASSERT_EQ(b.Chalks->Count(), 2);
  const int H = b.ScreenHeight;
  const TChalkListItem* w = b.Chalks->Get(0);
  const TChalkListItem* y = b.Chalks->Get(1);
  EXPECT_EQ(w->Name, "White");
  EXPECT_EQ(y->Name, "Yellow");
  EXPECT_EQ(R(w->Rect), R(Rect(42, H - 30, 82, H - 18)));
  EXPECT_EQ(R(y->Rect), R(Rect(92, H - 30, 132, H - 18)));
  EXPECT_EQ(y->Color, 0x1EFCFF);
  EXPECT_EQ(y->Shade, 0x00C828);
  EXPECT_EQ(y->Range, 0);
  EXPECT_EQ(MessagesShown(), 0u);

  // The tray picture is stretched to the screen; the chalks are drawn in at tray row 24.
  TBitmap tray;
  tray.SetPixelFormat(pf24bit);
  tray.SetSize(16, 48);
  tray.Canvas()->Brush()->SetColor(0x203040);
  tray.Canvas()->FillRect(Rect(0, 0, 16, 48));
  tray.SaveToFile(File("tray.bmp").string());
  tray.SaveToFile(File("strip.bmp").string());
  b.LoadTray("tray.bmp", "strip.bmp");
  ASSERT_EQ(b.Tray->Width(), b.ScreenWidth);
  ASSERT_EQ(b.Tray->Height(), 48);
  EXPECT_EQ(b.TrayStrip->Width(), 16);
  // Black of the picture is transparent: its frame row 0 shows the tray, row 1 the chalk.
  EXPECT_EQ(PixelAt(b.Tray.get(), 43, 24), 0x203040);
  EXPECT_EQ(PixelAt(b.Tray.get(), 43, 25), 0xFAFAFA);
  EXPECT_EQ(PixelAt(b.Tray.get(), 93, 34), 0x1EFCFF);
  EXPECT_EQ(PixelAt(b.Tray.get(), 93, 35), 0x203040);
  EXPECT_EQ(PixelAt(b.Tray.get(), 500, 10), 0x203040);
}

TEST_F(BoardModel, OddPictureHeightAndClampedValues) {
  WriteText(File("chalks/option.ini"),
            "[general]\r\n[Odd]\r\nr=300\r\ng=-5\r\nb=128\r\nrr=999\r\nrg=-1\r\nrb=7\r\nrange=-20\r\nbmp=odd.bmp\r\n"
            "[Wide]\r\nr=1\r\ng=2\r\nb=3\r\nrange=900\r\nbmp=odd.bmp\r\n");
  WriteChalkPicture(File("chalks/odd.bmp"), 30, 11, 0x808080);
  TBlackBoard b;
  b.LoadChalks("chalks/option.ini", 48);
  ASSERT_EQ(b.Chalks->Count(), 2);
  const TChalkListItem* c = b.Chalks->Get(0);
  EXPECT_EQ(c->Rect.bottom - c->Rect.top, 10);
  EXPECT_EQ(c->Rect.left, 42);
  EXPECT_EQ(b.Chalks->Get(1)->Rect.left, 42 + 30 + 10);
  EXPECT_EQ(c->Color, 0x8000FF);
  EXPECT_EQ(c->Shade, 0x0700FF);
  EXPECT_EQ(c->Range, 0);
  EXPECT_EQ(b.Chalks->Get(1)->Range, 255);
}

TEST_F(BoardModel, MissingChalkSetGivesOneWhiteChalk) {
  for (const char* ini : {static_cast<const char*>(nullptr), "[General]\r\nLeftStart=32\r\n"}) {
    fs::remove(File("chalks/option.ini"));
    if (ini) WriteText(File("chalks/option.ini"), ini);
    const size_t before = MessagesShown();
    TBlackBoard b;
    b.Chalk->Index = 3;
    b.LoadChalks("chalks\\option.ini", 48);
    ASSERT_EQ(b.Chalks->Count(), 1);
    EXPECT_EQ(MessagesShown(), before + 1);
    EXPECT_EQ(b.Chalk->Index, 0);
    EXPECT_FALSE(b.Chalks->Get(0)->Picture->Empty());
    EXPECT_EQ(b.Chalks->Get(0)->Rect.left, 42);
    // Drawing with it works.
    b.Chalk->LastX = 10;
    b.Chalk->LastY = 10;
    b.ChalkLine(100, 10, true);
  }
}

TEST_F(BoardModel, ChalkWithoutPictureIsSkipped) {
  WriteTwoChalks();
  WriteText(File("chalks/option.ini"),
            "[General]\r\n[White]\r\nr=250\r\nbmp=w.bmp\r\n[Lost]\r\nr=9\r\nbmp=missing.bmp\r\n"
            "[NoName]\r\nr=9\r\n[Yellow]\r\nr=255\r\ng=252\r\nb=30\r\nbmp=y.bmp\r\n");
  TBlackBoard b;
  b.LoadChalks("chalks\\option.ini", 48);
  ASSERT_EQ(b.Chalks->Count(), 2);
  EXPECT_EQ(b.Chalks->Get(1)->Name, "Yellow");
  EXPECT_EQ(b.Chalks->Get(1)->Rect.left, 92);
  ASSERT_EQ(MessagesShown(), 1u);
  const std::u16string text = answers_->Shown()[0].text;
  EXPECT_NE(text.find(u"Lost"), std::u16string::npos);
  EXPECT_NE(text.find(u"NoName"), std::u16string::npos);
}

TEST_F(BoardModel, NowToolTakesTheChalkInHand) {
  WriteTwoChalks();
  TBlackBoard b;
  b.LoadChalks("chalks\\option.ini", 48);
  StandInCollection items;
  items.Add("NowTool");
  items.Add("finger");
  TBoardPicturesOf<StandInCollection> pictures(&items);
  b.ImageList = &pictures;
  b.Chalk->Index = 1;
  b.UpdateNowTool();
  EXPECT_EQ(items.restores, 1);
  EXPECT_EQ(PixelAt(items.items[0]->picture.Bitmap(), 5, 5), 0x1EFCFF);
  // Another tool: the picture stays, the surfaces are rebuilt.
  b.Tool = tlEraser;
  b.Chalk->Index = 0;
  b.UpdateNowTool();
  EXPECT_EQ(items.restores, 2);
  EXPECT_EQ(PixelAt(items.items[0]->picture.Bitmap(), 5, 5), 0x1EFCFF);
  EXPECT_THROW(pictures.Find("nothing"), Exception);
}

TEST_F(BoardModel, BlackIsTransparentInTheBlit) {
  TBitmap dst, src;
  dst.SetPixelFormat(pf24bit);
  dst.SetSize(8, 4);
  dst.Canvas()->Brush()->SetColor(0x0000FF);
  dst.Canvas()->FillRect(Rect(0, 0, 8, 4));
  src.SetPixelFormat(pf24bit);
  src.SetSize(4, 2);
  src.Canvas()->Brush()->SetColor(clBlack);
  src.Canvas()->FillRect(Rect(0, 0, 4, 2));
  src.Canvas()->SetPixels(1, 0, 0x010101);
  src.Canvas()->SetPixels(2, 1, 0x00FF00);
  const COLORREF bk = SetBkColor(dst.Canvas()->Handle(), RGB(1, 2, 3));
  BlitBlackTransparent(dst.Canvas()->Handle(), 3, 1, 4, 2, src.Canvas()->Handle(), 0, 0);
  EXPECT_EQ(GetBkColor(dst.Canvas()->Handle()), RGB(1, 2, 3));
  SetBkColor(dst.Canvas()->Handle(), bk);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) {
      TColor want = 0x0000FF;
      if (x == 4 && y == 1) want = 0x010101;
      if (x == 5 && y == 2) want = 0x00FF00;
      EXPECT_EQ(PixelAt(&dst, x, y), want) << x << "," << y;
    }
}

TEST(BoardHelpers, PointDistance) {
  EXPECT_EQ(PointDistance(0, 0, 3, 4), 5);
  EXPECT_EQ(PointDistance(0, 0, 1, 1), 1);
  EXPECT_EQ(PointDistance(-5, 0, 5, 0), 10);
}

}  // namespace
}  // namespace boardtest
