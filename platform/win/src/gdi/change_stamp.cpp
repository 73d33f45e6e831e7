// The change stamps of bitmaps and the direction of DIB sections, for the class library.
#include <atomic>

#include "gdi/gdi_internal.h"
#include "winplat_gdi.h"

namespace winplat::gdi {

uint64_t NextChangeStamp() {
  static std::atomic<uint64_t> counter{0};
  return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace winplat::gdi

namespace winplat {

uint64_t BitmapChangeStamp(HBITMAP bitmap) {
  if (!bitmap) return 0;
  auto bm = gdi::LookupBitmap(bitmap);
  return bm ? bm->changeStamp : 0;
}

void MarkBitmapChanged(HBITMAP bitmap) {
  if (!bitmap) return;
  if (auto bm = gdi::LookupBitmap(bitmap)) bm->Touch();
}

bool DibSectionIsTopDown(HBITMAP bitmap) {
  if (!bitmap) return false;
  auto bm = gdi::LookupBitmap(bitmap);
  return bm && bm->dibSection && bm->topDown;
}

}  // namespace winplat
