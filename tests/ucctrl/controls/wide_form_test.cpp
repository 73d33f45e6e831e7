// A wide form read from its text resource: every control kind of the wide layer holds text outside
// code page 932 (and the ANSI companions of older form data, which run time ignores), shows it on
// the headless screen and gives it back exactly; the form written by TWriter reads back into the
// same texts and writes the same bytes; on the ANSI-only platform the same form falls back to
// ANSI windows.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Menus.h"
#include "TypInfo.h"
#include "UcActnList.h"
#include "UcComCtrls.h"
#include "UcExtCtrls.h"
#include "UcForms.h"
#include "UcMenus.h"
#include "UcStdCtrls.h"
#include "UcSysUtils.h"
#include "test_support.h"
#include "ui_fixture.h"
#include "wide_test_support.h"
#include "winplat_mode.h"

class TWideForm : public TUcForm {
 public:
  explicit TWideForm(TComponent* AOwner) : TUcForm(AOwner) {}
  TUcLabel* lblTitle = nullptr;
  TUcEdit* edtTitle = nullptr;
  TUcListBox* lstGrids = nullptr;
  TUcCheckBox* chkKasure = nullptr;
  TUcButton* btnApply = nullptr;
  TUcRadioGroup* rbBackColor = nullptr;
  TUcGroupBox* grpPen = nullptr;
  TUcRadioButton* rbThin = nullptr;
  TUcToolBar* tbMain = nullptr;
  TUcToolButton* btnNew = nullptr;
  TUcToolButton* btnSave = nullptr;
  TMainMenu* mnuMain = nullptr;
  TUcMenuItem* mnuFile = nullptr;
  TUcMenuItem* mnuNew = nullptr;
  TUcMenuItem* mnuSave = nullptr;
  TUcMenuItem* mnuHangul = nullptr;
  TUcActionList* AL = nullptr;
  TUcAction* actNew = nullptr;
  TUcAction* actSave = nullptr;
};

static const bool registered = DeclareClass<TWideForm, TUcForm>("TWideForm")
                                   .Field("lblTitle", &TWideForm::lblTitle)
                                   .Field("edtTitle", &TWideForm::edtTitle)
                                   .Field("lstGrids", &TWideForm::lstGrids)
                                   .Field("chkKasure", &TWideForm::chkKasure)
                                   .Field("btnApply", &TWideForm::btnApply)
                                   .Field("rbBackColor", &TWideForm::rbBackColor)
                                   .Field("grpPen", &TWideForm::grpPen)
                                   .Field("rbThin", &TWideForm::rbThin)
                                   .Field("tbMain", &TWideForm::tbMain)
                                   .Field("btnNew", &TWideForm::btnNew)
                                   .Field("btnSave", &TWideForm::btnSave)
                                   .Field("mnuMain", &TWideForm::mnuMain)
                                   .Field("mnuFile", &TWideForm::mnuFile)
                                   .Field("mnuNew", &TWideForm::mnuNew)
                                   .Field("mnuSave", &TWideForm::mnuSave)
                                   .Field("mnuHangul", &TWideForm::mnuHangul)
                                   .Field("AL", &TWideForm::AL)
                                   .Field("actNew", &TWideForm::actNew)
                                   .Field("actSave", &TWideForm::actSave)
                                   .Done();

namespace {

// The texts of the form resource.
const WideString kFormCaption = u"黒板 é€ 한국 ✓ 𠮷";
const WideString kLabel = u"題名(&T) é€:";
const WideString kLabelHint = u"ラベル 한|長い 한국어";
const WideString kEdit = u"Café 한글 𠮷";
const std::vector<WideString> kGrids = {u"方眼 é", u"罫線 €", u"한국어 ✓", u"𠮷野家"};
const WideString kCheck = u"かすれ ✓ 한";
const WideString kButton = u"適用(&A) €";
const WideString kRadioCaption = u"色 한국";
const std::vector<WideString> kColors = {u"標準 é", u"クラシック €", u"사용자 ✓ 𠮷"};
const WideString kGroup = u"ペン ✓";
const WideString kThin = u"細い é";
const WideString kNew = u"新規 ✓";
const WideString kNewHint = u"新しい黒板 한|新しい黒板を作る 𠮷";
const WideString kSave = u"保存 €";
const WideString kFile = u"ファイル(&F) é";
const WideString kHangul = u"한국어";
const WideString kEditHint = u"エディット €";
const WideString kSaveHint = u"保存する|黒板を 𠮷 保存";

// The wide text of a window, as the platform holds it.
WideString WindowTextW(HWND h) {
  char16_t buf[256] = {};
  const int n = GetWindowTextW(h, buf, 256);
  return WideString(buf, static_cast<size_t>(n > 0 ? n : 0));
}

// The text of a platform menu item by position.
WideString MenuText(HMENU m, UINT pos) {
  char16_t buf[256] = {};
  const int n = GetMenuStringW(m, pos, buf, 256, MF_BYPOSITION);
  return WideString(buf, static_cast<size_t>(n > 0 ? n : 0));
}

class WideFormTest : public WideUiTest {
 protected:
  void SetUp() override {
    WideUiTest::SetUp();
    form = CreateForm<TWideForm>(Application);
    form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(form);
    WideUiTest::TearDown();
  }
  TWideForm* form = nullptr;
};

TEST_F(WideFormTest, EveryControlGivesBackItsWideTextExactly) {
  ASSERT_NE(form->edtTitle, nullptr);
  EXPECT_EQ(form->Caption(), kFormCaption);  // the wide Caption wins over Caption_UTF7
  EXPECT_EQ(form->lblTitle->Caption(), kLabel);
  EXPECT_EQ(form->lblTitle->Hint(), kLabelHint);
  EXPECT_EQ(form->edtTitle->Text(), kEdit);  // TextW is read and dropped at run time
  EXPECT_EQ(form->edtTitle->Hint(), kEditHint);
  ASSERT_EQ(form->lstGrids->Items()->Count(), 4);  // the UTF-7 list twin is dropped too
  for (int i = 0; i < 4; ++i) EXPECT_EQ(form->lstGrids->Items()->Get(i), kGrids[static_cast<size_t>(i)]) << i;
  EXPECT_EQ(form->chkKasure->Caption(), kCheck);
  EXPECT_TRUE(form->chkKasure->Checked());
  EXPECT_EQ(form->btnApply->Caption(), kButton);
  EXPECT_EQ(form->rbBackColor->Caption(), kRadioCaption);
  ASSERT_EQ(form->rbBackColor->ButtonCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(form->rbBackColor->Items()->Get(i), kColors[static_cast<size_t>(i)]);
    EXPECT_EQ(form->rbBackColor->Buttons(i)->Caption(), kColors[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(form->rbBackColor->ItemIndex(), 1);
  EXPECT_TRUE(form->rbBackColor->Buttons(1)->Checked());
  EXPECT_EQ(form->grpPen->Caption(), kGroup);
  EXPECT_EQ(form->rbThin->Caption(), kThin);
  // Actions give their wide texts to the tool buttons and menu items linked to them.
  EXPECT_EQ(form->actNew->Caption(), kNew);
  EXPECT_EQ(form->actNew->Hint(), kNewHint);
  EXPECT_EQ(form->btnNew->Caption(), kNew);
  EXPECT_EQ(form->btnNew->Hint(), kNewHint);
  EXPECT_EQ(form->btnSave->Caption(), kSave);
  EXPECT_EQ(form->mnuNew->Caption(), kNew);
  EXPECT_EQ(form->mnuFile->Caption(), kFile);
  EXPECT_EQ(form->mnuHangul->Caption(), kHangul);
  EXPECT_EQ(form->mnuSave->Hint(), kSaveHint);

  // The windows are Unicode and hold the wide texts; the framework keeps ANSI twins.
  for (TWinControl* c : std::vector<TWinControl*>{form, form->edtTitle, form->lstGrids, form->chkKasure, form->btnApply,
                                                  form->rbBackColor, form->grpPen, form->rbThin, form->tbMain}) {
    ASSERT_TRUE(c->HandleAllocated()) << c->Name();
    EXPECT_TRUE(IsWindowUnicode(c->Handle())) << c->Name();
  }
  EXPECT_EQ(WindowTextW(form->edtTitle->Handle()), kEdit);
  EXPECT_EQ(WindowTextW(form->chkKasure->Handle()), kCheck);
  EXPECT_EQ(WindowTextW(form->Handle()), kFormCaption);
  EXPECT_EQ(form->edtTitle->TCustomEdit::Text(), WideToAnsi(kEdit));
  EXPECT_EQ(form->lblTitle->TCustomLabel::Caption(), WideToAnsi(kLabel));
  EXPECT_EQ(form->lstGrids->TCustomListBox::Items()->Strings(0), WideToAnsi(kGrids[0]));

  // The platform menu and the tool bar's string pool hold the wide texts.
  HMENU bar = GetMenu(form->Handle());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(MenuText(bar, 0), kFile);
  EXPECT_EQ(MenuText(bar, 1), kHangul);
  EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 0), kNew + u"\tCtrl+N");
  EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 1), kSave + u"\tCtrl+S");
  char16_t pooled[64] = {};
  const LRESULT n = SendMessageW(form->tbMain->Handle(), TB_GETBUTTONTEXTW, static_cast<WPARAM>(form->btnNew->Index()),
                                 reinterpret_cast<LPARAM>(pooled));
  EXPECT_EQ(WideString(pooled, static_cast<size_t>(n > 0 ? n : 0)), kNew);

  test_support::WriteScreenshotPng("wide_form.png");
  // The same with the installed fonts, to look at the glyphs.
  const bool test_font = winplat::gdi::UseTestFontForAll(false);
  // Every window of the form again (the controls inside the group boxes too), and the menu bar.
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  DrawMenuBar(form->Handle());
  Pump();
  test_support::WriteScreenshotPng("wide_form_fonts.png");
  winplat::gdi::UseTestFontForAll(test_font);
}

TEST_F(WideFormTest, TheWriterWritesWhatReadsBackAndWritesTheSameBytesAgain) {
  TMemoryStream first;
  WriteComponentToStream(&first, form);
  // Wide values with characters above U+007F get a UTF-7 twin; ASCII ones do not.
  const std::string text = ObjectBinaryToText(
      std::span<const uint8_t>(static_cast<const uint8_t*>(first.Memory()), static_cast<size_t>(first.Size())));
  EXPECT_NE(text.find("Caption_UTF7 = '"), std::string::npos) << text;
  EXPECT_NE(text.find("Items.WideStrings_UTF7 = ("), std::string::npos);
  EXPECT_EQ(text.find("TextW"), std::string::npos);  // the UTF-8 twins are never written

  TWideForm* copy = CreateNewForm<TWideForm>(nullptr);  // no owner: the name is free
  static_cast<TComponent*>(copy)->SetName("WideForm");
  first.SetPosition(0);
  ReadComponentFromStream(&first, copy);
  copy->Show();
  Pump();
  EXPECT_EQ(copy->Caption(), kFormCaption);
  EXPECT_EQ(copy->edtTitle->Text(), kEdit);
  EXPECT_EQ(copy->lstGrids->Items()->Get(3), kGrids[3]);
  EXPECT_EQ(copy->rbBackColor->Items()->Get(2), kColors[2]);
  EXPECT_EQ(copy->mnuHangul->Caption(), kHangul);
  EXPECT_EQ(copy->actNew->Hint(), kNewHint);
  TMemoryStream second;
  WriteComponentToStream(&second, copy);
  const std::string again = ObjectBinaryToText(
      std::span<const uint8_t>(static_cast<const uint8_t*>(second.Memory()), static_cast<size_t>(second.Size())));
  EXPECT_EQ(again, text);
  ASSERT_EQ(second.Size(), first.Size());
  EXPECT_EQ(std::memcmp(first.Memory(), second.Memory(), static_cast<size_t>(first.Size())), 0);
  FreeAndNil(copy);
}

// The same form on the Windows 9x-like platform: ANSI windows, no wide call, and the texts
// outside the code page come back as the code page's substitutes.
class AnsiWideFormTest : public WideUiTest {
 protected:
  void SetUp() override {
    SwitchToAnsiPlatform();
    WideUiTest::SetUp();
  }
  void TearDown() override {
    WideUiTest::TearDown();
    SwitchToUnicodePlatform();
  }
};

TEST_F(AnsiWideFormTest, TheFormFallsBackToAnsiWindows) {
  winplat::ResetWideCallViolations();
  TWideForm* form = CreateForm<TWideForm>(Application);
  form->Show();
  Pump();
  EXPECT_EQ(UcApplication()->MessageHook(), nullptr);  // no hook without Unicode
  for (TWinControl* c : std::vector<TWinControl*>{form, form->edtTitle, form->lstGrids, form->chkKasure, form->tbMain}) {
    ASSERT_TRUE(c->HandleAllocated());
    EXPECT_FALSE(IsWindowUnicode(c->Handle())) << c->Name();
  }
  EXPECT_TRUE(PendingTraps().empty());
  // Every text is the framework's ANSI text widened.
  auto through_ansi = [](const WideString& s) { return AnsiToWide(WideToAnsi(s)); };
  EXPECT_EQ(form->edtTitle->Text(), through_ansi(kEdit));
  EXPECT_NE(form->edtTitle->Text(), kEdit);
  EXPECT_EQ(form->lblTitle->Caption(), through_ansi(kLabel));
  EXPECT_EQ(form->lstGrids->Items()->Get(2), through_ansi(kGrids[2]));
  EXPECT_EQ(form->rbBackColor->Buttons(2)->Caption(), through_ansi(kColors[2]));
  EXPECT_EQ(form->btnNew->Caption(), through_ansi(kNew));
  // Japanese text the code page holds survives.
  EXPECT_EQ(form->rbBackColor->Items()->Get(1).substr(0, 5), u"クラシック");
  test_support::WriteScreenshotPng("wide_form_ansi.png");
  FreeAndNil(form);
  EXPECT_EQ(winplat::WideCallViolations(), 0u);
}

}  // namespace
