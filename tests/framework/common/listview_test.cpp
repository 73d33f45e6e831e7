// The list view in its icon view (the page chooser's use: thumbnails, the current one selected
// and scrolled to, a double click), and the progress bar.
#include <gtest/gtest.h>

#include <string>

#include "ComCtrls.h"
#include "Forms.h"
#include "test_support.h"
#include "ui_fixture.h"

namespace {

class ListViewTest : public UiTest {};

TEST_F(ListViewTest, ThumbnailsSelectedScrolledAndDoubleClicked) {
  TForm* form = CreateNewForm<TForm>(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 309, 276);
  auto* thumbs = new TImageList(form);
  thumbs->SetMasked(false);
  thumbs->SetWidth(160);
  thumbs->SetHeight(120);
  const TColor colours[] = {clRed, clGreen, clBlue, clOlive, clTeal, clPurple};
  for (TColor c : colours) {
    TBitmap b;
    b.SetSize(160, 120);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(TRect{0, 0, 160, 120});
    thumbs->Add(&b, nullptr);
  }
  auto* lv = new TListView(form);
  lv->SetParent(form);
  lv->SetAlign(alClient);
  lv->SetLargeImages(thumbs);
  lv->IconOptions()->SetAutoArrange(true);
  int dbl = 0;
  TListItem* atDbl = nullptr;
  lv->OnDblClick = [&](TObject*) {
    ++dbl;
    atDbl = lv->Selected();
  };
  // Items made before the window: kept and put into it.
  for (int i = 0; i < 6; ++i) {
    TListItem* it = lv->Items()->Add();
    it->SetCaption(IntToStr(i + 1) + "ページ");
    it->SetImageIndex(i);
  }
  lv->Items()->Item(3)->SetSelected(true);
  EXPECT_EQ(lv->ItemIndex(), 3);
  form->Show();
  ASSERT_TRUE(lv->HandleAllocated());
  EXPECT_EQ(SendMessageA(lv->Handle(), LVM_GETITEMCOUNT, 0, 0), 6);
  EXPECT_EQ(lv->Selected(), lv->Items()->Item(3));
  EXPECT_EQ(lv->SelCount(), 1);
  // The selected item brought to the middle: scrolled by its Y less (height - 120) / 2.
  TListItem* sel = lv->Selected();
  int y = sel->Position().y;
  lv->Scroll(0, y - (lv->ClientHeight() - 120) / 2);
  EXPECT_LT(sel->Position().y, y);
  winplat::user::PumpMessages();
  ASSERT_TRUE(test_support::WriteScreenshotPng("listview.png"));
  // A double click on the middle item's picture fires OnDblClick once, with it selected.
  lv->SetItemIndex(-1);
  TRect r = lv->Items()->Item(3)->DisplayRect(LVIR_ICON);
  ASSERT_GT(r.top, 0);
  TPoint p = lv->ClientToScreen(TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  Input().DoubleClick(p.x, p.y);
  winplat::user::PumpMessages();
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(atDbl, lv->Items()->Item(3));
  // The selection survives a new window.
  lv->SetItemIndex(5);
  lv->RecreateWnd();
  EXPECT_EQ(lv->ItemIndex(), 5);
  EXPECT_EQ(lv->Items()->Item(5)->Caption(), "6ページ");
  lv->Items()->Delete(0);
  EXPECT_EQ(lv->ItemIndex(), 4);
  lv->Items()->Clear();
  EXPECT_EQ(lv->Selected(), nullptr);
  EXPECT_EQ(SendMessageA(lv->Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
  delete form;
}

TEST_F(ListViewTest, ProgressBarRangeAndSteps) {
  TForm* form = CreateNewForm<TForm>(Application);
  auto* pb = new TProgressBar(form);
  pb->SetParent(form);
  pb->SetMax(9999);
  pb->SetPosition(12000);  // kept within the range
  EXPECT_EQ(pb->Position(), 9999);
  pb->SetPosition(10);
  form->Show();
  ASSERT_TRUE(pb->HandleAllocated());
  EXPECT_EQ(SendMessageA(pb->Handle(), PBM_GETPOS, 0, 0), 10);
  pb->SetStep(5);
  pb->StepIt();
  EXPECT_EQ(pb->Position(), 15);
  pb->StepBy(100);
  EXPECT_EQ(pb->Position(), 115);
  pb->SetSmooth(true);  // a new window keeps the position
  EXPECT_EQ(pb->Position(), 115);
  EXPECT_TRUE(GetWindowLongA(pb->Handle(), GWL_STYLE) & PBS_SMOOTH);
  delete form;
}

}  // namespace
