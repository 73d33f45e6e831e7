// Windows: creation and destruction, the window tree and z-order, window longs, text,
// properties, rectangles and coordinate mapping, SetWindowPos, ShowWindow and placement.
#include <algorithm>
#include <cstring>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winbase.h"
#include "winnls.h"
#include "winplat_screen.h"

namespace winplat::user {

namespace {
HWND g_desktop = nullptr;
uint64_t g_desktop_generation = 0;

LRESULT CALLBACK DesktopProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(h, &r);
    FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BACKGROUND));
    return 1;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

std::shared_ptr<Window> PeekWnd(HWND h) {
  if (!h) return nullptr;
  return HandleTable::Instance().Get<Window>(h, HandleKind::Window);
}

std::shared_ptr<Window> GetWnd(HWND h) {
  auto w = PeekWnd(h);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

HWND Desktop() {
  if (!g_desktop) {
    auto w = std::make_shared<Window>();
    auto cls = std::make_shared<WindowClass>();
    cls->name = u"#32769";
    cls->system = true;
    cls->proc.fn = DesktopProc;
    cls->proc.unicode = true;
    w->cls = cls;
    w->proc = cls->proc;
    w->style = WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_POPUP;
    w->created = true;
    g_desktop = reinterpret_cast<HWND>(HandleTable::Instance().Add(HandleKind::Window, w));
    w->handle = g_desktop;
  }
  const uint64_t gen = screen::ScreenGeneration();
  if (gen != g_desktop_generation) {
    g_desktop_generation = gen;
    auto w = PeekWnd(g_desktop);
    const SIZE s = screen::CurrentBackend()->DisplaySize();
    w->rect = w->client = RECT{0, 0, s.cx, s.cy};
    BumpVisGeneration();
    InvalidateScreen(Region::FromRect(w->rect));
  }
  return g_desktop;
}

bool IsTopLevel(const Window& w) { return w.parent == g_desktop || w.parent == nullptr; }

namespace {
bool NameIs(const std::u16string& n, const char16_t* name) {
  size_t i = 0;
  for (; name[i] && i < n.size(); ++i) {
    char16_t a = n[i], b = name[i];
    if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - 32);
    if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - 32);
    if (a != b) return false;
  }
  return !name[i] && i == n.size();
}
}  // namespace

bool ClassIs(const Window& w, const char16_t* name) { return NameIs(w.cls->name, name); }

bool IsControlKind(const Window& w, const char16_t* name) {
  return NameIs(w.cls->name, name) || NameIs(w.controlKind, name);
}

void SetControlKind(HWND h, const char16_t* name) {
  if (auto w = PeekWnd(h)) w->controlKind = name;
}

bool IsReallyVisible(HWND h) {
  for (auto w = PeekWnd(h); w; w = PeekWnd(w->parent)) {
    if (!(w->style & WS_VISIBLE)) return false;
    if (w->minimized && w->handle != g_desktop) return false;
    if (w->handle == g_desktop) return true;
    if (!w->parent) return true;
  }
  return false;
}

POINT ClientOrigin(HWND h) {
  POINT p{0, 0};
  for (auto w = PeekWnd(h); w && w->handle != g_desktop; w = PeekWnd(w->parent)) {
    p.x += w->client.left;
    p.y += w->client.top;
    auto parent = PeekWnd(w->parent);
    if (!parent) break;
  }
  return p;
}

POINT WindowOrigin(HWND h) {
  auto w = PeekWnd(h);
  if (!w || h == g_desktop) return POINT{0, 0};
  POINT p = ClientOrigin(w->parent);
  p.x += w->rect.left;
  p.y += w->rect.top;
  return p;
}

RECT ScreenRect(HWND h, bool client) {
  auto w = PeekWnd(h);
  if (!w) return RECT{0, 0, 0, 0};
  if (h == g_desktop) return w->rect;
  const POINT o = ClientOrigin(w->parent);
  RECT r = client ? w->client : w->rect;
  OffsetRect(&r, o.x, o.y);
  return r;
}

std::vector<HWND> TopLevelWindows() {
  auto d = PeekWnd(Desktop());
  return d ? d->children : std::vector<HWND>{};
}

RECT FrameInsets(DWORD style, DWORD exStyle) {
  int b = 0;
  if (style & WS_THICKFRAME) b = GetSystemMetrics(SM_CXFRAME);
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) b = GetSystemMetrics(SM_CXDLGFRAME);
  else if (style & WS_BORDER) b = 1;
  if ((style & WS_THICKFRAME) && (style & WS_BORDER) && !(style & WS_DLGFRAME)) b = GetSystemMetrics(SM_CXFRAME);
  if (exStyle & WS_EX_CLIENTEDGE) b += 2;
  if (exStyle & WS_EX_STATICEDGE) b += 1;
  RECT r{b, b + CaptionHeight(style, exStyle), b, b};
  if (style & WS_VSCROLL) r.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) r.bottom += GetSystemMetrics(SM_CYHSCROLL);
  return r;
}

int CaptionHeight(DWORD style, DWORD exStyle) {
  if ((style & WS_CAPTION) != WS_CAPTION) return 0;
  return (exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
}

MINMAXINFO DefaultMinMax(const Window& w) {
  const RECT in = FrameInsets(w.style, w.exStyle);
  const SIZE s = winplat::screen::CurrentBackend()->DisplaySize();
  MINMAXINFO mmi{};
  const int bx = in.left, by = in.bottom;
  mmi.ptMaxSize = POINT{s.cx + 2 * bx, s.cy + 2 * by};
  mmi.ptMaxPosition = POINT{-bx, -by};
  mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mmi.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  return mmi;
}

}  // namespace winplat::user

using namespace winplat::user;
using winplat::HandleTable;
using winplat::HandleKind;

namespace {

constexpr DWORD kErrorTlwWithWsChild = 1406;

DWORD ThreadOfWindows() {
  static DWORD id = GetCurrentThreadId();
  return id;
}

HWND RootOf(HWND h) {
  auto w = PeekWnd(h);
  while (w && !IsTopLevel(*w)) w = PeekWnd(w->parent);
  return w ? w->handle : nullptr;
}

void Unlink(Window& w) {
  auto p = PeekWnd(w.parent);
  if (!p) return;
  auto& c = p->children;
  c.erase(std::remove(c.begin(), c.end(), w.handle), c.end());
}

// Inserts into the parent's list: after `after`, or at HWND_TOP/HWND_BOTTOM. Top-level
// windows keep the topmost ones first.
void Link(Window& w, HWND after) {
  auto p = PeekWnd(w.parent);
  if (!p) return;
  auto& c = p->children;
  c.erase(std::remove(c.begin(), c.end(), w.handle), c.end());
  const bool top = IsTopLevel(w);
  auto firstNonTopmost = [&]() {
    size_t i = 0;
    while (i < c.size()) {
      auto s = PeekWnd(c[i]);
      if (!s || !(s->exStyle & WS_EX_TOPMOST)) break;
      ++i;
    }
    return i;
  };
  size_t pos;
  if (after == HWND_TOP || after == HWND_TOPMOST) {
    pos = top && !(w.exStyle & WS_EX_TOPMOST) ? firstNonTopmost() : 0;
  } else if (after == HWND_BOTTOM) {
    pos = c.size();
    if (top && (w.exStyle & WS_EX_TOPMOST)) pos = firstNonTopmost();
  } else if (after == HWND_NOTOPMOST) {
    pos = firstNonTopmost();
  } else {
    auto it = std::find(c.begin(), c.end(), after);
    pos = it == c.end() ? 0 : static_cast<size_t>(it - c.begin()) + 1;
  }
  c.insert(c.begin() + static_cast<ptrdiff_t>(std::min(pos, c.size())), w.handle);
}

}  // namespace

namespace winplat::user {
void SendSizeMove(HWND h) {
  auto w = PeekWnd(h);
  if (!w) return;
  const WPARAM kind = w->maximized ? SIZE_MAXIMIZED : w->minimized ? SIZE_MINIMIZED : SIZE_RESTORED;
  SendW(h, WM_SIZE, kind, MAKELONG(w->client.right - w->client.left, w->client.bottom - w->client.top));
  w = PeekWnd(h);
  if (!w) return;
  SendW(h, WM_MOVE, 0, MAKELONG(w->client.left, w->client.top));
}
}  // namespace winplat::user

namespace {

// Computes the client rectangle through WM_NCCALCSIZE.
void CalcClient(HWND h, bool valid) {
  auto w = PeekWnd(h);
  if (!w) return;
  if (!valid) {
    RECT r = w->rect;
    SendW(h, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&r));
    if (auto x = PeekWnd(h)) {
      if (r.right < r.left) r.right = r.left;
      if (r.bottom < r.top) r.bottom = r.top;
      x->client = r;
    }
    return;
  }
  NCCALCSIZE_PARAMS p{};
  p.rgrc[0] = w->rect;
  p.rgrc[1] = w->rect;
  p.rgrc[2] = w->client;
  WINDOWPOS pos{h, nullptr, w->rect.left, w->rect.top, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top, 0};
  p.lppos = &pos;
  SendW(h, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
  if (auto x = PeekWnd(h)) {
    RECT r = p.rgrc[0];
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    x->client = r;
  }
}

void ParentNotify(HWND h, UINT event) {
  auto w = PeekWnd(h);
  while (w && (w->style & WS_CHILD) && !(w->exStyle & WS_EX_NOPARENTNOTIFY)) {
    auto parent = PeekWnd(w->parent);
    if (!parent || parent->handle == Desktop()) break;
    SendW(parent->handle, WM_PARENTNOTIFY, MAKELONG(event, static_cast<WORD>(PeekWnd(h) ? PeekWnd(h)->id : 0)),
          reinterpret_cast<LPARAM>(h));
    w = parent;
  }
}

HWND CreateCore(bool unicode, DWORD exStyle, const std::u16string& className, ATOM classAtom, LPCVOID nameArg,
                DWORD style, int x, int y, int cx, int cy, HWND parentArg, HMENU menu, HINSTANCE instance,
                LPVOID param) {
  auto cls = FindClass(className, classAtom, instance);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  HWND desktop = Desktop();
  HWND parent = desktop, owner = nullptr;
  if (parentArg == HWND_MESSAGE) {
    style &= ~WS_VISIBLE;  // message-only windows never show
    style &= ~WS_CHILD;
  } else if (style & WS_CHILD) {
    if (!parentArg || !PeekWnd(parentArg)) {
      SetLastError(parentArg ? ERROR_INVALID_WINDOW_HANDLE : kErrorTlwWithWsChild);
      return nullptr;
    }
    parent = parentArg;
  } else if (parentArg) {
    if (!PeekWnd(parentArg)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    owner = RootOf(parentArg);
  }
  auto w = std::make_shared<Window>();
  w->cls = cls;
  w->proc = cls->system && !unicode ? AnsiFaceOf(*cls) : cls->proc;
  w->parent = parent;
  w->owner = owner;
  w->instance = instance;
  w->style = style & ~WS_VISIBLE;
  if (!(style & WS_CHILD)) {
    w->style |= WS_CLIPSIBLINGS;
    if (!(style & WS_POPUP)) w->style |= WS_CAPTION;  // overlapped windows always have a caption
  }
  w->exStyle = exStyle;
  if ((w->style & WS_CAPTION) == WS_CAPTION || (exStyle & WS_EX_DLGMODALFRAME)) w->exStyle |= WS_EX_WINDOWEDGE;
  w->id = (style & WS_CHILD) ? reinterpret_cast<LONG_PTR>(menu) : 0;
  w->extra.assign(static_cast<size_t>(cls->wndExtra), 0);
  // Default positions of overlapped windows: a cascade; children at 0.
  const SIZE screen = winplat::screen::CurrentBackend()->DisplaySize();
  if (!(style & (WS_CHILD | WS_POPUP))) {
    if (x == CW_USEDEFAULT) { x = 26; y = 26; }
    if (cx == CW_USEDEFAULT) { cx = screen.cx * 3 / 4; cy = screen.cy * 3 / 4; }
  } else {
    if (x == CW_USEDEFAULT) { x = 0; y = 0; }
    if (cx == CW_USEDEFAULT) { cx = 0; cy = 0; }
  }
  if (cx < 0) cx = 0;
  if (cy < 0) cy = 0;
  w->rect = RECT{x, y, x + cx, y + cy};
  w->client = w->rect;
  w->normal = w->rect;
  HWND h = reinterpret_cast<HWND>(HandleTable::Instance().Add(HandleKind::Window, w));
  w->handle = h;
  ++cls->windows;
  Link(*w, (style & WS_CHILD) ? HWND_BOTTOM : HWND_TOP);

  std::u16string nameW;
  std::string nameA;
  CREATESTRUCTW cs{};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parentArg == HWND_MESSAGE ? nullptr : parentArg;
  cs.cy = cy; cs.cx = cx; cs.y = y; cs.x = x;
  cs.style = static_cast<LONG>(style);
  cs.dwExStyle = exStyle;
  std::u16string classW = classAtom ? std::u16string() : className;
  cs.lpszClass = classAtom ? reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(classAtom)) : classW.c_str();
  CREATESTRUCTA csa;
  std::string classA = winplat::WideToAnsi(classW);
  if (unicode) {
    cs.lpszName = static_cast<LPCWSTR>(nameArg);
  } else {
    std::memcpy(&csa, &cs, sizeof csa);
    csa.lpszName = static_cast<LPCSTR>(nameArg);
    csa.lpszClass = classAtom ? reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(classAtom)) : classA.c_str();
  }
  const LPARAM csArg = unicode ? reinterpret_cast<LPARAM>(&cs) : reinterpret_cast<LPARAM>(&csa);

  auto fail = [&](bool sendNcDestroy) -> HWND {
    if (PeekWnd(h)) {
      if (sendNcDestroy) Send(h, WM_NCDESTROY, 0, 0, unicode);
      if (auto x2 = PeekWnd(h)) {
        Unlink(*x2);
        --x2->cls->windows;
        HandleTable::Instance().Remove(h, HandleKind::Window);
      }
    }
    return nullptr;
  };

  if (HasHooks(WH_CBT)) {
    CBT_CREATEWNDW cbt{&cs, HWND_TOP};
    CBT_CREATEWNDA cbta{&csa, HWND_TOP};
    if (CallHooks(WH_CBT, HCBT_CREATEWND, reinterpret_cast<WPARAM>(h),
                  unicode ? reinterpret_cast<LPARAM>(&cbt) : reinterpret_cast<LPARAM>(&cbta)))
      return fail(false);
  }
  if (!(style & WS_CHILD) || (style & WS_THICKFRAME)) {
    MINMAXINFO mmi = DefaultMinMax(*w);
    Send(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi), unicode);
    if (auto x2 = PeekWnd(h); x2 && (style & WS_THICKFRAME)) {
      int ncx = std::clamp<int>(cx, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
      int ncy = std::clamp<int>(cy, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
      x2->rect.right = x2->rect.left + ncx;
      x2->rect.bottom = x2->rect.top + ncy;
    }
  }
  if (!Send(h, WM_NCCREATE, 0, csArg, unicode)) return fail(true);
  if (!PeekWnd(h)) return nullptr;
  CalcClient(h, false);
  if (!PeekWnd(h)) return nullptr;
  if (Send(h, WM_CREATE, 0, csArg, unicode) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  auto live = PeekWnd(h);
  if (!live) return nullptr;
  live->created = true;
  // An overlapped window stops here; its WM_SIZE and WM_MOVE come when it is first shown.
  if (!live->sentSizeMove && (style & (WS_CHILD | WS_POPUP))) {
    live->sentSizeMove = true;
    SendSizeMove(h);
  }
  ParentNotify(h, WM_CREATE);
  if (!PeekWnd(h)) return nullptr;
  if (style & WS_VISIBLE) {
    if (style & WS_MAXIMIZE) ShowWindow(h, SW_SHOWMAXIMIZED);
    else if (style & WS_MINIMIZE) ShowWindow(h, SW_SHOWMINIMIZED);
    else ShowWindow(h, SW_SHOW);
  }
  return PeekWnd(h) ? h : nullptr;
}

void SendDestroyTree(HWND h) {
  auto w = PeekWnd(h);
  if (!w) return;
  w->destroying = true;
  SendW(h, WM_DESTROY, 0, 0);
  w = PeekWnd(h);
  if (!w) return;
  const std::vector<HWND> kids = w->children;
  for (HWND c : kids) SendDestroyTree(c);
}

void FreeTree(HWND h) {
  auto w = PeekWnd(h);
  if (!w) return;
  const std::vector<HWND> kids = w->children;
  for (HWND c : kids) FreeTree(c);
  SendW(h, WM_NCDESTROY, 0, 0);
  w = PeekWnd(h);
  if (!w) return;
  if (GetCapture() == h) SetCaptureWindow(nullptr);
  RemoveWindowMessages(h);
  RemoveTimersOf(h);
  ReleaseWindowDCs(h);
  ClipboardWindowDestroyed(h);
  CaretWindowDestroyed(h);
  Unlink(*w);
  --w->cls->windows;
  w->props.clear();
  HandleTable::Instance().Remove(h, HandleKind::Window);
}

LONG_PTR GetLongCore(HWND h, int index, bool unicode, bool narrow) {
  auto w = GetWnd(h);
  if (!w) return 0;
  if (index >= 0) {
    const size_t size = narrow ? 4 : sizeof(LONG_PTR);
    if (static_cast<size_t>(index) + size > w->extra.size()) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    if (narrow) {
      LONG v;
      std::memcpy(&v, &w->extra[static_cast<size_t>(index)], 4);
      return v;
    }
    LONG_PTR v;
    std::memcpy(&v, &w->extra[static_cast<size_t>(index)], sizeof v);
    return v;
  }
  switch (index) {
    case GWL_WNDPROC: return ProcValueFor(w->proc, unicode, narrow);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? w->parent : w->owner);
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_USERDATA: return narrow ? static_cast<LONG>(w->userData) : w->userData;
    case GWL_ID: return narrow ? static_cast<LONG>(w->id) : w->id;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
}

LONG_PTR SetLongCore(HWND h, int index, LONG_PTR v, bool unicode, bool narrow) {
  auto w = GetWnd(h);
  if (!w) return 0;
  if (index >= 0) {
    const size_t size = narrow ? 4 : sizeof(LONG_PTR);
    if (static_cast<size_t>(index) + size > w->extra.size()) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    const LONG_PTR old = GetLongCore(h, index, unicode, narrow);
    if (narrow) {
      const LONG n = static_cast<LONG>(v);
      std::memcpy(&w->extra[static_cast<size_t>(index)], &n, 4);
    } else {
      std::memcpy(&w->extra[static_cast<size_t>(index)], &v, sizeof v);
    }
    SetLastError(0);
    return old;
  }
  const LONG_PTR old = GetLongCore(h, index, unicode, narrow);
  switch (index) {
    case GWL_WNDPROC: {
      Proc p = ResolveProc(narrow ? static_cast<LONG_PTR>(static_cast<LONG>(v)) : v, unicode);
      if (!p.Valid()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      w->proc = p;
      break;
    }
    case GWL_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(v); break;
    case GWL_HWNDPARENT:
      if (w->style & WS_CHILD) SetParent(h, reinterpret_cast<HWND>(v));
      else w->owner = reinterpret_cast<HWND>(v) ? RootOf(reinterpret_cast<HWND>(v)) : nullptr;
      break;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      STYLESTRUCT ss{static_cast<DWORD>(old), static_cast<DWORD>(v)};
      SendW(h, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
      w = PeekWnd(h);
      if (!w) return 0;
      if (index == GWL_STYLE) {
        // Visibility changes only through ShowWindow/SetWindowPos, as on the platform... except
        // that WS_VISIBLE set here takes effect silently.
        w->style = ss.styleNew;
      } else {
        w->exStyle = ss.styleNew;
      }
      BumpVisGeneration();
      SendW(h, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
      break;
    }
    case GWL_USERDATA: w->userData = narrow ? static_cast<LONG>(v) : v; break;
    case GWL_ID: w->id = narrow ? static_cast<LONG>(v) : v; break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
  SetLastError(0);
  return old;
}

int TextLengthCore(HWND h, bool unicode) {
  if (!GetWnd(h)) return 0;
  return static_cast<int>(Send(h, WM_GETTEXTLENGTH, 0, 0, unicode));
}

}  // namespace

namespace winplat::user {
LONG_PTR WindowLong(HWND h, int index, bool unicode) { return GetLongCore(h, index, unicode, false); }
void DestroyCore(HWND h);
}  // namespace winplat::user

HWND WINAPI CreateWindowExW(DWORD ex, LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y, int cx, int cy,
                            HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  ATOM atom;
  const std::u16string c = ClassArgName(cls, &atom);
  return CreateCore(true, ex, c, atom, name, style, x, y, cx, cy, parent, menu, inst, param);
}

HWND WINAPI CreateWindowExA(DWORD ex, LPCSTR cls, LPCSTR name, DWORD style, int x, int y, int cx, int cy,
                            HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
  ATOM atom = 0;
  std::u16string c;
  if (cls && IS_INTRESOURCE(cls)) atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(cls));
  else if (cls) c = winplat::AnsiToWide(cls);
  return CreateCore(false, ex, c, atom, name, style, x, y, cx, cy, parent, menu, inst, param);
}

BOOL WINAPI DestroyWindow(HWND h) {
  auto w = GetWnd(h);
  if (!w || h == Desktop()) {
    if (w) SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (w->destroying) return TRUE;
  if (HasHooks(WH_CBT) && CallHooks(WH_CBT, HCBT_DESTROYWND, reinterpret_cast<WPARAM>(h), 0)) return FALSE;
  ParentNotify(h, WM_DESTROY);
  if (!PeekWnd(h)) return TRUE;
  if (w->style & WS_VISIBLE) {
    SetWindowPos(h, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (IsTopLevel(*w) ? 0 : SWP_NOACTIVATE));
  }
  if (!PeekWnd(h)) return TRUE;
  OnWindowHidden(h);
  // Owned windows go first.
  for (HWND t : TopLevelWindows()) {
    auto o = PeekWnd(t);
    if (o && o->owner == h && !o->destroying) DestroyWindow(t);
  }
  if (!PeekWnd(h) || PeekWnd(h)->destroying) return TRUE;
  SendDestroyTree(h);
  FreeTree(h);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND h) { return PeekWnd(h) ? TRUE : FALSE; }
BOOL WINAPI IsWindowUnicode(HWND h) {
  auto w = GetWnd(h);
  return w && w->proc.unicode ? TRUE : FALSE;
}
BOOL WINAPI IsWindowVisible(HWND h) {
  for (auto w = PeekWnd(h); w; w = PeekWnd(w->parent)) {
    if (!(w->style & WS_VISIBLE)) return FALSE;
    if (w->handle == Desktop()) break;
  }
  return PeekWnd(h) ? TRUE : FALSE;
}
BOOL WINAPI IsWindowEnabled(HWND h) {
  auto w = GetWnd(h);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}
BOOL WINAPI IsChild(HWND parent, HWND h) {
  auto w = PeekWnd(h);
  while (w && (w->style & WS_CHILD)) {
    if (w->parent == parent) return TRUE;
    w = PeekWnd(w->parent);
  }
  return FALSE;
}
BOOL WINAPI IsIconic(HWND h) {
  auto w = PeekWnd(h);
  return w && w->minimized ? TRUE : FALSE;
}
BOOL WINAPI IsZoomed(HWND h) {
  auto w = PeekWnd(h);
  return w && w->maximized ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND h, BOOL enable) {
  auto w = GetWnd(h);
  if (!w) return FALSE;
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    SendW(h, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    SendW(h, WM_CANCELMODE, 0, 0);
    if (auto x = PeekWnd(h)) x->style |= WS_DISABLED;
    HWND f = GetFocus();
    if (f == h || IsChild(h, f)) SetFocus(nullptr);
    if (GetCapture() == h) ReleaseCapture();
    SendW(h, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

HWND WINAPI GetParent(HWND h) {
  auto w = GetWnd(h);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent == Desktop() ? nullptr : w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND WINAPI GetAncestor(HWND h, UINT flags) {
  auto w = GetWnd(h);
  if (!w || h == Desktop()) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent;
    case GA_ROOT: return RootOf(h);
    case GA_ROOTOWNER: {
      HWND r = RootOf(h);
      for (auto x = PeekWnd(r); x && x->owner; x = PeekWnd(x->owner)) r = x->owner;
      return r;
    }
    default: return nullptr;
  }
}

HWND WINAPI SetParent(HWND h, HWND newParent) {
  auto w = GetWnd(h);
  if (!w || h == Desktop()) return nullptr;
  HWND np = newParent ? newParent : Desktop();
  if (np != Desktop() && !PeekWnd(np)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (HWND a = np; a; a = PeekWnd(a) ? PeekWnd(a)->parent : nullptr)
    if (a == h) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  HWND old = w->parent == Desktop() ? nullptr : w->parent;
  const bool visible = (w->style & WS_VISIBLE) != 0;
  if (visible) ShowWindow(h, SW_HIDE);
  Unlink(*w);
  w->parent = np;
  Link(*w, HWND_TOP);
  BumpVisGeneration();
  if (visible) ShowWindow(h, SW_SHOWNA);
  return old;
}

HWND WINAPI GetDesktopWindow() { return Desktop(); }

HWND WINAPI GetWindow(HWND h, UINT cmd) {
  auto w = GetWnd(h);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (cmd == GW_OWNER) return w->owner;
  if (cmd == GW_ENABLEDPOPUP) {
    for (HWND t : TopLevelWindows()) {
      auto o = PeekWnd(t);
      if (o && o->owner == h && (o->style & WS_VISIBLE) && !(o->style & WS_DISABLED)) return t;
    }
    return nullptr;
  }
  auto p = PeekWnd(w->parent);
  if (!p) return nullptr;
  const auto& c = p->children;
  auto it = std::find(c.begin(), c.end(), h);
  if (it == c.end()) return nullptr;
  switch (cmd) {
    case GW_HWNDFIRST: return c.front();
    case GW_HWNDLAST: return c.back();
    case GW_HWNDNEXT: return it + 1 == c.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == c.begin() ? nullptr : *(it - 1);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND WINAPI GetTopWindow(HWND h) { return GetWindow(h ? h : Desktop(), GW_CHILD); }
HWND WINAPI GetNextWindow(HWND h, UINT cmd) { return GetWindow(h, cmd); }

BOOL WINAPI EnumWindows(WNDENUMPROC fn, LPARAM lp) {
  if (!fn) return FALSE;
  for (HWND t : TopLevelWindows())
    if (PeekWnd(t) && !fn(t, lp)) return FALSE;
  return TRUE;
}

BOOL WINAPI EnumThreadWindows(DWORD, WNDENUMPROC fn, LPARAM lp) { return EnumWindows(fn, lp); }

namespace {
bool EnumChildren(HWND parent, WNDENUMPROC fn, LPARAM lp) {
  auto w = PeekWnd(parent);
  if (!w) return true;
  const std::vector<HWND> kids = w->children;
  for (HWND c : kids) {
    if (!PeekWnd(c)) continue;
    if (!fn(c, lp)) return false;
    if (!EnumChildren(c, fn, lp)) return false;
  }
  return true;
}

bool MatchesFind(HWND h, const std::u16string* cls, ATOM atom, const std::u16string* title) {
  auto w = PeekWnd(h);
  if (!w) return false;
  if (atom && w->cls->atom != atom) return false;
  if (cls && !ClassIs(*w, cls->c_str())) return false;
  if (title && w->text != *title) return false;
  return true;
}

HWND FindCore(HWND parent, HWND after, LPCWSTR cls, LPCWSTR title) {
  auto p = PeekWnd(parent ? parent : Desktop());
  if (!p) return nullptr;
  ATOM atom = 0;
  std::u16string c, t;
  if (cls) c = ClassArgName(cls, &atom);
  if (title) t = title;
  bool seen = after == nullptr;
  for (HWND h : p->children) {
    if (!seen) {
      seen = h == after;
      continue;
    }
    if (MatchesFind(h, cls && !atom ? &c : nullptr, atom, title ? &t : nullptr)) return h;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}
}  // namespace

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC fn, LPARAM lp) {
  if (!fn) return FALSE;
  return EnumChildren(parent ? parent : Desktop(), fn, lp) ? TRUE : FALSE;
}

HWND WINAPI FindWindowExW(HWND parent, HWND after, LPCWSTR cls, LPCWSTR title) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  return FindCore(parent, after, cls, title);
}
HWND WINAPI FindWindowW(LPCWSTR cls, LPCWSTR title) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  return FindCore(nullptr, nullptr, cls, title);
}
HWND WINAPI FindWindowExA(HWND parent, HWND after, LPCSTR cls, LPCSTR title) {
  std::u16string c, t;
  LPCWSTR cp = nullptr, tp = nullptr;
  if (cls) {
    if (IS_INTRESOURCE(cls)) cp = reinterpret_cast<LPCWSTR>(cls);
    else { c = winplat::AnsiToWide(cls); cp = c.c_str(); }
  }
  if (title) { t = winplat::AnsiToWide(title); tp = t.c_str(); }
  return FindCore(parent, after, cp, tp);
}
HWND WINAPI FindWindowA(LPCSTR cls, LPCSTR title) { return FindWindowExA(nullptr, nullptr, cls, title); }

DWORD WINAPI GetWindowThreadProcessId(HWND h, LPDWORD pid) {
  if (!GetWnd(h)) return 0;
  if (pid) *pid = GetCurrentProcessId();
  return ThreadOfWindows();
}

LONG WINAPI GetWindowLongA(HWND h, int i) { return static_cast<LONG>(GetLongCore(h, i, false, true)); }
LONG WINAPI GetWindowLongW(HWND h, int i) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return static_cast<LONG>(GetLongCore(h, i, true, true));
}
LONG WINAPI SetWindowLongA(HWND h, int i, LONG v) { return static_cast<LONG>(SetLongCore(h, i, v, false, true)); }
LONG WINAPI SetWindowLongW(HWND h, int i, LONG v) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return static_cast<LONG>(SetLongCore(h, i, v, true, true));
}
LONG_PTR WINAPI GetWindowLongPtrA(HWND h, int i) { return GetLongCore(h, i, false, false); }
LONG_PTR WINAPI GetWindowLongPtrW(HWND h, int i) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return GetLongCore(h, i, true, false);
}
LONG_PTR WINAPI SetWindowLongPtrA(HWND h, int i, LONG_PTR v) { return SetLongCore(h, i, v, false, false); }
LONG_PTR WINAPI SetWindowLongPtrW(HWND h, int i, LONG_PTR v) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return SetLongCore(h, i, v, true, false);
}
WORD WINAPI GetWindowWord(HWND h, int i) {
  auto w = GetWnd(h);
  if (!w) return 0;
  if (i < 0 || static_cast<size_t>(i) + 2 > w->extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  WORD v;
  std::memcpy(&v, &w->extra[static_cast<size_t>(i)], 2);
  return v;
}
WORD WINAPI SetWindowWord(HWND h, int i, WORD v) {
  auto w = GetWnd(h);
  if (!w) return 0;
  if (i < 0 || static_cast<size_t>(i) + 2 > w->extra.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  WORD old;
  std::memcpy(&old, &w->extra[static_cast<size_t>(i)], 2);
  std::memcpy(&w->extra[static_cast<size_t>(i)], &v, 2);
  return old;
}
int WINAPI GetDlgCtrlID(HWND h) {
  auto w = GetWnd(h);
  return w && (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

int WINAPI GetWindowTextW(HWND h, LPWSTR buffer, int size) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!buffer || size <= 0 || !GetWnd(h)) return 0;
  buffer[0] = 0;
  return static_cast<int>(SendMessageW(h, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}
int WINAPI GetWindowTextA(HWND h, LPSTR buffer, int size) {
  if (!buffer || size <= 0 || !GetWnd(h)) return 0;
  buffer[0] = 0;
  return static_cast<int>(SendMessageA(h, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}
int WINAPI GetWindowTextLengthW(HWND h) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return TextLengthCore(h, true);
}
int WINAPI GetWindowTextLengthA(HWND h) { return TextLengthCore(h, false); }
BOOL WINAPI SetWindowTextW(HWND h, LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  if (!GetWnd(h)) return FALSE;
  return SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s)) ? TRUE : FALSE;
}
BOOL WINAPI SetWindowTextA(HWND h, LPCSTR s) {
  if (!GetWnd(h)) return FALSE;
  return SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s)) ? TRUE : FALSE;
}

// ---------------------------------------------------------------- properties

namespace {
winplat::user::Window::Prop* FindProp(Window& w, ATOM atom, const std::u16string& name) {
  for (auto& p : w.props) {
    if (atom ? p.atom == atom : (!p.atom && p.name.size() == name.size() && CompareStringW(0x400, 1, p.name.c_str(), -1, name.c_str(), -1) == 2))
      return &p;
  }
  return nullptr;
}
std::u16string PropNameA(LPCSTR s, ATOM* atom) {
  *atom = 0;
  if (IS_INTRESOURCE(s)) {
    *atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(s));
    return {};
  }
  return winplat::AnsiToWide(s);
}
BOOL SetPropCore(HWND h, ATOM atom, const std::u16string& name, HANDLE data) {
  auto w = GetWnd(h);
  if (!w) return FALSE;
  if (!atom && name.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (auto* p = FindProp(*w, atom, name)) {
    p->data = data;
    return TRUE;
  }
  w->props.push_back({name, atom, data});
  return TRUE;
}
HANDLE GetPropCore(HWND h, ATOM atom, const std::u16string& name) {
  auto w = PeekWnd(h);
  if (!w) return nullptr;
  auto* p = FindProp(*w, atom, name);
  return p ? p->data : nullptr;
}
HANDLE RemovePropCore(HWND h, ATOM atom, const std::u16string& name) {
  auto w = GetWnd(h);
  if (!w) return nullptr;
  for (size_t i = 0; i < w->props.size(); ++i) {
    auto* p = FindProp(*w, atom, name);
    if (p == &w->props[i]) {
      HANDLE d = p->data;
      w->props.erase(w->props.begin() + static_cast<ptrdiff_t>(i));
      return d;
    }
  }
  return nullptr;
}
}  // namespace

BOOL WINAPI SetPropW(HWND h, LPCWSTR s, HANDLE d) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  if (!s) return FALSE;
  ATOM a;
  std::u16string n = ClassArgName(s, &a);
  return SetPropCore(h, a, n, d);
}
BOOL WINAPI SetPropA(HWND h, LPCSTR s, HANDLE d) {
  if (!s) return FALSE;
  ATOM a;
  std::u16string n = PropNameA(s, &a);
  return SetPropCore(h, a, n, d);
}
HANDLE WINAPI GetPropW(HWND h, LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  if (!s) return nullptr;
  ATOM a;
  std::u16string n = ClassArgName(s, &a);
  return GetPropCore(h, a, n);
}
HANDLE WINAPI GetPropA(HWND h, LPCSTR s) {
  if (!s) return nullptr;
  ATOM a;
  std::u16string n = PropNameA(s, &a);
  return GetPropCore(h, a, n);
}
HANDLE WINAPI RemovePropW(HWND h, LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  if (!s) return nullptr;
  ATOM a;
  std::u16string n = ClassArgName(s, &a);
  return RemovePropCore(h, a, n);
}
HANDLE WINAPI RemovePropA(HWND h, LPCSTR s) {
  if (!s) return nullptr;
  ATOM a;
  std::u16string n = PropNameA(s, &a);
  return RemovePropCore(h, a, n);
}
int WINAPI EnumPropsW(HWND h, PROPENUMPROCW fn) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  auto w = GetWnd(h);
  if (!w || !fn) return -1;
  const auto props = w->props;
  int r = -1;
  for (const auto& p : props) {
    r = fn(h, p.atom ? reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(p.atom)) : p.name.c_str(), p.data);
    if (!r) break;
  }
  return r;
}
int WINAPI EnumPropsA(HWND h, PROPENUMPROCA fn) {
  auto w = GetWnd(h);
  if (!w || !fn) return -1;
  const auto props = w->props;
  int r = -1;
  for (const auto& p : props) {
    const std::string a = winplat::WideToAnsi(p.name);
    r = fn(h, p.atom ? reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(p.atom)) : a.c_str(), p.data);
    if (!r) break;
  }
  return r;
}
