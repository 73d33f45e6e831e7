// A 32-bit DIB section in a memory DC, and PNG pictures of it and of screen pixels.
#pragma once
#include <vector>

#include <cstdio>
#include <string>

#include "test_support.h"
#include "windows.h"

// Writes 0x00RRGGBB pixels (row 0 at the top) as an RGB PNG.
inline bool SavePixelsPng(const std::string& path, int width, int height, const uint32_t* pixels) {
  return test_support::WritePng(path, width, height,
                                std::vector<uint32_t>(pixels, pixels + static_cast<size_t>(width) * height));
}

struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
  int width = 0, height = 0;

  Canvas(int w, int h, COLORREF fill) : width(w), height(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    HBRUSH b = CreateSolidBrush(fill);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  int Count(const RECT& r, COLORREF c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
    return n;
  }

  bool SavePng(const std::string& path) const {
    // A top-down 32-bit section: B G R x per pixel, which reads as 0x00RRGGBB once masked.
    const auto* px = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> pixels(px, px + static_cast<size_t>(width) * height);
    for (auto& p : pixels) p &= 0xFFFFFF;
    return test_support::WritePng(path, width, height, pixels);
  }
};
