#include "RAR32.h"

namespace {
TArchiverDll* g_rarDll = nullptr;
}

TRar32::TRar32() : TFormatArchiver(g_rarDll, "RAR 形式書庫", "Unrar", "UNRAR32.DLL", {"-x", nullptr, nullptr, nullptr, nullptr, ""}) { LoadDLL(); }

void FreeRar32Dll() {
  delete g_rarDll;
  g_rarDll = nullptr;
}

AnsiString TRar32::BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* o) {
  TCmdOpt cmd;
  cmd.AddSwitch("u", o->c() <= 0);
  cmd.AddSwitch("y", o->m() > 0);
  cmd.AddSwitch("s", o->p() > 0);
  cmd.Add(o->UserOptions());
  AddArchiveAndDir(cmd, ArchiveName, Dir);
  AddFiles(cmd, o, UseResFile, Files);
  // Extraction with paths, or into one folder when x is 0.
  return (Action == "-x" && o->x() == 0 ? AnsiString("-e") : Action) + cmd.Text();
}


bool IsRarArchive(const AnsiString& FileName) {
  try {
    TRar32 rar;
    return OpenArchiveTest(rar.GetDll(), ExpandFileName(FileName));
  } catch (const std::exception&) {
    return false;
  }
}
