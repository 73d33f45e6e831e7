// Helpers of the drawing-layer tests: surfaces of a chosen depth, pixel reads.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "DXDraws.h"

namespace dxtest {

inline DDPIXELFORMAT Format(int bits, bool is565 = true) {
  DDPIXELFORMAT pf{};
  pf.dwSize = sizeof pf;
  pf.dwRGBBitCount = static_cast<DWORD>(bits);
  if (bits == 8) {
    pf.dwFlags = DDPF_PALETTEINDEXED8;
  } else {
    pf.dwFlags = DDPF_RGB;
    if (bits == 16 && is565) {
      pf.dwRBitMask = 0xF800;
      pf.dwGBitMask = 0x07E0;
      pf.dwBBitMask = 0x001F;
    } else if (bits == 16) {
      pf.dwRBitMask = 0x7C00;
      pf.dwGBitMask = 0x03E0;
      pf.dwBBitMask = 0x001F;
    } else {
      pf.dwRBitMask = 0xFF0000;
      pf.dwGBitMask = 0x00FF00;
      pf.dwBBitMask = 0x0000FF;
    }
  }
  return pf;
}

// A surface wrapper on `dd` of the given size and depth (32 bits: the display's format).
inline std::unique_ptr<TDirectDrawSurface> MakeSurface(TDirectDraw& dd, int w, int h, int bits = 32, bool is565 = true) {
  auto s = std::make_unique<TDirectDrawSurface>(&dd);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  d.dwWidth = static_cast<DWORD>(w);
  d.dwHeight = static_cast<DWORD>(h);
  d.ddpfPixelFormat = Format(bits, is565);
  EXPECT_TRUE(s->CreateSurface(d));
  return s;
}

// A 256-entry palette: entry i = (i, 255 - i, i / 2), entry 0 black, 255 white.
inline std::unique_ptr<TDirectDrawPalette> MakePalette(TDirectDraw& dd) {
  PALETTEENTRY e[256];
  for (int i = 0; i < 256; ++i)
    e[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
  e[0] = PALETTEENTRY{0, 0, 0, 0};
  e[255] = PALETTEENTRY{255, 255, 255, 0};
  auto p = std::make_unique<TDirectDrawPalette>(&dd);
  EXPECT_TRUE(p->CreatePalette(DDPCAPS_8BIT, e));
  return p;
}

// Fills a 32-bit surface with a value per pixel.
template <class F>
void Paint(TDirectDrawSurface& s, F value) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) s.SetPixels(x, y, value(x, y));
}

}  // namespace dxtest
