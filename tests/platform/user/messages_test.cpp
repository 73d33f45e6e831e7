// Message orders and A/W conversions of the user library, pinned as the platform documents them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "winbase.h"
#include "winplat_screen.h"
#include "winplat_user.h"
#include "winuser.h"

namespace {

struct Rec {
  HWND hwnd;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
std::vector<Rec> g_log;
std::string g_create_name, g_create_class;

LRESULT CALLBACK RecordW(HWND h, UINT m, WPARAM w, LPARAM l) {
  g_log.push_back({h, m, w, l});
  return DefWindowProcW(h, m, w, l);
}
LRESULT CALLBACK RecordA(HWND h, UINT m, WPARAM w, LPARAM l) {
  g_log.push_back({h, m, w, l});
  if (m == WM_CREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(l);
    g_create_name = cs->lpszName ? cs->lpszName : "";
    g_create_class = cs->lpszClass ? cs->lpszClass : "";
  }
  return DefWindowProcA(h, m, w, l);
}

// Only the messages a test looks at.
std::vector<UINT> Seq(const std::vector<UINT>& keep, HWND only = nullptr) {
  std::vector<UINT> out;
  for (auto& r : g_log)
    if ((!only || r.hwnd == only) && std::find(keep.begin(), keep.end(), r.msg) != keep.end()) out.push_back(r.msg);
  return out;
}

class UserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    winplat::screen::ResetKeyState();
    static bool registered = false;
    if (!registered) {
      registered = true;
      WNDCLASSW wc{};
      wc.lpfnWndProc = RecordW;
      wc.lpszClassName = u"RecW";
      wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
      wc.style = CS_DBLCLKS;
      ASSERT_NE(RegisterClassW(&wc), 0);
      WNDCLASSA wa{};
      wa.lpfnWndProc = RecordA;
      wa.lpszClassName = "RecA";
      wa.cbWndExtra = 16;
      ASSERT_NE(RegisterClassA(&wa), 0);
    }
    g_log.clear();
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    winplat::user::PumpMessages();
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {}
    g_log.clear();
  }
  HWND Top(const char16_t* title, DWORD style = WS_OVERLAPPEDWINDOW, int x = 10, int y = 10, int w = 300, int h = 200) {
    HWND r = CreateWindowExW(0, u"RecW", title, style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    made_.push_back(r);
    return r;
  }
  HWND Child(HWND parent, int id, int x, int y, int w, int h, DWORD style = WS_VISIBLE, const char16_t* cls = u"RecW") {
    return CreateWindowExW(0, cls, u"", WS_CHILD | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  }
  std::vector<HWND> made_;
};

TEST_F(UserTest, CreationSendsSizeMessagesInOrder) {
  HWND h = Top(u"作成");
  ASSERT_TRUE(h);
  // A hidden overlapped window stops at WM_CREATE; WM_SIZE and WM_MOVE come when it is shown.
  EXPECT_EQ(Seq({WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}),
            (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE}));
  g_log.clear();
  ShowWindow(h, SW_SHOWNA);
  EXPECT_EQ(Seq({WM_SIZE, WM_MOVE}), (std::vector<UINT>{WM_SIZE, WM_MOVE}));
  ShowWindow(h, SW_HIDE);
  // The client area is inside the frame and caption.
  RECT w, c;
  GetWindowRect(h, &w);
  GetClientRect(h, &c);
  EXPECT_EQ(w.right - w.left, 300);
  EXPECT_EQ(c.right, 300 - 2 * GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(c.bottom, 200 - 2 * GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYCAPTION));
  POINT p{0, 0};
  ClientToScreen(h, &p);
  EXPECT_EQ(p.x, 10 + GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(p.y, 10 + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION));
  EXPECT_FALSE(IsWindowVisible(h));
}

TEST_F(UserTest, ShowWindowThenActivation) {
  HWND h = Top(u"表示");
  g_log.clear();
  EXPECT_FALSE(ShowWindow(h, SW_SHOW));
  EXPECT_EQ(Seq({WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS,
                 WM_WINDOWPOSCHANGED}),
            (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE,
                               WM_SETFOCUS, WM_WINDOWPOSCHANGED}));
  for (auto& r : g_log) {
    if (r.msg == WM_WINDOWPOSCHANGING || r.msg == WM_WINDOWPOSCHANGED) {
      EXPECT_TRUE(reinterpret_cast<WINDOWPOS*>(r.lp) == nullptr || true);
    }
    if (r.msg == WM_SHOWWINDOW) EXPECT_EQ(r.wp, 1u);
    if (r.msg == WM_ACTIVATE) EXPECT_EQ(LOWORD(r.wp), WA_ACTIVE);
  }
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetActiveWindow(), h);
  EXPECT_EQ(GetFocus(), h);

  // A second window takes the activation: the first loses it before the second gets it.
  HWND b = Top(u"二番目");
  g_log.clear();
  ShowWindow(b, SW_SHOW);
  std::vector<std::pair<HWND, UINT>> act;
  for (auto& r : g_log)
    if (r.msg == WM_NCACTIVATE || r.msg == WM_ACTIVATE || r.msg == WM_KILLFOCUS || r.msg == WM_SETFOCUS ||
        r.msg == WM_ACTIVATEAPP)
      act.push_back({r.hwnd, r.msg});
  EXPECT_EQ(act, (std::vector<std::pair<HWND, UINT>>{
                     {h, WM_NCACTIVATE}, {h, WM_ACTIVATE}, {b, WM_NCACTIVATE}, {b, WM_ACTIVATE}, {h, WM_KILLFOCUS},
                     {b, WM_SETFOCUS}}));
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), b);  // the active window is on top
}

TEST_F(UserTest, ApplicationLosingTheFocusDeactivates) {
  HWND h = Top(u"前面", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  auto hb = winplat::screen::Headless();
  g_log.clear();
  hb->FocusLost();
  winplat::user::PumpMessages();
  EXPECT_EQ(Seq({WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}, h),
            (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  g_log.clear();
  hb->FocusGained();
  winplat::user::PumpMessages();
  EXPECT_EQ(Seq({WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}, h),
            (std::vector<UINT>{WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
  EXPECT_EQ(GetActiveWindow(), h);
}

TEST_F(UserTest, DestructionOrderParentFirstThenChildrenFirst) {
  HWND p = Top(u"親");
  HWND c1 = Child(p, 1, 0, 0, 50, 50);
  HWND g = Child(c1, 3, 0, 0, 10, 10);
  HWND c2 = Child(p, 2, 60, 0, 50, 50);
  g_log.clear();
  EXPECT_TRUE(DestroyWindow(p));
  std::vector<std::pair<HWND, UINT>> seq;
  for (auto& r : g_log)
    if (r.msg == WM_DESTROY || r.msg == WM_NCDESTROY) seq.push_back({r.hwnd, r.msg});
  EXPECT_EQ(seq, (std::vector<std::pair<HWND, UINT>>{{p, WM_DESTROY}, {c1, WM_DESTROY}, {g, WM_DESTROY},
                                                     {c2, WM_DESTROY}, {g, WM_NCDESTROY}, {c1, WM_NCDESTROY},
                                                     {c2, WM_NCDESTROY}, {p, WM_NCDESTROY}}));
  for (HWND h : {p, c1, g, c2}) EXPECT_FALSE(IsWindow(h));
  // Stale handles report an error and never reach freed state.
  SetLastError(0);
  EXPECT_EQ(GetWindowLongW(c1, GWL_STYLE), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(SendMessageW(c2, WM_USER, 0, 0), 0);
  EXPECT_FALSE(DestroyWindow(p));
}

TEST_F(UserTest, AnsiAndUnicodeProceduresExchangeText) {
  HWND w = Top(u"");
  // "黒板" as CP932 bytes, set through the A call on a Unicode window.
  const char kokuban[] = "\x8D\x95\x94\xC2";
  EXPECT_TRUE(SetWindowTextA(w, kokuban));
  WCHAR wbuf[16];
  EXPECT_EQ(GetWindowTextW(w, wbuf, 16), 2);
  EXPECT_EQ(std::u16string(wbuf), u"黒板");
  EXPECT_EQ(GetWindowTextLengthW(w), 2);
  EXPECT_EQ(GetWindowTextLengthA(w), 4);  // bytes in the ANSI code page
  char abuf[16];
  EXPECT_EQ(GetWindowTextA(w, abuf, 16), 4);
  EXPECT_EQ(std::string(abuf), std::string(kokuban));
  // A short ANSI buffer never cuts a double-byte character.
  EXPECT_EQ(GetWindowTextA(w, abuf, 4), 2);
  EXPECT_EQ(std::string(abuf), std::string("\x8D\x95"));

  // An ANSI window sees the wide text as bytes.
  HWND a = CreateWindowExA(0, "RecA", "\x8D\x95", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(a);
  EXPECT_FALSE(IsWindowUnicode(a));
  EXPECT_TRUE(IsWindowUnicode(w));
  g_log.clear();
  EXPECT_TRUE(SetWindowTextW(a, u"板書"));
  ASSERT_FALSE(g_log.empty());
  EXPECT_EQ(g_log[0].msg, static_cast<UINT>(WM_SETTEXT));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(g_log[0].lp)), std::string("\x94\xC2\x8F\x91"));
  EXPECT_EQ(GetWindowTextLengthW(a), 2);
  EXPECT_EQ(GetWindowTextW(a, wbuf, 16), 2);
  EXPECT_EQ(std::u16string(wbuf), u"板書");
  // CREATESTRUCT names reach the ANSI procedure narrowed.
  HWND a2 = CreateWindowExW(0, u"RecA", u"黒", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(a2);
  EXPECT_EQ(g_create_name, std::string("\x8D\x95"));
  EXPECT_EQ(g_create_class, "RecA");
}

WNDPROC g_prev = nullptr;
std::vector<std::string> g_sub_texts;
LRESULT CALLBACK SubclassA(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_SETTEXT && l) g_sub_texts.push_back(reinterpret_cast<const char*>(l));
  if (m == WM_USER + 7) return 700;
  return CallWindowProcA(g_prev, h, m, w, l);
}

TEST_F(UserTest, SubclassingChainsThroughSetWindowLongAndCallWindowProc) {
  HWND w = Top(u"");
  // Same kind: the real function comes back and compares equal.
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWL_WNDPROC)), &RecordW);
  // The 32-bit form gives a handle that works as well.
  const LONG narrow = GetWindowLongW(w, GWL_WNDPROC);
  EXPECT_NE(narrow, 0);
  EXPECT_EQ(GetWindowLongW(w, GWL_WNDPROC), narrow);
  // Installing an ANSI procedure makes the window ANSI; the old value is a handle callable with A.
  g_prev = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassA)));
  ASSERT_TRUE(g_prev);
  EXPECT_NE(g_prev, &RecordW);
  EXPECT_FALSE(IsWindowUnicode(w));
  g_sub_texts.clear();
  g_log.clear();
  SetWindowTextW(w, u"黒板");
  ASSERT_EQ(g_sub_texts.size(), 1u);
  EXPECT_EQ(g_sub_texts[0], std::string("\x8D\x95\x94\xC2"));
  // The Unicode procedure underneath got wide text back through the chain.
  bool wide = false;
  for (auto& r : g_log)
    if (r.msg == WM_SETTEXT) wide = std::u16string(reinterpret_cast<const char16_t*>(r.lp)) == u"黒板";
  EXPECT_TRUE(wide);
  EXPECT_EQ(SendMessageW(w, WM_USER + 7, 0, 0), 700);
  // Restoring through the 32-bit form brings the Unicode procedure back.
  SetWindowLongA(w, GWL_WNDPROC, narrow);
  EXPECT_TRUE(IsWindowUnicode(w));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWL_WNDPROC)), &RecordW);
  EXPECT_EQ(CallWindowProcW(reinterpret_cast<WNDPROC>(static_cast<LONG_PTR>(narrow)), w, WM_GETTEXTLENGTH, 0, 0), 2);

  // A registered callable is a procedure value too.
  int calls = 0;
  WNDPROC c = winplat::user::RegisterProcedure(
      [&](HWND hh, UINT m, WPARAM ww, LPARAM ll) -> LRESULT {
        ++calls;
        if (m == WM_USER + 8) return 800;
        return CallWindowProcW(&RecordW, hh, m, ww, ll);
      },
      true);
  SetWindowLongPtrW(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(c));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWL_WNDPROC)), c);
  EXPECT_EQ(SendMessageA(w, WM_USER + 8, 0, 0), 800);
  EXPECT_GE(calls, 1);
  SetWindowLongPtrW(w, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordW));
  winplat::user::UnregisterProcedure(c);
}

HHOOK g_hook1 = nullptr, g_hook2 = nullptr;
std::vector<UINT> g_hook_seen;
LRESULT CALLBACK GetMsgHook(int code, WPARAM wp, LPARAM lp) {
  auto* m = reinterpret_cast<MSG*>(lp);
  if (code == HC_ACTION && m->message == WM_USER + 1) m->wParam = 42;  // hooks may change the message
  return CallNextHookEx(g_hook1, code, wp, lp);
}
LRESULT CALLBACK GetMsgHook2(int code, WPARAM wp, LPARAM lp) {
  g_hook_seen.push_back(reinterpret_cast<MSG*>(lp)->message);
  return CallNextHookEx(g_hook2, code, wp, lp);
}
std::vector<UINT> g_cwp_seen;
HHOOK g_cwp = nullptr;
LRESULT CALLBACK CallWndHook(int code, WPARAM wp, LPARAM lp) {
  g_cwp_seen.push_back(reinterpret_cast<CWPSTRUCT*>(lp)->message);
  return CallNextHookEx(g_cwp, code, wp, lp);
}

TEST_F(UserTest, HooksSeeAndChangeMessages) {
  HWND w = Top(u"");
  g_hook1 = SetWindowsHookExW(WH_GETMESSAGE, GetMsgHook, nullptr, GetCurrentThreadId());
  g_hook2 = SetWindowsHookExW(WH_GETMESSAGE, GetMsgHook2, nullptr, 0);  // newest is called first
  g_cwp = SetWindowsHookExW(WH_CALLWNDPROC, CallWndHook, nullptr, 0);
  ASSERT_TRUE(g_hook1 && g_hook2 && g_cwp);
  g_hook_seen.clear();
  g_cwp_seen.clear();
  PostMessageW(w, WM_USER + 1, 1, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
  EXPECT_EQ(m.wParam, 42u);
  EXPECT_EQ(g_hook_seen, std::vector<UINT>{WM_USER + 1});
  SendMessageW(w, WM_USER + 2, 0, 0);
  EXPECT_EQ(g_cwp_seen, std::vector<UINT>{WM_USER + 2});
  EXPECT_TRUE(UnhookWindowsHookEx(g_hook1));
  EXPECT_TRUE(UnhookWindowsHookEx(g_hook2));
  EXPECT_TRUE(UnhookWindowsHookEx(g_cwp));
  EXPECT_FALSE(UnhookWindowsHookEx(g_cwp));
  PostMessageW(w, WM_USER + 1, 1, 0);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
  EXPECT_EQ(m.wParam, 1u);
}

TEST_F(UserTest, CharactersAboveFFReachAnAnsiProcedureAsDoubleBytePairs) {
  HWND a = CreateWindowExA(0, "RecA", "", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(a);
  SetFocus(a);
  g_log.clear();
  SendMessageW(a, WM_CHAR, 0x3042, 1);  // あ = 82 A0
  std::vector<WPARAM> chars;
  for (auto& r : g_log)
    if (r.msg == WM_CHAR) chars.push_back(r.wp);
  EXPECT_EQ(chars, (std::vector<WPARAM>{0x82, 0xA0}));
  // Typed text through the input method: the same pair per character.
  g_log.clear();
  winplat::screen::Headless()->TypeText(u"aあ");
  winplat::user::PumpMessages();
  chars.clear();
  for (auto& r : g_log)
    if (r.msg == WM_CHAR) chars.push_back(r.wp);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 0x82, 0xA0}));

  // The other way: bytes posted by an ANSI caller join into one wide character.
  HWND w = Top(u"", WS_OVERLAPPED | WS_VISIBLE);
  SetFocus(w);
  g_log.clear();
  PostMessageA(w, WM_CHAR, 0x82, 1);
  PostMessageA(w, WM_CHAR, 0xA0, 1);
  winplat::screen::Headless()->TypeText(u"\U0001F600");  // outside the BMP: a surrogate pair
  winplat::user::PumpMessages();
  chars.clear();
  for (auto& r : g_log)
    if (r.msg == WM_CHAR && r.hwnd == w) chars.push_back(r.wp);
  EXPECT_EQ(chars, (std::vector<WPARAM>{0x3042, 0xD83D, 0xDE00}));
}

TEST_F(UserTest, KeysBecomeKeyDownCharKeyUp) {
  HWND w = Top(u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_EQ(GetFocus(), w);
  g_log.clear();
  auto hb = winplat::screen::Headless();
  hb->PressKey(VK_RETURN);
  hb->KeyDown(VK_SHIFT);
  hb->KeyDown(VK_LEFT);
  winplat::user::PumpMessages();
  EXPECT_EQ(Seq({WM_KEYDOWN, WM_KEYUP, WM_CHAR}), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYDOWN, WM_KEYDOWN}));
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetAsyncKeyState(VK_LEFT), 0);
  for (auto& r : g_log)
    if (r.msg == WM_CHAR) EXPECT_EQ(r.wp, 13u);
  hb->KeyUp(VK_LEFT);
  hb->KeyUp(VK_SHIFT);
  winplat::user::PumpMessages();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

TEST_F(UserTest, MouseHitTestingAndCapture) {
  HWND p = Top(u"", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
  HWND c = Child(p, 5, 20, 30, 50, 40);
  EXPECT_EQ(WindowFromPoint(POINT{125, 135}), c);
  EXPECT_EQ(WindowFromPoint(POINT{180, 180}), p);
  auto hb = winplat::screen::Headless();
  g_log.clear();
  hb->Click(125, 135);
  winplat::user::PumpMessages();
  std::vector<Rec> clicks;
  for (auto& r : g_log)
    if (r.msg == WM_LBUTTONDOWN || r.msg == WM_LBUTTONUP) clicks.push_back(r);
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0].hwnd, c);
  EXPECT_EQ(GET_X_LPARAM(clicks[0].lp), 5);
  EXPECT_EQ(GET_Y_LPARAM(clicks[0].lp), 5);
  EXPECT_EQ(clicks[0].wp & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
  // With the capture, the capturing window gets moves outside it, in its own coordinates.
  SetCapture(c);
  g_log.clear();
  hb->MouseMove(10, 20);
  winplat::user::PumpMessages();
  bool got = false;
  for (auto& r : g_log)
    if (r.msg == WM_MOUSEMOVE && r.hwnd == c) {
      got = true;
      EXPECT_EQ(GET_X_LPARAM(r.lp), 10 - 120);
      EXPECT_EQ(GET_Y_LPARAM(r.lp), 20 - 130);
    }
  EXPECT_TRUE(got);
  g_log.clear();
  ReleaseCapture();
  EXPECT_EQ(Seq({WM_CAPTURECHANGED}, c), std::vector<UINT>{WM_CAPTURECHANGED});
  // A disabled child passes its clicks to the parent.
  EnableWindow(c, FALSE);
  g_log.clear();
  hb->Click(125, 135);
  winplat::user::PumpMessages();
  EXPECT_EQ(Seq({WM_LBUTTONDOWN}, p), std::vector<UINT>{WM_LBUTTONDOWN});
  // A double click on a CS_DBLCLKS class.
  g_log.clear();
  hb->DoubleClick(180, 180);
  winplat::user::PumpMessages();
  EXPECT_EQ(Seq({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, p),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
}

TEST_F(UserTest, PaintingErasesThenPaintsOnceUntilInvalidated) {
  HWND w = Top(u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80);
  winplat::user::PumpMessages();
  g_log.clear();
  RECT r{10, 10, 20, 20};
  InvalidateRect(w, &r, TRUE);
  winplat::user::PumpMessages();
  EXPECT_EQ(Seq({WM_PAINT, WM_ERASEBKGND}, w), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
  g_log.clear();
  winplat::user::PumpMessages();
  EXPECT_TRUE(Seq({WM_PAINT}, w).empty());
  // The class brush (COLOR_WINDOW) filled only the invalid part.
  int sw, sh;
  auto px = winplat::screen::CurrentBackend()->Screenshot(&sw, &sh);
  EXPECT_EQ(px[15 * sw + 15], 0xFFFFFFu);
  // UpdateWindow paints at once.
  InvalidateRect(w, nullptr, FALSE);
  g_log.clear();
  UpdateWindow(w);
  EXPECT_EQ(Seq({WM_PAINT}, w), std::vector<UINT>{WM_PAINT});
}

// RDW_ALLCHILDREN reaches every descendant, also below a child that clips its children (a radio
// button in a group box); RDW_NOCHILDREN keeps them all out.
TEST_F(UserTest, RedrawWindowAllChildrenReachesEveryDescendant) {
  struct Case {
    DWORD topStyle, middleStyle;
    UINT flags;
    bool childrenPaint;
  };
  const Case cases[] = {
      {0, 0, RDW_ALLCHILDREN, true},
      {0, WS_CLIPCHILDREN, RDW_ALLCHILDREN, true},
      {WS_CLIPCHILDREN, WS_CLIPCHILDREN, RDW_ALLCHILDREN, true},
      {WS_CLIPCHILDREN, 0, RDW_ALLCHILDREN, true},
      {0, WS_CLIPCHILDREN, RDW_NOCHILDREN, false},
      {WS_CLIPCHILDREN, 0, 0, false},
  };
  for (const Case& c : cases) {
    HWND top = Top(u"", WS_POPUP | WS_VISIBLE | c.topStyle, 0, 0, 200, 150);
    HWND middle = Child(top, 1, 10, 10, 150, 100, WS_VISIBLE | c.middleStyle);
    HWND inner = Child(middle, 2, 10, 20, 60, 20);
    winplat::user::PumpMessages();
    g_log.clear();
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | c.flags);
    SCOPED_TRACE(testing::Message() << "top " << c.topStyle << " middle " << c.middleStyle << " flags " << c.flags);
    EXPECT_EQ(Seq({WM_PAINT}, top).size(), 1u);
    EXPECT_EQ(Seq({WM_PAINT}, middle).size(), c.childrenPaint ? 1u : 0u);
    EXPECT_EQ(Seq({WM_PAINT}, inner).size(), c.childrenPaint ? 1u : 0u);
    DestroyWindow(top);
  }
}

TEST_F(UserTest, TimersArriveThroughABlockingGetMessage) {
  HWND w = Top(u"");
  EXPECT_EQ(SetTimer(w, 7, 20, nullptr), 7u);
  const DWORD start = GetTickCount();
  MSG m;
  winplat::user::PumpMessages();
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));  // sleeps until the timer is due
  while (m.message != WM_TIMER) {
    DispatchMessageW(&m);
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  }
  EXPECT_GE(GetTickCount() - start, 15u);
  EXPECT_EQ(m.hwnd, w);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_TRUE(KillTimer(w, 7));
  EXPECT_FALSE(KillTimer(w, 7));
  // The idle wait: a timeout with nothing to do, at once when a message waits.
  winplat::user::PumpMessages();
  DWORD t1 = GetTickCount();
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT), 0x102u);  // WAIT_TIMEOUT
  EXPECT_GE(GetTickCount() - t1, 25u);
  PostMessageW(w, WM_USER, 0, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT), 0u);
  winplat::user::PumpMessages();
  // A posted message wakes the wait; WM_QUIT ends it.
  PostQuitMessage(3);
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 3u);
}

TEST_F(UserTest, PropertiesAtomsAndRegisteredMessages) {
  HWND w = Top(u"");
  EXPECT_TRUE(SetPropA(w, "Tarnix00000001", reinterpret_cast<HANDLE>(0x1234)));
  EXPECT_EQ(GetPropW(w, u"TARNIX00000001"), reinterpret_cast<HANDLE>(0x1234));  // no case
  const ATOM a = GlobalAddAtomA("ControlOfs0040000000000A0C");
  ASSERT_GE(a, 0xC000);
  EXPECT_EQ(GlobalFindAtomW(u"controlofs0040000000000a0c"), a);
  EXPECT_TRUE(SetPropW(w, MAKEINTATOMW(a), reinterpret_cast<HANDLE>(0x99)));
  EXPECT_EQ(GetPropA(w, MAKEINTATOM(a)), reinterpret_cast<HANDLE>(0x99));
  EXPECT_EQ(RemovePropA(w, "Tarnix00000001"), reinterpret_cast<HANDLE>(0x1234));
  EXPECT_EQ(GetPropA(w, "Tarnix00000001"), nullptr);
  EXPECT_EQ(GlobalDeleteAtom(a), 0);
  EXPECT_EQ(GlobalFindAtomA("ControlOfs0040000000000A0C"), 0);
  const UINT m1 = RegisterWindowMessageA("VseTestMessage");
  EXPECT_GE(m1, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageW(u"vsetestmessage"), m1);
  // Extra bytes of the class and window longs.
  HWND aw = CreateWindowExA(0, "RecA", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(aw);
  EXPECT_EQ(SetWindowLongPtrA(aw, 8, 0x1122334455667788), 0);
  EXPECT_EQ(GetWindowLongPtrA(aw, 8), 0x1122334455667788);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrA(aw, 12), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  EXPECT_FALSE(UnregisterClassA("RecA", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
}

HHOOK g_cbt = nullptr;
std::vector<int> g_cbt_codes;
LRESULT CALLBACK CbtHook(int code, WPARAM wp, LPARAM lp) {
  g_cbt_codes.push_back(code);
  if (code == HCBT_CREATEWND) {
    auto* c = reinterpret_cast<CBT_CREATEWNDW*>(lp);
    if (c->lpcs->lpszName && std::u16string(c->lpcs->lpszName) == u"拒否") return 1;  // refuse this one
  }
  return CallNextHookEx(g_cbt, code, wp, lp);
}

TEST_F(UserTest, CbtHookSeesCreationActivationAndCanRefuse) {
  g_cbt = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  g_cbt_codes.clear();
  EXPECT_EQ(Top(u"拒否"), nullptr);
  HWND w = Top(u"許可", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_TRUE(w);
  DestroyWindow(w);
  UnhookWindowsHookEx(g_cbt);
  EXPECT_EQ(g_cbt_codes, (std::vector<int>{HCBT_CREATEWND, HCBT_CREATEWND, HCBT_ACTIVATE, HCBT_SETFOCUS, HCBT_DESTROYWND}));
}

TEST_F(UserTest, DeferredPositionsPlacementAndMaximize) {
  HWND p = Top(u"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
  HWND a = Child(p, 1, 0, 0, 10, 10), b = Child(p, 2, 0, 0, 10, 10);
  HDWP d = BeginDeferWindowPos(2);
  d = DeferWindowPos(d, a, nullptr, 5, 6, 50, 60, SWP_NOZORDER | SWP_NOACTIVATE);
  d = DeferWindowPos(d, b, nullptr, 100, 0, 20, 20, SWP_NOZORDER | SWP_NOACTIVATE);
  g_log.clear();
  EXPECT_TRUE(EndDeferWindowPos(d));
  EXPECT_FALSE(EndDeferWindowPos(d));  // the batch is gone
  RECT r;
  GetWindowRect(a, &r);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.bottom, 66);
  EXPECT_EQ(Seq({WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}, a),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
  HWND f = Top(u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 30, 200, 100);
  ShowWindow(f, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(f));
  GetClientRect(f, &r);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  ASSERT_TRUE(GetWindowPlacement(f, &wp));
  EXPECT_EQ(wp.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(wp.rcNormalPosition.left, 20);
  EXPECT_EQ(wp.rcNormalPosition.right, 220);
  ShowWindow(f, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(f));
  GetWindowRect(f, &r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.right, 220);
  ShowWindow(f, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(f));
  EXPECT_NE(GetActiveWindow(), f);
}

TEST_F(UserTest, StandardScrollBarsKeepStateAndTurnClicksIntoScrollMessages) {
  HWND w = Top(u"", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 0, 0, 200, 100);
  RECT c;
  GetClientRect(w, &c);
  EXPECT_EQ(c.right, 200 - GetSystemMetrics(SM_CXVSCROLL));
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 200, 0};
  EXPECT_EQ(SetScrollInfo(w, SB_VERT, &si, TRUE), 90);  // the position stops where the last page shows
  EXPECT_EQ(SetScrollPos(w, SB_VERT, 5, TRUE), 90);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 5);
  winplat::user::PumpMessages();
  g_log.clear();
  winplat::screen::Headless()->Click(195, 95);  // the down arrow
  winplat::user::PumpMessages();
  std::vector<WPARAM> codes;
  for (auto& r : g_log)
    if (r.msg == WM_VSCROLL) codes.push_back(r.wp);
  EXPECT_EQ(codes, (std::vector<WPARAM>{SB_LINEDOWN, SB_ENDSCROLL}));
}

}  // namespace
