// Menus: items and their flags through the old and the item-information calls, a pop-up menu
// tracked on the headless screen, and accelerator tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"
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
std::vector<UINT> g_drawn;  // item IDs owner-drawn, in order

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_COMMAND:
      g_seen.push_back({msg, wp, lp});
      return 0;
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      mis->itemWidth = 100;
      mis->itemHeight = 20;
      g_seen.push_back({msg, mis->itemID, static_cast<LPARAM>(mis->itemData)});
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      g_drawn.push_back(dis->itemID);
      FillRect(dis->hDC, &dis->rcItem, GetSysColorBrush((dis->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_MENU));
      return TRUE;
    }
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

class Menus : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = OwnerProc;
      wc.lpszClassName = u"MenuOwner";
      ASSERT_NE(RegisterClassW(&wc), 0);
      registered = true;
    }
    owner = CreateWindowExW(0, u"MenuOwner", u"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    g_seen.clear();
    g_drawn.clear();
  }
  void TearDown() override {
    winplat::user::SetModalIdleHandler({});
    DestroyWindow(owner);
    winplat::user::PumpMessages();
  }
  static winplat::screen::HeadlessBackend& Screen() { return *winplat::screen::Headless(); }
  // The tracked menu's window of the given level (0: the first one opened).
  static HWND MenuWindow(int level) {
    HWND w = nullptr;
    std::vector<HWND> all;
    while ((w = FindWindowExW(nullptr, w, u"#32768", nullptr)) != nullptr) all.push_back(w);
    // Newer windows are above older ones: the first found is the deepest level.
    if (level >= static_cast<int>(all.size())) return nullptr;
    return all[all.size() - 1 - static_cast<size_t>(level)];
  }
  // Scripts the user: each time the menu waits, the next step runs once.
  void Script(std::vector<std::function<void()>> steps) {
    auto shared = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
    auto next = std::make_shared<size_t>(0);
    winplat::user::SetModalIdleHandler([shared, next](HWND) {
      if (*next < shared->size()) (*shared)[(*next)++]();
      else winplat::screen::Headless()->PressKey(VK_ESCAPE);
    });
  }
  std::vector<UINT> Messages() const {
    std::vector<UINT> v;
    for (const auto& s : g_seen) v.push_back(s.msg);
    return v;
  }
  HWND owner = nullptr;
};

std::u16string MenuText(HMENU m, UINT item, UINT flags) {
  char16_t buf[64] = {};
  int n = GetMenuStringW(m, item, buf, 64, flags);
  return std::u16string(buf, static_cast<size_t>(n));
}

}  // namespace

TEST_F(Menus, ItemsFlagsAndTextsThroughTheOldCalls) {
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(sub, MF_STRING, 301, u"下位(&S)"));
  HMENU m = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(m, MF_STRING, 101, u"開く(&O)\tCtrl+O"));
  ASSERT_TRUE(AppendMenuW(m, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(AppendMenuW(m, MF_STRING | MF_GRAYED, 102, u"保存"));
  ASSERT_TRUE(AppendMenuW(m, MF_STRING | MF_CHECKED, 103, u"グリッド"));
  ASSERT_TRUE(AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"その他"));
  ASSERT_TRUE(InsertMenuW(m, 102, MF_BYCOMMAND | MF_STRING, 110, u"前に"));  // before item 102
  ASSERT_EQ(GetMenuItemCount(m), 6);

  struct Row { int pos; UINT id; UINT state; std::u16string text; };
  const std::vector<Row> rows = {
      {0, 101, MF_STRING, u"開く(&O)\tCtrl+O"},
      {1, 0, MF_SEPARATOR, u""},
      {2, 110, MF_STRING, u"前に"},
      {3, 102, MF_GRAYED, u"保存"},
      {4, 103, MF_CHECKED, u"グリッド"},
      {5, 0xFFFFFFFFu, MF_POPUP | (1u << 8), u"その他"},  // a pop-up: its item count in the high byte
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.pos);
    EXPECT_EQ(GetMenuItemID(m, r.pos), r.id);
    EXPECT_EQ(GetMenuState(m, static_cast<UINT>(r.pos), MF_BYPOSITION), r.state);
    EXPECT_EQ(MenuText(m, static_cast<UINT>(r.pos), MF_BYPOSITION), r.text);
  }
  EXPECT_EQ(GetSubMenu(m, 5), sub);
  // By command, the search goes into the sub-menus.
  EXPECT_EQ(MenuText(m, 301, MF_BYCOMMAND), u"下位(&S)");
  // The ANSI text is the code page's bytes; a short buffer is cut and terminated.
  char a[64] = {};
  EXPECT_EQ(GetMenuStringA(m, 102, a, 64, MF_BYCOMMAND), 4);
  EXPECT_EQ(std::string(a), std::string("\x95\xDB\x91\xB6"));
  EXPECT_EQ(GetMenuStringA(m, 102, a, 3, MF_BYCOMMAND), 2);
  EXPECT_EQ(std::string(a), std::string("\x95\xDB"));
  EXPECT_EQ(GetMenuStringW(m, 101, nullptr, 0, MF_BYCOMMAND), 13);  // no buffer: the length

  // EnableMenuItem and CheckMenuItem answer the previous state.
  EXPECT_EQ(EnableMenuItem(m, 102, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(m, 102, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(m, 999, MF_BYCOMMAND | MF_GRAYED), -1);
  EXPECT_EQ(CheckMenuItem(m, 103, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
  EXPECT_EQ(GetMenuState(m, 103, MF_BYCOMMAND), 0u);
  ASSERT_TRUE(ModifyMenuW(m, 110, MF_BYCOMMAND | MF_STRING, 111, u"後で"));
  EXPECT_EQ(GetMenuItemID(m, 2), 111u);
  EXPECT_EQ(MenuText(m, 2, MF_BYPOSITION), u"後で");

  // RemoveMenu keeps the sub-menu, DeleteMenu and DestroyMenu destroy it.
  ASSERT_TRUE(RemoveMenu(m, 5, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(sub));
  ASSERT_TRUE(AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"その他"));
  ASSERT_TRUE(DeleteMenu(m, 5, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_FALSE(DeleteMenu(m, 999, MF_BYCOMMAND));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
  ASSERT_TRUE(DestroyMenu(m));
  EXPECT_EQ(GetMenuItemCount(m), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));
  EXPECT_FALSE(AppendMenuW(m, MF_STRING, 1, u"x"));
}

TEST_F(Menus, ItemInformationTypeStateAndTextBuffers) {
  HMENU m = CreateMenu();
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof(mi);
  mi.fMask = MIIM_TYPE | MIIM_ID | MIIM_STATE | MIIM_DATA;
  mi.fType = MFT_STRING;
  mi.fState = MFS_CHECKED;
  mi.wID = 7;
  mi.dwItemData = 0x1234;
  mi.dwTypeData = const_cast<LPWSTR>(u"黒板(&B)");
  ASSERT_TRUE(InsertMenuItemW(m, 0, TRUE, &mi));
  mi.fType = MFT_OWNERDRAW;
  mi.wID = 8;
  mi.fState = 0;
  mi.dwTypeData = nullptr;
  ASSERT_TRUE(InsertMenuItemW(m, 1, TRUE, &mi));

  // Asking with no buffer gives the length; then a buffer of that length + 1 gets the text.
  MENUITEMINFOW q{};
  q.cbSize = sizeof(q);
  q.fMask = MIIM_TYPE;
  ASSERT_TRUE(GetMenuItemInfoW(m, 7, FALSE, &q));
  EXPECT_EQ(q.cch, 6u);
  EXPECT_EQ(q.fType, static_cast<UINT>(MFT_STRING));
  char16_t buf[8] = {};
  q.dwTypeData = reinterpret_cast<LPWSTR>(buf);
  q.cch = 8;
  ASSERT_TRUE(GetMenuItemInfoW(m, 7, FALSE, &q));
  EXPECT_EQ(std::u16string(buf), u"黒板(&B)");
  EXPECT_EQ(q.cch, 6u);
  q.cch = 3;  // too short: cut, terminated
  ASSERT_TRUE(GetMenuItemInfoW(m, 7, FALSE, &q));
  EXPECT_EQ(std::u16string(buf), u"黒板");

  // The owner-drawn item (type bits 0x904 are what a text refresh leaves alone).
  MENUITEMINFOW o{};
  o.cbSize = sizeof(o);
  o.fMask = MIIM_TYPE | MIIM_DATA | MIIM_STATE | MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoW(m, 1, TRUE, &o));
  EXPECT_EQ(o.fType & 0x904u, static_cast<UINT>(MFT_OWNERDRAW));
  EXPECT_EQ(o.dwItemData, 0x1234u);
  EXPECT_EQ(o.wID, 8u);

  // Setting the text through the ANSI call; reading it wide and ANSI.
  MENUITEMINFOA s{};
  s.cbSize = sizeof(s);
  s.fMask = MIIM_TYPE;
  s.fType = MFT_STRING;
  s.dwTypeData = const_cast<LPSTR>("\x8D\x95\x94\xC2");  // 黒板 in the code page
  ASSERT_TRUE(SetMenuItemInfoA(m, 7, FALSE, &s));
  EXPECT_EQ(MenuText(m, 7, MF_BYCOMMAND), u"黒板");
  char a[8] = {};
  MENUITEMINFOA qa{};
  qa.cbSize = sizeof(qa);
  qa.fMask = MIIM_STRING | MIIM_STATE;
  qa.dwTypeData = a;
  qa.cch = 8;
  ASSERT_TRUE(GetMenuItemInfoA(m, 7, FALSE, &qa));
  EXPECT_EQ(qa.cch, 4u);
  EXPECT_EQ(std::string(a), "\x8D\x95\x94\xC2");
  EXPECT_EQ(qa.fState, static_cast<UINT>(MFS_CHECKED));

  // A record of a wrong size and a missing item are refused.
  q.cbSize = 12;
  EXPECT_FALSE(GetMenuItemInfoW(m, 7, FALSE, &q));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  q.cbSize = sizeof(q);
  EXPECT_FALSE(SetMenuItemInfoW(m, 99, FALSE, &q));
  // The window's menu: a child cannot have one; DrawMenuBar needs it.
  HWND top = CreateWindowExW(0, u"MenuOwner", u"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(DrawMenuBar(top));
  ASSERT_TRUE(SetMenu(top, m));
  EXPECT_EQ(GetMenu(top), m);
  EXPECT_TRUE(DrawMenuBar(top));
  HWND child = CreateWindowExW(0, u"MenuOwner", u"", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
  EXPECT_FALSE(SetMenu(child, m));
  DestroyWindow(top);
  EXPECT_EQ(GetMenu(top), nullptr);
  DestroyMenu(m);
}

TEST_F(Menus, PopupMeasuredDrawnAndChosenByClick) {
  HMENU m = CreatePopupMenu();
  for (UINT id = 1; id <= 3; ++id) AppendMenuW(m, MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(id * 10)));
  Script({[] {
            HWND w = MenuWindow(0);
            RECT r;
            GetWindowRect(w, &r);
            // Frame 3, items of 20: the second item's middle.
            Screen().MouseMove(r.left + 20, r.top + 3 + 20 + 10);
          },
          [] {
            HWND w = MenuWindow(0);
            RECT r;
            GetWindowRect(w, &r);
            Screen().Click(r.left + 20, r.top + 3 + 20 + 10);
          }});
  ASSERT_TRUE(TrackPopupMenu(m, TPM_LEFTALIGN, 100, 50, 0, owner, nullptr));
  EXPECT_EQ(MenuWindow(0), nullptr);  // the menu window is gone
  winplat::user::PumpMessages();      // the posted WM_COMMAND
  std::vector<UINT> msgs = Messages();
  ASSERT_GE(msgs.size(), 7u);
  EXPECT_EQ(msgs[0], static_cast<UINT>(WM_ENTERMENULOOP));
  EXPECT_EQ(msgs[1], static_cast<UINT>(WM_INITMENUPOPUP));
  EXPECT_EQ(g_seen[1].wp, reinterpret_cast<WPARAM>(m));
  EXPECT_EQ(msgs[2], static_cast<UINT>(WM_MEASUREITEM));
  EXPECT_EQ(g_seen[2].lp, 10);  // the item data
  EXPECT_EQ(msgs[4], static_cast<UINT>(WM_MEASUREITEM));
  // The selection of item 2, then the close, the loop's end and the command.
  auto sel = std::find_if(g_seen.begin(), g_seen.end(), [](const Seen& s) { return s.msg == WM_MENUSELECT; });
  ASSERT_NE(sel, g_seen.end());
  EXPECT_EQ(LOWORD(sel->wp), 2);
  EXPECT_TRUE(HIWORD(sel->wp) & MF_HILITE);
  EXPECT_EQ(sel->lp, reinterpret_cast<LPARAM>(m));
  ASSERT_GE(msgs.size(), 3u);
  EXPECT_EQ(msgs[msgs.size() - 3], static_cast<UINT>(WM_MENUSELECT));
  EXPECT_EQ(HIWORD(g_seen[msgs.size() - 3].wp), 0xFFFF);
  EXPECT_EQ(g_seen[msgs.size() - 3].lp, 0);
  EXPECT_EQ(msgs[msgs.size() - 2], static_cast<UINT>(WM_EXITMENULOOP));
  EXPECT_EQ(msgs.back(), static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(g_seen.back().wp, MAKEWPARAM(2, 0));
  // Every item was owner-drawn.
  EXPECT_NE(std::find(g_drawn.begin(), g_drawn.end(), 1u), g_drawn.end());
  EXPECT_NE(std::find(g_drawn.begin(), g_drawn.end(), 3u), g_drawn.end());
  DestroyMenu(m);
}

TEST_F(Menus, PopupKeyboardSubMenusReturnCommandAndCancel) {
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 21, u"赤");
  AppendMenuW(sub, MF_STRING, 22, u"青(&B)");
  HMENU m = CreatePopupMenu();
  AppendMenuW(m, MF_STRING | MF_GRAYED, 11, u"使えない");
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"色");
  AppendMenuW(m, MF_STRING, 12, u"終了(&X)");

  struct Case { const char* name; std::vector<std::function<void()>> steps; BOOL answer; };
  const std::vector<Case> cases = {
      // Down skips the separator only; Enter on the disabled item chooses nothing.
      {"down-down-right-down-enter", {[] { Screen().PressKey(VK_DOWN); }, [] { Screen().PressKey(VK_DOWN); },
                                       [] { Screen().PressKey(VK_RIGHT); }, [] { Screen().PressKey(VK_DOWN); },
                                       [] { Screen().PressKey(VK_RETURN); }}, 22},
      {"mnemonic", {[] { Screen().TypeText(u"x"); }}, 12},
      {"escape", {[] { Screen().PressKey(VK_ESCAPE); }}, 0},
      {"click outside", {[] { Screen().Click(590, 390); }}, 0},
      {"enter on disabled, then escape", {[] { Screen().PressKey(VK_DOWN); }, [] { Screen().PressKey(VK_RETURN); },
                                          [] { Screen().PressKey(VK_ESCAPE); }}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    g_seen.clear();
    SetFocus(owner);
    Script(c.steps);
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 100, 0, owner, nullptr), c.answer);
    winplat::user::PumpMessages();
    // TPM_RETURNCMD: the owner gets no WM_COMMAND.
    const std::vector<UINT> msgs = Messages();
    EXPECT_EQ(std::count(msgs.begin(), msgs.end(), static_cast<UINT>(WM_COMMAND)), 0);
    EXPECT_EQ(MenuWindow(0), nullptr);
  }
  // The sub-menu's opening was announced with its position in the parent.
  SetFocus(owner);
  g_seen.clear();
  Script({[] { Screen().PressKey(VK_DOWN); }, [] { Screen().PressKey(VK_DOWN); }, [] { Screen().PressKey(VK_RIGHT); },
          [] { Screen().PressKey(VK_ESCAPE); }, [] { Screen().PressKey(VK_ESCAPE); }});
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 100, 0, owner, nullptr), 0);
  auto it = std::find_if(g_seen.begin() + 2, g_seen.end(), [](const Seen& s) { return s.msg == WM_INITMENUPOPUP; });
  ASSERT_NE(it, g_seen.end());
  EXPECT_EQ(it->wp, reinterpret_cast<WPARAM>(sub));
  EXPECT_EQ(LOWORD(it->lp), 2);
  DestroyMenu(m);
  EXPECT_FALSE(IsMenu(sub));
}

TEST_F(Menus, PopupDrawsItsOwnItems) {
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 21, u"赤");
  HMENU m = CreatePopupMenu();
  AppendMenuW(m, MF_STRING, 1, u"新規黒板(&N)\tCtrl+N");
  AppendMenuW(m, MF_STRING | MF_CHECKED, 2, u"グリッド\tCtrl+G");
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(m, MF_STRING | MF_GRAYED, 3, u"撮影する\tF12");
  AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"色");
  SetMenuDefaultItem(m, 1, FALSE);
  std::vector<uint32_t> shot;
  int w = 0, h = 0;
  RECT wr{};
  Script({[] { Screen().PressKey(VK_DOWN); },
          [&] {
            winplat::user::PumpMessages();
            winplat::user::PresentScreen();
            GetWindowRect(MenuWindow(0), &wr);
            ASSERT_TRUE(test_support::WriteScreenshotPng("menu_popup.png"));
            shot = Screen().Screenshot(&w, &h);
            Screen().PressKey(VK_ESCAPE);
          }});
  EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 40, 30, 0, owner, nullptr), 0);
  ASSERT_FALSE(shot.empty());
  EXPECT_EQ(wr.left, 40);
  EXPECT_EQ(wr.top, 30);
  // The first item is selected: the highlight colour fills its row.
  COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
  uint32_t hlPx = (GetRValue(hl) << 16) | (GetGValue(hl) << 8) | GetBValue(hl);
  EXPECT_EQ(shot[static_cast<size_t>(wr.top + 5) * w + wr.left + 6], hlPx);
  DestroyMenu(m);
}

TEST_F(Menus, AcceleratorsBecomeCommands) {
  ACCEL table[] = {{FVIRTKEY | FCONTROL, 'N', 100}, {FVIRTKEY, VK_F9, 101}, {0, 'q', 102}};
  HACCEL acc = CreateAcceleratorTableW(table, 3);
  ASSERT_NE(acc, nullptr);
  EXPECT_EQ(CopyAcceleratorTableW(acc, nullptr, 0), 3);
  struct Case { UINT msg; WPARAM key; bool ctrl; int translated; WPARAM cmd; };
  const std::vector<Case> cases = {
      {WM_KEYDOWN, 'N', true, 1, 100},
      {WM_KEYDOWN, 'N', false, 0, 0},  // the modifiers must match
      {WM_KEYDOWN, VK_F9, false, 1, 101},
      {WM_KEYDOWN, VK_F9, true, 0, 0},
      {WM_CHAR, 'q', false, 1, 102},
      {WM_KEYUP, 'N', true, 0, 0},
  };
  for (const auto& c : cases) {
    g_seen.clear();
    winplat::screen::SetKeyState(VK_CONTROL, c.ctrl);
    MSG msg{owner, c.msg, c.key, 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorW(owner, acc, &msg), c.translated) << c.key;
    if (c.translated) {
      ASSERT_EQ(g_seen.size(), 1u);
      EXPECT_EQ(g_seen[0].wp, MAKEWPARAM(c.cmd, 1));
    }
  }
  winplat::screen::SetKeyState(VK_CONTROL, false);
  EXPECT_TRUE(DestroyAcceleratorTable(acc));
  EXPECT_FALSE(DestroyAcceleratorTable(acc));
}
