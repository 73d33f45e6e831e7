// Right-to-left wide controls on the screen: an owner-drawn list box item from the right edge, a
// group box caption placed from the right, a left-justified label at the right, a radio group's
// columns mirrored with each button in the group's reading order; left to right unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "UcExtCtrls.h"
#include "UcForms.h"
#include "UcGraphics.h"
#include "UcStdCtrls.h"
#include "UcSysUtils.h"
#include "wide_test_support.h"
#include "windows.h"

namespace {

// Texts outside code page 932 (test macros would narrow their spelling).
const WideString kItem = u"WW é한";
const WideString kCaption = u"Grp €";
const WideString kLabel = u"Lbl ✓";

// The columns of the screen's black pixels in a rectangle (screen coordinates); {-1, -1}: none.
struct Span {
  int first = -1, last = -1;
};
Span BlackColumns(const TRect& r) {
  int w, h;
  auto p = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
  Span s;
  for (int y = std::max(0, r.top); y < std::min(h, r.bottom); ++y)
    for (int x = std::max(0, r.left); x < std::min(w, r.right); ++x)
      if (p[static_cast<size_t>(y) * w + x] == 0) {
        if (s.first < 0 || x < s.first) s.first = x;
        s.last = std::max(s.last, x);
      }
  return s;
}

class RightToLeft : public WideUiTest {
 protected:
  void SetUp() override {
    WideUiTest::SetUp();
    form = CreateNewForm<TUcForm>(Application);
    form->SetBounds(0, 0, 400, 300);
    form->SetBorderStyle(bsNone);
    form->SetColor(clBtnFace);
    form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(form);
    WideUiTest::TearDown();
  }
  // The control's client area on the screen.
  static TRect ScreenClient(TControl* c) {
    const TPoint o = c->ClientToScreen(TPoint{0, 0});
    return TRect{o.x, o.y, o.x + c->ClientWidth(), o.y + c->ClientHeight()};
  }
  static int TextWidth(TControl* c, const WideString& Text) {
    TBitmap b;
    b.Canvas()->SetFont(c->Font());
    return WideCanvasTextWidth(b.Canvas(), Text);
  }
  TUcForm* form = nullptr;
};

TEST_F(RightToLeft, AnOwnerDrawnListBoxItemStartsTwoPixelsInFromItsLeadingEdge) {
  for (const bool rtl : {false, true}) {
    SCOPED_TRACE(rtl);
    auto* list = new TUcListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 200, 80);
    list->SetStyle(lbOwnerDrawFixed);
    list->SetColor(clWindow);
    if (rtl) list->SetBiDiMode(bdRightToLeft);
    list->Items()->Add(kItem);
    Pump();
    const TRect client = ScreenClient(list);
    const int tw = TextWidth(list, kItem);
    const Span ink = BlackColumns(TRect{client.left, client.top, client.right, client.top + list->ItemHeight()});
    ASSERT_GE(ink.first, 0);
    if (!rtl) {
      EXPECT_GE(ink.first, client.left + 2);
      EXPECT_LE(ink.first, client.left + 4);
      EXPECT_LT(ink.last, client.left + 2 + tw);
    } else {
      EXPECT_LT(ink.last, client.right - 2);
      EXPECT_GE(ink.last, client.right - 5);
      EXPECT_GE(ink.first, client.right - 2 - tw);
    }
    EXPECT_EQ(list->Items()->Strings(0), kItem);
    delete list;
    Pump();
  }
}

TEST_F(RightToLeft, AGroupBoxCaptionStandsEightPixelsInFromItsLeadingEdge) {
  for (const bool rtl : {false, true}) {
    SCOPED_TRACE(rtl);
    auto* box = new TUcGroupBox(form);
    box->SetParent(form);
    box->SetBounds(20, 20, 240, 100);
    if (rtl) box->SetBiDiMode(bdRightToLeft);
    box->SetCaption(kCaption);
    Pump();
    const TRect client = ScreenClient(box);
    const int tw = TextWidth(box, kCaption);
    const Span ink = BlackColumns(TRect{client.left, client.top, client.right, client.top + 14});
    ASSERT_GE(ink.first, 0);
    if (!rtl) {
      EXPECT_GE(ink.first, client.left + 8);
      EXPECT_LE(ink.first, client.left + 10);
      EXPECT_LT(ink.last, client.left + 8 + tw);
    } else {
      EXPECT_GE(ink.first, client.right - 8 - tw);
      EXPECT_LT(ink.last, client.right - 8);
      EXPECT_GE(ink.last, client.right - 11);
    }
    delete box;
    Pump();
  }
}

TEST_F(RightToLeft, ALabelsAlignmentIsMirroredAndItsAutoSizeKeepsTheOtherEdge) {
  struct Case {
    TBiDiMode mode;
    TAlignment alignment;
    bool atRight;
  };
  const Case cases[] = {
      {bdLeftToRight, taLeftJustify, false},
      {bdRightToLeft, taLeftJustify, true},
      {bdRightToLeft, taRightJustify, false},
      {bdRightToLeftNoAlign, taLeftJustify, false},  // reading order only
      {bdRightToLeftReadingOnly, taLeftJustify, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.alignment);
    auto* label = new TUcLabel(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(30, 150, 200, 16);
    label->SetBiDiMode(c.mode);
    label->SetAlignment(c.alignment);
    label->SetCaption(kLabel);
    Pump();
    const int tw = TextWidth(label, kLabel);
    const Span ink = BlackColumns(TRect{30, 150, 230, 166});
    ASSERT_GE(ink.first, 0);
    if (c.atRight) {
      EXPECT_GE(ink.first, 230 - tw);
    } else {
      EXPECT_LT(ink.last, 30 + tw);
    }
    // Sized to its text, a mirrored left-justified label keeps its right edge.
    label->SetAutoSize(true);
    if (c.atRight) {
      EXPECT_EQ(label->Left() + label->Width(), 230);
    } else {
      EXPECT_EQ(label->Left(), 30);
    }
    delete label;
    Pump();
  }
}

TEST_F(RightToLeft, ARadioGroupsColumnsAreMirroredAndItsButtonsReadRightToLeft) {
  auto* group = new TUcRadioGroup(form);
  group->SetParent(form);
  group->SetBounds(10, 10, 300, 120);
  group->SetColumns(2);
  for (const WideString& s : {kItem, kCaption, kLabel, WideString(u"四 𠮷")}) group->Items()->Add(s);
  Pump();
  std::vector<int> ltr;
  for (int i = 0; i < group->ButtonCount(); ++i) ltr.push_back(group->Buttons(i)->Left());
  EXPECT_LT(ltr[0], ltr[2]);  // first column at the left

  group->SetBiDiMode(bdRightToLeft);
  Pump();
  for (int i = 0; i < group->ButtonCount(); ++i) {
    SCOPED_TRACE(i);
    TUcGroupButton* b = group->Buttons(i);
    // Mirrored within the group: the first column at the right.
    EXPECT_EQ(b->Left(), group->Width() - ltr[static_cast<size_t>(i)] - b->Width());
    EXPECT_EQ(b->BiDiMode(), bdRightToLeft);
    ASSERT_TRUE(b->HandleAllocated());
    // The box on the right of the text, read right to left.
    EXPECT_TRUE(GetWindowLongW(b->Handle(), GWL_STYLE) & BS_LEFTTEXT);
    EXPECT_TRUE(GetWindowLongW(b->Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING);
    EXPECT_EQ(b->Caption(), group->Items()->Strings(i));
    EXPECT_TRUE(IsWindowUnicode(b->Handle()));
  }
  EXPECT_GT(group->Buttons(0)->Left(), group->Buttons(2)->Left());

  group->SetBiDiMode(bdLeftToRight);
  Pump();
  for (int i = 0; i < group->ButtonCount(); ++i) {
    EXPECT_EQ(group->Buttons(i)->Left(), ltr[static_cast<size_t>(i)]);
    EXPECT_FALSE(GetWindowLongW(group->Buttons(i)->Handle(), GWL_STYLE) & BS_LEFTTEXT);
  }
  delete group;
}

}  // namespace
