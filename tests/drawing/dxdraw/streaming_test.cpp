// A drawing form read from its form resource: the drawing control, the frame timer and the
// image list with their stored properties, the timer started once loaded.
#include <gtest/gtest.h>

#include "TypInfo.h"
#include "support.h"

using namespace dxdrawtest;

class TBoardForm : public TDXForm {
 public:
  explicit TBoardForm(TComponent* AOwner) : TDXForm(AOwner) {}
  TDXDraw* DXDraw = nullptr;
  TDXTimer* DXTimer = nullptr;
  TDXImageList* DXIL = nullptr;
  int Ticks = 0;
  void DXTimerTimer(TObject*, int32_t) { ++Ticks; }
};

static const bool registered = DeclareClass<TBoardForm, TDXForm>("TBoardForm")
                                   .Method("DXTimerTimer", &TBoardForm::DXTimerTimer)
                                   .Field("DXDraw", &TBoardForm::DXDraw)
                                   .Field("DXTimer", &TBoardForm::DXTimer)
                                   .Field("DXIL", &TBoardForm::DXIL)
                                   .Done();

namespace {

TEST(DrawingForm, ReadFromItsFormResource) {
  HeadlessScreen screen(320, 240);
  TBoardForm* form = CreateForm<TBoardForm>(Application);
  ASSERT_NE(form->DXDraw, nullptr);
  ASSERT_NE(form->DXTimer, nullptr);
  ASSERT_NE(form->DXIL, nullptr);
  EXPECT_EQ(DXDrawOptionsWord(form->DXDraw->Options()), 0x348D);
  EXPECT_EQ(DXDrawOptionsWord(form->DXDraw->EffectiveOptions()), 0x008D);
  EXPECT_TRUE(form->DXDraw->Display()->FixedRatio());
  EXPECT_EQ(form->DXTimer->Interval(), 10);
  EXPECT_TRUE(form->DXTimer->Started());  // started once loaded
  EXPECT_EQ(form->DXIL->DXDraw(), form->DXDraw);
  TPictureCollection* items = form->DXIL->Items();
  ASSERT_EQ(items->Count(), 4);
  EXPECT_EQ(items->Items(2)->Name(), AnsiString("prev"));
  EXPECT_FALSE(items->Items(2)->Transparent());
  EXPECT_EQ(items->Items(2)->TransparentColor(), clFuchsia);
  EXPECT_EQ(items->Find("GRID"), items->Items(3));  // the later "Grid" wins
  EXPECT_EQ(DXFormCount, 1);
  EXPECT_TRUE(GetWindowLongA(Application->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  // Shown, the control starts by itself (in the mode the board asks for: the screen's) and the
  // image list's items with it.
  form->DXDraw->Display()->SetWidth(320);
  form->DXDraw->Display()->SetHeight(240);
  form->DXDraw->Display()->SetBitCount(32);
  form->Show();
  winplat::user::PumpMessages();
  EXPECT_TRUE(form->DXDraw->Initialized());
  EXPECT_TRUE(items->Items(0)->Initialized());
  FreeAndNil(form);
  EXPECT_EQ(DXFormCount, 0);
  EXPECT_FALSE(GetWindowLongA(Application->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST(DrawingForm, MinimiseFromTheSystemMenu) {
  HeadlessScreen screen(320, 240);
  TDXForm* form = CreateNewForm<TDXForm>(Application);
  form->Show();
  EXPECT_TRUE(GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE | 2, 0);
  EXPECT_EQ(form->WindowState(), wsMinimized);
  form->SaveWindowPlacement();
  EXPECT_TRUE(form->PlacementSaved());
  EXPECT_EQ(form->WindowPlacement().length, 44u);
  FreeAndNil(form);
}

}  // namespace
