// The blend entry points: validate and clip the geometry, build the tree, compile once, and run
// the routine per destination row with 16.16 source coordinates.
#include <cmath>
#include <cstdint>
#include <limits>
#include "DXRender.h"
#include "DXRender_Plan.h"

namespace DXRender {
namespace {

// cos(i * 2 pi / 256); sine(i) is entry (i + 192) and 255.
struct CosTable {
  double v[256];
  CosTable() {
    for (int i = 0; i < 256; ++i) v[i] = std::cos(i * 2.0 * M_PI / 256.0);
  }
};
const CosTable g_cos;
double Cos(int i) { return g_cos.v[i & 255]; }
double Sin(int i) { return g_cos.v[(i + 192) & 255]; }

bool Fits16_16(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

bool SourceRectInside(const TPixelDescriptor& source, const RECT& r) {
  return r.left >= 0 && r.top >= 0 && r.right <= source.Width && r.bottom <= source.Height && r.left < r.right &&
         r.top < r.bottom;
}

int64_t MulDiv64Wide(int64_t a, int64_t b, int64_t c) { return c == 0 ? 0 : (a * b) / c; }

void SetupTextureDraw(TDXRMachine& m, TPixelDescriptor& dest, TPixelDescriptor& source, uint8_t op,
                      uint32_t colorKey, bool useColorKey, int32_t dvPerPixel, int32_t duPerPixel, int32_t alpha) {
  m.Reset();
  m.Dest = &dest;
  TDXRTextureStage& s = m.Stages[0];
  s.Source = &source;
  s.UseColorKey = useColorKey;
  s.ColorKey = colorKey;
  s.DU = duPerPixel;
  s.DV = dvPerPixel;
  s.AddressMode = 1;
  const uint16_t def = static_cast<uint16_t>(static_cast<uint32_t>(alpha) << 8);
  for (auto& d : s.Default) d = def;
  m.Compile(m.CreateOperation(op, m.CreateTexture(0), m.CreateDest()));
}

}  // namespace

int32_t MulDiv64(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return 0;
  return static_cast<int32_t>((static_cast<int64_t>(a) * b) / c);
}

void DrawRectBlend(TPixelDescriptor& dest, TPixelDescriptor& source, const RECT& destRect, uint32_t colorKey,
                   bool useColorKey, int32_t alpha, uint8_t op, const RECT& srcRect) {
  if (destRect.left >= destRect.right || destRect.top >= destRect.bottom) return;
  if (!SourceRectInside(source, srcRect)) return;
  int64_t left = destRect.left, top = destRect.top, right = destRect.right, bottom = destRect.bottom;
  int64_t skipX = 0, skipY = 0;
  if (left < 0) { skipX = -left; left = 0; }
  if (top < 0) { skipY = -top; top = 0; }
  right = std::min<int64_t>(right, dest.Width);
  bottom = std::min<int64_t>(bottom, dest.Height);
  if (right < 1 || bottom < 1 || right - left < 1 || bottom - top < 1) return;
  const int64_t width = right - left, height = bottom - top;

  const int64_t destW = static_cast<int64_t>(destRect.right) - destRect.left;
  const int64_t destH = static_cast<int64_t>(destRect.bottom) - destRect.top;
  const int64_t su = MulDiv64Wide(srcRect.right - srcRect.left, 65536, destW);
  const int64_t sv = MulDiv64Wide(srcRect.bottom - srcRect.top, 65536, destH);
  // Computed in 64 bits: a start or end that does not fit 16.16 draws nothing.
  const int64_t uStart = su * skipX + (static_cast<int64_t>(srcRect.left) << 16);
  const int64_t vStart = sv * skipY + (static_cast<int64_t>(srcRect.top) << 16);
  const int64_t uEnd = uStart + su * width, vEnd = vStart + sv * height;
  if (uStart < 0 || vStart < 0) return;
  if (!Fits16_16(su) || !Fits16_16(sv) || !Fits16_16(uStart) || !Fits16_16(vStart) || !Fits16_16(uEnd) ||
      !Fits16_16(vEnd))
    return;
  if ((uEnd >> 16) > source.Width || (vEnd >> 16) > source.Height) return;

  TDXRMachine& m = TDXRMachine::Instance();
  SetupTextureDraw(m, dest, source, op, colorKey, useColorKey, 0, static_cast<int32_t>(su), alpha);
  detail::DirectSpan direct;
  const bool plain = m.Compiled && direct.Prepare(dest, source, op, colorKey, useColorKey, alpha);
  int64_t v = vStart;
  for (int64_t y = top; y < bottom; ++y, v += sv) {
    if (plain) {
      direct.Run(dest.Pixels + static_cast<intptr_t>(y) * dest.Pitch + static_cast<intptr_t>(left) * 4,
                 static_cast<int32_t>(uStart), static_cast<int32_t>(v), static_cast<int32_t>(su), 0, width);
      continue;
    }
    m.SpanX = static_cast<int32_t>(left);
    m.SpanY = static_cast<int32_t>(y);
    m.Stages[0].U = static_cast<int32_t>(uStart);
    m.Stages[0].V = static_cast<int32_t>(v);
    m.Run(static_cast<int32_t>(width));
  }
}

void FillRectBlend(TPixelDescriptor& dest, const RECT& rect, uint8_t op, uint32_t color) {
  if (rect.left >= rect.right || rect.top >= rect.bottom) return;
  const int32_t left = std::max<int32_t>(rect.left, 0), top = std::max<int32_t>(rect.top, 0);
  const int32_t right = std::min<int32_t>(rect.right, dest.Width), bottom = std::min<int32_t>(rect.bottom, dest.Height);
  if (left >= right || top >= bottom) return;
  TDXRMachine& m = TDXRMachine::Instance();
  m.Reset();
  m.Dest = &dest;
  auto ch = [color](int shift) { return static_cast<uint16_t>(((color >> shift) & 0xFF) << 8); };
  m.Compile(m.CreateOperation(op, m.CreateColor(ch(0), ch(8), ch(16), ch(24)), m.CreateDest()));
  for (int32_t y = top; y < bottom; ++y) {
    m.SpanX = left;
    m.SpanY = y;
    m.Run(right - left);
  }
}

void DrawRotatedBlend(TPixelDescriptor& dest, TPixelDescriptor& source, int32_t x, int32_t y, int32_t width,
                      int32_t height, double centerX, double centerY, int32_t angle, const RECT& srcRect,
                      uint32_t colorKey, bool useColorKey, int32_t alpha, uint8_t op) {
  if (width == 0 || height == 0) return;
  if (!SourceRectInside(source, srcRect)) return;
  const double ca = Cos(angle), sa = Sin(angle);

  // Bounding box of the four corners, rotated about the centre point and moved to (x, y).
  int64_t minX = std::numeric_limits<int64_t>::max(), minY = minX;
  int64_t maxX = std::numeric_limits<int64_t>::min(), maxY = maxX;
  const double corners[4][2] = {{0, 0}, {double(width), 0}, {0, double(height)}, {double(width), double(height)}};
  for (const auto& c : corners) {
    const double cx = std::trunc(c[0] - centerX * width), cy = std::trunc(c[1] - centerY * height);
    const double rx = std::trunc(cx * ca - cy * sa), ry = std::trunc(cx * sa + cy * ca);
    if (!std::isfinite(rx) || !std::isfinite(ry) || std::fabs(rx) > 1e9 || std::fabs(ry) > 1e9) return;
    const int64_t px = static_cast<int64_t>(rx) + x, py = static_cast<int64_t>(ry) + y;
    minX = std::min(minX, px);
    maxX = std::max(maxX, px);
    minY = std::min(minY, py);
    maxY = std::max(maxY, py);
  }
  const int64_t left = std::max<int64_t>(minX, 0), top = std::max<int64_t>(minY, 0);
  const int64_t right = std::min<int64_t>(maxX, dest.Width), bottom = std::min<int64_t>(maxY, dest.Height);
  if (left >= right || top >= bottom) return;

  const int neg = (-angle) & 255;
  const int64_t c = static_cast<int64_t>(std::trunc(Cos(neg) * 65536.0));
  const int64_t s = static_cast<int64_t>(std::trunc(Sin(neg) * 65536.0));
  const int64_t sw = static_cast<int64_t>(srcRect.right) - srcRect.left;
  const int64_t sh = static_cast<int64_t>(srcRect.bottom) - srcRect.top;
  const int64_t du = MulDiv64Wide(sw, c, width), dv = MulDiv64Wide(sh, s, height);
  const int64_t rowDu = -MulDiv64Wide(sw, s, width), rowDv = MulDiv64Wide(sh, c, height);
  if (!Fits16_16(du) || !Fits16_16(dv)) return;

  int64_t u = static_cast<int64_t>(std::trunc(centerX * sw * 65536.0)) + (left - x) * du - (y - top) * rowDu +
              (static_cast<int64_t>(srcRect.left) << 16);
  int64_t v = static_cast<int64_t>(std::trunc(centerY * sh * 65536.0)) + (left - x) * dv - (y - top) * rowDv +
              (static_cast<int64_t>(srcRect.top) << 16);

  TDXRMachine& m = TDXRMachine::Instance();
  SetupTextureDraw(m, dest, source, op, colorKey, useColorKey, static_cast<int32_t>(dv), static_cast<int32_t>(du),
                   alpha);
  detail::DirectSpan direct;
  const bool plain = m.Compiled && direct.Prepare(dest, source, op, colorKey, useColorKey, alpha);
  const int64_t L16 = static_cast<int64_t>(srcRect.left) << 16, R16 = static_cast<int64_t>(srcRect.right) << 16;
  const int64_t T16 = static_cast<int64_t>(srcRect.top) << 16, B16 = static_cast<int64_t>(srcRect.bottom) << 16;
  for (int64_t row = top; row < bottom; ++row, u += rowDu, v += rowDv) {
    int64_t U = u, V = v;
    // A step of exactly 0 never brings a coordinate that starts outside the source inside it.
    if ((du == 0 && (U < L16 || U >= R16)) || (dv == 0 && (V < T16 || V >= B16))) continue;
    int64_t M = 0;
    if (du > 0 && U < L16) M = (L16 + du - U - 1) / du;
    if (du < 0 && U >= R16) M = (R16 + du - U) / du;
    if (dv > 0 && V < T16) M = std::max(M, (T16 + dv - V - 1) / dv);
    if (dv < 0 && V >= B16) M = std::max(M, (B16 + dv - V) / dv);
    U += M * du;
    V += M * dv;
    int64_t count = du < 0 ? (U - L16) / -du : (R16 - U) / std::max<int64_t>(du, 1);
    count = std::min(count, dv < 0 ? (V - T16) / -dv : (B16 - V) / std::max<int64_t>(dv, 1));
    count = std::min(count, static_cast<int64_t>(dest.Width) - M - left);
    if (count < 1) continue;
    if (!Fits16_16(U) || !Fits16_16(V) || !Fits16_16(U + du * count) || !Fits16_16(V + dv * count)) continue;
    if (plain) {
      direct.Run(dest.Pixels + static_cast<intptr_t>(row) * dest.Pitch + static_cast<intptr_t>(left + M) * 4,
                 static_cast<int32_t>(U), static_cast<int32_t>(V), static_cast<int32_t>(du), static_cast<int32_t>(dv),
                 count);
      continue;
    }
    m.SpanX = static_cast<int32_t>(left + M);
    m.SpanY = static_cast<int32_t>(row);
    m.Stages[0].U = static_cast<int32_t>(U);
    m.Stages[0].V = static_cast<int32_t>(V);
    m.Run(static_cast<int32_t>(count));
  }
}

}  // namespace DXRender
