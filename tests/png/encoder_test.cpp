// Our encoder: every colour type and depth, plain and Adam7, read back by libpng with the same
// pixels, passing pngcheck; row filters and chunk sizes checked with Python's zlib.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "PngImage.h"
#include "png_dump.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSuite = fs::path(TEST_DATA_DIR) / "png" / "pngsuite";

std::string Quoted(const std::vector<fs::path>& files) {
  std::string s;
  for (const fs::path& f : files) s += " '" + f.string() + "'";
  return s;
}

// Runs `command`; its output lines that are not "...: ok" (empty when all are).
std::string Problems(const std::string& command) {
  const std::string out = fs::absolute("command.out").string();
  std::system((command + " > '" + out + "' 2>&1").c_str());
  std::ifstream f(out);
  std::string problems;
  for (std::string line; std::getline(f, line);)
    if (line.size() < 4 || line.compare(line.size() - 4, 4, ": ok") != 0) problems += line + "\n";
  return problems;
}

std::string CheckIdat(const std::vector<fs::path>& files, const char* filters, int chunkSize) {
  return Problems("python3 '" PNG_TEST_SOURCE_DIR "/check_idat.py' " + std::string(filters) + " " +
                  std::to_string(chunkSize) + Quoted(files));
}

bool HavePngcheck() { return std::system("command -v pngcheck > /dev/null 2>&1") == 0; }

// The suite's images of every type and depth (and those with transparency or gamma), saved plain
// and interlaced, with the default filter and with all five.
TEST(PngEncoder, SavedImagesReadBackThroughLibpng) {
  std::vector<fs::path> saved[2];
  for (const auto& e : fs::directory_iterator(kSuite)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("bas", 0) != 0 && name.rfind("tb", 0) != 0 && name.rfind("tp", 0) != 0 &&
        name.rfind("g04", 0) != 0 && name.rfind("g25", 0) != 0)
      continue;
    TPNGObject png;
    png.LoadFromFile(e.path().string());
    const std::string original = pngtest::DumpPicture(png, false);
    for (int variant = 0; variant < 2; ++variant) {
      png.SetInterlaceMode(static_cast<uint8_t>(variant));
      png.SetRowFilters(variant ? TFilters{pfNone, pfSub, pfUp, pfAverage, pfPaeth} : TFilters{pfSub});
      const fs::path out = fs::absolute("saved_" + std::to_string(variant) + "_" + name);
      png.SaveToFile(out.string());
      saved[variant].push_back(out);
      TPNGObject again;
      again.LoadFromFile(out.string());
      EXPECT_EQ(pngtest::DumpPicture(again, false), original) << name << " variant " << variant;
      EXPECT_EQ(pngtest::ReferenceDumpFile(out.string(), false), original) << name << " variant " << variant
                                                                              << " (libpng)";
    }
  }
  ASSERT_GT(saved[0].size(), 30u);
  if (HavePngcheck()) {
    // pngcheck prints nothing with -q for a good file.
    EXPECT_EQ(Problems("pngcheck -q" + Quoted(saved[0]) + Quoted(saved[1])), "");
  } else {
    ADD_FAILURE() << "pngcheck is not installed (tools/install-deps.sh)";
  }
  EXPECT_EQ(CheckIdat(saved[0], "sub", 65535), "");
  EXPECT_EQ(CheckIdat(saved[1], "adaptive", 65535), "");
}

// A big image at level 0 gives predictable sizes: the chunk split and the single filters show.
TEST(PngEncoder, ImageDataChunksHoldMaxImageChunkSize) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(300, 300);
  uint32_t state = 7;
  for (int y = 0; y < 300; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < 900; ++x) row[x] = static_cast<uint8_t>((state = state * 1103515245 + 12345) >> 16);
  }
  TPNGObject png;
  png.Assign(&bitmap);
  png.SetDeflateLevel(0);
  png.SetMaxImageChunkSize(1000);
  EXPECT_EQ(png.MaxImageChunkSize(), 65535);
  png.SaveToFile("chunks_65535.png");
  png.SetMaxImageChunkSize(100000);
  png.SetRowFilters(TFilters{pfUp});
  png.SaveToFile("chunks_100000_up.png");
  png.SetRowFilters(TFilters{});
  png.SaveToFile("chunks_100000_none.png");
  EXPECT_EQ(CheckIdat({fs::absolute("chunks_65535.png")}, "sub", 65535), "");
  EXPECT_EQ(CheckIdat({fs::absolute("chunks_100000_up.png")}, "up", 100000), "");
  EXPECT_EQ(CheckIdat({fs::absolute("chunks_100000_none.png")}, "none", 100000), "");
  EXPECT_GT(fs::file_size("chunks_65535.png"), 3u * 65535u);
  // The pixels survive, as libpng reads them.
  TPNGObject again;
  again.LoadFromFile("chunks_65535.png");
  EXPECT_EQ(pngtest::ReferenceDumpFile("chunks_65535.png", false), pngtest::DumpPicture(again, false));
  for (int y = 0; y < 300; y += 37)
    for (int x = 0; x < 300; x += 41) {
      const uint8_t* p = bitmap.ScanLine(y) + 3 * x;
      EXPECT_EQ(again.GetPixels(x, y), static_cast<TColor>(RGB(p[2], p[1], p[0])));
    }
}

}  // namespace
