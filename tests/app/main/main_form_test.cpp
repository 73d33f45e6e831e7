// The program on the headless screen: start-up from the program folder's own assets, the frame
// tick, strokes from scripted mouse input, keys and wheel, the quit question and closing.
#include "main_support.h"

using namespace maintest;

namespace {

TEST_F(Program, StartsWithTheBoardTrayChalksAndArrowsAndItsOwnCursor) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  EXPECT_EQ(b.ScreenWidth, W);
  EXPECT_EQ(b.ScreenHeight, H);
  EXPECT_GT(b.Chalks->Count(), 1);
  EXPECT_EQ(Application->Title(), AnsiString("Vel 黒板 Qz"));
  EXPECT_EQ(MessagesShown(), 0u);
  EXPECT_TRUE(form->DXDraw->Initialized());
  EXPECT_EQ(form->DXTimer->Interval(), 10);
  EXPECT_TRUE(form->DXTimer->Enabled());
  // The program draws its own pointer: the system's is hidden over the board.
  screen->MouseMove(500, 300);
  winplat::user::PumpMessages();
  EXPECT_EQ(screen->CursorShape(), 0);
  Tick();
  Shot("startup");
  EXPECT_EQ(At(W / 2, 100), kBoardGreen);
  EXPECT_NE(At(W / 2, H - 10), kBoardGreen);  // the tray
  EXPECT_NE(At(8, H - 24), kBoardGreen);      // the previous-page arrow
  // A fresh record of page 1: grid off, the board's colour.
  std::ifstream dat(Tmp("1.dat"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(dat)), {});
  EXPECT_EQ(bytes, std::string("\0\0\0\0\x00\x50\x00\x00", 8));
  EXPECT_TRUE(fs::is_directory(File("blackboards")));
}

TEST_F(Program, ADragDrawsChalkAndTheSoundPlays) {
  Start();
  screen->MouseDown(200, 300);
  for (int x = 210; x <= 600; x += 10) screen->MouseMove(x, 300 + (x - 200) / 4);
  screen->MouseUp(600, 400);
  winplat::user::PumpMessages();
  Tick();
  Shot("drag");
  int drawn = 0;
  for (int x = 220; x < 580; x += 4) drawn += At(x, 300 + (x - 200) / 4) != kBoardGreen;
  EXPECT_GT(drawn, 60);
  EXPECT_EQ(At(400, 150), kBoardGreen);
  EXPECT_FALSE(Board().MouseState->Bits(0));
  bool played = false;
  for (const auto& e : sounds->Events()) played |= e.kind == winplat::screen::RecordingAudioSink::Event::Play;
  EXPECT_TRUE(played);
}

TEST_F(Program, TheLowestBoardRowIsABoardClickTheNextATrayClick) {
  Start();
  TBlackBoard& b = Board();
  b.PictureWaiting = 1;
  screen->MouseDown(W / 2, H - 47);  // tray: drops the waiting picture, starts no stroke
  winplat::user::PumpMessages();
  EXPECT_EQ(b.PictureWaiting, 0);
  EXPECT_FALSE(b.MouseState->Bits(0));
  screen->MouseUp(W / 2, H - 47);
  screen->MouseDown(W / 2, H - 48);  // board: a chalk stroke starts
  winplat::user::PumpMessages();
  EXPECT_TRUE(b.MouseState->Bits(0));
  screen->MouseUp(W / 2, H - 48);
  winplat::user::PumpMessages();
}

TEST_F(Program, KeysChooseToolsAndChalks) {
  Start();
  TBlackBoard& b = Board();
  struct Case {
    Word key;
    uint8_t tool;
    int chalk;
  };
  // Each from chalk 0 with the chalk in hand.
  const Case cases[] = {
      {'E', tlEraser, 0}, {'W', tlLongEraser, 0}, {'R', tlRuler, 0}, {'2', tlChalk, 1},
      {'1', tlChalk, 0},  {VK_NUMPAD5, tlChalk, 0}, {VK_F8, tlChalk, 0}, {VK_F3, tlChalk, 0},
      {'0', tlChalk, 0},  {VK_ESCAPE, tlChalk, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    b.Tool = tlChalk;
    b.Chalk->Index = 0;
    b.RulerAnchored = 1;
    screen->PressKey(c.key);
    winplat::user::PumpMessages();
    EXPECT_EQ(b.Tool, c.tool);
    EXPECT_EQ(b.Chalk->Index, c.chalk);
    if (c.tool == tlRuler) EXPECT_EQ(b.RulerAnchored, 0);
  }
  // A digit past the chalk set picks nothing.
  b.Tool = tlEraser;
  Word nine = static_cast<Word>('1' + b.Chalks->Count());
  if (nine <= '9') {
    Form()->FormKeyDown(Form(), nine, TShiftState{});
    EXPECT_EQ(b.Tool, tlEraser);
  }
  // Space turns the chalk on its side and back, not during a stroke.
  Word space = VK_SPACE;
  Form()->FormKeyDown(Form(), space, TShiftState{});
  EXPECT_EQ(b.Chalk->Mode, 2);
  b.MouseState->SetBits(0, true);
  Form()->FormKeyDown(Form(), space, TShiftState{});
  EXPECT_EQ(b.Chalk->Mode, 2);
  b.MouseState->SetBits(0, false);
  Form()->FormKeyDown(Form(), space, TShiftState{});
  EXPECT_EQ(b.Chalk->Mode, 0);
}

TEST_F(Program, TheWheelTurnsTheSideOfTheChalkWithTheCornersSwappedAtTheEnds) {
  Start();
  TChalk& c = *Board().Chalk;
  c.Mode = 2;
  const TPoint a{1, 2}, z{3, 4};
  struct Case {
    int8_t from;
    int delta;  // wheel: negative down
    int8_t to;
    bool swapped;
  };
  const Case cases[] = {{85, -120, 90, false}, {90, -120, -85, true}, {-90, 120, -95, false}, {-95, 120, 80, true},
                        {0, 120, -5, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.from));
    c.Angle = k.from;
    c.Corner1 = a;
    c.Corner2 = z;
    screen->Wheel(300, 300, k.delta);
    winplat::user::PumpMessages();
    EXPECT_EQ(c.Angle, k.to);
    EXPECT_EQ(c.Corner1.x, k.swapped ? z.x : a.x);
  }
  c.Mode = 0;
  c.Angle = 30;
  screen->Wheel(300, 300, -120);
  winplat::user::PumpMessages();
  EXPECT_EQ(c.Angle, 30);  // only the side of the chalk turns
}

TEST_F(Program, APageSlideMovesByTheWidthOver32AndEndsExactlyAtZero) {
  for (int width : {1024, 1000}) {
    SCOPED_TRACE(width);
    W = width;
    screen->SetDisplaySize(W, H);
    TfrmMain* form = Start();
    TBlackBoard& b = Board();
    b.LastPageDrawn = 1;
    Word right = VK_RIGHT;
    form->FormKeyDown(form, right, TShiftState{});
    ASSERT_EQ(b.Sliding, 1);
    int ticks = 0;
    std::vector<int> xs;
    while (b.Sliding && ticks < 40) {
      Tick();
      ++ticks;
      xs.push_back(b.SlidePos.x);
      if (ticks == 1) EXPECT_EQ(form->DXTimer->Interval(), 1);
      if (ticks == 16 && width == 1024) Shot("slide_half");
    }
    EXPECT_EQ(ticks, width == 1024 ? 32 : 33);
    EXPECT_EQ(xs.front(), W - W / 32);
    EXPECT_EQ(xs.back(), 0);
    EXPECT_EQ(b.CurrentPage, 2u);
    EXPECT_EQ(form->DXTimer->Interval(), 10);
    EXPECT_TRUE(form->DXTimer->Enabled());
    EXPECT_TRUE(form->DXDraw->Enabled());
    delete Application;
    Application = new TApplication(nullptr);
  }
}

TEST_F(Program, TheTapFiresOnTheSixthTickOrTheThirdWithCtrl) {
  Start();
  TBlackBoard& b = Board();
  for (bool ctrl : {false, true}) {
    SCOPED_TRACE(ctrl);
    winplat::screen::SetKeyState(VK_CONTROL, ctrl);
    b.Tool = tlChalk;
    b.Chalk->Mode = 3;
    TapTicks = 0;
    sounds->Clear();
    const int fires = ctrl ? 3 : 6;
    Tick(fires - 1);
    EXPECT_EQ(TapTicks, fires - 1);
    EXPECT_TRUE(sounds->Events().empty());
    Tick();
    EXPECT_EQ(TapTicks, 0);
    EXPECT_FALSE(sounds->Events().empty());
  }
}

TEST_F(Program, CancellingTheQuitQuestionLeavesBoardTimerAndCursorAsTheyWere) {
  TfrmMain* form = Start();
  answers_->Push(IDCANCEL);
  form->Close();
  winplat::user::PumpMessages();
  ASSERT_EQ(MessagesShown(), 1u);
  const auto shown = answers_->Shown().front();
  EXPECT_EQ(shown.text, u"黒板を終了しますか？保存していない板書は消えます。");
  EXPECT_EQ(shown.caption, u"確認");
  EXPECT_EQ(shown.type, static_cast<UINT>(MB_ICONQUESTION | MB_OKCANCEL));
  EXPECT_TRUE(form->Visible());
  ASSERT_NE(form->Board(), nullptr);
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_TRUE(form->DXDraw->Enabled());
  EXPECT_EQ(form->Cursor(), crNone);
  EXPECT_TRUE(fs::exists(Tmp("1.dat")));
}

TEST_F(Program, TheProgramRunsAndClosingDeletesOnlyThePageFiles) {
  fs::create_directories(Tmp(""));
  for (const char* name : {"2.bmp", "2g.bmp", "2.dat", "notes.txt", "board.log", "x.bmpx"})
    boardtest::WriteText(Tmp(name), "x");
  answers_->Push(IDOK);
  screen->MouseDown(300, 300);
  screen->MouseMove(400, 320);
  screen->MouseUp(400, 320);
  screen->Quit();
  EXPECT_EQ(RunVelSlatora(), 0);
  EXPECT_EQ(MessagesShown(), 1u);  // the quit question
  std::set<std::string> left;
  for (const auto& e : fs::directory_iterator(Tmp(""))) left.insert(e.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"notes.txt", "board.log", "x.bmpx"}));
}

TEST_F(Program, MissingPicturesAreNamedInOneMessageAndNothingRuns) {
  fs::remove(File("eraser.bmp"));
  fs::remove(File("nonUkezaraR.bmp"));
  EXPECT_EQ(RunVelSlatora(), 1);
  ASSERT_EQ(MessagesShown(), 1u);
  const std::u16string text = answers_->Shown().front().text;
  EXPECT_NE(text.find(u"eraser.bmp"), std::u16string::npos);
  EXPECT_NE(text.find(u"nonUkezaraR.bmp"), std::u16string::npos);
  EXPECT_EQ(Form()->Board(), nullptr);
  EXPECT_FALSE(Form()->DXTimer->Enabled());
}

}  // namespace

namespace {

TEST(CameraCountdown, DigitsAndSizes) {
  struct Case {
    int32_t n;
    const char* text;
    int32_t size;
  };
  const Case cases[] = {{153, "3", 367}, {104, "3", 220}, {103, "2", 517}, {54, "2", 370}, {53, "1", 367}, {4, "1", 220}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    const TCountdownDigit d = CountdownDigit(c.n);
    EXPECT_EQ(d.Text, AnsiString(c.text));
    EXPECT_EQ(d.Size, c.size);
  }
}

TEST_F(Program, TheCameraCountsDownFlashesAndShootsWithTheTimerRunningAgain) {
  TfrmMain* form = Start();
  CameraCountdown = 153;
  Tick();
  EXPECT_EQ(CameraCountdown, 152);
  Shot("camera_digit");
  int white = 0;
  for (int y = 200; y < 560; y += 4) white += At(W / 2, y) == 0xFFFFFF;
  EXPECT_GT(white, 10);  // the big "3"
  CameraCountdown = 3;
  Tick();
  EXPECT_EQ(CameraCountdown, 2);
  EXPECT_EQ(At(W / 2, 100), 0xFFFFFFu);
  Board().MouseState->SetBits(0, true);
  Board().MouseState->SetBits(2, true);
  sounds->Clear();
  CameraCountdown = 1;
  Tick();
  EXPECT_EQ(CameraCountdown, 0);
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_FALSE(Board().MouseState->Bits(0));
  EXPECT_FALSE(Board().MouseState->Bits(2));
  EXPECT_FALSE(sounds->Events().empty());  // the shutter
  Tick();
  EXPECT_EQ(At(W / 2, 100), kBoardGreen);
}

TEST_F(Program, ALoopedReplayRunsUntilEscAndDrawsItsProgressLineOnlyWithTheOption) {
  Start();
  TBlackBoard& b = Board();
  for (int i = 0; i < 4; ++i) b.Log->AddItem(lkChalk, Point(100, 100 + i * 10), Point(300, 100 + i * 10), 0, 0, 0, 0, 0, 0);
  for (bool bar : {true, false}) {
    SCOPED_TRACE(bar);
    if (bar) b.Options |= obLogProgBar;
    else b.Options &= static_cast<uint8_t>(~obLogProgBar);
    b.Log->Loop = 1;
    b.LogState = 2;
    b.ReplayIndex = 0;
    Tick(2);
    EXPECT_EQ(At(0, H - 1) == 0x000080u, bar);
    Tick(10);  // past the end: the loop starts it again
    EXPECT_EQ(b.LogState, 2);
    winplat::screen::SetKeyState(VK_ESCAPE, true);
    Tick();
    winplat::screen::SetKeyState(VK_ESCAPE, false);
    EXPECT_EQ(b.LogState, 0);
    EXPECT_EQ(b.Log->Loop, 0);
  }
}

}  // namespace
