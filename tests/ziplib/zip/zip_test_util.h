// Helpers of the Zip command tests: a scratch folder per test as the current folder, the scripted
// answerer of message boxes, files, and the outside readers (Python's zipfile, bsdtar).
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "winplat_screen.h"
#include "ziplib/zip.h"
#include "ziplib/zipvault.h"

namespace ztest {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

inline void write_file(const fs::path& p, const std::string& data) {
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f.write(data.data(), static_cast<std::streamsize>(data.size()));
}

inline std::string read_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline std::string random_bytes(size_t n, unsigned seed = 1) {
  std::mt19937 g(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(g());
  return s;
}

inline std::string text_bytes(size_t n) {
  static const char* words[] = {"chalk", "board", "the", "green", "line", "of", "page", "teacher", "draws", "a"};
  std::mt19937 g(7);
  std::string s;
  while (s.size() < n) {
    s += words[g() % 10];
    s += (g() % 9 == 0) ? "\n" : " ";
  }
  s.resize(n);
  return s;
}

// Runs a shell command; its exit status, output in *out.
inline int run(const std::string& cmd, std::string* out = nullptr) {
  std::string file = "cmd_out.txt";
  int rc = std::system((cmd + " > " + file + " 2>&1").c_str());
  if (out) *out = read_file(file);
  std::remove(file.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// Runs a Python program (text) with the given arguments.
inline int python(const std::string& code, const std::string& args, std::string* out = nullptr) {
  write_file("check.py", code);
  int rc = run("python3 check.py " + args, out);
  std::remove("check.py");
  return rc;
}

// Python: every entry of the archive equals the file of the same name under root, testzip passes;
// prints one line per entry: name (hex of its bytes) method flags version-needed made-by size.
inline const char* kVerify = R"PY(
import sys, zipfile, os
arc, root = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(arc) as z:
    assert z.testzip() is None, 'testzip'
    for i in z.infolist():
        raw = i.filename.encode('cp437') if not (i.flag_bits & 0x800) else i.filename.encode()
        disk = os.path.join(root.encode(), raw.decode('cp932').encode('utf-8'))
        if raw.endswith(b'/'):
            assert os.path.isdir(disk), ('not a folder', raw)
        else:
            assert z.read(i) == open(disk, 'rb').read(), ('data differ', raw)
        print(raw.hex(), i.compress_type, i.flag_bits, i.extract_version, i.create_version | (i.create_system << 8), i.file_size)
print('OK')
)PY";

class ZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = fs::current_path();
    dir_ = base_ / (std::string(info->test_suite_name()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    answers_ = winplat::screen::InstallScriptedAnswerer();
  }
  void TearDown() override {
    winplat::screen::SetMessageBoxAnswerer({});
    fs::current_path(base_);
  }

  // The texts of the message boxes shown so far.
  std::vector<std::u16string> boxes() const {
    std::vector<std::u16string> v;
    for (auto& r : answers_->Shown()) v.push_back(r.text);
    return v;
  }
  bool shown(const std::u16string& text) const {
    for (auto& t : boxes())
      if (t == text) return true;
    return false;
  }

  int zip(const std::string& cmd, void* hwnd = nullptr) { return Zip(hwnd, cmd.c_str(), nullptr, 0); }

  // Python's verdict on an archive against the files under root: its output lines, "OK" last.
  std::vector<std::string> verify(const std::string& arc, const std::string& root = ".") {
    std::string out;
    int rc = python(kVerify, arc + " " + root, &out);
    EXPECT_EQ(rc, 0) << out;
    std::vector<std::string> lines;
    std::istringstream s(out);
    for (std::string l; std::getline(s, l);) lines.push_back(l);
    EXPECT_FALSE(lines.empty());
    if (!lines.empty()) {
      EXPECT_EQ(lines.back(), "OK") << out;
    }
    return lines;
  }

  static std::string hex(const std::string& s) {
    static const char* d = "0123456789abcdef";
    std::string h;
    for (unsigned char c : s) {
      h += d[c >> 4];
      h += d[c & 15];
    }
    return h;
  }

  fs::path base_, dir_;
  std::shared_ptr<winplat::screen::ScriptedAnswerer> answers_;
};

}  // namespace ztest
