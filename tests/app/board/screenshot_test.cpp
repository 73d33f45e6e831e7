// A page drawn with every kind of stroke and composed with the tray as the frame shows it, saved
// as board_chalk.png in the test's scratch folder for a look.
#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "board_support.h"

namespace boardtest {
namespace {

bool SavePng(const std::string& name, TBitmap* frame) {
  std::vector<uint32_t> pixels(static_cast<size_t>(frame->Width()) * frame->Height());
  for (int y = 0; y < frame->Height(); ++y) {
    const uint8_t* src = frame->ScanLine(y);
    for (int x = 0; x < frame->Width(); ++x)
      pixels[static_cast<size_t>(y) * frame->Width() + x] =
          (uint32_t(src[x * 3 + 2]) << 16) | (uint32_t(src[x * 3 + 1]) << 8) | src[x * 3];
  }
  return test_support::WritePng(name, frame->Width(), frame->Height(), pixels);
}

class Screenshot : public ProgramFolderFixture {};

TEST_F(Screenshot, ChalkOnTheBoard) {
  const fs::path bin = VSE_BIN_DIR;
  if (!fs::exists(bin / "chalks/option.ini") || !fs::exists(bin / "Ukezara.bmp"))
    GTEST_SKIP() << "the program folder's assets are not built";
  fs::copy(bin / "chalks", File("chalks"), fs::copy_options::recursive);
  for (const char* n : {"Ukezara.bmp", "UkezaraS.bmp", "eraser.bmp"}) fs::copy_file(bin / n, File(n));

  TBlackBoard b;
  b.LoadChalks("chalks\\option.ini", b.TrayHeight);
  b.LoadTray("Ukezara.bmp", "UkezaraS.bmp");
  b.SetScreenWidth(1024);
  b.SetScreenHeight(768);
  ASSERT_EQ(b.Chalks->Count(), 6);
  EXPECT_EQ(MessagesShown(), 0u);
  RandSeed = 4242;
  LiveHand h{b};
  const int nChalks = b.Chalks->Count();

  // A wavy line and a loop in every chalk.
  b.Chalk->Mode = 0;
  for (int c = 0; c < nChalks; ++c) {
    b.Chalk->Index = c;
    const int y0 = 60 + 45 * c;
    h.Press(40, y0);
    for (int x = 48; x <= 420; x += 8)
      h.Move(x, y0 + static_cast<int>(std::lround(12 * std::sin(x / 30.0 + c))));
  }
  // A circle and writing-like loops.
  b.Chalk->Index = 0;
  h.Press(620, 170);
  for (int a = 0; a <= 360; a += 6)
    h.Move(520 + static_cast<int>(std::lround(100 * std::cos(a * M_PI / 180))),
           170 + static_cast<int>(std::lround(100 * std::sin(a * M_PI / 180))));
  // Thin lines: a little grid of hatching.
  b.Chalk->Mode = 1;
  b.Chalk->Index = 3;
  for (int i = 0; i < 8; ++i) {
    h.Press(680 + 12 * i, 60);
    h.Move(680 + 12 * i + 60, 180);
  }
  // The side of the chalk, bands at several angles.
  b.Chalk->Mode = 2;
  const int8_t angles[] = {0, 30, 60, 90, -30, -60};
  for (int i = 0; i < 6; ++i) {
    b.Chalk->Index = (i + 1) % nChalks;
    b.Chalk->Angle = angles[i];
    h.Press(60 + 150 * i, 380);
    for (int s = 1; s <= 10; ++s) h.Move(60 + 150 * i + 8 * s, 380 + 9 * s);
  }
  // Taps: a dotted row.
  b.Chalk->Mode = 3;
  b.Chalk->Index = 1;
  for (int i = 0; i < 20; ++i) {
    h.Press(500 + 12 * i, 300);
    h.Tap();
  }
  b.Chalk->Mode = 0;
  // Ruler lines: a triangle.
  b.Chalk->Index = 0;
  h.Ruler(600, 650, 960, 650);
  h.Ruler(960, 650, 780, 500);
  h.Ruler(780, 500, 600, 650);
  // Eraser wipes across the bands: clean, then smeared; the long eraser; a finger rub.
  b.Tool = tlEraser;
  b.Options = obChalkKasure;
  h.Press(90, 410);
  h.Move(330, 440);
  b.Options = obChalkKasure | obYogore;
  h.Press(540, 400);
  h.Move(780, 440);
  b.Tool = tlLongEraser;
  h.Press(975, 20);
  h.Move(985, 40);
  b.Options = obChalkKasure;
  b.Tool = tlFinger;
  h.Press(440, 200);
  for (int i = 1; i <= 12; ++i) h.Move(440 + 8 * i, 200 + (i % 2 ? 60 : 0));
  b.Tool = tlChalk;

  // Dust falls from a stroke low on the page and settles in the tray; some is still falling.
  b.Chalk->Index = 0;
  for (int x = 100; x < 1000; x += 6) b.Dust->Spawn(x, 640 + x % 50, b.Chalks->Get((x / 6) % nChalks)->Color, 2, 5);
  for (int i = 0; i < 60; ++i) b.Dust->Step();
  for (int x = 300; x < 360; x += 3) b.Dust->Spawn(x, 690, clWhite, 2, 5);
  for (int i = 0; i < 3; ++i) b.Dust->Step();
  ASSERT_GT(b.Dust->Count(), 0);

  // The frame: page, tray with its chalks, the eraser, the tray dust on the tray's top rows
  // (black is clear) and the falling particles.
  TBitmap frame;
  frame.SetPixelFormat(pf24bit);
  frame.SetSize(1024, 768);
  HDC f = frame.Canvas()->Handle();
  BitBlt(f, 0, 0, 1024, 720, b.Board->Canvas()->Handle(), 0, 0, SRCCOPY);
  BitBlt(f, 0, 720, 1024, 48, b.Tray->Canvas()->Handle(), 0, 0, SRCCOPY);
  TBitmap eraser;
  eraser.LoadFromFile(File("eraser.bmp").string());
  BlitBlackTransparent(f, 1024 - 20 - 32 - eraser.Width(), 768 - eraser.Height() - 5, eraser.Width(),
                       eraser.Height(), eraser.Canvas()->Handle(), 0, 0);
  BlitBlackTransparent(f, 0, 768 - 48 - 1, 1024, 5, b.Dust->TrayDust->Canvas()->Handle(), 0, 0);
  for (int i = 0; i < b.Dust->Count(); ++i) frame.Canvas()->SetPixels(b.Dust->Get(i)->X, b.Dust->Get(i)->Y, b.Dust->Get(i)->Color);
  ASSERT_TRUE(SavePng("board_chalk.png", &frame));

  // What the picture must show: chalk of each colour family, the board, both wipe colours.
  int chalk = 0, board = 0, smear = 0, dust = 0;
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1024; ++x) {
      const TColor c = PixelAt(b.Board.get(), x, y);
      if (c == b.BackColor) ++board;
      else if (c == 0x045404) ++smear;
      else ++chalk;
    }
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 1024; ++x) dust += PixelAt(b.Dust->TrayDust, x, y) != clBlack;
  EXPECT_GT(board, 1024 * 720 / 2);
  EXPECT_GT(chalk, 20000);
  EXPECT_GT(smear, 5000);
  EXPECT_GT(dust, 200);
}

// Pixels of `b` (from (x0, y0), w x h) clearly brighter than the board colour: chalk.
int BrightPixels(TBitmap* b, int x0, int y0, int w, int h, TColor board) {
  const int boardMax = std::max({board & 0xFF, (board >> 8) & 0xFF, (board >> 16) & 0xFF});
  int n = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const TColor c = PixelAt(b, x, y);
      n += std::max({c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF}) > boardMax + 60;
    }
  return n;
}

TEST_F(Screenshot, ThumbnailsKeepThinChalkLines) {
  const fs::path bin = VSE_BIN_DIR;
  if (!fs::exists(bin / "chalks/option.ini"))
    GTEST_SKIP() << "the program folder's assets are not built";
  fs::copy(bin / "chalks", File("chalks"), fs::copy_options::recursive);
  TBlackBoard b;
  b.LoadChalks("chalks\\option.ini", b.TrayHeight);
  b.SetScreenWidth(1024);
  b.SetScreenHeight(768);
  ASSERT_GT(b.Chalks->Count(), 1);
  RandSeed = 777;
  LiveHand h{b};

  // Four pages of thin chalk lines, each thumbnailed as the page strip does (StretchDraw of the
  // page into 160 x 120), and, below, through a plain StretchBlt in the DC's default mode.
  const int kPages = 4, kW = 160, kH = 120, kGap = 8;
  TBitmap sheet;
  sheet.SetPixelFormat(pf24bit);
  sheet.SetSize(kPages * (kW + kGap) + kGap, 2 * kH + 3 * kGap);
  sheet.Canvas()->Brush()->SetColor(static_cast<TColor>(0x303030));
  sheet.Canvas()->FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
  b.Chalk->Mode = 1;
  for (int page = 0; page < kPages; ++page) {
    b.Board->Canvas()->Brush()->SetColor(b.BackColor);
    b.Board->Canvas()->FillRect(Rect(0, 0, b.Board->Width(), b.Board->Height()));
    for (int i = 0; i < 14; ++i) {
      b.Chalk->Index = (i + page) % b.Chalks->Count();
      switch (page) {
        case 0:  // writing-like diagonal strokes
          h.Press(60 + 64 * i, 100);
          h.Move(100 + 64 * i, 300);
          h.Move(130 + 64 * i, 120);
          break;
        case 1:  // horizontal lines, the hardest for a shrink
          h.Press(80, 60 + 45 * i);
          h.Move(940, 60 + 45 * i);
          break;
        case 2:  // vertical lines (a 1-pixel line shows where a kept column falls on it)
          h.Press(70 + 61 * i, 80);
          h.Move(70 + 61 * i, 640);
          break;
        default:  // a fan of lines from one point
          h.Press(512, 660);
          h.Move(60 + 64 * i, 60);
          break;
      }
    }
    const int x = kGap + page * (kW + kGap);
    TBitmap thumb;
    thumb.SetPixelFormat(pf24bit);
    thumb.SetSize(kW, kH);
    thumb.Canvas()->StretchDraw(Rect(0, 0, kW, kH), b.Board.get());
    BitBlt(sheet.Canvas()->Handle(), x, kGap, kW, kH, thumb.Canvas()->Handle(), 0, 0, SRCCOPY);
    TBitmap plain;
    plain.SetPixelFormat(pf24bit);
    plain.SetSize(kW, kH);
    StretchBlt(plain.Canvas()->Handle(), 0, 0, kW, kH, b.Board->Canvas()->Handle(), 0, 0, b.Board->Width(),
               b.Board->Height(), SRCCOPY);
    BitBlt(sheet.Canvas()->Handle(), x, 2 * kGap + kH, kW, kH, plain.Canvas()->Handle(), 0, 0, SRCCOPY);

    // The chalk of the page shows in its thumbnail (COLORONCOLOR keeps whole pixels of it); the
    // default mode would AND it into the board.
    const int onPage = BrightPixels(b.Board.get(), 0, 0, b.Board->Width(), b.Board->Height(), b.BackColor);
    const int inThumb = BrightPixels(&thumb, 0, 0, kW, kH, b.BackColor);
    const int inPlain = BrightPixels(&plain, 0, 0, kW, kH, b.BackColor);
    EXPECT_GT(onPage, 5000) << page;
    EXPECT_GT(inThumb, onPage / 200) << page;
    EXPECT_LT(inPlain, inThumb / 4) << page;
  }
  ASSERT_TRUE(SavePng("thumbnails_thin_chalk.png", &sheet));
}

}  // namespace
}  // namespace boardtest
