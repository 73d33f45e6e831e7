// Edit text model: typing, caret and selection with the keyboard, limits and pairs.
#include <gtest/gtest.h>

#include "controls/edit_model.h"
#include "winplat_mode.h"
#include "winuser.h"

using winplat::controls::EditModel;

namespace {

void Type(EditModel& m, std::u16string_view s) {
  for (char16_t c : s) m.Char(c);
}

}  // namespace

TEST(EditModel, TypingJapaneseAndSurrogatePairs) {
  EditModel m;
  Type(m, u"黒板 ");
  // U+20B9F arrives as two WM_CHAR units; it goes in as one character.
  m.Char(0xD842);
  EXPECT_EQ(m.Text(), u"黒板 ");  // the high half waits
  m.Char(0xDF9F);
  EXPECT_EQ(m.Text(), u"黒板 \U00020B9F");
  EXPECT_EQ(m.Caret(), 5u);
  EXPECT_TRUE(m.Modified());
  // A lone low half is dropped, a high half followed by something else too.
  m.Char(0xDC00);
  m.Char(0xD800);
  m.Char(u'x');
  EXPECT_EQ(m.Text(), u"黒板 \U00020B9Fx");
  // Backspace takes the x, then the whole pair.
  m.Char(0x08);
  m.Char(0x08);
  EXPECT_EQ(m.Text(), u"黒板 ");
}

TEST(EditModel, CaretAndSelectionWithKeys) {
  EditModel m;
  m.SetText(u"ab \U00020B9Fcd efg");
  EXPECT_EQ(m.Caret(), 0u);
  EXPECT_FALSE(m.Modified());
  struct Step { UINT vk; bool shift, ctrl; size_t anchor, caret; } steps[] = {
      {VK_RIGHT, false, false, 1, 1},
      {VK_RIGHT, false, true, 3, 3},    // start of the next word
      {VK_RIGHT, true, false, 3, 5},    // the pair in one step
      {VK_RIGHT, true, false, 3, 6},
      {VK_LEFT, false, false, 3, 3},    // collapses to the selection's start
      {VK_END, true, false, 3, 11},
      {VK_LEFT, true, true, 3, 8},      // back to the start of "efg"
      {VK_HOME, false, false, 0, 0},
      {VK_END, false, false, 11, 11},
      {VK_LEFT, false, true, 8, 8},
      {VK_LEFT, false, true, 3, 3},
  };
  for (auto& s : steps) {
    m.Key(s.vk, s.shift, s.ctrl);
    EXPECT_EQ(m.Anchor(), s.anchor) << "vk " << s.vk;
    EXPECT_EQ(m.Caret(), s.caret) << "vk " << s.vk;
  }
  m.Key(VK_RIGHT, true, false);
  m.Key(VK_RIGHT, true, false);
  EXPECT_EQ(m.SelectedText(), u"\U00020B9Fc");
  m.Char(u'X');  // typing replaces the selection
  EXPECT_EQ(m.Text(), u"ab Xd efg");
  m.Key(VK_DELETE, false, false);
  EXPECT_EQ(m.Text(), u"ab X efg");
}

TEST(EditModel, SetSelAsTheMessage) {
  EditModel m;
  m.SetText(u"a\U00020B9Fbc");
  m.SetSel(0, -1);
  EXPECT_EQ(m.SelStart(), 0u);
  EXPECT_EQ(m.SelEnd(), 5u);
  m.SetSel(4, 2);  // inside the pair: snaps to its start; reversed keeps the caret at "end"
  EXPECT_EQ(m.Anchor(), 4u);
  EXPECT_EQ(m.Caret(), 1u);
  EXPECT_EQ(m.SelStart(), 1u);
  m.SetSel(-1, 0);  // deselect, caret stays
  EXPECT_FALSE(m.HasSelection());
  EXPECT_EQ(m.Caret(), 1u);
  m.SetSel(100, 200);
  EXPECT_EQ(m.Caret(), 5u);
}

TEST(EditModel, LimitReadOnlyAndFilters) {
  EditModel m;
  m.SetLimit(4);
  Type(m, u"abc");
  m.Char(0xD842);
  auto r = m.Char(0xDF9F);  // a pair does not fit into one unit: refused whole
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(m.Text(), u"abc");
  r = m.ReplaceSel(u"de");
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(m.Text(), u"abcd");
  // WM_SETTEXT is not limited.
  m.SetText(u"longer text");
  EXPECT_EQ(m.Text(), u"longer text");

  m.SetReadOnly(true);
  EXPECT_TRUE(m.Char(u'z').refused);
  EXPECT_TRUE(m.Key(VK_DELETE, false, false).refused);
  EXPECT_FALSE(m.Key(VK_RIGHT, false, false).refused);  // moving still works
  EXPECT_EQ(m.Text(), u"longer text");

  EditModel n;
  n.SetNumbersOnly(true);
  Type(n, u"1a2");
  EXPECT_EQ(n.Text(), u"12");
  // Single line: no CR or tab, and pasted text stops at the first line break.
  Type(n, u"\r\t");
  n.ReplaceSel(u"3\r\n4");
  EXPECT_EQ(n.Text(), u"123");

  EditModel ml;
  ml.SetMultiline(true);
  Type(ml, u"a\rb");
  EXPECT_EQ(ml.Text(), u"a\r\nb");
  ml.Char(0x08);
  ml.Char(0x08);  // CR LF goes as one
  EXPECT_EQ(ml.Text(), u"a");
}

TEST(EditModel, PasswordDisplay) {
  EditModel m;
  m.SetPasswordChar(u'*');
  m.SetText(u"p\U00020B9Fw");
  EXPECT_EQ(m.DisplayText(), u"***");
  EXPECT_EQ(m.DisplayPos(3), 2u);
  EXPECT_EQ(m.TextPos(2), 3u);
  m.SetPasswordChar(u'●');
  EXPECT_EQ(m.DisplayText(), u"●●●");
  m.SetPasswordChar(0);
  EXPECT_EQ(m.DisplayText(), m.Text());
}

TEST(EditModel, AnsiPositionsCountBytes) {
  EditModel m;
  m.SetText(u"aあbい");
  // In code page 932 "あ" and "い" are two bytes each.
  EXPECT_EQ(m.ToAnsiPos(2), 3u);
  EXPECT_EQ(m.ToAnsiPos(4), 6u);
  EXPECT_EQ(m.FromAnsiPos(3), 2u);
  EXPECT_EQ(m.FromAnsiPos(2), 1u);  // inside the pair: its start
  EXPECT_EQ(m.FromAnsiPos(99), 4u);
}
