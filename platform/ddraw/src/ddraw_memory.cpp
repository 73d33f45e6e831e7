// DirectDraw objects whose surfaces live in ordinary memory: off-screen surfaces at 8 (indexed,
// with a palette), 16 (5-6-5 and 5-5-5), 24 and 32 bits per pixel.
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <vector>
#include "ddraw.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const IID IID_IDirectDrawSurface7 = {0x06675a80, 0x3b9b, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const IID IID_IDirectDrawPalette = {0x6C14DB84, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace {

// Reference counting shared by every object.
template <class Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  HRESULT QueryFor(REFIID riid, const IID& own, void** object) {
    if (!object) return E_POINTER;
    if (riid == own || riid == IID_IUnknown) {
      AddRef();
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

class MemoryPalette final : public RefCounted<IDirectDrawPalette> {
 public:
  MemoryPalette(DWORD caps, DWORD count) : caps_(caps), entries_(count) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryFor(riid, IID_IDirectDrawPalette, object);
  }
  HRESULT GetCaps(LPDWORD caps) override {
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return DD_OK;
  }
  HRESULT GetEntries(DWORD, DWORD base, DWORD count, PALETTEENTRY* entries) override {
    if (!entries || base > entries_.size() || count > entries_.size() - base) return DDERR_INVALIDPARAMS;
    std::memcpy(entries, entries_.data() + base, count * sizeof(PALETTEENTRY));
    return DD_OK;
  }
  HRESULT SetEntries(DWORD, DWORD start, DWORD count, const PALETTEENTRY* entries) override {
    if (!entries || start > entries_.size() || count > entries_.size() - start) return DDERR_INVALIDPARAMS;
    std::memcpy(entries_.data() + start, entries, count * sizeof(PALETTEENTRY));
    return DD_OK;
  }

 private:
  DWORD caps_;
  std::vector<PALETTEENTRY> entries_;
};

bool ValidFormat(const DDPIXELFORMAT& pf) {
  if (pf.dwFlags & DDPF_PALETTEINDEXED8) return pf.dwRGBBitCount == 8;
  if (!(pf.dwFlags & DDPF_RGB)) return false;
  switch (pf.dwRGBBitCount) {
    case 16: case 24: case 32: break;
    default: return false;
  }
  const uint64_t limit = pf.dwRGBBitCount == 32 ? 0xFFFFFFFFull : (1ull << pf.dwRGBBitCount) - 1;
  const DWORD masks[] = {pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask};
  DWORD seen = 0;
  for (DWORD m : masks) {
    if (m == 0 || m > limit || (seen & m)) return false;
    seen |= m;
  }
  return true;
}

DDPIXELFORMAT DefaultFormat() {
  DDPIXELFORMAT pf{};
  pf.dwSize = sizeof pf;
  pf.dwFlags = DDPF_RGB;
  pf.dwRGBBitCount = 32;
  pf.dwRBitMask = 0xFF0000;
  pf.dwGBitMask = 0x00FF00;
  pf.dwBBitMask = 0x0000FF;
  return pf;
}

class MemorySurface final : public RefCounted<IDirectDrawSurface7> {
 public:
  static HRESULT Create(const DDSURFACEDESC2& desc, LPDIRECTDRAWSURFACE7* out) {
    if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT) || desc.dwWidth == 0 || desc.dwHeight == 0)
      return DDERR_INVALIDPARAMS;
    const DDPIXELFORMAT pf = (desc.dwFlags & DDSD_PIXELFORMAT) ? desc.ddpfPixelFormat : DefaultFormat();
    if (!ValidFormat(pf)) return DDERR_INVALIDPIXELFORMAT;
    // Rows are padded to 4 bytes. Sizes are checked before anything is allocated.
    const uint64_t rowBytes = (static_cast<uint64_t>(desc.dwWidth) * pf.dwRGBBitCount + 31) / 32 * 4;
    const uint64_t total = rowBytes * desc.dwHeight;
    if (desc.dwWidth > 32768 || desc.dwHeight > 32768 || rowBytes > 0x7FFFFFFF || total > (1ull << 31))
      return DDERR_OUTOFMEMORY;
    auto* s = new (std::nothrow) MemorySurface(desc, pf, static_cast<LONG>(rowBytes));
    if (!s) return DDERR_OUTOFMEMORY;
    s->pixels_.reset(new (std::nothrow) uint8_t[total]());
    if (!s->pixels_) {
      s->Release();
      return DDERR_OUTOFMEMORY;
    }
    *out = s;
    return DD_OK;
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryFor(riid, IID_IDirectDrawSurface7, object);
  }

  HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) override {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    Describe(desc, false);
    return DD_OK;
  }
  HRESULT GetPixelFormat(DDPIXELFORMAT* format) override {
    if (!format) return DDERR_INVALIDPARAMS;
    *format = format_;
    return DD_OK;
  }
  HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) override {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    if (locked_) return DDERR_SURFACEBUSY;
    uint8_t* start = pixels_.get();
    if (rect) {
      if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
          static_cast<DWORD>(rect->right) > width_ || static_cast<DWORD>(rect->bottom) > height_)
        return DDERR_INVALIDRECT;
      start += static_cast<ptrdiff_t>(rect->top) * pitch_ + static_cast<ptrdiff_t>(rect->left) * (format_.dwRGBBitCount / 8);
    }
    locked_ = true;
    Describe(desc, true);
    desc->lpSurface = start;
    return DD_OK;
  }
  HRESULT Unlock(LPRECT) override {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    return DD_OK;
  }
  HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) override {
    if (!(format_.dwFlags & DDPF_PALETTEINDEXED8) && palette) return DDERR_INVALIDPIXELFORMAT;
    if (palette) palette->AddRef();
    if (palette_) palette_->Release();
    palette_ = palette;
    return DD_OK;
  }
  HRESULT GetPalette(LPDIRECTDRAWPALETTE* palette) override {
    if (!palette) return DDERR_INVALIDPARAMS;
    *palette = palette_;
    if (!palette_) return DDERR_NOPALETTEATTACHED;
    palette_->AddRef();
    return DD_OK;
  }
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override {
    if (!(flags & DDCKEY_SRCBLT)) return DDERR_UNSUPPORTED;
    hasKey_ = key != nullptr;
    if (key) key_ = *key;
    return DD_OK;
  }
  HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) override {
    if (!key || !(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
    if (!hasKey_) return DDERR_NOCOLORKEY;
    *key = key_;
    return DD_OK;
  }
  HRESULT IsLost() override { return DD_OK; }
  HRESULT Restore() override { return DD_OK; }

 private:
  MemorySurface(const DDSURFACEDESC2& desc, const DDPIXELFORMAT& pf, LONG pitch)
      : width_(desc.dwWidth), height_(desc.dwHeight), pitch_(pitch), format_(pf),
        caps_((desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps : DDSCAPS2{DDSCAPS_OFFSCREENPLAIN, 0, 0, 0}) {
    format_.dwSize = sizeof format_;
    caps_.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (desc.dwFlags & DDSD_CKSRCBLT) {
      hasKey_ = true;
      key_ = desc.ddckCKSrcBlt;
    }
  }
  ~MemorySurface() override {
    if (palette_) palette_->Release();
  }

  void Describe(LPDDSURFACEDESC2 desc, bool withMemory) const {
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = sizeof *desc;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT |
                    (hasKey_ ? DDSD_CKSRCBLT : 0) | (withMemory ? DDSD_LPSURFACE : 0);
    desc->dwWidth = width_;
    desc->dwHeight = height_;
    desc->lPitch = pitch_;
    desc->ddpfPixelFormat = format_;
    desc->ddsCaps = caps_;
    if (hasKey_) desc->ddckCKSrcBlt = key_;
  }

  DWORD width_, height_;
  LONG pitch_;
  DDPIXELFORMAT format_;
  DDSCAPS2 caps_;
  std::unique_ptr<uint8_t[]> pixels_;
  bool locked_ = false;
  bool hasKey_ = false;
  DDCOLORKEY key_{};
  LPDIRECTDRAWPALETTE palette_ = nullptr;
};

class MemoryDirectDraw final : public RefCounted<IDirectDraw7> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryFor(riid, IID_IDirectDraw7, object);
  }
  HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) override {
    if (!desc || !surface || outer || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if ((desc->dwFlags & DDSD_CAPS) && (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE))
      return DDERR_UNSUPPORTED;  // a primary surface needs a screen
    return MemorySurface::Create(*desc, surface);
  }
  HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, LPDIRECTDRAWPALETTE* palette, IUnknown* outer) override {
    if (!palette || outer) return DDERR_INVALIDPARAMS;
    DWORD count = 0;
    if (flags & DDPCAPS_8BIT) count = 256;
    else if (flags & DDPCAPS_4BIT) count = 16;
    else if (flags & DDPCAPS_2BIT) count = 4;
    else if (flags & DDPCAPS_1BIT) count = 2;
    if (count == 0) return DDERR_INVALIDPARAMS;
    auto* p = new (std::nothrow) MemoryPalette(flags, count);
    if (!p) return DDERR_OUTOFMEMORY;
    if (entries) p->SetEntries(0, 0, count, entries);
    *palette = p;
    return DD_OK;
  }
  HRESULT SetCooperativeLevel(HWND, DWORD) override { return DD_OK; }
};

}  // namespace

HRESULT WINAPI DirectDrawCreateEx(GUID* guid, LPVOID* directDraw, REFIID iid, IUnknown* outer) {
  if (!directDraw || outer) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (!(iid == IID_IDirectDraw7)) return E_NOINTERFACE;
  if (guid) return DDERR_INVALIDPARAMS;  // only the default driver exists
  auto* dd = new (std::nothrow) MemoryDirectDraw;
  if (!dd) return DDERR_OUTOFMEMORY;
  *directDraw = static_cast<IDirectDraw7*>(dd);
  return DD_OK;
}
