// The keyboard layout's calls: virtual keys to scan codes and characters and back, and the names
// of the keys, as a US English layout gives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

std::u16string NameOf(LONG lp, int size = 256) {
  std::u16string buf(static_cast<size_t>(size), u'\0');
  int n = GetKeyNameTextW(lp, reinterpret_cast<LPWSTR>(buf.data()), size);
  buf.resize(static_cast<size_t>(n));
  return buf;
}

LONG ScanParam(UINT scan, bool extended = false) {
  return static_cast<LONG>((scan << 16) | (extended ? 1u << 24 : 0u));
}

TEST(Keyboard, KeysTheirScanCodesCharactersAndNames) {
  struct Case {
    UINT vk;
    UINT scan;        // MapVirtualKey mode 0
    UINT ch;          // mode 2
    const char16_t* name;  // GetKeyNameText of the scan code alone
  };
  const std::vector<Case> cases = {
      {'A', 0x1E, 'A', u"A"},
      {'Q', 0x10, 'Q', u"Q"},
      {'M', 0x32, 'M', u"M"},
      {'1', 0x02, '1', u"1"},
      {'0', 0x0B, '0', u"0"},
      {VK_OEM_MINUS, 0x0C, '-', u"-"},
      {VK_OEM_PLUS, 0x0D, '=', u"="},
      {VK_OEM_4, 0x1A, '[', u"["},
      {VK_OEM_6, 0x1B, ']', u"]"},
      {VK_OEM_1, 0x27, ';', u";"},
      {VK_OEM_7, 0x28, '\'', u"'"},
      {VK_OEM_3, 0x29, '`', u"`"},
      {VK_OEM_5, 0x2B, '\\', u"\\"},
      {VK_OEM_COMMA, 0x33, ',', u","},
      {VK_OEM_PERIOD, 0x34, '.', u"."},
      {VK_OEM_2, 0x35, '/', u"/"},
      {VK_OEM_102, 0x56, '\\', u"\\"},
      {VK_ESCAPE, 0x01, 0x1B, u"Esc"},
      {VK_BACK, 0x0E, 8, u"Backspace"},
      {VK_TAB, 0x0F, 9, u"Tab"},
      {VK_RETURN, 0x1C, 13, u"Enter"},
      {VK_SPACE, 0x39, ' ', u"Space"},
      {VK_SHIFT, 0x2A, 0, u"Shift"},
      {VK_LSHIFT, 0x2A, 0, u"Shift"},
      {VK_RSHIFT, 0x36, 0, u"Right Shift"},
      {VK_CONTROL, 0x1D, 0, u"Ctrl"},
      {VK_RCONTROL, 0x1D, 0, u"Ctrl"},
      {VK_MENU, 0x38, 0, u"Alt"},
      {VK_CAPITAL, 0x3A, 0, u"Caps Lock"},
      {VK_F1, 0x3B, 0, u"F1"},
      {VK_F1 + 9, 0x44, 0, u"F10"},
      {VK_F1 + 10, 0x57, 0, u"F11"},
      {VK_F1 + 11, 0x58, 0, u"F12"},
      {VK_F1 + 12, 0x64, 0, u"F13"},
      {VK_F1 + 23, 0x76, 0, u"F24"},
      {VK_SCROLL, 0x46, 0, u"Scroll Lock"},
      // The numeric pad: its digits and signs write characters; alone, its scan codes name the
      // pad's keys, so the cursor keys that share them take those names too.
      {VK_NUMPAD0, 0x52, '0', u"Num 0"},
      {VK_NUMPAD7, 0x47, '7', u"Num 7"},
      {VK_NUMPAD5, 0x4C, '5', u"Num 5"},
      {VK_MULTIPLY, 0x37, '*', u"Num *"},
      {VK_ADD, 0x4E, '+', u"Num +"},
      {VK_SUBTRACT, 0x4A, '-', u"Num -"},
      {VK_DECIMAL, 0x53, '.', u"Num Del"},
      {VK_DIVIDE, 0x35, '/', u"/"},
      {VK_HOME, 0x47, 0, u"Num 7"},
      {VK_UP, 0x48, 0, u"Num 8"},
      {VK_PRIOR, 0x49, 0, u"Num 9"},
      {VK_LEFT, 0x4B, 0, u"Num 4"},
      {VK_RIGHT, 0x4D, 0, u"Num 6"},
      {VK_END, 0x4F, 0, u"Num 1"},
      {VK_DOWN, 0x50, 0, u"Num 2"},
      {VK_NEXT, 0x51, 0, u"Num 3"},
      {VK_INSERT, 0x52, 0, u"Num 0"},
      {VK_DELETE, 0x53, 0, u"Num Del"},
      {VK_NUMLOCK, 0x45, 0, u"Pause"},
      {VK_PAUSE, 0x45, 0, u"Pause"},
      {VK_SNAPSHOT, 0x54, 0, u"Sys Req"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "vk 0x" << std::hex << c.vk);
    EXPECT_EQ(MapVirtualKeyW(c.vk, MAPVK_VK_TO_VSC), c.scan);
    EXPECT_EQ(MapVirtualKeyA(c.vk, MAPVK_VK_TO_VSC), c.scan);
    EXPECT_EQ(MapVirtualKeyW(c.vk, MAPVK_VK_TO_CHAR), c.ch);
    EXPECT_EQ(NameOf(ScanParam(c.scan)), c.name);
  }
  // Keys the layout does not have.
  for (UINT vk : {0u, 0x07u, 0xFFu, static_cast<UINT>(VK_F1 + 24)}) {
    EXPECT_EQ(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC), 0u) << vk;
    EXPECT_EQ(MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR), 0u) << vk;
  }
  EXPECT_EQ(NameOf(ScanParam(0x7F)), u"");
}

TEST(Keyboard, ExtendedKeysAndSidesHaveNamesOfTheirOwn) {
  struct Case {
    LONG lp;
    const char16_t* name;
  };
  const std::vector<Case> cases = {
      {ScanParam(0x1C, true), u"Num Enter"},
      {ScanParam(0x1D, true), u"Right Ctrl"},
      {ScanParam(0x38, true), u"Right Alt"},
      {ScanParam(0x35, true), u"Num /"},
      {ScanParam(0x37, true), u"Prnt Scrn"},
      {ScanParam(0x45, true), u"Num Lock"},
      {ScanParam(0x46, true), u"Break"},
      {ScanParam(0x47, true), u"Home"},
      {ScanParam(0x48, true), u"Up"},
      {ScanParam(0x49, true), u"Page Up"},
      {ScanParam(0x4B, true), u"Left"},
      {ScanParam(0x4D, true), u"Right"},
      {ScanParam(0x4F, true), u"End"},
      {ScanParam(0x50, true), u"Down"},
      {ScanParam(0x51, true), u"Page Down"},
      {ScanParam(0x52, true), u"Insert"},
      {ScanParam(0x53, true), u"Delete"},
      {ScanParam(0x5B, true), u"Left Windows"},
      {ScanParam(0x5C, true), u"Right Windows"},
      {ScanParam(0x5D, true), u"Application"},
      // Keys without an extended name keep theirs.
      {ScanParam(0x1E, true), u"A"},
      {ScanParam(0x4A, true), u"Num -"},
      // "Do not care" (bit 25) leaves the side out.
      {ScanParam(0x36) | (1 << 25), u"Shift"},
      {ScanParam(0x1D, true) | (1 << 25), u"Ctrl"},
      {ScanParam(0x38, true) | (1 << 25), u"Alt"},
      // The count of a key press (low word) and the other flags change nothing.
      {ScanParam(0x1E) | 1 | (1 << 29) | (1 << 30), u"A"},
  };
  for (const auto& c : cases) EXPECT_EQ(NameOf(c.lp), c.name) << std::hex << c.lp;
}

TEST(Keyboard, ScanCodesBackToKeys) {
  struct Case {
    UINT scan;
    UINT vk;    // mode 1
    UINT vkEx;  // mode 3: sides told apart
  };
  const std::vector<Case> cases = {
      {0x1E, 'A', 'A'},
      {0x02, '1', '1'},
      {0x27, VK_OEM_1, VK_OEM_1},
      {0x35, VK_OEM_2, VK_OEM_2},
      {0x2A, VK_SHIFT, VK_LSHIFT},
      {0x36, VK_SHIFT, VK_RSHIFT},
      {0x1D, VK_CONTROL, VK_LCONTROL},
      {0x38, VK_MENU, VK_LMENU},
      {0x47, VK_HOME, VK_HOME},
      {0x52, VK_INSERT, VK_INSERT},
      {0x45, VK_NUMLOCK, VK_NUMLOCK},
      {0x3B, VK_F1, VK_F1},
      {0x7F, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MapVirtualKeyW(c.scan, MAPVK_VSC_TO_VK), c.vk) << std::hex << c.scan;
    EXPECT_EQ(MapVirtualKeyW(c.scan, MAPVK_VSC_TO_VK_EX), c.vkEx) << std::hex << c.scan;
  }
  // The extended scan codes (E0 in the high byte) of the right-hand keys.
  EXPECT_EQ(MapVirtualKeyW(0xE01D, MAPVK_VSC_TO_VK_EX), static_cast<UINT>(VK_RCONTROL));
  EXPECT_EQ(MapVirtualKeyW(0xE038, MAPVK_VSC_TO_VK_EX), static_cast<UINT>(VK_RMENU));
  EXPECT_EQ(MapVirtualKeyW(0xE035, MAPVK_VSC_TO_VK_EX), static_cast<UINT>(VK_DIVIDE));
  // Round trip: every key with a scan code comes back from it (the pad's digits, the
  // side-specific and the shared keys apart).
  for (UINT vk = 1; vk < 0xFF; ++vk) {
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    if (!scan || (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) || (vk >= VK_LSHIFT && vk <= VK_RMENU)) continue;
    if (vk == VK_DECIMAL || vk == VK_PAUSE || vk == VK_DIVIDE || vk == VK_CANCEL || vk == VK_LWIN || vk == VK_RWIN ||
        vk == VK_APPS)
      continue;
    EXPECT_EQ(MapVirtualKeyW(scan, MAPVK_VSC_TO_VK), vk) << std::hex << vk;
  }
}

TEST(Keyboard, BuffersCharactersOfTheAnsiCallsAndTheKeyOfACharacter) {
  // A buffer too small takes what fits and its terminator.
  EXPECT_EQ(NameOf(ScanParam(0x3A), 5), u"Caps");
  EXPECT_EQ(GetKeyNameTextW(ScanParam(0x3A), nullptr, 10), 0);
  WCHAR one[1] = {u'x'};
  EXPECT_EQ(GetKeyNameTextW(ScanParam(0x3A), one, 1), 0);
  EXPECT_EQ(one[0], 0);
  char ansi[32] = {};
  EXPECT_EQ(GetKeyNameTextA(ScanParam(0x49, true), ansi, sizeof ansi), 7);
  EXPECT_STREQ(ansi, "Page Up");
  EXPECT_EQ(GetKeyNameTextA(ScanParam(0x49, true), ansi, 5), 4);
  EXPECT_STREQ(ansi, "Page");
  // The key of a character, with Shift (high byte 1) where it needs it.
  struct Case {
    char16_t ch;
    SHORT key;
  };
  const std::vector<Case> cases = {
      {u'a', 'A'}, {u'A', 0x100 | 'A'}, {u'7', '7'}, {u'&', 0x100 | '7'}, {u';', VK_OEM_1}, {u':', 0x100 | VK_OEM_1},
      {u'"', 0x100 | VK_OEM_7}, {u'~', 0x100 | VK_OEM_3}, {u' ', VK_SPACE}, {u'\r', VK_RETURN}, {u'\x3042', -1},
  };
  for (const auto& c : cases) EXPECT_EQ(VkKeyScanW(c.ch), c.key) << static_cast<int>(c.ch);
  EXPECT_EQ(VkKeyScanA('_'), 0x100 | VK_OEM_MINUS);
  EXPECT_EQ(VkKeyScanA('\x82'), -1);
}

std::vector<LPARAM> g_key_params;
LRESULT CALLBACK KeyRecorder(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) g_key_params.push_back(lp);
  return DefWindowProcW(h, msg, wp, lp);
}

TEST(Keyboard, KeyMessagesNameTheirKeys) {
  winplat::screen::SetBackend(nullptr);
  winplat::screen::ResetKeyState();
  WNDCLASSW wc{};
  wc.lpfnWndProc = KeyRecorder;
  wc.lpszClassName = u"KeyNameRecorder";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND w = CreateWindowExW(0, u"KeyNameRecorder", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  SetFocus(w);
  winplat::user::PumpMessages();
  struct Case { UINT vk; const char16_t* name; };
  const std::vector<Case> cases = {
      {VK_LSHIFT, u"Shift"}, {VK_RSHIFT, u"Right Shift"}, {VK_LCONTROL, u"Ctrl"}, {VK_RCONTROL, u"Right Ctrl"},
      {VK_RMENU, u"Right Alt"}, {'Q', u"Q"}, {VK_F5, u"F5"}, {VK_OEM_1, u";"},
  };
  for (const auto& c : cases) {
    g_key_params.clear();
    winplat::screen::Headless()->PressKey(c.vk);
    winplat::user::PumpMessages();
    ASSERT_EQ(g_key_params.size(), 1u) << c.vk;
    EXPECT_EQ(NameOf(g_key_params[0]), c.name) << c.vk;
  }
  DestroyWindow(w);
  winplat::user::PumpMessages();
  winplat::screen::ResetKeyState();
}

}  // namespace
