#include "ddraw_display.h"

namespace winplat::ddraw {

DisplayMode CurrentMode() {
  auto backend = screen::CurrentBackend();
  const SIZE s = backend->DisplaySize();
  return DisplayMode{s.cx, s.cy, backend->ScreenDepth()};
}

DDPIXELFORMAT FormatOfDepth(int bits) {
  DDPIXELFORMAT pf{};
  pf.dwSize = sizeof pf;
  pf.dwRGBBitCount = static_cast<DWORD>(bits);
  if (bits == 8) {
    pf.dwFlags = DDPF_PALETTEINDEXED8;
    return pf;
  }
  pf.dwFlags = DDPF_RGB;
  if (bits == 16) {
    pf.dwRBitMask = 0xF800;
    pf.dwGBitMask = 0x07E0;
    pf.dwBBitMask = 0x001F;
  } else {
    pf.dwRBitMask = 0xFF0000;
    pf.dwGBitMask = 0x00FF00;
    pf.dwBBitMask = 0x0000FF;
  }
  return pf;
}

std::vector<DisplayMode> OfferedModes() {
  std::vector<DisplayMode> out;
  for (const screen::ScreenMode& m : screen::CurrentBackend()->ScreenModes()) {
    if (m.width <= 0 || m.height <= 0) continue;
    if (m.bits != 8 && m.bits != 16 && m.bits != 24 && m.bits != 32) continue;
    const DisplayMode d{m.width, m.height, m.bits};
    bool seen = false;
    for (const DisplayMode& o : out) seen = seen || o == d;
    if (!seen) out.push_back(d);
  }
  return out;
}

HRESULT ChangeMode(const DisplayMode& mode, bool offeredOnly) {
  if (offeredOnly) {
    bool offered = false;
    for (const DisplayMode& m : OfferedModes()) offered = offered || m == mode;
    if (!offered) return DDERR_INVALIDMODE;
  }
  auto backend = screen::CurrentBackend();
  const DisplayMode now = CurrentMode();
  if (now.width != mode.width || now.height != mode.height) {
    if (!backend->SetScreenSize(mode.width, mode.height)) return DDERR_INVALIDMODE;
  }
  if (now.bits != mode.bits) {
    backend->SetScreenDepth(mode.bits);
    // Surfaces on the screen were made for the old depth.
    screen::BumpScreenGeneration();
  }
  return DD_OK;
}

}  // namespace winplat::ddraw
