// Modal forms, hints, actions reaching their targets, and the screen's cursor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms.h"
#include "TypInfo.h"
#include "test_controls.h"
#include "test_support.h"
#include "ui_fixture.h"

namespace {

class ModalHintsTest : public UiTest {};

TEST_F(ModalHintsTest, ShowModalRunsItsOwnLoopUntilAModalResultIsAccepted) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBorderStyle(bsNone);
  main->SetBounds(300, 0, 200, 200);
  main->Show();
  TForm* dlg = PlainForm(200, 100);
  auto* ok = new TBox(dlg);
  ok->SetBounds(10, 10, 50, 30);
  ok->SetParent(dlg);
  std::vector<std::string> log;
  int queries = 0;
  ok->OnClick = [&](TObject*) {
    log.push_back(IsWindowEnabled(main->Handle()) ? "click, main enabled" : "click, main disabled");
    dlg->SetModalResult(mrOk);
  };
  dlg->OnCloseQuery = [&](TObject*, bool& can) {
    can = ++queries > 1;  // the first answer refuses
    log.push_back(can ? "close" : "refused");
  };
  dlg->OnActivate = [&](TObject*) { log.push_back("activate"); };
  // What the user will do, waiting in the input queue: two clicks on the button.
  Input().Click(20, 20);
  Input().Click(20, 20);
  const int result = dlg->ShowModal();
  EXPECT_EQ(result, mrOk);
  EXPECT_FALSE(dlg->Visible());
  EXPECT_FALSE(dlg->FormState().Contains(fsModal));
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "activate");
  EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
            (std::vector<std::string>{"click, main disabled", "refused", "click, main disabled", "close"}));
  // Showing a visible form modally is refused.
  main->Show();
  EXPECT_THROW(main->ShowModal(), EInvalidOperation);
  // Close on a modal form answers mrCancel.
  Application->OnIdle = [&](TObject*, bool&) { dlg->Close(); };
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  Application->OnIdle = nullptr;
  FreeAndNil(dlg);
}

// Pumps messages until Done holds or a second of the script's time passed.
template <class F>
bool PumpUntil(F Done) {
  Application->ProcessMessages();
  for (int i = 0; i < 200 && !Done(); ++i) {
    winplat::screen::Headless()->Elapse(5);
    Application->ProcessMessages();
  }
  return Done();
}

TEST_F(ModalHintsTest, AHintShowsAfterThePauseOverAControlThatShowsHintsAndGoesOnAClick) {
  TForm* f = PlainForm(300, 200);
  f->SetColor(clWhite);
  auto* dot = new TDot(f);
  dot->SetColor(clRed);
  dot->SetBounds(40, 40, 60, 60);
  dot->SetHint("赤い点|画面の左上にある赤い点");
  dot->SetShowHint(true);
  dot->SetParent(f);
  auto* plain = new TDot(f);  // no hint of its own, and does not show hints
  plain->SetBounds(150, 40, 60, 60);
  plain->SetParent(f);
  f->Show();
  winplat::user::PumpMessages();
  Application->SetHintPause(20);
  Application->SetHintHidePause(5000);
  std::vector<AnsiString> shown;
  Application->OnShowHint = [&](AnsiString& s, bool& can, THintInfo& info) {
    shown.push_back(s);
    EXPECT_EQ(info.HintControl, dot);
    EXPECT_EQ(info.CursorPos.x, 20);  // in the control's coordinates
    EXPECT_EQ(info.CursorPos.y, 30);
  };
  Input().MouseMove(60, 70);
  ASSERT_TRUE(PumpUntil([] {
    return Application->HintWindow() && Application->HintWindow()->HandleAllocated() &&
           IsWindowVisible(Application->HintWindow()->Handle());
  }));
  THintWindow* hw = Application->HintWindow();
  EXPECT_EQ(shown, (std::vector<AnsiString>{"赤い点"}));  // the short part only
  EXPECT_EQ(hw->Caption(), "赤い点");
  RECT r;
  GetWindowRect(hw->Handle(), &r);
  EXPECT_EQ(r.left, 60);
  EXPECT_GT(r.top, 70);
  winplat::user::PumpMessages();
  ASSERT_TRUE(test_support::WriteScreenshotPng("hint.png"));
  EXPECT_EQ(Px(r.left + 1, r.top + 1), static_cast<uint32_t>(ColorToRGB(clInfoBk) & 0xFF) << 16 |
                                          (ColorToRGB(clInfoBk) & 0xFF00) | (ColorToRGB(clInfoBk) >> 16 & 0xFF));
  // A click ends it.
  Input().MouseDown(60, 70);
  Input().MouseUp(60, 70);
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindowVisible(hw->Handle()));
  // Over a control that does not show hints, none comes.
  shown.clear();
  Input().MouseMove(170, 70);
  PumpUntil([] { return false; });
  EXPECT_TRUE(shown.empty());
  FreeAndNil(f);
}

// A control's CM_HINTSHOW may change the hint or refuse it.
class THintedDot : public TDot {
 public:
  explicit THintedDot(TComponent* AOwner) : TDot(AOwner) {}
  bool Refuse = false;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_HINTSHOW) {
      auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
      info->HintStr += " (変更)";
      info->HideTimeout = 30;
      Message.Result = Refuse ? 1 : 0;
      return;
    }
    TDot::Dispatch(Message);
  }
};

TEST_F(ModalHintsTest, CmHintShowCarriesTheHintInfoForTheControlToChange) {
  TForm* f = PlainForm(300, 200);
  auto* dot = new THintedDot(f);
  dot->SetBounds(40, 40, 60, 60);
  dot->SetHint("点");
  dot->SetShowHint(true);
  dot->SetParent(f);
  f->Show();
  Application->SetHintPause(10);
  auto visible = [] {
    return Application->HintWindow() && Application->HintWindow()->HandleAllocated() &&
           IsWindowVisible(Application->HintWindow()->Handle());
  };
  Input().MouseMove(60, 70);
  ASSERT_TRUE(PumpUntil(visible));
  EXPECT_EQ(Application->HintWindow()->Caption(), "点 (変更)");
  // Its own hide timeout hides it again.
  EXPECT_TRUE(PumpUntil([&] { return !visible(); }));
  Application->CancelHint();
  dot->Refuse = true;
  Input().MouseMove(61, 71);
  Input().MouseMove(200, 150);
  Input().MouseMove(62, 72);
  PumpUntil([] { return false; });
  EXPECT_FALSE(visible());
  FreeAndNil(f);
}

// An action that handles boxes as targets.
class TPaintAction : public TBasicAction {
 public:
  explicit TPaintAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  std::vector<TObject*> Executed;
  bool HandlesTarget(TObject* Target) override { return dynamic_cast<TBox*>(Target) != nullptr; }
  void ExecuteTarget(TObject* Target) override { Executed.push_back(Target); }
};

TEST_F(ModalHintsTest, AnActionSentToTheApplicationFindsItsTargetOnTheActiveForm) {
  TForm* f = PlainForm(300, 200);
  auto* dot = new TDot(f);
  dot->SetParent(f);
  auto* a = new TBox(f);
  a->SetBounds(0, 100, 50, 50);
  a->SetParent(f);
  auto* b = new TBox(f);
  b->SetBounds(100, 100, 50, 50);
  b->SetParent(f);
  f->Show();
  TPaintAction action(nullptr);
  // Not the active control: the first visible box of the form.
  EXPECT_EQ(SendMessageA(Application->Handle(), CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(&action)), 1);
  b->SetFocus();
  EXPECT_EQ(SendMessageA(Application->Handle(), CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(&action)), 1);
  EXPECT_EQ(action.Executed, (std::vector<TObject*>{a, b}));
  // An action nobody handles is not taken.
  TBasicAction none(nullptr);
  EXPECT_EQ(SendMessageA(Application->Handle(), CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(&none)), 0);
  FreeAndNil(f);
}

TEST_F(ModalHintsTest, AControlLinkedToAnActionRunsItOnClick) {
  TForm* f = PlainForm(100, 100);
  auto* box = new TBox(f);
  box->SetParent(f);
  TBasicAction action(nullptr);
  int runs = 0;
  action.OnExecute = [&](TObject* s) {
    ++runs;
    EXPECT_EQ(action.ActionComponent(), box);
  };
  box->SetAction(&action);
  EXPECT_EQ(box->Action(), &action);
  box->Click();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(action.ActionComponent(), nullptr);
  // A click handler of the control's own wins.
  bool own = false;
  box->OnClick = [&](TObject*) { own = true; };
  box->Click();
  EXPECT_TRUE(own);
  EXPECT_EQ(runs, 1);
  box->SetAction(nullptr);
  EXPECT_EQ(box->ActionLink(), nullptr);
  FreeAndNil(f);
}

TEST_F(ModalHintsTest, TheScreensCursorOverridesTheControlsUntilItIsDefaultAgain) {
  TForm* f = PlainForm(200, 100);
  auto* box = new TBox(f);
  box->SetBounds(0, 0, 100, 100);
  box->SetCursor(crHandPoint);
  box->SetParent(f);
  f->Show();
  auto shape_over = [&](int x, int y) {
    Input().MouseMove(x, y);
    Application->ProcessMessages();
    return Input().CursorShape();
  };
  const int hand = 32649, arrow = 32512, wait = 32514;  // IDC_HAND, IDC_ARROW, IDC_WAIT
  EXPECT_EQ(shape_over(50, 50), hand);
  EXPECT_EQ(shape_over(150, 50), arrow);
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(Input().CursorShape(), wait);
  EXPECT_EQ(shape_over(51, 50), wait);
  Screen->SetCursor(crDefault);
  EXPECT_EQ(shape_over(52, 50), hand);
  EXPECT_EQ(Screen->Cursors(crNone), nullptr);
  FreeAndNil(f);
}

}  // namespace
