// The BGA archiver (library "BGA32.DLL", entries "Bga...").
#pragma once
#include "Archives_Archiver.h"

class TBGA32 : public TFormatArchiver {
 public:
  TBGA32();
  AnsiString BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                          const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* Options) override;
};

bool IsBgaArchive(const AnsiString& FileName);
void FreeBga32Dll();
