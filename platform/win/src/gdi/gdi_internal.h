// Inside GDI: pixel surfaces, the objects behind GDI handles, device contexts, and the drawing
// primitives that other parts of the platform (text drawing, the window manager, DirectDraw
// surfaces) build on. Only code inside libwinplat includes this.
//
// Stability: the text and screen code depend on these declarations; extend, don't change.
#pragma once
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>
#include "internal/handles.h"
#include "wingdi.h"

namespace winplat::gdi {

// ---- Pixels ----------------------------------------------------------------------------------

// Layout of one pixel. 1/4/8 bpp index a colour table; 16 and 32 bpp use the channel masks
// (5-5-5 and 8-8-8 by default); 24 bpp is blue, green, red bytes.
struct PixelFormat {
  int bpp = 32;
  uint32_t redMask = 0, greenMask = 0, blueMask = 0;
  uint8_t redShift = 0, redBits = 0, greenShift = 0, greenBits = 0, blueShift = 0, blueBits = 0;

  // Masks of 0 take the defaults of the depth.
  static PixelFormat Make(int bpp, uint32_t red = 0, uint32_t green = 0, uint32_t blue = 0);
  bool Indexed() const { return bpp <= 8; }
  bool Is565() const { return bpp == 16 && redMask == 0xF800 && greenMask == 0x07E0 && blueMask == 0x001F; }
  bool Is555() const { return bpp == 16 && redMask == 0x7C00 && greenMask == 0x03E0 && blueMask == 0x001F; }
  bool IsXrgb32() const { return bpp == 32 && redMask == 0xFF0000 && greenMask == 0xFF00 && blueMask == 0xFF; }
  bool operator==(const PixelFormat& o) const {
    return bpp == o.bpp && redMask == o.redMask && greenMask == o.greenMask && blueMask == o.blueMask;
  }
};

// A view of pixel memory: what a DC draws on. Device row 0 is the top row; `pitch` steps one
// device row down and is negative when the memory is stored bottom-up.
struct Surface {
  uint8_t* bits = nullptr;
  ptrdiff_t pitch = 0;
  int width = 0;
  int height = 0;
  PixelFormat format;
  const RGBQUAD* colors = nullptr;  // colour table of 1/4/8-bit surfaces
  int colorCount = 0;

  uint8_t* Row(int y) const { return bits + static_cast<ptrdiff_t>(y) * pitch; }
  bool Valid() const { return bits != nullptr && width > 0 && height > 0; }
};

// Colour matching. Onto indexed surfaces a colour becomes the nearest entry of the table.
uint32_t ColorToPixel(const Surface& s, COLORREF color);
COLORREF PixelToColor(const Surface& s, uint32_t pixel);
uint32_t ReadPixel(const Surface& s, int x, int y);          // no bounds check
void WritePixel(const Surface& s, int x, int y, uint32_t v);  // no bounds check

// ---- Regions ---------------------------------------------------------------------------------

// A set of pixels as rectangles sorted in bands: top to bottom, then left to right. The rectangles
// of one band share top and bottom; bands never overlap; rectangles within a band never touch.
struct Region {
  std::vector<RECT> rects;
  RECT bounds{0, 0, 0, 0};

  bool Empty() const { return rects.empty(); }
  int Complexity() const;  // NULLREGION, SIMPLEREGION or COMPLEXREGION
  void Clear();
  void SetRect(const RECT& r);  // an empty rectangle gives the empty region
  void Offset(int dx, int dy);
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& r) const;
  bool operator==(const Region& o) const;
  static Region FromRect(const RECT& r);
  static Region Combine(const Region& a, const Region& b, int mode);  // RGN_AND..RGN_COPY
  // Pixels whose centres lie inside the polygons (ALTERNATE or WINDING).
  static Region FromPolygons(const POINT* points, const INT* counts, int polygons, int fillMode);
  static Region FromEllipse(const RECT& box);
  // Only rows yMin <= y < yMax of it.
  static Region FromEllipse(const RECT& box, int yMin, int yMax);
  // Builds from rectangles given in band order (one band after another, each sorted by left).
  void Normalize();
};

// ---- Objects behind handles ------------------------------------------------------------------

struct GdiObject : HandleObject {
  HGDIOBJ handle = nullptr;
  bool stock = false;        // never deleted
  int selectCount = 0;       // DCs holding it selected
  bool deletePending = false;  // DeleteObject while selected: freed when the last DC lets go
};

// A new value of the counter that tells bitmaps' changes apart (never 0, never repeated).
uint64_t NextChangeStamp();

struct BitmapObject : GdiObject {
  // Changes whenever the pixels or the colour table may have changed: drawing through a DC that
  // holds the bitmap, SetDIBits and its kin, and writes into a DIB section that callers announce.
  uint64_t changeStamp = NextChangeStamp();
  // Since this stamp every pixel may have changed (the bitmap's making, or a change without a
  // rectangle); the changes after it are kept as rectangles, each with the stamp it was given.
  uint64_t wholeSince = changeStamp;
  struct Change {
    uint64_t stamp;
    RECT rect;
  };
  std::vector<Change> changes;
  // Whether anyone has been told changeStamp: until then the next change may join the last one.
  bool stampTold = false;
  void Touch();
  void Touch(const RECT& deviceRect);
  Surface surface;                  // the pixels, device row 0 at the top
  std::vector<RGBQUAD> colors;      // 2^bpp entries for 1/4/8 bpp (surface.colors points here)
  struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t, FreeDeleter> storage;  // pixel memory (calloc), zeroed on creation
  size_t storageSize = 0;
  bool dibSection = false;
  bool topDown = false;             // DIB sections with a negative height
  ptrdiff_t stride = 0;             // bytes per stored row (DWORD-aligned)
  BITMAPINFOHEADER dibHeader{};     // as GetObject(DIBSECTION) reports it
};

struct PenObject : GdiObject {
  UINT style = PS_SOLID;            // PS_STYLE_MASK part
  UINT endCap = PS_ENDCAP_ROUND;
  UINT join = PS_JOIN_ROUND;
  bool extended = false;            // made by ExtCreatePen
  bool geometric = false;
  int width = 1;
  COLORREF color = 0;
  bool dcPen = false;               // the DC_PEN stock object: colour from the DC
};

struct BrushObject : GdiObject {
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  // Pattern brushes: a copy of the bitmap's colours, row 0 at the top. A monochrome pattern
  // takes the DC's text colour for 0 bits and background colour for 1 bits at draw time.
  int patWidth = 0, patHeight = 0;
  bool patMono = false;
  std::vector<COLORREF> pattern;    // colour pattern
  std::vector<uint8_t> monoBits;    // mono pattern: 1 = background colour
  bool dcBrush = false;             // the DC_BRUSH stock object: colour from the DC
};

struct FontObject : GdiObject {
  LOGFONTW lf{};
  // Free for the text code to cache what it realised from `lf` (type-erased).
  mutable std::shared_ptr<void> realized;
};

struct RegionObject : GdiObject {
  Region region;
};

struct PaletteObject : GdiObject {
  std::vector<PALETTEENTRY> entries;
};

// ---- Device contexts -------------------------------------------------------------------------

struct DCState {
  std::shared_ptr<BitmapObject> bitmap;
  std::shared_ptr<PenObject> pen;
  std::shared_ptr<BrushObject> brush;
  std::shared_ptr<FontObject> font;
  std::shared_ptr<PaletteObject> palette;
  POINT position{0, 0};             // current position, logical
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  UINT textAlign = 0;               // kept here for the text code (TA_*)
  int textCharExtra = 0;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  POINT brushOrg{0, 0};
  POINT windowOrg{0, 0};
  POINT viewportOrg{0, 0};
  COLORREF dcBrushColor = RGB(255, 255, 255);
  COLORREF dcPenColor = RGB(0, 0, 0);
  bool hasClip = false;
  Region clip;                      // application clip, device coordinates
};

struct DC : HandleObject, DCState {
  HDC handle = nullptr;
  bool memoryDC = true;             // OBJ_MEMDC; false for DCs on a window or the display
  Surface surface;                  // where drawing goes (the selected bitmap or a foreign surface)
  std::shared_ptr<void> keepAlive;  // owner of a foreign surface's memory
  POINT dcOrg{0, 0};                // device offset added after the window/viewport mapping
  bool hasVisible = false;
  Region visible;                   // the window manager's visible region, device coordinates
  Region effectiveClip;             // surface bounds, visible region and clip combined
  std::vector<DCState> saved;       // SaveDC stack
  // Called with the device rectangle each drawing call may have changed (the screen uses it).
  std::function<void(const RECT&)> onDamage;

  POINT ToDevice(int x, int y) const {
    return POINT{x - windowOrg.x + viewportOrg.x + dcOrg.x, y - windowOrg.y + viewportOrg.y + dcOrg.y};
  }
  // Recomputes effectiveClip; call after changing surface, visible or clip.
  void UpdateClip();
  void Damage(const RECT& deviceRect) const {
    if (bitmap) bitmap->Touch(deviceRect);
    if (onDamage) onDamage(deviceRect);
  }
};

std::shared_ptr<DC> LookupDC(HDC hdc);
std::shared_ptr<BitmapObject> LookupBitmap(HBITMAP bitmap);
std::shared_ptr<PenObject> LookupPen(HPEN pen);
std::shared_ptr<BrushObject> LookupBrush(HBRUSH brush);
std::shared_ptr<FontObject> LookupFont(HFONT font);
std::shared_ptr<RegionObject> LookupRegion(HRGN region);
std::shared_ptr<PaletteObject> LookupPalette(HPALETTE palette);

// A DC drawing on memory that another part owns (a window's framebuffer, a DirectDraw surface).
// `keepAlive` keeps that memory alive as long as the DC exists. memoryDC=false reports OBJ_DC.
HDC CreateSurfaceDC(const Surface& surface, std::shared_ptr<void> keepAlive, bool memoryDC);
// Points a DC made by CreateSurfaceDC at other memory (a resized framebuffer, a surface that
// moved); false for other DCs.
bool SetDCSurface(HDC hdc, const Surface& surface, std::shared_ptr<void> keepAlive);
// The window manager's visible region (device coordinates) and device origin; null region: none.
void SetDCVisibleRegion(HDC hdc, const Region* visible, POINT dcOrg);

// ---- Whole bitmaps as plain pixels (image lists, icons) ---------------------------------------

// The pixels of any bitmap as 32-bit top-down rows, 0x00RRGGBB; false for no bitmap.
bool ReadBitmapPixels(HBITMAP bitmap, int* width, int* height, std::vector<uint32_t>* pixels);
// A new 32-bit top-down DIB section holding `pixels` (width * height of them; null: zeroed);
// `bits`, when given, receives the section's pixel memory.
HBITMAP CreatePixelsBitmap(int width, int height, const uint32_t* pixels, uint32_t** bits = nullptr);

// ---- Drawing primitives (device coordinates, clipped to effectiveClip) ------------------------

// Blends an 8-bit coverage mask (255 = full colour) in `color` onto the DC with its top-left at
// device (x, y). Honours only the clip: no ROP2, no background.
void BlendMask(DC& dc, int x, int y, int width, int height, const uint8_t* mask,
               ptrdiff_t maskPitch, COLORREF color);
// Fills a device rectangle (right and bottom exclusive) with a plain colour.
void FillDeviceRect(DC& dc, const RECT& rect, COLORREF color);

}  // namespace winplat::gdi
