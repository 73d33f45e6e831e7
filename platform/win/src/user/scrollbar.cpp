// The standard scroll bars of windows with WS_HSCROLL / WS_VSCROLL: state, drawing in the
// non-client area, and clicks turned into WM_HSCROLL / WM_VSCROLL (the thumb's drag is in
// tracking.cpp).
#include <algorithm>

#include "user_internal.h"

using namespace winplat::user;

namespace {

SCROLLINFO* Bar(HWND h, int bar) {
  auto w = GetWnd(h);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
  return &w->scroll[bar];
}

void Clamp(SCROLLINFO& s) {
  if (s.nMax < s.nMin) s.nMax = s.nMin;
  const int range = s.nMax - s.nMin + 1;
  if (s.nPage > static_cast<UINT>(range)) s.nPage = static_cast<UINT>(range);
  const int top = s.nMax - std::max(static_cast<int>(s.nPage) - 1, 0);
  s.nPos = std::clamp(s.nPos, s.nMin, std::max(s.nMin, top));
  s.nTrackPos = s.nPos;
}

void Redraw(HWND h) {
  if (auto w = PeekWnd(h); w && IsReallyVisible(h)) {
    w->ncPaint = true;
    WakeQueue();
  }
}

}  // namespace

namespace winplat::user {

void ScrollThumbGeometry(const SCROLLINFO& s, int length, int arrow, int* start, int* size) {
  const int track = std::max(length - 2 * arrow, 0);
  const int range = s.nMax - s.nMin + 1;
  int t = s.nPage ? static_cast<int>(static_cast<int64_t>(track) * s.nPage / std::max(range, 1)) : arrow;
  t = std::clamp(t, std::min(8, track), track);
  const int span = range - std::max(static_cast<int>(s.nPage), 1);
  const int pos = span > 0 ? static_cast<int>(static_cast<int64_t>(track - t) * (s.nPos - s.nMin) / span) : 0;
  *start = arrow + pos;
  *size = t;
}

// Draws the bars into a window DC whose origin is the window's top-left.
void PaintScrollBars(HWND h, HDC dc) {
  auto w = PeekWnd(h);
  if (!w || !(w->style & (WS_HSCROLL | WS_VSCROLL))) return;
  const POINT wo = WindowOrigin(h);
  RECT c = ScreenRect(h, true);
  OffsetRect(&c, -wo.x, -wo.y);
  const int sx = GetSystemMetrics(SM_CXVSCROLL), sy = GetSystemMetrics(SM_CYHSCROLL);
  for (int bar = 0; bar < 2; ++bar) {
    if (!(w->style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) continue;
    const bool vert = bar == SB_VERT;
    RECT r = vert ? RECT{c.right, c.top, c.right + sx, c.bottom} : RECT{c.left, c.bottom, c.right, c.bottom + sy};
    HBRUSH track = CreateSolidBrush(RGB(236, 234, 230));
    FillRect(dc, &r, track);
    DeleteObject(track);
    const int len = vert ? r.bottom - r.top : r.right - r.left;
    const int arrow = std::min(vert ? sy : sx, len / 2);
    RECT a1 = vert ? RECT{r.left, r.top, r.right, r.top + arrow} : RECT{r.left, r.top, r.left + arrow, r.bottom};
    RECT a2 = vert ? RECT{r.left, r.bottom - arrow, r.right, r.bottom} : RECT{r.right - arrow, r.top, r.right, r.bottom};
    DrawFrameControl(dc, &a1, DFC_SCROLL, vert ? DFCS_SCROLLUP : DFCS_SCROLLLEFT);
    DrawFrameControl(dc, &a2, DFC_SCROLL, vert ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT);
    int ts, tl;
    ScrollThumbGeometry(w->scroll[bar], len, arrow, &ts, &tl);
    if (tl > 0 && w->scroll[bar].nMax > w->scroll[bar].nMin) {
      RECT t = vert ? RECT{r.left, r.top + ts, r.right, r.top + ts + tl} : RECT{r.left + ts, r.top, r.left + ts + tl, r.bottom};
      DrawEdge(dc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
  }
  if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
    RECT corner{c.right, c.bottom, c.right + sx, c.bottom + sy};
    FillRect(dc, &corner, GetSysColorBrush(COLOR_3DFACE));
  }
}

// WM_NCLBUTTONDOWN on HTVSCROLL / HTHSCROLL: the scroll code of the part under the point.
bool ScrollBarClick(HWND h, int hit, POINT screen) {
  auto w = PeekWnd(h);
  if (!w || (hit != HTVSCROLL && hit != HTHSCROLL)) return false;
  const bool vert = hit == HTVSCROLL;
  const RECT c = ScreenRect(h, true);
  const int len = vert ? c.bottom - c.top : c.right - c.left;
  const int arrow = std::min(vert ? GetSystemMetrics(SM_CYHSCROLL) : GetSystemMetrics(SM_CXVSCROLL), len / 2);
  const int at = vert ? screen.y - c.top : screen.x - c.left;
  int ts, tl;
  ScrollThumbGeometry(w->scroll[vert ? SB_VERT : SB_HORZ], len, arrow, &ts, &tl);
  int code;
  if (at < arrow) code = SB_LINEUP;
  else if (at >= len - arrow) code = SB_LINEDOWN;
  else if (at < ts) code = SB_PAGEUP;
  else if (at >= ts + tl) code = SB_PAGEDOWN;
  else {
    TrackScrollThumb(h, vert, screen);
    return true;
  }
  SendW(h, vert ? WM_VSCROLL : WM_HSCROLL, static_cast<WPARAM>(code), 0);
  SendW(h, vert ? WM_VSCROLL : WM_HSCROLL, SB_ENDSCROLL, 0);
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
  if (redraw) Redraw(h);
  return s->nPos;
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
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = s->nTrackPos;
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

BOOL WINAPI SetScrollRange(HWND h, int bar, int lo, int hi, BOOL redraw) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s) return FALSE;
  s->nMin = lo;
  s->nMax = hi;
  Clamp(*s);
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

// Showing or hiding a bar changes the frame: the client area is computed again.
BOOL WINAPI ShowScrollBar(HWND h, int bar, BOOL show) {
  auto w = GetWnd(h);
  if (!w) return FALSE;
  DWORD bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : bar == SB_BOTH ? WS_HSCROLL | WS_VSCROLL : 0;
  if (!bits) return FALSE;
  const DWORD style = show ? (w->style | bits) : (w->style & ~bits);
  if (style == w->style) return TRUE;
  w->style = style;
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}
