// Archive processing: the end record, the prepended bytes, the central directory walk and the
// selection of entries.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ziplib/dlgextmsg.h"
#include "ziplib/unzip.h"
#include "ziplib/unzip_source.h"
#include "ziplib/unzip_ui.h"

namespace zipvault {

namespace {
constexpr size_t INBUFSIZ = 8192;
constexpr int64_t END_SEARCH = 66000;
constexpr size_t NAME_MAX_BYTES = 260;
constexpr uint8_t END_SIG[4] = {'P', 'K', 5, 6};
constexpr uint8_t CEN_SIG[4] = {'P', 'K', 1, 2};
constexpr uint8_t LOC_SIG[4] = {'P', 'K', 3, 4};

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) { return le16(p) | (static_cast<uint32_t>(le16(p + 2)) << 16); }
}  // namespace

UnzipGlobals& unzip_globals() {
  static UnzipGlobals g;
  return g;
}

CUnZip::CUnZip() : inbuf_(INBUFSIZ + 4, 0), io_(new UnzipEntrySource(*this)) {}

CUnZip::~CUnZip() {
  close_archive();
  if (outfile_ != INVALID_HANDLE_VALUE) CloseHandle(outfile_);
  if (mem_block_) {
    if (mem_ptr_) GlobalUnlock(mem_block_);
    GlobalFree(mem_block_);
  }
  delete io_;
}

void CUnZip::reset_options() { opt_ = Options(); }

// ---------------------------------------------------------------------------- reading

bool CUnZip::open_archive() {
  file_ = CreateFileA(archive_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  buf_pos_ = 0;
  buf_len_ = buf_ptr_ = 0;
  return true;
}

void CUnZip::close_archive() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

int64_t CUnZip::read_at(int64_t pos, void* buf, size_t n) {
  if (pos < 0 || file_ == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER li{};
  li.QuadPart = pos;
  if (!SetFilePointerEx(file_, li, nullptr, FILE_BEGIN)) return -1;
  DWORD got = 0;
  if (!ReadFile(file_, buf, static_cast<DWORD>(n), &got, nullptr)) return -1;
  return got;
}

bool CUnZip::seek_archive(int64_t abs) {
  if (abs < 0 || abs > size_) return false;
  int64_t block = abs - abs % static_cast<int64_t>(INBUFSIZ);
  // A seek inside the current buffer reuses it.
  if (block != buf_pos_ || buf_len_ == 0) {
    int64_t got = read_at(block, inbuf_.data(), INBUFSIZ);
    if (got < 0) return false;
    buf_pos_ = block;
    buf_len_ = static_cast<size_t>(got);
  }
  buf_ptr_ = static_cast<size_t>(abs - block);
  if (buf_ptr_ > buf_len_) return false;
  return true;
}

bool CUnZip::refill_buffer() {
  int64_t next = buf_pos_ + static_cast<int64_t>(buf_len_);
  if (buf_len_ == 0 && buf_ptr_ == 0) next = buf_pos_;
  int64_t got = read_at(next, inbuf_.data(), INBUFSIZ);
  if (got <= 0) return false;
  buf_pos_ = next;
  buf_len_ = static_cast<size_t>(got);
  buf_ptr_ = 0;
  return true;
}

bool CUnZip::read_bytes(void* dst, size_t n) {
  auto* d = static_cast<uint8_t*>(dst);
  while (n > 0) {
    if (buf_ptr_ >= buf_len_ && !refill_buffer()) return false;
    size_t k = std::min(n, buf_len_ - buf_ptr_);
    memcpy(d, inbuf_.data() + buf_ptr_, k);
    buf_ptr_ += k;
    d += k;
    n -= k;
  }
  return true;
}

bool CUnZip::skip_bytes(uint64_t n) {
  int64_t target = reading_position() + static_cast<int64_t>(n);
  if (target > size_) return false;
  return seek_archive(target);
}

int64_t CUnZip::reading_position() const { return buf_pos_ + static_cast<int64_t>(buf_ptr_); }

// ---------------------------------------------------------------------------- end record

int CUnZip::find_end_record(int64_t search_len) {
  // Candidates are positions with a whole 22-byte record behind them; blocks are read backwards
  // with 3 bytes of the following block kept, so a signature across a boundary is found.
  int64_t lowest = size_ - std::min(size_, search_len);
  int64_t found = -1;
  std::vector<uint8_t> block(INBUFSIZ + 3);
  int64_t end = size_ - 21;   // candidates lie below this
  while (end > lowest && found < 0) {
    int64_t start = std::max(lowest, end - static_cast<int64_t>(INBUFSIZ));
    size_t want = static_cast<size_t>(std::min<int64_t>(size_ - start, end - start + 3));
    int64_t got = read_at(start, block.data(), want);
    if (got < 0 || static_cast<size_t>(got) != want) break;
    for (int64_t p = end - 1; p >= start; --p) {
      const uint8_t* b = block.data() + (p - start);
      if (memcmp(b, END_SIG, 4) == 0) {
        found = p;
        break;
      }
    }
    end = start;
  }
  if (found < 0) {
    MessageBeep(1);
    return 2;
  }
  real_ecrec_offset_ = found;
  if (!seek_archive(found + 4)) return PK_EOF;
  uint8_t r[18];
  if (!read_bytes(r, sizeof r)) return PK_EOF;
  ecrec_.this_disk = le16(r);
  ecrec_.cd_disk = le16(r + 2);
  ecrec_.entries_this_disk = le16(r + 4);
  ecrec_.total_entries = le16(r + 6);
  ecrec_.cd_size = le32(r + 8);
  ecrec_.cd_offset = le32(r + 12);
  ecrec_.comment_len = le16(r + 16);
  expect_ecrec_offset_ = static_cast<int64_t>(ecrec_.cd_offset + ecrec_.cd_size);
  return 0;
}

// ---------------------------------------------------------------------------- fields

int CUnZip::read_string_field(unsigned len, int kind) {
  switch (kind) {
    case 0:
      return skip_bytes(len) ? 0 : PK_EOF;
    case 1: {
      std::vector<char> text(len);
      if (len && !read_bytes(text.data(), len)) return PK_EOF;
      append_output(text.data(), len);
      return 0;
    }
    case 2: {
      size_t keep = std::min<size_t>(len, NAME_MAX_BYTES);
      filename_.assign(keep, '\0');
      if (keep && !read_bytes(filename_.data(), keep)) return PK_EOF;
      // A NUL inside the name ends it, as the name buffer is a C string.
      filename_.resize(strnlen(filename_.c_str(), keep));
      if (len > keep) {
        if (!skip_bytes(len - keep)) return PK_EOF;
        return 1;
      }
      return 0;
    }
    default:
      extra_.assign(len, 0);
      if (len && !read_bytes(extra_.data(), len)) return PK_EOF;
      return 0;
  }
}

// A name flagged UTF-8 (general-purpose bit 11) is decoded from UTF-8; the engine shows, matches
// and records its ANSI form, where characters outside the code page become a near character or
// '?'. Such a name
// is never used for a file on disk (see map_name).
void CUnZip::decode_name(uint16_t flags) {
  if (flags & 0x0800) {
    wide_name_ = bytes_to_wide(filename_, CP_UTF8);
    filename_ = wide_to_ansi(wide_name_);
    name_lossy_ = ansi_to_wide(filename_) != wide_name_;
  } else {
    wide_name_ = ansi_to_wide(filename_);
    name_lossy_ = false;
  }
}

int CUnZip::read_central_header() {
  uint8_t b[42];
  if (!read_bytes(b, sizeof b)) return PK_EOF;
  crec_.version_made_by = le16(b);
  crec_.version_needed = le16(b + 2);
  crec_.flags = le16(b + 4);
  crec_.method = le16(b + 6);
  crec_.time = le16(b + 8);
  crec_.date = le16(b + 10);
  crec_.crc = le32(b + 12);
  crec_.csize = le32(b + 16);
  crec_.ucsize = le32(b + 20);
  crec_.fnlen = le16(b + 24);
  crec_.extralen = le16(b + 26);
  crec_.commentlen = le16(b + 28);
  crec_.disk_start = le16(b + 30);
  crec_.int_attr = le16(b + 32);
  crec_.ext_attr = le32(b + 34);
  crec_.local_offset = le32(b + 38);
  return 0;
}

int CUnZip::read_local_header() {
  uint8_t b[26];
  if (!read_bytes(b, sizeof b)) return PK_EOF;
  lrec_.version_needed = le16(b);
  lrec_.flags = le16(b + 2);
  lrec_.method = le16(b + 4);
  lrec_.time = le16(b + 6);
  lrec_.date = le16(b + 8);
  lrec_.crc = le32(b + 10);
  lrec_.csize = le32(b + 14);
  lrec_.ucsize = le32(b + 18);
  lrec_.fnlen = le16(b + 22);
  lrec_.extralen = le16(b + 24);
  return 0;
}

bool CUnZip::store_entry_info() {
  EntryRec& e = *cur_;
  e = EntryRec();
  unsigned host = std::min<unsigned>(crec_.version_made_by >> 8, 14);
  e.hostnum = static_cast<uint8_t>(host);
  e.lcflag = opt_.L_flag && ((0x635u >> host) & 1);
  if ((crec_.ext_attr & 0x08) && ((0x861u >> host) & 1)) {
    e.vollabel = true;
    e.lcflag = false;
  }
  e.encrypted = crec_.flags & 1;
  e.ext_header = (crec_.flags & 8) != 0;
  e.textfile = crec_.int_attr & 1;
  e.csize = crec_.csize;
  e.ucsize = crec_.ucsize;
  e.crc = crec_.crc;

  unsigned need_host = crec_.version_needed >> 8, need = crec_.version_needed & 0xFF;
  if (need_host == 2) {   // VMS
    if (need > 42) {
      char msg[256];
      snprintf(msg, sizeof msg, "   skipping: %-22s  need %s compat. v%u.%u (can do v%u.%u)\n", filename_.c_str(),
               "VMS", need / 10, need % 10, 4u, 2u);
      unzip_message_box(nullptr, msg, MB_OK | MB_ICONQUESTION);
      return false;
    }
    if (!opt_.tflag && !unzip_globals().overwrite_all_on()) {
      std::string q = filename_ + ":  stored in VMS format.  Extract anyway?";
      if (unzip_message_box(nullptr, q, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    }
  } else if (need > 20) {
    return false;
  }
  if (crec_.method > 6 && crec_.method != 8) return false;
  e.attr = static_cast<uint8_t>((crec_.ext_attr & 0xFF) | 0x20);
  e.offset = crec_.local_offset;
  return true;
}

// ---------------------------------------------------------------------------- processing

int CUnZip::process_archive() {
  WIN32_FILE_ATTRIBUTE_DATA fa{};
  if (archive_.empty() || !GetFileAttributesExA(archive_.c_str(), GetFileExInfoStandard, &fa)) return PK_NOZIP;
  if (fa.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return IZ_DIR;
  size_ = static_cast<int64_t>((static_cast<uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow);
  if (CDlgExtMsg* d = unzip_globals().progress) {
    d->SetArchive(archive_.c_str());
    if (d->Cancelled()) {
      cancel_ = true;
      return 0;
    }
  }
  if (cancel_) return 0;
  if (!open_archive()) return PK_NOZIP;
  struct Closer {
    CUnZip* z;
    ~Closer() { z->close_archive(); }
  } closer{this};

  int r = find_end_record(opt_.whole_file_search ? size_ : END_SEARCH);
  if (r != 0) return r == PK_EOF ? PK_EOF : PK_NOZIP;

  int level = 0;
  if (!opt_.whole_file_search && ecrec_.comment_len != 0 && (opt_.zflag > 0 || (opt_.zflag == 0 && opt_.qflag == 0))) {
    int c = read_string_field(ecrec_.comment_len, 1);
    if (c != 0) return c;
  }
  if (opt_.zflag > 0) return level;

  if (opt_.whole_file_search) {
    if (ecrec_.this_disk != ecrec_.cd_disk) return PK_FIND;
  } else if (ecrec_.this_disk != 0) {
    level = 1;
  }

  extra_bytes_ = real_ecrec_offset_ - expect_ecrec_offset_;
  if (extra_bytes_ < 0) {
    level = 2;
  } else if (extra_bytes_ > 0) {
    if (ecrec_.cd_offset == 0 && ecrec_.cd_size != 0) {
      ecrec_.cd_offset = static_cast<uint64_t>(extra_bytes_);
      extra_bytes_ = 0;
      level = 2;
    } else {
      level = 1;
    }
  }

  if (ecrec_.cd_offset == 0 && ecrec_.cd_size == 0) return level ? level : PK_WARN;

  uint8_t sig[4];
  int64_t cd = static_cast<int64_t>(ecrec_.cd_offset) + extra_bytes_;
  if (!(seek_archive(cd) && read_bytes(sig, 4) && memcmp(sig, CEN_SIG, 4) == 0)) {
    extra_bytes_ = 0;
    cd = static_cast<int64_t>(ecrec_.cd_offset);
    if (!(seek_archive(cd) && read_bytes(sig, 4) && memcmp(sig, CEN_SIG, 4) == 0)) return PK_BADERR;
    level = 2;
  }
  if (!seek_archive(cd)) return PK_BADERR;
  int result = (opt_.lflag == 0 || opt_.tflag) ? extract_or_test_entries() : list_archive();
  return std::max(result, level);
}

int CUnZip::extract_or_test_entries() {
  password_asked_ = false;
  password_held_ = false;
  empty_password_ = false;
  entry_number_ = -1;
  int skipped = 0, bad_passwords = 0, level = 0;
  int remaining = ecrec_.total_entries;
  int block_number = 0;
  bool walk_ended = false;

  while (remaining > 0 && !walk_ended) {
    int kept = 0;
    while (remaining > 0 && kept < 64) {
      --remaining;
      uint8_t sig[4];
      if (!read_bytes(sig, 4) || memcmp(sig, CEN_SIG, 4) != 0) {
        level = std::max(level, PK_BADERR);
        walk_ended = true;
        break;
      }
      int r = read_central_header();
      if (r) {
        level = std::max(level, r);
        walk_ended = true;
        break;
      }
      r = read_string_field(crec_.fnlen, 2);
      bool cut = r == 1;
      decode_name(crec_.flags);
      if (r <= 1) r = read_string_field(crec_.extralen, 3);
      if (r <= 1) r = read_string_field(crec_.commentlen, 0);
      if (r > 1) {
        level = std::max(level, r);
        walk_ended = true;
        break;
      }
      if (cut) level = std::max(level, 1);
      bool selected = opt_.process_all != 0;
      if (!selected) {
        for (size_t i = 2; i < names_.size() && !selected; ++i) selected = names_[i] == filename_;
      }
      if (!selected) continue;
      cur_ = &entries_[kept];
      if (!store_entry_info()) {
        ++skipped;
        continue;
      }
      entries_[kept].name_cut = cut;
      ++kept;
    }
    int64_t cd_pos = reading_position();

    for (int i = 0; i < kept; ++i) {
      if (cancel_) break;
      cur_ = &entries_[i];
      entry_number_ = block_number * 64 + i;
      uint8_t sig[4];
      int64_t off = static_cast<int64_t>(cur_->offset) + extra_bytes_;
      char msg[256];
      if (!(seek_archive(off) && read_bytes(sig, 4))) {
        snprintf(msg, sizeof msg, "1:file #%d:  bad zipfile offset (%s):  %lld\n", entry_number_ + 1, "EOF",
                 static_cast<long long>(cur_->offset));
        unzip_message_box(nullptr, msg, MB_OK);
        level = std::max(level, PK_BADERR);
        continue;
      }
      if (memcmp(sig, LOC_SIG, 4) != 0) {
        snprintf(msg, sizeof msg, "2:file #%d:  bad zipfile offset (%s):  %lld\n", entry_number_ + 1, "local",
                 static_cast<long long>(cur_->offset));
        unzip_message_box(nullptr, msg, MB_OK);
        bool retry = (entry_number_ == 0 && extra_bytes_ != 0) || (extra_bytes_ == 0 && saved_extra_bytes_);
        if (!retry) {
          level = std::max(level, 2);
          continue;
        }
        std::swap(extra_bytes_, saved_extra_value_);
        saved_extra_bytes_ = true;
        off = static_cast<int64_t>(cur_->offset) + extra_bytes_;
        if (!(seek_archive(off) && read_bytes(sig, 4) && memcmp(sig, LOC_SIG, 4) == 0)) {
          level = std::max(level, PK_BADERR);
          continue;
        }
        level = std::max(level, 2);
      }
      int r = read_local_header();
      if (r == 0) r = read_string_field(lrec_.fnlen, 2);
      bool cut = r == 1;
      decode_name(lrec_.flags);
      if (r <= 1) r = read_string_field(lrec_.extralen, 3);
      if (r > 1) {
        level = std::max(level, r);
        continue;
      }
      if (cut || cur_->name_cut) {
        // A cut name is not the entry's name: never write under it.
        level = std::max(level, 1);
        ++skipped;
        continue;
      }
      int64_t data_start = reading_position();
      r = handle_entry(data_start);
      if (r == HANDLE_SKIPPED) {
        ++skipped;
        continue;
      }
      if (r == HANDLE_BAD_PASSWORD) {
        ++bad_passwords;
        continue;
      }
      if (r == HANDLE_NOMEM) {
        level = std::max(level, PK_MEM);
        continue;
      }
      if (r) level = std::max(level, r);
      if (cancel_) break;
    }
    if (cancel_) break;
    ++block_number;
    if (!walk_ended && !seek_archive(cd_pos)) {
      level = std::max(level, PK_EOF);
      walk_ended = true;
    }
  }

  if (!cancel_) {
    uint8_t sig[4];
    if (!walk_ended) {
      if (!read_bytes(sig, 4)) level = std::max(level, PK_EOF);
      else if (memcmp(sig, END_SIG, 4) != 0 && level == 0) level = 1;
    }
  } else {
    return PK_ERR;
  }
  if (entry_number_ < 0 && level <= 1) return PK_FIND;
  if (level) return level;
  if (skipped || bad_passwords) return PK_WARN;
  return 0;
}

}  // namespace zipvault
