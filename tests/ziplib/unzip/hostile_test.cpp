// Damaged and hostile archives: every result is an error code, nothing lands outside the
// destination, nothing hangs.
#include "unzip_test_util.h"

using namespace utest;

namespace {

// Every regular file below root lies below root/dest.
void expect_contained(const std::string& root) {
  if (!fs::exists(root)) return;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file() || e.is_symlink()) {
      ASSERT_EQ(e.path().string().rfind(root + "/dest/", 0), 0u) << e.path();
    }
  }
}

TEST_F(UnzipTest, CraftedArchives) {
  struct Case {
    const char* archive;
    const char* options;
    int result;
  } cases[] = {
      {"huge_count.zip", "-t", 3},
      {"bomb.zip", "-t", 2},
      {"bomb.zip", "-x", 2},
      {"huge_size.zip", "-t", 2},
      {"methods.zip", "-x", 1},
      {"empty.zip", "-x", 1},
      {"tiny.zip", "-t", 9},
      {"missing.zip", "-t", 9},
      {"longname.zip", "-x", 1},
      {"badoffset.zip", "-x", 3},
      {"boundary.zip", "-x", 0},
      {"comment65000.zip", "-t", 0},
      {"trailing70000.zip", "-t", 9},
      {"overlap.zip", "-x", 0},
  };
  for (const auto& c : cases) {
    std::string root = fresh("crafted");
    EXPECT_EQ(unzip(std::string(c.options) + " " + arc(c.archive) + " " + root + "/dest/"), c.result) << c.archive;
    expect_contained(root);
  }
  EXPECT_EQ(unzip("-x " + arc("archives") + " x/"), 9);
  EXPECT_EQ(unzip(std::string("-x ") + archives() + " x/"), 76);
  // What was written of the bomb stays within its stated size.
  fresh("crafted");
  unzip("-x " + arc("bomb.zip") + " crafted/dest/");
  EXPECT_LE(fs::file_size("crafted/dest/bomb.bin"), 100u);
  fresh("crafted");
  EXPECT_EQ(unzip("-x " + arc("methods.zip") + " crafted/dest/"), 1);
  EXPECT_TRUE(fs::exists("crafted/dest/ok.txt"));
  EXPECT_FALSE(fs::exists("crafted/dest/bz.bin"));
  fresh("crafted");
  EXPECT_EQ(unzip("-x " + arc("longname.zip") + " crafted/dest/"), 1);
  EXPECT_TRUE(fs::exists("crafted/dest/short.txt"));
  size_t files = 0;
  for (auto& e : fs::directory_iterator("crafted/dest")) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
}

TEST_F(UnzipTest, DamagedDataIsReported) {
  EXPECT_EQ(unzip("-t " + arc("baddeflate.zip")), 2);
  ASSERT_EQ(answerer->Shown().size(), 1u);
  EXPECT_EQ(answerer->Shown()[0].text, u"error:  invalid compressed data to inflate bad.txt");
  EXPECT_EQ(answerer->Shown()[0].caption, u"ZIPVAULT");
  EXPECT_EQ(answerer->Shown()[0].type & 0xF0u, static_cast<UINT>(MB_ICONHAND));
}

TEST_F(UnzipTest, SmallFiles) {
  for (size_t n : {0u, 1u, 18u, 21u, 22u}) {
    std::string data(n, '\0');
    if (n >= 4) data.replace(0, 4, "PK\x05\x06", 4);
    write_file("small.zip", data);
    int r = unzip("-t small.zip");
    if (n < 22) EXPECT_EQ(r, 9) << n;
    else EXPECT_EQ(r, 1) << n;   // an end record of an empty archive
  }
}

TEST_F(UnzipTest, TruncatedArchives) {
  std::string data = read_file(arc("py_stream.zip"));
  for (size_t cut = 0; cut < data.size(); cut += (cut + 300 > data.size() ? 1 : 97)) {
    write_file("cut.zip", data.substr(0, cut));
    std::string root = fresh("cut");
    int r = unzip("-x cut.zip " + root + "/dest/");
    EXPECT_NE(r, 0) << cut;
    EXPECT_NE(unzip("-t cut.zip"), 0) << cut;
    expect_contained(root);
  }
}

TEST_F(UnzipTest, FlippedBits) {
  struct Case {
    const char* name;
    std::vector<int> bits;
  } cases[] = {{"cp932.zip", {0, 7}}, {"encrypted_one.zip", {7}}};
  for (const auto& [name, bits] : cases) {
    std::string data = read_file(arc(name));
    for (size_t i = 0; i < data.size(); ++i) {
      for (int bit : bits) {
        std::string d = data;
        d[i] = static_cast<char>(d[i] ^ (1 << bit));
        write_file("flip.zip", d);
        std::string root = fresh("flip");
        unzip("-x flip.zip " + root + "/dest/");
        unzip("-v flip.zip");
        expect_contained(root);
        if (HasFatalFailure()) return;
      }
    }
  }
}

}  // namespace
