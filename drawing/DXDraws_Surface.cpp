// TDirectDrawSurface and its canvas.
#include <algorithm>
#include <cstring>

#include "DXDraws.h"
#include "DXPixelRow.h"
#include "DXRender.h"

namespace {

const DWORD kBltFastFlags[2] = {DDBLTFAST_WAIT, DDBLTFAST_WAIT | DDBLTFAST_SRCCOLORKEY};
const DWORD kBltFlags[2] = {DDBLT_WAIT, DDBLT_WAIT | DDBLT_KEYSRC};
constexpr DWORD kIndexedFlags = DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8;

DDBLTFX EmptyFX() {
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  return fx;
}

IDirectDrawSurface7* QuerySurface(IDirectDrawSurface7* s, REFIID iid) {
  void* p = nullptr;
  if (FAILED(s->QueryInterface(iid, &p))) return nullptr;
  return static_cast<IDirectDrawSurface7*>(p);
}

void ReleaseInterface(IDirectDrawSurface7*& p) {
  if (p) p->Release();
  p = nullptr;
}

// Valid start offsets i of a copy along one axis: destination pos + i inside [0, destSize) and
// the source index (mirrored: srcEnd - 1 - i, else srcStart + i) inside [0, srcSize).
void AxisRange(int64_t pos, int64_t length, int64_t srcStart, int64_t srcEnd, int64_t destSize, int64_t srcSize,
               bool mirrored, int64_t& i0, int64_t& i1) {
  i0 = std::max<int64_t>(0, -pos);
  i1 = std::min<int64_t>(length, destSize - pos);
  if (mirrored) {
    i0 = std::max(i0, srcEnd - srcSize);
    i1 = std::min(i1, srcEnd);
  } else {
    i0 = std::max(i0, -srcStart);
    i1 = std::min(i1, srcSize - srcStart);
  }
}

}  // namespace

bool ClipRects(TRect& DestRect, TRect& SrcRect, const TRect& DestClip, const TRect& SrcClip) {
  if (DestRect.left < DestClip.left) {
    SrcRect.left += DestClip.left - DestRect.left;
    DestRect.left = DestClip.left;
  }
  if (DestRect.top < DestClip.top) {
    SrcRect.top += DestClip.top - DestRect.top;
    DestRect.top = DestClip.top;
  }
  if (SrcRect.left < SrcClip.left) {
    DestRect.left += SrcClip.left - SrcRect.left;
    SrcRect.left = SrcClip.left;
  }
  if (SrcRect.top < SrcClip.top) {
    DestRect.top += SrcClip.top - SrcRect.top;
    SrcRect.top = SrcClip.top;
  }
  if (DestRect.right > DestClip.right) {
    SrcRect.right -= DestRect.right - DestClip.right;
    DestRect.right = DestClip.right;
  }
  if (DestRect.bottom > DestClip.bottom) {
    SrcRect.bottom -= DestRect.bottom - DestClip.bottom;
    DestRect.bottom = DestClip.bottom;
  }
  if (SrcRect.right > SrcClip.right) {
    DestRect.right -= SrcRect.right - SrcClip.right;
    SrcRect.right = SrcClip.right;
  }
  if (SrcRect.bottom > SrcClip.bottom) {
    DestRect.bottom -= SrcRect.bottom - SrcClip.bottom;
    SrcRect.bottom = SrcClip.bottom;
  }
  return DestRect.left < DestRect.right && DestRect.top < DestRect.bottom && SrcRect.left < SrcRect.right &&
         SrcRect.top < SrcRect.bottom;
}

// ---- Canvas ----------------------------------------------------------------------------------

TDirectDrawSurfaceCanvas::~TDirectDrawSurfaceCanvas() { Release(); }

void TDirectDrawSurfaceCanvas::CreateHandle() {
  if (!FSurface || !FSurface->IDDSurface()) return;
  HDC dc = nullptr;
  const HRESULT hr = FSurface->IDDSurface()->GetDC(&dc);
  FSurface->SetResultCode(hr);
  if (hr == DD_OK) {
    FDC = dc;
    SetHandle(dc);
  }
}

void TDirectDrawSurfaceCanvas::Release() {
  if (FSurface && FSurface->IDDSurface() && FDC) {
    SetHandle(nullptr);
    FSurface->IDDSurface()->ReleaseDC(FDC);
    FDC = nullptr;
  }
}

// ---- Surface ---------------------------------------------------------------------------------

TDirectDrawSurface::TDirectDrawSurface(TDirectDraw* ADirectDraw) : FDDraw(ADirectDraw) {
  if (FDDraw) FDDraw->FSurfaces.push_back(this);
}

TDirectDrawSurface::~TDirectDrawSurface() {
  FCanvas.reset();
  DropInterfaces();
  if (FDDraw) {
    auto& list = FDDraw->FSurfaces;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TDirectDrawSurface::Detach() {
  SetIDDSurface(nullptr);
  auto& list = FDDraw->FSurfaces;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  FDDraw = nullptr;
}

void TDirectDrawSurface::DropInterfaces() {
  if (FCanvas) FCanvas->Release();
  if (FLockCount > 0 && FIDDSurface) FIDDSurface->Unlock(nullptr);
  ReleaseInterface(FIDDSurface7);
  ReleaseInterface(FIDDSurface4);
  ReleaseInterface(FIDDSurface);
}

IDirectDrawSurface7* TDirectDrawSurface::ISurface() const {
  if (!FIDDSurface) throw EDirectDrawSurfaceError(Format(SNotMade, {"IDirectDrawSurface"}));
  return FIDDSurface;
}
IDirectDrawSurface7* TDirectDrawSurface::ISurface4() const {
  if (!FIDDSurface4) throw EDirectDrawSurfaceError(Format(SNotMade, {"IDirectDrawSurface4"}));
  return FIDDSurface4;
}
IDirectDrawSurface7* TDirectDrawSurface::ISurface7() const {
  if (!FIDDSurface7) throw EDirectDrawSurfaceError(Format(SNotMade, {"IDirectDrawSurface7"}));
  return FIDDSurface7;
}

void TDirectDrawSurface::SetIDDSurface(IDirectDrawSurface7* Value) {
  if (Value && Value == FIDDSurface) return;
  DropInterfaces();
  FHasClipper = false;
  FLockCount = 0;
  std::memset(&FSurfaceDesc, 0, sizeof FSurfaceDesc);
  if (!Value) return;
  FIDDSurface = QuerySurface(Value, IID_IDirectDrawSurface);
  FIDDSurface4 = QuerySurface(Value, IID_IDirectDrawSurface4);
  if (FDDraw && FDDraw->IDDraw7()) FIDDSurface7 = QuerySurface(Value, IID_IDirectDrawSurface7);
  if (!FIDDSurface) return;
  IDirectDrawClipper* clipper = nullptr;
  if (FIDDSurface->GetClipper(&clipper) == DD_OK && clipper) {
    FHasClipper = true;
    clipper->Release();
  }
  FSurfaceDesc.dwSize = sizeof FSurfaceDesc;
  SetResultCode(FIDDSurface->GetSurfaceDesc(&FSurfaceDesc));
  // No gamma control: the driver never reports primary gamma.
}

bool TDirectDrawSurface::CreateSurface(DDSURFACEDESC2& SurfaceDesc) {
  SetIDDSurface(nullptr);
  if (!FDDraw) return false;
  IDirectDrawSurface7* s = nullptr;
  SurfaceDesc.dwSize = sizeof SurfaceDesc;
  const HRESULT hr = FDDraw->IDraw()->CreateSurface(&SurfaceDesc, &s, nullptr);
  SetResultCode(hr);
  if (hr != DD_OK) return false;
  SetIDDSurface(s);
  s->Release();
  SetTransparentColor(0);
  return true;
}

void TDirectDrawSurface::SetSize(int32_t AWidth, int32_t AHeight) {
  if (AWidth <= 0 || AHeight <= 0) {
    SetIDDSurface(nullptr);
    return;
  }
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (FSystemMemory ? DDSCAPS_SYSTEMMEMORY : 0);
  d.dwWidth = static_cast<DWORD>(AWidth);
  d.dwHeight = static_cast<DWORD>(AHeight);
  if (CreateSurface(d)) return;
  if (!(d.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY)) {
    d.ddsCaps.dwCaps = (d.ddsCaps.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
    if (CreateSurface(d)) {
      FSystemMemory = true;
      return;
    }
  }
  throw EDirectDrawSurfaceError(Format(SCannotMade, {SDirectDrawSurface}));
}

bool TDirectDrawSurface::Blt(const TRect& DestRect, TDirectDrawSurface* Source, const TRect& SrcRect, DWORD Flags,
                             const DDBLTFX& DF) {
  if (!FIDDSurface) return false;
  RECT d = DestRect, s = SrcRect;
  DDBLTFX fx = DF;
  const HRESULT hr = FIDDSurface->Blt(&d, Source ? Source->FIDDSurface : nullptr, Source ? &s : nullptr, Flags, &fx);
  SetResultCode(hr);
  return hr == DD_OK;
}

bool TDirectDrawSurface::BltFast(int32_t X, int32_t Y, TDirectDrawSurface* Source, const TRect& SrcRect, DWORD Flags) {
  if (!FIDDSurface || !Source) return false;
  RECT s = SrcRect;
  const HRESULT hr = FIDDSurface->BltFast(static_cast<DWORD>(X), static_cast<DWORD>(Y), Source->FIDDSurface, &s, Flags);
  SetResultCode(hr);
  return hr == DD_OK;
}

void TDirectDrawSurface::Draw(int32_t X, int32_t Y, const TRect& SrcRect, TDirectDrawSurface* Source, bool Transparent) {
  if (!Source || !FIDDSurface || !Source->FIDDSurface || X > Width() || Y > Height()) return;
  const int t = Transparent ? 1 : 0;
  if (SrcRect.right >= SrcRect.left && SrcRect.bottom >= SrcRect.top) {
    TRect dest = Rect(X, Y, X + (SrcRect.right - SrcRect.left), Y + (SrcRect.bottom - SrcRect.top));
    TRect src = SrcRect;
    if (!ClipRects(dest, src, ClientRect(), Source->ClientRect())) return;
    if (FHasClipper) {
      Blt(dest, Source, src, kBltFlags[t], EmptyFX());
      return;
    }
    if (!BltFast(dest.left, dest.top, Source, src, kBltFastFlags[t]) && ErrorCode() == DDERR_BLTFASTCANTCLIP) {
      IDirectDrawClipper* clipper = nullptr;
      if (FIDDSurface->GetClipper(&clipper) == DD_OK && clipper) {
        FHasClipper = true;
        clipper->Release();
      }
      Blt(dest, Source, src, kBltFlags[t], EmptyFX());
    }
    return;
  }
  // Mirrored: destination column i shows source column Right0 - 1 - i of the (swapped) rectangle,
  // so the rectangle is reflected within itself, whatever part of it stays visible.
  if (std::abs(SrcRect.left - SrcRect.right) + X <= 0 || std::abs(SrcRect.top - SrcRect.bottom) + Y <= 0) return;
  DDBLTFX fx = EmptyFX();
  TRect src = SrcRect;
  const bool mirrorX = src.right < src.left, mirrorY = src.bottom < src.top;
  if (mirrorX) {
    std::swap(src.left, src.right);
    fx.dwDDFX |= DDBLTFX_MIRRORLEFTRIGHT;
  }
  if (mirrorY) {
    std::swap(src.top, src.bottom);
    fx.dwDDFX |= DDBLTFX_MIRRORUPDOWN;
  }
  int64_t x0, x1, y0, y1;
  AxisRange(X, src.right - src.left, src.left, src.right, Width(), Source->Width(), mirrorX, x0, x1);
  AxisRange(Y, src.bottom - src.top, src.top, src.bottom, Height(), Source->Height(), mirrorY, y0, y1);
  if (x0 >= x1 || y0 >= y1) return;
  const TRect dest = Rect(static_cast<int32_t>(X + x0), static_cast<int32_t>(Y + y0), static_cast<int32_t>(X + x1),
                          static_cast<int32_t>(Y + y1));
  TRect from;
  from.left = static_cast<int32_t>(mirrorX ? src.right - x1 : src.left + x0);
  from.right = static_cast<int32_t>(mirrorX ? src.right - x0 : src.left + x1);
  from.top = static_cast<int32_t>(mirrorY ? src.bottom - y1 : src.top + y0);
  from.bottom = static_cast<int32_t>(mirrorY ? src.bottom - y0 : src.top + y1);
  Blt(dest, Source, from, kBltFlags[t] | DDBLT_DDFX, fx);
}

void TDirectDrawSurface::StretchDraw(const TRect& DestRect, const TRect& SrcRect, TDirectDrawSurface* Source,
                                     bool Transparent) {
  if (!Source || !FIDDSurface || !Source->FIDDSurface) return;
  const int64_t dw = DestRect.right - DestRect.left, dh = DestRect.bottom - DestRect.top;
  const int64_t sw = SrcRect.right - SrcRect.left, sh = SrcRect.bottom - SrcRect.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  // Clip in source pixels first (whole source pixels only), then the destination, keeping the
  // scale: destination pixel d shows source pixel SrcRect.left + (d - DestRect.left) * sw / dw.
  TRect src = SrcRect;
  src.left = std::max(src.left, 0);
  src.top = std::max(src.top, 0);
  src.right = std::min(src.right, Source->Width());
  src.bottom = std::min(src.bottom, Source->Height());
  if (src.left >= src.right || src.top >= src.bottom) return;
  auto destOf = [](int64_t s, int64_t s0, int64_t d0, int64_t sLen, int64_t dLen) {
    return d0 + ((s - s0) * dLen + sLen - 1) / sLen;  // first destination pixel showing s
  };
  int64_t l = destOf(src.left, SrcRect.left, DestRect.left, sw, dw);
  int64_t r = destOf(src.right, SrcRect.left, DestRect.left, sw, dw);
  int64_t t = destOf(src.top, SrcRect.top, DestRect.top, sh, dh);
  int64_t b = destOf(src.bottom, SrcRect.top, DestRect.top, sh, dh);
  l = std::max<int64_t>(l, 0);
  t = std::max<int64_t>(t, 0);
  r = std::min<int64_t>(r, Width());
  b = std::min<int64_t>(b, Height());
  if (l >= r || t >= b) return;
  // The source rectangle for the clipped destination, at the same scale.
  const int64_t sl = SrcRect.left + (l - DestRect.left) * sw / dw, st = SrcRect.top + (t - DestRect.top) * sh / dh;
  const int64_t sr = SrcRect.left + ((r - 1 - DestRect.left) * sw / dw) + 1;
  const int64_t sb = SrcRect.top + ((b - 1 - DestRect.top) * sh / dh) + 1;
  if (r - l == (DestRect.right - DestRect.left) && b - t == (DestRect.bottom - DestRect.top)) {
    Blt(DestRect, Source, SrcRect, kBltFlags[Transparent ? 1 : 0], EmptyFX());
    return;
  }
  Blt(Rect(static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r), static_cast<int32_t>(b)), Source,
      Rect(static_cast<int32_t>(sl), static_cast<int32_t>(st), static_cast<int32_t>(sr), static_cast<int32_t>(sb)),
      kBltFlags[Transparent ? 1 : 0], EmptyFX());
}

void TDirectDrawSurface::DrawAlpha(const TRect& DestRect, const TRect& SrcRect, TDirectDrawSurface* Source,
                                   bool Transparent, int32_t Alpha) {
  if (!Source || !FIDDSurface || !Source->FIDDSurface || Width() == 0 || Height() == 0 || Source->Width() == 0 ||
      Source->Height() == 0 || Alpha <= 0)
    return;
  DXRender::TPixelDescriptor dest, src;
  DDSURFACEDESC2 srcDesc{};
  if (!DXRender::LockSurface(FIDDSurface, dest)) return;
  if (!DXRender::LockSurface(Source->FIDDSurface, src, srcDesc)) {
    DXRender::UnlockSurface(FIDDSurface, dest);
    return;
  }
  const uint8_t mode = dest.Kind == DXRender::pdkRGB && Alpha < 255 ? 10 : 1;
  try {
    DXRender::DrawRectBlend(dest, src, DestRect, srcDesc.ddckCKSrcBlt.dwColorSpaceLowValue, Transparent, Alpha, mode,
                            SrcRect);
  } catch (...) {
    DXRender::UnlockSurface(Source->FIDDSurface, src);
    DXRender::UnlockSurface(FIDDSurface, dest);
    throw;
  }
  DXRender::UnlockSurface(Source->FIDDSurface, src);
  DXRender::UnlockSurface(FIDDSurface, dest);
}

void TDirectDrawSurface::DrawRotateAlpha(int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, const TRect& SrcRect,
                                         TDirectDrawSurface* Source, double CenterX, double CenterY, bool Transparent,
                                         int32_t Angle, int32_t Alpha) {
  if (Alpha <= 0) return;
  if (!Source || !FIDDSurface || !Source->FIDDSurface || Width() == 0 || Height() == 0 || AWidth == 0 ||
      AHeight == 0 || Source->Width() == 0 || Source->Height() == 0)
    return;
  DXRender::TPixelDescriptor dest, src;
  DDSURFACEDESC2 srcDesc{};
  if (!DXRender::LockSurface(FIDDSurface, dest)) return;
  if (!DXRender::LockSurface(Source->FIDDSurface, src, srcDesc)) {
    DXRender::UnlockSurface(FIDDSurface, dest);
    return;
  }
  const uint8_t mode = dest.Kind == DXRender::pdkRGB && Alpha < 255 ? 10 : 1;
  try {
    DXRender::DrawRotatedBlend(dest, src, X, Y, AWidth, AHeight, CenterX, CenterY, Angle & 0xFF, SrcRect,
                               srcDesc.ddckCKSrcBlt.dwColorSpaceLowValue, Transparent, Alpha, mode);
  } catch (...) {
    DXRender::UnlockSurface(Source->FIDDSurface, src);
    DXRender::UnlockSurface(FIDDSurface, dest);
    throw;
  }
  DXRender::UnlockSurface(Source->FIDDSurface, src);
  DXRender::UnlockSurface(FIDDSurface, dest);
}

void TDirectDrawSurface::DrawRotate(int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, const TRect& SrcRect,
                                    TDirectDrawSurface* Source, double CenterX, double CenterY, bool Transparent,
                                    int32_t Angle) {
  if (!Source || !FIDDSurface || !Source->FIDDSurface || Width() == 0 || Height() == 0 || AWidth == 0 ||
      AHeight == 0 || Source->Width() == 0 || Source->Height() == 0)
    return;
  DXRender::TPixelDescriptor dest, src;
  DDSURFACEDESC2 srcDesc{};
  if (!DXRender::LockSurface(FIDDSurface, dest)) return;
  if (!DXRender::LockSurface(Source->FIDDSurface, src, srcDesc)) {
    DXRender::UnlockSurface(FIDDSurface, dest);
    return;
  }
  try {
    DXRender::DrawRotatedBlend(dest, src, X, Y, AWidth, AHeight, CenterX, CenterY, Angle & 0xFF, SrcRect,
                               srcDesc.ddckCKSrcBlt.dwColorSpaceLowValue, Transparent, 0, 1);
  } catch (...) {
    DXRender::UnlockSurface(Source->FIDDSurface, src);
    DXRender::UnlockSurface(FIDDSurface, dest);
    throw;
  }
  DXRender::UnlockSurface(Source->FIDDSurface, src);
  DXRender::UnlockSurface(FIDDSurface, dest);
}

void TDirectDrawSurface::Fill(uint32_t DevColor) {
  if (!FIDDSurface) return;
  DDBLTFX fx = EmptyFX();
  fx.dwFillColor = DevColor;
  SetResultCode(FIDDSurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
}

void TDirectDrawSurface::FillRect(const TRect& R, uint32_t DevColor) {
  if (!FIDDSurface) return;
  RECT r = R;
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, Width());
  r.bottom = std::min<LONG>(r.bottom, Height());
  if (r.left >= r.right || r.top >= r.bottom) return;
  DDBLTFX fx = EmptyFX();
  fx.dwFillColor = DevColor;
  SetResultCode(FIDDSurface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx));
}

void TDirectDrawSurface::FillRectAlpha(const TRect& R, TColor Color, int32_t Alpha) {
  if (!FIDDSurface || Width() == 0 || Height() == 0 || (FSurfaceDesc.ddpfPixelFormat.dwFlags & kIndexedFlags)) return;
  if (Alpha <= 0) return;
  DXRender::TPixelDescriptor dest;
  if (!DXRender::LockSurface(FIDDSurface, dest)) return;
  const uint32_t rgb = static_cast<uint32_t>(ColorToRGB(Color)) & 0xFFFFFF;
  if (Alpha >= 255) DXRender::FillRectBlend(dest, R, 1, rgb | 0xFF000000u);
  else DXRender::FillRectBlend(dest, R, 10, rgb | (static_cast<uint32_t>(Alpha) << 24));
  DXRender::UnlockSurface(FIDDSurface, dest);
}

uint32_t TDirectDrawSurface::ColorMatch(TColor Color) {
  if (!FIDDSurface) return 0;
  DWORD pixel = 0;
  SetResultCode(DirectDrawColorToPixel(FIDDSurface, static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF, &pixel));
  return pixel;
}

uint32_t TDirectDrawSurface::Pixels(int32_t X, int32_t Y) {
  if (!FIDDSurface || X < 0 || X >= Width() || Y < 0 || Y >= Height()) return 0;
  DDSURFACEDESC2 d{};
  if (!Lock(nullptr, d)) return 0;
  const uint8_t* row = static_cast<const uint8_t*>(d.lpSurface) + static_cast<ptrdiff_t>(Y) * d.lPitch;
  const uint32_t v = DXPixelRow::Read(row, BitCount(), X);
  Unlock();
  return v;
}

void TDirectDrawSurface::SetPixels(int32_t X, int32_t Y, uint32_t Value) {
  if (!FIDDSurface || X < 0 || X >= Width() || Y < 0 || Y >= Height()) return;
  DDSURFACEDESC2 d{};
  if (!Lock(nullptr, d)) return;
  uint8_t* row = static_cast<uint8_t*>(d.lpSurface) + static_cast<ptrdiff_t>(Y) * d.lPitch;
  DXPixelRow::Write(row, BitCount(), X, Value);
  Unlock();
}

bool TDirectDrawSurface::Lock(const TRect* R, DDSURFACEDESC2& Desc) {
  if (!FIDDSurface || FLockCount > 0) return false;
  std::memset(&FLockDesc, 0, sizeof FLockDesc);
  FLockDesc.dwSize = sizeof FLockDesc;
  HRESULT hr;
  if (R && (R->left != 0 || R->top != 0 || R->right - R->left != Width() || R->bottom - R->top != Height())) {
    RECT r = *R;
    hr = FIDDSurface->Lock(&r, &FLockDesc, DDLOCK_WAIT, nullptr);
  } else {
    hr = FIDDSurface->Lock(nullptr, &FLockDesc, DDLOCK_WAIT, nullptr);
  }
  SetResultCode(hr);
  if (hr != DD_OK) return false;
  FLockCount = 1;
  Desc = FLockDesc;
  return true;
}

void TDirectDrawSurface::Unlock() {
  if (!FIDDSurface || FLockCount <= 0) return;
  if (--FLockCount == 0) SetResultCode(FIDDSurface->Unlock(nullptr));
}

bool TDirectDrawSurface::Restore() {
  if (!FIDDSurface) return false;
  const HRESULT hr = FIDDSurface->Restore();
  SetResultCode(hr);
  return hr == DD_OK;
}

bool TDirectDrawSurface::IsLost() { return FIDDSurface && FIDDSurface->IsLost() == DDERR_SURFACELOST; }

void TDirectDrawSurface::SetClipper(TDirectDrawClipper* Value) {
  if (!FIDDSurface) return;
  const HRESULT hr = FIDDSurface->SetClipper(Value ? Value->IDDClipper() : nullptr);
  SetResultCode(hr);
  FHasClipper = Value && Value->IDDClipper() && hr == DD_OK;
}

void TDirectDrawSurface::SetColorKey(DWORD Flags, const DDCOLORKEY& Value) {
  if (!FIDDSurface) return;
  DDCOLORKEY key = Value;
  SetResultCode(FIDDSurface->SetColorKey(Flags, &key));
  if (ErrorCode() == DD_OK) {
    FSurfaceDesc.dwFlags |= DDSD_CKSRCBLT;
    FSurfaceDesc.ddckCKSrcBlt = key;
  }
}

void TDirectDrawSurface::SetTransparentColor(uint32_t DevColor) { SetColorKey(DDCKEY_SRCBLT, DDCOLORKEY{DevColor, DevColor}); }

void TDirectDrawSurface::SetPalette(TDirectDrawPalette* Value) {
  if (!FIDDSurface) return;
  SetResultCode(FIDDSurface->SetPalette(Value ? Value->IDDPalette() : nullptr));
}

TDirectDrawSurfaceCanvas* TDirectDrawSurface::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TDirectDrawSurfaceCanvas>(this);
  return FCanvas.get();
}

void TDirectDrawSurface::LoadFromGraphic(TGraphic* Graphic) {
  if (!Graphic) return;
  LoadFromGraphicRect(Graphic, 0, Rect(0, 0, Graphic->Width(), Graphic->Height()), 0);
}

void TDirectDrawSurface::LoadFromGraphicRect(TGraphic* Graphic, int32_t AWidth, const TRect& SrcRect, int32_t AHeight) {
  if (!Graphic) return;
  if (AWidth == 0) AWidth = SrcRect.right - SrcRect.left;
  if (AHeight == 0) AHeight = SrcRect.bottom - SrcRect.top;
  SetSize(AWidth, AHeight);
  if (!FIDDSurface) return;
  try {
    if (auto* dib = dynamic_cast<TDIB*>(Graphic)) {
      HDC src = dib->Canvas()->Handle();
      StretchBlt(Canvas()->Handle(), 0, 0, AWidth, AHeight, src, SrcRect.left, SrcRect.top,
                 SrcRect.right - SrcRect.left, SrcRect.bottom - SrcRect.top, SRCCOPY);
    } else if (AWidth == SrcRect.right - SrcRect.left && AHeight == SrcRect.bottom - SrcRect.top) {
      Canvas()->Draw(-SrcRect.left, -SrcRect.top, Graphic);
    } else {
      TDIB temp;
      temp.SetSize(SrcRect.right - SrcRect.left, SrcRect.bottom - SrcRect.top, 24);
      temp.Canvas()->Draw(-SrcRect.left, -SrcRect.top, Graphic);
      Canvas()->StretchDraw(Rect(0, 0, AWidth, AHeight), &temp);
    }
  } catch (...) {
    Canvas()->Release();
    throw;
  }
  Canvas()->Release();
}

void TDirectDrawSurface::Assign(TPersistent* Source) {
  if (!Source) {
    SetIDDSurface(nullptr);
  } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    LoadFromGraphic(g);
  } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
    LoadFromGraphic(p->Graphic());
  } else if (auto* s = dynamic_cast<TDirectDrawSurface*>(Source)) {
    if (!s->FIDDSurface || !FDDraw) {
      SetIDDSurface(nullptr);
      return;
    }
    IDirectDrawSurface7* dup = nullptr;
    const HRESULT hr = FDDraw->IDraw()->DuplicateSurface(s->FIDDSurface, &dup);
    SetResultCode(hr);
    if (hr == DD_OK) {
      SetIDDSurface(dup);
      dup->Release();
    } else {
      SetIDDSurface(nullptr);
    }
  } else {
    TDirectX::Assign(Source);
  }
}

void TDirectDrawSurface::AssignTo(TPersistent* Dest) {
  if (auto* dib = dynamic_cast<TDIB*>(Dest)) {
    dib->SetSize(Width(), Height(), 24);
    if (!FIDDSurface || dib->Empty()) return;
    dib->Canvas()->CopyRect(ClientRect(), Canvas(), ClientRect());
    Canvas()->Release();
    return;
  }
  TDirectX::AssignTo(Dest);
}
