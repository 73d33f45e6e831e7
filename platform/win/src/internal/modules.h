// Built-in modules: the system libraries (kernel32.dll, user32.dll, ...) are parts of this
// platform. Each area lists the calls it exports under a library name, and GetProcAddress on
// that library's module finds them by name:
//
//   VSE_EXPORT("kernel32.dll", MoveFileWithProgressA);
//   VSE_EXPORT_AS("ddraw.dll", "DirectDrawCreateEx", &MyDirectDrawCreateEx);
//
// Place the macro at namespace scope in a file of libwinplat.so (a registration in a static
// library is kept only when its object file is linked in). Library names compare without case;
// ".dll" may be left out.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "wintypes.h"

namespace winplat {

void RegisterExport(std::string_view module, std::string_view name, FARPROC proc);
// The export, or null.
FARPROC FindExport(std::string_view module, std::string_view name);
// True for the names of the platform's system libraries ("KERNEL32", "user32.dll", ...).
bool IsSystemModuleName(std::string_view name);
// Canonical lower-case file name of a library name: "KERNEL32" -> "kernel32.dll".
std::string CanonicalModuleName(std::string_view name);

// The Linux file candidates for a Windows library name, in search order (DESIGN: the exact name
// in `folder`, then lib<lower-case stem>.so there). `folder` empty: bare names for dlopen.
std::vector<std::string> LibraryFileCandidates(std::string_view fileName, const std::string& folder);

// Folder of the running program ("/proc/self/exe" without its last component).
std::string ProgramFolder();
std::string ProgramPath();

struct ExportRegistrar {
  ExportRegistrar(const char* module, const char* name, FARPROC proc) { RegisterExport(module, name, proc); }
};

}  // namespace winplat

#define VSE_EXPORT_CONCAT2(a, b) a##b
#define VSE_EXPORT_CONCAT(a, b) VSE_EXPORT_CONCAT2(a, b)
#define VSE_EXPORT_AS(module, name, fn)                                                   \
  static ::winplat::ExportRegistrar VSE_EXPORT_CONCAT(vse_export_registrar_, __COUNTER__)( \
      module, name, reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fn)))
#define VSE_EXPORT(module, fn) VSE_EXPORT_AS(module, #fn, &fn)
