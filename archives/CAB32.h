// The CAB archiver (library "CAB32.DLL", entries "Cab...").
#pragma once
#include "Archives_Archiver.h"

class TCab32 : public TFormatArchiver {
 public:
  TCab32();
  AnsiString BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                          const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* Options) override;
};

bool IsCabArchive(const AnsiString& FileName);
void FreeCab32Dll();
