// The up-down class "msctls_updown32": range, position, wrap, a buddy window that shows the
// number, UDN_DELTAPOS (which the parent may refuse) and the scroll message for each step,
// with auto-repeat while a button is held.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/control_window.h"
#include "commctrl.h"
#include "controls/paint.h"
#include "wingdi.h"

namespace winplat::controls {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;

struct UpDownData {
  int lo = 100, hi = 0;  // the platform's default range runs backwards
  int pos = 0;
  int base = 10;
  HWND buddy = nullptr;
  int pressed = 0;  // +1 the increasing button, -1 the other
  bool tracking = false;
};

bool Horizontal(HWND h) { return (Style(h) & UDS_HORZ) != 0; }

void SetBuddyText(HWND h, UpDownData& d) {
  if (!d.buddy || !(Style(h) & UDS_SETBUDDYINT)) return;
  std::u16string s;
  if (d.base == 16) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(d.pos));
    for (char* p = buf; *p; ++p) s.push_back(static_cast<char16_t>(*p));
  } else {
    std::string n = std::to_string(std::abs(d.pos));
    if (!(Style(h) & UDS_NOTHOUSANDS))
      for (int i = static_cast<int>(n.size()) - 3; i > 0; i -= 3) n.insert(static_cast<size_t>(i), ",");
    if (d.pos < 0) s.push_back(u'-');
    for (char c : n) s.push_back(static_cast<char16_t>(c));
  }
  SetWindowTextW(d.buddy, s.c_str());
}

// One step up (+1) or down (-1) on the screen: up increases the value unless the range runs
// backwards.
void Step(HWND h, UpDownData& d, int dir) {
  int delta = dir * (d.hi >= d.lo ? 1 : -1);
  NMUPDOWN nm{};
  nm.hdr.hwndFrom = h;
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(h));
  nm.hdr.code = UDN_DELTAPOS;
  nm.iPos = d.pos;
  nm.iDelta = delta;
  HWND p = NotifyTarget(h);
  if (p && SendMessageW(p, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm))) return;  // refused
  int lo = std::min(d.lo, d.hi), hi = std::max(d.lo, d.hi);
  long long np = static_cast<long long>(d.pos) + nm.iDelta;
  if (np > hi) np = (Style(h) & UDS_WRAP) ? lo : hi;
  if (np < lo) np = (Style(h) & UDS_WRAP) ? hi : lo;
  if (np == d.pos) return;
  d.pos = static_cast<int>(np);
  SetBuddyText(h, d);
  if (p) SendMessageW(p, Horizontal(h) ? WM_HSCROLL : WM_VSCROLL, static_cast<WPARAM>(MAKELONG(SB_THUMBPOSITION, d.pos)),
                      reinterpret_cast<LPARAM>(h));
}

int ButtonAt(HWND h, LPARAM lp) {
  RECT r;
  GetClientRect(h, &r);
  if (Horizontal(h)) return GET_X_LPARAM(lp) < (r.right / 2) ? -1 : 1;
  return GET_Y_LPARAM(lp) < (r.bottom / 2) ? 1 : -1;
}

void Paint(HWND h, HDC dc, UpDownData& d) {
  RECT r;
  GetClientRect(h, &r);
  bool disabled = (Style(h) & WS_DISABLED) != 0;
  if (Horizontal(h)) {
    RECT a{r.left, r.top, r.right / 2, r.bottom}, b{r.right / 2, r.top, r.right, r.bottom};
    paint::ArrowButton(dc, a, 2, d.pressed == -1, disabled);
    paint::ArrowButton(dc, b, 3, d.pressed == 1, disabled);
  } else {
    RECT a{r.left, r.top, r.right, r.bottom / 2}, b{r.left, r.bottom / 2, r.right, r.bottom};
    paint::ArrowButton(dc, a, 0, d.pressed == 1, disabled);
    paint::ArrowButton(dc, b, 1, d.pressed == -1, disabled);
  }
}

// Places the control beside its buddy, taking the buddy's height (UDS_ALIGNRIGHT/LEFT).
void Align(HWND h, UpDownData& d) {
  DWORD st = Style(h);
  if (!d.buddy || !(st & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) return;
  RECT br;
  GetWindowRect(d.buddy, &br);
  HWND parent = GetParent(h);
  POINT tl{br.left, br.top}, brp{br.right, br.bottom};
  ScreenToClient(parent, &tl);
  ScreenToClient(parent, &brp);
  RECT mine;
  GetWindowRect(h, &mine);
  int w = mine.right - mine.left;
  if (w <= 0) w = 16;
  int x = (st & UDS_ALIGNRIGHT) ? brp.x : tl.x - w;
  SetWindowPos(h, nullptr, x, tl.y, w, brp.y - tl.y, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK UpDownProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  UpDownData* d = StateOf<UpDownData>(h);
  if (msg == WM_NCCREATE) {
    d = new UpDownData;
    SetState(h, d);
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_CREATE:
      // UDS_AUTOBUDDY: the window before this one in the z-order.
      if (Style(h) & UDS_AUTOBUDDY) {
        d->buddy = GetWindow(h, GW_HWNDPREV);
        Align(h, *d);
        SetBuddyText(h, *d);
      }
      return 0;
    case WM_NCDESTROY:
      SetState<UpDownData>(h, nullptr);
      delete d;
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      Paint(h, dc, *d);
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Style(h) & WS_DISABLED) return 0;
      d->pressed = ButtonAt(h, lp);
      d->tracking = true;
      SetCapture(h);
      InvalidateRect(h, nullptr, FALSE);
      Step(h, *d, d->pressed);
      SetTimer(h, kRepeatTimer, 400, nullptr);
      return 0;
    case WM_TIMER:
      if (wp == kRepeatTimer && d->tracking && d->pressed) {
        Step(h, *d, d->pressed);
        SetTimer(h, kRepeatTimer, 80, nullptr);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (d->tracking) {
        d->tracking = false;
        d->pressed = 0;
        KillTimer(h, kRepeatTimer);
        if (msg == WM_LBUTTONUP) ReleaseCapture();
        InvalidateRect(h, nullptr, FALSE);
        if (HWND p = NotifyTarget(h))
          SendMessageW(p, Horizontal(h) ? WM_HSCROLL : WM_VSCROLL, static_cast<WPARAM>(MAKELONG(SB_ENDSCROLL, d->pos)),
                       reinterpret_cast<LPARAM>(h));
      }
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_UP || wp == VK_RIGHT) Step(h, *d, 1);
      else if (wp == VK_DOWN || wp == VK_LEFT) Step(h, *d, -1);
      return 0;
    case UDM_SETRANGE:
      d->hi = static_cast<short>(LOWORD(lp));
      d->lo = static_cast<short>(HIWORD(lp));
      return 0;
    case UDM_GETRANGE:
      return static_cast<LRESULT>(MAKELONG(d->hi, d->lo));
    case UDM_SETRANGE32:
      d->lo = static_cast<int>(wp);
      d->hi = static_cast<int>(lp);
      return 0;
    case UDM_GETRANGE32:
      if (wp) *reinterpret_cast<int*>(wp) = d->lo;
      if (lp) *reinterpret_cast<int*>(lp) = d->hi;
      return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
      int old = d->pos;
      int v = msg == UDM_SETPOS ? static_cast<short>(LOWORD(lp)) : static_cast<int>(lp);
      d->pos = std::clamp(v, std::min(d->lo, d->hi), std::max(d->lo, d->hi));
      SetBuddyText(h, *d);
      return old;
    }
    case UDM_GETPOS:
      return static_cast<LRESULT>(MAKELONG(d->pos, 0));
    case UDM_GETPOS32:
      if (lp) *reinterpret_cast<BOOL*>(lp) = FALSE;
      return d->pos;
    case UDM_SETBUDDY: {
      HWND old = d->buddy;
      d->buddy = reinterpret_cast<HWND>(wp);
      Align(h, *d);
      SetBuddyText(h, *d);
      return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(d->buddy);
    case UDM_SETBASE: {
      if (wp != 10 && wp != 16) return 0;
      int old = d->base;
      d->base = static_cast<int>(wp);
      SetBuddyText(h, *d);
      return old;
    }
    case UDM_GETBASE:
      return d->base;
    case UDM_SETACCEL:
      return TRUE;  // one step per repeat; acceleration is not kept
    case UDM_GETACCEL:
      return 0;
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterUpDownClass() {
  return RegisterControlClass(u"msctls_updown32", UpDownProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace winplat::controls
