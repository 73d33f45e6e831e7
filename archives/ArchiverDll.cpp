#include "ArchiverDll.h"

FILETIME DosToUtcFileTime(uint16_t Date, uint16_t Time) {
  FILETIME zero{0, 0};
  if (Date == 0 && Time == 0) return zero;
  // Month 1-12, day 1-31, hour below 24, minutes and two-second steps below 60.
  const unsigned month = (Date >> 5) & 15, day = Date & 31;
  const unsigned hour = Time >> 11, minute = (Time >> 5) & 63, seconds = (Time & 31) * 2;
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || seconds > 59) return zero;
  if (day > DaysInAMonth(static_cast<Word>(1980 + (Date >> 9)), static_cast<Word>(month))) return zero;
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(Date, Time, &local) || !LocalFileTimeToFileTime(&local, &utc)) return zero;
  return utc;
}

// ---------------------------------------------------------------- TCustomArchiverDll

TCustomArchiverDll::~TCustomArchiverDll() { TCustomArchiverDll::FreeDLL(); }

void TCustomArchiverDll::FreeDLL() {
  // Every entry, also the enumeration pair: a reloaded library must be bound anew.
  FCommand = nullptr;
  FOpenArchive = nullptr;
  FCloseArchive = nullptr;
  FFindFirst = nullptr;
  FFindNext = nullptr;
  FExtractMem = nullptr;
  FCheckArchive = nullptr;
  FSetOwnerWindowEx = nullptr;
  FKillOwnerWindowEx = nullptr;
  FGetWriteTimeEx = nullptr;
  FGetCreateTimeEx = nullptr;
  FGetAccessTimeEx = nullptr;
  FGetOriginalSizeEx = nullptr;
  FGetCompressedSizeEx = nullptr;
  FGetArchiveType = nullptr;
  FSetEnumMembersProc64 = nullptr;
  FClearEnumMembersProc64 = nullptr;
}

bool TCustomArchiverDll::GetEntry(void*& Entry, HMODULE Module, const AnsiString& Name, bool Required) {
  if (Entry) return true;
  // Module 0 would search the program itself: it has no entries.
  if (Module) Entry = reinterpret_cast<void*>(GetProcAddress(Module, Name.c_str()));
  if (Entry) return true;
  if (!Required) return false;
  char file[257] = {};
  GetModuleFileNameA(Module, file, sizeof file);
  throw EEntryNotFound(Format("%0:s に %1:s のエントリが見つかりません。", {AnsiString(file), Name}));
}

namespace {
// A library's entry called unconditionally: a nil one is a caller's error, reported rather than
// followed.
template <class F>
F Required(F Entry) {
  if (!Entry) throw EEntryNotFound(AnsiString("エントリが設定されていません。"));
  return Entry;
}
}  // namespace

int TCustomArchiverDll::Command(HWND Wnd, const AnsiString& CmdLine, LPSTR OutBuf, DWORD OutSize) {
  return Required(FCommand)(Wnd, CmdLine.c_str(), OutSize ? OutBuf : nullptr, OutSize);
}

int TCustomArchiverDll::CommandOnArchive(HWND Wnd, const AnsiString&, const AnsiString& CmdLine, LPSTR OutBuf,
                                         DWORD OutSize, bool) {
  return Command(Wnd, CmdLine, OutBuf, OutSize);
}

bool TCustomArchiverDll::CheckArchive(const AnsiString& ArchiveName, int Mode) {
  return Required(FCheckArchive)(ArchiveName.c_str(), Mode) != FALSE;
}

int TCustomArchiverDll::CloseArchive(HARC Handle) { return Required(FCloseArchive)(Handle); }

int TCustomArchiverDll::ExtractMem(HWND Wnd, const AnsiString& CmdLine, LPBYTE Buffer, DWORD BufferSize,
                                   uint32_t* Time, LPWORD Attr, LPDWORD WrittenSize) {
  return Required(FExtractMem)(Wnd, CmdLine.c_str(), Buffer, BufferSize, Time, Attr, WrittenSize);
}

int TCustomArchiverDll::FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info) {
  const int r = Required(FFindFirst)(Handle, WildName.c_str(), &Info->Info);
  if (r == 0) FillEntryTimesAndSizes(Handle, Info);
  return r;
}

int TCustomArchiverDll::FindNext(HARC Handle, TArchiveEntryInfoEx* Info) {
  const int r = Required(FFindNext)(Handle, &Info->Info);
  if (r == 0) FillEntryTimesAndSizes(Handle, Info);
  return r;
}

BOOL TCustomArchiverDll::KillOwnerWindowEx(HWND Wnd) { return FKillOwnerWindowEx ? FKillOwnerWindowEx(Wnd) : 0; }

HARC TCustomArchiverDll::OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode) {
  return Required(FOpenArchive)(Wnd, ArchiveName.c_str(), Mode);
}

BOOL TCustomArchiverDll::SetOwnerWindowEx(HWND Wnd, void* Proc) {
  return FSetOwnerWindowEx ? FSetOwnerWindowEx(Wnd, Proc) : 0;
}

BOOL TCustomArchiverDll::GetWriteTimeEx(HARC Handle, FILETIME& Time) {
  return FGetWriteTimeEx ? FGetWriteTimeEx(Handle, &Time) : 0;
}
BOOL TCustomArchiverDll::GetCreateTimeEx(HARC Handle, FILETIME& Time) {
  return FGetCreateTimeEx ? FGetCreateTimeEx(Handle, &Time) : 0;
}
BOOL TCustomArchiverDll::GetAccessTimeEx(HARC Handle, FILETIME& Time) {
  return FGetAccessTimeEx ? FGetAccessTimeEx(Handle, &Time) : 0;
}
BOOL TCustomArchiverDll::GetOriginalSizeEx(HARC Handle, uint64_t& Size) {
  return FGetOriginalSizeEx ? FGetOriginalSizeEx(Handle, &Size) : 0;
}
BOOL TCustomArchiverDll::GetCompressedSizeEx(HARC Handle, uint64_t& Size) {
  return FGetCompressedSizeEx ? FGetCompressedSizeEx(Handle, &Size) : 0;
}
int TCustomArchiverDll::GetArchiveType(const AnsiString& ArchiveName) {
  return Required(FGetArchiveType)(ArchiveName.c_str());
}
BOOL TCustomArchiverDll::SetEnumMembersProc64(void* Proc, DWORD StructSize) {
  return FSetEnumMembersProc64 ? FSetEnumMembersProc64(Proc, StructSize) : 0;
}
BOOL TCustomArchiverDll::ClearEnumMembersProc64() {
  return FClearEnumMembersProc64 ? FClearEnumMembersProc64() : 0;
}

void TCustomArchiverDll::FillEntryTimesAndSizes(HARC Handle, TArchiveEntryInfoEx* Info) {
  const uint16_t date = Info->Info.wDate, time = Info->Info.wTime;
  FILETIME ft{};
  Info->ftWriteTime = GetWriteTimeEx(Handle, ft) ? ft : DosToUtcFileTime(date, time);
  Info->ftAccessTime = GetAccessTimeEx(Handle, ft) ? ft : DosToUtcFileTime(date, time);
  Info->ftCreateTime = GetCreateTimeEx(Handle, ft) ? ft : DosToUtcFileTime(date, time);
  uint64_t size = 0;
  Info->llOriginalSize = GetOriginalSizeEx(Handle, size) ? size : Info->Info.dwOriginalSize;
  Info->llCompressedSize = GetCompressedSizeEx(Handle, size) ? size : Info->Info.dwCompressedSize;
}

// ---------------------------------------------------------------- TArchiverDll

TArchiverDll::TArchiverDll(const AnsiString& FormatText, const AnsiString& Prefix, const AnsiString& DllName)
    : FFormatText(FormatText), FDllName(DllName), FPrefix(Prefix) {}

TArchiverDll::~TArchiverDll() { TArchiverDll::FreeDLL(); }

void TArchiverDll::LoadDLL() {
  if (!FModule) FModule = LoadLibraryA(FDllName.c_str());
  if (!FModule) throw ENoArchiverDLL(Format("%0:s を扱うには %1:s が 必要です。", {FFormatText, FDllName}));
}

void TArchiverDll::FreeDLL() {
  TCustomArchiverDll::FreeDLL();
  if (FModule) {
    FreeLibrary(FModule);
    FModule = nullptr;
  }
}

int TArchiverDll::Command(HWND Wnd, const AnsiString& CmdLine, LPSTR OutBuf, DWORD OutSize) {
  LoadDLL();
  Bind(FCommand, "", true);
  return TCustomArchiverDll::Command(Wnd, CmdLine, OutBuf, OutSize);
}

HARC TArchiverDll::OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode) {
  LoadDLL();
  Bind(FOpenArchive, "OpenArchive", true);
  return TCustomArchiverDll::OpenArchive(Wnd, ArchiveName, Mode);
}

int TArchiverDll::CloseArchive(HARC Handle) {
  LoadDLL();
  Bind(FCloseArchive, "CloseArchive", true);
  return TCustomArchiverDll::CloseArchive(Handle);
}

int TArchiverDll::FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info) {
  LoadDLL();
  Bind(FFindFirst, "FindFirst", true);
  return TCustomArchiverDll::FindFirst(Handle, WildName, Info);
}

int TArchiverDll::FindNext(HARC Handle, TArchiveEntryInfoEx* Info) {
  Bind(FFindNext, "FindNext", true);
  return TCustomArchiverDll::FindNext(Handle, Info);
}

bool TArchiverDll::CheckArchive(const AnsiString& ArchiveName, int Mode) {
  LoadDLL();
  Bind(FCheckArchive, "CheckArchive", true);
  return TCustomArchiverDll::CheckArchive(ArchiveName, Mode);
}

BOOL TArchiverDll::SetOwnerWindowEx(HWND Wnd, void* Proc) {
  Bind(FSetOwnerWindowEx, "SetOwnerWindowEx", false);
  return TCustomArchiverDll::SetOwnerWindowEx(Wnd, Proc);
}

BOOL TArchiverDll::KillOwnerWindowEx(HWND Wnd) {
  Bind(FKillOwnerWindowEx, "KillOwnerWindowEx", false);
  return TCustomArchiverDll::KillOwnerWindowEx(Wnd);
}

int TArchiverDll::ExtractMem(HWND Wnd, const AnsiString& CmdLine, LPBYTE Buffer, DWORD BufferSize, uint32_t* Time,
                             LPWORD Attr, LPDWORD WrittenSize) {
  Bind(FExtractMem, "ExtractMem", true);
  return TCustomArchiverDll::ExtractMem(Wnd, CmdLine, Buffer, BufferSize, Time, Attr, WrittenSize);
}

BOOL TArchiverDll::GetWriteTimeEx(HARC Handle, FILETIME& Time) {
  Bind(FGetWriteTimeEx, "GetWriteTimeEx", false);
  return TCustomArchiverDll::GetWriteTimeEx(Handle, Time);
}
BOOL TArchiverDll::GetCreateTimeEx(HARC Handle, FILETIME& Time) {
  Bind(FGetCreateTimeEx, "GetCreateTimeEx", false);
  return TCustomArchiverDll::GetCreateTimeEx(Handle, Time);
}
BOOL TArchiverDll::GetAccessTimeEx(HARC Handle, FILETIME& Time) {
  Bind(FGetAccessTimeEx, "GetAccessTimeEx", false);
  return TCustomArchiverDll::GetAccessTimeEx(Handle, Time);
}
BOOL TArchiverDll::GetOriginalSizeEx(HARC Handle, uint64_t& Size) {
  Bind(FGetOriginalSizeEx, "GetOriginalSizeEx", false);
  return TCustomArchiverDll::GetOriginalSizeEx(Handle, Size);
}
BOOL TArchiverDll::GetCompressedSizeEx(HARC Handle, uint64_t& Size) {
  Bind(FGetCompressedSizeEx, "GetCompressedSizeEx", false);
  return TCustomArchiverDll::GetCompressedSizeEx(Handle, Size);
}

int TArchiverDll::GetArchiveType(const AnsiString& ArchiveName) {
  LoadDLL();
  Bind(FGetArchiveType, "GetArchiveType", true);
  return TCustomArchiverDll::GetArchiveType(ArchiveName);
}

BOOL TArchiverDll::SetEnumMembersProc64(void* Proc, DWORD StructSize) {
  LoadDLL();
  Bind(FSetEnumMembersProc64, "SetEnumMembersProc64", false);
  return TCustomArchiverDll::SetEnumMembersProc64(Proc, StructSize);
}

BOOL TArchiverDll::ClearEnumMembersProc64() {
  LoadDLL();
  Bind(FClearEnumMembersProc64, "ClearEnumMembersProc64", false);
  return TCustomArchiverDll::ClearEnumMembersProc64();
}
