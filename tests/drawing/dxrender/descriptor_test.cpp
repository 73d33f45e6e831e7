#include <gtest/gtest.h>
#include "DXRender.h"
#include "ddraw.h"
#include "support.h"

using namespace DXRender;

TEST(PixelDescriptor, ChannelShiftsFromMasks) {
  struct Case {
    uint32_t mask;
    int bits, right, left;
  } cases[] = {
      {0xFF0000, 8, 16, 0}, {0xFF00, 8, 8, 0}, {0xFF, 8, 0, 0},      // 32-bit
      {0x7C00, 5, 7, 0},    {0x3E0, 5, 2, 0},  {0x1F, 5, 0, 3},      // 5-5-5
      {0xF800, 5, 8, 0},    {0x7E0, 6, 3, 0},                         // 5-6-5
      {0x3FF00000, 10, 22, 0},                                        // wider than 8 bits
  };
  for (const Case& c : cases) {
    const TPixelChannel ch = MakeChannel(c.mask, false);
    EXPECT_EQ(ch.BitCount, c.bits) << std::hex << c.mask;
    EXPECT_EQ(ch.RightShift, c.right) << std::hex << c.mask;
    EXPECT_EQ(ch.LeftShift, c.left) << std::hex << c.mask;
  }
  const TPixelChannel index = MakeChannel(0xFF, true);
  EXPECT_EQ(index.RightShift, 0);
  EXPECT_EQ(index.LeftShift, 0);
  const TPixelChannel none = MakeChannel(0, false);
  EXPECT_EQ(none.BitCount, 0);
}

TEST(PixelDescriptor, FiveSixFiveWriteTruncates) {
  dxtest::GuardedImage img(dxtest::kFormats[2], 1, 1);
  TPixelDescriptor d = img.Descriptor();
  const uint8_t v[4] = {0xFF, 0x87, 0x0F, 0};
  const uint32_t p = WritePixelChannels(d, v, chColors);
  EXPECT_EQ(p, (0x1Fu << 11) | ((0x87u >> 2) << 5) | (0x0Fu >> 3));
  uint8_t back[4];
  ReadPixelChannels(d, p, back);
  EXPECT_EQ(back[0], 0xF8);
  EXPECT_EQ(back[1], 0x84);
  EXPECT_EQ(back[2], 0x08);
}

TEST(PixelDescriptor, GeometryAndSameFormat) {
  dxtest::GuardedImage a(dxtest::kFormats[0], 100, 33), b(dxtest::kFormats[1], 100, 33);
  TPixelDescriptor da = a.Descriptor(), db = b.Descriptor();
  EXPECT_EQ(da.WidthBits, 6);
  EXPECT_EQ(da.WidthPower, 64);
  EXPECT_EQ(da.HeightBits, 5);
  EXPECT_EQ(da.HeightMask, 31);
  EXPECT_EQ(da.PitchBits, 8);  // 400 bytes
  // Equal masks but different pixel sizes are different formats.
  EXPECT_FALSE(SameFormat(da, db));
  EXPECT_TRUE(SameFormat(da, a.Descriptor(true)));
}

namespace {

IDirectDrawSurface7* MakeSurface(IDirectDraw7* dd, int w, int h, const dxtest::Format& f) {
  DDSURFACEDESC2 sd{};
  sd.dwSize = sizeof sd;
  sd.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_CAPS;
  sd.dwWidth = w;
  sd.dwHeight = h;
  sd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  sd.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  sd.ddpfPixelFormat.dwRGBBitCount = f.Bpp;
  if (f.Indexed) {
    sd.ddpfPixelFormat.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
  } else {
    sd.ddpfPixelFormat.dwFlags = DDPF_RGB;
    sd.ddpfPixelFormat.dwRBitMask = f.R;
    sd.ddpfPixelFormat.dwGBitMask = f.G;
    sd.ddpfPixelFormat.dwBBitMask = f.B;
  }
  IDirectDrawSurface7* s = nullptr;
  EXPECT_EQ(dd->CreateSurface(&sd, &s, nullptr), DD_OK) << f.Name;
  return s;
}

}  // namespace

TEST(LockSurface, DescribesEveryMemoryFormat) {
  void* obj = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, &obj, IID_IDirectDraw7, nullptr), DD_OK);
  auto* dd = static_cast<IDirectDraw7*>(obj);
  for (const auto& f : dxtest::kFormats) {
    IDirectDrawSurface7* s = MakeSurface(dd, 13, 7, f);
    ASSERT_NE(s, nullptr);
    TPixelDescriptor d;
    DDSURFACEDESC2 sd{};
    ASSERT_TRUE(LockSurface(s, d, sd)) << f.Name;
    EXPECT_EQ(d.Kind, f.Indexed ? pdkIndexed : pdkRGB);
    EXPECT_EQ(d.Width, 13);
    EXPECT_EQ(d.Height, 7);
    EXPECT_EQ(d.BitsPerPixel, f.Bpp);
    EXPECT_EQ(d.Pitch, sd.lPitch);
    EXPECT_EQ(d.Pixels, sd.lpSurface);
    if (f.Indexed) {
      EXPECT_EQ(d.Channels[0].Mask, 0xFFu);
      EXPECT_EQ(d.Channels[1].Mask, 0u);
    } else {
      EXPECT_EQ(d.Channels[0].Mask, f.R);
      EXPECT_EQ(d.Channels[2].Mask, f.B);
      EXPECT_EQ(d.Channels[3].Mask, 0u);
    }
    // Locked twice fails, and the descriptor is left as it was.
    TPixelDescriptor untouched;
    std::memset(&untouched, 0xAB, sizeof untouched);
    TPixelDescriptor copy = untouched;
    EXPECT_FALSE(LockSurface(s, untouched));
    EXPECT_EQ(std::memcmp(&copy, &untouched, sizeof copy), 0);
    UnlockSurface(s, d);
    EXPECT_TRUE(LockSurface(s, d));
    UnlockSurface(s, d);
    s->Release();
  }
  dd->Release();
}

TEST(DirectDrawMemory, RefusesBadSurfaces) {
  void* obj = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, &obj, IID_IDirectDraw7, nullptr), DD_OK);
  auto* dd = static_cast<IDirectDraw7*>(obj);
  DDSURFACEDESC2 sd{};
  sd.dwSize = sizeof sd;
  sd.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
  sd.dwWidth = 100000;
  sd.dwHeight = 100000;
  IDirectDrawSurface7* s = nullptr;
  EXPECT_NE(dd->CreateSurface(&sd, &s, nullptr), DD_OK);
  EXPECT_EQ(s, nullptr);
  sd.dwWidth = 0;
  EXPECT_NE(dd->CreateSurface(&sd, &s, nullptr), DD_OK);
  sd.dwWidth = 4;
  sd.dwHeight = 4;
  sd.dwFlags |= DDSD_PIXELFORMAT;
  sd.ddpfPixelFormat.dwFlags = DDPF_RGB;
  sd.ddpfPixelFormat.dwRGBBitCount = 16;
  sd.ddpfPixelFormat.dwRBitMask = 0xF800;
  sd.ddpfPixelFormat.dwGBitMask = 0xFC00;  // overlaps red
  sd.ddpfPixelFormat.dwBBitMask = 0x1F;
  EXPECT_EQ(dd->CreateSurface(&sd, &s, nullptr), DDERR_INVALIDPIXELFORMAT);
  dd->Release();
}

TEST(LockSurface, IndexedSurfaceExpandsThroughItsPalette) {
  void* obj = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, &obj, IID_IDirectDraw7, nullptr), DD_OK);
  auto* dd = static_cast<IDirectDraw7*>(obj);
  IDirectDrawSurface7* indexed = MakeSurface(dd, 2, 1, dxtest::kFormats[4]);
  IDirectDrawSurface7* rgb = MakeSurface(dd, 2, 1, dxtest::kFormats[0]);
  PALETTEENTRY entries[256] = {};
  entries[7] = {10, 20, 30, 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(indexed->SetPalette(palette), DD_OK);
  TPixelDescriptor src, dst;
  ASSERT_TRUE(LockSurface(indexed, src));
  src.Pixels[0] = 7;
  src.Pixels[1] = 8;
  EXPECT_EQ(src.Palette[7].Green, 20);
  ASSERT_TRUE(LockSurface(rgb, dst));
  DrawRectBlend(dst, src, RECT{0, 0, 2, 1}, 0, false, 255, 1, RECT{0, 0, 2, 1});
  uint32_t px[2];
  std::memcpy(px, dst.Pixels, 8);
  EXPECT_EQ(px[0], 0x000A141Eu);  // red 10, green 20, blue 30
  EXPECT_EQ(px[1], 0u);
  UnlockSurface(rgb, dst);
  UnlockSurface(indexed, src);
  palette->Release();
  rgb->Release();
  indexed->Release();
  dd->Release();
}
