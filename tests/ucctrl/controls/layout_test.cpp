// The bit-button layout of wide captions and the radio-group arrangement as tables, the wide
// password character, the edit's wide selection on an ANSI window, and the bit button's glyph
// interface.
#include <gtest/gtest.h>

#include <vector>

#include "UcButtons.h"
#include "UcExtCtrls.h"
#include "UcStdCtrls.h"
#include "UcSysUtils.h"
#include "wide_test_support.h"
#include "wingdi.h"
#include "wintext.h"

namespace {

struct LayoutCase {
  const char* name;
  const char16_t* caption;
  TPoint glyph;
  TButtonLayout layout;
  int margin, spacing;
  UINT flags;
  TRect client;
  TPoint glyph_pos;   // expected
  TRect text;         // expected
};

class WideLayout : public WideUiTest {};

TEST_F(WideLayout, BitButtonLayoutOfWideCaptions) {
  // The test font: 8 pixels a half-width character, 16 a full-width one, lines 16 high.
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SIZE one{};
  GetTextExtentPoint32W(dc, u"한", 1, &one);
  const int w = one.cx, h = one.cy;  // one wide character
  const std::vector<LayoutCase> cases = {
      // caption only, automatic margin: centred, no spacing
      {"caption", u"한한", {0, 0}, blGlyphLeft, -1, 4, 0, {0, 0, 100, 30},
       {(100 - 2 * w + 1) / 2, (30 + 1) / 2}, {(100 - 2 * w + 1) / 2, (30 - h + 1) / 2, (100 - 2 * w + 1) / 2 + 2 * w, (30 - h + 1) / 2 + h}},
      // glyph and caption, both automatic: three equal gaps
      {"auto", u"한", {16, 16}, blGlyphLeft, -1, -1, 0, {0, 0, 100, 30},
       {(100 - (16 + w)) / 3, 7}, {2 * ((100 - (16 + w)) / 3) + 16, (30 - h + 1) / 2, 2 * ((100 - (16 + w)) / 3) + 16 + w, (30 - h + 1) / 2 + h}},
      // given margin, automatic spacing
      {"margin", u"한", {16, 16}, blGlyphLeft, 4, -1, 0, {0, 0, 100, 30},
       {4, 7}, {4 + 16 + ((100 - 20) - w) / 2, (30 - h + 1) / 2, 4 + 16 + ((100 - 20) - w) / 2 + w, (30 - h + 1) / 2 + h}},
      // right alignment puts the glyph right of the caption
      {"rtl", u"한", {16, 16}, blGlyphLeft, 4, 2, DT_RIGHT, {0, 0, 100, 30},
       {100 - 4 - 16, 7}, {100 - 4 - 16 - 2 - w, (30 - h + 1) / 2, 100 - 4 - 16 - 2, (30 - h + 1) / 2 + h}},
      // glyph on top, offset client
      {"top", u"한", {16, 16}, blGlyphTop, 2, 2, 0, {10, 20, 60, 80},
       {10 + (50 - 16 + 1) / 2, 20 + 2}, {10 + (50 - w + 1) / 2, 20 + 2 + 16 + 2, 10 + (50 - w + 1) / 2 + w, 20 + 2 + 16 + 2 + h}},
      // a button too small for its content: divisions truncate toward zero
      {"small", u"한한한", {16, 16}, blGlyphLeft, -1, -1, 0, {0, 0, 20, 10},
       {(20 - (16 + 3 * w)) / 3, (10 - 16 + 1) / 2},
       {(20 - (16 + 3 * w)) / 3 * 2 + 16, (10 - h + 1) / 2, (20 - (16 + 3 * w)) / 3 * 2 + 16 + 3 * w, (10 - h + 1) / 2 + h}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TPoint pos{0, 0};
    TRect text{0, 0, 0, 0};
    CalcWideButtonLayout(dc, c.client, TPoint{0, 0}, c.caption, c.layout, c.margin, c.spacing, c.glyph, c.flags, pos, text);
    if (c.glyph.x) {
      EXPECT_EQ(pos.x, c.glyph_pos.x);
      EXPECT_EQ(pos.y, c.glyph_pos.y);
    }
    EXPECT_EQ(text.left, c.text.left);
    EXPECT_EQ(text.top, c.text.top);
    EXPECT_EQ(text.right, c.text.right);
    EXPECT_EQ(text.bottom, c.text.bottom);
  }
  DeleteDC(dc);
}

TEST(WideRadioGroupArrangement, ButtonsGoIntoColumnsAndMirrorForRightToLeft) {
  struct Case {
    int count, columns, width, height, text;
    bool rtl;
    std::vector<TRect> rects;
  };
  const std::vector<Case> cases = {
      // rows 29 high; the 2 pixels left over split above and below: first top 1 + 16 + 1
      {3, 1, 200, 110, 16, false, {{8, 18, 198, 47}, {8, 47, 198, 76}, {8, 76, 198, 105}}},
      {4, 2, 210, 100, 16, false, {{8, 17, 108, 56}, {8, 56, 108, 95}, {108, 17, 208, 56}, {108, 56, 208, 95}}},
      {4, 2, 210, 100, 16, true, {{102, 17, 202, 56}, {102, 56, 202, 95}, {2, 17, 102, 56}, {2, 56, 102, 95}}},
      {0, 1, 100, 100, 16, false, {}},
  };
  for (const auto& c : cases) {
    const std::vector<TRect> r = ArrangeWideRadioButtons(c.count, c.columns, c.width, c.height, c.text, c.rtl);
    ASSERT_EQ(r.size(), c.rects.size());
    for (size_t i = 0; i < r.size(); ++i) {
      EXPECT_EQ(r[i].left, c.rects[i].left) << i;
      EXPECT_EQ(r[i].top, c.rects[i].top) << i;
      EXPECT_EQ(r[i].right, c.rects[i].right) << i;
      EXPECT_EQ(r[i].bottom, c.rects[i].bottom) << i;
    }
  }
}

class WideEditTest : public WideUiTest {
 protected:
  void SetUp() override {
    WideUiTest::SetUp();
    form = CreateNewForm<TUcForm>(Application);
    form->SetBounds(0, 0, 300, 100);
    edit = new TUcEdit(form);
    edit->SetParent(form);
    form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(form);
    WideUiTest::TearDown();
  }
  TUcForm* form = nullptr;
  TUcEdit* edit = nullptr;
};

TEST_F(WideEditTest, APasswordCharacterAbove255ShowsWhileTheFrameworkHoldsAStar) {
  const WideChar dot = u'●';  // not one byte
  edit->SetPasswordChar(dot);
  EXPECT_EQ(edit->PasswordChar(), dot);
  EXPECT_EQ(edit->TCustomEdit::PasswordChar(), '*');
  EXPECT_EQ(static_cast<WideChar>(SendMessageW(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0)), dot);
  // The framework changing its own wins.
  edit->TCustomEdit::SetPasswordChar('#');
  EXPECT_EQ(edit->PasswordChar(), u'#');
}

class AnsiWideEditTest : public WideEditTest {
 protected:
  void SetUp() override {
    SwitchToAnsiPlatform();
    WideEditTest::SetUp();
  }
  void TearDown() override {
    WideEditTest::TearDown();
    SwitchToUnicodePlatform();
  }
};

TEST_F(AnsiWideEditTest, TheWideSelectionCountsCharactersNotBytes) {
  ASSERT_FALSE(IsWindowUnicode(edit->Handle()));
  edit->SetText(u"黒板abc日本");
  edit->SetSelStartW(2);   // after the two double-byte characters
  edit->SetSelLengthW(4);  // "abc日"
  EXPECT_EQ(edit->TCustomEdit::GetSelStart(), 4);
  EXPECT_EQ(edit->TCustomEdit::GetSelLength(), 5);
  EXPECT_EQ(edit->GetSelStartW(), 2);
  EXPECT_EQ(edit->GetSelLengthW(), 4);
  EXPECT_EQ(edit->GetSelTextW(), u"abc日");
}

TEST_F(WideEditTest, ABitButtonOffersItsGlyphAndAnyOtherControlNot) {
  auto* button = new TUcBitBtn(form);
  button->SetParent(form);
  EXPECT_EQ(GlyphButtonOf(button)->GetButtonGlyph(), button->ButtonGlyph());
  EXPECT_THROW(GlyphButtonOf(edit), EUcInternalError);
  button->SetCaption(u"保存 한");
  EXPECT_TRUE(button->IsCaptionStored());
}

}  // namespace
