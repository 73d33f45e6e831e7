// The progress bar class: range, position, step, bar and background colours, blocks or smooth.
#include <algorithm>

#include "controls/control_window.h"
#include "commctrl.h"
#include "controls/paint.h"
#include "wingdi.h"

namespace winplat::controls {

namespace {

struct ProgressData {
  int lo = 0, hi = 100, pos = 0, step = 10;
  COLORREF bar = CLR_DEFAULT, bk = CLR_DEFAULT;
};

void Paint(HWND h, HDC dc, ProgressData& d) {
  RECT r;
  GetClientRect(h, &r);
  DWORD style = Style(h);
  paint::ProgressBar(dc, r, d.lo, d.hi, d.pos, (style & PBS_SMOOTH) != 0, (style & PBS_VERTICAL) != 0,
                     d.bar == CLR_DEFAULT ? paint::kDefaultColor : d.bar);
  if (d.bk != CLR_DEFAULT && d.hi > d.lo) {
    // The part not yet reached takes the background colour.
    RECT in{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    long long span = static_cast<long long>(d.hi) - d.lo;
    if (style & PBS_VERTICAL) in.bottom -= static_cast<LONG>((static_cast<long long>(d.pos) - d.lo) * (in.bottom - in.top) / span);
    else in.left += static_cast<LONG>((static_cast<long long>(d.pos) - d.lo) * (in.right - in.left) / span);
    paint::Fill(dc, in, d.bk);
  }
}

LRESULT SetPos(HWND h, ProgressData& d, long long pos) {
  int old = d.pos;
  int np = static_cast<int>(std::clamp<long long>(pos, d.lo, d.hi));
  if (np != d.pos) {
    d.pos = np;
    InvalidateRect(h, nullptr, FALSE);
  }
  return old;
}

LRESULT CALLBACK ProgressProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  ProgressData* d = StateOf<ProgressData>(h);
  if (msg == WM_NCCREATE) {
    d = new ProgressData;
    SetState(h, d);
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_NCDESTROY:
      SetState<ProgressData>(h, nullptr);
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
    case PBM_SETRANGE: {
      LRESULT old = MAKELONG(d->lo, d->hi);
      d->lo = LOWORD(lp);  // 16-bit ranges are unsigned
      d->hi = HIWORD(lp);
      SetPos(h, *d, d->pos);
      InvalidateRect(h, nullptr, FALSE);
      return old;
    }
    case PBM_SETRANGE32: {
      LRESULT old = MAKELONG(d->lo, d->hi);
      d->lo = static_cast<int>(wp);
      d->hi = static_cast<int>(lp);
      SetPos(h, *d, d->pos);
      InvalidateRect(h, nullptr, FALSE);
      return old;
    }
    case PBM_GETRANGE:
      if (lp) {
        auto* r = reinterpret_cast<PBRANGE*>(lp);
        r->iLow = d->lo;
        r->iHigh = d->hi;
      }
      return wp ? d->lo : d->hi;
    case PBM_SETPOS:
      return SetPos(h, *d, static_cast<int>(wp));
    case PBM_GETPOS:
      return d->pos;
    case PBM_DELTAPOS:
      return SetPos(h, *d, static_cast<long long>(d->pos) + static_cast<int>(wp));
    case PBM_SETSTEP: {
      int old = d->step;
      d->step = static_cast<int>(wp);
      return old;
    }
    case PBM_STEPIT: {
      // Stepping past the end starts again at the bottom, as the platform's bar does.
      long long np = static_cast<long long>(d->pos) + d->step;
      if (np > d->hi) np = d->lo + (np - d->hi);
      if (np < d->lo) np = d->hi - (d->lo - np);
      return SetPos(h, *d, np);
    }
    case PBM_SETBARCOLOR: {
      COLORREF old = d->bar;
      d->bar = static_cast<COLORREF>(lp);
      InvalidateRect(h, nullptr, FALSE);
      return static_cast<LRESULT>(old);
    }
    case PBM_SETBKCOLOR: {
      COLORREF old = d->bk;
      d->bk = static_cast<COLORREF>(lp);
      InvalidateRect(h, nullptr, FALSE);
      return static_cast<LRESULT>(old);
    }
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterProgressClass() {
  return RegisterControlClass(u"msctls_progress32", ProgressProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

}  // namespace winplat::controls
