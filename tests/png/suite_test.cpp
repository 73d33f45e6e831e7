// PngSuite: every valid image decodes to the pixels libpng gives, at 8 and at 16 bits; every
// corrupt image ("x" prefix) is refused with its exception.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "PngImage.h"
#include "png_dump.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSuite = fs::path(TEST_DATA_DIR) / "png" / "pngsuite";

// The first line where the two forms differ, for a readable failure.
std::string FirstDifference(const std::string& ours, const std::string& theirs) {
  std::istringstream a(ours), b(theirs);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool ga = static_cast<bool>(std::getline(a, la)), gb = static_cast<bool>(std::getline(b, lb));
    if (!ga && !gb) return "";
    if (la != lb || ga != gb)
      return "line " + std::to_string(line) + "\n ours:   " + la.substr(0, 240) + "\n libpng: " + lb.substr(0, 240);
  }
}

std::vector<fs::path> SuiteFiles(bool corrupt) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(kSuite)) {
    const std::string name = e.path().filename().string();
    if (e.path().extension() != ".png") continue;
    if ((name[0] == 'x') == corrupt) files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(PngSuite, ValidImagesDecodeToLibpngPixels) {
  const auto files = SuiteFiles(false);
  ASSERT_GE(files.size(), 150u);
  for (const fs::path& f : files)
    for (bool eightBit : {false, true}) {
      const std::string ours = pngtest::DumpFile(f.string(), eightBit);
      const std::string theirs = pngtest::ReferenceDumpFile(f.string(), eightBit);
      ASSERT_EQ(theirs.rfind("ERROR", 0), std::string::npos) << f;
      EXPECT_EQ(FirstDifference(ours, theirs), "") << f.filename() << (eightBit ? " (8 bits)" : "");
    }
}

TEST(PngSuite, CorruptImagesRaiseTheirException) {
  const std::map<std::string, std::string> expected = {
      {"xs1n0g01.png", "EPNGInvalidFileHeader"}, {"xs2n0g01.png", "EPNGInvalidFileHeader"},
      {"xs4n0g01.png", "EPNGInvalidFileHeader"}, {"xs7n0g01.png", "EPNGInvalidFileHeader"},
      {"xcrn0g04.png", "EPNGInvalidFileHeader"}, {"xlfn0g04.png", "EPNGInvalidFileHeader"},
      {"xhdn0g08.png", "EPngInvalidCRC"},        {"xcsn0g01.png", "EPngInvalidCRC"},
      {"xc1n0g08.png", "EPngInvalidIHDR"},       {"xc9n2c08.png", "EPngInvalidIHDR"},
      {"xd0n2c08.png", "EPngInvalidIHDR"},       {"xd3n2c08.png", "EPngInvalidIHDR"},
      {"xd9n2c08.png", "EPngInvalidIHDR"},       {"xdtn0g01.png", "EPNGNoImageData"},
  };
  const auto files = SuiteFiles(true);
  EXPECT_EQ(files.size(), expected.size());
  for (const fs::path& f : files) {
    const auto it = expected.find(f.filename().string());
    ASSERT_NE(it, expected.end()) << f;
    const std::string dump = pngtest::DumpFile(f.string(), false);
    EXPECT_EQ(dump.substr(0, dump.find('\n')), "ERROR " + it->second) << f.filename();
  }
}

// The exception texts, each the codec's own.
TEST(PngSuite, ExceptionTexts) {
  const std::string bad = pngtest::DumpFile((kSuite / "xs1n0g01.png").string(), false);
  EXPECT_EQ(bad.substr(bad.find('\n') + 1),
            "The file being readed is not a valid \"Portable Network Graphics\" image because it contains an invalid "
            "header. This file may be corruped, try obtaining it again.\n");
  const std::string crc = pngtest::DumpFile((kSuite / "xcsn0g01.png").string(), false);
  EXPECT_EQ(crc.substr(crc.find('\n') + 1),
            "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of data (crc "
            "error)\n");
  EXPECT_STREQ(EPNGIHDRNotFirst().what(),
               "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n(IHDR chunk is "
               "not the first)");
  EXPECT_STREQ(EPNGZLIBError("incorrect header check").what(),
               "Could not decompress the image because it contains invalid compressed data.\r\n Description: "
               "incorrect header check");
}

}  // namespace
