// List boxes of several columns and of variable item heights, and folder listings (LB_DIR),
// with the fixed-metric test font (10 pixels: rows 10 high, characters 5 wide).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <array>
#include <string>
#include <vector>

#include "control_fixture.h"
#include "wintext.h"

namespace {

class ListLayout : public TestFontControls {
 protected:
  HWND List(DWORD style, int w, int h) {
    HWND l = Child(u"LISTBOX", u"", style, 0, 0, w, h, 500);
    SendMessageW(l, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return l;
  }
  static void Add(HWND l, int n) {
    for (int i = 0; i < n; ++i) {
      std::u16string s = u"item " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
      SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    }
  }
  static RECT ItemRect(HWND l, int i) {
    RECT r{};
    SendMessageW(l, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
  }
  void ClickItem(HWND l, int i) {
    RECT r = ItemRect(l, i);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(l, &p);
    Screen().Click(p.x, p.y);
    Pump();
  }
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(ListLayout, MultiColumnListFlowsDownColumnsAndScrollsByColumns) {
  // 100 pixels high above the scroll bar: columns of 10 rows; 150 wide with 50-pixel columns:
  // 3 columns show.
  HWND l = List(LBS_MULTICOLUMN | LBS_NOTIFY | WS_HSCROLL, 150, 100 + GetSystemMetrics(SM_CYHSCROLL));
  SendMessageW(l, LB_SETCOLUMNWIDTH, 50, 0);
  Add(l, 40);
  struct Case { int index; RECT rect; } cases[] = {
      {0, {0, 0, 50, 10}}, {9, {0, 90, 50, 100}}, {10, {50, 0, 100, 10}}, {23, {100, 30, 150, 40}}, {35, {150, 50, 200, 60}},
  };
  for (const Case& c : cases) EXPECT_TRUE(SameRect(ItemRect(l, c.index), c.rect)) << c.index;
  // A point names the item of its column and row.
  EXPECT_EQ(LOWORD(SendMessageW(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(120, 35))), 23);

  ClickItem(l, 23);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 23);
  EXPECT_EQ(CountCommands(500, LBN_SELCHANGE), 1);
  // Right goes a column along; into the fourth column the list scrolls by one column.
  SetFocus(l);
  Screen().PressKey(VK_RIGHT);
  Pump();
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 33);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 10);
  EXPECT_TRUE(SameRect(ItemRect(l, 33), RECT{100, 30, 150, 40}));
  Screen().PressKey(VK_LEFT);
  Screen().PressKey(VK_UP);
  Pump();
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 22);
  // The scroll bar moves the view by columns and keeps the last page full.
  SendMessageW(l, WM_HSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 0);
  SendMessageW(l, WM_HSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 10);
  EXPECT_EQ(ScrollBar(l, SB_HORZ), (std::array<int, 3>{3, 3, 1}));  // range end, page, position
  // LB_SETTOPINDEX rounds to the first item of a column.
  SendMessageW(l, LB_SETTOPINDEX, 4, 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 0);
}

TEST_F(ListLayout, VariableHeightItemsAreMeasuredOneByOne) {
  g_measure = [](UINT i) { return 10 + 5 * static_cast<int>(i); };
  HWND l = List(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOTIFY, 100, 60);
  Add(l, 6);  // heights 10, 15, 20, 25, 30, 35
  EXPECT_EQ(SendMessageW(l, LB_GETITEMHEIGHT, 3, 0), 25);
  EXPECT_EQ(SendMessageW(l, LB_GETITEMHEIGHT, 9, 0), LB_ERR);
  EXPECT_TRUE(SameRect(ItemRect(l, 2), RECT{0, 25, 100, 45}));
  EXPECT_EQ(LOWORD(SendMessageW(l, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 30))), 2);

  // Selecting item 4 scrolls until its bottom edge shows: items 3 and 4 fill 55 of 60 pixels.
  SendMessageW(l, LB_SETCURSEL, 4, 0);
  EXPECT_EQ(SendMessageW(l, LB_GETTOPINDEX, 0, 0), 3);
  EXPECT_TRUE(SameRect(ItemRect(l, 4), RECT{0, 25, 100, 55}));
  g_drawn.clear();
  UpdateWindow(l);
  ASSERT_GE(g_drawn.size(), 2u);
  EXPECT_EQ(g_drawn[0].itemID, 3u);
  EXPECT_EQ(g_drawn[0].rcItem.bottom - g_drawn[0].rcItem.top, 25);
  EXPECT_EQ(g_drawn[1].itemID, 4u);
  EXPECT_TRUE(g_drawn[1].itemState & ODS_SELECTED);

  // A new height for one item moves the ones below it.
  SendMessageW(l, LB_SETITEMHEIGHT, 3, MAKELPARAM(12, 0));
  EXPECT_TRUE(SameRect(ItemRect(l, 4), RECT{0, 12, 100, 42}));
  ClickItem(l, 3);
  EXPECT_EQ(SendMessageW(l, LB_GETCURSEL, 0, 0), 3);
}

class ListDirectory : public ListLayout {
 protected:
  void SetUp() override {
    ListLayout::SetUp();
    namespace fs = std::filesystem;
    dir_ = fs::current_path() / "lbdir";
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
    fs::create_directories(dir_ / ".cache");
    for (const char* n : {"1.bmp", "1g.bmp", "2.BMP", "1.dat", "notes.txt", ".hidden.bmp", "ro.bmp"})
      std::ofstream(dir_ / n) << "x";
    fs::permissions(dir_ / "ro.bmp", fs::perms::owner_read, fs::perm_options::replace);
  }
  void TearDown() override {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(dir_ / "ro.bmp", fs::perms::owner_all, fs::perm_options::replace, ec);
    fs::remove_all(dir_, ec);
    ListLayout::TearDown();
  }
  static std::vector<std::u16string> Items(HWND l) {
    std::vector<std::u16string> out;
    int n = static_cast<int>(SendMessageW(l, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char16_t buf[300] = {};
      SendMessageW(l, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
      out.emplace_back(buf);
    }
    return out;
  }
  std::filesystem::path dir_;
};

TEST_F(ListDirectory, DirListsTheEntriesOfTheAskedKinds) {
  using L = std::vector<std::u16string>;
  struct Case {
    UINT attrs;
    const char16_t* spec;
    L want;
  } cases[] = {
      // Read-write files are always listed, the others only when their kind is asked for.
      {DDL_READWRITE, u"lbdir\\*.bmp", L{u"1.bmp", u"1g.bmp", u"2.BMP"}},
      {DDL_READONLY, u"lbdir\\*.bmp", L{u"1.bmp", u"1g.bmp", u"2.BMP", u"ro.bmp"}},
      {DDL_READONLY | DDL_EXCLUSIVE, u"lbdir/*.bmp", L{u"ro.bmp"}},
      {DDL_HIDDEN, u"lbdir\\*.BMP", L{u".hidden.bmp", u"1.bmp", u"1g.bmp", u"2.BMP"}},
      {DDL_READWRITE, u"lbdir\\?.dat", L{u"1.dat"}},
      // Folders in brackets whatever the pattern (hidden ones only when asked), and the drive.
      {DDL_DIRECTORY, u"lbdir\\*.txt", L{u"[..]", u"[sub]", u"notes.txt"}},
      {DDL_DIRECTORY | DDL_EXCLUSIVE | DDL_DRIVES, u"lbdir\\*.*", L{u"[..]", u"[sub]", u"[-c-]"}},
      {DDL_READWRITE, u"lbdir\\*.png", L{}},
  };
  for (const Case& c : cases) {
    HWND l = List(LBS_SORT, 100, 100);
    int last = static_cast<int>(SendMessageW(l, LB_DIR, c.attrs, reinterpret_cast<LPARAM>(c.spec)));
    L got = Items(l);
    std::sort(got.begin(), got.end());
    L want = c.want;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want) << "attrs " << c.attrs;
    // The answer is the index of the last entry added, LB_ERR when none was.
    if (want.empty()) EXPECT_EQ(last, LB_ERR);
    else EXPECT_TRUE(last >= 0 && last < static_cast<int>(want.size())) << last;
    DestroyWindow(l);
  }
  // From an ANSI caller the file pattern is in the code page; a missing folder lists nothing.
  HWND l = List(0, 100, 100);
  EXPECT_GE(SendMessageA(l, LB_DIR, DDL_READWRITE, reinterpret_cast<LPARAM>("lbdir\\*.dat")), 0);
  EXPECT_EQ(Items(l), L{u"1.dat"});
  EXPECT_EQ(SendMessageW(l, LB_DIR, DDL_READWRITE, reinterpret_cast<LPARAM>(u"nowhere\\*.*")), LB_ERR);
  EXPECT_EQ(SendMessageW(l, LB_GETCOUNT, 0, 0), 1);
}

}  // namespace
