// The YZ1 archiver (library "YYZ32.DLL", else "YZ1.DLL"; entries "Yz1...").
#pragma once
#include "Archives_Archiver.h"

// Asks the library's password dialog when a listing needs a password.
class TYZ1Dll : public TArchiverDll {
 public:
  using TArchiverDll::TArchiverDll;
  HARC OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode) override;
  // Up to four tries: an answer of 32778 (a password is needed) asks PasswordDialog and sets the
  // answer with SetDefaultPassword before the next try.
  int FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info) override;

 private:
  HWND FWnd = nullptr;
};

class TYZ1 : public TFormatArchiver {
 public:
  TYZ1();
  // The binding of "YYZ32.DLL", else of "YZ1.DLL".
  void LoadDLL() override;
  TCustomArchiverDll* GetDll() override;
  int MakeSfx(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
              const AnsiString& Folder, TArchiverOptions* Options) override;
  AnsiString BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                          const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* Options) override;
};

bool IsYz1Archive(const AnsiString& FileName);
void FreeYz1Dll();
