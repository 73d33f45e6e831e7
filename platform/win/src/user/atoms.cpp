// The atom table (global and local atoms are one table in one process) and registered
// window messages.
#include <mutex>

#include "internal/text.h"
#include "winnls.h"
#include "internal/wide_calls.h"
#include "user_internal.h"
#include "winbase.h"

namespace {

struct AtomEntry {
  std::u16string name;
  std::u16string key;  // upper case
  int refs = 0;
  bool pinned = false;  // registered messages and classes keep their atom
};

std::mutex g_atom_mutex;
std::vector<AtomEntry>& Table() {  // index i is atom 0xC000 + i
  static auto* t = new std::vector<AtomEntry>;
  return *t;
}

std::u16string Upper(std::u16string s) {
  for (auto& c : s) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    else if (c >= 0x80) {
      char16_t buf[2] = {c, 0};
      CharUpperBuffW(buf, 1);
      c = buf[0];
    }
  }
  return s;
}

// "#123" names integer atoms.
bool IntegerName(const std::u16string& s, ATOM* out) {
  if (s.size() < 2 || s[0] != u'#') return false;
  unsigned v = 0;
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    v = v * 10 + (s[i] - u'0');
    if (v > 0xFFFF) return false;
  }
  *out = static_cast<ATOM>(v);
  return true;
}

ATOM Add(const std::u16string& name, bool pin) {
  ATOM integer;
  if (IntegerName(name, &integer)) {
    if (integer == 0 || integer >= 0xC000) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return integer;
  }
  if (name.empty() || name.size() > 255) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string key = Upper(name);
  std::lock_guard<std::mutex> lock(g_atom_mutex);
  auto& t = Table();
  size_t freeSlot = t.size();
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i].refs > 0 && t[i].key == key) {
      ++t[i].refs;
      t[i].pinned = t[i].pinned || pin;
      return static_cast<ATOM>(0xC000 + i);
    }
    if (t[i].refs == 0 && freeSlot == t.size()) freeSlot = i;
  }
  if (freeSlot >= 0x3FFF) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  if (freeSlot == t.size()) t.emplace_back();
  t[freeSlot] = AtomEntry{name, key, 1, pin};
  return static_cast<ATOM>(0xC000 + freeSlot);
}

ATOM Find(const std::u16string& name) {
  ATOM integer;
  if (IntegerName(name, &integer)) return integer < 0xC000 ? integer : 0;
  const std::u16string key = Upper(name);
  std::lock_guard<std::mutex> lock(g_atom_mutex);
  auto& t = Table();
  for (size_t i = 0; i < t.size(); ++i)
    if (t[i].refs > 0 && t[i].key == key) return static_cast<ATOM>(0xC000 + i);
  SetLastError(ERROR_FILE_NOT_FOUND);
  return 0;
}

std::u16string NameArg(LPCWSTR s) {
  if (IS_INTRESOURCE(s)) return u"#" + winplat::AnsiToWide(std::to_string(reinterpret_cast<ULONG_PTR>(s)));
  return s;
}
std::u16string NameArgA(LPCSTR s) {
  if (IS_INTRESOURCE(s)) return u"#" + winplat::AnsiToWide(std::to_string(reinterpret_cast<ULONG_PTR>(s)));
  return winplat::AnsiToWide(s);
}

}  // namespace

namespace winplat::user {

ATOM AddAtomInternal(const std::u16string& name, bool pin) { return Add(name, pin); }
ATOM FindAtomInternal(const std::u16string& name) { return Find(name); }
bool AtomName(ATOM atom, std::u16string* out) {
  if (atom < 0xC000) {
    if (atom == 0) return false;
    *out = u"#" + AnsiToWide(std::to_string(atom));
    return true;
  }
  std::lock_guard<std::mutex> lock(g_atom_mutex);
  const size_t i = atom - 0xC000u;
  if (i >= Table().size() || Table()[i].refs == 0) return false;
  *out = Table()[i].name;
  return true;
}

}  // namespace winplat::user

ATOM WINAPI GlobalAddAtomW(LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!s) { SetLastError(ERROR_INVALID_PARAMETER); return 0; }
  return Add(NameArg(s), false);
}
ATOM WINAPI GlobalAddAtomA(LPCSTR s) {
  if (!s) { SetLastError(ERROR_INVALID_PARAMETER); return 0; }
  return Add(NameArgA(s), false);
}
ATOM WINAPI GlobalFindAtomW(LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return s ? Find(NameArg(s)) : 0;
}
ATOM WINAPI GlobalFindAtomA(LPCSTR s) { return s ? Find(NameArgA(s)) : 0; }

// Answers 0 on success, the atom itself on failure, as the platform does.
ATOM WINAPI GlobalDeleteAtom(ATOM atom) {
  if (atom < 0xC000) return 0;
  std::lock_guard<std::mutex> lock(g_atom_mutex);
  auto& t = Table();
  const size_t i = atom - 0xC000u;
  if (i >= t.size() || t[i].refs == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return atom;
  }
  if (!t[i].pinned && --t[i].refs == 0) t[i] = AtomEntry{};
  return 0;
}

UINT WINAPI GlobalGetAtomNameW(ATOM atom, LPWSTR buffer, int size) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  std::u16string name;
  if (!buffer || size <= 0 || !winplat::user::AtomName(atom, &name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t n = name.size() < static_cast<size_t>(size - 1) ? name.size() : static_cast<size_t>(size - 1);
  name.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<UINT>(n);
}
UINT WINAPI GlobalGetAtomNameA(ATOM atom, LPSTR buffer, int size) {
  std::u16string name;
  if (!buffer || size <= 0 || !winplat::user::AtomName(atom, &name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string a = winplat::WideToAnsi(name);
  const size_t n = a.size() < static_cast<size_t>(size - 1) ? a.size() : static_cast<size_t>(size - 1);
  a.copy(buffer, n);
  buffer[n] = 0;
  return static_cast<UINT>(n);
}

ATOM WINAPI AddAtomA(LPCSTR s) { return GlobalAddAtomA(s); }
ATOM WINAPI AddAtomW(LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return GlobalAddAtomW(s);
}
ATOM WINAPI FindAtomA(LPCSTR s) { return GlobalFindAtomA(s); }
ATOM WINAPI FindAtomW(LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return GlobalFindAtomW(s);
}
ATOM WINAPI DeleteAtom(ATOM a) { return GlobalDeleteAtom(a); }
UINT WINAPI GetAtomNameA(ATOM a, LPSTR b, int n) { return GlobalGetAtomNameA(a, b, n); }
UINT WINAPI GetAtomNameW(ATOM a, LPWSTR b, int n) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return GlobalGetAtomNameW(a, b, n);
}

UINT WINAPI RegisterWindowMessageW(LPCWSTR s) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!s || IS_INTRESOURCE(s) || !*s) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Add(s, true);
}
UINT WINAPI RegisterWindowMessageA(LPCSTR s) {
  if (!s || IS_INTRESOURCE(s) || !*s) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Add(winplat::AnsiToWide(s), true);
}

VSE_EXPORT("kernel32.dll", GlobalAddAtomA);
VSE_EXPORT("kernel32.dll", GlobalAddAtomW);
VSE_EXPORT("kernel32.dll", GlobalFindAtomA);
VSE_EXPORT("kernel32.dll", GlobalFindAtomW);
VSE_EXPORT("kernel32.dll", GlobalDeleteAtom);
VSE_EXPORT("kernel32.dll", GlobalGetAtomNameA);
VSE_EXPORT("kernel32.dll", GlobalGetAtomNameW);
VSE_EXPORT("kernel32.dll", AddAtomA);
VSE_EXPORT("kernel32.dll", AddAtomW);
VSE_EXPORT("kernel32.dll", FindAtomA);
VSE_EXPORT("kernel32.dll", FindAtomW);
VSE_EXPORT("kernel32.dll", DeleteAtom);
VSE_EXPORT("user32.dll", RegisterWindowMessageA);
VSE_EXPORT("user32.dll", RegisterWindowMessageW);
