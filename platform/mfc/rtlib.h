// The run-time library pieces the ZIP engine uses: buffered streams with the fopen mode letters
// and share-deny flags, file status with the run-time's mode word, the multibyte helpers of the
// ANSI code page, the volume's component length, and the current folder kept by descriptor.
// Names are ANSI (code page 932) and go through the platform's kernel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "mfc/afx.h"

namespace mfc {

// Share flags of _fsopen.
inline constexpr int SH_DENYRW = 0x10;
inline constexpr int SH_DENYWR = 0x20;
inline constexpr int SH_DENYRD = 0x30;
inline constexpr int SH_DENYNO = 0x40;

// A buffered binary stream. Modes: "r", "w", "a", with "+", "b"/"t" and the hint letters
// S (sequential), R (random), T (short-lived), N (not inherited), c/n (commit), D (delete on close).
class RtStream {
 public:
  ~RtStream();
  RtStream(const RtStream&) = delete;
  RtStream& operator=(const RtStream&) = delete;

  // Whole items read / written (short at the end or on an error; see error()).
  size_t read(void* buf, size_t size, size_t count);
  size_t write(const void* buf, size_t size, size_t count);
  bool read_exact(void* buf, size_t n) { return n == 0 || read(buf, n, 1) == 1; }
  bool write_all(const void* buf, size_t n) { return n == 0 || write(buf, n, 1) == 1; }
  int getc();
  // One line including its '\n' (at most n - 1 bytes); false at the end.
  bool gets(std::string& line);
  // 0 or -1; whence 0 set, 1 current, 2 end. Clears the end flag.
  int seek(int64_t off, int whence);
  int64_t tell() const;
  int flush();
  // 0, or -1 when flushing or closing failed. The stream is gone afterwards either way.
  int close();
  bool error() const { return err_; }
  bool eof() const { return eof_; }
  void clearerr() {
    err_ = false;
    eof_ = false;
  }
  // A buffer of this size (0: unbuffered). 0 or -1.
  int setvbuf(size_t size);
  int64_t length();
  // Cuts the file at n bytes and positions the stream there. 0 or -1.
  int truncate(int64_t n);
  const std::string& name() const { return name_; }

  static std::unique_ptr<RtStream> open(const char* name, const char* mode, int shflag);

 private:
  RtStream() = default;
  bool fill();
  bool flush_write();

  CFile file_;
  std::string name_;
  std::vector<uint8_t> buf_;
  size_t bufsize_ = 4096;
  size_t rpos_ = 0, rend_ = 0;   // read buffer window
  size_t wlen_ = 0;              // pending written bytes
  int64_t fpos_ = 0;             // file position of the buffer's start
  bool can_read_ = false, can_write_ = false, append_ = false;
  bool delete_on_close_ = false;
  bool err_ = false, eof_ = false;
  bool closed_ = false;
};

inline std::unique_ptr<RtStream> rt_fsopen(const char* name, const char* mode, int shflag) {
  return RtStream::open(name, mode, shflag);
}
inline std::unique_ptr<RtStream> rt_fopen(const char* name, const char* mode) {
  return RtStream::open(name, mode, SH_DENYNO);
}

// File status as the run-time reports it.
struct RtStat {
  uint32_t mode = 0;      // S_IFREG 0x8000 / S_IFDIR 0x4000, read 0x124, write 0x92, exec 0x49
  uint32_t attrs = 0;     // FILE_ATTRIBUTE_* of the platform
  int64_t size = 0;
  time_t mtime = 0;
  bool is_dir = false;
};
inline constexpr uint32_t RT_S_IFDIR = 0x4000;
inline constexpr uint32_t RT_S_IFREG = 0x8000;
bool rt_stat(const char* name, RtStat* st);

// Identity of a file: volume and index, links, size and times. False when it cannot be read.
struct RtIdentity {
  uint64_t volume = 0, index = 0, links = 0, size = 0, mtime = 0, ctime = 0;
  uint32_t attrs = 0;
  bool operator==(const RtIdentity&) const = default;
};
bool rt_identity(const char* name, RtIdentity* id);

// Sets the modification (and access) time of a file from a time_t.
bool rt_utime(const char* name, time_t t);

// The run-time's error number of the platform's last error (ENOENT, EACCES, ENOSPC...).
int rt_errno_of_last_error();

// ---- multibyte text in the ANSI code page ----
bool mb_lead(uint8_t c);
// The next character (past a double-byte pair); at the terminating NUL, the NUL itself.
const char* mb_inc(const char* p);
inline char* mb_inc(char* p) { return const_cast<char*>(mb_inc(static_cast<const char*>(p))); }
// The run-time's multibyte blank test at p (the ideographic space of the code page counts).
bool mb_isspace(const char* p);
// Byte offset of the last single-byte character c (not a trail byte), or npos.
size_t mb_rfind(const std::string& s, char c);
size_t mb_find(const std::string& s, char c, size_t from = 0);
// Every single-byte character from by to.
void mb_replace(std::string& s, char from, char to);
// The text without trailing / leading blanks (multibyte aware).
std::string mb_trim(const std::string& s);

// The maximum component length of the volume holding root ("X:\" or a folder); false when the
// query fails.
bool rt_max_component_length(const char* root, DWORD* length);

// The current folder, saved when constructed as an open descriptor (no length limit), restored by
// restore() or the destructor.
class SavedCurrentDir {
 public:
  SavedCurrentDir();
  ~SavedCurrentDir();
  SavedCurrentDir(const SavedCurrentDir&) = delete;
  SavedCurrentDir& operator=(const SavedCurrentDir&) = delete;
  bool restore();
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace mfc
