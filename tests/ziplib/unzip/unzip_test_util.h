// Helpers of the extraction tests: the archives (made once per run by the Python tool), files,
// the scripted answerer, and the exported entries called directly.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "winplat_screen.h"
#include "ziplib/unzip.h"
#include "ziplib/unzip_exports.h"
#include "ziplib/unzip_ui.h"

namespace utest {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline void write_file(const fs::path& p, const std::string& data) {
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// The folder of generated archives, relative to the test's working folder.
inline const std::string& archives() {
  static const std::string dir = [] {
    std::string tool = std::string(TEST_DATA_DIR) + "/../ziplib/tools/make_unzip_archives.py";
    std::string cmd = "python3 '" + tool + "' archives";
    if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "archive maker failed";
    return std::string("archives");
  }();
  return dir;
}

inline std::string arc(const std::string& name) { return archives() + "/" + name; }

// Runs an Unzip command; the listing text in *out when given.
inline int unzip(const std::string& cmd, std::string* out = nullptr, uint32_t cap = 1 << 20) {
  std::string buf(cap, '\x7f');
  int r = Unzip(nullptr, cmd.c_str(), out ? buf.data() : nullptr, out ? cap : 0);
  if (out) *out = std::string(buf.c_str());
  return r;
}

// A fresh scratch folder under the working folder.
inline std::string fresh(const std::string& name) {
  fs::remove_all(name);
  return name;
}

// Resets the answers that outlive a call.
inline void reset_globals() { zipvault::unzip_globals() = zipvault::UnzipGlobals(); }

class UnzipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    archives();
    reset_globals();
    zipvault::clear_password_input();
    answerer = winplat::screen::InstallScriptedAnswerer();
  }
  void TearDown() override {
    winplat::screen::SetMessageBoxAnswerer({});
    zipvault::clear_password_input();
    reset_globals();
  }
  std::shared_ptr<winplat::screen::ScriptedAnswerer> answerer;
};

}  // namespace utest
