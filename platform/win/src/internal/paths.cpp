#include "internal/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "codepages/casemap.h"
#include "internal/text.h"
#include "winerror.h"

namespace winplat {

// The code pages' simple upper-case mapping, so that names compare as CharUpperW and
// CompareStringW do.
char16_t FoldCase(char16_t c) { return cp::ToUpper(c); }

std::u16string FoldCase(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) c = FoldCase(c);
  return out;
}

bool NamesEqualNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

namespace {

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// The platform drops trailing dots and blanks of a name ("file." opens "file").
std::u16string_view TrimComponent(std::u16string_view c) {
  if (c == u"." || c == u"..") return c;
  size_t n = c.size();
  while (n > 0 && (c[n - 1] == u'.' || c[n - 1] == u' ')) --n;
  return n == 0 ? c : c.substr(0, n);
}

std::vector<std::u16string> SplitNormalized(std::u16string_view path) {
  std::u16string full;
  bool absolute = false;
  size_t i = 0;
  if (path.size() >= 2 && IsLetter(path[0]) && path[1] == u':') {
    absolute = true;  // a drive means the root, with or without a separator after it
    i = 2;
  } else if (!path.empty() && IsSep(path[0])) {
    absolute = true;
  }
  std::vector<std::u16string> parts;
  if (!absolute) {
    char buf[4096];
    if (getcwd(buf, sizeof buf)) {
      std::u16string cwd = Utf8ToWide(buf);
      size_t s = 0;
      for (size_t k = 0; k <= cwd.size(); ++k) {
        if (k == cwd.size() || cwd[k] == u'/') {
          if (k > s) parts.emplace_back(cwd.substr(s, k - s));
          s = k + 1;
        }
      }
    }
  }
  size_t start = i;
  for (size_t k = i; k <= path.size(); ++k) {
    if (k == path.size() || IsSep(path[k])) {
      if (k > start) {
        std::u16string_view comp = TrimComponent(path.substr(start, k - start));
        if (comp == u"..") {
          if (!parts.empty()) parts.pop_back();
        } else if (comp != u".") {
          parts.emplace_back(comp);
        }
      }
      start = k + 1;
    }
  }
  return parts;
}

bool Exists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

// The entry of folder `dir` whose name equals `name` ignoring case; "" when none. Several case
// variants: the first in byte order, so the choice does not depend on the directory order.
std::string FindCaseVariant(const std::string& dir, std::u16string_view name) {
  DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
  if (!d) return {};
  std::string best;
  const std::u16string folded = FoldCase(name);
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    if (FoldCase(Utf8ToWide(n)) == folded && (best.empty() || n < best)) best = n;
  }
  closedir(d);
  return best;
}

}  // namespace

std::u16string FullPathLexical(std::u16string_view path) {
  if (path.empty()) return {};
  std::u16string out;
  for (const auto& p : SplitNormalized(path)) {
    out += u'/';
    out += p;
  }
  return out.empty() ? u"/" : out;
}

std::string ResolvePath(std::u16string_view path, PathIntent intent) {
  (void)intent;  // both intents resolve alike: an existing case variant always wins
  if (path.empty()) return {};
  const std::vector<std::u16string> parts = SplitNormalized(path);
  std::string whole;
  for (const auto& comp : parts) whole += "/" + WideToUtf8(comp);
  if (whole.empty()) return "/";
  if (Exists(whole)) return whole;  // the common case: the name exists as given
  std::string cur;
  bool searching = true;
  for (const auto& comp : parts) {
    const std::string utf8 = WideToUtf8(comp);
    std::string candidate = cur + "/" + utf8;
    if (searching && !Exists(candidate)) {
      std::string variant = FindCaseVariant(cur, comp);
      if (!variant.empty()) {
        candidate = cur + "/" + variant;
      } else {
        searching = false;  // nothing below a missing folder can exist
      }
    }
    cur = std::move(candidate);
  }
  return cur.empty() ? "/" : cur;
}

bool CheckNameCharacters(std::u16string_view path) {
  for (char16_t c : path) {
    if (c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*') {
      SetLastError(ERROR_INVALID_NAME);
      return false;
    }
  }
  return true;
}

std::string ResolvePathA(std::string_view ansiPath, PathIntent intent) {
  return ResolvePath(AnsiToWide(ansiPath), intent);
}

namespace {

// Mask elements after the platform's translation of '?', '*' and '.'.
constexpr char16_t kAny = 0xF001;       // '*'
constexpr char16_t kDosStar = 0xF002;   // '*' before '.': any run that stops short of the last dot
constexpr char16_t kDosQm = 0xF003;     // '?': one character, or none at a dot or at the end
constexpr char16_t kDosDot = 0xF004;    // '.' before a wildcard or at the end: a dot, or the end

// Matching with a memo of (mask position, name position) pairs already known to fail, so
// masks with many stars stay quadratic instead of exponential.
class Matcher {
 public:
  Matcher(const std::u16string& m, std::u16string_view n)
      : m_(m), n_(n), lastDot_(n.rfind(u'.')), failed_((m.size() + 1) * (n.size() + 1), 0) {}
  bool Match(size_t mi, size_t ni) {
    char& seen = failed_[mi * (n_.size() + 1) + ni];
    if (seen) return false;
    const bool r = Step(mi, ni);
    if (!r) seen = 1;
    return r;
  }

 private:
  bool Step(size_t mi, size_t ni) {
    if (mi == m_.size()) return ni == n_.size();
    const char16_t c = m_[mi];
    if (c == kAny) {
      for (size_t k = ni; k <= n_.size(); ++k)
        if (Match(mi + 1, k)) return true;
      return false;
    }
    if (c == kDosStar) {
      // May take characters up to, not past, the last dot of the name.
      const size_t limit = (lastDot_ != std::u16string_view::npos && lastDot_ >= ni) ? lastDot_ : n_.size();
      for (size_t k = ni; k <= limit; ++k)
        if (Match(mi + 1, k)) return true;
      return false;
    }
    if (c == kDosQm) {
      if (ni == n_.size() || n_[ni] == u'.') return Match(mi + 1, ni);  // matches nothing here
      return Match(mi + 1, ni + 1);
    }
    if (c == kDosDot) {
      if (ni == n_.size()) return Match(mi + 1, ni);
      return n_[ni] == u'.' && Match(mi + 1, ni + 1);
    }
    return ni < n_.size() && FoldCase(c) == FoldCase(n_[ni]) && Match(mi + 1, ni + 1);
  }

  const std::u16string& m_;
  std::u16string_view n_;
  size_t lastDot_;
  std::vector<char> failed_;
};

}  // namespace

bool MatchFindMask(std::u16string_view mask, std::u16string_view name) {
  if (mask == u"*" || mask == u"*.*") return true;
  std::u16string m;
  for (size_t i = 0; i < mask.size(); ++i) {
    const char16_t c = mask[i];
    const char16_t next = i + 1 < mask.size() ? mask[i + 1] : 0;
    if (c == u'?') {
      m += kDosQm;
    } else if (c == u'*') {
      m += next == u'.' ? kDosStar : kAny;
    } else if (c == u'.' && (next == u'?' || next == u'*' || next == 0)) {
      m += kDosDot;
    } else {
      m += c;
    }
  }
  return Matcher(m, name).Match(0, 0);
}

std::string ParentOf(const std::string& p) {
  const size_t slash = p.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return p.substr(0, slash);
}

std::string LeafOf(const std::string& p) {
  const size_t slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

DWORD ErrorFromErrno(int err, const std::string& linuxPath) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: {
      if (linuxPath.empty()) return ERROR_PATH_NOT_FOUND;
      struct stat st;
      const std::string parent = ParentOf(linuxPath);
      return (stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? ERROR_FILE_NOT_FOUND
                                                                      : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ELOOP: return ERROR_INVALID_NAME;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case EIO: return ERROR_GEN_FAILURE;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    default: return ERROR_GEN_FAILURE;
  }
}

void SetLastErrorFromErrno(int err, const std::string& linuxPath) {
  SetLastError(ErrorFromErrno(err, linuxPath));
}

}  // namespace winplat
