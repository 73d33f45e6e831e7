// Multi-line edits: wrapping at word boundaries, line queries, moving by shown lines and
// scrolling, with the fixed-metric test font (10 pixels: lines 10 high, characters 5 wide).
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "control_fixture.h"
#include "wintext.h"

namespace {

class MultilineEdit : public TestFontControls {
 protected:
  // 100 pixels wide with the 1-pixel margins: 19 characters fit on a line.
  HWND Edit(DWORD style, const char16_t* text, int w = 100, int h = 100) {
    HWND e = Child(u"EDIT", u"", ES_MULTILINE | style, 0, 0, w, h, 600);
    SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SetWindowTextW(e, text);
    return e;
  }
  static int Caret(HWND e) {
    DWORD s = 0, end = 0;
    SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end);
  }
  static std::u16string Line(HWND e, int i) {
    char16_t buf[64] = {};
    buf[0] = 63;
    LRESULT n = SendMessageW(e, EM_GETLINE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    return std::u16string(buf, static_cast<size_t>(n));
  }
};

TEST_F(MultilineEdit, LinesWrapAtTheLastBlankThatFits) {
  struct Case {
    DWORD style;
    const char16_t* text;
    std::vector<std::u16string> lines;
  } cases[] = {
      // Blanks stay at the end of the line they follow, even past the edge.
      {0, u"the quick brown fox jumps over the lazy dog", {u"the quick brown fox ", u"jumps over the lazy ", u"dog"}},
      // A word longer than the line is cut where it reaches the edge.
      {0, u"abcdefghijklmnopqrstuvwxyz end", {u"abcdefghijklmnopqrs", u"tuvwxyz end"}},
      // Line breaks end lines; each piece wraps on its own.
      {0, u"one\r\n\r\nthe quick brown fox jumps", {u"one", u"", u"the quick brown fox ", u"jumps"}},
      // Full-width characters are 10 pixels: nine to a line.
      {0, u"黒板にチョークで字を書きます", {u"黒板にチョークで字", u"を書きます"}},
      // An edit that scrolls sideways does not wrap.
      {ES_AUTOHSCROLL, u"the quick brown fox jumps over the lazy dog", {u"the quick brown fox jumps over the lazy dog"}},
  };
  for (const Case& c : cases) {
    HWND e = Edit(c.style, c.text);
    ASSERT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(c.lines.size())) << c.lines[0].size();
    size_t expectStart = 0;
    const std::u16string text = c.text;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(Line(e, static_cast<int>(i)), c.lines[i]);
      LRESULT start = SendMessageW(e, EM_LINEINDEX, i, 0);
      EXPECT_EQ(start, static_cast<LRESULT>(expectStart)) << "line " << i;
      EXPECT_EQ(SendMessageW(e, EM_LINEFROMCHAR, static_cast<WPARAM>(start), 0), static_cast<LRESULT>(i));
      EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, static_cast<WPARAM>(start), 0), static_cast<LRESULT>(c.lines[i].size()));
      expectStart += c.lines[i].size();
      if (text.compare(expectStart, 2, u"\r\n") == 0) expectStart += 2;
    }
    DestroyWindow(e);
  }
}

TEST_F(MultilineEdit, KeysMoveAlongShownLines) {
  HWND e = Edit(0, u"the quick brown fox jumps over the lazy dog");
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 4, 4);
  struct Step {
    UINT vk;
    int caret;
  } steps[] = {
      {VK_END, 19},   // before the blank that hangs at the end of the first line
      {VK_DOWN, 39},  // the same x on the second line
      {VK_HOME, 20},
      {VK_DOWN, 40},
      {VK_END, 43},   // the last line ends at the text's end
      {VK_UP, 23},
      {VK_PRIOR, 3},  // a page of 9 lines up stops at the first line
  };
  for (const Step& s : steps) {
    Screen().PressKey(s.vk);
    Pump();
    EXPECT_EQ(Caret(e), s.caret) << "key " << s.vk;
  }
  // Typing at the end of a line rewraps the text after it.
  SendMessageW(e, EM_SETSEL, 19, 19);
  Screen().TypeText(u"es");
  Pump();
  EXPECT_EQ(Line(e, 0), u"the quick brown ");
  EXPECT_EQ(Line(e, 1), u"foxes jumps over ");
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 3);
}

TEST_F(MultilineEdit, ScrollsByLinesPagesAndTheWheel) {
  std::u16string text;
  for (int i = 0; i < 10; ++i) text += (i ? u"\r\n" : u"") + std::u16string(1, static_cast<char16_t>(u'0' + i));
  // 30 pixels high: three lines show.
  HWND e = Edit(WS_VSCROLL, text.c_str(), 100, 30);
  auto first = [&] { return static_cast<int>(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0)); };
  EXPECT_TRUE(SendMessageW(e, EM_LINESCROLL, 0, 4));
  EXPECT_EQ(first(), 4);
  EXPECT_EQ(SendMessageW(e, EM_SCROLL, SB_PAGEDOWN, 0), MAKELONG(2, TRUE));
  EXPECT_EQ(first(), 6);
  // No further than the last line at the bottom.
  EXPECT_EQ(SendMessageW(e, EM_SCROLL, SB_PAGEDOWN, 0), MAKELONG(1, TRUE));
  EXPECT_EQ(first(), 7);
  EXPECT_EQ(ScrollBar(e, SB_VERT), (std::array<int, 3>{9, 3, 7}));  // range end, page, position
  SendMessageW(e, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(first(), 0);
  SendMessageW(e, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), 0);
  EXPECT_EQ(first(), 5);
  // The caret brings its line into view.
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 0, 0);
  SendMessageW(e, EM_SCROLLCARET, 0, 0);
  EXPECT_EQ(first(), 0);
  Screen().KeyDown(VK_CONTROL);
  Screen().PressKey(VK_END);
  Screen().KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(first(), 7);
  SendMessageW(e, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(first(), 4);
  // A one-line edit does not scroll by lines.
  HWND single = Child(u"EDIT", u"x", 0, 0, 40, 100, 20, 601);
  EXPECT_FALSE(SendMessageW(single, EM_LINESCROLL, 0, 1));
}

}  // namespace

namespace {

TEST_F(MultilineEdit, ScreenshotOfAWrappedEditAndAMultiColumnList) {
  winplat::gdi::UseTestFontForAll(false);  // the real font, to look at
  HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HWND e = Child(u"EDIT", u"", ES_MULTILINE | WS_BORDER | WS_VSCROLL, 10, 10, 180, 90, 610);
  SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  SetWindowTextW(e, u"黒板にチョークで字を書きます。The quick brown fox jumps over the lazy dog.\r\n二行目");
  HWND l = Child(u"LISTBOX", u"", LBS_MULTICOLUMN | WS_BORDER | WS_HSCROLL, 200, 10, 190, 90, 611);
  SendMessageW(l, WM_SETFONT, reinterpret_cast<WPARAM>(gui), FALSE);
  SendMessageW(l, LB_SETCOLUMNWIDTH, 60, 0);
  for (int i = 1; i <= 14; ++i) {
    std::u16string s = u"ページ" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
    SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  }
  SendMessageW(l, LB_SETCURSEL, 4, 0);
  SetFocus(e);
  SendMessageW(e, EM_SETSEL, 3, 7);
  Pump();
  SaveWindowShot(parent, "multiline_and_columns.png");
  EXPECT_GT(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 3);
}

}  // namespace
