// Helpers of the text tests: a memory destination for glyph runs and a PNG writer for looking at
// rendered text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gdi/text_render.h"

namespace texttest {

// 0x00RRGGBB pixels, top-down, with a clip rectangle of its own.
class MemoryTarget : public winplat::gdi::TextTarget {
 public:
  MemoryTarget(int w, int h, uint32_t fill = 0xFFFFFF);
  void BlendCoverage(int x, int y, int w, int h, const uint8_t* coverage, int pitch,
                     COLORREF colour) override;
  void FillRect(const RECT& r, COLORREF colour) override;

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // Bounding box of pixels different from `background`; empty rect when none.
  RECT InkBox(uint32_t background) const;
  int CountNot(uint32_t background) const;

  int width, height;
  RECT clip;
  std::vector<uint32_t> pixels;
};

uint32_t ToRgb(COLORREF c);
// Writes 0x00RRGGBB pixels, top-down, as an 8-bit RGB PNG.
bool WritePng(const std::string& path, int w, int h, const uint32_t* pixels, int stride);

}  // namespace texttest
