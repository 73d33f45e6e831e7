// A fresh folder per test, made the current folder while the test runs.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    old_ = fs::current_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = old_ / (std::string("scratch-") + info->test_suite_name() + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    namespace fs = std::filesystem;
    fs::current_path(old_);
    std::error_code ec;
    // Read-only files must not keep the folder from being removed.
    for (auto& e : fs::recursive_directory_iterator(dir_, ec))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string Dir() const { return dir_.string(); }

  std::filesystem::path old_, dir_;
};
