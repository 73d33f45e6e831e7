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
extern const IID IID_IDirectDraw;
extern const IID IID_IDirectDraw4;
extern const IID IID_IDirectDraw7;
extern const IID IID_IDirectDrawSurface;
extern const IID IID_IDirectDrawSurface4;
extern const IID IID_IDirectDrawSurface7;
extern const IID IID_IDirectDrawPalette;
extern const IID IID_IDirectDrawClipper;

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
#define DDERR_NOPALETTEATTACHED MAKE_DDHRESULT(563)
#define DDERR_NOTFOUND MAKE_DDHRESULT(255)
#define DDERR_NOTLOCKED MAKE_DDHRESULT(584)
#define DDERR_SURFACEBUSY MAKE_DDHRESULT(430)
#define DDERR_SURFACELOST MAKE_DDHRESULT(450)
#define DDERR_WASSTILLDRAWING MAKE_DDHRESULT(540)
#define DDERR_NOCOLORKEY MAKE_DDHRESULT(215)
#define DDERR_INVALIDCAPS MAKE_DDHRESULT(100)
#define DDERR_NOCLIPPERATTACHED MAKE_DDHRESULT(205)
#define DDERR_NOTFLIPPABLE MAKE_DDHRESULT(582)
#define DDERR_BLTFASTCANTCLIP MAKE_DDHRESULT(574)
#define DDERR_DCALREADYCREATED MAKE_DDHRESULT(620)
#define DDERR_NODC MAKE_DDHRESULT(586)
#define DDERR_CANTCREATEDC MAKE_DDHRESULT(581)
#define DDERR_INVALIDMODE MAKE_DDHRESULT(90)
#define DDERR_WRONGMODE MAKE_DDHRESULT(587)
#define DDERR_NOCLIPLIST MAKE_DDHRESULT(206)
#define DDERR_REGIONTOOSMALL MAKE_DDHRESULT(440)
#define DDERR_NOEXCLUSIVEMODE MAKE_DDHRESULT(225)
#define DDERR_NODIRECTDRAWHW MAKE_DDHRESULT(565)

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

// Surface capabilities of a DirectDraw object (own layout: dwSize = sizeof(DDCAPS)).
struct DDCAPS {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCKeyCaps;
  DWORD dwFXCaps;
  DWORD dwPalCaps;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  DWORD dwSVBCaps;
  DDSCAPS2 ddsCaps;
};
#define DDCAPS_3D 0x00000001u
#define DDCAPS_BLT 0x00000040u
#define DDCAPS_BLTCOLORFILL 0x04000000u
#define DDCAPS_BLTSTRETCH 0x00000200u
#define DDCAPS_COLORKEY 0x00400000u
#define DDCAPS_PALETTE 0x00008000u
#define DDCAPS2_PRIMARYGAMMA 0x00020000u
#define DDCKEYCAPS_SRCBLT 0x00000200u
#define DDFXCAPS_BLTMIRRORLEFTRIGHT 0x00000010u
#define DDFXCAPS_BLTMIRRORUPDOWN 0x00000020u
#define DDFXCAPS_BLTSTRETCHX 0x00200000u
#define DDFXCAPS_BLTSTRETCHY 0x00800000u

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

// Blit effects (own layout: dwSize = sizeof(DDBLTFX)).
struct DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwFillColor;
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};
using LPDDBLTFX = DDBLTFX*;

// Blt flags.
#define DDBLT_COLORFILL 0x00000400u
#define DDBLT_DDFX 0x00000800u
#define DDBLT_KEYSRC 0x00008000u
#define DDBLT_KEYSRCOVERRIDE 0x00010000u
#define DDBLT_WAIT 0x01000000u
// DDBLTFX.dwDDFX
#define DDBLTFX_MIRRORLEFTRIGHT 0x00000002u
#define DDBLTFX_MIRRORUPDOWN 0x00000004u
// BltFast flags.
#define DDBLTFAST_NOCOLORKEY 0x00000000u
#define DDBLTFAST_SRCCOLORKEY 0x00000001u
#define DDBLTFAST_DESTCOLORKEY 0x00000002u
#define DDBLTFAST_WAIT 0x00000010u
// Flip flags.
#define DDFLIP_WAIT 0x00000001u
// WaitForVerticalBlank flags.
#define DDWAITVB_BLOCKBEGIN 0x00000001u

// Description flags.
#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_BACKBUFFERCOUNT 0x00000020u
#define DDSD_LPSURFACE 0x00000800u
#define DDSD_PIXELFORMAT 0x00001000u
#define DDSD_CKSRCBLT 0x00010000u
#define DDSD_REFRESHRATE 0x00040000u

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
#define DDPCAPS_INITIALIZE 0x00000008u
#define DDPCAPS_ALLOW256 0x00000040u
#define DDPCAPS_1BIT 0x00000100u
#define DDPCAPS_2BIT 0x00000200u

// Cooperative levels.
#define DDSCL_FULLSCREEN 0x00000001u
#define DDSCL_ALLOWREBOOT 0x00000002u
#define DDSCL_NOWINDOWCHANGES 0x00000004u
#define DDSCL_NORMAL 0x00000008u
#define DDSCL_EXCLUSIVE 0x00000010u
#define DDSCL_ALLOWMODEX 0x00000040u

#define DDENUMRET_CANCEL 0
#define DDENUMRET_OK 1
using LPDDENUMMODESCALLBACK2 = HRESULT(WINAPI*)(LPDDSURFACEDESC2 desc, LPVOID context);
// DirectDrawEnumerateA: one call per driver (guid null: the display's own driver).
using LPDDENUMCALLBACKA = BOOL(WINAPI*)(GUID* guid, LPSTR description, LPSTR name, LPVOID context);

struct IDirectDrawPalette : IUnknown {
  virtual HRESULT GetCaps(LPDWORD caps) = 0;
  virtual HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, PALETTEENTRY* entries) = 0;
  virtual HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, const PALETTEENTRY* entries) = 0;
};
using LPDIRECTDRAWPALETTE = IDirectDrawPalette*;

// A clipper: the window it clips to. Off-screen surfaces keep it; clipping to a window's visible
// region belongs to the primary surface: a blit to the primary draws only where the window shows.
struct IDirectDrawClipper : IUnknown {
  virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;
  virtual HRESULT GetHWnd(HWND* window) = 0;
  // The window's visible part in screen coordinates (within `clip` when given) as region data.
  // data null: *size receives the bytes needed. DDERR_NOCLIPLIST without a window.
  virtual HRESULT GetClipList(LPRECT clip, LPRGNDATA data, LPDWORD size) = 0;
  // Whether the visible part changed since the last GetClipList.
  virtual HRESULT IsClipListChanged(BOOL* changed) = 0;
};
using LPDIRECTDRAWCLIPPER = IDirectDrawClipper*;

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
  // destRect/srcRect null: the whole surface. Without a clipper the rectangles must lie inside
  // their surfaces; with one the destination is clipped to the surface. Formats must match.
  virtual HRESULT Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT srcRect, DWORD flags, LPDDBLTFX fx) = 0;
  // An unstretched copy without clipping (DDERR_BLTFASTCANTCLIP when a clipper is attached).
  virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, LPRECT srcRect, DWORD flags) = 0;
  // A GDI device context on the pixels; until ReleaseDC the surface counts as locked.
  virtual HRESULT GetDC(HDC* dc) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;
  virtual HRESULT GetCaps(DDSCAPS2* caps) = 0;
  virtual HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) = 0;
  virtual HRESULT GetClipper(LPDIRECTDRAWCLIPPER* clipper) = 0;
  // Flipping chains (DDSD_BACKBUFFERCOUNT with DDSCAPS_FLIP | DDSCAPS_COMPLEX): the back buffer
  // attached to the front one, and the exchange of their pixels.
  virtual HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** attached) = 0;
  virtual HRESULT Flip(IDirectDrawSurface7* target, DWORD flags) = 0;
};
using LPDIRECTDRAWSURFACE7 = IDirectDrawSurface7*;

struct IDirectDraw7 : IUnknown {
  virtual HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) = 0;
  virtual HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, LPDIRECTDRAWPALETTE* palette,
                                IUnknown* outer) = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) = 0;
  // A second surface object on the same pixels.
  virtual HRESULT DuplicateSurface(LPDIRECTDRAWSURFACE7 source, LPDIRECTDRAWSURFACE7* duplicate) = 0;
  virtual HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* helCaps) = 0;
  // The display's size and pixel format; new surfaces without a format of their own take it.
  virtual HRESULT GetDisplayMode(LPDDSURFACEDESC2 desc) = 0;
  virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
  virtual HRESULT FlipToGDISurface() = 0;
  // The modes the screen offers, each once, in the screen's order (desc: only those matching its
  // width, height and bit count as far as its flags give them). The callback answers
  // DDENUMRET_OK for more.
  virtual HRESULT EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context,
                                   LPDDENUMMODESCALLBACK2 callback) = 0;
  // A listed mode: the screen takes its size, new surfaces its depth (converted to the screen's
  // pixels on the way). DDERR_INVALIDMODE for any other.
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refreshRate, DWORD flags) = 0;
  // Back to the mode before this object's first SetDisplayMode (also done when it is released).
  virtual HRESULT RestoreDisplayMode() = 0;
};
using LPDIRECTDRAW7 = IDirectDraw7*;

// guid: null for the default driver. iid: IID_IDirectDraw7 (IID_IDirectDraw and IID_IDirectDraw4
// answer the same object, whose interface is IDirectDraw7).
HRESULT WINAPI DirectDrawCreateEx(GUID* guid, LPVOID* directDraw, REFIID iid, IUnknown* outer);
HRESULT WINAPI DirectDrawCreate(GUID* guid, LPDIRECTDRAW7* directDraw, IUnknown* outer);
HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context);

// The pixel value GDI writes for `color` on this surface (the nearest palette entry on indexed
// surfaces), computed without touching the pixels; works while the surface is locked.
HRESULT WINAPI DirectDrawColorToPixel(LPDIRECTDRAWSURFACE7 surface, COLORREF color, DWORD* pixel);

// A stamp of the surface's pixels: the same stamp again means they have not changed since, by
// any surface object on them. The screen, and a surface locked or with its DC out, answer a new
// stamp every time.
uint64_t WINAPI DirectDrawSurfaceContentStamp(LPDIRECTDRAWSURFACE7 surface);

// The primary surface (DDSCAPS_PRIMARYSURFACE, no size) is the screen: its pixels are the
// screen's framebuffer (at depths below 32 bits a copy of it in that depth, converted when it
// changes), and what is drawn on it is presented at once. With a clipper bound to a window a
// blit onto it draws only into that window's visible client area. A change of the screen's
// size or of the backend loses it; Restore takes it back when the mode is still its own.

// Test hook: marks a surface lost, as a mode switch would; Restore brings it back (cleared).
void DirectDrawLoseSurface(LPDIRECTDRAWSURFACE7 surface);

// Test hook: the widest vector code the blits may use (2 AVX2, 1 SSE2, 0 one pixel at a time),
// never above what the processor has; answers the level now in use.
int DirectDrawSetVectorLevel(int level);
