// SearchPath, MulDiv and the version-resource calls.
#include <sys/stat.h>

#include <cstdlib>
#include <vector>

#include "internal/modules.h"
#include "kernel/kernel_internal.h"

namespace winplat::kernel {
namespace {

std::vector<std::u16string> Split(const std::u16string& s, char16_t sep) {
  std::vector<std::u16string> out;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == sep) {
      if (i > start) out.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

bool IsFile(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool SearchCore(const std::u16string* path, const std::u16string& file, const std::u16string& ext, std::u16string* out) {
  if (file.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::u16string name = file;
  const size_t sep = name.find_last_of(u"\\/");
  const std::u16string leaf = sep == std::u16string::npos ? name : name.substr(sep + 1);
  if (!ext.empty() && leaf.find(u'.') == std::u16string::npos) name += ext;
  std::vector<std::u16string> folders;
  if (sep != std::u16string::npos || (name.size() >= 2 && name[1] == u':')) {
    folders.push_back(u"");  // a name with a folder is looked for as given
  } else if (path) {
    folders = Split(*path, u';');
  } else {
    folders.push_back(Utf8ToWide(ProgramFolder()));
    folders.push_back(u".");
    if (const char* env = getenv("PATH")) {
      for (auto& f : Split(Utf8ToWide(env), u':')) folders.push_back(f);
    }
  }
  for (const auto& folder : folders) {
    const std::string p = ResolvePath(folder.empty() ? name : folder + u"/" + name);
    if (IsFile(p)) {
      *out = Utf8ToWide(p);
      return true;
    }
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return false;
}

template <class Ch>
DWORD Deliver(const std::basic_string<Ch>& s, Ch* buffer, DWORD size, Ch** filePart) {
  if (filePart) *filePart = nullptr;
  const DWORD r = CopyOutOrNeed(s, buffer, size);
  if (r < size && filePart) {
    const size_t slash = s.rfind(Ch('/'));
    if (slash != std::basic_string<Ch>::npos) *filePart = buffer + slash + 1;
  }
  return r;
}

DWORD VersionSizeCore(const std::u16string& file, LPDWORD handle) {
  if (handle) *handle = 0;
  const std::string p = ResolvePath(file);
  struct stat st;
  if (file.empty() || stat(p.c_str(), &st) != 0) {
    SetLastErrorFromErrno(ENOENT, p);
    return 0;
  }
  SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return 0;
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

DWORD WINAPI SearchPathA(LPCSTR path, LPCSTR file, LPCSTR ext, DWORD size, LPSTR buffer, LPSTR* filePart) {
  const std::u16string p = FromA(path);
  std::u16string found;
  if (!SearchCore(path ? &p : nullptr, FromA(file), FromA(ext), &found)) return 0;
  return Deliver(WideToAnsi(found), buffer, size, filePart);
}

DWORD WINAPI SearchPathW(LPCWSTR path, LPCWSTR file, LPCWSTR ext, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
  if (!WideCallsAvailable()) return 0;
  const std::u16string p = FromW(path);
  std::u16string found;
  if (!SearchCore(path ? &p : nullptr, FromW(file), FromW(ext), &found)) return 0;
  return Deliver(found, buffer, size, filePart);
}

int WINAPI MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  int64_t p = static_cast<int64_t>(number) * numerator;
  const bool negative = (p < 0) != (denominator < 0);
  const uint64_t a = p < 0 ? static_cast<uint64_t>(-p) : static_cast<uint64_t>(p);
  const uint64_t d = denominator < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(denominator))
                                     : static_cast<uint64_t>(denominator);
  const uint64_t q = (a + d / 2) / d;
  if (q > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return -1;
  return negative ? static_cast<int>(-static_cast<int64_t>(q)) : static_cast<int>(q);
}

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR file, LPDWORD handle) { return VersionSizeCore(FromA(file), handle); }
DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR file, LPDWORD handle) {
  if (!WideCallsAvailable()) return 0;
  return VersionSizeCore(FromW(file), handle);
}
BOOL WINAPI GetFileVersionInfoA(LPCSTR, DWORD, DWORD, LPVOID) {
  SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return FALSE;
}
BOOL WINAPI GetFileVersionInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
  SetLastError(WideCallsAvailable() ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}
BOOL WINAPI VerQueryValueA(LPCVOID, LPCSTR, LPVOID* out, UINT* len) {
  if (out) *out = nullptr;
  if (len) *len = 0;
  return FALSE;
}
BOOL WINAPI VerQueryValueW(LPCVOID, LPCWSTR, LPVOID* out, UINT* len) {
  if (out) *out = nullptr;
  if (len) *len = 0;
  return FALSE;
}

VSE_EXPORT("kernel32.dll", SearchPathA);
VSE_EXPORT("kernel32.dll", SearchPathW);
VSE_EXPORT("kernel32.dll", MulDiv);
VSE_EXPORT("version.dll", GetFileVersionInfoSizeA);
VSE_EXPORT("version.dll", GetFileVersionInfoSizeW);
VSE_EXPORT("version.dll", GetFileVersionInfoA);
VSE_EXPORT("version.dll", GetFileVersionInfoW);
VSE_EXPORT("version.dll", VerQueryValueA);
VSE_EXPORT("version.dll", VerQueryValueW);
