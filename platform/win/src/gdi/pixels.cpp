// Pixel formats and colour matching.
#include <atomic>
#include "gdi/gdi_private.h"

namespace winplat::gdi {

namespace {
// Bumped whenever any colour table changes, so cached matches are dropped.
std::atomic<uint64_t> g_tableGeneration{0};

void MaskShape(uint32_t mask, uint8_t* shift, uint8_t* bits) {
  *shift = 0;
  *bits = 0;
  if (mask == 0) return;
  uint8_t s = 0;
  while (!(mask & 1u)) {
    mask >>= 1;
    ++s;
  }
  uint8_t b = 0;
  while (mask & 1u) {
    mask >>= 1;
    ++b;
  }
  *shift = s;
  *bits = b;
}

// Widens a channel of `bits` bits to 8 bits by repeating its high bits.
inline uint8_t Expand(uint32_t v, uint8_t bits) {
  if (bits == 0) return 0;
  if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
  uint32_t out = v << (8 - bits);
  for (int have = bits; have < 8; have += bits) out |= out >> bits;
  return static_cast<uint8_t>(out);
}
inline uint32_t Narrow(uint8_t v, uint8_t bits) {
  if (bits == 0) return 0;
  if (bits >= 8) return static_cast<uint32_t>(v) << (bits - 8);
  return static_cast<uint32_t>(v) >> (8 - bits);
}
}  // namespace

void ColorTablesChanged() { g_tableGeneration.fetch_add(1, std::memory_order_relaxed); }

PixelFormat PixelFormat::Make(int bpp, uint32_t red, uint32_t green, uint32_t blue) {
  PixelFormat f;
  f.bpp = bpp;
  if (bpp == 16 || bpp == 32) {
    if (red == 0 && green == 0 && blue == 0) {
      if (bpp == 16) {
        red = 0x7C00;
        green = 0x03E0;
        blue = 0x001F;
      } else {
        red = 0xFF0000;
        green = 0xFF00;
        blue = 0xFF;
      }
    }
  } else if (bpp == 24) {
    red = 0xFF0000;
    green = 0xFF00;
    blue = 0xFF;
  } else {
    red = green = blue = 0;
  }
  f.redMask = red;
  f.greenMask = green;
  f.blueMask = blue;
  MaskShape(red, &f.redShift, &f.redBits);
  MaskShape(green, &f.greenShift, &f.greenBits);
  MaskShape(blue, &f.blueShift, &f.blueBits);
  return f;
}

static uint32_t NearestIndex(const RGBQUAD* colors, int count, COLORREF color) {
  if (!colors || count <= 0) return 0;
  const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  int best = 0;
  long bestDist = 0x7FFFFFFF;
  for (int i = 0; i < count; ++i) {
    const int dr = colors[i].rgbRed - r, dg = colors[i].rgbGreen - g, db = colors[i].rgbBlue - b;
    const long d = static_cast<long>(dr) * dr + static_cast<long>(dg) * dg + static_cast<long>(db) * db;
    if (d < bestDist) {
      bestDist = d;
      best = i;
      if (d == 0) break;
    }
  }
  return static_cast<uint32_t>(best);
}

uint32_t ColorToPixel(const Surface& s, COLORREF color) {
  if ((color & 0xFFFF0000u) == 0x10FF0000u && s.format.Indexed()) return color & 0xFFFF;  // DIBINDEX
  color &= 0x00FFFFFFu;
  const PixelFormat& f = s.format;
  switch (f.bpp) {
    case 1:
    case 4:
    case 8: {
      // Repeated fills with one colour are the common case: remember the last match.
      thread_local const RGBQUAD* lastTable = nullptr;
      thread_local int lastCount = 0;
      thread_local COLORREF lastColor = 0;
      thread_local uint32_t lastIndex = 0;
      thread_local uint64_t lastGeneration = ~uint64_t{0};
      const uint64_t gen = g_tableGeneration.load(std::memory_order_relaxed);
      if (lastTable == s.colors && lastCount == s.colorCount && lastColor == color && lastGeneration == gen)
        return lastIndex;
      lastIndex = NearestIndex(s.colors, s.colorCount, color);
      lastTable = s.colors;
      lastCount = s.colorCount;
      lastColor = color;
      lastGeneration = gen;
      return lastIndex;
    }
    case 24:
      return (static_cast<uint32_t>(GetRValue(color)) << 16) | (static_cast<uint32_t>(GetGValue(color)) << 8) |
             GetBValue(color);
    default:
      return (Narrow(GetRValue(color), f.redBits) << f.redShift) |
             (Narrow(GetGValue(color), f.greenBits) << f.greenShift) |
             (Narrow(GetBValue(color), f.blueBits) << f.blueShift);
  }
}

COLORREF PixelToColor(const Surface& s, uint32_t p) {
  const PixelFormat& f = s.format;
  switch (f.bpp) {
    case 1:
    case 4:
    case 8:
      if (!s.colors || p >= static_cast<uint32_t>(s.colorCount)) return 0;
      return RGB(s.colors[p].rgbRed, s.colors[p].rgbGreen, s.colors[p].rgbBlue);
    case 24:
      return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    default:
      return RGB(Expand((p & f.redMask) >> f.redShift, f.redBits),
                 Expand((p & f.greenMask) >> f.greenShift, f.greenBits),
                 Expand((p & f.blueMask) >> f.blueShift, f.blueBits));
  }
}

uint32_t ReadPixel(const Surface& s, int x, int y) {
  const uint8_t* row = s.Row(y);
  switch (s.format.bpp) {
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
      return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8:
      return row[x];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + 2 * x, 2);
      return v;
    }
    case 24: {
      const uint8_t* p = row + 3 * x;
      return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    default: {
      uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      return v;
    }
  }
}

void WritePixel(const Surface& s, int x, int y, uint32_t v) {
  uint8_t* row = s.Row(y);
  switch (s.format.bpp) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
      if (v & 1u)
        row[x >> 3] |= bit;
      else
        row[x >> 3] &= static_cast<uint8_t>(~bit);
      break;
    }
    case 4:
      if (x & 1)
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (v & 0x0F));
      else
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | ((v & 0x0F) << 4));
      break;
    case 8:
      row[x] = static_cast<uint8_t>(v);
      break;
    case 16: {
      const uint16_t w = static_cast<uint16_t>(v);
      std::memcpy(row + 2 * x, &w, 2);
      break;
    }
    case 24: {
      uint8_t* p = row + 3 * x;
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v >> 16);
      break;
    }
    default:
      std::memcpy(row + 4 * x, &v, 4);
      break;
  }
}

}  // namespace winplat::gdi
