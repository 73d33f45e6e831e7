// A window's standard scroll bars: hiding and showing as the range needs them (the frame and
// the client area computed again), SIF_DISABLENOSCROLL and EnableScrollBar, the thumb drawn
// where it is dragged, arrows and page areas repeating while held (on the scripted clock), and
// moving and sizing a window with the keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "test_window_class.h"
#include "windows.h"
#include "winplat_screen.h"
#include "winplat_user.h"

namespace {

struct Rec {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
  RECT rect;   // WM_MOVING / WM_SIZING: the proposed rectangle
  UINT flags;  // WM_WINDOWPOSCHANGED's
};
std::vector<Rec> g_log;
// WM_VSCROLL SB_THUMBTRACK: the thumb's rows as drawn at that moment.
std::vector<std::pair<int, int>> g_thumb_seen;
bool g_page_scrolls = false;  // SB_PAGEUP / SB_PAGEDOWN move the position by the page

const COLORREF kTrack = RGB(236, 234, 230);

// The first and last row of the vertical bar's track (between the arrows) that are not the
// track's colour: the thumb. {-1, -1} when none.
std::pair<int, int> ThumbRows(HWND h) {
  RECT w, c;
  GetWindowRect(h, &w);
  GetClientRect(h, &c);
  POINT o{0, 0};
  ClientToScreen(h, &o);
  const int x = o.x - w.left + c.right + GetSystemMetrics(SM_CXVSCROLL) / 2;
  const int top = o.y - w.top, arrow = GetSystemMetrics(SM_CYHSCROLL);
  HDC dc = GetWindowDC(h);
  int first = -1, last = -1;
  for (int y = top + arrow; y < top + c.bottom - arrow; ++y) {
    if (GetPixel(dc, x, y) == kTrack) continue;
    if (first < 0) first = y - top;
    last = y - top;
  }
  ReleaseDC(h, dc);
  return {first, last};
}

LRESULT CALLBACK BarProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  Rec r{m, wp, lp, {}, 0};
  if (m == WM_MOVING || m == WM_SIZING) r.rect = *reinterpret_cast<RECT*>(lp);
  if (m == WM_WINDOWPOSCHANGED) r.flags = reinterpret_cast<WINDOWPOS*>(lp)->flags;
  if (m == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{150, 100};
  g_log.push_back(r);
  if (m == WM_VSCROLL && LOWORD(wp) == SB_THUMBTRACK) g_thumb_seen.push_back(ThumbRows(h));
  if (m == WM_VSCROLL && g_page_scrolls && (LOWORD(wp) == SB_PAGEDOWN || LOWORD(wp) == SB_PAGEUP)) {
    SCROLLINFO si{sizeof si, SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(h, SB_VERT, &si);
    SetScrollPos(h, SB_VERT, si.nPos + (LOWORD(wp) == SB_PAGEDOWN ? 1 : -1) * static_cast<int>(si.nPage), TRUE);
  }
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
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

std::vector<WORD> ScrollCodes() {
  std::vector<WORD> out;
  for (auto& r : g_log)
    if (r.msg == WM_VSCROLL || r.msg == WM_HSCROLL) out.push_back(LOWORD(r.wp));
  return out;
}

class ScrollBars : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::screen::SetBackend(nullptr);
    winplat::screen::ResetKeyState();
    ASSERT_TRUE(RegisterTestClassOnce(u"ScrollBarTest", BarProc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    g_page_scrolls = false;
    g_thumb_seen.clear();
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    winplat::user::PumpMessages();
    g_log.clear();
  }
  HWND Make(DWORD style, int x, int y, int w, int h) {
    HWND r = CreateWindowExW(0, u"ScrollBarTest", u"Bars", style | WS_VISIBLE, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    made_.push_back(r);
    winplat::user::PumpMessages();
    g_log.clear();
    return r;
  }
  static winplat::screen::HeadlessBackend& Screen() { return *winplat::screen::Headless(); }
  std::vector<HWND> made_;
};

SIZE ClientSize(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return SIZE{r.right, r.bottom};
}

TEST_F(ScrollBars, BarsHideAndShowWithTheRangeAndTheClientAreaFollows) {
  const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  enum Call { kInfo, kRange, kPos, kShow };
  struct Case {
    const char* name;
    int bar;
    bool shownBefore;
    Call call;
    int lo, hi, page;  // kPos: lo is the position; kShow: lo is the BOOL
    bool shownAfter;
  };
  const std::vector<Case> cases = {
      {"a page holding the whole range hides it", SB_VERT, true, kInfo, 0, 9, 10, false},
      {"a larger page hides it too", SB_VERT, true, kInfo, 0, 9, 50, false},
      {"one position more than the page shows it", SB_VERT, false, kInfo, 0, 10, 10, true},
      {"no page and a range shows it", SB_VERT, false, kInfo, 0, 100, 0, true},
      {"the old call hides it for min == max", SB_VERT, true, kRange, 5, 5, 0, false},
      {"the old call shows it for any other range", SB_VERT, false, kRange, 0, 5, 0, true},
      {"a needed bar stays without frame messages", SB_VERT, true, kInfo, 0, 50, 10, true},
      {"the position alone never shows it", SB_VERT, false, kPos, 3, 0, 0, false},
      {"the horizontal bar takes the height", SB_HORZ, true, kInfo, 0, 9, 10, false},
      {"and gives it back", SB_HORZ, false, kInfo, 0, 99, 10, true},
      {"ShowScrollBar hides a needed bar", SB_VERT, true, kShow, FALSE, 0, 0, false},
      {"ShowScrollBar shows it", SB_VERT, false, kShow, TRUE, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DWORD bit = c.bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    HWND h = Make(WS_POPUP | (c.shownBefore ? bit : 0), 10, 10, 200, 120);
    if (c.shownBefore) {
      SCROLLINFO need{sizeof need, SIF_RANGE | SIF_PAGE, 0, 99, 10, 0, 0};
      SetScrollInfo(h, c.bar, &need, FALSE);
    }
    ASSERT_EQ((GetWindowLongW(h, GWL_STYLE) & bit) != 0, c.shownBefore);
    g_log.clear();
    if (c.call == kInfo) {
      SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, c.lo, c.hi, static_cast<UINT>(c.page), 0, 0};
      SetScrollInfo(h, c.bar, &si, TRUE);
    } else if (c.call == kRange) {
      SetScrollRange(h, c.bar, c.lo, c.hi, TRUE);
    } else if (c.call == kPos) {
      SetScrollPos(h, c.bar, c.lo, TRUE);
    } else {
      ShowScrollBar(h, c.bar, c.lo);
    }
    EXPECT_EQ((GetWindowLongW(h, GWL_STYLE) & bit) != 0, c.shownAfter);
    const SIZE s = ClientSize(h);
    const int less = c.shownAfter ? (c.bar == SB_VERT ? cx : cy) : 0;
    EXPECT_EQ(s.cx, 200 - (c.bar == SB_VERT ? less : 0));
    EXPECT_EQ(s.cy, 120 - (c.bar == SB_HORZ ? less : 0));
    const std::vector<UINT> frame = Only({WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_SIZE});
    if (c.shownAfter == c.shownBefore) {
      EXPECT_TRUE(frame.empty());
    } else {
      const std::vector<UINT> order = {WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_SIZE};
      EXPECT_EQ(frame, order);
      for (auto& r : g_log) {
        if (r.msg == WM_SIZE) {
          EXPECT_EQ(LOWORD(r.lp), s.cx);
          EXPECT_EQ(HIWORD(r.lp), s.cy);
        }
        if (r.msg == WM_WINDOWPOSCHANGED) {
          EXPECT_TRUE(r.flags & SWP_FRAMECHANGED);
          EXPECT_TRUE((r.flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE));
        }
      }
    }
    // The range and position are kept whether shown or not.
    SCROLLINFO got{sizeof got, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(h, c.bar, &got));
    if (c.call == kInfo) {
      EXPECT_EQ(got.nMin, c.lo);
      EXPECT_EQ(got.nMax, c.hi);
    }
    DestroyWindow(h);
  }
}

TEST_F(ScrollBars, DisableNoScrollKeepsADisabledBarThatTakesNoClicks) {
  HWND h = Make(WS_POPUP | WS_VSCROLL, 10, 10, 200, 200);
  const int x = 200 - GetSystemMetrics(SM_CXVSCROLL) / 2, arrow = GetSystemMetrics(SM_CYHSCROLL);
  auto clickDownArrow = [&] {
    g_log.clear();
    Screen().Click(10 + x, 10 + 200 - arrow / 2);
    winplat::user::PumpMessages();
    return ScrollCodes();
  };
  const std::vector<WORD> scrolled = {SB_LINEDOWN, SB_ENDSCROLL};

  SCROLLINFO fits{sizeof fits, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 9, 10, 0, 0};
  SetScrollInfo(h, SB_VERT, &fits, TRUE);
  EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(ClientSize(h).cx, 200 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_TRUE(clickDownArrow().empty());
  EXPECT_EQ(ThumbRows(h).first, -1);  // no thumb on a disabled bar

  SCROLLINFO over{sizeof over, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 29, 10, 0, 0};
  SetScrollInfo(h, SB_VERT, &over, TRUE);
  EXPECT_EQ(clickDownArrow(), scrolled);  // enabled again

  // Without the flag the same range hides the bar; with it again, it comes back disabled.
  SetScrollInfo(h, SB_VERT, &fits, TRUE);
  SCROLLINFO plain = fits;
  plain.fMask = SIF_RANGE | SIF_PAGE;
  SetScrollInfo(h, SB_VERT, &plain, TRUE);
  EXPECT_FALSE(GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL);
  SetScrollInfo(h, SB_VERT, &fits, TRUE);
  EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(clickDownArrow().empty());

  // EnableScrollBar: one arrow or both; FALSE when nothing changes.
  SetScrollInfo(h, SB_VERT, &over, TRUE);
  EXPECT_TRUE(EnableScrollBar(h, SB_VERT, ESB_DISABLE_DOWN));
  EXPECT_FALSE(EnableScrollBar(h, SB_VERT, ESB_DISABLE_DOWN));
  EXPECT_TRUE(clickDownArrow().empty());
  g_log.clear();
  Screen().Click(10 + x, 10 + arrow / 2);
  winplat::user::PumpMessages();
  EXPECT_EQ(ScrollCodes(), (std::vector<WORD>{SB_LINEUP, SB_ENDSCROLL}));
  EXPECT_TRUE(EnableScrollBar(h, SB_BOTH, ESB_ENABLE_BOTH));
  EXPECT_EQ(clickDownArrow(), scrolled);
  EXPECT_FALSE(EnableScrollBar(h, 7, ESB_DISABLE_BOTH));
}

TEST_F(ScrollBars, TheThumbIsDrawnWhereItIsDraggedAndSizedByThePage) {
  const int height = 216, arrow = GetSystemMetrics(SM_CYHSCROLL);
  const int track = height - 2 * arrow;
  const int x = 200 - GetSystemMetrics(SM_CXVSCROLL) / 2;
  struct Case {
    UINT page;
    int dragTo;  // the thumb's top, in track pixels from the up arrow
  };
  for (const Case& c : std::vector<Case>{{10, 60}, {50, 30}, {100, 0}}) {
    SCOPED_TRACE(c.page);
    HWND h = Make(WS_POPUP | WS_VSCROLL, 0, 0, 200, height);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 199, c.page, 0, 0};
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    UpdateWindow(h);
    const int thumb = track * static_cast<int>(c.page) / 200;
    const std::pair<int, int> still = ThumbRows(h);
    EXPECT_EQ(still.first, arrow);
    EXPECT_NEAR(still.second - still.first + 1, thumb, 1);

    g_thumb_seen.clear();
    g_log.clear();
    Screen().MouseDown(x, arrow + 2);
    Screen().MouseMove(x, arrow + 2 + c.dragTo / 2);
    Screen().MouseMove(x, arrow + 2 + c.dragTo);
    Screen().MouseUp(x, arrow + 2 + c.dragTo);
    winplat::user::PumpMessages();
    // Each tracking message finds the thumb already drawn at its position; the window never
    // moved the bar (it keeps position 0).
    int tracked = 0;
    for (auto& r : g_log) {
      if (r.msg != WM_VSCROLL || LOWORD(r.wp) != SB_THUMBTRACK) continue;
      const int pos = HIWORD(r.wp);
      const int span = 200 - static_cast<int>(c.page);
      const int top = arrow + (track - thumb) * pos / span;
      ASSERT_LT(static_cast<size_t>(tracked), g_thumb_seen.size());
      EXPECT_NEAR(g_thumb_seen[static_cast<size_t>(tracked)].first, top, 1) << "position " << pos;
      EXPECT_NEAR(g_thumb_seen[static_cast<size_t>(tracked)].second - g_thumb_seen[static_cast<size_t>(tracked)].first + 1, thumb, 1);
      ++tracked;
    }
    if (c.dragTo > 0) {
      EXPECT_GT(tracked, 0);
      EXPECT_NEAR(g_thumb_seen.back().first, arrow + c.dragTo, 1);
    }
    // After the drag the bar shows the window's position again.
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 0);
    SCROLLINFO tp{sizeof tp, SIF_TRACKPOS, 0, 0, 0, 0, -1};
    GetScrollInfo(h, SB_VERT, &tp);
    EXPECT_EQ(tp.nTrackPos, 0);
    UpdateWindow(h);
    EXPECT_EQ(ThumbRows(h).first, arrow);
    DestroyWindow(h);
  }
}

// Timers run on the scripted clock here: time passes only at Elapse.
class ScrollRepeat : public ScrollBars {
 protected:
  void SetUp() override {
    ScrollBars::SetUp();
    Screen().SetScriptedClock(true);
  }
};

TEST_F(ScrollRepeat, HeldArrowsRepeatAfterTheDelayWhileThePointerStaysOnThem) {
  const int x = 200 - GetSystemMetrics(SM_CXVSCROLL) / 2, arrow = GetSystemMetrics(SM_CYHSCROLL);
  const POINT down{x, 200 - arrow / 2}, off{x - 60, 100};
  struct Step {
    enum { kWait, kMove } what;
    int ms;
    POINT to;
  };
  struct Case {
    const char* name;
    std::vector<Step> held;
    int linesDown;
  };
  const std::vector<Case> cases = {
      {"released before the first repeat", {{Step::kWait, 249, {}}}, 1},
      {"the first repeat after the delay", {{Step::kWait, 249, {}}, {Step::kWait, 1, {}}}, 2},
      {"then at the repeat rate", {{Step::kWait, 250, {}}, {Step::kWait, 50, {}}, {Step::kWait, 49, {}}, {Step::kWait, 1, {}}}, 4},
      {"paused while the pointer is off the arrow",
       {{Step::kWait, 250, {}}, {Step::kMove, 0, off}, {Step::kWait, 50, {}}, {Step::kWait, 50, {}},
        {Step::kMove, 0, down}, {Step::kWait, 50, {}}},
       3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND h = Make(WS_POPUP | WS_VSCROLL, 0, 0, 200, 200);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 99, 10, 0, 0};
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    g_log.clear();
    Screen().MouseDown(down.x, down.y);
    POINT at = down;
    for (const Step& s : c.held) {
      if (s.what == Step::kWait) Screen().Elapse(static_cast<UINT>(s.ms));
      else Screen().MouseMove((at = s.to).x, s.to.y);
    }
    Screen().MouseUp(at.x, at.y);
    winplat::user::PumpMessages();
    std::vector<WORD> expected(static_cast<size_t>(c.linesDown), SB_LINEDOWN);
    expected.push_back(SB_ENDSCROLL);
    EXPECT_EQ(ScrollCodes(), expected);
    EXPECT_EQ(Only({WM_MOUSEMOVE, WM_LBUTTONUP, WM_TIMER}).size(), 0u);
    EXPECT_EQ(GetCapture(), nullptr);
    // No tick is left over once the button is up.
    Screen().Elapse(1000);
    g_log.clear();
    winplat::user::PumpMessages();
    EXPECT_TRUE(ScrollCodes().empty());
    DestroyWindow(h);
  }
}

TEST_F(ScrollRepeat, AHeldPageAreaRepeatsUntilTheThumbReachesThePointer) {
  g_page_scrolls = true;
  const int x = 200 - GetSystemMetrics(SM_CXVSCROLL) / 2, arrow = GetSystemMetrics(SM_CYHSCROLL);
  HWND h = Make(WS_POPUP | WS_VSCROLL, 0, 0, 200, 200);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  const int y = 200 - arrow - 40;  // in the lower page area, short of the end
  Screen().MouseDown(x, y);
  for (int i = 0; i < 20; ++i) Screen().Elapse(i == 0 ? 250 : 50);
  Screen().MouseUp(x, y);
  winplat::user::PumpMessages();
  const std::vector<WORD> codes = ScrollCodes();
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes.back(), SB_ENDSCROLL);
  const size_t pages = codes.size() - 1;
  for (size_t i = 0; i < pages; ++i) EXPECT_EQ(codes[i], SB_PAGEDOWN);
  EXPECT_LT(pages, 20u);  // it stopped before the ticks ran out
  // The thumb is under the pointer now, and was not one page earlier.
  const int track = 200 - 2 * arrow, thumb = track * 10 / 100;
  auto thumbTop = [&](int pos) { return arrow + (track - thumb) * pos / 90; };
  const int pos = GetScrollPos(h, SB_VERT);
  EXPECT_EQ(pos, static_cast<int>(pages) * 10);
  EXPECT_LE(thumbTop(pos), y);
  EXPECT_GE(thumbTop(pos) + thumb, y);
  EXPECT_LT(thumbTop(pos - 10) + thumb, y);
}

TEST_F(ScrollBars, KeyboardMoveAndSizeFollowTheArrowKeys) {
  const RECT start{100, 100, 400, 300};
  struct Case {
    const char* name;
    WPARAM command;
    std::vector<UINT> keys;  // the last one ends the loop
    RECT expected;
    std::vector<WPARAM> edges;  // WM_SIZING's, one per step that sized
  };
  const std::vector<Case> cases = {
      {"moved right and down", SC_MOVE, {VK_RIGHT, VK_RIGHT, VK_DOWN, VK_RETURN}, {116, 108, 416, 308}, {}},
      {"a move undone by Escape", SC_MOVE, {VK_LEFT, VK_UP, VK_UP, VK_ESCAPE}, start, {}},
      {"the first key picks the right side", SC_SIZE, {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN}, {100, 100, 416, 300},
       {WMSZ_RIGHT, WMSZ_RIGHT}},
      {"then a corner", SC_SIZE, {VK_RIGHT, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}, {100, 100, 408, 308},
       {WMSZ_RIGHT, WMSZ_BOTTOMRIGHT}},
      {"the left side moved in", SC_SIZE, {VK_LEFT, VK_RIGHT, VK_RIGHT, VK_RETURN}, {116, 100, 400, 300},
       {WMSZ_LEFT, WMSZ_LEFT}},
      {"the top side moved up", SC_SIZE, {VK_UP, VK_UP, VK_RETURN}, {100, 92, 400, 300}, {WMSZ_TOP}},
      {"a size undone by Escape", SC_SIZE, {VK_DOWN, VK_DOWN, VK_DOWN, VK_ESCAPE}, start, {WMSZ_BOTTOM, WMSZ_BOTTOM}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND h = Make(WS_OVERLAPPEDWINDOW, start.left, start.top, start.right - start.left, start.bottom - start.top);
    for (UINT k : c.keys) Screen().PressKey(k);
    g_log.clear();
    SendMessageW(h, WM_SYSCOMMAND, c.command, 0);
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_TRUE(EqualRect(&r, &c.expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    const UINT tracking = c.command == SC_MOVE ? WM_MOVING : WM_SIZING;
    const std::vector<UINT> order = Only({WM_ENTERSIZEMOVE, WM_MOVING, WM_SIZING, WM_EXITSIZEMOVE});
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order.front(), static_cast<UINT>(WM_ENTERSIZEMOVE));
    EXPECT_EQ(order.back(), static_cast<UINT>(WM_EXITSIZEMOVE));
    for (size_t i = 1; i + 1 < order.size(); ++i) EXPECT_EQ(order[i], tracking);
    std::vector<WPARAM> edges;
    for (auto& rec : g_log)
      if (rec.msg == WM_SIZING) edges.push_back(rec.wp);
    EXPECT_EQ(edges, c.edges);
    // Each step proposes 8 pixels more and is placed at once.
    if (c.command == SC_MOVE) {
      const std::vector<Rec*> moving = [&] {
        std::vector<Rec*> v;
        for (auto& rec : g_log)
          if (rec.msg == WM_MOVING) v.push_back(&rec);
        return v;
      }();
      ASSERT_EQ(moving.size(), c.keys.size() - 1);
      EXPECT_EQ(std::abs(moving[0]->rect.left - start.left) + std::abs(moving[0]->rect.top - start.top), 8);
    }
    // The loop's keys never reach the window.
    EXPECT_EQ(Only({WM_KEYDOWN, WM_KEYUP, WM_CHAR}).size(), 0u);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(h);
  }
}

TEST_F(ScrollBars, KeyboardSizingStopsAtTheTrackingLimits) {
  HWND h = Make(WS_OVERLAPPEDWINDOW, 100, 100, 300, 200);
  Screen().PressKey(VK_LEFT);  // the left side
  for (int i = 0; i < 30; ++i) Screen().PressKey(VK_RIGHT);
  Screen().PressKey(VK_RETURN);
  SendMessageW(h, WM_SYSCOMMAND, SC_SIZE, 0);
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r.right, 400);
  EXPECT_EQ(r.right - r.left, 150);  // the window's minimum tracking width
}

}  // namespace
