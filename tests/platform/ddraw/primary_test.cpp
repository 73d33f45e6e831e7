// The primary surface is the screen: blits through a clipper bound to a window land only where
// that window shows; display modes come from the screen; a mode change loses the primary.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ddraw.h"
#include "test_support.h"
#include "winplat_screen.h"
#include "winplat_user.h"
#include "winuser.h"

namespace {

namespace screen = winplat::screen;

LRESULT CALLBACK Plain(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// A headless screen of 320 x 240 with a board window at (20, 10) 200 x 150 and a tool bar child
// over its top 30 rows (painted white by its class brush).
struct Desk {
  std::shared_ptr<screen::HeadlessBackend> backend = std::make_shared<screen::HeadlessBackend>();
  HWND board = nullptr, bar = nullptr;
  IDirectDraw7* dd = nullptr;

  Desk() {
    backend->SetDisplaySize(320, 240);
    screen::SetBackend(backend);
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Plain;
      wc.lpszClassName = u"DeskBoard";
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
      RegisterClassW(&wc);
      wc.lpszClassName = u"DeskBar";
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      RegisterClassW(&wc);
      registered = true;
    }
    board = CreateWindowExW(0, u"DeskBoard", u"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 10, 200, 150,
                            nullptr, nullptr, nullptr, nullptr);
    bar = CreateWindowExW(0, u"DeskBar", u"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30, board, nullptr, nullptr,
                          nullptr);
    winplat::user::PumpMessages();
    void* p = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &p, IID_IDirectDraw7, nullptr), DD_OK);
    dd = static_cast<IDirectDraw7*>(p);
  }
  ~Desk() {
    dd->Release();
    DestroyWindow(board);
    screen::SetBackend(nullptr);
  }

  IDirectDrawSurface7* Primary() {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }
  IDirectDrawSurface7* Back(int w, int h, uint32_t fill) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = fill;
    EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    return s;
  }
  uint32_t Screen(int x, int y) {
    int w = 0, h = 0;
    auto px = backend->Screenshot(&w, &h);
    return px[static_cast<size_t>(y) * w + x];
  }
};

TEST(PrimarySurface, ClipperKeepsTheBlitInsideTheWindowsVisiblePart) {
  Desk desk;
  IDirectDrawSurface7* primary = desk.Primary();
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  ASSERT_EQ(primary->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwWidth, 320u);
  EXPECT_EQ(d.dwHeight, 240u);
  EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
  EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 32u);

  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(desk.dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, desk.board), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);

  // The clip list is the board's client area less the bar.
  DWORD size = 0;
  ASSERT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DD_OK);
  std::vector<char> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  ASSERT_EQ(clipper->GetClipList(nullptr, data, &size), DD_OK);
  ASSERT_EQ(data->rdh.nCount, 1u);
  RECT r;
  std::memcpy(&r, data->Buffer, sizeof r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right, 220);
  EXPECT_EQ(r.bottom, 160);
  BOOL changed = TRUE;
  clipper->IsClipListChanged(&changed);
  EXPECT_FALSE(changed);

  // A blit of the whole board lands below the bar only; nothing outside the window changes.
  IDirectDrawSurface7* back = desk.Back(200, 150, 0xFF0000);
  const uint32_t desktop = desk.Screen(10, 50);
  RECT dest{20, 10, 220, 160};
  ASSERT_EQ(primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desk.Screen(30, 20), 0xFFFFFFu);  // the bar
  EXPECT_EQ(desk.Screen(30, 50), 0xFF0000u);
  EXPECT_EQ(desk.Screen(219, 159), 0xFF0000u);
  EXPECT_EQ(desk.Screen(10, 50), desktop);
  EXPECT_EQ(desk.Screen(221, 100), desktop);
  ASSERT_TRUE(test_support::WriteScreenshotPng("primary_clipped.png"));

  // The bar moves down: the clip list follows, and so does the next blit.
  SetWindowPos(desk.bar, nullptr, 0, 60, 200, 30, SWP_NOZORDER | SWP_NOACTIVATE);
  winplat::user::PumpMessages();
  clipper->IsClipListChanged(&changed);
  EXPECT_TRUE(changed);
  IDirectDrawSurface7* green = desk.Back(200, 150, 0x00FF00);
  ASSERT_EQ(primary->Blt(&dest, green, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desk.Screen(30, 20), 0x00FF00u);
  EXPECT_EQ(desk.Screen(30, 80), 0xFFFFFFu);
  EXPECT_EQ(desk.Screen(30, 100), 0x00FF00u);

  // A hidden window shows nowhere: the blit draws nothing.
  ShowWindow(desk.board, SW_HIDE);
  IDirectDrawSurface7* blue = desk.Back(200, 150, 0x0000FF);
  ASSERT_EQ(primary->Blt(&dest, blue, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_NE(desk.Screen(30, 100), 0x0000FFu);

  // Without a clipper the blit covers the bar as well.
  ShowWindow(desk.board, SW_SHOWNA);
  winplat::user::PumpMessages();
  primary->SetClipper(nullptr);
  ASSERT_EQ(primary->Blt(&dest, blue, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desk.Screen(30, 80), 0x0000FFu);

  blue->Release();
  green->Release();
  back->Release();
  clipper->Release();
  primary->Release();
}

TEST(PrimarySurface, ModesComeFromTheScreenAndAChangeLosesThePrimary) {
  Desk desk;
  desk.backend->SetScreenModes({{640, 480, 32}, {320, 240, 32}, {320, 240, 16}, {800, 600, 8}, {320, 240, 32}});
  std::vector<std::vector<int>> seen;
  desk.dd->EnumDisplayModes(0, nullptr, &seen, [](LPDDSURFACEDESC2 d, LPVOID c) -> HRESULT {
    static_cast<std::vector<std::vector<int>>*>(c)->push_back(
        {static_cast<int>(d->dwWidth), static_cast<int>(d->dwHeight), static_cast<int>(d->ddpfPixelFormat.dwRGBBitCount)});
    return DDENUMRET_OK;
  });
  EXPECT_EQ(seen, (std::vector<std::vector<int>>{{640, 480, 32}, {320, 240, 32}, {320, 240, 16}, {800, 600, 8}}));

  ASSERT_EQ(desk.dd->SetCooperativeLevel(desk.board, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWMODEX), DD_OK);
  EXPECT_EQ(desk.dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  IDirectDrawSurface7* primary = desk.Primary();
  EXPECT_EQ(primary->IsLost(), DD_OK);

  struct Case {
    DWORD w, h, bits;
    HRESULT result;
    int screenW;
  };
  const Case cases[] = {
      {1024, 768, 32, DDERR_INVALIDMODE, 320},  // not offered
      {320, 240, 24, DDERR_INVALIDMODE, 320},   // size offered, depth not
      {320, 240, 32, DD_OK, 320},               // the current mode
      {640, 480, 32, DD_OK, 640},               // the screen takes the size
  };
  for (const Case& c : cases) {
    EXPECT_EQ(desk.dd->SetDisplayMode(c.w, c.h, c.bits, 0, 0), c.result) << c.w << "x" << c.h << "x" << c.bits;
    EXPECT_EQ(desk.backend->DisplaySize().cx, c.screenW);
  }
  DDSURFACEDESC2 mode{};
  mode.dwSize = sizeof mode;
  ASSERT_EQ(desk.dd->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 640u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 32u);

  // The old primary is lost and cannot come back in another mode; a new one is made.
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
  primary->Release();
  primary = desk.Primary();
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  primary->GetSurfaceDesc(&d);
  EXPECT_EQ(d.dwWidth, 640u);

  // Back to the first mode: the primary of 640 x 480 is lost until the mode is its own again.
  ASSERT_EQ(desk.dd->RestoreDisplayMode(), DD_OK);
  EXPECT_EQ(desk.backend->DisplaySize().cx, 320);
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  primary->Release();
}

TEST(PrimarySurface, SmallerDepthsAreConvertedOnTheWayToTheScreen) {
  Desk desk;
  desk.backend->SetScreenModes({{320, 240, 16}, {320, 240, 8}, {320, 240, 32}});
  ASSERT_EQ(desk.dd->SetDisplayMode(320, 240, 16, 0, 0), DD_OK);
  IDirectDrawSurface7* primary = desk.Primary();
  DDPIXELFORMAT pf{};
  primary->GetPixelFormat(&pf);
  EXPECT_EQ(pf.dwRGBBitCount, 16u);
  EXPECT_EQ(pf.dwRBitMask, 0xF800u);
  // Off-screen surfaces take the display's depth, so they blit onto the primary.
  IDirectDrawSurface7* back = desk.Back(10, 10, 0xF800);  // red in 5-6-5
  RECT dest{100, 100, 110, 110};
  ASSERT_EQ(primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desk.Screen(105, 105), 0xFF0000u);
  back->Release();
  primary->Release();

  // 8 bits: the primary's palette gives the colours.
  ASSERT_EQ(desk.dd->SetDisplayMode(320, 240, 8, 0, 0), DD_OK);
  primary = desk.Primary();
  PALETTEENTRY entries[256] = {};
  entries[7] = PALETTEENTRY{0x12, 0x34, 0x56, 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(desk.dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(primary->SetPalette(palette), DD_OK);
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 7;
  ASSERT_EQ(primary->Blt(&dest, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(desk.Screen(100, 109), 0x123456u);
  EXPECT_EQ(desk.Screen(110, 109), 0u);
  palette->Release();
  primary->Release();
}

TEST(PrimarySurface, FlippingChainOnTheScreen) {
  Desk desk;
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof d;
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.dwBackBufferCount = 1;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  IDirectDrawSurface7* front = nullptr;
  ASSERT_EQ(desk.dd->CreateSurface(&d, &front, nullptr), DD_OK);
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);
  DDSURFACEDESC2 bd{};
  bd.dwSize = sizeof bd;
  back->GetSurfaceDesc(&bd);
  EXPECT_EQ(bd.dwWidth, 320u);
  EXPECT_FALSE(bd.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0x336699;
  ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  const uint32_t before = desk.Screen(5, 5);
  ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(desk.Screen(5, 5), 0x336699u);
  EXPECT_EQ(desk.Screen(300, 230), 0x336699u);
  // The back buffer now holds what the screen showed.
  DDSURFACEDESC2 ld{};
  ld.dwSize = sizeof ld;
  ASSERT_EQ(back->Lock(nullptr, &ld, DDLOCK_WAIT, nullptr), DD_OK);
  uint32_t v;
  std::memcpy(&v, static_cast<uint8_t*>(ld.lpSurface) + 5 * ld.lPitch + 20, 4);
  back->Unlock(nullptr);
  EXPECT_EQ(v, before);
  back->Release();
  front->Release();
}

TEST(PrimarySurface, OneDriverIsEnumerated) {
  std::vector<std::string> names;
  ASSERT_EQ(DirectDrawEnumerateA(
                [](GUID* guid, LPSTR description, LPSTR name, LPVOID c) -> BOOL {
                  EXPECT_EQ(guid, nullptr);
                  static_cast<std::vector<std::string>*>(c)->push_back(name);
                  return TRUE;
                },
                &names),
            DD_OK);
  EXPECT_EQ(names, std::vector<std::string>{"display"});
}

}  // namespace
