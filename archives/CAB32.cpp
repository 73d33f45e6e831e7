#include "CAB32.h"

namespace {
TArchiverDll* g_cabDll = nullptr;
}

TCab32::TCab32() : TFormatArchiver(g_cabDll, "CAB 形式書庫", "Cab", "CAB32.DLL", {"-x", "-a", nullptr, nullptr, "-f", ""}) { LoadDLL(); }

void FreeCab32Dll() {
  delete g_cabDll;
  g_cabDll = nullptr;
}

AnsiString TCab32::BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* o) {
  TCmdOpt cmd;
  cmd.AddSwitch("o", o->c() == 1);
  cmd.AddSwitch("i", o->n() > 0 || HasOwnerWindow());
  cmd.AddSwitch("r", o->r() > 0);
  cmd.AddFolder("h", o->w());
  cmd.AddSwitch("j", o->x() == 0);
  cmd.AddSwitch("q", o->ji() > 0);
  cmd.Add(o->UserOptions());
  AddArchiveAndDir(cmd, ArchiveName, Dir);
  AddFiles(cmd, o, UseResFile, Files);
  return Action + cmd.Text();
}


bool IsCabArchive(const AnsiString& FileName) {
  try {
    TCab32 cab;
    return OpenArchiveTest(cab.GetDll(), ExpandFileName(FileName));
  } catch (const std::exception&) {
    return false;
  }
}
