// Drawing a PNG picture: opaque (stretched store), colour-keyed (mask blits) or alpha-blended
// (in a 32-bit section over the destination).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "PngImage_internal.h"

void TPNGObject::Draw(TCanvas* canvas, const TRect& r) {
  if (Empty() || !HasHeader()) return;
  TChunkIHDR* h = HeaderChunk();
  if (!h->ImageData) return;
  HDC dc = canvas->Handle();
  switch (TransparencyKind()) {
    case tkNone: {
      const int old = SetStretchBltMode(dc, COLORONCOLOR);
      StretchDIBits(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, h->Width, h->Height, h->ImageData,
                    reinterpret_cast<const BITMAPINFO*>(&h->BitmapInfo), DIB_RGB_COLORS, SRCCOPY);
      if (old) SetStretchBltMode(dc, old);
      break;
    }
    case tkBit: DrawWithColorKey(dc, ColorToRGB(TransparentColorValue()), r); break;
    case tkPartial: DrawAlphaBlended(dc, r); break;
  }
}

// The image replaces the destination except where its colour is the key.
void TPNGObject::DrawWithColorKey(HDC dc, TColor key, const TRect& r) {
  TChunkIHDR* h = HeaderChunk();
  const int iw = std::abs(h->Width), ih = std::abs(h->Height);
  const int x = std::min(r.left, r.right), y = std::min(r.top, r.bottom);
  const int w = std::abs(r.right - r.left), hgt = std::abs(r.bottom - r.top);
  if (w == 0 || hgt == 0) return;
  HDC imageDC = h->ImageDC;
  // A device bitmap of the image.
  HDC deviceDC = CreateCompatibleDC(dc);
  HBITMAP device = CreateCompatibleBitmap(dc, iw, ih);
  HGDIOBJ oldDevice = SelectObject(deviceDC, device);
  BitBlt(deviceDC, 0, 0, iw, ih, imageDC, 0, 0, SRCCOPY);
  // The mask at the destination's size: 1 where the image has the key colour.
  HDC maskDC = CreateCompatibleDC(dc);
  HBITMAP mask = CreateBitmap(w, hgt, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDC, mask);
  const COLORREF oldBk = SetBkColor(imageDC, static_cast<COLORREF>(key));
  StretchBlt(maskDC, 0, 0, w, hgt, imageDC, 0, 0, iw, ih, SRCCOPY);
  SetBkColor(imageDC, oldBk);
  HDC inverseDC = CreateCompatibleDC(dc);
  HBITMAP inverse = CreateBitmap(w, hgt, 1, 1, nullptr);
  HGDIOBJ oldInverse = SelectObject(inverseDC, inverse);
  BitBlt(inverseDC, 0, 0, w, hgt, maskDC, 0, 0, NOTSRCCOPY);
  // The destination where the key is, the image elsewhere.
  HDC workDC = CreateCompatibleDC(dc);
  HBITMAP work = CreateCompatibleBitmap(dc, w, hgt);
  HGDIOBJ oldWork = SelectObject(workDC, work);
  SetBkColor(workDC, RGB(255, 255, 255));
  SetTextColor(workDC, RGB(0, 0, 0));
  SetBkColor(deviceDC, RGB(255, 255, 255));
  SetTextColor(deviceDC, RGB(0, 0, 0));
  BitBlt(workDC, 0, 0, w, hgt, dc, x, y, SRCCOPY);
  BitBlt(workDC, 0, 0, w, hgt, maskDC, 0, 0, SRCAND);
  StretchBlt(deviceDC, 0, 0, iw, ih, inverseDC, 0, 0, w, hgt, SRCAND);
  StretchBlt(workDC, 0, 0, w, hgt, deviceDC, 0, 0, iw, ih, SRCPAINT);
  BitBlt(dc, x, y, w, hgt, workDC, 0, 0, SRCCOPY);
  SelectObject(workDC, oldWork);
  SelectObject(inverseDC, oldInverse);
  SelectObject(maskDC, oldMask);
  SelectObject(deviceDC, oldDevice);
  DeleteObject(work);
  DeleteObject(inverse);
  DeleteObject(mask);
  DeleteObject(device);
  DeleteDC(workDC);
  DeleteDC(inverseDC);
  DeleteDC(maskDC);
  DeleteDC(deviceDC);
}

// Blends the image over the destination: d := (s * a + (255 - a) * d + 255) shr 8 per channel.
void TPNGObject::DrawAlphaBlended(HDC dc, const TRect& rect) {
  TChunkIHDR* h = HeaderChunk();
  if (rect.right == rect.left || rect.bottom == rect.top) return;
  const int left = std::min(rect.left, rect.right), top = std::min(rect.top, rect.bottom);
  const int w = std::abs(rect.right - rect.left), hgt = std::abs(rect.bottom - rect.top);
  const bool stretch = w != h->Width || hgt != h->Height;
  const double fx = stretch ? double(w) / h->Width : 1.0;
  const double fy = stretch ? double(hgt) / h->Height : 1.0;

  HDC memDC = CreateCompatibleDC(dc);
  if (!memDC) throw EPNGOutMemory();
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -hgt;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(memDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section || !bits) {
    if (section) DeleteObject(section);
    DeleteDC(memDC);
    throw EPNGOutMemory();
  }
  HGDIOBJ old = SelectObject(memDC, section);
  BitBlt(memDC, 0, 0, w, hgt, dc, left, top, SRCCOPY);

  const TChunktRNS* trns = FChunks->FirstOfClass<TChunktRNS>();
  const int storeBits = h->BitmapInfo.bmiHeader.biBitCount;
  auto blend = [](uint8_t& d, unsigned s, unsigned a) { d = static_cast<uint8_t>((s * a + (255 - a) * d + 255) >> 8); };
  // Source column of each destination column, computed once.
  std::vector<int32_t> columns(static_cast<size_t>(w));
  for (int c = 0; c < w; ++c)
    columns[c] = std::min<int32_t>(stretch ? static_cast<int32_t>(std::trunc(c / fx)) : c, h->Width - 1);
  for (int r = 0; r < hgt; ++r) {
    const int32_t sy = std::min<int32_t>(stretch ? static_cast<int32_t>(std::trunc(r / fy)) : r, h->Height - 1);
    const uint8_t* src = PixelRow(sy);
    const uint8_t* alpha = AlphaRow(sy);
    uint8_t* d = static_cast<uint8_t*>(bits) + size_t(r) * size_t(w) * 4;
    for (int c = 0; c < w; ++c, d += 4) {
      const int32_t sx = columns[c];
      switch (h->ColorType) {
        case 6: {
          const unsigned a = alpha[sx];
          if (a == 0) break;
          const uint8_t* s = src + 3 * sx;
          if (a == 255) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
          } else {
            blend(d[0], s[0], a);
            blend(d[1], s[1], a);
            blend(d[2], s[2], a);
          }
          break;
        }
        case 4: {
          const unsigned a = alpha[sx], s = src[sx];
          blend(d[0], s, a);
          blend(d[1], s, a);
          blend(d[2], s, a);
          break;
        }
        case 3: {
          unsigned index;
          if (storeBits == 1) index = (src[sx / 8] >> (7 - sx % 8)) & 1;
          else if (storeBits == 4) index = (sx % 2 == 0) ? src[sx / 2] >> 4 : src[sx / 2] & 15;
          else index = src[sx];
          const unsigned a = trns ? trns->PaletteValues[index] : 255;
          const RGBQUAD& q = h->BitmapInfo.bmiColors[index];
          blend(d[0], q.rgbBlue, a);
          blend(d[1], q.rgbGreen, a);
          blend(d[2], q.rgbRed, a);
          break;
        }
        default: break;
      }
    }
  }
  BitBlt(dc, left, top, w, hgt, memDC, 0, 0, SRCCOPY);
  SelectObject(memDC, old);
  DeleteObject(section);
  DeleteDC(memDC);
}
