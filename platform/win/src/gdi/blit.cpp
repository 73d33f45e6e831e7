// Block transfers: BitBlt, StretchBlt, PatBlt and the DIB-to-device calls, with the ternary
// raster operations and the platform's monochrome rules.
#include <algorithm>
#include "gdi/gdi_private.h"

namespace winplat::gdi {

namespace {

struct SourceInfo {
  const Surface* s = nullptr;
  COLORREF bkColor = RGB(255, 255, 255);  // of the source DC: colour-to-monochrome rule
  bool monoDDB = false;                   // monochrome device bitmap: monochrome-to-colour rule
  const WrittenPixels* written = nullptr;  // run-length sources: only these pixels draw

  bool Draws(int x, int y) const { return !written || written->At(x, y); }
};

inline bool NeedsSource(unsigned t) { return ((t >> 2) ^ t) & 0x33u; }
inline bool NeedsPattern(unsigned t) { return ((t >> 4) ^ t) & 0x0Fu; }
inline bool NeedsDest(unsigned t) { return ((t >> 1) ^ t) & 0x55u; }

inline uint32_t Rop3(unsigned t, uint32_t p, uint32_t s, uint32_t d) {
  // Bit (P << 2 | S << 1 | D) of t is the result for those operand bits.
  switch (t) {
    case 0x00: return 0;
    case 0xFF: return ~0u;
    case 0xCC: return s;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x44: return s & ~d;
    case 0x33: return ~s;
    case 0x11: return ~(s | d);
    case 0xC0: return p & s;
    case 0xBB: return ~s | d;
    case 0xF0: return p;
    case 0xFB: return p | ~s | d;
    case 0x5A: return p ^ d;
    case 0x55: return ~d;
    default: break;
  }
  uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i)
    if ((t >> i) & 1u) r |= ((i & 4u) ? p : ~p) & ((i & 2u) ? s : ~s) & ((i & 1u) ? d : ~d);
  return r;
}

// D = rop(P, S, D) over a row, the operation chosen once per row.
void ApplyRop(unsigned t, const uint32_t* P, const uint32_t* S, uint32_t* D, int n, uint32_t mask) {
#define VSE_ROP_LOOP(expr)               \
  for (int i = 0; i < n; ++i) {          \
    const uint32_t d = D[i];             \
    (void)d;                             \
    D[i] = (expr) & mask;                \
  }                                      \
  return
  switch (t) {
    case 0x88: VSE_ROP_LOOP(S[i] & d);
    case 0xEE: VSE_ROP_LOOP(S[i] | d);
    case 0x66: VSE_ROP_LOOP(S[i] ^ d);
    case 0x44: VSE_ROP_LOOP(S[i] & ~d);
    case 0x33: VSE_ROP_LOOP(~S[i]);
    case 0x11: VSE_ROP_LOOP(~(S[i] | d));
    case 0xBB: VSE_ROP_LOOP(~S[i] | d);
    case 0xC0: VSE_ROP_LOOP(P[i] & S[i]);
    case 0xF0: VSE_ROP_LOOP(P[i]);
    case 0x5A: VSE_ROP_LOOP(P[i] ^ d);
    case 0x55: VSE_ROP_LOOP(~d);
    case 0x00: VSE_ROP_LOOP(0u);
    case 0xFF: VSE_ROP_LOOP(~0u);
    default: VSE_ROP_LOOP(Rop3(t, P ? P[i] : 0, S ? S[i] : 0, d));
  }
#undef VSE_ROP_LOOP
}

void ReadRow(const Surface& s, int y, int x0, int n, uint32_t* out) {
  const uint8_t* row = s.Row(y);
  switch (s.format.bpp) {
    case 32:
      std::memcpy(out, row + 4 * static_cast<size_t>(x0), 4 * static_cast<size_t>(n));
      return;
    case 24: {
      const uint8_t* p = row + 3 * static_cast<size_t>(x0);
      for (int i = 0; i < n; ++i, p += 3) out[i] = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
      return;
    }
    case 16: {
      const uint8_t* p = row + 2 * static_cast<size_t>(x0);
      for (int i = 0; i < n; ++i, p += 2) out[i] = p[0] | (uint32_t{p[1]} << 8);
      return;
    }
    case 8:
      for (int i = 0; i < n; ++i) out[i] = row[x0 + i];
      return;
    default:
      for (int i = 0; i < n; ++i) out[i] = ReadPixel(s, x0 + i, y);
      return;
  }
}

void WriteRow(const Surface& s, int y, int x0, int n, const uint32_t* in) {
  uint8_t* row = s.Row(y);
  switch (s.format.bpp) {
    case 32:
      std::memcpy(row + 4 * static_cast<size_t>(x0), in, 4 * static_cast<size_t>(n));
      return;
    case 24: {
      uint8_t* p = row + 3 * static_cast<size_t>(x0);
      for (int i = 0; i < n; ++i, p += 3) {
        p[0] = static_cast<uint8_t>(in[i]);
        p[1] = static_cast<uint8_t>(in[i] >> 8);
        p[2] = static_cast<uint8_t>(in[i] >> 16);
      }
      return;
    }
    case 16: {
      uint8_t* p = row + 2 * static_cast<size_t>(x0);
      for (int i = 0; i < n; ++i, p += 2) {
        p[0] = static_cast<uint8_t>(in[i]);
        p[1] = static_cast<uint8_t>(in[i] >> 8);
      }
      return;
    }
    case 8:
      for (int i = 0; i < n; ++i) row[x0 + i] = static_cast<uint8_t>(in[i]);
      return;
    default:
      for (int i = 0; i < n; ++i) WritePixel(s, x0 + i, y, in[i]);
      return;
  }
}

// How source pixel values become destination pixel values.
struct Converter {
  enum Kind { Same, Lut, ToMono, Generic, Rgb24To32, Rgb32To24 } kind = Same;
  uint32_t lut[256];
  uint32_t srcBkPixel = 0;
  const Surface* src = nullptr;
  const Surface* dst = nullptr;

  void Init(const SourceInfo& si, const DC& d, bool dstMonoDDB) {
    src = si.s;
    dst = &d.surface;
    const PixelFormat &sf = src->format, &df = dst->format;
    if (sf.bpp == 1 && df.bpp == 1 && (si.monoDDB || dstMonoDDB)) {
      kind = Same;
    } else if (si.monoDDB && sf.bpp == 1) {
      // 0 bits take the destination's text colour, 1 bits its background colour.
      kind = Lut;
      lut[0] = ColorToPixel(*dst, d.textColor);
      lut[1] = ColorToPixel(*dst, d.bkColor);
    } else if (dstMonoDDB && df.bpp == 1) {
      // Pixels of the source's background colour become 1 (white), all others 0.
      kind = ToMono;
      srcBkPixel = ColorToPixel(*src, si.bkColor);
    } else if (sf.Indexed()) {
      const bool sameTable = sf == df && src->colorCount == dst->colorCount &&
                             std::equal(src->colors, src->colors + src->colorCount, dst->colors,
                                        [](const RGBQUAD& a, const RGBQUAD& b) {
                                          return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
                                        });
      if (sameTable) {
        kind = Same;
      } else {
        kind = Lut;
        const int n = 1 << sf.bpp;
        for (int i = 0; i < n; ++i) lut[i] = ColorToPixel(*dst, PixelToColor(*src, static_cast<uint32_t>(i)));
      }
    } else if (sf == df) {
      kind = Same;
    } else if (sf.bpp == 24 && df.IsXrgb32()) {
      kind = Rgb24To32;
    } else if (sf.IsXrgb32() && df.bpp == 24) {
      kind = Rgb32To24;
    } else {
      kind = Generic;
    }
  }

  uint32_t operator()(uint32_t p) const {
    switch (kind) {
      case Same: return p;
      case Lut: return lut[p & 0xFF];
      case ToMono: return p == srcBkPixel ? 1u : 0u;
      case Rgb24To32: return p & 0xFFFFFFu;
      case Rgb32To24: return p & 0xFFFFFFu;
      default: return ColorToPixel(*dst, PixelToColor(*src, p));
    }
  }
};

thread_local std::vector<uint32_t> t_src, t_dst, t_pat;

inline COLORREF ColorAt(const Surface& s, int x, int y) {
  const uint8_t* row = s.Row(y);
  if (s.format.bpp == 24) {
    const uint8_t* p = row + 3 * static_cast<size_t>(x);
    return RGB(p[2], p[1], p[0]);
  }
  if (s.format.IsXrgb32()) {
    const uint8_t* p = row + 4 * static_cast<size_t>(x);
    return RGB(p[2], p[1], p[0]);
  }
  return PixelToColor(s, ReadPixel(s, x, y));
}

// HALFTONE when shrinking: each destination pixel takes the average colour of the source
// pixels it covers, so thin strokes survive in thumbnails.
void HalftoneShrink(const DC& d, const RECT& area, const SourceInfo& si, int64_t x, int64_t y, int64_t w, int64_t h,
                    int64_t sx, int64_t sy, int64_t sw, int64_t sh, bool flipX, bool flipY) {
  const Surface& ds = d.surface;
  const Surface& src = *si.s;
  for (const RECT& c : d.effectiveClip.rects) {
    const RECT q = Intersect(c, area);
    if (RectEmpty(q)) continue;
    for (int row = q.top; row < q.bottom; ++row) {
      int64_t ky = row - y;
      if (flipY) ky = h - 1 - ky;
      int64_t y0 = sy + ky * sh / h, y1 = sy + (ky + 1) * sh / h;
      if (y1 <= y0) y1 = y0 + 1;
      y0 = std::max<int64_t>(y0, 0);
      y1 = std::min<int64_t>(y1, src.height);
      if (y0 >= y1) continue;
      for (int col = q.left; col < q.right; ++col) {
        int64_t kx = col - x;
        if (flipX) kx = w - 1 - kx;
        int64_t x0 = sx + kx * sw / w, x1 = sx + (kx + 1) * sw / w;
        if (x1 <= x0) x1 = x0 + 1;
        x0 = std::max<int64_t>(x0, 0);
        x1 = std::min<int64_t>(x1, src.width);
        if (x0 >= x1) continue;
        uint64_t r = 0, g = 0, b = 0, n = 0;
        for (int64_t yy = y0; yy < y1; ++yy)
          for (int64_t xx = x0; xx < x1; ++xx) {
            if (!si.Draws(static_cast<int>(xx), static_cast<int>(yy))) continue;
            const COLORREF cc = ColorAt(src, static_cast<int>(xx), static_cast<int>(yy));
            r += GetRValue(cc);
            g += GetGValue(cc);
            b += GetBValue(cc);
            ++n;
          }
        if (n == 0) continue;
        WritePixel(ds, col, row, ColorToPixel(ds, RGB((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n)));
      }
    }
  }
}

// Shrinking n source pixels onto m (n > m), source pixel j goes to destination
// floor((2j + 1) m / 2n); the first source pixel of destination k.
inline int64_t GroupStart(int64_t k, int64_t n, int64_t m) {
  const int64_t num = 2 * k * n - m;
  return num <= 0 ? 0 : (num + 2 * m - 1) / (2 * m);
}

// The source pixels [lo, hi) that destination pixel k (0..m-1, already mirrored) takes along one
// axis of n source pixels from `origin`: the nearest one, or all of them when a shrink combines.
inline void SourceSpan(int64_t k, int64_t origin, int64_t n, int64_t m, bool combine, int64_t* lo, int64_t* hi) {
  if (combine) {
    *lo = origin + GroupStart(k, n, m);
    *hi = origin + GroupStart(k + 1, n, m);
  } else {
    *lo = origin + ((2 * k + 1) * n) / (2 * m);
    *hi = *lo + 1;
  }
}
thread_local std::vector<int> t_xmap, t_xend;
thread_local std::vector<uint8_t> t_have;

// A negative extent mirrors: the rectangle runs back from its anchor pixel, so (1, -2) covers
// pixels 1 and 0. Returns whether the extent was negative.
inline bool MirrorExtent(int64_t& origin, int64_t& extent) {
  if (extent >= 0) return false;
  origin += extent + 1;
  extent = -extent;
  return true;
}

// How a call reads a negative destination extent.
enum class Extents {
  Mirror,  // the stretching calls: a mirrored rectangle anchored at (x, y)
  Plain    // PatBlt: an ordinary rectangle between x and x + width
};

// The blit of all calls. Rectangles are device coordinates.
bool BlitCore(DC& d, int dx, int dy, int dw, int dh, const SourceInfo* si, int sx, int sy, int sw, int sh,
              DWORD rop, Extents extents = Extents::Mirror) {
  const unsigned t = (rop >> 16) & 0xFFu;
  const bool needS = NeedsSource(t), needP = NeedsPattern(t), needD = NeedsDest(t);
  if (needS && (!si || !si->s || !si->s->Valid())) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!d.surface.Valid()) return true;
  int64_t x = dx, y = dy, w = dw, h = dh;
  bool flipX = false, flipY = false;
  if (extents == Extents::Mirror) {
    flipX = MirrorExtent(x, w);
    flipY = MirrorExtent(y, h);
  } else {
    if (w < 0) x += w, w = -w;
    if (h < 0) y += h, h = -h;
  }
  int64_t ssx = sx, ssy = sy, ssw = sw, ssh = sh;
  if (needS) {
    if (MirrorExtent(ssx, ssw)) flipX = !flipX;
    if (MirrorExtent(ssy, ssh)) flipY = !flipY;
    if (ssw == 0 || ssh == 0) return true;
  }
  if (w == 0 || h == 0) return true;
  // Limit to what can be seen: the clip, then (without stretching) the source bounds.
  RECT area = Intersect(RECT{ClampInt(x), ClampInt(y), ClampInt(x + w), ClampInt(y + h)}, d.effectiveClip.bounds);
  if (RectEmpty(area)) return true;
  const Surface& ds = d.surface;
  const bool dstMonoDDB = ds.format.bpp == 1 && d.bitmap && !d.bitmap->dibSection;
  Converter conv;
  if (needS) conv.Init(*si, d, dstMonoDDB);
  const bool identity = needS && ssw == w && ssh == h && !flipX && !flipY && !si->written;
  // Shrinking in BLACKONWHITE (the default) ANDs the pixels that fall together, WHITEONBLACK ORs
  // them; COLORONCOLOR keeps one of them, HALFTONE averages them.
  const bool andShrink = d.stretchMode == BLACKONWHITE, orShrink = d.stretchMode == WHITEONBLACK;
  const bool combineX = needS && (andShrink || orShrink) && ssw > w;
  const bool combineY = needS && (andShrink || orShrink) && ssh > h;
  // Each destination pixel gathers its source pixels one by one (else one source pixel each).
  const bool gather = needS && !identity && (combineX || combineY || si->written);
  // Pattern of the destination's brush.
  FillPaint paint;
  bool havePat = false;
  if (needP && d.brush) havePat = MakeBrushPaint(d, *d.brush, &paint);
  if (needP && !havePat) {
    paint.solid = true;
    paint.pixel = 0;
  }
  const uint32_t mask = PixelMask(ds.format.bpp);
  const size_t maxW = static_cast<size_t>(area.right - area.left);
  if (t_src.size() < maxW) t_src.resize(maxW);
  if (t_dst.size() < maxW) t_dst.resize(maxW);
  if (t_pat.size() < maxW) t_pat.resize(maxW);
  if (t_xmap.size() < maxW) t_xmap.resize(maxW);
  if (t_xend.size() < maxW) t_xend.resize(maxW);
  if (t_have.size() < maxW) t_have.resize(maxW);
  const Surface* ss = needS ? si->s : nullptr;
  const bool sameSurface = ss && ss->bits == ds.bits;
  const bool fastCopy = identity && t == 0xCC && conv.kind == Converter::Same && ds.format.bpp >= 8;
  if (needS && t == 0xCC && d.stretchMode == HALFTONE && (ssw > w || ssh > h) && !dstMonoDDB && !si->monoDDB) {
    HalftoneShrink(d, area, *si, x, y, w, h, ssx, ssy, ssw, ssh, flipX, flipY);
    d.Damage(area);
    return true;
  }

  for (const RECT& c : d.effectiveClip.rects) {
    RECT q = Intersect(c, area);
    if (RectEmpty(q)) continue;
    if (identity) {
      // Keep to source pixels that exist.
      const int64_t offX = ssx - x, offY = ssy - y;
      q = Intersect(q, RECT{ClampInt(-offX), ClampInt(-offY), ClampInt(ss->width - offX), ClampInt(ss->height - offY)});
      if (RectEmpty(q)) continue;
    }
    const int qw = q.right - q.left;
    // Source columns [t_xmap, t_xend) of each destination column, kept to the source; a
    // column with none (t_xmap -1) is left as it is.
    if (needS && !identity) {
      for (int i = 0; i < qw; ++i) {
        int64_t k = int64_t{q.left} + i - x;  // 0..w-1
        if (flipX) k = w - 1 - k;
        int64_t lo, hi;
        SourceSpan(k, ssx, ssw, w, combineX, &lo, &hi);
        lo = std::max<int64_t>(lo, 0);
        hi = std::min<int64_t>(hi, ss->width);
        t_xmap[static_cast<size_t>(i)] = lo < hi ? static_cast<int>(lo) : -1;
        t_xend[static_cast<size_t>(i)] = lo < hi ? static_cast<int>(hi) : -1;
      }
    }
    // Whole rows of two surfaces laid out alike are one block of memory.
    if (fastCopy && !sameSurface && q.left == 0 && q.right == ds.width && ssx - x == 0 && ss->width == ds.width &&
        ss->pitch == ds.pitch && (ds.pitch == static_cast<ptrdiff_t>(ds.width) * (ds.format.bpp / 8) ||
                                  -ds.pitch == static_cast<ptrdiff_t>(ds.width) * (ds.format.bpp / 8))) {
      const int rows = q.bottom - q.top;
      const int sTop = static_cast<int>(q.top + (ssy - y));
      const int dLow = ds.pitch > 0 ? q.top : q.bottom - 1, sLow = ds.pitch > 0 ? sTop : sTop + rows - 1;
      std::memcpy(ds.Row(dLow), ss->Row(sLow), static_cast<size_t>(rows) * static_cast<size_t>(ds.width) * (ds.format.bpp / 8));
      continue;
    }
    // Rows in an order that is safe when source and destination overlap in one surface.
    const bool upward = sameSurface && identity && ssy < y;
    for (int r = 0; r < q.bottom - q.top; ++r) {
      const int row = upward ? q.bottom - 1 - r : q.top + r;
      int64_t srow = 0, srowEnd = 0;
      if (needS) {
        int64_t k = row - y;
        if (identity) {
          srow = ssy + k;
        } else {
          if (flipY) k = h - 1 - k;
          SourceSpan(k, ssy, ssh, h, combineY, &srow, &srowEnd);
          srow = std::max<int64_t>(srow, 0);
          srowEnd = std::min<int64_t>(srowEnd, ss->height);
          if (srow >= srowEnd) continue;
        }
      }
      if (identity && t == 0xCC && (conv.kind == Converter::Rgb24To32 || conv.kind == Converter::Rgb32To24)) {
        const int scol = static_cast<int>(q.left + (ssx - x));
        const uint8_t* sp = ss->Row(static_cast<int>(srow));
        uint8_t* dp = ds.Row(row);
        if (conv.kind == Converter::Rgb24To32) {
          const uint8_t* in = sp + 3 * static_cast<size_t>(scol);
          uint32_t* out = reinterpret_cast<uint32_t*>(dp) + q.left;
          int i = 0;
          // Four pixels from three words at a time.
          for (; i + 4 <= qw; i += 4, in += 12) {
            uint32_t a, b, c;
            std::memcpy(&a, in, 4);
            std::memcpy(&b, in + 4, 4);
            std::memcpy(&c, in + 8, 4);
            out[i] = a & 0xFFFFFFu;
            out[i + 1] = ((a >> 24) | (b << 8)) & 0xFFFFFFu;
            out[i + 2] = ((b >> 16) | (c << 16)) & 0xFFFFFFu;
            out[i + 3] = c >> 8;
          }
          for (; i < qw; ++i, in += 3) out[i] = in[0] | (uint32_t{in[1]} << 8) | (uint32_t{in[2]} << 16);
        } else {
          const uint8_t* in = sp + 4 * static_cast<size_t>(scol);
          uint8_t* out = dp + 3 * static_cast<size_t>(q.left);
          for (int i = 0; i < qw; ++i, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
          }
        }
        continue;
      }
      if (fastCopy) {
        const size_t bytes = static_cast<size_t>(ds.format.bpp / 8);
        std::memmove(ds.Row(row) + bytes * q.left,
                     ss->Row(static_cast<int>(srow)) + bytes * static_cast<size_t>(q.left + (ssx - x)), bytes * qw);
        continue;
      }
      uint32_t* S = t_src.data();
      uint32_t* D = t_dst.data();
      uint32_t* P = t_pat.data();
      uint8_t* Have = t_have.data();  // per column: whether a source pixel reached it
      bool anySkip = false;
      if (gather) {
        std::fill(Have, Have + qw, uint8_t{0});
        for (int64_t sr = srow; sr < srowEnd; ++sr) {
          const int srcRow = static_cast<int>(sr);
          for (int i = 0; i < qw; ++i) {
            for (int col = t_xmap[static_cast<size_t>(i)], end = t_xend[static_cast<size_t>(i)]; col < end; ++col) {
              if (!si->Draws(col, srcRow)) continue;
              const uint32_t v = conv(ReadPixel(*ss, col, srcRow));
              S[i] = !Have[i] ? v : andShrink ? (S[i] & v) : orShrink ? (S[i] | v) : S[i];
              Have[i] = 1;
            }
          }
        }
        for (int i = 0; i < qw; ++i) anySkip = anySkip || !Have[i];
      } else if (needS) {
        if (identity) {
          const int scol = static_cast<int>(q.left + (ssx - x));
          if (conv.kind == Converter::Rgb24To32 || conv.kind == Converter::Rgb32To24 || ss->format.bpp >= 8) {
            ReadRow(*ss, static_cast<int>(srow), scol, qw, S);
          } else {
            for (int i = 0; i < qw; ++i) S[i] = ReadPixel(*ss, scol + i, static_cast<int>(srow));
          }
        } else {
          for (int i = 0; i < qw; ++i) {
            const int col = t_xmap[static_cast<size_t>(i)];
            Have[i] = col >= 0;
            if (col < 0) {
              anySkip = true;
              S[i] = 0;
            } else {
              S[i] = ReadPixel(*ss, col, static_cast<int>(srow));
            }
          }
        }
        if (conv.kind != Converter::Same)
          for (int i = 0; i < qw; ++i) S[i] = conv(S[i]);
      }
      if (needP) {
        if (paint.solid) {
          std::fill(P, P + qw, paint.pixel);
        } else {
          const int py = static_cast<int>(((int64_t{row} - paint.orgY) % paint.patH + paint.patH) % paint.patH);
          const uint32_t* pr = paint.pat.data() + static_cast<size_t>(py) * paint.patW;
          int px = static_cast<int>(((int64_t{q.left} - paint.orgX) % paint.patW + paint.patW) % paint.patW);
          for (int i = 0; i < qw; ++i) {
            P[i] = pr[px];
            if (++px == paint.patW) px = 0;
          }
        }
      }
      if (needD || anySkip) ReadRow(ds, row, q.left, qw, D);
      if (t == 0xCC && !anySkip) {
        WriteRow(ds, row, q.left, qw, S);
        continue;
      }
      if (anySkip) {
        for (int i = 0; i < qw; ++i) {
          if (!Have[i]) continue;
          D[i] = Rop3(t, needP ? P[i] : 0, needS ? S[i] : 0, D[i]) & mask;
        }
      } else {
        ApplyRop(t, needP ? P : nullptr, needS ? S : nullptr, D, qw, mask);
      }
      WriteRow(ds, row, q.left, qw, D);
    }
  }
  d.Damage(area);
  return true;
}

SourceInfo SourceOf(const DC& s) {
  SourceInfo si;
  si.s = &s.surface;
  si.bkColor = s.bkColor;
  si.monoDDB = s.surface.format.bpp == 1 && s.bitmap && !s.bitmap->dibSection;
  return si;
}

}  // namespace

}  // namespace winplat::gdi

using namespace winplat;
using namespace winplat::gdi;

BOOL WINAPI StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                       int srcHeight, DWORD rop) {
  auto d = DCOrFail(dest);
  if (!d) return FALSE;
  const unsigned t = (rop >> 16) & 0xFFu;
  const POINT p = d->ToDevice(x, y);
  if (!NeedsSource(t)) return BlitCore(*d, p.x, p.y, width, height, nullptr, 0, 0, 0, 0, rop) ? TRUE : FALSE;
  auto s = DCOrFail(src);
  if (!s) return FALSE;
  const POINT sp = s->ToDevice(xSrc, ySrc);
  SourceInfo si = SourceOf(*s);
  // Copy a surface onto itself through a snapshot when stretching, so no row is read after
  // it was written.
  if (s->surface.bits == d->surface.bits && (width != srcWidth || height != srcHeight || width < 0 || height < 0)) {
    auto copy = NewBitmap(s->surface.width, s->surface.height, s->surface.format.bpp, s->surface.format.redMask,
                          s->surface.format.greenMask, s->surface.format.blueMask, false, false);
    if (!copy) return FALSE;
    if (s->surface.colors) std::copy_n(s->surface.colors, s->surface.colorCount, copy->colors.begin());
    ConvertRect(s->surface, 0, 0, copy->surface, 0, 0, s->surface.width, s->surface.height);
    si.s = &copy->surface;
    return BlitCore(*d, p.x, p.y, width, height, &si, sp.x, sp.y, srcWidth, srcHeight, rop) ? TRUE : FALSE;
  }
  return BlitCore(*d, p.x, p.y, width, height, &si, sp.x, sp.y, srcWidth, srcHeight, rop) ? TRUE : FALSE;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  if (width < 0 || height < 0) {
    // BitBlt does not mirror; negative extents reach the same rectangle.
    if (width < 0) {
      x += width;
      xSrc += width;
      width = -width;
    }
    if (height < 0) {
      y += height;
      ySrc += height;
      height = -height;
    }
  }
  return StretchBlt(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  auto d = DCOrFail(hdc);
  if (!d) return FALSE;
  const unsigned t = (rop >> 16) & 0xFFu;
  if (NeedsSource(t)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const POINT p = d->ToDevice(x, y);
  return BlitCore(*d, p.x, p.y, width, height, nullptr, 0, 0, 0, 0, rop, Extents::Plain) ? TRUE : FALSE;
}

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                         int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  auto d = DCOrFail(hdc);
  if (!d) return 0;
  DibView view;
  const unsigned t = (rop >> 16) & 0xFFu;
  const POINT p = d->ToDevice(xDest, yDest);
  if (!NeedsSource(t)) return BlitCore(*d, p.x, p.y, destWidth, destHeight, nullptr, 0, 0, 0, 0, rop) ? 1 : 0;
  // A source rectangle of negative extent draws nothing (mirroring is by the destination).
  if (srcWidth < 0 || srcHeight < 0) return 0;
  if (!bits || !MakeDibView(info, usage, bits, d.get(), &view)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SourceInfo si;
  si.s = &view.surface;
  si.bkColor = d->bkColor;
  si.written = view.Written();
  // Source rows count from the bottom edge of the image, whichever way it is stored.
  const int64_t top = int64_t{view.height} - ySrc - srcHeight;
  if (!BlitCore(*d, p.x, p.y, destWidth, destHeight, &si, xSrc, ClampInt(top), srcWidth, srcHeight, rop)) return 0;
  return view.height;
}

int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                             UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  auto d = DCOrFail(hdc);
  if (!d) return 0;
  if (!bits || !info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || width > 0x7FFFFFFF ||
      height > 0x7FFFFFFF || lines == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const BITMAPINFOHEADER& hdr = info->bmiHeader;
  const bool topDown = hdr.biHeight < 0;
  const int64_t fullHeight = topDown ? -int64_t{hdr.biHeight} : hdr.biHeight;
  // The buffer holds scans first .. first + bufLines - 1 of the whole image, buffer row 0 being
  // scan `first`. Run-length data always holds the whole image.
  const bool rle = hdr.biCompression == BI_RLE8 || hdr.biCompression == BI_RLE4;
  const int64_t first = rle ? 0 : startScan;
  const int64_t bufLines = rle ? fullHeight : std::min<int64_t>(lines, fullHeight - first);
  if (bufLines <= 0) return 0;
  // View the buffer as an image of `bufLines` rows with the original colours.
  DibView view;
  if (!MakeDibView(info, usage, bits, d.get(), &view, rle ? 0 : topDown ? -bufLines : bufLines)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SourceInfo si;
  si.s = &view.surface;
  si.bkColor = d->bkColor;
  si.written = view.Written();
  const POINT p = d->ToDevice(xDest, yDest);
  // Scans inside both the buffer and the source rectangle; destination row j shows scan k.
  const int64_t kLo = std::max<int64_t>(first, ySrc);
  const int64_t kHi = width == 0 ? kLo : std::min<int64_t>(first + bufLines, int64_t{ySrc} + int64_t{height});
  for (int64_t k = kLo; k < kHi; ++k) {
    const int64_t j = topDown ? k - ySrc : int64_t{ySrc} + int64_t{height} - 1 - k;
    const int64_t bufRow = topDown ? k - first : bufLines - 1 - (k - first);
    BlitCore(*d, p.x, ClampInt(p.y + j), static_cast<int>(width), 1, &si, xSrc, static_cast<int>(bufRow),
             static_cast<int>(width), 1, SRCCOPY);
  }
  // The number of scans taken from the buffer.
  const int copied = kHi > kLo ? static_cast<int>(kHi - kLo) : 0;
  return copied;
}
