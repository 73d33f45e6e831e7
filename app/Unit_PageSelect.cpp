// The page select strip.
#include "Unit_PageSelect.h"
#include <algorithm>


#include "TypInfo.h"
#include "Unit_Main.h"
#include "windows.h"

TfrmPageSelect* frmPageSelect = nullptr;

TfrmPageSelect::TfrmPageSelect(TComponent* AOwner) : TForm(AOwner) {
  if (!frmPageSelect) frmPageSelect = this;
}

TfrmPageSelect::~TfrmPageSelect() {
  if (frmPageSelect == this) frmPageSelect = nullptr;
}

void TfrmPageSelect::FormCreate(TObject*) {
  HWND h = Handle();
  SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) ^ WS_CAPTION);
  SetWindowPos(h, nullptr, 0, 0, Width(), Height() + GetSystemMetrics(SM_CYMENU),
               SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE);
  SetTop(Screen->Height() - Height());
  btnClose->SetLeft(-btnClose->Width());
}

void TfrmPageSelect::FormShow(TObject*) {
  TfrmMain* main = frmMain;
  TBlackBoard& b = *main->Board();
  TDirectDrawSurface* surface = main->DXDraw->Surface();
  surface->Fill(surface->ColorMatch(RGB(120, 200, 0)));
  b.PaintFrame();
  if (!main->ToolbarShown()) {
    POINT p{0, 0};
    GetCursorPos(&p);
    b.DrawToolCursor(TPoint{p.x, p.y});
  }
  surface->FillRectAlpha(Rect(0, 0, main->DXDraw->Width(), main->DXDraw->Height()), clBlack, 196);
  main->DXDraw->SetCursor(crArrow);

  ilPreview->Clear();
  ilPreview->AddImages(main->ilPreview);
  // One item for each page of the board, whatever thumbnails are left over from another board.
  TListItems* items = lstPreview->Items();
  items->BeginUpdate();
  items->Clear();
  TListItem* current = nullptr;
  const int pages = std::min<int>(static_cast<int>(b.PageCount), ilPreview->Count());
  for (int i = 0; i < pages; ++i) {
    TListItem* item = items->Add();
    item->SetCaption(IntToStr(i + 1) + "ページ");
    item->SetImageIndex(i);
    if (static_cast<uint32_t>(i + 1) == b.CurrentPage) current = item;
  }
  items->EndUpdate();
  lstPreview->SetSelected(current);
  if (current) {
    current->SetFocused(true);
    lstPreview->Scroll(0, current->Position().y - (lstPreview->Height() - 120) / 2);
  }
}

void TfrmPageSelect::lstPreviewDblClick(TObject*) {
  TListItem* item = lstPreview->Selected();
  if (!item) {
    Close();
    return;
  }
  TBlackBoard& b = *frmMain->Board();
  // A page that fails to load still closes the strip, so the board runs again.
  try {
    const uint32_t page = static_cast<uint32_t>(item->Index()) + 1;
    b.SavePage();
    b.LoadPage(page);
    b.CurrentPage = page;
    b.Dust->Clear();
    b.Dust->ClearTray();
  } catch (...) {
    Close();
    Application->HandleException(this);
    return;
  }
  Close();
}

void TfrmPageSelect::FormClose(TObject*, TCloseAction&) {
  TfrmMain* main = frmMain;
  if (!main) return;
  main->DXDraw->SetCursor(crNone);
  if (main->Board()) main->Board()->PageSelectOpen = 0;
  main->DXTimer->SetEnabled(true);
}

void TfrmPageSelect::pnlCloseClick(TObject*) { Close(); }

void TfrmPageSelect::pnlCloseMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  pnlClose->SetBevelOuter(bvLowered);
}

void TfrmPageSelect::pnlCloseMouseUp(TObject*, TMouseButton, TShiftState, int, int) { pnlClose->SetBevelOuter(bvRaised); }

void TfrmPageSelect::btnCloseClick(TObject*) { Close(); }

void TBlackBoard::OpenPageSelect(bool AtRight) {
  if (!frmPageSelect) return;
  FillMissingThumbnails();
  UpdateThumbnail();
  frmPageSelect->SetLeft(AtRight ? Screen->Width() - frmPageSelect->Width() : 0);
  PageSelectOpen = 1;
  frmPageSelect->Show();
}

static const bool registered = DeclareClass<TfrmPageSelect, TForm>("TfrmPageSelect")
                                   .Method("FormCreate", &TfrmPageSelect::FormCreate)
                                   .Method("FormShow", &TfrmPageSelect::FormShow)
                                   .Method("FormClose", &TfrmPageSelect::FormClose)
                                   .Method("lstPreviewDblClick", &TfrmPageSelect::lstPreviewDblClick)
                                   .Method("pnlCloseClick", &TfrmPageSelect::pnlCloseClick)
                                   .Method("pnlCloseMouseDown", &TfrmPageSelect::pnlCloseMouseDown)
                                   .Method("pnlCloseMouseUp", &TfrmPageSelect::pnlCloseMouseUp)
                                   .Method("btnCloseClick", &TfrmPageSelect::btnCloseClick)
                                   .Field("lstPreview", &TfrmPageSelect::lstPreview)
                                   .Field("pnlClose", &TfrmPageSelect::pnlClose)
                                   .Field("btnClose", &TfrmPageSelect::btnClose)
                                   .Field("ilPreview", &TfrmPageSelect::ilPreview)
                                   .Done();
