// The archive component's exceptions.
#pragma once
#include "SysUtils.h"

class EArchiver : public Exception {
 public:
  using Exception::Exception;
};

// A format library that cannot be loaded.
class ENoArchiverDLL : public EArchiver {
 public:
  using EArchiver::EArchiver;
};

// A required entry that the library does not export.
class EEntryNotFound : public EArchiver {
 public:
  using EArchiver::EArchiver;
};

// A self-extractor stub (or its library) that is missing.
class ESfxNoRequiredFile : public EArchiver {
 public:
  ESfxNoRequiredFile(const AnsiString& Format, const AnsiString& FileName, const AnsiString& Platform)
      : EArchiver(Format + " 書庫からの" + Platform + "自己解凍書庫の作成には '" + FileName + "' ファイルが必要です。"),
        ArchiveFormat(Format),
        SfxPlatform(Platform),
        RequiredFile(FileName) {}
  AnsiString ArchiveFormat;
  AnsiString SfxPlatform;
  AnsiString RequiredFile;
};
