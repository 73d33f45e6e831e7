// Reading the pictures of icons back, for comparing them.
#pragma once
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include <windows.h>

struct Pixels {
  int w = 0, h = 0;
  std::vector<uint32_t> px;  // 0x00RRGGBB, top-down
  uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

inline Pixels ReadBitmap(HBITMAP bm) {
  Pixels p;
  BITMAP info{};
  GetObjectA(bm, sizeof info, &info);
  p.w = info.bmWidth;
  p.h = info.bmHeight;
  p.px.resize(static_cast<size_t>(p.w) * p.h);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = p.w;
  bi.bmiHeader.biHeight = -p.h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, bm, 0, static_cast<UINT>(p.h), p.px.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  for (auto& v : p.px) v &= 0x00FFFFFFu;
  return p;
}

// The picture (black where clear) and the mask (non-zero where clear) of an icon.
inline std::pair<Pixels, Pixels> IconPixels(HICON icon) {
  ICONINFO info{};
  EXPECT_TRUE(GetIconInfo(icon, &info));
  auto r = std::make_pair(ReadBitmap(info.hbmColor), ReadBitmap(info.hbmMask));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return r;
}

