// The fixture of the control window tests: a parent window on the headless screen that
// records the notifications and owner-draw requests of its children.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "canvas.h"
#include "commctrl.h"
#include "windows.h"
#include "winplat_mode.h"
#include "winplat_screen.h"
#include "winplat_user.h"
#include "wintext.h"

struct Command {
  int id;
  int code;
  HWND from;
};
inline std::vector<Command> g_commands;
inline std::vector<DRAWITEMSTRUCT> g_drawn;
inline std::vector<ULONG_PTR> g_deleted;
// The height the parent gives owner-drawn items: g_measure(item) when set, else 21.
inline int (*g_measure)(UINT index) = nullptr;

inline LRESULT CALLBACK ParentProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) g_commands.push_back({LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)});
  if (msg == WM_DRAWITEM) {
    g_drawn.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
    return TRUE;
  }
  if (msg == WM_MEASUREITEM) {
    auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
    mi->itemHeight = g_measure ? static_cast<UINT>(g_measure(mi->itemID)) : 21;
    return TRUE;
  }
  if (msg == WM_DELETEITEM) g_deleted.push_back(reinterpret_cast<DELETEITEMSTRUCT*>(lp)->itemData);
  return DefWindowProcW(h, msg, wp, lp);
}

class ControlWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    InitCommonControls();
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = ParentProc;
      wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      wc.lpszClassName = u"ControlTestParent";
      ASSERT_NE(RegisterClassW(&wc), 0);
      registered = true;
    }
    parent = CreateWindowExW(0, u"ControlTestParent", u"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    g_commands.clear();
    g_measure = nullptr;
    winplat::user::PumpMessages();
  }
  void TearDown() override {
    DestroyWindow(parent);
    winplat::user::PumpMessages();
    winplat::screen::ResetKeyState();
  }
  HWND Child(const char16_t* cls, const char16_t* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    EXPECT_NE(c, nullptr) << "class " << static_cast<int>(cls[0]);
    return c;
  }
  static void Pump() { winplat::user::PumpMessages(); }
  static winplat::screen::HeadlessBackend& Screen() { return *winplat::screen::Headless(); }
  int CountCommands(int id, int code) const {
    int n = 0;
    for (auto& c : g_commands) n += c.id == id && c.code == code;
    return n;
  }
  // Saves the screen's pixels under a window as a PNG in the work folder (and in
  // $VSE_KEEP_SHOTS when set); answers the whole screen's pixels and width.
  static std::vector<uint32_t> SaveWindowShot(HWND wnd, const std::string& name, int* screenWidth = nullptr) {
    int w = 0, h = 0;
    std::vector<uint32_t> px = Screen().Screenshot(&w, &h);
    RECT wr;
    GetWindowRect(wnd, &wr);
    EXPECT_GT(wr.right, wr.left);
    int cw = wr.right - wr.left, ch = wr.bottom - wr.top;
    std::vector<uint32_t> crop(static_cast<size_t>(cw) * ch);
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x)
        crop[static_cast<size_t>(y) * cw + x] = px[static_cast<size_t>(y + wr.top) * w + x + wr.left];
    EXPECT_TRUE(SavePixelsPng(name, cw, ch, crop.data()));
    if (const char* keep = std::getenv("VSE_KEEP_SHOTS")) SavePixelsPng(std::string(keep) + "/" + name, cw, ch, crop.data());
    if (screenWidth) *screenWidth = w;
    return px;
  }
  // A scroll bar's range end, page and position.
  static std::array<int, 3> ScrollBar(HWND wnd, int bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(wnd, bar, &si);
    return {si.nMax, static_cast<int>(si.nPage), si.nPos};
  }
  HWND parent = nullptr;
};


// The same with the fixed-metric test font: font_ is 10 pixels (rows 10 high, half-width
// characters 5 wide, full-width ones 10).
class TestFontControls : public ControlWindows {
 protected:
  void SetUp() override {
    ControlWindows::SetUp();
    was_ = winplat::gdi::UseTestFontForAll(true);
    font_ = CreateFontW(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"VSE Test Fixed");
  }
  void TearDown() override {
    ControlWindows::TearDown();
    DeleteObject(font_);
    winplat::gdi::UseTestFontForAll(was_);
  }
  HFONT font_ = nullptr;
  bool was_ = false;
};
