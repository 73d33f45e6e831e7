// DrawText's layout: prefixes, line breaks, word wrapping, tabs and alignment, computed without a
// device context so it can be checked exactly.
#pragma once
#include <string_view>
#include <vector>

#include "gdi/fonts_realise.h"
#include "wintypes.h"

namespace winplat::gdi {

struct LaidOutLine {
  std::vector<char32_t> codes;
  std::vector<int> penX;  // of each character, from the line's left edge
  std::vector<int> advance;  // of each character (tabs expanded)
  std::vector<uint8_t> underline;  // 1 where an "&" prefix underlines the character
  int width = 0;  // without trailing blanks of a wrapped line
  int x = 0;  // left edge of the line
  int y = 0;  // top of the line's cell
};

struct TextLayout {
  std::vector<LaidOutLine> lines;
  int lineHeight = 0;
  int width = 0;  // widest line
  int height = 0;  // lines * lineHeight
  int result = 0;  // what DrawText answers
  RECT calcRect{};  // the rectangle DT_CALCRECT gives back
};

// The format with the tab-stop count (DT_TABSTOP puts it in bits 8 to 15) taken out.
UINT EffectiveDrawTextFormat(UINT format);

TextLayout LayoutDrawText(std::u16string_view text, const RECT& rect, UINT format, RealFont& font);

// Pen positions for one run (TextOut and extents): advances plus extra spacing.
int MeasureRun(RealFont& font, const std::vector<char32_t>& codes, std::vector<int>* penX,
               std::vector<int>* advances);

}  // namespace winplat::gdi
