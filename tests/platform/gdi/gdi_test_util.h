// A DIB section selected into a memory DC, for raster tests.
#pragma once
#include <gtest/gtest.h>
#include <vector>
#include "windows.h"

struct TestCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
  int width = 0, height = 0;

  TestCanvas(int w, int h, int bpp = 32, COLORREF fill = RGB(0, 0, 0)) : width(w), height(h) {
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD colors[256];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = w;
    bi.h.biHeight = h;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = static_cast<WORD>(bpp);
    // Indexed canvases get a grey ramp: black is index 0 and white has every bit set.
    if (bpp <= 8) {
      const int n = 1 << bpp;
      for (int i = 0; i < n; ++i) {
        const BYTE v = static_cast<BYTE>(i * 255 / (n - 1));
        bi.colors[i] = RGBQUAD{v, v, v, 0};
      }
    }
    bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    Fill(fill);
  }
  ~TestCanvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  void Fill(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    RECT r{0, 0, width, height};
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  // Pixels not of colour `bg`.
  int CountNot(COLORREF bg) const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += At(x, y) != bg;
    return n;
  }
  // '#' for pixels of `c`, '.' otherwise, one string per row.
  std::vector<std::string> Map(COLORREF c, int w = -1, int h = -1) const {
    std::vector<std::string> rows;
    for (int y = 0; y < (h < 0 ? height : h); ++y) {
      std::string s;
      for (int x = 0; x < (w < 0 ? width : w); ++x) s += At(x, y) == c ? '#' : '.';
      rows.push_back(s);
    }
    return rows;
  }
};

// A BITMAPINFO with room for a whole colour table (or the three masks of BI_BITFIELDS).
struct Info {
  BITMAPINFOHEADER h;
  RGBQUAD colors[256];
};

inline Info MakeInfo(int w, int h, int bpp, DWORD compression = BI_RGB) {
  Info bi{};
  bi.h.biSize = sizeof(BITMAPINFOHEADER);
  bi.h.biWidth = w;
  bi.h.biHeight = h;
  bi.h.biPlanes = 1;
  bi.h.biBitCount = static_cast<WORD>(bpp);
  bi.h.biCompression = compression;
  return bi;
}

// Selects a new pen (and deletes it on scope exit).
struct ScopedPen {
  HDC dc;
  HPEN pen;
  HGDIOBJ old;
  ScopedPen(HDC d, int style, int width, COLORREF c) : dc(d), pen(CreatePen(style, width, c)) { old = SelectObject(dc, pen); }
  ~ScopedPen() {
    SelectObject(dc, old);
    DeleteObject(pen);
  }
};
struct ScopedBrush {
  HDC dc;
  HBRUSH brush;
  HGDIOBJ old;
  ScopedBrush(HDC d, HBRUSH b) : dc(d), brush(b) { old = SelectObject(dc, brush); }
  ~ScopedBrush() {
    SelectObject(dc, old);
    DeleteObject(brush);
  }
};
