// The change stamps of bitmaps and the direction of DIB sections, for the class library.
#include <algorithm>
#include <atomic>

#include "gdi/gdi_internal.h"
#include "winplat_gdi.h"

namespace winplat::gdi {

uint64_t NextChangeStamp() {
  static std::atomic<uint64_t> counter{0};
  return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

namespace {

// Enough for the changes of a few frames between two looks; older ones are joined together.
constexpr size_t kKeptChanges = 16;

RECT JoinRects(const RECT& a, const RECT& b) {
  if (a.left >= a.right || a.top >= a.bottom) return b;
  if (b.left >= b.right || b.top >= b.bottom) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

}  // namespace

void BitmapObject::Touch() {
  changeStamp = NextChangeStamp();
  wholeSince = changeStamp;
  changes.clear();
  stampTold = false;
}

void BitmapObject::Touch(const RECT& deviceRect) {
  const uint64_t previous = changeStamp;
  changeStamp = NextChangeStamp();
  if (!stampTold && wholeSince == previous) {
    wholeSince = changeStamp;  // nobody can ask about the stamp between: still all of it
  } else if (!stampTold && !changes.empty()) {
    changes.back().rect = JoinRects(changes.back().rect, deviceRect);
    changes.back().stamp = changeStamp;
  } else {
    if (changes.size() >= kKeptChanges) {
      // The two oldest become one, under the later stamp: an answer may grow, never miss a pixel.
      changes[1].rect = JoinRects(changes[0].rect, changes[1].rect);
      changes.erase(changes.begin());
    }
    changes.push_back({changeStamp, deviceRect});
  }
  stampTold = false;
}

}  // namespace winplat::gdi

namespace winplat {

uint64_t BitmapChangeStamp(HBITMAP bitmap) {
  if (!bitmap) return 0;
  auto bm = gdi::LookupBitmap(bitmap);
  if (!bm) return 0;
  bm->stampTold = true;
  return bm->changeStamp;
}

uint64_t BitmapChangesSince(HBITMAP bitmap, uint64_t since, RECT* changed) {
  RECT r{0, 0, 0, 0};
  auto bm = bitmap ? gdi::LookupBitmap(bitmap) : nullptr;
  if (!bm) {
    if (changed) *changed = r;
    return 0;
  }
  bm->stampTold = true;
  const RECT whole{0, 0, bm->surface.width, bm->surface.height};
  if (since < bm->changeStamp) {
    if (since < bm->wholeSince) {
      r = whole;
    } else {
      for (const auto& c : bm->changes)
        if (c.stamp > since) r = gdi::JoinRects(r, c.rect);
      r = RECT{std::max(r.left, whole.left), std::max(r.top, whole.top), std::min(r.right, whole.right),
               std::min(r.bottom, whole.bottom)};
      if (r.left >= r.right || r.top >= r.bottom) r = RECT{0, 0, 0, 0};
    }
  }
  if (changed) *changed = r;
  return bm->changeStamp;
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
