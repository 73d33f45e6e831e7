// The native four-pixel blend of stretched and rotated textures equals the interpreter byte for
// byte: spans of awkward widths, unaligned and clipped starts, keyed texels (the key compares
// the whole 32-bit texel, so a key colour with another alpha byte is drawn), and one routine
// reused for the same operation while a changed constant gets a routine of its own.
#include <gtest/gtest.h>

#include <vector>

#include "DXRender.h"
#include "support.h"

using namespace DXRender;
using dxtest::BothEngines;
using dxtest::GuardedImage;
using dxtest::kFormats;

namespace {

const dxtest::Format& k32 = kFormats[0];
constexpr uint32_t kKey = 0x00405060;

// Random texels with keyed ones planted, and texels of the key colour with other alpha bytes.
void PlantKeys(GuardedImage& img, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t v = 0;
      if ((x * 7 + y * 3) % 5 == 0) v = kKey;
      else if ((x + y) % 11 == 0) v = kKey | 0x80000000u;
      else continue;
      std::memcpy(img.Data() + y * img.Pitch() + x * 4, &v, 4);
    }
}

std::vector<uint8_t> Bytes(GuardedImage& img) { return {img.Data(), img.Data() + img.Bytes()}; }

}  // namespace

TEST(VectorBlend, RotatedAndStretchedSpansEqualTheInterpreter) {
  const int sizes[] = {1, 3, 7, 8, 9, 31};
  for (int alpha : {1, 128, 200})
    for (bool key : {false, true}) {
      std::vector<uint8_t> results[2];
      BothEngines([&](bool interpreted) {
        GuardedImage src(k32, 40, 30), dst(k32, 70, 50);
        src.Fill(3);
        PlantKeys(src, 40, 30);
        dst.Fill(4);
        TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
        const RECT whole{0, 0, 40, 30}, part{3, 2, 37, 29};
        for (int w : sizes)
          for (int h : {1, 5, 31}) {
            for (int angle : {0, 17, 40, 64, 101, 128, 200, 251}) {
              DrawRotatedBlend(dd, sd, 35, 25, w, h, 0.5, 0.5, angle, whole, kKey, key, alpha, 10);
              // Near the edges: the spans start clipped.
              DrawRotatedBlend(dd, sd, 1, 48, w, h, 0.3, 0.7, angle, part, kKey, key, alpha, 10);
            }
            // Stretched and shrunk spans at odd, unaligned and clipped starts.
            DrawRectBlend(dd, sd, RECT{5, 3, 5 + w, 3 + h}, kKey, key, alpha, 10, RECT{1, 1, 1 + (w * 2 + 1) / 3, 20});
            EXPECT_EQ(TDXRMachine::Instance().CompiledNative(), !interpreted);
            DrawRectBlend(dd, sd, RECT{-3, 7, 2 * w + 1, 9}, kKey, key, alpha, 11, part);
          }
        results[interpreted ? 0 : 1] = Bytes(dst);
      });
      ASSERT_EQ(results[0], results[1]) << "alpha " << alpha << " key " << key;
    }
}
