#include "Archives.h"

#include <cstring>

namespace {

UINT g_wmArcExtract = 0;
TArchiveFile* g_enumTarget = nullptr;

int ARCAPI EnumMembersCallback(TEnumMemberInfo64* EnumInfo) {
  bool abort = false;
  if (g_enumTarget && EnumInfo) g_enumTarget->DoEnumMember(*EnumInfo, abort);
  return abort ? 0 : -1;
}

std::unique_ptr<TArchiver> NewArchiver(TArchiverType Type) {
  switch (Type) {
    case atLha: return std::make_unique<TLha32>();
    case atZip: return std::make_unique<TZip32>();
    case atCab: return std::make_unique<TCab32>();
    case atArj: return std::make_unique<TArj32>();
    case atTar: return std::make_unique<TTar32>();
    case atTgz: return std::make_unique<TTgz32>();
    case atBZ2: return std::make_unique<TBZ232>();
    case atRar: return std::make_unique<TRar32>();
    case atBga: return std::make_unique<TBGA32>();
    case atYz1: return std::make_unique<TYZ1>();
    case at7z: return std::make_unique<TSevenZip32>();
    default: return nullptr;
  }
}

}  // namespace

void FreeArchiverDlls() {
  FreeZipDll();
  FreeLha32Dll();
  FreeArj32Dll();
  FreeCab32Dll();
  FreeTar32Dll();
  FreeRar32Dll();
  FreeBga32Dll();
  FreeYz1Dll();
  FreeSevenZip32Dll();
}

TArchiverType DetectArchiverType(const AnsiString& FileName, bool ByExtension) {
  if (ByExtension) {
    const AnsiString ext = ExtractFileExt(FileName);
    struct Rule {
      const char* ext;
      TArchiverType type;
    };
    static const Rule rules[] = {
        {".lzh", atLha}, {".cab", atCab}, {".zip", atZip},  {".jar", atZip},  {".ear", atZip},  {".war", atZip},
        {".arj", atArj}, {".rar", atRar}, {".yz1", atYz1},  {".gca", atGCA},  {".gza", atBga},  {".bza", atBga},
        {".bz2", atBZ2}, {".a", atTar},   {".lib", atTar},  {".tar", atTar},  {".deb", atTar},  {".rpm", atTar},
        {".cpio", atTar}, {".z", atTgz},  {".gz", atTgz},   {".tgz", atTgz},  {".taz", atTgz},  {".7z", at7z},
    };
    for (const Rule& r : rules)
      if (SameText(ext, r.ext)) return r.type;
    if (!SameText(ext, ".exe")) return atNone;
  }
  // Every test runs; each positive one replaces the answer so far.
  TArchiverType t = TarArchiveType(FileName);
  if (IsRarArchive(FileName)) t = atRar;
  if (IsArjArchive(FileName)) t = atArj;
  if (IsZipArchive(FileName)) t = atZip;
  if (IsBgaArchive(FileName)) t = atBga;
  if (IsYz1Archive(FileName)) t = atYz1;
  if (IsCabArchive(FileName)) t = atCab;
  if (IsLhaArchive(FileName)) t = atLha;
  return t;
}

// ---------------------------------------------------------------- TArchiveFile

TArchiveFile::TArchiveFile(TComponent* AOwner)
    : TComponent(AOwner), FOptions(std::make_unique<TArchiverOptions>()), FFileName(kNotGiven) {}

TArchiveFile::~TArchiveFile() {
  if (FProgressWnd) DeallocateHWnd(FProgressWnd);
  FProgressWnd = nullptr;
  if (g_enumTarget == this) g_enumTarget = nullptr;
}

void TArchiveFile::SetFileName(const AnsiString& Value) {
  SetArchiverType(DetectArchiverType(Value, true));
  FFileName = Value;
}

void TArchiveFile::SetOutputSize(int Value) {
  FOutput.assign(static_cast<size_t>(Value > 0 ? Value : 0), ' ');
  if (Value > 0) FOutput[0] = '\0';
}

void TArchiveFile::SetArchiverType(TArchiverType Value) {
  if (ComponentState().Contains(csDesigning)) {
    FArchiverType = Value;
    return;
  }
  switch (Value) {
    case atAutoDetect: FArchiverType = Value; return;
    case atNone: return;
    case atGCA:
    case atBel:
      if (ComponentState().Contains(csReading)) {
        FArchiverType = Value;
        return;
      }
      throw EArchiver(AnsiString("書庫の形式を特定できませんでした。"));
    default: {
      auto archiver = NewArchiver(Value);  // loads the format's library; may raise
      FArchiver = std::move(archiver);
      FArchiverType = Value;
      return;
    }
  }
}

void TArchiveFile::CheckArchiver() {
  if (!FArchiver) throw EArchiver(AnsiString("書庫の形式を判別できません。"));
}

void TArchiveFile::ResolveAutoDetect() {
  if (FArchiverType == atAutoDetect) SetArchiverType(DetectArchiverType(FFileName, false));
}

bool TArchiveFile::NeedsEnumMembers(TArchiverOptions* Options) const {
  return static_cast<bool>(OnEnumMember) || Options->IncludeExtraStreams();
}

void TArchiveFile::BeginCallbacks(TArchiverOptions* Options) {
  if (NeedsEnumMembers(Options)) {
    g_enumTarget = this;
    FArchiver->SetEnumMembersProc(reinterpret_cast<void*>(&EnumMembersCallback), kEnumMemberInfo64Size);
  }
  if (FInternalProgress || OnProgress) {
    if (!g_wmArcExtract) g_wmArcExtract = RegisterWindowMessageA("wm_arcextract");
    if (!FProgressWnd) FProgressWnd = AllocateHWnd(TWndMethod::Of<&TArchiveFile::ProgressWndProc>(this));
    try {
      FArchiver->SetOwnerWindow(FProgressWnd, nullptr);
    } catch (...) {
    }
  }
}

void TArchiveFile::EndCallbacks(TArchiverOptions* Options) {
  if (NeedsEnumMembers(Options)) {
    if (g_enumTarget == this) g_enumTarget = nullptr;
    FArchiver->ClearEnumMembersProc();
  }
  if (FInternalProgress || OnProgress) {
    try {
      FArchiver->KillOwnerWindow(FProgressWnd);
    } catch (...) {
    }
  }
}

void TArchiveFile::CollectStreamFile(TObject*, int State, LPEXTRACTINGINFOEX lpEis, bool&) {
  if (State != 1 || !lpEis || !FStreamOptions || !FStreamFiles) return;
  const AnsiString source(lpEis->szSourceFileName, strnlen(lpEis->szSourceFileName, sizeof lpEis->szSourceFileName));
  if (source.find(FStreamOptions->StreamSeparator()) == AnsiString::npos) return;
  FStreamFiles->Add(AnsiString(lpEis->szDestFileName, strnlen(lpEis->szDestFileName, sizeof lpEis->szDestFileName)));
}

int TArchiveFile::Extract(HWND Wnd, TArchiverOptions* Options, const AnsiString& DestDir, const TFileArgs& Files) {
  FLastCommandLine.clear();
  CheckArchiver();
  TArchiverOptions* options = Options ? Options : FOptions.get();
  BeginCallbacks(options);
  FStreamFiles.reset();
  FStreamOptions = nullptr;
  FInternalProgress = nullptr;
  if (options->IncludeExtraStreams() && !options->StreamSeparator().empty()) {
    FStreamFiles = std::make_unique<TStringList>();
    FStreamFiles->SetSorted(true);
    FStreamFiles->SetDuplicates(dupIgnore);
    FStreamOptions = options;
    FInternalProgress = [this](TObject* Sender, int State, LPEXTRACTINGINFOEX lpEis, bool& Abort) {
      CollectStreamFile(Sender, State, lpEis, Abort);
    };
  }
  struct Finish {
    TArchiveFile& f;
    TArchiverOptions* options;
    const AnsiString& dest;
    ~Finish() {
      try {
        AttachExtraStreams(f.FStreamFiles.get(), options, dest);
      } catch (...) {
      }
      f.FStreamFiles.reset();
      f.FStreamOptions = nullptr;
      f.FInternalProgress = nullptr;
      try {
        f.EndCallbacks(options);
      } catch (...) {
      }
    }
  } finish{*this, options, DestDir};
  const bool useResFile = options->ResFileUsage().Contains(ruOnUnpack);
  return FArchiver->Extract(Wnd, FFileName, FOutput, FLastCommandLine, useResFile, Files, DestDir, options);
}

int TArchiveFile::PackByArchiver(HWND Wnd, TArchiverOptions* Options, const AnsiString& BaseDir,
                                 const TFileArgs& Files) {
  BeginCallbacks(Options);
  struct End {
    TArchiveFile& f;
    TArchiverOptions* options;
    ~End() {
      try {
        f.EndCallbacks(options);
      } catch (...) {
      }
    }
  } end{*this, Options};
  const bool useResFile = Options->ResFileUsage().Contains(ruOnPack);
  return FArchiver->Pack(Wnd, FFileName, FOutput, FLastCommandLine, useResFile, Files, BaseDir, Options);
}

int TArchiveFile::Pack(HWND Wnd, TArchiverOptions* Options, const AnsiString& BaseDir, const TFileArgs& Files) {
  ResolveAutoDetect();
  CheckArchiver();
  TArchiverOptions* options = Options ? Options : FOptions.get();
  FArchiver->EnsureLoaded();
  if (options->PackFilter() == pfArchiver) return PackByArchiver(Wnd, options, BaseDir, Files);

  TStringList extra;
  struct DeleteExtra {
    TStringList& list;
    ~DeleteExtra() {
      for (int i = 0; i < list.Count(); ++i) DeleteFile(list.Strings(i));
    }
  } deleteExtra{extra};
  TArchiverOptions copy;
  copy.Assign(options);
  bool abort = false;
  TArchiverProgressEvent progress = [this](TObject*, int State, LPEXTRACTINGINFOEX lpEis, bool& Abort) {
    DoProgress(State, lpEis, Abort);
  };
  auto fileList = BuildFileList(&extra, &copy, BaseDir, this, progress, Files, abort);
  if (abort) return kPackAborted;
  if (fileList->Count() == 0) {
    if (!FOutput.empty()) FOutput[0] = '\0';
    return 0;
  }
  copy.jx()->Clear();
  return PackByArchiver(Wnd, &copy, BaseDir, {static_cast<TStrings*>(fileList.get())});
}

void TArchiveFile::DoProgress(int State, LPEXTRACTINGINFOEX lpEis, bool& Abort) {
  if (FInternalProgress) FInternalProgress(this, State, lpEis, Abort);
  if (OnProgress) OnProgress(this, State, lpEis, Abort);
}

void TArchiveFile::DoEnumMember(TEnumMemberInfo64& EnumInfo, bool& Abort) {
  if (FArchiver) FArchiver->EnumMember(EnumInfo, FOptions.get(), Abort);
  if (!Abort && OnEnumMember) OnEnumMember(this, EnumInfo, Abort);
}

void TArchiveFile::ProgressWndProc(TMessage& Message) {
  if (g_wmArcExtract && Message.Msg == g_wmArcExtract) {
    bool abort = false;
    DoProgress(static_cast<int>(Message.WParam), reinterpret_cast<LPEXTRACTINGINFOEX>(Message.LParam), abort);
    Message.Result = abort ? 1 : 0;
    return;
  }
  Message.Result = DefWindowProcA(FProgressWnd, Message.Msg, Message.WParam, Message.LParam);
}
