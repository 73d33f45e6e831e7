// Shortcut texts, menu items over the platform's menus, pop-up menus chosen on the headless
// screen, and menu items driven by actions.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ActnList.h"
#include "Forms.h"
#include "Menus.h"
#include "ui_fixture.h"

namespace {

class MenusTest : public UiTest {};

TEST(ShortCuts, TextsBothWays) {
  struct Case { TShortCut sc; const char* text; };
  const std::vector<Case> cases = {
      {static_cast<TShortCut>('N' | scCtrl), "Ctrl+N"},
      {static_cast<TShortCut>(VK_F9), "F9"},
      {static_cast<TShortCut>(0x7B), "F12"},
      {static_cast<TShortCut>(0x87), "F24"},
      {static_cast<TShortCut>(VK_DELETE | scShift | scCtrl | scAlt), "Shift+Ctrl+Alt+Del"},
      {static_cast<TShortCut>(VK_BACK), "BkSp"},
      {static_cast<TShortCut>(VK_RETURN | scAlt), "Alt+Enter"},
      {static_cast<TShortCut>(VK_NEXT), "PgDn"},
      {static_cast<TShortCut>(VK_LEFT | scShift), "Shift+Left"},
      {static_cast<TShortCut>('5'), "5"},
      {static_cast<TShortCut>(VK_NUMPAD3), "3"},
      // Keys the framework does not name: the keyboard's names.
      {static_cast<TShortCut>(VK_OEM_1 | scCtrl), "Ctrl+;"},
      {static_cast<TShortCut>(VK_OEM_PLUS), "="},
      {static_cast<TShortCut>(VK_OEM_3 | scShift), "Shift+`"},
      {static_cast<TShortCut>(VK_OEM_7 | scAlt), "Alt+'"},
      {static_cast<TShortCut>(VK_MULTIPLY), "Num *"},
      {static_cast<TShortCut>(VK_ADD | scCtrl), "Ctrl+Num +"},
      {static_cast<TShortCut>(VK_DECIMAL), "Num Del"},
      {static_cast<TShortCut>(VK_CAPITAL), "Caps Lock"},
      {static_cast<TShortCut>(VK_PAUSE), "Pause"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortCutToText(c.sc), c.text);
    // Back: the digit of the numeric pad names the main row's digit first.
    if (c.sc != VK_NUMPAD3) EXPECT_EQ(TextToShortCut(c.text), c.sc) << c.text;
  }
  EXPECT_EQ(TextToShortCut("ctrl+shift+n"), static_cast<TShortCut>('N' | scCtrl | scShift));
  EXPECT_EQ(TextToShortCut("^S"), static_cast<TShortCut>('S' | scCtrl));
  EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
  EXPECT_EQ(ShortCut('G', TShiftState{ssCtrl}), static_cast<TShortCut>(16455));
  EXPECT_EQ(ShortCut(0x1234, {}), 0);  // not a key
  Word key = 0;
  TShiftState shift;
  ShortCutToKey(static_cast<TShortCut>('P' | scCtrl | scAlt), key, shift);
  EXPECT_EQ(key, 'P');
  EXPECT_TRUE(shift.Contains(ssCtrl) && shift.Contains(ssAlt) && !shift.Contains(ssShift));
}

TEST_F(MenusTest, ItemsBuildThePlatformMenu) {
  auto* owner = new TComponent(nullptr);
  auto* menu = new TPopupMenu(owner);
  auto add = [&](TMenuItem* parent, const char* caption) {
    auto* i = new TMenuItem(owner);
    i->SetCaption(caption);
    parent->Add(i);
    return i;
  };
  TMenuItem* open = add(menu->Items(), "開く(&O)");
  open->SetShortCut(static_cast<TShortCut>('O' | scCtrl));
  add(menu->Items(), "-");
  TMenuItem* grid = add(menu->Items(), "グリッド");
  grid->SetChecked(true);
  TMenuItem* colours = add(menu->Items(), "色");
  TMenuItem* red = add(colours, "赤");
  TMenuItem* blue = add(colours, "青");
  red->SetRadioItem(true);
  blue->SetRadioItem(true);
  HMENU h = menu->Handle();
  ASSERT_EQ(GetMenuItemCount(h), 4);
  char buf[64] = {};
  GetMenuStringA(h, open->Command(), buf, 64, MF_BYCOMMAND);
  EXPECT_STREQ(buf, "開く(&O)\tCtrl+O");
  EXPECT_EQ(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
  EXPECT_EQ(GetMenuState(h, grid->Command(), MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  HMENU sub = GetSubMenu(h, 3);
  ASSERT_EQ(sub, colours->Handle());
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  // Changes reach the platform items.
  grid->SetEnabled(false);
  EXPECT_EQ(GetMenuState(h, grid->Command(), MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
  grid->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(h), 3);
  grid->SetVisible(true);
  // Radio items: one of a group checked.
  red->SetChecked(true);
  blue->SetChecked(true);
  EXPECT_FALSE(red->Checked());
  EXPECT_EQ(GetMenuState(sub, red->Command(), MF_BYCOMMAND) & MF_CHECKED, 0u);
  // The item of a command; clicks; Find ignores the "&" marks.
  int clicks = 0;
  open->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_TRUE(menu->DispatchCommand(open->Command()));
  EXPECT_FALSE(menu->DispatchCommand(colours->Command()));  // a pop-up is not clicked
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(menu->Items()->Find("開く(O)"), open);
  EXPECT_EQ(menu->Items()->Find("開く(&O)"), open);
  EXPECT_EQ(menu->Items()->Find("開け"), nullptr);
  EXPECT_EQ(menu->FindItem(reinterpret_cast<UINT_PTR>(sub), fkHandle), colours);
  EXPECT_TRUE(menu->IsShortCut(static_cast<TShortCut>('O' | scCtrl)));
  EXPECT_EQ(clicks, 2);
  // Items are unique commands; a freed item leaves its parent.
  EXPECT_NE(red->Command(), blue->Command());
  delete blue;
  EXPECT_EQ(colours->Count(), 1);
  EXPECT_EQ(GetMenuItemCount(sub), 1);
  delete owner;
}

TEST_F(MenusTest, PopupChosenOnTheScreenClicksItsItem) {
  TForm* form = CreateNewForm<TForm>(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 400, 300);
  form->Show();
  auto* menu = new TPopupMenu(form);
  std::vector<std::string> clicked;
  for (const char* c : {"新規", "開く", "保存"}) {
    auto* i = new TMenuItem(form);
    i->SetCaption(c);
    i->SetHint(AnsiString("短い|") + c + "の説明");
    i->OnClick = [&clicked, c](TObject*) { clicked.push_back(c); };
    menu->Items()->Add(i);
  }
  int popups = 0;
  menu->OnPopup = [&](TObject*) { ++popups; };
  std::vector<AnsiString> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint()); };
  int step = 0;
  winplat::user::SetModalIdleHandler([&](HWND) {
    HWND w = FindWindowExW(nullptr, nullptr, u"#32768", nullptr);
    RECT r{};
    GetWindowRect(w, &r);
    // The second item: a row of the test font's height + 6 below the first.
    int rowH = 22;
    if (step == 0) Input().MouseMove(r.left + 30, r.top + 3 + rowH + rowH / 2);
    else Input().Click(r.left + 30, r.top + 3 + rowH + rowH / 2);
    ++step;
  });
  menu->Popup(100, 100);
  winplat::user::SetModalIdleHandler({});
  winplat::user::PumpMessages();  // the chosen command arrives
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(clicked, std::vector<std::string>{"開く"});
  ASSERT_FALSE(hints.empty());
  EXPECT_EQ(hints.front(), "開くの説明");  // the long part of the selected item's hint
  EXPECT_EQ(hints.back(), "");            // cleared when the menu closed
  delete form;
}

TEST_F(MenusTest, ItemsFollowTheirActions) {
  auto* owner = new TComponent(nullptr);
  auto* list = new TActionList(owner);
  auto* act = new TAction(owner);
  act->SetActionList(list);
  act->SetCaption("グリッドのオンオフ");
  act->SetShortCut(static_cast<TShortCut>('G' | scCtrl));
  act->SetChecked(true);
  act->SetAutoCheck(true);
  int runs = 0;
  act->OnExecute = [&](TObject*) { ++runs; };
  auto* menu = new TPopupMenu(owner);
  menu->SetAutoHotkeys(maManual);  // the captions as the action has them
  auto* item = new TMenuItem(owner);
  menu->Items()->Add(item);
  item->SetAction(act);
  EXPECT_EQ(item->Caption(), "グリッドのオンオフ");
  EXPECT_TRUE(item->Checked());
  EXPECT_EQ(item->ShortCut(), act->ShortCut());
  EXPECT_EQ(item->PlatformText(), "グリッドのオンオフ\tCtrl+G");
  // The action's changes reach the item while it holds the action's values.
  act->SetEnabled(false);
  EXPECT_FALSE(item->Enabled());
  act->SetEnabled(true);
  act->SetCaption("グリッド");
  EXPECT_EQ(item->Caption(), "グリッド");
  item->SetCaption("自分の");
  EXPECT_FALSE(item->ActionLink()->IsCaptionLinked());  // its own caption now
  EXPECT_TRUE(item->ActionLink()->IsCheckedLinked());
  // A click runs the action, which checks itself over.
  item->Click();
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(act->Checked());
  EXPECT_FALSE(item->Checked());
  delete act;
  EXPECT_EQ(item->Action(), nullptr);
  delete owner;
}

TEST_F(MenusTest, MainMenuOnAWindow) {
  TForm* form = CreateNewForm<TForm>(Application);
  auto* menu = new TMainMenu(form);
  menu->SetAutoHotkeys(maManual);  // the captions as written
  auto* file = new TMenuItem(form);
  file->SetCaption("ファイル(&F)");
  menu->Items()->Add(file);
  auto* quit = new TMenuItem(form);
  quit->SetCaption("終了");
  quit->SetShortCut(static_cast<TShortCut>('Q' | scCtrl));
  file->Add(quit);
  menu->SetWindowHandle(form->Handle());
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  char buf[64] = {};
  GetMenuStringA(menu->Handle(), 0, buf, 64, MF_BYPOSITION);
  EXPECT_STREQ(buf, "ファイル(&F)");
  GetMenuStringA(menu->Handle(), quit->Command(), buf, 64, MF_BYCOMMAND);
  EXPECT_STREQ(buf, "終了\tCtrl+Q");
  // A shortcut on the bar itself is not shown.
  file->SetShortCut(static_cast<TShortCut>('F' | scAlt));
  GetMenuStringA(menu->Handle(), 0, buf, 64, MF_BYPOSITION);
  EXPECT_STREQ(buf, "ファイル(&F)");
  menu->SetWindowHandle(nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  delete form;
}

}  // namespace
