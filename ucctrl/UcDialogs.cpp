#include "UcDialogs.h"

#include <algorithm>
#include <cstring>

#include "Forms.h"
#include "TypInfo.h"
#include "UcSysUtils.h"
#include "UcWideProperties.h"

static_assert(sizeof(OPENFILENAMEA) == sizeof(OPENFILENAMEW), "the ANSI and wide records share their layout");

namespace {
TUcOpenDialog* g_being_prepared = nullptr;
}  // namespace

TUcOpenDialog* DialogBeingPrepared() { return g_being_prepared; }

// Stands in for the dialog function while the framework prepares the record: keeps it, shows
// nothing.
BOOL WINAPI CapturePreparedRecord(LPOPENFILENAMEA Record) {
  if (g_being_prepared && Record)
    std::memcpy(&g_being_prepared->prepared_, Record, std::min<size_t>(Record->lStructSize, sizeof(OPENFILENAMEA)));
  return FALSE;
}

TUcOpenDialog::TUcOpenDialog(TComponent* AOwner) : TOpenDialog(AOwner), wide_files_(std::make_unique<TUcStringList>()) {}

TUcOpenDialog::~TUcOpenDialog() = default;

void TUcOpenDialog::DefineProperties(TFiler* Filer) {
  TOpenDialog::DefineProperties(Filer);
  DefineWideProperties(Filer, this);
}

// ---- the wide twins ----

WideString TUcOpenDialog::DefaultExt() { return SyncWideFromAnsi(wide_default_ext_, TOpenDialog::DefaultExt()); }
void TUcOpenDialog::SetDefaultExt(const WideString& Value) {
  SetWideWithAnsiTwin(Value, wide_default_ext_, TOpenDialog::DefaultExt(),
                      [this](const AnsiString& a) { TOpenDialog::SetDefaultExt(a); }, this);
}

WideString TUcOpenDialog::Filter() { return SyncWideFromAnsi(wide_filter_, TOpenDialog::Filter()); }
void TUcOpenDialog::SetFilter(const WideString& Value) {
  SetWideWithAnsiTwin(Value, wide_filter_, TOpenDialog::Filter(),
                      [this](const AnsiString& a) { TOpenDialog::SetFilter(a); }, this);
}

WideString TUcOpenDialog::Title() { return SyncWideFromAnsi(wide_title_, TOpenDialog::Title()); }
void TUcOpenDialog::SetTitle(const WideString& Value) {
  SetWideWithAnsiTwin(Value, wide_title_, TOpenDialog::Title(),
                      [this](const AnsiString& a) { TOpenDialog::SetTitle(a); }, this);
}

WideString TUcOpenDialog::InitialDir() { return SyncWideFromAnsi(wide_initial_dir_, TOpenDialog::InitialDir()); }
void TUcOpenDialog::SetInitialDir(const WideString& Value) {
  WideString dir = Value;
  if (dir.size() > 1 && dir.back() == u'\\' && dir[dir.size() - 2] != u':') dir.pop_back();
  SetWideWithAnsiTwin(dir, wide_initial_dir_, TOpenDialog::InitialDir(),
                      [this](const AnsiString& a) { TOpenDialog::SetInitialDir(a); }, this);
}

WideString TUcOpenDialog::FileName() {
  if (PlatformIsUnicode && NewStyleControls && Handle()) {
    // The live path of the open dialog; a path longer than the buffer leaves the stored name.
    char16_t path[MAX_PATH + 1] = {};
    const LRESULT n = SendMessageW(GetParent(Handle()), CDM_GETFILEPATH, MAX_PATH + 1, reinterpret_cast<LPARAM>(path));
    if (n > 0 && n <= MAX_PATH + 1) {
      // Up to the NUL or the count, whichever comes first, within the buffer.
      const char16_t* end = std::find(path, path + n, u'\0');
      return WideString(path, static_cast<size_t>(end - path));
    }
  }
  return SyncWideFromAnsi(wide_file_name_, TOpenDialog::FileName());
}

void TUcOpenDialog::SetFileName(const WideString& Value) {
  wide_file_name_ = Value;
  TOpenDialog::SetFileName(WideToAnsi(Value));
}

// ---- running ----

bool TUcOpenDialog::Execute() {
  if (PlatformIsUnicode) return RunWideDialog(&GetOpenFileNameW);
  return DoExecute(&GetOpenFileNameA);
}

bool TUcSaveDialog::Execute() {
  if (PlatformIsUnicode) return RunWideDialog(&GetSaveFileNameW);
  return DoExecute(&GetSaveFileNameA);
}

bool TUcOpenDialog::RunWideDialog(TWideDialogFunc DialogFunction) {
  wide_files_->Clear();
  // 1. The framework fills in the record (flags, hook, owner, template, sizes), shows nothing.
  g_being_prepared = this;
  std::memset(&prepared_, 0, sizeof prepared_);
  try {
    DoExecute(&CapturePreparedRecord);
  } catch (...) {
    g_being_prepared = nullptr;
    throw;
  }
  g_being_prepared = nullptr;
  // 2. The same record with wide texts; the platform's own size, never a fixed one.
  OPENFILENAMEW record;
  std::memcpy(&record, &prepared_, sizeof(OPENFILENAMEW));
  if (!IsWindow(record.hwndOwner) && Application) record.hwndOwner = Application->Handle();
  // 3. The filter: "|" separates, two NULs end it.
  WideString filter = Filter();
  if (!filter.empty()) {
    std::replace(filter.begin(), filter.end(), u'|', u'\0');
    filter.push_back(u'\0');
    filter.push_back(u'\0');
    record.lpstrFilter = filter.c_str();
  } else {
    record.lpstrFilter = nullptr;
  }
  // 4. The file buffer, two characters longer than the framework's.
  std::vector<char16_t> buffer(static_cast<size_t>(record.nMaxFile) + 2, u'\0');
  const WideString name = FileName();
  std::copy_n(name.begin(), std::min<size_t>(name.size(), record.nMaxFile), buffer.begin());
  record.lpstrFile = buffer.data();
  // 5-7. Initial folder, title, default extension.
  WideString initial = InitialDir();
  if (initial.empty() && ForceCurrentDirectory) initial = u".";
  record.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
  const WideString title = Title();
  record.lpstrTitle = title.empty() ? nullptr : title.c_str();
  WideString ext = DefaultExt();
  if (ext.empty() && !(record.Flags & OFN_EXPLORER)) {
    ext = WideExtractFileExt(name);
    if (!ext.empty()) ext.erase(0, 1);
  }
  record.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  // 8. The template: a resource number as it is, a name widened.
  WideString template_name;
  if (prepared_.lpTemplateName && !IS_INTRESOURCE(prepared_.lpTemplateName)) {
    template_name = AnsiToWide(prepared_.lpTemplateName);
    record.lpTemplateName = template_name.c_str();
  } else {
    record.lpTemplateName = reinterpret_cast<LPCWSTR>(prepared_.lpTemplateName);
  }
  record.lpstrCustomFilter = nullptr;
  record.nMaxCustFilter = 0;
  record.lpstrFileTitle = nullptr;
  record.nMaxFileTitle = 0;
  // 9. Modal, as the framework runs its dialogs.
  if (!TaskModalDialog(DialogFunction, &record)) return false;
  // 10. The answer.
  GetWideFileNames(record);
  TOpenOptions options = Options();
  if (record.Flags & OFN_EXTENSIONDIFFERENT) options.Include(ofExtensionDifferent);
  else options.Exclude(ofExtensionDifferent);
  if (record.Flags & OFN_READONLY) options.Include(ofReadOnly);
  else options.Exclude(ofReadOnly);
  SetOptions(options);
  SetFilterIndex(static_cast<int>(record.nFilterIndex));
  return true;
}

void TUcOpenDialog::GetWideFileNames(const OPENFILENAMEW& Record) {
  const bool multi = Options().Contains(ofAllowMultiSelect);
  const WideChar separator =
      multi && (Options().Contains(ofOldStyleDialog) || !NewStyleControls) ? u' ' : u'\0';
  wide_files_->Clear();
  if (!Record.lpstrFile) return;
  if (multi) {
    // The pieces up to the first empty one: NUL-separated (ending in two NULs), or blanks.
    std::vector<WideString> pieces;
    if (separator == u'\0') {
      for (const WideChar* p = Record.lpstrFile; *p; p += pieces.back().size() + 1) pieces.emplace_back(p);
    } else {
      pieces = SplitToArray(Record.lpstrFile, separator);
    }
    if (pieces.size() == 1) {
      wide_files_->Add(pieces[0]);
    } else if (pieces.size() > 1) {
      WideString dir = pieces[0];
      if (!dir.empty() && dir.back() != u'\\') dir.push_back(u'\\');
      for (size_t i = 1; i < pieces.size(); ++i) {
        const WideString& p = pieces[i];
        const bool absolute = (!p.empty() && p[0] == u'\\') || (p.size() >= 4 && p[1] == u':' && p[2] == u'\\');
        wide_files_->Add(absolute ? p : dir + p);
      }
    }
    SetFileName(wide_files_->Count() > 0 ? wide_files_->Get(0) : WideString());
  } else {
    const WideChar* p = Record.lpstrFile;
    SetFileName(NextToken(p, separator));
    wide_files_->Add(FileName());
  }
  Files()->Clear();
  for (int i = 0; i < wide_files_->Count(); ++i) Files()->Add(WideToAnsi(wide_files_->Get(i)));
}

bool TUcOpenDialog::WideCanClose(const OPENFILENAMEW& Record) {
  GetWideFileNames(Record);
  allow_can_close_ = true;
  bool result = false;
  try {
    result = DoCanClose();
  } catch (...) {
    allow_can_close_ = false;
    throw;
  }
  allow_can_close_ = false;
  wide_files_->Clear();
  Files()->Clear();
  return result;
}

bool TUcOpenDialog::DoCanClose() { return allow_can_close_ ? TOpenDialog::DoCanClose() : true; }

void TUcOpenDialog::DoIncludeItem(const OFNOTIFYEXA& OFNotifyEx, bool& Include) {
  if (PlatformIsUnicode && OnIncludeItem) OnIncludeItem(OFNotifyEx, Include);
}

void TUcOpenDialog::WndProc(TMessage& Message) {
  if (PlatformIsUnicode && Message.Msg == WM_NOTIFY && Message.LParam) {
    const auto* notify = reinterpret_cast<const OFNOTIFYW*>(Message.LParam);
    if (notify->hdr.code == static_cast<UINT>(CDN_FILEOK)) {
      Message.Result = 0;
      if (notify->lpOFN && !WideCanClose(*notify->lpOFN)) {
        Message.Result = 1;
        SetWindowLongA(Handle(), DWLP_MSGRESULT, 1);
      }
      return;
    }
  }
  TOpenDialog::WndProc(Message);
}

static const bool registered =
    DeclareClass<TUcOpenDialog, TOpenDialog>("TUcOpenDialog")
        .WideString("DefaultExt", &TUcOpenDialog::DefaultExt, &TUcOpenDialog::SetDefaultExt)
        .WideString("FileName", &TUcOpenDialog::FileName, &TUcOpenDialog::SetFileName)
        .WideString("Filter", &TUcOpenDialog::Filter, &TUcOpenDialog::SetFilter)
        .WideString("InitialDir", &TUcOpenDialog::InitialDir, &TUcOpenDialog::SetInitialDir)
        .WideString("Title", &TUcOpenDialog::Title, &TUcOpenDialog::SetTitle)
        .Event("OnIncludeItem", &TUcOpenDialog::OnIncludeItem)
        .Done() &&
    DeclareClass<TUcSaveDialog, TUcOpenDialog>("TUcSaveDialog").Done();
