// TrackPopupMenu: a pop-up menu in a window of its own ("#32768"), sub-menus opening beside
// their items, owner-drawn items measured and drawn by the owner window, the mouse captured and
// the keyboard read by the menu's own modal loop.
#include <algorithm>

#include "user/menus_internal.h"
#include "winerror.h"
#include "winplat_screen.h"

namespace winplat::user {
namespace {

constexpr int kFrame = 3;        // the menu window's edge
constexpr int kCheckColumn = 20;  // check mark, left of the text
constexpr int kArrowColumn = 20;  // sub-menu arrow, right of the shortcut
constexpr int kSeparatorHeight = 9;

struct Level {
  HMENU menu = nullptr;
  HWND wnd = nullptr;
  std::vector<RECT> rects;  // client coordinates of the level's window
  int selected = -1;
  SIZE size{0, 0};
};

struct Tracker {
  HWND owner = nullptr;
  UINT flags = 0;
  std::vector<Level> levels;
  bool done = false;
  UINT chosen = 0;
  // The loop of a window's menu bar: the bar, its selected item (its drop-down open while
  // `levels` holds it) and the hidden window that holds the capture and ends the loop when
  // closed.
  HMENU bar = nullptr;
  int barItem = -1;
  HWND anchor = nullptr;
  bool keyboard = false;  // drop-downs opened from the keyboard select their first item
};

Tracker* g_tracker = nullptr;

const MenuItemRecord* ItemOf(const Level& l, int i) {
  auto m = HandleTable::Instance().Get<MenuObject>(l.menu, HandleKind::Menu);
  if (!m || i < 0 || static_cast<size_t>(i) >= m->items.size()) return nullptr;
  return &m->items[static_cast<size_t>(i)];
}

int ItemCount(const Level& l) {
  auto m = HandleTable::Instance().Get<MenuObject>(l.menu, HandleKind::Menu);
  return m ? static_cast<int>(m->items.size()) : 0;
}

bool Selectable(const MenuItemRecord& r) { return !(r.type & MFT_SEPARATOR); }
bool Enabled(const MenuItemRecord& r) { return !(r.state & (MF_GRAYED | MF_DISABLED)); }

// The text before the tab and the shortcut after it.
std::pair<std::u16string, std::u16string> SplitTab(const std::u16string& t) {
  size_t tab = t.find(u'\t');
  if (tab == std::u16string::npos) return {t, {}};
  return {t.substr(0, tab), t.substr(tab + 1)};
}

SIZE TextSize(HDC dc, const std::u16string& t) {
  RECT r{0, 0, 0, 0};
  if (t.empty()) {
    DrawTextW(dc, u" ", 1, &r, DT_CALCRECT | DT_SINGLELINE);
    return SIZE{0, r.bottom - r.top};
  }
  DrawTextW(dc, t.data(), static_cast<int>(t.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void Layout(Tracker& t, Level& l) {
  auto m = HandleTable::Instance().Get<MenuObject>(l.menu, HandleKind::Menu);
  l.rects.clear();
  if (!m) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  std::vector<SIZE> sizes;
  int textW = 0, shortcutW = 0, ownerW = 0;
  // Owner-drawn items start from the height of a text item.
  const UINT textHeight = static_cast<UINT>(std::max<LONG>(TextSize(dc, std::u16string()).cy + 6, 19));
  for (const auto& it : m->items) {
    SIZE s{0, 0};
    if (it.type & MFT_OWNERDRAW) {
      MEASUREITEMSTRUCT mis{ODT_MENU, 0, it.id, 0, textHeight, it.data};
      SendMessageW(t.owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
      s = SIZE{static_cast<LONG>(mis.itemWidth), static_cast<LONG>(mis.itemHeight)};
      ownerW = std::max<int>(ownerW, s.cx);
    } else if (it.type & MFT_SEPARATOR) {
      s = SIZE{0, kSeparatorHeight};
    } else {
      auto [text, shortcut] = SplitTab(it.text);
      SIZE ts = TextSize(dc, text);
      textW = std::max<int>(textW, ts.cx);
      if (!shortcut.empty()) shortcutW = std::max<int>(shortcutW, TextSize(dc, shortcut).cx);
      s = SIZE{0, std::max<LONG>(ts.cy + 6, 19)};
    }
    sizes.push_back(s);
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int width = kCheckColumn + textW + (shortcutW ? 24 + shortcutW : 0) + kArrowColumn;
  width = std::max(width, ownerW + kCheckColumn);  // owner-drawn items get the check column too
  width = std::max(width, 60);
  int y = kFrame;
  for (const auto& s : sizes) {
    l.rects.push_back(RECT{kFrame, y, kFrame + width, y + s.cy});
    y += s.cy;
  }
  l.size = SIZE{width + 2 * kFrame, y + kFrame};
}

void DrawCheck(HDC dc, const RECT& r, COLORREF c, bool radio) {
  int cx = r.left + kCheckColumn / 2, cy = (r.top + r.bottom) / 2;
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HBRUSH brush = CreateSolidBrush(c);
  HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
  if (radio) {
    Ellipse(dc, cx - 3, cy - 3, cx + 3, cy + 3);
  } else {
    for (int k = 0; k < 2; ++k) {
      POINT p[3] = {{cx - 4, cy - 1 + k}, {cx - 2, cy + 1 + k}, {cx + 3, cy - 4 + k}};
      Polyline(dc, p, 3);
    }
  }
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(pen);
  DeleteObject(brush);
}

void DrawArrow(HDC dc, const RECT& r, COLORREF c) {
  int x = r.right - kArrowColumn / 2 - 2, cy = (r.top + r.bottom) / 2;
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HBRUSH brush = CreateSolidBrush(c);
  HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
  POINT p[3] = {{x, cy - 4}, {x + 4, cy}, {x, cy + 4}};
  Polygon(dc, p, 3);
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(pen);
  DeleteObject(brush);
}

void PaintLevel(Tracker& t, Level& l, HDC dc) {
  RECT all{0, 0, l.size.cx, l.size.cy};
  FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
  DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < static_cast<int>(l.rects.size()); ++i) {
    const MenuItemRecord* it = ItemOf(l, i);
    if (!it) break;
    RECT r = l.rects[static_cast<size_t>(i)];
    bool sel = i == l.selected;
    if (it->type & MFT_OWNERDRAW) {
      UINT state = (sel ? ODS_SELECTED : 0) | ((it->state & MF_GRAYED) ? ODS_GRAYED : 0) |
                   ((it->state & MF_DISABLED) ? ODS_DISABLED : 0) | ((it->state & MF_CHECKED) ? ODS_CHECKED : 0) |
                   ((it->state & MF_DEFAULT) ? ODS_DEFAULT : 0);
      DRAWITEMSTRUCT dis{ODT_MENU, 0, it->id, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(l.menu), dc, r, it->data};
      SendMessageW(t.owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
      continue;
    }
    if (it->type & MFT_SEPARATOR) {
      RECT line{r.left + 1, (r.top + r.bottom) / 2 - 1, r.right - 1, (r.top + r.bottom) / 2 + 1};
      DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
      continue;
    }
    bool enabled = Enabled(*it);
    if (sel) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    COLORREF fg = !enabled ? GetSysColor(COLOR_GRAYTEXT) : sel ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_MENUTEXT);
    SetTextColor(dc, fg);
    if (it->state & MF_CHECKED) DrawCheck(dc, r, fg, (it->type & MFT_RADIOCHECK) != 0);
    auto [text, shortcut] = SplitTab(it->text);
    RECT tr{r.left + kCheckColumn, r.top, r.right - kArrowColumn, r.bottom};
    HFONT bold = nullptr;
    HGDIOBJ prevFont = nullptr;
    if (it->state & MF_DEFAULT) {
      LOGFONTW lf{};
      GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
      lf.lfWeight = FW_BOLD;
      bold = CreateFontIndirectW(&lf);
      prevFont = SelectObject(dc, bold);
    }
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!shortcut.empty())
      DrawTextW(dc, shortcut.data(), static_cast<int>(shortcut.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    if (bold) {
      SelectObject(dc, prevFont);
      DeleteObject(bold);
    }
    if (it->sub) DrawArrow(dc, r, fg);
  }
  SelectObject(dc, oldFont);
}

void Notify(Tracker& t, UINT msg, WPARAM wp, LPARAM lp) {
  if (IsWindow(t.owner)) SendMessageW(t.owner, msg, wp, lp);
}

void CloseLevelsAfter(Tracker& t, size_t keep) {
  while (t.levels.size() > keep) {
    HWND w = t.levels.back().wnd;
    t.levels.pop_back();
    if (IsWindow(w)) DestroyWindow(w);
  }
}

void OpenLevel(Tracker& t, HMENU menu, POINT at, int indexInParent, int alignFlags) {
  Notify(t, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(indexInParent, FALSE));
  Level l;
  l.menu = menu;
  Layout(t, l);
  SIZE screen = screen::CurrentBackend()->DisplaySize();
  int x = at.x, y = at.y;
  if (alignFlags & TPM_RIGHTALIGN) x -= l.size.cx;
  else if (alignFlags & TPM_CENTERALIGN) x -= l.size.cx / 2;
  if (alignFlags & TPM_BOTTOMALIGN) y -= l.size.cy;
  else if (alignFlags & TPM_VCENTERALIGN) y -= l.size.cy / 2;
  x = std::max(0, std::min<int>(x, screen.cx - l.size.cx));
  y = std::max(0, std::min<int>(y, screen.cy - l.size.cy));
  l.wnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, u"#32768", u"", WS_POPUP, x, y, l.size.cx, l.size.cy,
                          t.owner, nullptr, nullptr, nullptr);
  t.levels.push_back(std::move(l));
  if (t.levels.back().wnd) ShowWindow(t.levels.back().wnd, SW_SHOWNOACTIVATE);
}

void Select(Tracker& t, size_t level, int index) {
  Level& l = t.levels[level];
  const MenuItemRecord* it = ItemOf(l, index);
  if (it && !Selectable(*it)) index = -1, it = nullptr;
  if (l.selected == index) return;
  CloseLevelsAfter(t, level + 1);
  l.selected = index;
  InvalidateRect(l.wnd, nullptr, FALSE);
  if (it) {
    UINT flags = (it->state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) | MF_HILITE | (it->sub ? MF_POPUP : 0) |
                 ((it->type & MFT_OWNERDRAW) ? MF_OWNERDRAW : 0);
    UINT item = it->sub ? static_cast<UINT>(index) : it->id;
    Notify(t, WM_MENUSELECT, MAKEWPARAM(item, flags), reinterpret_cast<LPARAM>(l.menu));
  }
}

void OpenSelectedSub(Tracker& t) {
  Level& l = t.levels.back();
  const MenuItemRecord* it = ItemOf(l, l.selected);
  if (!it || !it->sub || !Enabled(*it)) return;
  RECT r = l.rects[static_cast<size_t>(l.selected)];
  POINT at{r.right, r.top - kFrame};
  ClientToScreen(l.wnd, &at);
  HMENU sub = it->sub;
  OpenLevel(t, sub, at, l.selected, 0);
}

void Choose(Tracker& t, const MenuItemRecord& r) {
  t.chosen = r.id;
  t.done = true;
  WakeQueue();
}

void Cancel(Tracker& t) {
  t.chosen = 0;
  t.done = true;
  WakeQueue();
}

// The level and item under a screen point; false when the point is over none of the levels.
bool HitTest(const Tracker& t, POINT screenPt, size_t* level, int* item) {
  for (size_t k = t.levels.size(); k-- > 0;) {
    const Level& l = t.levels[k];
    RECT wr;
    if (!GetWindowRect(l.wnd, &wr) || !PtInRect(&wr, screenPt)) continue;
    POINT p{screenPt.x - wr.left, screenPt.y - wr.top};
    *level = k;
    *item = -1;
    for (size_t i = 0; i < l.rects.size(); ++i)
      if (PtInRect(&l.rects[i], p)) *item = static_cast<int>(i);
    return true;
  }
  return false;
}

void OnMouse(Tracker& t, UINT msg, POINT screenPt) {
  size_t level = 0;
  int item = -1;
  bool over = HitTest(t, screenPt, &level, &item);
  bool release = msg == WM_LBUTTONUP || (msg == WM_RBUTTONUP && (t.flags & TPM_RIGHTBUTTON));
  bool press = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
  if (!over) {
    if (press) Cancel(t);
    return;
  }
  if (msg == WM_MOUSEMOVE || press) {
    Select(t, level, item);
    if (item >= 0 && t.levels.size() == level + 1) OpenSelectedSub(t);
    return;
  }
  if (release && item >= 0) {
    const MenuItemRecord* it = ItemOf(t.levels[level], item);
    if (it && Selectable(*it) && Enabled(*it) && !it->sub) Choose(t, *it);
  }
}

// The item a typed character names in `menu`: its "&" mnemonic, or what the owner answers to
// WM_MENUCHAR (owner-drawn items have no text of their own). Sets *execute when the item is to
// be chosen at once.
int CharItem(Tracker& t, HMENU menu, char16_t ch, bool popup, bool* execute) {
  *execute = true;
  int i = MenuMnemonicItem(menu, ch);
  if (i >= 0 || !IsWindow(t.owner)) return i;
  const LRESULT r = SendMessageW(t.owner, WM_MENUCHAR, MAKEWPARAM(ch, popup ? MF_POPUP : 0), reinterpret_cast<LPARAM>(menu));
  const UINT how = HIWORD(static_cast<DWORD>(r));
  if (how == MNC_CLOSE) Cancel(t);
  if (how != MNC_EXECUTE && how != MNC_SELECT) return -1;
  *execute = how == MNC_EXECUTE;
  return static_cast<int>(LOWORD(static_cast<DWORD>(r)));
}

void Step(Tracker& t, int dir) {
  Level& l = t.levels.back();
  int n = ItemCount(l);
  if (n == 0) return;
  int i = l.selected;
  for (int k = 0; k < n; ++k) {
    i = i < 0 ? (dir > 0 ? 0 : n - 1) : (i + dir + n) % n;
    const MenuItemRecord* it = ItemOf(l, i);
    if (it && Selectable(*it)) {
      Select(t, t.levels.size() - 1, i);
      return;
    }
  }
}

void Activate(Tracker& t) {
  Level& l = t.levels.back();
  const MenuItemRecord* it = ItemOf(l, l.selected);
  if (!it || !Enabled(*it)) return;
  if (it->sub) {
    OpenSelectedSub(t);
    Step(t, 1);
  } else {
    Choose(t, *it);
  }
}

// ---- the menu bar's loop

const MenuItemRecord* BarItem(const Tracker& t, int i) {
  auto m = HandleTable::Instance().Get<MenuObject>(t.bar, HandleKind::Menu);
  if (!m || i < 0 || static_cast<size_t>(i) >= m->items.size()) return nullptr;
  return &m->items[static_cast<size_t>(i)];
}

// Selects bar item `index` (its drop-down opened when `open`, with its first item selected
// when `first`).
void SelectBar(Tracker& t, int index, bool open, bool first) {
  const MenuItemRecord* it = BarItem(t, index);
  if (!it || !Selectable(*it)) return;
  const bool changed = index != t.barItem;
  CloseLevelsAfter(t, 0);
  t.barItem = index;
  SetMenuBarHot(t.owner, index);
  if (changed) {
    UINT flags = (it->state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) | MF_HILITE | (it->sub ? MF_POPUP : 0) |
                 ((it->type & MFT_OWNERDRAW) ? MF_OWNERDRAW : 0);
    Notify(t, WM_MENUSELECT, MAKEWPARAM(it->sub ? static_cast<UINT>(index) : it->id, flags), reinterpret_cast<LPARAM>(t.bar));
    it = BarItem(t, index);  // the owner may have changed the bar
    if (!it) return;
  }
  if (!open || !it->sub || !Enabled(*it) || t.done) return;
  const std::vector<RECT> rects = MenuBarItemRects(t.owner);
  if (static_cast<size_t>(index) >= rects.size()) return;
  const POINT o = WindowOrigin(t.owner);
  OpenLevel(t, it->sub, POINT{o.x + rects[static_cast<size_t>(index)].left, o.y + rects[static_cast<size_t>(index)].bottom},
            index, TPM_LEFTALIGN);
  if (first && !t.levels.empty()) Step(t, 1);
}

void StepBar(Tracker& t, int dir, bool open) {
  const int n = GetMenuItemCount(t.bar);
  if (n <= 0) return;
  int i = t.barItem;
  for (int k = 0; k < n; ++k) {
    i = i < 0 ? (dir > 0 ? 0 : n - 1) : (i + dir + n) % n;
    const MenuItemRecord* it = BarItem(t, i);
    if (it && Selectable(*it)) {
      SelectBar(t, i, open, t.keyboard);
      return;
    }
  }
}

// Chooses the selected bar item: a command item is chosen, a drop-down opens.
void ActivateBar(Tracker& t) {
  const MenuItemRecord* it = BarItem(t, t.barItem);
  if (!it || !Enabled(*it)) return;
  if (it->sub) SelectBar(t, t.barItem, true, true);
  else Choose(t, *it);
}

// The keys while the bar is selected and no drop-down is open.
bool OnBarKey(Tracker& t, const MSG& m) {
  if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
    switch (m.wParam) {
      case VK_LEFT: StepBar(t, -1, false); break;
      case VK_RIGHT: StepBar(t, 1, false); break;
      case VK_UP:
      case VK_DOWN:
      case VK_RETURN: t.keyboard = true; ActivateBar(t); break;
      case VK_ESCAPE:
      case VK_MENU:
      case VK_F10: Cancel(t); break;
      default:
        if (m.message == WM_SYSKEYDOWN) {
          MSG copy = m;
          TranslateMessage(&copy);
        }
        break;
    }
  } else if (m.message == WM_CHAR || m.message == WM_SYSCHAR) {
    bool execute = true;
    int i = CharItem(t, t.bar, static_cast<char16_t>(m.wParam), false, &execute);
    if (i >= 0 && !t.done) {
      t.keyboard = true;
      SelectBar(t, i, false, false);
      if (execute) ActivateBar(t);
    }
  }
  return true;
}

// Mouse messages while the bar is tracked, wherever they are sent: the point decides.
bool OnBarMouse(Tracker& t, const MSG& m) {
  UINT msg = m.message;
  if (msg >= WM_NCMOUSEMOVE && msg <= WM_NCMBUTTONDBLCLK) msg = msg - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
  else if (msg < WM_MOUSEFIRST || msg > WM_MOUSELAST) return false;
  if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK) --msg;  // a second press
  const int item = MenuBarItemAt(t.owner, m.pt);
  if (item >= 0) {
    const bool press = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN;
    if (msg == WM_MOUSEMOVE) {
      if (item != t.barItem) SelectBar(t, item, !t.levels.empty(), false);
    } else if (press) {
      t.keyboard = false;
      const MenuItemRecord* it = BarItem(t, item);
      if (item == t.barItem && !t.levels.empty()) Cancel(t);  // a second click closes it
      else if (it && !it->sub) SelectBar(t, item, false, false);
      else SelectBar(t, item, true, false);
    } else if (msg == WM_LBUTTONUP && item == t.barItem) {
      const MenuItemRecord* it = BarItem(t, item);
      if (it && !it->sub && Enabled(*it) && Selectable(*it)) Choose(t, *it);
    }
    return true;
  }
  if (msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_RBUTTONDOWN ||
      msg == WM_RBUTTONUP || msg == WM_MBUTTONDOWN)
    OnMouse(t, msg, m.pt);
  return true;
}

// Keyboard messages while a menu is tracked are the menu's.
bool OnKey(Tracker& t, const MSG& m) {
  if (m.message < WM_KEYFIRST || m.message > WM_KEYLAST) return false;
  if (t.bar && t.levels.empty()) return OnBarKey(t, m);
  if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
    switch (m.wParam) {
      case VK_ESCAPE:
        if (t.levels.size() > 1) {
          CloseLevelsAfter(t, t.levels.size() - 1);
          InvalidateRect(t.levels.back().wnd, nullptr, FALSE);
        } else if (t.bar) {
          CloseLevelsAfter(t, 0);  // back to the bar, its item still selected
          t.keyboard = true;
        } else {
          Cancel(t);
        }
        break;
      case VK_UP: Step(t, -1); break;
      case VK_DOWN: Step(t, 1); break;
      case VK_RIGHT: {
        Level& l = t.levels.back();
        const MenuItemRecord* it = ItemOf(l, l.selected);
        if (it && it->sub) {
          OpenSelectedSub(t);
          Step(t, 1);
        } else if (t.bar) {
          t.keyboard = true;
          StepBar(t, 1, true);
        }
        break;
      }
      case VK_LEFT:
        if (t.levels.size() > 1) {
          CloseLevelsAfter(t, t.levels.size() - 1);
        } else if (t.bar) {
          t.keyboard = true;
          StepBar(t, -1, true);
        }
        break;
      case VK_RETURN: Activate(t); break;
      case VK_MENU:
      case VK_F10: Cancel(t); break;
      default:
        if (m.message == WM_SYSKEYDOWN) {
          MSG copy = m;
          TranslateMessage(&copy);  // Alt and a letter: the character comes next
        }
        break;
    }
  } else if (m.message == WM_CHAR || m.message == WM_SYSCHAR) {
    bool execute = true;
    int i = CharItem(t, t.levels.back().menu, static_cast<char16_t>(m.wParam), true, &execute);
    if (i >= 0 && !t.done) {
      Select(t, t.levels.size() - 1, i);
      if (execute) Activate(t);
    }
  }
  return true;
}

LRESULT CALLBACK MenuWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Tracker* t = g_tracker;
  Level* level = nullptr;
  if (t)
    for (auto& l : t->levels)
      if (l.wnd == h) level = &l;
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (t && level) PaintLevel(*t, *level, dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
      if (t && !t->done) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ClientToScreen(h, &p);
        OnMouse(*t, msg, p);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (t && !t->done && ((!t->bar && !t->levels.empty() && t->levels.front().wnd == h) || (t->bar && t->anchor == h)))
        Cancel(*t);
      return 0;
    case WM_CLOSE:
    case WM_CANCELMODE:
      if (t && !t->done) Cancel(*t);
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

void RegisterMenuClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSW wc{};
  wc.style = CS_SAVEBITS | CS_DBLCLKS;
  wc.lpfnWndProc = MenuWindowProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = u"#32768";
  RegisterSystemClassW(wc);
}

}  // namespace
}  // namespace winplat::user

using namespace winplat::user;

BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  if (!GetMenuObject(menu)) return FALSE;
  if (!IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (g_tracker) {  // one menu at a time
    SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
    return FALSE;
  }
  RegisterMenuClass();
  Tracker t;
  t.owner = owner;
  t.flags = flags;
  g_tracker = &t;
  Notify(t, WM_ENTERMENULOOP, TRUE, 0);
  OpenLevel(t, menu, POINT{x, y}, 0, static_cast<int>(flags));
  HWND top = t.levels.empty() ? nullptr : t.levels.front().wnd;
  if (top) {
    SetCapture(top);
    RunModalLoop(top, [&t] { return t.done || t.levels.empty() || !IsWindow(t.levels.front().wnd); },
                 [&t](const MSG& m) { return !t.done && OnKey(t, m); });
  }
  g_tracker = nullptr;
  if (top && GetCapture() == top) ReleaseCapture();
  CloseLevelsAfter(t, 0);
  Notify(t, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  Notify(t, WM_EXITMENULOOP, TRUE, 0);
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(t.chosen);
  if (t.chosen && !(flags & TPM_NONOTIFY) && IsWindow(owner)) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(t.chosen, 0), 0);
  return TRUE;
}

namespace winplat::user {

void TrackMenuBar(HWND h, UINT command, LPARAM lp) {
  HMENU bar = GetMenu(h);
  if (!bar || MenuBarHeight(h) == 0 || g_tracker || GetMenuItemCount(bar) <= 0) return;
  RegisterMenuClass();
  Tracker t;
  t.owner = h;
  t.bar = bar;
  int first = -1;
  bool open = false;
  if (command == SC_MOUSEMENU) {
    first = MenuBarItemAt(h, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
    open = true;
  } else if (lp != 0) {
    // Alt and a letter: that item, its drop-down open (or nothing happens).
    first = MenuMnemonicItem(bar, static_cast<char16_t>(lp));
    if (first < 0) {
      const LRESULT r = SendMessageW(h, WM_MENUCHAR, MAKEWPARAM(static_cast<WORD>(lp), 0), reinterpret_cast<LPARAM>(bar));
      if (HIWORD(static_cast<DWORD>(r)) == MNC_EXECUTE || HIWORD(static_cast<DWORD>(r)) == MNC_SELECT)
        first = static_cast<int>(LOWORD(static_cast<DWORD>(r)));
    }
    if (first < 0) {
      MessageBeep(0);
      return;
    }
    open = true;
    t.keyboard = true;
  } else {
    first = 0;  // Alt or F10: the bar's first item, nothing open
    t.keyboard = true;
  }
  if (first < 0) return;
  t.anchor = CreateWindowExW(WS_EX_TOOLWINDOW, u"#32768", u"", WS_POPUP, 0, 0, 0, 0, h, nullptr, nullptr, nullptr);
  if (!t.anchor) return;
  g_tracker = &t;
  Notify(t, WM_ENTERMENULOOP, FALSE, 0);
  Notify(t, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
  SetCapture(t.anchor);
  if (!t.done) {
    if (BarItem(t, first) && Selectable(*BarItem(t, first))) SelectBar(t, first, open, t.keyboard);
    else StepBar(t, 1, open);
  }
  const HWND anchor = t.anchor;
  RunModalLoop(anchor, [&t] { return t.done || !IsWindow(t.anchor) || !IsWindow(t.owner); },
               [&t](const MSG& m) { return !t.done && (OnBarMouse(t, m) || OnKey(t, m)); });
  g_tracker = nullptr;
  if (GetCapture() == anchor) ReleaseCapture();
  CloseLevelsAfter(t, 0);
  if (IsWindow(anchor)) DestroyWindow(anchor);
  SetMenuBarHot(h, -1);
  Notify(t, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  Notify(t, WM_EXITMENULOOP, FALSE, 0);
  if (t.chosen && IsWindow(h)) PostMessageW(h, WM_COMMAND, MAKEWPARAM(t.chosen, 0), 0);
}

}  // namespace winplat::user

BOOL WINAPI EndMenu() {
  if (!g_tracker) return FALSE;
  Cancel(*g_tracker);
  return TRUE;
}

VSE_EXPORT("user32.dll", TrackPopupMenu);
