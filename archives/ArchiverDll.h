// Archiver library binding: the records exchanged with archiver libraries, the entry pointers of
// one library family and their calls, and the binding of one library by file name and prefix.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "Archives_Errors.h"
#include "System.h"

// The libraries' calling convention has no meaning on this processor; kept for the declarations.
#define ARCAPI

using HARC = void*;

#pragma pack(push, 1)
// One member as FindFirst and FindNext fill it.
struct TArchiveEntryInfo {
  uint32_t dwOriginalSize;
  uint32_t dwCompressedSize;
  uint32_t dwCRC;
  uint32_t uFlag;
  uint32_t uOSType;
  uint16_t wRatio;
  uint16_t wDate;
  uint16_t wTime;
  char szFileName[513];
  char dummy1[3];
  char szAttribute[8];
  char szMode[8];
};
// The same, with the times and 64-bit sizes the binding fills afterwards.
struct TArchiveEntryInfoEx {
  TArchiveEntryInfo Info;
  FILETIME ftWriteTime;
  FILETIME ftAccessTime;
  FILETIME ftCreateTime;
  uint64_t llOriginalSize;
  uint64_t llCompressedSize;
};
// Progress notice record; only the two names are read or written here.
struct EXTRACTINGINFOEX {
  uint8_t Reserved1[8];
  char szSourceFileName[513];
  uint8_t Reserved2[3];
  char szDestFileName[513];
  uint8_t Reserved3[37];
};
#pragma pack(pop)
using LPEXTRACTINGINFOEX = EXTRACTINGINFOEX*;

static_assert(sizeof(TArchiveEntryInfo) == 558);
static_assert(offsetof(TArchiveEntryInfo, dwCompressedSize) == 4);
static_assert(offsetof(TArchiveEntryInfo, wDate) == 22);
static_assert(offsetof(TArchiveEntryInfo, wTime) == 24);
static_assert(offsetof(TArchiveEntryInfo, szFileName) == 26);
static_assert(offsetof(TArchiveEntryInfo, szAttribute) == 542);
static_assert(offsetof(TArchiveEntryInfo, szMode) == 550);
static_assert(sizeof(TArchiveEntryInfoEx) == 598);
static_assert(offsetof(TArchiveEntryInfoEx, ftWriteTime) == 558);
static_assert(offsetof(TArchiveEntryInfoEx, ftAccessTime) == 566);
static_assert(offsetof(TArchiveEntryInfoEx, ftCreateTime) == 574);
static_assert(offsetof(TArchiveEntryInfoEx, llOriginalSize) == 582);
static_assert(offsetof(TArchiveEntryInfoEx, llCompressedSize) == 590);
static_assert(sizeof(EXTRACTINGINFOEX) == 1074);
static_assert(offsetof(EXTRACTINGINFOEX, szSourceFileName) == 8);
static_assert(offsetof(EXTRACTINGINFOEX, szDestFileName) == 524);

// Size of the member-enumeration record handed to SetEnumMembersProc64; its layout is the
// library's.
constexpr DWORD kEnumMemberInfo64Size = 1094;
struct TEnumMemberInfo64 {
  uint8_t Bytes[kEnumMemberInfo64Size];
};

// Entry types, all with the libraries' calling convention.
using TCommandProc = int ARCAPI (*)(HWND, LPCSTR, LPSTR, DWORD);
using TOpenArchiveProc = HARC ARCAPI (*)(HWND, LPCSTR, DWORD);
using TCloseArchiveProc = int ARCAPI (*)(HARC);
using TFindFirstProc = int ARCAPI (*)(HARC, LPCSTR, TArchiveEntryInfo*);
using TFindNextProc = int ARCAPI (*)(HARC, TArchiveEntryInfo*);
using TExtractMemProc = int ARCAPI (*)(HWND, LPCSTR, LPBYTE, DWORD, uint32_t*, LPWORD, LPDWORD);
using TCheckArchiveProc = BOOL ARCAPI (*)(LPCSTR, int);
using TSetOwnerWindowExProc = BOOL ARCAPI (*)(HWND, void*);
using TKillOwnerWindowExProc = BOOL ARCAPI (*)(HWND);
using TGetTimeExProc = BOOL ARCAPI (*)(HARC, FILETIME*);
using TGetSizeExProc = BOOL ARCAPI (*)(HARC, uint64_t*);
using TGetArchiveTypeProc = int ARCAPI (*)(LPCSTR);
using TSetEnumMembersProc64Proc = BOOL ARCAPI (*)(void*, DWORD);
using TClearEnumMembersProc64Proc = BOOL ARCAPI (*)();

// FILETIME (UTC) of a DOS date and time given in local time; 0 for 0/0 and for a stamp that
// names no real moment.
FILETIME DosToUtcFileTime(uint16_t Date, uint16_t Time);

class TCustomArchiverDll : public TObject {
 public:
  ~TCustomArchiverDll() override;

  virtual void LoadDLL() {}
  // Clears every entry pointer.
  virtual void FreeDLL();
  virtual int Command(HWND Wnd, const AnsiString& CmdLine, LPSTR OutBuf, DWORD OutSize);
  // Replaces: the command writes a new archive in place of ArchiveName (a pack).
  virtual int CommandOnArchive(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& CmdLine, LPSTR OutBuf,
                               DWORD OutSize, bool Replaces = false);
  virtual bool CheckArchive(const AnsiString& ArchiveName, int Mode);
  virtual int CloseArchive(HARC Handle);
  virtual int ExtractMem(HWND Wnd, const AnsiString& CmdLine, LPBYTE Buffer, DWORD BufferSize, uint32_t* Time,
                         LPWORD Attr, LPDWORD WrittenSize);
  virtual int FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info);
  virtual int FindNext(HARC Handle, TArchiveEntryInfoEx* Info);
  virtual BOOL KillOwnerWindowEx(HWND Wnd);
  virtual HARC OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode);
  virtual BOOL SetOwnerWindowEx(HWND Wnd, void* Proc);
  virtual BOOL GetWriteTimeEx(HARC Handle, FILETIME& Time);
  virtual BOOL GetCreateTimeEx(HARC Handle, FILETIME& Time);
  virtual BOOL GetAccessTimeEx(HARC Handle, FILETIME& Time);
  virtual BOOL GetOriginalSizeEx(HARC Handle, uint64_t& Size);
  virtual BOOL GetCompressedSizeEx(HARC Handle, uint64_t& Size);
  virtual int GetArchiveType(const AnsiString& ArchiveName);
  virtual BOOL SetEnumMembersProc64(void* Proc, DWORD StructSize);
  virtual BOOL ClearEnumMembersProc64();

  // Looks Name up in Module once (a bound entry is kept). Module 0 has no entries. A required
  // entry that is missing raises EEntryNotFound naming the module's file.
  static bool GetEntry(void*& Entry, HMODULE Module, const AnsiString& Name, bool Required);

 protected:
  // Fills the times and 64-bit sizes after a FindFirst or FindNext that answered 0.
  void FillEntryTimesAndSizes(HARC Handle, TArchiveEntryInfoEx* Info);

  TCommandProc FCommand = nullptr;
  TOpenArchiveProc FOpenArchive = nullptr;
  TCloseArchiveProc FCloseArchive = nullptr;
  TFindFirstProc FFindFirst = nullptr;
  TFindNextProc FFindNext = nullptr;
  TExtractMemProc FExtractMem = nullptr;
  TCheckArchiveProc FCheckArchive = nullptr;
  TSetOwnerWindowExProc FSetOwnerWindowEx = nullptr;
  TKillOwnerWindowExProc FKillOwnerWindowEx = nullptr;
  TGetTimeExProc FGetWriteTimeEx = nullptr;
  TGetTimeExProc FGetCreateTimeEx = nullptr;
  TGetTimeExProc FGetAccessTimeEx = nullptr;
  TGetSizeExProc FGetOriginalSizeEx = nullptr;
  TGetSizeExProc FGetCompressedSizeEx = nullptr;
  TGetArchiveTypeProc FGetArchiveType = nullptr;
  TSetEnumMembersProc64Proc FSetEnumMembersProc64 = nullptr;
  TClearEnumMembersProc64Proc FClearEnumMembersProc64 = nullptr;
};

// Binds the entries Prefix + suffix of one library found by its file name.
class TArchiverDll : public TCustomArchiverDll {
 public:
  TArchiverDll(const AnsiString& FormatText, const AnsiString& Prefix, const AnsiString& DllName);
  ~TArchiverDll() override;

  void LoadDLL() override;
  void FreeDLL() override;
  int Command(HWND Wnd, const AnsiString& CmdLine, LPSTR OutBuf, DWORD OutSize) override;
  bool CheckArchive(const AnsiString& ArchiveName, int Mode) override;
  int CloseArchive(HARC Handle) override;
  int ExtractMem(HWND Wnd, const AnsiString& CmdLine, LPBYTE Buffer, DWORD BufferSize, uint32_t* Time, LPWORD Attr,
                 LPDWORD WrittenSize) override;
  int FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info) override;
  int FindNext(HARC Handle, TArchiveEntryInfoEx* Info) override;
  BOOL KillOwnerWindowEx(HWND Wnd) override;
  HARC OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode) override;
  BOOL SetOwnerWindowEx(HWND Wnd, void* Proc) override;
  BOOL GetWriteTimeEx(HARC Handle, FILETIME& Time) override;
  BOOL GetCreateTimeEx(HARC Handle, FILETIME& Time) override;
  BOOL GetAccessTimeEx(HARC Handle, FILETIME& Time) override;
  BOOL GetOriginalSizeEx(HARC Handle, uint64_t& Size) override;
  BOOL GetCompressedSizeEx(HARC Handle, uint64_t& Size) override;
  int GetArchiveType(const AnsiString& ArchiveName) override;
  BOOL SetEnumMembersProc64(void* Proc, DWORD StructSize) override;
  BOOL ClearEnumMembersProc64() override;

  HMODULE Module() const { return FModule; }
  const AnsiString& Prefix() const { return FPrefix; }
  const AnsiString& DllName() const { return FDllName; }

 protected:
  template <class F>
  bool Bind(F& Entry, const char* Suffix, bool Required) {
    void* p = reinterpret_cast<void*>(Entry);
    const bool found = GetEntry(p, FModule, FPrefix + Suffix, Required);
    Entry = reinterpret_cast<F>(p);
    return found;
  }

  HMODULE FModule = nullptr;
  AnsiString FFormatText;
  AnsiString FDllName;
  AnsiString FPrefix;
};
