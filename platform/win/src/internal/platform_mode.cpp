#include <dlfcn.h>

#include <atomic>

#include "internal/wide_calls.h"
#include "winbase.h"
#include "winplat_mode.h"

namespace winplat {
namespace {
std::atomic<bool> g_ansi_only{false};
std::atomic<UINT> g_acp{932};
std::atomic<unsigned> g_wide_violations{0};

const void* LibraryBase() {
  static const void* base = [] {
    Dl_info info{};
    return dladdr(reinterpret_cast<const void*>(&LibraryBase), &info) ? info.dli_fbase : nullptr;
  }();
  return base;
}

bool InsideLibrary(const void* address) {
  Dl_info info{};
  return address && dladdr(address, &info) && info.dli_fbase == LibraryBase();
}
}  // namespace

bool RefuseWideCall() {
  if (!IsAnsiOnlyPlatform()) return false;
  ++g_wide_violations;
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return true;
}

bool RefuseWideCallFrom(const void* caller) {
  if (!IsAnsiOnlyPlatform() || InsideLibrary(caller)) return false;
  return RefuseWideCall();
}

unsigned WideCallViolations() { return g_wide_violations; }
void ResetWideCallViolations() { g_wide_violations = 0; }

void SetAnsiOnlyPlatform(bool ansiOnly) { g_ansi_only = ansiOnly; }
bool IsAnsiOnlyPlatform() { return g_ansi_only; }

bool SetAnsiCodePage(UINT codePage) {
  if (codePage != 932 && codePage != 1252) return false;
  g_acp = codePage;
  return true;
}
UINT AnsiCodePage() { return g_acp; }

}  // namespace winplat
