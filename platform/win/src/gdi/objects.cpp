// GDI objects: stock objects, pens, brushes, fonts, palettes; selection, deletion, GetObject.
#include <algorithm>
#include <mutex>
#include "gdi/gdi_private.h"
#include "internal/text.h"
#include "internal/wide_calls.h"
#include "winplat_mode.h"

namespace winplat::gdi {

std::shared_ptr<DC> LookupDC(HDC h) { return HandleTable::Instance().Get<DC>(h, HandleKind::DC); }
std::shared_ptr<BitmapObject> LookupBitmap(HBITMAP h) {
  return HandleTable::Instance().Get<BitmapObject>(h, HandleKind::Bitmap);
}
std::shared_ptr<PenObject> LookupPen(HPEN h) { return HandleTable::Instance().Get<PenObject>(h, HandleKind::Pen); }
std::shared_ptr<BrushObject> LookupBrush(HBRUSH h) {
  return HandleTable::Instance().Get<BrushObject>(h, HandleKind::Brush);
}
std::shared_ptr<FontObject> LookupFont(HFONT h) { return HandleTable::Instance().Get<FontObject>(h, HandleKind::Font); }
std::shared_ptr<RegionObject> LookupRegion(HRGN h) {
  return HandleTable::Instance().Get<RegionObject>(h, HandleKind::Region);
}
std::shared_ptr<PaletteObject> LookupPalette(HPALETTE h) {
  return HandleTable::Instance().Get<PaletteObject>(h, HandleKind::Palette);
}

std::shared_ptr<DC> DCOrFail(HDC hdc) {
  auto dc = LookupDC(hdc);
  if (!dc) SetLastError(ERROR_INVALID_HANDLE);
  return dc;
}

void Retain(GdiObject* o) {
  if (o) ++o->selectCount;
}

void Release(GdiObject* o, HandleKind kind) {
  if (!o) return;
  if (--o->selectCount <= 0) {
    o->selectCount = 0;
    if (o->deletePending && !o->stock) HandleTable::Instance().Remove(o->handle, kind);
  }
}

namespace {
struct Stock {
  std::shared_ptr<GdiObject> objects[20];
  std::shared_ptr<BitmapObject> bitmap;  // the 1x1 monochrome bitmap of a fresh memory DC
};

template <class T>
std::shared_ptr<T> AddStock(HandleKind kind, std::shared_ptr<T> o) {
  o->stock = true;
  o->handle = HandleTable::Instance().Add(kind, o);
  return o;
}

std::shared_ptr<PenObject> MakePen(COLORREF c, UINT style) {
  auto p = std::make_shared<PenObject>();
  p->color = c;
  p->style = style;
  return p;
}
std::shared_ptr<BrushObject> MakeBrush(COLORREF c, UINT style) {
  auto b = std::make_shared<BrushObject>();
  b->color = c;
  b->style = style;
  return b;
}
std::shared_ptr<FontObject> MakeFont(const char16_t* face, int height, int weight, BYTE charset, BYTE pitch) {
  auto f = std::make_shared<FontObject>();
  f->lf.lfHeight = height;
  f->lf.lfWeight = weight;
  f->lf.lfCharSet = charset;
  f->lf.lfPitchAndFamily = pitch;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) f->lf.lfFaceName[i] = face[i];
  return f;
}

Stock& Stocks() {
  static Stock* stock = [] {
    auto* s = new Stock;
    s->objects[WHITE_BRUSH] = AddStock(HandleKind::Brush, MakeBrush(RGB(255, 255, 255), BS_SOLID));
    s->objects[LTGRAY_BRUSH] = AddStock(HandleKind::Brush, MakeBrush(RGB(192, 192, 192), BS_SOLID));
    s->objects[GRAY_BRUSH] = AddStock(HandleKind::Brush, MakeBrush(RGB(128, 128, 128), BS_SOLID));
    s->objects[DKGRAY_BRUSH] = AddStock(HandleKind::Brush, MakeBrush(RGB(64, 64, 64), BS_SOLID));
    s->objects[BLACK_BRUSH] = AddStock(HandleKind::Brush, MakeBrush(RGB(0, 0, 0), BS_SOLID));
    s->objects[NULL_BRUSH] = AddStock(HandleKind::Brush, MakeBrush(0, BS_NULL));
    s->objects[WHITE_PEN] = AddStock(HandleKind::Pen, MakePen(RGB(255, 255, 255), PS_SOLID));
    s->objects[BLACK_PEN] = AddStock(HandleKind::Pen, MakePen(RGB(0, 0, 0), PS_SOLID));
    s->objects[NULL_PEN] = AddStock(HandleKind::Pen, MakePen(0, PS_NULL));
    s->objects[OEM_FIXED_FONT] =
        AddStock(HandleKind::Font, MakeFont(u"Terminal", 12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN));
    s->objects[ANSI_FIXED_FONT] =
        AddStock(HandleKind::Font, MakeFont(u"Courier", 12, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN));
    s->objects[ANSI_VAR_FONT] =
        AddStock(HandleKind::Font, MakeFont(u"MS Sans Serif", 12, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS));
    s->objects[SYSTEM_FONT] =
        AddStock(HandleKind::Font, MakeFont(u"System", 16, FW_BOLD, SHIFTJIS_CHARSET, VARIABLE_PITCH | FF_SWISS));
    s->objects[DEVICE_DEFAULT_FONT] =
        AddStock(HandleKind::Font, MakeFont(u"System", 16, FW_BOLD, SHIFTJIS_CHARSET, VARIABLE_PITCH | FF_SWISS));
    auto pal = std::make_shared<PaletteObject>();
    // The twenty static colours of the display.
    static const BYTE kStatic[20][3] = {
        {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128}, {0, 128, 128},
        {192, 192, 192}, {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164},
        {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 0, 255}, {255, 0, 255},
        {0, 255, 255}, {255, 255, 255}};
    for (const auto& c : kStatic) pal->entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
    s->objects[DEFAULT_PALETTE] = AddStock(HandleKind::Palette, pal);
    s->objects[SYSTEM_FIXED_FONT] =
        AddStock(HandleKind::Font, MakeFont(u"FixedSys", 16, FW_NORMAL, SHIFTJIS_CHARSET, FIXED_PITCH | FF_MODERN));
    s->objects[DEFAULT_GUI_FONT] = AddStock(
        HandleKind::Font, MakeFont(u"ＭＳ Ｐゴシック", -12, FW_NORMAL, SHIFTJIS_CHARSET, VARIABLE_PITCH | FF_SWISS));
    auto dcBrush = MakeBrush(RGB(255, 255, 255), BS_SOLID);
    dcBrush->dcBrush = true;
    s->objects[DC_BRUSH] = AddStock(HandleKind::Brush, dcBrush);
    auto dcPen = MakePen(RGB(0, 0, 0), PS_SOLID);
    dcPen->dcPen = true;
    s->objects[DC_PEN] = AddStock(HandleKind::Pen, dcPen);
    s->bitmap = NewBitmap(1, 1, 1, 0, 0, 0, false, false);
    s->bitmap->stock = true;
    s->bitmap->handle = HandleTable::Instance().Add(HandleKind::Bitmap, s->bitmap);
    return s;
  }();
  return *stock;
}
}  // namespace

std::shared_ptr<BitmapObject> DefaultBitmap() { return Stocks().bitmap; }
std::shared_ptr<PenObject> StockPen(int i) { return std::static_pointer_cast<PenObject>(Stocks().objects[i]); }
std::shared_ptr<BrushObject> StockBrush(int i) { return std::static_pointer_cast<BrushObject>(Stocks().objects[i]); }
std::shared_ptr<FontObject> StockFont(int i) { return std::static_pointer_cast<FontObject>(Stocks().objects[i]); }
std::shared_ptr<PaletteObject> StockPalette() {
  return std::static_pointer_cast<PaletteObject>(Stocks().objects[DEFAULT_PALETTE]);
}

namespace {
template <class T>
HGDIOBJ AddObject(HandleKind kind, std::shared_ptr<T> o) {
  o->handle = HandleTable::Instance().Add(kind, o);
  return o->handle;
}

// Swaps a selected object of the DC, keeping the selection counts.
template <class T>
HGDIOBJ Swap(std::shared_ptr<T>& slot, std::shared_ptr<T> next, HandleKind kind) {
  HGDIOBJ previous = slot ? slot->handle : nullptr;
  if (slot.get() == next.get()) return previous;
  Retain(next.get());
  std::shared_ptr<T> old = std::move(slot);
  slot = std::move(next);
  Release(old.get(), kind);
  return previous;
}

void CopyFaceToAnsi(const LOGFONTW& w, LOGFONTA* a) {
  std::memcpy(a, &w, offsetof(LOGFONTW, lfFaceName));
  size_t n = 0;
  while (n < LF_FACESIZE && w.lfFaceName[n]) ++n;
  std::string face = WideToAnsi(std::u16string_view(w.lfFaceName, n));
  if (face.size() > LF_FACESIZE - 1) {
    face.resize(LF_FACESIZE - 1);
    // Never leave half of a double-byte character at the end.
    size_t i = 0;
    while (i < face.size()) {
      const auto c = static_cast<unsigned char>(face[i]);
      const bool lead = AnsiCodePage() == 932 && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
      if (lead && i + 1 >= face.size()) {
        face.resize(i);
        break;
      }
      i += lead ? 2 : 1;
    }
  }
  std::memset(a->lfFaceName, 0, LF_FACESIZE);
  std::memcpy(a->lfFaceName, face.data(), face.size());
}

void CopyFaceToWide(const LOGFONTA& a, LOGFONTW* w) {
  std::memcpy(w, &a, offsetof(LOGFONTA, lfFaceName));
  size_t n = 0;
  while (n < LF_FACESIZE && a.lfFaceName[n]) ++n;
  std::u16string face = AnsiToWide(std::string_view(a.lfFaceName, n));
  if (face.size() > LF_FACESIZE - 1) face.resize(LF_FACESIZE - 1);
  std::memset(w->lfFaceName, 0, sizeof(w->lfFaceName));
  std::memcpy(w->lfFaceName, face.data(), face.size() * sizeof(char16_t));
}

int GetObjectImpl(HGDIOBJ object, int size, LPVOID buffer, bool wide) {
  HandleKind kind;
  if (!HandleTable::Instance().KindOf(object, &kind)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  auto put = [&](const void* data, int bytes) -> int {
    if (!buffer) return bytes;
    if (size <= 0) return 0;
    const int n = std::min(size, bytes);
    std::memcpy(buffer, data, static_cast<size_t>(n));
    return n;
  };
  switch (kind) {
    case HandleKind::Pen: {
      auto p = LookupPen(static_cast<HPEN>(object));
      if (!p) break;
      if (p->extended) {
        EXTLOGPEN e{};
        e.elpPenStyle = p->style | p->endCap | p->join | (p->geometric ? PS_GEOMETRIC : 0);
        e.elpWidth = static_cast<DWORD>(p->width);
        e.elpBrushStyle = BS_SOLID;
        e.elpColor = p->color;
        return put(&e, static_cast<int>(offsetof(EXTLOGPEN, elpStyleEntry)));
      }
      LOGPEN lp{p->style, POINT{p->width, 0}, p->color};
      return put(&lp, sizeof(lp));
    }
    case HandleKind::Brush: {
      auto b = LookupBrush(static_cast<HBRUSH>(object));
      if (!b) break;
      LOGBRUSH lb{b->style, b->color, static_cast<ULONG_PTR>(b->hatch)};
      return put(&lb, sizeof(lb));
    }
    case HandleKind::Font: {
      auto f = LookupFont(static_cast<HFONT>(object));
      if (!f) break;
      if (wide) return put(&f->lf, sizeof(LOGFONTW));
      LOGFONTA a;
      CopyFaceToAnsi(f->lf, &a);
      return put(&a, sizeof(LOGFONTA));
    }
    case HandleKind::Palette: {
      auto p = LookupPalette(static_cast<HPALETTE>(object));
      if (!p) break;
      const WORD n = static_cast<WORD>(p->entries.size());
      return put(&n, sizeof(n));
    }
    case HandleKind::Bitmap: {
      auto b = LookupBitmap(static_cast<HBITMAP>(object));
      if (!b) break;
      const Surface& s = b->surface;
      DIBSECTION ds{};
      ds.dsBm.bmType = 0;
      ds.dsBm.bmWidth = s.width;
      ds.dsBm.bmHeight = s.height;
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = static_cast<WORD>(s.format.bpp);
      if (b->dibSection) {
        ds.dsBm.bmWidthBytes = static_cast<LONG>(b->stride);
        ds.dsBm.bmBits = b->storage.get();
        ds.dsBmih = b->dibHeader;
        ds.dsBitfields[0] = s.format.redMask;
        ds.dsBitfields[1] = s.format.greenMask;
        ds.dsBitfields[2] = s.format.blueMask;
        if (buffer && size >= static_cast<int>(sizeof(DIBSECTION))) return put(&ds, sizeof(DIBSECTION));
      } else {
        // Device-dependent bitmaps report WORD-aligned rows.
        ds.dsBm.bmWidthBytes = static_cast<LONG>(((int64_t{s.width} * s.format.bpp + 15) / 16) * 2);
      }
      if (!buffer) return b->dibSection ? sizeof(DIBSECTION) : sizeof(BITMAP);
      if (size < static_cast<int>(sizeof(BITMAP))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      return put(&ds.dsBm, sizeof(BITMAP));
    }
    default:
      break;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}
}  // namespace

}  // namespace winplat::gdi

using namespace winplat;
using namespace winplat::gdi;

HGDIOBJ WINAPI GetStockObject(int index) {
  if (index < 0 || index >= 20 || !Stocks().objects[index]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Stocks().objects[index]->handle;
}

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<PenObject>();
  p->style = static_cast<UINT>(style);
  p->width = width < 1 ? 1 : width;
  // Styled pens wider than one pixel draw solid, as on the platform.
  if (p->width > 1 && style >= PS_DASH && style <= PS_DASHDOTDOT) p->style = PS_SOLID;
  p->color = color;
  return static_cast<HPEN>(AddObject(HandleKind::Pen, p));
}

HPEN WINAPI CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HPEN WINAPI ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount,
                         const DWORD* styles) {
  const UINT kind = style & PS_STYLE_MASK;
  if (!brush || kind > PS_INSIDEFRAME || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL) ||
      width > 0x7FFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<PenObject>();
  p->extended = true;
  p->geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
  p->style = brush->lbStyle == BS_NULL ? PS_NULL : kind;
  p->endCap = style & PS_ENDCAP_MASK;
  p->join = style & PS_JOIN_MASK;
  p->width = p->geometric ? std::max<int>(1, static_cast<int>(width)) : 1;
  if (p->width > 1 && p->style >= PS_DASH && p->style <= PS_DASHDOTDOT) p->style = PS_SOLID;
  p->color = brush->lbColor;
  return static_cast<HPEN>(AddObject(HandleKind::Pen, p));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  auto b = std::make_shared<BrushObject>();
  b->color = color;
  return static_cast<HBRUSH>(AddObject(HandleKind::Brush, b));
}

HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto b = std::make_shared<BrushObject>();
  b->style = BS_HATCHED;
  b->hatch = hatch;
  b->color = color;
  return static_cast<HBRUSH>(AddObject(HandleKind::Brush, b));
}

HBRUSH WINAPI CreatePatternBrush(HBITMAP bitmap) {
  auto bm = LookupBitmap(bitmap);
  if (!bm) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const Surface& s = bm->surface;
  auto b = std::make_shared<BrushObject>();
  b->style = BS_PATTERN;
  b->hatch = 0;
  b->patWidth = s.width;
  b->patHeight = s.height;
  // A monochrome bitmap without its own colours takes the DC's colours when painted.
  b->patMono = s.format.bpp == 1 && !bm->dibSection;
  const size_t n = static_cast<size_t>(s.width) * static_cast<size_t>(s.height);
  if (b->patMono)
    b->monoBits.resize(n);
  else
    b->pattern.resize(n);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const uint32_t p = ReadPixel(s, x, y);
      const size_t i = static_cast<size_t>(y) * s.width + x;
      if (b->patMono)
        b->monoBits[i] = static_cast<uint8_t>(p & 1);
      else
        b->pattern[i] = PixelToColor(s, p);
    }
  return static_cast<HBRUSH>(AddObject(HandleKind::Brush, b));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (brush->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(brush->lbColor);
    case BS_NULL: {
      auto b = std::make_shared<BrushObject>();
      b->style = BS_NULL;
      return static_cast<HBRUSH>(AddObject(HandleKind::Brush, b));
    }
    case BS_HATCHED:
      return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* font) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto f = std::make_shared<FontObject>();
  f->lf = *font;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(AddObject(HandleKind::Font, f));
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto f = std::make_shared<FontObject>();
  CopyFaceToWide(*font, &f->lf);
  return static_cast<HFONT>(AddObject(HandleKind::Font, f));
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) {
    size_t n = 0;
    while (n < LF_FACESIZE - 1 && faceName[n]) ++n;
    std::memcpy(lf.lfFaceName, faceName, n);
  }
  return CreateFontIndirectA(&lf);
}

HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName)
    for (size_t n = 0; n < LF_FACESIZE - 1 && faceName[n]; ++n) lf.lfFaceName[n] = faceName[n];
  return CreateFontIndirectW(&lf);
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<PaletteObject>();
  p->entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  return static_cast<HPALETTE>(AddObject(HandleKind::Palette, p));
}

UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  auto p = LookupPalette(palette);
  if (!p) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const UINT size = static_cast<UINT>(p->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(p->entries.begin() + start, n, entries);
  return n;
}

UINT WINAPI SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries) {
  auto p = LookupPalette(palette);
  if (!p || p->stock) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const UINT size = static_cast<UINT>(p->entries.size());
  if (!entries || start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(entries, n, p->entries.begin() + start);
  return n;
}

UINT WINAPI GetNearestPaletteIndex(HPALETTE palette, COLORREF color) {
  auto p = LookupPalette(palette);
  if (!p) {
    SetLastError(ERROR_INVALID_HANDLE);
    return CLR_INVALID;
  }
  UINT best = 0;
  long bestDist = 0x7FFFFFFF;
  for (size_t i = 0; i < p->entries.size(); ++i) {
    const auto& e = p->entries[i];
    const long dr = e.peRed - GetRValue(color), dg = e.peGreen - GetGValue(color), db = e.peBlue - GetBValue(color);
    const long d = dr * dr + dg * dg + db * db;
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<UINT>(i);
    }
  }
  return best;
}

UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* entries) {
  if (!DCOrFail(hdc)) return 0;
  if (!entries) return 256;
  // The 20 static colours at 0-9 and 246-255, the rest free (zero).
  auto pal = StockPalette();
  UINT n = 0;
  for (UINT i = start; i < 256 && n < count; ++i, ++n) {
    PALETTEENTRY e{0, 0, 0, 0};
    if (i < 10)
      e = pal->entries[i];
    else if (i >= 246)
      e = pal->entries[i - 236];
    entries[n] = e;
  }
  return n;
}

DWORD WINAPI GetObjectType(HGDIOBJ object) {
  HandleKind kind;
  if (!HandleTable::Instance().KindOf(object, &kind)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (kind) {
    case HandleKind::Pen: {
      auto p = LookupPen(static_cast<HPEN>(object));
      return p && p->extended ? OBJ_EXTPEN : OBJ_PEN;
    }
    case HandleKind::Brush: return OBJ_BRUSH;
    case HandleKind::Font: return OBJ_FONT;
    case HandleKind::Bitmap: return OBJ_BITMAP;
    case HandleKind::Region: return OBJ_REGION;
    case HandleKind::Palette: return OBJ_PAL;
    case HandleKind::DC: {
      auto dc = LookupDC(static_cast<HDC>(object));
      return dc && dc->memoryDC ? OBJ_MEMDC : OBJ_DC;
    }
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
  }
}

int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer) { return GetObjectImpl(object, size, buffer, false); }

int WINAPI GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
  if (VSE_WIDE_CALL_REFUSED()) return 0;
  return GetObjectImpl(object, size, buffer, true);
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  HandleKind kind;
  if (!object || !HandleTable::Instance().KindOf(object, &kind)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::shared_ptr<GdiObject> o;
  switch (kind) {
    case HandleKind::Pen:
    case HandleKind::Brush:
    case HandleKind::Font:
    case HandleKind::Region:
    case HandleKind::Palette:
    case HandleKind::Bitmap:
      o = std::dynamic_pointer_cast<GdiObject>(HandleTable::Instance().Lookup(object, kind));
      break;
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
  }
  if (!o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (o->stock) return TRUE;
  if (o->selectCount > 0) {
    // A bitmap in use by a DC stays; pens, brushes, fonts and palettes go when deselected.
    if (kind == HandleKind::Bitmap) {
      SetLastError(ERROR_BUSY);
      return FALSE;
    }
    o->deletePending = true;
    return TRUE;
  }
  HandleTable::Instance().Remove(object, kind);
  return TRUE;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  auto dc = DCOrFail(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN: return dc->pen ? dc->pen->handle : nullptr;
    case OBJ_BRUSH: return dc->brush ? dc->brush->handle : nullptr;
    case OBJ_FONT: return dc->font ? dc->font->handle : nullptr;
    case OBJ_BITMAP: return dc->bitmap ? dc->bitmap->handle : nullptr;
    case OBJ_PAL: return dc->palette ? dc->palette->handle : nullptr;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) {
  auto dc = DCOrFail(hdc);
  if (!dc) return nullptr;
  HandleKind kind;
  if (!HandleTable::Instance().KindOf(object, &kind)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  switch (kind) {
    case HandleKind::Pen: {
      auto p = LookupPen(static_cast<HPEN>(object));
      return p ? Swap(dc->pen, p, kind) : nullptr;
    }
    case HandleKind::Brush: {
      auto b = LookupBrush(static_cast<HBRUSH>(object));
      return b ? Swap(dc->brush, b, kind) : nullptr;
    }
    case HandleKind::Font: {
      auto f = LookupFont(static_cast<HFONT>(object));
      return f ? Swap(dc->font, f, kind) : nullptr;
    }
    case HandleKind::Region: {
      const int r = SelectClipRgn(hdc, static_cast<HRGN>(object));
      return r == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(r));
    }
    case HandleKind::Bitmap: {
      auto b = LookupBitmap(static_cast<HBITMAP>(object));
      if (!b) break;
      if (!dc->memoryDC || !dc->bitmap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      if (b == dc->bitmap) return b->handle;
      if (!b->stock && b->selectCount > 0) {
        SetLastError(ERROR_BUSY);  // selected into another DC
        return nullptr;
      }
      // A monochrome DC takes colour bitmaps and a colour DC takes monochrome ones: both work
      // here, the DC adopts the bitmap's format.
      HGDIOBJ previous = Swap(dc->bitmap, b, kind);
      dc->surface = b->surface;
      dc->UpdateClip();
      return previous;
    }
    default:
      break;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}
