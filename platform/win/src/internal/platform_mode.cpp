#include <atomic>
#include "winplat_mode.h"

namespace winplat {
namespace {
std::atomic<bool> g_ansi_only{false};
std::atomic<UINT> g_acp{932};
}  // namespace

void SetAnsiOnlyPlatform(bool ansiOnly) { g_ansi_only = ansiOnly; }
bool IsAnsiOnlyPlatform() { return g_ansi_only; }

bool SetAnsiCodePage(UINT codePage) {
  if (codePage != 932 && codePage != 1252) return false;
  g_acp = codePage;
  return true;
}
UINT AnsiCodePage() { return g_acp; }

}  // namespace winplat
