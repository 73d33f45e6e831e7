// Named streams ("file:name:$DATA") over the extended attributes of the user name space: the
// stream "name" of a file is its attribute "user.name". Opened streams, backup reads of a file's
// streams in sequence, and the volume flag that says a file system keeps them.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "internal/handles.h"
#include "internal/modules.h"
#include "kernel/file_object.h"
#include "kernel/kernel_internal.h"

namespace winplat::kernel {
namespace {

constexpr char kUserPrefix[] = "user.";
constexpr size_t kUserPrefixLen = sizeof(kUserPrefix) - 1;

bool EndsWithDataType(const std::u16string& s) {
  static const std::u16string type = u":$DATA";
  return s.size() >= type.size() && NamesEqualNoCase(std::u16string_view(s).substr(s.size() - type.size()), type);
}

DWORD StreamErrorFromErrno(int e) {
  if (e == ENOTSUP) return ERROR_NOT_SUPPORTED;
  if (e == ENOSPC || e == E2BIG || e == EDQUOT) return ERROR_DISK_FULL;
  if (e == ENODATA) return ERROR_FILE_NOT_FOUND;
  return ErrorFromErrno(e);
}

// The value of an attribute; false with errno when it cannot be read.
bool ReadAttr(const std::string& path, const std::string& attr, std::string* value) {
  for (;;) {
    ssize_t n = getxattr(path.c_str(), attr.c_str(), nullptr, 0);
    if (n < 0) return false;
    value->resize(static_cast<size_t>(n));
    ssize_t m = getxattr(path.c_str(), attr.c_str(), value->data(), value->size());
    if (m >= 0) {
      value->resize(static_cast<size_t>(m));
      return true;
    }
    if (errno != ERANGE) return false;  // grew between the two calls: again
  }
}

}  // namespace

bool SplitStreamName(const std::u16string& name, std::u16string* owner, std::u16string* stream, bool* valid) {
  const size_t sep = name.find_last_of(u"\\/");
  const size_t leafStart = sep == std::u16string::npos ? 0 : sep + 1;
  size_t colon = name.find(u':', leafStart);
  // "C:name" is a drive, not a stream.
  if (colon == leafStart + 1 && leafStart == 0) colon = name.find(u':', colon + 1);
  if (colon == std::u16string::npos || colon == leafStart) return false;
  *owner = name.substr(0, colon);
  std::u16string spec = name.substr(colon + 1);
  *valid = true;
  if (spec.find(u':') != std::u16string::npos) {
    if (!EndsWithDataType(spec)) {
      *valid = false;
      return true;
    }
    spec.resize(spec.size() - 6);
    if (spec.find(u':') != std::u16string::npos) *valid = false;
  }
  *stream = spec;
  return true;
}

bool KeepsNamedStreams(const std::string& linuxPath) {
  char probe;
  if (getxattr(linuxPath.c_str(), "user.vse-probe", &probe, 0) >= 0) return true;
  return errno == ENODATA || errno == ERANGE;
}

bool FileObject::FlushStream() {
  if (streamOwner.empty() || !streamDirty) return true;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  std::string data(static_cast<size_t>(st.st_size), '\0');
  if (!data.empty() && pread(fd, data.data(), data.size(), 0) != static_cast<ssize_t>(data.size())) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  if (setxattr(streamOwner.c_str(), streamAttr.c_str(), data.data(), data.size(), 0) != 0) {
    SetLastError(StreamErrorFromErrno(errno));
    return false;
  }
  streamDirty = false;
  return true;
}

HANDLE CreateStreamCore(const std::u16string& ownerW, const std::u16string& stream, DWORD access, DWORD share,
                        DWORD disposition) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const bool wantWrite = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
  const std::string owner = ResolvePath(ownerW);
  if (DWORD fault = FileFault("CreateFile", owner)) {
    SetLastError(fault);
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  if (stat(owner.c_str(), &st) != 0) {
    SetLastErrorFromErrno(errno, owner);
    return INVALID_HANDLE_VALUE;
  }
  if (!S_ISREG(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (wantWrite && !(st.st_mode & S_IWUSR)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  const std::string attr = kUserPrefix + WideToUtf8(stream);
  if (attr.size() > XATTR_NAME_MAX) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  std::string value;
  bool exists = ReadAttr(owner, attr, &value);
  if (!exists && errno != ENODATA) {
    SetLastError(StreamErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  if (exists && disposition == CREATE_NEW) {
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
  }
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (!exists || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) value.clear();
  if (!exists) {
    // Made at once, so a second CREATE_NEW sees it.
    if (setxattr(owner.c_str(), attr.c_str(), "", 0, XATTR_CREATE) != 0) {
      SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : StreamErrorFromErrno(errno));
      return INVALID_HANDLE_VALUE;
    }
  }
  int fd = memfd_create("stream", MFD_CLOEXEC);
  if (fd < 0 || (!value.empty() && pwrite(fd, value.data(), value.size(), 0) != static_cast<ssize_t>(value.size()))) {
    const int e = errno;
    if (fd >= 0) close(fd);
    SetLastErrorFromErrno(e);
    return INVALID_HANDLE_VALUE;
  }
  auto obj = std::make_shared<FileObject>();
  obj->fd = fd;
  obj->access = access;
  obj->share = share;
  obj->path = owner + ":" + WideToUtf8(stream);
  obj->streamOwner = owner;
  obj->streamAttr = attr;
  // A truncated existing stream is written back even when nothing is written after.
  obj->streamDirty = exists && value.empty() && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
  HANDLE h = HandleTable::Instance().Add(HandleKind::File, obj);
  SetLastError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                      : ERROR_SUCCESS);
  return h;
}

namespace {

// One stream of a backup read: its header and name, then its data (from the file, or a copy of
// the attribute's value).
struct BackupSection {
  std::vector<uint8_t> head;
  bool mainData = false;
  std::string value;
  uint64_t size = 0;
};

struct BackupContext {
  std::vector<BackupSection> sections;
  size_t index = 0;
  uint64_t offset = 0;  // within head + data of the current section
};

BackupSection MakeSection(DWORD id, const std::u16string& name, uint64_t size) {
  BackupSection s;
  s.size = size;
  s.head.resize(20 + name.size() * 2);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&s.head[at], &v, 4); };
  put32(0, id);
  put32(4, STREAM_NORMAL_ATTRIBUTE);
  std::memcpy(&s.head[8], &size, 8);
  put32(16, static_cast<uint32_t>(name.size() * 2));
  for (size_t i = 0; i < name.size(); ++i) {
    s.head[20 + 2 * i] = static_cast<uint8_t>(name[i]);
    s.head[21 + 2 * i] = static_cast<uint8_t>(name[i] >> 8);
  }
  return s;
}

bool BuildContext(FileObject& f, BackupContext* ctx) {
  struct stat st;
  if (fstat(f.fd, &st) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  BackupSection main = MakeSection(BACKUP_DATA, u"", static_cast<uint64_t>(st.st_size));
  main.mainData = true;
  ctx->sections.push_back(std::move(main));
  if (!S_ISREG(st.st_mode) || !f.streamOwner.empty()) return true;
  ssize_t n = flistxattr(f.fd, nullptr, 0);
  if (n <= 0) return true;  // none, or the file system keeps none
  std::string names(static_cast<size_t>(n), '\0');
  n = flistxattr(f.fd, names.data(), names.size());
  if (n < 0) return true;
  names.resize(static_cast<size_t>(n));
  for (size_t at = 0; at < names.size();) {
    const std::string attr = names.c_str() + at;
    at += attr.size() + 1;
    if (attr.compare(0, kUserPrefixLen, kUserPrefix) != 0 || attr.size() == kUserPrefixLen) continue;
    std::string value;
    if (!ReadAttr(f.path, attr, &value)) continue;
    const std::u16string name = u":" + Utf8ToWide(attr.substr(kUserPrefixLen)) + u":$DATA";
    BackupSection s = MakeSection(BACKUP_ALTERNATE_DATA, name, value.size());
    s.value = std::move(value);
    ctx->sections.push_back(std::move(s));
  }
  return true;
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

BOOL WINAPI BackupRead(HANDLE hFile, LPBYTE lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                       BOOL bAbort, BOOL, LPVOID* lpContext) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  if (!lpContext) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* ctx = static_cast<BackupContext*>(*lpContext);
  if (bAbort) {
    delete ctx;
    *lpContext = nullptr;
    return TRUE;
  }
  auto f = LookupFile(hFile);
  if (!f) return FALSE;
  if (!f->CanRead() || (!lpBuffer && nNumberOfBytesToRead)) {
    SetLastError(f->CanRead() ? ERROR_INVALID_PARAMETER : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!ctx) {
    ctx = new BackupContext;
    if (!BuildContext(*f, ctx)) {
      delete ctx;
      return FALSE;
    }
    *lpContext = ctx;
  }
  DWORD done = 0;
  if (ctx->index < ctx->sections.size()) {
    BackupSection& s = ctx->sections[ctx->index];
    const uint64_t total = s.head.size() + s.size;
    while (done < nNumberOfBytesToRead && ctx->offset < total) {
      uint64_t want = std::min<uint64_t>(nNumberOfBytesToRead - done, total - ctx->offset);
      if (ctx->offset < s.head.size()) {
        const uint64_t n = std::min<uint64_t>(want, s.head.size() - ctx->offset);
        std::memcpy(lpBuffer + done, s.head.data() + ctx->offset, n);
        done += static_cast<DWORD>(n);
        ctx->offset += n;
        continue;
      }
      const uint64_t at = ctx->offset - s.head.size();
      if (s.mainData) {
        ssize_t n = pread(f->fd, lpBuffer + done, static_cast<size_t>(want), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          SetLastErrorFromErrno(errno);
          return FALSE;
        }
        if (n == 0) {  // the file shrank: the stream ends here
          ctx->offset = total;
          break;
        }
        want = static_cast<uint64_t>(n);
      } else {
        std::memcpy(lpBuffer + done, s.value.data() + at, static_cast<size_t>(want));
      }
      done += static_cast<DWORD>(want);
      ctx->offset += want;
    }
    if (ctx->offset >= total) {
      ++ctx->index;
      ctx->offset = 0;
    }
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return TRUE;
}

BOOL WINAPI BackupSeek(HANDLE hFile, DWORD dwLowBytesToSeek, DWORD dwHighBytesToSeek, LPDWORD lpdwLowByteSeeked,
                       LPDWORD lpdwHighByteSeeked, LPVOID* lpContext) {
  if (lpdwLowByteSeeked) *lpdwLowByteSeeked = 0;
  if (lpdwHighByteSeeked) *lpdwHighByteSeeked = 0;
  if (!LookupFile(hFile)) return FALSE;
  if (dwLowBytesToSeek == 0 && dwHighBytesToSeek == 0) return TRUE;
  auto* ctx = lpContext ? static_cast<BackupContext*>(*lpContext) : nullptr;
  if (!ctx || ctx->index >= ctx->sections.size()) {
    SetLastError(ERROR_SEEK);
    return FALSE;
  }
  BackupSection& s = ctx->sections[ctx->index];
  if (ctx->offset < s.head.size()) {  // only data can be skipped
    SetLastError(ERROR_SEEK);
    return FALSE;
  }
  const uint64_t want = (static_cast<uint64_t>(dwHighBytesToSeek) << 32) | dwLowBytesToSeek;
  const uint64_t left = s.head.size() + s.size - ctx->offset;
  const uint64_t moved = std::min(want, left);
  ctx->offset += moved;
  if (moved == left) {
    ++ctx->index;
    ctx->offset = 0;
  }
  if (lpdwLowByteSeeked) *lpdwLowByteSeeked = static_cast<DWORD>(moved);
  if (lpdwHighByteSeeked) *lpdwHighByteSeeked = static_cast<DWORD>(moved >> 32);
  if (moved < want) {
    SetLastError(ERROR_SEEK);
    return FALSE;
  }
  return TRUE;
}

VSE_EXPORT("kernel32.dll", BackupRead);
VSE_EXPORT("kernel32.dll", BackupSeek);
