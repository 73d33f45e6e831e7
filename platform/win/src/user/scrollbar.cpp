// The standard scroll bars of windows with WS_HSCROLL / WS_VSCROLL: state, showing and hiding
// as the range needs them, enabling, drawing in the non-client area, and presses turned into
// WM_HSCROLL / WM_VSCROLL (the loops that follow a held button are in tracking.cpp).
#include <algorithm>

#include "user_internal.h"

using namespace winplat::user;

namespace {

SCROLLINFO* Bar(HWND h, int bar) {
  auto w = GetWnd(h);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
  return &w->scroll[bar];
}

DWORD StyleBit(int bar) { return bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL; }

// The largest position: the one that shows the last page.
int TopPos(const SCROLLINFO& s) { return s.nMax - std::max(static_cast<int>(s.nPage) - 1, 0); }

void Clamp(SCROLLINFO& s) {
  if (s.nMax < s.nMin) s.nMax = s.nMin;
  const int64_t range = static_cast<int64_t>(s.nMax) - s.nMin + 1;
  if (s.nPage > range) s.nPage = static_cast<UINT>(range);
  s.nPos = std::clamp(s.nPos, s.nMin, std::max(s.nMin, TopPos(s)));
}

// Whether the range has more than one position to show: else the bar is not needed.
bool CanScroll(const SCROLLINFO& s) { return TopPos(s) > s.nMin; }

void Redraw(HWND h) {
  if (auto w = PeekWnd(h); w && IsReallyVisible(h)) {
    w->ncPaint = true;
    WakeQueue();
  }
}

// Showing or hiding bars changes the frame: the client area is computed again (WM_NCCALCSIZE,
// then WM_SIZE from WM_WINDOWPOSCHANGED).
bool SetBarsShown(HWND h, DWORD bits, bool show) {
  auto w = PeekWnd(h);
  if (!w) return false;
  const DWORD style = show ? (w->style | bits) : (w->style & ~bits);
  if (style == w->style) return false;
  w->style = style;
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return true;
}

// After the range or page changed: the bar shows when there is something to scroll and hides
// when not; with `keepDisabled` it stays and is disabled instead of hiding.
void FitBarToRange(HWND h, int bar, bool keepDisabled) {
  auto w = PeekWnd(h);
  if (!w) return;
  const bool need = CanScroll(w->scroll[bar]);
  UINT& disabled = w->scrollDisabled[bar];
  const UINT before = disabled;
  if (disabled & kScrollKeptDisabled) disabled = ESB_ENABLE_BOTH;  // kept only while nothing to scroll
  if (keepDisabled && !need) disabled = ESB_DISABLE_BOTH | kScrollKeptDisabled;
  const bool frame = SetBarsShown(h, StyleBit(bar), need || keepDisabled);
  if (!frame && disabled != before) Redraw(h);
}

RECT BarRectInScreen(HWND h, bool vert) {
  const RECT c = ScreenRect(h, true);
  return vert ? RECT{c.right, c.top, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom}
              : RECT{c.left, c.bottom, c.right, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
}

int ArrowLength(bool vert, int len) {
  return std::min(vert ? GetSystemMetrics(SM_CYHSCROLL) : GetSystemMetrics(SM_CXVSCROLL), len / 2);
}

// The info the bar is drawn from: a dragged thumb shows where it is dragged.
SCROLLINFO Shown(HWND h, int bar, const SCROLLINFO& s) {
  SCROLLINFO r = s;
  const ScrollPress& p = CurrentScrollPress();
  if (p.hwnd == h && p.bar == bar && p.part == SB_THUMBTRACK) r.nPos = p.trackPos;
  return r;
}

ScrollPress g_press;

}  // namespace

namespace winplat::user {

ScrollPress& CurrentScrollPress() { return g_press; }

void ScrollThumbGeometry(const SCROLLINFO& s, int length, int arrow, int* start, int* size) {
  const int track = std::max(length - 2 * arrow, 0);
  const int64_t range = static_cast<int64_t>(s.nMax) - s.nMin + 1;
  int t = s.nPage ? static_cast<int>(static_cast<int64_t>(track) * s.nPage / std::max<int64_t>(range, 1)) : arrow;
  t = std::clamp(t, std::min(8, track), track);
  const int64_t span = range - std::max(static_cast<int>(s.nPage), 1);
  const int pos = span > 0 ? static_cast<int>(static_cast<int64_t>(track - t) * (s.nPos - s.nMin) / span) : 0;
  *start = arrow + std::clamp(pos, 0, track - t);
  *size = t;
}

int ScrollBarPartAt(HWND h, bool vert, POINT screen) {
  auto w = PeekWnd(h);
  if (!w || !(w->style & (vert ? WS_VSCROLL : WS_HSCROLL))) return -1;
  const RECT r = BarRectInScreen(h, vert);
  if (!PtInRect(&r, screen)) return -1;
  const int bar = vert ? SB_VERT : SB_HORZ;
  const int len = vert ? r.bottom - r.top : r.right - r.left;
  const int arrow = ArrowLength(vert, len);
  const int at = vert ? screen.y - r.top : screen.x - r.left;
  if (at < arrow) return SB_LINEUP;
  if (at >= len - arrow) return SB_LINEDOWN;
  const SCROLLINFO s = Shown(h, bar, w->scroll[bar]);
  if ((w->scrollDisabled[bar] & ESB_DISABLE_BOTH) == ESB_DISABLE_BOTH || !CanScroll(s))
    return at < len / 2 ? SB_PAGEUP : SB_PAGEDOWN;  // no thumb to hit
  int ts, tl;
  ScrollThumbGeometry(s, len, arrow, &ts, &tl);
  if (at < ts) return SB_PAGEUP;
  if (at >= ts + tl) return SB_PAGEDOWN;
  return SB_THUMBTRACK;
}

// Draws the bars into a window DC whose origin is the window's top-left.
void PaintScrollBars(HWND h, HDC dc) {
  auto w = PeekWnd(h);
  if (!w || !(w->style & (WS_HSCROLL | WS_VSCROLL))) return;
  const POINT wo = WindowOrigin(h);
  const int sx = GetSystemMetrics(SM_CXVSCROLL), sy = GetSystemMetrics(SM_CYHSCROLL);
  const ScrollPress& press = CurrentScrollPress();
  for (int bar = 0; bar < 2; ++bar) {
    if (!(w->style & StyleBit(bar))) continue;
    const bool vert = bar == SB_VERT;
    RECT r = BarRectInScreen(h, vert);
    OffsetRect(&r, -wo.x, -wo.y);
    const bool pressedHere = press.hwnd == h && press.bar == bar && press.over;
    const UINT disabled = w->scrollDisabled[bar] & ESB_DISABLE_BOTH;
    const SCROLLINFO s = Shown(h, bar, w->scroll[bar]);
    const bool thumb = disabled != ESB_DISABLE_BOTH && CanScroll(s);

    HBRUSH track = CreateSolidBrush(RGB(236, 234, 230));
    FillRect(dc, &r, track);
    DeleteObject(track);
    const int len = vert ? r.bottom - r.top : r.right - r.left;
    const int arrow = ArrowLength(vert, len);
    int ts = arrow, tl = 0;
    if (thumb) ScrollThumbGeometry(s, len, arrow, &ts, &tl);
    // A page area held down is drawn dark between the thumb and its arrow.
    if (pressedHere && (press.part == SB_PAGEUP || press.part == SB_PAGEDOWN) && thumb) {
      const int from = press.part == SB_PAGEUP ? arrow : ts + tl;
      const int to = press.part == SB_PAGEUP ? ts : len - arrow;
      RECT p = vert ? RECT{r.left, r.top + from, r.right, r.top + to} : RECT{r.left + from, r.top, r.left + to, r.bottom};
      FillRect(dc, &p, GetSysColorBrush(COLOR_3DSHADOW));
    }
    RECT a1 = vert ? RECT{r.left, r.top, r.right, r.top + arrow} : RECT{r.left, r.top, r.left + arrow, r.bottom};
    RECT a2 = vert ? RECT{r.left, r.bottom - arrow, r.right, r.bottom} : RECT{r.right - arrow, r.top, r.right, r.bottom};
    UINT s1 = vert ? DFCS_SCROLLUP : DFCS_SCROLLLEFT, s2 = vert ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT;
    if (disabled & ESB_DISABLE_LTUP) s1 |= DFCS_INACTIVE;
    if (disabled & ESB_DISABLE_RTDN) s2 |= DFCS_INACTIVE;
    if (pressedHere && press.part == SB_LINEUP) s1 |= DFCS_PUSHED;
    if (pressedHere && press.part == SB_LINEDOWN) s2 |= DFCS_PUSHED;
    DrawFrameControl(dc, &a1, DFC_SCROLL, s1);
    DrawFrameControl(dc, &a2, DFC_SCROLL, s2);
    if (thumb && tl > 0) {
      RECT t = vert ? RECT{r.left, r.top + ts, r.right, r.top + ts + tl} : RECT{r.left + ts, r.top, r.left + ts + tl, r.bottom};
      DrawEdge(dc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
  }
  if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
    RECT c = ScreenRect(h, true);
    OffsetRect(&c, -wo.x, -wo.y);
    RECT corner{c.right, c.bottom, c.right + sx, c.bottom + sy};
    FillRect(dc, &corner, GetSysColorBrush(COLOR_3DFACE));
  }
}

void DrawScrollBarsNow(HWND h) {
  if (!IsReallyVisible(h)) return;
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  PaintScrollBars(h, dc);
  ReleaseDC(h, dc);
}

// WM_NCLBUTTONDOWN on HTVSCROLL / HTHSCROLL: the thumb is dragged; an arrow or a page area
// scrolls, and again while it is held. A disabled arrow does nothing.
bool ScrollBarClick(HWND h, int hit, POINT screen) {
  auto w = PeekWnd(h);
  if (!w || (hit != HTVSCROLL && hit != HTHSCROLL)) return false;
  const bool vert = hit == HTVSCROLL;
  const UINT disabled = w->scrollDisabled[vert ? SB_VERT : SB_HORZ] & ESB_DISABLE_BOTH;
  const int part = ScrollBarPartAt(h, vert, screen);
  if (part < 0 || disabled == ESB_DISABLE_BOTH) return true;
  if ((part == SB_LINEUP && (disabled & ESB_DISABLE_LTUP)) || (part == SB_LINEDOWN && (disabled & ESB_DISABLE_RTDN)))
    return true;
  if (part == SB_THUMBTRACK) TrackScrollThumb(h, vert, screen);
  else TrackScrollRepeat(h, vert, part);
  return true;
}

}  // namespace winplat::user

int WINAPI SetScrollInfo(HWND h, int bar, const SCROLLINFO* si, BOOL redraw) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s || !si) return 0;
  if (si->fMask & SIF_RANGE) {
    s->nMin = si->nMin;
    s->nMax = si->nMax;
  }
  if (si->fMask & SIF_PAGE) s->nPage = si->nPage;
  if (si->fMask & SIF_POS) s->nPos = si->nPos;
  Clamp(*s);
  const int pos = s->nPos;
  if (si->fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) FitBarToRange(h, bar, (si->fMask & SIF_DISABLENOSCROLL) != 0);
  if (redraw) Redraw(h);
  return pos;
}

BOOL WINAPI GetScrollInfo(HWND h, int bar, LPSCROLLINFO si) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s || !si) return FALSE;
  if (si->fMask & SIF_RANGE) {
    si->nMin = s->nMin;
    si->nMax = s->nMax;
  }
  if (si->fMask & SIF_PAGE) si->nPage = s->nPage;
  if (si->fMask & SIF_POS) si->nPos = s->nPos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = Shown(h, bar, *s).nPos;
  return TRUE;
}

int WINAPI SetScrollPos(HWND h, int bar, int pos, BOOL redraw) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s) return 0;
  const int old = s->nPos;
  s->nPos = pos;
  Clamp(*s);
  if (redraw) Redraw(h);
  return old;
}

int WINAPI GetScrollPos(HWND h, int bar) {
  SCROLLINFO* s = Bar(h, bar);
  return s ? s->nPos : 0;
}

// The old call: a range of one position (min == max) hides the bar, any other shows it.
BOOL WINAPI SetScrollRange(HWND h, int bar, int lo, int hi, BOOL redraw) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s) return FALSE;
  s->nMin = lo;
  s->nMax = hi;
  Clamp(*s);
  FitBarToRange(h, bar, false);
  if (redraw) Redraw(h);
  return TRUE;
}

BOOL WINAPI GetScrollRange(HWND h, int bar, LPINT lo, LPINT hi) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s || !lo || !hi) return FALSE;
  *lo = s->nMin;
  *hi = s->nMax;
  return TRUE;
}

BOOL WINAPI ShowScrollBar(HWND h, int bar, BOOL show) {
  if (!GetWnd(h)) return FALSE;
  const DWORD bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : bar == SB_BOTH ? WS_HSCROLL | WS_VSCROLL : 0;
  if (!bits) return FALSE;
  SetBarsShown(h, bits, show != FALSE);
  return TRUE;
}

// Answers FALSE when the bars were already so.
BOOL WINAPI EnableScrollBar(HWND h, UINT which, UINT arrows) {
  auto w = GetWnd(h);
  if (!w) return FALSE;
  if (which != SB_HORZ && which != SB_VERT && which != SB_BOTH) return FALSE;
  bool changed = false;
  for (int bar = 0; bar < 2; ++bar) {
    if (which != SB_BOTH && static_cast<int>(which) != bar) continue;
    const UINT now = arrows & ESB_DISABLE_BOTH;
    if ((w->scrollDisabled[bar] & ESB_DISABLE_BOTH) != now) changed = true;
    w->scrollDisabled[bar] = now;
  }
  if (changed) Redraw(h);
  return changed ? TRUE : FALSE;
}
