#include "SZIP32.h"

#include <winreg.h>

namespace {
TArchiverDll* g_sevenZipDll = nullptr;

// The folder 7-Zip was installed to, from the registry; empty when unknown.
AnsiString SevenZipFolder() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\7-ZIP", 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  char buf[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH, type = 0;
  const bool ok = RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<LPBYTE>(buf), &size) == ERROR_SUCCESS &&
                  type == REG_SZ;
  RegCloseKey(key);
  return ok ? AnsiString(buf) : AnsiString();
}
}  // namespace

AnsiString SevenZipSfxStub;
AnsiString SevenZipSfxConfig;

TSevenZip32::TSevenZip32() : TFormatArchiver(g_sevenZipDll, "7z 形式書庫", "SevenZip", "7-zip32.dll",
                      {"x", "u", "d", nullptr, nullptr, nullptr}) { LoadDLL(); }

void FreeSevenZip32Dll() {
  delete g_sevenZipDll;
  g_sevenZipDll = nullptr;
}

AnsiString TSevenZip32::BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                                     const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* o) {
  TCmdOpt cmd;
  AnsiString action = Action;
  if (Action == "x") {
    if (o->m() == 2)
      cmd.Add("-aou");
    else if (o->jn() > 0)
      cmd.Add("-aos");
    else if (o->c() > 0)
      cmd.Add("-aoa");
    if (o->x() == 0) action = "e";
  }
  cmd.Add("-ms=off");
  cmd.AddSwitch("hide", o->n() > 0);
  if (o->r() == 0) cmd.Add("-r-");
  if (o->r() > 1) cmd.Add("-r");
  cmd.AddFolder("w", o->w());
  cmd.AddSwitch("y", o->y() > 0);
  for (int i = 0; i < o->jx()->Count(); ++i) cmd.AddEscapedName("x!", o->jx()->Strings(i));
  cmd.AddFolder("o", Dir);
  cmd.Add(o->UserOptions());
  cmd.AddFileName("", ArchiveName);
  AddFiles(cmd, o, UseResFile, Files);
  return action + cmd.Text();
}


int TSevenZip32::MakeSfx(HWND, const AnsiString& ArchiveName, AnsiString&, AnsiString&, const AnsiString& Folder,
                         TArchiverOptions* Options) {
  if (Options->gw() <= 0) throw EArchiver(AnsiString("16bit SFX を作成することはできません。"));
  const AnsiString stubName = SevenZipSfxStub.empty() ? AnsiString("7z.sfx") : SevenZipSfxStub;
  AnsiString stub;
  const AnsiString folder = SevenZipFolder();
  if (!folder.empty() && FileExists(WithTrailingBackslash(folder) + stubName)) stub = WithTrailingBackslash(folder) + stubName;
  if (stub.empty()) stub = SearchStub(stubName);
  if (stub.empty()) throw ESfxNoRequiredFile("7z", stubName, "");
  std::vector<AnsiString> parts{stub};
  if (!SevenZipSfxConfig.empty()) parts.push_back(SevenZipSfxConfig);
  parts.push_back(ArchiveName);
  ConcatenateFiles(SfxOutputName(ArchiveName, Folder, ".exe"), parts);
  return 0;
}
