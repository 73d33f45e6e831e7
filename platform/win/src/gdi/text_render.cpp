// Glyph runs and decorations onto a text target.
#include "gdi/text_render.h"

#include <algorithm>

namespace winplat::gdi {

bool IntersectRects(const RECT& a, const RECT& b, RECT* out) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  *out = r;
  return r.left < r.right && r.top < r.bottom;
}

void DrawGlyphRun(TextTarget& target, RealFont& font, int originX, int baselineY,
                  const std::vector<char32_t>& codes, const std::vector<int>& penX, COLORREF colour,
                  const RECT* clip) {
  if (codes.empty()) return;
  GlyphPtr small[64];
  std::vector<GlyphPtr> large;
  GlyphPtr* glyphs = small;
  if (codes.size() > 64) {
    large.resize(codes.size());
    glyphs = large.data();
  }
  font.Glyphs(codes.data(), codes.size(), glyphs);
  for (size_t i = 0; i < codes.size(); ++i) {
    const Glyph& g = *glyphs[i];
    if (g.width <= 0 || g.height <= 0) continue;
    int64_t gx = static_cast<int64_t>(originX) + penX[i] + g.left;
    int64_t gy = static_cast<int64_t>(baselineY) - g.top;
    if (gx > INT32_MAX - g.width || gx < INT32_MIN || gy > INT32_MAX - g.height || gy < INT32_MIN)
      continue;
    RECT box{static_cast<LONG>(gx), static_cast<LONG>(gy), static_cast<LONG>(gx + g.width),
             static_cast<LONG>(gy + g.height)};
    RECT vis = box;
    if (clip && !IntersectRects(box, *clip, &vis)) continue;
    const uint8_t* src = g.coverage.data() + static_cast<size_t>(vis.top - box.top) * g.width +
                         (vis.left - box.left);
    target.BlendCoverage(vis.left, vis.top, vis.right - vis.left, vis.bottom - vis.top, src,
                         g.width, colour);
  }
}

void DrawBar(TextTarget& target, int x0, int x1, int baselineY, int offset, int thickness,
             COLORREF colour, const RECT* clip) {
  if (x1 <= x0 || thickness <= 0) return;
  RECT bar{x0, baselineY + offset, x1, baselineY + offset + thickness};
  if (clip && !IntersectRects(bar, *clip, &bar)) return;
  target.FillRect(bar, colour);
}

void DrawDecorations(TextTarget& target, const FontMetrics& m, int x0, int x1, int baselineY,
                     COLORREF colour, const RECT* clip) {
  if (m.underline)
    DrawBar(target, x0, x1, baselineY, m.underlineOffset, m.underlineThickness, colour, clip);
  if (m.strikeOut)
    DrawBar(target, x0, x1, baselineY, -m.strikeOutOffset, m.strikeOutThickness, colour, clip);
}

}  // namespace winplat::gdi
