// Icons: pictures with a transparency mask, made from bitmaps or standard (IDI_*), copied,
// taken apart into bitmaps again, and drawn on a DC.
#include <algorithm>
#include <memory>
#include <vector>

#include "gdi/fonts_realise.h"
#include "internal/wide_calls.h"
#include "user/user_internal.h"
#include "winerror.h"

namespace winplat::user {
namespace {

struct IconObject : HandleObject {
  int w = 0, h = 0;
  std::vector<uint32_t> px;     // 0x00RRGGBB, top-down
  std::vector<uint8_t> clear;   // 1 where the background shows
  DWORD hotX = 0, hotY = 0;
  bool isIcon = true;
  bool shared = false;          // the standard icons: never destroyed
};

std::shared_ptr<IconObject> GetIcon(HICON h) {
  auto o = HandleTable::Instance().Get<IconObject>(h, HandleKind::Icon);
  if (!o) SetLastError(ERROR_INVALID_CURSOR_HANDLE);
  return o;
}

using gdi::CreatePixelsBitmap;
using gdi::ReadBitmapPixels;

HICON AddIcon(std::shared_ptr<IconObject> o) {
  return static_cast<HICON>(HandleTable::Instance().Add(HandleKind::Icon, std::move(o)));
}

// The standard icons: a coloured disc with its sign (the application's is a small window).
// Painted once and kept for the process, so the sign never takes the test font.
std::shared_ptr<IconObject> PaintStandardIcon(ULONG_PTR id) {
  gdi::InstalledFontsOnly realFonts;
  constexpr int kSize = 32;
  constexpr COLORREF kKey = RGB(255, 0, 255);
  HBITMAP bm = CreatePixelsBitmap(kSize, kSize, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldBm = SelectObject(dc, bm);
  RECT all{0, 0, kSize, kSize};
  HBRUSH key = CreateSolidBrush(kKey);
  FillRect(dc, &all, key);
  DeleteObject(key);
  auto fill = [&](COLORREF c, auto&& shape) {
    HBRUSH b = CreateSolidBrush(c);
    HPEN p = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, p);
    shape();
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(b);
    DeleteObject(p);
  };
  if (id == 32512 || id == 32517) {  // IDI_APPLICATION, IDI_WINLOGO
    fill(RGB(0, 0, 0), [&] { Rectangle(dc, 2, 4, 30, 28); });
    fill(RGB(255, 255, 255), [&] { Rectangle(dc, 3, 9, 29, 27); });
    fill(RGB(0, 0, 128), [&] { Rectangle(dc, 3, 5, 29, 9); });
  } else {
    COLORREF c = id == 32513 ? RGB(200, 0, 0) : id == 32515 ? RGB(230, 180, 0) : RGB(0, 70, 200);
    const char16_t* sign = id == 32513 ? u"×" : id == 32514 ? u"?" : id == 32515 ? u"!" : u"i";
    fill(c, [&] { Ellipse(dc, 0, 0, kSize, kSize); });
    LOGFONTW lf{};
    lf.lfHeight = -20;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    std::u16string face = u"MS UI Gothic";
    face.copy(lf.lfFaceName, face.size());
    HFONT f = CreateFontIndirectW(&lf);
    HGDIOBJ of = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, id == 32515 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    DrawTextW(dc, sign, -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, of);
    DeleteObject(f);
  }
  SelectObject(dc, oldBm);
  DeleteDC(dc);
  auto o = std::make_shared<IconObject>();
  int w = 0, h = 0;
  ReadBitmapPixels(bm, &w, &h, &o->px);
  o->w = o->h = kSize;
  o->clear.resize(o->px.size());
  const uint32_t k = (GetRValue(kKey) << 16) | (GetGValue(kKey) << 8) | GetBValue(kKey);
  for (size_t i = 0; i < o->px.size(); ++i) {
    o->clear[i] = o->px[i] == k;
    if (o->clear[i]) o->px[i] = 0;
  }
  DeleteObject(bm);
  o->hotX = o->hotY = kSize / 2;
  o->shared = true;
  return o;
}

}  // namespace
}  // namespace winplat::user

using namespace winplat::user;
using winplat::HandleKind;
using winplat::HandleTable;

// The colour bitmap with the mask (white where the background shows); without a colour bitmap
// the mask is twice as high: its top half the mask, its bottom half the picture.
HICON WINAPI CreateIconIndirect(PICONINFO info) {
  if (!info || !info->hbmMask) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  int mw = 0, mh = 0;
  std::vector<uint32_t> mask;
  if (!ReadBitmapPixels(info->hbmMask, &mw, &mh, &mask)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto o = std::make_shared<IconObject>();
  std::vector<uint32_t> color;
  int cw = 0, ch = 0;
  if (info->hbmColor) {
    if (!ReadBitmapPixels(info->hbmColor, &cw, &ch, &color)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    o->w = cw;
    o->h = ch;
  } else {
    o->w = mw;
    o->h = mh / 2;
    if (o->h <= 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    color.assign(mask.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(mw) * o->h), mask.end());
  }
  size_t n = static_cast<size_t>(o->w) * o->h;
  o->px.assign(n, 0);
  o->clear.assign(n, 0);
  for (int y = 0; y < o->h; ++y)
    for (int x = 0; x < o->w; ++x) {
      size_t d = static_cast<size_t>(y) * o->w + x;
      o->px[d] = color[d];
      if (x < mw && y < mh) o->clear[d] = mask[static_cast<size_t>(y) * mw + x] != 0;
    }
  o->isIcon = info->fIcon != FALSE;
  o->hotX = info->fIcon ? static_cast<DWORD>(o->w / 2) : info->xHotspot;
  o->hotY = info->fIcon ? static_cast<DWORD>(o->h / 2) : info->yHotspot;
  return AddIcon(o);
}

// New bitmaps of the picture (black where the background shows) and of the mask; the caller
// deletes them.
BOOL WINAPI GetIconInfo(HICON icon, PICONINFO info) {
  auto o = GetIcon(icon);
  if (!o || !info) return FALSE;
  std::vector<uint32_t> mask(o->clear.size());
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = o->clear[i] ? 0x00FFFFFFu : 0;
  info->fIcon = o->isIcon ? TRUE : FALSE;
  info->xHotspot = o->hotX;
  info->yHotspot = o->hotY;
  info->hbmColor = CreatePixelsBitmap(o->w, o->h, o->px.data());
  info->hbmMask = CreatePixelsBitmap(o->w, o->h, mask.data());
  return info->hbmColor && info->hbmMask ? TRUE : FALSE;
}

HICON WINAPI CopyIcon(HICON icon) {
  auto o = GetIcon(icon);
  if (!o) return nullptr;
  auto copy = std::make_shared<IconObject>(*o);
  copy->shared = false;
  return AddIcon(copy);
}

// The standard icons are shared: destroying one answers TRUE and keeps it.
BOOL WINAPI DestroyIcon(HICON icon) {
  auto o = GetIcon(icon);
  if (!o) return FALSE;
  if (!o->shared) HandleTable::Instance().Remove(icon, HandleKind::Icon);
  return TRUE;
}

HICON WINAPI LoadIconW(HINSTANCE inst, LPCWSTR name) {
  if (VSE_WIDE_CALL_REFUSED()) return nullptr;
  const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(name);
  if (inst || !IS_INTRESOURCE(name) || id < 32512 || id > 32517) {
    SetLastError(1814);  // ERROR_RESOURCE_NAME_NOT_FOUND
    return nullptr;
  }
  static std::vector<std::pair<ULONG_PTR, HICON>> made;
  for (auto& m : made)
    if (m.first == id) return m.second;
  HICON h = AddIcon(PaintStandardIcon(id));
  made.push_back({id, h});
  return h;
}
HICON WINAPI LoadIconA(HINSTANCE inst, LPCSTR name) { return LoadIconW(inst, reinterpret_cast<LPCWSTR>(name)); }

// Draws the icon at (x, y), stretched to cx by cy (0: its own size, or with DI_DEFAULTSIZE the
// system's icon size). DI_MASK draws the mask, DI_IMAGE the picture alone, both the icon.
BOOL WINAPI DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH background, UINT flags) {
  auto o = GetIcon(icon);
  if (!o || !dc) return FALSE;
  if (!(flags & DI_NORMAL)) flags |= DI_NORMAL;
  if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : o->w;
  if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : o->h;
  if (cx <= 0 || cy <= 0) return FALSE;
  uint32_t* out = nullptr;
  HBITMAP tmp = CreatePixelsBitmap(cx, cy, nullptr, &out);
  if (!tmp) return FALSE;
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, tmp);
  RECT all{0, 0, cx, cy};
  if (background) FillRect(mem, &all, background);
  else BitBlt(mem, 0, 0, cx, cy, dc, x, y, SRCCOPY);
  bool mask = (flags & DI_MASK) != 0, image = (flags & DI_IMAGE) != 0;
  for (int yy = 0; yy < cy; ++yy)
    for (int xx = 0; xx < cx; ++xx) {
      size_t s = static_cast<size_t>(yy * o->h / cy) * o->w + static_cast<size_t>(xx * o->w / cx);
      uint32_t& d = out[static_cast<size_t>(yy) * cx + xx];
      bool clear = o->clear[s] != 0;
      if (mask && !image) d = clear ? 0x00FFFFFFu : 0;
      else if (image && !mask) d = o->px[s];
      else if (!clear) d = o->px[s];
    }
  BitBlt(dc, x, y, cx, cy, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(tmp);
  return TRUE;
}

BOOL WINAPI DrawIcon(HDC dc, int x, int y, HICON icon) { return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }

VSE_EXPORT("user32.dll", CreateIconIndirect);
VSE_EXPORT("user32.dll", GetIconInfo);
VSE_EXPORT("user32.dll", CopyIcon);
VSE_EXPORT("user32.dll", DestroyIcon);
VSE_EXPORT("user32.dll", LoadIconA);
VSE_EXPORT("user32.dll", LoadIconW);
VSE_EXPORT("user32.dll", DrawIconEx);
VSE_EXPORT("user32.dll", DrawIcon);
