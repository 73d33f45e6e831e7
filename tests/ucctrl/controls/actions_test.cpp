// Wide actions pushing Caption, Hint, Checked, Enabled and ImageIndex to the buttons, tool
// buttons, check boxes and menu items linked to them; CheckDefaults; the links' storage tests;
// the application's wide hint and title; the message hook carrying a typed character once; MDI
// documents and the error without an MDI frame.
#include <gtest/gtest.h>

#include <typeinfo>
#include <vector>

#include "Buttons.h"
#include "ComCtrls.h"
#include "Menus.h"
#include "UcActnList.h"
#include "UcComCtrls.h"
#include "UcForms.h"
#include "UcMenus.h"
#include "UcStdCtrls.h"
#include "UcSysUtils.h"
#include "wide_test_support.h"

// An MDI frame read from its resource.
class TMdiFrame : public TUcForm {
 public:
  explicit TMdiFrame(TComponent* AOwner) : TUcForm(AOwner) {}
};
static const bool registered_frame = DeclareClass<TMdiFrame, TUcForm>("TMdiFrame").Done();

namespace {

// A wide control of a framework class the layer has no twin of.
template <class Base>
class TWideOf : public TUcWideControl<Base> {
 public:
  using TUcWideControl<Base>::TUcWideControl;
};

// An extended combo box on a Unicode window.
class TWideComboBoxEx : public TUcWideWinControl<TComboBoxEx> {
 public:
  using TUcWideWinControl<TComboBoxEx>::TUcWideWinControl;

 protected:
  const char16_t* WideWindowClass() const override { return WC_COMBOBOXEXW; }
};

// Texts outside code page 932 (test macros would narrow their spelling).
const WideString kText1 = u"自分の é";
const WideString kText2 = u"自分 €";

// The framework's loading state, as the reader sets it.
struct Loading : TComponent {
  static void Set(TComponent* c, bool on) {
    if (on) (c->*(&Loading::IncludeState))(csLoading);
    else (c->*(&Loading::ExcludeState))(csLoading);
  }
};

class WideActions : public WideUiTest {
 protected:
  void SetUp() override {
    WideUiTest::SetUp();
    form = CreateNewForm<TUcForm>(Application);
    form->SetBounds(0, 0, 400, 300);
    form->SetBorderStyle(bsNone);
    list = new TUcActionList(form);
    action = new TUcAction(form);
    action->SetActionList(list);
    action->SetCaption(u"最初 é");
    action->SetHint(u"ヒント €|長い");
    form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(form);
    WideUiTest::TearDown();
  }
  TUcForm* form = nullptr;
  TUcActionList* list = nullptr;
  TUcAction* action = nullptr;
};

TEST_F(WideActions, LinkedClientsFollowEveryPropertyOfTheAction) {
  auto* button = new TUcButton(form);
  button->SetParent(form);
  auto* check = new TUcCheckBox(form);
  check->SetParent(form);
  check->SetTop(40);
  auto* bar = new TUcToolBar(form);
  bar->SetParent(form);
  bar->SetTop(80);
  auto* tool = new TUcToolButton(form);
  tool->SetParent(bar);
  auto* menu = new TMainMenu(form);
  menu->SetAutoHotkeys(maManual);
  auto* item = new TUcMenuItem(form);
  menu->Items()->Add(item);
  for (TControl* c : std::vector<TControl*>{button, check, tool}) c->SetAction(action);
  item->SetAction(action);
  const WideString next = u"次 한 𠮷";
  const WideString hint = u"ヒント ✓|説明";
  action->SetCaption(next);
  action->SetHint(hint);
  action->SetChecked(true);
  action->SetEnabled(false);
  action->SetImageIndex(3);
  EXPECT_EQ(button->Caption(), next);
  EXPECT_EQ(check->Caption(), next);
  EXPECT_EQ(tool->Caption(), next);
  EXPECT_EQ(item->Caption(), next);
  EXPECT_EQ(button->Hint(), hint);
  EXPECT_EQ(tool->Hint(), hint);
  EXPECT_EQ(item->Hint(), hint);
  EXPECT_TRUE(check->Checked());
  EXPECT_TRUE(item->Checked());
  EXPECT_FALSE(button->Enabled());
  EXPECT_FALSE(item->Enabled());
  EXPECT_EQ(tool->ImageIndex(), 3);
  EXPECT_EQ(item->ImageIndex(), 3);
  // A caption whose ANSI form stays the same still reaches every client.
  const WideString same_ansi = u"次 ? 𠮷";
  ASSERT_EQ(WideToAnsi(same_ansi), WideToAnsi(next));
  action->SetCaption(same_ansi);
  EXPECT_EQ(button->Caption(), same_ansi);
  EXPECT_EQ(item->Caption(), same_ansi);
  // Linked values are the action's: they are not stored with the client.
  EXPECT_FALSE(CaptionNotLinked(button));
  EXPECT_FALSE(HintNotLinked(tool));
  button->SetCaption(u"own");
  EXPECT_TRUE(CaptionNotLinked(button));
}

// The link class follows the kind of control: list views, extended combo boxes, speed buttons,
// tool buttons, button controls, other windowed controls, other controls.
TEST_F(WideActions, EachKindOfControlGetsTheWideLinkOfItsKind) {
  struct Case {
    TControl* control;
    const std::type_info& link;
  };
  const Case cases[] = {
      {new TWideOf<TListView>(form), typeid(TUcListViewActionLink)},
      {new TWideOf<TComboBoxEx>(form), typeid(TUcComboBoxExActionLink)},
      {new TWideOf<TSpeedButton>(form), typeid(TUcSpeedButtonActionLink)},
      {new TUcToolButton(form), typeid(TUcToolButtonActionLink)},
      {new TUcCheckBox(form), typeid(TUcButtonActionLink)},
      {new TUcEdit(form), typeid(TUcWinControlActionLink)},
      {new TUcLabel(form), typeid(TUcControlActionLink)},
  };
  for (const Case& c : cases) {
    c.control->SetAction(action);
    ASSERT_NE(c.control->ActionLink(), nullptr);
    EXPECT_EQ(typeid(*c.control->ActionLink()), c.link) << c.control->ClassName();
    EXPECT_EQ(GetControlWideText(c.control), action->Caption()) << c.control->ClassName();
  }
}

// The links of speed buttons and extended combo boxes compare and give wide texts.
TEST_F(WideActions, SpeedButtonAndExtendedComboBoxLinksCarryWideTexts) {
  auto* speed = new TWideOf<TSpeedButton>(form);
  speed->SetParent(form);
  action->SetGroupIndex(1);  // the button takes it: only a button of a group stays down
  auto* combo = new TWideComboBoxEx(form);
  combo->SetParent(form);
  combo->SetTop(40);
  const WideString next = u"次 한 𠮷";
  // A drop-down list shows only its items: the action's text chooses the item that has it.
  combo->ItemsEx()->AddItem("");
  combo->ItemsEx()->AddItem("");
  Pump();
  ASSERT_TRUE(IsWindowUnicode(combo->Handle()));
  const WideString first = action->Caption();
  for (int i = 0; i < 2; ++i) {
    COMBOBOXEXITEMW it{};
    it.mask = CBEIF_TEXT;
    it.iItem = i;
    it.pszText = const_cast<char16_t*>(i == 0 ? first.c_str() : next.c_str());
    ASSERT_TRUE(SendMessageW(combo->Handle(), CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it)));
  }
  for (TControl* c : std::vector<TControl*>{speed, combo}) {
    SCOPED_TRACE(c->ClassName());
    c->SetAction(action);
    auto* link = c->ActionLink();
    EXPECT_TRUE(link->IsCaptionLinked());
    EXPECT_TRUE(link->IsHintLinked());
    EXPECT_FALSE(CaptionNotLinked(c));
    const WideString hint = u"ヒント ✓|説明 é";
    action->SetCaption(next);
    action->SetHint(hint);
    EXPECT_EQ(GetControlWideText(c), next);
    EXPECT_EQ(GetControlWideHint(c), hint);
    EXPECT_TRUE(link->IsCaptionLinked());
    // A wide text of the client's own whose ANSI form is the action's is not linked, so it is
    // stored with the client.
    const WideString own = u"ヒント ?|説明 é";
    SetControlWideHint(c, own);
    ASSERT_EQ(WideToAnsi(GetControlWideHint(c)), WideToAnsi(hint));
    EXPECT_FALSE(link->IsHintLinked());
    EXPECT_TRUE(HintNotLinked(c));
    // Back for the next client.
    action->SetCaption(first);
    action->SetHint(u"ヒント €|長い");
  }
  action->SetChecked(true);
  EXPECT_TRUE(speed->Down());
  EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(WideActions, CheckDefaultsKeepsTheClientsOwnTexts) {
  auto* button = new TUcButton(form);
  static_cast<TComponent*>(button)->SetName("btnKeep");
  button->SetParent(form);
  button->SetCaption(u"自分の é");
  button->SetHint(u"自分 €");
  // While loading (CheckDefaults), texts of the client's own stay.
  Loading::Set(button, true);
  button->SetAction(action);
  Loading::Set(button, false);
  EXPECT_EQ(button->Caption(), kText1);
  EXPECT_EQ(button->Hint(), kText2);
  auto* named = new TUcButton(form);
  static_cast<TComponent*>(named)->SetName("btnNamed");
  named->SetParent(form);
  named->SetCaption(u"btnNamed");  // the designer's caption is its name: the action's wins
  Loading::Set(named, true);
  named->SetAction(action);
  Loading::Set(named, false);
  EXPECT_EQ(named->Caption(), action->Caption());
  EXPECT_EQ(named->Hint(), action->Hint());
}

TEST_F(WideActions, TheApplicationKeepsAWideHintAndTitle) {
  TUcApplication* app = UcApplication();
  const WideString hint = u"状態 한국어";
  app->SetHint(hint);
  EXPECT_EQ(app->Hint(), hint);
  EXPECT_EQ(Application->Hint(), WideToAnsi(hint));
  Application->SetHint("ANSI");  // a change through the framework is seen
  EXPECT_EQ(app->Hint(), u"ANSI");
  const WideString title = u"Vel 黒板 Qz ✓";
  app->SetTitle(title);
  EXPECT_EQ(app->Title(), title);
  EXPECT_EQ(Application->Title(), WideToAnsi(title));
}

TEST_F(WideActions, TheMessageHookCarriesATypedCharacterToAUnicodeWindowOnce) {
  ASSERT_NE(UcApplication()->MessageHook(), nullptr);
  auto* edit = new TUcEdit(form);
  edit->SetParent(form);
  Pump();
  int keys = 0;
  edit->OnKeyPress = [&](TObject*, char&) { ++keys; };
  const WideString hangul = u"한";
  PostMessageW(edit->Handle(), WM_CHAR, hangul[0], 1);
  Application->ProcessMessages();  // the framework's ANSI loop
  EXPECT_EQ(edit->Text(), hangul);
  EXPECT_EQ(keys, 1);
}

// The shut-down removes the hook; a hook that is already gone is an error the shut-down raises,
// and the application is freed all the same (a new one hooks afresh).
TEST_F(WideActions, TheShutDownReportsAFailedUnhook) {
  HHOOK hook = UcApplication()->MessageHook();
  ASSERT_NE(hook, nullptr);
  DoneUcApplication();
  EXPECT_FALSE(UnhookWindowsHookEx(hook));  // the shut-down removed it
  ASSERT_NE(UcApplication()->MessageHook(), nullptr);
  ASSERT_TRUE(UnhookWindowsHookEx(UcApplication()->MessageHook()));  // gone before the shut-down
  try {
    DoneUcApplication();
    ADD_FAILURE() << "no error";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, static_cast<DWORD>(ERROR_INVALID_HOOK_HANDLE));
  }
  EXPECT_NE(UcApplication()->MessageHook(), nullptr);
  EXPECT_FALSE(IsLibrary());  // the test program's own code
}

TEST(WideApplicationShutDown, AFailedUnhookIsReportedOutsideHostsAndLibraries) {
  struct Case {
    const char16_t* file;
    bool library, reported;
  };
  const Case cases[] = {
      {u"C:\\Program Files\\VelSlatoraEdu.exe", false, true},
      {u"/opt/vel/VelSlatoraEdu", false, true},
      {u"C:\\Windows\\System32\\inetsrv\\w3wp.exe", false, false},
      {u"W3WP.EXE", false, false},
      {u"c:\\windows\\system32\\dllhost.exe", false, false},
      {u"DllHost.Exe", false, false},
      {u"C:\\w3wp\\board.exe", false, true},  // only the file's own name counts
      {u"W3WPX.EXE", false, true},
      {u"DLLHOST", false, true},
      {u"C:\\Program Files\\VelSlatoraEdu.exe", true, false},
      {u"", false, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UnhookFailureReported(c.file, c.library), c.reported) << UTF8Encode(c.file) << " " << c.library;
}

TEST_F(WideActions, AnMdiDocumentIsMadeInTheFramesClient) {
  TMdiFrame* frame = nullptr;
  Application->CreateForm(frame);
  ASSERT_EQ(Application->MainForm(), frame);
  frame->Show();
  Pump();
  ASSERT_NE(frame->ClientHandle(), nullptr);
  auto* doc = CreateNewForm<TUcForm>(Application);
  doc->SetFormStyle(fsMDIChild);
  const WideString caption = u"文書 한";
  doc->SetCaption(caption);
  doc->HandleNeeded();
  ASSERT_TRUE(doc->HandleAllocated());
  EXPECT_EQ(GetParent(doc->Handle()), frame->ClientHandle());
  EXPECT_TRUE(GetWindowLongW(doc->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
  EXPECT_TRUE(IsWindowUnicode(doc->Handle()));
  EXPECT_EQ(doc->Caption(), caption);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(frame->ClientHandle(), WM_MDIGETACTIVE, 0, 0)), doc->Handle());
  FreeAndNil(doc);
  FreeAndNil(frame);
}

TEST_F(WideActions, AnMdiDocumentNeedsAnMdiFrame) {
  // The main form here is no MDI frame.
  auto* doc = CreateNewForm<TUcForm>(Application);
  doc->SetFormStyle(fsMDIChild);
  EXPECT_THROW(doc->HandleNeeded(), EInvalidOperation);
  FreeAndNil(doc);
}

}  // namespace
