// Device contexts: creation, attributes, saved states, clipping and coordinate origins.
#include <algorithm>
#include "gdi/gdi_private.h"

namespace winplat::gdi {

void DC::UpdateClip() {
  Region r = Region::FromRect(RECT{0, 0, surface.width, surface.height});
  if (hasVisible) r = Region::Combine(r, visible, RGN_AND);
  if (hasClip) r = Region::Combine(r, clip, RGN_AND);
  effectiveClip = std::move(r);
}

namespace {
void RetainState(DCState& s) {
  Retain(s.bitmap.get());
  Retain(s.pen.get());
  Retain(s.brush.get());
  Retain(s.font.get());
  Retain(s.palette.get());
}
void ReleaseState(DCState& s) {
  Release(s.bitmap.get(), HandleKind::Bitmap);
  Release(s.pen.get(), HandleKind::Pen);
  Release(s.brush.get(), HandleKind::Brush);
  Release(s.font.get(), HandleKind::Font);
  Release(s.palette.get(), HandleKind::Palette);
  s.bitmap.reset();
  s.pen.reset();
  s.brush.reset();
  s.font.reset();
  s.palette.reset();
}

HDC AddDC(std::shared_ptr<DC> dc) {
  dc->pen = StockPen(BLACK_PEN);
  dc->brush = StockBrush(WHITE_BRUSH);
  dc->font = StockFont(SYSTEM_FONT);
  dc->palette = StockPalette();
  RetainState(*dc);
  dc->UpdateClip();
  dc->handle = static_cast<HDC>(HandleTable::Instance().Add(HandleKind::DC, dc));
  return dc->handle;
}
}  // namespace

HDC CreateSurfaceDC(const Surface& surface, std::shared_ptr<void> keepAlive, bool memoryDC) {
  auto dc = std::make_shared<DC>();
  dc->surface = surface;
  dc->keepAlive = std::move(keepAlive);
  dc->memoryDC = memoryDC;
  return AddDC(dc);
}

bool SetDCSurface(HDC hdc, const Surface& surface, std::shared_ptr<void> keepAlive) {
  auto dc = LookupDC(hdc);
  if (!dc || dc->bitmap) return false;  // DCs on bitmaps follow their selected bitmap
  dc->surface = surface;
  dc->keepAlive = std::move(keepAlive);
  dc->UpdateClip();
  return true;
}

void SetDCVisibleRegion(HDC hdc, const Region* visible, POINT dcOrg) {
  auto dc = LookupDC(hdc);
  if (!dc) return;
  dc->hasVisible = visible != nullptr;
  if (visible) dc->visible = *visible;
  else dc->visible.Clear();
  if (dc->hasClip) dc->clip.Offset(dcOrg.x - dc->dcOrg.x, dcOrg.y - dc->dcOrg.y);
  dc->dcOrg = dcOrg;
  dc->UpdateClip();
}

namespace {
// Clip region operations in device coordinates.
int ApplyClip(DC& dc, const Region* region, int mode) {
  if (mode == RGN_COPY) {
    dc.hasClip = region != nullptr;
    if (region) dc.clip = *region;
    else dc.clip.Clear();
  } else {
    if (!region) return ERROR;
    // No clip region yet: the whole surface.
    Region current = dc.hasClip ? dc.clip : Region::FromRect(RECT{0, 0, dc.surface.width, dc.surface.height});
    dc.clip = Region::Combine(current, *region, mode);
    dc.hasClip = true;
  }
  dc.UpdateClip();
  return dc.effectiveClip.Complexity();
}

RECT LogicalRectToDevice(const DC& dc, int l, int t, int r, int b) {
  const POINT a = dc.ToDevice(l, t), c = dc.ToDevice(r, b);
  return RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
}
}  // namespace

}  // namespace winplat::gdi

using namespace winplat;
using namespace winplat::gdi;

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc && !DCOrFail(hdc)) return nullptr;
  auto dc = std::make_shared<DC>();
  dc->bitmap = DefaultBitmap();
  dc->surface = dc->bitmap->surface;
  dc->memoryDC = true;
  return AddDC(dc);
}

BOOL WINAPI DeleteDC(HDC hdc) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  for (DCState& s : dc->saved) ReleaseState(s);
  dc->saved.clear();
  ReleaseState(*dc);
  dc->surface = Surface{};
  dc->keepAlive.reset();
  HandleTable::Instance().Remove(hdc, HandleKind::DC);
  return TRUE;
}

int WINAPI SaveDC(HDC hdc) {
  auto dc = DCOrFail(hdc);
  if (!dc) return 0;
  DCState s = *dc;
  RetainState(s);
  dc->saved.push_back(std::move(s));
  return static_cast<int>(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC hdc, int savedDC) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  const int depth = static_cast<int>(dc->saved.size());
  const int level = savedDC < 0 ? depth + 1 + savedDC : savedDC;
  if (level < 1 || level > depth) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DCState target = dc->saved[static_cast<size_t>(level - 1)];
  RetainState(target);
  for (int i = depth - 1; i >= level - 1; --i) ReleaseState(dc->saved[static_cast<size_t>(i)]);
  dc->saved.resize(static_cast<size_t>(level - 1));
  // The saved bitmap comes back only if no other DC took it meanwhile.
  if (target.bitmap && target.bitmap != dc->bitmap && !target.bitmap->stock && target.bitmap->selectCount > 1) {
    Release(target.bitmap.get(), HandleKind::Bitmap);
    target.bitmap = dc->bitmap;
    Retain(target.bitmap.get());
  }
  DCState old = static_cast<DCState&>(*dc);
  static_cast<DCState&>(*dc) = std::move(target);
  ReleaseState(old);
  if (dc->bitmap) dc->surface = dc->bitmap->surface;
  dc->UpdateClip();
  return TRUE;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  auto dc = DCOrFail(hdc);
  if (!dc) return 0;
  // A memory DC answers for the display it is compatible with (32-bit here), not for the bitmap
  // it holds.
  const int bpp = dc->memoryDC ? 32 : dc->surface.format.bpp;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES: return dc->surface.width;
    case VERTRES: return dc->surface.height;
    case HORZSIZE: return dc->surface.width * 254 / 960;
    case VERTSIZE: return dc->surface.height * 254 / 960;
    case BITSPIXEL: return bpp;
    case PLANES: return 1;
    case NUMCOLORS: return bpp <= 8 ? (1 << bpp) : -1;
    case RASTERCAPS: return RC_BITBLT | RC_DI_BITMAP | RC_STRETCHBLT | RC_STRETCHDIB | (bpp == 8 ? RC_PALETTE : 0);
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE: return bpp == 8 ? 256 : 0;
    case NUMRESERVED: return bpp == 8 ? 20 : 0;
    case COLORRES: return bpp >= 24 ? 24 : bpp == 16 ? 16 : 18;
    default: return 0;
  }
}

BOOL WINAPI GdiFlush() { return TRUE; }

#define VSE_DC_ATTR(Type, Set, Get, field, check)   \
  Type WINAPI Set(HDC hdc, Type value) {             \
    auto dc = DCOrFail(hdc);                         \
    if (!dc) return 0;                               \
    if (!(check)) {                                  \
      SetLastError(ERROR_INVALID_PARAMETER);         \
      return 0;                                      \
    }                                                \
    Type old = static_cast<Type>(dc->field);         \
    dc->field = value;                               \
    return old;                                      \
  }                                                  \
  Type WINAPI Get(HDC hdc) {                         \
    auto dc = DCOrFail(hdc);                         \
    return dc ? static_cast<Type>(dc->field) : 0;    \
  }

VSE_DC_ATTR(int, SetBkMode, GetBkMode, bkMode, value == TRANSPARENT || value == OPAQUE)
VSE_DC_ATTR(int, SetROP2, GetROP2, rop2, value >= R2_BLACK && value <= R2_WHITE)
VSE_DC_ATTR(int, SetStretchBltMode, GetStretchBltMode, stretchMode, value >= BLACKONWHITE && value <= HALFTONE)
VSE_DC_ATTR(int, SetPolyFillMode, GetPolyFillMode, polyFillMode, value == ALTERNATE || value == WINDING)
#undef VSE_DC_ATTR

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  auto dc = DCOrFail(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->bkColor;
  dc->bkColor = color;
  return old;
}
COLORREF WINAPI GetBkColor(HDC hdc) {
  auto dc = DCOrFail(hdc);
  return dc ? dc->bkColor : CLR_INVALID;
}
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  auto dc = DCOrFail(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->textColor;
  dc->textColor = color;
  return old;
}
COLORREF WINAPI GetTextColor(HDC hdc) {
  auto dc = DCOrFail(hdc);
  return dc ? dc->textColor : CLR_INVALID;
}
COLORREF WINAPI SetDCBrushColor(HDC hdc, COLORREF color) {
  auto dc = DCOrFail(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->dcBrushColor;
  dc->dcBrushColor = color;
  return old;
}
COLORREF WINAPI SetDCPenColor(HDC hdc, COLORREF color) {
  auto dc = DCOrFail(hdc);
  if (!dc) return CLR_INVALID;
  const COLORREF old = dc->dcPenColor;
  dc->dcPenColor = color;
  return old;
}

BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->brushOrg;
  dc->brushOrg = POINT{x, y};
  return TRUE;
}
BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT origin) {
  auto dc = DCOrFail(hdc);
  if (!dc || !origin) return FALSE;
  *origin = dc->brushOrg;
  return TRUE;
}

int WINAPI SetMapMode(HDC hdc, int mode) {
  auto dc = DCOrFail(hdc);
  if (!dc) return 0;
  if (mode != MM_TEXT) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  return MM_TEXT;
}
int WINAPI GetMapMode(HDC hdc) { return DCOrFail(hdc) ? MM_TEXT : 0; }

namespace {
BOOL SetOrigin(HDC hdc, POINT DCState::*field, int x, int y, bool offset, LPPOINT previous) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  POINT& p = (*dc).*field;
  if (previous) *previous = p;
  if (offset) {
    p.x += x;
    p.y += y;
  } else {
    p = POINT{x, y};
  }
  return TRUE;
}
BOOL GetOrigin(HDC hdc, POINT DCState::*field, LPPOINT out) {
  auto dc = DCOrFail(hdc);
  if (!dc || !out) return FALSE;
  *out = (*dc).*field;
  return TRUE;
}
}  // namespace

BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  return SetOrigin(hdc, &DCState::windowOrg, x, y, false, previous);
}
BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT origin) { return GetOrigin(hdc, &DCState::windowOrg, origin); }
BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  return SetOrigin(hdc, &DCState::viewportOrg, x, y, false, previous);
}
BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT origin) { return GetOrigin(hdc, &DCState::viewportOrg, origin); }
BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
  return SetOrigin(hdc, &DCState::viewportOrg, dx, dy, true, previous);
}
BOOL WINAPI OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
  return SetOrigin(hdc, &DCState::windowOrg, dx, dy, true, previous);
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT points, int count) {
  auto dc = DCOrFail(hdc);
  if (!dc || (!points && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i) {
    points[i].x += dc->viewportOrg.x - dc->windowOrg.x;
    points[i].y += dc->viewportOrg.y - dc->windowOrg.y;
  }
  return TRUE;
}
BOOL WINAPI DPtoLP(HDC hdc, LPPOINT points, int count) {
  auto dc = DCOrFail(hdc);
  if (!dc || (!points && count > 0)) return FALSE;
  for (int i = 0; i < count; ++i) {
    points[i].x -= dc->viewportOrg.x - dc->windowOrg.x;
    points[i].y -= dc->viewportOrg.y - dc->windowOrg.y;
  }
  return TRUE;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  auto dc = DCOrFail(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->position;
  dc->position = POINT{x, y};
  return TRUE;
}
BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT position) {
  auto dc = DCOrFail(hdc);
  if (!dc || !position) return FALSE;
  *position = dc->position;
  return TRUE;
}

// ---- Clipping --------------------------------------------------------------------------------

int WINAPI ExtSelectClipRgn(HDC hdc, HRGN region, int mode) {
  auto dc = DCOrFail(hdc);
  if (!dc) return ERROR;
  if (mode < RGN_AND || mode > RGN_COPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  if (!region) {
    if (mode != RGN_COPY) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
    }
    return ApplyClip(*dc, nullptr, RGN_COPY);
  }
  auto r = LookupRegion(region);
  if (!r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  // Clip regions are in device units, relative to the DC's origin.
  Region device = r->region;
  device.Offset(dc->dcOrg.x, dc->dcOrg.y);
  return ApplyClip(*dc, &device, mode);
}

int WINAPI SelectClipRgn(HDC hdc, HRGN region) { return ExtSelectClipRgn(hdc, region, RGN_COPY); }

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = DCOrFail(hdc);
  if (!dc) return ERROR;
  Region r = Region::FromRect(LogicalRectToDevice(*dc, left, top, right, bottom));
  return ApplyClip(*dc, &r, RGN_AND);
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = DCOrFail(hdc);
  if (!dc) return ERROR;
  Region r = Region::FromRect(LogicalRectToDevice(*dc, left, top, right, bottom));
  return ApplyClip(*dc, &r, RGN_DIFF);
}

int WINAPI OffsetClipRgn(HDC hdc, int dx, int dy) {
  auto dc = DCOrFail(hdc);
  if (!dc) return ERROR;
  if (dc->hasClip) dc->clip.Offset(dx, dy);
  dc->UpdateClip();
  return dc->effectiveClip.Complexity();
}

int WINAPI GetClipBox(HDC hdc, LPRECT rect) {
  auto dc = DCOrFail(hdc);
  if (!dc || !rect) return ERROR;
  const RECT b = dc->effectiveClip.bounds;
  const POINT o = dc->ToDevice(0, 0);
  *rect = dc->effectiveClip.Empty() ? RECT{0, 0, 0, 0} : RECT{b.left - o.x, b.top - o.y, b.right - o.x, b.bottom - o.y};
  return dc->effectiveClip.Complexity();
}

int WINAPI GetClipRgn(HDC hdc, HRGN region) {
  auto dc = DCOrFail(hdc);
  if (!dc) return -1;
  auto r = LookupRegion(region);
  if (!r) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  if (!dc->hasClip) return 0;
  r->region = dc->clip;
  r->region.Offset(-dc->dcOrg.x, -dc->dcOrg.y);
  return 1;
}

BOOL WINAPI PtVisible(HDC hdc, int x, int y) {
  auto dc = DCOrFail(hdc);
  if (!dc) return -1;
  const POINT p = dc->ToDevice(x, y);
  return dc->effectiveClip.Contains(p.x, p.y) ? TRUE : FALSE;
}

BOOL WINAPI RectVisible(HDC hdc, const RECT* rect) {
  auto dc = DCOrFail(hdc);
  if (!dc || !rect) return FALSE;
  return dc->effectiveClip.Intersects(LogicalRectToDevice(*dc, rect->left, rect->top, rect->right, rect->bottom));
}

// ---- Palettes on DCs -------------------------------------------------------------------------

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE palette, BOOL) {
  auto dc = DCOrFail(hdc);
  if (!dc) return nullptr;
  auto p = LookupPalette(palette);
  if (!p) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HPALETTE previous = dc->palette ? static_cast<HPALETTE>(dc->palette->handle) : nullptr;
  if (p != dc->palette) {
    Retain(p.get());
    auto old = std::move(dc->palette);
    dc->palette = p;
    Release(old.get(), HandleKind::Palette);
  }
  return previous;
}

// There is no hardware palette: realising maps nothing.
UINT WINAPI RealizePalette(HDC hdc) { return DCOrFail(hdc) ? 0 : GDI_ERROR; }

COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color) {
  auto dc = DCOrFail(hdc);
  if (!dc) return CLR_INVALID;
  if (!dc->surface.Valid()) return color & 0xFFFFFF;
  return PixelToColor(dc->surface, ColorToPixel(dc->surface, color));
}
