#include "BGA32.h"

namespace {
TArchiverDll* g_bgaDll = nullptr;
}

TBGA32::TBGA32() : TFormatArchiver(g_bgaDll, "BGA 形式書庫", "Bga", "BGA32.DLL", {"x", "a", "d", nullptr, "s", nullptr}) { LoadDLL(); }

void FreeBga32Dll() {
  delete g_bgaDll;
  g_bgaDll = nullptr;
}

AnsiString TBGA32::BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* o) {
  TCmdOpt cmd;
  cmd.AddSwitch("a", o->a() > 0);
  cmd.AddSwitch(o->c() <= 0 ? "n" : "o", true);
  cmd.AddSwitch("i", o->n() > 0 || HasOwnerWindow());
  cmd.AddSwitch("r", o->r() > 0);
  cmd.AddSwitch("j", o->x() <= 0);
  cmd.AddNumber("l", o->jm());
  cmd.Add(o->UserOptions());
  AddArchiveAndDir(cmd, ArchiveName, Dir);
  AddFiles(cmd, o, UseResFile, Files);
  return Action + cmd.Text();
}


bool IsBgaArchive(const AnsiString& FileName) {
  try {
    const AnsiString name = ExpandFileName(FileName);
    if (!FileExists(name)) return false;
    TBGA32 bga;
    return OpenArchiveTest(bga.GetDll(), name);
  } catch (const std::exception&) {
    return false;
  }
}
