// The 7z archiver (library "7-zip32.dll", entries "SevenZip...").
#pragma once
#include "Archives_Archiver.h"

class TSevenZip32 : public TFormatArchiver {
 public:
  TSevenZip32();
  // The stub (SevenZipSfxStub), the configuration block (SevenZipSfxConfig) when set, then the
  // archive; no library call.
  int MakeSfx(HWND Wnd, const AnsiString& ArchiveName, AnsiString& Output, AnsiString& CmdLine,
              const AnsiString& Folder, TArchiverOptions* Options) override;
  AnsiString BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                          const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* Options) override;
};

// The self-extractor stub ("7z.sfx" when empty) and an optional configuration file.
extern AnsiString SevenZipSfxStub;
extern AnsiString SevenZipSfxConfig;
void FreeSevenZip32Dll();
