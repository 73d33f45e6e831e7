// The memory DirectDraw itself: blit rules, fills, device contexts, duplicates.
#include <gtest/gtest.h>

#include <cstring>

#include "support.h"

using namespace dxtest;

namespace {

struct Raw {
  IDirectDraw7* dd = nullptr;
  Raw() {
    void* p = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &p, IID_IDirectDraw7, nullptr), DD_OK);
    dd = static_cast<IDirectDraw7*>(p);
  }
  ~Raw() { dd->Release(); }
  IDirectDrawSurface7* Surface(int w, int h, int bits = 32) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.ddpfPixelFormat = Format(bits);
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }
};

uint32_t At(IDirectDrawSurface7* s, int x, int y) {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  if (s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEADBEEF;
  uint32_t v;
  std::memcpy(&v, static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * 4, 4);
  s->Unlock(nullptr);
  return v;
}

DDBLTFX Fx() {
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  return fx;
}

TEST(MemoryDirectDraw, BltRectanglesMustFitWithoutAClipper) {
  Raw r;
  IDirectDrawSurface7* a = r.Surface(4, 4);
  IDirectDrawSurface7* b = r.Surface(4, 4);
  DDBLTFX fx = Fx();
  fx.dwFillColor = 0xFF123456;  // bits beyond the format are dropped
  RECT out{2, 2, 6, 6};
  EXPECT_EQ(a->Blt(&out, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
  EXPECT_EQ(a->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(At(a, 3, 3), 0x123456u);
  RECT badSrc{0, 0, 5, 1};
  EXPECT_EQ(b->Blt(nullptr, a, &badSrc, 0, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(b->BltFast(2, 2, a, nullptr, 0), DDERR_INVALIDRECT);
  // With a clipper the destination is clipped instead; BltFast refuses to clip.
  IDirectDrawClipper* c = nullptr;
  ASSERT_EQ(r.dd->CreateClipper(0, &c, nullptr), DD_OK);
  ASSERT_EQ(b->SetClipper(c), DD_OK);
  RECT half{2, 2, 6, 6};
  EXPECT_EQ(b->Blt(&half, a, nullptr, 0, nullptr), DD_OK);
  EXPECT_EQ(At(b, 3, 3), 0x123456u);
  EXPECT_EQ(At(b, 1, 1), 0u);
  EXPECT_EQ(b->BltFast(0, 0, a, nullptr, DDBLTFAST_WAIT), DDERR_BLTFASTCANTCLIP);
  // A keyed blit needs a key.
  EXPECT_EQ(b->Blt(nullptr, a, nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
  DDBLTFX over = Fx();
  over.ddckSrcColorkey = {0x123456, 0x123456};
  EXPECT_EQ(b->Blt(nullptr, a, nullptr, DDBLT_KEYSRCOVERRIDE, &over), DD_OK);
  c->Release();
  a->Release();
  b->Release();
}

TEST(MemoryDirectDraw, OverlappingCopiesWithinOneSurfaceReadTheOldPixels) {
  Raw r;
  IDirectDrawSurface7* s = r.Surface(4, 1);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  ASSERT_EQ(s->Lock(nullptr, &d, 0, nullptr), DD_OK);
  for (uint32_t i = 0; i < 4; ++i) static_cast<uint32_t*>(d.lpSurface)[i] = i + 1;
  s->Unlock(nullptr);
  RECT from{0, 0, 3, 1};
  ASSERT_EQ(s->BltFast(1, 0, s, &from, 0), DD_OK);
  EXPECT_EQ(At(s, 1, 0), 1u);
  EXPECT_EQ(At(s, 3, 0), 3u);
  s->Release();
}

TEST(MemoryDirectDraw, DeviceContextsMakeTheSurfaceBusyUntilReleased) {
  Raw r;
  IDirectDrawSurface7* s = r.Surface(4, 4);
  IDirectDrawSurface7* t = r.Surface(4, 4);
  HDC dc = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  HDC second = nullptr;
  EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  EXPECT_EQ(s->Lock(nullptr, &d, 0, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(t->Blt(nullptr, s, nullptr, 0, nullptr), DDERR_SURFACEBUSY);
  SetPixel(dc, 1, 2, RGB(10, 20, 30));
  EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
  EXPECT_EQ(At(s, 1, 2), 0x0A141Eu);
  // A stale DC is refused by GDI rather than drawing anywhere.
  EXPECT_EQ(SetPixel(dc, 0, 0, RGB(1, 1, 1)), static_cast<COLORREF>(-1));
  s->Release();
  t->Release();
}

TEST(MemoryDirectDraw, IndexedContextsUseTheSurfacesPalette) {
  Raw r;
  IDirectDrawSurface7* s = r.Surface(2, 1, 8);
  PALETTEENTRY e[256] = {};
  e[7] = PALETTEENTRY{200, 100, 50, 0};
  IDirectDrawPalette* p = nullptr;
  ASSERT_EQ(r.dd->CreatePalette(DDPCAPS_8BIT, e, &p, nullptr), DD_OK);
  ASSERT_EQ(s->SetPalette(p), DD_OK);
  HDC dc = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  SetPixel(dc, 1, 0, RGB(200, 100, 50));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(200, 100, 50));
  s->ReleaseDC(dc);
  DWORD v = 0;
  ASSERT_EQ(DirectDrawColorToPixel(s, RGB(200, 100, 50), &v), DD_OK);
  EXPECT_EQ(v, 7u);
  p->Release();
  s->Release();
}

TEST(MemoryDirectDraw, NewSurfacesAreZeroAndDuplicatesSharePixels) {
  Raw r;
  IDirectDrawSurface7* s = r.Surface(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(At(s, x, y), 0u);
  IDirectDrawSurface7* dup = nullptr;
  ASSERT_EQ(r.dd->DuplicateSurface(s, &dup), DD_OK);
  DDBLTFX fx = Fx();
  fx.dwFillColor = 9;
  s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  EXPECT_EQ(At(dup, 5, 5), 9u);
  s->Release();
  EXPECT_EQ(At(dup, 5, 5), 9u);  // the pixels outlive the first surface
  dup->Release();
  // The primary surface is the screen: it takes no size of its own.
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = d.dwHeight = 8;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* primary = nullptr;
  EXPECT_EQ(r.dd->CreateSurface(&d, &primary, nullptr), DDERR_INVALIDPARAMS);
}

}  // namespace

namespace {

TEST(MemoryDirectDraw, FlippingChainsExchangeFrontAndBack) {
  Raw r;
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_BACKBUFFERCOUNT;
  d.ddsCaps.dwCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_OFFSCREENPLAIN;
  d.dwWidth = 4;
  d.dwHeight = 2;
  d.dwBackBufferCount = 1;
  IDirectDrawSurface7* front = nullptr;
  ASSERT_EQ(r.dd->CreateSurface(&d, &front, nullptr), DD_OK);
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);
  DDSCAPS2 got{};
  back->GetCaps(&got);
  EXPECT_NE(got.dwCaps & DDSCAPS_BACKBUFFER, 0u);
  DDBLTFX fx = Fx();
  fx.dwFillColor = 0x00AA00;
  back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  EXPECT_EQ(At(front, 0, 0), 0u);
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(At(front, 3, 1), 0x00AA00u);
  EXPECT_EQ(At(back, 3, 1), 0u);
  // Not while a context is out; not on a surface without a chain.
  HDC dc = nullptr;
  ASSERT_EQ(back->GetDC(&dc), DD_OK);
  EXPECT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
  back->ReleaseDC(dc);
  EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
  back->Release();
  front->Release();
}

}  // namespace

#include <random>

namespace {

// Whatever rectangles and flags a caller passes, blits stay inside both surfaces.
TEST(MemoryDirectDraw, RandomBlitsStayInsideTheirSurfaces) {
  Raw r;
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(r.dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  for (int bits : {8, 16, 24, 32}) {
    IDirectDrawSurface7* a = r.Surface(pick(1, 40), pick(1, 40), bits);
    IDirectDrawSurface7* b = r.Surface(pick(1, 40), pick(1, 40), bits);
    DDCOLORKEY key{3, 3};
    a->SetColorKey(DDCKEY_SRCBLT, &key);
    for (int i = 0; i < 3000; ++i) {
      if (i == 1500) b->SetClipper(clipper);
      RECT d{pick(-50, 50), pick(-50, 50), pick(-50, 90), pick(-50, 90)};
      RECT s{pick(-10, 45), pick(-10, 45), pick(-10, 45), pick(-10, 45)};
      DDBLTFX fx = Fx();
      fx.dwDDFX = static_cast<DWORD>(pick(0, 7));
      fx.dwFillColor = rng();
      const DWORD flags = (rng() & 1 ? DDBLT_KEYSRC : 0) | (rng() & 1 ? DDBLT_DDFX : 0) | (i % 17 == 0 ? DDBLT_COLORFILL : 0);
      b->Blt(rng() % 8 ? &d : nullptr, a, rng() % 8 ? &s : nullptr, flags, &fx);
      b->BltFast(static_cast<DWORD>(pick(-5, 45)), static_cast<DWORD>(pick(-5, 45)), a, rng() % 4 ? &s : nullptr,
                 rng() & 1 ? DDBLTFAST_SRCCOLORKEY : 0);
      a->Blt(&d, a, &s, flags & ~DDBLT_COLORFILL, &fx);
    }
    a->Release();
    b->Release();
  }
  clipper->Release();
}

}  // namespace
