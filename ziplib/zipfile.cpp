// The ZIP format: DOS time, the record writers, reading the old archive and copying its entries.
#include "ziplib/zipfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ziplib/dlgextmsg.h"
#include "ziplib/zip.h"

namespace zipvault {

// ---------------------------------------------------------------- DOS time

uint32_t dostime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980) return (1u << 21) | (1u << 16);
  if (year > 2107) return dostime(2107, 12, 31, 23, 59, 58);
  return (static_cast<uint32_t>(year - 1980) << 25) | (static_cast<uint32_t>(month) << 21) |
         (static_cast<uint32_t>(day) << 16) | (static_cast<uint32_t>(hour) << 11) |
         (static_cast<uint32_t>(minute) << 5) | (static_cast<uint32_t>(second) >> 1);
}

uint32_t unix2dostime(time_t t) {
  if (t & 1) ++t;
  struct tm tm;
  if (!localtime_r(&t, &tm)) return dostime(1980, 1, 1, 0, 0, 0);
  return dostime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

time_t dos2unixtime(uint32_t d) {
  struct tm tm = {};
  tm.tm_year = static_cast<int>((d >> 25) & 0x7F) + 80;
  tm.tm_mon = static_cast<int>((d >> 21) & 0x0F) - 1;
  tm.tm_mday = static_cast<int>((d >> 16) & 0x1F);
  tm.tm_hour = static_cast<int>((d >> 11) & 0x1F);
  tm.tm_min = static_cast<int>((d >> 5) & 0x3F);
  tm.tm_sec = static_cast<int>((d & 0x1F) * 2);
  tm.tm_isdst = -1;
  return mktime(&tm);
}

// ---------------------------------------------------------------- records

namespace {
bool fits16(size_t n) { return n <= 0xFFFF; }
}  // namespace

bool build_local(const ZEntry& z, std::vector<uint8_t>& b) {
  if (z.siz > ZIP_MAX32 || z.len > ZIP_MAX32 || !fits16(z.iname.size()) || !fits16(z.extra.size())) return false;
  b.clear();
  put32(b, LOCSIG);
  put16(b, z.ver);
  put16(b, z.lflg);
  put16(b, z.how);
  put32(b, z.tim);
  put32(b, z.crc);
  put32(b, static_cast<uint32_t>(z.siz));
  put32(b, static_cast<uint32_t>(z.len));
  put16(b, static_cast<uint16_t>(z.iname.size()));
  put16(b, static_cast<uint16_t>(z.extra.size()));
  b.insert(b.end(), z.iname.begin(), z.iname.end());
  b.insert(b.end(), z.extra.begin(), z.extra.end());
  return true;
}

bool build_extended(const ZEntry& z, std::vector<uint8_t>& b) {
  if (z.siz > ZIP_MAX32 || z.len > ZIP_MAX32) return false;
  b.clear();
  put32(b, EXTLOCSIG);
  put32(b, z.crc);
  put32(b, static_cast<uint32_t>(z.siz));
  put32(b, static_cast<uint32_t>(z.len));
  return true;
}

bool build_central(const ZEntry& z, std::vector<uint8_t>& b) {
  if (z.siz > ZIP_MAX32 || z.len > ZIP_MAX32 || z.off > ZIP_MAX32 || !fits16(z.iname.size()) ||
      !fits16(z.cextra.size()) || !fits16(z.comment.size()))
    return false;
  b.clear();
  put32(b, CENSIG);
  put16(b, z.vem);
  put16(b, z.ver);
  put16(b, z.flg);
  put16(b, z.how);
  put32(b, z.tim);
  put32(b, z.crc);
  put32(b, static_cast<uint32_t>(z.siz));
  put32(b, static_cast<uint32_t>(z.len));
  put16(b, static_cast<uint16_t>(z.iname.size()));
  put16(b, static_cast<uint16_t>(z.cextra.size()));
  put16(b, static_cast<uint16_t>(z.comment.size()));
  put16(b, z.dsk);
  put16(b, z.att);
  put32(b, z.atx);
  put32(b, static_cast<uint32_t>(z.off));
  b.insert(b.end(), z.iname.begin(), z.iname.end());
  b.insert(b.end(), z.cextra.begin(), z.cextra.end());
  b.insert(b.end(), z.comment.begin(), z.comment.end());
  return true;
}

bool build_end(size_t count, uint64_t size, uint64_t offset, const std::string& comment, std::vector<uint8_t>& b) {
  if (count > ZIP_MAX_ENTRIES || size > ZIP_MAX32 || offset > ZIP_MAX32 || !fits16(comment.size())) return false;
  b.clear();
  put32(b, ENDSIG);
  put16(b, 0);
  put16(b, 0);
  put16(b, static_cast<uint16_t>(count));
  put16(b, static_cast<uint16_t>(count));
  put32(b, static_cast<uint32_t>(size));
  put32(b, static_cast<uint32_t>(offset));
  put16(b, static_cast<uint16_t>(comment.size()));
  b.insert(b.end(), comment.begin(), comment.end());
  return true;
}

// ---------------------------------------------------------------- writing through the engine

int CZip::putlocal(const ZEntry& z) {
  std::vector<uint8_t> b;
  if (!build_local(z, b)) return ZE_WRITE;
  return tempzf_->write_all(b.data(), b.size()) ? 0 : ZE_TEMP;
}

int CZip::putextended(const ZEntry& z) {
  std::vector<uint8_t> b;
  if (!build_extended(z, b)) return ZE_WRITE;
  return tempzf_->write_all(b.data(), b.size()) ? 0 : ZE_TEMP;
}

int CZip::putcentral(const ZEntry& z) {
  std::vector<uint8_t> b;
  if (!build_central(z, b)) return ZE_WRITE;
  return tempzf_->write_all(b.data(), b.size()) ? 0 : ZE_TEMP;
}

int CZip::putend(size_t count, uint64_t size, uint64_t offset) {
  std::vector<uint8_t> b;
  if (!build_end(count, size, offset, zcomment_, b)) return ZE_WRITE;
  return tempzf_->write_all(b.data(), b.size()) ? 0 : ZE_TEMP;
}

// ---------------------------------------------------------------- reading the old archive

int CZip::seek_error(mfc::RtStream& f) { return f.error() ? ZE_READ : ZE_EOF; }

void CZip::build_sorted() {
  zsort_.clear();
  for (auto& z : zfiles_) zsort_.push_back(z.get());
  std::stable_sort(zsort_.begin(), zsort_.end(), [](const ZEntry* a, const ZEntry* b) { return a->iname < b->iname; });
}

ZEntry* CZip::zsearch(const std::string& iname) {
  auto it = std::lower_bound(zsort_.begin(), zsort_.end(), iname,
                             [](const ZEntry* z, const std::string& n) { return z->iname < n; });
  return it != zsort_.end() && (*it)->iname == iname ? *it : nullptr;
}

namespace {

// Reads exactly n bytes at the stream's position.
bool read_at(mfc::RtStream& f, void* buf, size_t n) { return f.read_exact(buf, n); }

bool read_string(mfc::RtStream& f, size_t n, std::string& s) {
  s.assign(n, '\0');
  return n == 0 || f.read_exact(s.data(), n);
}

bool read_bytes(mfc::RtStream& f, size_t n, std::vector<uint8_t>& v) {
  v.assign(n, 0);
  return n == 0 || f.read_exact(v.data(), n);
}

uint32_t read_sig(mfc::RtStream& f) {
  uint8_t b[4];
  return f.read_exact(b, 4) ? get32(b) : 0;
}

}  // namespace

// Finds the first signature of any record at or after `from`; *at = -1 when none.
int CZip::scan_next_signature(mfc::RtStream& f, int64_t from, int64_t flen, int64_t* at) {
  *at = -1;
  if (f.seek(from, 0) != 0) return seek_error(f);
  std::vector<uint8_t> buf(65536 + 3);
  int64_t base = from;
  size_t keep = 0;
  while (base + static_cast<int64_t>(keep) < flen) {
    size_t n = f.read(buf.data() + keep, 1, 65536);
    if (n == 0) break;
    size_t have = keep + n;
    for (size_t i = 0; i + 3 < have; ++i) {
      if (buf[i] == 'P' && buf[i + 1] == 'K') {
        uint32_t s = get32(&buf[i]);
        if (s == LOCSIG || s == CENSIG || s == ENDSIG || s == EXTLOCSIG) {
          *at = base + static_cast<int64_t>(i);
          return 0;
        }
      }
    }
    keep = std::min<size_t>(3, have);
    std::memmove(buf.data(), buf.data() + have - keep, keep);
    base += static_cast<int64_t>(have - keep);
  }
  return f.error() ? ZE_READ : 0;
}

// Bit 3 with no size in the local header: the data ends at a descriptor whose compressed size
// equals the bytes scanned (a signature inside the data does not count).
int CZip::scan_for_descriptor(mfc::RtStream& f, ZEntry& z, int64_t data_start, int64_t flen, int64_t& pos) {
  int64_t from = data_start;
  for (;;) {
    int64_t at;
    if (int r = scan_next_signature(f, from, flen, &at)) return r;
    if (at < 0 || at + 16 > flen) break;
    if (f.seek(at, 0) != 0) return seek_error(f);
    uint8_t d[16];
    if (!read_at(f, d, 16)) return ZE_EOF;
    if (get32(d) == EXTLOCSIG && static_cast<int64_t>(get32(d + 8)) == at - data_start) {
      z.crc = get32(d + 4);
      z.siz = get32(d + 8);
      z.len = get32(d + 12);
      pos = at + 16;
      return 0;
    }
    from = at + 1;
  }
  zipwarn("bad extended local header for ", z.iname.c_str());
  return ZE_FORM;
}

int CZip::read_local_entries(mfc::RtStream& f, int64_t& pos, int64_t flen) {
  for (;;) {
    if (f.seek(pos, 0) != 0) return seek_error(f);
    uint32_t sig = read_sig(f);
    if (sig != LOCSIG) return 0;
    if (zfiles_.size() >= ZIP_MAX_ENTRIES) {
      zipwarn("too many entries in zip file", "");
      return ZE_FORM;
    }
    uint8_t h[LOCHEAD];
    if (!read_at(f, h, LOCHEAD)) return f.error() ? ZE_READ : ZE_EOF;
    auto z = std::make_unique<ZEntry>();
    z->ver = get16(h);
    z->flg = z->lflg = get16(h + 2);
    z->how = get16(h + 4);
    z->tim = get32(h + 6);
    z->crc = get32(h + 10);
    z->siz = get32(h + 14);
    z->len = get32(h + 18);
    size_t nam = get16(h + 22), ext = get16(h + 24);
    if (nam == 0) {
      std::string n = std::to_string(zfiles_.size() + 1);
      zipwarn("zero-length name for entry #", n.c_str());
      return ZE_FORM;
    }
    if (!read_string(f, nam, z->iname) || !read_bytes(f, ext, z->extra)) return f.error() ? ZE_READ : ZE_EOF;
    z->zname = z->iname;
    z->name = in2ex(z->iname);
    z->off = static_cast<uint64_t>(pos);
    const int64_t data_start = pos + 30 + static_cast<int64_t>(nam + ext);
    if (fix_ >= 2) {
      // Sizes from where the next record starts.
      int64_t at;
      if (int r = scan_next_signature(f, data_start, flen, &at)) return r;
      if (at < 0) at = flen;
      z->siz = static_cast<uint64_t>(at - data_start);
      pos = at;
      if (z->lflg & 8) {
        if (at + 16 <= flen && f.seek(at, 0) == 0) {
          uint8_t d[16];
          if (read_at(f, d, 16) && get32(d) == EXTLOCSIG) {
            z->crc = get32(d + 4);
            z->len = get32(d + 12);
            pos = at + 16;
          }
        }
      }
    } else if ((z->lflg & 8) && z->siz == 0) {
      if (int r = scan_for_descriptor(f, *z, data_start, flen, pos)) return r;
    } else {
      const int64_t end = data_start + static_cast<int64_t>(z->siz);
      if (end > flen) return ZE_EOF;
      pos = end;
      if (z->lflg & 8) {
        if (f.seek(pos, 0) != 0) return seek_error(f);
        uint8_t d[16];
        if (!read_at(f, d, 16) || get32(d) != EXTLOCSIG) {
          zipwarn("extended local header not found for ", z->iname.c_str());
          return ZE_FORM;
        }
        z->crc = get32(d + 4);
        z->siz = get32(d + 8);
        z->len = get32(d + 12);
        pos += 16;
      }
    }
    zfiles_.push_back(std::move(z));
  }
}

int CZip::read_central(mfc::RtStream& f, int64_t& pos, size_t& matched) {
  for (;;) {
    if (f.seek(pos, 0) != 0) return seek_error(f);
    uint32_t sig = read_sig(f);
    if (sig != CENSIG) return 0;
    if (matched >= zfiles_.size()) {
      zipwarn("extraneous central header signature", "");
      return ZE_FORM;
    }
    uint8_t h[CENHEAD];
    if (!read_at(f, h, CENHEAD)) return f.error() ? ZE_READ : ZE_EOF;
    ZEntry& z = *zfiles_[matched];
    // Version needed through name length, as the local header gave them.
    std::vector<uint8_t> loc;
    put16(loc, z.ver);
    put16(loc, z.lflg);
    put16(loc, z.how);
    put32(loc, z.tim);
    put32(loc, z.crc);
    put32(loc, static_cast<uint32_t>(z.siz));
    put32(loc, static_cast<uint32_t>(z.len));
    put16(loc, static_cast<uint16_t>(z.iname.size()));
    bool differ = false;
    for (size_t i = 0; i < 24; ++i) {
      uint8_t a = loc[i], c = h[2 + i];
      if (i == 3) {   // high byte of the flags: the top three bits are not compared
        a &= 0x1F;
        c &= 0x1F;
      }
      if (a != c) differ = true;
    }
    if (differ) {
      if (noisy_) {
        zipwarn("local and central headers differ for ", z.iname.c_str());
        for (size_t i = 0; i < 24; ++i) {
          if (loc[i] != h[2 + i] && !(i == 3 && ((loc[i] ^ h[2 + i]) & 0x1F) == 0)) {
            char t[80];
            std::snprintf(t, sizeof t, " offset %d--local = %02x, central = %02x", static_cast<int>(i) + 4,
                          loc[i], h[2 + i]);
            zipwarn(t, "");
          }
        }
      }
      return ZE_FORM;
    }
    z.vem = get16(h);
    z.ver = get16(h + 2);
    z.flg = get16(h + 4);
    z.how = get16(h + 6);
    z.tim = get32(h + 8);
    z.crc = get32(h + 12);
    z.siz = get32(h + 16);
    z.len = get32(h + 20);
    size_t nam = get16(h + 24), cext = get16(h + 26), com = get16(h + 28);
    z.dsk = get16(h + 30);
    z.att = get16(h + 32);
    z.atx = get32(h + 34);
    uint64_t off = get32(h + 38);
    z.dosflag = (z.vem >> 8) == 0;
    if (off != z.off && !adjust_) {
      zipwarn("local offset in central header incorrect for ", z.iname.c_str());
      return ZE_FORM;
    }
    std::string cname;
    if (!read_string(f, nam, cname)) return f.error() ? ZE_READ : ZE_EOF;
    if (cname != z.iname) {
      zipwarn("names in local and central differ for ", z.iname.c_str());
      return ZE_FORM;
    }
    if (!read_bytes(f, cext, z.cextra) || !read_string(f, com, z.comment)) return f.error() ? ZE_READ : ZE_EOF;
    if (verbose_ > 0) {
      char t[120];
      if ((z.vem >> 8) > 15) {
        std::snprintf(t, sizeof t, "made by version %d.%d on system type %d: ", (z.vem & 0xFF) / 10,
                      (z.vem & 0xFF) % 10, z.vem >> 8);
        zipwarn(t, z.iname.c_str());
      }
      if (z.ver != 10 && z.ver != 11 && z.ver != 20) {
        std::snprintf(t, sizeof t, "needs unzip %d.%d on system type %d: ", (z.ver & 0xFF) / 10, (z.ver & 0xFF) % 10,
                      z.ver >> 8);
        zipwarn(t, z.iname.c_str());
      }
      if (z.flg & 0xFFF0) {
        std::snprintf(t, sizeof t, "undefined bits used in flags = 0x%04x: ", z.flg);
        zipwarn(t, z.iname.c_str());
      }
      if (z.flg != z.lflg) {
        std::snprintf(t, sizeof t, "local flags = 0x%04x, central = 0x%04x: ", z.lflg, z.flg);
        zipwarn(t, z.iname.c_str());
      }
      if (z.how > 8) {
        std::snprintf(t, sizeof t, "unknown compression method %u: ", z.how);
        zipwarn(t, z.iname.c_str());
      }
      if (z.dsk) {
        std::snprintf(t, sizeof t, "starts on disk %u: ", z.dsk);
        zipwarn(t, z.iname.c_str());
      }
      if (z.att & ~1u) {
        std::snprintf(t, sizeof t, "unknown internal attributes = 0x%04x: ", z.att);
        zipwarn(t, z.iname.c_str());
      }
      if (!z.extra.empty() && !z.cextra.empty() && z.extra != z.cextra) {
        std::snprintf(t, sizeof t, "local extra (%ld bytes) != central extra (%ld bytes): ",
                      static_cast<long>(z.extra.size()), static_cast<long>(z.cextra.size()));
        zipwarn(t, z.iname.c_str());
      }
    }
    pos += 46 + static_cast<int64_t>(nam + cext + com);
    ++matched;
  }
}

int CZip::read_end(mfc::RtStream& f, int64_t& pos, size_t matched, int64_t flen, int64_t cen_start) {
  if (f.seek(pos, 0) != 0) return seek_error(f);
  uint32_t sig = read_sig(f);
  if (matched != zfiles_.size() || sig != ENDSIG) {
    zipwarn("missing end signature--probably not a zip file (did you", "");
    zipwarn("remember to use binary mode when you transferred it?)", "");
    return ZE_FORM;
  }
  uint8_t e[ENDHEAD];
  if (!read_at(f, e, ENDHEAD)) return f.error() ? ZE_READ : ZE_EOF;
  uint16_t disk = get16(e), cdisk = get16(e + 2), here = get16(e + 4), total = get16(e + 6);
  uint32_t size = get32(e + 8), off = get32(e + 12);
  size_t clen = get16(e + 16);
  if (disk || cdisk || here != total) zipwarn("multiple disk information ignored", "");
  if (total != zfiles_.size()) {
    zipwarn("count in end of central directory incorrect", "");
    return ZE_FORM;
  }
  uint64_t computed = 0;
  for (auto& z : zfiles_) computed += 46 + z->iname.size() + z->cextra.size() + z->comment.size();
  if (size != computed) zipwarn("central directory size is incorrect (made by stzip?)", "");
  if (static_cast<int64_t>(off) != cen_start && !adjust_) {
    zipwarn("central directory start is incorrect", "");
    return ZE_FORM;
  }
  if (!read_string(f, clen, zcomment_)) return f.error() ? ZE_READ : ZE_EOF;
  pos += 22 + static_cast<int64_t>(clen);
  if (pos < flen) zipwarn("garbage at end of zip file ignored", "");
  return 0;
}

int CZip::readzipfile() {
  zipbeg_ = 0;
  cenbeg_ = 0;
  zfiles_.clear();
  zsort_.clear();
  zcomment_.clear();
  if (dlg_) dlg_->SetArchive(zipfile_.c_str());
  if (zipfile_.empty() || zipfile_ == "-") return 0;
  auto f = mfc::rt_fopen(zipfile_.c_str(), "rb");
  if (!f) return 0;
  const int64_t flen = f->length();
  if (flen < 0) return ZE_READ;

  // Data before the first local header or end record.
  int64_t pos = -1;
  {
    std::vector<uint8_t> buf(65536 + 3);
    int64_t base = 0;
    size_t keep = 0;
    while (pos < 0) {
      size_t n = f->read(buf.data() + keep, 1, 65536);
      if (n == 0) break;
      size_t have = keep + n;
      for (size_t i = 0; i + 3 < have; ++i) {
        if (buf[i] == 'P' && buf[i + 1] == 'K') {
          uint32_t s = get32(&buf[i]);
          if (s == LOCSIG || s == ENDSIG) {
            pos = base + static_cast<int64_t>(i);
            break;
          }
        }
      }
      keep = std::min<size_t>(3, have);
      std::memmove(buf.data(), buf.data() + have - keep, keep);
      base += static_cast<int64_t>(have - keep);
    }
    if (f->error()) return ZE_READ;
    if (pos < 0) pos = flen;
  }
  zipbeg_ = pos;

  if (int r = read_local_entries(*f, pos, flen)) return r;
  if (fix_) {
    // Only the local headers are trusted.
    for (auto& z : zfiles_) {
      z->vem = dosify_ ? VEM_DOS : VEM_NEW;
      mfc::RtStat st;
      z->atx = mfc::rt_stat(zipfile_.c_str(), &st) ? (st.mode << 16) | (st.attrs & 0xFF) : 0;
      z->dosflag = dosify_;
    }
    zcomment_.clear();
    cenbeg_ = pos;
  } else {
    const int64_t cen_start = pos;
    size_t matched = 0;
    if (int r = read_central(*f, pos, matched)) return r;
    if (int r = read_end(*f, pos, matched, flen, cen_start)) return r;
    cenbeg_ = cen_start;
  }
  if (zipbeg_ != 0) {
    char t[64];
    std::snprintf(t, sizeof t, " has a preamble of %lu bytes", static_cast<unsigned long>(zipbeg_));
    zipwarn(zipfile_.c_str(), t);
  }
  f->close();
  build_sorted();
  return 0;
}

// ---------------------------------------------------------------- copying old data

int CZip::zipcopy(ZEntry& z, mfc::RtStream& in) {
  if (dlg_) dlg_->SetStep("copying...");
  uint64_t n = 30 + z.iname.size() + z.extra.size() + z.siz + ((z.lflg & 8) ? 16 : 0);
  if (in.seek(static_cast<int64_t>(z.off), 0) != 0) return seek_error(in);
  const uint64_t new_off = tempzn_;
  if (fix_ >= 2) {
    // A fresh local header from the record instead of the old one.
    uint64_t skip = 30 + z.iname.size() + z.extra.size();
    if (in.seek(static_cast<int64_t>(z.off + skip), 0) != 0) return seek_error(in);
    ZEntry copy = z;
    copy.off = new_off;
    if (int r = putlocal(copy)) return r;
    n -= skip;
    tempzn_ += skip;
  }
  if (new_off > ZIP_MAX32) return ZE_WRITE;
  if (dlg_) dlg_->SetFile(z.iname.c_str(), 0, static_cast<int64_t>(n));
  std::vector<uint8_t> buf(32768);
  uint64_t done = 0;
  int pieces = 0;
  while (done < n) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(buf.size(), n - done));
    size_t got = in.read(buf.data(), 1, want);
    if (got != want) {
      if (in.error()) return ZE_READ;
      // The old archive ends early: that is damage, not data.
      if (fix_ < 2) return ZE_EOF;
      if (got == 0) break;
    }
    if (!tempzf_->write_all(buf.data(), got)) return ZE_TEMP;
    done += got;
    if (dlg_ && (++pieces % 4 == 0)) dlg_->Update(static_cast<int64_t>(done));
    if (got != want) break;
  }
  if (dlg_) dlg_->Update(static_cast<int64_t>(done));
  z.off = new_off;
  tempzn_ += done;
  return 0;
}

int CZip::copy_prefix(mfc::RtStream& in) {
  if (zipbeg_ == 0) return 0;
  if (in.seek(0, 0) != 0) return seek_error(in);
  std::vector<uint8_t> buf(32768);
  int64_t done = 0;
  while (done < zipbeg_) {
    size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(buf.size()), zipbeg_ - done));
    size_t got = in.read(buf.data(), 1, want);
    if (got != want) return in.error() ? ZE_READ : ZE_EOF;
    if (!tempzf_->write_all(buf.data(), got)) return ZE_TEMP;
    done += static_cast<int64_t>(got);
  }
  tempzn_ += static_cast<uint64_t>(zipbeg_);
  return 0;
}

int CZip::write_central_and_end() {
  const uint64_t c = tempzn_;
  uint64_t size = 0;
  if (zfiles_.size() > ZIP_MAX_ENTRIES || c > ZIP_MAX32) return ZE_WRITE;
  for (auto& z : zfiles_) {
    if (int r = putcentral(*z)) return r;
    size += 46 + z->iname.size() + z->cextra.size() + z->comment.size();
  }
  tempzn_ += size;
  if (zfiles_.empty()) zipwarn("zip file empty", "");
  if (int r = putend(zfiles_.size(), size, c)) return r;
  tempzn_ += 22 + zcomment_.size();
  return 0;
}

}  // namespace zipvault
