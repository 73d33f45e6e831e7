// Helpers shared by the kernel call files.
#pragma once
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <string_view>

#include "internal/paths.h"
#include "internal/text.h"
#include "internal/wide_calls.h"
#include "winbase.h"
#include "winplat_mode.h"

namespace winplat::kernel {

// W calls fail on the ANSI-only platform, as on a Windows 9x system.
inline bool WideCallsAvailable() { return !RefuseWideCall(); }

inline std::u16string FromA(LPCSTR s) { return s ? AnsiToWide(s) : std::u16string(); }
inline std::u16string FromW(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

// Copies text with its terminator when it fits: answers the length without the terminator; when
// it does not fit answers the size needed with the terminator and writes nothing (the rule of
// GetCurrentDirectory, GetFullPathName, GetTempPath).
template <class Ch>
DWORD CopyOutOrNeed(const std::basic_string<Ch>& text, Ch* buffer, DWORD size) {
  if (!buffer || size < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.data(), text.size() * sizeof(Ch));
  buffer[text.size()] = 0;
  return static_cast<DWORD>(text.size());
}

// Copies into a fixed field, cut to fit, always terminated.
template <class Ch>
void CopyTruncated(const std::basic_string<Ch>& text, Ch* buffer, size_t size) {
  if (!buffer || size == 0) return;
  const size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n * sizeof(Ch));
  buffer[n] = 0;
}

// FILETIME for a Unix time.
inline FILETIME ToFileTime(const struct timespec& ts) {
  const int64_t ticks = (static_cast<int64_t>(ts.tv_sec) + 11644473600LL) * 10000000LL + ts.tv_nsec / 100;
  const uint64_t u = ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
  return FILETIME{static_cast<DWORD>(u), static_cast<DWORD>(u >> 32)};
}
inline uint64_t Ticks(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
inline FILETIME FromTicks(uint64_t t) { return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}; }
inline struct timespec ToTimespec(const FILETIME& ft) {
  const int64_t t = static_cast<int64_t>(Ticks(ft));
  int64_t sec = t / 10000000LL - 11644473600LL;
  int64_t rem = t % 10000000LL;
  return timespec{static_cast<time_t>(sec), static_cast<long>(rem * 100)};
}

// Attributes synthesised from a stat: directory, read-only (no owner write bit), hidden (a name
// that starts with a dot), archive for every other file; a symbolic link (checked with lstat on
// the path) adds FILE_ATTRIBUTE_REPARSE_POINT, as links and junctions have on the platform, so
// folder walks can leave them alone.
DWORD AttributesOf(const struct stat& st, const std::string& linuxPath);

// Creation (birth where the file system keeps it), access and write times.
void TimesOf(const std::string& linuxPath, int fd, const struct stat& st, FILETIME* creation,
             FILETIME* access, FILETIME* write);

// Open-file sharing within the process. True when the file may be deleted or renamed now
// (every open handle of it shares delete).
bool MayDeleteOpenFile(const struct stat& st);

// The test hooks of winplat_kernel.h: the fault hook's answer for a call on a path (0: go on),
// and one step of the durability trace.
DWORD FileFault(const char* call, const std::string& linuxPath);
void FileTrace(const std::string& step);

}  // namespace winplat::kernel
