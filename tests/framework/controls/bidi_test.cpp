// Reading order of controls: the text flags of each mode, children following their parent's mode
// (ParentBiDiMode) until they are given their own, windows made again with the reading-order
// styles, check boxes with the box on the mirrored side, and the modes in a form's text.
#include <gtest/gtest.h>

#include "Classes_Streaming.h"
#include "Controls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "test_controls.h"
#include "ui_fixture.h"

namespace {

class BiDiTest : public UiTest {};

TEST(BiDiFlags, EachModeMirrorsTheAlignmentOrTheReadingOrderOrBoth) {
  struct Case {
    TBiDiMode mode;
    UINT in, out, readingOnly;
  };
  const Case cases[] = {
      {bdLeftToRight, DT_LEFT | DT_SINGLELINE, DT_LEFT | DT_SINGLELINE, 0},
      {bdLeftToRight, DT_RIGHT, DT_RIGHT, 0},
      {bdRightToLeft, DT_LEFT | DT_SINGLELINE, DT_RIGHT | DT_SINGLELINE | DT_RTLREADING, DT_RTLREADING},
      {bdRightToLeft, DT_RIGHT | DT_VCENTER, DT_VCENTER | DT_RTLREADING, DT_RTLREADING},
      {bdRightToLeft, DT_CENTER, DT_CENTER | DT_RTLREADING, DT_RTLREADING},
      {bdRightToLeftNoAlign, DT_LEFT, DT_RTLREADING, DT_RTLREADING},
      {bdRightToLeftNoAlign, DT_RIGHT, DT_RIGHT | DT_RTLREADING, DT_RTLREADING},
      {bdRightToLeftReadingOnly, DT_LEFT, DT_RTLREADING, DT_RTLREADING},
  };
  TControl c(nullptr);
  for (const Case& k : cases) {
    c.SetBiDiMode(k.mode);
    EXPECT_EQ(c.DrawTextBiDiModeFlags(k.in), k.out) << k.mode << " " << k.in;
    EXPECT_EQ(c.DrawTextBiDiModeFlagsReadingOnly(), k.readingOnly);
  }
  const struct {
    TBiDiMode mode;
    bool reading, alignment, scrollBar;
  } uses[] = {
      {bdLeftToRight, false, false, false},
      {bdRightToLeft, true, true, true},
      {bdRightToLeftNoAlign, true, false, true},
      {bdRightToLeftReadingOnly, true, false, false},
  };
  for (const auto& u : uses) {
    c.SetBiDiMode(u.mode);
    EXPECT_EQ(c.UseRightToLeftReading(), u.reading) << u.mode;
    EXPECT_EQ(c.UseRightToLeftAlignment(), u.alignment) << u.mode;
    EXPECT_EQ(c.UseRightToLeftScrollBar(), u.scrollBar) << u.mode;
    EXPECT_EQ(c.IsRightToLeft(), u.mode != bdLeftToRight);
  }
}

TEST_F(BiDiTest, ChildrenFollowTheirParentUntilTheyAreGivenTheirOwnMode) {
  TForm* form = PlainForm(300, 200);
  auto* panel = new TCheck(form);
  panel->SetParent(form);
  panel->SetControlStyle(panel->ControlStyle() + csAcceptsControls);
  auto* inner = new TCheck(form);
  inner->SetParent(panel);
  auto* own = new TCheck(form);
  own->SetParent(form);
  own->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_FALSE(own->ParentBiDiMode());
  form->Show();
  ASSERT_TRUE(inner->HandleAllocated());
  const HWND before = inner->Handle();
  EXPECT_FALSE(GetWindowLongA(before, GWL_EXSTYLE) & WS_EX_RTLREADING);

  form->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(panel->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(inner->BiDiMode(), bdRightToLeft);  // through the panel
  EXPECT_TRUE(inner->ParentBiDiMode());
  EXPECT_EQ(own->BiDiMode(), bdRightToLeftReadingOnly);
  // The windows are made again with the reading-order styles.
  ASSERT_TRUE(inner->HandleAllocated());
  EXPECT_NE(inner->Handle(), before);
  const LONG ex = GetWindowLongA(inner->Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_RTLREADING);
  EXPECT_TRUE(ex & WS_EX_RIGHT);
  EXPECT_TRUE(ex & WS_EX_LEFTSCROLLBAR);
  const LONG ownEx = GetWindowLongA(own->Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(ownEx & WS_EX_RTLREADING);
  EXPECT_FALSE(ownEx & (WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR));

  // Given back to the parent, a control takes the parent's mode again.
  own->SetParentBiDiMode(true);
  EXPECT_EQ(own->BiDiMode(), bdRightToLeft);
  // A control placed later takes it when it is placed.
  auto* late = new TCheck(form);
  late->SetParent(form);
  EXPECT_EQ(late->BiDiMode(), bdRightToLeft);
  delete form;
}

TEST_F(BiDiTest, ACheckBoxShowsItsBoxOnTheMirroredSide) {
  TForm* form = PlainForm(300, 200);
  auto* box = new TCheckBox(form);
  box->SetParent(form);
  form->Show();
  struct Case {
    TBiDiMode mode;
    TLeftRight alignment;
    bool leftText;
  };
  const Case cases[] = {
      {bdLeftToRight, taRightJustify, false},
      {bdLeftToRight, taLeftJustify, true},
      {bdRightToLeft, taRightJustify, true},
      {bdRightToLeft, taLeftJustify, false},
      {bdRightToLeftReadingOnly, taRightJustify, false},
  };
  for (const Case& c : cases) {
    box->SetBiDiMode(c.mode);
    box->SetAlignment(c.alignment);
    box->RecreateWnd();
    EXPECT_EQ((GetWindowLongA(box->Handle(), GWL_STYLE) & BS_LEFTTEXT) != 0, c.leftText) << c.mode << " " << c.alignment;
  }
  delete form;
}

TEST_F(BiDiTest, TheModeIsWrittenOnlyWhenTheControlHasItsOwn) {
  TForm* form = PlainForm(300, 200);
  static_cast<TComponent*>(form)->SetName("BiDiForm");
  auto* follows = new TCheckBox(form);
  static_cast<TComponent*>(follows)->SetName("Follows");
  follows->SetParent(form);
  auto* own = new TCheckBox(form);
  static_cast<TComponent*>(own)->SetName("Own");
  own->SetParent(form);
  form->SetBiDiMode(bdRightToLeft);
  own->SetBiDiMode(bdRightToLeftNoAlign);
  TMemoryStream stream;
  WriteComponentToStream(&stream, form);
  const std::string text = ObjectBinaryToText(
      std::span<const uint8_t>(static_cast<const uint8_t*>(stream.Memory()), static_cast<size_t>(stream.Size())));
  const size_t follows_at = text.find("object Follows"), own_at = text.find("object Own");
  ASSERT_NE(follows_at, std::string::npos);
  ASSERT_NE(own_at, std::string::npos);
  EXPECT_LT(text.find("BiDiMode = bdRightToLeft"), follows_at) << text;  // the form's
  const std::string follows_part = text.substr(follows_at, own_at - follows_at);
  EXPECT_EQ(follows_part.find("BiDiMode"), std::string::npos) << text;
  const std::string own_part = text.substr(own_at);
  EXPECT_NE(own_part.find("BiDiMode = bdRightToLeftNoAlign"), std::string::npos) << text;
  EXPECT_NE(own_part.find("ParentBiDiMode = False"), std::string::npos) << text;
  delete form;
}

}  // namespace
