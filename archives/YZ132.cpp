#include "YZ132.h"

namespace {

TArchiverDll* g_yz1Dll = nullptr;
constexpr int kPasswordNeeded = 32778;  // 0x800A

using TPasswordDialogProc = int ARCAPI (*)(HWND, LPSTR, DWORD);
using TSetDefaultPasswordProc = int ARCAPI (*)(HARC, LPCSTR);

}  // namespace

HARC TYZ1Dll::OpenArchive(HWND Wnd, const AnsiString& ArchiveName, DWORD Mode) {
  FWnd = Wnd;
  return TArchiverDll::OpenArchive(Wnd, ArchiveName, Mode);
}

int TYZ1Dll::FindFirst(HARC Handle, const AnsiString& WildName, TArchiveEntryInfoEx* Info) {
  int r = -1;
  for (int attempt = 0; attempt < 4; ++attempt) {
    r = TArchiverDll::FindFirst(Handle, WildName, Info);
    if (r != kPasswordNeeded || attempt == 3) break;
    void* dialog = nullptr;
    void* setPassword = nullptr;
    if (!GetEntry(dialog, FModule, FPrefix + "PasswordDialog", false)) break;
    char password[256] = {};
    if (reinterpret_cast<TPasswordDialogProc>(dialog)(FWnd, password, sizeof password) < 0) break;
    if (GetEntry(setPassword, FModule, FPrefix + "SetDefaultPassword", false))
      reinterpret_cast<TSetDefaultPasswordProc>(setPassword)(Handle, password);
  }
  return r;
}

TYZ1::TYZ1() : TFormatArchiver(g_yz1Dll, "YZ1 形式書庫", "Yz1", "YYZ32.DLL", {"x", "c", nullptr, nullptr, nullptr, nullptr}) {
  LoadDLL();
}

void TYZ1::LoadDLL() {
  if (g_yz1Dll) {
    g_yz1Dll->LoadDLL();
    return;
  }
  for (const char* dll : {"YYZ32.DLL", "YZ1.DLL"}) {
    auto* binding = new TYZ1Dll("YZ1 形式書庫", "Yz1", dll);
    try {
      binding->LoadDLL();
      g_yz1Dll = binding;
      return;
    } catch (const ENoArchiverDLL&) {
      delete binding;
    }
  }
  throw EArchiver(AnsiString("Yz1 形式書庫を扱うには YYZ32.DLL か YZ1.DLL が必要です。"));
}

void FreeYz1Dll() {
  delete g_yz1Dll;
  g_yz1Dll = nullptr;
}

TCustomArchiverDll* TYZ1::GetDll() {
  if (!g_yz1Dll) LoadDLL();
  return g_yz1Dll;
}

AnsiString TYZ1::BuildCommand(const AnsiString& Action, const AnsiString& ArchiveName, bool UseResFile,
                              const TFileArgs& Files, const AnsiString& Dir, TArchiverOptions* o) {
  const int m = o->m();
  const int y = (m == 0 || m == 2) ? 2 : m == 1 ? 1 : m == 9 ? 0 : -1;
  const int c = y == 2 ? 2 : o->c();
  TCmdOpt cmd;
  cmd.Add("-+");
  cmd.AddNumber("c", c);
  cmd.AddNumber("y", y);
  cmd.AddSwitch("i", o->n() > 0 || HasOwnerWindow());
  cmd.AddNumber("z", o->p());
  cmd.AddNumber("x", o->x());
  cmd.Add(o->UserOptions());
  AddArchiveAndDir(cmd, ArchiveName, Dir);
  AddFiles(cmd, o, UseResFile, Files);
  return Action + cmd.Text();
}


int TYZ1::MakeSfx(HWND, const AnsiString& ArchiveName, AnsiString&, AnsiString&, const AnsiString& Folder,
                  TArchiverOptions* Options) {
  AnsiString stub;
  if (Options->gw() <= 0) {
    stub = SearchStub("yzdos16.sfx");
    if (stub.empty())
      throw EArchiver(AnsiString("yz1 書庫からのDOS自己解凍書庫の作成には ") + "yzdos16.sfx" + " が必要です。");
  } else {
    stub = SearchStub("yzw32cui.sfx");
    if (stub.empty()) stub = SearchStub("yzdec.exe");
    if (stub.empty())
      throw EArchiver(
          AnsiString("yz1 書庫からのWin32自己解凍書庫の作成には yzw32cui.sfx か yzdec.exe が必要です。"));
  }
  ConcatenateFiles(SfxOutputName(ArchiveName, Folder, ".exe"), {stub, ArchiveName});
  return 0;
}

bool IsYz1Archive(const AnsiString& FileName) {
  try {
    const AnsiString name = ExpandFileName(FileName);
    if (!FileExists(name)) return false;
    TYZ1 yz1;
    return OpenArchiveTest(yz1.GetDll(), name);
  } catch (const std::exception&) {
    return false;
  }
}
