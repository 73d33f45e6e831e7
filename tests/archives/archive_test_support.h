// Shared by the archive component's tests: a library folder of the test's own (the platform
// searches only it), the fake archiver libraries placed there, and scratch folders.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Archives.h"
#include "winplat_kernel.h"

namespace archtest {

inline std::string FakeDir() { return std::string(VSE_BIN_DIR) + "/../tests/archive-fakes"; }

inline void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream f(path, std::ios::binary);
  f << data;
}
inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}
inline bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}
inline std::string Shell(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// A fresh folder below the test's working folder.
inline std::string Scratch(const std::string& name) {
  char cwd[4096];
  std::string dir = std::string(getcwd(cwd, sizeof cwd)) + "/" + name;
  Shell("rm -rf '" + dir + "'");
  mkdir(dir.c_str(), 0755);
  return dir;
}

// Frees every format's binding, so the next test loads its libraries anew.
inline void FreeAllBindings() { FreeArchiverDlls(); }

// A library folder holding exactly the given libraries: each entry is "<file in archive-fakes>
// as <Linux name>", or "zipvault" for the real libzipvault.so.
class LibraryFolder {
 public:
  LibraryFolder(std::initializer_list<std::pair<const char*, const char*>> libs) {
    dir_ = Scratch("libs");
    for (auto& [fromName, as] : libs) {
      const std::string from = fromName;
      const std::string src = from == "zipvault" ? std::string(VSE_BIN_DIR) + "/libzipvault.so"
                                                 : FakeDir() + "/lib" + from + ".so";
      if (symlink(src.c_str(), (dir_ + "/" + std::string(as)).c_str()) != 0) ADD_FAILURE() << "cannot link " << src;
    }
    FreeAllBindings();
    winplat::SetLibraryFolder(dir_);
  }
  LibraryFolder(const LibraryFolder&) = delete;
  ~LibraryFolder() {
    FreeAllBindings();
    winplat::SetLibraryFolder("");
  }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

// The control entries of a loaded fake, found by its Windows name.
class Fake {
 public:
  explicit Fake(const char* windowsName) : module_(LoadLibraryA(windowsName)) {}
  ~Fake() {
    if (module_) FreeLibrary(module_);
  }
  bool Loaded() const { return module_ != nullptr; }
  std::string LastCommand() { return Call<const char* (*)()>("FakeLastCommand")(); }
  std::string CallLog() { return Call<const char* (*)()>("FakeCallLog")(); }
  void Reset() { Call<void (*)()>("FakeReset")(); }
  void SetAnswer(const char* entry, int value) { Call<void (*)(const char*, int)>("FakeSetAnswer")(entry, value); }
  void AddMember(const TArchiveEntryInfo& info) { Call<void (*)(const void*)>("FakeAddMember")(&info); }
  void AddNotice(const std::string& source, const std::string& dest, const std::string& content) {
    Call<void (*)(const char*, const char*, const char*)>("FakeAddNotice")(source.c_str(), dest.c_str(),
                                                                          content.c_str());
  }

 private:
  template <class F>
  F Call(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HMODULE module_;
};

}  // namespace archtest
