// Boards saved under a title as one ZIP archive in blackboards\ and opened again from the list of
// saved boards, through the archive component and the ZIP library.
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "Dialogs.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Unit_FileNameInput.h"
#include "Unit_Main.h"
#include "windows.h"

namespace {

constexpr uint32_t kMaxPage = 999;

// A page file's name: <n>.bmp (picture), <n>g.bmp (grid), <n>.dat (record), n from 1 to 999 in
// decimal without leading zeros; the letters in any case.
struct PageFileName {
  uint32_t page = 0;
  enum Kind { Picture, Grid, Record } kind = Picture;
  // The name as the page store writes it.
  AnsiString Canonical() const {
    return IntToStr(static_cast<int64_t>(page)) + (kind == Picture ? ".bmp" : kind == Grid ? "g.bmp" : ".dat");
  }
};

// Too high: a name of the form <n>.bmp whose n is above the highest page.
bool ParsePageFileName(const AnsiString& Name, PageFileName& Out, bool* TooHigh = nullptr) {
  if (TooHigh) *TooHigh = false;
  size_t digits = 0;
  while (digits < Name.size() && Name[digits] >= '0' && Name[digits] <= '9') ++digits;
  if (digits == 0 || Name[0] == '0') return false;
  const std::string rest = LowerCase(AnsiString(Name.substr(digits)));
  if (rest == ".bmp") Out.kind = PageFileName::Picture;
  else if (rest == "g.bmp") Out.kind = PageFileName::Grid;
  else if (rest == ".dat") Out.kind = PageFileName::Record;
  else return false;
  if (digits > 3) {
    if (TooHigh) *TooHigh = true;
    return false;
  }
  Out.page = static_cast<uint32_t>(std::stoul(std::string(Name.substr(0, digits))));
  return true;
}

// The bare names of Folder's files matching Mask, listed by the form's file list box.
std::vector<AnsiString> ListFolder(TFileListBox* List, const AnsiString& Folder, const AnsiString& Mask) {
  List->SetDirectory(Folder);
  List->SetMask(Mask);
  List->ReadFileNames();
  std::vector<AnsiString> names;
  for (int i = 0; i < List->Items()->Count(); ++i) names.push_back(List->Items()->Strings(i));
  return names;
}

// The files of a folder of the board's own (staging), removed with it.
void RemoveFolder(const AnsiString& Folder) {
  TSearchRec f;
  std::vector<AnsiString> names;
  if (FindFirst(IncludeTrailingPathDelimiter(Folder) + "*", 0, f) == 0) {
    do names.push_back(f.Name);
    while (FindNext(f) == 0);
    FindClose(f);
  }
  for (const AnsiString& n : names) DeleteFile(IncludeTrailingPathDelimiter(Folder) + n);
  RemoveDir(ExcludeTrailingPathDelimiter(Folder));
}

int64_t FileSizeOf(const AnsiString& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(FileName.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The colour of a page whose picture is missing: its record's, else the default.
TColor PageRecordColor(const AnsiString& FileName, TColor Default) {
  uint8_t bytes[8] = {};
  try {
    if (!FileExists(FileName)) return Default;
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    if (f.Read(bytes, sizeof bytes) != static_cast<int32_t>(sizeof bytes)) return Default;
  } catch (const Exception&) {
    return Default;
  }
  return static_cast<TColor>(bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (uint32_t(bytes[7]) << 24));
}

// One member of a board archive, as listed before anything is extracted.
struct BoardMember {
  AnsiString name;
  PageFileName file;
  int64_t size = 0;
};

AnsiString Quoted(const AnsiString& Name) { return "「" + Name + "」"; }

}  // namespace

// ---------------------------------------------------------------- thumbnails

bool TfrmMain::BuildThumbnails(const AnsiString& Folder, uint32_t Count, TCustomImageList* Into, uint32_t* BadPage) {
  Into->Clear();
  TBitmap thumb;
  thumb.SetPixelFormat(pf24bit);
  thumb.SetSize(160, 120);
  for (uint32_t n = 1; n <= Count; ++n) {
    const AnsiString stem = IncludeTrailingPathDelimiter(Folder) + IntToStr(static_cast<int64_t>(n));
    TCanvas* c = thumb.Canvas();
    if (FileExists(stem + ".bmp")) {
      TBitmap page;
      try {
        page.LoadFromFile(stem + ".bmp");
      } catch (const Exception&) {
        if (BadPage) *BadPage = n;
        return false;
      }
      if (page.Empty()) {
        if (BadPage) *BadPage = n;
        return false;
      }
      c->StretchDraw(Rect(0, 0, 160, 120), &page);
    } else {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(PageRecordColor(stem + ".dat", board_->DefaultBackColor));
      c->FillRect(Rect(0, 0, 160, 120));
    }
    Into->Add(&thumb, nullptr);
  }
  return true;
}

void TfrmMain::RebuildThumbnails() {
  if (board_->Previews) BuildThumbnails(board_->TmpDir, board_->PageCount, board_->Previews, nullptr);
}

// ---------------------------------------------------------------- working folder

void TfrmMain::DeleteWorkingPages() {
  for (const AnsiString& name : ListFolder(lstFiles, board_->TmpDir, "*.bmp;*.dat"))
    DeleteFile(IncludeTrailingPathDelimiter(board_->TmpDir) + name);
}

// ---------------------------------------------------------------- save

void TfrmMain::actSaveExecute(TObject*) {
  HidePopups();
  AnsiString title = DateTimeToStr(Now());
  for (char& c : title)
    if (c == '/' || c == ':') c = '-';
  {
    TModalMoment moment(this);
    frmFileNameInput->edtTitle->SetText(AnsiToWide(title));
    if (frmFileNameInput->ShowModal() != mrOk) return;
  }
  const WideString wide = frmFileNameInput->edtTitle->Text();
  if (!IsBoardTitle(wide)) return;
  SaveBoard(BoardFileTitle(wide));
}

void TfrmMain::SaveBoard(const AnsiString& FileTitle) {
  if (board_->PageCount > kMaxPage) {
    ShowMessage("999 ページを超える黒板は保存できません。");
    return;
  }
  const AnsiString archive = board_->BoardsDir + FileTitle + ".zip";
  // The ZIP library would only add what is newer to an archive it may not replace, and answer
  // success with the board's latest changes left out.
  const DWORD attrs = GetFileAttributesA(archive.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) {
    ShowMessage(Quoted(ExtractFileName(archive)) + " は読み取り専用のため、保存できません。");
    return;
  }
  TModalMoment moment(this);
  try {
    board_->SavePage();
    arc->SetFileName(archive);
    // Only the page files go into the archive, under their bare names.
    TStringList pages;
    for (const AnsiString& name : ListFolder(lstFiles, board_->TmpDir, "*.bmp;*.dat")) {
      PageFileName p;
      if (ParsePageFileName(name, p)) pages.Add(name);
    }
    // A pack that fails inside the ZIP library has been reported by it, and the previous
    // archive of the title stays.
    arc->Pack(Handle(), arc->Options(), ExcludeTrailingPathDelimiter(board_->TmpDir), {static_cast<TStrings*>(&pages)});
  } catch (const Exception& e) {
    ShowMessage(e.Message());
  }
}

// ---------------------------------------------------------------- open

void TfrmMain::actOpenExecute(TObject*) {
  HidePopups();
  ListFolder(lstFiles, board_->BoardsDir, "*.zip");
  lstFiles->SetItemIndex(-1);
  PlaceBesideToolbar(lstFiles, btnOpen->Top());
  lstFiles->Show();
}

void TfrmMain::lstFilesClick(TObject*) {
  // The list box also serves the other listings; clicks then open nothing.
  if (lstFiles->Mask() != "*.zip") return;
  const int i = lstFiles->ItemIndex();
  if (i < 0 || i >= lstFiles->Items()->Count()) return;
  const AnsiString name = lstFiles->Items()->Strings(i);
  lstFiles->Hide();
  OpenBoard(board_->BoardsDir + name);
}

bool TfrmMain::OpenBoard(const AnsiString& ArchiveName) {
  const AnsiString shown = Quoted(ExtractFileName(ArchiveName));
  const AnsiString staging = ExcludeTrailingPathDelimiter(board_->TmpDir) + "-open\\";
  TModalMoment moment(this);
  std::vector<BoardMember> members;
  uint32_t pageCount = 0;
  try {
    arc->SetFileName(ArchiveName);
    arc->SetArchiverType(atZip);
    // Every member is looked at before anything is written: only page files, each once.
    TArchiver* archiver = arc->Archiver();
    HARC h = archiver->OpenArchive(Handle(), ArchiveName, 0);
    if (!h) {
      ShowMessage(shown + " は黒板のファイルとして読めません。");
      return false;
    }
    AnsiString refused;
    bool tooHigh = false;
    std::map<AnsiString, bool> seen;
    TArchiveEntryInfoEx info{};
    for (int r = archiver->FindFirst(h, "*", &info); refused.empty(); r = archiver->FindNext(h, &info)) {
      if (r == -1) break;
      if (r != 0) {
        refused = "?";
        break;
      }
      const AnsiString member(info.Info.szFileName, strnlen(info.Info.szFileName, sizeof info.Info.szFileName));
      BoardMember m;
      m.name = member;
      m.size = static_cast<int64_t>(info.llOriginalSize);
      if (!ParsePageFileName(member, m.file, &tooHigh) || seen[m.file.Canonical()]) {
        refused = member.empty() ? AnsiString("?") : member;
        break;
      }
      seen[m.file.Canonical()] = true;
      pageCount = std::max(pageCount, m.file.page);
      members.push_back(m);
    }
    archiver->CloseArchive(h);
    if (!refused.empty()) {
      if (refused == "?") ShowMessage(shown + " は黒板のファイルとして読めません。");
      else if (tooHigh) ShowMessage(shown + " には 999 を超えるページ " + Quoted(refused) + " があるため、開けません。");
      else ShowMessage(shown + " には黒板のページでないもの " + Quoted(refused) + " があるため、開けません。");
      return false;
    }
    if (std::none_of(members.begin(), members.end(),
                     [](const BoardMember& m) { return m.file.kind == PageFileName::Picture; })) {
      ShowMessage(shown + " にはページがありません。");
      return false;
    }

    RemoveFolder(staging);
    ForceDirectories(staging);
    struct Cleanup {
      AnsiString folder;
      ~Cleanup() { RemoveFolder(folder); }
    } cleanup{staging};
    // A failure inside the ZIP library has been reported by it.
    if (arc->Extract(Handle(), arc->Options(), ExcludeTrailingPathDelimiter(staging), {nullptr}) != 0) return false;
    for (const BoardMember& m : members)
      if (FileSizeOf(staging + m.name) != m.size) {
        ShowMessage(shown + " の " + Quoted(m.name) + " を取り出せませんでした。");
        return false;
      }
    // Every page picture must read before the open board is dropped.
    TImageList thumbs(nullptr);
    thumbs.SetWidth(160);
    thumbs.SetHeight(120);
    uint32_t bad = 0;
    if (!BuildThumbnails(staging, pageCount, &thumbs, &bad)) {
      ShowMessage(shown + " の " + IntToStr(static_cast<int64_t>(bad)) + " ページ目の絵が読めません。");
      return false;
    }

    DeleteWorkingPages();
    for (const BoardMember& m : members) {
      const AnsiString from = staging + m.name, to = board_->TmpDir + m.file.Canonical();
      if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) RaiseLastOSError();
    }
    board_->CurrentPage = 1;
    board_->Dust->Clear();
    board_->Dust->ClearTray();
    board_->PageCount = pageCount;
    board_->LastPageDrawn = 0;
    board_->LoadPage(1);
    if (board_->Previews) board_->Previews->Assign(&thumbs);
  } catch (const Exception& e) {
    ShowMessage(e.Message());
    return false;
  }
  return true;
}

static const bool registered = DeclareClass<TArchiveFile, TComponent>("TArchiveFile").Done() &&
                               DeclareClass<TfrmMain, TDXForm>("TfrmMain").Field("arc", &TfrmMain::arc).Done();
