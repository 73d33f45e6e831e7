// DirectDraw objects whose surfaces live in ordinary memory: off-screen surfaces at 8 (indexed,
// with a palette), 16 (5-6-5 and 5-5-5), 24 and 32 bits per pixel, with blits (colour keys,
// stretching, mirroring, colour fills), GDI device contexts on the pixels, clippers and palettes;
// and the primary surface, which is the screen's framebuffer.
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <vector>
#include "ddraw.h"
#include "ddraw_display.h"
#include "ddraw_rows.h"
#include "gdi/gdi_internal.h"
#include "internal/modules.h"
#include "winplat_screen.h"
#include "winplat_user.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDraw4 = {0x9c59509a, 0x39bd, 0x11d1, {0x8c, 0x4a, 0x00, 0xc0, 0x4f, 0xd9, 0x30, 0xc5}};
const IID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const IID IID_IDirectDrawSurface = {0x6C14DB81, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDrawSurface4 = {0x0B2B8630, 0xAD35, 0x11D0, {0x8E, 0xA6, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};
const IID IID_IDirectDrawSurface7 = {0x06675a80, 0x3b9b, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const IID IID_IDirectDrawPalette = {0x6C14DB84, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDrawClipper = {0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace {

namespace gdi = winplat::gdi;
namespace screen = winplat::screen;
using winplat::ddraw::DisplayMode;

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
  HRESULT QueryFor(REFIID riid, std::initializer_list<const IID*> own, void** object) {
    if (!object) return E_POINTER;
    bool match = riid == IID_IUnknown;
    for (const IID* i : own) match = match || riid == *i;
    if (match) {
      AddRef();
      *object = static_cast<Interface*>(this);
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
    return QueryFor(riid, {&IID_IDirectDrawPalette}, object);
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

class MemoryClipper final : public RefCounted<IDirectDrawClipper> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryFor(riid, {&IID_IDirectDrawClipper}, object);
  }
  HRESULT SetHWnd(DWORD, HWND window) override {
    window_ = window;
    cachedGeneration_ = 0;
    return DD_OK;
  }
  HRESULT GetHWnd(HWND* window) override {
    if (!window) return DDERR_INVALIDPARAMS;
    *window = window_;
    return DD_OK;
  }
  HRESULT GetClipList(LPRECT clip, LPRGNDATA data, LPDWORD size) override {
    if (!size) return DDERR_INVALIDPARAMS;
    if (!window_) return DDERR_NOCLIPLIST;
    std::vector<RECT> rects;
    for (RECT r : WindowRects()) {
      if (clip) {
        r.left = std::max(r.left, clip->left);
        r.top = std::max(r.top, clip->top);
        r.right = std::min(r.right, clip->right);
        r.bottom = std::min(r.bottom, clip->bottom);
      }
      if (r.left < r.right && r.top < r.bottom) rects.push_back(r);
    }
    const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    if (!data) {
      *size = needed;
      return DD_OK;
    }
    if (*size < needed) {
      *size = needed;
      return DDERR_REGIONTOOSMALL;
    }
    RGNDATAHEADER& h = data->rdh;
    h.dwSize = sizeof h;
    h.iType = RDH_RECTANGLES;
    h.nCount = static_cast<DWORD>(rects.size());
    h.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    h.rcBound = RECT{0, 0, 0, 0};
    for (size_t i = 0; i < rects.size(); ++i) {
      const RECT& r = rects[i];
      if (i == 0) h.rcBound = r;
      h.rcBound = RECT{std::min(h.rcBound.left, r.left), std::min(h.rcBound.top, r.top),
                       std::max(h.rcBound.right, r.right), std::max(h.rcBound.bottom, r.bottom)};
      std::memcpy(data->Buffer + i * sizeof(RECT), &r, sizeof r);
    }
    reportedGeneration_ = winplat::user::VisibleRegionGeneration();
    return DD_OK;
  }
  HRESULT IsClipListChanged(BOOL* changed) override {
    if (!changed) return DDERR_INVALIDPARAMS;
    *changed = reportedGeneration_ != winplat::user::VisibleRegionGeneration();
    return DD_OK;
  }

  HWND Window() const { return window_; }
  // The visible client area of the window in screen coordinates; computed again only when some
  // window moved, showed, hid or changed order.
  const std::vector<RECT>& WindowRects() {
    const uint64_t generation = winplat::user::VisibleRegionGeneration();
    if (generation != cachedGeneration_) {
      rects_ = winplat::user::WindowVisibleRects(window_, true);
      cachedGeneration_ = generation;
    }
    return rects_;
  }

 private:
  HWND window_ = nullptr;
  uint64_t cachedGeneration_ = 0;
  uint64_t reportedGeneration_ = 0;
  std::vector<RECT> rects_;
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

bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b) {
  const DWORD kinds = DDPF_RGB | DDPF_PALETTEINDEXED8;
  return (a.dwFlags & kinds) == (b.dwFlags & kinds) && a.dwRGBBitCount == b.dwRGBBitCount &&
         a.dwRBitMask == b.dwRBitMask && a.dwGBitMask == b.dwGBitMask && a.dwBBitMask == b.dwBBitMask;
}

// The pixel memory, shared by a surface and its duplicates: its own, or the screen's.
uint64_t NextContentStamp() {
  static std::atomic<uint64_t> counter{0};
  return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

struct PixelStore {
  uint8_t* bits = nullptr;
  size_t size = 0;
  std::unique_ptr<uint8_t[]> owned;
  std::shared_ptr<void> screen;
  // Renewed by every write through a surface on these pixels; writers counts the locks and DCs
  // out on them, through which anything may change them.
  uint64_t stamp = NextContentStamp();
  int writers = 0;

  void Touch() { stamp = NextContentStamp(); }

  static std::shared_ptr<PixelStore> Allocate(uint64_t size) {
    auto store = std::make_shared<PixelStore>();
    store->owned.reset(new (std::nothrow) uint8_t[size]());
    if (!store->owned) return nullptr;
    store->bits = store->owned.get();
    store->size = size;
    return store;
  }
};

uint32_t ReadAt(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, static_cast<size_t>(bytes));
  return v;
}
void WriteAt(uint8_t* p, int bytes, uint32_t v) { std::memcpy(p, &v, static_cast<size_t>(bytes)); }

class MemorySurface final : public RefCounted<IDirectDrawSurface7> {
 public:
  static HRESULT Create(const DDSURFACEDESC2& desc, const DDPIXELFORMAT& display, LPDIRECTDRAWSURFACE7* out) {
    if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT) || desc.dwWidth == 0 || desc.dwHeight == 0)
      return DDERR_INVALIDPARAMS;
    const DDPIXELFORMAT pf = (desc.dwFlags & DDSD_PIXELFORMAT) ? desc.ddpfPixelFormat : display;
    if (!ValidFormat(pf)) return DDERR_INVALIDPIXELFORMAT;
    // Rows are padded to 4 bytes. Sizes are checked before anything is allocated.
    const uint64_t rowBytes = (static_cast<uint64_t>(desc.dwWidth) * pf.dwRGBBitCount + 31) / 32 * 4;
    const uint64_t total = rowBytes * desc.dwHeight;
    if (desc.dwWidth > 32768 || desc.dwHeight > 32768 || rowBytes > 0x7FFFFFFF || total > (1ull << 31))
      return DDERR_OUTOFMEMORY;
    auto store = PixelStore::Allocate(total);
    if (!store) return DDERR_OUTOFMEMORY;
    auto* s = new (std::nothrow) MemorySurface(desc, pf, static_cast<LONG>(rowBytes), std::move(store));
    if (!s) return DDERR_OUTOFMEMORY;
    *out = s;
    return DD_OK;
  }

  // The screen as a surface of the current mode (see ddraw.h).
  static HRESULT CreatePrimary(const DDSURFACEDESC2& desc, LPDIRECTDRAWSURFACE7* out) {
    const DisplayMode mode = winplat::ddraw::CurrentMode();
    DDSURFACEDESC2 d = desc;
    d.dwFlags |= DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = static_cast<DWORD>(mode.width);
    d.dwHeight = static_cast<DWORD>(mode.height);
    d.dwFlags &= ~DDSD_PIXELFORMAT;
    const HRESULT hr = Create(d, winplat::ddraw::FormatOfDepth(mode.bits), out);
    if (hr != DD_OK) return hr;
    auto* s = static_cast<MemorySurface*>(*out);
    s->screen_ = true;
    s->BindScreen();
    return DD_OK;
  }

  MemorySurface* Duplicate() const {
    if (screen_) return nullptr;
    DDSURFACEDESC2 desc{};
    Describe(&desc, false);
    auto* s = new (std::nothrow) MemorySurface(desc, format_, pitch_, store_);
    if (s && palette_) s->SetPalette(palette_);
    return s;
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryFor(riid, {&IID_IDirectDrawSurface7, &IID_IDirectDrawSurface4, &IID_IDirectDrawSurface}, object);
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
  HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE) override {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    if (CheckLost()) return DDERR_SURFACELOST;
    if (Busy()) return DDERR_SURFACEBUSY;
    uint8_t* start = store_->bits;
    lockRect_ = Whole();
    if (rect) {
      if (!InsideSurface(*rect)) return DDERR_INVALIDRECT;
      start += static_cast<ptrdiff_t>(rect->top) * pitch_ + static_cast<ptrdiff_t>(rect->left) * BytesPerPixel();
      lockRect_ = *rect;
    }
    locked_ = true;
    // A lock for reading promises to leave the pixels as they are.
    if (!(flags & DDLOCK_READONLY)) {
      lockedStore_ = store_;
      ++lockedStore_->writers;
    }
    Describe(desc, true);
    desc->lpSurface = start;
    return DD_OK;
  }
  HRESULT Unlock(LPRECT) override {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    if (!lockedStore_) return DD_OK;
    --lockedStore_->writers;
    lockedStore_->Touch();
    lockedStore_.reset();
    Publish({lockRect_});
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
  HRESULT IsLost() override { return CheckLost() ? DDERR_SURFACELOST : DD_OK; }
  HRESULT Restore() override {
    if (!CheckLost()) return DD_OK;
    if (screen_) {
      // The screen changed under it: it comes back only in the mode it was made in.
      const DisplayMode mode = winplat::ddraw::CurrentMode();
      if (mode.width != static_cast<int>(width_) || mode.height != static_cast<int>(height_) ||
          winplat::ddraw::FormatOfDepth(mode.bits).dwRGBBitCount != format_.dwRGBBitCount)
        return DDERR_WRONGMODE;
      if (!BindScreen()) return DDERR_OUTOFMEMORY;
    }
    // What a lost surface held is gone.
    std::memset(store_->bits, 0, store_->size);
    store_->Touch();
    lost_ = false;
    return DD_OK;
  }
  void Lose() { lost_ = true; }
  // The screen's pixels change outside DirectDraw (windows are drawn on them), and pixels with a
  // lock or DC out may change at any moment: those get a new stamp at every look.
  uint64_t ContentStamp() {
    if (screen_ || CheckLost() || store_->writers > 0) return NextContentStamp();
    return store_->stamp;
  }

  HRESULT Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT srcRect, DWORD flags, LPDDBLTFX fx) override {
    if (CheckLost()) return DDERR_SURFACELOST;
    if (Busy()) return DDERR_SURFACEBUSY;
    if ((flags & (DDBLT_COLORFILL | DDBLT_DDFX | DDBLT_KEYSRCOVERRIDE)) && (!fx || fx->dwSize != sizeof(DDBLTFX)))
      return DDERR_INVALIDPARAMS;
    RECT dest = destRect ? *destRect : Whole();
    if (dest.left >= dest.right || dest.top >= dest.bottom) return DDERR_INVALIDRECT;
    if (!clipper_ && !InsideSurface(dest)) return DDERR_INVALIDRECT;
    const std::vector<RECT> areas = ClipAreas(dest);

    if (flags & DDBLT_COLORFILL) {
      const uint32_t value = fx->dwFillColor & PixelMask();
      const int bpp = BytesPerPixel();
      for (const RECT& clipped : areas)
        for (LONG y = clipped.top; y < clipped.bottom; ++y) {
          uint8_t* row = RowAt(y);
          for (LONG x = clipped.left; x < clipped.right; ++x) WriteAt(row + x * bpp, bpp, value);
        }
      store_->Touch();
      Publish(areas);
      return DD_OK;
    }
    auto* src = dynamic_cast<MemorySurface*>(source);
    if (!src) return DDERR_INVALIDPARAMS;
    if (src->CheckLost()) return DDERR_SURFACELOST;
    if (src != this && src->Busy()) return DDERR_SURFACEBUSY;
    if (!SameFormat(format_, src->format_)) return DDERR_INVALIDPIXELFORMAT;
    const RECT from = srcRect ? *srcRect : src->Whole();
    if (from.left >= from.right || from.top >= from.bottom || !src->InsideSurface(from)) return DDERR_INVALIDRECT;

    bool useKey = false;
    uint32_t key = 0;
    if (flags & DDBLT_KEYSRCOVERRIDE) {
      useKey = true;
      key = fx->ddckSrcColorkey.dwColorSpaceLowValue;
    } else if (flags & DDBLT_KEYSRC) {
      if (!src->hasKey_) return DDERR_NOCOLORKEY;
      useKey = true;
      key = src->key_.dwColorSpaceLowValue;
    }
    const DWORD ddfx = (flags & DDBLT_DDFX) ? fx->dwDDFX : 0;
    for (const RECT& clipped : areas)
      Copy(dest, clipped, *src, from, useKey, key, (ddfx & DDBLTFX_MIRRORLEFTRIGHT) != 0,
           (ddfx & DDBLTFX_MIRRORUPDOWN) != 0);
    store_->Touch();
    Publish(areas);
    return DD_OK;
  }

  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, LPRECT srcRect, DWORD flags) override {
    if (clipper_) return DDERR_BLTFASTCANTCLIP;
    if (CheckLost()) return DDERR_SURFACELOST;
    if (Busy()) return DDERR_SURFACEBUSY;
    auto* src = dynamic_cast<MemorySurface*>(source);
    if (!src) return DDERR_INVALIDPARAMS;
    if (src->CheckLost()) return DDERR_SURFACELOST;
    if (src != this && src->Busy()) return DDERR_SURFACEBUSY;
    if (!SameFormat(format_, src->format_)) return DDERR_INVALIDPIXELFORMAT;
    const RECT from = srcRect ? *srcRect : src->Whole();
    if (from.left >= from.right || from.top >= from.bottom || !src->InsideSurface(from)) return DDERR_INVALIDRECT;
    if (x > 0x7FFFFFFF || y > 0x7FFFFFFF) return DDERR_INVALIDRECT;
    const RECT dest{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x) + (from.right - from.left),
                    static_cast<LONG>(y) + (from.bottom - from.top)};
    if (!InsideSurface(dest)) return DDERR_INVALIDRECT;
    const bool useKey = (flags & DDBLTFAST_SRCCOLORKEY) != 0;
    if (useKey && !src->hasKey_) return DDERR_NOCOLORKEY;
    Copy(dest, dest, *src, from, useKey, src->key_.dwColorSpaceLowValue, false, false);
    store_->Touch();
    Publish({dest});
    return DD_OK;
  }

  HRESULT GetDC(HDC* dc) override {
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (CheckLost()) return DDERR_SURFACELOST;
    if (dc_) return DDERR_DCALREADYCREATED;
    if (locked_) return DDERR_SURFACEBUSY;
    auto keep = std::make_shared<DCKeep>();
    keep->store = store_;
    gdi::Surface s;
    if (!DescribeForGdi(s, keep->colors)) return DDERR_CANTCREATEDC;
    HDC h = gdi::CreateSurfaceDC(s, keep, true);
    if (!h) return DDERR_CANTCREATEDC;
    dc_ = h;
    dcStore_ = store_;
    ++dcStore_->writers;
    *dc = h;
    return DD_OK;
  }
  HRESULT ReleaseDC(HDC dc) override {
    if (!dc_ || dc != dc_) return DDERR_NODC;
    DeleteDC(dc_);
    dc_ = nullptr;
    --dcStore_->writers;
    dcStore_->Touch();
    dcStore_.reset();
    Publish({Whole()});
    return DD_OK;
  }
  HRESULT GetCaps(DDSCAPS2* caps) override {
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = caps_;
    return DD_OK;
  }
  HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override {
    if (clipper) clipper->AddRef();
    if (clipper_) clipper_->Release();
    clipper_ = clipper;
    return DD_OK;
  }
  HRESULT GetClipper(LPDIRECTDRAWCLIPPER* clipper) override {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = clipper_;
    if (!clipper_) return DDERR_NOCLIPPERATTACHED;
    clipper_->AddRef();
    return DD_OK;
  }

  HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** attached) override {
    if (!caps || !attached) return DDERR_INVALIDPARAMS;
    *attached = nullptr;
    if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || chain_.empty()) return DDERR_NOTFOUND;
    chain_.front()->AddRef();
    *attached = chain_.front();
    return DD_OK;
  }
  HRESULT Flip(IDirectDrawSurface7* target, DWORD) override {
    if (chain_.empty()) return DDERR_NOTFLIPPABLE;
    if (target && target != chain_.front()) return DDERR_INVALIDPARAMS;
    if (CheckLost()) return DDERR_SURFACELOST;
    if (Busy()) return DDERR_SURFACEBUSY;
    for (MemorySurface* b : chain_)
      if (b->Busy()) return DDERR_SURFACEBUSY;
    if (screen_) {
      // The screen's memory stays where it is: the pixels travel instead.
      PixelStore front;
      front.owned.reset(new (std::nothrow) uint8_t[store_->size]);
      if (!front.owned) return DDERR_OUTOFMEMORY;
      front.bits = front.owned.get();
      front.size = store_->size;
      CopyPixels(*store_, front);
      CopyPixels(*chain_.front()->store_, *store_);
      for (size_t i = 0; i + 1 < chain_.size(); ++i) CopyPixels(*chain_[i + 1]->store_, *chain_[i]->store_);
      CopyPixels(front, *chain_.back()->store_);
      store_->Touch();
      for (MemorySurface* b : chain_) b->store_->Touch();
      Publish({Whole()});
      return DD_OK;
    }
    // The back buffer's pixels come to the front; the rest move one place along the chain.
    std::shared_ptr<PixelStore> front = std::move(store_);
    store_ = std::move(chain_.front()->store_);
    for (size_t i = 0; i + 1 < chain_.size(); ++i) chain_[i]->store_ = std::move(chain_[i + 1]->store_);
    chain_.back()->store_ = std::move(front);
    return DD_OK;
  }
  // Makes `count` back buffers of this surface's size and format behind it.
  HRESULT AttachBackBuffers(DWORD count) {
    DDSURFACEDESC2 desc{};
    Describe(&desc, false);
    desc.dwFlags &= ~DDSD_CKSRCBLT;
    for (DWORD i = 0; i < count; ++i) {
      desc.ddsCaps.dwCaps =
          (caps_.dwCaps & ~(DDSCAPS_FRONTBUFFER | DDSCAPS_PRIMARYSURFACE)) | (i == 0 ? DDSCAPS_BACKBUFFER : 0);
      LPDIRECTDRAWSURFACE7 back = nullptr;
      const HRESULT hr = Create(desc, format_, &back);
      if (hr != DD_OK) return hr;
      chain_.push_back(static_cast<MemorySurface*>(back));
    }
    caps_.dwCaps |= DDSCAPS_FRONTBUFFER;
    return DD_OK;
  }

  // The value GDI writes for `color` on these pixels.
  bool ColorToPixel(COLORREF color, DWORD* pixel) const {
    gdi::Surface s;
    std::vector<RGBQUAD> colors;
    if (!DescribeForGdi(s, colors)) return false;
    s.bits = store_->bits;
    *pixel = gdi::ColorToPixel(s, color);
    return true;
  }

 private:
  struct DCKeep {
    std::shared_ptr<PixelStore> store;
    std::vector<RGBQUAD> colors;
  };

  MemorySurface(const DDSURFACEDESC2& desc, const DDPIXELFORMAT& pf, LONG pitch, std::shared_ptr<PixelStore> store)
      : width_(desc.dwWidth), height_(desc.dwHeight), pitch_(pitch), format_(pf),
        caps_((desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps : DDSCAPS2{DDSCAPS_OFFSCREENPLAIN, 0, 0, 0}),
        store_(std::move(store)) {
    format_.dwSize = sizeof format_;
    // Memory surfaces lie in system memory, never in video memory.
    caps_.dwCaps = (caps_.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
    if (desc.dwFlags & DDSD_CKSRCBLT) {
      hasKey_ = true;
      key_ = desc.ddckCKSrcBlt;
    }
  }
  ~MemorySurface() override {
    for (MemorySurface* b : chain_) b->Release();
    if (dc_) DeleteDC(dc_);
    if (palette_) palette_->Release();
    if (clipper_) clipper_->Release();
  }

  bool Busy() const { return locked_ || dc_ != nullptr; }

  // A surface on the screen is lost once the screen's memory or mode is no longer the one it
  // was made on.
  bool CheckLost() {
    if (screen_ && !lost_ && screen::ScreenGeneration() != screenGeneration_) lost_ = true;
    return lost_;
  }

  // Takes the screen's memory (32 bits) or fresh memory of this depth, converted to the screen
  // as it changes.
  bool BindScreen() {
    screenGeneration_ = screen::ScreenGeneration();
    if (format_.dwFlags & DDPF_RGB && format_.dwRGBBitCount == 32 && format_.dwRBitMask == 0xFF0000 &&
        format_.dwGBitMask == 0xFF00 && format_.dwBBitMask == 0xFF) {
      screen::Framebuffer fb = screen::CurrentBackend()->GetFramebuffer();
      if (fb.width != static_cast<int>(width_) || fb.height != static_cast<int>(height_)) return false;
      auto store = std::make_shared<PixelStore>();
      store->bits = fb.bits;
      store->size = static_cast<size_t>(fb.pitch) * fb.height;
      store->screen = fb.keepAlive;
      store_ = std::move(store);
      pitch_ = static_cast<LONG>(fb.pitch);
      converted_ = false;
      return true;
    }
    converted_ = true;
    if (store_->screen) {
      auto store = PixelStore::Allocate(static_cast<uint64_t>(pitch_) * height_);
      if (!store) return false;
      store_ = std::move(store);
    }
    return true;
  }

  // Where a write to `dest` may land: inside the surface and, on the screen with a clipper bound
  // to a window, inside the window's visible client area.
  std::vector<RECT> ClipAreas(const RECT& dest) {
    RECT clipped = dest;
    IntersectWith(clipped, Whole());
    std::vector<RECT> areas;
    if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) return areas;
    auto* clipper = screen_ ? dynamic_cast<MemoryClipper*>(clipper_) : nullptr;
    if (!clipper || !clipper->Window()) {
      areas.push_back(clipped);
      return areas;
    }
    for (RECT r : clipper->WindowRects()) {
      IntersectWith(r, clipped);
      if (r.left < r.right && r.top < r.bottom) areas.push_back(r);
    }
    return areas;
  }

  // After a change of these rectangles of a screen surface: converted to the screen's pixels
  // when the depth differs, and presented.
  void Publish(const std::vector<RECT>& areas) {
    if (!screen_ || CheckLost() || areas.empty()) return;
    auto backend = screen::CurrentBackend();
    if (converted_) {
      screen::Framebuffer fb = backend->GetFramebuffer();
      gdi::Surface from;
      std::vector<RGBQUAD> colors;
      if (!DescribeForGdi(from, colors)) return;
      for (const RECT& r : areas)
        for (LONG y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, fb.height); ++y) {
          auto* row = reinterpret_cast<uint32_t*>(fb.bits + y * fb.pitch);
          for (LONG x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, fb.width); ++x) {
            const COLORREF c = gdi::PixelToColor(from, gdi::ReadPixel(from, x, y));
            row[x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
          }
        }
    }
    for (const RECT& r : areas) backend->Damage(r);
    backend->Present();
  }

  // Surfaces of one chain have one size and format.
  static void CopyPixels(const PixelStore& from, PixelStore& to) {
    std::memcpy(to.bits, from.bits, std::min(from.size, to.size));
  }
  int BytesPerPixel() const { return static_cast<int>(format_.dwRGBBitCount / 8); }
  RECT Whole() const { return RECT{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)}; }
  bool InsideSurface(const RECT& r) const {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<DWORD>(r.right) <= width_ &&
           static_cast<DWORD>(r.bottom) <= height_;
  }
  static void IntersectWith(RECT& r, const RECT& c) {
    if (r.left < c.left) r.left = c.left;
    if (r.top < c.top) r.top = c.top;
    if (r.right > c.right) r.right = c.right;
    if (r.bottom > c.bottom) r.bottom = c.bottom;
  }
  uint8_t* RowAt(LONG y) const { return store_->bits + static_cast<ptrdiff_t>(y) * pitch_; }
  // The bits that make a pixel's colour: colour keys compare only these.
  uint32_t PixelMask() const {
    if (format_.dwFlags & DDPF_PALETTEINDEXED8) return 0xFF;
    return format_.dwRBitMask | format_.dwGBitMask | format_.dwBBitMask;
  }

  // Copies `from` of src stretched over `dest` (nearest pixel), only the pixels of `clipped`
  // (a part of dest), skipping key-coloured source pixels. An overlapping copy within one
  // surface reads from a snapshot of the source.
  void Copy(const RECT& dest, const RECT& clipped, const MemorySurface& src, const RECT& from, bool useKey,
            uint32_t key, bool mirrorX, bool mirrorY) {
    const int bpp = BytesPerPixel();
    const int64_t dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    const int64_t sw = from.right - from.left, sh = from.bottom - from.top;
    std::vector<uint8_t> snapshot;
    const uint8_t* srcBits = src.store_->bits;
    if (src.store_ == store_) {
      snapshot.assign(srcBits, srcBits + store_->size);
      srcBits = snapshot.data();
    }
    const uint32_t mask = PixelMask();
    key &= mask;
    const size_t count = static_cast<size_t>(clipped.right - clipped.left);
    // Straight copies take whole rows from one start column; only stretched or mirrored copies
    // look each column up.
    const bool straight = !mirrorX && sw == dw;
    const int32_t firstColumn = static_cast<int32_t>(from.left + (clipped.left - dest.left));
    std::vector<int32_t> columns(straight ? 0 : count);
    for (size_t c = 0; c < columns.size(); ++c) {
      const int64_t i = (clipped.left + static_cast<LONG>(c) - dest.left) * sw / dw;
      columns[c] = static_cast<int32_t>(mirrorX ? from.right - 1 - i : from.left + i);
    }
    for (LONG y = clipped.top; y < clipped.bottom; ++y) {
      const int64_t j = (y - dest.top) * sh / dh;
      const int64_t sy = mirrorY ? from.bottom - 1 - j : from.top + j;
      const uint8_t* srow = srcBits + static_cast<ptrdiff_t>(sy) * src.pitch_;
      uint8_t* drow = RowAt(y);
      if (straight && !useKey) {
        std::memmove(drow + clipped.left * bpp, srow + firstColumn * bpp, count * bpp);
        continue;
      }
      if (straight && bpp == 4) {
        // The common keyed copy of 32-bit pixels, one row straight through.
        winplat::ddraw::KeyedRow32(reinterpret_cast<uint32_t*>(drow + clipped.left * 4),
                                   reinterpret_cast<const uint32_t*>(srow + firstColumn * 4), count, mask, key);
        continue;
      }
      for (size_t c = 0; c < count; ++c) {
        const int32_t sx = straight ? firstColumn + static_cast<int32_t>(c) : columns[c];
        const uint32_t v = ReadAt(srow + sx * bpp, bpp);
        if (useKey && (v & mask) == key) continue;
        WriteAt(drow + (clipped.left + static_cast<LONG>(c)) * bpp, bpp, v);
      }
    }
  }

  bool DescribeForGdi(gdi::Surface& s, std::vector<RGBQUAD>& colors) const {
    const int bpp = static_cast<int>(format_.dwRGBBitCount);
    s.bits = store_->bits;
    s.pitch = pitch_;
    s.width = static_cast<int>(width_);
    s.height = static_cast<int>(height_);
    if (bpp == 8) {
      s.format = gdi::PixelFormat::Make(8);
      colors.assign(256, RGBQUAD{0, 0, 0, 0});
      if (palette_) {
        PALETTEENTRY e[256] = {};
        palette_->GetEntries(0, 0, 256, e);
        for (int i = 0; i < 256; ++i) colors[i] = RGBQUAD{e[i].peBlue, e[i].peGreen, e[i].peRed, 0};
      }
      s.colors = colors.data();
      s.colorCount = 256;
      return true;
    }
    if (bpp == 24 && (format_.dwRBitMask != 0xFF0000 || format_.dwGBitMask != 0xFF00 || format_.dwBBitMask != 0xFF))
      return false;
    s.format = gdi::PixelFormat::Make(bpp, format_.dwRBitMask, format_.dwGBitMask, format_.dwBBitMask);
    return true;
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
  std::shared_ptr<PixelStore> store_;
  bool locked_ = false;
  bool lost_ = false;
  bool hasKey_ = false;
  bool screen_ = false;     // the primary surface
  bool converted_ = false;  // on the screen in a depth other than the screen's own
  uint64_t screenGeneration_ = 0;
  RECT lockRect_{};
  DDCOLORKEY key_{};
  HDC dc_ = nullptr;
  // The pixels a lock or a DC was given out on (a flip may move store_ meanwhile).
  std::shared_ptr<PixelStore> lockedStore_, dcStore_;
  LPDIRECTDRAWPALETTE palette_ = nullptr;
  LPDIRECTDRAWCLIPPER clipper_ = nullptr;
  std::vector<MemorySurface*> chain_;  // back buffers of a flipping chain (owned references)
};

class MemoryDirectDraw final : public RefCounted<IDirectDraw7> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryFor(riid, {&IID_IDirectDraw7, &IID_IDirectDraw4, &IID_IDirectDraw}, object);
  }
  HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) override {
    if (!desc || !surface || outer || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    const bool primary = (desc->dwFlags & DDSD_CAPS) && (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
    if (primary && (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT))) return DDERR_INVALIDPARAMS;
    const bool chain = desc->dwFlags & DDSD_BACKBUFFERCOUNT;
    if (chain && (!(desc->dwFlags & DDSD_CAPS) || (desc->ddsCaps.dwCaps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) !=
                                                       (DDSCAPS_FLIP | DDSCAPS_COMPLEX) ||
                  desc->dwBackBufferCount == 0 || desc->dwBackBufferCount > 3))
      return DDERR_INVALIDCAPS;
    const HRESULT hr = primary ? MemorySurface::CreatePrimary(*desc, surface)
                               : MemorySurface::Create(*desc, DisplayFormat(), surface);
    if (hr != DD_OK || !chain) return hr;
    const HRESULT attached = static_cast<MemorySurface*>(*surface)->AttachBackBuffers(desc->dwBackBufferCount);
    if (attached != DD_OK) {
      (*surface)->Release();
      *surface = nullptr;
    }
    return attached;
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
  // Full screen needs exclusive use and a window; the other flags ask nothing of memory surfaces.
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    const bool exclusive = flags & DDSCL_EXCLUSIVE, full = flags & DDSCL_FULLSCREEN;
    if (exclusive != full || (exclusive && !window) || (exclusive && (flags & DDSCL_NORMAL)))
      return DDERR_INVALIDPARAMS;
    if (!exclusive && !(flags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
    window_ = window;
    cooperativeFlags_ = flags;
    return DD_OK;
  }
  HRESULT CreateClipper(DWORD, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) override {
    if (!clipper || outer) return DDERR_INVALIDPARAMS;
    *clipper = new (std::nothrow) MemoryClipper;
    return *clipper ? DD_OK : DDERR_OUTOFMEMORY;
  }
  HRESULT DuplicateSurface(LPDIRECTDRAWSURFACE7 source, LPDIRECTDRAWSURFACE7* duplicate) override {
    if (!source || !duplicate) return DDERR_INVALIDPARAMS;
    *duplicate = dynamic_cast<MemorySurface*>(source)->Duplicate();
    return *duplicate ? DD_OK : DDERR_OUTOFMEMORY;
  }
  HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* helCaps) override {
    for (DDCAPS* c : {driverCaps, helCaps}) {
      if (!c) continue;
      if (c->dwSize != sizeof(DDCAPS)) return DDERR_INVALIDPARAMS;
      std::memset(c, 0, sizeof *c);
      c->dwSize = sizeof *c;
      // Everything is done in software; no video memory, no gamma ramp.
      c->dwCaps = DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_BLTSTRETCH | DDCAPS_COLORKEY | DDCAPS_PALETTE;
      c->dwCKeyCaps = DDCKEYCAPS_SRCBLT;
      c->dwFXCaps = DDFXCAPS_BLTMIRRORLEFTRIGHT | DDFXCAPS_BLTMIRRORUPDOWN | DDFXCAPS_BLTSTRETCHX | DDFXCAPS_BLTSTRETCHY;
      c->dwPalCaps = DDPCAPS_8BIT;
      c->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_PALETTE;
    }
    return DD_OK;
  }
  HRESULT GetDisplayMode(LPDDSURFACEDESC2 desc) override {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    Describe(winplat::ddraw::CurrentMode(), desc);
    return DD_OK;
  }
  // The screen presents in step with the display where it can (its own vertical-blank wait);
  // nothing is left to wait for here.
  HRESULT WaitForVerticalBlank(DWORD, HANDLE) override { return DD_OK; }
  HRESULT FlipToGDISurface() override { return DD_OK; }

  HRESULT EnumDisplayModes(DWORD, LPDDSURFACEDESC2 filter, LPVOID context,
                           LPDDENUMMODESCALLBACK2 callback) override {
    if (!callback || (filter && filter->dwSize != sizeof(DDSURFACEDESC2))) return DDERR_INVALIDPARAMS;
    for (const DisplayMode& m : winplat::ddraw::OfferedModes()) {
      if (filter) {
        if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != static_cast<DWORD>(m.width)) continue;
        if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != static_cast<DWORD>(m.height)) continue;
        if ((filter->dwFlags & DDSD_PIXELFORMAT) &&
            filter->ddpfPixelFormat.dwRGBBitCount != static_cast<DWORD>(m.bits))
          continue;
      }
      DDSURFACEDESC2 d;
      Describe(m, &d);
      if (callback(&d, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
  }

  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD, DWORD) override {
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || bits > 32) return DDERR_INVALIDMODE;
    const DisplayMode before = winplat::ddraw::CurrentMode();
    const HRESULT hr = winplat::ddraw::ChangeMode(
        DisplayMode{static_cast<int>(width), static_cast<int>(height), static_cast<int>(bits)}, true);
    if (hr == DD_OK && !modeChanged_) {
      modeChanged_ = true;
      savedMode_ = before;
    }
    return hr;
  }

  HRESULT RestoreDisplayMode() override {
    if (!modeChanged_) return DD_OK;
    modeChanged_ = false;
    return winplat::ddraw::ChangeMode(savedMode_, false);
  }

  ~MemoryDirectDraw() override { RestoreDisplayMode(); }

 private:
  static DDPIXELFORMAT DisplayFormat() { return winplat::ddraw::FormatOfDepth(winplat::ddraw::CurrentMode().bits); }
  static void Describe(const DisplayMode& m, LPDDSURFACEDESC2 desc) {
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = sizeof *desc;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc->dwWidth = static_cast<DWORD>(m.width);
    desc->dwHeight = static_cast<DWORD>(m.height);
    desc->lPitch = static_cast<LONG>((static_cast<int64_t>(m.width) * m.bits + 31) / 32 * 4);
    desc->ddpfPixelFormat = winplat::ddraw::FormatOfDepth(m.bits);
  }

  HWND window_ = nullptr;
  DWORD cooperativeFlags_ = 0;
  bool modeChanged_ = false;
  DisplayMode savedMode_;
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

HRESULT WINAPI DirectDrawCreate(GUID* guid, LPDIRECTDRAW7* directDraw, IUnknown* outer) {
  if (!directDraw) return DDERR_INVALIDPARAMS;
  void* p = nullptr;
  const HRESULT hr = DirectDrawCreateEx(guid, &p, IID_IDirectDraw7, outer);
  *directDraw = static_cast<LPDIRECTDRAW7>(p);
  return hr;
}

HRESULT WINAPI DirectDrawColorToPixel(LPDIRECTDRAWSURFACE7 surface, COLORREF color, DWORD* pixel) {
  if (!surface || !pixel) return DDERR_INVALIDPARAMS;
  return dynamic_cast<MemorySurface*>(surface)->ColorToPixel(color, pixel) ? DD_OK : DDERR_INVALIDPIXELFORMAT;
}

uint64_t WINAPI DirectDrawSurfaceContentStamp(LPDIRECTDRAWSURFACE7 surface) {
  auto* s = dynamic_cast<MemorySurface*>(surface);
  return s ? s->ContentStamp() : NextContentStamp();
}

void DirectDrawLoseSurface(LPDIRECTDRAWSURFACE7 surface) {
  if (surface) dynamic_cast<MemorySurface*>(surface)->Lose();
}

int DirectDrawSetVectorLevel(int level) { return winplat::ddraw::SetVectorLevel(level); }

namespace {
char g_driver_description[] = "Display";
char g_driver_name[] = "display";
}  // namespace

HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context) {
  if (!callback) return DDERR_INVALIDPARAMS;
  callback(nullptr, g_driver_description, g_driver_name, context);
  return DD_OK;
}

VSE_EXPORT_AS("ddraw.dll", "DirectDrawCreateEx", &DirectDrawCreateEx);
VSE_EXPORT_AS("ddraw.dll", "DirectDrawEnumerateA", &DirectDrawEnumerateA);
VSE_EXPORT_AS("ddraw.dll", "DirectDrawCreate", &DirectDrawCreate);
