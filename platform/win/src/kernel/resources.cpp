// Resources of modules, registered in the process (winplat_resource.h), and the string-table
// loader LoadString.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "internal/modules.h"
#include "kernel/kernel_internal.h"
#include "winplat_resource.h"
#include "winnls.h"
#include "winuser.h"

namespace winplat::kernel {
namespace {

struct Resource {
  std::vector<uint8_t> data;
};

// Key of one type or name: "#<number>" for an integer identifier, else the name upper-cased.
std::u16string KeyOf(LPCWSTR id) {
  const auto value = reinterpret_cast<uintptr_t>(id);
  if ((value >> 16) == 0) {
    std::string digits = std::to_string(value);
    return u"#" + std::u16string(digits.begin(), digits.end());
  }
  std::u16string key = id;
  for (auto& c : key)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return key;
}

std::u16string KeyOfA(LPCSTR id) {
  const auto value = reinterpret_cast<uintptr_t>(id);
  if ((value >> 16) == 0) return KeyOf(reinterpret_cast<LPCWSTR>(value));
  return KeyOf(AnsiToWide(id).c_str());
}

struct ResourceStore {
  std::mutex mutex;
  // module -> (type, name) -> resource; nodes never move, so a Resource* is a stable HRSRC.
  std::map<HMODULE, std::map<std::pair<std::u16string, std::u16string>, std::unique_ptr<Resource>>> modules;
};

ResourceStore& Store() {
  static ResourceStore* store = new ResourceStore;  // outlives static destructors
  return *store;
}

HMODULE Normalise(HMODULE module) { return module ? module : GetModuleHandleA(nullptr); }

Resource* Find(HMODULE module, const std::u16string& name, const std::u16string& type) {
  auto& s = Store();
  std::lock_guard lock(s.mutex);
  auto m = s.modules.find(Normalise(module));
  if (m == s.modules.end()) return nullptr;
  auto r = m->second.find({type, name});
  return r == m->second.end() ? nullptr : r->second.get();
}

// The resource whose handle or data address this is, or null.
Resource* Known(const void* handleOrData, bool byData) {
  auto& s = Store();
  std::lock_guard lock(s.mutex);
  for (auto& [module, resources] : s.modules)
    for (auto& [key, r] : resources)
      if (byData ? (!r->data.empty() && r->data.data() == handleOrData) : r.get() == handleOrData) return r.get();
  return nullptr;
}

// The data handle of an empty resource.
HGLOBAL EmptyData() {
  static uint8_t empty;
  return &empty;
}

HRSRC Found(Resource* r) {
  if (!r) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return reinterpret_cast<HRSRC>(r);
}

// The text of string Id: the units inside the block, or false when there is none.
bool StringOf(HINSTANCE module, UINT id, const char16_t*& text, int& length) {
  Resource* r = Find(module, KeyOf(reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>((id >> 4) + 1))),
                     KeyOf(reinterpret_cast<LPCWSTR>(uintptr_t{6})));
  if (!r) return false;
  const auto* units = reinterpret_cast<const char16_t*>(r->data.data());
  const size_t count = r->data.size() / 2;
  size_t at = 0;
  for (UINT skip = id & 15; skip > 0; --skip) {
    if (at >= count) return false;
    at += 1 + units[at];
  }
  if (at >= count) return false;
  const size_t n = units[at];
  if (n == 0 || at + 1 + n > count) return false;
  text = units + at + 1;
  length = static_cast<int>(n);
  return true;
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat::kernel;

void winplat::RegisterModuleResource(HMODULE Module, LPCWSTR Type, LPCWSTR Name, const void* Data, DWORD Size) {
  auto& s = Store();
  std::lock_guard lock(s.mutex);
  auto& slot = s.modules[Normalise(Module)][{KeyOf(Type), KeyOf(Name)}];
  if (!slot) slot = std::make_unique<Resource>();
  const auto* bytes = static_cast<const uint8_t*>(Data);
  slot->data.assign(bytes, bytes + Size);
}

void winplat::UnregisterModuleResources(HMODULE Module) {
  auto& s = Store();
  std::lock_guard lock(s.mutex);
  s.modules.erase(Normalise(Module));
}

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
  if (!lpName || !lpType) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Found(Find(hModule, KeyOfA(lpName), KeyOfA(lpType)));
}

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  if (!lpName || !lpType) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Found(Find(hModule, KeyOf(lpName), KeyOf(lpType)));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo) {
  Resource* r = Known(hResInfo, false);
  if (!r) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return r->data.empty() ? EmptyData() : static_cast<HGLOBAL>(r->data.data());
}

LPVOID WINAPI LockResource(HGLOBAL hResData) {
  if (hResData == EmptyData() || (hResData && Known(hResData, true))) return hResData;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo) {
  Resource* r = Known(hResInfo, false);
  if (!r) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
  }
  return static_cast<DWORD>(r->data.size());
}

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int nBufferMax) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  if (!lpBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char16_t* text = nullptr;
  int length = 0;
  const bool found = StringOf(hInstance, uID, text, length);
  if (nBufferMax == 0) {
    *reinterpret_cast<const char16_t**>(lpBuffer) = found ? text : nullptr;
    return found ? length : 0;
  }
  if (nBufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!found) {
    lpBuffer[0] = 0;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const int n = std::min(length, nBufferMax - 1);
  std::memcpy(lpBuffer, text, static_cast<size_t>(n) * 2);
  lpBuffer[n] = 0;
  return n;
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int nBufferMax) {
  if (!lpBuffer || nBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char16_t* text = nullptr;
  int length = 0;
  if (!StringOf(hInstance, uID, text, length)) {
    lpBuffer[0] = 0;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  // Whole characters only: widen back each prefix length until the next character would not fit.
  const std::string ansi = winplat::WideToAnsi(std::u16string_view(text, static_cast<size_t>(length)));
  size_t n = 0;
  while (n < ansi.size()) {
    const size_t step = (IsDBCSLeadByte(static_cast<BYTE>(ansi[n])) && n + 1 < ansi.size()) ? 2 : 1;
    if (n + step > static_cast<size_t>(nBufferMax - 1)) break;
    n += step;
  }
  std::memcpy(lpBuffer, ansi.data(), n);
  lpBuffer[n] = 0;
  return static_cast<int>(n);
}

VSE_EXPORT("kernel32.dll", FindResourceA);
VSE_EXPORT("kernel32.dll", FindResourceW);
VSE_EXPORT("kernel32.dll", LoadResource);
VSE_EXPORT("kernel32.dll", LockResource);
VSE_EXPORT("kernel32.dll", SizeofResource);
VSE_EXPORT("kernel32.dll", FreeResource);
VSE_EXPORT("user32.dll", LoadStringA);
VSE_EXPORT("user32.dll", LoadStringW);
