// Pens, brushes and fonts: their properties and their GDI handles, made when first asked for.
// A change notifies first (a canvas then deselects the old handle) and frees the old handle after.
#include <algorithm>
#include <cstring>

#include "Graphics.h"

namespace {

// a * b / c rounded half away from zero, as the platform's MulDiv.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c) {
  const int64_t p = static_cast<int64_t>(a) * b;
  const int64_t q = (p >= 0) == (c >= 0) ? (2 * p + c) / (2 * static_cast<int64_t>(c))
                                         : (2 * p - c) / (2 * static_cast<int64_t>(c));
  return static_cast<int32_t>(q);
}

// The framework's default font of a Japanese system.
const char kDefaultFontName[] = "ＭＳ Ｐゴシック";
constexpr int32_t kDefaultFontHeight = -12;  // 9 points

}  // namespace

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TPen --------------------------------------------------------------------------------------

TPen::TPen() = default;

TPen::~TPen() {
  if (FHandle && FOwnsHandle) DeleteObject(FHandle);
}

void TPen::Invalidate() {
  HPEN old = FOwnsHandle ? FHandle : nullptr;
  FHandle = nullptr;
  FOwnsHandle = false;
  Changed();
  if (old) DeleteObject(old);
}

void TPen::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TPen*>(source)) {
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Invalidate();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Invalidate();
}

void TPen::SetWidth(int32_t value) {
  if (value < 0) value = 0;
  if (value == FWidth) return;
  FWidth = value;
  Invalidate();
}

void TPen::SetStyle(TPenStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TPen::SetMode(TPenMode value) {
  if (value == FMode) return;
  FMode = value;
  Changed();  // the mode is a DC setting, not part of the pen
}

HPEN TPen::Handle() {
  if (!FHandle) {
    static constexpr int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    FHandle = CreatePen(kStyles[FStyle], FWidth, static_cast<COLORREF>(ColorToRGB(FColor)));
    if (!FHandle) throw EOutOfResources(SOutOfResources);
    FOwnsHandle = true;
  }
  return FHandle;
}

void TPen::SetHandle(HPEN value) {
  if (value == FHandle) return;
  LOGPEN lp{};
  if (value && GetObjectA(value, sizeof lp, &lp) == sizeof lp) {
    FColor = static_cast<TColor>(lp.lopnColor);
    FWidth = lp.lopnWidth.x;
    switch (lp.lopnStyle & PS_STYLE_MASK) {
      case PS_DASH: FStyle = psDash; break;
      case PS_DOT: FStyle = psDot; break;
      case PS_DASHDOT: FStyle = psDashDot; break;
      case PS_DASHDOTDOT: FStyle = psDashDotDot; break;
      case PS_NULL: FStyle = psClear; break;
      case PS_INSIDEFRAME: FStyle = psInsideFrame; break;
      default: FStyle = psSolid; break;
    }
  }
  Invalidate();
  FHandle = value;
  FOwnsHandle = value != nullptr;
}

// ---- TBrush ------------------------------------------------------------------------------------

TBrush::TBrush() = default;

TBrush::~TBrush() {
  if (FHandle && FOwnsHandle) DeleteObject(FHandle);
}

void TBrush::Invalidate() {
  HBRUSH old = FOwnsHandle ? FHandle : nullptr;
  FHandle = nullptr;
  FOwnsHandle = false;
  Changed();
  if (old) DeleteObject(old);
}

void TBrush::Assign(TPersistent* source) {
  if (auto* b = dynamic_cast<TBrush*>(source)) {
    FColor = b->FColor;
    FStyle = b->FStyle;
    FBitmap = b->FBitmap;
    Invalidate();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor value) {
  if (value == FColor && FStyle != bsClear) return;
  FColor = value;
  if (FStyle == bsClear) FStyle = bsSolid;
  Invalidate();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == FBitmap && !value) return;  // a bitmap is taken afresh: its pixels may have changed
  FBitmap = value;
  Invalidate();
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    const COLORREF c = static_cast<COLORREF>(ColorToRGB(FColor));
    if (FBitmap && !FBitmap->Empty()) {
      FHandle = CreatePatternBrush(FBitmap->Handle());
    } else if (FStyle == bsSolid) {
      FHandle = CreateSolidBrush(c);
    } else if (FStyle == bsClear) {
      LOGBRUSH lb{BS_NULL, 0, 0};
      FHandle = CreateBrushIndirect(&lb);
    } else {
      static constexpr int kHatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
      FHandle = CreateHatchBrush(kHatches[FStyle - bsHorizontal], c);
    }
    if (!FHandle) throw EOutOfResources(SOutOfResources);
    FOwnsHandle = true;
  }
  return FHandle;
}

void TBrush::SetHandle(HBRUSH value) {
  if (value == FHandle) return;
  LOGBRUSH lb{};
  if (value && GetObjectA(value, sizeof lb, &lb) == sizeof lb) {
    FColor = static_cast<TColor>(lb.lbColor);
    FBitmap = nullptr;
    switch (lb.lbStyle) {
      case BS_NULL: FStyle = bsClear; break;
      case BS_HATCHED: FStyle = static_cast<TBrushStyle>(bsHorizontal + std::min<ULONG_PTR>(lb.lbHatch, 5)); break;
      default: FStyle = bsSolid; break;
    }
  }
  Invalidate();
  FHandle = value;
  FOwnsHandle = value != nullptr;
}

// ---- TFont -------------------------------------------------------------------------------------

TFont::TFont() : FName(kDefaultFontName), FHeight(kDefaultFontHeight), FCharset(SHIFTJIS_CHARSET) {}

TFont::~TFont() {
  if (FHandle && FOwnsHandle) DeleteObject(FHandle);
}

void TFont::Invalidate() {
  HFONT old = FOwnsHandle ? FHandle : nullptr;
  FHandle = nullptr;
  FOwnsHandle = false;
  Changed();
  if (old) DeleteObject(old);
}

void TFont::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    FName = f->FName;
    FHeight = f->FHeight;
    FStyle = f->FStyle;
    FColor = f->FColor;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    Invalidate();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TFont::SetName(const AnsiString& value) {
  if (value.empty() || value == FName) return;
  FName = value;
  Invalidate();
}

int32_t TFont::Size() const { return -MulDivRound(FHeight, 72, PixelsPerInch()); }

void TFont::SetSize(int32_t value) { SetHeight(-MulDivRound(value, PixelsPerInch(), 72)); }

void TFont::SetHeight(int32_t value) {
  if (value == FHeight) return;
  FHeight = value;
  Invalidate();
}

void TFont::SetStyle(TFontStyles value) {
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TFont::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Changed();  // the colour is the DC's text colour, not part of the font
}

void TFont::SetCharset(TFontCharset value) {
  if (value == FCharset) return;
  FCharset = value;
  Invalidate();
}

void TFont::SetPitch(TFontPitch value) {
  if (value == FPitch) return;
  FPitch = value;
  Invalidate();
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTA lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH : FPitch == fpFixed ? FIXED_PITCH : DEFAULT_PITCH;
    const AnsiString& face = FName == "Default" ? AnsiString(kDefaultFontName) : FName;
    // At most 31 bytes, never half of a double-byte character.
    size_t n = 0;
    while (n < face.size()) {
      const size_t step = IsDBCSLeadByte(static_cast<BYTE>(face[n])) ? 2 : 1;
      if (n + step > LF_FACESIZE - 1 || n + step > face.size()) break;
      n += step;
    }
    std::memcpy(lf.lfFaceName, face.data(), n);
    FHandle = CreateFontIndirectA(&lf);
    if (!FHandle) throw EOutOfResources(SOutOfResources);
    FOwnsHandle = true;
  }
  return FHandle;
}

void TFont::SetHandle(HFONT value) {
  if (value == FHandle) return;
  LOGFONTA lf{};
  if (value && GetObjectA(value, sizeof lf, &lf) == sizeof lf) {
    FHeight = lf.lfHeight;
    FStyle = TFontStyles{};
    if (lf.lfWeight >= FW_BOLD) FStyle.Include(fsBold);
    if (lf.lfItalic) FStyle.Include(fsItalic);
    if (lf.lfUnderline) FStyle.Include(fsUnderline);
    if (lf.lfStrikeOut) FStyle.Include(fsStrikeOut);
    FCharset = lf.lfCharSet;
    FName.assign(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
  }
  Invalidate();
  FHandle = value;
  FOwnsHandle = value != nullptr;
}
