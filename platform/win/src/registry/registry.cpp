// The in-memory registry store.
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "internal/handles.h"
#include "internal/modules.h"
#include "internal/paths.h"
#include "internal/text.h"
#include "winerror.h"
#include "internal/wide_calls.h"
#include "winplat_mode.h"
#include "winreg.h"

namespace {

struct Value {
  DWORD type = REG_NONE;
  std::u16string text;         // REG_SZ, REG_EXPAND_SZ
  std::vector<uint8_t> bytes;  // other types
};

struct Store {
  std::mutex mutex;
  std::map<std::u16string, std::map<std::u16string, Value>> keys;  // folded key path -> folded name -> value
};

Store& TheStore() {
  static auto* s = new Store;
  return *s;
}

struct OpenKey : winplat::HandleObject {
  std::u16string path;  // folded
};

bool IsRoot(HKEY k, std::u16string* path) {
  const auto v = reinterpret_cast<uintptr_t>(k);
  if (v < 0x80000000u || v > 0x80000003u) return false;
  *path = u"#" + std::u16string(1, static_cast<char16_t>(u'0' + (v - 0x80000000u)));
  return true;
}

bool KeyPath(HKEY k, std::u16string* path) {
  if (IsRoot(k, path)) return true;
  auto key = winplat::HandleTable::Instance().Get<OpenKey>(k, winplat::HandleKind::Other);
  if (!key) return false;
  *path = key->path;
  return true;
}

std::u16string Join(const std::u16string& base, std::u16string_view sub) {
  std::u16string out = base;
  std::u16string part;
  for (size_t i = 0; i <= sub.size(); ++i) {
    if (i == sub.size() || sub[i] == u'\\') {
      if (!part.empty()) out += u'\\' + winplat::FoldCase(part);
      part.clear();
    } else {
      part += sub[i];
    }
  }
  return out;
}

bool KeyExists(Store& s, const std::u16string& path) {
  if (path.size() == 2) return true;  // a root
  auto it = s.keys.lower_bound(path);
  return it != s.keys.end() && it->first.compare(0, path.size(), path) == 0 &&
         (it->first.size() == path.size() || it->first[path.size()] == u'\\');
}

LSTATUS OpenCore(HKEY root, const std::u16string& sub, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::u16string base;
  if (!KeyPath(root, &base)) return ERROR_INVALID_HANDLE;
  const std::u16string path = Join(base, sub);
  {
    Store& s = TheStore();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!KeyExists(s, path)) return ERROR_FILE_NOT_FOUND;
  }
  auto key = std::make_shared<OpenKey>();
  key->path = path;
  *result = static_cast<HKEY>(winplat::HandleTable::Instance().Add(winplat::HandleKind::Other, key));
  return ERROR_SUCCESS;
}

// Copies a value out with the registry's size rules: no buffer answers the size; a short
// buffer answers ERROR_MORE_DATA and the size.
LSTATUS Deliver(DWORD type, const std::vector<uint8_t>& bytes, LPDWORD lpType, LPBYTE data, LPDWORD cbData) {
  if (data && !cbData) return ERROR_INVALID_PARAMETER;
  if (lpType) *lpType = type;
  if (!cbData) return ERROR_SUCCESS;
  const DWORD need = static_cast<DWORD>(bytes.size());
  if (data && *cbData < need) {
    *cbData = need;
    return ERROR_MORE_DATA;
  }
  if (data) std::memcpy(data, bytes.data(), bytes.size());
  *cbData = need;
  return ERROR_SUCCESS;
}

LSTATUS QueryCore(HKEY k, const std::u16string& name, bool wide, LPDWORD lpType, LPBYTE data, LPDWORD cbData) {
  std::u16string path;
  if (!KeyPath(k, &path)) return ERROR_INVALID_HANDLE;
  Value v;
  {
    Store& s = TheStore();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto key = s.keys.find(path);
    if (key == s.keys.end()) return ERROR_FILE_NOT_FOUND;
    auto it = key->second.find(winplat::FoldCase(name));
    if (it == key->second.end()) return ERROR_FILE_NOT_FOUND;
    v = it->second;
  }
  std::vector<uint8_t> bytes = v.bytes;
  if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) {
    if (wide) {
      const std::u16string t = v.text + u'\0';
      bytes.assign(reinterpret_cast<const uint8_t*>(t.data()), reinterpret_cast<const uint8_t*>(t.data()) + t.size() * 2);
    } else {
      const std::string t = winplat::WideToAnsi(v.text);
      bytes.assign(t.begin(), t.end());
      bytes.push_back(0);
    }
  }
  return Deliver(v.type, bytes, lpType, data, cbData);
}

void SetValue(HKEY root, std::u16string_view sub, std::u16string_view name, Value v) {
  std::u16string base;
  if (!IsRoot(root, &base)) return;
  Store& s = TheStore();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.keys[Join(base, sub)][winplat::FoldCase(name)] = std::move(v);
}

}  // namespace

namespace winplat {
void RegistrySetString(HKEY root, std::u16string_view sub, std::u16string_view name, std::u16string_view value) {
  Value v;
  v.type = REG_SZ;
  v.text = value;
  SetValue(root, sub, name, std::move(v));
}
void RegistrySetDword(HKEY root, std::u16string_view sub, std::u16string_view name, DWORD value) {
  Value v;
  v.type = REG_DWORD;
  v.bytes = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
             static_cast<uint8_t>(value >> 24)};
  SetValue(root, sub, name, std::move(v));
}
void RegistryClear() {
  Store& s = TheStore();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.keys.clear();
}
}  // namespace winplat

LSTATUS WINAPI RegOpenKeyExA(HKEY k, LPCSTR sub, DWORD, REGSAM, HKEY* result) {
  return OpenCore(k, sub ? winplat::AnsiToWide(sub) : std::u16string(), result);
}
LSTATUS WINAPI RegOpenKeyExW(HKEY k, LPCWSTR sub, DWORD, REGSAM, HKEY* result) {
  if (winplat::RefuseWideCall()) return ERROR_CALL_NOT_IMPLEMENTED;
  return OpenCore(k, sub ? std::u16string(sub) : std::u16string(), result);
}
LSTATUS WINAPI RegQueryValueExA(HKEY k, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD cb) {
  return QueryCore(k, name ? winplat::AnsiToWide(name) : std::u16string(), false, type, data, cb);
}
LSTATUS WINAPI RegQueryValueExW(HKEY k, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD cb) {
  if (winplat::RefuseWideCall()) return ERROR_CALL_NOT_IMPLEMENTED;
  return QueryCore(k, name ? std::u16string(name) : std::u16string(), true, type, data, cb);
}
LSTATUS WINAPI RegCloseKey(HKEY k) {
  std::u16string path;
  if (IsRoot(k, &path)) return ERROR_SUCCESS;
  if (!winplat::HandleTable::Instance().Get<OpenKey>(k, winplat::HandleKind::Other)) return ERROR_INVALID_HANDLE;
  winplat::HandleTable::Instance().Remove(k, winplat::HandleKind::Other);
  return ERROR_SUCCESS;
}

VSE_EXPORT("advapi32.dll", RegOpenKeyExA);
VSE_EXPORT("advapi32.dll", RegOpenKeyExW);
VSE_EXPORT("advapi32.dll", RegQueryValueExA);
VSE_EXPORT("advapi32.dll", RegQueryValueExW);
VSE_EXPORT("advapi32.dll", RegCloseKey);
