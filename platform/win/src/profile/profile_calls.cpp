// The private-profile calls. A and W share one implementation on wide text; the A forms convert
// their arguments from the ANSI code page and their answers back to it.
#include <mutex>
#include <string>
#include <vector>
#include "codepages/codec.h"
#include "internal/text.h"
#include "profile/profile_file.h"
#include "profile/profile_io.h"
#include "winerror.h"
#include "winnls.h"
#include "internal/wide_calls.h"
#include "winplat_mode.h"
#include "winprofile.h"

using namespace winplat;
using winplat::profile::ProfileFile;

namespace {

// One writer at a time inside the process: a read-modify-write must not lose another's change.
std::mutex g_writeLock;

// A file that cannot be read leaves `file` empty, ready to become a new ANSI file.
bool Load(const std::u16string& path, ProfileFile& file, DWORD& error) {
  std::string bytes;
  const bool ok = profile::ReadWholeFile(path, bytes, error);
  file = ProfileFile::Parse(ok ? bytes : std::string(), AnsiCodePage());
  return ok;
}

std::optional<std::u16string> Opt(const char16_t* s) {
  if (!s) return std::nullopt;
  return std::u16string(s);
}

std::optional<std::u16string> Opt(const char* s) {
  if (!s) return std::nullopt;
  return AnsiToWide(s);
}

std::u16string ToText(std::u16string s, char16_t) { return s; }
std::string ToText(const std::u16string& s, char) { return WideToAnsi(s); }

// A cut answer is exactly as long as the buffer allows, even inside a character: callers tell
// a cut answer by its count (size - 1 for a value, size - 2 for a list) and ask again with a
// larger buffer, as they do on the platform.
template <typename Ch>
size_t Fit(const std::basic_string<Ch>& s, size_t max) {
  return s.size() <= max ? s.size() : max;
}

// A string into a buffer of n units: cut to n - 1 when it does not fit; returns the count.
template <typename Ch>
DWORD CopyString(const std::basic_string<Ch>& s, Ch* buf, DWORD n) {
  if (!buf || n == 0) return 0;
  const size_t len = Fit(s, n - 1);
  s.copy(buf, len);
  buf[len] = 0;
  return static_cast<DWORD>(len);
}

// How a list meets the end of the buffer.
enum class ListFit {
  Room,      // a list that fits exactly is whole
  NeedsSpare // section names: a list that fills the buffer exactly still counts as cut
};

// NUL-ended strings and a final NUL. A list that does not fit is cut, still ends with two
// NULs, and the count is then n - 2, as the platform reports it.
template <typename Ch>
DWORD CopyList(const std::vector<std::basic_string<Ch>>& items, Ch* buf, DWORD n, ListFit fit = ListFit::Room) {
  if (!buf || n == 0) return 0;
  if (n == 1) {
    buf[0] = 0;
    return 0;
  }
  const size_t spare = fit == ListFit::NeedsSpare ? 1 : 0;
  size_t pos = 0;
  for (const auto& item : items) {
    if (pos + item.size() + 2 + spare > n) {
      // The room left before the two final NULs; when an item just filled it, its own NUL
      // becomes the first of them.
      const size_t start = pos < n - 2 ? pos : n - 2;
      const size_t len = Fit(item, n - 2 - start);
      item.copy(buf + start, len);
      for (size_t i = start + len; i < n; ++i) buf[i] = 0;
      return n - 2;
    }
    item.copy(buf + pos, item.size());
    pos += item.size();
    buf[pos++] = 0;
  }
  buf[pos] = 0;
  if (pos == 0 && n >= 2) buf[1] = 0;
  return static_cast<DWORD>(pos);
}

template <typename Ch>
std::vector<std::basic_string<Ch>> ToTexts(const std::vector<std::u16string>& items) {
  std::vector<std::basic_string<Ch>> out;
  out.reserve(items.size());
  for (const auto& i : items) out.push_back(ToText(i, Ch{}));
  return out;
}

bool StubbedOnAnsiPlatform() { return RefuseWideCall(); }

template <typename Ch>
DWORD GetString(const Ch* app, const Ch* key, const Ch* def, Ch* buf, DWORD n, const Ch* fileName,
                ListFit fit = ListFit::Room) {
  if (!buf || n == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto path = Opt(fileName);
  ProfileFile file;
  DWORD error = ERROR_FILE_NOT_FOUND;
  const bool loaded = path && !path->empty() && Load(*path, file, error);
  if (!app || !key) {
    const std::vector<std::u16string> list = !app ? file.SectionNames() : file.KeyNames(*Opt(app));
    SetLastError(loaded ? ERROR_SUCCESS : error);
    return CopyList(ToTexts<Ch>(list), buf, n, fit);
  }
  if (loaded) {
    if (const auto v = file.Value(*Opt(app), *Opt(key))) {
      SetLastError(ERROR_SUCCESS);
      return CopyString(ToText(*v, Ch{}), buf, n);
    }
  }
  // The default loses its trailing blanks, as the platform's does.
  std::basic_string<Ch> d = def ? std::basic_string<Ch>(def) : std::basic_string<Ch>();
  while (!d.empty() && (d.back() == ' ' || d.back() == '\t')) d.pop_back();
  const DWORD count = CopyString(d, buf, n);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return count;
}

// Decimal, or hexadecimal after "0x"; a leading sign; reading stops at the first other character.
UINT ParseInt(const std::u16string& s, INT def) {
  if (s.empty()) return static_cast<UINT>(def);
  size_t i = 0;
  bool negative = false;
  if (s[i] == u'-' || s[i] == u'+') negative = s[i++] == u'-';
  uint32_t v = 0;
  if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    for (i += 2; i < s.size(); ++i) {
      const char16_t c = s[i];
      int d = (c >= u'0' && c <= u'9') ? c - u'0' : (c >= u'a' && c <= u'f') ? c - u'a' + 10
                                                   : (c >= u'A' && c <= u'F') ? c - u'A' + 10 : -1;
      if (d < 0) break;
      v = v * 16 + static_cast<uint32_t>(d);
    }
  } else {
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) v = v * 10 + static_cast<uint32_t>(s[i] - u'0');
  }
  return negative ? 0u - v : v;
}

template <typename Ch>
UINT GetInt(const Ch* app, const Ch* key, INT def, const Ch* fileName) {
  const auto path = Opt(fileName);
  // Without a file there is nothing to read, not even the default.
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!app || !key) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<UINT>(def);
  }
  ProfileFile file;
  DWORD error = ERROR_FILE_NOT_FOUND;
  if (Load(*path, file, error))
    if (const auto v = file.Value(*Opt(app), *Opt(key))) return ParseInt(*v, def);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return static_cast<UINT>(def);
}

template <typename Ch>
DWORD GetSection(const Ch* app, Ch* buf, DWORD n, const Ch* fileName) {
  if (!buf || n == 0 || !app) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto path = Opt(fileName);
  ProfileFile file;
  DWORD error = ERROR_FILE_NOT_FOUND;
  const bool loaded = path && Load(*path, file, error);
  SetLastError(loaded ? ERROR_SUCCESS : error);
  return CopyList(ToTexts<Ch>(file.SectionLines(*Opt(app))), buf, n);
}

bool HasBreak(std::u16string_view s) { return s.find_first_of(u"\r\n") != std::u16string_view::npos; }

// Reads the file (a missing one is empty and new), applies `edit`, and replaces the file when
// the edit changed it.
template <typename Edit>
BOOL Modify(const std::u16string& path, Edit edit) {
  std::lock_guard<std::mutex> lock(g_writeLock);
  ProfileFile file;
  DWORD error = 0;
  if (!Load(path, file, error) && error != ERROR_FILE_NOT_FOUND) {
    SetLastError(error);
    return FALSE;
  }
  if (!edit(file)) return TRUE;
  if (!profile::ReplaceWholeFile(path, file.Serialize(), error)) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL Invalid() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

BOOL WriteString(const std::optional<std::u16string>& app, const std::optional<std::u16string>& key,
                 const std::optional<std::u16string>& value, const std::optional<std::u16string>& path) {
  if (!app && !key && !value) {
    // Flushing the cache: there is none. The platform answers FALSE here whatever happens.
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  if (!app || !path || path->empty()) return Invalid();
  if (HasBreak(*app) || app->find(u']') != std::u16string::npos) return Invalid();
  if (key && (HasBreak(*key) || key->find(u'=') != std::u16string::npos)) return Invalid();
  if (value && HasBreak(*value)) return Invalid();
  if (!key) return Modify(*path, [&](ProfileFile& f) { return f.DeleteSection(*app); });
  if (!value) return Modify(*path, [&](ProfileFile& f) { return f.DeleteKey(*app, *key); });
  return Modify(*path, [&](ProfileFile& f) { return f.SetValue(*app, *key, *value); });
}

template <typename Ch>
BOOL WriteSection(const Ch* app, const Ch* list, const Ch* fileName) {
  const auto path = Opt(fileName);
  if (!app || !path || path->empty()) return Invalid();
  const std::u16string section = *Opt(app);
  if (HasBreak(section) || section.find(u']') != std::u16string::npos) return Invalid();
  if (!list) return Modify(*path, [&](ProfileFile& f) { return f.DeleteSection(section); });
  std::vector<std::u16string> lines;
  for (const Ch* p = list; *p;) {
    std::basic_string<Ch> line(p);
    p += line.size() + 1;
    std::u16string wide;
    if constexpr (sizeof(Ch) == 1) wide = AnsiToWide(line);
    else wide = line;
    if (HasBreak(wide)) return Invalid();
    lines.push_back(std::move(wide));
  }
  return Modify(*path, [&](ProfileFile& f) { return f.ReplaceSection(section, lines); });
}

}  // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName) {
  return GetString(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, lpFileName);
}

DWORD WINAPI GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                      LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
  if (StubbedOnAnsiPlatform()) return 0;
  return GetString(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, lpFileName);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  return GetInt(lpAppName, lpKeyName, nDefault, lpFileName);
}

UINT WINAPI GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
  if (StubbedOnAnsiPlatform()) return 0;
  return GetInt(lpAppName, lpKeyName, nDefault, lpFileName);
}

DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  return GetSection(lpAppName, lpReturnedString, nSize, lpFileName);
}

DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                       LPCWSTR lpFileName) {
  if (StubbedOnAnsiPlatform()) return 0;
  return GetSection(lpAppName, lpReturnedString, nSize, lpFileName);
}

DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName) {
  return GetString<char>(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName, ListFit::NeedsSpare);
}

DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName) {
  if (StubbedOnAnsiPlatform()) return 0;
  return GetString<char16_t>(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName, ListFit::NeedsSpare);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
  return WriteString(Opt(lpAppName), Opt(lpKeyName), Opt(lpString), Opt(lpFileName));
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                       LPCWSTR lpFileName) {
  if (StubbedOnAnsiPlatform()) return FALSE;
  return WriteString(Opt(lpAppName), Opt(lpKeyName), Opt(lpString), Opt(lpFileName));
}

BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
  return WriteSection(lpAppName, lpString, lpFileName);
}

BOOL WINAPI WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName) {
  if (StubbedOnAnsiPlatform()) return FALSE;
  return WriteSection(lpAppName, lpString, lpFileName);
}
