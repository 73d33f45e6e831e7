// The tar family (library "TAR32.DLL", entries "Tar..."): tar, gzip-compressed tar (TTgz32) and
// bzip2-compressed tar (TBZ232).
#pragma once
#include "Archives_Archiver.h"
#include "Archives_Options.h"

enum TArchiverType : uint8_t;

class TTar32 : public TFormatArchiver {
 public:
  TTar32();
  // The stub "kmtarsef.exe" followed by the archive; no library call.
  int MakeSfx(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
              const AnsiString& Folder, TArchiverOptions* Options) override;
  AnsiString BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                          const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* Options) override;

 protected:
  // The compression switch of the tar family's members ("-z", "-B"); empty for plain tar.
  virtual void AddCompression(TCmdOpt& Cmd, TArchiverOptions* Options) {}
};

class TTgz32 : public TTar32 {
 protected:
  void AddCompression(TCmdOpt& Cmd, TArchiverOptions* Options) override;
};

class TBZ232 : public TTar32 {
 public:
  int MakeSfx(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
              const AnsiString& Folder, TArchiverOptions* Options) override;

 protected:
  void AddCompression(TCmdOpt& Cmd, TArchiverOptions* Options) override;
};

// The tar library's answer for the archive: atTar, atTgz, atBZ2, or atNone.
TArchiverType TarArchiveType(const AnsiString& FileName);
void FreeTar32Dll();
