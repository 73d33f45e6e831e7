// The ZIP archiver and its binding, which spreads the entries over three libraries: the outside
// unzip library "UNZIP32.DLL", the outside zip library "ZIP32J.DLL" and Zipvault
// ("ZIPVAULT.DLL").
#pragma once
#include "Archives_Archiver.h"

class TZipDll : public TCustomArchiverDll {
 public:
  ~TZipDll() override;

  void LoadDLL() override;
  void FreeDLL() override;
  int Command(HWND Wnd, const AnsiString& CmdLine, LPSTR OutBuf, DWORD OutSize) override;
  // A pack (Replaces) never destroys the previous archive: it is moved aside under a temporary
  // name in its folder and put back when Zip answers non-zero or writes no archive.
  int CommandOnArchive(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& CmdLine, LPSTR OutBuf,
                       DWORD OutSize, bool Replaces = false) override;
  HARC OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode) override;
  int CloseArchive(HARC Handle) override;
  int FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info) override;
  int FindNext(HARC Handle, TArchiveEntryInfoEx* Info) override;
  BOOL GetWriteTimeEx(HARC Handle, FILETIME& Time) override;
  BOOL GetCreateTimeEx(HARC Handle, FILETIME& Time) override;
  BOOL GetAccessTimeEx(HARC Handle, FILETIME& Time) override;
  bool CheckArchive(const AnsiString& ArchiveName, int Mode) override;
  int ExtractMem(HWND Wnd, const AnsiString& CmdLine, LPBYTE Buffer, DWORD BufferSize, uint32_t* Time, LPWORD Attr,
                 LPDWORD WrittenSize) override;
  BOOL SetOwnerWindowEx(HWND Wnd, void* Proc) override;
  BOOL KillOwnerWindowEx(HWND Wnd) override;

  HMODULE Unzip32Module() const { return FUnzip32; }
  HMODULE ZipvaultModule() const { return FZipvault; }
  HMODULE Zip32JModule() const { return FZip32J; }
  // True when extraction goes to UNZIP32's "UnZip" (which reads wildcards, so names are escaped).
  bool UnzipFromUnzip32();

 protected:
  template <class F>
  bool BindEntry(F& Entry, HMODULE M1, HMODULE M2, HMODULE M3, const char* Name, bool Required) {
    void* p = nullptr;
    const bool found = BindEntryCore(p, M1, M2, M3, Name, Required);
    Entry = reinterpret_cast<F>(p);
    return found;
  }
  bool BindEntryCore(void*& Entry, HMODULE M1, HMODULE M2, HMODULE M3, const AnsiString& Name, bool Required);
  void* GetEntryFromModule(HMODULE Module, AnsiString Name);

 private:
  HMODULE FUnzip32 = nullptr;
  HMODULE FZipvault = nullptr;
  HMODULE FZip32J = nullptr;
  TCommandProc FZip = nullptr;
  TCommandProc FUnZip = nullptr;
};

class TZip32 : public TArchiver {
 public:
  TZip32();
  void LoadDLL() override;
  void FreeDLL() override;
  TCustomArchiverDll* GetDll() override;
  TZipDll* ZipDll();

  AnsiString DoExtract(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                       const AnsiString& DestDir, TArchiverOptions* Options) override;
  AnsiString DoPack(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                    const AnsiString& BaseDir, TArchiverOptions* Options) override;
  AnsiString DoDelete(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                      const AnsiString& BaseDir, TArchiverOptions* Options) override;
  AnsiString DoUpdate(HWND Wnd, const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                      const AnsiString& BaseDir, TArchiverOptions* Options) override;
  AnsiString DoMakeSfx(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& Folder,
                       TArchiverOptions* Options) override;
  AnsiString DoExtractMem(HWND Wnd, const AnsiString& ArchiveName, const AnsiString& MemberName,
                          TArchiverOptions* Options) override;

  AnsiString BuildExtractCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                 const TFileArgs& Files, const AnsiString& DestDir, TArchiverOptions* Options);
  AnsiString BuildZipCommand(const AnsiString& ArchiveName, bool UseResFile, const TFileArgs& Files,
                             const AnsiString& BaseDir, TArchiverOptions* Options);
  AnsiString BuildZip32JCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                const TFileArgs& Files, const AnsiString& BaseDir, TArchiverOptions* Options);
};

// Makes the one ZIP binding of the process and loads its libraries (once).
TZipDll* CreateZipDll();
// The leading "-" becomes "[-]", every "\" a "/" and every "[" "[[]" (multi-byte aware).
AnsiString EscapeZipName(const AnsiString& Name);
// Refuses (EArchiver) a name that Zipvault's command-line splitters would read as something
// other than a name: an option ("-"), a list file ("@"), a working folder (a trailing "/" or
// "\"), a cut at "\*.*", or one holding a double quote.
void CheckZipvaultName(const AnsiString& Name);
// Refuses a name holding a double quote, which would end its quoted token.
void CheckQuotedName(const AnsiString& Name);
bool IsZipArchive(const AnsiString& FileName);
// Frees the ZIP binding and its libraries (TZip32::FreeDLL).
void FreeZipDll();
