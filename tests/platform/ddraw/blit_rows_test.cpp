// The vector row copies of the blits equal the pixel-at-a-time copy: keyed 32-bit copies over
// awkward widths and unaligned starts, and whole rows copied onto the screen.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "ddraw.h"
#include "winplat_screen.h"

namespace {

namespace screen = winplat::screen;

// Every vector level the processor has, the plain one first; restores the best at the end.
class VectorLevels {
 public:
  VectorLevels() : best_(DirectDrawSetVectorLevel(2)) {}
  ~VectorLevels() { DirectDrawSetVectorLevel(best_); }
  int Best() const { return best_; }

 private:
  int best_;
};

struct Memory {
  IDirectDraw7* dd = nullptr;
  Memory() {
    void* p = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &p, IID_IDirectDraw7, nullptr), DD_OK);
    dd = static_cast<IDirectDraw7*>(p);
  }
  ~Memory() { dd->Release(); }

  IDirectDrawSurface7* Surface(int w, int h, const std::vector<uint32_t>& pixels) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    if (s) Write(s, pixels);
    return s;
  }
  static void Write(IDirectDrawSurface7* s, const std::vector<uint32_t>& pixels) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < d.dwHeight; ++y)
      std::memcpy(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch, &pixels[y * d.dwWidth], d.dwWidth * 4);
    s->Unlock(nullptr);
  }
  static std::vector<uint32_t> Read(IDirectDrawSurface7* s) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    std::vector<uint32_t> out(static_cast<size_t>(d.dwWidth) * d.dwHeight);
    for (DWORD y = 0; y < d.dwHeight; ++y)
      std::memcpy(&out[y * d.dwWidth], static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch, d.dwWidth * 4);
    s->Unlock(nullptr);
    return out;
  }
};

constexpr uint32_t kKey = 0x00102030;

// Source rows: all opaque, all keyed (with differing alpha bytes), long keyed runs, and a mix
// with key-coloured pixels whose alpha byte differs and near misses of the key.
std::vector<uint32_t> SourcePixels(int w, int h, std::mt19937& gen) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t& p = px[static_cast<size_t>(y) * w + x];
      const uint32_t r = gen();
      switch (y % 4) {
        case 0: p = (r & 0xFFFFFF) == kKey ? r ^ 1 : r; break;
        case 1: p = kKey | (r & 0xFF000000); break;
        case 2: p = (x / 20) % 2 ? kKey : 0x00FFFFFF & r; break;
        default: {
          const uint32_t pick = r % 6;
          p = pick == 0 ? kKey : pick == 1 ? (kKey | 0xFF000000) : pick == 2 ? (kKey ^ 0x100) : (gen() & 0xFFFFFF);
        }
      }
    }
  return px;
}

}  // namespace

TEST(BlitRows, KeyedCopyEqualsThePixelAtATimeCopy) {
  VectorLevels levels;
  Memory mem;
  const int widths[] = {1, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33, 100};
  const int srcW = 110, dstW = 120, h = 8;
  for (int level = 0; level <= levels.Best(); ++level) {
    ASSERT_EQ(DirectDrawSetVectorLevel(level), level);
    std::mt19937 gen(7 + level);
    const std::vector<uint32_t> src = SourcePixels(srcW, h, gen);
    std::vector<uint32_t> under(static_cast<size_t>(dstW) * h);
    for (auto& p : under) p = gen();
    IDirectDrawSurface7* from = mem.Surface(srcW, h, src);
    IDirectDrawSurface7* to = mem.Surface(dstW, h, under);
    // The key as given keeps an alpha byte: only the colour bits are compared.
    DDCOLORKEY key{kKey | 0x77000000, kKey | 0x77000000};
    ASSERT_EQ(from->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    for (int w : widths)
      for (int sx : {0, 1, 3})
        for (int dx : {0, 1, 5}) {
          Memory::Write(to, under);
          RECT part{sx, 1, sx + w, h};
          const bool fast = (w + sx + dx) % 2 == 0;  // both entry points reach the row copy
          if (fast) {
            ASSERT_EQ(to->BltFast(static_cast<DWORD>(dx), 0, from, &part, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
                      DD_OK);
          } else {
            RECT dest{dx, 0, dx + w, h - 1};
            ASSERT_EQ(to->Blt(&dest, from, &part, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
          }
          std::vector<uint32_t> expected = under;
          for (int y = 0; y < h - 1; ++y)
            for (int x = 0; x < w; ++x) {
              const uint32_t s = src[static_cast<size_t>(y + 1) * srcW + sx + x];
              if ((s & 0xFFFFFF) != kKey) expected[static_cast<size_t>(y) * dstW + dx + x] = s;
            }
          ASSERT_EQ(Memory::Read(to), expected) << "level " << level << " width " << w << " from " << sx << " to " << dx;
        }
    to->Release();
    from->Release();
  }
}

// Rows of the screen's width go to the framebuffer around the cache: every pixel arrives, from
// an unaligned start too, and nothing beside the rows changes.
TEST(BlitRows, WideRowsReachTheScreen) {
  VectorLevels levels;
  auto backend = std::make_shared<screen::HeadlessBackend>();
  const int W = 1500, H = 6;
  backend->SetDisplaySize(W, H);
  screen::SetBackend(backend);
  {
    Memory mem;
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(mem.dd->CreateSurface(&d, &primary, nullptr), DD_OK);
    for (int level = 0; level <= levels.Best(); ++level) {
      ASSERT_EQ(DirectDrawSetVectorLevel(level), level);
      std::mt19937 gen(11 + level);
      for (int dx : {0, 3, 5}) {
        const int w = W - dx - 2;
        std::vector<uint32_t> src(static_cast<size_t>(w) * 4);
        for (auto& p : src) p = gen();
        IDirectDrawSurface7* back = mem.Surface(w, 4, src);
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = 0x00ABCDEF;
        ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
        RECT dest{dx, 1, dx + w, 5};
        ASSERT_EQ(primary->Blt(&dest, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        // The framebuffer itself: every byte of each pixel counts.
        const screen::Framebuffer fb = backend->GetFramebuffer();
        ASSERT_EQ(fb.width, W);
        for (int y = 0; y < H; ++y)
          for (int x = 0; x < W; ++x) {
            const bool inside = y >= 1 && y < 5 && x >= dx && x < dx + w;
            const uint32_t want = inside ? src[static_cast<size_t>(y - 1) * w + x - dx] : 0x00ABCDEF;
            uint32_t got;
            std::memcpy(&got, fb.bits + y * fb.pitch + x * 4, 4);
            ASSERT_EQ(got, want) << "level " << level << " at " << x << ", " << y;
          }
        back->Release();
      }
    }
    primary->Release();
  }
  screen::SetBackend(nullptr);
}
