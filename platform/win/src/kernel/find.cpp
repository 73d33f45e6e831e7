// FindFirstFile/FindNextFile/FindClose. The folder is read whole at the first call and the
// matching entries kept in order ("." and ".." first, then by name without case).
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "internal/handles.h"
#include "internal/modules.h"
#include "kernel/kernel_internal.h"

namespace winplat::kernel {
namespace {

struct FindEntry {
  std::u16string name;
  std::u16string folded;
  DWORD attributes = 0;
  FILETIME creation{}, access{}, write{};
  uint64_t size = 0;
};

struct FindObject : HandleObject {
  std::vector<FindEntry> entries;
  size_t next = 0;
};

bool Collect(const std::u16string& pattern, std::vector<FindEntry>* out) {
  if (pattern.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  const size_t sep = pattern.find_last_of(u"\\/");
  std::u16string folder, mask;
  if (sep == std::u16string::npos) {
    if (pattern.size() >= 2 && pattern[1] == u':') {
      folder = pattern.substr(0, 2);
      mask = pattern.substr(2);
    } else {
      folder = u".";
      mask = pattern;
    }
  } else {
    folder = sep == 0 ? std::u16string(u"/") : pattern.substr(0, sep + 1);
    mask = pattern.substr(sep + 1);
  }
  if (mask.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  const std::string dir = ResolvePath(folder);
  DIR* d = opendir(dir.c_str());
  if (!d) {
    SetLastError(errno == ENOTDIR || errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, dir));
    return false;
  }
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (dir == "/" && (n == "." || n == "..")) continue;  // the root has no parent entries
    std::u16string wn = Utf8ToWide(n);
    if (!MatchFindMask(mask, wn)) continue;
    const std::string full = (dir == "/" ? "" : dir) + "/" + n;
    struct stat st;
    if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) continue;
    FindEntry fe;
    fe.name = std::move(wn);
    fe.folded = FoldCase(fe.name);
    fe.attributes = AttributesOf(st, full);
    TimesOf(full, -1, st, &fe.creation, &fe.access, &fe.write);
    fe.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    out->push_back(std::move(fe));
  }
  closedir(d);
  if (out->empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  auto rank = [](const FindEntry& e) { return e.name == u"." ? 0 : e.name == u".." ? 1 : 2; };
  std::sort(out->begin(), out->end(), [&](const FindEntry& a, const FindEntry& b) {
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    if (a.folded != b.folded) return a.folded < b.folded;
    return a.name < b.name;
  });
  return true;
}

template <class Data>
void FillCommon(const FindEntry& e, Data* d) {
  d->dwFileAttributes = e.attributes;
  d->ftCreationTime = e.creation;
  d->ftLastAccessTime = e.access;
  d->ftLastWriteTime = e.write;
  d->nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
  d->nFileSizeLow = static_cast<DWORD>(e.size);
  d->dwReserved0 = 0;
  d->dwReserved1 = 0;
  d->cAlternateFileName[0] = 0;  // no short names here
}

void Fill(const FindEntry& e, WIN32_FIND_DATAW* d) {
  FillCommon(e, d);
  CopyTruncated(e.name, d->cFileName, MAX_PATH);
}
void Fill(const FindEntry& e, WIN32_FIND_DATAA* d) {
  FillCommon(e, d);
  CopyTruncated(WideToAnsi(e.name), d->cFileName, MAX_PATH);
}

template <class Data>
HANDLE FindFirstCore(const std::u16string& pattern, Data* data) {
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  auto obj = std::make_shared<FindObject>();
  if (!Collect(pattern, &obj->entries)) return INVALID_HANDLE_VALUE;
  Fill(obj->entries[0], data);
  obj->next = 1;
  return HandleTable::Instance().Add(HandleKind::Find, obj);
}

template <class Data>
BOOL FindNextCore(HANDLE h, Data* data) {
  auto obj = HandleTable::Instance().Get<FindObject>(h, HandleKind::Find);
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (obj->next >= obj->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  Fill(obj->entries[obj->next++], data);
  return TRUE;
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

HANDLE WINAPI FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data) { return FindFirstCore(FromA(name), data); }
HANDLE WINAPI FindFirstFileW(LPCWSTR name, LPWIN32_FIND_DATAW data) {
  if (!WideCallsAvailable()) return INVALID_HANDLE_VALUE;
  return FindFirstCore(FromW(name), data);
}
BOOL WINAPI FindNextFileA(HANDLE h, LPWIN32_FIND_DATAA data) { return FindNextCore(h, data); }
BOOL WINAPI FindNextFileW(HANDLE h, LPWIN32_FIND_DATAW data) {
  return WideCallsAvailable() && FindNextCore(h, data);
}
BOOL WINAPI FindClose(HANDLE h) {
  if (!HandleTable::Instance().Remove(h, HandleKind::Find)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

VSE_EXPORT("kernel32.dll", FindFirstFileA);
VSE_EXPORT("kernel32.dll", FindFirstFileW);
VSE_EXPORT("kernel32.dll", FindNextFileA);
VSE_EXPORT("kernel32.dll", FindNextFileW);
VSE_EXPORT("kernel32.dll", FindClose);
