// The halftone palette and palette resizing.
#include <vector>

#include "gdi/gdi_private.h"

using namespace winplat::gdi;

HPALETTE WINAPI CreateHalftonePalette(HDC hdc) {
  if (hdc && !DCOrFail(hdc)) return nullptr;
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 256;
  PALETTEENTRY* e = lp->palPalEntry;
  PALETTEENTRY statics[20];
  GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, statics);
  for (int i = 0; i < 10; ++i) e[i] = statics[i];
  for (int i = 0; i < 10; ++i) e[246 + i] = statics[10 + i];
  int n = 10;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        e[n++] = PALETTEENTRY{static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51), 0};
  // 20 greys strictly between the cube's levels of grey.
  for (int i = 0; n < 246; ++i, ++n) {
    const BYTE v = static_cast<BYTE>(8 + i * 12);
    e[n] = PALETTEENTRY{v, v, v, 0};
  }
  return CreatePalette(lp);
}

BOOL WINAPI ResizePalette(HPALETTE palette, UINT entries) {
  auto p = LookupPalette(palette);
  if (!p || p->stock) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (entries == 0 || entries > 1024) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  p->entries.resize(entries, PALETTEENTRY{0, 0, 0, 0});
  return TRUE;
}
