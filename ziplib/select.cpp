// File selection: folder walks, the wildcard matcher, disk and stored names, the include and
// exclude patterns, the duplicate check, and the small file routines of the compression side.
// Names are ANSI text; they are stepped character by character (double-byte aware), so a trail
// byte is never taken for '\', '/' or a wildcard.
#include <algorithm>
#include <cstring>

#include "ziplib/zip.h"

namespace zipvault {

namespace {

size_t char_len(const char* p) { return static_cast<size_t>(mfc::mb_inc(p) - p); }

unsigned char fold(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

// One character of each, equal ignoring the case of single-byte letters.
bool char_eq(const char* a, const char* b) {
  size_t la = char_len(a), lb = char_len(b);
  if (la != lb) return false;
  if (la == 1) return fold(static_cast<unsigned char>(*a)) == fold(static_cast<unsigned char>(*b));
  return std::memcmp(a, b, la) == 0;
}

bool eq_nocase(const char* a, const char* b) {
  while (*a && *b) {
    if (!char_eq(a, b)) return false;
    a = mfc::mb_inc(a);
    b = mfc::mb_inc(b);
  }
  return *a == *b;
}

unsigned char_code(const char* p) {
  size_t n = char_len(p);
  return n == 2 ? (static_cast<unsigned char>(p[0]) << 8) | static_cast<unsigned char>(p[1])
                : static_cast<unsigned char>(p[0]);
}

bool has_wildcard(const std::string& s) {
  for (const char* p = s.c_str(); *p; p = mfc::mb_inc(p))
    if (*p == '*' || *p == '?' || *p == '[') return true;
  return false;
}

bool is_dot_dir(const char* n) { return !std::strcmp(n, ".") || !std::strcmp(n, ".."); }

}  // namespace

int CZip::dosmatch(const char* p, const char* s) {
  if (eq_nocase(p, s)) return 1;
  while (*p) {
    if (*p == '*') {
      ++p;
      if (!*p) return 1;
      for (; *s; s = mfc::mb_inc(s)) {
        int r = dosmatch(p, s);
        if (r != 0) return r;
      }
      return 2;
    }
    if (!*s) return 0;
    if (*p == '?') {
      ++p;
      s = mfc::mb_inc(s);
      continue;
    }
    if (*p == '[') {
      const char* q = p + 1;
      bool negate = false;
      if (*q == '!' || *q == '^') {
        negate = true;
        ++q;
      }
      const unsigned c = char_code(s);
      const unsigned cf = char_len(s) == 1 ? fold(static_cast<unsigned char>(c)) : c;
      bool in = false;
      bool closed = false;
      unsigned prev = 0;
      bool have_prev = false;
      while (*q) {
        if (*q == ']' ) {
          closed = true;
          ++q;
          break;
        }
        if (*q == '-' && have_prev && q[1] && q[1] != ']') {
          ++q;
          if (*q == '\\' && q[1]) ++q;
          unsigned hi = char_code(q);
          unsigned lo = prev;
          if (hi < 0x100 && lo < 0x100) {
            if ((cf >= fold(static_cast<unsigned char>(lo)) && cf <= fold(static_cast<unsigned char>(hi))) ||
                (c >= lo && c <= hi))
              in = true;
          } else if (c >= lo && c <= hi) {
            in = true;
          }
          q = mfc::mb_inc(q);
          have_prev = false;
          continue;
        }
        if (*q == '\\' && q[1]) ++q;
        prev = char_code(q);
        have_prev = true;
        if (prev == c || (prev < 0x100 && char_len(s) == 1 && fold(static_cast<unsigned char>(prev)) == cf)) in = true;
        q = mfc::mb_inc(q);
      }
      if (!closed) return 0;   // an unclosed class matches nothing
      if (in == negate) return 0;
      p = q;
      s = mfc::mb_inc(s);
      continue;
    }
    if (!char_eq(p, s)) return 0;
    p = mfc::mb_inc(p);
    s = mfc::mb_inc(s);
  }
  return *s == 0 ? 1 : 0;
}

// ---------------------------------------------------------------- names

bool CZip::dos_volume(const std::string& name) {
  std::string root = "\\";
  if (name.size() >= 2 && name[1] == ':' && ((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z')) root = name.substr(0, 2) + "\\";
  DWORD len = 0;
  if (!mfc::rt_max_component_length(root.c_str(), &len)) return false;
  return len <= 12;
}

std::string CZip::to_dos_form(const std::string& c, bool) {
  // ':' and blanks dropped, the first '.' starts the extension, 8 + 3 characters, upper case.
  std::string base, ext;
  bool in_ext = false, ext_done = false;
  for (const char* p = c.c_str(); *p; p = mfc::mb_inc(p)) {
    size_t n = char_len(p);
    if (n == 1 && (*p == ':' || *p == ' ')) continue;
    if (n == 1 && *p == '.') {
      if (in_ext) ext_done = true;
      in_ext = true;
      continue;
    }
    if (ext_done) continue;
    std::string& dst = in_ext ? ext : base;
    const size_t limit = in_ext ? 3 : 8;
    if (dst.size() + n > limit) continue;
    if (n == 1)
      dst += static_cast<char>(fold(static_cast<unsigned char>(*p)));
    else
      dst.append(p, n);
  }
  return in_ext ? base + "." + ext : base;
}

std::string CZip::ex2in(const std::string& x, bool isdir, bool* dosflag) {
  bool dos = dosify_ || dos_volume(x);
  if (dosflag) *dosflag = dos;
  std::string n = x;
  mfc::mb_replace(n, '\\', '/');
  size_t i = 0;
  if (n.size() >= 2 && n[1] == ':' && static_cast<unsigned char>(n[0]) < 0x80) i = 2;
  while (i < n.size() && n[i] == '/') ++i;
  while (n.compare(i, 2, "./") == 0) {
    i += 2;
    while (i < n.size() && n[i] == '/') ++i;
  }
  n.erase(0, i);
  if (n == ".") n.clear();
  if (!pathput_) {
    size_t slash = mfc::mb_rfind(n, '/');
    if (slash != std::string::npos) n.erase(0, slash + 1);
  }
  if (dosify_) {
    std::string out, comp;
    for (const char* p = n.c_str();; p = mfc::mb_inc(p)) {
      if (!*p || *p == '/') {
        if (!comp.empty()) out += to_dos_form(comp, true);
        if (!*p) break;
        out += '/';
        comp.clear();
        continue;
      }
      comp.append(p, char_len(p));
    }
    n = out;
  }
  (void)isdir;
  return n;
}

std::string CZip::in2ex(const std::string& n) {
  mfc::RtStat st;
  if (mfc::rt_stat(n.c_str(), &st)) return n;
  // An 8.3 form of each component.
  static const char bad[] = ":;,=+\"[]<>| \t";
  std::string out, comp;
  auto flush = [&] {
    size_t last_dot = mfc::mb_rfind(comp, '.');
    std::string base = last_dot == std::string::npos ? comp : comp.substr(0, last_dot);
    std::string ext = last_dot == std::string::npos ? std::string() : comp.substr(last_dot + 1);
    auto reduce = [&](const std::string& s, size_t limit) {
      std::string r;
      size_t chars = 0;
      for (const char* p = s.c_str(); *p && chars < limit; p = mfc::mb_inc(p), ++chars) {
        size_t len = char_len(p);
        if (len == 1 && (*p == '.' || std::strchr(bad, *p)))
          r += '_';
        else
          r.append(p, len);
      }
      return r;
    };
    out += reduce(base, 8);
    if (last_dot != std::string::npos) out += "." + reduce(ext, 3);
    comp.clear();
  };
  for (const char* p = n.c_str();; p = mfc::mb_inc(p)) {
    if (!*p || *p == '/') {
      flush();
      if (!*p) break;
      out += '/';
      continue;
    }
    comp.append(p, char_len(p));
  }
  return out;
}

// ---------------------------------------------------------------- patterns

int CZip::filter(const std::string& name) const {
  if (patterns_.empty()) return 1;
  int keep = icount_ == 0 ? 1 : 0;
  for (const Pattern& p : patterns_) {
    if (dosmatch(p.zname.c_str(), name.c_str()) == 1) {
      if (p.kind == 'x') return 0;
      keep = 1;
    }
  }
  return keep;
}

int CZip::build_patterns() {
  patterns_.clear();
  icount_ = 0;
  char kind = 0;
  for (size_t i = 1; i < args_.size(); ++i) {
    const std::string& a = args_[i];
    if (a.size() > 1 && a[0] == '-') {
      if (a.find('i') != std::string::npos)
        kind = 'i';
      else if (a.find('x') != std::string::npos)
        kind = 'x';
      else
        kind = 0;
      continue;
    }
    if (!kind) continue;
    bool dummy;
    bool keep_path = pathput_;
    pathput_ = true;
    std::string z = ex2in(a, false, &dummy);
    pathput_ = keep_path;
    patterns_.push_back({z, kind});
    if (kind == 'i') ++icount_;
  }
  return 0;
}

int CZip::check_dups() {
  // Exact duplicates of a disk name go (the first stays); the selection keeps its order.
  {
    std::vector<size_t> order(found_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return found_[a].name < found_[b].name; });
    std::vector<bool> drop(found_.size(), false);
    for (size_t i = 1; i < order.size(); ++i)
      if (found_[order[i]].name == found_[order[i - 1]].name) drop[order[i]] = true;
    std::vector<FEntry> keep;
    for (size_t i = 0; i < found_.size(); ++i)
      if (!drop[i]) keep.push_back(std::move(found_[i]));
    found_ = std::move(keep);
  }
  std::vector<const FEntry*> by_stored;
  for (const FEntry& f : found_) by_stored.push_back(&f);
  std::stable_sort(by_stored.begin(), by_stored.end(), [](const FEntry* a, const FEntry* b) { return a->iname < b->iname; });
  for (size_t i = 1; i < by_stored.size(); ++i) {
    if (by_stored[i - 1]->iname == by_stored[i]->iname) {
      zipwarn("name in zip file repeated: ", by_stored[i]->iname.c_str());
      zipwarn("  first full name: ", by_stored[i - 1]->name.c_str());
      zipwarn(" second full name: ", by_stored[i]->name.c_str());
      return ZE_PARMS;
    }
  }
  return 0;
}

// ---------------------------------------------------------------- walking

bool CZip::is_the_archive(const std::string& name) {
  if (archive_state_ == 0) archive_state_ = mfc::rt_identity(zipfile_.c_str(), &archive_id_) ? 2 : 1;
  if (archive_state_ != 2) return false;
  mfc::RtIdentity id;
  return mfc::rt_identity(name.c_str(), &id) && id == archive_id_;
}

int CZip::newname(const std::string& n, bool isdir) {
  bool dosflag = false;
  std::string iname = ex2in(n, isdir, &dosflag);
  if (iname.empty()) {
    if (pathput_) return ziperr(ZE_LOGIC, "empty name without -j");
    return 0;
  }
  std::string zname = iname;
  if (dosflag || !pathput_) {
    bool keep_path = pathput_, keep_dos = dosify_;
    pathput_ = true;
    dosify_ = false;
    bool d;
    zname = ex2in(n, isdir, &d);
    pathput_ = keep_path;
    dosify_ = keep_dos;
  }
  if (ZEntry* z = zsearch(iname)) {
    if (!patterns_.empty() && !filter(zname)) return 0;
    z->mark = 1;
    z->name = n;
    z->dosflag = dosflag;
    return 0;
  }
  if (!patterns_.empty() && !filter(zname)) return 0;
  if (is_the_archive(n)) return 0;
  found_.push_back({n, iname, zname, dosflag});
  return 0;
}

int CZip::procname(const std::string& name) {
  mfc::RtStat st;
  if (mfc::rt_stat(name.c_str(), &st)) {
    std::string n = name;
    mfc::mb_replace(n, '\\', '/');
    if (!st.is_dir) return newname(n, false);
    const bool here = n == "." || n == "/.";
    std::string p = n;
    if (!here && (p.empty() || p.back() != '/')) p += '/';
    if (dirnames_ && !here) {
      if (int r = newname(p, true)) return r;
    }
    if (recurse_) {
      std::string folder = here ? std::string() : p;
      std::vector<std::string> dirs, files;
      WIN32_FIND_DATAA fd;
      std::string mask = (here ? n + "/" : p) + "*.*";
      HANDLE h = FindFirstFileA(mask.c_str(), &fd);
      if (h != INVALID_HANDLE_VALUE) {
        do {
          if (is_dot_dir(fd.cFileName)) continue;
          if (!hidden_files_ && (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) continue;
          ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? dirs : files).push_back(folder + fd.cFileName);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
      }
      for (auto* list : {&dirs, &files}) {
        for (const std::string& e : *list) {
          int r = procname(e);
          if (r == -1)
            zipwarn("name not matched: ", e.c_str());
          else if (r != 0)
            return ziperr(r, e.c_str());
        }
      }
    }
    return 0;
  }
  // Not on disk: archive entries that match.
  bool d;
  std::string p = ex2in(name, false, &d);
  bool any = false;
  for (auto& z : zfiles_) {
    if (dosmatch(p.c_str(), z->iname.c_str()) == 1) {
      z->mark = patterns_.empty() ? 1 : filter(z->zname);
      any = true;
    }
  }
  return any ? 0 : -1;
}

int CZip::wild(const std::string& w) {
  std::string name = w;
  mfc::mb_replace(name, '\\', '/');
  // A name that exists as given is taken as it is (a case twin is not picked up with it).
  {
    mfc::RtStat st;
    if (!has_wildcard(name) && mfc::rt_stat(name.c_str(), &st)) return procname(name);
  }
  {
    bool wc = false;
    for (const char* p = name.c_str(); *p; p = mfc::mb_inc(p)) {
      if (*p == '*' || *p == '?' || *p == '[') wc = true;
      if (wc && (*p == '/' || *p == ':')) return ZE_PARMS;
    }
  }
  std::string folder, part;
  size_t slash = mfc::mb_rfind(name, '/');
  size_t colon = mfc::mb_rfind(name, ':');
  if (slash != std::string::npos && !(slash == 2 && colon == 1)) {
    folder = name.substr(0, slash);
    part = name.substr(slash + 1);
    if (folder.empty()) folder = "/.";
  } else if (colon != std::string::npos) {
    part = name.substr(colon + 1);
    folder = name.substr(0, colon + 1);
    if (!part.empty() && part[0] == '/') {
      folder += "/";
      part.erase(0, 1);
    }
    folder += ".";
  } else if (recurse_ && (name == "." || name == "..")) {
    if (dispose_ && name == "..") return ziperr(ZE_PARMS, "cannot remove parent directory");
    folder = name;
    part = "*.*";
  } else {
    folder = ".";
    part = name;
  }
  if (recurse_ && part.empty()) part = "*.*";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "/*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return -1;
  if (folder.size() >= 2 && folder.compare(folder.size() - 2, 2, ":.") == 0) folder.pop_back();
  else if (folder.size() >= 2 && folder.compare(folder.size() - 2, 2, "/.") == 0) folder.pop_back();
  std::vector<std::string> matches;
  do {
    if (is_dot_dir(fd.cFileName)) continue;
    if (!hidden_files_ && (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) continue;
    if (part == "*.*" || dosmatch(part.c_str(), fd.cFileName) == 1) {
      if (folder == ".")
        matches.push_back(fd.cFileName);
      else if (folder.back() == '/' || folder.back() == ':')
        matches.push_back(folder + fd.cFileName);
      else
        matches.push_back(folder + "/" + fd.cFileName);
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(matches.begin(), matches.end());
  bool all_ok = !matches.empty();
  for (const std::string& m : matches) {
    int r = procname(m);
    if (r == -1) {
      all_ok = false;
      continue;
    }
    if (r != 0) return r;
  }
  return all_ok ? 0 : -1;
}

// ---------------------------------------------------------------- file routines

uint32_t CZip::filetime(const std::string& name, uint32_t* attrs, int64_t* size) {
  std::string n = name;
  if (!n.empty() && n.back() == '/' && n.size() > 1) n.pop_back();
  mfc::RtStat st;
  if (!mfc::rt_stat(n.c_str(), &st)) return 0;
  if (attrs) *attrs = (st.mode << 16) | (st.attrs & 0xFF);
  if (size) *size = st.is_dir ? -1 : st.size;
  return unix2dostime(st.mtime);
}

int CZip::destroy(const std::string& name) {
  if (DeleteFileA(name.c_str())) return 0;
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(name.c_str()) ? 0 : -1;
}

}  // namespace zipvault
