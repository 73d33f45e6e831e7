// The wide file dialogs: the framework prepares the dialog's record as it would; the layer takes
// that record and runs the platform's wide dialog with wide texts, so file names outside the code
// page survive.
#pragma once
#include <memory>

#include "Dialogs.h"
#include "UcClasses.h"

class TUcOpenDialog : public TOpenDialog {
 public:
  explicit TUcOpenDialog(TComponent* AOwner);
  ~TUcOpenDialog() override;
  bool Execute() override;

  WideString DefaultExt();
  void SetDefaultExt(const WideString& Value);
  // While the dialog is up, the path it shows now; else the stored name.
  WideString FileName();
  void SetFileName(const WideString& Value);
  WideString Filter();
  void SetFilter(const WideString& Value);
  // One trailing "\" is dropped (not from a drive root such as "C:\").
  WideString InitialDir();
  void SetInitialDir(const WideString& Value);
  WideString Title();
  void SetTitle(const WideString& Value);
  TUcStringList* WideFiles() const { return wide_files_.get(); }
  TIncludeItemEvent OnIncludeItem;

  // The framework's record as it prepared it for the last run.
  const OPENFILENAMEA& PreparedRecord() const { return prepared_; }
  void WndProc(TMessage& Message) override;

 protected:
  friend BOOL WINAPI CapturePreparedRecord(LPOPENFILENAMEA Record);
  using TWideDialogFunc = BOOL(WINAPI*)(LPOPENFILENAMEW);
  // Captures the framework's preparation, then runs DialogFunction with the wide record.
  bool RunWideDialog(TWideDialogFunc DialogFunction);
  // The names the dialog answered in Record into WideFiles, FileName and the framework's Files.
  void GetWideFileNames(const OPENFILENAMEW& Record);
  // CDN_FILEOK: the names of the record, then the framework's close query.
  bool WideCanClose(const OPENFILENAMEW& Record);
  void DefineProperties(TFiler* Filer) override;
  bool DoCanClose() override;
  void DoIncludeItem(const OFNOTIFYEXA& OFNotifyEx, bool& Include) override;

 private:
  WideString wide_default_ext_, wide_file_name_, wide_filter_, wide_initial_dir_, wide_title_;
  std::unique_ptr<TUcStringList> wide_files_;
  OPENFILENAMEA prepared_{};
  bool allow_can_close_ = false;
};

class TUcSaveDialog : public TUcOpenDialog {
 public:
  explicit TUcSaveDialog(TComponent* AOwner) : TUcOpenDialog(AOwner) {}
  bool Execute() override;
};

// The dialog whose framework preparation is being captured (nullptr outside RunWideDialog).
TUcOpenDialog* DialogBeingPrepared();
