// DirectDraw-like surface model: a DirectDraw object creating surfaces and palettes in memory.
// Interfaces are C++ abstract classes with the reference counting of COM objects.
#pragma once
#include "wintypes.h"
#include "winerror.h"
#include "wingdi.h"

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

extern const IID IID_IUnknown;
extern const IID IID_IDirectDraw7;
extern const IID IID_IDirectDrawSurface7;
extern const IID IID_IDirectDrawPalette;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

// Result codes.
#define DD_OK S_OK
#define DD_FALSE S_FALSE
#define MAKE_DDHRESULT(code) static_cast<HRESULT>(0x88760000u | (code))
#define DDERR_GENERIC E_FAIL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_UNSUPPORTED E_NOTIMPL
#define DDERR_INVALIDOBJECT MAKE_DDHRESULT(130)
#define DDERR_INVALIDPIXELFORMAT MAKE_DDHRESULT(145)
#define DDERR_INVALIDRECT MAKE_DDHRESULT(150)
#define DDERR_NOPALETTEATTACHED MAKE_DDHRESULT(255)
#define DDERR_NOTLOCKED MAKE_DDHRESULT(584)
#define DDERR_SURFACEBUSY MAKE_DDHRESULT(430)
#define DDERR_SURFACELOST MAKE_DDHRESULT(450)
#define DDERR_WASSTILLDRAWING MAKE_DDHRESULT(540)
#define DDERR_NOCOLORKEY MAKE_DDHRESULT(215)
#define DDERR_INVALIDCAPS MAKE_DDHRESULT(100)

// Pixel format flags.
#define DDPF_ALPHAPIXELS 0x00000001u
#define DDPF_ALPHA 0x00000002u
#define DDPF_FOURCC 0x00000004u
#define DDPF_PALETTEINDEXED4 0x00000008u
#define DDPF_PALETTEINDEXEDTO8 0x00000010u
#define DDPF_PALETTEINDEXED8 0x00000020u
#define DDPF_RGB 0x00000040u
#define DDPF_PALETTEINDEXED1 0x00000800u
#define DDPF_PALETTEINDEXED2 0x00001000u

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
};
static_assert(sizeof(DDPIXELFORMAT) == 32);

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
};

// Surface description. Its size field names the layout; a pointer field makes it larger than on
// 32-bit systems, so callers set dwSize = sizeof(DDSURFACEDESC2).
struct DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  DWORD dwRefreshRate;
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage;
};
using LPDDSURFACEDESC2 = DDSURFACEDESC2*;

// Description flags.
#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_BACKBUFFERCOUNT 0x00000020u
#define DDSD_LPSURFACE 0x00000800u
#define DDSD_PIXELFORMAT 0x00001000u
#define DDSD_CKSRCBLT 0x00010000u

// Capabilities.
#define DDSCAPS_BACKBUFFER 0x00000004u
#define DDSCAPS_COMPLEX 0x00000008u
#define DDSCAPS_FLIP 0x00000010u
#define DDSCAPS_FRONTBUFFER 0x00000020u
#define DDSCAPS_OFFSCREENPLAIN 0x00000040u
#define DDSCAPS_PALETTE 0x00000100u
#define DDSCAPS_PRIMARYSURFACE 0x00000200u
#define DDSCAPS_SYSTEMMEMORY 0x00000800u
#define DDSCAPS_TEXTURE 0x00001000u
#define DDSCAPS_3DDEVICE 0x00002000u
#define DDSCAPS_VIDEOMEMORY 0x00004000u

// Lock flags.
#define DDLOCK_SURFACEMEMORYPTR 0x00000000u
#define DDLOCK_WAIT 0x00000001u
#define DDLOCK_READONLY 0x00000010u
#define DDLOCK_WRITEONLY 0x00000020u
#define DDLOCK_NOSYSLOCK 0x00000800u

// Colour key flags.
#define DDCKEY_SRCBLT 0x00000008u

// Palette capabilities.
#define DDPCAPS_4BIT 0x00000001u
#define DDPCAPS_8BITENTRIES 0x00000002u
#define DDPCAPS_8BIT 0x00000004u
#define DDPCAPS_ALLOW256 0x00000040u
#define DDPCAPS_1BIT 0x00000100u
#define DDPCAPS_2BIT 0x00000200u

// Cooperative levels.
#define DDSCL_FULLSCREEN 0x00000001u
#define DDSCL_ALLOWREBOOT 0x00000002u
#define DDSCL_NOWINDOWCHANGES 0x00000004u
#define DDSCL_NORMAL 0x00000008u
#define DDSCL_EXCLUSIVE 0x00000010u

struct IDirectDrawPalette : IUnknown {
  virtual HRESULT GetCaps(LPDWORD caps) = 0;
  virtual HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, PALETTEENTRY* entries) = 0;
  virtual HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, const PALETTEENTRY* entries) = 0;
};
using LPDIRECTDRAWPALETTE = IDirectDrawPalette*;

struct IDirectDrawSurface7 : IUnknown {
  virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) = 0;
  virtual HRESULT GetPixelFormat(DDPIXELFORMAT* format) = 0;
  virtual HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) = 0;
  virtual HRESULT Unlock(LPRECT rect) = 0;
  virtual HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) = 0;
  virtual HRESULT GetPalette(LPDIRECTDRAWPALETTE* palette) = 0;
  virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
  virtual HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Restore() = 0;
};
using LPDIRECTDRAWSURFACE7 = IDirectDrawSurface7*;

struct IDirectDraw7 : IUnknown {
  virtual HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) = 0;
  virtual HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, LPDIRECTDRAWPALETTE* palette,
                                IUnknown* outer) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
};
using LPDIRECTDRAW7 = IDirectDraw7*;

// guid: null for the default driver. iid must be IID_IDirectDraw7.
HRESULT WINAPI DirectDrawCreateEx(GUID* guid, LPVOID* directDraw, REFIID iid, IUnknown* outer);
