// Adding one file to the new archive, the input reader, the temporary archive, replacing the old
// archive, the end of a run, and the error and warning reports.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ziplib/dlgextmsg.h"
#include "ziplib/zip.h"

namespace zipvault {

namespace {

class FileInput : public ZipInput {
 public:
  explicit FileInput(std::unique_ptr<mfc::RtStream> f) : f_(std::move(f)) {}
  ptrdiff_t read(uint8_t* buf, size_t n) override {
    size_t got = f_->read(buf, 1, n);
    if (got == 0 && f_->error()) return -1;
    return static_cast<ptrdiff_t>(got);
  }

 private:
  std::unique_ptr<mfc::RtStream> f_;
};

}  // namespace

// What the compressor sees of the entry being added.
class EntryIOAdapter : public ZipEntryIO {
 public:
  explicit EntryIOAdapter(CZip& z) : z_(z) {}
  ptrdiff_t file_read(uint8_t* buf, size_t size) override { return z_.file_read(buf, size); }
  bool write_out(const uint8_t* buf, size_t n) override { return z_.tempzf_->write_all(buf, n); }
  bool seekable() override { return true; }

 private:
  CZip& z_;
};

std::unique_ptr<ZipInput> CZip::open_input(const char* name) {
  // Full sharing: other processes may go on reading and writing the file.
  auto f = mfc::rt_fsopen(name, "rb", mfc::SH_DENYNO);
  if (!f) return nullptr;
  return std::make_unique<FileInput>(std::move(f));
}

ptrdiff_t CZip::file_read(uint8_t* buf, size_t size) {
  if (dlg_ && dlg_->Cancelled()) return 0;
  if (!ifile_ || size == 0) return 0;
  auto fail = [&] {
    if (!read_error_) input_errno_ = mfc::rt_errno_of_last_error();
    read_error_ = true;
    return ptrdiff_t{-1};
  };
  ptrdiff_t n;
  if (translate_eol_ == 0) {
    n = ifile_->read(buf, size);
  } else if (translate_eol_ == 1) {
    // LF to CR LF: half a buffer in, every LF doubles.
    size_t half = std::max<size_t>(1, size / 2);
    eol_buf_.resize(half);
    n = ifile_->read(eol_buf_.data(), half);
    if (n > 0) {
      size_t o = 0;
      for (ptrdiff_t i = 0; i < n; ++i) {
        if (eol_buf_[static_cast<size_t>(i)] == '\n') buf[o++] = '\r';
        buf[o++] = eol_buf_[static_cast<size_t>(i)];
      }
      n = static_cast<ptrdiff_t>(o);
    }
  } else {
    // CR LF to LF: a CR at the end of the piece is decided by the byte after it, which is kept
    // for the next piece when it is no LF (it may be a CR of the next pair).
    size_t want = size > 1 ? size - 1 : 1;
    size_t got = 0;
    if (eol_pending_ >= 0) {
      buf[got++] = static_cast<uint8_t>(eol_pending_);
      eol_pending_ = -1;
    }
    ptrdiff_t m = got < want ? ifile_->read(buf + got, want - got) : 0;
    if (m < 0) return fail();
    n = static_cast<ptrdiff_t>(got) + m;
    if (n > 0) {
      size_t o = 0;
      for (ptrdiff_t i = 0; i < n; ++i) {
        if (buf[i] == '\r' && i + 1 < n && buf[i + 1] == '\n') continue;
        buf[o++] = buf[i];
      }
      if (o && buf[o - 1] == '\r') {
        uint8_t next;
        m = ifile_->read(&next, 1);
        if (m < 0) return fail();
        if (m == 1) {
          if (next == '\n')
            buf[o - 1] = '\n';
          else
            eol_pending_ = next;
        }
      }
      if (o && buf[o - 1] == 0x1A) {
        // A Ctrl-Z ends a DOS text file: dropped only at the end of the input, never where a
        // piece happens to end inside the file.
        uint8_t next;
        m = ifile_->read(&next, 1);
        if (m < 0) return fail();
        if (m == 0)
          --o;
        else
          eol_pending_ = next;
      }
      if (o == 0) {
        // Everything was dropped: deliver one more byte so the end is not mistaken.
        uint8_t one;
        m = ifile_->read(&one, 1);
        if (m < 0) return fail();
        if (m == 0) return 0;
        buf[0] = one;
        o = 1;
      }
      n = static_cast<ptrdiff_t>(o);
    }
  }
  if (n < 0) return fail();
  if (n > 0 && dlg_) {
    progress_done_ += n;
    dlg_->Update(progress_done_);
  }
  return n;
}

bool CZip::is_stored_by_suffix(const std::string& name) const {
  size_t start = 0;
  while (start <= special_.size()) {
    size_t end = special_.find_first_of(":;", start);
    if (end == std::string::npos) end = special_.size();
    std::string suf = special_.substr(start, end - start);
    if (!suf.empty() && suf.size() <= name.size()) {
      bool eq = true;
      for (size_t i = 0; i < suf.size() && eq; ++i) {
        auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
        eq = up(static_cast<unsigned char>(name[name.size() - suf.size() + i])) == up(static_cast<unsigned char>(suf[i]));
      }
      if (eq) return true;
    }
    start = end + 1;
  }
  return false;
}

int CZip::zipup(ZEntry& z) {
  const bool isdir = !z.iname.empty() && z.iname.back() == '/';
  uint32_t a = 0;
  int64_t q = -1;
  const uint32_t tim = filetime(z.name, &a, &q);
  input_errno_ = 0;
  if (tim == 0) {
    input_errno_ = mfc::rt_errno_of_last_error();
    return ZE_OPEN;
  }
  const bool disk_dir = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (disk_dir != isdir) return -1;
  if (!isdir && static_cast<uint64_t>(q) > ZIP_MAX32) return ZE_BIG;   // refused before anything is written

  z.extra.clear();
  z.cextra.clear();
  z.att = 0xFFFF;
  z.atx = 0;
  int method = store_only_ ? METHOD_STORED : -1;   // -1: best
  if (!special_.empty() && is_stored_by_suffix(z.name)) method = METHOD_STORED;

  ifile_.reset();
  read_error_ = false;
  eol_pending_ = -1;
  if (isdir) {
    method = METHOD_STORED;
    q = 0;
  } else {
    ifile_ = open_input(z.name.c_str());
    if (!ifile_) {
      input_errno_ = mfc::rt_errno_of_last_error();
      return ZE_OPEN;
    }
  }
  progress_done_ = 0;
  progress_total_ = q;
  if (dlg_) dlg_->SetFile(z.name.c_str(), 0, q);

  z.tim = tim;
  if (q == 0) method = METHOD_STORED;
  if (method < 0) method = METHOD_DEFLATED;
  z.how = static_cast<uint16_t>(method);
  z.vem = z.dosflag ? VEM_DOS : VEM_NEW;
  z.ver = method == METHOD_STORED ? 10 : 20;
  z.crc = 0;
  z.flg = z.lflg = 8;
  z.siz = method == METHOD_STORED ? static_cast<uint64_t>(q) : 0;
  z.len = static_cast<uint64_t>(q);
  z.dsk = 0;
  z.att = method == METHOD_STORED ? 0 : 0xFFFF;
  z.atx = z.dosflag ? (a & 0xFF) : a;
  z.off = tempzn_;
  if (z.off > ZIP_MAX32) {
    ifile_.reset();
    return ziperr(ZE_WRITE, "archive too large for the zip format");
  }

  if (int r = putlocal(z)) {
    ifile_.reset();
    return r;
  }
  tempzn_ += 30 + z.iname.size() + z.extra.size();
  if (tempzf_->error()) {
    ifile_.reset();
    return ziperr(ZE_WRITE, "unexpected error on zip file");
  }
  const int64_t data_start = tempzf_->tell();

  ZipDataResult r;
  r.method = z.how;
  if (!isdir) {
    EntryIOAdapter io(*this);
    r = deflater_->zip_entry_data(io, store_only_ ? 0 : level_, z.how);
    if (r.code == ZE_OK && read_error_) r.code = ZE_READ;
  }
  ifile_.reset();
  if (dlg_ && dlg_->Cancelled()) return 0;
  if (r.code == ZE_READ || (r.code == ZE_OK && (r.csize > ZIP_MAX32 || r.usize > ZIP_MAX32))) {
    // Never keep a short or oversized entry: its bytes are taken back out of the new archive.
    const bool big = r.code == ZE_OK;
    if (!big) {
      zipwarn_system(input_errno_);
      zipwarn("could not read input file: ", z.iname.c_str());
    }
    tempzn_ = z.off;
    if (tempzf_->truncate(static_cast<int64_t>(z.off)) != 0) return ziperr(ZE_TEMP, "unexpected error on zip file");
    return big ? ZE_BIG : ZE_READ;
  }
  if (r.code != ZE_OK) {
    if (r.code == ZE_LOGIC) return ziperr(r.code, r.text);
    return r.code;
  }
  if (translate_eol_ && z.how == METHOD_DEFLATED && r.att == FILE_BINARY) zipwarn("-l used on binary file", "");
  tempzn_ += r.csize;
  z.crc = r.crc;
  z.siz = r.csize;
  z.len = r.usize;
  z.how = r.method;
  z.att = isdir ? 0 : r.att;
  const int64_t end = tempzf_->tell();
  if (end < 0 || static_cast<uint64_t>(end - data_start) != r.csize ||
      tempzn_ != static_cast<uint64_t>(data_start) + r.csize)
    return ziperr(ZE_LOGIC, "incorrect compressed size");
  z.ver = z.how == METHOD_STORED ? 10 : 20;
  z.flg = z.how == METHOD_DEFLATED ? r.flags : 0;
  z.lflg = z.flg;
  if (tempzf_->seek(static_cast<int64_t>(z.off), 0) != 0) return ZE_READ;
  if (int rr = putlocal(z)) return rr;
  if (tempzf_->seek(end, 0) != 0) return ZE_READ;
  z.written = true;
  return 0;
}

// ---------------------------------------------------------------- temporary archive and replace

std::string CZip::tempname() {
  // Beside the archive, so that replacing it is a rename on the same volume.
  std::string dir = ".";
  size_t slash = mfc::mb_rfind(zipfile_, '/');
  if (slash != std::string::npos) dir = slash == 0 ? "/" : zipfile_.substr(0, slash);
  if (dir.size() == 2 && dir[1] == ':') dir += '/';
  char buf[MAX_PATH + 1] = {};
  if (GetTempFileNameA(dir.c_str(), "ZVT", 0, buf) == 0) return std::string();
  return buf;
}

int CZip::replace(const std::string& dest, const std::string& temp) {
  CWaitCursor wait;
  // The new archive is on the disk before it takes the old one's place, and the rename reaches
  // the disk too: after a power loss the archive is the old one or the new one, never a cut file.
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ZE_TEMP;
  const BOOL flushed = FlushFileBuffers(h);
  CloseHandle(h);
  if (!flushed) return ZE_TEMP;
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
  auto move = [&] {
    if (dlg_) {
      dlg_->SetStep("moving...");
      return dlg_->MoveWithProgress(temp.c_str(), dest.c_str());
    }
    return MoveFileExA(temp.c_str(), dest.c_str(), flags) != FALSE;
  };
  // The old archive stays until the new one is in its place: a rename over it, never a delete
  // first.
  if (move()) return 0;
  DWORD attrs = GetFileAttributesA(dest.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (move()) return 0;
    SetFileAttributesA(dest.c_str(), attrs);
  }
  return copy_archive_in_place(dest, temp, dlg_);
}

// The part beyond the old archive's length is written first, so a full disk is met before any
// old byte changes, and the file is cut back to its old length then. The temporary file goes
// only after a checked copy and close.
int copy_archive_in_place(const std::string& dest, const std::string& temp, CDlgExtMsg* dlg) {
  auto in = mfc::rt_fopen(temp.c_str(), "rb");
  if (!in) return ZE_TEMP;
  const int64_t len = in->length();
  const bool existed = GetFileAttributesA(dest.c_str()) != INVALID_FILE_ATTRIBUTES;
  auto out = mfc::rt_fopen(dest.c_str(), existed ? "r+b" : "wb");
  if (!out || len < 0) return ZE_TEMP;
  const int64_t old_len = out->length();
  if (old_len < 0) return ZE_TEMP;
  if (dlg) {
    dlg->SetStep("copying...");
    dlg->SetFile(dest.c_str(), 0, len);
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kReplacePiece);
  uint8_t* buf = block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
  if (!buf) {
    if (block) GlobalFree(block);
    return ZE_MEM;
  }
  int64_t done = 0;
  auto copy_range = [&](int64_t from, int64_t to) {
    if (from >= to) return true;
    if (in->seek(from, 0) != 0 || out->seek(from, 0) != 0) return false;
    for (int64_t at = from; at < to;) {
      const size_t n = static_cast<size_t>(std::min<int64_t>(kReplacePiece, to - at));
      if (!in->read_exact(buf, n) || !out->write_all(buf, n)) return false;
      at += static_cast<int64_t>(n);
      done += static_cast<int64_t>(n);
      if (dlg) dlg->Update(done);
    }
    return true;
  };
  const int64_t overlap = std::min(len, old_len);
  bool ok = copy_range(overlap, len) && out->flush() == 0;
  if (!ok) {
    // Nothing of the old archive was touched yet.
    out->clearerr();
    out->truncate(old_len);
  } else {
    ok = copy_range(0, overlap) && (len >= old_len || out->truncate(len) == 0);
  }
  ok = out->close() == 0 && ok;
  GlobalUnlock(block);
  GlobalFree(block);
  in->close();
  if (!ok && !existed) DeleteFileA(dest.c_str());
  if (!ok) return ZE_WRITE;
  DeleteFileA(temp.c_str());
  return 0;
}

int CZip::finish() {
  int r = 0;
  if (latest_ && !zipfile_.empty() && zipfile_ != "-") {
    uint32_t t = 0;
    bool any_file = false;
    for (auto& z : zfiles_) {
      if (!z->iname.empty() && z->iname.back() == '/') continue;
      any_file = true;
      t = std::max(t, z->tim);
    }
    if (any_file)
      mfc::rt_utime(zipfile_.c_str(), dos2unixtime(t));
    else if (zfiles_.empty())
      zipwarn("zip file is empty, can't make it as old as latest entry", "");
    else
      zipwarn("zip file has only directories, can't make it as old as latest entry", "");
  }
  tempath_.clear();
  if (dispose_) {
    // Only files whose data reached the archive in this run go.
    std::vector<std::string> dirs;
    for (auto& z : zfiles_) {
      if (!(z->mark || z->trash) || !z->written) continue;
      if (!z->iname.empty() && z->iname.back() == '/') {
        std::string d = z->name;
        while (!d.empty() && d.back() == '/') d.pop_back();
        dirs.push_back(d);
        continue;
      }
      if (destroy(z->name) != 0) {
        zipwarn("error deleting ", z->name.c_str());
        continue;
      }
      if (!dirnames_) {
        size_t slash = mfc::mb_rfind(z->name, '/');
        if (slash != std::string::npos && slash > 0) dirs.push_back(z->name.substr(0, slash));
      }
    }
    std::sort(dirs.begin(), dirs.end(), std::greater<>());
    dirs.erase(std::unique(dirs.begin(), dirs.end()), dirs.end());
    for (const std::string& d : dirs) RemoveDirectoryA(d.c_str());
  }
  zipfile_.clear();
  found_.clear();
  return r;
}

// ---------------------------------------------------------------- reports

int CZip::ziperr(int code, const char* text) {
  if (error_reports_++ != 0) return code;
  if (result_ == 0) result_ = code;
  if (text) {
    CString msg;
    msg.Format("zip error: %s (%s)", zip_error_text(code), text);
    AfxMessageBox(msg, MB_OK);
  }
  if (!tempzip_.empty()) {
    if (tempzip_ != zipfile_) {
      if (tempzf_) {
        tempzf_->close();
        tempzf_.reset();
      }
      if (!DeleteFileA(tempzip_.c_str())) {
        SetFileAttributesA(tempzip_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(tempzip_.c_str());
      }
    } else if (tempzf_) {
      // Appending in place: the old directory goes back where it was and the file ends there.
      CString msg;
      msg.Format("attempting to restore %s to its previous state", zipfile_.c_str());
      AfxMessageBox(msg, MB_OK);
      std::vector<std::unique_ptr<ZEntry>> keep;
      for (auto& z : zfiles_)
        if (z->off < static_cast<uint64_t>(cenbeg_)) keep.push_back(std::move(z));
      zfiles_ = std::move(keep);
      tempzf_->clearerr();
      tempzn_ = static_cast<uint64_t>(cenbeg_);
      if (tempzf_->seek(cenbeg_, 0) == 0 && write_central_and_end() == 0)
        tempzf_->truncate(static_cast<int64_t>(tempzn_));
      tempzf_->close();
      tempzf_.reset();
    }
    tempzip_.clear();
  }
  tempath_.clear();
  zipfile_.clear();
  found_.clear();
  zfiles_.clear();
  zsort_.clear();
  return code;
}

void CZip::zipwarn_system(int err) { std::fprintf(stderr, "zip warning: %s\n", std::strerror(err)); }

void CZip::zipwarn(const char* a, const char* b) {
  if (!noisy_) return;
  CString msg;
  msg.Format("zip warning: %s%s\n", a ? a : "", b ? b : "");
  AfxMessageBox(msg, MB_OK | MB_ICONSTOP);
}

}  // namespace zipvault
