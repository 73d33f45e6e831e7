// Helpers of the menu tests: where the bar's items and the drop-downs' items are on the screen,
// the menu windows open, and the user scripted while a menu loop waits.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "windows.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace menu_test {

// The visible menu windows, the first opened first.
inline std::vector<HWND> MenuWindows() {
  std::vector<HWND> all;
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, u"#32768", nullptr)) != nullptr)
    if (IsWindowVisible(w)) all.insert(all.begin(), w);
  return all;
}

// The bar in screen coordinates: between the frame's sides, just above the client area.
inline RECT BarRect(HWND form) {
  RECT wr;
  GetWindowRect(form, &wr);
  POINT c{0, 0};
  ClientToScreen(form, &c);
  const int frame = c.x - wr.left;
  return RECT{wr.left + frame, c.y - GetSystemMetrics(SM_CYMENU), wr.right - frame, c.y};
}

inline int MenuTextWidth(const std::u16string& t) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT r{0, 0, 0, 0};
  if (!t.empty()) DrawTextW(dc, t.data(), static_cast<int>(t.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return r.right - r.left;
}

// A point a little inside the bar's text item `index` (6 pixels of space either side of a text).
inline POINT BarItemPoint(HWND form, int index) {
  const RECT bar = BarRect(form);
  HMENU m = GetMenu(form);
  int x = bar.left;
  for (int i = 0; i < index; ++i) {
    char16_t text[128] = {};
    const int n = GetMenuStringW(m, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    x += MenuTextWidth(std::u16string(text, static_cast<size_t>(n))) + 12;
  }
  return POINT{x + 8, (bar.top + bar.bottom) / 2};
}

// The height of a text item of a drop-down.
inline int TextItemHeight() {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, u" ", 1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return std::max<int>(r.bottom - r.top + 6, 19);
}

// The middle of item `index` of the open drop-down `level`, when the items before it are text
// items (3 pixels of frame above the first).
inline POINT DropDownItemPoint(int level, int index) {
  const std::vector<HWND> w = MenuWindows();
  if (level >= static_cast<int>(w.size())) return POINT{-1, -1};
  RECT r;
  GetWindowRect(w[static_cast<size_t>(level)], &r);
  const int h = TextItemHeight();
  return POINT{r.left + 30, r.top + 3 + index * h + h / 2};
}

// Each time a menu loop waits, the next step runs once; after the last, Escape until it ends.
inline void Script(std::vector<std::function<void()>> steps) {
  auto shared = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
  auto next = std::make_shared<size_t>(0);
  winplat::user::SetModalIdleHandler([shared, next](HWND) {
    if (*next < shared->size()) (*shared)[(*next)++]();
    else winplat::screen::Headless()->PressKey(VK_ESCAPE);
  });
}

// 0x00RRGGBB, as the screen's pixels are read.
inline uint32_t ScreenRGB(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

}  // namespace menu_test
