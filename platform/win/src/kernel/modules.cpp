// Modules: the program, the platform's built-in system libraries, and shared libraries loaded
// by their Windows names (ZIPVAULT.DLL -> libzipvault.so).
#include "internal/modules.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>

#include "internal/handles.h"
#include "kernel/kernel_internal.h"
#include "winplat_kernel.h"

namespace winplat::kernel {
namespace {

struct ModuleObject : HandleObject {
  enum Kind { Program, Builtin, Library } kind = Library;
  std::string name;  // canonical Windows name ("zipvault.dll"), or the built-in library's name
  std::string file;  // Linux file
  void* dl = nullptr;
  int refs = 0;
};

struct ModuleState {
  std::recursive_mutex mutex;
  std::string libraryFolder;  // set by tests: searched instead of the program's folder
  HMODULE program = nullptr;
  std::map<std::string, HMODULE> builtins;
  std::map<void*, HMODULE> libraries;
};

ModuleState& State() {
  static auto* s = new ModuleState;
  return *s;
}

std::shared_ptr<ModuleObject> Lookup(HMODULE h) {
  return HandleTable::Instance().Get<ModuleObject>(h, HandleKind::Module);
}

std::string PlatformLibraryFile() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&State), &info) && info.dli_fname) {
    char real[PATH_MAX];
    if (realpath(info.dli_fname, real)) return real;
    return info.dli_fname;
  }
  return {};
}

HMODULE ProgramModule() {
  auto& s = State();
  std::lock_guard<std::recursive_mutex> lock(s.mutex);
  if (!s.program) {
    auto m = std::make_shared<ModuleObject>();
    m->kind = ModuleObject::Program;
    m->file = ProgramPath();
    m->name = CanonicalModuleName(LeafOf(m->file) + ".exe");
    m->dl = dlopen(nullptr, RTLD_NOW);
    s.program = static_cast<HMODULE>(HandleTable::Instance().Add(HandleKind::Module, m));
  }
  return s.program;
}

HMODULE BuiltinModule(const std::string& canon) {
  auto& s = State();
  std::lock_guard<std::recursive_mutex> lock(s.mutex);
  auto it = s.builtins.find(canon);
  if (it != s.builtins.end()) return it->second;
  auto m = std::make_shared<ModuleObject>();
  m->kind = ModuleObject::Builtin;
  m->name = canon;
  m->file = PlatformLibraryFile();
  HMODULE h = static_cast<HMODULE>(HandleTable::Instance().Add(HandleKind::Module, m));
  s.builtins[canon] = h;
  return h;
}

std::string FileOfDl(void* dl, const std::string& fallback) {
  link_map* lm = nullptr;
  if (dlinfo(dl, RTLD_DI_LINKMAP, &lm) == 0 && lm && lm->l_name && *lm->l_name) {
    char real[PATH_MAX];
    if (realpath(lm->l_name, real)) return real;
    return lm->l_name;
  }
  return fallback;
}

// Takes one reference of `dl` for the module it belongs to.
HMODULE AdoptLibrary(void* dl, const std::string& canon, const std::string& file) {
  auto& s = State();
  std::lock_guard<std::recursive_mutex> lock(s.mutex);
  auto it = s.libraries.find(dl);
  if (it != s.libraries.end()) {
    if (auto m = Lookup(it->second)) {
      ++m->refs;
      return it->second;
    }
  }
  auto m = std::make_shared<ModuleObject>();
  m->kind = ModuleObject::Library;
  m->name = canon;
  m->dl = dl;
  m->file = FileOfDl(dl, file);
  m->refs = 1;
  HMODULE h = static_cast<HMODULE>(HandleTable::Instance().Add(HandleKind::Module, m));
  s.libraries[dl] = h;
  return h;
}

// Folder part and file part of a Windows library name.
void SplitName(const std::u16string& name, std::u16string* folder, std::u16string* file) {
  const size_t sep = name.find_last_of(u"\\/");
  if (sep == std::u16string::npos) {
    folder->clear();
    *file = name;
  } else {
    *folder = name.substr(0, sep + 1);
    *file = name.substr(sep + 1);
  }
}

std::vector<std::string> Candidates(const std::u16string& name, bool* searchSystem) {
  std::u16string folderW, fileW;
  SplitName(name, &folderW, &fileW);
  const std::string file = WideToUtf8(fileW);
  std::string testFolder;
  {
    std::lock_guard<std::recursive_mutex> lock(State().mutex);
    testFolder = State().libraryFolder;
  }
  *searchSystem = folderW.empty() && testFolder.empty();
  const std::string folder = !folderW.empty() ? ResolvePath(folderW) : !testFolder.empty() ? testFolder : ProgramFolder();
  std::vector<std::string> out = LibraryFileCandidates(file, folder);
  if (*searchSystem)
    for (auto& bare : LibraryFileCandidates(file, {})) out.push_back(bare);
  return out;
}

HMODULE LoadCore(const std::u16string& name) {
  if (name.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::u16string folderW, fileW;
  SplitName(name, &folderW, &fileW);
  const std::string canon = CanonicalModuleName(WideToUtf8(fileW));
  if (IsSystemModuleName(canon)) return BuiltinModule(canon);
  bool system = false;
  DWORD error = ERROR_MOD_NOT_FOUND;
  for (const std::string& c : Candidates(name, &system)) {
    const bool bare = c.find('/') == std::string::npos;
    if (!bare) {
      struct stat st;
      if (stat(c.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    }
    void* dl = dlopen(c.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) {
      if (!bare) error = ERROR_BAD_EXE_FORMAT;  // there, but not a library we can load
      continue;
    }
    return AdoptLibrary(dl, canon, c);
  }
  SetLastError(error);
  return nullptr;
}

HMODULE HandleCore(const std::u16string& name) {
  std::u16string folderW, fileW;
  SplitName(name, &folderW, &fileW);
  const std::string canon = CanonicalModuleName(WideToUtf8(fileW));
  if (IsSystemModuleName(canon)) return BuiltinModule(canon);
  auto& s = State();
  {
    std::lock_guard<std::recursive_mutex> lock(s.mutex);
    for (auto& [dl, h] : s.libraries)
      if (auto m = Lookup(h); m && m->name == canon) return h;
    if (auto p = Lookup(ProgramModule()); p && p->name == canon) return s.program;
  }
  bool system = false;
  for (const std::string& c : Candidates(name, &system)) {
    if (void* dl = dlopen(c.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD)) return AdoptLibrary(dl, canon, c);
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

bool FileNameCore(HMODULE h, std::u16string* out) {
  if (!h) {
    *out = Utf8ToWide(ProgramPath());
    return true;
  }
  auto m = Lookup(h);
  if (!m) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return false;
  }
  *out = Utf8ToWide(m->file);
  return true;
}

// Copies at most size - 1 characters and a terminator; a cut name answers `size` with
// ERROR_INSUFFICIENT_BUFFER.
template <class Ch>
DWORD CopyModuleName(const std::basic_string<Ch>& s, Ch* buf, DWORD size) {
  if (!buf || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  CopyTruncated(s, buf, size);
  if (s.size() >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(s.size());
}

}  // namespace
}  // namespace winplat::kernel

using namespace winplat;
using namespace winplat::kernel;

DWORD WINAPI GetModuleFileNameA(HMODULE h, LPSTR buf, DWORD size) {
  std::u16string name;
  if (!FileNameCore(h, &name)) return 0;
  return CopyModuleName(WideToAnsi(name), buf, size);
}
DWORD WINAPI GetModuleFileNameW(HMODULE h, LPWSTR buf, DWORD size) {
  if (!WideCallsAvailable()) return 0;
  std::u16string name;
  if (!FileNameCore(h, &name)) return 0;
  return CopyModuleName(name, buf, size);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) { return name ? HandleCore(FromA(name)) : ProgramModule(); }
HMODULE WINAPI GetModuleHandleW(LPCWSTR name) {
  if (!WideCallsAvailable()) return nullptr;
  return name ? HandleCore(FromW(name)) : ProgramModule();
}
HMODULE WINAPI LoadLibraryA(LPCSTR name) { return LoadCore(FromA(name)); }
HMODULE WINAPI LoadLibraryW(LPCWSTR name) {
  if (!WideCallsAvailable()) return nullptr;
  return LoadCore(FromW(name));
}
// The flags change nothing here: every library is loaded as code with its dependencies.
HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE, DWORD) { return LoadCore(FromA(name)); }
HMODULE WINAPI LoadLibraryExW(LPCWSTR name, HANDLE, DWORD) {
  if (!WideCallsAvailable()) return nullptr;
  return LoadCore(FromW(name));
}

FARPROC WINAPI GetProcAddress(HMODULE h, LPCSTR name) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto m = Lookup(h ? h : ProgramModule());
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (reinterpret_cast<uintptr_t>(name) <= 0xFFFF) {  // by ordinal: no ordinals here
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  FARPROC p = nullptr;
  if (m->kind == ModuleObject::Builtin) {
    p = FindExport(m->name, name);
  } else if (m->dl) {
    p = reinterpret_cast<FARPROC>(dlsym(m->dl, name));
  }
  if (!p) SetLastError(ERROR_PROC_NOT_FOUND);
  return p;
}

BOOL WINAPI FreeLibrary(HMODULE h) {
  auto& s = State();
  std::lock_guard<std::recursive_mutex> lock(s.mutex);
  auto m = Lookup(h);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (m->kind != ModuleObject::Library) return TRUE;  // the program and system libraries stay
  if (--m->refs == 0) {
    s.libraries.erase(m->dl);
    HandleTable::Instance().Remove(h, HandleKind::Module);
  }
  dlclose(m->dl);
  return TRUE;
}

void winplat::SetLibraryFolder(const std::string& folder) {
  std::lock_guard<std::recursive_mutex> lock(State().mutex);
  State().libraryFolder = folder;
}

VSE_EXPORT("kernel32.dll", GetModuleFileNameA);
VSE_EXPORT("kernel32.dll", GetModuleFileNameW);
VSE_EXPORT("kernel32.dll", GetModuleHandleA);
VSE_EXPORT("kernel32.dll", GetModuleHandleW);
VSE_EXPORT("kernel32.dll", LoadLibraryA);
VSE_EXPORT("kernel32.dll", LoadLibraryW);
VSE_EXPORT("kernel32.dll", LoadLibraryExA);
VSE_EXPORT("kernel32.dll", LoadLibraryExW);
VSE_EXPORT("kernel32.dll", GetProcAddress);
VSE_EXPORT("kernel32.dll", FreeLibrary);
