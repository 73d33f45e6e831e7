#include "ARJ32.h"

namespace {
TArchiverDll* g_arjDll = nullptr;
}

TArj32::TArj32() : TLha32(g_arjDll, "ARJ 形式書庫", "Unarj", "UNARJ32J.DLL") {}

void FreeArj32Dll() {
  delete g_arjDll;
  g_arjDll = nullptr;
}

bool IsArjArchive(const AnsiString& FileName) {
  try {
    TArj32 arj;
    return OpenArchiveTest(arj.GetDll(), ExpandFileName(FileName));
  } catch (const std::exception&) {
    return false;
  }
}
