// Run-length encoded DIB data drawn with StretchDIBits and SetDIBits: whatever the runs say, the
// decoder stays inside the image and the input.
#include <cstring>
#include <vector>
#include "windows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } bi{};
  bi.h.biSize = sizeof(BITMAPINFOHEADER);
  bi.h.biWidth = 1 + data[0] % 64;
  bi.h.biHeight = 1 + data[1] % 64;
  bi.h.biPlanes = 1;
  const bool four = data[2] & 1;
  bi.h.biBitCount = four ? 4 : 8;
  bi.h.biCompression = four ? BI_RLE4 : BI_RLE8;
  bi.h.biClrUsed = data[3];
  for (int i = 0; i < 256; ++i) bi.colors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i * 7), 0, 0};
  std::vector<uint8_t> rle(data + 6, data + size);  // exactly the encoded bytes, nothing after them
  bi.h.biSizeImage = static_cast<DWORD>(rle.size());
  if (rle.empty()) return 0;
  static HDC dc = nullptr;
  static HBITMAP target = nullptr;
  if (!dc) {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO t{};
    t.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    t.bmiHeader.biWidth = 48;
    t.bmiHeader.biHeight = 48;
    t.bmiHeader.biPlanes = 1;
    t.bmiHeader.biBitCount = 24;
    target = CreateDIBSection(nullptr, &t, DIB_RGB_COLORS, nullptr, nullptr, 0);
    SelectObject(dc, target);
  }
  const int x = static_cast<int8_t>(data[4]), y = static_cast<int8_t>(data[5]);
  StretchDIBits(dc, x, y, 40, -30, 0, 0, bi.h.biWidth, bi.h.biHeight, rle.data(),
                reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, SRCCOPY);
  SetDIBits(dc, target, 0, static_cast<UINT>(bi.h.biHeight), rle.data(), reinterpret_cast<BITMAPINFO*>(&bi),
            DIB_RGB_COLORS);
  return 0;
}
