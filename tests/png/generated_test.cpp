// The cases of make_png_cases.py: every colour type and depth, plain and Adam7, at several
// sizes, with every row filter and split image data, and the malformed files; expected pixels
// come from the generator's own arrays (and libpng must agree on the valid ones).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "PngImage.h"
#include "png_dump.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Written once per test program into its scratch folder.
const fs::path& Cases() {
  static const fs::path dir = [] {
    const fs::path d = fs::absolute("generated");
    const std::string command = "python3 '" PNG_TEST_SOURCE_DIR "/make_png_cases.py' '" + d.string() + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "the case generator failed";
    return d;
  }();
  return dir;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  std::ifstream f(Cases() / "cases.txt");
  for (std::string line; std::getline(f, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

TEST(GeneratedPng, EveryCaseDecodesToItsSamples) {
  const auto names = CaseNames();
  ASSERT_GT(names.size(), 150u);
  int matrix = 0;
  for (const std::string& name : names) {
    const std::string file = (Cases() / (name + ".png")).string();
    const std::string expected = ReadText(Cases() / (name + ".expected"));
    const std::string ours = pngtest::DumpFile(file, false);
    if (expected.rfind("ERROR", 0) == 0) {
      EXPECT_EQ(ours.substr(0, ours.find('\n') + 1), expected) << name;
      continue;
    }
    EXPECT_EQ(ours, expected) << name;
    if (name[0] == 't' && name[2] == 'd') {
      ++matrix;
      EXPECT_EQ(pngtest::ReferenceDumpFile(file, false), expected) << name << " (libpng)";
    }
  }
  EXPECT_EQ(matrix, 15 * 4 * 2);
}

TEST(GeneratedPng, TextChunks) {
  TPNGObject png;
  png.LoadFromFile((Cases() / "ztxt_bomb.png").string());
  auto* z = png.Chunks()->FirstOfClass<TChunkzTXt>();
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(z->Keyword, "Comment");
  EXPECT_EQ(z->Text, "");  // past the cap: treated as corrupt, silently

  png.LoadFromFile((Cases() / "text_without_nul.png").string());
  auto* t = png.Chunks()->FirstOfClass<TChunktEXt>();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Keyword, "abcdef");
  EXPECT_EQ(t->Text, "");

  png.LoadFromFile((Cases() / "text_two_bytes.png").string());
  t = png.Chunks()->FirstOfClass<TChunktEXt>();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Keyword, "");
  EXPECT_EQ(t->Text, "");
}

// A gAMA of 0x80000000 is an unsigned value: the tables stay inside their 256 entries.
TEST(GeneratedPng, HighGammaValue) {
  TPNGObject png;
  png.LoadFromFile((Cases() / "gamma_80000000.png").string());
  EXPECT_EQ(png.GammaTable[0], 0);
  EXPECT_EQ(png.GammaTable[1], 255);
  EXPECT_EQ(png.InverseGammaTable[255], 255);
  EXPECT_EQ(png.InverseGammaTable[0], 0);
}

// Chunks the loader drops and keeps.
TEST(GeneratedPng, ChunksKeptAndDropped) {
  TPNGObject png;
  png.LoadFromFile((Cases() / "chrm_and_second_run.png").string());
  std::string types;
  for (int i = 0; i < png.Chunks()->Count(); ++i) types += png.Chunks()->Chunk(i)->ChunkType() + " ";
  EXPECT_EQ(types, "IHDR IDAT tEXt IEND ");
  png.LoadFromFile((Cases() / "unknown_ancillary.png").string());
  types.clear();
  for (int i = 0; i < png.Chunks()->Count(); ++i) types += png.Chunks()->Chunk(i)->ChunkType() + " ";
  EXPECT_EQ(types, "IHDR abCD IDAT IEND ");
  EXPECT_EQ(typeid(*png.Chunks()->Chunk(1)), typeid(TChunk));
}

}  // namespace
