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
  // 24-bit pixels and x8r8g8b8 ones hold the same three bytes (what the colour round trip
  // below gives, the fourth byte 0), so whole rows move without it: GetDIBits and SetDIBits of
  // the usual page and picture formats.
  const bool rgb24To32 = src.format.bpp == 24 && dst.format.IsXrgb32();
  const bool rgb32To24 = src.format.IsXrgb32() && dst.format.bpp == 24;
  if ((rgb24To32 || rgb32To24) && !written) {
    for (int y = 0; y < h; ++y) {
      if (rgb24To32) {
        const uint8_t* in = src.Row(sy + y) + 3 * static_cast<size_t>(sx);
        uint8_t* out = dst.Row(dy + y) + 4 * static_cast<size_t>(dx);
        for (int x = 0; x < w; ++x, in += 3, out += 4) {
          out[0] = in[0];
          out[1] = in[1];
          out[2] = in[2];
          out[3] = 0;
        }
      } else {
        const uint8_t* in = src.Row(sy + y) + 4 * static_cast<size_t>(sx);
        uint8_t* out = dst.Row(dy + y) + 3 * static_cast<size_t>(dx);
        for (int x = 0; x < w; ++x, in += 4, out += 3) {
          out[0] = in[0];
          out[1] = in[1];
          out[2] = in[2];
        }
      }
    }
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
