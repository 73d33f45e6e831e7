// Folders, the current folder, full paths, temporary names, volumes.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "internal/modules.h"
#include "kernel/file_object.h"
#include "kernel/kernel_internal.h"

namespace winplat::kernel {
namespace {

bool IsSepW(char16_t c) { return c == u'\\' || c == u'/'; }

bool CreateDirCore(const std::u16string& name) {
  if (name.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (!CheckNameCharacters(name)) return false;
  const std::string path = ResolvePath(name, PathIntent::Create);
  if (mkdir(path.c_str(), 0777) != 0) {
    const int e = errno;
    SetLastError(e == EEXIST ? ERROR_ALREADY_EXISTS : e == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(e, path));
    return false;
  }
  return true;
}

bool RemoveDirCore(const std::u16string& name) {
  const std::string path = ResolvePath(name);
  struct stat st;
  if (name.empty() || lstat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno(name.empty() ? ENOENT : errno, path);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return false;
  }
  if (rmdir(path.c_str()) != 0) {
    const int e = errno;
    SetLastError(e == EEXIST || e == ENOTEMPTY ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(e, path));
    return false;
  }
  return true;
}

std::u16string CurrentDirW() {
  char buf[4096];
  if (!getcwd(buf, sizeof buf)) return u"/";
  return Utf8ToWide(buf);
}

bool SetCurrentDirCore(const std::u16string& name) {
  const std::string path = ResolvePath(name);
  if (name.empty() || chdir(path.c_str()) != 0) {
    const int e = name.empty() ? ENOENT : errno;
    SetLastError(e == ENOTDIR ? ERROR_DIRECTORY : ErrorFromErrno(e, path));
    return false;
  }
  return true;
}

// Lexical full path, keeping a trailing separator of the input.
std::u16string FullPathW(const std::u16string& name) {
  std::u16string full = FullPathLexical(name);
  if (!name.empty() && IsSepW(name.back()) && full != u"/") full += u'/';
  return full;
}

std::u16string TempPathW() {
  for (const char* var : {"TMPDIR", "TMP", "TEMP"}) {
    const char* v = getenv(var);
    if (v && *v) {
      std::u16string p = FullPathLexical(Utf8ToWide(v));
      if (p.back() != u'/') p += u'/';
      return p;
    }
  }
  return u"/tmp/";
}

std::u16string HexW(unsigned v) {
  char buf[16];
  snprintf(buf, sizeof buf, "%X", v);
  std::u16string out;
  for (const char* p = buf; *p; ++p) out += static_cast<char16_t>(*p);
  return out;
}

std::atomic<unsigned> g_temp_counter{0};

// Builds <folder>/<first three characters of prefix><hex number>.tmp; with number 0 a free
// number is chosen and the file is created empty, so the name stays reserved.
UINT TempFileCore(const std::u16string& folder, const std::u16string& prefix, UINT unique, std::u16string* out) {
  const std::string dir = ResolvePath(folder.empty() ? u"." : folder);
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return 0;
  }
  const std::u16string dirW = Utf8ToWide(dir) + (dir == "/" ? u"" : u"/");
  const std::u16string pre = prefix.substr(0, 3);
  if (dirW.size() + pre.size() + 8 >= MAX_PATH) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  unique &= 0xFFFF;
  if (unique != 0) {
    *out = dirW + pre + HexW(unique) + u".tmp";
    return unique;
  }
  unsigned start = (static_cast<unsigned>(GetTickCount()) + g_temp_counter++ * 7919u + static_cast<unsigned>(getpid())) & 0xFFFF;
  if (start == 0) start = 1;
  unsigned n = start;
  do {
    std::u16string name = dirW + pre + HexW(n) + u".tmp";
    int fd = open(WideToUtf8(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      *out = std::move(name);
      return n;
    }
    if (errno != EEXIST) {
      SetLastErrorFromErrno(errno, dir + "/x");
      return 0;
    }
    n = n == 0xFFFF ? 1 : n + 1;
  } while (n != start);
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

std::u16string FsName(const std::string& path) {
  struct statfs sf;
  if (statfs(path.c_str(), &sf) != 0) return u"unknown";
  switch (static_cast<unsigned long>(sf.f_type)) {
    case 0xEF53: return u"ext4";
    case 0x01021994: return u"tmpfs";
    case 0x9123683E: return u"btrfs";
    case 0x58465342: return u"xfs";
    case 0x794C7630: return u"overlay";
    case 0x6969: return u"nfs";
    case 0x4D44: return u"FAT";
    case 0x5346544E: return u"NTFS";
    default: return u"unknown";
  }
}

bool VolumeCore(const std::u16string& root, std::u16string* volName, DWORD* serial, DWORD* maxComp, DWORD* flags,
                std::u16string* fsName) {
  const std::string path = root.empty() ? std::string("/") : ResolvePath(root);
  struct statvfs sv;
  if (statvfs(path.c_str(), &sv) != 0) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  *volName = u"";
  if (serial) *serial = static_cast<DWORD>(sv.f_fsid ^ (static_cast<uint64_t>(sv.f_fsid) >> 32));
  if (maxComp) *maxComp = sv.f_namemax ? static_cast<DWORD>(sv.f_namemax) : 255;
  if (flags) {
    *flags = FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
    if (KeepsNamedStreams(path)) *flags |= FILE_NAMED_STREAMS;
  }
  *fsName = FsName(path);
  return true;
}

template <class Ch>
bool FitsInto(const std::basic_string<Ch>& s, Ch* buf, DWORD size) {
  if (!buf) return true;
  if (s.size() + 1 > size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  CopyTruncated(s, buf, size);
  return true;
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES) { return CreateDirCore(FromA(name)); }
BOOL WINAPI CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES) {
  return WideCallsAvailable() && CreateDirCore(FromW(name));
}
BOOL WINAPI RemoveDirectoryA(LPCSTR name) { return RemoveDirCore(FromA(name)); }
BOOL WINAPI RemoveDirectoryW(LPCWSTR name) { return WideCallsAvailable() && RemoveDirCore(FromW(name)); }

DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  return CopyOutOrNeed(WideToAnsi(CurrentDirW()), buffer, size);
}
DWORD WINAPI GetCurrentDirectoryW(DWORD size, LPWSTR buffer) {
  if (!WideCallsAvailable()) return 0;
  return CopyOutOrNeed(CurrentDirW(), buffer, size);
}
BOOL WINAPI SetCurrentDirectoryA(LPCSTR name) { return SetCurrentDirCore(FromA(name)); }
BOOL WINAPI SetCurrentDirectoryW(LPCWSTR name) { return WideCallsAvailable() && SetCurrentDirCore(FromW(name)); }

DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart) {
  if (filePart) *filePart = nullptr;
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  const std::string full = WideToAnsi(FullPathW(FromA(name)));
  DWORD r = CopyOutOrNeed(full, buffer, size);
  if (r < size && filePart) {
    const size_t slash = full.rfind('/');  // '/' is never part of a double-byte character
    if (slash != std::string::npos && slash + 1 < full.size()) *filePart = buffer + slash + 1;
  }
  return r;
}
DWORD WINAPI GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
  if (filePart) *filePart = nullptr;
  if (!WideCallsAvailable()) return 0;
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  const std::u16string full = FullPathW(name);
  DWORD r = CopyOutOrNeed(full, buffer, size);
  if (r < size && filePart) {
    const size_t slash = full.rfind(u'/');
    if (slash != std::u16string::npos && slash + 1 < full.size()) *filePart = buffer + slash + 1;
  }
  return r;
}

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) { return CopyOutOrNeed(WideToAnsi(TempPathW()), buffer, size); }
DWORD WINAPI GetTempPathW(DWORD size, LPWSTR buffer) {
  if (!WideCallsAvailable()) return 0;
  return CopyOutOrNeed(TempPathW(), buffer, size);
}

UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR out) {
  if (!path || !out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string name;
  UINT r = TempFileCore(FromA(path), FromA(prefix), unique, &name);
  if (r) CopyTruncated(WideToAnsi(name), out, MAX_PATH);
  return r;
}
UINT WINAPI GetTempFileNameW(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR out) {
  if (!WideCallsAvailable()) return 0;
  if (!path || !out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string name;
  UINT r = TempFileCore(FromW(path), FromW(prefix), unique, &name);
  if (r) CopyTruncated(name, out, MAX_PATH);
  return r;
}

BOOL WINAPI GetVolumeInformationA(LPCSTR root, LPSTR volName, DWORD volSize, LPDWORD serial, LPDWORD maxComp,
                                  LPDWORD flags, LPSTR fsName, DWORD fsSize) {
  std::u16string v, f;
  if (!VolumeCore(FromA(root), &v, serial, maxComp, flags, &f)) return FALSE;
  return FitsInto(WideToAnsi(v), volName, volSize) && FitsInto(WideToAnsi(f), fsName, fsSize);
}
BOOL WINAPI GetVolumeInformationW(LPCWSTR root, LPWSTR volName, DWORD volSize, LPDWORD serial, LPDWORD maxComp,
                                  LPDWORD flags, LPWSTR fsName, DWORD fsSize) {
  if (!WideCallsAvailable()) return FALSE;
  std::u16string v, f;
  if (!VolumeCore(FromW(root), &v, serial, maxComp, flags, &f)) return FALSE;
  return FitsInto(v, volName, volSize) && FitsInto(f, fsName, fsSize);
}

VSE_EXPORT("kernel32.dll", CreateDirectoryA);
VSE_EXPORT("kernel32.dll", CreateDirectoryW);
VSE_EXPORT("kernel32.dll", RemoveDirectoryA);
VSE_EXPORT("kernel32.dll", RemoveDirectoryW);
VSE_EXPORT("kernel32.dll", GetCurrentDirectoryA);
VSE_EXPORT("kernel32.dll", GetCurrentDirectoryW);
VSE_EXPORT("kernel32.dll", SetCurrentDirectoryA);
VSE_EXPORT("kernel32.dll", SetCurrentDirectoryW);
VSE_EXPORT("kernel32.dll", GetFullPathNameA);
VSE_EXPORT("kernel32.dll", GetFullPathNameW);
VSE_EXPORT("kernel32.dll", GetTempPathA);
VSE_EXPORT("kernel32.dll", GetTempPathW);
VSE_EXPORT("kernel32.dll", GetTempFileNameA);
VSE_EXPORT("kernel32.dll", GetTempFileNameW);
VSE_EXPORT("kernel32.dll", GetVolumeInformationA);
VSE_EXPORT("kernel32.dll", GetVolumeInformationW);
