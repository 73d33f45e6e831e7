// The user calls that need no window: message boxes through the answerer, cursor, metrics,
// system colours, key state.
#include <atomic>
#include <mutex>

#include "internal/modules.h"
#include "internal/text.h"
#include "winbase.h"
#include "winplat_mode.h"
#include "winplat_screen.h"
#include "winuser.h"

namespace winplat::user {
int RunMessageBoxWindow(const winplat::screen::MessageBoxRequest& req,
                        const std::function<int(const winplat::screen::MessageBoxRequest&)>& answerer);
}

namespace {

int MessageBoxCore(HWND owner, std::u16string text, std::u16string caption, UINT type) {
  winplat::screen::MessageBoxRequest r;
  r.owner = owner;
  r.text = std::move(text);
  r.caption = std::move(caption);
  r.type = type;
  r.defaultButton = winplat::screen::DefaultButton(type);
  // A real window when someone can answer it: the answerer (tests) or a user on a display.
  auto answerer = winplat::screen::CurrentMessageBoxAnswerer();
  if (answerer && winplat::screen::CurrentMessageBoxWindow() == winplat::screen::MessageBoxWindow::kNone)
    return answerer(r);
  if (answerer || winplat::screen::CurrentBackend()->HasDisplay())
    return winplat::user::RunMessageBoxWindow(r, answerer);
  return winplat::screen::AnswerMessageBox(r);
}

std::mutex g_cursor_mutex;
int g_cursor_count = 0;

}  // namespace

// The default caption is the Japanese system's "エラー" (error), shown for a null caption.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return MessageBoxCore(owner, text ? winplat::AnsiToWide(text) : std::u16string(),
                        caption ? winplat::AnsiToWide(caption) : std::u16string(u"エラー"), type);
}

// Present also on the ANSI-only platform, as on Windows 9x.
int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return MessageBoxCore(owner, text ? std::u16string(text) : std::u16string(),
                        caption ? std::u16string(caption) : std::u16string(u"エラー"), type);
}

BOOL WINAPI MessageBeep(UINT type) {
  uint32_t freq = 750;
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: freq = 440; break;
    case MB_ICONQUESTION: freq = 550; break;
    case MB_ICONEXCLAMATION: freq = 660; break;
    case MB_ICONASTERISK: freq = 880; break;
    default: break;
  }
  winplat::screen::Audio()->Beep(freq, 120, false);
  return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT p) {
  if (!p) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *p = winplat::screen::CurrentBackend()->CursorPos();
  return TRUE;
}

// The cursor stays on the screen, as on the platform.
BOOL WINAPI SetCursorPos(int x, int y) {
  auto b = winplat::screen::CurrentBackend();
  const SIZE s = b->DisplaySize();
  x = x < 0 ? 0 : x >= s.cx ? s.cx - 1 : x;
  y = y < 0 ? 0 : y >= s.cy ? s.cy - 1 : y;
  b->SetCursorPos(POINT{x, y});
  return TRUE;
}

int WINAPI ShowCursor(BOOL show) {
  std::lock_guard<std::mutex> lock(g_cursor_mutex);
  g_cursor_count += show ? 1 : -1;
  winplat::screen::CurrentBackend()->SetCursorVisible(g_cursor_count >= 0);
  return g_cursor_count;
}

// Classic metrics at 96 dpi; the screen size comes from the backend.
int WINAPI GetSystemMetrics(int index) {
  const SIZE s = winplat::screen::CurrentBackend()->DisplaySize();
  switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: case SM_CXVIRTUALSCREEN: return s.cx;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return s.cy;
    case SM_CYFULLSCREEN: return s.cy - 19;
    case SM_CXMAXTRACK: return s.cx + 12;
    case SM_CYMAXTRACK: return s.cy + 12;
    case SM_CXMAXIMIZED: return s.cx + 8;
    case SM_CYMAXIMIZED: return s.cy + 8;
    case SM_XVIRTUALSCREEN: case SM_YVIRTUALSCREEN: return 0;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: case SM_CYMENU: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 15;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_MOUSEPRESENT: case SM_MOUSEWHEELPRESENT: case SM_CMONITORS: return 1;
    case SM_CMOUSEBUTTONS: return 3;
    // A Japanese system; with the Western code page of the tests, a Western one.
    case SM_DBCSENABLED: case SM_IMMENABLED: return winplat::AnsiCodePage() == 932 ? 1 : 0;
    case SM_SWAPBUTTON: return 0;
    default: return 0;
  }
}

DWORD WINAPI GetSysColor(int index) {
  static const COLORREF kClassic[31] = {
      RGB(212, 208, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128), RGB(212, 208, 200),
      RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
      RGB(212, 208, 200), RGB(212, 208, 200), RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255),
      RGB(212, 208, 200), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
      RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),       RGB(255, 255, 225),
      RGB(0, 0, 0),       RGB(0, 0, 128),     RGB(166, 202, 240), RGB(192, 192, 192), RGB(10, 36, 106),
      RGB(212, 208, 200)};
  return index >= 0 && index <= 30 ? kClassic[index] : 0;
}

SHORT WINAPI GetKeyState(int vk) {
  unsigned v = 0;
  if (winplat::screen::KeyDown(vk)) v |= 0xFF80u;
  if (winplat::screen::KeyToggled(vk)) v |= 1u;
  return static_cast<SHORT>(v);
}

SHORT WINAPI GetAsyncKeyState(int vk) {
  return static_cast<SHORT>(winplat::screen::KeyDown(vk) ? 0x8000u : 0u);
}

int WINAPI MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD) {
  return MessageBoxA(owner, text, caption, type);
}
int WINAPI MessageBoxExW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, WORD) {
  return MessageBoxW(owner, text, caption, type);
}

VSE_EXPORT("user32.dll", MessageBoxA);
VSE_EXPORT("user32.dll", MessageBoxW);
VSE_EXPORT("user32.dll", MessageBeep);
VSE_EXPORT("user32.dll", GetCursorPos);
VSE_EXPORT("user32.dll", SetCursorPos);
VSE_EXPORT("user32.dll", ShowCursor);
VSE_EXPORT("user32.dll", GetSystemMetrics);
VSE_EXPORT("user32.dll", GetSysColor);
VSE_EXPORT("user32.dll", GetKeyState);
VSE_EXPORT("user32.dll", GetAsyncKeyState);
