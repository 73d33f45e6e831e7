// The Windows 9x-like ANSI-only platform: the W calls it lacks fail and are counted, the ones it
// had keep working, and an ANSI program's windows are ANSI. Also the A/W identity of built-in
// control windows on the Unicode platform.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "commctrl.h"
#include "commdlg.h"
#include "test_support.h"
#include "windows.h"
#include "winplat_mode.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

std::vector<std::pair<int, int>> g_commands;  // id, code

LRESULT CALLBACK AnsiParentProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) g_commands.push_back({LOWORD(wp), HIWORD(wp)});
  return DefWindowProcA(h, msg, wp, lp);
}

class AnsiPlatform : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    static bool registered = false;
    if (!registered) {
      registered = true;
      WNDCLASSA wc{};
      wc.lpfnWndProc = AnsiParentProc;
      wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      wc.lpszClassName = "AnsiParent";
      ASSERT_NE(RegisterClassA(&wc), 0);
    }
    g_commands.clear();
    winplat::ResetWideCallViolations();
  }
  void TearDown() override {
    winplat::SetAnsiOnlyPlatform(false);
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    winplat::user::PumpMessages();
    winplat::screen::SetMessageBoxAnswerer({});
  }
  HWND Made(HWND h) {
    made_.push_back(h);
    return h;
  }
  std::vector<HWND> made_;
};

TEST_F(AnsiPlatform, WideCallsItLackedFailAndAreCounted) {
  HWND top = Made(CreateWindowExA(0, "AnsiParent", "t", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr));
  HDC dc = GetDC(top);
  LOGFONTW lf{};
  lf.lfHeight = 12;
  RECT r{0, 0, 40, 20};
  TEXTMETRICW tm{};
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"NeverRegistered";
  MSG msg{};
  char16_t buffer[16];
  const DLGTEMPLATE* noTemplate = nullptr;
  HMENU menu = CreatePopupMenu();
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  struct Case {
    const char* name;
    std::function<bool()> refused;  // true when the call answered its failure value
  };
  const std::vector<Case> cases = {
      {"CreateWindowExW", [&] { return !CreateWindowExW(0, u"AnsiParent", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr); }},
      {"RegisterClassW", [&] { return RegisterClassW(&wc) == 0; }},
      {"SendMessageW", [&] { return SendMessageW(top, WM_GETTEXTLENGTH, 0, 0) == 0; }},
      {"PostMessageW", [&] { return !PostMessageW(top, WM_NULL, 0, 0); }},
      {"PeekMessageW", [&] { return !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); }},
      {"DefWindowProcW", [&] { return DefWindowProcW(top, WM_GETTEXTLENGTH, 0, 0) == 0; }},
      {"CallWindowProcW", [&] { return CallWindowProcW(DefWindowProcW, top, WM_GETTEXTLENGTH, 0, 0) == 0; }},
      {"SetWindowTextW", [&] { return !SetWindowTextW(top, u"x"); }},
      {"GetWindowTextW", [&] { return GetWindowTextW(top, buffer, 16) == 0; }},
      {"GetWindowLongPtrW", [&] { return GetWindowLongPtrW(top, GWL_STYLE) == 0; }},
      {"SetPropW", [&] { return !SetPropW(top, u"p", top); }},
      {"GlobalAddAtomW", [&] { return GlobalAddAtomW(u"atom") == 0; }},
      {"RegisterWindowMessageW", [&] { return RegisterWindowMessageW(u"m") == 0; }},
      {"RegisterClipboardFormatW", [&] { return RegisterClipboardFormatW(u"f") == 0; }},
      {"LoadCursorW", [&] { return !LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); }},
      {"SetWindowsHookExW", [&] { return !SetWindowsHookExW(WH_GETMESSAGE, nullptr, nullptr, 0); }},
      {"DialogBoxIndirectParamW", [&] { return DialogBoxIndirectParamW(nullptr, noTemplate, top, nullptr, 0) == 0; }},
      {"DrawTextW", [&] { return DrawTextW(dc, u"a", 1, &r, 0) == 0; }},
      {"GetTextMetricsW", [&] { return !GetTextMetricsW(dc, &tm); }},
      {"CreateFontIndirectW", [&] { return !CreateFontIndirectW(&lf); }},
      {"GetObjectW", [&] { return GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(LOGFONTW), &lf) == 0; }},
      {"CreateFontW", [&] { return !CreateFontW(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u"x"); }},
      {"AppendMenuW", [&] { return !AppendMenuW(menu, MF_STRING, 1, u"x"); }},
      {"GetOpenFileNameW", [&] { return !GetOpenFileNameW(&ofn); }},
      {"CreateFileW", [&] { return CreateFileW(u"x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) == INVALID_HANDLE_VALUE; }},
  };
  winplat::SetAnsiOnlyPlatform(true);
  unsigned expected = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetLastError(0);
    EXPECT_TRUE(c.refused());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_EQ(winplat::WideCallViolations(), ++expected);
  }
  winplat::SetAnsiOnlyPlatform(false);
  ReleaseDC(top, dc);
  DestroyMenu(menu);
}

TEST_F(AnsiPlatform, WideCallsItHadKeepWorking) {
  HWND top = Made(CreateWindowExA(0, "AnsiParent", "t", WS_POPUP, 0, 0, 80, 40, nullptr, nullptr, nullptr, nullptr));
  winplat::SetAnsiOnlyPlatform(true);
  HDC dc = GetDC(top);
  SIZE size{};
  int fit = 0;
  EXPECT_TRUE(TextOutW(dc, 0, 0, u"ab", 2));
  EXPECT_TRUE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"ab", 2, nullptr));
  EXPECT_TRUE(GetTextExtentPoint32W(dc, u"ab", 2, &size));
  EXPECT_GT(size.cx, 0);
  EXPECT_TRUE(GetTextExtentPointW(dc, u"ab", 2, &size));
  EXPECT_TRUE(GetTextExtentExPointW(dc, u"ab", 2, 1000, &fit, nullptr, &size));
  EXPECT_EQ(fit, 2);
  ReleaseDC(top, dc);
  EXPECT_EQ(lstrlenW(u"abc"), 3);
  char16_t wide[8]{};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x8D\x95", -1, wide, 8), 2);
  EXPECT_EQ(wide[0], u'\u9ed2');
  char narrow[8]{};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u9ed2", -1, narrow, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(narrow, "\x8D\x95");
  std::u16string seenCaption;
  winplat::screen::SetMessageBoxAnswerer([&](const winplat::screen::MessageBoxRequest& r) {
    seenCaption = r.caption;
    return IDOK;
  });
  EXPECT_EQ(MessageBoxW(top, u"text", u"caption", MB_OK), IDOK);
  EXPECT_EQ(seenCaption, u"caption");
  EXPECT_EQ(winplat::WideCallViolations(), 0u);
}

// An ANSI program on the ANSI platform: its controls are ANSI windows, they take typed Japanese
// text, paint it and notify the parent, and nothing it does needs a W call.
TEST_F(AnsiPlatform, AnAnsiProgramRunsWithoutWideCalls) {
  winplat::SetAnsiOnlyPlatform(true);
  HWND top = Made(CreateWindowExA(0, "AnsiParent", "\x8D\x95\x94\xC2", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                  240, 90, nullptr, nullptr, nullptr, nullptr));
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 220, 24, top,
                              reinterpret_cast<HMENU>(301), nullptr, nullptr);
  HWND button = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 45, 80, 28, top,
                                reinterpret_cast<HMENU>(302), nullptr, nullptr);
  ASSERT_TRUE(edit && button);
  for (HWND h : {top, edit, button}) EXPECT_FALSE(IsWindowUnicode(h));
  winplat::user::PumpMessages();
  SetFocus(edit);
  auto screen = winplat::screen::Headless();
  screen->TypeText(u"\u9ed2\u677f \U00020B9F!");  // 黒板, a character outside the code page
  winplat::user::PumpMessages();
  char text[32]{};
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "\x8D\x95\x94\xC2 ??!");  // one default character per half of the pair
  screen->Click(30, 55);
  winplat::user::PumpMessages();
  EXPECT_NE(std::find(g_commands.begin(), g_commands.end(), std::make_pair(302, static_cast<int>(BN_CLICKED))),
            g_commands.end());
  EXPECT_TRUE(test_support::WriteScreenshotPng("ansi_platform_edit.png"));
  winplat::screen::SetMessageBoxAnswerer([](const winplat::screen::MessageBoxRequest&) { return IDYES; });
  EXPECT_EQ(MessageBoxA(top, "\x95\xDB\x91\xB6", "Vel", MB_YESNO), IDYES);
  EXPECT_EQ(winplat::WideCallViolations(), 0u);
}

TEST(ControlIdentity, ControlsMadeByTheACallAreAnsiWindows) {
  winplat::screen::SetBackend(nullptr);
  HWND a1 = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  HWND a2 = CreateWindowExA(0, "edit", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  HWND w = CreateWindowExW(0, u"EDIT", u"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(IsWindowUnicode(a1));
  EXPECT_TRUE(IsWindowUnicode(w));
  // One ANSI procedure for the class, distinct from the Unicode one.
  EXPECT_EQ(GetWindowLongPtrA(a1, GWLP_WNDPROC), GetWindowLongPtrA(a2, GWLP_WNDPROC));
  EXPECT_NE(GetWindowLongPtrW(a1, GWLP_WNDPROC), GetWindowLongPtrW(w, GWLP_WNDPROC));

  // Wide text reaching an ANSI window passes through the code page; a Unicode one keeps it all.
  const std::u16string sent = u"\u9ed2\u677f caf\u00e9 \u0101";
  const std::u16string throughCodePage = u"\u9ed2\u677f cafe ?";  // best fit, or the default character
  char16_t back[32]{};
  SendMessageW(a1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sent.c_str()));
  GetWindowTextW(a1, back, 32);
  EXPECT_EQ(std::u16string(back), throughCodePage);
  SendMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sent.c_str()));
  GetWindowTextW(w, back, 32);
  EXPECT_EQ(std::u16string(back), sent);
  // ANSI text into the ANSI edit and back, byte for byte.
  SetWindowTextA(a1, "\x8D\x95\x94\xC2");
  char bytes[16]{};
  EXPECT_EQ(SendMessageA(a1, WM_GETTEXTLENGTH, 0, 0), 4);
  GetWindowTextA(a1, bytes, 16);
  EXPECT_STREQ(bytes, "\x8D\x95\x94\xC2");
  // A wide character arrives as its two bytes and is put together again.
  SetWindowTextA(a1, "");
  SendMessageW(a1, WM_CHAR, 0x677F, 0);
  GetWindowTextW(a1, back, 32);
  EXPECT_EQ(std::u16string(back), u"\u677f");

  // Subclassing through the A calls keeps the window ANSI and reaches the class's procedure.
  static WNDPROC s_old = nullptr;
  static std::vector<UINT> s_seen;
  s_old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(a1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(
      +[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        s_seen.push_back(m);
        return CallWindowProcA(s_old, h, m, wp, lp);
      })));
  EXPECT_FALSE(IsWindowUnicode(a1));
  SetWindowTextA(a1, "ab");
  EXPECT_EQ(GetWindowTextLengthA(a1), 2);
  EXPECT_NE(std::find(s_seen.begin(), s_seen.end(), static_cast<UINT>(WM_SETTEXT)), s_seen.end());
  // A Unicode procedure put in makes it a Unicode window.
  static WNDPROC s_oldW = nullptr;
  s_oldW = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(a2, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(
      +[](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT { return CallWindowProcW(s_oldW, h, m, wp, lp); })));
  EXPECT_TRUE(IsWindowUnicode(a2));
  SendMessageW(a2, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sent.c_str()));
  GetWindowTextW(a2, back, 32);
  EXPECT_EQ(std::u16string(back), throughCodePage);  // the class procedure behind it is still the ANSI one
  for (HWND h : {a1, a2, w}) DestroyWindow(h);
}

}  // namespace
