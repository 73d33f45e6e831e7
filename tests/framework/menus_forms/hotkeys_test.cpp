// Mnemonics the menu gives its items (AutoHotkeys), on the Japanese system and on a Western one.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "Menus.h"
#include "winplat_mode.h"

namespace {

struct HotkeyCase {
  const char* name;
  UINT code_page;
  TMenuAutoFlag flag;
  std::vector<const char*> captions;
  std::vector<const char*> expected;
};

class HotkeysTest : public ::testing::TestWithParam<HotkeyCase> {
 protected:
  void TearDown() override { winplat::SetAnsiCodePage(932); }
};

TEST_P(HotkeysTest, CaptionsAfterTheMenuIsBuilt) {
  const HotkeyCase& c = GetParam();
  ASSERT_TRUE(winplat::SetAnsiCodePage(c.code_page));
  auto* owner = new TComponent(nullptr);
  auto* menu = new TPopupMenu(owner);
  menu->SetAutoHotkeys(c.flag);
  std::vector<TMenuItem*> items;
  for (const char* caption : c.captions) {
    auto* i = new TMenuItem(owner);
    i->SetCaption(caption);
    menu->Items()->Add(i);
    items.push_back(i);
  }
  for (size_t k = 0; k < items.size(); ++k) {
    EXPECT_EQ(items[k]->Caption(), c.expected[k]) << k;
    // The platform item shows the same caption.
    if (!items[k]->IsLine()) {
      char buf[64] = {};
      GetMenuStringA(menu->Handle(), items[k]->Command(), buf, 64, MF_BYCOMMAND);
      EXPECT_EQ(AnsiString(buf), c.expected[k]) << k;
    }
  }
  delete owner;
}

const HotkeyCase kCases[] = {
    {"japanese captions take the free keys as (&X)", 932, maAutomatic,
     {"ファイル", "編集", "表示..."}, {"ファイル(&1)", "編集(&2)", "表示(&3)..."}},
    {"letters of the caption first, repeated keys given anew", 932, maAutomatic,
     {"&File", "&Format", "Exit", "-", "Find"}, {"&File", "F&ormat", "&Exit", "-", "F&ind"}},
    {"a repeated (&X) goes whole", 932, maAutomatic,
     {"開く(&O)", "保存(&O)"}, {"開く(&O)", "保存(&1)"}},
    {"manual: the captions as written", 932, maManual,
     {"ファイル", "&File", "&Fine"}, {"ファイル", "&File", "&Fine"}},
    {"a western system adds none where no letter is free", 1252, maAutomatic,
     {"Open", "Options", "--", "&&Co"}, {"&Open", "O&ptions", "--", "&&&Co"}},
};

INSTANTIATE_TEST_SUITE_P(Menus, HotkeysTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HotkeyCase>& info) {
                           std::string n;
                           for (const char* p = info.param.name; *p; ++p)
                             n += (std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
                           return n;
                         });

TEST(Hotkeys, ItemsFollowTheirParentsSettingAndNewCaptionsAreGivenKeys) {
  auto* owner = new TComponent(nullptr);
  auto* menu = new TMainMenu(owner);
  menu->SetAutoHotkeys(maManual);
  auto add = [&](TMenuItem* parent, const char* caption) {
    auto* i = new TMenuItem(owner);
    i->SetCaption(caption);
    parent->Add(i);
    return i;
  };
  TMenuItem* file = add(menu->Items(), "File");
  TMenuItem* edit = add(menu->Items(), "Edit");
  edit->SetAutoHotkeys(maAutomatic);  // its children, not itself
  TMenuItem* open = add(file, "Open");
  TMenuItem* copy = add(edit, "Copy");
  TMenuItem* cut = add(edit, "Cut");
  EXPECT_EQ(file->Caption(), "File");
  EXPECT_EQ(edit->Caption(), "Edit");
  EXPECT_EQ(open->Caption(), "Open");  // maParent: the menu's manual setting
  EXPECT_EQ(copy->Caption(), "&Copy");
  EXPECT_EQ(cut->Caption(), "C&ut");
  // A new caption without a key gets one; the menu switched to automatic gives the others theirs.
  cut->SetCaption("Cut out");
  EXPECT_EQ(cut->Caption(), "C&ut out");
  menu->SetAutoHotkeys(maAutomatic);
  EXPECT_EQ(file->Caption(), "&File");
  EXPECT_EQ(edit->Caption(), "&Edit");
  EXPECT_EQ(open->Caption(), "&Open");
  // The hotkey helpers.
  EXPECT_EQ(GetHotkey("C&ut"), "U");
  EXPECT_EQ(GetHotkey("&&Co"), "");
  EXPECT_EQ(GetHotkey("表示(&V)"), "V");
  EXPECT_EQ(StripHotkey("表示(&V)..."), "表示...");  // a Japanese system drops the group whole
  EXPECT_EQ(StripHotkey("A&&B&c"), "A&Bc");
  delete owner;
}

}  // namespace
