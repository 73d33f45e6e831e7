// Speed buttons on the headless screen: pressed while the mouse holds them, clicked when it lets
// go over them; a group keeps one button down (AllowAllUp lets it come up); the action link
// pushes Caption, Hint, Enabled and Checked (as Down); the caption moves with the pressed face;
// the properties in a form's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActnList.h"
#include "Buttons.h"
#include "Classes_Streaming.h"
#include "Forms.h"
#include "test_support.h"
#include "ui_fixture.h"

namespace {

class SpeedButtons : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    form = CreateNewForm<TForm>(Application);
    form->SetBounds(0, 0, 300, 120);
    form->SetBorderStyle(bsNone);
    form->Show();
  }
  void TearDown() override {
    FreeAndNil(form);
    UiTest::TearDown();
  }
  TSpeedButton* Button(int left, int group, const char* caption) {
    auto* b = new TSpeedButton(form);
    b->SetParent(form);
    b->SetBounds(left, 10, 60, 24);
    b->SetGroupIndex(group);
    b->SetCaption(caption);
    return b;
  }
  static void Pump() {
    Application->ProcessMessages();
    winplat::user::PumpMessages();
  }
  // The left-most column of black (caption) pixels in the button's area.
  static int CaptionLeft(TSpeedButton* b) {
    int w, h;
    auto p = winplat::screen::CurrentBackend()->Screenshot(&w, &h);
    for (int x = b->Left(); x < b->Left() + b->Width(); ++x)
      for (int y = b->Top(); y < b->Top() + b->Height(); ++y)
        if (p[static_cast<size_t>(y) * w + x] == 0) return x;
    return -1;
  }
  TForm* form = nullptr;
};

TEST_F(SpeedButtons, APlainButtonIsPressedWhileHeldAndClickedWhenLetGoOverIt) {
  TSpeedButton* b = Button(10, 0, "Go");
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Pump();
  const int up_left = CaptionLeft(b);
  ASSERT_GE(up_left, 0);
  Input().MouseDown(40, 20);
  Pump();
  EXPECT_EQ(b->State(), bsDown);
  EXPECT_EQ(CaptionLeft(b), up_left + 1);  // the pressed face moves its content
  Input().MouseMove(200, 90);  // dragged off: up again, no click
  Pump();
  EXPECT_EQ(b->State(), bsUp);
  Input().MouseUp(200, 90);
  Pump();
  EXPECT_EQ(clicks, 0);
  Input().Click(40, 20);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->State(), bsUp);
  EXPECT_FALSE(b->Down());
  b->SetDown(true);  // outside a group a button never stays down
  EXPECT_FALSE(b->Down());
  b->SetEnabled(false);
  Input().Click(40, 20);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->State(), bsDisabled);
}

TEST_F(SpeedButtons, AGroupKeepsOneButtonDownAndAllowAllUpLetsItComeUp) {
  TSpeedButton* a = Button(10, 1, "A");
  TSpeedButton* b = Button(80, 1, "B");
  TSpeedButton* other = Button(150, 2, "C");
  std::vector<std::string> log;
  a->OnClick = [&](TObject*) { log.push_back(a->Down() ? "A down" : "A up"); };
  other->SetDown(true);
  Pump();
  Input().Click(40, 20);
  Pump();
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(a->State(), bsExclusive);
  Input().Click(110, 20);
  Pump();
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  EXPECT_TRUE(other->Down());  // another group
  // The button that is down stays down when clicked again, unless the group allows all up.
  Input().Click(110, 20);
  Pump();
  EXPECT_TRUE(b->Down());
  a->SetAllowAllUp(true);
  EXPECT_TRUE(b->AllowAllUp());  // the whole group
  Input().Click(110, 20);
  Pump();
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(log, (std::vector<std::string>{"A down"}));  // the handler sees the new state
}

TEST_F(SpeedButtons, TheActionLinkPushesCaptionHintEnabledAndCheckedAsDown) {
  auto* list = new TActionList(form);
  auto* action = new TAction(form);
  action->SetActionList(list);
  action->SetCaption("Pen");
  action->SetGroupIndex(3);
  int runs = 0;
  action->OnExecute = [&](TObject*) { ++runs; };
  TSpeedButton* b = Button(10, 0, "");
  b->SetAction(action);
  EXPECT_EQ(b->Caption(), "Pen");
  EXPECT_EQ(b->GroupIndex(), 3);
  action->SetCaption("Chalk");
  action->SetHint("Draws|Draws with chalk");
  action->SetChecked(true);
  EXPECT_EQ(b->Caption(), "Chalk");
  EXPECT_EQ(b->Hint(), "Draws|Draws with chalk");
  EXPECT_TRUE(b->Down());
  action->SetChecked(false);
  EXPECT_FALSE(b->Down());
  action->SetEnabled(false);
  EXPECT_FALSE(b->Enabled());
  action->SetEnabled(true);
  Pump();
  Input().Click(40, 20);
  Pump();
  EXPECT_EQ(runs, 1);
  // Linked values are the action's and are not stored with the button.
  action->SetChecked(b->Down());
  EXPECT_FALSE(b->IsCaptionStored());
  EXPECT_FALSE(b->IsCheckedStored());
  b->SetCaption("own");
  EXPECT_TRUE(b->IsCaptionStored());
}

TEST_F(SpeedButtons, ItsPropertiesGoThroughAFormsText) {
  static_cast<TComponent*>(form)->SetName("SpeedForm");
  TSpeedButton* b = Button(10, 4, "Grid");
  static_cast<TComponent*>(b)->SetName("sbGrid");
  b->SetAllowAllUp(true);
  b->SetDown(true);
  b->SetFlat(true);
  b->SetLayout(blGlyphTop);
  b->SetMargin(2);
  TMemoryStream stream;
  WriteComponentToStream(&stream, form);
  const std::string text = ObjectBinaryToText(
      std::span<const uint8_t>(static_cast<const uint8_t*>(stream.Memory()), static_cast<size_t>(stream.Size())));
  for (const char* want : {"object sbGrid: TSpeedButton", "AllowAllUp = True", "GroupIndex = 4", "Down = True",
                           "Flat = True", "Layout = blGlyphTop", "Margin = 2", "Caption = 'Grid'"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  EXPECT_EQ(text.find("Spacing"), std::string::npos);  // the default is not written

  delete b;
  stream.SetPosition(0);
  TForm* copy = CreateNewForm<TForm>(nullptr);
  ReadComponentFromStream(&stream, copy);
  auto* read = dynamic_cast<TSpeedButton*>(copy->FindComponent("sbGrid"));
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->Down());  // read after its group index
  EXPECT_TRUE(read->AllowAllUp());
  EXPECT_EQ(read->GroupIndex(), 4);
  EXPECT_TRUE(read->Flat());
  EXPECT_EQ(read->Layout(), blGlyphTop);
  EXPECT_EQ(read->Caption(), "Grid");
  FreeAndNil(copy);
}

}  // namespace
