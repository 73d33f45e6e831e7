// The LHA archiver (library "UNLHA32.DLL", entries "Unlha...").
#pragma once
#include "Archives_Archiver.h"

class TLha32 : public TFormatArchiver {
 public:
  TLha32();
  // The LHA-style command: Action, "-+", the switches in their order, UserOptions, archive and
  // folder, the names. Refuses (EAssertionFailed) jso, and for "x" jse, left unset.
  AnsiString BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                          const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* Options) override;

 protected:
  TLha32(TArchiverDll*& Binding, const char* FormatText, const char* Prefix, const char* DllName);
};

bool IsLhaArchive(const AnsiString& FileName);
void FreeLha32Dll();
