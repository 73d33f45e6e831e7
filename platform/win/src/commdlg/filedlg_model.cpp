// File dialog logic without a window.
#include "commdlg/filedlg_model.h"

#include <algorithm>

#include "codepages/casemap.h"
#include "internal/paths.h"
#include "internal/text.h"
#include "winplat_mode.h"
#include "winbase.h"

namespace winplat::commdlg {

namespace {

bool IsSep(char16_t c) { return c == u'/' || c == u'\\'; }

}  // namespace

std::vector<Filter> ParseFilter(const char16_t* list) {
  std::vector<Filter> out;
  if (!list) return out;
  const char16_t* p = list;
  while (*p) {
    Filter f;
    f.description = p;
    p += f.description.size() + 1;
    if (!*p) break;
    f.patterns = p;
    p += f.patterns.size() + 1;
    out.push_back(std::move(f));
  }
  return out;
}

bool MatchesPatterns(std::u16string_view patterns, std::u16string_view name) {
  if (patterns.empty()) return true;
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(u';', start);
    if (end == std::u16string_view::npos) end = patterns.size();
    std::u16string_view one = patterns.substr(start, end - start);
    while (!one.empty() && one.front() == u' ') one.remove_prefix(1);
    while (!one.empty() && one.back() == u' ') one.remove_suffix(1);
    if (!one.empty() && MatchFindMask(one, name)) return true;
    start = end + 1;
  }
  return false;
}

std::u16string FullFolder(std::u16string_view base, std::u16string_view folder) {
  if (folder.empty()) return FullPathLexical(base);
  bool absolute = IsSep(folder.front()) || (folder.size() >= 2 && folder[1] == u':');
  if (absolute) return FullPathLexical(folder);
  return FullPathLexical(JoinPath(FullPathLexical(base), folder));
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  std::u16string out(folder);
  if (out.empty() || !IsSep(out.back())) out.push_back(u'/');
  out.append(name);
  return out;
}

std::vector<Entry> ListFolder(std::u16string_view folder, std::u16string_view patterns) {
  std::vector<Entry> folders, files;
  std::u16string mask = JoinPath(folder, u"*");
  auto take = [&](std::u16string name, DWORD attributes) {
    if (name.empty() || name[0] == u'.') return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back({std::move(name), true});
    else if (MatchesPatterns(patterns, name)) files.push_back({std::move(name), false});
  };
  if (IsAnsiOnlyPlatform()) {
    WIN32_FIND_DATAA fd{};
    HANDLE h = FindFirstFileA(WideToAnsi(mask).c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do take(AnsiToWide(fd.cFileName), fd.dwFileAttributes);
      while (FindNextFileA(h, &fd));
      FindClose(h);
    }
  } else {
    WIN32_FIND_DATAW fd{};
    HANDLE h = FindFirstFileW(reinterpret_cast<LPCWSTR>(mask.c_str()), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do take(std::u16string(reinterpret_cast<const char16_t*>(fd.cFileName)), fd.dwFileAttributes);
      while (FindNextFileW(h, &fd));
      FindClose(h);
    }
  }
  auto byName = [](const Entry& a, const Entry& b) {
    int c = cp::CompareNoCase(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  std::vector<Entry> out;
  std::u16string full = FullPathLexical(folder);
  if (!(full.empty() || full == u"/")) out.push_back({u"..", true});
  out.insert(out.end(), folders.begin(), folders.end());
  out.insert(out.end(), files.begin(), files.end());
  return out;
}

DWORD FileAttributes(std::u16string_view path) {
  std::u16string p(path);
  if (IsAnsiOnlyPlatform()) return GetFileAttributesA(WideToAnsi(p).c_str());
  return GetFileAttributesW(p.c_str());
}

std::u16string CurrentFolder() {
  if (IsAnsiOnlyPlatform()) {
    char buf[1024] = {};
    DWORD n = GetCurrentDirectoryA(sizeof(buf), buf);
    return n && n < sizeof(buf) ? AnsiToWide(buf) : std::u16string(u"/");
  }
  char16_t buf[1024] = {};
  DWORD n = GetCurrentDirectoryW(1024, buf);
  return n && n < 1024 ? std::u16string(buf) : std::u16string(u"/");
}

bool SetCurrentFolder(std::u16string_view path) {
  std::u16string p(path);
  if (IsAnsiOnlyPlatform()) return SetCurrentDirectoryA(WideToAnsi(p).c_str()) != FALSE;
  return SetCurrentDirectoryW(p.c_str()) != FALSE;
}

std::vector<std::u16string> SplitTypedNames(std::u16string_view typed) {
  std::vector<std::u16string> out;
  size_t q = typed.find(u'"');
  if (q == std::u16string_view::npos) {
    std::u16string one(typed);
    while (!one.empty() && one.back() == u' ') one.pop_back();
    while (!one.empty() && one.front() == u' ') one.erase(0, 1);
    if (!one.empty()) out.push_back(one);
    return out;
  }
  size_t i = 0;
  while (i < typed.size()) {
    size_t a = typed.find(u'"', i);
    if (a == std::u16string_view::npos) break;
    size_t b = typed.find(u'"', a + 1);
    if (b == std::u16string_view::npos) b = typed.size();  // an unclosed quote runs to the end
    std::u16string name(typed.substr(a + 1, b - a - 1));
    if (!name.empty()) out.push_back(name);
    i = b + 1;
  }
  return out;
}

size_t FileNameOffset(std::u16string_view path) {
  for (size_t i = path.size(); i > 0; --i)
    if (IsSep(path[i - 1]) || path[i - 1] == u':') return i;
  return 0;
}

size_t ExtensionOffset(std::u16string_view path) {
  size_t nameAt = FileNameOffset(path);
  size_t dot = path.rfind(u'.');
  if (dot == std::u16string_view::npos || dot < nameAt || dot + 1 == path.size()) return path.size();
  return dot + 1;
}

std::u16string WithDefaultExtension(std::u16string_view name, std::u16string_view defExt) {
  std::u16string out(name);
  if (defExt.empty()) return out;
  size_t nameAt = FileNameOffset(out);
  if (out.find(u'.', nameAt) != std::u16string::npos) return out;
  while (!defExt.empty() && defExt.front() == u'.') defExt.remove_prefix(1);
  out.push_back(u'.');
  out.append(defExt);
  return out;
}

Answer BuildAnswer(std::u16string_view folder, const std::vector<std::u16string>& names, bool multi) {
  Answer a;
  if (names.empty()) return a;
  if (!multi || names.size() == 1) {
    std::u16string full = names.front();
    bool absolute = !full.empty() && (IsSep(full.front()) || (full.size() >= 2 && full[1] == u':'));
    if (!absolute) full = JoinPath(folder, full);
    a.fileOffset = static_cast<WORD>(std::min<size_t>(FileNameOffset(full), 0xFFFF));
    a.extensionOffset = static_cast<WORD>(std::min<size_t>(ExtensionOffset(full), 0xFFFF));
    a.buffer = full;
    a.buffer.push_back(u'\0');
    if (multi) a.buffer.push_back(u'\0');
    return a;
  }
  a.buffer.assign(folder);
  a.buffer.push_back(u'\0');
  a.fileOffset = static_cast<WORD>(std::min<size_t>(a.buffer.size(), 0xFFFF));
  for (auto& n : names) {
    a.buffer.append(n);
    a.buffer.push_back(u'\0');
  }
  a.buffer.push_back(u'\0');
  a.extensionOffset = 0;
  return a;
}

}  // namespace winplat::commdlg
