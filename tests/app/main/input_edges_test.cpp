// Edge cases of the input and the tick, as tables: the chalk hit margins in the tray, the thin
// line's truth table, the tap mode's preconditions, the play button following the replay, the
// camera shot saved or failing, an empty sound slot, a folder other than the program's.
#include "UcClasses.h"
#include "VersionInfo.h"
#include "main_support.h"

using namespace maintest;

namespace {

TEST_F(Program, AChalkIsPickedUpTo8PixelsBesideIt18AboveAnd17Below) {
  Start();
  TBlackBoard& b = Board();
  const int last = b.Chalks->Count() - 1;
  ASSERT_GE(last, 1);
  struct Case {
    int chalk;  // the chalk whose box is tried: the outer sides of the first and last chalk
    int dx, dy;  // from the picture's left (dx < 0), right (dx > 0) or middle (0); top or bottom
    bool picks;
  };
  const Case cases[] = {
      {1, 0, -17, true},  {1, 0, -18, true},  {1, 0, 16, true},   {1, 0, 17, false},
      {0, -8, 0, true},   {0, -9, 0, false},  {last, 7, 0, true}, {last, 8, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.chalk) + ": " + std::to_string(c.dx) + "," + std::to_string(c.dy));
    const TRect r = b.Chalks->Get(c.chalk)->Rect;
    const int x = c.dx < 0 ? r.left + c.dx : c.dx > 0 ? r.right + c.dx : (r.left + r.right) / 2;
    const int y = c.dy < 0 ? r.top + c.dy : c.dy > 0 ? r.bottom + c.dy : (r.top + r.bottom) / 2;
    const int other = c.chalk == 0 ? 1 : 0;
    b.Chalk->Index = other;
    b.Tool = tlEraser;
    // Up to 18 above reaches the board's last row, which is a board click.
    if (y <= H - 48) {
      EXPECT_EQ(c.dy, -18);
      continue;
    }
    screen->Click(x, y);
    winplat::user::PumpMessages();
    EXPECT_EQ(b.Chalk->Index, c.picks ? c.chalk : other);
    EXPECT_EQ(b.Tool, c.picks ? tlChalk : tlEraser);
  }
}

TEST_F(Program, TheStrokeIsThinWhenCtrlAndCtrlNoBoldAgree) {
  Start();
  TBlackBoard& b = Board();
  struct Case {
    bool ctrl, noBold;
    uint8_t mode;
  };
  const Case cases[] = {{false, false, 1}, {true, false, 0}, {false, true, 0}, {true, true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ctrl) + std::to_string(c.noBold));
    if (c.noBold) b.Options |= obCtrlNoBold;
    else b.Options &= static_cast<uint8_t>(~obCtrlNoBold);
    winplat::screen::SetKeyState(VK_CONTROL, c.ctrl);
    b.Chalk->Mode = 0;
    Form()->DXDrawMouseDown(Form(), mbLeft, TShiftState{}, 300, 300);
    EXPECT_EQ(b.Chalk->Mode, c.mode);
    Form()->DXDrawMouseUp(Form(), mbLeft, TShiftState{}, 300, 300);
  }
  winplat::screen::SetKeyState(VK_CONTROL, false);
}

TEST_F(Program, TheSecondButtonStartsTheTapOnlyForChalkOrFingerWithTheChalkNotOnItsSide) {
  Start();
  TBlackBoard& b = Board();
  struct Case {
    uint8_t tool, mode;
    bool taps;
  };
  const Case cases[] = {{tlChalk, 0, true},  {tlFinger, 0, true},     {tlChalk, 1, true},  {tlChalk, 2, false},
                        {tlEraser, 0, false}, {tlLongEraser, 0, false}, {tlRuler, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.tool) + "/" + std::to_string(c.mode));
    b.Tool = c.tool;
    b.Chalk->Mode = c.mode;
    b.MouseState->SetBits(0, false);
    b.MouseState->SetBits(1, false);
    TapTicks = 4;  // left over from an earlier tap
    winplat::screen::SetKeyState(VK_LBUTTON, true);
    winplat::screen::SetKeyState(VK_RBUTTON, true);
    Form()->DXDrawMouseDown(Form(), mbRight, TShiftState{}, 300, 300);
    EXPECT_EQ(b.Chalk->Mode == 3, c.taps);
    if (c.taps) {
      EXPECT_EQ(b.Tool, tlChalk);
      EXPECT_EQ(TapTicks, 0);  // a new tap counts from its press
      EXPECT_TRUE(b.MouseState->Bits(0));
      EXPECT_TRUE(b.MouseState->Bits(1));
    }
    winplat::screen::SetKeyState(VK_LBUTTON, false);
    winplat::screen::SetKeyState(VK_RBUTTON, false);
  }
}

TEST_F(Program, ThePlayButtonFollowsTheReplayToItsEndOrEsc) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  for (int i = 0; i < 3; ++i) b.Log->AddItem(lkChalk, Point(100, 100 + i * 10), Point(300, 100 + i * 10), 0, 0, 0, 0, 0, 0);
  struct Case {
    bool loop, esc;
  };
  for (const Case c : {Case{false, false}, Case{true, true}, Case{false, true}}) {
    SCOPED_TRACE(std::to_string(c.loop) + std::to_string(c.esc));
    b.LogState = 2;
    b.ReplayIndex = 0;
    b.Log->Loop = c.loop;
    form->UpdateLogPlayButton();
    EXPECT_EQ(form->actLogPlay->ImageIndex(), kLogStopImage);
    EXPECT_TRUE(form->actLogPlay->Checked());
    EXPECT_TRUE(form->btnLogPlay->Down());
    Tick(c.esc ? 1 : 5);
    if (c.esc) {
      winplat::screen::SetKeyState(VK_ESCAPE, true);
      Tick();
      winplat::screen::SetKeyState(VK_ESCAPE, false);
    }
    EXPECT_EQ(b.LogState, 0);
    EXPECT_EQ(form->actLogPlay->ImageIndex(), kLogPlayImage);
    EXPECT_FALSE(form->actLogPlay->Checked());
    EXPECT_FALSE(form->btnLogPlay->Down());
  }
  // The log emptied under a playing replay ends it at once, without a progress line's division.
  b.LogState = 2;
  b.ReplayIndex = 2;
  b.Log->Clear();
  Tick();
  EXPECT_EQ(b.LogState, 0);
  EXPECT_EQ(form->actLogPlay->ImageIndex(), kLogPlayImage);
}

TEST_F(Program, APageTurnThatFailsLeavesTheBoardTickingAndIsReportedOnce) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  b.LastPageDrawn = 1;
  const AnsiString tmp = b.TmpDir;
  b.TmpDir = AnsiString((folder_ / "no such folder" / "").string().c_str());  // the page cannot be saved
  answers_->Push(IDOK);
  Word right = VK_RIGHT;
  form->FormKeyDown(form, right, TShiftState{});
  ASSERT_EQ(b.Sliding, 1);
  for (int i = 0; i < 40 && b.Sliding; ++i) Tick();
  EXPECT_EQ(b.Sliding, 0);
  EXPECT_EQ(MessagesShown(), 1u);
  EXPECT_EQ(b.CurrentPage, 1u);
  EXPECT_EQ(form->DXTimer->Interval(), 10);
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_TRUE(form->DXDraw->Enabled());
  b.TmpDir = tmp;
  // And the board goes on: a stroke is drawn.
  screen->MouseDown(300, 300);
  screen->MouseMove(400, 300);
  screen->MouseUp(400, 300);
  winplat::user::PumpMessages();
  Tick();
  EXPECT_GT(CountOtherThan(kBoardGreen, Rect(320, 295, 380, 306)), 20);
}

class CameraShot : public Program {
 protected:
  void TearDown() override {
    winplat::user::SetModalIdleHandler(nullptr);
    Program::TearDown();
  }
  // Answers the save dialog with Name (empty: Cancel).
  void AnswerSave(const std::u16string& Name) {
    winplat::user::SetModalIdleHandler([Name](HWND dlg) {
      if (Name.empty()) {
        SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      SetDlgItemTextW(dlg, 0x480, reinterpret_cast<LPCWSTR>(Name.c_str()));
      SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
  }
};

TEST_F(CameraShot, TheShotIsSavedAsTheScreensBitmapOrNotAndTheTimerRunsAgainEitherWay) {
  TfrmMain* form = Start();
  const fs::path shot = folder_ / fs::path(u"shot 사진.bmp");  // a name outside code page 932
  struct Case {
    const char* what;
    std::u16string answer;
    bool saved;
    size_t messages;
  };
  const std::u16string wide = shot.u16string();
  const Case cases[] = {
      {"saved", wide, true, 0},
      {"cancelled", u"", false, 0},
      {"a folder that does not exist", (File("none") / "shot.bmp").u16string(), false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(shot);
    const size_t before = MessagesShown();
    AnswerSave(c.answer);
    answers_->Push(IDOK);
    CameraCountdown = 1;
    Tick();
    EXPECT_EQ(CameraCountdown, 0);
    EXPECT_TRUE(form->DXTimer->Enabled());
    EXPECT_TRUE(form->DXDraw->Enabled());
    EXPECT_EQ(fs::exists(shot), c.saved);
    EXPECT_EQ(MessagesShown() - before, c.messages);
    if (c.saved) {
      TBitmap b;
      TUcFileStream in(shot.u16string(), fmOpenRead);
      b.LoadFromStream(&in);
      EXPECT_EQ(b.Width(), W);
      EXPECT_EQ(b.Height(), H);
    }
    Tick();  // the board ticks on
  }
  EXPECT_EQ(LanguageText(28).find(u"*.bmp") != std::u16string::npos, true);
}

TEST_F(Program, AMissingSoundIsToldOnceAndItsSlotPlaysNothing) {
  fs::remove(File("start0.wav"));
  Start();
  ASSERT_EQ(MessagesShown(), 1u);
  EXPECT_TRUE(answers_->Shown().front().text == std::u16string(u"\"Start0.wav\" is not exist."));
  sounds->Clear();
  screen->MouseDown(300, 300);
  screen->MouseMove(340, 300);
  screen->MouseUp(340, 300);
  winplat::user::PumpMessages();
  for (const auto& e : sounds->Events()) EXPECT_NE(e.kind, winplat::screen::RecordingAudioSink::Event::Play);
  EXPECT_TRUE(Board().Board->Width() > 0);
}

TEST_F(Program, StartedFromAnotherFolderItFindsEverythingAndLeavesThatFolderAlone) {
  const fs::path elsewhere = fs::current_path() / "elsewhere" / "Program.StartedFromAnotherFolder";
  fs::remove_all(elsewhere);
  fs::create_directories(elsewhere);
  const fs::path start = fs::current_path();
  fs::current_path(elsewhere);
  answers_->Push(IDOK);
  screen->MouseDown(300, 300);
  screen->MouseMove(360, 320);
  screen->MouseUp(360, 320);
  screen->Quit();
  const int code = RunVelSlatora();
  const fs::path after = fs::current_path();
  fs::current_path(start);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(after, elsewhere);
  EXPECT_TRUE(fs::is_empty(elsewhere));
  EXPECT_EQ(MessagesShown(), 1u);  // the quit question only: every picture and sound was found
}

TEST(VersionInfo, IsTheProgramsOwn) {
  EXPECT_EQ(VersionInfo.Major, 1);
  EXPECT_EQ(VersionInfo.Minor, 5);
  EXPECT_EQ(VersionInfo.Release, 0);
  EXPECT_EQ(VersionInfo.Build, 0);
  EXPECT_EQ(VersionInfo.Version, AnsiString("1.5.0.0"));
}

}  // namespace
