// Points, sizes and rectangles: the platform's records under the class library's names.
// Rectangles are left, top, right, bottom with right and bottom exclusive.
#pragma once
#include "wintypes.h"

using TPoint = POINT;
using TSize = SIZE;
using TRect = RECT;

inline TPoint Point(int32_t X, int32_t Y) { return TPoint{X, Y}; }
inline TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  return TRect{Left, Top, Right, Bottom};
}
inline TRect Bounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  return TRect{Left, Top, Left + Width, Top + Height};
}
