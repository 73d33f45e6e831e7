// Bitmaps and DIB sections: creation, bits in and out, colour tables.
#include <algorithm>
#include "gdi/gdi_private.h"

namespace winplat::gdi {

namespace {
// Largest pixel block one bitmap may hold.
constexpr int64_t kMaxBitmapBytes = int64_t{0x7FFFFFFF};

bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

int64_t StrideOf(int64_t width, int bpp) { return ((width * bpp + 31) / 32) * 4; }
int64_t WordStrideOf(int64_t width, int bpp) { return ((width * bpp + 15) / 16) * 2; }
}  // namespace

std::vector<RGBQUAD> DefaultColors(int bpp) {
  std::vector<RGBQUAD> c;
  auto add = [&](int r, int g, int b) {
    c.push_back(RGBQUAD{static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0});
  };
  if (bpp == 1) {
    add(0, 0, 0);
    add(255, 255, 255);
  } else if (bpp == 4) {
    // The sixteen colours in the platform's order: the dark ones, dark grey, then silver and the
    // bright ones.
    static const int sixteen[16][3] = {{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128},
                                       {128, 0, 128}, {0, 128, 128}, {128, 128, 128}, {192, 192, 192},
                                       {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 0, 255}, {255, 0, 255},
                                       {0, 255, 255}, {255, 255, 255}};
    for (const auto& v : sixteen) add(v[0], v[1], v[2]);
  } else if (bpp == 8) {
    // The first and last ten static colours around a 3-3-2 colour cube indexed by the entry
    // number itself (red in bits 0-2, green in 3-5, blue in 6-7).
    PALETTEENTRY pal[20];
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, pal);
    for (int i = 0; i < 10; ++i) add(pal[i].peRed, pal[i].peGreen, pal[i].peBlue);
    for (int i = 10; i < 246; ++i) add((i & 7) << 5, ((i >> 3) & 7) << 5, ((i >> 6) & 3) << 6);
    for (int i = 10; i < 20; ++i) add(pal[i].peRed, pal[i].peGreen, pal[i].peBlue);
  }
  return c;
}

std::shared_ptr<BitmapObject> NewBitmap(int width, int height, int bpp, uint32_t r, uint32_t g, uint32_t b,
                                        bool dibSection, bool topDown) {
  if (width <= 0 || height <= 0 || !ValidDepth(bpp)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const int64_t stride = StrideOf(width, bpp);
  const int64_t size = stride * height;
  if (size > kMaxBitmapBytes) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto bm = std::make_shared<BitmapObject>();
  bm->storage.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(size), 1)));
  if (!bm->storage) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  bm->storageSize = static_cast<size_t>(size);
  bm->dibSection = dibSection;
  bm->topDown = topDown;
  bm->stride = static_cast<ptrdiff_t>(stride);
  Surface& s = bm->surface;
  s.width = width;
  s.height = height;
  s.format = PixelFormat::Make(bpp, r, g, b);
  // Device-dependent bitmaps are kept top-down; DIB sections as their header says.
  const bool bottomUp = dibSection && !topDown;
  s.bits = bottomUp ? bm->storage.get() + (height - 1) * bm->stride : bm->storage.get();
  s.pitch = bottomUp ? -bm->stride : bm->stride;
  if (bpp <= 8) {
    bm->colors = DefaultColors(bpp);
    bm->colors.resize(size_t{1} << bpp, RGBQUAD{0, 0, 0, 0});
    s.colors = bm->colors.data();
    s.colorCount = static_cast<int>(bm->colors.size());
    ColorTablesChanged();
  }
  BITMAPINFOHEADER& h = bm->dibHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;  // positive for top-down sections too, as GetObject reports it
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bpp);
  h.biCompression = (bpp == 16 && !s.format.Is555()) || (bpp == 32 && !s.format.IsXrgb32()) ? BI_BITFIELDS : BI_RGB;
  h.biSizeImage = static_cast<DWORD>(size);
  h.biClrUsed = bpp <= 8 ? 1u << bpp : 0;
  return bm;
}

HBITMAP AddBitmap(std::shared_ptr<BitmapObject> bm) {
  bm->handle = HandleTable::Instance().Add(HandleKind::Bitmap, bm);
  return static_cast<HBITMAP>(bm->handle);
}

namespace {
// Expands RLE8/RLE4 data into bottom-up rows of `stride` bytes, marking each pixel it sets in
// `written` (bottom-up rows of `width` bytes). Runs and deltas are cut at the row and image
// edges; decoding stops at the end marker, the image end or the input end.
void DecodeRle(const uint8_t* in, size_t size, bool four, int width, int height, ptrdiff_t stride, uint8_t* out,
               uint8_t* written) {
  int64_t x = 0, y = 0;
  size_t i = 0;
  auto put = [&](uint8_t index) {
    if (x >= 0 && x < width && y >= 0 && y < height) {
      written[y * width + x] = 1;
      uint8_t* row = out + y * stride;
      if (four) {
        uint8_t& byte = row[x >> 1];
        byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | (index & 0x0F))
                       : static_cast<uint8_t>((byte & 0x0F) | (index << 4));
      } else {
        row[x] = index;
      }
    }
    ++x;
  };
  while (i + 1 < size && y < height) {
    const uint8_t count = in[i], value = in[i + 1];
    i += 2;
    if (count > 0) {
      const int64_t n = std::min<int64_t>(count, std::max<int64_t>(0, width - x));
      for (int64_t k = 0; k < n; ++k) put(four ? static_cast<uint8_t>((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
      x += count - n;
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (i + 1 >= size) break;
      x += in[i];
      y += in[i + 1];
      i += 2;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const size_t bytes = four ? (value + 1u) / 2u : value;
      if (i + bytes > size) break;
      for (unsigned k = 0; k < value; ++k) {
        if (x >= width) {
          x += value - k;
          break;
        }
        put(four ? static_cast<uint8_t>((k & 1) ? (in[i + k / 2] & 0x0F) : (in[i + k / 2] >> 4)) : in[i + k]);
      }
      i += (bytes + 1) & ~size_t{1};
    }
  }
}
}  // namespace

bool MakeDibView(const BITMAPINFO* info, UINT usage, const void* bits, const DC* dc, DibView* v,
                 int64_t heightOverride) {
  if (!info || (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS)) return false;
  const DWORD hsize = info->bmiHeader.biSize;
  const uint8_t* base = reinterpret_cast<const uint8_t*>(info);
  int64_t width, height;
  int bpp;
  DWORD compression = BI_RGB, clrUsed = 0;
  size_t colorOffset;
  bool core = false;
  uint32_t masks[3] = {0, 0, 0};
  if (hsize == sizeof(BITMAPCOREHEADER)) {
    const auto* c = reinterpret_cast<const BITMAPCOREHEADER*>(info);
    width = c->bcWidth;
    height = c->bcHeight;
    bpp = c->bcBitCount;
    colorOffset = hsize;
    core = true;
  } else if (hsize >= sizeof(BITMAPINFOHEADER) && hsize <= 1024) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    width = h.biWidth;
    height = h.biHeight;
    bpp = h.biBitCount;
    compression = h.biCompression;
    clrUsed = h.biClrUsed;
    colorOffset = hsize;
    if (compression == BI_BITFIELDS) {
      if (bpp != 16 && bpp != 32) return false;
      const uint8_t* m = base + (hsize == sizeof(BITMAPINFOHEADER) ? hsize : sizeof(BITMAPINFOHEADER));
      std::memcpy(masks, m, sizeof(masks));
      if (hsize == sizeof(BITMAPINFOHEADER)) colorOffset += sizeof(masks);
      if (!masks[0] || !masks[1] || !masks[2]) return false;
    } else if (compression == BI_RLE8 || compression == BI_RLE4) {
      // Run-length data is only ever drawn from (never a DIB section), and only with its size.
      if (!bits || bpp != (compression == BI_RLE8 ? 8 : 4) || height < 0 || h.biSizeImage == 0) return false;
    } else if (compression != BI_RGB) {
      return false;
    }
  } else {
    return false;
  }
  if (heightOverride != 0) height = heightOverride;
  if (!ValidDepth(bpp) || width <= 0 || height == 0 || width > kCoordLimit || height > kCoordLimit ||
      height < -kCoordLimit)
    return false;
  v->topDown = height < 0;
  v->width = static_cast<int>(width);
  v->height = static_cast<int>(height < 0 ? -height : height);
  v->bpp = bpp;
  const int64_t stride = StrideOf(width, bpp);
  if (stride * v->height > kMaxBitmapBytes) return false;
  v->stride = static_cast<ptrdiff_t>(stride);
  v->imageSize = static_cast<size_t>(stride * v->height);
  v->colors.clear();
  if (bpp <= 8) {
    const size_t maxColors = size_t{1} << bpp;
    const size_t n = clrUsed == 0 || clrUsed > maxColors ? maxColors : clrUsed;
    v->colors.assign(maxColors, RGBQUAD{0, 0, 0, 0});
    for (size_t i = 0; i < n; ++i) {
      if (usage == DIB_PAL_COLORS) {
        WORD idx;
        std::memcpy(&idx, base + colorOffset + i * 2, 2);
        const PaletteObject* pal = dc && dc->palette ? dc->palette.get() : nullptr;
        if (pal && idx < pal->entries.size()) {
          const PALETTEENTRY& e = pal->entries[idx];
          v->colors[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
        }
      } else if (core) {
        const uint8_t* t = base + colorOffset + i * 3;
        v->colors[i] = RGBQUAD{t[0], t[1], t[2], 0};
      } else {
        std::memcpy(&v->colors[i], base + colorOffset + i * 4, 4);
        v->colors[i].rgbReserved = 0;
      }
    }
  }
  Surface& s = v->surface;
  s.width = v->width;
  s.height = v->height;
  s.format = PixelFormat::Make(bpp, masks[0], masks[1], masks[2]);
  s.colors = v->colors.empty() ? nullptr : v->colors.data();
  s.colorCount = static_cast<int>(v->colors.size());
  if (s.colors) ColorTablesChanged();
  uint8_t* b = static_cast<uint8_t*>(const_cast<void*>(bits));
  v->written.clear();
  if (b && (compression == BI_RLE8 || compression == BI_RLE4)) {
    v->decoded.assign(v->imageSize, 0);
    v->written.assign(static_cast<size_t>(v->width) * static_cast<size_t>(v->height), 0);
    DecodeRle(static_cast<const uint8_t*>(bits), info->bmiHeader.biSizeImage, compression == BI_RLE4, v->width,
              v->height, v->stride, v->decoded.data(), v->written.data());
    b = v->decoded.data();
    // Run-length images are bottom-up.
    v->writtenPixels.row0 = v->written.data() + static_cast<size_t>(v->height - 1) * static_cast<size_t>(v->width);
    v->writtenPixels.pitch = -static_cast<ptrdiff_t>(v->width);
  }
  if (b) {
    s.bits = v->topDown ? b : b + (v->height - 1) * v->stride;
    s.pitch = v->topDown ? v->stride : -v->stride;
  } else {
    s.bits = nullptr;
    s.pitch = 0;
  }
  return true;
}

namespace {
std::shared_ptr<BitmapObject> CompatibleWith(const DC& dc, int width, int height) {
  const Surface& s = dc.surface;
  if (s.format.bpp == 1) return NewBitmap(width, height, 1, 0, 0, 0, false, false);
  auto bm = NewBitmap(width, height, s.format.bpp, s.format.redMask, s.format.greenMask, s.format.blueMask, false,
                      false);
  if (bm && s.format.bpp <= 8 && s.colors) {
    std::copy_n(s.colors, std::min<size_t>(bm->colors.size(), static_cast<size_t>(s.colorCount)), bm->colors.begin());
  }
  return bm;
}

std::shared_ptr<BitmapObject> BitmapOrFail(HBITMAP h) {
  auto b = LookupBitmap(h);
  if (!b) SetLastError(ERROR_INVALID_HANDLE);
  return b;
}
}  // namespace

}  // namespace winplat::gdi

using namespace winplat;
using namespace winplat::gdi;

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || planes != 1 || !ValidDepth(static_cast<int>(bitsPerPixel))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width == 0 || height == 0) return static_cast<HBITMAP>(DefaultBitmap()->handle);
  const int bpp = static_cast<int>(bitsPerPixel);
  auto bm = bpp == 16 ? NewBitmap(width, height, 16, 0xF800, 0x07E0, 0x001F, false, false)
                      : NewBitmap(width, height, bpp, 0, 0, 0, false, false);
  if (!bm) return nullptr;
  HBITMAP h = AddBitmap(bm);
  if (bits) {
    const int64_t wstride = WordStrideOf(width, bpp);
    SetBitmapBits(h, static_cast<DWORD>(std::min<int64_t>(wstride * height, 0x7FFFFFFF)), bits);
  }
  return h;
}

HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* bitmap) {
  if (!bitmap) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateBitmap(bitmap->bmWidth, bitmap->bmHeight, bitmap->bmPlanes, bitmap->bmBitsPixel, bitmap->bmBits);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
  auto dc = DCOrFail(hdc);
  if (!dc) return nullptr;
  if (width < 0 || height < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width == 0 || height == 0) return static_cast<HBITMAP>(DefaultBitmap()->handle);
  const BitmapObject* selected = dc->bitmap.get();
  if (selected && selected->dibSection) {
    // A DC drawing on a DIB section makes (bottom-up) DIB sections of the same format.
    const PixelFormat& f = selected->surface.format;
    auto bm = NewBitmap(width, height, f.bpp, f.redMask, f.greenMask, f.blueMask, true, false);
    if (!bm) return nullptr;
    if (f.bpp <= 8) {
      std::copy(selected->colors.begin(), selected->colors.end(), bm->colors.begin());
      ColorTablesChanged();
    }
    bm->dibHeader.biCompression = selected->dibHeader.biCompression;
    bm->dibHeader.biClrUsed = selected->dibHeader.biClrUsed;
    return AddBitmap(bm);
  }
  auto bm = CompatibleWith(*dc, width, height);
  return bm ? AddBitmap(bm) : nullptr;
}

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                DWORD offset) {
  if (bits) *bits = nullptr;
  std::shared_ptr<DC> dc;
  if (hdc) {
    dc = DCOrFail(hdc);
    if (!dc) return nullptr;
  }
  if (usage == DIB_PAL_COLORS && !dc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DibView view;
  if (section || !MakeDibView(info, usage, nullptr, dc.get(), &view)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const PixelFormat& f = view.surface.format;
  auto bm = NewBitmap(view.width, view.height, view.bpp, f.redMask, f.greenMask, f.blueMask, true, view.topDown);
  if (!bm) return nullptr;
  if (view.bpp <= 8) std::copy(view.colors.begin(), view.colors.end(), bm->colors.begin());
  if (info->bmiHeader.biSize >= sizeof(BITMAPINFOHEADER)) {
    bm->dibHeader.biXPelsPerMeter = info->bmiHeader.biXPelsPerMeter;
    bm->dibHeader.biYPelsPerMeter = info->bmiHeader.biYPelsPerMeter;
    // Palette formats report the size of their table.
    const DWORD clrUsed = info->bmiHeader.biClrUsed;
    if (view.bpp > 8 || (clrUsed != 0 && clrUsed < bm->dibHeader.biClrUsed)) bm->dibHeader.biClrUsed = clrUsed;
    bm->dibHeader.biClrImportant = info->bmiHeader.biClrImportant;
    bm->dibHeader.biCompression = info->bmiHeader.biCompression;
  }
  if (bits) *bits = bm->storage.get();
  return AddBitmap(bm);
}

HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                              const BITMAPINFO* info, UINT usage) {
  auto dc = DCOrFail(hdc);
  if (!dc) return nullptr;
  if (!header || header->biWidth <= 0 || header->biHeight == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  auto bm = CompatibleWith(*dc, header->biWidth, height);
  if (!bm) return nullptr;
  HBITMAP h = AddBitmap(bm);
  if ((init & CBM_INIT) && bits && info) SetDIBits(hdc, h, 0, static_cast<UINT>(height), bits, info, usage);
  return h;
}

LONG WINAPI GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits) {
  auto bm = BitmapOrFail(bitmap);
  if (!bm) return 0;
  const Surface& s = bm->surface;
  const int64_t wstride = WordStrideOf(s.width, s.format.bpp);
  const int64_t total = wstride * s.height;
  if (!bits) return static_cast<LONG>(std::min<int64_t>(total, 0x7FFFFFFF));
  if (size <= 0) return 0;
  const int64_t want = std::min<int64_t>(size, total);
  uint8_t* out = static_cast<uint8_t*>(bits);
  const int64_t rowBytes = std::min<int64_t>(wstride, (int64_t{s.width} * s.format.bpp + 7) / 8);
  for (int y = 0; y < s.height && int64_t{y} * wstride < want; ++y) {
    const int64_t n = std::min(wstride, want - int64_t{y} * wstride);
    uint8_t* o = out + int64_t{y} * wstride;
    std::memset(o, 0, static_cast<size_t>(n));
    std::memcpy(o, s.Row(y), static_cast<size_t>(std::min(n, rowBytes)));
  }
  return static_cast<LONG>(want);
}

LONG WINAPI SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits) {
  auto bm = BitmapOrFail(bitmap);
  if (!bm || !bits) return 0;
  const Surface& s = bm->surface;
  const int64_t wstride = WordStrideOf(s.width, s.format.bpp);
  const int64_t total = std::min<int64_t>(wstride * s.height, size);
  const uint8_t* in = static_cast<const uint8_t*>(bits);
  const int64_t rowBytes = (int64_t{s.width} * s.format.bpp + 7) / 8;
  for (int y = 0; y < s.height && int64_t{y} * wstride < total; ++y) {
    const int64_t n = std::min({wstride, total - int64_t{y} * wstride, rowBytes});
    std::memcpy(s.Row(y), in + int64_t{y} * wstride, static_cast<size_t>(n));
  }
  bm->Touch();
  return static_cast<LONG>(total);
}

namespace winplat::gdi {
namespace {
// The scans a DIB call moves between a bitmap of `bitmapHeight` rows and a buffer holding
// `lines` scans from `start` of an image `imageHeight` high: start .. start + count - 1.
int64_t ScansToCopy(UINT start, UINT lines, int64_t bitmapHeight, int64_t imageHeight) {
  const int64_t end = std::min({int64_t{start} + lines, bitmapHeight, imageHeight});
  return std::max<int64_t>(0, end - start);
}

// Bitmap row (device row 0 at the top) of scan `scan`: scans count from the bottom row of a
// bottom-up image and from the top row of a top-down one.
int BitmapRowOfScan(int64_t scan, bool topDown, int bitmapHeight) {
  return static_cast<int>(topDown ? scan : bitmapHeight - 1 - scan);
}
}  // namespace
}  // namespace winplat::gdi

int WINAPI GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage) {
  auto dc = DCOrFail(hdc);
  if (!dc) return 0;
  auto bm = BitmapOrFail(bitmap);
  if (!bm) return 0;
  if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const Surface& s = bm->surface;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biBitCount == 0) {
    // Describe the bitmap. 32-bit DIB sections always tell their masks.
    h.biWidth = s.width;
    h.biHeight = s.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(s.format.bpp);
    const bool fields = (s.format.bpp == 16 && !s.format.Is555()) ||
                        (s.format.bpp == 32 && (!s.format.IsXrgb32() || bm->dibSection));
    h.biCompression = fields ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = static_cast<DWORD>(StrideOf(s.width, s.format.bpp) * s.height);
    h.biXPelsPerMeter = h.biYPelsPerMeter = 0;
    h.biClrUsed = h.biClrImportant = 0;
    if (fields && h.biSize == sizeof(BITMAPINFOHEADER)) {
      const uint32_t m[3] = {s.format.redMask, s.format.greenMask, s.format.blueMask};
      std::memcpy(info->bmiColors, m, sizeof(m));
    }
    return bits ? s.height : 1;
  }
  // The format asked for; the bits come only from uncompressed layouts.
  DibView format;
  if ((h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) ||
      !MakeDibView(info, DIB_RGB_COLORS, nullptr, dc.get(), &format)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The colours of the result: the bitmap's own table at its own depth, else the default one.
  std::vector<RGBQUAD> colors;
  if (format.bpp <= 8) {
    colors = format.bpp == s.format.bpp && s.colors ? std::vector<RGBQUAD>(s.colors, s.colors + s.colorCount)
                                                    : DefaultColors(format.bpp);
    colors.resize(size_t{1} << format.bpp);
    if (h.biSize == sizeof(BITMAPINFOHEADER))
      std::memcpy(info->bmiColors, colors.data(), colors.size() * sizeof(RGBQUAD));
  }
  // The table written is always the whole one (and true-colour results have none).
  h.biClrUsed = 0;
  if (h.biSizeImage == 0 && h.biCompression == BI_RGB) h.biSizeImage = static_cast<DWORD>(format.imageSize);
  if (!bits) return 1;
  const int64_t count = ScansToCopy(start, lines, s.height, format.height);
  if (count <= 0) return 0;
  // The buffer holds `count` rows, its first row being scan `start`.
  DibView view;
  if (!MakeDibView(info, DIB_RGB_COLORS, bits, dc.get(), &view, format.topDown ? -count : count)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!colors.empty()) {
    view.colors = colors;
    view.surface.colors = view.colors.data();
    view.surface.colorCount = static_cast<int>(view.colors.size());
    ColorTablesChanged();
  }
  const int w = std::min(view.width, s.width);
  // Bits of each row after the last pixel copied: the rest of the row and its padding.
  const int64_t usedBits = int64_t{w} * view.bpp;
  for (int64_t i = 0; i < count; ++i) {
    const int srcRow = BitmapRowOfScan(int64_t{start} + i, view.topDown, s.height);
    const int dstRow = BitmapRowOfScan(i, view.topDown, static_cast<int>(count));
    uint8_t* row = view.surface.Row(dstRow);
    std::memset(row + usedBits / 8, 0, static_cast<size_t>(view.stride - usedBits / 8));
    ConvertRect(s, 0, srcRow, view.surface, 0, dstRow, w, 1);
  }
  return static_cast<int>(count);
}

int WINAPI SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
                     UINT usage) {
  std::shared_ptr<DC> dc;
  if (hdc) {
    dc = DCOrFail(hdc);
    if (!dc) return 0;
  }
  auto bm = BitmapOrFail(bitmap);
  if (!bm) return 0;
  // Run-length data always holds the whole image: start and lines do not apply to it.
  const bool rle = info && info->bmiHeader.biSize >= sizeof(BITMAPINFOHEADER) &&
                   (info->bmiHeader.biCompression == BI_RLE8 || info->bmiHeader.biCompression == BI_RLE4);
  DibView view;
  if (!bits || !MakeDibView(info, usage, rle ? bits : nullptr, dc.get(), &view)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const Surface& s = bm->surface;
  int64_t first = 0, count = 0;
  if (rle) {
    count = ScansToCopy(0, static_cast<UINT>(view.height), s.height, view.height);
  } else {
    first = start;
    count = ScansToCopy(start, lines, s.height, view.height);
    if (count <= 0) return 0;
    // The buffer holds `count` rows, its first row being scan `start`.
    const bool topDown = view.topDown;
    if (!MakeDibView(info, usage, bits, dc.get(), &view, topDown ? -count : count)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  }
  if (count <= 0) return 0;
  const int w = std::min(view.width, s.width);
  for (int64_t i = 0; i < count; ++i) {
    const int dstRow = BitmapRowOfScan(first + i, view.topDown, s.height);
    const int srcRow = BitmapRowOfScan(i, view.topDown, view.height);
    ConvertRect(view.surface, 0, srcRow, s, 0, dstRow, w, 1, view.Written());
  }
  bm->Touch();
  return static_cast<int>(count);
}

namespace {
// The entries of a DIB section's own colour table: as many as its header's biClrUsed (the table
// it was made with, the whole 2^bpp when that gave none).
UINT TableSize(const BitmapObject& bm) {
  return std::min(static_cast<UINT>(bm.colors.size()), static_cast<UINT>(bm.dibHeader.biClrUsed));
}
}  // namespace

UINT WINAPI GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors) {
  auto dc = DCOrFail(hdc);
  if (!dc) return 0;
  BitmapObject* bm = dc->bitmap.get();
  if (!bm || !bm->dibSection || bm->colors.empty() || !colors) return 0;
  const UINT size = TableSize(*bm);
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(bm->colors.begin() + start, n, colors);
  return n;
}

UINT WINAPI SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors) {
  auto dc = DCOrFail(hdc);
  if (!dc) return 0;
  BitmapObject* bm = dc->bitmap.get();
  if (!bm || !bm->dibSection || bm->colors.empty() || !colors) return 0;
  const UINT size = TableSize(*bm);
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(colors, n, bm->colors.begin() + start);
  bm->Touch();
  ColorTablesChanged();
  return n;
}
