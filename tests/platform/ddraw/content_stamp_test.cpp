// A surface's content stamp changes with every write to its pixels, through any surface object
// on them, and with nothing else.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ddraw.h"
#include "winplat_screen.h"

namespace {

namespace screen = winplat::screen;

struct Memory {
  IDirectDraw7* dd = nullptr;
  std::vector<IDirectDrawSurface7*> made;
  Memory() {
    void* p = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &p, IID_IDirectDraw7, nullptr), DD_OK);
    dd = static_cast<IDirectDraw7*>(p);
  }
  ~Memory() {
    for (auto* s : made) s->Release();
    dd->Release();
  }
  IDirectDrawSurface7* Surface(int w, int h, DWORD caps = DDSCAPS_OFFSCREENPLAIN, DWORD backBuffers = 0) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | (w > 0 ? DDSD_WIDTH | DDSD_HEIGHT : 0) | (backBuffers ? DDSD_BACKBUFFERCOUNT : 0);
    d.ddsCaps.dwCaps = caps;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.dwBackBufferCount = backBuffers;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    if (s) made.push_back(s);
    return s;
  }
};

TEST(ContentStamp, ChangesWithEveryWriteAndNothingElse) {
  Memory m;
  IDirectDrawSurface7* s = m.Surface(64, 32);
  IDirectDrawSurface7* other = m.Surface(64, 32);
  IDirectDrawSurface7* twin = nullptr;
  ASSERT_EQ(m.dd->DuplicateSurface(s, &twin), DD_OK);
  m.made.push_back(twin);
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  RECT part{4, 4, 20, 10};
  auto lock = [](IDirectDrawSurface7* t, DWORD flags) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(t->Lock(nullptr, &d, flags, nullptr), DD_OK);
    ASSERT_EQ(t->Unlock(nullptr), DD_OK);
  };
  const struct Case {
    const char* what;
    bool changes;
    std::function<void()> act;
  } kCases[] = {
      {"nothing", false, [] {}},
      {"a colour fill", true, [&] { fx.dwFillColor = 0xFF; ASSERT_EQ(s->Blt(&part, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK); }},
      {"a blit onto it", true, [&] { ASSERT_EQ(s->Blt(&part, other, &part, 0, nullptr), DD_OK); }},
      {"a fast blit onto it", true, [&] { ASSERT_EQ(s->BltFast(0, 0, other, &part, 0), DD_OK); }},
      {"a blit from it", false, [&] { ASSERT_EQ(other->Blt(&part, s, &part, 0, nullptr), DD_OK); }},
      {"a lock", true, [&] { lock(s, DDLOCK_WAIT); }},
      {"a lock for reading", false, [&] { lock(s, DDLOCK_WAIT | DDLOCK_READONLY); }},
      {"a DC", true, [&] {
         HDC dc = nullptr;
         ASSERT_EQ(s->GetDC(&dc), DD_OK);
         ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
       }},
      {"a write through a second object on its pixels", true, [&] { lock(twin, DDLOCK_WAIT); }},
      {"a colour key", false, [&] {
         DDCOLORKEY key{1, 1};
         ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
       }},
      {"lost and restored", true, [&] {
         DirectDrawLoseSurface(s);
         ASSERT_EQ(s->Restore(), DD_OK);
       }},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const uint64_t before = DirectDrawSurfaceContentStamp(s);
    c.act();
    EXPECT_EQ(DirectDrawSurfaceContentStamp(s) != before, c.changes);
    EXPECT_EQ(DirectDrawSurfaceContentStamp(twin), DirectDrawSurfaceContentStamp(s));
  }
}

TEST(ContentStamp, NeverHoldsWhilePixelsAreOpenToWrites) {
  Memory m;
  IDirectDrawSurface7* s = m.Surface(16, 16);
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_NE(DirectDrawSurfaceContentStamp(s), DirectDrawSurfaceContentStamp(s));
  ASSERT_EQ(s->Unlock(nullptr), DD_OK);
  HDC dc = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  EXPECT_NE(DirectDrawSurfaceContentStamp(s), DirectDrawSurfaceContentStamp(s));
  ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(DirectDrawSurfaceContentStamp(s), DirectDrawSurfaceContentStamp(s));
  DirectDrawLoseSurface(s);
  EXPECT_NE(DirectDrawSurfaceContentStamp(s), DirectDrawSurfaceContentStamp(s));
  EXPECT_NE(DirectDrawSurfaceContentStamp(nullptr), DirectDrawSurfaceContentStamp(nullptr));
}

// The pixels travel along a flipping chain with their stamps; the screen, drawn on by others,
// never holds one.
TEST(ContentStamp, FollowsThePixelsThroughAFlip) {
  auto backend = std::make_shared<screen::HeadlessBackend>();
  backend->SetDisplaySize(64, 48);
  screen::SetBackend(backend);
  {
    Memory m;
    IDirectDrawSurface7* chain = m.Surface(64, 48, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_FLIP | DDSCAPS_COMPLEX, 1);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(chain->GetAttachedSurface(&caps, &back), DD_OK);
    const uint64_t front = DirectDrawSurfaceContentStamp(chain), behind = DirectDrawSurfaceContentStamp(back);
    ASSERT_EQ(chain->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(DirectDrawSurfaceContentStamp(chain), behind);
    EXPECT_EQ(DirectDrawSurfaceContentStamp(back), front);
    back->Release();

    IDirectDrawSurface7* primary = m.Surface(0, 0, DDSCAPS_PRIMARYSURFACE);
    ASSERT_NE(primary, nullptr);
    EXPECT_NE(DirectDrawSurfaceContentStamp(primary), DirectDrawSurfaceContentStamp(primary));
  }
  screen::SetBackend(nullptr);
}

}  // namespace
