// The ARJ archiver (library "UNARJ32J.DLL", entries "Unarj..."), with the LHA-style commands.
#pragma once
#include "LHA32.h"

class TArj32 : public TLha32 {
 public:
  TArj32();
};

bool IsArjArchive(const AnsiString& FileName);
void FreeArj32Dll();
