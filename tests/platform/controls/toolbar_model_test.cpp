// Toolbar model: string pool, layout, hit testing, check and group clicks.
#include <gtest/gtest.h>

#include "controls/toolbar_model.h"

using winplat::controls::ToolbarModel;
using B = ToolbarModel::Button;

namespace {

// Every character 6 pixels wide, 12 high.
SIZE Fixed(std::u16string_view t) { return SIZE{static_cast<LONG>(t.size() * 6), 12}; }

B Btn(int cmd, BYTE style = 0, INT_PTR str = -1) {
  B b;
  b.command = cmd;
  b.image = cmd;
  b.style = style;
  b.string = str;
  return b;
}

}  // namespace

TEST(ToolbarModel, PoolTextsAndLayout) {
  ToolbarModel m;
  EXPECT_EQ(m.AddStrings({u"ペン", u"消す"}), 0);
  EXPECT_EQ(m.AddStrings({u"保存する"}), 2);
  m.Insert(-1, Btn(10, 0, 0));
  m.Insert(-1, Btn(11, 0, 1));
  B sep = Btn(0, ToolbarModel::kSep);
  m.Insert(-1, sep);
  m.Insert(-1, Btn(12, 0, 2));
  B own = Btn(13);
  own.text = u"x";
  m.Insert(1, own);
  EXPECT_EQ(m.TextOf(*m.At(0)), u"ペン");
  EXPECT_EQ(m.TextOf(*m.At(1)), u"x");
  EXPECT_EQ(m.TextOf(*m.At(4)), u"保存する");
  EXPECT_EQ(m.CommandToIndex(12), 4);
  EXPECT_EQ(m.CommandToIndex(99), -1);

  // Text below: widest text (4 x 6) + padding, image height + text + gap.
  SIZE bs = m.ButtonSize(Fixed);
  EXPECT_EQ(bs.cx, 24 + 7);
  EXPECT_EQ(bs.cy, 15 + 7 + 12 + 2);
  int h = m.Layout(1000, Fixed);
  EXPECT_EQ(h, bs.cy);
  EXPECT_EQ(m.At(3)->rect.left, 3 * 31);
  EXPECT_EQ(m.At(3)->rect.right - m.At(3)->rect.left, 8);  // the separator
  EXPECT_EQ(m.At(4)->rect.left, 3 * 31 + 8);
  EXPECT_EQ(m.HitTest(POINT{5, 5}), 0);
  EXPECT_EQ(m.HitTest(POINT{3 * 31 + 2, 5}), -1);  // never a separator
  EXPECT_EQ(m.HitTest(POINT{3 * 31 + 9, 5}), 4);
  EXPECT_EQ(m.HitTest(POINT{500, 5}), -1);

  // Wrapping to two rows; a hidden button takes no room.
  m.SetWrapable(true);
  h = m.Layout(70, Fixed);
  EXPECT_GT(h, bs.cy);
  m.At(1)->state |= ToolbarModel::kHidden;
  m.Layout(1000, Fixed);
  EXPECT_EQ(m.At(2)->rect.left, 31);
  EXPECT_EQ(m.HitTest(POINT{0, 0}), 0);
}

TEST(ToolbarModel, CheckAndGroupClicks) {
  ToolbarModel m;
  const BYTE grp = ToolbarModel::kCheck | ToolbarModel::kGroup;
  m.Insert(-1, Btn(1, ToolbarModel::kCheck));
  m.Insert(-1, Btn(2, grp));
  m.Insert(-1, Btn(3, grp));
  m.Insert(-1, Btn(4, grp));
  m.Insert(-1, Btn(0, ToolbarModel::kSep));
  m.Insert(-1, Btn(5, grp));
  m.Insert(-1, Btn(6));
  auto checked = [&](int i) { return (m.At(i)->state & ToolbarModel::kChecked) != 0; };
  EXPECT_TRUE(m.Click(0));
  EXPECT_TRUE(checked(0));
  EXPECT_TRUE(m.Click(0));
  EXPECT_FALSE(checked(0));
  m.Click(1);
  m.Click(5);  // another group, past the separator
  EXPECT_TRUE(checked(1));
  EXPECT_TRUE(checked(5));
  m.Click(3);
  EXPECT_FALSE(checked(1));
  EXPECT_TRUE(checked(3));
  EXPECT_TRUE(checked(5));
  EXPECT_FALSE(m.Click(3));  // stays checked
  EXPECT_TRUE(checked(3));
  m.SetChecked(2, true);  // TB_CHECKBUTTON keeps the group rule
  EXPECT_FALSE(checked(3));
  EXPECT_FALSE(m.Click(6));  // a plain button has no state to change
  m.At(0)->state &= static_cast<BYTE>(~ToolbarModel::kEnabled);
  EXPECT_FALSE(m.Click(0));
  EXPECT_FALSE(checked(0));
}

TEST(ToolbarModel, VerticalToolbarWithWrappingButtonsAndDividers) {
  ToolbarModel m;
  B a = Btn(1), sep = Btn(0, ToolbarModel::kSep), b = Btn(2), c = Btn(3);
  a.state |= ToolbarModel::kWrap;
  sep.state |= ToolbarModel::kWrap;
  b.state |= ToolbarModel::kWrap;
  c.state |= ToolbarModel::kWrap;  // a wrap on the last button adds no empty row
  m.Insert(-1, a);
  m.Insert(-1, sep);
  m.Insert(-1, b);
  m.Insert(-1, c);
  auto none = [](std::u16string_view) { return SIZE{0, 0}; };
  int h = m.Layout(1000, none);
  const int bh = 15 + 7;
  EXPECT_EQ(m.At(0)->rect.top, 0);
  EXPECT_EQ(m.At(1)->rect.top, bh);
  EXPECT_EQ(m.At(1)->rect.bottom - m.At(1)->rect.top, 8);
  EXPECT_EQ(m.At(2)->rect.top, bh + 8);
  EXPECT_EQ(m.At(2)->rect.left, 0);
  EXPECT_EQ(m.At(3)->rect.top, 2 * bh + 8);
  EXPECT_EQ(h, 3 * bh + 8);
  EXPECT_EQ(m.HitTest(POINT{5, bh + 3}), -1);  // the divider is no button
}
