// Activation, focus and capture, with the platform's message orders; the caret; cursors;
// keyboard helpers.
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

namespace {
// Scan codes of the PC/AT keyboard (set 1) for the keys that have one.
struct KeyName { UINT vk; UINT scan; const char16_t* name; };
const KeyName kKeys[] = {
    {VK_ESCAPE, 0x01, u"Esc"}, {'1', 0x02, u"1"}, {'2', 0x03, u"2"}, {'3', 0x04, u"3"}, {'4', 0x05, u"4"},
    {'5', 0x06, u"5"}, {'6', 0x07, u"6"}, {'7', 0x08, u"7"}, {'8', 0x09, u"8"}, {'9', 0x0A, u"9"},
    {'0', 0x0B, u"0"}, {VK_OEM_MINUS, 0x0C, u"-"}, {VK_OEM_7, 0x0D, u"^"}, {VK_BACK, 0x0E, u"Backspace"},
    {VK_TAB, 0x0F, u"Tab"}, {'Q', 0x10, u"Q"}, {'W', 0x11, u"W"}, {'E', 0x12, u"E"}, {'R', 0x13, u"R"},
    {'T', 0x14, u"T"}, {'Y', 0x15, u"Y"}, {'U', 0x16, u"U"}, {'I', 0x17, u"I"}, {'O', 0x18, u"O"},
    {'P', 0x19, u"P"}, {VK_OEM_3, 0x1A, u"@"}, {VK_OEM_4, 0x1B, u"["}, {VK_RETURN, 0x1C, u"Enter"},
    {VK_CONTROL, 0x1D, u"Ctrl"}, {'A', 0x1E, u"A"}, {'S', 0x1F, u"S"}, {'D', 0x20, u"D"}, {'F', 0x21, u"F"},
    {'G', 0x22, u"G"}, {'H', 0x23, u"H"}, {'J', 0x24, u"J"}, {'K', 0x25, u"K"}, {'L', 0x26, u"L"},
    {VK_OEM_PLUS, 0x27, u";"}, {VK_OEM_1, 0x28, u":"}, {VK_SHIFT, 0x2A, u"Shift"}, {VK_OEM_6, 0x2B, u"]"},
    {'Z', 0x2C, u"Z"}, {'X', 0x2D, u"X"}, {'C', 0x2E, u"C"}, {'V', 0x2F, u"V"}, {'B', 0x30, u"B"},
    {'N', 0x31, u"N"}, {'M', 0x32, u"M"}, {VK_OEM_COMMA, 0x33, u","}, {VK_OEM_PERIOD, 0x34, u"."},
    {VK_OEM_2, 0x35, u"/"}, {VK_MULTIPLY, 0x37, u"Num *"}, {VK_MENU, 0x38, u"Alt"}, {VK_SPACE, 0x39, u"Space"},
    {VK_CAPITAL, 0x3A, u"Caps Lock"}, {VK_F1, 0x3B, u"F1"}, {VK_F2, 0x3C, u"F2"}, {VK_F3, 0x3D, u"F3"},
    {VK_F4, 0x3E, u"F4"}, {VK_F5, 0x3F, u"F5"}, {VK_F6, 0x40, u"F6"}, {VK_F7, 0x41, u"F7"}, {VK_F8, 0x42, u"F8"},
    {VK_F9, 0x43, u"F9"}, {VK_F10, 0x44, u"F10"}, {VK_NUMLOCK, 0x45, u"Num Lock"}, {VK_SCROLL, 0x46, u"Scroll Lock"},
    {VK_HOME, 0x47, u"Home"}, {VK_UP, 0x48, u"Up"}, {VK_PRIOR, 0x49, u"Page Up"}, {VK_SUBTRACT, 0x4A, u"Num -"},
    {VK_LEFT, 0x4B, u"Left"}, {VK_CLEAR, 0x4C, u"Num 5"}, {VK_RIGHT, 0x4D, u"Right"}, {VK_ADD, 0x4E, u"Num +"},
    {VK_END, 0x4F, u"End"}, {VK_DOWN, 0x50, u"Down"}, {VK_NEXT, 0x51, u"Page Down"}, {VK_INSERT, 0x52, u"Insert"},
    {VK_DELETE, 0x53, u"Delete"}, {VK_F11, 0x57, u"F11"}, {VK_F12, 0x58, u"F12"}, {VK_OEM_102, 0x73, u"\\"},
    {VK_OEM_5, 0x7D, u"\\"}, {VK_CONVERT, 0x79, u"Convert"}, {VK_NONCONVERT, 0x7B, u"Non Convert"},
};
}  // namespace

UINT WINAPI MapVirtualKeyW(UINT code, UINT type) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  switch (type) {
    case MAPVK_VK_TO_VSC:
      if (code == VK_LSHIFT) return 0x2A;
      if (code == VK_RSHIFT) return 0x36;
      for (auto& k : kKeys) if (k.vk == code) return k.scan;
      return 0;
    case MAPVK_VSC_TO_VK:
    case MAPVK_VSC_TO_VK_EX:
      for (auto& k : kKeys) if (k.scan == code) return k.vk;
      return 0;
    case MAPVK_VK_TO_CHAR:
      if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || code == VK_SPACE) return code;
      if (code == VK_BACK || code == VK_TAB || code == VK_RETURN || code == VK_ESCAPE) return code == VK_ESCAPE ? 0x1B : code;
      for (auto& k : kKeys)
        if (k.vk == code && k.name[1] == 0) return k.name[0];
      return 0;
    default:
      return 0;
  }
}
UINT WINAPI MapVirtualKeyA(UINT code, UINT type) { return MapVirtualKeyW(code, type); }

int WINAPI GetKeyNameTextW(LONG lp, LPWSTR out, int size) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!out || size <= 0) return 0;
  const UINT scan = (static_cast<UINT>(lp) >> 16) & 0xFF;
  const bool ext = (lp >> 24) & 1;
  const char16_t* name = nullptr;
  if (ext) {
    switch (scan) {
      case 0x1C: name = u"Num Enter"; break;
      case 0x1D: name = u"Right Ctrl"; break;
      case 0x38: name = u"Right Alt"; break;
      case 0x35: name = u"Num /"; break;
      default: break;
    }
  }
  if (!name && scan == 0x36) name = u"Right Shift";
  if (!name)
    for (auto& k : kKeys) if (k.scan == scan) { name = k.name; break; }
  if (!name) return 0;
  std::u16string s(name);
  const size_t n = std::min(s.size(), static_cast<size_t>(size - 1));
  s.copy(out, n);
  out[n] = 0;
  return static_cast<int>(n);
}
int WINAPI GetKeyNameTextA(LONG lp, LPSTR out, int size) {
  if (!out || size <= 0) return 0;
  WCHAR buf[64];
  if (!GetKeyNameTextW(lp, buf, 64)) return 0;
  const std::string a = winplat::WideToAnsi(buf);
  const size_t n = std::min(a.size(), static_cast<size_t>(size - 1));
  a.copy(out, n);
  out[n] = 0;
  return static_cast<int>(n);
}

SHORT WINAPI VkKeyScanW(WCHAR ch) {
  if (VSE_WIDE_CALL_REFUSED()) return -1;
  if (ch >= u'a' && ch <= u'z') return static_cast<SHORT>(ch - u'a' + 'A');
  if (ch >= u'A' && ch <= u'Z') return static_cast<SHORT>(0x100 | ch);
  if (ch >= u'0' && ch <= u'9') return static_cast<SHORT>(ch);
  if (ch == u' ') return VK_SPACE;
  if (ch == u'\r') return VK_RETURN;
  if (ch == u'\t') return VK_TAB;
  if (ch == 8) return VK_BACK;
  if (ch == 0x1B) return VK_ESCAPE;
  for (auto& k : kKeys)
    if (k.name[0] == ch && k.name[1] == 0) return static_cast<SHORT>(k.vk);
  return -1;
}
SHORT WINAPI VkKeyScanA(CHAR ch) { return VkKeyScanW(static_cast<WCHAR>(static_cast<unsigned char>(ch))); }

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
VSE_EXPORT("user32.dll", MapVirtualKeyA);
VSE_EXPORT("user32.dll", MapVirtualKeyW);
VSE_EXPORT("user32.dll", GetKeyNameTextA);
VSE_EXPORT("user32.dll", GetKeyNameTextW);
VSE_EXPORT("user32.dll", GetKeyboardLayout);
VSE_EXPORT("user32.dll", LoadCursorA);
VSE_EXPORT("user32.dll", LoadCursorW);
VSE_EXPORT("user32.dll", SetCursor);
