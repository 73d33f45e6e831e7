// The built-in test font: exact cell metrics and box glyphs, so layouts can be checked to the pixel
// without depending on which font files are installed.
#include <algorithm>

#include "gdi/fonts_realise.h"
#include "wintext.h"

namespace winplat::gdi {
namespace {

bool IsBlank(char32_t c) {
  return c == 0x20 || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A);
}

class TestFont final : public RealFont {
 public:
  explicit TestFont(const FontRequest& r) {
    int64_t h = r.height < 0 ? -static_cast<int64_t>(r.height) : r.height;
    if (h == 0) h = kDefaultCellHeight;
    int p = static_cast<int>(std::clamp<int64_t>(h, 1, kMaxPixelSize));
    pixels_ = p;
    FontMetrics& m = metrics_;
    m.height = p;
    m.descent = p / 4;
    m.ascent = p - m.descent;
    m.aveCharWidth = (p + 1) / 2;
    m.maxCharWidth = p;
    m.weight = r.weight > 0 ? r.weight : 400;
    m.italic = r.italic;
    m.underline = r.underline;
    m.strikeOut = r.strikeOut;
    m.pitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE | 0x30;  // fixed pitch, modern family
    m.charSet = SHIFTJIS_CHARSET;
    m.underlineThickness = std::max(1, p / 16);
    m.underlineOffset = std::max(0, std::min(m.descent / 2, m.descent - m.underlineThickness));
    m.strikeOutThickness = std::max(1, p / 16);
    m.strikeOutOffset = std::max(1, m.ascent / 2);
    bold_ = m.weight >= 600;
    faceName_ = kTestFontFace;
  }

 protected:
  int AdvanceLocked(char32_t c) override { return IsWideChar(c) ? pixels_ : (pixels_ + 1) / 2; }

  Glyph RenderLocked(char32_t c) override {
    Glyph g;
    g.advance = AdvanceLocked(c);
    if (IsBlank(c)) return g;
    g.width = bold_ ? g.advance : std::max(1, g.advance - 1);
    g.height = std::max(1, metrics_.ascent - 1);
    g.top = g.height;
    g.left = 0;
    g.coverage.assign(static_cast<size_t>(g.width) * g.height, 255);
    return g;
  }

 private:
  int pixels_ = 16;
  bool bold_ = false;
};

}  // namespace

std::shared_ptr<RealFont> CreateTestFont(const FontRequest& request) {
  return std::make_shared<TestFont>(request);
}

}  // namespace winplat::gdi
