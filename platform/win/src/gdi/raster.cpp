// Painting spans and regions with brushes and binary raster operations, single pixels, and the
// coverage blending that text drawing uses.
#include <algorithm>
#include "gdi/gdi_private.h"

namespace winplat::gdi {

uint32_t PixelMask(int bpp) { return bpp >= 32 ? 0xFFFFFFFFu : (1u << bpp) - 1u; }

uint32_t Rop2(int rop2, uint32_t p, uint32_t d) {
  // R2 code - 1 is the truth table, bit (P << 1 | D).
  const unsigned t = static_cast<unsigned>(rop2 - 1) & 15u;
  uint32_t r = 0;
  if (t & 8u) r |= p & d;
  if (t & 4u) r |= p & ~d;
  if (t & 2u) r |= ~p & d;
  if (t & 1u) r |= ~p & ~d;
  return r;
}

namespace {
const uint8_t kHatch[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0xFF},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

inline int Mod(int64_t a, int m) {
  int64_t r = a % m;
  return static_cast<int>(r < 0 ? r + m : r);
}
}  // namespace

void MakeColorPaint(const DC& dc, COLORREF color, FillPaint* paint) {
  paint->s = &dc.surface;
  paint->rop2 = dc.rop2;
  paint->solid = true;
  paint->patMask = false;
  paint->pixel = ColorToPixel(dc.surface, color);
}

bool MakeBrushPaint(const DC& dc, const BrushObject& brush, FillPaint* paint) {
  paint->s = &dc.surface;
  paint->rop2 = dc.rop2;
  paint->patMask = false;
  paint->orgX = dc.brushOrg.x + dc.dcOrg.x;
  paint->orgY = dc.brushOrg.y + dc.dcOrg.y;
  const Surface& s = dc.surface;
  switch (brush.style) {
    case BS_NULL:
      return false;
    case BS_HATCHED: {
      paint->solid = false;
      paint->patW = paint->patH = 8;
      paint->pat.assign(64, 0);
      const uint32_t fg = ColorToPixel(s, brush.color), bg = ColorToPixel(s, dc.bkColor);
      const bool opaque = dc.bkMode == OPAQUE;
      if (!opaque) {
        paint->patMask = true;
        paint->patOn.assign(64, 0);
      }
      const int h = std::clamp(brush.hatch, 0, 5);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
          const bool on = (kHatch[h][y] >> (7 - x)) & 1;
          paint->pat[static_cast<size_t>(y * 8 + x)] = on ? fg : bg;
          if (!opaque) paint->patOn[static_cast<size_t>(y * 8 + x)] = on;
        }
      return true;
    }
    case BS_PATTERN: {
      if (brush.patWidth <= 0 || brush.patHeight <= 0) return false;
      paint->solid = false;
      paint->patW = brush.patWidth;
      paint->patH = brush.patHeight;
      const size_t n = static_cast<size_t>(brush.patWidth) * static_cast<size_t>(brush.patHeight);
      paint->pat.resize(n);
      if (brush.patMono) {
        const uint32_t fg = ColorToPixel(s, dc.textColor), bg = ColorToPixel(s, dc.bkColor);
        for (size_t i = 0; i < n; ++i) paint->pat[i] = brush.monoBits[i] ? bg : fg;
      } else {
        COLORREF last = CLR_INVALID;
        uint32_t lastPixel = 0;
        for (size_t i = 0; i < n; ++i) {
          if (brush.pattern[i] != last) {
            last = brush.pattern[i];
            lastPixel = ColorToPixel(s, last);
          }
          paint->pat[i] = lastPixel;
        }
      }
      return true;
    }
    default:
      paint->solid = true;
      paint->pixel = ColorToPixel(s, brush.dcBrush ? dc.dcBrushColor : brush.color);
      return true;
  }
}

void PaintSpanUnclipped(const FillPaint& paint, int y, int x0, int x1) {
  if (x0 >= x1) return;
  const Surface& s = *paint.s;
  if (paint.rop2 == R2_NOP) return;
  const int bpp = s.format.bpp;
  if (paint.solid && (paint.rop2 == R2_COPYPEN || paint.rop2 == R2_BLACK || paint.rop2 == R2_WHITE ||
                      paint.rop2 == R2_NOTCOPYPEN)) {
    uint32_t v = paint.pixel;
    if (paint.rop2 == R2_BLACK) v = 0;
    else if (paint.rop2 == R2_WHITE) v = PixelMask(bpp);
    else if (paint.rop2 == R2_NOTCOPYPEN) v = ~v & PixelMask(bpp);
    uint8_t* row = s.Row(y);
    switch (bpp) {
      case 32: {
        uint32_t* p = reinterpret_cast<uint32_t*>(row) + x0;
        std::fill(p, p + (x1 - x0), v);
        return;
      }
      case 24: {
        uint8_t* p = row + 3 * x0;
        const uint8_t b0 = static_cast<uint8_t>(v), b1 = static_cast<uint8_t>(v >> 8), b2 = static_cast<uint8_t>(v >> 16);
        for (int x = x0; x < x1; ++x, p += 3) {
          p[0] = b0;
          p[1] = b1;
          p[2] = b2;
        }
        return;
      }
      case 16: {
        uint16_t* p = reinterpret_cast<uint16_t*>(row) + x0;
        std::fill(p, p + (x1 - x0), static_cast<uint16_t>(v));
        return;
      }
      case 8:
        std::memset(row + x0, static_cast<int>(v & 0xFF), static_cast<size_t>(x1 - x0));
        return;
      default:
        for (int x = x0; x < x1; ++x) WritePixel(s, x, y, v);
        return;
    }
  }
  const uint32_t mask = PixelMask(bpp);
  const uint32_t* patRow = nullptr;
  const uint8_t* onRow = nullptr;
  if (!paint.solid) {
    const int py = Mod(int64_t{y} - paint.orgY, paint.patH);
    patRow = paint.pat.data() + static_cast<size_t>(py) * paint.patW;
    if (paint.patMask) onRow = paint.patOn.data() + static_cast<size_t>(py) * paint.patW;
  }
  int px = paint.solid ? 0 : Mod(int64_t{x0} - paint.orgX, paint.patW);
  const bool copy = paint.rop2 == R2_COPYPEN;
  for (int x = x0; x < x1; ++x) {
    uint32_t p = paint.pixel;
    if (!paint.solid) {
      p = patRow[px];
      const bool on = !onRow || onRow[px];
      if (++px == paint.patW) px = 0;
      if (!on) continue;
    }
    if (copy) {
      WritePixel(s, x, y, p);
    } else {
      const uint32_t d = ReadPixel(s, x, y);
      WritePixel(s, x, y, Rop2(paint.rop2, p, d) & mask);
    }
  }
}

void PaintSpan(const DC& dc, const FillPaint& paint, int y, int x0, int x1) {
  const Region& clip = dc.effectiveClip;
  if (x0 >= x1 || clip.Empty() || y < clip.bounds.top || y >= clip.bounds.bottom) return;
  if (clip.rects.size() == 1) {
    const RECT& r = clip.rects[0];
    PaintSpanUnclipped(paint, y, std::max(x0, static_cast<int>(r.left)), std::min(x1, static_cast<int>(r.right)));
    return;
  }
  auto it = std::partition_point(clip.rects.begin(), clip.rects.end(), [y](const RECT& r) { return r.bottom <= y; });
  for (; it != clip.rects.end() && it->top <= y; ++it) {
    if (it->left >= x1) break;
    const int a = std::max(x0, static_cast<int>(it->left)), b = std::min(x1, static_cast<int>(it->right));
    if (a < b) PaintSpanUnclipped(paint, y, a, b);
  }
}

void PaintRegion(DC& dc, const FillPaint& paint, const Region& deviceRegion) {
  const Region r = Region::Combine(deviceRegion, dc.effectiveClip, RGN_AND);
  for (const RECT& q : r.rects)
    for (int y = q.top; y < q.bottom; ++y) PaintSpanUnclipped(paint, y, q.left, q.right);
  if (!r.Empty()) dc.Damage(r.bounds);
}

void FillDeviceRect(DC& dc, const RECT& rect, COLORREF color) {
  FillPaint paint;
  MakeColorPaint(dc, color, &paint);
  paint.rop2 = R2_COPYPEN;
  const RECT r = Intersect(rect, dc.effectiveClip.bounds);
  if (RectEmpty(r)) return;
  for (int y = r.top; y < r.bottom; ++y) PaintSpan(dc, paint, y, r.left, r.right);
  dc.Damage(r);
}

void BlendMask(DC& dc, int x, int y, int width, int height, const uint8_t* mask, ptrdiff_t maskPitch,
               COLORREF color) {
  if (!mask || width <= 0 || height <= 0 || !dc.surface.Valid()) return;
  const Surface& s = dc.surface;
  const Region& clip = dc.effectiveClip;
  const RECT area = Intersect(RECT{x, y, static_cast<LONG>(int64_t{x} + width), static_cast<LONG>(int64_t{y} + height)},
                              clip.bounds);
  if (RectEmpty(area)) return;
  const int cr = GetRValue(color), cg = GetGValue(color), cb = GetBValue(color);
  const uint32_t full = ColorToPixel(s, color);
  const bool xrgb = s.format.IsXrgb32();
  for (const RECT& c : clip.rects) {
    const RECT q = Intersect(c, area);
    if (RectEmpty(q)) continue;
    for (int dy = q.top; dy < q.bottom; ++dy) {
      const uint8_t* m = mask + static_cast<ptrdiff_t>(dy - y) * maskPitch;
      uint8_t* row = s.Row(dy);
      for (int dx = q.left; dx < q.right; ++dx) {
        const unsigned a = m[dx - x];
        if (a == 0) continue;
        if (a == 255) {
          WritePixel(s, dx, dy, full);
          continue;
        }
        if (xrgb) {
          uint32_t* p = reinterpret_cast<uint32_t*>(row) + dx;
          const uint32_t d = *p;
          const int dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
          const uint32_t r = static_cast<uint32_t>(dr + ((cr - dr) * static_cast<int>(a) + 127) / 255);
          const uint32_t g = static_cast<uint32_t>(dg + ((cg - dg) * static_cast<int>(a) + 127) / 255);
          const uint32_t b = static_cast<uint32_t>(db + ((cb - db) * static_cast<int>(a) + 127) / 255);
          *p = (d & 0xFF000000u) | (r << 16) | (g << 8) | b;
          continue;
        }
        const COLORREF d = PixelToColor(s, ReadPixel(s, dx, dy));
        const int dr = GetRValue(d), dg = GetGValue(d), db = GetBValue(d);
        const int r = dr + ((cr - dr) * static_cast<int>(a) + 127) / 255;
        const int g = dg + ((cg - dg) * static_cast<int>(a) + 127) / 255;
        const int b = db + ((cb - db) * static_cast<int>(a) + 127) / 255;
        WritePixel(s, dx, dy, ColorToPixel(s, RGB(r, g, b)));
      }
    }
  }
  dc.Damage(area);
}

}  // namespace winplat::gdi

using namespace winplat;
using namespace winplat::gdi;

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  auto dc = DCOrFail(hdc);
  if (!dc) return CLR_INVALID;
  const POINT p = dc->ToDevice(x, y);
  if (!dc->effectiveClip.Contains(p.x, p.y)) return CLR_INVALID;
  const uint32_t v = ColorToPixel(dc->surface, color);
  WritePixel(dc->surface, p.x, p.y, v);
  dc->Damage(RECT{p.x, p.y, p.x + 1, p.y + 1});
  return PixelToColor(dc->surface, v);
}

BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF color) {
  return SetPixel(hdc, x, y, color) != CLR_INVALID ? TRUE : FALSE;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  auto dc = DCOrFail(hdc);
  if (!dc) return CLR_INVALID;
  const POINT p = dc->ToDevice(x, y);
  if (!dc->effectiveClip.Contains(p.x, p.y)) return CLR_INVALID;
  return PixelToColor(dc->surface, ReadPixel(dc->surface, p.x, p.y));
}
