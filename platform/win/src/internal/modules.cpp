#include "internal/modules.h"

#include <unistd.h>

#include <map>
#include <mutex>
#include <set>

#include "internal/paths.h"
#include "internal/text.h"

namespace winplat {
namespace {

struct ExportTable {
  std::mutex mutex;
  std::map<std::string, std::map<std::string, FARPROC, std::less<>>, std::less<>> modules;
};

ExportTable& Exports() {
  static auto* t = new ExportTable;  // filled by static registrars, kept past exit
  return *t;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (auto& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string_view BaseName(std::string_view s) {
  const size_t sep = s.find_last_of("\\/");
  return sep == std::string_view::npos ? s : s.substr(sep + 1);
}

}  // namespace

std::string CanonicalModuleName(std::string_view name) {
  std::string base = LowerAscii(BaseName(name));
  if (!base.empty() && base.back() == '.') {
    base.pop_back();  // a trailing dot: a name without extension
  } else if (base.find('.') == std::string::npos) {
    base += ".dll";
  }
  return base;
}

void RegisterExport(std::string_view module, std::string_view name, FARPROC proc) {
  auto& t = Exports();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.modules[CanonicalModuleName(module)][std::string(name)] = proc;
}

FARPROC FindExport(std::string_view module, std::string_view name) {
  auto& t = Exports();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto m = t.modules.find(CanonicalModuleName(module));
  if (m == t.modules.end()) return nullptr;
  auto f = m->second.find(name);
  return f == m->second.end() ? nullptr : f->second;
}

bool IsSystemModuleName(std::string_view name) {
  static const std::set<std::string, std::less<>> kSystem = {
      "kernel32.dll", "user32.dll",   "gdi32.dll",    "ddraw.dll",    "winmm.dll", "version.dll",
      "comctl32.dll", "comdlg32.dll", "advapi32.dll", "shell32.dll",  "ole32.dll", "d3drm.dll"};
  const std::string canon = CanonicalModuleName(name);
  if (kSystem.count(canon)) return true;
  auto& t = Exports();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.modules.count(canon) != 0;
}

std::vector<std::string> LibraryFileCandidates(std::string_view fileName, const std::string& folder) {
  const std::string base(BaseName(fileName));
  std::string stem = LowerAscii(base);
  const size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  const std::string lib = "lib" + stem + ".so";
  if (folder.empty()) return {base, lib};
  const std::string prefix = folder == "/" ? "" : folder;
  return {ResolvePath(Utf8ToWide(prefix + "/" + base)), prefix + "/" + lib};
}

std::string ProgramPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<size_t>(n));
}

std::string ProgramFolder() { return ParentOf(ProgramPath()); }

}  // namespace winplat
