// The standard controls on a form read from its text resource, on the headless screen with
// scripted input: typing, selecting, ticking, choosing, spinning, the default button, list
// items across a new window, the file list, and a screenshot of them all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Buttons.h"
#include "ExtCtrls.h"
#include "FileCtrl.h"
#include "Forms.h"
#include "Spin.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "test_support.h"
#include "ui_fixture.h"

class TStdForm : public TForm {
 public:
  explicit TStdForm(TComponent* AOwner) : TForm(AOwner) {}
  TLabel* lblName = nullptr;
  TEdit* edtTitle = nullptr;
  TListBox* lstGrids = nullptr;
  TCheckBox* chkKasure = nullptr;
  TCheckBox* chkDate = nullptr;
  TRadioGroup* rbBackColor = nullptr;
  TGroupBox* grpPen = nullptr;
  TRadioButton* rbThin = nullptr;
  TRadioButton* rbThick = nullptr;
  TSpinEdit* edtGridSize = nullptr;
  TPanel* pnlSample = nullptr;
  TButton* btnDefault = nullptr;
  TBitBtn* btnOK = nullptr;
  TBitBtn* btnCancel = nullptr;
  std::vector<std::string> Log;
  void edtTitleChange(TObject*) { Log.push_back("title " + edtTitle->Text()); }
  void lstGridsClick(TObject*) { Log.push_back("grid " + std::to_string(lstGrids->ItemIndex())); }
  void chkKasureClick(TObject*) { Log.push_back("kasure " + std::to_string(chkKasure->State())); }
  void rbBackColorClick(TObject*) { Log.push_back("color " + std::to_string(rbBackColor->ItemIndex())); }
  void btnDefaultClick(TObject*) { Log.push_back("apply"); }
};

static const bool registered = DeclareClass<TStdForm, TForm>("TStdForm")
                                   .Method("edtTitleChange", &TStdForm::edtTitleChange)
                                   .Method("lstGridsClick", &TStdForm::lstGridsClick)
                                   .Method("chkKasureClick", &TStdForm::chkKasureClick)
                                   .Method("rbBackColorClick", &TStdForm::rbBackColorClick)
                                   .Method("btnDefaultClick", &TStdForm::btnDefaultClick)
                                   .Field("lblName", &TStdForm::lblName)
                                   .Field("edtTitle", &TStdForm::edtTitle)
                                   .Field("lstGrids", &TStdForm::lstGrids)
                                   .Field("chkKasure", &TStdForm::chkKasure)
                                   .Field("chkDate", &TStdForm::chkDate)
                                   .Field("rbBackColor", &TStdForm::rbBackColor)
                                   .Field("grpPen", &TStdForm::grpPen)
                                   .Field("rbThin", &TStdForm::rbThin)
                                   .Field("rbThick", &TStdForm::rbThick)
                                   .Field("edtGridSize", &TStdForm::edtGridSize)
                                   .Field("pnlSample", &TStdForm::pnlSample)
                                   .Field("btnDefault", &TStdForm::btnDefault)
                                   .Field("btnOK", &TStdForm::btnOK)
                                   .Field("btnCancel", &TStdForm::btnCancel)
                                   .Done();

namespace {

class StdControls : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    form = CreateForm<TStdForm>(Application);
    form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(form);
    UiTest::TearDown();
  }
  // Through the application's loop, which gives a control's keys to its form first.
  static void Pump() {
    Application->ProcessMessages();
    winplat::user::PumpMessages();
  }
  // A click at a point of a control's client area.
  static void ClickAt(TControl* c, int x, int y) {
    TPoint p = c->ClientToScreen(TPoint{x, y});
    Input().Click(p.x, p.y);
    Pump();
  }
  static void ClickMiddle(TControl* c) { ClickAt(c, c->Width() / 2, c->Height() / 2); }
  TStdForm* form = nullptr;
};

TEST_F(StdControls, TheFormResourceSetsEveryControl) {
  ASSERT_NE(form->edtTitle, nullptr);
  EXPECT_EQ(form->edtTitle->Text(), "黒板");
  EXPECT_EQ(form->lblName->FocusControl(), form->edtTitle);
  // The label fits its text: 9 characters of 8 pixels' average at the test font's default size.
  EXPECT_GT(form->lblName->Width(), 0);
  EXPECT_EQ(form->lstGrids->Items()->Count(), 3);
  EXPECT_EQ(form->lstGrids->Items()->Strings(2), "五線譜");
  EXPECT_EQ(form->chkKasure->State(), cbChecked);
  EXPECT_TRUE(form->chkDate->AllowGrayed());
  EXPECT_EQ(form->rbBackColor->ItemIndex(), 1);
  ASSERT_EQ(form->rbBackColor->ButtonCount(), 3);
  EXPECT_TRUE(form->rbBackColor->Buttons(1)->Checked());
  EXPECT_EQ(form->rbBackColor->Buttons(2)->Caption(), "カスタム");
  EXPECT_TRUE(form->rbThin->Checked());
  EXPECT_FALSE(form->rbThick->Checked());
  EXPECT_EQ(form->edtGridSize->Value(), 32);
  EXPECT_EQ(form->pnlSample->BevelInner(), bvLowered);
  EXPECT_TRUE(form->btnDefault->Default());
  // A kind gives its caption, role and modal result; a caption read from the form stays.
  EXPECT_EQ(form->btnOK->Caption(), "OK");
  EXPECT_EQ(form->btnOK->ModalResult(), mrOk);
  EXPECT_TRUE(form->btnOK->Default());
  EXPECT_EQ(form->btnCancel->Caption(), "やめる");
  EXPECT_TRUE(form->btnCancel->Cancel());
  EXPECT_EQ(form->btnCancel->NumGlyphs(), 2);
  // Nothing was clicked while the form was read.
  EXPECT_TRUE(form->Log.empty()) << form->Log.front();
}

TEST_F(StdControls, TypingSelectingTickingAndChoosing) {
  // Typing Japanese through text input into the edit.
  form->edtTitle->SetFocus();
  form->edtTitle->SelectAll();
  Input().TypeText(u"ペン");
  Pump();
  EXPECT_EQ(form->edtTitle->Text(), "ペン");
  ASSERT_FALSE(form->Log.empty());
  EXPECT_EQ(form->Log.back(), "title ペン");
  // The edit is an ANSI window: positions count bytes of code page 932.
  EXPECT_EQ(form->edtTitle->SelStart(), 4);
  form->edtTitle->SetSelStart(0);
  form->edtTitle->SetSelLength(2);
  EXPECT_EQ(form->edtTitle->SelText(), "ペ");

  // Clicking an item of the list selects it.
  form->Log.clear();
  TRect second = form->lstGrids->ItemRect(1);
  ClickAt(form->lstGrids, second.left + 5, (second.top + second.bottom) / 2);
  EXPECT_EQ(form->lstGrids->ItemIndex(), 1);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"grid 1"}));

  // A check box: a click unticks it; with AllowGrayed it goes unticked, grayed, ticked.
  form->Log.clear();
  ClickMiddle(form->chkKasure);
  EXPECT_EQ(form->chkKasure->State(), cbUnchecked);
  EXPECT_EQ(form->Log, (std::vector<std::string>{"kasure 0"}));
  std::vector<TCheckBoxState> states;
  for (int i = 0; i < 3; ++i) {
    ClickMiddle(form->chkDate);
    states.push_back(form->chkDate->State());
  }
  EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));

  // Radio buttons of one parent: one at a time.
  ClickMiddle(form->rbThick);
  EXPECT_TRUE(form->rbThick->Checked());
  EXPECT_FALSE(form->rbThin->Checked());

  // The radio group: a click on a button chooses its item; setting ItemIndex checks it.
  form->Log.clear();
  ClickMiddle(form->rbBackColor->Buttons(2));
  EXPECT_EQ(form->rbBackColor->ItemIndex(), 2);
  EXPECT_FALSE(form->rbBackColor->Buttons(1)->Checked());
  EXPECT_EQ(form->Log, (std::vector<std::string>{"color 2"}));
  form->rbBackColor->SetItemIndex(7);  // clamped to the last button
  EXPECT_EQ(form->rbBackColor->ItemIndex(), 2);
  form->rbBackColor->SetItemIndex(0);
  EXPECT_TRUE(form->rbBackColor->Buttons(0)->Checked());
  EXPECT_FALSE(form->rbBackColor->Buttons(2)->Checked());
  // Fewer items: fewer buttons, and the index stays inside them.
  form->rbBackColor->Items()->Delete(2);
  form->rbBackColor->Items()->Delete(1);
  EXPECT_EQ(form->rbBackColor->ButtonCount(), 1);
  EXPECT_EQ(form->rbBackColor->ItemIndex(), 0);
  form->rbBackColor->SetColumns(40);
  EXPECT_EQ(form->rbBackColor->Columns(), 16);
}

TEST_F(StdControls, TheSpinEditStepsWithinItsRange) {
  TSpinEdit* spin = form->edtGridSize;
  ASSERT_NE(spin->Button(), nullptr);
  RECT b;
  GetWindowRect(spin->Button(), &b);
  auto clickButton = [&](bool up) {
    Input().Click((b.left + b.right) / 2, up ? b.top + 2 : b.bottom - 3);
    Pump();
  };
  clickButton(true);
  EXPECT_EQ(spin->Value(), 33);
  clickButton(false);
  clickButton(false);
  EXPECT_EQ(spin->Value(), 31);
  spin->SetFocus();
  Input().PressKey(VK_UP);
  Pump();
  EXPECT_EQ(spin->Value(), 32);
  struct Case {
    int set, want;
  } cases[] = {{2000, 1024}, {-3, 5}, {100, 100}};
  for (const Case& c : cases) {
    spin->SetValue(c.set);
    EXPECT_EQ(spin->Value(), c.want) << c.set;
  }
  // Letters are refused; a text that is no number reads as the minimum, and leaving the edit
  // brings a number outside the range back into it.
  spin->SelectAll();
  Input().TypeText(u"a7");
  Pump();
  EXPECT_EQ(spin->Text(), "7");
  EXPECT_EQ(spin->Value(), 7);
  spin->SetText("3");
  form->edtTitle->SetFocus();
  Pump();
  EXPECT_EQ(spin->Text(), "5");
  spin->SetText("x");
  EXPECT_EQ(spin->Value(), 5);
}

TEST_F(StdControls, ReturnClicksTheDefaultButtonAndTheButtonSetsTheModalResult) {
  form->edtTitle->SetFocus();
  Input().PressKey(VK_RETURN);
  Pump();
  EXPECT_EQ(form->Log, (std::vector<std::string>{"apply"}));
  // A bit button of a kind gives its form the kind's modal result.
  ClickMiddle(form->btnCancel);
  EXPECT_EQ(form->ModalResult(), mrCancel);
}

TEST_F(StdControls, LabelAcceleratorFocusesItsControl) {
  form->lstGrids->SetFocus();
  EXPECT_EQ(form->lblName->Perform(CM_DIALOGCHAR, 't', 0), 1);
  EXPECT_TRUE(form->edtTitle->Focused());
  EXPECT_EQ(form->lblName->Perform(CM_DIALOGCHAR, 'x', 0), 0);
  struct Case {
    const char* caption;
    char key;
    bool accel;
  } cases[] = {{"題名(&T):", 't', true}, {"&&T", 't', false}, {"a&&&b", 'B', true}, {"none", 'n', false}};
  for (const Case& c : cases) EXPECT_EQ(IsAccel(static_cast<Word>(c.key), c.caption), c.accel) << c.caption;
}

TEST_F(StdControls, ListItemsObjectsAndSelectionSurviveANewWindow) {
  TListBox* l = form->lstGrids;
  TObject* tag = form;
  l->Items()->SetObjects(2, tag);
  l->SetItemIndex(2);
  HWND old = l->Handle();
  l->RecreateWnd();
  ASSERT_TRUE(l->HandleAllocated());
  EXPECT_NE(l->Handle(), old);
  EXPECT_EQ(l->Items()->Count(), 3);
  EXPECT_EQ(l->Items()->Strings(2), "五線譜");
  EXPECT_EQ(l->Items()->Objects(2), tag);
  EXPECT_EQ(l->ItemIndex(), 2);
  // A new text keeps the item's object and the selection.
  l->Items()->SetStrings(2, "点線");
  EXPECT_EQ(l->Items()->Strings(2), "点線");
  EXPECT_EQ(l->Items()->Objects(2), tag);
  EXPECT_EQ(l->ItemIndex(), 2);
  // Exchanging moves the selection with its item; an index outside the list is an error.
  l->Items()->Exchange(0, 2);
  EXPECT_EQ(l->Items()->Strings(0), "点線");
  EXPECT_EQ(l->Items()->Objects(0), tag);
  EXPECT_EQ(l->ItemIndex(), 0);
  EXPECT_THROW(l->Items()->Strings(9), EStringListError);
  // Sorted (in character order) and multi-select lists.
  l->SetSorted(true);
  EXPECT_EQ(l->Items()->Strings(0), "方眼");
  l->SetMultiSelect(true);
  l->SetSelected(0, true);
  l->SetSelected(2, true);
  EXPECT_EQ(l->SelCount(), 2);
  TListBox* copy = new TListBox(form);
  copy->SetParent(form);
  l->CopySelection(copy);
  EXPECT_EQ(copy->Items()->Count(), 2);
  l->DeleteSelected();
  EXPECT_EQ(l->Items()->Count(), 1);
}

TEST_F(StdControls, OwnerDrawnListItemsComeToOnDrawItem) {
  TListBox* l = form->lstGrids;
  std::vector<int> drawn;
  l->OnDrawItem = [&](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
    drawn.push_back(index);
    EXPECT_EQ(rect.bottom - rect.top, 20);
    if (index == 1) EXPECT_TRUE(state.Contains(odSelected));
  };
  l->SetStyle(lbOwnerDrawFixed);
  l->SetItemHeight(20);
  l->SetItemIndex(1);
  UpdateWindow(l->Handle());
  EXPECT_GE(drawn.size(), 3u);
  EXPECT_EQ(l->Items()->Count(), 3);
}

class FileList : public StdControls {
 protected:
  void SetUp() override {
    StdControls::SetUp();
    namespace fs = std::filesystem;
    dir = fs::current_path() / "files";
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    for (const char* n : {"1.bmp", "1g.bmp", "2.bmp", "1.dat", "notes.txt", "board.zip"}) std::ofstream(dir / n) << "x";
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    StdControls::TearDown();
  }
  std::filesystem::path dir;
};

TEST_F(FileList, ListsTheMatchingFilesWithoutChangingTheCurrentFolder) {
  auto* files = new TFileListBox(form);
  files->SetParent(form);
  files->SetVisible(false);
  const AnsiString before = GetCurrentDir();
  files->SetDirectory(dir.string());
  struct Case {
    const char* mask;
    std::vector<std::string> want;
  } cases[] = {
      {"*.bmp;*.dat", {"1.bmp", "1.dat", "1g.bmp", "2.bmp"}},
      {"*.zip", {"board.zip"}},
      {"*.png", {}},
      {"*.*", {"1.bmp", "1.dat", "1g.bmp", "2.bmp", "board.zip", "notes.txt"}},
  };
  for (const Case& c : cases) {
    files->SetMask(c.mask);
    std::vector<std::string> got;
    for (int i = 0; i < files->Items()->Count(); ++i) got.push_back(files->Items()->Strings(i));
    EXPECT_EQ(got, c.want) << c.mask;
  }
  EXPECT_EQ(GetCurrentDir(), before);
  // Folders when asked for; the selected item's full path.
  files->SetFileType(TFileType{ftNormal, ftDirectory});
  EXPECT_GE(files->Items()->IndexOf("[sub]"), 0);
  EXPECT_EQ(files->FileName(), "");
  files->SetItemIndex(files->Items()->IndexOf("notes.txt"));
  EXPECT_EQ(files->FileName(), IncludeTrailingPathDelimiter(dir.string()) + "notes.txt");
  // A new file shows when the folder is read again.
  std::ofstream(dir / "3.bmp") << "x";
  files->SetMask("*.bmp");
  int before3 = files->Items()->Count();
  std::ofstream(dir / "4.bmp") << "x";
  files->ReadFileNames();
  EXPECT_EQ(files->Items()->Count(), before3 + 1);
}

TEST_F(StdControls, ScreenshotOfEveryControl) {
  winplat::gdi::UseTestFontForAll(false);  // the real fonts, to look at
  TStdForm* real = CreateForm<TStdForm>(Application);
  real->Show();
  real->edtTitle->SetFocus();
  real->lstGrids->SetItemIndex(0);
  real->btnOK->SetEnabled(true);
  Pump();
  int w = 0, h = 0;
  std::vector<uint32_t> px = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
  std::vector<uint32_t> crop(480 * 330);
  for (int y = 0; y < 330; ++y)
    for (int x = 0; x < 480; ++x) crop[static_cast<size_t>(y) * 480 + x] = px[static_cast<size_t>(y) * w + x] & 0xFFFFFF;
  ASSERT_TRUE(test_support::WritePng("stdctrls_form.png", 480, 330, crop));
  if (const char* keep = std::getenv("VSE_KEEP_SHOTS")) test_support::WritePng(std::string(keep) + "/stdctrls_form.png", 480, 330, crop);
  // The panel's white face and the OK button's green tick are on the screen.
  TPoint panel = real->pnlSample->ClientToScreen(TPoint{20, 10});
  EXPECT_EQ(px[static_cast<size_t>(panel.y) * w + panel.x] & 0xFFFFFF, 0xFFFFFFu);
  FreeAndNil(real);
}

}  // namespace
