// The menu bar in a window's frame: one row of items between the caption and the client area,
// drawn with the frame and found by the hit test (HTMENU). The loop that opens its drop-downs
// is the pop-up tracker's (menus_popup.cpp).
#include <algorithm>

#include "user/menus_internal.h"

namespace winplat::user {
namespace {

constexpr int kBarPad = 6;  // space left and right of a bar item's text

struct Hot {
  HWND wnd = nullptr;
  int item = -1;
} g_hot;

// The text's width with its "&" marks taken as underlines.
int TextWidth(HDC dc, const std::u16string& t) {
  if (t.empty()) return 0;
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, t.data(), static_cast<int>(t.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return r.right - r.left;
}

UINT OwnerDrawState(const MenuItemRecord& it, bool hot) {
  return (hot ? ODS_SELECTED : 0) | ((it.state & MF_GRAYED) ? ODS_GRAYED : 0) |
         ((it.state & MF_DISABLED) ? ODS_DISABLED : 0) | ((it.state & MF_CHECKED) ? ODS_CHECKED : 0) |
         ((it.state & MF_DEFAULT) ? ODS_DEFAULT : 0);
}

}  // namespace

int MenuBarHeight(HWND h) {
  auto w = PeekWnd(h);
  if (!w || (w->style & WS_CHILD) || !GetMenu(h)) return 0;
  return GetSystemMetrics(SM_CYMENU);
}

RECT MenuBarRect(HWND h) {
  auto w = PeekWnd(h);
  const int height = MenuBarHeight(h);
  if (!w || height == 0) return RECT{0, 0, 0, 0};
  // The bar lies inside the frame and the caption, outside the client edge.
  const RECT in = FrameInsets(w->style & ~(WS_VSCROLL | WS_HSCROLL), w->exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
  const int width = w->rect.right - w->rect.left;
  RECT r{in.left, in.top, std::max<LONG>(in.left, width - in.right), in.top + height};
  return r;
}

std::vector<RECT> MenuBarItemRects(HWND h) {
  std::vector<RECT> rects;
  const RECT bar = MenuBarRect(h);
  if (bar.bottom == bar.top) return rects;
  auto m = GetMenuObject(GetMenu(h));
  if (!m) return rects;
  // A copy: measuring calls the window, which may change the menu.
  const std::vector<MenuItemRecord> items = m->items;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  int x = bar.left;
  for (const auto& it : items) {
    int width = 0;
    if (it.type & MFT_OWNERDRAW) {
      MEASUREITEMSTRUCT mis{ODT_MENU, 0, it.id, 0, static_cast<UINT>(bar.bottom - bar.top), it.data};
      SendW(h, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
      width = static_cast<int>(mis.itemWidth);
    } else if (it.type & MFT_SEPARATOR) {
      width = kBarPad;
    } else {
      width = TextWidth(dc, it.text) + 2 * kBarPad;
    }
    rects.push_back(RECT{x, bar.top, x + width, bar.bottom});
    x += width;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return rects;
}

int MenuBarItemAt(HWND h, POINT screen) {
  const POINT o = WindowOrigin(h);
  const POINT p{screen.x - o.x, screen.y - o.y};
  const RECT bar = MenuBarRect(h);
  if (!PtInRect(&bar, p)) return -1;
  const std::vector<RECT> rects = MenuBarItemRects(h);
  for (size_t i = 0; i < rects.size(); ++i)
    if (PtInRect(&rects[i], p)) return static_cast<int>(i);
  return -1;
}

void PaintMenuBar(HWND h, HDC dc) {
  RECT bar = MenuBarRect(h);
  if (bar.bottom == bar.top) return;
  HMENU menu = GetMenu(h);
  const std::vector<RECT> rects = MenuBarItemRects(h);
  auto m = GetMenuObject(menu);
  if (!m) return;
  const std::vector<MenuItemRecord> items = m->items;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
  FillRect(dc, &bar, GetSysColorBrush(COLOR_MENU));
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0; i < items.size() && i < rects.size(); ++i) {
    const MenuItemRecord& it = items[i];
    RECT r = rects[i];
    if (r.left >= bar.right) break;
    const bool hot = g_hot.wnd == h && g_hot.item == static_cast<int>(i);
    if (it.type & MFT_OWNERDRAW) {
      DRAWITEMSTRUCT dis{ODT_MENU, 0, it.id, ODA_DRAWENTIRE, OwnerDrawState(it, hot), reinterpret_cast<HWND>(menu), dc, r, it.data};
      const int inner = SaveDC(dc);
      SendW(h, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
      RestoreDC(dc, inner);
      continue;
    }
    if (it.type & MFT_SEPARATOR) continue;
    const bool enabled = !(it.state & (MF_GRAYED | MF_DISABLED));
    if (hot) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, !enabled ? GetSysColor(COLOR_GRAYTEXT) : hot ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_MENUTEXT));
    DrawTextW(dc, it.text.data(), static_cast<int>(it.text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  RestoreDC(dc, saved);
}

void SetMenuBarHot(HWND h, int item) {
  if (g_hot.wnd == h && g_hot.item == item) return;
  const HWND before = g_hot.wnd;
  g_hot = Hot{item >= 0 ? h : nullptr, item};
  if (before && before != h && IsWindow(before)) {
    if (HDC dc = GetWindowDC(before)) {
      PaintMenuBar(before, dc);
      ReleaseDC(before, dc);
    }
  }
  if (IsWindow(h)) {
    if (HDC dc = GetWindowDC(h)) {
      PaintMenuBar(h, dc);
      ReleaseDC(h, dc);
    }
  }
}

int MenuMnemonicItem(HMENU menu, char16_t ch) {
  auto m = GetMenuObject(menu);
  if (!m || ch == 0) return -1;
  auto fold = [](char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c >= u'ａ' && c <= u'ｚ') return static_cast<char16_t>(c - 32);
    return c;
  };
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItemRecord& it = m->items[i];
    if (it.type & (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP)) continue;
    const std::u16string& s = it.text;
    // The first "&" that marks a character counts; "&&" is a literal "&".
    char16_t marked = 0;
    for (size_t k = 0; k + 1 < s.size() && !marked; ++k) {
      if (s[k] != u'&') continue;
      if (s[k + 1] != u'&') marked = s[k + 1];
      ++k;
    }
    if (marked && fold(marked) == fold(ch)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace winplat::user
