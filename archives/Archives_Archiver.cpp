#include "Archives_Archiver.h"

// ---------------------------------------------------------------- TCmdOpt

void TCmdOpt::Add(const AnsiString& Item) { FText += " " + Item; }

void TCmdOpt::AddSwitch(const AnsiString& Name, bool On) {
  if (On) Add("-" + Name);
}

void TCmdOpt::AddNumber(const AnsiString& Name, int N) {
  if (N >= 0) Add("-" + Name + IntToStr(N));
}

void TCmdOpt::AddQuoted(const AnsiString& Name, const AnsiString& Value) {
  if (IsNotGiven(Value)) return;
  if (Name.empty()) {
    Add("\"" + Value + "\"");
    return;
  }
  const AnsiString n = Name[0] == ' ' ? Name.substr(1) : "-" + Name;
  if (QuoteStyle)
    Add(n + " \"" + Value + "\"");
  else
    Add("\"" + n + Value + "\"");
}

AnsiString WithTrailingBackslash(const AnsiString& Dir) {
  const int last = static_cast<int>(Dir.size());
  if (last > 0 && Dir.back() == '\\' && ByteType(Dir, last) == mbSingleByte) return Dir;
  return Dir + "\\";
}

void TCmdOpt::AddFolder(const AnsiString& Name, const AnsiString& Dir) {
  if (Dir.empty() || IsNotGiven(Dir)) return;
  AddFileName(Name, WithTrailingBackslash(Dir));
}

void TCmdOpt::AddEscapedName(const AnsiString& Name, const AnsiString& Value) {
  AddFileName(Name, Escape ? Escape(Value) : Value);
}

std::unique_ptr<TStringList> TCmdOpt::CheckedNames(const TFileArgs& Files) {
  auto names = CollectNames(Files);
  if (NameCheck)
    for (int i = 0; i < names->Count(); ++i) NameCheck(names->Strings(i));
  return names;
}

int TCmdOpt::AddFileList(const TFileArgs& Files) {
  auto names = CheckedNames(Files);
  for (int i = 0; i < names->Count(); ++i) AddEscapedName("", names->Strings(i));
  return names->Count();
}

int TCmdOpt::AddResponseFile(const TFileArgs& Files, const AnsiString& ResFile) {
  auto names = CheckedNames(Files);
  AnsiString block;
  for (int i = 0; i < names->Count(); ++i) {
    const AnsiString& n = names->Strings(i);
    block += "\"" + (Escape ? Escape(n) : n) + "\"\r\n";
  }
  {
    TFileStream f(ResFile, fmCreate);
    if (!block.empty()) f.WriteBuffer(block.data(), static_cast<int>(block.size()));
  }
  AddFileName("", "@" + ResFile);
  return names->Count();
}

// ---------------------------------------------------------------- self-extractors

AnsiString SfxOutputName(const AnsiString& ArchiveName, const AnsiString& Folder, const AnsiString& Ext) {
  const AnsiString out = ChangeFileExt(ArchiveName, Ext);
  if (Folder.empty() || IsNotGiven(Folder)) return out;
  return WithTrailingBackslash(Folder) + ExtractFileName(out);
}

AnsiString SearchStub(const AnsiString& Name) {
  char buf[512] = {};
  const DWORD n = SearchPathA(nullptr, Name.c_str(), nullptr, sizeof buf, buf, nullptr);
  return n > 0 && n < sizeof buf ? AnsiString(buf) : AnsiString();
}

void ConcatenateFiles(const AnsiString& Output, const std::vector<AnsiString>& Parts) {
  TFileStream out(Output, fmCreate);
  for (const AnsiString& part : Parts) {
    TFileStream in(part, fmOpenRead | fmShareDenyWrite);
    out.CopyFrom(&in, 0);
  }
}

// ---------------------------------------------------------------- TArchiver

void TArchiver::LoadDLL() { throw EArchiver(AnsiString("Abstract method 'TArchiver.LoadDLL' was called")); }
void TArchiver::FreeDLL() { throw EArchiver(AnsiString("Abstract method 'TArchiver.FreeDLL' was called")); }
TCustomArchiverDll* TArchiver::GetDll() {
  throw EArchiver(AnsiString("Abstract method 'TArchiver.GetDll' was called"));
}

HARC TArchiver::OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode) {
  return GetDll()->OpenArchive(Wnd, ExpandFileName(ArchiveName), Mode);
}
int TArchiver::FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info) {
  return GetDll()->FindFirst(Handle, WildName, Info);
}
int TArchiver::FindNext(HARC Handle, TArchiveEntryInfoEx* Info) { return GetDll()->FindNext(Handle, Info); }
int TArchiver::CloseArchive(HARC Handle) { return GetDll()->CloseArchive(Handle); }

int TArchiver::RunCommand(HWND Wnd, const AnsiString& CmdLine, AnsiString& Output) {
  return GetDll()->Command(Wnd, CmdLine, Output.empty() ? nullptr : Output.data(), static_cast<DWORD>(Output.size()));
}

int TArchiver::RunCommandOnArchive(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& CmdLine,
                                   AnsiString& Output, bool Replaces) {
  return GetDll()->CommandOnArchive(Wnd, ArchiveName, CmdLine, Output.empty() ? nullptr : Output.data(),
                                    static_cast<DWORD>(Output.size()), Replaces);
}

int TArchiver::Extract(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                       bool UseResFile, const TFileArgs& Files, const AnsiString& DestDir,
                       TArchiverOptions* Options) {
  CmdLine = DoExtract(Wnd, ArchiveName, UseResFile, Files, DestDir, Options);
  return RunCommand(Wnd, CmdLine, Output);
}

int TArchiver::Pack(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                    bool UseResFile, const TFileArgs& Files, const AnsiString& BaseDir, TArchiverOptions* Options) {
  CmdLine = DoPack(Wnd, ArchiveName, UseResFile, Files, BaseDir, Options);
  return RunCommandOnArchive(Wnd, ArchiveName, CmdLine, Output, true);
}

int TArchiver::Delete(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                      bool UseResFile, const TFileArgs& Files, const AnsiString& BaseDir, TArchiverOptions* Options) {
  CmdLine = DoDelete(Wnd, ArchiveName, UseResFile, Files, BaseDir, Options);
  return RunCommandOnArchive(Wnd, ArchiveName, CmdLine, Output);
}

int TArchiver::Update(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                      bool UseResFile, const TFileArgs& Files, const AnsiString& BaseDir, TArchiverOptions* Options) {
  CmdLine = DoUpdate(Wnd, ArchiveName, UseResFile, Files, BaseDir, Options);
  return RunCommandOnArchive(Wnd, ArchiveName, CmdLine, Output);
}

int TArchiver::MakeSfx(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
                       const AnsiString& Folder, TArchiverOptions* Options) {
  CmdLine = DoMakeSfx(Wnd, ArchiveName, Folder, Options);
  return RunCommandOnArchive(Wnd, ArchiveName, CmdLine, Output);
}

int TArchiver::ExtractMem(HWND Wnd, const AnsiString& ArchiveName, AnsiString& CmdLine, LPBYTE Buffer, DWORD Size,
                          LPDWORD WrittenSize, const AnsiString& MemberName, TArchiverOptions* Options) {
  CmdLine = DoExtractMem(Wnd, ArchiveName, MemberName, Options);
  return GetDll()->ExtractMem(Wnd, CmdLine, Buffer, Size, nullptr, nullptr, WrittenSize);
}

bool TArchiver::CheckArchive(const AnsiString& ArchiveName, int Mode, int Flags) {
  return GetDll()->CheckArchive(ArchiveName, Mode + Flags);
}

AnsiString TArchiver::DoPack(HWND, const AnsiString&, bool, const TFileArgs&, const AnsiString&, TArchiverOptions*) {
  throw EArchiver(AnsiString("この形式では書庫ファイルの作成をサポートしておりません。"));
}
AnsiString TArchiver::DoDelete(HWND, const AnsiString&, bool, const TFileArgs&, const AnsiString&,
                               TArchiverOptions*) {
  throw EArchiver(AnsiString("この形式の書庫ではファイルの削除をサポートしておりません。"));
}
AnsiString TArchiver::DoUpdate(HWND, const AnsiString&, bool, const TFileArgs&, const AnsiString&,
                               TArchiverOptions*) {
  throw EArchiver(AnsiString("この形式の書庫では書庫の更新をサポートしておりません。"));
}
AnsiString TArchiver::DoMakeSfx(HWND, const AnsiString&, const AnsiString&, TArchiverOptions*) {
  throw EArchiver(AnsiString("この形式では自己解凍書庫の作成をサポートしておりません。"));
}
AnsiString TArchiver::DoExtractMem(HWND, const AnsiString&, const AnsiString&, TArchiverOptions*) {
  throw EArchiver(AnsiString("この形式ではメモリ展開をサポートしておりません。"));
}

bool TArchiver::SetOwnerWindow(HWND Wnd, void* Proc) {
  FOwnerWindow = Wnd;
  try {
    return GetDll()->SetOwnerWindowEx(Wnd, Proc) != FALSE;
  } catch (...) {
    // No window owns the library's notices then, so later commands must not claim one.
    FOwnerWindow = nullptr;
    throw;
  }
}

void TArchiver::KillOwnerWindow(HWND Wnd) {
  struct Clear {
    HWND& w;
    ~Clear() { w = nullptr; }
  } clear{FOwnerWindow};
  GetDll()->KillOwnerWindowEx(Wnd);
}

bool TArchiver::SetEnumMembersProc(void* Proc, DWORD StructSize) {
  return GetDll()->SetEnumMembersProc64(Proc, StructSize) != FALSE;
}

bool TArchiver::ClearEnumMembersProc() { return GetDll()->ClearEnumMembersProc64() != FALSE; }

void TArchiver::AddArchiveAndDir(TCmdOpt& Cmd, const AnsiString& ArchiveName, const AnsiString& Dir) {
  Cmd.AddFileName("", ArchiveName);
  Cmd.AddFolder("", Dir);
}

int TArchiver::AddFiles(TCmdOpt& Cmd, TArchiverOptions* Options, bool UseResFile, const TFileArgs& Files) {
  int count;
  if (UseResFile && !IsNotGiven(Options->ResFileName()) && !Options->ResFileName().empty())
    count = Cmd.AddResponseFile(Files, Options->ResFileName());
  else
    count = Cmd.AddFileList(Files);
  Cmd.Add(Options->UserFileList());
  return count;
}

// ---------------------------------------------------------------- TFormatArchiver

TArchiverDll* TFormatArchiver::Binding() {
  if (!FBinding) FBinding = new TArchiverDll(FFormatText, FPrefix, FDllName);
  return FBinding;
}

void TFormatArchiver::LoadDLL() { Binding()->LoadDLL(); }

void TFormatArchiver::FreeDLL() {
  delete FBinding;
  FBinding = nullptr;
}

TCustomArchiverDll* TFormatArchiver::GetDll() { return Binding(); }

AnsiString TFormatArchiver::DoExtract(HWND, const AnsiString& A, bool R, const TFileArgs& F, const AnsiString& D,
                                      TArchiverOptions* O) {
  return BuildCommand(FActions.Extract, A, R, F, D, O);
}
AnsiString TFormatArchiver::DoPack(HWND W, const AnsiString& A, bool R, const TFileArgs& F, const AnsiString& D,
                                   TArchiverOptions* O) {
  return FActions.Pack ? BuildCommand(FActions.Pack, A, R, F, D, O) : TArchiver::DoPack(W, A, R, F, D, O);
}
AnsiString TFormatArchiver::DoDelete(HWND W, const AnsiString& A, bool R, const TFileArgs& F, const AnsiString& D,
                                     TArchiverOptions* O) {
  return FActions.Delete ? BuildCommand(FActions.Delete, A, R, F, D, O) : TArchiver::DoDelete(W, A, R, F, D, O);
}
AnsiString TFormatArchiver::DoUpdate(HWND W, const AnsiString& A, bool R, const TFileArgs& F, const AnsiString& D,
                                     TArchiverOptions* O) {
  return FActions.Update ? BuildCommand(FActions.Update, A, R, F, D, O) : TArchiver::DoUpdate(W, A, R, F, D, O);
}
AnsiString TFormatArchiver::DoMakeSfx(HWND W, const AnsiString& A, const AnsiString& D, TArchiverOptions* O) {
  return FActions.MakeSfx ? BuildCommand(FActions.MakeSfx, A, false, {}, D, O) : TArchiver::DoMakeSfx(W, A, D, O);
}
AnsiString TFormatArchiver::DoExtractMem(HWND W, const AnsiString& A, const AnsiString& M, TArchiverOptions* O) {
  return FActions.ExtractMem ? BuildCommand(FActions.ExtractMem, A, false, {M}, "", O)
                             : TArchiver::DoExtractMem(W, A, M, O);
}

bool OpenArchiveTest(TCustomArchiverDll* Dll, const AnsiString& ExpandedName) {
  try {
    HARC h = Dll->OpenArchive(nullptr, ExpandedName, 8388610);
    if (!h) return false;
    Dll->CloseArchive(h);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
