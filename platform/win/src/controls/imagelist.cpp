// Image lists: equal-sized images kept as 32-bit pixels with a transparency mask, drawn
// normally, transparently, blended with a colour, or as their mask.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "commctrl.h"
#include "gdi/gdi_internal.h"
#include "internal/handles.h"
#include "internal/modules.h"
#include "winerror.h"
#include "winuser.h"

namespace {

struct Image {
  std::vector<uint32_t> px;   // 0x00RRGGBB, top-down rows
  std::vector<uint8_t> clear;  // 1 where the mask lets the background through
};

struct ImageList : winplat::HandleObject {
  int cx = 0, cy = 0;
  UINT flags = 0;
  COLORREF bk = CLR_NONE;
  std::vector<Image> images;
  int overlays[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};  // 1..15 used
  bool Masked() const { return (flags & ILC_MASK) != 0; }
};

std::shared_ptr<ImageList> Get(HIMAGELIST h) {
  return winplat::HandleTable::Instance().Get<ImageList>(h, winplat::HandleKind::ImageList);
}

uint32_t FromColorRef(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// Cuts a strip of images out of a bitmap (and its mask): as many as fit across.
int AddStrip(ImageList& il, HBITMAP image, HBITMAP mask, bool byColor, COLORREF maskColor, int at) {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  if (!winplat::gdi::ReadBitmapPixels(image, &w, &h, &px)) return -1;
  std::vector<uint32_t> mk;
  int mw = 0, mh = 0;
  bool haveMask = il.Masked() && !byColor && mask && winplat::gdi::ReadBitmapPixels(mask, &mw, &mh, &mk);
  uint32_t key = FromColorRef(maskColor);
  int n = std::max(1, w / il.cx);
  std::vector<Image> out;
  for (int k = 0; k < n; ++k) {
    Image img;
    img.px.assign(static_cast<size_t>(il.cx) * il.cy, 0);
    img.clear.assign(img.px.size(), 0);
    for (int y = 0; y < il.cy && y < h; ++y)
      for (int x = 0; x < il.cx && k * il.cx + x < w; ++x) {
        uint32_t p = px[static_cast<size_t>(y) * w + k * il.cx + x];
        size_t d = static_cast<size_t>(y) * il.cx + x;
        img.px[d] = p;
        if (!il.Masked()) continue;
        if (byColor) {
          img.clear[d] = p == key;
        } else if (haveMask && y < mh && k * il.cx + x < mw) {
          img.clear[d] = mk[static_cast<size_t>(y) * mw + k * il.cx + x] != 0;  // white lets through
        }
      }
    out.push_back(std::move(img));
  }
  if (at < 0 || at > static_cast<int>(il.images.size())) at = static_cast<int>(il.images.size());
  il.images.insert(il.images.begin() + at, out.begin(), out.end());
  return at;
}

uint32_t Blend(uint32_t a, uint32_t b, int percentB) {
  auto ch = [&](int s) {
    int x = static_cast<int>((a >> s) & 0xFF), y = static_cast<int>((b >> s) & 0xFF);
    return static_cast<uint32_t>((x * (100 - percentB) + y * percentB) / 100) << s;
  };
  return ch(16) | ch(8) | ch(0);
}

}  // namespace

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int, int) {
  if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto il = std::make_shared<ImageList>();
  il->cx = cx;
  il->cy = cy;
  il->flags = flags;
  return static_cast<HIMAGELIST>(winplat::HandleTable::Instance().Add(winplat::HandleKind::ImageList, il));
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST h) {
  return winplat::HandleTable::Instance().Remove(h, winplat::HandleKind::ImageList) ? TRUE : FALSE;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST h) {
  auto il = Get(h);
  return il ? static_cast<int>(il->images.size()) : 0;
}

BOOL WINAPI ImageList_SetImageCount(HIMAGELIST h, UINT n) {
  auto il = Get(h);
  if (!il || n > 65536) return FALSE;
  Image blank;
  blank.px.assign(static_cast<size_t>(il->cx) * il->cy, 0);
  blank.clear.assign(blank.px.size(), 0);
  il->images.resize(n, blank);
  return TRUE;
}

int WINAPI ImageList_Add(HIMAGELIST h, HBITMAP image, HBITMAP mask) {
  auto il = Get(h);
  return il ? AddStrip(*il, image, mask, false, 0, -1) : -1;
}

int WINAPI ImageList_AddMasked(HIMAGELIST h, HBITMAP image, COLORREF maskColor) {
  auto il = Get(h);
  return il ? AddStrip(*il, image, nullptr, true, maskColor, -1) : -1;
}

// The icon is taken apart into its picture and mask, scaled to the list's size; index -1
// appends it.
int WINAPI ImageList_ReplaceIcon(HIMAGELIST h, int i, HICON icon) {
  auto il = Get(h);
  if (!il || i < -1 || i >= static_cast<int>(il->images.size())) return -1;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return -1;
  ImageList tmp;
  tmp.cx = il->cx;
  tmp.cy = il->cy;
  tmp.flags = il->flags | ILC_MASK;
  int w = 0, hh = 0;
  std::vector<uint32_t> px, mk;
  bool ok = winplat::gdi::ReadBitmapPixels(info.hbmColor, &w, &hh, &px) && winplat::gdi::ReadBitmapPixels(info.hbmMask, &w, &hh, &mk);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  if (!ok) return -1;
  Image img;
  img.px.assign(static_cast<size_t>(il->cx) * il->cy, 0);
  img.clear.assign(img.px.size(), 0);
  for (int y = 0; y < il->cy; ++y)
    for (int x = 0; x < il->cx; ++x) {
      size_t s = static_cast<size_t>(y * hh / il->cy) * w + static_cast<size_t>(x * w / il->cx);
      size_t d = static_cast<size_t>(y) * il->cx + x;
      img.px[d] = px[s];
      img.clear[d] = il->Masked() && mk[s] != 0;
    }
  if (i == -1) {
    il->images.push_back(std::move(img));
    return static_cast<int>(il->images.size()) - 1;
  }
  il->images[static_cast<size_t>(i)] = std::move(img);
  return i;
}

// A new icon of image i (its picture and mask); the caller destroys it.
HICON WINAPI ImageList_GetIcon(HIMAGELIST h, int i, UINT) {
  auto il = Get(h);
  if (!il || i < 0 || i >= static_cast<int>(il->images.size())) return nullptr;
  const Image& img = il->images[static_cast<size_t>(i)];
  std::vector<uint32_t> color(img.px.size()), mask(img.px.size());
  for (size_t k = 0; k < img.px.size(); ++k) {
    bool clear = il->Masked() && img.clear[k];
    color[k] = clear ? 0 : img.px[k];
    mask[k] = clear ? 0x00FFFFFFu : 0;
  }
  ICONINFO info{TRUE, 0, 0, winplat::gdi::CreatePixelsBitmap(il->cx, il->cy, mask.data()),
                winplat::gdi::CreatePixelsBitmap(il->cx, il->cy, color.data())};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return icon;
}

// Names image `image` as overlay 1..15 (INDEXTOOVERLAYMASK in a drawing style draws it on top).
BOOL WINAPI ImageList_SetOverlayImage(HIMAGELIST h, int image, int overlay) {
  auto il = Get(h);
  if (!il || overlay < 1 || overlay > 15 || image < -1 || image >= static_cast<int>(il->images.size())) return FALSE;
  il->overlays[overlay] = image;
  return TRUE;
}

BOOL WINAPI ImageList_Replace(HIMAGELIST h, int i, HBITMAP image, HBITMAP mask) {
  auto il = Get(h);
  if (!il || i < 0 || i >= static_cast<int>(il->images.size())) return FALSE;
  ImageList tmp;
  tmp.cx = il->cx;
  tmp.cy = il->cy;
  tmp.flags = il->flags;
  if (AddStrip(tmp, image, mask, false, 0, -1) < 0) return FALSE;
  il->images[static_cast<size_t>(i)] = std::move(tmp.images.front());
  return TRUE;
}

BOOL WINAPI ImageList_Remove(HIMAGELIST h, int i) {
  auto il = Get(h);
  if (!il) return FALSE;
  if (i == -1) {
    il->images.clear();
    return TRUE;
  }
  if (i < 0 || i >= static_cast<int>(il->images.size())) return FALSE;
  il->images.erase(il->images.begin() + i);
  return TRUE;
}

COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST h, COLORREF c) {
  auto il = Get(h);
  if (!il) return CLR_NONE;
  COLORREF old = il->bk;
  il->bk = c;
  return old;
}

COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST h) {
  auto il = Get(h);
  return il ? il->bk : CLR_NONE;
}

BOOL WINAPI ImageList_DrawEx(HIMAGELIST h, int i, HDC dst, int x, int y, int dx, int dy, COLORREF bk,
                             COLORREF fg, UINT style) {
  auto il = Get(h);
  if (!il || i < 0 || i >= static_cast<int>(il->images.size()) || !dst) return FALSE;
  const Image& img = il->images[static_cast<size_t>(i)];
  int w = dx > 0 ? std::min(dx, il->cx) : il->cx;
  int hgt = dy > 0 ? std::min(dy, il->cy) : il->cy;
  if (bk == CLR_DEFAULT) bk = il->bk;
  bool transparent = il->Masked() && ((style & ILD_TRANSPARENT) || bk == CLR_NONE);
  int blend = (style & ILD_BLEND50) ? 50 : (style & ILD_BLEND25) ? 25 : 0;
  COLORREF fgc = fg == CLR_DEFAULT || fg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : fg;

  // Compose on a copy of what is under the image, then put it back in one blit.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -hgt;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP tmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!tmp) return FALSE;
  HDC mem = CreateCompatibleDC(dst);
  HGDIOBJ old = SelectObject(mem, tmp);
  BitBlt(mem, 0, 0, w, hgt, dst, x, y, SRCCOPY);
  auto* out = static_cast<uint32_t*>(bits);
  for (int yy = 0; yy < hgt; ++yy)
    for (int xx = 0; xx < w; ++xx) {
      size_t s = static_cast<size_t>(yy) * il->cx + xx;
      uint32_t& d = out[static_cast<size_t>(yy) * w + xx];
      bool clear = il->Masked() && img.clear[s];
      if (style & ILD_MASK) {
        d = clear ? 0x00FFFFFFu : 0;
        continue;
      }
      if (style & ILD_IMAGE) {  // the picture alone: black where the mask lets through
        d = clear ? 0 : img.px[s];
        continue;
      }
      if (clear) {
        if (!transparent) d = FromColorRef(bk);
        continue;
      }
      d = blend ? Blend(img.px[s], FromColorRef(fgc), blend) : img.px[s];
    }
  BitBlt(dst, x, y, w, hgt, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(tmp);
  // The overlay image goes on top, always transparently.
  int overlay = static_cast<int>((style & ILD_OVERLAYMASK) >> 8);
  if (overlay >= 1 && overlay <= 15 && il->overlays[overlay] >= 0 && il->overlays[overlay] != i)
    ImageList_DrawEx(h, il->overlays[overlay], dst, x, y, dx, dy, CLR_NONE, fg, ILD_TRANSPARENT | (style & (ILD_BLEND25 | ILD_BLEND50)));
  return TRUE;
}

BOOL WINAPI ImageList_Draw(HIMAGELIST h, int i, HDC dst, int x, int y, UINT style) {
  return ImageList_DrawEx(h, i, dst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST h, int* cx, int* cy) {
  auto il = Get(h);
  if (!il || !cx || !cy) return FALSE;
  *cx = il->cx;
  *cy = il->cy;
  return TRUE;
}

// A new size empties the list, as on the platform.
BOOL WINAPI ImageList_SetIconSize(HIMAGELIST h, int cx, int cy) {
  auto il = Get(h);
  if (!il || cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) return FALSE;
  il->cx = cx;
  il->cy = cy;
  il->images.clear();
  return TRUE;
}

// The images are not kept as bitmaps: the answer gives the image's rectangle in the list's
// strip, with no bitmap handles.
BOOL WINAPI ImageList_GetImageInfo(HIMAGELIST h, int i, IMAGEINFO* info) {
  auto il = Get(h);
  if (!il || !info || i < 0 || i >= static_cast<int>(il->images.size())) return FALSE;
  std::memset(info, 0, sizeof(*info));
  info->rcImage = RECT{i * il->cx, 0, (i + 1) * il->cx, il->cy};
  return TRUE;
}

HIMAGELIST WINAPI ImageList_Duplicate(HIMAGELIST h) {
  auto il = Get(h);
  if (!il) return nullptr;
  auto copy = std::make_shared<ImageList>(*il);
  return static_cast<HIMAGELIST>(winplat::HandleTable::Instance().Add(winplat::HandleKind::ImageList, copy));
}

VSE_EXPORT("comctl32.dll", ImageList_Create);
VSE_EXPORT("comctl32.dll", ImageList_Destroy);
VSE_EXPORT("comctl32.dll", ImageList_GetImageCount);
VSE_EXPORT("comctl32.dll", ImageList_Add);
VSE_EXPORT("comctl32.dll", ImageList_AddMasked);
VSE_EXPORT("comctl32.dll", ImageList_Remove);
VSE_EXPORT("comctl32.dll", ImageList_Draw);
VSE_EXPORT("comctl32.dll", ImageList_DrawEx);
VSE_EXPORT("comctl32.dll", ImageList_SetBkColor);
VSE_EXPORT("comctl32.dll", ImageList_GetBkColor);
VSE_EXPORT("comctl32.dll", ImageList_ReplaceIcon);
VSE_EXPORT("comctl32.dll", ImageList_GetIcon);
VSE_EXPORT("comctl32.dll", ImageList_SetOverlayImage);
