// Messages: sending (with the call hooks), the posted and input queues, GetMessage and
// PeekMessage with their waits, translation of keys to characters, dispatching, timers and
// the hook chains.
#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "internal/text.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winbase.h"
#include "winnls.h"
#include "winplat_screen.h"

namespace winplat::user {
HWND WindowAt(POINT screen);
HWND TopLevelAt(POINT screen);
}  // namespace winplat::user

using namespace winplat::user;
namespace screen = winplat::screen;

namespace {

// Character messages are queued as UTF-16 (ANSI ones are converted when posted), except the
// trail byte of a double-byte character already handed to an ANSI retriever.
struct QMsg {
  MSG msg{};
  bool trailByte = false;
  uint64_t arrival = 0;  // order of arrival, for telling new messages from seen ones
};

// Messages that arrived after the last GetMessage/PeekMessage are new: MsgWaitForMultipleObjects
// wakes for them only. Both guarded by g_queue_mutex.
uint64_t g_arrivals = 0;
uint64_t g_seen = 0;

std::mutex g_queue_mutex;
std::deque<QMsg> g_posted;  // PostMessage, TranslateMessage
std::deque<QMsg> g_input;   // converted input events
bool g_quit = false;
int g_quit_code = 0;
MSG g_last{};               // for GetMessagePos/Time

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC proc;
  uint64_t due;
  bool system = false;
};
std::vector<Timer> g_timers;
UINT_PTR g_next_timer_id = 1;

struct Hook : winplat::HandleObject {
  HHOOK handle = nullptr;
  int id = 0;
  HOOKPROC proc = nullptr;
  bool unicode = false;
  bool removed = false;
};
std::vector<std::shared_ptr<Hook>> g_hooks;  // newest first

uint64_t Now() { return screen::CurrentBackend()->TimerClock(); }

// The screen's clock moved on (a scripted Elapse): timers that came due fire before the input
// queued after it.
bool g_time_passed = false;

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
  if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) {
    if (m.hwnd) return false;
  } else if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) {
    return false;
  }
  if (lo == 0 && hi == 0) return true;
  if (hi < lo) return true;
  return m.message >= lo && m.message <= hi;
}

bool IsCharMsg(UINT m) { return m == WM_CHAR || m == WM_DEADCHAR || m == WM_SYSCHAR || m == WM_SYSDEADCHAR; }

bool IsKeyMsg(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

}  // namespace

// ---------------------------------------------------------------- hooks

namespace winplat::user {

bool HasHooks(int idHook) {
  for (auto& h : g_hooks)
    if (h->id == idHook && !h->removed) return true;
  return false;
}

namespace {
LRESULT CallFrom(size_t start, int idHook, int code, WPARAM wp, LPARAM lp, bool* called) {
  for (size_t i = start; i < g_hooks.size(); ++i) {
    auto h = g_hooks[i];
    if (h->id != idHook || h->removed) continue;
    if (called) *called = true;
    return h->proc(code, wp, lp);
  }
  return 0;
}
}  // namespace

LRESULT CallHooks(int idHook, int code, WPARAM wp, LPARAM lp, bool* called) {
  return CallFrom(0, idHook, code, wp, lp, called);
}

}  // namespace winplat::user

HHOOK WINAPI SetWindowsHookExW(int id, HOOKPROC proc, HINSTANCE, DWORD thread) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  if (!proc || id < WH_MIN || id > WH_MAX) {
    SetLastError(id < WH_MIN || id > WH_MAX ? 1426 : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (thread != 0 && thread != GetCurrentThreadId()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto h = std::make_shared<Hook>();
  h->id = id;
  h->proc = proc;
  h->unicode = true;
  h->handle = reinterpret_cast<HHOOK>(winplat::HandleTable::Instance().Add(winplat::HandleKind::Hook, h));
  g_hooks.insert(g_hooks.begin(), h);
  return h->handle;
}

HHOOK WINAPI SetWindowsHookExA(int id, HOOKPROC proc, HINSTANCE inst, DWORD thread) {
  HHOOK h = SetWindowsHookExW(id, proc, inst, thread);
  if (h)
    for (auto& x : g_hooks)
      if (x->handle == h) x->unicode = false;
  return h;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk) {
  auto h = winplat::HandleTable::Instance().Get<Hook>(hhk, winplat::HandleKind::Hook);
  if (!h) {
    SetLastError(ERROR_INVALID_HOOK_HANDLE);
    return FALSE;
  }
  h->removed = true;
  g_hooks.erase(std::remove(g_hooks.begin(), g_hooks.end(), h), g_hooks.end());
  winplat::HandleTable::Instance().Remove(hhk, winplat::HandleKind::Hook);
  return TRUE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hhk, int code, WPARAM wp, LPARAM lp) {
  for (size_t i = 0; i < g_hooks.size(); ++i) {
    if (g_hooks[i]->handle == hhk) {
      for (size_t j = i + 1; j < g_hooks.size(); ++j)
        if (g_hooks[j]->id == g_hooks[i]->id && !g_hooks[j]->removed) return g_hooks[j]->proc(code, wp, lp);
      return 0;
    }
  }
  return 0;
}

BOOL WINAPI CallMsgFilterW(LPMSG msg, int code) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  if (CallHooks(WH_SYSMSGFILTER, code, 0, reinterpret_cast<LPARAM>(msg))) return TRUE;
  return CallHooks(WH_MSGFILTER, code, 0, reinterpret_cast<LPARAM>(msg)) ? TRUE : FALSE;
}
BOOL WINAPI CallMsgFilterA(LPMSG msg, int code) { return CallMsgFilterW(msg, code); }

// ---------------------------------------------------------------- sending

namespace winplat::user {

LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool unicode) {
  auto w = GetWnd(h);
  if (!w) return 0;
  const Proc proc = w->proc;
  if (HasHooks(WH_CALLWNDPROC)) {
    CWPSTRUCT cwp{lp, wp, msg, h};
    CallHooks(WH_CALLWNDPROC, HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
  }
  const LRESULT r = CallProc(proc, unicode, h, msg, wp, lp);
  if (HasHooks(WH_CALLWNDPROCRET)) {
    CWPRETSTRUCT ret{r, lp, wp, msg, h};
    CallHooks(WH_CALLWNDPROCRET, HC_ACTION, 0, reinterpret_cast<LPARAM>(&ret));
  }
  return r;
}

}  // namespace winplat::user

namespace {
LRESULT SendCore(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool unicode) {
  if (h == HWND_BROADCAST) {
    for (HWND t : TopLevelWindows())
      if (PeekWnd(t)) Send(t, msg, wp, lp, unicode);
    return 1;
  }
  return Send(h, msg, wp, lp, unicode);
}
}  // namespace

LRESULT WINAPI SendMessageW(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return SendCore(h, msg, wp, lp, true);
}
LRESULT WINAPI SendMessageA(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return SendCore(h, msg, wp, lp, false); }
LRESULT WINAPI SendMessageTimeoutW(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT, UINT, DWORD_PTR* result) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (h != HWND_BROADCAST && !GetWnd(h)) return 0;
  const LRESULT r = SendCore(h, msg, wp, lp, true);
  if (result) *result = static_cast<DWORD_PTR>(r);
  return 1;
}
LRESULT WINAPI SendMessageTimeoutA(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT, UINT, DWORD_PTR* result) {
  if (h != HWND_BROADCAST && !GetWnd(h)) return 0;
  const LRESULT r = SendCore(h, msg, wp, lp, false);
  if (result) *result = static_cast<DWORD_PTR>(r);
  return 1;
}
BOOL WINAPI SendNotifyMessageW(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  if (h != HWND_BROADCAST && !GetWnd(h)) return FALSE;
  SendCore(h, msg, wp, lp, true);
  return TRUE;
}
BOOL WINAPI SendNotifyMessageA(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (h != HWND_BROADCAST && !GetWnd(h)) return FALSE;
  SendCore(h, msg, wp, lp, false);
  return TRUE;
}
BOOL WINAPI InSendMessage() { return FALSE; }
BOOL WINAPI ReplyMessage(LRESULT) { return FALSE; }

// ---------------------------------------------------------------- posting

namespace winplat::user {

void WakeQueue() { screen::CurrentBackend()->Wake(); }

void RemoveWindowMessages(HWND h) {
  std::lock_guard<std::mutex> lock(g_queue_mutex);
  auto gone = [h](const QMsg& q) { return q.msg.hwnd == h; };
  g_posted.erase(std::remove_if(g_posted.begin(), g_posted.end(), gone), g_posted.end());
  g_input.erase(std::remove_if(g_input.begin(), g_input.end(), gone), g_input.end());
}

void RemoveTimersOf(HWND h) {
  g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(), [h](const Timer& t) { return t.hwnd == h; }),
                 g_timers.end());
}

void PostInput(HWND h, UINT msg, WPARAM wp, LPARAM lp, POINT pt) {
  QMsg q;
  q.msg = MSG{h, msg, wp, lp, GetTickCount(), pt};
  std::lock_guard<std::mutex> lock(g_queue_mutex);
  q.arrival = ++g_arrivals;
  g_input.push_back(q);
}

}  // namespace winplat::user

namespace {

BOOL PostCore(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool unicode) {
  if (!unicode && IsCharMsg(msg)) {
    if (!AnsiCharToWide(CharPath::Post, msg, wp)) return TRUE;  // a lead byte waits for its trail
    unicode = true;
  }
  if (h == HWND_BROADCAST) {
    for (HWND t : TopLevelWindows()) PostCore(t, msg, wp, lp, unicode);
    return TRUE;
  }
  if (h && !GetWnd(h)) return FALSE;
  QMsg q;
  POINT pt{};
  GetCursorPos(&pt);
  q.msg = MSG{h, msg, wp, lp, GetTickCount(), pt};
  {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    q.arrival = ++g_arrivals;
    g_posted.push_back(q);
  }
  WakeQueue();
  return TRUE;
}

}  // namespace

BOOL WINAPI PostMessageW(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return PostCore(h, msg, wp, lp, true);
}
BOOL WINAPI PostMessageA(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return PostCore(h, msg, wp, lp, false); }
BOOL WINAPI PostThreadMessageW(DWORD, UINT msg, WPARAM wp, LPARAM lp) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return PostCore(nullptr, msg, wp, lp, true);
}
BOOL WINAPI PostThreadMessageA(DWORD, UINT msg, WPARAM wp, LPARAM lp) { return PostCore(nullptr, msg, wp, lp, false); }

void WINAPI PostQuitMessage(int code) {
  {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    g_quit = true;
    g_quit_code = code;
  }
  WakeQueue();
}

// ---------------------------------------------------------------- timers

UINT_PTR WINAPI SetTimer(HWND h, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (h && !GetWnd(h)) return 0;
  if (elapse < USER_TIMER_MINIMUM) elapse = USER_TIMER_MINIMUM;
  if (elapse > USER_TIMER_MAXIMUM) elapse = USER_TIMER_MAXIMUM;
  if (h) {
    for (auto& t : g_timers) {
      if (t.hwnd == h && t.id == id && !t.system) {
        t.elapse = elapse;
        t.proc = proc;
        t.due = Now() + elapse;
        WakeQueue();
        return id ? id : 1;
      }
    }
  } else {
    // Thread timers get a fresh id unless they replace one of theirs.
    bool found = false;
    for (auto& t : g_timers)
      if (!t.hwnd && t.id == id && id) {
        t.elapse = elapse;
        t.proc = proc;
        t.due = Now() + elapse;
        found = true;
      }
    if (found) return id;
    id = 0x7FFF0000u + g_next_timer_id++;
  }
  g_timers.push_back(Timer{h, id, elapse, proc, Now() + elapse});
  WakeQueue();
  return h ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND h, UINT_PTR id) {
  auto it = std::find_if(g_timers.begin(), g_timers.end(),
                         [&](const Timer& t) { return t.hwnd == h && t.id == id && !t.system; });
  if (it == g_timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  g_timers.erase(it);
  return TRUE;
}

// ---------------------------------------------------------------- input events to messages

namespace {

struct ClickState {
  int button = -1;
  uint64_t time = 0;
  POINT pt{};
  HWND hwnd = nullptr;
  bool wasDouble = false;
} g_click;

WPARAM MouseKeys() {
  WPARAM k = 0;
  if (screen::KeyDown(VK_LBUTTON)) k |= MK_LBUTTON;
  if (screen::KeyDown(VK_RBUTTON)) k |= MK_RBUTTON;
  if (screen::KeyDown(VK_MBUTTON)) k |= MK_MBUTTON;
  if (screen::KeyDown(VK_XBUTTON1)) k |= MK_XBUTTON1;
  if (screen::KeyDown(VK_XBUTTON2)) k |= MK_XBUTTON2;
  if (screen::KeyDown(VK_SHIFT)) k |= MK_SHIFT;
  if (screen::KeyDown(VK_CONTROL)) k |= MK_CONTROL;
  return k;
}

LPARAM PointParam(POINT p) { return MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

// Target and hit-test code of a mouse event at a screen point.
HWND MouseTarget(POINT pt, LRESULT* hit) {
  HWND cap = CaptureWindow();
  if (cap && PeekWnd(cap)) {
    *hit = HTCLIENT;
    return cap;
  }
  HWND h = WindowAt(pt);
  while (h) {
    const LRESULT ht = SendW(h, WM_NCHITTEST, 0, PointParam(pt));
    if (ht != HTTRANSPARENT) {
      *hit = ht;
      return h;
    }
    auto w = PeekWnd(h);
    if (!w || IsTopLevel(*w)) return nullptr;
    h = w->parent;  // a transparent child gives the point to its parent
  }
  return nullptr;
}

bool MouseHookEats(UINT msg, POINT pt, HWND h, LRESULT hit) {
  if (!HasHooks(WH_MOUSE)) return false;
  MOUSEHOOKSTRUCT m{pt, h, static_cast<UINT>(hit), 0};
  return CallHooks(WH_MOUSE, HC_ACTION, msg, reinterpret_cast<LPARAM>(&m)) != 0;
}

void MouseMessage(UINT clientMsg, UINT ncMsg, POINT pt, HWND h, LRESULT hit, WPARAM extra) {
  if (hit == HTCLIENT) {
    POINT c = pt;
    ScreenToClient(h, &c);
    if (MouseHookEats(clientMsg, pt, h, hit)) return;
    PostInput(h, clientMsg, MouseKeys() | extra, PointParam(c), pt);
  } else if (ncMsg) {
    if (MouseHookEats(ncMsg, pt, h, hit)) return;
    PostInput(h, ncMsg, static_cast<WPARAM>(hit), PointParam(pt), pt);
  }
}

void ConvertButton(const screen::InputEvent& e) {
  static const UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_XBUTTONDOWN, WM_XBUTTONDOWN};
  static const UINT kVk[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2};
  const int b = std::clamp(e.button, 0, 4);
  screen::SetKeyState(static_cast<int>(kVk[b]), e.down);
  LRESULT hit = HTNOWHERE;
  HWND h = MouseTarget(e.pt, &hit);
  if (!h) return;
  auto w = PeekWnd(h);
  if (!w) return;
  const WPARAM xb = b >= 3 ? (static_cast<WPARAM>(b - 2) << 16) : 0;
  if (e.down) {
    HWND top = h;
    while (PeekWnd(top) && !IsTopLevel(*PeekWnd(top))) top = PeekWnd(top)->parent;
    auto tw = PeekWnd(top);
    if (tw && (tw->style & WS_DISABLED)) {
      MessageBeep(0);  // a window disabled by a modal dialog
      return;
    }
    if (top && top != ActiveWindow()) {
      const LRESULT ma = SendW(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), MAKELONG(static_cast<WORD>(hit), kDown[b]));
      if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) ActivateWindow(top, WA_CLICKACTIVE, true);
      if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return;
      if (!PeekWnd(h)) return;
    }
    SendW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELONG(static_cast<WORD>(hit), kDown[b]));
    if (!PeekWnd(h)) return;
    const uint64_t now = Now();
    const bool dbl = g_click.button == b && g_click.hwnd == h && !g_click.wasDouble &&
                     now - g_click.time <= GetDoubleClickTime() &&
                     std::abs(e.pt.x - g_click.pt.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                     std::abs(e.pt.y - g_click.pt.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2 &&
                     ((PeekWnd(h)->cls->style & CS_DBLCLKS) || hit != HTCLIENT);
    g_click = ClickState{b, now, e.pt, h, dbl};
    const UINT down = kDown[b] + (dbl ? 2 : 0);
    const UINT nc = b <= 2 ? static_cast<UINT>(WM_NCLBUTTONDOWN + b * 3 + (dbl ? 2 : 0)) : 0;
    MouseMessage(down, nc, e.pt, h, hit, xb);
  } else {
    const UINT up = kDown[b] + 1;
    const UINT nc = b <= 2 ? static_cast<UINT>(WM_NCLBUTTONUP + b * 3) : 0;
    MouseMessage(up, nc, e.pt, h, hit, xb);
  }
}

void ConvertMove(const screen::InputEvent& e) {
  LRESULT hit = HTNOWHERE;
  HWND h = MouseTarget(e.pt, &hit);
  if (!h) return;
  if (!CaptureWindow()) {
    SendW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELONG(static_cast<WORD>(hit), WM_MOUSEMOVE));
    if (!PeekWnd(h)) return;
  }
  // Moves coalesce: a move still waiting is replaced.
  {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    if (!g_input.empty() && g_input.back().msg.message == WM_MOUSEMOVE && g_input.back().msg.hwnd == h && hit == HTCLIENT)
      g_input.pop_back();
  }
  MouseMessage(WM_MOUSEMOVE, WM_NCMOUSEMOVE, e.pt, h, hit, 0);
}

HWND KeyTarget() {
  HWND f = GetFocus();
  if (f && PeekWnd(f)) return f;
  HWND a = ActiveWindow();
  return a && PeekWnd(a) ? a : nullptr;
}

void ConvertKey(const screen::InputEvent& e) {
  const UINT vk = e.vk & 0xFF;
  const bool wasDown = screen::KeyDown(static_cast<int>(vk));
  bool toggled = screen::KeyToggled(static_cast<int>(vk));
  if (e.down && !wasDown && (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL)) toggled = !toggled;
  screen::SetKeyState(static_cast<int>(vk), e.down, toggled);
  // The side-specific keys also drive the generic ones.
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) screen::SetKeyState(VK_SHIFT, screen::KeyDown(VK_LSHIFT) || screen::KeyDown(VK_RSHIFT));
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) screen::SetKeyState(VK_CONTROL, screen::KeyDown(VK_LCONTROL) || screen::KeyDown(VK_RCONTROL));
  if (vk == VK_LMENU || vk == VK_RMENU) screen::SetKeyState(VK_MENU, screen::KeyDown(VK_LMENU) || screen::KeyDown(VK_RMENU));
  UINT sendVk = vk;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) sendVk = VK_SHIFT;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) sendVk = VK_CONTROL;
  if (vk == VK_LMENU || vk == VK_RMENU) sendVk = VK_MENU;
  HWND h = KeyTarget();
  if (!h) return;
  const bool alt = screen::KeyDown(VK_MENU);
  const bool sys = (alt && !screen::KeyDown(VK_CONTROL)) || sendVk == VK_F10 || !GetFocus();
  // The side-specific key tells its scan code: the right Shift has one of its own, the right
  // Ctrl and Alt are extended keys.
  const UINT scan = e.scan ? e.scan : MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  LPARAM lp = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (e.extended || vk == VK_RCONTROL || vk == VK_RMENU) lp |= 1 << 24;
  if (alt) lp |= 1 << 29;
  if (!e.down) lp |= (1L << 30) | (1L << 31);
  else if (wasDown) lp |= 1L << 30;
  if (HasHooks(WH_KEYBOARD) && CallHooks(WH_KEYBOARD, HC_ACTION, sendVk, lp)) return;
  const UINT msg = e.down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  POINT pt{};
  GetCursorPos(&pt);
  PostInput(h, msg, sendVk, lp, pt);
}

void ConvertText(const screen::InputEvent& e) {
  HWND h = KeyTarget();
  if (!h) return;
  POINT pt{};
  GetCursorPos(&pt);
  for (char16_t u : e.text) PostInput(h, WM_CHAR, u, 1, pt);
}

void ConvertQuit() {
  HWND a = ActiveWindow();
  if (!a) {
    for (HWND t : TopLevelWindows()) {
      auto w = PeekWnd(t);
      if (w && (w->style & WS_VISIBLE)) { a = t; break; }
    }
  }
  if (a) PostMessageW(a, WM_CLOSE, 0, 0);
  else PostQuitMessage(0);
}

// Turns one backend event into messages; false when there was none.
bool PumpOneEvent() {
  screen::InputEvent e;
  if (!screen::CurrentBackend()->PollEvent(&e)) return false;
  switch (e.kind) {
    case screen::InputEvent::MouseMove: ConvertMove(e); break;
    case screen::InputEvent::MouseButton: ConvertButton(e); break;
    case screen::InputEvent::MouseWheel: {
      HWND h = KeyTarget();
      if (!h) {
        LRESULT hit;
        h = MouseTarget(e.pt, &hit);
      }
      if (h && !MouseHookEats(WM_MOUSEWHEEL, e.pt, h, HTCLIENT))
        PostInput(h, WM_MOUSEWHEEL, MAKELONG(static_cast<WORD>(MouseKeys()), static_cast<WORD>(e.wheel)), PointParam(e.pt), e.pt);
      break;
    }
    case screen::InputEvent::Key: ConvertKey(e); break;
    case screen::InputEvent::Text: ConvertText(e); break;
    case screen::InputEvent::FocusGained: ApplicationFocus(true); break;
    case screen::InputEvent::FocusLost: ApplicationFocus(false); break;
    case screen::InputEvent::Quit: ConvertQuit(); break;
    case screen::InputEvent::Elapse: g_time_passed = true; break;
    case screen::InputEvent::Expose: {
      const SIZE s = screen::CurrentBackend()->DisplaySize();
      InvalidateScreen(Region::FromRect(RECT{0, 0, s.cx, s.cy}));
      break;
    }
  }
  return true;
}

// ---------------------------------------------------------------- retrieving

// Converts a queued character message for an ANSI retriever. A double-byte character becomes
// its lead byte now and its trail byte next (queued in front when removing).
MSG ConvertForRetrieval(std::deque<QMsg>& q, size_t index, bool unicode, bool remove) {
  QMsg& m = q[index];
  MSG out = m.msg;
  if (!IsCharMsg(out.message) || unicode || m.trailByte) return out;
  const std::u16string w(1, static_cast<char16_t>(out.wParam & 0xFFFF));
  // Surrogates have no ANSI form; the pair is narrowed to one '?' at its high half.
  if (w[0] >= 0xDC00 && w[0] <= 0xDFFF) {
    out.message = WM_NULL;
    return out;
  }
  const std::string a = winplat::WideToAnsi(w[0] >= 0xD800 && w[0] <= 0xDBFF ? std::u16string(u"?") : w);
  out.wParam = a.empty() ? 0 : static_cast<uint8_t>(a[0]);
  if (a.size() > 1 && remove) {
    QMsg trail = m;
    trail.msg.wParam = static_cast<uint8_t>(a[1]);
    trail.trailByte = true;
    q.insert(q.begin() + static_cast<ptrdiff_t>(index) + 1, trail);
  }
  return out;
}

bool TakeFrom(std::deque<QMsg>& q, MSG* out, HWND filter, UINT lo, UINT hi, bool remove, bool unicode) {
  std::lock_guard<std::mutex> lock(g_queue_mutex);
  for (size_t i = 0; i < q.size(); ++i) {
    if (!Matches(q[i].msg, filter, lo, hi)) continue;
    *out = ConvertForRetrieval(q, i, unicode, remove);
    if (remove) q.erase(q.begin() + static_cast<ptrdiff_t>(i));
    return true;
  }
  return false;
}

bool TimerMessage(MSG* out, HWND filter, UINT lo, UINT hi, bool remove) {
  const uint64_t now = Now();
  for (auto& t : g_timers) {
    if (t.due > now) continue;
    MSG m{t.hwnd, t.system ? kSystemTimerMessage : WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc),
          static_cast<DWORD>(now), {}};
    GetCursorPos(&m.pt);
    if (!Matches(m, filter, lo, hi)) continue;
    if (remove) t.due = now + t.elapse;  // late ticks do not pile up
    *out = m;
    return true;
  }
  return false;
}

bool PaintMessage(MSG* out, HWND filter, UINT lo, UINT hi) {
  HWND h = NextPaintWindow();
  if (!h) return false;
  MSG m{h, WM_PAINT, 0, 0, GetTickCount(), {}};
  if (!Matches(m, filter, lo, hi)) {
    if (!filter) return false;
    return false;
  }
  *out = m;
  return true;
}

// One attempt at a message, in the platform's order: posted, quit, input, paint, timers.
bool TryGet(MSG* out, HWND filter, UINT lo, UINT hi, UINT flags, bool unicode) {
  const bool remove = (flags & PM_REMOVE) != 0;
  if (TakeFrom(g_posted, out, filter, lo, hi, remove, unicode)) return true;
  {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    if (g_quit && (filter == nullptr || true)) {
      *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(g_quit_code), 0, GetTickCount(), {}};
      if (remove) g_quit = false;
      return true;
    }
  }
  for (;;) {
    if (TakeFrom(g_input, out, filter, lo, hi, remove, unicode)) return true;
    if (g_time_passed) {
      if (TimerMessage(out, filter, lo, hi, remove)) return true;
      g_time_passed = false;
    }
    if (!PumpOneEvent()) break;
    if (TakeFrom(g_posted, out, filter, lo, hi, remove, unicode)) return true;
  }
  if (PaintMessage(out, filter, lo, hi)) return true;
  if (TimerMessage(out, filter, lo, hi, remove)) return true;
  return false;
}

bool HasUnicodeHooks(int idHook) {
  for (auto& h : g_hooks)
    if (h->id == idHook && !h->removed && h->unicode) return true;
  return false;
}

// An ANSI retrieval of a character the code page may not hold, while a Unicode hook watches:
// the hooks see the character whole, and what they leave of it is converted for the caller
// only then. Answers false (nothing taken) when the next message is no such character.
bool GetCharThroughUnicodeHooks(MSG* out, HWND filter, UINT lo, UINT hi, UINT flags) {
  MSG wide;
  if (!TryGet(&wide, filter, lo, hi, flags & ~static_cast<UINT>(PM_REMOVE), true)) return false;
  if (!IsCharMsg(wide.message) || wide.wParam <= 0xFF) return false;
  MSG seen = wide;
  CallHooks(WH_GETMESSAGE, HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&seen));
  if (seen.message != wide.message || seen.wParam != wide.wParam) {
    MSG taken;
    TryGet(&taken, filter, lo, hi, flags, true);  // the queued character leaves, whole
    *out = seen;
  } else if (!TryGet(out, filter, lo, hi, flags, false)) {
    return false;
  }
  g_last = *out;
  return true;
}

bool GetHooked(MSG* out, HWND filter, UINT lo, UINT hi, UINT flags, bool unicode) {
  // The hooked character path calls the hooks itself.
  const bool hooked = !unicode && (flags & PM_REMOVE) && HasUnicodeHooks(WH_GETMESSAGE) &&
                      GetCharThroughUnicodeHooks(out, filter, lo, hi, flags);
  const bool got = hooked || TryGet(out, filter, lo, hi, flags, unicode);
  {
    // Whatever is queued now has been seen, taken or not.
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    g_seen = g_arrivals;
  }
  if (!got) return false;
  if (hooked) return true;
  if (HasHooks(WH_GETMESSAGE))
    CallHooks(WH_GETMESSAGE, HC_ACTION, flags & PM_REMOVE, reinterpret_cast<LPARAM>(out));
  g_last = *out;
  return true;
}

int MillisToNextTimer() {
  if (g_timers.empty()) return -1;
  const uint64_t now = Now();
  uint64_t next = UINT64_MAX;
  for (auto& t : g_timers) next = std::min(next, t.due);
  return next <= now ? 0 : static_cast<int>(std::min<uint64_t>(next - now, 0x7FFFFFFF));
}

// A message queued since the last GetMessage/PeekMessage (the caller holds g_queue_mutex).
bool HasNewMessage() {
  for (const auto* q : {&g_posted, &g_input})
    for (const QMsg& m : *q)
      if (m.arrival > g_seen) return true;
  return false;
}

// Sleeps until something may have arrived: input, a post, the next timer, or `limitMs`.
// `onlyNew`: messages already seen do not count as work.
void WaitForWork(int limitMs, bool onlyNew = false) {
  PresentScreen();
  int t = MillisToNextTimer();
  if (limitMs >= 0 && (t < 0 || limitMs < t)) t = limitMs;
  {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    if (g_quit || (onlyNew ? HasNewMessage() : !g_posted.empty() || !g_input.empty())) return;
  }
  if (t == 0) return;
  screen::CurrentBackend()->WaitEvent(t);
}

BOOL GetCore(MSG* msg, HWND filter, UINT lo, UINT hi, bool unicode) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (filter && filter != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && !GetWnd(filter)) return -1;
  for (;;) {
    if (GetHooked(msg, filter, lo, hi, PM_REMOVE, unicode)) return msg->message == WM_QUIT ? FALSE : TRUE;
    WaitForWork(-1);
  }
}

}  // namespace

BOOL WINAPI GetMessageW(LPMSG m, HWND h, UINT lo, UINT hi) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  return GetCore(m, h, lo, hi, true);
}
BOOL WINAPI GetMessageA(LPMSG m, HWND h, UINT lo, UINT hi) { return GetCore(m, h, lo, hi, false); }
BOOL WINAPI PeekMessageW(LPMSG m, HWND h, UINT lo, UINT hi, UINT flags) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  if (!m) return FALSE;
  return GetHooked(m, h, lo, hi, flags, true) ? TRUE : FALSE;
}
BOOL WINAPI PeekMessageA(LPMSG m, HWND h, UINT lo, UINT hi, UINT flags) {
  if (!m) return FALSE;
  return GetHooked(m, h, lo, hi, flags, false) ? TRUE : FALSE;
}

BOOL WINAPI WaitMessage() {
  MSG m;
  if (TryGet(&m, nullptr, 0, 0, PM_NOREMOVE, true)) return TRUE;
  WaitForWork(-1);
  return TRUE;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD ms, DWORD) {
  if (count != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0xFFFFFFFFu;
  }
  // Only what is new wakes the caller: messages that PeekMessage has already seen (and left in
  // the queue) do not, so a loop of PeekMessage and MsgWaitForMultipleObjects sleeps.
  const uint64_t start = Now();
  for (;;) {
    while (PumpOneEvent()) {
    }
    {
      std::lock_guard<std::mutex> lock(g_queue_mutex);
      if (g_quit || HasNewMessage()) return 0;  // WAIT_OBJECT_0 + nCount
    }
    MSG m;
    if (g_time_passed || MillisToNextTimer() == 0 || PaintMessage(&m, nullptr, 0, 0)) return 0;
    const uint64_t spent = Now() - start;
    if (ms != 0xFFFFFFFFu && spent >= ms) return 0x102;  // WAIT_TIMEOUT
    WaitForWork(ms == 0xFFFFFFFFu ? -1 : static_cast<int>(ms - spent), true);
  }
}

DWORD WINAPI GetQueueStatus(UINT flags) {
  DWORD s = 0;
  {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    if (!g_posted.empty() || g_quit) s |= QS_POSTMESSAGE;
    for (auto& q : g_input) s |= IsKeyMsg(q.msg.message) ? QS_KEY : q.msg.message == WM_MOUSEMOVE ? QS_MOUSEMOVE : QS_MOUSEBUTTON;
  }
  if (NextPaintWindow()) s |= QS_PAINT;
  if (MillisToNextTimer() == 0) s |= QS_TIMER;
  return (s & flags) | ((s & flags) << 16);
}

BOOL WINAPI GetInputState() {
  std::lock_guard<std::mutex> lock(g_queue_mutex);
  return g_input.empty() ? FALSE : TRUE;
}

DWORD WINAPI GetMessagePos() { return MAKELONG(static_cast<WORD>(g_last.pt.x), static_cast<WORD>(g_last.pt.y)); }
LONG WINAPI GetMessageTime() { return static_cast<LONG>(g_last.time); }
LPARAM WINAPI GetMessageExtraInfo() { return 0; }

// ---------------------------------------------------------------- translate and dispatch

BOOL WINAPI TranslateMessage(const MSG* m) {
  if (!m || (m->message != WM_KEYDOWN && m->message != WM_SYSKEYDOWN)) return FALSE;
  const UINT vk = static_cast<UINT>(m->wParam);
  const bool ctrl = screen::KeyDown(VK_CONTROL), alt = screen::KeyDown(VK_MENU);
  WPARAM ch = 0;
  // Printable characters arrive as text input; keys make only the control characters.
  if (vk == VK_BACK) ch = ctrl ? 0x7F : 0x08;
  else if (vk == VK_TAB) ch = 0x09;
  else if (vk == VK_RETURN) ch = ctrl ? 0x0A : 0x0D;
  else if (vk == VK_ESCAPE) ch = 0x1B;
  else if (ctrl && !alt && vk >= 'A' && vk <= 'Z') ch = vk - 'A' + 1;
  else if (m->message == WM_SYSKEYDOWN && alt && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')))
    ch = (vk >= 'A' && vk <= 'Z') ? vk - 'A' + 'a' : vk;
  else if (m->message == WM_SYSKEYDOWN && alt && vk == VK_SPACE) ch = ' ';
  if (!ch) return FALSE;
  QMsg q;
  q.msg = MSG{m->hwnd, m->message == WM_SYSKEYDOWN ? static_cast<UINT>(WM_SYSCHAR) : static_cast<UINT>(WM_CHAR), ch,
              m->lParam, m->time, m->pt};
  {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    q.arrival = ++g_arrivals;
    g_posted.push_front(q);  // before anything else, as the next message
  }
  return TRUE;
}

namespace {
LRESULT DispatchCore(const MSG* m, bool unicode) {
  if (!m) return 0;
  if (m->message == WM_TIMER && m->lParam) {
    // Only a timer's own procedure is called, never an arbitrary address from a message.
    for (auto& t : g_timers)
      if (reinterpret_cast<LPARAM>(t.proc) == m->lParam && t.hwnd == m->hwnd && t.id == m->wParam) {
        t.proc(m->hwnd, WM_TIMER, m->wParam, GetTickCount());
        return 0;
      }
    return 0;
  }
  if (!m->hwnd) return 0;
  auto w = GetWnd(m->hwnd);
  if (!w) return 0;
  const Proc p = w->proc;
  return CallProc(p, unicode, m->hwnd, m->message, m->wParam, m->lParam);
}
}  // namespace

LRESULT WINAPI DispatchMessageW(const MSG* m) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return DispatchCore(m, true);
}
LRESULT WINAPI DispatchMessageA(const MSG* m) { return DispatchCore(m, false); }

int winplat::user::PumpMessages() {
  int n = 0;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));  // left for the program's own loop
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);  // an ANSI window gets its characters converted by the dispatch
    ++n;
    if (n > 100000) break;
  }
  PresentScreen();
  return n;
}

VSE_EXPORT("user32.dll", SetWindowsHookExA);
VSE_EXPORT("user32.dll", SetWindowsHookExW);
VSE_EXPORT("user32.dll", UnhookWindowsHookEx);
VSE_EXPORT("user32.dll", CallNextHookEx);
VSE_EXPORT("user32.dll", SendMessageA);
VSE_EXPORT("user32.dll", SendMessageW);
VSE_EXPORT("user32.dll", PostMessageA);
VSE_EXPORT("user32.dll", PostMessageW);
VSE_EXPORT("user32.dll", PostQuitMessage);
VSE_EXPORT("user32.dll", GetMessageA);
VSE_EXPORT("user32.dll", GetMessageW);
VSE_EXPORT("user32.dll", PeekMessageA);
VSE_EXPORT("user32.dll", PeekMessageW);
VSE_EXPORT("user32.dll", TranslateMessage);
VSE_EXPORT("user32.dll", DispatchMessageA);
VSE_EXPORT("user32.dll", DispatchMessageW);
VSE_EXPORT("user32.dll", SetTimer);
VSE_EXPORT("user32.dll", KillTimer);
VSE_EXPORT("user32.dll", WaitMessage);
VSE_EXPORT("user32.dll", MsgWaitForMultipleObjects);

bool winplat::user::TimersExist() {
  return std::any_of(g_timers.begin(), g_timers.end(), [](const Timer& t) { return !t.system; });
}

void winplat::user::SetSystemTimer(HWND h, UINT_PTR id, UINT elapse) {
  KillSystemTimer(h, id);
  elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  g_timers.push_back(Timer{h, id, elapse, nullptr, Now() + elapse, true});
  WakeQueue();
}

void winplat::user::KillSystemTimer(HWND h, UINT_PTR id) {
  g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(),
                                [&](const Timer& t) { return t.system && t.hwnd == h && t.id == id; }),
                 g_timers.end());
}
