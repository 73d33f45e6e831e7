// A plain top-level window that stands for a calling program's window.
#include "test_support.h"

namespace test_support {

HWND CreateOwnerWindow(const char16_t* title) {
  static const ATOM cls = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_3DFACE + 1));
    wc.lpszClassName = u"VseTestOwner";
    return RegisterClassW(&wc);
  }();
  if (!cls) return nullptr;
  return CreateWindowExW(0, u"VseTestOwner", title, WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr, nullptr,
                         nullptr);
}

}  // namespace test_support
