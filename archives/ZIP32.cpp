#include "ZIP32.h"

namespace {

TZipDll* g_zipDll = nullptr;

constexpr DWORD kOpenTestMode = 8388610;  // 0x800002
constexpr int kCheckMode = 24;

}  // namespace

TZipDll* CreateZipDll() {
  if (!g_zipDll) {
    g_zipDll = new TZipDll;
    g_zipDll->LoadDLL();
  }
  return g_zipDll;
}

// ---------------------------------------------------------------- names

AnsiString EscapeZipName(const AnsiString& Name) {
  AnsiString out;
  size_t i = 0;
  if (!Name.empty() && Name[0] == '-') {
    out = "[-]";
    i = 1;
  }
  for (; i < Name.size(); ++i) {
    const char c = Name[i];
    if (ByteType(Name, static_cast<int>(i) + 1) == mbSingleByte) {
      if (c == '\\') {
        out += '/';
        continue;
      }
      if (c == '[') {
        out += "[[]";
        continue;
      }
    }
    out += c;
  }
  return out;
}

namespace {
[[noreturn]] void RefuseName(const AnsiString& Name) {
  throw EArchiver(Format("ファイル名 「%s」 はコマンドラインで扱えません。", {Name}));
}
bool SingleAt(const AnsiString& S, size_t i) { return ByteType(S, static_cast<int>(i) + 1) == mbSingleByte; }
}  // namespace

void CheckQuotedName(const AnsiString& Name) {
  for (size_t i = 0; i < Name.size(); ++i)
    if (Name[i] == '"' && SingleAt(Name, i)) RefuseName(Name);
}

void CheckZipvaultName(const AnsiString& Name) {
  CheckQuotedName(Name);
  if (Name.empty()) return;
  if (Name[0] == '-' || Name[0] == '@') RefuseName(Name);
  const size_t last = Name.size() - 1;
  if ((Name[last] == '/' || Name[last] == '\\') && SingleAt(Name, last)) RefuseName(Name);
  for (size_t i = 0; i + 3 < Name.size(); ++i)
    if (Name[i] == '\\' && SingleAt(Name, i) && Name.compare(i + 1, 3, "*.*") == 0) RefuseName(Name);
}

// ---------------------------------------------------------------- TZipDll

TZipDll::~TZipDll() { TZipDll::FreeDLL(); }

void TZipDll::LoadDLL() {
  if (!FUnzip32) FUnzip32 = LoadLibraryA("UNZIP32.DLL");
  if (!FZip32J) FZip32J = LoadLibraryA("ZIP32J.DLL");
  if (!FZipvault) FZipvault = LoadLibraryA("ZIPVAULT.DLL");
}

void TZipDll::FreeDLL() {
  for (HMODULE* m : {&FUnzip32, &FZipvault, &FZip32J}) {
    if (*m) FreeLibrary(*m);
    *m = nullptr;
  }
  FZip = nullptr;
  FUnZip = nullptr;
  TCustomArchiverDll::FreeDLL();
}

void* TZipDll::GetEntryFromModule(HMODULE Module, AnsiString Name) {
  if (!Module) return nullptr;
  // Zipvault's names are "Unzip...", where the outside libraries say "UnZip...".
  if (Module == FZipvault && Name.size() >= 3 && Name[2] == 'Z') Name[2] = 'z';
  void* p = nullptr;
  GetEntry(p, Module, Name, false);
  return p;
}

bool TZipDll::BindEntryCore(void*& Entry, HMODULE M1, HMODULE M2, HMODULE M3, const AnsiString& Name,
                            bool Required) {
  for (HMODULE m : {M1, M2, M3}) {
    if (void* p = GetEntryFromModule(m, Name)) {
      Entry = p;
      return true;
    }
  }
  if (Required) throw EEntryNotFound(Format("%0:s のエントリが DLL に見つかりませんでした。", {Name}));
  return false;
}

bool TZipDll::UnzipFromUnzip32() { return GetEntryFromModule(FUnzip32, "UnZip") != nullptr; }

int TZipDll::Command(HWND Wnd, const AnsiString& CmdLine, LPSTR OutBuf, DWORD OutSize) {
  LoadDLL();
  BindEntry(FUnZip, FUnzip32, FZipvault, nullptr, "UnZip", true);
  return FUnZip(Wnd, CmdLine.c_str(), OutSize ? OutBuf : nullptr, OutSize);
}

namespace {

// The previous archive, moved aside while a pack writes the new one.
class TArchiveAside {
 public:
  explicit TArchiveAside(const AnsiString& ArchiveName) : archive_(ArchiveName) {
    // A read-only archive stays where it is: Zip then finds it and refuses to write it.
    const DWORD attrs = GetFileAttributesA(archive_.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_READONLY)) return;
    AnsiString folder = ExtractFilePath(ExpandFileName(archive_));
    if (folder.empty()) folder = ".";
    char temp[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folder.c_str(), "arc", 0, temp) == 0 ||
        !MoveFileExA(archive_.c_str(), temp, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      if (temp[0]) DeleteFileA(temp);
      throw EArchiver(Format("書庫 %s を置き換えられません。", {archive_}));
    }
    aside_ = temp;
  }
  // Keeps the new archive (the old one goes) or puts the old one back.
  void Finish(bool keepNew) {
    if (aside_.empty()) return;
    if (keepNew) {
      DeleteFileA(aside_.c_str());
    } else {
      DeleteFileA(archive_.c_str());
      MoveFileExA(aside_.c_str(), archive_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    aside_.clear();
  }
  ~TArchiveAside() { Finish(false); }

 private:
  AnsiString archive_;
  AnsiString aside_;
};

}  // namespace

int TZipDll::CommandOnArchive(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& CmdLine, LPSTR OutBuf,
                              DWORD OutSize, bool Replaces) {
  LoadDLL();
  BindEntry(FZip, FZip32J, FZipvault, nullptr, "Zip", true);
  if (!Replaces) return FZip(Wnd, CmdLine.c_str(), OutSize ? OutBuf : nullptr, OutSize);
  // A pack writes a new archive from the selection only; the old one stays until it is made.
  TArchiveAside old(ArchiveName);
  const int r = FZip(Wnd, CmdLine.c_str(), OutSize ? OutBuf : nullptr, OutSize);
  old.Finish(r == 0 && GetFileAttributesA(ArchiveName.c_str()) != INVALID_FILE_ATTRIBUTES);
  return r;
}

HARC TZipDll::OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode) {
  LoadDLL();
  BindEntry(FOpenArchive, FZipvault, FZip32J, FUnzip32, "UnZipOpenArchive", true);
  return TCustomArchiverDll::OpenArchive(Wnd, ArchiveName, Mode);
}

int TZipDll::CloseArchive(HARC Handle) {
  LoadDLL();
  BindEntry(FCloseArchive, FZipvault, FZip32J, FUnzip32, "UnZipCloseArchive", true);
  return TCustomArchiverDll::CloseArchive(Handle);
}

int TZipDll::FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info) {
  LoadDLL();
  BindEntry(FFindFirst, FZipvault, FZip32J, FUnzip32, "UnZipFindFirst", true);
  return TCustomArchiverDll::FindFirst(Handle, WildName, Info);
}

int TZipDll::FindNext(HARC Handle, TArchiveEntryInfoEx* Info) {
  BindEntry(FFindNext, FZipvault, FZip32J, FUnzip32, "UnZipFindNext", true);
  return TCustomArchiverDll::FindNext(Handle, Info);
}

BOOL TZipDll::GetWriteTimeEx(HARC Handle, FILETIME& Time) {
  BindEntry(FGetWriteTimeEx, FZipvault, FZip32J, FUnzip32, "UnzipGetWriteTimeEx", false);
  return TCustomArchiverDll::GetWriteTimeEx(Handle, Time);
}

BOOL TZipDll::GetCreateTimeEx(HARC Handle, FILETIME& Time) {
  BindEntry(FGetCreateTimeEx, FZipvault, FZip32J, FUnzip32, "UnZipGetCreateTimeEx", false);
  return TCustomArchiverDll::GetCreateTimeEx(Handle, Time);
}

BOOL TZipDll::GetAccessTimeEx(HARC Handle, FILETIME& Time) {
  BindEntry(FGetAccessTimeEx, FZipvault, FZip32J, FUnzip32, "UnZipGetAccessTimeEx", false);
  return TCustomArchiverDll::GetAccessTimeEx(Handle, Time);
}

bool TZipDll::CheckArchive(const AnsiString& ArchiveName, int Mode) {
  LoadDLL();
  BindEntry(FCheckArchive, FUnzip32, FZipvault, FZip32J, "UnZipCheckArchive", true);
  return TCustomArchiverDll::CheckArchive(ArchiveName, Mode);
}

int TZipDll::ExtractMem(HWND Wnd, const AnsiString& CmdLine, LPBYTE Buffer, DWORD BufferSize, uint32_t* Time,
                        LPWORD Attr, LPDWORD WrittenSize) {
  BindEntry(FExtractMem, FUnzip32, FZipvault, FZip32J, "UnZipExtractMem", true);
  return TCustomArchiverDll::ExtractMem(Wnd, CmdLine, Buffer, BufferSize, Time, Attr, WrittenSize);
}

BOOL TZipDll::SetOwnerWindowEx(HWND Wnd, void* Proc) {
  void* p = reinterpret_cast<void*>(FSetOwnerWindowEx);
  GetEntry(p, FUnzip32, "UnZipSetOwnerWindowEx", true);
  FSetOwnerWindowEx = reinterpret_cast<TSetOwnerWindowExProc>(p);
  return TCustomArchiverDll::SetOwnerWindowEx(Wnd, Proc);
}

BOOL TZipDll::KillOwnerWindowEx(HWND Wnd) {
  void* p = reinterpret_cast<void*>(FKillOwnerWindowEx);
  GetEntry(p, FUnzip32, "UnZipKillOwnerWindowEx", true);
  FKillOwnerWindowEx = reinterpret_cast<TKillOwnerWindowExProc>(p);
  return TCustomArchiverDll::KillOwnerWindowEx(Wnd);
}

// ---------------------------------------------------------------- TZip32

TZip32::TZip32() { LoadDLL(); }

void TZip32::LoadDLL() { CreateZipDll(); }

void FreeZipDll() {
  delete g_zipDll;
  g_zipDll = nullptr;
}

void TZip32::FreeDLL() { FreeZipDll(); }

TCustomArchiverDll* TZip32::GetDll() { return ZipDll(); }
TZipDll* TZip32::ZipDll() { return CreateZipDll(); }

AnsiString TZip32::BuildExtractCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                       const TFileArgs& Files, const AnsiString& DestDir,
                                       TArchiverOptions* Options) {
  TCmdOpt cmd;
  if (ZipDll()->UnzipFromUnzip32()) {
    cmd.Escape = EscapeZipName;
    cmd.NameCheck = CheckQuotedName;
  } else {
    // Zipvault matches names exactly and would read some of them as switches.
    cmd.NameCheck = CheckZipvaultName;
  }
  CheckQuotedName(ArchiveName);
  CheckQuotedName(DestDir);
  cmd.AddSwitch("o", Options->c() == 1);
  cmd.AddSwitch("-i", Options->n() > 0 || HasOwnerWindow());
  cmd.AddSwitch("j", Options->x() == 0);
  cmd.Add(Options->UserOptions());
  AddArchiveAndDir(cmd, ArchiveName, DestDir);
  AddFiles(cmd, Options, UseResFile, Files);
  return Action + cmd.Text();
}

AnsiString TZip32::BuildZipCommand(const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                                   const AnsiString& BaseDir, TArchiverOptions* Options) {
  TCmdOpt cmd;
  cmd.NameCheck = CheckZipvaultName;
  CheckQuotedName(ArchiveName);
  CheckQuotedName(BaseDir);
  cmd.AddSwitch("o", Options->c() == 1);
  cmd.AddSwitch("j", Options->x() == 0);
  cmd.Add(Options->UserOptions());
  // The base folder is Zipvault's working folder for the names.
  AddArchiveAndDir(cmd, ArchiveName, BaseDir);
  AddFiles(cmd, Options, UseResFile, Files);
  return "-ru" + cmd.Text();
}

AnsiString TZip32::BuildZip32JCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                      const TFileArgs& Files, const AnsiString& BaseDir,
                                      TArchiverOptions* Options) {
  TCmdOpt cmd;
  cmd.Escape = EscapeZipName;
  cmd.NameCheck = CheckQuotedName;
  CheckQuotedName(ArchiveName);
  CheckQuotedName(BaseDir);
  cmd.AddSwitch("S", Options->a() > 0);
  cmd.AddSwitch("D", Options->a() < 2);
  cmd.AddSwitch("v", Options->l() > 0);
  cmd.AddSwitch("q", Options->n() > 0);
  cmd.AddSwitch("r", Options->r() > 0);
  cmd.AddSwitch("o", Options->n() > 0);
  cmd.AddSwitch("u", Options->u() > 0);
  cmd.AddSwitch("j", Options->x() == 0);
  cmd.AddSwitch("FF", Options->jc() > 0);
  cmd.AddSwitch("k", Options->ji() > 0);
  cmd.AddNumber("", Options->jm());
  cmd.AddSwitch("J", Options->gd() > 0);
  cmd.Add(Options->UserOptions());
  AddArchiveAndDir(cmd, ArchiveName, BaseDir);
  AddFiles(cmd, Options, UseResFile, Files);
  return Action + cmd.Text();
}

AnsiString TZip32::DoExtract(HWND, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                             const AnsiString& DestDir, TArchiverOptions* Options) {
  if (!ZipDll()->Unzip32Module() && !ZipDll()->ZipvaultModule())
    throw EArchiver(AnsiString("ZIP 形式書庫の解凍には UNZIP32.DLL または ZIPVAULT.DLL が必要です。"));
  return BuildExtractCommand("-x", ArchiveName, UseResFile, Files, DestDir, Options);
}

AnsiString TZip32::DoPack(HWND, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                          const AnsiString& BaseDir, TArchiverOptions* Options) {
  if (ZipDll()->Zip32JModule()) return BuildZip32JCommand("", ArchiveName, UseResFile, Files, BaseDir, Options);
  if (ZipDll()->ZipvaultModule()) return BuildZipCommand(ArchiveName, UseResFile, Files, BaseDir, Options);
  throw EArchiver(AnsiString("ZIP 形式書庫の作成には ZIP32J.DLL または ZIPVAULT.DLL が必要です。"));
}

AnsiString TZip32::DoDelete(HWND, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                            const AnsiString&, TArchiverOptions* Options) {
  return BuildZip32JCommand("-d", ArchiveName, UseResFile, Files, "", Options);
}

AnsiString TZip32::DoUpdate(HWND, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                            const AnsiString& BaseDir, TArchiverOptions* Options) {
  return BuildZip32JCommand("-f", ArchiveName, UseResFile, Files, BaseDir, Options);
}

AnsiString TZip32::DoMakeSfx(HWND, const AnsiString& ArchiveName, const AnsiString& Folder,
                             TArchiverOptions* Options) {
  if (!ZipDll()->Zip32JModule()) throw ESfxNoRequiredFile("zip", "ZIP32J.DLL", "");
  const bool win32 = Options->gw() > 0;
  const AnsiString stubName = win32 ? "sfx32gui.dat" : "sfx16.dat";
  const AnsiString stub = SearchStub(stubName);
  if (stub.empty()) throw ESfxNoRequiredFile("zip", stubName, win32 ? "Win32" : "DOS");
  const AnsiString output = SfxOutputName(ArchiveName, Folder, ".EXE");
  ConcatenateFiles(output, {stub, ArchiveName});
  return "-A " + output;
}

AnsiString TZip32::DoExtractMem(HWND, const AnsiString& ArchiveName, const AnsiString& MemberName,
                                TArchiverOptions* Options) {
  return BuildExtractCommand("", ArchiveName, false, {MemberName}, "", Options);
}

// ---------------------------------------------------------------- content test

namespace {

bool ZipCheckArchive(const AnsiString& FileName) {
  try {
    return CreateZipDll()->CheckArchive(ExpandFileName(FileName), kCheckMode);
  } catch (const std::exception&) {
    return false;
  }
}

bool ZipOpenTest(const AnsiString& FileName) {
  try {
    TZipDll* dll = CreateZipDll();
    const AnsiString name = ExpandFileName(FileName);
    if (!FileExists(name)) return false;
    HARC h = dll->OpenArchive(nullptr, name, kOpenTestMode);
    if (!h) return false;
    dll->CloseArchive(h);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool IsZipArchive(const AnsiString& FileName) { return ZipCheckArchive(FileName) && ZipOpenTest(FileName); }
