#include "test_support.h"
#include "winplat_screen.h"

namespace test_support {

namespace {
PopupClicker* g_clicker = nullptr;  // the one that lives (hooks carry no data of their own)
}  // namespace

PopupClicker::PopupClicker(HWND owner, int clickId, int readId) : owner_(owner), clickId_(clickId), readId_(readId) {
  g_clicker = this;
  hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &PopupClicker::Watch, nullptr, GetCurrentThreadId());
}

PopupClicker::~PopupClicker() {
  if (hook_) UnhookWindowsHookEx(hook_);
  g_clicker = nullptr;
}

// Sees every message sent on this thread; a pop-up is shown by WM_SHOWWINDOW, before it is drawn.
LRESULT CALLBACK PopupClicker::Watch(int code, WPARAM wp, LPARAM lp) {
  PopupClicker* self = g_clicker;
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (self && code == HC_ACTION && !self->clicked_ && m->message == WM_SHOWWINDOW && m->wParam &&
      GetWindow(m->hwnd, GW_OWNER) == self->owner_) {
    self->clicked_ = true;
    char buf[256] = {};
    GetDlgItemTextA(m->hwnd, self->readId_, buf, sizeof buf);
    self->text_ = buf;
    RECT r;
    GetWindowRect(GetDlgItem(m->hwnd, self->clickId_), &r);
    winplat::screen::Headless()->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wp, lp);
}

}  // namespace test_support
