// TBitmap: a DIB section with a canvas, pixel-format conversion, transparency and BMP files.
#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <vector>

#include "Graphics.h"
#include "Graphics_BmpCodec.h"
#include "winplat_gdi.h"

const char* const SInvalidBitmap = "ビットマップ イメージは無効です";
const char* const SUnknownExtension = "不明な画像ファイルの拡張子です (.%s)";
const char* const SScanLine = "スキャン ラインのインデックスが範囲を超えています";
const char* const SNoCanvasHandle = "キャンバスに描画できません";
const char* const SInvalidPixelFormat = "ピクセル形式が無効です";
const char* const SOutOfResources = "システム リソースが不足しています";

namespace {

int BitsOf(TPixelFormat f) {
  switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;  // pfDevice, pf32bit
  }
}

RGBQUAD Quad(uint8_t r, uint8_t g, uint8_t b) { return RGBQUAD{b, g, r, 0}; }

// The colour table a new bitmap of an indexed format starts with.
std::vector<RGBQUAD> DefaultTable(int bits) {
  std::vector<RGBQUAD> t;
  if (bits == 1) {
    t = {Quad(0, 0, 0), Quad(255, 255, 255)};
  } else if (bits >= 4 && bits <= 8) {
    // The 16 colours of the base palette.
    t = {Quad(0, 0, 0),       Quad(128, 0, 0),   Quad(0, 128, 0),   Quad(128, 128, 0),
         Quad(0, 0, 128),     Quad(128, 0, 128), Quad(0, 128, 128), Quad(192, 192, 192),
         Quad(128, 128, 128), Quad(255, 0, 0),   Quad(0, 255, 0),   Quad(255, 255, 0),
         Quad(0, 0, 255),     Quad(255, 0, 255), Quad(0, 255, 255), Quad(255, 255, 255)};
    if (bits == 8) {
      // Then a 6 x 6 x 6 colour cube and a ramp of 24 greys.
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b)
            t.push_back(Quad(static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(b * 51)));
      for (int i = 0; i < 24; ++i) {
        const uint8_t v = static_cast<uint8_t>(8 + i * 10);
        t.push_back(Quad(v, v, v));
      }
    }
  }
  return t;
}

struct Image {
  HBITMAP handle = nullptr;
  uint8_t* bits = nullptr;
  size_t stride = 0;
};

Image CreateImage(int32_t width, int32_t height, int bits, bool is565, const std::vector<RGBQUAD>& table) {
  const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  if (stride * static_cast<uint64_t>(height) > 0x7FFFFFFFull) throw EOutOfResources(SOutOfResources);
  std::vector<uint8_t> buf(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* bi = reinterpret_cast<BITMAPINFO*>(buf.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = width;
  bi->bmiHeader.biHeight = height;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = static_cast<WORD>(bits);
  bi->bmiHeader.biCompression = BI_RGB;
  uint8_t* colors = buf.data() + sizeof(BITMAPINFOHEADER);
  if (bits == 16 && is565) {
    bi->bmiHeader.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(colors, masks, sizeof masks);
  } else if (bits <= 8) {
    const size_t n = std::min<size_t>(table.size(), size_t{1} << bits);
    bi->bmiHeader.biClrUsed = static_cast<DWORD>(size_t{1} << bits);
    if (n) std::memcpy(colors, table.data(), n * sizeof(RGBQUAD));
  }
  Image img;
  void* p = nullptr;
  img.handle = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &p, nullptr, 0);
  if (!img.handle || !p) {
    if (img.handle) DeleteObject(img.handle);
    throw EOutOfResources(SOutOfResources);
  }
  img.bits = static_cast<uint8_t*>(p);
  img.stride = static_cast<size_t>(stride);
  return img;
}

// The colour of one pixel of a row in a given format, as $00BBGGRR.
COLORREF ReadPixel(const uint8_t* row, int32_t x, int bits, bool is565, const std::vector<RGBQUAD>& table) {
  auto fromTable = [&](size_t i) -> COLORREF {
    if (i >= table.size()) return 0;
    return RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
  };
  switch (bits) {
    case 1: return fromTable((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return fromTable((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
    case 8: return fromTable(row[x]);
    case 16: {
      const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
      unsigned r, g, b;
      if (is565) {
        r = (v >> 11) & 31; g = (v >> 5) & 63; b = v & 31;
        return RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
      }
      r = (v >> 10) & 31; g = (v >> 5) & 31; b = v & 31;
      return RGB((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
    }
    case 24: return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
  }
}

// Nearest entry of a colour table, remembering the last answer (runs of one colour are common).
class NearestIndex {
 public:
  explicit NearestIndex(const std::vector<RGBQUAD>& table) : table_(table) {}
  uint8_t operator()(COLORREF c) {
    if (c == lastColor_) return lastIndex_;
    int best = 0;
    int bestDist = 1 << 30;
    for (size_t i = 0; i < table_.size(); ++i) {
      const int dr = table_[i].rgbRed - static_cast<int>(GetRValue(c));
      const int dg = table_[i].rgbGreen - static_cast<int>(GetGValue(c));
      const int db = table_[i].rgbBlue - static_cast<int>(GetBValue(c));
      const int d = dr * dr + dg * dg + db * db;
      if (d < bestDist) {
        bestDist = d;
        best = static_cast<int>(i);
        if (d == 0) break;
      }
    }
    lastColor_ = c;
    lastIndex_ = static_cast<uint8_t>(best);
    return lastIndex_;
  }

 private:
  const std::vector<RGBQUAD>& table_;
  COLORREF lastColor_ = CLR_INVALID;
  uint8_t lastIndex_ = 0;
};

void WritePixel(uint8_t* row, int32_t x, int bits, bool is565, COLORREF c, NearestIndex& nearest) {
  const unsigned r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  switch (bits) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      if (nearest(c)) row[x >> 3] |= bit; else row[x >> 3] &= static_cast<uint8_t>(~bit);
      break;
    }
    case 4: {
      uint8_t& d = row[x >> 1];
      const uint8_t v = nearest(c);
      d = (x & 1) ? static_cast<uint8_t>((d & 0xF0) | v) : static_cast<uint8_t>((d & 0x0F) | (v << 4));
      break;
    }
    case 8: row[x] = nearest(c); break;
    case 16: {
      const unsigned v = is565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3) : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
      row[2 * x] = static_cast<uint8_t>(v);
      row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      break;
    }
    case 24:
      row[3 * x] = static_cast<uint8_t>(b);
      row[3 * x + 1] = static_cast<uint8_t>(g);
      row[3 * x + 2] = static_cast<uint8_t>(r);
      break;
    default:
      row[4 * x] = static_cast<uint8_t>(b);
      row[4 * x + 1] = static_cast<uint8_t>(g);
      row[4 * x + 2] = static_cast<uint8_t>(r);
      row[4 * x + 3] = 0;
      break;
  }
}

TPixelFormat FormatOf(int bits, bool is565) {
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return is565 ? pf16bit : pf15bit;
    case 24: return pf24bit;
    default: return pf32bit;
  }
}

}  // namespace

// ---- TBitmapCanvas -----------------------------------------------------------------------------

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
  if (FDC) return;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) throw EOutOfResources(SOutOfResources);
  FDC = dc;
  if (FBitmap->FHandle) FOldBitmap = SelectObject(dc, FBitmap->FHandle);
  SetHandle(dc);
}

void TBitmapCanvas::FreeContext() {
  if (!FDC) return;
  HDC dc = FDC;
  SetHandle(nullptr);
  if (FOldBitmap) SelectObject(dc, FOldBitmap);
  FOldBitmap = nullptr;
  DeleteDC(dc);
  FDC = nullptr;
}

// ---- TBitmap -----------------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();
  FreeHandle();
}

void TBitmap::FreePalette() {
  if (FPalette) DeleteObject(FPalette);
  FPalette = nullptr;
}

void TBitmap::FreeHandle() {
  if (FCanvas) FCanvas->FreeContext();
  FreePalette();
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  FBits = nullptr;
  FStride = 0;
}

void TBitmap::Changing() {
  if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::Changed(TObject* sender) { TGraphic::Changed(sender); }

int32_t TBitmap::BitCount() const { return BitsOf(FPixelFormat); }

void TBitmap::NewImage(int32_t width, int32_t height, TPixelFormat format, const std::vector<RGBQUAD>* table, bool is565) {
  const int bits = BitsOf(format);
  std::vector<RGBQUAD> t = table ? *table : DefaultTable(bits);
  if (bits > 8) t.clear();
  if (width <= 0 || height <= 0) {
    // No pixels, but the other dimension is kept: Width then Height makes a bitmap.
    FreeHandle();
    FWidth = std::max(width, 0);
    FHeight = std::max(height, 0);
  } else {
    Image img = CreateImage(width, height, bits, is565, t);
    FreeHandle();
    FHandle = img.handle;
    FBits = img.bits;
    FStride = img.stride;
    FWidth = width;
    FHeight = height;
  }
  FPixelFormat = format;
  FIs565 = format == pf16bit;
  FColorTable = std::move(t);
  if (FColorTable.size() < (bits <= 8 ? (size_t{1} << bits) : 0)) FColorTable.resize(size_t{1} << bits, RGBQUAD{0, 0, 0, 0});
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return;
  const int bits = BitsOf(FPixelFormat);
  if (width == 0 || height == 0 || Empty()) {
    NewImage(width, height, FPixelFormat, &FColorTable, FIs565);
  } else {
    Image img = CreateImage(width, height, bits, FIs565, FColorTable);
    const int32_t rows = std::min(height, FHeight);
    const size_t bytes = std::min(img.stride, FStride);
    for (int32_t y = 0; y < rows; ++y)
      std::memcpy(img.bits + static_cast<size_t>(height - 1 - y) * img.stride, RowAddress(y), bytes);
    std::vector<RGBQUAD> table = FColorTable;
    FreeHandle();
    FHandle = img.handle;
    FBits = img.bits;
    FStride = img.stride;
    FWidth = width;
    FHeight = height;
    FColorTable = std::move(table);
  }
  Changed(this);
}

COLORREF TBitmap::PixelRGB(int32_t x, int32_t row) const {
  return ReadPixel(RowAddress(row), x, BitsOf(FPixelFormat), FIs565, FColorTable);
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == pfCustom) throw EInvalidGraphic(SInvalidPixelFormat);
  if (value == FPixelFormat) return;
  const int oldBits = BitsOf(FPixelFormat), newBits = BitsOf(value);
  if (Empty()) {
    NewImage(FWidth, FHeight, value, nullptr, value == pf16bit);
  } else if (oldBits == 32 && newBits == 32) {
    FPixelFormat = value;  // pfDevice and pf32bit share the storage
  } else {
    const bool is565 = value == pf16bit;
    std::vector<RGBQUAD> table = DefaultTable(newBits);
    Image img = CreateImage(FWidth, FHeight, newBits, is565, table);
    NearestIndex nearest(table);
    for (int32_t y = 0; y < FHeight; ++y) {
      const uint8_t* src = RowAddress(y);
      uint8_t* dst = img.bits + static_cast<size_t>(FHeight - 1 - y) * img.stride;
      for (int32_t x = 0; x < FWidth; ++x)
        WritePixel(dst, x, newBits, is565, ReadPixel(src, x, oldBits, FIs565, FColorTable), nearest);
    }
    FreeHandle();
    FHandle = img.handle;
    FBits = img.bits;
    FStride = img.stride;
    FPixelFormat = value;
    FIs565 = is565;
    FColorTable = newBits <= 8 ? std::move(table) : std::vector<RGBQUAD>{};
  }
  Changed(this);
}

void TBitmap::SetMonochrome(bool value) {
  if (value == Monochrome()) return;
  SetPixelFormat(value ? pf1bit : pfDevice);
}

void TBitmap::SetHandleType(TBitmapHandleType value) {
  if (value == HandleType()) return;
  if (value == bmDDB) SetPixelFormat(pfDevice);
  else SetPixelFormat(pf32bit);
}

uint8_t* TBitmap::ScanLine(int32_t row) {
  if (row < 0 || row >= FHeight || !FBits) throw EInvalidGraphicOperation(SScanLine);
  if (FPixelFormat == pfDevice) FPixelFormat = pf32bit;  // direct access makes it a DIB
  GdiFlush();
  winplat::MarkBitmapChanged(FHandle);
  return RowAddress(row);
}

uint64_t TBitmap::ContentStamp() const { return winplat::BitmapChangeStamp(FHandle); }

uint64_t TBitmap::ChangedSince(uint64_t Stamp, TRect& Changed) const {
  RECT r{0, 0, 0, 0};
  const uint64_t now = winplat::BitmapChangesSince(FHandle, Stamp, &r);
  Changed = Rect(r.left, r.top, r.right, r.bottom);
  return now;
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->OnChange = [this](TObject*) { Changed(this); };
  }
  return FCanvas.get();
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentColor != clDefault) return ColorToRGB(FTransparentColor);
  if (Empty()) return clNone;
  if (Monochrome()) return clWhite;
  return static_cast<TColor>(PixelRGB(0, FHeight - 1));
}

void TBitmap::SetTransparentColor(TColor value) {
  if (value == FTransparentColor) return;
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  if (value == tmAuto) SetTransparentColor(clDefault);
  else SetTransparentColor(TransparentColor());
}

HBITMAP TBitmap::Handle() {
  // A bitmap can be selected into one DC at a time: let the caller select it into its own.
  if (FCanvas) FCanvas->FreeContext();
  return FHandle;
}


void TBitmap::SetHandle(HBITMAP value) {
  if (value == FHandle) return;
  if (!value) {
    NewImage(0, 0, FPixelFormat, nullptr, FIs565);
    Changed(this);
    return;
  }
  DIBSECTION ds{};
  const int got = GetObjectA(value, sizeof ds, &ds);
  if (got == static_cast<int>(sizeof ds) && ds.dsBm.bmBits && !winplat::DibSectionIsTopDown(value) &&
      (ds.dsBm.bmBitsPixel == 1 || ds.dsBm.bmBitsPixel == 4 || ds.dsBm.bmBitsPixel == 8 ||
       ds.dsBm.bmBitsPixel == 16 || ds.dsBm.bmBitsPixel == 24 || ds.dsBm.bmBitsPixel == 32)) {
    // A bottom-up DIB section: taken as it is.
    const int bits = ds.dsBm.bmBitsPixel;
    const bool is565 = bits == 16 && ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x07E0;
    std::vector<RGBQUAD> table;
    if (bits <= 8) {
      table.assign(size_t{1} << bits, RGBQUAD{0, 0, 0, 0});
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, value);
      GetDIBColorTable(dc, 0, static_cast<UINT>(table.size()), table.data());
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    FreeHandle();
    FHandle = value;
    FBits = static_cast<uint8_t*>(ds.dsBm.bmBits);
    FStride = static_cast<size_t>(ds.dsBm.bmWidthBytes);
    FWidth = ds.dsBm.bmWidth;
    FHeight = ds.dsBm.bmHeight;
    FPixelFormat = FormatOf(bits, is565);
    FIs565 = is565;
    FColorTable = std::move(table);
  } else {
    // A device bitmap (or a top-down section): copied into a DIB section of our own.
    BITMAP bm{};
    if (GetObjectA(value, sizeof bm, &bm) < static_cast<int>(sizeof bm) || bm.bmWidth <= 0 || bm.bmHeight == 0)
      throw EInvalidGraphic(SInvalidBitmap);
    const int32_t w = bm.bmWidth, h = std::abs(bm.bmHeight);
    const TPixelFormat pf = bm.bmBitsPixel == 1 ? pf1bit : pfDevice;
    std::vector<RGBQUAD> table = DefaultTable(BitsOf(pf));
    Image img = CreateImage(w, h, BitsOf(pf), false, table);
    HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = SelectObject(src, value), oldDst = SelectObject(dst, img.handle);
    BitBlt(dst, 0, 0, w, h, src, 0, 0, SRCCOPY);
    SelectObject(src, oldSrc);
    SelectObject(dst, oldDst);
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(value);
    FreeHandle();
    FHandle = img.handle;
    FBits = img.bits;
    FStride = img.stride;
    FWidth = w;
    FHeight = h;
    FPixelFormat = pf;
    FIs565 = false;
    FColorTable = BitsOf(pf) <= 8 ? std::move(table) : std::vector<RGBQUAD>{};
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (FCanvas) FCanvas->FreeContext();
  FreePalette();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FBits = nullptr;
  FStride = 0;
  FWidth = FHeight = 0;
  Changed(this);
  return h;
}

// ---- Clipboard ---------------------------------------------------------------------------------

namespace {

// A bottom-up DIB section with the pixels and colour table of `source` (1, 4, 8 and 24 bits per
// pixel kept, any other depth as 32); nullptr when `source` is no bitmap.
HBITMAP CopyToDibSection(HBITMAP source) {
  BITMAP bm{};
  if (!source || GetObjectA(source, sizeof bm, &bm) < static_cast<int>(sizeof bm) || bm.bmWidth <= 0 ||
      bm.bmHeight == 0)
    return nullptr;
  const int bits = bm.bmBitsPixel == 1 || bm.bmBitsPixel == 4 || bm.bmBitsPixel == 8 || bm.bmBitsPixel == 24
                       ? bm.bmBitsPixel
                       : 32;
  const int32_t w = bm.bmWidth, h = std::abs(bm.bmHeight);
  std::vector<uint8_t> buf(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* bi = reinterpret_cast<BITMAPINFO*>(buf.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = w;
  bi->bmiHeader.biHeight = h;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = static_cast<WORD>(bits);
  bi->bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  // The first call fills the colour table of the description, the second the pixels.
  GetDIBits(dc, source, 0, static_cast<UINT>(h), nullptr, bi, DIB_RGB_COLORS);
  bi->bmiHeader.biHeight = h;
  bi->bmiHeader.biBitCount = static_cast<WORD>(bits);
  bi->bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP copy = CreateDIBSection(dc, bi, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (copy && GetDIBits(dc, source, 0, static_cast<UINT>(h), pixels, bi, DIB_RGB_COLORS) == 0) {
    DeleteObject(copy);
    copy = nullptr;
  }
  DeleteDC(dc);
  return copy;
}

}  // namespace

void TBitmap::LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette) {
  if (format != CF_BITMAP || !data) throw EInvalidGraphic(SUnknownClipboardFormat);
  HBITMAP copy = CopyToDibSection(static_cast<HBITMAP>(data));
  if (!copy) throw EInvalidGraphic(SInvalidBitmap);
  SetHandle(copy);
  if (palette && BitCount() <= 8) SetPalette(palette);
}

void TBitmap::SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) {
  HBITMAP copy = CopyToDibSection(Handle());
  if (!copy) throw EInvalidGraphic(SInvalidBitmap);
  format = CF_BITMAP;
  data = copy;
  palette = nullptr;
  if (HPALETTE own = Palette()) {
    PALETTEENTRY entries[256];
    const UINT n = GetPaletteEntries(own, 0, 256, entries);
    std::vector<uint8_t> buf(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY), 0);
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(n);
    std::memcpy(buf.data() + offsetof(LOGPALETTE, palPalEntry), entries, n * sizeof(PALETTEENTRY));
    palette = CreatePalette(lp);
  }
}

HPALETTE TBitmap::Palette() {
  if (BitCount() > 8 || FColorTable.empty()) return nullptr;
  if (!FPalette) {
    std::vector<uint8_t> buf(sizeof(LOGPALETTE) + FColorTable.size() * sizeof(PALETTEENTRY), 0);
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(FColorTable.size());
    auto* entries = reinterpret_cast<PALETTEENTRY*>(buf.data() + offsetof(LOGPALETTE, palPalEntry));
    for (size_t i = 0; i < FColorTable.size(); ++i)
      entries[i] = PALETTEENTRY{FColorTable[i].rgbRed, FColorTable[i].rgbGreen, FColorTable[i].rgbBlue, 0};
    FPalette = CreatePalette(lp);
  }
  return FPalette;
}

void TBitmap::SetPalette(HPALETTE value) {
  const int bits = BitCount();
  if (!value || bits > 8) return;
  PALETTEENTRY entries[256]{};
  const UINT n = std::min<UINT>(GetPaletteEntries(value, 0, 256, entries), 1u << bits);
  if (n == 0) return;
  std::vector<RGBQUAD> table = FColorTable;
  table.resize(size_t{1} << bits, RGBQUAD{0, 0, 0, 0});
  for (UINT i = 0; i < n; ++i) table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  FColorTable = std::move(table);
  FreePalette();
  if (FHandle) {
    HDC dc = Canvas()->Handle();
    SetDIBColorTable(dc, 0, static_cast<UINT>(FColorTable.size()), FColorTable.data());
  }
  Changed(this);
}

void TBitmap::Assign(TPersistent* source) {
  if (!source) {
    NewImage(0, 0, FPixelFormat, nullptr, FIs565);
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    if (b == this) return;
    NewImage(b->FWidth, b->FHeight, b->FPixelFormat, &b->FColorTable, b->FIs565);
    if (FBits && b->FBits)
      for (int32_t y = 0; y < FHeight; ++y) std::memcpy(RowAddress(y), b->RowAddress(y), std::min(FStride, b->FStride));
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    TGraphic::SetTransparent(b->Transparent());
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
  if (Empty()) return;
  HDC dst = canvas->Handle();
  HDC src = Canvas()->Handle();
  // Colour pictures drop the rows and columns a shrink leaves out: the default mode would AND
  // them together and darken the picture. Monochrome ones keep the target's mode.
  if (!Monochrome()) SetStretchBltMode(dst, COLORONCOLOR);
  if (!Transparent()) {
    StretchBlt(dst, r.left, r.top, (r.right - r.left), (r.bottom - r.top), src, 0, 0, FWidth, FHeight, static_cast<DWORD>(canvas->CopyMode()));
    return;
  }
  // Transparent: a monochrome mask (1 where the pixel has the transparent colour) keeps the
  // destination there, and a copy of the picture with those pixels black is ORed over the rest.
  const COLORREF key = static_cast<COLORREF>(TransparentColor()) & 0xFFFFFF;
  HBITMAP mask = CreateBitmap(FWidth, FHeight, 1, 1, nullptr);
  HDC maskDC = CreateCompatibleDC(nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  const COLORREF oldSrcBk = SetBkColor(src, key);
  BitBlt(maskDC, 0, 0, FWidth, FHeight, src, 0, 0, SRCCOPY);
  SetBkColor(src, oldSrcBk);

  Image work = CreateImage(FWidth, FHeight, 32, false, {});
  HDC workDC = CreateCompatibleDC(nullptr);
  HGDIOBJ oldWork = SelectObject(workDC, work.handle);
  BitBlt(workDC, 0, 0, FWidth, FHeight, src, 0, 0, SRCCOPY);
  SetBkColor(workDC, RGB(0, 0, 0));
  SetTextColor(workDC, RGB(255, 255, 255));
  BitBlt(workDC, 0, 0, FWidth, FHeight, maskDC, 0, 0, SRCAND);

  const COLORREF oldBk = SetBkColor(dst, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dst, RGB(0, 0, 0));
  StretchBlt(dst, r.left, r.top, (r.right - r.left), (r.bottom - r.top), maskDC, 0, 0, FWidth, FHeight, SRCAND);
  StretchBlt(dst, r.left, r.top, (r.right - r.left), (r.bottom - r.top), workDC, 0, 0, FWidth, FHeight, SRCPAINT);
  SetBkColor(dst, oldBk);
  SetTextColor(dst, oldText);

  SelectObject(workDC, oldWork);
  DeleteDC(workDC);
  DeleteObject(work.handle);
  SelectObject(maskDC, oldMask);
  DeleteDC(maskDC);
  DeleteObject(mask);
}

void TBitmap::LoadFromStream(TStream* stream) {
  const int64_t start = stream->Position();
  const int64_t avail = stream->Size() - start;
  if (avail <= 0) {
    NewImage(0, 0, FPixelFormat, nullptr, FIs565);
    Changed(this);
    return;
  }
  std::vector<uint8_t> data(static_cast<size_t>(std::min<int64_t>(avail, static_cast<int64_t>(vse::bmp::kMaxHeaderBytes))));
  stream->ReadBuffer(data.data(), static_cast<int32_t>(data.size()));
  vse::bmp::Header header;
  try {
    header = vse::bmp::ParseHeader(data.data(), data.size(), static_cast<uint64_t>(avail));
  } catch (const vse::bmp::DecodeError&) {
    throw EInvalidGraphic(SInvalidBitmap);
  }
  const uint64_t total = header.FileBytes();
  const vse::bmp::Format& f = header.format;
  std::vector<RGBQUAD> table;
  for (const auto& e : f.palette) table.push_back(RGBQUAD{e.blue, e.green, e.red, 0});
  // Decode into a new image first: a bad file leaves this bitmap as it was.
  Image img = CreateImage(f.width, f.height, f.bitCount, f.is565, table);
  const size_t rowBytes = (static_cast<size_t>(f.width) * f.bitCount + 7) / 8;
  const bool asStored = header.compression != 1 && header.compression != 2 && !header.convertMasks &&
                        !header.topDown && header.sourceBitCount == f.bitCount && rowBytes == img.stride &&
                        header.dataSize == static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(f.height);
  try {
    if (asStored) {
      // Unpadded rows stored bottom-up as the image keeps them: read straight into it.
      const size_t bytes = static_cast<size_t>(header.dataSize);
      size_t have = 0;
      if (header.dataOffset < data.size()) {
        have = std::min(bytes, data.size() - static_cast<size_t>(header.dataOffset));
        std::memcpy(img.bits, data.data() + header.dataOffset, have);
      } else {
        stream->SetPosition(start + static_cast<int64_t>(header.dataOffset));
      }
      if (bytes > have) stream->ReadBuffer(img.bits + have, static_cast<int32_t>(bytes - have));
      stream->SetPosition(start + static_cast<int64_t>(total));
    } else {
      if (total > data.size()) {
        const size_t have = data.size();
        data.resize(static_cast<size_t>(total));
        stream->ReadBuffer(data.data() + have, static_cast<int32_t>(total - have));
      } else {
        stream->SetPosition(start + static_cast<int64_t>(total));
      }
      vse::bmp::DecodePixels(data.data(), data.size(), header, img.bits, img.stride);
    }
  } catch (const vse::bmp::DecodeError&) {
    DeleteObject(img.handle);
    throw EInvalidGraphic(SInvalidBitmap);
  } catch (...) {
    DeleteObject(img.handle);
    throw;
  }
  FreeHandle();
  FHandle = img.handle;
  FBits = img.bits;
  FStride = img.stride;
  FWidth = f.width;
  FHeight = f.height;
  FPixelFormat = FormatOf(f.bitCount, f.is565);
  FIs565 = f.is565;
  FColorTable = std::move(table);
  if (f.bitCount <= 8) FColorTable.resize(size_t{1} << f.bitCount, RGBQUAD{0, 0, 0, 0});
  Changed(this);
}

void TBitmap::SaveToStream(TStream* stream) {
  if (Empty()) return;
  GdiFlush();
  vse::bmp::Format f;
  f.width = FWidth;
  f.height = FHeight;
  f.bitCount = static_cast<uint16_t>(BitCount());
  f.is565 = FIs565;
  for (const RGBQUAD& q : FColorTable) f.palette.push_back(vse::bmp::PaletteEntry{q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
  const size_t rowBytes = (static_cast<size_t>(f.width) * f.bitCount + 7) / 8;
  if (rowBytes == f.Stride() && static_cast<size_t>(FStride) == rowBytes) {
    // Rows that need no padding go out as they lie, after the headers: no copy of the picture.
    const std::vector<uint8_t> headers = vse::bmp::EncodeHeaders(f);
    stream->WriteBuffer(headers.data(), static_cast<int32_t>(headers.size()));
    stream->WriteBuffer(FBits, static_cast<int32_t>(rowBytes * static_cast<size_t>(f.height)));
    return;
  }
  const std::vector<uint8_t> out = vse::bmp::Encode(f, FBits, FStride);
  stream->WriteBuffer(out.data(), static_cast<int32_t>(out.size()));
}
