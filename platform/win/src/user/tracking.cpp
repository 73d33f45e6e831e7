// Dragging with the mouse held down: a scroll bar's thumb, a window by its caption, a window's
// sizing frame. Each runs a loop of its own with the capture, as the platform does, so the
// window's procedure never sees the drag's mouse messages.
#include <algorithm>
#include <functional>

#include "user_internal.h"
#include "winplat_screen.h"

namespace winplat::user {

namespace {

// Follows the mouse until the left button goes up (true) or the drag is cancelled by Escape, by
// the capture going elsewhere or by a quit message (false). Other messages are dispatched. On a
// screen without a display the scripted input running out counts as the button going up.
bool TrackUntilRelease(HWND h, const std::function<void(POINT)>& moved) {
  SetCapture(h);
  bool released = false, cancelled = false;
  while (!released && !cancelled) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!screen::CurrentBackend()->HasDisplay()) break;
      PresentScreen();
      WaitMessage();
      continue;
    }
    switch (m.message) {
      case WM_MOUSEMOVE:
        moved(m.pt);
        break;
      case WM_LBUTTONUP:
        moved(m.pt);
        released = true;
        break;
      case WM_KEYDOWN:
        if (m.wParam == VK_ESCAPE) cancelled = true;
        break;
      case WM_QUIT:
        PostQuitMessage(static_cast<int>(m.wParam));  // the program's own loop ends too
        cancelled = true;
        break;
      default:
        TranslateMessage(&m);
        DispatchMessageW(&m);
        break;
    }
    if (!IsWindow(h) || (!released && GetCapture() != h)) cancelled = true;
  }
  if (GetCapture() == h) ReleaseCapture();
  return !cancelled;
}

// The window rectangle in its parent's client coordinates (the screen for top-level windows).
RECT RectInParent(HWND h) {
  auto w = PeekWnd(h);
  return w ? w->rect : RECT{};
}

}  // namespace

void TrackScrollThumb(HWND h, bool vert, POINT start) {
  auto w = PeekWnd(h);
  if (!w) return;
  const int bar = vert ? SB_VERT : SB_HORZ;
  const UINT msg = vert ? WM_VSCROLL : WM_HSCROLL;
  const RECT c = ScreenRect(h, true);
  const int len = vert ? c.bottom - c.top : c.right - c.left;
  const int arrow = std::min(vert ? GetSystemMetrics(SM_CYHSCROLL) : GetSystemMetrics(SM_CXVSCROLL), len / 2);
  int thumbStart, thumbSize;
  ScrollThumbGeometry(w->scroll[bar], len, arrow, &thumbStart, &thumbSize);
  const int grab = (vert ? start.y - c.top : start.x - c.left) - thumbStart;
  const SCROLLINFO original = w->scroll[bar];
  const int range = original.nMax - original.nMin + 1;
  const int span = range - std::max(static_cast<int>(original.nPage), 1);
  const int travel = len - 2 * arrow - thumbSize;  // pixels the thumb can move

  // The position whose thumb starts where the grabbed point puts it.
  auto positionAt = [&](POINT p) {
    if (travel <= 0 || span <= 0) return original.nMin;
    const int at = std::clamp((vert ? p.y - c.top : p.x - c.left) - grab - arrow, 0, travel);
    return original.nMin + static_cast<int>((static_cast<int64_t>(at) * span + travel / 2) / travel);
  };
  int tracked = original.nPos;
  auto setTrack = [&](int pos) {
    tracked = pos;
    if (auto x = PeekWnd(h)) x->scroll[bar].nTrackPos = pos;
  };
  const bool done = TrackUntilRelease(h, [&](POINT p) {
    const int pos = positionAt(p);
    if (pos == tracked) return;
    setTrack(pos);
    SendW(h, msg, MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(pos)), 0);
  });
  if (!done) setTrack(original.nPos);
  if (!IsWindow(h)) return;
  SendW(h, msg, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(tracked)), 0);
  SendW(h, msg, SB_ENDSCROLL, 0);
  if (auto x = PeekWnd(h)) x->scroll[bar].nTrackPos = x->scroll[bar].nPos;
}

void TrackMoveSize(HWND h, WPARAM command, POINT start) {
  auto w = PeekWnd(h);
  if (!w || w->minimized || w->maximized) return;
  const bool move = (command & 0xFFF0) == SC_MOVE;
  const int edge = move ? 0 : static_cast<int>(command & 0x000F);  // WMSZ_ side or corner
  if (!move && (edge < WMSZ_LEFT || edge > WMSZ_BOTTOMRIGHT)) return;
  const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
  const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;

  const RECT original = RectInParent(h);
  MINMAXINFO limits = DefaultMinMax(*w);
  if (!move) SendW(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  const int minW = limits.ptMinTrackSize.x, maxW = std::max(limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x);
  const int minH = limits.ptMinTrackSize.y, maxH = std::max(limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y);

  auto place = [h](const RECT& r, UINT extra) {
    const RECT now = RectInParent(h);
    if (EqualRect(&now, &r)) return;
    SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | extra);
  };
  SendW(h, WM_ENTERSIZEMOVE, 0, 0);
  const bool done = TrackUntilRelease(h, [&](POINT p) {
    const int dx = p.x - start.x, dy = p.y - start.y;
    RECT r = original;
    if (move) {
      OffsetRect(&r, dx, dy);
      SendW(h, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
      place(r, SWP_NOSIZE);
      return;
    }
    // The dragged sides follow the mouse within the tracking limits; the others stay.
    if (left) r.left = std::clamp<LONG>(r.left + dx, r.right - maxW, r.right - minW);
    if (right) r.right = std::clamp<LONG>(r.right + dx, r.left + minW, r.left + maxW);
    if (top) r.top = std::clamp<LONG>(r.top + dy, r.bottom - maxH, r.bottom - minH);
    if (bottom) r.bottom = std::clamp<LONG>(r.bottom + dy, r.top + minH, r.top + maxH);
    SendW(h, WM_SIZING, static_cast<WPARAM>(edge), reinterpret_cast<LPARAM>(&r));
    place(r, 0);
  });
  if (!IsWindow(h)) return;
  if (!done) place(original, move ? SWP_NOSIZE : 0);
  SendW(h, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace winplat::user
