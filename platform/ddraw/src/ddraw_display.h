// The display mode DirectDraw works in: the screen's size, and the depth new surfaces get.
#pragma once
#include <vector>

#include "ddraw.h"
#include "winplat_screen.h"

namespace winplat::ddraw {

struct DisplayMode {
  int width = 0, height = 0, bits = 32;
  bool operator==(const DisplayMode&) const = default;
};

DisplayMode CurrentMode();
// 8: indexed; 16: 5-6-5; 24: packed 8-8-8; 32: X8R8G8B8.
DDPIXELFORMAT FormatOfDepth(int bits);
// The screen's modes of 8, 16, 24 or 32 bits, each once, in the screen's order.
std::vector<DisplayMode> OfferedModes();
// DD_OK, or DDERR_INVALIDMODE when the mode is not offered (offeredOnly: a mode the screen was
// in before need not be) or the screen refuses its size.
HRESULT ChangeMode(const DisplayMode& mode, bool offeredOnly);

}  // namespace winplat::ddraw
