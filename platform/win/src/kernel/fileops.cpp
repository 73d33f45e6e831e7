// Calls on files by name: delete, move, copy, attributes.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <vector>

#include "internal/modules.h"
#include "kernel/kernel_internal.h"

namespace winplat::kernel {
namespace {

bool IsReadOnly(const struct stat& st) { return !S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR); }

// rename that refuses to replace; falls back to a check where the file system cannot do it.
int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  long r = syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1 /* RENAME_NOREPLACE */);
  if (r == 0) return 0;
  if (errno != ENOSYS && errno != EINVAL) return -1;
#endif
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return rename(from.c_str(), to.c_str());
}

std::string TempNameBeside(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return ParentOf(target) + "/.vse-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".part";
}

LARGE_INTEGER Li(int64_t v) {
  LARGE_INTEGER l;
  l.QuadPart = v;
  return l;
}

struct Progress {
  LPPROGRESS_ROUTINE routine = nullptr;
  LPVOID data = nullptr;
  bool quiet = false;
  // False when the caller asked to stop.
  bool Report(int64_t total, int64_t done, DWORD reason) {
    if (!routine || quiet) return true;
    DWORD r = routine(Li(total), Li(done), Li(total), Li(done), 1, reason, nullptr, nullptr, data);
    if (r == PROGRESS_QUIET) quiet = true;
    return r != PROGRESS_CANCEL && r != PROGRESS_STOP;
  }
};

// Copies a file through a temporary file beside the target, renamed over it at the end, so a
// failed copy never leaves a damaged target behind.
bool CopyCore(const std::string& from, const std::string& to, bool failIfExists, Progress& progress) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    SetLastErrorFromErrno(errno, from);
    return false;
  }
  struct stat st;
  if (fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(in);
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  struct stat dst;
  if (stat(to.c_str(), &dst) == 0) {
    if (failIfExists) {
      close(in);
      SetLastError(ERROR_FILE_EXISTS);
      return false;
    }
    if (S_ISDIR(dst.st_mode) || IsReadOnly(dst)) {
      close(in);
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    if (!MayDeleteOpenFile(dst)) {
      close(in);
      SetLastError(ERROR_SHARING_VIOLATION);
      return false;
    }
  }
  const std::string temp = TempNameBeside(to);
  int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    const int e = errno;
    close(in);
    SetLastErrorFromErrno(e, to);
    return false;
  }
  auto fail = [&](DWORD code) {
    close(in);
    close(out);
    unlink(temp.c_str());
    SetLastError(code);
    return false;
  };
  const int64_t total = st.st_size;
  int64_t done = 0;
  if (!progress.Report(total, 0, CALLBACK_STREAM_SWITCH)) return fail(ERROR_REQUEST_ABORTED);
  std::vector<char> buf(1 << 16);
  for (;;) {
    ssize_t n = read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(ErrorFromErrno(errno));
    if (n == 0) break;
    for (ssize_t off = 0; off < n;) {
      ssize_t w = write(out, buf.data() + off, static_cast<size_t>(n - off));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return fail(ErrorFromErrno(w < 0 ? errno : ENOSPC));
      off += w;
    }
    done += n;
    if (!progress.Report(total, done, CALLBACK_CHUNK_FINISHED)) return fail(ERROR_REQUEST_ABORTED);
  }
  if (total == 0 && !progress.Report(0, 0, CALLBACK_CHUNK_FINISHED)) return fail(ERROR_REQUEST_ABORTED);
  timespec times[2] = {st.st_atim, st.st_mtim};
  futimens(out, times);
  fchmod(out, st.st_mode & 07777);
  if (fsync(out) != 0 && errno != EINVAL) return fail(ErrorFromErrno(errno));
  close(in);
  if (close(out) != 0) {
    unlink(temp.c_str());
    SetLastErrorFromErrno(errno);
    return false;
  }
  const int r = failIfExists ? RenameNoReplace(temp, to) : rename(temp.c_str(), to.c_str());
  if (r != 0) {
    const int e = errno;
    unlink(temp.c_str());
    SetLastError(e == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(e, to));
    return false;
  }
  return true;
}

std::u16string LeafW(const std::u16string& name) {
  const std::u16string full = FullPathLexical(name);
  const size_t slash = full.rfind(u'/');
  return slash == std::u16string::npos ? full : full.substr(slash + 1);
}

bool MoveCore(const std::u16string& fromW, const std::u16string& toW, DWORD flags, Progress& progress) {
  if (fromW.empty() || toW.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  const std::string from = ResolvePath(fromW);
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) {
    SetLastErrorFromErrno(errno, from);
    return false;
  }
  if (!MayDeleteOpenFile(st)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return false;
  }
  if (!CheckNameCharacters(toW)) return false;
  std::string to = ResolvePath(toW, PathIntent::Create);
  if (to == from) {
    // The target names the source in another case: a rename of the case only.
    to = ParentOf(from) + "/" + WideToUtf8(LeafW(toW));
    if (to == from) return true;
    if (rename(from.c_str(), to.c_str()) != 0) {
      SetLastErrorFromErrno(errno, to);
      return false;
    }
    return true;
  }
  struct stat dst;
  if (lstat(to.c_str(), &dst) == 0) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return false;
    }
    if (S_ISDIR(dst.st_mode) || S_ISDIR(st.st_mode) || IsReadOnly(dst)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    if (!MayDeleteOpenFile(dst)) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return false;
    }
  }
  const int r = (flags & MOVEFILE_REPLACE_EXISTING) ? rename(from.c_str(), to.c_str()) : RenameNoReplace(from, to);
  if (r == 0) {
    FileTrace("rename " + from + " " + to);
    if (flags & MOVEFILE_WRITE_THROUGH) {
      // The rename itself reaches the disk with the folder's entry.
      const std::string folder = ParentOf(to);
      int d = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (d >= 0) {
        fsync(d);
        close(d);
        FileTrace("sync-folder " + folder);
      }
    }
    if (!S_ISDIR(st.st_mode)) progress.Report(st.st_size, st.st_size, CALLBACK_CHUNK_FINISHED);
    return true;
  }
  const int e = errno;
  if (e == EEXIST) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return false;
  }
  if (e != EXDEV) {
    SetLastErrorFromErrno(e, ENOENT == e ? to : from);
    return false;
  }
  if (!(flags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_NOT_SAME_DEVICE);
    return false;
  }
  if (!CopyCore(from, to, !(flags & MOVEFILE_REPLACE_EXISTING), progress)) return false;
  unlink(from.c_str());
  return true;
}

bool DeleteCore(const std::u16string& name) {
  const std::string path = ResolvePath(name);
  struct stat st;
  if (name.empty() || lstat(path.c_str(), &st) != 0) {
    SetLastErrorFromErrno(name.empty() ? ENOENT : errno, path);
    return false;
  }
  if (S_ISDIR(st.st_mode) || IsReadOnly(st)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!MayDeleteOpenFile(st)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return false;
  }
  if (unlink(path.c_str()) != 0) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  return true;
}

bool StatName(const std::u16string& name, std::string* path, struct stat* st) {
  *path = ResolvePath(name);
  if (name.empty() || stat(path->c_str(), st) != 0) {
    SetLastErrorFromErrno(name.empty() ? ENOENT : errno, *path);
    return false;
  }
  return true;
}

DWORD AttributesCore(const std::u16string& name) {
  std::string path;
  struct stat st;
  if (!StatName(name, &path, &st)) return INVALID_FILE_ATTRIBUTES;
  return AttributesOf(st, path);
}

bool AttributesExCore(const std::u16string& name, GET_FILEEX_INFO_LEVELS level, LPVOID out) {
  if (level != GetFileExInfoStandard || !out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string path;
  struct stat st;
  if (!StatName(name, &path, &st)) return false;
  auto* d = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(out);
  d->dwFileAttributes = AttributesOf(st, path);
  TimesOf(path, -1, st, &d->ftCreationTime, &d->ftLastAccessTime, &d->ftLastWriteTime);
  const uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  d->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  d->nFileSizeLow = static_cast<DWORD>(size);
  return true;
}

// Only the read-only bit reaches the file system (the owner's write permission); hidden comes
// from a leading dot, system is never set, archive is set for every file.
bool SetAttributesCore(const std::u16string& name, DWORD attrs) {
  std::string path;
  struct stat st;
  if (!StatName(name, &path, &st)) return false;
  mode_t mode = st.st_mode & 07777;
  if (attrs & FILE_ATTRIBUTE_READONLY)
    mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
  else
    mode |= S_IWUSR;
  if (mode != (st.st_mode & 07777) && chmod(path.c_str(), mode) != 0) {
    SetLastErrorFromErrno(errno, path);
    return false;
  }
  return true;
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

BOOL WINAPI DeleteFileA(LPCSTR name) { return DeleteCore(FromA(name)); }
BOOL WINAPI DeleteFileW(LPCWSTR name) { return WideCallsAvailable() && DeleteCore(FromW(name)); }

BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) {
  Progress p;
  return MoveCore(FromA(from), FromA(to), MOVEFILE_COPY_ALLOWED, p);
}
BOOL WINAPI MoveFileW(LPCWSTR from, LPCWSTR to) {
  Progress p;
  return WideCallsAvailable() && MoveCore(FromW(from), FromW(to), MOVEFILE_COPY_ALLOWED, p);
}
BOOL WINAPI MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
  Progress p;
  return MoveCore(FromA(from), FromA(to), flags, p);
}
BOOL WINAPI MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  Progress p;
  return WideCallsAvailable() && MoveCore(FromW(from), FromW(to), flags, p);
}
BOOL WINAPI MoveFileWithProgressA(LPCSTR from, LPCSTR to, LPPROGRESS_ROUTINE routine, LPVOID data, DWORD flags) {
  Progress p{routine, data};
  return MoveCore(FromA(from), FromA(to), flags, p);
}
BOOL WINAPI MoveFileWithProgressW(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE routine, LPVOID data, DWORD flags) {
  Progress p{routine, data};
  return WideCallsAvailable() && MoveCore(FromW(from), FromW(to), flags, p);
}

namespace {
BOOL CopyNames(const std::u16string& from, const std::u16string& to, BOOL failIfExists) {
  if (from.empty() || to.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  Progress p;
  if (!CheckNameCharacters(to)) return FALSE;
  const std::string src = ResolvePath(from);
  const std::string dst = ResolvePath(to, PathIntent::Create);
  if (src == dst) {
    SetLastError(ERROR_SHARING_VIOLATION);  // a file cannot be copied onto itself
    return FALSE;
  }
  return CopyCore(src, dst, failIfExists != FALSE, p);
}
}  // namespace

BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) { return CopyNames(FromA(from), FromA(to), failIfExists); }
BOOL WINAPI CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
  return WideCallsAvailable() && CopyNames(FromW(from), FromW(to), failIfExists);
}

DWORD WINAPI GetFileAttributesA(LPCSTR name) { return AttributesCore(FromA(name)); }
DWORD WINAPI GetFileAttributesW(LPCWSTR name) {
  return WideCallsAvailable() ? AttributesCore(FromW(name)) : INVALID_FILE_ATTRIBUTES;
}
BOOL WINAPI GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
  return AttributesExCore(FromA(name), level, info);
}
BOOL WINAPI GetFileAttributesExW(LPCWSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
  return WideCallsAvailable() && AttributesExCore(FromW(name), level, info);
}
BOOL WINAPI SetFileAttributesA(LPCSTR name, DWORD attrs) { return SetAttributesCore(FromA(name), attrs); }
BOOL WINAPI SetFileAttributesW(LPCWSTR name, DWORD attrs) {
  return WideCallsAvailable() && SetAttributesCore(FromW(name), attrs);
}

VSE_EXPORT("kernel32.dll", DeleteFileA);
VSE_EXPORT("kernel32.dll", DeleteFileW);
VSE_EXPORT("kernel32.dll", MoveFileA);
VSE_EXPORT("kernel32.dll", MoveFileW);
VSE_EXPORT("kernel32.dll", MoveFileExA);
VSE_EXPORT("kernel32.dll", MoveFileExW);
VSE_EXPORT("kernel32.dll", MoveFileWithProgressA);
VSE_EXPORT("kernel32.dll", MoveFileWithProgressW);
VSE_EXPORT("kernel32.dll", CopyFileA);
VSE_EXPORT("kernel32.dll", CopyFileW);
VSE_EXPORT("kernel32.dll", GetFileAttributesA);
VSE_EXPORT("kernel32.dll", GetFileAttributesW);
VSE_EXPORT("kernel32.dll", GetFileAttributesExA);
VSE_EXPORT("kernel32.dll", GetFileAttributesExW);
VSE_EXPORT("kernel32.dll", SetFileAttributesA);
VSE_EXPORT("kernel32.dll", SetFileAttributesW);
