// The title form of a board being saved, and the rule that turns a title into the archive's file
// name.
#pragma once
#include "Forms.h"
#include "UcForms.h"
#include "UcStdCtrls.h"

class TfrmFileNameInput : public TUcForm {
 public:
  explicit TfrmFileNameInput(TComponent* AOwner) : TUcForm(AOwner) {}
  ~TfrmFileNameInput() override;

  TUcLabel* lblMes = nullptr;
  TUcEdit* edtTitle = nullptr;
  TUcButton* btnOK = nullptr;
  TUcButton* btnCancel = nullptr;

  void FormShow(TObject* Sender);
  // OK with a title that is empty or only blanks keeps the form up.
  void FormCloseQuery(TObject* Sender, bool& CanClose);
};

extern TfrmFileNameInput* frmFileNameInput;

// True when the title has something other than blanks (spaces, ideographic spaces, controls).
bool IsBoardTitle(const WideString& Title);
// The title as the file-name stem of its archive in the ANSI code page: every character a file
// name cannot hold or the code page cannot spell (\ : * ? " / < > |, characters below U+0020,
// characters outside code page 932) becomes "-", decided on the wide text before it is narrowed,
// so that no trail byte is taken for a separator and no two titles narrow to one name.
AnsiString BoardFileTitle(const WideString& Title);
