// Whole bitmaps read and made as plain 32-bit pixels.
#include <algorithm>

#include "gdi/gdi_internal.h"
#include "wingdi.h"

namespace winplat::gdi {

namespace {
BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  return bi;
}
}  // namespace

bool ReadBitmapPixels(HBITMAP bitmap, int* width, int* height, std::vector<uint32_t>* pixels) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return false;
  *width = info.bmWidth;
  *height = info.bmHeight;
  pixels->assign(static_cast<size_t>(*width) * static_cast<size_t>(*height), 0);
  BITMAPINFO bi = TopDown32(*width, *height);
  HDC dc = CreateCompatibleDC(nullptr);
  int got = GetDIBits(dc, bitmap, 0, static_cast<UINT>(*height), pixels->data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  for (auto& p : *pixels) p &= 0x00FFFFFFu;
  return got == *height;
}

HBITMAP CreatePixelsBitmap(int width, int height, const uint32_t* pixels, uint32_t** bits) {
  BITMAPINFO bi = TopDown32(width, height);
  void* mem = nullptr;
  HBITMAP bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &mem, nullptr, 0);
  if (bm && pixels) std::copy_n(pixels, static_cast<size_t>(width) * static_cast<size_t>(height), static_cast<uint32_t*>(mem));
  if (bits) *bits = bm ? static_cast<uint32_t*>(mem) : nullptr;
  return bm;
}

}  // namespace winplat::gdi
