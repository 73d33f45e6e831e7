// Dialog keys and mnemonics through the application's key path, and the application's own
// activation when the program loses and regains the user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Forms.h"
#include "test_controls.h"
#include "ui_fixture.h"

namespace {

class KeysTest : public UiTest {
 protected:
  // Presses Vk with Shift held when asked, then handles what it caused.
  void Press(UINT Vk, bool Shift = false) {
    if (Shift) Input().KeyDown(VK_SHIFT);
    Input().PressKey(Vk);
    if (Shift) Input().KeyUp(VK_SHIFT);
    Application->ProcessMessages();
  }
};

TEST_F(KeysTest, TabAndTheArrowsMoveTheFocusInTabOrder) {
  TForm* f = PlainForm(300, 100);
  std::vector<TBox*> boxes;
  for (int i = 0; i < 4; ++i) {
    auto* b = new TBox(f);
    b->SetBounds(i * 60, 0, 50, 50);
    b->SetParent(f);
    boxes.push_back(b);
  }
  boxes[1]->SetTabOrder(0);  // tab order: 1, 0, 2, 3
  boxes[3]->SetTabStop(false);  // left out by Tab, reached by the arrows
  f->Show();
  boxes[1]->SetFocus();
  struct Step {
    UINT vk;
    bool shift;
    int focused;  // index into boxes
  };
  const Step steps[] = {{VK_TAB, false, 0}, {VK_TAB, false, 2}, {VK_TAB, false, 1},  // wraps, skips 3
                        {VK_TAB, true, 2},  {VK_RIGHT, false, 3}, {VK_DOWN, false, 1},
                        {VK_LEFT, false, 3}};
  for (const Step& s : steps) {
    Press(s.vk, s.shift);
    SCOPED_TRACE(s.vk);
    EXPECT_TRUE(boxes[static_cast<size_t>(s.focused)]->Focused()) << s.focused;
    EXPECT_EQ(f->ActiveControl(), boxes[static_cast<size_t>(s.focused)]);
  }
  FreeAndNil(f);
}

// A control that takes Return as a dialog key (as a default button does) and 'x' as its mnemonic.
class TDefaultBox : public TBox {
 public:
  explicit TDefaultBox(TComponent* AOwner) : TBox(AOwner) { SetTabStop(false); }
  int Returns = 0, Mnemonics = 0;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_DIALOGKEY && Message.WParam == VK_RETURN) {
      ++Returns;
      Message.Result = 1;
      return;
    }
    if (Message.Msg == CM_DIALOGCHAR && (Message.WParam == 'x' || Message.WParam == 'X')) {
      ++Mnemonics;
      Message.Result = 1;
      return;
    }
    TBox::Dispatch(Message);
  }
};

// A control that wants every key itself.
class TGreedyBox : public TBox {
 public:
  explicit TGreedyBox(TComponent* AOwner) : TBox(AOwner) {}
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_GETDLGCODE) {
      Message.Result = DLGC_WANTALLKEYS | DLGC_WANTCHARS;
      return;
    }
    TBox::Dispatch(Message);
  }
};

TEST_F(KeysTest, ReturnAndMnemonicsGoToTheControlThatTakesThemUnlessTheFocusedOneWantsThem) {
  TForm* f = PlainForm(300, 100);
  auto* plain = new TBox(f);
  plain->SetParent(f);
  auto* greedy = new TGreedyBox(f);
  greedy->SetLeft(60);
  greedy->SetParent(f);
  auto* def = new TDefaultBox(f);
  def->SetLeft(120);
  def->SetParent(f);
  std::vector<std::string> keys;
  greedy->OnKeyDown = [&](TObject*, Word& k, TShiftState) { keys.push_back("down " + std::to_string(k)); };
  greedy->OnKeyPress = [&](TObject*, char& c) { keys.push_back(std::string("press ") + c); };
  f->Show();
  plain->SetFocus();
  Press(VK_RETURN);
  Input().TypeText(u"x");
  Application->ProcessMessages();
  EXPECT_EQ(def->Returns, 1);
  EXPECT_EQ(def->Mnemonics, 1);
  greedy->SetFocus();
  Press(VK_RETURN);
  Input().TypeText(u"x");
  Application->ProcessMessages();
  EXPECT_EQ(def->Returns, 1);
  EXPECT_EQ(def->Mnemonics, 1);
  EXPECT_EQ(keys, (std::vector<std::string>{"down 13", "press \r", "press x"}));
  FreeAndNil(f);
}

TEST_F(KeysTest, TheApplicationHearsWhenTheProgramLosesAndRegainsTheUser) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(Application->Active());
  std::vector<std::string> log;
  static const char code = 0;
  Application->HookMainWindow(TWindowHook(&log, &code, [&](TMessage& m) {
    if (m.Msg == CM_ACTIVATE) log.push_back("hook activate");
    if (m.Msg == CM_DEACTIVATE) log.push_back("hook deactivate");
    return false;
  }));
  Application->OnActivate = [&](TObject*) { log.push_back("activate"); };
  Application->OnDeactivate = [&](TObject*) { log.push_back("deactivate"); };
  Input().FocusLost();
  Application->ProcessMessages();
  EXPECT_FALSE(Application->Active());
  Input().FocusGained();
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Active());
  EXPECT_EQ(log, (std::vector<std::string>{"hook deactivate", "deactivate", "hook activate", "activate"}));
}

}  // namespace
