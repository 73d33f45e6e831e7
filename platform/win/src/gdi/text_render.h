// Putting glyphs on a destination: the destination offers two primitives in device pixels, and
// the text code clips, positions and decorates runs over them.
#pragma once
#include <cstdint>
#include <vector>

#include "gdi/fonts_realise.h"
#include "wintypes.h"

namespace winplat::gdi {

class TextTarget {
 public:
  virtual ~TextTarget() = default;
  // Blends 8-bit coverage (w x h, rows top-down, `pitch` bytes apart) at (x, y) in `colour`.
  // The rectangle is already clipped to `clip`; the target applies its own clipping as well.
  virtual void BlendCoverage(int x, int y, int w, int h, const uint8_t* coverage, int pitch,
                             COLORREF colour) = 0;
  virtual void FillRect(const RECT& r, COLORREF colour) = 0;
};

// Rectangle helpers (empty when right <= left or bottom <= top).
bool IntersectRects(const RECT& a, const RECT& b, RECT* out);

// Draws `codes` with their pen positions (relative to originX) on the baseline, clipped to clip
// (null: unclipped), in colour.
void DrawGlyphRun(TextTarget& target, RealFont& font, int originX, int baselineY,
                  const std::vector<char32_t>& codes, const std::vector<int>& penX, COLORREF colour,
                  const RECT* clip);

// A horizontal bar from x0 to x1 with its top `offset` rows below the baseline (negative: above).
void DrawBar(TextTarget& target, int x0, int x1, int baselineY, int offset, int thickness,
             COLORREF colour, const RECT* clip);

// The font's underline and strike-out across [x0, x1).
void DrawDecorations(TextTarget& target, const FontMetrics& m, int x0, int x1, int baselineY,
                     COLORREF colour, const RECT* clip);

}  // namespace winplat::gdi
