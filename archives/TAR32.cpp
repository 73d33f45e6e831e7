#include "TAR32.h"

#include "Archives.h"

namespace {
TArchiverDll* g_tarDll = nullptr;
}

TTar32::TTar32() : TFormatArchiver(g_tarDll, "tar/tgz/taz/bz2 形式書庫", "Tar", "TAR32.DLL",
                      {"x", "c", nullptr, nullptr, nullptr, ""}) { LoadDLL(); }

void FreeTar32Dll() {
  delete g_tarDll;
  g_tarDll = nullptr;
}

AnsiString TTar32::BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* o) {
  TCmdOpt cmd;
  cmd.QuoteStyle = true;
  cmd.AddSwitch("AH", o->a() > 0);
  cmd.AddSwitch("I", o->a() == 0);
  cmd.AddSwitch("-display-dialog=0", !HasOwnerWindow() && o->n() > 0);
  cmd.AddSwitch("g", o->o() > 0);
  cmd.AddNumber("-check-all-path=", o->p());
  cmd.AddNumber("-use-directory=", o->x());
  AddCompression(cmd, o);
  cmd.Add(o->UserOptions());
  cmd.AddFileName("f", ArchiveName);
  cmd.AddFolder("o", Dir);
  AddFiles(cmd, o, UseResFile, Files);
  return Action + cmd.Text();
}

void TTgz32::AddCompression(TCmdOpt& Cmd, TArchiverOptions* o) {
  Cmd.Add(o->jm() > 0 ? "-z" + IntToStr(o->jm()) : AnsiString("-z"));
}

void TBZ232::AddCompression(TCmdOpt& Cmd, TArchiverOptions* o) {
  Cmd.Add(o->jm() > 0 ? "-B" + IntToStr(o->jm()) : AnsiString("-B"));
}


int TTar32::MakeSfx(HWND, const AnsiString& ArchiveName, AnsiString&, AnsiString&, const AnsiString& Folder,
                    TArchiverOptions*) {
  const AnsiString stub = SearchStub("kmtarsef.exe");
  if (stub.empty()) throw ESfxNoRequiredFile("tar/tgz", "kmtarsef.exe", "");
  ConcatenateFiles(SfxOutputName(ArchiveName, Folder, ".EXE"), {stub, ArchiveName});
  return 0;
}

int TBZ232::MakeSfx(HWND, const AnsiString&, AnsiString&, AnsiString&, const AnsiString&, TArchiverOptions*) {
  throw EArchiver(AnsiString("BZ2 形式書庫は自己解凍形式にできません。"));
}

TArchiverType TarArchiveType(const AnsiString& FileName) {
  try {
    TTar32 tar;
    const int t = tar.GetDll()->GetArchiveType(ExpandFileName(FileName));
    if (t == 1) return atTar;
    if (t >= 2 && t <= 5) return atTgz;
    if (t == 6 || t == 7) return atBZ2;
  } catch (const std::exception&) {
  }
  return atNone;
}
