// The toolbar's actions on the headless program, through their buttons and shortcuts, each with
// what it shows: the new-board question, the picture stamp, the grid, the board colour panel,
// the settings panel and settings.ini, the log's recording, saving, opening and replay, the
// camera and the about box.
#include <sys/stat.h>

#include <functional>

#include "PngImage.h"
#include "save_support.h"

namespace {

using namespace savetest;

constexpr int kNameId = 0x480;  // the file dialogs' name field
constexpr TColor kClassical = 0x281E1E;

class Actions : public ProgramTest {
 protected:
  // A key with Ctrl (or alone), through the application's loop as the teacher presses it.
  void Key(UINT vk, bool ctrl = false) {
    if (ctrl) screen->KeyDown(VK_CONTROL);
    screen->PressKey(vk);
    if (ctrl) screen->KeyUp(VK_CONTROL);
    Application->ProcessMessages();
  }
  // A click on a toolbar button, the toolbar brought out first.
  void Button(TUcToolButton* b) {
    Form()->ShowToolbar();
    winplat::user::PumpMessages();
    POINT p{b->Left() + b->Width() / 2, b->Top() + b->Height() / 2};
    ClientToScreen(Form()->tbMain->Handle(), &p);
    screen->Click(p.x, p.y);
    Application->ProcessMessages();
  }
  // The next file dialog answers with Path (empty: cancelled), its picture taken first as Shot.
  void AnswerFileDialog(const std::string& Path, const char* ShotName = nullptr) {
    winplat::user::SetModalIdleHandler([this, Path, ShotName](HWND dlg) {
      if (ShotName) Shot(ShotName);
      if (Path.empty()) {
        SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      SetDlgItemTextA(dlg, kNameId, Path.c_str());
      SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    });
  }
  void Stroke(int x1, int y1, int x2, int y2) {
    screen->MouseMove(x1, y1);
    screen->MouseDown(x1, y1);
    for (int i = 1; i <= 10; ++i) screen->MouseMove(x1 + (x2 - x1) * i / 10, y1 + (y2 - y1) * i / 10);
    screen->MouseUp(x2, y2);
    Application->ProcessMessages();
  }
  std::string Settings() { return ReadAll(File("settings.ini")); }
};

TEST_F(Actions, ShortcutsAndButtonsRunTheirActions) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  // Ctrl+O: the saved boards listed beside the toolbar.
  SaveAs(u"算数 3年 図形");
  SaveAs(u"国語");
  Key('O', true);
  EXPECT_TRUE(form->lstFiles->Visible());
  EXPECT_EQ(form->lstFiles->Items()->Count(), 2);
  EXPECT_EQ(form->lstFiles->Mask(), AnsiString("*.zip"));
  EXPECT_EQ(form->lstFiles->Left(), form->tbMain->Width());
  EXPECT_EQ(form->lstFiles->Top(), form->btnOpen->Top());
  EXPECT_TRUE(form->tbMain->Visible());
  Shot("board_list");
  // Ctrl+S: the title form (Escape: nothing saved).
  int titles = 0;
  onTitleForm = [&] { ++titles; };
  AnswerTitleForm(nullptr, {"escape"});
  Key('S', true);
  EXPECT_EQ(titles, 1);
  // Ctrl+G twice: the grid on and off.
  b.GridName = "方眼";
  b.LoadGrid();
  Key('G', true);
  EXPECT_EQ(b.GridOn, 1);
  Key('G', true);
  EXPECT_EQ(b.GridOn, 0);
  // F12: the countdown; F10: recording on and off.
  Key(VK_F12);
  EXPECT_EQ(CameraCountdown, 153);
  CameraCountdown = 0;
  Key(VK_F10);
  EXPECT_EQ(b.LogState, 1);
  EXPECT_TRUE(form->actLogRec->Checked());
  Key(VK_F10);
  EXPECT_EQ(b.LogState, 0);
  // F11 on an empty log plays nothing.
  Key(VK_F11);
  EXPECT_EQ(b.LogState, 0);
  EXPECT_EQ(form->actLogPlay->ImageIndex(), kLogPlayImage);
  // F3: the about box, its picture taken once it waits, closed with Return.
  bool about = false;
  Application->OnModalBegin = [&](TObject*) {
    EXPECT_FALSE(form->DXTimer->Enabled());
    Application->OnIdle = [&](TObject*, bool&) {
      if (about) return;
      about = true;
      Shot("about_box");
      screen->PressKey(VK_RETURN);
    };
  };
  Key(VK_F3);
  Application->OnModalBegin = nullptr;
  EXPECT_TRUE(about);
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_NE(AboutText().find(" ver.1.50\n\r\n\r"), AnsiString::npos);
  EXPECT_EQ(AboutText().substr(0, 20), AnsiString("Vel 黒板 Qz ver.1.50"));
  // Ctrl+N: the question; Cancel keeps the board, OK begins a new one.
  Stroke(200, 200, 500, 300);
  ASSERT_TRUE(b.NextPage());
  answers_->Push(IDCANCEL);
  Key('N', true);
  EXPECT_EQ(b.PageCount, 2u);
  answers_->Push(IDOK);
  Button(form->btnNew);
  EXPECT_EQ(b.PageCount, 1u);
  EXPECT_EQ(b.CurrentPage, 1u);
  EXPECT_EQ(b.LastPageDrawn, 0);
  EXPECT_EQ(b.Previews->Count(), 1);
  EXPECT_FALSE(fs::exists(Tmp("1.bmp")));
  EXPECT_EQ(boardtest::PixelAt(b.Board.get(), 350, 250), b.BackColor);
  ASSERT_EQ(answers_->Shown().size(), 2u);
  EXPECT_EQ(answers_->Shown()[0].text, LanguageText(30));
  EXPECT_EQ(answers_->Shown()[0].caption, LanguageText(37));
}

TEST_F(Actions, EveryToolbarButtonRunsItsAction) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  int titles = 0, dialogs = 0;
  onTitleForm = [&] { ++titles; };
  AnswerTitleForm(nullptr, {"escape"});
  winplat::user::SetModalIdleHandler([&](HWND dlg) {
    ++dialogs;
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
  });
  bool about = false;
  Application->OnModalBegin = [&](TObject*) {
    Application->OnIdle = [&](TObject*, bool&) {
      if (about) return;
      about = true;
      screen->PressKey(VK_RETURN);
    };
  };
  struct Case {
    const char* what;
    TUcToolButton* button;
    std::function<bool()> done;
    std::function<void()> after;
  };
  const Case cases[] = {
      {"open", form->btnOpen, [&] { return form->lstFiles->Visible() && form->lstFiles->Mask() == "*.zip"; }, {}},
      {"save", form->btnSave, [&] { return titles == 1; }, {}},
      {"picture", form->btnPicture, [&] { return dialogs == 1 && b.PictureWaiting == 0; }, {}},
      {"date", form->btnDate,
       [&] {
         int stamped = 0;
         for (int y = 8; y < 320; y += 2)
           for (int x = W - 72; x < W - 8; x += 2) stamped += boardtest::PixelAt(b.Board.get(), x, y) != b.BackColor;
         return stamped > 100;
       },
       {}},
      {"grid", form->btnGrid, [&] { return b.GridOn == 1; }, [&] { b.GridOn = 0; }},
      {"grid list", form->btnGridSwitch, [&] { return form->lstGrids->Visible(); }, {}},
      {"colour", form->btnBoardColor, [&] { return form->pnlBoardColor->Visible(); }, {}},
      {"settings", form->btnOption, [&] { return form->pnlSetting->Visible() && !form->DXTimer->Enabled(); },
       [&] { form->btnCancelClick(form->btnCancel); }},
      {"camera", form->btnCamera, [&] { return CameraCountdown == 153; }, [&] { CameraCountdown = 0; }},
      {"record", form->btnLogRec, [&] { return b.LogState == 1; }, [&] { form->actLogRec->Execute(); }},
      {"log open", form->btnLogOpen, [&] { return dialogs == 2; }, {}},
      {"video", form->btnVideoSave, [&] { return b.LogState == 0 && CameraCountdown == 0; }, {}},
      {"about", form->btnAbout, [&] { return about; }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Button(c.button);
    EXPECT_TRUE(c.done());
    if (c.after) c.after();
    EXPECT_TRUE(form->DXTimer->Enabled());
  }
  // Play and save of the log wait for a log; with one, the buttons play it and save it.
  form->ShowToolbar();
  EXPECT_FALSE(form->actLogPlay->Enabled());
  EXPECT_FALSE(form->actLogSave->Enabled());
  b.Log->AddItem(0, Point(100, 100), Point(300, 300), 0, 0, 0, 0, 0, 0);
  Button(form->btnLogPlay);
  EXPECT_EQ(b.LogState, 2);
  Tick();
  EXPECT_EQ(b.LogState, 0);
  Button(form->btnLogSave);
  EXPECT_EQ(dialogs, 3);
  // Exit asks the quit question; Cancel keeps the program.
  answers_->Push(IDCANCEL);
  Button(form->btnExit);
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(answers_->Shown().back().text, LanguageText(32));
  Application->OnModalBegin = nullptr;
}

TEST_F(Actions, PicturesOfEachKindWaitForALeftClickAndARightClickDropsThem) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  {
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(40, 30);
    bmp.Canvas()->Brush()->SetColor(static_cast<TColor>(0x2020E0));
    bmp.Canvas()->FillRect(Rect(0, 0, 40, 30));
    bmp.SaveToFile(File("pic.bmp").string());
  }
  ASSERT_TRUE(test_support::WritePng(File("PIC.PNG").string(), 30, 20, std::vector<uint32_t>(600, 0x20C0F0)));
  fs::copy_file(fs::path(TEST_DATA_DIR) / "graphics" / "small.jpg", File("small.jpg"));
  std::ofstream(File("notes.txt")) << "text";
  struct Case {
    const char* file;
    int w, h;
    uint32_t colour;  // on the screen, 0x00RRGGBB
  };
  const Case cases[] = {{"pic.bmp", 40, 30, 0xE02020}, {"small.jpg", 24, 16, 0x1E2878}, {"PIC.PNG", 30, 20, 0x20C0F0}};
  int x = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    AnswerFileDialog(File(c.file).string(), x == 100 ? "picture_dialog" : nullptr);
    Key('P', true);
    ASSERT_EQ(b.PictureWaiting, 1);
    EXPECT_EQ(form->DXIL->Items()->Find("DragPic")->Width(), c.w);
    EXPECT_FALSE(form->tbMain->Visible());
    screen->MouseMove(x, 200);
    Application->ProcessMessages();
    Tick();
    if (x == 100) Shot("picture_waiting");
    screen->Click(x, 200);
    Application->ProcessMessages();
    EXPECT_EQ(b.PictureWaiting, 0);
    screen->MouseMove(900, 500);  // the pointer's chalk away from the picture
    Application->ProcessMessages();
    Tick();
    const uint32_t at = At(x + 3, 203);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR((at >> (8 * k)) & 0xFF, (c.colour >> (8 * k)) & 0xFF, 12);
    x += 150;
  }
  screen->MouseMove(700, 500);
  Tick();
  Shot("pictures_stamped");
  // A right click drops the waiting picture; another extension leaves none waiting.
  AnswerFileDialog(File("pic.bmp").string());
  Key('P', true);
  ASSERT_EQ(b.PictureWaiting, 1);
  screen->Click(600, 400, 1);
  Application->ProcessMessages();
  EXPECT_EQ(b.PictureWaiting, 0);
  screen->MouseMove(900, 500);
  Application->ProcessMessages();
  Tick();
  EXPECT_EQ(At(603, 403), maintest::kBoardGreen);
  AnswerFileDialog(File("notes.txt").string());
  Key('P', true);
  EXPECT_EQ(b.PictureWaiting, 0);
  AnswerFileDialog("");
  Key('P', true);
  EXPECT_EQ(b.PictureWaiting, 0);
}

TEST_F(Actions, TheGridChooserListsTheOverlayFolderAndAClickLaysTheGrid) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  Button(form->btnGridSwitch);
  ASSERT_TRUE(form->lstGrids->Visible());
  std::set<std::u16string> names;
  for (int i = 0; i < form->lstGrids->Items()->Count(); ++i) names.insert(form->lstGrids->Items()->Get(i));
  EXPECT_EQ(names, (std::set<std::u16string>{u"五線譜", u"方眼", u"罫線"}));
  EXPECT_EQ(form->lstGrids->Top(), form->btnGrid->Top());
  Shot("grid_list");
  form->lstGrids->SetItemIndex(1);
  form->lstGridsClick(form->lstGrids);
  EXPECT_EQ(b.GridOn, 1);
  EXPECT_TRUE(form->actGrid->Checked());
  EXPECT_EQ(b.GridName, AnsiString(WideToAnsi(form->lstGrids->Items()->Get(1))));
  // Clicks in the board list meanwhile open nothing.
  form->lstFilesClick(form->lstFiles);
  EXPECT_EQ(answers_->Shown().size(), 0u);
}

TEST_F(Actions, TheColourPanelFillsANewPageAndRecoloursOnlyTheBoardOfADrawnOne) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  Button(form->btnBoardColor);
  ASSERT_TRUE(form->pnlBoardColor->Visible());
  EXPECT_EQ(form->rbBackColor->ItemIndex(), 0);
  EXPECT_EQ(b.BackColor, 0x005000);  // opening chose nothing
  Tick();
  Shot("colour_panel");
  // An untouched page is filled.
  form->rbBackColor->SetItemIndex(1);
  form->rbBackColorClick(form->rbBackColor);
  EXPECT_EQ(b.BackColor, kClassical);
  EXPECT_EQ(b.DefaultBackColor, kClassical);
  EXPECT_EQ(boardtest::PixelAt(b.Board.get(), 10, 10), kClassical);
  // On a drawn page the chalk stays.
  Stroke(400, 600, 900, 600);  // beside the panel
  int cx = 450;
  while (cx < 850 && boardtest::PixelAt(b.Board.get(), cx, 600) == kClassical) ++cx;
  ASSERT_LT(cx, 850) << "no chalk drawn";
  const TColor chalk = boardtest::PixelAt(b.Board.get(), cx, 600);
  form->rbBackColor->SetItemIndex(0);
  form->rbBackColorClick(form->rbBackColor);
  EXPECT_EQ(boardtest::PixelAt(b.Board.get(), cx, 600), chalk);
  EXPECT_EQ(boardtest::PixelAt(b.Board.get(), 10, 10), 0x005000);
  // The custom swatch asks the colour dialog (OK keeps its colour, RGB(90, 70, 55)).
  winplat::user::SetModalIdleHandler([this](HWND dlg) {
    Shot("colour_dialog");
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
  });
  form->pnBackColorClick(form->pnBackColor);
  EXPECT_EQ(b.BackColor, static_cast<TColor>(RGB(90, 70, 55)));
  EXPECT_EQ(form->rbBackColor->ItemIndex(), 2);
  EXPECT_EQ(boardtest::PixelAt(b.Board.get(), cx, 600), chalk);
}

TEST_F(Actions, TheSettingsPanelRoundTripsInTheWriteOrderAndKeepsTheBoardColour) {
  fs::remove(File("settings.ini"));
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  // The classical board, never chosen in the colour panel this run.
  b.ReplaceColor(b.BackColor, kClassical);
  b.BackColor = b.DefaultBackColor = kClassical;
  Key(VK_F2);
  ASSERT_TRUE(form->pnlSetting->Visible());
  EXPECT_FALSE(form->DXTimer->Enabled());
  EXPECT_EQ(form->edtGridSize->Value(), 32);
  EXPECT_TRUE(form->chkChalkKasure->Checked());
  EXPECT_FALSE(form->chkYogore->Checked());
  Shot("settings_panel");
  form->chkChalkKasure->SetChecked(false);
  form->chkYogore->SetChecked(true);
  const POINT ok = CentreOf(form->btnOK);
  screen->Click(ok.x, ok.y);
  Application->ProcessMessages();
  EXPECT_FALSE(form->pnlSetting->Visible());
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_EQ(b.Options, obYogore | obLogProgBar | obCtrlNoBold);
  EXPECT_EQ(Settings(), "[general]\r\ngrid=32\r\nYogore=1\r\nbackcolor=1\r\nChalkKasure=0\r\nDrawDate=0\r\n"
                        "LogProgBar=1\r\nCtrlNoBold=1\r\n");
  // The next opening shows what was stored; Cancel changes nothing.
  Key(VK_F2);
  EXPECT_FALSE(form->chkChalkKasure->Checked());
  EXPECT_TRUE(form->chkYogore->Checked());
  form->chkDate->SetChecked(true);
  form->btnCancelClick(form->btnCancel);
  EXPECT_FALSE(form->pnlSetting->Visible());
  EXPECT_EQ(b.Options, obYogore | obLogProgBar | obCtrlNoBold);
  // A settings.ini that cannot be written is reported; the program runs on.
  chmod(File("settings.ini").c_str(), 0444);
  const std::string before = Settings();
  Key(VK_F2);
  form->chkDate->SetChecked(true);
  form->btnOKClick(form->btnOK);
  EXPECT_EQ(answers_->Shown().size(), 1u);
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_TRUE(form->DXDraw->Enabled());
  EXPECT_FALSE(form->pnlSetting->Visible());
  EXPECT_EQ(Settings(), before);
}

TEST_F(Actions, ALogIsRecordedSavedOpenedAndPlayedOnceOrLoopedUntilEsc) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  Key(VK_F10);
  Stroke(100, 200, 700, 400);
  Stroke(150, 500, 800, 150);
  Key(VK_F10);
  const int records = b.Log->Count();
  ASSERT_GT(records, 10);
  // Saved through the save dialog, recorded over by an empty recording, opened again.
  AnswerFileDialog(File("lesson.log").string(), "log_save_dialog");
  form->actLogSave->Execute();
  ASSERT_EQ(fs::file_size(File("lesson.log")), static_cast<uintmax_t>(records) * 40);
  Key(VK_F10);
  Key(VK_F10);
  EXPECT_EQ(b.Log->Count(), 0);
  AnswerFileDialog(File("lesson.log").string());
  form->actLogOpen->Execute();
  EXPECT_EQ(b.Log->Count(), records);
  // Once: the stop picture while it plays, the play picture afterwards.
  answers_->Push(IDOK);
  form->actNew->Execute();
  Key(VK_F11);
  EXPECT_EQ(b.LogState, 2);
  EXPECT_EQ(form->actLogPlay->ImageIndex(), kLogStopImage);
  EXPECT_TRUE(form->btnLogPlay->Down());
  Tick(records / 2);
  Shot("replay_halfway");
  Tick(records);
  EXPECT_EQ(b.LogState, 0);
  EXPECT_EQ(form->actLogPlay->ImageIndex(), kLogPlayImage);
  EXPECT_FALSE(form->btnLogPlay->Down());
  // Looped with Shift held on the button: still playing after three rounds; Esc stops it.
  screen->KeyDown(VK_SHIFT);
  Application->ProcessMessages();
  Button(form->btnLogPlay);
  screen->KeyUp(VK_SHIFT);
  Application->ProcessMessages();
  EXPECT_EQ(b.Log->Loop, 1);
  Tick(records * 3);
  EXPECT_EQ(b.LogState, 2);
  screen->KeyDown(VK_ESCAPE);
  Application->ProcessMessages();
  Tick();
  screen->KeyUp(VK_ESCAPE);
  Application->ProcessMessages();
  EXPECT_EQ(b.LogState, 0);
  EXPECT_EQ(form->actLogPlay->ImageIndex(), kLogPlayImage);
  // Recording during a replay stops the replay first.
  Key(VK_F11);
  ASSERT_EQ(b.LogState, 2);
  Key(VK_F10);
  EXPECT_EQ(b.LogState, 1);
  EXPECT_EQ(form->actLogPlay->ImageIndex(), kLogPlayImage);
  Key(VK_F10);
}

}  // namespace
