// Position, size, z-order and visibility: SetWindowPos and its deferred batch, MoveWindow,
// ShowWindow, placement, rectangles, coordinate mapping and WindowFromPoint.
#include <algorithm>

#include "user_internal.h"
#include "winbase.h"
#include "winplat_screen.h"

using namespace winplat::user;

// ---------------------------------------------------------------- rectangles

BOOL WINAPI SetRect(LPRECT r, int l, int t, int rt, int b) {
  if (!r) return FALSE;
  *r = RECT{l, t, rt, b};
  return TRUE;
}
BOOL WINAPI SetRectEmpty(LPRECT r) { return SetRect(r, 0, 0, 0, 0); }
BOOL WINAPI CopyRect(LPRECT d, const RECT* s) {
  if (!d || !s) return FALSE;
  *d = *s;
  return TRUE;
}
BOOL WINAPI InflateRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx; r->right += dx; r->top -= dy; r->bottom += dy;
  return TRUE;
}
BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx; r->right += dx; r->top += dy; r->bottom += dy;
  return TRUE;
}
BOOL WINAPI IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
  if (!a || !b) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL WINAPI IntersectRect(LPRECT d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *d = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *d = r;
  return TRUE;
}
BOOL WINAPI UnionRect(LPRECT d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return FALSE;
  if (IsRectEmpty(a)) { *d = *b; return !IsRectEmpty(b); }
  if (IsRectEmpty(b)) { *d = *a; return TRUE; }
  *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
  return TRUE;
}
// The result is the first rectangle, cut only when the second covers a whole side of it.
BOOL WINAPI SubtractRect(LPRECT d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return FALSE;
  RECT r = *a;
  RECT i;
  if (IntersectRect(&i, a, b)) {
    if (i.top == r.top && i.bottom == r.bottom) {
      if (i.left == r.left) r.left = i.right;
      else if (i.right == r.right) r.right = i.left;
    } else if (i.left == r.left && i.right == r.right) {
      if (i.top == r.top) r.top = i.bottom;
      else if (i.bottom == r.bottom) r.bottom = i.top;
    }
  }
  *d = r;
  return !IsRectEmpty(&r);
}
BOOL WINAPI PtInRect(const RECT* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}

// ---------------------------------------------------------------- rectangles of windows

BOOL WINAPI GetWindowRect(HWND h, LPRECT r) {
  if (!GetWnd(h) || !r) return FALSE;
  *r = ScreenRect(h, false);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND h, LPRECT r) {
  auto w = GetWnd(h);
  if (!w || !r) return FALSE;
  *r = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT r, DWORD style, BOOL menu, DWORD ex) {
  if (!r) return FALSE;
  const RECT in = FrameInsets(style & ~(WS_VSCROLL | WS_HSCROLL), ex);
  r->left -= in.left;
  r->top -= in.top + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
  r->right += in.right;
  r->bottom += in.bottom;
  return TRUE;
}
BOOL WINAPI AdjustWindowRect(LPRECT r, DWORD style, BOOL menu) { return AdjustWindowRectEx(r, style, menu, 0); }

BOOL WINAPI ClientToScreen(HWND h, LPPOINT p) {
  if (!GetWnd(h) || !p) return FALSE;
  const POINT o = ClientOrigin(h);
  p->x += o.x;
  p->y += o.y;
  return TRUE;
}
BOOL WINAPI ScreenToClient(HWND h, LPPOINT p) {
  if (!GetWnd(h) || !p) return FALSE;
  const POINT o = ClientOrigin(h);
  p->x -= o.x;
  p->y -= o.y;
  return TRUE;
}
int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT n) {
  if ((from && !GetWnd(from)) || (to && !GetWnd(to))) return 0;
  const POINT a = from ? ClientOrigin(from) : POINT{0, 0};
  const POINT b = to ? ClientOrigin(to) : POINT{0, 0};
  const int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; pts && i < n; ++i) {
    pts[i].x += dx;
    pts[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

namespace {

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The deepest visible, enabled window at a screen point, below `h` (inclusive).
HWND Descend(HWND h, POINT screen) {
  for (;;) {
    auto w = PeekWnd(h);
    if (!w) return h;
    const RECT c = ScreenRect(h, true);
    if (!Contains(c, screen)) return h;
    HWND next = nullptr;
    for (HWND k : w->children) {
      auto kw = PeekWnd(k);
      if (!kw || !(kw->style & WS_VISIBLE) || (kw->style & WS_DISABLED)) continue;
      if (kw->exStyle & WS_EX_TRANSPARENT) continue;
      if (Contains(ScreenRect(k, false), screen)) {
        next = k;
        break;
      }
    }
    if (!next) return h;
    h = next;
  }
}

}  // namespace

namespace winplat::user {
// The top-level window at a screen point (hidden and minimized ones skipped), or null.
HWND TopLevelAt(POINT screen) {
  for (HWND t : TopLevelWindows()) {
    auto w = PeekWnd(t);
    if (!w || !(w->style & WS_VISIBLE) || w->minimized) continue;
    if (Contains(ScreenRect(t, false), screen)) return t;
  }
  return nullptr;
}
HWND WindowAt(POINT screen) {
  HWND t = TopLevelAt(screen);
  return t ? Descend(t, screen) : nullptr;
}
}  // namespace winplat::user

HWND WINAPI WindowFromPoint(POINT p) {
  HWND h = WindowAt(p);
  return h ? h : Desktop();
}

HWND WINAPI ChildWindowFromPointEx(HWND parent, POINT pt, UINT flags) {
  auto w = GetWnd(parent);
  if (!w) return nullptr;
  RECT c{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  if (!Contains(c, pt)) return nullptr;
  for (HWND k : w->children) {
    auto kw = PeekWnd(k);
    if (!kw) continue;
    if ((flags & CWP_SKIPINVISIBLE) && !(kw->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (kw->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (kw->exStyle & WS_EX_TRANSPARENT)) continue;
    if (Contains(kw->rect, pt)) return k;
  }
  return parent;
}
HWND WINAPI ChildWindowFromPoint(HWND parent, POINT pt) { return ChildWindowFromPointEx(parent, pt, CWP_ALL); }

// ---------------------------------------------------------------- SetWindowPos

namespace winplat::user {
void RelinkWindow(HWND h, HWND after);
}

BOOL WINAPI SetWindowPos(HWND h, HWND after, int x, int y, int cx, int cy, UINT flags) {
  auto w = GetWnd(h);
  if (!w || h == Desktop()) return FALSE;
  const bool wasVisible = (w->style & WS_VISIBLE) != 0;
  if ((flags & SWP_SHOWWINDOW) && wasVisible) flags &= ~SWP_SHOWWINDOW;
  if ((flags & SWP_HIDEWINDOW) && !wasVisible) flags &= ~SWP_HIDEWINDOW;
  if (!(flags & SWP_NOZORDER) && after == h) flags |= SWP_NOZORDER;
  if (!(flags & SWP_NOMOVE) && x == w->rect.left && y == w->rect.top) flags |= SWP_NOMOVE;
  if (!(flags & SWP_NOSIZE) && cx == w->rect.right - w->rect.left && cy == w->rect.bottom - w->rect.top) flags |= SWP_NOSIZE;
  WINDOWPOS pos{h, after, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) { pos.x = w->rect.left; pos.y = w->rect.top; }
  if (flags & SWP_NOSIZE) { pos.cx = w->rect.right - w->rect.left; pos.cy = w->rect.bottom - w->rect.top; }
  if (!(flags & SWP_NOSENDCHANGING)) {
    SendW(h, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    w = PeekWnd(h);
    if (!w) return FALSE;
  }
  flags = pos.flags;
  if (pos.cx < 0) pos.cx = 0;
  if (pos.cy < 0) pos.cy = 0;
  // What the window covered before: the windows beneath repaint it.
  const bool wasDrawn = IsReallyVisible(h);
  Region before;
  if (wasDrawn) before = VisibleRegion(h, false, false, true);

  const RECT oldRect = w->rect;
  const bool moved = pos.x != oldRect.left || pos.y != oldRect.top;
  const bool sized = pos.cx != oldRect.right - oldRect.left || pos.cy != oldRect.bottom - oldRect.top;
  if (moved || sized) {
    w->rect = RECT{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
    if (!w->minimized && !w->maximized) w->normal = w->rect;
  }
  if (moved || sized || (flags & SWP_FRAMECHANGED)) {
    const RECT oldClient = w->client;
    // A move keeps the client's offset inside the window; the frame may change it.
    w->client = RECT{oldClient.left + (pos.x - oldRect.left), oldClient.top + (pos.y - oldRect.top),
                     oldClient.right + (pos.x - oldRect.left), oldClient.bottom + (pos.y - oldRect.top)};
    if (sized || (flags & SWP_FRAMECHANGED)) {
      NCCALCSIZE_PARAMS p{};
      p.rgrc[0] = w->rect;
      p.rgrc[1] = oldRect;
      p.rgrc[2] = oldClient;
      p.lppos = &pos;
      SendW(h, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
      w = PeekWnd(h);
      if (!w) return FALSE;
      RECT r = p.rgrc[0];
      if (r.right < r.left) r.right = r.left;
      if (r.bottom < r.top) r.bottom = r.top;
      w->client = r;
    }
  }
  if (!(flags & SWP_NOZORDER)) RelinkWindow(h, after);
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  BumpVisGeneration();

  const bool drawn = IsReallyVisible(h);
  if (wasDrawn && (moved || sized || (flags & (SWP_HIDEWINDOW | SWP_FRAMECHANGED)) || !(flags & SWP_NOZORDER)))
    InvalidateScreen(before, h);
  if (drawn && !(flags & SWP_NOREDRAW) &&
      (moved || sized || (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || !(flags & SWP_NOZORDER)))
    InvalidateWindowAll(h, true, true);

  if ((flags & SWP_HIDEWINDOW)) OnWindowHidden(h);
  if ((flags & SWP_SHOWWINDOW) && IsTopLevel(*w) && !(flags & SWP_NOACTIVATE) && !(w->style & WS_DISABLED) &&
      !(w->exStyle & WS_EX_NOACTIVATE))
    ActivateWindow(h, WA_ACTIVE, false);
  if (!PeekWnd(h)) return TRUE;
  if (!(flags & SWP_NOZORDER) && IsTopLevel(*PeekWnd(h)) && !(flags & SWP_NOACTIVATE) && ActiveWindow() != h &&
      !(flags & SWP_HIDEWINDOW) && drawn)
    ActivateWindow(h, WA_ACTIVE, false);
  w = PeekWnd(h);
  if (!w) return TRUE;
  WINDOWPOS done{h, pos.hwndInsertAfter, w->rect.left, w->rect.top, w->rect.right - w->rect.left,
                 w->rect.bottom - w->rect.top, flags | (moved ? 0 : SWP_NOMOVE) | (sized ? 0 : SWP_NOSIZE)};
  SendW(h, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
  if (auto x2 = PeekWnd(h); x2 && (moved || sized)) x2->sentSizeMove = true;
  return TRUE;
}

namespace winplat::user {
void RelinkWindow(HWND h, HWND after) {
  auto w = PeekWnd(h);
  auto p = w ? PeekWnd(w->parent) : nullptr;
  if (!p) return;
  auto& c = p->children;
  if (after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
  if (after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
  c.erase(std::remove(c.begin(), c.end(), h), c.end());
  size_t pos = 0;
  const bool top = IsTopLevel(*w);
  auto firstNonTopmost = [&]() {
    size_t i = 0;
    while (i < c.size() && PeekWnd(c[i]) && (PeekWnd(c[i])->exStyle & WS_EX_TOPMOST)) ++i;
    return i;
  };
  if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
    pos = top && !(w->exStyle & WS_EX_TOPMOST) ? firstNonTopmost() : 0;
  } else if (after == HWND_BOTTOM) {
    pos = top && (w->exStyle & WS_EX_TOPMOST) ? firstNonTopmost() : c.size();
  } else {
    auto it = std::find(c.begin(), c.end(), after);
    pos = it == c.end() ? 0 : static_cast<size_t>(it - c.begin()) + 1;
    if (top && !(w->exStyle & WS_EX_TOPMOST)) pos = std::max(pos, firstNonTopmost());
  }
  c.insert(c.begin() + static_cast<ptrdiff_t>(std::min(pos, c.size())), h);
  BumpVisGeneration();
}
}  // namespace winplat::user

BOOL WINAPI MoveWindow(HWND h, int x, int y, int cx, int cy, BOOL repaint) {
  return SetWindowPos(h, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI BringWindowToTop(HWND h) { return SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

// ---------------------------------------------------------------- deferred positions

namespace {
struct DeferBatch : winplat::HandleObject {
  std::vector<WINDOWPOS> items;
};
}  // namespace

HDWP WINAPI BeginDeferWindowPos(int n) {
  if (n < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return winplat::HandleTable::Instance().Add(winplat::HandleKind::Other, std::make_shared<DeferBatch>());
}

HDWP WINAPI DeferWindowPos(HDWP batch, HWND h, HWND after, int x, int y, int cx, int cy, UINT flags) {
  auto b = winplat::HandleTable::Instance().Get<DeferBatch>(batch, winplat::HandleKind::Other);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!GetWnd(h)) {
    winplat::HandleTable::Instance().Remove(batch, winplat::HandleKind::Other);
    return nullptr;
  }
  for (auto& it : b->items) {
    if (it.hwnd == h) {  // a later entry for the same window replaces what it sets
      if (!(flags & SWP_NOMOVE)) { it.x = x; it.y = y; it.flags &= ~SWP_NOMOVE; }
      if (!(flags & SWP_NOSIZE)) { it.cx = cx; it.cy = cy; it.flags &= ~SWP_NOSIZE; }
      if (!(flags & SWP_NOZORDER)) { it.hwndInsertAfter = after; it.flags &= ~SWP_NOZORDER; }
      it.flags |= flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED);
      return batch;
    }
  }
  b->items.push_back(WINDOWPOS{h, after, x, y, cx, cy, flags});
  return batch;
}

BOOL WINAPI EndDeferWindowPos(HDWP batch) {
  auto b = winplat::HandleTable::Instance().Get<DeferBatch>(batch, winplat::HandleKind::Other);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  winplat::HandleTable::Instance().Remove(batch, winplat::HandleKind::Other);
  BOOL ok = TRUE;
  for (const auto& it : b->items)
    if (PeekWnd(it.hwnd) && !SetWindowPos(it.hwnd, it.hwndInsertAfter, it.x, it.y, it.cx, it.cy, it.flags)) ok = FALSE;
  return ok;
}

// ---------------------------------------------------------------- ShowWindow and placement

namespace {

void SendSize(HWND h) {
  auto w = PeekWnd(h);
  if (!w) return;
  const WPARAM kind = w->maximized ? SIZE_MAXIMIZED : w->minimized ? SIZE_MINIMIZED : SIZE_RESTORED;
  SendW(h, WM_SIZE, kind, MAKELONG(w->client.right - w->client.left, w->client.bottom - w->client.top));
}

}  // namespace

BOOL ShowCore(HWND h, int cmd);

BOOL WINAPI ShowWindow(HWND h, int cmd) {
  const BOOL wasVisible = ShowCore(h, cmd);
  // An overlapped window made hidden has had no WM_SIZE and WM_MOVE yet: they come when it is
  // first shown, after the window is on the screen.
  if (auto w = PeekWnd(h); w && w->created && !w->sentSizeMove && (w->style & WS_VISIBLE)) {
    w->sentSizeMove = true;
    SendSizeMove(h);
  }
  return wasVisible;
}

BOOL ShowCore(HWND h, int cmd) {
  auto w = GetWnd(h);
  if (!w || h == Desktop()) return FALSE;
  const bool wasVisible = (w->style & WS_VISIBLE) != 0;
  const bool child = !IsTopLevel(*w);
  UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER;
  bool show = true;
  RECT target = w->rect;
  bool resize = false;
  switch (cmd) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      show = false;
      flags |= SWP_HIDEWINDOW | SWP_NOACTIVATE;
      break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
      flags |= SWP_SHOWWINDOW | SWP_NOACTIVATE;
      [[fallthrough]];
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      if (cmd != SW_SHOWNA && (w->minimized || w->maximized)) {
        if (HasHooks(WH_CBT) && CallHooks(WH_CBT, HCBT_MINMAX, reinterpret_cast<WPARAM>(h), cmd)) return wasVisible;
        w->minimized = false;
        w->maximized = false;
        w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        target = w->normal;
        resize = true;
      }
      flags |= SWP_SHOWWINDOW;
      break;
    case SW_SHOW:
      flags |= SWP_SHOWWINDOW;
      break;
    case SW_SHOWMAXIMIZED: {
      if (HasHooks(WH_CBT) && CallHooks(WH_CBT, HCBT_MINMAX, reinterpret_cast<WPARAM>(h), cmd)) return wasVisible;
      if (!w->maximized && !w->minimized) w->normal = w->rect;
      w->maximized = true;
      w->minimized = false;
      w->style = (w->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
      if (child) {
        auto p = PeekWnd(w->parent);
        target = RECT{0, 0, p->client.right - p->client.left, p->client.bottom - p->client.top};
      } else {
        MINMAXINFO mmi = DefaultMinMax(*w);
        SendW(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
        target = RECT{mmi.ptMaxPosition.x, mmi.ptMaxPosition.y, mmi.ptMaxPosition.x + mmi.ptMaxSize.x,
                      mmi.ptMaxPosition.y + mmi.ptMaxSize.y};
      }
      resize = true;
      flags |= SWP_SHOWWINDOW | SWP_FRAMECHANGED;
      break;
    }
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: {
      if (HasHooks(WH_CBT) && CallHooks(WH_CBT, HCBT_MINMAX, reinterpret_cast<WPARAM>(h), cmd)) return wasVisible;
      if (!w->maximized && !w->minimized) w->normal = w->rect;
      const bool was = w->minimized;
      w->minimized = true;
      w->style = (w->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
      flags |= SWP_SHOWWINDOW | SWP_NOACTIVATE;
      if (!wasVisible) SendW(h, WM_SHOWWINDOW, TRUE, 0);
      if (!PeekWnd(h)) return wasVisible;
      // The window leaves the screen; what it covered repaints.
      SetWindowPos(h, nullptr, 0, 0, 0, 0, flags);
      if (!was) {
        InvalidateScreen(Region::FromRect(ScreenRect(h, false)), h);
        BumpVisGeneration();
        OnWindowHidden(h);
        SendSize(h);
      }
      return wasVisible;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  if (show && !wasVisible) {
    SendW(h, WM_SHOWWINDOW, TRUE, 0);
  } else if (!show) {
    SendW(h, WM_SHOWWINDOW, FALSE, 0);
  }
  if (!PeekWnd(h)) return wasVisible;
  if (child) flags |= SWP_NOACTIVATE;
  if (resize) {
    flags &= ~(SWP_NOSIZE | SWP_NOMOVE);
    SetWindowPos(h, nullptr, target.left, target.top, target.right - target.left, target.bottom - target.top, flags);
    if (PeekWnd(h) && (flags & SWP_NOSIZE) == 0) {
      // WM_SIZE carries the new state even when the size did not change.
      auto x = PeekWnd(h);
      if (x && EqualRect(&x->rect, &target)) {}
    }
  } else if ((flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) || show) {
    if (show && wasVisible && !(flags & SWP_NOACTIVATE) && !child && ActiveWindow() != h) {
      ActivateWindow(h, WA_ACTIVE, false);
    } else if ((flags & SWP_SHOWWINDOW) && !wasVisible) {
      SetWindowPos(h, nullptr, 0, 0, 0, 0, flags);
    } else if (flags & SWP_HIDEWINDOW) {
      SetWindowPos(h, nullptr, 0, 0, 0, 0, flags);
    }
  }
  return wasVisible;
}

BOOL WINAPI ShowWindowAsync(HWND h, int cmd) { return ShowWindow(h, cmd); }

BOOL WINAPI ShowOwnedPopups(HWND h, BOOL show) {
  if (!GetWnd(h)) return FALSE;
  for (HWND t : TopLevelWindows()) {
    auto o = PeekWnd(t);
    if (o && o->owner == h) ShowWindow(t, show ? SW_SHOWNA : SW_HIDE);
  }
  return TRUE;
}

BOOL WINAPI CloseWindow(HWND h) {
  if (!GetWnd(h)) return FALSE;
  ShowWindow(h, SW_MINIMIZE);
  return TRUE;
}
BOOL WINAPI OpenIcon(HWND h) {
  if (!GetWnd(h)) return FALSE;
  ShowWindow(h, SW_RESTORE);
  return TRUE;
}

BOOL WINAPI GetWindowPlacement(HWND h, WINDOWPLACEMENT* p) {
  auto w = GetWnd(h);
  if (!w || !p) return FALSE;
  p->length = sizeof(WINDOWPLACEMENT);
  p->flags = 0;
  p->showCmd = !(w->style & WS_VISIBLE) ? SW_HIDE
               : w->minimized           ? SW_SHOWMINIMIZED
               : w->maximized           ? SW_SHOWMAXIMIZED
                                        : SW_SHOWNORMAL;
  p->ptMinPosition = POINT{-1, -1};
  p->ptMaxPosition = POINT{-1, -1};
  p->rcNormalPosition = (w->minimized || w->maximized) ? w->normal : w->rect;
  return TRUE;
}

BOOL WINAPI SetWindowPlacement(HWND h, const WINDOWPLACEMENT* p) {
  auto w = GetWnd(h);
  if (!w || !p) return FALSE;
  if (p->length != sizeof(WINDOWPLACEMENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const RECT& r = p->rcNormalPosition;
  w->normal = r;
  if (!w->minimized && !w->maximized)
    SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(h, static_cast<int>(p->showCmd));
  return TRUE;
}

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the platform's placement record");

VSE_EXPORT("user32.dll", SetRect);
VSE_EXPORT("user32.dll", SetRectEmpty);
VSE_EXPORT("user32.dll", CopyRect);
VSE_EXPORT("user32.dll", InflateRect);
VSE_EXPORT("user32.dll", OffsetRect);
VSE_EXPORT("user32.dll", IsRectEmpty);
VSE_EXPORT("user32.dll", EqualRect);
VSE_EXPORT("user32.dll", IntersectRect);
VSE_EXPORT("user32.dll", UnionRect);
VSE_EXPORT("user32.dll", SubtractRect);
VSE_EXPORT("user32.dll", PtInRect);
VSE_EXPORT("user32.dll", GetWindowRect);
VSE_EXPORT("user32.dll", GetClientRect);
VSE_EXPORT("user32.dll", AdjustWindowRect);
VSE_EXPORT("user32.dll", AdjustWindowRectEx);
VSE_EXPORT("user32.dll", ClientToScreen);
VSE_EXPORT("user32.dll", ScreenToClient);
VSE_EXPORT("user32.dll", MapWindowPoints);
VSE_EXPORT("user32.dll", WindowFromPoint);
VSE_EXPORT("user32.dll", ChildWindowFromPoint);
VSE_EXPORT("user32.dll", ChildWindowFromPointEx);
VSE_EXPORT("user32.dll", SetWindowPos);
VSE_EXPORT("user32.dll", MoveWindow);
VSE_EXPORT("user32.dll", BringWindowToTop);
VSE_EXPORT("user32.dll", BeginDeferWindowPos);
VSE_EXPORT("user32.dll", DeferWindowPos);
VSE_EXPORT("user32.dll", EndDeferWindowPos);
VSE_EXPORT("user32.dll", ShowWindow);
VSE_EXPORT("user32.dll", ShowWindowAsync);
VSE_EXPORT("user32.dll", ShowOwnedPopups);
VSE_EXPORT("user32.dll", CloseWindow);
VSE_EXPORT("user32.dll", OpenIcon);
VSE_EXPORT("user32.dll", GetWindowPlacement);
VSE_EXPORT("user32.dll", SetWindowPlacement);
