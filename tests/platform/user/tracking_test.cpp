// The caret's blink and its hiding while a window paints; dragging a scroll bar's thumb, a window
// by its caption and a window by its sizing frame, with the messages in the platform's order.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "test_window_class.h"
#include "windows.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

constexpr UINT kSystemTimer = 0x0118;

struct Rec {
  UINT msg;
  WPARAM wp;
  int trackPos;  // WM_VSCROLL: the bar's tracking position at the time
  RECT rect;     // WM_MOVING / WM_SIZING: the proposed rectangle
};
std::vector<Rec> g_log;
COLORREF g_caret_pixel_in_paint = CLR_INVALID;
POINT g_caret_at{10, 5};
int g_fixed_height = 0;  // WM_SIZING keeps this height when set

LRESULT CALLBACK TrackedProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  Rec r{m, wp, 0, {}};
  if (m == WM_VSCROLL) {
    SCROLLINFO si{sizeof si, SIF_TRACKPOS};
    GetScrollInfo(h, SB_VERT, &si);
    r.trackPos = si.nTrackPos;
  }
  if (m == WM_SIZING && g_fixed_height) {
    auto* rc = reinterpret_cast<RECT*>(lp);
    rc->bottom = rc->top + g_fixed_height;
  }
  if (m == WM_MOVING || m == WM_SIZING) r.rect = *reinterpret_cast<RECT*>(lp);
  if (m == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{150, 100};
  g_log.push_back(r);
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    g_caret_pixel_in_paint = GetPixel(dc, g_caret_at.x, g_caret_at.y);
    RECT all;
    GetClientRect(h, &all);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcW(h, m, wp, lp);
}

std::vector<UINT> Only(const std::vector<UINT>& keep) {
  std::vector<UINT> out;
  for (auto& r : g_log)
    if (std::find(keep.begin(), keep.end(), r.msg) != keep.end()) out.push_back(r.msg);
  return out;
}

class Tracking : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    winplat::screen::ResetKeyState();
    ASSERT_TRUE(RegisterTestClassOnce(u"Tracked", TrackedProc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    g_fixed_height = 0;
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    winplat::user::PumpMessages();
    g_log.clear();
  }
  HWND Make(DWORD style, int x, int y, int w, int h) {
    HWND r = CreateWindowExW(0, u"Tracked", u"Tracked", style | WS_VISIBLE, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    made_.push_back(r);
    winplat::user::PumpMessages();
    g_log.clear();
    return r;
  }
  static winplat::screen::HeadlessBackend& Screen() { return *winplat::screen::Headless(); }
  std::vector<HWND> made_;
};

COLORREF PixelAt(HWND h, POINT p) {
  HDC dc = GetDC(h);
  const COLORREF c = GetPixel(dc, p.x, p.y);
  ReleaseDC(h, dc);
  return c;
}

// The next blink of the caret, taken from the queue as the message loop would, while the script's
// time passes in steps of 5 ms (two seconds at most).
bool NextBlink(MSG* m) {
  for (int waited = 0; waited < 2000; waited += 5) {
    if (PeekMessageW(m, nullptr, kSystemTimer, kSystemTimer, PM_REMOVE)) return true;
    winplat::screen::Headless()->Elapse(5);
  }
  return false;
}

TEST_F(Tracking, CaretBlinksByInversionAndHidesWhileTheWindowPaints) {
  HWND h = Make(WS_POPUP, 0, 0, 100, 60);
  const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
  ASSERT_TRUE(CreateCaret(h, nullptr, 2, 10));
  EXPECT_EQ(PixelAt(h, g_caret_at), white);  // made hidden
  ASSERT_TRUE(SetCaretPos(g_caret_at.x, g_caret_at.y));
  ASSERT_TRUE(ShowCaret(h));
  EXPECT_EQ(PixelAt(h, g_caret_at), black);
  EXPECT_EQ(PixelAt(h, POINT{g_caret_at.x + 2, g_caret_at.y}), white);  // two pixels wide

  // The blink: a system timer message to the window, which DefWindowProc turns into an inversion.
  ASSERT_TRUE(SetCaretBlinkTime(20));
  EXPECT_EQ(GetCaretBlinkTime(), 20u);
  MSG m;
  ASSERT_TRUE(NextBlink(&m));
  EXPECT_EQ(m.hwnd, h);
  DispatchMessageW(&m);
  EXPECT_EQ(PixelAt(h, g_caret_at), white);
  ASSERT_TRUE(NextBlink(&m));
  DispatchMessageW(&m);
  EXPECT_EQ(PixelAt(h, g_caret_at), black);
  EXPECT_EQ(Only({WM_TIMER}).size(), 0u);  // never a WM_TIMER of the program's

  // Painting over the caret: it is off between BeginPaint and EndPaint and back once after.
  InvalidateRect(h, nullptr, TRUE);
  UpdateWindow(h);
  EXPECT_EQ(g_caret_pixel_in_paint, white);
  EXPECT_EQ(PixelAt(h, g_caret_at), black);

  // Hiding nests; a hidden caret does not blink.
  EXPECT_TRUE(HideCaret(h));
  EXPECT_TRUE(HideCaret(h));
  EXPECT_EQ(PixelAt(h, g_caret_at), white);
  EXPECT_TRUE(ShowCaret(h));
  EXPECT_EQ(PixelAt(h, g_caret_at), white);
  Screen().Elapse(50);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, kSystemTimer, kSystemTimer, PM_NOREMOVE));
  EXPECT_TRUE(ShowCaret(h));
  EXPECT_EQ(PixelAt(h, g_caret_at), black);
  EXPECT_FALSE(ShowCaret(h));  // more shows than hides

  // The caret goes with its window; its blink stops.
  DestroyWindow(h);
  EXPECT_FALSE(SetCaretPos(1, 1));
  EXPECT_FALSE(DestroyCaret());
  Screen().Elapse(50);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, kSystemTimer, kSystemTimer, PM_NOREMOVE));
  SetCaretBlinkTime(530);
}

TEST_F(Tracking, DraggingTheThumbSendsTrackingThenTheFinalPosition) {
  HWND h = Make(WS_POPUP | WS_VSCROLL, 0, 0, 200, 200);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 0, 0};
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  const int x = 200 - GetSystemMetrics(SM_CXVSCROLL) / 2;
  const int arrow = GetSystemMetrics(SM_CYHSCROLL);
  const int lastPos = 100 - 20 + 1;
  struct Case {
    const char* name;
    std::vector<int> moves;  // y positions after the press on the thumb's top
    bool escape;
    std::vector<int> tracked;  // SB_THUMBTRACK positions
    int final;                 // SB_THUMBPOSITION
  };
  const std::vector<Case> cases = {
      {"past the end and back to the start", {arrow + 400, arrow + 2}, false, {lastPos, 0}, 0},
      {"to the end", {arrow + 60, arrow + 400}, false, {}, lastPos},
      {"cancelled with Escape", {arrow + 400}, true, {lastPos}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetScrollPos(h, SB_VERT, 0, TRUE);
    g_log.clear();
    Screen().MouseDown(x, arrow + 2);
    for (int y : c.moves) Screen().MouseMove(x, y);
    if (c.escape) Screen().PressKey(VK_ESCAPE);
    Screen().MouseUp(x, c.moves.back());
    winplat::user::PumpMessages();
    std::vector<int> tracked;
    int thumbPosition = -1, ends = 0;
    for (auto& r : g_log) {
      if (r.msg != WM_VSCROLL) continue;
      if (LOWORD(r.wp) == SB_THUMBTRACK) {
        tracked.push_back(HIWORD(r.wp));
        EXPECT_EQ(r.trackPos, HIWORD(r.wp));
      }
      if (LOWORD(r.wp) == SB_THUMBPOSITION) thumbPosition = HIWORD(r.wp);
      if (LOWORD(r.wp) == SB_ENDSCROLL) ++ends;
    }
    if (!c.tracked.empty()) EXPECT_EQ(tracked, c.tracked);
    if (c.tracked.empty()) EXPECT_TRUE(!tracked.empty() && tracked.back() == lastPos);
    EXPECT_EQ(thumbPosition, c.final);
    EXPECT_EQ(ends, 1);
    // The drag's own mouse messages never reach the window.
    EXPECT_EQ(Only({WM_MOUSEMOVE, WM_LBUTTONUP}).size(), 0u);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 0);  // the program moves the bar, not the system
  }
}

TEST_F(Tracking, MovingByTheCaptionAndSizingByTheFrame) {
  const RECT start{100, 100, 400, 300};
  enum Where { kCaption, kBottomRight, kLeft };
  struct Case {
    const char* name;
    Where where;
    POINT by;
    int fixedHeight;
    bool escape;
    RECT expected;
    WPARAM command;  // WM_SYSCOMMAND
    UINT tracking;   // WM_MOVING or WM_SIZING
    WPARAM edge;     // WM_SIZING's side
  };
  const std::vector<Case> cases = {
      {"moved by the caption", kCaption, {30, 20}, 0, false, {130, 120, 430, 320}, SC_MOVE | HTCAPTION, WM_MOVING, 0},
      {"sized by the corner", kBottomRight, {40, 30}, 0, false, {100, 100, 440, 330}, SC_SIZE | WMSZ_BOTTOMRIGHT, WM_SIZING, WMSZ_BOTTOMRIGHT},
      {"sized by the left side", kLeft, {-25, 9}, 0, false, {75, 100, 400, 300}, SC_SIZE | WMSZ_LEFT, WM_SIZING, WMSZ_LEFT},
      {"not below the minimum", kLeft, {250, 0}, 0, false, {250, 100, 400, 300}, SC_SIZE | WMSZ_LEFT, WM_SIZING, WMSZ_LEFT},
      {"the window's own limit kept", kBottomRight, {40, 30}, 150, false, {100, 100, 440, 250}, SC_SIZE | WMSZ_BOTTOMRIGHT, WM_SIZING, WMSZ_BOTTOMRIGHT},
      {"cancelled with Escape", kCaption, {30, 20}, 0, true, {100, 100, 400, 300}, SC_MOVE | HTCAPTION, WM_MOVING, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND h = Make(WS_OVERLAPPEDWINDOW, start.left, start.top, start.right - start.left, start.bottom - start.top);
    g_fixed_height = c.fixedHeight;
    POINT client{0, 0};
    ClientToScreen(h, &client);
    const POINT press = c.where == kCaption ? POINT{start.left + 40, client.y - 5}
                        : c.where == kBottomRight ? POINT{start.right - 1, start.bottom - 1}
                                                  : POINT{start.left, (start.top + start.bottom) / 2};
    Screen().MouseDown(press.x, press.y);
    Screen().MouseMove(press.x + c.by.x / 2, press.y + c.by.y / 2);
    Screen().MouseMove(press.x + c.by.x, press.y + c.by.y);
    if (c.escape) Screen().PressKey(VK_ESCAPE);
    Screen().MouseUp(press.x + c.by.x, press.y + c.by.y);
    winplat::user::PumpMessages();
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);

    const std::vector<UINT> order = Only({WM_SYSCOMMAND, WM_ENTERSIZEMOVE, c.tracking, WM_EXITSIZEMOVE});
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(order.front(), static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(order[1], static_cast<UINT>(WM_ENTERSIZEMOVE));
    EXPECT_EQ(order.back(), static_cast<UINT>(WM_EXITSIZEMOVE));
    for (size_t i = 2; i + 1 < order.size(); ++i) EXPECT_EQ(order[i], c.tracking);
    for (auto& rec : g_log) {
      if (rec.msg == WM_SYSCOMMAND) EXPECT_EQ(rec.wp, c.command);
      if (rec.msg == WM_SIZING) EXPECT_EQ(rec.wp, c.edge);
    }
    // The window is placed while the mouse moves, each time after WM_MOVING / WM_SIZING.
    const std::vector<UINT> placing = Only({c.tracking, WM_WINDOWPOSCHANGED});
    ASSERT_GE(placing.size(), 2u);
    EXPECT_EQ(placing[0], c.tracking);
    EXPECT_EQ(placing[1], static_cast<UINT>(WM_WINDOWPOSCHANGED));
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(h);
  }
}

}  // namespace
