// Shared between the GDI source files only.
#pragma once
#include <cstdint>
#include "gdi/gdi_internal.h"
#include "winerror.h"

namespace winplat::gdi {

// Rows and columns a region or scan conversion handles; beyond, shapes are cut off.
constexpr int64_t kCoordLimit = 1 << 27;
// Rows a region made from a shape may span (keeps absurd coordinates from costing gigabytes).
constexpr int kRegionRowLimit = 1 << 17;

// Calls span(y, x0, x1) for each row of pixels (x0 <= x < x1) whose centres lie inside the
// polygons, for rows yMin <= y < yMax only. Spans of a row come left to right.
void ScanPolygons(const POINT* points, const INT* counts, int polygons, int fillMode, int yMin,
                  int yMax, const std::function<void(int, int, int)>& span);

// Invalidates cached colour matches after a colour table changed.
void ColorTablesChanged();

inline RECT MakeRect(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
inline bool RectEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
inline RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (RectEmpty(r)) r = RECT{0, 0, 0, 0};
  return r;
}
inline int ClampInt(int64_t v) {
  return v < -kCoordLimit ? static_cast<int>(-kCoordLimit) : v > kCoordLimit ? static_cast<int>(kCoordLimit) : static_cast<int>(v);
}

// Lookup that sets ERROR_INVALID_HANDLE on failure.
std::shared_ptr<DC> DCOrFail(HDC hdc);

// Object selection bookkeeping (objects.cpp).
void Retain(GdiObject* object);
void Release(GdiObject* object, HandleKind kind);
std::shared_ptr<BitmapObject> DefaultBitmap();
std::shared_ptr<PenObject> StockPen(int index);
std::shared_ptr<BrushObject> StockBrush(int index);
std::shared_ptr<FontObject> StockFont(int index);
std::shared_ptr<PaletteObject> StockPalette();

// Bitmaps (bitmap.cpp). Creates a zeroed bitmap; null with last error on failure.
std::shared_ptr<BitmapObject> NewBitmap(int width, int height, int bpp, uint32_t r, uint32_t g,
                                        uint32_t b, bool dibSection, bool topDown);
HBITMAP AddBitmap(std::shared_ptr<BitmapObject> bitmap);

// Raster (raster.cpp).
// How fills are painted: the colour or pattern of a brush and the ROP2 of the DC.
struct FillPaint {
  const Surface* s = nullptr;
  int rop2 = R2_COPYPEN;
  bool solid = true;
  uint32_t pixel = 0;           // solid
  // pattern, in destination pixels, tiled from origin (device coordinates)
  int patW = 0, patH = 0;
  std::vector<uint32_t> pat;
  int orgX = 0, orgY = 0;
  bool patMask = false;         // hatch in TRANSPARENT mode: only `patOn` pixels painted
  std::vector<uint8_t> patOn;
};
bool MakeBrushPaint(const DC& dc, const BrushObject& brush, FillPaint* paint);  // false: null brush
void MakeColorPaint(const DC& dc, COLORREF color, FillPaint* paint);
// Paints [x0, x1) of device row y, clipped to the DC's effective clip.
void PaintSpan(const DC& dc, const FillPaint& paint, int y, int x0, int x1);
// Same, but the caller has clipped the span already.
void PaintSpanUnclipped(const FillPaint& paint, int y, int x0, int x1);
void PaintRegion(DC& dc, const FillPaint& paint, const Region& deviceRegion);
uint32_t Rop2(int rop2, uint32_t pen, uint32_t dst);
uint32_t PixelMask(int bpp);

}  // namespace winplat::gdi

namespace winplat::gdi {

// The pixels a run-length image sets; the others (skipped by a delta, an end of line or the
// end of the data) leave whatever is beneath them. Device row 0 is the top row.
struct WrittenPixels {
  const uint8_t* row0 = nullptr;
  ptrdiff_t pitch = 0;
  bool At(int x, int y) const { return row0[static_cast<ptrdiff_t>(y) * pitch + x] != 0; }
};

// A caller's packed DIB (header, colours, bits) seen as a surface.
struct DibView {
  Surface surface;
  std::vector<RGBQUAD> colors;
  int bpp = 0;
  int width = 0, height = 0;  // height positive
  bool topDown = false;
  ptrdiff_t stride = 0;
  size_t imageSize = 0;
  std::vector<uint8_t> decoded;  // expanded pixels of run-length encoded input
  std::vector<uint8_t> written;  // of run-length input: 1 for each pixel its data set
  WrittenPixels writtenPixels;   // over `written`, when the input was run-length encoded
  const WrittenPixels* Written() const { return written.empty() ? nullptr : &writtenPixels; }
};
// Reads the header of `info` (BITMAPINFOHEADER or larger, or BITMAPCOREHEADER); `bits` may be
// null to only check the header. DIB_PAL_COLORS indices resolve through the DC's palette.
// A non-zero `heightOverride` replaces the header's height (same sign convention).
bool MakeDibView(const BITMAPINFO* info, UINT usage, const void* bits, const DC* dc, DibView* view,
                 int64_t heightOverride = 0);

// Copies pixels converting formats by colour (nearest entry into indexed surfaces); no clipping.
// With `written`, only the source pixels it marks are copied.
void ConvertRect(const Surface& src, int sx, int sy, const Surface& dst, int dx, int dy, int w, int h,
                 const WrittenPixels* written = nullptr);

// Default colour tables of indexed device bitmaps and of GetDIBits.
std::vector<RGBQUAD> DefaultColors(int bpp);

}  // namespace winplat::gdi
