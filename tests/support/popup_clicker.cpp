#include "test_support.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace test_support {

namespace {
constexpr UINT_PTR kTimer = 0x7C11;
}  // namespace

PopupClicker::PopupClicker(HWND owner, int clickId, int readId) : owner_(owner) {
  old_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(owner, GWL_WNDPROC));
  spy_ = winplat::user::RegisterProcedure(
      [this, clickId, readId](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_TIMER && wp == kTimer && !clicked_) {
          HWND popup = GetWindow(h, GW_ENABLEDPOPUP);
          if (!popup || !IsWindowVisible(popup)) return 0;
          clicked_ = true;
          KillTimer(h, kTimer);
          char buf[256] = {};
          GetDlgItemTextA(popup, readId, buf, sizeof buf);
          text_ = buf;
          RECT r;
          GetWindowRect(GetDlgItem(popup, clickId), &r);
          winplat::screen::Headless()->Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
          return 0;
        }
        return CallWindowProcW(old_, h, msg, wp, lp);
      },
      true);
  SetWindowLongPtrW(owner, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(spy_));
  SetTimer(owner, kTimer, 0, nullptr);
}

PopupClicker::~PopupClicker() {
  if (IsWindow(owner_)) {
    KillTimer(owner_, kTimer);
    SetWindowLongPtrW(owner_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(old_));
  }
  winplat::user::UnregisterProcedure(spy_);
}

}  // namespace test_support
