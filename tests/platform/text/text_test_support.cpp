#include "text_test_support.h"

#include "test_support.h"

#include <algorithm>
#include <cstdio>

namespace texttest {

MemoryTarget::MemoryTarget(int w, int h, uint32_t fill)
    : width(w), height(h), clip{0, 0, w, h}, pixels(static_cast<size_t>(w) * h, fill) {}

uint32_t ToRgb(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

void MemoryTarget::BlendCoverage(int x, int y, int w, int h, const uint8_t* coverage, int pitch,
                                 COLORREF colour) {
  uint32_t c = ToRgb(colour);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int px = x + i, py = y + j;
      if (px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom) continue;
      unsigned a = coverage[static_cast<size_t>(j) * pitch + i];
      if (!a) continue;
      uint32_t& d = pixels[static_cast<size_t>(py) * width + px];
      uint32_t out = 0;
      for (int s = 0; s < 24; s += 8) {
        unsigned dv = (d >> s) & 0xFF, cv = (c >> s) & 0xFF;
        out |= ((dv * (255 - a) + cv * a + 127) / 255) << s;
      }
      d = out;
    }
}

void MemoryTarget::FillRect(const RECT& r, COLORREF colour) {
  for (int y = std::max<int>(r.top, clip.top); y < std::min<int>(r.bottom, clip.bottom); ++y)
    for (int x = std::max<int>(r.left, clip.left); x < std::min<int>(r.right, clip.right); ++x)
      pixels[static_cast<size_t>(y) * width + x] = ToRgb(colour);
}

RECT MemoryTarget::InkBox(uint32_t background) const {
  RECT r{width, height, 0, 0};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (At(x, y) != background) {
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
  if (r.right == 0) r = RECT{0, 0, 0, 0};
  return r;
}

int MemoryTarget::CountNot(uint32_t background) const {
  return static_cast<int>(std::count_if(pixels.begin(), pixels.end(),
                                        [&](uint32_t p) { return p != background; }));
}

bool WritePng(const std::string& path, int w, int h, const uint32_t* pixels, int stride) {
  std::vector<uint32_t> rows(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      rows[static_cast<size_t>(y) * w + x] = pixels[static_cast<size_t>(y) * stride + x] & 0xFFFFFF;
  return test_support::WritePng(path, w, h, rows);
}

}  // namespace texttest
