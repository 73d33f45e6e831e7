// FileCtrl: a list box of the files of a folder that match a mask.
#pragma once
#include "StdCtrls.h"

enum TFileAttr { ftReadOnly, ftHidden, ftSystem, ftVolumeID, ftDirectory, ftArchive, ftNormal };
using TFileType = TSet<TFileAttr>;

// The files of Directory matching Mask (several masks separated by ";"), sorted. Setting the
// directory does not change the process's current directory: FileName and the items name
// files of Directory, and callers resolve the items against it.
class TFileListBox : public TCustomListBox {
 public:
  explicit TFileListBox(TComponent* AOwner);

  // The folder listed, as a full path without a trailing separator.
  const AnsiString& Directory() const { return directory_; }
  void SetDirectory(const AnsiString& Value);
  const AnsiString& Mask() const { return mask_; }
  void SetMask(const AnsiString& Value);
  // Which entries are listed: normal files (ftNormal), and read-only, hidden, system, archive
  // files or folders ("[name]") when their kind is in the set.
  TFileType FileType() const { return file_type_; }
  void SetFileType(TFileType Value);
  // The selected item as a full path; empty when none is selected.
  AnsiString FileName();
  // Selects the item of a file (a name with a folder also sets Directory).
  void SetFileName(const AnsiString& Value);
  // An edit that shows the selected name (the mask while nothing is selected).
  TEdit* FileEdit() const { return file_edit_; }
  void SetFileEdit(TEdit* Value);
  // Lists the folder again (Update stays the control's repaint).
  virtual void ReadFileNames();

  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  void Click() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  AnsiString directory_;
  AnsiString mask_ = "*.*";
  TFileType file_type_{ftNormal};
  TEdit* file_edit_ = nullptr;
  int last_sel_ = -1;
};
