#include "profile/profile_io.h"
#include <unistd.h>
#include <atomic>
#include "winerror.h"

#if __has_include("winbase.h")
#include "internal/text.h"
#include "winbase.h"
#include "winplat_mode.h"
#define VSE_PROFILE_KERNEL_FILES 1
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include "internal/text.h"
#endif

namespace winplat::profile {
namespace {

// INI files are small; anything larger is refused before allocating.
constexpr uint64_t kMaxProfileSize = 64u << 20;

std::atomic<unsigned> g_tempCounter{0};

std::u16string TempNameBeside(const std::u16string& path) {
  std::u16string name = path + u".~";
  unsigned n = g_tempCounter.fetch_add(1) ^ (static_cast<unsigned>(getpid()) << 12);
  for (int i = 0; i < 8; ++i, n >>= 4) name += u"0123456789abcdef"[n & 15];
  return name + u".tmp";
}

}  // namespace

#ifdef VSE_PROFILE_KERNEL_FILES

namespace {

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

#else  // POSIX, until the kernel's file calls are there

namespace {

std::string HostPath(const std::u16string& path) {
  std::u16string p = path;
  for (char16_t& c : p)
    if (c == u'\\') c = u'/';
  return WideToUtf8(p);
}

DWORD ErrorOf(int e) {
  switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES: case EPERM: case EROFS: case EISDIR: return ERROR_ACCESS_DENIED;
    case ENOSPC: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    default: return ERROR_GEN_FAILURE;
  }
}

}  // namespace

bool ReadWholeFile(const std::u16string& path, std::string& bytes, DWORD& error) {
  const int fd = open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = ErrorOf(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? ERROR_ACCESS_DENIED : ErrorOf(errno);
    close(fd);
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxProfileSize) {
    error = ERROR_NOT_ENOUGH_MEMORY;
    close(fd);
    return false;
  }
  bytes.assign(static_cast<size_t>(st.st_size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  close(fd);
  return true;
}

bool ReplaceWholeFile(const std::u16string& path, const std::string& bytes, DWORD& error) {
  const std::string target = HostPath(path);
  struct stat st {};
  if (stat(target.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR))) {
    error = ERROR_ACCESS_DENIED;
    return false;
  }
  const std::string temp = HostPath(TempNameBeside(path));
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = ErrorOf(errno);
    return false;
  }
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) ok = false;
    else done += static_cast<size_t>(put);
  }
  if (ok && fsync(fd) != 0) ok = false;
  if (!ok) error = ErrorOf(errno);
  close(fd);
  if (ok && rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    error = ErrorOf(errno);
  }
  if (!ok) unlink(temp.c_str());
  return ok;
}

#endif

}  // namespace winplat::profile
