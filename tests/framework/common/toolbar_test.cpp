// Actions and the tool bar: an action's state reaching its buttons, clicks executing actions,
// check and group buttons, the list's and the action's handlers in order, hints with shortcuts,
// and a tool bar with images on the headless screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ActnList.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "test_support.h"
#include "ui_fixture.h"

namespace {

class ToolBarTest : public UiTest {
 protected:
  // A borderless form with a tool bar of 16 x 16 images (one colour each) and an action list.
  void Build(int buttons) {
    form = CreateNewForm<TForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 300, 200);
    form->SetColor(clWhite);
    images = new TImageList(form);
    images->SetWidth(16);
    images->SetHeight(16);
    const TColor colours[] = {clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};
    for (TColor c : colours) {
      TBitmap b;
      b.SetSize(16, 16);
      b.Canvas()->Brush()->SetColor(clSilver);
      b.Canvas()->FillRect(TRect{0, 0, 16, 16});
      b.Canvas()->Brush()->SetColor(c);
      b.Canvas()->FillRect(TRect{2, 2, 14, 14});
      images->AddMasked(&b, clSilver);
    }
    list = new TActionList(form);
    list->SetImages(images);
    bar = new TToolBar(form);
    bar->SetParent(form);
    bar->SetImages(images);
    bar->SetFlat(true);
    for (int i = 0; i < buttons; ++i) {
      auto* a = new TAction(form);
      a->SetActionList(list);
      a->SetCaption(AnsiString("act") + IntToStr(i));
      a->SetHint(AnsiString("hint ") + IntToStr(i));
      a->SetImageIndex(i);
      a->OnExecute = [this, i](TObject*) { executed.push_back(i); };
      actions.push_back(a);
      auto* b = new TToolButton(form);
      b->SetParent(bar);
      b->SetAction(a);
      tools.push_back(b);
    }
    form->Show();
    winplat::user::PumpMessages();
  }
  void TearDown() override {
    delete form;
    UiTest::TearDown();
  }
  // Clicks the middle of a button on the screen.
  void ClickButton(int i) {
    RECT r{};
    SendMessageA(bar->Handle(), TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(bar->Handle(), &p);
    Input().Click(p.x, p.y);
    winplat::user::PumpMessages();
  }
  BYTE State(int i) {
    return static_cast<BYTE>(SendMessageA(bar->Handle(), TB_GETSTATE, static_cast<WPARAM>(i), 0));
  }

  TForm* form = nullptr;
  TImageList* images = nullptr;
  TActionList* list = nullptr;
  TToolBar* bar = nullptr;
  std::vector<TAction*> actions;
  std::vector<TToolButton*> tools;
  std::vector<int> executed;
};

TEST_F(ToolBarTest, ClicksExecuteTheButtonsActions) {
  Build(3);
  ASSERT_EQ(SendMessageA(bar->Handle(), TB_BUTTONCOUNT, 0, 0), 3);
  // The buttons took the actions' texts and images.
  EXPECT_EQ(tools[1]->Caption(), "act1");
  EXPECT_EQ(tools[1]->Hint(), "hint 1");
  EXPECT_EQ(tools[2]->ImageIndex(), 2);
  TBBUTTON rec{};
  SendMessageA(bar->Handle(), TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&rec));
  EXPECT_EQ(rec.iBitmap, 2);
  ClickButton(1);
  ClickButton(0);
  EXPECT_EQ(executed, (std::vector<int>{1, 0}));
  // The button's place is its platform button's.
  RECT r{};
  SendMessageA(bar->Handle(), TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(tools[2]->Left(), r.left);
  EXPECT_EQ(tools[2]->Width(), r.right - r.left);
}

TEST_F(ToolBarTest, ActionStateReachesTheButtons) {
  Build(3);
  actions[1]->SetEnabled(false);
  EXPECT_FALSE(tools[1]->Enabled());
  EXPECT_FALSE(State(1) & TBSTATE_ENABLED);
  ClickButton(1);
  EXPECT_TRUE(executed.empty());  // a disabled button does nothing
  actions[1]->SetEnabled(true);
  EXPECT_TRUE(State(1) & TBSTATE_ENABLED);

  actions[2]->SetVisible(false);
  EXPECT_TRUE(State(2) & TBSTATE_HIDDEN);
  actions[2]->SetVisible(true);
  EXPECT_FALSE(State(2) & TBSTATE_HIDDEN);

  actions[0]->SetImageIndex(5);
  TBBUTTON rec{};
  SendMessageA(bar->Handle(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&rec));
  EXPECT_EQ(rec.iBitmap, 5);
  actions[0]->SetCaption("新規黒板");
  EXPECT_EQ(tools[0]->Caption(), "新規黒板");

  // A button whose own value differs from the action's no longer follows it.
  tools[0]->SetHint("mine");
  actions[0]->SetHint("theirs");
  EXPECT_EQ(tools[0]->Hint(), "theirs");  // the control link applies the action's hint
  // The idle update keeps a handler-less action disabled.
  actions[2]->OnExecute = nullptr;
  Application->ProcessMessages();
  form->UpdateActions();
  EXPECT_FALSE(actions[2]->Enabled());
  EXPECT_FALSE(State(2) & TBSTATE_ENABLED);
}

TEST_F(ToolBarTest, CheckAndGroupButtonsFollowTheirActions) {
  Build(4);
  for (int i = 0; i < 4; ++i) tools[i]->SetStyle(tbsCheck);
  tools[2]->SetGrouped(true);
  tools[3]->SetGrouped(true);
  actions[0]->SetAutoCheck(true);
  // A check button turns over on a click; the auto-checking action follows, and back.
  ClickButton(0);
  EXPECT_TRUE(tools[0]->Down());
  EXPECT_TRUE(actions[0]->Checked());
  EXPECT_TRUE(State(0) & TBSTATE_CHECKED);
  ClickButton(0);
  EXPECT_FALSE(tools[0]->Down());
  EXPECT_FALSE(actions[0]->Checked());
  // The action's Checked reaches its button.
  actions[1]->SetChecked(true);
  EXPECT_TRUE(tools[1]->Down());
  EXPECT_TRUE(State(1) & TBSTATE_CHECKED);
  // A group: one button down at a time.
  ClickButton(2);
  EXPECT_TRUE(tools[2]->Down());
  ClickButton(3);
  EXPECT_TRUE(tools[3]->Down());
  EXPECT_FALSE(tools[2]->Down());
  EXPECT_FALSE(State(2) & TBSTATE_CHECKED);
  tools[2]->SetDown(true);
  EXPECT_FALSE(tools[3]->Down());
  EXPECT_TRUE(State(2) & TBSTATE_CHECKED);
  // Grouped actions: checking one unchecks the others of its group.
  actions[2]->SetGroupIndex(1);
  actions[3]->SetGroupIndex(1);
  actions[2]->SetChecked(true);
  actions[3]->SetChecked(true);
  EXPECT_FALSE(actions[2]->Checked());
  EXPECT_TRUE(actions[3]->Checked());
  EXPECT_EQ(executed, (std::vector<int>{0, 0, 2, 3}));
}

TEST_F(ToolBarTest, SeparatorsWrapAndTheScreenPicture) {
  Build(6);
  bar->SetAlign(alLeft);
  bar->SetWidth(32);
  auto* sep = new TToolButton(form);
  sep->SetStyle(tbsSeparator);
  sep->SetParent(bar);
  EXPECT_EQ(sep->Width(), 8);
  // Every button starts a new row: a bar at the left edge, as the program has it.
  for (auto* t : tools) t->SetWrap(true);
  actions[3]->SetEnabled(false);
  actions[1]->SetChecked(true);
  tools[1]->SetStyle(tbsCheck);
  winplat::user::PumpMessages();
  RECT r0{}, r1{};
  SendMessageA(bar->Handle(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r0));
  SendMessageA(bar->Handle(), TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r1));
  EXPECT_EQ(r1.left, r0.left);
  EXPECT_GT(r1.top, r0.top);
  ASSERT_TRUE(test_support::WriteScreenshotPng("toolbar.png"));
  // The first button's image: its colour in its middle, the masked frame not drawn.
  POINT p{(r0.left + r0.right) / 2, (r0.top + r0.bottom) / 2};
  ClientToScreen(bar->Handle(), &p);
  EXPECT_EQ(Px(p.x, p.y), 0xFF0000u);
}

TEST_F(ToolBarTest, ListHandlersAndTheApplicationInOrderAndHintsWithShortcuts) {
  Build(2);
  std::vector<std::string> order;
  list->OnExecute = [&](TBasicAction* a, bool& handled) {
    order.push_back("list");
    handled = a == actions[0];
  };
  actions[0]->Execute();
  actions[1]->Execute();
  EXPECT_EQ(order, (std::vector<std::string>{"list", "list"}));
  EXPECT_EQ(executed, std::vector<int>{1});  // the list took action 0
  // Suspended lists run nothing.
  list->SetState(asSuspended);
  EXPECT_FALSE(actions[1]->Execute());
  list->SetState(asNormal);
  // A disabled action is not executed.
  actions[1]->SetEnabled(false);
  actions[1]->OnUpdate = [](TObject*) {};  // keeps it as it is
  EXPECT_FALSE(actions[1]->Execute());
  // The hint of a client: the shortcut added when the application shows them.
  actions[0]->SetShortCut(ShortCut('N', TShiftState{ssCtrl}));
  AnsiString hint = "新規黒板";
  Application->SetHintShortCuts(true);
  EXPECT_TRUE(actions[0]->DoShowHint(hint));
  EXPECT_EQ(hint, "新規黒板 (Ctrl+N)");
  Application->SetHintShortCuts(false);
  hint = "x";
  actions[0]->DoShowHint(hint);
  EXPECT_EQ(hint, "x");
  actions[0]->OnHint = [](AnsiString& h, bool& show) {
    h = "changed";
    show = false;
  };
  EXPECT_FALSE(actions[0]->DoShowHint(hint));
  EXPECT_EQ(hint, "changed");
  // An action freed leaves its list and its buttons.
  delete actions[1];
  EXPECT_EQ(list->ActionCount(), 1);
  EXPECT_EQ(tools[1]->Action(), nullptr);
}

TEST_F(ToolBarTest, ActionsAndButtonsFromAFormResource) {
  const std::string text = R"(object Host: TForm
  Left = 0
  Top = 0
  Width = 200
  Height = 100
  object AL: TActionList
    object actGrid: TAction
      Caption = 'Grid'
      Checked = True
      Hint = 'grid on and off'
      ImageIndex = 1
      ShortCut = 16455
    end
  end
  object tb: TToolBar
    Left = 0
    Top = 0
    Width = 200
    Height = 29
    Flat = True
    object btnGrid: TToolButton
      Left = 0
      Top = 0
      Action = actGrid
      Style = tbsCheck
    end
  end
end
)";
  std::vector<uint8_t> bin = ObjectTextToBinary(text);
  TMemoryStream s;
  s.WriteBuffer(bin.data(), static_cast<int32_t>(bin.size()));
  s.SetPosition(0);
  TForm* f = CreateNewForm<TForm>(Application);
  ReadComponentFromStream(&s, f);
  auto* al = dynamic_cast<TActionList*>(f->FindComponent("AL"));
  auto* act = dynamic_cast<TAction*>(f->FindComponent("actGrid"));
  auto* btn = dynamic_cast<TToolButton*>(f->FindComponent("btnGrid"));
  ASSERT_TRUE(al && act && btn);
  EXPECT_EQ(act->ActionList(), al);
  EXPECT_EQ(al->ActionCount(), 1);
  EXPECT_EQ(act->ShortCut(), ShortCut('G', TShiftState{ssCtrl}));
  EXPECT_EQ(btn->Action(), act);
  EXPECT_EQ(btn->Caption(), "Grid");
  EXPECT_TRUE(btn->Down());
  EXPECT_EQ(btn->ImageIndex(), 1);
  EXPECT_EQ(btn->ToolBar(), f->FindComponent("tb"));
  // Writing the actions back keeps them inside their list.
  TMemoryStream out;
  WriteComponentToStream(&out, f);
  std::vector<uint8_t> back(static_cast<size_t>(out.Size()));
  out.SetPosition(0);
  out.ReadBuffer(back.data(), static_cast<int32_t>(back.size()));
  std::string again = ObjectBinaryToText(back);
  // The action inside its list; the button's linked state is the action's, not written.
  size_t listAt = again.find("object AL: TActionList"), actionAt = again.find("object actGrid: TAction");
  ASSERT_NE(actionAt, std::string::npos) << again;
  EXPECT_LT(listAt, actionAt);
  EXPECT_EQ(again.find("object actGrid", actionAt + 1), std::string::npos);
  size_t btnAt = again.find("object btnGrid");
  std::string button = again.substr(btnAt, again.find("end", btnAt) - btnAt);
  EXPECT_EQ(button.find("Down"), std::string::npos) << button;
  EXPECT_EQ(button.find("ImageIndex"), std::string::npos) << button;
  delete f;
}

}  // namespace
