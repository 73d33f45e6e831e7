// The dialog manager: dialogs from templates built in code, the default dialog procedure,
// keyboard navigation (IsDialogMessage), modal loops and EndDialog.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winbase.h"
#include "winplat_screen.h"

using namespace winplat::user;

namespace {

std::mutex g_modal_mutex;
ModalIdleHandler& IdleHandler() {
  static auto* h = new ModalIdleHandler;
  return *h;
}

struct TemplateKey {
  HINSTANCE instance;
  std::u16string name;
  bool operator<(const TemplateKey& o) const {
    return instance != o.instance ? instance < o.instance : name < o.name;
  }
};
std::map<TemplateKey, const DLGTEMPLATEW*>& Templates() {
  static auto* m = new std::map<TemplateKey, const DLGTEMPLATEW*>;
  return *m;
}

std::u16string TemplateName(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return u"#" + winplat::AnsiToWide(std::to_string(reinterpret_cast<ULONG_PTR>(name)));
  std::u16string s(name);
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return s;
}

const DLGTEMPLATEW* FindTemplate(HINSTANCE inst, LPCWSTR name) {
  auto& m = Templates();
  auto it = m.find(TemplateKey{inst, TemplateName(name)});
  if (it != m.end()) return it->second;
  for (auto& [k, v] : m)
    if (k.name == TemplateName(name)) return v;
  SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
  return nullptr;
}

constexpr int kBaseX = 6, kBaseY = 13;  // pixels per 4 x 8 dialog units
int DuX(int v) { return v * kBaseX / 4; }
int DuY(int v) { return v * kBaseY / 8; }

DLGPROC DialogProcOf(HWND h) {
  return reinterpret_cast<DLGPROC>(WindowLong(h, DWLP_DLGPROC, true));
}

bool IsButtonClass(HWND h) {
  auto w = PeekWnd(h);
  return w && IsControlKind(*w, u"BUTTON");
}

HWND FirstTabStop(HWND dlg) { return GetNextDlgTabItem(dlg, nullptr, FALSE); }

HWND CreateDialogCore(HINSTANCE inst, const DLGTEMPLATEW* t, HWND parent, DLGPROC proc, LPARAM param, bool unicode) {
  if (!t) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  RegisterSystemClasses();
  DWORD style = t->style;
  DWORD ex = t->dwExtendedStyle;
  if (style & DS_MODALFRAME) ex |= WS_EX_DLGMODALFRAME;
  if (style & DS_CONTROL) {
    style &= ~(WS_CAPTION | WS_SYSMENU);
    style |= WS_CHILD;
    ex |= WS_EX_CONTROLPARENT;
  }
  RECT r{0, 0, DuX(t->cx), DuY(t->cy)};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  int x = DuX(t->x), y = DuY(t->y);
  const int w = r.right - r.left, hgt = r.bottom - r.top;
  HWND owner = parent;
  if (!(style & WS_CHILD)) {
    RECT ref;
    if (owner && IsWindow(owner) && !(style & DS_CENTER) && !(style & DS_ABSALIGN)) {
      POINT o{0, 0};
      ClientToScreen(owner, &o);
      x += o.x;
      y += o.y;
    }
    if (style & (DS_CENTER | DS_CENTERMOUSE)) {
      if (owner && IsWindow(owner)) GetWindowRect(GetAncestor(owner, GA_ROOT), &ref);
      else {
        const SIZE s = winplat::screen::CurrentBackend()->DisplaySize();
        ref = RECT{0, 0, s.cx, s.cy};
      }
      x = ref.left + (ref.right - ref.left - w) / 2;
      y = ref.top + (ref.bottom - ref.top - hgt) / 2;
    }
    const SIZE s = winplat::screen::CurrentBackend()->DisplaySize();
    x = std::max(0, std::min(x, static_cast<int>(s.cx) - w));
    y = std::max(0, std::min(y, static_cast<int>(s.cy) - hgt));
  }
  const LPCWSTR cls = t->windowClass ? t->windowClass : MAKEINTATOMW(0x8002);
  HWND h;
  if (unicode) {
    h = CreateWindowExW(ex, t->windowClass ? t->windowClass : u"#32770", t->title ? t->title : u"",
                        style & ~WS_VISIBLE, x, y, w, hgt, parent, nullptr, inst, nullptr);
  } else {
    const std::string title = winplat::WideToAnsi(t->title ? t->title : u"");
    const std::string clsA = winplat::WideToAnsi(t->windowClass ? t->windowClass : u"#32770");
    h = CreateWindowExA(ex, clsA.c_str(), title.c_str(), style & ~WS_VISIBLE, x, y, w, hgt, parent, nullptr, inst, nullptr);
  }
  (void)cls;
  if (!h) return nullptr;
  auto win = PeekWnd(h);
  win->dialog = true;
  win->dlgUnicode = unicode;
  if (win->extra.size() >= static_cast<size_t>(DLGWINDOWEXTRA)) {
    SetWindowLongPtrW(h, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (!unicode) SetWindowLongPtrA(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&DefDlgProcA));
  }
  HFONT font = nullptr;
  if (t->style & DS_SETFONT) {
    LOGFONTW lf{};
    lf.lfHeight = -(t->pointSize * 96 + 36) / 72;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::u16string face = t->typeface ? t->typeface : u"MS UI Gothic";
    face.copy(lf.lfFaceName, std::min<size_t>(face.size(), 31));
    font = CreateFontIndirectW(&lf);
    win->dlgFont = font;
  }
  for (WORD i = 0; i < t->cdit && t->items; ++i) {
    const DLGITEMTEMPLATEW& it = t->items[i];
    const DWORD cs = (it.style | WS_CHILD) & ~0u;
    HWND c;
    if (unicode) {
      c = CreateWindowExW(it.dwExtendedStyle | WS_EX_NOPARENTNOTIFY, it.windowClass ? it.windowClass : u"STATIC",
                          it.title ? it.title : u"", cs, DuX(it.x), DuY(it.y), DuX(it.cx), DuY(it.cy), h,
                          reinterpret_cast<HMENU>(static_cast<uintptr_t>(it.id)), inst, it.creationData);
    } else {
      const std::string title = winplat::WideToAnsi(it.title ? it.title : u"");
      std::string clsA;
      LPCSTR clsArg;
      if (it.windowClass && IS_INTRESOURCE(it.windowClass)) clsArg = reinterpret_cast<LPCSTR>(it.windowClass);
      else {
        clsA = winplat::WideToAnsi(it.windowClass ? it.windowClass : u"STATIC");
        clsArg = clsA.c_str();
      }
      c = CreateWindowExA(it.dwExtendedStyle | WS_EX_NOPARENTNOTIFY, clsArg, title.c_str(), cs, DuX(it.x), DuY(it.y),
                          DuX(it.cx), DuY(it.cy), h, reinterpret_cast<HMENU>(static_cast<uintptr_t>(it.id)), inst,
                          it.creationData);
    }
    if (!c && !(t->style & DS_NOFAILCREATE)) {
      DestroyWindow(h);
      return nullptr;
    }
    if (c && font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (!IsWindow(h)) return nullptr;
  if (font) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  HWND first = FirstTabStop(h);
  const LRESULT r2 = unicode ? SendMessageW(h, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param)
                             : SendMessageA(h, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  win = PeekWnd(h);
  if (!win) return nullptr;
  if (r2) win->dlgFocus = first;
  else if (GetFocus() && IsChild(h, GetFocus())) win->dlgFocus = GetFocus();
  if ((t->style & WS_VISIBLE) && !win->dlgEnded) ShowWindow(h, SW_SHOWNORMAL);
  return h;
}

bool AnythingPending() {
  MSG m;
  return PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

bool HasTimersOrDisplay() {
  return winplat::screen::CurrentBackend()->HasDisplay() || (GetQueueStatus(QS_TIMER) != 0) || TimersExist();
}

INT_PTR DialogBoxCore(HINSTANCE inst, const DLGTEMPLATEW* t, HWND parent, DLGPROC proc, LPARAM param, bool unicode) {
  if (!t) return -1;
  DLGTEMPLATEW copy = *t;
  copy.style &= ~WS_VISIBLE;
  HWND h = CreateDialogCore(inst, &copy, parent, proc, param, unicode);
  if (!h) return -1;
  HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
  bool reenable = false;
  if (owner && owner != h && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    reenable = true;
  }
  auto w = PeekWnd(h);
  if (w && !w->dlgEnded) {
    ShowWindow(h, SW_SHOWNORMAL);
    UpdateWindow(h);
  }
  RunModalLoop(h, [h] {
    auto x = PeekWnd(h);
    return !x || x->dlgEnded;
  });
  INT_PTR result = IDCANCEL;
  if (auto x = PeekWnd(h)) result = x->dlgResult;
  if (reenable && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (owner && IsWindow(owner) && IsWindowVisible(owner)) SetActiveWindow(owner);
  if (IsWindow(h)) DestroyWindow(h);
  return result;
}

bool IsHandledDirectly(UINT msg) {
  switch (msg) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

LRESULT DefDlgCore(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool unicode) {
  auto w = GetWnd(h);
  if (!w) return 0;
  if (DLGPROC p = DialogProcOf(h)) {
    Proc proc = ResolveProc(reinterpret_cast<LONG_PTR>(p), w->dlgUnicode);
    const LRESULT r = CallProc(proc, unicode, h, msg, wp, lp);
    if (!PeekWnd(h)) return r;
    if (r) return IsHandledDirectly(msg) ? r : WindowLong(h, DWLP_MSGRESULT, true);
  }
  w = PeekWnd(h);
  if (!w) return 0;
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(h, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_3DFACE));
      return 1;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(h, f)) w->dlgFocus = f;
      } else {
        HWND f = w->dlgFocus && IsWindow(w->dlgFocus) ? w->dlgFocus : FirstTabStop(h);
        SetFocus(f ? f : h);
      }
      return 0;
    case WM_SETFOCUS: {
      HWND f = w->dlgFocus && IsWindow(w->dlgFocus) ? w->dlgFocus : FirstTabStop(h);
      if (f && f != h) SetFocus(f);
      return 0;
    }
    case WM_CLOSE: {
      HWND c = GetDlgItem(h, IDCANCEL);
      if (!c || IsWindowEnabled(c)) PostMessageW(h, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(c));
      return 0;
    }
    case DM_GETDEFID: {
      HANDLE id = GetPropW(h, u"VseDefId");
      if (id) return MAKELONG(static_cast<WORD>(reinterpret_cast<uintptr_t>(id)), DC_HASDEFID);
      for (HWND c : w->children) {
        auto cw = PeekWnd(c);
        if (cw && IsButtonClass(c) && (cw->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
          return MAKELONG(static_cast<WORD>(cw->id), DC_HASDEFID);
      }
      return 0;
    }
    case DM_SETDEFID:
      SetPropW(h, u"VseDefId", reinterpret_cast<HANDLE>(static_cast<uintptr_t>(wp & 0xFFFF)));
      for (HWND c : w->children) {
        auto cw = PeekWnd(c);
        if (!cw || !IsButtonClass(c)) continue;
        const DWORD type = cw->style & BS_TYPEMASK;
        if (cw->id == static_cast<LONG_PTR>(wp) && type == BS_PUSHBUTTON) SendMessageW(c, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        else if (cw->id != static_cast<LONG_PTR>(wp) && type == BS_DEFPUSHBUTTON) SendMessageW(c, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
      }
      return TRUE;
    case WM_NEXTDLGCTL: {
      HWND next = lp ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(h, GetFocus(), wp ? TRUE : FALSE);
      if (next) SetFocus(next);
      return 0;
    }
    case WM_NCDESTROY:
      if (w->dlgFont) {
        DeleteObject(w->dlgFont);
        w->dlgFont = nullptr;
      }
      RemovePropW(h, u"VseDefId");
      break;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(w->dlgFont);
    default:
      break;
  }
  return unicode ? DefWindowProcW(h, msg, wp, lp) : DefWindowProcA(h, msg, wp, lp);
}

bool IsDialogCore(HWND dlg, LPMSG m, bool unicode) {
  if (!dlg || !m || !IsWindow(dlg)) return false;
  if (m->hwnd != dlg && !IsChild(dlg, m->hwnd)) return false;
  if (m->message == WM_KEYDOWN) {
    const LRESULT code = SendMessageW(m->hwnd, WM_GETDLGCODE, m->wParam, reinterpret_cast<LPARAM>(m));
    switch (m->wParam) {
      case VK_TAB:
        if (!(code & (DLGC_WANTTAB | DLGC_WANTMESSAGE))) {
          HWND next = GetNextDlgTabItem(dlg, GetFocus(), GetKeyState(VK_SHIFT) < 0);
          if (next) {
            SetFocus(next);
            if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
          }
          return true;
        }
        break;
      case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        if (!(code & (DLGC_WANTARROWS | DLGC_WANTMESSAGE))) {
          HWND next = GetNextDlgGroupItem(dlg, GetFocus(), m->wParam == VK_LEFT || m->wParam == VK_UP);
          if (next) {
            SetFocus(next);
            if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessageW(next, BM_CLICK, 0, 0);
          }
          return true;
        }
        break;
      case VK_RETURN:
        if (!(code & DLGC_WANTMESSAGE)) {
          int id = IDOK;
          HWND f = GetFocus();
          if (f && IsChild(dlg, f) && (SendMessageW(f, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
            id = GetDlgCtrlID(f);
          else {
            const LRESULT d = SendMessageW(dlg, DM_GETDEFID, 0, 0);
            if (HIWORD(d) == DC_HASDEFID) id = LOWORD(d);
          }
          HWND b = GetDlgItem(dlg, id);
          if (!b || IsWindowEnabled(b)) SendMessageW(dlg, WM_COMMAND, MAKELONG(id, BN_CLICKED), reinterpret_cast<LPARAM>(b));
          return true;
        }
        break;
      case VK_ESCAPE:
        if (!(code & DLGC_WANTMESSAGE)) {
          HWND b = GetDlgItem(dlg, IDCANCEL);
          if (!b || IsWindowEnabled(b)) SendMessageW(dlg, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(b));
          return true;
        }
        break;
      default:
        break;
    }
  }
  TranslateMessage(m);
  if (unicode) DispatchMessageW(m);
  else DispatchMessageA(m);
  return true;
}

}  // namespace

namespace winplat::user {

void DialogFocusMoved(HWND to) {
  auto tw = PeekWnd(to);
  if (!tw || !(tw->style & WS_CHILD)) return;
  HWND dlg = tw->parent;
  auto dw = PeekWnd(dlg);
  if (!dw || !dw->dialog) return;
  const bool pushButton = SendMessageW(to, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
  // The dialog's own default is remembered before a focused button borrows the default style,
  // since DM_GETDEFID otherwise reads it from the styles.
  if (!GetPropW(dlg, u"VseDefId")) {
    const LRESULT d = SendMessageW(dlg, DM_GETDEFID, 0, 0);
    if (HIWORD(d) == DC_HASDEFID && LOWORD(d))
      SetPropW(dlg, u"VseDefId", reinterpret_cast<HANDLE>(static_cast<uintptr_t>(LOWORD(d))));
  }
  HWND wanted = to;
  if (!pushButton) {
    const LRESULT d = SendMessageW(dlg, DM_GETDEFID, 0, 0);
    wanted = HIWORD(d) == DC_HASDEFID ? GetDlgItem(dlg, LOWORD(d)) : nullptr;
  }
  const std::vector<HWND> children = dw->children;
  for (HWND c : children) {
    auto cw = PeekWnd(c);
    if (!cw || !IsButtonClass(c)) continue;
    const DWORD type = cw->style & BS_TYPEMASK;
    if (c == wanted && type == BS_PUSHBUTTON) SendMessageW(c, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    else if (c != wanted && type == BS_DEFPUSHBUTTON) SendMessageW(c, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
}

void RegisterSystemClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS | CS_SAVEBITS;
  wc.lpfnWndProc = &DefDlgProcW;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_3DFACE + 1));
  wc.lpszClassName = u"#32770";
  RegisterSystemClassW(wc);
  void RegisterMessageBoxClass();
  RegisterMessageBoxClass();
}

void RunModalLoop(HWND modal, const std::function<bool()>& done, const std::function<bool(const MSG&)>& filter) {
  while (!done()) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));  // the program's own loop ends too
        break;
      }
      if (filter && filter(m)) continue;
      if (!IsWindow(modal) || !IsDialogMessageW(modal, &m)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      continue;
    }
    PresentScreen();
    ModalIdleHandler handler;
    {
      std::lock_guard<std::mutex> lock(g_modal_mutex);
      handler = IdleHandler();
    }
    if (handler) {
      handler(modal);
      if (done() || AnythingPending()) continue;
    }
    if (!HasTimersOrDisplay()) {
      // Nobody can answer: no display, no script, nothing that could still happen.
      WCHAR caption[256] = {};
      if (IsWindow(modal)) GetWindowTextW(modal, caption, 256);
      const std::string line = "modal window without an answerer, cancelled: " + winplat::WideToUtf8(caption) + "\n";
      std::fwrite(line.data(), 1, line.size(), stderr);
      if (auto w = PeekWnd(modal); w && w->dialog) EndDialog(modal, IDCANCEL);
      else if (IsWindow(modal)) PostMessageW(modal, WM_CLOSE, 0, 0);
      if (!IsWindow(modal)) break;
      continue;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0xFFFFFFFFu, QS_ALLINPUT);
  }
}

void SetModalIdleHandler(ModalIdleHandler handler) {
  std::lock_guard<std::mutex> lock(g_modal_mutex);
  IdleHandler() = std::move(handler);
}

void RegisterDialogTemplate(HINSTANCE instance, LPCWSTR name, const DLGTEMPLATEW* t) {
  Templates()[TemplateKey{instance, TemplateName(name)}] = t;
}

}  // namespace winplat::user

LRESULT WINAPI DefDlgProcW(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return DefDlgCore(h, msg, wp, lp, true);
}
LRESULT WINAPI DefDlgProcA(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefDlgCore(h, msg, wp, lp, false); }

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE i, LPCDLGTEMPLATEW t, HWND p, DLGPROC f, LPARAM l) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  return CreateDialogCore(i, t, p, f, l, true);
}
HWND WINAPI CreateDialogIndirectParamA(HINSTANCE i, LPCDLGTEMPLATEA t, HWND p, DLGPROC f, LPARAM l) {
  return CreateDialogCore(i, t, p, f, l, false);
}
INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE i, LPCDLGTEMPLATEW t, HWND p, DLGPROC f, LPARAM l) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return DialogBoxCore(i, t, p, f, l, true);
}
INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE i, LPCDLGTEMPLATEA t, HWND p, DLGPROC f, LPARAM l) {
  return DialogBoxCore(i, t, p, f, l, false);
}
INT_PTR WINAPI DialogBoxParamW(HINSTANCE i, LPCWSTR n, HWND p, DLGPROC f, LPARAM l) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  const DLGTEMPLATEW* t = FindTemplate(i, n);
  return t ? DialogBoxCore(i, t, p, f, l, true) : -1;
}
INT_PTR WINAPI DialogBoxParamA(HINSTANCE i, LPCSTR n, HWND p, DLGPROC f, LPARAM l) {
  const std::u16string w = IS_INTRESOURCE(n) ? std::u16string() : winplat::AnsiToWide(n);
  const DLGTEMPLATEW* t = FindTemplate(i, IS_INTRESOURCE(n) ? reinterpret_cast<LPCWSTR>(n) : w.c_str());
  return t ? DialogBoxCore(i, t, p, f, l, false) : -1;
}
HWND WINAPI CreateDialogParamW(HINSTANCE i, LPCWSTR n, HWND p, DLGPROC f, LPARAM l) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  const DLGTEMPLATEW* t = FindTemplate(i, n);
  return t ? CreateDialogCore(i, t, p, f, l, true) : nullptr;
}
HWND WINAPI CreateDialogParamA(HINSTANCE i, LPCSTR n, HWND p, DLGPROC f, LPARAM l) {
  const std::u16string w = IS_INTRESOURCE(n) ? std::u16string() : winplat::AnsiToWide(n);
  const DLGTEMPLATEW* t = FindTemplate(i, IS_INTRESOURCE(n) ? reinterpret_cast<LPCWSTR>(n) : w.c_str());
  return t ? CreateDialogCore(i, t, p, f, l, false) : nullptr;
}

BOOL WINAPI EndDialog(HWND h, INT_PTR result) {
  auto w = GetWnd(h);
  if (!w) return FALSE;
  w->dlgEnded = true;
  w->dlgResult = result;
  // The owner comes back before the dialog hides, so activation returns to it.
  HWND owner = w->owner;
  if (owner && IsWindow(owner) && !IsWindowEnabled(owner)) EnableWindow(owner, TRUE);
  ShowWindow(h, SW_HIDE);
  WakeQueue();
  return TRUE;
}

BOOL WINAPI IsDialogMessageW(HWND dlg, LPMSG m) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return IsDialogCore(dlg, m, true) ? TRUE : FALSE;
}
BOOL WINAPI IsDialogMessageA(HWND dlg, LPMSG m) { return IsDialogCore(dlg, m, false) ? TRUE : FALSE; }

HWND WINAPI GetDlgItem(HWND dlg, int id) {
  auto w = GetWnd(dlg);
  if (!w) return nullptr;
  for (HWND c : w->children) {
    auto cw = PeekWnd(c);
    if (cw && cw->id == id) return c;
  }
  SetLastError(1421);
  return nullptr;
}

UINT WINAPI GetDlgItemTextW(HWND dlg, int id, LPWSTR s, int n) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (s && n > 0) s[0] = 0;
  HWND c = GetDlgItem(dlg, id);
  return c ? static_cast<UINT>(GetWindowTextW(c, s, n)) : 0;
}
UINT WINAPI GetDlgItemTextA(HWND dlg, int id, LPSTR s, int n) {
  if (s && n > 0) s[0] = 0;
  HWND c = GetDlgItem(dlg, id);
  return c ? static_cast<UINT>(GetWindowTextA(c, s, n)) : 0;
}
BOOL WINAPI SetDlgItemTextW(HWND dlg, int id, LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  HWND c = GetDlgItem(dlg, id);
  return c ? SetWindowTextW(c, s) : FALSE;
}
BOOL WINAPI SetDlgItemTextA(HWND dlg, int id, LPCSTR s) {
  HWND c = GetDlgItem(dlg, id);
  return c ? SetWindowTextA(c, s) : FALSE;
}
UINT WINAPI GetDlgItemInt(HWND dlg, int id, BOOL* ok, BOOL isSigned) {
  if (ok) *ok = FALSE;
  WCHAR buf[64];
  if (!GetDlgItemTextW(dlg, id, buf, 64)) return 0;
  const WCHAR* p = buf;
  while (*p == u' ') ++p;
  bool neg = false;
  if (isSigned && *p == u'-') {
    neg = true;
    ++p;
  }
  if (*p < u'0' || *p > u'9') return 0;
  uint64_t v = 0;
  while (*p >= u'0' && *p <= u'9') {
    v = v * 10 + static_cast<uint64_t>(*p - u'0');
    if (v > 0xFFFFFFFFull) return 0;
    ++p;
  }
  while (*p == u' ') ++p;
  if (*p) return 0;
  if (isSigned && v > (neg ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
  if (ok) *ok = TRUE;
  return neg ? static_cast<UINT>(-static_cast<int64_t>(v)) : static_cast<UINT>(v);
}
BOOL WINAPI SetDlgItemInt(HWND dlg, int id, UINT v, BOOL isSigned) {
  const std::string s = isSigned ? std::to_string(static_cast<int>(v)) : std::to_string(v);
  return SetDlgItemTextA(dlg, id, s.c_str());
}
LRESULT WINAPI SendDlgItemMessageW(HWND dlg, int id, UINT msg, WPARAM wp, LPARAM lp) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  HWND c = GetDlgItem(dlg, id);
  return c ? SendMessageW(c, msg, wp, lp) : 0;
}
LRESULT WINAPI SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM wp, LPARAM lp) {
  HWND c = GetDlgItem(dlg, id);
  return c ? SendMessageA(c, msg, wp, lp) : 0;
}
BOOL WINAPI CheckDlgButton(HWND dlg, int id, UINT check) {
  HWND c = GetDlgItem(dlg, id);
  if (!c) return FALSE;
  SendMessageW(c, BM_SETCHECK, check, 0);
  return TRUE;
}
UINT WINAPI IsDlgButtonChecked(HWND dlg, int id) {
  HWND c = GetDlgItem(dlg, id);
  return c ? static_cast<UINT>(SendMessageW(c, BM_GETCHECK, 0, 0)) : 0;
}
BOOL WINAPI CheckRadioButton(HWND dlg, int first, int last, int check) {
  if (!GetWnd(dlg)) return FALSE;
  for (int id = first; id <= last; ++id)
    if (HWND c = GetDlgItem(dlg, id)) SendMessageW(c, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

namespace {
bool Tabbable(HWND c) {
  auto w = PeekWnd(c);
  return w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) && (w->style & WS_TABSTOP);
}
bool Usable(HWND c) {
  auto w = PeekWnd(c);
  return w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}
}  // namespace

HWND WINAPI GetNextDlgTabItem(HWND dlg, HWND ctl, BOOL prev) {
  auto w = GetWnd(dlg);
  if (!w || w->children.empty()) return nullptr;
  const auto& c = w->children;
  const size_t n = c.size();
  auto it = ctl ? std::find(c.begin(), c.end(), ctl) : c.end();
  size_t start = it == c.end() ? (prev ? 0 : n - 1) : static_cast<size_t>(it - c.begin());
  for (size_t k = 1; k <= n; ++k) {
    const size_t i = prev ? (start + n - k % n) % n : (start + k) % n;
    if (Tabbable(c[i])) return c[i];
  }
  return ctl;
}

HWND WINAPI GetNextDlgGroupItem(HWND dlg, HWND ctl, BOOL prev) {
  auto w = GetWnd(dlg);
  if (!w || w->children.empty()) return nullptr;
  const auto& c = w->children;
  auto it = std::find(c.begin(), c.end(), ctl);
  if (it == c.end()) return GetNextDlgTabItem(dlg, nullptr, FALSE);
  // The group: from the WS_GROUP control at or before ctl up to the next WS_GROUP control.
  size_t i = static_cast<size_t>(it - c.begin());
  size_t first = i;
  while (first > 0 && !(PeekWnd(c[first]) && (PeekWnd(c[first])->style & WS_GROUP))) --first;
  size_t last = i + 1;
  while (last < c.size() && !(PeekWnd(c[last]) && (PeekWnd(c[last])->style & WS_GROUP))) ++last;
  const size_t n = last - first;
  for (size_t k = 1; k < n; ++k) {
    const size_t j = first + (prev ? (i - first + n - k) % n : (i - first + k) % n);
    if (Usable(c[j])) return c[j];
  }
  return ctl;
}

LONG WINAPI GetDialogBaseUnits() { return MAKELONG(kBaseX, kBaseY); }

BOOL WINAPI MapDialogRect(HWND dlg, LPRECT r) {
  if (!GetWnd(dlg) || !r) return FALSE;
  r->left = DuX(r->left);
  r->right = DuX(r->right);
  r->top = DuY(r->top);
  r->bottom = DuY(r->bottom);
  return TRUE;
}

VSE_EXPORT("user32.dll", DefDlgProcA);
VSE_EXPORT("user32.dll", DefDlgProcW);
VSE_EXPORT("user32.dll", DialogBoxIndirectParamA);
VSE_EXPORT("user32.dll", DialogBoxIndirectParamW);
VSE_EXPORT("user32.dll", DialogBoxParamA);
VSE_EXPORT("user32.dll", DialogBoxParamW);
VSE_EXPORT("user32.dll", CreateDialogIndirectParamA);
VSE_EXPORT("user32.dll", CreateDialogIndirectParamW);
VSE_EXPORT("user32.dll", CreateDialogParamA);
VSE_EXPORT("user32.dll", CreateDialogParamW);
VSE_EXPORT("user32.dll", EndDialog);
VSE_EXPORT("user32.dll", IsDialogMessageA);
VSE_EXPORT("user32.dll", IsDialogMessageW);
VSE_EXPORT("user32.dll", GetDlgItem);
VSE_EXPORT("user32.dll", GetDlgItemTextA);
VSE_EXPORT("user32.dll", GetDlgItemTextW);
VSE_EXPORT("user32.dll", SetDlgItemTextA);
VSE_EXPORT("user32.dll", SetDlgItemTextW);
VSE_EXPORT("user32.dll", SendDlgItemMessageA);
VSE_EXPORT("user32.dll", SendDlgItemMessageW);
VSE_EXPORT("user32.dll", GetNextDlgTabItem);
