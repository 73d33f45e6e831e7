// The Zip command worker: the command line, the option letters and the main sequence of a run.
#include "ziplib/zip.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ziplib/dlgextmsg.h"
#include "ziplib/zipapp.h"

namespace zipvault {

CZip::CZip() { zipvault_app(); }

CZip::~CZip() {
  if (dlg_) {
    dlg_->DestroyWindow();
    dlg_ = nullptr;
  }
  wnd_.Detach();
}

// ---------------------------------------------------------------- command line

namespace {

// Index of the last character when it is the single-byte c, else npos.
bool ends_with_char(const std::string& s, char c) {
  if (s.empty()) return false;
  const char* last = nullptr;
  for (const char* p = s.c_str(); *p; p = mfc::mb_inc(p)) last = p;
  return last && *last == c && mfc::mb_inc(last) == s.c_str() + s.size() && !mfc::mb_lead(static_cast<uint8_t>(*last));
}

size_t find_backslash_star(const std::string& s) {
  for (const char* p = s.c_str(); *p; p = mfc::mb_inc(p))
    if (*p == '\\' && std::strncmp(p + 1, "*.*", 3) == 0) return static_cast<size_t>(p - s.c_str());
  return std::string::npos;
}

}  // namespace

void CZip::add_token(std::string tok, int depth) {
  if (!tok.empty() && tok[0] == '@') {
    // A list file: each line split again. One that cannot be opened adds nothing.
    if (depth >= 16) return;
    auto f = mfc::rt_fopen(tok.c_str() + 1, "rb");
    if (!f) return;
    std::string line;
    while (f->gets(line)) {
      std::string t = mfc::mb_trim(line);
      if (!t.empty()) split_command_line(t.c_str(), depth + 1);
    }
    return;
  }
  if (ends_with_char(tok, '/') || ends_with_char(tok, '\\')) {
    work_dir_ = tok;
    return;
  }
  size_t cut = find_backslash_star(tok);
  if (cut != std::string::npos) tok.erase(cut);
  args_.push_back(std::move(tok));
}

void CZip::split_command_line(const char* cmd, int depth) {
  if (!cmd) return;
  const char* p = cmd;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string tok;
    if (*p == '"') {
      const char* start = ++p;
      while (*p && *p != '"') p = mfc::mb_inc(p);
      tok.assign(start, p);
      if (*p == '"') ++p;
    } else {
      const char* start = p;
      while (*p && *p != ' ' && *p != '\t') p = mfc::mb_inc(p);
      tok.assign(start, p);
    }
    add_token(std::move(tok), depth);
  }
}

// ---------------------------------------------------------------- the worker

int CZip::run_command(HWND hwnd, const char* cmdline) {
  mfc::SavedCurrentDir saved;
  args_.assign(1, "Zip");
  work_dir_.clear();
  split_command_line(cmdline, 0);
  if (!work_dir_.empty()) {
    std::string wd = work_dir_;
    if (wd.size() > 3 && wd[wd.size() - 2] != ':' && ends_with_char(wd, '\\')) wd.pop_back();
    SetCurrentDirectoryA(wd.c_str());
  }
  hwnd_ = hwnd;
  if (hwnd && !dlg_) {
    wnd_.Attach(hwnd);
    dlg_ = new (std::nothrow) CDlgExtMsg();
    if (dlg_ && !dlg_->Create(&wnd_, CDlgExtMsg::Compress)) {
      delete dlg_;
      dlg_ = nullptr;
    }
  }
  int r = zip_main();
  if (dlg_) {
    dlg_->DestroyWindow();   // deletes the dialog
    dlg_ = nullptr;
    wnd_.Detach();
  }
  saved.restore();
  return r;
}

int CZip::cancelled() {
  if (!dlg_ || !dlg_->Cancelled()) return 0;
  // Both files closed, the temporary file removed (or the old directory put back when appending).
  return ziperr(ZE_ABORT, nullptr);
}

int CZip::apply_option(char c, int& pos, bool& have_action, bool names_given) {
  enum { P_ARCHIVE, P_TEMPPATH, P_DATE, P_NAMES, P_PATTERNS };
  switch (c) {
    case '$': volume_label_ = true; break;
    case '0': level_ = 0; store_only_ = true; break;
    case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9':
      level_ = c - '0';
      break;
    case '?': case 'H': case 'h': return -1;
    case '@': case 'p': break;
    case 'A': adjust_ = true; break;
    case 'D': dirnames_ = false; break;
    case 'F': ++fix_; break;
    case 'J': junk_sfx_ = true; break;
    case 'S': hidden_files_ = true; break;
    case 'X': extra_fields_ = false; break;
    case 'b':
      if (!zipfile_.empty() || pos != P_ARCHIVE) return ziperr(ZE_PARMS, "use -b before zip file name");
      pos = P_TEMPPATH;
      break;
    case 'd': case 'f': case 'u':
      if (have_action) return ziperr(ZE_PARMS, "specify just one action");
      have_action = true;
      action_ = c == 'd' ? REMOVE : c == 'f' ? FRESHEN : UPDATE;
      break;
    case 'e': return ziperr(ZE_PARMS, "encryption not supported");
    case 'g': grow_ = true; break;
    case 'i': case 'x':
      if (!(names_given || (pos != P_ARCHIVE && (action_ == UPDATE || action_ == FRESHEN))))
        return ziperr(ZE_PARMS, "nothing to select from");
      pos = P_PATTERNS;
      break;
    case 'j': pathput_ = false; break;
    case 'k': dosify_ = true; break;
    case 'l': ++translate_eol_; break;
    case 'm': dispose_ = true; break;
    case 'n': special_.clear(); break;
    case 'o': latest_ = true; break;
    case 'q':
      noisy_ = false;
      if (verbose_ > 0) --verbose_;
      break;
    case 'r': recurse_ = true; break;
    case 't':
      if (have_before_) return ziperr(ZE_PARMS, "can only have one -t");
      pos = P_DATE;
      break;
    case 'v':
      noisy_ = true;
      ++verbose_;
      break;
    case 'z': comadd_ = true; break;
    default: {
      char t[40];
      std::snprintf(t, sizeof t, "no such option: %c", c);
      return ziperr(ZE_PARMS, t);
    }
  }
  return 0;
}

int CZip::zip_main() {
  enum { P_ARCHIVE, P_TEMPPATH, P_DATE, P_NAMES, P_PATTERNS };
  // Every setting back to its default.
  action_ = ADD;
  level_ = 6;
  store_only_ = recurse_ = dispose_ = dosify_ = hidden_files_ = volume_label_ = false;
  pathput_ = dirnames_ = extra_fields_ = noisy_ = true;
  special_ = ".Z:.zip:.zoo:.arc:.lzh:.arj";
  translate_eol_ = verbose_ = fix_ = 0;
  adjust_ = junk_sfx_ = grow_ = latest_ = have_before_ = comadd_ = false;
  before_ = 0;
  tempath_.clear();
  zipfile_.clear();
  tempzip_.clear();
  tempzf_.reset();
  zfiles_.clear();
  zsort_.clear();
  zcomment_.clear();
  found_.clear();
  zipbeg_ = cenbeg_ = 0;
  tempzn_ = 0;
  archive_state_ = 0;
  error_reports_ = 0;
  result_ = 0;
  incomplete_ = false;
  if (!deflater_) {
    deflater_.reset(new (std::nothrow) Deflater());
    if (!deflater_) return ziperr(ZE_MEM, "was initializing");
  }

  build_patterns();

  int pos = P_ARCHIVE;
  bool have_action = false, have_archive = false, names_given = false, suffix_pending = false;
  size_t first_name = 0;
  for (size_t i = 1; i < args_.size(); ++i) {
    const std::string& a = args_[i];
    if (a.size() > 1 && a[0] == '-') {
      if (pos == P_PATTERNS && a.find_first_of("ix") == std::string::npos) pos = have_archive ? P_NAMES : P_ARCHIVE;
      for (size_t k = 1; k < a.size(); ++k) {
        if (a[k] == 'n') suffix_pending = true;
        int r = apply_option(a[k], pos, have_action, names_given);
        if (r == -1) return 0;   // -h: nothing done
        if (r) return result_;
      }
      continue;
    }
    if (a == "-") {
      if (pos == P_ARCHIVE) {
        pos = P_NAMES;
        have_archive = true;
        continue;
      }
      if (pos == P_TEMPPATH) return ziperr(ZE_PARMS, "invalid path");
      if (pos == P_DATE) return ziperr(ZE_PARMS, "invalid time");
    }
    if (suffix_pending) {
      special_ = a;
      suffix_pending = false;
      continue;
    }
    switch (pos) {
      case P_ARCHIVE: {
        std::string n = a;
        mfc::mb_replace(n, '\\', '/');
        size_t slash = mfc::mb_rfind(n, '/');
        size_t dot = mfc::mb_rfind(n, '.');
        if (!adjust_ && !n.empty() && (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
          n += ".ZIP";
        if (n.empty()) return ziperr(ZE_MEM, "was processing arguments");
        zipfile_ = n;
        have_archive = true;
        pos = P_NAMES;
        if (int r = readzipfile()) {
          std::string name = n;
          return ziperr(r, name.c_str());
        }
        break;
      }
      case P_TEMPPATH:
        tempath_ = a;
        pos = P_ARCHIVE;
        break;
      case P_DATE: {
        int m = 0, d = 0, y = 0;
        char extra;
        if (std::sscanf(a.c_str(), "%2d%2d%2d%c", &m, &d, &y, &extra) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
          return ziperr(ZE_PARMS, "invalid date entered for -t option");
        y += y < 80 ? 2000 : 1900;
        before_ = dostime(y, m, d, 0, 0, 0);
        have_before_ = true;
        pos = have_archive ? P_NAMES : P_ARCHIVE;
        break;
      }
      case P_NAMES: {
        if (!first_name) first_name = i;
        names_given = true;
        int r = (action_ == ADD || action_ == UPDATE) ? wild(a) : procname(a);
        if (r == -1)
          zipwarn("name not matched: ", a.c_str());
        else if (r)
          return ziperr(r, a.c_str()), result_;
        break;
      }
      default: break;   // patterns: already collected
    }
    if (error_reports_) return result_;
  }
  if (error_reports_) return result_;

  // 1. Update or freshen everything.
  if ((action_ == UPDATE || action_ == FRESHEN) && !names_given)
    for (auto& z : zfiles_) z->mark = patterns_.empty() ? 1 : filter(z->zname);
  // 2. Duplicates.
  if (int r = check_dups()) {
    ziperr(r, r == ZE_PARMS ? "cannot repeat names in zip file" : "was processing list of files");
    return result_;
  }
  // 3. Suffix list.
  if (suffix_pending || special_.empty()) return ziperr(ZE_PARMS, "missing suffix list"), result_;
  if (level_ == 9 || special_ == ";" || special_ == ":") special_.clear();
  // 4, 5.
  if (action_ == REMOVE && (store_only_ || dispose_ || recurse_ || comadd_))
    return ziperr(ZE_PARMS, "invalid option(s) used with -d"), result_;
  if (fix_ && adjust_) {
    zipwarn("can't use -F with -A, -F ignored", "");
    fix_ = 0;
  }
  // 6. An archive without entries.
  if (zfiles_.empty()) {
    if ((action_ == ADD && grow_) || action_ == REMOVE) {
      zipwarn(zipfile_.c_str(), " が見つからないか、または空です。");
      finish();
      return ZE_NAME;
    }
    if (action_ == UPDATE || action_ == FRESHEN) action_ = ADD;
  }
  // 7. Marked entries against the disk.
  for (auto& z : zfiles_) {
    if (action_ == REMOVE) continue;
    uint32_t t = filetime(z->name, nullptr, nullptr);
    const bool in_limit = t != 0 && (!have_before_ || t >= before_);
    if (z->mark) {
      if (!in_limit || ((action_ == UPDATE || action_ == FRESHEN) && t <= z->tim)) z->mark = 0;
    } else {
      z->trash = in_limit;
    }
  }
  // 8. New files.
  {
    std::vector<FEntry> keep;
    for (FEntry& f : found_) {
      if (action_ == FRESHEN || action_ == REMOVE) continue;
      uint32_t t = filetime(f.name, nullptr, nullptr);
      if (t == 0 || (have_before_ && t < before_)) continue;
      if (f.name == zipfile_) continue;
      keep.push_back(std::move(f));
    }
    found_ = std::move(keep);
  }
  // 9. Nothing to do.
  const bool any_marked = std::any_of(zfiles_.begin(), zfiles_.end(), [](auto& z) { return z->mark != 0; });
  if (!any_marked && found_.empty() && (zfiles_.empty() || !(latest_ || fix_ || adjust_ || junk_sfx_ || comadd_))) {
    if (action_ == UPDATE || action_ == FRESHEN) {
      finish();
      return 0;
    }
    if (zfiles_.empty() && (latest_ || fix_ || adjust_ || junk_sfx_)) return ziperr(ZE_NAME, zipfile_.c_str()), result_;
    std::string text = zipfile_;
    if (recurse_ && patterns_.empty() && first_name) {
      text = "try: zip";
      for (size_t i = 1; i < first_name; ++i) text += " " + args_[i];
      text += " . -i";
      for (size_t i = first_name; i < args_.size(); ++i) text += " " + args_[i];
    }
    return ziperr(ZE_NONE, text.c_str()), result_;
  }
  // 10. Append in place?
  const bool has_old = !zfiles_.empty() || zipbeg_ > 0;
  const bool append = grow_ && !any_marked && has_old;
  // 11. Writability.
  DWORD attrs = 0;
  if (!(!tempath_.empty() && !has_old)) {
    auto t = mfc::rt_fopen(zipfile_.c_str(), has_old ? "r+b" : "wb");
    if (!t) return ziperr(ZE_CREAT, zipfile_.c_str()), result_;
    t->close();
    attrs = GetFileAttributesA(zipfile_.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) attrs = 0;
    if (!has_old) DeleteFileA(zipfile_.c_str());
  }
  // 12.
  if (junk_sfx_) zipbeg_ = 0;
  // 13. Opening.
  std::unique_ptr<mfc::RtStream> in;
  if (!append) {
    if (has_old) {
      in = mfc::rt_fopen(zipfile_.c_str(), "rb");
      if (!in) return ziperr(ZE_NAME, zipfile_.c_str()), result_;
    }
    tempzip_ = tempname();
    if (tempzip_.empty()) return ziperr(ZE_MEM, "allocating temp filename"), result_;
    tempzf_ = mfc::rt_fopen(tempzip_.c_str(), "wbST");
    if (!tempzf_) {
      std::string t = tempzip_;
      DeleteFileA(t.c_str());
      tempzip_.clear();
      return ziperr(ZE_TEMP, t.c_str()), result_;
    }
    tempzn_ = 0;
  } else {
    tempzf_ = mfc::rt_fopen(zipfile_.c_str(), "r+b");
    if (!tempzf_) return ziperr(ZE_NAME, zipfile_.c_str()), result_;
    tempzip_ = zipfile_;
    if (tempzf_->seek(cenbeg_, 0) != 0) return ziperr(tempzf_->error() ? ZE_READ : ZE_EOF, zipfile_.c_str()), result_;
    tempzn_ = static_cast<uint64_t>(cenbeg_);
  }
  // 14.
  if (tempzf_->setvbuf(16384) != 0) return ziperr(ZE_MEM, tempzip_.c_str()), result_;
  // 15. Data before the first entry.
  if (!append && in) {
    if (int r = copy_prefix(*in)) return ziperr(r, r == ZE_TEMP ? tempzip_.c_str() : zipfile_.c_str()), result_;
  }
  // 16. Old entries.
  auto skipped = [&](int r, const ZEntry& z) {
    if (r == ZE_OPEN) {
      zipwarn_system(input_errno_);
      zipwarn("could not open for reading: ", z.name.c_str());
    }
    else if (r == -1)
      zipwarn("file and directory with the same name: ", z.name.c_str());
    else if (r == ZE_BIG)
      zipwarn("file too large for the zip format: ", z.name.c_str());
    incomplete_ = true;
  };
  auto is_skip = [](int r) { return r == ZE_OPEN || r == -1 || r == ZE_READ || r == ZE_BIG; };
  for (size_t i = 0; i < zfiles_.size();) {
    if (cancelled()) return result_;
    ZEntry& z = *zfiles_[i];
    if (z.mark && action_ == REMOVE) {
      if (dlg_) {
        dlg_->SetStep("deleting...");
        dlg_->SetFile(z.name.c_str(), 0, 0);
      }
      zfiles_.erase(zfiles_.begin() + static_cast<ptrdiff_t>(i));
      continue;
    }
    if (z.mark) {
      if (dlg_) dlg_->SetStep("updating...");
      ZEntry saved = z;
      int r = zipup(z);
      if (error_reports_) return result_;
      if (is_skip(r)) {
        skipped(r, saved);
        z = saved;
        z.mark = 0;
        zipwarn("will just copy entry over: ", z.iname.c_str());
        if (!append && in) {
          if (int c = zipcopy(z, *in)) {
            CString t;
            t.Format("was copying %s", z.iname.c_str());
            return ziperr(c, t), result_;
          }
        }
      } else if (r) {
        CString t;
        t.Format("was zipping %s", z.name.c_str());
        return ziperr(r, t), result_;
      }
    } else if (!append) {
      if (int c = zipcopy(z, *in)) {
        CString t;
        t.Format("was copying %s", z.iname.c_str());
        return ziperr(c, t), result_;
      }
    }
    ++i;
  }
  if (cancelled()) return result_;
  // 17. New files.
  for (const FEntry& f : found_) {
    if (cancelled()) return result_;
    if (zfiles_.size() >= ZIP_MAX_ENTRIES) {
      zipwarn("too many entries for the zip format, not added: ", f.name.c_str());
      incomplete_ = true;
      continue;
    }
    auto z = std::unique_ptr<ZEntry>(new (std::nothrow) ZEntry());
    if (!z) return ziperr(ZE_MEM, "was adding files to zip file"), result_;
    z->name = f.name;
    z->iname = f.iname;
    z->zname = f.zname;
    z->dosflag = f.dosflag;
    if (dlg_) dlg_->SetStep("adding...");
    int r = zipup(*z);
    if (error_reports_) return result_;
    if (r == 0) {
      z->mark = 1;
      zfiles_.push_back(std::move(z));
    } else if (is_skip(r)) {
      skipped(r, *z);
    } else {
      CString t;
      t.Format("was zipping %s", f.name.c_str());
      return ziperr(r, t), result_;
    }
  }
  if (cancelled()) return result_;
  // 18. Central directory and end record.
  if (int r = write_central_and_end()) return ziperr(r, tempzip_.c_str()), result_;
  if (append) tempzf_->truncate(static_cast<int64_t>(tempzn_));
  {
    const int closed = tempzf_->close();
    tempzf_.reset();
    if (closed != 0) return ziperr(append ? ZE_WRITE : ZE_TEMP, tempzip_.c_str()), result_;
  }
  if (in) in->close();
  in.reset();
  // 19. Replace the old archive.
  if (!append) {
    if (int r = replace(zipfile_, tempzip_)) {
      zipwarn("new zip file left as: ", tempzip_.c_str());
      tempzip_.clear();   // it stays
      return ziperr(r, "was replacing the original zip file"), result_;
    }
    tempzip_.clear();
    if (attrs) SetFileAttributesA(zipfile_.c_str(), attrs);
  } else {
    tempzip_.clear();
  }
  // 20.
  finish();
  zfiles_.clear();
  zsort_.clear();
  return incomplete_ ? ZE_OPEN : 0;
}

}  // namespace zipvault
