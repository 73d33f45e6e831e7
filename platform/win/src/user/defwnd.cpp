// The default window procedure, A and W.
#include <algorithm>
#include <cstring>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "user/menus_internal.h"
#include "winbase.h"
#include "winnls.h"

using namespace winplat::user;

namespace {

UINT g_menu_key = 0;  // VK_MENU or VK_F10 while it is down alone

LRESULT HitTest(HWND h, POINT screen) {
  auto w = PeekWnd(h);
  if (!w) return HTNOWHERE;
  const RECT wr = ScreenRect(h, false);
  const RECT cr = ScreenRect(h, true);
  if (!PtInRect(&wr, screen)) return HTNOWHERE;
  if (PtInRect(&cr, screen)) return HTCLIENT;
  const int cap = CaptionHeight(w->style, w->exStyle);
  const RECT in = FrameInsets(w->style & ~(WS_VSCROLL | WS_HSCROLL), w->exStyle);
  const int b = in.left;
  if (w->style & WS_THICKFRAME) {
    const bool left = screen.x < wr.left + b, right = screen.x >= wr.right - b;
    const bool top = screen.y < wr.top + b, bottom = screen.y >= wr.bottom - b;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  if (cap > 0 && screen.y >= wr.top + b && screen.y < wr.top + b + cap) {
    if ((w->style & WS_SYSMENU) && screen.x >= wr.right - b - cap) return HTCLOSE;
    return HTCAPTION;
  }
  if (MenuBarHeight(h) > 0) {
    RECT bar = MenuBarRect(h);
    OffsetRect(&bar, wr.left, wr.top);
    if (PtInRect(&bar, screen)) return HTMENU;
  }
  if ((w->style & WS_VSCROLL) && screen.x >= cr.right) return HTVSCROLL;
  if ((w->style & WS_HSCROLL) && screen.y >= cr.bottom) return HTHSCROLL;
  return HTBORDER;
}

HBRUSH ClassBrush(const Window& w) {
  HBRUSH b = w.cls->background;
  const ULONG_PTR v = reinterpret_cast<ULONG_PTR>(b);
  if (v > 0 && v <= COLOR_MENUBAR + 1) return GetSysColorBrush(static_cast<int>(v - 1));
  return b;
}

LRESULT CtlColor(UINT msg, WPARAM wp) {
  HDC dc = reinterpret_cast<HDC>(wp);
  const bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_3DFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(window ? COLOR_WINDOW : COLOR_3DFACE));
}

void SetText(HWND h, std::u16string t) {
  auto w = PeekWnd(h);
  if (!w) return;
  w->text = std::move(t);
  if (CaptionHeight(w->style, w->exStyle) > 0 && IsReallyVisible(h)) {
    w->ncPaint = true;
    WakeQueue();
  }
}

LRESULT DefCore(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool unicode) {
  auto w = GetWnd(h);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      if (unicode) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      } else {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = winplat::AnsiToWide(cs->lpszName);
      }
      return TRUE;
    }
    case WM_NCCALCSIZE: {
      RECT* r = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
      if (!r) return 0;
      const RECT in = FrameInsets(w->style, w->exStyle);
      r->left += in.left;
      r->top += in.top;
      r->right -= in.right;
      r->bottom -= in.bottom;
      r->top += MenuBarHeight(h);
      if (r->right < r->left) r->right = r->left;
      if (r->bottom < r->top) r->bottom = r->top;
      return 0;
    }
    case WM_NCHITTEST:
      return HitTest(h, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
    case WM_NCPAINT:
      PaintNonClient(h);
      return 0;
    case WM_NCACTIVATE:
      if (CaptionHeight(w->style, w->exStyle) > 0 || (w->style & WS_THICKFRAME)) PaintNonClient(h);
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH b = ClassBrush(*w);
      if (!b) return 0;
      RECT r;
      GetClientRect(h, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, b);
      return 1;
    }
    case WM_SETTEXT:
      if (!lp) SetText(h, {});
      else SetText(h, unicode ? std::u16string(reinterpret_cast<LPCWSTR>(lp)) : winplat::AnsiToWide(reinterpret_cast<LPCSTR>(lp)));
      return TRUE;
    case WM_GETTEXT: {
      if (wp == 0 || !lp) return 0;
      if (unicode) {
        const size_t n = std::min(w->text.size(), static_cast<size_t>(wp - 1));
        std::memcpy(reinterpret_cast<char16_t*>(lp), w->text.data(), n * 2);
        reinterpret_cast<char16_t*>(lp)[n] = 0;
        return static_cast<LRESULT>(n);
      }
      const std::string a = winplat::WideToAnsi(w->text);
      size_t n = 0;
      while (n < a.size()) {
        const size_t step = IsDBCSLeadByte(static_cast<BYTE>(a[n])) && n + 1 < a.size() ? 2 : 1;
        if (n + step > wp - 1) break;
        n += step;
      }
      std::memcpy(reinterpret_cast<char*>(lp), a.data(), n);
      reinterpret_cast<char*>(lp)[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(unicode ? w->text.size() : winplat::WideToAnsi(w->text).size());
    case WM_CLOSE:
      DestroyWindow(h);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* p = reinterpret_cast<WINDOWPOS*>(lp);
      if (!p) return 0;
      if (!(p->flags & SWP_NOSIZE) || (p->flags & SWP_FRAMECHANGED)) {
        const WPARAM kind = w->maximized ? SIZE_MAXIMIZED : w->minimized ? SIZE_MINIMIZED : SIZE_RESTORED;
        SendW(h, WM_SIZE, kind, MAKELONG(w->client.right - w->client.left, w->client.bottom - w->client.top));
      }
      w = PeekWnd(h);
      if (w && (!(p->flags & SWP_NOMOVE) || (p->flags & SWP_FRAMECHANGED)))
        SendW(h, WM_MOVE, 0, MAKELONG(static_cast<WORD>(w->client.left), static_cast<WORD>(w->client.top)));
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && !w->minimized) {
        HWND f = GetFocus();
        if (f != h && !IsChild(h, f)) SetFocus(h);
      }
      return 0;
    case WM_MOUSEACTIVATE:
      if ((w->style & WS_CHILD) && w->parent && w->parent != Desktop()) {
        const LRESULT r = unicode ? SendMessageW(w->parent, msg, wp, lp) : SendMessageA(w->parent, msg, wp, lp);
        if (r) return r;
      }
      return (w->exStyle & WS_EX_NOACTIVATE) ? MA_NOACTIVATE : MA_ACTIVATE;
    case WM_SETCURSOR: {
      if ((w->style & WS_CHILD) && w->parent && w->parent != Desktop()) {
        if (SendW(w->parent, WM_SETCURSOR, wp, lp)) return TRUE;
      }
      const int ht = static_cast<short>(LOWORD(lp));
      if (ht == HTCLIENT) {
        SetCursor(w->cls->cursor ? w->cls->cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
        return TRUE;
      }
      int idc = 32512;
      switch (ht) {
        case HTLEFT: case HTRIGHT: idc = 32644; break;
        case HTTOP: case HTBOTTOM: idc = 32645; break;
        case HTTOPLEFT: case HTBOTTOMRIGHT: idc = 32642; break;
        case HTTOPRIGHT: case HTBOTTOMLEFT: idc = 32643; break;
        default: break;
      }
      SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(idc)));
      return ht == HTERROR ? FALSE : TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      g_menu_key = 0;  // Alt held for a click is no menu key
      return 0;
    case WM_NCLBUTTONDOWN:
      g_menu_key = 0;
      // The close box acts on release; scroll bars, the caption and the frame on the press.
      if (wp == HTVSCROLL || wp == HTHSCROLL) ScrollBarClick(h, static_cast<int>(wp), POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      else if (wp == HTCAPTION) SendW(h, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lp);
      else if (wp == HTMENU) SendW(h, WM_SYSCOMMAND, SC_MOUSEMENU, lp);
      else if (wp >= HTLEFT && wp <= HTBOTTOMRIGHT && (w->style & WS_THICKFRAME))
        SendW(h, WM_SYSCOMMAND, SC_SIZE | (wp - HTLEFT + WMSZ_LEFT), lp);
      return 0;
    case WM_NCLBUTTONUP:
      if (wp == HTCLOSE) SendW(h, WM_SYSCOMMAND, SC_CLOSE, lp);
      return 0;
    case WM_NCLBUTTONDBLCLK:
      // A second press on a scroll bar scrolls again.
      if (wp == HTVSCROLL || wp == HTHSCROLL) ScrollBarClick(h, static_cast<int>(wp), POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      if (wp == HTCAPTION && (w->style & WS_MAXIMIZEBOX)) SendW(h, WM_SYSCOMMAND, w->maximized ? SC_RESTORE : SC_MAXIMIZE, lp);
      return 0;
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_CLOSE: SendW(h, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: ShowWindow(h, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(h, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(h, SW_RESTORE); break;
        case SC_MOVE:
        case SC_SIZE: TrackMoveSize(h, wp, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); break;
        case SC_MOUSEMENU:
        case SC_KEYMENU: TrackMenuBar(h, static_cast<UINT>(wp & 0xFFF0), lp); break;
        default: break;
      }
      return 0;
    case WM_SYSKEYDOWN:
      // Alt or F10 pressed and let go with no other key between them opens the menu bar.
      g_menu_key = (wp == VK_MENU || wp == VK_F10) && !(lp & (1L << 30)) ? static_cast<UINT>(wp) : 0;
      if (wp == VK_F4 && (lp & (1 << 29))) SendW(RootOfWindow(h), WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSKEYUP:
    case WM_KEYUP:
      if (wp == VK_MENU || wp == VK_F10) {
        const bool alone = g_menu_key == wp;
        g_menu_key = 0;
        if (alone) SendW(RootOfWindow(h), WM_SYSCOMMAND, SC_KEYMENU, 0);
      }
      return 0;
    case WM_SYSCHAR:
      // Alt and a character: the mnemonic of an item of the menu bar.
      g_menu_key = 0;
      if (wp != VK_RETURN && wp != VK_ESCAPE && wp != ' ' && (lp & (1 << 29))) {
        HWND root = RootOfWindow(h);
        // An ANSI window's character is a byte: only the single-byte ones name an item.
        if (GetMenu(root) && (unicode || wp < 0x80)) SendW(root, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wp));
      }
      return 0;
    case WM_KEYDOWN:
      g_menu_key = 0;
      return 0;
    case WM_CHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
      return 0;
    case WM_IME_CHAR: {
      if (unicode) {
        SendMessageW(h, WM_CHAR, wp, lp);
      } else {
        if (wp > 0xFF) SendMessageA(h, WM_CHAR, (wp >> 8) & 0xFF, lp);
        SendMessageA(h, WM_CHAR, wp & 0xFF, lp);
      }
      return 0;
    }
    case WM_UNICHAR:
      return wp == UNICODE_NOCHAR ? FALSE : FALSE;
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
      return CtlColor(msg, wp);
    case WM_NOTIFYFORMAT:
      return w->proc.unicode ? NFR_UNICODE : NFR_ANSI;
    case WM_SETREDRAW:
      if (wp) {
        w->style |= WS_VISIBLE;
      } else {
        w->style &= ~WS_VISIBLE;
      }
      BumpVisGeneration();
      return 0;
    case kSystemTimerMessage:
      if (wp == kCaretTimerId) BlinkCaret(h);
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == h) ReleaseCapture();
      return 0;
    case WM_SHOWWINDOW:
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
    case WM_PALETTEISCHANGING:
    case WM_GETFONT:
    case WM_GETICON:
    case WM_GETDLGCODE:
      return 0;
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
      return TRUE;
    case WM_WINDOWPOSCHANGING: {
      // A resized frame keeps the minimum and maximum tracking sizes its owner asks for.
      auto* p = reinterpret_cast<WINDOWPOS*>(lp);
      if (!p || (p->flags & SWP_NOSIZE) || !((w->style & WS_THICKFRAME) || !(w->style & (WS_POPUP | WS_CHILD))))
        return 0;
      MINMAXINFO mmi = DefaultMinMax(*w);
      SendW(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
      p->cx = std::min<int>(p->cx, mmi.ptMaxTrackSize.x);
      p->cy = std::min<int>(p->cy, mmi.ptMaxTrackSize.y);
      if (!(w->style & WS_MINIMIZE)) {
        p->cx = std::max<int>(p->cx, mmi.ptMinTrackSize.x);
        p->cy = std::max<int>(p->cy, mmi.ptMinTrackSize.y);
      }
      return 0;
    }
    case WM_GETMINMAXINFO:
    case WM_PARENTNOTIFY:
    case WM_SIZE:
    case WM_MOVE:
    default:
      return 0;
  }
}

}  // namespace

namespace winplat::user {
HWND RootOfWindow(HWND h) {
  auto w = PeekWnd(h);
  while (w && !IsTopLevel(*w)) w = PeekWnd(w->parent);
  return w ? w->handle : nullptr;
}
}  // namespace winplat::user

LRESULT WINAPI DefWindowProcW(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return DefCore(h, msg, wp, lp, true);
}
LRESULT WINAPI DefWindowProcA(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefCore(h, msg, wp, lp, false); }

VSE_EXPORT("user32.dll", DefWindowProcA);
VSE_EXPORT("user32.dll", DefWindowProcW);
