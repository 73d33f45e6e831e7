// Screenshots of the running board for looking at, each with a check of what it must show: the
// side of the chalk, an eraser wipe, a finger rub, a ruler line, dust falling into the tray and
// the quit question over the board.
#include "main_support.h"

using namespace maintest;

namespace {

void Drag(winplat::screen::HeadlessBackend& s, int x0, int y0, int x1, int y1, int button = 0) {
  s.MouseDown(x0, y0, button);
  for (int i = 1; i <= 20; ++i) s.MouseMove(x0 + (x1 - x0) * i / 20, y0 + (y1 - y0) * i / 20);
  s.MouseUp(x1, y1, button);
  winplat::user::PumpMessages();
}

TEST_F(Program, ScreenshotsOfTheToolsDustAndTheQuitQuestion) {
  TfrmMain* form = Start();
  RandSeed = 4242;  // the same strokes and dust every run
  TBlackBoard& b = Board();
  b.Options &= static_cast<uint8_t>(~obChalkKasure);  // solid strokes for the checks below

  // Chalk strokes to work on, then the side of the chalk (the middle button turns it).
  for (int y = 120; y <= 260; y += 35) Drag(*screen, 120, y, 560, y);
  screen->Click(700, 200, 2);
  winplat::user::PumpMessages();
  ASSERT_EQ(b.Chalk->Mode, 2);
  Drag(*screen, 620, 150, 900, 300);
  screen->MouseMove(930, 330);
  winplat::user::PumpMessages();
  Tick();
  Shot("side_chalk");
  EXPECT_GT(CountOtherThan(kBoardGreen, Rect(700, 180, 820, 260)), 2000);  // a broad band

  // The eraser wipes a band through the strokes.
  screen->PressKey('E');
  winplat::user::PumpMessages();
  ASSERT_EQ(b.Tool, tlEraser);
  Drag(*screen, 200, 100, 200, 300);
  screen->MouseMove(200, 300);
  winplat::user::PumpMessages();
  Tick();
  Shot("eraser");
  EXPECT_EQ(CountOtherThan(kBoardGreen, Rect(160, 110, 240, 130)) < 40, true);

  // The finger rubs the next strokes (right button drag), smearing them.
  screen->PressKey(VK_ESCAPE);
  winplat::user::PumpMessages();
  screen->MouseDown(400, 100, 1);
  for (int i = 1; i <= 20; ++i) screen->MouseMove(400 + i * 3, 100 + i * 10);
  winplat::user::PumpMessages();
  EXPECT_EQ(b.Tool, tlFinger);
  Tick();
  Shot("finger");
  screen->MouseUp(460, 300, 1);
  winplat::user::PumpMessages();

  // The ruler: an anchor click, then the click that draws the line.
  screen->PressKey('R');
  winplat::user::PumpMessages();
  screen->Click(150, 450);
  screen->MouseMove(700, 560);
  winplat::user::PumpMessages();
  Tick();
  Shot("ruler_anchored");
  screen->Click(700, 560);
  screen->MouseMove(760, 600);
  winplat::user::PumpMessages();
  Tick();
  Shot("ruler_line");
  int onLine = 0;
  for (int x = 200; x < 680; x += 20) onLine += CountOtherThan(kBoardGreen, Rect(x, 450 + (x - 150) / 5 - 3, x + 1, 450 + (x - 150) / 5 + 4)) > 0;
  EXPECT_GE(onLine, 20);

  // Dust falling toward the tray and settling in it.
  screen->PressKey(VK_ESCAPE);
  winplat::user::PumpMessages();
  for (int x = 300; x < 800; x += 25) b.Dust->Spawn(x, H - 200 + (x % 50), clWhite, 4, 8);
  screen->MouseMove(900, 300);
  winplat::user::PumpMessages();
  Tick(12);
  Shot("dust_falling");
  EXPECT_GT(b.Dust->Count(), 0);
  for (int i = 0; i < 3000 && b.Dust->Count() > 0; ++i) Tick();
  Shot("dust_settled");
  EXPECT_EQ(b.Dust->Count(), 0);
  EXPECT_GT(CountOtherThan(0, Rect(300, H - 49, 800, H - 47)), 0);

  // The quit question, shot while it is on the screen, and cancelled.
  std::u16string asked;
  winplat::screen::SetMessageBoxAnswerer([&](const winplat::screen::MessageBoxRequest& r) {
    asked = r.text;
    EXPECT_TRUE(test_support::WriteScreenshotPng("main_quit_question.png"));
    return IDCANCEL;
  });
  form->Close();
  winplat::user::PumpMessages();
  EXPECT_FALSE(asked.empty());
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(form->DXTimer->Enabled());
}

}  // namespace
