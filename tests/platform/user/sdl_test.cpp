// The SDL2 screen (run with SDL's dummy video driver): opens, pumps events into messages,
// waits for timers and posts, closes cleanly.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "winbase.h"
#include "winplat_screen.h"
#include "winplat_user.h"
#include "winuser.h"

namespace {

std::vector<MSG> g_got;
LRESULT CALLBACK Keep(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_KEYDOWN || m == WM_CHAR || m == WM_TIMER || m == WM_USER + 3 || m == WM_LBUTTONDOWN)
    g_got.push_back(MSG{h, m, w, l, 0, {}});
  return DefWindowProcW(h, m, w, l);
}

TEST(SdlScreen, OpensPumpsEventsAndCloses) {
  winplat::screen::SetSdlWindowSize(640, 480);
  auto sdl = winplat::screen::MakeSdlBackend("test");
  if (!sdl) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
  EXPECT_TRUE(sdl->HasDisplay());
  EXPECT_EQ(sdl->DisplaySize().cx, 640);
  EXPECT_FALSE(sdl->DisplayModes().empty());
  winplat::screen::SetBackend(sdl);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);

  WNDCLASSW wc{};
  wc.lpfnWndProc = Keep;
  wc.lpszClassName = u"SdlKeep";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_3DFACE + 1));
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND w = CreateWindowExW(0, u"SdlKeep", u"黒板", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(w);
  winplat::user::PumpMessages();  // paints and presents

  // SDL events become messages with Windows key codes and UTF-16 characters.
  SDL_Event ev{};
  ev.type = SDL_KEYDOWN;
  ev.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  SDL_PushEvent(&ev);
  ev = SDL_Event{};
  ev.type = SDL_TEXTINPUT;
  std::strcpy(ev.text.text, reinterpret_cast<const char*>(u8"あ😀"));
  SDL_PushEvent(&ev);
  ev = SDL_Event{};
  ev.type = SDL_MOUSEBUTTONDOWN;
  ev.button.button = SDL_BUTTON_LEFT;
  ev.button.x = 30;
  ev.button.y = 40;
  SDL_PushEvent(&ev);
  g_got.clear();
  winplat::user::PumpMessages();
  std::vector<std::pair<UINT, WPARAM>> seq;
  for (auto& m : g_got) seq.push_back({m.message, m.message == WM_LBUTTONDOWN ? 0 : m.wParam});
  EXPECT_EQ(seq, (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 0x1B}, {WM_CHAR, 0x3042},
                                                       {WM_CHAR, 0xD83D}, {WM_CHAR, 0xDE00}, {WM_LBUTTONDOWN, 0}}));

  // The loop sleeps in SDL until the timer is due, and a post from another thread wakes it.
  SetTimer(w, 1, 30, nullptr);
  MSG m;
  const DWORD t0 = GetTickCount();
  do {
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    DispatchMessageW(&m);
  } while (m.message != WM_TIMER);
  EXPECT_GE(GetTickCount() - t0, 25u);
  KillTimer(w, 1);
  std::thread poster([w] {
    Sleep(30);
    PostMessageW(w, WM_USER + 3, 0, 0);
  });
  do {
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    DispatchMessageW(&m);
  } while (m.message != WM_USER + 3);
  poster.join();

  ShowCursor(FALSE);
  EXPECT_FALSE(sdl->CursorVisible());
  ShowCursor(TRUE);
  SetCursorPos(100, 100);
  DestroyWindow(w);
  UnregisterClassW(u"SdlKeep", nullptr);
  winplat::screen::SetBackend(nullptr);
  sdl.reset();  // the window closes
}

}  // namespace
