// The menu bar in a window's frame: the client area below it, its hit test, and the menu loop
// it runs for the mouse and the keyboard, with the messages in the platform's order.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "windows.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

struct Seen {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
std::vector<Seen> g_seen;

LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_COMMAND:
    case WM_MENUCHAR:
      g_seen.push_back({msg, wp, lp});
      break;
    default:
      break;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

class MenuBar : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = FrameProc;
      wc.lpszClassName = u"MenuBarFrame";
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      ASSERT_NE(RegisterClassW(&wc), 0);
      registered = true;
    }
    frame = CreateWindowExW(0, u"MenuBarFrame", u"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300, nullptr,
                            nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
    SetActiveWindow(frame);
    SetFocus(frame);
    bar = CreateMenu();
    file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 11, u"&Open");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, 12, u"E&xit");
    view = CreatePopupMenu();
    AppendMenuW(view, MF_STRING, 21, u"&Grid");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), u"&View");
    AppendMenuW(bar, MF_STRING, 31, u"&Help");
    g_seen.clear();
  }
  void TearDown() override {
    winplat::user::SetModalIdleHandler({});
    DestroyWindow(frame);
    DestroyMenu(bar);
    winplat::user::PumpMessages();
  }
  static winplat::screen::HeadlessBackend& Screen() { return *winplat::screen::Headless(); }
  void Script(std::vector<std::function<void()>> steps) {
    auto shared = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
    auto next = std::make_shared<size_t>(0);
    winplat::user::SetModalIdleHandler([shared, next](HWND) {
      if (*next < shared->size()) (*shared)[(*next)++]();
      else winplat::screen::Headless()->PressKey(VK_ESCAPE);
    });
  }
  RECT Client() const {
    RECT c;
    GetClientRect(frame, &c);
    POINT o{0, 0};
    ClientToScreen(frame, &o);
    OffsetRect(&c, o.x, o.y);
    return c;
  }
  // A point on the bar's first item: just above the client area's top-left.
  POINT BarPoint() const {
    const RECT c = Client();
    return POINT{c.left + 8, c.top - GetSystemMetrics(SM_CYMENU) / 2};
  }
  std::vector<UINT> Messages(UINT only = 0) const {
    std::vector<UINT> v;
    for (const auto& s : g_seen)
      if (!only || s.msg == only) v.push_back(s.msg);
    return v;
  }
  const Seen* Last(UINT msg) const {
    for (auto it = g_seen.rbegin(); it != g_seen.rend(); ++it)
      if (it->msg == msg) return &*it;
    return nullptr;
  }
  HWND frame = nullptr;
  HMENU bar = nullptr, file = nullptr, view = nullptr;
};

TEST_F(MenuBar, TheClientAreaMakesRoomForTheBarAndTheBarIsHitTestedAsMenu) {
  const RECT before = Client();
  ASSERT_TRUE(SetMenu(frame, bar));
  const RECT with = Client();
  EXPECT_EQ(with.top, before.top + GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(with.bottom, before.bottom);
  const POINT p = BarPoint();
  EXPECT_EQ(SendMessageW(frame, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTMENU);
  EXPECT_EQ(SendMessageW(frame, WM_NCHITTEST, 0, MAKELPARAM(p.x, with.top + 2)), HTCLIENT);
  // The frame is repainted with the bar: its colour under the items' row.
  winplat::user::PumpMessages();
  int w, h;
  auto shot = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
  const COLORREF menu = GetSysColor(COLOR_MENU);
  const uint32_t want = (GetRValue(menu) << 16) | (GetGValue(menu) << 8) | GetBValue(menu);
  EXPECT_EQ(shot[static_cast<size_t>(with.top - 2) * w + (with.right - 3)], want);
  ASSERT_TRUE(SetMenu(frame, nullptr));
  EXPECT_EQ(Client().top, before.top);
  EXPECT_TRUE(DrawMenuBar(frame) == FALSE);  // no menu: nothing to draw
}

TEST_F(MenuBar, AltAndAMnemonicOpensTheDropDownAndReturnChoosesInThePlatformsOrder) {
  SetMenu(frame, bar);
  Script({[] { Screen().PressKey(VK_DOWN); }, [] { Screen().PressKey(VK_RETURN); }});
  Screen().KeyDown(VK_MENU);
  Screen().PressKey('F');
  Screen().KeyUp(VK_MENU);
  winplat::user::PumpMessages();
  const std::vector<UINT> m = Messages();
  ASSERT_GE(m.size(), 8u);
  EXPECT_EQ(m[0], static_cast<UINT>(WM_ENTERMENULOOP));
  EXPECT_EQ(g_seen[0].wp, static_cast<WPARAM>(FALSE));  // not a pop-up's loop
  EXPECT_EQ(m[1], static_cast<UINT>(WM_INITMENU));
  EXPECT_EQ(g_seen[1].wp, reinterpret_cast<WPARAM>(bar));
  // The bar's item selected: its position and MF_POPUP, the bar as the menu.
  EXPECT_EQ(m[2], static_cast<UINT>(WM_MENUSELECT));
  EXPECT_EQ(LOWORD(g_seen[2].wp), 0);
  EXPECT_TRUE(HIWORD(g_seen[2].wp) & MF_POPUP);
  EXPECT_EQ(g_seen[2].lp, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(m[3], static_cast<UINT>(WM_INITMENUPOPUP));
  EXPECT_EQ(g_seen[3].wp, reinterpret_cast<WPARAM>(file));
  EXPECT_EQ(LOWORD(g_seen[3].lp), 0);
  // Its first item, then down past the separator to Exit.
  EXPECT_EQ(m[4], static_cast<UINT>(WM_MENUSELECT));
  EXPECT_EQ(LOWORD(g_seen[4].wp), 11);
  EXPECT_EQ(g_seen[4].lp, reinterpret_cast<LPARAM>(file));
  EXPECT_EQ(LOWORD(g_seen[5].wp), 12);
  EXPECT_EQ(m[m.size() - 3], static_cast<UINT>(WM_MENUSELECT));
  EXPECT_EQ(HIWORD(g_seen[m.size() - 3].wp), 0xFFFF);
  EXPECT_EQ(m[m.size() - 2], static_cast<UINT>(WM_EXITMENULOOP));
  EXPECT_EQ(m.back(), static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(g_seen.back().wp, MAKEWPARAM(12, 0));
}

TEST_F(MenuBar, TheBarsKeysAndMouse) {
  SetMenu(frame, bar);
  struct Case {
    const char* name;
    std::function<void()> start;
    std::vector<std::function<void()>> steps;
    UINT command;  // 0: none chosen
  };
  auto key = [](UINT vk) { return [vk] { Screen().PressKey(vk); }; };
  auto typed = [](const char16_t* t) { return [t] { Screen().TypeText(t); }; };
  const POINT p = BarPoint();
  const std::vector<Case> cases = {
      {"Alt alone, right, down, return", key(VK_MENU), {key(VK_RIGHT), key(VK_DOWN), key(VK_RETURN)}, 21},
      {"F10 and the bar's mnemonic of a command item", key(VK_F10), {typed(u"h")}, 31},
      {"right from a drop-down to the next, left back", [] {
         Screen().KeyDown(VK_MENU);
         Screen().PressKey('F');
         Screen().KeyUp(VK_MENU);
       }, {key(VK_RIGHT), key(VK_LEFT), typed(u"x")}, 12},
      {"left wraps to the last item, a command on the bar", key(VK_MENU), {key(VK_LEFT), key(VK_RETURN)}, 31},
      {"escape from a drop-down stays on the bar", key(VK_F10), {key(VK_DOWN), key(VK_ESCAPE), key(VK_RIGHT), key(VK_DOWN), key(VK_RETURN)}, 21},
      {"a click opens, a click on an item chooses", [p] { Screen().Click(p.x, p.y); }, {[] {
         HWND w = FindWindowExW(nullptr, nullptr, u"#32768", nullptr);
         while (w && !IsWindowVisible(w)) w = FindWindowExW(nullptr, w, u"#32768", nullptr);
         RECT r{};
         GetWindowRect(w, &r);
         Screen().Click(r.left + 20, r.top + 3 + 9);
       }}, 11},
      {"a second click on the open item closes", [p] { Screen().Click(p.x, p.y); }, {[p] { Screen().Click(p.x, p.y); }}, 0},
      {"Alt held for a click opens nothing", [this] {
         const RECT c = Client();
         Screen().KeyDown(VK_MENU);
         Screen().Click(c.left + 50, c.top + 50);
         Screen().KeyUp(VK_MENU);
       }, {}, 0},
      {"a mnemonic no item has: nothing opens", [] {
         Screen().KeyDown(VK_MENU);
         Screen().PressKey('Q');
         Screen().KeyUp(VK_MENU);
       }, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_seen.clear();
    SetFocus(frame);
    Script(c.steps);
    c.start();
    winplat::user::PumpMessages();
    const Seen* command = Last(WM_COMMAND);
    if (c.command) {
      ASSERT_NE(command, nullptr);
      EXPECT_EQ(LOWORD(command->wp), c.command);
      EXPECT_EQ(Messages(WM_COMMAND).size(), 1u);
    } else {
      EXPECT_EQ(command, nullptr);
    }
    EXPECT_EQ(FindWindowExW(nullptr, nullptr, u"#32768", nullptr), nullptr);  // every menu window gone
    if (c.steps.empty()) EXPECT_TRUE(Messages(WM_ENTERMENULOOP).empty());
    winplat::user::SetModalIdleHandler({});
  }
}

}  // namespace
