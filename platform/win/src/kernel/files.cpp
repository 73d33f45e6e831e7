// File handles: create/open, read, write, seek, size, times, close; and sharing between the
// handles of this process.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>

#include "internal/handles.h"
#include "internal/modules.h"
#include "kernel/kernel_internal.h"
#include "kernel/file_object.h"
#include "winplat_kernel.h"

namespace winplat::kernel {

namespace {

std::mutex g_hook_mutex;
FileFaultHook& FaultHook() {
  static auto* h = new FileFaultHook;
  return *h;
}
FileTraceHook& TraceHook() {
  static auto* h = new FileTraceHook;
  return *h;
}

struct ShareEntry {
  DWORD access;
  DWORD share;
};

std::mutex g_share_mutex;
std::multimap<std::pair<dev_t, ino_t>, std::pair<const FileObject*, ShareEntry>>& OpenFiles() {
  static auto* m = new std::multimap<std::pair<dev_t, ino_t>, std::pair<const FileObject*, ShareEntry>>;
  return *m;
}

constexpr DWORD kReadBits = GENERIC_READ | GENERIC_ALL | FILE_READ_DATA;
constexpr DWORD kWriteBits = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;

bool SharingAllows(const struct stat& st, DWORD access, DWORD share) {
  std::lock_guard<std::mutex> lock(g_share_mutex);
  auto range = OpenFiles().equal_range({st.st_dev, st.st_ino});
  for (auto it = range.first; it != range.second; ++it) {
    const ShareEntry& e = it->second.second;
    if ((access & kReadBits) && !(e.share & FILE_SHARE_READ)) return false;
    if ((access & kWriteBits) && !(e.share & FILE_SHARE_WRITE)) return false;
    if ((access & DELETE) && !(e.share & FILE_SHARE_DELETE)) return false;
    if ((e.access & kReadBits) && !(share & FILE_SHARE_READ)) return false;
    if ((e.access & kWriteBits) && !(share & FILE_SHARE_WRITE)) return false;
    if ((e.access & DELETE) && !(share & FILE_SHARE_DELETE)) return false;
  }
  return true;
}

}  // namespace

DWORD FileFault(const char* call, const std::string& linuxPath) {
  FileFaultHook hook;
  {
    std::lock_guard<std::mutex> lock(g_hook_mutex);
    hook = FaultHook();
  }
  return hook ? hook(call, linuxPath) : 0;
}

void FileTrace(const std::string& step) {
  FileTraceHook hook;
  {
    std::lock_guard<std::mutex> lock(g_hook_mutex);
    hook = TraceHook();
  }
  if (hook) hook(step);
}

bool MayDeleteOpenFile(const struct stat& st) {
  std::lock_guard<std::mutex> lock(g_share_mutex);
  auto range = OpenFiles().equal_range({st.st_dev, st.st_ino});
  for (auto it = range.first; it != range.second; ++it)
    if (!(it->second.second.share & FILE_SHARE_DELETE)) return false;
  return true;
}

FileObject::~FileObject() {
  if (registered) {
    std::lock_guard<std::mutex> lock(g_share_mutex);
    auto range = OpenFiles().equal_range({dev, ino});
    for (auto it = range.first; it != range.second; ++it)
      if (it->second.first == this) {
        OpenFiles().erase(it);
        break;
      }
  }
  if (streamDirty) FlushStream();
  if (deleteOnClose && !path.empty()) unlink(path.c_str());
  if (fd >= 0 && ownsFd) close(fd);
}

bool FileObject::CanRead() const { return (access & kReadBits) != 0; }
bool FileObject::CanWrite() const { return (access & kWriteBits) != 0; }

std::shared_ptr<FileObject> LookupFile(HANDLE h) {
  auto f = HandleTable::Instance().Get<FileObject>(h, HandleKind::File);
  if (!f) SetLastError(ERROR_INVALID_HANDLE);
  return f;
}

DWORD AttributesOf(const struct stat& st, const std::string& linuxPath) {
  DWORD a = 0;
  if (S_ISDIR(st.st_mode)) a |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(st.st_mode & S_IWUSR)) a |= FILE_ATTRIBUTE_READONLY;
  const std::string leaf = LeafOf(linuxPath);
  if (leaf.size() > 1 && leaf[0] == '.' && leaf != "..") a |= FILE_ATTRIBUTE_HIDDEN;
  if (S_ISREG(st.st_mode)) a |= FILE_ATTRIBUTE_ARCHIVE;
  // Pipes, sockets and devices are no files: opening them is refused (CreateFile).
  if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) a |= FILE_ATTRIBUTE_DEVICE;
  struct stat link;
  if (!linuxPath.empty() && lstat(linuxPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
    a |= FILE_ATTRIBUTE_REPARSE_POINT;
  return a == 0 ? FILE_ATTRIBUTE_NORMAL : a;
}

void TimesOf(const std::string& linuxPath, int fd, const struct stat& st, FILETIME* creation, FILETIME* access,
             FILETIME* write) {
  if (access) *access = ToFileTime(st.st_atim);
  if (write) *write = ToFileTime(st.st_mtim);
  if (creation) {
    struct statx sx;
    const int r = fd >= 0 ? statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx)
                          : statx(AT_FDCWD, linuxPath.c_str(), 0, STATX_BTIME, &sx);
    if (r == 0 && (sx.stx_mask & STATX_BTIME)) {
      timespec ts{static_cast<time_t>(sx.stx_btime.tv_sec), static_cast<long>(sx.stx_btime.tv_nsec)};
      *creation = ToFileTime(ts);
    } else {
      *creation = ToFileTime(st.st_mtim);  // the file system keeps no birth time
    }
  }
}

HANDLE CreateFileCore(const std::u16string& name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (name.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::u16string owner, stream;
  bool validStream = true;
  if (SplitStreamName(name, &owner, &stream, &validStream)) {
    if (!validStream) {
      SetLastError(ERROR_INVALID_NAME);
      return INVALID_HANDLE_VALUE;
    }
    if (!stream.empty()) return CreateStreamCore(owner, stream, access, share, disposition);
    return CreateFileCore(owner, access, share, disposition, flags);
  }
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const bool wantRead = (access & kReadBits) != 0;
  const bool wantWrite = (access & kWriteBits) != 0;
  if (disposition == TRUNCATE_EXISTING && !wantWrite) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (!CheckNameCharacters(name)) return INVALID_HANDLE_VALUE;
  const std::string path = ResolvePath(name, PathIntent::Create);
  if (DWORD fault = FileFault("CreateFile", path)) {
    SetLastError(fault);
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  const bool truncating = exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);

  if (exists && disposition == CREATE_NEW) {
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
  }
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)) {
    SetLastErrorFromErrno(ENOENT, path);
    return INVALID_HANDLE_VALUE;
  }
  int oflags = O_CLOEXEC;
  if (exists && !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) {
    // Pipes, sockets and devices are no files here: opening a pipe would block the caller.
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (exists && S_ISDIR(st.st_mode)) {
    // Folders open only for their attributes and times, with backup semantics.
    if (!(flags & FILE_FLAG_BACKUP_SEMANTICS) || truncating) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    oflags |= O_RDONLY | O_DIRECTORY;
  } else {
    // The read-only attribute holds for every user, also where Linux would let root write.
    if (exists && !(st.st_mode & S_IWUSR) && (wantWrite || truncating)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    oflags |= wantWrite ? (wantRead ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (!exists) oflags |= O_CREAT | O_EXCL;
  }
  if (exists && !SharingAllows(st, access | (truncating ? GENERIC_WRITE : 0), share)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
  }
  int fd = open(path.c_str(), oflags, 0666);
  if (fd < 0) {
    SetLastErrorFromErrno(errno, path);
    return INVALID_HANDLE_VALUE;
  }
  if (truncating && ftruncate(fd, 0) != 0) {
    const int e = errno;
    close(fd);
    SetLastErrorFromErrno(e, path);
    return INVALID_HANDLE_VALUE;
  }
  if (!exists && (flags & FILE_ATTRIBUTE_READONLY)) {
    struct stat now;
    if (fstat(fd, &now) == 0) fchmod(fd, now.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH));
  }
  auto obj = std::make_shared<FileObject>();
  obj->fd = fd;
  obj->access = access;
  obj->share = share;
  obj->path = path;
  obj->deleteOnClose = (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0;
  struct stat now;
  if (fstat(fd, &now) == 0) {
    obj->dev = now.st_dev;
    obj->ino = now.st_ino;
    std::lock_guard<std::mutex> lock(g_share_mutex);
    OpenFiles().emplace(std::make_pair(now.st_dev, now.st_ino), std::make_pair(obj.get(), ShareEntry{access, share}));
    obj->registered = true;
  }
  HANDLE h = HandleTable::Instance().Add(HandleKind::File, obj);
  SetLastError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                      : ERROR_SUCCESS);
  return h;
}

}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  return CreateFileCore(FromA(lpFileName), dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes);
}

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  if (!WideCallsAvailable()) return INVALID_HANDLE_VALUE;
  return CreateFileCore(FromW(lpFileName), dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes);
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  if (lpOverlapped || (!lpBuffer && nNumberOfBytesToRead)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!f->CanRead()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (DWORD fault = FileFault("ReadFile", f->path)) {
    SetLastError(fault);
    return FALSE;
  }
  DWORD done = 0;
  while (done < nNumberOfBytesToRead) {
    ssize_t n = read(f->fd, static_cast<char*>(lpBuffer) + done, nNumberOfBytesToRead - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
      SetLastErrorFromErrno(errno);
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    done += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  if (lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!f->CanWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if ((f->access & FILE_APPEND_DATA) && !(f->access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)))
    lseek(f->fd, 0, SEEK_END);
  DWORD done = 0;
  while (done < nNumberOfBytesToWrite) {
    ssize_t n = write(f->fd, static_cast<const char*>(lpBuffer) + done, nNumberOfBytesToWrite - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
      SetLastErrorFromErrno(n < 0 ? errno : ENOSPC);
      return FALSE;
    }
    done += static_cast<DWORD>(n);
    if (!f->streamOwner.empty()) f->streamDirty = true;
  }
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  return TRUE;
}

namespace {
bool Seek(const std::shared_ptr<FileObject>& f, int64_t distance, DWORD method, int64_t* result) {
  int whence;
  switch (method) {
    case FILE_BEGIN: whence = SEEK_SET; break;
    case FILE_CURRENT: whence = SEEK_CUR; break;
    case FILE_END: whence = SEEK_END; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return false;
  }
  int64_t base = 0;
  if (whence == SEEK_CUR) {
    base = lseek(f->fd, 0, SEEK_CUR);
  } else if (whence == SEEK_END) {
    struct stat st;
    base = fstat(f->fd, &st) == 0 ? st.st_size : -1;
  }
  if (base < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  if (distance < 0 && base + distance < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return false;
  }
  if (distance > 0 && base > INT64_MAX - distance) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  off_t r = lseek(f->fd, base + distance, SEEK_SET);
  if (r < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  *result = r;
  return true;
}
}  // namespace

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG* lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  auto f = LookupFile(hFile);
  if (!f) return INVALID_SET_FILE_POINTER;
  int64_t distance = lpDistanceToMoveHigh
                         ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                                static_cast<uint32_t>(lDistanceToMove))
                         : static_cast<int64_t>(lDistanceToMove);
  int64_t pos;
  if (!Seek(f, distance, dwMoveMethod, &pos)) return INVALID_SET_FILE_POINTER;
  if (lpDistanceToMoveHigh) {
    *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(pos) >> 32);
  } else if (pos > 0xFFFFFFFFll) {
    // The position does not fit the answer: the call fails as the platform's does.
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(pos);
}

BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, LARGE_INTEGER* lpNewFilePointer,
                             DWORD dwMoveMethod) {
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  int64_t pos;
  if (!Seek(f, liDistanceToMove.QuadPart, dwMoveMethod, &pos)) return FALSE;
  if (lpNewFilePointer) lpNewFilePointer->QuadPart = pos;
  return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto f = LookupFile(hFile);
  if (!f) return INVALID_FILE_SIZE;
  struct stat st;
  if (fstat(f->fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    return INVALID_FILE_SIZE;
  }
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

BOOL WINAPI GetFileSizeEx(HANDLE hFile, LARGE_INTEGER* lpFileSize) {
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  struct stat st;
  if (fstat(f->fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (lpFileSize) lpFileSize->QuadPart = st.st_size;
  return TRUE;
}

BOOL WINAPI SetEndOfFile(HANDLE hFile) {
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  if (!f->CanWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  off_t pos = lseek(f->fd, 0, SEEK_CUR);
  if (pos < 0 || ftruncate(f->fd, pos) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (!f->streamOwner.empty()) f->streamDirty = true;
  return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  if (!f->CanWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!f->FlushStream()) return FALSE;
  if (fsync(f->fd) != 0 && errno != EINVAL) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  FileTrace("flush " + f->path);
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  auto& table = HandleTable::Instance();
  HandleKind kind;
  if (!table.KindOf(hObject, &kind) ||
      (kind != HandleKind::File && kind != HandleKind::Event && kind != HandleKind::Mapping) ||
      !table.Remove(hObject, kind)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetFileType(HANDLE hFile) {
  auto f = LookupFile(hFile);
  if (!f) return FILE_TYPE_UNKNOWN;
  struct stat st;
  if (fstat(f->fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    return FILE_TYPE_UNKNOWN;
  }
  SetLastError(ERROR_SUCCESS);
  if (S_ISCHR(st.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_DISK;
}

BOOL WINAPI GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION info) {
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st;
  if (fstat(f->fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  *info = {};
  info->dwFileAttributes = AttributesOf(st, f->path);
  TimesOf(f->path, f->fd, st, &info->ftCreationTime, &info->ftLastAccessTime, &info->ftLastWriteTime);
  info->dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
  info->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
  info->nFileSizeLow = static_cast<DWORD>(st.st_size);
  info->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
  info->nFileIndexHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_ino) >> 32);
  info->nFileIndexLow = static_cast<DWORD>(st.st_ino);
  return TRUE;
}

BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                        LPFILETIME lpLastWriteTime) {
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  struct stat st;
  if (fstat(f->fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  TimesOf(f->path, f->fd, st, lpCreationTime, lpLastAccessTime, lpLastWriteTime);
  return TRUE;
}

BOOL WINAPI SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                        const FILETIME* lpLastWriteTime) {
  (void)lpCreationTime;  // Linux cannot set a birth time; the other two are set
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  if (!(f->access & (kWriteBits | FILE_WRITE_ATTRIBUTES))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  timespec ts[2];
  ts[0].tv_nsec = UTIME_OMIT;
  ts[1].tv_nsec = UTIME_OMIT;
  if (lpLastAccessTime && Ticks(*lpLastAccessTime) != 0) ts[0] = ToTimespec(*lpLastAccessTime);
  if (lpLastWriteTime && Ticks(*lpLastWriteTime) != 0) ts[1] = ToTimespec(*lpLastWriteTime);
  if (futimens(f->fd, ts) != 0) {
    SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

void winplat::SetFileFaultHook(FileFaultHook hook) {
  std::lock_guard<std::mutex> lock(g_hook_mutex);
  FaultHook() = std::move(hook);
}

void winplat::SetFileTraceHook(FileTraceHook hook) {
  std::lock_guard<std::mutex> lock(g_hook_mutex);
  TraceHook() = std::move(hook);
}

VSE_EXPORT("kernel32.dll", CreateFileA);
VSE_EXPORT("kernel32.dll", CreateFileW);
VSE_EXPORT("kernel32.dll", ReadFile);
VSE_EXPORT("kernel32.dll", WriteFile);
VSE_EXPORT("kernel32.dll", SetFilePointer);
VSE_EXPORT("kernel32.dll", SetFilePointerEx);
VSE_EXPORT("kernel32.dll", GetFileSize);
VSE_EXPORT("kernel32.dll", GetFileSizeEx);
VSE_EXPORT("kernel32.dll", SetEndOfFile);
VSE_EXPORT("kernel32.dll", FlushFileBuffers);
VSE_EXPORT("kernel32.dll", CloseHandle);
VSE_EXPORT("kernel32.dll", GetFileType);
VSE_EXPORT("kernel32.dll", GetFileInformationByHandle);
VSE_EXPORT("kernel32.dll", GetFileTime);
VSE_EXPORT("kernel32.dll", SetFileTime);
