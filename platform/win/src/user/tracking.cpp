// Dragging with the mouse held down: a scroll bar's thumb, its arrows and page areas repeating
// while held, a window by its caption, a window's sizing frame; and moving or sizing a window
// with the arrow keys. Each runs a loop of its own with the capture, as the platform does, so
// the window's procedure never sees the loop's mouse and key messages.
#include <algorithm>
#include <functional>

#include "user_internal.h"
#include "winplat_screen.h"

namespace winplat::user {

namespace {

// Follows the mouse until the left button goes up (true) or the drag is cancelled by Escape, by
// the capture going elsewhere or by a quit message (false). `other`, when given, sees the
// remaining messages first and answers whether it took them; the rest are dispatched. On a
// screen without a display the scripted input running out counts as the button going up.
bool TrackUntilRelease(HWND h, const std::function<void(POINT)>& moved,
                       const std::function<bool(const MSG&)>& other = {}) {
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
        if (other && other(m)) break;
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
  // The thumb is drawn where it is dragged (GetScrollInfo's SIF_TRACKPOS answers the same),
  // before the window hears of it.
  ScrollPress& press = CurrentScrollPress();
  press = ScrollPress{h, bar, SB_THUMBTRACK, true, original.nPos};
  int tracked = original.nPos;
  auto setTrack = [&](int pos) {
    tracked = pos;
    press.trackPos = pos;
    if (auto x = PeekWnd(h)) x->scroll[bar].nTrackPos = pos;
    DrawScrollBarsNow(h);
  };
  const bool done = TrackUntilRelease(h, [&](POINT p) {
    const int pos = positionAt(p);
    if (pos == tracked) return;
    setTrack(pos);
    SendW(h, msg, MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(pos)), 0);
  });
  if (!done) setTrack(original.nPos);
  if (!IsWindow(h)) {
    press = ScrollPress{};
    return;
  }
  SendW(h, msg, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(tracked)), 0);
  press = ScrollPress{};
  SendW(h, msg, SB_ENDSCROLL, 0);
  if (auto x = PeekWnd(h)) x->scroll[bar].nTrackPos = x->scroll[bar].nPos;
  DrawScrollBarsNow(h);
}

void TrackScrollRepeat(HWND h, bool vert, int code) {
  const int bar = vert ? SB_VERT : SB_HORZ;
  const UINT msg = vert ? WM_VSCROLL : WM_HSCROLL;
  ScrollPress& press = CurrentScrollPress();
  press = ScrollPress{h, bar, code, true, 0};
  DrawScrollBarsNow(h);
  SendW(h, msg, static_cast<WPARAM>(code), 0);
  bool first = true;
  if (IsWindow(h)) SetSystemTimer(h, kScrollTimerId, kScrollFirstDelay);
  // Over the part it was pressed on: a page area ends where the thumb has come to the pointer.
  auto over = [&](POINT p) { return ScrollBarPartAt(h, vert, p) == code; };
  auto follow = [&](POINT p) {
    const bool now = over(p);
    if (now == press.over) return;
    press.over = now;
    DrawScrollBarsNow(h);
  };
  TrackUntilRelease(h, follow, [&](const MSG& m) {
    if (m.message != kSystemTimerMessage || m.hwnd != h || m.wParam != kScrollTimerId) return false;
    if (first) SetSystemTimer(h, kScrollTimerId, kScrollRepeatDelay);
    first = false;
    POINT p;
    GetCursorPos(&p);
    follow(p);
    if (press.over) SendW(h, msg, static_cast<WPARAM>(code), 0);
    return true;
  });
  press = ScrollPress{};
  if (!IsWindow(h)) return;
  KillSystemTimer(h, kScrollTimerId);
  DrawScrollBarsNow(h);
  SendW(h, msg, SB_ENDSCROLL, 0);
}

namespace {

// The sides of the window a sizing moves.
struct Sides {
  bool left = false, right = false, top = false, bottom = false;
};

Sides SidesOf(int edge) {
  Sides s;
  s.left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  s.right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
  s.top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  s.bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
  return s;
}

int EdgeOf(const Sides& s) {
  const int base = s.top ? WMSZ_TOP : s.bottom ? WMSZ_BOTTOM : 0;
  if (!base) return s.left ? WMSZ_LEFT : s.right ? WMSZ_RIGHT : 0;
  return base + (s.left ? 1 : s.right ? 2 : 0);
}

// The keyboard's move or size: the arrow keys until Enter accepts (true) or Escape, the capture
// going elsewhere or a quit message cancels (false). A click accepts where the window is. The
// loop's keys and the mouse's messages are its own; others are dispatched. On a screen without
// a display the scripted input running out accepts.
bool TrackArrowKeys(HWND h, const std::function<void(UINT)>& arrow) {
  SetCapture(h);
  bool accepted = false, cancelled = false;
  while (!accepted && !cancelled) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (!screen::CurrentBackend()->HasDisplay()) {
        accepted = true;
        break;
      }
      PresentScreen();
      WaitMessage();
      continue;
    }
    switch (m.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (m.wParam == VK_LEFT || m.wParam == VK_RIGHT || m.wParam == VK_UP || m.wParam == VK_DOWN)
          arrow(static_cast<UINT>(m.wParam));
        else if (m.wParam == VK_RETURN) accepted = true;
        else if (m.wParam == VK_ESCAPE) cancelled = true;
        break;
      case WM_KEYUP: case WM_SYSKEYUP: case WM_CHAR: case WM_SYSCHAR: case WM_DEADCHAR: case WM_SYSDEADCHAR:
      case WM_MOUSEMOVE: case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONDOWN: case WM_MBUTTONUP:
      case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MOUSEWHEEL:
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        accepted = true;
        break;
      case WM_QUIT:
        PostQuitMessage(static_cast<int>(m.wParam));
        cancelled = true;
        break;
      default:
        TranslateMessage(&m);
        DispatchMessageW(&m);
        break;
    }
    if (!IsWindow(h) || (!accepted && GetCapture() != h)) cancelled = true;
  }
  if (GetCapture() == h) ReleaseCapture();
  return accepted && !cancelled;
}

constexpr int kKeyStep = 8;  // pixels per arrow key

}  // namespace

void TrackMoveSize(HWND h, WPARAM command, POINT start) {
  auto w = PeekWnd(h);
  if (!w || w->minimized || w->maximized) return;
  const bool move = (command & 0xFFF0) == SC_MOVE;
  // A press on the caption or a frame says where (HTCAPTION, the WMSZ_ side); none: the keyboard.
  const bool keys = (command & 0x000F) == 0;
  const int edge = move || keys ? 0 : static_cast<int>(command & 0x000F);
  if (!move && !keys && edge > WMSZ_BOTTOMRIGHT) return;
  Sides sides = SidesOf(edge);

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
  // Moves `r` or its chosen sides by dx, dy (sizes within the tracking limits), asks the window
  // with WM_MOVING / WM_SIZING and places it there.
  auto track = [&](RECT r, int dx, int dy) {
    if (move) {
      OffsetRect(&r, dx, dy);
      SendW(h, WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
      place(r, SWP_NOSIZE);
      return;
    }
    if (sides.left) r.left = std::clamp<LONG>(r.left + dx, r.right - maxW, r.right - minW);
    if (sides.right) r.right = std::clamp<LONG>(r.right + dx, r.left + minW, r.left + maxW);
    if (sides.top) r.top = std::clamp<LONG>(r.top + dy, r.bottom - maxH, r.bottom - minH);
    if (sides.bottom) r.bottom = std::clamp<LONG>(r.bottom + dy, r.top + minH, r.top + maxH);
    SendW(h, WM_SIZING, static_cast<WPARAM>(EdgeOf(sides)), reinterpret_cast<LPARAM>(&r));
    place(r, 0);
  };
  SendW(h, WM_ENTERSIZEMOVE, 0, 0);
  bool done;
  if (keys) {
    done = TrackArrowKeys(h, [&](UINT vk) {
      const int dx = vk == VK_LEFT ? -kKeyStep : vk == VK_RIGHT ? kKeyStep : 0;
      const int dy = vk == VK_UP ? -kKeyStep : vk == VK_DOWN ? kKeyStep : 0;
      if (!move) {
        // Sizing: the first key along an axis chooses that side; the next ones move it.
        if (dx && !sides.left && !sides.right) {
          (dx < 0 ? sides.left : sides.right) = true;
          return;
        }
        if (dy && !sides.top && !sides.bottom) {
          (dy < 0 ? sides.top : sides.bottom) = true;
          return;
        }
      }
      track(RectInParent(h), dx, dy);
    });
  } else {
    // The dragged sides follow the mouse from where they were; the others stay.
    done = TrackUntilRelease(h, [&](POINT p) { track(original, p.x - start.x, p.y - start.y); });
  }
  if (!IsWindow(h)) return;
  if (!done) place(original, move ? SWP_NOSIZE : 0);
  SendW(h, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace winplat::user
