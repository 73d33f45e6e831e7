// The message paths of Unicode windows: typed characters above U+00FF through the framework's
// byte-character path, WM_NOTIFYFORMAT, the framework's ANSI text requests, captions before and
// across a window, traps and helpers leaving their lists, hints, and the tool bar's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UcComCtrls.h"
#include "UcControls.h"
#include "UcStdCtrls.h"
#include "UcSysUtils.h"
#include "wide_test_support.h"

namespace {

// Texts outside code page 932 (test macros would narrow their spelling).
const WideString kText1 = u"次 é";
const WideString kText2 = u"ボタン €";
const WideString kText3 = u"入力 한";
const WideString kText4 = u"新規 ✓|説明";
const WideString kText5 = u"新規 ✓";
const WideString kText6 = u"新規 ✓ (Ctrl+N)";

class TrapTest : public WideUiTest {
 protected:
  void SetUp() override {
    WideUiTest::SetUp();
    form = CreateNewForm<TUcForm>(Application);
    form->SetBounds(0, 0, 300, 200);
    form->SetBorderStyle(bsNone);
    edit = new TUcEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 200, 24);
    form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(form);
    WideUiTest::TearDown();
  }
  TUcForm* form = nullptr;
  TUcEdit* edit = nullptr;
};

const WideString kHangul = u"한";

TEST_F(TrapTest, ACharacterAbove255ReachesTheKeyHandlerAs255AndTheWindowWhole) {
  std::vector<int> keys;
  edit->OnKeyPress = [&](TObject*, char& Key) { keys.push_back(static_cast<uint8_t>(Key)); };
  HWND h = edit->Handle();
  ASSERT_TRUE(IsWindowUnicode(h));
  SendMessageW(h, WM_CHAR, kHangul[0], 1);
  SendMessageW(h, WM_CHAR, u'x', 1);
  EXPECT_EQ(keys, (std::vector<int>{255, 'x'}));
  EXPECT_EQ(edit->Text(), kHangul + u"x");
}

TEST_F(TrapTest, TheHighWordOfAWMCharMustBeFree) {
  TMessage m{WM_CHAR, 0x10041, 0, 0};
  EXPECT_THROW(MakeWMCharMsgSafeForAnsi(m), EAssertionFailed);
  TMessage packed{WM_CHAR, kHangul[0], 0, 0};
  MakeWMCharMsgSafeForAnsi(packed);
  EXPECT_EQ(packed.WParam, (static_cast<WPARAM>(kHangul[0]) << 16) | 255);
  RestoreWMCharMsg(packed);
  EXPECT_EQ(packed.WParam, kHangul[0]);
  TMessage plain{WM_CHAR, 'a', 0, 0};
  MakeWMCharMsgSafeForAnsi(plain);
  EXPECT_EQ(plain.WParam, static_cast<WPARAM>('a'));
}

TEST_F(TrapTest, NotifyFormatAnswersUnicodeForUnicodeAskersAndAnsiForOthers) {
  HWND ansi = CreateWindowExA(0, "STATIC", "a", WS_CHILD, 0, 0, 5, 5, form->Handle(), nullptr, nullptr, nullptr);
  HWND wide = CreateWindowExW(0, u"STATIC", u"w", WS_CHILD, 0, 0, 5, 5, form->Handle(), nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessageW(form->Handle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(wide), NF_QUERY), NFR_UNICODE);
  EXPECT_EQ(SendMessageW(form->Handle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(ansi), NF_QUERY), NFR_ANSI);
  DestroyWindow(ansi);
  DestroyWindow(wide);
}

TEST_F(TrapTest, TheFrameworksAnsiRequestsGetTheCodePagesFormOfTheWideText) {
  const WideString text = u"黒板 é";
  edit->SetText(text);
  EXPECT_EQ(edit->TCustomEdit::Text(), WideToAnsi(text));  // through WM_GETTEXT with a byte buffer
  EXPECT_EQ(edit->GetTextLen(), static_cast<int>(WideToAnsi(text).size()));
  // The framework setting ANSI text is seen by the wide text.
  edit->TCustomEdit::SetText("日本");
  EXPECT_EQ(edit->Text(), u"日本");
}

TEST_F(TrapTest, ACaptionBeforeTheWindowAppearsInItAndSurvivesANewWindow) {
  const WideString caption = u"チェック ✓ 𠮷";
  auto* check = new TUcCheckBox(form);
  check->SetCaption(caption);  // no window yet
  EXPECT_EQ(check->Caption(), caption);
  check->SetParent(form);
  Pump();
  ASSERT_TRUE(check->HandleAllocated());
  char16_t buf[64] = {};
  GetWindowTextW(check->Handle(), buf, 64);
  EXPECT_EQ(WideString(buf), caption);
  const WideString other = u"別 €";
  check->SetCaption(other);
  check->RecreateWnd();
  Pump();
  EXPECT_EQ(check->Caption(), other);
  // A list box keeps its wide items, selection and scroll position in a new window too.
  auto* list = new TUcListBox(form);
  list->SetParent(form);
  list->SetBounds(10, 60, 120, 40);
  const std::vector<WideString> items = {u"一 é", u"二 €", u"三 ✓", u"四 한", u"五 𠮷"};
  for (const auto& s : items) list->Items()->Add(s);
  TObject* tag = reinterpret_cast<TObject*>(uintptr_t{0x1234});
  list->Items()->PutObject(3, tag);
  list->SetItemIndex(3);
  list->SetTopIndex(2);
  list->RecreateWnd();
  Pump();
  ASSERT_EQ(list->Items()->Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list->Items()->Get(i), items[static_cast<size_t>(i)]);
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_EQ(list->TopIndex(), 2);
  EXPECT_EQ(list->Items()->GetObject(3), tag);
  // Put keeps the object and the selection.
  list->Items()->Put(3, u"よん");
  EXPECT_EQ(list->Items()->Get(3), u"よん");
  EXPECT_EQ(list->Items()->GetObject(3), tag);
  EXPECT_EQ(list->ItemIndex(), 3);
}

TEST_F(TrapTest, ATrapLeavesThePendingListWhenItsControlGoes) {
  auto* other = new TUcEdit(form);
  other->SetParent(form);
  Pump();
  ASSERT_TRUE(other->HandleAllocated());
  other->SetParent(nullptr);  // the window goes, the control stays: its trap waits
  EXPECT_FALSE(other->HandleAllocated());
  ASSERT_EQ(PendingTraps().size(), 1u);
  EXPECT_EQ(PendingTraps()[0]->Control, other);
  delete other;
  EXPECT_TRUE(PendingTraps().empty());  // never searched again once freed
  // A new window of another control finds nothing stale.
  auto* next = new TUcEdit(form);
  next->SetParent(form);
  next->SetText(u"次 é");
  EXPECT_EQ(next->Text(), kText1);
}

TEST_F(TrapTest, HelpersLeaveTheirListAndStaySortedByAddress) {
  const int before = ControlHelpers().Count();
  std::vector<TUcLabel*> labels;
  for (int i = 0; i < 6; ++i) {
    auto* l = new TUcLabel(form);
    l->SetCaption(u"ラベル é");  // a helper per label
    labels.push_back(l);
  }
  ASSERT_EQ(ControlHelpers().Count(), before + 6);
  for (int i = 1; i < ControlHelpers().Count(); ++i)
    EXPECT_TRUE(std::less<const void*>()(ControlHelpers().Items(i - 1)->Component(), ControlHelpers().Items(i)->Component()));
  for (TUcLabel* l : labels) EXPECT_EQ(FindControlHelper(l)->Component(), l);
  delete labels[2];
  delete labels[4];
  EXPECT_EQ(ControlHelpers().Count(), before + 4);
  for (int i = 0; i < ControlHelpers().Count(); ++i) {
    EXPECT_NE(ControlHelpers().Items(i)->Component(), labels[2]);
    EXPECT_NE(ControlHelpers().Items(i)->Component(), labels[4]);
  }
  EXPECT_EQ(FindControlHelper(labels[5])->Component(), labels[5]);
  EXPECT_THROW(TWideComponentHelper(nullptr), EUcInternalError);
}

TEST_F(TrapTest, TheWindowTextIsCutAtTheCountTheWindowGives) {
  // A class whose WM_GETTEXTLENGTH over-reports: the text read is what WM_GETTEXT copied.
  edit->SetText(u"abc");
  auto* probe = new TUcButton(form);
  probe->SetParent(form);
  probe->SetCaption(u"ボタン €");
  HWND h = probe->Handle();
  WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWL_WNDPROC));
  static WNDPROC s_original;
  s_original = original;
  SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                      const LRESULT r = CallWindowProcW(s_original, w, m, wp, lp);
                      return m == WM_GETTEXTLENGTH ? r + 5 : r;
                    }));
  const WideString text = GetControlWideText(probe);
  SetWindowLongPtrW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  EXPECT_EQ(text, kText2);
  EXPECT_EQ(text.find(u'\0'), WideString::npos);
}

TEST_F(TrapTest, TheToolBarAnswersItsTextFromItsWideCaption) {
  auto* bar = new TUcToolBar(form);
  bar->SetParent(form);
  bar->SetBounds(0, 150, 300, 30);
  const WideString caption = u"ツール 한";
  bar->SetCaption(caption);
  EXPECT_EQ(bar->Caption(), caption);
  char16_t buf[8];
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buf)), 0);
  EXPECT_EQ(buf[0], u'#');  // size 0: nothing copied, not even a terminator
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buf)), 2);
  EXPECT_EQ(WideString(buf), caption.substr(0, 2));
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(caption.size()));
}

TEST_F(TrapTest, UnknownHintDataIsNeverTakenForTheLayersOwn) {
  int unrelated = 0;
  EXPECT_FALSE(IsWideHintData(nullptr));
  EXPECT_FALSE(IsWideHintData(&unrelated));
  EXPECT_FALSE(IsWideHintData(reinterpret_cast<void*>(uintptr_t{0x10})));  // never dereferenced
  THintInfo info;
  info.HintWindowClass = HintWindowClass;
  edit->SetHint(u"入力 한|長い説明 𠮷");
  PrepareWideHintInfo(edit, info);
  EXPECT_EQ(info.HintData, &info);
  EXPECT_TRUE(IsWideHintData(info.HintData));
  EXPECT_EQ(info.HintStr, WideToAnsi(kText3));
  EXPECT_EQ(WideHintOfHintInfo(info.HintData, info.HintStr), kText3);
  std::unique_ptr<THintWindow> window(info.HintWindowClass(nullptr));
  EXPECT_NE(dynamic_cast<TUcCustomHintWindow*>(window.get()), nullptr);
  FreeAndNil(form);  // the control goes: the record is no longer the layer's
  EXPECT_FALSE(IsWideHintData(&info));
}

TEST_F(TrapTest, AHintWithAShortcutTakesTheWideFormOfBoth) {
  auto* list = new TUcActionList(form);
  auto* action = new TUcAction(form);
  action->SetActionList(list);
  action->SetHint(u"新規 ✓|説明");
  action->SetShortCut(static_cast<TShortCut>(scCtrl | 'N'));
  auto* button = new TUcButton(form);
  button->SetParent(form);
  button->SetAction(action);
  EXPECT_EQ(button->Hint(), kText4);
  THintInfo info;
  info.HintWindowClass = HintWindowClass;
  PrepareWideHintInfo(button, info);
  AnsiString shown = info.HintStr;
  action->DoShowHint(shown);  // the framework adds the shortcut
  EXPECT_EQ(shown, WideToAnsi(kText5) + " (Ctrl+N)");
  EXPECT_EQ(WideHintOfHintInfo(info.HintData, shown), kText6);
}

}  // namespace
