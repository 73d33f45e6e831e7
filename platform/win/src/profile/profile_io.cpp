// Through the kernel's file calls, so profile names follow the platform's path rules.
#include "profile/profile_io.h"
#include <unistd.h>
#include <atomic>
#include "internal/text.h"
#include "winbase.h"
#include "winerror.h"
#include "winplat_mode.h"

namespace winplat::profile {
namespace {

// INI files are small; anything larger is refused before allocating.
constexpr uint64_t kMaxProfileSize = 64u << 20;

std::atomic<unsigned> g_tempCounter{0};

// In the file's folder (a rename within one folder replaces atomically), with a short name of
// its own, so a long file name cannot make it too long.
std::u16string TempNameBeside(const std::u16string& path) {
  const size_t sep = path.find_last_of(u"\\/");
  std::u16string name = (sep == std::u16string::npos ? std::u16string() : path.substr(0, sep + 1)) + u"~ini";
  unsigned n = g_tempCounter.fetch_add(1) ^ (static_cast<unsigned>(getpid()) << 12);
  for (int i = 0; i < 8; ++i, n >>= 4) name += u"0123456789abcdef"[n & 15];
  return name + u".tmp";
}

// The W file calls are stubs on the ANSI-only platform; there the A profile calls (the only
// ones it has) reach the files through the A file calls, with names that came from ANSI.
struct FileName {
  explicit FileName(const std::u16string& p) : wide(p), ansiOnly(IsAnsiOnlyPlatform()) {
    if (ansiOnly) ansi = WideToAnsi(p);
  }
  std::u16string wide;
  std::string ansi;
  bool ansiOnly;
};

HANDLE Open(const FileName& n, DWORD access, DWORD share, DWORD disposition) {
  return n.ansiOnly ? CreateFileA(n.ansi.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)
                    : CreateFileW(n.wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD Attributes(const FileName& n) {
  return n.ansiOnly ? GetFileAttributesA(n.ansi.c_str()) : GetFileAttributesW(n.wide.c_str());
}

BOOL Move(const FileName& from, const FileName& to) {
  return from.ansiOnly ? MoveFileExA(from.ansi.c_str(), to.ansi.c_str(), MOVEFILE_REPLACE_EXISTING)
                       : MoveFileExW(from.wide.c_str(), to.wide.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void Delete(const FileName& n) {
  if (n.ansiOnly) DeleteFileA(n.ansi.c_str());
  else DeleteFileW(n.wide.c_str());
}

}  // namespace

bool ReadWholeFile(const std::u16string& path, std::string& bytes, DWORD& error) {
  HANDLE h = Open(FileName(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(h, &size) != 0;
  if (ok && (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > kMaxProfileSize)) {
    ok = false;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
  if (ok) {
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (ok && done < bytes.size()) {
      DWORD got = 0;
      ok = ReadFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr) != 0;
      if (ok && got == 0) break;
      done += got;
    }
    bytes.resize(done);
  }
  if (!ok) error = GetLastError();
  CloseHandle(h);
  return ok;
}

bool ReplaceWholeFile(const std::u16string& path, const std::string& bytes, DWORD& error) {
  const FileName target(path);
  const DWORD attrs = Attributes(target);
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    error = ERROR_ACCESS_DENIED;
    return false;
  }
  const FileName temp(TempNameBeside(path));
  HANDLE h = Open(temp, GENERIC_WRITE, 0, CREATE_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD put = 0;
    ok = WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put, nullptr) != 0 && put > 0;
    done += put;
  }
  if (ok) ok = FlushFileBuffers(h) != 0;
  if (!ok) error = GetLastError();
  CloseHandle(h);
  if (ok && !Move(temp, target)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) Delete(temp);
  return ok;
}

}  // namespace winplat::profile
