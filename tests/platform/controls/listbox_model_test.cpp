// List box model: strings and data, sorting, finding, and selection by keyboard and mouse.
#include <gtest/gtest.h>

#include "controls/listbox_model.h"
#include "winuser.h"

using winplat::controls::ListBoxModel;
using Sel = ListBoxModel::Selection;

namespace {

std::vector<int> Selected(const ListBoxModel& m) {
  std::vector<int> out;
  for (int i = 0; i < m.Count(); ++i)
    if (m.GetSel(i) > 0) out.push_back(i);
  return out;
}

ListBoxModel Filled(Sel kind, int n, int rows = 3) {
  ListBoxModel m;
  m.SetSelection(kind);
  m.SetVisibleRows(rows);
  for (int i = 0; i < n; ++i) m.Add(u"item" + std::u16string(1, static_cast<char16_t>(u'0' + i)), 100 + i);
  return m;
}

}  // namespace

TEST(ListBoxModel, StringsDataAndSorting) {
  ListBoxModel m;
  m.SetSorted(true);
  EXPECT_EQ(m.Add(u"pear"), 0);
  EXPECT_EQ(m.Add(u"Apple"), 0);
  EXPECT_EQ(m.Add(u"banana"), 1);
  EXPECT_EQ(m.Add(u"BANANA", 7), 2);  // after its equal
  EXPECT_EQ(m.Insert(-1, u"aaa"), 4);  // inserting never sorts
  EXPECT_EQ(m.Insert(9, u"x"), ListBoxModel::kErr);
  std::u16string t;
  ASSERT_TRUE(m.GetText(2, &t));
  EXPECT_EQ(t, u"BANANA");
  EXPECT_EQ(m.Data(2), 7u);
  EXPECT_EQ(m.TextLength(3), 4);
  EXPECT_EQ(m.TextLength(5), ListBoxModel::kErr);
  EXPECT_EQ(m.FindExact(-1, u"banana"), 1);
  EXPECT_EQ(m.FindExact(1, u"banana"), 2);
  EXPECT_EQ(m.FindExact(2, u"banana"), 1);  // wraps round
  EXPECT_EQ(m.FindPrefix(-1, u"PE"), 3);
  EXPECT_EQ(m.FindExact(-1, u"ban"), ListBoxModel::kErr);
  EXPECT_EQ(m.Delete(0), 4);
  EXPECT_EQ(m.Delete(4), ListBoxModel::kErr);
  m.Reset();
  EXPECT_EQ(m.Count(), 0);
  EXPECT_EQ(m.FindExact(-1, u"pear"), ListBoxModel::kErr);
}

TEST(ListBoxModel, SingleSelectionFollowsKeysAndClicks) {
  auto m = Filled(Sel::Single, 6);
  EXPECT_EQ(m.CurSel(), ListBoxModel::kErr);
  EXPECT_EQ(m.SelCount(), ListBoxModel::kErr);
  EXPECT_EQ(m.SetSel(true, 1), ListBoxModel::kErr);  // LB_SETSEL is for multiple lists
  auto c = m.Key(VK_DOWN, false, false);  // first arrow selects the first item
  EXPECT_TRUE(c.selChanged);
  EXPECT_EQ(m.CurSel(), 0);
  m.Key(VK_DOWN, false, false);
  m.Key(VK_DOWN, false, false);
  m.Key(VK_DOWN, false, false);
  EXPECT_EQ(m.CurSel(), 3);
  EXPECT_EQ(m.TopIndex(), 1);  // three rows show: 1..3
  m.Key(VK_END, false, false);
  EXPECT_EQ(m.CurSel(), 5);
  EXPECT_EQ(m.TopIndex(), 3);
  EXPECT_FALSE(m.Key(VK_DOWN, false, false).selChanged);
  m.Key(VK_HOME, false, false);
  EXPECT_EQ(m.TopIndex(), 0);
  c = m.Click(2, false, false);
  EXPECT_TRUE(c.selChanged);
  EXPECT_EQ(Selected(m), std::vector<int>{2});
  EXPECT_EQ(m.SetCurSel(-1), ListBoxModel::kErr);
  EXPECT_EQ(m.CurSel(), ListBoxModel::kErr);
  // Deleting items before the selection keeps it on its item.
  m.SetCurSel(4);
  m.Delete(1);
  EXPECT_EQ(m.CurSel(), 3);
  m.Delete(3);
  EXPECT_EQ(m.CurSel(), ListBoxModel::kErr);
  m.CharKey(u'I');  // typing moves to the next item starting with it
  EXPECT_NE(m.CurSel(), ListBoxModel::kErr);
}

TEST(ListBoxModel, MultipleSelectionToggles) {
  auto m = Filled(Sel::Multiple, 5);
  EXPECT_EQ(m.SetCurSel(1), ListBoxModel::kErr);
  m.Click(1, false, false);
  m.Click(3, false, false);
  EXPECT_EQ(Selected(m), (std::vector<int>{1, 3}));
  m.Click(1, false, false);
  EXPECT_EQ(Selected(m), std::vector<int>{3});
  // Arrows move only the caret; space toggles its item.
  m.Key(VK_DOWN, false, false);
  EXPECT_EQ(m.Caret(), 2);
  EXPECT_EQ(Selected(m), std::vector<int>{3});
  m.Key(VK_SPACE, false, false);
  EXPECT_EQ(m.SelItems(), (std::vector<int>{2, 3}));
  EXPECT_EQ(m.SelCount(), 2);
  m.SetSel(true, -1);
  EXPECT_EQ(m.SelCount(), 5);
  m.SelItemRange(false, 3, 1);
  EXPECT_EQ(m.SelItems(), (std::vector<int>{0, 4}));
}

TEST(ListBoxModel, ExtendedSelectionWithShiftAndCtrl) {
  auto m = Filled(Sel::Extended, 8);
  m.Click(2, false, false);
  EXPECT_EQ(Selected(m), std::vector<int>{2});
  m.Click(5, true, false);  // range from the anchor
  EXPECT_EQ(Selected(m), (std::vector<int>{2, 3, 4, 5}));
  m.Click(0, true, false);  // the anchor stays: the range turns round
  EXPECT_EQ(Selected(m), (std::vector<int>{0, 1, 2}));
  m.Click(6, false, true);  // ctrl adds one and moves the anchor
  EXPECT_EQ(Selected(m), (std::vector<int>{0, 1, 2, 6}));
  m.Key(VK_DOWN, true, false);  // shift+down: range from the new anchor
  EXPECT_EQ(Selected(m), (std::vector<int>{6, 7}));
  m.Key(VK_UP, false, true);  // ctrl+arrow: caret only
  EXPECT_EQ(m.Caret(), 6);
  EXPECT_EQ(Selected(m), (std::vector<int>{6, 7}));
  m.Key(VK_UP, false, false);  // plain arrow: just that item
  EXPECT_EQ(Selected(m), std::vector<int>{5});
}
