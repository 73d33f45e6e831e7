// LISTBOX without data (LBS_NODATA): a count of rows the owner draws, with selection, scrolling
// and the keyboard as for other lists, and row texts that a procedure of the window answers,
// converted between ANSI and Unicode callers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control_fixture.h"

namespace {

constexpr DWORD kNoData = LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;

class NoDataList : public ControlWindows {
 protected:
  void SetUp() override {
    ControlWindows::SetUp();
    g_drawn.clear();
    g_deleted.clear();
    // 210 pixels of client at 21 per row: ten rows show.
    list = Child(u"LISTBOX", u"", kNoData, 10, 10, 200, 210, 7);
    RECT r;
    GetClientRect(list, &r);
    rows = (r.bottom - r.top) / 21;
  }
  HWND list = nullptr;
  int rows = 0;
};

TEST_F(NoDataList, HoldsACountOfRowsWithoutTextsOrData) {
  ASSERT_EQ(SendMessageW(list, LB_SETCOUNT, 100000, 0), 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 100000);
  char16_t buf[32] = {};
  const char16_t* text = u"row";
  struct Case { UINT msg; WPARAM wp; LPARAM lp; LRESULT want; };
  const std::vector<Case> cases = {
      {LB_GETTEXTLEN, 5, 0, LB_ERR},
      {LB_GETTEXT, 5, reinterpret_cast<LPARAM>(buf), LB_ERR},
      {LB_SETITEMDATA, 5, 1234, LB_ERR},
      {LB_GETITEMDATA, 5, 0, 0},
      {LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text), LB_ERR},
      {LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text), LB_ERR},
      {LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text), LB_ERR},
      {LB_SETCOUNT, static_cast<WPARAM>(-1), 0, LB_ERR},
  };
  for (const auto& c : cases) EXPECT_EQ(SendMessageW(list, c.msg, c.wp, c.lp), c.want) << std::hex << c.msg;
  // Adding ignores the data given; inserting and deleting change the count.
  EXPECT_EQ(SendMessageW(list, LB_ADDSTRING, 0, 4321), 100000);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 100000, 0), 0);
  EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 0, 0), 100000);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 100000);
  // Only a list without data has a count to set.
  HWND plain = Child(u"LISTBOX", u"", LBS_NOTIFY, 220, 10, 100, 100, 8);
  EXPECT_EQ(SendMessageW(plain, LB_SETCOUNT, 10, 0), LB_ERR);
  HWND strings = Child(u"LISTBOX", u"", kNoData | LBS_HASSTRINGS, 220, 120, 100, 100, 9);
  EXPECT_EQ(SendMessageW(strings, LB_SETCOUNT, 10, 0), LB_ERR);
  // A row count that does not fit in memory is refused, and the rows stay.
  EXPECT_EQ(SendMessageW(list, LB_SETCOUNT, 0x7FFFFFFF, 0), LB_ERRSPACE);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 100000);
  // The owner hears of no row that goes.
  DestroyWindow(list);
  EXPECT_TRUE(g_deleted.empty());
}

TEST_F(NoDataList, SelectsScrollsAndDrawsTheRowsInView) {
  ASSERT_EQ(SendMessageW(list, LB_SETCOUNT, 100000, 0), 0);
  ASSERT_EQ(rows, 10);
  EXPECT_EQ(ScrollBar(list, SB_VERT), (std::array<int, 3>{99999, 10, 0}));
  EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 99999, 0), 99999);
  EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 99990);
  EXPECT_EQ(ScrollBar(list, SB_VERT)[2], 99990);
  // Keys move the selection and the view, and the parent hears of each change.
  SetFocus(list);
  struct Step { UINT vk; int sel; int top; };
  const std::vector<Step> steps = {
      {VK_HOME, 0, 0}, {VK_NEXT, 9, 0}, {VK_NEXT, 18, 9}, {VK_DOWN, 19, 10}, {VK_END, 99999, 99990}, {VK_UP, 99998, 99990},
  };
  for (const auto& s : steps) {
    g_commands.clear();
    SendMessageW(list, WM_KEYDOWN, s.vk, 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), s.sel) << s.vk;
    EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), s.top) << s.vk;
    EXPECT_EQ(CountCommands(7, LBN_SELCHANGE), 1) << s.vk;
  }
  // A typed character finds nothing to go to in rows without text.
  SendMessageW(list, WM_CHAR, u'a', 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 99998);
  // Only the rows in view are drawn, each by its number, without data.
  SendMessageW(list, LB_SETTOPINDEX, 50000, 0);
  g_drawn.clear();
  InvalidateRect(list, nullptr, TRUE);
  UpdateWindow(list);
  ASSERT_EQ(g_drawn.size(), 10u);
  for (size_t i = 0; i < g_drawn.size(); ++i) {
    EXPECT_EQ(g_drawn[i].itemID, 50000 + i);
    EXPECT_EQ(g_drawn[i].itemData, 0u);
    EXPECT_EQ(g_drawn[i].rcItem.top, static_cast<LONG>(21 * i));
  }
  // Fewer rows: a selection past the end goes, the view stays inside.
  SendMessageW(list, LB_SETCURSEL, 70000, 0);
  EXPECT_EQ(SendMessageW(list, LB_SETCOUNT, 60000, 0), 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_LT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 60000);
  // A click selects the row under the pointer.
  SendMessageW(list, LB_SETTOPINDEX, 100, 0);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 21 * 3 + 5));
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(20, 21 * 3 + 5));
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 103);
}

TEST_F(NoDataList, SeveralRowsSelectedAtOnce) {
  HWND multi = Child(u"LISTBOX", u"", kNoData | LBS_EXTENDEDSEL, 220, 10, 150, 210, 9);
  ASSERT_EQ(SendMessageW(multi, LB_SETCOUNT, 100000, 0), 0);
  EXPECT_EQ(SendMessageW(multi, LB_SELITEMRANGEEX, 10, 99990), 0);
  EXPECT_EQ(SendMessageW(multi, LB_GETSELCOUNT, 0, 0), 99981);
  EXPECT_EQ(SendMessageW(multi, LB_GETSEL, 99990, 0), 1);
  EXPECT_EQ(SendMessageW(multi, LB_GETSEL, 99991, 0), 0);
}

// Row texts answered by a subclass of the window, in the subclass's own characters.
WNDPROC g_list_proc = nullptr;

LRESULT CALLBACK WideRows(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == LB_GETTEXTLEN || msg == LB_GETTEXT) {
    if (static_cast<int>(wp) >= SendMessageW(h, LB_GETCOUNT, 0, 0)) return LB_ERR;
    std::u16string s = u"行 " + std::u16string(1, static_cast<char16_t>(u'0' + wp % 10));
    if (msg == LB_GETTEXT) std::copy(s.c_str(), s.c_str() + s.size() + 1, reinterpret_cast<char16_t*>(lp));
    return static_cast<LRESULT>(s.size());
  }
  return CallWindowProcW(g_list_proc, h, msg, wp, lp);
}

LRESULT CALLBACK AnsiRows(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == LB_GETTEXTLEN || msg == LB_GETTEXT) {
    if (static_cast<int>(wp) >= SendMessageA(h, LB_GETCOUNT, 0, 0)) return LB_ERR;
    std::string s = "\x8d\x73 " + std::string(1, static_cast<char>('0' + wp % 10));  // 行 in code page 932
    if (msg == LB_GETTEXT) std::copy(s.c_str(), s.c_str() + s.size() + 1, reinterpret_cast<char*>(lp));
    return static_cast<LRESULT>(s.size());
  }
  return CallWindowProcA(g_list_proc, h, msg, wp, lp);
}

TEST_F(NoDataList, RowTextsOfASubclassReachCallersOfEitherKind) {
  SendMessageW(list, LB_SETCOUNT, 20, 0);
  struct Case { bool wideSubclass; };
  for (const Case c : {Case{true}, Case{false}}) {
    g_list_proc = c.wideSubclass
                      ? reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WideRows)))
                      : reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnsiRows)));
    SCOPED_TRACE(c.wideSubclass ? "wide subclass" : "ANSI subclass");
    // Unicode caller.
    EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 13, 0), 3);
    char16_t wide[16] = {};
    EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 13, reinterpret_cast<LPARAM>(wide)), 3);
    EXPECT_EQ(std::u16string(wide), u"行 3");
    // ANSI caller: the double-byte character counts two.
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 14, 0), 4);
    char ansi[16] = {};
    EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 14, reinterpret_cast<LPARAM>(ansi)), 4);
    EXPECT_EQ(std::string(ansi), "\x8d\x73 4");
    // A row past the end is an error for both.
    EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 20, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 20, 0), LB_ERR);
    if (c.wideSubclass) SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_list_proc));
    else SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_list_proc));
  }
}

}  // namespace
