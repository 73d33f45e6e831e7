// The tooltip class "tooltips_class32": tools (a window, or a rectangle of one), their texts
// given or asked for with TTN_GETDISPINFO, shown after the initial delay while the pointer rests
// on a tool (mouse messages relayed with TTM_RELAYEVENT), hidden on a click, on leaving or after
// the auto-pop delay.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_window.h"
#include "commctrl.h"
#include "controls/paint.h"
#include "internal/text.h"
#include "wingdi.h"
#include "winplat_user.h"
#include "wintext.h"

namespace winplat::controls {

namespace {

constexpr UINT_PTR kShowTimer = 1, kPopTimer = 2;

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  std::u16string text;
  bool callback = false;
  bool wide = true;  // added with the W message: asks with TTN_GETDISPINFOW
  LPARAM lParam = 0;
};

// A tool window subclassed for TTF_SUBCLASS: its mouse messages reach the tooltip without the
// owner relaying them.
struct Subclass {
  HWND target = nullptr;
  WNDPROC ours = nullptr, old = nullptr;
  bool unicode = true;
  std::shared_ptr<HWND> tip;  // cleared when the tooltip lets go, so a later subclasser's chain still works
};

struct TipData {
  std::vector<Tool> tools;
  std::vector<Subclass> subclasses;
  bool active = true;
  int hover = -1;    // the tool under the pointer
  int shown = -1;    // the tool whose tip shows
  int initial = 500, autopop = 5000, reshow = 100;
  int maxWidth = -1;
  HFONT font = nullptr;
  COLORREF bk = CLR_DEFAULT, fg = CLR_DEFAULT;
  std::u16string showing;
};

// TOOLINFOA and W share their layout but for the text pointer's type.
Tool FromInfo(const TOOLINFOW* ti, bool wide) {
  Tool t;
  t.flags = ti->uFlags;
  t.hwnd = ti->hwnd;
  t.id = ti->uId;
  t.rect = ti->rect;
  t.lParam = ti->lParam;
  t.wide = wide;
  if (ti->lpszText == LPSTR_TEXTCALLBACKW) {
    t.callback = true;
  } else if (ti->lpszText && !IS_INTRESOURCE(ti->lpszText)) {
    t.text = wide ? std::u16string(ti->lpszText) : AnsiToWide(reinterpret_cast<const char*>(ti->lpszText));
  }
  return t;
}

HWND ToolWindow(const Tool& t) { return (t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) : t.hwnd; }

bool IsMouseMessage(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST; }

void SubclassTool(HWND tip, TipData& d, const Tool& t) {
  HWND target = ToolWindow(t);
  if (!(t.flags & TTF_SUBCLASS) || !IsWindow(target)) return;
  for (const auto& s : d.subclasses)
    if (s.target == target) return;
  Subclass s;
  s.target = target;
  s.unicode = IsWindowUnicode(target) != FALSE;
  s.tip = std::make_shared<HWND>(tip);
  s.old = reinterpret_cast<WNDPROC>(s.unicode ? GetWindowLongPtrW(target, GWLP_WNDPROC) : GetWindowLongPtrA(target, GWLP_WNDPROC));
  auto tipRef = s.tip;
  WNDPROC old = s.old;
  bool unicode = s.unicode;
  s.ours = winplat::user::RegisterProcedure(
      [tipRef, old, unicode](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (*tipRef && IsMouseMessage(msg)) {
          MSG m{h, msg, wp, lp, 0, {0, 0}};
          SendMessageW(*tipRef, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
        }
        return unicode ? CallWindowProcW(old, h, msg, wp, lp) : CallWindowProcA(old, h, msg, wp, lp);
      },
      s.unicode);
  if (s.unicode) SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.ours));
  else SetWindowLongPtrA(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.ours));
  d.subclasses.push_back(std::move(s));
}

// Puts the window's procedure back when ours is still the current one; otherwise ours stays in
// the chain and only forwards.
void Unsubclass(Subclass& s) {
  *s.tip = nullptr;
  if (!IsWindow(s.target)) return;
  LONG_PTR now = s.unicode ? GetWindowLongPtrW(s.target, GWLP_WNDPROC) : GetWindowLongPtrA(s.target, GWLP_WNDPROC);
  if (now != reinterpret_cast<LONG_PTR>(s.ours)) return;
  if (s.unicode) SetWindowLongPtrW(s.target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.old));
  else SetWindowLongPtrA(s.target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.old));
  winplat::user::UnregisterProcedure(s.ours);
}

// Drops the subclasses of windows no tool names any more.
void ReleaseUnusedSubclasses(TipData& d) {
  for (size_t i = d.subclasses.size(); i-- > 0;) {
    bool used = false;
    for (const auto& t : d.tools)
      if ((t.flags & TTF_SUBCLASS) && ToolWindow(t) == d.subclasses[i].target) used = true;
    if (used) continue;
    Unsubclass(d.subclasses[i]);
    d.subclasses.erase(d.subclasses.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

int Find(TipData& d, HWND hwnd, UINT_PTR id) {
  for (size_t i = 0; i < d.tools.size(); ++i)
    if (d.tools[i].hwnd == hwnd && d.tools[i].id == id) return static_cast<int>(i);
  return -1;
}

// The tool under a screen point.
int ToolAt(TipData& d, POINT screen) {
  for (size_t i = 0; i < d.tools.size(); ++i) {
    const Tool& t = d.tools[i];
    if (t.flags & TTF_IDISHWND) {
      HWND w = reinterpret_cast<HWND>(t.id);
      RECT r;
      if (IsWindowVisible(w) && GetWindowRect(w, &r) && PtInRect(&r, screen)) return static_cast<int>(i);
      continue;
    }
    if (!t.hwnd) continue;
    POINT p = screen;
    ScreenToClient(t.hwnd, &p);
    if (PtInRect(&t.rect, p)) return static_cast<int>(i);
  }
  return -1;
}

HWND NotifyWindow(const Tool& t) {
  if (t.flags & TTF_IDISHWND) return t.hwnd ? t.hwnd : GetParent(reinterpret_cast<HWND>(t.id));
  return t.hwnd;
}

std::u16string TextOf(HWND h, TipData& d, Tool& t) {
  if (!t.callback) return t.text;
  HWND to = NotifyWindow(t);
  if (!to) return {};
  if (t.wide) {
    NMTTDISPINFOW n{};
    n.hdr.hwndFrom = h;
    n.hdr.idFrom = t.id;
    n.hdr.code = TTN_GETDISPINFOW;
    n.uFlags = t.flags;
    n.lParam = t.lParam;
    SendMessageW(to, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&n));
    if (n.lpszText && !IS_INTRESOURCE(n.lpszText)) return n.lpszText;
    return std::u16string(n.szText, std::find(n.szText, n.szText + 80, u'\0'));
  }
  NMTTDISPINFOA n{};
  n.hdr.hwndFrom = h;
  n.hdr.idFrom = t.id;
  n.hdr.code = TTN_GETDISPINFOA;
  n.uFlags = t.flags;
  n.lParam = t.lParam;
  SendMessageA(to, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&n));
  (void)d;
  if (n.lpszText && !IS_INTRESOURCE(n.lpszText)) return AnsiToWide(n.lpszText);
  return AnsiToWide(std::string(n.szText, std::find(n.szText, n.szText + 80, '\0')));
}

void Hide(HWND h, TipData& d) {
  KillTimer(h, kShowTimer);
  KillTimer(h, kPopTimer);
  if (d.shown >= 0) {
    d.shown = -1;
    ShowWindow(h, SW_HIDE);
  }
}

void Show(HWND h, TipData& d, int i) {
  Tool& t = d.tools[static_cast<size_t>(i)];
  d.showing = TextOf(h, d, t);
  if (d.showing.empty()) return;
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ControlFont(d.font));
  RECT calc{0, 0, d.maxWidth > 0 ? d.maxWidth : 0, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX | (d.maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  DrawTextW(dc, d.showing.c_str(), static_cast<int>(d.showing.size()), &calc, flags);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  POINT at;
  GetCursorPos(&at);
  int w = calc.right - calc.left + 8, hgt = calc.bottom - calc.top + 4;
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  int x = std::clamp(static_cast<int>(at.x), 0, std::max(0, sw - w));
  int y = at.y + 20;
  if (y + hgt > sh) y = std::max(0, static_cast<int>(at.y) - hgt - 2);
  d.shown = i;
  SetWindowPos(h, HWND_TOPMOST, x, y, w, hgt, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(h, nullptr, FALSE);
  SetTimer(h, kPopTimer, static_cast<UINT>(d.autopop), nullptr);
}

void Paint(HWND h, HDC dc, TipData& d) {
  RECT r;
  GetClientRect(h, &r);
  HGDIOBJ old = SelectObject(dc, ControlFont(d.font));
  paint::Fill(dc, r, d.bk == CLR_DEFAULT ? GetSysColor(COLOR_INFOBK) : d.bk);
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_INFOTEXT));
  FrameRect(dc, &r, frame);
  DeleteObject(frame);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, d.fg == CLR_DEFAULT ? GetSysColor(COLOR_INFOTEXT) : d.fg);
  RECT tr{r.left + 4, r.top + 2, r.right - 4, r.bottom - 2};
  DrawTextW(dc, d.showing.c_str(), static_cast<int>(d.showing.size()), &tr,
            DT_NOPREFIX | (d.maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
}

void Relay(HWND h, TipData& d, const MSG& m) {
  if (!d.active) return;
  switch (m.message) {
    case WM_MOUSEMOVE: {
      POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
      ClientToScreen(m.hwnd, &p);
      int i = ToolAt(d, p);
      if (i != d.hover) {
        bool wasShown = d.shown >= 0;
        Hide(h, d);
        d.hover = i;
        if (i >= 0) SetTimer(h, kShowTimer, static_cast<UINT>(wasShown ? d.reshow : d.initial), nullptr);
      }
      break;
    }
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
      Hide(h, d);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK TipProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  TipData* d = StateOf<TipData>(h);
  if (msg == WM_NCCREATE) {
    d = new TipData;
    SetState(h, d);
  }
  if (!d) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_NCDESTROY:
      for (auto& sc : d->subclasses) Unsubclass(sc);
      SetState<TipData>(h, nullptr);
      delete d;
      break;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(h, &ps);
      Paint(h, dc, *d);
      if (!wp) EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wp == kShowTimer) {
        KillTimer(h, kShowTimer);
        if (d->hover >= 0 && d->hover < static_cast<int>(d->tools.size())) Show(h, *d, d->hover);
      } else if (wp == kPopTimer) {
        Hide(h, *d);
      }
      return 0;
    case WM_SETFONT:
      d->font = reinterpret_cast<HFONT>(wp);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(d->font);
    case TTM_ACTIVATE:
      d->active = wp != 0;
      if (!d->active) Hide(h, *d);
      return 0;
    case TTM_ADDTOOLA:
    case TTM_ADDTOOLW: {
      if (!lp) return FALSE;
      Tool t = FromInfo(reinterpret_cast<const TOOLINFOW*>(lp), msg == TTM_ADDTOOLW);
      int at = Find(*d, t.hwnd, t.id);
      if (at >= 0) d->tools[static_cast<size_t>(at)] = t;
      else d->tools.push_back(t);
      SubclassTool(h, *d, t);
      ReleaseUnusedSubclasses(*d);
      return TRUE;
    }
    case TTM_DELTOOLA:
    case TTM_DELTOOLW: {
      if (!lp) return 0;
      auto* ti = reinterpret_cast<const TOOLINFOW*>(lp);
      int at = Find(*d, ti->hwnd, ti->uId);
      if (at >= 0) {
        if (d->shown == at || d->hover == at) {
          Hide(h, *d);
          d->hover = -1;
        }
        d->tools.erase(d->tools.begin() + at);
        ReleaseUnusedSubclasses(*d);
      }
      return 0;
    }
    case TTM_NEWTOOLRECTA:
    case TTM_NEWTOOLRECTW: {
      auto* ti = reinterpret_cast<const TOOLINFOW*>(lp);
      int at = ti ? Find(*d, ti->hwnd, ti->uId) : -1;
      if (at >= 0) d->tools[static_cast<size_t>(at)].rect = ti->rect;
      return 0;
    }
    case TTM_UPDATETIPTEXTA:
    case TTM_UPDATETIPTEXTW: {
      auto* ti = reinterpret_cast<const TOOLINFOW*>(lp);
      int at = ti ? Find(*d, ti->hwnd, ti->uId) : -1;
      if (at >= 0) {
        Tool t = FromInfo(ti, msg == TTM_UPDATETIPTEXTW);
        Tool& k = d->tools[static_cast<size_t>(at)];
        k.text = t.text;
        k.callback = t.callback;
        k.wide = t.wide;
        if (d->shown == at) {
          d->showing = TextOf(h, *d, k);
          InvalidateRect(h, nullptr, FALSE);
        }
      }
      return 0;
    }
    case TTM_GETTEXTA:
    case TTM_GETTEXTW: {
      auto* ti = reinterpret_cast<TOOLINFOW*>(lp);
      int at = ti ? Find(*d, ti->hwnd, ti->uId) : -1;
      if (at < 0 || !ti->lpszText) return 0;
      std::u16string s = d->tools[static_cast<size_t>(at)].text;
      if (msg == TTM_GETTEXTW) {
        size_t n = wp ? std::min<size_t>(s.size(), wp - 1) : s.size();
        std::copy_n(s.data(), n, ti->lpszText);
        ti->lpszText[n] = 0;
      } else {
        std::string a = WideToAnsi(s);
        size_t n = wp ? std::min<size_t>(a.size(), wp - 1) : a.size();
        char* out = reinterpret_cast<char*>(ti->lpszText);
        std::copy_n(a.data(), n, out);
        out[n] = 0;
      }
      return 0;
    }
    case TTM_GETTOOLCOUNT:
      return static_cast<LRESULT>(d->tools.size());
    case TTM_RELAYEVENT:
      if (lp) Relay(h, *d, *reinterpret_cast<const MSG*>(lp));
      return 0;
    case TTM_POP:
      Hide(h, *d);
      return 0;
    case TTM_SETDELAYTIME: {
      int v = static_cast<short>(LOWORD(lp));
      switch (wp) {
        case TTDT_INITIAL: d->initial = v < 0 ? 500 : v; break;
        case TTDT_AUTOPOP: d->autopop = v < 0 ? 5000 : v; break;
        case TTDT_RESHOW: d->reshow = v < 0 ? 100 : v; break;
        default:  // TTDT_AUTOMATIC
          d->initial = v < 0 ? 500 : v;
          d->autopop = d->initial * 10;
          d->reshow = d->initial / 5;
          break;
      }
      return 0;
    }
    case TTM_GETDELAYTIME:
      return wp == TTDT_AUTOPOP ? d->autopop : wp == TTDT_RESHOW ? d->reshow : d->initial;
    case TTM_SETMAXTIPWIDTH: {
      int old = d->maxWidth;
      d->maxWidth = static_cast<int>(lp);
      return old;
    }
    case TTM_GETMAXTIPWIDTH:
      return d->maxWidth;
    case TTM_SETTIPBKCOLOR:
      d->bk = static_cast<COLORREF>(wp);
      return 0;
    case TTM_SETTIPTEXTCOLOR:
      d->fg = static_cast<COLORREF>(wp);
      return 0;
    case TTM_GETTIPBKCOLOR:
      return static_cast<LRESULT>(d->bk == CLR_DEFAULT ? GetSysColor(COLOR_INFOBK) : d->bk);
    case TTM_GETTIPTEXTCOLOR:
      return static_cast<LRESULT>(d->fg == CLR_DEFAULT ? GetSysColor(COLOR_INFOTEXT) : d->fg);
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

ATOM RegisterTooltipsClass() {
  return RegisterControlClass(u"tooltips_class32", TipProc, CS_SAVEBITS, IDC_ARROW);
}

}  // namespace winplat::controls
