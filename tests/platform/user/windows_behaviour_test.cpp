// Window and message behaviour that programs written for the platform rely on: double-byte
// characters for Unicode windows, ANSI edits counting bytes, waiting for new input only,
// minimum and maximum sizes, and when an overlapped window first gets WM_SIZE.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "windows.h"
#include "winplat_mode.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

struct Rec {
  HWND hwnd;
  UINT msg;
  WPARAM wp;
};
std::vector<Rec> g_log;
POINT g_minTrack{0, 0}, g_maxTrack{0, 0};

LRESULT CALLBACK LogW(HWND h, UINT m, WPARAM w, LPARAM l) {
  g_log.push_back({h, m, w});
  if (m == WM_GETMINMAXINFO && g_minTrack.x) {
    auto* mmi = reinterpret_cast<MINMAXINFO*>(l);
    mmi->ptMinTrackSize = g_minTrack;
    mmi->ptMaxTrackSize = g_maxTrack;
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

class WindowsBehaviour : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    winplat::SetAnsiCodePage(932);
    WNDCLASSW known{};
    if (!GetClassInfoW(nullptr, u"BehaviourW", &known)) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = LogW;
      wc.lpszClassName = u"BehaviourW";
      ASSERT_NE(RegisterClassW(&wc), 0);
    }
    g_log.clear();
    g_minTrack = g_maxTrack = POINT{0, 0};
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    winplat::user::PumpMessages();
    g_log.clear();
  }
  HWND Make(DWORD style, int w = 300, int h = 200) {
    HWND r = CreateWindowExW(0, u"BehaviourW", u"", style, 10, 10, w, h, nullptr, nullptr, nullptr, nullptr);
    made_.push_back(r);
    return r;
  }
  std::vector<WPARAM> CharsOf(HWND h, UINT msg = WM_CHAR) {
    std::vector<WPARAM> out;
    for (const Rec& r : g_log)
      if (r.hwnd == h && r.msg == msg) out.push_back(r.wp);
    return out;
  }
  std::vector<HWND> made_;
};

}  // namespace

TEST_F(WindowsBehaviour, DoubleByteCharactersReachAUnicodeWindowWhole) {
  HWND w = Make(WS_OVERLAPPED | WS_VISIBLE);
  ASSERT_TRUE(w);
  struct Case {
    const char* name;
    void (*send)(HWND);
    UINT msg;
    std::vector<WPARAM> chars;
  } cases[] = {
      // Posted lead then trail: nothing for the lead byte, then one character.
      {"posted", [](HWND h) { PostMessageA(h, WM_CHAR, 0x93, 1); PostMessageA(h, WM_CHAR, 0xFA, 1); }, WM_CHAR, {0x65E5}},
      {"posted one by one", [](HWND h) {
         PostMessageA(h, WM_CHAR, 0x93, 1);
         winplat::user::PumpMessages();
         PostMessageA(h, WM_CHAR, 0xFA, 1);
       }, WM_CHAR, {0x65E5}},
      {"sent", [](HWND h) { SendMessageA(h, WM_CHAR, 0x93, 1); SendMessageA(h, WM_CHAR, 0xFA, 1); }, WM_CHAR, {0x65E5}},
      // trail << 8 | lead arrives at once and leaves nothing waiting.
      {"sent packed", [](HWND h) { SendMessageA(h, WM_CHAR, 0xFA93, 1); SendMessageA(h, WM_CHAR, 'a', 1); }, WM_CHAR,
       {0x65E5, 'a'}},
      {"single bytes", [](HWND h) { PostMessageA(h, WM_CHAR, 'x', 1); PostMessageA(h, WM_CHAR, 0xB1, 1); }, WM_CHAR,
       {'x', 0xFF71}},
      // Only WM_CHAR waits for a trail byte; a lone lead byte elsewhere is the default character.
      {"syschar", [](HWND h) { SendMessageA(h, WM_SYSCHAR, 0x93, 1); }, WM_SYSCHAR, {0x30FB}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_log.clear();
    c.send(w);
    winplat::user::PumpMessages();
    EXPECT_EQ(CharsOf(w, c.msg), c.chars);
  }
  // An ANSI message loop still sees the two bytes, and dispatching joins them again.
  g_log.clear();
  PostMessageA(w, WM_CHAR, 0x93, 1);
  PostMessageA(w, WM_CHAR, 0xFA, 1);
  std::vector<WPARAM> seen;
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_CHAR) seen.push_back(m.wParam);
    DispatchMessageA(&m);
  }
  EXPECT_EQ(seen, (std::vector<WPARAM>{0x93, 0xFA}));
  EXPECT_EQ(CharsOf(w), (std::vector<WPARAM>{0x65E5}));
}

TEST_F(WindowsBehaviour, AnsiEditCountsBytesOfTheCodePage) {
  HWND e = CreateWindowExA(0, "EDIT", "", WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 200, 24, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(e);
  made_.push_back(e);
  const char* kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語
  SetWindowTextA(e, kNihongo);
  DWORD s = 0, t = 0;
  struct Sel {
    int from, to;
    DWORD start, end;  // as EM_GETSEL answers
  } sels[] = {
      {0, -1, 0, 6},
      {1, 3, 0, 2},  // never inside a character
      {2, 4, 2, 4},
      {5, 6, 4, 6},
  };
  for (const Sel& c : sels) {
    SCOPED_TRACE(testing::Message() << c.from << "," << c.to);
    SendMessageA(e, EM_SETSEL, static_cast<WPARAM>(c.from), c.to);
    SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
    EXPECT_EQ(s, c.start);
    EXPECT_EQ(t, c.end);
  }
  EXPECT_EQ(SendMessageA(e, EM_LINELENGTH, 0, 0), 6);
  EXPECT_EQ(SendMessageA(e, EM_LINEINDEX, 0, 0), 0);
  EXPECT_EQ(GetWindowTextLengthA(e), 6);

  // EM_GETLINE copies code-page bytes for an ANSI caller, UTF-16 for a Unicode one.
  char line[16] = {};
  *reinterpret_cast<WORD*>(line) = sizeof line;
  EXPECT_EQ(SendMessageA(e, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line)), 6);
  EXPECT_EQ(std::string(line, 6), kNihongo);
  *reinterpret_cast<WORD*>(line) = 5;  // room for two characters only
  EXPECT_EQ(SendMessageA(e, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line)), 4);
  EXPECT_EQ(std::string(line, 4), std::string(kNihongo, 4));
  char16_t wline[8] = {};
  *reinterpret_cast<WORD*>(wline) = 8;
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 0, reinterpret_cast<LPARAM>(wline)), 3);
  EXPECT_EQ(std::u16string(wline, 3), u"日本語");

  // The caret after EM_REPLACESEL stands after the new bytes.
  SendMessageA(e, EM_SETSEL, 2, 4);
  SendMessageA(e, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("a\x82\xA0"));  // "aあ"
  SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
  EXPECT_EQ(s, 5u);
  EXPECT_EQ(t, 5u);
  char text[16] = {};
  GetWindowTextA(e, text, sizeof text);
  EXPECT_STREQ(text, "\x93\xFA" "a\x82\xA0" "\x8C\xEA");

  // A limit of 4 bytes keeps two double-byte characters.
  SetWindowTextA(e, "");
  SendMessageA(e, EM_LIMITTEXT, 4, 0);
  SendMessageA(e, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(kNihongo));
  GetWindowTextA(e, text, sizeof text);
  EXPECT_STREQ(text, "\x93\xFA\x96\x7B");
  EXPECT_EQ(SendMessageA(e, EM_GETLIMITTEXT, 0, 0), 4);

  // A Unicode edit keeps counting UTF-16 units.
  HWND u = CreateWindowExW(0, u"EDIT", u"日本語", WS_VISIBLE, 0, 30, 200, 24, nullptr, nullptr, nullptr, nullptr);
  made_.push_back(u);
  SendMessageW(u, EM_SETSEL, 0, -1);
  SendMessageW(u, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&t));
  EXPECT_EQ(t, 3u);
  EXPECT_EQ(SendMessageW(u, EM_LINELENGTH, 0, 0), 3);
}

TEST_F(WindowsBehaviour, MsgWaitWakesForNewMessagesOnly) {
  HWND w = Make(WS_OVERLAPPED | WS_VISIBLE);
  SetFocus(w);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  constexpr DWORD kTimeout = 0x102;
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), kTimeout);
  PostMessageW(w, WM_USER, 1, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), 0u);  // new
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), 0u);  // still new: not yet looked at
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
  // Seen by PeekMessage and left in the queue: a loop written for the platform sleeps here.
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), kTimeout);
  PostMessageW(w, WM_USER, 2, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), 0u);
  // Both are still there to take.
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(m.wParam, 1u);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_EQ(m.wParam, 2u);
  // Input seen without being removed does not wake either.
  winplat::screen::Headless()->TypeText(u"k");
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), 0u);
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), kTimeout);
}

TEST_F(WindowsBehaviour, SetWindowPosKeepsTheMinimumAndMaximumSizes) {
  HWND h = Make(WS_OVERLAPPEDWINDOW);
  g_minTrack = POINT{150, 120};
  g_maxTrack = POINT{400, 300};
  struct Case {
    int cx, cy;
    int wantX, wantY;
  } cases[] = {{50, 50, 150, 120}, {1000, 900, 400, 300}, {200, 200, 200, 200}, {100, 500, 150, 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cx << "x" << c.cy);
    g_log.clear();
    SetWindowPos(h, nullptr, 0, 0, c.cx, c.cy, SWP_NOMOVE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, c.wantX);
    EXPECT_EQ(r.bottom - r.top, c.wantY);
    std::vector<UINT> order;
    for (const Rec& x : g_log)
      if (x.msg == WM_WINDOWPOSCHANGING || x.msg == WM_GETMINMAXINFO || x.msg == WM_WINDOWPOSCHANGED)
        order.push_back(x.msg);
    EXPECT_EQ(order, (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_WINDOWPOSCHANGED}));
  }
  // A child without a sizing frame is not asked.
  HWND child = CreateWindowExW(0, u"BehaviourW", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, h, nullptr, nullptr, nullptr);
  g_log.clear();
  SetWindowPos(child, nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(CharsOf(child, WM_GETMINMAXINFO).empty());
  RECT r;
  GetWindowRect(child, &r);
  EXPECT_EQ(r.right - r.left, 20);
}

TEST_F(WindowsBehaviour, HiddenOverlappedWindowGetsItsSizeWhenFirstShown) {
  auto sizeMessages = [](HWND h) {
    std::vector<UINT> out;
    for (const Rec& r : g_log)
      if (r.hwnd == h && (r.msg == WM_CREATE || r.msg == WM_SIZE || r.msg == WM_MOVE || r.msg == WM_SHOWWINDOW))
        out.push_back(r.msg);
    return out;
  };
  HWND hidden = Make(WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(sizeMessages(hidden), (std::vector<UINT>{WM_CREATE}));
  g_log.clear();
  ShowWindow(hidden, SW_SHOW);
  EXPECT_EQ(sizeMessages(hidden), (std::vector<UINT>{WM_SHOWWINDOW, WM_SIZE, WM_MOVE}));
  g_log.clear();
  ShowWindow(hidden, SW_HIDE);
  ShowWindow(hidden, SW_SHOW);  // only the first showing sends them
  EXPECT_EQ(sizeMessages(hidden), (std::vector<UINT>{WM_SHOWWINDOW, WM_SHOWWINDOW}));

  g_log.clear();
  HWND visible = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  EXPECT_EQ(sizeMessages(visible), (std::vector<UINT>{WM_CREATE, WM_SHOWWINDOW, WM_SIZE, WM_MOVE}));
  // Pop-ups and children get theirs at creation.
  g_log.clear();
  HWND popup = Make(WS_POPUP);
  EXPECT_EQ(sizeMessages(popup), (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_MOVE}));
  g_log.clear();
  HWND child = CreateWindowExW(0, u"BehaviourW", u"", WS_CHILD, 0, 0, 10, 10, popup, nullptr, nullptr, nullptr);
  EXPECT_EQ(sizeMessages(child), (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_MOVE}));
}
