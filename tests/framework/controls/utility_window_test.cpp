// The framework's utility windows: hidden windows whose messages go to a method.
#include <gtest/gtest.h>

#include "Controls.h"

namespace {

struct Receiver {
  std::vector<UINT> seen;
  HWND wnd = nullptr;
  void WndProc(TMessage& m) {
    seen.push_back(m.Msg);
    m.Result = m.Msg == WM_USER + 1 ? static_cast<LRESULT>(m.WParam + m.LParam)
                                    : DefWindowProcA(wnd, m.Msg, m.WParam, m.LParam);
  }
};

TEST(UtilityWindow, MessagesGoToTheMethodUntilTheWindowIsGone) {
  Receiver r;
  r.wnd = AllocateHWnd(TWndMethod::Of<&Receiver::WndProc>(&r));
  ASSERT_NE(r.wnd, nullptr);
  EXPECT_FALSE(IsWindowVisible(r.wnd));
  EXPECT_EQ(SendMessageA(r.wnd, WM_USER + 1, 40, 2), 42);
  const UINT registered = RegisterWindowMessageA("wm_arcextract");
  EXPECT_EQ(registered, RegisterWindowMessageA("wm_arcextract"));
  EXPECT_GE(registered, 0xC000u);
  SendMessageA(r.wnd, registered, 1, 0);
  EXPECT_EQ(r.seen.back(), registered);
  const size_t before = r.seen.size();
  DeallocateHWnd(r.wnd);
  EXPECT_FALSE(IsWindow(r.wnd));
  // The destruction's messages no longer reach the method.
  EXPECT_EQ(r.seen.size(), before);
  DeallocateHWnd(r.wnd);  // a second time does nothing
  // Without a method the window answers as DefWindowProc does.
  HWND plain = AllocateHWnd(TWndMethod());
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(SendMessageA(plain, WM_USER + 1, 40, 2), 0);
  DeallocateHWnd(plain);
}

}  // namespace
