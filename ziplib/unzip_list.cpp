// Listing, member records and the workers behind the listing, check and memory exports.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mfc/resources.h"
#include "ziplib/unzip.h"
#include "ziplib/unzip_source.h"

namespace zipvault {

namespace {
constexpr uint8_t END_SIG[4] = {'P', 'K', 5, 6};
constexpr uint8_t CEN_SIG[4] = {'P', 'K', 1, 2};

std::string ratio_text(int r) {
  char buf[16];
  if (r < 0) snprintf(buf, sizeof buf, "%c%d%%", '-', (5 - r) / 10);
  else snprintf(buf, sizeof buf, "%c%d%%", ' ', (r + 5) / 10);
  return buf;
}
}  // namespace

int unzip_ratio(uint64_t u, uint64_t c) {
  if (u == 0) return 0;
  int64_t su = static_cast<int64_t>(u), sc = static_cast<int64_t>(c);
  if (u <= 2000000) {
    if (c > u) return static_cast<int>(-(((sc - su) * 1000 + su / 2) / su));
    return static_cast<int>(((su - sc) * 1000 + su / 2) / su);
  }
  if (c > u) return static_cast<int>(-((su / 2000 + sc - su) / (su / 1000)));
  return static_cast<int>((su + su / 2000 - sc) / (su / 1000));
}

std::string unzip_method_name(uint16_t method, uint16_t flags) {
  static const char* names[] = {"Stored", "Shrunk", "Reduce1", "Reduce2", "Reduce3", "Reduce4", "Implode", "Token"};
  unsigned m = std::min<unsigned>(method, 9);
  if (m < 8) return names[m];
  if (m == 8) return std::string("Deflat") + "NXFS"[(flags >> 1) & 3];
  char buf[16];
  snprintf(buf, sizeof buf, "Unk:%03d", static_cast<int>(method % 1000));
  return buf;
}

std::string unzip_attribute_text(uint8_t a) {
  std::string s = "----";
  s[0] = (a & 0x20) ? 'a' : '-';
  s[1] = (a & 0x04) ? 's' : '-';
  s[2] = (a & 0x02) ? 'h' : '-';
  s[3] = (a & 0x01) ? 'r' : 'w';
  return s;
}

int CUnZip::list_archive() {
  bool long_form = opt_.lflag >= 2;
  char line[1024];
  if (out_cap_ > 0 && opt_.qflag < 2) {
    const char* h1 = long_form ? "    Length   Method    Size   Ratio   Date      Time     CRC-32  Attr  Name"
                               : "    Length    Date    Time    Name";
    const char* h2 = long_form ? " ---------   ------  -------- -----   ----      ----    -------- ----  ----"
                               : " ---------    ----    ----    ----";
    if (opt_.L_flag) snprintf(line, sizeof line, "%s (\"^\" ==> case\r\n%s   conversion)\r\n", h1, h2);
    else snprintf(line, sizeof line, "%s\r\n%s\r\n", h1, h2);
    append_output(line, strlen(line));
  }
  int level = 0;
  uint64_t total_u = 0, total_c = 0;
  uint16_t count = 0;
  for (unsigned n = 0; n < ecrec_.total_entries; ++n) {
    uint8_t sig[4];
    if (!read_bytes(sig, 4) || memcmp(sig, CEN_SIG, 4) != 0) return std::max(level, PK_BADERR);
    int r = read_central_header();
    if (r == 0) r = read_string_field(crec_.fnlen, 2);
    decode_name(crec_.flags);
    if (r <= 1) {
      if (r == 1) level = std::max(level, 1);
      r = read_string_field(crec_.extralen, 3);
    }
    if (r > 1) return r;
    if (names_.size() > 2) {
      if (read_string_field(crec_.commentlen, 0)) return PK_EOF;
      continue;
    }
    unsigned yr = ((crec_.date >> 9) + 80) % 100, mo = (crec_.date >> 5) & 0x0F, dy = crec_.date & 0x1F;
    unsigned hh = crec_.time >> 11, mm = (crec_.time >> 5) & 0x3F, ss = 2 * (crec_.time & 0x1F);
    uint64_t csize = crec_.csize;
    if (crec_.flags & 1) csize = csize >= 12 ? csize - 12 : 0;
    std::string rt = ratio_text(unzip_ratio(crec_.ucsize, csize));
    std::string method = unzip_method_name(crec_.method, crec_.flags);
    uint8_t attr = static_cast<uint8_t>(crec_.ext_attr & 0xFF);
    std::string attrs = unzip_attribute_text(attr);
    unsigned host = std::min<unsigned>(crec_.version_made_by >> 8, 14);
    bool lc = opt_.L_flag && ((0x635u >> host) & 1);
    if ((crec_.ext_attr & 0x08) && ((0x861u >> host) & 1)) lc = false;
    char mark = lc ? '^' : ' ';
    if (records_open_) {
      TArchiveEntryInfo rec;
      memset(&rec, 0, sizeof rec);
      rec.dwOriginalSize = crec_.ucsize;
      rec.dwCompressedSize = static_cast<uint32_t>(csize);
      rec.dwCRC = crec_.crc;
      rec.wDate = crec_.date;
      rec.wTime = crec_.time;
      memcpy(rec.szFileName, filename_.data(), std::min<size_t>(filename_.size(), 260));
      memcpy(rec.szAttribute, attrs.data(), 4);
      memcpy(rec.szMode, method.data(), std::min<size_t>(method.size(), 7));
      records_.push_back(rec);
    }
    if (out_cap_ > 0) {
      if (long_form)
        snprintf(line, sizeof line, "%10llu  %-7s%10llu %4s  %02u-%02u-%02u  %02u:%02u:%02u  %08lx %4s %c",
                 static_cast<unsigned long long>(crec_.ucsize), method.c_str(), static_cast<unsigned long long>(csize),
                 rt.c_str(), mo, dy, yr, hh, mm, ss, static_cast<unsigned long>(crec_.crc), attrs.c_str(), mark);
      else
        snprintf(line, sizeof line, mfc::LoadStringResource(mfc::IDS_LIST_SHORT),
                 static_cast<unsigned long>(crec_.ucsize), mo, dy, yr, hh, mm, mark);
      append_output(line, strlen(line));
      append_name_line();
    }
    if (opt_.qflag >= 1 || out_cap_ == 0) {
      if (read_string_field(crec_.commentlen, 0)) return PK_EOF;
    } else if (int c = read_string_field(crec_.commentlen, 1)) {
      return c;
    }
    total_u += crec_.ucsize;
    total_c += csize;
    ++count;
  }
  if (opt_.qflag < 2 && out_cap_ > 0) {
    std::string rt = ratio_text(unzip_ratio(total_u, total_c));
    if (long_form)
      snprintf(line, sizeof line,
               " ---------           --------  ---                                     -------\r\n"
               "%10llu       %12llu %4s                                     %7u\r\n",
               static_cast<unsigned long long>(total_u), static_cast<unsigned long long>(total_c), rt.c_str(),
               static_cast<unsigned>(count));
    else
      snprintf(line, sizeof line, " ---------                    -------\r\n%7llu                    %-7u\r\n",
               static_cast<unsigned long long>(total_u), static_cast<unsigned>(count));
    append_output(line, strlen(line));
  }
  uint8_t sig[4];
  if (!read_bytes(sig, 4)) return PK_EOF;
  if (memcmp(sig, END_SIG, 4) != 0) level = std::max(level, 1);
  if (count == 0 && level <= 1) return PK_FIND;
  return level;
}

// ---------------------------------------------------------------------------- workers

int CUnZip::open_record_list(const char* archive) {
  reset_options();
  archive_ = archive ? archive : "";
  names_ = {archive_};
  records_.clear();
  record_next_ = 0;
  records_open_ = true;
  opt_.lflag = 1;
  set_output(nullptr, 0);
  WaitCursor wait;
  int r = process_archive();
  records_open_ = false;
  if (cancel_) return PK_ERR;
  return std::max(r, 0);
}

int CUnZip::find_first_record(TArchiveEntryInfo* info) {
  record_next_ = 0;
  return find_next_record(info);
}

int CUnZip::find_next_record(TArchiveEntryInfo* info) {
  if (!info || record_next_ >= records_.size()) return -1;
  memcpy(info, &records_[record_next_++], sizeof *info);
  return 0;
}

void CUnZip::close_record_list() {
  records_.clear();
  record_next_ = 0;
}

int CUnZip::check_archive(const char* archive, int mode) {
  reset_options();
  archive_ = archive ? archive : "";
  names_ = {archive_};
  opt_.lflag = 1;
  opt_.whole_file_search = mode == 2;
  set_output(nullptr, 0);
  int r = process_archive();
  if (cancel_) return PK_ERR;
  return std::max(r, 0);
}

int CUnZip::extract_to_memory(HWND owner, const char* archive, const char* entry, HGLOBAL* block, uint32_t* size) {
  reset_options();
  owner_ = owner;
  archive_ = archive ? archive : "";
  names_ = {archive_, ".\\", entry ? entry : ""};
  dest_.clear();
  set_output(nullptr, 0);
  opt_.mem_mode = true;
  opt_.process_all = 0;
  opt_.xflag = 1;
  mem_done_ = false;
  WaitCursor wait;
  open_progress(owner);
  int r = process_archive();
  close_progress();
  if (cancel_) r = PK_ERR;
  r = std::max(r, 0);
  opt_.mem_mode = false;
  // The caller's size is 32-bit: a larger entry cannot be handed over.
  if (r == 0 && (!mem_done_ || mem_size_ > UINT32_MAX)) r = mem_done_ ? PK_MEM : PK_FIND;
  if (r != 0) {
    if (mem_block_) GlobalFree(mem_block_);
    mem_block_ = nullptr;
    *block = nullptr;
    *size = 1;
  } else {
    *block = mem_block_;
    *size = static_cast<uint32_t>(mem_size_);
    mem_block_ = nullptr;
  }
  return r;
}

}  // namespace zipvault
