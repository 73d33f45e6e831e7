// The extended combo box class as a drop-down list: items inserted, set and read back with
// ANSI and Unicode callers, the window text of the chosen item, the CB_ messages and their
// errors, and the parent's notifications in order (only choices of the user are told).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control_fixture.h"

namespace {

// Texts outside code page 932 (test macros would narrow their spelling).
const char16_t* const kKorean = u"한국 é";
const char16_t* const kTwo = u"二 𠮷";

class ComboBoxExWindow : public ControlWindows {
 protected:
  void SetUp() override {
    ControlWindows::SetUp();
    combo = Child(WC_COMBOBOXEXW, u"", CBS_DROPDOWNLIST | WS_TABSTOP, 10, 10, 160, 24, 5);
  }
  LRESULT InsertW(INT_PTR at, const char16_t* text, int image) {
    COMBOBOXEXITEMW it{};
    it.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_LPARAM;
    it.iItem = at;
    it.pszText = const_cast<char16_t*>(text);
    it.iImage = image;
    it.lParam = 100 + image;
    return SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
  }
  std::vector<int> Codes() const {
    std::vector<int> out;
    for (const Command& c : g_commands)
      if (c.id == 5) out.push_back(c.code);
    return out;
  }
  HWND combo = nullptr;
};

TEST_F(ComboBoxExWindow, ItemsGoInAndComeBackForAnsiAndUnicodeCallers) {
  EXPECT_EQ(InsertW(-1, kKorean, 1), 0);  // -1: at the end
  EXPECT_EQ(InsertW(-1, u"黒板", 2), 1);
  EXPECT_EQ(InsertW(0, u"first", 0), 0);
  COMBOBOXEXITEMA a{};
  a.mask = CBEIF_TEXT | CBEIF_IMAGE;
  a.iItem = 99;  // past the end: at the end
  a.pszText = const_cast<char*>("ANSI 白");
  a.iImage = 3;
  EXPECT_EQ(SendMessageA(combo, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&a)), 3);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);

  struct Case {
    INT_PTR item;
    const char16_t* text;
    int image;
  };
  const Case cases[] = {{0, u"first", 0}, {1, kKorean, 1}, {2, u"黒板", 2}, {3, u"ANSI 白", 3}};
  for (const Case& c : cases) {
    char16_t buf[32] = {};
    COMBOBOXEXITEMW w{};
    w.mask = CBEIF_TEXT | CBEIF_IMAGE;
    w.iItem = c.item;
    w.pszText = buf;
    w.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&w)));
    EXPECT_EQ(std::u16string(buf), c.text);
    EXPECT_EQ(w.iImage, c.image);
  }
  // An ANSI caller gets the text in the code page, cut to its buffer.
  char small[5] = {};
  COMBOBOXEXITEMA g{};
  g.mask = CBEIF_TEXT;
  g.iItem = 2;
  g.pszText = small;
  g.cchTextMax = 3;
  ASSERT_TRUE(SendMessageA(combo, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&g)));
  EXPECT_STREQ(small, "黒");  // two bytes and the NUL
  // Setting an item changes only what the mask names.
  COMBOBOXEXITEMW s{};
  s.mask = CBEIF_IMAGE;
  s.iItem = 1;
  s.iImage = 7;
  EXPECT_TRUE(SendMessageW(combo, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&s)));
  s.iItem = 9;
  EXPECT_FALSE(SendMessageW(combo, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&s)));
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 1, 0), 101);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 9, 0), CB_ERR);
}

TEST_F(ComboBoxExWindow, TheWindowTextIsTheChosenItemAndOnlyTheUsersChoicesAreTold) {
  InsertW(-1, u"一", 0);
  InsertW(-1, kTwo, 1);
  InsertW(-1, u"三", 2);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(GetWindowTextLengthW(combo), 0);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 1, 0), 1);
  char16_t buf[16] = {};
  EXPECT_EQ(GetWindowTextW(combo, buf, 16), 4);
  EXPECT_EQ(std::u16string(buf), kTwo);
  // A text chooses the item that has it; one no item has is refused.
  EXPECT_TRUE(SetWindowTextW(combo, u"三"));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"四")), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 5, 0), CB_ERR);  // out of range: nothing chosen
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_TRUE(Codes().empty());

  SetFocus(combo);
  SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);  // from nothing to the first
  SendMessageW(combo, WM_KEYDOWN, VK_END, 0);
  SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);  // already the last: no change, nothing told
  SendMessageW(combo, WM_KEYDOWN, VK_F4, 0);    // the list opens
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  SendMessageW(combo, WM_KEYDOWN, VK_UP, 0);  // moves in the list only
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  SendMessageW(combo, WM_KEYDOWN, VK_RETURN, 0);  // chooses and closes
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Codes(), (std::vector<int>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_DROPDOWN, CBN_CLOSEUP, CBN_SELCHANGE}));

  // Deleting moves the choice with its item, or clears it with it.
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 0, 0), 2);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 0, 0), 1);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 4, 0), CB_ERR);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
}

}  // namespace
