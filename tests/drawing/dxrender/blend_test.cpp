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
const dxtest::Format& k24 = kFormats[1];

uint32_t Pixel32(GuardedImage& img, int x, int y) {
  uint32_t v;
  std::memcpy(&v, img.Data() + y * img.Pitch() + x * 4, 4);
  return v;
}
void SetPixel32(GuardedImage& img, int x, int y, uint32_t v) { std::memcpy(img.Data() + y * img.Pitch() + x * 4, &v, 4); }
std::vector<uint8_t> Bytes(GuardedImage& img) { return {img.Data(), img.Data() + img.Bytes()}; }

}  // namespace

// Reference values of the blend: red and green computed as a pair, blue alone.
TEST(Blend, FillReferenceValues) {
  struct Case {
    uint32_t color;  // red low byte, alpha high byte
    uint32_t under;  // destination pixel 0x00RRGGBB
    uint32_t expected;
  } cases[] = {
      {0x80000000, 0xFFFFFF, 0x7E7E7F},  // black over white at 128: 126, 126, 127
      {0x00000000, 0xFFFFFF, 0xFEFEFF},  // a = 0: red and green 254, blue 255
      {0xFFFFFFFF, 0x000000, 0xFEFEFE},  // a = 255, l = 255: 254 everywhere (blue: 0 + 254)
      {0xFF0000FF, 0x00FF00, 0xFE0000},  // opaque red over green
  };
  for (const auto& c : cases) {
    BothEngines([&](bool) {
      GuardedImage img(k24, 3, 2);
      TPixelDescriptor d = img.Descriptor();
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) std::memcpy(img.Data() + y * img.Pitch() + x * 3, &c.under, 3);
      FillRectBlend(d, RECT{1, 0, 3, 2}, 10, c.color);
      uint32_t got = 0, untouched = 0;
      std::memcpy(&got, img.Data() + 3, 3);
      std::memcpy(&untouched, img.Data(), 3);
      EXPECT_EQ(got, c.expected) << std::hex << c.color << " over " << c.under;
      EXPECT_EQ(untouched, c.under);
    });
  }
}

TEST(Blend, CopyOfSameFormatKeepsKeyedPixels) {
  BothEngines([](bool interpreted) {
    GuardedImage src(k32, 4, 1), dst(k32, 4, 1);
    const uint32_t texels[4] = {0x00112233, 0x00FF00FF, 0xAB445566, 0x00FF00FF};
    std::memcpy(src.Data(), texels, sizeof texels);
    for (int x = 0; x < 4; ++x) SetPixel32(dst, x, 0, 0x01010101);
    TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
    DrawRectBlend(dd, sd, RECT{0, 0, 4, 1}, 0x00FF00FF, true, 255, 1, RECT{0, 0, 4, 1});
    EXPECT_EQ(Pixel32(dst, 0, 0), 0x00112233u);
    EXPECT_EQ(Pixel32(dst, 1, 0), 0x01010101u);  // keyed: unchanged
    EXPECT_EQ(Pixel32(dst, 2, 0), 0xAB445566u);  // raw copy, top byte included
    EXPECT_EQ(Pixel32(dst, 3, 0), 0x01010101u);
    EXPECT_EQ(TDXRMachine::Instance().CompiledNative(), !interpreted);
  });
}

TEST(Blend, SourceWithoutAlphaTakesTheDefault) {
  BothEngines([](bool) {
    GuardedImage src(k32, 1, 1), dst(k32, 1, 1);
    SetPixel32(src, 0, 0, 0x00000000);
    SetPixel32(dst, 0, 0, 0x00FFFFFF);
    TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
    DrawRectBlend(dd, sd, RECT{0, 0, 1, 1}, 0, false, 128, 10, RECT{0, 0, 1, 1});
    EXPECT_EQ(Pixel32(dst, 0, 0), 0x007E7E7Fu);  // the X byte is not written
  });
}

TEST(Blend, ClippedDrawMatchesTheUnclippedOne) {
  BothEngines([](bool) {
    GuardedImage src(k32, 20, 5), full(k32, 60, 5), clipped(k32, 60, 5);
    src.Fill(1);
    TPixelDescriptor sd = src.Descriptor(), fd = full.Descriptor(), cd = clipped.Descriptor();
    // Stretched 2x; the clipped one hangs 10 pixels off the left edge.
    DrawRectBlend(fd, sd, RECT{0, 0, 40, 5}, 0, false, 255, 1, RECT{0, 0, 20, 5});
    DrawRectBlend(cd, sd, RECT{-10, 0, 30, 5}, 0, false, 255, 1, RECT{0, 0, 20, 5});
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 30; ++x) ASSERT_EQ(Pixel32(clipped, x, y), Pixel32(full, x + 10, y)) << x << "," << y;
  });
}

TEST(Blend, InvalidGeometryDrawsNothing) {
  GuardedImage src(k32, 8, 8), dst(k32, 8, 8);
  src.Fill(2);
  TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
  const std::vector<uint8_t> before = Bytes(dst);
  DrawRectBlend(dd, sd, RECT{0, 0, 8, 8}, 0, false, 255, 1, RECT{0, 0, 9, 8});   // past the right edge
  DrawRectBlend(dd, sd, RECT{0, 0, 8, 8}, 0, false, 255, 1, RECT{-1, 0, 8, 8});  // before the left edge
  DrawRectBlend(dd, sd, RECT{4, 0, 4, 8}, 0, false, 255, 1, RECT{0, 0, 8, 8});   // empty
  DrawRectBlend(dd, sd, RECT{8, 8, 20, 20}, 0, false, 255, 1, RECT{0, 0, 8, 8}); // outside
  FillRectBlend(dd, RECT{5, 5, 5, 9}, 10, 0xFF0000FF);
  DrawRotatedBlend(dd, sd, 4, 4, 0, 8, 0, 0, 0, RECT{0, 0, 8, 8}, 0, false, 255, 1);
  DrawRotatedBlend(dd, sd, 4, 4, 8, 8, 0, 0, 0, RECT{0, 0, 8, 9}, 0, false, 255, 1);
  EXPECT_EQ(Bytes(dst), before);
}

// Source coordinates past 32767 texels do not fit 16.16: nothing is drawn rather than wrapping.
TEST(Blend, CoordinatesBeyondSixteenBitsDrawNothing) {
  GuardedImage src(k32, 40000, 1), dst(k32, 40000, 1);
  src.Fill(6);
  TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
  DrawRectBlend(dd, sd, RECT{0, 0, 40000, 1}, 0, false, 255, 1, RECT{0, 0, 40000, 1});
  DrawRotatedBlend(dd, sd, 0, 0, 40000, 1, 0, 0, 0, RECT{0, 0, 40000, 1}, 0, false, 255, 1);
  for (size_t i = 0; i < dst.Bytes(); ++i) ASSERT_EQ(dst.Data()[i], 0) << i;
}

TEST(Rotate, AngleZeroIsAPlainCopy) {
  BothEngines([](bool) {
    GuardedImage src(k32, 6, 4), dst(k32, 16, 16);
    src.Fill(3);
    TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
    DrawRotatedBlend(dd, sd, 5, 7, 6, 4, 0.0, 0.0, 0, RECT{0, 0, 6, 4}, 0, false, 255, 1);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) ASSERT_EQ(Pixel32(dst, 5 + x, 7 + y), Pixel32(src, x, y)) << x << "," << y;
    EXPECT_EQ(Pixel32(dst, 4, 7), 0u);
    EXPECT_EQ(Pixel32(dst, 11, 7), 0u);
  });
}

TEST(Rotate, QuarterTurnPutsTheTopOnTheRight) {
  BothEngines([](bool) {
    GuardedImage src(k32, 8, 8), dst(k32, 32, 32);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) SetPixel32(src, x, y, y < 4 ? 0x00FF0000 : 0x000000FF);  // red top half
    TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
    DrawRotatedBlend(dd, sd, 16, 16, 8, 8, 0.5, 0.5, 64, RECT{0, 0, 8, 8}, 0, false, 255, 1);
    for (int y = 13; y < 19; ++y) {
      EXPECT_EQ(Pixel32(dst, 18, y), 0x00FF0000u) << y;  // right of the centre: the top half
      EXPECT_EQ(Pixel32(dst, 13, y), 0x000000FFu) << y;
    }
  });
}

// Right angles give steps of exactly 0; with centres outside 0..1 rows begin outside the source.
// Every texel read must stay inside it (the source sits against guard pages on both sides).
TEST(Rotate, RightAnglesWithOutlyingCentresStayInsideTheSource) {
  for (bool guardBefore : {false, true}) {
    GuardedImage src(k32, 4, 3, 0, guardBefore), dst(k32, 40, 40);
    src.Fill(4);
    TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor();
    for (int angle : {0, 64, 128, 192})
      for (double cx : {-0.5, 0.0, 0.5, 1.0, 1.5})
        for (double cy : {-0.5, 0.0, 0.5, 1.5})
          BothEngines([&](bool) {
            DrawRotatedBlend(dd, sd, 20, 20, 4, 3, cx, cy, angle, RECT{0, 0, 4, 3}, 0, false, 255, 1);
            DrawRotatedBlend(dd, sd, 20, 20, 9, 7, cx, cy, angle, RECT{1, 1, 3, 2}, 0, false, 200, 10);
          });
  }
}

// The native routines equal the interpreter byte for byte, padding included.
TEST(Differential, EntryPointsOverFormatsOpsKeysAndGeometry) {
  struct Geometry {
    RECT dest, src;
  } rects[] = {
      {{0, 0, 16, 8}, {0, 0, 16, 8}},    {{-5, -3, 30, 20}, {2, 1, 14, 8}}, {{3, 2, 9, 6}, {0, 0, 16, 8}},
      {{10, 4, 40, 30}, {5, 2, 7, 3}},   {{-20, 0, 8, 8}, {0, 0, 16, 8}},
      // One texel per pixel with odd widths and a clipped left edge: the block paths and their tails.
      {{1, 1, 14, 8}, {2, 0, 15, 7}},    {{-3, 0, 10, 8}, {0, 0, 13, 8}},   {{5, 3, 6, 4}, {7, 2, 8, 3}},
  };
  const int alphas[] = {1, 127, 128, 254, 255};
  int run = 0;
  for (const auto& df : kFormats)
    for (const auto& sf : kFormats) {
      if (df.Indexed && !sf.Indexed) continue;
      for (uint8_t op : {uint8_t{1}, uint8_t{10}})
        for (bool key : {false, true})
          for (const auto& g : rects) {
            const int alpha = alphas[run++ % 5];
            std::vector<uint8_t> results[2];
            BothEngines([&](bool interpreted) {
              GuardedImage src(sf, 16, 8, 4), dst(df, 24, 16, 8);
              src.Fill(10);
              dst.Fill(20);
              TPixelDescriptor sd = src.Descriptor(), dd = dst.Descriptor(true);
              // A key that occurs: the first texel's value.
              uint32_t keyValue = 0;
              std::memcpy(&keyValue, src.Data(), sf.Bpp / 8);
              DrawRectBlend(dd, sd, g.dest, keyValue, key, alpha, op, g.src);
              for (int angle : {0, 13, 32, 64, 100, 128, 192, 250})
                DrawRotatedBlend(dd, sd, 12, 8, 14, 9, 0.5, 0.3, angle, g.src, keyValue, key, alpha, op);
              if (!df.Indexed) {
                FillRectBlend(dd, g.dest, 10, 0x80123456u + static_cast<uint32_t>(alpha << 24));
                EXPECT_EQ(TDXRMachine::Instance().CompiledNative(), !interpreted);
              }
              results[interpreted ? 0 : 1] = Bytes(dst);
            });
            ASSERT_EQ(results[0], results[1]) << df.Name << " <- " << sf.Name << " op " << int(op) << " key " << key;
          }
    }
}

namespace {

// A random tree over every node kind and operation.
TDXRNode* RandomTree(TDXRMachine& m, std::mt19937& gen, int depth) {
  const int pick = depth <= 0 ? static_cast<int>(gen() % 5) : static_cast<int>(gen() % 8);
  switch (pick) {
    case 0: return m.CreateZero();
    case 1: return m.CreateColor(gen() & 0xFFFF, gen() & 0xFF00, gen() & 0xFFFF, gen() & 0xFF00);
    case 2: return m.CreateTexture(static_cast<uint8_t>(gen() % 2));
    case 3: return m.CreateDest();
    case 4: return m.CreateRegister(static_cast<uint8_t>(gen() % 3));
    default: {
      TDXRNode* l = RandomTree(m, gen, depth - 1);
      TDXRNode* r = RandomTree(m, gen, depth - 1);
      return m.CreateOperation(static_cast<uint8_t>(gen() % 15), l, r);
    }
  }
}

}  // namespace

TEST(Differential, RandomTrees) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::vector<uint8_t> results[2];
    const auto& df = kFormats[seed % 4];
    BothEngines([&](bool interpreted) {
      GuardedImage s0(kFormats[(seed / 4) % 5], 8, 8), s1(kFormats[(seed / 20) % 4], 8, 8), dst(df, 8, 4);
      s0.Fill(seed);
      s1.Fill(seed + 1000);
      dst.Fill(seed + 2000);
      TPixelDescriptor d0 = s0.Descriptor(), d1 = s1.Descriptor(), dd = dst.Descriptor();
      std::mt19937 gen(seed);
      TDXRMachine& m = TDXRMachine::Instance();
      m.Reset();
      m.Dest = &dd;
      for (int r = 0; r < 3; ++r) m.Registers[r] = {uint16_t(gen()), uint16_t(gen()), uint16_t(gen()), uint16_t(gen())};
      TPixelDescriptor* sources[2] = {&d0, &d1};
      for (int s = 0; s < 2; ++s) {
        m.Stages[s].Source = sources[s];
        m.Stages[s].DU = 0x8000 + s * 0x3000;
        m.Stages[s].DV = 0x2000;
        m.Stages[s].UseColorKey = gen() % 3 == 0;
        m.Stages[s].ColorKey = 0;
        for (auto& d : m.Stages[s].Default) d = static_cast<uint16_t>(gen() & 0xFF00);
      }
      if (!m.Compile(RandomTree(m, gen, 3))) return;
      for (int y = 0; y < 4; ++y) {
        m.SpanX = 0;
        m.SpanY = y;
        m.Stages[0].U = m.Stages[1].U = 0;
        m.Stages[0].V = m.Stages[1].V = y << 16;
        m.Run(8);
      }
      results[interpreted ? 0 : 1] = Bytes(dst);
    });
    ASSERT_EQ(results[0], results[1]) << "seed " << seed;
  }
}

// A tree too large for the native code buffer still runs, through the interpreter.
TEST(Machine, LargeTreeFallsBackToTheInterpreter) {
  GuardedImage dst(k32, 4, 1);
  dst.Fill(5);
  TPixelDescriptor dd = dst.Descriptor();
  TDXRMachine& m = TDXRMachine::Instance();
  m.Reset();
  m.Dest = &dd;
  TDXRNode* n = m.CreateDest();
  for (int i = 0; i < 30; ++i) n = m.CreateOperation(10, m.CreateColor(0x1000, 0x2000, 0x3000, 0x8000), n);
  ASSERT_TRUE(m.Compile(n));
  EXPECT_FALSE(m.CompiledNative());
  m.Run(4);
  // Repeated blending toward the constant moves every channel to near it.
  const uint32_t p = Pixel32(dst, 0, 0);
  EXPECT_NEAR(int((p >> 16) & 0xFF), 0x10, 2);
  EXPECT_NEAR(int(p & 0xFF), 0x30, 2);
}
