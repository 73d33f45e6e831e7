// A form with a main menu read from its text form resource: the bar in the window's frame,
// drop-downs opened by the mouse and the keyboard, commands, hints and shortcuts reaching the
// items, and the window menu following the items' state.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../controls/ui_fixture.h"
#include "ActnList.h"
#include "Forms.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TypInfo.h"
#include "menu_test_support.h"
#include "test_support.h"

class TMenuForm : public TForm {
 public:
  explicit TMenuForm(TComponent* AOwner) : TForm(AOwner) {}
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* FileMenu = nullptr;
  TMenuItem* OpenItem = nullptr;
  TMenuItem* QuitItem = nullptr;
  TMenuItem* EditMenu = nullptr;
  TMenuItem* CopyItem = nullptr;
  TMenuItem* GridItem = nullptr;
  TEdit* Edit1 = nullptr;
  int Opened = 0, Quit = 0, Copied = 0, Grid = 0;
  void OpenItemClick(TObject*) { ++Opened; }
  void QuitItemClick(TObject*) { ++Quit; }
  void CopyItemClick(TObject*) { ++Copied; }
  void GridItemClick(TObject*) { ++Grid; }
};

static const bool registered = DeclareClass<TMenuForm, TForm>("TMenuForm")
                                   .Method("OpenItemClick", &TMenuForm::OpenItemClick)
                                   .Method("QuitItemClick", &TMenuForm::QuitItemClick)
                                   .Method("CopyItemClick", &TMenuForm::CopyItemClick)
                                   .Method("GridItemClick", &TMenuForm::GridItemClick)
                                   .Field("MainMenu1", &TMenuForm::MainMenu1)
                                   .Field("FileMenu", &TMenuForm::FileMenu)
                                   .Field("OpenItem", &TMenuForm::OpenItem)
                                   .Field("QuitItem", &TMenuForm::QuitItem)
                                   .Field("EditMenu", &TMenuForm::EditMenu)
                                   .Field("CopyItem", &TMenuForm::CopyItem)
                                   .Field("GridItem", &TMenuForm::GridItem)
                                   .Field("Edit1", &TMenuForm::Edit1)
                                   .Done();

namespace {

using menu_test::BarItemPoint;
using menu_test::DropDownItemPoint;
using menu_test::MenuWindows;
using menu_test::Script;

class MenuFormTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    Application->CreateForm(form);
    form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    winplat::user::SetModalIdleHandler({});
    FreeAndNil(form);
    UiTest::TearDown();
  }
  // Lets the application handle what the input made (as its loop would).
  static void Run() { Application->ProcessMessages(); }
  TMenuForm* form = nullptr;
};

TEST_F(MenuFormTest, TheResourceGivesTheFormItsMenuBarAboveTheClientArea) {
  ASSERT_NE(form->MainMenu1, nullptr);
  EXPECT_EQ(form->Menu(), form->MainMenu1);
  EXPECT_EQ(GetMenu(form->Handle()), form->MainMenu1->Handle());
  EXPECT_EQ(form->MainMenu1->Items()->Count(), 2);
  EXPECT_EQ(form->FileMenu->Caption(), "ファイル(&F)");
  // The checked item without a mnemonic got one of its own when the menu was built.
  EXPECT_EQ(form->GridItem->Caption(), "グリッド(&1)");
  char16_t text[64] = {};
  GetMenuStringW(form->MainMenu1->Handle(), form->GridItem->Command(), text, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::u16string(text), u"グリッド(&1)");
  GetMenuStringW(form->MainMenu1->Handle(), form->OpenItem->Command(), text, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::u16string(text), u"開く(&O)...\tCtrl+O");
  // Frame, caption, then the bar: the client area starts below it.
  RECT wr;
  GetWindowRect(form->Handle(), &wr);
  const TPoint origin = form->ClientOrigin();
  const int frame = origin.x - wr.left;
  EXPECT_EQ(origin.y - wr.top, frame + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(form->ClientHeight(), 300 - 2 * frame - GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYMENU));
  // The bar is the menu part of the frame; a point on it is HTMENU.
  const POINT bar = BarItemPoint(form->Handle(), 0);
  EXPECT_EQ(SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(bar.x, bar.y)), HTMENU);
  const RECT r = menu_test::BarRect(form->Handle());
  EXPECT_EQ(Px(r.left + 1, r.top + 1), menu_test::ScreenRGB(GetSysColor(COLOR_MENU)));
  EXPECT_EQ(Px(r.right - 2, r.bottom - 2), menu_test::ScreenRGB(GetSysColor(COLOR_MENU)));
}

TEST_F(MenuFormTest, AClickOpensTheDropDownAndChoosingAnItemClicksItOnce) {
  std::string hint_seen;
  int windows_open = 0;
  Script({[&] {
            windows_open = static_cast<int>(MenuWindows().size());
            const POINT p = DropDownItemPoint(0, 0);
            Input().MouseMove(p.x, p.y);
          },
          [&] {
            hint_seen = Application->Hint();
            const POINT p = DropDownItemPoint(0, 0);
            Input().Click(p.x, p.y);
          }});
  const POINT bar = BarItemPoint(form->Handle(), 0);
  Input().Click(bar.x, bar.y);
  Run();
  EXPECT_EQ(windows_open, 1);
  EXPECT_EQ(hint_seen, "黒板を開きます");  // the long part of the selected item's hint
  EXPECT_EQ(form->Opened, 1);
  EXPECT_EQ(form->Quit, 0);
  EXPECT_TRUE(MenuWindows().empty());
  EXPECT_EQ(Application->Hint(), "");  // the menu's end clears it
}

TEST_F(MenuFormTest, MovingAlongTheBarOpensTheOtherDropDownAndAClickOutsideCloses) {
  Script({[&] {
            const POINT p = BarItemPoint(form->Handle(), 1);
            Input().MouseMove(p.x, p.y);
          },
          [&] {
            // The second drop-down is the one open now: its first item is the copy.
            const POINT p = DropDownItemPoint(0, 0);
            Input().Click(p.x, p.y);
          }});
  POINT bar = BarItemPoint(form->Handle(), 0);
  Input().Click(bar.x, bar.y);
  Run();
  EXPECT_EQ(form->Copied, 1);
  EXPECT_EQ(form->Opened, 0);
  // A press beside every menu ends the loop with nothing chosen.
  Script({[&] { Input().Click(600, 460); }});
  Input().Click(bar.x, bar.y);
  Run();
  EXPECT_TRUE(MenuWindows().empty());
  EXPECT_EQ(form->Copied + form->Opened + form->Quit + form->Grid, 1);
}

// The keyboard: Alt and a mnemonic, Alt alone and F10, arrows along the bar and down a
// drop-down, Return choosing and Escape going back.
struct KeyCase {
  const char* name;
  std::function<void()> enter;          // the keys that start the menu
  std::vector<std::function<void()>> steps;
  int opened, quit, copied, grid;
};

TEST_F(MenuFormTest, TheKeyboardReachesEveryItemThroughTheBar) {
  auto press = [](UINT vk) { return [vk] { Input().PressKey(vk); }; };
  auto alt_with = [](UINT vk) {
    return [vk] {
      Input().KeyDown(VK_MENU);
      Input().PressKey(vk);
      Input().KeyUp(VK_MENU);
    };
  };
  const std::vector<KeyCase> cases = {
      {"Alt+F opens the file menu on its first item", alt_with('F'), {press(VK_RETURN)}, 1, 0, 0, 0},
      {"down past the separator", alt_with('F'), {press(VK_DOWN), press(VK_RETURN)}, 0, 1, 0, 0},
      {"Alt+E and the item's mnemonic", alt_with('E'), {[] { Input().TypeText(u"c"); }}, 0, 0, 1, 0},
      {"an automatic mnemonic", alt_with('E'), {[] { Input().TypeText(u"1"); }}, 0, 0, 0, 1},
      {"Alt alone, right, down", press(VK_MENU), {press(VK_RIGHT), press(VK_DOWN), press(VK_RETURN)}, 0, 0, 1, 0},
      {"F10, the mnemonic of the bar", press(VK_F10), {[] { Input().TypeText(u"e"); }, press(VK_RETURN)}, 0, 0, 1, 0},
      {"right from a drop-down to the next", alt_with('F'), {press(VK_RIGHT), press(VK_DOWN), press(VK_RETURN)}, 0, 0, 0, 1},
      {"left wraps to the last drop-down", alt_with('F'), {press(VK_LEFT), press(VK_RETURN)}, 0, 0, 1, 0},
      {"escape back to the bar, then down again", alt_with('F'), {press(VK_ESCAPE), press(VK_DOWN), press(VK_RETURN)}, 1, 0, 0, 0},
      {"escape twice: nothing", alt_with('F'), {press(VK_ESCAPE), press(VK_ESCAPE)}, 0, 0, 0, 0},
      {"Alt ends the menu", press(VK_MENU), {press(VK_MENU)}, 0, 0, 0, 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    form->Opened = form->Quit = form->Copied = form->Grid = 0;
    form->Edit1->SetFocus();
    Script(c.steps);
    c.enter();
    Run();
    EXPECT_TRUE(MenuWindows().empty());
    EXPECT_EQ(form->Opened, c.opened);
    EXPECT_EQ(form->Quit, c.quit);
    EXPECT_EQ(form->Copied, c.copied);
    EXPECT_EQ(form->Grid, c.grid);
    winplat::user::SetModalIdleHandler({});
  }
}

TEST_F(MenuFormTest, InitMenuPopupUpdatesTheItemsFromTheirActionsAndTheirStateReachesTheWindowMenu) {
  auto* list = new TActionList(form);
  auto* act = new TAction(form);
  act->SetActionList(list);
  act->SetCaption("グリッド(&G)");
  int updates = 0;
  bool enable = true;
  act->OnUpdate = [&](TObject*) {
    ++updates;
    act->SetEnabled(enable);
  };
  act->OnExecute = [](TObject*) {};
  form->GridItem->SetAction(act);
  const HMENU bar = form->MainMenu1->Handle();
  EXPECT_EQ(GetMenuState(bar, form->GridItem->Command(), MF_BYCOMMAND) & MF_CHECKED, 0u);  // the action's
  enable = false;
  UINT state_while_open = 0;
  Script({[&] {
    state_while_open = GetMenuState(bar, form->GridItem->Command(), MF_BYCOMMAND);
    Input().PressKey(VK_ESCAPE);
  }});
  const POINT p = BarItemPoint(form->Handle(), 1);
  Input().Click(p.x, p.y);
  Run();
  EXPECT_GE(updates, 1);
  EXPECT_EQ(state_while_open & MF_GRAYED, MF_GRAYED);
  // Checked, enabled and visible items as the window menu shows them.
  form->GridItem->SetAction(nullptr);
  form->GridItem->SetEnabled(true);
  form->GridItem->SetChecked(true);
  EXPECT_EQ(GetMenuState(bar, form->GridItem->Command(), MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), MF_CHECKED);
  form->CopyItem->SetEnabled(false);
  EXPECT_EQ(GetMenuState(bar, form->CopyItem->Command(), MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
  const HMENU edit = form->EditMenu->Handle();
  EXPECT_EQ(GetMenuItemCount(edit), 2);
  form->CopyItem->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(edit), 1);
  form->EditMenu->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(bar), 1);
}

TEST_F(MenuFormTest, ShortCutsRunTheItemBeforeTheControlSeesTheKey) {
  int edit_keys = 0;
  form->Edit1->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
    if (Key == 'O' || Key == 'C' || Key == 'P') ++edit_keys;
  };
  auto ctrl = [](UINT vk) {
    Input().KeyDown(VK_CONTROL);
    Input().PressKey(vk);
    Input().KeyUp(VK_CONTROL);
  };
  form->Edit1->SetFocus();
  ctrl('O');
  Run();
  EXPECT_EQ(form->Opened, 1);
  EXPECT_EQ(edit_keys, 0);
  // A disabled item's key is the control's.
  form->CopyItem->SetEnabled(false);
  ctrl('C');
  Run();
  EXPECT_EQ(form->Copied, 0);
  EXPECT_EQ(edit_keys, 1);
  // The pop-up menu of the control (or of its parents) is asked first.
  auto* popup = new TPopupMenu(form);
  auto* paste = new TMenuItem(form);
  paste->SetCaption("貼り付け(&P)");
  paste->SetShortCut(ShortCut('P', TShiftState{ssCtrl}));
  int pasted = 0;
  paste->OnClick = [&](TObject*) { ++pasted; };
  popup->Items()->Add(paste);
  form->Edit1->SetPopupMenu(popup);
  ctrl('P');
  Run();
  EXPECT_EQ(pasted, 1);
  EXPECT_EQ(edit_keys, 1);
  // An action of the form's action lists.
  auto* list = new TActionList(form);
  auto* act = new TAction(form);
  act->SetActionList(list);
  act->SetShortCut(ShortCut('K', TShiftState{ssCtrl}));
  int runs = 0;
  act->OnExecute = [&](TObject*) { ++runs; };
  ctrl('K');
  Run();
  EXPECT_EQ(runs, 1);
  // On another form, a key none of its own items has reaches the main form's menu.
  ASSERT_EQ(Application->MainForm(), form);
  TForm* tool = CreateNewForm<TForm>(Application);
  tool->SetBounds(300, 300, 200, 100);
  tool->Show();
  tool->SetFocus();
  Run();
  ctrl('O');
  Run();
  EXPECT_EQ(form->Opened, 2);
  FreeAndNil(tool);
}

TEST_F(MenuFormTest, TheMenuFollowsTheWindowWhenItIsMadeAgain) {
  const HMENU bar = form->MainMenu1->Handle();
  const HWND before = form->Handle();
  form->SetBorderStyle(bsSizeable);  // a new window
  Application->ProcessMessages();
  ASSERT_NE(form->Handle(), before);
  EXPECT_EQ(GetMenu(form->Handle()), bar);
  EXPECT_EQ(form->MainMenu1->WindowHandle(), form->Handle());
  // A dialog's frame has no bar.
  form->SetBorderStyle(bsDialog);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  EXPECT_EQ(form->Menu(), form->MainMenu1);  // still the form's, for another frame
  form->SetBorderStyle(bsSingle);
  EXPECT_EQ(GetMenu(form->Handle()), bar);
  // No menu: the bar goes and the client grows by its height.
  const int with_bar = form->ClientHeight();
  form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  EXPECT_EQ(form->ClientHeight(), with_bar + GetSystemMetrics(SM_CYMENU));
  // A menu serves one form.
  form->SetMenu(form->MainMenu1);
  TForm* other = CreateNewForm<TForm>(Application);
  EXPECT_THROW(other->SetMenu(form->MainMenu1), EInvalidOperation);
  delete other;
  // A freed menu leaves the form and its window.
  delete form->MainMenu1;
  EXPECT_EQ(form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
}

class MenuFormScreenTest : public MenuFormTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    winplat::gdi::UseTestFontForAll(false);  // the real fonts, to see the Japanese captions
    Application->CreateForm(form);
    form->Show();
    Application->ProcessMessages();
  }
};

TEST_F(MenuFormScreenTest, TheBarAndAnOpenDropDownOnTheScreen) {
  ASSERT_TRUE(test_support::WriteScreenshotPng("menu_form_bar.png"));
  // Some pixels of the bar's captions are drawn in the menu's text colour.
  const POINT p = BarItemPoint(form->Handle(), 0);
  int dark = 0;
  for (int x = p.x - 20; x < p.x + 60; ++x)
    for (int y = p.y - 6; y < p.y + 6; ++y) {
      const uint32_t c = Px(x, y);
      dark += (c & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && ((c >> 16) & 0xFF) < 0x60;
    }
  EXPECT_GT(dark, 20);
  bool shot = false;
  uint32_t selected_bar = 0;
  Script({[&] {
            const POINT q = DropDownItemPoint(0, 0);
            Input().MouseMove(q.x, q.y);
          },
          [&] {
            shot = test_support::WriteScreenshotPng("menu_form_dropdown.png");
            selected_bar = Px(p.x - 6, p.y - 7);
            Input().PressKey(VK_ESCAPE);
          }});
  Input().Click(p.x, p.y);
  Application->ProcessMessages();
  EXPECT_TRUE(shot);
  EXPECT_EQ(selected_bar, menu_test::ScreenRGB(GetSysColor(COLOR_HIGHLIGHT)));  // the open bar item
}

}  // namespace
