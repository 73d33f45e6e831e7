// Version, command line, process and thread ids, Beep.
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "internal/modules.h"
#include "kernel/kernel_internal.h"
#include "winplat_screen.h"

namespace winplat::kernel {
namespace {

// An NT 5.1 (build 2600) system; on the ANSI-only test platform a Windows 98 SE-like 4.10.
struct VersionData {
  DWORD major, minor, build, platform;
  const char16_t* csd;
  WORD spMajor;
};

VersionData CurrentVersion() {
  if (IsAnsiOnlyPlatform()) return {4, 10, 0x040A08AE, VER_PLATFORM_WIN32_WINDOWS, u" A", 0};
  return {5, 1, 2600, VER_PLATFORM_WIN32_NT, u"Service Pack 3", 3};
}

template <class Info, class Ex, class Ch>
BOOL FillVersion(Info* info, const std::basic_string<Ch>& csd) {
  if (!info || (info->dwOSVersionInfoSize != sizeof(Info) && info->dwOSVersionInfoSize != sizeof(Ex))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const VersionData v = CurrentVersion();
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = v.build;
  info->dwPlatformId = v.platform;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  CopyTruncated(csd, info->szCSDVersion, 128);
  if (info->dwOSVersionInfoSize == sizeof(Ex)) {
    Ex* ex = reinterpret_cast<Ex*>(info);
    ex->wServicePackMajor = v.spMajor;
    ex->wServicePackMinor = 0;
    ex->wSuiteMask = 0;
    ex->wProductType = VER_NT_WORKSTATION;
    ex->wReserved = 0;
  }
  return TRUE;
}

std::u16string BuildCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string out;
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    std::u16string arg = Utf8ToWide(raw.substr(start, end - start));
    if (!out.empty()) out += u' ';
    if (arg.empty() || arg.find_first_of(u" \t\"") != std::u16string::npos) {
      out += u'"';
      for (char16_t c : arg) {
        if (c == u'"') out += u'\\';
        out += c;
      }
      out += u'"';
    } else {
      out += arg;
    }
    start = end + 1;
  }
  return out;
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  return FillVersion<OSVERSIONINFOA, OSVERSIONINFOEXA>(info, WideToAnsi(CurrentVersion().csd));
}
BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) {
  if (!WideCallsAvailable()) return FALSE;
  return FillVersion<OSVERSIONINFOW, OSVERSIONINFOEXW>(info, std::u16string(CurrentVersion().csd));
}

DWORD WINAPI GetVersion() {
  const VersionData v = CurrentVersion();
  if (v.platform == VER_PLATFORM_WIN32_NT) return (v.build << 16) | (v.minor << 8) | v.major;
  return 0xC0000000u | (v.minor << 8) | v.major;  // the Windows 9x family sets the top bits
}

LPSTR WINAPI GetCommandLineA() {
  static std::string line = WideToAnsi(BuildCommandLine());
  return line.data();
}
LPWSTR WINAPI GetCommandLineW() {
  static std::u16string line = BuildCommandLine();
  static char16_t empty[1] = {0};
  if (!WideCallsAvailable()) return empty;  // never a null pointer to read through
  return line.data();
}

DWORD WINAPI GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
DWORD WINAPI GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

BOOL WINAPI Beep(DWORD freq, DWORD ms) {
  if (freq < 37 || freq > 32767) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  winplat::screen::Audio()->Beep(freq, ms, true);
  return TRUE;
}

VSE_EXPORT("kernel32.dll", GetVersionExA);
VSE_EXPORT("kernel32.dll", GetVersionExW);
VSE_EXPORT("kernel32.dll", GetVersion);
VSE_EXPORT("kernel32.dll", GetCommandLineA);
VSE_EXPORT("kernel32.dll", GetCommandLineW);
VSE_EXPORT("kernel32.dll", GetCurrentProcessId);
VSE_EXPORT("kernel32.dll", GetCurrentThreadId);
VSE_EXPORT("kernel32.dll", Beep);
