// The page select strip: a small form at the bottom edge with a thumbnail per page; a
// double-click on one turns the board to that page.
#pragma once
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "StdCtrls.h"

class TfrmPageSelect : public TForm {
 public:
  explicit TfrmPageSelect(TComponent* AOwner);
  ~TfrmPageSelect() override;

  TListView* lstPreview = nullptr;
  TPanel* pnlClose = nullptr;
  TButton* btnClose = nullptr;
  TImageList* ilPreview = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void lstPreviewDblClick(TObject* Sender);
  void pnlCloseClick(TObject* Sender);
  void pnlCloseMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void pnlCloseMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void btnCloseClick(TObject* Sender);
};

// The program's page select form (null while there is none).
extern TfrmPageSelect* frmPageSelect;
