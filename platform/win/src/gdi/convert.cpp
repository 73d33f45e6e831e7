// Pixel conversion between surfaces of any formats, by colour.
#include <algorithm>
#include "gdi/gdi_private.h"

namespace winplat::gdi {

void ConvertRect(const Surface& src, int sx, int sy, const Surface& dst, int dx, int dy, int w, int h,
                 const WrittenPixels* written) {
  if (w <= 0 || h <= 0) return;
  const bool same = src.format == dst.format &&
                    (!src.format.Indexed() ||
                     (src.colorCount == dst.colorCount &&
                      std::equal(src.colors, src.colors + src.colorCount, dst.colors, [](const RGBQUAD& a, const RGBQUAD& b) {
                        return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
                      })));
  const int bpp = src.format.bpp;
  if (same && bpp >= 8 && !written) {
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(bpp / 8);
    for (int y = 0; y < h; ++y)
      std::memmove(dst.Row(dy + y) + static_cast<size_t>(dx) * (bpp / 8),
                   src.Row(sy + y) + static_cast<size_t>(sx) * (bpp / 8), bytes);
    return;
  }
  // Indexed sources convert through a table of their entries.
  uint32_t lut[256];
  if (src.format.Indexed()) {
    const int n = 1 << bpp;
    for (int i = 0; i < n; ++i) lut[i] = same ? static_cast<uint32_t>(i) : ColorToPixel(dst, PixelToColor(src, static_cast<uint32_t>(i)));
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (written && !written->At(sx + x, sy + y)) continue;
      const uint32_t p = ReadPixel(src, sx + x, sy + y);
      const uint32_t q = src.format.Indexed() ? lut[p & 0xFF] : same ? p : ColorToPixel(dst, PixelToColor(src, p));
      WritePixel(dst, dx + x, dy + y, q);
    }
  }
}

}  // namespace winplat::gdi
