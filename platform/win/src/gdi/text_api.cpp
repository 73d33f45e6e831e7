// The text calls on device contexts: metrics, extents, TextOut, ExtTextOut, DrawText, alignment.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "codepages/codec.h"
#include "gdi/fonts_realise.h"
#include "gdi/gdi_internal.h"
#include "gdi/text_layout.h"
#include "gdi/text_render.h"
#include "internal/text.h"
#include "winerror.h"
#include "internal/wide_calls.h"
#include "winplat_mode.h"
#include "wintext.h"

namespace winplat::gdi {
namespace {

struct RealizedFont {
  uint64_t generation = 0;
  std::shared_ptr<RealFont> font;
};

FontRequest RequestOf(const LOGFONTW& lf) {
  FontRequest r;
  r.height = lf.lfHeight;
  r.weight = lf.lfWeight;
  r.italic = lf.lfItalic != 0;
  r.underline = lf.lfUnderline != 0;
  r.strikeOut = lf.lfStrikeOut != 0;
  r.charSet = lf.lfCharSet;
  r.pitchAndFamily = lf.lfPitchAndFamily;
  size_t n = 0;
  while (n < LF_FACESIZE && lf.lfFaceName[n]) ++n;
  r.faceName.assign(lf.lfFaceName, n);
  return r;
}

// The realised font of the DC's selected font, kept on the font object.
std::shared_ptr<RealFont> FontOf(const DC& dc) {
  std::lock_guard<std::recursive_mutex> hold(FontLock());
  uint64_t generation = FontSwitchGeneration();
  const FontObject* object = dc.font.get();
  if (!object) {
    static RealizedFont* fallback = new RealizedFont;
    if (fallback->generation != generation || !fallback->font) {
      fallback->font = RealiseFont(FontRequest{});
      fallback->generation = generation;
    }
    return fallback->font;
  }
  auto cached = std::static_pointer_cast<RealizedFont>(object->realized);
  if (cached && cached->generation == generation && cached->font) return cached->font;
  auto fresh = std::make_shared<RealizedFont>();
  fresh->generation = generation;
  fresh->font = RealiseFont(RequestOf(object->lf));
  object->realized = fresh;
  return fresh->font;
}

std::shared_ptr<DC> DcOrFail(HDC hdc) {
  auto dc = LookupDC(hdc);
  if (!dc) SetLastError(ERROR_INVALID_HANDLE);
  return dc;
}

size_t WideLength(LPCWSTR s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

// ANSI text converted one character at a time, keeping which byte each UTF-16 unit came from.
std::u16string AnsiToWideMapped(std::string_view text, std::vector<uint32_t>* byteOfUnit) {
  const cp::Table* table = cp::GetTable(cp::ResolveCodePage(0));
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    size_t len = (table && table->IsLead(static_cast<uint8_t>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    std::u16string part = AnsiToWide(text.substr(i, len));
    for (char16_t u : part) {
      out += u;
      byteOfUnit->push_back(static_cast<uint32_t>(i));
    }
    i += len;
  }
  return out;
}

// The DC's own primitives clip and report the damage they do.
class DcTarget final : public TextTarget {
 public:
  explicit DcTarget(DC& dc) : dc_(dc) {}
  void BlendCoverage(int x, int y, int w, int h, const uint8_t* coverage, int pitch,
                     COLORREF colour) override {
    BlendMask(dc_, x, y, w, h, coverage, pitch, colour);
  }
  void FillRect(const RECT& r, COLORREF colour) override { FillDeviceRect(dc_, r, colour); }

 private:
  DC& dc_;
};

RECT ToDeviceRect(const DC& dc, const RECT& r) {
  POINT a = dc.ToDevice(r.left, r.top), b = dc.ToDevice(r.right, r.bottom);
  return RECT{a.x, a.y, b.x, b.y};
}

// Points this far out are off every surface; keeping them there leaves room for the arithmetic.
constexpr int kCoordLimit = 1 << 29;
int ClampCoord(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kCoordLimit, kCoordLimit)); }
RECT ClampRect(const RECT& r) {
  return RECT{ClampCoord(r.left), ClampCoord(r.top), ClampCoord(r.right), ClampCoord(r.bottom)};
}

RECT Normalised(RECT r) {
  if (r.right < r.left) std::swap(r.left, r.right);
  if (r.bottom < r.top) std::swap(r.top, r.bottom);
  return r;
}

// One run of text at a reference point, as TextOut and ExtTextOut draw it. `dx` holds an advance
// per UTF-16 unit (already summed from bytes for the A form) or is null.
BOOL TextRun(DC& dc, int x, int y, UINT options, const RECT* rect, std::u16string_view text,
             const INT* dx) {
  auto font = FontOf(dc);
  const FontMetrics& m = font->Metrics();
  std::vector<char32_t> codes;
  std::vector<uint32_t> unitIndex;
  DecodeUtf16(text, &codes, &unitIndex);
  std::vector<int> adv(codes.size());
  if (dx) {
    for (size_t i = 0; i < codes.size(); ++i) {
      size_t end = i + 1 < codes.size() ? unitIndex[i + 1] : text.size();
      int64_t sum = 0;
      for (size_t u = unitIndex[i]; u < end; ++u) sum += dx[u];
      adv[i] = static_cast<int>(std::clamp<int64_t>(sum, -1000000, 1000000));
    }
  } else if (!codes.empty()) {
    font->Advances(codes.data(), codes.size(), adv.data());
    for (int& a : adv) a += dc.textCharExtra;
  }
  std::vector<int> penX(codes.size());
  int64_t width = 0;
  for (size_t i = 0; i < codes.size(); ++i) {
    penX[i] = static_cast<int>(width);
    width = std::clamp<int64_t>(width + adv[i], -1000000000, 1000000000);
  }

  UINT align = dc.textAlign;
  bool updateCp = (align & TA_UPDATECP) != 0;
  if (updateCp) {
    x = dc.position.x;
    y = dc.position.y;
  }
  x = ClampCoord(x);
  y = ClampCoord(y);
  int left = x;
  if ((align & TA_CENTER) == TA_CENTER) left = static_cast<int>(x - width / 2);
  else if (align & TA_RIGHT) left = static_cast<int>(x - width);
  int baseline = y + m.ascent;
  if ((align & TA_BASELINE) == TA_BASELINE) baseline = y;
  else if (align & TA_BOTTOM) baseline = y - m.descent;

  POINT origin = dc.ToDevice(left, baseline);
  DcTarget target(dc);
  RECT clipRect{};
  const RECT* clip = nullptr;
  if (rect) {
    RECT dev = Normalised(ToDeviceRect(dc, ClampRect(*rect)));
    if (options & ETO_OPAQUE) target.FillRect(dev, dc.bkColor);
    if (options & ETO_CLIPPED) {
      clipRect = dev;
      clip = &clipRect;
    }
  }
  if (!codes.empty()) {
    int runLeft = origin.x, runRight = static_cast<int>(origin.x + width);
    if (runRight < runLeft) std::swap(runLeft, runRight);
    if (dc.bkMode == OPAQUE) {
      RECT cell{runLeft, origin.y - m.ascent, runRight, origin.y + m.descent};
      if (!clip || IntersectRects(cell, *clip, &cell)) target.FillRect(cell, dc.bkColor);
    }
    DrawGlyphRun(target, *font, origin.x, origin.y, codes, penX, dc.textColor, clip);
    DrawDecorations(target, m, runLeft, runRight, origin.y, dc.textColor, clip);
  }
  if (updateCp) {
    if ((align & TA_CENTER) == TA_CENTER) {
    } else if (align & TA_RIGHT) {
      dc.position.x = static_cast<LONG>(x - width);
    } else {
      dc.position.x = static_cast<LONG>(x + width);
    }
  }
  return TRUE;
}

int DrawTextCore(DC& dc, std::u16string_view text, RECT* ioRect, UINT format) {
  auto font = FontOf(dc);
  RECT bounds = ClampRect(*ioRect);
  RECT* rect = &bounds;
  TextLayout layout = LayoutDrawText(text, *rect, format, *font);
  UINT effective = EffectiveDrawTextFormat(format);
  if (effective & DT_CALCRECT) {
    *ioRect = layout.calcRect;
    return layout.result;
  }
  const FontMetrics& m = font->Metrics();
  DcTarget target(dc);
  RECT clipRect{};
  const RECT* clip = nullptr;
  if (!(effective & DT_NOCLIP)) {
    clipRect = Normalised(ToDeviceRect(dc, *rect));
    clip = &clipRect;
  }
  bool glyphs = !(effective & DT_PREFIXONLY);
  for (const LaidOutLine& line : layout.lines) {
    POINT origin = dc.ToDevice(line.x, line.y + m.ascent);
    int lineRight = origin.x + (line.codes.empty() ? 0 : line.penX.back() + line.advance.back());
    if (glyphs && dc.bkMode == OPAQUE && lineRight > origin.x) {
      RECT cell{origin.x, origin.y - m.ascent, lineRight, origin.y - m.ascent + layout.lineHeight};
      if (!clip || IntersectRects(cell, *clip, &cell)) target.FillRect(cell, dc.bkColor);
    }
    if (glyphs) {
      // Tabs and line breaks are spacing, not glyphs.
      std::vector<char32_t> codes = line.codes;
      for (char32_t& c : codes)
        if (c == U'\t' && (effective & DT_EXPANDTABS)) c = U' ';
      DrawGlyphRun(target, *font, origin.x, origin.y, codes, line.penX, dc.textColor, clip);
      DrawDecorations(target, m, origin.x, origin.x + line.width, origin.y, dc.textColor, clip);
    }
    for (size_t i = 0; i < line.codes.size(); ++i) {
      if (!line.underline[i]) continue;
      int x0 = origin.x + line.penX[i];
      DrawBar(target, x0, x0 + line.advance[i], origin.y, m.underlineOffset, m.underlineThickness,
              dc.textColor, clip);
    }
  }
  return layout.result;
}

BOOL Extent(HDC hdc, std::u16string_view text, int maxExtent, LPINT fit, LPINT dx, SIZE* size) {
  auto dc = DcOrFail(hdc);
  if (!dc) return FALSE;
  auto font = FontOf(*dc);
  std::vector<char32_t> codes;
  std::vector<uint32_t> unitIndex;
  DecodeUtf16(text, &codes, &unitIndex);
  std::vector<int> adv(codes.size());
  if (!codes.empty()) font->Advances(codes.data(), codes.size(), adv.data());
  int64_t pen = 0;
  int fitUnits = 0;
  bool fits = true;
  for (size_t i = 0; i < codes.size(); ++i) {
    pen += adv[i] + dc->textCharExtra;
    size_t end = i + 1 < codes.size() ? unitIndex[i + 1] : text.size();
    if (fits && pen <= maxExtent) fitUnits = static_cast<int>(end);
    else fits = false;
    if (dx)
      for (size_t u = unitIndex[i]; u < end; ++u) dx[u] = static_cast<int>(pen);
  }
  if (fit) *fit = fitUnits;
  size->cx = static_cast<LONG>(std::clamp<int64_t>(pen, 0, INT32_MAX));
  size->cy = font->Metrics().height;
  return TRUE;
}

template <class TM>
void FillMetrics(const RealFont& font, TM* tm) {
  const FontMetrics& m = font.Metrics();
  std::memset(tm, 0, sizeof(*tm));
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmExternalLeading = m.externalLeading;
  tm->tmAveCharWidth = m.aveCharWidth;
  tm->tmMaxCharWidth = m.maxCharWidth;
  tm->tmWeight = m.weight;
  tm->tmOverhang = 0;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmItalic = m.italic ? 255 : 0;
  tm->tmUnderlined = m.underline ? 255 : 0;
  tm->tmStruckOut = m.strikeOut ? 255 : 0;
  tm->tmPitchAndFamily = m.pitchAndFamily;
  tm->tmCharSet = m.charSet;
}

}  // namespace

}  // namespace winplat::gdi

using namespace winplat;
using namespace winplat::gdi;

BOOL WINAPI GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
  if (VSE_WIDE_CALL_REFUSED()) return FALSE;
  auto dc = DcOrFail(hdc);
  if (!dc) return FALSE;
  if (!tm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FillMetrics(*FontOf(*dc), tm);
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFFFC;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
  auto dc = DcOrFail(hdc);
  if (!dc) return FALSE;
  if (!tm) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FillMetrics(*FontOf(*dc), tm);
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFC;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  return TRUE;
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size) {
  if (!size || count < 0 || (!text && count > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Extent(hdc, std::u16string_view(text ? text : u"", count), INT32_MAX, nullptr, nullptr,
                size);
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, SIZE* size) {
  if (!size || count < 0 || (!text && count > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string wide = AnsiToWide(std::string_view(text ? text : "", count));
  return Extent(hdc, wide, INT32_MAX, nullptr, nullptr, size);
}

BOOL WINAPI GetTextExtentPointW(HDC hdc, LPCWSTR text, int count, SIZE* size) {
  return GetTextExtentPoint32W(hdc, text, count, size);
}

BOOL WINAPI GetTextExtentPointA(HDC hdc, LPCSTR text, int count, SIZE* size) {
  return GetTextExtentPoint32A(hdc, text, count, size);
}

BOOL WINAPI GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, LPINT fit,
                                  LPINT dx, SIZE* size) {
  if (!size || count < 0 || (!text && count > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Extent(hdc, std::u16string_view(text ? text : u"", count), maxExtent, fit, dx, size);
}

BOOL WINAPI GetTextExtentExPointA(HDC hdc, LPCSTR text, int count, int maxExtent, LPINT fit,
                                  LPINT dx, SIZE* size) {
  if (!size || count < 0 || (!text && count > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string_view bytes(text ? text : "", count);
  std::vector<uint32_t> byteOfUnit;
  std::u16string wide = AnsiToWideMapped(bytes, &byteOfUnit);
  std::vector<int> unitDx(wide.size());
  int unitFit = 0;
  if (!Extent(hdc, wide, maxExtent, &unitFit, unitDx.data(), size)) return FALSE;
  if (fit) *fit = unitFit < static_cast<int>(wide.size()) ? static_cast<int>(byteOfUnit[unitFit]) : count;
  if (dx) {
    for (size_t u = 0; u < wide.size(); ++u) {
      size_t end = u + 1 < wide.size() ? byteOfUnit[u + 1] : bytes.size();
      for (size_t b = byteOfUnit[u]; b < end; ++b) dx[b] = unitDx[u];
    }
  }
  return TRUE;
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                        UINT count, const INT* dx) {
  auto dc = DcOrFail(hdc);
  if (!dc) return FALSE;
  if (!text && count > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (options & ETO_GLYPH_INDEX) {  // glyph indices are not offered by this platform
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  return TextRun(*dc, x, y, options, rect, std::u16string_view(text ? text : u"", count), dx);
}

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text,
                        UINT count, const INT* dx) {
  auto dc = DcOrFail(hdc);
  if (!dc) return FALSE;
  if (!text && count > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (options & ETO_GLYPH_INDEX) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  std::string_view bytes(text ? text : "", count);
  if (!dx) return TextRun(*dc, x, y, options, rect, AnsiToWide(bytes), nullptr);
  // Advances are given per byte; a double-byte character takes the sum of its two.
  std::vector<uint32_t> byteOfUnit;
  std::u16string wide = AnsiToWideMapped(bytes, &byteOfUnit);
  std::vector<INT> unitDx(wide.size(), 0);
  for (size_t u = 0; u < wide.size(); ++u) {
    size_t end = u + 1 < wide.size() ? byteOfUnit[u + 1] : bytes.size();
    for (size_t b = byteOfUnit[u]; b < end; ++b) unitDx[u] += dx[b];
  }
  return TextRun(*dc, x, y, options, rect, wide, unitDx.data());
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  if (count < 0 || (!text && count > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ExtTextOutW(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int count) {
  if (count < 0 || (!text && count > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ExtTextOutA(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  auto dc = DcOrFail(hdc);
  if (!dc) return 0;
  if (!rect || (!text && count != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = count < 0 ? WideLength(text) : static_cast<size_t>(count);
  return DrawTextCore(*dc, std::u16string_view(text ? text : u"", n), rect, format);
}

int WINAPI DrawTextA(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format) {
  auto dc = DcOrFail(hdc);
  if (!dc) return 0;
  if (!rect || (!text && count != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
  return DrawTextCore(*dc, AnsiToWide(std::string_view(text ? text : "", n)), rect, format);
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
  auto dc = DcOrFail(hdc);
  if (!dc) return GDI_ERROR;
  UINT previous = dc->textAlign;
  dc->textAlign = align & TA_MASK;
  return previous;
}

UINT WINAPI GetTextAlign(HDC hdc) {
  auto dc = DcOrFail(hdc);
  if (!dc) return GDI_ERROR;
  return dc->textAlign;
}

int WINAPI SetTextCharacterExtra(HDC hdc, int extra) {
  auto dc = DcOrFail(hdc);
  if (!dc) return static_cast<int>(0x80000000u);
  int previous = dc->textCharExtra;
  dc->textCharExtra = extra;
  return previous;
}

int WINAPI GetTextCharacterExtra(HDC hdc) {
  auto dc = DcOrFail(hdc);
  if (!dc) return static_cast<int>(0x80000000u);
  return dc->textCharExtra;
}

int WINAPI GetTextFaceW(HDC hdc, int size, LPWSTR name) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  auto dc = DcOrFail(hdc);
  if (!dc) return 0;
  const std::u16string& face = FontOf(*dc)->FaceName();
  if (!name) return static_cast<int>(face.size() + 1);
  if (size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = std::min(face.size(), static_cast<size_t>(size - 1));
  std::copy(face.begin(), face.begin() + n, name);
  name[n] = 0;
  return static_cast<int>(n + 1);
}

int WINAPI GetTextFaceA(HDC hdc, int size, LPSTR name) {
  auto dc = DcOrFail(hdc);
  if (!dc) return 0;
  std::string face = WideToAnsi(FontOf(*dc)->FaceName());
  if (!name) return static_cast<int>(face.size() + 1);
  if (size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = std::min(face.size(), static_cast<size_t>(size - 1));
  // Never cut a double-byte character in half.
  if (n < face.size()) {
    const cp::Table* table = cp::GetTable(cp::ResolveCodePage(0));
    size_t i = 0;
    while (i < n) {
      size_t len = table && table->IsLead(static_cast<uint8_t>(face[i])) ? 2 : 1;
      if (i + len > n) break;
      i += len;
    }
    n = i;
  }
  std::memcpy(name, face.data(), n);
  name[n] = 0;
  return static_cast<int>(n + 1);
}
