// Classic control painting: what each state shows, and a sheet of every control to look at.
#include <gtest/gtest.h>

#include "canvas.h"
#include "controls/edit_model.h"
#include "controls/paint.h"
#include "wintext.h"

namespace paint = winplat::controls::paint;

namespace {

struct TestFont {
  HDC dc;
  HFONT font;
  HGDIOBJ old;
  bool was;
  TestFont(HDC d, int px) : dc(d) {
    was = winplat::gdi::UseTestFontForAll(true);
    font = CreateFontW(-px, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"VSE Test Fixed");
    old = SelectObject(dc, font);
  }
  ~TestFont() {
    SelectObject(dc, old);
    DeleteObject(font);
    winplat::gdi::UseTestFontForAll(was);
  }
};

const COLORREF kFace = GetSysColor(COLOR_BTNFACE);

}  // namespace

TEST(ControlPaint, CheckAndRadioShowTheirState) {
  Canvas c(200, 60, kFace);
  TestFont f(c.dc, 10);
  paint::ButtonState s;
  RECT r0{0, 0, 100, 20}, r1{0, 20, 100, 40}, r2{100, 0, 200, 20}, r3{100, 20, 200, 40};
  paint::CheckBox(c.dc, r0, u"a", s);
  s.check = 1;
  paint::CheckBox(c.dc, r1, u"a", s);
  s.check = 0;
  paint::RadioButton(c.dc, r2, u"a", s);
  s.check = 1;
  paint::RadioButton(c.dc, r3, u"a", s);
  const COLORREF ink = GetSysColor(COLOR_WINDOWTEXT);
  RECT box0{2, 5, 11, 14}, box1{2, 25, 11, 34}, rad0{103, 3, 110, 10}, rad1{103, 23, 110, 30};
  EXPECT_EQ(c.Count(box0, ink), 0);
  EXPECT_GT(c.Count(box1, ink), 15);  // the tick
  EXPECT_EQ(c.Count(rad0, ink), 0);
  EXPECT_GT(c.Count(rad1, ink), 10);  // the dot
  // The box's inside is the window colour, framed by the sunken edge.
  EXPECT_EQ(c.At(6, 5), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(c.At(0, 3), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(c.At(12, 15), GetSysColor(COLOR_BTNHIGHLIGHT));
  // The label follows the glyph: test-font characters are solid boxes.
  RECT label{17, 20, 30, 40};
  EXPECT_GT(c.Count(label, GetSysColor(COLOR_BTNTEXT)), 10);
}

TEST(ControlPaint, PushButtonEdgesAndDefaultFrame) {
  Canvas c(120, 30, RGB(1, 2, 3));
  TestFont f(c.dc, 10);
  paint::ButtonState s;
  paint::PushButton(c.dc, RECT{0, 0, 60, 24}, u"OK", s);
  s.isDefault = true;
  paint::PushButton(c.dc, RECT{60, 0, 120, 24}, u"OK", s);
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(c.At(59, 23), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(c.At(58, 22), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(c.At(60, 0), GetSysColor(COLOR_WINDOWFRAME));  // the default button's frame
  EXPECT_EQ(c.At(61, 1), GetSysColor(COLOR_3DLIGHT));
  // The caption is centred: equal face on both sides of "OK" (two characters advancing 5 pixels).
  int first = -1, last = -1;
  for (int x = 0; x < 60; ++x)
    if (c.At(x, 12) == GetSysColor(COLOR_BTNTEXT)) {
      if (first < 0) first = x;
      last = x;
    }
  EXPECT_EQ(last - first + 1, 9);  // the second box has no trailing gap
  EXPECT_NEAR(first - 0, 59 - last, 1);
}

TEST(ControlPaint, EditFieldSelectionAndCaret) {
  Canvas c(120, 20, RGB(1, 2, 3));
  TestFont f(c.dc, 10);
  std::u16string text = u"abcdef";
  RECT client{0, 0, 120, 20};
  int caretX = paint::EditField(c.dc, client, text, 2, 4, 4, 0, true, false, false);
  EXPECT_EQ(caretX, 1 + 4 * 5);
  // The selection highlight covers characters 2 and 3 exactly.
  EXPECT_EQ(c.At(1 + 2 * 5, 10), GetSysColor(COLOR_HIGHLIGHTTEXT));
  RECT sel{11, 5, 21, 15};
  EXPECT_EQ(c.Count(sel, GetSysColor(COLOR_HIGHLIGHT)) + c.Count(sel, GetSysColor(COLOR_HIGHLIGHTTEXT)), 100);
  RECT after{21, 5, 31, 15};
  EXPECT_EQ(c.Count(after, GetSysColor(COLOR_HIGHLIGHT)), 0);
  // Clicks land on the nearer character boundary, never inside a pair.
  EXPECT_EQ(paint::PosFromX(c.dc, text, 12, 0), 2u);
  EXPECT_EQ(paint::PosFromX(c.dc, text, 14, 0), 3u);
  EXPECT_EQ(paint::PosFromX(c.dc, text, 500, 0), 6u);
  std::u16string pair = u"a\U00020B9Fb";
  size_t p = paint::PosFromX(c.dc, pair, 8, 0);
  EXPECT_TRUE(p == 1 || p == 3) << p;
}

TEST(ControlPaint, ProgressBarFillsItsShare) {
  Canvas c(104, 12, RGB(1, 2, 3));
  const COLORREF bar = RGB(0, 0, 200);
  paint::ProgressBar(c.dc, RECT{0, 0, 104, 12}, 0, 100, 50, true, false, bar);
  RECT inside{2, 2, 102, 10};
  EXPECT_EQ(c.Count(inside, bar), 50 * 8);
  Canvas d(104, 12, RGB(1, 2, 3));
  paint::ProgressBar(d.dc, RECT{0, 0, 104, 12}, 0, 100, 100, false, false, bar);
  int blocks = d.Count(inside, bar);
  EXPECT_GT(blocks, 60 * 8);
  EXPECT_LT(blocks, 100 * 8);  // gaps between blocks
  paint::ProgressBar(d.dc, RECT{0, 0, 104, 12}, 5, 5, 5, true, false, bar);  // empty range: no bar
  EXPECT_EQ(d.Count(inside, bar), 0);
}

// A dialog-like sheet of every painter, written as PNG for a look.
TEST(ControlPaint, SheetOfEveryControl) {
  Canvas c(360, 250, kFace);
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, u"IPAGothic");
  HGDIOBJ old = SelectObject(c.dc, font);
  paint::ButtonState s;

  paint::GroupBox(c.dc, RECT{8, 6, 170, 100}, u"設定 (&S)", false);
  s.check = 1;
  paint::CheckBox(c.dc, RECT{18, 24, 160, 40}, u"グリッド(&G)", s);
  s.check = 0;
  s.focused = true;
  paint::CheckBox(c.dc, RECT{18, 42, 160, 58}, u"日付を描く", s);
  s.focused = false;
  s.check = 1;
  paint::RadioButton(c.dc, RECT{18, 60, 160, 76}, u"黒板", s);
  s.check = 0;
  paint::RadioButton(c.dc, RECT{18, 78, 160, 94}, u"白板", s);

  paint::StaticText(c.dc, RECT{180, 10, 350, 26}, u"ファイル名(&N):", DT_LEFT | DT_SINGLELINE, false);
  RECT edit{180, 28, 350, 50};
  paint::DrawEdge3D(c.dc, edit, paint::Edge::Sunken);
  winplat::controls::EditModel m;
  m.SetText(u"板書2026.zip");
  m.SetSel(0, 4);
  RECT ein{edit.left + 2, edit.top + 2, edit.right - 2, edit.bottom - 2};
  int cx = paint::EditField(c.dc, ein, m.DisplayText(), m.SelStart(), m.SelEnd(), m.Caret(), 0, true, false, false);
  paint::Fill(c.dc, RECT{cx, ein.top + 2, cx + 1, ein.bottom - 2}, RGB(0, 0, 0));
  RECT pw{180, 56, 350, 78};
  paint::DrawEdge3D(c.dc, pw, paint::Edge::Sunken);
  m.SetPasswordChar(u'*');
  RECT pin{pw.left + 2, pw.top + 2, pw.right - 2, pw.bottom - 2};
  paint::EditField(c.dc, pin, m.DisplayText(), 0, 0, 0, 0, false, false, false);

  RECT lb{8, 108, 170, 200};
  paint::DrawEdge3D(c.dc, lb, paint::Edge::Sunken);
  const char16_t* items[] = {u"ページ 1", u"ページ 2", u"ページ 3", u"ページ 4", u"ページ 5"};
  for (int i = 0; i < 5; ++i) {
    RECT row{lb.left + 2, lb.top + 2 + i * 17, lb.right - 2, lb.top + 2 + (i + 1) * 17};
    if (row.bottom > lb.bottom - 2) break;
    paint::ListItem(c.dc, row, items[i], i == 1, i == 1, false, true);
  }

  paint::ProgressBar(c.dc, RECT{180, 86, 350, 102}, 0, 100, 60, false, false, paint::kDefaultColor);
  paint::ProgressBar(c.dc, RECT{180, 108, 350, 124}, 0, 100, 35, true, false, paint::kDefaultColor);

  paint::ToolState t;
  paint::ToolButtonFace(c.dc, RECT{180, 132, 203, 154}, t);
  t.hot = true;
  paint::ToolButtonFace(c.dc, RECT{204, 132, 227, 154}, t);
  t.hot = false;
  t.checked = true;
  paint::ToolButtonFace(c.dc, RECT{228, 132, 251, 154}, t);
  t.checked = false;
  t.pressed = true;
  paint::ToolButtonFace(c.dc, RECT{252, 132, 275, 154}, t);
  paint::ArrowButton(c.dc, RECT{290, 132, 306, 143}, 0, false, false);
  paint::ArrowButton(c.dc, RECT{290, 143, 306, 154}, 1, true, false);

  s = {};
  s.isDefault = true;
  paint::PushButton(c.dc, RECT{180, 210, 260, 236}, u"OK", s);
  s = {};
  paint::PushButton(c.dc, RECT{268, 210, 348, 236}, u"キャンセル", s);
  s.disabled = true;
  paint::PushButton(c.dc, RECT{8, 210, 88, 236}, u"ヘルプ(&H)", s);
  paint::StaticText(c.dc, RECT{180, 160, 350, 200}, u"無効な文字", DT_LEFT | DT_WORDBREAK, true);

  SelectObject(c.dc, old);
  DeleteObject(font);
  ASSERT_TRUE(c.SavePng("controls_sheet.png"));
  if (const char* keep = std::getenv("VSE_KEEP_SHOTS")) c.SavePng(std::string(keep) + "/controls_sheet.png");
}
