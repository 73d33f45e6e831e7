// The scroll bars of the list box, the multi-line edit and the list view: none while the
// content fits, shown once it overflows and gone again when it fits; LBS_DISABLENOSCROLL keeps
// a disabled bar, LVS_NOSCROLL never shows one.
#include "control_fixture.h"

#include <string>

namespace {

class ScrollingControls : public TestFontControls {
 protected:
  bool HasBar(HWND h) const { return (GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL) != 0; }
  int ClientWidth(HWND h) const {
    RECT r;
    GetClientRect(h, &r);
    return r.right;
  }
  // Clicks the middle of the vertical bar's lower arrow of a child of the parent.
  void ClickDownArrow(HWND h) {
    RECT w;
    GetWindowRect(h, &w);
    const int x = w.right - 1 - GetSystemMetrics(SM_CXVSCROLL) / 2;
    const int y = w.bottom - 1 - GetSystemMetrics(SM_CYHSCROLL) / 2;
    Screen().Click(x, y);
    Pump();
  }
};

std::u16string Numbered(const char16_t* stem, int i) {
  std::u16string s = stem;
  if (i >= 10) s += static_cast<char16_t>(u'0' + i / 10);
  s += static_cast<char16_t>(u'0' + i % 10);
  return s;
}

// Puts `n` items (or lines) in the control, replacing what it had.
void FillListBox(HWND h, int n) {
  SendMessageW(h, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < n; ++i) SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Numbered(u"Item ", i).c_str()));
}
void FillEdit(HWND h, int n) {
  std::u16string text;
  for (int i = 0; i < n; ++i) text += Numbered(u"Line ", i) + (i + 1 < n ? u"\r\n" : u"");
  SetWindowTextW(h, text.c_str());
}
void FillListView(HWND h, int n) {
  SendMessageW(h, LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < n; ++i) {
    std::u16string s = Numbered(u"File ", i);
    LVITEMW it{};
    it.mask = LVIF_TEXT;
    it.iItem = i;
    it.pszText = s.data();
    SendMessageW(h, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
  }
}
int FirstShown(HWND h, const char16_t* cls) {
  if (cls[0] == u'L' && cls[1] == u'I') return static_cast<int>(SendMessageW(h, LB_GETTOPINDEX, 0, 0));
  if (cls[0] == u'E') return static_cast<int>(SendMessageW(h, EM_GETFIRSTVISIBLELINE, 0, 0));
  return static_cast<int>(SendMessageW(h, LVM_GETTOPINDEX, 0, 0));
}

TEST_F(ScrollingControls, BarsComeWithOverflowAndGoWhenTheContentFits) {
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  struct Case {
    const char* name;
    const char16_t* cls;
    DWORD style;
    void (*fill)(HWND, int);
    int few, many;
    bool keptDisabled;  // a bar also while the content fits, taking no clicks
    bool never;         // no bar at all
  };
  const std::vector<Case> cases = {
      {"list box", u"LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, FillListBox, 3, 20, false, false},
      {"list box that keeps its bar", u"LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL, FillListBox, 3, 20, true, false},
      {"multi-line edit", u"EDIT", WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, FillEdit, 2, 20, false, false},
      {"list view", WC_LISTVIEWW, LVS_SMALLICON, FillListView, 2, 20, false, false},
      {"list view without scrolling", WC_LISTVIEWW, LVS_SMALLICON | LVS_NOSCROLL, FillListView, 2, 20, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND h = Child(c.cls, u"", WS_BORDER | c.style, 10, 10, 150, 100, 700);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    const int full = 150 - 2;
    struct Step {
      int items;
      bool bar;
    };
    const bool fewBar = c.keptDisabled;
    for (const Step& s : {Step{0, fewBar}, Step{c.few, fewBar}, Step{c.many, !c.never}, Step{c.few, fewBar}}) {
      SCOPED_TRACE(s.items);
      c.fill(h, s.items);
      Pump();
      EXPECT_EQ(HasBar(h), s.bar);
      EXPECT_EQ(ClientWidth(h), full - (s.bar ? bar : 0));
    }
    // The bar scrolls what overflows; a bar kept for content that fits does nothing.
    if (c.keptDisabled) {
      ClickDownArrow(h);
      EXPECT_EQ(FirstShown(h, c.cls), 0);
      EXPECT_TRUE(HasBar(h));
    }
    if (!c.never) {
      c.fill(h, c.many);
      Pump();
      ClickDownArrow(h);
      EXPECT_GT(FirstShown(h, c.cls), 0);
    }
    DestroyWindow(h);
  }
}

TEST_F(ScrollingControls, ScreenshotsOfAListBoxGrowingPastItsHeight) {
  winplat::gdi::UseTestFontForAll(false);  // the real font, to look at
  HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND list = Child(u"LISTBOX", u"", WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 10, 10, 160, 110, 701);
  HWND kept = Child(u"LISTBOX", u"", WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL, 190, 10, 160, 110, 702);
  for (HWND h : {list, kept}) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  auto add = [&](int from, int to) {
    for (HWND h : {list, kept})
      for (int i = from; i < to; ++i) {
        std::u16string s = Numbered(u"チョーク ", i);
        SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
      }
    Pump();
  };
  add(0, 3);
  EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(GetWindowLongW(kept, GWL_STYLE) & WS_VSCROLL);
  SaveWindowShot(parent, "listbox_few_items.png");
  add(3, 16);
  EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL);
  SendMessageW(list, LB_SETCURSEL, 15, 0);  // scrolled to the end: the thumb at the bottom
  Pump();
  SaveWindowShot(parent, "listbox_many_items.png");
  EXPECT_GT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0);
}

}  // namespace
