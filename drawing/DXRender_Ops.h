// Per-channel arithmetic of the blend operations on 8.8 working values (the 8-bit value in the
// high byte). The interpreter uses these directly; the native code generator emits the same.
#pragma once
#include <cstdint>
#include "DXRender.h"

namespace DXRender::detail {

struct Value {
  int32_t C[4];  // red, green, blue, alpha as 8.8
};

inline int32_t Hi(int32_t v) { return (v >> 8) & 0xFF; }
inline int32_t SatAdd(int32_t a, int32_t b) { int32_t s = a + b; return s > 65535 ? 65535 : s; }
inline int32_t SatSub(int32_t a, int32_t b) { int32_t s = a - b; return s < 0 ? 0 : s; }

// Blend of one channel alone: r + floor((l - r) * a / 256).
inline int32_t BlendSingle(int32_t l8, int32_t r8, int32_t a8) {
  return ((r8 + (((l8 - r8) * a8) >> 8)) & 0xFF) << 8;
}
// Blend of a channel computed in a pair: floor((l * a + r * (255 - a)) / 256).
inline int32_t BlendPaired(int32_t l8, int32_t r8, int32_t a8) {
  return (((l8 * a8 + r8 * (255 - a8)) >> 8) & 0xFF) << 8;
}

inline Value Apply(uint8_t op, uint8_t mask, const Value& L, const Value& R) {
  Value out{{0, 0, 0, 0}};
  const int32_t a8 = Hi(L.C[3]);
  for (int c = 0; c < 4; ++c) {
    if (!(mask & (1 << c))) continue;
    const int32_t l = L.C[c], r = R.C[c];
    const int32_t l8 = Hi(l), r8 = Hi(r);
    const bool alpha = c == 3;
    int32_t v = 0;
    switch (op) {
      case 0: v = 0; break;
      case 1: v = l; break;
      case 2: v = r; break;
      case 3: v = SatAdd(l, r); break;
      case 4: v = SatSub(l, r); break;
      case 5: v = SatSub(r, l); break;
      case 6: v = ((l8 * r8) >> 8) << 8; break;
      case 7: v = ((l8 * a8) >> 8) << 8; break;
      case 8: { int32_t t = r8 + ((l8 * a8) >> 8); v = (t > 255 ? 255 : t) << 8; break; }
      case 9: { int32_t t = r8 - ((l8 * a8) >> 8); v = (t < 0 ? 0 : t) << 8; break; }
      case 10:
      case 11: {
        const int32_t a = op == 10 ? a8 : 255 - a8;
        // Red with green, and blue with alpha, are computed as pairs when both are required.
        const int pair = c ^ 1;
        const bool paired = (mask & (1 << pair)) != 0;
        v = paired ? BlendPaired(l8, r8, a) : BlendSingle(l8, r8, a);
        break;
      }
      case 12: v = alpha ? r : l; break;
      case 13: v = alpha ? l : ((l8 * r8) >> 8) << 8; break;
      case 14: v = alpha ? l : SatAdd(l, r); break;
      default: v = 0; break;
    }
    out.C[c] = v;
  }
  return out;
}

}  // namespace DXRender::detail
