// The RAR archiver (library "UNRAR32.DLL", entries "Unrar..."): extraction only.
#pragma once
#include "Archives_Archiver.h"

class TRar32 : public TFormatArchiver {
 public:
  TRar32();
  AnsiString BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                          const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* Options) override;
};

bool IsRarArchive(const AnsiString& FileName);
void FreeRar32Dll();
