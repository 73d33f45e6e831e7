// Extracting one entry: the output path and its folders, the overwrite rules, the traditional
// decryption, the decoders, the output (file, memory block or none) and the CRC check.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mfc/resources.h"
#include "ziplib/crc32.h"
#include "ziplib/dlgextmsg.h"
#include "ziplib/inflate.h"
#include "ziplib/legacy.h"
#include "ziplib/unzip.h"
#include "ziplib/unzip_source.h"
#include "ziplib/unzip_ui.h"

namespace zipvault {

namespace {
constexpr size_t STORED_PIECE = 32768;

bool is_sep(char16_t c) { return c == u'/' || c == u'\\'; }

// Shows why a folder could not be made; 0.
int folder_failure(const std::string& prefix, const char* why) {
  unzip_message_box(nullptr, prefix + why, MB_OK | MB_ICONHAND);
  return 0;
}

// Makes sure prefix names a folder.
int ensure_folder(const std::u16string& prefix) {
  std::string a = wide_to_ansi(prefix);
  DWORD attrs = GetFileAttributesA(a.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    if (!CreateDirectoryA(a.c_str(), nullptr)) return folder_failure(a, "\nディレクトリの作成に失敗しました。");
  } else if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    return folder_failure(a, "\nすでにディレクトリ以外の属性で存在しています。");
  }
  return 1;
}

uint8_t decrypt_byte(const uint32_t* keys) {
  unsigned temp = (keys[2] | 2) & 0xFFFF;
  return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

void update_keys(uint32_t* keys, uint8_t c) {
  keys[0] = crc32_byte(keys[0], c);
  keys[1] = (keys[1] + (keys[0] & 0xFF)) * 134775813u + 1;
  keys[2] = crc32_byte(keys[2], static_cast<uint8_t>(keys[1] >> 24));
}
}  // namespace

// Creates every missing folder of path up to its last separator (and the last component too when
// create_last). 1 when they all exist, 0 after a failure (shown).
int make_directories(const std::string& path, bool create_last) {
  std::u16string w = ansi_to_wide(path);
  if (w.empty()) return 1;
  DWORD whole = GetFileAttributesA(path.c_str());
  if (whole != INVALID_FILE_ATTRIBUTES && (whole & FILE_ATTRIBUTE_DIRECTORY)) return 1;
  size_t start = 0;
  if (w.size() >= 2 && w[1] == u':') {
    start = 3;
  } else if (w.size() >= 2 && is_sep(w[0]) && is_sep(w[1])) {
    size_t host_end = w.find_first_of(u"/\\", 2);
    size_t share_end = host_end == std::u16string::npos ? std::u16string::npos : w.find_first_of(u"/\\", host_end + 1);
    start = share_end == std::u16string::npos ? 2 : share_end + 1;
  }
  for (size_t i = start; i < w.size(); ++i) {
    if (!is_sep(w[i]) || i == 0 || is_sep(w[i - 1])) continue;
    if (!ensure_folder(w.substr(0, i))) return 0;
  }
  if (create_last && !is_sep(w.back())) return ensure_folder(w);
  return 1;
}

// ---------------------------------------------------------------------------- byte source

size_t UnzipEntrySource::fill_input(const uint8_t*& data) {
  CUnZip& z = z_;
  if (z.remaining_ <= 0) return 0;
  if (z.buf_ptr_ >= z.buf_len_ && !z.refill_buffer()) return 0;
  size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(z.buf_len_ - z.buf_ptr_), z.remaining_));
  const uint8_t* p = z.inbuf_.data() + z.buf_ptr_;
  z.buf_ptr_ += n;
  z.remaining_ -= static_cast<int64_t>(n);
  if (z.decrypting_) {
    // Decrypted into a copy: the archive buffer may be read again after a seek.
    z.plain_.resize(n);
    for (size_t i = 0; i < n; ++i) {
      uint8_t c = static_cast<uint8_t>(p[i] ^ decrypt_byte(z.keys_));
      update_keys(z.keys_, c);
      z.plain_[i] = c;
    }
    p = z.plain_.data();
  }
  data = p;
  return n;
}

int UnzipEntrySource::write_output(const uint8_t* buf, size_t n) { return write_progress(write_piece(buf, n), n); }

int UnzipEntrySource::write_piece(const uint8_t* buf, size_t n) {
  CUnZip& z = z_;
  if (z.disk_full_) return PK_DISK;
  if (bytes_out() > z.entry_ucsize_) {
    // More data than the entry says: damaged, and never written past the stated size.
    z.overflow_ = true;
    return PK_DISK;
  }
  if (z.opt_.tflag) return PK_OK;
  if (z.opt_.mem_mode) {
    if (!z.mem_ptr_ || z.mem_used_ + n > z.mem_size_) {
      z.overflow_ = true;
      return PK_DISK;
    }
    memcpy(z.mem_ptr_ + z.mem_used_, buf, n);
    z.mem_used_ += n;
    return PK_OK;
  }
  DWORD wrote = 0;
  if (!WriteFile(z.outfile_, buf, static_cast<DWORD>(n), &wrote, nullptr) || wrote != n) {
    z.disk_full_ = 2;
    return PK_DISK;
  }
  return PK_OK;
}

int UnzipEntrySource::write_progress(int r, size_t n) {
  if (CDlgExtMsg* d = unzip_globals().progress) {
    z_.progress_done_ += n;
    if (--z_.progress_countdown_ <= 0) {
      d->Update(static_cast<int64_t>(z_.progress_done_));
      z_.progress_countdown_ = z_.progress_reload_;
    }
    if (d->Cancelled()) z_.cancel_ = true;
  }
  return r;
}

// ---------------------------------------------------------------------------- name mapping

int CUnZip::map_name() {
  if (opt_.mem_mode) return 0;
  if (name_lossy_) {
    // Its ANSI form is not its name: a file under it would be misnamed or collide with another.
    char msg[400];
    snprintf(msg, sizeof msg, "   skipping: %-22s  name outside the code page\n", filename_.c_str());
    unzip_message_box(nullptr, msg, MB_OK | MB_ICONEXCLAMATION);
    return -1;
  }
  std::u16string w = wide_name_;
  for (char16_t& c : w)
    if (c == u'\\') c = u'/';
  bool folder = !w.empty() && w.back() == u'/';
  // Every drive prefix and leading slash goes: stored names are relative to the destination.
  for (;;) {
    if (w.size() >= 2 && w[1] == u':' && ((w[0] >= u'A' && w[0] <= u'Z') || (w[0] >= u'a' && w[0] <= u'z'))) {
      w.erase(0, 2);
    } else if (!w.empty() && w[0] == u'/') {
      w.erase(0, 1);
    } else {
      break;
    }
  }
  std::vector<std::u16string> parts;
  size_t i = 0;
  bool unsafe = false;
  while (i <= w.size()) {
    size_t j = w.find(u'/', i);
    if (j == std::u16string::npos) j = w.size();
    std::u16string part = w.substr(i, j - i);
    if (part == u"..") unsafe = true;
    if (!part.empty() && part != u".") parts.push_back(part);
    i = j + 1;
  }
  if (unsafe || parts.empty()) {
    char msg[400];
    snprintf(msg, sizeof msg, "   skipping: %-22s  unsafe path\n", filename_.c_str());
    unzip_message_box(nullptr, msg, MB_OK | MB_ICONEXCLAMATION);
    return -1;
  }
  if (opt_.jflag) {
    if (folder) return MPN_FOLDER;
    outpath_ = dest_ + wide_to_ansi(parts.back());
    return 0;
  }
  std::u16string rel;
  for (size_t k = 0; k < parts.size(); ++k) {
    if (k) rel += u'/';
    rel += parts[k];
    // A link met below the destination could lead outside it.
    DWORD attrs = k + 1 < parts.size() || folder ? GetFileAttributesA((dest_ + wide_to_ansi(rel)).c_str())
                                                 : INVALID_FILE_ATTRIBUTES;
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) unsafe = true;
  }
  if (unsafe) {
    char msg[400];
    snprintf(msg, sizeof msg, "   skipping: %-22s  unsafe path\n", filename_.c_str());
    unzip_message_box(nullptr, msg, MB_OK | MB_ICONEXCLAMATION);
    return -1;
  }
  if (folder) {
    if (!make_directories(dest_ + wide_to_ansi(rel), true)) return PK_BADERR;
    return MPN_FOLDER;
  }
  outpath_ = dest_ + wide_to_ansi(rel);
  if (parts.size() > 1 || !dest_.empty()) {
    if (!make_directories(outpath_, false)) return PK_BADERR;
  }
  return 0;
}

// ---------------------------------------------------------------------------- overwriting

int CUnZip::check_existing_file(const std::string& path) {
  // Under no-query nothing is asked; freshen and update still need to know the file.
  if (opt_.xflag && !opt_.fflag && !opt_.uflag) return -1;
  WIN32_FILE_ATTRIBUTE_DATA fa{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa)) return -1;
  FILETIME entry{};
  dos_to_filetime(lrec_.date, lrec_.time, &entry);
  uint64_t f = (static_cast<uint64_t>(fa.ftLastWriteTime.dwHighDateTime) << 32) | fa.ftLastWriteTime.dwLowDateTime;
  uint64_t e = (static_cast<uint64_t>(entry.dwHighDateTime) << 32) | entry.dwLowDateTime;
  return f > e ? 1 : 0;
}

int CUnZip::ask_overwrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA fa{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa)) return -1;
  MessageBeep(MB_ICONASTERISK);
  std::u16string shown = ansi_to_wide(path);
  for (char16_t& c : shown)
    if (c == u'/') c = u'\\';
  FILETIME entry{};
  dos_to_filetime(lrec_.date, lrec_.time, &entry);
  uint64_t fsize = (static_cast<uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
  bool all = false;
  int r = ask_overwrite_dialog(owner_, wide_to_ansi(shown), entry, entry_ucsize_, fa.ftLastWriteTime, fsize, &all);
  if (r == IDOK) return all ? 'A' : 'Y';
  return 'N';
}

// True to extract.
int CUnZip::decide_overwrite() {
  UnzipGlobals& g = unzip_globals();
  int e = check_existing_file(outpath_);
  if (e == -1) return !opt_.fflag;
  if (e != 0 && e != 1) return 1;
  if (g.overwrite_never) return 0;
  if (e == 1 && opt_.uflag) return 0;
  if (g.overwrite_all_on() || opt_.xflag) return 1;
  int a = ask_overwrite(outpath_);
  if (a == 'A') {
    g.overwrite_all[0] = 1;
    g.overwrite_never = 0;
    return 1;
  }
  if (a == 'N') {
    g.overwrite_all[0] = g.overwrite_all[1] = 0;
    return 0;
  }
  return 1;
}

// ---------------------------------------------------------------------------- decryption

int CUnZip::test_password(const uint8_t* header) {
  uint32_t k[3] = {0x12345678u, 0x23456789u, 0x34567890u};
  for (char c : password_) update_keys(k, static_cast<uint8_t>(c));
  uint8_t last = 0;
  for (int i = 0; i < 12; ++i) {
    last = static_cast<uint8_t>(header[i] ^ decrypt_byte(k));
    update_keys(k, last);
  }
  uint8_t check = (lrec_.flags & 8) ? static_cast<uint8_t>(lrec_.time >> 8) : static_cast<uint8_t>(lrec_.crc >> 24);
  if (last != check) return -1;
  memcpy(keys_, k, sizeof k);
  decrypting_ = true;
  return 0;
}

int CUnZip::decrypt_entry() {
  uint8_t h[12];
  decrypting_ = false;
  if (remaining_ < 12 || !read_bytes(h, 12)) return 1;
  remaining_ -= 12;
  if (!password_asked_) {
    password_asked_ = true;
    password_.clear();
    password_held_ = false;
  } else if (password_held_ && !password_failed_) {
    if (test_password(h) == 0) return 0;
    if (empty_password_) return 1;
  } else if (empty_password_) {
    return 1;
  }
  while (attempts_left_ > 0) {
    --attempts_left_;
    std::string typed;
    if (ask_password_dialog(owner_, &typed) == IDOK) {
      password_ = typed;
      password_held_ = true;
    }
    if (password_.empty()) {
      empty_password_ = true;
      return 1;
    }
    password_failed_ = false;
    if (test_password(h) == 0) return 0;
  }
  return 1;
}

// ---------------------------------------------------------------------------- one entry

int CUnZip::run_decoder() {
  switch (lrec_.method) {
    case METHOD_STORED: {
      uint8_t* w = io_->window();
      if (!w) return PK_MEM3;
      size_t wp = 0;
      for (;;) {
        if (io_->in_next == io_->in_end && !io_->refill()) break;
        size_t k = std::min(static_cast<size_t>(io_->in_end - io_->in_next), STORED_PIECE - wp);
        memcpy(w + wp, io_->in_next, k);
        io_->in_next += k;
        wp += k;
        if (wp == STORED_PIECE) {
          if (int r = io_->flush_output_window(w, wp)) return r;
          wp = 0;
        }
      }
      return io_->flush_output_window(w, wp);
    }
    case METHOD_SHRUNK:
      return unshrink(*io_);
    case 2:
    case 3:
    case 4:
    case 5:
      return unreduce(*io_);
    case METHOD_IMPLODED:
      return explode(*io_);
    case METHOD_DEFLATED:
      return inflate(*io_);
    default:
      return -1;
  }
}

int CUnZip::extract_entry() {
  overflow_ = false;
  data_bad_ = false;
  io_->reset_entry();
  io_->csize = static_cast<uint64_t>(std::max<int64_t>(remaining_, 0));
  io_->ucsize = entry_ucsize_;
  io_->flags = lrec_.flags;
  io_->method = lrec_.method;
  progress_done_ = 0;
  progress_countdown_ = progress_reload_ = opt_.mem_mode ? 4 : 1;
  CDlgExtMsg* dlg = unzip_globals().progress;
  if (dlg) {
    if (dlg->Cancelled()) cancel_ = true;
    else dlg->SetFile(outpath_.empty() ? filename_.c_str() : outpath_.c_str(), 0, static_cast<int64_t>(entry_ucsize_));
  }
  if (cancel_) return PK_ERR;
  if (lrec_.method > 6 && lrec_.method != 8) return PK_WARN;
  if (dlg) {
    static const char* const steps[] = {"extracting...", "unshrinking...", "unreducing...", "unreducing...",
                                        "unreducing...", "unreducing...", "exploding...", "", "inflating..."};
    dlg->SetStep(steps[lrec_.method]);
  }

  if (opt_.mem_mode) {
    // 64-bit size: a block the platform cannot give is a memory failure, never a wrapped size.
    uint64_t bytes = (entry_ucsize_ & ~uint64_t{3}) + 4;
    mem_block_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(bytes));
    if (!mem_block_) return PK_MEM;
    mem_ptr_ = static_cast<uint8_t*>(GlobalLock(mem_block_));
    mem_size_ = entry_ucsize_;
    mem_used_ = 0;
  } else if (!opt_.tflag) {
    // A link at the target is replaced, never followed.
    DWORD attrs = GetFileAttributesA(outpath_.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteFileA(outpath_.c_str());
    outfile_ = CreateFileA(outpath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (outfile_ == INVALID_HANDLE_VALUE) return PK_DISK;
  }

  int r = run_decoder();
  int code = 0;
  bool encrypted = cur_ && cur_->encrypted;
  if (cancel_) {
    code = PK_ERR;
  } else if (overflow_) {
    code = PK_ERR;
    data_bad_ = true;
  } else if (disk_full_) {
    code = PK_DISK;
  } else if (r != 0) {
    bool big = lrec_.method == METHOD_DEFLATED || lrec_.method == METHOD_IMPLODED;
    if (big && lrec_.method == METHOD_IMPLODED && r == EXPLODE_SIZE) {
      code = entry_csize_ < io_->bytes_used ? PK_ERR : PK_WARN;
    } else if (big) {
      bool memory = r == INFLATE_NOMEM;
      code = memory ? PK_MEM3 : PK_ERR;
      data_bad_ = !memory;
      if (!(encrypted && data_bad_)) {
        char msg[600];
        const char* what = memory ? "not enough memory to " : "invalid compressed data to ";
        const char* how = lrec_.method == METHOD_IMPLODED ? "explode" : "inflate";
        if (opt_.qflag == 0) snprintf(msg, sizeof msg, mfc::LoadStringResource(mfc::IDS_ERROR), what, how);
        else snprintf(msg, sizeof msg, mfc::LoadStringResource(mfc::IDS_ERROR_NAME), what, how, filename_.c_str());
        unzip_message_box(nullptr, msg, MB_OK | MB_ICONHAND);
      }
    } else {
      code = r;
      data_bad_ = r == PK_ERR;
    }
  }

  if (opt_.mem_mode) {
    if (mem_block_ && mem_ptr_) GlobalUnlock(mem_block_);
    mem_ptr_ = nullptr;
  } else if (outfile_ != INVALID_HANDLE_VALUE) {
    FILETIME ft{};
    if (dos_to_filetime(lrec_.date, lrec_.time, &ft)) SetFileTime(outfile_, nullptr, nullptr, &ft);
    CloseHandle(outfile_);
    outfile_ = INVALID_HANDLE_VALUE;
    // Of the stored attributes only read-only is applied.
    if (cur_ && (cur_->attr & 0x01)) SetFileAttributesA(outpath_.c_str(), FILE_ATTRIBUTE_READONLY);
  }
  if (code >= 2) return code;
  // A length other than the stated one is damaged data, whatever the CRC says.
  if (io_->crc() != entry_crc_ || io_->bytes_out() != entry_ucsize_) {
    data_bad_ = true;
    return PK_ERR;
  }
  return code;
}

void CUnZip::discard_output() {
  if (opt_.mem_mode) {
    if (mem_block_) GlobalFree(mem_block_);
    mem_block_ = nullptr;
    mem_ptr_ = nullptr;
  } else if (!opt_.tflag && !outpath_.empty()) {
    SetFileAttributesA(outpath_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(outpath_.c_str());
  }
}

int CUnZip::handle_entry(int64_t data_start) {
  entry_csize_ = lrec_.csize;
  entry_ucsize_ = lrec_.ucsize;
  entry_crc_ = lrec_.crc;
  if (lrec_.flags & 8) {
    // Sizes and CRC follow the data: the central directory has them.
    entry_csize_ = cur_->csize;
    entry_ucsize_ = cur_->ucsize;
    entry_crc_ = cur_->crc;
  }
  outpath_.clear();
  if (opt_.mem_mode) {
    if (mem_done_) return 0;   // duplicate names: the first one counts, the others pass silently
  } else if (!opt_.tflag) {
    int m = map_name();
    if (m == -1) return HANDLE_SKIPPED;
    if (m == MPN_FOLDER) return 0;
    if (m != 0) return PK_ERR;
    if (disk_full_) return PK_DISK;
    if (!decide_overwrite()) return HANDLE_SKIPPED;
  }
  attempts_left_ = 3;
  password_failed_ = false;
  for (;;) {
    if (!seek_archive(data_start)) return PK_EOF;
    remaining_ = static_cast<int64_t>(entry_csize_);
    decrypting_ = false;
    io_->reset_entry();
    if (cur_->encrypted) {
      int d = decrypt_entry();
      if (d == PK_MEM) return HANDLE_NOMEM;
      if (d != 0) return HANDLE_BAD_PASSWORD;
    }
    int code = extract_entry();
    if (cur_->encrypted && code == PK_ERR && data_bad_ && !cancel_) {
      // The check byte lets one wrong password in 256 through; the data tell the rest.
      discard_output();
      password_failed_ = true;
      continue;
    }
    if (opt_.mem_mode) {
      if (code == 0) mem_done_ = true;
      else discard_output();
    }
    return code;
  }
}

}  // namespace zipvault
