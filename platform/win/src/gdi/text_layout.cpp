// DrawText layout.
#include "gdi/text_layout.h"

#include <algorithm>

#include "wintext.h"

namespace winplat::gdi {
namespace {

bool IsSpace(char32_t c) { return c == U' ' || c == 0x3000; }

// Line-start and line-end rules for Japanese text: these never begin a line ...
bool NoBreakBefore(char32_t c) {
  static constexpr char16_t kSet[] =
      u"、。，．・：；？！゛゜ヽヾゝゞ々ー）］｝」』】〕〉》”’ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ…‥"
      u"),.!?:;]}%";
  for (char16_t s : kSet)
    if (s && c == s) return true;
  return false;
}
// ... and these never end one.
bool NoBreakAfter(char32_t c) {
  static constexpr char16_t kSet[] = u"（［｛「『【〔〈《“‘([{";
  for (char16_t s : kSet)
    if (s && c == s) return true;
  return false;
}

// A new line may start at k (0 < k < size).
bool CanBreakBefore(const std::vector<char32_t>& t, size_t k) {
  char32_t a = t[k - 1], b = t[k];
  if (IsSpace(b)) return false;  // blanks hang at the end of a line
  if (IsSpace(a)) return true;
  if (!IsWideChar(a) && !IsWideChar(b)) return false;
  return !NoBreakBefore(b) && !NoBreakAfter(a);
}

struct Source {
  std::vector<char32_t> codes;
  std::vector<uint8_t> underline;
};

Source ApplyPrefixes(const std::vector<char32_t>& in, UINT format) {
  Source s;
  bool prefixes = !(format & DT_NOPREFIX);
  bool show = !(format & DT_HIDEPREFIX);
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t c = in[i];
    uint8_t mark = 0;
    if (prefixes && c == U'&') {
      if (i + 1 >= in.size()) break;  // a lone "&" at the end shows nothing
      ++i;
      c = in[i];
      mark = (c != U'&' && show) ? 1 : 0;
    }
    s.codes.push_back(c);
    s.underline.push_back(mark);
  }
  return s;
}

struct Measurer {
  RealFont& font;
  bool expandTabs;
  int tabWidth;

  // Advance of codes[i] when the pen is at `pen` (tabs depend on it).
  int Advance(char32_t c, int adv, int pen) const {
    if (c == U'\t' && expandTabs) return tabWidth > 0 ? (pen / tabWidth + 1) * tabWidth - pen : 0;
    return adv;
  }
};

}  // namespace

UINT EffectiveDrawTextFormat(UINT format) {
  return (format & DT_TABSTOP) ? (format & ~0xFF00u) : format;
}

int MeasureRun(RealFont& font, const std::vector<char32_t>& codes, std::vector<int>* penX,
               std::vector<int>* advances) {
  std::vector<int> local;
  std::vector<int>& adv = advances ? *advances : local;
  adv.resize(codes.size());
  if (!codes.empty()) font.Advances(codes.data(), codes.size(), adv.data());
  int pen = 0;
  if (penX) penX->resize(codes.size());
  for (size_t i = 0; i < codes.size(); ++i) {
    if (penX) (*penX)[i] = pen;
    pen += adv[i];
  }
  return pen;
}

TextLayout LayoutDrawText(std::u16string_view text, const RECT& rect, UINT rawFormat,
                          RealFont& font) {
  UINT format = EffectiveDrawTextFormat(rawFormat);
  const FontMetrics& m = font.Metrics();
  TextLayout out;
  out.lineHeight = m.height + ((format & DT_EXTERNALLEADING) ? m.externalLeading : 0);

  std::vector<char32_t> decoded;
  DecodeUtf16(text, &decoded);
  Source src = ApplyPrefixes(decoded, format);
  std::vector<int> adv(src.codes.size());
  if (!adv.empty()) font.Advances(src.codes.data(), src.codes.size(), adv.data());

  int tabChars = (rawFormat & DT_TABSTOP) ? static_cast<int>((rawFormat >> 8) & 0xFF) : 8;
  if (tabChars == 0) tabChars = 8;
  Measurer meas{font, (format & DT_EXPANDTABS) != 0, tabChars * m.aveCharWidth};
  bool single = (format & DT_SINGLELINE) != 0;
  bool wrap = (format & DT_WORDBREAK) && !single;
  int limit = rect.right - rect.left;

  auto emit = [&](size_t from, size_t to, bool trimBlanks) {
    LaidOutLine line;
    int pen = 0;
    for (size_t i = from; i < to; ++i) {
      int a = meas.Advance(src.codes[i], adv[i], pen);
      line.codes.push_back(src.codes[i]);
      line.penX.push_back(pen);
      line.advance.push_back(a);
      line.underline.push_back(src.underline[i]);
      pen += a;
    }
    if (trimBlanks) {
      size_t n = line.codes.size();
      while (n > 0 && IsSpace(line.codes[n - 1])) --n;
      line.width = n ? line.penX[n - 1] + line.advance[n - 1] : 0;
    } else {
      line.width = pen;
    }
    out.lines.push_back(std::move(line));
  };

  // Lays out one hard line [from, to), wrapping it when asked.
  auto layoutHardLine = [&](size_t from, size_t to) {
    if (!wrap) {
      emit(from, to, false);
      return;
    }
    size_t start = from;
    for (;;) {
      int pen = 0;
      size_t lastBreak = start;  // start of the part after the latest break opportunity
      size_t i = start;
      bool broke = false;
      for (; i < to; ++i) {
        if (i > start && CanBreakBefore(src.codes, i)) lastBreak = i;
        int a = meas.Advance(src.codes[i], adv[i], pen);
        if (i > start && !IsSpace(src.codes[i]) && pen + a > limit && lastBreak > start) {
          emit(start, lastBreak, true);
          start = lastBreak;
          while (start < to && IsSpace(src.codes[start])) ++start;
          broke = true;
          break;
        }
        pen += a;
      }
      if (!broke) {
        emit(start, to, true);
        return;
      }
      if (start >= to) return;
    }
  };

  size_t n = src.codes.size();
  if (single) {
    if (n) emit(0, n, false);
  } else {
    size_t from = 0;
    for (size_t i = 0; i < n; ++i) {
      char32_t c = src.codes[i];
      if (c != U'\r' && c != U'\n') continue;
      layoutHardLine(from, i);
      if (c == U'\r' && i + 1 < n && src.codes[i + 1] == U'\n') ++i;
      from = i + 1;
    }
    if (from < n) layoutHardLine(from, n);
  }

  int top = rect.top;
  int h = static_cast<int>(out.lines.size()) * out.lineHeight;
  out.height = h;
  if (single && !out.lines.empty()) {
    if (format & DT_VCENTER) top = rect.top + (rect.bottom - rect.top - out.lineHeight) / 2;
    else if (format & DT_BOTTOM) top = rect.bottom - out.lineHeight;
  }
  for (size_t i = 0; i < out.lines.size(); ++i) {
    LaidOutLine& line = out.lines[i];
    out.width = std::max(out.width, line.width);
    if (format & DT_CENTER) line.x = rect.left + (limit - line.width) / 2;
    else if (format & DT_RIGHT) line.x = rect.right - line.width;
    else line.x = rect.left;
    line.y = top + static_cast<int>(i) * out.lineHeight;
  }
  out.result = single && (format & (DT_VCENTER | DT_BOTTOM)) && !out.lines.empty()
                   ? top - rect.top + out.lineHeight
                   : h;
  out.calcRect = rect;
  out.calcRect.right = rect.left + out.width;
  out.calcRect.bottom = rect.top + h;
  return out;
}

}  // namespace winplat::gdi
