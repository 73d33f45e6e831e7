// The page select strip: opened by the right button on a tray arrow, one thumbnail per page with
// the current one selected and in the middle, a double-click turning to a page with its own
// colour and grid, Esc and a board click closing it; the timer running again whatever happens.
#include <cstring>

#include "main_support.h"

using namespace maintest;

namespace {

constexpr TColor kClassical = static_cast<TColor>(0x281E1E);  // RGB(30, 30, 40)

class PageSelect : public Program {
 protected:
  // Page n of the working folder: a picture filled with its colour, its record, a grid picture.
  void WritePage(int n, TColor colour, bool grid) {
    TBitmap page;
    page.SetPixelFormat(pf24bit);
    page.SetSize(W, H - 48);
    page.Canvas()->Brush()->SetColor(colour);
    page.Canvas()->FillRect(Rect(0, 0, W, H - 48));
    fs::create_directories(Tmp(""));
    page.SaveToFile((Tmp(std::to_string(n) + ".bmp")).string());
    const uint8_t record[8] = {static_cast<uint8_t>(grid), 0, 0, 0, static_cast<uint8_t>(colour),
                               static_cast<uint8_t>(colour >> 8), static_cast<uint8_t>(colour >> 16), 0};
    std::ofstream(Tmp(std::to_string(n) + ".dat"), std::ios::binary).write(reinterpret_cast<const char*>(record), 8);
    if (grid) {
      TBitmap lines;
      lines.SetPixelFormat(pf24bit);
      lines.SetSize(W, H - 48);
      lines.Canvas()->Brush()->SetColor(clBlack);
      lines.Canvas()->FillRect(Rect(0, 0, W, H - 48));
      lines.Canvas()->Pen()->SetColor(clWhite);
      for (int y = 0; y < H - 48; y += 32) {
        lines.Canvas()->MoveTo(0, y);
        lines.Canvas()->LineTo(W, y);
      }
      lines.SaveToFile((Tmp(std::to_string(n) + "g.bmp")).string());
    }
  }
  // A board of Pages pages on the working folder, page Current on the board.
  TfrmMain* StartWithPages(uint32_t Pages, uint32_t Current) {
    TfrmMain* form = Start();
    TBlackBoard& b = Board();
    for (uint32_t n = 1; n <= Pages; ++n)
      WritePage(static_cast<int>(n), n == 1 ? kClassical : static_cast<TColor>(0x005000), n == 1);
    b.PageCount = Pages;
    b.LoadPage(Current);
    b.CurrentPage = Current;
    Tick();
    return form;
  }
  void OpenAt(bool Right) {
    screen->Click(Right ? W - 10 : 10, H - 20, 1);
    Application->ProcessMessages();
  }
  TPoint ItemCentre(TListItem* Item) {
    const TRect r = Item->DisplayRect(LVIR_ICON);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(frmPageSelect->lstPreview->Handle(), &p);
    return TPoint{p.x, p.y};
  }
};

TEST_F(PageSelect, TheRightButtonOnAnArrowOpensTheStripWithTheCurrentPageSelectedInTheMiddle) {
  TfrmMain* form = StartWithPages(5, 3);
  TBlackBoard& b = Board();
  OpenAt(true);
  ASSERT_TRUE(frmPageSelect->Visible());
  EXPECT_EQ(b.PageSelectOpen, 1);
  EXPECT_EQ(frmPageSelect->Left(), W - frmPageSelect->Width());
  EXPECT_EQ(frmPageSelect->Top() + frmPageSelect->Height(), H);
  EXPECT_EQ(frmPageSelect->FormStyle(), fsStayOnTop);
  TListItems* items = frmPageSelect->lstPreview->Items();
  ASSERT_EQ(items->Count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(items->Item(i)->Caption(), IntToStr(i + 1) + "ページ");
    EXPECT_EQ(items->Item(i)->ImageIndex(), i);
  }
  ASSERT_NE(frmPageSelect->lstPreview->Selected(), nullptr);
  EXPECT_EQ(frmPageSelect->lstPreview->Selected()->Index(), 2);
  // Scrolled so that the selected page's thumbnail sits in the middle of the list.
  const TRect r = frmPageSelect->lstPreview->Selected()->DisplayRect(LVIR_ICON);
  const int middle = frmPageSelect->lstPreview->ClientHeight() / 2;
  EXPECT_LE(std::abs((r.top + r.bottom) / 2 - middle), 40) << r.top << " " << r.bottom;
  EXPECT_EQ(form->DXDraw->Cursor(), crArrow);
  // One dimmed frame, then the timer stands still.
  Tick();
  EXPECT_FALSE(form->DXTimer->Enabled());
  const uint32_t dimmed = At(W / 2, 100);
  EXPECT_LT(dimmed & 0xFF00, 0x5000u);
  EXPECT_NE(dimmed, 0u);
  Application->ProcessMessages();
  Shot("page_select");
  // The left arrow opens it at the left edge.
  frmPageSelect->Close();
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_EQ(b.PageSelectOpen, 0);
  EXPECT_EQ(form->DXDraw->Cursor(), crNone);
  OpenAt(false);
  EXPECT_EQ(frmPageSelect->Left(), 0);
  frmPageSelect->Close();
}

TEST_F(PageSelect, ADoubleClickTurnsToThePageWithItsColourAndGrid) {
  TfrmMain* form = StartWithPages(3, 3);
  TBlackBoard& b = Board();
  EXPECT_EQ(b.GridOn, 0);
  OpenAt(false);
  Tick();
  TListItem* first = frmPageSelect->lstPreview->Items()->Item(0);
  first->MakeVisible(false);
  const TPoint at = ItemCentre(first);
  screen->DoubleClick(at.x, at.y);
  Application->ProcessMessages();
  EXPECT_FALSE(frmPageSelect->Visible());
  EXPECT_EQ(b.CurrentPage, 1u);
  EXPECT_EQ(b.BackColor, kClassical);
  EXPECT_EQ(b.GridOn, 1);
  EXPECT_EQ(b.PageSelectOpen, 0);
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_EQ(form->DXDraw->Cursor(), crNone);
  // The page it left was kept.
  EXPECT_TRUE(fs::exists(Tmp("3.bmp")));
  Tick();
  EXPECT_EQ(At(W / 2, 100) , 0x1E1E28u);
  EXPECT_EQ(At(W / 2, 32), 0xFFFFFFu);  // a grid line
}

TEST_F(PageSelect, EscAnEmptyDoubleClickAndABoardClickCloseItWithThePageKept) {
  TfrmMain* form = StartWithPages(3, 2);
  TBlackBoard& b = Board();
  struct Case {
    const char* what;
    std::function<void()> close;
  };
  const Case cases[] = {
      {"Esc", [&] { screen->PressKey(VK_ESCAPE); }},
      {"double-click with nothing selected",
       [&] {
         frmPageSelect->lstPreview->SetSelected(nullptr);
         frmPageSelect->lstPreviewDblClick(frmPageSelect->lstPreview);
       }},
      {"the close panel", [&] {
         POINT p{frmPageSelect->pnlClose->Width() / 2, frmPageSelect->pnlClose->Height() / 2};
         ClientToScreen(frmPageSelect->pnlClose->Handle(), &p);
         screen->Click(p.x, p.y);
       }},
      {"a click on the board", [&] { screen->Click(W / 2, 200); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenAt(true);
    Tick();
    ASSERT_TRUE(frmPageSelect->Visible());
    ASSERT_FALSE(form->DXTimer->Enabled());
    c.close();
    Application->ProcessMessages();
    EXPECT_FALSE(frmPageSelect->Visible());
    EXPECT_EQ(b.PageSelectOpen, 0);
    EXPECT_EQ(b.CurrentPage, 2u);
    EXPECT_TRUE(form->DXTimer->Enabled());
    EXPECT_FALSE(b.MouseState->Bits(0));  // the closing click drew nothing
  }
  EXPECT_EQ(MessagesShown(), 0u);
}

TEST_F(PageSelect, TheStripListsExactlyTheBoardsPagesWhateverThumbnailsAreLeft) {
  TfrmMain* form = StartWithPages(2, 2);
  // Thumbnails of an earlier, longer board.
  TBitmap old;
  old.SetSize(160, 120);
  for (int i = 0; i < 5; ++i) form->ilPreview->Add(&old, nullptr);
  OpenAt(true);
  EXPECT_EQ(frmPageSelect->lstPreview->Items()->Count(), 2);
  frmPageSelect->Close();
  // And a board just opened, with no thumbnails yet: made from its pictures.
  form->ilPreview->Clear();
  Board().PageCount = 3;
  WritePage(3, static_cast<TColor>(0x0000FF), false);
  OpenAt(true);
  EXPECT_EQ(frmPageSelect->lstPreview->Items()->Count(), 3);
  EXPECT_EQ(form->ilPreview->Count(), 3);
  TBitmap thumb;
  ASSERT_TRUE(form->ilPreview->GetBitmap(0, &thumb));
  EXPECT_EQ(boardtest::PixelAt(&thumb, 80, 60), kClassical);
  ASSERT_TRUE(form->ilPreview->GetBitmap(2, &thumb));
  EXPECT_EQ(boardtest::PixelAt(&thumb, 80, 60), static_cast<TColor>(0x0000FF));
  frmPageSelect->Close();
}

TEST_F(PageSelect, APageThatFailsToLoadStillClosesTheStripAndIsReportedOnce) {
  TfrmMain* form = StartWithPages(3, 3);
  TBlackBoard& b = Board();
  boardtest::WriteText(Tmp("1.bmp"), "BM not a picture");
  OpenAt(true);
  Tick();
  answers_->Push(IDOK);
  frmPageSelect->lstPreview->SetSelected(frmPageSelect->lstPreview->Items()->Item(0));
  frmPageSelect->lstPreviewDblClick(frmPageSelect->lstPreview);
  Application->ProcessMessages();
  EXPECT_FALSE(frmPageSelect->Visible());
  EXPECT_EQ(b.PageSelectOpen, 0);
  EXPECT_TRUE(form->DXTimer->Enabled());
  EXPECT_EQ(MessagesShown(), 1u);
  EXPECT_EQ(b.CurrentPage, 3u);  // the board stays on the page it showed
}

}  // namespace
