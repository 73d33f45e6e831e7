// The main form's resource (toolbar, actions, lists, panels, dialogs), the interface texts of
// Language.ini, the options of settings.ini read at start-up, and the toolbar that the left
// screen edge brings.
#include <cstring>

#include "main_support.h"

using namespace maintest;

namespace {

// A Language.ini of the given lines, UTF-16LE with a byte-order mark as the program ships it.
void WriteLanguage(const fs::path& File, const std::u16string& Lines) {
  std::string bytes = "\xFF\xFE";
  const std::u16string text = u"[Language]\r\n" + Lines;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  boardtest::WriteText(File, bytes);
}

struct ActionRow {
  TUcAction* TfrmMain::*action;
  const char16_t* caption;
  int32_t shortcut;
  int32_t image;
};

// The toolbar's actions in toolbar order.
const ActionRow kActions[] = {
    {&TfrmMain::actNew, u"新規黒板", 16462, 0},
    {&TfrmMain::actOpen, u"黒板を開く", 16463, 1},
    {&TfrmMain::actSave, u"黒板を保存", 16467, 2},
    {&TfrmMain::actPicture, u"挿入する画像を選択", 16464, 3},
    {&TfrmMain::actDate, u"日付を書く", VK_F9, 4},
    {&TfrmMain::actGrid, u"グリッドのオンオフ", 16455, 5},
    {&TfrmMain::actGridSwitch, u"グリッドの選択", 0, 6},
    {&TfrmMain::actBoardColor, u"黒板の色の設定", 0, 7},
    {&TfrmMain::actOption, u"設定パネルの表示", VK_F2, 8},
    {&TfrmMain::actCamera, u"撮影する", VK_F12, 9},
    {&TfrmMain::actLogRec, u"ログデータを取り始める", VK_F10, 10},
    {&TfrmMain::actLogPlay, u"ログデータを再生", VK_F11, kLogPlayImage},
    {&TfrmMain::actLogOpen, u"ログデータの読み込み", 0, 13},
    {&TfrmMain::actLogSave, u"ログデータの保存", 0, 14},
    {&TfrmMain::actVideoSave, u"ログデータを保存", 0, 15},
    {&TfrmMain::actAbout, u"バージョン情報", VK_F3, 16},
    {&TfrmMain::actExit, u"アプリケーションの終了", 0, 17},
};

TEST_F(Program, TheFormResourceHoldsTheToolbarActionsListsPanelsAndDialogs) {
  TfrmMain* form = Start();
  // Every action in the list, in toolbar order, each on its own button.
  ASSERT_EQ(form->AL->ActionCount(), 17);
  ASSERT_NE(form->ilToolbar, nullptr);
  EXPECT_EQ(form->ilToolbar->Count(), 18);  // the stop image follows the play image
  EXPECT_EQ(form->tbMain->Images(), form->ilToolbar);
  EXPECT_FALSE(form->tbMain->Visible());
  EXPECT_EQ(form->tbMain->Left(), 0);
  int button = 0;
  std::vector<int> separators;
  for (int i = 0; i < 17; ++i) {
    const ActionRow& row = kActions[i];
    TUcAction* a = form->*row.action;
    SCOPED_TRACE(AnsiString(a->Name()).c_str());
    EXPECT_EQ(form->AL->Actions(i), a);
    EXPECT_EQ(a->Caption(), row.caption);
    EXPECT_EQ(a->ShortCut(), row.shortcut);
    EXPECT_EQ(a->ImageIndex(), row.image);
    while (form->tbMain->Buttons(button)->Style() == tbsSeparator) separators.push_back(button++);
    EXPECT_EQ(form->tbMain->Buttons(button)->Action(), a);
    ++button;
  }
  EXPECT_EQ(separators, (std::vector<int>{3, 6, 11, 18}));
  EXPECT_EQ(form->btnLogRec->Style(), tbsCheck);
  EXPECT_EQ(form->btnLogPlay->Style(), tbsCheck);
  EXPECT_EQ(form->btnGrid->Action(), form->actGrid);
  EXPECT_EQ(form->btnOpen->Action(), form->actOpen);
  // The buttons run down the left edge, above the tray.
  EXPECT_GT(form->btnExit->Top(), form->btnNew->Top());
  EXPECT_EQ(form->btnExit->Left(), form->btnNew->Left());
  EXPECT_LE(form->tbMain->Top() + form->tbMain->Height(), H - 48);

  // The hidden lists and panels.
  for (TControl* c : std::initializer_list<TControl*>{form->lstFiles, form->lstGrids, form->pnlSetting,
                                                      form->pnlBoardColor, form->pnlVideoWriting})
    EXPECT_FALSE(c->Visible()) << c->Name().c_str();
  EXPECT_EQ(form->edtGridSize->MinValue(), 5);
  EXPECT_EQ(form->edtGridSize->MaxValue(), 1024);
  for (TUcCheckBox* c : {form->chkYogore, form->chkChalkKasure, form->chkDate, form->chkLogProgBar, form->chkCtrlNoBold}) {
    EXPECT_EQ(c->Parent(), form->pnlSetting);
    EXPECT_TRUE(c->Checked()) << c->Name().c_str();
  }
  EXPECT_EQ(form->btnOK->Parent(), form->pnlSetting);
  EXPECT_EQ(form->rbBackColor->Parent(), form->pnlBoardColor);
  EXPECT_EQ(form->rbBackColor->Items()->Count(), 3);
  EXPECT_EQ(form->ColorSampleStandard->Color(), RGB(0, 80, 0));
  EXPECT_EQ(form->ColorSampleClassical->Color(), RGB(30, 30, 40));
  EXPECT_EQ(form->pnBackColor->Color(), RGB(90, 70, 55));
  EXPECT_EQ(form->Label2->Caption(), u"いっしょうけんめいビデオを撮影中です...");
  EXPECT_EQ(form->lblProgress->Caption(), u"(0/9999)");
  EXPECT_EQ(form->btnAbort->Caption(), u"中止(&C)");
  EXPECT_EQ(form->od->Filter().find(u"*.jpg;*.jpeg;*.bmp;*.png") != std::u16string::npos, true);
  EXPECT_NE(form->sd, nullptr);
  EXPECT_NE(form->cd, nullptr);
  EXPECT_EQ(form->ilPreview->Width(), 160);
  EXPECT_EQ(form->ilPreview->Height(), 120);
}

TEST_F(Program, TheLanguageFileSetsTheTextsWideAndKeepsTheTitleToOneOfTwo) {
  struct Case {
    const char* what;
    std::u16string lines;  // empty: no Language.ini at all
    const char* title;
  };
  const Case cases[] = {
      {"the Japanese title", u"38=Vel 黒板 Qz\r\n", "Vel 黒板 Qz"},
      {"an English title", u"38=Slatora Board\r\n", "Slatora Blackboard Qz"},
      {"the title with a space more", u"38=Vel 黒板 Qz \r\n", "Vel 黒板 Qz"},
      {"the other title itself", u"38=Slatora Blackboard Qz\r\n", "Slatora Blackboard Qz"},
      {"no title key", u"0=x\r\n", "Vel 黒板 Qz"},
      {"no file", u"", "Vel 黒板 Qz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(File("Language.ini"));
    if (!c.lines.empty()) WriteLanguage(File("Language.ini"), c.lines);
    Start();
    EXPECT_EQ(Application->Title(), AnsiString(c.title));
    delete Application;
    Application = new TApplication(nullptr);
  }
}

TEST_F(Program, TheLanguageFileIsReadInUtf8AndShiftJisToo) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"UTF-8 with its mark", "\xEF\xBB\xBF[Language]\r\n0=Nouveau \xC3\xA9\r\n38=Vel \xE9\xBB\x92\xE6\x9D\xBF Qz\r\n"},
      {"Shift-JIS", "[Language]\r\n0=\x90\x56\x82\xB5\x82\xA2\r\n38=Vel \x8D\x95\x94\xC2 Qz\r\n"},
  };
  const WideString hints[] = {u"Nouveau é", u"新しい"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    boardtest::WriteText(File("Language.ini"), cases[i].bytes);
    TfrmMain* form = Start();
    EXPECT_TRUE(form->actNew->Hint() == hints[i]);
    EXPECT_EQ(Application->Title(), AnsiString("Vel 黒板 Qz"));
    delete Application;
    Application = new TApplication(nullptr);
  }
}

TEST_F(Program, LanguageKeysThatAreNoTextNumberAreIgnoredAndTheTextsStayWide) {
  // Text outside code page 932 (é, 한, ✓) must reach the controls and the question unchanged.
  WriteLanguage(File("Language.ini"),
                u"abc=not a number\r\n-1=minus\r\n39=past the end\r\n1e3=exponent\r\n$10=hex\r\n100=far\r\n"
                u"0=Nouveau tableau é\r\n16=Quitter ✓\r\n17=색\r\n18=Standard é\r\n20=사용자\r\n"
                u"21=Traces 한\r\n25=Ctrl fin\r\n26=D'accord\r\n27=Annuler é\r\n"
                u"32=Quitter le tableau ? 한국어\r\n37=Question ✓\r\n");
  TfrmMain* form = Start();
  EXPECT_EQ(MessagesShown(), 0u);
  const struct {
    WideString shown;
    const char16_t* expected;
  } texts[] = {
      {form->actNew->Hint(), u"Nouveau tableau é"},
      {form->actExit->Hint(), u"Quitter ✓"},
      {form->actOpen->Hint(), u""},  // key 1 absent: an empty text
      {form->btnNew->Hint(), u"Nouveau tableau é"},
      {form->rbBackColor->Caption(), u"색"},
      {form->rbBackColor->Items()->Strings(0), u"Standard é"},
      {form->rbBackColor->Items()->Strings(2), u"사용자"},
      {form->chkYogore->Caption(), u"Traces 한"},
      {form->chkCtrlNoBold->Caption(), u"Ctrl fin"},
      {form->btnOK->Caption(), u"D'accord"},
      {form->btnCancel->Caption(), u"Annuler é"},
  };
  for (size_t i = 0; i < std::size(texts); ++i) EXPECT_TRUE(texts[i].shown == texts[i].expected) << i;
  EXPECT_EQ(Application->Title(), AnsiString("Vel 黒板 Qz"));
  // Texts the file leaves out keep their built-in wording; none is blank.
  for (int i : {28, 29, 30, 31, 33}) EXPECT_FALSE(LanguageText(i).empty()) << i;
  EXPECT_EQ(LanguageText(39), u"");
  EXPECT_EQ(LanguageText(-1), u"");
  answers_->Push(IDCANCEL);
  form->Close();
  winplat::user::PumpMessages();
  ASSERT_EQ(MessagesShown(), 1u);
  const WideString question = u"Quitter le tableau ? 한국어", caption = u"Question ✓";
  EXPECT_TRUE(answers_->Shown().front().text == question);
  EXPECT_TRUE(answers_->Shown().front().caption == caption);
}

TEST_F(Program, SettingsAtStartUpSetTheirOptionBitsWithTheDefaultsForMissingKeys) {
  struct Case {
    const char* what;
    const char* ini;  // nullptr: no settings.ini
    uint8_t options;
  };
  const Case cases[] = {
      {"only ChalkKasure=0", "[general]\r\nChalkKasure=0\r\n", obLogProgBar | obCtrlNoBold},
      {"no file", nullptr, obChalkKasure | obLogProgBar | obCtrlNoBold},
      {"every key on", "[general]\r\nYogore=1\r\nChalkKasure=1\r\nDrawDate=1\r\nLogProgBar=1\r\nCtrlNoBold=1\r\n",
       obYogore | obChalkKasure | obDrawDate | obLogProgBar | obCtrlNoBold},
      {"every key off", "[general]\r\nYogore=0\r\nChalkKasure=0\r\nDrawDate=0\r\nLogProgBar=0\r\nCtrlNoBold=0\r\n", 0},
      {"text that is no number keeps the default", "[general]\r\nYogore=yes\r\nCtrlNoBold=off\r\n",
       obChalkKasure | obLogProgBar | obCtrlNoBold},
      {"another section", "[other]\r\nChalkKasure=0\r\n", obChalkKasure | obLogProgBar | obCtrlNoBold},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(File("settings.ini"));
    if (c.ini) boardtest::WriteText(File("settings.ini"), c.ini);
    Start();
    EXPECT_EQ(Board().Options, c.options);
    delete Application;
    Application = new TApplication(nullptr);
  }
}

TEST_F(Program, DrawDateAtStartUpStampsTheDateOnPageOne) {
  boardtest::WriteText(File("settings.ini"), "[general]\r\nDrawDate=1\r\n");
  Start();
  Tick();
  EXPECT_GT(CountOtherThan(kBoardGreen, Rect(W - 72, 8, W, 40)), 20);
}

TEST_F(Program, TheLeftEdgeBringsTheToolbarAndTheNextMoveOverTheBoardHidesIt) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  b.GridOn = 1;
  screen->MouseMove(0, 300);
  winplat::user::PumpMessages();
  ASSERT_TRUE(form->tbMain->Visible());
  EXPECT_TRUE(form->actGrid->Checked());
  EXPECT_FALSE(form->actLogPlay->Enabled());  // nothing logged
  EXPECT_FALSE(form->actLogSave->Enabled());
  Tick();
  Shot("toolbar");
  // The bar is drawn over the board, and no tool cursor beside it.
  EXPECT_NE(At(10, 20), kBoardGreen);
  form->lstGrids->Show();
  form->pnlBoardColor->Show();
  // The move that leaves the bar is the bar's own; the next one over the board hides it.
  screen->MouseMove(400, 300);
  screen->MouseMove(410, 300);
  winplat::user::PumpMessages();
  EXPECT_FALSE(form->tbMain->Visible());
  EXPECT_FALSE(form->lstGrids->Visible());
  EXPECT_FALSE(form->pnlBoardColor->Visible());

  // A log with a record enables playing and saving it.
  b.Log->AddItem(lkChalk, Point(1, 1), Point(2, 2), 0, 0, 0, 0, 0, 0);
  b.GridOn = 0;
  screen->MouseMove(0, 200);
  winplat::user::PumpMessages();
  ASSERT_TRUE(form->tbMain->Visible());
  EXPECT_FALSE(form->actGrid->Checked());
  EXPECT_TRUE(form->actLogPlay->Enabled());
  EXPECT_TRUE(form->actLogSave->Enabled());
  screen->MouseMove(300, 200);
  screen->MouseMove(310, 200);
  winplat::user::PumpMessages();
  EXPECT_FALSE(form->tbMain->Visible());

  // Not during a stroke, a finger wipe or the camera's countdown.
  for (int blocker = 0; blocker < 4; ++blocker) {
    SCOPED_TRACE(blocker);
    if (blocker < 3) b.MouseState->SetBits(blocker, true);
    else CameraCountdown = 100;
    Form()->DXDrawMouseMove(Form(), TShiftState{}, 0, 250);
    EXPECT_FALSE(form->tbMain->Visible());
    b.MouseState->SetBits(blocker < 3 ? blocker : 0, false);
    CameraCountdown = 0;
  }
}

TEST_F(Program, OnALowScreenTheToolbarTakesSmallerPicturesToFitAboveTheTray) {
  for (int height : {768, 720, 600}) {
    SCOPED_TRACE(height);
    H = height;
    screen->SetDisplaySize(W, H);
    TfrmMain* form = Start();
    form->ShowToolbar();
    winplat::user::PumpMessages();
    EXPECT_LE(form->tbMain->Height(), H - 48);
    EXPECT_EQ(form->ilToolbar->Count(), 18);
    EXPECT_EQ(form->ilToolbar->Width(), height >= 768 ? 32 : 24);
    if (height >= 720) EXPECT_LE(form->btnExit->Top() + form->btnExit->Height(), form->tbMain->Height());
    if (height == 720) {
      Tick();
      Shot("toolbar_720");
    }
    delete Application;
    Application = new TApplication(nullptr);
  }
}

TEST_F(Program, TheCountdownBlocksTheTrayArrows) {
  TfrmMain* form = Start();
  TBlackBoard& b = Board();
  b.LastPageDrawn = 1;
  CameraCountdown = 100;
  screen->Click(W - 10, H - 20);
  screen->Click(10, H - 20, 1);
  winplat::user::PumpMessages();
  EXPECT_EQ(b.Sliding, 0);
  EXPECT_EQ(b.PageSelectOpen, 0);
  EXPECT_FALSE(frmPageSelect->Visible());
  CameraCountdown = 0;
  screen->Click(W - 10, H - 20);
  winplat::user::PumpMessages();
  EXPECT_EQ(b.Sliding, 1);
  EXPECT_EQ(form->DXTimer->Enabled(), true);
}

TEST_F(Program, ShortcutsRunTheirActionsAndExitAsksFirst) {
  TfrmMain* form = Start();
  // F9 writes the date (the application's loop hands the key to the actions).
  screen->PressKey(VK_F9);
  Application->ProcessMessages();
  Tick();
  EXPECT_GT(CountOtherThan(kBoardGreen, Rect(W - 72, 8, W, 40)), 20);
  // Exit hides the board list and asks the quit question.
  form->lstFiles->Show();
  answers_->Push(IDCANCEL);
  form->actExit->Execute();
  winplat::user::PumpMessages();
  EXPECT_FALSE(form->lstFiles->Visible());
  EXPECT_EQ(MessagesShown(), 1u);
  EXPECT_TRUE(form->Visible());
}

}  // namespace
