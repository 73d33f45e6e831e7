// Activation, focus and capture, with the platform's message orders; the caret; cursors;
// keyboard state.
#include <algorithm>
#include <cstring>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winbase.h"
#include "winplat_screen.h"

using namespace winplat::user;
namespace screen = winplat::screen;

namespace {
HWND g_active = nullptr;
HWND g_last_active = nullptr;  // for the application regaining the focus
HWND g_focus = nullptr;
HWND g_capture = nullptr;
bool g_app_active = false;

HWND Root(HWND h) {
  auto w = PeekWnd(h);
  while (w && !IsTopLevel(*w)) w = PeekWnd(w->parent);
  return w ? w->handle : nullptr;
}

void SendActivateApp(bool active) {
  for (HWND t : TopLevelWindows())
    if (PeekWnd(t)) SendW(t, WM_ACTIVATEAPP, active ? TRUE : FALSE, static_cast<LPARAM>(GetCurrentThreadId()));
}

void Deactivate(HWND old, HWND next) {
  if (!old || !PeekWnd(old)) return;
  SendW(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(next));
  if (!PeekWnd(old)) return;
  SendW(old, WM_ACTIVATE, MAKELONG(WA_INACTIVE, IsIconic(old) ? 1 : 0), reinterpret_cast<LPARAM>(next));
}

}  // namespace

namespace winplat::user {

HWND ActiveWindow() { return g_active && PeekWnd(g_active) ? g_active : nullptr; }
HWND CaptureWindow() { return g_capture && PeekWnd(g_capture) ? g_capture : nullptr; }

void ActivateWindow(HWND h, int how, bool fromMouse) {
  h = Root(h);
  if (!h || h == Desktop() || h == ActiveWindow()) return;
  auto w = PeekWnd(h);
  if (!w || (w->style & WS_DISABLED)) return;
  HWND old = ActiveWindow();
  if (HasHooks(WH_CBT)) {
    CBTACTIVATESTRUCT cbt{fromMouse ? TRUE : FALSE, old};
    if (CallHooks(WH_CBT, HCBT_ACTIVATE, reinterpret_cast<WPARAM>(h), reinterpret_cast<LPARAM>(&cbt))) return;
  }
  g_active = h;
  g_last_active = h;
  Deactivate(old, h);
  if (!PeekWnd(h)) return;
  if (!g_app_active) {
    g_app_active = true;
    SendActivateApp(true);
  }
  if (!PeekWnd(h)) return;
  // The active window comes to the top of its band (topmost or not).
  auto d = PeekWnd(Desktop());
  if (d && !d->children.empty() && d->children.front() != h) {
    const Region before = VisibleRegion(h, false, false, true);
    RelinkWindow(h, HWND_TOP);
    const Region after = VisibleRegion(h, false, false, true);
    const Region gained = Region::Combine(after, before, RGN_DIFF);
    if (!gained.Empty()) InvalidateScreen(gained);
  }
  SendW(h, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(old));
  if (!PeekWnd(h) || g_active != h) return;
  SendW(h, WM_ACTIVATE, MAKELONG(static_cast<WORD>(how), IsIconic(h) ? 1 : 0), reinterpret_cast<LPARAM>(old));
  // The window coming to the front may realise its palette.
  if (PeekWnd(h) && g_active == h) SendW(h, WM_QUERYNEWPALETTE, 0, 0);
}

// Activation and focus leave a window that is hidden or destroyed.
void OnWindowHidden(HWND h) {
  if (g_focus && (g_focus == h || IsChild(h, g_focus))) {
    auto w = PeekWnd(h);
    HWND to = nullptr;
    if (w && !IsTopLevel(*w) && w->parent != Desktop() && IsReallyVisible(w->parent)) to = w->parent;
    if (to) SetFocus(to);
    else {
      HWND old = g_focus;
      g_focus = nullptr;
      if (PeekWnd(old)) SendW(old, WM_KILLFOCUS, 0, 0);
    }
  }
  if (g_capture && (g_capture == h || IsChild(h, g_capture))) ReleaseCapture();
  if (g_active == h) {
    // The owner or the next visible top-level window becomes active.
    auto w = PeekWnd(h);
    HWND next = nullptr;
    if (w && w->owner && IsReallyVisible(w->owner) && !(PeekWnd(w->owner)->style & WS_DISABLED)) next = w->owner;
    if (!next) {
      for (HWND t : TopLevelWindows()) {
        auto tw = PeekWnd(t);
        if (t != h && tw && (tw->style & WS_VISIBLE) && !tw->minimized && !(tw->style & WS_DISABLED) &&
            !(tw->exStyle & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW))) {
          next = t;
          break;
        }
      }
    }
    if (next) {
      ActivateWindow(next, WA_ACTIVE, false);
    } else {
      // No window of the program is left to activate: the program is no longer active.
      g_active = nullptr;
      Deactivate(h, nullptr);
      if (g_app_active) {
        g_app_active = false;
        SendActivateApp(false);
      }
    }
  }
  if (g_last_active == h) g_last_active = nullptr;
}

void SetCaptureWindow(HWND h) { g_capture = h; }

void ApplicationFocus(bool gained) {
  if (gained) {
    if (g_app_active) return;
    HWND t = g_last_active && PeekWnd(g_last_active) && IsReallyVisible(g_last_active) ? g_last_active : nullptr;
    if (t) {
      ActivateWindow(t, WA_ACTIVE, false);
    } else {
      g_app_active = true;
      SendActivateApp(true);
    }
    return;
  }
  if (!g_app_active) return;
  HWND old = ActiveWindow();
  g_last_active = old;
  g_active = nullptr;
  Deactivate(old, nullptr);
  g_app_active = false;
  SendActivateApp(false);
  if (g_focus) {
    HWND f = g_focus;
    g_focus = nullptr;
    if (PeekWnd(f)) SendW(f, WM_KILLFOCUS, 0, 0);
  }
  if (g_capture) ReleaseCapture();
}

}  // namespace winplat::user

HWND WINAPI SetFocus(HWND h) {
  HWND old = g_focus && PeekWnd(g_focus) ? g_focus : nullptr;
  if (!h) {
    g_focus = nullptr;
    if (old) SendW(old, WM_KILLFOCUS, 0, 0);
    return old;
  }
  auto w = GetWnd(h);
  if (!w) return nullptr;
  if (h == old) return old;
  if (HasHooks(WH_CBT) && CallHooks(WH_CBT, HCBT_SETFOCUS, reinterpret_cast<WPARAM>(h), reinterpret_cast<LPARAM>(old)))
    return nullptr;
  // A hidden or disabled window (or one in a disabled top-level window) gets no focus.
  for (auto a = w; a && a->handle != Desktop(); a = PeekWnd(a->parent))
    if (a->style & WS_DISABLED) return nullptr;
  HWND root = Root(h);
  if (root != ActiveWindow()) {
    ActivateWindow(root, WA_ACTIVE, false);
    if (g_focus == h) return old;
  }
  old = g_focus && PeekWnd(g_focus) ? g_focus : nullptr;
  g_focus = h;
  if (old && old != h) SendW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(h), 0);
  if (g_focus == h && PeekWnd(h)) SendW(h, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  if (g_focus == h && PeekWnd(h)) DialogFocusMoved(h);
  return old;
}

HWND WINAPI GetFocus() { return g_focus && PeekWnd(g_focus) ? g_focus : nullptr; }

HWND WINAPI SetActiveWindow(HWND h) {
  HWND old = ActiveWindow();
  if (!h) return old;
  if (!GetWnd(h)) return nullptr;
  ActivateWindow(h, WA_ACTIVE, false);
  return old;
}
HWND WINAPI GetActiveWindow() { return ActiveWindow(); }
BOOL WINAPI SetForegroundWindow(HWND h) {
  if (!GetWnd(h)) return FALSE;
  ActivateWindow(h, WA_ACTIVE, false);
  return TRUE;
}
HWND WINAPI GetForegroundWindow() { return ActiveWindow(); }
HWND WINAPI GetLastActivePopup(HWND h) {
  if (!GetWnd(h)) return nullptr;
  for (HWND t : TopLevelWindows()) {
    auto w = PeekWnd(t);
    if (w && w->owner == h && (w->style & WS_VISIBLE)) return t;
  }
  return h;
}

HWND WINAPI SetCapture(HWND h) {
  HWND old = CaptureWindow();
  if (h && !GetWnd(h)) return nullptr;
  g_capture = h;
  if (old && old != h) SendW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(h));
  return old;
}
HWND WINAPI GetCapture() { return CaptureWindow(); }
BOOL WINAPI ReleaseCapture() {
  HWND old = CaptureWindow();
  g_capture = nullptr;
  if (old) SendW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

// ---------------------------------------------------------------- input helpers

UINT WINAPI GetDoubleClickTime() { return 500; }

BOOL WINAPI GetKeyboardState(BYTE* keys) {
  if (!keys) return FALSE;
  for (int i = 0; i < 256; ++i)
    keys[i] = static_cast<BYTE>((screen::KeyDown(i) ? 0x80 : 0) | (screen::KeyToggled(i) ? 1 : 0));
  return TRUE;
}
BOOL WINAPI SetKeyboardState(BYTE* keys) {
  if (!keys) return FALSE;
  for (int i = 0; i < 256; ++i) screen::SetKeyState(i, (keys[i] & 0x80) != 0, (keys[i] & 1) != 0);
  return TRUE;
}

// The Japanese keyboard layout: LANGID 0x0411 in both words.
HKL WINAPI GetKeyboardLayout(DWORD) { return reinterpret_cast<HKL>(static_cast<uintptr_t>(0x04110411u)); }

namespace {
RECT g_clip_cursor{0, 0, 0, 0};
bool g_has_clip_cursor = false;
}  // namespace

BOOL WINAPI ClipCursor(const RECT* r) {
  g_has_clip_cursor = r != nullptr;
  if (r) g_clip_cursor = *r;
  return TRUE;
}
BOOL WINAPI GetClipCursor(LPRECT r) {
  if (!r) return FALSE;
  if (g_has_clip_cursor) *r = g_clip_cursor;
  else {
    const SIZE s = screen::CurrentBackend()->DisplaySize();
    *r = RECT{0, 0, s.cx, s.cy};
  }
  return TRUE;
}

// ---------------------------------------------------------------- cursors and icons

namespace {
struct CursorObject : winplat::HandleObject {
  int idc = 0;
};
HCURSOR g_cursor = nullptr;

HICON StandardHandle(int id, winplat::HandleKind kind) {
  static std::vector<std::pair<int, HICON>> made;
  for (auto& m : made) if (m.first == id + (kind == winplat::HandleKind::Icon ? 100000 : 0)) return m.second;
  auto o = std::make_shared<CursorObject>();
  o->idc = id;
  HICON h = reinterpret_cast<HICON>(winplat::HandleTable::Instance().Add(kind, o));
  made.push_back({id + (kind == winplat::HandleKind::Icon ? 100000 : 0), h});
  return h;
}

bool IsStandardCursor(ULONG_PTR id) {
  return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651 && id != 32647);
}
}  // namespace

HCURSOR WINAPI LoadCursorW(HINSTANCE inst, LPCWSTR name) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
  if (inst || !IS_INTRESOURCE(name) || !IsStandardCursor(id)) {
    SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
    return nullptr;
  }
  return StandardHandle(static_cast<int>(id), winplat::HandleKind::Cursor);
}
HCURSOR WINAPI LoadCursorA(HINSTANCE inst, LPCSTR name) { return LoadCursorW(inst, reinterpret_cast<LPCWSTR>(name)); }


HCURSOR WINAPI SetCursor(HCURSOR c) {
  HCURSOR old = g_cursor;
  g_cursor = c;
  auto o = winplat::HandleTable::Instance().Get<CursorObject>(c, winplat::HandleKind::Cursor);
  screen::CurrentBackend()->SetCursorShape(o ? o->idc : 0);
  return old;
}
HCURSOR WINAPI GetCursor() { return g_cursor; }
BOOL WINAPI DestroyCursor(HCURSOR) { return TRUE; }  // standard cursors are shared

namespace winplat::user {
int CursorId(HCURSOR c) {
  auto o = winplat::HandleTable::Instance().Get<CursorObject>(c, winplat::HandleKind::Cursor);
  return o ? o->idc : 0;
}
}  // namespace winplat::user

BOOL WINAPI TrackMouseEvent(TRACKMOUSEEVENT* t) {
  if (!t || t->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (t->dwFlags & 0x40000000u) {  // TME_QUERY
    t->dwFlags = 0;
    return TRUE;
  }
  return GetWnd(t->hwndTrack) ? TRUE : FALSE;
}

VSE_EXPORT("user32.dll", SetFocus);
VSE_EXPORT("user32.dll", GetFocus);
VSE_EXPORT("user32.dll", SetActiveWindow);
VSE_EXPORT("user32.dll", GetActiveWindow);
VSE_EXPORT("user32.dll", SetForegroundWindow);
VSE_EXPORT("user32.dll", GetForegroundWindow);
VSE_EXPORT("user32.dll", SetCapture);
VSE_EXPORT("user32.dll", GetCapture);
VSE_EXPORT("user32.dll", ReleaseCapture);
VSE_EXPORT("user32.dll", GetKeyboardLayout);
VSE_EXPORT("user32.dll", LoadCursorA);
VSE_EXPORT("user32.dll", LoadCursorW);
VSE_EXPORT("user32.dll", SetCursor);
