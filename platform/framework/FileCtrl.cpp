// TFileListBox: a sorted list box filled from a folder listing.
#include "FileCtrl.h"

#include "SysUtils.h"
#include "TypInfo.h"

TFileListBox::TFileListBox(TComponent* AOwner) : TCustomListBox(AOwner) {
  width_ = 145;
  SetSorted(true);
  directory_ = ExcludeTrailingPathDelimiter(GetCurrentDir());
}

void TFileListBox::SetDirectory(const AnsiString& Value) {
  AnsiString full = ExcludeTrailingPathDelimiter(ExpandFileName(Value.empty() ? AnsiString(".") : Value));
  if (full == directory_) return;
  directory_ = full;
  if (!ComponentState().Contains(csLoading)) ReadFileNames();
}

void TFileListBox::SetMask(const AnsiString& Value) {
  AnsiString mask = Value.empty() ? AnsiString("*.*") : Value;
  if (mask == mask_) return;
  mask_ = mask;
  if (!ComponentState().Contains(csLoading)) ReadFileNames();
}

void TFileListBox::SetFileType(TFileType Value) {
  if (file_type_ == Value) return;
  file_type_ = Value;
  if (!ComponentState().Contains(csLoading)) ReadFileNames();
}

void TFileListBox::Loaded() {
  TCustomListBox::Loaded();
  ReadFileNames();
}

void TFileListBox::ReadFileNames() {
  int attr = 0;
  if (file_type_.Contains(ftReadOnly)) attr |= faReadOnly;
  if (file_type_.Contains(ftHidden)) attr |= faHidden;
  if (file_type_.Contains(ftSystem)) attr |= faSysFile;
  if (file_type_.Contains(ftDirectory)) attr |= faDirectory;
  if (file_type_.Contains(ftArchive)) attr |= faArchive;
  // A file is listed when each of its special attributes was asked for; a normal file when
  // normal files were.
  const int special = faReadOnly | faHidden | faSysFile;
  TStrings* items = Items();
  items->BeginUpdate();
  try {
    items->Clear();
    AnsiString folder = IncludeTrailingPathDelimiter(directory_);
    size_t start = 0;
    while (start <= mask_.size()) {
      size_t end = mask_.find(';', start);
      if (end == AnsiString::npos) end = mask_.size();
      AnsiString one = Trim(mask_.substr(start, end - start));
      start = end + 1;
      if (one.empty()) continue;
      TSearchRec rec;
      if (FindFirst(folder + one, attr, rec) == 0) {
        do {
          if (rec.Name == "." || (rec.Attr & faVolumeID)) continue;
          AnsiString name = rec.Name;
          if (rec.Attr & faDirectory) {
            if (!(attr & faDirectory) || rec.Name == "..") continue;
            name = "[" + rec.Name + "]";
          } else {
            const int has = rec.Attr & special;
            const bool wanted = has ? (has & ~attr) == 0 : file_type_.Contains(ftNormal) ||
                                                          ((rec.Attr & faArchive) && (attr & faArchive));
            if (!wanted) continue;
          }
          if (items->IndexOf(name) < 0) items->Add(name);
        } while (FindNext(rec) == 0);
        FindClose(rec);
      }
    }
  } catch (...) {
    items->EndUpdate();
    throw;
  }
  items->EndUpdate();
  last_sel_ = -1;
}

AnsiString TFileListBox::FileName() {
  int i = ItemIndex();
  if (i < 0 || i >= Items()->Count() || !Selected(i)) return AnsiString();
  return IncludeTrailingPathDelimiter(directory_) + Items()->Strings(i);
}

void TFileListBox::SetFileName(const AnsiString& Value) {
  AnsiString path = ExtractFilePath(Value);
  if (!path.empty()) SetDirectory(path);
  SetItemIndex(Items()->IndexOf(ExtractFileName(Value)));
  Change();
}

void TFileListBox::SetFileEdit(TEdit* Value) {
  file_edit_ = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  AnsiString name = FileName();
  Value->SetText(name.empty() ? mask_ : ExtractFileName(name));
}

void TFileListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomListBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == file_edit_) file_edit_ = nullptr;
}

void TFileListBox::Click() {
  TCustomListBox::Click();
  if (last_sel_ != ItemIndex()) Change();
}

void TFileListBox::Change() {
  last_sel_ = ItemIndex();
  if (file_edit_) {
    AnsiString name = FileName();
    file_edit_->SetText(name.empty() ? mask_ : ExtractFileName(name));
    file_edit_->SelectAll();
  }
  if (OnChange) OnChange(this);
}

static const bool registered =
    DeclareClass<TFileListBox, TCustomListBox>("TFileListBox")
        .String("Directory", &TFileListBox::Directory, &TFileListBox::SetDirectory, false)
        .Component("FileEdit", &TFileListBox::FileEdit, &TFileListBox::SetFileEdit)
        .Set("FileType", {"ftReadOnly", "ftHidden", "ftSystem", "ftVolumeID", "ftDirectory", "ftArchive", "ftNormal"},
             &TFileListBox::FileType, &TFileListBox::SetFileType, Default(TFileType{ftNormal}.Bits()))
        .String("Mask", &TFileListBox::Mask, &TFileListBox::SetMask, [](TFileListBox* f) { return f->Mask() != "*.*"; })
        .Event("OnChange", &TFileListBox::OnChange)
        .Done();
