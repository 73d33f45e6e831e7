#include "mfc/rtlib.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mfc {

// ---------------------------------------------------------------- streams

std::unique_ptr<RtStream> RtStream::open(const char* name, const char* mode, int shflag) {
  if (!name || !*name || !mode) return nullptr;
  bool r = false, w = false, a = false, plus = false, del = false, seq = false;
  switch (mode[0]) {
    case 'r': r = true; break;
    case 'w': w = true; break;
    case 'a': a = true; break;
    default: return nullptr;
  }
  for (const char* p = mode + 1; *p; ++p) {
    switch (*p) {
      case '+': plus = true; break;
      case 'b': case 't': case 'R': case 'T': case 'N': case 'c': case 'n': break;
      case 'S': seq = true; break;
      case 'D': del = true; break;
      default: return nullptr;
    }
  }
  UINT flags = CFile::typeBinary | (seq ? static_cast<UINT>(CFile::osSequentialScan) : 0u);
  if (r) flags |= plus ? CFile::modeReadWrite : CFile::modeRead;
  if (w) flags |= CFile::modeCreate | (plus ? CFile::modeReadWrite : CFile::modeWrite);
  if (a) flags |= CFile::modeCreate | CFile::modeNoTruncate | (plus ? CFile::modeReadWrite : CFile::modeWrite);
  switch (shflag) {
    case SH_DENYRW: flags |= CFile::shareExclusive; break;
    case SH_DENYWR: flags |= CFile::shareDenyWrite; break;
    case SH_DENYRD: flags |= CFile::shareDenyRead; break;
    default: flags |= CFile::shareDenyNone; break;
  }
  std::unique_ptr<RtStream> s(new (std::nothrow) RtStream());
  if (!s || !s->file_.Open(name, flags)) return nullptr;
  s->name_ = name;
  s->can_read_ = r || plus;
  s->can_write_ = w || a || plus;
  s->append_ = a;
  s->delete_on_close_ = del;
  if (a) s->fpos_ = std::max<int64_t>(0, s->file_.Seek(0, CFile::end));
  return s;
}

RtStream::~RtStream() {
  if (!closed_) close();
}

int RtStream::setvbuf(size_t size) {
  if (!flush_write()) return -1;
  if (rend_ > rpos_) {
    // Keep the logical position: drop what was read ahead.
    fpos_ += static_cast<int64_t>(rpos_);
    if (file_.Seek(fpos_, CFile::begin) < 0) return -1;
  } else {
    fpos_ += static_cast<int64_t>(rpos_);
  }
  rpos_ = rend_ = 0;
  bufsize_ = size;
  buf_.clear();
  buf_.shrink_to_fit();
  return 0;
}

bool RtStream::flush_write() {
  if (wlen_ == 0) return true;
  if (!file_.Write(buf_.data(), wlen_)) {
    err_ = true;
    wlen_ = 0;
    return false;
  }
  fpos_ += static_cast<int64_t>(wlen_);
  wlen_ = 0;
  return true;
}

bool RtStream::fill() {
  fpos_ += static_cast<int64_t>(rend_);
  rpos_ = rend_ = 0;
  if (buf_.size() < bufsize_) buf_.resize(bufsize_);
  int64_t n = file_.Read(buf_.data(), buf_.size());
  if (n < 0) {
    err_ = true;
    return false;
  }
  if (n == 0) {
    eof_ = true;
    return false;
  }
  rend_ = static_cast<size_t>(n);
  return true;
}

size_t RtStream::read(void* buf, size_t size, size_t count) {
  if (!can_read_ || size == 0 || count == 0) return 0;
  if (!flush_write()) return 0;
  size_t want = size * count;
  if (count && want / count != size) return 0;
  auto* out = static_cast<uint8_t*>(buf);
  size_t got = 0;
  while (got < want) {
    if (rpos_ == rend_) {
      if (bufsize_ == 0 || want - got >= bufsize_) {
        // Large reads go straight to the file.
        fpos_ += static_cast<int64_t>(rend_);
        rpos_ = rend_ = 0;
        int64_t n = file_.Read(out + got, want - got);
        if (n < 0) {
          err_ = true;
          break;
        }
        if (n == 0) {
          eof_ = true;
          break;
        }
        fpos_ += n;
        got += static_cast<size_t>(n);
        continue;
      }
      if (!fill()) break;
    }
    size_t n = std::min(want - got, rend_ - rpos_);
    std::memcpy(out + got, buf_.data() + rpos_, n);
    rpos_ += n;
    got += n;
  }
  return got / size;
}

int RtStream::getc() {
  uint8_t c;
  return read(&c, 1, 1) == 1 ? c : -1;
}

bool RtStream::gets(std::string& line) {
  line.clear();
  for (;;) {
    int c = getc();
    if (c < 0) return !line.empty();
    line.push_back(static_cast<char>(c));
    if (c == '\n') return true;
  }
}

size_t RtStream::write(const void* buf, size_t size, size_t count) {
  if (!can_write_ || size == 0 || count == 0 || err_) return 0;
  size_t want = size * count;
  if (want / count != size) return 0;
  if (rend_ != 0 || rpos_ != 0) {
    // Leaving read mode: the file position goes back to the logical position.
    fpos_ += static_cast<int64_t>(rpos_);
    rpos_ = rend_ = 0;
    if (file_.Seek(fpos_, CFile::begin) < 0) {
      err_ = true;
      return 0;
    }
  }
  if (append_ && wlen_ == 0) {
    int64_t e = file_.Seek(0, CFile::end);
    if (e < 0) {
      err_ = true;
      return 0;
    }
    fpos_ = e;
  }
  const auto* in = static_cast<const uint8_t*>(buf);
  if (bufsize_ == 0 || want >= bufsize_) {
    if (!flush_write()) return 0;
    if (!file_.Write(in, want)) {
      err_ = true;
      return 0;
    }
    fpos_ += static_cast<int64_t>(want);
    return count;
  }
  if (buf_.size() < bufsize_) buf_.resize(bufsize_);
  size_t done = 0;
  while (done < want) {
    size_t n = std::min(want - done, bufsize_ - wlen_);
    std::memcpy(buf_.data() + wlen_, in + done, n);
    wlen_ += n;
    done += n;
    if (wlen_ == bufsize_ && !flush_write()) return 0;
  }
  return count;
}

int64_t RtStream::tell() const { return fpos_ + static_cast<int64_t>(wlen_ ? wlen_ : rpos_); }

int RtStream::seek(int64_t off, int whence) {
  if (!flush_write()) return -1;
  int64_t target;
  if (whence == 0) {
    target = off;
  } else if (whence == 1) {
    target = fpos_ + static_cast<int64_t>(rpos_) + off;
  } else {
    int64_t len = file_.GetLength();
    if (len < 0) {
      err_ = true;
      return -1;
    }
    target = len + off;
  }
  if (target < 0) return -1;
  eof_ = false;
  // Inside the read buffer: no system call.
  if (rend_ && target >= fpos_ && target <= fpos_ + static_cast<int64_t>(rend_)) {
    rpos_ = static_cast<size_t>(target - fpos_);
    return 0;
  }
  rpos_ = rend_ = 0;
  if (file_.Seek(target, CFile::begin) < 0) {
    err_ = true;
    return -1;
  }
  fpos_ = target;
  return 0;
}

int RtStream::flush() { return flush_write() ? 0 : -1; }

int64_t RtStream::length() {
  if (!flush_write()) return -1;
  return file_.GetLength();
}

int RtStream::truncate(int64_t n) {
  if (!flush_write() || n < 0) return -1;
  rpos_ = rend_ = 0;
  if (!file_.SetLength(n)) {
    err_ = true;
    return -1;
  }
  fpos_ = n;
  eof_ = false;
  return 0;
}

int RtStream::close() {
  if (closed_) return -1;
  closed_ = true;
  bool ok = flush_write() && !err_;
  ok = file_.Close() && ok;
  if (delete_on_close_) DeleteFileA(name_.c_str());
  return ok ? 0 : -1;
}

// ---------------------------------------------------------------- file status

namespace {

time_t TimeFromFileTime(const FILETIME& ft) {
  uint64_t v = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  const uint64_t epoch = 116444736000000000ull;
  if (v < epoch) return 0;
  return static_cast<time_t>((v - epoch) / 10000000ull);
}

FILETIME FileTimeFromTime(time_t t) {
  uint64_t v = static_cast<uint64_t>(t) * 10000000ull + 116444736000000000ull;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}

}  // namespace

bool rt_stat(const char* name, RtStat* st) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!name || !*name || !GetFileAttributesExA(name, GetFileExInfoStandard, &d)) return false;
  *st = RtStat{};
  st->attrs = d.dwFileAttributes;
  st->is_dir = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // The run-time's mode word: type, read for everyone, write unless read-only, exec for folders.
  uint32_t mode = st->is_dir ? (RT_S_IFDIR | 0x49) : RT_S_IFREG;
  mode |= 0x124;
  if (!(d.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) mode |= 0x92;
  st->mode = mode;
  st->size = st->is_dir ? 0 : static_cast<int64_t>((static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow);
  st->mtime = TimeFromFileTime(d.ftLastWriteTime);
  return true;
}

bool rt_identity(const char* name, RtIdentity* id) {
  HANDLE h = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE || !h) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool ok = GetFileInformationByHandle(h, &info) != FALSE;
  CloseHandle(h);
  if (!ok) return false;
  id->volume = info.dwVolumeSerialNumber;
  id->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  id->links = info.nNumberOfLinks;
  id->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  id->mtime = (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  id->ctime = (static_cast<uint64_t>(info.ftCreationTime.dwHighDateTime) << 32) | info.ftCreationTime.dwLowDateTime;
  id->attrs = info.dwFileAttributes;
  return true;
}

bool rt_utime(const char* name, time_t t) {
  HANDLE h = CreateFileA(name, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE || !h) return false;
  FILETIME ft = FileTimeFromTime(t);
  bool ok = SetFileTime(h, nullptr, &ft, &ft) != FALSE;
  CloseHandle(h);
  return ok;
}

// ---------------------------------------------------------------- multibyte text

bool mb_lead(uint8_t c) { return IsDBCSLeadByte(c) != FALSE; }

const char* mb_inc(const char* p) {
  if (!*p) return p;
  if (mb_lead(static_cast<uint8_t>(*p)) && p[1]) return p + 2;
  return p + 1;
}

bool mb_isspace(const char* p) {
  auto c = static_cast<uint8_t>(*p);
  if (mb_lead(c) && p[1]) {
    // The ideographic space of code page 932.
    return GetACP() == 932 && c == 0x81 && static_cast<uint8_t>(p[1]) == 0x40;
  }
  return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

size_t mb_rfind(const std::string& s, char c) {
  size_t found = std::string::npos;
  for (const char* p = s.c_str(); *p; p = mb_inc(p))
    if (*p == c) found = static_cast<size_t>(p - s.c_str());
  return found;
}

size_t mb_find(const std::string& s, char c, size_t from) {
  for (const char* p = s.c_str(); *p; p = mb_inc(p)) {
    size_t i = static_cast<size_t>(p - s.c_str());
    if (i >= from && *p == c) return i;
  }
  return std::string::npos;
}

void mb_replace(std::string& s, char from, char to) {
  for (char* p = s.data(); *p; p = mb_inc(p))
    if (*p == from) *p = to;
}

std::string mb_trim(const std::string& s) {
  const char* p = s.c_str();
  while (*p && mb_isspace(p)) p = mb_inc(p);
  const char* end = p;
  for (const char* q = p; *q; q = mb_inc(q))
    if (!mb_isspace(q)) end = mb_inc(q);
  return std::string(p, end);
}

int rt_errno_of_last_error() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
      return EMFILE;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    default:
      return EIO;
  }
}

bool rt_max_component_length(const char* root, DWORD* length) {
  DWORD len = 0, flags = 0;
  if (!GetVolumeInformationA(root, nullptr, 0, nullptr, &len, &flags, nullptr, 0)) return false;
  *length = len;
  return true;
}

// ---------------------------------------------------------------- current folder

SavedCurrentDir::SavedCurrentDir() { fd_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); }

SavedCurrentDir::~SavedCurrentDir() {
  restore();
  if (fd_ >= 0) ::close(fd_);
}

bool SavedCurrentDir::restore() { return fd_ >= 0 && fchdir(fd_) == 0; }

}  // namespace mfc
