// The scratch folder of a fuzz target, made on first use and removed at exit:
// /tmp/vse-fuzz-<target>-<process id in ten digits>. Its name has the same length and the same kind
// of characters in every run, so the paths built on it take the same code paths each time and the
// fuzzer's working folder is left alone.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::string& FuzzScratch(const char* target) {
  struct Folder {
    std::string path;
    ~Folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static const Folder folder = [target] {
    char pid[16];
    std::snprintf(pid, sizeof pid, "%010ld", static_cast<long>(getpid()));
    Folder f{std::string("/tmp/vse-fuzz-") + target + "-" + pid};
    std::error_code ec;
    std::filesystem::remove_all(f.path, ec);
    if (!std::filesystem::create_directory(f.path, ec)) std::abort();
    return f;
  }();
  return folder.path;
}
